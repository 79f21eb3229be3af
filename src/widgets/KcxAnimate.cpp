#include "widgets/KcxAnimate.h"

#include <QPainter>

namespace kc {

TKcImageControl::TKcImageControl(QWidget *parent) : QWidget(parent) {
  resize(105, 105);
  // Takes its parent's colour.
  setAutoFillBackground(false);
}

TKcImageControl::~TKcImageControl() = default;

void TKcImageControl::PaintNow() {
  if (isVisible())
    repaint();
}

void TKcImageControl::PictureChanged() { update(); }

void TKcImageControl::paintEvent(QPaintEvent *) {
  std::lock_guard<std::recursive_mutex> lock(FLock);
  QPainter p(this);
  FDrawing = true;
  PaintImage(p);
  FDrawing = false;
}

} // namespace kc
