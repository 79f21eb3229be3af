#pragma once
// Globally unique identifiers, made from the system's random source.
#include <cstdint>
#include <optional>
#include <string>

namespace kc {

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  uint8_t data4[8] = {};
};

// A new random (version 4) GUID; nothing when the system gives no random bytes.
std::optional<Guid> createGuid();

// The registry text form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", 38
// characters, upper-case hexadecimal.
std::string guidText(const Guid &guid);

// guidText(createGuid()), or "" when no GUID could be made.
std::string newGuidString();

} // namespace kc
