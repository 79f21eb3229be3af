// The main window's profile, history and auto-reply dialogs: the actions
// that open them and what the window takes over when they store.
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QLabel>

#include "core/StoryFileUn.h"
#include "core/iniFileUn.h"
#include "ui/TfmUserProfileUn.h"
#include "ui/fmAnsweringmachineUn.h"
#include "ui/fmKavetChatRender.h"
#include "ui/fmKavetChatUn.h"
#include "widgets/KcStatusBar.h"

namespace kc {

using namespace kc::tb;

namespace {

// A double click on the own picture in the status bar opens the profile.
class TDoubleClickFilter : public QObject {
public:
  TDoubleClickFilter(QObject *Parent, std::function<void()> Then) : QObject(Parent), FThen(std::move(Then)) {}
  bool eventFilter(QObject *Watched, QEvent *Event) override {
    if (Event->type() == QEvent::MouseButtonDblClick) {
      FThen();
      return true;
    }
    return QObject::eventFilter(Watched, Event);
  }

private:
  std::function<void()> FThen;
};

} // namespace

void TfmKavetChat::WireDialogs() {
  TMainActionList &a = *FActions;
  AutoReply = std::make_unique<TAutoReplyMenu>(a, FKey, [this](bool On, const std::string &Variant) {
    AnsweringMachine = On;
    CheckedVariant = On ? Variant : std::string();
    SetPrivateInputsReadOnly(On);
    ShowAutoReplyState();
    Changed();
  });
  AutoReply->DialogParent = this;
  AutoReply->LanguageFile = [this] { return CurrentLanguagePath(); };
  AutoReply->RunDialog = [this](TfmAnsweringmachine &Dialog) {
    if (RunDialog) RunDialog(Dialog);
    else Dialog.exec();
  };

  a.actUserMyProfile.SetEnabled(true);
  a.actUserMyProfile.OnExecute = [this](TTBCustomItem *) { ShowMyProfile(); };
  if (a.miMyProfile) a.miMyProfile->SetEnabled(true);
  a.actShowHistoryMessage.SetEnabled(true);
  a.actShowHistoryMessage.OnExecute = [this](TTBCustomItem *) { ShowHistoryDialog(); };
  MyImage->installEventFilter(new TDoubleClickFilter(MyImage, [this] { ShowMyProfile(); }));
}

void TfmKavetChat::ShowUserProfile(int N) {
  const RUserID *user = GetUserRecord(N);
  if (!user) return;
  TfmUserProfile dialog(CurrentLanguagePath(), &ilProfilesImage, this);
  dialog.SetEditMode(false);
  dialog.LoadUserData(*user);
  if (RunDialog) RunDialog(dialog);
  else dialog.exec();
}

void TfmKavetChat::ShowMyProfile() {
  RUserID *me = Users().Record(0);
  if (!me) return;
  TfmUserProfile dialog(CurrentLanguagePath(), &ilProfilesImage, this);
  dialog.Key = FKey;
  dialog.Record = me;
  dialog.SetEditMode(true);
  dialog.LoadUserData(*me);
  dialog.OnSaved = [this] {
    const RUserID *own = GetUserRecord(0);
    if (!own) return;
    FRenderer->EnsureUserTextStyle(own->ID, own->COLOR);
    FHost->Net().AnnounceMyself(false);
    ShowOwnIdentity();
    Changed();
  };
  if (RunDialog) RunDialog(dialog);
  else dialog.exec();
}

void TfmKavetChat::ShowHistoryDialog() {
  TfmStory dialog(FKey, HistoryFolder, CurrentLanguagePath(), StoryFileServices, this);
  if (RunDialog) RunDialog(dialog);
  else dialog.exec();
  // The talks are saved as the options now say.
  SaveHistory = LoadStorySaveHistory(FKey);
  SaveAsRTF = LoadStorySaveAsRTF(FKey);
}

} // namespace kc
