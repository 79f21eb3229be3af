// The keyboard focus among the items of a table's cells, the active cell,
// and the table's answers about its nested documents: Tab walks the
// focusable items (links, embedded controls) cell by cell in reading
// order, and a control that takes the focus by itself moves it there.
#include "richtext/tables/RVTable.h"

namespace kc {

namespace {

// The cell's document as the holding document sees it: the editor's while
// the cell is edited.
TCustomRVFormattedData &CellDoc(TRVTableCellData &Cell) { return *Cell.GetEditingRVData(); }

// The cell drops its focus, and so does a table focused inside it.
void ClearCellFocus(TRVTableCellData &Cell) {
  TCustomRVFormattedData &doc = CellDoc(Cell);
  if (Cell.FocusedItemNo >= 0 && Cell.FocusedItemNo < doc.GetItemCount()) doc.GetItem(Cell.FocusedItemNo)->ClearFocus();
  Cell.FocusedItemNo = -1;
}

} // namespace

TRVTableCellData *TRVTableItemInfo::FocusedCell() {
  TRVTableCellData *cell = FFocusedRow >= 0 && FFocusedRow < RowCount() && FFocusedCol >= 0 && FFocusedCol < ColCount()
                               ? Cells(FFocusedRow, FFocusedCol)
                               : nullptr;
  if (!cell) FFocusedRow = FFocusedCol = -1;
  return cell;
}

bool TRVTableItemInfo::MoveFocus(bool GoForward, TCustomRVFormattedData *&Data, int &ItemNo) {
  if (FRows->IsEmpty()) return false;
  int row = FFocusedRow, col = FFocusedCol;
  if (!FocusedCell()) {
    // Entered afresh: from the first cell forward, the last backward.
    int mr = 0, mc = 0;
    TRVTableCellData *first =
        GoForward ? FRows->GetMainCell(0, 0, mr, mc) : FRows->GetMainCell(RowCount() - 1, ColCount() - 1, mr, mc);
    if (!first) return false;
    row = mr;
    col = mc;
    ClearCellFocus(*first);
  }
  for (;;) {
    if (TRVTableCellData *cell = Cells(row, col)) {
      const int found = CellDoc(*cell).FindFocusPlace(cell->FocusedItemNo, !GoForward, Data, ItemNo);
      if (found >= 0) {
        cell->FocusedItemNo = found;
        FFocusedRow = row;
        FFocusedCol = col;
        return true;
      }
      cell->FocusedItemNo = -1;
    }
    int nextRow = -1, nextCol = -1;
    if (!GetCellTo(row, col, true, nextCol, nextRow, GoForward ? rvcdNext : rvcdPrev)) break;
    row = nextRow;
    col = nextCol;
    if (TRVTableCellData *next = Cells(row, col)) ClearCellFocus(*next);
  }
  FFocusedRow = FFocusedCol = -1;
  Data = nullptr;
  ItemNo = -1;
  return false;
}

void TRVTableItemInfo::ClearFocus() {
  if (TRVTableCellData *cell = FocusedCell()) ClearCellFocus(*cell);
  FFocusedRow = FFocusedCol = -1;
}

bool TRVTableItemInfo::AdjustFocus(const TControl *Control, TCustomRVFormattedData *&Data, int &ItemNo) {
  if (!Control) return false;
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c) {
      TRVTableCellData *cell = FRows->Items(r)->Get(c);
      if (!cell) continue;
      TCustomRVFormattedData &doc = CellDoc(*cell);
      for (int i = 0; i < doc.GetItemCount(); ++i) {
        TCustomRVItemInfo *item = doc.GetItem(i);
        TCustomRVFormattedData *innerData = nullptr;
        int innerItem = -1;
        const bool nested = item->AdjustFocus(Control, innerData, innerItem);
        if (!nested && !item->OwnsControl(Control)) continue;
        SetFocusedCell(r, c);
        cell->FocusedItemNo = i;
        Data = nullptr;
        ItemNo = -1;
        if (nested) {
          Data = innerData;
          ItemNo = innerItem;
        } else if (item->GetStyleFlag(rvbsfAllowFocus, doc.GetRVStyle())) {
          Data = &doc;
          ItemNo = i;
        }
        return true;
      }
    }
  return false;
}

void TRVTableItemInfo::SetFocusedCell(int Row, int Col) {
  if (Row == FFocusedRow && Col == FFocusedCol) return;
  ClearFocus();
  if (Row < 0 || Col < 0 || Row >= RowCount() || Col >= ColCount() || !Cells(Row, Col)) return;
  FFocusedRow = Row;
  FFocusedCol = Col;
}

void TRVTableItemInfo::SetActiveCell(int Row, int Col) {
  if (Row < 0 || Col < 0 || Row >= RowCount() || Col >= ColCount()) return;
  int mr = 0, mc = 0;
  TRVTableCellData *cell = FRows->GetMainCell(Row, Col, mr, mc);
  if (!cell || (mr == FActiveRow && mc == FActiveCol)) return;
  // The cell's selection survives the switch of the document holding it.
  int startItem = -1, startOffs = 0, endItem = -1, endOffs = 0;
  CellDoc(*cell).GetSelectionBounds(startItem, startOffs, endItem, endOffs, false);
  if (HasCellSelection()) Deselect();
  FActiveRow = mr;
  FActiveCol = mc;
  if ((State & rvtsInserted) && (State & rvtsEditMode)) OpenCellEditor(-1, mr, mc, rvceNoEvent | rvceCaretAtStart);
  RestoreSelection(CellDoc(*cell), startItem, startOffs, endItem, endOffs);
}

void TRVTableItemInfo::SetSubRVData(int Location) {
  const int cols = ColCount();
  if (cols > 0 && Location >= 0) SetActiveCell(Location / cols, Location % cols);
}

void TRVTableItemInfo::ResetActiveCell() {
  if (FActiveRow >= 0 && FActiveRow < RowCount() && FActiveCol >= 0 && FActiveCol < ColCount())
    if (TRVTableCellData *cell = Cells(FActiveRow, FActiveCol); cell && HoldingDocument())
      CellDoc(*cell).ClearSelection(false);
  FActiveRow = FActiveCol = -1;
  CloseCellEditor(true);
}

bool TRVTableItemInfo::HasActiveCellSelection() const {
  if (FActiveRow < 0 || FActiveRow >= RowCount() || FActiveCol < 0 || FActiveCol >= ColCount()) return false;
  TRVTableCellData *cell = Cells(FActiveRow, FActiveCol);
  return cell && CellDoc(*cell).SelectionExists();
}

TCustomRVData *TRVTableItemInfo::GetSubRVDataAt(int X, int Y) {
  int row = -1, col = -1;
  if (!GetCellAt(X, Y, row, col)) return nullptr;
  TRVTableCellData *cell = Cells(row, col);
  return cell ? cell->GetEditorRVData() : nullptr;
}

bool TRVTableItemInfo::IsInsideSelection() const {
  TCustomRVFormattedData *doc = HoldingDocument();
  const int itemNo = GetMyItemNo();
  if (!doc || itemNo < 0 || !doc->SelectionExists()) return false;
  int startItem = -1, startOffs = 0, endItem = -1, endOffs = 0;
  doc->GetSelectionBounds(startItem, startOffs, endItem, endOffs, true);
  // Not at the selection's open ends: an end on the table leaves it out.
  const bool afterStart = startItem < itemNo || (startItem == itemNo && startOffs <= 0);
  const bool beforeEnd = endItem > itemNo || (endItem == itemNo && endOffs >= 1);
  return afterStart && beforeEnd;
}

int TRVTableItemInfo::GetRowTop(int Row) const {
  const TRVTableItemFormattingInfo &f = *FFormattingInfo;
  if (Row >= 0 && Row < f.RowStarts.Count()) return f.RowStarts[Row];
  return Row < 0 ? 0 : f.TableHeight;
}

int TRVTableItemInfo::GetAbsoluteItemNo() const {
  int itemNo = GetMyItemNo();
  // Each enclosing cell (and an editor's document, for its cell) names the
  // item holding it one level out; the depth bound guards a cycle.
  const TCustomRVData *doc = FRows->MainRVData;
  for (int depth = 0; doc && itemNo >= 0 && depth < 256; ++depth) {
    int parentItem = -1;
    void *location = nullptr;
    doc->GetParentInfo(parentItem, location);
    if (parentItem < 0) break;
    itemNo = parentItem;
    doc = doc->GetAbsoluteParentData();
  }
  return itemNo;
}

} // namespace kc
