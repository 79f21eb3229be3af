// The main window's settings: what SaveMainSettings writes, LoadMainSettings
// reads back into the same action states, toolbar places and window
// position; the order the loading applies them in; stay-on-top read apart.
#include <QApplication>
#include <gtest/gtest.h>

#include <fstream>

#include "core/iniFileUn.h"
#include "fmKavetChatActionsDouble.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/fmKavetChatSettings.h"

using namespace kc;
using namespace kc::tb;
using kctest::MainWindowDouble;

namespace {

// The double, also noting where the window stood when the tray option came.
class RecordingWindow : public MainWindowDouble {
public:
  void ApplyMinimizeToTray(bool On) override {
    MainWindowDouble::ApplyMinimizeToTray(On);
    calls.push_back("at " + std::to_string(form->x()) + "," + std::to_string(form->y()));
  }
};

struct Window {
  RecordingWindow window;
  TMainActionList actions{window};
  explicit Window(const std::string &LanguageFile) {
    actions.CreateToolbars(window.form.get(), window.top, window.bottom);
    actions.LanguageMenu().Add({"Deutsch", LanguageFile, false});
    window.calls.clear();
  }
};

struct Store {
  kctest::TempDir dir{"kc-settings"};
  kctest::ScopedEnv xdg{"XDG_CONFIG_HOME", dir.path().string()};
  std::string language = dir.file("de.lng");
  Store() { std::ofstream(language) << "[LNG]\nLanguageName=Deutsch\n"; }
  ~Store() { SetApplicationShowHint(true); }
};

// Every switch the settings keep, as "name=0/1".
std::vector<std::string> Switches(TMainActionList &A) {
  std::vector<std::string> out;
  for (const char *name :
       {"actStayOnTop", "actStayOnTopUserList", "actShowUserList", "actHideProgramm", "actShowHint",
        "actSoundKavetChat", "actSoundUserConnect", "actSoundUserDisconnect", "actSoundNewMessage", "actBtnBigIcon",
        "actBtnLitleIcon", "actShowText", "actShowUserIPWhenMessage", "actShowDataTimewhenMessage",
        "actShowPictureWhenMessage", "actStopAnimation", "actShowAnimation"})
    out.push_back(std::string(name) + "=" + (A.FindAction(name)->Checked() ? "1" : "0"));
  out.push_back(std::string("language=") + (A.tbsiLanguage->ItemAt(0)->Checked() ? "1" : "0"));
  out.push_back(std::string("flags=") + (A.StopGifAnimation ? "1" : "0") + (A.HideGifAnimation ? "1" : "0"));
  return out;
}

TEST(MainSettings, LoadAfterSaveGivesTheSameStates) {
  Store store;
  std::vector<std::string> saved;
  {
    Window w(store.language);
    TMainActionList &a = w.actions;
    // Every switch away from its start state.
    for (TTBAction *t : {&a.actShowUserList, &a.actHideProgramm, &a.actStayOnTopUserList}) t->SetChecked(!t->Checked());
    for (TTBAction *t :
         {&a.actStayOnTop, &a.actShowHint, &a.actSoundKavetChat, &a.actSoundUserConnect, &a.actSoundUserDisconnect,
          &a.actSoundNewMessage, &a.actShowText, &a.actShowUserIPWhenMessage, &a.actShowDataTimewhenMessage,
          &a.actShowPictureWhenMessage, &a.actStopAnimation, &a.actShowAnimation, &a.actBtnLitleIcon})
      t->Execute(nullptr);
    a.tbsiLanguage->ItemAt(0)->SetChecked(true);
    w.window.form->move(40, 30);
    w.window.form->resize(500, 320);
    a.tbAdditional()->SetCurrentDock(w.window.bottom);
    saved = Switches(a);
    SaveMainSettings(kProgramKey, a, w.window);
  }
  ASSERT_EQ(saved[0], "actStayOnTop=1");

  Window w(store.language);
  LoadMainSettings(kProgramKey, w.actions, w.window);
  ApplyStoredStayOnTop(kProgramKey, w.actions, w.window);
  EXPECT_EQ(Switches(w.actions), saved);
  EXPECT_EQ(w.window.form->pos(), QPoint(40, 30));
  EXPECT_EQ(w.window.form->size(), QSize(500, 320));
  EXPECT_EQ(w.actions.tbAdditional()->CurrentDock(), w.window.bottom);
  EXPECT_EQ(w.actions.tbMainForm()->CurrentDock(), w.window.top);
  // What shows follows the loaded switches.
  EXPECT_FALSE(ApplicationShowHint());
  EXPECT_TRUE(w.window.form->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(w.actions.tbMainForm()->Options() & tboImageAboveCaption);
  for (TTBCustomItem *b : w.actions.SizedButtons()) EXPECT_EQ(b->Images(), &w.window.hot16);
}

TEST(MainSettings, LoadAppliesInItsOrder) {
  Store store;
  {
    Window w(store.language);
    w.actions.actHideProgramm.SetChecked(true);
    w.actions.tbsiLanguage->ItemAt(0)->SetChecked(true);
    w.actions.actBtnLitleIcon.Execute(nullptr);
    w.actions.actStopAnimation.Execute(nullptr);
    w.window.form->move(20, 10);
    SaveMainSettings(kProgramKey, w.actions, w.window);
  }
  Window w(store.language);
  LoadMainSettings(kProgramKey, w.actions, w.window);
  EXPECT_EQ(w.window.calls,
            (std::vector<std::string>{"ApplyMinimizeToTray 1", "at 20,10", "ApplyLanguage " + store.language,
                                      "ApplyTalkButtonSize 0", "ApplyMessageFormat 011", "SetGifAnimationFlags 10"}));
}

TEST(MainSettings, StayOnTopWaitsForTheStartUpTimer) {
  Store store;
  SaveStayOnTop(kProgramKey, true);
  SaveStayOnTopUserList(kProgramKey, false);
  Window w(store.language);
  QWidget userList;
  w.window.userList = &userList;
  LoadMainSettings(kProgramKey, w.actions, w.window);
  EXPECT_FALSE(w.actions.actStayOnTop.Checked());
  EXPECT_TRUE(w.actions.actStayOnTopUserList.Checked());
  EXPECT_FALSE(w.window.form->windowFlags() & Qt::WindowStaysOnTopHint);
  userList.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  ApplyStoredStayOnTop(kProgramKey, w.actions, w.window);
  EXPECT_TRUE(w.actions.actStayOnTop.Checked());
  EXPECT_FALSE(w.actions.actStayOnTopUserList.Checked());
  EXPECT_TRUE(w.window.form->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(userList.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(MainSettings, AnEmptyStoreGivesTheStartStates) {
  Store store;
  Window fresh(store.language);
  const std::vector<std::string> start = Switches(fresh.actions);
  Window w(store.language);
  LoadMainSettings(kProgramKey, w.actions, w.window);
  EXPECT_EQ(Switches(w.actions), start);
  EXPECT_TRUE(ApplicationShowHint());
  EXPECT_EQ(w.window.CallsOf("ApplyLanguage"), std::vector<std::string>{});
}

} // namespace
