#include "platform/Screen.h"

#include <mutex>

#include <QGuiApplication>
#include <QScreen>

namespace kc {

namespace {

std::mutex g_mutex;
std::optional<std::pair<ScreenRect, ScreenRect>> g_override;

constexpr ScreenRect kNoScreen{0, 0, 1024, 768};

ScreenRect fromQt(const QRect &r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

QScreen *primary() {
  return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
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

} // namespace kc
