#pragma once
// What the messaging core calls of the chat windows: talk tabs and their
// frames, transcripts, input boxes, member toolbars, the user list, notices,
// sounds, dialogs and the states of a few actions.
//
// Tabs are addressed by index, 0 being the all-users talk; users by their
// record number in the user list, 0 being the local user. Every call comes on
// the GUI thread. Calls with an index that names nothing do nothing (or
// answer "none"), as the windows' handlers leave silently.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/ProtocolClassUn.h"
#include "core/SendMessageUn.h"

namespace kc {

// Talk kinds of a talk frame.
enum : std::uint8_t {
  tkAllUsers = 0,
  tkOwnGroup = 1,
  tkPrivate = 2,
  tkOtherGroup = 3,
};

// The fields of a talk frame `TfrConnectUser` that address its messages.
struct TTalkFrame {
  std::uint8_t TalkKind = tkAllUsers;
  std::string AutorGroupIP;
  std::string AutorGroupID; // the author's ID; the partner's in a private talk
  std::string AutorGroupMAC;
  std::int32_t GroupBoxTag = -1;
  std::string GroupID;
  std::string AutorGroupAliase;
  std::string GroupName;

  TGroupTalkFields GroupFields() const {
    return {GroupID, AutorGroupID, AutorGroupIP, AutorGroupMAC, AutorGroupAliase, GroupName};
  }
};

// One message as a transcript receives it.
struct TTalkMessage {
  std::string SenderID;
  std::string IP;
  std::string Body; // body markup
  std::int32_t Color = 0;
  std::int32_t ImageIndex = 0;
  std::string Alias;
  bool AutoReply = false; // the message carried the auto-reply flag
  // A line the program wrote (a user came or went): its body is plain text,
  // never markup, since it quotes an alias a peer chose.
  bool Presence = false;
};

// A button of a group talk's member toolbar.
struct TMemberButton {
  std::int32_t UserIndex = 0; // the button's Tag
  bool Checked = false;       // the user is deactivated
};

class TChatWindowServices {
public:
  virtual ~TChatWindowServices() = default;

  // Talk tabs (`pcMain`).
  virtual int TabCount() const = 0;
  virtual int ActiveTab() const = 0;
  // `FindTalkFrame`: the frame of a tab, or none.
  virtual const TTalkFrame *FindTalkFrame(int Tab) const = 0;
  virtual std::string TabCaption(int Tab) const = 0;
  virtual void SetTabCaption(int Tab, const std::string &Caption) = 0;
  virtual void SetTabImage(int Tab, std::int32_t ImageIndex) = 0;
  virtual void SetTalkFrame(int Tab, const TTalkFrame &Frame) = 0;
  // `OpenTalkTab`: a new tab with a new frame, made the active page; its
  // index, or -1 on failure.
  virtual int OpenTalkTab(const std::string &Caption, std::int32_t ImageIndex, const TTalkFrame &Frame) = 0;
  // `SaveTalkHistory`: the tab's transcript into the history folder.
  virtual void SaveTalkHistory(int Tab) = 0;
  // Frees the tab page with its frame.
  virtual void FreeTab(int Tab) = 0;
  // The tab of that talk kind that got no message for the longest time (or
  // was opened longest ago); -1 when none.
  virtual int LeastRecentlyActiveTab(std::uint8_t TalkKind) const = 0;

  // `TfmKavetChat.RenderTalkMessage` into the tab's transcript.
  virtual void RenderTalkMessage(int Tab, const TTalkMessage &Message) = 0;

  // Member toolbar (`TfmKavetChat.GetMemberToolbar`): buttons in order.
  virtual bool HasMemberToolbar(int Tab) const = 0;
  virtual std::vector<TMemberButton> MemberButtons(int Tab) const = 0;
  // `TfmKavetChat.AddMemberButton`: unless a button of that user exists;
  // checked when the user is deactivated. The toolbar is visible exactly
  // when it has buttons.
  virtual void AddMemberButton(int Tab, std::int32_t UserIndex) = 0;
  // Deletes every button of that user, from the last to the first.
  virtual void RemoveMemberButtons(int Tab, std::int32_t UserIndex) = 0;
  virtual void SetMemberButtonChecked(int Tab, std::int32_t UserIndex, bool Checked) = 0;

  // Input boxes.
  virtual bool HasInputBox(int Tab) const = 0;
  // `DocumentToText`: the body markup of the tab's input box.
  virtual std::string DocumentToText(int Tab) const = 0;
  virtual bool IsInputReadOnly(int Tab) const = 0;
  // Clears and reformats the input box.
  virtual void ClearInput(int Tab) = 0;
  // The auto-reply's input: picture 3 of the main image list, Caption as a
  // run, Text as a new paragraph.
  virtual void FillAutoReplyInput(int Tab, const std::string &Caption, const std::string &Text) = 0;
  // `TfmKavetChat.SetPrivateInputsReadOnly`.
  virtual void SetPrivateInputsReadOnly(bool ReadOnly) = 0;

  // The user list (`TfmUserList`).
  virtual int UserCount() const = 0;
  // `TfmUserList.GetUserRecord`: none for an index out of range.
  virtual const RUserID *GetUserRecord(int Index) const = 0;
  // `TfmUserList.FindUserNode`: the record number of the present user with
  // that ID (never 0), -1 when none.
  virtual int FindUserNode(std::string_view ID) const = 0;
  virtual void HandleNewUser(const std::string &Text) = 0;
  virtual void HandleUpdateInfo(const std::string &Text) = 0;
  virtual void HandleDisconnect(const std::string &Text) = 0;
  // The present user with that ID said something (not an announcement):
  // the user list keeps those who speak when it has to make room.
  virtual void NoteUserSpoke(std::string_view ID) { (void)ID; }

  // Notices, sounds, dialogs.
  // `ShowNotification`: Format holds one "%s" for the alias in brackets (the
  // IP when the alias is blank); a click opens Tab.
  virtual void ShowNotification(const std::string &Format, const std::string &Alias, int Tab, std::int32_t ImageIndex,
                                const std::string &IP) = 0;
  // `PlayEventSound`: 0 user connected, 1 user disconnected, 3 program
  // start, 4 new message.
  virtual void PlayEventSound(int N) = 0;
  // The error dialog (error icon, one OK button).
  virtual void ShowErrorDialog(const std::string &Text) = 0;
  virtual void NoticeGroupTalkClosed(int Page, const std::string &AuthorName, const std::string &GroupCaption) = 0;
  // True: close the private talk that the partner closed.
  virtual bool AskClosePrivateTalk(int Page, const std::string &PartnerName) = 0;

  // Action states.
  virtual bool IsAnsweringMachineOn() const = 0; // `actAnsweringMachine`
  virtual bool IsNotTalkGroup() const = 0;       // `actNotTalkGroup`
  virtual bool IsNotTalkPrivate() const = 0;     // `actNotTalkPrivate`
  // The Hint (an auto-reply section) of the first checked item of
  // `miVariants`; empty when none is checked.
  virtual std::string CheckedAutoReplyVariant() const = 0;
};

} // namespace kc
