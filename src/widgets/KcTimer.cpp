#include "widgets/KcTimer.h"

#include "platform/Log.h"

namespace kc {

TKcTimer::TKcTimer() = default;

TKcTimer::~TKcTimer() {
  FDestroying = true;
  FPlatformTimer.stop();
}

void TKcTimer::SetEnabled(bool on) {
  if (FEnabled == on) return;
  FEnabled = on;
  rearm();
}

void TKcTimer::SetInterval(int ms) {
  if (FInterval == ms) return;
  FInterval = ms;
  rearm();
}

void TKcTimer::SetThreaded(bool on) {
  if (FThreaded == on) return;
  FThreaded = on;
  rearm();
}

void TKcTimer::SetThreadPriority(TThreadPriority p) {
  if (FPriority == p) return;
  FPriority = p;
  if (FThreaded) rearm();
}

void TKcTimer::SetOnTimer(TNotifyEvent handler) {
  const bool was = bool(FOnTimer);
  FOnTimer = std::move(handler);
  if (was != bool(FOnTimer)) rearm();
}

void TKcTimer::rearm() {
  FPlatformTimer.stop();
  if (FInterval != 0 && FEnabled && FOnTimer && !FDestroying)
    FPlatformTimer.start(FInterval, [this] {
      // A failing handler must not stop the timer or leave the event loop.
      try {
        Timer();
      } catch (...) {
        LogCaughtException("timer tick");
      }
    });
}

void TKcTimer::Timer() {
  if (FEnabled && !FDestroying && FOnTimer) {
    const TNotifyEvent handler = FOnTimer;
    handler(this);
  }
}

} // namespace kc
