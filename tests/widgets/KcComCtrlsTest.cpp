#include "widgets/KcComCtrls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "platform/Canvas.h"
#include "platform/DesktopMetrics.h"
#include "platform/GuiTimer.h"
#include "widgets/KcDraw.h"

namespace kc {
namespace {

void press(QWidget *w, QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
  for (auto t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent e(t, QPointF(p), QPointF(w->mapToGlobal(p)), b, t == QEvent::MouseButtonPress ? b : Qt::NoButton, m);
    QApplication::sendEvent(w, &e);
  }
}

void key(QWidget *w, int k, Qt::KeyboardModifiers m = {}) {
  QKeyEvent e(QEvent::KeyPress, k, m);
  QApplication::sendEvent(w, &e);
}

// Qt hands drag events only to a real drag in progress; the tree's own
// handlers are called directly.
struct DragTree : TKcTreeView {
  using TKcTreeView::dragLeaveEvent;
  using TKcTreeView::dragMoveEvent;
};

struct Tree {
  DragTree tree;
  std::vector<TKcTreeNode *> nodes;
  explicit Tree(int n = 4) {
    tree.resize(200, 200);
    for (int i = 0; i < n; ++i) nodes.push_back(tree.AddChild(nullptr, QString("user %1").arg(i)));
    tree.show();
  }
  QPoint at(int i) const { return tree.visualItemRect(nodes[i]).center(); }
};

TEST(KcTreeView, CheckBoxesReadBackWhatWasSetAndWhatWasClicked) {
  Tree t;
  t.tree.SetCheckboxes(true);
  EXPECT_FALSE(t.tree.GetNodeChecked(t.nodes[1]));
  t.tree.SetNodeChecked(t.nodes[1], true);
  EXPECT_TRUE(t.tree.GetNodeChecked(t.nodes[1]));
  t.tree.SetNodeChecked(t.nodes[1], false);
  EXPECT_FALSE(t.tree.GetNodeChecked(t.nodes[1]));
  // The user ticks a box.
  t.nodes[2]->setCheckState(0, Qt::Checked);
  EXPECT_TRUE(t.tree.GetNodeChecked(t.nodes[2]));
  EXPECT_TRUE(t.nodes[2]->Checked());
  // Ticks survive turning the boxes off and on again.
  t.tree.SetCheckboxes(false);
  EXPECT_FALSE(t.tree.GetNodeChecked(t.nodes[2]));
  t.tree.SetCheckboxes(true);
  EXPECT_TRUE(t.tree.GetNodeChecked(t.nodes[2]));
  EXPECT_FALSE(t.tree.GetNodeChecked(nullptr));
}

TEST(KcTreeView, SelectionCountIsMinusOneWithoutMultiSelect) {
  Tree t;
  press(t.tree.viewport(), t.at(1));
  EXPECT_EQ(t.tree.SelectionCount(), -1);
  EXPECT_EQ(t.tree.Selected(), t.nodes[1]);
}

TEST(KcTreeView, CtrlClickTogglesAndPlainClickLeavesOnlyTheClickedNode) {
  Tree t;
  t.tree.SetMultiSelect(true);
  int changes = 0;
  t.tree.OnSelectionChange = [&](TKcTreeView *) { ++changes; };
  press(t.tree.viewport(), t.at(0));
  press(t.tree.viewport(), t.at(2), Qt::LeftButton, Qt::ControlModifier);
  press(t.tree.viewport(), t.at(3), Qt::LeftButton, Qt::ControlModifier);
  EXPECT_EQ(t.tree.SelectionCount(), 3);
  EXPECT_TRUE(t.nodes[2]->isSelected()) << "the view shows the tree's own selection";
  press(t.tree.viewport(), t.at(2), Qt::LeftButton, Qt::ControlModifier);
  EXPECT_EQ(t.tree.SelectionCount(), 2);
  EXPECT_FALSE(t.tree.IsNodeSelected(t.nodes[2]));
  EXPECT_FALSE(t.nodes[2]->isSelected());
  press(t.tree.viewport(), t.at(1));
  EXPECT_EQ(t.tree.SelectionCount(), 1);
  EXPECT_EQ(t.tree.Selections(0), t.nodes[1]);
  EXPECT_GE(changes, 5);
}

TEST(KcTreeView, KeysMoveTheSelectionOrExtendItWithShift) {
  Tree t;
  t.tree.SetMultiSelect(true);
  t.tree.setFocus();
  press(t.tree.viewport(), t.at(0));
  key(&t.tree, Qt::Key_Down);
  EXPECT_EQ(t.tree.SelectionCount(), 1);
  EXPECT_EQ(t.tree.Selections(0), t.nodes[1]);
  key(&t.tree, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(t.tree.SelectionCount(), 2);
  key(&t.tree, Qt::Key_Space);
  EXPECT_EQ(t.tree.SelectionCount(), 1) << "Space toggles the current node";
  EXPECT_FALSE(t.tree.IsNodeSelected(t.nodes[2]));
}

TEST(KcTreeView, SelectNodeReplacesOrExtendsTheSelection) {
  Tree t;
  t.tree.SelectNode(t.nodes[1]);
  EXPECT_EQ(t.tree.Selected(), t.nodes[1]);
  t.tree.SetMultiSelect(true);
  t.tree.SelectNode(t.nodes[0]);
  t.tree.SelectNode(t.nodes[3], true);
  EXPECT_EQ(t.tree.SelectionCount(), 2);
  t.tree.SelectNode(t.nodes[2]);
  EXPECT_EQ(t.tree.SelectionCount(), 1);
  EXPECT_EQ(t.tree.Selected(), t.nodes[2]);
}

TEST(KcTreeView, DeletedNodeLeavesTheSelection) {
  Tree t;
  t.tree.SetMultiSelect(true);
  press(t.tree.viewport(), t.at(1));
  press(t.tree.viewport(), t.at(2), Qt::LeftButton, Qt::ControlModifier);
  delete t.nodes[1];
  EXPECT_EQ(t.tree.SelectionCount(), 1);
  EXPECT_EQ(t.tree.Selections(0), t.nodes[2]);
  t.tree.SetMultiSelect(false);
  EXPECT_EQ(t.tree.SelectionCount(), -1);
  t.tree.SetMultiSelect(true);
  EXPECT_EQ(t.tree.SelectionCount(), 0) << "switching clears the selection";
}

TEST(KcTreeView, NodesAreDrawnInTheColoursTheHandlerLeaves) {
  Tree t;
  t.tree.SetMultiSelect(true);
  t.tree.setFocus();
  press(t.tree.viewport(), t.at(1));
  t.nodes[3]->SetCut(true);
  std::vector<std::pair<int, TKcCustomDrawItem>> seen;
  t.tree.OnCustomDrawItem = [&](TKcTreeView *, TKcTreeNode *n, TKcCustomDrawItem &d) {
    seen.push_back({t.tree.indexOfTopLevelItem(n), d});
    if (n == t.nodes[2]) d.Background = clYellow;
    if (n == t.nodes[0]) {
      d.Canvas->fillRect(d.Rect, QColorOf(clLime));
      d.DefaultDraw = false;
    }
  };
  QApplication::setActiveWindow(&t.tree);
  const QImage shot = t.tree.viewport()->grab().toImage();
  auto colourAt = [&](int i) { return shot.pixel(t.tree.visualItemRect(t.nodes[i]).topRight() + QPoint(-2, 1)); };
  EXPECT_EQ(colourAt(0), QColorOf(clLime).rgb()) << "drawn by the handler alone";
  EXPECT_EQ(colourAt(2), QColorOf(clYellow).rgb());
  const TKcCustomDrawItem selected = t.tree.DrawColours(t.nodes[1]);
  EXPECT_TRUE(selected.Selected);
  EXPECT_EQ(selected.Background, selected.Focused ? clHighlight : clBtnFace);
  EXPECT_EQ(t.tree.DrawColours(t.nodes[3]).Text, clGrayText) << "a cut node is ghosted";
  EXPECT_FALSE(seen.empty());
}

TEST(KcTreeView, RightClickSelectsTheNodeAndOpensItsMenu) {
  Tree t;
  QMenu *menu = t.nodes[2]->PopupMenu();
  menu->addAction("Move to group");
  press(t.tree.viewport(), t.at(2), Qt::RightButton);
  EXPECT_EQ(t.tree.Selected(), t.nodes[2]);
  EXPECT_TRUE(menu->isVisible());
  menu->hide();
  press(t.tree.viewport(), t.at(1), Qt::RightButton);
  EXPECT_EQ(t.tree.Selected(), t.nodes[1]) << "a node without a menu is still selected";
}

TEST(KcTreeView, SelectingANodeOpensThePageOfTheSameCaption) {
  Tree t;
  TKcPageControl pages;
  pages.AddPage("user 0");
  TKcTabSheet *p2 = pages.AddPage("user 2");
  t.tree.SetPageControl(&pages);
  TKcTabSheet *reported = nullptr;
  t.tree.OnPageChanged = [&](TKcTreeView *, TKcTreeNode *, TKcTabSheet *p) { reported = p; };
  t.tree.setCurrentItem(t.nodes[2]);
  EXPECT_EQ(pages.ActivePage(), p2);
  EXPECT_EQ(reported, p2);
  reported = nullptr;
  t.tree.setCurrentItem(t.nodes[1]);
  EXPECT_EQ(reported, nullptr) << "no page of that caption";
}

struct DragFixture : ::testing::Test {
  ManualTimerClock timers;
  std::unique_ptr<Tree> t = std::make_unique<Tree>(200);
  QMimeData data;
  void SetUp() override {
    t->tree.setAcceptDrops(true);
    t->tree.setDragDropMode(QAbstractItemView::DropOnly);
    t->tree.SetAutoDragScroll(true);
    data.setText("x");
  }
  void dragTo(int y) {
    QDragMoveEvent move(QPoint(50, y), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    t->tree.dragMoveEvent(&move);
  }
  int scroll() const { return t->tree.verticalScrollBar()->value(); }
};

TEST_F(DragFixture, TopBandScrollsOneLineEvery200ms) {
  t->tree.verticalScrollBar()->setValue(50);
  dragTo(19);
  EXPECT_EQ(t->tree.DragScrollDirection(), -1);
  timers.advance(199);
  EXPECT_EQ(scroll(), 50);
  timers.advance(1);
  EXPECT_EQ(scroll(), 49);
  timers.advance(400);
  EXPECT_EQ(scroll(), 47);
  dragTo(20);
  EXPECT_EQ(t->tree.DragScrollDirection(), 0);
  timers.advance(1000);
  EXPECT_EQ(scroll(), 47);
}

TEST_F(DragFixture, BottomBandScrollsDownAndLeavingStops) {
  const int h = t->tree.viewport()->height();
  dragTo(h - 5);
  timers.advance(400);
  EXPECT_EQ(scroll(), 2);
  QDragLeaveEvent leave;
  t->tree.dragLeaveEvent(&leave);
  timers.advance(1000);
  EXPECT_EQ(scroll(), 2);
  EXPECT_EQ(timers.runningCount(), 0u);
}

TEST_F(DragFixture, TinyOrFreedTreeIsSafe) {
  t->tree.resize(40, 12); // lower than both bands together
  QApplication::processEvents();
  dragTo(5);
  EXPECT_EQ(t->tree.DragScrollDirection(), -1);
  t->tree.hide();
  timers.advance(200);
  EXPECT_EQ(t->tree.DragScrollDirection(), 0) << "a hidden tree stops scrolling";
  dragTo(5);
  t.reset();
  timers.advance(1000); // the timer went with the tree
  EXPECT_EQ(timers.runningCount(), 0u);
}

TEST(KcTreeView, MouseEnterSwapsTheApplicationsHintColour) {
  Tree t;
  setApplicationHintColor(clInfoBk);
  t.tree.SetHintColor(clYellow);
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(&t.tree, &enter);
  EXPECT_EQ(applicationHintColor(), clYellow);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&t.tree, &leave);
  EXPECT_EQ(applicationHintColor(), clInfoBk);
}

struct Pages {
  QWidget form;
  TKcPageControl *pc = new TKcPageControl(&form);
  std::vector<TKcTabSheet *> p;
  Pages() {
    for (const char *c : {"General", "Picture", "Network", "About"}) p.push_back(pc->AddPage(c));
    pc->SetHandleGlobalTab(true);
    form.show();
  }
};

TEST(KcPageControl, CtrlTabSkipsDisabledPagesAndWraps) {
  Pages f;
  f.p[3]->setEnabled(false);
  f.pc->SetActivePage(f.p[2]);
  key(f.p[2], Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(f.pc->ActivePage(), f.p[0]) << "past the disabled last page to the first";
  key(f.p[0], Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(f.pc->ActivePage(), f.p[2]);
}

TEST(KcPageControl, CtrlTabIsLeftToAFormWithKeyPreview) {
  Pages f;
  f.form.setProperty("KeyPreview", true);
  key(f.p[0], Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(f.pc->ActivePage(), f.p[1]) << "the tab widget's own Ctrl+Tab, not ours";
  f.pc->SetHandleGlobalTab(false);
  f.form.setProperty("KeyPreview", false);
  QWidget other;
  other.show();
  key(&other, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(f.pc->ActivePage(), f.p[1]);
}

TEST(KcPageControl, ClickOnADisabledTabIsSwallowed) {
  Pages f;
  f.pc->setTabEnabled(2, false);
  press(f.pc->tabBar(), f.pc->tabBar()->tabRect(2).center());
  EXPECT_EQ(f.pc->ActivePage(), f.p[0]);
  press(f.pc->tabBar(), f.pc->tabBar()->tabRect(1).center());
  EXPECT_EQ(f.pc->ActivePage(), f.p[1]);
}

TEST(KcPageControl, ChangingCanBeRefused) {
  Pages f;
  f.pc->OnChanging = [](TKcPageControl *, bool &allow) { allow = false; };
  EXPECT_FALSE(f.pc->SelectNextEnabledPage(true));
  EXPECT_EQ(f.pc->ActivePage(), f.p[0]);
}

TEST(KcPageControl, HidingAllTabsKeepsTheActivePage) {
  Pages f;
  f.pc->SetActivePage(f.p[2]);
  f.pc->SetHideAllTabs(true);
  EXPECT_FALSE(f.pc->tabBar()->isVisible());
  EXPECT_EQ(f.pc->ActivePage(), f.p[2]);
  EXPECT_TRUE(f.p[2]->isVisible());
  EXPECT_TRUE(f.pc->SelectNextEnabledPage(true)) << "pages still switch without tabs";
  f.pc->SetHideAllTabs(false);
  EXPECT_TRUE(f.pc->tabBar()->isVisible());
}

TEST(KcPageControl, ActiveTabIsBoldAndDisabledTextGrey) {
  Pages f;
  f.pc->setTabEnabled(1, false);
  f.form.resize(400, 300);
  const QImage shot = f.pc->tabBar()->grab().toImage();
  const QRect disabled = f.pc->tabBar()->tabRect(1);
  bool grey = false;
  for (int y = disabled.top(); y <= disabled.bottom(); ++y)
    for (int x = disabled.left() + 3; x < disabled.right() - 3; ++x)
      grey |= shot.pixel(x, y) == QColor(128, 128, 128).rgb();
  EXPECT_TRUE(grey) << "clGrayText caption";
  QFont bold = f.pc->font();
  bold.setBold(true);
  EXPECT_GT(f.pc->tabBar()->tabRect(0).width(), QFontMetrics(bold).horizontalAdvance("General"))
      << "room for the bold caption";
}

TEST(KcPageControl, TabsAreTallEnoughForTheirPictures) {
  Pages f;
  TCustomImageList images(32, 32);
  QImage picture(32, 32, QImage::Format_ARGB32);
  picture.fill(Qt::red);
  images.Add(picture);
  f.pc->SetImages(&images);
  f.p[1]->SetImageIndex(0);
  EXPECT_GE(f.pc->tabBar()->tabRect(1).height(), 32 + 4) << "the picture drawn whole, 2 pixels below the top";
  f.pc->SetImages(nullptr);
}

TEST(KcPageControl, TabShadowPaintsInactiveTabsInTheInactiveCaptionColour) {
  Pages f;
  f.pc->SetDrawTabShadow(true);
  const QImage shot = f.pc->tabBar()->grab().toImage();
  const QRect inactive = f.pc->tabBar()->tabRect(1);
  EXPECT_EQ(shot.pixel(inactive.left() + 1, inactive.top() + 1), QColorOf(clInactiveCaption).rgb());
}

} // namespace
} // namespace kc
