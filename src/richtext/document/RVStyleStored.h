#pragma once
// The stored form of the style tables inside documents: the class library's
// component-stream values, a type byte and then the value; names are short
// strings (a length byte and the bytes).
#include <algorithm>
#include <cstdint>
#include <string>
#include <span>
#include <string_view>
#include <vector>

#include "platform/CanvasTypes.h"
#include "platform/Cursors.h"

namespace kc {

namespace styleio {
enum : uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaInt64 = 19,
};
// Collections inside collections (the levels of a list style) and no deeper.
constexpr int MaxStreamDepth = 3;
} // namespace styleio

struct TRVStoredValue {
  enum TKind { Int, Bool, Str, Ident, Set, Binary, Collection, Nil } Kind = Nil;
  int64_t I = 0;
  bool B = false;
  std::string S; // text, identifier or binary bytes
  std::vector<std::string> Members;
  // One entry of a collection: its properties in stream order.
  struct TItem {
    std::vector<std::string> Names;
    std::vector<TRVStoredValue> Values;
  };
  std::vector<TItem> Items;
};

class TRVPropertyWriter {
  // The value type bytes.

public:
  std::string Out;
  // Put before every name: the path of a nested object's properties ("T.").
  std::string Prefix;

  void Name(const std::string &n) { ShortStr(Prefix + n); }
  void Int(const char *n, int64_t v) {
    Name(n);
    IntValue(v);
  }
  // A value without a name (inside a list).
  void IntValue(int64_t v) {
    if (v >= -128 && v <= 127) {
      Out += char(styleio::vaInt8);
      Out += char(static_cast<int8_t>(v));
    } else if (v >= -32768 && v <= 32767) {
      Out += char(styleio::vaInt16);
      LE(uint64_t(v), 2);
    } else if (v >= INT32_MIN && v <= INT32_MAX) {
      Out += char(styleio::vaInt32);
      LE(uint64_t(v), 4);
    } else {
      Out += char(styleio::vaInt64);
      LE(uint64_t(v), 8);
    }
  }
  void IntIfNot(const char *n, int64_t v, int64_t def) {
    if (v != def) Int(n, v);
  }
  void Bool(const char *n, bool v) {
    Name(n);
    Out += char(v ? styleio::vaTrue : styleio::vaFalse);
  }
  void BoolIfNot(const char *n, bool v, bool def) {
    if (v != def) Bool(n, v);
  }
  void Str(const char *n, const std::string &v) {
    Name(n);
    if (v.size() <= 255) {
      Out += char(styleio::vaString);
      Out += char(v.size());
    } else {
      Out += char(styleio::vaLString);
      LE(v.size(), 4);
    }
    Out += v;
  }
  void Ident(const char *n, const std::string &v) {
    Name(n);
    Out += char(styleio::vaIdent);
    ShortStr(v);
  }
  void SetOf(const char *n, const std::vector<std::string> &members) {
    Name(n);
    Out += char(styleio::vaSet);
    for (const auto &m : members) ShortStr(m);
    Out += char(0);
  }
  void Binary(const char *n, const std::string &bytes) {
    Name(n);
    Out += char(styleio::vaBinary);
    LE(bytes.size(), 4);
    Out += bytes;
  }
  void ColorIfNot(const char *n, TColor c, TColor def);
  void CharsetIfNot(const char *n, uint8_t c, uint8_t def);
  // Built-in cursors by their names, as the class library writes them.
  void CursorIfNot(const char *n, TCursor c, TCursor def) {
    if (c == def) return;
    std::string ident;
    if (cursorToIdent(c, ident)) Ident(n, ident);
    else Int(n, c);
  }
  void BeginCollection(const char *n) {
    Name(n);
    Out += char(styleio::vaCollection);
  }
  void BeginItem() { Out += char(styleio::vaList); }
  void EndList() { Out += char(styleio::vaNull); }

  void ShortStr(const std::string &s) {
    size_t n = std::min<size_t>(s.size(), 255);
    Out += char(n);
    Out.append(s, 0, n);
  }
  void LE(uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) Out += char((v >> (8 * i)) & 0xFF);
  }
};

namespace styleio {

class TRVPropertyReader {
public:
  explicit TRVPropertyReader(std::string_view d) : D(d) {}
  std::string_view D;
  size_t P = 0;

  bool Byte(uint8_t &b) {
    if (P >= D.size()) return false;
    b = uint8_t(D[P++]);
    return true;
  }
  bool LE(int bytes, uint64_t &v) {
    if (D.size() - P < size_t(bytes)) return false;
    v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint64_t(uint8_t(D[P + size_t(i)])) << (8 * i);
    P += size_t(bytes);
    return true;
  }
  bool Bytes(size_t n, std::string &s) {
    if (D.size() - P < n) return false;
    s.assign(D.substr(P, n));
    P += n;
    return true;
  }
  bool ShortStr(std::string &s) {
    uint8_t n;
    return Byte(n) && Bytes(n, s);
  }
  // A signed little-endian integer of T's size.
  template <typename T> bool Int(TRVStoredValue &v) {
    uint64_t u;
    if (!LE(int(sizeof(T)), u)) return false;
    v.Kind = TRVStoredValue::Int;
    v.I = static_cast<T>(u);
    return true;
  }
  // One value of any kind; collections are read with their items.
  bool Value(TRVStoredValue &v, int depth) {
    uint8_t t;
    if (!Byte(t)) return false;
    uint64_t u = 0;
    switch (t) {
    case vaInt8: return Int<int8_t>(v);
    case vaInt16: return Int<int16_t>(v);
    case vaInt32: return Int<int32_t>(v);
    case vaInt64: return Int<int64_t>(v);
    case vaFalse:
    case vaTrue:
      v.Kind = TRVStoredValue::Bool;
      v.B = t == vaTrue;
      return true;
    case vaString: v.Kind = TRVStoredValue::Str; return ShortStr(v.S);
    case vaLString: v.Kind = TRVStoredValue::Str; return LE(4, u) && Bytes(size_t(u), v.S);
    case vaIdent: v.Kind = TRVStoredValue::Ident; return ShortStr(v.S);
    case vaNil:
    case vaNull: v.Kind = TRVStoredValue::Nil; return true;
    case vaBinary: v.Kind = TRVStoredValue::Binary; return LE(4, u) && Bytes(size_t(u), v.S);
    case vaSet:
      v.Kind = TRVStoredValue::Set;
      for (;;) {
        std::string m;
        if (!ShortStr(m)) return false;
        if (m.empty()) return true;
        v.Members.push_back(std::move(m));
      }
    case vaCollection: v.Kind = TRVStoredValue::Collection; return Items(v.Items, depth + 1);
    default: return false;
    }
  }
  // The items of a collection after its type byte, up to the closing 0.
  bool Items(std::vector<TRVStoredValue::TItem> &items, int depth) {
    if (depth > MaxStreamDepth) return false;
    for (;;) {
      uint8_t t;
      if (!Byte(t)) return false;
      if (t == vaNull) return true;
      // An item may be preceded by its order number.
      if (t == vaInt8 || t == vaInt16 || t == vaInt32) {
        uint64_t skip;
        if (!LE(t == vaInt8 ? 1 : t == vaInt16 ? 2 : 4, skip) || !Byte(t)) return false;
      }
      if (t != vaList) return false;
      TRVStoredValue::TItem item;
      for (;;) {
        std::string name;
        if (!ShortStr(name)) return false;
        if (name.empty()) break; // the 0 that ends the item
        TRVStoredValue v;
        if (!Value(v, depth)) return false;
        item.Names.push_back(std::move(name));
        item.Values.push_back(std::move(v));
      }
      items.push_back(std::move(item));
    }
  }
};

bool ValueInt(const TRVStoredValue &v, int32_t &out);
bool ValueColor(const TRVStoredValue &v, TColor &out);
// A charset: the class library's name of a known one, or its number.
bool ValueCharset(const TRVStoredValue &v, uint8_t &out);
// A cursor: the class library's name of a built-in one, or its number.
bool ValueCursor(const TRVStoredValue &v, TCursor &out);
bool ValueEnum(const TRVStoredValue &v, std::span<const char *const> names, int &out);
bool ValueSet(const TRVStoredValue &v, std::span<const char *const> names, uint32_t &out);
std::vector<std::string> SetNames(uint32_t bits, std::span<const char *const> names);
bool BytesToU16(const std::string &bytes, std::u16string &w);

// Identifiers of the enumerations and sets, in the order of their values.
inline constexpr const char *BiDiNames[] = {"rvbdUnspecified", "rvbdLeftToRight", "rvbdRightToLeft"};
inline constexpr const char *FontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
inline constexpr const char *FontStyleExNames[] = {"rvfsOverline", "rvfsAllCaps"};
inline constexpr const char *ProtectNames[] = {
    "rvprStyleProtect",    "rvprModifyProtect",    "rvprDeleteProtect", "rvprConcateProtect", "rvprRVFInsertProtect",
    "rvprDoNotAutoSwitch", "rvprParaStartProtect", "rvprSticking",      "rvprStickToTop",     "rvprStickToBottom"};
inline constexpr const char *TextOptionNames[] = {"rvteoHTMLCode", "rvteoRTFCode"};
inline constexpr const char *AlignmentNames[] = {"rvaLeft", "rvaRight", "rvaCenter", "rvaJustify"};
inline constexpr const char *LineSpacingNames[] = {"rvlsPercent", "rvlsSpaceBetween"};
inline constexpr const char *ParaOptionNames[] = {
    "rvpaoNoWrap",           "rvpaoReadOnly",          "rvpaoStyleProtect",
    "rvpaoDoNotWantReturns", "rvpaoKeepLinesTogether", "rvpaoKeepWithNext"};
inline constexpr const char *BorderStyleNames[] = {"rvbNone",   "rvbSingle",      "rvbDouble",
                                                   "rvbTriple", "rvbThickInside", "rvbThickOutside"};
inline constexpr const char *ListTypeNames[] = {
    "rvlstBullet",     "rvlstPicture",    "rvlstImageList",  "rvlstDecimal",          "rvlstLowerAlpha",
    "rvlstUpperAlpha", "rvlstLowerRoman", "rvlstUpperRoman", "rvlstImageListCounter", "rvlstUnicodeBullet"};
inline constexpr const char *MarkerAlignmentNames[] = {"rvmaLeft", "rvmaRight", "rvmaCenter"};
inline constexpr const char *LevelOptionNames[] = {"rvloContinuous", "rvloLevelReset", "rvloLegalStyleNumbering"};
inline constexpr const char *PitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};

} // namespace styleio
} // namespace kc
