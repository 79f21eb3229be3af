#pragma once
// Case folding of the ASCII letters alone, the way registry keys, clipboard
// format names, font names and file signatures are matched: a byte above 127
// is never folded, whatever the code page it belongs to.
#include <cstddef>
#include <string>
#include <string_view>

namespace kc {

constexpr char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string asciiLowered(std::string_view s) {
  std::string r(s);
  for (char &c : r) c = asciiLower(c);
  return r;
}

inline std::string asciiUppered(std::string_view s) {
  std::string r(s);
  for (char &c : r) c = asciiUpper(c);
  return r;
}

inline bool asciiEqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  return true;
}

} // namespace kc
