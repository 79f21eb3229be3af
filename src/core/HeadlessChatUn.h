#pragma once
// The chat windows without a screen: the services the messaging core calls,
// kept on the user-list and talk models, with the user list's presence
// handling; and a host that starts, runs and closes the messaging core on
// them as the program does. Whatever a window would show is handed to an
// event sink.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/ChatModelsUn.h"
#include "core/ChatServicesUn.h"
#include "core/ChatWindowsUn.h"
#include "core/GroupBoxStorageUn.h"
#include "core/KavetChatNetUn.h"
#include "core/LngUn.h"
#include "core/StoryFileUn.h"

namespace kc {

// What the windows would show; every call comes after the models changed.
class TChatEventSink {
public:
  virtual ~TChatEventSink() = default;
  // Change is "new", "update" or "disconnect".
  virtual void UserChanged(std::string_view Change, int UserIndex) { (void)Change, (void)UserIndex; }
  virtual void MessageShown(int Tab, const TTalkMessage &Message) { (void)Tab, (void)Message; }
  // Change is "open" (after the tab was made) or "close" (before it goes).
  virtual void TabChanged(std::string_view Change, int Tab) { (void)Change, (void)Tab; }
  virtual void Notice(const std::string &Text) { (void)Text; }
  virtual void Sound(int N) { (void)N; }
  virtual void Error(const std::string &Text) { (void)Text; }
};

class THeadlessChatWindows : public TChatWindowServices, public IGroupBoxContainer {
public:
  explicit THeadlessChatWindows(std::string Key);
  ~THeadlessChatWindows() override;
  THeadlessChatWindows(const THeadlessChatWindows &) = delete;
  THeadlessChatWindows &operator=(const THeadlessChatWindows &) = delete;

  void SetNet(TKavetChatNet *Net) { FNet = Net; }
  void SetSink(TChatEventSink *Sink) { FSink = Sink; }

  TUserListModel &Users() { return FUsers; }
  const TUserListModel &Users() const { return FUsers; }
  TTalkListModel &Talks() { return FTalks; }
  const TTalkListModel &Talks() const { return FTalks; }
  TLanguageMenuList &Languages() { return FLanguages; }

  // Action states and options the windows would hold.
  bool AnsweringMachine = false;
  bool NotTalkGroup = false;
  bool NotTalkPrivate = false;
  std::string CheckedVariant;
  bool SaveHistory = true;
  std::string HistoryFolder;
  THistoryLimits HistoryLimits;
  // Whether a save failed in this run (settings or history): the user was
  // told, and a program without windows ends with a failure code.
  bool SaveFailed() const { return FSaveFailed; }

  // TChatWindowServices
  int TabCount() const override { return FTalks.Count(); }
  int ActiveTab() const override { return FTalks.Active(); }
  const TTalkFrame *FindTalkFrame(int Tab) const override;
  std::string TabCaption(int Tab) const override;
  void SetTabCaption(int Tab, const std::string &Caption) override;
  void SetTabImage(int Tab, std::int32_t ImageIndex) override;
  void SetTalkFrame(int Tab, const TTalkFrame &Frame) override;
  int OpenTalkTab(const std::string &Caption, std::int32_t ImageIndex, const TTalkFrame &Frame) override;
  void SaveTalkHistory(int Tab) override;
  void FreeTab(int Tab) override;
  int LeastRecentlyActiveTab(std::uint8_t TalkKind) const override { return FTalks.LeastRecentlyActive(TalkKind); }
  void RenderTalkMessage(int Tab, const TTalkMessage &Message) override;
  bool HasMemberToolbar(int Tab) const override { return FTalks.Tab(Tab) != nullptr; }
  std::vector<TMemberButton> MemberButtons(int Tab) const override;
  void AddMemberButton(int Tab, std::int32_t UserIndex) override;
  void RemoveMemberButtons(int Tab, std::int32_t UserIndex) override;
  void SetMemberButtonChecked(int Tab, std::int32_t UserIndex, bool Checked) override;
  bool HasInputBox(int Tab) const override { return FTalks.Tab(Tab) != nullptr; }
  std::string DocumentToText(int Tab) const override;
  bool IsInputReadOnly(int Tab) const override;
  void ClearInput(int Tab) override;
  void FillAutoReplyInput(int Tab, const std::string &Caption, const std::string &Text) override;
  void SetPrivateInputsReadOnly(bool ReadOnly) override;
  int UserCount() const override { return FUsers.Count(); }
  const RUserID *GetUserRecord(int Index) const override { return FUsers.Record(Index); }
  int FindUserNode(std::string_view ID) const override { return FUsers.FindPresent(ID); }
  void HandleNewUser(const std::string &Text) override;
  void HandleUpdateInfo(const std::string &Text) override;
  void HandleDisconnect(const std::string &Text) override;
  void NoteUserSpoke(std::string_view ID) override;
  void ShowNotification(const std::string &Format, const std::string &Alias, int Tab, std::int32_t ImageIndex,
                        const std::string &IP) override;
  void PlayEventSound(int N) override;
  void ShowErrorDialog(const std::string &Text) override;
  void NoticeGroupTalkClosed(int Page, const std::string &AuthorName, const std::string &GroupCaption) override;
  bool AskClosePrivateTalk(int Page, const std::string &PartnerName) override;
  bool IsAnsweringMachineOn() const override { return AnsweringMachine; }
  bool IsNotTalkGroup() const override { return NotTalkGroup; }
  bool IsNotTalkPrivate() const override { return NotTalkPrivate; }
  std::string CheckedAutoReplyVariant() const override { return CheckedVariant; }

  // IGroupBoxContainer
  void CreateGroupBox(const std::string &Caption, const std::string &GroupID, std::int32_t Tag,
                      std::string_view SourceSection = {}) override;
  std::vector<TGroupBoxInfo> GroupBoxes() const override { return FUsers.Groups(); }

  // The input box of a tab, as the user would type it (body markup).
  void SetInput(int Tab, std::string Body);
  // The input box's body for text as typed: lines become paragraphs, tabs
  // spaces.
  static std::string TextToBody(std::string_view Text);
  // The transcript as plain text, as the history file gets it.
  std::string TranscriptText(int Tab) const;
  // One message as the history file gets it.
  static std::string HistoryText(const TTalkMessage &Message);
  // Every talk of the user from the last tab down: private talks closed as
  // the stored answer says, group talks he authored closed after the notice.
  void ClosePartnerTalks(const std::string &Name, const std::string &UserID);

private:
  // The record fields a NEW or UPDATEINFO carries, cut to what is kept.
  static void FillFromMessage(RUserID &Record, const TDataNewMessage &Message);
  // The talk's history file (made when it has none yet) gets Text.
  void AppendHistory(TTalkTab &Tab, const std::string &Text);
  // Frees a record for a newcomer: its user leaves every member toolbar and,
  // when still present, the tree.
  void ReleaseRecord(int Index);

  // A failed save, told to the user as an error.
  void ReportSaveFailure(const std::string &Text);
  // Room for Bytes more history (disk margin and folder bound) before
  // Tab's file grows; false when nothing may be written now.
  bool HistoryRoomFor(const TTalkTab &Tab, std::uint64_t Bytes);

  std::string FKey;
  bool FSaveFailed = false;
  // The history folder's bytes as last counted plus what was written since;
  // counted again now and then, since the user may delete files meanwhile.
  std::uint64_t FHistoryFolderBytes = 0;
  int FHistoryWritesSinceCount = -1; // -1: not counted yet
  bool FHistoryTrimNoticed = false;
  bool FHistoryDiskNoticed = false;
  TKavetChatNet *FNet = nullptr;
  TChatEventSink *FSink = nullptr;
  TUserListModel FUsers;
  TTalkListModel FTalks;
  TLanguageMenuList FLanguages;
};

// The messaging core with its headless windows, started and closed as the
// program starts and closes.
class THeadlessChatHost : public TChatWindows {
public:
  explicit THeadlessChatHost(TNetOptions Options = {}, TChatEventSink *Sink = nullptr);
  // The same on windows of the caller's (the chat windows derive from the
  // headless ones, so that the models' rules stay one implementation); they
  // must outlive the host.
  THeadlessChatHost(THeadlessChatWindows &Windows, TNetOptions Options, TChatEventSink *Sink);
  ~THeadlessChatHost() override;

  THeadlessChatWindows &Windows() { return *FWindows; }
  const THeadlessChatWindows &Windows() const { return *FWindows; }
  TKavetChatNet &Net() { return *FNet; }
  const std::string &Key() const { return FNet->Key(); }

  // Start-up and close (TChatWindows).
  void CreateMainWindow() override;
  void CreateUserList() override;
  void CreateGifCatalogue() override {}
  void WakeMainWindow() override;
  void CloseMainWindow() override;
  bool Closed() const { return FClosed; }
  // Steps of the two for windows that do the rest themselves: the
  // all-users talk that ends the main window's creation; the close up to the
  // settings (DISCONNECT, every talk's history, the groups), and after them
  // the network off.
  void OpenAllUsersTalk();
  void BeginClose();
  void EndClose();

  // What a user does in the windows. Each returns false (and reports an
  // error to the sink) when there is nothing to do it with.
  bool SayToAll(std::string_view Body);
  bool SendPrivate(std::string_view ID, std::string_view Body);
  // Opens (or reuses) the own group talk named Name with these members and
  // sends Body there.
  bool SendToGroup(std::string_view Name, const std::vector<std::string> &MemberIDs, std::string_view Body);
  bool ClosePrivate(std::string_view ID);
  bool CloseGroup(std::string_view Name);
  // Stores one profile value (ident such as "ALIAS_") and announces it.
  bool SetProfileField(std::string_view Ident, std::string_view Value);
  // The auto-reply mode with one stored text; off leaves the text stored.
  void SetAutoReply(bool On, std::string_view Caption = {}, std::string_view Text = {});

private:
  void Report(const std::string &Text);

  TChatEventSink *FSink;
  std::unique_ptr<THeadlessChatWindows> FOwnWindows;
  THeadlessChatWindows *FWindows;
  std::unique_ptr<TKavetChatNet> FNet;
  bool FClosed = false;
};

} // namespace kc
