#include "richtext/document/RVStyleProps.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/IniStore.h"
#include "richtext/document/RVFuncs.h"
#include "richtext/document/RVStyle.h"
#include "richtext/document/RVStyleIni.h"
#include "richtext/document/RVStyleStored.h"
#include "richtext/document/RVUni.h"

namespace kc {

using namespace styleio;

const TRVProp *TRVPropTable::Find(const char *Name) const {
  for (const TRVProp &p : Rows)
    if (std::strcmp(p.Name, Name) == 0) return &p;
  return nullptr;
}

namespace {

bool SameValue(const TRVProp &p, const void *A, const void *B) {
  switch (p.Kind()) {
  case TRVPropKind::Str:
    return p.Compare.NoCase ? asciiEqualNoCase(p.Member.GetStr(A), p.Member.GetStr(B))
                            : p.Member.GetStr(A) == p.Member.GetStr(B);
  case TRVPropKind::WStr: return p.Member.GetWStr(A) == p.Member.GetWStr(B);
  case TRVPropKind::Object: return RVPropsEqual(*p.Type.Object, p.Member.CSub(A), p.Member.CSub(B), false);
  case TRVPropKind::Custom: return !p.Member.Custom->Equal || p.Member.Custom->Equal(A, B);
  default: return p.Member.Get(A) == p.Member.Get(B);
  }
}

bool IsLink(const TRVPropTable &T, const void *Obj) { return T.IsLink && T.IsLink(Obj); }

} // namespace

// ================================================================ copying

void RVPropsAssign(const TRVPropTable &T, void *Dest, const void *Source) {
  for (const TRVProp &p : T.Rows) {
    switch (p.Kind()) {
    case TRVPropKind::Str: p.Member.SetStr(Dest, p.Member.GetStr(Source)); break;
    case TRVPropKind::WStr: p.Member.SetWStr(Dest, p.Member.GetWStr(Source)); break;
    case TRVPropKind::Object: RVPropsAssign(*p.Type.Object, p.Member.Sub(Dest), p.Member.CSub(Source)); break;
    case TRVPropKind::Custom:
      if (p.Member.Custom->Assign) p.Member.Custom->Assign(Dest, Source);
      break;
    default: p.Member.Set(Dest, p.Member.Get(Source));
    }
  }
}

// =============================================================== equality

bool RVPropsEqual(const TRVPropTable &T, const void *A, const void *B, bool IgnoreReferences) {
  const bool link = IsLink(T, A);
  for (const TRVProp &p : T.Rows) {
    if (p.Compare.When == TRVPropWhen::LinkOnly && !link) continue;
    if (p.Compare.When == TRVPropWhen::Reference && IgnoreReferences) continue;
    if (!SameValue(p, A, B)) return false;
  }
  return true;
}

bool RVPropsEqualEx(const TRVPropTable &T, const void *A, const void *B, uint64_t Ignore, int MaskBase) {
  auto ignored = [&](int bit) { return bit >= 0 && ((Ignore >> (MaskBase + bit)) & 1) != 0; };
  const bool link = IsLink(T, A);
  for (const TRVProp &p : T.Rows) {
    if (p.Compare.When == TRVPropWhen::LinkOnly && !link) continue;
    if (p.Kind() == TRVPropKind::Object) {
      if (!RVPropsEqualEx(*p.Type.Object, p.Member.CSub(A), p.Member.CSub(B), Ignore, MaskBase + p.Compare.MaskBit))
        return false;
      continue;
    }
    if (p.Kind() == TRVPropKind::Set && !p.Type.Members.empty() && p.Type.Members.front().MaskBit >= 0) {
      // Each member is a property of its own in the mask.
      const int64_t a = p.Member.Get(A), b = p.Member.Get(B);
      for (const TRVSetMember &m : p.Type.Members)
        if (!ignored(m.MaskBit) && ((a >> m.Bit) & 1) != ((b >> m.Bit) & 1)) return false;
      continue;
    }
    if (!ignored(p.Compare.MaskBit) && !SameValue(p, A, B)) return false;
  }
  return true;
}

// ============================================================= similarity

int64_t RVPropsSimilarity(const TRVPropTable &T, const void *A, const void *B, int32_t Weight) {
  // The reference's value comes first in the weight functions.
  const void *Ref = T.OtherIsReference ? B : A;
  const void *Other = T.OtherIsReference ? A : B;
  const bool links = IsLink(T, A) && IsLink(T, B);
  int64_t r = 0;
  for (const TRVProp &p : T.Rows) {
    const TRVPropWeight &w = p.Weight;
    if (w.Kind == TRVWeightKind::None) continue;
    if (p.Compare.When == TRVPropWhen::LinkOnly && !links) continue;
    int64_t v = 0;
    switch (w.Kind) {
    case TRVWeightKind::Integer:
      v = IntegerWeight(static_cast<int32_t>(p.Member.Get(Ref)), static_cast<int32_t>(p.Member.Get(Other)),
                        w.W != 0 ? w.W : Weight);
      break;
    case TRVWeightKind::Color:
      v = ColorWeight(static_cast<TColor>(p.Member.Get(Ref)), static_cast<TColor>(p.Member.Get(Other)), w.W, w.C);
      break;
    case TRVWeightKind::Same: v = SameValue(p, A, B) ? w.W : 0; break;
    case TRVWeightKind::Differ: v = SameValue(p, A, B) ? 0 : -int64_t(w.W); break;
    case TRVWeightKind::Members: {
      const int64_t a = p.Member.Get(A), b = p.Member.Get(B);
      for (const TRVSetMember &m : p.Type.Members)
        if (((a >> m.Bit) & 1) == ((b >> m.Bit) & 1)) v += m.SameBonus;
      break;
    }
    case TRVWeightKind::Object: v = RVPropsSimilarity(*p.Type.Object, p.Member.CSub(A), p.Member.CSub(B), w.W); break;
    case TRVWeightKind::None: break;
    }
    r += v / w.Divisor;
  }
  return r;
}

// =============================================================== ini form

namespace {

void WriteIniRow(const TRVProp &p, const void *Obj, IniStore &Ini, const std::string &Section,
                 const std::string &KeyFormat) {
  const std::string key = p.Ini.Key ? K(KeyFormat, p.Ini.Key) : std::string();
  switch (p.Kind()) {
  case TRVPropKind::Object:
    RVPropsWriteIni(*p.Type.Object, p.Member.CSub(Obj), Ini, Section, RVApplyKeyFormat(KeyFormat, p.Ini.Key));
    return;
  case TRVPropKind::Custom:
    if (p.Member.Custom->WriteIni) p.Member.Custom->WriteIni(Obj, Ini, Section, KeyFormat);
    return;
  case TRVPropKind::Str:
    if (p.Ini.Form == TRVIniForm::Always || p.Member.GetStr(Obj) != p.Type.DefaultText)
      Ini.writeString(Section, key, p.Member.GetStr(Obj));
    return;
  case TRVPropKind::WStr:
    if (!p.Member.GetWStr(Obj).empty())
      Ini.writeString(Section, key, RVBytesToHex(WideStringToRaw(p.Member.GetWStr(Obj))));
    return;
  case TRVPropKind::Bool:
    if (p.Ini.Form == TRVIniForm::Always) Ini.writeString(Section, key, p.Member.Get(Obj) ? "Yes" : "No");
    else WriteBoolIfNotDef(Ini, Section, key, p.Member.Get(Obj) != 0, p.Default != 0);
    return;
  case TRVPropKind::Color:
    WriteColorIfNotDef(Ini, Section, key, static_cast<TColor>(p.Member.Get(Obj)), static_cast<TColor>(p.Default));
    return;
  case TRVPropKind::Set:
    if (p.Ini.Form == TRVIniForm::Bits) {
      const int64_t v = p.Member.Get(Obj);
      for (const TRVSetMember &m : p.Type.Members)
        WriteBoolIfNotDef(Ini, Section, K(KeyFormat, m.IniKey), ((v >> m.Bit) & 1) != 0,
                          ((p.Default >> m.Bit) & 1) != 0);
      return;
    }
    [[fallthrough]];
  default: WriteIntIfNotDef(Ini, Section, key, static_cast<int>(p.Member.Get(Obj)), static_cast<int>(p.Default));
  }
}

void ReadIniRow(const TRVProp &p, void *Obj, IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  const std::string key = p.Ini.Key ? K(KeyFormat, p.Ini.Key) : std::string();
  const int def = static_cast<int>(p.Default);
  switch (p.Kind()) {
  case TRVPropKind::Object:
    RVPropsReadIni(*p.Type.Object, p.Member.Sub(Obj), Ini, Section, RVApplyKeyFormat(KeyFormat, p.Ini.Key));
    return;
  case TRVPropKind::Custom:
    if (p.Member.Custom->ReadIni) p.Member.Custom->ReadIni(Obj, Ini, Section, KeyFormat);
    return;
  case TRVPropKind::Str: p.Member.SetStr(Obj, Ini.readString(Section, key, p.Type.DefaultText)); return;
  case TRVPropKind::WStr: {
    std::string bytes;
    std::u16string w;
    // Hex text of an odd length, or of an odd number of bytes, is not UTF-16.
    if (RVHexToBytes(Ini.readString(Section, key, ""), bytes)) BytesToU16(bytes, w);
    p.Member.SetWStr(Obj, w);
    return;
  }
  case TRVPropKind::Bool: p.Member.Set(Obj, ReadBool(Ini, Section, key, p.Default != 0)); return;
  case TRVPropKind::Color: p.Member.Set(Obj, ReadColor(Ini, Section, key, static_cast<TColor>(p.Default))); return;
  case TRVPropKind::StyleNo: p.Member.Set(Obj, StyleNoFromInt(Ini.readInteger(Section, key, def))); return;
  case TRVPropKind::Enum:
    p.Member.Set(Obj, EnumFromInt(Ini.readInteger(Section, key, def), int(p.Type.Names.size()), def));
    return;
  case TRVPropKind::Charset: {
    const int v = Ini.readInteger(Section, key, def);
    p.Member.Set(Obj, (v >= 0 && v <= 255) ? v : def);
    return;
  }
  case TRVPropKind::Cursor: p.Member.Set(Obj, static_cast<TCursor>(Ini.readInteger(Section, key, def))); return;
  case TRVPropKind::Set: {
    const int64_t all = (int64_t(1) << p.Type.Names.size()) - 1;
    if (p.Ini.Form == TRVIniForm::Bits) {
      int64_t v = p.Default;
      for (const TRVSetMember &m : p.Type.Members) {
        const bool on = ReadBool(Ini, Section, K(KeyFormat, m.IniKey), ((p.Default >> m.Bit) & 1) != 0);
        v = on ? (v | (int64_t(1) << m.Bit)) : (v & ~(int64_t(1) << m.Bit));
      }
      p.Member.Set(Obj, v);
    } else {
      p.Member.Set(Obj, Ini.readInteger(Section, key, def) & all);
    }
    return;
  }
  case TRVPropKind::Int:
    p.Member.Set(Obj, std::clamp(Ini.readInteger(Section, key, def), p.Type.Min, p.Type.Max));
    return;
  }
}

} // namespace

void RVPropsWriteIni(const TRVPropTable &T, const void *Obj, IniStore &Ini, const std::string &Section,
                     const std::string &KeyFormat) {
  std::vector<const TRVProp *> rows;
  for (const TRVProp &p : T.Rows)
    if (p.Ini.Form != TRVIniForm::None) rows.push_back(&p);
  std::stable_sort(rows.begin(), rows.end(),
                   [](const TRVProp *a, const TRVProp *b) { return a->Ini.Order < b->Ini.Order; });
  for (const TRVProp *p : rows) WriteIniRow(*p, Obj, Ini, Section, KeyFormat);
}

void RVPropsReadIni(const TRVPropTable &T, void *Obj, IniStore &Ini, const std::string &Section,
                    const std::string &KeyFormat) {
  for (const TRVProp &p : T.Rows)
    if (p.Ini.Form != TRVIniForm::None) ReadIniRow(p, Obj, Ini, Section, KeyFormat);
}

// ============================================================ stored form

namespace {

void WriteStoredRows(const TRVPropTable &T, const void *Obj, TRVPropertyWriter &W, const std::string &Prefix,
                     TRVStoredForm Form, const TRVStyleStreamLinks *Links) {
  for (const TRVProp &p : T.Rows) {
    if (p.Stored.Form != Form) continue;
    const std::string name = Prefix + p.StoredName();
    const char *n = name.c_str();
    switch (p.Kind()) {
    case TRVPropKind::Object: WriteStoredRows(*p.Type.Object, p.Member.CSub(Obj), W, name + ".", Form, Links); break;
    case TRVPropKind::Custom:
      if (p.Member.Custom->WriteStored) p.Member.Custom->WriteStored(Obj, W, Links);
      break;
    case TRVPropKind::Str:
      if (Form == TRVStoredForm::Defined) {
        if (p.Member.GetStr(Obj) != p.Type.DefaultText) W.Str(n, RVBytesToHex(p.Member.GetStr(Obj)));
      } else if (!p.Member.GetStr(Obj).empty()) {
        W.Str(n, p.Member.GetStr(Obj));
      }
      break;
    case TRVPropKind::WStr:
      if (!p.Member.GetWStr(Obj).empty()) W.Str(n, RVBytesToHex(WideStringToRaw(p.Member.GetWStr(Obj))));
      break;
    case TRVPropKind::Bool: W.BoolIfNot(n, p.Member.Get(Obj) != 0, p.Default != 0); break;
    case TRVPropKind::Color:
      W.ColorIfNot(n, static_cast<TColor>(p.Member.Get(Obj)), static_cast<TColor>(p.Default));
      break;
    case TRVPropKind::Charset:
      W.CharsetIfNot(n, static_cast<uint8_t>(p.Member.Get(Obj)), static_cast<uint8_t>(p.Default));
      break;
    case TRVPropKind::Cursor:
      W.CursorIfNot(n, static_cast<TCursor>(p.Member.Get(Obj)), static_cast<TCursor>(p.Default));
      break;
    case TRVPropKind::Enum: {
      const int64_t v = p.Member.Get(Obj);
      if (v != p.Default && v >= 0 && size_t(v) < p.Type.Names.size()) W.Ident(n, p.Type.Names[size_t(v)]);
      break;
    }
    case TRVPropKind::Set: {
      const int64_t v = p.Member.Get(Obj);
      if (v != p.Default) W.SetOf(n, SetNames(static_cast<uint32_t>(v), p.Type.Names));
      break;
    }
    case TRVPropKind::Int:
    case TRVPropKind::StyleNo: W.IntIfNot(n, p.Member.Get(Obj), p.Default); break;
    }
  }
}

// A scalar property's value as its kind reads it; false for a value of
// another kind or out of its range.
bool StoredScalar(const TRVProp &p, const TRVStoredValue &v, int64_t &out) {
  int32_t i = 0;
  switch (p.Kind()) {
  case TRVPropKind::Bool: out = v.B; return v.Kind == TRVStoredValue::Bool;
  case TRVPropKind::Color: {
    TColor c = 0;
    const bool ok = ValueColor(v, c);
    out = c;
    return ok;
  }
  case TRVPropKind::Charset: {
    uint8_t c = 0;
    const bool ok = ValueCharset(v, c);
    out = c;
    return ok;
  }
  case TRVPropKind::Cursor: {
    TCursor c = 0;
    const bool ok = ValueCursor(v, c);
    out = c;
    return ok;
  }
  case TRVPropKind::Enum: {
    int e = 0;
    const bool ok = ValueEnum(v, p.Type.Names, e);
    out = e;
    return ok;
  }
  case TRVPropKind::Set: {
    uint32_t bits = 0;
    const bool ok = ValueSet(v, p.Type.Names, bits);
    out = bits;
    return ok;
  }
  case TRVPropKind::StyleNo: {
    const bool ok = ValueInt(v, i);
    out = StyleNoFromInt(i);
    return ok;
  }
  case TRVPropKind::Int: {
    const bool ok = ValueInt(v, i);
    out = std::clamp(i, p.Type.Min, p.Type.Max);
    return ok;
  }
  default: return false;
  }
}

bool ReadStoredRow(const TRVProp &p, void *Obj, const std::string &Name, const TRVStoredValue &v,
                   const TRVStyleStreamLinks *Links) {
  if (p.Kind() == TRVPropKind::Custom)
    return p.Member.Custom->ReadStored && p.Member.Custom->ReadStored(Obj, Name, v, Links);
  const std::string own = p.StoredName();
  if (p.Kind() == TRVPropKind::Object) {
    if (Name.size() <= own.size() || Name.compare(0, own.size(), own) != 0 || Name[own.size()] != '.') return false;
    return RVPropsReadStored(*p.Type.Object, p.Member.Sub(Obj), Name.substr(own.size() + 1), v, Links);
  }
  if (Name != own) return false;
  std::string bytes;
  switch (p.Kind()) {
  case TRVPropKind::Str:
    if (v.Kind != TRVStoredValue::Str) return false;
    if (p.Stored.Form != TRVStoredForm::Defined) {
      p.Member.SetStr(Obj, v.S);
      return true;
    }
    if (!RVHexToBytes(v.S, bytes)) return false;
    p.Member.SetStr(Obj, bytes);
    return true;
  case TRVPropKind::WStr: {
    std::u16string w;
    if (v.Kind != TRVStoredValue::Str || !RVHexToBytes(v.S, bytes) || !BytesToU16(bytes, w)) return false;
    p.Member.SetWStr(Obj, w);
    return true;
  }
  default: {
    int64_t value = 0;
    if (!StoredScalar(p, v, value)) return false;
    p.Member.Set(Obj, value);
    return true;
  }
  }
}

} // namespace

void RVPropsWriteStored(const TRVPropTable &T, const void *Obj, TRVPropertyWriter &W,
                        const TRVStyleStreamLinks *Links) {
  WriteStoredRows(T, Obj, W, "", TRVStoredForm::Published, Links);
  WriteStoredRows(T, Obj, W, "", TRVStoredForm::Defined, Links);
}

bool RVPropsReadStored(const TRVPropTable &T, void *Obj, const std::string &Name, const TRVStoredValue &Value,
                       const TRVStyleStreamLinks *Links) {
  for (const TRVProp &p : T.Rows)
    if (p.Stored.Form != TRVStoredForm::None && ReadStoredRow(p, Obj, Name, Value, Links)) return true;
  return false;
}

} // namespace kc
