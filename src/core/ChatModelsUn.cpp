#include "core/ChatModelsUn.h"

#include <algorithm>

namespace kc {

const RUserID *TUserListModel::Record(int Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return &FRecords[static_cast<std::size_t>(Index)];
}

RUserID *TUserListModel::Record(int Index) {
  if (Index < 0 || Index >= Count()) return nullptr;
  return &FRecords[static_cast<std::size_t>(Index)];
}

int TUserListModel::Append(const RUserID &Record) {
  // Record 0 (the local user) always fits; peers share the rest.
  if (!FRecords.empty() && FRecords.size() >= kMaxUsers + 1) return -1;
  FRecords.push_back(Record);
  ++FHeardClock;
  FTimes.push_back({FHeardClock, FHeardClock, {}});
  FSpoken.push_back(false);
  if (Count() > 1) Index(Count() - 1);
  return Count() - 1;
}

void TUserListModel::Assign(int Index, const RUserID &Record) {
  RUserID *r = this->Record(Index);
  if (!r) return;
  const bool moved = Index > 0 && r->ID != Record.ID;
  if (moved) Unindex(Index);
  *r = Record;
  if (moved) this->Index(Index);
}

void TUserListModel::Index(int Record) {
  if ((FIndexed + 1) * 2 > FByID.size()) GrowIndex();
  const std::size_t mask = FByID.size() - 1;
  std::size_t slot = HashOf(FRecords[static_cast<std::size_t>(Record)].ID) & mask;
  while (FByID[slot] != 0) slot = (slot + 1) & mask;
  FByID[slot] = Record;
  ++FIndexed;
}

void TUserListModel::GrowIndex() {
  std::vector<std::int32_t> old = std::move(FByID);
  FByID.assign(std::max<std::size_t>(16, old.size() * 2), 0);
  FIndexed = 0;
  for (const std::int32_t i : old)
    if (i != 0) Index(i);
}

void TUserListModel::Unindex(int Record) {
  if (FByID.empty()) return;
  const std::size_t mask = FByID.size() - 1;
  std::size_t hole = HashOf(FRecords[static_cast<std::size_t>(Record)].ID) & mask;
  while (FByID[hole] != Record) {
    if (FByID[hole] == 0) return; // not indexed
    hole = (hole + 1) & mask;
  }
  FByID[hole] = 0;
  --FIndexed;
  // Entries after the hole that probed past it move back into it, so that
  // every entry stays reachable from its own slot without crossing a free one.
  for (std::size_t next = (hole + 1) & mask; FByID[next] != 0; next = (next + 1) & mask) {
    const std::size_t home = HashOf(FRecords[static_cast<std::size_t>(FByID[next])].ID) & mask;
    const bool reachable = hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
    if (reachable) continue;
    FByID[hole] = FByID[next];
    FByID[next] = 0;
    hole = next;
  }
}

int TUserListModel::Lookup(std::string_view ID, bool Present) const {
  if (FByID.empty()) return -1;
  int found = -1;
  const std::size_t mask = FByID.size() - 1;
  for (std::size_t slot = HashOf(ID) & mask; FByID[slot] != 0; slot = (slot + 1) & mask) {
    const int i = FByID[slot];
    const RUserID &r = FRecords[static_cast<std::size_t>(i)];
    // Two records share an ID only when appended so by hand: the first wins.
    if ((found == -1 || i < found) && r.ID == ID && (!Present || r.Active)) found = i;
  }
  return found;
}

int TUserListModel::Reusable(const std::function<bool(int)> &Busy, TimePoint Now) const {
  int gone = -1, silent = -1, quiet = -1;
  for (int i = 1; i < Count(); ++i) {
    const std::size_t k = static_cast<std::size_t>(i);
    if (Busy && Busy(i)) continue;
    const TRecordTimes &t = FTimes[k];
    if (!FRecords[k].Active) {
      if (gone == -1 || t.Heard < FTimes[static_cast<std::size_t>(gone)].Heard) gone = i;
    } else if (!FSpoken[k]) {
      // The newest of the silent: a flood of made-up newcomers takes its
      // own records over and over, the ones who were there first stay.
      if (silent == -1 || t.Made > FTimes[static_cast<std::size_t>(silent)].Made) silent = i;
    } else if (Now < t.Spoke || Now - t.Spoke >= kRecentSpeech) {
      if (quiet == -1 || t.Heard < FTimes[static_cast<std::size_t>(quiet)].Heard) quiet = i;
    }
  }
  if (gone != -1) return gone;
  return silent != -1 ? silent : quiet;
}

void TUserListModel::NoteSpoke(int Index, TimePoint Now) {
  if (Index < 0 || Index >= Count()) return;
  FTimes[static_cast<std::size_t>(Index)].Spoke = Now;
  FSpoken[static_cast<std::size_t>(Index)] = true;
}

bool TUserListModel::HasSpoken(int Index) const {
  return Index >= 0 && Index < Count() && FSpoken[static_cast<std::size_t>(Index)];
}

void TUserListModel::Renew(int Index) {
  if (Index < 0 || Index >= Count()) return;
  FTimes[static_cast<std::size_t>(Index)].Made = ++FHeardClock;
  FSpoken[static_cast<std::size_t>(Index)] = false;
}

void TUserListModel::Touch(int Index) {
  if (Index >= 0 && Index < Count()) FTimes[static_cast<std::size_t>(Index)].Heard = ++FHeardClock;
}

int TUserListModel::FindPresent(std::string_view ID) const { return Lookup(ID, true); }

int TUserListModel::IndexOfID(std::string_view ID) const { return Lookup(ID, false); }

TGroupBoxInfo *TUserListModel::FindGroup(std::int32_t Tag) {
  for (TGroupBoxInfo &g : FGroups)
    if (g.Tag == Tag) return &g;
  return nullptr;
}

TGroupBoxInfo *TUserListModel::FindGroupByCaption(std::string_view Caption) {
  for (TGroupBoxInfo &g : FGroups)
    if (g.Tag != kMainGroupTag && g.Tag != kBadListTag && g.Caption == Caption) return &g;
  return nullptr;
}

std::int32_t TUserListModel::NextGroupTag(std::int32_t Requested,
                                          const std::function<bool(std::int32_t)> &Stored) const {
  auto used = [this](std::int32_t Tag) {
    return std::any_of(FGroups.begin(), FGroups.end(), [&](const TGroupBoxInfo &g) { return g.Tag == Tag; });
  };
  if (Requested != -1 && !used(Requested)) return Requested;
  std::int32_t n = static_cast<std::int32_t>(FGroups.size()) + 1;
  while (used(n) || (Stored && Stored(n))) ++n;
  return n;
}

TTalkTab *TTalkListModel::Tab(int Index) {
  if (Index < 0 || Index >= Count()) return nullptr;
  return FTabs[static_cast<std::size_t>(Index)].get();
}

const TTalkTab *TTalkListModel::Tab(int Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return FTabs[static_cast<std::size_t>(Index)].get();
}

void TTalkListModel::SetActive(int Index) {
  if (Index >= 0 && Index < Count()) FActive = Index;
}

int TTalkListModel::Open(std::string Caption, std::int32_t ImageIndex, const TTalkFrame &Frame) {
  auto tab = std::make_unique<TTalkTab>();
  tab->Caption = std::move(Caption);
  tab->ImageIndex = ImageIndex;
  tab->Frame = Frame;
  tab->LastActivity = ++FActivityClock;
  FTabs.push_back(std::move(tab));
  FActive = Count() - 1;
  return FActive;
}

void TTalkListModel::Close(int Index) {
  if (Index < 0 || Index >= Count()) return;
  for (const TTalkMessage &m : FTabs[static_cast<std::size_t>(Index)]->Transcript) FBytes -= Cost(m);
  FTabs.erase(FTabs.begin() + Index);
  if (FActive >= Count()) FActive = Count() - 1;
  else if (FActive > Index) --FActive;
}

void TTalkListModel::Append(int Index, const TTalkMessage &Message) {
  TTalkTab *tab = Tab(Index);
  if (!tab) return;
  if (tab->Transcript.size() >= kMaxTranscript) DropOldest(*tab);
  tab->Transcript.push_back(Message);
  tab->LastActivity = ++FActivityClock;
  FBytes += Cost(Message);
  // Over the budget the oldest messages go, this transcript's first, but
  // never the one just added.
  while (FBytes > kMaxTranscriptBytes && tab->Transcript.size() > 1) DropOldest(*tab);
  for (auto &t : FTabs) {
    if (FBytes <= kMaxTranscriptBytes) break;
    if (t.get() == tab) continue;
    while (FBytes > kMaxTranscriptBytes && !t->Transcript.empty()) DropOldest(*t);
  }
}

std::size_t TTalkListModel::Cost(const TTalkMessage &M) {
  return sizeof(TTalkMessage) + M.SenderID.size() + M.IP.size() + M.Body.size() + M.Alias.size();
}

void TTalkListModel::DropOldest(TTalkTab &Tab) {
  if (FOnDrop) FOnDrop(Tab, Tab.Transcript.front());
  FBytes -= Cost(Tab.Transcript.front());
  Tab.Transcript.pop_front();
}

int TTalkListModel::LeastRecentlyActive(std::uint8_t Kind) const {
  int found = -1;
  for (int i = 0; i < Count(); ++i) {
    const TTalkTab &t = *FTabs[static_cast<std::size_t>(i)];
    if (t.Frame.TalkKind == Kind &&
        (found == -1 || t.LastActivity < FTabs[static_cast<std::size_t>(found)]->LastActivity))
      found = i;
  }
  return found;
}

int TTalkListModel::CountOfKind(std::uint8_t Kind) const {
  return static_cast<int>(
      std::count_if(FTabs.begin(), FTabs.end(), [&](const auto &t) { return t->Frame.TalkKind == Kind; }));
}

int TTalkListModel::FindPrivateTab(std::string_view PartnerID) const {
  for (int i = 0; i < Count(); ++i) {
    const TTalkFrame &f = FTabs[static_cast<std::size_t>(i)]->Frame;
    if (f.TalkKind == tkPrivate && f.AutorGroupID == PartnerID) return i;
  }
  return -1;
}

int TTalkListModel::FindOwnGroupTab(std::int32_t GroupBoxTag) const {
  for (int i = 0; i < Count(); ++i) {
    const TTalkFrame &f = FTabs[static_cast<std::size_t>(i)]->Frame;
    if (f.TalkKind == tkOwnGroup && f.GroupBoxTag == GroupBoxTag) return i;
  }
  return -1;
}

} // namespace kc
