#include "platform/TbTimers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <limits>
#include <vector>

namespace kc {

namespace {

class QtTbTimer final : public TbTimer {
public:
  QtTbTimer() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      // A copy: the handler may stop or restart this timer, or free it.
      const std::function<void()> tick = onTick_;
      if (tick) tick();
    });
  }
  void start(int periodMs, std::function<void()> onTick) override {
    onTick_ = std::move(onTick);
    if (periodMs <= 0 || !onTick_) {
      timer_.stop();
      return;
    }
    timer_.start(periodMs);
  }
  void stop() override { timer_.stop(); }
  bool active() const override { return timer_.isActive(); }

private:
  QTimer timer_;
  std::function<void()> onTick_;
};

TbManualClock::Impl *g_manual = nullptr;

} // namespace

struct TbManualClock::Impl {
  long long now = 0;
  std::vector<class ManualTimer *> timers;
  std::deque<std::function<void()>> posted;
};

class ManualTimer final : public TbTimer {
public:
  explicit ManualTimer(TbManualClock::Impl *clock) : clock_(clock) { clock_->timers.push_back(this); }
  ~ManualTimer() override {
    if (g_manual == clock_)
      clock_->timers.erase(std::remove(clock_->timers.begin(), clock_->timers.end(), this), clock_->timers.end());
  }
  void start(int periodMs, std::function<void()> onTick) override {
    onTick_ = std::move(onTick);
    period_ = (periodMs > 0 && onTick_) ? periodMs : 0;
    due_ = clock_->now + period_;
  }
  void stop() override { period_ = 0; }
  bool active() const override { return period_ > 0; }
  long long due() const { return due_; }
  void fire() {
    due_ += period_;
    const std::function<void()> tick = onTick_;
    if (tick) tick();
  }

private:
  TbManualClock::Impl *clock_;
  std::function<void()> onTick_;
  int period_ = 0;
  long long due_ = 0;
};

std::unique_ptr<TbTimer> tbCreateTimer() {
  if (g_manual) return std::make_unique<ManualTimer>(g_manual);
  return std::make_unique<QtTbTimer>();
}

long long tbNowMs() {
  if (g_manual) return g_manual->now;
  static QElapsedTimer since = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return since.elapsed();
}

void tbPostToGuiThread(std::function<void()> fn) {
  if (g_manual) {
    g_manual->posted.push_back(std::move(fn));
    return;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}

TbManualClock::TbManualClock() : d(std::make_unique<Impl>()) { g_manual = d.get(); }

TbManualClock::~TbManualClock() {
  if (g_manual == d.get()) g_manual = nullptr;
}

void TbManualClock::advance(int ms) {
  const long long end = d->now + std::max(ms, 0);
  for (;;) {
    ManualTimer *next = nullptr;
    for (ManualTimer *t : d->timers)
      if (t->active() && t->due() <= end && (!next || t->due() < next->due())) next = t;
    if (!next) break;
    d->now = next->due();
    next->fire();
    runPosted();
  }
  d->now = end;
  runPosted();
}

void TbManualClock::runPosted() {
  while (!d->posted.empty()) {
    std::function<void()> fn = std::move(d->posted.front());
    d->posted.pop_front();
    fn();
  }
}

long long TbManualClock::now() const { return d->now; }

} // namespace kc
