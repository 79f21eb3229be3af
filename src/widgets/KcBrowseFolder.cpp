#include "widgets/KcBrowseFolder.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/Folders.h"
#include "platform/Screen.h"
#include "platform/SpecialFolders.h"

namespace kc {

namespace {

// The last part of a path, as the shell shows a folder's name.
QString baseName(const QString &Path) {
  QString p = Path;
  while (p.size() > 1 && p.endsWith(QLatin1Char('/'))) p.chop(1);
  return p.section(QLatin1Char('/'), -1);
}

} // namespace

std::uint32_t BrowseFlags(TOptionsDirectories o, std::uint32_t v) {
  const bool v471 = v >= ShellVersion(4, 71), v5 = v >= ShellVersion(5, 0);
  std::uint32_t f = 0;
  if (o & odBrowseForComputer) f |= 0x1000;
  if (o & odOnlyPrinters) f = 0x2000;
  if (o & odNoBelowDomain) f |= 0x2;
  if (o & odSystemAncestorsOnly) f |= 0x8;
  if (o & odFileSystemDirectoryOnly) f |= 0x1;
  if (o & odStatusAvailable) f |= 0x4;
  if ((o & odIncludeFiles) && v471) f |= 0x4000;
  if ((o & odIncludeUrls) && v5) f |= 0x80;
  if ((o & odEditBox) && v471) f |= 0x10;
  if ((o & odNewDialogStyle) && v5) f |= 0x40;
  if ((o & odShareable) && v5) f |= 0x8000;
  return f;
}

int RootFolderId(TFromDirectory r) {
  static constexpr int kIds[] = {0, 10, 3, 0, 16, 17, 20, 19, 18, 5, 4, 2, 8, 9, 11, 7, 21};
  return kIds[static_cast<int>(r)];
}

std::optional<std::string> RootFolderPath(TFromDirectory r) {
  switch (r) {
  case TFromDirectory::fdDesktopDirectory: return specialFolderPath(SpecialFolder::Desktop);
  case TFromDirectory::fdMyComputer: return specialFolderPath(SpecialFolder::FileSystemRoot);
  case TFromDirectory::fdPersonal: return specialFolderPath(SpecialFolder::Documents);
  case TFromDirectory::fdFonts: return specialFolderPath(SpecialFolder::Fonts);
  case TFromDirectory::fdRecent: return specialFolderPath(SpecialFolder::Recent);
  case TFromDirectory::fdRecycleBin: return specialFolderPath(SpecialFolder::Trash);
  case TFromDirectory::fdPrograms:
  case TFromDirectory::fdStartMenu: return specialFolderPath(SpecialFolder::Applications);
  case TFromDirectory::fdStartup: return specialFolderPath(SpecialFolder::Autostart);
  case TFromDirectory::fdTemplates: return specialFolderPath(SpecialFolder::Templates);
  default: return std::nullopt; // the desktop as a whole, or no folder at all
  }
}

std::optional<QPoint> FolderDialogPosition(TKcFolderPos pos, QSize s, const QRect &work, const QRect &owner,
                                           int frameWidth, int captionHeight) {
  switch (pos) {
  case TKcFolderPos::fpDefault: return std::nullopt;
  case TKcFolderPos::fpScreenCenter:
    return QPoint(work.left() + (work.width() - s.width()) / 2, work.top() + (work.height() - s.height()) / 2);
  case TKcFolderPos::fpFormCenter:
    return QPoint(owner.left() + (owner.width() - s.width()) / 2, owner.top() + (owner.height() - s.height()) / 2);
  case TKcFolderPos::fpTopLeft: return work.topLeft();
  case TKcFolderPos::fpTopRight: return QPoint(work.left() + work.width() - s.width() - frameWidth, work.top());
  case TKcFolderPos::fpBottomLeft:
    return QPoint(work.left(), work.top() + work.height() - s.height() - captionHeight - frameWidth);
  case TKcFolderPos::fpBottomRight:
    return QPoint(work.left() + work.width() - s.width() - frameWidth,
                  work.top() + work.height() - s.height() - captionHeight - frameWidth);
  }
  return std::nullopt;
}

// ---------------------------------------------------------------- window

TKcBrowseForFolderWindow::TKcBrowseForFolderWindow(TKcBrowseForFolderDialog *owner, QWidget *parent,
                                                   const QString &root)
    : QDialog(parent), FOwner(owner) {
  setWindowTitle(QStringLiteral("Browse for Folder"));
  auto *layout = new QVBoxLayout(this);
  FTitle = new QLabel(owner->Title, this);
  FTitle->setWordWrap(true);
  FTitle->setVisible(!owner->Title.isEmpty());
  layout->addWidget(FTitle);
  FModel = new QFileSystemModel(this);
  QDir::Filters filters = QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives;
  if (owner->Options & odIncludeFiles) filters |= QDir::Files;
  FModel->setFilter(filters);
  FModel->setRootPath(root);
  FTree = new QTreeView(this);
  FTree->setModel(FModel);
  FTree->setRootIndex(FModel->index(root));
  for (int c = 1; c < FModel->columnCount(); ++c) FTree->hideColumn(c);
  FTree->setSortingEnabled(true);
  FTree->sortByColumn(0, Qt::AscendingOrder);
  FTree->header()->hide();
  layout->addWidget(FTree, 1);
  FEdit = new QLineEdit(this);
  FEdit->setVisible(owner->Options & odEditBox);
  layout->addWidget(FEdit);
  FStatus = new QLabel(this);
  FStatus->setVisible(owner->Options & odStatusAvailable);
  layout->addWidget(FStatus);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  FOk = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  connect(FTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex &current) { FOwner->selectionChanged(FModel->filePath(current)); });
  resize(320, 400);
}

void TKcBrowseForFolderWindow::SelectPath(const QString &path) {
  const QModelIndex i = FModel->index(path);
  if (!i.isValid()) return;
  FTree->setCurrentIndex(i);
  FTree->scrollTo(i);
}

QString TKcBrowseForFolderWindow::SelectedPath() const {
  const QModelIndex i = FTree->currentIndex();
  return i.isValid() ? FModel->filePath(i) : QString();
}

bool TKcBrowseForFolderWindow::OkEnabled() const { return FOk->isEnabled(); }
QString TKcBrowseForFolderWindow::StatusLine() const { return FStatus->text(); }

// ---------------------------------------------------------------- dialog

TKcBrowseForFolderDialog::TKcBrowseForFolderDialog(QWidget *owner) : QObject(owner), FOwner(owner) {}
TKcBrowseForFolderDialog::~TKcBrowseForFolderDialog() { delete FWindow; }

void TKcBrowseForFolderDialog::updateStatus(const QString &path) {
  if (!(Options & odStatusAvailable) || !FWindow) return;
  QLabel *status = FWindow->FStatus;
  const int room = FWindow->width() - 2 * status->x() - 8;
  status->setText(!StatusText.isEmpty() ? StatusText : ShortenPath(path, status->font(), room));
}

void TKcBrowseForFolderDialog::selectionChanged(const QString &path) {
  bool accept = true;
  if (OnAcceptChange) OnAcceptChange(this, path, accept);
  if (!FWindow) return;
  FWindow->FOk->setEnabled(accept);
  if (Options & odEditBox) FWindow->FEdit->setText(baseName(path));
  updateStatus(path);
  if (OnChange) OnChange(this, path);
}

bool TKcBrowseForFolderDialog::Execute() {
  if (GetShellVersion() < ShellVersion(4, 0)) throw EKcError("Shell not compatible with BrowseForFolder");
  QWidget *parent = FOwner ? FOwner->window() : QApplication::activeWindow();
  QString root = QStringLiteral("/");
  if (RootOverride) root = *RootOverride;
  else if (const auto p = RootFolderPath(RootDirectory)) root = QString::fromStdString(*p);

  delete FWindow;
  FWindow = new TKcBrowseForFolderWindow(this, parent, root);
  TKcBrowseForFolderWindow *w = FWindow;
  if (!(Options & odNewDialogStyle)) {
    const ScreenRect s = screenWorkArea();
    const QRect work(s.left, s.top, s.width(), s.height());
    const QRect ownerFrame = parent ? parent->frameGeometry() : work;
    if (const auto at = FolderDialogPosition(Position, w->size(), work, ownerFrame, 0, 0)) w->move(*at);
  }
  if (!Directory.isEmpty()) w->SelectPath(Directory);
  updateStatus(Directory);
  // Runs once the dialog is up, so the handler can work with it.
  QMetaObject::invokeMethod(
      w,
      [this] {
        if (OnInitialized) OnInitialized(this);
      },
      Qt::QueuedConnection);
  const bool ok = w->exec() == QDialog::Accepted && FWindow;
  bool chosen = false;
  if (ok) {
    const QString path = w->SelectedPath();
    if (!path.isEmpty() && KindOfPath(path.toStdString()) == PathKind::Folder) {
      Directory = path;
      chosen = true;
    }
    FDisplayName = baseName(path);
  }
  delete FWindow;
  return chosen;
}

} // namespace kc
