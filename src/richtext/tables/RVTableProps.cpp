#include "richtext/tables/RVTableBackground.h"
#include "richtext/tables/RVTableProps.h"

#include <algorithm>
#include <string>

#include "richtext/document/RVStyleStored.h"
#include "richtext/tables/RVTable.h"
#include "richtext/tables/RVTableCell.h"

namespace kc {

const char *const RVTableOptionNames[10] = {"rvtoEditing",         "rvtoRowSizing",     "rvtoColSizing",
                                            "rvtoRowSelect",       "rvtoColSelect",     "rvtoRTFSaveCellPixelBestWidth",
                                            "rvtoRTFAllowAutofit", "rvtoHideGridLines", "rvtoOverlappingCorners",
                                            "rvtoCellBelowBorders"};
const char *const RVTablePrintOptionNames[3] = {"rvtoHalftoneBorders", "rvtoRowsSplit", "rvtoWhiteBackground"};
const char *const RVTableBorderStyleNames[5] = {"rvtbRaised", "rvtbLowered", "rvtbColor", "rvtbRaisedColor",
                                                "rvtbLoweredColor"};
const char *const RVCellVAlignNames[4] = {"rvcTop", "rvcMiddle", "rvcBottom", "rvcVDefault"};
const char *const RVItemBackgroundStyleNames[4] = {"rvbsColor", "rvbsStretched", "rvbsTiled", "rvbsCentered"};

namespace {

// Tables and cells keep their picture and its style in a painter that
// exists only while needed; these rows reach them through the owner.
template <class T> struct BackgroundRows {
  static const T &C(const void *o) { return *static_cast<const T *>(o); }
  static T &M(void *o) { return *static_cast<T *>(o); }

  static constexpr TRVPropCustom Image = {
      [](void *d, const void *s) { M(d).SetBackgroundImage(C(s).GetBackgroundImage()); },
      [](const void *a, const void *b) {
        return SameBackgroundImage(C(a).GetBackgroundImage(), C(b).GetBackgroundImage());
      },
      nullptr,
      nullptr,
      nullptr,
      nullptr,
  };
  static constexpr TRVPropCustom Style = {
      [](void *d, const void *s) { M(d).SetBackgroundStyle(C(s).GetBackgroundStyle()); },
      [](const void *a, const void *b) { return C(a).GetBackgroundStyle() == C(b).GetBackgroundStyle(); },
      nullptr,
      nullptr,
      [](const void *o, TRVPropertyWriter &W, const TRVStyleStreamLinks *) {
        const int v = C(o).GetBackgroundStyle();
        if (v != rvbsColor && v >= 0 && v < 4) W.Ident("BackgroundStyle", RVItemBackgroundStyleNames[v]);
      },
      [](void *o, const std::string &Name, const TRVStoredValue &v, const TRVStyleStreamLinks *) {
        int e = 0;
        if (Name != "BackgroundStyle" || !styleio::ValueEnum(v, RVItemBackgroundStyleNames, e)) return false;
        M(o).SetBackgroundStyle(static_cast<TRVItemBackgroundStyle>(e));
        return true;
      },
  };
};

constexpr TRVPropCompare Cmp{};
// Spacings and widths: what reading from a file keeps, so that sums over
// a table stay far from overflowing.
constexpr int32_t MaxLength = 1 << 16;

} // namespace

const TRVPropTable &RVTableProps() {
  using T = TRVTableItemInfo;
  using B = BackgroundRows<T>;
  auto len = [] { return RVIntRange(0, MaxLength); };
  static const TRVProp rows[] = {
      {"Options", RVMember<&T::Options>(), RVSet(RVTableOptionNames), RVTableDefaultOptions, Cmp, RVNoWeight, RVNoIni,
       RVStored, nullptr},
      {"PrintOptions", RVMember<&T::PrintOptions>(), RVSet(RVTablePrintOptionNames), RVTableDefaultPrintOptions, Cmp,
       RVNoWeight, RVNoIni, RVStored, nullptr},
      {"BestWidth", RVMember<&T::BestWidth>(), RVIntRange(-100, MaxLength), 0, Cmp, RVNoWeight, RVNoIni, RVStored,
       "width"},
      {"Color", RVMember<&T::Color>(), RVKind(TRVPropKind::Color), clWindow, Cmp, RVNoWeight, RVNoIni, RVStored,
       "background-color"},
      {"BackgroundImage", RVCustom(B::Image), RVKind(TRVPropKind::Custom), 0, Cmp, RVNoWeight, RVNoIni, RVNotStored,
       nullptr},
      {"BackgroundStyle", RVCustom(B::Style), RVKind(TRVPropKind::Custom), rvbsColor, Cmp, RVNoWeight, RVNoIni,
       RVStored, nullptr},
      {"HeadingRowCount", RVMember<&T::HeadingRowCount>(), RVIntRange(0, INT32_MAX), 0, Cmp, RVNoWeight, RVNoIni,
       RVStored, nullptr},
      {"TextRowSeparator", RVMember<&T::TextRowSeparator>(), RVStr("\r\n"), 0, Cmp, RVNoWeight, RVNoIni, RVStored,
       nullptr},
      {"TextColSeparator", RVMember<&T::TextColSeparator>(), RVStr("\r\n"), 0, Cmp, RVNoWeight, RVNoIni, RVStored,
       nullptr},
      {"BorderWidth", RVMember<&T::BorderWidth>(), len(), 0, Cmp, RVNoWeight, RVNoIni, RVStored, "border-width"},
      {"BorderColor", RVMember<&T::BorderColor>(), RVKind(TRVPropKind::Color), clWindowText, Cmp, RVNoWeight, RVNoIni,
       RVStored, "border-color"},
      {"BorderLightColor", RVMember<&T::BorderLightColor>(), RVKind(TRVPropKind::Color), clBtnHighlight, Cmp,
       RVNoWeight, RVNoIni, RVStored, nullptr},
      {"BorderStyle", RVMember<&T::BorderStyle>(), RVEnum(RVTableBorderStyleNames), rvtbRaised, Cmp, RVNoWeight,
       RVNoIni, RVStored, nullptr},
      {"BorderVSpacing", RVMember<&T::BorderVSpacing>(), len(), 2, Cmp, RVNoWeight, RVNoIni, RVStored, nullptr},
      {"BorderHSpacing", RVMember<&T::BorderHSpacing>(), len(), 2, Cmp, RVNoWeight, RVNoIni, RVStored, nullptr},
      {"CellBorderWidth", RVMember<&T::CellBorderWidth>(), len(), 0, Cmp, RVNoWeight, RVNoIni, RVStored, nullptr},
      {"CellBorderColor", RVMember<&T::CellBorderColor>(), RVKind(TRVPropKind::Color), clWindowText, Cmp, RVNoWeight,
       RVNoIni, RVStored, nullptr},
      {"CellBorderLightColor", RVMember<&T::CellBorderLightColor>(), RVKind(TRVPropKind::Color), clBtnHighlight, Cmp,
       RVNoWeight, RVNoIni, RVStored, nullptr},
      {"CellPadding", RVMember<&T::CellPadding>(), len(), 1, Cmp, RVNoWeight, RVNoIni, RVStored, "padding"},
      {"CellBorderStyle", RVMember<&T::CellBorderStyle>(), RVEnum(RVTableBorderStyleNames), rvtbLowered, Cmp,
       RVNoWeight, RVNoIni, RVStored, nullptr},
      {"VRuleWidth", RVMember<&T::VRuleWidth>(), len(), 0, Cmp, RVNoWeight, RVNoIni, RVStored, nullptr},
      {"VRuleColor", RVMember<&T::VRuleColor>(), RVKind(TRVPropKind::Color), clWindowText, Cmp, RVNoWeight, RVNoIni,
       RVStored, nullptr},
      {"HRuleWidth", RVMember<&T::HRuleWidth>(), len(), 0, Cmp, RVNoWeight, RVNoIni, RVStored, nullptr},
      {"HRuleColor", RVMember<&T::HRuleColor>(), RVKind(TRVPropKind::Color), clWindowText, Cmp, RVNoWeight, RVNoIni,
       RVStored, nullptr},
      // Negative spacing overlaps neighbouring borders.
      {"CellVSpacing", RVMember<&T::CellVSpacing>(), RVIntRange(-MaxLength, MaxLength), 2, Cmp, RVNoWeight, RVNoIni,
       RVStored, nullptr},
      {"CellHSpacing", RVMember<&T::CellHSpacing>(), RVIntRange(-MaxLength, MaxLength), 2, Cmp, RVNoWeight, RVNoIni,
       RVStored, nullptr},
      {"VOutermostRule", RVMember<&T::VOutermostRule>(), RVKind(TRVPropKind::Bool), 0, Cmp, RVNoWeight, RVNoIni,
       RVStored, nullptr},
      {"HOutermostRule", RVMember<&T::HOutermostRule>(), RVKind(TRVPropKind::Bool), 0, Cmp, RVNoWeight, RVNoIni,
       RVStored, nullptr},
  };
  static const TRVPropTable table{rows};
  return table;
}

const TRVPropTable &RVTableCellProps() {
  using T = TRVTableCellData;
  using B = BackgroundRows<T>;
  static const TRVProp rows[] = {
      {"Color", RVMember<&T::Color>(), RVKind(TRVPropKind::Color), clNone, Cmp, RVNoWeight, RVNoIni, RVStored,
       "background-color"},
      {"BorderColor", RVMember<&T::BorderColor>(), RVKind(TRVPropKind::Color), clNone, Cmp, RVNoWeight, RVNoIni,
       RVStored, "border-color"},
      {"BorderLightColor", RVMember<&T::BorderLightColor>(), RVKind(TRVPropKind::Color), clNone, Cmp, RVNoWeight,
       RVNoIni, RVStored, nullptr},
      {"BestWidth", RVMember<&T::BestWidth>(), RVIntRange(-100, MaxLength), 0, Cmp, RVNoWeight, RVNoIni, RVStored,
       "width"},
      {"BestHeight", RVMember<&T::BestHeight>(), RVIntRange(0, MaxLength), 0, Cmp, RVNoWeight, RVNoIni, RVStored,
       "height"},
      {"VisibleBorders", RVMember<&T::VisibleBorders>(), RVObject(RVBooleanRectProps()), 0, Cmp, RVNoWeight, RVNoIni,
       RVStored, nullptr},
      {"VAlign", RVMember<&T::VAlign>(), RVEnum(RVCellVAlignNames), rvcVDefault, Cmp, RVNoWeight, RVNoIni, RVStored,
       "vertical-align"},
      {"BackgroundImage", RVCustom(B::Image), RVKind(TRVPropKind::Custom), 0, Cmp, RVNoWeight, RVNoIni, RVNotStored,
       nullptr},
      {"BackgroundStyle", RVCustom(B::Style), RVKind(TRVPropKind::Custom), rvbsColor, Cmp, RVNoWeight, RVNoIni,
       RVStored, nullptr},
      {"BackgroundImageFileName", RVMember<&T::BackgroundImageFileName>(), RVStr(""), 0, Cmp, RVNoWeight, RVNoIni,
       RVNotStored, nullptr},
  };
  static const TRVPropTable table{rows};
  return table;
}

namespace {

bool IntRow(const TRVProp &p) {
  switch (p.Kind()) {
  case TRVPropKind::Int:
  case TRVPropKind::StyleNo:
  case TRVPropKind::Color:
  case TRVPropKind::Bool:
  case TRVPropKind::Enum:
  case TRVPropKind::Set: return true;
  default: return false;
  }
}

} // namespace

bool RVPropsGetInt(const TRVPropTable &T, const void *Obj, std::string_view Name, int &Value) {
  for (const TRVProp &p : T.Rows)
    if (IntRow(p) && Name == p.Name) {
      Value = static_cast<int>(p.Member.Get(Obj));
      return true;
    }
  return false;
}

bool RVPropsSetInt(const TRVPropTable &T, void *Obj, std::string_view Name, int Value) {
  for (const TRVProp &p : T.Rows) {
    if (!IntRow(p) || Name != p.Name) continue;
    int64_t v = Value;
    switch (p.Kind()) {
    case TRVPropKind::Bool: v = Value != 0; break;
    case TRVPropKind::Enum: v = std::clamp<int64_t>(v, 0, int64_t(p.Type.Names.size()) - 1); break;
    case TRVPropKind::Set: v &= (int64_t(1) << p.Type.Names.size()) - 1; break;
    case TRVPropKind::Int: v = std::clamp<int64_t>(v, p.Type.Min, p.Type.Max); break;
    default: break;
    }
    p.Member.Set(Obj, v);
    return true;
  }
  return false;
}

} // namespace kc
