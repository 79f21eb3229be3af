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

// Serves events until Done or two seconds have passed.
template <typename F> void serveUntil(F done) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

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

TEST(GuiTimer, TicksUntilStoppedEvenFromItsOwnTick) {
  GuiTimer timer;
  int ticks = 0;
  timer.start(1, [&] {
    if (++ticks == 3) timer.stop();
  });
  EXPECT_TRUE(timer.active());
  EXPECT_EQ(timer.period(), 1);
  serveUntil([&] { return ticks >= 3; });
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(timer.active());
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  EXPECT_EQ(ticks, 3);
}

TEST(GuiTimer, NothingStartsWithoutPeriodOrHandler) {
  GuiTimer timer;
  timer.start(0, [] {});
  EXPECT_FALSE(timer.active());
  EXPECT_EQ(timer.period(), 0);
  timer.start(10, nullptr);
  EXPECT_FALSE(timer.active());
  timer.stop(); // stopping a stopped timer is harmless
}

TEST(ManualTimerClock, FiresInTimeOrderAndStandsInWhileItLives) {
  std::string order;
  GuiTimer a, b;
  {
    ManualTimerClock manual;
    a.start(30, [&] { order += 'a'; });
    b.start(20, [&] { order += 'b'; });
    EXPECT_EQ(manual.runningCount(), 2u);
    manual.advance(60);
    EXPECT_EQ(order, "babab"); // 20 b, 30 a, 40 b, then at 60 both, in the order they were started
    EXPECT_EQ(monotonicMs(), 60);
    b.stop();
    manual.advance(30);
    EXPECT_EQ(order, "bababa");
    EXPECT_TRUE(a.active());
  }
  EXPECT_FALSE(a.active()) << "a timer of a clock that has gone is stopped";
  // Real time again: a timer started now ticks without anyone moving a clock.
  int ticks = 0;
  a.start(1, [&] { ++ticks; });
  serveUntil([&] { return ticks > 0; });
  EXPECT_GT(ticks, 0);
}

TEST(ManualTimerClock, PostedCallsWaitAndRunAfterTheTickThatPostedThem) {
  ManualTimerClock manual;
  std::string order;
  postToGuiThread([&] { order += 'p'; });
  EXPECT_EQ(order, "");
  GuiTimer timer;
  timer.start(10, [&] {
    order += 't';
    postToGuiThread([&] { order += 'q'; });
  });
  manual.advance(20);
  EXPECT_EQ(order, "tpqtq") << "the deferred calls run after each tick, in the order posted";
  manual.runPosted();
  EXPECT_EQ(order, "tpqtq");
}

TEST(ManualTimerClock, ATimerMayOutliveItsClockOrDieBeforeIt) {
  auto early = std::make_unique<GuiTimer>();
  GuiTimer late;
  {
    ManualTimerClock manual;
    int ticks = 0;
    early->start(5, [&] { ++ticks; });
    late.start(5, [&] { ++ticks; });
    early.reset();
    EXPECT_EQ(manual.runningCount(), 1u);
    manual.advance(5);
    EXPECT_EQ(ticks, 1);
  }
  EXPECT_FALSE(late.active());
  late.stop();
}

} // namespace
