#include "richtext/tables/RVTableRows.h"

#include <algorithm>

#include "richtext/tables/RVTable.h"
#include "platform/Canvas.h"

namespace kc {

// ==================================================================== row

TRVTableRow::TRVTableRow(TRVTableRows *Rows, int ColCount) : FRows(Rows) {
  FCells.reserve(static_cast<size_t>(std::max(0, ColCount)));
  for (int c = 0; c < ColCount; ++c) FCells.push_back(std::make_unique<TRVTableCellData>(this));
}

TRVTableRow::~TRVTableRow() = default;

TCustomRVData *TRVTableRow::GetParentRVData() const { return FRows ? FRows->MainRVData : nullptr; }

TRVTableCellData *TRVTableRow::Get(int Col) const {
  return Col >= 0 && Col < Count() ? FCells[static_cast<size_t>(Col)].get() : nullptr;
}

void TRVTableRow::Put(int Col, std::unique_ptr<TRVTableCellData> Cell) {
  if (Col < 0 || Col >= Count()) return;
  if (Cell) Cell->SetRow(this);
  FCells[static_cast<size_t>(Col)] = std::move(Cell);
}

std::unique_ptr<TRVTableCellData> TRVTableRow::Take(int Col) {
  if (Col < 0 || Col >= Count()) return nullptr;
  std::unique_ptr<TRVTableCellData> c = std::move(FCells[static_cast<size_t>(Col)]);
  if (c) c->SetRow(nullptr);
  return c;
}

TRVTableCellData *TRVTableRow::AddCell() {
  FCells.push_back(std::make_unique<TRVTableCellData>(this));
  return FCells.back().get();
}

TRVTableCellData *TRVTableRow::InsertCell(int Col) {
  Col = std::clamp(Col, 0, Count());
  auto it = FCells.insert(FCells.begin() + Col, std::make_unique<TRVTableCellData>(this));
  return it->get();
}

void TRVTableRow::InsertEmpty(int Col) {
  Col = std::clamp(Col, 0, Count());
  FCells.insert(FCells.begin() + Col, nullptr);
}

void TRVTableRow::DeleteSlots(int Col, int N) {
  if (Col < 0 || N <= 0 || Col >= Count()) return;
  N = std::min(N, Count() - Col);
  FCells.erase(FCells.begin() + Col, FCells.begin() + Col + N);
}

int TRVTableRow::GetBestHeight() const {
  int h = 0;
  for (const auto &c : FCells)
    if (c && c->RowSpan < 2) h = std::max(h, c->BestHeight);
  return h;
}

int TRVTableRow::GetHeight() const {
  int h = 0;
  for (const auto &c : FCells)
    if (c && c->RowSpan < 2) h = std::max(h, c->GetContentHeight());
  return h == 0 ? 10 : h;
}

bool TRVTableRow::HasCellEndingWithin(int Row, int FirstRow, int RowCount) const {
  if (FirstRow > Row) return false;
  const int64_t last = int64_t(FirstRow) + RowCount - 1;
  for (const auto &c : FCells)
    if (c && int64_t(Row) + c->RowSpan - 1 <= last) return true;
  return false;
}

// =================================================================== grid

TRVTableRows::TRVTableRows(int RowCount, int ColCount, TCustomRVData *AMainRVData, TRVTableItemInfo *ATable)
    : MainRVData(AMainRVData), Table(ATable) {
  Reset(RowCount, ColCount);
}

TRVTableRows::~TRVTableRows() = default;

TRVTableCellData *TRVTableRows::Cell(int Row, int Col) const {
  return Row >= 0 && Row < Count() ? FRows[static_cast<size_t>(Row)]->Get(Col) : nullptr;
}

void TRVTableRows::Reset(int RowCount, int ColCount) {
  FRows.clear();
  RowCount = std::max(0, RowCount);
  ColCount = std::max(0, ColCount);
  FRows.reserve(static_cast<size_t>(RowCount));
  for (int r = 0; r < RowCount; ++r) FRows.push_back(std::make_unique<TRVTableRow>(this, ColCount));
}

void TRVTableRows::AddRow(std::unique_ptr<TRVTableRow> Row) { InsertRow(Count(), std::move(Row)); }

void TRVTableRows::InsertRow(int Index, std::unique_ptr<TRVTableRow> Row) {
  if (!Row) return;
  Row->SetRows(this);
  for (int c = 0; c < Row->Count(); ++c)
    if (TRVTableCellData *cell = Row->Get(c)) cell->SetRow(Row.get());
  Index = std::clamp(Index, 0, Count());
  FRows.insert(FRows.begin() + Index, std::move(Row));
}

TRVTableCellData *TRVTableRows::GetMainCell(int Row, int Col, int &MainRow, int &MainCol) const {
  MainRow = Row;
  MainCol = Col;
  if (Row < 0 || Row >= Count() || Col < 0 || Col >= FRows[size_t(Row)]->Count()) return nullptr;
  if (TRVTableCellData *c = Cell(Row, Col)) return c;
  for (int r = Row; r >= 0; --r) {
    int c = Col;
    while (c >= 1 && !Cell(r, c)) --c;
    TRVTableCellData *cell = Cell(r, c);
    if (cell && cell->ColSpan > Col - c && cell->RowSpan > Row - r) {
      MainRow = r;
      MainCol = c;
      return cell;
    }
  }
  return nullptr;
}

bool TRVTableRows::ApplySpan(int Row, int Col, int RowSpan, int ColSpan) {
  TRVTableCellData *main = Cell(Row, Col);
  if (!main || RowSpan < 1 || ColSpan < 1) return false;
  if (int64_t(Row) + RowSpan > Count()) return false;
  for (int r = Row; r < Row + RowSpan; ++r)
    if (int64_t(Col) + ColSpan > FRows[size_t(r)]->Count()) return false;
  // Every slot of the rectangle must be covered by a cell lying wholly
  // inside it, so that taking those cells leaves no slot uncovered.
  for (int r = Row; r < Row + RowSpan; ++r)
    for (int c = Col; c < Col + ColSpan; ++c) {
      int mr = 0, mc = 0;
      TRVTableCellData *cell = GetMainCell(r, c, mr, mc);
      if (!cell || mr < Row || mc < Col || int64_t(mr) + cell->RowSpan > int64_t(Row) + RowSpan ||
          int64_t(mc) + cell->ColSpan > int64_t(Col) + ColSpan)
        return false;
    }
  for (int r = Row; r < Row + RowSpan; ++r)
    for (int c = Col; c < Col + ColSpan; ++c) {
      if (r == Row && c == Col) continue;
      std::unique_ptr<TRVTableCellData> other = FRows[size_t(r)]->Take(c);
      if (other && other->HasData(false)) {
        main->AssignItemsFrom(other.get());
        main->InvalidateMinWidth();
      }
    }
  main->RowSpan = RowSpan;
  main->ColSpan = ColSpan;
  return true;
}

bool TRVTableRows::Check(std::string *Why) const {
  auto fail = [&](const std::string &s) {
    if (Why) *Why = s;
    return false;
  };
  const int cols = GetColCount();
  std::vector<uint8_t> covered(size_t(Count()) * size_t(cols), 0);
  for (int r = 0; r < Count(); ++r) {
    const TRVTableRow *row = FRows[size_t(r)].get();
    if (row->Count() != cols) return fail("row " + std::to_string(r) + " has another number of slots");
    if (row->Rows() != this) return fail("row " + std::to_string(r) + " belongs to another grid");
    for (int c = 0; c < cols; ++c) {
      const TRVTableCellData *cell = row->Get(c);
      if (!cell) continue;
      if (cell->Row() != row) return fail("cell " + std::to_string(r) + "," + std::to_string(c) + " names another row");
      if (cell->RowSpan < 1 || cell->ColSpan < 1 || int64_t(r) + cell->RowSpan > Count() ||
          int64_t(c) + cell->ColSpan > cols)
        return fail("cell " + std::to_string(r) + "," + std::to_string(c) + " spans outside the grid");
      for (int rr = r; rr < r + cell->RowSpan; ++rr)
        for (int cc = c; cc < c + cell->ColSpan; ++cc) {
          uint8_t &k = covered[size_t(rr) * size_t(cols) + size_t(cc)];
          if (k) return fail("slot " + std::to_string(rr) + "," + std::to_string(cc) + " is covered twice");
          if ((rr != r || cc != c) && Cell(rr, cc))
            return fail("slot " + std::to_string(rr) + "," + std::to_string(cc) + " holds a cell under a span");
          k = 1;
        }
    }
  }
  for (size_t i = 0; i < covered.size(); ++i)
    if (!covered[i])
      return fail("slot " + std::to_string(i / size_t(cols)) + "," + std::to_string(i % size_t(cols)) +
                  " is not covered");
  return true;
}

// --------------------------------------------------------- layout queries

int TRVTableRows::GetColMinWidth(int Col, const TRVScreenAndDevice *sad, TCanvas &Canvas) const {
  int w = 0;
  for (int r = 0; r < Count(); ++r)
    if (TRVTableCellData *c = Cell(r, Col); c && c->ColSpan < 2) w = std::max(w, c->GetMinWidth(sad, Canvas));
  return w;
}

int TRVTableRows::GetColBestWidth(int Col) const {
  int w = 0;
  for (int r = 0; r < Count(); ++r) {
    const TRVTableCellData *c = Cell(r, Col);
    if (!c || c->ColSpan >= 2) continue;
    if (c->BestWidth < 0) return 0;
    w = std::max(w, c->BestWidth);
  }
  return w;
}

int TRVTableRows::GetColPercentWidth(int Col, int TableWidth) const {
  int64_t w = 0;
  for (int r = 0; r < Count(); ++r) {
    const TRVTableCellData *c = Cell(r, Col);
    if (c && c->ColSpan < 2 && c->BestWidth < 0) w = std::max(w, -int64_t(c->BestWidth) * TableWidth / 100);
  }
  return static_cast<int>(std::clamp<int64_t>(w, 0, RVMaxCoord));
}

bool TRVTableRows::IsPercentCol(int Col) const {
  const int cols = GetColCount();
  for (int r = 0; r < Count(); ++r) {
    const TRVTableCellData *c = Cell(r, Col);
    if (c && c->ColSpan < 2) {
      if (c->BestWidth < 0) return true;
      continue;
    }
    int mr = 0, mc = 0;
    const TRVTableCellData *m = GetMainCell(r, Col, mr, mc);
    if (!m || m->BestWidth >= 0 || m->ColSpan < 2 || mr != r) continue;
    // The merged cell ends in this column.
    if (Col == cols - 1 || mc + m->ColSpan - 1 == Col) return true;
  }
  return false;
}

bool TRVTableRows::IsColumnWithoutOwnCell(int Col) const {
  for (int r = 0; r < Count(); ++r)
    if (Cell(r, Col)) return false;
  return true;
}

} // namespace kc
