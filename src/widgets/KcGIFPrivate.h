#pragma once
// What the parts of the GIF codec share among themselves; not for users of
// the picture (they include KcGIF.h).
#include <cstdint>
#include <string>

namespace kc {

inline constexpr const char *kGIFStreamReadError = "Stream read error";
inline constexpr const char *kGIFWrongColors = "Wrong number of colors; must be a power of 2";
inline constexpr const char *kGIFNoData = "No GIF Data to write";
inline constexpr const char *kGIFEncodingError = "GIF image encoding error";
inline constexpr const char *kGIFTooLarge = "GIF image is too large";

// Smallest n >= 1 with 2^n >= count.
inline int GIFBitsFor(int count) {
  int n = 1;
  while (n < 8 && (1 << n) < count) ++n;
  return n;
}

inline void GIFPut16(std::string &s, uint32_t v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char((v >> 8) & 0xFF));
}

} // namespace kc
