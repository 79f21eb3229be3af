#include "platform/Screen.h"

#include <climits>
#include <mutex>

#include <QGuiApplication>
#include <QScreen>

namespace kc {

namespace {

std::mutex g_mutex;
std::optional<std::pair<ScreenRect, ScreenRect>> g_override;
std::optional<std::vector<Monitor>> g_monitors;

constexpr ScreenRect kNoScreen{0, 0, 1024, 768};

ScreenRect fromQt(const QRect &r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

QRect toQt(const ScreenRect &r) { return QRect(r.left, r.top, r.width(), r.height()); }

bool haveGui() { return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr; }

QScreen *primary() { return haveGui() ? QGuiApplication::primaryScreen() : nullptr; }

// Squared distance from the point to the rectangle (0 inside).
long long distanceSq(const QRect &r, QPoint p) {
  const long long dx = p.x() < r.left() ? r.left() - p.x() : p.x() > r.right() ? p.x() - r.right() : 0;
  const long long dy = p.y() < r.top() ? r.top() - p.y() : p.y() > r.bottom() ? p.y() - r.bottom() : 0;
  return dx * dx + dy * dy;
}

} // namespace

ScreenRect screenWorkArea() {
  {
    std::lock_guard g(g_mutex);
    if (g_override) return g_override->first;
  }
  QScreen *s = primary();
  if (!s || s->availableGeometry().isEmpty()) return kNoScreen;
  return fromQt(s->availableGeometry());
}

ScreenRect virtualScreen() {
  {
    std::lock_guard g(g_mutex);
    if (g_override) return g_override->second;
  }
  QScreen *s = primary();
  if (!s || s->virtualGeometry().isEmpty()) return kNoScreen;
  return fromQt(s->virtualGeometry());
}

ScreenOverride::ScreenOverride(const ScreenRect &workArea, const ScreenRect &virtualScreen) {
  std::lock_guard g(g_mutex);
  previous_ = g_override;
  g_override = std::make_pair(workArea, virtualScreen);
}

ScreenOverride::~ScreenOverride() {
  std::lock_guard g(g_mutex);
  g_override = previous_;
}

std::vector<Monitor> monitors() {
  {
    std::lock_guard g(g_mutex);
    if (g_monitors && !g_monitors->empty()) return *g_monitors;
  }
  std::vector<Monitor> out;
  if (haveGui()) {
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.size() > 1)
      for (const QScreen *s : screens) out.push_back({s->geometry(), s->availableGeometry()});
  }
  if (out.empty()) out.push_back({toQt(virtualScreen()), toQt(screenWorkArea())});
  return out;
}

QRect monitorWorkAreaAt(QPoint global) {
  const std::vector<Monitor> all = monitors();
  const Monitor *best = &all.front();
  long long bestD = LLONG_MAX;
  for (const Monitor &m : all) {
    const long long d = distanceSq(m.bounds, global);
    if (d < bestD) {
      bestD = d;
      best = &m;
    }
  }
  return best->workArea;
}

QRect monitorWorkAreaOf(const QRect &global) {
  const std::vector<Monitor> all = monitors();
  const Monitor *best = nullptr;
  long long bestArea = 0;
  for (const Monitor &m : all) {
    const QRect common = m.bounds.intersected(global);
    const long long area = static_cast<long long>(common.width()) * common.height();
    if (area > bestArea) {
      bestArea = area;
      best = &m;
    }
  }
  return best ? best->workArea : monitorWorkAreaAt(global.center());
}

MonitorsOverride::MonitorsOverride(std::vector<Monitor> monitors) {
  std::lock_guard g(g_mutex);
  previous_ = g_monitors;
  g_monitors = std::move(monitors);
}

MonitorsOverride::~MonitorsOverride() {
  std::lock_guard g(g_mutex);
  g_monitors = previous_;
}

} // namespace kc
