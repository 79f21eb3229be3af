#pragma once
// Conventions of the style files' ini form shared by the style classes:
// numbers and Booleans written only when not their defaults, colours as the
// Windows program numbers them, and the class library's colour texts.
#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/CanvasTypes.h"

namespace kc {

class IniStore;
struct TRVMarkerFont;

namespace styleio {

inline std::string IntToStr(long long v) { return std::to_string(v); }

std::string UpperA(std::string s);

// Stored enumerations outside their range read as the default.
template <typename E> E EnumFromInt(int v, int count, E def) { return (v >= 0 && v < count) ? static_cast<E>(v) : def; }

// A style number read from a store: anything negative is "none".
inline int32_t StyleNoFromInt(int64_t v) { return v < 0 ? -1 : static_cast<int32_t>(std::min<int64_t>(v, INT32_MAX)); }

// Whether the compared value's reference, taken through the mapping built so
// far, is Ours. One the mapping does not reach yet counts as equal; neither
// entry is touched.
template <class Mapping> bool SameMappedStyleNo(int32_t Theirs, int32_t Ours, const Mapping &M) {
  if (Theirs >= 0 && Theirs < M.Count()) return M[Theirs] == Ours;
  return true;
}

// Stored colours keep the Windows program's numbers, where system colours
// are 0xFF000000 + index (clWindowText is -16777208); in memory they are
// 0x80000000 + index. Both forms are read.
int32_t ColorToStored(TColor c);
TColor ColorFromStored(int32_t v);

void WriteIntIfNotDef(IniStore &Ini, const std::string &Section, const std::string &Key, int Value, int Def);
void WriteColorIfNotDef(IniStore &Ini, const std::string &Section, const std::string &Key, TColor Value, TColor Def);
TColor ReadColor(IniStore &Ini, const std::string &Section, const std::string &Key, TColor Def);
void WriteBoolIfNotDef(IniStore &Ini, const std::string &Section, const std::string &Key, bool Value, bool Def);
bool ReadBool(IniStore &Ini, const std::string &Section, const std::string &Key, bool Def);
// A key of a format.
std::string K(const std::string &KeyFormat, const char *Key);

// The class library's colour texts: an identifier, or "$" and eight digits.
std::string ColorToString(TColor c);
// The identifier of a colour that has one, else null.
const char *ColorIdentName(TColor c);
bool StringToColor(const std::string &s, TColor &c);
// Decimal or "$" hexadecimal within 32 bits; false for anything else.
bool StrToInt32(const std::string &s, int32_t &v);

} // namespace styleio
} // namespace kc
