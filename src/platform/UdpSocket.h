#pragma once
// A UDP/IPv4 socket for the chat transport: broadcast allowed, datagrams
// handed over on the thread that owns the socket (the GUI thread), whole
// datagrams up to the IPv4 maximum.
//
// It stands in for the socket components of the Windows program: one socket
// listens on the chat port of all local addresses, a second one, bound once
// to an ephemeral port, sends.
//
// A burst from a busy subnet must not overflow the system's receive buffer
// while the handler is slow (it updates windows): the socket asks for a large
// buffer, and whatever the system holds is first moved into a bounded queue
// of its own; handing over then runs from that queue in short slices between
// which the socket is emptied again and the event loop gets its turn.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kc {

class UdpSocket {
public:
  // Largest payload of one IPv4 UDP datagram.
  static constexpr std::size_t kMaxDatagram = 65507;
  // Receive buffer asked of the system (it may grant less).
  static constexpr int kReceiveBufferBytes = 8 << 20;
  // Datagrams read but not handed over yet, at most; past that the rest
  // waits in the system's buffer.
  static constexpr std::size_t kMaxQueued = 65536;
  static constexpr std::size_t kMaxQueuedBytes = 64u << 20;

  // Data, sender's dotted address, sender's port.
  using ReadHandler = std::function<void(const std::string &data, const std::string &fromIp, std::uint16_t fromPort)>;

  UdpSocket();
  ~UdpSocket();
  UdpSocket(const UdpSocket &) = delete;
  UdpSocket &operator=(const UdpSocket &) = delete;

  // Opens the socket with broadcasting allowed and binds it to Address
  // (dotted IPv4; empty = all local addresses) and Port (0 = ephemeral).
  // On failure the socket stays closed and Error (when given) says why.
  bool open(std::string_view Address, std::uint16_t Port, std::string *Error = nullptr);
  void close();
  bool isOpen() const;
  // The bound port (the chosen one for an ephemeral bind), 0 when closed.
  std::uint16_t localPort() const;

  // Receiving: while a handler is set, datagrams arriving at the socket are
  // handed to it from the event loop of the thread that opened the socket.
  // Without a handler incoming datagrams are read and dropped, so that a
  // socket that only sends never fills its receive queue.
  void setReadHandler(ReadHandler Handler);

  // Sends Data as one datagram to Ip:Port. False (with Error) when the socket
  // is closed, the address is no dotted IPv4 address or the system refuses.
  bool sendTo(std::string_view Data, std::string_view Ip, std::uint16_t Port, std::string *Error = nullptr);

  // Reads the datagrams that are waiting now into the queue and hands every
  // queued one to the handler; returns how many were handed over. The event
  // loop does this by itself (in slices); tests and tools without an event
  // loop may call it.
  int readPending();
  // Only moves what the system holds into the queue (nothing is handed over
  // now); returns how many datagrams were moved. For callers that are about
  // to keep the event loop busy, such as a burst of sends.
  int fetchPending();
  // Datagrams waiting in the queue.
  std::size_t queued() const;

  // Dotted-quad IPv4 text ("a.b.c.d", each part 0..255, decimal) to a number
  // in host order, and back.
  static bool parseAddress(std::string_view Text, std::uint32_t &HostOrder);
  static std::string formatAddress(std::uint32_t HostOrder);

private:
  // Hands queued datagrams over, for one slice of time when Sliced.
  int handOver(bool Sliced);
  // One pass of the event loop; schedules the next while the queue holds more.
  void handOverSlice();
  void scheduleSlice();
  // Moves what the system holds into the queue.
  int fetch();

  struct Impl;
  std::unique_ptr<Impl> d;
};

} // namespace kc
