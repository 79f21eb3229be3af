#include "platform/UdpSocket.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <chrono>
#include <deque>
#include <string>
#include <vector>

namespace kc {

namespace {

// One pass of the event loop hands datagrams over for about this long, so
// that a flood cannot keep the GUI thread from everything else; the rest
// follows in the next pass.
constexpr std::chrono::milliseconds kHandOverSlice{8};

std::string errnoText(const char *what) {
  const int e = errno;
  return std::string(what) + ": " + std::strerror(e);
}

} // namespace

struct UdpSocket::Impl {
  struct Datagram {
    std::string data;
    std::string fromIp;
    std::uint16_t fromPort = 0;
  };

  int fd = -1;
  std::uint16_t port = 0;
  ReadHandler handler;
  std::unique_ptr<QSocketNotifier> notifier;
  std::vector<char> buffer;
  std::deque<Datagram> queue;
  std::size_t queuedBytes = 0;
  bool passScheduled = false;
  // Cleared when the socket is closed or destroyed; a handler may do either,
  // and the read loop must notice before it touches the socket again.
  std::shared_ptr<bool> alive;
};

UdpSocket::UdpSocket() : d(std::make_unique<Impl>()) {}

UdpSocket::~UdpSocket() { close(); }

bool UdpSocket::parseAddress(std::string_view Text, std::uint32_t &HostOrder) {
  std::uint32_t value = 0;
  int parts = 0;
  std::size_t i = 0;
  while (parts < 4) {
    if (i >= Text.size() || Text[i] < '0' || Text[i] > '9') return false;
    unsigned part = 0;
    std::size_t digits = 0;
    while (i < Text.size() && Text[i] >= '0' && Text[i] <= '9') {
      part = part * 10 + static_cast<unsigned>(Text[i] - '0');
      if (++digits > 3 || part > 255) return false;
      ++i;
    }
    value = (value << 8) | part;
    ++parts;
    if (parts < 4) {
      if (i >= Text.size() || Text[i] != '.') return false;
      ++i;
    }
  }
  if (i != Text.size()) return false;
  HostOrder = value;
  return true;
}

std::string UdpSocket::formatAddress(std::uint32_t HostOrder) {
  return std::to_string(HostOrder >> 24) + "." + std::to_string((HostOrder >> 16) & 0xFF) + "." +
         std::to_string((HostOrder >> 8) & 0xFF) + "." + std::to_string(HostOrder & 0xFF);
}

bool UdpSocket::open(std::string_view Address, std::uint16_t Port, std::string *Error) {
  close();
  auto fail = [&](std::string text, int fd) {
    if (fd >= 0) ::close(fd);
    if (Error) *Error = std::move(text);
    return false;
  };
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(Port);
  if (Address.empty()) {
    sa.sin_addr.s_addr = htonl(INADDR_ANY);
  } else {
    std::uint32_t a = 0;
    if (!parseAddress(Address, a)) return fail("not an IPv4 address: " + std::string(Address), -1);
    sa.sin_addr.s_addr = htonl(a);
  }
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return fail(errnoText("socket"), -1);
  const int on = 1;
  if (::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) return fail(errnoText("SO_BROADCAST"), fd);
  // The system caps the size at its own maximum; less is no failure, the
  // queue covers the rest.
  // A process allowed to administer the network (a copy in a test
  // namespace) may go past that maximum; anyone else gets what it allows.
  const int rcvbuf = kReceiveBufferBytes;
  if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &rcvbuf, sizeof rcvbuf) != 0)
    (void)::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &rcvbuf, sizeof rcvbuf);
  if (::bind(fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) != 0) return fail(errnoText("bind"), fd);
  sockaddr_in bound{};
  socklen_t len = sizeof bound;
  if (::getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &len) != 0) return fail(errnoText("getsockname"), fd);

  d->fd = fd;
  d->port = ntohs(bound.sin_port);
  d->alive = std::make_shared<bool>(true);
  d->buffer.resize(kMaxDatagram + 1);
  // Without an application object there is no event loop to watch the
  // socket; the owner then calls readPending() itself.
  if (QCoreApplication::instance()) {
    d->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(d->notifier.get(), &QSocketNotifier::activated, d->notifier.get(), [this] { handOverSlice(); });
  }
  return true;
}

void UdpSocket::close() {
  if (d->alive) *d->alive = false;
  d->alive.reset();
  if (d->notifier) {
    // The notifier may be the one whose signal is running now (a handler
    // closed its socket): it goes once control is back in the event loop.
    d->notifier->setEnabled(false);
    d->notifier.release()->deleteLater();
  }
  if (d->fd >= 0) ::close(d->fd);
  d->fd = -1;
  d->port = 0;
  d->queue.clear();
  d->queuedBytes = 0;
  d->passScheduled = false;
}

bool UdpSocket::isOpen() const { return d->fd >= 0; }

std::uint16_t UdpSocket::localPort() const { return d->port; }

void UdpSocket::setReadHandler(ReadHandler Handler) { d->handler = std::move(Handler); }

bool UdpSocket::sendTo(std::string_view Data, std::string_view Ip, std::uint16_t Port, std::string *Error) {
  if (d->fd < 0) {
    if (Error) *Error = "socket not open";
    return false;
  }
  std::uint32_t a = 0;
  if (!parseAddress(Ip, a)) {
    if (Error) *Error = "not an IPv4 address: " + std::string(Ip);
    return false;
  }
  if (Data.size() > kMaxDatagram) {
    if (Error) *Error = "datagram too long";
    return false;
  }
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(Port);
  sa.sin_addr.s_addr = htonl(a);
  const ssize_t n =
      ::sendto(d->fd, Data.data(), Data.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr *>(&sa), sizeof sa);
  if (n < 0 || static_cast<std::size_t>(n) != Data.size()) {
    if (Error) *Error = n < 0 ? errnoText("sendto") : std::string("sendto: short write");
    return false;
  }
  return true;
}

int UdpSocket::fetchPending() {
  const int count = fetch();
  if (count > 0) scheduleSlice();
  return count;
}

int UdpSocket::fetch() {
  if (d->fd < 0) return 0;
  int count = 0;
  while (d->queue.size() < kMaxQueued && d->queuedBytes < kMaxQueuedBytes) {
    sockaddr_in from{};
    socklen_t len = sizeof from;
    const ssize_t n =
        ::recvfrom(d->fd, d->buffer.data(), d->buffer.size(), MSG_TRUNC, reinterpret_cast<sockaddr *>(&from), &len);
    if (n < 0) {
      if (errno == EINTR) continue;
      break; // EAGAIN: nothing more now; any other error is the next datagram's problem
    }
    // Larger than any IPv4 datagram can be: cut by the system, so dropped.
    if (static_cast<std::size_t>(n) > kMaxDatagram) continue;
    // Without a handler nobody wants it: read only to keep the buffer empty.
    if (!d->handler || from.sin_family != AF_INET) continue;
    d->queue.push_back({std::string(d->buffer.data(), static_cast<std::size_t>(n)),
                        formatAddress(ntohl(from.sin_addr.s_addr)), ntohs(from.sin_port)});
    d->queuedBytes += static_cast<std::size_t>(n);
    ++count;
  }
  return count;
}

std::size_t UdpSocket::queued() const { return d->queue.size(); }

int UdpSocket::handOver(bool Sliced) {
  if (d->fd < 0) return 0;
  const std::shared_ptr<bool> alive = d->alive;
  const auto end = std::chrono::steady_clock::now() + kHandOverSlice;
  int count = 0;
  while (*alive) {
    // The system's buffer is emptied before each datagram is handed over,
    // so that it only has to hold what arrives during one handler call.
    fetch();
    if (d->queue.empty() || !d->handler) break;
    if (Sliced && count > 0 && std::chrono::steady_clock::now() >= end) break;
    // Without slices a stream that never ends must not hold the caller.
    if (!Sliced && count >= static_cast<int>(kMaxQueued)) break;
    Impl::Datagram next = std::move(d->queue.front());
    d->queue.pop_front();
    d->queuedBytes -= next.data.size();
    ++count;
    // A copy: the handler may replace itself or close the socket.
    const ReadHandler handler = d->handler;
    handler(next.data, next.fromIp, next.fromPort);
  }
  return count;
}

int UdpSocket::readPending() { return handOver(false); }

void UdpSocket::handOverSlice() {
  const std::shared_ptr<bool> alive = d->alive;
  if (!alive) return;
  handOver(true);
  if (*alive) scheduleSlice();
}

void UdpSocket::scheduleSlice() {
  if (d->queue.empty() || d->passScheduled || !d->notifier) return;
  const std::shared_ptr<bool> alive = d->alive;
  // The queue holds datagrams, though the system may have none left to wake
  // the notifier: the next slice comes after the event loop's turn.
  d->passScheduled = true;
  QTimer::singleShot(0, d->notifier.get(), [this, alive] {
    if (!*alive) return;
    d->passScheduled = false;
    handOverSlice();
  });
}

} // namespace kc
