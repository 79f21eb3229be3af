// The caret between the cells of a table and in and out of it: caret keys
// and Tab leave the edited cell for its neighbour, and the holding
// document's caret keys enter the table.
#include "richtext/tables/RVTable.h"

namespace kc {

void TRVTableItemInfo::CellEditorCaretGetOut(int Direction) {
  TCustomRVFormattedData *doc = HoldingDocument();
  if (!FCellEditor || !doc) return;
  const int itemNo = GetMyItemNo();
  const int row = FCellEditor->Row, col = FCellEditor->Col;
  auto caretTo = [&](int ItemNo, int Offs) {
    CloseCellEditor(true);
    if (ItemNo >= 0 && ItemNo < doc->GetItemCount()) doc->SetSelectionBounds(ItemNo, Offs, ItemNo, Offs);
  };
  if (Direction == rvdTop) {
    if (doc->GetItemCount() > 0) caretTo(0, doc->GetOffsBeforeItem(0));
    return;
  }
  if (Direction == rvdBottom) {
    const int last = doc->GetItemCount() - 1;
    if (last >= 0) caretTo(last, doc->GetItemEndOffset(last));
    return;
  }
  int newRow = -1, newCol = -1;
  if (GetCellTo(row, col, false, newCol, newRow, Direction)) {
    const bool atEnd = Direction == rvcdLeft || Direction == rvcdUp || Direction == rvcdPrev;
    OpenCellEditor(itemNo, newRow, newCol, atEnd ? rvceCaretAtEnd : rvceCaretAtStart);
    return;
  }
  const TRVTableCellData *cell = Cells(row, col);
  if ((Direction == rvcdLeft && col == 0) || (Direction == rvcdUp && row == 0)) {
    caretTo(itemNo, 0);
  } else if (cell && ((Direction == rvcdRight && col + cell->ColSpan >= ColCount()) ||
                      (Direction == rvcdDown && row + cell->RowSpan >= RowCount()))) {
    caretTo(itemNo, 1);
  }
  // Tab in the last cell and Shift+Tab in the first do nothing.
}

bool TRVTableItemInfo::EnterTable(int Mode, int X) {
  if (FRows->IsEmpty() || !Options.Has(rvtoEditing)) return false;
  const int rows = RowCount(), cols = ColCount();
  switch (Mode) {
  case 0: return OpenCellEditor(-1, 0, 0, rvceCaretAtStart);
  case 1: return OpenCellEditor(-1, rows - 1, cols - 1, rvceCaretAtEnd);
  case 2:
  case 3: {
    const int col = GetColAt(X);
    if (col < 0) return false;
    return Mode == 2 ? OpenCellEditor(-1, 0, col, rvceCaretAtStart) : OpenCellEditor(-1, rows - 1, col, rvceCaretAtEnd);
  }
  default: return false;
  }
}

bool TRVTableItemInfo::TakeCaret(TCustomRVData *RVData, int ItemNo, TRVGetOutDirection Direction) {
  (void)RVData, (void)ItemNo;
  switch (Direction) {
  case rvdLeft:
  case rvdUp: return EnterTable(1, 0);
  case rvdRight:
  case rvdDown: return EnterTable(0, 0);
  default: return false;
  }
}

bool TRVTableItemInfo::TakeCaretAt(TCustomRVData *RVData, int ItemNo, TRVGetOutDirection Direction, int X) {
  if (Direction != rvdUp && Direction != rvdDown) return TakeCaret(RVData, ItemNo, Direction);
  // X is the caret's place in the holding document; the table's own left
  // edge is where its draw line starts.
  int left = DocLeft;
  if (auto *doc = dynamic_cast<TCustomRVFormattedData *>(RVData)) {
    const int line = doc->FirstDrawLineOf(this);
    if (line >= 0 && line < doc->DrawLines.Count()) left = doc->DrawLines.Items(line)->Left;
  }
  // Moving up the caret comes from below the table: the last row.
  return EnterTable(Direction == rvdUp ? 3 : 2, X - left) || TakeCaret(RVData, ItemNo, Direction);
}

} // namespace kc
