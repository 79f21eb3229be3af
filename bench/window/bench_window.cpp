// Figures for the main window (TfmKavetChat) beside plain Qt peers measured
// in the same run, each printed with its ratio and the goal:
//
// start-up   a fresh process to a shown window: the program's start-up
//            (network on 127.0.0.1 only) beside a process that shows one
//            QTextEdit (the median of several starts of each);
// talks      opening a private talk: time and heap per talk beside a
//            QTabWidget page of two QTextEdits; a key typed into the input
//            box with 1 and with 200 talks open;
// flood      10,000 datagrams a second from made-up IDs sent to the window
//            on 127.0.0.1 (a bounded burst of a few seconds): how long a key
//            typed into the input box takes to show, and how long a message
//            sent with Ctrl+Return takes to go out, against an idle window.
//
// Run: bench_window [startup|talks|flood]... (all without arguments;
// offscreen unless QT_QPA_PLATFORM says otherwise).
#include <QApplication>
#include <QKeyEvent>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QEventLoop>
#include <QVBoxLayout>
#include <QWindow>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <malloc.h>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/SendMessageUn.h"
#include "core/StartupUn.h"
#include "richtext/controls/RichVistaEdit.h"
#include "ui/fmKavetChatUn.h"

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;
double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }
double since(Clock::time_point t) { return ms(Clock::now() - t); }

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

double heapKB() {
  const struct mallinfo2 mi = mallinfo2();
  return double(mi.uordblks + mi.hblkhd) / 1024.0;
}

// A UDP port of 127.0.0.1 free right now.
std::uint16_t freePort() {
  const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
  socklen_t n = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &n);
  ::close(s);
  return ntohs(a.sin_port);
}

kc::TNetOptions loopback(std::uint16_t Port) {
  kc::TNetOptions o;
  o.ListenAddress = o.LocalIP = o.SendHost = "127.0.0.1";
  o.Port = Port;
  return o;
}

void settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

void waitExposed(QWidget &W) {
  const auto t0 = Clock::now();
  while (!(W.windowHandle() && W.windowHandle()->isExposed()) && since(t0) < 5000) QApplication::processEvents();
  settle();
}

kc::RUserID madeUp(unsigned I) {
  kc::RUserID r;
  char id[64];
  std::snprintf(id, sizeof id, "{%08X-MADE-UP-%08X}", I * 2654435761u, I);
  r.ID = id;
  r.ALIAS = "guest " + std::to_string(I);
  r.IP = "198.18." + std::to_string(I / 250 % 250) + "." + std::to_string(I % 250 + 2);
  r.IMAGEINDEX = int(11 + I % 14);
  r.COLOR = int(I * 2654435761u & 0xFFFFFF);
  r.Profile.Set(&kc::RUserProfile::NAME, "Name");
  return r;
}

// ------------------------------------------------------------- start-up

// The child's side: show one window, print when it is exposed, end.
int startChild(const std::string &Kind) {
  static int argc = 1;
  static char name[] = "bench_window";
  static char *argv[] = {name, nullptr};
  QApplication app(argc, argv);
  if (Kind == "textedit") {
    QTextEdit t;
    t.setReadOnly(true);
    t.resize(475, 309);
    t.show();
    waitExposed(t);
  } else {
    QApplication::setQuitOnLastWindowClosed(false);
    kc::TfmKavetChat w(loopback(std::uint16_t(std::atoi(Kind.c_str()))));
    kc::TKavetChatStartup startup(w);
    startup.CreateWindows();
    waitExposed(w);
    std::printf("shown\n");
    std::fflush(stdout);
    startup.CloseMainWindow();
    std::_Exit(0);
  }
  std::printf("shown\n");
  std::fflush(stdout);
  std::_Exit(0);
}

// Milliseconds from spawning the child to its line.
double startOnce(const char *Self, const std::string &Kind) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
  posix_spawn_file_actions_addclose(&fa, fds[0]);
  std::string a1 = "--start", a2 = Kind;
  char *argv[] = {const_cast<char *>(Self), a1.data(), a2.data(), nullptr};
  pid_t pid = 0;
  const auto t0 = Clock::now();
  if (posix_spawn(&pid, Self, &fa, nullptr, argv, environ) != 0) return -1;
  ::close(fds[1]);
  char buf[64];
  const ssize_t n = ::read(fds[0], buf, sizeof buf);
  const double t = since(t0);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&fa);
  return n > 0 ? t : -1;
}

void startup(const char *Self) {
  std::vector<double> ours, peer;
  for (int i = 0; i < 9; ++i) {
    peer.push_back(startOnce(Self, "textedit"));
    ours.push_back(startOnce(Self, std::to_string(freePort())));
  }
  const double o = median(ours), q = median(peer);
  std::printf("start-up to a shown window (median of %zu starts): window %.1f ms, QTextEdit %.1f ms, ratio %.2f "
              "(goal <= 3)\n",
              ours.size(), o, q, o / q);
}

// ---------------------------------------------------------------- talks

std::unique_ptr<kc::TfmKavetChat> makeWindow(std::uint16_t Port) {
  auto w = std::make_unique<kc::TfmKavetChat>(loopback(Port));
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
  waitExposed(*w);
  return w;
}

// A key typed into the active input box, until painted (ms, median).
double typing(kc::TfmKavetChat &W, int Keys) {
  kc::TCustomRichVistaEdit *box = W.GetInputBox(W.ActiveTab());
  std::vector<double> v;
  for (int i = 0; i < Keys; ++i) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    const auto t0 = Clock::now();
    QApplication::sendEvent(box, &press);
    settle();
    v.push_back(since(t0));
  }
  if (W.DocumentToText(W.ActiveTab()).size() < std::size_t(Keys)) std::printf("the keys did not reach the input box\n");
  W.ClearInput(W.ActiveTab());
  return median(v);
}

void talks() {
  auto w = makeWindow(0);
  const double type1 = typing(*w, 40);
  std::vector<double> times, heaps;
  for (int i = 0; i < 200; ++i) {
    kc::TTalkFrame f;
    f.TalkKind = kc::tkPrivate;
    f.AutorGroupID = madeUp(unsigned(i)).ID;
    const double h0 = heapKB();
    const auto t0 = Clock::now();
    w->OpenTalkTab("guest " + std::to_string(i), 11, f);
    settle();
    times.push_back(since(t0));
    heaps.push_back(heapKB() - h0);
  }
  // Typing goes to the newest talk; the others wait on their tabs.
  const double type200 = typing(*w, 40);

  QTabWidget tabs;
  tabs.resize(640, 480);
  tabs.show();
  waitExposed(tabs);
  std::vector<double> qtimes, qheaps;
  for (int i = 0; i < 200; ++i) {
    const double h0 = heapKB();
    const auto t0 = Clock::now();
    auto *page = new QWidget;
    auto *l = new QVBoxLayout(page);
    auto *transcript = new QTextEdit(page);
    transcript->setReadOnly(true);
    l->addWidget(transcript);
    l->addWidget(new QTextEdit(page));
    tabs.setCurrentIndex(tabs.addTab(page, QStringLiteral("guest %1").arg(i)));
    settle();
    qtimes.push_back(since(t0));
    qheaps.push_back(heapKB() - h0);
  }
  std::printf("opening a talk (median of 200): window %.2f ms and %.0f kB, QTabWidget page of two QTextEdits "
              "%.2f ms and %.0f kB; ratios %.2f, %.2f (goals <= 10 ms, <= 300 kB)\n",
              median(times), median(heaps), median(qtimes), median(qheaps), median(times) / median(qtimes),
              median(heaps) / median(qheaps));
  std::printf("  slowest talk opened: window %.2f ms, QTabWidget %.2f ms\n", percentile(times, 1.0),
              percentile(qtimes, 1.0));
  std::printf("a key typed and painted: 1 talk %.3f ms, 201 talks %.3f ms, ratio %.2f (goal ~1)\n", type1, type200,
              type200 / type1);
}

// ---------------------------------------------------------------- flood

// The window with the moments the bench watches: the input box emptied by a
// send (the datagram left in that call), a key shown in the input box.
class WatchedWindow : public kc::TfmKavetChat {
public:
  using kc::TfmKavetChat::TfmKavetChat;
  std::atomic<long long> SentAt{0}; // steady clock, ns
  void ClearInput(int Tab) override {
    SentAt = Clock::now().time_since_epoch().count();
    kc::TfmKavetChat::ClearInput(Tab);
  }
};

class PaintWatch : public QObject {
public:
  // When the key was posted, reached the box, and the box painted after it.
  std::atomic<long long> PostedAt{0}, KeyAt{0}, PaintAt{0};

protected:
  bool eventFilter(QObject *Watched, QEvent *Event) override {
    const long long now = Clock::now().time_since_epoch().count();
    if (Event->type() == QEvent::KeyPress) KeyAt = now;
    else if (Event->type() == QEvent::Paint && KeyAt.load() != 0 && PaintAt.load() == 0) PaintAt = now;
    return QObject::eventFilter(Watched, Event);
  }
};

struct FloodFigures {
  std::vector<double> keys, sends;
  long long sent = 0;
};

// Runs the GUI thread while a second thread sends Rate datagrams a second
// for Seconds (never more than Rate * Seconds) and types a key every 100 ms
// and Ctrl+Return every 500 ms.
FloodFigures flood(int Rate, int Seconds) {
  const std::uint16_t port = freePort();
  WatchedWindow w(loopback(port));
  kc::TKavetChatStartup startup(w);
  startup.CreateWindows();
  w.resize(640, 480);
  waitExposed(w);
  kc::TCustomRichVistaEdit *box = w.GetInputBox(0);
  PaintWatch watch;
  box->installEventFilter(&watch);

  // Built here: the sender thread only sends.
  const long long total = (long long)Rate * Seconds;
  std::vector<std::string> datagrams;
  datagrams.reserve(std::size_t(total));
  for (long long i = 0; i < total; ++i) {
    // Mostly messages to all; every tenth an announcement.
    const kc::RUserID u = madeUp(unsigned(i));
    datagrams.push_back(i % 10 == 9 ? kc::AnnounceMyselfText(u, true)
                                    : kc::BuildMessageToAllText(u, "hello from a made-up sender " + std::to_string(i)));
  }
  // Key events name the keyboard device, made on first use: here, on the
  // application's thread.
  { QKeyEvent warm(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier); }
  FloodFigures f;
  std::mutex lock;
  std::atomic<bool> done{false};
  std::thread sender([&] {
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const auto t0 = Clock::now();
    auto nextKey = t0 + std::chrono::milliseconds(100);
    auto nextSend = t0 + std::chrono::milliseconds(500);
    for (long long i = 0; i < total && since(t0) < Seconds * 1000.0 + 2000; ++i) {
      // Paced: datagram i leaves at i / Rate seconds.
      const auto due = t0 + std::chrono::nanoseconds(i * 1000000000LL / Rate);
      while (Clock::now() < due) {
        const auto now = Clock::now();
        if (now >= nextKey) {
          nextKey += std::chrono::milliseconds(100);
          if (watch.PostedAt.load() != 0) {
            // The key before: shown, or not even after 100 ms.
            std::lock_guard<std::mutex> g(lock);
            f.keys.push_back(watch.PaintAt.load() ? double(watch.PaintAt.load() - watch.PostedAt.load()) / 1e6 : 100.0);
          }
          watch.PaintAt = 0;
          watch.KeyAt = 0;
          watch.PostedAt = Clock::now().time_since_epoch().count();
          QCoreApplication::postEvent(box,
                                      new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")));
        } else if (now >= nextSend) {
          nextSend += std::chrono::milliseconds(500);
          const long long posted = Clock::now().time_since_epoch().count();
          w.SentAt = 0;
          QCoreApplication::postEvent(box, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::ControlModifier));
          // Waits for the send, at most 2 s, still flooding meanwhile.
          while (w.SentAt.load() == 0 && since(now) < 2000) {
            const auto d2 = t0 + std::chrono::nanoseconds(i * 1000000000LL / Rate);
            if (Clock::now() >= d2 && i < total) {
              const std::string &d = datagrams[std::size_t(i)];
              ::sendto(s, d.data(), d.size(), 0, reinterpret_cast<sockaddr *>(&to), sizeof to);
              ++i;
            }
          }
          std::lock_guard<std::mutex> g(lock);
          f.sends.push_back(w.SentAt.load() ? double(w.SentAt.load() - posted) / 1e6 : 2000.0);
        }
      }
      if (i >= total) break;
      const std::string &d = datagrams[std::size_t(i)];
      ::sendto(s, d.data(), d.size(), 0, reinterpret_cast<sockaddr *>(&to), sizeof to);
      f.sent = i + 1;
    }
    ::close(s);
    done = true;
  });
  // The program's own event loop runs meanwhile; the sender ends it.
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done) loop.quit();
  });
  poll.start(50);
  loop.exec();
  sender.join();
  settle();
  startup.CloseMainWindow();
  return f;
}

void floodReport() {
  const FloodFigures idle = flood(1, 3);
  const FloodFigures busy = flood(10000, 4);
  std::printf("flood of %lld datagrams from made-up IDs at 10,000 a second:\n", busy.sent);
  std::printf("  a key typed shows: median %.2f ms, worst %.2f ms (%zu keys); idle window %.2f ms; "
              "ratio %.2f (goal: worst <= 50 ms)\n",
              median(busy.keys), percentile(busy.keys, 1.0), busy.keys.size(), median(idle.keys),
              median(busy.keys) / std::max(0.001, median(idle.keys)));
  std::printf("  a sent message goes out: median %.2f ms, worst %.2f ms (%zu sends); idle window %.2f ms "
              "(goal: worst <= 1000 ms)\n",
              median(busy.sends), percentile(busy.sends, 1.0), busy.sends.size(), median(idle.sends));
}

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc == 3 && std::strcmp(argv[1], "--start") == 0) return startChild(argv[2]);
  // Settings, data and the runtime channel in folders of the run's own.
  char dir[] = "/tmp/kc-bench-window-XXXXXX";
  if (!::mkdtemp(dir)) return 1;
  for (const char *v : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) ::setenv(v, dir, 1);
  std::vector<std::string> parts(argv + 1, argv + argc);
  if (parts.empty()) parts = {"startup", "talks", "flood"};
  const std::string self = std::filesystem::canonical("/proc/self/exe").string();
  {
    QApplication app(argc, argv);
    for (const std::string &p : parts) {
      if (p == "startup") startup(self.c_str());
      else if (p == "talks") talks();
      else if (p == "flood") floodReport();
      std::fflush(stdout);
    }
  }
  std::filesystem::remove_all(dir);
  return 0;
}
