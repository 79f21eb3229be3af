#pragma once
// Asks the user for a folder: a tree of the file system from a chosen root,
// placed on the screen as asked, with a status line and an optional edit
// box. Directory is the start folder going in and the chosen one coming out.
#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "widgets/KcFunctions.h"

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace kc {

enum TOptionsDirectory : std::uint16_t {
  odBrowseForComputer = 1 << 0,
  odOnlyDirectory = 1 << 1,
  odOnlyPrinters = 1 << 2,
  odNoBelowDomain = 1 << 3,
  odSystemAncestorsOnly = 1 << 4,
  odFileSystemDirectoryOnly = 1 << 5,
  odStatusAvailable = 1 << 6,
  odIncludeFiles = 1 << 7,
  odIncludeUrls = 1 << 8,
  odEditBox = 1 << 9,
  odNewDialogStyle = 1 << 10,
  odShareable = 1 << 11,
};
using TOptionsDirectories = std::uint16_t;

enum class TKcFolderPos { fpDefault, fpScreenCenter, fpFormCenter, fpTopLeft, fpTopRight, fpBottomLeft, fpBottomRight };

enum class TFromDirectory {
  fdRootFolder,
  fdRecycleBin,
  fdControlPanel,
  fdDesktop,
  fdDesktopDirectory,
  fdMyComputer,
  fdFonts,
  fdNetHood,
  fdNetWork,
  fdPersonal,
  fdPrinters,
  fdPrograms,
  fdRecent,
  fdSendTo,
  fdStartMenu,
  fdStartup,
  fdTemplates
};

// The browse flags the options ask for, as far as the service's version
// offers them (the shell's numbers).
std::uint32_t BrowseFlags(TOptionsDirectories options, std::uint32_t shellVersion);
// The shell's folder id of a root (0: no root, the desktop).
int RootFolderId(TFromDirectory root);
// The folder a root stands for on this desktop; none for the desktop as a
// whole and for places that are not folders.
std::optional<std::string> RootFolderPath(TFromDirectory root);
// Where a dialog of the given frame size goes: the work area, the owner's
// frame (for fpFormCenter) and the frame's border and caption sizes. None for
// fpDefault.
std::optional<QPoint> FolderDialogPosition(TKcFolderPos pos, QSize frame, const QRect &workArea,
                                           const QRect &ownerFrame, int frameWidth, int captionHeight);

class TKcBrowseForFolderWindow;

class TKcBrowseForFolderDialog : public QObject {
  Q_OBJECT
public:
  using TNotifyEvent = std::function<void(TKcBrowseForFolderDialog *)>;
  using TChangeEvent = std::function<void(TKcBrowseForFolderDialog *, const QString &path)>;
  using TAcceptChangeEvent = std::function<void(TKcBrowseForFolderDialog *, const QString &path, bool &accept)>;

  explicit TKcBrowseForFolderDialog(QWidget *owner = nullptr);
  ~TKcBrowseForFolderDialog() override;

  TOptionsDirectories Options = odStatusAvailable;
  TKcFolderPos Position = TKcFolderPos::fpDefault;
  TFromDirectory RootDirectory = TFromDirectory::fdRootFolder;
  QString Title;
  QString Directory;
  QString StatusText;
  QString DisplayName() const { return FDisplayName; }
  int ImageIndex() const { return FImageIndex; }
  // For tests: a root folder used instead of the one RootDirectory names.
  std::optional<QString> RootOverride;

  TNotifyEvent OnInitialized;
  TChangeEvent OnChange;
  TAcceptChangeEvent OnAcceptChange;

  // True when a folder was chosen (Directory then holds it).
  bool Execute();
  // The window while Execute runs.
  TKcBrowseForFolderWindow *Window() const { return FWindow; }

private:
  friend class TKcBrowseForFolderWindow;
  void selectionChanged(const QString &path);
  void updateStatus(const QString &path);
  QPointer<QWidget> FOwner;
  QString FDisplayName;
  int FImageIndex = -1;
  QPointer<TKcBrowseForFolderWindow> FWindow;
};

class TKcBrowseForFolderWindow : public QDialog {
  Q_OBJECT
public:
  TKcBrowseForFolderWindow(TKcBrowseForFolderDialog *owner, QWidget *parent, const QString &root);
  // Selects the folder (and shows it).
  void SelectPath(const QString &path);
  QString SelectedPath() const;
  bool OkEnabled() const;
  QString StatusLine() const;
  QTreeView *Tree() const { return FTree; }

private:
  friend class TKcBrowseForFolderDialog;
  TKcBrowseForFolderDialog *FOwner;
  QFileSystemModel *FModel;
  QTreeView *FTree;
  QLabel *FTitle, *FStatus;
  QLineEdit *FEdit;
  QPushButton *FOk;
};

} // namespace kc
