// The cell editor: its document, the headless and the control form, what
// an editing document does about the cell editors of its tables, and the
// undo record that carries a cell's edits in the holding document.
#include "richtext/controls/RVTInplace.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <utility>

#include "platform/DesktopMetrics.h"
#include "platform/GuiTimer.h"
#include "platform/Log.h"

namespace kc {

namespace {

// The editor's cap on its own height; a taller cell scrolls inside it.
constexpr int kMaxEditorHeight = 10000;

// The caret left a cell editor, to be handled once its handlers are done.
class TRVCellGetOutEvent : public QEvent {
public:
  explicit TRVCellGetOutEvent(int Direction) : QEvent(EventType()), Direction(Direction) {}
  static QEvent::Type EventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  int Direction;
};

// The editor closes itself once the handler that decided so is done.
class TRVCellCloseSelfEvent : public QEvent {
public:
  TRVCellCloseSelfEvent() : QEvent(EventType()) {}
  static QEvent::Type EventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
};

TRVTableInplaceRVData *InplaceOf(TRVEditRVData *Data) { return dynamic_cast<TRVTableInplaceRVData *>(Data); }

// What the cell editor's document takes over from the one holding the
// table.
void Attach(TRVTableInplaceRVData &Data, TRVEditRVData &Parent, TCustomRVItemInfo *Table,
            TCustomRVFormattedData *Cell) {
  Data.ParentData = &Parent;
  Data.Table = static_cast<TRVTableItemInfo *>(Table);
  Data.Cell = static_cast<TRVTableCellData *>(Cell);
  Data.UndoList->Limit = Parent.UndoList->Limit == 0 ? 0 : -1;
  Data.RedoList->Limit = Data.UndoList->Limit;
  Data.ClearTagOnStyleApp = Parent.ClearTagOnStyleApp;
  Data.CurTextStyleNo = Parent.CurTextStyleNo;
  Data.CurParaStyleNo = Parent.CurParaStyleNo;
}

void CopyHostSettings(TRVFormatHost &Host, const TRVEditRVData &Parent) {
  Host.Style = Parent.GetRVStyle();
  Host.Options = Parent.GetOptions();
  Host.Options.Exclude(rvoClientTextWidth);
  Host.RVFOptions = Parent.GetRVFOptions();
  Host.RTFOptions = Parent.GetRTFOptions();
  Host.BiDiMode = Parent.GetBiDiMode();
  Host.Delimiters = Parent.GetDelimiters();
  Host.LeftMargin = Host.RightMargin = Host.TopMargin = Host.BottomMargin = 0;
  if (Parent.FormatHost()) Host.RTFReadProperties = Parent.FormatHost()->RTFReadProperties;
}

// Everything done while the editor was open becomes one step of the
// holding document's history. An editor with nothing to hand over leaves
// that history untouched: it may be closed while the holding document is
// performing a step.
void HandBackHistory(TRVTableInplaceRVData &Data, const TRVCellEditor &Editor, bool Clearing) {
  TRVEditRVData *parent = Data.ParentData;
  TRVTableItemInfo *table = Data.Table;
  Data.Table = nullptr;
  Data.Cell = nullptr;
  if (Clearing || !parent || !table) return;
  Data.UndoList->RemoveEmptyLastGroup();
  Data.RedoList->RemoveEmptyLastGroup();
  if (Data.UndoList->Count() == 0 && Data.RedoList->Count() == 0) return;
  const int itemNo = parent->GetItemNo(table);
  if (itemNo < 0) return;
  parent->FoldUndoFrom(Data, itemNo, [&Editor] {
    auto rec = std::make_unique<TRVUndoCellModify>();
    rec->Row = Editor.Row;
    rec->Col = Editor.Col;
    return rec;
  });
}

} // namespace

// ========================================================= the document

bool TRVTableInplaceRVData::IsReadOnly() const {
  return ParentData ? ParentData->IsReadOnly() : TRVEditControlData::IsReadOnly();
}

bool TRVTableInplaceRVData::CanChange() {
  if (Editor()) return TRVEditControlData::CanChange();
  return !ParentData || ParentData->CanChange();
}

TCustomRVData *TRVTableInplaceRVData::GetAbsoluteParentData() const { return Cell; }

TCustomRVData *TRVTableInplaceRVData::GetAbsoluteRootData() const {
  return Cell ? Cell->GetAbsoluteRootData() : TRVEditControlData::GetAbsoluteRootData();
}

void TRVTableInplaceRVData::GetParentInfo(int &ParentItemNo, void *&Location) const {
  if (Cell) Cell->GetParentInfo(ParentItemNo, Location);
  else TRVEditControlData::GetParentInfo(ParentItemNo, Location);
}

TRVBackground *TRVTableInplaceRVData::GetBackground() const {
  if (Cell && !SelectedLook)
    if (TRVBackground *b = Cell->GetBackground()) return b;
  return TRVEditControlData::GetBackground();
}

void TRVTableInplaceRVData::EditFinished(bool ClearRedo) {
  // A new edit here makes what the documents outside could redo stale.
  if (ClearRedo)
    for (TRVEditRVData *p = ParentData; p; p = InplaceOf(p) ? InplaceOf(p)->ParentData : nullptr) p->RedoList->Clear();
  if (Table) Table->CellEditorChanged();
}

// ============================================== the editor without control

class TRVHeadlessCellEditor::Host : public TRVFormatHost {
public:
  explicit Host(TRVEditRVData &Parent) : FParent(Parent) {
    CopyHostSettings(*this, Parent);
    Flags = Parent.GetFlags();
  }
  int ClientWidth() const override { return Width; }
  int ClientHeight() const override { return Height; }
  TCanvas *FormatCanvas() override { return FParent.GetCanvas(); }
  int Width = 0, Height = 0;

private:
  TRVEditRVData &FParent;
};

TRVHeadlessCellEditor::TRVHeadlessCellEditor(TRVEditRVData &Parent)
    : FHost(std::make_unique<Host>(Parent)), FData(std::make_unique<TRVTableInplaceRVData>(FHost.get(), nullptr)) {}

TRVHeadlessCellEditor::~TRVHeadlessCellEditor() {
  // The document goes before its host.
  FData.reset();
}

void TRVHeadlessCellEditor::Place(const TRect &Rect) {
  const int width = std::max(0, Rect.Right - Rect.Left);
  const bool wrap = width != FHost->Width || FData->DrawLines.Count() == 0;
  FHost->Width = width;
  FHost->Height = std::clamp(Rect.Bottom - Rect.Top, 0, kMaxEditorHeight);
  if (wrap && FData->GetRVStyle()) FData->ReformatAll(false, true, true, 0, nullptr, false, false);
}

void TRVHeadlessCellEditor::BeforeClose(bool Clearing) { HandBackHistory(*FData, *this, Clearing); }

void TRVHeadlessCellEditor::SetSelectedLook(bool On) {
  FSelectedLook = On;
  FData->SelectedLook = On;
}

// ========================================================= the control

TRVTableInplaceEdit::TRVTableInplaceEdit(TCustomRichVistaEdit &Holder, TRVEditRVData &Parent)
    : TRichVistaEdit(&Holder,
                     // Still a plain view while its base is made: the editor
                     // is named by this object, not by casting the view.
                     [this](TCustomRichVista *View) {
                       return std::make_unique<TRVTableInplaceRVData>(View, static_cast<TCustomRichVistaEdit *>(this));
                     }),
      FHolder(&Holder) {
  hide();
  CopyHostSettings(*this, Parent);
  Flags = Holder.Flags;
  SetVScrollVisible(false);
  SetHScrollVisible(false);
  WheelStep = 0;
  AssignEvents(Holder);
  EditorOptions = Holder.EditorOptions;
  EditorOptions.Include(rvoWantTabs);
  OnCaretGetOut = [this](TCustomRichVistaEdit *, TRVGetOutDirection Direction) { PostGetOut(Direction); };
  // A change in the cell is a change of the holder's document.
  OnChange = [this](TCustomRichVistaEdit *Sender) {
    FHolder->Modified = true;
    if (FHolder->OnChange) FHolder->OnChange(Sender);
  };
}

TRVTableInplaceEdit::~TRVTableInplaceEdit() {
  // Freed by someone other than its table (the holder going, another cell
  // made active): the table takes its items back first.
  if (FReleased) return;
  if (TRVTableItemInfo *t = InplaceData()->Table) {
    Busy = Busy || FHolder->Destroying();
    t->CellEditorDestroyed(this);
  }
}

void TRVTableInplaceEdit::Place(const TRect &Rect) {
  const int width = std::max(0, Rect.Right - Rect.Left);
  const int height = std::clamp(Rect.Bottom - Rect.Top, 0, kMaxEditorHeight);
  const bool wrap = width != this->width() || InplaceData()->DrawLines.Count() == 0;
  const bool newHeight = std::max(1, height) != this->height();
  resize(width, std::max(1, height));
  SetControlTrueTop(this, Rect.Top);
  move(Rect.Left, GetClampedControlTop(this));
  if (wrap && Style) InplaceData()->ReformatAll(false, true, true, 0, nullptr, false, false);
  else if (newHeight) UpdateScrollBars(HRange(), VRange(), false);
  // Scrolled to the caret while its row was still short, the text would
  // stay scrolled (by whole scroll steps) in a cell that now holds all of it.
  if (InplaceData()->DocumentHeight <= ClientHeight()) SetVScrollPos(0, false);
  update();
}

void TRVTableInplaceEdit::resizeEvent(QResizeEvent *Event) { TRVScroller::resizeEvent(Event); }

void TRVTableInplaceEdit::Opened(unsigned Flags) {
  TRVTableInplaceRVData *d = InplaceData();
  if (d->Cell) Color = d->Cell->GetEffectiveColor();
  if (Flags & TRVTableItemInfo::rvceRememberClick) LastClickTime = monotonicMs();
  // Links in a read-only editor's cells are followed as in a view.
  if (GetReadOnly()) d->EnterJumpMode(true);
  else if (Flags & TRVTableItemInfo::rvceJumpMode) d->EnterJumpMode(false);
  show();
  FHolder->SetActiveSubData(d->Cell, d->Table);
  // The holder loses the focus to its own cell: it stays in jump mode.
  TCustomRVData *root = d->GetAbsoluteRootData();
  if (root) root->State |= rvstMovingFocusToCell;
  FocusIfCanFocus();
  if (root) root->State &= ~rvstMovingFocusToCell;
  d->PlaceCaret(false, false, false, true);
}

void TRVTableInplaceEdit::BeforeClose(bool Clearing) {
  TRVTableInplaceRVData *d = InplaceData();
  TRVTableCellData *cell = d->Cell;
  HandBackHistory(*d, *this, Clearing);
  if (!FHolder->Destroying()) FHolder->ReleaseActiveSubData(cell);
}

void TRVTableInplaceEdit::Release() {
  FReleased = true;
  const bool focused = hasFocus();
  hide();
  if (focused && !Busy && !FHolder->Destroying()) FHolder->setFocus(Qt::OtherFocusReason);
  // It may be running one of its own handlers now.
  deleteLater();
}

void TRVTableInplaceEdit::MouseDown(int Button, uint8_t Shift, int X, int Y, bool DoubleClick) {
  if (DoubleClick) Shift |= TRVShift::Double;
  TCustomRichVista::MouseDown(static_cast<TRVMouseButton>(Button), Shift, X, Y);
}

void TRVTableInplaceEdit::MouseMove(uint8_t Shift, int X, int Y) {
  // A selection of cells begun here grows across the holder's cells.
  if (Selecting && (Shift & TRVShift::Left) && !FReleased) {
    const QPoint p = mapToParent(QPoint(X, Y));
    FHolder->ChildMouseMove(Shift, p.x(), p.y());
  }
  TCustomRichVista::MouseMove(Shift, X, Y);
}

void TRVTableInplaceEdit::MouseUp(int Button, uint8_t Shift, int X, int Y) {
  // The press went to the holder's table, which began the selection.
  TCustomRichVista::MouseUp(static_cast<TRVMouseButton>(Button), Shift, X, Y);
  if (Button == rvmbLeft) EndCellSelecting();
}

void TRVTableInplaceEdit::MouseDown(TRVMouseButton Button, TRVShiftState Shift, int X, int Y) {
  TRichVistaEdit::MouseDown(Button, Shift, X, Y);
  TRVTableInplaceRVData *d = InplaceData();
  TRVTableItemInfo *t = FReleased ? nullptr : d->Table;
  if (Button != rvmbLeft || !t || !d->ParentData || (Shift & TRVShift::Double)) return;
  // A press that may drag the text selected here selects no cells.
  auto *root = dynamic_cast<TCustomRVFormattedData *>(d->GetAbsoluteRootData());
  if (d->MouseSel.DragStartPending || (root && (root->MouseSel.DragStartPending || root->MouseSel.Dragging))) return;
  if (!t->StartSelecting(Row, Col)) return;
  // The holder's table follows the pointer even outside it.
  d->ParentData->MouseItem = d->ParentData->GetItemNo(t);
  FHolder->StartAutoScrollTimer(false);
  Selecting = true;
}

void TRVTableInplaceEdit::MouseUp(TRVMouseButton Button, TRVShiftState Shift, int X, int Y) {
  TRichVistaEdit::MouseUp(Button, Shift, X, Y);
  if (Button != rvmbLeft || !Selecting) return;
  Selecting = false;
  FHolder->StopAutoScrollTimer();
  TRVTableInplaceRVData *d = InplaceData();
  if (!FReleased && d->Table && d->Table->MouseSelecting && d->ParentData) {
    // The holder's table ends its selection. The release itself was this
    // editor's, and is told to the outermost control once, from here.
    d->ParentData->MouseItem = -1;
    d->Table->MouseUp(Button, Shift, X, Y);
  }
  EndCellSelecting();
}

void TRVTableInplaceEdit::EndCellSelecting() {
  if (FReleased) return;
  if (SelectedLook()) QCoreApplication::postEvent(this, new TRVCellCloseSelfEvent);
  else SetSelectedLook(false);
}

void TRVTableInplaceEdit::CellChanged() {
  TRVTableInplaceRVData *d = InplaceData();
  if (!d->Cell) return;
  // In the selected look the cell's colour comes back when it ends.
  if (SelectedLook()) SavedColor = d->Cell->GetEffectiveColor();
  else Color = d->Cell->GetEffectiveColor();
  update();
}

void TRVTableInplaceEdit::SetSelectedLook(bool On) {
  if (On == FSelectedLook) return;
  FSelectedLook = On;
  TRVTableInplaceRVData *d = InplaceData();
  d->SelectedLook = On;
  if (On) {
    SavedColor = Color;
    if (Style) Color = Style->SelColor;
  } else {
    Color = SavedColor;
  }
  d->PlaceCaret(false, false, false, true);
  update();
}

// ------------------------------------------- events of the root control

TCustomRichVistaEdit *TRVTableInplaceEdit::RootControl() const {
  TCustomRichVistaEdit *r = FHolder;
  while (auto *e = dynamic_cast<TRVTableInplaceEdit *>(r)) r = e->FHolder;
  return r;
}

QPoint TRVTableInplaceEdit::ToRoot(int X, int Y) const { return mapTo(RootControl(), QPoint(X, Y)); }

void TRVTableInplaceEdit::PostMouseUpDown(uint8_t Kind, TRVMouseButton Button, TRVShiftState Shift, int X, int Y) {
  TRVTableInplaceRVData *d = InplaceData();
  if (!d->Table || !d->ParentData) return;
  auto rec = std::make_unique<TRVMouseUpDownMessageData>();
  rec->Kind = Kind;
  const QPoint p = ToRoot(X, Y);
  rec->X = p.x();
  rec->Y = p.y();
  rec->ItemNo = d->ParentData->GetItemNo(d->Table);
  rec->Shift = Shift;
  rec->Button = Button;
  PostDeferredEvent(RootControl(), std::move(rec));
}

bool TRVTableInplaceEdit::HasRVMouseDownHandler() const { return RootControl()->HasRVMouseDownHandler(); }

void TRVTableInplaceEdit::DoRVMouseDown(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y) {
  (void)ItemNo;
  PostMouseUpDown(3, Button, Shift, X, Y);
}

bool TRVTableInplaceEdit::HasRVMouseUpHandler() const { return RootControl()->HasRVMouseUpHandler(); }

void TRVTableInplaceEdit::DoRVMouseUp(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y) {
  (void)ItemNo;
  PostMouseUpDown(2, Button, Shift, X, Y);
}

void TRVTableInplaceEdit::Click() {
  auto rec = std::make_unique<TRVClickMessageData>();
  rec->Kind = 4;
  PostDeferredEvent(RootControl(), std::move(rec));
}

void TRVTableInplaceEdit::PostDragEvent(uint8_t Kind, QObject *Obj, int X, int Y) {
  auto rec = std::make_unique<TRVDNDMessageData>();
  rec->Kind = Kind;
  const QPoint p = ToRoot(X, Y);
  rec->X = p.x();
  rec->Y = p.y();
  rec->Obj = Obj;
  PostDeferredEvent(RootControl(), std::move(rec));
}

void TRVTableInplaceEdit::DragDrop(QObject *Source, int X, int Y) { PostDragEvent(7, Source, X, Y); }

void TRVTableInplaceEdit::EndDrag(QObject *Target, int X, int Y) { PostDragEvent(8, Target, X, Y); }

void TRVTableInplaceEdit::mousePressEvent(QMouseEvent *Event) {
  // The click that opened the editor went to the holder: a second one soon
  // after is the double click it would have been there.
  if (Event->button() == Qt::LeftButton && LastClickTime != 0) {
    const bool dbl = monotonicMs() - LastClickTime <= doubleClickTime();
    LastClickTime = 0;
    if (dbl) {
      mouseDoubleClickEvent(Event);
      return;
    }
  }
  TRichVistaEdit::mousePressEvent(Event);
}

TCanvas *TRVTableInplaceEdit::FormatCanvas() { return FHolder->FormatCanvas(); }

void TRVTableInplaceEdit::SetReadOnly(bool Value) { FHolder->SetReadOnly(Value); }
bool TRVTableInplaceEdit::GetReadOnly() const { return FHolder->GetReadOnly(); }

bool TRVTableInplaceEdit::CanChange(bool Forced) {
  if (!FHolder->CanChange(Forced)) return false;
  EditData()->EnsureNotEmpty();
  return true;
}

bool TRVTableInplaceEdit::UndoOutside(bool Redo) {
  if (Redo) FHolder->Redo();
  else FHolder->Undo();
  return true;
}

void TRVTableInplaceEdit::KeyDown(int &Key, Qt::KeyboardModifiers Shift) {
  // Tab moves to the next cell (Shift+Tab the previous one); Ctrl+Tab types.
  constexpr int kTab = 0x09;
  if (Key == kTab && !(Shift & Qt::ControlModifier)) {
    PostGetOut(Shift & Qt::ShiftModifier ? TRVTableItemInfo::rvcdPrev : TRVTableItemInfo::rvcdNext);
    Key = 0;
    return;
  }
  TRichVistaEdit::KeyDown(Key, Shift);
}

void TRVTableInplaceEdit::PostGetOut(int Direction) {
  QCoreApplication::postEvent(this, new TRVCellGetOutEvent(Direction));
}

bool TRVTableInplaceEdit::event(QEvent *Event) {
  if (Event->type() == TRVCellGetOutEvent::EventType()) {
    try {
      if (TRVTableItemInfo *t = FReleased ? nullptr : InplaceData()->Table)
        t->CellEditorCaretGetOut(static_cast<TRVCellGetOutEvent *>(Event)->Direction);
    } catch (...) {
      LogCaughtException("cell navigation");
    }
    return true;
  }
  if (Event->type() == TRVCellCloseSelfEvent::EventType()) {
    try {
      if (TRVTableItemInfo *t = FReleased ? nullptr : InplaceData()->Table) {
        TCustomRichVistaEdit *holder = FHolder;
        t->CloseCellEditor(true);
        if (holder->isVisible()) holder->setFocus(Qt::OtherFocusReason);
      }
    } catch (...) {
      LogCaughtException("closing a cell editor");
    }
    return true;
  }
  // Released, it only waits to be deleted, maybe by a holder that is
  // already half gone: focus, keys and painting are nobody's business now.
  if (FReleased) return QObject::event(Event);
  return TRichVistaEdit::event(Event);
}

// ====================================== cell editors of an editing document

TRVCellEditor *TRVEditRVData::CreateCellEditor(TCustomRVItemInfo *Table, TCustomRVFormattedData *Cell) {
  CellEditorOpening(Table);
  auto *e = new TRVHeadlessCellEditor(*this);
  Attach(static_cast<TRVTableInplaceRVData &>(e->Data()), *this, Table, Cell);
  return e;
}

TRVCellEditor *TRVEditControlData::CreateCellEditor(TCustomRVItemInfo *Table, TCustomRVFormattedData *Cell) {
  if (!Editor()) return TRVEditRVData::CreateCellEditor(Table, Cell);
  CellEditorOpening(Table);
  auto *e = new TRVTableInplaceEdit(*Editor(), *this);
  Attach(*e->InplaceData(), *this, Table, Cell);
  return e;
}

void TRVEditRVData::CellEditorOpening(TCustomRVItemInfo *Table) {
  int itemNo = -1;
  if (TRVTableItemInfo *open = GetEditedTable(itemNo); open && open != Table) open->CloseCellEditor(true);
  FCellEditorTable = Table;
}

void TRVEditRVData::MouseDown(TRVMouseButton Button, TRVShiftState Shift, int X, int Y) {
  int itemNo = -1;
  if (TRVTableItemInfo *t = GetEditedTable(itemNo)) {
    const int line = FindDrawLineAtPoint(RVSatAdd(X, GetHOffs()), RVSatAdd(Y, GetVOffs()));
    if (line < 0 || line >= DrawLines.Count() || DrawLines.Items(line)->ItemNo != itemNo) t->CloseCellEditor(true);
  }
  TRVControlData::MouseDown(Button, Shift, X, Y);
}

void TRVEditRVData::CloseCellEditorForUndo() {
  FoldNestedUndo();
  int itemNo = -1;
  if (TRVTableItemInfo *t = GetEditedTable(itemNo)) t->CloseCellEditor(true);
}

TRVTableItemInfo *TRVEditRVData::GetEditedTable(int &ItemNo) const {
  ItemNo = -1;
  if (!FCellEditorTable) return nullptr;
  const int i = Items.IndexOfObject(FCellEditorTable);
  auto *t = i >= 0 ? dynamic_cast<TRVTableItemInfo *>(GetItem(i)) : nullptr;
  if (!t || !t->GetCellEditor()) return nullptr;
  ItemNo = i;
  return t;
}

TRVEditRVData *TRVEditRVData::GetNestedEditData(int &ItemNo) const {
  TRVTableItemInfo *t = GetEditedTable(ItemNo);
  return t ? dynamic_cast<TRVEditRVData *>(&t->GetCellEditor()->Data()) : nullptr;
}

void TRVEditRVData::AfterFormat(int FirstItem, int LastItem, bool Partial) {
  TRVControlData::AfterFormat(FirstItem, LastItem, Partial);
  int itemNo = -1;
  TRVTableItemInfo *t = GetEditedTable(itemNo);
  if (!t) return;
  // Called where a failure cannot be passed on (the end of a pass).
  try {
    t->PlaceCellEditor();
  } catch (...) {
    LogCaughtException("placing the cell editor");
  }
}

std::unique_ptr<TRVCompositeUndo> TRVEditRVData::MakeNestedUndoRecord(TRVEditRVData &Nested, int ItemNo) const {
  auto *t = ItemNo >= 0 && ItemNo < GetItemCount() ? dynamic_cast<TRVTableItemInfo *>(GetItem(ItemNo)) : nullptr;
  const TRVCellEditor *e = t ? t->GetCellEditor() : nullptr;
  if (!e || &const_cast<TRVCellEditor *>(e)->Data() != &Nested) return std::make_unique<TRVCompositeUndo>();
  auto rec = std::make_unique<TRVUndoCellModify>();
  rec->Row = e->Row;
  rec->Col = e->Col;
  return rec;
}

// ===================================================== the undo record

void TRVUndoCellModify::Undo(TRVEditRVData &Data) {
  // A record that finds no table where it was made changes nothing.
  auto *t =
      ItemNo >= 0 && ItemNo < Data.GetItemCount() ? dynamic_cast<TRVTableItemInfo *>(Data.GetItem(ItemNo)) : nullptr;
  if (!t || !UndoList || UndoList->Count() == 0) return;
  TRVCellEditor *e = t->GetCellEditor();
  if (!e || e->Row != Row || e->Col != Col) {
    if (!t->OpenCellEditor(ItemNo, Row, Col, TRVTableItemInfo::rvceCaretAtStart)) return;
    e = t->GetCellEditor();
  }
  auto *nested = e ? dynamic_cast<TRVEditRVData *>(&e->Data()) : nullptr;
  if (!nested) return;
  // The cell's items are the ones the history was made on, now held by
  // this editor's document.
  UndoList->SetOwner(nested);
  TRVCompositeUndo::Undo(Data);
  t->CellEditorChanged();
}

std::unique_ptr<TRVCompositeUndo> TRVUndoCellModify::MakeReverse() const {
  auto rec = std::make_unique<TRVUndoCellModify>();
  rec->Row = Row;
  rec->Col = Col;
  return rec;
}

} // namespace kc
