// The drag of a dockable window: targets, each step under the pointer, the
// outline, and the end of the drag.
#include "toolbars/TBarDockDrag.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>

#include "platform/DesktopMetrics.h"
#include "platform/TbDragTracker.h"
#include "platform/Screen.h"
#include "platform/TbSystemSettings.h"
#include "toolbars/TBarCommon.h"

namespace kc::tb {

// ---- the outline ----

TTBDragOutline::TTBDragOutline()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TTBDragOutline::ShowAt(const QRect &Global, int Thickness) {
  FRect = Global;
  FThickness = std::max(1, Thickness);
  setGeometry(Global);
  // Only the frame is part of the window, so what lies inside stays seen
  // and clickable without a compositor.
  const QRect Local(QPoint(0, 0), Global.size());
  setMask(QRegion(Local).subtracted(QRegion(Local.adjusted(FThickness, FThickness, -FThickness, -FThickness))));
  if (!isVisible()) show();
  update();
}

void TTBDragOutline::paintEvent(QPaintEvent *) {
  QPainter P(this);
  P.fillRect(rect(), HalftoneBrush());
}

// ---- the session ----

TTBDragSession::TTBDragSession(TTBCustomDockableWindow *Window, QPoint Grab, bool CtrlHeld, bool Interactive)
    : FWindow(Window), FGrab(Grab), FCtrl(CtrlHeld), FInteractive(Interactive), FSmooth(Window->SmoothDrag()),
      FStartedDocked(Window->Docked()) {
  FOuter = Window->Floating() && Window->FloatParent() ? Window->FloatParent()->size() : Window->size();
  if (TTBDock *Dock = Window->CurrentDock()) {
    FStartDock = Dock;
    Dock->FDraggingBar = Window;
    Dock->FDragRowLocked = false;
    Dock->FDragBarSqueezed = false;
    Dock->FCommitNewPositions = true;
    Dock->ArrangeBars();
    FWasSqueezed = Dock->FDragBarSqueezed;
    FStartRow = Window->EffectiveDockRow();
  }
  CollectTargets();
  // Where the drag began, for the distance that locks a row.
  QWidget *Outer = Window->Floating() && Window->FloatParent() ? static_cast<QWidget *>(Window->FloatParent())
                                                               : static_cast<QWidget *>(Window);
  const QPoint GrabGlobal = Outer->mapToGlobal(Grab);
  FStartAlong = Window->Docked() && Window->CurrentDock()->IsVertical() ? GrabGlobal.y() : GrabGlobal.x();
  FStartSet = true;
  if (!FSmooth) FOutline = std::make_unique<TTBDragOutline>();
}

TTBDragSession::~TTBDragSession() {
  // The docks forget the window even when the drag ends with it.
  for (const Target &T : FTargets)
    if (T.Dock && T.Dock->FDraggingBar == FWindow) {
      T.Dock->FDraggingBar = nullptr;
      T.Dock->FDragRowLocked = false;
    }
}

namespace {

void CollectDocks(QWidget *W, const QWidget *Skip, std::vector<TTBDock *> &Out) {
  std::vector<TTBDock *> Docks;
  std::vector<QWidget *> Others;
  for (QObject *O : W->children()) {
    auto *C = qobject_cast<QWidget *>(O);
    if (!C || C == Skip || C->isWindow() || !C->isVisible()) continue;
    if (auto *D = dynamic_cast<TTBDock *>(C)) Docks.push_back(D);
    else Others.push_back(C);
  }
  std::stable_sort(Docks.begin(), Docks.end(),
                   [](const TTBDock *A, const TTBDock *B) { return A->Position() < B->Position(); });
  for (TTBDock *D : Docks) {
    Out.push_back(D);
    CollectDocks(D, Skip, Out);
  }
  for (QWidget *C : Others) CollectDocks(C, Skip, Out);
}

} // namespace

void TTBDragSession::CollectTargets() {
  std::vector<TTBDock *> Docks;
  TTBDock *Current = FWindow->CurrentDock();
  const auto Qualifies = [this](const TTBDock *D) {
    return D->AllowDrag() && (FWindow->DockableTo() & DockableBit(D->Position()));
  };
  if (FWindow->DockMode() == dmCannotFloatOrChangeDocks) {
    if (Current) Docks.push_back(Current);
  } else {
    if (Current && Qualifies(Current)) Docks.push_back(Current);
    std::vector<TTBDock *> Found;
    if (QWidget *Form = FWindow->ParentForm()) CollectDocks(Form, FWindow, Found);
    for (TTBDock *D : Found)
      if (Qualifies(D) && std::find(Docks.begin(), Docks.end(), D) == Docks.end()) Docks.push_back(D);
  }
  for (TTBDock *D : Docks) {
    D->CommitPositions();
    Target T;
    T.Dock = D;
    const QRect C = D->ClientRect();
    T.Geo.ClientScreen = QRect(D->mapToGlobal(C.topLeft()), C.size());
    T.Geo.Vertical = D->IsVertical();
    T.Geo.BarSize = FWindow->LayoutForDock(false, D->Kind(), D, false) + FWindow->FrameSizeFor(D);
    for (int Row = 0, Highest = D->GetHighestRow(true); Row <= Highest; ++Row) {
      bool Full = false;
      const int S = std::min(D->GetRowSize(Row, &Full), 0xFFFF);
      T.Geo.RowSizes.push_back(S | (Full ? RowFullSizeFlag : 0));
    }
    FTargets.push_back(std::move(T));
  }
}

QSize TTBDragSession::FloatingOuterSize() const {
  if (FWindow->Floating() && FWindow->FloatParent()) return FWindow->FloatParent()->size();
  TTBFloatingFrameState S;
  S.Border = FWindow->GetFloatingBorderSize();
  S.ShowCaption = FWindow->ShowCaption();
  const QMargins M = FloatingNCMargins(S);
  const QSize Content = FWindow->LayoutForDock(false, dkFloating, nullptr, true);
  return QSize(std::max(1, Content.width() + M.left() + M.right()),
               std::max(1, Content.height() + M.top() + M.bottom()));
}

void TTBDragSession::Update(QPoint Cursor, bool CtrlHeld) {
  FCtrl = CtrlHeld;
  Step S;
  TTBDock *Locked = FWindow->Docked() && FWindow->CurrentDock()->FDragRowLocked ? FWindow->CurrentDock() : nullptr;
  for (const Target &T : FTargets) {
    if (!T.Dock) continue;
    if (Locked && T.Dock != Locked) continue;
    if (!Locked && (!(FStartedDocked || !FFirstUpdate) || FCtrl)) break;
    QRect BarRect;
    const bool Hit = DragHitsDock(T.Geo, Cursor, FGrab, FOuter, &BarRect);
    if (!Hit && !Locked) continue;
    if (!Locked) {
      bool Accept = true;
      if (T.Dock->OnRequestDock) T.Dock->OnRequestDock(T.Dock, FWindow, Accept);
      if (!Accept) continue;
    }
    if (Locked && !Hit) {
      BarRect = QRect(Cursor - QPoint(ScaleGrab(FGrab.x(), FOuter.width(), T.Geo.BarSize.width()),
                                      ScaleGrab(FGrab.y(), FOuter.height(), T.Geo.BarSize.height())),
                      T.Geo.BarSize);
    }
    S.Valid = true;
    S.Dock = T.Dock;
    S.Rect = BarRect;
    const QRect &C = T.Geo.ClientScreen;
    const int Centre = T.Geo.Vertical ? BarRect.center().x() - C.left() : BarRect.center().y() - C.top();
    if (Locked) {
      S.Row = FWindow->DockRow();
      S.NewRow = false;
    } else {
      const TTBRowPick Pick = PickDragRow(T.Geo.RowSizes, Centre, FWindow->FullSize());
      S.Row = Pick.Row;
      S.NewRow = Pick.NewRow;
    }
    S.Pos = T.Geo.Vertical ? BarRect.top() - C.top() : BarRect.left() - C.left();
    const int Along = T.Geo.Vertical ? Cursor.y() : Cursor.x();
    if (!FStartSet) {
      FStartAlong = Along;
      FStartSet = true;
    }
    if (!Locked && FWasSqueezed && T.Dock == FStartDock && S.Row == FStartRow && !S.NewRow &&
        RowLockReached(FStartAlong, Along))
      T.Dock->FDragRowLocked = true;
    break;
  }
  if (!FStartSet) {
    FStartAlong = Cursor.x();
    FStartSet = true;
  }
  FFirstUpdate = false;

  if (!S.Valid) {
    if (FWindow->DockMode() != dmCanFloat) {
      if (FInteractive) TbDragTracker::setCursor(crNo);
      return;
    }
    const QSize Outer = FloatingOuterSize();
    const QPoint Grab(ScaleGrab(FGrab.x(), FOuter.width(), Outer.width()),
                      ScaleGrab(FGrab.y(), FOuter.height(), Outer.height()));
    TTBFloatingFrameState F;
    F.Border = FWindow->GetFloatingBorderSize();
    F.ShowCaption = FWindow->ShowCaption();
    const int TopFrame = FloatingNCMargins(F).top();
    S.Valid = true;
    S.Rect = FloatingDragRect(Cursor, Grab, Outer, monitorWorkAreaAt(Cursor), F.Border.width(), TopFrame);
  }
  if (FInteractive) {
    const bool RowLocked = S.Dock && S.Dock->FDragRowLocked;
    TbDragTracker::setCursor(RowLocked ? (S.Dock->IsVertical() ? crSizeNS : crSizeWE) : crDefault);
  }
  FLast = S;
  if (FSmooth) Apply(S);
  else if (FOutline) FOutline->ShowAt(S.Rect, S.Dock ? 1 : FWindow->GetFloatingBorderSize().width());
}

void TTBDragSession::Apply(const Step &S) {
  if (!S.Valid) return;
  if (S.Dock) {
    FWindow->FDockRow = S.Row;
    FWindow->FDockPos = S.Pos;
    FWindow->FRowAlone = S.NewRow;
    S.Dock->FDraggingBar = FWindow;
    if (FWindow->CurrentDock() != S.Dock) {
      S.Dock->FCommitNewPositions = !FSmooth;
      FWindow->ChangeParent(S.Dock);
    }
    S.Dock->FCommitNewPositions = !FSmooth;
    S.Dock->ArrangeBars();
    FWindow->FRowAlone = false;
    return;
  }
  FWindow->SetFloatingPosition(S.Rect.topLeft());
  if (!FWindow->Floating()) FWindow->SetFloating(true);
}

void TTBDragSession::End(bool Accept) {
  FOutline.reset();
  if (Accept && !FSmooth) Apply(FLast);
  if (TTBDock *D = FWindow->CurrentDock()) {
    // What the drag showed becomes what the bars ask for.
    D->CommitPositions();
    D->FDraggingBar = nullptr;
    D->FDragRowLocked = false;
    D->ArrangeBars();
  }
  for (const Target &T : FTargets)
    if (T.Dock) {
      T.Dock->FDraggingBar = nullptr;
      T.Dock->FDragRowLocked = false;
    }
}

// ---- the window's side ----

void TTBCustomDockableWindow::BeginMoving(int ClickX, int ClickY) {
  if (FDrag) return;
  StartDrag(QPoint(ClickX, ClickY), TbDragTracker::ctrlHeld(), true);
  if (!FDrag) return;
  QPointer<TTBCustomDockableWindow> Self(this);
  const bool Tracking = TbDragTracker::begin({[Self](QPoint G, bool Ctrl) {
                                                if (Self) Self->DragTo(G, Ctrl);
                                              },
                                              [Self](bool Accepted) {
                                                if (Self) Self->EndMoving(Accepted);
                                              }});
  if (!Tracking) {
    EndMoving(false);
    return;
  }
  DragTo(cursorPosition(), TbDragTracker::ctrlHeld());
}

void TTBCustomDockableWindow::StartDrag(QPoint GrabPoint, bool CtrlHeld, bool Interactive) {
  if (FDrag) return;
  FDrag = std::make_unique<TTBDragSession>(this, GrabPoint, CtrlHeld, Interactive);
}

void TTBCustomDockableWindow::DragTo(QPoint CursorGlobal, bool CtrlHeld) {
  if (FDrag) FDrag->Update(CursorGlobal, CtrlHeld);
}

void TTBCustomDockableWindow::EndMoving(bool Accept) {
  if (!FDrag) return;
  if (TbDragTracker::active()) TbDragTracker::end();
  FDrag->End(Accept);
  QPointer<TTBFloatingWindowParent> Kept = FDrag->KeptFloatParent;
  FDrag.reset();
  if (FUseLastDock && FDocked) SetLastDock(FCurrentDock);
  // A floating parent left behind by the drag goes now.
  if (Kept && Kept != parentWidget()) {
    Kept->FDockableWindow = nullptr;
    if (FFloatParent == Kept) FFloatParent = nullptr;
    Kept->deleteLater();
  }
}

} // namespace kc::tb
