#pragma once
// Small computations the parts of the RTF reader share.
#include <cstdint>
#include <string>
#include <string_view>

#include "richtext/controls/RVRTF.h"

namespace kc::rtf {

// num / den rounded halves to even, as the platform's Round does; saturates.
int32_t roundHalfEven(int64_t num, int64_t den);
// The value of a hexadecimal digit, -1 for any other byte.
int hexValue(int c);
inline bool isLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
// A background mixed with its pattern colour by shading in hundredths of a
// percent; clNone counts as white.
TRVRTFColor mixShading(TRVRTFColor back, TRVRTFColor fore, int32_t shading);
std::string_view trimView(std::string_view s);

} // namespace kc::rtf
