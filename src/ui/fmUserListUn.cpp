#include "ui/fmUserListUn.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>

#include <algorithm>

#include "core/ConstUnit.h"
#include "core/KavetChatNetUn.h"
#include "core/LngUn.h"
#include "core/iniFileUn.h"
#include "platform/Canvas.h"
#include "platform/CodePage.h"
#include "toolbars/TBSkinPlus.h"
#include "ui/fmEditorUn.h"
#include "ui/fmKavetChatActions.h"
#include "ui/fmKavetChatUn.h"
#include "ui/UnsendableTextUn.h"
#include "widgets/KcDraw.h"
#include "widgets/glGrBox.h"

namespace kc {

using namespace kc::tb;

namespace {

QString qs(const std::string &Ansi) { return QString::fromStdString(ansiToUtf8(Ansi)); }
std::string ansi(const QString &Text) { return utf8ToAnsi(Text.toStdString()); }
QString msg(std::string_view Name) { return qs(MessageText(Name)); }

std::string jsonString(const QString &s) {
  std::string out = "\"";
  for (const char c : s.toStdString()) {
    switch (c) {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default:
      if (static_cast<unsigned char>(c) < 0x20) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", c);
        out += buf;
      } else {
        out += c;
      }
    }
  }
  return out + "\"";
}

double Luminance(TColor c) {
  const TColor rgb = ColorToRGB(c);
  return 0.299 * GetRValue(rgb) + 0.587 * GetGValue(rgb) + 0.114 * GetBValue(rgb);
}

// The caption band in a skin colour, its text kept readable on it: the
// skin's light popup colour would leave white text all but invisible.
void SetCaptionColour(TglGroupBox *Box, TColor Caption) {
  Box->Colors().SetCaption(Caption);
  Box->Colors().SetCaptionActive(Caption);
  const TColor text = TfmUserList::ReadableUserColor(clHighlightText, Caption);
  Box->Colors().SetText(text);
  Box->Colors().SetTextActive(text);
}

} // namespace

// ------------------------------------------------------------------ trees

bool TUserTree::AcceptsDrag(const TKcTreeView *Source, const TKcTreeView *Target) {
  return Source && Target && Source != Target && dynamic_cast<const TUserTree *>(Source) && Source->Selected();
}

void TUserTree::dragEnterEvent(QDragEnterEvent *e) {
  if (AcceptsDrag(qobject_cast<TKcTreeView *>(e->source()), this)) e->acceptProposedAction();
  else e->ignore();
}

void TUserTree::dragMoveEvent(QDragMoveEvent *e) {
  // The base scrolls near the edges; whether the drop is taken is ours.
  TKcTreeView::dragMoveEvent(e);
  if (AcceptsDrag(qobject_cast<TKcTreeView *>(e->source()), this)) e->acceptProposedAction();
  else e->ignore();
}

void TUserTree::dropEvent(QDropEvent *e) {
  auto *source = dynamic_cast<TUserTree *>(qobject_cast<TKcTreeView *>(e->source()));
  if (!AcceptsDrag(source, this)) {
    e->ignore();
    return;
  }
  // The node moves through the list, never by the view's own item copy.
  e->setDropAction(Qt::IgnoreAction);
  e->accept();
  if (OnUserDropped) OnUserDropped(source, this);
}

// ------------------------------------------------------------------ helpers

int TfmUserList::GroupBoxHeight(int Rows, int RowHeight) {
  // The last row's bottom twice less its top: room for one row more.
  const int h = Rows <= 0 ? 0 : (Rows + 1) * std::max(1, RowHeight);
  return std::clamp(h, kMinTreeHeight, kMaxTreeHeight) + kBoxFrame;
}

TColor TfmUserList::ReadableUserColor(TColor User, TColor Background) {
  const double u = Luminance(User), b = Luminance(Background);
  if (std::abs(u - b) >= 60) return User;
  return b > 128 ? RGB(0, 0, 0) : RGB(255, 255, 255);
}

QString TfmUserList::NodeText(const RUserID &Record) {
  const std::string_view alias = TrimText(Record.ALIAS);
  return qs(alias.empty() ? Record.IP : std::string(alias));
}

// ------------------------------------------------------------------ window

TfmUserList::TfmUserList(TfmKavetChat &Main) : QWidget(nullptr, Qt::Tool), FMain(Main) {
  setObjectName(QStringLiteral("fmUserList"));
  setAccessibleName(QStringLiteral("User list"));
  setWindowTitle(QStringLiteral("User list"));
  resize(173, 280);
  setMinimumSize(120, 150);
  // Caption colours from the skin.
  const TTBColors &colors = DefaultSkin().Colors;
  FFocusedCaption = colors.ColorByIndex(tcSelBar);
  FUnfocusedCaption = colors.ColorByIndex(tcPopup);
  FUnfocusedBadCaption = colors.ColorByIndex(tcGradStart);
  FSelBar = colors.ColorByIndex(tcSelBar);
  FSelBarBorder = colors.ColorByIndex(tcSelBarBorder);

  sbUserList = new QScrollArea(this);
  sbUserList->setObjectName(QStringLiteral("sbUserList"));
  sbUserList->setFrameShape(QFrame::NoFrame);
  sbUserList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sbUserList->setWidgetResizable(false);
  FContent = new QWidget;
  FContent->setObjectName(QStringLiteral("pnUserList"));
  sbUserList->setWidget(FContent);
  sbUserList->viewport()->installEventFilter(this);
  // Trees of boxes scrolled into view are made as they come.
  QObject::connect(sbUserList->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { MakeTreesInView(); });

  TBoxView main = MakeBox(QStringLiteral("Main group"), kMainGroupTag, {});
  MakeTree(FBoxes.back());
  main.Tree = FBoxes.back().Tree;
  gbMain = main.Box;
  tvMainGroup = main.Tree;
  gbMain->setObjectName(QStringLiteral("gbMain"));
  tvMainGroup->setObjectName(QStringLiteral("tvMainGroup"));
  TBoxView bad = MakeBox(QStringLiteral("Bad list"), kBadListTag, {});
  MakeTree(FBoxes.back());
  bad.Tree = FBoxes.back().Tree;
  gbBadList = bad.Box;
  tvBadList = bad.Tree;
  gbBadList->setObjectName(QStringLiteral("gbBadList"));
  tvBadList->setObjectName(QStringLiteral("tvBadList"));
  SetCaptionColour(gbBadList, FUnfocusedBadCaption);

  MakeActions();
  MakeMenu();
  MakeShortcuts();
  // The fixed boxes' identifiers and collapse states are the model's.
  for (const TGroupBoxInfo &g : FMain.Users().Groups()) {
    TglGroupBox *box = FindGroupBox(g.Tag);
    if (!box) box = ShowGroupBox(g);
    box->SetHint(QString::fromStdString(g.GroupID));
  }
  ApplyUserListTexts();
  ScheduleFit();
}

TfmUserList::~TfmUserList() {
  FFitTimer.stop();
  FNodes.clear();
}

TUserGroups TfmUserList::Groups() { return TUserGroups(FMain, &FMain.Host().Net(), FMain.Host().Key()); }

TfmUserList::TBoxView TfmUserList::MakeBox(const QString &Caption, std::int32_t Tag, const QString &GroupID) {
  auto *box = new TglGroupBox(FContent);
  box->SetTag(Tag);
  box->SetCaption(Caption.trimmed().isEmpty() ? QStringLiteral(" ") : Caption.trimmed());
  box->SetHint(GroupID);
  box->setAccessibleName(box->Caption());
  box->setFocusPolicy(Qt::ClickFocus);
  box->SetCaptionAlignment(TCaptionAlignment::fcaWidth);
  box->SetOptions(fgoCanCollapse | fgoFilledCaption | fgoBufferedDraw | fgoSaveChildFocus);
  box->CaptionShift().SetY(-18);
  SetCaptionColour(box, FUnfocusedCaption);
  box->OnExpanded = [this](TglGroupBox *) { ScheduleFit(); };
  box->OnCollapsed = [this](TglGroupBox *b) {
    Groups().SetCollapsed(b->Tag(), true);
    ScheduleFit();
  };
  box->installEventFilter(this);
  box->show();
  FBoxes.push_back({box, nullptr});
  return FBoxes.back();
}

TUserTree *TfmUserList::MakeTree(TBoxView &View) {
  if (View.Tree) return View.Tree;
  TglGroupBox *box = View.Box;
  auto *tree = new TUserTree(box);
  if (box->Tag() > kBadListTag) tree->setObjectName(QStringLiteral("tvGroup%1").arg(box->Tag()));
  tree->setFrameShape(QFrame::NoFrame);
  tree->setRootIsDecorated(false);
  tree->setIndentation(0);
  // Every row has the same picture and font: the view need not measure each.
  tree->setUniformRowHeights(true);
  tree->setIconSize(FBigImages ? QSize(32, 32) : QSize(16, 16));
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree->setDragEnabled(true);
  tree->setAcceptDrops(true);
  tree->setDragDropMode(QAbstractItemView::DragDrop);
  tree->setDefaultDropAction(Qt::MoveAction);
  tree->setAccessibleName(box->Caption());
  tree->OnCustomDrawItem = [this](TKcTreeView *t, TKcTreeNode *n, TKcCustomDrawItem &d) { DrawNode(t, n, d); };
  tree->OnUserDropped = [this](TUserTree *Source, TUserTree *Target) {
    if (!Source->Selected()) return;
    MoveUserToGroup(Target, Source->Selected());
    // The user goes on with the one he dragged, where it went.
    Target->setFocus();
  };
  QObject::connect(tree, &QTreeWidget::itemDoubleClicked, this,
                   [this](QTreeWidgetItem *, int) { FMain.ActionList().actMessageToUser.Execute(nullptr); });
  tree->OnSelectionChange = [this](TKcTreeView *) { FMain.UserListChanged(); };
  QObject::connect(tree, &QTreeWidget::currentItemChanged, this, [this] { FMain.UserListChanged(); });
  tree->installEventFilter(this);
  View.Tree = tree;
  PlaceTree(View);
  return tree;
}

void TfmUserList::PlaceTree(const TBoxView &View) {
  if (!View.Tree) return;
  const int top = View.Box->BodyTop();
  View.Tree->setGeometry(2, top, std::max(0, View.Box->width() - 4), std::max(0, View.Box->height() - top - 2));
  View.Tree->setVisible(!View.Box->Collapsed());
}

TUserTree *TfmUserList::MakeTree(TglGroupBox *Box) {
  for (TBoxView &v : FBoxes)
    if (v.Box == Box) return MakeTree(v);
  return nullptr;
}

void TfmUserList::MakeTreesInView() {
  // A box in view, or beside it, shows its tree (drops, clicks and the
  // keyboard need it); the others make it when they get a member.
  const QWidget *port = sbUserList->viewport();
  const int top = -FContent->y() - port->height(), bottom = -FContent->y() + 2 * port->height();
  for (TBoxView &v : FBoxes)
    if (!v.Tree && !v.Box->Collapsed() && v.Box->y() < bottom && v.Box->y() + v.Box->height() > top) MakeTree(v);
}

TglGroupBox *TfmUserList::ShowGroupBox(const TGroupBoxInfo &Group) {
  if (TglGroupBox *box = FindGroupBox(Group.Tag)) return box;
  TBoxView v = MakeBox(qs(Group.Caption), Group.Tag, QString::fromStdString(Group.GroupID));
  v.Box->setObjectName(QStringLiteral("gbGroup%1").arg(Group.Tag));
  if (Group.Collapsed) v.Box->SetCollapsed(true);
  ScheduleFit();
  return v.Box;
}

TglGroupBox *TfmUserList::FindGroupBox(std::int32_t Tag) const {
  for (const TBoxView &v : FBoxes)
    if (v.Box->Tag() == Tag) return v.Box;
  return nullptr;
}

TUserTree *TfmUserList::TreeOf(const TglGroupBox *Box) {
  if (!Box) return nullptr;
  if (auto *tree = Box->findChild<TUserTree *>(QString(), Qt::FindDirectChildrenOnly)) return tree;
  // Asked for, the tree is needed now.
  auto *list = dynamic_cast<TfmUserList *>(Box->window());
  return list ? list->MakeTree(const_cast<TglGroupBox *>(Box)) : nullptr;
}

TUserTree *TfmUserList::FindGroupTree(std::int32_t Tag) const {
  const TglGroupBox *box = FindGroupBox(Tag);
  return box ? TreeOf(box) : tvMainGroup;
}

std::vector<TglGroupBox *> TfmUserList::GroupBoxes() const {
  std::vector<TglGroupBox *> out;
  for (const TBoxView &v : FBoxes) out.push_back(v.Box);
  return out;
}

// A user's node stores nothing but his record number: its text and picture
// are read from the record when shown, as a list of thousands of users
// would otherwise hold each of them twice.
class TfmUserList::TUserNode final : public TKcTreeNode {
public:
  TUserNode(TfmUserList &List, int UserIndex) : FList(List) { Data = UserIndex; }
  QVariant data(int Column, int Role) const override {
    if (Column == 0 && (Role == Qt::DisplayRole || Role == Qt::EditRole || Role == Qt::DecorationRole))
      if (const RUserID *r = FList.FMain.Users().Record(Data))
        return Role == Qt::DecorationRole ? QVariant(FList.UserIcon(r->IMAGEINDEX)) : QVariant(NodeText(*r));
    return TKcTreeNode::data(Column, Role);
  }
  // The record changed: the tree shows it anew.
  void RecordChanged() { emitDataChanged(); }

private:
  TfmUserList &FList;
};

TKcTreeNode *TfmUserList::FindUserNode(int UserIndex) const { return NodeOf(UserIndex); }

TfmUserList::TUserNode *TfmUserList::NodeOf(int UserIndex) const {
  return UserIndex >= 0 && std::size_t(UserIndex) < FNodes.size() ? FNodes[std::size_t(UserIndex)] : nullptr;
}

QIcon TfmUserList::UserIcon(std::int32_t ImageIndex) {
  const int key = ImageIndex * 2 + (FBigImages ? 1 : 0);
  auto it = FIcons.find(key);
  if (it != FIcons.end()) return *it;
  TCustomImageList &list = FBigImages ? FMain.ilProfilesImage : FMain.ilProfilesImage16x16;
  QIcon icon;
  if (ImageIndex >= 0 && list.ValidIndex(ImageIndex)) icon = QIcon(QPixmap::fromImage(list.GetImage(ImageIndex)));
  FIcons.insert(key, icon);
  return icon;
}

// ------------------------------------------------------------------ nodes

void TfmUserList::UserChanged(std::string_view Change, int UserIndex) {
  if (Change == "new") AddUserNode(UserIndex);
  else if (Change == "update") UpdateUserNode(UserIndex);
  else if (Change == "disconnect") RemoveUserNode(UserIndex);
}

void TfmUserList::AddUserNode(int UserIndex) {
  const RUserID *r = FMain.Users().Record(UserIndex);
  if (!r || UserIndex <= 0) return;
  RemoveUserNode(UserIndex);
  TUserTree *tree = FindGroupTree(r->GroupTag);
  auto node = std::make_unique<TUserNode>(*this, UserIndex);
  node->SetCut(r->Deactivated != 0);
  if (FNodes.size() <= std::size_t(UserIndex)) FNodes.resize(std::size_t(UserIndex) + 1);
  FNodes[std::size_t(UserIndex)] = node.get();
  tree->AddNode(nullptr, std::move(node));
  ScheduleFit();
}

void TfmUserList::RemoveUserNode(int UserIndex) {
  TUserNode *node = NodeOf(UserIndex);
  if (!node) return;
  FNodes[std::size_t(UserIndex)] = nullptr;
  delete node;
  ScheduleFit();
}

void TfmUserList::UpdateUserNode(int UserIndex) {
  if (TUserNode *node = NodeOf(UserIndex)) node->RecordChanged();
}

void TfmUserList::DrawNode(TKcTreeView *Tree, TKcTreeNode *Node, TKcCustomDrawItem &Draw) {
  const RUserID *r = FMain.Users().Record(Node->Data);
  if (!Tree || !r || Node->Data == 0) return;
  const TColor background = TColorOf(Tree->palette().color(QPalette::Base));
  if (Draw.Selected) {
    Draw.Background = FSelBar;
    Draw.Text = ReadableUserColor(r->COLOR, FSelBar);
    if (Draw.Canvas) {
      // The frame in the skin's border colour, the bar inside it.
      Draw.Canvas->fillRect(Draw.Rect, QColorOf(FSelBarBorder));
      Draw.Canvas->fillRect(Draw.Rect.adjusted(1, 1, -1, -1), QColorOf(FSelBar));
    }
  } else {
    Draw.Text = ReadableUserColor(r->COLOR, background);
  }
  if (Node->Cut()) Draw.Text = clGrayText;
}

// ------------------------------------------------------------------ heights

void TfmUserList::ScheduleFit() {
  // One fit for every change of this turn of the event loop.
  if (FFitTimer.active()) return;
  // A period of 0 would not start the timer at all.
  FFitTimer.start(1, [this] {
    FFitTimer.stop();
    FitAllGroupBoxHeights();
  });
}

void TfmUserList::FitAllGroupBoxHeights() {
  FFitTimer.stop();
  for (const TBoxView &v : FBoxes) {
    // A collapsed box keeps its height; the next ones are still fitted.
    if (v.Box->Collapsed()) continue;
    const int rows = v.Tree ? v.Tree->topLevelItemCount() : 0;
    const int rowHeight = rows > 0 ? std::max(v.Tree->sizeHintForRow(0), v.Tree->iconSize().height() + 2) : 0;
    const int h = GroupBoxHeight(rows, rowHeight);
    v.Box->resize(v.Box->width(), h + v.Box->BodyTop());
    v.Box->SetFullHeight(v.Box->height());
  }
  LayOutBoxes();
}

void TfmUserList::LayOutBoxes() {
  const int w = sbUserList->viewport()->width();
  int y = 0;
  for (const TBoxView &v : FBoxes) {
    v.Box->setGeometry(0, y, w, v.Box->height());
    PlaceTree(v);
    y += v.Box->height();
  }
  FContent->resize(w, std::max(y, 1));
  MakeTreesInView();
  FMain.UserListChanged();
}

void TfmUserList::resizeEvent(QResizeEvent *Event) {
  QWidget::resizeEvent(Event);
  sbUserList->setGeometry(rect());
  LayOutBoxes();
}

// ------------------------------------------------------------------ moves

void TfmUserList::MoveUserToGroup(TUserTree *Target, TKcTreeNode *Node) {
  if (!Target || !Node || Node->Data == 0) return;
  TglGroupBox *box = qobject_cast<TglGroupBox *>(Target->parentWidget());
  if (!box || Node->treeWidget() == Target) return;
  const int index = Node->Data;
  if (!Groups().MoveUser(index, box->Tag())) return;
  AddUserNode(index);
  if (TKcTreeNode *n = FindUserNode(index)) {
    Target->SelectNode(n);
  }
}

void TfmUserList::CreateNewGroup(TKcTreeNode *MoveNode) {
  const std::int32_t tag = Groups().CreateGroup(" ");
  const TGroupBoxInfo *g = FMain.Users().FindGroup(tag);
  if (!g) return;
  TglGroupBox *box = ShowGroupBox(*g);
  if (MoveNode) MoveUserToGroup(TreeOf(box), MoveNode);
  FitAllGroupBoxHeights();
  OpenRenameEditor(box);
  if (FEditor) FEditor->edEditor->clear();
}

void TfmUserList::OpenRenameEditor(TglGroupBox *Box) {
  if (!Box || Box == gbMain || Box == gbBadList) return;
  if (FEditor) FEditor->close();
  FEditor = new TfmEditor(*Box);
  QPointer<TglGroupBox> box(Box);
  FEditor->OnCommit = [this, box](const QString &Text) {
    if (box) CommitRename(box, Text);
  };
  FEditor->Open(Box->Caption().trimmed());
}

void TfmUserList::CommitRename(TglGroupBox *Box, const QString &Text) {
  if (!Box || Box == gbMain || Box == gbBadList) return;
  const std::string name = TUserGroups::GroupName(ansi(Text));
  if (!Groups().RenameGroup(Box->Tag(), name)) return;
  // The name is kept and sent in the code page: say which characters
  // became "?" rather than let them go unnoticed.
  FMain.ShowUnsendableNotice(UnsendableNotice(FindUnsendableText(Text.toStdU16String(), ansiCodePage())));
  Box->SetCaption(qs(name));
  Box->setAccessibleName(Box->Caption());
  if (TUserTree *t = TreeOf(Box)) t->setAccessibleName(Box->Caption());
  FMain.UserListChanged();
}

void TfmUserList::DeleteGroup(TglGroupBox *Box) {
  if (!Box || Box == gbMain || Box == gbBadList) return;
  // A box that never had a tree has no members shown: no tree is made for it.
  TUserTree *tree = Box->findChild<TUserTree *>(QString(), Qt::FindDirectChildrenOnly);
  std::vector<int> order;
  for (int i = 0; tree && i < tree->topLevelItemCount(); ++i) order.push_back(tree->Node(i)->Data);
  const std::int32_t tag = Box->Tag();
  if (!Groups().DeleteGroup(tag, order)) return;
  // Moved from the last node to the first, so they land in that order.
  for (auto it = order.rbegin(); it != order.rend(); ++it)
    if (const RUserID *r = FMain.Users().Record(*it); r && r->Active) AddUserNode(*it);
  FBoxes.erase(std::remove_if(FBoxes.begin(), FBoxes.end(), [&](const TBoxView &v) { return v.Box == Box; }),
               FBoxes.end());
  if (FPopupComponent == Box || (tree && FPopupComponent == tree)) FPopupComponent = nullptr;
  Box->hide();
  Box->deleteLater();
  FitAllGroupBoxHeights();
}

void TfmUserList::ToggleCollapse(TglGroupBox *Box) {
  if (!Box) return;
  Box->ChangeCollapsed(!Box->Collapsed());
  Groups().SetCollapsed(Box->Tag(), Box->Collapsed());
  FitAllGroupBoxHeights();
}

void TfmUserList::ToggleDeactivated(TUserTree *Tree) {
  if (!Tree) return;
  TKcTreeNode *node = Tree->Selected();
  if (!node || node->Data == 0) return;
  const bool on = !node->Cut();
  if (!Groups().SetDeactivated(node->Data, on)) return;
  node->SetCut(on);
  FMain.UserListChanged();
}

// ------------------------------------------------------------------ selection

int TfmUserList::GetSelectedUserIndex() const {
  QWidget *w = focusWidget();
  if (!w) w = FPopupComponent;
  TKcTreeView *tree = qobject_cast<TKcTreeView *>(w);
  if (!tree) tree = TreeOf(qobject_cast<TglGroupBox *>(w));
  if (!tree) return -1;
  const TKcTreeNode *node = tree->Selected();
  if (!node || !node->isSelected() || node->Data <= 0) return -1;
  return node->Data;
}

TglGroupBox *TfmUserList::GetSelectedGroupBox() const {
  QWidget *w = focusWidget();
  if (!w) w = FPopupComponent;
  if (auto *box = qobject_cast<TglGroupBox *>(w)) return box;
  if (auto *tree = qobject_cast<TKcTreeView *>(w)) return qobject_cast<TglGroupBox *>(tree->parentWidget());
  return nullptr;
}

bool TfmUserList::SelectUser(int UserIndex) {
  TKcTreeNode *node = FindUserNode(UserIndex);
  if (!node) return false;
  auto *tree = static_cast<TKcTreeView *>(node->treeWidget());
  tree->setFocus();
  tree->SelectNode(node);
  return true;
}

bool TfmUserList::SelectByText(const QString &Text) {
  for (const TBoxView &v : FBoxes)
    for (int i = 0; v.Tree && i < v.Tree->topLevelItemCount(); ++i)
      if (v.Tree->Node(i)->Text().startsWith(Text, Qt::CaseInsensitive)) return SelectUser(v.Tree->Node(i)->Data);
  return false;
}

// ------------------------------------------------------------------ actions

void TfmUserList::MakeActions() {
  actDeactiveUser.SetCaption(QStringLiteral("Deactive"));
  actDeactiveUser.SetShortCut(scCtrl | 'D');
  actAddToBadList.SetCaption(QStringLiteral("Add to bad list"));
  actAddToBadList.SetShortCut(scCtrl | 'B');
  actOtherProfils.SetCaption(QStringLiteral("User profile"));
  actOtherProfils.SetShortCut(scAlt | 0x0D);
  actCreateNewGroup.SetCaption(QStringLiteral("Create new group"));
  actCreateNewGroup.SetShortCut(0x2D); // Insert (Ctrl+N too)
  actRenameGroupBox.SetCaption(QStringLiteral("Rename group"));
  actRenameGroupBox.SetShortCut(0x71); // F2
  actDeleteGroupBox.SetCaption(QStringLiteral("Delete group"));
  actDeleteGroupBox.SetShortCut(0x2E); // Delete
  actCollapseAndUncollapse.SetCaption(QStringLiteral("Collapse group"));
  actCollapseAndUncollapse.SetShortCut(scCtrl | 'R');
  UIactMailUser.SetCaption(QStringLiteral("Mail"));
  UIactMailAll.SetCaption(QStringLiteral("Mail all"));
  UIactMailEmpty.SetCaption(QStringLiteral("Create empty mail"));
  UIactMailGroup.SetCaption(QStringLiteral("Create mail to group"));

  TMainActionList &main = FMain.ActionList();
  actDeactiveUser.OnExecute = [this](TTBCustomItem *Sender) {
    FMain.SelectMemberUser();
    ToggleDeactivated(TreeMeant(Sender));
    EndAction();
  };
  actAddToBadList.OnExecute = [this](TTBCustomItem *) {
    auto *tree = dynamic_cast<TUserTree *>(focusWidget());
    if (tree && tree != tvBadList && tree->Selected()) MoveUserToGroup(tvBadList, tree->Selected());
  };
  actOtherProfils.OnExecute = [&main](TTBCustomItem *Sender) { main.actUserNetProfile.Execute(Sender); };
  UIactMailUser.OnExecute = [&main](TTBCustomItem *Sender) { main.actMailUser.Execute(Sender); };
  UIactMailAll.OnExecute = [&main](TTBCustomItem *Sender) { main.actMailAll.Execute(Sender); };
  UIactMailEmpty.OnExecute = [&main](TTBCustomItem *Sender) { main.actMailEmpty.Execute(Sender); };
  UIactMailGroup.OnExecute = [&main](TTBCustomItem *Sender) { main.actMailGroup.Execute(Sender); };
  actCreateNewGroup.OnExecute = [this](TTBCustomItem *Sender) {
    FMain.SelectMemberUser();
    TKcTreeNode *move = nullptr;
    if (Sender && Sender == miCreateNewGroup)
      if (auto *tree = dynamic_cast<TUserTree *>(FPopupComponent.data())) move = tree->Selected();
    CreateNewGroup(move);
    EndAction();
  };
  actRenameGroupBox.OnExecute = [this](TTBCustomItem *Sender) {
    OpenRenameEditor(BoxMeant(Sender));
    EndAction();
  };
  actDeleteGroupBox.OnExecute = [this](TTBCustomItem *Sender) {
    DeleteGroup(BoxMeant(Sender));
    EndAction();
  };
  actCollapseAndUncollapse.OnExecute = [this](TTBCustomItem *Sender) {
    ToggleCollapse(BoxMeant(Sender));
    EndAction();
  };
}

TglGroupBox *TfmUserList::BoxMeant(TTBCustomItem *Sender) const {
  QWidget *w = Sender ? FPopupComponent.data() : focusWidget();
  if (auto *box = qobject_cast<TglGroupBox *>(w)) return box;
  if (auto *tree = dynamic_cast<TUserTree *>(w)) return qobject_cast<TglGroupBox *>(tree->parentWidget());
  return nullptr;
}

TUserTree *TfmUserList::TreeMeant(TTBCustomItem *Sender) const {
  if (FMemberMenu || !Sender) return dynamic_cast<TUserTree *>(focusWidget());
  return dynamic_cast<TUserTree *>(FPopupComponent.data());
}

void TfmUserList::EndAction() {
  FPopupComponent = nullptr;
  FMemberMenu = false;
}

void TfmUserList::MakeMenu() {
  FPopup = std::make_unique<TTBPopupMenu>();
  TTBCustomItem &root = *FPopup->Items();
  TMainActionList &main = FMain.ActionList();
  auto add = [](TTBCustomItem &Parent, TTBAction &Action, const char *Name, int Tag) {
    auto *item = new TTBItem;
    item->SetAction(&Action);
    item->SetName(QString::fromLatin1(Name));
    item->Tag = Tag;
    Parent.Add(item);
    return item;
  };
  auto separator = [](TTBCustomItem &Parent, int Tag = 0) {
    auto *s = new TTBSeparatorItem;
    s->Tag = Tag;
    Parent.Add(s);
  };
  miSendMessageToUser = add(root, main.actMessageToUser, "miSendMessageToUser", -100);
  miSendMessageToUser->SetOptions(miSendMessageToUser->Options() | tboDefault);
  miSendMessageToGroup = add(root, main.actMessageToGroup, "miSendMessageToGroup", -200);
  miUIMailUser = new TTBSubmenuItem;
  miUIMailUser->SetName(QStringLiteral("miUIMailUser"));
  miUIMailUser->SetCaption(QStringLiteral("Mail"));
  root.Add(miUIMailUser);
  add(*miUIMailUser, UIactMailUser, "miUIMailUserDefault", 0)->SetOptions(tboDefault);
  add(*miUIMailUser, UIactMailGroup, "miUIMailGroup", 0);
  separator(*miUIMailUser);
  add(*miUIMailUser, UIactMailAll, "miUIMailAll", 0);
  add(*miUIMailUser, UIactMailEmpty, "miUIMailEmpty", 0);
  separator(root);
  miDeactive = add(root, actDeactiveUser, "miDeactive", -100);
  tbMoveToGroup = new TTBSubmenuItem;
  tbMoveToGroup->SetName(QStringLiteral("tbMoveToGroup"));
  tbMoveToGroup->SetCaption(QStringLiteral("Move to group"));
  tbMoveToGroup->Tag = -100;
  root.Add(tbMoveToGroup);
  separator(*tbMoveToGroup, -100);
  miCreateNewGroup = add(*tbMoveToGroup, actCreateNewGroup, "miCreateNewGroup", -100);
  miUserProfil = add(root, actOtherProfils, "miUserProfil", -100);
  separator(root);
  tbDeleteGroup = add(root, actDeleteGroupBox, "tbDeleteGroup", -200);
  miRenameGroup = add(root, actRenameGroupBox, "miRenameGroup", -200);
  tbCollapseAndUncollapse = add(root, actCollapseAndUncollapse, "tbCollapseAndUncollapse", -1000);
  separator(root);
  miCreateNewGroupBox = add(root, actCreateNewGroup, "miCreateNewGroupBox", -300);
  separator(root);
  add(root, main.actStayOnTopUserList, "miStayOnTopUserList", 0);
}

void TfmUserList::MoveToGroupClick(TTBCustomItem *Sender) {
  FMain.SelectMemberUser();
  if (!Sender || Sender->Tag < 0) return;
  QWidget *w = FMemberMenu ? focusWidget() : FPopupComponent.data();
  auto *tree = dynamic_cast<TUserTree *>(w);
  if (!tree || !tree->Selected()) return;
  TglGroupBox *box = FindGroupBox(Sender->Tag);
  if (box) MoveUserToGroup(TreeOf(box), tree->Selected());
  EndAction();
}

void TfmUserList::FillMoveEntries() {
  // One entry per box, the last box first.
  for (int i = tbMoveToGroup->Count(); i-- > 0;) {
    TTBCustomItem *item = tbMoveToGroup->ItemAt(i);
    if (item->Tag >= 0) {
      tbMoveToGroup->Delete(i);
      delete item;
    }
  }
  for (const TBoxView &v : FBoxes) {
    auto *item = new TTBItem;
    item->SetCaption(PlainCaption(v.Box->Caption()));
    item->Tag = v.Box->Tag();
    item->OnClick = [this](TTBCustomItem *Sender) { MoveToGroupClick(Sender); };
    tbMoveToGroup->Insert(0, item);
  }
}

void TfmUserList::PreparePopup(QWidget *Component) {
  FMain.ForgetMemberButton();
  FPopupComponent = Component;
  FMemberMenu = false;
  TTBCustomItem &root = *FPopup->Items();
  for (int i = 0; i < root.Count(); ++i) {
    root.ItemAt(i)->SetVisible(true);
    root.ItemAt(i)->SetEnabled(true);
  }
  FillMoveEntries();
  const auto userItems = {static_cast<TTBCustomItem *>(miSendMessageToUser), static_cast<TTBCustomItem *>(miDeactive),
                          static_cast<TTBCustomItem *>(tbMoveToGroup), static_cast<TTBCustomItem *>(miUIMailUser),
                          static_cast<TTBCustomItem *>(miUserProfil)};
  const auto groupItems = {static_cast<TTBCustomItem *>(miSendMessageToGroup),
                           static_cast<TTBCustomItem *>(tbDeleteGroup), static_cast<TTBCustomItem *>(miRenameGroup),
                           static_cast<TTBCustomItem *>(tbCollapseAndUncollapse)};
  TglGroupBox *box = qobject_cast<TglGroupBox *>(Component);
  auto *tree = dynamic_cast<TUserTree *>(Component);
  if (tree) box = qobject_cast<TglGroupBox *>(tree->parentWidget());
  if (tree) {
    for (int i = 0; i < tbMoveToGroup->Count(); ++i)
      if (box && tbMoveToGroup->ItemAt(i)->Tag == box->Tag()) tbMoveToGroup->ItemAt(i)->SetEnabled(false);
    const TKcTreeNode *node = tree->Selected();
    if (node) actDeactiveUser.SetCaption(msg(node->Cut() ? "actActiveUserCaption" : "actDeactiveUserCaption"));
    for (TTBCustomItem *i : userItems) i->SetEnabled(node != nullptr);
    tree->setFocus();
  } else {
    for (TTBCustomItem *i : userItems) i->SetEnabled(false);
  }
  if (box) {
    const bool fixed = box == gbMain || box == gbBadList;
    tbDeleteGroup->SetEnabled(!fixed);
    miRenameGroup->SetEnabled(!fixed);
    actCollapseAndUncollapse.SetCaption(msg(box->Collapsed() ? "UnCollapsedCaption" : "CollapsedCaption"));
    if (!tree) box->setFocus();
  } else {
    for (TTBCustomItem *i : groupItems) i->SetEnabled(false);
    actCollapseAndUncollapse.SetCaption(msg("CollapsedCaption"));
  }
}

void TfmUserList::PrepareMemberPopup(bool Deactivated, bool OtherGroupTalk) {
  FMemberMenu = true;
  FillMoveEntries();
  for (TTBCustomItem *i : {static_cast<TTBCustomItem *>(miSendMessageToUser), static_cast<TTBCustomItem *>(miDeactive),
                           static_cast<TTBCustomItem *>(miUIMailUser), static_cast<TTBCustomItem *>(miUserProfil)}) {
    i->SetVisible(true);
    i->SetEnabled(true);
  }
  for (int i = 0; i < miUIMailUser->Count(); ++i) miUIMailUser->ItemAt(i)->SetEnabled(true);
  for (TTBCustomItem *i :
       {static_cast<TTBCustomItem *>(miSendMessageToGroup), static_cast<TTBCustomItem *>(tbDeleteGroup),
        static_cast<TTBCustomItem *>(miRenameGroup), static_cast<TTBCustomItem *>(tbCollapseAndUncollapse),
        static_cast<TTBCustomItem *>(miCreateNewGroupBox)}) {
    i->SetEnabled(false);
    i->SetVisible(false);
  }
  tbMoveToGroup->SetEnabled(true);
  tbMoveToGroup->SetVisible(!OtherGroupTalk);
  actDeactiveUser.SetCaption(msg(Deactivated ? "actActiveUserCaption" : "actDeactiveUserCaption"));
}

void TfmUserList::PopupAt(QWidget *Component, QPoint Global) {
  PreparePopup(Component);
  FPopup->Popup(Global);
}

// ------------------------------------------------------------------ keys, focus

void TfmUserList::MakeShortcuts() {
  TMainActionList &main = FMain.ActionList();
  struct TKey {
    QKeySequence Key;
    std::function<void()> Run;
  };
  const std::vector<TKey> keys = {
      {QKeySequence(Qt::CTRL | Qt::Key_U), [&main] { main.actMessageToUser.Execute(nullptr); }},
      {QKeySequence(Qt::Key_Return), [&main] { main.actMessageToUser.Execute(nullptr); }},
      {QKeySequence(Qt::Key_Enter), [&main] { main.actMessageToUser.Execute(nullptr); }},
      {QKeySequence(Qt::CTRL | Qt::Key_L), [&main] { main.actShowUserList.Execute(nullptr); }},
      // A talk with the focused group, from the keyboard.
      {QKeySequence(Qt::CTRL | Qt::Key_G), [&main] { main.actMessageToGroup.Execute(nullptr); }},
      {QKeySequence(Qt::CTRL | Qt::Key_D), [this] { actDeactiveUser.Execute(nullptr); }},
      {QKeySequence(Qt::CTRL | Qt::Key_B), [this] { actAddToBadList.Execute(nullptr); }},
      {QKeySequence(Qt::ALT | Qt::Key_Return), [this] { actOtherProfils.Execute(nullptr); }},
      {QKeySequence(Qt::Key_Insert), [this] { actCreateNewGroup.Execute(nullptr); }},
      {QKeySequence(Qt::CTRL | Qt::Key_N), [this] { actCreateNewGroup.Execute(nullptr); }},
      {QKeySequence(Qt::Key_F2), [this] { actRenameGroupBox.Execute(nullptr); }},
      {QKeySequence(Qt::Key_Delete), [this] { actDeleteGroupBox.Execute(nullptr); }},
      {QKeySequence(Qt::CTRL | Qt::Key_R), [this] { actCollapseAndUncollapse.Execute(nullptr); }},
      {QKeySequence(Qt::Key_F1), [&main] { main.actHelp.Execute(nullptr); }},
      {QKeySequence(Qt::Key_Menu),
       [this] {
         QWidget *w = focusWidget();
         QPoint at = w ? w->mapToGlobal(QPoint(8, 8)) : mapToGlobal(QPoint(8, 8));
         if (auto *tree = dynamic_cast<TUserTree *>(w); tree && tree->Selected())
           at = tree->viewport()->mapToGlobal(tree->visualItemRect(tree->Selected()).center());
         PopupAt(w, at);
       }},
  };
  for (const TKey &k : keys) {
    auto *s = new QShortcut(k.Key, this);
    s->setContext(Qt::WindowShortcut);
    QObject::connect(s, &QShortcut::activated, this, k.Run);
  }
}

void TfmUserList::FocusColours(TglGroupBox *Box, bool Focused) {
  if (!Box) return;
  const TColor c = Focused ? FFocusedCaption : Box == gbBadList ? FUnfocusedBadCaption : FUnfocusedCaption;
  SetCaptionColour(Box, c);
  Box->update();
}

bool TfmUserList::eventFilter(QObject *Watched, QEvent *Event) {
  auto *w = qobject_cast<QWidget *>(Watched);
  if (Event->type() == QEvent::ContextMenu && w) {
    auto *e = static_cast<QContextMenuEvent *>(Event);
    QWidget *component = w == sbUserList->viewport() ? nullptr : w;
    if (auto *tree = dynamic_cast<TUserTree *>(w)) {
      // A right click selects the node under it first.
      if (auto *node = static_cast<TKcTreeNode *>(tree->itemAt(tree->viewport()->mapFromGlobal(e->globalPos()))))
        tree->SelectNode(node);
    }
    PopupAt(component, e->globalPos());
    return true;
  }
  if (Event->type() == QEvent::FocusIn || Event->type() == QEvent::FocusOut) {
    TglGroupBox *box = qobject_cast<TglGroupBox *>(w);
    if (auto *tree = dynamic_cast<TUserTree *>(w)) box = qobject_cast<TglGroupBox *>(tree->parentWidget());
    const bool in = Event->type() == QEvent::FocusIn;
    FocusColours(box, in);
    if (TUserTree *tree = TreeOf(box)) {
      QPalette pal = tree->palette();
      tree->setProperty("hideSelection", !in);
    }
  }
  return QWidget::eventFilter(Watched, Event);
}

// ------------------------------------------------------------------ showing

void TfmUserList::showEvent(QShowEvent *Event) {
  QWidget::showEvent(Event);
  if (!FMain.ActionList().actShowUserList.Checked()) FMain.ActionList().actShowUserList.SetChecked(true);
  SaveShowUserList(FMain.Host().Key(), true);
  if (!focusWidget()) tvMainGroup->setFocus();
  FitAllGroupBoxHeights();
  FMain.UserListChanged();
}

void TfmUserList::hideEvent(QHideEvent *Event) {
  QWidget::hideEvent(Event);
  if (Event->spontaneous() || FProgramClosing) return;
  SaveCollapseStates();
  SaveFormPosition(FMain.Host().Key(), kUserListClass, {x(), y(), width(), height()});
  FMain.ActionList().actShowUserList.SetChecked(false);
  SaveShowUserList(FMain.Host().Key(), false);
  FMain.UserListChanged();
}

void TfmUserList::ProgramClosing() {
  if (FProgramClosing) return;
  if (isVisible()) {
    SaveCollapseStates();
    SaveFormPosition(FMain.Host().Key(), kUserListClass, {x(), y(), width(), height()});
  }
  FProgramClosing = true;
}

void TfmUserList::closeEvent(QCloseEvent *Event) {
  // Closing only hides the window.
  Event->accept();
  hide();
}

void TfmUserList::SaveCollapseStates() {
  const std::string key = FMain.Host().Key();
  const RegistryIni keep(key);
  WriteFixedGroupCollapse(key, gbMain->Collapsed(), gbBadList->Collapsed());
  for (const TBoxView &v : FBoxes) {
    Groups().SetCollapsed(v.Box->Tag(), v.Box->Collapsed());
    if (v.Box != gbMain && v.Box != gbBadList) WriteGroupCollapse(key, v.Box->Tag(), v.Box->Collapsed());
  }
}

void TfmUserList::ApplyStoredCollapse() {
  const std::string key = FMain.Host().Key();
  const RegistryIni keep(key);
  for (const TBoxView &v : FBoxes) {
    if (v.Box == gbMain || v.Box == gbBadList) continue;
    const bool c = ReadGroupCollapse(key, v.Box->Tag());
    if (c != v.Box->Collapsed()) v.Box->ChangeCollapsed(c);
  }
  bool main = false, bad = false;
  ReadFixedGroupCollapse(key, main, bad);
  if (main != gbMain->Collapsed()) gbMain->ChangeCollapsed(main);
  if (bad != gbBadList->Collapsed()) gbBadList->ChangeCollapsed(bad);
  FitAllGroupBoxHeights();
}

void TfmUserList::ApplyButtonSize(bool Big) {
  if (Big == FBigImages) return;
  FBigImages = Big;
  for (const TBoxView &v : FBoxes)
    if (v.Tree) v.Tree->setIconSize(Big ? QSize(32, 32) : QSize(16, 16));
  for (TUserNode *node : FNodes)
    if (node) node->RecordChanged();
  ScheduleFit();
}

void TfmUserList::ApplyUserListTexts() {
  setWindowTitle(msg("fmUserListCaption"));
  gbMain->SetCaption(msg("fmUserListGbMainCaption"));
  gbBadList->SetCaption(msg("gbBadListCaption"));
  for (TglGroupBox *b : {gbMain, gbBadList}) {
    b->setAccessibleName(b->Caption());
    TreeOf(b)->setAccessibleName(b->Caption());
  }
  actDeactiveUser.SetCaption(msg("actDeactiveUserCaption"));
  actAddToBadList.SetCaption(msg("actAddToBadListCaption"));
  actRenameGroupBox.SetCaption(msg("actRenameGroupBoxCaption"));
  actDeleteGroupBox.SetCaption(msg("actDeleteGroupBoxCaption"));
  actCreateNewGroup.SetCaption(msg("actCreateNewGroupCaption"));
  actCollapseAndUncollapse.SetCaption(msg("CollapsedCaption"));
  tbMoveToGroup->SetCaption(msg("tbMoveToGroupCaption"));
  const TMainActionList &main = FMain.ActionList();
  actOtherProfils.SetCaption(main.actUserNetProfile.Caption());
  UIactMailUser.SetCaption(main.actMailUser.Caption());
  miUIMailUser->SetCaption(main.actMailUser.Caption());
  UIactMailAll.SetCaption(main.actMailAll.Caption());
  UIactMailEmpty.SetCaption(main.actMailEmpty.Caption());
  UIactMailGroup.SetCaption(main.actMailGroup.Caption());
  // The fixed boxes' names live in the model too (tab captions, dumps).
  if (TGroupBoxInfo *g = FMain.Users().FindGroup(kMainGroupTag)) g->Caption = ansi(gbMain->Caption());
  if (TGroupBoxInfo *g = FMain.Users().FindGroup(kBadListTag)) g->Caption = ansi(gbBadList->Caption());
}

std::string TfmUserList::DumpJson() const {
  std::string out = "{\"visible\":" + std::string(isVisible() ? "true" : "false") +
                    ",\"title\":" + jsonString(windowTitle()) + ",\"groups\":[";
  bool firstBox = true;
  for (const TBoxView &v : FBoxes) {
    if (!firstBox) out += ",";
    firstBox = false;
    const QRect g(v.Box->mapToGlobal(QPoint(0, 0)), v.Box->size());
    out += "{\"tag\":" + std::to_string(v.Box->Tag()) + ",\"caption\":" + jsonString(v.Box->Caption()) + ",\"rect\":[" +
           std::to_string(g.x()) + "," + std::to_string(g.y()) + "," + std::to_string(g.width()) + "," +
           std::to_string(g.height()) + "]" + ",\"collapsed\":" + (v.Box->Collapsed() ? "true" : "false") +
           ",\"height\":" + std::to_string(v.Box->height()) + ",\"users\":[";
    for (int i = 0; v.Tree && i < v.Tree->topLevelItemCount(); ++i) {
      const TKcTreeNode *n = v.Tree->Node(i);
      if (i) out += ",";
      const QRect r = v.Tree->visualItemRect(n);
      const QPoint c = v.Tree->viewport()->mapToGlobal(r.center());
      out += "{\"text\":" + jsonString(n->Text()) + ",\"index\":" + std::to_string(n->Data) + ",\"center\":[" +
             std::to_string(c.x()) + "," + std::to_string(c.y()) + "]" +
             ",\"selected\":" + (n->isSelected() ? "true" : "false") + ",\"cut\":" + (n->Cut() ? "true" : "false") +
             "}";
    }
    out += "]}";
  }
  out += "]}";
  return out;
}

} // namespace kc
