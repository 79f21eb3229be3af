#include "platform/DesktopMetrics.h"

#include <gtest/gtest.h>

namespace kc {
namespace {

TEST(DesktopMetrics, ThePointerPutInPlaceIsWhatEveryoneSees) {
  const QPoint real = cursorPosition();
  setCursorPosition(QPoint(-500, 40));
  EXPECT_EQ(cursorPosition(), QPoint(-500, 40));
  setCursorPosition(std::nullopt);
  EXPECT_EQ(cursorPosition(), real);
}

TEST(DesktopMetrics, AnOverrideEndsWithThePointerWhereItWasBefore) {
  setCursorPosition(QPoint(7, 8));
  {
    DesktopMetricsOverride o{DesktopMetricsValues{250, QPoint(10, 10), false}};
    EXPECT_EQ(doubleClickTime(), 250);
    EXPECT_FALSE(windowsCanBePlaced());
    EXPECT_EQ(cursorPosition(), QPoint(10, 10));
    setCursorPosition(QPoint(400, 300)); // moved while the override lives
    EXPECT_EQ(cursorPosition(), QPoint(400, 300));
  }
  EXPECT_EQ(cursorPosition(), QPoint(7, 8));
  {
    DesktopMetricsOverride o{DesktopMetricsValues{std::nullopt, std::nullopt, true}};
    EXPECT_EQ(cursorPosition(), QPoint(7, 8)) << "an override without a pointer keeps the one in place";
  }
  setCursorPosition(std::nullopt);
}

} // namespace
} // namespace kc
