// The printing record of a table: page parts cut between rows, heading rows
// repeated, and the printable copies of the cells.
#include "richtext/tables/RVTablePrint.h"

#include <algorithm>

#include "richtext/tables/RVTable.h"
#include "richtext/tables/RVTablePainter.h"

namespace kc {

// ---------------------------------------------------------------------------
// Cell copies

TCellPtblRVData::TCellPtblRVData(TRVTableCellData *Cell, TCustomPrintableRVData *Parent)
    : TRectPtblRVData(nullptr, Cell, Parent), FCell(Cell) {
  Color = Cell->GetEffectiveColor();
  ColorIsNone = Cell->Color == clNone;
}

TRVStyle *TCellPtblRVData::GetRVStyle() const { return FCell->GetRVStyle(); }

// ---------------------------------------------------------------------------
// The printing record

TRVTablePrintInfo::TRVTablePrintInfo(TRVTableItemInfo &ATable, TCustomPrintableRVData *Parent,
                                     const TRVScreenAndDevice &Asad)
    : Table(ATable), sad(Asad) {
  const int rows = Table.RowCount(), cols = Table.ColCount();
  Info.PrintCells.resize(size_t(rows) * size_t(cols));
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      TRVTableCellData *cell = Table.Cells(r, c);
      if (!cell || !Parent) continue;
      // A lone empty cell needs no copy: its colour and border are all
      // there is to print.
      if (cell->RowSpan <= 1 && cell->ColSpan <= 1 && !cell->HasData(true)) continue;
      Info.PrintCells[size_t(r) * size_t(cols) + size_t(c)] = std::make_unique<TCellPtblRVData>(cell, Parent);
    }
  const int headings = std::clamp(Table.HeadingRowCount, 0, rows);
  RepeatHeadings = headings > 0 && CanBreakBefore(headings);
}

int TRVTablePrintInfo::Headings() const {
  return RepeatHeadings ? std::clamp(Table.HeadingRowCount, 0, Table.RowCount()) : 0;
}

int64_t TRVTablePrintInfo::PadY() const { return MulDiv(Table.CellPadding, sad.ppiyDevice, sad.ppiyScreen); }

bool TRVTablePrintInfo::CanBreakBefore(int Row) const {
  const int rows = Table.RowCount(), cols = Table.ColCount();
  if (Row <= 0 || Row >= rows) return true;
  // A cell above that reaches into Row covers a slot of Row.
  for (int c = 0; c < cols; ++c) {
    if (Table.Cells(Row, c)) continue;
    int mr = -1, mc = -1;
    if (Table.Rows().GetMainCell(Row, c, mr, mc) && mr < Row) return false;
  }
  return true;
}

int TRVTablePrintInfo::BlockStart(int Row) const {
  while (Row > 0 && !CanBreakBefore(Row)) --Row;
  return Row;
}

int TRVTablePrintInfo::BlockEnd(int Row) const {
  const int rows = Table.RowCount();
  ++Row;
  while (Row < rows && !CanBreakBefore(Row)) ++Row;
  return Row - 1;
}

int64_t TRVTablePrintInfo::PartHeight(int First, int Count) const {
  return TablePartHeight(Info, PadY(), std::min(Headings(), First), First, Count);
}

bool TRVTablePrintInfo::BeginParts() {
  PartsList.Clear();
  const int rows = Table.RowCount();
  if (!Table.PrintOptions.Has(rvtoRowsSplit) || rows == 0) return false;
  const int headings = Headings();
  if (RepeatHeadings && headings >= rows) return false;
  auto part = std::make_unique<TRVTablePrintPart>();
  part->StartRow = headings;
  part->RowCount = rows - headings;
  part->Height = Info.TableHeight;
  PartsList.Add(std::move(part));
  return true;
}

bool TRVTablePrintInfo::CanBreakAt(int32_t Y) {
  const int rows = Table.RowCount();
  const int headings = Headings();
  if (rows == 0 || (RepeatHeadings && headings >= rows)) return false;
  // The table from its top down to the end of the first block after the
  // headings, and its bottom edge.
  const int end = BlockEnd(headings);
  return PartHeight(headings, end - headings + 1) <= Y;
}

bool TRVTablePrintInfo::BreakLastPartAt(int32_t Y) {
  if (PartsList.Count() == 0) throw ERichVistaError("Internal printing error");
  TRVTablePrintPart *last = Part(PartsList.Count() - 1);
  const int first = last->StartRow, count = last->RowCount, end = first + count;
  if (count <= 1 || last->Height <= Y) return false;
  // The first row that reaches below the room.
  int k = first;
  while (k < end && PartHeight(first, k - first + 1) <= Y) ++k;
  if (k >= end) return false;
  // Back to the start of its block; a block that begins the part goes whole
  // onto this page, so that every page takes at least one block.
  int next = BlockStart(k);
  if (next <= first) next = BlockEnd(first) + 1;
  if (next >= end) return false;
  last->RowCount = next - first;
  last->Height = RVSatAdd(PartHeight(first, last->RowCount), 0);
  auto rest = std::make_unique<TRVTablePrintPart>();
  rest->StartRow = next;
  rest->RowCount = end - next;
  rest->Height = RVSatAdd(PartHeight(next, rest->RowCount), 0);
  PartsList.Add(std::move(rest));
  return true;
}

} // namespace kc
