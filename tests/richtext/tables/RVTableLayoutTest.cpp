// Table layout with fixed-pitch metrics: every character 10 pixels wide,
// lines 10 high, default table attributes (outer spacing 2, cell spacing 2,
// padding 1, no borders) unless a case sets them.
#include <gtest/gtest.h>

#include <functional>

#include "TableFixture.h"

using namespace kc;
using kctest::list;
using kctest::TableDoc;

namespace {

struct LayoutCase {
  const char *name;
  int docWidth;
  std::vector<std::vector<std::string>> texts;
  std::function<void(TRVTableItemInfo &)> setup;
  std::vector<int> colWidths;
  int tableWidth;
  std::vector<int> colStarts; // empty: not checked
};

class TableLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(TableLayout, ColumnsAsTheRulesSay) {
  const LayoutCase &c = GetParam();
  TableDoc d(c.docWidth);
  TRVTableItemInfo *t = d.add(TableDoc::make(d.doc.get(), c.texts));
  if (c.setup) c.setup(*t);
  d.format();
  const TRVTableItemFormattingInfo &f = t->FormattingInfo();
  EXPECT_EQ(list(f.ColWidths), c.colWidths);
  EXPECT_EQ(f.TableWidth, c.tableWidth);
  if (!c.colStarts.empty()) {
    EXPECT_EQ(list(f.ColStarts), c.colStarts);
  }
  // The table's draw line has the table's size.
  ASSERT_GT(d.doc->DrawLines.Count(), 0);
  EXPECT_EQ(d.doc->DrawLines.Items(0)->Width, c.tableWidth);
  EXPECT_EQ(d.doc->DrawLines.Items(0)->Height, f.TableHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TableLayout,
    ::testing::Values(
        // 86 pixels of room over three automatic columns: 18, 19, 19 more.
        LayoutCase{
            "SpareRoomInEqualSharesLastTakesTheRest", 100, {{"a", "a", "a"}}, nullptr, {28, 29, 29}, 100, {2, 34, 67}},
        LayoutCase{"TwoSixtyPercentColumnsShareOneToOne",
                   100,
                   {{"a", "a"}},
                   [](TRVTableItemInfo &t) { t.Cells(0, 0)->BestWidth = t.Cells(0, 1)->BestWidth = -60; },
                   {45, 45},
                   100,
                   {}},
        LayoutCase{"MinimumsBeyondTheDocumentWidenTheTable", 50, {{"=aaaaaa", "=aaaaaa"}}, nullptr, {60, 60}, 130, {}},
        LayoutCase{"PixelColumnsIgnoreTheDocumentWidth",
                   300,
                   {{"a", "a"}},
                   [](TRVTableItemInfo &t) {
                     t.Cells(0, 0)->BestWidth = 30;
                     t.Cells(0, 1)->BestWidth = 50;
                   },
                   {30, 50},
                   90,
                   {}},
        LayoutCase{"PixelColumnsIgnoreAWiderDocument",
                   500,
                   {{"a", "a"}},
                   [](TRVTableItemInfo &t) {
                     t.Cells(0, 0)->BestWidth = 30;
                     t.Cells(0, 1)->BestWidth = 50;
                   },
                   {30, 50},
                   90,
                   {}},
        // No automatic column: 110 spare pixels go 20:60.
        LayoutCase{"SpareRoomToPixelColumnsInProportion",
                   500,
                   {{"a", "a"}},
                   [](TRVTableItemInfo &t) {
                     t.BestWidth = 200;
                     t.Cells(0, 0)->BestWidth = 20;
                     t.Cells(0, 1)->BestWidth = 60;
                   },
                   {47, 143},
                   200,
                   {}},
        // A 100-pixel word over columns of 10, 30 and 10: the narrow ones are
        // raised to a common width first, the last pixel shared in proportion.
        LayoutCase{"MergedMinimumRaisesTheNarrowestColumnsFirst",
                   20,
                   {{"a", "=aaa", "a"}, {"=aaaaaaaaaa", "", ""}},
                   [](TRVTableItemInfo &t) { ASSERT_TRUE(t.Rows().ApplySpan(1, 0, 1, 3)); },
                   {31, 30, 31},
                   106,
                   {}},
        LayoutCase{"TablePercentOfTheDocument",
                   200,
                   {{"a", "a"}},
                   [](TRVTableItemInfo &t) { t.BestWidth = -50; },
                   {45, 45},
                   100,
                   {}}),
    [](const ::testing::TestParamInfo<LayoutCase> &i) { return std::string(i.param.name); });

// With 3 columns and 10 pixels of gaps (a printing ratio of 2/3 turns 15
// into 10) the gaps between column starts are 3, 3, then 4.
TEST(TableLayoutGaps, GapsSpreadWithLaterColumnsTakingTheRemainder) {
  TableDoc d(300);
  auto t = TableDoc::make(d.doc.get(), {{"a", "a", "a"}});
  t->CellHSpacing = 3;
  TRVTableItemFormattingInfo info(true);
  const TRVScreenAndDevice sad{96, 96, 64, 64};
  TRVTableLayout(*t, info, *d.canvas, &sad).FormatTable(200, true);
  const auto w = list(info.ColWidths), s = list(info.ColStarts);
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[1] - s[0] - w[0], 3);
  EXPECT_EQ(s[2] - s[1] - w[1], 3);
  EXPECT_EQ(info.TableWidth, 200);
}

TEST(TableLayoutRows, MergedRowsGrowInProportionAndEmptyRowsAreTen) {
  TableDoc d(100);
  TRVTableItemInfo *t = d.add(TableDoc::make(d.doc.get(), {{"a\na\na\na\na", "a"}, {"", "a"}, {"", ""}}));
  ASSERT_TRUE(t->Rows().ApplySpan(0, 0, 2, 1));
  // A cell without items has no height: its row takes 10.
  t->Cells(2, 0)->Items.Clear();
  t->Cells(2, 1)->Items.Clear();
  d.format();
  const TRVTableItemFormattingInfo &f = t->FormattingInfo();
  // The merged cell needs 52; the two rows of 10 make 26 with their gaps,
  // so each grows by 13.
  EXPECT_EQ(list(f.RowHeights), (std::vector<int>{23, 23, 10}));
  EXPECT_EQ(list(f.RowStarts), (std::vector<int>{2, 29, 56}));
  EXPECT_EQ(t->Cells(0, 0)->Height, 52);
  EXPECT_EQ(f.TableHeight, 2 * (3 + 2) + 2 * 2 + 23 + 23 + 10);
}

TEST(TableLayoutNesting, InnerTableTakesItsCellsWidthAndTheRowItsHeight) {
  TableDoc d(100);
  auto outer = TableDoc::make(d.doc.get(), {{"aa"}});
  TRVTableCellData *cell = outer->Cells(0, 0);
  auto inner = TableDoc::make(cell, {{"a", "a"}});
  inner->ParaNo = 0;
  cell->AddItem(std::string(), std::move(inner));
  d.add(std::move(outer));
  d.format();
  // The inner table: 6 of spacing and padding around a row of 10.
  EXPECT_EQ(d.dump(), "0 0 0 0 0 100 32 1\n"
                      "cell 0 0 1 1 2 2 96 28\n"
                      "  0 1 2 0 0 20 10 1\n"
                      "  1 0 0 0 10 94 16 1\n"
                      "  cell 0 0 1 1 2 2 44 12\n"
                      "    0 1 1 0 0 10 10 1\n"
                      "  cell 0 1 1 1 48 2 44 12\n"
                      "    0 1 1 0 0 10 10 1\n");
}

// A column whose width stays is not wrapped again when the document width
// changes; the others are.
TEST(TableLayoutRewrap, OnlyCellsWhoseWidthChangedAreWrappedAgain) {
  TableDoc d(600);
  TRVTableItemInfo *t = d.add(TableDoc::make(d.doc.get(), {{"aa bb cc", "aa bb cc"}}));
  t->Cells(0, 0)->BestWidth = 100;
  d.format();
  const TRVDrawLineInfo *keptLine = t->Cells(0, 0)->DrawLines.Items(0);
  const int otherWidth = t->Cells(0, 1)->Width;
  d.host->SetClientSize(700, 1000);
  d.doc->ReformatAll(false, false, true, 0, nullptr, false, false);
  EXPECT_EQ(t->Cells(0, 0)->DrawLines.Items(0), keptLine);
  EXPECT_EQ(t->Cells(0, 0)->Width, 102);
  EXPECT_EQ(t->Cells(0, 1)->Width, otherWidth + 100);
  EXPECT_EQ(t->Cells(0, 1)->FormattedWidth, t->Cells(0, 1)->GetWidth());
}

// Whatever the attributes, widths and heights stay non-negative and the
// layout finishes.
TEST(TableLayoutRobustness, ExtremeAttributesNeverGiveNegativeSizes) {
  const std::vector<std::function<void(TRVTableItemInfo &)>> setups = {
      [](TRVTableItemInfo &t) { t.CellHSpacing = t.CellVSpacing = -40; },
      [](TRVTableItemInfo &t) { t.CellPadding = 1 << 16; },
      [](TRVTableItemInfo &t) { t.BorderWidth = t.BorderHSpacing = t.CellBorderWidth = 1 << 16; },
      [](TRVTableItemInfo &t) { t.BestWidth = -100000; },
      [](TRVTableItemInfo &t) { t.BestWidth = INT32_MAX; },
      [](TRVTableItemInfo &t) {
        for (int c = 0; c < 3; ++c) t.Cells(0, c)->BestWidth = -1000;
      },
      [](TRVTableItemInfo &t) {
        t.Cells(0, 0)->BestWidth = INT32_MAX;
        t.Cells(0, 1)->BestWidth = INT32_MAX;
        t.Cells(1, 0)->BestHeight = INT32_MAX;
      },
      [](TRVTableItemInfo &t) {
        ASSERT_TRUE(t.Rows().ApplySpan(0, 0, 2, 3));
        t.Cells(0, 0)->BestWidth = -90;
      },
      [](TRVTableItemInfo &t) { t.CellPadding = 0, t.CellHSpacing = 0, t.BorderHSpacing = 0; },
  };
  for (size_t i = 0; i < setups.size(); ++i) {
    SCOPED_TRACE(i);
    TableDoc d(300);
    TRVTableItemInfo *t = d.add(TableDoc::make(d.doc.get(), {{"a", "bb", "c"}, {"dd", "e", ""}}));
    setups[i](*t);
    t->InvalidateLayout();
    d.format();
    const TRVTableItemFormattingInfo &f = t->FormattingInfo();
    EXPECT_GE(f.TableWidth, 0);
    EXPECT_GE(f.TableHeight, 0);
    for (int v : list(f.ColWidths)) EXPECT_GE(v, 0);
    for (int v : list(f.RowHeights)) EXPECT_GE(v, 0);
    for (int r = 0; r < t->RowCount(); ++r)
      for (int c = 0; c < t->ColCount(); ++c)
        if (const TRVTableCellData *cell = t->Cells(r, c)) {
          EXPECT_GE(cell->Width, 0);
          EXPECT_GE(cell->Height, 0);
        }
  }
}

TEST(TableLayoutEnsure, ATableNeverFormattedIsLaidOutOnRequest) {
  TableDoc d(300);
  TRVTableItemInfo *t = d.add(TableDoc::make(d.doc.get(), {{"a", "a"}}));
  ASSERT_EQ(t->FormattingInfo().TableWidth, 0);
  t->EnsureLayout(100);
  EXPECT_EQ(list(t->FormattingInfo().ColWidths), (std::vector<int>{45, 45}));
  EXPECT_EQ(t->Cells(0, 1)->Left, 51);
}

TEST(TableLayoutEmpty, AnEmptyGridIsItsBorderAndSpacing) {
  TableDoc d(300);
  auto t = std::make_unique<TRVTableItemInfo>(0, 0, d.doc.get());
  t->BorderWidth = 3;
  TRVTableItemInfo *p = d.add(std::move(t));
  d.format();
  EXPECT_EQ(p->FormattingInfo().TableWidth, 10);
  EXPECT_EQ(p->FormattingInfo().TableHeight, 10);
  EXPECT_EQ(p->GetMinWidth(nullptr, d.canvas.get(), d.doc.get()), 10);
}

} // namespace
