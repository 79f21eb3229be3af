#pragma once
// The screen the windows are placed on: the work area of the primary screen
// (without panels and docks) and the size of the whole virtual desktop.
// Tests set both.
#include <optional>
#include <utility>

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

} // namespace kc
