#pragma once
// Desktop settings the widgets and menus read: the double-click time, the
// pointer's position, the application-wide hint colour and hint switch, and
// whether the window system lets a program place its windows. Each has a
// fixed value a test can put in place.
#include <optional>

#include <QPoint>

#include "platform/CanvasTypes.h"

namespace kc {

// The longest gap between the clicks of a double click, in ms (the desktop's
// setting; 500 without a GUI).
int doubleClickTime();
// The pointer's position on the screen: where it was put, else the real one.
QPoint cursorPosition();
// Puts the pointer where tests and scripted demos want it; none gives the
// real pointer again.
void setCursorPosition(std::optional<QPoint> pos);
// Whether the window system honours a program's own window placement (X11
// does; Wayland does not).
bool windowsCanBePlaced();
// The colour and switch of the application's hints (tooltips); widgets swap
// the colour while the mouse is over them.
TColor applicationHintColor();
void setApplicationHintColor(TColor c);
bool applicationShowHint();
void setApplicationShowHint(bool on);
// A text caret's whole blink period, on and off, in ms (the desktop's cursor
// flash time; 0 or less: a steady caret; 1000 without a GUI).
int caretFlashTime();
// A fixed flash time for tests; none gives the desktop's again.
void setCaretFlashTime(std::optional<int> ms);

struct DesktopMetricsValues {
  std::optional<int> doubleClickTime;
  std::optional<QPoint> cursorPosition;
  std::optional<bool> windowsCanBePlaced;
};

// Puts fixed values in place while it lives (unset fields keep the desktop's);
// the pointer goes back to where it was when it ends.
class DesktopMetricsOverride {
public:
  explicit DesktopMetricsOverride(const DesktopMetricsValues &values);
  ~DesktopMetricsOverride();
  DesktopMetricsOverride(const DesktopMetricsOverride &) = delete;
  DesktopMetricsOverride &operator=(const DesktopMetricsOverride &) = delete;

private:
  std::optional<DesktopMetricsValues> previous_;
  std::optional<QPoint> previousCursor_;
};

} // namespace kc
