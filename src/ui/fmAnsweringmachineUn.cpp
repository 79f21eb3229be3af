#include "ui/fmAnsweringmachineUn.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "core/AnsweringmachineTextUn.h"
#include "toolbars/TBarDock.h"
#include "toolbars/TBSkinPlus.h"
#include "toolbars/TBarToolbar.h"
#include "ui/ArtUn.h"
#include "ui/DialogTextsUn.h"
#include "widgets/KcComCtrls.h"

namespace kc {

using namespace kc::tb;

namespace {

constexpr int kHelpContext = 9500;
constexpr int kVariantData = Qt::UserRole + 1;
constexpr int kImageRole = Qt::UserRole + 2, kSelectedImageRole = Qt::UserRole + 3;

// The pictures come from the program's own toolbar pictures: a sheet with a
// plus, the delete cross and the auto-reply bubble with a clock.
void FillVariantImages(TCustomImageList &List) {
  TCustomImageList hot;
  FillHotImages(hot, List.Width());
  List.Clear();
  for (const int i : {int(hiInsertFile), int(hiDelete), int(hiAutoReply)})
    List.Add(hot.GetImage(i), hot.HasImage2x(i) ? hot.GetImage(i, 2.0) : QImage());
}

} // namespace

TfmAnsweringmachine::TfmAnsweringmachine(std::string Key, const std::string &LanguageFile, QWidget *Parent)
    : TSettingsDialog(Parent), FKey(std::move(Key)) {
  setObjectName(QStringLiteral("TfmAnsweringmachine"));
  resize(392, 223);
  FillVariantImages(ilVariants);
  actAddNewTextAnswer.SetImageIndex(kNewImage);
  actDeleteTextAnswer.SetImageIndex(kDeleteImage);

  gbAM1 = new QGroupBox(this);
  gbAM1->setObjectName(QStringLiteral("gbAM1"));
  dkVariants = new TTBDock(gbAM1, dpTop);
  tbBtnVariants = new TTBToolbar(gbAM1);
  tbBtnVariants->setObjectName(QStringLiteral("tbBtnVariants"));
  tbBtnVariants->SetImages(&ilVariants);
  for (TTBAction *a : {&actAddNewTextAnswer, &actDeleteTextAnswer}) {
    auto *item = new TTBItem;
    item->SetAction(a);
    tbBtnVariants->Items()->Add(item);
    if (a == &actAddNewTextAnswer) tbBtnVariants->Items()->Add(new TTBSeparatorItem);
  }
  tbBtnVariants->SetCurrentDock(dkVariants);
  tvVariants = new TKcTreeView(gbAM1);
  tvVariants->setObjectName(QStringLiteral("tvVariants"));
  tvVariants->setRootIsDecorated(false);
  tvVariants->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QFont font = tvVariants->font();
  font.setPixelSize(13);
  tvVariants->setFont(font);
  tvVariants->setIconSize(QSize(ilVariants.Width(), ilVariants.Height()));
  // The selected variant: black on the skin's selection bar.
  tvVariants->OnCustomDrawItem = [](TKcTreeView *, TKcTreeNode *, TKcCustomDrawItem &Item) {
    if (!Item.Selected) return;
    const TColor bar = tb::DefaultSkin().Colors.ColorByIndex(tb::tcSelBar);
    if (bar != clNone) Item.Background = bar;
    Item.Text = clBlack;
  };
  auto *left = new QVBoxLayout(gbAM1);
  left->addWidget(dkVariants);
  left->addWidget(tvVariants, 1);

  gbAM2 = new QGroupBox(this);
  gbAM2->setObjectName(QStringLiteral("gbAM2"));
  lbAnswerCaption = new QLabel(gbAM2);
  edCaption = new QLineEdit(gbAM2);
  edCaption->setObjectName(QStringLiteral("edCaption"));
  lbTextAnswer = new QLabel(gbAM2);
  reText = new QPlainTextEdit(gbAM2);
  reText->setObjectName(QStringLiteral("reText"));
  lbAnswerCaption->setBuddy(edCaption);
  lbTextAnswer->setBuddy(reText);
  auto *right = new QVBoxLayout(gbAM2);
  right->addWidget(lbAnswerCaption);
  right->addWidget(edCaption);
  right->addWidget(lbTextAnswer);
  right->addWidget(reText, 1);

  QHBoxLayout *buttons = MakeButtonRow();
  btnApply->setEnabled(false);
  auto *groups = new QHBoxLayout;
  groups->addWidget(gbAM1, 1);
  groups->addWidget(gbAM2, 1);
  auto *all = new QVBoxLayout(this);
  all->addLayout(groups, 1);
  all->addLayout(buttons);

  actAddNewTextAnswer.OnExecute = [this](TTBCustomItem *) { AddNewTextAnswer(); };
  actDeleteTextAnswer.OnExecute = [this](TTBCustomItem *) { DeleteTextAnswer(); };
  connect(tvVariants, &QTreeWidget::currentItemChanged, this, [this] {
    UpdateNodeImages();
    NodeSelected();
  });
  connect(edCaption, &QLineEdit::textEdited, this, [this] { CaptionEdited(); });
  connect(reText, &QPlainTextEdit::textChanged, this, [this] { TextEdited(); });
  connect(btnOk, &QPushButton::clicked, this, [this] {
    Store();
    accept();
  });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnApply, &QPushButton::clicked, this, [this] { Store(); });

  for (QWidget *w : std::initializer_list<QWidget *>{edCaption, reText, tvVariants}) w->installEventFilter(this);

  LoadVariants();
  SetLanguage(LanguageFile);
  FModified = false;
  UpdateState();
}

TfmAnsweringmachine::~TfmAnsweringmachine() {
  // The toolbar outlives the list it draws from.
  tbBtnVariants->SetImages(nullptr);
}

void TfmAnsweringmachine::SetLanguage(const std::string &LanguageFile) {
  const TLanguageFile file(LanguageFile);
  btnOk->setText(OkCaption());
  btnCancel->setText(CancelCaption());
  btnApply->setText(ApplyCaption());
  setWindowTitle(DialogText(file, "TfmAnsweringmachine", "Caption", "Auto-Reply options"));
  gbAM1->setTitle(DialogText(file, "gbAM1", "Caption", "Variants of answers"));
  gbAM2->setTitle(DialogText(file, "gbAM2", "Caption", "Details"));
  actAddNewTextAnswer.SetCaption(DialogText(file, "actAddNewTextAnswer", "Caption", "New"));
  actDeleteTextAnswer.SetCaption(DialogText(file, "actDeleteTextAnswer", "Caption", "Delete"));
  lbAnswerCaption->setText(DialogText(file, "lbAnswerCaption", "Caption", "Caption:"));
  lbTextAnswer->setText(DialogText(file, "lbTextAnswer", "Caption", "Text:"));
}

void TfmAnsweringmachine::LoadVariants() {
  std::vector<std::string> sections;
  ListAMSections(FKey, sections);
  for (const std::string &section : sections) {
    TVariant v;
    ReadAMText(FKey, v.Caption, v.Text, section);
    v.Number = AMSectionNumber(section);
    // A section without a number of its own is stored anew under the next.
    FLastNumber = std::max(FLastNumber, v.Number);
    FVariants.push_back(std::move(v));
    AddVariantNode(static_cast<int>(FVariants.size()) - 1);
  }
}

TKcTreeNode *TfmAnsweringmachine::AddVariantNode(int Index) {
  FFilling = true;
  TKcTreeNode *node = tvVariants->AddChild(nullptr, FromAnsi(FVariants[Index].Caption));
  node->setData(0, kVariantData, Index);
  node->setData(0, kImageRole, -1);
  node->setData(0, kSelectedImageRole, int(kVariantImage));
  tvVariants->setCurrentItem(node);
  tvVariants->setFocus();
  FFilling = false;
  NodeSelected();
  return node;
}

int TfmAnsweringmachine::NodeImageIndex(const TKcTreeNode *Node, bool Selected) {
  if (!Node) return -1;
  const QVariant v = Node->data(0, Selected ? kSelectedImageRole : kImageRole);
  return v.isValid() ? v.toInt() : -1;
}

void TfmAnsweringmachine::UpdateNodeImages() {
  // Every node, not only the two of the change: a deleted node has no
  // previous one to clear.
  const QTreeWidgetItem *current = tvVariants->currentItem();
  for (int i = 0; i < tvVariants->topLevelItemCount(); ++i) {
    QTreeWidgetItem *node = tvVariants->topLevelItem(i);
    const int index = node->data(0, node == current ? kSelectedImageRole : kImageRole).toInt();
    node->setIcon(0, ilVariants.ValidIndex(index) ? QIcon(QPixmap::fromImage(ilVariants.GetImage(index))) : QIcon());
  }
}

int TfmAnsweringmachine::SelectedVariant() const {
  const QTreeWidgetItem *node = tvVariants->currentItem();
  if (!node) return -1;
  const int index = node->data(0, kVariantData).toInt();
  if (index < 0 || index >= static_cast<int>(FVariants.size()) || !FVariants[index].Active) return -1;
  return index;
}

void TfmAnsweringmachine::AddNewTextAnswer() {
  FVariants.push_back({});
  AddVariantNode(static_cast<int>(FVariants.size()) - 1);
  FModified = true;
  SetDetailsEnabled(true);
  edCaption->setFocus();
  UpdateState();
}

void TfmAnsweringmachine::DeleteTextAnswer() {
  const int index = SelectedVariant();
  if (index < 0) return;
  delete tvVariants->currentItem();
  FVariants[index].Active = false;
  FVariants[index].Deleted = true;
  FModified = true;
  NodeSelected();
  UpdateState();
}

void TfmAnsweringmachine::NodeSelected() {
  if (FFilling) return;
  const int index = SelectedVariant();
  FFilling = true;
  if (index >= 0) {
    edCaption->setText(FromAnsi(FVariants[index].Caption));
    reText->setPlainText(FromAnsi(FVariants[index].Text));
  }
  FFilling = false;
  UpdateState();
}

void TfmAnsweringmachine::CaptionEdited() {
  const int index = SelectedVariant();
  if (FFilling || index < 0) return;
  FVariants[index].Caption = ToAnsi(edCaption->text());
  tvVariants->currentItem()->setText(0, edCaption->text());
  FModified = true;
  UpdateState();
}

void TfmAnsweringmachine::TextEdited() {
  const int index = SelectedVariant();
  if (FFilling || index < 0) return;
  FVariants[index].Text = ToAnsi(reText->toPlainText());
  FModified = true;
  UpdateState();
}

void TfmAnsweringmachine::SetDetailsEnabled(bool On) {
  if (On == FDetailsEnabled) return;
  FDetailsEnabled = On;
  FFilling = true;
  for (QWidget *w : std::initializer_list<QWidget *>{edCaption, reText}) {
    w->setEnabled(On);
    w->setBackgroundRole(On ? QPalette::Base : QPalette::Button);
  }
  if (!On) {
    edCaption->clear();
    reText->clear();
  }
  FFilling = false;
}

void TfmAnsweringmachine::UpdateState() {
  SetDetailsEnabled(SelectedVariant() >= 0);
  actDeleteTextAnswer.SetEnabled(SelectedVariant() >= 0);
  btnApply->setEnabled(FModified);
}

void TfmAnsweringmachine::SaveVariants() {
  std::vector<TAMVariant> stored;
  for (TVariant &v : FVariants) {
    if (!v.Active) continue;
    if (v.Number <= 0) v.Number = ++FLastNumber;
    stored.push_back({v.Number, v.Caption, v.Text});
  }
  SaveAMVariants(FKey, stored);
  FModified = false;
  UpdateState();
  if (OnSaved) OnSaved();
}

void TfmAnsweringmachine::Store() { SaveVariants(); }

bool TfmAnsweringmachine::HandleKey(QKeyEvent *Event) {
  switch (Event->key()) {
  case Qt::Key_Escape: reject(); return true;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    // Shift+Enter is a new line of the reply text.
    if (Event->modifiers() & Qt::ShiftModifier) return false;
    Store();
    accept();
    return true;
  case Qt::Key_F1: ShowDialogHelp(kHelpContext); return true;
  default: return false;
  }
}

} // namespace kc
