#pragma once
// SIGTERM and SIGINT end the program through its orderly close. The signal
// handler only writes the signal number into a pipe; the close runs on the
// GUI thread when the event loop reads it.
#include <QObject>

#include <functional>

class QSocketNotifier;

namespace kc {

class TerminationSignals : public QObject {
public:
  // Needs the application object. One instance at a time.
  explicit TerminationSignals(std::function<void(int Signal)> OnSignal);
  ~TerminationSignals() override;

private:
  void readPipe();
  std::function<void(int)> m_onSignal;
  QSocketNotifier *m_notifier = nullptr;
};

} // namespace kc
