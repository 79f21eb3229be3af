#pragma once
// An icon in the desktop's notification area (StatusNotifier or XEmbed,
// through Qt). Where the desktop has no notification area the icon says so
// and every call fails harmlessly. Tests put a factory of their own in place.
#include <functional>
#include <memory>

#include <QImage>
#include <QString>

namespace kc {

class TrayIcon {
public:
  enum class Activation { Click, DoubleClick, Context, Middle };
  enum class MessageKind { None, Information, Warning, Error };

  virtual ~TrayIcon() = default;
  virtual bool available() const = 0;
  virtual bool show() = 0;
  virtual bool hide() = 0;
  virtual bool visible() const = 0;
  // Replaces picture and tooltip; false when the icon cannot be shown.
  virtual bool modify(const QImage &icon, const QString &tip) = 0;
  virtual bool showMessage(const QString &title, const QString &text, MessageKind kind, int timeoutMs) = 0;

  std::function<void(Activation)> onActivated;
  std::function<void()> onMessageClicked;
};

using TrayIconFactory = std::function<std::unique_ptr<TrayIcon>()>;

std::unique_ptr<TrayIcon> createTrayIcon();

class TrayIconFactoryOverride {
public:
  explicit TrayIconFactoryOverride(TrayIconFactory factory);
  ~TrayIconFactoryOverride();
  TrayIconFactoryOverride(const TrayIconFactoryOverride &) = delete;
  TrayIconFactoryOverride &operator=(const TrayIconFactoryOverride &) = delete;

private:
  TrayIconFactory previous_;
};

} // namespace kc
