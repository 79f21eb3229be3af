#pragma once
// Pictures of the screen as the user sees it (all windows): the whole of it
// for the toolbar demo's step pictures, and the strip under a menu's shadow.
// A null image where the window system gives none.
#include <QImage>
#include <QRect>

namespace kc {

QImage tbGrabScreen();

// The screen under a rectangle in logical (device-independent) screen
// coordinates, in device pixels: the image's devicePixelRatio says how many
// there are to a logical one. Paints the program still owes are drawn and
// the window system is brought up to date first, so the picture shows what
// lies there now rather than a window that has just gone. Null when the
// rectangle leaves its screen or no picture can be had.
QImage tbGrabScreenArea(const QRect &LogicalRect);

// Whether a compositing manager draws the desktop, so a window can be
// partly transparent over whatever lies beneath it: always under Wayland; on
// X11 when the compositing selection of the screen has an owner.
bool tbDesktopComposited();

// Tests and benchmarks pretend there is (or is not) a compositor.
class TbCompositingOverride {
public:
  explicit TbCompositingOverride(bool Composited);
  ~TbCompositingOverride();
  TbCompositingOverride(const TbCompositingOverride &) = delete;
  TbCompositingOverride &operator=(const TbCompositingOverride &) = delete;

private:
  int previous_;
};

} // namespace kc
