// Figures for one message appended to a transcript and painted: the chat's
// renderer on a real transcript holding 1,000 and 10,000 messages, beside a
// read-only QTextEdit of the same messages (append, scroll to the end,
// paint). Prints each median and the ratios 10k/1k and ours/QTextEdit.
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_transcript
#include <QApplication>
#include <QScrollBar>
#include <QTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/ChatServicesUn.h"
#include "platform/ImageList.h"
#include "richtext/controls/RichVistaEdit.h"
#include "richtext/document/RVStyle.h"
#include "ui/WorkFormatTextRichVistaEditUn.h"
#include "ui/fmKavetChatRender.h"

namespace {

using Clock = std::chrono::steady_clock;
double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

kc::TTalkMessage message(int i) {
  kc::TTalkMessage m;
  m.SenderID = "{user-" + std::to_string(i % 7) + "}";
  m.IP = "198.18.0." + std::to_string(2 + i % 7);
  m.Alias = "user " + std::to_string(i % 7);
  m.Color = int(kc::RGB(i * 40, 80, 160));
  m.ImageIndex = 11 + i % 14;
  m.Body = "message number " + std::to_string(i) + " about the meeting at three o'clock, please bring notes" +
           (i % 5 == 0 ? "{[!BULLET!]}27{[/!BULLET!]}" : "") + (i % 9 == 0 ? "\x0A\x0Dand a second line" : "");
  return m;
}

constexpr int kSamples = 30;

double ours(int Count) {
  kc::TRVStyle sheet;
  kc::MakeChatStyleSheet(sheet);
  kc::TCustomImageList images(32, 32);
  for (int i = 0; i < 50; ++i) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(QColor(i * 5, 100, 200));
    images.Add(image);
  }
  kc::TOfferedFiles files;
  kc::TTranscriptRenderer renderer(sheet, images, &images, nullptr, &files);
  kc::TRichVistaEdit t;
  t.Style = &sheet;
  t.SetReadOnly(true);
  t.resize(600, 400);
  t.show();
  for (int i = 0; i < Count; ++i) renderer.RenderTalkMessage(t, message(i));
  QApplication::processEvents();
  std::vector<double> v;
  for (int s = 0; s < kSamples; ++s) {
    const auto t0 = Clock::now();
    renderer.RenderTalkMessage(t, message(Count + s));
    t.repaint();
    v.push_back(ms(Clock::now() - t0));
  }
  return median(v);
}

std::string plain(const kc::TTalkMessage &m) {
  std::string body = m.Body;
  for (std::size_t p; (p = body.find("\x0A\x0D")) != std::string::npos;) body.replace(p, 2, "\n");
  return "[" + m.Alias + "]\n" + body;
}

double textEdit(int Count) {
  QTextEdit t;
  t.setReadOnly(true);
  t.resize(600, 400);
  t.show();
  for (int i = 0; i < Count; ++i) t.append(QString::fromStdString(plain(message(i))));
  QApplication::processEvents();
  std::vector<double> v;
  for (int s = 0; s < kSamples; ++s) {
    const auto t0 = Clock::now();
    t.append(QString::fromStdString(plain(message(Count + s))));
    t.verticalScrollBar()->setValue(t.verticalScrollBar()->maximum());
    t.viewport()->repaint();
    v.push_back(ms(Clock::now() - t0));
  }
  return median(v);
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  const double o1 = ours(1000), o10 = ours(10000);
  const double q1 = textEdit(1000), q10 = textEdit(10000);
  std::printf("one message appended and painted (median of %d, ms)\n", kSamples);
  std::printf("  transcript  1k %8.3f   10k %8.3f   10k/1k %.2f\n", o1, o10, o10 / o1);
  std::printf("  QTextEdit   1k %8.3f   10k %8.3f   10k/1k %.2f\n", q1, q10, q10 / q1);
  std::printf("  transcript/QTextEdit at 10k: %.2f\n", o10 / q10);
  return 0;
}
