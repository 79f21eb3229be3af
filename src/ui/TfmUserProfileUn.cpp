#include "ui/TfmUserProfileUn.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/ImageList.h"
#include "platform/MailTo.h"
#include "richtext/controls/RichVistaEdit.h"
#include "platform/Screen.h"
#include "toolbars/TBSkinPlus.h"
#include "ui/ArtUn.h"
#include "ui/DialogTextsUn.h"
#include "ui/fmSelectPictureUn.h"
#include "ui/fmKavetChatActions.h"
#include "widgets/KcColorComboBox.h"
#include "widgets/KcComCtrls.h"
#include "widgets/KcTransparentButton.h"

namespace kc {

namespace {

constexpr int kHelpContext = 5000;
// The record keeps the age as a byte.
constexpr int kMaxAge = 255;

// Labels and groups with their English captions; the language file's
// section is the component name.
struct TCaption {
  const char *Name, *Default;
};
constexpr TCaption kCaptions[] = {
    {"lbAlias", "Alias:"},
    {"lbName1", "First name:"},
    {"lbName2", "Second name:"},
    {"lbColor", "Color:"},
    {"gbName", "Name"},
    {"gbEMail", "E-Mail"},
    {"lbEMail", "E-Mail:"},
    {"lbICQ", "ICQ:"},
    {"lbStreet", "Street:"},
    {"lbTown", "Town:"},
    {"lbField", "Field:"},
    {"lbHome", "Home:"},
    {"gbHome", "Home"},
    {"gbWorkAdress", "Work adress"},
    {"lbWName", "Name:"},
    {"lbDepartment", "Department:"},
    {"lbWPost", "Post:"},
    {"lbWorkType", "Work type:"},
    {"gbOrganization", "Organization"},
    {"lbWStreet", "Street:"},
    {"lbWTown", "Town:"},
    {"lbWField", "Field:"},
    {"lbWHome", "Home:"},
    {"lbSex", "Sex:"},
    {"lbAge", "Age:"},
    {"lbInterest", "Interest:"},
    {"gbPersonal", "Personal"},
    {"gbPicture", "Picture"},
    {"lbPicture", "Picture"},
};

constexpr int kImageRole = Qt::UserRole + 1, kSelectedImageRole = Qt::UserRole + 2;

// The page pictures, by page: summary, basic data, home, work, personal.
// They come from the program's own lists: a card, a person with a pencil, a
// house, a group of people and a smiley.
struct TPagePicture {
  bool Hot; // ilHotImage, else ilProfilesImage
  int Index;
};
constexpr TPagePicture kPagePictures[TfmUserProfile::kPages] = {
    {true, hiUserProfile}, {true, hiMyProfile}, {true, hiSite}, {false, piOwnGroup}, {false, piStillEmoticon}};

void FillPagePictures(TCustomImageList &List, int Size) {
  TCustomImageList hot, profiles;
  FillHotImages(hot, Size);
  FillProfileImages(profiles, Size);
  List.SetSize(Size, Size);
  List.Clear();
  for (const TPagePicture &p : kPagePictures) {
    const TCustomImageList &from = p.Hot ? hot : profiles;
    List.Add(from.GetImage(p.Index), from.HasImage2x(p.Index) ? from.GetImage(p.Index, 2.0) : QImage());
  }
}

// What the picture button shows while no picture is chosen: the program's
// picture of a user without one.
QImage SelectPictureGlyph() {
  static const QImage glyph = [] {
    TCustomImageList profiles;
    FillProfileImages(profiles, 32);
    return profiles.GetImage(piNoPicture);
  }();
  return glyph;
}

QPixmap PixmapOf(const TCustomImageList &List, int Index) { return QPixmap::fromImage(List.GetImage(Index)); }

QString EditorText(const QWidget *W) {
  if (const auto *e = qobject_cast<const QLineEdit *>(W)) return e->text();
  if (const auto *m = qobject_cast<const QPlainTextEdit *>(W)) return m->toPlainText();
  return {};
}

std::string Ansi(const QWidget *W) { return ToAnsi(EditorText(W)); }

bool Blank(const QString &Text) { return Text.trimmed().isEmpty(); }

// Digits of a number the record's byte holds: 0..255, or nothing yet.
class TAgeValidator : public QValidator {
public:
  using QValidator::QValidator;
  State validate(QString &Input, int &) const override {
    if (Input.isEmpty()) return Acceptable;
    for (const QChar c : Input)
      if (c < u'0' || c > u'9') return Invalid;
    return Input.size() <= 3 && Input.toInt() <= kMaxAge ? Acceptable : Invalid;
  }
};

} // namespace

TfmUserProfile::TfmUserProfile(const std::string &LanguageFile, TCustomImageList *Pictures, QWidget *Parent)
    : TSettingsDialog(Parent), FPictures(Pictures) {
  setObjectName(QStringLiteral("TfmUserProfile"));
  resize(509, 293);
  RVStyle.TextStyles().Clear();
  RVStyle.TextStyles().AddTextStyle("Normal text", "Arial", 0, 10, clWindowText);
  RVStyle.TextStyles().AddTextStyle("Value", "Arial", fsBold, 10, clWindowText);
  RVStyle.ParaStyles().Clear();
  RVStyle.ParaStyles().Add()->StyleName = "Paragraph Style";

  tvProfile = new TKcTreeView(this);
  tvProfile->setObjectName(QStringLiteral("tvProfile"));
  tvProfile->setRootIsDecorated(false);
  tvProfile->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tvProfile->setFixedWidth(130);
  FillPagePictures(ilTreeView, 16);
  FillPagePictures(ilTreeView32, 32);
  tvProfile->setIconSize(QSize(ilTreeView.Width(), ilTreeView.Height()));
  // The chosen page: black on the skin's selection bar.
  tvProfile->OnCustomDrawItem = [](TKcTreeView *, TKcTreeNode *, TKcCustomDrawItem &Item) {
    if (!Item.Selected) return;
    const TColor bar = tb::DefaultSkin().Colors.ColorByIndex(tb::tcSelBar);
    if (bar != clNone) Item.Background = bar;
    Item.Text = clBlack;
  };
  pcProfile = new TKcPageControl(this);
  pcProfile->setObjectName(QStringLiteral("pcProfile"));
  pcProfile->tabBar()->hide();
  BuildPages();

  QHBoxLayout *buttons = MakeButtonRow();
  auto *body = new QHBoxLayout;
  body->addWidget(tvProfile);
  body->addWidget(pcProfile, 1);
  auto *all = new QVBoxLayout(this);
  all->addLayout(body, 1);
  all->addLayout(buttons);

  SetLanguage(LanguageFile);
  SetPicture(-1);
  setWindowTitle(FromAnsi(MessageText("UserProfileForm")));
  for (int k = 0; k < kPages; ++k) {
    TKcTreeNode *node = tvProfile->AddChild(nullptr, FromAnsi(MessageText("fmProfile" + std::to_string(k + 1))));
    node->setData(0, kImageRole, k);
    node->setData(0, kSelectedImageRole, k);
    node->setIcon(0, QIcon(PixmapOf(ilTreeView, k)));
    if (k > 0) UpdateHeaderImage(k);
  }

  connect(tvProfile, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *Node) {
    if (Node) ShowPage(tvProfile->indexOfTopLevelItem(Node));
  });
  connect(btnOk, &QPushButton::clicked, this, [this] {
    SaveUserData();
    accept();
  });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnApply, &QPushButton::clicked, this, [this] { SaveUserData(); });
  connect(edAlias, &QLineEdit::textChanged, this, [this] { UpdatePictureButton(); });
  edColor->OnChange = [this](TKcCustomComboBox *) { Changed(true); };
  connect(cbSex, &QComboBox::currentIndexChanged, this, [this] { Changed(true); });
  btnSelectImage->OnClick = [this](TKcTransparentButton *) {
    if (!FEditMode) return;
    if (OnChoosePicture) OnChoosePicture(*this);
    else ChoosePicture();
  };
  connect(bntGoMail, &QPushButton::clicked, this, [this] { SendMail(); });
  for (QWidget *w : FEditors) {
    w->installEventFilter(this);
    if (auto *e = qobject_cast<QLineEdit *>(w)) connect(e, &QLineEdit::textEdited, this, [this] { Changed(false); });
    if (auto *m = qobject_cast<QPlainTextEdit *>(w)) {
      const int max = m->property("maxLength").toInt();
      connect(m, &QPlainTextEdit::textChanged, this, [this, m, max] {
        // A memo keeps to the field's length as a line edit does.
        if (max > 0 && m->toPlainText().size() > max) {
          m->setPlainText(m->toPlainText().left(max));
          m->moveCursor(QTextCursor::End);
        }
        Changed(false);
      });
    }
  }
  SetEditMode(false);
  tvProfile->setCurrentItem(tvProfile->topLevelItem(0));
  UpdatePictureButton();
}

TfmUserProfile::~TfmUserProfile() = default;

QWidget *TfmUserProfile::AddPage(int K) {
  TKcTabSheet *page = pcProfile->AddPage(QString());
  auto *header = new QWidget(page);
  header->setProperty("Tag", -15);
  HeaderImage[K] = new QLabel(header);
  HeaderImage[K]->setFixedSize(32, 32);
  HeaderImage[K]->setAlignment(Qt::AlignCenter);
  HeaderLabel[K] = new QLabel(header);
  QFont bold = HeaderLabel[K]->font();
  bold.setBold(true);
  HeaderLabel[K]->setFont(bold);
  auto *row = new QHBoxLayout(header);
  row->setContentsMargins(4, 4, 4, 4);
  row->addWidget(HeaderImage[K]);
  row->addWidget(HeaderLabel[K], 1);
  auto *content = new QWidget(page);
  auto *column = new QVBoxLayout(page);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(header);
  column->addWidget(content, 1);
  return content;
}

QLineEdit *TfmUserProfile::Line(QWidget *Parent, const char *Name, int MaxLength) {
  auto *e = new QLineEdit(Parent);
  e->setObjectName(QLatin1String(Name));
  e->setMaxLength(MaxLength);
  FEditors.push_back(e);
  return e;
}

QPlainTextEdit *TfmUserProfile::Memo(QWidget *Parent, const char *Name, int MaxLength) {
  auto *m = new QPlainTextEdit(Parent);
  m->setObjectName(QLatin1String(Name));
  m->setProperty("maxLength", MaxLength);
  m->setTabChangesFocus(true);
  FEditors.push_back(m);
  return m;
}

QLabel *TfmUserProfile::Label(QWidget *Parent, const char *Name, const char *, QWidget *Buddy) {
  auto *l = new QLabel(Parent);
  l->setObjectName(QLatin1String(Name));
  l->setBuddy(Buddy);
  return l;
}

QGroupBox *TfmUserProfile::Group(QWidget *Parent, const char *Name, const char *) {
  auto *g = new QGroupBox(Parent);
  g->setObjectName(QLatin1String(Name));
  return g;
}

QFormLayout *TfmUserProfile::Form(QGroupBox *G, std::initializer_list<std::pair<const char *, QWidget *>> Rows) {
  auto *f = new QFormLayout(G);
  for (const auto &[label, editor] : Rows) f->addRow(Label(G, label, nullptr, editor), editor);
  return f;
}

void TfmUserProfile::BuildPages() {
  BuildSummaryPage(AddPage(0));
  BuildBasicPage(AddPage(1));
  BuildHomePage(AddPage(2));
  BuildWorkPage(AddPage(3));
  BuildPersonalPage(AddPage(4));
}

void TfmUserProfile::BuildSummaryPage(QWidget *summary) {
  mmDataMemo = new TRichVistaEdit(summary);
  mmDataMemo->setObjectName(QStringLiteral("mmDataMemo"));
  mmDataMemo->SetStyle(&RVStyle);
  mmDataMemo->SetReadOnly(true);
  (new QVBoxLayout(summary))->addWidget(mmDataMemo);
}

void TfmUserProfile::BuildBasicPage(QWidget *basic) {
  QGroupBox *gbName = Group(basic, "gbName", "Name");
  edAlias = Line(gbName, "edAlias", 20);
  edName1 = Line(gbName, "edName1", 20);
  edName2 = Line(gbName, "edName2", 20);
  edColor = new TKcColorComboBox(gbName);
  edColor->setObjectName(QStringLiteral("edColor"));
  edColor->SetColorDialogText(QStringLiteral("Custom..."));
  Form(gbName, {{"lbAlias", edAlias}, {"lbName1", edName1}, {"lbName2", edName2}, {"lbColor", edColor}});
  QGroupBox *gbEMail = Group(basic, "gbEMail", "E-Mail");
  edEMail = Line(gbEMail, "edEMail", 100);
  QFont underlined = edEMail->font();
  underlined.setUnderline(true);
  edEMail->setFont(underlined);
  bntGoMail = new QPushButton(QStringLiteral("@"), gbEMail);
  bntGoMail->setObjectName(QStringLiteral("bntGoMail"));
  bntGoMail->setAutoDefault(false);
  auto *mailRow = new QWidget(gbEMail);
  auto *mail = new QHBoxLayout(mailRow);
  mail->setContentsMargins(0, 0, 0, 0);
  mail->addWidget(edEMail, 1);
  mail->addWidget(bntGoMail);
  edICQ = Line(gbEMail, "edICQ", 100);
  QFormLayout *mailForm = Form(gbEMail, {{"lbICQ", edICQ}});
  mailForm->insertRow(0, Label(gbEMail, "lbEMail", nullptr, edEMail), mailRow);
  QGroupBox *gbPicture = Group(basic, "gbPicture", "Picture");
  lbPicture = Label(gbPicture, "lbPicture", nullptr, nullptr);
  btnSelectImage = new TKcTransparentButton(gbPicture);
  btnSelectImage->setObjectName(QStringLiteral("btnSelectImage"));
  btnSelectImage->setMinimumHeight(38);
  // The picture on the left, the name beside it on the right: both
  // centred would write the name across the picture.
  btnSelectImage->SetTextAlign(TKcTextAlign::ttaRight);
  btnSelectImage->SetFrameStyle(TKcFrameStyle::fsNone);
  btnSelectImage->SetShowPressed(false);
  btnSelectImage->SetOffset(2);
  auto *picture = new QHBoxLayout(gbPicture);
  picture->addWidget(lbPicture);
  picture->addSpacing(30);
  picture->addWidget(btnSelectImage);
  picture->addStretch(1);
  auto *basicColumn = new QVBoxLayout(basic);
  basicColumn->addWidget(gbName);
  basicColumn->addWidget(gbEMail);
  basicColumn->addWidget(gbPicture);
}

void TfmUserProfile::BuildHomePage(QWidget *home) {
  QGroupBox *gbHome = Group(home, "gbHome", "Home");
  mmStreet = Memo(gbHome, "mmStreet", 100);
  edTown = Line(gbHome, "edTown", 100);
  edField = Line(gbHome, "edField", 100);
  edHome = Line(gbHome, "edHome", 100);
  Form(gbHome, {{"lbStreet", mmStreet}, {"lbTown", edTown}, {"lbField", edField}, {"lbHome", edHome}});
  (new QVBoxLayout(home))->addWidget(gbHome);
}

void TfmUserProfile::BuildWorkPage(QWidget *work) {
  QGroupBox *gbOrganization = Group(work, "gbOrganization", "Organization");
  edWName = Line(gbOrganization, "edWName", 100);
  edDepartment = Line(gbOrganization, "edDepartment", 100);
  edWorkType = Memo(gbOrganization, "edWorkType", 250);
  edWPost = Line(gbOrganization, "edWPost", 100);
  Form(gbOrganization,
       {{"lbWName", edWName}, {"lbDepartment", edDepartment}, {"lbWorkType", edWorkType}, {"lbWPost", edWPost}});
  QGroupBox *gbWorkAdress = Group(work, "gbWorkAdress", "Work adress");
  mmWStreet = Memo(gbWorkAdress, "mmWStreet", 100);
  edWTown = Line(gbWorkAdress, "edWTown", 100);
  edWField = Line(gbWorkAdress, "edWField", 100);
  edWHome = Line(gbWorkAdress, "edWHome", 100);
  Form(gbWorkAdress, {{"lbWStreet", mmWStreet}, {"lbWTown", edWTown}, {"lbWField", edWField}, {"lbWHome", edWHome}});
  auto *workRow = new QHBoxLayout(work);
  workRow->addWidget(gbOrganization);
  workRow->addWidget(gbWorkAdress);
}

void TfmUserProfile::BuildPersonalPage(QWidget *personal) {
  QGroupBox *gbPersonal = Group(personal, "gbPersonal", "Personal");
  cbSex = new QComboBox(gbPersonal);
  cbSex->setObjectName(QStringLiteral("cbSex"));
  edAge = Line(gbPersonal, "edAge", 3);
  edAge->setValidator(new TAgeValidator(edAge));
  mmInterest = Memo(gbPersonal, "mmInterest", 255);
  Form(gbPersonal, {{"lbSex", cbSex}, {"lbAge", edAge}, {"lbInterest", mmInterest}});
  (new QVBoxLayout(personal))->addWidget(gbPersonal);
}

QString TfmUserProfile::LabelText(const char *Name) const {
  for (const auto &[name, text] : FTexts)
    if (name == Name) return text;
  return {};
}

void TfmUserProfile::SetLanguage(const std::string &LanguageFile) {
  const TLanguageFile file(LanguageFile);
  FTexts.clear();
  for (const TCaption &c : kCaptions) {
    const QString text = DialogText(file, c.Name, "Caption", c.Default);
    FTexts.emplace_back(c.Name, text);
    QWidget *w = findChild<QWidget *>(QLatin1String(c.Name));
    if (auto *l = qobject_cast<QLabel *>(w)) l->setText(text);
    else if (auto *g = qobject_cast<QGroupBox *>(w)) g->setTitle(text);
  }
  btnSelectImage->setToolTip(
      DialogText(file, "btnSelectImage", "Hint", "Please press here for a choice of the picture"));
  FPictureWord = DialogText(file, "btnSelectImageConst", "Caption", "Choice of the picture");
  FForWord = DialogText(file, "ForConst", "Caption", "for");
  const bool loading = FLoading;
  FLoading = true;
  const int sex = cbSex->currentIndex();
  cbSex->clear();
  cbSex->addItem(DialogText(file, "cbSex", "Not", "Not specified"));
  cbSex->addItem(DialogText(file, "cbSex", "Men", "Men"));
  cbSex->addItem(DialogText(file, "cbSex", "Women", "Women"));
  cbSex->setCurrentIndex(sex);
  FLoading = loading;
  btnOk->setText(OkCaption());
  btnCancel->setText(CancelCaption());
  btnApply->setText(ApplyCaption());
}

void TfmUserProfile::SetEditMode(bool Editable) {
  FEditMode = Editable;
  for (QWidget *w : FEditors) {
    if (auto *e = qobject_cast<QLineEdit *>(w)) e->setReadOnly(!Editable);
    if (auto *m = qobject_cast<QPlainTextEdit *>(w)) m->setReadOnly(!Editable);
    w->setBackgroundRole(Editable ? QPalette::Base : QPalette::Window);
  }
  edColor->setEnabled(Editable);
  cbSex->setEnabled(Editable);
  btnApply->setEnabled(false);
}

void TfmUserProfile::LoadUserData(const RUserID &User) {
  FLoading = true;
  FIP = User.IP;
  FMAC = User.MAC;
  const RUserProfile &p = *User.Profile;
  const std::pair<QLineEdit *, const std::string *> lines[] = {{edAlias, &User.ALIAS}, {edName1, &p.NAME},
                                                               {edName2, &p.NAME2},    {edEMail, &p.EMAIL},
                                                               {edICQ, &p.ICQ},        {edTown, &p.TOWN},
                                                               {edField, &p.FIELD},    {edHome, &p.HOUSE},
                                                               {edWName, &p.WNAME},    {edDepartment, &p.WDEPARTMENT},
                                                               {edWPost, &p.WPOST},    {edWTown, &p.WTOWN},
                                                               {edWField, &p.WFIELD},  {edWHome, &p.WHOUSE}};
  for (const auto &[editor, value] : lines) editor->setText(FromAnsi(*value));
  const std::pair<QPlainTextEdit *, const std::string *> memos[] = {
      {mmStreet, &p.STREET}, {edWorkType, &p.WTYPEWORK}, {mmWStreet, &p.WSTREET}, {mmInterest, &p.Interest}};
  for (const auto &[memo, value] : memos) memo->setPlainText(FromAnsi(*value));
  edColor->SetColorValue(User.COLOR);
  edAge->setText(QString::number(User.OLD));
  cbSex->setCurrentIndex(User.SEX <= 2 ? User.SEX : 0);
  SetPicture(User.IMAGEINDEX);
  UpdatePictureButton();
  FLoading = false;
  btnApply->setEnabled(false);
  ShowPage(std::max(0, tvProfile->indexOfTopLevelItem(tvProfile->currentItem())));
}

void TfmUserProfile::SaveUserData() {
  if (!FEditMode) return;
  TSetUserData set(Record, Key);
  set.SetAlias(Ansi(edAlias));
  set.SetName(Ansi(edName1));
  set.SetName2(Ansi(edName2));
  set.SetColor(std::to_string(edColor->ColorValue()));
  set.SetEMail(Ansi(edEMail));
  set.SetICQ(Ansi(edICQ));
  set.SetStreet(Ansi(mmStreet));
  set.SetTown(Ansi(edTown));
  set.SetHomeField(Ansi(edField));
  set.SetHouse(Ansi(edHome));
  set.SetWStreet(Ansi(mmWStreet));
  set.SetWTown(Ansi(edWTown));
  set.SetWHouse(Ansi(edWHome));
  set.SetWField(Ansi(edWField));
  set.SetWName(Ansi(edWName));
  set.SetWDepartment(Ansi(edDepartment));
  set.SetWPost(Ansi(edWPost));
  set.SetWTypeWork(Ansi(edWorkType));
  if (cbSex->currentIndex() < 0) cbSex->setCurrentIndex(0);
  set.SetSex(std::to_string(cbSex->currentIndex()));
  // The edit takes 0..255 only; an empty one is age 0 in the store and the
  // record alike.
  const std::string age = Ansi(edAge);
  set.SetOld(age.empty() ? "0" : age);
  set.SetInterest(Ansi(mmInterest));
  set.SetImageIndex(std::to_string(FPicture));
  btnApply->setEnabled(false);
  if (OnSaved) OnSaved();
}

void TfmUserProfile::SetPicture(int Index) {
  if (!FPictures || !FPictures->ValidIndex(Index)) {
    btnSelectImage->SetGlyph(SelectPictureGlyph());
    FPicture = -1;
    UpdateHeaderImage(0);
    UpdatePictureButton();
    return;
  }
  const QImage image = FPictures->GetImage(Index);
  btnSelectImage->SetGlyph(image);
  FPicture = Index;
  UpdateHeaderImage(0);
  UpdatePictureButton();
}

int TfmUserProfile::NodeImageIndex(const TKcTreeNode *Node, bool Selected) {
  if (!Node) return -1;
  const QVariant v = Node->data(0, Selected ? kSelectedImageRole : kImageRole);
  return v.isValid() ? v.toInt() : -1;
}

void TfmUserProfile::UpdateHeaderImage(int K) {
  if (K < 0 || K >= kPages) return;
  // Page 0 shows whose profile it is once a picture is chosen.
  if (K == 0 && FPicture >= 0) HeaderImage[0]->setPixmap(PixmapOf(*FPictures, FPicture));
  else HeaderImage[K]->setPixmap(PixmapOf(ilTreeView32, K));
}

void TfmUserProfile::ChoosePicture() {
  // The palette frees itself when it closes; its top-left corner sits at the
  // button's centre, turned to stay on the button's screen.
  auto *palette = new TfmSelectPicture(FPictures, this);
  palette->OnPick = [this](int Index) {
    SetPicture(Index);
    Changed(false);
  };
  const QRect button(btnSelectImage->mapToGlobal(QPoint(0, 0)), btnSelectImage->size());
  palette->Popup(btnSelectImage, button.center(), monitorWorkAreaOf(button));
}

void TfmUserProfile::UpdatePictureButton() {
  const QString caption = Blank(edAlias->text()) && FPicture < 0 ? FPictureWord : edAlias->text();
  // A name is plain text: its '&' marks no accelerator.
  btnSelectImage->SetCaption(PlainCaption(caption));
  const int glyph = btnSelectImage->Glyph().isNull() ? 0 : btnSelectImage->Glyph().width();
  btnSelectImage->setFixedWidth(std::max(34, btnSelectImage->fontMetrics().horizontalAdvance(caption) + glyph + 8));
}

void TfmUserProfile::ShowPage(int K) {
  if (K < 0 || K >= pcProfile->PageCount()) return;
  pcProfile->setCurrentIndex(K);
  const QString node = tvProfile->topLevelItem(K)->text(0);
  QString header = node;
  if (K == 0 && !Blank(edAlias->text()))
    header = node + QLatin1Char(' ') + FForWord + QLatin1Char(' ') + edAlias->text();
  HeaderLabel[K]->setText(header);
  if (K == 0) FillSummary();
}

void TfmUserProfile::AddSummaryLine(const QString &LabelText, const QString &Value) {
  if (Blank(LabelText) || Blank(Value)) return;
  mmDataMemo->AddTextParagraph(ToAnsi(LabelText + QLatin1Char(' ')), 0, 0);
  mmDataMemo->AddTextRun(ToAnsi(Value), 1);
}

void TfmUserProfile::AddSummaryHeader(const QString &Caption, int Image, const QString &Test) {
  if (Blank(Test) || Blank(Caption)) return;
  mmDataMemo->AddLineBreak();
  if (Image < 0) {
    mmDataMemo->AddTextParagraph(ToAnsi(Caption), 0, 0);
    return;
  }
  // The group's page picture leads its heading.
  mmDataMemo->AddPictureItem("", Image, &ilTreeView, 0);
  mmDataMemo->AddTextRun(ToAnsi(QStringLiteral("  ") + Caption), 0);
}

void TfmUserProfile::FillSummary() {
  RVStyle.TextStyles().GetTextStyleSafe(1)->Color = edColor->ColorValue();
  mmDataMemo->ClearDocument();
  AddSummaryLine(QStringLiteral("IP:"), FromAnsi(FIP));
  AddSummaryLine(QStringLiteral("MAC:"), FromAnsi(FMAC));
  struct TLine {
    const char *Label;
    QString Value;
  };
  // Each group is headed by its page's name and picture.
  const auto group = [this](int Page, const std::vector<TLine> &Lines) {
    QString test;
    for (const TLine &l : Lines) test += l.Value;
    AddSummaryHeader(tvProfile->topLevelItem(Page)->text(0), Page, test);
    for (const TLine &l : Lines) AddSummaryLine(LabelText(l.Label), l.Value);
  };
  group(1, {{"lbAlias", edAlias->text()},
            {"lbName1", edName1->text()},
            {"lbName2", edName2->text()},
            {"lbEMail", edEMail->text()},
            {"lbICQ", edICQ->text()}});
  group(2, {{"lbStreet", mmStreet->toPlainText()},
            {"lbTown", edTown->text()},
            {"lbField", edField->text()},
            {"lbHome", edHome->text()}});
  group(3, {{"lbWStreet", mmWStreet->toPlainText()},
            {"lbWTown", edWTown->text()},
            {"lbWHome", edWHome->text()},
            {"lbWField", edWField->text()},
            {"lbWName", edWName->text()},
            {"lbDepartment", edDepartment->text()},
            {"lbWPost", edWPost->text()},
            {"lbWorkType", edWorkType->toPlainText()}});
  group(4, {{"lbSex", cbSex->currentText()}, {"lbAge", edAge->text()}, {"lbInterest", mmInterest->toPlainText()}});
  mmDataMemo->ReformatDocument();
}

void TfmUserProfile::Changed(bool AnyMode) {
  if (FLoading || (!AnyMode && !FEditMode)) return;
  btnApply->setEnabled(true);
}

void TfmUserProfile::SendMail() {
  const QString address = edEMail->text().trimmed();
  // A peer's address that could carry more than an address opens nothing.
  if (!address.isEmpty() && IsSafeMailAddress(address.toStdString())) OpenMailTo({address.toStdString()});
}

bool TfmUserProfile::HandleKey(QKeyEvent *Event) {
  switch (Event->key()) {
  case Qt::Key_Escape: reject(); return true;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    // Shift+Enter is a new line in a memo.
    if (Event->modifiers() & Qt::ShiftModifier) return false;
    SaveUserData();
    accept();
    return true;
  case Qt::Key_F1: ShowDialogHelp(kHelpContext); return true;
  default: return false;
  }
}

} // namespace kc
