#pragma once
// System colours from the desktop: the application's palette (light or
// dark, whatever the desktop's Qt theme gives) mapped onto the system
// colour indices of platform/Canvas, at start and whenever the palette
// changes. Until a program follows the desktop, the classic scheme holds.
#include <QPalette>

namespace kc {

// Every system colour from Palette.
void ApplyPaletteSysColors(const QPalette &Palette);
// Takes the application's palette now and on every change of it, and
// repaints the widgets after a change. Needs a QGuiApplication; a second
// call does nothing more.
void FollowDesktopColors();
// Stops following and puts the classic scheme back.
void StopFollowingDesktopColors();
bool FollowingDesktopColors();

} // namespace kc
