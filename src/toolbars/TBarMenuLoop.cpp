#include "toolbars/TBarMenuLoop.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

#include <algorithm>
#include <unordered_set>

#include "platform/Beep.h"
#include "platform/DesktopMetrics.h"
#include "platform/Log.h"
#include "platform/TbSystemSettings.h"
#include "toolbars/TBarAccessible.h"
#include "toolbars/TBarPopup.h"

namespace kc::tb {

namespace {
TTBMenuHandlers g_handlers;
TTBMenuLoop *g_current = nullptr;
int g_captureNesting = 0;

std::vector<TTBView *> Chain(TTBView *Root) {
  std::vector<TTBView *> out;
  std::unordered_set<TTBView *> seen;
  for (TTBView *v = Root; v && seen.insert(v).second; v = v->OpenedView) out.push_back(v);
  return out;
}

QRect ScreenRectOf(const QWidget *W) {
  return W->isWindow() ? W->geometry() : QRect(W->mapToGlobal(QPoint(0, 0)), W->size());
}
} // namespace

TTBMenuLoop *CurrentMenuLoop() { return g_current; }

void SetMenuHandlers(TTBMenuHandlers Handlers) { g_handlers = std::move(Handlers); }

bool TTBMenuLoop::AfterEvent() {
  // The hint of the deepest selected item, told when it changes.
  QString hint;
  if (running_ && !Control.ExitLoop)
    for (TTBView *v = root_->DeepestView(); v; v = v->OwnerView())
      if (v->Selected()) {
        hint = v->Selected()->Item()->LongHint();
        break;
      }
  if (hint != hint_) {
    hint_ = hint;
    if (g_handlers.Hint) g_handlers.Hint(hint_);
  }
  return !Finished();
}

QPoint CurrentPointerPos() {
  // Inside a loop the last position it handled is where the pointer is, so
  // synthetic event sequences see the same state as real ones.
  if (g_current) return g_current->PressGlobal;
  return cursorPosition();
}

// ------------------------------------------------------------- view menus

bool TTBView::OpenSubmenu(bool SelectFirstItem) {
  StopTimer(tiClose);
  StopTimer(tiOpen);
  if (Selected() != OpenedViewer) {
    CloseSubmenus();
    TTBItemViewer *sel = Selected();
    if (sel && sel->Item()->Enabled() && sel->Item()->Has(ikSubmenu)) {
      auto wnd = CreatePopup(sel->Item(), this, sel, IsPopup(), SelectFirstItem, QPoint(), 0);
      OpenedWindow = std::move(wnd);
      if (OpenedView) OpenedView->Loop = Loop;
    }
  }
  return OpenedViewer != nullptr;
}

void TTBView::CloseSubmenus() {
  if (OpenedView) OpenedView->CloseSubmenus();
  TTBItemViewer *was = OpenedViewer;
  OpenedView = nullptr;
  OpenedViewer = nullptr;
  TTBPopupWindowPtr wnd = std::move(OpenedWindow);
  wnd.reset();
  if (was && IndexOf(was) >= 0) RepaintViewer(was);
  // Back from a submenu, the keyboard is on the item that opened it.
  if (was && Loop && !Loop->ExitLoop) AnnounceSelection(*this);
}

void TTBView::StartTimer(TTBViewTimer Kind, int DelayMs) {
  if (!qobject_cast<TTBPopupWindow *>(Window())) return;
  auto &t = timers_[size_t(Kind)];
  if (!t) t = std::make_unique<GuiTimer>();
  t->stop();
  t->start(DelayMs, [this, Kind] { TimerTick(Kind); });
}

void TTBView::StopTimer(TTBViewTimer Kind) {
  if (auto &t = timers_[size_t(Kind)]) t->stop();
}

void TTBView::StopAllTimers() {
  for (int k = 0; k < 4; ++k) StopTimer(TTBViewTimer(k));
}

bool TTBView::TimerRunning(TTBViewTimer Kind) const {
  const auto &t = timers_[size_t(Kind)];
  return t && t->active();
}

void TTBView::TimerTick(TTBViewTimer Kind) {
  switch (Kind) {
  case tiOpen:
    CloseSubmenus();
    OpenSubmenu(false);
    break;
  case tiClose:
    StopTimer(tiClose);
    CloseSubmenus();
    break;
  case tiScrollUp:
    if (UpArrowShown) ScrollBy(false);
    else StopTimer(tiScrollUp);
    break;
  case tiScrollDown:
    if (DownArrowShown) ScrollBy(true);
    else StopTimer(tiScrollDown);
    break;
  }
}

void TTBView::UpdateAccelerators(bool ShowNow) {
  const bool show = ShowNow || !(Style & vsUseKeyboardCues) || tbSystemSettings().keyboardCues;
  if (show == Has(vsShowAccelerators)) return;
  Set(vsShowAccelerators, show);
  for (int i = 0; i < ViewerCount(); ++i)
    if (!FindAccelChar(Viewer(i)->Item()->Caption()).isNull()) RepaintViewer(Viewer(i));
}

void TTBView::GiveWayToFront(TTBItemViewer *V) {
  for (TTBView *view = this; view && V; view = view->OwnerView()) {
    // In a chevron popup the toolbar's own viewer of the item moves.
    TTBView *target = view->ChevronOwnerView ? view->ChevronOwnerView : view;
    TTBItemViewer *tv = target == view ? V : target->Find(V->Item());
    if (tv) {
      auto &order = target->giveWayOrder_;
      auto it = std::find(order.begin(), order.end(), tv);
      if (it != order.end()) {
        order.erase(it);
        order.insert(order.begin(), tv);
      }
      if (!target->PositionsValid() || tv->PushedOff) {
        target->DropPositions();
        target->EnsurePositions();
      }
    }
    TTBView *owner = view->OwnerView();
    V = owner ? owner->OpenedViewer : nullptr;
  }
}

void TTBView::RunSelected(TTBLoopControl &Loop) {
  TTBItemViewer *sel = Selected();
  if (!sel) return;
  TTBCustomItem *item = sel->Item();
  if (!item->Has(ikCombo) && OpenSubmenu(true)) {
    TTBView *top = TopView();
    if (top->IsToolbar()) top->Set(vsKeyboardOpen, true);
    return;
  }
  if (!item->Has(ikSelectable)) return;
  GiveWayToFront(sel);
  Loop.Outcome = {};
  Loop.Outcome.Kind = moClick;
  Loop.Outcome.Item = TTBItemRef(item);
  Loop.Outcome.Sound = !(this == Loop.RootView && IsToolbar());
  Loop.ExitLoop = true;
}

namespace {
// The top toolbar moves to its next or previous item and, while in
// keyboard-open mode, opens it with its first item selected.
void StepTopAndOpen(TTBView *Top, bool Forward) {
  TTBItemViewer *v = Top->StepSelectable(Top->Selected(), Forward);
  if (!v) return;
  const bool kbOpen = Top->Has(vsKeyboardOpen);
  Top->CloseSubmenus();
  Top->SetSelection(v);
  if (kbOpen && !v->Item()->Has(ikNoAutoOpen)) Top->OpenSubmenu(true);
}
} // namespace

bool TTBView::KeyDown(int Key, Qt::KeyboardModifiers Shift, TTBLoopControl &Loop) {
  TTBView *top = TopView();
  const bool topToolbar = top->IsToolbar();
  const bool topHorizontal = topToolbar && top->Orientation != tbvoVertical;
  switch (Key) {
  case Qt::Key_Left:
  case Qt::Key_Right: {
    const bool left = Key == Qt::Key_Left;
    if (IsToolbar() && this == top && Orientation == tbvoVertical) {
      if (OpenSubmenu(true)) Set(vsKeyboardOpen, true);
      return true;
    }
    if (left) {
      if (IsToolbar()) {
        StepTopAndOpen(this, false);
      } else if (ownerView_ && ownerView_ == top && topHorizontal) {
        StepTopAndOpen(top, false);
      } else if (ownerView_) {
        TTBView *owner = ownerView_;
        if (owner->IsToolbar()) owner->Set(vsKeyboardOpen, false);
        owner->CloseSubmenus();
      }
      return true;
    }
    if (IsPopup() && OpenSubmenu(true)) return true;
    if (topHorizontal) StepTopAndOpen(top, true);
    return true;
  }
  case Qt::Key_Up:
  case Qt::Key_Down:
    if (IsToolbar() && this == top && Orientation != tbvoVertical) {
      if (OpenSubmenu(true)) Set(vsKeyboardOpen, true);
    } else {
      StepAndReveal(Key == Qt::Key_Down);
    }
    return true;
  case Qt::Key_Home:
  case Qt::Key_End:
    SetSelection(StepSelectable(nullptr, Key == Qt::Key_Home));
    RevealSelection();
    return true;
  case Qt::Key_Tab:
  case Qt::Key_Backtab: StepAndReveal(Key == Qt::Key_Tab && !(Shift & Qt::ShiftModifier)); return true;
  case Qt::Key_Escape:
    if (this == Loop.RootView) {
      Loop.ExitLoop = true;
    } else if (ownerView_) {
      TTBView *owner = ownerView_;
      if (owner->IsToolbar()) owner->Set(vsKeyboardOpen, false);
      owner->CloseSubmenus();
    }
    return true;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    if (!Selected() || !Selected()->Item()->Enabled()) Loop.ExitLoop = true;
    else RunSelected(Loop);
    return true;
  case Qt::Key_F1:
    for (TTBView *v = this; v; v = v->ownerView_)
      if (v->Selected() && v->Selected()->Item()->HelpContext() != 0) {
        Loop.Outcome = {};
        Loop.Outcome.Kind = moHelp;
        Loop.Outcome.HelpContext = v->Selected()->Item()->HelpContext();
        Loop.ExitLoop = true;
        break;
      }
    return true;
  case Qt::Key_Alt:
  case Qt::Key_F10: Loop.ExitLoop = true; return true;
  default: return false;
  }
}

// ---------------------------------------------------------------- the loop

TTBMenuLoop::TTBMenuLoop(TTBView *RootView, bool TrackRightButton) : root_(RootView), trackRight_(TrackRightButton) {
  Control.RootView = RootView;
}

TTBMenuLoop::~TTBMenuLoop() {
  if (running_) End();
}

bool TTBMenuLoop::IsLoopPopup(QWidget *W) const {
  if (!W) return false;
  for (TTBView *v : Chain(root_))
    if (v != root_ || root_->IsPopup())
      if (v->Window() == W) return true;
  return false;
}

QWidget *TTBMenuLoop::LoopWindowAt(QPoint Global) const {
  const std::vector<TTBView *> chain = Chain(root_);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    QWidget *w = (*it)->Window();
    if (w && w->isVisible() && ScreenRectOf(w).contains(Global)) return w;
  }
  return tbWidgetAt(Global);
}

bool TTBMenuLoop::Begin(bool StartedByMouse, bool KeyboardOpen, bool SelectFirstItem, QPoint CursorPos) {
  root_->EnsurePositions();
  root_->Set(vsKeyboardOpen, KeyboardOpen);
  root_->Set(vsInModalLoop, true);
  root_->Set(vsNoAnimation, false);
  root_->Loop = &Control;
  running_ = true;
  prev_ = g_current;
  g_current = this;
  ++g_captureNesting;
  lastPos_ = CursorPos;
  lastPosKnown_ = true;
  PressGlobal = CursorPos;
  // A popup menu says so itself when it shows; a bar's menu starts here.
  if (root_->IsToolbar()) AnnounceMenu(root_->Window(), true);
  AnnounceSelection(*root_);
  if (StartedByMouse) {
    if (TTBItemViewer *sel = root_->Selected()) {
      const QPoint local = root_->ScreenToClient(CursorPos) - sel->BoundsRect.topLeft();
      sel->MouseDown(false, local.x(), local.y(), Control);
      if (Control.ExitLoop) return false;
    }
  }
  if (root_->Has(vsKeyboardOpen)) root_->OpenSubmenu(SelectFirstItem);
  return !Finished();
}

void TTBMenuLoop::End() {
  if (!running_) return;
  running_ = false;
  for (TTBView *v : Chain(root_)) {
    v->EndTracking();
    v->Loop = nullptr;
  }
  root_->Set(vsInModalLoop, false);
  if (root_->IsToolbar()) AnnounceMenu(root_->Window(), false);
  if (!hint_.isEmpty()) {
    hint_.clear();
    if (g_handlers.Hint) g_handlers.Hint(hint_);
  }
  if (--g_captureNesting == 0 && grabbed_) {
    grabbed_->releaseMouse();
    grabbed_->releaseKeyboard();
  }
  grabbed_ = nullptr;
  if (g_current == this) g_current = prev_;
}

TTBView *TTBMenuLoop::MouseReceiver() const {
  const std::vector<TTBView *> chain = Chain(root_);
  for (TTBView *v : chain)
    if (v->MouseTracking) return v;
  for (TTBView *v : chain)
    if (v->Selected() && v->MouseOverSelected) return v;
  for (TTBView *v : chain)
    if (v->Has(vsMouseInView)) return v;
  return nullptr;
}

void TTBMenuLoop::MouseSelect(TTBView *View, QPoint Global, bool Force) {
  TTBItemViewer *cand = (View->IsPopup() || View->Has(vsInModalLoop)) ? View->Selected() : nullptr;
  QWidget *under = LoopWindowAt(Global);
  const bool wasIn = View->Has(vsMouseInView);
  if (under && under == View->Window()) {
    View->Set(vsMouseInView, true);
    if (Force || View->Selected()) {
      const QPoint local = View->ScreenToClient(Global);
      TTBItemViewer *v = View->ViewerAt(local);
      if (v) cand = v->Item()->Has(ikSelectable) ? v : nullptr;
    }
  } else {
    View->Set(vsMouseInView, false);
    if (View->IsPopup() && wasIn && !(View->OpenedViewer && View->OpenedViewer == cand)) cand = nullptr;
  }
  if (View->MouseTracking) cand = View->Selected();
  if (View->IsPopup() && View->Has(vsMouseInView) && View->OwnerView()) {
    TTBView *owner = View->OwnerView();
    if (owner->OpenedViewer && owner->Selected() != owner->OpenedViewer) owner->SetSelection(owner->OpenedViewer);
    owner->StopTimer(tiClose);
    owner->StopTimer(tiOpen);
  }
  View->SetSelection(cand);
}

void TTBMenuLoop::TrackMouse(QPoint Global, bool ButtonDown) {
  const std::vector<TTBView *> chain = Chain(root_);
  size_t limit = chain.size();
  for (size_t i = 0; i < chain.size(); ++i)
    if (chain[i]->MouseTracking) {
      limit = i + 1;
      break;
    }
  const int delay = tbSystemSettings().menuShowDelay;
  for (size_t k = limit; k-- > 0;) {
    TTBView *view = chain[k];
    if (k + 1 < chain.size() && chain[k + 1] != view->OpenedView) continue; // closed meanwhile
    TTBItemViewer *before = view->Selected();
    // Inside the loop the hot item follows the pointer even when nothing
    // is selected yet.
    MouseSelect(view, Global, ButtonDown || view->IsPopup() || view->Has(vsInModalLoop));
    TTBItemViewer *sel = view->Selected();
    if (view->Has(vsMouseInView) && sel != view->OpenedViewer &&
        (view->OpenedView || (sel && sel->Item()->Has(ikSubmenu)))) {
      if (view->IsToolbar()) {
        if (view != root_ && !view->MouseTracking) view->Set(vsKeyboardOpen, true);
        if (view->Has(vsKeyboardOpen)) view->OpenSubmenu(false);
      } else {
        const bool closeRunning = view->TimerRunning(tiClose);
        if (!closeRunning) view->StartTimer(tiClose, delay);
        if (!(closeRunning && sel == before)) view->StartTimer(tiOpen, delay);
      }
    }
    if (view->IsPopup()) {
      const QPoint local = view->ScreenToClient(Global);
      const bool inWin = view->Has(vsMouseInView);
      if (inWin && view->UpArrowShown && local.y() < kScrollArrowHeight) {
        view->StopTimer(tiScrollDown);
        if (!view->TimerRunning(tiScrollUp)) view->StartTimer(tiScrollUp, 100);
      } else if (inWin && view->DownArrowShown && local.y() >= view->TotalSize.height() - kScrollArrowHeight) {
        view->StopTimer(tiScrollUp);
        if (!view->TimerRunning(tiScrollDown)) view->StartTimer(tiScrollDown, 100);
      } else {
        view->StopTimer(tiScrollUp);
        view->StopTimer(tiScrollDown);
      }
    }
  }
}

bool TTBMenuLoop::MouseMove(QPoint Global) {
  if (Finished()) return false;
  PressGlobal = Global;
  if (Global != lastPos_ || !lastPosKnown_) {
    lastPos_ = Global;
    lastPosKnown_ = true;
    TrackMouse(Global, false);
    for (TTBView *v = root_; v; v = v->OpenedView)
      if (auto *popup = dynamic_cast<TTBPopupWindow *>(v->Window())) popup->HoverAt(Global);
  }
  return AfterEvent();
}

bool TTBMenuLoop::MouseDown(QPoint Global, Qt::MouseButton Button, bool DoubleClick) {
  if (Finished()) return false;
  PressGlobal = Global;
  QWidget *under = LoopWindowAt(Global);
  if (!IsLoopPopup(under)) {
    QWidget *rootWin = root_->Window();
    const bool outside =
        root_->IsPopup() || under != rootWin || !rootWin || !root_->ClientContains(root_->ScreenToClient(Global));
    if (outside) {
      // The press is not ours: it goes on to the window under it.
      PressTarget = under;
      PressButton = Button;
      Control.ExitLoop = true;
      return false;
    }
    if (Button == Qt::LeftButton) {
      lastPos_ = Global;
      TrackMouse(Global, true);
      TTBItemViewer *sel = root_->Selected();
      if (!(sel && root_->ViewerAt(root_->ScreenToClient(Global)) == sel && root_->MouseOverSelected &&
            !sel->Item()->Has(ikIgnoresClicks))) {
        PressTarget = rootWin;
        PressButton = Button;
        Control.ExitLoop = true;
        return false;
      }
    }
  }
  if (Button == Qt::RightButton && !trackRight_) return !Finished();
  if (Button != Qt::LeftButton && Button != Qt::RightButton) return !Finished();
  root_->Set(vsIgnoreButtonUp, false);
  lastPos_ = Global;
  TrackMouse(Global, true);
  if (TTBView *recv = MouseReceiver())
    if (TTBItemViewer *v = recv->Selected()) {
      const QPoint local = recv->ScreenToClient(Global) - v->BoundsRect.topLeft();
      v->MouseDown(DoubleClick, local.x(), local.y(), Control);
    }
  lastPos_ = Global;
  return AfterEvent();
}

bool TTBMenuLoop::MouseUp(QPoint Global, Qt::MouseButton Button) {
  if (Finished()) return false;
  if (Button == Qt::RightButton && !trackRight_) return true;
  if (Button != Qt::LeftButton && Button != Qt::RightButton) return true;
  PressGlobal = Global;
  lastPos_ = Global;
  TrackMouse(Global, false);
  TTBView *recv = MouseReceiver();
  TTBItemViewer *v = recv ? recv->Selected() : nullptr;
  if (v && (recv->MouseOverSelected || recv->MouseTracking)) {
    const QPoint local = recv->ScreenToClient(Global) - v->BoundsRect.topLeft();
    v->MouseUp(local.x(), local.y(), Control);
  } else if (!recv || recv == root_) {
    if (root_->Has(vsIgnoreButtonUp))
      root_->Set(vsIgnoreButtonUp, false); // the release of the press that opened the menu
    else Control.ExitLoop = true;
  }
  return AfterEvent();
}

bool TTBMenuLoop::KeyDown(int Key, Qt::KeyboardModifiers Shift) {
  if (Finished()) return false;
  TTBView *deepest = root_->DeepestView();
  deepest->KeyDown(Key, Shift, Control);
  return AfterEvent();
}

void TTBMenuLoop::Accelerator(QChar Ch) {
  TTBView *view = root_->DeepestView();
  view->EnsurePositions();
  const int n = view->ViewerCount();
  if (n == 0) {
    Beep();
    return;
  }
  const QChar key = Ch.toUpper();
  const int start = view->Selected() ? view->IndexOf(view->Selected()) : -1;
  auto matches = [&](TTBItemViewer *v, bool enabled, bool accelKind) {
    TTBCustomItem *it = v->Item();
    if (!(v->Show || v->ScrolledOut) || !it->Has(ikSelectable) || !it->Visible() || it->Enabled() != enabled)
      return false;
    const QChar a = FindAccelChar(it->Caption());
    if (accelKind) return !a.isNull() && a.toUpper() == key;
    const QString cap = it->CaptionText();
    return a.isNull() && Ch != u' ' && !cap.isEmpty() && cap[0].toUpper() == key;
  };
  auto search = [&](int from, bool enabled, bool accelKind) -> int {
    for (int k = 1; k <= n; ++k) {
      const int i = ((from + k) % n + n) % n;
      if (matches(view->Viewer(i), enabled, accelKind)) return i;
    }
    return -1;
  };
  for (const bool enabled : {true, false})
    for (const bool accelKind : {true, false}) {
      const int found = search(start, enabled, accelKind);
      if (found < 0) continue;
      const bool unique = !accelKind || search(found, enabled, accelKind) == found;
      view->SetSelection(view->Viewer(found));
      if (unique) view->KeyDown(Qt::Key_Return, Qt::NoModifier, Control);
      if (!Finished()) view->RevealSelection();
      return;
    }
  if ((Ch == u' ' || Ch == u'-') && view == root_ && root_->IsToolbar() && root_->Window()) {
    Control.Outcome = {};
    Control.Outcome.Kind = moKeyMenu;
    Control.Outcome.Window = root_->Window()->window();
    Control.Outcome.Key = Ch;
    Control.ExitLoop = true;
    return;
  }
  Beep();
}

bool TTBMenuLoop::Char(QChar Ch) {
  if (Finished()) return false;
  Accelerator(Ch);
  return AfterEvent();
}

bool TTBMenuLoop::eventFilter(QObject *Watched, QEvent *Event) {
  if (!running_) return false;
  try {
    switch (Event->type()) {
    case QEvent::MouseMove: {
      auto *me = static_cast<QMouseEvent *>(Event);
      MouseMove(me->globalPosition().toPoint());
      break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto *me = static_cast<QMouseEvent *>(Event);
      MouseDown(me->globalPosition().toPoint(), me->button(), Event->type() == QEvent::MouseButtonDblClick);
      break;
    }
    case QEvent::MouseButtonRelease: {
      auto *me = static_cast<QMouseEvent *>(Event);
      MouseUp(me->globalPosition().toPoint(), me->button());
      break;
    }
    case QEvent::KeyPress: {
      auto *ke = static_cast<QKeyEvent *>(Event);
      const Qt::MouseButtons held = tbMouseButtons();
      const bool buttonHeld = (held & Qt::LeftButton) || (trackRight_ && (held & Qt::RightButton));
      if (!buttonHeld || ke->key() == Qt::Key_F1) {
        TTBView *deepest = root_->DeepestView();
        const bool used = deepest->KeyDown(ke->key(), ke->modifiers(), Control);
        if (!used && !buttonHeld && !ke->text().isEmpty() && ke->text()[0].isPrint()) Accelerator(ke->text()[0]);
      }
      break;
    }
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::Wheel: break;
    case QEvent::ApplicationDeactivate: Control.ExitLoop = true; break;
    default: return false;
    }
  } catch (...) {
    // A menu event that failed ends the menu; the program goes on.
    LogCaughtException("menu loop event");
    Control.ExitLoop = true;
  }
  Q_UNUSED(Watched);
  AfterEvent();
  if (Finished() && eventLoop_) eventLoop_->quit();
  return true;
}

void TTBMenuLoop::Exec() {
  if (Finished()) return;
  QEventLoop loop;
  eventLoop_ = &loop;
  qApp->installEventFilter(this);
  QWidget *rootWin = root_->Window();
  if (rootWin && rootWin->isVisible() && root_->IsToolbar() && g_captureNesting == 1) {
    rootWin->grabMouse();
    rootWin->grabKeyboard();
    grabbed_ = rootWin;
  }
  if (!Finished()) loop.exec();
  qApp->removeEventFilter(this);
  eventLoop_ = nullptr;
}

void DoneActionExecute(const TTBMenuOutcome &Outcome) {
  switch (Outcome.Kind) {
  case moClick:
    if (TTBCustomItem *item = Outcome.Item.get()) PostItemClick(item, Outcome.Sound);
    break;
  case moKeyMenu:
    if (g_handlers.KeyMenu && Outcome.Window) g_handlers.KeyMenu(Outcome.Window, Outcome.Key);
    break;
  case moHelp:
    if (g_handlers.Help) g_handlers.Help(Outcome.HelpContext);
    break;
  case moNone: break;
  }
}

namespace {
// The press that ended a loop reaches the window under it once the loop and
// its windows are gone.
void ReplayPress(QWidget *Target, QPoint Global, Qt::MouseButton Button) {
  if (!Target || Button == Qt::NoButton) return;
  const QPointF local = Target->mapFromGlobal(QPointF(Global));
  auto *press = new QMouseEvent(QEvent::MouseButtonPress, local, QPointF(Global), Button, Button, Qt::NoModifier);
  QCoreApplication::postEvent(Target, press);
}
// The press that opened a menu from a bar made the bar the window's
// receiver of every mouse event until that press's release; the release
// went to the menu instead, so the window hears it now, and the pointer's
// moves reach whatever lies under them again (hover on the other toolbars).
void EndPressGrab(QWidget *Bar) {
  QWidget *top = Bar ? Bar->window() : nullptr;
  QWindow *handle = top ? top->windowHandle() : nullptr;
  if (!handle) return;
  const QPoint global = cursorPosition();
  QMouseEvent release(QEvent::MouseButtonRelease, handle->mapFromGlobal(QPointF(global)), QPointF(global),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(handle, &release);
}
} // namespace

void PopupEx(TTBCustomItem *Item, bool SelectFirstItem, bool TrackRightButton, int Alignment, QPoint Point,
             const TTBBaseSkin *Skin) {
  TTBMenuOutcome outcome;
  QPointer<QWidget> target;
  QPoint pressAt;
  Qt::MouseButton button = Qt::NoButton;
  {
    TTBPopupWindowPtr wnd = CreatePopup(Item, nullptr, nullptr, false, SelectFirstItem, Point, Alignment, Skin);
    wnd->View()->Set(vsIgnoreButtonUp, true);
    TTBMenuLoop loop(wnd->View(), TrackRightButton);
    if (loop.Begin(false, false, SelectFirstItem, cursorPosition())) loop.Exec();
    loop.End();
    outcome = loop.Control.Outcome;
    target = loop.PressTarget;
    pressAt = loop.PressGlobal;
    button = loop.PressButton;
  }
  ReplayPress(target, pressAt, button);
  DoneActionExecute(outcome);
}

void RunBarMenu(TTBView *View, int Options, QPoint CursorPos) {
  if (!View || !View->IsToolbar() || View->Has(vsInModalLoop)) return;
  View->State = TTBViewState(View->State & vsShowAccelerators);
  TTBMenuOutcome outcome;
  QPointer<QWidget> target;
  QPoint pressAt;
  Qt::MouseButton button = Qt::NoButton;
  {
    TTBMenuLoop loop(View, false);
    if (loop.Begin(Options & rbmStartedByMouse, Options & rbmKeyboardOpen, Options & rbmSelectFirst, CursorPos))
      loop.Exec();
    loop.End();
    outcome = loop.Control.Outcome;
    target = loop.PressTarget;
    pressAt = loop.PressGlobal;
    button = loop.PressButton;
  }
  View->StopAllTimers();
  View->CloseSubmenus();
  if (View->Style & vsUseKeyboardCues) View->UpdateAccelerators(false);
  View->SetSelection(nullptr);
  if ((Options & rbmStartedByMouse) && !(tbMouseButtons() & Qt::LeftButton)) EndPressGrab(View->Window());
  ReplayPress(target, pressAt, button);
  DoneActionExecute(outcome);
}

namespace {
bool FindShortCut(TTBCustomItem *Level, TShortCut ShortCut, std::vector<TTBCustomItem *> &Path,
                  std::unordered_set<TTBCustomItem *> &Visited, int LinkDepth) {
  TTBCustomItem *src = Level->EffectiveSource();
  if (src != Level && ++LinkDepth > 25) return false;
  // Links can form loops; every source is searched once.
  if (!Visited.insert(src).second) return false;
  Path.push_back(Level);
  for (int i = 0; i < src->Count(); ++i) {
    TTBCustomItem *it = src->ItemAt(i);
    if (it->ShortCut() == ShortCut && ShortCut != 0) {
      Path.push_back(it);
      return true;
    }
    if (FindShortCut(it, ShortCut, Path, Visited, LinkDepth)) return true;
  }
  Path.pop_back();
  return false;
}
} // namespace

bool DispatchShortCut(TTBCustomItem *Root, TShortCut ShortCut) {
  if (!Root || ShortCut == 0) return false;
  std::vector<TTBCustomItem *> path;
  std::unordered_set<TTBCustomItem *> visited;
  if (!FindShortCut(Root, ShortCut, path, visited, 0)) return false;
  std::vector<TTBItemRef> refs;
  for (TTBCustomItem *p : path) refs.emplace_back(p);
  for (size_t i = 0; i + 1 < refs.size(); ++i) {
    TTBCustomItem *level = refs[i].get();
    if (!level || !level->Enabled()) return false;
    TTBCustomItem *src = level->EffectiveSource();
    for (int k = 0; k < src->Count(); ++k) src->ItemAt(k)->InitiateAction();
    if (!level->Has(ikEmbeddedGroup)) level->DoPopup(level, src != level);
  }
  TTBCustomItem *item = refs.back().get();
  if (!item || !item->Enabled()) return false;
  item->Click();
  return true;
}

} // namespace kc::tb
