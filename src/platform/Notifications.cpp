#include "platform/Notifications.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>

#include <utility>

#include "platform/GuiTimer.h"

namespace kc {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// A daemon that has not answered by then is taken as gone.
constexpr int kCallTimeoutMs = 2000;
// How long "no daemon" holds before the bus is asked again.
constexpr long long kRecheckMs = 30000;

NotificationBusFactory &factory() {
  static NotificationBusFactory f;
  return f;
}

} // namespace

// The session bus. Calls that send a notification are asynchronous, so a
// slow daemon never holds up the window.
class SessionNotificationBus : public QObject, public NotificationBus {
  Q_OBJECT
public:
  SessionNotificationBus() : FBus(QDBusConnection::sessionBus()) {
    if (!FBus.isConnected()) return;
    FBus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(actionInvoked(uint, QString)));
    FBus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(notificationClosed(uint, uint)));
  }

  bool available() override {
    if (!FBus.isConnected() || !FBus.interface()) return false;
    if (FBus.interface()->isServiceRegistered(kService)) return true;
    // A daemon the bus starts on the first call.
    const QDBusMessage list =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListActivatableNames"));
    const QDBusMessage reply = FBus.call(list, QDBus::Block, kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().first().toStringList().contains(kService);
  }

  QStringList capabilities() override {
    const QDBusMessage m =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities"));
    const QDBusMessage reply = FBus.call(m, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().first().toStringList();
  }

  void notify(const NotifyCall &Call, std::function<void(std::optional<std::uint32_t>)> Done) override {
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    m << Call.appName << uint(Call.replacesId) << Call.appIcon << Call.summary << Call.body << Call.actions
      << Call.hints << Call.expireTimeout;
    auto *watcher = new QDBusPendingCallWatcher(FBus.asyncCall(m, kCallTimeoutMs), this);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this,
                     [Done = std::move(Done)](QDBusPendingCallWatcher *W) {
                       const QDBusPendingReply<uint> reply = *W;
                       W->deleteLater();
                       if (reply.isError()) Done(std::nullopt);
                       else Done(std::uint32_t(reply.value()));
                     });
  }

  void closeNotification(std::uint32_t Id) override {
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("CloseNotification"));
    m << uint(Id);
    FBus.asyncCall(m, kCallTimeoutMs);
  }

private slots:
  void actionInvoked(uint Id, const QString &Action) {
    if (onActionInvoked) onActionInvoked(Id, Action);
  }
  void notificationClosed(uint Id, uint Reason) {
    if (onClosed) onClosed(Id, Reason);
  }

private:
  QDBusConnection FBus;
};

std::unique_ptr<NotificationBus> createNotificationBus() {
  if (factory()) return factory()();
  return std::make_unique<SessionNotificationBus>();
}

NotificationBusFactoryOverride::NotificationBusFactoryOverride(NotificationBusFactory Factory)
    : previous_(std::exchange(factory(), std::move(Factory))) {}

NotificationBusFactoryOverride::~NotificationBusFactoryOverride() { factory() = std::move(previous_); }

QString escapeNotificationMarkup(const QString &Text) {
  QString out;
  out.reserve(Text.size());
  for (const QChar c : Text) {
    switch (c.unicode()) {
    case '&': out += QLatin1String("&amp;"); break;
    case '<': out += QLatin1String("&lt;"); break;
    case '>': out += QLatin1String("&gt;"); break;
    case '"': out += QLatin1String("&quot;"); break;
    case '\'': out += QLatin1String("&apos;"); break;
    default: out += c;
    }
  }
  return out;
}

// ---------------------------------------------------------------- notifier

DesktopNotifier::DesktopNotifier(std::unique_ptr<NotificationBus> Bus, QString AppName, QString AppIcon,
                                 QString DesktopEntry)
    : FBus(std::move(Bus)), FAppName(std::move(AppName)), FAppIcon(std::move(AppIcon)),
      FDesktopEntry(std::move(DesktopEntry)), FAlive(std::make_shared<bool>(true)) {
  if (!FBus) return;
  FBus->onActionInvoked = [this](std::uint32_t Id, const QString &Action) {
    if (Id == FId && FId != 0 && Action == QLatin1String("default") && onClicked) onClicked();
  };
  FBus->onClosed = [this](std::uint32_t Id, std::uint32_t) {
    // Gone from the screen: the next one is a new notification.
    if (Id == FId) FId = 0;
  };
}

DesktopNotifier::~DesktopNotifier() {
  *FAlive = false;
  if (FBus) {
    FBus->onActionInvoked = {};
    FBus->onClosed = {};
  }
}

bool DesktopNotifier::available() {
  if (FAvailable == false && monotonicMs() - FAskedMs >= kRecheckMs) FAvailable.reset();
  if (!FAvailable) {
    FAskedMs = monotonicMs();
    FAvailable = FBus && FBus->available();
    if (*FAvailable) FMarkup = FBus->capabilities().contains(QStringLiteral("body-markup"));
  }
  return *FAvailable;
}

bool DesktopNotifier::show(const QString &Summary, const QString &Body, int TimeoutMs) {
  if (!available()) return false;
  NotifyCall call;
  call.appName = FAppName;
  call.appIcon = FAppIcon;
  // The summary is never markup; the body is where the daemon reads it.
  call.summary = Summary;
  call.body = FMarkup ? escapeNotificationMarkup(Body) : Body;
  call.actions = {QStringLiteral("default"), QStringLiteral("Open")};
  call.hints.insert(QStringLiteral("category"), QStringLiteral("im.received"));
  if (!FDesktopEntry.isEmpty()) call.hints.insert(QStringLiteral("desktop-entry"), FDesktopEntry);
  call.expireTimeout = TimeoutMs;
  FWaiting = std::move(call);
  FCloseAfter = false;
  if (!FInFlight) send();
  return true;
}

void DesktopNotifier::send() {
  if (!FWaiting) return;
  NotifyCall call = std::move(*FWaiting);
  FWaiting.reset();
  call.replacesId = FId;
  FInFlight = true;
  std::weak_ptr<bool> alive = FAlive;
  FBus->notify(call, [this, alive](std::optional<std::uint32_t> Id) {
    if (alive.expired()) return;
    answered(Id);
  });
}

void DesktopNotifier::answered(std::optional<std::uint32_t> Id) {
  FInFlight = false;
  if (!Id) {
    // No daemon any more: the caller shows its notices another way.
    FAvailable = false;
    FAskedMs = monotonicMs();
    FWaiting.reset();
    FId = 0;
    return;
  }
  FId = *Id;
  if (FCloseAfter) {
    // Closed while the daemon was still putting it up.
    FCloseAfter = false;
    FBus->closeNotification(FId);
    FId = 0;
  }
  send();
}

void DesktopNotifier::close() {
  FWaiting.reset();
  FCloseAfter = FInFlight;
  if (FBus && FId != 0 && FAvailable.value_or(false)) FBus->closeNotification(FId);
  FId = 0;
}

} // namespace kc

#include "Notifications.moc"
