#pragma once
// Periodic timers, deferred calls and a millisecond clock, all on the GUI
// thread (the stand-in for window timers on a hidden window and for posted
// messages). A tick is an entry point: what it throws is reported through
// the log and the timer goes on.
//
// While a ManualTimerClock lives, timers started and calls posted wait for
// its advance() instead of real time, so tests can step through click
// timing, menu delays, polling and animations exactly.
#include <cstddef>
#include <functional>
#include <memory>

namespace kc {

class GuiTimer {
public:
  GuiTimer();
  ~GuiTimer();
  GuiTimer(const GuiTimer &) = delete;
  GuiTimer &operator=(const GuiTimer &) = delete;

  // (Re)starts the timer with the period in milliseconds on the clock in
  // force; ticks call onTick. A period of 0 or less, or no handler, stops it.
  void start(int periodMs, std::function<void()> onTick);
  void stop();
  bool active() const;
  int period() const;

  struct Impl;

private:
  std::unique_ptr<Impl> d;
};

// Milliseconds on a monotonic clock (the manual clock's time while one lives).
long long monotonicMs();

// Runs fn on the GUI thread once the current event has been handled.
void postToGuiThread(std::function<void()> fn);

class ManualTimerClock {
public:
  // Stands in for real time from here until it is destroyed; a clock made
  // while another lives takes over until it goes.
  ManualTimerClock();
  // Timers still running on this clock stop.
  ~ManualTimerClock();
  ManualTimerClock(const ManualTimerClock &) = delete;
  ManualTimerClock &operator=(const ManualTimerClock &) = delete;

  // Moves time on, firing due timers in time order (ties in the order they
  // were started; each tick sees the clock at its due time and is followed
  // by the deferred calls it posted); then runs the deferred calls.
  void advance(int ms);
  // Runs the deferred calls posted so far (and those they post).
  void runPosted();
  long long now() const;
  // How many timers are running on this clock.
  std::size_t runningCount() const;

  struct Impl;

private:
  std::unique_ptr<Impl> d;
};

} // namespace kc
