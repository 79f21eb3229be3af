#pragma once
// The frame timer of the animator. It keeps the interface of a timer that can
// tick from a hidden window or from a worker thread, but every tick runs on
// the GUI thread: the worker-thread drawing it once served raced with the GUI
// thread's painting.
#include "platform/GuiTimer.h"

#include <functional>

namespace kc {

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TKcTimer {
public:
  using TNotifyEvent = std::function<void(TKcTimer *)>;

  TKcTimer();
  virtual ~TKcTimer();
  TKcTimer(const TKcTimer &) = delete;
  TKcTimer &operator=(const TKcTimer &) = delete;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool on);
  int Interval() const { return FInterval; }
  void SetInterval(int ms);
  bool SyncEvent() const { return FSyncEvent; }
  void SetSyncEvent(bool on) { FSyncEvent = on; }
  bool Threaded() const { return FThreaded; }
  void SetThreaded(bool on);
  TThreadPriority ThreadPriority() const { return FPriority; }
  void SetThreadPriority(TThreadPriority p);
  const TNotifyEvent &OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent handler);

  // Runs the method on the GUI thread; ticks already run there.
  void Synchronize(const std::function<void()> &method) { method(); }

  // Fires OnTimer when enabled and assigned (what a tick does).
  virtual void Timer();

  // Whether ticks are coming.
  bool Armed() const { return FPlatformTimer.active(); }

private:
  void rearm();
  GuiTimer FPlatformTimer;
  bool FEnabled = true;
  int FInterval = 1000;
  bool FSyncEvent = true;
  bool FThreaded = true;
  TThreadPriority FPriority = TThreadPriority::tpNormal;
  TNotifyEvent FOnTimer;
  bool FDestroying = false;
};

} // namespace kc
