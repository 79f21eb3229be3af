#pragma once
// A periodic timer whose ticks run on the GUI thread (the stand-in for a
// window timer on a hidden window). A period of 0 or no handler means
// stopped. A tick that throws is reported through the log and the timer
// goes on.
#include <functional>
#include <memory>

namespace kc {

class GuiTimer {
public:
  GuiTimer();
  ~GuiTimer();
  GuiTimer(const GuiTimer &) = delete;
  GuiTimer &operator=(const GuiTimer &) = delete;

  // (Re)starts the timer with the period in milliseconds; ticks call onTick.
  void start(int periodMs, std::function<void()> onTick);
  void stop();
  bool active() const;
  int period() const;

private:
  struct Impl;
  std::unique_ptr<Impl> d;
};

} // namespace kc
