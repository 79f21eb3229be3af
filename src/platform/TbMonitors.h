#pragma once
// The monitors of the desktop, for placing menus on the screen they open
// on. With one monitor it is the screen service's work area, so what sets
// that (tests included) sets this; tests set several monitors with an
// override.
#include <QPoint>
#include <QRect>

#include <optional>
#include <vector>

namespace kc {

struct TbMonitor {
  QRect bounds;   // the whole monitor
  QRect workArea; // without panels and docks
};

std::vector<TbMonitor> tbMonitors();

// The work area of the monitor holding the point; a point on no monitor
// takes the nearest one.
QRect tbWorkAreaAt(QPoint Global);
// The same for the monitor sharing most of the rectangle (the nearest one
// when it touches none).
QRect tbWorkAreaOf(const QRect &Global);

class TbMonitorsOverride {
public:
  explicit TbMonitorsOverride(std::vector<TbMonitor> monitors);
  ~TbMonitorsOverride();
  TbMonitorsOverride(const TbMonitorsOverride &) = delete;
  TbMonitorsOverride &operator=(const TbMonitorsOverride &) = delete;

private:
  std::optional<std::vector<TbMonitor>> previous_;
};

} // namespace kc
