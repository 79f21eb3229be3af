#include "widgets/glGrBox.h"

#include <algorithm>

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

#include "widgets/KcAlign.h"
#include "widgets/KcDraw.h"
#include "widgets/glDraw.h"

namespace kc {

TglGroupBox::TglGroupBox(QWidget *parent) : QWidget(parent) {
  FBorder.SetInner(TglBevelCut::bvSpace);
  FCaptionBorder.SetInner(TglBevelCut::bvSpace);
  FGradient.SetFromColor(clBlack);
  FGradient.SetToColor(0x808080);
  FCaptionShift.SetX(8);
  FColors.SetCaption(clBtnShadow);
  FColors.SetCaptionActive(clBtnShadow);
  FColors.SetText(clHighlightText);
  FColors.SetTextActive(clHighlightText);
  for (TglPersistent *o : std::initializer_list<TglPersistent *>{
           &FBorder, &FCaptionBorder, &FGradient, &FCaptionGradient, &FCaptionShift, &FColors, &FIllumination})
    o->OnChange = [this] { update(); };
  // The client area starts one pixel down.
  setContentsMargins(0, 1, 0, 0);
}

TglGroupBox::~TglGroupBox() = default;

void TglGroupBox::SetCaption(const QString &c) {
  FCaption = c;
  update();
}

QSize TglGroupBox::CaptionTextExtent() const {
  const QFontMetrics fm(font());
  return QSize(fm.horizontalAdvance(FCaption), fm.height());
}

int TglGroupBox::BodyTop() const { return (CaptionTextExtent().height() - FCaptionShift.Y()) / 2; }

QRect TglGroupBox::CaptionRect() const {
  if (FCaption.isEmpty()) return {};
  const QSize extent = CaptionTextExtent();
  const int g = std::max(FGlyphCollapsed.width(), FGlyphExpanded.width());
  int left = FCaptionShift.X();
  int right = left + extent.width() + 2 + g;
  int bottom = extent.height();
  for (TglBevelCut cut : {FCaptionBorder.Inner(), FCaptionBorder.Outer()})
    if (cut != TglBevelCut::bvNone) {
      const int add = FCaptionBorder.Bold() ? 3 : 2;
      right += add;
      bottom += add;
    }
  const int w = right - left;
  switch (FCaptionAlignment) {
  case TCaptionAlignment::fcaLeft: left = 0, right = w; break;
  case TCaptionAlignment::fcaRight: left = width() - w - 1, right = left + w; break;
  case TCaptionAlignment::fcaCenter: left = (width() - w) / 2, right = left + w; break;
  case TCaptionAlignment::fcaWidth: left = 0, right = width() - 1; break;
  case TCaptionAlignment::fcaNone: break;
  }
  const bool delineated = FOptions & fgoDelineatedText;
  if (delineated) bottom += 2;
  if (FCaptionTextStyle == TglTextStyle::fstShadow) bottom += FIllumination.ShadowDepth() - (delineated ? 2 : 0);
  else if (FCaptionTextStyle != TglTextStyle::fstNone) bottom += 2;
  return QRect(left, 0, right - left, bottom);
}

QList<TglGroupBox *> TglGroupBox::groupMates() const {
  QList<TglGroupBox *> mates;
  if (FGroupIndex == 0) return mates;
  for (TglGroupBox *b : window()->findChildren<TglGroupBox *>())
    if (b != this && b->FGroupIndex == FGroupIndex) mates.append(b);
  return mates;
}

void TglGroupBox::DoCollapse(bool collapse) {
  if (Align(this) == TAlign::alClient) return;
  FCollapsed = collapse;
  const QRect cr = CaptionRect();
  const int b = cr.isNull() ? 0 : cr.y() + cr.height();
  QWidget *parent = parentWidget();
  const bool resizeParent = (FOptions & fgoResizeParent) && parent && !parent->isWindow();
  if (collapse) {
    FFullHeight = height();
    if (resizeParent) parent->resize(parent->width(), parent->height() - (FFullHeight - b));
    resize(width(), b + 1);
  } else {
    // A box that never had its full height measured keeps the one it has.
    if (FFullHeight > b + 1) {
      if (resizeParent) parent->resize(parent->width(), parent->height() + (FFullHeight - b));
      resize(width(), FFullHeight);
    }
  }
  if (parent)
    if (auto *l = qobject_cast<TKcAlignLayout *>(parent->layout())) l->Realign();
  update();
}

void TglGroupBox::SetCollapsed(bool on) {
  if (on == FCollapsed || (on && !(FOptions & fgoCanCollapse))) return;
  if (on && Align(this) == TAlign::alClient) return;
  FCollapsed = on;
  if (!FLoading) DoCollapse(on);
}

void TglGroupBox::ChangeCollapsed(bool collapse) {
  // Collapsing a collapsed box would take its collapsed height for the full
  // one and lose the height it is to expand to.
  if (FLoading || collapse == FCollapsed) return;
  if (collapse) {
    if (Align(this) == TAlign::alClient) return;
    if (FGroupIndex != 0 && (FOptions & fgoOneAlwaysExpanded)) {
      const QList<TglGroupBox *> mates = groupMates();
      if (std::none_of(mates.begin(), mates.end(), [](TglGroupBox *b) { return !b->FCollapsed; })) return;
    }
  } else if (FGroupIndex != 0 && (FOptions & fgoCollapseOther)) {
    for (TglGroupBox *b : groupMates()) b->SetCollapsed(true);
  }
  DoCollapse(collapse);
  if (collapse && OnCollapsed) OnCollapsed(this);
  if (!collapse && OnExpanded) OnExpanded(this);
}

void TglGroupBox::SetOptions(TglGrBoxOptions o) {
  FOptions = o;
  if (QWidget *p = parentWidget()) DeriveBevelColors(TColorOf(p->palette().color(QPalette::Window)), FColors);
  update();
}

void TglGroupBox::SetGroupIndex(int i) {
  if (i == FGroupIndex) return;
  FGroupIndex = i;
  if (i != 0 && !FCollapsed && !FLoading)
    for (TglGroupBox *b : groupMates()) b->SetCollapsed(true);
}

void TglGroupBox::SetCaptionAlignment(TCaptionAlignment a) {
  FCaptionAlignment = a;
  update();
}
void TglGroupBox::SetCaptionTextStyle(TglTextStyle s) {
  FCaptionTextStyle = s;
  update();
}
void TglGroupBox::SetTransparent(bool on) {
  FTransparent = on;
  update();
}
void TglGroupBox::SetTransparentCaption(bool on) {
  FTransparentCaption = on;
  update();
}

void TglGroupBox::SetEnabled(bool on) {
  setEnabled(on);
  for (QWidget *c : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) c->setEnabled(on);
  update();
}

void TglGroupBox::SetGlyphCollapsed(const QImage &g) {
  FGlyphCollapsed = g;
  update();
}
void TglGroupBox::SetGlyphExpanded(const QImage &g) {
  FGlyphExpanded = g;
  update();
}

void TglGroupBox::paintEvent(QPaintEvent *) {
  QPainter p(this);
  const bool expanded = !FCollapsed;
  const TColor client = expanded ? FColors.ClientActive() : FColors.Client();
  const TColor caption = expanded ? FColors.CaptionActive() : FColors.Caption();
  const TColor text = expanded ? FColors.TextActive() : FColors.Text();
  const TColor delineate = expanded ? FColors.DelineateActive() : FColors.Delineate();
  const int top = BodyTop();
  if (!FTransparent) p.fillRect(QRect(0, 0, width(), std::max(0, top)), palette().color(QPalette::Window));
  const QRect body(0, top, width(), height() - top);
  if (FGradient.Active()) DrawGradient(p, body, FGradient);
  DrawBevelBox(p, body, FBorder.Sides(), FBorder.Bold(), FBorder.Inner(), FBorder.Outer(),
               FGradient.Active() || FTransparent, client);

  FLastCaptionRect = CaptionRect();
  if (!FCaption.isEmpty()) {
    const QRect cr = FLastCaptionRect;
    if (!FTransparentCaption) p.fillRect(cr, QColorOf(FColors.Caption()));
    if (FCaptionGradient.Active()) DrawGradient(p, cr, FCaptionGradient);
    DrawBevelBox(p, cr, FCaptionBorder.Sides(), FCaptionBorder.Bold(), FCaptionBorder.Inner(), FCaptionBorder.Outer(),
                 !((FOptions & fgoFilledCaption) && !FTransparentCaption), caption);
    const QImage &glyph = FCollapsed ? FGlyphCollapsed : FGlyphExpanded;
    const int g = std::max(FGlyphCollapsed.width(), FGlyphExpanded.width());
    if (!glyph.isNull())
      DrawGlyph(p, glyph, cr.left(), cr.top() + std::max(0, (cr.height() - glyph.height()) / 2),
                glyph.pixel(0, glyph.height() - 1), !isEnabled());
    if (FTransparent) p.setBackgroundMode(Qt::TransparentMode);
    DrawStyledText(p, cr.left() + g + 2, cr.top(), font(), &FIllumination, FColors.Shadow(), FColors.Highlight(),
                   delineate, text, false, FOptions & fgoDelineatedText,
                   isEnabled() ? FCaptionTextStyle : TglTextStyle::fstPushed, FCaption, cr);
  }
  if (AfterPaint) AfterPaint(this);
}

namespace {
// The scroll box the box sits in: the scroll area around its parent.
QScrollArea *scrollBoxOf(QWidget *w) {
  for (QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
    if (auto *area = qobject_cast<QScrollArea *>(p)) return area;
    if (p->isWindow()) break;
  }
  return nullptr;
}
} // namespace

void TglGroupBox::mousePressEvent(QMouseEvent *e) {
  if ((FOptions & fgoIgnoreMouse) || e->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(e);
    return;
  }
  const QPoint pos = e->position().toPoint();
  // The band as painted; computed afresh so that a box not yet painted
  // answers the same.
  const QRect band = CaptionRect();
  if ((FOptions & fgoCanCollapse) && !band.isNull() && band.contains(pos)) {
    ChangeCollapsed(!FCollapsed);
    return;
  }
  setCursor(Qt::PointingHandCursor);
  FDragScrolling = true;
  FDragStartY = e->globalPosition().toPoint().y();
}

void TglGroupBox::mouseMoveEvent(QMouseEvent *e) {
  if (!FDragScrolling) return QWidget::mouseMoveEvent(e);
  const int y = e->globalPosition().toPoint().y();
  if (QScrollArea *area = scrollBoxOf(this)) {
    QScrollBar *bar = area->verticalScrollBar();
    bar->setValue(bar->value() + FDragStartY - y);
  }
  FDragStartY = y;
}

void TglGroupBox::mouseReleaseEvent(QMouseEvent *e) {
  if (FDragScrolling) {
    FDragScrolling = false;
    unsetCursor();
    return;
  }
  QWidget::mouseReleaseEvent(e);
}

} // namespace kc
