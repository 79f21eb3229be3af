#include "platform/GuiTimer.h"
#include "platform/Log.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace kc;

namespace {

TEST(GuiTimer, ATickThatThrowsIsReportedOnceAndTheTimerTicksOn) {
  std::vector<std::string> lines;
  SetLogSink([&](const std::string &l) { lines.push_back(l); });
  GuiTimer timer;
  int ticks = 0;
  timer.start(1, [&] {
    if (++ticks == 1) throw std::runtime_error("frame lost");
    if (ticks == 3) timer.stop();
  });
  QElapsedTimer waited;
  waited.start();
  while (ticks < 3 && waited.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  SetLogSink(nullptr);
  EXPECT_EQ(ticks, 3) << "the ticks after the failing one still came";
  EXPECT_FALSE(timer.active());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "kavetchat: timer tick: frame lost");
}

} // namespace
