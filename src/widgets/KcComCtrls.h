#pragma once
// The extended tree view (check boxes per node, multiple selection, scrolling
// while something is dragged near its edges, a popup menu per node, a linked
// page control) and the extended page control (own tab drawing, hiding all
// tabs, Ctrl+Tab page switching anywhere in its window).
#include <QMenu>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "platform/Canvas.h"
#include "platform/ImageList.h"
#include "widgets/CoolTrayIcon.h"

namespace kc {

class TKcPageControl;
class TKcTabSheet;
class TKcTreeView;

class TKcTreeNode : public QTreeWidgetItem {
public:
  static constexpr int kType = QTreeWidgetItem::UserType + 0x4B43;
  explicit TKcTreeNode(const QString &text);
  ~TKcTreeNode() override;
  // A node without stored text or picture: one whose data() gives them.
  TKcTreeNode() : QTreeWidgetItem(kType) {}
  QString Text() const { return text(0); }
  void SetText(const QString &t) { setText(0, t); }
  // The node's own popup menu (made on first use, freed with the node).
  QMenu *PopupMenu();
  bool HasPopupMenu() const { return FPopupMenu != nullptr; }
  bool Checked() const { return FChecked; }
  TKcTreeNode *Parent() const { return static_cast<TKcTreeNode *>(parent()); }
  int Data = 0;
  // Drawn ghosted (a deactivated user).
  bool Cut() const { return FCut; }
  void SetCut(bool on);

private:
  friend class TKcTreeView;
  std::unique_ptr<QMenu> FPopupMenu;
  bool FChecked = false;
  bool FCut = false;
};

// What a node is about to be drawn with; the handler may change the colours,
// draw on the canvas itself and turn DefaultDraw off.
struct TKcCustomDrawItem {
  QPainter *Canvas = nullptr;
  QRect Rect;
  TColor Background = clWindow, Text = clWindowText;
  bool Selected = false, Focused = false;
  bool DefaultDraw = true;
};

class TKcTreeView : public QTreeWidget {
  Q_OBJECT
public:
  using TNotifyEvent = std::function<void(TKcTreeView *)>;
  using TPageChangedEvent = std::function<void(TKcTreeView *, TKcTreeNode *, TKcTabSheet *)>;
  static constexpr int kDragScrollBand = 20, kDragScrollMs = 200;

  explicit TKcTreeView(QWidget *parent = nullptr);
  ~TKcTreeView() override;

  // A new node under Parent (top level when none), at the end.
  TKcTreeNode *AddChild(TKcTreeNode *Parent, const QString &Text);
  // Node (made by the caller, now the tree's) under Parent, at the end.
  TKcTreeNode *AddNode(TKcTreeNode *Parent, std::unique_ptr<TKcTreeNode> Node);
  TKcTreeNode *Node(int topIndex) const { return static_cast<TKcTreeNode *>(topLevelItem(topIndex)); }

  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor c) { FHintColor = c; }
  bool Checkboxes() const { return FCheckboxes; }
  void SetCheckboxes(bool on);
  bool GetNodeChecked(const TKcTreeNode *Node) const;
  void SetNodeChecked(TKcTreeNode *Node, bool Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool on);
  bool AutoDragScroll() const { return FAutoDragScroll; }
  void SetAutoDragScroll(bool on) { FAutoDragScroll = on; }
  TKcPageControl *PageControl() const { return FPageControl; }
  void SetPageControl(TKcPageControl *p) { FPageControl = p; }

  // -1 without MultiSelect.
  int SelectionCount() const { return FMultiSelect ? static_cast<int>(FSelections.size()) : -1; }
  TKcTreeNode *Selections(int i) const { return FSelections.value(i); }
  bool IsNodeSelected(const TKcTreeNode *Node) const;
  TKcTreeNode *Selected() const { return static_cast<TKcTreeNode *>(currentItem()); }
  // Makes Node the selected one; with MultiSelect and Add it joins the
  // selection instead of replacing it.
  void SelectNode(TKcTreeNode *Node, bool Add = false);
  // The direction of drag scrolling: -1 up, 0 none, 1 down.
  int DragScrollDirection() const { return FScrollDir; }

  TNotifyEvent OnVerticalScroll, OnHorizontalScroll, OnMouseEnter, OnMouseLeave, OnEditCancelled, OnSelectionChange;
  TPageChangedEvent OnPageChanged;
  std::function<void(TKcTreeView *, TKcTreeNode *, TKcCustomDrawItem &)> OnCustomDrawItem;

  // The colours a node is drawn with before OnCustomDrawItem has its say.
  TKcCustomDrawItem DrawColours(const TKcTreeNode *Node) const;

protected:
  void mousePressEvent(QMouseEvent *e) override;
  void keyPressEvent(QKeyEvent *e) override;
  void dragMoveEvent(QDragMoveEvent *e) override;
  void dragLeaveEvent(QDragLeaveEvent *e) override;
  void dropEvent(QDropEvent *e) override;
  void enterEvent(QEnterEvent *e) override;
  void leaveEvent(QEvent *e) override;
  void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index, const QEvent *event) const override;

private:
  friend class TKcTreeNode;
  void nodeGone(TKcTreeNode *n);
  void clearSelection_();
  void addSelection(TKcTreeNode *n);
  void toggleSelection(TKcTreeNode *n);
  void selectionChanged_();
  void onCurrentChanged(QTreeWidgetItem *current);
  void setScrollDir(int dir);
  void applyCheckState(TKcTreeNode *n);

  TColor FHintColor = clInfoBk, FSavedHintColor = clInfoBk;
  bool FCheckboxes = false, FMultiSelect = false, FAutoDragScroll = false, FMouseInside = false;
  bool FClearAtNextChange = false, FAddAtNextChange = false;
  QPointer<TKcPageControl> FPageControl;
  QList<TKcTreeNode *> FSelections;
  int FScrollDir = 0;
  TSimpleTimer FScrollTimer;
  bool FSyncingChecks = false;
};

// A page of the page control; its caption is its tab's text.
class TKcTabSheet : public QWidget {
  Q_OBJECT
public:
  explicit TKcTabSheet(const QString &caption, QWidget *parent = nullptr);
  QString Caption() const { return FCaption; }
  void SetCaption(const QString &c);
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool on);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int i);
  TKcPageControl *PageControl() const;

private:
  QString FCaption;
  bool FTabVisible = true;
  int FImageIndex = -1;
};

class TKcPageControl : public QTabWidget {
  Q_OBJECT
public:
  using TNotifyEvent = std::function<void(TKcPageControl *)>;
  using TChangingEvent = std::function<void(TKcPageControl *, bool &AllowChange)>;

  explicit TKcPageControl(QWidget *parent = nullptr);
  ~TKcPageControl() override;

  TKcTabSheet *AddPage(const QString &caption);
  int PageCount() const { return count(); }
  TKcTabSheet *Pages(int i) const { return qobject_cast<TKcTabSheet *>(widget(i)); }
  TKcTabSheet *ActivePage() const { return qobject_cast<TKcTabSheet *>(currentWidget()); }
  void SetActivePage(TKcTabSheet *p);

  bool HandleGlobalTab() const { return FHandleGlobalTab; }
  void SetHandleGlobalTab(bool on) { FHandleGlobalTab = on; }
  int ClientBorderWidth() const { return FClientBorderWidth; }
  void SetClientBorderWidth(int w);
  bool DrawTabShadow() const { return FDrawTabShadow; }
  void SetDrawTabShadow(bool on);
  bool HideAllTabs() const { return FHideAllTabs; }
  void SetHideAllTabs(bool on);
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor c) { FHintColor = c; }
  TCustomImageList *Images() const { return FImages; }
  void SetImages(TCustomImageList *l);

  TNotifyEvent OnChange, OnMouseEnter, OnMouseLeave;
  TChangingEvent OnChanging;

  // The Ctrl+Tab step: to the next (or previous) enabled page, wrapping.
  // True when the key was used.
  bool SelectNextEnabledPage(bool forward);
  void pageChanged(TKcTabSheet *page); // a page's caption, image or tab changed

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void enterEvent(QEnterEvent *e) override;
  void leaveEvent(QEvent *e) override;

private:
  bool FHandleGlobalTab = false, FDrawTabShadow = false, FHideAllTabs = false;
  int FClientBorderWidth = 4;
  TColor FHintColor = clInfoBk, FSavedHintColor = clInfoBk;
  TCustomImageList *FImages = nullptr;
};

} // namespace kc
