// The geometry of docks and dockable windows without widgets: handle
// sizes, hit codes of the two frames, which dock and row a drag picks, where
// a floating drag may go and the limits of sizing.
#include <gtest/gtest.h>

#include "toolbars/TBarDockGeometry.h"

using namespace kc::tb;

namespace {

TEST(DockGeometry, DragHandleSizeFollowsStyleCloseButtonAndCaption) {
  struct Row {
    const char *name;
    bool allowDrag;
    TTBDragHandleStyle style;
    bool close, caption;
    int size;
  } rows[] = {
      {"double", true, dhDouble, false, false, 9},
      {"none", true, dhNone, false, false, 0},
      {"single", true, dhSingle, false, false, 6},
      {"close button reserves 14 even without a handle", true, dhNone, true, false, 14},
      {"close button with double", true, dhDouble, true, false, 14},
      {"docked caption", true, dhSingle, false, true, 14},
      {"no drag: no handle at all", false, dhDouble, true, true, 0},
  };
  for (const Row &r : rows) EXPECT_EQ(DragHandleSize(r.allowDrag, r.style, r.close, r.caption), r.size) << r.name;
  EXPECT_EQ(DockedFrameSize(false, 6), QSize(10, 4));
  EXPECT_EQ(DockedFrameSize(true, 9), QSize(4, 13));
}

TEST(DockGeometry, DockedHitCodes) {
  TTBDockedFrameState h;
  h.Outer = QSize(100, 26);
  h.HandleSize = 14;
  h.CloseButtonWhenDocked = true;
  TTBDockedFrameState v = h;
  v.Vertical = true;
  v.Outer = QSize(26, 100);
  TTBDockedFrameState noDrag = h;
  noDrag.AllowDrag = false;
  TTBDockedFrameState single;
  single.Outer = QSize(100, 26);
  single.HandleSize = 6;
  struct Row {
    const char *name;
    const TTBDockedFrameState *s;
    QPoint p;
    int code;
  } rows[] = {
      {"close button on a horizontal dock at (3,2), 11 wide", &h, QPoint(3, 2), htCloseButton},
      {"last pixel of the close button", &h, QPoint(13, 12), htCloseButton},
      {"handle below the close button", &h, QPoint(5, 20), htDragArea},
      {"client", &h, QPoint(50, 10), htClient},
      {"frame edge on the far side", &h, QPoint(99, 10), htDragArea},
      {"outside", &h, QPoint(100, 10), htNowhere},
      {"close button on a vertical dock at the right", &v, QPoint(24 - 11 + 1, 3), htCloseButton},
      {"vertical handle left of the close button", &v, QPoint(2, 5), htDragArea},
      {"vertical client", &v, QPoint(10, 50), htClient},
      {"close button needs a draggable dock", &noDrag, QPoint(3, 2), htDragArea},
      {"single handle", &single, QPoint(4, 10), htDragArea},
      {"single client starts after 2 + 6", &single, QPoint(8, 10), htClient},
  };
  for (const Row &r : rows) EXPECT_EQ(DockedFrameHitTest(*r.s, r.p), r.code) << r.name;
  EXPECT_TRUE(DockedMoveCursorAt(single, QPoint(7, 1)));
  EXPECT_FALSE(DockedMoveCursorAt(single, QPoint(99, 10))) << "far edge is drag area but not the handle";
  TTBDockedFrameState none = single;
  none.Style = dhNone;
  none.HandleSize = 0;
  EXPECT_FALSE(DockedMoveCursorAt(none, QPoint(1, 1)));
}

TEST(DockGeometry, FloatingHitCodes) {
  const int cap = FrameMetrics().SmallCaptionHeight;
  TTBFloatingFrameState s;
  s.Outer = QSize(120, 80);
  s.Border = QSize(4, 4);
  TTBFloatingFrameState noCorner = s;
  noCorner.CornerSizing = false;
  TTBFloatingFrameState fixed = s;
  fixed.Resizable = false;
  TTBFloatingFrameState noCaption = s;
  noCaption.ShowCaption = false;
  TTBFloatingFrameState noClose = s;
  noClose.CloseButton = false;
  struct Row {
    const char *name;
    const TTBFloatingFrameState *s;
    QPoint p;
    int code;
  } rows[] = {
      {"caption", &s, QPoint(20, 4 + cap / 2), htCaption},
      {"close button at the caption's right", &s, QPoint(115, 4 + cap / 2), htCloseButton},
      {"no close button: caption", &noClose, QPoint(115, 4 + cap / 2), htCaption},
      {"client", &s, QPoint(60, 50), htClient},
      {"left band", &s, QPoint(0, 40), htLeft},
      {"left band near the top is a corner", &s, QPoint(0, 5), htTopLeft},
      {"left band near the bottom", &s, QPoint(1, 79), htBottomLeft},
      {"right band", &s, QPoint(116, 40), htRight},
      {"client wins over the band one pixel early", &s, QPoint(115, 40), htClient},
      {"right band top corner", &s, QPoint(119, 2), htTopRight},
      {"top band", &s, QPoint(60, 0), htTop},
      {"top band near the left", &s, QPoint(10, 1), htTopLeft},
      {"bottom band", &s, QPoint(60, 79), htBottom},
      {"bottom band right corner", &s, QPoint(110, 78), htBottomRight},
      {"without corner sizing: top beats left", &noCorner, QPoint(0, 0), htTop},
      {"without corner sizing: left", &noCorner, QPoint(0, 40), htLeft},
      {"not resizable: frame is nowhere", &fixed, QPoint(0, 40), htNowhere},
      {"no caption: the top is client", &noCaption, QPoint(20, 4 + cap / 2), htClient},
      {"outside", &s, QPoint(-1, 3), htNowhere},
  };
  for (const Row &r : rows) EXPECT_EQ(FloatingFrameHitTest(*r.s, r.p), r.code) << r.name;
  EXPECT_EQ(FloatingNCMargins(s), QMargins(4, 4 + cap, 4, 4));
  TTBFloatingFrameState office = s;
  office.OfficeXPSkin = true;
  EXPECT_EQ(FloatingNCMargins(office), QMargins(4, 2 + cap, 4, 3));
}

TEST(DockGeometry, DragBandSplitsAroundTheGrabPoint) {
  struct Row {
    const char *name;
    int grab, length, before;
  } rows[] = {
      {"grab at the left: the whole band before", 0, 101, 25},
      {"grab at the right: none before", 100, 101, 0},
      {"grab in the middle", 50, 101, 13},
      {"one pixel wide window divides by nothing", 0, 1, 12},
      {"zero length", 0, 0, 12},
      {"grab past the end is clamped", 500, 101, 0},
  };
  for (const Row &r : rows) EXPECT_EQ(GrabShare(25, r.grab, r.length), r.before) << r.name;
  EXPECT_EQ(ScaleGrab(5, 1, 100), 0);
  EXPECT_EQ(ScaleGrab(50, 101, 201), 100);
}

TEST(DockGeometry, WhichDockThePointerPicks) {
  // A top dock across the screen's top and a left dock below it.
  TTBDragTarget top{QRect(0, 0, 800, 26), QSize(100, 26), false, {26}};
  TTBDragTarget left{QRect(0, 26, 26, 500), QSize(26, 100), true, {26}};
  const QSize outer(100, 26);
  struct Row {
    const char *name;
    const TTBDragTarget *t;
    QPoint cursor, grab;
    bool hit;
  } rows[] = {
      {"inside the top dock", &top, QPoint(300, 10), QPoint(10, 10), true},
      {"just below, within the 3-pixel growth", &top, QPoint(300, 28), QPoint(10, 10), true},
      {"below within the band share after the edge", &top, QPoint(300, 40), QPoint(10, 25), true},
      {"below beyond the band", &top, QPoint(300, 60), QPoint(10, 10), false},
      {"left dock", &left, QPoint(10, 200), QPoint(10, 10), true},
      {"right of the left dock: no hit across a vertical dock", &left, QPoint(40, 200), QPoint(10, 10), false},
      {"one pixel window over the dock", &top, QPoint(300, 10), QPoint(0, 0), true},
  };
  for (const Row &r : rows) {
    const QSize o = QString(r.name).startsWith("one pixel") ? QSize(1, 1) : outer;
    EXPECT_EQ(DragHitsDock(*r.t, r.cursor, r.grab, o), r.hit) << r.name;
  }
  QRect bar;
  ASSERT_TRUE(DragHitsDock(top, QPoint(300, 10), QPoint(50, 10), QSize(101, 27), &bar));
  EXPECT_EQ(bar.topLeft(), QPoint(300 - 49, 10 - 9)) << "grab point keeps its proportional place";
}

TEST(DockGeometry, RowPickJoinsTheMiddleAndInsertsByQuarters) {
  const std::vector<int> rows2 = {40, 40};
  const std::vector<int> fullRow = {40 | RowFullSizeFlag, 40};
  struct Row {
    const char *name;
    const std::vector<int> *sizes;
    int centre;
    bool fullBar;
    int row;
    bool newRow;
  } rows[] = {
      {"above everything: new first row", &rows2, -5, false, 0, true},
      {"first quarter of row 0: new row before it", &rows2, 5, false, 0, true},
      {"middle of row 0 joins", &rows2, 10, false, 0, false},
      {"end of the middle half joins", &rows2, 29, false, 0, false},
      {"last quarter of row 0: new row before row 1", &rows2, 30, false, 1, true},
      {"middle of row 1", &rows2, 60, false, 1, false},
      {"past all rows: new last row", &rows2, 75, false, 2, true},
      {"FullSize row, first half: before", &fullRow, 19, false, 0, true},
      {"FullSize row is never joined", &fullRow, 20, false, 1, true},
      {"FullSize bar never joins a row", &rows2, 50, true, 1, true},
      {"FullSize bar past the half", &rows2, 65, true, 2, true},
      {"empty dock", nullptr, 10, false, 0, true},
  };
  const std::vector<int> none;
  for (const Row &r : rows) {
    const TTBRowPick p = PickDragRow(r.sizes ? *r.sizes : none, r.centre, r.fullBar);
    EXPECT_EQ(p.Row, r.row) << r.name;
    EXPECT_EQ(p.NewRow, r.newRow) << r.name;
  }
  EXPECT_FALSE(RowLockReached(100, 109));
  EXPECT_TRUE(RowLockReached(100, 110));
  EXPECT_TRUE(RowLockReached(100, 90));
}

TEST(DockGeometry, FloatingDragStaysReachable) {
  const QRect wa(0, 0, 1000, 700);
  const QSize outer(120, 50);
  const int border = 4, topFrame = 4 + FrameMetrics().SmallCaptionHeight;
  struct Row {
    const char *name;
    QPoint cursor, grab, topLeft;
  } rows[] = {
      {"grab point under the cursor", QPoint(500, 300), QPoint(10, 5), QPoint(490, 295)},
      {"cursor clamped into the work area", QPoint(-50, 300), QPoint(10, 5), QPoint(-10, 295)},
      {"far left: 8 pixels stay inside", QPoint(0, 300), QPoint(119, 5), QPoint(8 - 119, 295)},
      {"far right", QPoint(999, 300), QPoint(0, 5), QPoint(999 - 8, 295)},
      {"caption kept below the top", QPoint(500, 0), QPoint(10, 30), QPoint(490, 4 - topFrame)},
      {"bottom", QPoint(500, 699), QPoint(10, 0), QPoint(490, 699 - 8)},
  };
  for (const Row &r : rows)
    EXPECT_EQ(FloatingDragRect(r.cursor, r.grab, outer, wa, border, topFrame).topLeft(), r.topLeft) << r.name;
}

TEST(DockGeometry, SizingStopsAtTheLimits) {
  const QRect start(100, 100, 200, 100);
  TTBSizeLimits lim;
  lim.MinWidth = 50;
  lim.MinHeight = 30;
  lim.MaxWidth = 400;
  struct Row {
    const char *name;
    int edge;
    QPoint delta;
    QRect result;
  } rows[] = {
      {"right grows", htRight, QPoint(30, 9), QRect(100, 100, 230, 100)},
      {"left past the minimum stops there", htLeft, QPoint(500, 0), QRect(250, 100, 50, 100)},
      {"left beyond the maximum", htLeft, QPoint(-500, 0), QRect(-100, 100, 400, 100)},
      {"top-left corner", htTopLeft, QPoint(-10, -20), QRect(90, 80, 210, 120)},
      {"bottom past the minimum", htBottom, QPoint(0, -200), QRect(100, 100, 200, 30)},
      {"bottom-right with no maximum height", htBottomRight, QPoint(10, 1000), QRect(100, 100, 210, 1100)},
  };
  for (const Row &r : rows) EXPECT_EQ(SizeByEdge(start, r.edge, r.delta, lim), r.result) << r.name;
  // No limits: a window never becomes narrower than one pixel.
  EXPECT_EQ(SizeByEdge(start, htRight, QPoint(-1000, 0), {}).width(), 1);
}

TEST(DockGeometry, MoveOnScreenShiftsIntoTheArea) {
  const QRect area(0, 0, 800, 600);
  EXPECT_EQ(MoveRectOnScreen(QRect(900, 700, 100, 50), area), QRect(700, 550, 100, 50));
  EXPECT_EQ(MoveRectOnScreen(QRect(-300, -80, 100, 50), area), QRect(0, 0, 100, 50));
  // Wider than the area: the left edge wins.
  EXPECT_EQ(MoveRectOnScreen(QRect(-10, 10, 1000, 50), area).left(), 0);
}

} // namespace
