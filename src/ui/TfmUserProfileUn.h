#pragma once
// The profile dialog: one user's profile on five pages chosen from a tree.
// Edit mode shows the local user (record 0) and stores the own profile;
// view mode shows another user, every field read-only, and never writes.

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/ProtocolClassUn.h"
#include "platform/ImageList.h"
#include "richtext/document/RVStyle.h"
#include "ui/SettingsDialogUn.h"

class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace kc {

class TKcColorComboBox;
class TKcPageControl;
class TKcTransparentButton;
class TKcTreeNode;
class TKcTreeView;
class TRichVistaEdit;

class TfmUserProfile : public TSettingsDialog {
public:
  static constexpr int kPages = 5;

  // Pictures: the 32 x 32 user pictures (ilProfilesImage), or none.
  TfmUserProfile(const std::string &LanguageFile, TCustomImageList *Pictures, QWidget *Parent = nullptr);
  ~TfmUserProfile() override;

  void SetEditMode(bool Editable);
  bool EditMode() const { return FEditMode; }
  void LoadUserData(const RUserID &User);
  // Edit mode only: writes the own profile under Key into Record (record 0)
  // through the profile store, then OnSaved (the window's text style,
  // UPDATEINFO and own identity). View mode: nothing.
  void SaveUserData();
  std::string Key;
  RUserID *Record = nullptr;
  std::function<void()> OnSaved;

  void SetPicture(int Index);
  int Picture() const { return FPicture; }
  void UpdatePictureButton();
  // The click on the picture button in edit mode: the user-picture palette
  // (tests put their own in place).
  void ChoosePicture();
  std::function<void(TfmUserProfile &)> OnChoosePicture;

  // Shows page K as the tree's node K chooses it.
  void ShowPage(int K);
  void FillSummary();

  // The page pictures: node K of the tree and page K's header show picture
  // K (page 0's header shows the user's picture once one is chosen).
  TCustomImageList ilTreeView{16, 16};
  TCustomImageList ilTreeView32{32, 32};
  // The picture index node K carries, as drawn and when selected.
  static int NodeImageIndex(const TKcTreeNode *Node, bool Selected);

  // Widgets, by their component names.
  TKcTreeView *tvProfile = nullptr;
  TKcPageControl *pcProfile = nullptr;
  QLabel *HeaderImage[kPages] = {};
  QLabel *HeaderLabel[kPages] = {};
  TRVStyle RVStyle;
  TRichVistaEdit *mmDataMemo = nullptr;
  QLineEdit *edAlias = nullptr, *edName1 = nullptr, *edName2 = nullptr, *edEMail = nullptr, *edICQ = nullptr;
  TKcColorComboBox *edColor = nullptr;
  QPushButton *bntGoMail = nullptr;
  TKcTransparentButton *btnSelectImage = nullptr;
  QLabel *lbPicture = nullptr;
  QPlainTextEdit *mmStreet = nullptr;
  QLineEdit *edTown = nullptr, *edField = nullptr, *edHome = nullptr;
  QLineEdit *edWName = nullptr, *edDepartment = nullptr, *edWPost = nullptr;
  QPlainTextEdit *edWorkType = nullptr, *mmWStreet = nullptr;
  QLineEdit *edWTown = nullptr, *edWField = nullptr, *edWHome = nullptr;
  QComboBox *cbSex = nullptr;
  QLineEdit *edAge = nullptr;
  QPlainTextEdit *mmInterest = nullptr;

  // The label and group captions by component name (for the summary and
  // the language file).
  QString LabelText(const char *Name) const;

protected:
private:
  struct TEditor;
  // The five pages in the order of the tree: summary, basic data, home,
  // work, personal; each fills the content area AddPage made.
  void BuildPages();
  void BuildSummaryPage(QWidget *Page);
  void BuildBasicPage(QWidget *Page);
  void BuildHomePage(QWidget *Page);
  void BuildWorkPage(QWidget *Page);
  void BuildPersonalPage(QWidget *Page);
  // A form of labelled editors in G; a label takes its caption by name.
  QFormLayout *Form(QGroupBox *G, std::initializer_list<std::pair<const char *, QWidget *>> Rows);
  QWidget *AddPage(int K);
  QLineEdit *Line(QWidget *Parent, const char *Name, int MaxLength);
  QPlainTextEdit *Memo(QWidget *Parent, const char *Name, int MaxLength);
  QLabel *Label(QWidget *Parent, const char *Name, const char *Default, QWidget *Buddy);
  QGroupBox *Group(QWidget *Parent, const char *Name, const char *Default);
  void SetLanguage(const std::string &LanguageFile);
  void AddSummaryLine(const QString &Label, const QString &Value);
  void AddSummaryHeader(const QString &Caption, int Image, const QString &Test);
  bool HandleKey(QKeyEvent *Event) override;
  void Changed(bool AnyMode);
  void SendMail();
  void UpdateHeaderImage(int K);

  bool FEditMode = false;
  bool FLoading = false;
  int FPicture = -1;
  std::string FIP, FMAC;
  QString FPictureWord, FForWord;
  TCustomImageList *FPictures = nullptr;
  // Captions read from the language file, by component name.
  std::vector<std::pair<std::string, QString>> FTexts;
  std::vector<QWidget *> FEditors;
};

} // namespace kc
