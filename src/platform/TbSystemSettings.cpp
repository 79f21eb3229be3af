#include "platform/TbSystemSettings.h"

#include <QApplication>
#include <QCursor>

namespace kc {

namespace {
std::optional<TbSystemSettings> g_override;
TbSoundSink g_soundSink;
const TbSystemSettings kDefaults{};
} // namespace

const TbSystemSettings &tbSystemSettings() { return g_override ? *g_override : kDefaults; }

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

void tbMessageBeep() {
  if (g_soundSink) {
    g_soundSink("beep");
    return;
  }
  if (qobject_cast<QApplication *>(QCoreApplication::instance())) QApplication::beep();
}

namespace {
std::optional<QPoint> g_cursorPos;
}

QPoint tbCursorPos() { return g_cursorPos ? *g_cursorPos : QCursor::pos(); }
void setTbCursorPos(std::optional<QPoint> pos) { g_cursorPos = pos; }

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
