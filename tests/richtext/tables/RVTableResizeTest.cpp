// Dragging a table's column and row borders: the sizes a release gives the
// cells (with and without Shift, the last column, rows, merged cells and
// percent columns), the drag limits, and the drag refused where a percent
// column has no room to be a percentage of.
#include <gtest/gtest.h>

#include "TableFixture.h"

using namespace kc;
using kctest::TableDoc;

namespace {

using Change = TRVTableItemInfo::TRVCellSizeChange;

} // namespace

namespace kc {
// Readable failures.
void PrintTo(const TRVTableItemInfo::TRVCellSizeChange &C, std::ostream *Os) {
  *Os << "(" << C.Row << "," << C.Col << (C.Height ? " height " : " width ") << C.Value << ")";
}
} // namespace kc

namespace {

// 3 x 3 at 100 px: columns start at 2, 34, 67 with content 28, 29, 29 wide;
// rows at 2, 16, 30 with content 10 high. Column border 1 is drawn at 33,
// row border 1 at 15, the right edge at 99.
struct Drag3 : ::testing::Test {
  TableDoc d{100};
  TRVTableItemInfo *t = d.add(TableDoc::make(d.doc.get(), {{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}}));
  void SetUp() override {
    t->State |= rvtsEditMode;
    d.format();
    ASSERT_EQ(kctest::list(t->FormattingInfo().ColWidths), (std::vector<int>{28, 29, 29}));
    ASSERT_EQ(kctest::list(t->FormattingInfo().RowHeights), (std::vector<int>{10, 10, 10}));
  }
  // Presses at (X, Y), moves to (X2, Y2) and reads what a release gives.
  std::vector<Change> drag(int X, int Y, int X2, int Y2, TRVShiftState Shift = 0) {
    std::vector<Change> changes;
    t->MouseDown(rvmbLeft, Shift, X, Y);
    EXPECT_TRUE(t->IsResizing());
    t->MouseMove(Shift | TRVShift::Left, X2, Y2);
    EXPECT_TRUE(t->GetResizeChanges(changes));
    t->EndResize();
    return changes;
  }
  static std::vector<Change> column(int Col, int Value, bool Height = false) {
    std::vector<Change> v;
    for (int r = 0; r < 3; ++r) v.push_back({Height ? Col : r, Height ? r : Col, Height, Value});
    return v;
  }
  static std::vector<Change> join(std::vector<Change> A, const std::vector<Change> &B) {
    A.insert(A.end(), B.begin(), B.end());
    return A;
  }
};

TEST_F(Drag3, ColumnAndRowBorders) {
  struct Case {
    const char *Name;
    int X, Y, X2, Y2;
    TRVShiftState Shift;
    std::vector<Change> Want;
  };
  const std::vector<Case> cases = {
      {"the right neighbour gives what the column takes", 33, 5, 43, 5, 0, join(column(0, 38), column(1, 19))},
      {"with Shift only the column left of the border", 33, 5, 43, 5, TRVShift::Shift, column(0, 38)},
      {"narrowed, the neighbour grows", 33, 5, 23, 5, 0, join(column(0, 18), column(1, 39))},
      {"the right edge sizes the last column", 99, 5, 109, 5, 0, column(2, 39)},
      {"the neighbour keeps a pixel", 33, 5, 250, 5, 0, join(column(0, 56), column(1, 1))},
      {"the column keeps a pixel", 33, 5, -50, 5, 0, join(column(0, 1), column(1, 56))},
      {"a row takes the height it is dragged to", 20, 15, 20, 25, 0, column(0, 20, true)},
      {"a row lower than its text", 20, 15, 20, 10, 0, column(0, 5, true)},
      {"a row dragged above its top asks for no height", 20, 15, 20, -40, 0, {}},
      {"a column line released where it was", 33, 5, 33, 5, 0, {}},
      {"a column line pressed beside its middle, released there", 34, 5, 34, 5, 0, {}},
      {"a row line released where it was", 20, 15, 20, 15, 0, {}},
      {"the right edge released where it was", 99, 5, 99, 5, 0, {}},
  };
  for (const Case &c : cases) EXPECT_EQ(drag(c.X, c.Y, c.X2, c.Y2, c.Shift), c.Want) << c.Name;
}

TEST_F(Drag3, ReleaseSetsTheSizesAndEndsTheDrag) {
  t->MouseDown(rvmbLeft, 0, 33, 5);
  EXPECT_EQ(t->ResizeLinePos(), 33);
  t->MouseMove(TRVShift::Left, 43, 40);
  EXPECT_EQ(t->ResizeLinePos(), 43);
  t->MouseUp(rvmbLeft, 0, 43, 40);
  EXPECT_FALSE(t->IsResizing());
  EXPECT_EQ(t->State & (rvtsResizingColumn | rvtsResizingShift), 0);
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(t->Cells(r, 0)->BestWidth, 38);
    EXPECT_EQ(t->Cells(r, 1)->BestWidth, 19);
    EXPECT_EQ(t->Cells(r, 2)->BestWidth, 0);
  }
  d.format();
  EXPECT_EQ(kctest::list(t->FormattingInfo().ColWidths)[0], 38);
}

TEST_F(Drag3, ReadOnlyTablesAreNotResized) {
  t->State &= ~rvtsEditMode;
  t->MouseDown(rvmbLeft, 0, 33, 5);
  EXPECT_FALSE(t->IsResizing());
  t->State |= rvtsEditMode;
  t->Options.Exclude(rvtoColSizing);
  t->MouseDown(rvmbLeft, 0, 33, 5);
  EXPECT_FALSE(t->IsResizing());
}

TEST_F(Drag3, MergedCellsEndingInTheColumn) {
  // Row 0's first two cells merged, 70 px; column 1 still has cells of its
  // own below, which take the width: the merged cell goes automatic.
  t->Rows().ApplySpan(0, 0, 1, 2);
  t->Cells(0, 0)->BestWidth = 70;
  d.format();
  std::vector<Change> changes;
  int start = 0, pos = 0;
  ASSERT_EQ(t->GetColumnBorderAt(66, start, pos), 2);
  t->MouseDown(rvmbLeft, TRVShift::Shift, 66, 20);
  t->MouseMove(TRVShift::Left, 76, 20);
  ASSERT_TRUE(t->GetResizeChanges(changes));
  t->EndResize();
  const int w = t->FormattingInfo().ColWidths[1] + 10;
  EXPECT_EQ(changes, (std::vector<Change>{{1, 1, false, w}, {2, 1, false, w}, {0, 0, false, 0}}));
}

TEST_F(Drag3, PercentColumns) {
  for (int r = 0; r < 3; ++r) t->Cells(r, 0)->BestWidth = -30;
  d.format();
  const TRVTableItemFormattingInfo &f = t->FormattingInfo();
  // The columns share the table width less its borders and spacing.
  const int room = f.TableWidth - (2 * t->CellHSpacing + 2 * t->BorderHSpacing);
  int start = 0, pos = 0;
  const int border = f.ColStarts[1] - 1;
  ASSERT_EQ(t->GetColumnBorderAt(border, start, pos), 1);
  std::vector<Change> changes;
  t->MouseDown(rvmbLeft, 0, border, 5);
  t->MouseMove(TRVShift::Left, border + 20, 5);
  ASSERT_TRUE(t->GetResizeChanges(changes));
  const int pct = -((border + 20 - f.ColStarts[0] - 1) * 100) / room;
  // A percent column never hands width to its neighbour.
  EXPECT_EQ(changes, column(0, pct));
  // A table with no width left for its columns has no percentage to give:
  // the release changes nothing.
  t->FormattingInfo().TableWidth = 2 * t->CellHSpacing + 2 * t->BorderHSpacing;
  EXPECT_FALSE(t->GetResizeChanges(changes));
  EXPECT_TRUE(changes.empty());
  t->MouseUp(rvmbLeft, 0, border + 20, 5);
  EXPECT_FALSE(t->IsResizing());
  for (int r = 0; r < 3; ++r) EXPECT_EQ(t->Cells(r, 0)->BestWidth, -30);
}

} // namespace
