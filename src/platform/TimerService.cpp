#include "platform/TimerService.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

namespace kc {

namespace {

class QtTimerService : public TimerService {
public:
  Id start(int periodMs, std::function<void()> onTick) override {
    if (periodMs < 1 || !onTick) return 0;
    const Id id = next_++;
    // The application owns the timers, so none outlives its event loop.
    auto *timer = new QTimer(QCoreApplication::instance());
    timer->setTimerType(Qt::PreciseTimer);
    // The handler may stop this very timer; it runs from a copy.
    QObject::connect(timer, &QTimer::timeout, [tick = std::move(onTick)] {
      const std::function<void()> copy = tick;
      copy();
    });
    timer->start(periodMs);
    timers_[id] = timer;
    return id;
  }
  void stop(Id id) override {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    if (QTimer *t = it->second) {
      t->stop();
      // Deleting a QTimer from inside its own timeout is unsafe.
      t->deleteLater();
    }
    timers_.erase(it);
  }
  bool running(Id id) const override { return timers_.count(id) != 0; }

private:
  std::map<Id, QPointer<QTimer>> timers_;
  Id next_ = 1;
};

TimerService *g_override = nullptr;

} // namespace

TimerService &timerService() {
  static QtTimerService qtTimers;
  return g_override ? *g_override : qtTimers;
}

TimerServiceOverride::TimerServiceOverride(TimerService &service) : previous_(g_override) { g_override = &service; }
TimerServiceOverride::~TimerServiceOverride() { g_override = previous_; }

TimerService::Id ManualTimerService::start(int periodMs, std::function<void()> onTick) {
  if (periodMs < 1 || !onTick) return 0;
  const Id id = next_++;
  timers_[id] = Entry{periodMs, now_ + periodMs, std::move(onTick)};
  return id;
}

void ManualTimerService::stop(Id id) { timers_.erase(id); }

void ManualTimerService::advance(int ms) {
  const std::int64_t end = now_ + (ms > 0 ? ms : 0);
  for (;;) {
    // The earliest due timer; handlers may start and stop timers.
    auto first = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
      if (it->second.due <= end && (first == timers_.end() || it->second.due < first->second.due)) first = it;
    if (first == timers_.end()) break;
    now_ = first->second.due;
    first->second.due += first->second.period;
    const std::function<void()> tick = first->second.onTick;
    tick();
  }
  now_ = end;
}

} // namespace kc
