#include "platform/TbScreenShot.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#if __has_include(<xcb/xcb.h>) && defined(KC_HAVE_XCB)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#define KC_TB_XCB 1
#endif

#include <string>

namespace kc {

namespace {

bool HaveGui() { return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr; }

// -1 none, else 0 or 1.
int g_compositedOverride = -1;

#ifdef KC_TB_XCB
// The compositing manager of an X screen owns the selection _NET_WM_CM_S<n>.
bool X11CompositorRuns() {
  auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t *c = x11 ? x11->connection() : nullptr;
  if (!c) return false;
  int screen = 0;
  if (const char *display = std::getenv("DISPLAY")) {
    // ":0.1" names screen 1; the default screen otherwise.
    const std::string d(display);
    const size_t dot = d.rfind('.'), colon = d.rfind(':');
    if (dot != std::string::npos && colon != std::string::npos && dot > colon) screen = std::atoi(d.c_str() + dot + 1);
  }
  const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
  // An atom, once made, lasts as long as the server: asked for once, it
  // saves a round trip each time a menu casts its shadows.
  static std::string knownName;
  static xcb_atom_t known = XCB_ATOM_NONE;
  if (known == XCB_ATOM_NONE || knownName != name) {
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(name.size()), name.c_str()), nullptr);
    if (!atom) return false;
    const xcb_atom_t a = atom->atom;
    free(atom);
    if (a == XCB_ATOM_NONE) return false; // nobody ever made it, so nobody owns it
    known = a;
    knownName = name;
  }
  const xcb_atom_t a = known;
  xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, a), nullptr);
  const bool owned = owner && owner->owner != XCB_NONE;
  free(owner);
  return owned;
}
#endif

} // namespace

QImage tbGrabScreen() {
  if (!HaveGui()) return {};
  QScreen *screen = QGuiApplication::primaryScreen();
  if (!screen) return {};
  return screen->grabWindow(0).toImage();
}

namespace {

// Where a rectangle lies on its screen, or null when it leaves it.
QScreen *ScreenHolding(const QRect &LogicalRect) {
  if (LogicalRect.isEmpty()) return nullptr;
  QScreen *screen = QGuiApplication::screenAt(LogicalRect.center());
  return screen && screen->geometry().contains(LogicalRect) ? screen : nullptr;
}

QImage GrabUpToDate(QScreen &Screen, const QRect &LogicalRect) {
  const QRect r = LogicalRect.translated(-Screen.geometry().topLeft());
  const QPixmap strip = Screen.grabWindow(0, r.x(), r.y(), r.width(), r.height());
  if (strip.isNull()) return {};
  QImage image = strip.toImage();
  image.setDevicePixelRatio(strip.devicePixelRatio());
  return image;
}

// The window system first tells us what it uncovered (a menu level that has
// just closed), then our own windows beneath draw what they owe. It answers
// one program's requests in order, so a picture asked for after those
// paints shows them.
void BringUpToDate() {
  QGuiApplication::sync();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

} // namespace

std::vector<QImage> tbGrabScreenAreas(const std::vector<QRect> &LogicalRects) {
  std::vector<QImage> out(LogicalRects.size());
  if (!HaveGui()) return out;
  bool upToDate = false;
  for (size_t i = 0; i < LogicalRects.size(); ++i) {
    QScreen *screen = ScreenHolding(LogicalRects[i]);
    if (!screen) continue;
    if (!upToDate) BringUpToDate();
    upToDate = true;
    out[i] = GrabUpToDate(*screen, LogicalRects[i]);
  }
  return out;
}

bool tbDesktopComposited() {
  if (g_compositedOverride >= 0) return g_compositedOverride == 1;
  if (!HaveGui()) return false;
  const QString platform = QGuiApplication::platformName();
  if (platform.startsWith(QLatin1String("wayland"))) return true;
#ifdef KC_TB_XCB
  if (platform == QLatin1String("xcb")) return X11CompositorRuns();
#endif
  return false;
}

TbCompositingOverride::TbCompositingOverride(bool Composited) : previous_(g_compositedOverride) {
  g_compositedOverride = Composited ? 1 : 0;
}

TbCompositingOverride::~TbCompositingOverride() { g_compositedOverride = previous_; }

} // namespace kc
