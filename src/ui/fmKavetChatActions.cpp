#include "ui/fmKavetChatActions.h"

#include <QApplication>
#include <QWidget>

#include <utility>

#include "core/iniFileUn.h"
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/MailTo.h"
#include "platform/ShellOpen.h"
#include "toolbars/TBarDock.h"
#include "ui/ArtUn.h"
#include "ui/fmErrorUn.h"
#include "ui/fmKavetChatSettings.h"

namespace kc {

using namespace kc::tb;

namespace {

constexpr TShortCut kReturn = 0x0D, kDelete = 0x2E, kF1 = 0x70;

QString Text(const char *Utf8) { return QString::fromUtf8(Utf8); }

// Runs Action as a click of Sender would, when it may run.
void Run(TTBAction &Action, TTBCustomItem *Sender) {
  if (Action.Enabled()) Action.Execute(Sender);
}

template <class T> T *Add(TTBCustomItem &Parent, T *Item) {
  Parent.Add(Item);
  return Item;
}

TTBItem *AddAction(TTBCustomItem &Parent, TTBAction &Action, const char *Name = nullptr) {
  auto *item = Add(Parent, new TTBItem);
  item->SetAction(&Action);
  if (Name) item->SetName(Text(Name));
  return item;
}

void AddSeparator(TTBCustomItem &Parent) { Parent.Add(new TTBSeparatorItem); }

TTBSubmenuItem *AddSubmenu(TTBCustomItem &Parent, const char *Name, const char *Caption, int Picture = -1) {
  auto *item = Add(Parent, new TTBSubmenuItem);
  item->SetName(Text(Name));
  item->SetCaption(Text(Caption));
  item->SetImageIndex(Picture);
  return item;
}

// A split button: its own click runs Default; the first sub-item (the same
// action) is the menu's default item.
TTBSubmenuItem *AddSplitButton(TTBCustomItem &Parent, const char *Name, const QString &Caption, TTBAction &Default) {
  auto *item = Add(Parent, new TTBSubmenuItem);
  item->SetName(Text(Name));
  item->SetCaption(Caption);
  item->SetDropdownCombo(true);
  item->SetImageIndex(Default.ImageIndex());
  TTBAction *action = &Default;
  item->OnClick = [action](TTBCustomItem *Sender) { Run(*action, Sender); };
  return item;
}

TTBItem *AddDefault(TTBCustomItem &Parent, TTBAction &Action) {
  TTBItem *item = AddAction(Parent, Action);
  item->SetOptions(item->Options() | tboDefault);
  return item;
}

bool IsFile(const std::string &Path) { return !Path.empty() && FileExists(Path); }

} // namespace

std::string HelpPage(int Context) {
  const char *page = Context == 2000 ? "help/userlist.html" : "help/index.html";
  std::string path = resourcePath(page);
  if (IsFile(path)) return path;
  // A help set without a page of its own for this window opens at its start.
  path = resourcePath("help/index.html");
  return IsFile(path) ? path : std::string();
}

QString PlainCaption(const QString &Text) {
  QString out = Text;
  out.replace(QLatin1Char('&'), QLatin1String("&&"));
  return out;
}

std::string MailToUsers(const IMainWindowActions &Window, const std::int32_t *GroupTag) {
  std::vector<std::string> addresses;
  for (int i = 1; i < Window.UserCount(); ++i) {
    const RUserID *user = Window.UserRecord(i);
    if (!user || !user->Active || user->Profile->EMAIL.empty()) continue;
    if (GroupTag && user->GroupTag != *GroupTag) continue;
    addresses.push_back(ansiToUtf8(user->Profile->EMAIL));
  }
  return MailToSafeLink(addresses);
}

// ------------------------------------------------------------ language menu

TLanguageMenuItem TLanguageSubmenu::ItemAt(int Index) const {
  const TTBCustomItem *item = FSubmenu.ItemAt(Index);
  return {utf8ToAnsi(StripAccelChars(item->Caption()).toStdString()), item->Hint().toStdString(), item->Checked()};
}

void TLanguageSubmenu::Add(const TLanguageMenuItem &Item) {
  auto *item = new TTBItem;
  item->SetCaption(PlainCaption(QString::fromStdString(ansiToUtf8(Item.Caption))));
  item->SetHint(QString::fromStdString(Item.Hint));
  item->SetChecked(Item.Checked);
  item->OnClick = [this](TTBCustomItem *Sender) { LanguageItemClick(Sender); };
  FSubmenu.Add(item);
}

void TLanguageSubmenu::Delete(int Index) {
  TTBCustomItem *item = FSubmenu.ItemAt(Index);
  FSubmenu.Delete(Index);
  delete item;
}

void TLanguageSubmenu::SetChecked(int Index, bool Checked) { FSubmenu.ItemAt(Index)->SetChecked(Checked); }

void TLanguageSubmenu::LanguageItemClick(TTBCustomItem *Item) {
  if (!Item || Item->Checked()) return;
  const std::string path = Item->Hint().trimmed().toStdString();
  if (!IsFile(path)) return;
  for (int i = 0; i < FSubmenu.Count(); ++i) FSubmenu.ItemAt(i)->SetChecked(false);
  Item->SetChecked(true);
  FWindow.ApplyLanguage(path);
}

// ------------------------------------------------------------------ actions

TMainActionList::TMainActionList(IMainWindowActions &Window, std::string_view Key) : FWindow(Window), FKey(Key) {
  MakeActions();
  MakeHandlers();
  MakeMenus();
}

TMainActionList::~TMainActionList() {
  // The toolbars belong to the form; their items let go of the actions
  // when either goes first.
}

TTBAction &TMainActionList::Define(const char *Name, TTBAction &Action, const char *Caption, TShortCut ShortCut,
                                   bool Checked) {
  Action.SetCaption(Text(Caption));
  Action.SetShortCut(ShortCut);
  Action.SetChecked(Checked);
  FActions.push_back({Name, &Action});
  return Action;
}

void TMainActionList::MakeActions() {
  Define("actHelp", actHelp, "Help", kF1).SetHint(Text("Help information"));
  Define("actAbout", actAbout, "About");
  Define("actUserNetProfile", actUserNetProfile, "User profile...", scAlt | kReturn);
  Define("actUserMyProfile", actUserMyProfile, "My profile");
  Define("actOpen", actOpen, "Open");
  Define("actClose", actClose, "Close");
  Define("actMailUser", actMailUser, "Mail");
  Define("actMailAll", actMailAll, "Mail all");
  Define("actMailEmpty", actMailEmpty, "Create empty mail");
  Define("actMailGroup", actMailGroup, "Create mail to group");
  Define("actStayOnTop", actStayOnTop, "Stay on top main window");
  Define("actStayOnTopUserList", actStayOnTopUserList, "Stay on top user list", 0, true);
  Define("actShowUserList", actShowUserList, "Show user list", scCtrl | 'L', true);
  Define("actMessageToUser", actMessageToUser, "Create talk with user", scCtrl | 'U')
      .SetHint(Text("Create talk with user"));
  Define("actMessageToGroup", actMessageToGroup, "Create talk with group");
  Define("actKavetChatOnTheWeb", actKavetChatOnTheWeb, "Kavet Chat on the Web");
  Define("actSiteOurCompany", actSiteOurCompany, "Site Dornick software");
  Define("actTechnicalSupport", actTechnicalSupport, "Technical support");
  Define("actShowHint", actShowHint, "Show hint", 0, true);
  Define("actAnsweringMachine", actAnsweringMachine, "Auto-Reply");
  Define("actAnsweringmachineOptions", actAnsweringmachineOptions, "Auto-Reply options");
  Define("actSoundKavetChat", actSoundKavetChat, "Play sound at start KavetChat");
  Define("actSoundUserConnect", actSoundUserConnect, "Play sound at new user connect", 0, true);
  Define("actSoundUserDisconnect", actSoundUserDisconnect, "Play sound at user disconnect", 0, true);
  Define("actSoundNewMessage", actSoundNewMessage, "Play sound at new message come", 0, true);
  Define("actShowHistoryMessage", actShowHistoryMessage, "Show history message");
  Define("actSendMessage", actSendMessage, "Send message", scCtrl | kReturn).SetHint(Text("Send"));
  Define("actCopy", actCopy, "Copy", scCtrl | 'C');
  Define("actDelete", actDelete, "Delete", kDelete);
  Define("actCut", actCut, "Cut", scCtrl | 'X');
  Define("actPaste", actPaste, "Paste", scCtrl | 'V');
  Define("actSelectAll", actSelectAll, "Select all", scCtrl | 'A');
  Define("actUndo", actUndo, "Undo", scCtrl | 'Z');
  Define("actShowUserIPWhenMessage", actShowUserIPWhenMessage, "Show user IP");
  Define("actShowDataTimewhenMessage", actShowDataTimewhenMessage, "Show time message", 0, true);
  Define("actShowPictureWhenMessage", actShowPictureWhenMessage, "Show user picture", 0, true);
  Define("actSelectImageMood", actSelectImageMood, "Insert image");
  Define("actSelectGifMood", actSelectGifMood, "Insert animation");
  Define("actStopAnimation", actStopAnimation, "Stop gif animation");
  Define("actShowAnimation", actShowAnimation, "Hide gif animation");
  Define("actHideProgramm", actHideProgramm, "Hide Programm in Trey when minimize");
  Define("actInsertFile", actInsertFile, "actInsertFile").SetHint(Text("Insert files"));
  Define("actInsertFolder", actInsertFolder, "actInsertFolder");
  Define("actCloseTalk", actCloseTalk, "Close talk").SetHint(Text("Close talk"));
  Define("actBtnBigIcon", actBtnBigIcon, "Big icon", 0, true);
  Define("actBtnLitleIcon", actBtnLitleIcon, "Litle icon");
  Define("actShowText", actShowText, "Show text");
  Define("actNotTalkGroup", actNotTalkGroup, "Not talk group").SetHint(Text("Not talk group"));
  Define("actNotTalkPrivate", actNotTalkPrivate, "Not talk private").SetHint(Text("Not talk private"));
  Define("actOpenFileOrFolder", actOpenFileOrFolder, "Open");
  Define("actSaveAsFileOrFolder", actSaveAsFileOrFolder, "Save as...");
  Define("actGetFileOrFolder", actGetFileOrFolder, "Get file or folder");
  Define("actClearTextMessage", actClearTextMessage, "Clear text message").SetHint(Text("Clear text message"));
  Define("actClearDialogParametr", actClearDialogParametr, "To reset parameters of dialogues");
  SetPictures();
  actInsertFile.SetVisible(false);
  actInsertFolder.SetVisible(false);
  DisableUnbuilt();
}

// Pictures in ilHotImage / ilHotImage16x16.
void TMainActionList::SetPictures() {
  const std::pair<TTBAction *, THotImage> pictures[] = {{&actHelp, hiHelp},
                                                        {&actAbout, hiAbout},
                                                        {&actUserNetProfile, hiUserProfile},
                                                        {&actUserMyProfile, hiMyProfile},
                                                        {&actOpen, hiOpen},
                                                        {&actClose, hiClose},
                                                        {&actMailUser, hiMailUser},
                                                        {&actMailAll, hiMailAll},
                                                        {&actMailEmpty, hiMailEmpty},
                                                        {&actMailGroup, hiMailGroup},
                                                        {&actStayOnTop, hiStayOnTop},
                                                        {&actStayOnTopUserList, hiStayOnTopUserList},
                                                        {&actShowUserList, hiUserList},
                                                        {&actMessageToUser, hiTalk},
                                                        {&actMessageToGroup, hiTalkGroup},
                                                        {&actKavetChatOnTheWeb, hiWeb},
                                                        {&actSiteOurCompany, hiSite},
                                                        {&actTechnicalSupport, hiSupport},
                                                        {&actShowHint, hiShowHint},
                                                        {&actAnsweringMachine, hiAutoReply},
                                                        {&actAnsweringmachineOptions, hiAutoReplyOptions},
                                                        {&actShowHistoryMessage, hiHistory},
                                                        {&actSendMessage, hiSend},
                                                        {&actCopy, hiCopy},
                                                        {&actDelete, hiDelete},
                                                        {&actCut, hiCut},
                                                        {&actPaste, hiPaste},
                                                        {&actSelectAll, hiSelectAll},
                                                        {&actUndo, hiUndo},
                                                        {&actSelectImageMood, hiStillEmoticon},
                                                        {&actSelectGifMood, hiAnimatedEmoticon},
                                                        {&actHideProgramm, hiHideInTray},
                                                        {&actInsertFile, hiInsertFile},
                                                        {&actInsertFolder, hiInsertFolder},
                                                        {&actCloseTalk, hiCloseTalk},
                                                        {&actNotTalkGroup, hiNotTalkGroup},
                                                        {&actNotTalkPrivate, hiNotTalkPrivate},
                                                        {&actOpenFileOrFolder, hiOpenFile},
                                                        {&actSaveAsFileOrFolder, hiSaveAs},
                                                        {&actGetFileOrFolder, hiGetFile},
                                                        {&actClearTextMessage, hiClearText},
                                                        {&actClearDialogParametr, hiResetDialogs}};
  for (const auto &[action, picture] : pictures) action->SetImageIndex(picture);
}

void TMainActionList::DisableUnbuilt() {
  // Their windows come later: the user list and its selection, the
  // profile, history, auto-reply and about dialogs, the emoticon pickers,
  // offering files and the tray.
  for (TTBAction *a :
       {&actAbout, &actUserNetProfile, &actUserMyProfile, &actMailUser, &actMailGroup, &actStayOnTopUserList,
        &actShowUserList, &actMessageToUser, &actMessageToGroup, &actAnsweringMachine, &actAnsweringmachineOptions,
        &actShowHistoryMessage, &actSelectImageMood, &actSelectGifMood, &actInsertFile, &actInsertFolder,
        &actOpenFileOrFolder, &actSaveAsFileOrFolder, &actGetFileOrFolder})
    a->SetEnabled(false);
}

void TMainActionList::Toggle(TTBAction &Action, std::function<void(bool)> Then) {
  TTBAction *a = &Action;
  Action.OnExecute = [a, Then = std::move(Then)](TTBCustomItem *) {
    a->SetChecked(!a->Checked());
    if (Then) Then(a->Checked());
  };
}

void TMainActionList::MakeHandlers() {
  actHelp.OnExecute = [this](TTBCustomItem *) { Help(); };
  actOpen.OnExecute = [this](TTBCustomItem *) { FWindow.ShowMainWindow(); };
  actClose.OnExecute = [this](TTBCustomItem *) { FWindow.CloseMainWindow(); };

  actMailAll.OnExecute = [this](TTBCustomItem *) { ShellOpen(MailToUsers(FWindow)); };
  actMailEmpty.OnExecute = [](TTBCustomItem *) { OpenMailTo({}); };
  actKavetChatOnTheWeb.OnExecute = [](TTBCustomItem *) { ShellOpen(std::string(kProductWebPage)); };
  actSiteOurCompany.OnExecute = [](TTBCustomItem *) { ShellOpen(std::string(kCompanySite)); };
  actTechnicalSupport.OnExecute = [](TTBCustomItem *) { OpenMailTo({std::string(kSupportMailAddress)}); };

  Toggle(actStayOnTop, [this](bool On) { ApplyStayOnTop(FWindow.MainForm(), On); });
  Toggle(actStayOnTopUserList, [this](bool On) { ApplyStayOnTop(FWindow.UserListForm(), On); });
  Toggle(actShowHint, [](bool On) { SetApplicationShowHint(On); });
  Toggle(actHideProgramm, [this](bool On) { FWindow.ApplyMinimizeToTray(On); });
  for (TTBAction *a : {&actSoundKavetChat, &actSoundUserConnect, &actSoundUserDisconnect, &actSoundNewMessage,
                       &actNotTalkGroup, &actNotTalkPrivate})
    Toggle(*a);
  const auto messageFormat = [this](bool) {
    FWindow.ApplyMessageFormat(actShowUserIPWhenMessage.Checked(), actShowDataTimewhenMessage.Checked(),
                               actShowPictureWhenMessage.Checked());
  };
  for (TTBAction *a : {&actShowUserIPWhenMessage, &actShowDataTimewhenMessage, &actShowPictureWhenMessage})
    Toggle(*a, messageFormat);
  Toggle(actShowText, [this](bool On) { ApplyShowText(On); });

  actStopAnimation.OnExecute = [this](TTBCustomItem *) { AnimationOption(actStopAnimation); };
  actShowAnimation.OnExecute = [this](TTBCustomItem *) { AnimationOption(actShowAnimation); };
  actBtnBigIcon.OnExecute = [this](TTBCustomItem *) { ButtonSize(actBtnBigIcon); };
  actBtnLitleIcon.OnExecute = [this](TTBCustomItem *) { ButtonSize(actBtnLitleIcon); };

  actSendMessage.OnExecute = [this](TTBCustomItem *) { FWindow.SendTalkMessage(); };
  // Only the close button of a talk closes it.
  actCloseTalk.OnExecute = [this](TTBCustomItem *Sender) {
    if (Sender && Sender->Tag == kCloseTalkTag) FWindow.CloseTalk(FWindow.ActiveTab());
  };
  actClearTextMessage.OnExecute = [this](TTBCustomItem *Sender) { ClearTextMessage(Sender); };
  actClearDialogParametr.OnExecute = [this](TTBCustomItem *) { ClearDialogParametr(); };
  // The editing actions have no handler here: their keys belong to the
  // focused input box, which does the editing itself.

  // Each handler is the boundary of its user action: a failure is shown
  // in the error dialog and the program goes on.
  for (const TNamedAction &a : FActions) {
    if (!a.Action->OnExecute) continue;
    a.Action->OnExecute = [this, handler = std::move(a.Action->OnExecute)](TTBCustomItem *Sender) {
      try {
        handler(Sender);
      } catch (...) {
        ApplicationEventsException(FWindow.MainForm(), ExceptionMessage(std::current_exception()));
      }
    };
  }
}

TTBAction *TMainActionList::FindAction(std::string_view Name) const {
  for (const TNamedAction &a : FActions)
    if (Name == a.Name) return a.Action;
  return nullptr;
}

bool TMainActionList::RunShortCut(TShortCut ShortCut) {
  if (ShortCut == 0) return false;
  for (const TNamedAction &a : FActions) {
    if (a.Action->ShortCut() != ShortCut) continue;
    // Editing keys belong to the focused input box, whatever the editing
    // actions do when chosen from a menu.
    if (IsEditingAction(*a.Action)) return false;
    if (a.Action->Enabled() && a.Action->OnExecute) return a.Action->Execute(nullptr);
  }
  return false;
}

bool TMainActionList::IsEditingAction(const TTBAction &Action) const {
  for (const TTBAction *a : {&actCopy, &actDelete, &actCut, &actPaste, &actSelectAll, &actUndo})
    if (a == &Action) return true;
  return false;
}

// ------------------------------------------------------------------ handlers

void TMainActionList::Help() {
  QWidget *userList = FWindow.UserListForm();
  const int context = userList && QApplication::activeWindow() == userList ? 2000 : 1000;
  const std::string page = HelpPage(context);
  if (!page.empty()) ShellOpen(page);
}

void TMainActionList::AnimationOption(TTBAction &Sender) {
  Sender.SetChecked(!Sender.Checked());
  if (&Sender == &actStopAnimation) FWindow.AnimateTranscriptGifs(!Sender.Checked());
  else FWindow.ShowTranscriptGifs(!Sender.Checked());
  StopGifAnimation = actStopAnimation.Checked();
  HideGifAnimation = actShowAnimation.Checked();
  FWindow.SetGifAnimationFlags(StopGifAnimation, HideGifAnimation);
}

void TMainActionList::ButtonSize(TTBAction &Sender) {
  TTBAction &other = &Sender == &actBtnBigIcon ? actBtnLitleIcon : actBtnBigIcon;
  Sender.SetChecked(true);
  other.SetChecked(false);
  ApplyButtonSize(actBtnBigIcon.Checked());
}

void TMainActionList::ClearTextMessage(TTBCustomItem *Sender) {
  if (!Sender || Sender->Tag != kClearMessageTag) return;
  const int tab = FWindow.ActiveTab();
  if (tab < 0) return;
  // What the transcript held goes to history before it is gone.
  FWindow.SaveTalkHistory(tab);
  FWindow.ClearTranscript(tab);
}

void TMainActionList::ClearDialogParametr() {
  SaveCloseTalkGroupValue(FKey, false);
  SaveCloseTalkGroupPrivateValue(FKey, false, true, false);
}

std::vector<TTBCustomItem *> TMainActionList::SizedButtons() const {
  std::vector<TTBCustomItem *> out;
  for (TTBCustomItem *i :
       std::initializer_list<TTBCustomItem *>{miMessage, miShowUserList, miMyProfile, tbOptions, miHelpTB,
                                              miAnsweringMachine, miMailVariant, tbiNotTalkGroup, tbiNotTalkPrivate})
    if (i) out.push_back(i);
  return out;
}

void TMainActionList::ApplyButtonSize(bool Big) {
  TCustomImageList *images = FWindow.HotImages(Big);
  for (TTBCustomItem *i : SizedButtons()) i->SetImages(images);
  FWindow.ApplyTalkButtonSize(Big);
}

void TMainActionList::ApplyShowText(bool On) {
  // Hints stay: without captions they are all that names a button.
  const TTBItemOptions options = On ? TTBItemOptions(tboImageAboveCaption | tboShowHint) : TTBItemOptions(tboShowHint);
  for (TTBToolbar *t : {FMainForm.data(), FAdditional.data()})
    if (t) t->SetOptions(options);
}

// --------------------------------------------------------------------- menus

void TMainActionList::MakeMenus() {
  FTrey = std::make_unique<TTBPopupMenu>();
  FFileOrFolder = std::make_unique<TTBPopupMenu>();

  TTBCustomItem &trey = *FTrey->Items();
  AddDefault(trey, actOpen);
  AddSeparator(trey);
  TTBSubmenuItem *autoReply = AddSubmenu(trey, "miAnsweringMachineTrey", "Auto-Reply", hiAutoReply);
  autoReply->SetEnabled(false);
  AddAction(trey, actNotTalkPrivate);
  AddAction(trey, actNotTalkGroup);
  AddSeparator(trey);
  AddAction(trey, actClose);
  // The tray's auto-reply menu shows the toolbar's.
  FTrey->OnPopup = [this, autoReply] {
    if (miAnsweringMachine) autoReply->SetLinkSubitems(miAnsweringMachine);
  };

  TTBCustomItem &file = *FFileOrFolder->Items();
  AddDefault(file, actOpenFileOrFolder);
  AddAction(file, actSaveAsFileOrFolder);
  AddSeparator(file);
  AddAction(file, actGetFileOrFolder);
}

void TMainActionList::BuildMainForm(TTBCustomItem &Root) {
  miMessage = AddSplitButton(Root, "miMessage", Text("Talk"), actMessageToUser);
  miMessage->SetHint(actMessageToUser.Hint() + QStringLiteral(" (") + ShortCutToText(actMessageToUser.ShortCut()) +
                     QStringLiteral(")"));
  AddDefault(*miMessage, actMessageToUser);
  AddAction(*miMessage, actMessageToGroup);

  miShowUserList = AddAction(Root, actShowUserList, "miShowUserList");

  miMyProfile = AddSplitButton(Root, "miMyProfile", actUserMyProfile.Caption(), actUserMyProfile);
  AddDefault(*miMyProfile, actUserMyProfile);
  AddAction(*miMyProfile, actUserNetProfile);

  tbOptions = AddSubmenu(Root, "tbOptions", "Options", hiOptions);
  tbOptions->SetOptions(tbOptions->Options() | tboDropdownArrow);
  tbOptions->SetHint(Text("Please press for adjustment of the program"));
  AddAction(*tbOptions, actHideProgramm);
  AddAction(*tbOptions, actShowHistoryMessage);
  AddSeparator(*tbOptions);
  tbsiLanguage = AddSubmenu(*tbOptions, "tbsiLanguage", "Language", hiLanguage);
  tbPanelsOfTools = AddSubmenu(*tbOptions, "tbPanelsOfTools", "Panels of tools", hiPanels);
  tbAdditionalToggle = Add(*tbPanelsOfTools, new TTBVisibilityToggleItem);
  tbAdditionalToggle->SetName(QStringLiteral("tbAdditionalToggle"));
  AddSeparator(*tbOptions);
  AddAction(*tbOptions, actStayOnTop);
  AddAction(*tbOptions, actStayOnTopUserList);
  AddSeparator(*tbOptions);
  miOther = AddSubmenu(*tbOptions, "miOther", "Other options");
  miAnimationGIF = AddSubmenu(*miOther, "miAnimationGIF", "Gif animation", hiGifAnimation);
  AddAction(*miAnimationGIF, actStopAnimation);
  AddAction(*miAnimationGIF, actShowAnimation);
  miMessageFormat = AddSubmenu(*miOther, "miMessageFormat", "Message format", hiMessageFormat);
  AddAction(*miMessageFormat, actShowUserIPWhenMessage);
  AddAction(*miMessageFormat, actShowDataTimewhenMessage);
  AddAction(*miMessageFormat, actShowPictureWhenMessage);
  miPlaySound = AddSubmenu(*miOther, "miPlaySound", "Sounds", hiSounds);
  AddAction(*miPlaySound, actSoundKavetChat);
  AddAction(*miPlaySound, actSoundUserConnect);
  AddAction(*miPlaySound, actSoundUserDisconnect);
  AddAction(*miPlaySound, actSoundNewMessage);
  miButtonOptions = AddSubmenu(*miOther, "miButtonOptions", "Buttons", hiButtons);
  AddAction(*miButtonOptions, actBtnBigIcon);
  AddAction(*miButtonOptions, actBtnLitleIcon);
  AddSeparator(*miButtonOptions);
  AddAction(*miButtonOptions, actShowText);
  AddSeparator(*miOther);
  AddAction(*miOther, actShowHint);
  AddAction(*miOther, actClearDialogParametr);

  miHelpTB = AddSplitButton(Root, "miHelpTB", actHelp.Caption(), actHelp);
  miHelpTB->SetHint(actHelp.Hint());
  AddDefault(*miHelpTB, actHelp);
  AddSeparator(*miHelpTB);
  AddAction(*miHelpTB, actKavetChatOnTheWeb);
  AddAction(*miHelpTB, actSiteOurCompany);
  AddAction(*miHelpTB, actTechnicalSupport);
  AddSeparator(*miHelpTB);
  AddAction(*miHelpTB, actAbout);

  // Buttons whose every command waits for a later window.
  miMessage->SetEnabled(false);
  miMyProfile->SetEnabled(false);
}

void TMainActionList::BuildAdditional(TTBCustomItem &Root) {
  miAnsweringMachine = AddSubmenu(Root, "miAnsweringMachine", "Auto-Reply", hiAutoReply);
  miAnsweringMachine->SetOptions(miAnsweringMachine->Options() | tboDropdownArrow);
  miAnsweringMachine->SetHint(Text("Please press for inclusion/deenergizing of a mode of an Auto-Reply"));
  miDisconnectAnsweringMachine = Add(*miAnsweringMachine, new TTBItem);
  miDisconnectAnsweringMachine->SetName(QStringLiteral("miDisconnectAnsweringMachine"));
  miDisconnectAnsweringMachine->SetCaption(
      QString::fromStdString(ansiToUtf8(MessageText("miDisconnectAnsweringMachine"))));
  miDisconnectAnsweringMachine->SetVisible(false);
  miVariants = AddSubmenu(*miAnsweringMachine, "miVariants", "Variants");
  miVariants->SetEnabled(false);
  AddSeparator(*miAnsweringMachine);
  AddAction(*miAnsweringMachine, actAnsweringmachineOptions);
  miAnsweringMachine->SetEnabled(false);

  miMailVariant = AddSplitButton(Root, "miMailVariant", actMailUser.Caption(), actMailUser);
  AddDefault(*miMailVariant, actMailUser);
  AddAction(*miMailVariant, actMailGroup);
  AddAction(*miMailVariant, actMailAll);
  AddAction(*miMailVariant, actMailEmpty);

  tbiNotTalkPrivate = AddAction(Root, actNotTalkPrivate, "tbiNotTalkPrivate");
  tbiNotTalkGroup = AddAction(Root, actNotTalkGroup, "tbiNotTalkGroup");
}

void TMainActionList::CreateToolbars(QWidget *Form, TTBDock *Top, TTBDock *Bottom) {
  FMainForm = new TTBToolbar(Form);
  FAdditional = new TTBToolbar(Form);
  FMainForm->setObjectName(QStringLiteral("tbMainForm"));
  FAdditional->setObjectName(QStringLiteral("tbAdditional"));
  FMainForm->SetCaption(QStringLiteral("Main"));
  FAdditional->SetCaption(QStringLiteral("Additional"));
  BuildMainForm(*FMainForm->Items());
  BuildAdditional(*FAdditional->Items());
  tbAdditionalToggle->SetControl(FAdditional);
  tbAdditionalToggle->SetCaption(FAdditional->Caption());
  for (TTBDock *dock : {Top, Bottom})
    if (dock)
      dock->OnRequestDock = [this](TTBDock *Sender, TTBCustomDockableWindow *Bar, bool &Accept) {
        TBDockMainTopRequestDock(Sender, Bar, Accept);
      };
  // The action list's shortcuts: tbMainForm answers for the whole form.
  FMainForm->SetProcessShortCuts(true);
  FMainForm->OnShortCut = [this](TTBCustomToolbar *, TShortCut ShortCut, bool &Handled) {
    Handled = RunShortCut(ShortCut);
  };
  ApplyShowText(actShowText.Checked());
  ApplyButtonSize(actBtnBigIcon.Checked());
  if (Top) {
    FMainForm->SetDockRow(0);
    FMainForm->SetDockPos(0);
    FMainForm->SetCurrentDock(Top);
    FAdditional->SetDockRow(0);
    FAdditional->SetDockPos(FMainForm->x() + FMainForm->width());
    FAdditional->SetCurrentDock(Top);
  }
  FLanguageMenu = std::make_unique<TLanguageSubmenu>(*tbsiLanguage, FWindow);
}

void TMainActionList::TBDockMainTopRequestDock(TTBDock *, TTBCustomDockableWindow *Bar, bool &Accept) const {
  Accept = Bar && (Bar == FMainForm.data() || Bar == FAdditional.data());
}

void TMainActionList::FillSendToolbar(TTBCustomItem &Root) {
  // The send toolbar's pictures are in ilProfilesImage.
  AddAction(Root, actSendMessage, "tbiSendMessage")->SetImageIndex(piSend);
  AddSeparator(Root);
  AddAction(Root, actSelectImageMood, "tbiSelectImageMood")->SetImageIndex(piStillEmoticon);
  AddAction(Root, actSelectGifMood, "tbiSelectGifMood")->SetImageIndex(piAnimatedEmoticon);
  AddSeparator(Root);
  AddAction(Root, actInsertFile, "tbiInsertFile")->SetImageIndex(piFile);
  AddAction(Root, actInsertFolder, "tbiInsertFolder")->SetImageIndex(piFolder);
  AddSeparator(Root);
  TTBItem *clear = AddAction(Root, actClearTextMessage, "tbiClearMessage");
  clear->Tag = kClearMessageTag;
  clear->SetImageIndex(piClearText);
  TTBItem *close = AddAction(Root, actCloseTalk, "tbiCloseTalk");
  close->Tag = kCloseTalkTag;
  close->SetImageIndex(piCloseTalk);
}

} // namespace kc
