// What the styles do to a canvas: fonts, colours in every colour mode, text
// pieces, borders, backgrounds, checkpoints and page breaks, and the painting
// events of the style sheet.
#include "richtext/document/RVStyle.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QImage>

#include "platform/QtCanvas.h"
#include "platform/RecordingCanvas.h"
#include "support/CanvasLines.h"

using namespace kc;

namespace {

using kctest::Lines;

bool Has(const RecordingCanvas &c, const std::string &line) {
  return std::find(c.log.begin(), c.log.end(), line) != c.log.end();
}

} // namespace

// ------------------------------------------------------------------- fonts

TEST(StylePaint, ApplySetsTheFontByPointsOrTablePixels) {
  struct {
    int TablePPI, CanvasPPI, Size, CharScale;
    int Height, Width;
  } const cases[] = {
      {0, 96, 10, 100, -13, 0},                // the canvas's resolution
      {0, 120, 10, 100, -17, 0},               //
      {96, 120, 10, 100, -13, 0},              // the table's resolution wins
      {0, 96, 10, 150, -13, 10},               // 7 x 150 / 100
      {72, 96, 12, 50, -12, 3},                // 7 x 50 / 100
      {0, 96, 10, 2147483647, -13, 150323855}, // 7 x 2147483647 / 100 in 64 bits
  };
  for (const auto &c : cases) {
    TRVStyle s;
    s.TextStyles().PixelsPerInch = c.TablePPI;
    TFontInfo *f = s.TextStyles()[1];
    f->Size = c.Size;
    f->CharScale = c.CharScale;
    f->FontName = "Liberation Serif";
    f->Charset = 204;
    RecordingCanvas::Metrics m;
    m.ppiY = c.CanvasPPI;
    RecordingCanvas cv(m);
    f->Apply(cv, rvbdUnspecified);
    EXPECT_EQ(cv.font().lfHeight, c.Height) << c.TablePPI << "/" << c.CanvasPPI << "/" << c.CharScale;
    EXPECT_EQ(cv.font().lfWidth, c.Width) << c.CharScale;
    EXPECT_EQ(cv.font().lfWeight, 700);
    EXPECT_EQ(cv.font().lfFaceName, "Liberation Serif");
    EXPECT_EQ(cv.font().lfCharSet, 204);
  }
}

TEST(StylePaint, ApplyDirection) {
  struct {
    TRVBiDiMode Own, Doc;
    int Extra;
    unsigned Align;
  } const cases[] = {{rvbdUnspecified, rvbdUnspecified, 3, TA_CENTER},
                     {rvbdLeftToRight, rvbdUnspecified, 0, TA_LEFT},
                     {rvbdRightToLeft, rvbdUnspecified, 0, TA_RTLREADING},
                     {rvbdUnspecified, rvbdRightToLeft, 0, TA_RTLREADING},
                     {rvbdLeftToRight, rvbdRightToLeft, 0, TA_LEFT}};
  for (const auto &c : cases) {
    TFontInfo f;
    f.CharSpacing = 3;
    f.BiDiMode = c.Own;
    RecordingCanvas cv;
    cv.setTextAlign(TA_CENTER);
    f.Apply(cv, c.Doc);
    EXPECT_EQ(cv.textCharacterExtra(), c.Extra) << int(c.Own) << int(c.Doc);
    EXPECT_EQ(cv.textAlign(), c.Align) << int(c.Own) << int(c.Doc);
  }
}

TEST(StylePaint, ApplyStyleUsesTheFallbackAndTheEvent) {
  TRVStyle s;
  RecordingCanvas cv;
  s.ApplyStyle(cv, 99, rvbdUnspecified);
  EXPECT_EQ(cv.font().lfFaceName, "Arial");
  int calls = 0;
  s.OnApplyStyle = [&](TRVStyle *, TCanvas &, int StyleNo, bool &DoDefault) {
    ++calls;
    DoDefault = StyleNo != 1;
  };
  cv.clearLog();
  s.ApplyStyle(cv, 1, rvbdUnspecified);
  EXPECT_TRUE(Lines(cv, {"setFont"}).empty());
  s.ApplyStyle(cv, 2, rvbdUnspecified);
  EXPECT_EQ(Lines(cv, {"setFont"}).size(), 1u);
  EXPECT_EQ(calls, 2);
}

// ----------------------------------------------------------------- colours

TEST(StylePaint, ApplyColorInEveryStateAndColourMode) {
  struct Case {
    const char *Name;
    TColor Color, Back;
    TRVTextDrawStates State;
    bool Printing;
    uint8_t Mode;
    TColor Font, Brush;
  };
  const TColor gray = RGB(0xC0, 0xC0, 0xC0);
  const Case cases[] = {
      {"screen", clRed, clYellow, {}, false, 2, clRed, clYellow},
      {"screen clear", clRed, clNone, {}, false, 0, clRed, clNone},
      {"selected focused", clRed, clNone, {rvtsSelected, rvtsControlFocused}, false, 0, clHighlightText, clHighlight},
      {"selected unfocused", clRed, clNone, {rvtsSelected}, true, 3, clBlack, clBtnFace},
      {"print 0", clWindowText, clBtnFace, {}, true, 0, clWindowText, clBtnFace},
      {"print 1", clWindowText, clBtnFace, {}, true, 1, clBlack, gray},
      {"print 2", clRed, clBtnFace, {}, true, 2, RGB(76, 76, 76), gray},
      {"print 3 white on none", clWhite, clNone, {}, true, 3, clWhite, clNone},
      {"print 3 window on none", clWindow, clNone, {}, true, 3, clWhite, clNone},
      {"print 3 red on none", clRed, clNone, {}, true, 3, clBlack, clNone},
      {"print 3 black on white", clBlack, clWhite, {}, true, 3, clBlack, clWhite},
      {"print 3 white on navy", clWhite, clNavy, {}, true, 3, clWhite, clBlack},
      {"print 4", clRed, clYellow, {}, true, 4, clBlack, clNone},
  };
  for (const auto &c : cases) {
    TRVStyle s;
    s.InactiveSelColor = clBtnFace;
    s.InactiveSelTextColor = clBlack;
    TFontInfo *f = s.TextStyles()[0];
    f->Color = c.Color;
    f->BackColor = c.Back;
    RecordingCanvas cv;
    f->ApplyColor(cv, s, c.State, c.Printing, c.Mode);
    EXPECT_EQ(LogColor(cv.fontColor()), LogColor(c.Font)) << c.Name;
    EXPECT_EQ(LogColor(cv.brush().Color), LogColor(c.Brush)) << c.Name;
    EXPECT_EQ(cv.brush().Style, c.Brush == clNone ? TBrushStyle::bsClear : TBrushStyle::bsSolid) << c.Name;
  }
}

TEST(StylePaint, SelectedAndHoveredColours) {
  TRVStyle s;
  TFontInfo *f = s.TextStyles()[4];
  RecordingCanvas cv;
  s.SelTextColor = clNone;
  f->ApplyColor(cv, s, {rvtsSelected, rvtsControlFocused}, false, 0);
  EXPECT_EQ(cv.fontColor(), clGreen);
  EXPECT_EQ(cv.brush().Color, clHighlight);
  // Hovered: the style's hover colour, else the sheet's, else its own colour.
  f->ApplyColor(cv, s, {rvtsHover}, false, 0);
  EXPECT_EQ(cv.fontColor(), clGreen);
  EXPECT_EQ(cv.brush().Style, TBrushStyle::bsClear);
  s.HoverColor = clRed;
  f->HoverBackColor = clYellow;
  f->ApplyColor(cv, s, {rvtsHover}, false, 0);
  EXPECT_EQ(cv.fontColor(), clRed);
  EXPECT_EQ(cv.brush().Color, clYellow);
  f->HoverColor = clBlue;
  f->ApplyColor(cv, s, {rvtsHover}, false, 0);
  EXPECT_EQ(cv.fontColor(), clBlue);
  // The event may take over.
  s.OnApplyStyleColor = [](TRVStyle *, TCanvas &c, int, TRVTextDrawStates, bool &DoDefault) {
    c.setFontColor(clPurple);
    DoDefault = false;
  };
  s.ApplyStyleColor(cv, 4, {}, false, 0);
  EXPECT_EQ(cv.fontColor(), clPurple);
}

// ------------------------------------------------------------- text pieces

TEST(StylePaint, DrawPlainPieceAndLeadingSpace) {
  TRVStyle s;
  RecordingCanvas cv;
  s.ApplyStyle(cv, 4, rvbdUnspecified); // underlined
  s.ApplyStyleColor(cv, 4, {}, false, 0);
  cv.setBrush(CanvasBrush{clYellow, TBrushStyle::bsSolid});
  cv.clearLog();
  s.DrawStyleText("ab", cv, 0, 1, 4, nullptr, 5, 10, 20, 19, 14, {}, false, false, 0, rvbdUnspecified);
  EXPECT_EQ(
      Lines(cv, {"textOut", "fillRect", "moveTo", "lineTo"}),
      (std::vector<std::string>{"textOut(15,20,\"ab\")", "fillRect(10,20,15,34)", "moveTo(10,33)", "lineTo(16,33)"}));
  // The brush is left clear and the pen solid.
  EXPECT_EQ(cv.brush().Style, TBrushStyle::bsClear);
  EXPECT_EQ(cv.pen().Style, TPenStyle::psSolid);
}

TEST(StylePaint, DrawOverlineSpecialCharactersAndCapitals) {
  TRVStyle s;
  TFontInfo *f = s.TextStyles()[0];
  f->StyleEx = TRVFontStyles{rvfsOverline, rvfsAllCaps};
  RecordingCanvas cv;
  s.ApplyStyle(cv, 0, rvbdUnspecified);
  cv.clearLog();
  s.DrawStyleText("a b", cv, 0, 1, 0, nullptr, 0, 10, 20, 21, 14, {rvtsSpecialCharacters}, false, false, 0,
                  rvbdUnspecified);
  EXPECT_EQ(Lines(cv, {"textOut", "moveTo", "lineTo"}),
            (std::vector<std::string>{"textOut(10,20,\"A B\")", "textOut(17,20,\"\xC2\xB7\")", "moveTo(10,20)",
                                      "lineTo(31,20)"}));
  // No dots when printing.
  cv.clearLog();
  s.DrawStyleText("a b", cv, 0, 1, 0, nullptr, 0, 10, 20, 21, 14, {rvtsSpecialCharacters}, true, false, 0,
                  rvbdLeftToRight);
  EXPECT_EQ(Lines(cv, {"textOut"}), (std::vector<std::string>{"textOut(10,20,\"A B\")"}));
}

TEST(StylePaint, UnicodePiece) {
  TRVStyle s;
  s.TextStyles()[0]->Unicode = true;
  RecordingCanvas cv;
  std::string raw("\x41\x04\x42\x04", 4); // two Cyrillic letters, little-endian
  s.DrawStyleText(raw, cv, 0, 1, 0, nullptr, 0, 0, 0, 14, 14, {}, false, false, 0, rvbdUnspecified);
  EXPECT_EQ(Lines(cv, {"textOut"}), (std::vector<std::string>{"textOutW(0,0,\"\xD1\x81\xD1\x82\")"}));
}

TEST(StylePaint, PrintingByCharacters) {
  TRVStyle s;
  RecordingCanvas cv;
  // Fit mode: "abc" is 21 wide; 26 - 1 leaves 25, so 4 pixels are spread
  // from the first character on.
  s.DrawStyleText("abc", cv, 0, 1, 0, nullptr, 1, 0, 0, 26, 14, {}, true, true, 0, rvbdUnspecified);
  EXPECT_EQ(Lines(cv, {"textOut", "extTextOut"}),
            (std::vector<std::string>{"extTextOut(1,0,0,nil,\"abc\",dx=[8,8,9])"}));
  // Already the right width: a plain text out.
  cv.clearLog();
  s.DrawStyleText("abc", cv, 0, 1, 0, nullptr, 1, 0, 0, 22, 14, {}, true, true, 0, rvbdUnspecified);
  EXPECT_EQ(Lines(cv, {"textOut", "extTextOut"}), (std::vector<std::string>{"textOut(1,0,\"abc\")"}));
  // Character extra: added to every advance, set to 0 for the call and restored.
  cv.setTextCharacterExtra(2);
  cv.clearLog();
  s.DrawStyleText("ab", cv, 0, 1, 0, nullptr, 0, 0, 0, 18, 14, {}, true, false, 0, rvbdUnspecified);
  EXPECT_EQ(Lines(cv, {"textOut", "extTextOut", "setTextCharacterExtra"}),
            (std::vector<std::string>{"setTextCharacterExtra(0)", "extTextOut(0,0,0,nil,\"ab\",dx=[9,9])",
                                      "setTextCharacterExtra(2)"}));
  // A single character is never drawn by characters.
  cv.clearLog();
  s.DrawStyleText("a", cv, 0, 1, 0, nullptr, 0, 0, 0, 30, 14, {}, true, true, 0, rvbdUnspecified);
  EXPECT_EQ(Lines(cv, {"textOut", "extTextOut"}), (std::vector<std::string>{"textOut(0,0,\"a\")"}));
  // With a solid brush the piece's box is filled first with a clear pen.
  cv.setBrush(CanvasBrush{clYellow, TBrushStyle::bsSolid});
  cv.clearLog();
  s.DrawStyleText("a", cv, 0, 1, 0, nullptr, 0, 3, 4, 30, 14, {}, true, true, 0, rvbdUnspecified);
  EXPECT_EQ(Lines(cv, {"fillRect"}), (std::vector<std::string>{"fillRect(3,4,33,18)"}));
}

TEST(StylePaint, ExtremeScaleAndSpacingPaintOnTheQtCanvas) {
  // Values a stored or imported style may carry; the canvas's own sums must
  // not wrap, and what is measured keeps its order.
  struct {
    const char *Name;
    int32_t Scale, Spacing;
  } const cases[] = {
      {"widest scale", INT32_MAX, 0},
      {"negative scale", INT32_MIN, 0},
      {"widest spacing", 100, INT32_MAX},
      {"narrowest spacing", 100, INT32_MIN},
      {"both at the top", INT32_MAX, INT32_MAX},
      {"both at the bottom", INT32_MIN, INT32_MIN},
  };
  setScreenPixelsPerInch(96);
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Name);
    TRVStyle s;
    TFontInfo *f = s.TextStyles()[0];
    f->CharScale = c.Scale;
    f->CharSpacing = c.Spacing;
    QImage img(120, 30, QImage::Format_ARGB32);
    img.fill(0);
    QtCanvas cv(&img, 96, 96);
    s.ApplyStyle(cv, 0, rvbdUnspecified);
    s.ApplyStyleColor(cv, 0, {}, false, 0);
    std::vector<int> ext;
    int fit = 0;
    const int whole = cv.textExtentEx("ab c", 1 << 30, &fit, &ext).cx;
    ASSERT_EQ(ext.size(), 4u);
    EXPECT_EQ(whole, ext.back());
    if (c.Spacing >= 0) {
      EXPECT_TRUE(std::is_sorted(ext.begin(), ext.end()));
    }
    CharacterPlacement cp;
    EXPECT_TRUE(cv.characterPlacementA("ab c", GCP_REORDER, cp));
    s.DrawStyleText("ab c", cv, 0, 0, 0, nullptr, 3, 0, 0, 60, 14, {rvtsSpecialCharacters}, false, false, 0,
                    rvbdUnspecified);
    // Printing draws by characters, with the extra and fitted to a width.
    s.DrawStyleText("ab c", cv, 0, 0, 0, nullptr, 3, 0, 0, 60, 14, {}, true, false, 0, rvbdUnspecified);
    s.DrawStyleText("ab c", cv, 0, 0, 0, nullptr, 3, 0, 0, 60, 14, {}, true, true, 0, rvbdUnspecified);
  }
  setScreenPixelsPerInch(0);
}

TEST(StylePaint, SelectedEmptyPieceRepaintsItsSpaceUnselected) {
  TRVStyle s;
  s.TextStyles()[0]->BackColor = clYellow;
  RecordingCanvas cv;
  s.ApplyStyleColor(cv, 0, {rvtsSelected}, false, 0);
  cv.clearLog();
  s.DrawStyleText("", cv, 0, 1, 0, nullptr, 6, 10, 0, 6, 14, {rvtsSelected}, false, false, 0, rvbdUnspecified);
  EXPECT_TRUE(Has(cv, "setBrush(#FFFF00,style0)"));
  EXPECT_TRUE(Has(cv, "fillRect(10,0,16,14)"));
}

TEST(StylePaint, DrawStyleTextEventSeesThePieceAndMayReplaceIt) {
  TRVStyle s;
  s.TextStyles()[2]->StyleEx = TRVFontStyles{rvfsAllCaps};
  std::string seen;
  int item = 0, offset = 0;
  s.OnDrawStyleText = [&](TRVStyle *Sender, const std::string &text, TCanvas &, int, int, int, int, int, int,
                          TRVTextDrawStates, bool &DoDefault) {
    seen = text;
    item = Sender->ItemNo;
    offset = Sender->OffsetInItem;
    DoDefault = false;
  };
  RecordingCanvas cv;
  s.DrawStyleText("hello", cv, 7, 3, 2, nullptr, 0, 0, 0, 35, 14, {}, false, false, 0, rvbdUnspecified);
  EXPECT_EQ(seen, "HELLO");
  EXPECT_EQ(item, 7);
  EXPECT_EQ(offset, 3);
  EXPECT_TRUE(Lines(cv, {"textOut"}).empty());
  // Text backgrounds have no default painting, only the event.
  int backs = 0;
  s.DrawTextBack(cv, 1, 0, nullptr, 0, 0, 5, 5, {});
  s.OnDrawTextBack = [&](TRVStyle *Sender, TCanvas &, int, int, int, int, int, TRVTextDrawStates, bool &) {
    ++backs;
    EXPECT_EQ(Sender->ItemNo, 9);
  };
  s.DrawTextBack(cv, 9, 0, nullptr, 0, 0, 5, 5, {});
  EXPECT_EQ(backs, 1);
}

// --------------------------------------------------- borders and backgrounds

TEST(StylePaint, DoubleBorderDrawsInnerLineFirst) {
  TRVBorder b;
  b.Style = rvbDouble;
  RecordingCanvas cv;
  b.DrawSimple(TRect{10, 10, 50, 30}, cv);
  std::vector<std::string> lines = Lines(cv, {"moveTo", "lineTo"});
  ASSERT_EQ(lines.size(), 32u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4),
            (std::vector<std::string>{"moveTo(10,10)", "lineTo(50,10)", "moveTo(50,10)", "lineTo(10,10)"}));
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 16, lines.begin() + 20),
            (std::vector<std::string>{"moveTo(8,8)", "lineTo(52,8)", "moveTo(52,8)", "lineTo(8,8)"}));
  EXPECT_EQ(lines.back(), "lineTo(8,32)");
  EXPECT_EQ(cv.pen().Width, 1);
  EXPECT_TRUE(Has(cv, "setPen(sys8,1,style6,mode0)"));
}

TEST(StylePaint, BorderSidesOffsetsAndThickLines) {
  TRVBorder b;
  b.Style = rvbThickOutside;
  b.Width = 2;
  b.BorderOffsets.SetAll(1);
  b.VisibleBorders.SetValues(false, true, false, false);
  RecordingCanvas cv;
  b.DrawSimple(TRect{10, 10, 50, 30}, cv);
  // Only the top side; the inner line first at width 2, the outer at 4.
  EXPECT_EQ(Lines(cv, {"moveTo", "lineTo", "setPen"}),
            (std::vector<std::string>{"setPen(sys8,2,style6,mode0)", "moveTo(9,9)", "lineTo(51,9)", "moveTo(51,9)",
                                      "lineTo(9,9)", "setPen(sys8,4,style6,mode0)", "moveTo(7,7)", "lineTo(53,7)",
                                      "moveTo(53,7)", "lineTo(7,7)", "setPen(sys8,1,style6,mode0)"}));
  RecordingCanvas none;
  b.VisibleBorders.SetAll(false);
  b.DrawSimple(TRect{10, 10, 50, 30}, none);
  EXPECT_TRUE(Lines(none, {"moveTo", "lineTo"}).empty());
  b.Style = rvbNone;
  RecordingCanvas nothing;
  b.DrawSimple(TRect{10, 10, 50, 30}, nothing);
  EXPECT_TRUE(nothing.log.empty());
}

TEST(StylePaint, BordersOfStoredExtremesStayWithinTheCoordinateRange) {
  // Widths and offsets read from a file may be anything.
  TRVBorder b;
  b.Style = rvbThickInside;
  b.Width = INT32_MAX;
  b.InternalWidth = INT32_MAX;
  b.BorderOffsets.SetAll(INT32_MAX);
  RecordingCanvas cv;
  b.DrawSimple(TRect{10, 10, 50, 30}, cv);
  const std::string max = std::to_string(INT32_MAX), min = std::to_string(INT32_MIN);
  EXPECT_TRUE(Has(cv, "moveTo(" + min + "," + min + ")"));
  EXPECT_TRUE(Has(cv, "lineTo(" + max + "," + min + ")"));
  EXPECT_TRUE(Has(cv, "setPen(sys8," + max + ",style6,mode0)"));
  TRVBackgroundRect bg;
  bg.Color = clRed;
  RecordingCanvas back;
  bg.Draw(TRect{0, 0, INT32_MAX, INT32_MAX}, back, false, 0);
  EXPECT_TRUE(Has(back, "fillRect(0,0," + max + "," + max + ")"));
}

TEST(StylePaint, PrintedBorderIsScaledAndColouredByMode) {
  TRVBorder b;
  b.Style = rvbSingle;
  b.Color = clRed;
  b.Width = 2;
  b.BorderOffsets.SetAll(3);
  TRVScreenAndDevice sad{96, 96, 192, 192};
  struct {
    uint8_t Mode;
    const char *Pen;
  } const cases[] = {{0, "setPen(#FF0000,4,style6,mode0)"},
                     {2, "setPen(#4C4C4C,4,style6,mode0)"},
                     {4, "setPen(#000000,4,style6,mode0)"}};
  for (const auto &c : cases) {
    RecordingCanvas cv;
    b.Draw(TRect{100, 100, 200, 200}, cv, c.Mode, sad);
    EXPECT_TRUE(Has(cv, c.Pen)) << int(c.Mode);
    EXPECT_TRUE(Has(cv, "moveTo(94,94)")) << int(c.Mode);
  }
}

TEST(StylePaint, BackgroundByColourMode) {
  TRVBackgroundRect bg;
  bg.Color = clBtnFace;
  struct {
    bool Printing;
    uint8_t Mode;
    const char *Brush; // nullptr: nothing painted
  } const cases[] = {{false, 0, "setBrush(#C0C0C0,style0)"},
                     {false, 4, "setBrush(#C0C0C0,style0)"},
                     {true, 1, "setBrush(#C0C0C0,style0)"},
                     {true, 2, "setBrush(#C0C0C0,style0)"},
                     {true, 3, nullptr},
                     {true, 4, nullptr}};
  for (const auto &c : cases) {
    RecordingCanvas cv;
    bg.Draw(TRect{0, 0, 10, 5}, cv, c.Printing, c.Mode);
    if (!c.Brush) {
      EXPECT_TRUE(cv.log.empty()) << int(c.Mode);
      continue;
    }
    EXPECT_TRUE(Has(cv, c.Brush)) << int(c.Mode);
    EXPECT_TRUE(Has(cv, "fillRect(0,0,11,6)"));
    EXPECT_EQ(cv.brush().Style, TBrushStyle::bsClear);
    EXPECT_EQ(cv.pen().Style, TPenStyle::psSolid);
  }
  TRVBackgroundRect grey;
  grey.Color = clRed;
  RecordingCanvas cv;
  grey.Draw(TRect{0, 0, 1, 1}, cv, true, 2);
  EXPECT_TRUE(Has(cv, "setBrush(#4C4C4C,style0)"));
  TRVBackgroundRect none;
  RecordingCanvas empty;
  none.Draw(TRect{0, 0, 1, 1}, empty, false, 0);
  EXPECT_TRUE(empty.log.empty());
}

TEST(StylePaint, ParagraphBackgroundThroughTheSheet) {
  TRVStyle s;
  s.ParaStyles()[1]->Background.Color = clYellow;
  RecordingCanvas cv;
  TRect r{0, 0, 20, 10};
  s.DrawParaBack(cv, 1, r, false, 0);
  EXPECT_TRUE(Has(cv, "fillRect(0,0,21,11)"));
  bool called = false;
  s.OnDrawParaBack = [&](TRVStyle *, TCanvas &, int ParaNo, TRect &ARect, bool &DoDefault) {
    called = ParaNo == 1;
    ARect.Right = 5;
    DoDefault = true;
  };
  cv.clearLog();
  s.DrawParaBack(cv, 1, r, false, 0);
  EXPECT_TRUE(called);
  EXPECT_TRUE(Has(cv, "fillRect(0,0,6,11)"));
}

// ------------------------------------------------ checkpoints, page breaks

TEST(StylePaint, CheckpointsAndPageBreaks) {
  TRVStyle s;
  RecordingCanvas cv;
  s.DrawCheckpoint(cv, 30, 40, 2, 5, true, nullptr, 200);
  EXPECT_EQ(Lines(cv, {"ellipse", "moveTo", "lineTo"}),
            (std::vector<std::string>{"ellipse(28,38,32,42)", "moveTo(-5,40)", "lineTo(200,40)"}));
  EXPECT_TRUE(Has(cv, "setPen(#00FF00,1,style2,mode0)"));
  EXPECT_EQ(cv.pen().Style, TPenStyle::psSolid);
  EXPECT_EQ(cv.brush().Style, TBrushStyle::bsClear);
  RecordingCanvas noItem;
  s.DrawCheckpoint(noItem, 30, 40, -1, 0, false, nullptr, 100);
  EXPECT_TRUE(Lines(noItem, {"ellipse"}).empty());
  EXPECT_TRUE(Has(noItem, "setPen(#008000,1,style2,mode0)"));

  RecordingCanvas pb;
  s.DrawPageBreak(pb, 50, 4, rvpbPageBreak, nullptr, 300);
  EXPECT_EQ(Lines(pb, {"moveTo", "lineTo", "polygon", "setBrush"}),
            (std::vector<std::string>{"moveTo(-4,50)", "lineTo(288,50)", "setBrush(sys5,style0)",
                                      "polygon((288,50),(296,58),(288,58))", "setBrush(sys5,style1)"}));
  EXPECT_TRUE(Has(pb, "setPen(sys16,1,style0,mode0)"));
  RecordingCanvas soft;
  s.DrawPageBreak(soft, 50, 4, rvpbSoftPageBreak, nullptr, 300);
  EXPECT_TRUE(Has(soft, "setPen(sys15,1,style0,mode0)"));

  s.OnDrawPageBreak = [](TRVStyle *, TCanvas &, int, int, TRVPageBreakType, TRVScroller *, bool &DoDefault) {
    DoDefault = false;
  };
  s.OnDrawCheckpoint = [](TRVStyle *, TCanvas &, int, int, int, int, bool, TRVScroller *, bool &DoDefault) {
    DoDefault = false;
  };
  RecordingCanvas skipped;
  s.DrawPageBreak(skipped, 50, 4, rvpbPageBreak, nullptr, 300);
  s.DrawCheckpoint(skipped, 1, 1, 1, 0, false, nullptr, 10);
  EXPECT_TRUE(Lines(skipped, {"moveTo", "lineTo", "polygon", "ellipse"}).empty());
  EXPECT_EQ(skipped.pen().Style, TPenStyle::psSolid);
  EXPECT_EQ(skipped.brush().Style, TBrushStyle::bsClear);
}

TEST(StylePaint, GetLogFont) {
  TRVStyle s;
  TFontInfo *f = s.TextStyles()[3];
  f->Style = fsItalic | fsStrikeOut;
  f->Charset = 238;
  RecordingCanvas::Metrics m;
  m.ppiY = 144;
  RecordingCanvas cv(m);
  TLogFont lf;
  lf.lfEscapement = 9;
  f->GetLogFont(lf, cv);
  EXPECT_EQ(lf.lfHeight, -20);
  EXPECT_EQ(lf.lfWidth, 0);
  EXPECT_EQ(lf.lfEscapement, 0);
  EXPECT_EQ(lf.lfWeight, 400);
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(lf.lfUnderline, 0);
  EXPECT_EQ(lf.lfStrikeOut, 1);
  EXPECT_EQ(lf.lfCharSet, 238);
  EXPECT_EQ(lf.lfFaceName, "Arial");
  s.TextStyles().PixelsPerInch = 72;
  f->GetLogFont(lf, cv);
  EXPECT_EQ(lf.lfHeight, -10);
}
