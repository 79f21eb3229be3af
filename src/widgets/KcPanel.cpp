#include "widgets/KcPanel.h"

#include <QEnterEvent>
#include <QPainter>

#include "platform/DesktopMetrics.h"
#include "widgets/KcDraw.h"

namespace kc {

TKcPanel::TKcPanel(QWidget *parent) : QWidget(parent) { resize(185, 41); }

void TKcPanel::SetTransparent(bool on) {
  FTransparent = on;
  Invalidate();
}

void TKcPanel::Invalidate() {
  if (FTransparent && parentWidget()) parentWidget()->update(geometry());
  else update();
}

QRect TKcPanel::CaptionRect() const {
  int inset = BorderWidth;
  if (FlatBorder) inset += 1;
  else inset += (BevelOuter != TBevelCut::bvNone ? BevelWidth : 0) + (BevelInner != TBevelCut::bvNone ? BevelWidth : 0);
  return rect().adjusted(inset, inset, -inset, -inset);
}

void TKcPanel::paintEvent(QPaintEvent *) {
  QPainter p(this);
  QRect r = rect();
  if (!FTransparent) p.fillRect(r, QColorOf(Color));
  if (FlatBorder) {
    Frame3D(p, r, QColorOf(FlatBorderColor), QColorOf(FlatBorderColor), 1);
  } else {
    for (TBevelCut cut : {BevelOuter, BevelInner}) {
      if (cut == TBevelCut::bvNone) continue;
      QColor hi = QColorOf(clBtnHighlight), sh = QColorOf(clBtnShadow);
      if (cut == TBevelCut::bvLowered) std::swap(hi, sh);
      Frame3D(p, r, hi, sh, BevelWidth);
    }
  }
  if (FCaption.isEmpty()) return;
  p.setPen(QColorOf(isEnabled() ? clBtnText : clGrayText));
  const QRect text = CaptionRect();
  const int wrap = MultiLine ? Qt::TextWordWrap : Qt::TextSingleLine;
  const QRect used = p.boundingRect(text, wrap | Qt::TextExpandTabs | (Alignment & Qt::AlignHorizontal_Mask), FCaption);
  // Centred vertically after measuring.
  const QRect placed(text.left(), text.top() + (text.height() - used.height()) / 2, text.width(), used.height());
  p.drawText(placed, wrap | Qt::TextExpandTabs | (Alignment & Qt::AlignHorizontal_Mask), FCaption);
}

void TKcPanel::enterEvent(QEnterEvent *e) {
  FSavedHintColor = applicationHintColor();
  setApplicationHintColor(HintColor);
  if (OnMouseEnter) OnMouseEnter(this);
  QWidget::enterEvent(e);
}

void TKcPanel::leaveEvent(QEvent *e) {
  setApplicationHintColor(FSavedHintColor);
  if (OnMouseLeave) OnMouseLeave(this);
  QWidget::leaveEvent(e);
}

} // namespace kc
