#pragma once
// The user list: a narrow tool window showing who is on the network, in
// group boxes (the main group, the bad list and the user's own groups), one
// tree per box. It only shows the headless windows' user model: presence,
// record reuse and group numbering stay there, and what the user does to
// groups and people goes through the core's TUserGroups, which stores each
// change at once. Nodes come and go one at a time; box heights are fitted
// once per turn of the event loop, however many users arrived in it.
#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/ProtocolClassUn.h"
#include "core/UserGroupsUn.h"
#include "platform/Canvas.h"
#include "platform/GuiTimer.h"
#include "toolbars/TBarItem.h"
#include "toolbars/TBarPopup.h"
#include "widgets/KcComCtrls.h"

class QScrollArea;

namespace kc {

class TfmKavetChat;
class TfmEditor;
class TglGroupBox;
struct TGroupBoxInfo;

// A tree of one group box; a drag from another user tree with a selected
// node moves that user here.
class TUserTree : public TKcTreeView {
public:
  explicit TUserTree(QWidget *Parent) : TKcTreeView(Parent) {}
  std::function<void(TUserTree *Source, TUserTree *Target)> OnUserDropped;
  // Whether a drag from Source may end on Target.
  static bool AcceptsDrag(const TKcTreeView *Source, const TKcTreeView *Target);

protected:
  void dragEnterEvent(QDragEnterEvent *e) override;
  void dragMoveEvent(QDragMoveEvent *e) override;
  void dropEvent(QDropEvent *e) override;
};

class TfmUserList : public QWidget {
public:
  // Box heights: the tree's rows fitted into this range, plus the frame.
  static constexpr int kMinTreeHeight = 50, kMaxTreeHeight = 550, kBoxFrame = 10;
  // The height a box of that many rows gets (rows of RowHeight pixels).
  static int GroupBoxHeight(int Rows, int RowHeight);
  // A user's colour drawn on Background: the colour itself, or black or
  // white when it would be too hard to read there.
  static TColor ReadableUserColor(TColor User, TColor Background);
  // A user's node text: the trimmed alias, or the IP.
  static QString NodeText(const RUserID &Record);

  explicit TfmUserList(TfmKavetChat &Main);
  ~TfmUserList() override;

  // Widgets, as the window names them.
  QScrollArea *sbUserList = nullptr;
  TglGroupBox *gbMain = nullptr, *gbBadList = nullptr;
  TUserTree *tvMainGroup = nullptr, *tvBadList = nullptr;

  // Actions of the window.
  tb::TTBAction actDeactiveUser, actAddToBadList, actOtherProfils, actCreateNewGroup, actRenameGroupBox,
      actDeleteGroupBox, actCollapseAndUncollapse;
  tb::TTBAction UIactMailUser, UIactMailAll, UIactMailEmpty, UIactMailGroup;
  tb::TTBPopupMenu &pmUserList() { return *FPopup; }
  tb::TTBSubmenuItem *tbMoveToGroup = nullptr;
  tb::TTBItem *miSendMessageToUser = nullptr, *miSendMessageToGroup = nullptr, *miDeactive = nullptr,
              *miUserProfil = nullptr, *tbDeleteGroup = nullptr, *miRenameGroup = nullptr,
              *tbCollapseAndUncollapse = nullptr, *miCreateNewGroupBox = nullptr, *miCreateNewGroup = nullptr;
  tb::TTBSubmenuItem *miUIMailUser = nullptr;

  // The model's groups and users, shown.
  // A box for a group the model holds (the model's CreateGroupBox made it).
  TglGroupBox *ShowGroupBox(const TGroupBoxInfo &Group);
  // The core's user changes: "new", "update", "disconnect".
  void UserChanged(std::string_view Change, int UserIndex);
  TglGroupBox *FindGroupBox(std::int32_t Tag) const;
  // The tree of the box with that Tag, the main tree when none has it.
  TUserTree *FindGroupTree(std::int32_t Tag) const;
  TKcTreeNode *FindUserNode(int UserIndex) const;
  // Every box in the order shown.
  std::vector<TglGroupBox *> GroupBoxes() const;
  // The box's tree, made now if the box had none yet (a group's tree is
  // made when its box comes into view, gets a member or is asked for).
  static TUserTree *TreeOf(const TglGroupBox *Box);
  // Fits every box to its tree now (normally once per event-loop turn).
  void FitAllGroupBoxHeights();

  // The selection helpers of the main window.
  // The record number of the selected user of the active tree, -1 for none.
  int GetSelectedUserIndex() const;
  TglGroupBox *GetSelectedGroupBox() const;
  // Selects the user's node, focuses its tree.
  bool SelectUser(int UserIndex);
  // Selects the user whose node text starts with Text (as typing does).
  bool SelectByText(const QString &Text);

  // What the user does; each is the action's work on the box or node meant.
  void MoveUserToGroup(TUserTree *Target, TKcTreeNode *Node);
  void CreateNewGroup(TKcTreeNode *MoveNode = nullptr);
  void OpenRenameEditor(TglGroupBox *Box);
  void CommitRename(TglGroupBox *Box, const QString &Text);
  void DeleteGroup(TglGroupBox *Box);
  void ToggleCollapse(TglGroupBox *Box);
  void ToggleDeactivated(TUserTree *Tree);
  QPointer<TfmEditor> Editor() const { return FEditor; }

  // Prepares pmUserList for the component it opens on (a tree, a box, or
  // anything else) and, for a member button, for a member.
  void PreparePopup(QWidget *Component);
  void PrepareMemberPopup(bool Deactivated, bool OtherGroupTalk);
  QWidget *PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(QWidget *W) { FPopupComponent = W; }
  bool MemberMenu() const { return FMemberMenu; }

  // Texts from the language (message texts and the main window's actions).
  void ApplyUserListTexts();
  // Collapse states: stored when hidden, applied when shown.
  void SaveCollapseStates();
  void ApplyStoredCollapse();
  // The picture size of the trees (big: 32 x 32).
  void ApplyButtonSize(bool Big);
  // The program closes: hiding no longer means the user hid the list.
  void ProgramClosing();
  // The user list as JSON for the window's dump.
  std::string DumpJson() const;

protected:
  void showEvent(QShowEvent *Event) override;
  void hideEvent(QHideEvent *Event) override;
  void closeEvent(QCloseEvent *Event) override;
  void resizeEvent(QResizeEvent *Event) override;
  bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
  class TUserNode;
  struct TBoxView {
    TglGroupBox *Box;
    TUserTree *Tree; // null until needed
  };
  TBoxView MakeBox(const QString &Caption, std::int32_t Tag, const QString &GroupID);
  TUserTree *MakeTree(TBoxView &View);
  TUserTree *MakeTree(TglGroupBox *Box);
  void PlaceTree(const TBoxView &View);
  void MakeTreesInView();
  void MakeActions();
  void MakeMenu();
  void MakeShortcuts();
  void AddUserNode(int UserIndex);
  void RemoveUserNode(int UserIndex);
  void UpdateUserNode(int UserIndex);
  TUserNode *NodeOf(int UserIndex) const;
  QIcon UserIcon(std::int32_t ImageIndex);
  void ScheduleFit();
  void LayOutBoxes();
  void FocusColours(TglGroupBox *Box, bool Focused);
  void DrawNode(TKcTreeView *Tree, TKcTreeNode *Node, TKcCustomDrawItem &Draw);
  // The box an action means: the active control's from a shortcut, the
  // popup component's from the menu.
  TglGroupBox *BoxMeant(tb::TTBCustomItem *Sender) const;
  TUserTree *TreeMeant(tb::TTBCustomItem *Sender) const;
  void EndAction();
  void PopupAt(QWidget *Component, QPoint Global);
  void MoveToGroupClick(tb::TTBCustomItem *Sender);
  void FillMoveEntries();
  TUserGroups Groups();

  TfmKavetChat &FMain;
  QWidget *FContent = nullptr;
  std::vector<TBoxView> FBoxes;
  // Per record number: the user's node, null while he has none.
  std::vector<TUserNode *> FNodes;
  QHash<int, QIcon> FIcons;
  bool FBigImages = true;
  std::unique_ptr<tb::TTBPopupMenu> FPopup;
  QPointer<QWidget> FPopupComponent;
  bool FMemberMenu = false;
  bool FProgramClosing = false;
  QPointer<TfmEditor> FEditor;
  GuiTimer FFitTimer;
  TColor FFocusedCaption = 0, FUnfocusedCaption = 0, FUnfocusedBadCaption = 0;
  TColor FSelBar = 0, FSelBarBorder = 0;
};

} // namespace kc
