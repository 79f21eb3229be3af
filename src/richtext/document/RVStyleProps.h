#pragma once
// Property tables of the style entries. Each class of style properties (text
// styles, paragraph styles, borders, backgrounds, list levels, and later table
// and cell properties) is described once, row by row in declared order: what a
// property is, its default, how it is compared and weighed, its ini key and
// form, its stored name, its CSS name. Copying, equality, similarity scores
// and the ini and stored forms all walk these rows, so a property added to a
// table reaches every one of them; writers of other formats walk them too:
//
//   for (const TRVProp &p : RVTextStyleProps().Rows)
//     if (p.Kind() == TRVPropKind::Color) Out(p.Name, p.Member.Get(&style));
//
// A row's accessors take the object of the table's own class.
#include <cstdint>
#include <span>
#include <string>
#include <type_traits>

namespace kc {

class IniStore;
class TRVPropertyWriter;
struct TRVStoredValue;
struct TRVStyleStreamLinks;
struct TRVPropTable;

enum class TRVPropKind : uint8_t {
  Int,     // 32-bit signed number
  StyleNo, // a style number; anything negative read is -1 (none)
  Color,
  Bool,
  Enum, // enumeration with identifier names
  Set,  // set with member names; Get/Set pass its bits
  Cursor,
  Charset,
  Str,
  WStr,   // UTF-16 text
  Object, // a nested object described by a table of its own
  Custom, // handled by the row's own operations
};

// Operations of a property that does not fit the kinds (pictures, marker
// fonts, references to image lists). Any may be null: the property then takes
// no part in that operation.
struct TRVPropCustom {
  void (*Assign)(void *Dest, const void *Source);
  bool (*Equal)(const void *A, const void *B);
  void (*WriteIni)(const void *Obj, IniStore &Ini, const std::string &Section, const std::string &KeyFormat);
  void (*ReadIni)(void *Obj, IniStore &Ini, const std::string &Section, const std::string &KeyFormat);
  void (*WriteStored)(const void *Obj, TRVPropertyWriter &W, const TRVStyleStreamLinks *Links);
  // False for a name that is not this property's (or a value it refuses).
  bool (*ReadStored)(void *Obj, const std::string &Name, const TRVStoredValue &Value, const TRVStyleStreamLinks *Links);
};

// How a row reaches its member; made by RVMember<&Class::Field>().
struct TRVPropAccess {
  int64_t (*Get)(const void *) = nullptr;
  void (*Set)(void *, int64_t) = nullptr;
  const std::string &(*GetStr)(const void *) = nullptr;
  void (*SetStr)(void *, const std::string &) = nullptr;
  const std::u16string &(*GetWStr)(const void *) = nullptr;
  void (*SetWStr)(void *, const std::u16string &) = nullptr;
  void *(*Sub)(void *) = nullptr;
  const void *(*CSub)(const void *) = nullptr;
  const TRVPropCustom *Custom = nullptr;
};

// A member of a set whose ini form has one Boolean key per member.
struct TRVSetMember {
  uint8_t Bit;
  const char *IniKey;
  int8_t MaskBit;    // in the owner's "ignore" mask, -1 none
  int32_t SameBonus; // similarity when both have it or both lack it
};

struct TRVPropType {
  TRVPropKind Kind = TRVPropKind::Int;
  std::span<const char *const> Names{};     // identifiers of enumerations and set members
  std::span<const TRVSetMember> Members{};  // sets: ini keys, mask bits and weights per member
  const TRVPropTable *Object = nullptr;     // nested objects
  const char *DefaultText = nullptr;        // strings
  int32_t Min = INT32_MIN, Max = INT32_MAX; // integers: what reading keeps
};

// When a property takes part in equality.
enum class TRVPropWhen : uint8_t {
  Always,
  LinkOnly,  // compared only when this style is a hyperlink, weighed only when both are
  Reference, // a style number: left out of IsEqualTo when references are ignored
};

struct TRVPropCompare {
  int8_t MaskBit = -1; // in the owner's "ignore" mask; for objects the first bit of theirs
  TRVPropWhen When = TRVPropWhen::Always;
  bool NoCase = false; // strings compared without ASCII case
};

enum class TRVWeightKind : uint8_t {
  None,
  Integer, // IntegerWeight(reference, other, W); W 0 takes the enclosing object's weight
  Color,   // ColorWeight(reference, other, W, C)
  Same,    // +W when equal
  Differ,  // -W when different
  Members, // sets: each member's bonus
  Object,  // the nested table's score, its integers weighed W
};

struct TRVPropWeight {
  TRVWeightKind Kind = TRVWeightKind::None;
  int32_t W = 0, C = 0;
  int8_t Divisor = 1; // the score is divided (toward zero) by this
};

enum class TRVIniForm : uint8_t {
  None,
  Value,  // written when not the default; colours in their stored numbers, Booleans "Yes"/"No"
  Always, // written whatever it holds
  Bits,   // sets: one Boolean key per member, each written when not its default
  Hex,    // bytes (UTF-16 bytes of wide text) as hexadecimal, written when not empty
  Prefix, // objects: the key text is the format of the object's own keys
};

struct TRVPropIni {
  const char *Key = nullptr;
  TRVIniForm Form = TRVIniForm::None;
  int8_t Order = 0; // place among the keys written (they predate the declared order)
};

enum class TRVStoredForm : uint8_t {
  None,
  Published, // in declared order when not the default (strings: when not empty)
  Defined,   // after the published ones, as hexadecimal text when not the default
};

struct TRVPropStored {
  TRVStoredForm Form = TRVStoredForm::Published;
  const char *Name = nullptr; // null: the property's name
};

struct TRVProp {
  const char *Name;
  TRVPropAccess Member;
  TRVPropType Type;
  int64_t Default;
  TRVPropCompare Compare;
  TRVPropWeight Weight;
  TRVPropIni Ini;
  TRVPropStored Stored;
  const char *Css; // the CSS property it is written as, null none

  TRVPropKind Kind() const { return Type.Kind; }
  const char *StoredName() const { return Stored.Name ? Stored.Name : Name; }
};

struct TRVPropTable {
  std::span<const TRVProp> Rows;
  // Whether the object is a hyperlink (rows compared only then); null never.
  bool (*IsLink)(const void *) = nullptr;
  // Similarity takes the other object's values as the reference.
  bool OtherIsReference = false;

  const TRVProp *Find(const char *Name) const;
};

// ----------------------------------------------------------- making rows

template <auto M> struct TRVMemberTraits;
template <class C, class T, T C::*M> struct TRVMemberTraits<M> {
  using Class = C;
  using Type = T;
};

template <auto M> constexpr TRVPropAccess RVMember() {
  using C = typename TRVMemberTraits<M>::Class;
  using T = typename TRVMemberTraits<M>::Type;
  TRVPropAccess a;
  if constexpr (std::is_same_v<T, std::string>) {
    a.GetStr = [](const void *o) -> const std::string & { return static_cast<const C *>(o)->*M; };
    a.SetStr = [](void *o, const std::string &v) { static_cast<C *>(o)->*M = v; };
  } else if constexpr (std::is_same_v<T, std::u16string>) {
    a.GetWStr = [](const void *o) -> const std::u16string & { return static_cast<const C *>(o)->*M; };
    a.SetWStr = [](void *o, const std::u16string &v) { static_cast<C *>(o)->*M = v; };
  } else if constexpr (requires(T t) { t.Raw_(); }) {
    a.Get = [](const void *o) -> int64_t { return int64_t((static_cast<const C *>(o)->*M).Raw_()); };
    a.Set = [](void *o, int64_t v) { static_cast<C *>(o)->*M = T::FromRaw(static_cast<decltype(T().Raw_())>(v)); };
  } else if constexpr (std::is_class_v<T>) {
    a.Sub = [](void *o) -> void * { return &(static_cast<C *>(o)->*M); };
    a.CSub = [](const void *o) -> const void * { return &(static_cast<const C *>(o)->*M); };
  } else {
    a.Get = [](const void *o) -> int64_t { return int64_t(static_cast<const C *>(o)->*M); };
    a.Set = [](void *o, int64_t v) { static_cast<C *>(o)->*M = static_cast<T>(v); };
  }
  return a;
}

constexpr TRVPropAccess RVCustom(const TRVPropCustom &Ops) {
  TRVPropAccess a;
  a.Custom = &Ops;
  return a;
}

constexpr TRVPropType RVKind(TRVPropKind Kind) { return TRVPropType{Kind}; }
// An integer that reading from a file keeps within Min .. Max.
constexpr TRVPropType RVIntRange(int32_t Min, int32_t Max) {
  TRVPropType t{TRVPropKind::Int};
  t.Min = Min;
  t.Max = Max;
  return t;
}
constexpr TRVPropType RVEnum(std::span<const char *const> Names) {
  TRVPropType t{TRVPropKind::Enum};
  t.Names = Names;
  return t;
}
constexpr TRVPropType RVSet(std::span<const char *const> Names, std::span<const TRVSetMember> Members = {}) {
  TRVPropType t{TRVPropKind::Set};
  t.Names = Names;
  t.Members = Members;
  return t;
}
constexpr TRVPropType RVStr(const char *Default) {
  TRVPropType t{TRVPropKind::Str};
  t.DefaultText = Default;
  return t;
}
constexpr TRVPropType RVObject(const TRVPropTable &Table) {
  TRVPropType t{TRVPropKind::Object};
  t.Object = &Table;
  return t;
}

constexpr TRVPropCompare RVMask(int Bit, TRVPropWhen When = TRVPropWhen::Always) {
  return TRVPropCompare{static_cast<int8_t>(Bit), When, false};
}

// Strings compared without ASCII case.
constexpr TRVPropCompare RVNoCase(int Bit) {
  return TRVPropCompare{static_cast<int8_t>(Bit), TRVPropWhen::Always, true};
}
// Sets whose members carry their own mask bits.
constexpr TRVPropCompare RVPerMember{};

constexpr TRVPropWeight RVNoWeight{};
constexpr TRVPropWeight RVIntegerWeight(int32_t W = 0) { return {TRVWeightKind::Integer, W, 0, 1}; }
constexpr TRVPropWeight RVColorWeight(int32_t W, int32_t C, int8_t Divisor = 1) {
  return {TRVWeightKind::Color, W, C, Divisor};
}
constexpr TRVPropWeight RVSameWeight(int32_t W) { return {TRVWeightKind::Same, W, 0, 1}; }
constexpr TRVPropWeight RVDifferWeight(int32_t W) { return {TRVWeightKind::Differ, W, 0, 1}; }
constexpr TRVPropWeight RVMembersWeight{TRVWeightKind::Members, 0, 0, 1};
constexpr TRVPropWeight RVObjectWeight(int32_t W = 0) { return {TRVWeightKind::Object, W, 0, 1}; }

constexpr TRVPropIni RVIni(const char *Key, int Order, TRVIniForm Form = TRVIniForm::Value) {
  return TRVPropIni{Key, Form, static_cast<int8_t>(Order)};
}
constexpr TRVPropIni RVNoIni{};

constexpr TRVPropStored RVStored{};
constexpr TRVPropStored RVNotStored{TRVStoredForm::None, nullptr};
constexpr TRVPropStored RVDefined(const char *Name) { return TRVPropStored{TRVStoredForm::Defined, Name}; }

// ------------------------------------------------------- walking the rows

// Every operation takes objects of the table's class.
void RVPropsAssign(const TRVPropTable &T, void *Dest, const void *Source);
bool RVPropsEqual(const TRVPropTable &T, const void *A, const void *B, bool IgnoreReferences);
// Ignore: the owner's "ignore" mask; MaskBase: where this table's bits start in it.
bool RVPropsEqualEx(const TRVPropTable &T, const void *A, const void *B, uint64_t Ignore, int MaskBase = 0);
// Weight: for integer rows that take the enclosing object's weight.
int64_t RVPropsSimilarity(const TRVPropTable &T, const void *A, const void *B, int32_t Weight = 0);
void RVPropsWriteIni(const TRVPropTable &T, const void *Obj, IniStore &Ini, const std::string &Section,
                     const std::string &KeyFormat);
void RVPropsReadIni(const TRVPropTable &T, void *Obj, IniStore &Ini, const std::string &Section,
                    const std::string &KeyFormat);
void RVPropsWriteStored(const TRVPropTable &T, const void *Obj, TRVPropertyWriter &W, const TRVStyleStreamLinks *Links);
// False for a name the table does not know, or a value of the wrong kind.
bool RVPropsReadStored(const TRVPropTable &T, void *Obj, const std::string &Name, const TRVStoredValue &Value,
                       const TRVStyleStreamLinks *Links);

// The tables of the style sheet's classes.
const TRVPropTable &RVRectProps();
const TRVPropTable &RVBooleanRectProps();
const TRVPropTable &RVBorderProps();
const TRVPropTable &RVBackgroundProps();
const TRVPropTable &RVTextStyleProps();
const TRVPropTable &RVParaStyleProps();
const TRVPropTable &RVListLevelProps();

} // namespace kc
