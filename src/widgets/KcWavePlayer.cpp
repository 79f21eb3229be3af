#include "widgets/KcWavePlayer.h"

#include <string>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/WavePlayback.h"

namespace kc {

namespace {

// Event sounds are short; anything larger is not one of them.
constexpr std::uint64_t kMaxWaveFile = 64u << 20;

// The player whose sound is playing, so that freeing another player does
// not cut it off.
const TKcWavePlayer *g_soundOwner = nullptr;

} // namespace

TKcWavePlayer::TKcWavePlayer(QObject *owner) : QObject(owner) {}

TKcWavePlayer::~TKcWavePlayer() {
  if (g_soundOwner == this) {
    stopWave();
    g_soundOwner = nullptr;
  }
}

void TKcWavePlayer::SetAsynchronous(bool on) {
  FAsynchronous = on;
  if (!on) FLoop = false;
}

void TKcWavePlayer::SetLoop(bool on) {
  if (FAsynchronous) FLoop = on;
}

bool TKcWavePlayer::loadSound(WaveSound &sound) {
  QByteArray bytes;
  if (FSourceType == TSourceType::frRAM) {
    bytes = FMemory;
  } else {
    const std::string path = FSourceType == TSourceType::frResource
                                 ? resourcePath(std::string("Sound/") + FFileName.toStdString())
                                 : FFileName.toStdString();
    std::string data, error;
    if (FFileName.isEmpty() || !ReadWholeFile(path, data, &error, kMaxWaveFile)) {
      FLastError = FFileName.isEmpty() ? QStringLiteral("no file name") : QString::fromStdString(error);
      return false;
    }
    bytes = QByteArray(data.data(), static_cast<qsizetype>(data.size()));
  }
  WaveParse parsed = parseWave(bytes);
  if (!parsed.sound) {
    FLastError = QString::fromUtf8(waveErrorText(parsed.error).data());
    return false;
  }
  sound = std::move(*parsed.sound);
  return true;
}

bool TKcWavePlayer::Play() {
  if (BeforePlaying) BeforePlaying(this);
  FLastError.clear();
  WaveSound sound;
  bool ok = loadSound(sound);
  if (ok) {
    const WavePlayMode mode =
        !FAsynchronous ? WavePlayMode::Wait : (FLoop ? WavePlayMode::AsyncLoop : WavePlayMode::Async);
    g_soundOwner = this;
    ok = playWave(sound, mode);
    if (!ok) FLastError = QStringLiteral("no sound output");
    if (!ok || mode == WavePlayMode::Wait) g_soundOwner = nullptr;
  }
  if (AfterPlaying) AfterPlaying(this);
  return ok;
}

} // namespace kc
