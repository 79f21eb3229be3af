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

} // namespace
