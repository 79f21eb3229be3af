#pragma once
// The rows of an RTF table as the reader ends them, turned into one
// rectangular grid. Word processors write each row with its own cell
// boundaries (a horizontal merge is often only a row with fewer, wider
// cells), so the columns are the union of every row's boundaries, and a cell
// spans the columns between its left and right edges.
#include <cstdint>
#include <vector>

namespace kc {

// One cell that a row ended, with what its definition says about its place.
struct TRVRTFGridCellIn {
  int32_t Right = 0;     // right edge in pixels from the row's left edge
  bool HasRight = false; // false: the row defined no boundary for this cell
  uint8_t HMerge = 0;    // 1 first of a horizontal merge, 2 merged into the cell before
  uint8_t VMerge = 0;    // 1 first of a vertical merge, 2 merged into the cell above
};

using TRVRTFGridRowIn = std::vector<TRVRTFGridCellIn>;

// Where one cell of the input went. A cell merged into another (Main false)
// hands its content to the cell at (Row, Col).
struct TRVRTFGridPlace {
  int Row = 0, Col = 0;
  bool Main = true;
  int Cell = 0; // index of the cell at (Row, Col) in TRVRTFGrid::Cells
};

// A cell of the grid at its main position.
struct TRVRTFGridCell {
  int Row = 0, Col = 0;
  int ColSpan = 1, RowSpan = 1;
  int32_t Width = 0; // pixels between its edges; 0 when an edge is unknown
};

struct TRVRTFGrid {
  int Cols = 0;
  // Pixels of each column; 0 for a column made for a cell without a usable
  // boundary (it takes an automatic width).
  std::vector<int32_t> ColWidths;
  std::vector<std::vector<TRVRTFGridPlace>> Places; // by input row and cell
  std::vector<TRVRTFGridCell> Cells;                // main cells, row by row
};

// Boundaries within a pixel of each other are one column edge. A boundary
// that does not lie right of the cell before it (or that a row lacks: more
// cells than boundaries) gets a column of automatic width of its own right
// after that cell. The last cell of a row ends at the last column. Every
// input row is a grid row (an empty one must not be given).
TRVRTFGrid BuildRTFGrid(const std::vector<TRVRTFGridRowIn> &Rows);

} // namespace kc
