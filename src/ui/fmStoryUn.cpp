#include "ui/fmStoryUn.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#include "core/StoryFileUn.h"
#include "core/iniFileUn.h"
#include "platform/FileCopy.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/ShellOpen.h"
#include "toolbars/TBarDock.h"
#include "toolbars/TBarPopup.h"
#include "toolbars/TBSkinPlus.h"
#include "toolbars/TBarToolbar.h"
#include "ui/ArtUn.h"
#include "ui/DialogTextsUn.h"
#include "widgets/KcComCtrls.h"

namespace kc {

using namespace kc::tb;

namespace {

constexpr int kHelpContext = 7000;
constexpr int kNameData = Qt::UserRole + 1;
constexpr int kMinDays = 1, kMaxDays = 365;
constexpr int kImageRole = Qt::UserRole + 2, kSelectedImageRole = Qt::UserRole + 3;

} // namespace

TStoryFileServices DesktopStoryFileServices() {
  TStoryFileServices s;
  s.Open = [](const std::string &Path) { return ShellOpen(Path); };
  s.Copy = [](const std::string &Source, const std::string &Target) {
    return CopyFileTo(Source, Target, true) == FileCopyResult::Done;
  };
  s.Move = [](const std::string &Source, const std::string &Target) {
    return MoveFileTo(Source, Target, true) == FileCopyResult::Done;
  };
  s.Delete = [](const std::string &Path) { return RemoveRegularFile(Path); };
  s.AskFileName = [](QWidget *Parent, const QString &Name, std::string &Chosen) {
    const QString name = QFileDialog::getSaveFileName(Parent, QString(), Name);
    if (name.isEmpty()) return false;
    Chosen = name.toStdString();
    return true;
  };
  return s;
}

TfmStory::TfmStory(std::string Key, std::string HistoryFolder, const std::string &LanguageFile,
                   TStoryFileServices Services, QWidget *Parent)
    : TSettingsDialog(Parent), FKey(std::move(Key)), FFolder(std::move(HistoryFolder)), FServices(std::move(Services)) {
  setObjectName(QStringLiteral("TfmStory"));
  resize(432, 247);
  FillStoryImages(ilStory);
  actOpenFile.SetImageIndex(siOpen);
  actSaveAs.SetImageIndex(siSaveAs);
  actMoveFile.SetImageIndex(siMove);
  actDeleteFile.SetImageIndex(siDelete);

  BuildFileGroup();
  BuildOptionsGroup();
  QHBoxLayout *buttons = MakeButtonRow();
  auto *all = new QVBoxLayout(this);
  all->addWidget(gbHistoryFile, 1);
  all->addWidget(gpOptions);
  all->addLayout(buttons);
  ConnectControls();

  FillHistoryList(FFolder);
  SetLanguage(LanguageFile);
  LoadHistoryOptions();
  btnApply->setEnabled(false);
  UpdateFileActions();
}

// The history files: their toolbar over their list, and their pop-up menu.
void TfmStory::BuildFileGroup() {
  gbHistoryFile = new QGroupBox(this);
  gbHistoryFile->setObjectName(QStringLiteral("gbHistoryFile"));
  dkGroupUser = new TTBDock(gbHistoryFile, dpTop);
  tbGroupUser = new TTBToolbar(gbHistoryFile);
  tbGroupUser->setObjectName(QStringLiteral("tbGroupUser"));
  tbGroupUser->SetImages(&ilStory);
  FillFileItems(*tbGroupUser->Items());
  tbGroupUser->SetCurrentDock(dkGroupUser);
  tvHitoryList = new TKcTreeView(gbHistoryFile);
  tvHitoryList->setObjectName(QStringLiteral("tvHitoryList"));
  tvHitoryList->setRootIsDecorated(false);
  tvHitoryList->setIndentation(19);
  tvHitoryList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tvHitoryList->setUniformRowHeights(true);
  tvHitoryList->setContextMenuPolicy(Qt::CustomContextMenu);
  tvHitoryList->setIconSize(QSize(ilStory.Width(), ilStory.Height()));
  // The selected file: black on the skin's selection bar.
  tvHitoryList->OnCustomDrawItem = [](TKcTreeView *, TKcTreeNode *, TKcCustomDrawItem &Item) {
    if (!Item.Selected) return;
    const TColor bar = tb::DefaultSkin().Colors.ColorByIndex(tb::tcSelBar);
    if (bar != clNone) Item.Background = bar;
    Item.Text = clBlack;
  };
  pmStoryFile = std::make_unique<TTBPopupMenu>();
  pmStoryFile->Items()->SetSubMenuImages(&ilStory);
  FillFileItems(*pmStoryFile->Items());
  pmStoryFile->Items()->ItemAt(0)->SetOptions(pmStoryFile->Items()->ItemAt(0)->Options() | tboDefault);
  auto *files = new QVBoxLayout(gbHistoryFile);
  files->addWidget(dkGroupUser);
  files->addWidget(tvHitoryList, 1);
}

// Whether and how long the history is kept.
void TfmStory::BuildOptionsGroup() {
  gpOptions = new QGroupBox(this);
  gpOptions->setObjectName(QStringLiteral("gpOptions"));
  cbSaveHistory = new QCheckBox(gpOptions);
  rbSaveAsTXT = new QRadioButton(gpOptions);
  rbSaveAsRTF = new QRadioButton(gpOptions);
  rbSaveAsTXT->setChecked(true);
  cbPeriodOfStorage = new QCheckBox(gpOptions);
  udDays = new QSpinBox(gpOptions);
  udDays->setObjectName(QStringLiteral("udDays"));
  udDays->setRange(kMinDays, kMaxDays);
  udDays->setValue(10);
  lbDay = new QLabel(gpOptions);
  auto *period = new QHBoxLayout;
  period->addWidget(cbPeriodOfStorage);
  period->addWidget(udDays);
  period->addWidget(lbDay);
  period->addStretch(1);
  auto *options = new QVBoxLayout(gpOptions);
  options->addWidget(cbSaveHistory);
  options->addWidget(rbSaveAsTXT);
  options->addWidget(rbSaveAsRTF);
  options->addLayout(period);
}

// What the actions, controls and buttons do.
void TfmStory::ConnectControls() {
  actOpenFile.OnExecute = [this](TTBCustomItem *) { OpenHistoryFile(); };
  actSaveAs.OnExecute = [this](TTBCustomItem *) { CopyHistoryFile(); };
  actMoveFile.OnExecute = [this](TTBCustomItem *) { MoveHistoryFile(); };
  actDeleteFile.OnExecute = [this](TTBCustomItem *) { DeleteHistoryFile(); };
  connect(tvHitoryList, &QTreeWidget::currentItemChanged, this, [this] { UpdateFileActions(); });
  connect(tvHitoryList, &QTreeWidget::itemDoubleClicked, this, [this] { OpenHistoryFile(); });
  connect(tvHitoryList, &QWidget::customContextMenuRequested, this, [this](const QPoint &At) {
    if (QTreeWidgetItem *node = tvHitoryList->itemAt(At)) tvHitoryList->setCurrentItem(node);
    UpdateFileActions();
    pmStoryFile->Popup(tvHitoryList->viewport()->mapToGlobal(At));
  });
  for (QAbstractButton *b : std::initializer_list<QAbstractButton *>{cbSaveHistory, rbSaveAsTXT, rbSaveAsRTF})
    connect(b, &QAbstractButton::clicked, this, [this] { Changed(); });
  connect(cbPeriodOfStorage, &QAbstractButton::clicked, this, [this](bool On) {
    SetPeriodEnabled(On);
    Changed();
  });
  connect(udDays, &QSpinBox::valueChanged, this, [this] { Changed(); });
  connect(btnOk, &QPushButton::clicked, this, [this] {
    SaveHistoryOptions();
    accept();
  });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnApply, &QPushButton::clicked, this, [this] { SaveHistoryOptions(); });
  for (QWidget *w : std::initializer_list<QWidget *>{tvHitoryList, udDays}) w->installEventFilter(this);
}

TfmStory::~TfmStory() {
  // The toolbar outlives the list it draws from.
  tbGroupUser->SetImages(nullptr);
}

void TfmStory::FillFileItems(TTBCustomItem &Root) {
  const auto add = [&Root](TTBAction &Action) {
    auto *item = new TTBItem;
    item->SetAction(&Action);
    Root.Add(item);
  };
  add(actOpenFile);
  Root.Add(new TTBSeparatorItem);
  add(actSaveAs);
  add(actMoveFile);
  Root.Add(new TTBSeparatorItem);
  add(actDeleteFile);
}

void TfmStory::SetLanguage(const std::string &LanguageFile) {
  const TLanguageFile file(LanguageFile);
  btnOk->setText(OkCaption());
  btnCancel->setText(CancelCaption());
  btnApply->setText(ApplyCaption());
  setWindowTitle(DialogText(file, "fmStory", "Caption", "History of messages"));
  gbHistoryFile->setTitle(DialogText(file, "gbHistoryFile", "Caption", "History file"));
  gpOptions->setTitle(DialogText(file, "gpOptions", "Caption", "Save history options"));
  cbSaveHistory->setText(DialogText(file, "cbSaveHistory", "Caption", "Save history"));
  cbPeriodOfStorage->setText(DialogText(file, "cbPeriodOfStorage", "Caption", "Period of storage:"));
  lbDay->setText(DialogText(file, "lbDay", "Caption", "days."));
  rbSaveAsRTF->setText(DialogText(file, "rbSaveAsRTF", "Caption", "Save history as rich text format (rtf)"));
  rbSaveAsTXT->setText(DialogText(file, "rbSaveAsTXT", "Caption", "Save history as text (txt)"));
  actOpenFile.SetCaption(DialogText(file, "actOpenFile", "Caption", "Open file"));
  actSaveAs.SetCaption(DialogText(file, "actSaveAs", "Caption", "Save as..."));
  actDeleteFile.SetCaption(DialogText(file, "actDeleteFile", "Caption", "Delete file"));
  actMoveFile.SetCaption(DialogText(file, "actMoveFile", "Caption", "Move file"));
}

void TfmStory::FillHistoryList(const std::string &Folder) {
  if (KindOfPath(Folder) != PathKind::Folder) return;
  struct TEntry {
    QString Shown;
    std::string Name;
  };
  std::vector<TEntry> entries;
  for (FolderEntry &e : ListFolder(Folder))
    if (e.Kind != PathKind::Folder) entries.push_back({QString::fromStdString(e.Name), std::move(e.Name)});
  // The file system's order is arbitrary: by name, case aside.
  std::sort(entries.begin(), entries.end(), [](const TEntry &a, const TEntry &b) {
    const int c = a.Shown.compare(b.Shown, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a.Name < b.Name;
  });
  QList<QTreeWidgetItem *> nodes;
  nodes.reserve(static_cast<qsizetype>(entries.size()));
  // One picture shared by every node.
  const QIcon fileIcon(QPixmap::fromImage(ilStory.GetImage(siFile)));
  for (const TEntry &e : entries) {
    auto *node = new TKcTreeNode(e.Shown);
    node->setData(0, kNameData, QByteArray::fromStdString(e.Name));
    node->setData(0, kImageRole, int(siFile));
    node->setData(0, kSelectedImageRole, int(siFile));
    node->setIcon(0, fileIcon);
    nodes.push_back(node);
  }
  tvHitoryList->addTopLevelItems(nodes);
  SelectLastHistoryFile();
}

void TfmStory::SelectLastHistoryFile() {
  const int count = tvHitoryList->topLevelItemCount();
  if (count < 2) {
    tvHitoryList->setCurrentItem(nullptr);
    tvHitoryList->clearSelection();
    return;
  }
  tvHitoryList->setCurrentItem(tvHitoryList->topLevelItem(count - 1));
  tvHitoryList->setFocus();
}

int TfmStory::NodeImageIndex(const TKcTreeNode *Node, bool Selected) {
  if (!Node) return -1;
  const QVariant v = Node->data(0, Selected ? kSelectedImageRole : kImageRole);
  return v.isValid() ? v.toInt() : -1;
}

std::string TfmStory::FilePath(const TKcTreeNode *Node) const {
  if (!Node) return {};
  std::string path = FFolder;
  if (!path.empty() && path.back() != '/') path += '/';
  return path + Node->data(0, kNameData).toByteArray().toStdString();
}

void TfmStory::UpdateFileActions() {
  const bool selected = tvHitoryList->Selected() != nullptr;
  for (TTBAction *a : {&actOpenFile, &actSaveAs, &actMoveFile, &actDeleteFile}) a->SetEnabled(selected);
}

void TfmStory::OpenHistoryFile() {
  const TKcTreeNode *node = tvHitoryList->Selected();
  if (!node) return;
  const std::string path = FilePath(node);
  if (KindOfPath(path) == PathKind::File && FServices.Open) FServices.Open(path);
}

void TfmStory::CopyHistoryFile() {
  const TKcTreeNode *node = tvHitoryList->Selected();
  std::string target;
  if (!node || !FServices.AskFileName || !FServices.AskFileName(this, node->Text(), target)) return;
  if (FServices.Copy) FServices.Copy(FilePath(node), target);
}

void TfmStory::MoveHistoryFile() {
  TKcTreeNode *node = tvHitoryList->Selected();
  std::string target;
  if (!node || !FServices.AskFileName || !FServices.AskFileName(this, node->Text(), target)) return;
  if (FServices.Move && FServices.Move(FilePath(node), target)) delete node;
  UpdateFileActions();
}

void TfmStory::DeleteHistoryFile() {
  TKcTreeNode *node = tvHitoryList->Selected();
  if (!node) return;
  if (FServices.Delete && FServices.Delete(FilePath(node))) delete node;
  UpdateFileActions();
}

void TfmStory::LoadHistoryOptions() {
  FLoading = true;
  cbSaveHistory->setChecked(LoadStorySaveHistory(FKey));
  cbPeriodOfStorage->setChecked(LoadStoryPeriodStorage(FKey));
  SetPeriodEnabled(cbPeriodOfStorage->isChecked());
  // Two radio buttons of one group: the checked one wins.
  if (LoadStorySaveAsRTF(FKey)) rbSaveAsRTF->setChecked(true);
  else if (LoadStorySaveAsTXT(FKey)) rbSaveAsTXT->setChecked(true);
  udDays->setValue(std::clamp<int>(LoadStoryDays(FKey), kMinDays, kMaxDays));
  FLoading = false;
}

void TfmStory::SaveHistoryOptions() {
  SaveStorySaveHistory(FKey, cbSaveHistory->isChecked());
  SaveStoryPeriodStorage(FKey, cbPeriodOfStorage->isChecked());
  SaveStorySaveAsRTF(FKey, rbSaveAsRTF->isChecked());
  SaveStorySaveAsTXT(FKey, rbSaveAsTXT->isChecked());
  SaveStoryDays(FKey, udDays->value());
  btnApply->setEnabled(false);
}

void TfmStory::SetPeriodEnabled(bool On) {
  udDays->setReadOnly(!On);
  udDays->setEnabled(On);
  udDays->setBackgroundRole(On ? QPalette::Base : QPalette::Button);
}

void TfmStory::Changed() {
  if (!FLoading) btnApply->setEnabled(true);
}

bool TfmStory::HandleKey(QKeyEvent *Event) {
  switch (Event->key()) {
  case Qt::Key_Escape: reject(); return true;
  case Qt::Key_Return:
  case Qt::Key_Enter: return true;
  case Qt::Key_F1: ShowDialogHelp(kHelpContext); return true;
  default: return false;
  }
}

bool TfmStory::eventFilter(QObject *Watched, QEvent *Event) {
  if (TSettingsDialog::eventFilter(Watched, Event)) return true;
  // A key typed into the days enables Apply.
  if (Event->type() == QEvent::KeyPress && Watched == udDays) Changed();
  return false;
}

} // namespace kc
