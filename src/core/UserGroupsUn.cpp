#include "core/UserGroupsUn.h"

#include <algorithm>

#include "core/ConstUnit.h"
#include "core/HeadlessChatUn.h"
#include "core/ProtocolClassUn.h"

namespace kc {

std::string TUserGroups::GroupName(std::string_view Text) {
  const std::string_view t = TrimText(Text);
  return t.empty() ? std::string(" ") : std::string(t);
}

std::int32_t TUserGroups::CreateGroup(std::string_view Caption) {
  const std::string id = NewGUIDText();
  FWindows.CreateGroupBox(GroupName(Caption), id, -1);
  const TGroupBoxInfo &box = FWindows.Users().Groups().back();
  // Stored now, not only at a clean close: a crash must not lose it.
  WriteGroupBox(FKey, box.Tag, box.Collapsed, box.Caption, box.GroupID);
  return box.Tag;
}

bool TUserGroups::RenameGroup(std::int32_t Tag, std::string_view Caption) {
  if (Tag == kMainGroupTag || Tag == kBadListTag) return false;
  TGroupBoxInfo *box = FWindows.Users().FindGroup(Tag);
  if (!box) return false;
  box->Caption = GroupName(Caption);
  if (FNet) FNet->SendGroupRename(box->GroupID, box->Caption);
  WriteGroupBox(FKey, box->Tag, box->Collapsed, box->Caption, box->GroupID);
  return true;
}

void TUserGroups::LeaveOwnTalk(int UserIndex, std::int32_t Tag) {
  const int tab = FWindows.Talks().FindOwnGroupTab(Tag);
  if (tab < 0) return;
  const auto members = FWindows.MemberButtons(tab);
  if (std::none_of(members.begin(), members.end(), [&](const TMemberButton &b) { return b.UserIndex == UserIndex; }))
    return;
  FWindows.RemoveMemberButtons(tab, UserIndex);
  if (FNet) FNet->SendGroupMembers(tab);
}

void TUserGroups::JoinOwnTalk(int UserIndex, std::int32_t Tag) {
  const int tab = FWindows.Talks().FindOwnGroupTab(Tag);
  if (tab < 0) return;
  FWindows.AddMemberButton(tab, UserIndex);
  if (FNet) FNet->SendGroupMembers(tab);
}

bool TUserGroups::MoveUser(int UserIndex, std::int32_t Tag) {
  RUserID *r = FWindows.Users().Record(UserIndex);
  if (UserIndex <= 0 || !r || !r->Active || !FWindows.Users().FindGroup(Tag)) return false;
  if (r->GroupTag == Tag) return false;
  LeaveOwnTalk(UserIndex, r->GroupTag);
  r->GroupTag = Tag;
  WriteUserGroup(FKey, r->ID, Tag);
  JoinOwnTalk(UserIndex, Tag);
  return true;
}

bool TUserGroups::DeleteGroup(std::int32_t Tag, const std::vector<int> &Order) {
  if (Tag == kMainGroupTag || Tag == kBadListTag) return false;
  TGroupBoxInfo *box = FWindows.Users().FindGroup(Tag);
  if (!box) return false;
  if (FNet) FNet->SendGroupDelete(box->GroupID, box->Caption);
  std::vector<int> members;
  if (!Order.empty()) members = Order;
  else
    for (int i = 1; i < FWindows.Users().Count(); ++i) members.push_back(i);
  for (auto it = members.rbegin(); it != members.rend(); ++it) {
    const RUserID *r = FWindows.Users().Record(*it);
    if (r && r->Active && r->GroupTag == Tag) MoveUser(*it, kMainGroupTag);
  }
  EraseGroupBox(FKey, Tag);
  // Those away now come back into the main group, not into whatever group
  // gets this number next.
  MoveStoredGroupUsers(FKey, Tag, kMainGroupTag);
  auto &groups = FWindows.Users().Groups();
  groups.erase(std::remove_if(groups.begin(), groups.end(), [&](const TGroupBoxInfo &g) { return g.Tag == Tag; }),
               groups.end());
  const int tab = FWindows.Talks().FindOwnGroupTab(Tag);
  if (tab > 0) {
    FWindows.SaveTalkHistory(tab);
    FWindows.FreeTab(tab);
  }
  return true;
}

void TUserGroups::SetCollapsed(std::int32_t Tag, bool Collapsed) {
  TGroupBoxInfo *box = FWindows.Users().FindGroup(Tag);
  if (!box) return;
  box->Collapsed = Collapsed;
}

bool TUserGroups::SetDeactivated(int UserIndex, bool On) {
  RUserID *r = FWindows.Users().Record(UserIndex);
  if (UserIndex <= 0 || !r || !r->Active) return false;
  r->Deactivated = On ? 1 : 0;
  for (int i = 0; i < FWindows.TabCount(); ++i) FWindows.SetMemberButtonChecked(i, UserIndex, On);
  return true;
}

} // namespace kc
