#pragma once
// The program's main window: the talk tabs with their frames, the toolbar
// docks, the status bar and the shared style sheet. It is the chat windows
// the messaging core talks to: it derives from the headless windows, whose
// models (users, talks, transcripts handing old messages to the history)
// stay the one place of their rules, and shows what they hold.
#include <QPointer>
#include <QWidget>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ChatWindowsUn.h"
#include "core/HeadlessChatUn.h"
#include "platform/GuiTimer.h"
#include "platform/ImageList.h"
#include "platform/Notifications.h"
#include "richtext/document/RVStyle.h"
#include "ui/fmKavetChatActions.h"
#include "ui/fmKavetChatAutoReply.h"
#include "ui/fmStoryUn.h"
#include "ui/WorkFormatTextRichVistaEditUn.h"

class QDialog;
class QKeyEvent;
class QLabel;
class QMessageBox;

namespace kc {

class TfrConnectUser;
class TfmSelectPictureGIFMood;
class TfmUserList;
class TglGroupBox;
class TTranscriptRenderer;
class TKcPageControl;
class TKcStatusBar;
class TCoolTrayIcon;
class TKcWavePlayer;
class TCustomRichVistaEdit;
class TCustomRichVista;
class TfmInformation;
class TfmSelectPictureMood;
class TKcDragDrop;
namespace tb {
class TTBDock;
}

class TfmKavetChat : public QWidget,
                     public THeadlessChatWindows,
                     public TChatWindows,
                     public TChatEventSink,
                     public IMainWindowActions {
public:
  // Panels of the status bar: the own picture, alias, IP, ..., the notice.
  static constexpr int kStatusPanels = 6;
  static constexpr int kNoticePanel = kStatusPanels - 1;

  explicit TfmKavetChat(TNetOptions Options = {});
  ~TfmKavetChat() override;

  THeadlessChatHost &Host() { return *FHost; }

  // The close button and the tray's close end here: the program's close
  // sequence runs once (the program sets this; without it the window
  // closes itself).
  std::function<void()> OnCloseRequested;
  // A file that gets what the window shows as JSON after every change.
  void SetDumpFile(const std::string &Path);
  // What the window shows, read from its widgets, as UTF-8 JSON.
  std::string DumpJson() const;

  // TChatWindows
  void CreateMainWindow() override;
  void CreateUserList() override;
  void CreateGifCatalogue() override;
  void WakeMainWindow() override;
  void CloseMainWindow() override;

  // The title and status panels 0-2 from the local user's record.
  void ShowOwnIdentity();
  // Shows Text in the last status panel.
  void ShowNotice(const QString &Text);

  // Widgets.
  tb::TTBDock *TBDockMainTop = nullptr;
  tb::TTBDock *TBDockMainBotton = nullptr;
  TKcPageControl *pcMain = nullptr;
  TKcStatusBar *KcStatusBar = nullptr;
  QLabel *MyImage = nullptr;
  TRVStyle RVStyle;
  TCustomImageList ilProfilesImage{32, 32};
  TCustomImageList ilProfilesImage16x16{16, 16};
  TCustomImageList ilHotImage{32, 32};
  TCustomImageList ilHotImage16x16{16, 16};
  // Files and folders messages offered, named by index for good.
  TOfferedFiles OfferedFiles;
  // The hidden catalogue of animated emoticons.
  std::unique_ptr<TfmSelectPictureGIFMood> fmSelectPictureGIFMood;
  TTranscriptRenderer &Renderer() { return *FRenderer; }

  // The tab's frame, or none.
  TfrConnectUser *Frame(int Tab) const;
  TCustomRichVistaEdit *GetTranscriptView(int Tab) const;
  TCustomRichVistaEdit *GetInputBox(int Tab) const;

  // What the user does.
  // Sends the active tab's input box (Ctrl+Return); an empty box sends
  // nothing.
  void SendMessage();
  // Closes the tab through the core (history, close notices); tab 0 stays.
  void CloseTalk(int Tab) override;
  // Saves the active tab's transcript to the history and empties it.
  void ClearTextMessage();
  // Empties the tab's transcript and reformats it; the input box stays.
  void ClearTranscript(int Tab) override;
  // The window's actions, toolbars and menus.
  TMainActionList &ActionList() { return *FActions; }

  // IMainWindowActions
  QWidget *MainForm() override { return this; }
  QWidget *UserListForm() override;
  void ShowMainWindow() override { CoolTrayIconClick(); }
  void SendTalkMessage() override { SendMessage(); }
  TCustomImageList *HotImages(bool Big) override { return Big ? &ilHotImage : &ilHotImage16x16; }
  void ApplyTalkButtonSize(bool Big) override;
  void SetGifAnimationFlags(bool Stop, bool Hide) override;
  void AnimateTranscriptGifs(bool Animate) override;
  void ShowTranscriptGifs(bool Show) override;
  void ApplyMessageFormat(bool ShowUserIP, bool ShowTime, bool ShowPicture) override;
  void ApplyMinimizeToTray(bool On) override;
  void ApplyLanguage(const std::string &Path) override;
  int UserCount() const override { return THeadlessChatWindows::UserCount(); }
  const RUserID *UserRecord(int Index) const override { return GetUserRecord(Index); }

  // Whether a tab opened now takes the page and focus (false: the active
  // input box holds text, so the new talk opens behind).
  bool NewTabTakesFocus() const;

  // History options (history folder and on/off are the headless windows').
  bool SaveAsRTF = false;
  // The stored input area height, read at each frame's creation.
  int StoredInputHeight() const;

  // TChatWindowServices, shown in the widgets.
  int ActiveTab() const override;
  void SetTabCaption(int Tab, const std::string &Caption) override;
  void SetTabImage(int Tab, std::int32_t ImageIndex) override;
  int OpenTalkTab(const std::string &Caption, std::int32_t ImageIndex, const TTalkFrame &Frame) override;
  void SaveTalkHistory(int Tab) override;
  void FreeTab(int Tab) override;
  void RenderTalkMessage(int Tab, const TTalkMessage &Message) override;
  bool HasMemberToolbar(int Tab) const override;
  void AddMemberButton(int Tab, std::int32_t UserIndex) override;
  void RemoveMemberButtons(int Tab, std::int32_t UserIndex) override;
  void SetMemberButtonChecked(int Tab, std::int32_t UserIndex, bool Checked) override;
  bool HasInputBox(int Tab) const override;
  std::string DocumentToText(int Tab) const override;
  bool IsInputReadOnly(int Tab) const override;
  void ClearInput(int Tab) override;
  void FillAutoReplyInput(int Tab, const std::string &Caption, const std::string &Text) override;
  void SetPrivateInputsReadOnly(bool ReadOnly) override;
  void ShowErrorDialog(const std::string &Text) override;
  void NoticeGroupTalkClosed(int Page, const std::string &AuthorName, const std::string &GroupCaption) override;

  // Offered files and emoticon pickers (fmKavetChatFiles.cpp,
  // fmKavetChatPickers.cpp).
  // Each path becomes a file icon in the active input box (none: nothing).
  void InsertFiles(const std::vector<std::string> &Paths);
  // The confirmation of files another user offered: shown after the
  // message, never modal and without taking the focus; offers of one sender
  // join his open confirmation. At most kMaxFileConfirmations are open.
  static constexpr int kMaxFileConfirmations = 8;
  void ShowFileOfferConfirmation(const std::vector<int> &Indices, const TTalkMessage &Message);
  TfmInformation *FileOfferConfirmation(const std::string &SenderID) const;
  int FileOfferConfirmationCount() const;
  // FILETO for each offered file, in order; false when the index names no
  // record or the datagram could not go.
  void SendFileRequests(const std::vector<int> &Indices);
  bool SendFileRequest(int Index);
  // A click on an item of a tab's transcript: an offered file selects it and
  // opens pmFileOrFolder at Global.
  void TranscriptItemClick(int Tab, int ItemNo, QPoint Global);
  int SelectedOfferedFile = -1;
  // The desktop's dialogs and the datagram sender; tests put their own here.
  std::function<std::vector<std::string>()> OpenDialogForSend;
  std::function<std::optional<std::string>()> KcSelectDirectoryForSend;
  std::function<std::optional<std::string>(const std::string &Suggested)> SaveDialog;
  std::function<bool(const std::string &Datagram)> SendDatagram;
  std::function<void(QPoint Global)> PopupFileMenu;
  // The language file checked in the language menu; empty: none.
  std::string CurrentLanguagePath() const;
  // The still-emoticon palette while it is open.
  TfmSelectPictureMood *StillPicker() const;

  // Profile, history and auto-reply dialogs (fmKavetChatDialogs.cpp,
  // fmKavetChatAutoReply.cpp).
  void WireDialogs();
  // The profile of user record N in view mode (the user list's "User
  // profile..."); an index without a record does nothing.
  void ShowUserProfile(int N);
  // The own profile in edit mode (actUserMyProfile, a double click on
  // MyImage).
  void ShowMyProfile();
  void ShowHistoryDialog();
  std::unique_ptr<TAutoReplyMenu> AutoReply;
  // The modal run of a dialog; tests put their own in place.
  std::function<void(QDialog &)> RunDialog;
  TStoryFileServices StoryFileServices = DesktopStoryFileServices();

protected:
  void closeEvent(QCloseEvent *Event) override;
  void showEvent(QShowEvent *Event) override;
  void resizeEvent(QResizeEvent *Event) override;
  void moveEvent(QMoveEvent *Event) override;
  void changeEvent(QEvent *Event) override;
  bool eventFilter(QObject *Watched, QEvent *Event) override;

public:
  // TChatEventSink: the core's notices and errors.
  void Notice(const std::string &Text) override;
  void Error(const std::string &Text) override;

  // User list, groups, talks with chosen users, languages, about box
  // (fmKavetChatMembers.cpp, fmKavetChatLanguage.cpp).
  std::unique_ptr<TfmUserList> fmUserList;
  void UserChanged(std::string_view Change, int UserIndex) override;
  void CreateGroupBox(const std::string &Caption, const std::string &GroupID, std::int32_t Tag,
                      std::string_view SourceSection = {}) override;
  void HandleDisconnect(const std::string &Text) override;
  // The status bar names characters a text lost to the code page (empty:
  // nothing); kept a moment against the notices that follow.
  void ShowUnsendableNotice(const QString &Text);
  bool AskClosePrivateTalk(int Page, const std::string &PartnerName) override;
  // A private talk with the user list's selected user (or the member whose
  // menu is open); a talk of the selected group with its members.
  void actMessageToUserExecute();
  void actMessageToGroupExecute();
  // One member button per node of the box's tree.
  void FillMemberToolbar(int Tab, TglGroupBox *Box);
  // The member button's menu is the user list's menu, made ready for him.
  void MemberButtonPopup(int Tab, std::int32_t UserIndex);
  // Selects in the user list the member whose menu was opened last.
  void SelectMemberUser();
  void ForgetMemberButton() { FLastMemberUser = -1; }
  int LastMemberUser() const { return FLastMemberUser; }
  // Shows or hides the user list (Ctrl+L).
  void ShowUserList(bool Show);
  // The user a mail or profile action means (member, then selection).
  int TargetUser();
  // The questions open now, one per partner.
  int OpenCloseQuestions() const { return static_cast<int>(FCloseQuestions.size()); }
  // Answers the open question about Partner's private talk as the user
  // would (tests and the close of the question's window).
  void AnswerClosePrivateTalk(const std::string &PartnerID, bool Close);
  // The texts of the window and the user list from the language file at
  // Path; an empty or missing file gives the English texts.
  void ApplyLanguageFile(const std::string &Path);
  void ShowAbout();
  // The user list changed what it shows (the dump follows).
  void UserListChanged() { Changed(); }

  // Notices, tray and sounds (fmKavetChatNotices.cpp).
  // A status panel's text; its width follows the text (30 to 200 pixels).
  void SetStatusPanel(int Index, const QString &Text);
  // The notice of an arrival, departure or message: panel 5 with the
  // sender's picture (a click opens Tab), the tray's animation, a desktop
  // notification (the tray's own message without one); it clears 5 s after
  // the last notice.
  void ShowNotification(const std::string &Format, const std::string &Alias, int Tab, std::int32_t ImageIndex,
                        const std::string &IP) override;
  void PlayEventSound(int N) override;
  // Panel 4: the auto-reply action's caption while it is on.
  void ShowAutoReplyState();
  void TimerHintInformationTimer();
  void imUserImageClick();
  void KcStatusBarResize();
  void CoolTrayIconClick();
  // The window is back: the tray icon stops and goes.
  void HideTrayIcon();
  QLabel *imUserImage = nullptr;
  TCustomImageList ilTreyAnimation{16, 16};
  QPointer<TCoolTrayIcon> CoolTrayIcon;
  QPointer<TKcWavePlayer> kcWaveAction;
  GuiTimer TimerHintInformation;
  // The event sounds' folder (ending in "/").
  std::string SoundFolder;
  // The talk the last notice opens; gone when its tab closed.
  QPointer<QWidget> NoticeTab() const { return FNoticeTab; }
  DesktopNotifier *Notifier() { return FNotifier.get(); }

private:
  void BuildNotices();
  void CloseNotices();
  // Opens the talk of the last notice and brings the window up.
  void OpenNoticeTab();
  QPointer<QWidget> FNoticeTab;
  std::unique_ptr<DesktopNotifier> FNotifier;
  QObject *FNoticeFilter = nullptr;
  long long FLastSoundMs = -1000000;

private:
  void BuildComponents();
  void LayOut();
  TfrConnectUser *CreateTalkFrame(QWidget *Page, const TTalkFrame &Fields);
  void RebuildMemberToolbar(int Tab);
  // The message into the transcript widget; the transcript keeps as many
  // messages as the talk's model.
  void ShowInTranscript(int Tab, const TTalkMessage &Message);
  void TimerTimer();
  void Changed();
  void WriteDump();

  std::string FKey;
  std::unique_ptr<THeadlessChatHost> FHost;
  // The one-shot start-up timer, 500 ms after the first showing.
  GuiTimer FTimer;
  // Fits the notice panel to its text once per turn of the event loop.
  GuiTimer FNoticeFit;
  bool FFirstShow = true;
  bool FClosing = false;
  bool FLayingOut = false;
  // Per tab page: the number of items each shown message took, oldest first.
  std::map<const QWidget *, std::deque<int>> FMessageItems;
  std::unique_ptr<TTranscriptRenderer> FRenderer;
  std::unique_ptr<TMainActionList> FActions;
  bool FBigButtons = true;

  // The one error dialog: a later error replaces its text, so that errors
  // from the network cannot pile up windows.
  QPointer<QMessageBox> FErrorBox;

  std::string FDumpPath;
  GuiTimer FDumpTimer;
  std::string FLastDump;
  // Hears windows, popups and focus change for the dump; gone before the
  // timer it starts.
  std::unique_ptr<QObject> FDumpWatcher;

  // Offered files and emoticon pickers.
  void WireOfferedFiles();
  void WireTalkFrameFiles(TfrConnectUser &Frame);
  void WirePickers();
  void OpenPicker(bool Animated);
  std::map<std::string, QPointer<TfmInformation>> FFileConfirmations;
  TKcDragDrop *FDragDrop = nullptr;
  QPointer<TfmSelectPictureMood> FStillPicker;

  // Speed (fmKavetChatSpeed.cpp)
  // An item the renderer deleted from a transcript (an old animation) no
  // longer counts for its message, so that the messages let go later take
  // exactly their own items.
  void ForgetTranscriptItem(TCustomRichVista &Transcript, int ItemNo);
  int FItemsForgotten = 0; // while one message is rendered
  // A key for an input box: handled and painted now, so that what the user
  // types shows at once even while a flood of datagrams keeps the event
  // loop busy. False when the key is no plain typing for the active box.
  bool ShowKeyAtOnce(QObject *Watched, QKeyEvent *Key);
  bool FKeyInHand = false;
  // User list and talks with chosen users.
  void WireMemberActions();
  tb::TTBCustomItem *MakeMemberButton(int Tab, const TMemberButton &Button);
  void PrepareUserList();
  int FLastMemberUser = -1;
  std::string FDisconnectingID;
  std::string FLanguageFile;
  std::map<std::string, QPointer<QWidget>> FCloseQuestions;
  std::map<std::string, std::pair<QString, QString>> FDefaultTexts;
  // Look and text (fmKavetChatLook.cpp): the names screen readers give a
  // talk's tab, transcript and input box; the notice of characters a send
  // could not carry, kept a moment against the notices the send itself
  // causes (the echo of the own message).
  void NameTalkWidgets(int Tab, const QString &Caption);
  void KeepUnsendableNotice();
  QString FUnsendableNotice;
  std::chrono::steady_clock::time_point FUnsendableUntil{};
};

} // namespace kc
