#pragma once
// Pictures of the screen as the user sees it (all windows): the whole of it
// for the toolbar demo's step pictures, and the strip under a menu's shadow.
// A null image where the window system gives none.
#include <QImage>
#include <QRect>

#include <vector>

namespace kc {

QImage tbGrabScreen();

// The screen under each rectangle in logical (device-independent) screen
// coordinates, in device pixels: an image's devicePixelRatio says how many
// there are to a logical one. Paints the program still owes are drawn and
// the window system is brought up to date first (once for all), so the
// pictures show what lies there now rather than a window that has just
// gone. A null image where a rectangle leaves its screen or no picture can
// be had.
std::vector<QImage> tbGrabScreenAreas(const std::vector<QRect> &LogicalRects);

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
