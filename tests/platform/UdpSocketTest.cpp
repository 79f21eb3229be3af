// The socket layer on 127.0.0.1 only.
#include "platform/UdpSocket.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kc {
namespace {

struct Received {
  std::string data, ip;
  std::uint16_t port;
};

// Runs the event loop until Count datagrams arrived or a second passed.
void pumpUntil(const std::vector<Received> &got, std::size_t Count) {
  QElapsedTimer t;
  t.start();
  while (got.size() < Count && t.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST(UdpSocket, WholeDatagramsOfAnyBytesArriveOnTheEventLoop) {
  UdpSocket rx, tx;
  ASSERT_TRUE(rx.open("127.0.0.1", 0));
  ASSERT_TRUE(tx.open("127.0.0.1", 0));
  ASSERT_NE(rx.localPort(), 0);
  std::vector<Received> got;
  rx.setReadHandler([&](const std::string &d, const std::string &ip, std::uint16_t port) {
    got.push_back({d, ip, port});
  });
  const std::string binary("A\0B\xFF\x80<ID>", 9);
  const std::string biggest(UdpSocket::kMaxDatagram, 'z');
  ASSERT_TRUE(tx.sendTo(binary, "127.0.0.1", rx.localPort()));
  ASSERT_TRUE(tx.sendTo(biggest, "127.0.0.1", rx.localPort()));
  ASSERT_TRUE(tx.sendTo("", "127.0.0.1", rx.localPort()));
  pumpUntil(got, 3);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].data, binary);
  EXPECT_EQ(got[0].ip, "127.0.0.1");
  EXPECT_EQ(got[0].port, tx.localPort());
  EXPECT_EQ(got[1].data, biggest);
  EXPECT_EQ(got[2].data, "");
}

// A busy subnet sends faster than the handler works: the datagrams wait in
// the socket's own queue, not in the system's buffer, which would overflow.
TEST(UdpSocket, ABurstFasterThanTheHandlerLosesNothing) {
  UdpSocket rx, tx;
  ASSERT_TRUE(rx.open("127.0.0.1", 0));
  ASSERT_TRUE(tx.open("127.0.0.1", 0));
  // Each datagram handled brings four more, until there are this many: the
  // backlog grows to about 15,000 datagrams, several times what the system
  // buffers for one socket.
  constexpr int kTotal = 20000;
  const std::string payload(1024, 'p');
  int sent = 1, handled = 0, handledWhenOtherWorkRan = -1;
  rx.setReadHandler([&](const std::string &d, const std::string &, std::uint16_t) {
    // Other work of the event loop (a repaint, a key) gets its turn while
    // the backlog drains.
    if (++handled == 1) QTimer::singleShot(0, [&] { handledWhenOtherWorkRan = handled; });
    EXPECT_EQ(d.size(), payload.size());
    for (int k = 0; k < 4 && sent < kTotal; ++k, ++sent) tx.sendTo(payload, "127.0.0.1", rx.localPort());
  });
  ASSERT_TRUE(tx.sendTo(payload, "127.0.0.1", rx.localPort()));
  QElapsedTimer t;
  t.start();
  while (handled < kTotal && t.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(sent, kTotal);
  EXPECT_EQ(handled, kTotal);
  EXPECT_EQ(rx.queued(), 0u);
  EXPECT_GT(handledWhenOtherWorkRan, 0);
  EXPECT_LT(handledWhenOtherWorkRan, kTotal / 2);
}

TEST(UdpSocket, RefusesWhatCannotBeSent) {
  UdpSocket s;
  std::string error;
  EXPECT_FALSE(s.sendTo("x", "127.0.0.1", 9, &error)) << "closed socket";
  ASSERT_TRUE(s.open("127.0.0.1", 0));
  for (const char *bad : {"", "localhost", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1..2.3", " 1.2.3.4"})
    EXPECT_FALSE(s.sendTo("x", bad, 9, &error)) << bad;
  EXPECT_FALSE(s.sendTo(std::string(UdpSocket::kMaxDatagram + 1, 'x'), "127.0.0.1", 9, &error));
}

TEST(UdpSocket, PortInUseFailsWithAReason) {
  UdpSocket a, b;
  ASSERT_TRUE(a.open("127.0.0.1", 0));
  std::string error;
  EXPECT_FALSE(b.open("127.0.0.1", a.localPort(), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(b.isOpen());
}

TEST(UdpSocket, AHandlerMayCloseItsOwnSocket) {
  auto rx = std::make_unique<UdpSocket>();
  UdpSocket tx;
  ASSERT_TRUE(rx->open("127.0.0.1", 0));
  ASSERT_TRUE(tx.open("127.0.0.1", 0));
  int calls = 0;
  rx->setReadHandler([&](const std::string &, const std::string &, std::uint16_t) {
    ++calls;
    rx.reset();
  });
  const std::uint16_t port = rx->localPort();
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(tx.sendTo("x", "127.0.0.1", port));
  QElapsedTimer t;
  t.start();
  while (rx && t.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(calls, 1);
}

TEST(UdpSocket, AddressTexts) {
  struct Case {
    const char *text;
    bool ok;
    std::uint32_t value;
  } cases[] = {{"192.168.5.17", true, 0xC0A80511},
               {"0.0.0.0", true, 0},
               {"255.255.255.255", true, 0xFFFFFFFF},
               {"198.18.0.1", true, 0xC6120001},
               {"1.2.3", false, 0},
               {"1.2.3.4.", false, 0},
               {"1.2.3.1000", false, 0},
               {"01.2.3.4", true, 0x01020304},
               {"a.b.c.d", false, 0},
               {"", false, 0}};
  for (const Case &c : cases) {
    std::uint32_t v = 0;
    EXPECT_EQ(UdpSocket::parseAddress(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
  EXPECT_EQ(UdpSocket::formatAddress(0xC0A80511), "192.168.5.17");
}

} // namespace
} // namespace kc
