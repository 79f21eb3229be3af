// A laid-out table under the mouse: borders, columns, rows and cells hit,
// the frame's cursors, rows and columns selected from the edges, cells
// selected by dragging, the neighbouring cells, and the place a point of a
// cell lands on.
#include <gtest/gtest.h>

#include "TableFixture.h"

using namespace kc;
using kctest::TableDoc;

namespace {

// 3 x 3 at 100 px: columns start at 2, 34, 67 (cells 30, 31, 31 wide), rows
// at 2, 16, 30 (cells 12 high); the table is 100 x 44.
struct Grid3 : ::testing::Test {
  TableDoc d{100};
  TRVTableItemInfo *t = d.add(TableDoc::make(d.doc.get(), {{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}}));
  void SetUp() override {
    d.format();
    ASSERT_EQ(kctest::list(t->FormattingInfo().ColStarts), (std::vector<int>{2, 34, 67}));
    ASSERT_EQ(kctest::list(t->FormattingInfo().RowStarts), (std::vector<int>{2, 16, 30}));
  }
  std::string selected() const {
    std::string s;
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) s += t->IsCellSelected(r, c) ? (t->Cells(r, c)->Selected ? 'x' : '?') : '.';
      s += r < 2 ? "/" : "";
    }
    return s;
  }
};

TEST_F(Grid3, BordersAreHitWithinTwoPixelsOfTheirCentre) {
  struct Case {
    int x, border, start, pos;
  };
  const Case cases[] = {{-1, -1, 0, 0}, {0, 0, -1, 1},  {3, 0, -1, 1},   {4, -1, 0, 0},   {31, 1, 2, 33},
                        {35, 1, 2, 33}, {36, -1, 0, 0}, {66, 2, 34, 66}, {98, 3, 67, 99}, {101, -1, 0, 0}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.x);
    int start = 0, pos = 0;
    EXPECT_EQ(t->GetColumnBorderAt(c.x, start, pos), c.border);
    if (c.border >= 0) {
      EXPECT_EQ(start, c.start);
      EXPECT_EQ(pos, c.pos);
    }
  }
  int start = 0, pos = 0;
  EXPECT_EQ(t->GetRowBorderAt(15, start, pos), 1);
  EXPECT_EQ(t->GetRowBorderAt(43, start, pos), 3);
}

TEST_F(Grid3, CellsAreHitInsideTheirRectangleOnly) {
  struct Case {
    int x, y;
    bool hit;
    int r, c;
  };
  const Case cases[] = {{5, 5, true, 0, 0},   {2, 5, false, 0, 0},   {33, 5, false, 0, 0}, {40, 20, true, 1, 1},
                        {95, 40, true, 2, 2}, {99, 43, false, 0, 0}, {5, 5, true, 0, 0},   {70, 3, true, 0, 2}};
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    int r = -1, col = -1;
    ASSERT_EQ(t->GetCellAt(c.x, c.y, r, col), c.hit);
    if (c.hit) {
      EXPECT_EQ(r, c.r);
      EXPECT_EQ(col, c.c);
    }
  }
  EXPECT_EQ(t->GetColAt(1), -1);
  EXPECT_EQ(t->GetColAt(40), 1);
  EXPECT_EQ(t->GetRowAt(33), 2);
}

TEST_F(Grid3, EdgesShowTheirCursorsAndSelectRowsAndColumns) {
  EXPECT_EQ(t->GetFrameCursor(1, 20), 104);
  EXPECT_EQ(t->GetFrameCursor(40, 1), 105);
  // Resizing needs an editor; a read-only table shows the arrow there.
  EXPECT_EQ(t->GetFrameCursor(33, 5), crArrow);
  t->MouseDown(rvmbLeft, TRVShift::Left, 1, 20);
  EXPECT_EQ(selected(), ".../xxx/...");
  t->MouseDown(rvmbLeft, TRVShift::Left, 40, 1);
  EXPECT_EQ(selected(), ".x./.x./.x.");
  // Without the options the edges select nothing.
  t->Deselect();
  t->Options.Exclude(rvtoRowSelect);
  t->MouseDown(rvmbLeft, TRVShift::Left, 1, 20);
  EXPECT_EQ(selected(), ".../.../...");
  EXPECT_EQ(t->GetFrameCursor(1, 20), crArrow);
}

TEST_F(Grid3, DraggingAcrossCellsSelectsTheirRectangle) {
  t->MouseDown(rvmbLeft, TRVShift::Left, 5, 5);
  EXPECT_TRUE(t->MouseSelecting);
  EXPECT_FALSE(t->HasCellSelection());
  t->MouseMove(TRVShift::Left, 40, 35); // cell (2,1)
  EXPECT_TRUE(t->HasCellSelection());
  EXPECT_EQ(selected(), "xx./xx./xx.");
  int top = 0, left = 0, rows = 0, cols = 0;
  ASSERT_TRUE(t->GetNormalizedSelectionBounds(top, left, rows, cols));
  EXPECT_EQ((std::vector<int>{top, left, rows, cols}), (std::vector<int>{0, 0, 3, 2}));
  t->MouseMove(TRVShift::Left, 5, 5); // back to (0,0)
  EXPECT_FALSE(t->HasCellSelection());
  EXPECT_EQ(selected(), ".../.../...");
  t->MouseUp(rvmbLeft, 0, 5, 5);
  EXPECT_FALSE(t->MouseSelecting);
  // A move without the button held changes nothing.
  t->MouseMove(0, 95, 40);
  EXPECT_FALSE(t->HasCellSelection());
}

TEST(TableMouseMerged, SelectionGrowsToWholeMergedCells) {
  TableDoc d(100);
  TRVTableItemInfo *t = d.add(TableDoc::make(d.doc.get(), {{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}}));
  ASSERT_TRUE(t->Rows().ApplySpan(1, 1, 2, 2));
  d.format();
  t->Select(0, 0, 1, 1); // (0,0) to (1,1), which covers down to (2,2)
  int top = 0, left = 0, rows = 0, cols = 0;
  ASSERT_TRUE(t->GetNormalizedSelectionBounds(top, left, rows, cols));
  EXPECT_EQ((std::vector<int>{top, left, rows, cols}), (std::vector<int>{0, 0, 3, 3}));
  EXPECT_TRUE(t->IsCellSelected(2, 2));
  // An anchor the grid no longer has abandons the selection.
  t->SelAnchorRow = 7;
  EXPECT_FALSE(t->GetNormalizedSelectionBounds(top, left, rows, cols));
  EXPECT_FALSE(t->HasCellSelection());
}

struct BeepHost : TRVFixedHost {
  using TRVFixedHost::TRVFixedHost;
  int beeps = 0;
  void Beep() override { ++beeps; }
};

TEST(TableNavigation, NeighbouringCellsInEachDirection) {
  RecordingCanvas canvas;
  TRVStyle style;
  BeepHost host(&canvas, 300, 300);
  host.Style = &style;
  TRichVistaRVData doc(&host);
  // r0: a [b  b]   r1: c d e
  auto table = TableDoc::make(&doc, {{"a", "b", ""}, {"c", "d", "e"}});
  ASSERT_TRUE(table->Rows().ApplySpan(0, 1, 1, 2));
  TRVTableItemInfo *t = table.get();
  doc.AddItem(std::string(), std::move(table));
  struct Case {
    int r, c, dir;
    bool found;
    int nr, nc;
  };
  using T = TRVTableItemInfo;
  const Case cases[] = {
      {0, 0, T::rvcdRight, true, 0, 1}, {0, 1, T::rvcdRight, true, 1, 0}, {1, 2, T::rvcdRight, false, 0, 0},
      {1, 0, T::rvcdLeft, true, 0, 1},  {0, 0, T::rvcdLeft, false, 0, 0}, {1, 2, T::rvcdUp, true, 0, 1},
      {0, 1, T::rvcdDown, true, 1, 1},  {1, 0, T::rvcdDown, false, 0, 0}, {0, 1, T::rvcdNext, true, 1, 0},
      {1, 0, T::rvcdPrev, true, 0, 1},  {1, 1, 4, false, 0, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.r << "," << c.c << " dir " << c.dir);
    int nr = -1, nc = -1;
    ASSERT_EQ(t->GetCellTo(c.r, c.c, true, nc, nr, c.dir), c.found);
    if (c.found) {
      EXPECT_EQ((std::pair{nr, nc}), (std::pair{c.nr, c.nc}));
    }
  }
  EXPECT_EQ(host.beeps, 0);
  int nr = 0, nc = 0;
  EXPECT_FALSE(t->GetCellTo(0, 0, false, nc, nr, T::rvcdPrev));
  EXPECT_FALSE(t->GetCellTo(1, 2, true, nc, nr, T::rvcdNext));
  EXPECT_EQ(host.beeps, 1);
}

TEST(TableHit, APointInACellNamesTheCellThenThePlaceInIt) {
  TableDoc d(100);
  d.para({"top"});
  auto outer = TableDoc::make(d.doc.get(), {{"aa", "bbb ccc"}});
  TRVTableCellData *cell = outer->Cells(0, 0);
  auto inner = TableDoc::make(cell, {{"x", "yy"}});
  inner->ParaNo = 0;
  cell->AddItem(std::string(), std::move(inner));
  d.add(std::move(outer));
  d.format();
  // The outer table sits below "top" (10 high); its cells start at (2, 2)
  // and their content one pixel of padding further.
  struct Case {
    int x, y;
    const char *hit;
  };
  const Case cases[] = {
      {15, 5, "0 2\n"},
      {3 + 15, 10 + 3 + 5, "1 cell 0 0\n0 2\n"},
      // The second cell starts at 61; "bbb ccc" wraps, "ccc" on its second line.
      {61 + 1 + 2, 10 + 2 + 1 + 15, "1 cell 0 1\n0 5\n"},
      // Inside the inner table's second cell.
      {3 + 25 + 5, 10 + 3 + 10 + 3 + 5, "1 cell 0 0\n1 cell 0 1\n0 1\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    EXPECT_EQ(RVDescribeHit(*d.doc, c.x, c.y), c.hit) << d.dump();
  }
}

} // namespace

namespace {

struct LinkHost : kc::TRVFixedHost {
  using TRVFixedHost::TRVFixedHost;
  std::vector<int> jumps;
  kc::TCursor cursor = 0;
  void DoJump(int Id) override { jumps.push_back(Id); }
  void SetControlCursor(kc::TCursor Cursor) override { cursor = Cursor; }
};

// The document passes the mouse to the table, the table to the cell under
// it: a link in a cell shows its cursor and is followed; text in a cell is
// selected by dragging inside it.
TEST(TableMouseInDocument, LinksInCellsReactAndTextInCellsIsSelected) {
  RecordingCanvas::Metrics m;
  m.charWidth = 10, m.ascent = 8, m.descent = 2;
  RecordingCanvas canvas(m);
  TRVStyle style;
  LinkHost host(&canvas, 100, 300);
  host.LeftMargin = host.RightMargin = host.TopMargin = host.BottomMargin = 0;
  host.Style = &style;
  TFontInfo *link = style.TextStyles().Add();
  link->Jump = true;
  const int linkStyle = style.TextStyles().Count() - 1;
  TRichVistaRVData doc(&host);
  doc.AddText("before", linkStyle, 0);
  auto table = TableDoc::make(&doc, {{"plain text", ""}});
  table->Cells(0, 1)->Items.Clear();
  table->Cells(0, 1)->AddText("go", linkStyle, 0);
  TRVTableItemInfo *t = table.get();
  doc.AddItem(std::string(), std::move(table));
  doc.ReformatAllForced(true);
  const TRVTableCellData *cell = t->Cells(0, 1);
  // The link's first character, in client coordinates (the table is below
  // the line "before").
  const int lx = cell->Left + 1 + 5, ly = 10 + cell->Top + 1 + 5;
  doc.MouseMove(0, lx, ly);
  EXPECT_EQ(host.cursor, crJump);
  doc.MouseDown(rvmbLeft, TRVShift::Left, lx, ly);
  doc.MouseUp(rvmbLeft, 0, lx, ly);
  // The link before the table is 0; the cell's is numbered after it.
  EXPECT_EQ(host.jumps, std::vector<int>{1});
  // A drag inside the first cell selects its text, not cells.
  TRVTableCellData *first = t->Cells(0, 0);
  const int y = 10 + first->Top + 1 + 5;
  doc.MouseDown(rvmbLeft, TRVShift::Left, first->Left + 1 + 1, y);
  doc.MouseMove(TRVShift::Left, first->Left + 1 + 38, y);
  doc.MouseUp(rvmbLeft, 0, first->Left + 1 + 38, y);
  EXPECT_FALSE(t->HasCellSelection());
  EXPECT_TRUE(first->SelectionExists());
  int si = 0, so = 0, ei = 0, eo = 0;
  first->GetSelectionBounds(si, so, ei, eo, true);
  EXPECT_EQ((std::vector<int>{so, eo}), (std::vector<int>{1, 5}));
  EXPECT_EQ(host.jumps.size(), 1u);
}

} // namespace
