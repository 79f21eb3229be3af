#pragma once
// The class library's component stream, in which documents keep objects
// that are more than a list of values (a table with its grid of cells): the
// signature "TPF0", then a component: its class name, its object name, its
// properties (a name, then a value) up to an empty name, and its child
// components up to a 0. A property written by the object's own code may
// hold plain values, lists of them and whole nested components. The values
// are those of RVStyleStored.h.
#include <cstdint>
#include <string>
#include <string_view>

#include "richtext/document/RVStyleStored.h"

namespace kc {

namespace styleio {
// Value kinds the stored styles never write but a component stream may hold.
enum : uint8_t {
  vaExtended = 5,
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,
  vaUTF8String = 20,
  vaDouble = 21,
};
// Lists inside lists (and the values in them) that passing over a value
// follows; deeper is taken for damage.
constexpr int MaxSkipDepth = 8;
} // namespace styleio

class TRVComponentWriter : public TRVPropertyWriter {
public:
  void Signature() { Out += "TPF0"; }
  // The head of a component; its properties follow, then EndList twice
  // (no more properties, no children).
  void BeginComponent(const std::string &ClassName, const std::string &ObjectName) {
    ShortStr(ClassName);
    ShortStr(ObjectName);
  }
  void BeginList() { Out += char(styleio::vaList); }
};

class TRVComponentReader : public styleio::TRVPropertyReader {
public:
  using TRVPropertyReader::TRVPropertyReader;

  size_t Left() const { return D.size() - P; }
  bool Signature() {
    std::string s;
    return Bytes(4, s) && s == "TPF0";
  }
  // A component's head: a prefix byte of flags (with a child position
  // after it when flag 2 is set) may come first, then the two names.
  bool ComponentHeader(std::string &ClassName, std::string &ObjectName) {
    uint8_t b;
    if (!Peek(b)) return false;
    if ((b & 0xF0) == 0xF0) {
      ++P;
      if (b & 2) {
        int32_t pos;
        if (!IntValue(pos)) return false;
      }
    }
    return ShortStr(ClassName) && ShortStr(ObjectName);
  }
  // The next property's name; an empty name ends the properties.
  bool PropName(std::string &Name) { return ShortStr(Name); }
  bool Peek(uint8_t &b) const {
    if (P >= D.size()) return false;
    b = uint8_t(D[P]);
    return true;
  }
  // An integer of 8, 16 or 32 bits.
  bool IntValue(int32_t &v) {
    uint8_t t;
    if (!Peek(t) || (t != styleio::vaInt8 && t != styleio::vaInt16 && t != styleio::vaInt32)) return false;
    TRVStoredValue sv;
    return Value(sv, 0) && styleio::ValueInt(sv, v);
  }
  bool BinaryValue(std::string &bytes) {
    uint8_t t;
    uint64_t n;
    if (!Byte(t) || t != styleio::vaBinary || !LE(4, n)) return false;
    return Bytes(size_t(n), bytes);
  }
  bool ListBegin() {
    uint8_t t;
    return Byte(t) && t == styleio::vaList;
  }
  // Whether a list (or the properties, or the children) ends here; the
  // end mark is passed over when it does.
  bool EndHere() {
    uint8_t t;
    if (!Peek(t) || t != styleio::vaNull) return false;
    ++P;
    return true;
  }
  // Whether the next value is of a kind that Value reads.
  bool PlainValueNext() const {
    using namespace styleio;
    uint8_t t;
    if (!Peek(t)) return false;
    switch (t) {
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
    case vaFalse:
    case vaTrue:
    case vaString:
    case vaLString:
    case vaIdent:
    case vaNil:
    case vaNull:
    case vaBinary:
    case vaSet:
    case vaCollection: return true;
    default: return false;
    }
  }
  // Passes over one value of any kind.
  bool SkipValue(int Depth = 0) {
    using namespace styleio;
    if (Depth > MaxSkipDepth) return false;
    if (PlainValueNext()) {
      TRVStoredValue v;
      return Value(v, 0);
    }
    uint8_t t;
    uint64_t n;
    std::string s;
    if (!Byte(t)) return false;
    switch (t) {
    case vaList:
      while (!EndHere())
        if (!SkipValue(Depth + 1)) return false;
      return true;
    case vaExtended: return Bytes(10, s);
    case vaSingle: return Bytes(4, s);
    case vaCurrency:
    case vaDate:
    case vaDouble: return Bytes(8, s);
    case vaWString: return LE(4, n) && n <= Left() / 2 && Bytes(size_t(n) * 2, s);
    case vaUTF8String: return LE(4, n) && Bytes(size_t(n), s);
    default: return false;
    }
  }
};

} // namespace kc
