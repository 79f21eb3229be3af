// Dragging the lines between columns and rows: where the line may go,
// the line the document draws while it moves, and the cell sizes the
// place it is released at gives.
#include <algorithm>

#include "richtext/tables/RVTable.h"

namespace kc {

namespace {

// What lies between the end of a column's content (padding included) and
// the line of the border after it: half the spacing and a cell border
// inside the table, half the outer frame after the last column. The
// percent rule measures without the rounding of the half.
int64_t ColTail(const TRVTableItemInfo &T, bool Last, bool Percent) {
  if (Last) return (int64_t(T.BorderWidth) + T.BorderHSpacing + T.CellBorderWidth + (Percent ? 0 : 1)) / 2;
  return int64_t(T.CellBorderWidth) + T.CellHSpacing / 2;
}

int64_t RowTail(const TRVTableItemInfo &T, bool Last) {
  if (Last) return (int64_t(T.BorderWidth) + T.BorderVSpacing + T.CellBorderWidth + 1) / 2;
  return T.CellVSpacing / 2 + int64_t(T.CellBorderWidth);
}

int Clamp32(int64_t V) { return int(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX)); }

// Where the line of border Border (1 to the count of columns or rows) is
// drawn: the middle of the gap between two cells, or of the outer frame.
int64_t BorderLine(const TRVTableItemInfo &T, bool Column, int Border) {
  const TRVTableItemFormattingInfo &f = T.FormattingInfo();
  const TRVIntegerList &starts = Column ? f.ColStarts : f.RowStarts;
  const int64_t edge = Column ? int64_t(T.BorderWidth) + T.BorderHSpacing + T.CellBorderWidth
                              : int64_t(T.BorderWidth) + T.BorderVSpacing + T.CellBorderWidth;
  const int64_t inner =
      Column ? 2 * int64_t(T.CellBorderWidth) + T.CellHSpacing : 2 * int64_t(T.CellBorderWidth) + T.CellVSpacing;
  if (Border >= starts.Count()) return (Column ? f.TableWidth : f.TableHeight) - edge / 2;
  return starts[Border] - (inner + 1) / 2;
}

} // namespace

bool TRVTableItemInfo::StartResize(bool Column, int Border, int PointerPos, bool Shift) {
  const TRVTableItemFormattingInfo &f = FormattingInfo();
  const TRVIntegerList &starts = Column ? f.ColStarts : f.RowStarts;
  const TRVIntegerList &sizes = Column ? f.ColWidths : f.RowHeights;
  const int n = Column ? ColCount() : RowCount();
  if (Border < 1 || Border > n || starts.Count() != n || sizes.Count() != n) return false;
  const bool last = Border == n;
  const int64_t line = BorderLine(*this, Column, Border);
  FResizeBorder = Border;
  FResizeStart = starts[Border - 1];
  FResizeLine = Clamp32(line);
  FResizeGrab = Clamp32(int64_t(PointerPos) - line);
  // A column keeps at least a pixel of content, a row none; without Shift
  // the column right of the border gives what this one takes and keeps a
  // pixel of its own.
  const int64_t tail = Column ? ColTail(*this, last, false) : RowTail(*this, last);
  FResizeMin =
      Clamp32(std::min<int64_t>(line, int64_t(FResizeStart) + 2 * int64_t(CellPadding) + tail + (Column ? 1 : 0)));
  FResizeMax = -1;
  if (Column && !Shift && !last && !Rows().IsPercentCol(Border))
    FResizeMax = Clamp32(std::max<int64_t>(line, line + sizes[Border] - 1));
  State &= ~(rvtsResizingColumn | rvtsResizingShift);
  if (Column) State |= rvtsResizingColumn;
  if (Shift) State |= rvtsResizingShift;
  ShowResizeLine(true);
  return true;
}

void TRVTableItemInfo::DragResizeTo(int PointerPos) {
  if (!IsResizing()) return;
  int64_t line = int64_t(PointerPos) - FResizeGrab;
  if (FResizeMax >= 0) line = std::min<int64_t>(line, FResizeMax);
  line = std::max<int64_t>(line, FResizeMin);
  if (line == FResizeLine) return;
  FResizeLine = Clamp32(line);
  ShowResizeLine(true);
}

void TRVTableItemInfo::EndResize() {
  if (!IsResizing()) return;
  ShowResizeLine(false);
  FResizeBorder = -1;
  FResizeMin = FResizeMax = -1;
  State &= ~(rvtsResizingColumn | rvtsResizingShift);
}

void TRVTableItemInfo::ShowResizeLine(bool Show) const {
  TCustomRVData *main = Rows().MainRVData;
  auto *root = main ? dynamic_cast<TCustomRVFormattedData *>(main->GetRootData()) : nullptr;
  if (!root) return;
  if (!Show) {
    root->HideDragLine();
    return;
  }
  const bool column = (State & rvtsResizingColumn) != 0;
  const int64_t origin = column ? FResizeOrigin.x : FResizeOrigin.y;
  root->ShowDragLine(column, Clamp32(origin + FResizeLine));
}

bool TRVTableItemInfo::GetResizeChanges(std::vector<TRVCellSizeChange> &Changes) const {
  Changes.clear();
  if (!IsResizing()) return false;
  const TRVTableItemFormattingInfo &f = FormattingInfo();
  const TRVTableRows &g = Rows();
  const int rows = RowCount(), cols = ColCount();
  const bool column = (State & rvtsResizingColumn) != 0;
  // A line released where it was drawn changes nothing: a click on it
  // does not fix the sizes its cells had from their text.
  if (FResizeLine == BorderLine(*this, column, FResizeBorder)) return true;
  const int index = FResizeBorder - 1;
  const int64_t dragged = int64_t(FResizeLine) - FResizeStart;
  auto add = [&](int r, int c, bool height, int64_t value) {
    const TRVTableCellData *cell = Cells(r, c);
    const int v = Clamp32(value);
    if (cell && (height ? cell->BestHeight : cell->BestWidth) != v) Changes.push_back({r, c, height, v});
  };
  // Every cell of its own in the line (column or row) takes Value; a
  // merged cell ending in it follows only when no such cell took it
  // (Merged gives its new value from its position and old value).
  auto apply = [&](int Line, bool Height, int64_t Value, const std::function<int64_t(int, int, int64_t)> &Merged) {
    bool single = false;
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        const TRVTableCellData *cell = Cells(r, c);
        if (!cell || (Height ? r : c) != Line || (Height ? cell->RowSpan : cell->ColSpan) != 1) continue;
        add(r, c, Height, Value);
        single = true;
      }
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        const TRVTableCellData *cell = Cells(r, c);
        if (!cell) continue;
        const int span = Height ? cell->RowSpan : cell->ColSpan;
        if (span <= 1 || (Height ? r : c) + span - 1 != Line) continue;
        add(r, c, Height, single ? 0 : Merged(r, c, Height ? cell->BestHeight : cell->BestWidth));
      }
  };
  if (!column) {
    if (f.RowHeights.Count() != rows) return false;
    const int64_t h = std::max<int64_t>(0, dragged - 2 * int64_t(CellPadding) - RowTail(*this, index == rows - 1));
    const int64_t change = h - f.RowHeights[index];
    apply(index, true, h, [&](int, int, int64_t Old) { return Old > 0 ? std::max<int64_t>(0, Old + change) : Old; });
    return true;
  }
  if (f.ColWidths.Count() != cols || f.ColStarts.Count() != cols) return false;
  const bool last = index == cols - 1;
  if (g.IsPercentCol(index)) {
    // Percentages are of the width the columns share; a table with none
    // left for them has no percentage to give.
    const int64_t room =
        int64_t(f.TableWidth) - ((int64_t(cols) - 1) * CellHSpacing + 2 * (int64_t(BorderWidth) + BorderHSpacing) +
                                 int64_t(cols) * 2 * CellBorderWidth);
    if (room <= 0) return false;
    const int64_t tail = ColTail(*this, last, true);
    auto percent = [&](int64_t Width) { return std::min<int64_t>(-(Width * 100) / room, -1); };
    apply(index, false, percent(dragged - tail),
          [&](int, int c, int64_t) { return percent(int64_t(FResizeLine) - f.ColStarts[c] - tail); });
    return true;
  }
  const int64_t w = std::max<int64_t>(1, dragged - 2 * int64_t(CellPadding) - ColTail(*this, last, false));
  auto columnWidth = [&](int Col, int64_t Width) {
    const int64_t change = Width - f.ColWidths[Col];
    apply(Col, false, Width, [&](int, int, int64_t Old) { return Old > 0 ? std::max<int64_t>(1, Old + change) : Old; });
  };
  columnWidth(index, w);
  if (!(State & rvtsResizingShift) && !last && !g.IsPercentCol(index + 1))
    columnWidth(index + 1, std::max<int64_t>(1, int64_t(f.ColWidths[index + 1]) - (w - f.ColWidths[index])));
  return true;
}

bool TRVTableItemInfo::ApplyResizeChanges(const std::vector<TRVCellSizeChange> &Changes) {
  // A release where the press was changes nothing and leaves no step.
  if (Changes.empty() || !CanChange()) return false;
  BeginTableUndoGroup();
  for (const TRVCellSizeChange &c : Changes) {
    if (c.Height) SetCellBestHeight(c.Value, c.Row, c.Col);
    else SetCellBestWidth(c.Value, c.Row, c.Col);
  }
  EndTableUndoGroup();
  return true;
}

} // namespace kc
