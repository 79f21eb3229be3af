#include "richtext/document/RVStyleIni.h"

#include "platform/AsciiCase.h"
#include "platform/HexDigits.h"
#include "platform/IniStore.h"
#include "richtext/document/RVStyle.h"

namespace kc {
namespace styleio {

std::string UpperA(std::string s) { return asciiUppered(s); }

void WriteIntIfNotDef(IniStore &Ini, const std::string &Section, const std::string &Key, int Value, int Def) {
  if (Value != Def) Ini.writeInteger(Section, Key, Value);
}

int32_t ColorToStored(TColor c) {
  if (isSysColor(c) && (static_cast<uint32_t>(c) & 0xFF000000u) == 0x80000000u)
    return static_cast<int32_t>(0xFF000000u | (static_cast<uint32_t>(c) & 0x00FFFFFFu));
  return c;
}

TColor ColorFromStored(int32_t v) {
  if ((static_cast<uint32_t>(v) & 0xFF000000u) == 0xFF000000u)
    return sysColor(static_cast<int>(static_cast<uint32_t>(v) & 0x00FFFFFFu));
  return v;
}

void WriteColorIfNotDef(IniStore &Ini, const std::string &Section, const std::string &Key, TColor Value, TColor Def) {
  if (Value != Def) Ini.writeInteger(Section, Key, ColorToStored(Value));
}

TColor ReadColor(IniStore &Ini, const std::string &Section, const std::string &Key, TColor Def) {
  return ColorFromStored(Ini.readInteger(Section, Key, ColorToStored(Def)));
}

void WriteBoolIfNotDef(IniStore &Ini, const std::string &Section, const std::string &Key, bool Value, bool Def) {
  if (Value != Def) Ini.writeString(Section, Key, Value ? "Yes" : "No");
}

bool ReadBool(IniStore &Ini, const std::string &Section, const std::string &Key, bool Def) {
  return UpperA(Ini.readString(Section, Key, Def ? "Yes" : "No")) == "YES";
}

std::string K(const std::string &KeyFormat, const char *Key) { return RVApplyKeyFormat(KeyFormat, Key); }

namespace {
// The class library's colour texts.
struct ColorIdent {
  TColor Color;
  const char *Name;
};
const ColorIdent ColorIdents[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {TColor(0xC0DCC0), "clMoneyGreen"},
    {TColor(0xF0CAA6), "clSkyBlue"},
    {TColor(0xF0FBFF), "clCream"},
    {TColor(0xA4A0A0), "clMedGray"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
};

} // namespace

const char *ColorIdentName(TColor c) {
  for (const auto &ci : ColorIdents)
    if (ci.Color == c) return ci.Name;
  return nullptr;
}

std::string ColorToString(TColor c) {
  if (const char *name = ColorIdentName(c)) return name;
  static const char digits[] = "0123456789ABCDEF";
  std::string r = "$";
  uint32_t u = static_cast<uint32_t>(ColorToStored(c));
  for (int sh = 28; sh >= 0; sh -= 4) r += digits[(u >> sh) & 15];
  return r;
}

// Decimal or "$" hexadecimal within 32 bits; false for anything else.
bool StrToInt32(const std::string &s, int32_t &v) {
  if (s.empty()) return false;
  size_t i = 0;
  bool neg = false;
  if (s[0] == '-' || s[0] == '+') {
    neg = s[0] == '-';
    i = 1;
  }
  int64_t r = 0;
  if (i < s.size() && s[i] == '$') {
    ++i;
    if (i >= s.size() || s.size() - i > 8) return false;
    for (; i < s.size(); ++i) {
      const int d = hexDigitValue(static_cast<unsigned char>(s[i]));
      if (d < 0) return false;
      r = r * 16 + d;
    }
    v = static_cast<int32_t>(static_cast<uint32_t>(neg ? -r : r));
    return true;
  }
  if (i >= s.size() || s.size() - i > 10) return false;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    r = r * 10 + (s[i] - '0');
  }
  if (neg) r = -r;
  if (r < INT32_MIN || r > INT32_MAX) return false;
  v = static_cast<int32_t>(r);
  return true;
}

bool StringToColor(const std::string &s, TColor &c) {
  for (const auto &ci : ColorIdents)
    if (asciiEqualNoCase(ci.Name, s)) {
      c = ci.Color;
      return true;
    }
  int32_t v = 0;
  if (!StrToInt32(s, v)) return false;
  c = ColorFromStored(v);
  return true;
}

} // namespace styleio

// ===================================================================== helpers

using styleio::IntToStr;

std::string RVApplyKeyFormat(const std::string &KeyFormat, const std::string &Text) {
  std::string r;
  r.reserve(KeyFormat.size() + Text.size());
  bool done = false;
  for (size_t i = 0; i < KeyFormat.size(); ++i) {
    if (!done && KeyFormat[i] == '%' && i + 1 < KeyFormat.size() && KeyFormat[i + 1] == 's') {
      r += Text;
      ++i;
      done = true;
    } else {
      r += KeyFormat[i];
    }
  }
  return r;
}

void WriteLongString(IniStore &Ini, const std::string &Section, const std::string &Key, const std::string &Value) {
  constexpr size_t Piece = 500;
  for (size_t i = 0, n = 0; i < Value.size(); i += Piece, ++n)
    Ini.writeString(Section, Key + "_" + IntToStr(static_cast<long long>(n)), Value.substr(i, Piece));
}

std::string ReadLongString(IniStore &Ini, const std::string &Section, const std::string &Key) {
  std::string r;
  for (long long n = 0;; ++n) {
    std::string piece = Ini.readString(Section, Key + "_" + IntToStr(n), "");
    if (piece.empty()) break;
    r += piece;
  }
  return r;
}

std::string RVBytesToHex(const std::string &Bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string r;
  r.reserve(Bytes.size() * 2);
  for (unsigned char c : Bytes) {
    r += digits[c >> 4];
    r += digits[c & 15];
  }
  return r;
}

bool RVHexToBytes(const std::string &Hex, std::string &Result) {
  Result.clear();
  if (Hex.size() % 2 != 0) return false;
  auto val = [](char c) { return hexDigitValue(static_cast<unsigned char>(c)); };
  std::string r;
  r.reserve(Hex.size() / 2);
  for (size_t i = 0; i < Hex.size(); i += 2) {
    int h = val(Hex[i]), l = val(Hex[i + 1]);
    if (h < 0 || l < 0) return false;
    r += static_cast<char>(h * 16 + l);
  }
  Result = std::move(r);
  return true;
}

} // namespace kc
