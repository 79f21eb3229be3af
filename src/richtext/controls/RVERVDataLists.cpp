// Renumbering numbered lists after an edit. A marker's number is counted
// when markers come and go, but the width of its text ("9." against "10.")
// shows only when its paragraph is formatted again: an edit that adds or
// removes markers reformats the paragraphs up to the last marker of every
// numbered list it touched, and records that, so undo and redo do the same.
#include <algorithm>

#include "richtext/controls/RVERVData.h"
#include "richtext/document/RVMarker.h"

namespace kc {

std::unique_ptr<TRVIntegerList> TRVEditRVData::CollectMarkerLists(int FirstItemNo, int &LastItemNo, bool Before,
                                                                  int &MarkerIndex) {
  MarkerIndex = -1;
  TRVMarkerList *markers = GetMarkers(false);
  const TRVStyle *st = GetRVStyle();
  if (!markers || !st || FirstItemNo < 0 || GetItemCount() == 0) return nullptr;
  const int count = GetItemCount();
  FirstItemNo = std::min(FirstItemNo, count - 1);
  LastItemNo = std::clamp(LastItemNo, FirstItemNo, count - 1);
  int first, last;
  ExpandToPara(FirstItemNo, LastItemNo, first, last);
  LastItemNo = last;
  auto lists = std::make_unique<TRVIntegerList>();
  int firstMarker = -1, lastMarker = -1;
  for (int i = first; i <= last; ++i) {
    if (GetItemStyle(i) != rvsListMarker) continue;
    auto *m = static_cast<TRVMarkerItemInfo *>(GetItem(i));
    if (m->ListNo < 0 || m->ListNo >= st->ListStyles().Count() ||
        !st->ListStyles().Items(m->ListNo)->HasTextNumbering())
      continue;
    lists->AddUnique(m->ListNo);
    const int index = m->GetIndexInList(markers);
    if (firstMarker < 0) firstMarker = index;
    lastMarker = index;
  }
  MarkerIndex = Before ? firstMarker - 1 : lastMarker;
  return lists;
}

void TRVEditRVData::ReformatListsAfter(int AfterItemNo, int MarkerIndex, int ListNo, const TRVIntegerList *Lists) {
  TRVIntegerList one;
  if (!Lists) {
    if (ListNo < 0) return;
    one.Add(ListNo);
    Lists = &one;
  }
  TRVMarkerList *markers = GetMarkers(false);
  if (!markers || Lists->Count() == 0) return;
  // The marker at MarkerIndex lies in or before the edited range, which is
  // formatted anyway.
  const TRVMarkerItemInfo *lastMarker = nullptr;
  for (int i = markers->Count() - 1; i > std::max(MarkerIndex, -1); --i)
    if (Lists->IndexOf(markers->Items(i)->ListNo) >= 0) {
      lastMarker = markers->Items(i);
      break;
    }
  if (!lastMarker) return;
  const bool ownEdit = FEdit.Active;
  const int m = FindItemFrom(AfterItemNo + 1, lastMarker);
  if (m >= 0) {
    int first, last;
    ExpandToPara(std::max(0, AfterItemNo + 1), m, first, last);
    Do_ReformateRange(first, last, false);
  } else {
    Do_ReformateRange(-1, -1, true);
  }
  if (!ownEdit) ReformatAfterEdit();
}

void TRVEditRVData::RenumberListsInRange(int FirstItemNo, int LastItemNo) {
  int markerIndex = -1;
  std::unique_ptr<TRVIntegerList> lists = CollectMarkerLists(FirstItemNo, LastItemNo, false, markerIndex);
  if (lists && lists->Count() > 0) ReformatListsAfter(LastItemNo, markerIndex, -1, lists.get());
}

TRVEditRVData::TListsBefore TRVEditRVData::ListsBeforeEdit(int FirstItemNo, int LastItemNo) {
  TListsBefore b;
  const TRVMarkerList *markers = GetMarkers(false);
  if (!markers) return b;
  b.Markers = markers->Count();
  b.Lists = CollectMarkerLists(FirstItemNo, LastItemNo, true, b.MarkerIndex);
  return b;
}

void TRVEditRVData::RenumberAfterEdit(const TListsBefore &Before, int AfterItemNo) {
  if (!Before.Lists || Before.Lists->Count() == 0) return;
  // Counters change only when markers come or go.
  const TRVMarkerList *markers = GetMarkers(false);
  if (markers && markers->Count() == Before.Markers) return;
  AfterItemNo = std::clamp(AfterItemNo, 0, std::max(0, GetItemCount() - 1));
  if (GetItemCount() > 0) AfterItemNo = GetFirstParaItemNo(AfterItemNo);
  ReformatListsAfter(AfterItemNo, Before.MarkerIndex, -1, Before.Lists.get());
}

} // namespace kc
