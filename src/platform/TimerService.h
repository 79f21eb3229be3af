#pragma once
// One-shot-free periodic timers by id, all ticking on the GUI thread: the
// stand-in for window timers on one shared hidden window. Tests put a manual
// service in place and move its clock by hand, so that click and double-click
// timing, polling and scrolling can be checked without waiting.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace kc {

class TimerService {
public:
  using Id = std::uint64_t;
  virtual ~TimerService() = default;
  // Starts a periodic timer; returns its id (never 0). A period below 1 ms
  // or an empty handler starts nothing and gives 0.
  virtual Id start(int periodMs, std::function<void()> onTick) = 0;
  // Stops the timer; unknown ids and 0 are ignored.
  virtual void stop(Id id) = 0;
  virtual bool running(Id id) const = 0;
};

// The service in force: a test's override, else the Qt timers.
TimerService &timerService();

class TimerServiceOverride {
public:
  explicit TimerServiceOverride(TimerService &service);
  ~TimerServiceOverride();
  TimerServiceOverride(const TimerServiceOverride &) = delete;
  TimerServiceOverride &operator=(const TimerServiceOverride &) = delete;

private:
  TimerService *previous_;
};

// Timers that tick only when the test advances their clock.
class ManualTimerService : public TimerService {
public:
  Id start(int periodMs, std::function<void()> onTick) override;
  void stop(Id id) override;
  bool running(Id id) const override { return timers_.count(id) != 0; }
  // Moves the clock on, firing every timer that comes due, in time order.
  void advance(int ms);
  std::int64_t now() const { return now_; }
  std::size_t runningCount() const { return timers_.size(); }

private:
  struct Entry {
    int period;
    std::int64_t due;
    std::function<void()> onTick;
  };
  std::map<Id, Entry> timers_;
  Id next_ = 1;
  std::int64_t now_ = 0;
};

} // namespace kc
