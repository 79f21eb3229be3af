#include <gtest/gtest.h>

#include <QImage>

#include <climits>

#include "platform/QtCanvas.h"
#include "platform/RecordingCanvas.h"

using namespace kc;

namespace {

TEST(MulDiv, SixtyFourBitProductRoundedHalfAwayFromZero) {
  struct Case {
    int a, b, c, r;
  } cases[] = {
      {10, 96, 72, 13},
      {9, 96, 72, 12},
      {5, 1, 2, 3},
      {-5, 1, 2, -3},
      {5, -1, 2, -3},
      {-5, -1, 2, 3},
      {7, 1, -2, -4},
      {1, 1, 3, 0},
      {2, 1, 3, 1},
      {100000, 100000, 100000, 100000},
      {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
      {INT_MIN, 1, 1, INT_MIN},
      {INT_MAX, 2, 1, -1},
      {3, 4, 0, -1},
  };
  for (const auto &c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.r) << c.a << "*" << c.b << "/" << c.c;
}

TEST(Colors, SystemColoursComeFromTheFixedTable) {
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
  EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(212, 208, 200));
  EXPECT_EQ(ColorToRGB(clHighlight), RGB(10, 36, 106));
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(clNone), clBlack);
  EXPECT_EQ(GetSysColor(200), clBlack);
  EXPECT_EQ(GetRValue(RGB(1, 2, 3)), 1);
  EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
}

TEST(FontHeights, PointsAndPixelsAtTheScreenResolution) {
  setScreenPixelsPerInch(96);
  EXPECT_EQ(FontHeightOfSize(10), -13);
  EXPECT_EQ(FontSizeOfHeight(-13), 10);
  setScreenPixelsPerInch(120);
  EXPECT_EQ(FontHeightOfSize(10), -17);
  setScreenPixelsPerInch(0);
  EXPECT_EQ(screenPixelsPerInch(), 96);
}

TEST(RecordingCanvas, FixedMetricsAndLog) {
  RecordingCanvas c;
  c.setFontColor(clRed);
  c.textOut(3, 4, "ab");
  c.textOutW(0, 0, u"\u0416");
  TRect r = Rect(0, 0, 10, 5);
  c.extTextOut(1, 2, ETO_OPAQUE | ETO_CLIPPED, &r, "x", std::vector<int>{9});
  c.moveTo(0, 1);
  c.lineTo(5, 1);
  EXPECT_EQ(c.logText(), "setFontColor(#FF0000)\n"
                         "textOut(3,4,\"ab\")\n"
                         "textOutW(0,0,\"\xD0\x96\")\n"
                         "extTextOut(1,2,6,(0,0,10,5),\"x\",dx=[9])\n"
                         "moveTo(0,1)\n"
                         "lineTo(5,1)");
  c.clearLog();
  c.setTextCharacterExtra(2);
  c.clearLog();
  int fit = -1;
  std::vector<int> ext;
  TSize s = c.textExtentEx("abcd", 20, &fit, &ext);
  EXPECT_EQ(s, (TSize{36, 14}));
  EXPECT_EQ(fit, 2);
  EXPECT_EQ(ext, (std::vector<int>{9, 18, 27, 36}));
  EXPECT_TRUE(c.log.empty()); // queries are not logged unless asked
  TextMetrics tm = c.textMetrics();
  EXPECT_EQ(tm.tmAscent, 11);
  EXPECT_EQ(tm.tmDescent, 3);
  EXPECT_EQ(tm.tmHeight, 14);
}

TEST(RecordingCanvas, SaveAndRestoreBringBackTheState) {
  RecordingCanvas c;
  c.setOrigin({5, 6});
  c.setTextAlign(TA_RTLREADING);
  int level = c.saveDC();
  c.setOrigin({0, 0});
  c.setTextAlign(TA_LEFT);
  c.intersectClipRect(Rect(1, 1, 4, 4));
  c.restoreDC(level);
  EXPECT_EQ(c.origin(), (TPoint{5, 6}));
  EXPECT_EQ(c.textAlign(), TA_RTLREADING);
  EXPECT_EQ(c.clipBox().Left, -5);
}

class QtCanvasTest : public ::testing::Test {
protected:
  void SetUp() override { setScreenPixelsPerInch(96); }
  void TearDown() override { setScreenPixelsPerInch(0); }
};

TEST_F(QtCanvasTest, AdvancesAddUp) {
  QtCanvas c;
  for (int height : {-11, -13, -16, -21}) {
    TLogFont f;
    f.lfFaceName = "Arial";
    f.lfHeight = height;
    c.setFont(f);
    for (std::u16string s : {u"ab", u"Hello, world", u"iiiWWW.,;", u"\u041F\u0440\u0438\u0432\u0435\u0442"}) {
      int sum = 0;
      for (char16_t ch : s) sum += c.textExtentW(std::u16string(1, ch)).cx;
      EXPECT_EQ(c.textExtentW(s).cx, sum) << height;
      std::vector<int> ext;
      int fit = 0;
      c.textExtentExW(s, 1 << 30, &fit, &ext);
      ASSERT_EQ(ext.size(), s.size());
      EXPECT_EQ(ext.back(), sum);
      EXPECT_EQ(fit, static_cast<int>(s.size()));
      c.textExtentExW(s, ext[1], &fit, nullptr);
      EXPECT_EQ(fit, 2);
    }
  }
  TLogFont f;
  c.setFont(f);
  int w = c.textExtent("abc").cx;
  c.setTextCharacterExtra(3);
  EXPECT_EQ(c.textExtent("abc").cx, w + 9);
  EXPECT_EQ(c.textExtent("abc").cx, c.textExtentW(u"abc").cx);
}

TEST_F(QtCanvasTest, MetricsFollowTheFont) {
  QtCanvas c;
  TLogFont f;
  f.lfHeight = -13;
  c.setFont(f);
  TextMetrics small = c.textMetrics();
  EXPECT_GT(small.tmAscent, 0);
  EXPECT_GT(small.tmDescent, 0);
  EXPECT_EQ(small.tmHeight, small.tmAscent + small.tmDescent);
  EXPECT_GE(small.tmHeight, 13);
  EXPECT_GT(small.tmAveCharWidth, 0);
  f.lfHeight = -26;
  c.setFont(f);
  TextMetrics big = c.textMetrics();
  EXPECT_NEAR(big.tmHeight, 2 * small.tmHeight, 2);
  // A positive height is the cell height.
  f.lfHeight = small.tmHeight;
  c.setFont(f);
  EXPECT_NEAR(c.textMetrics().tmHeight, small.tmHeight, 1);
  // A narrower width makes narrower text.
  f.lfHeight = -13;
  f.lfWidth = small.tmAveCharWidth / 2;
  c.setFont(f);
  EXPECT_LT(c.textExtent("mmmmmmmmmm").cx, 10 * small.tmAveCharWidth);
  OutlineMetrics om;
  ASSERT_TRUE(c.outlineMetrics(om));
  EXPECT_GE(om.otmsUnderscoreSize, 1);
  EXPECT_LT(om.otmsUnderscorePosition, 0);
}

class PixelTest : public QtCanvasTest {
protected:
  QImage img{20, 12, QImage::Format_RGB32};
  void SetUp() override {
    QtCanvasTest::SetUp();
    img.fill(Qt::white);
  }
  bool black(int x, int y) const { return img.pixel(x, y) == qRgb(0, 0, 0); }
  std::string row(int y) const {
    std::string s;
    for (int x = 0; x < img.width(); ++x) s += black(x, y) ? '#' : (img.pixel(x, y) == qRgb(255, 255, 255) ? '.' : 'o');
    return s;
  }
};

TEST_F(PixelTest, RightAndBottomEdgesAreExclusive) {
  {
    QtCanvas c(&img);
    c.setBrush({clBlack, TBrushStyle::bsSolid});
    c.fillRect(Rect(2, 1, 5, 3));
  }
  EXPECT_EQ(row(0), "....................");
  EXPECT_EQ(row(1), "..###...............");
  EXPECT_EQ(row(2), "..###...............");
  EXPECT_EQ(row(3), "....................");
}

TEST_F(PixelTest, RectangleOutlineAndFill) {
  {
    QtCanvas c(&img);
    c.setPen({clBlack, 1});
    c.setBrush({clRed, TBrushStyle::bsSolid});
    c.rectangle(Rect(1, 1, 6, 5));
  }
  EXPECT_EQ(row(1), ".#####..............");
  EXPECT_EQ(row(2), ".#ooo#..............");
  EXPECT_EQ(row(3), ".#ooo#..............");
  EXPECT_EQ(row(4), ".#####..............");
  EXPECT_EQ(row(5), "....................");
}

TEST_F(PixelTest, LinesLeaveOutTheirEndPixel) {
  {
    QtCanvas c(&img);
    c.setPen({clBlack, 1});
    c.moveTo(1, 1);
    c.lineTo(6, 1);
    c.moveTo(3, 3);
    c.lineTo(3, 6);
    c.moveTo(8, 2);
    c.lineTo(11, 5);
  }
  EXPECT_EQ(row(1), ".#####..............");
  EXPECT_EQ(row(2), "........#...........");
  EXPECT_EQ(row(3), "...#.....#..........");
  EXPECT_EQ(row(4), "...#......#.........");
  EXPECT_EQ(row(5), "...#................");
  EXPECT_EQ(row(6), "....................");
}

TEST_F(PixelTest, OriginClipAndRestore) {
  {
    QtCanvas c(&img);
    c.setBrush({clBlack, TBrushStyle::bsSolid});
    int level = c.saveDC();
    c.setOrigin({10, 2});
    c.intersectClipRect(Rect(0, 0, 3, 1));
    EXPECT_EQ(c.clipBox(), Rect(0, 0, 3, 1));
    c.fillRect(Rect(-5, 0, 5, 5)); // only the clipped part shows
    c.restoreDC(level);
    EXPECT_EQ(c.origin(), (TPoint{0, 0}));
    c.fillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(c.pixel(0, 0), clBlack);
    EXPECT_EQ(c.pixel(19, 11), clWhite);
    EXPECT_EQ(c.pixel(20, 0), clNone);
  }
  EXPECT_EQ(row(0), "#...................");
  EXPECT_EQ(row(2), "..........###.......");
  EXPECT_EQ(row(3), "....................");
}

TEST_F(QtCanvasTest, TextIsDrawnInItsCellWithAnOpaqueBrush) {
  QImage img(60, 20, QImage::Format_RGB32);
  img.fill(Qt::white);
  int width = 0, height = 0;
  {
    QtCanvas c(&img);
    TLogFont f;
    f.lfHeight = -13;
    c.setFont(f);
    c.setFontColor(clBlack);
    c.setBrush({clLime, TBrushStyle::bsSolid});
    TSize s = c.textExtent("Hx");
    width = s.cx;
    height = s.cy;
    c.textOut(5, 2, "Hx");
  }
  EXPECT_EQ(img.pixel(4, 2), qRgb(255, 255, 255));
  EXPECT_EQ(img.pixel(5 + width, 2), qRgb(255, 255, 255));
  EXPECT_EQ(img.pixel(5, 2 + height), qRgb(255, 255, 255));
  int ink = 0, fill = 0;
  for (int y = 2; y < 2 + height; ++y)
    for (int x = 5; x < 5 + width; ++x) {
      QRgb p = img.pixel(x, y);
      if (p == qRgb(0, 255, 0)) ++fill;
      else ++ink;
    }
  EXPECT_GT(ink, 10);
  EXPECT_GT(fill, ink);
}

TEST_F(QtCanvasTest, PlacementOrdersRightToLeftRuns) {
  QtCanvas c;
  CharacterPlacement p;
  // Latin, then two Hebrew letters: the Hebrew run is shown reversed.
  ASSERT_TRUE(c.characterPlacement(u"ab\u05D0\u05D1", GCP_REORDER, p));
  EXPECT_EQ(p.order, (std::vector<int>{0, 1, 3, 2}));
  EXPECT_EQ(p.classes[2], GCPCLASS_RTL);
  EXPECT_EQ(p.classes[0], GCPCLASS_LATIN);
  EXPECT_EQ(p.width, c.textExtentW(u"ab\u05D0\u05D1").cx);
  EXPECT_GT(p.height, 0);
}

} // namespace

namespace {

TEST_F(QtCanvasTest, UnderlineRunsUnderSpacesToo) {
  QImage img(80, 24, QImage::Format_RGB32);
  img.fill(Qt::white);
  int width = 0;
  int lineY = 0;
  {
    QtCanvas c(&img);
    TLogFont f;
    f.lfHeight = -13;
    f.lfUnderline = 1;
    c.setFont(f);
    c.setFontColor(clBlack);
    c.setBrush({clWhite, TBrushStyle::bsClear});
    width = c.textExtent("a   b").cx;
    OutlineMetrics om;
    c.outlineMetrics(om);
    lineY = 2 + c.textMetrics().tmAscent - om.otmsUnderscorePosition;
    c.textOut(2, 2, "a   b");
  }
  // Some row near the underline position is dark across the whole width.
  bool found = false;
  for (int y = lineY - 2; y <= lineY + 2 && !found; ++y) {
    bool whole = true;
    for (int x = 2; x < 2 + width; ++x) whole = whole && qGray(img.pixel(x, y)) < 128;
    found = whole && qGray(img.pixel(2 + width, y)) > 128;
  }
  EXPECT_TRUE(found);
}

} // namespace

namespace {

QImage whiteImage(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  return img;
}

// The bounding box of everything that is not white; empty when none.
QRect inkBox(const QImage &img) {
  QRect box;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.pixel(x, y) != qRgb(255, 255, 255)) box |= QRect(x, y, 1, 1);
  return box;
}

TEST_F(QtCanvasTest, XorDrawingUndoesItself) {
  QImage img = whiteImage(30, 20);
  QImage before = img;
  {
    QtCanvas c(&img);
    c.drawFocusRect(Rect(2, 2, 17, 11));
    c.invertRect(Rect(5, 5, 9, 9));
  }
  EXPECT_EQ(inkBox(img), QRect(2, 2, 15, 9));
  EXPECT_NE(img, before);
  {
    QtCanvas c(&img);
    c.invertRect(Rect(5, 5, 9, 9));
    c.drawFocusRect(Rect(2, 2, 17, 11));
  }
  EXPECT_EQ(img, before);
}

TEST_F(QtCanvasTest, TextAlignmentAndClipping) {
  struct Case {
    unsigned align;
    bool inkLeftOfX;
  } cases[] = {{TA_LEFT | TA_TOP, false}, {TA_RIGHT | TA_TOP, true}};
  for (const Case &k : cases) {
    QImage img = whiteImage(100, 30);
    {
      QtCanvas c(&img);
      c.setBrush({clWhite, TBrushStyle::bsClear});
      c.setFontColor(clBlack);
      c.setTextAlign(k.align);
      c.textOut(50, 5, "HH");
    }
    QRect ink = inkBox(img);
    ASSERT_FALSE(ink.isEmpty());
    if (k.inkLeftOfX) EXPECT_LT(ink.right(), 50);
    else EXPECT_GE(ink.left(), 50);
  }
  // Baseline alignment puts the text above y.
  QImage img = whiteImage(100, 40);
  {
    QtCanvas c(&img);
    c.setBrush({clWhite, TBrushStyle::bsClear});
    c.setFontColor(clBlack);
    c.setTextAlign(TA_BASELINE);
    c.textOut(5, 30, "H");
  }
  EXPECT_LE(inkBox(img).bottom(), 29);
  // An opaque, clipped ExtTextOut touches nothing outside its rectangle.
  QImage clip = whiteImage(100, 30);
  {
    QtCanvas c(&clip);
    c.setBrush({clLime, TBrushStyle::bsSolid});
    c.setFontColor(clBlack);
    TRect r = Rect(10, 5, 30, 20);
    c.extTextOut(5, 5, ETO_OPAQUE | ETO_CLIPPED, &r, "WWWWWW", std::vector<int>{8, 8, 8, 8, 8, 8});
  }
  EXPECT_EQ(inkBox(clip), QRect(10, 5, 20, 15));
}

TEST_F(QtCanvasTest, AdvancesGivenToExtTextOutPlaceTheGlyphs) {
  QImage a = whiteImage(120, 30), b = whiteImage(120, 30);
  {
    QtCanvas c(&a);
    c.setBrush({clWhite, TBrushStyle::bsClear});
    c.setFontColor(clBlack);
    c.extTextOutW(2, 2, 0, nullptr, u"ll", std::vector<int>{40, 5});
  }
  {
    QtCanvas c(&b);
    c.setBrush({clWhite, TBrushStyle::bsClear});
    c.setFontColor(clBlack);
    c.textOutW(2, 2, u"l");
    c.textOutW(42, 2, u"l");
  }
  EXPECT_EQ(a, b);
}

} // namespace
