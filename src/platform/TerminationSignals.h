#pragma once
// SIGTERM and SIGINT end the program through its orderly close. The signal
// handler only writes the signal number into a pipe; the close runs on the
// GUI thread when the event loop reads it. A close that fails is reported
// (the signal is an entry point of its own) and the event loop goes on.
#include <functional>
#include <memory>

namespace kc {

class TerminationSignals {
public:
  // Needs the application object. One instance at a time.
  explicit TerminationSignals(std::function<void(int Signal)> OnSignal);
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals &) = delete;
  TerminationSignals &operator=(const TerminationSignals &) = delete;

private:
  struct Impl;
  std::unique_ptr<Impl> d;
};

} // namespace kc
