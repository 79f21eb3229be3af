#include "core/IPUn.h"

#include "platform/LocalAddress.h"

namespace kc {

namespace {

std::string &chosenInterface() {
  static std::string name;
  return name;
}

} // namespace

std::string GetLocalIP() { return localIPv4(chosenInterface()); }

void SetLocalInterface(std::string_view Name) { chosenInterface().assign(Name); }

std::optional<std::string> GetIPOctet(std::string_view IP, int N) {
  if (IP.empty()) return std::nullopt;
  if (IP.find('.') == std::string_view::npos) return std::string();
  int part = 1;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = IP.find('.', start);
    if (part == N) return std::string(IP.substr(start, dot == std::string_view::npos ? dot : dot - start));
    if (dot == std::string_view::npos) return std::string();
    start = dot + 1;
    ++part;
  }
}

std::optional<std::string> GetBroadcastAddress(std::string_view IP) {
  const auto a = GetIPOctet(IP, 1), b = GetIPOctet(IP, 2), c = GetIPOctet(IP, 3);
  if (!a || !b || !c) return std::nullopt;
  return *a + "." + *b + "." + *c + ".255";
}

} // namespace kc
