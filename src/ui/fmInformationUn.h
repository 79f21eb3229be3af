#pragma once
// The notice dialog: one window with several pages, of which the caller
// shows one. Page 0 asks which offered files to request and where they are
// to go; page 2 tells that the author of a group talk closed it; page 3 that
// a private partner closed the talk, and asks whether to close it here too.
// OK on page 0 hands the checked files to OnAcceptFiles; OK on pages 2 and 3
// stores the answer under the program key. Cancel stores nothing.
//
// Everything a peer chose (names, addresses, file names) is shown as plain
// text. The dialog can be shown without taking the focus (ShowQuietly), so
// that a notice from the network never takes the keys the user is typing.
#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProgramKey.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kc {

class TCustomImageList;
class TKcPageControl;
class TKcTabSheet;
class TKcTreeNode;
class TKcTreeView;
class TLanguageFile;
struct RLFile;

class TfmInformation : public QDialog {
public:
  // The pages the callers show.
  static constexpr int kPageSendFile = 0;
  static constexpr int kPageGroupClosed = 2;
  static constexpr int kPagePrivateClosed = 3;
  // Files one confirmation lists; further offers are not added.
  static constexpr int kMaxFiles = 256;

  // Key: where pages 2 and 3 store their answer.
  explicit TfmInformation(std::string_view Key = kProgramKey, QWidget *Parent = nullptr);
  ~TfmInformation() override;

  // ---- what the caller sets before showing
  void SetPage(int Page);
  int Page() const { return FPage; }
  // 8-bit texts as they came (the ANSI code page).
  std::string AuthorAlias;
  std::string GroupName;
  void SetUserName(const std::string &Alias);
  void SetUserIP(const std::string &IP);
  // Image Index of Images (-1 gives 0; none: no picture).
  void SetPicture(const TCustomImageList *Images, int Index);
  // The language file the texts come from; empty: the built-in English.
  std::string LanguageFile;
  // The caption of the main window's options menu (the group of page 3).
  QString OptionsCaption = QStringLiteral("Options");

  // Page 0: one checked node per offered file: the file's name (the path
  // without folders, split at '\' and '/'), two blanks, its number and
  // " KB"; the node keeps Index + 1, so that index 0 is a file too. False
  // when the list is full.
  bool AddOfferedFileNode(int Index, const RLFile &File);
  int FileCount() const;
  // The indices of the checked files, in list order.
  std::vector<int> CheckedFiles() const;
  // The folder the files are to go to, as typed (UTF-8, trimmed).
  std::string Folder() const;

  // Page 0's OK: the checked files and the folder go to OnAcceptFiles;
  // nothing when no file is checked or the folder is blank.
  void AcceptFiles();
  std::function<void(const std::vector<int> &Indices, const std::string &Folder)> OnAcceptFiles;
  // The folder browser of btnOpen (UTF-8; none: not confirmed). Tests put
  // their own in its place.
  std::function<std::optional<std::string>(const std::string &Start)> ChooseFolder;

  // Reads the texts of the shown page from LanguageFile (done on showing).
  void SetLanguage();
  // The header text of the shown page, as SetLanguage set it.
  QString HeaderText() const;

  // Shows the dialog without modality and without taking the focus: where
  // the window system activates it all the same, the activation that comes
  // within kQuietMs of showing goes back to the window and widget that had
  // it. Later activations (the user clicking it) stay.
  static constexpr int kQuietMs = 500;
  void ShowQuietly();

  // ---- the widgets, as the window description names them
  QWidget *pnHeader = nullptr;
  QLabel *lbHeaderText1 = nullptr;
  QLabel *imUser = nullptr;
  TKcPageControl *pcInformation = nullptr;
  QPushButton *btnOk = nullptr;
  QPushButton *btnCancel = nullptr;
  // Page 0.
  TKcTabSheet *tsSendFile = nullptr;
  QLabel *lbAliaseUser1 = nullptr;
  QLabel *lbUserName = nullptr;
  QLabel *lbIP = nullptr;
  QLabel *lbUserIP = nullptr;
  TKcTreeView *tvFiles = nullptr;
  QLabel *lbSaveTo = nullptr;
  QLineEdit *edFolder = nullptr;
  QPushButton *btnOpen = nullptr;
  // Page 2.
  TKcTabSheet *TabSheet1 = nullptr;
  QLabel *lbCloseTalk = nullptr;
  QCheckBox *cbNotCloseTalkDialog = nullptr;
  // Page 3.
  TKcTabSheet *TabSheet3 = nullptr;
  QLabel *lbCloseTalkPrivate = nullptr;
  QCheckBox *cbClosePrivate = nullptr;
  QGroupBox *cbOptions = nullptr;
  QRadioButton *rbAlwaysClose = nullptr;
  QRadioButton *rbAlwaysLeave = nullptr;

protected:
  void showEvent(QShowEvent *Event) override;
  void changeEvent(QEvent *Event) override;

private:
  void BuildSendFilePage();
  void BuildGroupClosedPage();
  void BuildPrivateClosedPage();
  void OkClick();
  void btnOpenClick();

  std::string FKey;
  int FPage = kPageSendFile;
  QPointer<QWidget> FReturnFocusTo;
  long long FQuietUntil = 0;
};

} // namespace kc
