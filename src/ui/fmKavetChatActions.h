#pragma once
// The main window's actions and the item trees that reach them: the toolbars
// tbMainForm and tbAdditional, the tray menu, the offered-file menu and the
// talk frames' send toolbars. The handlers reach the window only through
// IMainWindowActions, so they run on a test double as on the real window.
//
// Actions whose target is not built yet (user list, profiles, history
// dialog, auto-reply, emoticon pickers, offered-file commands, about box,
// languages) are disabled; their checked states are still
// settings and make the round trip through the store.
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/LngUn.h"
#include "core/ProtocolClassUn.h"
#include "platform/ProgramKey.h"
#include "toolbars/TBarExtItems.h"
#include "toolbars/TBarItem.h"
#include "toolbars/TBarPopup.h"
#include "toolbars/TBarToolbar.h"

class QWidget;

namespace kc {

class TCustomImageList;

// What the actions need of the main window. Tabs are numbered as pcMain
// numbers them, 0 being the all-users talk.
class IMainWindowActions {
public:
  virtual ~IMainWindowActions() = default;

  // The main window (stay on top, position, toolbar layout) and the user
  // list window, null while there is none.
  virtual QWidget *MainForm() = 0;
  virtual QWidget *UserListForm() = 0;
  // Shows and raises the main window (tray "Open"); closes it through its
  // one shut-down path (tray "Close").
  virtual void ShowMainWindow() = 0;
  virtual void CloseMainWindow() = 0;

  // Talks.
  virtual int ActiveTab() const = 0;
  // The core's send of the active tab's input box.
  virtual void SendTalkMessage() = 0;
  // The core's close of a talk from its close button (nothing for tab 0).
  virtual void CloseTalk(int Tab) = 0;
  // The tab's history and input height, as when the tab closes.
  virtual void SaveTalkHistory(int Tab) = 0;
  // Empties the tab's transcript and reformats it; the input box stays.
  virtual void ClearTranscript(int Tab) = 0;

  // Pictures: ilHotImage (Big) or ilHotImage16x16, null while there is none.
  virtual TCustomImageList *HotImages(bool Big) = 0;
  // The rest of the button size: pcMain's images, every tab's member and
  // send toolbar, the user list's group trees (ilProfilesImage or its
  // 16 x 16 list).
  virtual void ApplyTalkButtonSize(bool Big) = 0;

  // Animated emoticons: the flags new emoticons follow, and every tab's
  // transcript started or stopped, shown or hidden.
  virtual void SetGifAnimationFlags(bool Stop, bool Hide) = 0;
  virtual void AnimateTranscriptGifs(bool Animate) = 0;
  virtual void ShowTranscriptGifs(bool Show) = 0;
  // The header options of messages rendered from now on.
  virtual void ApplyMessageFormat(bool ShowUserIP, bool ShowTime, bool ShowPicture) = 0;
  // Minimising hides the window in the tray (and the tray icon shows).
  virtual void ApplyMinimizeToTray(bool On) = 0;
  // Applies a language file to every window (empty path: nothing).
  virtual void ApplyLanguage(const std::string &Path) = 0;

  // The user records (index 0 is the local user).
  virtual int UserCount() const = 0;
  virtual const RUserID *UserRecord(int Index) const = 0;
};

// Tags that tell a send toolbar's items apart.
inline constexpr int kClearMessageTag = 3245;
inline constexpr int kCloseTalkTag = 1245;

// The shell targets of the web and support actions (the product owner's).
inline constexpr std::string_view kProductWebPage = "https://www.example.org/kavet-chat/";
inline constexpr std::string_view kCompanySite = "https://www.example.org/";
inline constexpr std::string_view kSupportMailAddress = "support@example.org";
// The support address as a mail link (what the mail builder makes of it).
inline constexpr std::string_view kSupportMail = "mailto:support@example.org";

// The help pages: <resources>/help/index.html for the main window,
// help/userlist.html for the user list (context 1000 and 2000).
std::string HelpPage(int Context);

// A caption made of someone's text: "&" stays an ampersand and never
// marks an accelerator.
QString PlainCaption(const QString &Text);

// The mail link to the EMAIL of every active user from index 1 on whose
// address is not empty (and, with GroupTag, who sits in that group); an
// address that could carry more than a recipient is left out.
std::string MailToUsers(const IMainWindowActions &Window, const std::int32_t *GroupTag = nullptr);

// The language submenu as the language store fills it: one item per file,
// the file's path in the item's hint.
class TLanguageSubmenu : public ILanguageMenu {
public:
  TLanguageSubmenu(tb::TTBCustomItem &Submenu, IMainWindowActions &Window) : FSubmenu(Submenu), FWindow(Window) {}
  int Count() const override { return FSubmenu.Count(); }
  TLanguageMenuItem ItemAt(int Index) const override;
  void Add(const TLanguageMenuItem &Item) override;
  void Delete(int Index) override;
  void SetChecked(int Index, bool Checked) override;
  // The click of a language item: an unchecked item naming an existing
  // file becomes the only checked one and its file is applied.
  void LanguageItemClick(tb::TTBCustomItem *Item);

private:
  tb::TTBCustomItem &FSubmenu;
  IMainWindowActions &FWindow;
};

class TMainActionList {
public:
  // Key is the program key the reset of dialogue answers writes under.
  explicit TMainActionList(IMainWindowActions &Window, std::string_view Key = kProgramKey);
  ~TMainActionList();
  TMainActionList(const TMainActionList &) = delete;
  TMainActionList &operator=(const TMainActionList &) = delete;

  // ---- the actions, as the window's action list names them
  tb::TTBAction actHelp, actAbout, actUserNetProfile, actUserMyProfile, actOpen, actClose;
  tb::TTBAction actMailUser, actMailAll, actMailEmpty, actMailGroup;
  tb::TTBAction actStayOnTop, actStayOnTopUserList, actShowUserList, actMessageToUser, actMessageToGroup;
  tb::TTBAction actKavetChatOnTheWeb, actSiteOurCompany, actTechnicalSupport, actShowHint;
  tb::TTBAction actAnsweringMachine, actAnsweringmachineOptions;
  tb::TTBAction actSoundKavetChat, actSoundUserConnect, actSoundUserDisconnect, actSoundNewMessage;
  tb::TTBAction actShowHistoryMessage, actSendMessage;
  tb::TTBAction actCopy, actDelete, actCut, actPaste, actSelectAll, actUndo;
  tb::TTBAction actShowUserIPWhenMessage, actShowDataTimewhenMessage, actShowPictureWhenMessage;
  tb::TTBAction actSelectImageMood, actSelectGifMood, actStopAnimation, actShowAnimation, actHideProgramm;
  tb::TTBAction actInsertFile, actInsertFolder, actCloseTalk, actBtnBigIcon, actBtnLitleIcon, actShowText;
  tb::TTBAction actNotTalkGroup, actNotTalkPrivate;
  tb::TTBAction actOpenFileOrFolder, actSaveAsFileOrFolder, actGetFileOrFolder;
  tb::TTBAction actClearTextMessage, actClearDialogParametr;

  // Every action with its component name, in the order of the list.
  struct TNamedAction {
    const char *Name;
    tb::TTBAction *Action;
  };
  const std::vector<TNamedAction> &Actions() const { return FActions; }
  tb::TTBAction *FindAction(std::string_view Name) const;

  // Program-wide flags the animation options mirror.
  bool StopGifAnimation = false;
  bool HideGifAnimation = false;

  // ---- toolbars: made on Form and docked into Top (tbMainForm first,
  // tbAdditional after it); Form owns the widgets. Both docks take only
  // these two toolbars. The actions' shortcuts run from any widget of Form,
  // except the editing actions', whose keys stay with the focused input box.
  void CreateToolbars(QWidget *Form, tb::TTBDock *Top, tb::TTBDock *Bottom);
  // The docks' rule: only tbMainForm and tbAdditional dock there.
  void TBDockMainTopRequestDock(tb::TTBDock *Sender, tb::TTBCustomDockableWindow *Bar, bool &Accept) const;
  tb::TTBToolbar *tbMainForm() const { return FMainForm; }
  tb::TTBToolbar *tbAdditional() const { return FAdditional; }

  // Items of tbMainForm.
  tb::TTBSubmenuItem *miMessage = nullptr;
  tb::TTBItem *miShowUserList = nullptr;
  tb::TTBSubmenuItem *miMyProfile = nullptr;
  tb::TTBSubmenuItem *tbOptions = nullptr;
  tb::TTBSubmenuItem *tbsiLanguage = nullptr;
  tb::TTBSubmenuItem *tbPanelsOfTools = nullptr;
  tb::TTBVisibilityToggleItem *tbAdditionalToggle = nullptr;
  tb::TTBSubmenuItem *miOther = nullptr;
  tb::TTBSubmenuItem *miAnimationGIF = nullptr;
  tb::TTBSubmenuItem *miMessageFormat = nullptr;
  tb::TTBSubmenuItem *miPlaySound = nullptr;
  tb::TTBSubmenuItem *miButtonOptions = nullptr;
  tb::TTBSubmenuItem *miHelpTB = nullptr;
  // Items of tbAdditional.
  tb::TTBSubmenuItem *miAnsweringMachine = nullptr;
  tb::TTBItem *miDisconnectAnsweringMachine = nullptr;
  tb::TTBSubmenuItem *miVariants = nullptr;
  tb::TTBSubmenuItem *miMailVariant = nullptr;
  tb::TTBItem *tbiNotTalkPrivate = nullptr;
  tb::TTBItem *tbiNotTalkGroup = nullptr;

  // The buttons whose pictures follow the button size.
  std::vector<tb::TTBCustomItem *> SizedButtons() const;

  // ---- popup menus
  tb::TTBPopupMenu &pmTrey() { return *FTrey; }
  tb::TTBPopupMenu &pmFileOrFolder() { return *FFileOrFolder; }

  // A talk frame's send toolbar: send, still and animated emoticon, file,
  // folder, clear (Tag 3245) and close (Tag 1245), each on its action.
  void FillSendToolbar(tb::TTBCustomItem &Root);

  // The language submenu as the language store fills it (made with the
  // toolbars).
  TLanguageSubmenu &LanguageMenu() { return *FLanguageMenu; }

  // ---- what the options apply
  // Pictures of the sized buttons from ilHotImage or ilHotImage16x16, then
  // the window's talks.
  void ApplyButtonSize(bool Big);
  // Captions under the pictures of both main toolbars, or pictures alone.
  void ApplyShowText(bool On);

  // Runs the action that Shortcut names, when it is enabled and has a
  // handler; false leaves the key to the focused widget.
  bool RunShortCut(tb::TShortCut ShortCut);
  // Copy, cut, paste, delete, select all and undo: their keys are never
  // taken from the focused widget.
  bool IsEditingAction(const tb::TTBAction &Action) const;

private:
  // The actions with their captions, keys and pictures; those whose
  // windows are not built yet disabled.
  void MakeActions();
  void SetPictures();
  void DisableUnbuilt();
  void MakeHandlers();
  void MakeMenus();
  void Toggle(tb::TTBAction &Action, std::function<void(bool)> Then = {});
  void BuildMainForm(tb::TTBCustomItem &Root);
  void BuildAdditional(tb::TTBCustomItem &Root);
  tb::TTBAction &Define(const char *Name, tb::TTBAction &Action, const char *Caption, tb::TShortCut ShortCut = 0,
                        bool Checked = false);

  // Handlers.
  void Help();
  void AnimationOption(tb::TTBAction &Sender);
  void ButtonSize(tb::TTBAction &Sender);
  void ClearTextMessage(tb::TTBCustomItem *Sender);
  void ClearDialogParametr();

  IMainWindowActions &FWindow;
  std::vector<TNamedAction> FActions;
  QPointer<tb::TTBToolbar> FMainForm, FAdditional;
  std::unique_ptr<tb::TTBPopupMenu> FTrey, FFileOrFolder;
  std::unique_ptr<TLanguageSubmenu> FLanguageMenu;
  std::string FKey;
};

} // namespace kc
