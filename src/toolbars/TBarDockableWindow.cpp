// The dockable window: its properties, the change of dock and the
// visibility of a floating window.
#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QResizeEvent>

#include <algorithm>

#include "platform/DesktopMetrics.h"
#include "platform/TbDragTracker.h"
#include "platform/Screen.h"
#include "toolbars/TBSkinPlus.h"
#include "toolbars/TBSkinShared.h"
#include "toolbars/TBarDock.h"
#include "toolbars/TBarDockDrag.h"

namespace kc::tb {
namespace {

bool ApplicationActive() {
  return QApplication::activeWindow() != nullptr || QGuiApplication::applicationState() == Qt::ApplicationActive;
}

// Every floating window re-evaluates its visibility when the program is
// activated or deactivated and when its form is shown, hidden or
// minimised.
class FloatingWatch : public QObject {
public:
  std::vector<TTBCustomDockableWindow *> Windows;
  // Made with the first floating window; it lives as long as the program.
  static FloatingWatch &Get() {
    if (!Instance) {
      Instance = new FloatingWatch;
      qApp->installEventFilter(Instance);
    }
    return *Instance;
  }
  static void Forget(TTBCustomDockableWindow *W) {
    if (Instance) Instance->Remove(W);
  }
  static inline FloatingWatch *Instance = nullptr;
  void Add(TTBCustomDockableWindow *W) {
    if (std::find(Windows.begin(), Windows.end(), W) == Windows.end()) Windows.push_back(W);
  }
  void Remove(TTBCustomDockableWindow *W) {
    Windows.erase(std::remove(Windows.begin(), Windows.end(), W), Windows.end());
  }

protected:
  bool eventFilter(QObject *O, QEvent *E) override {
    if (Windows.empty()) return false;
    switch (E->type()) {
    case QEvent::ApplicationStateChange:
    case QEvent::ApplicationActivate:
    case QEvent::ApplicationDeactivate: Refresh(nullptr); break;
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowStateChange:
      if (O->isWidgetType() && static_cast<QWidget *>(O)->isWindow()) Refresh(static_cast<QWidget *>(O));
      break;
    default: break;
    }
    return false;
  }

private:
  void Refresh(QWidget *Changed) {
    const std::vector<TTBCustomDockableWindow *> Copy = Windows;
    for (TTBCustomDockableWindow *W : Copy) {
      if (Changed && (W->FloatParent() == Changed || !W->ParentForm() || !W->ParentForm()->isAncestorOf(Changed)) &&
          W->ParentForm() != Changed)
        continue;
      W->UpdateVisibility();
    }
  }
};

} // namespace

TTBCustomDockableWindow::TTBCustomDockableWindow(QWidget *Parent) : QWidget(Parent) {
  FColor = ToQColor(clBtnFace);
  if (Parent) FParentForm = Parent->window();
  if (auto *Dock = dynamic_cast<TTBDock *>(Parent)) {
    FCurrentDock = Dock;
    FDocked = true;
    FLastDock = Dock;
    // The descendant is not built yet, so the dock cannot measure this
    // window now: it arranges at its next update, or once events run.
    Dock->FDockList.push_back(this);
    Dock->FDockVisibleList.push_back(this);
    Dock->FArrangeNeeded = true;
    QPointer<TTBDock> D(Dock);
    QMetaObject::invokeMethod(
        Dock,
        [D] {
          if (D && D->FArrangeNeeded) D->ArrangeBars();
        },
        Qt::QueuedConnection);
  }
  setAttribute(Qt::WA_Hover);
  setMouseTracking(true);
}

TTBCustomDockableWindow::~TTBCustomDockableWindow() {
  FDestroying = true;
  if (TbDragTracker::active() && FDrag) TbDragTracker::end();
  FDrag.reset();
  FloatingWatch::Forget(this);
  if (FCurrentDock) FCurrentDock->RemoveBar(this);
  if (FLastDock && FLastDock != FCurrentDock) FLastDock->RemoveBar(this);
  if (FFloatParent) {
    FFloatParent->FDockableWindow = nullptr;
    if (parentWidget() != FFloatParent) delete FFloatParent;
    else FFloatParent->deleteLater();
  }
}

const TTBBaseSkin &TTBCustomDockableWindow::EffectiveSkin() const { return FSkin ? *FSkin : DefaultSkin(); }

void TTBCustomDockableWindow::SetSkin(TTBBaseSkin *Value) {
  if (FSkin == Value) return;
  FSkin = Value;
  Reframe();
}

// ---- writers ----

void TTBCustomDockableWindow::SetAutoResize(bool Value) {
  if (FAutoResize == Value) return;
  FAutoResize = Value;
  if (Value) Arrange();
}

void TTBCustomDockableWindow::SetBorderSingle(bool Value) {
  if (FBorderSingle == Value) return;
  FBorderSingle = Value;
  Reframe();
}

void TTBCustomDockableWindow::SetCaption(const QString &Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  if (FFloatParent) FFloatParent->SetCaption(Value);
  if (FDocked) update();
}

void TTBCustomDockableWindow::SetCloseButton(bool Value) {
  if (FCloseButton == Value) return;
  FCloseButton = Value;
  if (FFloatParent) FFloatParent->update();
}

void TTBCustomDockableWindow::SetCloseButtonWhenDocked(bool Value) {
  if (FCloseButtonWhenDocked == Value) return;
  FCloseButtonWhenDocked = Value;
  Reframe();
}

void TTBCustomDockableWindow::SetColor(QColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  update();
}

void TTBCustomDockableWindow::SetDockPos(int Value) {
  if (FDockPos == Value) return;
  FDockPos = Value;
  if (FDocked) FCurrentDock->ArrangeBars();
}

void TTBCustomDockableWindow::SetDockRow(int Value) {
  if (FDockRow == Value) return;
  FDockRow = Value;
  if (FDocked) FCurrentDock->ArrangeBars();
}

void TTBCustomDockableWindow::SetDragHandleStyle(TTBDragHandleStyle Value) {
  if (FDragHandleStyle == Value) return;
  FDragHandleStyle = Value;
  Reframe();
}

void TTBCustomDockableWindow::SetDockTextAlign(TTBDockTextAlign Value) {
  if (FDockTextAlign == Value) return;
  FDockTextAlign = Value;
  update();
  if (FFloatParent) FFloatParent->update();
}

void TTBCustomDockableWindow::SetFloatingMode(TTBFloatingMode Value) {
  if (FFloatingMode == Value) return;
  FFloatingMode = Value;
  if (FFloatParent) {
    // Above every window, or only above its form; a new flag hides the
    // window, so showing is decided again.
    FFloatParent->setWindowFlag(Qt::WindowStaysOnTopHint, Value == fmOnTopOfAllForms);
  }
  UpdateVisibility();
}

void TTBCustomDockableWindow::SetFullSize(bool Value) {
  if (FFullSize == Value) return;
  FFullSize = Value;
  if (FDocked) FCurrentDock->ArrangeBars();
}

void TTBCustomDockableWindow::SetHideWhenInactive(bool Value) {
  if (FHideWhenInactive == Value) return;
  FHideWhenInactive = Value;
  UpdateVisibility();
}

void TTBCustomDockableWindow::SetStretch(bool Value) {
  if (FStretch == Value) return;
  FStretch = Value;
  if (FDocked) FCurrentDock->ArrangeBars();
}

void TTBCustomDockableWindow::SetResizable(bool Value) {
  if (FResizable == Value) return;
  FResizable = Value;
  if (FFloatParent) FFloatParent->SetClientSize(size());
}

void TTBCustomDockableWindow::SetShowCaption(bool Value) {
  if (FShowCaption == Value) return;
  FShowCaption = Value;
  if (FFloatParent) FFloatParent->SetClientSize(size());
}

void TTBCustomDockableWindow::SetDefaultDock(TTBDock *Value) { FDefaultDock = Value; }

void TTBCustomDockableWindow::SetLastDock(TTBDock *Value) {
  // While it uses its last dock a docked window's last dock is where it is.
  if (FUseLastDock && FDocked) Value = FCurrentDock;
  if (FLastDock == Value) return;
  TTBDock *Old = FLastDock;
  FLastDock = Value;
  if (Old && Old != parentWidget()) Old->ChangeDockList(false, this);
  FUseLastDock = true;
  if (Value) Value->ChangeDockList(true, this);
}

void TTBCustomDockableWindow::SetUseLastDock(bool Value) {
  if (FUseLastDock == Value) return;
  FUseLastDock = Value;
  if (Value) {
    SetLastDock(FCurrentDock);
  } else {
    TTBDock *Old = FLastDock;
    FLastDock = nullptr;
    if (Old && Old != parentWidget()) Old->ChangeDockList(false, this);
  }
}

void TTBCustomDockableWindow::SetCurrentDock(TTBDock *Value) {
  if (Value) {
    ChangeParent(Value);
    return;
  }
  if (!FParentForm)
    throw EInvalidOperation(QStringLiteral("Control '%1' has no parent window").arg(objectName()).toStdString());
  ChangeParent(FParentForm);
}

void TTBCustomDockableWindow::SetFloating(bool Value) {
  if (Value == FFloating) return;
  if (!Value) {
    if (FParentForm) ChangeParent(FParentForm);
    return;
  }
  // A window without a form floats on its own.
  QWidget *Form = FParentForm ? FParentForm.data() : parentWidget() ? window() : nullptr;
  if (!FFloatParent || FFloatParent->ParentForm() != Form) {
    if (FFloatParent && FFloatParent != parentWidget()) {
      FFloatParent->FDockableWindow = nullptr;
      delete FFloatParent;
    }
    FFloatParent = CreateFloatingParent(Form);
  }
  FParentForm = Form;
  ChangeParent(FFloatParent);
}

TTBFloatingWindowParent *TTBCustomDockableWindow::CreateFloatingParent(QWidget *Form) {
  auto *P = new TTBFloatingWindowParent(Form, this);
  P->setObjectName(QStringLiteral("NBFloatingWindowParent_%1").arg(quintptr(Form), 8, 16, QLatin1Char('0')));
  P->SetCaption(FCaption);
  return P;
}

void TTBCustomDockableWindow::SetFloatingPosition(QPoint Value) {
  FFloatingPosition = Value;
  if (FFloating && FFloatParent && windowsCanBePlaced()) FFloatParent->move(Value);
}

// ---- the change of dock ----

void TTBCustomDockableWindow::ChangeParent(QWidget *NewParent) {
  auto *NewDock = dynamic_cast<TTBDock *>(NewParent);
  auto *NewFloat = dynamic_cast<TTBFloatingWindowParent *>(NewParent);
  if (NewParent == parentWidget()) {
    FCurrentDock = NewDock;
    FDocked = NewDock != nullptr;
    FFloating = NewFloat != nullptr;
    return;
  }
  if (!FDestroying && NewParent) {
    if (OnDockChanging) OnDockChanging(this, NewFloat != nullptr, NewDock);
    if (OnRecreating) OnRecreating(this);
  }
  ++FHiddenDuringChange;
  ++FDisableOnMove;
  UpdateVisibility();
  TTBDock *OldDock = FCurrentDock;
  QPointer<TTBDock> KeepNew = NewDock;
  if (OldDock) OldDock->BeginUpdate();
  if (NewDock) NewDock->BeginUpdate();
  ++FSetBoundsGuard;
  DockChangingHidden(NewFloat != nullptr, NewDock);
  BeginUpdate();
  FCurrentSize = 0;

  if (OldDock) {
    if (!(FUseLastDock && FLastDock == OldDock)) {
      OldDock->FDockList.erase(std::remove(OldDock->FDockList.begin(), OldDock->FDockList.end(), this),
                               OldDock->FDockList.end());
    }
    OldDock->BarVisibilityChanged(this, true);
  }

  TTBFloatingWindowParent *OldFloat = FFloating ? FFloatParent : nullptr;
  const bool WasShown = Visible();
  QWidget::setParent(NewParent);
  if (WasShown) QWidget::setVisible(true);
  FCurrentDock = NewDock;
  FDocked = NewDock != nullptr;
  FFloating = NewFloat != nullptr;
  FEffectiveDockRow = -1;
  if (NewDock) FParentForm = NewDock->window();
  else if (NewParent && !NewFloat) FParentForm = NewParent->window();
  if (OldFloat && OldFloat != NewFloat) {
    OldFloat->hide();
    if (FDrag) {
      FDrag->KeptFloatParent = OldFloat;
    } else {
      OldFloat->FDockableWindow = nullptr;
      OldFloat->deleteLater();
      if (FFloatParent == OldFloat) FFloatParent = nullptr;
    }
  }

  if (NewDock) {
    if (FUseLastDock && !FDrag) {
      TTBDock *Old = FLastDock;
      FLastDock = NewDock;
      if (Old && Old != NewDock) Old->ChangeDockList(false, this);
      NewDock->ChangeDockList(true, this);
    } else {
      NewDock->ChangeDockList(true, this);
    }
  }

  if (FFloating) {
    FloatingWatch::Get().Add(this);
    move(FFloatParent->ClientRect().topLeft());
    FFloatParent->SetClientSize(size());
    if (windowsCanBePlaced()) FFloatParent->move(FFloatingPosition);
  } else {
    FloatingWatch::Forget(this);
  }

  Arrange();
  EndUpdate();
  --FSetBoundsGuard;
  if (OldDock) OldDock->EndUpdate();
  if (KeepNew) KeepNew->EndUpdate();
  --FDisableOnMove;
  --FHiddenDuringChange;
  if (FCurrentDock) FCurrentDock->BarVisibilityChanged(this, false);
  UpdateVisibility();
  FireMove();
  if (!FDestroying && NewParent) {
    if (OnRecreated) OnRecreated(this);
    if (OnDockChanged) OnDockChanged(this);
  }
}

void TTBCustomDockableWindow::DockChangingHidden(bool Floating, TTBDock *DockingTo) {
  if (!FDestroying && OnDockChangingHidden) OnDockChangingHidden(this, Floating, DockingTo);
}

// ---- layout and visibility ----

TTBDockKind TTBCustomDockableWindow::DockKind() const {
  if (FDocked) return FCurrentDock->Kind();
  return FFloating ? dkFloating : dkNone;
}

void TTBCustomDockableWindow::Arrange() {
  if (FUpdateCount > 0 || !parentWidget()) {
    FLayoutPending = true;
    return;
  }
  FLayoutPending = false;
  const QSize Content = LayoutForDock(true, DockKind(), FCurrentDock, FFloating);
  if (!FAutoResize) return;
  if (FDocked) {
    FCurrentDock->ArrangeBars();
    return;
  }
  ++FSetBoundsGuard;
  resize(Content + GetDockedFrameSize());
  --FSetBoundsGuard;
  // A hidden floating parent hears of no resize: tell it now.
  if (FFloating && FFloatParent) FFloatParent->SetClientSize(size());
}

void TTBCustomDockableWindow::BeginUpdate() { ++FUpdateCount; }

void TTBCustomDockableWindow::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  if (FUpdateCount == 0 && FLayoutPending) Arrange();
}

void TTBCustomDockableWindow::setVisible(bool Visible) {
  const bool Was = this->Visible();
  QWidget::setVisible(Visible);
  if (FHiddenDuringChange > 0 || FDestroying || Was == this->Visible()) return;
  if (FCurrentDock) FCurrentDock->BarVisibilityChanged(this, false);
  UpdateVisibility();
  if (OnVisibleChanged) OnVisibleChanged(this);
}

bool TTBCustomDockableWindow::ShouldBeVisible() const {
  if (!Visible() || FHiddenDuringChange > 0) return false;
  if (!FFloating) return true;
  if (FFloatingMode == fmOnTopOfParentForm) {
    const QWidget *Form = FParentForm;
    if (!Form || !Form->isVisible() || Form->isMinimized()) return false;
  }
  if (FHideWhenInactive) return ApplicationActive();
  return true;
}

void TTBCustomDockableWindow::UpdateVisibility() {
  const bool Inactive = FFloating && !FHideWhenInactive && !ApplicationActive();
  if (Inactive != FInactiveCaption) {
    FInactiveCaption = Inactive;
    if (FFloatParent) FFloatParent->RedrawNCArea(2);
  }
  if (FFloating && FFloatParent) {
    FFloatParent->ShouldShow = ShouldBeVisible();
    FFloatParent->UpdateShowing();
  }
}

void TTBCustomDockableWindow::DoubleClick() {
  if (FFloating) {
    if (FLastDock) {
      SetCurrentDock(FLastDock);
    } else if (FDefaultDock) {
      FDockRow = 0;
      FDockPos = -8;
      SetCurrentDock(FDefaultDock);
    }
  } else if (FDocked && FDockMode == dmCanFloat) {
    SetFloating(true);
    MoveOnScreen(true);
  }
}

void TTBCustomDockableWindow::Close() {
  bool CanClose = true;
  if (OnCloseQuery) OnCloseQuery(this, CanClose);
  if (!CanClose) return;
  hide();
  if (OnClose) OnClose(this);
}

void TTBCustomDockableWindow::MoveOnScreen(bool OnlyIfFullyOffscreen) {
  if (!FFloating || !FFloatParent) return;
  const QRect R(FFloatingPosition, FFloatParent->size());
  const QRect Area = monitorWorkAreaOf(R);
  if (OnlyIfFullyOffscreen && R.intersects(Area)) return;
  SetFloatingPosition(MoveRectOnScreen(R, Area).topLeft());
}

void TTBCustomDockableWindow::FireMove() {
  if (FDisableOnMove > 0 || FDestroying) return;
  if (OnMove) OnMove(this);
}

void TTBCustomDockableWindow::moveEvent(QMoveEvent *) {
  FMoved = true;
  FireMove();
}

void TTBCustomDockableWindow::resizeEvent(QResizeEvent *E) {
  if (FSetBoundsGuard == 0 && E->oldSize() != E->size()) SizeChanging(E->size().width(), E->size().height());
  if (FFloating && FFloatParent && FSizing == nullptr) FFloatParent->SetClientSize(size());
}

void TTBCustomDockableWindow::SizeChanging(int, int) {}

void TTBCustomDockableWindow::WritePositionData(const TTBPositionWriteIntProc &, const TTBPositionWriteStringProc &) {}

void TTBCustomDockableWindow::ReadPositionData(const TTBPositionReadIntProc &, const TTBPositionReadStringProc &) {}

} // namespace kc::tb
