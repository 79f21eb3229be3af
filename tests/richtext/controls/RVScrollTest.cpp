// The scrolling base control under the offscreen platform: wheel and keys,
// the vertical unit cap, a bar that appears during formatting, embedded
// controls far away, and the place kept when the scroll unit changes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "richtext/controls/RVScroll.h"
#include "richtext/document/CRVFData.h"

using namespace kc;

namespace {

// A scroller with a range of 1000 units of 10 px and a client of 200 x 100.
struct Scroller {
  Scroller() {
    s.resize(200, 100);
    s.UpdateScrollBars(150, 1000, false);
  }
  TRVScroller s;
};

void wheel(QWidget &w, int notches, bool &accepted) {
  QWheelEvent e(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  e.setAccepted(false);
  QApplication::sendEvent(&w, &e);
  accepted = e.isAccepted();
}

TEST(Scroller, WheelScrollsByTheStepScaledByTheSystemLines) {
  struct Case {
    const char *name;
    int wheelStep, lines, notches, expected;
    bool handled;
  } cases[] = {
      {"three lines, step 2: two units a notch", 2, 3, -1, 102, true},
      {"wheel up goes back", 2, 3, 1, 98, true},
      {"one line, step 5: five thirds round to 2", 5, 1, -1, 102, true},
      {"one line, step 1: a third rounds to 0", 1, 1, -1, 100, true},
      {"step 0: the wheel is passed on", 0, 3, -1, 100, false},
  };
  for (const auto &c : cases) {
    Scroller t;
    t.s.SetVScrollPos(100);
    t.s.WheelStep = c.wheelStep;
    t.s.WheelScrollLines = c.lines;
    bool accepted = false;
    wheel(t.s, c.notches, accepted);
    EXPECT_EQ(t.s.VScrollPos(), c.expected) << c.name;
    EXPECT_EQ(accepted, c.handled) << c.name;
  }
}

TEST(Scroller, KeysMoveByLinesPagesAndToTheEnds) {
  // Expected positions from the page (client height in units) and the
  // largest position (range less a page).
  struct Case {
    const char *name;
    int key;
    int (*vertical)(int page, int last);
    int horizontal;
  } cases[] = {
      {"down", Qt::Key_Down, [](int, int) { return 101; }, 0},
      {"up", Qt::Key_Up, [](int, int) { return 99; }, 0},
      {"page down", Qt::Key_PageDown, [](int page, int) { return 100 + page; }, 0},
      {"page up", Qt::Key_PageUp, [](int page, int) { return 100 - page; }, 0},
      {"home", Qt::Key_Home, [](int, int) { return 0; }, 0},
      {"end", Qt::Key_End, [](int, int last) { return last; }, 0},
      {"right", Qt::Key_Right, [](int, int) { return 100; }, 10},
  };
  for (const auto &c : cases) {
    Scroller t;
    t.s.UpdateScrollBars(1000, 1000, false);
    t.s.SetVScrollPos(100);
    const int page = t.s.ClientHeight() / t.s.VSmallStep();
    ASSERT_GT(page, 1);
    QKeyEvent e(QEvent::KeyPress, c.key, Qt::NoModifier);
    QApplication::sendEvent(&t.s, &e);
    EXPECT_EQ(t.s.VScrollPos(), c.vertical(page, 1000 - page)) << c.name;
    EXPECT_EQ(t.s.HScrollPos(), c.horizontal) << c.name;
  }
}

TEST(Scroller, VerticalRangeNeverExceeds32000Units) {
  Scroller t;
  t.s.UpdateScrollBars(100, 50000, false);
  EXPECT_EQ(t.s.VRange(), 32000);
  EXPECT_LE(t.s.VerticalBar()->maximum(), 32000);
}

TEST(Scroller, ThumbTrackingIsIgnoredWithoutTracking) {
  Scroller t;
  t.s.Tracking = false;
  t.s.VScroll(TRVScroller::sbThumbTrack, 50);
  EXPECT_EQ(t.s.VScrollPos(), 0);
  t.s.VScroll(TRVScroller::sbThumbPosition, 50);
  EXPECT_EQ(t.s.VScrollPos(), 50);
}

TEST(Scroller, ChangingTheStepKeepsThePlaceInPixels) {
  Scroller t;
  t.s.SetVScrollPos(100);
  t.s.SetVSmallStep(20);
  EXPECT_EQ(t.s.VScrollPos(), 50);
}

TEST(Scroller, EmbeddedControlsFarAwayAreClampedAndComeBack) {
  Scroller t;
  t.s.UpdateScrollBars(150, 30000, false);
  QWidget child(&t.s);
  TRVScroller::PlaceChildControl(&child, 5, 100);
  t.s.SetVScrollPos(2000); // 20000 px down
  EXPECT_EQ(child.y(), -TRVScroller::kMaxChildTop);
  EXPECT_EQ(child.property("rvTop").toInt(), 100 - 20000);
  t.s.SetVScrollPos(0);
  EXPECT_EQ(child.y(), 100);
  EXPECT_EQ(child.x(), 5);
}

TEST(Scroller, RightToLeftPutsTheBarOnTheLeft) {
  Scroller t;
  t.s.SetBiDiModeValue(rvbdRightToLeft);
  ASSERT_TRUE(t.s.VerticalBar()->isVisibleTo(&t.s));
  EXPECT_EQ(t.s.VerticalBar()->x(), 0);
  t.s.SetBiDiModeValue(rvbdLeftToRight);
  EXPECT_GT(t.s.VerticalBar()->x(), 100);
}

TEST(Scroller, ABarAppearingDuringFormattingWrapsAgainAtOnceAtTheNarrowerWidth) {
  TRVScroller s;
  s.resize(200, 100);
  TRVStyle style;
  s.Style = &style;
  TRichVistaRVData doc(&s);
  for (int i = 0; i < 3; ++i) doc.AddText("short", 0, 0);
  doc.ReformatAllForced(false);
  EXPECT_FALSE(s.VerticalBar()->isVisibleTo(&s));
  const int wide = doc.TextWidth;
  for (int i = 0; i < 30; ++i) doc.AddText("many words that wrap across the lines of the view", 0, 0);
  doc.ReformatAllForced(false);
  ASSERT_TRUE(s.VerticalBar()->isVisibleTo(&s));
  EXPECT_EQ(doc.TextWidth, s.ClientWidth() - s.LeftMargin - s.RightMargin);
  EXPECT_LT(doc.TextWidth, wide);
  EXPECT_EQ(doc.CheckDrawLines(), "");
  // Nothing is left for later: the next pass at the same size changes nothing.
  const int lines = doc.DrawLines.Count();
  QApplication::processEvents();
  doc.ReformatAll(true, false, false, 0, nullptr, false, false);
  EXPECT_EQ(doc.DrawLines.Count(), lines);
}

} // namespace
