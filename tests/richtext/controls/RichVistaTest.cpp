// The view under the offscreen platform, driven by QTest press, move and
// release sequences: selecting by dragging and by double click, links,
// right clicks, auto-scroll, dragging out, and the deferred events.
#include <gtest/gtest.h>

#include <deque>

#include <QApplication>
#include <QDrag>
#include <QLineEdit>
#include <QMimeData>
#include <QPaintEvent>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <sstream>

#include "ViewFixture.h"
#include "richtext/controls/RichVistaEdit.h"
#include "platform/DesktopMetrics.h"
#include "platform/GuiTimer.h"
#include "support/EventPump.h"

using namespace kc;
using kctest::EventLog;
using kctest::FixedPitchView;

namespace {

struct SelBounds {
  int si, so, ei, eo;
  bool operator==(const SelBounds &) const = default;
};
std::ostream &operator<<(std::ostream &o, const SelBounds &b) {
  return o << "(" << b.si << "," << b.so << ")-(" << b.ei << "," << b.eo << ")";
}
SelBounds Sel(const TCustomRichVista &v, bool Ordered = true) {
  SelBounds b{};
  v.GetSelectionBounds(b.si, b.so, b.ei, b.eo, Ordered);
  return b;
}

// Two paragraphs, "alpha beta" and "gamma delta", with a link "link" after
// the first (items: 0 "alpha beta", 1 "link", 2 "gamma delta").
struct Transcript {
  Transcript() {
    link = kctest::AddLinkStyle(sheet);
    view = std::make_unique<FixedPitchView>(sheet);
    view->AddTextParagraph("alpha beta ", 0, 0);
    view->AddTextRun("link", link);
    view->AddTextParagraph("gamma delta", 0, 0);
    view->ReformatDocument();
    log.Attach(*view);
  }
  TRVStyle sheet;
  int link = 0;
  std::unique_ptr<FixedPitchView> view;
  EventLog log;
};

// The link "link" lies at x 110..150 on the first line.
const QPoint kOnLink(125, 5), kOffLink(125, 15);

} // namespace

TEST(View, DragSelectsAcrossLinesSnappingToWords) {
  Transcript t;
  QTest::mousePress(t.view.get(), Qt::LeftButton, {}, QPoint(22, 5));
  QTest::mouseMove(t.view.get(), QPoint(32, 15));
  QTest::mouseRelease(t.view.get(), Qt::LeftButton, {}, QPoint(32, 15));
  EXPECT_EQ(Sel(*t.view), (SelBounds{0, 1, 2, 6})) << "from alpha's start to gamma's end";
  EXPECT_GE(t.log.Count("select"), 1);
  EXPECT_EQ(t.view->GetSelText(), "alpha beta link\r\ngamma");
}

TEST(View, DoubleClickSelectsTheWordAndTheReleaseKeepsIt) {
  Transcript t;
  QTest::mouseDClick(t.view.get(), Qt::LeftButton, {}, QPoint(72, 5));
  EXPECT_EQ(Sel(*t.view), (SelBounds{0, 7, 0, 11}));
  EXPECT_EQ(t.view->GetSelText(), "beta");
  EXPECT_FALSE(t.view->RVData()->MouseSel.Selecting);
}

TEST(View, LinksFireOnlyOnAClickThatStaysOnThem) {
  struct Case {
    const char *name;
    std::vector<QPoint> moves;
    QPoint release;
    int jumps;
  } cases[] = {
      {"click on the link fires once", {}, kOnLink, 1},
      {"press on the link, move off, release off: nothing", {kOffLink}, kOffLink, 0},
      {"press, move off and back onto the same place: fires", {kOffLink, kOnLink}, kOnLink, 1},
  };
  for (const auto &c : cases) {
    Transcript t;
    QTest::mousePress(t.view.get(), Qt::LeftButton, {}, kOnLink);
    for (const QPoint &p : c.moves) QTest::mouseMove(t.view.get(), p);
    QTest::mouseRelease(t.view.get(), Qt::LeftButton, {}, c.release);
    EXPECT_EQ(t.log.Count("jump"), c.jumps) << c.name;
    if (c.jumps) {
      EXPECT_EQ(t.log.Count("jump 0"), 1) << c.name;
    }
  }
}

TEST(View, AReleaseOnALinkWhileTextIsSelectedDoesNotFollowIt) {
  Transcript t;
  t.view->SetSelectionBounds(0, 1, 0, 6);
  // Shift keeps the selection while the press moves its end onto the link.
  QTest::mousePress(t.view.get(), Qt::LeftButton, Qt::ShiftModifier, kOnLink);
  QTest::mouseRelease(t.view.get(), Qt::LeftButton, Qt::ShiftModifier, kOnLink);
  EXPECT_EQ(t.log.Count("jump"), 0);
}

TEST(View, HoveringALinkSetsItsCursorAndReportsItOnce) {
  Transcript t;
  t.view->show();
  int hovers = 0;
  t.view->OnRVMouseMove = [&](TCustomRichVista *, int) { ++hovers; };
  QTest::mouseMove(t.view.get(), kOnLink);
  QTest::mouseMove(t.view.get(), kOnLink + QPoint(5, 0));
  EXPECT_EQ(hovers, 1);
  EXPECT_EQ(t.view->RVData()->HoveredJump, 0);
  EXPECT_EQ(t.view->cursor().shape(), screenCursor(crJump).shape());
  QTest::mouseMove(t.view.get(), QPoint(20, 15));
  EXPECT_EQ(t.view->RVData()->HoveredJump, -1);
}

TEST(View, RightClickKeepsTheSelectionInsideItAndCollapsesItOutside) {
  struct Case {
    const char *name;
    QPoint at;
    SelBounds after;
  } cases[] = {
      {"inside the selection: kept", QPoint(72, 5), {0, 7, 0, 11}},
      {"outside: collapsed there", QPoint(22, 15), {2, 3, 2, 3}},
  };
  for (const auto &c : cases) {
    Transcript t;
    t.view->SetSelectionBounds(0, 7, 0, 11);
    QTest::mouseClick(t.view.get(), Qt::RightButton, {}, c.at);
    EXPECT_EQ(Sel(*t.view), c.after) << c.name;
    EXPECT_EQ(t.log.Count("rightclick"), 1) << c.name;
  }
}

TEST(View, AutoScrollDirectionFollowsTheDistanceOutsideTheClient) {
  struct Case {
    const char *name;
    int coord, direction;
  } cases[] = {
      {"21 above", -21, -10},  {"20 above", -20, -1}, {"1 above", -1, -1},  {"top edge", 0, 0},
      {"bottom edge", 100, 0}, {"1 below", 101, 1},   {"20 below", 120, 1}, {"21 below", 121, 10},
  };
  for (const auto &c : cases) EXPECT_EQ(TCustomRichVista::AutoScrollDirection(c.coord, 100), c.direction) << c.name;
}

TEST(View, DraggingBelowTheViewScrollsStepByStepAndExtendsTheSelection) {
  TRVStyle sheet;
  FixedPitchView view(sheet, 300, 100);
  for (int i = 0; i < 40; ++i) view.AddTextParagraph("line " + std::to_string(i), 0, 0);
  view.ReformatDocument();
  view.show();
  ASSERT_GT(view.VRange(), 10);
  ManualTimerClock clock;
  QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(12, 5));
  EXPECT_TRUE(view.AutoScrollTimerRunning());
  const QPoint below(12, view.ClientHeight() + 5);
  QTest::mouseMove(&view, below);
  EXPECT_EQ(view.VAutoScrollDirection(), 1);
  int si, so, ei, eo;
  view.GetSelectionBounds(si, so, ei, eo, true);
  const int endBefore = ei;
  DesktopMetricsValues at;
  at.cursorPosition = view.mapToGlobal(below);
  DesktopMetricsOverride pointer(at);
  const int pos = view.VScrollPos();
  clock.advance(99);
  EXPECT_EQ(view.VScrollPos(), pos) << "the timer ticks every 100 ms";
  clock.advance(101);
  EXPECT_EQ(view.VScrollPos(), pos + 2) << "one vertical step a tick";
  view.GetSelectionBounds(si, so, ei, eo, true);
  EXPECT_GT(ei, endBefore) << "the selection follows the pointer into the scrolled text";
  QTest::mouseRelease(&view, Qt::LeftButton, {}, below);
  EXPECT_FALSE(view.AutoScrollTimerRunning());
}

TEST(View, PressInsideTheSelectionDragsItWithItsDataFilledFirst) {
  Transcript t;
  t.view->SetSelectionBounds(0, 7, 0, 11);
  QStringList formats;
  QString text;
  t.view->DragRunner = [&](QDrag &d) {
    formats = d.mimeData()->formats();
    text = d.mimeData()->text();
    return Qt::CopyAction;
  };
  QTest::mousePress(t.view.get(), Qt::LeftButton, {}, QPoint(82, 5));
  EXPECT_TRUE(t.view->RVData()->MouseSel.DragStartPending) << "the drag starts after the press is handled";
  kctest::pumpEvents();
  EXPECT_TRUE(formats.contains("application/x-richvista")) << formats.join(",").toStdString();
  EXPECT_TRUE(formats.contains("text/rtf"));
  EXPECT_EQ(text, "beta");
  EXPECT_EQ(Sel(*t.view), (SelBounds{0, 7, 0, 11})) << "a drop elsewhere keeps the selection";
  EXPECT_FALSE(t.view->RVData()->MouseSel.Dragging);
}

TEST(View, ADragThatDropsNothingIsAClickThatCollapsesTheSelection) {
  Transcript t;
  t.view->show();
  t.view->SetSelectionBounds(0, 7, 0, 11);
  t.view->DragRunner = [](QDrag &) { return Qt::IgnoreAction; };
  DesktopMetricsValues at;
  at.cursorPosition = t.view->mapToGlobal(QPoint(82, 5));
  DesktopMetricsOverride pointer(at);
  QTest::mousePress(t.view.get(), Qt::LeftButton, {}, QPoint(82, 5));
  kctest::pumpEvents();
  EXPECT_EQ(Sel(*t.view), (SelBounds{0, 9, 0, 9}));
}

TEST(View, ATalkClosedWhileItsSelectionIsDraggedIsNotTouchedAfterwards) {
  auto *t = new Transcript;
  t->view->SetSelectionBounds(0, 7, 0, 11);
  bool ran = false;
  t->view->DragRunner = [&](QDrag &) {
    // The drag keeps the event loop turning; the talk closes meanwhile.
    delete t;
    ran = true;
    return Qt::IgnoreAction;
  };
  QTest::mousePress(t->view.get(), Qt::LeftButton, {}, QPoint(82, 5));
  kctest::pumpEvents();
  EXPECT_TRUE(ran);
}

TEST(View, DeletingItemsDropsTheSelectionAndLaysTheRestOutAgain) {
  Transcript t;
  t.view->SetSelectionBounds(2, 1, 2, 6);
  t.view->DeleteItems(0, 2);
  EXPECT_FALSE(t.view->SelectionExists());
  EXPECT_EQ(t.view->RVData()->CheckDrawLines(), "");
  EXPECT_EQ(t.view->RVData()->DrawLines.Count(), 1);
  t.view->grab(); // paints without touching the items that are gone
}

// The layout of a view as text: every draw line, the link areas, the
// items' first lines and the document's size.
std::string LayoutText(const TCustomRichVista &v) {
  std::ostringstream s;
  const TRVControlData &d = *v.RVData();
  for (int i = 0; i < d.DrawLines.Count(); ++i) {
    const TRVDrawLineInfo *l = d.DrawLines.Items(i);
    s << l->ItemNo << ' ' << l->Offs << ' ' << l->Length << ' ' << l->Left << ' ' << l->Top << ' ' << l->Width << ' '
      << l->Height << ' ' << l->FromNewLine << '\n';
  }
  for (int i = 0; i < d.GetItemCount(); ++i) s << "item " << i << " from " << d.FirstDrawLineOfItem(i) << '\n';
  // Link numbers are handed out as links are laid out: only their places
  // must agree.
  for (const auto &j : d.Jumps) s << "jump " << j->DrawLineNo << ' ' << j->Left << ' ' << j->Top << '\n';
  s << "height " << d.DocumentHeight << " width " << d.DocumentWidth << " scroll " << v.VScrollPos() << '\n';
  return s.str();
}

// Items deleted from a laid-out view that scrolled to its end (a transcript
// letting its oldest messages go) leave the lines, links and height a whole
// pass gives.
TEST(View, DeletingItemsGivesTheLinesOfAWholePass) {
  struct Row {
    const char *name;
    int first, count;
  } rows[] = {
      {"the oldest messages", 0, 7},
      {"the oldest message with its link", 0, 3},
      {"a link ending a paragraph", 4, 1},
      {"a paragraph's first item", 3, 1},
      {"a line break", 6, 1},
      {"a message in the middle", 20, 3},
      {"all but the last message", 0, 63},
      {"the last message", 63, 4},
      {"the last item", 66, 1},
  };
  for (const Row &r : rows) {
    TRVStyle sheet;
    const int link = kctest::AddLinkStyle(sheet);
    FixedPitchView view(sheet, 300, 100);
    // Twenty messages of three items: a header with a link, a body that
    // wraps, and every third one a second line inside the paragraph.
    for (int m = 0; m < 20; ++m) {
      view.AddTextParagraph("user " + std::to_string(m) + " ", 0, 0);
      view.AddTextRun("link", link);
      view.AddTextParagraph("the meeting is moved to three o'clock, please bring notes " + std::to_string(m), 0, 0);
      if (m % 3 == 1) view.AddLineBreak();
    }
    view.show();
    view.ReformatDocument();
    view.VScroll(TRVScroller::sbBottom);
    view.DeleteItems(r.first, r.count);
    EXPECT_EQ(view.RVData()->CheckDrawLines(), "") << r.name;
    const std::string partial = LayoutText(view);
    view.ReformatDocument();
    EXPECT_EQ(partial, LayoutText(view)) << r.name;
    view.grab();
  }
}

// A transcript at its cap for many messages: each new message appended at
// the end, the oldest let go, now and then an item in the middle removed.
// The layout stays the one a whole pass gives, round after round.
TEST(View, ATranscriptRollingAtItsCapKeepsTheLinesOfAWholePass) {
  TRVStyle sheet;
  const int link = kctest::AddLinkStyle(sheet);
  FixedPitchView view(sheet, 300, 100);
  std::deque<int> sizes; // items of each message shown
  auto message = [&](int m) {
    const int before = view.ItemCountOf();
    view.AddTextParagraph("user " + std::to_string(m) + " ", 0, 0);
    if (m % 4 == 0) view.AddTextRun("link", link);
    view.AddTextParagraph("the meeting is moved to three o'clock, please bring notes " + std::to_string(m), 0, 0);
    if (m % 3 == 1) view.AddLineBreak();
    sizes.push_back(view.ItemCountOf() - before);
  };
  for (int m = 0; m < 30; ++m) message(m);
  view.show();
  view.ReformatDocument();
  view.VScroll(TRVScroller::sbBottom);
  for (int m = 30; m < 90; ++m) {
    SCOPED_TRACE(m);
    message(m);
    view.FormatTail();
    view.VScroll(TRVScroller::sbBottom);
    view.DeleteItems(0, sizes.front());
    sizes.pop_front();
    if (m % 11 == 0) {
      // The header of a message in the middle goes.
      int item = 0;
      for (size_t k = 0; k < sizes.size() / 2; ++k) item += sizes[k];
      view.DeleteItems(item, 1);
      --sizes[sizes.size() / 2];
    }
    ASSERT_EQ(view.RVData()->CheckDrawLines(), "");
  }
  const std::string rolled = LayoutText(view);
  view.ReformatDocument();
  EXPECT_EQ(rolled, LayoutText(view));
  view.grab();
}

// A flood of one-line notices, each laid out as it comes: only the first
// (nothing laid out yet) and the one that brings the bar (every line wraps
// at the narrower width) are whole passes; every other one lays out just
// itself below the lines that stay, and the result is a whole pass's.
TEST(View, AFloodOfNoticesIsLaidOutATailAtATime) {
  TRVStyle sheet;
  FixedPitchView view(sheet, 300, 100);
  view.show();
  int whole = 0;
  for (int m = 0; m < 300; ++m) {
    SCOPED_TRACE(m);
    view.AddTextParagraph("[user" + std::to_string(m) + "]", 0, 0);
    view.AddTextParagraph(std::string(), 0, 0);
    view.AddTextRun("user" + std::to_string(m) + " has joined the talk", 0);
    const int width = view.ClientWidth();
    view.FormatTail();
    if (view.RVData()->AppendedTop < 0) {
      ++whole;
      EXPECT_TRUE(m == 0 || view.ClientWidth() != width) << "a whole pass with nothing to make it needed";
    }
  }
  EXPECT_EQ(whole, 2);
  const std::string appended = LayoutText(view);
  view.ReformatDocument();
  EXPECT_EQ(appended, LayoutText(view));
}

// ------------------------------------------------------------ deferred events

TEST(DeferredEvents, FireOnTheRootViewInTheOrderPosted) {
  Transcript t;
  auto jump = std::make_unique<TRVJumpMessageData>();
  jump->Kind = 1;
  jump->id = 7;
  auto dbl = std::make_unique<TRVDblClickMessageData>();
  dbl->Kind = 0;
  dbl->ClickedWord = "word";
  dbl->Style = 3;
  auto down = std::make_unique<TRVMouseUpDownMessageData>();
  down->Kind = 3;
  down->Button = rvmbRight;
  down->ItemNo = 2;
  auto click = std::make_unique<TRVClickMessageData>();
  click->Kind = 4;
  auto unknown = std::make_unique<TRVClickMessageData>();
  unknown->Kind = 9;
  PostDeferredEvent(t.view.get(), std::move(jump));
  PostDeferredEvent(t.view.get(), std::move(dbl));
  PostDeferredEvent(t.view.get(), std::move(unknown));
  PostDeferredEvent(t.view.get(), std::move(down));
  PostDeferredEvent(t.view.get(), std::move(click));
  EXPECT_TRUE(t.log.Events.empty()) << "nothing fires before the event loop delivers";
  kctest::pumpEvents();
  EXPECT_EQ(t.log.Events, (std::vector<std::string>{"jump 7", "dblclick word 3", "down 1 2", "click"}));
}

namespace {

int gFreed = 0;
struct CountedJump : TRVJumpMessageData {
  CountedJump() { Kind = 1; }
  ~CountedJump() override { ++gFreed; }
};

} // namespace

TEST(DeferredEvents, RecordsPostedToAViewThatIsDestroyedAreFreedWithoutFiring) {
  gFreed = 0;
  int fired = 0;
  {
    Transcript t;
    t.view->OnJump = [&](TCustomRichVista *, int) { ++fired; };
    for (int i = 0; i < 3; ++i) PostDeferredEvent(t.view.get(), std::make_unique<CountedJump>());
  }
  kctest::pumpEvents();
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(gFreed, 3);
  // A record that fires is freed too.
  Transcript t;
  PostDeferredEvent(t.view.get(), std::make_unique<CountedJump>());
  kctest::pumpEvents();
  EXPECT_EQ(gFreed, 4);
  EXPECT_EQ(t.log.Count("jump"), 1);
}

TEST(DeferredEvents, ADoubleClickRecordCarriesItsOwnWord) {
  Transcript t;
  std::string word = "transient";
  auto dbl = std::make_unique<TRVDblClickMessageData>();
  dbl->ClickedWord = word;
  PostDeferredEvent(t.view.get(), std::move(dbl));
  word.assign("overwritten");
  kctest::pumpEvents();
  EXPECT_EQ(t.log.Events, (std::vector<std::string>{"dblclick transient 0"}));
}

TEST(View, TabMovesAmongTheLinksAndEnterFollowsOne) {
  // Another control in the window would take the focus if Tab left the view.
  QWidget window;
  QLineEdit other(&window);
  Transcript t;
  t.view->setParent(&window);
  t.view->move(0, 30);
  t.view->AddTextRun(" more", t.link);
  t.view->ReformatDocument();
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  t.view->setFocus(Qt::OtherFocusReason);
  const int first = t.view->RVData()->FocusedItemNo;
  QTest::keyClick(t.view.get(), Qt::Key_Tab);
  const int second = t.view->RVData()->FocusedItemNo;
  EXPECT_NE(second, first) << "Tab moves the item focus";
  EXPECT_TRUE(second == 1 || second == 3) << second;
  EXPECT_TRUE(t.view->hasFocus()) << "Tab stayed inside the view";
  for (int i = 0; i < 4 && t.view->RVData()->FocusedItemNo != 3; ++i) QTest::keyClick(t.view.get(), Qt::Key_Tab);
  QTest::keyClick(t.view.get(), Qt::Key_Return);
  EXPECT_EQ(t.log.Count("jump 1"), 1) << "the second link";
}

TEST(View, WithoutAStyleSheetNothingIsLaidOutAndAHintIsPainted) {
  TRichVista view;
  view.resize(300, 100);
  view.AddTextParagraph("text", 0, 0);
  view.ReformatDocument();
  EXPECT_EQ(view.RVData()->DrawLines.Count(), 0);
  const QImage shot = view.grab().toImage();
  const QRgb background = shot.pixel(shot.width() - 1, shot.height() - 1);
  bool drawn = false;
  for (int y = 0; y < shot.height() && !drawn; ++y)
    for (int x = 0; x < shot.width() && !drawn; ++x) drawn = shot.pixel(x, y) != background;
  EXPECT_TRUE(drawn) << "the hint text shows";
}

namespace {

// A view (or a read-only editor, as transcripts may be) that notes the
// region of every paint it is asked for.
template <class TView> class Painted : public TView {
public:
  QRegion Region;

protected:
  void paintEvent(QPaintEvent *e) override {
    Region += e->region();
    TView::paintEvent(e);
  }
};

} // namespace

// Appending to a shown transcript repaints the strip of the new lines (the
// rest moves with the view's pixels) unless the layout around it changed;
// either way the window then shows what a whole repaint shows.
TEST(View, AppendingRepaintsTheNewStripAndShowsWhatAWholeRepaintShows) {
  struct Case {
    const char *name;
    int before; // messages shown before
    TTextLayout align;
    bool whole;  // the whole client is repainted
    bool editor; // a read-only editor without the focus
  };
  const Case cases[] = {
      {"a long transcript scrolled to its end", 60, tlTop, false, false},
      {"a short one, still without a bar", 1, tlTop, false, false},
      {"the message that brings the bar", -1, tlTop, true, false},
      {"a centred short one, which moves", 1, tlCenter, true, false},
      {"a long transcript in an editor", 60, tlTop, false, true},
  };
  for (const Case &c : cases) {
    TRVStyle style;
    style.TextStyles()[1]->Style = fsBold;
    Painted<TRichVista> plainView;
    Painted<TRichVistaEdit> editView;
    TCustomRichVista &view = c.editor ? static_cast<TCustomRichVista &>(editView) : plainView;
    QRegion &region = c.editor ? editView.Region : plainView.Region;
    if (c.editor) editView.SetReadOnly(true), editView.setFocusPolicy(Qt::NoFocus);
    view.Style = &style;
    view.VAlign = c.align;
    view.resize(300, 150);
    int n = 0;
    auto add = [&] {
      view.AddTextParagraph("user" + std::to_string(n % 3), 1, 0);
      view.AddTextRun(" (12:00):", 0);
      view.AddTextParagraph("message number " + std::to_string(n) + " with a few words to wrap", 0, 0);
      ++n;
    };
    // The bar comes with the message after as many as fill the view.
    int before = c.before;
    if (before < 0) {
      int k = 0;
      while (!view.VerticalBar()->isVisibleTo(&view) && k < 100) {
        add();
        view.FormatTail();
        ++k;
      }
      view.ClearDocument();
      n = 0;
      before = k - 1;
    }
    for (int i = 0; i < before; ++i) add();
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.ReformatDocument();
    view.VScroll(TRVScroller::sbBottom); // where a transcript that grows stands
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    region = QRegion();
    const int oldHeight = view.GetDocumentHeight();
    add();
    view.FormatTail();
    QApplication::processEvents();
    const QRect client(0, 0, view.ClientWidth(), view.ClientHeight());
    const QRect painted = (region & client).boundingRect();
    if (c.whole) {
      EXPECT_EQ(painted, client) << c.name;
    } else {
      const int grown = view.GetDocumentHeight() - oldHeight;
      EXPECT_GT(painted.height(), 0) << c.name;
      EXPECT_LE(painted.height(), grown + view.BottomMargin + 10) << c.name;
    }
    const QImage shown = view.screen()->grabWindow(view.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage whole = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.copy(client), whole.copy(client)) << c.name;
  }
}
