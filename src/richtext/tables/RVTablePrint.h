#pragma once
// Printing a table: its printing record lays the table out for the printer,
// cuts it into page parts between rows (never inside rows joined by a
// merged cell), repeats the heading rows at the top of every part, and
// gives every cell with content a printable copy of its document.
#include <cstdint>
#include <memory>

#include "richtext/document/PtblRVData.h"
#include "richtext/document/RVMultiDrawItem.h"
#include "richtext/tables/RVTableLayout.h"

namespace kc {

class TRVTableItemInfo;
class TRVTableCellData;

// One page part: rows StartRow .. StartRow + RowCount - 1 (after the
// repeated heading rows), Height printer pixels high.
class TRVTablePrintPart : public TRVMultiDrawItemPart {
public:
  int32_t StartRow = 0;
  int32_t RowCount = 0;
};

// The printable copy of a cell's document.
class TCellPtblRVData : public TRectPtblRVData {
public:
  TCellPtblRVData(TRVTableCellData *Cell, TCustomPrintableRVData *Parent);
  TRVStyle *GetRVStyle() const override;
  TRVTableCellData *Cell() const { return FCell; }
  // The cell's effective colour, and whether it has none of its own.
  bool ColorIsNone = false;

private:
  TRVTableCellData *FCell;
};

class TRVTablePrintInfo : public TRVMultiDrawItemInfo {
public:
  // Copies for the cells are made on Parent (the printable document).
  TRVTablePrintInfo(TRVTableItemInfo &Table, TCustomPrintableRVData *Parent, const TRVScreenAndDevice &sad);

  TRVTableItemInfo &Table;
  TRVScreenAndDevice sad;
  TRVTableItemFormattingInfo Info{true};
  // Heading rows are printed at the top of every part.
  bool RepeatHeadings = false;

  // The heading rows repeated (0 when they are not).
  int Headings() const;
  TRVTablePrintPart *Part(int Index) const { return static_cast<TRVTablePrintPart *>(PartsList.Parts(Index)); }

  // Starts over with one part holding every row after the headings; false
  // when the table prints whole (no row splitting, or nothing but headings).
  bool BeginParts() override;
  // Whether the table can start on a page with Y printer pixels left: the
  // headings and the first block of rows that cannot be parted fit.
  bool CanBreakAt(int32_t Y) override;
  // Cuts the last part so that it fits into Y, before the first block of
  // rows joined by merged cells that does not fit; the rest becomes a new
  // part. False when the part has one block only or fits. ERichVistaError
  // "Internal printing error" when there is no part.
  bool BreakLastPartAt(int32_t Y) override;

  // The printed height of rows First .. First + Count - 1 with the headings.
  int64_t PartHeight(int First, int Count) const;
  // No merged cell reaches from above into row Row (a page may start there).
  bool CanBreakBefore(int Row) const;

private:
  int64_t PadY() const;
  // The first row of the block that holds Row, and the last.
  int BlockStart(int Row) const;
  int BlockEnd(int Row) const;
};

} // namespace kc
