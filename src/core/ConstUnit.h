#pragma once
// Shared constants of the messaging core and the small text routines that
// wire and stored texts go through.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/ProgramKey.h"

namespace kc {

// The per-user settings key of the program; every store routine takes it.
inline constexpr std::string_view kProgramKeyText = kProgramKey;

// Puts Args into Format: each "%s", in order, is replaced by the next
// argument as plain text (a "%s" without an argument left becomes empty);
// every other '%' stays as it is. Language and message texts come from files
// and from the network, so they must never reach a printf-style formatter.
std::string FormatText(std::string_view Format, std::initializer_list<std::string_view> Args);

// The class library's Trim: drops leading and trailing characters <= ' '.
std::string_view TrimText(std::string_view Text);

// Signed decimal number: leading blanks, an optional sign, then digits up to
// the end. Anything else, or a value outside 32 bits, fails and leaves Value
// untouched.
bool TryStrToInt(std::string_view Text, std::int32_t &Value);

// As TryStrToInt, and also "$1F" / "0x1F" hexadecimal after the sign, as the
// settings wrapper accepts for stored integers.
bool TryStrToIntOrHex(std::string_view Text, std::int32_t &Value);

} // namespace kc
