// The table's side of its cell editor: opening it over a cell (the cell's
// items move into the editor's document), following it as its text grows
// or shrinks, and closing it (the items move back).
#include <algorithm>

#include "richtext/document/RVAdoptControls.h"
#include "richtext/tables/RVTable.h"

namespace kc {

namespace {

// A new cell's empty text item was made before any style sheet was known:
// its 8-bit or UTF-16 form is made that of its style before text is typed
// into it.
void MatchEmptyItemsToStyles(TCustomRVData &Doc) {
  const TRVStyle *st = Doc.GetRVStyle();
  if (!st) return;
  for (int i = 0; i < Doc.GetItemCount(); ++i) {
    TCustomRVItemInfo *item = Doc.GetItem(i);
    if (item->StyleNo < 0 || !Doc.GetItemTextRaw(i).empty()) continue;
    if (st->TextStyles().GetTextStyleSafe(Doc.GetActualStyle(item))->Unicode) item->ItemOptions.Include(rvioUnicode);
    else item->ItemOptions.Exclude(rvioUnicode);
  }
}

// The editors of tables inside the edited cell close before their cell's
// document goes back: each gives its text (and its history) to the document
// it lies in, and closes its own inner editors the same way first.
void CloseInnerEditors(TCustomRVData &Doc, bool Clearing) {
  for (int i = 0; i < Doc.GetItemCount(); ++i)
    if (auto *t = dynamic_cast<TRVTableItemInfo *>(Doc.GetItem(i)); t && t->GetCellEditor())
      t->CloseCellEditor(!Clearing);
}

} // namespace

TCustomRVFormattedData *TRVTableItemInfo::HoldingDocument() const {
  return dynamic_cast<TCustomRVFormattedData *>(FRows->MainRVData);
}

bool TRVTableItemInfo::EditCell(int Row, int Col) {
  if (auto *cell = dynamic_cast<TRVTableCellData *>(FRows->MainRVData)) {
    // Once the outer cell is edited, this table lies in that editor's
    // document.
    TRVTableItemInfo *outer = cell->GetTable();
    int r = -1, c = -1;
    if (!outer || !outer->GetCellPosition(cell, r, c)) throw ERichVistaError("Internal error");
    if (!outer->EditCell(r, c)) return false;
  }
  return OpenCellEditor(-1, Row, Col, rvceCaretAtStart);
}

bool TRVTableItemInfo::OpenCellEditor(int ItemNo, int Row, int Col, unsigned Flags) {
  TCustomRVFormattedData *doc = HoldingDocument();
  if (!doc || !(State & rvtsInserted) || !Options.Has(rvtoEditing)) return false;
  if (Row < 0 || Col < 0 || Row >= RowCount() || Col >= ColCount()) return false;
  int mr = 0, mc = 0;
  TRVTableCellData *cell = FRows->GetMainCell(Row, Col, mr, mc);
  if (!cell) return false;
  if (!(Flags & rvceNoEvent) && OnCellEditing) {
    bool allow = true;
    OnCellEditing(this, mr, mc, false, allow);
    if (!allow) return false;
  }
  if (ItemNo < 0) ItemNo = GetMyItemNo();
  if (ItemNo < 0) return false;
  CloseCellEditor(true);
  if (HasCellSelection()) Deselect();
  TRVCellEditor *editor = doc->CreateCellEditor(this, cell);
  if (!editor) return false;
  editor->Item = this;
  editor->Cell = cell;
  editor->Row = mr;
  editor->Col = mc;
  FCellEditor = editor;
  TCustomRVFormattedData &d = editor->Data();
  d.AssignItemsFrom(cell);
  MatchEmptyItemsToStyles(d);
  AdoptItemControls(d);
  cell->EditorData = &d;
  editor->Place(EditedCellRect());
  if (TCanvas *canvas = d.GetCanvas()) cell->EditorMinWidth = TRVTableCellData::ContentMinWidth(d, nullptr, *canvas);
  FEditorMinWidth = cell->EditorMinWidth;
  FEditorDocHeight = d.DocumentHeight;
  cell->DocumentHeight = d.DocumentHeight;
  if (d.GetItemCount() > 0) {
    if (Flags & rvceCaretAtEnd) {
      const int last = d.GetItemCount() - 1;
      d.SetSelectionBounds(last, d.GetItemEndOffset(last), last, d.GetItemEndOffset(last));
    } else {
      d.SetSelectionBounds(0, d.GetOffsBeforeItem(0), 0, d.GetOffsBeforeItem(0));
    }
  }
  editor->Opened(Flags);
  if (FCellEditor == editor) {
    FActiveRow = mr;
    FActiveCol = mc;
  }
  return true;
}

void TRVTableItemInfo::CloseCellEditor(bool Normal) {
  TRVCellEditor *editor = FCellEditor;
  if (!editor) return;
  // Forgotten first: whatever closing runs finds no editor to close again.
  FCellEditor = nullptr;
  if (!Normal) editor->Busy = true;
  FinishCellEditing(*editor, editor->Busy);
  editor->Release();
}

void TRVTableItemInfo::CellEditorDestroyed(TRVCellEditor *Editor) {
  if (!Editor || Editor != FCellEditor) return;
  FCellEditor = nullptr;
  FinishCellEditing(*Editor, Editor->Busy);
}

void TRVTableItemInfo::FinishCellEditing(TRVCellEditor &Editor, bool Clearing) {
  auto *cell = static_cast<TRVTableCellData *>(Editor.Cell);
  TCustomRVFormattedData *doc = HoldingDocument();
  // Asked only when it matters: a clearing close may come from a holding
  // document that is itself being destroyed.
  if (!Clearing && doc && !doc->HasHostWindow() && doc->GetCanvas() == nullptr) Clearing = true;
  CloseInnerEditors(Editor.Data(), Clearing);
  Editor.BeforeClose(Clearing);
  const int row = Editor.Row, col = Editor.Col;
  TCustomRVFormattedData &d = Editor.Data();
  cell->EditorData = nullptr;
  cell->AssignItemsFrom(&d);
  if (!Clearing) AdoptItemControls(*cell);
  cell->InvalidateMinWidth();
  FEditorMinWidth = FEditorDocHeight = -1;
  FActiveRow = FActiveCol = -1;
  if (!Clearing) {
    cell->ReformatAll(false, true, true, 0, nullptr, false, false);
    cell->FormattedWidth = cell->GetWidth();
    if (doc) doc->InvalidateRectInControl(TRect{0, 0, doc->GetWidth(), doc->GetHeight()});
  }
  if (OnCellEndEdit) OnCellEndEdit(this, row, col, Clearing);
}

void TRVTableItemInfo::SaveCellEditor() {
  if (!FCellEditor) return;
  // Closing it would end the drag that its own press began.
  if (FCellEditor->Selecting) throw ERVTableInplaceError("Cannot destroy cell inplace editor at this time");
  TRVSavedCellEditor saved;
  saved.Stored = true;
  saved.Row = FCellEditor->Row;
  saved.Col = FCellEditor->Col;
  FCellEditor->Data().GetSelectionBounds(saved.StartItem, saved.StartOffs, saved.EndItem, saved.EndOffs, false);
  CloseCellEditor(true);
  FSavedEditor = saved;
}

void TRVTableItemInfo::RestoreSelection(TCustomRVFormattedData &Doc, int StartItem, int StartOffs, int EndItem,
                                        int EndOffs) {
  // The cell may have changed since: a place it no longer has is dropped.
  auto valid = [&Doc](int ItemNo, int Offs) {
    return ItemNo >= 0 && ItemNo < Doc.GetItemCount() && Offs >= Doc.GetOffsBeforeItem(ItemNo) &&
           Offs <= Doc.GetItemEndOffset(ItemNo);
  };
  if (valid(StartItem, StartOffs) && valid(EndItem, EndOffs))
    Doc.SetSelectionBounds(StartItem, StartOffs, EndItem, EndOffs);
  Doc.InvalidateRectInControl(TRect{0, 0, Doc.GetWidth(), Doc.GetHeight()});
}

void TRVTableItemInfo::RestoreCellEditor() {
  if (!FSavedEditor.Stored) return;
  const TRVSavedCellEditor saved = FSavedEditor;
  FSavedEditor = TRVSavedCellEditor{};
  if (!OpenCellEditor(-1, saved.Row, saved.Col, rvceNoEvent | rvceCaretAtStart) || !FCellEditor) return;
  RestoreSelection(FCellEditor->Data(), saved.StartItem, saved.StartOffs, saved.EndItem, saved.EndOffs);
}

TRect TRVTableItemInfo::EditedCellRect() const {
  if (!FCellEditor) return TRect{};
  const auto *cell = static_cast<const TRVTableCellData *>(FCellEditor->Cell);
  const int x = -cell->GetHOffs(), y = -cell->GetVOffs();
  const int h = std::max(0, cell->GetHeight() - cell->GetVAlignOffset());
  return TRect{x, y, RVSatAdd(x, cell->GetWidth()), RVSatAdd(y, h)};
}

void TRVTableItemInfo::PlaceCellEditor() {
  if (!FCellEditor) return;
  FCellEditor->Place(EditedCellRect());
  // A new width may have wrapped the cell's text to another height.
  if (FCellEditor && FCellEditor->Data().DocumentHeight != FEditorDocHeight) CellEditorChanged();
}

void TRVTableItemInfo::CellEditorChanged() {
  if (!FCellEditor || (State & rvtsInnerFormatting)) return;
  auto *cell = static_cast<TRVTableCellData *>(FCellEditor->Cell);
  TCustomRVFormattedData &d = FCellEditor->Data();
  TCustomRVFormattedData *doc = HoldingDocument();
  TCanvas *canvas = d.GetCanvas();
  const int minWidth = canvas ? TRVTableCellData::ContentMinWidth(d, nullptr, *canvas) : FEditorMinWidth;
  const bool widthChanged = minWidth != FEditorMinWidth;
  // A keystroke that keeps the cell's height and minimum width leaves the
  // table as it is, however large it is.
  if (!widthChanged && d.DocumentHeight == FEditorDocHeight) return;
  const int itemNo = GetMyItemNo();
  if (!doc || itemNo < 0) return;
  // The paragraph's minimum, indents included, is what the document's width
  // is made of.
  int oldParaMin = 0;
  if (widthChanged && canvas) oldParaMin = doc->CalcParaMinWidth(itemNo, nullptr, *canvas);
  cell->EditorMinWidth = minWidth;
  FEditorMinWidth = minWidth;
  FEditorDocHeight = d.DocumentHeight;
  cell->DocumentHeight = d.DocumentHeight;
  bool full = false;
  if (widthChanged && canvas) {
    // The document's own width moves only when the paragraph's minimum
    // passes the width the document has, or was what made it so wide.
    const int newParaMin = doc->CalcParaMinWidth(itemNo, nullptr, *canvas);
    full = newParaMin != oldParaMin && (newParaMin > doc->DocumentWidth || oldParaMin >= doc->DocumentWidth);
  }
  // Laid out again from the widths the cells have: only a cell whose width
  // changes wraps again.
  FFormattingInfo->TableWidth = 0;
  {
    State |= rvtsInnerFormatting;
    struct Clear {
      uint16_t &S;
      ~Clear() { S &= ~rvtsInnerFormatting; }
    } clear{State};
    doc->ReformatItemKeepingCaret(itemNo, full);
  }
  // Placed at its cell's new width the editor may wrap to another height,
  // which the row must take too. Widths do not follow heights, so the second
  // placing settles it; the bound only guards against a layout that never
  // does.
  static thread_local int depth = 0;
  if (depth > 3) {
    if (FCellEditor) FCellEditor->Place(EditedCellRect());
    return;
  }
  ++depth;
  struct Leave {
    ~Leave() { --depth; }
  } leave;
  PlaceCellEditor();
}

bool TRVTableItemInfo::PressOpensEditor(TRVMouseButton Button, TRVShiftState Shift, int X, int Y, int ItemX,
                                        int ItemY) {
  if ((Button != rvmbLeft && Button != rvmbRight) || !(State & rvtsInserted) || !Options.Has(rvtoEditing)) return false;
  int row = 0, col = 0;
  if (!GetCellAt(ItemX, ItemY, row, col)) return false;
  // A right click keeps a selection of cells for its menu.
  if (Button == rvmbRight && (HasCellSelection() || Cells(row, col)->Selected || IsInsideSelection())) return false;
  const bool open = FCellEditor && FCellEditor->Row == row && FCellEditor->Col == col;
  if (!open) {
    unsigned flags = Button == rvmbLeft ? unsigned(rvceRememberClick) : 0u;
    if (Shift & TRVShift::Ctrl) flags |= rvceJumpMode;
    if (!OpenCellEditor(-1, row, col, flags)) return false;
  }
  if (!FCellEditor) return false;
  const TRect r = EditedCellRect();
  FCellEditor->MouseDown(Button, Shift, X - r.Left, Y - r.Top, false);
  FEditorPressed = FCellEditor != nullptr;
  return true;
}

TRVEditedCellView::TRVEditedCellView(const TRVTableItemInfo &Table) {
  const TRVCellEditor *e = Table.GetCellEditor();
  if (!e || !e->Cell || e->Cell->GetItemCount() != 0) return;
  FCell = e->Cell;
  FCell->Items.ShareFrom(const_cast<TRVCellEditor *>(e)->Data().Items);
}

TRVEditedCellView::~TRVEditedCellView() {
  if (FCell) FCell->Items.Unshare();
}

} // namespace kc
