// Text styles: their property table, comparisons and stored forms.
#include "richtext/document/RVStyle.h"

#include "platform/AsciiCase.h"
#include "platform/IniStore.h"
#include "richtext/document/RVFuncs.h"
#include "richtext/document/RVStyleIni.h"
#include "richtext/document/RVStyleProps.h"
#include "richtext/document/RVStyleStored.h"

namespace kc {

using namespace styleio;

namespace {

const TRVSetMember FontStyleMembers[] = {
    // bit  ini key      ignore bit   similarity
    {0, "Bold", rvfiBold, 50000},
    {2, "Underline", rvfiUnderline, 50000},
    {3, "StrikeOut", rvfiStrikeOut, 50000},
    {1, "Italic", rvfiItalic, 50000},
};
const TRVSetMember FontStyleExMembers[] = {
    {rvfsOverline, "Overline", rvfiOverline, 50000},
    {rvfsAllCaps, "Caps", rvfiAllCaps, 50000},
};
const TRVSetMember TextOptionMembers[] = {
    {rvteoRTFCode, "RTFCode", rvfiRTFCode, 50000},
    {rvteoHTMLCode, "HTMLCode", rvfiHTMLCode, 50000},
};
} // namespace

// The ini keys keep the order of the older files; the plain-text bonus and the
// charset's score are TFontInfo::SimilarityValue's own.
const TRVPropTable &RVTextStyleProps() {
  using enum TRVPropKind;
  using enum TRVPropWhen;
  static const TRVProp rows[] = {
      // name           member                                 type                                            default          compare                            weight                          ini                                    stored    css
      {"BiDiMode", RVMember<&TFontInfo::BiDiMode>(), RVEnum(BiDiNames), rvbdUnspecified, RVMask(rvfiBiDiMode),
       RVSameWeight(10000), RVIni("BiDiMode", 11), RVStored, nullptr},
      {"Jump", RVMember<&TFontInfo::Jump>(), RVKind(Bool), 0, RVMask(rvfiJump), RVNoWeight,
       RVIni("Jump", 1, TRVIniForm::Always), RVStored, nullptr},
      {"JumpCursor", RVMember<&TFontInfo::JumpCursor>(), RVKind(Cursor), crJump, RVMask(rvfiJumpCursor, LinkOnly),
       RVSameWeight(5000), RVIni("JumpCursor", 7), RVStored, nullptr},
      {"FontName", RVMember<&TFontInfo::FontName>(), RVStr("Arial"), 0, RVNoCase(rvfiFontName), RVSameWeight(10000),
       RVIni("Name", 0, TRVIniForm::Always), RVStored, "font-family"},
      {"Size", RVMember<&TFontInfo::Size>(), RVKind(Int), 10, RVMask(rvfiSize), RVIntegerWeight(10000),
       RVIni("Size", 2), RVStored, "font-size"},
      {"Color", RVMember<&TFontInfo::Color>(), RVKind(Color), clWindowText, RVMask(rvfiColor),
       RVColorWeight(3333, 3000), RVIni("Color", 3), RVStored, "color"},
      {"BackColor", RVMember<&TFontInfo::BackColor>(), RVKind(Color), clNone, RVMask(rvfiBackColor),
       RVColorWeight(10000, 50000), RVIni("BackColor", 4), RVStored, "background-color"},
      {"HoverColor", RVMember<&TFontInfo::HoverColor>(), RVKind(Color), clNone, RVMask(rvfiHoverColor, LinkOnly),
       RVColorWeight(3333, 3000, 2), RVIni("HoverColor", 6), RVStored, nullptr},
      {"HoverBackColor", RVMember<&TFontInfo::HoverBackColor>(), RVKind(Color), clNone,
       RVMask(rvfiHoverBackColor, LinkOnly), RVColorWeight(10000, 50000, 2), RVIni("HoverBackColor", 5), RVStored,
       nullptr},
      {"Style", RVMember<&TFontInfo::Style>(), RVSet(FontStyleNames, FontStyleMembers), 0, RVPerMember, RVMembersWeight,
       RVIni(nullptr, 12, TRVIniForm::Bits), RVStored, nullptr},
      {"StyleEx", RVMember<&TFontInfo::StyleEx>(), RVSet(FontStyleExNames, FontStyleExMembers), 0, RVPerMember,
       RVMembersWeight, RVIni(nullptr, 13, TRVIniForm::Bits), RVStored, nullptr},
      {"VShift", RVMember<&TFontInfo::VShift>(), RVKind(Int), 0, RVMask(rvfiVShift), RVIntegerWeight(1000),
       RVIni("VShift", 16), RVStored, "vertical-align"},
      {"NextStyleNo", RVMember<&TFontInfo::NextStyleNo>(), RVKind(StyleNo), -1, RVMask(rvfiNextStyleNo, Reference),
       RVNoWeight, RVIni("NextStyleNo", 17), RVStored, nullptr},
      {"Charset", RVMember<&TFontInfo::Charset>(), RVKind(Charset), DEFAULT_CHARSET, RVMask(rvfiCharset), RVNoWeight,
       RVIni("Charset", 8), RVStored, nullptr},
      {"Unicode", RVMember<&TFontInfo::Unicode>(), RVKind(Bool), 0, RVMask(rvfiUnicode), RVNoWeight,
       RVIni("Unicode", 18), RVStored, nullptr},
      {"Protection", RVMember<&TFontInfo::Protection>(), RVSet(ProtectNames), 0, RVMask(rvfiProtection),
       RVDifferWeight(100000), RVIni("Protection", 14), RVStored, nullptr},
      {"Options", RVMember<&TFontInfo::Options>(), RVSet(TextOptionNames, TextOptionMembers), 0, RVPerMember,
       RVMembersWeight, RVIni(nullptr, 15, TRVIniForm::Bits), RVStored, nullptr},
      {"CharScale", RVMember<&TFontInfo::CharScale>(), RVIntRange(0, RVMaxCharScale), 100, RVMask(rvfiCharScale),
       RVIntegerWeight(300), RVIni("CharScale", 9), RVStored, nullptr},
      {"CharSpacing", RVMember<&TFontInfo::CharSpacing>(), RVIntRange(-RVMaxCharSpacing, RVMaxCharSpacing), 0,
       RVMask(rvfiCharSpacing), RVIntegerWeight(1000), RVIni("CharSpacing", 10), RVStored, "letter-spacing"},
  };
  static const TRVPropTable table{rows, [](const void *o) { return static_cast<const TFontInfo *>(o)->Jump; }, true};
  return table;
}

// =================================================================== TFontInfo

TFontInfo::TFontInfo() { StyleName = "Font Style"; }

void TFontInfo::Assign(const TCustomRVInfo &Source) {
  if (&Source == this) return;
  if (auto *s = dynamic_cast<const TFontInfo *>(&Source)) RVPropsAssign(RVTextStyleProps(), this, s);
  TCustomRVInfo::Assign(Source);
}

void TFontInfo::AssignFont(const TLogFont &Source, TColor SourceColor) {
  FontName = Source.lfFaceName;
  Size = FontSizeOfHeight(Source.lfHeight);
  Color = SourceColor;
  Style = FontStylesOf(Source);
  Charset = Source.lfCharSet;
}

void TFontInfo::AssignToFont(TLogFont &Dest, TColor &DestColor) const {
  Dest.lfFaceName = FontName;
  Dest.lfHeight = FontHeightOfSize(Size);
  DestColor = Color;
  SetFontStyles(Dest, Style);
  if (!Unicode) Dest.lfCharSet = Charset;
}

bool TFontInfo::IsEqualTo(const TCustomRVInfo &Value, bool IgnoreReferences) const {
  auto *v = dynamic_cast<const TFontInfo *>(&Value);
  return v && RVPropsEqual(RVTextStyleProps(), this, v, IgnoreReferences);
}

bool TFontInfo::IsEqualToMapped(const TCustomRVInfo &Value, const TRVIntegerList &Mapping) const {
  if (!IsEqualTo(Value, true)) return false;
  return SameMappedStyleNo(static_cast<const TFontInfo &>(Value).NextStyleNo, NextStyleNo, Mapping);
}

bool TFontInfo::IsEqualEx(const TFontInfo &v, TRVFontInfoProperties I) const {
  return RVPropsEqualEx(RVTextStyleProps(), this, &v, I.Raw_()) &&
         (I.Has(rvfiBaseStyleNo) || BaseStyleNo == v.BaseStyleNo);
}

int64_t TFontInfo::SimilarityValue(const TCustomRVInfo &Value) const {
  auto *v = dynamic_cast<const TFontInfo *>(&Value);
  if (!v) return 0;
  int64_t r = RVPropsSimilarity(RVTextStyleProps(), this, v);
  const bool plain = Style == 0 && StyleEx.Empty(), vplain = v->Style == 0 && v->StyleEx.Empty();
  if (plain == vplain) r += 50000;
  if (Charset == v->Charset) r += 50000;
  else if (Charset == DEFAULT_CHARSET || v->Charset == DEFAULT_CHARSET) r += 12500;
  return r;
}

void TFontInfo::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  TCustomRVInfo::SaveToINI(Ini, Section, KeyFormat);
  RVPropsWriteIni(RVTextStyleProps(), this, Ini, Section, KeyFormat);
}

void TFontInfo::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  LoadFromINI(Ini, Section, KeyFormat, false, crJump);
}

void TFontInfo::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat, bool JumpByDefault,
                            TCursor DefJumpCursor) {
  TCustomRVInfo::LoadFromINI(Ini, Section, KeyFormat);
  RVPropsReadIni(RVTextStyleProps(), this, Ini, Section, KeyFormat);
  // A section without the key is no hyperlink's own: the caller says.
  if (Ini.readString(Section, K(KeyFormat, "Jump"), "?") == "?") {
    Jump = JumpByDefault;
    JumpCursor = DefJumpCursor;
  }
  if (ReadBool(Ini, Section, K(KeyFormat, "SingleSymbols"), false))
    Protection.Include(rvprStyleProtect).Include(rvprDoNotAutoSwitch);
}

void TFontInfo::WriteStoredProperties(TRVPropertyWriter &W, const TRVStyleStreamLinks *Links) const {
  TCustomRVInfo::WriteStoredProperties(W, Links);
  RVPropsWriteStored(RVTextStyleProps(), this, W, Links);
}

bool TFontInfo::ReadStoredProperty(const std::string &N, const TRVStoredValue &v, const TRVStyleStreamLinks *Links) {
  if (TCustomRVInfo::ReadStoredProperty(N, v, Links) || RVPropsReadStored(RVTextStyleProps(), this, N, v, Links))
    return true;
  if (N == "SingleSymbols" && v.Kind == TRVStoredValue::Bool) {
    if (v.B) Protection.Include(rvprStyleProtect).Include(rvprDoNotAutoSwitch);
    return true;
  }
  return false;
}

} // namespace kc
