#include "toolbars/TBarShadow.h"

#include <QPainter>

#include "platform/TbScreenShot.h"

namespace kc::tb {

TShadow::TShadow(const QRect &ScreenRect, const TShadowStrip &Strip)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTransparentForInput | Qt::NoDropShadowWindowHint),
      strip_(Strip) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_NoSystemBackground);
  setGeometry(ScreenRect);
}

bool TShadow::CaptureAndShow() {
  if (!captured_) {
    captured_ = true;
    const QImage screen = tbGrabScreen();
    if (screen.isNull() || !screen.rect().contains(geometry())) return false;
    picture_ = screen.copy(geometry()).convertToFormat(QImage::Format_RGB32);
    DarkenShadowStrip(picture_, strip_);
  }
  if (picture_.isNull()) return false;
  show();
  return true;
}

void TShadow::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.drawImage(0, 0, picture_);
}

} // namespace kc::tb
