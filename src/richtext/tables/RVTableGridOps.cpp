// The grid's structural operations (insert and delete rows and columns,
// merge, clear) with their span bookkeeping, and the small steps they are
// made of, which the undo records perform again in either direction.
#include <algorithm>

#include "richtext/document/RVClasses.h"
#include "richtext/tables/RVTable.h"
#include "richtext/tables/RVTableRows.h"

namespace kc {

namespace {

[[noreturn]] void BadIndex() { throw ERichVistaError("Invalid row or column index"); }

// More rows or columns than any document could show: refused like a bad
// index instead of allocating without end.
constexpr int kMaxGridSide = 100000;

void Detach(TRVTableCellData *Cell, TCustomRVData *UndoData) {
  if (Cell) Cell->MovingToUndoList(UndoData);
}

// Sets an integer attribute of a cell through the recorder (undoable) or
// directly.
void SetCellInt(TRVTableRows &G, TRVTableGridRecorder *Rec, int Row, int Col, std::string_view Name, int Value,
                bool AffectWidth, bool AffectSize) {
  if (Rec) {
    Rec->SetCellInt(Row, Col, Name, Value, AffectWidth, AffectSize);
  } else if (TRVTableCellData *c = G.Cell(Row, Col)) {
    c->SetIntPropertyByName(Name, Value);
  }
}

void AssignAttributes(TRVTableRows &G, TRVTableGridRecorder *Rec, int Row, int Col, const TRVTableCellData &Source,
                      int HeightDivisor, int WidthDivisor) {
  if (Rec) {
    Rec->AssignCellAttributes(Row, Col, Source, true, HeightDivisor, WidthDivisor);
  } else if (TRVTableCellData *c = G.Cell(Row, Col)) {
    c->AssignAttributesFrom(Source, true, HeightDivisor, WidthDivisor);
  }
}

int ScaleDiv(int Value, int Mul, int Div) { return Div == 0 ? Value : int(int64_t(Value) * Mul / Div); }

} // namespace

// ================================================================= insert

void TRVTableRows::InsertCols(int Index, int Count, int CopyIndex, bool DivideWidth, TRVTableGridRecorder *Rec) {
  const int cols = GetColCount(), rows = this->Count();
  if (Index < 0 || Index > cols || CopyIndex < -1 || CopyIndex >= cols || Count < 0 ||
      int64_t(cols) + Count > kMaxGridSide)
    BadIndex();
  if (Count == 0 || rows == 0) return;
  if (Rec) Rec->Terminator(true);
  std::vector<uint8_t> marked(size_t(rows), 0);
  if (Index < cols) {
    // New columns inside a horizontally merged cell widen it.
    for (int r = rows - 1; r >= 0;) {
      int mr = 0, mc = 0;
      TRVTableCellData *cell = GetMainCell(r, Index, mr, mc);
      if (cell && mc < Index && Index <= mc + cell->ColSpan - 1) {
        for (int k = mr; k < mr + cell->RowSpan; ++k) marked[size_t(k)] = 1;
        if (Rec) Rec->Span(mr, mc, true, cell->ColSpan);
        cell->ColSpan += Count;
        r = mr - 1;
      } else {
        --r;
      }
    }
  }
  for (int r = 0; r < rows;) {
    if (marked[size_t(r)]) {
      if (Rec) Rec->InsertEmptyCell(r, Index, Count, 1);
      InsertEmptySlots(r, Index, Count, 1);
      ++r;
      continue;
    }
    TRVTableCellData *src = CopyIndex >= 0 ? Cell(r, CopyIndex) : nullptr;
    if (src && DivideWidth)
      SetCellInt(*this, Rec, r, CopyIndex, "BestWidth", ScaleDiv(src->BestWidth, src->ColSpan, src->ColSpan + Count),
                 true, true);
    // A source spanning rows spans the new cells over the same rows, unless
    // a merged cell widened above covers one of them.
    int span = 1;
    if (src && src->RowSpan > 1) {
      span = src->RowSpan;
      for (int k = r + 1; k < r + span; ++k)
        if (k >= rows || marked[size_t(k)]) span = 1;
    }
    for (int i = 0; i < Count; ++i) {
      if (Rec) Rec->InsertTableCell(r, Index);
      FRows[size_t(r)]->InsertCell(Index);
      if (!src) continue;
      AssignAttributes(*this, Rec, r, Index, *src, 1, src->ColSpan);
      if (span > 1) {
        if (Rec) Rec->Span(r, Index, false, 1);
        Cell(r, Index)->RowSpan = span;
      }
    }
    if (span > 1) {
      if (Rec) Rec->InsertEmptyCell(r + 1, Index, Count, span - 1);
      InsertEmptySlots(r + 1, Index, Count, span - 1);
    }
    r += span;
  }
  if (Rec) Rec->Terminator(false);
}

void TRVTableRows::InsertRows(int Index, int Count, int CopyIndex, bool DivideHeight, TRVTableGridRecorder *Rec) {
  const int rows = this->Count(), cols = GetColCount();
  if (Index < 0 || Index > rows || CopyIndex < -1 || CopyIndex >= rows || Count < 0 ||
      int64_t(rows) + Count > kMaxGridSide)
    BadIndex();
  if (Count == 0) return;
  if (Rec) Rec->Terminator(true);
  std::vector<uint8_t> marked(size_t(cols), 0);
  if (Index < rows) {
    // New rows inside a vertically merged cell make it taller.
    for (int c = cols - 1; c >= 0;) {
      int mr = 0, mc = 0;
      TRVTableCellData *cell = GetMainCell(Index, c, mr, mc);
      if (cell && mr < Index && Index <= mr + cell->RowSpan - 1) {
        for (int k = mc; k < mc + cell->ColSpan; ++k) marked[size_t(k)] = 1;
        if (Rec) Rec->Span(mr, mc, false, cell->RowSpan);
        cell->RowSpan += Count;
        c = mc - 1;
      } else {
        --c;
      }
    }
  }
  if (CopyIndex >= 0 && Index <= CopyIndex) CopyIndex += Count;
  if (Rec) Rec->InsertTableRows(Index, Count);
  InsertNewRows(Index, Count);
  for (int c = 0; c < cols;) {
    if (marked[size_t(c)]) {
      if (Rec) Rec->FreeEmptyCell(Index, c, 1, Count);
      FreeBlock(Index, c, 1, Count);
      ++c;
      continue;
    }
    TRVTableCellData *src = CopyIndex >= 0 ? Cell(CopyIndex, c) : nullptr;
    if (!src) {
      ++c;
      continue;
    }
    if (DivideHeight)
      SetCellInt(*this, Rec, CopyIndex, c, "BestHeight", ScaleDiv(src->BestHeight, src->RowSpan, src->RowSpan + Count),
                 false, true);
    // The new cells span the source's columns, unless a taller merged cell
    // already covers one of them.
    int span = src->ColSpan;
    for (int k = c + 1; k < c + span; ++k)
      if (k >= cols || marked[size_t(k)]) span = 1;
    for (int i = 0; i < Count; ++i) {
      AssignAttributes(*this, Rec, Index + i, c, *src, src->RowSpan, 1);
      if (span > 1) {
        if (Rec) Rec->SpreadOverEmptyCells(Index + i, c, span);
        SpreadCell(Index + i, c, span);
      }
    }
    c += span;
  }
  if (Rec) Rec->Terminator(false);
}

// ================================================================= delete

void TRVTableRows::DeleteRows(int Index, int Count, bool DecreaseHeight, TRVTableGridRecorder *Rec) {
  const int rows = this->Count(), cols = GetColCount();
  if (Index < 0 || Index >= rows || Count < 1 || (Index == 0 && Count > rows)) BadIndex();
  Count = std::min(Count, rows - Index);
  const int last = Index + Count - 1;
  if (Rec) Rec->Terminator(true);
  // Cells starting inside the deleted rows and reaching below them keep
  // their lower part.
  for (int c = cols - 1; c >= 0;) {
    int mr = 0, mc = 0;
    TRVTableCellData *cell = GetMainCell(last, c, mr, mc);
    if (cell && last < mr + cell->RowSpan - 1 && Index <= mr) {
      if (Rec) Rec->CellSplit(false, mr, mc, last + 1, cell->BestHeight, DecreaseHeight);
      SplitCell(false, mr, mc, last + 1, DecreaseHeight);
      c = mc - 1;
    } else {
      --c;
    }
  }
  // Cells starting above and reaching into them get shorter.
  for (int c = cols - 1; c >= 0;) {
    int mr = 0, mc = 0;
    TRVTableCellData *cell = GetMainCell(Index, c, mr, mc);
    if (cell && mr < Index) {
      const int span = mr + cell->RowSpan - 1 > last ? cell->RowSpan - Count : Index - mr;
      if (DecreaseHeight)
        SetCellInt(*this, Rec, mr, mc, "BestHeight", ScaleDiv(cell->BestHeight, span, cell->RowSpan), false, true);
      if (Rec) Rec->Span(mr, mc, false, cell->RowSpan);
      cell->RowSpan = span;
      c = mc - 1;
    } else {
      --c;
    }
  }
  if (Rec) Rec->DeleteRows(Index, Count, TakeRows(Index, Count, Rec->UndoData()));
  else FreeRows(Index, Count);
  if (Rec) Rec->Terminator(false);
}

void TRVTableRows::DeleteCols(int Index, int Count, bool DecreaseWidth, TRVTableGridRecorder *Rec) {
  const int rows = this->Count(), cols = GetColCount();
  if (Index < 0 || Index >= cols || Count < 1 || (Index == 0 && Count > cols)) BadIndex();
  Count = std::min(Count, cols - Index);
  const int last = Index + Count - 1;
  if (Rec) Rec->Terminator(true);
  for (int r = rows - 1; r >= 0;) {
    int mr = 0, mc = 0;
    TRVTableCellData *cell = GetMainCell(r, last, mr, mc);
    if (cell && last < mc + cell->ColSpan - 1 && Index <= mc) {
      if (Rec) Rec->CellSplit(true, mr, mc, last + 1, cell->BestWidth, DecreaseWidth);
      SplitCell(true, mr, mc, last + 1, DecreaseWidth);
      r = mr - 1;
    } else {
      --r;
    }
  }
  for (int r = rows - 1; r >= 0;) {
    int mr = 0, mc = 0;
    TRVTableCellData *cell = GetMainCell(r, Index, mr, mc);
    if (cell && mc < Index) {
      const int span = mc + cell->ColSpan - 1 > last ? cell->ColSpan - Count : Index - mc;
      if (DecreaseWidth)
        SetCellInt(*this, Rec, mr, mc, "BestWidth", ScaleDiv(cell->BestWidth, span, cell->ColSpan), true, true);
      if (Rec) Rec->Span(mr, mc, true, cell->ColSpan);
      cell->ColSpan = span;
      r = mr - 1;
    } else {
      --r;
    }
  }
  if (Rec) Rec->DeleteCols(Index, Count, TakeCols(Index, Count, Rec->UndoData()));
  else DeleteSlotBlock(0, Index, Count, rows);
  if (Rec) Rec->Terminator(false);
}

// ================================================================== merge

int TRVTableRows::CombinedBestWidth(int TopRow, int LeftCol, int RowCount, int ColCount) const {
  int result = 0;
  for (int r = TopRow; r < TopRow + RowCount; ++r) {
    int64_t sum = 0;
    for (int c = LeftCol; c < LeftCol + ColCount; ++c) {
      const TRVTableCellData *cell = Cell(r, c);
      if (!cell) continue;
      if (cell->BestWidth > 0) {
        if (sum >= 0) sum += cell->BestWidth;
      } else if (cell->BestWidth < 0) {
        if (sum > 0) sum = 0;
        sum += cell->BestWidth;
      }
    }
    const int s = int(std::clamp<int64_t>(sum, -100000, 1000000));
    if (result >= 0 ? (s < 0 || s > result) : s < result) result = s;
  }
  return result;
}

TRVTableRows::TRVMergeResult TRVTableRows::MergeCells(int TopRow, int LeftCol, int ColSpan, int RowSpan,
                                                      bool AllowDegenerateMerge, bool UpdateBestWidth,
                                                      TRVTableGridRecorder *Rec) {
  const int rows = Count();
  if (TopRow < 0 || TopRow >= rows || LeftCol < 0 || LeftCol >= FRows[size_t(TopRow)]->Count()) BadIndex();
  if (int64_t(TopRow) + RowSpan > rows) RowSpan = rows - TopRow;
  const int width = FRows[size_t(TopRow)]->Count();
  if (int64_t(LeftCol) + ColSpan > width) ColSpan = width - LeftCol;
  if (RowSpan < 2 && ColSpan < 2) return rvmrNothing;
  if (RowSpan < 1 || ColSpan < 1) throw ERichVistaError("Parameters for cell merging are not correct");
  TRVTableCellData *main = Cell(TopRow, LeftCol);
  if (!main || (main->RowSpan >= RowSpan && main->ColSpan >= ColSpan)) return rvmrNothing;
  // Every slot must be covered by a cell lying wholly inside the rectangle.
  int cells = 0;
  for (int r = TopRow; r < TopRow + RowSpan; ++r)
    for (int c = LeftCol; c < LeftCol + ColSpan; ++c) {
      int mr = 0, mc = 0;
      const TRVTableCellData *cell = GetMainCell(r, c, mr, mc);
      if (!cell || mr < TopRow || mc < LeftCol || mr + cell->RowSpan > TopRow + RowSpan ||
          mc + cell->ColSpan > LeftCol + ColSpan)
        return rvmrRefused;
      if (mr == r && mc == c) ++cells;
    }
  if (AllowDegenerateMerge) {
    if (cells < 2) return rvmrRefused;
  } else {
    // Every column and every row must keep a cell of its own.
    for (int c = LeftCol + 1; c < LeftCol + ColSpan; ++c) {
      bool own = false;
      for (int r = 0; r < rows && !own; ++r)
        if ((r < TopRow || r >= TopRow + RowSpan) && Cell(r, c)) own = true;
      if (!own) return rvmrRefused;
    }
    for (int r = TopRow + 1; r < TopRow + RowSpan; ++r) {
      bool own = false;
      for (int c = 0; c < FRows[size_t(r)]->Count() && !own; ++c)
        if ((c < LeftCol || c >= LeftCol + ColSpan) && Cell(r, c)) own = true;
      if (!own) return rvmrRefused;
    }
  }
  TRVMergeStep step;
  step.Row = TopRow;
  step.Col = LeftCol;
  step.OldColSpan = main->ColSpan;
  step.OldRowSpan = main->RowSpan;
  step.ColSpan = ColSpan;
  step.RowSpan = RowSpan;
  step.OldBestWidth = main->BestWidth;
  if (UpdateBestWidth) main->BestWidth = CombinedBestWidth(TopRow, LeftCol, RowSpan, ColSpan);
  step.MergedBestWidth = main->BestWidth;
  Remerge(step, Rec ? Rec->UndoData() : nullptr);
  if (Rec) Rec->Merge(std::move(step));
  return rvmrMerged;
}

void TRVTableRows::Remerge(TRVMergeStep &Step, TCustomRVData *UndoData) {
  TRVTableCellData *main = Cell(Step.Row, Step.Col);
  if (!main) return;
  main->BestWidth = Step.MergedBestWidth;
  Step.Cells.clear();
  for (int r = Step.Row; r < Step.Row + Step.RowSpan; ++r)
    for (int c = Step.Col; c < Step.Col + Step.ColSpan; ++c) {
      if ((r == Step.Row && c == Step.Col) || !Cell(r, c)) continue;
      std::unique_ptr<TRVTableCellData> cell = FRows[size_t(r)]->Take(c);
      TRVMergedCell m;
      m.Row = r;
      m.Col = c;
      if (cell->HasData(false)) {
        m.ItemCount = cell->GetItemCount();
        main->AssignItemsFrom(cell.get());
      }
      if (UndoData) {
        Detach(cell.get(), UndoData);
        m.Cell = std::move(cell);
        Step.Cells.push_back(std::move(m));
      }
    }
  main->InvalidateMinWidth();
  main->ColSpan = Step.ColSpan;
  main->RowSpan = Step.RowSpan;
}

void TRVTableRows::Unmerge(TRVMergeStep &Step) {
  TRVTableCellData *main = Cell(Step.Row, Step.Col);
  if (!main) return;
  Step.MergedBestWidth = main->BestWidth;
  main->BestWidth = Step.OldBestWidth;
  for (size_t k = Step.Cells.size(); k-- > 0;) {
    TRVMergedCell &m = Step.Cells[k];
    if (!m.Cell || m.Row < 0 || m.Row >= Count() || m.Col < 0 || m.Col >= FRows[size_t(m.Row)]->Count()) continue;
    TRVTableCellData *cell = m.Cell.get();
    FRows[size_t(m.Row)]->Put(m.Col, std::move(m.Cell));
    cell->MovingFromUndoList();
    // The cell's items are the last ItemCount items of the main cell.
    const int n = main->GetItemCount(), take = std::min(m.ItemCount, n);
    if (take > 0) {
      cell->Items.Clear();
      for (int i = n - take; i < n; ++i) {
        std::unique_ptr<TCustomRVItemInfo> item = main->Items.Detach(i);
        if (item->Checkpoint) item->Checkpoint->ItemInfo = nullptr;
        if (item->GetContinuePara()) item->ParaNo = -1;
        cell->AddItem(main->Items.Strings(i), std::move(item));
      }
      main->Items.Delete(n - take, take);
      cell->InvalidateMinWidth();
    }
  }
  Step.Cells.clear();
  main->InvalidateMinWidth();
  main->ColSpan = Step.OldColSpan;
  main->RowSpan = Step.OldRowSpan;
}

// ================================================================== clear

void TRVTableRows::ClearCells(const std::vector<int> &RowList, const std::vector<int> &ColList,
                              TRVTableGridRecorder *Rec) {
  const size_t n = std::min(RowList.size(), ColList.size());
  std::vector<std::unique_ptr<TRVTableCellData>> removed;
  for (size_t i = 0; i < n; ++i) {
    const int r = RowList[i], c = ColList[i];
    TRVTableCellData *old = Cell(r, c);
    if (!old) {
      if (Rec) removed.push_back(nullptr);
      continue;
    }
    if (!Rec) {
      old->Clear();
      old->AddText(std::string(), 0, 0);
      old->InvalidateMinWidth();
      continue;
    }
    auto fresh = std::make_unique<TRVTableCellData>(FRows[size_t(r)].get());
    fresh->AssignAttributesFrom(*old, true);
    fresh->AssignLayoutFrom(*old);
    fresh->RowSpan = old->RowSpan;
    fresh->ColSpan = old->ColSpan;
    old->Selected = false;
    std::unique_ptr<TRVTableCellData> taken = FRows[size_t(r)]->Take(c);
    Detach(taken.get(), Rec->UndoData());
    removed.push_back(std::move(taken));
    FRows[size_t(r)]->Put(c, std::move(fresh));
  }
  if (Rec)
    Rec->CellsClear(std::vector<int>(RowList.begin(), RowList.begin() + ptrdiff_t(n)),
                    std::vector<int>(ColList.begin(), ColList.begin() + ptrdiff_t(n)), std::move(removed));
}

// ================================================================== steps

void TRVTableRows::InsertNewRows(int Index, int Count) {
  const int cols = GetColCount();
  Index = std::clamp(Index, 0, this->Count());
  for (int i = 0; i < Count; ++i) InsertRow(Index + i, std::make_unique<TRVTableRow>(this, cols));
}

void TRVTableRows::FreeRows(int Index, int Count) {
  if (Index < 0 || Count <= 0 || Index >= this->Count()) return;
  Count = std::min(Count, this->Count() - Index);
  FRows.erase(FRows.begin() + Index, FRows.begin() + Index + Count);
}

std::vector<std::unique_ptr<TRVTableRow>> TRVTableRows::TakeRows(int Index, int Count, TCustomRVData *UndoData) {
  std::vector<std::unique_ptr<TRVTableRow>> taken;
  if (Index < 0 || Count <= 0 || Index >= this->Count()) return taken;
  Count = std::min(Count, this->Count() - Index);
  for (int i = Index; i < Index + Count; ++i) {
    std::unique_ptr<TRVTableRow> row = std::move(FRows[size_t(i)]);
    for (int c = 0; c < row->Count(); ++c) Detach(row->Get(c), UndoData);
    row->SetRows(nullptr);
    taken.push_back(std::move(row));
  }
  FRows.erase(FRows.begin() + Index, FRows.begin() + Index + Count);
  return taken;
}

void TRVTableRows::PutRows(int Index, std::vector<std::unique_ptr<TRVTableRow>> &Rows) {
  Index = std::clamp(Index, 0, Count());
  for (auto &row : Rows) {
    TRVTableRow *r = row.get();
    InsertRow(Index++, std::move(row));
    for (int c = 0; c < r->Count(); ++c)
      if (TRVTableCellData *cell = r->Get(c)) cell->MovingFromUndoList();
  }
  Rows.clear();
}

std::vector<std::unique_ptr<TRVTableCellData>> TRVTableRows::TakeCols(int Index, int Count, TCustomRVData *UndoData) {
  std::vector<std::unique_ptr<TRVTableCellData>> taken;
  for (auto &row : FRows) {
    const int n = std::min(Count, row->Count() - Index);
    for (int c = Index + n - 1; c >= Index; --c) {
      std::unique_ptr<TRVTableCellData> cell = row->Take(c);
      Detach(cell.get(), UndoData);
      taken.push_back(std::move(cell));
    }
    row->DeleteSlots(Index, n);
  }
  return taken;
}

void TRVTableRows::PutCols(int Index, std::vector<std::unique_ptr<TRVTableCellData>> &Cells) {
  const int rows = Count();
  if (rows == 0) return;
  const size_t per = Cells.size() / size_t(rows);
  size_t k = 0;
  for (auto &row : FRows) {
    const int at = std::clamp(Index, 0, row->Count());
    for (size_t i = 0; i < per; ++i, ++k) {
      row->InsertEmpty(at);
      TRVTableCellData *cell = Cells[k].get();
      row->Put(at, std::move(Cells[k]));
      if (cell) cell->MovingFromUndoList();
    }
  }
  Cells.clear();
}

void TRVTableRows::InsertEmptySlots(int Row, int Col, int ColCount, int RowCount) {
  for (int r = std::max(0, Row); r < std::min(Count(), Row + RowCount); ++r)
    for (int i = 0; i < ColCount; ++i) FRows[size_t(r)]->InsertEmpty(Col);
}

void TRVTableRows::DeleteSlotBlock(int Row, int Col, int ColCount, int RowCount) {
  for (int r = std::max(0, Row); r < std::min(Count(), Row + RowCount); ++r)
    FRows[size_t(r)]->DeleteSlots(Col, ColCount);
}

void TRVTableRows::FillBlock(int Row, int Col, int ColCount, int RowCount) {
  for (int r = std::max(0, Row); r < std::min(Count(), Row + RowCount); ++r)
    for (int c = Col; c < Col + ColCount; ++c)
      if (c >= 0 && c < FRows[size_t(r)]->Count() && !Cell(r, c))
        FRows[size_t(r)]->Put(c, std::make_unique<TRVTableCellData>(FRows[size_t(r)].get()));
}

void TRVTableRows::FreeBlock(int Row, int Col, int ColCount, int RowCount) {
  for (int r = std::max(0, Row); r < std::min(Count(), Row + RowCount); ++r)
    for (int c = Col; c < Col + ColCount; ++c) FRows[size_t(r)]->Put(c, nullptr);
}

void TRVTableRows::SpreadCell(int Row, int Col, int ColSpan) {
  TRVTableCellData *cell = Cell(Row, Col);
  if (!cell) return;
  cell->ColSpan = ColSpan;
  FreeBlock(Row, Col + 1, ColSpan - 1, 1);
}

void TRVTableRows::UnspreadCell(int Row, int Col) {
  TRVTableCellData *cell = Cell(Row, Col);
  if (!cell) return;
  const int n = cell->ColSpan;
  cell->ColSpan = 1;
  FillBlock(Row, Col + 1, n - 1, 1);
}

void TRVTableRows::SplitCell(bool Vertical, int Row, int Col, int At, bool Decrease) {
  TRVTableCellData *c = Cell(Row, Col);
  if (!c) return;
  const int span = Vertical ? c->ColSpan : c->RowSpan;
  const int lower = (Vertical ? Col : Row) + span - At;
  if (lower <= 0 || lower >= span) return;
  const int targetRow = Vertical ? Row : At, targetCol = Vertical ? At : Col;
  auto n = std::make_unique<TRVTableCellData>(FRows[size_t(targetRow)].get());
  n->AssignAttributesFrom(*c, true);
  if (Vertical) {
    n->RowSpan = c->RowSpan;
    n->ColSpan = lower;
    n->BestWidth = ScaleDiv(c->BestWidth, lower, span);
    if (Decrease) c->BestWidth = ScaleDiv(c->BestWidth, span - lower, span);
    c->ColSpan = span - lower;
  } else {
    n->ColSpan = c->ColSpan;
    n->RowSpan = lower;
    n->BestHeight = ScaleDiv(c->BestHeight, lower, span);
    if (Decrease) c->BestHeight = ScaleDiv(c->BestHeight, span - lower, span);
    c->RowSpan = span - lower;
  }
  FRows[size_t(targetRow)]->Put(targetCol, std::move(n));
}

void TRVTableRows::JoinCell(bool Vertical, int Row, int Col, int At, int OldBest) {
  TRVTableCellData *c = Cell(Row, Col);
  const int lowerRow = Vertical ? Row : At, lowerCol = Vertical ? At : Col;
  TRVTableCellData *n = Cell(lowerRow, lowerCol);
  if (!c || !n) return;
  if (Vertical) {
    c->BestWidth = OldBest;
    c->ColSpan += n->ColSpan;
  } else {
    c->BestHeight = OldBest;
    c->RowSpan += n->RowSpan;
  }
  FRows[size_t(lowerRow)]->Put(lowerCol, nullptr);
}

} // namespace kc
