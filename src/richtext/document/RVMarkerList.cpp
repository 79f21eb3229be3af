// The marker list of a document: its order, the counters, and its stored form.
#include "richtext/document/RVMarker.h"

#include <algorithm>
#include <climits>
#include <map>

#include "richtext/document/CRVData.h"
#include "richtext/document/RVMarkerParts.h"

namespace kc {

using namespace rvmarker;

namespace {

int32_t SatInc(int32_t v) { return v == INT32_MAX ? v : v + 1; }

void Put32(std::string &s, int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) s += static_cast<char>((u >> (8 * i)) & 0xFF);
}

bool Get32(std::string_view d, size_t &pos, int32_t &v) {
  if (d.size() < 4 || pos > d.size() - 4) return false;
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(static_cast<unsigned char>(d[pos + i])) << (8 * i);
  pos += 4;
  v = static_cast<int32_t>(u);
  return true;
}

constexpr size_t kMarkerRecordSize = 17;

} // namespace

TRVMarkerList::~TRVMarkerList() = default;

TRVMarkerItemInfo *TRVMarkerList::Items(int Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return FItems[static_cast<size_t>(Index)];
}

int TRVMarkerList::IndexOf(const TRVMarkerItemInfo *Marker) const {
  auto it = std::find(FItems.begin(), FItems.end(), Marker);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

int TRVMarkerList::InsertAfter(TRVMarkerItemInfo *Marker, TRVMarkerItemInfo *Previous) {
  int pos = Previous ? Previous->GetIndexInList(this) + 1 : 0;
  FItems.insert(FItems.begin() + pos, Marker);
  Marker->IndexInList = pos;
  return pos;
}

void TRVMarkerList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) return;
  FItems.erase(FItems.begin() + Index);
}

int TRVMarkerList::Remove(TRVMarkerItemInfo *Marker) {
  int i = Marker ? Marker->GetIndexInList(this) : -1;
  if (i >= 0) Delete(i);
  return i;
}

void TRVMarkerList::Clear() {
  FItems.clear();
  FOwned.clear();
}

bool TRVMarkerList::FindParentMarker(int Index, const TRVMarkerItemInfo *Marker, int &ParentIndex,
                                     TRVMarkerList *&ParentList) const {
  ParentIndex = -1;
  ParentList = nullptr;
  if (!Marker) return false;
  const TRVMarkerList *list = this;
  int from = std::min(Index, Count()) - 1;
  // Outer lists form a chain; a damaged chain that loops is followed no
  // further than once round.
  for (int hops = 0; list && hops < 64; ++hops) {
    for (int i = from; i >= 0; --i) {
      const TRVMarkerItemInfo *m = list->FItems[static_cast<size_t>(i)];
      if (m->ListNo == Marker->ListNo && m->Level >= 0 && m->Level < Marker->Level) {
        ParentIndex = i;
        ParentList = const_cast<TRVMarkerList *>(list);
        return true;
      }
    }
    list = list->PrevMarkerList;
    if (list == this) break;
    if (list) from = list->Count() - 1;
  }
  return false;
}

void TRVMarkerList::RecalcCounters(int From, const TRVStyle *RVStyle) {
  if (From < 0 || From >= Count()) return;
  const int32_t N = FItems[static_cast<size_t>(From)]->ListNo;
  if (N < 0) return;
  const TRVListInfo *list = ListOf(RVStyle, N);

  // One pass in document order answers what a backward scan from every
  // marker would find, so that long lists cost no more than their length.
  // Ancestors: the nearest earlier marker of each lower level, as a stack of
  // strictly rising levels; the nearest earlier marker of a lower level is
  // the topmost entry below a level.
  struct Entry {
    int32_t Level;
    int Pos;
    const TRVMarkerItemInfo *Marker;
  };
  std::vector<Entry> ancestors;
  struct Last {
    int Pos;
    int32_t Counter;
  };
  std::map<int32_t, Last> lastOfLevel;
  int32_t maxLevel = -1;
  auto note = [&](const TRVMarkerItemInfo *m, int pos) {
    while (!ancestors.empty() && ancestors.back().Level >= m->Level) ancestors.pop_back();
    ancestors.push_back(Entry{m->Level, pos, m});
    lastOfLevel[m->Level] = Last{pos, m->Counter};
    maxLevel = std::max(maxLevel, m->Level);
  };
  // Index of the topmost ancestor below Level, -1 when none.
  auto below = [&](int32_t level) {
    auto it = std::lower_bound(ancestors.begin(), ancestors.end(), level,
                               [](const Entry &e, int32_t l) { return e.Level < l; });
    return static_cast<int>(it - ancestors.begin()) - 1;
  };

  for (int i = 0; i < From; ++i) {
    const TRVMarkerItemInfo *m = FItems[static_cast<size_t>(i)];
    if (m->ListNo == N && m->Level >= 0) note(m, i);
  }
  std::vector<const TRVMarkerItemInfo *> chain;
  for (int i = From; i < Count(); ++i) {
    TRVMarkerItemInfo *m = FItems[static_cast<size_t>(i)];
    if (m->ListNo != N) continue;
    m->IndexInList = i;
    if (m->Level < 0) {
      m->DisplayString.clear();
      continue;
    }
    const TRVListLevel *L = LevelOf(list, m->Level);
    const int top = below(m->Level);
    if (m->Reset) {
      m->Counter = m->StartFrom;
    } else if (L) {
      // Scanning back, the first marker of the same level continues the
      // count; with a level reset a lower one met first restarts it; deeper
      // ones alone make it StartFrom + 1.
      auto same = lastOfLevel.find(m->Level);
      const int samePos = same == lastOfLevel.end() ? -1 : same->second.Pos;
      const int lowerPos = top >= 0 ? ancestors[static_cast<size_t>(top)].Pos : -1;
      if (L->Options.Has(rvloLevelReset) && lowerPos > samePos) m->Counter = L->StartFrom;
      else if (samePos >= 0) m->Counter = SatInc(same->second.Counter);
      else m->Counter = maxLevel > m->Level ? SatInc(L->StartFrom) : L->StartFrom;
    }
    // Parents with a level that has an argument, nearest first.
    chain.clear();
    for (int k = std::min(top, below(RVMaxMarkerArguments)); k >= 0; --k)
      chain.push_back(ancestors[static_cast<size_t>(k)].Marker);
    const TRVMarkerItemInfo *lowest = top >= 0 ? ancestors[0].Marker : m;
    m->BuildDisplayString(RVStyle, chain, lowest, this, 0);
    note(m, i);
  }
}

void TRVMarkerList::SaveToStream(std::string &Stream, bool IncludeSize) const {
  if (IncludeSize) Put32(Stream, static_cast<int32_t>(kMarkerRecordSize * FItems.size() + 8));
  Put32(Stream, 0);
  Put32(Stream, Count());
  for (const TRVMarkerItemInfo *m : FItems) {
    Put32(Stream, m->ListNo);
    Put32(Stream, m->Level);
    Stream += static_cast<char>(m->Reset ? 1 : 0);
    Put32(Stream, m->StartFrom);
    Put32(Stream, m->Counter);
  }
}

bool TRVMarkerList::LoadFromStream(std::string_view Data, size_t &Pos, bool IncludeSize) {
  Clear();
  int32_t size = 0, zero = 0, count = 0;
  if (IncludeSize && !Get32(Data, Pos, size)) return false;
  if (!Get32(Data, Pos, zero) || !Get32(Data, Pos, count)) return false;
  // The count is checked against the bytes that are there before anything
  // is made for it.
  size_t remaining = Data.size() - Pos;
  if (count < 0 || static_cast<size_t>(count) > remaining / kMarkerRecordSize) return false;
  FItems.reserve(static_cast<size_t>(count));
  FOwned.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    auto m = std::make_unique<TRVMarkerItemInfo>(nullptr);
    Get32(Data, Pos, m->ListNo);
    Get32(Data, Pos, m->Level);
    m->Reset = Data[Pos++] != 0;
    Get32(Data, Pos, m->StartFrom);
    Get32(Data, Pos, m->Counter);
    m->IndexInList = i;
    FItems.push_back(m.get());
    FOwned.push_back(std::move(m));
  }
  return true;
}

bool TRVMarkerList::LoadBinary(const std::string &Data) {
  size_t pos = 0;
  return LoadFromStream(Data, pos, false);
}

bool TRVMarkerList::LoadText(const std::string &Hex) {
  std::string bytes;
  if (!RVHexToBytes(Hex, bytes)) {
    Clear();
    return false;
  }
  return LoadBinary(bytes);
}

void TRVMarkerList::SaveTextToStream(std::string &Stream) const {
  std::string bytes;
  SaveToStream(bytes, false);
  Stream += RVBytesToHex(bytes);
  Stream += "\r\n";
}

} // namespace kc
