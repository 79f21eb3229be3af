#include "toolbars/TBarShadow.h"

#include <QPainter>

#include "platform/TbScreenShot.h"

namespace kc::tb {

TShadow::TShadow(const QRect &ScreenRect, const TShadowStrip &Strip)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTransparentForInput | Qt::NoDropShadowWindowHint),
      strip_(Strip), translucent_(tbDesktopComposited()) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  // Translucency has to be asked for before the window exists.
  if (translucent_) setAttribute(Qt::WA_TranslucentBackground);
  else setAttribute(Qt::WA_NoSystemBackground);
  setGeometry(ScreenRect);
}

bool TShadow::CaptureAndShow() {
  if (!captured_) {
    captured_ = true;
    if (translucent_) {
      picture_ = TranslucentShadowStrip(size(), strip_);
    } else {
      picture_ = tbGrabScreenArea(geometry());
      DarkenShadowStrip(picture_, strip_);
    }
  }
  if (picture_.isNull()) return false;
  show();
  return true;
}

void TShadow::paintEvent(QPaintEvent *) {
  QPainter p(this);
  if (translucent_) {
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(rect(), picture_);
    return;
  }
  // The copy carries its device pixel ratio, so it covers the window one
  // device pixel to one.
  p.drawImage(QPoint(0, 0), picture_);
}

} // namespace kc::tb
