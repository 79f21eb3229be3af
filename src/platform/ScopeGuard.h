#pragma once
// Work that must happen when a scope ends: a state flag put back, an update
// bracket closed, a half-made change undone. Written once, before the code
// it guards, instead of a copy after it and another in a catch block.
//
//   ScopeGuard endUpdate([&] { Notify(ckEndUpdate); });    // every way out
//   FailureGuard undo([&] { styles.Restore(); });          // only on a throw
//
// On a normal exit a failure of the work reaches the caller. While an
// exception already leaves the scope a second one cannot (it would end the
// program): it is reported in the log and the first one goes on.
#include "platform/Log.h"

#include <exception>
#include <utility>

namespace kc {

template <class F> class ScopeGuard {
public:
  explicit ScopeGuard(F Work) : ScopeGuard(std::move(Work), false) {}
  ScopeGuard(const ScopeGuard &) = delete;
  ScopeGuard &operator=(const ScopeGuard &) = delete;
  ~ScopeGuard() noexcept(false) {
    const bool unwinding = std::uncaught_exceptions() > FExceptions;
    if (!FArmed || (FOnlyOnFailure && !unwinding)) return;
    if (!unwinding) {
      FWork();
      return;
    }
    try {
      FWork();
    } catch (...) {
      LogCaughtException("clean-up after a failure");
    }
  }
  // The work is no longer wanted.
  void Dismiss() { FArmed = false; }

protected:
  ScopeGuard(F Work, bool OnlyOnFailure)
      : FWork(std::move(Work)), FExceptions(std::uncaught_exceptions()), FOnlyOnFailure(OnlyOnFailure) {}

private:
  F FWork;
  int FExceptions;
  bool FOnlyOnFailure;
  bool FArmed = true;
};

// Runs its work only when the scope is left by an exception.
template <class F> class FailureGuard : public ScopeGuard<F> {
public:
  explicit FailureGuard(F Work) : ScopeGuard<F>(std::move(Work), true) {}
};

} // namespace kc
