// The table under the mouse: which border, column, row or cell a point of
// the table is on, the cursors of its frame, the cell selection made from
// its edges or by dragging across cells, and the neighbouring cells.
#include <algorithm>
#include <cstdlib>

#include "richtext/tables/RVTable.h"

namespace kc {

namespace {

constexpr TCursor crRVSelectRow = 104;
constexpr TCursor crRVSelectCol = 105;

// A border zone narrower than 4 pixels is still hit within 2 of its centre.
bool NearBorder(int64_t X, int64_t Pos, int64_t Zone) { return std::llabs(X - Pos) <= std::max<int64_t>(Zone / 2, 2); }

// Shared by columns and rows: Starts, the extent and the two spacings.
int BorderAt(int64_t X, const TRVIntegerList &Starts, int Extent, int64_t Edge, int64_t Inner, int &Start, int &Pos) {
  Start = -1;
  Pos = 0;
  const int n = Starts.Count();
  if (n == 0 || X < 0 || X > Extent) return -1;
  if (NearBorder(X, Edge / 2, Edge)) {
    Pos = static_cast<int>(Edge / 2);
    return 0;
  }
  if (NearBorder(X, Extent - Edge / 2, Edge)) {
    Start = Starts[n - 1];
    Pos = static_cast<int>(Extent - Edge / 2);
    return n;
  }
  for (int k = 0; k + 1 < n; ++k)
    if (NearBorder(X, Starts[k + 1] - Inner / 2, Inner)) {
      Start = Starts[k];
      Pos = static_cast<int>(Starts[k + 1] - (Inner + 1) / 2);
      return k + 1;
    }
  return -1;
}

int IndexAt(int64_t X, const TRVIntegerList &Starts, const TRVIntegerList &Sizes) {
  for (int c = 0; c < Starts.Count() && c < Sizes.Count(); ++c) {
    if (X < Starts[c]) return -1;
    if (X <= int64_t(Starts[c]) + Sizes[c]) return c;
  }
  return -1;
}

} // namespace

// ------------------------------------------------------------ hit tests

int TRVTableItemInfo::GetColumnBorderAt(int X, int &Start, int &Pos) const {
  const TRVTableItemFormattingInfo &f = FormattingInfo();
  return BorderAt(X, f.ColStarts, f.TableWidth, int64_t(BorderWidth) + BorderHSpacing + CellBorderWidth,
                  2 * int64_t(CellBorderWidth) + CellHSpacing, Start, Pos);
}

int TRVTableItemInfo::GetRowBorderAt(int Y, int &Start, int &Pos) const {
  const TRVTableItemFormattingInfo &f = FormattingInfo();
  return BorderAt(Y, f.RowStarts, f.TableHeight, int64_t(BorderWidth) + BorderVSpacing + CellBorderWidth,
                  2 * int64_t(CellBorderWidth) + CellVSpacing, Start, Pos);
}

int TRVTableItemInfo::GetColAt(int X) const {
  return IndexAt(X, FormattingInfo().ColStarts, FormattingInfo().ColWidths);
}

int TRVTableItemInfo::GetRowAt(int Y) const {
  return IndexAt(Y, FormattingInfo().RowStarts, FormattingInfo().RowHeights);
}

bool TRVTableItemInfo::GetCellAt(int X, int Y, int &Row, int &Col) const {
  auto inside = [&](const TRVTableCellData *c) {
    return c && X >= int64_t(c->Left) + 1 && X < int64_t(c->Left) + c->Width - 1 && Y >= int64_t(c->Top) + 1 &&
           Y < int64_t(c->Top) + c->Height - 1;
  };
  Row = Col = -1;
  if (inside(Cells(FHitRow, FHitCol))) {
    Row = FHitRow;
    Col = FHitCol;
    return true;
  }
  const TRVTableItemFormattingInfo &f = FormattingInfo();
  const int rows = RowCount(), cols = ColCount();
  if (rows == 0 || cols == 0 || f.RowStarts.Count() != rows || f.ColStarts.Count() != cols) return false;
  const int64_t left = f.ColStarts[0], top = f.RowStarts[0];
  if (X < left || Y < top || X > f.TableWidth - left - 1 || Y > f.TableHeight - top - 1) return false;
  int r = rows - 1, c = cols - 1;
  for (int i = 0; i + 1 < rows; ++i)
    if (f.RowStarts[i + 1] > Y) {
      r = i;
      break;
    }
  for (int i = 0; i + 1 < cols; ++i)
    if (f.ColStarts[i + 1] > X) {
      c = i;
      break;
    }
  int mr = 0, mc = 0;
  const TRVTableCellData *cell = Rows().GetMainCell(r, c, mr, mc);
  if (!inside(cell)) return false;
  Row = FHitRow = mr;
  Col = FHitCol = mc;
  return true;
}

TRVTableCellData *TRVTableItemInfo::CellAtContent(int X, int Y, int &CellX, int &CellY) const {
  int r = 0, c = 0;
  if (!GetCellAt(X, Y, r, c)) return nullptr;
  TRVTableCellData *cell = Cells(r, c);
  const int64_t cx = int64_t(X) - cell->Left - CellPadding;
  const int64_t cy = int64_t(Y) - cell->Top - CellPadding - cell->GetVAlignOffset();
  if (cx < 0 || cx >= cell->GetWidth() || Y - int64_t(cell->Top) - CellPadding < 0 ||
      Y - int64_t(cell->Top) - CellPadding >= cell->GetHeight())
    return nullptr;
  CellX = static_cast<int>(cx);
  CellY = static_cast<int>(cy);
  return cell;
}

// ------------------------------------------------------- cell selection

bool TRVTableItemInfo::SelectionAllowed() const {
  const TCustomRVData *doc = Rows().MainRVData;
  return doc && doc->GetOptions().Has(rvoAllowSelection);
}

void TRVTableItemInfo::Select(int Row, int Col, int ColOffs, int RowOffs) {
  if (!(State & rvtsInserted)) return;
  if (!SelectionAllowed()) return;
  if (auto *doc = dynamic_cast<TCustomRVFormattedData *>(Rows().MainRVData)) doc->SetPartialSelectionItem(this);
  State |= rvtsSelExists;
  SelAnchorRow = Row;
  SelAnchorCol = Col;
  SelRowOffs = RowOffs;
  SelColOffs = ColOffs;
  UpdateCellSelection();
}

void TRVTableItemInfo::SelectRows(int Start, int Count) {
  if (Start < 0 || Start >= RowCount() || Count < 1) return;
  Select(Start, 0, Rows().Items(Start)->Count() - 1, Count - 1);
}

void TRVTableItemInfo::SelectCols(int Start, int Count) {
  if (Start < 0 || Start >= ColCount() || Count < 1) return;
  Select(0, Start, Count - 1, RowCount() - 1);
}

void TRVTableItemInfo::Deselect() {
  State &= ~rvtsSelExists;
  SelAnchorRow = SelAnchorCol = -1;
  SelRowOffs = SelColOffs = 0;
  UpdateCellSelection();
}

bool TRVTableItemInfo::GetNormalizedSelectionBounds(int &TopRow, int &LeftCol, int &RowCount_, int &ColCount_) const {
  TopRow = LeftCol = RowCount_ = ColCount_ = 0;
  if (!(State & rvtsSelExists)) return false;
  int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
  const TRVTableCellData *a = Rows().GetMainCell(SelAnchorRow, SelAnchorCol, r1, c1);
  const TRVTableCellData *b =
      Rows().GetMainCell(int(int64_t(SelAnchorRow) + SelRowOffs), int(int64_t(SelAnchorCol) + SelColOffs), r2, c2);
  if (!a || !b) {
    // The grid changed under a stale anchor: the selection is abandoned.
    auto *self = const_cast<TRVTableItemInfo *>(this);
    self->State &= ~rvtsSelExists;
    self->MouseSelecting = false;
    return false;
  }
  TopRow = std::min(r1, r2);
  LeftCol = std::min(c1, c2);
  const int bottom = std::max(r1 + a->RowSpan - 1, r2 + b->RowSpan - 1);
  const int right = std::max(c1 + a->ColSpan - 1, c2 + b->ColSpan - 1);
  RowCount_ = bottom - TopRow + 1;
  ColCount_ = right - LeftCol + 1;
  return true;
}

bool TRVTableItemInfo::IsCellSelected(int Row, int Col) const {
  int top = 0, left = 0, rows = 0, cols = 0;
  if (!GetNormalizedSelectionBounds(top, left, rows, cols)) return false;
  int mr = 0, mc = 0;
  const TRVTableCellData *c = Rows().GetMainCell(Row, Col, mr, mc);
  if (!c) return false;
  return mr <= top + rows - 1 && mr + c->RowSpan - 1 >= top && mc <= left + cols - 1 && mc + c->ColSpan - 1 >= left;
}

void TRVTableItemInfo::UpdateCellSelection() {
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c) {
      TRVTableCellData *cell = Cells(r, c);
      if (!cell) continue;
      if (IsCellSelected(r, c)) {
        cell->Selected = true;
        continue;
      }
      if (!(r == SelAnchorRow && c == SelAnchorCol) && cell->SelStartLine >= 0) cell->ClearSelection(false);
      cell->Selected = false;
    }
}

bool TRVTableItemInfo::StartSelecting(int Row, int Col) {
  if (!SelectionAllowed() || !Cells(Row, Col)) return false;
  SelAnchorRow = Row;
  SelAnchorCol = Col;
  SelRowOffs = SelColOffs = 0;
  State &= ~rvtsSelExists;
  if (auto *doc = dynamic_cast<TCustomRVFormattedData *>(Rows().MainRVData)) doc->SetPartialSelectionItem(this);
  UpdateCellSelection();
  MouseSelecting = true;
  return true;
}

// ---------------------------------------------------------------- mouse

TCursor TRVTableItemInfo::GetFrameCursor(int X, int Y) const {
  const bool editable = (State & rvtsEditMode) != 0;
  int start = 0, pos = 0;
  const int b = GetColumnBorderAt(X, start, pos);
  if (b == 0 && Options.Has(rvtoRowSelect) && SelectionAllowed()) return crRVSelectRow;
  if (b > 0 && editable && Options.Has(rvtoColSizing)) return crHSplit;
  const int r = GetRowBorderAt(Y, start, pos);
  if (r == 0 && Options.Has(rvtoColSelect) && SelectionAllowed()) return crRVSelectCol;
  if (r > 0 && editable && Options.Has(rvtoRowSizing)) return crVSplit;
  return crArrow;
}

bool TRVTableItemInfo::MouseMove(TRVShiftState Shift, int X, int Y) {
  if (Rows().IsEmpty()) return false;
  if (IsResizing()) {
    const bool column = (State & rvtsResizingColumn) != 0;
    DragResizeTo(column ? X : Y);
    if (auto *doc = dynamic_cast<TCustomRVFormattedData *>(Rows().MainRVData))
      doc->SetCursor(column ? crHSplit : crVSplit);
    return true;
  }
  int row = 0, col = 0;
  if (!GetCellAt(X, Y, row, col)) {
    if (auto *doc = dynamic_cast<TCustomRVFormattedData *>(Rows().MainRVData)) doc->SetCursor(GetFrameCursor(X, Y));
    return true;
  }
  if (MouseSelecting && (Shift & TRVShift::Left)) {
    const int colOffs = col - SelAnchorCol, rowOffs = row - SelAnchorRow;
    const bool was = HasCellSelection();
    if (colOffs != 0 || rowOffs != 0) State |= rvtsSelExists;
    else State &= ~rvtsSelExists;
    if (colOffs != SelColOffs || rowOffs != SelRowOffs || was != HasCellSelection()) {
      SelColOffs = colOffs;
      SelRowOffs = rowOffs;
      UpdateCellSelection();
      if (auto *doc = dynamic_cast<TCustomRVFormattedData *>(Rows().MainRVData))
        doc->InvalidateRectInControl(TRect{0, 0, doc->GetWidth(), doc->GetHeight()});
    }
    // The edited cell looks selected while the selection covers others.
    if (FCellEditor) FCellEditor->SetSelectedLook(HasCellSelection());
  }
  return true;
}

bool TRVTableItemInfo::MouseDown(TRVMouseButton Button, TRVShiftState Shift, int X, int Y) {
  FCellsDragPosted = false;
  if (Rows().IsEmpty()) return false;
  int row = 0, col = 0;
  if (!GetCellAt(X, Y, row, col)) {
    if (Button != rvmbLeft) return false;
    EndResize();
    int start = 0, pos = 0;
    const bool editable = (State & rvtsEditMode) != 0;
    const int b = GetColumnBorderAt(X, start, pos);
    const int r = GetRowBorderAt(Y, start, pos);
    // The editor closes before the drag begins: when it cannot, no drag.
    if (b > 0 && editable && Options.Has(rvtoColSizing)) {
      SaveCellEditor();
      if (!StartResize(true, b, X, (Shift & TRVShift::Shift) != 0)) RestoreCellEditor();
    } else if (r > 0 && editable && Options.Has(rvtoRowSizing)) {
      SaveCellEditor();
      if (!StartResize(false, r, Y, (Shift & TRVShift::Shift) != 0)) RestoreCellEditor();
    } else if (r == 0 && Options.Has(rvtoColSelect)) {
      if (const int c = GetColAt(X); c >= 0) SelectCols(c, 1);
    } else if (b == 0 && Options.Has(rvtoRowSelect)) {
      if (const int rr = GetRowAt(Y); rr >= 0) SelectRows(rr, 1);
    }
    return true;
  }
  if (Button == rvmbLeft && !(Shift & (TRVShift::Shift | TRVShift::Double)) && HasCellSelection() &&
      IsCellSelected(row, col) && PostCellsDrag())
    return true;
  if (HasCellSelection()) Deselect();
  if (Button == rvmbLeft) StartSelecting(row, col);
  return true;
}

bool TRVTableItemInfo::PostCellsDrag() {
  // As a press inside a document's selection: the control decides, once
  // the press is handled, whether the selected cells are dragged.
  TCustomRVData *main = Rows().MainRVData;
  auto *root = main ? dynamic_cast<TCustomRVFormattedData *>(main->GetRootData()) : nullptr;
  if (!root || root->GetOptions().Has(rvoDisallowDrag) || root->MouseSel.Dragging || root->MouseSel.DragStartPending)
    return false;
  root->MouseSel.DragStartPending = true;
  FCellsDragPosted = root->PostDragStart();
  if (!FCellsDragPosted) root->MouseSel.DragStartPending = false;
  return FCellsDragPosted;
}

bool TRVTableItemInfo::MouseUp(TRVMouseButton Button, TRVShiftState Shift, int X, int Y) {
  (void)Shift, (void)X, (void)Y;
  if (Rows().IsEmpty()) return false;
  if (Button != rvmbLeft) return true;
  MouseSelecting = false;
  if (IsResizing()) {
    std::vector<TRVCellSizeChange> changes;
    const bool sized = GetResizeChanges(changes);
    EndResize();
    const bool applied = sized && ApplyResizeChanges(changes);
    // Refused, the editor the drag closed opens again as it was.
    if (!applied) RestoreCellEditor();
    FSavedEditor = TRVSavedCellEditor{};
  }
  return true;
}

// --------------------------------------------- the document's mouse events

namespace {

// A cell's links were placed when the cell was wrapped, before the table
// found its place: they are placed again before the mouse meets them.
TRVTableCellData *Ready(TRVTableCellData *Cell) {
  if (Cell) Cell->UpdateJumpRects(0);
  return Cell;
}

} // namespace

bool TRVTableItemInfo::HandleMouseDown(TCustomRVData *RVData, int Button, uint8_t Shift, int X, int Y, int ItemX,
                                       int ItemY) {
  (void)RVData;
  if (Rows().IsEmpty()) return false;
  const auto button = static_cast<TRVMouseButton>(Button);
  // The line of a border drag is drawn in the root document, where the
  // point is X, Y plus the root's scroll offsets.
  const TCustomRVData *root = RVData ? RVData->GetRootData() : nullptr;
  if (auto *r = dynamic_cast<const TCustomRVFormattedData *>(root))
    FResizeOrigin = {RVSatAdd(RVSatAdd(X, r->GetHOffs()), -int64_t(ItemX)),
                     RVSatAdd(RVSatAdd(Y, r->GetVOffs()), -int64_t(ItemY))};
  FEditorPressed = false;
  // A press on selected cells may drag them; it opens no editor.
  int row = 0, col = 0;
  const bool onSelectedCell = button == rvmbLeft && HasCellSelection() && GetCellAt(ItemX, ItemY, row, col) &&
                              IsCellSelected(row, col) && !(Shift & (TRVShift::Shift | TRVShift::Double));
  if (!onSelectedCell && PressOpensEditor(button, Shift, X, Y, ItemX, ItemY)) {
    // Dragged on into other cells, the press selects cells (the editor
    // then closes).
    if (button == rvmbLeft && FCellEditor && !(Shift & TRVShift::Double))
      StartSelecting(FCellEditor->Row, FCellEditor->Col);
    return true;
  }
  MouseDown(button, Shift, ItemX, ItemY);
  if (IsResizing() || FCellsDragPosted) {
    FPressedCell = nullptr;
    return true;
  }
  int cx = 0, cy = 0;
  FPressedCell = Ready(CellAtContent(ItemX, ItemY, cx, cy));
  if (FPressedCell) FPressedCell->MouseDown(button, Shift, X, Y);
  return true;
}

bool TRVTableItemInfo::HandleMouseMove(TCustomRVData *RVData, uint8_t Shift, int X, int Y, int ItemX, int ItemY) {
  (void)RVData;
  if (Rows().IsEmpty()) return false;
  if (FEditorPressed && FCellEditor && (Shift & TRVShift::Left)) {
    // Other cells reached, cells are selected and the editor takes the
    // selected look; back in its cell, its text is selected again.
    MouseMove(Shift, ItemX, ItemY);
    if (FCellEditor && !HasCellSelection()) {
      const TRect r = EditedCellRect();
      FCellEditor->MouseMove(Shift, X - r.Left, Y - r.Top);
    }
    return true;
  }
  MouseMove(Shift, ItemX, ItemY);
  if (IsResizing()) return true;
  // A selection of cells begun in the editor: the cells are not hovered.
  if (MouseSelecting && FCellEditor && (Shift & TRVShift::Left)) return true;
  // A text selection inside the pressed cell goes on while no other cell
  // is reached; then the table selects cells.
  if (FPressedCell && (Shift & TRVShift::Left)) {
    if (!HasCellSelection()) FPressedCell->MouseMove(Shift, X, Y);
    return true;
  }
  int cx = 0, cy = 0;
  if (TRVTableCellData *cell = Ready(CellAtContent(ItemX, ItemY, cx, cy))) cell->MouseMove(Shift, X, Y);
  return true;
}

bool TRVTableItemInfo::HandleMouseUp(TCustomRVData *RVData, int Button, uint8_t Shift, int X, int Y, int ItemX,
                                     int ItemY) {
  (void)RVData;
  if (Rows().IsEmpty()) return false;
  const auto button = static_cast<TRVMouseButton>(Button);
  if (FEditorPressed) {
    FEditorPressed = false;
    if (button == rvmbLeft) MouseSelecting = false;
    if (FCellEditor) {
      const TRect r = EditedCellRect();
      FCellEditor->MouseUp(button, Shift, X - r.Left, Y - r.Top);
    }
    return true;
  }
  TRVTableCellData *pressed = FPressedCell;
  FPressedCell = nullptr;
  const bool resized = IsResizing();
  MouseUp(button, Shift, ItemX, ItemY);
  if (resized) return true;
  int cx = 0, cy = 0;
  TRVTableCellData *under = CellAtContent(ItemX, ItemY, cx, cy);
  if (pressed && (under == pressed || pressed->MouseSel.Selecting)) pressed->MouseUp(button, Shift, X, Y);
  return true;
}

// ----------------------------------------------------------- navigation

bool TRVTableItemInfo::GetCellTo(int Row, int Col, bool Quiet, int &NewCol, int &NewRow, int Direction) const {
  const TRVTableRows &g = Rows();
  const int rows = RowCount(), cols = ColCount();
  int mr = 0, mc = 0;
  const TRVTableCellData *from = g.GetMainCell(Row, Col, mr, mc);
  auto cover = [&](int r, int c) {
    int a = 0, b = 0;
    if (!g.GetMainCell(r, c, a, b)) return false;
    NewRow = a;
    NewCol = b;
    return true;
  };
  auto next = [&](int r, int c) {
    for (int cc = c + 1; cc < cols; ++cc)
      if (g.Cell(r, cc)) return cover(r, cc);
    for (int rr = r + 1; rr < rows; ++rr)
      for (int cc = 0; cc < cols; ++cc)
        if (g.Cell(rr, cc)) return cover(rr, cc);
    return false;
  };
  auto prev = [&](int r, int c) {
    for (int cc = c - 1; cc >= 0; --cc)
      if (g.Cell(r, cc)) return cover(r, cc);
    for (int rr = r - 1; rr >= 0; --rr)
      for (int cc = cols - 1; cc >= 0; --cc)
        if (g.Cell(rr, cc)) return cover(rr, cc);
    return false;
  };
  auto beep = [&] {
    if (!Quiet && g.MainRVData) g.MainRVData->Beep();
    return false;
  };
  if (!from) return false;
  switch (Direction) {
  case rvcdLeft:
    if (Col > 0) return cover(Row, Col - 1);
    return Row > 0 && prev(Row, Col);
  case rvcdUp: return Row > 0 && cover(Row - 1, Col);
  case rvcdRight:
    if (int64_t(mc) + from->ColSpan < cols) return cover(Row, mc + from->ColSpan);
    return int64_t(mr) + from->RowSpan < rows && next(Row, Col);
  case rvcdDown: return int64_t(mr) + from->RowSpan < rows && cover(mr + from->RowSpan, Col);
  case rvcdNext: return next(Row, Col) || beep();
  case rvcdPrev: return prev(Row, Col) || beep();
  default: return false;
  }
}

} // namespace kc
