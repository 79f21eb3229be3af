#include "widgets/CoolTrayIcon.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/DesktopMetrics.h"

namespace kc {
namespace {

// A notification area that records what it is given.
struct FakeTray : TrayIcon {
  bool there = true;
  bool shown = false;
  QString tip, title, text;
  MessageKind kind = MessageKind::None;
  int shows = 0;
  bool available() const override { return there; }
  bool show() override {
    if (!there) return false;
    shown = true;
    ++shows;
    return true;
  }
  bool hide() override {
    shown = false;
    return there;
  }
  bool visible() const override { return shown; }
  bool modify(const QImage &, const QString &t) override {
    tip = t;
    return there;
  }
  bool showMessage(const QString &ti, const QString &te, MessageKind k, int) override {
    title = ti;
    text = te;
    kind = k;
    return there;
  }
};

class TrayFixture : public ::testing::Test {
protected:
  ManualTimerClock timers;
  DesktopMetricsOverride metrics{DesktopMetricsValues{500, QPoint(10, 10), true}};
  FakeTray *tray = nullptr;
  TrayIconFactoryOverride factory{[this] {
    auto t = std::make_unique<FakeTray>();
    tray = t.get();
    return t;
  }};
  QWidget form;
  std::unique_ptr<TCoolTrayIcon> icon = std::make_unique<TCoolTrayIcon>(&form);
  int clicks = 0, doubleClicks = 0;
};

TEST_F(TrayFixture, WithoutDoubleClickHandlerAClickFiresAtOnce) {
  icon->OnClick = [this](TCoolTrayIcon *) { ++clicks; };
  icon->HandleTrayMessage(TrayMsg::LButtonDown);
  icon->HandleTrayMessage(TrayMsg::LButtonUp);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(timers.runningCount(), 0u);
}

TEST_F(TrayFixture, ClickWaitsForTheDoubleClickTimeWhenDoubleClicksAreWanted) {
  icon->OnClick = [this](TCoolTrayIcon *) { ++clicks; };
  icon->OnDblClick = [this](TCoolTrayIcon *) { ++doubleClicks; };
  icon->HandleTrayMessage(TrayMsg::LButtonDown);
  icon->HandleTrayMessage(TrayMsg::LButtonUp);
  timers.advance(499);
  EXPECT_EQ(clicks, 0);
  timers.advance(1);
  EXPECT_EQ(clicks, 1);
  timers.advance(2000);
  EXPECT_EQ(clicks, 1) << "the click timer stops after firing";
}

TEST_F(TrayFixture, DoubleClickFiresNoClick) {
  icon->OnClick = [this](TCoolTrayIcon *) { ++clicks; };
  icon->OnDblClick = [this](TCoolTrayIcon *) { ++doubleClicks; };
  // The desktop's activations: a click, then a double click.
  tray->onActivated(TrayIcon::Activation::Click);
  timers.advance(200);
  tray->onActivated(TrayIcon::Activation::DoubleClick);
  timers.advance(1000);
  EXPECT_EQ(doubleClicks, 1);
  EXPECT_EQ(clicks, 0);
  // The next single click counts again.
  tray->onActivated(TrayIcon::Activation::Click);
  timers.advance(1000);
  EXPECT_EQ(clicks, 1);
}

TEST_F(TrayFixture, DisabledIconIgnoresAllMouseInput) {
  int downs = 0;
  icon->OnClick = [this](TCoolTrayIcon *) { ++clicks; };
  icon->OnMouseDown = [&](TCoolTrayIcon *, TMouseButton, unsigned, QPoint) { ++downs; };
  icon->SetEnabled(false);
  for (auto a : {TrayIcon::Activation::Click, TrayIcon::Activation::DoubleClick, TrayIcon::Activation::Context,
                 TrayIcon::Activation::Middle})
    tray->onActivated(a);
  timers.advance(1000);
  EXPECT_EQ(clicks + downs, 0);
}

TEST_F(TrayFixture, DoubleClickRunsTheMenusDefaultItem) {
  QMenu menu;
  int ran = 0;
  QAction *def = menu.addAction("Open");
  QObject::connect(def, &QAction::triggered, [&] { ++ran; });
  menu.setDefaultAction(def);
  icon->SetPopupMenu(&menu);
  icon->HandleTrayMessage(TrayMsg::LButtonDblClk);
  EXPECT_EQ(ran, 1);
  icon->SetLeftPopup(true);
  icon->HandleTrayMessage(TrayMsg::LButtonDblClk);
  EXPECT_EQ(ran, 1) << "with the menu on the left button the default item is not run";
  menu.hide();
}

TEST_F(TrayFixture, TextsAreCutToTheNotificationAreasLimits) {
  icon->SetHint(QString(200, 'h'));
  EXPECT_EQ(tray->tip.size(), 127);
  icon->SetShowHint(false);
  EXPECT_TRUE(tray->tip.isEmpty());
  EXPECT_TRUE(icon->ShowBalloonHint(QString(100, 't'), QString(300, 'x'), 5, TBalloonHintIcon::bitWarning));
  EXPECT_EQ(tray->text.size(), 255);
  EXPECT_EQ(tray->title.size(), 63);
  EXPECT_EQ(tray->kind, TrayIcon::MessageKind::Warning);
}

TEST_F(TrayFixture, IconIndexPastTheListShowsTheLastImage) {
  TCustomImageList list(4, 4);
  for (QRgb c : {0xffff0000u, 0xff00ff00u, 0xff0000ffu}) {
    QImage img(4, 4, QImage::Format_ARGB32);
    img.fill(c);
    list.Add(img);
  }
  icon->SetIconList(&list);
  icon->SetIconIndex(7);
  EXPECT_EQ(icon->IconIndex(), 2);
  EXPECT_EQ(icon->Icon().pixel(0, 0), 0xff0000ffu);
  icon->SetIconList(nullptr);
  icon->SetIconIndex(2);
  EXPECT_EQ(icon->IconIndex(), 0);
}

TEST_F(TrayFixture, CyclingWalksTheListAndWraps) {
  TCustomImageList list(4, 4);
  for (int i = 0; i < 3; ++i) list.Add(QImage(4, 4, QImage::Format_ARGB32));
  std::vector<int> nexts;
  icon->OnCycle = [&](TCoolTrayIcon *, int next) { nexts.push_back(next); };
  icon->SetIconList(&list);
  icon->SetCycleInterval(100);
  icon->SetCycleIcons(true);
  timers.advance(400);
  EXPECT_EQ(nexts, (std::vector<int>{1, 2, 0, 1}));
  icon->SetCycleIcons(false);
  timers.advance(400);
  EXPECT_EQ(nexts.size(), 4u);
}

TEST_F(TrayFixture, TimersStopWithTheirIcon) {
  icon->OnDblClick = [this](TCoolTrayIcon *) { ++doubleClicks; };
  icon->SetWantEnterExitEvents(true);
  icon->HandleTrayMessage(TrayMsg::LButtonDown);
  ASSERT_GT(timers.runningCount(), 0u);
  icon.reset();
  EXPECT_EQ(timers.runningCount(), 0u);
  timers.advance(1000); // nothing may reach the freed icon
}

TEST_F(TrayFixture, RestartedNotificationAreaGetsOnlyAVisibleIconBack) {
  icon->SetIconVisible(true);
  tray->shown = false; // the panel went away and came back empty
  icon->TrayRestarted();
  EXPECT_TRUE(tray->shown);
  icon->SetIconVisible(false);
  icon->TrayRestarted();
  EXPECT_FALSE(tray->shown);
}

TEST_F(TrayFixture, MinimisingHidesIntoTheTrayOnlyWhenThereIsOne) {
  icon->SetMinimizeToTray(true);
  int minimised = 0;
  icon->OnMinimizeToTray = [&](TCoolTrayIcon *) { ++minimised; };
  tray->there = false;
  form.show();
  form.setWindowState(Qt::WindowMinimized);
  QCoreApplication::processEvents();
  EXPECT_TRUE(form.isVisible()) << "no notification area: the window must stay reachable";
  EXPECT_EQ(minimised, 0);
  form.setWindowState(Qt::WindowNoState);
  tray->there = true;
  form.setWindowState(Qt::WindowMinimized);
  QCoreApplication::processEvents();
  EXPECT_FALSE(form.isVisible());
  EXPECT_TRUE(tray->shown);
  EXPECT_EQ(minimised, 1);
  icon->ShowMainForm();
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.isMinimized());
}

TEST_F(TrayFixture, StartupHandlerCanKeepTheMainFormHidden) {
  form.show();
  icon->OnStartup = [](TCoolTrayIcon *, bool &show) { show = false; };
  icon->SetIconVisible(true);
  icon->Loaded();
  EXPECT_FALSE(form.isVisible());
  EXPECT_TRUE(tray->shown);
}

TEST_F(TrayFixture, VersionThreeAnswersTheContextMenuAsARightRelease) {
  std::vector<TMouseButton> ups;
  icon->OnMouseUp = [&](TCoolTrayIcon *, TMouseButton b, unsigned, QPoint) { ups.push_back(b); };
  icon->SetShellMessageVersion(3);
  tray->onActivated(TrayIcon::Activation::Context);
  icon->HandleTrayMessage(TrayMsg::RButtonUp); // ignored with version 3
  EXPECT_EQ(ups, std::vector<TMouseButton>{TMouseButton::mbRight});
  icon->SetShellMessageVersion(0);
  tray->onActivated(TrayIcon::Activation::Context);
  icon->HandleTrayMessage(TrayMsg::ContextMenu); // means nothing before version 3
  EXPECT_EQ(ups.size(), 2u);
}

TEST_F(TrayFixture, MouseLeavingTheIconIsNoticedByPolling) {
  int enters = 0, exits = 0;
  icon->OnMouseEnter = [&](TCoolTrayIcon *) { ++enters; };
  icon->OnMouseExit = [&](TCoolTrayIcon *) { ++exits; };
  icon->SetWantEnterExitEvents(true);
  icon->HandleTrayMessage(TrayMsg::MouseMove);
  icon->HandleTrayMessage(TrayMsg::MouseMove);
  EXPECT_EQ(enters, 1);
  timers.advance(100);
  EXPECT_EQ(exits, 0) << "the pointer has not moved";
  setCursorPosition(QPoint(400, 300));
  timers.advance(20);
  EXPECT_EQ(exits, 1);
  timers.advance(100);
  EXPECT_EQ(exits, 1);
}

TEST(CoolTrayIcon, WithoutANotificationAreaTheIconSaysSo) {
  // The headless test display has no notification area.
  QWidget form;
  TCoolTrayIcon icon(&form);
  EXPECT_FALSE(icon.ShowIcon());
  EXPECT_FALSE(icon.ShowBalloonHint("t", "x", 1, TBalloonHintIcon::bitInfo));
}

TEST(SimpleTimer, IntervalZeroOrNoHandlerMeansStopped) {
  ManualTimerClock timers;
  int ticks = 0;
  TSimpleTimer t(100, [&](TSimpleTimer *) { ++ticks; });
  t.SetEnabled(true);
  timers.advance(250);
  EXPECT_EQ(ticks, 2);
  t.SetInterval(50); // restarts at the new pace
  timers.advance(100);
  EXPECT_EQ(ticks, 4);
  t.SetInterval(0);
  EXPECT_FALSE(t.Running());
  t.SetInterval(10);
  t.SetEnabled(true);
  t.SetOnTimer(nullptr);
  timers.advance(100);
  EXPECT_EQ(ticks, 4);
  EXPECT_FALSE(t.Running());
}

} // namespace
} // namespace kc
