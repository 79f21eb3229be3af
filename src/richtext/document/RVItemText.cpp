// Text items.
#include "richtext/document/RVItem.h"

#include "richtext/document/CRVData.h"
#include "richtext/document/RVItemParts.h"

namespace kc {

using namespace rvitem;

std::unique_ptr<TCustomRVItemInfo> TRVTextItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVTextItemInfo>(RVData);
}

bool TRVTextItemInfo::GetStyleFlag(int Property, const TRVStyle *RVStyle) const {
  switch (Property) {
  case rvbsfJump:
  case rvbsfAllowFocus:
  case rvbsfXORFocus:
  case rvbsfHotSpot: {
    if (!RVStyle) return false;
    const int s = GetActualStyleNo(RVStyle);
    if (!RVStyle->TextStyles().GetTextStyleSafe(s)->Jump) return false;
    if (Property != rvbsfHotSpot) return true;
    return const_cast<TRVStyle *>(RVStyle)->StyleHoverSensitive(s);
  }
  default: return TCustomRVItemInfo::GetStyleFlag(Property, RVStyle);
  }
}

bool TRVTextItemInfo::ReadRvfHeaderTail(const std::string &Field, TCustomRVData *) {
  if (EmptyTail(Field) || Field[0] != '"') return true;
  std::string hint;
  size_t i = 1;
  for (;;) {
    if (i >= Field.size()) return false;
    if (Field[i] == '"') {
      if (i + 1 < Field.size() && Field[i + 1] == '"') {
        hint += '"';
        i += 2;
        continue;
      }
      break;
    }
    hint += Field[i++];
  }
  Hint = hint;
  return true;
}

void TRVTextItemInfo::ExecuteJump(TCustomRVData *RVData) {
  if (RVData && GetStyleFlag(rvbsfJump, RVData->GetRVStyle())) RVData->DoJump(RVData->FirstJumpNo + JumpID);
}

void TRVTextItemInfo::MarkUsedStyles(TRVIntegerList &TextUsed, TRVIntegerList &ParaUsed, TRVIntegerList &ListUsed) {
  TCustomRVItemInfo::MarkUsedStyles(TextUsed, ParaUsed, ListUsed);
  if (StyleNo != rvsDefStyle && StyleNo >= 0 && StyleNo < TextUsed.Count()) TextUsed.Put(StyleNo, 1);
}

void TRVTextItemInfo::RenumberStyles(const TRVIntegerList &TextShift, const TRVIntegerList &ParaShift,
                                     const TRVIntegerList &ListShift) {
  TCustomRVItemInfo::RenumberStyles(TextShift, ParaShift, ListShift);
  if (StyleNo != rvsDefStyle && StyleNo >= 0 && StyleNo < TextShift.Count()) StyleNo -= TextShift[StyleNo] - 1;
}

} // namespace kc
