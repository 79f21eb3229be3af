#pragma once
// Helpers for tests where two "copies" talk over the instance channel inside
// one test process: the holder's side is served by this thread's event loop.
#include <QCoreApplication>
#include <chrono>
#include <future>

namespace kctest {

// Runs Work on another thread (a "later copy") while this thread serves the
// holder's channel, as the holder's GUI thread would.
template <typename F> auto fromOtherCopy(F Work) {
  auto result = std::async(std::launch::async, Work);
  while (result.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return result.get();
}

inline void pumpEvents() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace kctest
