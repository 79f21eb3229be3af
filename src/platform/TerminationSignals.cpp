#include "platform/TerminationSignals.h"

#include "platform/Log.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace kc {

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int sig) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(sig);
  // A full pipe already holds a pending request; losing this one is fine.
  [[maybe_unused]] ssize_t n = ::write(g_pipe[1], &byte, 1);
  errno = saved;
}

} // namespace

struct TerminationSignals::Impl {
  std::function<void(int)> onSignal;
  std::unique_ptr<QSocketNotifier> notifier;

  void readPipe() {
    unsigned char buf[64];
    ssize_t n;
    int last = 0;
    while ((n = ::read(g_pipe[0], buf, sizeof(buf))) > 0) last = buf[n - 1];
    if (last == 0 || !onSignal) return;
    try {
      onSignal(last);
    } catch (...) {
      LogCaughtException("termination signal");
    }
  }
};

TerminationSignals::TerminationSignals(std::function<void(int)> OnSignal) : d(std::make_unique<Impl>()) {
  d->onSignal = std::move(OnSignal);
  if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  d->notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
  QObject::connect(d->notifier.get(), &QSocketNotifier::activated, [impl = d.get()] { impl->readPipe(); });
  struct sigaction sa {};
  sa.sa_handler = onTerminationSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &sa, nullptr);
  ::sigaction(SIGINT, &sa, nullptr);
}

TerminationSignals::~TerminationSignals() {
  ::signal(SIGTERM, SIG_DFL);
  ::signal(SIGINT, SIG_DFL);
  if (g_pipe[0] >= 0) {
    d->notifier.reset();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
  }
}

} // namespace kc
