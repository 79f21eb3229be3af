// The dock: its lists of bars, the arrangement in rows and its own frame.
#include "toolbars/TBarDock.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

#include "toolbars/TBSkinShared.h"
#include "toolbars/TBarConsts.h"

namespace kc::tb {

TTBDock::TTBDock(QWidget *Parent, TTBDockPosition Position) : QWidget(nullptr), FPosition(Position) {
  CheckParent(Parent);
  setParent(Parent);
  FColor = ToQColor(clBtnFace);
  ArrangeBars();
}

TTBDock::~TTBDock() {
  if (FBackground) FBackground->UnregisterChanges(this);
  // The bars outlive this body (children go in the base destructor), so
  // they must forget the dock now.
  for (TTBCustomDockableWindow *Bar : FDockList) {
    if (Bar->FCurrentDock == this) {
      Bar->FCurrentDock = nullptr;
      Bar->FDocked = false;
    }
    if (Bar->FLastDock == this) Bar->FLastDock = nullptr;
    if (Bar->FDefaultDock == this) Bar->FDefaultDock = nullptr;
  }
  for (QObject *C : children())
    if (auto *Bar = dynamic_cast<TTBCustomDockableWindow *>(C)) {
      Bar->FCurrentDock = nullptr;
      Bar->FDocked = false;
    }
  FDockList.clear();
  FDockVisibleList.clear();
}

void TTBDock::CheckParent(QWidget *Parent) const {
  for (QWidget *W = Parent; W; W = W->parentWidget()) {
    if (dynamic_cast<TTBCustomDockableWindow *>(W) || dynamic_cast<TTBDock *>(W))
      throw EInvalidOperation(STBDockParentNotAllowed);
    if (W->isWindow()) break;
  }
}

void TTBDock::SetParent(QWidget *Parent) {
  CheckParent(Parent);
  setParent(Parent);
}

void TTBDock::SetAllowDrag(bool Value) {
  if (FAllowDrag == Value) return;
  FAllowDrag = Value;
  ReframeBars();
}

void TTBDock::ReframeBars() {
  for (QObject *C : children())
    if (auto *Bar = dynamic_cast<TTBCustomDockableWindow *>(C)) Bar->Reframe();
  ArrangeBars();
}

void TTBDock::SetBackground(TTBBasicBackground *Value) {
  if (FBackground == Value) return;
  if (FBackground) FBackground->UnregisterChanges(this);
  FBackground = Value;
  if (FBackground) FBackground->RegisterChanges(this, [this] { InvalidateBackgrounds(); });
  InvalidateBackgrounds();
}

void TTBDock::SetBackgroundOnToolbars(bool Value) {
  if (FBackgroundOnToolbars == Value) return;
  FBackgroundOnToolbars = Value;
  InvalidateBackgrounds();
}

void TTBDock::SetBoundLines(TTBDockBoundLines Value) {
  if (FBoundLines == Value) return;
  FBoundLines = Value;
  FNonClientWidth = ((Value & blLeft) ? 1 : 0) + ((Value & blRight) ? 1 : 0);
  FNonClientHeight = ((Value & blTop) ? 1 : 0) + ((Value & blBottom) ? 1 : 0);
  ArrangeBars();
  update();
}

void TTBDock::SetColor(QColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  InvalidateBackgrounds();
}

void TTBDock::SetFixAlign(bool Value) {
  if (FFixAlign == Value) return;
  FFixAlign = Value;
  ArrangeBars();
}

void TTBDock::SetLimitToOneRow(bool Value) {
  if (FLimitToOneRow == Value) return;
  FLimitToOneRow = Value;
  ArrangeBars();
}

void TTBDock::SetPosition(TTBDockPosition Value) {
  if (FPosition == Value) return;
  for (QObject *C : children())
    if (C->isWidgetType()) throw EInvalidOperation(STBDockCannotChangePosition);
  FPosition = Value;
  ArrangeBars();
}

QRect TTBDock::ClientRect() const {
  return rect().adjusted((FBoundLines & blLeft) ? 1 : 0, (FBoundLines & blTop) ? 1 : 0,
                         (FBoundLines & blRight) ? -1 : 0, (FBoundLines & blBottom) ? -1 : 0);
}

void TTBDock::BeginUpdate() { ++FArrangeDisableCount; }

void TTBDock::EndUpdate() {
  if (FArrangeDisableCount > 0) --FArrangeDisableCount;
  if (FArrangeDisableCount == 0 && FArrangeNeeded) ArrangeBars();
}

bool TTBDock::IsVisibleHere(const TTBCustomDockableWindow *Bar) const {
  return Bar->parentWidget() == this && Bar->Visible() && Bar->FHiddenDuringChange == 0;
}

void TTBDock::ChangeDockList(bool Insert, TTBCustomDockableWindow *Bar) {
  auto It = std::find(FDockList.begin(), FDockList.end(), Bar);
  if (Insert) {
    if (It == FDockList.end()) FDockList.push_back(Bar);
  } else if (It != FDockList.end()) {
    FDockList.erase(It);
  }
  BarVisibilityChanged(Bar, false);
}

void TTBDock::RemoveBar(TTBCustomDockableWindow *Bar) {
  FDockList.erase(std::remove(FDockList.begin(), FDockList.end(), Bar), FDockList.end());
  if (FDraggingBar == Bar) FDraggingBar = nullptr;
  BarVisibilityChanged(Bar, true);
}

void TTBDock::BarVisibilityChanged(TTBCustomDockableWindow *Bar, bool ForceRemove) {
  const bool Should =
      !ForceRemove && IsVisibleHere(Bar) && std::find(FDockList.begin(), FDockList.end(), Bar) != FDockList.end();
  auto It = std::find(FDockVisibleList.begin(), FDockVisibleList.end(), Bar);
  const bool Is = It != FDockVisibleList.end();
  if (Should == Is) return;
  if (Should) FDockVisibleList.push_back(Bar);
  else FDockVisibleList.erase(It);
  ArrangeBars();
  if (OnInsertRemoveBar) OnInsertRemoveBar(this, Should, Bar);
}

void TTBDock::CommitPositions() {
  for (TTBCustomDockableWindow *Bar : FDockVisibleList) {
    Bar->FDockRow = Bar->FEffectiveDockRow;
    Bar->FDockPos = Bar->FEffectiveDockPos;
  }
}

int TTBDock::GetRowSize(int Row, bool *FullSize) const {
  if (FullSize) *FullSize = false;
  if (Row < 0) return 0;
  int Size = 0;
  for (const TTBCustomDockableWindow *Bar : FDockVisibleList) {
    if (Bar->FEffectiveDockRow != Row) continue;
    Size = std::max(Size, IsVertical() ? Bar->width() : Bar->height());
    if (FullSize) *FullSize = Bar->FFullSize;
  }
  return Size;
}

int TTBDock::GetRowThicknessExcept(int Row, const TTBCustomDockableWindow *Bar) const {
  int Size = 0;
  for (const TTBCustomDockableWindow *B : FDockVisibleList)
    if (B != Bar && B->FEffectiveDockRow == Row) Size = std::max(Size, B->FRowThickness);
  return Size;
}

int TTBDock::GetHighestRow(bool Effective) const {
  int Highest = -1;
  for (const TTBCustomDockableWindow *Bar : FDockList)
    Highest = std::max(Highest, Effective ? Bar->FEffectiveDockRow : Bar->FDockRow);
  return Highest;
}

int TTBDock::RowAtOffset(int Offset) const {
  const int Highest = GetHighestRow(true);
  int Total = 0;
  for (int Row = 0; Row <= Highest + 1; ++Row) {
    const int S = GetRowSize(Row);
    if (S == 0) continue;
    Total += S;
    if (Total > Offset) return Row;
  }
  return Highest + 1;
}

void TTBDock::SetDockSize(int Width, int Height) {
  QRect G = geometry();
  const int W = std::max(0, Width), H = std::max(0, Height);
  if (FPosition == dpBottom) G.setTop(G.top() + G.height() - H);
  else if (FPosition == dpRight) G.setLeft(G.left() + G.width() - W);
  G.setSize(QSize(W, H));
  // Within a layout the thickness is what the layout must keep.
  if (IsVertical()) {
    setMinimumWidth(0);
    setMaximumWidth(QWIDGETSIZE_MAX);
  } else {
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
  }
  if (G != geometry()) setGeometry(G);
  if (IsVertical()) {
    setMinimumWidth(W);
    setMaximumWidth(W);
  } else {
    setMinimumHeight(H);
    setMaximumHeight(H);
  }
}

void TTBDock::InvalidateBackgrounds() {
  update();
  for (TTBCustomDockableWindow *Bar : FDockVisibleList) Bar->update();
}

bool TTBDock::PaintBackground(QPainter &P, const QRect &R, QPoint DockOrigin) {
  if (!FBackground || !FBackground->UsingBackground()) return false;
  FBackground->Draw(P, R, DockOrigin);
  return true;
}

void TTBDock::resizeEvent(QResizeEvent *) {
  const int Length = IsVertical() ? height() : width();
  if (Length != FLastLength) {
    FLastLength = Length;
    ArrangeBars();
  }
}

void TTBDock::paintEvent(QPaintEvent *E) {
  QPainter P(this);
  if (!PaintBackground(P, E->rect(), QPoint(0, 0))) P.fillRect(E->rect(), FColor);
  if (FBoundLines == 0 || !HasVisibleBars()) return;
  const QRect R = rect();
  const QColor Shadow = ToQColor(clBtnShadow), Light = ToQColor(clBtnHighlight);
  if (FBoundLines & blTop) P.fillRect(QRect(R.left(), R.top(), R.width(), 1), Shadow);
  if (FBoundLines & blLeft) P.fillRect(QRect(R.left(), R.top(), 1, R.height()), Shadow);
  if (FBoundLines & blBottom) P.fillRect(QRect(R.left(), R.bottom(), R.width(), 1), Light);
  if (FBoundLines & blRight) P.fillRect(QRect(R.right(), R.top(), 1, R.height()), Light);
}

} // namespace kc::tb
