#include "platform/Screen.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

namespace {

TEST(ScreenTest, PrimaryScreenGeometryIsReported) {
  QScreen *s = QGuiApplication::primaryScreen();
  ASSERT_NE(s, nullptr);
  const QRect a = s->availableGeometry();
  const kc::ScreenRect w = kc::screenWorkArea();
  EXPECT_EQ(w, (kc::ScreenRect{a.x(), a.y(), a.x() + a.width(), a.y() + a.height()}));
  EXPECT_GT(w.width(), 0);
  EXPECT_GE(kc::virtualScreen().width(), w.width());
}

TEST(ScreenTest, OverrideNestsAndRestores) {
  const kc::ScreenRect before = kc::screenWorkArea();
  {
    kc::ScreenOverride o1({0, 0, 1920, 1040}, {0, 0, 1920, 1080});
    EXPECT_EQ(kc::screenWorkArea().height(), 1040);
    EXPECT_EQ(kc::virtualScreen().height(), 1080);
    {
      kc::ScreenOverride o2({-1280, 0, 0, 1024}, {-1280, 0, 1920, 1080});
      EXPECT_EQ(kc::screenWorkArea().left, -1280);
      EXPECT_EQ(kc::virtualScreen().width(), 3200);
    }
    EXPECT_EQ(kc::screenWorkArea(), (kc::ScreenRect{0, 0, 1920, 1040}));
  }
  EXPECT_EQ(kc::screenWorkArea(), before);
}

TEST(ScreenTest, OneMonitorIsTheOverriddenScreen) {
  kc::ScreenOverride o({0, 0, 1920, 1040}, {0, 0, 1920, 1080});
  kc::MonitorsOverride none({}); // an empty list leaves the monitors alone
  const std::vector<kc::Monitor> all = kc::monitors();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].bounds, QRect(0, 0, 1920, 1080));
  EXPECT_EQ(all[0].workArea, QRect(0, 0, 1920, 1040));
  EXPECT_EQ(kc::monitorWorkAreaAt(QPoint(5000, 5000)), QRect(0, 0, 1920, 1040));
}

TEST(ScreenTest, WorkAreasComeFromTheMonitorHoldingOrNearestThePlace) {
  // Side by side; the right one is smaller and lower.
  kc::MonitorsOverride two(
      {{QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 740)}, {QRect(1024, 0, 800, 600), QRect(1024, 0, 800, 570)}});
  const QRect left(0, 0, 1024, 740), right(1024, 0, 800, 570);
  EXPECT_EQ(kc::monitorWorkAreaAt(QPoint(1023, 10)), left);
  EXPECT_EQ(kc::monitorWorkAreaAt(QPoint(1024, 10)), right);
  EXPECT_EQ(kc::monitorWorkAreaAt(QPoint(1300, 700)), right) << "below the right one, nearest to it";
  EXPECT_EQ(kc::monitorWorkAreaAt(QPoint(-50, 900)), left);
  EXPECT_EQ(kc::monitorWorkAreaOf(QRect(1000, 10, 100, 20)), right) << "most of it on the right one";
  EXPECT_EQ(kc::monitorWorkAreaOf(QRect(980, 10, 60, 20)), left);
  EXPECT_EQ(kc::monitorWorkAreaOf(QRect(1300, 700, 10, 10)), right) << "touching none: the nearest";
  {
    kc::MonitorsOverride one({{QRect(0, 0, 640, 480), QRect(0, 0, 640, 450)}});
    EXPECT_EQ(kc::monitorWorkAreaAt(QPoint(1300, 10)), QRect(0, 0, 640, 450));
  }
  EXPECT_EQ(kc::monitors().size(), 2u);
}

} // namespace
