#include "platform/GuiTimer.h"

#include "platform/Log.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <vector>

namespace kc {

struct ManualTimerClock::Impl {
  Impl *previous = nullptr;
  long long now = 0;
  unsigned long long starts = 0;
  std::vector<GuiTimer::Impl *> timers;
  std::deque<std::function<void()>> posted;
};

namespace {
ManualTimerClock::Impl *g_manual = nullptr;
}

struct GuiTimer::Impl {
  QTimer timer;
  std::function<void()> onTick;
  // While running on a manual clock:
  ManualTimerClock::Impl *clock = nullptr;
  int period = 0;
  long long due = 0;
  unsigned long long startOrder = 0;

  void tick() {
    // A copy: the handler may restart or stop this timer, or free it.
    const std::function<void()> fn = onTick;
    if (!fn) return;
    try {
      fn();
    } catch (...) {
      LogCaughtException("timer tick");
    }
  }

  void leaveClock() {
    if (!clock) return;
    auto &all = clock->timers;
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    clock = nullptr;
  }
};

GuiTimer::GuiTimer() : d(std::make_unique<Impl>()) {
  d->timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&d->timer, &QTimer::timeout, [impl = d.get()] { impl->tick(); });
}

GuiTimer::~GuiTimer() { d->leaveClock(); }

void GuiTimer::start(int periodMs, std::function<void()> onTick) {
  stop();
  d->onTick = std::move(onTick);
  if (periodMs <= 0 || !d->onTick) return;
  if (!g_manual) {
    d->timer.start(periodMs);
    return;
  }
  d->clock = g_manual;
  d->period = periodMs;
  d->due = g_manual->now + periodMs;
  d->startOrder = ++g_manual->starts;
  g_manual->timers.push_back(d.get());
}

void GuiTimer::stop() {
  d->timer.stop();
  d->leaveClock();
}

bool GuiTimer::active() const { return d->clock || d->timer.isActive(); }

int GuiTimer::period() const {
  if (d->clock) return d->period;
  return d->timer.isActive() ? d->timer.interval() : 0;
}

long long monotonicMs() {
  if (g_manual) return g_manual->now;
  static QElapsedTimer since = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return since.elapsed();
}

void postToGuiThread(std::function<void()> fn) {
  if (g_manual) {
    g_manual->posted.push_back(std::move(fn));
    return;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}

ManualTimerClock::ManualTimerClock() : d(std::make_unique<Impl>()) {
  d->previous = g_manual;
  g_manual = d.get();
}

ManualTimerClock::~ManualTimerClock() {
  while (!d->timers.empty()) d->timers.back()->leaveClock();
  if (g_manual == d.get()) g_manual = d->previous;
}

void ManualTimerClock::advance(int ms) {
  const long long end = d->now + std::max(ms, 0);
  for (;;) {
    GuiTimer::Impl *next = nullptr;
    for (GuiTimer::Impl *t : d->timers)
      if (t->due <= end && (!next || t->due < next->due || (t->due == next->due && t->startOrder < next->startOrder)))
        next = t;
    if (!next) break;
    d->now = next->due;
    next->due += next->period;
    next->tick();
    runPosted();
  }
  d->now = end;
  runPosted();
}

void ManualTimerClock::runPosted() {
  while (!d->posted.empty()) {
    std::function<void()> fn = std::move(d->posted.front());
    d->posted.pop_front();
    fn();
  }
}

long long ManualTimerClock::now() const { return d->now; }

std::size_t ManualTimerClock::runningCount() const { return d->timers.size(); }

} // namespace kc
