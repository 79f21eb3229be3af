// The view's mouse and keys: presses, moves, releases and double clicks
// handed to the document, the auto-scroll timer while a selection is
// dragged outside the window, and dragging the selection out.
#include <QDrag>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "platform/DesktopMetrics.h"
#include "platform/Log.h"
#include "richtext/controls/RichVista.h"
#include "richtext/tables/RVTable.h"

namespace kc {

namespace {

TRVShiftState ShiftOf(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons) {
  TRVShiftState s = 0;
  if (Modifiers & Qt::ShiftModifier) s |= TRVShift::Shift;
  if (Modifiers & Qt::ControlModifier) s |= TRVShift::Ctrl;
  if (Modifiers & Qt::AltModifier) s |= TRVShift::Alt;
  if (Buttons & Qt::LeftButton) s |= TRVShift::Left;
  if (Buttons & Qt::RightButton) s |= TRVShift::Right;
  if (Buttons & Qt::MiddleButton) s |= TRVShift::Middle;
  return s;
}

bool ButtonOf(Qt::MouseButton Button, TRVMouseButton &Result) {
  switch (Button) {
  case Qt::LeftButton: Result = rvmbLeft; return true;
  case Qt::RightButton: Result = rvmbRight; return true;
  case Qt::MiddleButton: Result = rvmbMiddle; return true;
  default: return false;
  }
}

// The formats a drag carries: the same as a copy with every format on.
QMimeData *MakeDragData(const TCustomRVFormattedData::TRVCopyData &Data) {
  auto *mime = new QMimeData;
  if (!Data.RVF.empty())
    mime->setData(QString::fromLatin1(CFRV_RVF.Mime), QByteArray(Data.RVF.data(), qsizetype(Data.RVF.size())));
  if (Data.HasText) mime->setText(QString::fromStdU16String(Data.Text));
  if (!Data.Image.isNull()) mime->setImageData(Data.Image);
  if (!Data.RTF.empty())
    mime->setData(QString::fromLatin1(CFRV_RTF.Mime), QByteArray(Data.RTF.data(), qsizetype(Data.RTF.size())));
  return mime;
}

} // namespace

// ------------------------------------------------------------ Qt events

void TCustomRichVista::mousePressEvent(QMouseEvent *Event) {
  TRVMouseButton b;
  if (!ButtonOf(Event->button(), b)) return;
  const QPoint p = Event->position().toPoint();
  FClickPending = b == rvmbLeft;
  try {
    MouseDown(b, ShiftOf(Event->modifiers(), Event->buttons()), p.x(), p.y());
  } catch (...) {
    LogCaughtException("mouse press");
  }
}

void TCustomRichVista::mouseMoveEvent(QMouseEvent *Event) {
  const QPoint p = Event->position().toPoint();
  try {
    MouseMove(ShiftOf(Event->modifiers(), Event->buttons()), p.x(), p.y());
  } catch (...) {
    LogCaughtException("mouse move");
  }
}

void TCustomRichVista::mouseReleaseEvent(QMouseEvent *Event) {
  TRVMouseButton b;
  if (!ButtonOf(Event->button(), b)) return;
  const QPoint p = Event->position().toPoint();
  const bool click = b == rvmbLeft && FClickPending && rect().contains(p);
  if (b == rvmbLeft) FClickPending = false;
  try {
    MouseUp(b, ShiftOf(Event->modifiers(), Event->buttons()), p.x(), p.y());
    if (click) Click();
  } catch (...) {
    LogCaughtException("mouse release");
  }
}

void TCustomRichVista::mouseDoubleClickEvent(QMouseEvent *Event) {
  TRVMouseButton b;
  if (!ButtonOf(Event->button(), b)) return;
  const QPoint p = Event->position().toPoint();
  try {
    // The double click comes first, then the press it was made of.
    if (b == rvmbLeft) DblClick(p.x(), p.y());
    MouseDown(b, ShiftOf(Event->modifiers(), Event->buttons()) | TRVShift::Double, p.x(), p.y());
  } catch (...) {
    LogCaughtException("double click");
  }
}

void TCustomRichVista::keyPressEvent(QKeyEvent *Event) {
  try {
    TRVScroller::keyPressEvent(Event);
    const Qt::KeyboardModifiers m = Event->modifiers();
    const bool alt = m & Qt::AltModifier, ctrl = m & Qt::ControlModifier, shift = m & Qt::ShiftModifier;
    const int key = Event->key();
    if (!alt && ctrl && (key == Qt::Key_C || key == Qt::Key_Insert)) {
      CopyDef();
      Event->accept();
      return;
    }
    const TRVTabNavigationType nav = RVData()->TabNavigation;
    if (nav != rvtnNone && (key == Qt::Key_Tab || key == Qt::Key_Backtab) && !alt &&
        ((ctrl && nav == rvtnCtrlTab) || (!ctrl && nav == rvtnTab))) {
      RVData()->State &= ~rvstIgnoreNextTab;
      RVData()->MoveItemFocus(shift || key == Qt::Key_Backtab, this);
      update();
      Event->accept();
      return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) RVData()->ActivateFocusedItem();
  } catch (...) {
    LogCaughtException("key");
  }
}

bool TCustomRichVista::focusNextPrevChild(bool Next) {
  // Qt offers Tab here before the key reaches keyPressEvent.
  if (RVData()->TabNavigation != rvtnTab || !hasFocus()) return TRVScroller::focusNextPrevChild(Next);
  RVData()->State &= ~rvstIgnoreNextTab;
  RVData()->MoveItemFocus(!Next, this);
  update();
  return true;
}

// ------------------------------------------------------- mouse handling

void TCustomRichVista::MouseDown(TRVMouseButton Button, TRVShiftState Shift, int X, int Y) {
  RVData()->State |= rvstIgnoreNextTab;
  if (!(Shift & TRVShift::Double)) FocusControl();
  RVData()->MouseDown(Button, Shift, X, Y);
  if (Button == rvmbLeft && !RVData()->MouseSel.DragStartPending) StartAutoScrollTimer(false);
}

void TCustomRichVista::MouseMove(TRVShiftState Shift, int X, int Y) {
  FVScrollDirection = AutoScrollDirection(Y, ClientHeight());
  FHScrollDirection = AutoScrollDirection(X, ClientWidth());
  RVData()->MouseMove(Shift, X, Y);
}

void TCustomRichVista::MouseUp(TRVMouseButton Button, TRVShiftState Shift, int X, int Y) {
  if (Button == rvmbLeft) StopAutoScrollTimer();
  RVData()->MouseUp(Button, Shift, X, Y);
  if (Button == rvmbRight && OnContextPopup) OnContextPopup(this, X, Y);
}

void TCustomRichVista::Click() {
  if (OnClick) OnClick(this);
}

void TCustomRichVista::DragDrop(QObject *Source, int X, int Y) {
  if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TCustomRichVista::EndDrag(QObject *Target, int X, int Y) {
  if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

void TCustomRichVista::DblClick(int X, int Y) {
  if (OnDblClick) OnDblClick(this);
  RVData()->DblClick(X, Y);
}

// ----------------------------------------------------------- auto-scroll

int TCustomRichVista::AutoScrollDirection(int Coord, int Size) {
  if (Coord < -20) return -10;
  if (Coord < 0) return -1;
  if (Coord <= Size) return 0;
  if (Coord <= Size + 20) return 1;
  return 10;
}

void TCustomRichVista::StartAutoScrollTimer(bool Slow) {
  if (FScrollTimer.active()) return;
  FScrollTimer.start(Slow ? 300 : 100, [this] { AutoScrollTick(); });
}

void TCustomRichVista::StopAutoScrollTimer() {
  FScrollTimer.stop();
  FVScrollDirection = FHScrollDirection = 0;
}

void TCustomRichVista::AutoScrollTick() {
  if (FVScrollDirection == 0 && FHScrollDirection == 0) return;
  if (FVScrollDirection != 0) SetVScrollPos(VScrollPos() + FVScrollDirection, true);
  if (FHScrollDirection != 0) SetHScrollPos(HScrollPos() + FHScrollDirection);
  RVData()->AutoScrollStep();
  GenerateMouseMove();
}

void TCustomRichVista::GenerateMouseMove() {
  const QPoint p = mapFromGlobal(cursorPosition());
  const TRVShiftState shift = ShiftOf(QGuiApplication::keyboardModifiers(), QGuiApplication::mouseButtons());
  // While a selection is dragged the pointer is usually outside the window
  // (that is why it scrolls): the selection follows it there too.
  const bool inside = p.x() >= 0 && p.x() < ClientWidth() && p.y() >= 0 && p.y() < ClientHeight();
  // So does a selection of cells in the item holding the mouse.
  const bool itemSelecting = RVData()->MouseItem >= 0 && (shift & TRVShift::Left);
  if (inside || RVData()->MouseSel.Selecting || itemSelecting) MouseMove(shift, p.x(), p.y());
}

// The scroller has moved the pixels already (or repainted, or left the
// repaint to the pass that scrolled without redrawing).
void TCustomRichVista::VScrolled() {
  TRVScroller::VScrolled();
  if (!FScrollTimer.active()) GenerateMouseMove();
  RVData()->CheckCheckpointVisibility(CPEventKind);
}

void TCustomRichVista::HScrolled() {
  TRVScroller::HScrolled();
  if (!FScrollTimer.active()) GenerateMouseMove();
}

// -------------------------------------------------------------- dragging

bool TCustomRichVista::PostDragStart() {
  if (!(Flags & rvflRoot) || Options.Has(rvoDisallowDrag)) return false;
  QCoreApplication::postEvent(this, new TRVDragStartEvent);
  return true;
}

void TCustomRichVista::StartDragSelection() {
  TRVMouseSelection &state = RVData()->MouseSel;
  state.DragStartPending = false;
  StopAutoScrollTimer();
  // A table's selected cells drag as a table of their own.
  if (!RVData()->HasCopyableSelection()) return;
  const bool cells = !RVData()->SelectionExists();
  state.Dragging = true;
  // Everything the drop target may ask for is made before the drag runs:
  // the drag keeps the event loop turning, and the view may be gone before
  // anybody asks.
  TCustomRVFormattedData::TRVCopyData data;
  RVData()->GetCopyData(data, TRVOptions{rvoAutoCopyRVF, rvoAutoCopyUnicodeText, rvoAutoCopyImage, rvoAutoCopyRTF},
                        RVData()->GetColor());
  const QPointer<TCustomRichVista> self(this);
  const QPointer<QDrag> drag(new QDrag(this));
  drag->setMimeData(MakeDragData(data));
  // A copy: the view, and its runner with it, may be freed while it runs.
  const std::function<Qt::DropAction(QDrag &)> runner = DragRunner;
  const Qt::DropActions actions = StartingDrag(*drag);
  const Qt::DropAction result =
      runner ? runner(*drag) : drag->exec(actions, actions & Qt::MoveAction ? Qt::MoveAction : Qt::CopyAction);
  if (!self) return; // the talk was closed while the drag ran
  QObject *target = drag ? drag->target() : nullptr;
  if (drag) drag->deleteLater();
  DragEnded(result);
  const QPoint end = mapFromGlobal(cursorPosition());
  EndDrag(result == Qt::IgnoreAction ? nullptr : target, end.x(), end.y());
  if (!self) return;
  TRVMouseSelection &after = RVData()->MouseSel;
  if (result == Qt::IgnoreAction && after.Dragging && cells) {
    // Nothing was dropped: the press was a click on the selected cells,
    // which lets them go.
    if (auto *t = dynamic_cast<TRVTableItemInfo *>(RVData()->GetPartialSelectedItem())) {
      t->Deselect();
      RVData()->ReleasePartialSelection(nullptr);
      update();
    }
  } else if (result == Qt::IgnoreAction && after.Dragging) {
    // Nothing was dropped: the press was a click inside the selection.
    const QPoint p = mapFromGlobal(cursorPosition());
    int line = -1, offs = -1;
    RVData()->HitTestDrawLine(p.x() + RVData()->GetHOffs(), p.y() + RVData()->GetVOffs(), false, line, offs);
    if (line >= 0) {
      RVData()->SelStartLine = RVData()->SelEndLine = line;
      RVData()->SelStartOffs = RVData()->SelEndOffs = offs;
      RVData()->AfterSelectionSet();
      RVData()->SelectionChanged();
    }
  }
  after.Dragging = false;
}

} // namespace kc
