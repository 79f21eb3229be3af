// Receive handlers per message kind: which copy is meant, which talk a
// message belongs to, which tab opens or closes, what is shown and played.
#include "core/KavetChatNetUn.h"

#include <algorithm>

#include "core/AnsweringmachineTextUn.h"
#include "core/ConstUnit.h"
#include "core/LngUn.h"

namespace kc {

namespace {

// The message as a transcript keeps it: the body whole, the sender's fields
// cut to what this copy keeps of any peer's.
TTalkMessage messageOf(const TDataNewMessage &M) {
  return TTalkMessage{CutReceived(M.GetID(), kMaxReceivedID),
                      CutReceived(M.GetIP(), kMaxReceivedIP),
                      M.GetMessageStr(),
                      M.GetColor(),
                      M.GetImageIndex(),
                      CutReceived(M.GetAlias(), kMaxReceivedAlias),
                      M.HasAutoReplyFlag()};
}

} // namespace

bool TKavetChatNet::IsSenderDeactivated(const TDataNewMessage &Message) const {
  const std::string id(TrimText(CutReceived(Message.GetID(), kMaxReceivedID)));
  if (id.empty()) return false;
  const RUserID *r = FWindows.GetUserRecord(FWindows.FindUserNode(id));
  return r && r->Deactivated;
}

void TKavetChatNet::ShowTalkMessage(const TTalkMessage &Message, int Tab) {
  if (FWindows.FindTalkFrame(Tab)) FWindows.RenderTalkMessage(Tab, Message);
}

void TKavetChatNet::HandleMessageToAll(const std::string &Text) {
  const TDataNewMessage m(Text);
  if (IsSenderDeactivated(m)) return;
  const TTalkMessage msg = messageOf(m);
  FWindows.NoteUserSpoke(msg.SenderID);
  ShowTalkMessage(msg, 0);
  FWindows.ShowNotification(MessageText(msgtext::MessageFromUser), msg.Alias, 0, msg.ImageIndex, msg.IP);
  FWindows.PlayEventSound(4);
}

void TKavetChatNet::HandleMessageToUser(const std::string &Text) {
  const TDataNewMessage m(Text);
  const std::string own = OwnID();
  if (own.empty() || m.GetFromUserID() != own) return;
  const TTalkMessage msg = messageOf(m);
  FWindows.NoteUserSpoke(msg.SenderID);
  int tab = -1;
  for (int i = 1; i < FWindows.TabCount(); ++i) {
    const TTalkFrame *f = FWindows.FindTalkFrame(i);
    if (f && f->TalkKind == tkPrivate && f->AutorGroupID == msg.SenderID) {
      ShowTalkMessage(msg, i);
      tab = i;
    }
  }
  if (tab == -1) {
    if (IsSenderDeactivated(m) || FWindows.IsNotTalkPrivate()) return;
    tab = OpenPrivateTalk(msg.SenderID);
    if (tab == -1) return;
    ShowTalkMessage(msg, tab);
  }
  FWindows.ShowNotification(MessageText(msgtext::MessageFromUser), msg.Alias, tab, msg.ImageIndex, msg.IP);
  FWindows.PlayEventSound(4);
  // An automatic reply is never answered automatically: two copies in
  // auto-reply mode would answer each other for ever.
  if (!msg.AutoReply) AutoReply(FWindows.IsAnsweringMachineOn(), tab);
}

int TKavetChatNet::OpenPrivateTalk(std::string_view ID) {
  const int index = FWindows.FindUserNode(ID);
  if (index <= 0) return -1;
  const RUserID *r = FWindows.GetUserRecord(index);
  if (!r) return -1;
  TTalkFrame frame;
  frame.TalkKind = tkPrivate;
  frame.AutorGroupIP = r->IP;
  frame.AutorGroupID = r->ID;
  frame.AutorGroupMAC = r->MAC;
  frame.GroupBoxTag = -1;
  const std::string caption = TrimText(r->ALIAS).empty() ? r->IP : r->ALIAS;
  const std::int32_t image = r->IMAGEINDEX;
  // Private talks are bounded as group talks are: the one quiet longest
  // makes room, its transcript saved first.
  int open = 0;
  for (int i = 0; i < FWindows.TabCount(); ++i) {
    const TTalkFrame *f = FWindows.FindTalkFrame(i);
    if (f && f->TalkKind == tkPrivate) ++open;
  }
  if (open >= kMaxPrivateTalks) {
    const int quiet = FWindows.LeastRecentlyActiveTab(tkPrivate);
    if (quiet <= 0) return -1;
    FWindows.SaveTalkHistory(quiet);
    FWindows.FreeTab(quiet);
  }
  const int tab = FWindows.OpenTalkTab(caption, image, frame);
  if (tab == -1) return -1;
  FWindows.SetPrivateInputsReadOnly(FWindows.IsAnsweringMachineOn());
  return tab;
}

void TKavetChatNet::AutoReply(bool AutoOn, int Tab) {
  if (Tab == -1 || !AutoOn) return;
  const std::string section = FWindows.CheckedAutoReplyVariant();
  if (section.empty()) return;
  std::string caption, text;
  ReadAMText(Key(), caption, text, section);
  if (caption.empty() || !FWindows.HasInputBox(Tab)) return;
  FWindows.FillAutoReplyInput(Tab, caption, text);
  SendAndClear(Tab, true);
}

void TKavetChatNet::HandleMessageToGroup(const std::string &Text) {
  const TDataNewMessage m(Text);
  if (IsSenderDeactivated(m)) return;
  const std::string own = OwnID();
  if (own.empty() || !m.IsIDInFromUserIDs(own)) return;
  const TTalkMessage msg = messageOf(m);
  FWindows.NoteUserSpoke(msg.SenderID);
  const std::string groupID = CutReceived(m.GetGroupID(), kMaxReceivedID);
  int tab = -1;
  for (int i = 1; i < FWindows.TabCount(); ++i) {
    const TTalkFrame *f = FWindows.FindTalkFrame(i);
    if (f && (f->TalkKind == tkOwnGroup || f->TalkKind == tkOtherGroup) && f->GroupID == groupID) {
      ShowTalkMessage(msg, i);
      tab = i;
    }
  }
  if (tab == -1) {
    if (FWindows.IsNotTalkGroup()) return;
    tab = OpenGroupTalkFromMessage(m);
    if (tab == -1) return;
    ShowTalkMessage(msg, tab);
  }
  FWindows.ShowNotification(MessageText(msgtext::MessageFromUser), msg.Alias, tab, msg.ImageIndex, msg.IP);
  FWindows.PlayEventSound(4);
}

int TKavetChatNet::OpenGroupTalkFromMessage(const TDataNewMessage &Message) {
  const std::string own = OwnID();
  TTalkFrame frame;
  frame.AutorGroupID = CutReceived(Message.GetAutorGroupID(), kMaxReceivedID);
  frame.AutorGroupIP = CutReceived(Message.GetAutorGroupIP(), kMaxReceivedIP);
  frame.AutorGroupMAC = CutReceived(Message.GetAutorGroupMAC(), kMaxReceivedIP);
  frame.AutorGroupAliase = CutReceived(Message.GetAutorGroupAliase(), kMaxReceivedAlias);
  if (TrimText(frame.AutorGroupAliase).empty()) frame.AutorGroupAliase = frame.AutorGroupIP;
  frame.GroupName = CutReceived(Message.GetGroupName(), kMaxReceivedAlias);
  frame.GroupID = CutReceived(Message.GetGroupID(), kMaxReceivedID);
  frame.GroupBoxTag = -1;
  const bool mine = !own.empty() && frame.AutorGroupID == own;
  frame.TalkKind = mine ? tkOwnGroup : tkOtherGroup;
  // Other users open group talks here; their number is bounded.
  if (!mine) {
    int others = 0;
    for (int i = 0; i < FWindows.TabCount(); ++i) {
      const TTalkFrame *f = FWindows.FindTalkFrame(i);
      if (f && f->TalkKind == tkOtherGroup) ++others;
    }
    if (others >= kMaxOtherGroupTalks) return -1;
  }
  const std::string caption = mine ? frame.GroupName : "[" + frame.AutorGroupAliase + "] " + frame.GroupName;
  const int tab = FWindows.OpenTalkTab(caption, 2, frame);
  if (tab == -1) return -1;
  AddMembersFromMessage(Message, tab);
  return tab;
}

void TKavetChatNet::AddMembersFromMessage(const TDataNewMessage &Message, int Tab) {
  std::vector<std::string> ids;
  Message.GetFromUserIDList(ids);
  for (const std::string &id : ids) SetMemberButton(Tab, id, true);
}

int TKavetChatNet::IndexOfUserID(std::string_view ID) const {
  for (int i = 0; i < FWindows.UserCount(); ++i) {
    const RUserID *r = FWindows.GetUserRecord(i);
    if (r && r->ID == ID) return i;
  }
  return -1;
}

void TKavetChatNet::SetMemberButton(int Tab, std::string_view ID, bool Add) {
  if (IndexOfUserID(ID) == -1) return;
  // Only present users have a tree node and so a button.
  const int index = FWindows.FindUserNode(ID);
  if (index <= 0) return;
  if (Add) FWindows.AddMemberButton(Tab, index);
  else FWindows.RemoveMemberButtons(Tab, index);
}

int TKavetChatNet::FindGroupTalk(std::string_view GroupID) const {
  if (GroupID.empty()) return -1;
  for (int i = 0; i < FWindows.TabCount(); ++i) {
    const TTalkFrame *f = FWindows.FindTalkFrame(i);
    if (f && f->GroupID == GroupID) return i;
  }
  return -1;
}

void TKavetChatNet::SyncMemberButtons(const std::vector<std::string> &IDs, int Tab) {
  const std::vector<TMemberButton> buttons = FWindows.MemberButtons(Tab);
  for (auto b = buttons.rbegin(); b != buttons.rend(); ++b) {
    const RUserID *r = FWindows.GetUserRecord(b->UserIndex);
    if (!r || std::find(IDs.begin(), IDs.end(), r->ID) == IDs.end()) FWindows.RemoveMemberButtons(Tab, b->UserIndex);
  }
  for (const std::string &id : IDs) {
    bool has = false;
    for (const TMemberButton &b : FWindows.MemberButtons(Tab)) {
      const RUserID *r = FWindows.GetUserRecord(b.UserIndex);
      if (r && r->ID == id) {
        has = true;
        break;
      }
    }
    if (!has) SetMemberButton(Tab, id, true);
  }
}

void TKavetChatNet::HandleGroupMembers(const std::string &Text) {
  const TDataNewMessage m(Text);
  const int tab = FindGroupTalk(CutReceived(m.GetGroupID(), kMaxReceivedID));
  if (tab == -1) return;
  const TTalkFrame *frame = FWindows.FindTalkFrame(tab);
  const std::string own = OwnID();
  if (!frame || own.empty() || frame->AutorGroupID == own) return;
  // Only the talk's author changes its members.
  if (CutReceived(m.GetAutorGroupID(), kMaxReceivedID) != frame->AutorGroupID) return;
  std::vector<std::string> ids;
  m.GetFromUserIDList(ids);
  if (std::find(ids.begin(), ids.end(), own) == ids.end()) {
    FWindows.SaveTalkHistory(tab);
    FWindows.FreeTab(tab);
    return;
  }
  SyncMemberButtons(ids, tab);
}

void TKavetChatNet::RenameGroupTalks(std::string_view GroupID, std::string_view AuthorID, std::string_view Name,
                                     std::string_view Alias) {
  // Unlike the member list and the delete, a rename also reaches group talks
  // opened from messages without a GROUPID: they carry the empty one.
  for (int i = 0; i < FWindows.TabCount(); ++i) {
    const TTalkFrame *f = FWindows.FindTalkFrame(i);
    if (!f || (f->TalkKind != tkOwnGroup && f->TalkKind != tkOtherGroup) || f->GroupID != GroupID) continue;
    // Only the talk's author renames it.
    if (f->AutorGroupID != AuthorID) continue;
    TTalkFrame changed = *f;
    changed.AutorGroupAliase = std::string(Alias);
    changed.GroupName = std::string(Name);
    FWindows.SetTalkFrame(i, changed);
    FWindows.SetTabCaption(i, changed.TalkKind == tkOtherGroup ? "[" + std::string(Alias) + "] " + std::string(Name)
                                                               : std::string(Name));
  }
}

void TKavetChatNet::HandleGroupRename(const std::string &Text) {
  const TDataNewMessage m(Text);
  std::string alias = CutReceived(m.GetAutorGroupAliase(), kMaxReceivedAlias);
  if (TrimText(alias).empty()) alias = CutReceived(m.GetAutorGroupIP(), kMaxReceivedIP);
  RenameGroupTalks(CutReceived(m.GetGroupID(), kMaxReceivedID), CutReceived(m.GetAutorGroupID(), kMaxReceivedID),
                   CutReceived(m.GetGroupName(), kMaxReceivedAlias), alias);
}

void TKavetChatNet::HandleGroupDelete(const std::string &Text) {
  const TDataNewMessage m(Text);
  const std::string groupID = CutReceived(m.GetGroupID(), kMaxReceivedID);
  std::string alias = CutReceived(m.GetAutorGroupAliase(), kMaxReceivedAlias);
  if (TrimText(alias).empty()) alias = CutReceived(m.GetAutorGroupIP(), kMaxReceivedIP);
  const int tab = FindGroupTalk(groupID);
  if (tab == -1) return;
  const TTalkFrame *frame = FWindows.FindTalkFrame(tab);
  const std::string own = OwnID();
  if (!frame || own.empty() || frame->AutorGroupID == own) return;
  // Only the talk's author ends it.
  const std::string author = frame->AutorGroupID;
  if (CutReceived(m.GetAutorGroupID(), kMaxReceivedID) != author) return;
  FWindows.NoticeGroupTalkClosed(2, alias, FWindows.TabCaption(tab));
  // The notice may have let other messages change the tabs meanwhile.
  const int now = FindGroupTalk(groupID);
  const TTalkFrame *still = FWindows.FindTalkFrame(now);
  if (now == -1 || !still || still->AutorGroupID != author) return;
  FWindows.SaveTalkHistory(now);
  FWindows.FreeTab(now);
}

void TKavetChatNet::HandlePrivateTalkClosed(const std::string &Text) {
  const TDataNewMessage m(Text);
  const std::string own = OwnID();
  if (own.empty() || m.GetFromUserID() != own) return;
  const std::string id = CutReceived(m.GetID(), kMaxReceivedID);
  const std::string name =
      DisplayName(CutReceived(m.GetAlias(), kMaxReceivedAlias), CutReceived(m.GetIP(), kMaxReceivedIP));
  auto findTab = [&] {
    int tab = -1;
    for (int i = 1; i < FWindows.TabCount(); ++i) {
      const TTalkFrame *f = FWindows.FindTalkFrame(i);
      if (f && f->TalkKind == tkPrivate && f->AutorGroupID == id) tab = i;
    }
    return tab;
  };
  if (findTab() == -1) return;
  if (!FWindows.AskClosePrivateTalk(3, name)) return;
  const int tab = findTab();
  if (tab == -1) return;
  FWindows.SaveTalkHistory(tab);
  FWindows.FreeTab(tab);
}

void TKavetChatNet::HandleFileTo(const std::string &Text) {
  const TDataFileMessage m(Text);
  const std::string own = OwnID();
  if (own.empty() || m.GetServerID() != own) return;
  // Read as the request names them; file contents never travel.
  (void)m.GetServerIP();
  (void)m.GetClientID();
  (void)m.GetClientIP();
  (void)m.GetFileName();
  (void)m.GetNomberFile();
}

void TKavetChatNet::ShowPresenceInTalks(int UserIndex, const std::string &IP, bool Connected, const std::string &ID,
                                        std::int32_t Color, std::int32_t ImageIndex, const std::string &Alias) {
  const std::string text =
      FormatText(MessageText(Connected ? msgtext::ConnectUser : msgtext::DisconnectUser), {DisplayName(Alias, IP)});
  const TTalkMessage msg{ID, IP, text, Color, ImageIndex, Alias, false, true};
  for (int i = 1; i < FWindows.TabCount(); ++i)
    if (TalkHasUser(i, UserIndex, ID)) ShowTalkMessage(msg, i);
}

bool TKavetChatNet::TalkHasUser(int Tab, int UserIndex, std::string_view ID) const {
  const TTalkFrame *f = FWindows.FindTalkFrame(Tab);
  if (!f) return false;
  if (f->TalkKind == tkPrivate && f->AutorGroupID == ID) return true;
  for (const TMemberButton &b : FWindows.MemberButtons(Tab))
    if (b.UserIndex == UserIndex) return true;
  return false;
}

void TKavetChatNet::MarkMemberButtons(int UserIndex, bool Checked) {
  for (int i = 0; i < FWindows.TabCount(); ++i) FWindows.SetMemberButtonChecked(i, UserIndex, Checked);
}

} // namespace kc
