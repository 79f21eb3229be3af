// The grid operations as cases: a grid, an operation, the grid after it
// (or the error it raises). A grid is written "RxC" and then its cells in
// row order, "r.c" for a cell of its own and "r.c:CSxRS" for a merged one.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "richtext/document/RVClasses.h"
#include "richtext/tables/RVTable.h"

namespace {

using kc::TRVTableRows;

struct Span {
  int Row, Col, RowSpan, ColSpan;
};

std::unique_ptr<kc::TRVTableItemInfo> Make(int Rows, int Cols, const std::vector<Span> &Spans) {
  auto t = std::make_unique<kc::TRVTableItemInfo>(Rows, Cols, nullptr);
  for (const Span &s : Spans) EXPECT_TRUE(t->Rows().ApplySpan(s.Row, s.Col, s.RowSpan, s.ColSpan));
  return t;
}

std::string Grid(const TRVTableRows &G) {
  std::string s = std::to_string(G.Count()) + "x" + std::to_string(G.GetColCount());
  for (int r = 0; r < G.Count(); ++r)
    for (int c = 0; c < G.GetColCount(); ++c)
      if (const kc::TRVTableCellData *cell = G.Cell(r, c)) {
        s += " " + std::to_string(r) + "." + std::to_string(c);
        if (cell->ColSpan != 1 || cell->RowSpan != 1)
          s += ":" + std::to_string(cell->ColSpan) + "x" + std::to_string(cell->RowSpan);
      }
  return s;
}

struct Case {
  const char *Name;
  int Rows, Cols;
  std::vector<Span> Spans;
  std::function<void(TRVTableRows &)> Op;
  const char *After; // the grid, or "error: MESSAGE"
};

TEST(RVTableGridOps, CasesGiveTheGridAfter) {
  const std::vector<Case> cases = {
      {"row inside a vertical merge",
       3,
       2,
       {{0, 0, 2, 1}},
       [](TRVTableRows &g) { g.InsertRows(1, 1, -1, false, nullptr); },
       "4x2 0.0:1x3 0.1 1.1 2.1 3.0 3.1"},
      {"row at the end below a vertical merge",
       2,
       2,
       {{0, 0, 2, 1}},
       [](TRVTableRows &g) { g.InsertRows(2, 1, -1, false, nullptr); },
       "3x2 0.0:1x2 0.1 1.1 2.0 2.1"},
      {"columns appended never widen",
       2,
       2,
       {{0, 0, 1, 2}},
       [](TRVTableRows &g) { g.InsertCols(2, 2, -1, false, nullptr); },
       "2x4 0.0:2x1 0.2 0.3 1.0 1.1 1.2 1.3"},
      {"columns inside a horizontal merge widen it",
       2,
       3,
       {{0, 0, 1, 2}},
       [](TRVTableRows &g) { g.InsertCols(1, 1, -1, false, nullptr); },
       "2x4 0.0:3x1 0.3 1.0 1.1 1.2 1.3"},
      {"copied column spans the source's rows",
       2,
       2,
       {{0, 0, 2, 1}},
       [](TRVTableRows &g) { g.InsertCols(1, 1, 0, false, nullptr); },
       "2x3 0.0:1x2 0.1:1x2 0.2 1.2"},
      {"copied row spans the source's columns",
       2,
       2,
       {{0, 0, 1, 2}},
       [](TRVTableRows &g) { g.InsertRows(1, 1, 0, false, nullptr); },
       "3x2 0.0:2x1 1.0:2x1 2.0 2.1"},
      {"top 2 rows of a 4-row span deleted",
       4,
       2,
       {{0, 0, 4, 1}},
       [](TRVTableRows &g) { g.DeleteRows(0, 2, false, nullptr); },
       "2x2 0.0:1x2 0.1 1.1"},
      {"rows from 1 to past the end",
       3,
       2,
       {},
       [](TRVTableRows &g) { g.DeleteRows(1, 8, false, nullptr); },
       "1x2 0.0 0.1"},
      {"more rows than there are from row 0",
       3,
       2,
       {},
       [](TRVTableRows &g) { g.DeleteRows(0, 4, false, nullptr); },
       "error: Invalid row or column index"},
      {"middle row of a vertical merge",
       3,
       2,
       {{0, 0, 3, 1}},
       [](TRVTableRows &g) { g.DeleteRows(1, 1, false, nullptr); },
       "2x2 0.0:1x2 0.1 1.1"},
      {"first column of a horizontal merge",
       2,
       3,
       {{0, 0, 1, 3}},
       [](TRVTableRows &g) { g.DeleteCols(0, 1, false, nullptr); },
       "2x2 0.0:2x1 1.0 1.1"},
      {"last columns", 2, 3, {}, [](TRVTableRows &g) { g.DeleteCols(1, 5, false, nullptr); }, "2x1 0.0 1.0"},
      {"merge of a column leaving it without a cell",
       1,
       2,
       {},
       [](TRVTableRows &g) { EXPECT_EQ(g.MergeCells(0, 0, 2, 1, false, true, nullptr), TRVTableRows::rvmrRefused); },
       "1x2 0.0 0.1"},
      {"the same merge allowed degenerate",
       1,
       2,
       {},
       [](TRVTableRows &g) { EXPECT_EQ(g.MergeCells(0, 0, 2, 1, true, true, nullptr), TRVTableRows::rvmrMerged); },
       "1x2 0.0:2x1"},
      {"merge cutting through a merged cell",
       2,
       3,
       {{0, 1, 1, 2}},
       [](TRVTableRows &g) { EXPECT_EQ(g.MergeCells(0, 0, 2, 1, true, true, nullptr), TRVTableRows::rvmrRefused); },
       "2x3 0.0 0.1:2x1 1.0 1.1 1.2"},
      {"merge starting on a covered slot",
       2,
       2,
       {{0, 0, 1, 2}},
       [](TRVTableRows &g) { EXPECT_EQ(g.MergeCells(0, 1, 1, 2, true, true, nullptr), TRVTableRows::rvmrNothing); },
       "2x2 0.0:2x1 1.0 1.1"},
      {"merge of one cell",
       2,
       2,
       {},
       [](TRVTableRows &g) { EXPECT_EQ(g.MergeCells(1, 1, 1, 1, false, true, nullptr), TRVTableRows::rvmrNothing); },
       "2x2 0.0 0.1 1.0 1.1"},
      {"merge fitted to the grid",
       3,
       3,
       {},
       [](TRVTableRows &g) { EXPECT_EQ(g.MergeCells(1, 1, 9, 1, true, true, nullptr), TRVTableRows::rvmrMerged); },
       "3x3 0.0 0.1 0.2 1.0 1.1:2x1 2.0 2.1 2.2"},
      {"merge at a negative row",
       2,
       2,
       {},
       [](TRVTableRows &g) { g.MergeCells(-1, 0, 2, 2, true, true, nullptr); },
       "error: Invalid row or column index"},
      {"merge of a rectangle with no room left",
       2,
       3,
       {},
       [](TRVTableRows &g) { g.MergeCells(0, 3, 1, 2, true, true, nullptr); },
       "error: Invalid row or column index"},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.Name);
    auto t = Make(k.Rows, k.Cols, k.Spans);
    std::string after;
    try {
      k.Op(t->Rows());
      after = Grid(t->Rows());
      std::string why;
      EXPECT_TRUE(t->Rows().Check(&why)) << why;
    } catch (const kc::ERichVistaError &e) {
      after = std::string("error: ") + e.what();
      EXPECT_EQ(Grid(t->Rows()), Grid(Make(k.Rows, k.Cols, k.Spans)->Rows())) << "changed before raising";
    }
    EXPECT_EQ(after, k.After);
  }
}

TEST(RVTableGridOps, SplitCellKeepsAttributesAndShareOfHeight) {
  auto t = Make(4, 2, {{0, 0, 4, 1}});
  kc::TRVTableCellData *c = t->Cells(0, 0);
  c->BestHeight = 100;
  c->Color = 0x123456;
  t->Rows().DeleteRows(0, 2, false, nullptr);
  ASSERT_NE(t->Cells(0, 0), nullptr);
  EXPECT_EQ(t->Cells(0, 0)->RowSpan, 2);
  EXPECT_EQ(t->Cells(0, 0)->BestHeight, 50);
  EXPECT_EQ(t->Cells(0, 0)->Color, 0x123456);
}

TEST(RVTableGridOps, CombinedBestWidthPrefersTheLargestPercentage) {
  auto t = Make(2, 2, {});
  t->Cells(0, 0)->BestWidth = -30;
  t->Cells(0, 1)->BestWidth = -40;
  t->Cells(1, 0)->BestWidth = 200;
  EXPECT_EQ(t->Rows().CombinedBestWidth(0, 0, 2, 2), -70);
  EXPECT_EQ(t->Rows().MergeCells(0, 0, 2, 2, true, true, nullptr), TRVTableRows::rvmrMerged);
  EXPECT_EQ(t->Cells(0, 0)->BestWidth, -70);
  // Pixels only: the widest row.
  auto p = Make(2, 2, {});
  p->Cells(0, 0)->BestWidth = 50;
  p->Cells(0, 1)->BestWidth = 60;
  p->Cells(1, 0)->BestWidth = 100;
  EXPECT_EQ(p->Rows().CombinedBestWidth(0, 0, 2, 2), 110);
}

TEST(RVTableGridOps, MergeMovesItemsToTheMainCellInRowOrder) {
  auto t = Make(2, 2, {});
  t->Cells(0, 0)->SetItemTextRaw(0, "a");
  t->Cells(0, 1)->SetItemTextRaw(0, "b");
  t->Cells(1, 0)->SetItemTextRaw(0, "c");
  t->Rows().MergeCells(0, 0, 2, 2, true, true, nullptr);
  const kc::TRVTableCellData *m = t->Cells(0, 0);
  ASSERT_EQ(m->GetItemCount(), 3);
  EXPECT_EQ(m->GetItemTextA(0), "a");
  EXPECT_EQ(m->GetItemTextA(1), "b");
  EXPECT_EQ(m->GetItemTextA(2), "c");
}

} // namespace
