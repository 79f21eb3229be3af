// Printable copies: page ranges and geometry, page numbers, drawing a page
// on a recording canvas and on a QImage page, and the copy inside a
// rectangle of a parent copy.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/QtCanvas.h"
#include "platform/RecordingCanvas.h"
#include "richtext/document/PtblRVData.h"
#include "richtext/document/RVBack.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVMultiDrawItem.h"
#include "support/CanvasLines.h"

using namespace kc;
using kctest::Lines;

namespace {

RecordingCanvas::Metrics Ppi(int ppi) {
  RecordingCanvas::Metrics m;
  m.ppiX = m.ppiY = ppi;
  return m;
}

// A source document of one-line paragraphs (each 14 units high on the
// recording canvases) and its printable copy on a printer canvas of the
// given resolution. No margins unless a test sets them.
struct PrintFixture {
  explicit PrintFixture(int PrinterPpi = 96, int PageWidth = 400, int PageHeight = 28)
      : screen(), printer(Ppi(PrinterPpi)), sourceHost(&screen, 400, 1000), host(&printer, PageWidth, PageHeight) {
    setScreenPixelsPerInch(96);
    sourceHost.Style = &style;
    host.Style = &style;
    host.LeftMargin = host.RightMargin = host.TopMargin = host.BottomMargin = 0;
    source = std::make_unique<TRichVistaRVData>(&sourceHost);
  }
  ~PrintFixture() { setScreenPixelsPerInch(0); }

  void paragraphs(const std::vector<std::string> &Texts, int StyleNo = 0, int ParaNo = 0) {
    for (const std::string &t : Texts) source->AddText(t, StyleNo, ParaNo);
  }
  // Makes the copy over the source's items and lays it out on the printer.
  TCustomMainPtblRVData &print() {
    copy = std::make_unique<TCustomMainPtblRVData>(&host, source.get());
    copy->PrepareMargins();
    copy->ReformatAllForced(true);
    return *copy;
  }
  // Pages of whole lines, each at most Height units: a line that would
  // reach below the page starts the next one.
  void paginate(int Height) {
    TRVPageCollection &pages = copy->Pages;
    pages.Clear();
    pages.Add();
    int pageStart = 0;
    for (int i = 0; i < copy->DrawLines.Count(); ++i) {
      const TRVDrawLineInfo *d = copy->DrawLines[i];
      if (!d->FromNewLine || int64_t(d->Top) + d->Height - pageStart <= Height || d->Top == pageStart) continue;
      TRVPageInfo *p = pages.Add();
      p->StartY = pageStart = d->Top;
      p->StartDrawItemNo = i;
    }
  }
  std::vector<std::string> texts() const { return Lines(printer, {"textOut"}); }

  TRVStyle style;
  RecordingCanvas screen, printer;
  TRVFixedHost sourceHost;
  TRVPrintHost host;
  std::unique_ptr<TRichVistaRVData> source;
  std::unique_ptr<TCustomMainPtblRVData> copy;
};

// ---------------------------------------------------------------- pages

TEST(PrintPages, AssignCopiesWhereThePageStarts) {
  TRVPageInfo a;
  a.StartY = 120;
  a.StartDrawItemNo = 7;
  a.StartPart = 3;
  TRVPageInfo b;
  b.Assign(a);
  EXPECT_EQ(b.StartY, 120);
  EXPECT_EQ(b.StartDrawItemNo, 7);
  // Without its part, the copied page would draw the split line's first part.
  EXPECT_EQ(b.StartPart, 3);
}

TEST(PrintPages, CollectionCountsFromOne) {
  TRVPageCollection pages;
  pages.Add()->StartY = 10;
  pages.Add()->StartY = 20;
  EXPECT_EQ(pages.Items(1)->StartY, 10);
  EXPECT_EQ(pages.Items(2)->StartY, 20);
  EXPECT_EQ(pages.Items(1)->StartPart, 1);
  EXPECT_THROW(pages.Items(0), EListError);
  EXPECT_THROW(pages.Items(3), EListError);
}

struct RangeCase {
  const char *name;
  std::vector<TRVPageInfo> pages; // StartY, StartDrawItemNo, StartPart
  int pageNo;
  int startNo, startPart, endNo;
};

class DrawItemsRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(DrawItemsRange, FromThePages) {
  const RangeCase &c = GetParam();
  PrintFixture f;
  TCustomMainPtblRVData &copy = f.print();
  for (int i = 0; i < 8; ++i) copy.DrawLines.Add(std::make_unique<TRVDrawLineInfo>(0, i * 10, 10, 10, i, true));
  for (const TRVPageInfo &p : c.pages) copy.Pages.Add()->Assign(p);
  int s = -9, sp = -9, e = -9;
  copy.GetDrawItemsRange(c.pageNo, s, sp, e);
  EXPECT_EQ(s, c.startNo);
  EXPECT_EQ(sp, c.startPart);
  EXPECT_EQ(e, c.endNo);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, DrawItemsRange,
    ::testing::Values(RangeCase{"FirstOfThree", {{0, 0, 1}, {30, 3, 1}, {50, 5, 1}}, 1, 0, 0, 2},
                      RangeCase{"Middle", {{0, 0, 1}, {30, 3, 1}, {50, 5, 1}}, 2, 3, 0, 4},
                      RangeCase{"LastRunsToTheLastLine", {{0, 0, 1}, {30, 3, 1}, {50, 5, 1}}, 3, 5, 0, 7},
                      RangeCase{"OnlyPage", {{0, 0, 1}}, 1, 0, 0, 7},
                      RangeCase{"BeforeASplitLineHoldsItsFirstPart", {{0, 0, 1}, {35, 3, 2}}, 1, 0, 0, 3},
                      RangeCase{"StartingWithALaterPart", {{0, 0, 1}, {35, 3, 2}, {45, 3, 3}}, 2, 3, 1, 3},
                      RangeCase{"AfterTheLastPart", {{0, 0, 1}, {35, 3, 2}, {45, 3, 3}}, 3, 3, 2, 7}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PrintPages, CopyWithoutPagesDrawsTheWholeDocument) {
  PrintFixture f;
  f.paragraphs({"a", "b", "c"});
  TCustomMainPtblRVData &copy = f.print();
  TRectPtblRVData rect(nullptr, f.source.get(), &copy);
  rect.ReformatAllForced(true);
  int s = -9, sp = -9, e = -9;
  rect.GetDrawItemsRange(1, s, sp, e);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(sp, -1);
  EXPECT_EQ(e, 2);
}

// Margins of 10 and 48 screen pixels print at 192 dots an inch as 20 and
// 96; the printer's canvas begins 5 units inside the paper; later pages
// start 7 units lower than the first.
TEST(PrintPages, PageTopAndBottomWithMarginsAndFirstPageShift) {
  PrintFixture f(192, 800, 300);
  f.host.TopMargin = 10;
  f.host.LeftMargin = 48;
  f.host.RightMargin = 24;
  f.host.PrintableAreaTop = -5;
  f.host.FirstPageShift = 7;
  TCustomMainPtblRVData &copy = f.print();
  EXPECT_EQ(copy.TmpTM, 20);
  EXPECT_EQ(copy.TmpLM, 96);
  EXPECT_EQ(copy.TmpRM, 48);
  EXPECT_EQ(copy.GetWidth(), 800 - 96 - 48);
  EXPECT_EQ(copy.GetTmpTop(), 20);
  EXPECT_EQ(copy.GetTmpLeft(), 96);
  copy.Pages.Add()->StartY = 0;
  copy.Pages.Add()->StartY = 300;
  copy.Pages.Add()->StartY = 600;
  copy.DocumentHeight = 800;
  EXPECT_EQ(copy.GetPageTop(1), 0 - 20 + 5);
  EXPECT_EQ(copy.GetPageBottom(1), 300 - 20 + 5);
  EXPECT_EQ(copy.GetPageTop(2), 300 - 20 + 5 - 7);
  EXPECT_EQ(copy.GetPageBottom(2), 600 - 20 + 5 - 7);
  EXPECT_EQ(copy.GetPageTop(3), 600 - 20 + 5 - 7);
  EXPECT_EQ(copy.GetPageBottom(3), 800 - 20 + 5 - 7);
}

struct FormatPagesCase {
  const char *name;
  int pageHeight;
  int breakBeforeItem; // -1: none
  std::vector<int> startLines;
};

class FormatPages : public ::testing::TestWithParam<FormatPagesCase> {};

// Six one-line paragraphs of 14 units: whole lines while they fit, a page
// break before an item starts a page, a line taller than the page gets one
// of its own.
TEST_P(FormatPages, WholeLinesPerPage) {
  const FormatPagesCase &c = GetParam();
  PrintFixture f(96, 400, c.pageHeight);
  f.paragraphs({"a", "b", "c", "d", "e", "f"});
  if (c.breakBeforeItem >= 0) f.source->GetItem(c.breakBeforeItem)->SetPageBreakBefore(true);
  TCustomMainPtblRVData &copy = f.print();
  copy.FormatPages();
  std::vector<int> starts;
  for (int p = 1; p <= copy.Pages.Count(); ++p) {
    starts.push_back(copy.Pages.Items(p)->StartDrawItemNo);
    EXPECT_EQ(copy.Pages.Items(p)->StartY, copy.DrawLines[copy.Pages.Items(p)->StartDrawItemNo]->Top);
  }
  EXPECT_EQ(starts, c.startLines);
}

INSTANTIATE_TEST_SUITE_P(Pages, FormatPages,
                         ::testing::Values(FormatPagesCase{"TwoLinesAPage", 28, -1, {0, 2, 4}},
                                           FormatPagesCase{"ThreeLinesAPage", 45, -1, {0, 3}},
                                           FormatPagesCase{"PageBreakBefore", 28, 3, {0, 2, 3, 5}},
                                           FormatPagesCase{"LinesTallerThanThePage", 10, -1, {0, 1, 2, 3, 4, 5}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PrintPages, CheckPageNo) {
  PrintFixture f;
  f.paragraphs({"a"});
  TCustomMainPtblRVData &copy = f.print();
  for (int i = 0; i < 3; ++i) copy.Pages.Add();
  for (int bad : {0, -1, 4}) {
    try {
      copy.CheckPageNo(bad);
      ADD_FAILURE() << bad << " accepted";
    } catch (const ERichVistaError &e) {
      EXPECT_STREQ(e.what(), "Invalid page number is specified for printing");
    }
    EXPECT_THROW(copy.DrawPage(bad, f.printer, false, false), ERichVistaError) << bad;
  }
  for (int good : {1, 2, 3}) EXPECT_NO_THROW(copy.CheckPageNo(good));
}

TEST(PrintPages, DrawingWithoutAStyleSheet) {
  PrintFixture f;
  f.paragraphs({"a"});
  TCustomMainPtblRVData &copy = f.print();
  copy.Pages.Add();
  f.host.Style = nullptr;
  try {
    copy.DrawPage(1, f.printer, false, false);
    ADD_FAILURE() << "drawn";
  } catch (const ERichVistaError &e) {
    EXPECT_STREQ(e.what(), "Style of printable TRichVista component is not assigned");
  }
}

// ------------------------------------------------------------ the copy

TEST(PrintCopy, ShowsTheSourceItemsAndLeavesThemAlone) {
  PrintFixture f;
  f.paragraphs({"one", "two"});
  f.source->ReformatAllForced(true);
  const int firstDrawLine = f.source->FirstDrawLineOfItem(1);
  TCustomRVItemInfo *item = f.source->GetItem(1);
  {
    TCustomMainPtblRVData &copy = f.print();
    ASSERT_EQ(copy.GetItemCount(), 2);
    EXPECT_EQ(copy.GetItem(1), item);
    EXPECT_TRUE(copy.SharesItems());
    copy.ClearFormatting();
    copy.Clear();
    EXPECT_EQ(copy.GetItemCount(), 2);
    f.copy.reset();
  }
  // Neither laying out, clearing nor freeing the copy touched the items.
  ASSERT_EQ(f.source->GetItemCount(), 2);
  EXPECT_EQ(f.source->GetItem(1), item);
  EXPECT_EQ(f.source->FirstDrawLineOf(item), firstDrawLine);
  EXPECT_EQ(f.source->GetItemTextRaw(1), "two");
}

// A break item that counts its freeing.
class CountedBreak : public TRVBreakItemInfo {
public:
  CountedBreak(TCustomRVData *Data, int &Freed) : TRVBreakItemInfo(Data, clNone, 0, 1), FFreed(Freed) {}
  ~CountedBreak() override { ++FFreed; }

private:
  int &FFreed;
};

TEST(PrintCopy, FreesTheItemsItWasGivenAndNoneOfTheSources) {
  PrintFixture f;
  int freed = 0;
  f.source->AddItem("", std::make_unique<CountedBreak>(f.source.get(), freed));
  TCustomMainPtblRVData &copy = f.print();
  copy.Items.Add("", std::make_unique<CountedBreak>(&copy, freed));
  copy.Items.Insert(0, "", std::make_unique<CountedBreak>(&copy, freed));
  copy.Items.Delete(0);
  EXPECT_EQ(freed, 1) << "the copy's own item, deleted";
  f.copy.reset();
  EXPECT_EQ(freed, 2) << "and the other one with the copy";
  EXPECT_EQ(f.source->GetItemCount(), 1);
  f.source.reset();
  EXPECT_EQ(freed, 3);
}

TEST(PrintCopy, ClearingDropsTheSelectionBoundsAndTheMarkers) {
  PrintFixture f;
  f.paragraphs({"a"});
  TCustomMainPtblRVData &copy = f.print();
  copy.PrintSelStart = 3;
  copy.PrintSelEnd = 5;
  ASSERT_NE(copy.GetMarkers(true), nullptr);
  copy.Clear();
  EXPECT_EQ(copy.PrintSelStart, -1);
  EXPECT_EQ(copy.PrintSelEnd, -1);
  EXPECT_EQ(copy.GetMarkers(false), nullptr);
}

TEST(PrintCopy, PicturesThatMaySplitGetPrintingRecords) {
  PrintFixture f(192);
  auto pic = std::make_unique<TRVGraphicItemInfo>(
      f.source.get(), std::make_unique<TBitmap>(QImage(40, 100, QImage::Format_RGB32)), rvvaBaseline);
  pic->MinHeightOnPage = 10;
  f.source->AddItem("", std::move(pic));
  f.source->ReformatAllForced(true);
  EXPECT_EQ(dynamic_cast<TRVMultiDrawItemInfo *>(f.source->DrawLines[0]), nullptr);
  TCustomMainPtblRVData &copy = f.print();
  auto *multi = dynamic_cast<TRVMultiImagePrintInfo *>(copy.DrawLines[0]);
  ASSERT_NE(multi, nullptr);
  EXPECT_EQ(multi->Height, 2 * 102);
}

TEST(PrintCopy, LayingOutLeavesTheSourcesControlsAlone) {
  PrintFixture f(300, 2000, 2000);
  auto *widget = new QWidget;
  widget->resize(60, 20);
  auto control = std::make_unique<TRVControlItemInfo>(f.source.get(), widget, rvvaBaseline);
  control->PercentWidth = 50;
  f.source->AddItem("", std::move(control));
  const QPoint at = widget->pos();
  f.print();
  // A view's layout would make it half the printer page wide and move it.
  EXPECT_EQ(widget->width(), 60);
  EXPECT_EQ(widget->pos(), at);
  EXPECT_EQ(f.copy->DrawLines.Count(), 1);
}

// ------------------------------------------------------------ drawing

TEST(PrintDraw, APageDrawsItsLinesAndNothingOfOtherPages) {
  PrintFixture f;
  f.host.TopMargin = 10;
  f.host.LeftMargin = 20;
  f.paragraphs({"p1", "p2", "p3", "p4", "p5", "p6"});
  TCustomMainPtblRVData &copy = f.print();
  f.paginate(28);
  ASSERT_EQ(copy.Pages.Count(), 3);
  f.printer.clearLog();
  copy.DrawPage(2, f.printer, false, false);
  EXPECT_EQ(f.texts(), (std::vector<std::string>{"textOut(20,10,\"p3\")", "textOut(20,24,\"p4\")"}));
  f.printer.clearLog();
  copy.DrawPage(3, f.printer, false, false);
  EXPECT_EQ(f.texts(), (std::vector<std::string>{"textOut(20,10,\"p5\")", "textOut(20,24,\"p6\")"}));
  EXPECT_EQ(copy.CurrentPage, 3);
  // The canvas is given back as it was.
  EXPECT_EQ(Lines(f.printer, {"saveDC", "restoreDC"}), (std::vector<std::string>{"saveDC()", "restoreDC(1)"}));
}

// The paragraph background of a paragraph split over two pages is cut to
// each page's lines.
TEST(PrintDraw, ParagraphBackgroundIsCutToThePage) {
  PrintFixture f(96, 100, 28);
  TParaInfo *boxed = f.style.ParaStyles().Add();
  boxed->Background.Color = clYellow;
  const int boxedNo = f.style.ParaStyles().Count() - 1;
  f.paragraphs({"aaaa bbbb cccc dddd"}, 0, boxedNo);
  f.host.Color = clNone;
  f.style.Color = clNone;
  TCustomMainPtblRVData &copy = f.print();
  // 100 units at 7 a character: three words on the first line, one on the
  // second.
  f.paginate(14);
  ASSERT_EQ(copy.Pages.Count(), 2);
  f.printer.clearLog();
  copy.DrawPage(2, f.printer, false, false);
  const std::vector<std::string> fills = Lines(f.printer, {"fillRect", "setBrush(#FFFF00"});
  ASSERT_FALSE(fills.empty());
  EXPECT_EQ(fills[0], "setBrush(#FFFF00,style0)");
  EXPECT_EQ(fills[1], "fillRect(0,0,101,15)");
}

// At the screen's resolution a page draws a paragraph's background and
// border exactly where the screen does.
TEST(PrintDraw, ParagraphBoxLandsWhereTheScreenDrawsIt) {
  PrintFixture f(96, 400, 100);
  f.sourceHost.LeftMargin = f.sourceHost.RightMargin = f.sourceHost.TopMargin = f.sourceHost.BottomMargin = 0;
  TParaInfo *boxed = f.style.ParaStyles().Add();
  boxed->Background.Color = clYellow;
  boxed->Background.BorderOffsets.SetAll(2);
  boxed->Border.Style = rvbDouble;
  boxed->Border.Width = 2;
  boxed->Border.Color = clRed;
  boxed->Border.BorderOffsets.SetAll(3);
  boxed->LeftIndent = 10;
  boxed->FirstIndent = -4;
  boxed->RightIndent = 20;
  f.paragraphs({"aaaa bbbb"}, 0, f.style.ParaStyles().Count() - 1);
  f.paragraphs({"plain"});
  f.host.Color = clNone;
  f.style.Color = clNone;
  f.source->ReformatAllForced(true);
  TCustomMainPtblRVData &copy = f.print();
  copy.ColorMode = 0;
  f.paginate(100);
  f.screen.clearLog();
  f.source->PaintVisibleLines(TRect{0, 0, 400, 100}, f.screen);
  f.printer.clearLog();
  copy.DrawPage(1, f.printer, false, false);
  const std::vector<std::string> screenBox = Lines(f.screen, {"fillRect", "moveTo", "lineTo"});
  ASSERT_GE(screenBox.size(), 17u) << "a fill and two frames of four sides";
  EXPECT_EQ(Lines(f.printer, {"fillRect", "moveTo", "lineTo"}), screenBox);
}

struct ColorModeCase {
  const char *name;
  uint8_t mode;
  TColor color;
  const char *brush;
};

class PageBackground : public ::testing::TestWithParam<ColorModeCase> {};

TEST_P(PageBackground, ColourModes) {
  const ColorModeCase &c = GetParam();
  PrintFixture f(96, 300, 200);
  f.host.Color = c.color;
  f.host.PrintableAreaLeft = -3;
  f.host.PrintableAreaTop = -4;
  f.paragraphs({"a"});
  TCustomMainPtblRVData &copy = f.print();
  copy.ColorMode = c.mode;
  copy.Pages.Add();
  f.printer.clearLog();
  copy.DrawPage(1, f.printer, false, false);
  const std::vector<std::string> l = Lines(f.printer, {"setBrush", "fillRect"});
  ASSERT_GE(l.size(), 2u);
  EXPECT_EQ(l[0], std::string("setBrush(") + c.brush + ",style0)");
  EXPECT_EQ(l[1], "fillRect(-3,-4,297,196)");
}

INSTANTIATE_TEST_SUITE_P(Modes, PageBackground,
                         ::testing::Values(ColorModeCase{"AsTheyAre", 0, clBtnFace, "sys15"},
                                           ColorModeCase{"SystemToPrinting", 1, clBtnFace, "#C0C0C0"},
                                           ColorModeCase{"WindowPrintsWhite", 1, clWindow, "#FFFFFF"},
                                           ColorModeCase{"PrintingThenGrey", 2, clBtnShadow, "#808080"},
                                           ColorModeCase{"Grey", 2, clBlue, "#1C1C1C"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PrintDraw, TransparentCopyLeavesThePageAlone) {
  PrintFixture f;
  f.host.Color = clRed;
  f.paragraphs({"a"});
  TCustomMainPtblRVData &copy = f.print();
  copy.Transparent = true;
  copy.Pages.Add();
  f.printer.clearLog();
  copy.DrawPage(1, f.printer, false, false);
  EXPECT_TRUE(Lines(f.printer, {"setBrush(#FF0000"}).empty());
}

// A 40 x 20 picture with the default spacing of 1, printed at twice the
// screen's resolution: a bitmap of its screen size stretched to 80 x 40,
// two units in from its line's corner.
TEST(PrintDraw, PictureIsDrawnViaABitmapScaledByTheResolution) {
  PrintFixture f(192, 400, 400);
  f.host.TopMargin = 5;
  f.paragraphs({"x"});
  f.source->AddItem("",
                    std::make_unique<TRVGraphicItemInfo>(
                        f.source.get(), std::make_unique<TBitmap>(QImage(40, 20, QImage::Format_RGB32)), rvvaBaseline));
  TCustomMainPtblRVData &copy = f.print();
  copy.Pages.Add();
  const TRVDrawLineInfo *d = copy.DrawLines[1];
  EXPECT_EQ(d->Width, 84);
  EXPECT_EQ(d->Height, 44);
  f.printer.clearLog();
  copy.DrawPage(1, f.printer, false, false);
  const int x = d->Left + 2, y = d->Top + 10 + 2;
  EXPECT_EQ(Lines(f.printer, {"stretchDraw"}),
            (std::vector<std::string>{"stretchDraw" + LogRect(Bounds(x, y, 80, 40)) + ",40,20"}));
}

// A metafile prints itself: inside the spacing around it, as on screen,
// at twice the screen's resolution.
TEST(PrintDraw, MetafilePrintsItselfInsideItsSpacing) {
  PrintFixture f(192, 400, 400);
  auto mf = std::make_unique<TMetafile>();
  mf->setSize(40, 30);
  auto pic = std::make_unique<TRVGraphicItemInfo>(f.source.get(), std::move(mf), rvvaBaseline);
  pic->Spacing = 3;
  f.source->AddItem("", std::move(pic));
  TCustomMainPtblRVData &copy = f.print();
  copy.Pages.Add();
  const TRVDrawLineInfo *d = copy.DrawLines[0];
  f.printer.clearLog();
  copy.DrawPage(1, f.printer, false, false);
  EXPECT_EQ(
      Lines(f.printer, {"drawGraphic", "stretchDraw"}),
      (std::vector<std::string>{"drawGraphic" + LogRect(Bounds(d->Left + 6, d->Top + 6, 80, 60)) + ",TMetafile"}));
}

// A rule 2 screen pixels thick printed at twice the screen's resolution: 4
// thick, in the middle of its line, 10 in from each end.
TEST(PrintDraw, RuleKeepsItsPlaceAndThicknessOnPaper) {
  PrintFixture f(192, 400, 400);
  f.source->AddBreakExTag(2, 0, clRed, 0);
  TCustomMainPtblRVData &copy = f.print();
  copy.Pages.Add();
  const TRVDrawLineInfo *d = copy.DrawLines[0];
  EXPECT_EQ(d->Height, 21);
  f.printer.clearLog();
  copy.DrawPage(1, f.printer, false, false);
  const int y = d->Top + 10;
  EXPECT_EQ(
      Lines(f.printer, {"setPen(#FF0000,4", "moveTo", "lineTo"}),
      (std::vector<std::string>{"setPen(#FF0000,4,style0,mode0)",
                                "moveTo(" + std::to_string(d->Left + 10) + "," + std::to_string(y) + ")",
                                "lineTo(" + std::to_string(d->Left + d->Width - 10) + "," + std::to_string(y) + ")"}));
}

// A picture split over two pages: the second page starts with its second
// part, drawn from the page's top with that part's height.
TEST(PrintDraw, SplitPictureDrawsThePartOfEachPage) {
  PrintFixture f(96, 400, 60);
  auto pic = std::make_unique<TRVGraphicItemInfo>(
      f.source.get(), std::make_unique<TBitmap>(QImage(30, 100, QImage::Format_RGB32)), rvvaBaseline);
  pic->MinHeightOnPage = 10;
  pic->Spacing = 0;
  f.source->AddItem("", std::move(pic));
  f.paragraphs({"after"});
  TCustomMainPtblRVData &copy = f.print();
  auto *multi = dynamic_cast<TRVMultiDrawItemInfo *>(copy.DrawLines[0]);
  ASSERT_NE(multi, nullptr);
  ASSERT_TRUE(multi->BeginParts());
  ASSERT_TRUE(multi->CanBreakAt(60));
  ASSERT_TRUE(multi->BreakLastPartAt(60));
  copy.Pages.Add();
  TRVPageInfo *p2 = copy.Pages.Add();
  p2->StartY = 60;
  p2->StartDrawItemNo = 0;
  p2->StartPart = 2;
  f.printer.clearLog();
  copy.DrawPage(1, f.printer, false, false);
  EXPECT_EQ(Lines(f.printer, {"stretchDraw", "textOut"}), (std::vector<std::string>{"stretchDraw(0,0,30,60),30,60"}));
  f.printer.clearLog();
  copy.DrawPage(2, f.printer, false, false);
  EXPECT_EQ(Lines(f.printer, {"stretchDraw", "textOut"}),
            (std::vector<std::string>{"stretchDraw(0,0,30,40),30,40", "textOut(0,40,\"after\")"}));
}

// An item that records what its bitmap was filled with.
class ProbeItem : public TRVRectItemInfo {
public:
  explicit ProbeItem(TCustomRVData *RVData) : TRVRectItemInfo(RVData) {
    StyleNo = -70;
    Spacing = 0;
  }
  std::unique_ptr<TCustomRVItemInfo> NewInstance(TCustomRVData *RVData) const override {
    return std::make_unique<ProbeItem>(RVData);
  }
  int GetWidth() const override { return 10; }
  int GetHeight() const override { return 10; }
  int GetImageWidth(const TRVStyle *) const override { return 10; }
  int GetImageHeight(const TRVStyle *) const override { return 10; }
  bool PrintToBitmap(TBitmap &Bitmap, bool, TCustomRVData *, TRVDrawLineInfo *, int, uint8_t) override {
    filled = Bitmap.image().pixel(0, 0) & 0xFFFFFF;
    return true;
  }
  QRgb filled = 0x123456;
};

struct FillCase {
  const char *name;
  TColor paraColor, docColor;
  bool inRect;
  TColor rectColor;
  QRgb want;
};

class ItemBitmapFill : public ::testing::TestWithParam<FillCase> {};

TEST_P(ItemBitmapFill, UnderTheItem) {
  const FillCase &c = GetParam();
  PrintFixture f(96, 200, 200);
  TParaInfo *para = f.style.ParaStyles().Add();
  para->Background.Color = c.paraColor;
  auto probe = std::make_unique<ProbeItem>(f.source.get());
  ProbeItem *item = probe.get();
  probe->ParaNo = f.style.ParaStyles().Count() - 1;
  f.source->AddItem("", std::move(probe));
  f.host.Color = c.docColor;
  f.style.Color = clNone;
  TCustomMainPtblRVData &copy = f.print();
  copy.Pages.Add();
  if (c.inRect) {
    TRectPtblRVData rect(nullptr, f.source.get(), &copy);
    rect.Width = rect.Height = 100;
    rect.Color = c.rectColor;
    rect.ReformatAllForced(true);
    rect.DrawPage(1, f.printer, false, false);
  } else copy.DrawPage(1, f.printer, false, false);
  EXPECT_EQ(item->filled, c.want);
}

INSTANTIATE_TEST_SUITE_P(Colours, ItemBitmapFill,
                         ::testing::Values(FillCase{"ParagraphColour", clLime, clRed, false, clNone, 0x00FF00},
                                           FillCase{"DocumentColour", clNone, clRed, false, clNone, 0xFF0000},
                                           FillCase{"DocumentSystemColourPrints", clNone, clBtnFace, false, clNone,
                                                    0xC0C0C0},
                                           FillCase{"WhiteWithoutColours", clNone, clNone, false, clNone, 0xFFFFFF},
                                           FillCase{"CellColour", clNone, clRed, true, clBlue, 0x0000FF},
                                           FillCase{"CellParagraphColourFirst", clLime, clRed, true, clBlue, 0x00FF00},
                                           FillCase{"CellWithoutColourIsWhite", clNone, clRed, true, clNone, 0xFFFFFF}),
                         [](const auto &info) { return std::string(info.param.name); });

// An item that prints a cell's copy in its place, as a table does.
class CellItem : public TRVRectItemInfo {
public:
  explicit CellItem(TCustomRVData *RVData) : TRVRectItemInfo(RVData) { StyleNo = -71; }
  std::unique_ptr<TCustomRVItemInfo> NewInstance(TCustomRVData *RVData) const override {
    return std::make_unique<CellItem>(RVData);
  }
  int GetWidth() const override { return 20; }
  int GetHeight() const override { return 20; }
  bool GetStyleFlag(int Property, const TRVStyle *RVStyle) const override {
    return Property == rvbsfPrintToBMP ? false : TRVRectItemInfo::GetStyleFlag(Property, RVStyle);
  }
  void Print(TCanvas &Canvas, int X, int Y, int, bool Preview, bool Correction, const TRVScreenAndDevice &,
             TRVDrawLineInfo *, int, uint8_t, TCustomRVData *) override {
    Cell->DX = X;
    Cell->DY = Y;
    Cell->DrawPage(1, Canvas, Preview, Correction);
  }
  TRectPtblRVData *Cell = nullptr;
};

// A green background picture that moves with the text on screen prints
// tiled over the paper at its screen size; an item without a paragraph
// colour shows it under itself, in the main copy and in a cell without a
// colour of its own.
TEST(PrintDraw, BackgroundPictureUnderThePageAndItsItems) {
  PrintFixture f(192, 200, 100);
  QImage green(4, 4, QImage::Format_RGB32);
  green.fill(QColor(0, 255, 0));
  TRVBackground background(false);
  background.Style = bsTiledAndScrolled;
  background.AssignImage(std::make_unique<TBitmap>(green));
  f.host.Background = &background;
  f.host.Color = clRed;
  auto probe = std::make_unique<ProbeItem>(f.source.get());
  ProbeItem *mainProbe = probe.get();
  f.source->AddItem("", std::move(probe));
  auto cellItem = std::make_unique<CellItem>(f.source.get());
  CellItem *cell = cellItem.get();
  f.source->AddItem("", std::move(cellItem));
  TRichVistaRVData cellSource(&f.sourceHost);
  probe = std::make_unique<ProbeItem>(&cellSource);
  ProbeItem *cellProbe = probe.get();
  cellSource.AddItem("", std::move(probe));

  TCustomMainPtblRVData &copy = f.print();
  TRectPtblRVData rect(nullptr, &cellSource, &copy);
  rect.Width = rect.Height = 40;
  rect.ReformatAllForced(true);
  cell->Cell = &rect;
  copy.Pages.Add();
  f.printer.clearLog();
  copy.DrawPage(1, f.printer, false, false);
  const std::vector<std::string> drawn = Lines(f.printer, {"stretchDraw", "fillRect"});
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn[0], "stretchDraw(0,0,200,100),100,50");
  EXPECT_EQ(mainProbe->filled, 0x00FF00u);
  EXPECT_EQ(cellProbe->filled, 0x00FF00u);
}

// A copy that reports what it was told while drawing.
class HookedCopy : public TCustomMainPtblRVData {
public:
  using TCustomMainPtblRVData::TCustomMainPtblRVData;
  std::vector<std::string> told;
  void DoOnHyperlink(TCustomRVData *, int ItemNo, const TRect &R) override {
    told.push_back("link " + std::to_string(ItemNo) + LogRect(R));
  }
  void DoOnCheckpoint(TCustomRVData *, int ItemNo, int X, int Y) override {
    told.push_back("cp " + std::to_string(ItemNo) + " " + std::to_string(X) + "," + std::to_string(Y));
  }
};

TEST(PrintDraw, HyperlinksAndCheckpointsOfThePageAreReported) {
  PrintFixture f;
  f.paragraphs({"a", "b", "c"});
  f.source->AddText("link", 4, 0); // text style 4 is a hyperlink
  f.source->AddCheckpointTag("mark", false, 0);
  f.paragraphs({"d"});
  HookedCopy copy(&f.host, f.source.get());
  copy.ReformatAllForced(true);
  copy.Pages.Add();
  TRVPageInfo *p2 = copy.Pages.Add();
  p2->StartY = 42;
  p2->StartDrawItemNo = 3;
  copy.DrawPage(2, f.printer, false, false);
  EXPECT_EQ(copy.told, (std::vector<std::string>{"link 3(0,0,28,14)", "cp 4 0,14"}));
  copy.told.clear();
  copy.DrawPage(1, f.printer, false, false);
  EXPECT_TRUE(copy.told.empty());
}

// ------------------------------------------------------ copy in a rectangle

TEST(PrintRect, TakesTheRootsColourModeAndCanvasAndDrawsInItsRectangle) {
  PrintFixture f(192, 800, 800);
  f.paragraphs({"cell", "text"});
  TCustomMainPtblRVData &copy = f.print();
  copy.ColorMode = 2;
  TRectPtblRVData rect(nullptr, f.source.get(), &copy);
  rect.Left = 30;
  rect.Top = 40;
  rect.Width = 200;
  rect.Height = 100;
  rect.DX = 5;
  rect.DY = 6;
  EXPECT_EQ(rect.GetColorMode(), 2);
  EXPECT_EQ(rect.GetCanvas(), &f.printer);
  EXPECT_EQ(rect.GetParentData(), &copy);
  EXPECT_EQ(rect.GetRootData(), &copy);
  EXPECT_EQ(rect.GetRVStyle(), &f.style);
  EXPECT_EQ(rect.GetWidth(), 200);
  EXPECT_EQ(rect.GetPageTop(1), -46);
  EXPECT_EQ(rect.GetTmpTop(), 46);
  EXPECT_EQ(rect.GetTmpLeft(), 35);
  rect.ReformatAllForced(true);
  EXPECT_EQ(rect.DrawLines.Count(), 2);
  f.printer.clearLog();
  rect.DrawPage(1, f.printer, false, false);
  EXPECT_EQ(f.texts(), (std::vector<std::string>{"textOut(35,46,\"cell\")", "textOut(35,60,\"text\")"}));
  // Without a colour of its own the rectangle shows what is under it.
  EXPECT_TRUE(Lines(f.printer, {"fillRect"}).empty());
  rect.Color = clYellow;
  f.printer.clearLog();
  rect.DrawPage(1, f.printer, false, false);
  // The root prints in grey.
  EXPECT_EQ(Lines(f.printer, {"setBrush(#E3E3E3", "fillRect(35,46"}),
            (std::vector<std::string>{"setBrush(#E3E3E3,style0)", "fillRect(35,46,235,146)"}));
}

// ------------------------------------------------------ a real page

// The second page of a two-page document drawn on an image of the paper: the
// canvas reaches a page above it, so that lines of the first page would
// show if they were drawn.
TEST(PrintPixels, SecondPageShowsItsTextOnly) {
  setScreenPixelsPerInch(96);
  TRVStyle style;
  TFontInfo *red = style.TextStyles().Add();
  red->Color = clRed;
  red->Size = 20;
  const int redNo = style.TextStyles().Count() - 1;
  TFontInfo *blue = style.TextStyles().Add();
  blue->Color = clBlue;
  blue->Size = 20;
  const int blueNo = style.TextStyles().Count() - 1;
  QtCanvas screen;
  TRVFixedHost sourceHost(&screen, 400, 1000);
  sourceHost.Style = &style;
  TRichVistaRVData source(&sourceHost);
  source.AddText("First page", redNo, 0);
  source.AddText("Second page", blueNo, 0);

  const int page = 150;
  QImage paper(400, 3 * page, QImage::Format_RGB32);
  paper.fill(Qt::white);
  QtCanvas printer(&paper, 144, 144, true);
  TRVPrintHost host(&printer, 400, page);
  host.Style = &style;
  host.LeftMargin = host.TopMargin = 10;
  host.RightMargin = host.BottomMargin = 10;
  host.PrintableAreaTop = page;
  TCustomMainPtblRVData copy(&host, &source);
  copy.PrepareMargins();
  copy.ReformatAllForced(true);
  ASSERT_EQ(copy.DrawLines.Count(), 2);
  copy.Pages.Add();
  TRVPageInfo *p2 = copy.Pages.Add();
  p2->StartY = copy.DrawLines[1]->Top;
  p2->StartDrawItemNo = 1;
  copy.DrawPage(2, printer, false, false);

  int reddish = 0, blueish = 0, blueTop = paper.height();
  for (int y = 0; y < paper.height(); ++y)
    for (int x = 0; x < paper.width(); ++x) {
      const QColor c = paper.pixelColor(x, y);
      if (c.red() > 150 && c.green() < 100 && c.blue() < 100) ++reddish;
      if (c.blue() > 150 && c.red() < 100 && c.green() < 100) {
        ++blueish;
        blueTop = std::min(blueTop, y);
      }
    }
  EXPECT_EQ(reddish, 0);
  EXPECT_GT(blueish, 50);
  // The line starts at the page's top margin (15 units at 144 dots an inch).
  EXPECT_GE(blueTop, page + 15);
  EXPECT_LT(blueTop, page + 15 + 30);
  setScreenPixelsPerInch(0);
}

} // namespace
