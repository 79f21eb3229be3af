#include "platform/TimerService.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace kc {
namespace {

// Serves events until Done or two seconds have passed.
template <typename F> void serveUntil(F done) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST(TimerService, QtTimersTickUntilStoppedEvenFromTheirOwnTick) {
  TimerService &s = timerService();
  int ticks = 0;
  TimerService::Id id = 0;
  id = s.start(1, [&] {
    if (++ticks == 3) s.stop(id);
  });
  ASSERT_NE(id, 0u);
  EXPECT_TRUE(s.running(id));
  serveUntil([&] { return ticks >= 3; });
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(s.running(id));
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  EXPECT_EQ(ticks, 3);
}

TEST(TimerService, NothingStartsWithoutPeriodOrHandler) {
  EXPECT_EQ(timerService().start(0, [] {}), 0u);
  EXPECT_EQ(timerService().start(10, nullptr), 0u);
  timerService().stop(0); // ignored
}

TEST(ManualTimerService, FiresInTimeOrderAndStandsInWhileItLives) {
  ManualTimerService manual;
  std::string order;
  {
    TimerServiceOverride inPlace(manual);
    EXPECT_EQ(&timerService(), &manual);
    timerService().start(30, [&] { order += 'a'; });
    const auto b = timerService().start(20, [&] { order += 'b'; });
    manual.advance(60);
    EXPECT_EQ(order, "babab"); // 20 b, 30 a, 40 b, then at 60 both, in the order they were started
    manual.stop(b);
    manual.advance(30);
    EXPECT_EQ(order, "bababa");
  }
  EXPECT_NE(&timerService(), &manual);
}

} // namespace
} // namespace kc
