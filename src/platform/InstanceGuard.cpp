#include "platform/InstanceGuard.h"

#include "platform/Paths.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kc {

// ---------------------------------------------------------------------------
// MessageWindow

namespace {

std::vector<MessageWindow *> &windowRegistry() {
  static std::vector<MessageWindow *> windows;
  return windows;
}

std::uint32_t nextWindowSerial() {
  static std::uint32_t serial = 0;
  return ++serial;
}

} // namespace

struct MessageWindow::Impl {
  std::string className;
  Proc proc;
  WindowHandle handle = 0;
  // Posted messages are queued on this object, so freeing the window drops them.
  std::unique_ptr<QObject> queue = std::make_unique<QObject>();
};

MessageWindow::MessageWindow(std::string ClassName, Proc WindowProc) : d(std::make_unique<Impl>()) {
  d->className = std::move(ClassName);
  d->proc = std::move(WindowProc);
  d->handle = (static_cast<WindowHandle>(static_cast<std::uint32_t>(::getpid())) << 32) | nextWindowSerial();
  windowRegistry().push_back(this);
}

MessageWindow::~MessageWindow() {
  auto &reg = windowRegistry();
  reg.erase(std::remove(reg.begin(), reg.end(), this), reg.end());
}

WindowHandle MessageWindow::handle() const { return d->handle; }

const std::string &MessageWindow::className() const { return d->className; }

std::int64_t MessageWindow::send(std::uint32_t Msg, std::uint64_t WParam, std::int64_t LParam, std::string_view Data) {
  return d->proc ? d->proc(Msg, WParam, LParam, Data) : 0;
}

void MessageWindow::post(std::uint32_t Msg, std::uint64_t WParam, std::int64_t LParam) {
  QMetaObject::invokeMethod(
      d->queue.get(), [this, Msg, WParam, LParam] { send(Msg, WParam, LParam); }, Qt::QueuedConnection);
}

MessageWindow *MessageWindow::find(std::string_view ClassName) {
  for (MessageWindow *w : windowRegistry())
    if (w->d->className == ClassName) return w;
  return nullptr;
}

MessageWindow *MessageWindow::fromHandle(WindowHandle Handle) {
  if (Handle == 0) return nullptr;
  for (MessageWindow *w : windowRegistry())
    if (w->d->handle == Handle) return w;
  return nullptr;
}

// ---------------------------------------------------------------------------
// Channel frames. Request: kind (1 byte), payload length (4 bytes), payload.
//   kind 1, find window: the class name.
//   kind 2, send message: window (8), msg (4), wParam (8), lParam (8), data.
// Answer: the 8-byte result. Both ends run on the same machine, so numbers go
// in host byte order.

namespace {

constexpr std::uint8_t kFindWindow = 1;
constexpr std::uint8_t kSendMessage = 2;
constexpr std::size_t kHeaderSize = 5;
constexpr std::size_t kSendFixed = 8 + 4 + 8 + 8;
constexpr std::size_t kMaxPayload = kSendFixed + InstanceGuard::kMaxData;
// A peer that opens the channel and then says nothing is dropped after this.
constexpr int kPeerIdleMs = 2000;
constexpr int kMaxPeers = 16;
constexpr std::size_t kPublishedWidth = 20;

template <typename T> void putRaw(std::string &out, T v) {
  char buf[sizeof(T)];
  std::memcpy(buf, &v, sizeof(T));
  out.append(buf, sizeof(T));
}

template <typename T> T getRaw(const char *p) {
  T v;
  std::memcpy(&v, p, sizeof(T));
  return v;
}

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

bool peerIsSameUser(int fd) {
  ucred cred{};
  socklen_t len = sizeof(cred);
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return false;
  return cred.uid == ::geteuid();
}

bool fillAddress(const std::string &path, sockaddr_un &addr) {
  std::memset(&addr, 0, sizeof(addr));
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof(addr.sun_path)) return false;
  std::memcpy(addr.sun_path, path.data(), path.size());
  return true;
}

// True when someone holds the lock file: a shared lock cannot be had while an
// exclusive one is held. The shared lock is let go at once.
bool lockIsHeld(const std::string &lockPath) {
  int fd = ::open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  bool held = false;
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) held = errno == EWOULDBLOCK;
  else ::flock(fd, LOCK_UN);
  ::close(fd);
  return held;
}

// Connects to the holder's channel. While the lock is held but the socket is
// not there yet (the holder is between taking the lock and listening) it tries
// again until the deadline.
int connectChannel(const std::string &lockPath, const std::string &channelPath, Clock::time_point deadline) {
  sockaddr_un addr;
  if (!fillAddress(channelPath, addr)) return -1;
  for (;;) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) == 0) {
      if (peerIsSameUser(fd)) return fd;
      ::close(fd);
      return -1;
    }
    const int err = errno;
    ::close(fd);
    const bool retry = err == EAGAIN || ((err == ENOENT || err == ECONNREFUSED) && lockIsHeld(lockPath));
    if (!retry || msLeft(deadline) == 0) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(20, msLeft(deadline))));
  }
}

bool sendAll(int fd, const std::string &data, Clock::time_point deadline) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd, POLLOUT, 0};
      int left = msLeft(deadline);
      if (left == 0 || ::poll(&p, 1, left) <= 0) return false;
      continue;
    }
    return false;
  }
  return true;
}

bool recvExact(int fd, char *buf, std::size_t size, Clock::time_point deadline) {
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::recv(fd, buf + done, size - done, 0);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n == 0) return false;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
    pollfd p{fd, POLLIN, 0};
    int left = msLeft(deadline);
    if (left == 0 || ::poll(&p, 1, left) <= 0) return false;
  }
  return true;
}

// One request, one answer, one connection.
std::optional<std::int64_t> request(const std::string &lockPath, const std::string &channelPath, std::uint8_t kind,
                                    const std::string &payload, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
  int fd = connectChannel(lockPath, channelPath, deadline);
  if (fd < 0) return std::nullopt;
  std::string frame;
  frame.reserve(kHeaderSize + payload.size());
  frame.push_back(static_cast<char>(kind));
  putRaw<std::uint32_t>(frame, static_cast<std::uint32_t>(payload.size()));
  frame += payload;
  std::optional<std::int64_t> result;
  char answer[8];
  if (sendAll(fd, frame, deadline) && recvExact(fd, answer, sizeof(answer), deadline))
    result = getRaw<std::int64_t>(answer);
  ::close(fd);
  return result;
}

std::int64_t answerRequest(std::uint8_t kind, const std::string &payload) {
  if (kind == kFindWindow) {
    MessageWindow *w = MessageWindow::find(payload);
    return w ? static_cast<std::int64_t>(w->handle()) : 0;
  }
  // kSendMessage; the length was checked when the header arrived.
  const char *p = payload.data();
  auto handle = getRaw<std::uint64_t>(p);
  auto msg = getRaw<std::uint32_t>(p + 8);
  auto wParam = getRaw<std::uint64_t>(p + 12);
  auto lParam = getRaw<std::int64_t>(p + 20);
  MessageWindow *w = MessageWindow::fromHandle(handle);
  if (!w) return 0;
  return w->send(msg, wParam, lParam, std::string_view(payload).substr(kSendFixed));
}

// Holder side: accepts peers on the GUI thread and answers each one's request.
class ChannelServer : public QObject {
public:
  explicit ChannelServer(int listenFd) : m_listenFd(listenFd) {
    m_notifier = new QSocketNotifier(listenFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { acceptPeers(); });
  }

private:
  struct Peer : QObject {
    int fd = -1;
    std::string buffer;
    QSocketNotifier *notifier = nullptr;
    QTimer idle;
    ~Peer() override {
      if (fd >= 0) ::close(fd);
    }
  };

  void acceptPeers() {
    for (;;) {
      int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (m_peers >= kMaxPeers || !peerIsSameUser(fd)) {
        ::close(fd);
        continue;
      }
      auto *peer = new Peer;
      peer->setParent(this);
      peer->fd = fd;
      ++m_peers;
      connect(peer, &QObject::destroyed, this, [this] { --m_peers; });
      peer->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, peer);
      connect(peer->notifier, &QSocketNotifier::activated, peer, [this, peer] { readPeer(peer); });
      peer->idle.setSingleShot(true);
      connect(&peer->idle, &QTimer::timeout, peer, [this, peer] { dropPeer(peer); });
      peer->idle.start(kPeerIdleMs);
    }
  }

  void dropPeer(Peer *peer) {
    peer->notifier->setEnabled(false);
    peer->idle.stop();
    if (peer->fd >= 0) {
      ::close(peer->fd);
      peer->fd = -1;
    }
    peer->deleteLater();
  }

  void readPeer(Peer *peer) {
    if (peer->fd < 0) return;
    char buf[16384];
    for (;;) {
      std::size_t want = sizeof(buf);
      if (peer->buffer.size() >= kHeaderSize) {
        std::size_t total = kHeaderSize + getRaw<std::uint32_t>(peer->buffer.data() + 1);
        want = std::min(want, total - peer->buffer.size());
      }
      ssize_t n = want ? ::recv(peer->fd, buf, want, 0) : 0;
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
      if (n < 0 || (n == 0 && want != 0)) return dropPeer(peer);
      peer->buffer.append(buf, static_cast<std::size_t>(n));
      if (peer->buffer.size() < kHeaderSize) continue;
      const auto kind = static_cast<std::uint8_t>(peer->buffer[0]);
      const std::size_t len = getRaw<std::uint32_t>(peer->buffer.data() + 1);
      const bool sane =
          (kind == kFindWindow && len <= 4096) || (kind == kSendMessage && len >= kSendFixed && len <= kMaxPayload);
      if (!sane) return dropPeer(peer);
      if (peer->buffer.size() < kHeaderSize + len) continue;
      std::string payload = peer->buffer.substr(kHeaderSize, len);
      // The answer goes out before the window procedure could free us by
      // running a nested loop; keep the peer alive across the call.
      QPointer<Peer> alive(peer);
      peer->notifier->setEnabled(false);
      peer->idle.stop();
      const std::int64_t result = answerRequest(kind, payload);
      if (!alive) return;
      std::string answer;
      putRaw<std::int64_t>(answer, result);
      // An 8-byte answer on a fresh socket fits its buffer; a peer that is
      // gone simply misses it.
      (void)::send(peer->fd, answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      return dropPeer(peer);
    }
  }

  int m_listenFd;
  QSocketNotifier *m_notifier = nullptr;
  int m_peers = 0;
};

// The channel can only be served once an event loop can exist; a claim made
// before the application object waits for it.
struct ServedLater {
  virtual ~ServedLater() = default;
  virtual void startServing() = 0;
};

std::vector<ServedLater *> &waitingForApp() {
  static std::vector<ServedLater *> waiting;
  return waiting;
}

void serveWaitingGuards() {
  auto waiting = std::move(waitingForApp());
  waitingForApp().clear();
  for (ServedLater *g : waiting) g->startServing();
}

} // namespace

// ---------------------------------------------------------------------------
// InstanceGuard

struct InstanceGuard::Impl : ServedLater {
  std::string lockName;
  std::string channelName;
  mutable std::string folder;
  int lockFd = -1;
  int listenFd = -1;
  std::unique_ptr<ChannelServer> server;

  const std::string &theFolder() const {
    if (folder.empty()) folder = runtimeFolder();
    if (folder.empty()) throw InstanceGuardError("no private runtime folder for the instance lock");
    if (folder.back() != '/') folder += '/';
    return folder;
  }

  void startServing() override {
    if (listenFd >= 0 && !server) server = std::make_unique<ChannelServer>(listenFd);
  }
};

InstanceGuard::InstanceGuard(std::string LockName, std::string ChannelName, std::string Folder)
    : d(std::make_unique<Impl>()) {
  d->lockName = std::move(LockName);
  d->channelName = std::move(ChannelName);
  d->folder = std::move(Folder);
}

InstanceGuard::~InstanceGuard() { release(); }

std::string InstanceGuard::lockPath() const { return d->theFolder() + d->lockName; }

std::string InstanceGuard::channelPath() const { return d->theFolder() + d->channelName; }

bool InstanceGuard::claimed() const { return d->lockFd >= 0; }

bool InstanceGuard::claim(std::uint64_t Published) {
  if (claimed()) return true;
  const std::string lock = lockPath();
  const std::string channel = channelPath();
  sockaddr_un addr;
  if (!fillAddress(channel, addr)) throw InstanceGuardError("instance channel path too long: " + channel);

  int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) throw InstanceGuardError("cannot open the instance lock " + lock + ": " + std::strerror(errno));
  // Another copy that only looks whether the lock is held keeps a shared lock
  // for an instant; do not take that for a running copy.
  bool locked = false;
  for (int attempt = 0; attempt < 5 && !locked; ++attempt) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      locked = true;
    } else if (errno == EWOULDBLOCK || errno == EINTR) {
      if (attempt < 4) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } else {
      const int err = errno;
      ::close(fd);
      throw InstanceGuardError("cannot lock " + lock + ": " + std::strerror(err));
    }
  }
  if (!locked) {
    ::close(fd);
    return false;
  }

  // The lock is ours, so whatever is at the channel path was left by a copy
  // that is gone.
  auto fail = [&](const std::string &what) {
    const int err = errno;
    if (d->listenFd >= 0) {
      ::close(d->listenFd);
      d->listenFd = -1;
    }
    ::flock(fd, LOCK_UN);
    ::close(fd);
    throw InstanceGuardError(what + " " + channel + ": " + std::strerror(err));
  };
  if (::unlink(channel.c_str()) != 0 && errno != ENOENT) fail("cannot remove the old channel");
  d->listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (d->listenFd < 0) fail("cannot make the channel");
  if (::bind(d->listenFd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) != 0) fail("cannot bind the channel");
  if (::listen(d->listenFd, kMaxPeers) != 0) {
    ::unlink(channel.c_str());
    fail("cannot listen on the channel");
  }

  std::string text = std::to_string(Published);
  text.insert(0, kPublishedWidth - std::min(kPublishedWidth, text.size()), '0');
  if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) {
    // The published value is only a hint for other copies; the claim stands.
  }
  d->lockFd = fd;

  if (QCoreApplication::instance()) {
    d->startServing();
  } else {
    static bool hooked = false;
    if (!hooked) {
      hooked = true;
      qAddPreRoutine(serveWaitingGuards);
    }
    waitingForApp().push_back(d.get());
  }
  return true;
}

void InstanceGuard::release() {
  if (!claimed()) return;
  auto &waiting = waitingForApp();
  waiting.erase(std::remove(waiting.begin(), waiting.end(), static_cast<ServedLater *>(d.get())), waiting.end());
  d->server.reset();
  if (d->listenFd >= 0) {
    ::close(d->listenFd);
    d->listenFd = -1;
  }
  // Remove the channel before the lock goes, so that it cannot be the next
  // holder's channel that we remove.
  ::unlink((d->folder + d->channelName).c_str());
  ::flock(d->lockFd, LOCK_UN);
  ::close(d->lockFd);
  d->lockFd = -1;
}

std::uint64_t InstanceGuard::readPublished() const {
  const std::string lock = lockPath();
  if (!lockIsHeld(lock)) return 0;
  int fd = ::open(lock.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return 0;
  char buf[kPublishedWidth];
  ssize_t n = ::pread(fd, buf, sizeof(buf), 0);
  ::close(fd);
  if (n != static_cast<ssize_t>(kPublishedWidth)) return 0;
  std::uint64_t value = 0;
  for (char c : buf) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

WindowHandle InstanceGuard::findWindow(std::string_view ClassName, int TimeoutMs) const {
  if (claimed()) {
    MessageWindow *w = MessageWindow::find(ClassName);
    return w ? w->handle() : 0;
  }
  if (ClassName.size() > 4096) return 0;
  auto r = request(lockPath(), channelPath(), kFindWindow, std::string(ClassName), TimeoutMs);
  return r ? static_cast<WindowHandle>(*r) : 0;
}

std::optional<std::int64_t> InstanceGuard::sendMessage(WindowHandle Window, std::uint32_t Msg, std::uint64_t WParam,
                                                       std::int64_t LParam, std::string_view Data,
                                                       int TimeoutMs) const {
  if (Data.size() > kMaxData) return std::nullopt;
  if (claimed()) {
    // We are the holder: our windows are reached directly.
    MessageWindow *w = MessageWindow::fromHandle(Window);
    return w ? w->send(Msg, WParam, LParam, Data) : 0;
  }
  std::string payload;
  payload.reserve(kSendFixed + Data.size());
  putRaw<std::uint64_t>(payload, Window);
  putRaw<std::uint32_t>(payload, Msg);
  putRaw<std::uint64_t>(payload, WParam);
  putRaw<std::int64_t>(payload, LParam);
  payload.append(Data.data(), Data.size());
  return request(lockPath(), channelPath(), kSendMessage, payload, TimeoutMs);
}

} // namespace kc
