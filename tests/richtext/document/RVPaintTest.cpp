// Painting on the recording canvas and on an image: special-character
// marks, selections drawn over whole pieces, and paragraphs whose stored
// geometry reaches far outside the painted area.
#include <gtest/gtest.h>

#include <QImage>

#include "FormatFixture.h"
#include "platform/QtCanvas.h"
#include "richtext/document/RVBack.h"

using namespace kc;
using kctest::FormatDoc;

namespace {

int countOf(const std::string &log, const std::string &what) {
  int n = 0;
  for (size_t p = log.find(what); p != std::string::npos; p = log.find(what, p + 1)) ++n;
  return n;
}

TEST(Paint, SpecialCharactersMarkParagraphEndsAndLineBreaksButNotWrapPoints) {
  FormatDoc f(45);
  f.host->Options.Include(rvoShowSpecialCharacters);
  f.para({"ab cd"}); // wraps between "ab" and "cd"
  f.lineBreak("ef");
  f.para({"gh"});
  f.format();
  f.canvas->clearLog();
  f.doc->PaintVisibleLines(TRect{0, 0, 45, 100}, *f.canvas);
  const std::string log = f.canvas->logText();
  EXPECT_EQ(countOf(log, "\xC2\xB6"), 2) << log;     // after "ef" (paragraph end) and "gh" (document end)
  EXPECT_EQ(countOf(log, "\xE2\x86\xB5"), 1) << log; // after "cd", before the line break
  EXPECT_EQ(countOf(log, "Symbol"), 0) << "the mark needs no symbol font";
}

TEST(Paint, SelectionEdgesDrawTheWholePieceThenItsSelectedPart) {
  FormatDoc f(200);
  f.para({"abcdef"});
  f.format();
  struct Case {
    const char *name;
    int startOffs, endOffs;
    const char *selectedText; // nullptr: nothing drawn selected
  } cases[] = {
      {"middle characters", 2, 4, "\"bc\""},
      {"ending at offset 1 selects nothing", 1, 1, nullptr},
      {"whole piece drawn once", 1, 7, nullptr},
  };
  for (const auto &c : cases) {
    f.doc->SelStartLine = f.doc->SelEndLine = 0;
    f.doc->SelStartOffs = c.startOffs;
    f.doc->SelEndOffs = c.endOffs;
    f.canvas->clearLog();
    f.doc->PaintVisibleLines(TRect{0, 0, 200, 50}, *f.canvas);
    const std::string log = f.canvas->logText();
    if (c.selectedText) {
      EXPECT_EQ(countOf(log, "\"abcdef\""), 1) << c.name << "\n" << log;
      EXPECT_EQ(countOf(log, c.selectedText), 1) << c.name << "\n" << log;
      // The selected part starts after the width of the character before it.
      EXPECT_NE(log.find("(10,0,\"bc\")"), std::string::npos) << c.name << "\n" << log;
    } else {
      EXPECT_EQ(countOf(log, "\"abcdef\""), 1) << c.name << "\n" << log;
    }
  }
}

// Stored indents of two thousand million pixels: painting draws only what
// falls near the image, at once.
TEST(Paint, ExtremeIndentsAndBordersAreCutToThePaintedArea) {
  FormatDoc f(300);
  int no = 0;
  TParaInfo &p = f.newPara(no);
  p.LeftIndent = -2000000000;
  p.RightIndent = -2000000000;
  p.Border.Style = rvbSingle;
  p.Border.Width = 3;
  p.Background.Color = clYellow;
  f.para({"text in a paragraph with far indents"}, no);
  f.format();
  QImage image(300, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QtCanvas canvas(&image);
    f.doc->PaintBackground(TRect{0, 0, 300, 200}, canvas);
    f.doc->PaintVisibleLines(TRect{0, 0, 300, 200}, canvas);
  }
  f.canvas->clearLog();
  f.doc->PaintVisibleLines(TRect{0, 0, 300, 200}, *f.canvas);
  const std::string log = f.canvas->logText();
  EXPECT_EQ(log.find("-2000000"), std::string::npos) << log;
  EXPECT_EQ(log.find("2000000000"), std::string::npos) << log;
}

TEST(Background, TiledCopiesFollowTheAreaOrTheScrollAndOnlyThoseThatMeetTheRectangle) {
  TRVBackground bg(false);
  bg.AssignImage(std::make_unique<TBitmap>(QImage(10, 10, QImage::Format_RGB32)));
  struct Case {
    const char *name;
    TBackgroundStyle style;
    bool needsRepaint;
    int copies;
  } cases[] = {
      {"tiled: grid fixed to the area", bsTiled, true, 9},
      {"tiled and scrolled: grid moves with the text", bsTiledAndScrolled, false, 16},
      {"centred: one copy", bsCentered, true, 1},
      {"stretched: one copy", bsStretched, true, 1},
  };
  for (const auto &c : cases) {
    bg.Style = c.style;
    EXPECT_EQ(bg.ScrollNeedsRepaint(), c.needsRepaint) << c.name;
    RecordingCanvas canvas;
    bg.Draw(canvas, TRect{0, 0, 25, 25}, 5, 5, 0, 0, 1000000000, 1000000000, clWhite, false);
    EXPECT_EQ(countOf(canvas.logText(), "drawGraphic"), c.copies) << c.name << "\n" << canvas.logText();
  }
  bg.FreeBitmap();
  bg.Style = bsTiled;
  EXPECT_FALSE(bg.ScrollNeedsRepaint()) << "an empty picture never needs a full repaint";
  bg.SetItemBackStyle(rvbsTiled);
  EXPECT_EQ(bg.GetItemBackStyle(), rvbsTiled);
  bg.Style = bsTiledAndScrolled;
  EXPECT_EQ(bg.GetItemBackStyle(), rvbsTiled);
}

} // namespace

namespace {

TEST(Paint, AParagraphBegunAboveTheRectangleGetsItsWholeBackground) {
  FormatDoc f(40);
  int no = 0;
  f.newPara(no).Background.Color = clYellow;
  f.para({"aaaa bbbb cccc dddd"}, no); // four lines, 0..40
  f.format();
  f.host->ScrollTo(25, false); // two 10-pixel units: the view starts in the third line
  f.canvas->clearLog();
  f.doc->PaintVisibleLines(TRect{0, 0, 40, 10}, *f.canvas);
  const std::string log = f.canvas->logText();
  // Filled from the paragraph's top, 20 pixels above the view, on.
  EXPECT_NE(log.find("fillRect(0,-20,"), std::string::npos) << log;
}

} // namespace
