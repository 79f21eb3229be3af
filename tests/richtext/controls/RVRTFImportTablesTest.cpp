// Tables of an RTF import: rows and cells in the order real files write
// them (and in orders they should not), merges, nesting, widths and the
// table's attributes. Whatever the events, no cell's text is lost.
#include "richtext/controls/RVRTFImport.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "richtext/document/CRVData.h"
#include "richtext/document/RVItem.h"
#include "richtext/document/RVStyle.h"
#include "richtext/tables/RVTable.h"

using namespace kc;

namespace {

struct Host : TRVDataHost {};

struct Doc {
  TRVStyle st;
  Host host;
  TCustomRVData d;
  TRVRTFReaderProperties p;
  Doc() {
    host.Style = &st;
    d.SetHost(&host);
  }
  int import(const std::string &body) {
    return ImportRTFIntoDocument("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}}" + body + "}", d, p);
  }
  const TRVTableItemInfo *table(int n = 0) const {
    for (int i = 0; i < d.GetItemCount(); ++i)
      if (auto *t = dynamic_cast<const TRVTableItemInfo *>(d.GetItem(i)); t && n-- == 0) return t;
    return nullptr;
  }
};

std::string dump(const TCustomRVData &D);

// "[cell | cell / cell]"; a merged cell is followed by {columns x rows}.
std::string dumpTable(const TRVTableItemInfo &T) {
  std::string s = "[";
  for (int r = 0; r < T.RowCount(); ++r) {
    if (r) s += " / ";
    bool first = true;
    for (int c = 0; c < T.ColCount(); ++c) {
      const TRVTableCellData *cell = T.Cells(r, c);
      if (!cell) continue;
      if (!first) s += " | ";
      first = false;
      s += dump(*cell);
      if (cell->ColSpan > 1 || cell->RowSpan > 1)
        s += "{" + std::to_string(cell->ColSpan) + "x" + std::to_string(cell->RowSpan) + "}";
    }
  }
  return s + "]";
}

// Paragraphs joined by "^"; tables as above.
std::string dump(const TCustomRVData &D) {
  std::string s;
  for (int i = 0; i < D.GetItemCount(); ++i) {
    if (i > 0 && D.IsParaStart(i)) s += "^";
    if (auto *t = dynamic_cast<const TRVTableItemInfo *>(D.GetItem(i))) s += dumpTable(*t);
    else if (D.GetItem(i)->IsText()) s += D.GetItemTextRaw(i);
  }
  return s;
}

struct ImportCase {
  const char *name;
  std::string body;
  std::string doc;
};

class RTFTableImport : public ::testing::TestWithParam<ImportCase> {};

TEST_P(RTFTableImport, BuildsTables) {
  Doc doc;
  ASSERT_EQ(doc.import(GetParam().body), 0);
  EXPECT_EQ(dump(doc.d), GetParam().doc);
  for (int i = 0; const TRVTableItemInfo *t = doc.table(i); ++i) {
    std::string why;
    EXPECT_TRUE(t->Rows().Check(&why)) << why;
  }
}

const char *kRow2 = "\\trowd\\cellx1000\\cellx2000";

INSTANTIATE_TEST_SUITE_P(
    Cases, RTFTableImport,
    ::testing::Values(
        ImportCase{"TwoCells", std::string(kRow2) + "\\intbl a\\cell b\\cell\\row\\pard after", "[a | b]^after"},
        ImportCase{"EmptyCell", std::string(kRow2) + "\\intbl\\cell b\\cell\\row", "[ | b]"},
        ImportCase{"ParagraphsInACell", std::string(kRow2) + "\\intbl a\\par b\\cell c\\cell\\row", "[a^b | c]"},
        // Real files end cells in paragraphs that never said \intbl.
        ImportCase{"CellOutsideIntbl", std::string(kRow2) + "\\intbl a\\cell\\pard b\\cell\\row\\pard after",
                   "[a | b]^after"},
        ImportCase{"NoRowDefinitionNoIntbl", "x\\cell y\\cell\\row\\pard after", "[x | y]^after"},
        // The paragraph's text went out before the cell end made it a cell.
        ImportCase{"TextGoneOutBeforeCellEnd", "before\\par x{\\b y}\\cell z\\cell\\row\\pard after",
                   "before^[xy | z]^after"},
        ImportCase{"RowAfterTableEnded", "\\trowd\\cellx1000\\intbl a\\cell\\row\\pard b\\cell\\row\\pard c",
                   "[a / b]^c"},
        ImportCase{
            "TablesApart",
            "\\trowd\\cellx1000\\intbl a\\cell\\row\\pard mid\\par\\trowd\\cellx1000\\intbl b\\cell\\row\\pard e",
            "[a]^mid^[b]^e"},
        // Rows left open at the end keep their text, in cells.
        ImportCase{"RowLeftOpen", "\\trowd\\cellx1000\\intbl a\\cell\\row\\intbl b\\cell c", "[a{2x1} / b | c]"},
        ImportCase{"IntblWithoutCellEnd", "\\intbl a\\par\\pard b", "a^b"},
        ImportCase{"RowEndOnly", "\\trowd\\cellx1000\\intbl a\\row", "[a]"},
        ImportCase{"CellxMerges",
                   "\\trowd\\cellx1000\\cellx2000\\cellx3000\\intbl a\\cell b\\cell c\\cell\\row"
                   "\\trowd\\cellx2000\\cellx3000\\intbl d\\cell e\\cell\\row"
                   "\\trowd\\cellx1000\\cellx3000\\intbl f\\cell g\\cell\\row",
                   "[a | b | c / d{2x1} | e / f | g{2x1}]"},
        ImportCase{"WordMerges",
                   "\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\clvmgf\\cellx3000\\intbl a\\cell b\\cell c\\cell\\row"
                   "\\trowd\\cellx1000\\cellx2000\\clvmrg\\cellx3000\\intbl d\\cell e\\cell kept\\cell\\row",
                   "[a^b{2x1} | c^kept{1x2} / d | e]"},
        ImportCase{"Nested",
                   "\\trowd\\cellx3000\\intbl\\itap1 x\\par\\intbl\\itap2 in\\nestcell"
                   "{\\*\\nesttableprops\\trowd\\itap2\\cellx1000\\nestrow}{\\nonesttables\\par}"
                   "\\pard\\intbl\\itap1 y\\cell\\row\\pard after",
                   "[x^[in]^y]^after"},
        // A nested cell end whose paragraph lost its depth is still nested.
        ImportCase{"NestedCellEndWithoutItap",
                   "\\trowd\\cellx3000\\intbl x\\par\\pard in\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000\\nestrow}"
                   "\\pard\\intbl y\\cell\\row",
                   "[x^[in]^y]"},
        // The nested row ends with the text; the outer table never had a
        // cell end, so its text stays paragraphs.
        ImportCase{"NestedLeftOpen", "\\trowd\\cellx3000\\intbl x\\par\\intbl\\itap2 in\\nestcell", "x^[in]"}),
    [](const ::testing::TestParamInfo<ImportCase> &i) { return std::string(i.param.name); });

TEST(RTFTableImportAttributes, WidthsHeadingsPaddingAndBorders) {
  Doc doc;
  ASSERT_EQ(doc.import("\\trowd\\trgaph108\\trhdr\\trpaddl75\\trpaddr75\\trpaddfl3\\trpaddfr3"
                       "\\clbrdrb\\brdrs\\brdrw15\\brdrcf0\\cellx1500\\clvertalc\\cellx4500"
                       "\\intbl h1\\cell h2\\cell\\row"
                       "\\trowd\\trwWidth2500\\trftsWidth2\\clwWidth1500\\clftsWidth2\\cellx1500\\cellx4500"
                       "\\intbl a\\cell b\\cell\\row"),
            0);
  const TRVTableItemInfo *t = doc.table();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->HeadingRowCount, 1);
  EXPECT_EQ(t->CellPadding, 5); // 75 twips
  // 1500 twips are 100 pixels; the padding on both sides is not the cell's.
  EXPECT_EQ(t->Cells(0, 0)->BestWidth, 90);
  EXPECT_EQ(t->Cells(0, 1)->BestWidth, 190);
  EXPECT_EQ(t->Cells(0, 1)->VAlign, rvcMiddle);
  EXPECT_EQ(t->Cells(1, 0)->BestWidth, -30);
  EXPECT_EQ(t->CellBorderWidth, 1);
  EXPECT_TRUE(t->Cells(0, 0)->VisibleBorders.Bottom);
  EXPECT_FALSE(t->Cells(0, 0)->VisibleBorders.Top);
  EXPECT_EQ(t->CellHSpacing, 0);
  EXPECT_EQ(t->BorderWidth, 0);
}

TEST(RTFTableImportAttributes, OwnWordsGiveExactWidths) {
  Doc doc;
  ASSERT_EQ(doc.import("\\trowd\\richvistatbw-50\\richvistacbw120\\richvistacbh30\\cellx1500"
                       "\\richvistacbw-40\\richvistacbh0\\cellx4500\\intbl a\\cell b\\cell\\row"),
            0);
  const TRVTableItemInfo *t = doc.table();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->BestWidth, -50);
  EXPECT_EQ(t->Cells(0, 0)->BestWidth, 120);
  EXPECT_EQ(t->Cells(0, 0)->BestHeight, 30);
  EXPECT_EQ(t->Cells(0, 1)->BestWidth, -40);
}

// Table words, paragraph words and text in any order: the import ends
// well, every grid is whole, and every word of text is somewhere.
TEST(RTFTableImportOrders, AnyOrderKeepsEveryWord) {
  const std::vector<std::string> words = {
      "\\cell ",  "\\row ",    "\\nestcell ", "\\nestrow ",
      "\\intbl ", "\\itap2 ",  "\\itap0 ",    "\\pard ",
      "\\par ",   "\\trowd ",  "\\cellx900 ", "\\cellx400 ",
      "\\clmrg ", "\\clvmrg ", "\\clvmgf ",   "{\\*\\nesttableprops\\trowd\\cellx700 ",
      "}",        "{\\b ",     "\\line "};
  std::mt19937 rng(30);
  for (int round = 0; round < 300; ++round) {
    std::string body;
    std::vector<std::string> put;
    int depth = 0;
    for (int k = 0; k < 40; ++k) {
      if (rng() % 3 == 0) {
        put.push_back("w" + std::to_string(round) + "x" + std::to_string(k));
        body += put.back() + " ";
        continue;
      }
      std::string w = words[rng() % words.size()];
      if (w == "}") {
        if (depth == 0) continue;
        --depth;
      } else if (w[0] == '{') {
        ++depth;
      }
      body += w;
    }
    body += std::string(size_t(depth), '}');
    Doc doc;
    ASSERT_EQ(doc.import(body), 0) << body;
    const std::string got = dump(doc.d);
    for (const std::string &w : put) EXPECT_NE(got.find(w + " "), std::string::npos) << w << " lost from " << body;
    std::function<void(const TCustomRVData &)> check = [&](const TCustomRVData &D) {
      for (int i = 0; i < D.GetItemCount(); ++i)
        if (auto *t = dynamic_cast<const TRVTableItemInfo *>(D.GetItem(i))) {
          std::string why;
          ASSERT_TRUE(t->Rows().Check(&why)) << why << " in " << body;
          for (int r = 0; r < t->RowCount(); ++r)
            for (int c = 0; c < t->ColCount(); ++c)
              if (const TRVTableCellData *cell = t->Cells(r, c)) check(*cell);
        }
    };
    check(doc.d);
  }
}

} // namespace
