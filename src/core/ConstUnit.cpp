#include "core/ConstUnit.h"

#include "platform/HexDigits.h"

#include <cstdint>

namespace kc {

std::string FormatText(std::string_view Format, std::initializer_list<std::string_view> Args) {
  std::string out;
  out.reserve(Format.size());
  auto next = Args.begin();
  size_t i = 0;
  while (i < Format.size()) {
    if (Format[i] == '%' && i + 1 < Format.size() && Format[i + 1] == 's') {
      if (next != Args.end()) {
        out.append(next->data(), next->size());
        ++next;
      }
      i += 2;
      continue;
    }
    out += Format[i];
    ++i;
  }
  return out;
}

std::string_view TrimText(std::string_view Text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!Text.empty() && blank(Text.front())) Text.remove_prefix(1);
  while (!Text.empty() && blank(Text.back())) Text.remove_suffix(1);
  return Text;
}

namespace {

bool parseNumber(std::string_view t, std::int32_t &Value, bool allowHex) {
  size_t i = 0;
  while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    negative = t[i] == '-';
    ++i;
  }
  unsigned base = 10;
  if (allowHex && i < t.size()) {
    if (t[i] == '$') {
      base = 16;
      ++i;
    } else if (t[i] == '0' && i + 1 < t.size() && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
      base = 16;
      i += 2;
    }
  }
  if (i == t.size()) return false;
  // Magnitudes are gathered in 64 bits and stopped as soon as they cannot be
  // a 32-bit value any more, so no digit string can overflow.
  const std::uint64_t limit = negative ? 0x80000000ull : (base == 16 ? 0xFFFFFFFFull : 0x7FFFFFFFull);
  std::uint64_t magnitude = 0;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    const int value = hexDigitValue(c);
    if (value < 0 || static_cast<unsigned>(value) >= base) return false;
    const auto digit = static_cast<unsigned>(value);
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return false;
  }
  std::int64_t v = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  // Hexadecimal texts name the 32 bits themselves ("$FFFFFFFF" is -1).
  if (v > 0x7FFFFFFFll) v -= 0x100000000ll;
  Value = static_cast<std::int32_t>(v);
  return true;
}

} // namespace

bool TryStrToInt(std::string_view Text, std::int32_t &Value) { return parseNumber(Text, Value, false); }

bool TryStrToIntOrHex(std::string_view Text, std::int32_t &Value) { return parseNumber(Text, Value, true); }

} // namespace kc
