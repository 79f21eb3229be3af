// Table frames and grid lines on a QImage: which pixel gets which colour
// for each border style, sides turned off, half-tone printing, frames far
// wider than their rectangle and rectangles far larger than the canvas.
#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <vector>

#include "platform/QtCanvas.h"
#include "platform/RecordingCanvas.h"
#include "richtext/tables/RVTableBorders.h"
#include "support/CanvasLines.h"

using namespace kc;

namespace {

constexpr TColor kLight = RGB(0xFF, 0xFF, 0x00), kDark = RGB(0x00, 0x00, 0x80), kBack = RGB(0xFF, 0xFF, 0xFF);

QImage Blank(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(QColor(0xFF, 0xFF, 0xFF));
  return img;
}

TColor At(const QImage &img, int x, int y) {
  const QRgb p = img.pixel(x, y);
  return RGB(qRed(p), qGreen(p), qBlue(p));
}

struct PixelWant {
  int x, y;
  TColor color;
};

struct FrameCase {
  const char *name;
  TRVTableBorderStyle style;
  int width;
  TRect rect;
  TRVBooleanRect visible;
  bool halftone;
  std::vector<PixelWant> want;
};

TRVBooleanRect Sides(bool l, bool t, bool r, bool b) {
  TRVBooleanRect s;
  s.SetValues(l, t, r, b);
  return s;
}

class TableFrame : public ::testing::TestWithParam<FrameCase> {};

TEST_P(TableFrame, Pixels) {
  const FrameCase &c = GetParam();
  QImage img = Blank(40, 40);
  {
    QtCanvas canvas(&img);
    TRVTableFrame f;
    f.Rect = c.rect;
    f.Width = c.width;
    f.Color = kDark;
    f.LightColor = kLight;
    f.BackgroundColor = kBack;
    f.Style = c.style;
    f.Visible = c.visible;
    f.Printing = c.halftone;
    f.Halftone = c.halftone;
    DrawTableFrame(canvas, f, TRect{0, 0, 40, 40});
  }
  for (const PixelWant &p : c.want) EXPECT_EQ(At(img, p.x, p.y), p.color) << "pixel " << p.x << "," << p.y;
}

const TRect k20{5, 5, 25, 25}; // pixels 5..24

INSTANTIATE_TEST_SUITE_P(
    Styles, TableFrame,
    ::testing::Values(
        // Three rings: light on the left and top, dark on the right and
        // bottom; the top-right and bottom-left corners split along the
        // diagonal, each ring's top-right pixel dark, bottom-left light.
        FrameCase{"Raised3",
                  rvtbRaisedColor,
                  3,
                  k20,
                  Sides(true, true, true, true),
                  false,
                  {{5, 5, kLight},
                   {15, 7, kLight},
                   {7, 15, kLight},
                   {24, 15, kDark},
                   {15, 22, kDark},
                   {24, 24, kDark},
                   {24, 5, kDark},
                   {23, 5, kLight},
                   {22, 6, kLight},
                   {23, 6, kDark},
                   {5, 24, kLight},
                   {6, 24, kDark},
                   {6, 23, kLight},
                   {15, 8, kBack},
                   {8, 15, kBack}}},
        FrameCase{"Lowered1",
                  rvtbLoweredColor,
                  1,
                  k20,
                  Sides(true, true, true, true),
                  false,
                  {{5, 15, kDark}, {15, 5, kDark}, {24, 15, kLight}, {15, 24, kLight}, {6, 15, kBack}}},
        FrameCase{"ColorOneColour",
                  rvtbColor,
                  2,
                  k20,
                  Sides(true, true, true, true),
                  false,
                  {{5, 5, kDark}, {24, 5, kDark}, {6, 15, kDark}, {23, 15, kDark}, {7, 15, kBack}}},
        // Sides turned off are passed over.
        FrameCase{"LeftAndBottomOff",
                  rvtbRaisedColor,
                  2,
                  k20,
                  Sides(false, true, true, false),
                  false,
                  {{5, 15, kBack}, {15, 24, kBack}, {15, 5, kLight}, {24, 15, kDark}}},
        // Half-tone printing: one band a side, each the whole length, so
        // the bottom band covers the bottom-left corner the rings split.
        FrameCase{"HalftoneBands",
                  rvtbRaisedColor,
                  3,
                  k20,
                  Sides(true, true, true, true),
                  true,
                  {{5, 5, kLight}, {15, 22, kDark}, {5, 24, kDark}, {6, 23, kDark}, {7, 15, kLight}}},
        // A frame wider than its rectangle fills it once and stops.
        FrameCase{"WidthBeyondTheRectangle",
                  rvtbRaisedColor,
                  1000000000,
                  TRect{5, 5, 11, 11},
                  Sides(true, true, true, true),
                  false,
                  {{5, 5, kLight}, {7, 7, kLight}, {10, 10, kDark}, {8, 8, kDark}, {11, 11, kBack}}},
        // A rectangle far larger than the canvas: only its visible part is
        // drawn, with the geometry it would have whole.
        FrameCase{"HugeRectangle",
                  rvtbRaisedColor,
                  4,
                  TRect{2, 2, 1 << 30, 1 << 30},
                  Sides(true, true, true, true),
                  false,
                  {{2, 30, kLight}, {30, 5, kLight}, {30, 6, kBack}, {6, 30, kBack}}},
        FrameCase{"NegativeOrigin",
                  rvtbLoweredColor,
                  2,
                  TRect{-(1 << 30), -(1 << 30), 20, 20},
                  Sides(true, true, true, true),
                  false,
                  {{10, 18, kLight}, {19, 10, kLight}, {10, 17, kBack}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TableFrame, RaisedLightOnItsOwnBackgroundIsShaded) {
  EXPECT_EQ(RaisedLightColor(kLight, kDark, kBack), kLight);
  const TColor shaded = RaisedLightColor(kBack, kDark, kBack);
  EXPECT_NE(shaded, kBack);
  EXPECT_NE(shaded, kDark);
  // The system light colour on the system window colour counts too.
  SetSysColor(20, clWhite);
  SetSysColor(5, clWhite);
  EXPECT_NE(ColorToRGB(RaisedLightColor(clBtnHighlight, clBlack, clWindow)), clWhite);
  ResetSysColors();
}

// ------------------------------------------------------------- dotted lines

std::vector<std::string> Dots(RecordingCanvas &c) { return kctest::Lines(c, {"setPixel"}); }

TEST(DottedLine, GroupsOfThreeEveryEightPixels) {
  RecordingCanvas c;
  DrawDottedHorzLine(c, 0, 10, 3, clBlack, TRect{-100, -100, 100, 100});
  std::vector<std::string> want;
  for (int x : {0, 2, 4, 8, 10, 12}) want.push_back("setPixel(" + std::to_string(x) + ",3,");
  const std::vector<std::string> got = Dots(c);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i].rfind(want[i], 0), 0u) << got[i];
  c.clearLog();
  DrawDottedVertLine(c, 7, 0, 10, clBlack, TRect{-100, -100, 100, 100});
  EXPECT_EQ(Dots(c).size(), 6u);
}

// A line across the whole coordinate range sets only the dots inside the
// clip rectangle, at the places the whole line would put them.
TEST(DottedLine, OnlyInsideTheClipRectangle) {
  RecordingCanvas c;
  DrawDottedVertLine(c, 5, -(1 << 30), 1 << 30, clBlack, TRect{0, 0, 20, 20});
  std::vector<std::string> got = Dots(c);
  // -2^30 is a multiple of 8: groups start at 0, 8 and 16.
  std::vector<std::string> want;
  for (int y : {0, 2, 4, 8, 10, 12, 16, 18}) want.push_back("setPixel(5," + std::to_string(y) + ",");
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i].rfind(want[i], 0), 0u) << got[i];
  c.clearLog();
  DrawDottedHorzLine(c, -(1 << 30), 1 << 30, 50, clBlack, TRect{0, 0, 20, 20});
  EXPECT_TRUE(Dots(c).empty());
}

TEST(GridSides, ClearPenShowsNothing) {
  RecordingCanvas c;
  SetRVTableGridPenStyle(TPenStyle::psClear);
  DrawGridSides(c, TRect{0, 0, 20, 20}, TRVBooleanRect(true), TRect{0, 0, 100, 100});
  SetRVTableGridPenStyle(TPenStyle::psDot);
  EXPECT_TRUE(Dots(c).empty());
  DrawGridSides(c, TRect{0, 0, 20, 20}, Sides(false, true, false, false), TRect{0, 0, 100, 100});
  // The top side only: groups at 0, 8 and 16, three dots each.
  EXPECT_EQ(Dots(c).size(), 9u);
}

} // namespace
