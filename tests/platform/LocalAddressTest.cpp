#include "platform/LocalAddress.h"

#include <gtest/gtest.h>

namespace {

using kc::NetInterface;
using kc::NetSnapshot;

const char kHeader[] = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

NetInterface iface(const char *name, const char *addr, bool up = true, bool lo = false, bool bcast = true) {
  return NetInterface{name, addr, up, lo, bcast};
}

const std::vector<NetInterface> kHost = {
    iface("lo", "127.0.0.1", true, true, false),
    iface("docker0", "172.17.0.1"),
    iface("wlan0", "192.168.5.17"),
    iface("eth0", "10.1.2.3"),
    iface("tun0", "10.8.0.2", true, false, false),
    iface("down0", "192.168.9.9", false),
};

TEST(LocalAddressTest, ChoiceTable) {
  struct Case {
    const char *what;
    std::vector<NetInterface> interfaces;
    std::string routes;
    std::string wanted;
    std::string expected;
  } cases[] = {
      {"default route wins", kHost,
       std::string(kHeader) + "docker0\t000011AC\t00000000\t0001\t0\t0\t0\t0000FFFF\t0\t0\t0\n"
                              "wlan0\t00000000\t0105A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
                              "wlan0\t0005A8C0\t00000000\t0001\t0\t0\t600\t00FFFFFF\t0\t0\t0\n",
       "", "192.168.5.17"},
      {"lowest metric of two default routes", kHost,
       std::string(kHeader) + "wlan0\t00000000\t0105A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
                              "eth0\t00000000\t0102010A\t0003\t0\t0\t100\t00000000\t0\t0\t0\n",
       "", "10.1.2.3"},
      {"default route that is down is passed over", kHost,
       std::string(kHeader) + "eth0\t00000000\t0102010A\t0002\t0\t0\t0\t00000000\t0\t0\t0\n", "", "172.17.0.1"},
      {"no routes: first up non-loopback broadcast interface", kHost, "", "", "172.17.0.1"},
      {"default route over a loopback-only device falls back",
       {iface("lo", "127.0.0.1", true, true, false), iface("eth0", "10.1.2.3")},
       std::string(kHeader) + "lo\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n",
       "",
       "10.1.2.3"},
      {"route table damaged", kHost, std::string(kHeader) + "eth0\tzzzz\n\n\t\t\nwlan0 0000000000 0 3 0 0 0 00000000\n",
       "", "172.17.0.1"},
      {"explicit interface", kHost, "", "eth0", "10.1.2.3"},
      {"explicit interface that is down still answers", kHost, "", "down0", "192.168.9.9"},
      {"explicit unknown interface gives nothing", kHost, "", "nope0", ""},
      {"only loopback and point-to-point", {kHost[0], kHost[4]}, "", "", ""},
      {"nothing at all", {}, "", "", ""},
  };
  for (const Case &c : cases) {
    NetSnapshot net{c.interfaces, c.routes};
    EXPECT_EQ(kc::chooseLocalIPv4(net, c.wanted), c.expected) << c.what;
  }
}

TEST(LocalAddressTest, HostSnapshotNeverPicksLoopback) {
  // Reads the host's tables only; nothing is sent.
  std::string ip = kc::chooseLocalIPv4(kc::readNetSnapshot(), "");
  EXPECT_NE(ip.rfind("127.", 0), 0u) << ip;
  EXPECT_EQ(kc::localIPv4("no-such-interface-kc"), "");
}

} // namespace
