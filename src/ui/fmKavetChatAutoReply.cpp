#include "ui/fmKavetChatAutoReply.h"

#include <algorithm>
#include <vector>

#include "core/AnsweringmachineTextUn.h"
#include "core/LngUn.h"
#include "ui/DialogTextsUn.h"
#include "ui/fmAnsweringmachineUn.h"
#include "ui/fmKavetChatActions.h"

namespace kc {

using namespace kc::tb;

namespace {

bool SectionStored(const std::string &Key, const std::string &Section) {
  std::vector<std::string> sections;
  ListAMSections(Key, sections);
  return std::find(sections.begin(), sections.end(), Section) != sections.end();
}

bool Blank(const std::string &Text) { return Text.find_first_not_of(" \t\r\n") == std::string::npos; }

} // namespace

TAutoReplyMenu::TAutoReplyMenu(TMainActionList &Actions, std::string Key, TApply Apply)
    : FActions(Actions), FKey(std::move(Key)), FApply(std::move(Apply)) {
  FActions.actAnsweringMachine.SetEnabled(true);
  FActions.actAnsweringMachine.OnExecute = [this](TTBCustomItem *) { TurnOn(); };
  FActions.actAnsweringmachineOptions.SetEnabled(true);
  FActions.actAnsweringmachineOptions.OnExecute = [this](TTBCustomItem *) { ShowOptions(); };
  if (TTBCustomItem *mi = FActions.miAnsweringMachine) {
    mi->SetEnabled(true);
    mi->OnPopup = [this](TTBCustomItem *, bool) { AnsweringMachinePopup(); };
  }
  if (FActions.miDisconnectAnsweringMachine)
    FActions.miDisconnectAnsweringMachine->OnClick = [this](TTBCustomItem *) { DisconnectClick(); };
  // The tray's submenu shows the toolbar's entries.
  TTBCustomItem &trey = *FActions.pmTrey().Items();
  for (int i = 0; i < trey.Count(); ++i)
    if (trey.ItemAt(i)->Name() == QLatin1String("miAnsweringMachineTrey")) trey.ItemAt(i)->SetEnabled(true);
}

bool TAutoReplyMenu::On() const { return FActions.actAnsweringMachine.Checked(); }

void TAutoReplyMenu::AnsweringMachinePopup() {
  UpdateDisconnectItem();
  if (!On()) RebuildVariants();
}

void TAutoReplyMenu::RebuildVariants() {
  TTBSubmenuItem *variants = FActions.miVariants;
  if (!variants) return;
  variants->SetEnabled(false);
  variants->Clear();
  std::vector<std::string> captions, sections;
  const int count = LoadAllAMTexts(FKey, captions, sections);
  for (int i = 0; i < count; ++i) {
    auto *item = new TTBItem;
    item->SetCaption(PlainCaption(FromAnsi(captions[i])));
    item->SetHint(QString::fromStdString(sections[i]));
    item->SetChecked(sections[i] == FCurrent);
    item->OnClick = [this](TTBCustomItem *Sender) { VariantItemClick(Sender); };
    variants->Add(item);
  }
  variants->SetEnabled(count > 0);
}

void TAutoReplyMenu::VariantItemClick(TTBCustomItem *Item) {
  if (!Item) return;
  if (TTBSubmenuItem *variants = FActions.miVariants)
    for (int i = 0; i < variants->Count(); ++i) variants->ItemAt(i)->SetChecked(variants->ItemAt(i) == Item);
  FCurrent = Item->Hint().toStdString();
  if (TTBItem *d = FActions.miDisconnectAnsweringMachine) {
    d->SetHint(Item->Hint());
    d->SetVisible(true);
  }
  TurnOn();
}

void TAutoReplyMenu::TurnOn() {
  if (FActions.miDisconnectAnsweringMachine) FActions.miDisconnectAnsweringMachine->SetVisible(true);
  SetOn(true);
}

void TAutoReplyMenu::SetOn(bool On) {
  FActions.actAnsweringMachine.SetChecked(On);
  if (FActions.miAnsweringMachine) FActions.miAnsweringMachine->SetChecked(On);
  if (FApply) FApply(On, FCurrent);
}

void TAutoReplyMenu::DisconnectClick() {
  TTBItem *d = FActions.miDisconnectAnsweringMachine;
  if (!d) return;
  if (On()) {
    d->SetVisible(false);
    SetOn(false);
    return;
  }
  // Off: on again with the last variant, when the menu still lists it.
  if (TTBSubmenuItem *variants = FActions.miVariants)
    for (int i = 0; i < variants->Count(); ++i)
      if (variants->ItemAt(i)->Hint() == d->Hint()) return VariantItemClick(variants->ItemAt(i));
}

void TAutoReplyMenu::UpdateDisconnectItem() {
  TTBItem *d = FActions.miDisconnectAnsweringMachine;
  if (!d) return;
  if (On()) {
    d->SetCaption(FromAnsi(MessageText("miDisconnectAnsweringMachine")));
    return;
  }
  const std::string last = d->Hint().toStdString();
  if (Blank(last)) return;
  d->SetCaption(PlainCaption(FromAnsi(ReadAMCaption(FKey, last))));
  d->SetVisible(true);
}

void TAutoReplyMenu::VariantsSaved() {
  if (FCurrent.empty() || SectionStored(FKey, FCurrent)) return;
  FCurrent.clear();
  if (TTBItem *d = FActions.miDisconnectAnsweringMachine) {
    d->SetHint(QString());
    d->SetVisible(false);
  }
  if (TTBSubmenuItem *variants = FActions.miVariants)
    for (int i = 0; i < variants->Count(); ++i) variants->ItemAt(i)->SetChecked(false);
  if (On()) SetOn(false);
}

void TAutoReplyMenu::ShowOptions() {
  TfmAnsweringmachine dialog(FKey, LanguageFile ? LanguageFile() : std::string(), DialogParent);
  dialog.OnSaved = [this] { VariantsSaved(); };
  if (RunDialog) RunDialog(dialog);
  else dialog.exec();
}

} // namespace kc
