// The main window's action list: the actions as the window starts with them,
// the items of its toolbars and menus, and what each handler built here
// does to the window (seen through a double) and to the shell.
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QWidget>
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "core/iniFileUn.h"
#include "fmKavetChatActionsDouble.h"
#include "platform/ShellOpen.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "platform/Log.h"
#include "toolbars/TBarCommon.h"
#include "ui/fmErrorUn.h"
#include "ui/fmKavetChatSettings.h"

using namespace kc;
using namespace kc::tb;
using kctest::MainWindowDouble;

namespace {

// Every opened shell target, for the life of the object.
struct ShellSink {
  std::vector<std::string> opened;
  ShellSink() {
    SetShellOpenSink([this](const std::string &T) {
      opened.push_back(T);
      return true;
    });
  }
  ~ShellSink() { SetShellOpenSink({}); }
};

struct Fixture {
  kctest::TempDir config{"kc-actions"};
  kctest::ScopedEnv xdg{"XDG_CONFIG_HOME", config.path().string()};
  MainWindowDouble window;
  TMainActionList actions{window};
  Fixture() { actions.CreateToolbars(window.form.get(), window.top, window.bottom); }
  ~Fixture() { SetApplicationShowHint(true); }

  // The sub-item of Parent named Name (caption without accelerators when
  // the item has no name).
  static TTBCustomItem *Child(TTBCustomItem *Parent, const QString &Name) {
    for (int i = 0; Parent && i < Parent->Count(); ++i) {
      TTBCustomItem *c = Parent->ItemAt(i);
      if (c->Name() == Name || StripAccelChars(c->Caption()) == Name) return c;
    }
    return nullptr;
  }
  // Captions of Parent's sub-items, separators as "-".
  static std::string Captions(TTBCustomItem *Parent) {
    std::string out;
    for (int i = 0; i < Parent->Count(); ++i) {
      TTBCustomItem *c = Parent->ItemAt(i);
      if (!out.empty()) out += '|';
      out += c->Has(ikSeparator) ? std::string("-") : StripAccelChars(c->Caption()).toStdString();
    }
    return out;
  }
};

// ------------------------------------------------------------ the actions

struct ActionRow {
  const char *name;
  const char *caption;
  TShortCut shortCut;
  bool checked;
  bool enabled;
};

const TShortCut kRet = 0x0D;

const ActionRow kActions[] = {
    {"actHelp", "Help", 0x70, false, true},
    {"actAbout", "About", 0, false, false},
    {"actUserNetProfile", "User profile...", scAlt | kRet, false, false},
    {"actUserMyProfile", "My profile", 0, false, false},
    {"actOpen", "Open", 0, false, true},
    {"actClose", "Close", 0, false, true},
    {"actMailUser", "Mail", 0, false, false},
    {"actMailAll", "Mail all", 0, false, true},
    {"actMailEmpty", "Create empty mail", 0, false, true},
    {"actMailGroup", "Create mail to group", 0, false, false},
    {"actStayOnTop", "Stay on top main window", 0, false, true},
    {"actStayOnTopUserList", "Stay on top user list", 0, true, false},
    {"actShowUserList", "Show user list", scCtrl | 'L', true, false},
    {"actMessageToUser", "Create talk with user", scCtrl | 'U', false, false},
    {"actMessageToGroup", "Create talk with group", 0, false, false},
    {"actKavetChatOnTheWeb", "Kavet Chat on the Web", 0, false, true},
    {"actSiteOurCompany", "Site Dornick software", 0, false, true},
    {"actTechnicalSupport", "Technical support", 0, false, true},
    {"actShowHint", "Show hint", 0, true, true},
    {"actAnsweringMachine", "Auto-Reply", 0, false, false},
    {"actAnsweringmachineOptions", "Auto-Reply options", 0, false, false},
    {"actSoundKavetChat", "Play sound at start KavetChat", 0, false, true},
    {"actSoundUserConnect", "Play sound at new user connect", 0, true, true},
    {"actSoundUserDisconnect", "Play sound at user disconnect", 0, true, true},
    {"actSoundNewMessage", "Play sound at new message come", 0, true, true},
    {"actShowHistoryMessage", "Show history message", 0, false, false},
    {"actSendMessage", "Send message", scCtrl | kRet, false, true},
    {"actCopy", "Copy", scCtrl | 'C', false, true},
    {"actDelete", "Delete", 0x2E, false, true},
    {"actCut", "Cut", scCtrl | 'X', false, true},
    {"actPaste", "Paste", scCtrl | 'V', false, true},
    {"actSelectAll", "Select all", scCtrl | 'A', false, true},
    {"actUndo", "Undo", scCtrl | 'Z', false, true},
    {"actShowUserIPWhenMessage", "Show user IP", 0, false, true},
    {"actShowDataTimewhenMessage", "Show time message", 0, true, true},
    {"actShowPictureWhenMessage", "Show user picture", 0, true, true},
    {"actSelectImageMood", "Insert image", 0, false, false},
    {"actSelectGifMood", "Insert animation", 0, false, false},
    {"actStopAnimation", "Stop gif animation", 0, false, true},
    {"actShowAnimation", "Hide gif animation", 0, false, true},
    {"actHideProgramm", "Hide Programm in Trey when minimize", 0, false, true},
    {"actInsertFile", "actInsertFile", 0, false, false},
    {"actInsertFolder", "actInsertFolder", 0, false, false},
    {"actCloseTalk", "Close talk", 0, false, true},
    {"actBtnBigIcon", "Big icon", 0, true, true},
    {"actBtnLitleIcon", "Litle icon", 0, false, true},
    {"actShowText", "Show text", 0, false, true},
    {"actNotTalkGroup", "Not talk group", 0, false, true},
    {"actNotTalkPrivate", "Not talk private", 0, false, true},
    {"actOpenFileOrFolder", "Open", 0, false, false},
    {"actSaveAsFileOrFolder", "Save as...", 0, false, false},
    {"actGetFileOrFolder", "Get file or folder", 0, false, false},
    {"actClearTextMessage", "Clear text message", 0, false, true},
    {"actClearDialogParametr", "To reset parameters of dialogues", 0, false, true},
};

class Actions : public ::testing::TestWithParam<ActionRow> {};

TEST_P(Actions, StartWithTheirCaptionShortcutAndCheckMark) {
  const ActionRow &r = GetParam();
  MainWindowDouble window;
  TMainActionList list(window);
  TTBAction *a = list.FindAction(r.name);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Caption().toStdString(), r.caption);
  EXPECT_EQ(a->ShortCut(), r.shortCut);
  EXPECT_EQ(a->Checked(), r.checked);
  EXPECT_EQ(a->Enabled(), r.enabled);
}

INSTANTIATE_TEST_SUITE_P(Table, Actions, ::testing::ValuesIn(kActions),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST(ActionList, HoldsExactlyTheTableAndNoActionTwice) {
  MainWindowDouble window;
  TMainActionList list(window);
  std::map<std::string, TTBAction *> seen;
  for (const auto &a : list.Actions()) EXPECT_TRUE(seen.emplace(a.Name, a.Action).second) << a.Name;
  EXPECT_EQ(seen.size(), std::size(kActions));
  for (const ActionRow &r : kActions) EXPECT_TRUE(seen.count(r.name)) << r.name;
  // Names lead to the member of the same name.
  EXPECT_EQ(list.FindAction("actSendMessage"), &list.actSendMessage);
  EXPECT_EQ(list.FindAction("actClearDialogParametr"), &list.actClearDialogParametr);
  EXPECT_FALSE(list.actInsertFile.Visible());
  EXPECT_FALSE(list.actInsertFolder.Visible());
}

// ------------------------------------------------------- toolbars and menus

TEST(ActionMenus, ToolbarsHoldTheirButtonsInOrder) {
  Fixture f;
  auto names = [](TTBCustomItem *Root) {
    std::string out;
    for (int i = 0; i < Root->Count(); ++i) out += (i ? "|" : "") + Root->ItemAt(i)->Name().toStdString();
    return out;
  };
  EXPECT_EQ(f.actions.tbMainForm()->objectName(), "tbMainForm");
  EXPECT_EQ(f.actions.tbAdditional()->objectName(), "tbAdditional");
  EXPECT_EQ(names(f.actions.tbMainForm()->Items()), "miMessage|miShowUserList|miMyProfile|tbOptions|miHelpTB");
  EXPECT_EQ(names(f.actions.tbAdditional()->Items()),
            "miAnsweringMachine|miMailVariant|tbiNotTalkPrivate|tbiNotTalkGroup");
  EXPECT_EQ(f.actions.tbMainForm()->CurrentDock(), f.window.top);
  EXPECT_EQ(f.actions.tbAdditional()->CurrentDock(), f.window.top);
  EXPECT_EQ(f.actions.SizedButtons().size(), 9u);
}

struct MenuRow {
  const char *name;
  const char *path; // names from the toolbar's root, "/" between
  const char *captions;
  bool split;
  bool enabled;
};

const MenuRow kMenus[] = {
    {"Talk", "M/miMessage", "Create talk with user|Create talk with group", true, false},
    {"Profile", "M/miMyProfile", "My profile|User profile...", true, false},
    {"Options", "M/tbOptions",
     "Hide Programm in Trey when minimize|Show history message|-|Language|Panels of tools|-|Stay on top main "
     "window|Stay on top user list|-|Other options",
     false, true},
    {"OtherOptions", "M/tbOptions/miOther",
     "Gif animation|Message format|Sounds|Buttons|-|Show hint|To reset parameters of dialogues", false, true},
    {"GifAnimation", "M/tbOptions/miOther/miAnimationGIF", "Stop gif animation|Hide gif animation", false, true},
    {"MessageFormat", "M/tbOptions/miOther/miMessageFormat", "Show user IP|Show time message|Show user picture", false,
     true},
    {"Sounds", "M/tbOptions/miOther/miPlaySound",
     "Play sound at start KavetChat|Play sound at new user connect|Play sound at user disconnect|Play sound at new "
     "message come",
     false, true},
    {"Buttons", "M/tbOptions/miOther/miButtonOptions", "Big icon|Litle icon|-|Show text", false, true},
    {"PanelsOfTools", "M/tbOptions/tbPanelsOfTools", "Additional", false, true},
    {"Help", "M/miHelpTB", "Help|-|Kavet Chat on the Web|Site Dornick software|Technical support|-|About", true, true},
    {"AutoReply", "A/miAnsweringMachine", "Disconnect Auto-Reply|Variants|-|Auto-Reply options", false, false},
    {"Mail", "A/miMailVariant", "Mail|Create mail to group|Mail all|Create empty mail", true, true},
};

class ActionMenuTree : public ::testing::TestWithParam<MenuRow> {};

TEST_P(ActionMenuTree, HoldsItsItems) {
  const MenuRow &r = GetParam();
  Fixture f;
  const QStringList path = QString::fromLatin1(r.path).split(u'/');
  TTBCustomItem *item =
      path[0] == QLatin1String("M") ? f.actions.tbMainForm()->Items() : f.actions.tbAdditional()->Items();
  for (int i = 1; i < path.size(); ++i) {
    item = Fixture::Child(item, path[i]);
    ASSERT_NE(item, nullptr) << path[i].toStdString();
  }
  EXPECT_EQ(Fixture::Captions(item), r.captions);
  EXPECT_EQ(item->DropdownCombo(), r.split);
  EXPECT_EQ(item->Enabled(), r.enabled);
}

INSTANTIATE_TEST_SUITE_P(Table, ActionMenuTree, ::testing::ValuesIn(kMenus),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST(ActionMenus, AutoReplyDisconnectItemStartsHidden) {
  Fixture f;
  EXPECT_FALSE(f.actions.miDisconnectAnsweringMachine->Visible());
  EXPECT_FALSE(f.actions.miVariants->Enabled());
}

TEST(ActionMenus, PanelsOfToolsShowsAndHidesTbAdditional) {
  Fixture f;
  f.window.form->show();
  TTBVisibilityToggleItem *toggle = f.actions.tbAdditionalToggle;
  EXPECT_EQ(toggle->Control(), f.actions.tbAdditional());
  toggle->Click();
  EXPECT_FALSE(f.actions.tbAdditional()->isVisible());
  EXPECT_FALSE(toggle->Checked());
  toggle->Click();
  EXPECT_TRUE(f.actions.tbAdditional()->isVisible());
  EXPECT_TRUE(toggle->Checked());
}

TEST(ActionMenus, TrayAndOfferedFileMenus) {
  Fixture f;
  EXPECT_EQ(Fixture::Captions(f.actions.pmTrey().Items()), "Open|-|Auto-Reply|Not talk private|Not talk group|-|Close");
  EXPECT_TRUE(f.actions.pmTrey().Items()->ItemAt(0)->Options() & tboDefault);
  EXPECT_EQ(Fixture::Captions(f.actions.pmFileOrFolder().Items()), "Open|Save as...|-|Get file or folder");
  EXPECT_TRUE(f.actions.pmFileOrFolder().Items()->ItemAt(0)->Options() & tboDefault);
  // The tray's auto-reply entries are the toolbar's.
  f.actions.pmTrey().OnPopup();
  EXPECT_EQ(Fixture::Child(f.actions.pmTrey().Items(), QStringLiteral("miAnsweringMachineTrey"))->LinkSubitems(),
            f.actions.miAnsweringMachine);
}

TEST(ActionMenus, SendToolbarItemsAndTheirTags) {
  Fixture f;
  TTBRootItem root;
  f.actions.FillSendToolbar(root);
  struct Expect {
    const char *name;
    TTBAction *action;
    int tag;
  } expected[] = {{"tbiSendMessage", &f.actions.actSendMessage, 0},
                  {"tbiSelectImageMood", &f.actions.actSelectImageMood, 0},
                  {"tbiSelectGifMood", &f.actions.actSelectGifMood, 0},
                  {"tbiInsertFile", &f.actions.actInsertFile, 0},
                  {"tbiInsertFolder", &f.actions.actInsertFolder, 0},
                  {"tbiClearMessage", &f.actions.actClearTextMessage, kClearMessageTag},
                  {"tbiCloseTalk", &f.actions.actCloseTalk, kCloseTalkTag}};
  for (const Expect &e : expected) {
    TTBCustomItem *item = Fixture::Child(&root, QString::fromLatin1(e.name));
    ASSERT_NE(item, nullptr) << e.name;
    EXPECT_EQ(item->Action(), e.action) << e.name;
    EXPECT_EQ(item->Tag, e.tag) << e.name;
  }
  EXPECT_EQ(Fixture::Captions(&root), "Send message|-|Insert image|Insert animation|-|actInsertFile|actInsertFolder|-|"
                                      "Clear text message|Close talk");
}

TEST(ActionMenus, OnlyTheMainToolbarsDock) {
  Fixture f;
  TTBToolbar stranger(f.window.form.get());
  for (TTBDock *dock : {f.window.top, f.window.bottom}) {
    for (TTBCustomDockableWindow *bar : std::initializer_list<TTBCustomDockableWindow *>{
             f.actions.tbMainForm(), f.actions.tbAdditional(), &stranger}) {
      bool accept = true;
      dock->OnRequestDock(dock, bar, accept);
      EXPECT_EQ(accept, bar != &stranger);
    }
  }
}

// ------------------------------------------------------------------ handlers

struct HandlerRow {
  const char *name;
  const char *action;
  int senderTag; // -1: no sender item
  int activeTab;
  std::vector<std::string> calls;
};

const HandlerRow kHandlers[] = {
    {"SendRunsTheCoreSend", "actSendMessage", -1, 0, {"SendTalkMessage"}},
    {"CloseFromTheCloseButton", "actCloseTalk", kCloseTalkTag, 2, {"CloseTalk 2"}},
    {"CloseFromElsewhereDoesNothing", "actCloseTalk", 0, 2, {}},
    {"ClearSavesHistoryFirst", "actClearTextMessage", kClearMessageTag, 1, {"SaveTalkHistory 1", "ClearTranscript 1"}},
    {"ClearFromElsewhereDoesNothing", "actClearTextMessage", kCloseTalkTag, 1, {}},
    {"StopAnimationStopsTranscripts",
     "actStopAnimation",
     -1,
     0,
     {"AnimateTranscriptGifs 0", "SetGifAnimationFlags 10"}},
    {"HideAnimationHidesTranscripts", "actShowAnimation", -1, 0, {"ShowTranscriptGifs 0", "SetGifAnimationFlags 01"}},
    {"ShowUserIP", "actShowUserIPWhenMessage", -1, 0, {"ApplyMessageFormat 111"}},
    {"ShowTime", "actShowDataTimewhenMessage", -1, 0, {"ApplyMessageFormat 001"}},
    {"ShowPicture", "actShowPictureWhenMessage", -1, 0, {"ApplyMessageFormat 010"}},
    {"TrayOpen", "actOpen", -1, 0, {"ShowMainWindow"}},
    {"TrayClose", "actClose", -1, 0, {"CloseMainWindow"}},
    {"LittleIcons", "actBtnLitleIcon", -1, 0, {"ApplyTalkButtonSize 0"}},
    {"BigIcons", "actBtnBigIcon", -1, 0, {"ApplyTalkButtonSize 1"}},
};

class Handlers : public ::testing::TestWithParam<HandlerRow> {};

TEST_P(Handlers, CallTheWindow) {
  const HandlerRow &r = GetParam();
  Fixture f;
  f.window.calls.clear();
  f.window.activeTab = r.activeTab;
  TTBItem sender;
  sender.Tag = r.senderTag;
  ASSERT_TRUE(f.actions.FindAction(r.action)->Execute(r.senderTag < 0 ? nullptr : &sender));
  EXPECT_EQ(f.window.calls, r.calls);
}

INSTANTIATE_TEST_SUITE_P(Table, Handlers, ::testing::ValuesIn(kHandlers),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST(ActionHandlers, AnimationOptionsToggleAndSetTheFlags) {
  Fixture f;
  f.actions.actStopAnimation.Execute(nullptr);
  f.actions.actShowAnimation.Execute(nullptr);
  EXPECT_TRUE(f.actions.StopGifAnimation);
  EXPECT_TRUE(f.actions.HideGifAnimation);
  f.window.calls.clear();
  f.actions.actStopAnimation.Execute(nullptr);
  EXPECT_FALSE(f.actions.actStopAnimation.Checked());
  EXPECT_FALSE(f.actions.StopGifAnimation);
  EXPECT_EQ(f.window.calls, (std::vector<std::string>{"AnimateTranscriptGifs 1", "SetGifAnimationFlags 01"}));
}

TEST(ActionHandlers, ButtonSizeIsARadioPairAndSetsTheButtonsPictures) {
  Fixture f;
  for (TTBCustomItem *b : f.actions.SizedButtons()) EXPECT_EQ(b->Images(), &f.window.hot32) << b->Name().toStdString();
  f.actions.actBtnLitleIcon.Execute(nullptr);
  EXPECT_TRUE(f.actions.actBtnLitleIcon.Checked());
  EXPECT_FALSE(f.actions.actBtnBigIcon.Checked());
  for (TTBCustomItem *b : f.actions.SizedButtons()) EXPECT_EQ(b->Images(), &f.window.hot16) << b->Name().toStdString();
  // Choosing the checked one again keeps the pair as it is.
  f.actions.actBtnLitleIcon.Execute(nullptr);
  EXPECT_TRUE(f.actions.actBtnLitleIcon.Checked());
  EXPECT_FALSE(f.actions.actBtnBigIcon.Checked());
  f.actions.actBtnBigIcon.Execute(nullptr);
  EXPECT_TRUE(f.actions.actBtnBigIcon.Checked());
  EXPECT_FALSE(f.actions.actBtnLitleIcon.Checked());
  for (TTBCustomItem *b : f.actions.SizedButtons()) EXPECT_EQ(b->Images(), &f.window.hot32);
}

TEST(ActionHandlers, ShowTextPutsCaptionsUnderThePictures) {
  Fixture f;
  for (TTBToolbar *t : {f.actions.tbMainForm(), f.actions.tbAdditional()}) {
    EXPECT_FALSE(t->Options() & tboImageAboveCaption);
    EXPECT_TRUE(t->Options() & tboShowHint);
  }
  f.actions.actShowText.Execute(nullptr);
  EXPECT_TRUE(f.actions.actShowText.Checked());
  for (TTBToolbar *t : {f.actions.tbMainForm(), f.actions.tbAdditional()})
    EXPECT_TRUE(t->Options() & tboImageAboveCaption);
  f.actions.actShowText.Execute(nullptr);
  for (TTBToolbar *t : {f.actions.tbMainForm(), f.actions.tbAdditional()})
    EXPECT_FALSE(t->Options() & tboImageAboveCaption);
}

TEST(ActionHandlers, NotTalkButtonsFlipTheirSwitches) {
  Fixture f;
  f.actions.tbiNotTalkPrivate->Click();
  EXPECT_TRUE(f.actions.actNotTalkPrivate.Checked());
  EXPECT_TRUE(f.actions.tbiNotTalkPrivate->Checked());
  EXPECT_FALSE(f.actions.actNotTalkGroup.Checked());
  f.actions.tbiNotTalkGroup->Click();
  f.actions.tbiNotTalkPrivate->Click();
  EXPECT_FALSE(f.actions.actNotTalkPrivate.Checked());
  EXPECT_TRUE(f.actions.actNotTalkGroup.Checked());
  EXPECT_TRUE(f.actions.tbiNotTalkGroup->Checked());
}

TEST(ActionHandlers, ResetOfDialogueAnswersStoresTheDefaults) {
  Fixture f;
  SaveCloseTalkGroupValue(kProgramKey, true);
  SaveCloseTalkGroupPrivateValue(kProgramKey, true, false, true);
  f.actions.actClearDialogParametr.Execute(nullptr);
  EXPECT_FALSE(LoadCloseTalkGroupValue(kProgramKey));
  bool notShow = true, closeAll = false, leaveAll = true;
  LoadCloseTalkGroupPrivateValue(kProgramKey, notShow, closeAll, leaveAll);
  EXPECT_FALSE(notShow);
  EXPECT_TRUE(closeAll);
  EXPECT_FALSE(leaveAll);
}

TEST(ActionHandlers, StayOnTopTogglesTheMainWindowsFlag) {
  Fixture f;
  f.window.form->show();
  f.actions.actStayOnTop.Execute(nullptr);
  EXPECT_TRUE(f.actions.actStayOnTop.Checked());
  EXPECT_TRUE(f.window.form->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(f.window.form->isVisible());
  f.actions.actStayOnTop.Execute(nullptr);
  EXPECT_FALSE(f.window.form->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(f.window.form->isVisible());
  // No user list yet: its option only keeps its check mark.
  ApplyStayOnTop(nullptr, true);
}

// A widget that counts the tooltips that reach it.
class HintTarget : public QWidget {
public:
  int hints = 0;

protected:
  bool event(QEvent *e) override {
    if (e->type() == QEvent::ToolTip) ++hints;
    return QWidget::event(e);
  }
};

TEST(ActionHandlers, ShowHintSwitchesTooltipsOfTheWholeApplication) {
  Fixture f;
  HintTarget target;
  auto hint = [&] {
    QHelpEvent e(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
    QApplication::sendEvent(&target, &e);
  };
  hint();
  EXPECT_EQ(target.hints, 1);
  f.actions.actShowHint.Execute(nullptr);
  EXPECT_FALSE(f.actions.actShowHint.Checked());
  EXPECT_FALSE(ApplicationShowHint());
  hint();
  EXPECT_EQ(target.hints, 1);
  f.actions.actShowHint.Execute(nullptr);
  hint();
  EXPECT_EQ(target.hints, 2);
}

TEST(ActionHandlers, AFailingHandlerShowsTheErrorDialogAndGoesOn) {
  Fixture f;
  std::vector<QString> shown;
  SetErrorDialogRunner([&](TfmError &D) { shown.push_back(D.lbMessage->text()); });
  SetLogSink([](const std::string &) {});
  f.window.failSend = true;
  EXPECT_NO_THROW(f.actions.actSendMessage.Execute(nullptr));
  EXPECT_EQ(shown, std::vector<QString>{QStringLiteral("send failed")});
  SetErrorDialogRunner({});
  SetLogSink({});
}

// ------------------------------------------------------------ shell targets

RUserID User(const char *Email, bool Active, std::int32_t Group = 0) {
  RUserID u;
  u.Profile.Set(&RUserProfile::EMAIL, Email);
  u.Active = Active ? 1 : 0;
  u.GroupTag = Group;
  return u;
}

struct MailRow {
  const char *name;
  std::vector<RUserID> users; // index 0 is the local user
  std::string expected;
};

const MailRow kMail[] = {
    {"NobodyGivesMailToAlone", {User("me@x", true), User("", true)}, "mailto:"},
    {"TwoJoinedWithoutTrailingSeparator", {User("me@x", true), User("a@x", true), User("b@y", true)}, "mailto:a@x,b@y"},
    {"LocalUserInactiveAndBlankLeftOut",
     {User("me@x", true), User("gone@x", false), User("", true), User("c@z", true)},
     "mailto:c@z"},
    {"OnlyTheLocalUser", {User("me@x", true)}, "mailto:"},
    // A peer's address must not bring headers or attachments along.
    {"AttachmentSmugglerLeftOut",
     {User("me@x", true), User("a@x?attach=/etc/passwd", true), User("b@y", true)},
     "mailto:b@y"},
};

class MailAll : public ::testing::TestWithParam<MailRow> {};

TEST_P(MailAll, OpensTheJoinedAddresses) {
  Fixture f;
  ShellSink shell;
  f.window.users = GetParam().users;
  f.actions.actMailAll.Execute(nullptr);
  EXPECT_EQ(shell.opened, std::vector<std::string>{GetParam().expected});
}

INSTANTIATE_TEST_SUITE_P(Table, MailAll, ::testing::ValuesIn(kMail),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST(ActionShell, MailToAGroupJoinsItsMembersOnly) {
  Fixture f;
  f.window.users = {User("me@x", true, 5), User("a@x", true, 5), User("b@y", true, 6), User("c@z", true, 5)};
  const std::int32_t group = 5;
  EXPECT_EQ(MailToUsers(f.window, &group), "mailto:a@x,c@z");
}

TEST(ActionShell, EmptyMailAndTheWebActions) {
  Fixture f;
  ShellSink shell;
  f.actions.actMailEmpty.Execute(nullptr);
  f.actions.actKavetChatOnTheWeb.Execute(nullptr);
  f.actions.actSiteOurCompany.Execute(nullptr);
  f.actions.actTechnicalSupport.Execute(nullptr);
  EXPECT_EQ(shell.opened, (std::vector<std::string>{"mailto:", std::string(kProductWebPage), std::string(kCompanySite),
                                                    std::string(kSupportMail)}));
}

TEST(ActionShell, HelpOpensTheInstalledPageOnly) {
  Fixture f;
  ShellSink shell;
  kctest::TempDir resources{"kc-help"};
  kctest::ScopedEnv dir{"KAVET_RESOURCE_DIR", resources.path().string()};
  f.actions.actHelp.Execute(nullptr);
  EXPECT_TRUE(shell.opened.empty());
  std::filesystem::create_directories(resources.path() / "help");
  std::ofstream(resources.file("help/index.html")) << "<html></html>";
  f.actions.actHelp.Execute(nullptr);
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(std::filesystem::path(shell.opened[0]), resources.path() / "help/index.html");
  // The user list's context falls back to the start page while it has none.
  EXPECT_EQ(std::filesystem::path(HelpPage(2000)), resources.path() / "help/index.html");
}

// ---------------------------------------------------------------- captions

TEST(ActionCaptions, SomeonesTextKeepsItsAmpersands) {
  for (const char *text : {"Tom & Jerry", "&Bold", "a&&b", "&"}) {
    const QString caption = PlainCaption(QString::fromUtf8(text));
    EXPECT_EQ(StripAccelChars(caption).toStdString(), text);
    EXPECT_TRUE(FindAccelChar(caption).isNull()) << text;
  }
}

TEST(ActionCaptions, LanguageItemsShowTheirNamesAsTheyAre) {
  Fixture f;
  kctest::TempDir dir{"kc-lng"};
  std::ofstream(dir.file("de.lng")) << "[LNG]\nLanguageName=Deutsch\n";
  TLanguageSubmenu &menu = f.actions.LanguageMenu();
  menu.Add({"R&D", dir.file("de.lng"), false});
  menu.Add({"Gone", dir.file("missing.lng"), false});
  ASSERT_EQ(menu.Count(), 2);
  EXPECT_EQ(menu.ItemAt(0).Caption, "R&D");
  EXPECT_EQ(StripAccelChars(f.actions.tbsiLanguage->ItemAt(0)->Caption()), QStringLiteral("R&D"));
  // A click on a missing file does nothing; on an existing one applies it
  // once.
  menu.LanguageItemClick(f.actions.tbsiLanguage->ItemAt(1));
  EXPECT_FALSE(menu.ItemAt(1).Checked);
  menu.LanguageItemClick(f.actions.tbsiLanguage->ItemAt(0));
  menu.LanguageItemClick(f.actions.tbsiLanguage->ItemAt(0));
  EXPECT_TRUE(menu.ItemAt(0).Checked);
  EXPECT_EQ(f.window.CallsOf("ApplyLanguage"), std::vector<std::string>{"ApplyLanguage " + dir.file("de.lng")});
}

} // namespace
