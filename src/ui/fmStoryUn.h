#pragma once
// The history dialog: the files of the history folder, to open, save under
// another name, move or delete, and the options the talk-saving code and
// the start-up purge use (save on or off, text or rich text, storage days).
// The list is sorted by name, case aside; with two files or more the last is
// selected.

#include <functional>
#include <memory>
#include <string>

#include "platform/ImageList.h"
#include "toolbars/TBarItem.h"
#include "ui/SettingsDialogUn.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace kc {

class TKcTreeView;
class TKcTreeNode;
namespace tb {
class TTBDock;
class TTBPopupMenu;
class TTBToolbar;
} // namespace tb

// What the dialog does with files and the desktop; tests put doubles here.
struct TStoryFileServices {
  std::function<bool(const std::string &Path)> Open;
  // Copy replaces an existing target.
  std::function<bool(const std::string &Source, const std::string &Target)> Copy;
  std::function<bool(const std::string &Source, const std::string &Target)> Move;
  std::function<bool(const std::string &Path)> Delete;
  // The save dialog, starting at Name; false when the user cancels.
  std::function<bool(QWidget *Parent, const QString &Name, std::string &Chosen)> AskFileName;
};
// The desktop's open, the file system and the desktop's save dialog.
TStoryFileServices DesktopStoryFileServices();

class TfmStory : public TSettingsDialog {
public:
  TfmStory(std::string Key, std::string HistoryFolder, const std::string &LanguageFile,
           TStoryFileServices Services = DesktopStoryFileServices(), QWidget *Parent = nullptr);
  ~TfmStory() override;

  void FillHistoryList(const std::string &Folder);
  void LoadHistoryOptions();
  void SaveHistoryOptions();
  void SetPeriodEnabled(bool On);

  // The file actions on the selected node (none: nothing).
  void OpenHistoryFile();
  void CopyHistoryFile();
  void MoveHistoryFile();
  void DeleteHistoryFile();

  // The full path of a node's file.
  std::string FilePath(const TKcTreeNode *Node) const;

  // The toolbar, menu and file pictures.
  TCustomImageList ilStory{16, 16};
  // The picture index a file's node carries, as drawn and when selected.
  static int NodeImageIndex(const TKcTreeNode *Node, bool Selected);

  tb::TTBAction actOpenFile, actSaveAs, actMoveFile, actDeleteFile;
  QGroupBox *gbHistoryFile = nullptr, *gpOptions = nullptr;
  tb::TTBDock *dkGroupUser = nullptr;
  tb::TTBToolbar *tbGroupUser = nullptr;
  TKcTreeView *tvHitoryList = nullptr;
  std::unique_ptr<tb::TTBPopupMenu> pmStoryFile;
  QCheckBox *cbSaveHistory = nullptr, *cbPeriodOfStorage = nullptr;
  QRadioButton *rbSaveAsTXT = nullptr, *rbSaveAsRTF = nullptr;
  // The days: the edit and its up-down in one, 1..365.
  QSpinBox *udDays = nullptr;
  QLabel *lbDay = nullptr;

protected:
  bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
  void SetLanguage(const std::string &LanguageFile);
  void SelectLastHistoryFile();
  void BuildFileGroup();
  void BuildOptionsGroup();
  void ConnectControls();
  void UpdateFileActions();
  void Changed();
  bool HandleKey(QKeyEvent *Event) override;
  void FillFileItems(tb::TTBCustomItem &Root);

  std::string FKey;
  std::string FFolder;
  TStoryFileServices FServices;
  bool FLoading = false;
};

} // namespace kc
