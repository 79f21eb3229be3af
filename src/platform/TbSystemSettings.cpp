#include "platform/TbSystemSettings.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>

namespace kc {

namespace {
std::optional<TbSystemSettings> g_override;
TbSoundSink g_soundSink;
const TbSystemSettings kDefaults{};
} // namespace

std::optional<TbSystemSettings> g_desktop;

const TbSystemSettings &tbSystemSettings() {
  if (g_override) return *g_override;
  return g_desktop ? *g_desktop : kDefaults;
}

TbSystemSettings tbDesktopSettings() {
  TbSystemSettings s;
  if (!qobject_cast<QApplication *>(QCoreApplication::instance())) return s;
  // Qt's platform theme puts the desktop's menu font under QMenu; a desktop
  // without one has its general font.
  QFont f = QApplication::font("QMenu");
  if (f.family().isEmpty()) f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  const QFontInfo info(f);
  s.menuFontFamily = f.family();
  if (info.pixelSize() > 0) s.menuFontPixelSize = info.pixelSize();
  s.menuFontBold = f.bold();
  return s;
}

void tbUseDesktopSettings() { g_desktop = tbDesktopSettings(); }

void tbUseFixedSettings() { g_desktop.reset(); }

QFont tbMenuFont() {
  const TbSystemSettings &s = tbSystemSettings();
  QFont f(s.menuFontFamily);
  f.setPixelSize(s.menuFontPixelSize > 0 ? s.menuFontPixelSize : 12);
  f.setBold(s.menuFontBold);
  return f;
}

TbSystemSettingsOverride::TbSystemSettingsOverride(const TbSystemSettings &settings) : previous_(g_override) {
  g_override = settings;
}

TbSystemSettingsOverride::~TbSystemSettingsOverride() { g_override = previous_; }

bool tbIsSoundEventAssigned(const std::string &eventName) {
  const TbSystemSettings &s = tbSystemSettings();
  if (eventName == "MenuPopup") return s.soundMenuPopup;
  if (eventName == "MenuCommand") return s.soundMenuCommand;
  return false;
}

void tbPlaySoundEvent(const std::string &eventName) {
  if (!tbIsSoundEventAssigned(eventName)) return;
  // The desktop offers no named system sounds; a sink in tests records them.
  if (g_soundSink) g_soundSink(eventName);
}

Qt::MouseButtons tbMouseButtons() {
  if (!qobject_cast<QApplication *>(QCoreApplication::instance())) return Qt::NoButton;
  return QApplication::mouseButtons();
}

QWidget *tbWidgetAt(QPoint global) {
  if (!qobject_cast<QApplication *>(QCoreApplication::instance())) return nullptr;
  return QApplication::widgetAt(global);
}

void setTbSoundSink(TbSoundSink sink) { g_soundSink = std::move(sink); }

} // namespace kc
