#pragma once
// Stored user groups of the user list and the group each known user sits in.
//
// One section per user-made group box, Tag + "_GROUPBOX!>!", with
// "TagNumber_Value", "Collapse_Value", "Caption_Value" and "GroupID"; the two
// fixed boxes (main group, Tag 1, and bad list, Tag 2) keep only their GroupID
// ("MainGoupID", "BadGoupID") and collapsed state ("MainCollapse",
// "BadCollapse"); one section per user, ID + "UserGroup_", value
// "GroupNomber". Every routine opens its own store (the users' groups are
// read once and kept until a store of the file changes or the file is
// written); missing values read as their defaults, and only a fault (out of
// memory) raises.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kc {

inline constexpr std::string_view kGroupBoxMark = "_GROUPBOX!>!";
inline constexpr std::int32_t kMainGroupTag = 1;
inline constexpr std::int32_t kBadListTag = 2;

// What the store reads and writes of a user-list group box.
struct TGroupBoxInfo {
  std::int32_t Tag = 0;
  bool Collapsed = false;
  std::string Caption;
  std::string GroupID; // the box keeps it in its Hint
};

// The user list as the group store sees it: it makes boxes and lists them.
class IGroupBoxContainer {
public:
  virtual ~IGroupBoxContainer() = default;
  // The user list's CreateGroupBox: a box with its tree, asking for no
  // renaming. SourceSection names the stored section the box was read from
  // (empty for a new box): a box that cannot keep that section's number
  // moves to a section of its own and the source section goes, so that it
  // is not read as a further box at the next start.
  virtual void CreateGroupBox(const std::string &Caption, const std::string &GroupID, std::int32_t Tag,
                              std::string_view SourceSection = {}) = 0;
  // Every group box of the container in control order, fixed boxes included.
  virtual std::vector<TGroupBoxInfo> GroupBoxes() const = 0;
};

std::string GroupBoxSection(std::int32_t Tag);

// Reads the stored file once for all boxes: the key stays open meanwhile.
void LoadAllGroupBoxes(std::string_view Key, IGroupBoxContainer &Container);
void LoadGroupBox(std::string_view Key, std::string_view Section, IGroupBoxContainer &Container);
void SaveAllGroupBoxes(std::string_view Key, const IGroupBoxContainer &Container);
void WriteGroupBox(std::string_view Key, std::int32_t Tag, bool Collapse, std::string_view Caption,
                   std::string_view GroupID);
void UpdateGroupBox(std::string_view Key, std::int32_t Tag, bool Collapse, std::string_view Caption,
                    std::string_view GroupID);
void EraseGroupBox(std::string_view Key, std::int32_t Tag);
bool GroupBoxExists(std::string_view Key, std::int32_t Tag);
void WriteGroupCollapse(std::string_view Key, std::int32_t Tag, bool Collapse);
bool ReadGroupCollapse(std::string_view Key, std::int32_t Tag);
void WriteFixedGroupIDs(std::string_view Key, std::string_view BadBoxID, std::string_view MainBoxID);
// Each ID is the stored text, or a new GUID text when missing or blank.
void ReadFixedGroupIDs(std::string_view Key, std::string &BadBoxID, std::string &MainBoxID);
void WriteFixedGroupCollapse(std::string_view Key, bool Main, bool Bad);
void ReadFixedGroupCollapse(std::string_view Key, bool &Main, bool &Bad);
// Tag of the box the user sits in; -1 when missing.
std::int32_t ReadUserGroup(std::string_view Key, std::string_view UserID);
void WriteUserGroup(std::string_view Key, std::string_view UserID, std::int32_t Tag);
// Every stored user assignment to group From names group To afterwards: the
// members of a deleted group who are away come back into To, never into a
// later group that is given From's number.
void MoveStoredGroupUsers(std::string_view Key, std::int32_t From, std::int32_t To);

} // namespace kc
