#pragma once
// The auto-reply menus of the main window: miAnsweringMachine on
// tbAdditional (the disconnect item, the miVariants submenu of stored
// variants, the options), the same entries in the tray menu, and the
// auto-reply editor they open.
//
// The chosen variant is kept by its section name. When the editor stores
// the variants without it, auto-reply ends (the status bar shows that) and
// the disconnect item forgets it, so the status never says on while nothing
// would be sent.
#include <functional>
#include <string>

class QWidget;

namespace kc {

class TMainActionList;
class TfmAnsweringmachine;
namespace tb {
class TTBCustomItem;
}

class TAutoReplyMenu {
public:
  // Apply hands the state on to the window: on or off, the chosen variant's
  // section (what the core reads when it replies), private input boxes
  // read-only while on, status panel 4.
  using TApply = std::function<void(bool On, const std::string &Variant)>;
  // The handlers it sets on Actions live as long as this object: the
  // window frees its action list first.
  TAutoReplyMenu(TMainActionList &Actions, std::string Key, TApply Apply);

  bool On() const;
  // The section of the variant last chosen (kept while auto-reply is off).
  const std::string &CurrentVariant() const { return FCurrent; }

  // The popup of miAnsweringMachine (also run for the tray's submenu).
  void AnsweringMachinePopup();
  // A click on one item of miVariants.
  void VariantItemClick(tb::TTBCustomItem *Item);
  // actAnsweringMachine: auto-reply on with the current variant.
  void TurnOn();
  // The click on miDisconnectAnsweringMachine.
  void DisconnectClick();
  // The editor stored the variants: a chosen one that is gone ends the mode.
  void VariantsSaved();

  // Makes the editor (language file as chosen now) and runs it; tests put
  // their own runner in place of the modal run.
  std::function<std::string()> LanguageFile;
  std::function<void(TfmAnsweringmachine &)> RunDialog;
  QWidget *DialogParent = nullptr;
  void ShowOptions();

private:
  void UpdateDisconnectItem();
  void RebuildVariants();
  void SetOn(bool On);

  TMainActionList &FActions;
  std::string FKey;
  TApply FApply;
  std::string FCurrent;
};

} // namespace kc
