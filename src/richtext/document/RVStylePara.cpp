// Paragraph styles: their property table, comparisons and stored forms.
#include "richtext/document/RVStyle.h"

#include "platform/IniStore.h"
#include "richtext/document/RVFuncs.h"
#include "richtext/document/RVStyleIni.h"
#include "richtext/document/RVStyleProps.h"
#include "richtext/document/RVStyleStored.h"

namespace kc {

using namespace styleio;

namespace {

const TRVSetMember ParaOptionMembers[] = {
    {rvpaoNoWrap, "NoWrap", rvpiNoWrap, 1000},
    {rvpaoReadOnly, "ReadOnly", rvpiReadOnly, 100000},
    {rvpaoStyleProtect, "StyleProtect", rvpiStyleProtect, 1000},
    {rvpaoDoNotWantReturns, "DoNotWantReturns", rvpiDoNotWantReturns, 10000},
    {rvpaoKeepLinesTogether, "KeepLinesTogether", rvpiKeepLinesTogether, 500},
    {rvpaoKeepWithNext, "KeepWithNext", rvpiKeepWithNext, 500},
};

} // namespace

// The border's score and the line spacing's are TParaInfo::SimilarityValue's own.
const TRVPropTable &RVParaStyleProps() {
  using enum TRVPropKind;
  using enum TRVPropWhen;
  static const TRVProp rows[] = {
      // name            member                                  type                                          default  compare                                weight                 ini                                            stored    css
      {"FirstIndent", RVMember<&TParaInfo::FirstIndent>(), RVKind(Int), 0, RVMask(rvpiFirstIndent),
       RVIntegerWeight(1000), RVIni("FirstIndent", 4), RVStored, "text-indent"},
      {"LeftIndent", RVMember<&TParaInfo::LeftIndent>(), RVKind(Int), 0, RVMask(rvpiLeftIndent), RVIntegerWeight(1000),
       RVIni("LeftIndent", 2), RVStored, "margin"},
      {"RightIndent", RVMember<&TParaInfo::RightIndent>(), RVKind(Int), 0, RVMask(rvpiRightIndent),
       RVIntegerWeight(1000), RVIni("RightIndent", 3), RVStored, "margin"},
      {"SpaceBefore", RVMember<&TParaInfo::SpaceBefore>(), RVKind(Int), 0, RVMask(rvpiSpaceBefore),
       RVIntegerWeight(1000), RVIni("SpaceBefore", 0), RVStored, "margin"},
      {"SpaceAfter", RVMember<&TParaInfo::SpaceAfter>(), RVKind(Int), 0, RVMask(rvpiSpaceAfter), RVIntegerWeight(1000),
       RVIni("SpaceAfter", 1), RVStored, "margin"},
      {"LineSpacing", RVMember<&TParaInfo::LineSpacing>(), RVKind(Int), 100, RVMask(rvpiLineSpacing), RVNoWeight,
       RVIni("LineSpacing", 5), RVStored, "line-height"},
      {"LineSpacingType", RVMember<&TParaInfo::LineSpacingType>(), RVEnum(LineSpacingNames), rvlsPercent,
       RVMask(rvpiLineSpacingType), RVNoWeight, RVIni("LSType", 6), RVStored, nullptr},
      {"Alignment", RVMember<&TParaInfo::Alignment>(), RVEnum(AlignmentNames), rvaLeft, RVMask(rvpiAlignment),
       RVSameWeight(50000), RVIni("Alignment", 9), RVStored, "text-align"},
      {"Border", RVMember<&TParaInfo::Border>(), RVObject(RVBorderProps()), 0, RVMask(rvpiBorder_Color), RVNoWeight,
       RVIni("Border%s", 12, TRVIniForm::Prefix), RVStored, "border"},
      {"NextParaNo", RVMember<&TParaInfo::NextParaNo>(), RVKind(StyleNo), -1, RVMask(rvpiNextParaNo, Reference),
       RVNoWeight, RVIni("NextParaNo", 7), RVStored, nullptr},
      {"Background", RVMember<&TParaInfo::Background>(), RVObject(RVBackgroundProps()), 0, RVMask(rvpiBackground_Color),
       RVObjectWeight(), RVIni("Background%s", 13, TRVIniForm::Prefix), RVStored, "background"},
      {"Options", RVMember<&TParaInfo::Options>(), RVSet(ParaOptionNames, ParaOptionMembers), 0, RVPerMember,
       RVMembersWeight, RVIni(nullptr, 11, TRVIniForm::Bits), RVStored, nullptr},
      {"BiDiMode", RVMember<&TParaInfo::BiDiMode>(), RVEnum(BiDiNames), rvbdUnspecified, RVMask(rvpiBiDiMode),
       RVSameWeight(10000), RVIni("BiDiMode", 10), RVStored, nullptr},
      {"DefStyleNo", RVMember<&TParaInfo::DefStyleNo>(), RVKind(StyleNo), -1, RVMask(rvpiDefStyleNo, Reference),
       RVNoWeight, RVIni("DefStyleNo", 8), RVStored, nullptr},
  };
  static const TRVPropTable table{rows};
  return table;
}

// =================================================================== TParaInfo

TParaInfo::TParaInfo() { StyleName = "Paragraph Style"; }

bool TParaInfo::ExtraLineSpacing() const {
  return (LineSpacingType == rvlsPercent && LineSpacing > 100) ||
         (LineSpacingType == rvlsSpaceBetween && LineSpacing > 0);
}

void TParaInfo::Assign(const TCustomRVInfo &Source) {
  if (&Source == this) return;
  if (auto *s = dynamic_cast<const TParaInfo *>(&Source)) RVPropsAssign(RVParaStyleProps(), this, s);
  TCustomRVInfo::Assign(Source);
}

bool TParaInfo::IsEqualTo(const TCustomRVInfo &Value, bool IgnoreReferences) const {
  auto *v = dynamic_cast<const TParaInfo *>(&Value);
  return v && RVPropsEqual(RVParaStyleProps(), this, v, IgnoreReferences);
}

bool TParaInfo::IsEqualToMapped(const TCustomRVInfo &Value, const TRVIntegerList &Mapping) const {
  if (!IsEqualTo(Value, true)) return false;
  return SameMappedStyleNo(static_cast<const TParaInfo &>(Value).NextParaNo, NextParaNo, Mapping);
}

bool TParaInfo::IsEqualEx(const TParaInfo &v, TRVParaInfoProperties I) const {
  return RVPropsEqualEx(RVParaStyleProps(), this, &v, I.Raw_());
}

int64_t TParaInfo::SimilarityValue(const TCustomRVInfo &Value) const {
  auto *v = dynamic_cast<const TParaInfo *>(&Value);
  if (!v) return 0;
  int64_t r = RVPropsSimilarity(RVParaStyleProps(), this, v) + Border.SimilarityValue(v->Border);
  if (LineSpacingType == v->LineSpacingType) r += IntegerWeight(LineSpacing, v->LineSpacing, 5000);
  else if (ExtraLineSpacing() != v->ExtraLineSpacing()) r -= 20000;
  return r;
}

void TParaInfo::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  TCustomRVInfo::SaveToINI(Ini, Section, KeyFormat);
  RVPropsWriteIni(RVParaStyleProps(), this, Ini, Section, KeyFormat);
}

void TParaInfo::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  TCustomRVInfo::LoadFromINI(Ini, Section, KeyFormat);
  RVPropsReadIni(RVParaStyleProps(), this, Ini, Section, KeyFormat);
}

void TParaInfo::WriteStoredProperties(TRVPropertyWriter &W, const TRVStyleStreamLinks *Links) const {
  TCustomRVInfo::WriteStoredProperties(W, Links);
  RVPropsWriteStored(RVParaStyleProps(), this, W, Links);
}

bool TParaInfo::ReadStoredProperty(const std::string &N, const TRVStoredValue &v, const TRVStyleStreamLinks *Links) {
  return TCustomRVInfo::ReadStoredProperty(N, v, Links) || RVPropsReadStored(RVParaStyleProps(), this, N, v, Links);
}

} // namespace kc
