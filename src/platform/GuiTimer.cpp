#include "platform/GuiTimer.h"

#include "platform/Log.h"

#include <QTimer>

namespace kc {

struct GuiTimer::Impl {
  QTimer timer;
  std::function<void()> onTick;
};

GuiTimer::GuiTimer() : d(std::make_unique<Impl>()) {
  d->timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&d->timer, &QTimer::timeout, [impl = d.get()] {
    // A copy: the handler may restart or stop this timer.
    const std::function<void()> tick = impl->onTick;
    if (!tick) return;
    // A tick is an entry point: what it throws is reported here, and the
    // timer ticks on.
    try {
      tick();
    } catch (...) {
      LogCaughtException("timer tick");
    }
  });
}

GuiTimer::~GuiTimer() = default;

void GuiTimer::start(int periodMs, std::function<void()> onTick) {
  d->onTick = std::move(onTick);
  if (periodMs <= 0 || !d->onTick) {
    d->timer.stop();
    return;
  }
  d->timer.start(periodMs);
}

void GuiTimer::stop() { d->timer.stop(); }
bool GuiTimer::active() const { return d->timer.isActive(); }
int GuiTimer::period() const { return d->timer.isActive() ? d->timer.interval() : 0; }

} // namespace kc
