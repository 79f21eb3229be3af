#include "platform/TbScreenShot.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#if __has_include(<xcb/xcb.h>) && defined(KC_HAVE_XCB)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#define KC_TB_XCB 1
#endif

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace kc {

namespace {

bool HaveGui() { return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr; }

// -1 none, else 0 or 1.
int g_compositedOverride = -1;

#ifdef KC_TB_XCB
xcb_connection_t *X11Connection() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

// The X screen the program draws on: ":0.1" names screen 1; the default
// screen otherwise.
int X11ScreenNumber() {
  int screen = 0;
  if (const char *display = std::getenv("DISPLAY")) {
    const std::string d(display);
    const size_t dot = d.rfind('.'), colon = d.rfind(':');
    if (dot != std::string::npos && colon != std::string::npos && dot > colon) screen = std::atoi(d.c_str() + dot + 1);
  }
  return screen;
}

// The root window of the X screen, when its pixels come as 32-bit words in
// this machine's byte order with red, green and blue in the bytes of RGB32;
// 0 otherwise.
xcb_window_t X11RgbRoot(xcb_connection_t *C) {
  const xcb_setup_t *setup = xcb_get_setup(C);
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
  for (int i = X11ScreenNumber(); i > 0 && it.rem; --i) xcb_screen_next(&it);
  if (!it.rem) return 0;
  const xcb_screen_t *screen = it.data;
  if ((setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) != (Q_BYTE_ORDER == Q_LITTLE_ENDIAN)) return 0;
  if (screen->root_depth != 24 && screen->root_depth != 32) return 0;
  bool words = false;
  for (xcb_format_iterator_t f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
    if (f.data->depth == screen->root_depth) words = f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
  if (!words) return 0;
  for (xcb_depth_iterator_t d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d))
    for (xcb_visualtype_iterator_t v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
      if (v.data->visual_id == screen->root_visual)
        return v.data->red_mask == 0xFF0000 && v.data->green_mask == 0xFF00 && v.data->blue_mask == 0xFF ? screen->root
                                                                                                         : 0;
  return 0;
}

// Pictures of rectangles of the root window in its own pixels, every one
// asked for before any answer is awaited: one round trip for all, where
// copying each through a pixmap costs several. False when the root's pixels
// cannot be read so; a null image for a rectangle the server refused.
bool X11GrabRoot(const std::vector<QRect> &Native, std::vector<QImage> &Out) {
  xcb_connection_t *c = X11Connection();
  const xcb_window_t root = c ? X11RgbRoot(c) : 0;
  if (!root) return false;
  std::vector<xcb_get_image_cookie_t> asked;
  for (const QRect &r : Native)
    asked.push_back(xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(r.x()), int16_t(r.y()),
                                  uint16_t(r.width()), uint16_t(r.height()), ~0u));
  Out.assign(Native.size(), QImage());
  for (size_t i = 0; i < Native.size(); ++i) {
    xcb_get_image_reply_t *reply = xcb_get_image_reply(c, asked[i], nullptr);
    if (!reply) continue;
    const QRect &r = Native[i];
    const size_t row = size_t(r.width()) * 4;
    if (size_t(xcb_get_image_data_length(reply)) >= row * size_t(r.height())) {
      QImage image(r.size(), QImage::Format_RGB32);
      const uint8_t *data = xcb_get_image_data(reply);
      for (int y = 0; y < r.height(); ++y) std::memcpy(image.scanLine(y), data + row * size_t(y), row);
      Out[i] = image;
    }
    free(reply);
  }
  return true;
}

// The compositing manager of an X screen owns the selection _NET_WM_CM_S<n>.
bool X11CompositorRuns() {
  xcb_connection_t *c = X11Connection();
  if (!c) return false;
  const std::string name = "_NET_WM_CM_S" + std::to_string(X11ScreenNumber());
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

QImage QtGrab(QScreen &Screen, const QRect &LogicalRect) {
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

// A logical rectangle on Screen in the window system's pixels: a screen's
// top-left is the same in both, and its scale applies from there.
QRect ToNative(const QScreen &Screen, const QRect &LogicalRect) {
  const qreal f = Screen.devicePixelRatio();
  const QPoint origin = Screen.geometry().topLeft();
  return QRect(origin + (LogicalRect.topLeft() - origin) * f, LogicalRect.size() * f);
}

} // namespace

std::vector<QImage> tbGrabScreenAreas(const std::vector<QRect> &LogicalRects) {
  std::vector<QImage> out(LogicalRects.size());
  if (!HaveGui()) return out;
  std::vector<QScreen *> screens;
  for (const QRect &r : LogicalRects) screens.push_back(ScreenHolding(r));
  if (std::all_of(screens.begin(), screens.end(), [](QScreen *s) { return s == nullptr; })) return out;
  BringUpToDate();
#ifdef KC_TB_XCB
  std::vector<QRect> native;
  for (size_t i = 0; i < LogicalRects.size(); ++i)
    native.push_back(screens[i] ? ToNative(*screens[i], LogicalRects[i]) : QRect());
  std::vector<QImage> x11;
  std::vector<size_t> asked;
  std::vector<QRect> rects;
  for (size_t i = 0; i < native.size(); ++i)
    if (!native[i].isEmpty()) {
      asked.push_back(i);
      rects.push_back(native[i]);
    }
  if (X11GrabRoot(rects, x11)) {
    for (size_t k = 0; k < asked.size(); ++k) {
      out[asked[k]] = x11[k];
      out[asked[k]].setDevicePixelRatio(screens[asked[k]]->devicePixelRatio());
    }
    return out;
  }
#endif
  for (size_t i = 0; i < LogicalRects.size(); ++i)
    if (screens[i]) out[i] = QtGrab(*screens[i], LogicalRects[i]);
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
