#include "ui/fmInformationUn.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "core/ConstUnit.h"
#include "core/LngUn.h"
#include "core/iniFileUn.h"
#include "platform/CodePage.h"
#include "platform/GuiTimer.h"
#include "platform/ImageList.h"
#include "platform/SpecialFolders.h"
#include "toolbars/TBSkinPlus.h"
#include "ui/OfferedFileIconUn.h"
#include "ui/WorkFormatTextRichVistaEditUn.h"
#include "widgets/KcBrowseFolder.h"
#include "widgets/KcComCtrls.h"

namespace kc {

namespace {

QString fromAnsi(std::string_view Text) { return QString::fromStdString(ansiToUtf8(Text)); }

// A plain label: peers' texts are never markup.
QLabel *plainLabel(const QString &Text, QWidget *Parent, const char *Name) {
  auto *l = new QLabel(Text, Parent);
  l->setObjectName(QString::fromLatin1(Name));
  l->setTextFormat(Qt::PlainText);
  return l;
}

// Built-in texts (UTF-8 here; a language file's are 8-bit).
const QString kHeaderSendFile = QStringLiteral("\u0421onfirmation of reception of files");
const QString kHeaderGroupClosed = QStringLiteral("Closing of group of dialogue.");
const QString kHeaderPrivateClosed = QStringLiteral("Closing of private talk");
constexpr std::string_view kCloseTalkText =
    "The author of group of dialogue \"%s\" has closed group \"%s\" and has stopped conversation. For renewal of "
    "dialogue create please own group.";
constexpr std::string_view kCloseTalkPrivateText =
    "The user \"%s\" has closed private conversation with you to close also private conversation at you?";
constexpr std::string_view kNotShowText = "To not show more this window.";

// One text of the language file, or Default when the file lacks it.
class TTexts {
public:
  explicit TTexts(const std::string &Path) : FFile(Path) {}
  std::optional<std::string> Read(std::string_view Section) const {
    // A value no file can hold tells a missing text from an empty one.
    static const std::string missing("\x01\x02missing");
    std::string v = FFile.ReadString(Section, "Caption", missing);
    if (v == missing) return std::nullopt;
    return v;
  }
  QString Text(std::string_view Section, const QString &Default) const {
    const std::optional<std::string> v = Read(Section);
    return v ? fromAnsi(*v) : Default;
  }
  std::string Ansi(std::string_view Section, std::string_view Default) const {
    return Read(Section).value_or(std::string(Default));
  }

private:
  TLanguageFile FFile;
};

} // namespace

TfmInformation::TfmInformation(std::string_view Key, QWidget *Parent) : QDialog(Parent), FKey(Key) {
  setObjectName(QStringLiteral("fmInformation"));
  setAccessibleName(QStringLiteral("Confirmation"));
  resize(406, 245);

  pnHeader = new QWidget(this);
  pnHeader->setObjectName(QStringLiteral("pnHeader"));
  pnHeader->setAutoFillBackground(true);
  QPalette white = pnHeader->palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  pnHeader->setPalette(white);
  pnHeader->setMinimumHeight(33);
  lbHeaderText1 = plainLabel(QString(), pnHeader, "lbHeaderText1");
  lbHeaderText1->setAlignment(Qt::AlignCenter);
  QFont bold = lbHeaderText1->font();
  bold.setBold(true);
  lbHeaderText1->setFont(bold);
  imUser = new QLabel(pnHeader);
  imUser->setObjectName(QStringLiteral("imUser"));
  imUser->setFixedSize(32, 32);
  auto *header = new QHBoxLayout(pnHeader);
  header->setContentsMargins(4, 0, 4, 0);
  header->addWidget(imUser);
  header->addWidget(lbHeaderText1, 1);

  pcInformation = new TKcPageControl(this);
  pcInformation->setObjectName(QStringLiteral("pcInformation"));
  pcInformation->SetHideAllTabs(true);
  BuildSendFilePage();
  // Page 1 is kept empty, so that the pages keep their numbers.
  pcInformation->AddPage(QStringLiteral("TabSheet2"))->setObjectName(QStringLiteral("TabSheet2"));
  BuildGroupClosedPage();
  BuildPrivateClosedPage();

  btnOk = new QPushButton(QStringLiteral("&OK"), this);
  btnOk->setObjectName(QStringLiteral("btnOk"));
  btnOk->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  connect(btnOk, &QPushButton::clicked, this, [this] { OkClick(); });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOk);
  buttons->addWidget(btnCancel);

  auto *all = new QVBoxLayout(this);
  all->setContentsMargins(0, 0, 0, 6);
  all->addWidget(pnHeader);
  all->addWidget(pcInformation, 1);
  auto *bottom = new QHBoxLayout;
  bottom->setContentsMargins(6, 0, 6, 0);
  bottom->addLayout(buttons);
  all->addLayout(bottom);

  ChooseFolder = [this](const std::string &Start) -> std::optional<std::string> {
    // KcSelectDirectory: browse for a folder of the computer, directories
    // only, with a status line, centred on the screen, from the desktop.
    TKcBrowseForFolderDialog KcSelectDirectory(this);
    KcSelectDirectory.Options = odBrowseForComputer | odOnlyDirectory | odStatusAvailable | odNewDialogStyle;
    KcSelectDirectory.Position = TKcFolderPos::fpScreenCenter;
    KcSelectDirectory.RootDirectory = TFromDirectory::fdDesktop;
    KcSelectDirectory.Directory = QString::fromStdString(Start);
    if (!KcSelectDirectory.Execute()) return std::nullopt;
    return KcSelectDirectory.Directory.toStdString();
  };
  SetPage(kPageSendFile);
}

TfmInformation::~TfmInformation() = default;

void TfmInformation::BuildSendFilePage() {
  tsSendFile = pcInformation->AddPage(QStringLiteral("tsSendFile"));
  tsSendFile->setObjectName(QStringLiteral("tsSendFile"));
  lbAliaseUser1 = plainLabel(QStringLiteral("Alias:"), tsSendFile, "lbAliaseUser1");
  lbUserName = plainLabel(QString(), tsSendFile, "lbUserName");
  lbIP = plainLabel(QStringLiteral("IP:"), tsSendFile, "lbIP");
  lbUserIP = plainLabel(QString(), tsSendFile, "lbUserIP");
  tvFiles = new TKcTreeView(tsSendFile);
  tvFiles->setObjectName(QStringLiteral("tvFiles"));
  tvFiles->setAccessibleName(QStringLiteral("Offered files"));
  tvFiles->setHeaderHidden(true);
  tvFiles->setRootIsDecorated(false);
  tvFiles->SetCheckboxes(true);
  // The selected file: black on the skin's selection bar.
  tvFiles->OnCustomDrawItem = [](TKcTreeView *, TKcTreeNode *, TKcCustomDrawItem &Item) {
    if (!Item.Selected) return;
    const TColor bar = tb::DefaultSkin().Colors.ColorByIndex(tb::tcSelBar);
    if (bar != clNone) Item.Background = bar;
    Item.Text = clBlack;
  };
  lbSaveTo = plainLabel(QStringLiteral("Save to:"), tsSendFile, "lbSaveTo");
  edFolder = new QLineEdit(tsSendFile);
  edFolder->setObjectName(QStringLiteral("edFolder"));
  edFolder->setAccessibleName(QStringLiteral("Save to"));
  if (const std::optional<std::string> home = specialFolderPath(SpecialFolder::Home))
    edFolder->setText(QString::fromStdString(*home));
  btnOpen = new QPushButton(QStringLiteral("Open"), tsSendFile);
  btnOpen->setObjectName(QStringLiteral("btnOpen"));
  btnOpen->setAutoDefault(false);
  connect(btnOpen, &QPushButton::clicked, this, [this] { btnOpenClick(); });

  auto *who = new QHBoxLayout;
  who->addWidget(lbAliaseUser1);
  who->addWidget(lbUserName, 1);
  who->addWidget(lbIP);
  who->addWidget(lbUserIP, 1);
  auto *to = new QHBoxLayout;
  to->addWidget(lbSaveTo);
  to->addWidget(edFolder, 1);
  to->addWidget(btnOpen);
  auto *page = new QVBoxLayout(tsSendFile);
  page->addLayout(who);
  page->addWidget(tvFiles, 1);
  page->addLayout(to);
}

void TfmInformation::BuildGroupClosedPage() {
  TabSheet1 = pcInformation->AddPage(QStringLiteral("TabSheet1"));
  TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
  lbCloseTalk = plainLabel(QString(), TabSheet1, "lbCloseTalk");
  lbCloseTalk->setWordWrap(true);
  cbNotCloseTalkDialog = new QCheckBox(QString::fromLatin1(kNotShowText), TabSheet1);
  cbNotCloseTalkDialog->setObjectName(QStringLiteral("cbNotCloseTalkDialog"));
  auto *page = new QVBoxLayout(TabSheet1);
  page->addWidget(lbCloseTalk, 1);
  page->addWidget(cbNotCloseTalkDialog);
}

void TfmInformation::BuildPrivateClosedPage() {
  TabSheet3 = pcInformation->AddPage(QStringLiteral("TabSheet3"));
  TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
  lbCloseTalkPrivate = plainLabel(QString(), TabSheet3, "lbCloseTalkPrivate");
  lbCloseTalkPrivate->setWordWrap(true);
  cbClosePrivate = new QCheckBox(QString::fromLatin1(kNotShowText), TabSheet3);
  cbClosePrivate->setObjectName(QStringLiteral("cbClosePrivate"));
  cbOptions = new QGroupBox(OptionsCaption, TabSheet3);
  cbOptions->setObjectName(QStringLiteral("cbOptions"));
  rbAlwaysClose = new QRadioButton(QStringLiteral("Always to close"), cbOptions);
  rbAlwaysClose->setObjectName(QStringLiteral("rbAlwaysClose"));
  rbAlwaysClose->setChecked(true);
  rbAlwaysLeave = new QRadioButton(QStringLiteral("Always to leave"), cbOptions);
  rbAlwaysLeave->setObjectName(QStringLiteral("rbAlwaysLeave"));
  auto *options = new QVBoxLayout(cbOptions);
  options->addWidget(rbAlwaysClose);
  options->addWidget(rbAlwaysLeave);
  auto *page = new QVBoxLayout(TabSheet3);
  page->addWidget(lbCloseTalkPrivate, 1);
  page->addWidget(cbClosePrivate);
  page->addWidget(cbOptions);
}

void TfmInformation::SetPage(int Page) {
  TKcTabSheet *sheet = pcInformation->Pages(Page);
  if (!sheet || Page == 1) return;
  FPage = Page;
  pcInformation->SetActivePage(sheet);
}

void TfmInformation::SetUserName(const std::string &Alias) { lbUserName->setText(fromAnsi(Alias)); }

void TfmInformation::SetUserIP(const std::string &IP) { lbUserIP->setText(fromAnsi(IP)); }

void TfmInformation::SetPicture(const TCustomImageList *Images, int Index) {
  if (Index < 0) Index = 0;
  if (!Images || !Images->ValidIndex(Index)) {
    imUser->clear();
    return;
  }
  imUser->setPixmap(QPixmap::fromImage(Images->GetImage(Index)));
}

bool TfmInformation::AddOfferedFileNode(int Index, const RLFile &File) {
  if (Index < 0 || FileCount() >= kMaxFiles) return false;
  const std::string text = OfferedFileName(File.Path) + "  " + std::to_string(File.Number) + " KB";
  TKcTreeNode *node = tvFiles->AddChild(nullptr, fromAnsi(text));
  // Data 0 means "no file", and index 0 is the first file of the run.
  node->Data = Index + 1;
  // Every file offered is checked; the user unchecks what he does not want.
  tvFiles->SetNodeChecked(node, true);
  return true;
}

int TfmInformation::FileCount() const { return tvFiles->topLevelItemCount(); }

std::vector<int> TfmInformation::CheckedFiles() const {
  std::vector<int> out;
  for (int i = 0; i < tvFiles->topLevelItemCount(); ++i) {
    const TKcTreeNode *node = tvFiles->Node(i);
    if (node && node->Data > 0 && tvFiles->GetNodeChecked(node)) out.push_back(node->Data - 1);
  }
  return out;
}

std::string TfmInformation::Folder() const { return edFolder->text().trimmed().toStdString(); }

void TfmInformation::AcceptFiles() {
  const std::vector<int> files = CheckedFiles();
  if (files.empty() || Folder().empty()) return;
  if (OnAcceptFiles) OnAcceptFiles(files, Folder());
}

void TfmInformation::OkClick() {
  switch (FPage) {
  case kPageSendFile: AcceptFiles(); break;
  case kPageGroupClosed: SaveCloseTalkGroupValue(FKey, cbNotCloseTalkDialog->isChecked()); break;
  case kPagePrivateClosed:
    SaveCloseTalkGroupPrivateValue(FKey, cbClosePrivate->isChecked(), rbAlwaysClose->isChecked(),
                                   rbAlwaysLeave->isChecked());
    break;
  default: break;
  }
  accept();
}

void TfmInformation::btnOpenClick() {
  if (!ChooseFolder) return;
  if (const std::optional<std::string> folder = ChooseFolder(Folder()))
    edFolder->setText(QString::fromStdString(*folder));
}

void TfmInformation::SetLanguage() {
  const TTexts texts(LanguageFile);
  lbAliaseUser1->setText(texts.Text("lbAliase", QStringLiteral("Alias:")));
  QString header;
  switch (FPage) {
  case kPageGroupClosed: header = texts.Text("CloseTalkInformation", kHeaderGroupClosed); break;
  case kPagePrivateClosed: header = texts.Text("CloseTalkPrivateInformation", kHeaderPrivateClosed); break;
  default: header = texts.Text("lbHeaderText1", kHeaderSendFile); break;
  }
  lbHeaderText1->setText(header);
  setWindowTitle(header);
  btnOk->setText(fromAnsi(MessageText("btnOkCaption")));
  btnCancel->setText(fromAnsi(MessageText("btnCancelCaption")));
  cbOptions->setTitle(OptionsCaption);
  // The texts with the author's names are filled in as plain text: a "%"
  // in a name or in a language file is no format.
  lbCloseTalk->setText(fromAnsi(FormatText(texts.Ansi("lbCloseTalk", kCloseTalkText), {AuthorAlias, GroupName})));
  lbCloseTalkPrivate->setText(
      fromAnsi(FormatText(texts.Ansi("lbCloseTalkPrivate", kCloseTalkPrivateText), {AuthorAlias})));
  rbAlwaysClose->setText(texts.Text("rbAlwaysClose", QStringLiteral("Always to close")));
  rbAlwaysLeave->setText(texts.Text("rbAlwaysLeave", QStringLiteral("Always to leave")));
  cbNotCloseTalkDialog->setText(texts.Text("cbNotCloseTalkDialog", QString::fromLatin1(kNotShowText)));
  cbClosePrivate->setText(cbNotCloseTalkDialog->text());
}

QString TfmInformation::HeaderText() const { return lbHeaderText1->text(); }

void TfmInformation::ShowQuietly() {
  setModal(false);
  setAttribute(Qt::WA_ShowWithoutActivating, true);
  FReturnFocusTo = QApplication::focusWidget();
  FQuietUntil = FReturnFocusTo ? monotonicMs() + kQuietMs : 0;
  show();
}

void TfmInformation::changeEvent(QEvent *Event) {
  QDialog::changeEvent(Event);
  if (Event->type() != QEvent::ActivationChange || !isActiveWindow() || FQuietUntil == 0) return;
  const bool caused = monotonicMs() <= FQuietUntil;
  FQuietUntil = 0;
  // The keys stay with what the user was typing into.
  if (caused && FReturnFocusTo) {
    FReturnFocusTo->activateWindow();
    FReturnFocusTo->setFocus(Qt::OtherFocusReason);
  }
}

void TfmInformation::showEvent(QShowEvent *Event) {
  if (!Event->spontaneous()) SetLanguage();
  QDialog::showEvent(Event);
}

} // namespace kc
