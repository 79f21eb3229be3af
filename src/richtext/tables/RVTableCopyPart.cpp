// The selected cells of a table copied out as a table of their own, which
// is what a copy or a drag of a cell selection carries.
#include "richtext/tables/RVTable.h"

namespace kc {

std::unique_ptr<TCustomRVItemInfo> TRVTableItemInfo::CopySelectedPart(TCustomRVData *RVData) {
  int top = 0, left = 0, rows = 0, cols = 0;
  if (!HasCellSelection() || !GetNormalizedSelectionBounds(top, left, rows, cols)) return nullptr;
  std::unique_ptr<TCustomRVItemInfo> item = NewInstance(RVData);
  auto *copy = dynamic_cast<TRVTableItemInfo *>(item.get());
  if (!copy) return nullptr;
  copy->AssignProperties(*this);
  copy->ParaNo = ParaNo;
  // The rows and columns around the rectangle go, the far ones first so
  // that the near ones keep their numbers; cells merged across the edge
  // are cut there.
  TRVTableRows &g = copy->Rows();
  const int allRows = copy->RowCount(), allCols = copy->ColCount();
  if (top + rows < allRows) g.DeleteRows(top + rows, allRows - top - rows, false, nullptr);
  if (top > 0) g.DeleteRows(0, top, false, nullptr);
  if (left + cols < allCols) g.DeleteCols(left + cols, allCols - left - cols, false, nullptr);
  if (left > 0) g.DeleteCols(0, left, false, nullptr);
  copy->State &= ~rvtsSelExists;
  copy->SelAnchorRow = copy->SelAnchorCol = -1;
  copy->SelRowOffs = copy->SelColOffs = 0;
  for (int r = 0; r < copy->RowCount(); ++r)
    for (int c = 0; c < copy->ColCount(); ++c)
      if (TRVTableCellData *cell = copy->Cells(r, c)) cell->Selected = false;
  copy->AfterGridChange();
  return item;
}

} // namespace kc
