// What the editor does with a table's cells as a whole: a border drag
// given up with Escape, the contents of selected cells deleted and styles
// applied to them.
#include "richtext/controls/RVERVData.h"
#include "richtext/tables/RVTable.h"

namespace kc {

namespace {

// The table of this document, or of a cell of one of its tables, whose
// border is being dragged.
TRVTableItemInfo *ResizingTable(TCustomRVFormattedData &D) {
  for (int i = 0; i < D.GetItemCount(); ++i) {
    auto *t = dynamic_cast<TRVTableItemInfo *>(D.GetItem(i));
    if (!t) continue;
    if (t->IsResizing()) return t;
    for (int r = 0; r < t->RowCount(); ++r)
      for (int c = 0; c < t->ColCount(); ++c)
        if (TRVTableCellData *cell = t->Cells(r, c))
          if (TRVTableItemInfo *inner = ResizingTable(*cell)) return inner;
  }
  return nullptr;
}

} // namespace

bool TRVEditRVData::CancelTableBorderDrag() {
  if (!DragLine.Shown) return false;
  TRVTableItemInfo *t = ResizingTable(*this);
  if (!t) return false;
  t->EndResize();
  HideDragLine();
  SetCursor(crDefault);
  return true;
}

bool TRVEditRVData::DeleteSelectedCells() {
  auto *t = dynamic_cast<TRVTableItemInfo *>(GetPartialSelectedItem());
  if (!t || !t->HasCellSelection()) return false;
  if (!t->CanDeleteSelectedCellsContents()) {
    Beep();
    return true;
  }
  t->DeleteSelectedCellsContents();
  return true;
}

bool TRVEditRVData::ApplyToSelectedCells(int Mode, int UserValue) {
  auto *t = dynamic_cast<TRVTableItemInfo *>(GetPartialSelectedItem());
  if (!t || !t->HasCellSelection()) return false;
  // The selection is the cells: the table's own paragraph stays as it is
  // even when the table takes no edits.
  t->ApplyToSelectedCells(Mode, UserValue);
  return true;
}

} // namespace kc
