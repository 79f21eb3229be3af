#pragma once
// Timers and deferred calls of the menu engine, all on the GUI thread: the
// submenu and scroll delays of menus, the steps of popup animations and the
// commands a menu runs after it has closed. While a TbManualClock lives,
// new timers and deferred calls wait for its advance() instead of real time,
// so tests can step through delays exactly.
#include <functional>
#include <memory>

namespace kc {

class TbTimer {
public:
  virtual ~TbTimer() = default;
  // (Re)starts a periodic timer; a period of 0 or less stops it.
  virtual void start(int periodMs, std::function<void()> onTick) = 0;
  virtual void stop() = 0;
  virtual bool active() const = 0;
};

// A timer of the clock in force.
std::unique_ptr<TbTimer> tbCreateTimer();

// Milliseconds on a monotonic clock (the manual clock's time while one lives).
long long tbNowMs();

// Runs Fn on the GUI thread once the current event has been handled.
void tbPostToGuiThread(std::function<void()> fn);

class TbManualClock {
public:
  TbManualClock();
  ~TbManualClock();
  TbManualClock(const TbManualClock &) = delete;
  TbManualClock &operator=(const TbManualClock &) = delete;

  // Moves time on, firing due timers in time order (each tick sees the
  // clock at its due time); then runs the deferred calls.
  void advance(int ms);
  // Runs the deferred calls posted so far (and those they post).
  void runPosted();
  long long now() const;

  struct Impl;

private:
  std::unique_ptr<Impl> d;
};

} // namespace kc
