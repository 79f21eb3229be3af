#pragma once
// Table layout: column widths, row heights and every cell's rectangle for a
// document width, kept in a formatting record, then each cell's document
// formatted to its cell's width. The screen layout writes the table's own
// record, a printing pass the record of its print object. All arithmetic
// is integer: integer division, multiply-then-divide in 64 bits, and no
// division by a zero sum.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/CanvasTypes.h"
#include "richtext/document/RVClasses.h"
#include "richtext/document/RVFuncs.h"

namespace kc {

class TRVTableItemInfo;
class TRVTableCellData;
class TCustomRVData;
class TRectPtblRVData;

class TRVTableItemFormattingInfo {
public:
  explicit TRVTableItemFormattingInfo(bool ForPrinting);
  ~TRVTableItemFormattingInfo();

  TRVIntegerList ColWidths;  // content width of each column (padding excluded)
  TRVIntegerList RowHeights; // content height of each row (padding excluded)
  TRVIntegerList ColStarts;  // left edge of each column, from the table's left
  TRVIntegerList RowStarts;  // top edge of each row, from the table's top
  int32_t TableWidth = 0;    // 0: not computed
  int32_t TableHeight = 0;
  // A printing record's copies of the cells, one slot per grid position
  // (row x column count + column), nullptr where none. The layout sets a
  // copy's Left and Width, formats it, then sets its Top and Height.
  bool ForPrinting = false;
  std::vector<std::unique_ptr<TRectPtblRVData>> PrintCells;
  TRectPtblRVData *PrintCell(int Row, int Col, int ColCount) const;

  void Clear();
  void ClearLists() { Clear(); }
};

// One layout pass over one table.
class TRVTableLayout {
public:
  // sad: the resolution ratio of a printing pass (its record is made for
  // printing), nullptr on screen.
  TRVTableLayout(TRVTableItemInfo &Table, TRVTableItemFormattingInfo &Info, TCanvas &Canvas,
                 const TRVScreenAndDevice *sad = nullptr);

  // Lays the table out for a document width (device pixels). Without Force
  // a table whose target width equals the record's width stays as it is.
  void FormatTable(int DocWidth, bool Force);

  // (columns - 1) x CellHSpacing + 2 x (BorderWidth + BorderHSpacing) +
  // columns x 2 x CellBorderWidth, scaled.
  int GetHorzExtra() const;
  // Every column has a cell of its own ending in it with a pixel width,
  // and no cell has a percentage.
  bool AllColumnsHaveFixedWidth() const;
  // The narrowest the table can be laid out (scaled).
  int GetMinWidth();

  int ScaleX(int64_t V) const;
  int ScaleY(int64_t V) const;

private:
  struct Work;
  // Column starts, the cells' left and width, and each cell's document
  // wrapped to its width (only when that width changed, unless forced).
  void AssignColumnPositions(Work &W, bool Force);
  // Row starts, the cells' top and height.
  void AssignRowPositions(Work &W);
  TRVTableItemInfo &FTable;
  TRVTableItemFormattingInfo &FInfo;
  TCanvas &FCanvas;
  const TRVScreenAndDevice *FSad;
};

} // namespace kc
