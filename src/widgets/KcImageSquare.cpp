#include "widgets/KcImageSquare.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

#include "widgets/KcDraw.h"

namespace kc {

TKcImageSquare::TKcImageSquare(QWidget *parent) : QWidget(parent) { resize(36, 36); }

void TKcImageSquare::SetBackColor(TColor c) {
  FBackColor = c;
  if (!FMouseInside) FCurrent = c;
  update();
}

void TKcImageSquare::paintEvent(QPaintEvent *) {
  QPainter p(this);
  const QColor back = QColorOf(FCurrent);
  p.fillRect(rect(), back);
  if (FImageList && FImageList->ValidIndex(FImageIndex)) {
    const QImage img = FImageList->GetImage(FImageIndex, devicePixelRatioF());
    p.drawImage((width() - FImageList->Width()) / 2, (height() - FImageList->Height()) / 2, img);
  }
  QRect r = rect();
  if (FShowClick && FMouseDown) {
    Frame3D(p, r, QColorOf(clBtnShadow), QColorOf(clBtnHighlight), 1);
  } else if (FBorderStyle == TBorderStyle::bsSingle) {
    Frame3D(p, r, QColorOf(clBtnShadow), QColorOf(clBtnHighlight), 1);
    Frame3D(p, r, QColorOf(cl3DDkShadow), QColorOf(cl3DLight), 1);
    Frame3D(p, r, back, back, 1);
  } else {
    Frame3D(p, r, back, back, 1);
  }
}

void TKcImageSquare::enterEvent(QEnterEvent *e) {
  FMouseInside = true;
  FCurrent = FHiColor;
  update();
  if (OnEnter) OnEnter(this);
  QWidget::enterEvent(e);
}

void TKcImageSquare::leaveEvent(QEvent *e) {
  FMouseInside = false;
  FMouseDown = false;
  FCurrent = FBackColor;
  update();
  if (OnExit) OnExit(this);
  QWidget::leaveEvent(e);
}

void TKcImageSquare::mousePressEvent(QMouseEvent *e) {
  if (e->button() != Qt::LeftButton) return;
  FMouseDown = true;
  update();
}

void TKcImageSquare::mouseReleaseEvent(QMouseEvent *e) {
  if (!FMouseDown) return;
  FMouseDown = false;
  update();
  if (rect().contains(e->position().toPoint()) && OnClick) OnClick(this);
}

} // namespace kc
