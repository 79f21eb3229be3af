#include "widgets/KcSplit.h"

#include <algorithm>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "platform/DesktopMetrics.h"
#include "widgets/KcDraw.h"

namespace kc {

TKcxSplitter::TKcxSplitter(QWidget *parent) : QWidget(parent) {
  resize(185, 3);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
  if (TKcAlignLayout *l = AlignLayoutOf(parent)) l->addWidget(this);
}

TKcxSplitter::~TKcxSplitter() {
  if (FDragging) endDrag(false);
}

int TKcxSplitter::SizingMode(TAlign splitter, TAlign first, bool haveSecond, TAlign second) {
  const bool secondFree = !haveSecond || second == TAlign::alClient;
  if ((first == TAlign::alTop || first == TAlign::alBottom) && secondFree) return splitter == first ? 1 : 0;
  if (first == TAlign::alClient && haveSecond && (second == TAlign::alBottom || second == TAlign::alTop))
    return splitter == second ? 2 : 0;
  if ((first == TAlign::alLeft || first == TAlign::alRight) && secondFree) return splitter == first ? 3 : 0;
  if (first == TAlign::alClient && haveSecond && (second == TAlign::alRight || second == TAlign::alLeft))
    return splitter == second ? 4 : 0;
  return 0;
}

int TKcxSplitter::SizingMode() const {
  if (!FControlFirst) return 0;
  return SizingMode(Align(this), Align(FControlFirst), FControlSecond != nullptr, Align(FControlSecond));
}

void TKcxSplitter::setCursorId(TCursor c) {
  FCursor = c;
  setCursor(c == crNoDrop ? QCursor(Qt::ForbiddenCursor) : screenCursor(c));
}

void TKcxSplitter::updateCursor() {
  const int mode = SizingMode();
  setCursorId(mode == 1 || mode == 2 ? crVSplit : mode == 3 || mode == 4 ? crHSplit : crDefault);
}

void TKcxSplitter::SetControlFirst(QWidget *c) {
  FControlFirst = (c == this || (c && c->isWindow())) ? nullptr : c;
  updateCursor();
}

void TKcxSplitter::SetControlSecond(QWidget *c) {
  FControlSecond = (c == this || (c && c->isWindow())) ? nullptr : c;
  updateCursor();
}

void TKcxSplitter::SetAlign(TAlign a, bool reading) {
  const TAlign old = Align(this);
  const bool wasDocked =
      old == TAlign::alTop || old == TAlign::alBottom || old == TAlign::alLeft || old == TAlign::alRight;
  if (!wasDocked && !reading) {
    if (a == TAlign::alTop || a == TAlign::alBottom) resize(width(), 3);
    if (a == TAlign::alLeft || a == TAlign::alRight) resize(3, height());
  }
  kc::SetAlign(this, a);
  if (!FControlFirst && !FControlSecond && parentWidget()) {
    // The neighbour on the side the bar is docked to.
    const QRect g = geometry();
    QPoint probe;
    switch (a) {
    case TAlign::alTop: probe = QPoint(g.center().x(), g.top() - 1); break;
    case TAlign::alBottom: probe = QPoint(g.center().x(), g.bottom() + 1); break;
    case TAlign::alLeft: probe = QPoint(g.left() - 1, g.center().y()); break;
    case TAlign::alRight: probe = QPoint(g.right() + 1, g.center().y()); break;
    default: break;
    }
    if (a != TAlign::alNone && a != TAlign::alClient)
      for (QObject *o : parentWidget()->children())
        if (auto *w = qobject_cast<QWidget *>(o);
            w && w != this && !w->isWindow() && !w->isHidden() && w->geometry().contains(probe)) {
          FControlFirst = w;
          break;
        }
  }
  updateCursor();
}

void TKcxSplitter::SetBevelInner(TBevelCut b) {
  FBevelInner = b;
  update();
}
void TKcxSplitter::SetBevelOuter(TBevelCut b) {
  FBevelOuter = b;
  update();
}
void TKcxSplitter::SetBevelWidth(int w) {
  FBevelWidth = std::max(1, w);
  update();
}

void TKcxSplitter::paintEvent(QPaintEvent *) {
  QPainter p(this);
  QRect r = rect();
  p.fillRect(r, QColorOf(clBtnFace));
  for (TBevelCut cut : {FBevelOuter, FBevelInner}) {
    if (cut == TBevelCut::bvNone || cut == TBevelCut::bvSpace) continue;
    const QColor hi = QColorOf(clBtnHighlight), sh = QColorOf(clBtnShadow);
    if (cut == TBevelCut::bvLowered) Frame3D(p, r, sh, hi, FBevelWidth);
    else Frame3D(p, r, hi, sh, FBevelWidth);
  }
}

bool TKcxSplitter::vertical() const {
  const int mode = SizingMode();
  return mode == 1 || mode == 2;
}

QWidget *TKcxSplitter::resizedControl() const {
  const int mode = SizingMode();
  return mode == 1 || mode == 3 ? FControlFirst.data() : mode == 2 || mode == 4 ? FControlSecond.data() : nullptr;
}

QPoint TKcxSplitter::clampPoint(QPoint p, bool &atLimit) const {
  // The whole bar stays between the limits. In a parent too small for both
  // limits the range closes to its lower end rather than turning over.
  const int loX = FStart.x() + FMinPoint.x(), hiX = std::max(loX, FStart.x() + FMaxPoint.x() - width());
  const int loY = FStart.y() + FMinPoint.y(), hiY = std::max(loY, FStart.y() + FMaxPoint.y() - height());
  const QPoint c(std::clamp(p.x(), loX, hiX), std::clamp(p.y(), loY, hiY));
  atLimit = vertical() ? c.y() != p.y() : c.x() != p.x();
  return c;
}

QRect TKcxSplitter::LineRect() const {
  if (!FDragging || !parentWidget()) return {};
  const QRect pr = parentWidget()->rect();
  if (vertical()) {
    const int t = height() < 4 ? 2 : height() - 2;
    const int mid = y() + height() / 2 + (FCurrent.y() - FStart.y());
    return QRect(pr.left(), mid - t / 2, pr.width(), t);
  }
  const int t = width() < 4 ? 2 : width() - 2;
  const int mid = x() + width() / 2 + (FCurrent.x() - FStart.x());
  return QRect(mid - t / 2, pr.top(), t, pr.height());
}

void TKcxSplitter::moveLine(QPoint p) {
  FCurrent = p;
  if (FLine) {
    FLine->setGeometry(LineRect());
    FLine->raise();
  }
}

void TKcxSplitter::mousePressEvent(QMouseEvent *e) {
  QWidget *target = resizedControl();
  // A hidden or missing neighbour has no size to change.
  if (e->button() != Qt::LeftButton || !target || target->isHidden() || !parentWidget()) {
    QWidget::mousePressEvent(e);
    return;
  }
  FDragging = true;
  FSavedShowHint = applicationShowHint();
  setApplicationShowHint(false);
  qApp->installEventFilter(this);
  FStart = FCurrent = e->position().toPoint();
  const QRect pr = parentWidget()->rect();
  FMinPoint = QPoint(pr.left() + FTopLeftLimit, pr.top() + FTopLeftLimit) - pos();
  FMaxPoint = QPoint(pr.right() + 1 - FBottomRightLimit, pr.bottom() + 1 - FBottomRightLimit) - pos();
  FLine = new QWidget(parentWidget());
  FLine->setAttribute(Qt::WA_TransparentForMouseEvents);
  FLine->setAutoFillBackground(true);
  QPalette pal = FLine->palette();
  pal.setColor(QPalette::Window, QColor(64, 64, 64));
  FLine->setPalette(pal);
  moveLine(FStart);
  FLine->show();
}

void TKcxSplitter::mouseMoveEvent(QMouseEvent *e) {
  if (!FDragging) {
    QWidget::mouseMoveEvent(e);
    return;
  }
  bool atLimit = false;
  const QPoint c = clampPoint(e->position().toPoint(), atLimit);
  setCursorId(atLimit ? crNoDrop : (vertical() ? crVSplit : crHSplit));
  moveLine(c);
}

void TKcxSplitter::mouseReleaseEvent(QMouseEvent *e) {
  if (FDragging && e->button() == Qt::LeftButton) {
    bool atLimit = false;
    FCurrent = clampPoint(e->position().toPoint(), atLimit);
    endDrag(true);
    return;
  }
  QWidget::mouseReleaseEvent(e);
}

bool TKcxSplitter::eventFilter(QObject *watched, QEvent *event) {
  if (FDragging && event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
    endDrag(false);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TKcxSplitter::endDrag(bool apply) {
  if (!FDragging) return;
  const bool isVertical = vertical();
  FDragging = false;
  qApp->removeEventFilter(this);
  bool allow = true;
  if (apply && OnPosChanging) OnPosChanging(this, FCurrent.x(), FCurrent.y(), allow);
  delete FLine;
  FLine = nullptr;
  setApplicationShowHint(FSavedShowHint);
  updateCursor();
  QWidget *target = resizedControl();
  if (!apply || !allow || !target || !parentWidget()) return;

  const int moved = isVertical ? FCurrent.y() - FStart.y() : FCurrent.x() - FStart.x();
  const TAlign a = Align(target);
  // Moving the bar down or right grows a control docked above or left of it.
  const bool backwards = a == TAlign::alBottom || a == TAlign::alRight;
  const int old = isVertical ? target->height() : target->width();
  int size = old + (backwards ? -moved : moved);
  const int space = (isVertical ? parentWidget()->height() - height() : parentWidget()->width() - width());
  if (size >= space) size = space - 3;
  size = std::max(1, size);
  TKcAlignLayout *layout = AlignLayoutOf(parentWidget());
  if (layout) layout->setEnabled(false);
  if (isVertical) target->resize(target->width(), size);
  else target->resize(size, target->height());
  if (layout) {
    layout->setEnabled(true);
    layout->Realign();
  }
  if (OnPosChanged) OnPosChanged(this);
}

} // namespace kc
