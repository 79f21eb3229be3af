// The interface language: one language file gives the texts of the main
// window, the user list and the message texts; what it leaves out takes the
// English text, so an empty file brings every English text back.
#include "core/LngUn.h"
#include "core/iniFileUn.h"
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "toolbars/TBarExtItems.h"
#include "toolbars/TBarToolbar.h"
#include "ui/fmAboutUn.h"
#include "ui/fmKavetChatUn.h"
#include "ui/fmUserListUn.h"
#include "widgets/glGrBox.h"

namespace kc {

using namespace kc::tb;

namespace {

QString qs(const std::string &Ansi) { return QString::fromStdString(ansiToUtf8(Ansi)); }
std::string ansi(const QString &Text) { return utf8ToAnsi(Text.toStdString()); }

// What a text of the file sets.
enum TWhat { wCaption = 1, wHint = 2, wBoth = 3 };
struct TLanguageText {
  const char *Section;
  int What;
};

// Every component text a language file gives, by section name.
constexpr TLanguageText kTexts[] = {
    {"tbsiLanguage", wCaption},
    {"actHelp", wBoth},
    {"actAbout", wCaption},
    {"tbOptions", wCaption},
    {"tbPanelsOfTools", wCaption},
    {"tbMainForm", wCaption},
    {"actStayOnTop", wCaption},
    {"actStayOnTopUserList", wCaption},
    {"actShowUserList", wBoth},
    {"actHideProgramm", wCaption},
    {"actOpen", wCaption},
    {"actClose", wCaption},
    {"actMailUser", wBoth},
    {"actMailAll", wCaption},
    {"actMailEmpty", wCaption},
    {"actMailGroup", wCaption},
    {"actUserMyProfile", wBoth},
    {"actUserNetProfile", wCaption},
    {"tbOptionsHint", wHint},
    {"miOther", wCaption},
    {"actShowHint", wCaption},
    {"actTechnicalSupport", wCaption},
    {"actSiteOurCompany", wCaption},
    {"actSendMessage", wHint},
    {"actSelectImageMood", wHint},
    {"actSelectGifMood", wHint},
    {"actInsertFolder", wHint},
    {"actInsertFile", wHint},
    {"actCloseTalk", wHint},
    {"actOpenFileOrFolder", wCaption},
    {"actSaveAsFileOrFolder", wCaption},
    {"actGetFileOrFolder", wCaption},
    {"miButtonOptions", wCaption},
    {"actBtnBigIcon", wCaption},
    {"actBtnLitleIcon", wCaption},
    {"actShowText", wCaption},
    {"actClearDialogParametr", wCaption},
    {"tbAdditional", wCaption},
    {"actClearTextMessage", wHint},
    {"actNotTalkGroup", wCaption},
    {"actNotTalkPrivate", wCaption},
    {"actMessageToUser", wBoth},
    {"actMessageToGroup", wCaption},
    {"miMessage", wCaption},
    {"actKavetChatOnTheWeb", wCaption},
    {"miAnsweringMachine", wBoth},
    {"actAnsweringMachine", wCaption},
    {"actAnsweringmachineOptions", wCaption},
    {"miPlaySound", wCaption},
    {"actSoundKavetChat", wCaption},
    {"actSoundUserConnect", wCaption},
    {"actSoundUserDisconnect", wCaption},
    {"actSoundNewMessage", wCaption},
    {"actShowHistoryMessage", wCaption},
    {"tsAllUsers", wCaption},
    {"actUndo", wCaption},
    {"actCut", wCaption},
    {"actCopy", wCaption},
    {"actPaste", wCaption},
    {"actDelete", wCaption},
    {"actSelectAll", wCaption},
    {"miMessageFormat", wCaption},
    {"actShowUserIPWhenMessage", wCaption},
    {"actShowDataTimewhenMessage", wCaption},
    {"actShowPictureWhenMessage", wCaption},
    {"miVariants", wCaption},
    {"miAnimationGIF", wCaption},
    {"actStopAnimation", wCaption},
    {"actShowAnimation", wCaption},
};

// The component a section names: an action, a toolbar or a menu item.
struct TTarget {
  TTBAction *Action = nullptr;
  TTBToolbar *Toolbar = nullptr;
  TTBCustomItem *Item = nullptr;
};

TTarget FindTarget(TMainActionList &A, std::string_view Section) {
  if (TTBAction *a = A.FindAction(Section)) return {a, nullptr, nullptr};
  if (Section == "tbMainForm") return {nullptr, A.tbMainForm(), nullptr};
  if (Section == "tbAdditional") return {nullptr, A.tbAdditional(), nullptr};
  const std::pair<std::string_view, TTBCustomItem *> items[] = {
      {"tbsiLanguage", A.tbsiLanguage}, {"tbOptions", A.tbOptions},
      {"tbOptionsHint", A.tbOptions},   {"tbPanelsOfTools", A.tbPanelsOfTools},
      {"miOther", A.miOther},           {"miButtonOptions", A.miButtonOptions},
      {"miMessage", A.miMessage},       {"miAnsweringMachine", A.miAnsweringMachine},
      {"miPlaySound", A.miPlaySound},   {"miMessageFormat", A.miMessageFormat},
      {"miVariants", A.miVariants},     {"miAnimationGIF", A.miAnimationGIF},
  };
  for (const auto &[name, item] : items)
    if (name == Section) return {nullptr, nullptr, item};
  return {};
}

} // namespace

void TfmKavetChat::ApplyLanguage(const std::string &Path) {
  if (Path.empty()) return;
  ApplyLanguageFile(Path);
  // The choice outlives a crash: stored now, not only at a clean close.
  std::vector<TLanguageItem> items;
  if (FActions->tbsiLanguage)
    for (int i = 0; i < FActions->tbsiLanguage->Count(); ++i) {
      const TTBCustomItem *item = FActions->tbsiLanguage->ItemAt(i);
      items.push_back({item->Hint().toStdString(), item->Checked()});
    }
  if (!items.empty()) SaveLanguageName(FKey, items);
}

void TfmKavetChat::ApplyLanguageFile(const std::string &Path) {
  const TLanguageFile file(Path);
  FLanguageFile = Path;
  ApplyLanguageTexts(file);
  TMainActionList &A = *FActions;
  for (const TLanguageText &t : kTexts) {
    const TTarget target = FindTarget(A, t.Section);
    QString caption, hint;
    if (t.Section == std::string_view("tsAllUsers"))
      caption = pcMain->count() ? pcMain->Pages(0)->Caption() : QString();
    else if (target.Action) caption = target.Action->Caption(), hint = target.Action->Hint();
    else if (target.Toolbar) caption = target.Toolbar->Caption();
    else if (target.Item) caption = target.Item->Caption(), hint = target.Item->Hint();
    else continue;
    // The English texts are the ones the window was made with.
    auto [it, fresh] = FDefaultTexts.try_emplace(t.Section, caption, hint);
    if (t.Section == std::string_view("tsAllUsers") && fresh) it->second.first = QStringLiteral("All Users");
    const auto read = [&](const char *Ident, const QString &Default) {
      return qs(file.ReadString(t.Section, Ident, ansi(Default)));
    };
    const QString newCaption = (t.What & wCaption) ? read("Caption", it->second.first) : caption;
    QString newHint = (t.What & wHint) ? read("Hint", it->second.second) : hint;
    // The not-talk switches show one text as caption and hint.
    if (target.Action == &A.actNotTalkGroup || target.Action == &A.actNotTalkPrivate) newHint = newCaption;
    if (t.Section == std::string_view("tsAllUsers")) {
      if (pcMain->count()) SetTabCaption(0, ansi(newCaption));
    } else if (target.Action) {
      target.Action->SetCaption(newCaption);
      target.Action->SetHint(newHint);
    } else if (target.Toolbar) {
      target.Toolbar->SetCaption(newCaption);
    } else if (t.Section == std::string_view("tbOptionsHint")) {
      target.Item->SetHint(newHint);
    } else {
      target.Item->SetCaption(newCaption);
      if (t.What & wHint) target.Item->SetHint(newHint);
    }
  }
  if (A.miMessage)
    A.miMessage->SetHint(A.actMessageToUser.Hint() + QStringLiteral(" (") +
                         ShortCutToText(A.actMessageToUser.ShortCut()) + QStringLiteral(")"));
  if (A.tbAdditionalToggle && A.tbAdditional()) A.tbAdditionalToggle->SetCaption(A.tbAdditional()->Caption());
  if (A.miDisconnectAnsweringMachine)
    A.miDisconnectAnsweringMachine->SetCaption(qs(MessageText("miDisconnectAnsweringMachine")));
  if (fmUserList) {
    fmUserList->ApplyUserListTexts();
    // The own talks of the fixed groups carry the groups' new names.
    for (const std::int32_t tag : {kMainGroupTag, kBadListTag}) {
      const int tab = Talks().FindOwnGroupTab(tag);
      if (TglGroupBox *box = fmUserList->FindGroupBox(tag); tab > 0 && box) SetTabCaption(tab, ansi(box->Caption()));
    }
  }
  for (QDialog *d : findChildren<QDialog *>(QStringLiteral("fmAbout"))) static_cast<TfmAbout *>(d)->SetLanguage();
  Changed();
}

} // namespace kc
