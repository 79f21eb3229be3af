// A table printed on QImage pages: it is cut between rows, never inside
// rows joined by a merged cell, heading rows come again at the top of every
// page, and what follows the table lands below it.
#include <gtest/gtest.h>

#include <QImage>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/QtCanvas.h"
#include "richtext/document/PtblRVData.h"
#include "richtext/tables/RVTable.h"
#include "richtext/tables/RVTablePrint.h"

using namespace kc;

namespace {

struct Merge {
  int row, col, rowSpan, colSpan;
};

// Row r's cells are painted in a colour of their own, so that a page shows
// which rows it holds by the colours down its left column.
TColor RowColor(int Row) { return RGB(40 + Row * 6, 250 - Row * 5, 120); }
constexpr TColor kHeading = RGB(0xFF, 0xD0, 0x00);
constexpr TColor kAfter = RGB(0x30, 0x30, 0xC0);

struct PrintedTable {
  PrintedTable(int Rows, int Cols, const std::vector<Merge> &Merges, int Headings, bool RowsSplit, int PageHeight)
      : sourceHost(&measure, 400, 100000), pageImage(400, PageHeight, QImage::Format_RGB32),
        printerImage(1, 1, QImage::Format_RGB32), printer(&printerImage), host(&printer, 400, PageHeight) {
    setScreenPixelsPerInch(96);
    sourceHost.Style = &style;
    host.Style = &style;
    host.LeftMargin = host.RightMargin = host.TopMargin = host.BottomMargin = 0;
    TParaInfo *after = style.ParaStyles().Add();
    after->Background.Color = kAfter;
    afterPara = style.ParaStyles().Count() - 1;
    source = std::make_unique<TRichVistaRVData>(&sourceHost);
    source->AddText("Before", 0, 0);
    auto t = std::make_unique<TRVTableItemInfo>(Rows, Cols, source.get());
    table = t.get();
    table->HeadingRowCount = Headings;
    table->CellBorderWidth = 1;
    if (!RowsSplit) table->PrintOptions.Exclude(rvtoRowsSplit);
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c) {
        TRVTableCellData *cell = table->Cells(r, c);
        cell->Clear();
        cell->AddText("r" + std::to_string(r) + "c" + std::to_string(c), 0, 0);
        cell->Color = r < Headings ? kHeading : RowColor(r);
      }
    for (const Merge &m : Merges) EXPECT_TRUE(table->Rows().ApplySpan(m.row, m.col, m.rowSpan, m.colSpan));
    t->ParaNo = 0;
    source->AddItem("", std::move(t));
    source->AddText("After", 0, afterPara);
    source->ReformatAllForced(true);
    copy = std::make_unique<TCustomMainPtblRVData>(&host, source.get());
    copy->PrepareMargins();
    copy->ReformatAllForced(true);
    copy->FormatPages();
  }
  ~PrintedTable() { setScreenPixelsPerInch(0); }

  TRVTablePrintInfo *printInfo() const {
    for (int i = 0; i < copy->DrawLines.Count(); ++i)
      if (auto *p = dynamic_cast<TRVTablePrintInfo *>(copy->DrawLines[i])) return p;
    return nullptr;
  }

  // The colours down the left column of page PageNo (right of its text), as
  // runs.
  std::vector<std::pair<TColor, int>> Runs(int PageNo) {
    pageImage.fill(Qt::white);
    {
      QtCanvas c(&pageImage);
      copy->DrawPage(PageNo, c, false, false);
    }
    std::vector<std::pair<TColor, int>> runs;
    for (int y = 0; y < pageImage.height(); ++y) {
      const QRgb p = pageImage.pixel(100, y);
      const TColor col = RGB(qRed(p), qGreen(p), qBlue(p));
      if (!runs.empty() && runs.back().first == col) ++runs.back().second;
      else runs.push_back({col, 1});
    }
    return runs;
  }

  TRVStyle style;
  QtCanvas measure;
  TRVFixedHost sourceHost;
  QImage pageImage;
  // The canvas the copy is laid out on; pages are drawn on pageImage.
  QImage printerImage;
  QtCanvas printer;
  TRVPrintHost host;
  int afterPara = 0;
  std::unique_ptr<TRichVistaRVData> source;
  TRVTableItemInfo *table = nullptr;
  std::unique_ptr<TCustomMainPtblRVData> copy;
};

struct SplitCase {
  const char *name;
  int rows;
  std::vector<Merge> merges;
  int headings;
  bool rowsSplit;
  int pageHeight;
  bool headingsRepeat;
};

class TablePages : public ::testing::TestWithParam<SplitCase> {};

// Every row shows whole on exactly one page, in order; rows joined by a
// merged cell share a page; with repeated headings every page that holds
// table rows starts them with the heading colour.
TEST_P(TablePages, SplitBetweenRowsWithHeadings) {
  const SplitCase &c = GetParam();
  PrintedTable p(c.rows, 3, c.merges, c.headings, c.rowsSplit, c.pageHeight);
  TRVTablePrintInfo *info = p.printInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->RepeatHeadings, c.headingsRepeat);
  const int pages = p.copy->Pages.Count();
  if (!c.rowsSplit) {
    EXPECT_EQ(info->PartsList.Count(), 0);
  } else {
    EXPECT_GE(pages, 3);
  }

  // Which page each row is on, and its run length there.
  std::map<int, int> pageOfRow;
  std::map<int, int> heightOfRow;
  int lastRow = -1;
  bool afterSeen = false;
  for (int pg = 1; pg <= pages; ++pg) {
    const auto runs = p.Runs(pg);
    bool tableOnPage = false;
    bool headingFirst = false;
    for (const auto &[col, len] : runs) {
      if (col == kHeading) {
        if (!tableOnPage) headingFirst = true;
        tableOnPage = true;
        continue;
      }
      if (col == kAfter) {
        afterSeen = true;
        EXPECT_EQ(lastRow, c.rows - 1) << "text after the table drawn before its end, page " << pg;
        continue;
      }
      for (int r = c.headings; r < c.rows; ++r)
        if (col == RowColor(r)) {
          tableOnPage = true;
          EXPECT_FALSE(pageOfRow.count(r)) << "row " << r << " shows on pages " << pageOfRow[r] << " and " << pg;
          pageOfRow[r] = pg;
          heightOfRow[r] = len;
          EXPECT_GT(r, lastRow) << "rows out of order on page " << pg;
          lastRow = r;
        }
    }
    if (c.headingsRepeat && tableOnPage) {
      EXPECT_TRUE(headingFirst) << "page " << pg << " lacks the headings";
    }
    if (!c.headingsRepeat && pg > 1) {
      EXPECT_FALSE(headingFirst) << "page " << pg << " repeats headings";
    }
  }
  EXPECT_TRUE(afterSeen);
  // Rows under a merged cell of the left column show as that cell's colour.
  auto inLeftMerge = [&](int r, bool &main) {
    for (const Merge &m : c.merges)
      if (m.col == 0 && r >= m.row && r < m.row + m.rowSpan) {
        main = r == m.row;
        return true;
      }
    return false;
  };
  // Whole rows: a row cut by the page's edge would be lower than the others.
  const int rowHeight = heightOfRow[c.rows - 1];
  for (int r = c.headings; r < c.rows; ++r) {
    bool main = false;
    if (inLeftMerge(r, main) && !main) continue;
    ASSERT_TRUE(pageOfRow.count(r)) << "row " << r << " not printed";
    if (!main) {
      EXPECT_EQ(heightOfRow[r], rowHeight) << "row " << r;
    }
  }
  for (const Merge &m : c.merges) {
    if (m.col == 0 || m.row < c.headings) continue;
    for (int r = m.row + 1; r < m.row + m.rowSpan; ++r)
      EXPECT_EQ(pageOfRow[r], pageOfRow[m.row]) << "merged rows " << m.row << " and " << r << " parted";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tables, TablePages,
    ::testing::Values(
        SplitCase{"PlainRows", 30, {}, 0, true, 150, false},
        SplitCase{"MergedRowsStayTogether", 30, {{5, 1, 3, 1}, {11, 0, 4, 2}, {20, 2, 2, 1}}, 0, true, 150, false},
        SplitCase{"HeadingsRepeat", 30, {}, 2, true, 150, true},
        SplitCase{"HeadingsAndMerges", 30, {{6, 1, 3, 1}, {12, 0, 3, 1}}, 1, true, 150, true},
        // A heading cell reaching below the headings: they
        // cannot be repeated alone.
        SplitCase{"HeadingSpanningDownIsNotRepeated", 30, {{0, 2, 2, 1}}, 1, true, 150, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TablePages, WithoutRowSplittingTheTableIsWhole) {
  PrintedTable p(30, 3, {}, 0, false, 150);
  TRVTablePrintInfo *info = p.printInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_FALSE(info->BeginParts());
  EXPECT_EQ(info->PartsList.Count(), 0);
}

TEST(TablePages, SplittingWithoutPartsIsAnError) {
  PrintedTable p(4, 2, {}, 0, true, 1000);
  TRVTablePrintInfo *info = p.printInfo();
  ASSERT_NE(info, nullptr);
  info->PartsList.Clear();
  try {
    info->BreakLastPartAt(10);
    ADD_FAILURE() << "no error";
  } catch (const ERichVistaError &e) {
    EXPECT_STREQ(e.what(), "Internal printing error");
  }
}

} // namespace
