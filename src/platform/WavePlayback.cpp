#include "platform/WavePlayback.h"

#include <cstring>
#include <memory>

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QEventLoop>
#include <QIODevice>
#include <QMediaDevices>
#include <QPointer>
#include <QTimer>

namespace kc {

namespace {

// The samples as a readable stream, starting over at the end when looping.
class SampleStream : public QIODevice {
public:
  SampleStream(QByteArray samples, bool loop) : samples_(std::move(samples)), loop_(loop) {}
  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override {
    return loop_ ? samples_.size() : samples_.size() - pos_ + QIODevice::bytesAvailable();
  }

protected:
  qint64 readData(char *data, qint64 max) override {
    qint64 done = 0;
    while (done < max) {
      if (pos_ >= samples_.size()) {
        if (!loop_) break;
        pos_ = 0;
      }
      const qint64 take = std::min<qint64>(max - done, samples_.size() - pos_);
      std::memcpy(data + done, samples_.constData() + pos_, static_cast<size_t>(take));
      pos_ += take;
      done += take;
    }
    return done;
  }
  qint64 writeData(const char *, qint64) override { return -1; }

private:
  QByteArray samples_;
  bool loop_;
  qint64 pos_ = 0;
};

struct Playing {
  std::unique_ptr<SampleStream> stream;
  std::unique_ptr<QAudioSink> sink;
};

std::unique_ptr<Playing> g_playing;

// Qt's sinks take 8-bit unsigned, 16 and 32-bit signed and 32-bit float
// samples; 24-bit samples are widened to 32 bits.
bool qtFormat(const WaveSound &s, QAudioFormat &f, QByteArray &samples) {
  f.setSampleRate(s.sampleRate);
  f.setChannelCount(s.channels);
  samples = s.samples;
  if (s.kind == WaveSampleKind::Float) {
    f.setSampleFormat(QAudioFormat::Float);
    return true;
  }
  switch (s.bitsPerSample) {
  case 8: f.setSampleFormat(QAudioFormat::UInt8); return true;
  case 16: f.setSampleFormat(QAudioFormat::Int16); return true;
  case 32: f.setSampleFormat(QAudioFormat::Int32); return true;
  case 24: {
    f.setSampleFormat(QAudioFormat::Int32);
    QByteArray wide;
    wide.reserve(s.samples.size() / 3 * 4);
    for (qsizetype i = 0; i + 3 <= s.samples.size(); i += 3) {
      wide.append('\0');
      wide.append(s.samples.constData() + i, 3);
    }
    samples = wide;
    return true;
  }
  default: return false;
  }
}

} // namespace

void stopWave() {
  if (!g_playing) return;
  g_playing->sink->stop();
  g_playing.reset();
}

bool wavePlaying() { return g_playing && g_playing->sink->state() == QAudio::ActiveState; }

bool playWave(const WaveSound &sound, WavePlayMode mode) {
  stopWave();
  if (!QCoreApplication::instance()) return false;
  // A sound still playing goes before the application does.
  static const bool cleanupAdded = [] {
    qAddPostRoutine(stopWave);
    return true;
  }();
  (void)cleanupAdded;
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return false;
  QAudioFormat format;
  QByteArray samples;
  if (!qtFormat(sound, format, samples) || !device.isFormatSupported(format)) return false;

  auto p = std::make_unique<Playing>();
  p->stream = std::make_unique<SampleStream>(std::move(samples), mode == WavePlayMode::AsyncLoop);
  p->stream->open(QIODevice::ReadOnly);
  p->sink = std::make_unique<QAudioSink>(device, format);
  p->sink->start(p->stream.get());
  if (p->sink->error() != QAudio::NoError || p->sink->state() == QAudio::StoppedState) return false;
  g_playing = std::move(p);
  if (mode != WavePlayMode::Wait) return true;

  // Waiting serves events and gives up a second after the sound should have
  // ended, so a stuck device cannot hold the program.
  QEventLoop loop;
  // Another sound may cut this one off while events are served.
  QPointer<QAudioSink> sink = g_playing->sink.get();
  QObject::connect(sink, &QAudioSink::stateChanged, &loop, [&loop](QAudio::State st) {
    if (st == QAudio::IdleState || st == QAudio::StoppedState) loop.quit();
  });
  QTimer::singleShot(static_cast<int>(sound.durationMs()) + 1000, &loop, &QEventLoop::quit);
  loop.exec();
  if (!sink) return true;
  const bool ok = sink->error() == QAudio::NoError || sink->error() == QAudio::UnderrunError;
  stopWave();
  return ok;
}

} // namespace kc
