#pragma once
// The screens the windows are placed on: the work area of the primary screen
// (without panels and docks), the size of the whole virtual desktop, and the
// monitors, for placing menus and hints on the one they open on. Tests set
// each of them.
#include <optional>
#include <utility>
#include <vector>

#include <QPoint>
#include <QRect>

namespace kc {

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const ScreenRect &) const = default;
};

// The primary screen's available geometry; 1024 x 768 when there is no screen.
ScreenRect screenWorkArea();
// The bounding box of all screens; 1024 x 768 when there is no screen.
ScreenRect virtualScreen();

// Replaces what the two calls above give while it lives.
class ScreenOverride {
public:
  ScreenOverride(const ScreenRect &workArea, const ScreenRect &virtualScreen);
  ~ScreenOverride();
  ScreenOverride(const ScreenOverride &) = delete;
  ScreenOverride &operator=(const ScreenOverride &) = delete;

private:
  std::optional<std::pair<ScreenRect, ScreenRect>> previous_;
};

struct Monitor {
  QRect bounds;   // the whole monitor
  QRect workArea; // without panels and docks
};

// The monitors; with one monitor it is the virtual screen and the work area
// above, so what sets those (tests included) sets this.
std::vector<Monitor> monitors();

// The work area of the monitor holding the point; a point on no monitor
// takes the nearest one.
QRect monitorWorkAreaAt(QPoint global);
// The same for the monitor sharing most of the rectangle (the nearest one
// when it touches none).
QRect monitorWorkAreaOf(const QRect &global);

// Replaces the monitors while it lives (an empty list leaves them alone).
class MonitorsOverride {
public:
  explicit MonitorsOverride(std::vector<Monitor> monitors);
  ~MonitorsOverride();
  MonitorsOverride(const MonitorsOverride &) = delete;
  MonitorsOverride &operator=(const MonitorsOverride &) = delete;

private:
  std::optional<std::vector<Monitor>> previous_;
};

} // namespace kc
