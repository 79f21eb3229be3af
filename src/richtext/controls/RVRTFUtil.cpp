#include "richtext/controls/RVRTFUtil.h"

#include <algorithm>

#include "platform/HexDigits.h"

namespace kc::rtf {

namespace {

uint32_t colorToRGB(TRVRTFColor c, uint32_t forNone) {
  if (c == rtf_clNone) return forNone;
  if (uint32_t(c) & 0xFF000000u) // system colours: window text is black
    return 0;
  return uint32_t(c) & 0xFFFFFF;
}

} // namespace

int32_t roundHalfEven(int64_t num, int64_t den) {
  if (den < 0) {
    num = -num;
    den = -den;
  }
  int64_t q = num / den, r = num % den;
  if (r < 0) {
    q -= 1;
    r += den;
  }
  if (2 * r > den || (2 * r == den && (q & 1))) ++q;
  return int32_t(std::clamp<int64_t>(q, INT32_MIN, INT32_MAX));
}

int hexValue(int c) { return hexDigitValue(c); }

TRVRTFColor mixShading(TRVRTFColor back, TRVRTFColor fore, int32_t shading) {
  const int64_t s = std::clamp<int32_t>(shading, 0, 10000);
  uint32_t b = colorToRGB(back, 0xFFFFFF), f = colorToRGB(fore, 0);
  uint32_t out = 0;
  for (int sh = 0; sh < 24; sh += 8) {
    int64_t bc = (b >> sh) & 0xFF, fc = (f >> sh) & 0xFF;
    out |= uint32_t(((10000 - s) * bc + s * fc) / 10000) << sh;
  }
  return TRVRTFColor(out);
}

std::string_view trimView(std::string_view s) {
  while (!s.empty() && uint8_t(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && uint8_t(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

} // namespace kc::rtf
