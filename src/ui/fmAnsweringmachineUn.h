#pragma once
// The auto-reply editor: the list of named reply texts the program sends
// back to private messages while auto-reply is on. Nothing reaches the store
// before Apply, OK or Enter; Cancel and Escape drop what was not applied.
//
// Every variant keeps the number of its stored section for good (the main
// window keeps the chosen variant by that section name); a new variant takes
// the next number no variant has had.

#include <functional>
#include <string>
#include <vector>

#include "platform/ImageList.h"
#include "toolbars/TBarItem.h"
#include "ui/SettingsDialogUn.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kc {

class TKcTreeView;
class TKcTreeNode;
namespace tb {
class TTBToolbar;
class TTBDock;
} // namespace tb

class TfmAnsweringmachine : public TSettingsDialog {
public:
  // Key: the program key of the store; LanguageFile: the chosen language
  // file (empty: English).
  TfmAnsweringmachine(std::string Key, const std::string &LanguageFile, QWidget *Parent = nullptr);
  ~TfmAnsweringmachine() override;

  // One entry of the variant list (texts in the ANSI code page). Entries are
  // never removed while the dialog is open.
  struct TVariant {
    std::string Caption;
    std::string Text;
    int Number = 0; // of its section; 0 until a new one is stored
    bool Active = true;
    bool Deleted = false;
  };
  const std::vector<TVariant> &Variants() const { return FVariants; }

  // Stores every active variant under its own number and clears the
  // modified state; OnSaved runs after.
  void SaveVariants();
  std::function<void()> OnSaved;

  bool Modified() const { return FModified; }
  // The variant of the selected node, or -1.
  int SelectedVariant() const;

  // The toolbar and tree pictures: new, delete and the chosen variant's.
  enum : int { kNewImage = 0, kDeleteImage = 1, kVariantImage = 2 };
  TCustomImageList ilVariants{16, 16};
  // The picture index a variant's node carries, as drawn and when selected.
  static int NodeImageIndex(const TKcTreeNode *Node, bool Selected);

  tb::TTBAction actAddNewTextAnswer, actDeleteTextAnswer;
  QGroupBox *gbAM1 = nullptr, *gbAM2 = nullptr;
  tb::TTBDock *dkVariants = nullptr;
  tb::TTBToolbar *tbBtnVariants = nullptr;
  TKcTreeView *tvVariants = nullptr;
  QLabel *lbAnswerCaption = nullptr, *lbTextAnswer = nullptr;
  QLineEdit *edCaption = nullptr;
  QPlainTextEdit *reText = nullptr;

protected:
private:
  void SetLanguage(const std::string &LanguageFile);
  void LoadVariants();
  TKcTreeNode *AddVariantNode(int Index);
  void AddNewTextAnswer();
  void DeleteTextAnswer();
  void NodeSelected();
  // The selected node alone shows the variant picture.
  void UpdateNodeImages();
  void CaptionEdited();
  void TextEdited();
  void SetDetailsEnabled(bool On);
  // What the idle update does: details follow the selection, Apply the
  // modified state.
  void UpdateState();
  void Store();
  // Escape, Enter and F1 wherever the focus is; true when taken.
  bool HandleKey(QKeyEvent *Event) override;

  std::string FKey;
  std::vector<TVariant> FVariants;
  // The highest number any variant has had in the store or this dialog.
  int FLastNumber = 0;
  bool FModified = false;
  bool FDetailsEnabled = true;
  bool FFilling = false;
};

} // namespace kc
