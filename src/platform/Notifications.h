#pragma once
// Desktop notifications (org.freedesktop.Notifications on the session bus):
// the chat's "message from ..." pop-up. The program keeps one notification
// on screen: each new one replaces the last (replaces_id), and while the
// daemon has not answered a call, newer texts wait and only the newest is
// sent, so a flood of messages never floods the screen or the bus.
//
// DesktopNotifier builds the calls (app name and icon, category
// "im.received", the body escaped where the daemon reads markup) and hands
// them to a NotificationBus: the session bus through QtDBus, or a recording
// double in tests.
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace kc {

// One Notify call, its arguments named as the freedesktop.org notification
// interface names them.
struct NotifyCall {
  QString appName;
  std::uint32_t replacesId = 0;
  QString appIcon;
  QString summary;
  QString body;
  QStringList actions;
  QVariantMap hints;
  int expireTimeout = -1;
};

class NotificationBus {
public:
  virtual ~NotificationBus() = default;
  // Whether a notification daemon is there (running or startable).
  virtual bool available() = 0;
  // The daemon's capabilities ("body-markup", "actions", ...).
  virtual QStringList capabilities() = 0;
  // Sends the call; Done gets the notification's id, or nothing when the
  // call failed. Done may run before notify returns.
  virtual void notify(const NotifyCall &Call, std::function<void(std::optional<std::uint32_t>)> Done) = 0;
  virtual void closeNotification(std::uint32_t Id) = 0;

  // The daemon's signals for notifications of this bus.
  std::function<void(std::uint32_t Id, const QString &Action)> onActionInvoked;
  std::function<void(std::uint32_t Id, std::uint32_t Reason)> onClosed;
};

// The session bus; a bus that is not available when there is none.
std::unique_ptr<NotificationBus> createNotificationBus();

// Tests put a bus of their own in place while the override lives.
using NotificationBusFactory = std::function<std::unique_ptr<NotificationBus>()>;
class NotificationBusFactoryOverride {
public:
  explicit NotificationBusFactoryOverride(NotificationBusFactory Factory);
  ~NotificationBusFactoryOverride();
  NotificationBusFactoryOverride(const NotificationBusFactoryOverride &) = delete;
  NotificationBusFactoryOverride &operator=(const NotificationBusFactoryOverride &) = delete;

private:
  NotificationBusFactory previous_;
};

// Text made safe for a body the daemon reads as markup: &, <, >, quotes.
QString escapeNotificationMarkup(const QString &Text);

class DesktopNotifier {
public:
  // AppName and AppIcon (an icon name of the theme) go into every call;
  // DesktopEntry names the program's .desktop file.
  DesktopNotifier(std::unique_ptr<NotificationBus> Bus, QString AppName, QString AppIcon, QString DesktopEntry);
  ~DesktopNotifier();
  DesktopNotifier(const DesktopNotifier &) = delete;
  DesktopNotifier &operator=(const DesktopNotifier &) = delete;

  // Whether notifications can be shown. The bus is asked once; a "no" (or
  // a failed call) holds for 30 s, so callers fall back at once, and a
  // daemon that starts or comes back later is found again.
  bool available();
  // Shows Summary and Body (plain text) for TimeoutMs, replacing the one
  // shown before. False when there is no daemon.
  bool show(const QString &Summary, const QString &Body, int TimeoutMs);
  // Takes the notification off the screen.
  void close();
  // The id of the notification on screen (0: none yet).
  std::uint32_t currentId() const { return FId; }

  // The user clicked the notification.
  std::function<void()> onClicked;

private:
  void send();
  void answered(std::optional<std::uint32_t> Id);

  std::unique_ptr<NotificationBus> FBus;
  QString FAppName, FAppIcon, FDesktopEntry;
  std::optional<bool> FAvailable;
  long long FAskedMs = 0;
  bool FMarkup = false;
  std::uint32_t FId = 0;
  bool FInFlight = false;
  bool FCloseAfter = false;
  std::optional<NotifyCall> FWaiting;
  std::shared_ptr<bool> FAlive;
};

} // namespace kc
