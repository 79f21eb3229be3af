// Tables written as RTF and HTML: the merge words of every slot, widths and
// nesting in RTF, the TABLE element's attributes in HTML, and RTF that our
// own import reads back to the same grid, spans, widths and texts.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <functional>
#include <random>
#include <string>

#include "richtext/controls/RVRTFImport.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVStyle.h"
#include "richtext/tables/RVTable.h"

using namespace kc;

namespace {

struct Host : TRVDataHost {};

struct Doc {
  TRVStyle st;
  Host host;
  TCustomRVData d;
  Doc() {
    host.Style = &st;
    d.SetHost(&host);
  }
  // A table of Rows x Cols cells holding "r.c", added to the document.
  TRVTableItemInfo &add(int Rows, int Cols, TCustomRVData *Into = nullptr) {
    TCustomRVData &into = Into ? *Into : d;
    auto t = std::make_unique<TRVTableItemInfo>(Rows, Cols, &into);
    TRVTableItemInfo &ref = *t;
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c) setText(*ref.Cells(r, c), std::to_string(r) + "." + std::to_string(c));
    std::string text;
    bool full = false;
    int list = -1, at = into.GetItemCount();
    std::unique_ptr<TCustomRVItemInfo> item = std::move(t);
    into.InsertItemAt(at, text, item, full, list);
    return ref;
  }
  static void setText(TRVTableCellData &Cell, const std::string &Text) {
    Cell.Clear();
    Cell.AddText(Text, 0, 0);
  }
  std::string rtf() {
    std::string s;
    ExportRtfToStream(d, s);
    return s;
  }
  std::string html(bool Css) {
    std::string s;
    ExportHtmlEx(d, s, "", "t", "img", TRVSaveOptions{}, clNone, Css);
    return s;
  }
};

// The cell words of each row: the text from one \trowd to the next, cut to
// the merge words, one "|" per \cellx.
std::string mergeWords(const std::string &Rtf) {
  std::string out;
  for (size_t p = Rtf.find("\\trowd"); p != std::string::npos; p = Rtf.find("\\trowd", p + 1)) {
    const std::string def = Rtf.substr(p, Rtf.find("\r\n", p) - p);
    std::string row;
    for (size_t q = 0; q < def.size(); ++q) {
      for (const char *w : {"\\clvmgf", "\\clvmrg", "\\clmgf", "\\clmrg"})
        if (def.compare(q, std::strlen(w), w) == 0 && !std::isalpha(uint8_t(def[q + std::strlen(w)])))
          row += std::string(w + 3) + " ";
      if (def.compare(q, 6, "\\cellx") == 0) row += "| ";
    }
    out += (out.empty() ? "" : "/ ") + row;
  }
  return out;
}

TEST(TableRTF, MergeWordsOfEverySlot) {
  {
    Doc doc;
    TRVTableItemInfo &t = doc.add(2, 2);
    ASSERT_TRUE(t.Rows().ApplySpan(0, 0, 1, 2));
    EXPECT_EQ(mergeWords(doc.rtf()), "mgf | mrg | / | | ");
  }
  {
    Doc doc;
    TRVTableItemInfo &t = doc.add(3, 3);
    ASSERT_TRUE(t.Rows().ApplySpan(0, 0, 2, 2));
    EXPECT_EQ(mergeWords(doc.rtf()), "vmgf mgf | mrg vmgf | | / vmrg mgf | vmrg mrg | | / | | | ");
  }
}

TEST(TableRTF, WidthsNestingAndCellMarks) {
  Doc doc;
  TRVTableItemInfo &t = doc.add(1, 2);
  t.BestWidth = -50;
  t.Cells(0, 0)->BestWidth = 120;
  t.Cells(0, 1)->BestWidth = -25;
  TRVTableItemInfo &inner = doc.add(1, 1, t.Cells(0, 1));
  (void)inner;
  const std::string s = doc.rtf();
  EXPECT_NE(s.find("\\trwWidth2500\\trftsWidth2"), std::string::npos);
  EXPECT_NE(s.find("\\richvistatbw-50"), std::string::npos);
  EXPECT_NE(s.find("\\clwWidth0\\richvistacbw120"), std::string::npos) << "pixel cell widths only when asked";
  EXPECT_NE(s.find("\\clwWidth1250\\clftsWidth2\\richvistacbw-25"), std::string::npos);
  EXPECT_NE(s.find("\\nestcell"), std::string::npos);
  EXPECT_NE(s.find("\\nestrow"), std::string::npos);
  EXPECT_NE(s.find("\\itap2"), std::string::npos);
  t.Options.Include(rvtoRTFSaveCellPixelBestWidth);
  EXPECT_NE(doc.rtf().find("\\clwWidth1800\\clftsWidth3\\richvistacbw120"), std::string::npos);
}

TEST(TableHTML, AttributesAndEmptyCells) {
  Doc doc;
  TRVTableItemInfo &t = doc.add(2, 2);
  ASSERT_TRUE(t.Rows().ApplySpan(0, 0, 1, 2));
  t.Cells(1, 1)->Clear();
  t.Cells(1, 1)->AddText("", 0, 0);
  t.BorderWidth = 0;
  t.CellBorderWidth = 1;
  for (bool css : {false, true}) {
    const std::string h = doc.html(css);
    EXPECT_NE(h.find("colspan=\"2\""), std::string::npos);
    EXPECT_EQ(h.find("colspan=\"1\""), std::string::npos);
    EXPECT_EQ(h.find("rowspan"), std::string::npos);
    EXPECT_NE(h.find("&nbsp;</TD>"), std::string::npos);
    EXPECT_EQ(h.find("<P><TABLE"), std::string::npos) << "a table is no paragraph's content";
    EXPECT_EQ(h.find("'{"), std::string::npos) << "style attributes hold CSS, not braces";
  }
  EXPECT_NE(doc.html(true).find("border-width: 0px"), std::string::npos);
}

// A random grid: cells merged at random, now and then a nested table, a
// width of either kind and a text in every cell.
void randomTable(Doc &doc, std::mt19937 &rng, TCustomRVData *into, int depth) {
  const int rows = 1 + int(rng() % 4), cols = 1 + int(rng() % 4);
  TRVTableItemInfo &t = doc.add(rows, cols, into);
  if (rng() % 3 == 0) t.BestWidth = rng() % 2 ? -int(10 + rng() % 90) : int(100 + rng() % 400);
  for (int k = 0; k < 3; ++k) {
    const int r = int(rng() % unsigned(rows)), c = int(rng() % unsigned(cols));
    t.Rows().ApplySpan(r, c, 1 + int(rng() % unsigned(rows - r)), 1 + int(rng() % unsigned(cols - c)));
  }
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      if (TRVTableCellData *cell = t.Cells(r, c)) {
        const unsigned kind = rng() % 3;
        cell->BestWidth = kind == 0 ? 0 : kind == 1 ? int(20 + rng() % 200) : -int(5 + rng() % 60);
        if (depth < 2 && rng() % 6 == 0) randomTable(doc, rng, cell, depth + 1);
      }
}

std::string shape(const TCustomRVData &D) {
  std::string s;
  for (int i = 0; i < D.GetItemCount(); ++i) {
    auto *t = dynamic_cast<const TRVTableItemInfo *>(D.GetItem(i));
    if (!t) {
      if (D.GetItem(i)->IsText()) s += D.GetItemTextRaw(i) + ";";
      continue;
    }
    s += "[w" + std::to_string(t->BestWidth);
    for (int r = 0; r < t->RowCount(); ++r) {
      s += "/";
      for (int c = 0; c < t->ColCount(); ++c)
        if (const TRVTableCellData *cell = t->Cells(r, c))
          s += "(" + std::to_string(c) + " " + std::to_string(cell->ColSpan) + "x" + std::to_string(cell->RowSpan) +
               " w" + std::to_string(cell->BestWidth) + " " + shape(*cell) + ")";
    }
    s += "]";
  }
  return s;
}

TEST(TableRTF, OurImportReadsOurTablesBack) {
  std::mt19937 rng(219);
  for (int round = 0; round < 60; ++round) {
    Doc doc;
    doc.d.AddText("before", 0, 0);
    randomTable(doc, rng, nullptr, 0);
    doc.d.AddText("after", 0, 0);
    const std::string rtf = doc.rtf();
    Doc back;
    TRVRTFReaderProperties p;
    ASSERT_EQ(ImportRTFIntoDocument(rtf, back.d, p), 0);
    EXPECT_EQ(shape(back.d), shape(doc.d)) << rtf;
  }
}

} // namespace
