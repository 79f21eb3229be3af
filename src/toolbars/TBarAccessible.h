#pragma once
// What assistive technology sees of toolbars, menu bars and popup menus: the
// bar or menu, and each item it shows as a child (button, menu item or
// separator) named by its caption, else its hint, with its place on screen,
// its checked, enabled, open and focused states and a press action. The
// items are drawn by the view, not widgets of their own, so without this a
// screen reader finds one nameless panel.

#include <functional>

class QAccessibleEvent;
class QWidget;

namespace kc::tb {

class TTBView;

// Installs the accessibility factory for toolbars and popup menus (once;
// later calls do nothing).
void InstallToolbarAccessibility();

// The view's selection moved: inside a menu (a popup, or a bar in its menu
// loop) the newly selected item takes the focus, as a screen reader follows
// it. Nothing is sent while no assistive technology listens.
void AnnounceSelection(TTBView &View);

// A menu opened or closed: a popup window (shown or going) or a bar's menu
// loop (begun or ended).
void AnnounceMenu(QWidget *Window, bool Opened);

// Tests read the events sent here instead of the desktop; null restores it.
using AccessibleEventSink = std::function<void(QAccessibleEvent &)>;
void SetAccessibleEventSink(AccessibleEventSink Sink);

} // namespace kc::tb
