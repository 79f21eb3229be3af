#pragma once
// The local IPv4 address and the broadcast address of its /24 subnet.
#include <optional>
#include <string>
#include <string_view>

namespace kc {

// The local IPv4 address as dotted text; empty when there is none. The
// interface is the one named by --interface / KAVET_INTERFACE, else the one of
// the default route (see platform/LocalAddress.h).
std::string GetLocalIP();
// Chooses the interface GetLocalIP looks at for the rest of the run (the
// program's --interface option); empty = the default choice.
void SetLocalInterface(std::string_view Name);

// The N-th dotted part (N = 1..3) of IP; nothing for an empty IP. A text
// without dots gives empty parts.
std::optional<std::string> GetIPOctet(std::string_view IP, int N);
// The first three dotted parts of IP followed by ".255", whatever the real netmask;
// nothing for an empty IP.
std::optional<std::string> GetBroadcastAddress(std::string_view IP);

} // namespace kc
