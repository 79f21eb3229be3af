#include "platform/TrayIcon.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace kc {

namespace {

class QtTrayIcon : public TrayIcon {
public:
  QtTrayIcon() {
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) return;
    icon_ = std::make_unique<QSystemTrayIcon>();
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason r) {
      if (!onActivated) return;
      switch (r) {
      case QSystemTrayIcon::Trigger: onActivated(Activation::Click); break;
      case QSystemTrayIcon::DoubleClick: onActivated(Activation::DoubleClick); break;
      case QSystemTrayIcon::Context: onActivated(Activation::Context); break;
      case QSystemTrayIcon::MiddleClick: onActivated(Activation::Middle); break;
      default: break;
      }
    });
    QObject::connect(icon_.get(), &QSystemTrayIcon::messageClicked, [this] {
      if (onMessageClicked) onMessageClicked();
    });
  }
  bool available() const override { return icon_ && QSystemTrayIcon::isSystemTrayAvailable(); }
  bool show() override {
    if (!available()) return false;
    icon_->show();
    return true;
  }
  bool hide() override {
    if (!icon_) return false;
    icon_->hide();
    return available();
  }
  bool visible() const override { return icon_ && icon_->isVisible(); }
  bool modify(const QImage &icon, const QString &tip) override {
    if (!icon_) return false;
    icon_->setIcon(icon.isNull() ? QIcon() : QIcon(QPixmap::fromImage(icon)));
    icon_->setToolTip(tip);
    return available();
  }
  bool showMessage(const QString &title, const QString &text, MessageKind kind, int timeoutMs) override {
    if (!available() || !QSystemTrayIcon::supportsMessages()) return false;
    static constexpr QSystemTrayIcon::MessageIcon kIcons[] = {QSystemTrayIcon::NoIcon, QSystemTrayIcon::Information,
                                                              QSystemTrayIcon::Warning, QSystemTrayIcon::Critical};
    icon_->showMessage(title, text, kIcons[static_cast<int>(kind)], timeoutMs);
    return true;
  }

private:
  std::unique_ptr<QSystemTrayIcon> icon_;
};

TrayIconFactory g_factory;

} // namespace

std::unique_ptr<TrayIcon> createTrayIcon() {
  if (g_factory) return g_factory();
  return std::make_unique<QtTrayIcon>();
}

TrayIconFactoryOverride::TrayIconFactoryOverride(TrayIconFactory factory) : previous_(std::move(g_factory)) {
  g_factory = std::move(factory);
}
TrayIconFactoryOverride::~TrayIconFactoryOverride() { g_factory = std::move(previous_); }

} // namespace kc
