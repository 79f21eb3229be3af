#include "widgets/KcSplit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "platform/DesktopMetrics.h"

namespace kc {
namespace {

void mouse(QWidget *w, QEvent::Type t, QPoint p) {
  QMouseEvent e(t, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton,
                t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

void drag(QWidget *w, QPoint from, QPoint to) {
  mouse(w, QEvent::MouseButtonPress, from);
  mouse(w, QEvent::MouseMove, to);
  mouse(w, QEvent::MouseButtonRelease, to);
}

struct ModeCase {
  const char *name;
  TAlign splitter, first;
  bool haveSecond;
  TAlign second;
  int mode;
};

class SizingModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(SizingModes, FollowTheAlignmentOfBothControls) {
  const ModeCase &c = GetParam();
  EXPECT_EQ(TKcxSplitter::SizingMode(c.splitter, c.first, c.haveSecond, c.second), c.mode);
}

using A = TAlign;
const ModeCase kModes[] = {
    {"TopPanelAlone", A::alTop, A::alTop, false, A::alNone, 1},
    {"BottomPanelOverClient", A::alBottom, A::alBottom, true, A::alClient, 1},
    {"ClientOverBottom", A::alBottom, A::alClient, true, A::alBottom, 2},
    {"ClientUnderTop", A::alTop, A::alClient, true, A::alTop, 2},
    {"LeftPanel", A::alLeft, A::alLeft, true, A::alClient, 3},
    {"RightPanelAlone", A::alRight, A::alRight, false, A::alNone, 3},
    {"ClientBesideRight", A::alRight, A::alClient, true, A::alRight, 4},
    {"ClientBesideLeft", A::alLeft, A::alClient, true, A::alLeft, 4},
    {"SplitterOnOtherEdge", A::alBottom, A::alTop, false, A::alNone, 0},
    {"SplitterNotDockedLikeSecond", A::alTop, A::alClient, true, A::alBottom, 0},
    {"TwoClients", A::alTop, A::alClient, true, A::alClient, 0},
    {"FirstUndocked", A::alTop, A::alNone, true, A::alClient, 0},
    {"ClientWithoutSecond", A::alTop, A::alClient, false, A::alNone, 0},
    {"MixedAxes", A::alTop, A::alTop, true, A::alLeft, 0},
};
INSTANTIATE_TEST_SUITE_P(Table, SizingModes, ::testing::ValuesIn(kModes),
                         [](const auto &i) { return std::string(i.param.name); });

// The talk frame's arrangement: a client panel over a bottom panel, the bar
// docked to the bottom between them.
struct TalkFrame {
  QWidget form;
  QWidget *top = new QWidget(&form);
  QWidget *bottom = new QWidget(&form);
  TKcxSplitter *bar = new TKcxSplitter(&form);
  TalkFrame() {
    form.resize(400, 300);
    bottom->resize(400, 100);
    bottom->move(0, 200);
    SetAlign(top, TAlign::alClient);
    SetAlign(bottom, TAlign::alBottom);
    bar->SetControlFirst(top);
    bar->SetControlSecond(bottom);
    bar->SetAlign(TAlign::alBottom);
    form.show();
    AlignLayoutOf(&form)->Realign();
  }
};

TEST(KcxSplitter, BottomBarBetweenClientAndBottomPanelsResizesTheBottomOne) {
  TalkFrame f;
  EXPECT_EQ(f.bar->SizingMode(), 2);
  EXPECT_EQ(f.bar->CursorId(), crVSplit);
  EXPECT_EQ(f.bar->height(), 3) << "docking a free bar makes it 3 pixels thick";
  EXPECT_EQ(f.bar->geometry(), QRect(0, 197, 400, 3));
  int changed = 0;
  f.bar->OnPosChanged = [&](TKcxSplitter *) { ++changed; };
  drag(f.bar, QPoint(10, 1), QPoint(10, -49));
  EXPECT_EQ(f.bottom->height(), 150);
  EXPECT_EQ(f.top->height(), 300 - 150 - 3);
  EXPECT_EQ(changed, 1);
}

TEST(KcxSplitter, DragStopsAtTheTopLeftLimitAndShowsNoDrop) {
  TalkFrame f;
  mouse(f.bar, QEvent::MouseButtonPress, QPoint(10, 1));
  ASSERT_TRUE(f.bar->Dragging());
  EXPECT_FALSE(applicationShowHint()) << "hints are off while dragging";
  mouse(f.bar, QEvent::MouseMove, QPoint(10, -500));
  EXPECT_EQ(f.bar->CursorId(), crNoDrop);
  EXPECT_EQ(f.bar->LineRect(), QRect(0, 20, 400, 2)) << "the line stops 20 pixels from the edge";
  mouse(f.bar, QEvent::MouseMove, QPoint(10, -10));
  EXPECT_EQ(f.bar->CursorId(), crVSplit);
  mouse(f.bar, QEvent::MouseMove, QPoint(10, -500));
  mouse(f.bar, QEvent::MouseButtonRelease, QPoint(10, -500));
  EXPECT_TRUE(applicationShowHint());
  EXPECT_EQ(f.bar->y(), 20);
  EXPECT_EQ(f.bottom->height(), 277);
}

TEST(KcxSplitter, EscapeGivesUpTheDrag) {
  TalkFrame f;
  int changing = 0;
  f.bar->OnPosChanging = [&](TKcxSplitter *, int, int, bool &) { ++changing; };
  mouse(f.bar, QEvent::MouseButtonPress, QPoint(10, 1));
  mouse(f.bar, QEvent::MouseMove, QPoint(10, -60));
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&f.form, &esc);
  EXPECT_FALSE(f.bar->Dragging());
  mouse(f.bar, QEvent::MouseButtonRelease, QPoint(10, -60));
  EXPECT_EQ(f.bottom->height(), 100);
  EXPECT_EQ(changing, 0);
  EXPECT_TRUE(applicationShowHint());
}

TEST(KcxSplitter, PosChangingCanVeto) {
  TalkFrame f;
  f.bar->OnPosChanging = [](TKcxSplitter *, int, int, bool &allow) { allow = false; };
  drag(f.bar, QPoint(10, 1), QPoint(10, -40));
  EXPECT_EQ(f.bottom->height(), 100);
}

struct DragCase {
  const char *name;
  TAlign barAlign, firstAlign;
  bool secondIsResized; // else ControlFirst is
  TAlign secondAlign;
  QPoint move;
  int expectedSize; // height or width of the resized control, from 100
};

class ModeDrags : public ::testing::TestWithParam<DragCase> {};

TEST_P(ModeDrags, ResizeTheRightControlTheRightWay) {
  const DragCase &c = GetParam();
  QWidget form;
  form.resize(400, 400);
  auto *first = new QWidget(&form);
  auto *second = new QWidget(&form);
  first->resize(100, 100);
  second->resize(100, 100);
  // Docked controls are stacked in the order of their places on the edge.
  auto place = [](QWidget *w, TAlign a) {
    if (a == TAlign::alBottom) w->move(0, 399 - w->height());
    if (a == TAlign::alRight) w->move(399 - w->width(), 0);
  };
  place(first, c.firstAlign);
  place(second, c.secondAlign);
  SetAlign(first, c.firstAlign);
  SetAlign(second, c.secondAlign);
  auto *bar = new TKcxSplitter(&form);
  bar->SetControlFirst(first);
  bar->SetControlSecond(second);
  bar->SetAlign(c.barAlign);
  form.show();
  AlignLayoutOf(&form)->Realign();
  ASSERT_NE(bar->SizingMode(), 0);
  QWidget *resized = c.secondIsResized ? second : first;
  const bool vertical = bar->SizingMode() <= 2;
  drag(bar, QPoint(1, 1), QPoint(1, 1) + c.move);
  EXPECT_EQ(vertical ? resized->height() : resized->width(), c.expectedSize);
}

const DragCase kDrags[] = {
    {"Mode1TopPanelDownGrows", A::alTop, A::alTop, false, A::alClient, {0, 30}, 130},
    {"Mode1BottomPanelDownShrinks", A::alBottom, A::alBottom, false, A::alClient, {0, 30}, 70},
    {"Mode2BottomPanelUpGrows", A::alBottom, A::alClient, true, A::alBottom, {0, -30}, 130},
    {"Mode2TopPanelUpShrinks", A::alTop, A::alClient, true, A::alTop, {0, -30}, 70},
    {"Mode3LeftPanelRightGrows", A::alLeft, A::alLeft, false, A::alClient, {30, 0}, 130},
    {"Mode3RightPanelRightShrinks", A::alRight, A::alRight, false, A::alClient, {30, 0}, 70},
    {"Mode4RightPanelLeftGrows", A::alRight, A::alClient, true, A::alRight, {-30, 0}, 130},
    {"Mode4LeftPanelLeftShrinks", A::alLeft, A::alClient, true, A::alLeft, {-30, 0}, 70},
};
INSTANTIATE_TEST_SUITE_P(Table, ModeDrags, ::testing::ValuesIn(kDrags),
                         [](const auto &i) { return std::string(i.param.name); });

TEST(KcxSplitter, ParentWithAnotherLayoutKeepsIt) {
  QWidget form;
  auto *box = new QVBoxLayout(&form);
  auto *bar = new TKcxSplitter(&form);
  bar->SetAlign(TAlign::alTop);
  EXPECT_EQ(form.layout(), box);
  EXPECT_EQ(AlignLayoutOf(&form), nullptr);
}

TEST(KcxSplitter, FormsAndItselfAreRefusedAsControls) {
  TalkFrame f;
  f.bar->SetControlFirst(&f.form);
  EXPECT_EQ(f.bar->ControlFirst(), nullptr);
  f.bar->SetControlFirst(f.bar);
  EXPECT_EQ(f.bar->ControlFirst(), nullptr);
  EXPECT_EQ(f.bar->CursorId(), crDefault);
}

TEST(KcxSplitter, FreedControlIsForgotten) {
  TalkFrame f;
  delete f.bottom;
  EXPECT_EQ(f.bar->ControlSecond(), nullptr);
  mouse(f.bar, QEvent::MouseButtonPress, QPoint(10, 1));
  EXPECT_FALSE(f.bar->Dragging());
}

TEST(KcxSplitter, DockingFindsTheNeighbourWhenNoControlIsSet) {
  QWidget form;
  form.resize(300, 300);
  auto *left = new QWidget(&form);
  left->resize(80, 300);
  SetAlign(left, TAlign::alLeft);
  auto *bar = new TKcxSplitter(&form);
  bar->move(80, 0);
  bar->SetAlign(TAlign::alLeft);
  EXPECT_EQ(bar->ControlFirst(), left);
  EXPECT_EQ(bar->SizingMode(), 3);
  EXPECT_EQ(bar->CursorId(), crHSplit);
}

TEST(KcxSplitter, HiddenOrCrampedNeighboursNeverGetNegativeSizes) {
  {
    TalkFrame f;
    f.bottom->hide();
    mouse(f.bar, QEvent::MouseButtonPress, QPoint(10, 1));
    EXPECT_FALSE(f.bar->Dragging()) << "a hidden panel has no size to drag";
  }
  {
    TalkFrame f;
    f.form.resize(30, 12); // smaller than both limits together
    AlignLayoutOf(&f.form)->Realign();
    drag(f.bar, QPoint(1, 1), QPoint(1, 400));
    EXPECT_GE(f.bottom->height(), 1);
    drag(f.bar, QPoint(1, 1), QPoint(1, -400));
    EXPECT_GE(f.bottom->height(), 1);
    EXPECT_GE(f.top->height(), 0);
  }
}

} // namespace
} // namespace kc
