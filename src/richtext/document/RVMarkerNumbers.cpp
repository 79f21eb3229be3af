// Number texts of list markers: decimal, letters, Roman numerals.
#include "richtext/document/RVMarker.h"

#include <string>

#include "platform/AsciiCase.h"

namespace kc {

std::string RVMarkerDecimal(int32_t Value) { return std::to_string(Value); }

std::string RVMarkerAlpha(int32_t Value, bool Upper) {
  std::string r;
  int64_t v = Value;
  const char base = Upper ? 'A' : 'a';
  while (v > 0) {
    --v;
    r.insert(r.begin(), static_cast<char>(base + v % 26));
    v /= 26;
  }
  return r;
}

std::string RVMarkerRoman(int32_t Value, bool Upper) {
  if (Value < 1) return "?";
  // Beyond the standard numerals the text would grow with the number.
  if (Value > RVMaxRomanNumber) return RVMarkerDecimal(Value);
  static const struct {
    int Value;
    const char *Text;
  } Digits[] = {{1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
                {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
  std::string r;
  int v = Value;
  for (const auto &d : Digits)
    while (v >= d.Value) {
      r += d.Text;
      v -= d.Value;
    }
  return Upper ? r : asciiLowered(r);
}

std::string RVMarkerNumberText(TRVListType ListType, int32_t Value) {
  switch (ListType) {
  case rvlstDecimal:
  case rvlstImageListCounter: return RVMarkerDecimal(Value);
  case rvlstLowerAlpha: return RVMarkerAlpha(Value, false);
  case rvlstUpperAlpha: return RVMarkerAlpha(Value, true);
  case rvlstLowerRoman: return RVMarkerRoman(Value, false);
  case rvlstUpperRoman: return RVMarkerRoman(Value, true);
  default: return std::string();
  }
}

} // namespace kc
