// Figures for one message appended to a talk's transcript and painted, in
// the real main window (TfmKavetChat, offscreen): the datagram goes through
// the receive path, the window renders it and the event loop paints it. The
// transcript holds 1,000 messages, then 10,000 (the talk's cap: from there
// on every new message lets the oldest go). Beside it a read-only QTextEdit
// gets the same messages as plain text (append, scroll to the end, paint).
// Prints each median, the ratios 10k/1k and window/QTextEdit, and the heap
// each took for its 10,000 messages.
// Run: bench_transcript (offscreen unless QT_QPA_PLATFORM says otherwise)
#include <QApplication>
#include <QEvent>
#include <QScrollBar>
#include <QTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/ChatModelsUn.h"
#include "core/SendMessageUn.h"
#include "richtext/controls/RichVistaEdit.h"
#include "ui/fmKavetChatUn.h"

namespace {

using Clock = std::chrono::steady_clock;
double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Bytes held by the heap now: small blocks of every arena plus the large
// blocks the allocator mapped on its own.
double heapMB() {
  const struct mallinfo2 mi = mallinfo2();
  return double(mi.uordblks + mi.hblkhd) / (1024.0 * 1024.0);
}

constexpr int kSenders = 7;
int kSamples = 101; // a busy machine shows in a few samples, not in the median of many

kc::RUserID sender(int i) {
  kc::RUserID r;
  r.ID = "{SENDER-" + std::to_string(i % kSenders) + "}";
  r.ALIAS = "user " + std::to_string(i % kSenders);
  r.IP = "198.18.0." + std::to_string(2 + i % kSenders);
  r.IMAGEINDEX = 11 + i % 14;
  r.COLOR = int(kc::RGB((i % kSenders) * 40, 80, 160));
  r.Profile.Set(&kc::RUserProfile::NAME, "Name");
  return r;
}

std::string body(int i) {
  std::string b = "message number " + std::to_string(i) + " about the meeting at three o'clock, please bring notes";
  if (i % 5 == 0) b += "{[!BULLET!]}27{[/!BULLET!]}";
  if (i % 9 == 0)
    b += "\x0A\x0D"
         "and a second line";
  // Now and then an animated emoticon.
  if (i % 97 == 0) b += "{[!CONTROL!]}" + std::to_string(i % 23) + "{[/!CONTROL!]}";
  return b;
}

std::string plain(int i) {
  std::string b = body(i);
  for (std::size_t p; (p = b.find("\x0A\x0D")) != std::string::npos;) b.replace(p, 2, "\n");
  return "[" + sender(i).ALIAS + "]\n" + b;
}

// Paint events a widget got.
class PaintCounter : public QObject {
public:
  int Paints = 0;

protected:
  bool eventFilter(QObject *Watched, QEvent *Event) override {
    if (Event->type() == QEvent::Paint) ++Paints;
    return QObject::eventFilter(Watched, Event);
  }
};

void settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

struct Result {
  double Median = 0;
  double HeapMB = 0;
  bool Painted = true;
};

std::unique_ptr<kc::TfmKavetChat> makeWindow() {
  kc::TNetOptions o; // the network stays off: datagrams are handed in
  o.ListenAddress = o.LocalIP = o.SendHost = "127.0.0.1";
  auto w = std::make_unique<kc::TfmKavetChat>(o);
  kc::RUserID me;
  me.ALIAS = "Anna";
  me.ID = "{ANNA}";
  me.IP = "127.0.0.1";
  w->Users().Append(me);
  w->CreateGifCatalogue();
  w->ShowOwnIdentity();
  w->resize(640, 480);
  w->OpenTalkTab("All Users", 1, kc::TTalkFrame{});
  w->show();
  for (int i = 0; i < kSenders; ++i) w->Host().Net().ProcessIncoming(kc::AnnounceMyselfText(sender(i), true));
  settle();
  return w;
}

Result window(int Count) {
  Result r;
  const double heap0 = heapMB();
  auto w = makeWindow();
  const double heap1 = heapMB();
  kc::TKavetChatNet &net = w->Host().Net();
  for (int i = 0; i < Count; ++i) net.ProcessIncoming(kc::BuildMessageToAllText(sender(i), body(i)));
  settle();
  r.HeapMB = heapMB() - heap1;
  (void)heap0;
  PaintCounter paints;
  w->GetTranscriptView(0)->installEventFilter(&paints);
  std::vector<double> v;
  for (int s = 0; s < kSamples; ++s) {
    const std::string d = kc::BuildMessageToAllText(sender(Count + s), body(Count + s));
    const int before = paints.Paints;
    const auto t0 = Clock::now();
    net.ProcessIncoming(d);
    settle();
    v.push_back(ms(Clock::now() - t0));
    if (paints.Paints == before) r.Painted = false;
  }
  r.Median = median(v);
  return r;
}

Result textEdit(int Count) {
  Result r;
  const double heap0 = heapMB();
  auto t = std::make_unique<QTextEdit>();
  t->setReadOnly(true);
  t->setFont(QFont("Arial", 10));
  t->resize(640, 480);
  t->show();
  settle();
  const double heap1 = heapMB();
  (void)heap0;
  for (int i = 0; i < Count; ++i) t->append(QString::fromStdString(plain(i)));
  t->verticalScrollBar()->setValue(t->verticalScrollBar()->maximum());
  settle();
  r.HeapMB = heapMB() - heap1;
  PaintCounter paints;
  t->viewport()->installEventFilter(&paints);
  std::vector<double> v;
  for (int s = 0; s < kSamples; ++s) {
    const QString text = QString::fromStdString(plain(Count + s));
    const int before = paints.Paints;
    const auto t0 = Clock::now();
    t->append(text);
    t->verticalScrollBar()->setValue(t->verticalScrollBar()->maximum());
    settle();
    v.push_back(ms(Clock::now() - t0));
    if (paints.Paints == before) r.Painted = false;
  }
  r.Median = median(v);
  return r;
}

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The window reads and writes its settings: a folder of the run's own.
  char dir[] = "/tmp/kc-bench-transcript-XXXXXX";
  if (!::mkdtemp(dir)) return 1;
  ::setenv("XDG_CONFIG_HOME", dir, 1);
  ::setenv("XDG_DATA_HOME", dir, 1);
  int code = 0;
  {
    QApplication app(argc, argv);
    if (argc == 2 && std::string(argv[1]) == "--profile") {
      // For a profiler: the window at the cap, many messages.
      kSamples = 2000;
      window(int(kc::TTalkListModel::kMaxTranscript));
      return 0;
    }
    // Warm the font and picture caches of both.
    window(200);
    textEdit(200);
    const int cap = int(kc::TTalkListModel::kMaxTranscript);
    const Result o1 = window(1000), o10 = window(cap);
    const Result q1 = textEdit(1000), q10 = textEdit(cap);
    std::printf("one message received, shown and painted in the main window (median of %d, ms)\n", kSamples);
    std::printf("  window      1k %8.3f   10k %8.3f   10k/1k %.2f (goal <= 1.2)\n", o1.Median, o10.Median,
                o10.Median / o1.Median);
    std::printf("  QTextEdit   1k %8.3f   10k %8.3f   10k/1k %.2f\n", q1.Median, q10.Median, q10.Median / q1.Median);
    std::printf("  window/QTextEdit at 10k: %.2f (goal <= 1.0)\n", o10.Median / q10.Median);
    std::printf("heap taken by 10,000 messages: window %.1f MB, QTextEdit %.1f MB, ratio %.2f (goal <= 1.0)\n",
                o10.HeapMB, q10.HeapMB, o10.HeapMB / q10.HeapMB);
    if (!o1.Painted || !o10.Painted || !q1.Painted || !q10.Painted) {
      std::printf("a message was not painted\n");
      code = 1;
    }
  }
  std::filesystem::remove_all(dir);
  return code;
}
