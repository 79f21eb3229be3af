// 1,000 messages in 10 seconds (one every 10 ms) reach the main window's
// notices: the status panel and its timer, the sender's picture, the tray's
// animation, the desktop notification (a daemon that answers after 5 ms)
// and the new-message sound. Prints the CPU share of one core this takes,
// the Notify calls sent and the most notifications on screen at once,
// beside the peer measured in the same run: the same messages only written
// into the status bar as plain text (what the window did before notices).
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_notices [seconds]
#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "platform/Notifications.h"
#include "platform/TrayIcon.h"
#include "support/RecordingNotificationBus.h"
#include "ui/fmKavetChatUn.h"
#include "widgets/KcStatusBar.h"

namespace {

double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double wallSeconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// A notification area that takes every picture.
struct Tray : kc::TrayIcon {
  bool shown = false;
  int modifies = 0;
  bool available() const override { return true; }
  bool show() override { return shown = true; }
  bool hide() override { return !(shown = false); }
  bool visible() const override { return shown; }
  bool modify(const QImage &, const QString &) override { return ++modifies > 0; }
  bool showMessage(const QString &, const QString &, MessageKind, int) override { return true; }
};

// A daemon that answers each call 5 ms later.
class SlowBus : public kctest::RecordingNotificationBus {
public:
  using RecordingNotificationBus::RecordingNotificationBus;
  void notify(const kc::NotifyCall &Call, std::function<void(std::optional<std::uint32_t>)> Done) override {
    Log()->hold = true;
    RecordingNotificationBus::notify(Call, std::move(Done));
    QTimer::singleShot(5, [log = Log()] { log->answer(); });
  }
  std::shared_ptr<kctest::NotificationLog> log;
  std::shared_ptr<kctest::NotificationLog> Log() const { return log; }
};

struct Run {
  double cpuShare = 0;
  int messages = 0;
};

// Runs Each every 10 ms for Seconds, inside the event loop.
Run paced(double Seconds, const std::function<void(int)> &Each) {
  Run r;
  const int total = int(Seconds * 100);
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  const double c0 = cpuSeconds(), w0 = wallSeconds();
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (r.messages == total) {
      timer.stop();
      QApplication::quit();
      return;
    }
    Each(r.messages++);
  });
  timer.start(10);
  QApplication::exec();
  // The notice's 5 s and the tray's animation run out inside the window.
  r.cpuShare = (cpuSeconds() - c0) / (wallSeconds() - w0);
  return r;
}

std::unique_ptr<kc::TfmKavetChat> makeWindow() {
  kc::TNetOptions o;
  o.ListenAddress = o.LocalIP = o.SendHost = "127.0.0.1";
  auto w = std::make_unique<kc::TfmKavetChat>(o);
  kc::TTalkFrame all;
  w->OpenTalkTab("All Users", 1, all);
  w->resize(600, 309);
  w->show();
  return w;
}

} // namespace

int main(int argc, char **argv) {
  setenv("KAVET_RESOURCE_DIR", KC_SOURCE_DIR, 0);
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
  QApplication app(argc, argv);
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;

  auto log = std::make_shared<kctest::NotificationLog>();
  kc::NotificationBusFactoryOverride bus{[log] {
    auto b = std::make_unique<SlowBus>(log);
    b->log = log;
    return b;
  }};
  Tray *tray = nullptr;
  kc::TrayIconFactoryOverride trays{[&tray] {
    auto t = std::make_unique<Tray>();
    tray = t.get();
    return t;
  }};

  // The peer: plain text into the status bar.
  Run peer;
  {
    auto w = makeWindow();
    peer = paced(seconds, [&](int i) {
      w->KcStatusBar->SetPanelText(kc::TfmKavetChat::kNoticePanel,
                                   QStringLiteral("Message from \"[user %1]\"...").arg(i % 7));
    });
  }

  Run ours;
  int mostOnScreen = 0;
  {
    auto w = makeWindow();
    w->ActionList().actSoundNewMessage.SetChecked(true);
    ours = paced(seconds, [&](int i) {
      w->ShowNotification("Message from \"%s\"...", "user " + std::to_string(i % 7), 0, 11 + i % 14, "198.18.0.2");
      w->PlayEventSound(4);
      mostOnScreen = std::max(mostOnScreen, log->onScreen());
    });
  }

  std::printf("messages: %d in %.1f s\n", ours.messages, seconds);
  std::printf("notices, tray and sounds: %.1f %% of one core\n", ours.cpuShare * 100);
  std::printf("peer (plain status text): %.1f %% of one core\n", peer.cpuShare * 100);
  std::printf("ratio ours/peer: %.2f\n", peer.cpuShare > 0 ? ours.cpuShare / peer.cpuShare : 0.0);
  std::printf("Notify calls: %zu, most notifications on screen: %d, tray pictures: %d\n", log->calls.size(),
              mostOnScreen, tray ? tray->modifies : 0);
  return 0;
}
