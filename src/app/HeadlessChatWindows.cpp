#include "HeadlessChatWindows.h"

#include "core/ConstUnit.h"
#include "core/StoryFileUn.h"
#include "platform/CodePage.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/ProgramKey.h"

#include <string>
#include <vector>

namespace kc {

namespace {

// Lines quote what peers chose (aliases, bodies): escaped, so that no
// host can write control sequences into the user's terminal; queued, so
// that an unread standard error never stops the program.
void report(const std::string &line) { WriteStderrLine("kavetchat: " + EscapeForTerminal(line)); }

std::vector<TLanguageItem> languageItems(const ILanguageMenu &menu) {
  std::vector<TLanguageItem> items;
  for (int i = 0; i < menu.Count(); ++i) {
    TLanguageMenuItem m = menu.ItemAt(i);
    items.push_back({m.Hint, m.Checked});
  }
  return items;
}

} // namespace

HeadlessChatWindows::HeadlessChatWindows() { FReporter.Host = &FHost; }

void HeadlessChatWindows::Reporter::UserChanged(std::string_view Change, int UserIndex) {
  if (const RUserID *r = Host->Windows().GetUserRecord(UserIndex))
    report("user " + std::string(Change) + " " + r->ID + " " + ansiToUtf8(r->ALIAS) + " " + r->IP);
}

void HeadlessChatWindows::Reporter::MessageShown(int Tab, const TTalkMessage &Message) {
  report("talk " + std::to_string(Tab) + " [" + ansiToUtf8(Message.Alias) + "] " + ansiToUtf8(Message.Body));
}

void HeadlessChatWindows::Reporter::Notice(const std::string &Text) { report(ansiToUtf8(Text)); }

void HeadlessChatWindows::Reporter::Error(const std::string &Text) { report("error: " + ansiToUtf8(Text)); }

HeadlessChatWindows::~HeadlessChatWindows() = default;

void HeadlessChatWindows::CreateMainWindow() {
  // Every store routine opens the program key for itself; holding it open
  // here reads the settings file once for the whole creation.
  const auto keyStore = programKeyStore();
  FHost.Net().SetNetworkActive(true);
  FillLanguageMenu(resourcePath("Lng/"), FLanguageMenu);
  LoadMainSettings();
  const std::string history = historyFolder();
  EnsureFolder(history);
  PurgeOldHistory(history);
  FHost.Windows().HistoryFolder = history;
  FHost.Windows().SaveHistory = LoadStorySaveHistory(kProgramKeyText);
  FHost.OpenAllUsersTalk();
  report("main window created");
}

void HeadlessChatWindows::LoadMainSettings() {
  const std::string_view key = kProgramKeyText;
  FBounds = LoadFormPosition(key, kMainFormClass);
  LoadHideInTrey(key, FHideProgramm);
  std::vector<TLanguageItem> items = languageItems(FLanguageMenu);
  LoadLanguageName(key, items);
  for (std::size_t i = 0; i < items.size(); ++i) FLanguageMenu.SetChecked(static_cast<int>(i), items[i].Checked);
  LoadShowUserList(key, FShowUserList);
  for (int i = 0; i < FLanguageMenu.Count(); ++i) {
    if (FLanguageMenu.ItemAt(i).Checked) {
      ApplyLanguageTexts(TLanguageFile(FLanguageMenu.ItemAt(i).Hint));
      break;
    }
  }
  LoadButtonsOptions(key, FBtnBigIcon, FBtnLitleIcon, FShowText);
  LoadShowMessageType(key, FShowUserIPWhenMessage, FShowDataTimewhenMessage, FShowPictureWhenMessage);
  LoadPlaySound(key, FSoundKavetChat, FSoundUserConnect, FSoundNewMessage, FSoundUserDisconnect);
  FStopAnimation = LoadStopGifAnimation(key);
  FShowAnimation = LoadShowGifAnimation(key);
  FShowHint = LoadShowHint(key);
  // The main window reads these once it has been shown; without a window
  // they are read here, so that the close writes back what was stored.
  LoadStayOnTop(key, FStayOnTop);
  LoadStayOnTopUserList(key, FStayOnTopUserList);
}

void HeadlessChatWindows::SaveMainSettings() {
  const std::string_view key = kProgramKeyText;
  if (FBounds) SaveFormPosition(key, kMainFormClass, *FBounds);
  SaveStayOnTop(key, FStayOnTop);
  SaveStayOnTopUserList(key, FStayOnTopUserList);
  SaveLanguageName(key, languageItems(FLanguageMenu));
  SaveShowUserList(key, FShowUserList);
  SaveHideInTrey(key, FHideProgramm);
  SaveShowHint(key, FShowHint);
  SavePlaySound(key, FSoundKavetChat, FSoundUserConnect, FSoundNewMessage, FSoundUserDisconnect);
  SaveButtonsOptions(key, FBtnBigIcon, FBtnLitleIcon, FShowText);
  SaveShowMessageType(key, FShowUserIPWhenMessage, FShowDataTimewhenMessage, FShowPictureWhenMessage);
  SaveStopGifAnimation(key, FStopAnimation);
  SaveShowGifAnimation(key, FShowAnimation);
}

void HeadlessChatWindows::CreateUserList() {
  FHost.CreateUserList();
  report("user list created");
}

void HeadlessChatWindows::CreateGifCatalogue() { report("animated emoticon catalogue created"); }

void HeadlessChatWindows::WakeMainWindow() { report("another copy asked for the main window"); }

void HeadlessChatWindows::CloseMainWindow() {
  // As at creation: one write of the settings file for the whole close
  // instead of one per store routine.
  const auto keyStore = programKeyStore();
  FHost.BeginClose();
  SaveMainSettings();
  keyStore->flush();
  FHost.EndClose();
  report("main window closed");
}

} // namespace kc
