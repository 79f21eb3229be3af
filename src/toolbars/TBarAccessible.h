#pragma once
// What assistive technology sees of a toolbar: the toolbar, and each item
// it shows as a button (or separator) named by its caption, else its hint,
// with its place on screen, its checked and enabled states and a press
// action. The items are drawn by the toolbar, not widgets of their own, so
// without this a screen reader finds one nameless panel.
class QAccessibleInterface;
class QObject;
class QString;

namespace kc::tb {

// Installs the accessibility factory for toolbars (once; later calls do
// nothing).
void InstallToolbarAccessibility();

} // namespace kc::tb
