#pragma once
// Painting of a table from its model and layout: background, rules, the
// outer border, then each cell's colour, document and border, with the
// dotted grid lines an editor shows where a border is invisible. It reads
// the table and a formatting record and changes neither; the screen and a
// printed page part use the same painter with different records and rows.
#include <cstdint>

#include "platform/CanvasTypes.h"
#include "richtext/document/RVFuncs.h"
#include "richtext/document/RVItemTypes.h"
#include "richtext/document/RVStyle.h"
#include "richtext/tables/RVTableTypes.h"

namespace kc {

class TRVTableItemInfo;
class TRVTableItemFormattingInfo;
class TRVTableCellData;
class TRVStyle;

struct TRVTablePaintContext {
  int Left = 0, Top = 0; // the table's top-left on the canvas
  TRect Clip{};          // what needs painting, canvas coordinates
  TRVItemDrawStates State;
  uint8_t ColorMode = 0;
  bool Printing = false;
  const TRVScreenAndDevice *sad = nullptr; // printing ratio, nullptr on screen
  TRVStyle *Style = nullptr;
  // The colour under the table: the background of its outer border.
  TColor DocumentColor = clWindow;
  // Dotted lines where borders are invisible (a table in an editor).
  bool DrawGrid = false;
  // Rows painted: FirstRow .. FirstRow + RowCount - 1 (RowCount < 0: to the
  // last). HeadingRows rows from row 0 are painted first, and the rows of
  // the range follow right below them (a printed page part).
  int FirstRow = 0, RowCount = -1;
  int HeadingRows = 0;
  // Printing: the drawing of the cells' printable copies.
  bool Preview = false, Correction = false;
};

class TRVTablePainter {
public:
  TRVTablePainter(const TRVTableItemInfo &Table, const TRVTableItemFormattingInfo &Info);
  void Paint(TCanvas &Canvas, const TRVTablePaintContext &Context) const;

private:
  struct Pass;
  const TRVTableItemInfo &FTable;
  const TRVTableItemFormattingInfo &FInfo;
};

// The height of a table painted with the rows First .. First + Count - 1
// right after its Headings heading rows (a page part), in the record's
// device pixels; PadY is the scaled cell padding.
int64_t TablePartHeight(const TRVTableItemFormattingInfo &Info, int64_t PadY, int Headings, int First, int Count);

} // namespace kc
