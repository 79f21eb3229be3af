// The menu loop driven by sequences of synthetic events on a manual clock:
// popups open and close, delays, keys, accelerators, presses outside and the
// command that runs after the loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QWidget>

#include <memory>

#include "platform/Beep.h"
#include "platform/DesktopMetrics.h"
#include "platform/Screen.h"
#include "platform/TbScreenShot.h"
#include "platform/TbSystemSettings.h"
#include "platform/GuiTimer.h"
#include "toolbars/TBarAnim.h"
#include "toolbars/TBarMenuLoop.h"
#include "toolbars/TBarPopup.h"

using namespace kc;
using namespace kc::tb;

namespace {

TTBCustomItem *Add(TTBCustomItem &Parent, const char *Caption, TTBCustomItem *Item = nullptr) {
  if (!Item) Item = new TTBItem;
  Item->SetCaption(QString::fromUtf8(Caption));
  Item->SetName(QString::fromUtf8(Caption).remove(u'&'));
  Parent.Add(Item);
  return Item;
}

TbSystemSettings Settings() {
  TbSystemSettings s;
  s.menuAnimation = false;
  s.menuShowDelay = 400;
  s.soundMenuCommand = true;
  return s;
}

struct MenuLoop : ::testing::Test {
  ManualTimerClock clock;
  TbSystemSettingsOverride settings{Settings()};
  ScreenOverride screen{ScreenRect{0, 0, 1024, 768}, ScreenRect{0, 0, 1024, 768}};
  TTBRootItem root;
  TTBCustomItem *open = nullptr, *save = nullptr, *recent = nullptr, *one = nullptr, *two = nullptr;
  QStringList clicks, sounds;
  TTBPopupWindowPtr wnd;
  std::unique_ptr<TTBMenuLoop> loop;

  void SetUp() override {
    setTbSoundSink([this](const std::string &s) { sounds << QString::fromStdString(s); });
    SetBeepSink([this] { sounds << "beep"; });
    open = Add(root, "&Open");
    save = Add(root, "&Save");
    save->SetEnabled(false);
    Add(root, "-", new TTBSeparatorItem);
    recent = Add(root, "&Recent", new TTBSubmenuItem);
    one = Add(*recent, "&One");
    two = Add(*recent, "&Two");
    for (TTBCustomItem *i : {open, save, one, two}) i->OnClick = [this](TTBCustomItem *s) { clicks << s->Name(); };
  }
  void TearDown() override {
    if (loop) loop->End();
    loop.reset();
    wnd.reset();
    setTbSoundSink(nullptr);
    SetBeepSink(nullptr);
  }
  void StartPopup(QPoint At = QPoint(100, 100)) {
    wnd = CreatePopup(&root, nullptr, nullptr, false, false, At, 0);
    wnd->View()->Set(vsIgnoreButtonUp, true);
    loop = std::make_unique<TTBMenuLoop>(wnd->View(), false);
    ASSERT_TRUE(loop->Begin(false, false, false, At));
  }
  static QPoint Centre(TTBView *View, TTBCustomItem *Item) {
    TTBItemViewer *v = View->Find(Item);
    return View->ClientToScreen(v->BoundsRect.center());
  }
  TTBView *View() { return wnd->View(); }
  void Finish() {
    loop->End();
    const TTBMenuOutcome outcome = loop->Control.Outcome;
    loop.reset();
    wnd.reset();
    DoneActionExecute(outcome);
  }
};

TEST_F(MenuLoop, TheReleaseThatOpenedTheMenuIsIgnoredASecondOneOutsideCloses) {
  StartPopup();
  EXPECT_TRUE(loop->MouseUp(QPoint(100, 100), Qt::LeftButton));
  EXPECT_FALSE(loop->MouseUp(QPoint(5, 5), Qt::LeftButton));
  EXPECT_EQ(loop->Control.Outcome.Kind, moNone);
}

TEST_F(MenuLoop, APressOutsideEndsTheLoopAndBelongsToTheWindowUnderIt) {
  QWidget other;
  other.setGeometry(600, 500, 100, 100);
  other.show();
  StartPopup();
  EXPECT_FALSE(loop->MouseDown(QPoint(650, 550), Qt::LeftButton));
  EXPECT_EQ(loop->PressTarget.data(), &other);
  Finish();
  clock.runPosted();
  EXPECT_TRUE(clicks.isEmpty());
}

TEST_F(MenuLoop, ClickingAnItemRunsItOnceAfterTheLoopWithTheSound) {
  StartPopup();
  loop->MouseUp(QPoint(100, 100), Qt::LeftButton);
  const QPoint p = Centre(View(), open);
  loop->MouseMove(p);
  EXPECT_EQ(View()->Selected()->Item(), open);
  loop->MouseDown(p, Qt::LeftButton);
  EXPECT_FALSE(loop->MouseUp(p, Qt::LeftButton));
  EXPECT_TRUE(clicks.isEmpty()); // not inside the loop
  Finish();
  clock.runPosted();
  EXPECT_EQ(clicks, QStringList{"Open"});
  EXPECT_EQ(sounds, QStringList{"MenuCommand"});
  clock.runPosted();
  EXPECT_EQ(clicks.size(), 1);
}

TEST_F(MenuLoop, TheAcceleratorOfADisabledItemSelectsWithoutClicking) {
  StartPopup();
  EXPECT_FALSE(loop->Char(u's'));
  EXPECT_EQ(View()->Selected()->Item(), save);
  Finish();
  clock.runPosted();
  EXPECT_TRUE(clicks.isEmpty());
}

TEST_F(MenuLoop, AUniqueAcceleratorRunsItsItem) {
  StartPopup();
  EXPECT_FALSE(loop->Char(u'O'));
  Finish();
  clock.runPosted();
  EXPECT_EQ(clicks, QStringList{"Open"});
}

TEST_F(MenuLoop, ASharedAcceleratorOnlyMovesTheSelection) {
  save->SetEnabled(true);
  save->SetCaption(QStringLiteral("&Ogre"));
  StartPopup();
  EXPECT_TRUE(loop->Char(u'o'));
  EXPECT_EQ(View()->Selected()->Item(), open);
  EXPECT_TRUE(loop->Char(u'o'));
  EXPECT_EQ(View()->Selected()->Item(), save);
  EXPECT_TRUE(loop->Char(u'o'));
  EXPECT_EQ(View()->Selected()->Item(), open);
}

TEST_F(MenuLoop, AKeyThatMatchesNothingBeeps) {
  StartPopup();
  EXPECT_TRUE(loop->Char(u'z'));
  EXPECT_EQ(sounds, QStringList{"beep"});
}

TEST_F(MenuLoop, HoverOpensASubmenuOnlyAfterTheDelayAndClosesItTheSameWay) {
  StartPopup();
  loop->MouseMove(Centre(View(), recent));
  EXPECT_EQ(View()->Selected()->Item(), recent);
  clock.advance(399);
  EXPECT_EQ(View()->OpenedView, nullptr);
  clock.advance(1);
  ASSERT_NE(View()->OpenedView, nullptr);
  EXPECT_TRUE(View()->OpenedWindow->isVisible());
  // Beside its item, to the right, frames overlapping so that the first
  // entry lines up with the item.
  const QRect item(View()->ClientToScreen(View()->Find(recent)->BoundsRect.topLeft()),
                   View()->Find(recent)->BoundsRect.size());
  EXPECT_EQ(View()->OpenedWindow->x(), item.right() + 1 - 3);
  EXPECT_EQ(View()->OpenedWindow->y(), item.top() - 3);
  loop->MouseMove(Centre(View(), open));
  clock.advance(399);
  EXPECT_NE(View()->OpenedView, nullptr);
  clock.advance(1);
  EXPECT_EQ(View()->OpenedView, nullptr);
}

TEST_F(MenuLoop, KeyboardWalksIntoASubmenuAndChooses) {
  StartPopup();
  loop->KeyDown(Qt::Key_Down);
  EXPECT_EQ(View()->Selected()->Item(), open);
  loop->KeyDown(Qt::Key_End);
  EXPECT_EQ(View()->Selected()->Item(), recent);
  loop->KeyDown(Qt::Key_Right);
  ASSERT_NE(View()->OpenedView, nullptr);
  EXPECT_EQ(View()->OpenedView->Selected()->Item(), one);
  loop->KeyDown(Qt::Key_Down);
  loop->KeyDown(Qt::Key_Left); // back out
  EXPECT_EQ(View()->OpenedView, nullptr);
  loop->KeyDown(Qt::Key_Right);
  loop->KeyDown(Qt::Key_Down);
  EXPECT_FALSE(loop->KeyDown(Qt::Key_Return));
  Finish();
  clock.runPosted();
  EXPECT_EQ(clicks, QStringList{"Two"});
}

TEST_F(MenuLoop, EscapeClosesTheSubmenuThenTheMenu) {
  StartPopup();
  loop->KeyDown(Qt::Key_End);
  loop->KeyDown(Qt::Key_Right);
  ASSERT_NE(View()->OpenedView, nullptr);
  EXPECT_TRUE(loop->KeyDown(Qt::Key_Escape));
  EXPECT_EQ(View()->OpenedView, nullptr);
  EXPECT_FALSE(loop->KeyDown(Qt::Key_Escape));
}

TEST_F(MenuLoop, HoldingTheMouseOnTheScrollArrowScrollsEveryHundredMilliseconds) {
  root.Clear();
  for (int i = 0; i < 80; ++i) Add(root, QStringLiteral("Item %1").arg(i).toUtf8().constData());
  ScreenOverride small{ScreenRect{0, 0, 1024, 300}, ScreenRect{0, 0, 1024, 300}};
  StartPopup(QPoint(100, 0));
  TTBView *v = View();
  ASSERT_TRUE(v->DownArrowShown);
  EXPECT_FALSE(v->UpArrowShown);
  const QPoint arrow = v->ClientToScreen(QPoint(20, v->TotalSize.height() - 5));
  loop->MouseMove(arrow);
  clock.advance(99);
  EXPECT_EQ(v->ScrollPos, 0);
  clock.advance(1);
  const int first = v->ScrollPos;
  EXPECT_GT(first, 0);
  EXPECT_TRUE(v->UpArrowShown);
  clock.advance(100);
  EXPECT_GT(v->ScrollPos, first);
  clock.advance(100 * 100);
  EXPECT_FALSE(v->DownArrowShown);
  EXPECT_TRUE(v->Find(root.ItemAt(79))->Show);
  EXPECT_FALSE(v->TimerRunning(tiScrollDown));
}

TEST_F(MenuLoop, HelpKeyGivesTheContextOfTheSelection) {
  open->SetHelpContext(1000);
  StartPopup();
  loop->KeyDown(Qt::Key_Down);
  EXPECT_FALSE(loop->KeyDown(Qt::Key_F1));
  EXPECT_EQ(loop->Control.Outcome.Kind, moHelp);
  EXPECT_EQ(loop->Control.Outcome.HelpContext, 1000);
}

// A menu bar: a toolbar view on a plain window.
struct MenuBar : MenuLoop {
  QWidget bar;
  TTBRootItem barRoot;
  TTBCustomItem *file = nullptr, *edit = nullptr;
  std::unique_ptr<TTBView> view;
  void SetUp() override {
    MenuLoop::SetUp();
    file = Add(barRoot, "&File", new TTBSubmenuItem);
    Add(*file, "&New")->OnClick = [this](TTBCustomItem *s) { clicks << s->Name(); };
    edit = Add(barRoot, "&Edit", new TTBSubmenuItem);
    Add(*edit, "&Copy")->OnClick = [this](TTBCustomItem *s) { clicks << s->Name(); };
    bar.setGeometry(0, 0, 300, 24);
    bar.show();
    view = std::make_unique<TTBView>(nullptr, &barRoot, &bar, true);
    view->EnsurePositions();
  }
  void TearDown() override {
    if (loop) loop->End();
    loop.reset();
    view.reset();
    MenuLoop::TearDown();
  }
};

TEST_F(MenuBar, ASecondPressOnTheOpenTitleClosesTheMenu) {
  const QPoint p = Centre(view.get(), file);
  view->SetSelection(view->Find(file));
  loop = std::make_unique<TTBMenuLoop>(view.get(), false);
  ASSERT_TRUE(loop->Begin(true, false, false, p));
  ASSERT_NE(view->OpenedView, nullptr);
  EXPECT_TRUE(loop->MouseUp(p, Qt::LeftButton));
  EXPECT_NE(view->OpenedView, nullptr);
  EXPECT_TRUE(loop->MouseDown(p, Qt::LeftButton));
  EXPECT_FALSE(loop->MouseUp(p, Qt::LeftButton));
}

TEST_F(MenuBar, MovingToAnotherTitleSwitchesMenusAndArrowsWalkThem) {
  const QPoint p = Centre(view.get(), file);
  view->SetSelection(view->Find(file));
  loop = std::make_unique<TTBMenuLoop>(view.get(), false);
  ASSERT_TRUE(loop->Begin(true, false, false, p));
  loop->MouseUp(p, Qt::LeftButton);
  loop->MouseMove(Centre(view.get(), edit));
  ASSERT_NE(view->OpenedViewer, nullptr);
  EXPECT_EQ(view->OpenedViewer->Item(), edit);
  // The popup opens below its title.
  const QRect title(view->ClientToScreen(view->OpenedViewer->BoundsRect.topLeft()),
                    view->OpenedViewer->BoundsRect.size());
  EXPECT_EQ(view->OpenedWindow->y(), title.bottom() + 1);
  loop->KeyDown(Qt::Key_Left);
  ASSERT_NE(view->OpenedViewer, nullptr);
  EXPECT_EQ(view->OpenedViewer->Item(), file);
  EXPECT_EQ(view->OpenedView->Selected()->Item()->Name(), QStringLiteral("New"));
  EXPECT_FALSE(loop->KeyDown(Qt::Key_Return));
  Finish();
  clock.runPosted();
  EXPECT_EQ(clicks, QStringList{"New"});
}

TEST(ShortCuts, DispatchFindsTheItemThroughLinksAndRefusesDisabledLevels) {
  TTBRootItem root, shared;
  auto *sub = new TTBSubmenuItem;
  root.Add(sub);
  auto *target = new TTBItem;
  target->SetShortCut(scCtrl | 'S');
  int clicks = 0, popups = 0;
  target->OnClick = [&](TTBCustomItem *) { ++clicks; };
  shared.Add(target);
  sub->SetLinkSubitems(&shared);
  sub->OnPopup = [&](TTBCustomItem *, bool) { ++popups; };
  EXPECT_TRUE(DispatchShortCut(&root, scCtrl | 'S'));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(popups, 1);
  EXPECT_FALSE(DispatchShortCut(&root, scCtrl | 'Q'));
  sub->SetEnabled(false);
  EXPECT_FALSE(DispatchShortCut(&root, scCtrl | 'S'));
  EXPECT_EQ(clicks, 1);
  // A link back to the root makes a loop; the search still ends.
  auto *back = new TTBSubmenuItem;
  shared.Add(back);
  back->SetLinkSubitems(&root);
  EXPECT_FALSE(DispatchShortCut(&root, scAlt | 'Z'));
  back->SetLinkSubitems(nullptr);
  sub->SetLinkSubitems(nullptr);
}

} // namespace

namespace {

TEST(PopupMenus, NoSkinMeansTheDefaultSkinAndAFreedSkinFallsBackToIt) {
  TTBPopupMenu menu;
  EXPECT_EQ(menu.Skin(), &DefaultSkin());
  auto *skin = new TTBSkin;
  menu.SetSkin(skin);
  EXPECT_EQ(menu.Skin(), skin);
  delete skin;
  EXPECT_EQ(menu.Skin(), &DefaultSkin());
  menu.SetSkin(nullptr);
  EXPECT_EQ(menu.Skin(), &DefaultSkin());
}

TEST(PopupMenus, WithoutMenuAnimationAPopupShowsAtOnce) {
  ManualTimerClock clock;
  TbSystemSettings s;
  s.menuAnimation = false;
  TbSystemSettingsOverride o(s);
  TTBRootItem root;
  Add(root, "&One");
  auto wnd = CreatePopup(&root, nullptr, nullptr, false, false, QPoint(10, 10), 0);
  EXPECT_TRUE(wnd->isVisible());
  EXPECT_FALSE(PopupAnimationRunning());
}

TEST(PopupMenus, AlignmentPlacesThePopupAroundThePoint) {
  ManualTimerClock clock;
  TbSystemSettings s;
  s.menuAnimation = false;
  TbSystemSettingsOverride o(s);
  ScreenOverride screen{ScreenRect{0, 0, 1024, 768}, ScreenRect{0, 0, 1024, 768}};
  TTBRootItem root;
  Add(root, "&One");
  auto left = CreatePopup(&root, nullptr, nullptr, false, false, QPoint(500, 300), 0);
  auto right = CreatePopup(&root, nullptr, nullptr, false, false, QPoint(500, 300), 1);
  auto centre = CreatePopup(&root, nullptr, nullptr, false, false, QPoint(500, 300), 2);
  EXPECT_EQ(left->pos(), QPoint(500, 300));
  EXPECT_EQ(right->x() + right->width(), 500);
  EXPECT_EQ(centre->x(), 500 - centre->width() / 2);
  // Near the bottom right corner the popup stays on the screen.
  auto corner = CreatePopup(&root, nullptr, nullptr, false, false, QPoint(1020, 760), 0);
  EXPECT_LE(corner->x() + corner->width(), 1024);
  EXPECT_LE(corner->y() + corner->height(), 768);
}

// A closed menu's window is kept and opens the next menu: it shows that
// menu's items at that menu's place and size, in that menu's look, and
// nothing of the menu before (its shadows, frame or items).
TEST(PopupMenus, AClosedMenusWindowOpensTheNextOneAsANewWindowWould) {
  ManualTimerClock clock;
  TbSystemSettings s;
  s.menuAnimation = false;
  TbSystemSettingsOverride o(s);
  ScreenOverride screen{ScreenRect{0, 0, 1024, 768}, ScreenRect{0, 0, 1024, 768}};
  TbCompositingOverride composited(true);
  TTBRootItem wide, narrow;
  for (const char *c : {"&Open a very long entry", "&Save", "&Print"}) Add(wide, c);
  Add(narrow, "&Go");
  // The first skin made is the default one, which a plain popup falls back to.
  TTBSkin plain;
  plain.SetSkinType(tbsDisabled);
  TTBSkin skinned; // OfficeXP, with shadows
  skinned.SetOptions(tboShadow);
  auto open = [](TTBRootItem &Root, QPoint At, const TTBSkin &Skin) {
    return CreatePopup(&Root, nullptr, nullptr, false, false, At, 0, &Skin);
  };
  // How each second menu looks in a window of its own.
  struct Look {
    QSize size;
    int shadows, border;
  };
  auto lookOf = [&](TTBRootItem &Root, const TTBSkin &Skin) {
    auto fresh = open(Root, QPoint(600, 400), Skin);
    return Look{fresh->size(), fresh->ShadowCount(), fresh->BorderWidth()};
  };
  const Look narrowPlain = lookOf(narrow, plain), wideSkinned = lookOf(wide, skinned);
  ASSERT_NE(narrowPlain.size, wideSkinned.size);
  ASSERT_NE(narrowPlain.shadows, wideSkinned.shadows);

  struct Case {
    const char *name;
    TTBRootItem *first, *second;
    const TTBSkin *firstSkin, *secondSkin;
    Look look;
  };
  const Case cases[] = {
      {"skinned and wide, then plain and narrow", &wide, &narrow, &skinned, &plain, narrowPlain},
      {"plain and narrow, then skinned and wide", &narrow, &wide, &plain, &skinned, wideSkinned},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    auto first = open(*c.first, QPoint(100, 100), *c.firstSkin);
    const TTBPopupWindow *window = first.get();
    const int kept = KeptPopupWindowCount();
    first.reset();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(KeptPopupWindowCount(), kept + 1);

    auto second = open(*c.second, QPoint(600, 400), *c.secondSkin);
    EXPECT_EQ(second.get(), window) << "the kept window is used again";
    EXPECT_EQ(KeptPopupWindowCount(), kept);
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->geometry(), QRect(QPoint(600, 400), c.look.size));
    ASSERT_EQ(second->View()->ViewerCount(), c.second->Count());
    for (int i = 0; i < c.second->Count(); ++i) EXPECT_EQ(second->View()->Viewer(i)->Item(), c.second->ItemAt(i));
    EXPECT_EQ(second->ShadowCount(), c.look.shadows);
    EXPECT_EQ(second->BorderWidth(), c.look.border);
    for (int i = 0; i < second->ShadowCount(); ++i)
      EXPECT_TRUE(second->geometry().intersects(second->ShadowGeometry(i).adjusted(-1, -1, 1, 1)))
          << "shadow " << i << " lies along the window";
  }
}

TEST_F(MenuBar, ASpaceOnTheBarAsksForTheWindowMenu) {
  view->SetSelection(view->Find(file));
  loop = std::make_unique<TTBMenuLoop>(view.get(), false);
  ASSERT_TRUE(loop->Begin(false, false, false, QPoint(0, 0)));
  EXPECT_FALSE(loop->Char(u' '));
  EXPECT_EQ(loop->Control.Outcome.Kind, moKeyMenu);
  EXPECT_EQ(loop->Control.Outcome.Key, QChar(u' '));
}

} // namespace

namespace {

TEST(PopupShadows, SkinnedPopupsCastThemAlongTheRightAndBottomEdges) {
  ManualTimerClock clock;
  TbSystemSettings s;
  s.menuAnimation = false;
  TbSystemSettingsOverride o(s);
  TTBRootItem root;
  Add(root, "&One");
  TTBSkin skin; // OfficeXP
  skin.SetOptions(tboShadow);
  // Drawn translucent, so no picture of the screen is needed.
  TbCompositingOverride composited(true);
  auto wnd = CreatePopup(&root, nullptr, nullptr, false, false, QPoint(100, 100), 0, &skin);
  ASSERT_EQ(wnd->ShadowCount(), 2);
  const QRect me = wnd->geometry();
  EXPECT_EQ(wnd->ShadowGeometry(0), QRect(me.right() + 1, me.top() + 4, 4, me.height() - 4));
  EXPECT_EQ(wnd->ShadowGeometry(1), QRect(me.left() + 4, me.bottom() + 1, me.width(), 4));
  skin.SetSkinType(tbsDisabled);
  auto plain = CreatePopup(&root, nullptr, nullptr, false, false, QPoint(300, 100), 0, &skin);
  EXPECT_EQ(plain->ShadowCount(), 0);
}

} // namespace

namespace {

struct ToolbarButtons : MenuBar {
  TTBCustomItem *bold = nullptr;
  std::unique_ptr<TTBView> tools;
  QWidget toolsWindow;
  void SetUp() override {
    MenuBar::SetUp();
    toolsWindow.setGeometry(0, 100, 300, 24);
    toolsWindow.show();
    static TTBRootItem toolRoot;
    toolRoot.Clear();
    bold = Add(toolRoot, "&Bold");
    bold->OnClick = [this](TTBCustomItem *s) { clicks << s->Name(); };
    tools = std::make_unique<TTBView>(nullptr, &toolRoot, &toolsWindow, true);
    tools->EnsurePositions();
  }
  void TearDown() override {
    if (loop) loop->End();
    loop.reset();
    tools.reset();
    MenuBar::TearDown();
  }
  void Press() {
    const QPoint p = Centre(tools.get(), bold);
    setCursorPosition(p);
    tools->SetSelection(tools->Find(bold));
    loop = std::make_unique<TTBMenuLoop>(tools.get(), false);
    ASSERT_TRUE(loop->Begin(true, false, false, p));
    EXPECT_TRUE(tools->MouseTracking);
  }
};

TEST_F(ToolbarButtons, PressedAndReleasedOnTheButtonClicksWithoutTheMenuSound) {
  Press();
  EXPECT_FALSE(loop->MouseUp(Centre(tools.get(), bold), Qt::LeftButton));
  EXPECT_EQ(loop->Control.Outcome.Kind, moClick);
  EXPECT_FALSE(loop->Control.Outcome.Sound);
  Finish();
  clock.runPosted();
  EXPECT_EQ(clicks, QStringList{"Bold"});
  EXPECT_TRUE(sounds.isEmpty());
  setCursorPosition(std::nullopt);
}

TEST_F(ToolbarButtons, PressedDraggedOffAndReleasedDoesNotClick) {
  Press();
  const QPoint off = tools->ClientToScreen(QPoint(250, 12));
  loop->MouseMove(off);
  EXPECT_FALSE(tools->MouseOverSelected);
  EXPECT_FALSE(loop->MouseUp(off, Qt::LeftButton));
  EXPECT_EQ(loop->Control.Outcome.Kind, moNone);
  setCursorPosition(std::nullopt);
}

} // namespace

namespace {

TEST_F(MenuLoop, TheLongHintFollowsTheSelectionAndHelpGoesToTheProgram) {
  QStringList hints;
  int help = 0;
  TTBMenuHandlers h;
  h.Hint = [&](const QString &s) { hints << s; };
  h.Help = [&](int context) { help = context; };
  SetMenuHandlers(h);
  open->SetHint(QStringLiteral("Open|Opens a file"));
  open->SetHelpContext(7000);
  StartPopup();
  loop->KeyDown(Qt::Key_Down);
  loop->KeyDown(Qt::Key_Down);
  loop->KeyDown(Qt::Key_Up);
  loop->KeyDown(Qt::Key_F1);
  Finish();
  EXPECT_EQ(hints, (QStringList{"Opens a file", "", "Opens a file", ""}));
  EXPECT_EQ(help, 7000);
  SetMenuHandlers({});
}

} // namespace

// Two monitors side by side; the right one is smaller and lower, and each
// has a panel at its bottom.
std::vector<Monitor> TwoMonitors() {
  return {{QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 740)}, {QRect(1024, 0, 800, 600), QRect(1024, 0, 800, 570)}};
}

struct PlacementCase {
  const char *name;
  QPoint at;
  bool submenu; // open "Recent" from the menu and check its window instead
  QRect workArea;
};

struct PopupPlacement : MenuLoop, ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PopupPlacement, StaysInsideTheWorkAreaOfTheMonitorItOpensOn) {
  const PlacementCase &c = GetParam();
  MonitorsOverride monitors(TwoMonitors());
  StartPopup(c.at);
  QWidget *w = wnd.get();
  if (c.submenu) {
    loop->KeyDown(Qt::Key_End);
    loop->KeyDown(Qt::Key_Right);
    ASSERT_NE(View()->OpenedView, nullptr);
    w = View()->OpenedView->Window();
  }
  const QRect placed(w->pos(), w->size());
  EXPECT_TRUE(c.workArea.contains(placed))
      << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
}

INSTANTIATE_TEST_SUITE_P(
    Table, PopupPlacement,
    ::testing::Values(
        PlacementCase{"left_monitor_near_its_right_edge", QPoint(1010, 100), false, QRect(0, 0, 1024, 740)},
        PlacementCase{"right_monitor_above_its_panel", QPoint(1500, 590), false, QRect(1024, 0, 800, 570)},
        PlacementCase{"right_monitor_near_its_left_edge", QPoint(1030, 100), false, QRect(1024, 0, 800, 570)},
        PlacementCase{"below_the_right_monitor_takes_the_nearest", QPoint(1300, 700), false, QRect(1024, 0, 800, 570)},
        PlacementCase{"submenu_at_the_right_monitors_far_edge_opens_left", QPoint(1760, 100), true,
                      QRect(1024, 0, 800, 570)}),
    [](const auto &i) { return std::string(i.param.name); });

TEST_F(MenuLoop, AHoveredItemShowsItsShortHintAfterThePauseBelowItselfAndLeavingHidesIt) {
  open->SetHint(QStringLiteral("Opens a file|Opens a file from the disk"));
  TbSystemSettings s = Settings();
  s.hintPause = 500;
  TbSystemSettingsOverride pause(s);
  StartPopup();
  loop->MouseMove(Centre(View(), open));
  clock.advance(499);
  EXPECT_EQ(wnd->ShownHint(), nullptr);
  clock.advance(1);
  const QLabel *hint = wnd->ShownHint();
  ASSERT_NE(hint, nullptr);
  EXPECT_EQ(hint->text(), QStringLiteral("Opens a file"));
  const QRect item(View()->ClientToScreen(View()->Find(open)->BoundsRect.topLeft()),
                   View()->Find(open)->BoundsRect.size());
  EXPECT_GT(hint->y(), item.bottom());
  EXPECT_LE(hint->y(), item.bottom() + 8);
  EXPECT_EQ(hint->x(), Centre(View(), open).x());

  // Moving within the item keeps it; moving to an item without a hint hides it.
  loop->MouseMove(Centre(View(), open) + QPoint(3, 0));
  EXPECT_NE(wnd->ShownHint(), nullptr);
  loop->MouseMove(Centre(View(), recent));
  EXPECT_EQ(wnd->ShownHint(), nullptr);
  clock.advance(2000);
  EXPECT_EQ(wnd->ShownHint(), nullptr);
}

TEST_F(MenuLoop, WithHintsSwitchedOffAHoveredItemShowsNoHint) {
  open->SetHint(QStringLiteral("Opens a file"));
  SetMenuHintsShown(false);
  StartPopup();
  loop->MouseMove(Centre(View(), open));
  clock.advance(5000);
  EXPECT_EQ(wnd->ShownHint(), nullptr);
  SetMenuHintsShown(true);
  loop->MouseMove(Centre(View(), recent));
  loop->MouseMove(Centre(View(), open));
  clock.advance(5000);
  EXPECT_NE(wnd->ShownHint(), nullptr) << "switched on again, hints show";
}

TEST_F(MenuLoop, LeavingTheItemBeforeThePauseShowsNoHint) {
  open->SetHint(QStringLiteral("Opens a file"));
  StartPopup();
  loop->MouseMove(Centre(View(), open));
  clock.advance(300);
  loop->MouseMove(QPoint(900, 700));
  clock.advance(2000);
  EXPECT_EQ(wnd->ShownHint(), nullptr);
}

struct ShadowPlanCase {
  const char *name;
  QRect popup, opener;
  std::vector<QRect> rects;
  int exclStart, exclEnd; // of the popup's bottom shadow
};

class PopupShadows : public ::testing::TestWithParam<ShadowPlanCase> {};

TEST_P(PopupShadows, RunAlongTheOuterEdgesOfPopupAndOpeningItem) {
  const ShadowPlanCase &c = GetParam();
  const std::vector<TPopupShadow> plan = PopupShadowPlan(c.popup, c.opener, sOfficeXP);
  std::vector<QRect> rects;
  for (const TPopupShadow &p : plan) rects.push_back(p.Rect);
  EXPECT_EQ(rects, c.rects);
  ASSERT_GE(plan.size(), 2u);
  EXPECT_EQ(plan[1].Strip.ExclStart, c.exclStart);
  EXPECT_EQ(plan[1].Strip.ExclEnd, c.exclEnd);
  for (const TPopupShadow &p : plan) EXPECT_FALSE(p.Rect.intersects(c.popup));
}

// Popup 100 x 80; the opening toolbar item 40 x 20.
INSTANTIATE_TEST_SUITE_P(
    Table, PopupShadows,
    ::testing::Values(ShadowPlanCase{"plain_popup_own_edges_only",
                                     QRect(10, 30, 100, 80),
                                     QRect(),
                                     {QRect(110, 34, 4, 76), QRect(14, 110, 100, 4)},
                                     -1,
                                     0},
                      ShadowPlanCase{"dropped_down_item_shades_its_right_side",
                                     QRect(10, 30, 100, 80),
                                     QRect(10, 10, 40, 20),
                                     {QRect(110, 34, 4, 76), QRect(14, 110, 100, 4), QRect(50, 14, 4, 16)},
                                     -1,
                                     0},
                      ShadowPlanCase{
                          "opened_upwards_keeps_the_popup_shadow_off_the_item",
                          QRect(10, 30, 100, 80),
                          QRect(10, 110, 40, 20),
                          {QRect(110, 34, 4, 76), QRect(14, 110, 100, 4), QRect(50, 110, 4, 20), QRect(14, 130, 40, 4)},
                          0,
                          36},
                      ShadowPlanCase{"beside_a_vertical_bar_item_shades_its_bottom",
                                     QRect(50, 10, 100, 80),
                                     QRect(10, 10, 40, 20),
                                     {QRect(150, 14, 4, 76), QRect(54, 90, 100, 4), QRect(14, 30, 36, 4)},
                                     -1,
                                     0}),
    [](const auto &i) { return std::string(i.param.name); });
