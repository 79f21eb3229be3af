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

// A partly selected Arabic word is shaped whole: its selected letters are
// those of the unselected and the wholly selected word, column for column,
// never letters shaped alone in other forms or places.
TEST(Paint, APartlySelectedArabicWordKeepsItsJoinedForms) {
  setScreenPixelsPerInch(96);
  QImage image(200, 40, QImage::Format_RGB32);
  QtCanvas canvas(&image);
  TRVStyle style;
  style.TextStyles().Items(0)->Unicode = true;
  style.TextStyles().Items(0)->Size = 20;
  style.ParaStyles().Items(0)->BiDiMode = rvbdRightToLeft;
  TRVFixedHost host(&canvas, 200, 40);
  host.LeftMargin = host.RightMargin = host.TopMargin = host.BottomMargin = 0;
  host.Style = &style;
  TRichVistaRVData doc(&host);
  auto item = RichVistaTextItemClass(&doc);
  item->ItemOptions.Include(rvioUnicode);
  doc.AddItem(WideStringToRaw(u"\u0645\u0631\u062D\u0628\u0627\u0628\u0643\u0645"), std::move(item));
  doc.ReformatAllForced(true);
  ASSERT_EQ(doc.DrawLines.Count(), 1);
  const auto paint = [&](int From, int To) {
    image.fill(Qt::white);
    doc.SelStartLine = doc.SelEndLine = From < 0 ? -1 : 0;
    doc.SelStartOffs = From;
    doc.SelEndOffs = To;
    doc.PaintVisibleLines(TRect{0, 0, 200, 40}, canvas);
    return image.copy();
  };
  const QImage none = paint(-1, -1), all = paint(1, 9), part = paint(3, 6);
  int selectedColumns = 0;
  for (int x = 0; x < image.width(); ++x) {
    bool likeNone = true, likeAll = true;
    for (int y = 0; y < image.height(); ++y) {
      likeNone = likeNone && part.pixel(x, y) == none.pixel(x, y);
      likeAll = likeAll && part.pixel(x, y) == all.pixel(x, y);
    }
    EXPECT_TRUE(likeNone || likeAll) << "column " << x;
    if (likeAll && !likeNone) ++selectedColumns;
  }
  EXPECT_GT(selectedColumns, 10);
  setScreenPixelsPerInch(0);
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

// Marks drawn through the style sheet's events: "soft@Y", "hard@Y",
// "cp<item>@X,Y".
struct Marks {
  std::string log;
  explicit Marks(TRVStyle &Style) {
    Style.OnDrawPageBreak = [this](TRVStyle *, TCanvas &, int Y, int, TRVPageBreakType Type, TRVScroller *,
                                   bool &DoDefault) {
      log += (Type == rvpbSoftPageBreak ? "soft@" : "hard@") + std::to_string(Y) + " ";
      DoDefault = false;
    };
    Style.OnDrawCheckpoint = [this](TRVStyle *, TCanvas &, int X, int Y, int ItemNo, int, bool, TRVScroller *,
                                    bool &DoDefault) {
      log += "cp" + std::to_string(ItemNo) + "@" + std::to_string(X) + "," + std::to_string(Y) + " ";
      DoDefault = false;
    };
  }
};

TEST(Paint, PageBreaksAndCheckpointsAreMarkedAtTheTopsOfTheirLines) {
  struct Case {
    const char *name;
    bool showBreaks, showCheckpoints;
    std::vector<TRVSoftPageBreakInfo> soft; // empty: no list at all
    int scrollTop;
    const char *marks;
  } cases[] = {
      // Lines: "aa bb" wraps into "aa" (top 0) and "bb" (10); "cc" at 20
      // with a hard break and a checkpoint; "dd" at 30.
      {"nothing shown", false, false, {{0, 4}}, 0, ""},
      {"hard break and checkpoint", true, true, {}, 0, "hard@20 cp1@0,20 "},
      {"soft breaks at their lines", true, false, {{0, 4}, {2, 1}}, 0, "soft@10 soft@30 hard@20 "},
      {"soft break before the first visible item is left out", true, false, {{0, 1}, {2, 1}}, 20, "soft@10 hard@0 "},
  };
  for (const auto &c : cases) {
    FormatDoc f(25);
    Marks marks(f.style);
    c.showBreaks ? f.host->Options.Include(rvoShowPageBreaks) : f.host->Options.Exclude(rvoShowPageBreaks);
    c.showCheckpoints ? f.host->Options.Include(rvoShowCheckpoints) : f.host->Options.Exclude(rvoShowCheckpoints);
    f.para({"aa bb"});
    f.doc->AddCheckpointTag("", false, 0); // belongs to "cc"
    f.para({"cc"});
    f.para({"dd"});
    f.doc->GetItem(1)->SetPageBreakBefore(true);
    f.format();
    if (!c.soft.empty()) f.doc->SoftPageBreaks = std::make_unique<std::vector<TRVSoftPageBreakInfo>>(c.soft);
    f.host->SetVSmallStep(1);
    f.host->ScrollTo(c.scrollTop, false);
    ASSERT_EQ(f.doc->GetVOffs(), c.scrollTop) << c.name;
    f.doc->PaintVisibleLines(TRect{0, 0, 25, 100}, *f.canvas);
    EXPECT_EQ(marks.log, c.marks) << c.name;
    f.doc->Clear();
    EXPECT_EQ(f.doc->SoftPageBreaks, nullptr) << "a cleared document has no pages";
  }
}

TEST(Paint, AHoveredLinkIsDrawnInTheHoverStateOnlyWhileHoverIsActive) {
  struct Case {
    const char *name;
    bool active;
    int hovered;
    const char *states; // per piece: h hovered, - not
  } cases[] = {
      {"first link hovered", true, 0, "h--"},
      {"second link hovered", true, 1, "--h"},
      {"hover not active", false, 0, "---"},
  };
  for (const auto &c : cases) {
    FormatDoc f(300);
    f.style.TextStyles().Add()->Jump = true;
    const int link = f.style.TextStyles().Count() - 1;
    std::string states;
    f.style.OnDrawStyleText = [&](TRVStyle *, const std::string &, TCanvas &, int, int, int, int, int, int,
                                  TRVTextDrawStates State, bool &) { states += State.Has(rvtsHover) ? "h" : "-"; };
    f.doc->AddText("one", link, 0);
    f.doc->AddText("plain", 0, -1);
    f.doc->AddText("two", link, -1);
    f.format();
    if (c.active) f.doc->State |= rvstHoverActive;
    f.doc->HoveredJump = c.hovered;
    f.doc->PaintVisibleLines(TRect{0, 0, 300, 100}, *f.canvas);
    EXPECT_EQ(states, c.states) << c.name;
  }
}

} // namespace
