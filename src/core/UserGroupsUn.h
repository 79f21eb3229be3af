#pragma once
// What the user does to the user list's groups and people, on the headless
// windows' models, so that the window and the headless program share one
// set of rules: making, renaming, collapsing and deleting a group, moving
// someone into a group, deactivating someone. Each step stores what it
// changed at once, so that a crash loses nothing, and tells the group's
// own talk and the peers.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kc {

class THeadlessChatWindows;
class TKavetChatNet;

class TUserGroups {
public:
  // Net may be null (nothing is sent then).
  TUserGroups(THeadlessChatWindows &Windows, TKavetChatNet *Net, std::string Key)
      : FWindows(Windows), FNet(Net), FKey(std::move(Key)) {}

  // A new group with a new identifier and the next free number, stored at
  // once; its number.
  std::int32_t CreateGroup(std::string_view Caption);
  // Renames a made group ("" and blanks become " "), tells the peers and
  // stores the group's section whether it was stored before or not. False
  // for the fixed groups and unknown numbers.
  bool RenameGroup(std::int32_t Tag, std::string_view Caption);
  // Deletes a made group: the peers are told, its present members go to the
  // main group from Order's last to its first (Order: the record numbers in
  // the order the list shows them; empty: record order), the stored
  // assignments of absent members follow them, the section goes, and the
  // group's own talk closes after its members left it.
  bool DeleteGroup(std::int32_t Tag, const std::vector<int> &Order = {});
  // Moves a present user into the group: he leaves the old group's own
  // talk and joins the new one's, and the assignment is stored.
  bool MoveUser(int UserIndex, std::int32_t Tag);
  void SetCollapsed(std::int32_t Tag, bool Collapsed);
  // Deactivates (or activates again) a present user: his messages are
  // ignored and his member buttons are checked.
  bool SetDeactivated(int UserIndex, bool On);

  // The made group the name goes to when the user's text is stored.
  static std::string GroupName(std::string_view Text);

private:
  void LeaveOwnTalk(int UserIndex, std::int32_t Tag);
  void JoinOwnTalk(int UserIndex, std::int32_t Tag);

  THeadlessChatWindows &FWindows;
  TKavetChatNet *FNet;
  std::string FKey;
};

} // namespace kc
