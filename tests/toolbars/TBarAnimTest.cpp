// The opening animation of popups, stepped on a manual clock.
#include <gtest/gtest.h>

#include <QWidget>

#include "platform/DesktopMetrics.h"
#include "platform/TbSystemSettings.h"
#include "platform/GuiTimer.h"
#include "toolbars/TBarAnim.h"

using namespace kc;
using namespace kc::tb;

namespace {

struct Anim : ::testing::Test {
  ManualTimerClock clock;
  QWidget a{nullptr, Qt::Tool | Qt::FramelessWindowHint};
  QWidget b{nullptr, Qt::Tool | Qt::FramelessWindowHint};
  int finishedA = 0, finishedB = 0;
  void SetUp() override {
    setCursorPosition(QPoint(-500, -500));
    a.setGeometry(100, 100, 160, 200);
    b.setGeometry(400, 100, 160, 200);
  }
  void TearDown() override {
    StopPopupAnimation(nullptr);
    setCursorPosition(std::nullopt);
  }
};

TEST_F(Anim, ASlideUncoversTheWindowFromAboveAndEndsWhole) {
  StartPopupAnimation(&a, 150, false, 4, [&] { ++finishedA; });
  EXPECT_FALSE(a.isVisible()); // nothing uncovered yet
  clock.advance(9 * 3);
  ASSERT_TRUE(a.isVisible());
  const QRect partial = a.mask().boundingRect();
  EXPECT_EQ(partial.top(), 0);
  EXPECT_GT(partial.height(), 0);
  EXPECT_LT(partial.height(), 200);
  clock.advance(9 * 3);
  EXPECT_GT(a.mask().boundingRect().height(), partial.height());
  clock.advance(200);
  EXPECT_FALSE(PopupAnimationRunning());
  EXPECT_TRUE(a.mask().isEmpty());
  EXPECT_EQ(finishedA, 1);
}

TEST_F(Anim, StartingASecondFinishesTheFirstWhole) {
  StartPopupAnimation(&a, 150, false, 2, [&] { ++finishedA; });
  clock.advance(40);
  EXPECT_FALSE(a.mask().isEmpty());
  StartPopupAnimation(&b, 150, false, 2, [&] { ++finishedB; });
  EXPECT_EQ(finishedA, 1);
  EXPECT_TRUE(a.mask().isEmpty());
  EXPECT_TRUE(a.isVisible());
  EXPECT_TRUE(PopupAnimationRunning(&b));
}

TEST_F(Anim, ALateStepOfAnEndedAnimationChangesNothing) {
  StartPopupAnimation(&a, 150, false, 8);
  const int oldGeneration = PopupAnimationGeneration();
  clock.advance(40);
  StopPopupAnimation(&a);
  ASSERT_TRUE(a.mask().isEmpty());
  PopupAnimationStep(oldGeneration); // arrives after the end
  EXPECT_TRUE(a.mask().isEmpty());
  StartPopupAnimation(&b, 150, false, 8);
  const int progress = PopupAnimationProgress();
  PopupAnimationStep(oldGeneration); // arrives during another animation
  EXPECT_EQ(PopupAnimationProgress(), progress);
  EXPECT_TRUE(a.mask().isEmpty());
}

TEST_F(Anim, MovingIntoThePopupShowsItWholeAtOnce) {
  StartPopupAnimation(&a, 150, false, 4, [&] { ++finishedA; });
  clock.advance(20);
  ASSERT_TRUE(PopupAnimationRunning());
  setCursorPosition(QPoint(150, 150));
  clock.advance(9);
  EXPECT_FALSE(PopupAnimationRunning());
  EXPECT_EQ(finishedA, 1);
  EXPECT_TRUE(a.mask().isEmpty());
}

TEST_F(Anim, AFadeRaisesTheOpacityAndEndsOpaque) {
  StartPopupAnimation(&a, 150, true, 0);
  EXPECT_TRUE(a.isVisible());
  EXPECT_NEAR(a.windowOpacity(), 32 / 255.0, 0.01);
  clock.advance(300);
  EXPECT_DOUBLE_EQ(a.windowOpacity(), 1.0);
}

} // namespace
