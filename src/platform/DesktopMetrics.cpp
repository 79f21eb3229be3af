#include "platform/DesktopMetrics.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPalette>
#include <QStyleHints>
#include <QToolTip>

namespace kc {

namespace {

std::optional<DesktopMetricsValues> g_override;
std::optional<QPoint> g_cursor;
TColor g_hintColor = clInfoBk;
bool g_showHint = true;

bool haveGui() { return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr; }

QColor toQColor(TColor c) {
  const TColor rgb = ColorToRGB(c);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

} // namespace

int doubleClickTime() {
  if (g_override && g_override->doubleClickTime) return *g_override->doubleClickTime;
  if (!haveGui()) return 500;
  return QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

std::optional<int> g_caretFlash;

void setCaretFlashTime(std::optional<int> ms) { g_caretFlash = ms; }

int caretFlashTime() {
  if (g_caretFlash) return *g_caretFlash;
  if (!haveGui()) return 1000;
  return QGuiApplication::styleHints()->cursorFlashTime();
}

QPoint cursorPosition() {
  if (g_cursor) return *g_cursor;
  return haveGui() ? QCursor::pos() : QPoint();
}

void setCursorPosition(std::optional<QPoint> pos) { g_cursor = pos; }

bool windowsCanBePlaced() {
  if (g_override && g_override->windowsCanBePlaced) return *g_override->windowsCanBePlaced;
  return haveGui() && !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

TColor applicationHintColor() { return g_hintColor; }

void setApplicationHintColor(TColor c) {
  g_hintColor = c;
  if (!qobject_cast<QApplication *>(QCoreApplication::instance())) return;
  QPalette p = QToolTip::palette();
  p.setColor(QPalette::ToolTipBase, toQColor(c));
  QToolTip::setPalette(p);
}

bool applicationShowHint() { return g_showHint; }
void setApplicationShowHint(bool on) { g_showHint = on; }

DesktopMetricsOverride::DesktopMetricsOverride(const DesktopMetricsValues &values)
    : previous_(g_override), previousCursor_(g_cursor) {
  g_override = values;
  if (values.cursorPosition) g_cursor = values.cursorPosition;
}

DesktopMetricsOverride::~DesktopMetricsOverride() {
  g_override = previous_;
  g_cursor = previousCursor_;
}

} // namespace kc
