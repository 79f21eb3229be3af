// The bases of non-text items: full-line items and items in a rectangle.
#include "richtext/document/RVItem.h"

#include "richtext/document/CRVData.h"
#include "richtext/document/RVItemParts.h"
#include "platform/Canvas.h"

namespace kc {

using namespace rvitem;

int TRVNonTextItemInfo::GetRvfExtraPropertyCount() const {
  return TCustomRVItemInfo::GetRvfExtraPropertyCount() + (DeleteProtect ? 1 : 0);
}

void TRVNonTextItemInfo::WriteRvfExtraProperties(std::string &Stream) const {
  TCustomRVItemInfo::WriteRvfExtraProperties(Stream);
  if (DeleteProtect) WriteRvfIntProperty(Stream, rvepDeleteProtect, 1);
}

void TRVNonTextItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TCustomRVItemInfo::AssignProperties(Source);
  if (auto *s = dynamic_cast<const TRVNonTextItemInfo *>(&Source)) DeleteProtect = s->DeleteProtect;
}

bool TRVNonTextItemInfo::SetExtraIntProperty(int Prop, int Value) {
  if (Prop != rvepDeleteProtect) return TCustomRVItemInfo::SetExtraIntProperty(Prop, Value);
  DeleteProtect = Value != 0;
  return true;
}

bool TRVNonTextItemInfo::GetExtraIntProperty(int Prop, int &Value) const {
  if (Prop != rvepDeleteProtect) return TCustomRVItemInfo::GetExtraIntProperty(Prop, Value);
  Value = DeleteProtect ? 1 : 0;
  return true;
}

bool TRVFullLineItemInfo::GetFlag(int Property) const {
  if (Property == rvbpFullWidth) return true;
  return TRVNonTextItemInfo::GetFlag(Property);
}

TRVRectItemInfo::TRVRectItemInfo(TCustomRVData *RVData) : TRVNonTextItemInfo(RVData) {}

std::string TRVRectItemInfo::WriteRvfHeaderTail(TCustomRVData *) const { return std::to_string(int(VAlign)); }

bool TRVRectItemInfo::ReadRvfHeaderTail(const std::string &Field, TCustomRVData *) {
  if (EmptyTail(Field)) {
    VAlign = rvvaBaseline;
    return true;
  }
  size_t pos = 0;
  int v = 0;
  if (!ReadInt(Field, pos, v)) return false;
  VAlign = v == 1 ? rvvaMiddle : rvvaBaseline;
  return true;
}

int TRVRectItemInfo::GetRvfExtraPropertyCount() const {
  return TRVNonTextItemInfo::GetRvfExtraPropertyCount() + (VShift != 0 ? 1 : 0) + (VShiftAbs ? 1 : 0) +
         (Spacing != 1 ? 1 : 0);
}

void TRVRectItemInfo::WriteRvfExtraProperties(std::string &Stream) const {
  TRVNonTextItemInfo::WriteRvfExtraProperties(Stream);
  if (VShift != 0) WriteRvfIntProperty(Stream, rvepVShift, VShift);
  if (VShiftAbs) WriteRvfIntProperty(Stream, rvepVShiftAbs, 1);
  if (Spacing != 1) WriteRvfIntProperty(Stream, rvepSpacing, Spacing);
}

void TRVRectItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TRVNonTextItemInfo::AssignProperties(Source);
  if (auto *s = dynamic_cast<const TRVRectItemInfo *>(&Source)) {
    MinHeightOnPage = s->MinHeightOnPage;
    VAlign = s->VAlign;
    VShift = s->VShift;
    VShiftAbs = s->VShiftAbs;
    Spacing = s->Spacing;
  }
}

bool TRVRectItemInfo::SetExtraIntProperty(int Prop, int Value) {
  switch (Prop) {
  case rvepVShift: VShift = Value; return true;
  case rvepVShiftAbs: VShiftAbs = Value != 0; return true;
  case rvepSpacing: SetSpacing(Value); return true;
  default: return TRVNonTextItemInfo::SetExtraIntProperty(Prop, Value);
  }
}

bool TRVRectItemInfo::GetExtraIntProperty(int Prop, int &Value) const {
  switch (Prop) {
  case rvepVShift: Value = VShift; return true;
  case rvepVShiftAbs: Value = VShiftAbs ? 1 : 0; return true;
  case rvepSpacing: Value = Spacing; return true;
  default: return TRVNonTextItemInfo::GetExtraIntProperty(Prop, Value);
  }
}

void TRVRectItemInfo::PaintFrames(TCanvas &Canvas, int X, int Y, int Width, int Height, TRVItemDrawStates State,
                                  const TRVStyle *Style) const {
  if (!Style) return;
  if (State.Has(rvidsCurrent) && Style->CurrentItemColor != clNone) {
    FramePen(Canvas, Style->CurrentItemColor);
    Canvas.rectangle(Rect(X - 1, Y - 1, X + Width + 1, Y + Height + 1));
  }
  if (State.Has(rvidsSelected)) {
    const TColor c = SelectionColor(State, Style);
    if (c != clNone) {
      FramePen(Canvas, c);
      Canvas.rectangle(Rect(X, Y, X + Width, Y + Height));
    }
  }
}

} // namespace kc
