#pragma once
// The local IPv4 address the program announces itself with and whose /24
// broadcast address it sends to.
//
// Looking the host name up, as the Windows program did, gives 127.0.x.1 on
// many Linux systems and so a silent broadcast on loopback. Instead the
// address is taken, in this order, from: the interface named by the caller
// or by KAVET_INTERFACE; the interface that holds the default route; the
// first up, non-loopback, broadcast-capable interface. Otherwise it is "".
#include <string>
#include <string_view>
#include <vector>

namespace kc {

struct NetInterface {
  std::string name;
  std::string address; // dotted IPv4 text
  bool up = false;
  bool loopback = false;
  bool broadcast = false;
};

// What the choice is made from; tests make their own.
struct NetSnapshot {
  std::vector<NetInterface> interfaces; // IPv4 addresses in system order
  std::string routeTable;               // text in the form of /proc/net/route
};

// The host's interfaces (getifaddrs) and routes (/proc/net/route).
NetSnapshot readNetSnapshot();

// interfaceName not empty: that interface's first IPv4 address, or "" when
// it has none (a wrong name must not send elsewhere).
std::string chooseLocalIPv4(const NetSnapshot &net, std::string_view interfaceName);

// chooseLocalIPv4(readNetSnapshot(), interfaceName or $KAVET_INTERFACE).
std::string localIPv4(std::string_view interfaceName = {});

} // namespace kc
