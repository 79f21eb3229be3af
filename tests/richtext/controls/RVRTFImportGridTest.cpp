// RTF rows with their own cell boundaries become one rectangular grid:
// columns from the union of the boundaries, spans between a cell's edges,
// merges, and the boundaries that say nothing usable.
#include "richtext/controls/RVRTFImportGrid.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

using namespace kc;

namespace {

// A row written as "right,right,..." in pixels; "-" for a cell without a
// boundary, a suffix "h" or "v" for a cell merged into the one before or
// above, "H" or "V" for the first cell of such a merge.
TRVRTFGridRowIn row(const std::string &Spec) {
  TRVRTFGridRowIn r;
  size_t i = 0;
  while (i < Spec.size()) {
    size_t j = Spec.find(',', i);
    if (j == std::string::npos) j = Spec.size();
    std::string cell = Spec.substr(i, j - i);
    TRVRTFGridCellIn c;
    while (!cell.empty() && std::isalpha(uint8_t(cell.back()))) {
      const char m = cell.back();
      cell.pop_back();
      if (m == 'h') c.HMerge = 2;
      if (m == 'H') c.HMerge = 1;
      if (m == 'v') c.VMerge = 2;
      if (m == 'V') c.VMerge = 1;
    }
    if (cell != "-") {
      c.HasRight = true;
      c.Right = std::stoi(cell);
    }
    r.push_back(c);
    i = j + 1;
  }
  return r;
}

// The grid as "widths | cell cell ... / cell ..." where a cell is
// "row.col[xColSpan][yRowSpan]" and each input cell merged into another
// shows "->row.col".
std::string show(const TRVRTFGrid &g) {
  std::string s;
  for (int c = 0; c < g.Cols; ++c) s += (c ? "," : "") + std::to_string(g.ColWidths[size_t(c)]);
  s += " |";
  for (size_t r = 0; r < g.Places.size(); ++r) {
    if (r) s += " /";
    for (const TRVRTFGridPlace &p : g.Places[r]) {
      s += " ";
      if (!p.Main) {
        s += "->" + std::to_string(p.Row) + "." + std::to_string(p.Col);
        continue;
      }
      for (const TRVRTFGridCell &c : g.Cells)
        if (c.Row == p.Row && c.Col == p.Col) {
          s += std::to_string(c.Row) + "." + std::to_string(c.Col);
          if (c.ColSpan > 1) s += "x" + std::to_string(c.ColSpan);
          if (c.RowSpan > 1) s += "y" + std::to_string(c.RowSpan);
        }
    }
  }
  return s;
}

// Every slot covered exactly once, nothing reaching outside.
bool rectangular(const TRVRTFGrid &g) {
  std::vector<std::vector<int>> hits(g.Places.size(), std::vector<int>(size_t(g.Cols), 0));
  for (const TRVRTFGridCell &c : g.Cells)
    for (int r = c.Row; r < c.Row + c.RowSpan; ++r)
      for (int k = c.Col; k < c.Col + c.ColSpan; ++k) {
        if (r >= int(hits.size()) || k >= g.Cols) return false;
        ++hits[size_t(r)][size_t(k)];
      }
  for (const auto &r : hits)
    for (int h : r)
      if (h != 1) return false;
  return true;
}

struct GridCase {
  const char *name;
  std::vector<std::string> rows;
  std::string grid;
};

class RTFGrid : public ::testing::TestWithParam<GridCase> {};

TEST_P(RTFGrid, BuildsRectangularGrid) {
  const GridCase &k = GetParam();
  std::vector<TRVRTFGridRowIn> rows;
  for (const std::string &r : k.rows) rows.push_back(row(r));
  const TRVRTFGrid g = BuildRTFGrid(rows);
  EXPECT_EQ(show(g), k.grid);
  EXPECT_TRUE(rectangular(g));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RTFGrid,
    ::testing::Values(
        GridCase{"SameBoundaries", {"50,100", "50,100"}, "50,50 | 0.0 0.1 / 1.0 1.1"},
        // LibreOffice and Word write a horizontal merge as a row of fewer cells.
        GridCase{
            "BoundaryUnion", {"50,100,150", "100,150", "50,150"}, "50,50,50 | 0.0 0.1 0.2 / 1.0x2 1.2 / 2.0 2.1x2"},
        GridCase{"WithinAPixel", {"50,100", "51,100"}, "50,50 | 0.0 0.1 / 1.0 1.1"},
        GridCase{"ShortRowWidensLastCell", {"50,100,150", "50"}, "50,50,50 | 0.0 0.1 0.2 / 1.0x3"},
        // More cells than boundaries: the extra cell gets a column.
        GridCase{"CellPastLastBoundary", {"50,100", "50,100,-"}, "50,50,0 | 0.0 0.1x2 / 1.0 1.1 1.2"},
        // A boundary left of the one before is no boundary: the cell gets
        // a column of its own, of automatic width, never a negative one.
        GridCase{"NonIncreasingBoundary", {"50,100,150", "50,30,150"}, "50,0,50,50 | 0.0 0.1x2 0.3 / 1.0 1.1 1.2x2"},
        GridCase{"ZeroAndNegativeBoundaries", {"0,-10"}, "0,0 | 0.0 0.1"},
        GridCase{"WordHorizontalMerge", {"50H,100h,150", "50,100,150"}, "50,50,50 | 0.0x2 ->0.0 0.2 / 1.0 1.1 1.2"},
        GridCase{"WordVerticalMerge",
                 {"50V,100", "50v,100", "50v,100", "50,100"},
                 "50,50 | 0.0y3 0.1 / ->0.0 1.1 / ->0.0 2.1 / 3.0 3.1"},
        // A continuation under a cell of another width starts a cell.
        GridCase{"VerticalMergeOfOtherWidth", {"100V", "50v,100"}, "50,50 | 0.0x2 / 1.0 1.1"},
        GridCase{"VerticalMergeInFirstRow", {"50v,100"}, "50,50 | 0.0 0.1"},
        GridCase{"NoBoundariesAtAll", {"-,-", "-"}, "0,0 | 0.0 0.1 / 1.0x2"}),
    [](const ::testing::TestParamInfo<GridCase> &i) { return std::string(i.param.name); });

} // namespace

namespace {

// Rows that each bring boundaries of their own do not make a grid many
// times the cells they hold: the boundaries snap together more coarsely.
TEST(RTFGridLimits, ColumnsStayAFewTimesTheWidestRow) {
  std::vector<TRVRTFGridRowIn> rows;
  for (int r = 0; r < 500; ++r) rows.push_back(row(std::to_string(100 + 7 * r) + ",9000"));
  const TRVRTFGrid g = BuildRTFGrid(rows);
  EXPECT_LE(g.Cols, 8);
  EXPECT_GE(g.Cols, 2);
  EXPECT_TRUE(rectangular(g));
}

} // namespace
