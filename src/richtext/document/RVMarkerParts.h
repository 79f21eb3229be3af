#pragma once
// What the list-marker source files share: the list style and level a
// marker refers to.
#include <algorithm>
#include <cstdint>

#include "richtext/document/RVStyle.h"

namespace kc::rvmarker {

inline bool IsImageListType(TRVListType t) { return t == rvlstImageList || t == rvlstImageListCounter; }

// The description of level number Level of a list style (the last one for a
// level above it); nullptr for a negative level or a list without levels.
inline TRVListLevel *LevelOf(const TRVListInfo *List, int32_t Level) {
  if (!List || Level < 0 || List->Levels.Count() == 0) return nullptr;
  return List->Levels.Items(std::min<int32_t>(Level, List->Levels.Count() - 1));
}

inline const TRVListInfo *ListOf(const TRVStyle *RVStyle, int32_t ListNo) {
  if (!RVStyle || ListNo < 0 || ListNo >= RVStyle->ListStyles().Count()) return nullptr;
  return RVStyle->ListStyles().Items(ListNo);
}

} // namespace kc::rvmarker
