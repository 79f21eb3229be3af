#include "widgets/FormMagnet.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include "platform/DesktopMetrics.h"
#include "platform/Screen.h"

namespace kc {
namespace {

const TRect kWork = Rect(0, 0, 1024, 740);
const TRect kOther = Rect(100, 300, 400, 500);

struct SnapCase {
  const char *name;
  TRect moved;
  std::vector<TRect> others;
  TRect expected;
  bool glue = false;
  bool skipMagnets = false;
  bool accept = true;
  TMagnetEdges edges = {};
};

class Snapping : public ::testing::TestWithParam<SnapCase> {};

TEST_P(Snapping, FollowsPowerAndEdges) {
  const SnapCase &c = GetParam();
  const TRect r =
      SnapRect(c.moved, kWork, c.others, 20, 10, c.edges, c.skipMagnets, c.glue, [&](std::size_t) { return c.accept; });
  EXPECT_EQ(r, c.expected);
}

const SnapCase kSnaps[] = {
    {"NineFromTheLeftEdgeSnapsFlush", Bounds(9, 200, 100, 80), {}, Bounds(0, 200, 100, 80)},
    {"TenFromTheLeftEdgeStays", Bounds(10, 200, 100, 80), {}, Bounds(10, 200, 100, 80)},
    {"PastTheLeftEdgeComesBack", Bounds(-9, 200, 100, 80), {}, Bounds(0, 200, 100, 80)},
    {"NearTheWorkAreasBottom", Bounds(500, 655, 100, 80), {}, Bounds(500, 660, 100, 80)},
    {"CornerSnapsBothWays", Bounds(920, 3, 100, 80), {}, Bounds(924, 0, 100, 80)},
    {"DisabledEdgeDoesNotPull",
     Bounds(5, 200, 100, 80),
     {},
     Bounds(5, 200, 100, 80),
     false,
     false,
     true,
     TMagnetEdges{true, true, false, true}},
    {"NineteenAboveAnotherLandsOnIt", Bounds(150, 100, 100, 181), {kOther}, Bounds(150, 119, 100, 181)},
    {"TwentyAboveAnotherStays", Bounds(150, 100, 100, 180), {kOther}, Bounds(150, 100, 100, 180)},
    {"SlightlyIntoAnotherGoesOnTop", Bounds(150, 130, 100, 180), {kOther}, Bounds(150, 120, 100, 180)},
    {"JustBelowAnotherHangsUnder", Bounds(150, 510, 100, 100), {kOther}, Bounds(150, 500, 100, 100)},
    {"NoOverlapSideways", Bounds(450, 100, 100, 190), {kOther}, Bounds(450, 100, 100, 190)},
    {"LeftOfAnotherSnapsToItsLeftEdge", Bounds(0 + 40, 350, 50, 50), {kOther}, Bounds(50, 350, 50, 50)},
    {"RightOfAnotherSnapsToItsRightEdge", Bounds(415, 350, 50, 50), {kOther}, Bounds(400, 350, 50, 50)},
    {"RefusedMagnetLeavesOnlyTheArea",
     Bounds(150, 100, 100, 181),
     {kOther},
     Bounds(150, 100, 100, 181),
     false,
     false,
     false},
    {"SkippedMagnets", Bounds(150, 100, 100, 181), {kOther}, Bounds(150, 100, 100, 181), false, true},
    {"GluingFormSnappedToAMagnetIgnoresTheArea", Bounds(4, 381, 95, 50), {kOther}, Bounds(5, 381, 95, 50), true},
    {"OtherFormSnapsToMagnetThenArea", Bounds(4, 381, 95, 50), {kOther}, Bounds(0, 381, 95, 50), false},
};
INSTANTIATE_TEST_SUITE_P(Table, Snapping, ::testing::ValuesIn(kSnaps),
                         [](const auto &i) { return std::string(i.param.name); });

// Two top-level windows with magnets, the work area fixed: the main window
// and, touching its bottom, the user list. Places are the windows' frames.
struct Desk : ::testing::Test {
  ScreenOverride screen{ScreenRect{0, 0, 1024, 740}, ScreenRect{0, 0, 1024, 768}};
  DesktopMetricsOverride metrics{DesktopMetricsValues{500, std::nullopt, true}};
  QWidget main, list;
  TFormMagnet *mainMagnet = new TFormMagnet(&main);
  TFormMagnet *listMagnet = new TFormMagnet(&list);
  int mb = 0; // main's bottom edge (exclusive)
  void SetUp() override {
    main.resize(300, 200);
    list.resize(300, 150);
    main.move(300, 200);
    for (TFormMagnet *m : {mainMagnet, listMagnet}) {
      m->SetFormDragable(true);
      m->ScreenMagnet().DesktopPower = 10;
    }
    main.show();
    list.show();
    QApplication::processEvents();
    mb = main.frameGeometry().bottom() + 1;
    list.move(300, mb);
  }
  static void send(QWidget *w, QEvent::Type t, QPoint global) {
    QMouseEvent e(t, QPointF(w->mapFromGlobal(global)), QPointF(global), Qt::LeftButton,
                  t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }
  // Drags by the client area: press at From, move by each step, release.
  static void drag(QWidget *w, QPoint from, std::initializer_list<QPoint> steps) {
    send(w, QEvent::MouseButtonPress, from);
    QPoint at = from;
    for (QPoint s : steps) send(w, QEvent::MouseMove, at += s);
    send(w, QEvent::MouseButtonRelease, at);
  }
};

TEST_F(Desk, DraggedWindowSnapsOntoAnotherAndCanBePulledAway) {
  list.move(700, 500);
  drag(&list, QPoint(750, 520), {QPoint(-400, mb + 8 - 500)}); // its top 8 below main's bottom
  EXPECT_EQ(list.pos(), QPoint(300, mb));
  drag(&list, QPoint(400, mb + 20), {QPoint(0, 5), QPoint(0, 30)});
  EXPECT_EQ(list.pos(), QPoint(300, mb + 35)) << "recomputed from the cursor each time";
}

TEST_F(Desk, GluedWindowMovesAlongKeepingItsOffset) {
  mainMagnet->SetGlue(true);
  drag(&main, QPoint(320, 220), {QPoint(50, 0), QPoint(30, 7)});
  EXPECT_EQ(main.pos(), QPoint(380, 207));
  EXPECT_EQ(list.pos(), QPoint(380, mb + 7));
  EXPECT_EQ(mainMagnet->GluedCount(), 0u) << "the glue is for one move";
}

TEST_F(Desk, WindowOnTheSameLineFarAwayIsNotGlued) {
  mainMagnet->SetGlue(true);
  list.move(800, mb); // its top on main's bottom line, but beside nothing
  drag(&main, QPoint(320, 220), {QPoint(0, 40)});
  EXPECT_EQ(list.pos(), QPoint(800, mb));
}

TEST_F(Desk, OnGlueCanRefuse) {
  mainMagnet->SetGlue(true);
  mainMagnet->OnGlue = [](TFormMagnet *, QWidget *, bool &accept) { accept = false; };
  drag(&main, QPoint(320, 220), {QPoint(50, 0)});
  EXPECT_EQ(list.pos(), QPoint(300, mb));
}

TEST_F(Desk, AfterMovingSnapsOnlyOnRelease) {
  listMagnet->SetMagnetType(TMagnetType::mkAfterMoving);
  list.move(700, 500);
  send(&list, QEvent::MouseButtonPress, QPoint(750, 520));
  send(&list, QEvent::MouseMove, QPoint(350, mb + 28));
  EXPECT_EQ(list.pos(), QPoint(300, mb + 8)) << "no magnets while moving";
  send(&list, QEvent::MouseButtonRelease, QPoint(350, mb + 28));
  EXPECT_EQ(list.pos(), QPoint(300, mb));
}

TEST_F(Desk, InactiveOrHiddenMagnetsDoNotAttract) {
  mainMagnet->SetActive(false);
  list.move(700, 500);
  drag(&list, QPoint(750, 520), {QPoint(-400, mb + 8 - 500)});
  EXPECT_EQ(list.pos(), QPoint(300, mb + 8));
  mainMagnet->SetActive(true);
  main.hide();
  drag(&list, QPoint(400, mb + 20), {QPoint(0, -2)});
  EXPECT_EQ(list.pos(), QPoint(300, mb + 6));
}

TEST_F(Desk, ClicksOnChildrenDoNotDrag) {
  auto *button = new QWidget(&list);
  button->setGeometry(10, 10, 50, 20);
  button->show();
  drag(&list, list.mapToGlobal(QPoint(20, 15)), {QPoint(100, 100)});
  EXPECT_EQ(list.pos(), QPoint(300, mb));
}

TEST_F(Desk, NothingMovesWhereWindowsCannotBePlaced) {
  DesktopMetricsOverride wayland{DesktopMetricsValues{500, std::nullopt, false}};
  drag(&list, QPoint(320, mb + 20), {QPoint(100, 100)});
  EXPECT_EQ(list.pos(), QPoint(300, mb));
}

TEST_F(Desk, ActivatingSnapsOnceAtTheCurrentPlace) {
  listMagnet->SetActive(false);
  const int h = list.frameGeometry().height();
  list.move(5, 740 - h + 6);
  listMagnet->SetActive(true);
  EXPECT_EQ(list.pos(), QPoint(0, 740 - h));
}

TEST_F(Desk, MagnetLeavesTheWindowsOtherWatchersTheirEvents) {
  struct Watcher : QObject {
    int moves = 0;
    bool eventFilter(QObject *, QEvent *e) override {
      moves += e->type() == QEvent::MouseMove;
      return false;
    }
  } watcher;
  QWidget form;
  form.installEventFilter(&watcher);
  TFormMagnet magnet(&form);
  Desk::send(&form, QEvent::MouseMove, QPoint(5, 5));
  EXPECT_EQ(watcher.moves, 1);
}

TEST_F(Desk, TwoHookComponentsOnOneFormBothWork) {
  struct Counter : TMagnetFormHookComponent {
    int seen = 0;
    using TMagnetFormHookComponent::TMagnetFormHookComponent;
    void BeforeMessage(QEvent *e, bool &) override { seen += e->type() == QEvent::MouseMove; }
  };
  auto *counter = new Counter(&list);
  list.move(700, 500);
  drag(&list, QPoint(750, 520), {QPoint(-400, mb + 8 - 500)});
  EXPECT_EQ(list.pos(), QPoint(300, mb));
  EXPECT_EQ(counter->seen, 1);
  delete counter;
  drag(&list, QPoint(400, mb + 20), {QPoint(0, 100)});
  EXPECT_EQ(list.pos(), QPoint(300, mb + 100));
}

} // namespace
} // namespace kc
