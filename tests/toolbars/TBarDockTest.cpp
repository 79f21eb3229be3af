// Docks and dockable windows as widgets: the arrangement of bars in rows,
// docking and floating, and drags driven step by step as the pointer
// tracker would drive them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <memory>

#include "platform/DesktopMetrics.h"
#include "platform/Screen.h"
#include "platform/TbSystemSettings.h"
#include "support/EventPump.h"
#include "toolbars/TBarDock.h"

using namespace kc;
using namespace kc::tb;

namespace {

// A bar whose content has a fixed size (lying along the dock), and a
// minimum length for shrinking.
class FakeBar : public TTBCustomDockableWindow {
public:
  FakeBar(QWidget *Parent, int Length, int Thickness = 20, TTBShrinkMode Mode = tbsmNone, int MinLength = 0)
      : TTBCustomDockableWindow(Parent), FLength(Length), FThick(Thickness), FMode(Mode), FMin(MinLength) {}
  QSize LayoutForDock(bool, TTBDockKind Kind, TTBDock *, bool) override { return SizeFor(Kind); }
  QSize GetContentSize() override { return SizeFor(DockKind()); }
  int GetMinimumLength() const override { return FMin; }
  TTBShrinkMode GetShrinkMode() const override { return FMode; }
  int Layouts = 0;

private:
  QSize SizeFor(TTBDockKind Kind) const { return Kind == dkVertical ? QSize(FThick, FLength) : QSize(FLength, FThick); }
  int FLength, FThick;
  TTBShrinkMode FMode;
  int FMin;
};

// A form with a top dock 400 pixels long (the frame of a bar on it is
// 10 along and 4 across with the single drag handle).
struct Form {
  QWidget form;
  TTBDock *dock;
  explicit Form(TTBDockPosition P = dpTop, int Length = 400) {
    form.resize(600, 500);
    dock = new TTBDock(&form, P);
    if (P == dpLeft || P == dpRight) dock->setGeometry(P == dpLeft ? 0 : 590, 0, 10, Length);
    else dock->setGeometry(0, P == dpTop ? 0 : 500, Length, 10);
  }
  FakeBar *Bar(int Length, int Row, int Pos, TTBShrinkMode Mode = tbsmNone, int Min = 0) {
    dock->BeginUpdate();
    auto *B = new FakeBar(dock, Length - 10, 20, Mode, Min);
    B->SetDockRow(Row);
    B->SetDockPos(Pos);
    dock->EndUpdate();
    return B;
  }
};

struct Placed {
  int row, pos, length;
};

TEST(Dock, ArrangeBarsTable) {
  struct Bar {
    int length, row, pos;
    TTBShrinkMode mode = tbsmNone;
    int min = 0;
    bool fullSize = false, stretch = false;
  };
  struct Case {
    const char *name;
    bool oneRow;
    std::vector<Bar> bars;
    std::vector<Placed> want;
    int thickness;
  } cases[] = {
      {"rows with no bar vanish: 0, 5, 9 become 0, 1, 2",
       false,
       {{100, 0, 0}, {100, 5, 0}, {100, 9, 0}},
       {{0, 0, 100}, {1, 0, 100}, {2, 0, 100}},
       72},
      {"gaps kept where the row has room", false, {{100, 0, 20}, {100, 0, 250}}, {{0, 20, 100}, {0, 250, 100}}, 24},
      {"a bar that overlaps the one before is pushed along",
       false,
       {{100, 0, 0}, {100, 0, 50}},
       {{0, 0, 100}, {0, 100, 100}},
       24},
      {"pushed bars never end past the dock: gaps before give way",
       false,
       {{100, 0, 100}, {100, 0, 350}},
       {{0, 100, 100}, {0, 300, 100}},
       24},
      {"a too long row wraps (without LimitToOneRow)",
       false,
       {{250, 0, 0}, {200, 0, 300}},
       {{0, 0, 250}, {1, 200, 200}},
       48},
      {"a bar wider than the dock keeps its length alone in its row", false, {{600, 0, 0}}, {{0, 0, 600}}, 24},
      {"a chevron bar wider than the dock shrinks to the dock",
       false,
       {{600, 0, 0, tbsmChevron, 50}},
       {{0, 0, 400}},
       24},
      {"one row: chevron bars shrink instead of wrapping",
       true,
       {{250, 3, 0, tbsmChevron, 60}, {250, 7, 0}},
       {{0, 0, 150}, {0, 150, 250}},
       24},
      {"a FullSize bar sharing a row gets it alone",
       false,
       {{100, 0, 0}, {100, 0, 200, tbsmNone, 0, true}},
       {{1, 0, 100}, {0, 0, 400}},
       48},
      {"a Stretch bar ending a row takes its gap and fills the row",
       false,
       {{100, 0, 0}, {100, 0, 150, tbsmNone, 0, false, true}},
       {{0, 0, 100}, {0, 100, 300}},
       24},
      {"a Stretch bar in the middle fills the gap to the next",
       false,
       {{100, 0, 0, tbsmNone, 0, false, true}, {100, 0, 250}},
       {{0, 0, 250}, {0, 250, 100}},
       24},
  };
  for (const Case &c : cases) {
    Form f;
    f.dock->SetLimitToOneRow(c.oneRow);
    std::vector<FakeBar *> bars;
    f.dock->BeginUpdate();
    for (const Bar &b : c.bars) {
      FakeBar *fb = f.Bar(b.length, b.row, b.pos, b.mode, b.min);
      fb->SetFullSize(b.fullSize);
      fb->SetStretch(b.stretch);
      bars.push_back(fb);
    }
    f.dock->EndUpdate();
    for (size_t i = 0; i < bars.size(); ++i) {
      EXPECT_EQ(bars[i]->EffectiveDockRow(), c.want[i].row) << c.name << " bar " << i;
      EXPECT_EQ(bars[i]->x(), c.want[i].pos) << c.name << " bar " << i;
      EXPECT_EQ(bars[i]->width(), c.want[i].length) << c.name << " bar " << i;
    }
    EXPECT_EQ(f.dock->height(), c.thickness) << c.name;
  }
}

TEST(Dock, ThicknessOfAnEmptyDockAndTheEdgeThatStays) {
  Form top;
  EXPECT_EQ(top.dock->height(), 0);
  top.dock->SetFixAlign(true);
  EXPECT_EQ(top.dock->height(), 1);

  Form bottom(dpBottom);
  const int bottomEdge = bottom.dock->geometry().bottom();
  FakeBar *b = bottom.Bar(100, 0, 0);
  EXPECT_EQ(bottom.dock->height(), 24);
  EXPECT_EQ(bottom.dock->geometry().bottom(), bottomEdge) << "a bottom dock grows upwards";
  b->hide();
  EXPECT_EQ(bottom.dock->height(), 0);
  EXPECT_EQ(bottom.dock->VisibleBarCount(), 0);

  Form left(dpLeft);
  FakeBar *l1 = left.Bar(100, 0, 0);
  FakeBar *l2 = left.Bar(100, 0, 150);
  FakeBar *l3 = left.Bar(100, 1, 0);
  EXPECT_EQ(left.dock->width(), 48);
  EXPECT_EQ(l1->geometry(), QRect(0, 0, 24, 100)) << "a left dock lays rows across and bars down";
  EXPECT_EQ(l2->geometry(), QRect(0, 150, 24, 100));
  EXPECT_EQ(l3->geometry(), QRect(24, 0, 24, 100));

  Form lines;
  lines.dock->SetBoundLines(blTop | blBottom | blLeft);
  FakeBar *lb = lines.Bar(100, 0, 0);
  EXPECT_EQ(lines.dock->height(), 26);
  EXPECT_EQ(lb->pos(), QPoint(1, 1)) << "bars sit inside the bound lines";
}

TEST(Dock, MisuseRaisesAndChangesNothing) {
  Form f;
  f.Bar(100, 0, 0);
  EXPECT_THROW(f.dock->SetPosition(dpLeft), EInvalidOperation);
  EXPECT_EQ(f.dock->Position(), dpTop);
  EXPECT_THROW(new TTBDock(f.dock), EInvalidOperation);
  QWidget orphanParent;
  auto *bar = new FakeBar(nullptr, 50);
  EXPECT_THROW(bar->SetCurrentDock(nullptr), EInvalidOperation);
  delete bar;
}

TEST(Dock, InsertRemoveEventsAndDockList) {
  Form f;
  std::vector<std::pair<bool, TTBCustomDockableWindow *>> seen;
  f.dock->OnInsertRemoveBar = [&](TTBDock *, bool ins, TTBCustomDockableWindow *b) { seen.push_back({ins, b}); };
  FakeBar *b = f.Bar(100, 0, 0);
  b->hide();
  b->show();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_FALSE(seen[0].first);
  EXPECT_EQ(seen[0].second, b);
  EXPECT_TRUE(seen[1].first);
  // Floating, the bar stays in its last dock's list without taking space.
  b->SetFloating(true);
  EXPECT_EQ(f.dock->VisibleBarCount(), 0);
  ASSERT_EQ(f.dock->DockList().size(), 1u);
  EXPECT_EQ(b->LastDock(), f.dock);
}

TEST(DockableWindow, FloatsAndDocksBack) {
  Form f;
  FakeBar *b = f.Bar(100, 0, 0);
  b->SetCaption(QStringLiteral("Tools"));
  f.form.show();
  f.form.activateWindow();
  kctest::pumpEvents();
  int changed = 0;
  b->OnDockChanged = [&](TTBCustomDockableWindow *) { ++changed; };
  b->SetFloatingPosition(QPoint(200, 150));
  b->SetFloating(true);
  ASSERT_TRUE(b->Floating());
  ASSERT_NE(b->FloatParent(), nullptr);
  EXPECT_FALSE(b->Docked());
  EXPECT_EQ(b->CurrentDock(), nullptr);
  EXPECT_EQ(b->parentWidget(), b->FloatParent());
  EXPECT_EQ(b->size(), QSize(90, 20)) << "floating windows have no docked frame";
  EXPECT_EQ(b->FloatParent()->ClientRect().size(), b->size());
  EXPECT_EQ(b->FloatParent()->pos(), QPoint(200, 150));
  EXPECT_EQ(b->FloatParent()->ParentForm(), &f.form);
  EXPECT_TRUE(b->FloatParent()->isVisible());
  f.form.hide();
  EXPECT_FALSE(b->FloatParent()->isVisible()) << "hidden with its form";
  f.form.show();
  kctest::pumpEvents();
  EXPECT_TRUE(b->FloatParent()->isVisible());
  b->SetFloatingMode(fmOnTopOfAllForms);
  EXPECT_TRUE(b->FloatParent()->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(b->FloatParent()->isVisible()) << "a new window flag does not hide it";
  EXPECT_EQ(f.dock->height(), 0);
  EXPECT_EQ(changed, 1);

  b->DoubleClick();
  EXPECT_TRUE(b->Docked());
  EXPECT_EQ(b->CurrentDock(), f.dock);
  EXPECT_EQ(f.dock->height(), 24);
  EXPECT_EQ(b->FloatParent(), nullptr);
  EXPECT_EQ(changed, 2);
  kctest::pumpEvents();
}

TEST(DockableWindow, DoubleClickRespectsDockMode) {
  Form f;
  FakeBar *b = f.Bar(100, 0, 0);
  b->SetDockMode(dmCannotFloat);
  b->DoubleClick();
  EXPECT_TRUE(b->Docked());
  b->SetDockMode(dmCanFloat);
  b->DoubleClick();
  EXPECT_TRUE(b->Floating());
}

TEST(DockableWindow, CloseAsksFirst) {
  Form f;
  FakeBar *b = f.Bar(100, 0, 0);
  bool allow = false;
  int closed = 0;
  b->OnCloseQuery = [&](TTBCustomDockableWindow *, bool &can) { can = allow; };
  b->OnClose = [&](TTBCustomDockableWindow *) { ++closed; };
  b->Close();
  EXPECT_TRUE(b->Visible());
  allow = true;
  b->Close();
  EXPECT_FALSE(b->Visible());
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(f.dock->height(), 0);
}

// A form with a top and a left dock and two bars in the top dock, shown at
// (0, 0) on a screen of one monitor.
struct DragForm {
  QWidget form;
  TTBDock *top, *left;
  FakeBar *a, *b;
  MonitorsOverride monitors{{{QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 768)}}};
  DragForm() {
    form.setGeometry(0, 0, 800, 600);
    top = new TTBDock(&form, dpTop);
    top->setGeometry(0, 0, 800, 10);
    left = new TTBDock(&form, dpLeft);
    left->setGeometry(0, 100, 10, 400);
    a = new FakeBar(top, 90);
    a->SetDockPos(0);
    b = new FakeBar(top, 90);
    b->SetDockPos(200);
    form.show();
    form.move(0, 0);
    kctest::pumpEvents();
  }
  QPoint Global(QWidget *w, QPoint p) { return w->mapToGlobal(p); }
};

TEST(DockableWindow, DragFromTopDockToLeftDockAndFloat) {
  DragForm f;
  ASSERT_EQ(f.top->height(), 24);
  const QPoint grab(3, 10);
  f.b->StartDrag(grab, false, false);
  f.b->DragTo(f.Global(f.left, QPoint(1, 50)), false);
  EXPECT_EQ(f.b->CurrentDock(), f.left);
  EXPECT_EQ(f.left->width(), 24);
  EXPECT_EQ(f.b->size(), QSize(24, 100)) << "laid out across for the left dock";
  // Far from every dock: floating with the grab point under the pointer.
  f.b->DragTo(QPoint(500, 400), false);
  EXPECT_TRUE(f.b->Floating());
  EXPECT_EQ(f.left->width(), 0);
  // Ctrl over a dock keeps it floating.
  f.b->DragTo(f.Global(f.top, QPoint(400, 10)), true);
  EXPECT_TRUE(f.b->Floating());
  f.b->DragTo(f.Global(f.top, QPoint(400, 10)), false);
  EXPECT_EQ(f.b->CurrentDock(), f.top);
  f.b->EndMoving(true);
  EXPECT_EQ(f.b->LastDock(), f.top);
  EXPECT_EQ(f.b->DockRow(), 0);
  EXPECT_EQ(f.b->DockPos(), f.b->x());
  EXPECT_EQ(f.b->FloatParent(), nullptr) << "the floating parent left behind goes";
  kctest::pumpEvents();
}

TEST(DockableWindow, FirstUpdateOfAFloatingWindowNeverDocks) {
  DragForm f;
  f.b->SetFloatingPosition(QPoint(300, 300));
  f.b->SetFloating(true);
  f.b->StartDrag(QPoint(5, 5), false, false);
  const QPoint overTop = f.Global(f.top, QPoint(400, 10));
  f.b->DragTo(overTop, false);
  EXPECT_TRUE(f.b->Floating());
  f.b->DragTo(overTop + QPoint(1, 0), false);
  EXPECT_TRUE(f.b->Docked());
  f.b->EndMoving(true);
}

TEST(DockableWindow, RefusedDockIsPassedOver) {
  DragForm f;
  int asked = 0;
  f.left->OnRequestDock = [&](TTBDock *, TTBCustomDockableWindow *, bool &ok) {
    ++asked;
    ok = false;
  };
  f.b->StartDrag(QPoint(3, 10), false, false);
  f.b->DragTo(f.Global(f.left, QPoint(1, 50)), false);
  EXPECT_GE(asked, 1);
  EXPECT_TRUE(f.b->Floating());
  f.b->EndMoving(false);
}

TEST(DockableWindow, WindowThatMayNotFloatStaysPut) {
  DragForm f;
  f.b->SetDockMode(dmCannotFloat);
  const QPoint before = f.b->pos();
  f.b->StartDrag(QPoint(3, 10), false, false);
  f.b->DragTo(QPoint(500, 400), false);
  EXPECT_TRUE(f.b->Docked());
  EXPECT_EQ(f.b->pos(), before);
  f.b->EndMoving(true);
}

TEST(DockableWindow, DroppingInRowsJoinsOrInserts) {
  DragForm f;
  // Each row is 24 thick: the first quarter (0..5) inserts a row before.
  struct Row {
    const char *name;
    int y;
    int rowOfB, rowOfA;
  } rows[] = {
      {"middle of the row joins it", 12, 0, 0},
      {"top quarter makes a new row before", 1, 0, 1},
  };
  for (const Row &r : rows) {
    DragForm g;
    // The grab point at the bar's centre across keeps the centre under the
    // pointer.
    g.b->StartDrag(QPoint(3, 12), false, false);
    g.b->DragTo(g.Global(g.top, QPoint(400, r.y)), false);
    g.b->EndMoving(true);
    EXPECT_EQ(g.b->EffectiveDockRow(), r.rowOfB) << r.name;
    EXPECT_EQ(g.a->EffectiveDockRow(), r.rowOfA) << r.name;
  }
}

TEST(DockableWindow, SqueezedWindowLocksToItsRowAfterTenPixels) {
  QWidget form;
  form.setGeometry(0, 0, 300, 300);
  MonitorsOverride monitors{{{QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 768)}}};
  auto *dock = new TTBDock(&form, dpTop);
  dock->setGeometry(0, 0, 200, 10);
  dock->SetLimitToOneRow(true);
  auto *a = new FakeBar(dock, 140, 20, tbsmChevron, 30);
  a->SetDockPos(0);
  auto *b = new FakeBar(dock, 90, 20, tbsmChevron, 30);
  b->SetDockPos(150);
  form.show();
  kctest::pumpEvents();
  ASSERT_EQ(b->EffectiveDockRow(), 0);
  const QPoint start = b->mapToGlobal(QPoint(3, 12));
  b->StartDrag(QPoint(3, 12), false, false);
  EXPECT_TRUE(dock->DragBarSqueezed());
  b->DragTo(start + QPoint(-9, 0), false);
  EXPECT_FALSE(dock->DragRowLocked());
  b->DragTo(start + QPoint(-10, 0), false);
  EXPECT_TRUE(dock->DragRowLocked());
  // Locked, it pushes its neighbour rather than passing it.
  b->DragTo(start + QPoint(-150, 0), false);
  EXPECT_LT(a->x(), b->x());
  b->EndMoving(true);
  EXPECT_FALSE(dock->DragRowLocked());
}

TEST(DockableWindow, FloatingParentFrameAndSizing) {
  DragForm f;
  f.b->SetFloatingPosition(QPoint(300, 300));
  f.b->SetFloating(true);
  TTBFloatingWindowParent *p = f.b->FloatParent();
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(p->windowFlags() & Qt::Tool);
  EXPECT_TRUE(p->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(p->testAttribute(Qt::WA_ShowWithoutActivating));
  const QMargins m = p->NCMargins();
  EXPECT_EQ(p->NCHitTest(QPoint(m.left() + 5, m.top() / 2 + 2)), htCaption);
  EXPECT_EQ(p->NCHitTest(QPoint(0, p->height() / 2)), htLeft);
  f.b->SetResizable(false);
  EXPECT_EQ(p->NCHitTest(QPoint(0, p->height() / 2)), htNowhere);
  f.b->SetResizable(true);

  // Dragging the left edge far right stops at the minimum: one pixel of
  // client plus the frame.
  setCursorPosition(p->geometry().topLeft());
  f.b->BeginSizing(htLeft);
  f.b->SizingTo(p->geometry().topLeft() + QPoint(1000, 0));
  f.b->EndSizing(true);
  setCursorPosition(std::nullopt);
  EXPECT_EQ(f.b->width(), 1);
  EXPECT_EQ(p->width(), 1 + m.left() + m.right());
  kctest::pumpEvents();
}

TEST(DockableWindow, FloatingWindowLeavesTheFormActive) {
  DragForm f;
  f.form.activateWindow();
  kctest::pumpEvents();
  ASSERT_EQ(QApplication::activeWindow(), &f.form);
  f.b->SetFloating(true);
  kctest::pumpEvents();
  ASSERT_TRUE(f.b->FloatParent()->isVisible());
  EXPECT_TRUE(f.b->FloatParent()->testAttribute(Qt::WA_ShowWithoutActivating));
  f.b->FloatParent()->activateWindow();
  kctest::pumpEvents();
  EXPECT_EQ(QApplication::activeWindow(), &f.form);
}

TEST(DockableWindow, WindowWithoutAFormFloatsOnItsOwn) {
  auto *bar = new FakeBar(nullptr, 50);
  bar->SetFloating(true);
  ASSERT_NE(bar->FloatParent(), nullptr);
  EXPECT_EQ(bar->FloatParent()->parentWidget(), nullptr);
  EXPECT_EQ(bar->parentWidget(), bar->FloatParent());
  delete bar; // takes its floating parent along
  kctest::pumpEvents();
}

TEST(DockableWindow, ClosingTheFloatingWindowClosesTheForm) {
  DragForm f;
  f.b->SetFloating(true);
  ASSERT_NE(f.b->FloatParent(), nullptr);
  f.b->FloatParent()->close();
  EXPECT_FALSE(f.form.isVisible());
  kctest::pumpEvents();
}

TEST(DockableWindow, OutlineDragMovesTheWindowOnlyWhenAccepted) {
  struct Row {
    const char *name;
    bool accept;
    bool floatingAfter;
  } rows[] = {
      {"released: the window goes where the outline was", true, true},
      {"Escape: the window stays where it was", false, false},
  };
  for (const Row &r : rows) {
    DragForm f;
    f.b->SetSmoothDrag(false);
    f.b->StartDrag(QPoint(3, 10), false, false);
    f.b->DragTo(QPoint(500, 400), false);
    EXPECT_TRUE(f.b->Docked()) << r.name << ": only the outline moves";
    f.b->EndMoving(r.accept);
    EXPECT_EQ(f.b->Floating(), r.floatingAfter) << r.name;
    if (r.floatingAfter) {
      // The grab point keeps its proportional place in the floating frame.
      const QSize outer = f.b->FloatParent()->size();
      EXPECT_EQ(f.b->FloatingPosition(),
                QPoint(500 - ScaleGrab(3, 100, outer.width()), 400 - ScaleGrab(10, 24, outer.height())))
          << r.name;
    }
    kctest::pumpEvents();
  }
}

TEST(DockableWindow, DockedCloseButtonClosesOnlyWhenReleasedOverIt) {
  DragForm f;
  f.b->SetCloseButtonWhenDocked(true);
  kctest::pumpEvents();
  const QRect close = f.b->GetDockedCloseButtonRect(false);
  ASSERT_EQ(close, QRect(3, 2, 11, 11));
  EXPECT_EQ(f.b->NCHitTest(close.center()), htCloseButton);
  QTest::mousePress(f.b, Qt::LeftButton, {}, close.center());
  EXPECT_TRUE(f.b->CloseButtonDown());
  QTest::mouseMove(f.b, QPoint(60, 12));
  QTest::mouseRelease(f.b, Qt::LeftButton, {}, QPoint(60, 12));
  EXPECT_TRUE(f.b->Visible()) << "released outside";
  QTest::mousePress(f.b, Qt::LeftButton, {}, close.center());
  QTest::mouseRelease(f.b, Qt::LeftButton, {}, close.center());
  EXPECT_FALSE(f.b->Visible());
}

TEST(DockableWindow, DockWithoutDragsKeepsItsBars) {
  DragForm f;
  f.top->SetAllowDrag(false);
  kctest::pumpEvents();
  EXPECT_EQ(f.b->ClientRect(), QRect(2, 2, f.b->width() - 4, f.b->height() - 4)) << "a plain 2-pixel frame";
  EXPECT_EQ(f.b->width(), 94);
  QTest::mousePress(f.b, Qt::LeftButton, {}, QPoint(1, 10));
  EXPECT_FALSE(f.b->DragInProgress());
  QTest::mouseRelease(f.b, Qt::LeftButton, {}, QPoint(1, 10));
  f.top->SetAllowDrag(true);
  EXPECT_EQ(f.b->width(), 100) << "the handle is back";
}

TEST(DockableWindow, WindowsAndDocksGoInAnyOrder) {
  {
    DragForm f;
    f.b->SetFloating(true);
    delete f.b; // the floating parent goes with it
    kctest::pumpEvents();
    EXPECT_EQ(f.top->DockList().size(), 1u);
  }
  {
    DragForm f;
    f.b->SetFloating(true);
    delete f.top; // docked bars go with it; the floating one forgets it
    EXPECT_EQ(f.b->LastDock(), nullptr);
    f.b->DoubleClick(); // nowhere to go: stays floating
    EXPECT_TRUE(f.b->Floating());
  } // the form takes the floating parent and its bar along
  {
    DragForm f;
    f.b->StartDrag(QPoint(3, 10), false, false);
    f.b->DragTo(f.Global(f.left, QPoint(1, 50)), false);
    ASSERT_EQ(f.b->CurrentDock(), f.left);
    delete f.b; // in the middle of its drag
    EXPECT_EQ(f.left->DraggingBar(), nullptr);
    EXPECT_EQ(f.top->DraggingBar(), nullptr);
    EXPECT_EQ(f.top->DockList().size(), 1u);
    EXPECT_EQ(f.left->DockList().size(), 0u);
  }
  kctest::pumpEvents();
}

} // namespace
