#include "platform/LocalAddress.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace kc {

namespace {

// The route table is small; anything beyond this is not read.
constexpr size_t kMaxRouteTable = 1 << 20;

bool parseHex32(const std::string &s, unsigned long &out) {
  if (s.empty() || s.size() > 8) return false;
  char *end = nullptr;
  out = std::strtoul(s.c_str(), &end, 16);
  return end && *end == '\0';
}

// Interface of the default route with the lowest metric, "" when none.
std::string defaultRouteInterface(const std::string &table) {
  std::istringstream in(table);
  std::string line, best;
  long bestMetric = LONG_MAX;
  bool header = true;
  while (std::getline(in, line)) {
    if (header) { // "Iface Destination Gateway Flags ..."
      header = false;
      continue;
    }
    std::istringstream fields(line);
    std::string iface, dest, gateway, flags, refcnt, use, metric, mask;
    if (!(fields >> iface >> dest >> gateway >> flags >> refcnt >> use >> metric >> mask)) continue;
    unsigned long d, f, m;
    if (!parseHex32(dest, d) || !parseHex32(flags, f) || !parseHex32(mask, m)) continue;
    if (d != 0 || m != 0 || !(f & 0x1)) continue; // default and up
    char *end = nullptr;
    long met = std::strtol(metric.c_str(), &end, 10);
    if (!end || *end != '\0') continue;
    if (best.empty() || met < bestMetric) {
      best = iface;
      bestMetric = met;
    }
  }
  return best;
}

} // namespace

NetSnapshot readNetSnapshot() {
  NetSnapshot net;
  ifaddrs *list = nullptr;
  if (::getifaddrs(&list) == 0) {
    for (ifaddrs *a = list; a; a = a->ifa_next) {
      if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET || !a->ifa_name) continue;
      char text[INET_ADDRSTRLEN] = {};
      const auto *sin = reinterpret_cast<const sockaddr_in *>(a->ifa_addr);
      if (!::inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text)) continue;
      NetInterface i;
      i.name = a->ifa_name;
      i.address = text;
      i.up = a->ifa_flags & IFF_UP;
      i.loopback = a->ifa_flags & IFF_LOOPBACK;
      i.broadcast = a->ifa_flags & IFF_BROADCAST;
      net.interfaces.push_back(std::move(i));
    }
    ::freeifaddrs(list);
  }
  std::ifstream routes("/proc/net/route", std::ios::binary);
  if (routes) {
    std::string buf(kMaxRouteTable, '\0');
    routes.read(buf.data(), static_cast<std::streamsize>(buf.size()));
    buf.resize(static_cast<size_t>(routes.gcount()));
    net.routeTable = std::move(buf);
  }
  return net;
}

std::string chooseLocalIPv4(const NetSnapshot &net, std::string_view interfaceName) {
  if (!interfaceName.empty()) {
    for (const NetInterface &i : net.interfaces)
      if (i.name == interfaceName) return i.address;
    return {};
  }
  if (std::string route = defaultRouteInterface(net.routeTable); !route.empty())
    for (const NetInterface &i : net.interfaces)
      if (i.name == route && i.up && !i.loopback) return i.address;
  for (const NetInterface &i : net.interfaces)
    if (i.up && !i.loopback && i.broadcast) return i.address;
  return {};
}

std::string localIPv4(std::string_view interfaceName) {
  std::string name(interfaceName);
  if (name.empty())
    if (const char *e = std::getenv("KAVET_INTERFACE")) name = e;
  return chooseLocalIPv4(readNetSnapshot(), name);
}

} // namespace kc
