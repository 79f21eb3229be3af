// A table painted in a document on a QImage: grid lines in an editor only,
// cell colours falling back to the table's, the border event, a border far
// wider than its table, and a table with merged cells and borders compared
// with the stored picture (KC_UPDATE_RENDER=1 writes it anew).
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "platform/Files.h"
#include "platform/QtCanvas.h"
#include "richtext/document/CRVFData.h"
#include "richtext/tables/RVTable.h"
#include "richtext/tables/RVTableBorders.h"
#include "support/StoredPicture.h"

using namespace kc;

namespace {

TColor At(const QImage &img, int x, int y) {
  const QRgb p = img.pixel(x, y);
  return RGB(qRed(p), qGreen(p), qBlue(p));
}

// A document of one table (Rows x Cols, every cell holding "rRcC") laid out
// at Width and painted on a white image.
struct Painted {
  Painted(int Rows, int Cols, int Width, const std::function<void(TRVTableItemInfo &)> &Setup)
      : host(&measure, Width, 100000) {
    ResetSysColors();
    host.Style = &style;
    doc = std::make_unique<TRichVistaRVData>(&host);
    auto t = std::make_unique<TRVTableItemInfo>(Rows, Cols, doc.get());
    table = t.get();
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c) {
        TRVTableCellData *cell = table->Cells(r, c);
        cell->Clear();
        cell->AddText("r" + std::to_string(r) + "c" + std::to_string(c), 0, 0);
      }
    if (Setup) Setup(*table);
    t->ParaNo = 0;
    doc->AddItem("", std::move(t));
    doc->ReformatAllForced(true);
    paint(Width);
  }
  void paint(int Width) {
    // A picture of the document's top, however tall the document says it is.
    const int h = std::clamp(doc->DocumentHeight, 1, 400);
    image = QImage(Width, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QtCanvas canvas(&image);
    doc->PaintBackground(TRect{0, 0, Width, h}, canvas);
    doc->PaintVisibleLines(TRect{0, 0, Width, h}, canvas);
  }
  int countColor(TColor c) const {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) n += At(image, x, y) == c;
    return n;
  }

  TRVStyle style;
  QtCanvas measure;
  TRVFixedHost host;
  std::unique_ptr<TRichVistaRVData> doc;
  TRVTableItemInfo *table = nullptr;
  QImage image;
};

const TColor kBtnFace = ClassicSysColor(15);

struct GridCase {
  const char *name;
  bool inEditor;
  bool hideGridLines;
  bool eventSkips;
  bool gridShown;
};

class TableGridLines : public ::testing::TestWithParam<GridCase> {};

TEST_P(TableGridLines, OnlyInAnEditorUnlessHidden) {
  const GridCase &c = GetParam();
  int events = 0;
  Painted p(2, 2, 200, [&](TRVTableItemInfo &t) {
    t.CellBorderWidth = 0;
    t.Color = clWhite;
    if (c.inEditor) t.State |= rvtsEditMode;
    if (c.hideGridLines) t.Options.Include(rvtoHideGridLines);
    if (c.eventSkips)
      t.OnDrawBorder = [&](TRVTableItemInfo *, TCanvas &, int, int, int, int, int, TColor, TColor, TColor,
                           TRVTableBorderStyle, bool, const TRVBooleanRect *, int, int, bool &DoDefault) {
        ++events;
        DoDefault = false;
      };
  });
  // The four cells and the outer frame.
  if (c.eventSkips) {
    EXPECT_EQ(events, 5);
  }
  const int dots = p.countColor(kBtnFace);
  if (c.gridShown) {
    EXPECT_GT(dots, 40);
  } else {
    EXPECT_EQ(dots, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Tables, TableGridLines,
                         ::testing::Values(GridCase{"Editor", true, false, false, true},
                                           GridCase{"Viewer", false, false, false, false},
                                           GridCase{"EditorHidingThem", true, true, false, false},
                                           GridCase{"EventSkipsTheFrames", true, false, true, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(TablePaint, CellWithoutColourShowsTheTableColour) {
  const TColor tableColor = RGB(0xC0, 0xE0, 0xFF), own = RGB(0xFF, 0xC0, 0xC0);
  Painted p(1, 2, 200, [&](TRVTableItemInfo &t) {
    t.Color = tableColor;
    t.Cells(0, 1)->Color = own;
  });
  const TRVTableCellData *a = p.table->Cells(0, 0), *b = p.table->Cells(0, 1);
  const int y = a->Top + a->Height - 2;
  EXPECT_EQ(At(p.image, a->Left + a->Width - 3, y), tableColor);
  EXPECT_EQ(At(p.image, b->Left + b->Width - 3, y), own);
}

// The text of a selected cell is drawn in the selection's text colour on
// the selection colour, as selected text outside tables is, not in its
// own colour, which may not show on it.
TEST(TablePaint, SelectedCellsDrawTheirTextAsSelected) {
  struct Case {
    const char *Name;
    bool WholeTable;
  };
  const Case cases[] = {{"a cell of a selection of cells", false}, {"every cell of a selected table", true}};
  for (const Case &c : cases) {
    Painted p(1, 2, 200, nullptr);
    p.style.SelColor = p.style.InactiveSelColor = RGB(0, 0, 0x80);
    p.style.SelTextColor = p.style.InactiveSelTextColor = clWhite;
    if (c.WholeTable) {
      p.doc->SelectWholeDocument();
    } else {
      p.table->Select(0, 0, 0, 0);
      ASSERT_TRUE(p.table->IsCellSelected(0, 0)) << c.Name;
    }
    p.paint(200);
    // Pixels of the text's own colour, and of a colour far from both the
    // white and the background, in each cell.
    auto count = [&](const TRVTableCellData *Cell, const std::function<bool(QRgb)> &Pred) {
      int n = 0;
      for (int y = Cell->Top + 1; y < Cell->Top + Cell->Height - 1; ++y)
        for (int x = Cell->Left + 1; x < Cell->Left + Cell->Width - 1; ++x) n += Pred(p.image.pixel(x, y));
      return n;
    };
    auto black = [](QRgb px) { return qRed(px) < 40 && qGreen(px) < 40 && qBlue(px) < 40; };
    auto white = [](QRgb px) { return qRed(px) > 215 && qGreen(px) > 215 && qBlue(px) > 215; };
    const TRVTableCellData *a = p.table->Cells(0, 0), *b = p.table->Cells(0, 1);
    EXPECT_EQ(count(a, black), 0) << c.Name;
    EXPECT_GT(count(a, white), 0) << c.Name << ": the text shows in white";
    EXPECT_EQ(At(p.image, a->Left + a->Width - 3, a->Top + a->Height - 2), RGB(0, 0, 0x80)) << c.Name;
    if (!c.WholeTable) {
      EXPECT_GT(count(b, black), 0) << c.Name << ": a cell outside the selection keeps its text's colour";
    }
  }
}

// Rules run down the middle of the gaps between columns and across the
// gaps between rows, and outside the outer columns when asked.
TEST(TablePaint, RulesBetweenColumnsAndRows) {
  Painted p(3, 3, 300, [&](TRVTableItemInfo &t) {
    t.Color = clWhite;
    t.CellHSpacing = 6;
    t.CellVSpacing = 6;
    t.VRuleWidth = 2;
    t.VRuleColor = clRed;
    t.HRuleWidth = 3;
    t.HRuleColor = clBlue;
    t.VOutermostRule = true;
  });
  // Cells' places are inside the table, which starts at the margin (5).
  const TRVTableCellData *c00 = p.table->Cells(0, 0), *c01 = p.table->Cells(0, 1), *c10 = p.table->Cells(1, 0);
  // Across the middle of row 0: two rules between the columns and two
  // outermost ones, two pixels each.
  const int y = 5 + c00->Top + c00->Height / 2;
  int red = 0;
  for (int x = 0; x < p.image.width(); ++x) red += At(p.image, x, y) == clRed;
  EXPECT_EQ(red, 8);
  // Between columns 0 and 1, in the middle of their gap.
  const int gapMid = 5 + c01->Left - (6 + 1) / 2;
  EXPECT_EQ(At(p.image, gapMid, y), clRed);
  EXPECT_EQ(At(p.image, gapMid - 1, y), clRed);
  // Down the middle of column 0: the two rules between the rows, three
  // pixels each.
  const int x = 5 + c00->Left + c00->Width / 2;
  int blue = 0;
  for (int yy = 0; yy < p.image.height(); ++yy) blue += At(p.image, x, yy) == clBlue;
  EXPECT_EQ(blue, 6);
  EXPECT_EQ(At(p.image, x, 5 + c10->Top - (6 + 1) / 2), clBlue);
}

// Border widths from a damaged file: the frame fills the table once, and
// painting ends.
TEST(TablePaint, BordersWiderThanTheTable) {
  Painted p(2, 2, 120, [&](TRVTableItemInfo &t) {
    t.BorderWidth = 1 << 29;
    t.CellBorderWidth = 1 << 28;
    t.BorderStyle = rvtbColor;
    t.BorderColor = clRed;
  });
  // The table's numbers are far beyond the picture: the frame covers all
  // of the picture that the table covers.
  EXPECT_EQ(p.countColor(clRed), (120 - 5) * (400 - 5));
}

// ------------------------------------------------------------ stored picture

QImage RenderMergedTable() {
  TRVStyle style;
  TFontInfo *bold = style.TextStyles().Add();
  bold->Style = fsBold;
  const int boldNo = style.TextStyles().Count() - 1;
  QtCanvas measure;
  TRVFixedHost host(&measure, 320, 100000);
  host.Style = &style;
  TRichVistaRVData doc(&host);
  doc.AddText("Before the table.", 0, 0);
  auto t = std::make_unique<TRVTableItemInfo>(4, 3, &doc);
  TRVTableItemInfo &table = *t;
  const char *texts[4][3] = {{"Name", "Kind", "Notes"},
                             {"alpha", "merged down", "a cell with enough words to wrap in its column"},
                             {"beta", "", "short"},
                             {"gamma: merged across", "", ""}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) {
      TRVTableCellData *cell = table.Cells(r, c);
      cell->Clear();
      cell->AddText(texts[r][c], r == 0 ? boldNo : 0, 0);
    }
  table.Rows().ApplySpan(1, 1, 2, 1);
  table.Rows().ApplySpan(3, 0, 1, 3);
  table.BorderWidth = 3;
  table.BorderStyle = rvtbRaisedColor;
  table.BorderColor = RGB(0x40, 0x40, 0x40);
  table.BorderLightColor = RGB(0xD0, 0xD0, 0xD0);
  table.CellBorderWidth = 1;
  table.CellBorderStyle = rvtbColor;
  table.CellBorderColor = RGB(0x80, 0x80, 0x80);
  table.CellPadding = 3;
  table.Color = RGB(0xF8, 0xF8, 0xF0);
  for (int c = 0; c < 3; ++c) table.Cells(0, c)->Color = RGB(0xD8, 0xE8, 0xFF);
  table.Cells(1, 1)->Color = RGB(0xFF, 0xF0, 0xC0);
  table.Cells(1, 1)->VAlign = rvcMiddle;
  table.Cells(3, 0)->Color = RGB(0xE0, 0xFF, 0xE0);
  table.Cells(2, 2)->VisibleBorders.SetValues(true, true, false, false);
  table.HRuleWidth = 0;
  t->ParaNo = 0;
  doc.AddItem("", std::move(t));
  doc.AddText("After the table.", 0, 0);
  doc.ReformatAllForced(true);
  QImage img(320, doc.DocumentHeight, QImage::Format_RGB32);
  img.fill(Qt::white);
  QtCanvas canvas(&img);
  doc.PaintBackground(TRect{0, 0, 320, doc.DocumentHeight}, canvas);
  doc.PaintVisibleLines(TRect{0, 0, 320, doc.DocumentHeight}, canvas);
  return img;
}

TEST(TablePaint, MergedCellsAndBordersMatchTheStoredPicture) {
  ResetSysColors();
  kctest::ExpectMatchesStoredPicture(RenderMergedTable(), "tests/richtext/tables/data/table-merged.png");
}

} // namespace
