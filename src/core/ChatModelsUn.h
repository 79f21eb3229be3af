#pragma once
// The data the chat windows show, without the windows: the user list's
// records with their groups, and the talk tabs with frames, member toolbars,
// transcripts and input boxes. The windows sit on these models.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>
#include <optional>
#include <chrono>

#include "platform/Clock.h"

#include "core/ChatServicesUn.h"
#include "core/GroupBoxStorageUn.h"
#include "core/ProtocolClassUn.h"

namespace kc {

// Records of every user heard of in this run. Record 0 is the local user.
// Records are never removed or reordered; a departed user is only marked
// inactive, and the same ID coming back takes its old record again. A user
// is present (has a node in a group tree) while his record, other than
// record 0, is active. Once the list is full a newcomer takes a record that
// nobody misses: that of the user gone longest, else the newest of those who
// never said more than their announcement, else the one quiet longest of
// those who spoke but not lately; never one that is busy (an open talk, a
// group), so that made-up announcements cannot push real users out.
// Records from 1 on are found by ID through a hash index, so that a flood of
// newcomers costs each the same however long the list is: their IDs change
// only through Append and Assign (Record() is for the other fields).
class TUserListModel {
public:
  // Peers can make at most this many records.
  static constexpr std::size_t kMaxUsers = 10000;

  int Count() const { return static_cast<int>(FRecords.size()); }
  const RUserID *Record(int Index) const;
  RUserID *Record(int Index);
  // Appends a record; its number, or -1 when the list is full.
  int Append(const RUserID &Record);
  // Overwrites a record (ID included) in place.
  void Assign(int Index, const RUserID &Record);
  // A user who spoke within this time is never made room for.
  static constexpr std::chrono::minutes kRecentSpeech{10};
  // The record a newcomer takes when the list is full (see above); Busy
  // says which records are in use elsewhere. -1 when none may go.
  int Reusable(const std::function<bool(int)> &Busy, TimePoint Now) const;
  // Notes that the record's user said something (a message, not an
  // announcement).
  void NoteSpoke(int Index, TimePoint Now);
  bool HasSpoken(int Index) const;
  // A record given to a newcomer starts as new and silent.
  void Renew(int Index);
  // Notes that the record's user was just heard of (made, announced, gone).
  void Touch(int Index);
  // The record number of the present user with that ID (never 0), or -1.
  int FindPresent(std::string_view ID) const;
  // The record number with that ID from 1 on, present or not, or -1.
  int IndexOfID(std::string_view ID) const;

  // The group boxes: Tag 1 main group, Tag 2 bad list, then own groups.
  std::vector<TGroupBoxInfo> &Groups() { return FGroups; }
  const std::vector<TGroupBoxInfo> &Groups() const { return FGroups; }
  TGroupBoxInfo *FindGroup(std::int32_t Tag);
  TGroupBoxInfo *FindGroupByCaption(std::string_view Caption);
  // The number a group box gets when it asks for Requested: Requested when
  // no box has it (and it is not -1); otherwise the first number from the
  // number of boxes + 1 up that no box has and that Stored does not hold.
  std::int32_t NextGroupTag(std::int32_t Requested, const std::function<bool(std::int32_t)> &Stored) const;

private:
  // The lowest record number from 1 on that has the ID and, when Present,
  // is present; -1 for none.
  int Lookup(std::string_view ID, bool Present) const;
  static std::size_t HashOf(std::string_view ID) { return std::hash<std::string_view>()(ID); }
  // The ID index: a record enters under the ID it has now.
  void Index(int Record);
  void Unindex(int Record);
  void GrowIndex();

  // A deque: records never move, and a full list costs no copy of them all.
  std::deque<RUserID> FRecords;
  // Record numbers from 1 on by the hash of their ID, found by probing on
  // from the hash's slot (0: a free slot); the records hold the IDs. Kept
  // at most half full.
  std::vector<std::int32_t> FByID;
  std::size_t FIndexed = 0;
  // Per record, in record order.
  struct TRecordTimes {
    std::uint64_t Heard = 0; // when last heard of, in Touch order
    std::uint64_t Made = 0;  // when made (or renewed), in that order
    TimePoint Spoke{};       // when last spoke, if FSpoken says he did
  };
  std::vector<TRecordTimes> FTimes;
  std::vector<bool> FSpoken;
  std::uint64_t FHeardClock = 0;

  std::vector<TGroupBoxInfo> FGroups{{kMainGroupTag, false, "Main group", {}}, {kBadListTag, false, "Bad list", {}}};
};

// One talk tab: a page with one talk frame.
struct TTalkTab {
  std::string Caption;
  std::int32_t ImageIndex = 0;
  TTalkFrame Frame;
  std::vector<TMemberButton> Members;
  bool MembersVisible = false;
  // The transcript; the oldest messages go first when it is full.
  std::deque<TTalkMessage> Transcript;
  // The input box's document as body markup.
  std::string Input;
  bool InputReadOnly = false;
  // When the talk was opened or last got a message, in that order.
  std::uint64_t LastActivity = 0;
  // The history file that already holds the messages this transcript let go
  // (empty while it let none go); the rest joins it when the talk is saved.
  std::string HistoryPath;
  // Bytes this talk wrote to HistoryPath; past the per-talk bound no more
  // is written (HistoryCapped), and the user was told once.
  std::uint64_t HistoryBytes = 0;
  bool HistoryCapped = false;
  // A write failed and the user was told; cleared by the next one that works.
  bool HistoryFailed = false;
};

class TTalkListModel {
public:
  // Messages a transcript keeps, and bytes of whole messages all transcripts
  // keep together; the oldest messages go first, each handed to the drop
  // handler before it goes.
  static constexpr std::size_t kMaxTranscript = 10000;
  static constexpr std::size_t kMaxTranscriptBytes = 64u << 20;
  using DropHandler = std::function<void(TTalkTab &Tab, const TTalkMessage &Message)>;

  // What a message costs against the budget: every field a peer chooses.
  static std::size_t Cost(const TTalkMessage &Message);
  void SetDropHandler(DropHandler Handler) { FOnDrop = std::move(Handler); }

  int Count() const { return static_cast<int>(FTabs.size()); }
  TTalkTab *Tab(int Index);
  const TTalkTab *Tab(int Index) const;
  int Active() const { return FActive; }
  void SetActive(int Index);
  // Appends a tab and makes it active; its index.
  int Open(std::string Caption, std::int32_t ImageIndex, const TTalkFrame &Frame);
  void Close(int Index);
  void Append(int Index, const TTalkMessage &Message);
  int CountOfKind(std::uint8_t Kind) const;

  // First tab of kind 2 with that partner, -1 when none.
  int FindPrivateTab(std::string_view PartnerID) const;
  // First tab of kind 1 made from that group box, -1 when none.
  int FindOwnGroupTab(std::int32_t GroupBoxTag) const;
  // The tab of that kind quiet for the longest time, -1 when none.
  int LeastRecentlyActive(std::uint8_t Kind) const;

  std::size_t TranscriptBytes() const { return FBytes; }

private:
  void DropOldest(TTalkTab &Tab);

  std::vector<std::unique_ptr<TTalkTab>> FTabs;
  int FActive = -1;
  std::size_t FBytes = 0;
  std::uint64_t FActivityClock = 0;
  DropHandler FOnDrop;
};

} // namespace kc
