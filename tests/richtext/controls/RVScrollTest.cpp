// The scrolling base control under the offscreen platform, driven as a user
// drives it: wheel turns, keys, the bar's thumb and page area, embedded
// controls far away, the vertical unit cap, a bar that appears during
// formatting, the show-bar settings, and the cell document active inside
// the control with its editor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPaintEvent>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <vector>

#include "richtext/controls/RVScroll.h"
#include "richtext/document/CRVFData.h"
#include "richtext/document/RVCtrlData.h"
#include "richtext/document/RVItem.h"

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

// Sends one wheel event of Delta eighths of a degree (120 a notch; wheel
// down is negative), turned sideways on request; QTest has no wheel of its
// own.
bool wheel(QWidget &w, int Delta, bool Sideways = false) {
  QWheelEvent e(QPointF(10, 10), w.mapToGlobal(QPointF(10, 10)), QPoint(),
                Sideways ? QPoint(Delta, 0) : QPoint(0, Delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  e.setAccepted(false);
  QApplication::sendEvent(&w, &e);
  return e.isAccepted();
}

// The centre of a part of a scroll bar (its thumb, the page areas).
QPoint barPart(QScrollBar *Bar, QStyle::SubControl Part) {
  QStyleOptionSlider opt;
  opt.initFrom(Bar);
  opt.orientation = Bar->orientation();
  opt.minimum = Bar->minimum();
  opt.maximum = Bar->maximum();
  opt.sliderPosition = Bar->sliderPosition();
  opt.sliderValue = Bar->value();
  opt.singleStep = Bar->singleStep();
  opt.pageStep = Bar->pageStep();
  opt.upsideDown = Bar->invertedAppearance();
  if (Bar->orientation() == Qt::Horizontal) opt.state |= QStyle::State_Horizontal;
  return Bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, Part, Bar).center();
}

TEST(Scroller, WheelScrollsByTheStepScaledByTheSystemLines) {
  struct Case {
    const char *name;
    int wheelStep, lines;
    std::vector<int> deltas;
    int expected;
    bool handled;
    bool sideways = false;
  } cases[] = {
      {"three lines, step 2: two units a notch", 2, 3, {-120}, 102, true},
      {"wheel up goes back", 2, 3, {120}, 98, true},
      {"one line, step 5: five thirds round to 2", 5, 1, {-120}, 102, true},
      {"one line, step 1: a third rounds to 0", 1, 1, {-120}, 100, true},
      {"step 0: the wheel is passed on", 0, 3, {-120}, 100, false},
      {"two notches in one event", 2, 3, {-240}, 104, true},
      {"three thirds of a notch make one", 2, 3, {-40, -40, -40}, 102, true},
      {"a part left over counts towards the next", 2, 3, {-160, -80}, 104, true},
      {"turning back cancels a part", 2, 3, {-60, 60, -60}, 100, true},
      {"a part alone scrolls nothing yet", 2, 3, {-119}, 100, true},
      {"a sideways turn is passed on", 2, 3, {-120}, 100, false, true},
  };
  for (const auto &c : cases) {
    Scroller t;
    t.s.SetVScrollPos(100);
    t.s.WheelStep = c.wheelStep;
    t.s.WheelScrollLines = c.lines;
    bool accepted = false;
    for (int d : c.deltas) accepted = wheel(t.s, d, c.sideways);
    EXPECT_EQ(t.s.VScrollPos(), c.expected) << c.name;
    EXPECT_EQ(accepted, c.handled) << c.name;
  }
}

TEST(Scroller, WheelBeyondEitherEndStopsThere) {
  Scroller t;
  t.s.WheelStep = 1000000;
  t.s.WheelScrollLines = 100;
  wheel(t.s, -120 * 50);
  EXPECT_EQ(t.s.VScrollPos(), t.s.VerticalBar()->maximum());
  wheel(t.s, 120 * 50);
  EXPECT_EQ(t.s.VScrollPos(), 0);
}

TEST(Scroller, KeysMoveByLinesPagesAndToTheEnds) {
  // Expected positions from the page (client height in units) and the
  // largest position (range less a page).
  struct Case {
    const char *name;
    Qt::Key key;
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
      {"other keys scroll nothing", Qt::Key_A, [](int, int) { return 100; }, 0},
  };
  for (const auto &c : cases) {
    Scroller t;
    t.s.UpdateScrollBars(1000, 1000, false);
    t.s.SetVScrollPos(100);
    const int page = t.s.ClientHeight() / t.s.VSmallStep();
    ASSERT_GT(page, 1);
    QTest::keyClick(&t.s, c.key);
    EXPECT_EQ(t.s.VScrollPos(), c.vertical(page, 1000 - page)) << c.name;
    EXPECT_EQ(t.s.HScrollPos(), c.horizontal) << c.name;
  }
}

TEST(Scroller, KeysScrollNothingWithKeyboardScrollingOff) {
  Scroller t;
  t.s.UpdateScrollBars(1000, 1000, false);
  t.s.SetVScrollPos(100);
  t.s.KeyboardScrolling = false;
  for (Qt::Key k : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_End, Qt::Key_Right}) QTest::keyClick(&t.s, k);
  EXPECT_EQ(t.s.VScrollPos(), 100);
  EXPECT_EQ(t.s.HScrollPos(), 0);
}

TEST(Scroller, ScrollNoticesFollowOnlyRealMoves) {
  struct Case {
    const char *name;
    void (*act)(TRVScroller &);
    int vertical, horizontal;
  } cases[] = {
      {"a line down", [](TRVScroller &s) { QTest::keyClick(&s, Qt::Key_Down); }, 1, 0},
      {"a line up at the top", [](TRVScroller &s) { QTest::keyClick(&s, Qt::Key_Up); }, 0, 0},
      {"to the right", [](TRVScroller &s) { QTest::keyClick(&s, Qt::Key_Right); }, 0, 1},
      {"scrolled without redraw", [](TRVScroller &s) { s.ScrollToNoRedraw(500); }, 1, 0},
      {"the same place again", [](TRVScroller &s) { s.SetVScrollPos(0); }, 0, 0},
  };
  for (const auto &c : cases) {
    Scroller t;
    t.s.UpdateScrollBars(1000, 1000, false);
    int v = 0, h = 0;
    t.s.OnVScrolled = [&](TRVScroller *sender) {
      EXPECT_EQ(sender, &t.s);
      ++v;
    };
    t.s.OnHScrolled = [&](TRVScroller *) { ++h; };
    c.act(t.s);
    EXPECT_EQ(v, c.vertical) << c.name;
    EXPECT_EQ(h, c.horizontal) << c.name;
  }
}

TEST(Scroller, VerticalRangeNeverExceeds32000Units) {
  Scroller t;
  t.s.UpdateScrollBars(100, 50000, false);
  EXPECT_EQ(t.s.VRange(), 32000);
  EXPECT_LE(t.s.VerticalBar()->maximum(), 32000);
  QTest::keyClick(&t.s, Qt::Key_End);
  EXPECT_EQ(t.s.VScrollPos(), t.s.VerticalBar()->maximum());
}

TEST(Scroller, ThumbTrackingIsIgnoredWithoutTracking) {
  Scroller t;
  t.s.Tracking = false;
  t.s.VScroll(TRVScroller::sbThumbTrack, 50);
  EXPECT_EQ(t.s.VScrollPos(), 0);
  t.s.VScroll(TRVScroller::sbThumbPosition, 50);
  EXPECT_EQ(t.s.VScrollPos(), 50);
}

TEST(Scroller, DraggingTheThumbScrollsWhileDraggedOnlyWithTracking) {
  for (bool tracking : {true, false}) {
    Scroller t;
    t.s.Tracking = tracking;
    QScrollBar *bar = t.s.VerticalBar();
    const QPoint thumb = barPart(bar, QStyle::SC_ScrollBarSlider);
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, thumb);
    QTest::mouseMove(bar, thumb + QPoint(0, 30));
    const int whileDragged = t.s.VScrollPos();
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, thumb + QPoint(0, 30));
    const int released = t.s.VScrollPos();
    EXPECT_GT(released, 0) << tracking;
    EXPECT_EQ(released, bar->value()) << tracking;
    EXPECT_EQ(whileDragged, tracking ? released : 0) << tracking;
  }
}

TEST(Scroller, ClickingThePageAreaOfTheBarScrollsAPage) {
  Scroller t;
  const int page = t.s.ClientHeight() / t.s.VSmallStep();
  QScrollBar *bar = t.s.VerticalBar();
  t.s.SetVScrollPos(500);
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, barPart(bar, QStyle::SC_ScrollBarAddPage));
  EXPECT_EQ(t.s.VScrollPos(), 500 + page);
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, barPart(bar, QStyle::SC_ScrollBarSubPage));
  EXPECT_EQ(t.s.VScrollPos(), 500);
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
  QTest::keyClick(&t.s, Qt::Key_PageDown);
  EXPECT_EQ(child.y(), 100 - t.s.ClientHeight() / 10 * 10);
  t.s.SetVScrollPos(2000); // 20000 px down
  EXPECT_EQ(child.y(), -TRVScroller::kMaxChildTop);
  EXPECT_EQ(child.property("rvTop").toInt(), 100 - 20000);
  QTest::keyClick(&t.s, Qt::Key_Home);
  EXPECT_EQ(child.y(), 100);
  EXPECT_EQ(child.x(), 5);
}

TEST(Scroller, ControlItemsLiveInTheViewAndFollowTheirLineThroughReformatting) {
  TRVScroller s;
  s.resize(200, 100);
  TRVStyle style;
  s.Style = &style;
  TRichVistaRVData doc(&s);
  for (int i = 0; i < 2000; ++i) doc.AddText("line", 0, 0);
  auto *control = new QWidget;
  control->resize(20, 10);
  doc.AddControl("c", control, 0, rvvaBaseline, 0);
  doc.AddText("after", 0, 0);
  doc.ReformatAllForced(false);
  EXPECT_EQ(control->parentWidget(), &s);
  // Where the control's line puts it in the client now.
  auto lineTop = [&] {
    const auto *item = static_cast<const TRVControlItemInfo *>(doc.GetItem(2000));
    return doc.DrawLines.Items(doc.FirstDrawLineOf(item))->Top - doc.GetVOffs() + item->GetSpacing();
  };
  ASSERT_GT(lineTop(), TRVScroller::kMaxChildTop);
  EXPECT_EQ(control->y(), TRVScroller::kMaxChildTop);
  EXPECT_EQ(GetControlTrueTop(control), lineTop());
  QTest::keyClick(&s, Qt::Key_End);
  EXPECT_EQ(control->y(), lineTop());
  // A paragraph above grows by a few lines: the control moves down with its
  // line, and scrolls on from there.
  doc.SetItemTextRaw(0, std::string(60, 'w') + " " + std::string(60, 'w') + " " + std::string(60, 'w'));
  const int before = lineTop();
  doc.ReformatAllForced(false);
  ASSERT_NE(lineTop(), before);
  EXPECT_EQ(control->y(), std::clamp(lineTop(), -TRVScroller::kMaxChildTop, TRVScroller::kMaxChildTop));
  QTest::keyClick(&s, Qt::Key_End);
  QTest::keyClick(&s, Qt::Key_Up);
  EXPECT_EQ(control->y(), lineTop());
}

// Every embedded control stands at its line, at the view's place, after
// whatever brought controls in or took them out and the pass that followed
// (appending, a partial pass, a whole one); the view scrolls to the end as
// it appends.
TEST(Scroller, ControlsAddedOrRemovedStandAtTheirLines) {
  struct Case {
    const char *name;
    std::function<void(TRichVistaRVData &, std::function<QWidget *()>)> change;
  };
  const Case cases[] = {
      {"appended below the end",
       [](TRichVistaRVData &d, auto make) {
         d.AddText("more", 0, 0);
         d.AddControl("new", make(), 0, rvvaBaseline, 0);
         d.AddText("after", 0, 0);
         d.FormatAppended();
       }},
      {"appended on the last paragraph's line",
       [](TRichVistaRVData &d, auto make) {
         d.AddControl("new", make(), -1, rvvaBaseline, 0);
         d.FormatAppended();
       }},
      {"text appended only",
       [](TRichVistaRVData &d, auto) {
         for (int i = 0; i < 30; ++i) d.AddText("more", 0, 0);
         d.FormatAppended();
       }},
      {"one deleted in the middle",
       [](TRichVistaRVData &d, auto) {
         d.DeleteItems(41, 1);
         d.ReformatAllForced(false);
       }},
      {"inserted in the middle, partial pass",
       [](TRichVistaRVData &d, auto make) {
         QWidget *w = make();
         w->setParent(d.GetScroller());
         auto item = std::make_unique<TRVControlItemInfo>(&d, w, rvvaBaseline);
         item->StyleNo = rvsComponent;
         item->ParaNo = 0;
         const int first = d.FirstDrawLineOfItem(10);
         d.Items.Insert(11, "mid", std::move(item));
         d.FormatParagraphs(first, first, 1);
       }},
      {"the text above grows, partial pass",
       [](TRichVistaRVData &d, auto) {
         d.SetItemTextRaw(5, std::string(60, 'w') + " " + std::string(60, 'w'));
         const int line = d.FirstDrawLineOfItem(5);
         d.FormatParagraphs(line, line, 0);
       }},
  };
  for (const Case &c : cases) {
    TRVScroller s;
    s.resize(200, 100);
    TRVStyle style;
    s.Style = &style;
    TRichVistaRVData doc(&s);
    auto make = [&] {
      auto *w = new QWidget;
      w->resize(20, 10);
      return w;
    };
    doc.AddControl("first", make(), 0, rvvaBaseline, 0);
    for (int i = 0; i < 40; ++i) doc.AddText("line " + std::to_string(i), 0, 0);
    doc.AddControl("old", make(), 0, rvvaBaseline, 0);
    doc.AddText("tail", 0, 0);
    doc.ReformatAllForced(false);
    s.SetVScrollPos(3); // somewhere in the middle
    c.change(doc, make);
    ASSERT_EQ(doc.CheckDrawLines(), "") << c.name;
    int controls = 0;
    for (int i = 0; i < doc.GetItemCount(); ++i) {
      const auto *item = dynamic_cast<const TRVControlItemInfo *>(doc.GetItem(i));
      if (!item || !item->Control()) continue;
      ++controls;
      const TRVDrawLineInfo *d = doc.DrawLines.Items(doc.FirstDrawLineOf(item));
      EXPECT_EQ(item->Control()->x(), d->Left - doc.GetHOffs() + item->GetSpacing()) << c.name << " item " << i;
      EXPECT_EQ(GetControlTrueTop(item->Control()), d->Top - doc.GetVOffs() + item->GetSpacing())
          << c.name << " item " << i;
      EXPECT_TRUE(item->Control()->isVisibleTo(&s)) << c.name << " item " << i;
    }
    EXPECT_GT(controls, 0) << c.name;
  }
}

TEST(Scroller, RightToLeftPutsTheBarOnTheLeft) {
  Scroller t;
  t.s.SetBiDiModeValue(rvbdRightToLeft);
  ASSERT_TRUE(t.s.VerticalBar()->isVisibleTo(&t.s));
  EXPECT_EQ(t.s.VerticalBar()->x(), 0);
  t.s.SetBiDiModeValue(rvbdLeftToRight);
  EXPECT_GT(t.s.VerticalBar()->x(), 100);
}

// Counts the wrapping passes: each ends by handing its size to the bars.
class CountedDocument : public TRichVistaRVData {
public:
  using TRichVistaRVData::TRichVistaRVData;
  int Passes = 0;
  void SetDocumentAreaSize(int Width, int Height, bool Redraw) override {
    ++Passes;
    TRichVistaRVData::SetDocumentAreaSize(Width, Height, Redraw);
  }
};

TEST(Scroller, ABarAppearingDuringFormattingWrapsAgainAtOnceAtTheNarrowerWidth) {
  TRVScroller s;
  s.resize(200, 100);
  TRVStyle style;
  s.Style = &style;
  CountedDocument doc(&s);
  for (int i = 0; i < 3; ++i) doc.AddText("short", 0, 0);
  doc.ReformatAllForced(false);
  EXPECT_FALSE(s.VerticalBar()->isVisibleTo(&s));
  EXPECT_EQ(doc.Passes, 1);
  const int wide = doc.TextWidth;
  for (int i = 0; i < 30; ++i) doc.AddText("many words that wrap across the lines of the view", 0, 0);
  doc.Passes = 0;
  doc.ReformatAllForced(false);
  ASSERT_TRUE(s.VerticalBar()->isVisibleTo(&s));
  EXPECT_EQ(doc.Passes, 2); // wrapped once more, at the narrower width
  EXPECT_EQ(doc.TextWidth, s.ClientWidth() - s.LeftMargin - s.RightMargin);
  EXPECT_LT(doc.TextWidth, wide);
  EXPECT_EQ(doc.CheckDrawLines(), "");
  // Nothing is left for later: the next pass at the same size changes nothing.
  const int lines = doc.DrawLines.Count();
  QApplication::processEvents();
  doc.ReformatAll(true, false, false, 0, nullptr, false, false);
  EXPECT_EQ(doc.DrawLines.Count(), lines);
  // And back: the bar goes, the text takes the whole width again.
  doc.DeleteItems(3, 30);
  doc.Passes = 0;
  doc.ReformatAllForced(false);
  EXPECT_FALSE(s.VerticalBar()->isVisibleTo(&s));
  EXPECT_EQ(doc.Passes, 2);
  EXPECT_EQ(doc.TextWidth, wide);
}

TEST(Scroller, HiddenBarsKeepThePositionInsideTheDocument) {
  struct Case {
    const char *name;
    bool vertical;
    int range, position, expected;
  } cases[] = {
      {"vertical hidden, far down", true, 1000, 5000, 1000 - 10},
      {"vertical hidden, document shorter than the client", true, 5, 50, 0},
      {"horizontal hidden, far right", false, 1000, 5000, 1000 - 200},
      {"horizontal hidden, document narrower than the client", false, 150, 50, 0},
  };
  for (const auto &c : cases) {
    TRVScroller s;
    s.resize(200, 100);
    if (c.vertical) {
      s.SetVScrollVisible(false);
      s.UpdateScrollBars(150, c.range, false);
      EXPECT_FALSE(s.VerticalBar()->isVisibleTo(&s)) << c.name;
      s.SetVScrollPos(c.position);
      EXPECT_EQ(s.VScrollPos(), c.expected) << c.name;
    } else {
      s.SetHScrollVisible(false);
      s.UpdateScrollBars(c.range, 5, false);
      EXPECT_FALSE(s.HorizontalBar()->isVisibleTo(&s)) << c.name;
      s.SetHScrollPos(c.position);
      EXPECT_EQ(s.HScrollPos(), c.expected) << c.name;
    }
  }
  // A document that shrinks under a hidden bar takes the position along.
  TRVScroller s;
  s.resize(200, 100);
  s.SetVScrollVisible(false);
  s.UpdateScrollBars(150, 1000, false);
  s.SetVScrollPos(900);
  s.UpdateScrollBars(150, 100, false);
  EXPECT_EQ(s.VScrollPos(), 100 - 10);
}

TEST(Scroller, TheVerticalBarShowsAtOnceOnlyWithTheShowBarFlag) {
  struct Case {
    const char *name;
    bool flag, rebuildWindow;
    bool shown;
  } cases[] = {
      {"flag set: shown although the document fits", true, false, true},
      {"flag clear: stays hidden", false, false, false},
      {"flag cleared by rebuilding the window", true, true, false},
  };
  for (const auto &c : cases) {
    TRVScroller s;
    s.resize(200, 100);
    s.SetVScrollVisible(false);
    s.UpdateScrollBars(150, 5, false);
    s.SetShowVScrollBarAtOnce(c.flag);
    if (c.rebuildWindow) s.SetBiDiModeValue(rvbdLeftToRight);
    EXPECT_EQ(s.ShowVScrollBarAtOnce(), c.flag && !c.rebuildWindow) << c.name;
    const int wide = s.ClientWidth();
    s.SetVScrollVisible(true);
    EXPECT_EQ(s.VerticalBar()->isVisibleTo(&s), c.shown) << c.name;
    EXPECT_EQ(s.ClientWidth() < wide, c.shown) << c.name;
    // The next update hides a bar the document does not need.
    s.UpdateScrollBars(150, 5, false);
    EXPECT_FALSE(s.VerticalBar()->isVisibleTo(&s)) << c.name;
  }
}

TEST(Scroller, UpdatingOnlyTheVerticalBarLeavesTheHorizontalOne) {
  Scroller t;
  t.s.UpdateScrollBars(1000, 1000, false);
  t.s.SetHScrollPos(300);
  t.s.UpdateScrollBars(100, 2000, false, false);
  EXPECT_EQ(t.s.HRange(), 1000);
  EXPECT_EQ(t.s.HScrollPos(), 300);
  EXPECT_TRUE(t.s.HorizontalBar()->isVisibleTo(&t.s));
  EXPECT_EQ(t.s.VRange(), 2000);
  // The bars of an empty view: nothing to scroll, no bar.
  t.s.AdjustScrollBars();
  EXPECT_LE(t.s.HRange(), t.s.ClientWidth());
  EXPECT_EQ(t.s.HScrollPos(), 0);
  EXPECT_EQ(t.s.VScrollPos(), 0);
  EXPECT_FALSE(t.s.HorizontalBar()->isVisibleTo(&t.s));
  EXPECT_FALSE(t.s.VerticalBar()->isVisibleTo(&t.s));
}

// Records the area each paint covers; it paints its whole client, as a
// view does.
class PaintedScroller : public TRVScroller {
public:
  PaintedScroller() { setAttribute(Qt::WA_OpaquePaintEvent); }
  QRegion Painted;

protected:
  void paintEvent(QPaintEvent *e) override { Painted += e->region(); }
};

TEST(Scroller, ScrollingMovesThePixelsUnlessAFullRedrawIsAsked) {
  for (bool full : {false, true}) {
    PaintedScroller s;
    s.resize(200, 100);
    s.UpdateScrollBars(150, 1000, false);
    s.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&s));
    s.FullRedraw = full;
    QApplication::processEvents();
    s.Painted = QRegion();
    QTest::keyClick(&s, Qt::Key_Down); // 10 px
    QApplication::processEvents();
    // The bar repaints what lies behind it; only the client counts.
    const QRect painted = (s.Painted & QRect(0, 0, s.ClientWidth(), s.ClientHeight())).boundingRect();
    if (full) EXPECT_GE(painted.height(), s.ClientHeight());
    else EXPECT_LE(painted.height(), 10);
  }
}

// ------------------------------------------------------------ nested cells

// A cell document that knows the editor its table opened on it.
class FakeCell : public TRVItemFormattedData {
public:
  FakeCell() : TRVItemFormattedData(nullptr) {}
  QPointer<TRVScroller> Editor;
  TCustomRVFormattedData *EditorDocument = nullptr;
  int SelectionDrops = 0;
  TRVScroller *GetEditingCellEditor() const override { return Editor.data(); }
  TCustomRVFormattedData *GetEditingRVData() override { return Editor ? EditorDocument : this; }
  void ClearSelection(bool FireEvent) override {
    EXPECT_FALSE(FireEvent);
    ++SelectionDrops;
    TRVItemFormattedData::ClearSelection(FireEvent);
  }
};

// A table item: only its deselection is seen.
class FakeTable : public TRVTextItemInfo {
public:
  FakeTable() : TRVTextItemInfo(nullptr) {}
  int Deselections = 0;
  void DeselectPartial() override { ++Deselections; }
};

struct Nested {
  Nested() {
    view.resize(200, 100);
    view.UpdateScrollBars(150, 1000, false);
  }
  // Opens a cell editor on Cell, as a table does, and makes the cell active.
  TRVScroller *open(FakeCell &Cell, FakeTable &Table) {
    Cell.Editor = new TRVScroller(&view);
    Cell.EditorDocument = &editorDocument;
    view.SetActiveSubData(&Cell, &Table);
    return Cell.Editor;
  }
  TRVScroller view;
  FakeCell a, b, editorDocument;
  FakeTable tableA, tableB;
};

TEST(ScrollerCells, ANewActiveCellClosesTheOldEditorAndReleasesTheOldCell) {
  Nested n;
  QPointer<TRVScroller> editor = n.open(n.a, n.tableA);
  EXPECT_EQ(n.view.GetSubEditor(), editor.data());
  EXPECT_EQ(n.view.GetActiveSubDataEdited(), &n.editorDocument);
  n.view.SetActiveSubData(&n.b, &n.tableB);
  EXPECT_TRUE(editor.isNull());
  EXPECT_EQ(n.a.SelectionDrops, 1);
  EXPECT_EQ(n.tableA.Deselections, 1);
  EXPECT_EQ(n.view.ActiveSubData(), &n.b);
  EXPECT_EQ(n.view.ActiveSubItem(), &n.tableB);
  EXPECT_EQ(n.view.GetSubEditor(), nullptr);
  EXPECT_EQ(n.view.GetActiveSubDataEdited(), &n.b);
  // The same cell again changes nothing.
  n.view.SetActiveSubData(&n.b, &n.tableB);
  EXPECT_EQ(n.b.SelectionDrops, 0);
  EXPECT_EQ(n.tableB.Deselections, 0);
}

TEST(ScrollerCells, OnlyTheActiveCellOrItsEditorsDocumentIsReleased) {
  struct Case {
    const char *name;
    int which; // 0 the active cell, 1 its editor's document, 2 another cell, 3 none
    bool released;
  } cases[] = {
      {"the active cell", 0, true},
      {"the document its editor edits", 1, true},
      {"another cell", 2, false},
      {"no document", 3, false},
  };
  for (const auto &c : cases) {
    Nested n;
    n.open(n.a, n.tableA);
    TCustomRVFormattedData *docs[] = {&n.a, &n.editorDocument, &n.b, nullptr};
    n.view.ReleaseActiveSubData(docs[c.which]);
    EXPECT_EQ(n.view.ActiveSubData() == nullptr, c.released) << c.name;
    EXPECT_EQ(n.view.ActiveSubItem() == nullptr, c.released) << c.name;
    EXPECT_EQ(n.a.SelectionDrops, c.released ? 1 : 0) << c.name;
    EXPECT_EQ(n.tableA.Deselections, c.released ? 1 : 0) << c.name;
  }
}

TEST(ScrollerCells, AControlGoingAwayTellsTheTableButLeavesTheCellsSelection) {
  struct View : TRVScroller {
    void goAway() { PrepareDestroy(); }
  } view;
  FakeCell cell;
  FakeTable table;
  QPointer<TRVScroller> editor = cell.Editor = new TRVScroller(&view);
  view.SetActiveSubData(&cell, &table);
  view.goAway();
  EXPECT_TRUE(view.Destroying());
  EXPECT_TRUE(editor.isNull());
  EXPECT_EQ(cell.SelectionDrops, 0);
  EXPECT_EQ(table.Deselections, 1);
  EXPECT_EQ(view.ActiveSubData(), nullptr);
}

TEST(ScrollerCells, AnEditorTakesItsPlaceFromWhereItStandsWhenItsCellBecomesActive) {
  Nested n;
  auto *editor = new TRVScroller(&n.view);
  TRVScroller::PlaceChildControl(editor, 0, 9000); // an old place
  editor->move(10, 50);                            // where the table put it now
  n.a.Editor = editor;
  n.view.SetActiveSubData(&n.a, &n.tableA);
  n.view.SetVScrollPos(2); // 20 px down
  EXPECT_EQ(editor->y(), 30);
}

TEST(ScrollerCells, TheFocusGoesOnToTheEditorAndCountsAsTheControls) {
  Nested n;
  QWidget elsewhere(&n.view); // holds the focus before the view gets it
  elsewhere.setFocusPolicy(Qt::StrongFocus);
  n.view.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&n.view));
  elsewhere.setFocus();
  TRVScroller *editor = n.open(n.a, n.tableA);
  editor->show();
  // An editor of the editor: the focus is followed down.
  FakeCell inner;
  inner.Editor = new TRVScroller(editor);
  inner.Editor->show();
  editor->SetActiveSubData(&inner, nullptr);
  n.view.setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(inner.Editor->hasFocus());
  EXPECT_FALSE(n.view.hasFocus());
  EXPECT_TRUE(n.view.IsFocusedDeep());
  EXPECT_TRUE(editor->IsFocusedDeep());
  // Without an active cell the control keeps the focus itself.
  n.view.ReleaseActiveSubData(&n.a);
  editor->clearFocus();
  inner.Editor->clearFocus();
  n.view.FocusIfCanFocus();
  QApplication::processEvents();
  EXPECT_TRUE(n.view.hasFocus());
  EXPECT_TRUE(n.view.IsFocusedDeep());
  EXPECT_FALSE(editor->IsFocusedDeep());
}

} // namespace
