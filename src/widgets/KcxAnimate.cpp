#include "widgets/KcxAnimate.h"

#include "platform/Log.h"

#include <QPainter>

namespace kc {

TKcImageControl::TKcImageControl(QWidget *parent) : QWidget(parent) {
  resize(105, 105);
  // Takes its parent's colour.
  setAutoFillBackground(false);
}

TKcImageControl::~TKcImageControl() = default;

void TKcImageControl::PaintNow() {
  if (isVisible()) repaint();
}

void TKcImageControl::PictureChanged() { update(); }

void TKcImageControl::paintEvent(QPaintEvent *) {
  std::lock_guard<std::recursive_mutex> lock(FLock);
  QPainter p(this);
  FDrawing = true;
  // A picture that cannot be drawn leaves the control blank; the next paint
  // tries again.
  try {
    PaintImage(p);
  } catch (...) {
    LogCaughtException("picture painting");
  }
  FDrawing = false;
}

} // namespace kc
