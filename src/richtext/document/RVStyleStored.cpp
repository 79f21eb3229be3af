#include "richtext/document/RVStyleStored.h"

#include "platform/AsciiCase.h"
#include "richtext/document/RVStyleIni.h"
#include "richtext/document/RVUni.h"

namespace kc {
namespace styleio {

bool ValueInt(const TRVStoredValue &v, int32_t &out) {
  if (v.Kind != TRVStoredValue::Int || v.I < INT32_MIN || v.I > INT32_MAX) return false;
  out = static_cast<int32_t>(v.I);
  return true;
}

bool ValueColor(const TRVStoredValue &v, TColor &out) {
  if (v.Kind == TRVStoredValue::Ident)
    return StringToColor(v.S, out) && !v.S.empty() && v.S[0] != '$' && !(v.S[0] >= '0' && v.S[0] <= '9');
  int32_t i;
  if (!ValueInt(v, i)) return false;
  out = ColorFromStored(i);
  return true;
}

namespace {
// The class library's names of the font charsets, as stored forms write them.
struct CharsetIdent {
  uint8_t Charset;
  const char *Name;
};
const CharsetIdent CharsetIdents[] = {
    {0, "ANSI_CHARSET"},          {1, "DEFAULT_CHARSET"},   {2, "SYMBOL_CHARSET"},    {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"},    {129, "HANGEUL_CHARSET"}, {130, "JOHAB_CHARSET"},   {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"},   {162, "TURKISH_CHARSET"}, {177, "HEBREW_CHARSET"},
    {178, "ARABIC_CHARSET"},      {186, "BALTIC_CHARSET"},  {204, "RUSSIAN_CHARSET"}, {222, "THAI_CHARSET"},
    {238, "EASTEUROPE_CHARSET"},  {255, "OEM_CHARSET"},
};
} // namespace

// A charset: the class library's name of a known one, or its number.
bool ValueCharset(const TRVStoredValue &v, uint8_t &out) {
  if (v.Kind == TRVStoredValue::Ident) {
    for (const auto &ci : CharsetIdents)
      if (asciiEqualNoCase(v.S, ci.Name)) {
        out = ci.Charset;
        return true;
      }
    return false;
  }
  int32_t i;
  if (!ValueInt(v, i) || i < 0 || i > 255) return false;
  out = uint8_t(i);
  return true;
}

// A cursor: the class library's name of a built-in one, or its number.
bool ValueCursor(const TRVStoredValue &v, TCursor &out) {
  if (v.Kind == TRVStoredValue::Ident) return identToCursor(v.S, out);
  if (v.Kind != TRVStoredValue::Int || v.I < INT16_MIN || v.I > INT16_MAX) return false;
  out = static_cast<TCursor>(v.I);
  return true;
}

bool ValueEnum(const TRVStoredValue &v, std::span<const char *const> names, int &out) {
  if (v.Kind != TRVStoredValue::Ident) return false;
  for (size_t i = 0; i < names.size(); ++i)
    if (asciiEqualNoCase(v.S, names[i])) {
      out = int(i);
      return true;
    }
  return false;
}

bool ValueSet(const TRVStoredValue &v, std::span<const char *const> names, uint32_t &out) {
  if (v.Kind != TRVStoredValue::Set) return false;
  out = 0;
  for (const auto &m : v.Members)
    for (size_t i = 0; i < names.size(); ++i)
      if (asciiEqualNoCase(m, names[i])) out |= 1u << i;
  return true;
}

std::vector<std::string> SetNames(uint32_t bits, std::span<const char *const> names) {
  std::vector<std::string> r;
  for (size_t i = 0; i < names.size(); ++i)
    if (bits & (1u << i)) r.push_back(names[i]);
  return r;
}

bool BytesToU16(const std::string &bytes, std::u16string &w) {
  if (bytes.size() % 2 != 0) return false;
  w = RawToWideString(bytes);
  return true;
}

} // namespace styleio

using namespace styleio;

void TRVPropertyWriter::CharsetIfNot(const char *n, uint8_t c, uint8_t def) {
  if (c == def) return;
  for (const auto &ci : CharsetIdents)
    if (ci.Charset == c) {
      Ident(n, ci.Name);
      return;
    }
  Int(n, c);
}

void TRVPropertyWriter::ColorIfNot(const char *n, TColor c, TColor def) {
  if (c == def) return;
  if (const char *name = ColorIdentName(c)) {
    Ident(n, name);
    return;
  }
  Int(n, ColorToStored(c));
}

} // namespace kc
