// List styles: marker fonts, list levels and their property table, level collections, lists.
#include "richtext/document/RVStyle.h"

#include <random>

#include "platform/AsciiCase.h"
#include "platform/IniStore.h"
#include "richtext/document/RVUni.h"
#include "richtext/document/RVStyleIni.h"
#include "richtext/document/RVStyleProps.h"
#include "richtext/document/RVStyleStored.h"

namespace kc {

using namespace styleio;

// =============================================================== marker texts

std::string RVFormatMarkerString(const std::string &Format, const std::vector<std::string> &Args) {
  std::string r;
  size_t next = 0; // the argument a plain "%s" takes
  size_t i = 0;
  while (i < Format.size()) {
    char c = Format[i];
    if (c != '%') {
      r += c;
      ++i;
      continue;
    }
    // "%%"
    if (i + 1 < Format.size() && Format[i + 1] == '%') {
      r += '%';
      i += 2;
      continue;
    }
    // "%s"
    if (i + 1 < Format.size() && Format[i + 1] == 's') {
      if (next < Args.size()) {
        r += Args[next++];
        i += 2;
        continue;
      }
      r += c;
      ++i;
      continue;
    }
    // "%n:s": at most three digits so that no number can overflow.
    size_t j = i + 1;
    size_t n = 0;
    while (j < Format.size() && j - i <= 3 && Format[j] >= '0' && Format[j] <= '9')
      n = n * 10 + size_t(Format[j++] - '0');
    if (j > i + 1 && j + 1 < Format.size() && Format[j] == ':' && Format[j + 1] == 's' && n < Args.size()) {
      r += Args[n];
      next = n + 1;
      i = j + 2;
      continue;
    }
    // Anything else stays as it stands.
    r += c;
    ++i;
  }
  return r;
}

TRVParaInfoProperties RVAllParaInfoProperties() {
  return TRVParaInfoProperties::FromRaw((uint64_t(1) << RVParaInfoPropertyCount) - 1);
}

// =============================================================== TRVMarkerFont

int32_t TRVMarkerFont::Height() const { return FontHeightOfSize(Size); }

void TRVMarkerFont::SetHeight(int32_t Value) { Size = FontSizeOfHeight(Value); }

bool TRVMarkerFont::IsDefault() const {
  return Size == 8 && Color == clWindowText && Charset == DEFAULT_CHARSET && Style == 0 &&
         asciiEqualNoCase(Name, "Arial");
}

bool TRVMarkerFont::IsEqual(const TRVMarkerFont &Value) const {
  return Height() == Value.Height() && Style == Value.Style && Color == Value.Color && Charset == Value.Charset &&
         asciiEqualNoCase(Name, Value.Name);
}

void TRVMarkerFont::AssignTo(TLogFont &Font) const {
  Font.lfFaceName = Name;
  Font.lfHeight = Height();
  Font.lfWidth = 0;
  SetFontStyles(Font, Style);
  Font.lfCharSet = Charset;
}

namespace {

std::string FontToIniText(const TRVMarkerFont &f) {
  std::string st;
  if (f.Style & fsBold) st += 'B';
  if (f.Style & fsItalic) st += 'I';
  if (f.Style & fsUnderline) st += 'U';
  if (f.Style & fsStrikeOut) st += 'S';
  return f.Name + "," + IntToStr(f.Height()) + "," + st + "," + IntToStr(f.Pitch) + "," + ColorToString(f.Color) + "," +
         IntToStr(f.Charset);
}

// The name comes first and may itself hold commas, so the five other fields
// are taken from the right.
void FontFromIniText(const std::string &s, TRVMarkerFont &f) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t p = s.find(',', start);
    if (p == std::string::npos) {
      parts.push_back(s.substr(start));
      break;
    }
    parts.push_back(s.substr(start, p - start));
    start = p + 1;
  }
  std::vector<std::string> fields(6);
  if (parts.size() >= 6) {
    size_t nameParts = parts.size() - 5;
    std::string name = parts[0];
    for (size_t i = 1; i < nameParts; ++i) name += "," + parts[i];
    fields[0] = name;
    for (size_t i = 0; i < 5; ++i) fields[i + 1] = parts[nameParts + i];
  } else {
    for (size_t i = 0; i < parts.size(); ++i) fields[i] = parts[i];
  }
  f.Name = fields[0];
  int32_t v = 0;
  if (StrToInt32(fields[1], v)) f.SetHeight(v);
  int st = 0;
  for (char c : fields[2]) {
    switch (c) {
    case 'B':
    case 'b': st |= fsBold; break;
    case 'I':
    case 'i': st |= fsItalic; break;
    case 'U':
    case 'u': st |= fsUnderline; break;
    case 'S':
    case 's': st |= fsStrikeOut; break;
    default: break;
    }
  }
  f.Style = TFontStyles(st);
  if (StrToInt32(fields[3], v) && v >= 0 && v <= 2) f.Pitch = uint8_t(v);
  TColor c;
  if (StringToColor(fields[4], c)) f.Color = c;
  if (StrToInt32(fields[5], v) && v >= 0 && v <= 255) f.Charset = uint8_t(v);
}

bool GraphicsEqual(const TGraphic *a, const TGraphic *b) {
  if (!a && !b) return true;
  if (!a || !b) return false;
  return std::string(a->className()) == b->className() && a->width() == b->width() && a->height() == b->height() &&
         a->saveToBytes() == b->saveToBytes();
}

// Largest number of levels a stored list style may bring.
constexpr int MaxStoredLevels = 256;
} // namespace

// ================================================================ TRVListLevel

TRVListLevel::TRVListLevel() = default;
TRVListLevel::~TRVListLevel() = default;

int TRVListLevel::Index() const {
  if (!FCollection) return -1;
  for (int i = 0; i < FCollection->Count(); ++i)
    if (FCollection->Items(i) == this) return i;
  return -1;
}

std::string TRVListLevel::DisplayName() const { return "List Level " + IntToStr(Index()); }

TGraphic *TRVListLevel::GetPicture() { return FPicture.get(); }

void TRVListLevel::SetPicture(const TGraphic *Value) {
  if (Value == FPicture.get()) return;
  if (!Value) {
    FPicture.reset();
    return;
  }
  FPicture = Value->clone();
  if (auto *bmp = dynamic_cast<TBitmap *>(FPicture.get())) bmp->transparent = true;
}

bool TRVListLevel::HasPicture() const { return FPicture != nullptr; }

TRVMarkerFont *TRVListLevel::GetFont() {
  if (!FFont) FFont = std::make_unique<TRVMarkerFont>();
  return FFont.get();
}

void TRVListLevel::SetFont(const TRVMarkerFont *Value) {
  if (Value == FFont.get()) return;
  if (!Value) FFont.reset();
  else FFont = std::make_unique<TRVMarkerFont>(*Value);
}

bool TRVListLevel::HasNumbering() const { return ListType >= rvlstDecimal && ListType <= rvlstImageListCounter; }

bool TRVListLevel::HasTextNumbering() const { return ListType >= rvlstDecimal && ListType <= rvlstUpperRoman; }

bool TRVListLevel::UsesFont() const {
  return ListType == rvlstBullet || HasTextNumbering() || ListType == rvlstUnicodeBullet;
}

void TRVListLevel::Assign(const TRVListLevel &Source) {
  if (&Source != this) RVPropsAssign(RVListLevelProps(), this, &Source);
}

// ----------------------------------------------------------- property table

namespace {

bool NonDefaultFont(const TRVMarkerFont *f) { return f && !f->IsDefault(); }
bool FontsMatch(const TRVMarkerFont *a, const TRVMarkerFont *b) {
  if (NonDefaultFont(a) || NonDefaultFont(b)) return a && b && a->IsEqual(*b);
  return true;
}

const TRVListLevel &Lvl(const void *o) { return *static_cast<const TRVListLevel *>(o); }
TRVListLevel &Lvl(void *o) { return *static_cast<TRVListLevel *>(o); }

// The picture: its class name and data in the ini form, the class name as a
// short string before the graphic's own data in the stored form.
const TRVPropCustom PictureOps = {
    [](void *d, const void *s) { Lvl(d).SetPicture(Lvl(s).PictureIfAny()); },
    [](const void *a, const void *b) { return GraphicsEqual(Lvl(a).PictureIfAny(), Lvl(b).PictureIfAny()); },
    [](const void *o, IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
      if (const TGraphic *g = Lvl(o).PictureIfAny()) {
        Ini.writeString(Section, K(KeyFormat, "GraphicClass"), g->className());
        WriteLongString(Ini, Section, K(KeyFormat, "Picture"), RVBytesToHex(g->saveToBytes()));
      }
    },
    [](void *o, IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
      Lvl(o).SetPicture(nullptr);
      std::string cls = Ini.readString(Section, K(KeyFormat, "GraphicClass"), "");
      if (cls.empty()) return;
      std::unique_ptr<TGraphic> g = createGraphic(cls);
      std::string bytes;
      if (g && RVHexToBytes(ReadLongString(Ini, Section, K(KeyFormat, "Picture")), bytes) && g->loadFromBytes(bytes))
        Lvl(o).SetPicture(g.get());
    },
    [](const void *o, TRVPropertyWriter &W, const TRVStyleStreamLinks *) {
      if (const TGraphic *g = Lvl(o).PictureIfAny()) {
        TRVPropertyWriter data;
        data.ShortStr(g->className());
        data.Out += g->saveToBytes();
        W.Binary("Picture.Data", data.Out);
      }
    },
    [](void *o, const std::string &N, const TRVStoredValue &v, const TRVStyleStreamLinks *) {
      if (N != "Picture.Data" || v.Kind != TRVStoredValue::Binary) return false;
      TRVPropertyReader r(v.S);
      std::string cls;
      std::unique_ptr<TGraphic> g;
      if (!r.ShortStr(cls) || !(g = createGraphic(cls)) || !g->loadFromBytes(v.S.substr(r.P))) return false;
      Lvl(o).SetPicture(g.get());
      return true;
    },
};

// The image list is a reference: stored by the document's tag (ILTag), never
// in the ini form.
const TRVPropCustom ImageListOps = {
    [](void *d, const void *s) { Lvl(d).ImageList = Lvl(s).ImageList; },
    [](const void *a, const void *b) { return Lvl(a).ImageList == Lvl(b).ImageList; },
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

// The marker font, made on first need: a default font and none are equal. One
// ini key of six fields; stored as the font's own published properties.
const TRVPropCustom FontOps = {
    [](void *d, const void *s) { Lvl(d).SetFont(Lvl(s).FontIfAny()); },
    [](const void *a, const void *b) { return FontsMatch(Lvl(a).FontIfAny(), Lvl(b).FontIfAny()); },
    [](const void *o, IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
      if (const TRVMarkerFont *f = Lvl(o).FontIfAny())
        Ini.writeString(Section, K(KeyFormat, "Font"), FontToIniText(*f));
    },
    [](void *o, IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
      std::string text = Ini.readString(Section, K(KeyFormat, "Font"), "");
      if (text.empty()) {
        Lvl(o).SetFont(nullptr);
        return;
      }
      TRVMarkerFont f;
      FontFromIniText(text, f);
      Lvl(o).SetFont(&f);
    },
    [](const void *o, TRVPropertyWriter &W, const TRVStyleStreamLinks *) {
      const TRVMarkerFont *f = Lvl(o).FontIfAny();
      if (!f) return;
      W.CharsetIfNot("Font.Charset", f->Charset, DEFAULT_CHARSET);
      W.ColorIfNot("Font.Color", f->Color, clWindowText);
      if (f->Size != 8) W.Int("Font.Height", f->Height());
      if (f->Name != "Arial") W.Str("Font.Name", f->Name);
      if (f->Pitch != 0) W.Ident("Font.Pitch", PitchNames[f->Pitch % 3]);
      if (f->Style != 0) W.SetOf("Font.Style", SetNames(f->Style, FontStyleNames));
    },
    [](void *o, const std::string &N, const TRVStoredValue &v, const TRVStyleStreamLinks *) {
      int32_t i = 0;
      int e = 0;
      uint32_t bits = 0;
      TColor c;
      uint8_t cs = DEFAULT_CHARSET;
      TRVListLevel &l = Lvl(o);
      if (N == "Font.Charset" && ValueCharset(v, cs)) l.GetFont()->Charset = cs;
      else if (N == "Font.Color" && ValueColor(v, c)) l.GetFont()->Color = c;
      else if (N == "Font.Height" && ValueInt(v, i)) l.GetFont()->SetHeight(i);
      else if (N == "Font.Name" && v.Kind == TRVStoredValue::Str) l.GetFont()->Name = v.S;
      else if (N == "Font.Pitch" && ValueEnum(v, PitchNames, e)) l.GetFont()->Pitch = uint8_t(e);
      else if (N == "Font.Style" && ValueSet(v, FontStyleNames, bits)) l.GetFont()->Style = TFontStyles(bits);
      else return false;
      return true;
    },
};

// The legal numbering's key, like the start number's, came after the older
// files: written only when set, so those files read as they always did.
const TRVSetMember LevelOptionMembers[] = {
    {rvloContinuous, "Continuous", -1, 0},
    {rvloLevelReset, "LevelReset", -1, 0},
    {rvloLegalStyleNumbering, "LegalStyleNumbering", -1, 0},
};

} // namespace

// Every property scores 100 when equal but the type (5000) and the first
// indent (200). The marker texts are stored after the published properties.
const TRVPropTable &RVListLevelProps() {
  using enum TRVPropKind;
  static const TRVProp rows[] = {
      // name            member                                  type                                        default      compare   weight               ini                                         stored                           css
      {"ListType",
       RVMember<&TRVListLevel::ListType>(),
       RVEnum(ListTypeNames),
       rvlstBullet,
       {},
       RVSameWeight(5000),
       RVIni("ListType", 0),
       RVStored,
       nullptr},
      {"Picture",
       RVCustom(PictureOps),
       RVKind(Custom),
       0,
       {},
       RVSameWeight(100),
       RVIni("Picture", 7, TRVIniForm::Always),
       RVStored,
       nullptr},
      {"ImageList", RVCustom(ImageListOps), RVKind(Custom), 0, {}, RVSameWeight(100), RVNoIni, RVNotStored, nullptr},
      {"ImageIndex",
       RVMember<&TRVListLevel::ImageIndex>(),
       RVKind(Int),
       0,
       {},
       RVSameWeight(100),
       RVIni("ImageIndex", 1),
       RVStored,
       nullptr},
      {"FormatString",
       RVMember<&TRVListLevel::FormatString>(),
       RVStr("\xB7"),
       0,
       {},
       RVSameWeight(100),
       RVIni("FormatString", 2, TRVIniForm::Always),
       RVDefined("FormatStringCode"),
       nullptr},
      {"FormatStringW",
       RVMember<&TRVListLevel::FormatStringW>(),
       RVKind(WStr),
       0,
       {},
       RVSameWeight(100),
       RVIni("FormatStringW", 11, TRVIniForm::Hex),
       RVDefined("FormatStringWCode"),
       nullptr},
      {"LeftIndent",
       RVMember<&TRVListLevel::LeftIndent>(),
       RVKind(Int),
       0,
       {},
       RVSameWeight(100),
       RVIni("LeftIndent", 3),
       RVStored,
       "margin-left"},
      {"FirstIndent",
       RVMember<&TRVListLevel::FirstIndent>(),
       RVKind(Int),
       10,
       {},
       RVSameWeight(200),
       RVIni("FirstIndent", 4),
       RVStored,
       "text-indent"},
      {"MarkerIndent",
       RVMember<&TRVListLevel::MarkerIndent>(),
       RVKind(Int),
       0,
       {},
       RVSameWeight(100),
       RVIni("MarkerIndent", 5),
       RVStored,
       nullptr},
      {"MarkerAlignment",
       RVMember<&TRVListLevel::MarkerAlignment>(),
       RVEnum(MarkerAlignmentNames),
       rvmaLeft,
       {},
       RVSameWeight(100),
       RVIni("MarkerAlignment", 6),
       RVStored,
       nullptr},
      {"Font",
       RVCustom(FontOps),
       RVKind(Custom),
       0,
       {},
       RVSameWeight(100),
       RVIni("Font", 8, TRVIniForm::Always),
       RVStored,
       nullptr},
      {"Options",
       RVMember<&TRVListLevel::Options>(),
       RVSet(LevelOptionNames, LevelOptionMembers),
       3,
       {},
       RVSameWeight(100),
       RVIni(nullptr, 10, TRVIniForm::Bits),
       RVStored,
       nullptr},
      {"StartFrom",
       RVMember<&TRVListLevel::StartFrom>(),
       RVKind(Int),
       1,
       {},
       RVSameWeight(100),
       RVIni("StartFrom", 12),
       RVStored,
       nullptr},
  };
  static const TRVPropTable table{rows};
  return table;
}

bool TRVListLevel::IsEqual(const TRVListLevel &v) const { return RVPropsEqual(RVListLevelProps(), this, &v, false); }

int64_t TRVListLevel::SimilarityValue(const TRVListLevel &v) const {
  return RVPropsSimilarity(RVListLevelProps(), this, &v);
}

void TRVListLevel::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  RVPropsWriteIni(RVListLevelProps(), this, Ini, Section, KeyFormat);
}

void TRVListLevel::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  RVPropsReadIni(RVListLevelProps(), this, Ini, Section, KeyFormat);
}

// ====================================================== TRVListLevelCollection

TRVListLevel *TRVListLevelCollection::Items(int Index) const {
  return (Index >= 0 && Index < Count()) ? FItems[size_t(Index)].get() : nullptr;
}

TRVListLevel *TRVListLevelCollection::Add() {
  FItems.push_back(std::make_unique<TRVListLevel>());
  FItems.back()->FCollection = this;
  return FItems.back().get();
}

void TRVListLevelCollection::Delete(int Index) {
  if (Index >= 0 && Index < Count()) FItems.erase(FItems.begin() + Index);
}

void TRVListLevelCollection::Assign(const TRVListLevelCollection &Source) {
  if (&Source == this) return;
  FItems.clear();
  for (const auto &l : Source.FItems) Add()->Assign(*l);
}

bool TRVListLevelCollection::IsEqual(const TRVListLevelCollection &Value) const {
  if (Count() != Value.Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (!FItems[size_t(i)]->IsEqual(*Value.FItems[size_t(i)])) return false;
  return true;
}

// ================================================================= TRVListInfo

TRVListInfo::TRVListInfo() { StyleName = "List Style"; }

int32_t TRVListInfo::GetListID() const {
  if (FListID == 0) {
    static std::mt19937 gen{std::random_device{}()};
    std::uniform_int_distribution<int32_t> dist(1, 2147483646);
    while (FListID == 0) FListID = dist(gen);
  }
  return FListID;
}

bool TRVListInfo::HasNumbering() const {
  for (int i = 0; i < Levels.Count(); ++i)
    if (Levels.Items(i)->HasNumbering()) return true;
  return false;
}

bool TRVListInfo::HasTextNumbering() const {
  for (int i = 0; i < Levels.Count(); ++i)
    if (Levels.Items(i)->HasTextNumbering()) return true;
  return false;
}

void TRVListInfo::Assign(const TCustomRVInfo &Source) {
  if (&Source == this) return;
  if (auto *s = dynamic_cast<const TRVListInfo *>(&Source)) {
    Levels.Assign(s->Levels);
    OneLevelPreview = s->OneLevelPreview;
  }
  TCustomRVInfo::Assign(Source);
}

bool TRVListInfo::IsEqualTo(const TCustomRVInfo &Value, bool IgnoreReferences) const {
  auto *v = dynamic_cast<const TRVListInfo *>(&Value);
  if (!v) return false;
  // The identifiers are compared as they stand: asking would draw new ones.
  return OneLevelPreview == v->OneLevelPreview && Levels.Count() == v->Levels.Count() &&
         (IgnoreReferences || FListID == v->FListID) && Levels.IsEqual(v->Levels);
}

bool TRVListInfo::IsEqualToMapped(const TCustomRVInfo &Value, const TRVIntegerList &) const {
  return IsEqualTo(Value, true);
}

int64_t TRVListInfo::SimilarityValue(const TCustomRVInfo &Value) const {
  auto *v = dynamic_cast<const TRVListInfo *>(&Value);
  if (!v) return 0;
  int64_t r = 0;
  if (OneLevelPreview == v->OneLevelPreview) r += 100;
  if (FListID == v->FListID) r += 50;
  int common = std::min(Levels.Count(), v->Levels.Count());
  r -= 100 * int64_t(std::max(Levels.Count(), v->Levels.Count()) - common);
  for (int i = 0; i < common; ++i) r += Levels.Items(i)->SimilarityValue(*v->Levels.Items(i));
  return r;
}

void TRVListInfo::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  TCustomRVInfo::SaveToINI(Ini, Section, KeyFormat);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "LevelsCount"), Levels.Count(), 0);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "OneLevelPreview"), OneLevelPreview, false);
  const std::string prefix = RVApplyKeyFormat(KeyFormat, "");
  for (int i = 0; i < Levels.Count(); ++i) Levels.Items(i)->SaveToINI(Ini, Section, prefix + "Lvl%s" + IntToStr(i));
}

void TRVListInfo::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  TCustomRVInfo::LoadFromINI(Ini, Section, KeyFormat);
  int n = std::clamp(Ini.readInteger(Section, K(KeyFormat, "LevelsCount"), 0), 0, MaxStoredLevels);
  OneLevelPreview = ReadBool(Ini, Section, K(KeyFormat, "OneLevelPreview"), false);
  Levels.Clear();
  const std::string prefix = RVApplyKeyFormat(KeyFormat, "");
  for (int i = 0; i < n; ++i) Levels.Add()->LoadFromINI(Ini, Section, prefix + "Lvl%s" + IntToStr(i));
}

void TRVListLevel::WriteStoredProperties(TRVPropertyWriter &W, const TRVStyleStreamLinks *Links) const {
  RVPropsWriteStored(RVListLevelProps(), this, W, Links);
  // The image list by the tag the document gives it.
  if (ImageList && Links && Links->TagOf) W.Int("ILTag", Links->TagOf(ImageList));
}

bool TRVListLevel::ReadStoredProperty(const std::string &N, const TRVStoredValue &v, const TRVStyleStreamLinks *Links) {
  int32_t i = 0;
  if (N == "ILTag" && ValueInt(v, i)) {
    ImageList = Links && Links->ImageListOf ? Links->ImageListOf(i) : nullptr;
    return true;
  }
  return RVPropsReadStored(RVListLevelProps(), this, N, v, Links);
}

void TRVListInfo::WriteStoredProperties(TRVPropertyWriter &W, const TRVStyleStreamLinks *Links) const {
  TCustomRVInfo::WriteStoredProperties(W, Links);
  W.BeginCollection("Levels");
  for (int i = 0; i < Levels.Count(); ++i) {
    W.BeginItem();
    Levels.Items(i)->WriteStoredProperties(W, Links);
    W.EndList();
  }
  W.EndList();
  W.BoolIfNot("OneLevelPreview", OneLevelPreview, false);
  W.Int("LstID", GetListID());
}

bool TRVListInfo::ReadStoredProperty(const std::string &N, const TRVStoredValue &v, const TRVStyleStreamLinks *Links) {
  if (TCustomRVInfo::ReadStoredProperty(N, v, Links)) return true;
  int32_t i = 0;
  if (N == "Levels" && v.Kind == TRVStoredValue::Collection) {
    Levels.Clear();
    bool allKnown = true;
    for (const auto &item : v.Items) {
      if (Levels.Count() >= MaxStoredLevels) return false;
      TRVListLevel *l = Levels.Add();
      for (size_t k = 0; k < item.Names.size(); ++k)
        allKnown = l->ReadStoredProperty(item.Names[k], item.Values[k], Links) && allKnown;
    }
    return allKnown;
  }
  if (N == "OneLevelPreview" && v.Kind == TRVStoredValue::Bool) OneLevelPreview = v.B;
  else if (N == "LstID" && ValueInt(v, i)) FListID = i;
  else return false;
  return true;
}

} // namespace kc
