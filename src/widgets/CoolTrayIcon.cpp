#include "widgets/CoolTrayIcon.h"

#include <algorithm>

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QWidget>
#include <QWindowStateChangeEvent>

#include "platform/DesktopMetrics.h"

namespace kc {

// ------------------------------------------------------------ TSimpleTimer

TSimpleTimer::TSimpleTimer(int interval, THandler onTimer) : FInterval(interval), FOnTimer(std::move(onTimer)) {}

TSimpleTimer::~TSimpleTimer() = default;

void TSimpleTimer::rearm() {
  FTimer.stop();
  if (!FEnabled || FInterval <= 0 || !FOnTimer) return;
  // The tick reaches this object only while it is armed: the timer stops
  // when the object goes.
  FTimer.start(FInterval, [this] {
    const THandler h = FOnTimer;
    if (h) h(this);
  });
}

void TSimpleTimer::SetEnabled(bool on) {
  FEnabled = on;
  rearm();
}

void TSimpleTimer::SetInterval(int ms) {
  if (ms == FInterval) return;
  FInterval = ms;
  if (FTimer.active() || ms <= 0) rearm();
}

void TSimpleTimer::SetOnTimer(THandler handler) {
  FOnTimer = std::move(handler);
  rearm();
}

// ----------------------------------------------------------- TCoolTrayIcon

TCoolTrayIcon::TCoolTrayIcon(QWidget *owner) : QObject(owner), FOwner(owner), FTray(createTrayIcon()) {
  FTray->onActivated = [this](TrayIcon::Activation a) { onActivated(a); };
  FTray->onMessageClicked = [this] { HandleTrayMessage(TrayMsg::BalloonUserClick); };
  FCycleTimer.SetOnTimer([this](TSimpleTimer *) { cycleStep(); });
  FClickTimer.SetOnTimer([this](TSimpleTimer *) { clickTimeout(); });
  FExitTimer.SetInterval(20);
  FExitTimer.SetOnTimer([this](TSimpleTimer *) { exitPoll(); });
  if (owner) owner->installEventFilter(this);
}

TCoolTrayIcon::~TCoolTrayIcon() {
  FCycleTimer.SetEnabled(false);
  FClickTimer.SetEnabled(false);
  FExitTimer.SetEnabled(false);
  HideIcon();
}

void TCoolTrayIcon::Loaded() {
  bool show = true;
  if (OnStartup) OnStartup(this, show);
  if (!show && FOwner) FOwner->hide();
  ModifyIcon();
  SetIconVisible(FIconVisible);
  SetCycleIcons(FCycleIcons);
  SetWantEnterExitEvents(FWantEnterExitEvents);
}

bool TCoolTrayIcon::ShowIcon() {
  FTray->modify(FIcon, FShownTip = (FShowHint ? FHint.left(kTipLength) : QString()));
  return FTray->show();
}

bool TCoolTrayIcon::HideIcon() { return FTray->hide(); }

bool TCoolTrayIcon::ModifyIcon() {
  FShownTip = FShowHint ? FHint.left(kTipLength) : QString();
  return FTray->modify(FIcon, FShownTip);
}

void TCoolTrayIcon::SetIcon(const QImage &icon) {
  FIcon = icon;
  ModifyIcon();
}

void TCoolTrayIcon::SetIconVisible(bool on) {
  FIconVisible = on;
  if (on) ShowIcon();
  else HideIcon();
}

void TCoolTrayIcon::SetHint(const QString &hint) {
  FHint = hint;
  ModifyIcon();
}

void TCoolTrayIcon::SetShowHint(bool on) {
  FShowHint = on;
  ModifyIcon();
}

void TCoolTrayIcon::SetIconList(TCustomImageList *list) {
  FIconList = list;
  SetIconIndex(FIconIndex);
}

void TCoolTrayIcon::SetIconIndex(int index) {
  if (FIconList && FIconList->Count() > 0) {
    FIconIndex = std::clamp(index, 0, FIconList->Count() - 1);
    FIcon = FIconList->GetImage(FIconIndex);
  } else {
    FIconIndex = 0;
  }
  ModifyIcon();
}

void TCoolTrayIcon::SetCycleIcons(bool on) {
  FCycleIcons = on;
  if (on) {
    SetIconIndex(0);
    FCycleTimer.SetInterval(FCycleInterval);
    FCycleTimer.SetEnabled(true);
  } else {
    FCycleTimer.SetEnabled(false);
  }
}

void TCoolTrayIcon::SetCycleInterval(int ms) {
  FCycleInterval = ms;
  FCycleTimer.SetInterval(ms);
}

void TCoolTrayIcon::SetWantEnterExitEvents(bool on) {
  FWantEnterExitEvents = on;
  FExitTimer.SetEnabled(on);
}

void TCoolTrayIcon::cycleStep() {
  if (!FIconList || FIconList->Count() == 0) return;
  const int count = FIconList->Count();
  const int index = std::clamp(FIconIndex, 0, count - 1);
  FIcon = FIconList->GetImage(index);
  const int next = index + 1 < count ? index + 1 : 0;
  if (OnCycle) OnCycle(this, next);
  FIconIndex = next;
  ModifyIcon();
}

bool TCoolTrayIcon::ShowBalloonHint(const QString &title, const QString &text, int seconds, TBalloonHintIcon kind) {
  HideBalloonHint();
  FInfo = text.left(kInfoLength);
  FInfoTitle = title.left(kTitleLength);
  return FTray->showMessage(FInfoTitle, FInfo, static_cast<TrayIcon::MessageKind>(kind), seconds * 1000);
}

bool TCoolTrayIcon::HideBalloonHint() {
  FInfo.clear();
  FInfoTitle.clear();
  return ModifyIcon();
}

void TCoolTrayIcon::ShowMainForm() {
  if (!FOwner) return;
  if (FOwner->isMinimized()) FOwner->showNormal();
  FOwner->show();
  FOwner->raise();
  FOwner->activateWindow();
}

void TCoolTrayIcon::HideMainForm() {
  if (FOwner) FOwner->hide();
}

void TCoolTrayIcon::PopupAtCursor() {
  if (!FPopupMenu) return;
  if (FOwner) FOwner->activateWindow();
  FPopupMenu->popup(cursorPosition());
}

unsigned TCoolTrayIcon::shiftState() const {
  const Qt::KeyboardModifiers m = QGuiApplication::keyboardModifiers();
  return (m & Qt::ShiftModifier ? ssShift : 0u) | (m & Qt::ControlModifier ? ssCtrl : 0u) |
         (m & Qt::AltModifier ? ssAlt : 0u);
}

void TCoolTrayIcon::onActivated(TrayIcon::Activation a) {
  switch (a) {
  case TrayIcon::Activation::Click:
    HandleTrayMessage(TrayMsg::LButtonDown);
    HandleTrayMessage(TrayMsg::LButtonUp);
    break;
  case TrayIcon::Activation::DoubleClick:
    HandleTrayMessage(TrayMsg::LButtonDblClk);
    HandleTrayMessage(TrayMsg::LButtonUp);
    break;
  case TrayIcon::Activation::Context:
    HandleTrayMessage(TrayMsg::RButtonDown);
    HandleTrayMessage(FVersion == 3 ? TrayMsg::ContextMenu : TrayMsg::RButtonUp);
    break;
  case TrayIcon::Activation::Middle:
    HandleTrayMessage(TrayMsg::MButtonDown);
    HandleTrayMessage(TrayMsg::MButtonUp);
    break;
  }
}

void TCoolTrayIcon::HandleTrayMessage(unsigned msg) {
  if (!FEnabled) return;
  // Handlers may free the icon's owner and with it the icon.
  QPointer<TCoolTrayIcon> self(this);
  const QPoint pos = cursorPosition();
  const unsigned shift = shiftState();
  const bool v3 = FVersion == 3;
  // Version 3 sends the context menu and selection in place of the right
  // button's release; the release itself then means nothing.
  if (v3 && msg == TrayMsg::RButtonUp) return;
  if (v3 && (msg == TrayMsg::ContextMenu || msg == TrayMsg::Select || msg == TrayMsg::KeySelect))
    msg = TrayMsg::RButtonUp;
  switch (msg) {
  case TrayMsg::MouseMove:
    FLastMoveGlobal = pos;
    if (FWantEnterExitEvents && FMouseHasLeft) {
      FMouseHasLeft = false;
      if (OnMouseEnter) OnMouseEnter(this);
      if (!self) return;
    }
    if (OnMouseMove) OnMouseMove(this, shift, pos);
    break;
  case TrayMsg::LButtonDown:
    if (OnDblClick) {
      FClickTimer.SetInterval(doubleClickTime());
      FClickTimer.SetEnabled(true);
    }
    if (OnMouseDown) OnMouseDown(this, TMouseButton::mbLeft, shift | ssLeft, pos);
    if (!self) return;
    FPressPending = true;
    if (FLeftPopup) PopupAtCursor();
    break;
  case TrayMsg::LButtonUp:
    if (FPressPending) {
      FPressPending = false;
      FClickPending = true;
      if (!FClickTimer.Running()) {
        FClickPending = false;
        if (OnClick) OnClick(this);
        if (!self) return;
      }
    }
    if (OnMouseUp) OnMouseUp(this, TMouseButton::mbLeft, shift, pos);
    break;
  case TrayMsg::LButtonDblClk:
    FDblClicked = true;
    if (OnDblClick) OnDblClick(this);
    if (!self) return;
    if (FPopupMenu && !FLeftPopup) {
      if (QAction *def = FPopupMenu->defaultAction(); def && def->isEnabled()) def->trigger();
    }
    break;
  case TrayMsg::RButtonDown:
    if (OnMouseDown) OnMouseDown(this, TMouseButton::mbRight, shift | ssRight, pos);
    if (!self) return;
    PopupAtCursor();
    break;
  case TrayMsg::RButtonUp:
    if (OnMouseUp) OnMouseUp(this, TMouseButton::mbRight, shift, pos);
    break;
  case TrayMsg::MButtonDown:
    if (OnMouseDown) OnMouseDown(this, TMouseButton::mbMiddle, shift | ssMiddle, pos);
    break;
  case TrayMsg::MButtonUp:
    if (OnMouseUp) OnMouseUp(this, TMouseButton::mbMiddle, shift, pos);
    break;
  case TrayMsg::BalloonShow:
    if (OnBalloonHintShow) OnBalloonHintShow(this);
    break;
  case TrayMsg::BalloonHide:
    if (OnBalloonHintHide) OnBalloonHintHide(this);
    break;
  case TrayMsg::BalloonTimeout:
    if (OnBalloonHintTimeout) OnBalloonHintTimeout(this);
    break;
  case TrayMsg::BalloonUserClick:
    if (OnBalloonHintClick) OnBalloonHintClick(this);
    break;
  default: break;
  }
}

void TCoolTrayIcon::clickTimeout() {
  FClickTimer.SetEnabled(false);
  const bool fire = !FDblClicked && FClickPending;
  FDblClicked = false;
  if (fire) {
    FClickPending = false;
    if (OnClick) OnClick(this);
  }
}

void TCoolTrayIcon::exitPoll() {
  if (!FWantEnterExitEvents || FMouseHasLeft) return;
  if (cursorPosition() != FLastMoveGlobal) {
    FMouseHasLeft = true;
    if (OnMouseExit) OnMouseExit(this);
  }
}

void TCoolTrayIcon::TrayRestarted() {
  if (FIconVisible) ShowIcon();
}

void TCoolTrayIcon::minimizeToTray() {
  // Only into a notification area that is there: else the window would be
  // lost from the desktop.
  if (!FTray->available() || !ShowIcon()) return;
  HideMainForm();
  if (OnMinimizeToTray) OnMinimizeToTray(this);
}

bool TCoolTrayIcon::eventFilter(QObject *watched, QEvent *event) {
  if (watched == FOwner && event->type() == QEvent::WindowStateChange && FMinimizeToTray && FOwner->isMinimized() &&
      !(static_cast<QWindowStateChangeEvent *>(event)->oldState() & Qt::WindowMinimized) && FOwner->isVisible())
    minimizeToTray();
  return QObject::eventFilter(watched, event);
}

} // namespace kc
