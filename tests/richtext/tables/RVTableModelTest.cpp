// The table model: the grid's covering cells, spans and invariants, cells'
// queries, the item's attributes, copies and text.
#include <gtest/gtest.h>

#include "TableFixture.h"
#include "richtext/tables/RVTableProps.h"

using namespace kc;
using kctest::TableDoc;

namespace {

std::string CellText(const TRVTableCellData *c) {
  std::string s;
  for (int i = 0; c && i < c->GetItemCount(); ++i) s += (i ? "|" : "") + c->GetItemTextRaw(i);
  return s;
}

// 3 x 3: (0,0) covers 2 x 2, (2,0) covers the last row.
struct MergedGrid : ::testing::Test {
  TableDoc d{300};
  TRVTableItemInfo *t = d.add(TableDoc::make(d.doc.get(), {{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}}));
  void SetUp() override {
    ASSERT_TRUE(t->Rows().ApplySpan(0, 0, 2, 2));
    ASSERT_TRUE(t->Rows().ApplySpan(2, 0, 1, 3));
  }
};

TEST_F(MergedGrid, EverySlotHasItsCoveringCell) {
  struct Case {
    int r, c, mr, mc;
  };
  const Case cases[] = {{0, 0, 0, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}, {0, 2, 0, 2},
                        {1, 2, 1, 2}, {2, 0, 2, 0}, {2, 1, 2, 0}, {2, 2, 2, 0}};
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.r << "," << c.c);
    int mr = -1, mc = -1;
    const TRVTableCellData *cell = t->Rows().GetMainCell(c.r, c.c, mr, mc);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell, t->Cells(c.mr, c.mc));
    EXPECT_EQ(mr, c.mr);
    EXPECT_EQ(mc, c.mc);
  }
  int mr = 0, mc = 0;
  EXPECT_EQ(t->Rows().GetMainCell(3, 0, mr, mc), nullptr);
  EXPECT_EQ(t->Rows().GetMainCell(0, -1, mr, mc), nullptr);
  std::string why;
  EXPECT_TRUE(t->Rows().Check(&why)) << why;
}

TEST_F(MergedGrid, MergingMovesTheOtherCellsItemsBehindTheMainCells) {
  EXPECT_EQ(CellText(t->Cells(0, 0)), "a|b|d|e");
  EXPECT_EQ(CellText(t->Cells(2, 0)), "g|h|i");
  EXPECT_EQ(t->Cells(0, 1), nullptr);
  EXPECT_EQ(t->Cells(2, 2), nullptr);
}

TEST_F(MergedGrid, RefusedSpansChangeNothing) {
  struct Case {
    const char *name;
    int r, c, rs, cs;
  };
  const Case cases[] = {
      {"covered slot", 1, 1, 1, 1},
      {"leaves the grid below", 1, 2, 3, 1},
      {"leaves the grid right", 0, 2, 1, 2},
      {"cuts a merged cell", 1, 2, 2, 1},
      {"takes part of a merged cell", 0, 2, 3, 1},
      {"zero span", 0, 2, 0, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(t->Rows().ApplySpan(c.r, c.c, c.rs, c.cs));
    EXPECT_TRUE(t->Rows().Check());
    EXPECT_EQ(CellText(t->Cells(1, 2)), "f");
  }
  // A rectangle of whole cells merges.
  EXPECT_TRUE(t->Rows().ApplySpan(0, 2, 2, 1));
  EXPECT_EQ(CellText(t->Cells(0, 2)), "c|f");
  EXPECT_TRUE(t->Rows().Check());
}

TEST(TableGridCheck, BrokenGridsAreNamed) {
  struct Case {
    const char *name;
    std::function<void(TRVTableRows &)> breakIt;
    const char *why;
  };
  const Case cases[] = {
      {"short row", [](TRVTableRows &g) { g.Items(1)->DeleteSlots(1, 1); }, "another number of slots"},
      {"uncovered slot", [](TRVTableRows &g) { g.Items(1)->Put(1, nullptr); }, "not covered"},
      {"cell under a span", [](TRVTableRows &g) { g.Cell(0, 0)->ColSpan = 2; }, "under a span"},
      {"span outside", [](TRVTableRows &g) { g.Cell(1, 1)->RowSpan = 2; }, "outside"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TableDoc d(300);
    auto t = TableDoc::make(d.doc.get(), {{"a", "b"}, {"c", "d"}});
    c.breakIt(t->Rows());
    std::string why;
    EXPECT_FALSE(t->Rows().Check(&why));
    EXPECT_NE(why.find(c.why), std::string::npos) << why;
  }
}

TEST(TableCell, HasDataAndAlignmentFollowTheirRules) {
  TableDoc d(300);
  TRVTableItemInfo *t = d.add(TableDoc::make(d.doc.get(), {{"", "x"}}));
  TRVTableCellData *empty = t->Cells(0, 0);
  EXPECT_FALSE(empty->HasData(true));
  EXPECT_FALSE(empty->HasData(false));
  EXPECT_TRUE(t->Cells(0, 1)->HasData(true));
  empty->GetItem(0)->StyleNo = 2;
  EXPECT_FALSE(empty->HasData(false));
  EXPECT_TRUE(empty->HasData(true));

  struct Case {
    TRVCellVAlign cell, row, real;
  };
  const Case cases[] = {{rvcVDefault, rvcVDefault, rvcMiddle},
                        {rvcVDefault, rvcBottom, rvcBottom},
                        {rvcVDefault, rvcTop, rvcTop},
                        {rvcBottom, rvcTop, rvcBottom}};
  for (const Case &c : cases) {
    empty->VAlign = c.cell;
    t->Rows().Items(0)->VAlign = c.row;
    EXPECT_EQ(empty->GetRealVAlign(), c.real);
  }
  EXPECT_EQ(TRVTableRow(nullptr, 1).VAlign, rvcTop);
}

TEST(TableCell, BackgroundPainterLivesOnlyWhileNeeded) {
  TableDoc d(300);
  auto t = TableDoc::make(d.doc.get(), {{"a"}});
  TRVTableCellData *c = t->Cells(0, 0);
  EXPECT_EQ(c->GetBackground(), nullptr);
  c->SetBackgroundStyle(rvbsTiled);
  EXPECT_NE(c->GetBackground(), nullptr);
  c->SetBackgroundStyle(rvbsColor);
  EXPECT_EQ(c->GetBackground(), nullptr);
}

TEST(TableCell, CellsNeverWrapToTheClientWidth) {
  TableDoc d(300);
  d.host->Options.Include(rvoClientTextWidth);
  TRVTableItemInfo *t = d.add(TableDoc::make(d.doc.get(), {{"a"}}));
  EXPECT_TRUE(d.doc->GetOptions().Has(rvoClientTextWidth));
  EXPECT_FALSE(t->Cells(0, 0)->GetOptions().Has(rvoClientTextWidth));
  int item = -2;
  void *where = nullptr;
  t->Cells(0, 0)->GetParentInfo(item, where);
  EXPECT_EQ(item, 0);
  ASSERT_NE(where, nullptr);
  EXPECT_EQ(static_cast<TRVTableStoreSubRVData *>(where)->Row, 0);
}

TEST(TableItem, NewTableHasTheDefaultAttributes) {
  TRVTableItemInfo t(nullptr);
  EXPECT_EQ(t.StyleNo, rvsTable);
  EXPECT_EQ(t.RowCount(), 1);
  EXPECT_EQ(t.ColCount(), 1);
  EXPECT_EQ(t.Options.Raw_(), 31);
  EXPECT_EQ(t.PrintOptions.Raw_(), 3);
  EXPECT_EQ(t.CellPadding, 1);
  EXPECT_EQ(t.CellHSpacing, 2);
  EXPECT_EQ(t.BorderVSpacing, 2);
  EXPECT_EQ(t.Color, clWindow);
  EXPECT_EQ(t.BorderStyle, rvtbRaised);
  EXPECT_EQ(t.CellBorderStyle, rvtbLowered);
  EXPECT_EQ(t.TextRowSeparator, "\r\n");
  // The property table's defaults are the constructor's.
  for (const TRVProp &p : RVTableProps().Rows) {
    SCOPED_TRACE(p.Name);
    if (p.Member.Get) {
      EXPECT_EQ(p.Member.Get(&t), p.Default);
    }
  }
  TRVTableCellData cell(nullptr);
  for (const TRVProp &p : RVTableCellProps().Rows) {
    SCOPED_TRACE(p.Name);
    if (p.Member.Get) {
      EXPECT_EQ(p.Member.Get(&cell), p.Default);
    }
  }
  EXPECT_EQ(cell.GetItemCount(), 1);
}

TEST(TableItem, AttributesAreSetByName) {
  TRVTableItemInfo t(nullptr);
  struct Case {
    const char *name;
    int value;
    bool known;
    int stored;
  };
  const Case cases[] = {{"CellPadding", 5, true, 5},      {"BorderStyle", 2, true, 2},
                        {"BorderStyle", 99, true, 4},     {"VOutermostRule", 7, true, 1},
                        {"CellVSpacing", -3, true, -3},   {"NoSuchProperty", 1, false, 0},
                        {"TextRowSeparator", 1, false, 0}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(t.SetIntPropertyByName(c.name, c.value), c.known);
    int v = 0;
    EXPECT_EQ(t.GetIntPropertyByName(c.name, v), c.known);
    if (c.known) {
      EXPECT_EQ(v, c.stored);
    }
  }
  TRVTableCellData cell(nullptr);
  EXPECT_TRUE(cell.SetIntPropertyByName("BestWidth", -40));
  EXPECT_EQ(cell.BestWidth, -40);
}

TEST(TableItem, CopiesAreDeepAndKeepTheGrid) {
  TableDoc d(300);
  TRVTableItemInfo *t = d.add(TableDoc::make(d.doc.get(), {{"a", "b"}, {"c", "d"}, {"e", "f"}}));
  ASSERT_TRUE(t->Rows().ApplySpan(0, 0, 2, 1));
  t->CellPadding = 4;
  t->TextColSeparator = "\t";
  t->Cells(2, 1)->Color = 0x123456;
  t->Cells(2, 1)->BestWidth = -25;
  t->Rows().Items(1)->VAlign = rvcBottom;
  std::unique_ptr<TCustomRVItemInfo> copy = CopyItem(*t, d.doc.get(), false);
  auto *c = dynamic_cast<TRVTableItemInfo *>(copy.get());
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(c->Rows().Check());
  EXPECT_EQ(c->CellPadding, 4);
  EXPECT_EQ(c->Cells(0, 0)->RowSpan, 2);
  EXPECT_EQ(c->Cells(1, 0), nullptr);
  EXPECT_EQ(c->Cells(2, 1)->Color, 0x123456);
  EXPECT_EQ(c->Cells(2, 1)->BestWidth, -25);
  EXPECT_EQ(c->Rows().Items(1)->VAlign, rvcBottom);
  EXPECT_NE(c->Cells(0, 0), t->Cells(0, 0));
  EXPECT_EQ(c->Cells(2, 1)->GetTable(), c);
  EXPECT_EQ(c->AsText(80, '-', d.doc.get(), "", "", false, false),
            t->AsText(80, '-', d.doc.get(), "", "", false, false));
  t->Cells(0, 1)->SetItemTextRaw(0, "changed");
  EXPECT_EQ(CellText(c->Cells(0, 1)), "b");
}

TEST(TableItem, TextIsTheCellsRowByRow) {
  TableDoc d(300);
  TRVTableItemInfo *t = d.add(TableDoc::make(d.doc.get(), {{"a", "b", "c"}, {"d", "e\nf", "g"}}));
  ASSERT_TRUE(t->Rows().ApplySpan(0, 1, 1, 2));
  t->TextColSeparator = "\t";
  t->TextRowSeparator = "\n";
  EXPECT_EQ(t->AsText(80, '-', d.doc.get(), "", "", false, false), "a\tb\r\nc\nd\te\r\nf\tg\n");
  // UTF-16 output converts the separators too.
  const std::string w = t->AsText(80, '-', d.doc.get(), "", "", false, true);
  EXPECT_EQ(w.substr(0, 4), std::string("a\0\t\0", 4));
}

TEST(TableItem, InsertingGivesEmptyCellsAnEmptyTextItem) {
  TableDoc d(300);
  auto t = TableDoc::make(d.doc.get(), {{"a", "b"}});
  t->Cells(0, 1)->Items.Clear();
  TRVTableItemInfo *p = d.add(std::move(t));
  ASSERT_EQ(p->Cells(0, 1)->GetItemCount(), 1);
  EXPECT_EQ(p->Cells(0, 1)->GetItemStyle(0), 0);
  EXPECT_TRUE(p->State & rvtsInserted);
  EXPECT_EQ(p->Rows().MainRVData, d.doc.get());
  // Nested documents are walked in row order, covered slots passed over.
  ASSERT_TRUE(p->Rows().ApplySpan(0, 0, 1, 2));
  int where = -1;
  EXPECT_EQ(p->GetSubRVData(where, rvdFirst), p->Cells(0, 0));
  EXPECT_EQ(p->GetSubRVData(where, rvdNext), nullptr);
  EXPECT_EQ(p->GetSubRVData(where, rvdLast), p->Cells(0, 0));
}

} // namespace
