// The property objects the reader keeps: their resets, borders made on
// first use, section markers and rows copied on write, font lookup.
#include "richtext/controls/RVRTF.h"

#include <algorithm>

namespace kc {

void TRVRTFCharProperties::Reset(int32_t defLanguage, int32_t defFontIndex) {
  *this = TRVRTFCharProperties();
  Language = defLanguage;
  FontIndex = defFontIndex;
}

TRVRTFBorderSide &TRVRTFParaBorder::Side(int i) {
  auto &s = Sides[size_t(i & 3)];
  if (!s) s.emplace();
  return *s;
}

const TRVRTFBorderSide *TRVRTFParaBorder::GetSide(int i) const {
  if (i < 0 || i > 3 || !Sides[size_t(i)]) return nullptr;
  return &*Sides[size_t(i)];
}

bool TRVRTFParaBorder::IsVisible() const {
  for (const auto &s : Sides)
    if (s && s->BorderType != 0) return true;
  return false;
}

const TRVRTFMarkerProperties *TRVRTFSectionProperties::GetSectionMarker(int level) const {
  if (!SectionMarkers || level < 1 || level > 11 || !(*SectionMarkers)[size_t(level - 1)]) return nullptr;
  return &*(*SectionMarkers)[size_t(level - 1)];
}

TRVRTFMarkerProperties &TRVRTFSectionProperties::SectionMarker(int level) {
  level = std::clamp(level, 1, 11);
  if (!SectionMarkers) SectionMarkers = std::make_shared<std::array<std::optional<TRVRTFMarkerProperties>, 11>>();
  else if (SectionMarkers.use_count() > 1)
    SectionMarkers = std::make_shared<std::array<std::optional<TRVRTFMarkerProperties>, 11>>(*SectionMarkers);
  auto &m = (*SectionMarkers)[size_t(level - 1)];
  if (!m) m.emplace();
  return *m;
}

TRVRTFRowProperties &TRVRTFReaderState::RowForWrite() {
  if (!RowProps) RowProps = std::make_shared<TRVRTFRowProperties>();
  else if (RowProps.use_count() > 1) RowProps = std::make_shared<TRVRTFRowProperties>(*RowProps);
  return *RowProps;
}

int TRVRTFFontList::FirstWithNumber(int32_t Number) const {
  if (Count() < indexed_) {
    index_.clear();
    indexed_ = 0;
  }
  for (; indexed_ < Count(); ++indexed_) index_.emplace(Get(indexed_)->FontNumber, indexed_);
  auto it = index_.find(Number);
  return it == index_.end() ? -1 : it->second;
}

int TRVRTFFontList::GetFontIndex(int32_t Number, int32_t DefNumber) const {
  if (Count() == 0) return -1;
  int i = FirstWithNumber(Number);
  if (i >= 0) return i;
  if (Number == DefNumber) return 0;
  i = FirstWithNumber(DefNumber);
  return i >= 0 ? i : 0;
}

} // namespace kc
