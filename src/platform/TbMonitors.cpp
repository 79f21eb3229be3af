#include "platform/TbMonitors.h"

#include <QGuiApplication>
#include <QScreen>

#include <climits>

#include "platform/Screen.h"

namespace kc {

namespace {

std::optional<std::vector<TbMonitor>> g_override;

QRect ToQRect(const ScreenRect &R) { return QRect(R.left, R.top, R.width(), R.height()); }

// Squared distance from the point to the rectangle (0 inside).
long long DistanceSq(const QRect &R, QPoint P) {
  const long long dx = P.x() < R.left() ? R.left() - P.x() : P.x() > R.right() ? P.x() - R.right() : 0;
  const long long dy = P.y() < R.top() ? R.top() - P.y() : P.y() > R.bottom() ? P.y() - R.bottom() : 0;
  return dx * dx + dy * dy;
}

} // namespace

std::vector<TbMonitor> tbMonitors() {
  if (g_override && !g_override->empty()) return *g_override;
  std::vector<TbMonitor> out;
  if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.size() > 1)
      for (const QScreen *s : screens) out.push_back({s->geometry(), s->availableGeometry()});
  }
  if (out.empty()) out.push_back({ToQRect(virtualScreen()), ToQRect(screenWorkArea())});
  return out;
}

QRect tbWorkAreaAt(QPoint Global) {
  const std::vector<TbMonitor> all = tbMonitors();
  const TbMonitor *best = &all.front();
  long long bestD = LLONG_MAX;
  for (const TbMonitor &m : all) {
    const long long d = DistanceSq(m.bounds, Global);
    if (d < bestD) {
      bestD = d;
      best = &m;
    }
  }
  return best->workArea;
}

QRect tbWorkAreaOf(const QRect &Global) {
  const std::vector<TbMonitor> all = tbMonitors();
  const TbMonitor *best = nullptr;
  long long bestArea = 0;
  for (const TbMonitor &m : all) {
    const QRect common = m.bounds.intersected(Global);
    const long long area = static_cast<long long>(common.width()) * common.height();
    if (area > bestArea) {
      bestArea = area;
      best = &m;
    }
  }
  return best ? best->workArea : tbWorkAreaAt(Global.center());
}

TbMonitorsOverride::TbMonitorsOverride(std::vector<TbMonitor> monitors) : previous_(g_override) {
  g_override = std::move(monitors);
}

TbMonitorsOverride::~TbMonitorsOverride() { g_override = previous_; }

} // namespace kc
