#include "widgets/KcComCtrls.h"

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include "platform/DesktopMetrics.h"
#include "platform/ReadableColour.h"
#include "widgets/KcDraw.h"

namespace kc {

// ------------------------------------------------------------- TKcTreeNode

TKcTreeNode::TKcTreeNode(const QString &text) : QTreeWidgetItem(QStringList{text}, kType) {}

TKcTreeNode::~TKcTreeNode() {
  if (auto *tree = qobject_cast<TKcTreeView *>(treeWidget())) tree->nodeGone(this);
}

void TKcTreeNode::SetCut(bool on) {
  FCut = on;
  emitDataChanged();
}

QMenu *TKcTreeNode::PopupMenu() {
  if (!FPopupMenu) FPopupMenu = std::make_unique<QMenu>();
  return FPopupMenu.get();
}

// ------------------------------------------------------------- TKcTreeView

namespace {

// Draws each node with the colours the tree chose and its user's handler
// changed, or leaves the node to the handler.
class TreeNodeDelegate : public QStyledItemDelegate {
public:
  explicit TreeNodeDelegate(TKcTreeView *tree) : QStyledItemDelegate(tree), FTree(tree) {}
  void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
    QTreeWidgetItem *item = FTree->itemFromIndex(index);
    if (!item || item->type() != TKcTreeNode::kType) return QStyledItemDelegate::paint(p, option, index);
    auto *node = static_cast<TKcTreeNode *>(item);
    TKcCustomDrawItem draw = FTree->DrawColours(node);
    draw.Canvas = p;
    draw.Rect = option.rect;
    if (FTree->OnCustomDrawItem) FTree->OnCustomDrawItem(FTree, node, draw);
    if (!draw.DefaultDraw) return;
    QStyleOptionViewItem o = option;
    o.state &= ~QStyle::State_Selected;
    o.state &= ~QStyle::State_HasFocus;
    o.palette.setColor(QPalette::Text, QColorOf(draw.Text));
    p->fillRect(option.rect, QColorOf(draw.Background));
    QStyledItemDelegate::paint(p, o, index);
  }

private:
  TKcTreeView *FTree;
};

} // namespace

TKcCustomDrawItem TKcTreeView::DrawColours(const TKcTreeNode *Node) const {
  TKcCustomDrawItem d;
  d.Focused = hasFocus();
  d.Selected = FMultiSelect ? IsNodeSelected(Node) : Node == currentItem() && Node->isSelected();
  if (d.Selected) {
    // Without the focus a selection shows in the quieter button colours.
    d.Background = d.Focused ? clHighlight : clBtnFace;
    d.Text = d.Focused ? clHighlightText : clBtnText;
  }
  if (Node->Cut()) d.Text = clGrayText;
  return d;
}

TKcTreeView::TKcTreeView(QWidget *parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setItemDelegate(new TreeNodeDelegate(this));
  // The row's indentation shows the selection in the nodes' colours too.
  QPalette pal = palette();
  pal.setColor(QPalette::Active, QPalette::Highlight, QColorOf(clHighlight));
  pal.setColor(QPalette::Active, QPalette::HighlightedText, QColorOf(clHighlightText));
  pal.setColor(QPalette::Inactive, QPalette::Highlight, QColorOf(clBtnFace));
  pal.setColor(QPalette::Inactive, QPalette::HighlightedText, QColorOf(clBtnText));
  setPalette(pal);
  FScrollTimer.SetInterval(kDragScrollMs);
  FScrollTimer.SetOnTimer([this](TSimpleTimer *) {
    if (FScrollDir == 0 || !isVisible()) return setScrollDir(0);
    verticalScrollBar()->triggerAction(FScrollDir < 0 ? QAbstractSlider::SliderSingleStepSub
                                                      : QAbstractSlider::SliderSingleStepAdd);
  });
  connect(this, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem *current, QTreeWidgetItem *) { onCurrentChanged(current); });
  connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *item, int) {
    // A tick set by the user's click.
    if (FSyncingChecks || !FCheckboxes || item->type() != TKcTreeNode::kType) return;
    static_cast<TKcTreeNode *>(item)->FChecked = item->checkState(0) == Qt::Checked;
  });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
    if (OnVerticalScroll) OnVerticalScroll(this);
  });
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] {
    if (OnHorizontalScroll) OnHorizontalScroll(this);
  });
}

TKcTreeView::~TKcTreeView() {
  FScrollTimer.SetEnabled(false);
  // The nodes go with the base class; none of them may report back.
  FSelections.clear();
  FMultiSelect = false;
  blockSignals(true);
  clear();
}

TKcTreeNode *TKcTreeView::AddChild(TKcTreeNode *Parent, const QString &Text) {
  return AddNode(Parent, std::make_unique<TKcTreeNode>(Text));
}

TKcTreeNode *TKcTreeView::AddNode(TKcTreeNode *Parent, std::unique_ptr<TKcTreeNode> Node) {
  TKcTreeNode *n = Node.release();
  if (Parent) Parent->addChild(n);
  else addTopLevelItem(n);
  applyCheckState(n);
  return n;
}

void TKcTreeView::applyCheckState(TKcTreeNode *n) {
  FSyncingChecks = true;
  if (FCheckboxes) {
    n->setFlags(n->flags() | Qt::ItemIsUserCheckable);
    n->setCheckState(0, n->FChecked ? Qt::Checked : Qt::Unchecked);
  } else {
    n->setFlags(n->flags() & ~Qt::ItemIsUserCheckable);
    // Only a node that has a tick loses it: clearing one that has none
    // would store an empty value in every node.
    if (n->data(0, Qt::CheckStateRole).isValid()) n->setData(0, Qt::CheckStateRole, QVariant());
  }
  FSyncingChecks = false;
}

void TKcTreeView::SetCheckboxes(bool on) {
  FCheckboxes = on;
  QTreeWidgetItemIterator it(this);
  for (; *it; ++it)
    if ((*it)->type() == TKcTreeNode::kType) applyCheckState(static_cast<TKcTreeNode *>(*it));
}

bool TKcTreeView::GetNodeChecked(const TKcTreeNode *Node) const {
  return Node && FCheckboxes && Node->checkState(0) == Qt::Checked;
}

void TKcTreeView::SetNodeChecked(TKcTreeNode *Node, bool Value) {
  if (!Node) return;
  Node->FChecked = Value;
  applyCheckState(Node);
}

bool TKcTreeView::IsNodeSelected(const TKcTreeNode *Node) const {
  return FSelections.contains(const_cast<TKcTreeNode *>(Node));
}

void TKcTreeView::SetMultiSelect(bool on) {
  if (on == FMultiSelect) return;
  FClearAtNextChange = FAddAtNextChange = false;
  clearSelection_();
  FMultiSelect = on;
  setSelectionMode(on ? QAbstractItemView::MultiSelection : QAbstractItemView::SingleSelection);
}

QItemSelectionModel::SelectionFlags TKcTreeView::selectionCommand(const QModelIndex &index, const QEvent *event) const {
  // With MultiSelect the tree keeps its own selection.
  if (FMultiSelect) return QItemSelectionModel::NoUpdate;
  return QTreeWidget::selectionCommand(index, event);
}

void TKcTreeView::selectionChanged_() {
  if (OnSelectionChange) OnSelectionChange(this);
}

void TKcTreeView::clearSelection_() {
  if (FSelections.isEmpty()) return;
  const QList<TKcTreeNode *> old = FSelections;
  FSelections.clear();
  for (TKcTreeNode *n : old) n->setSelected(false);
  selectionChanged_();
}

void TKcTreeView::addSelection(TKcTreeNode *n) {
  if (!n || FSelections.contains(n)) return;
  FSelections.append(n);
  n->setSelected(true);
  selectionChanged_();
}

void TKcTreeView::toggleSelection(TKcTreeNode *n) {
  if (!n) return;
  if (FSelections.removeOne(n)) {
    n->setSelected(false);
    selectionChanged_();
  } else {
    addSelection(n);
  }
}

void TKcTreeView::SelectNode(TKcTreeNode *Node, bool Add) {
  if (!Node) return;
  if (FMultiSelect) {
    if (!Add) clearSelection_();
    addSelection(Node);
  }
  setCurrentItem(Node);
}

void TKcTreeView::nodeGone(TKcTreeNode *n) {
  if (FSelections.removeOne(n)) selectionChanged_();
}

void TKcTreeView::mousePressEvent(QMouseEvent *e) {
  const QPoint pos = e->position().toPoint();
  QTreeWidgetItem *hit = itemAt(pos);
  // Left of a node's text lies its check box column.
  if (!hit && FCheckboxes) hit = itemAt(pos + QPoint(16, 0));
  auto *node = hit && hit->type() == TKcTreeNode::kType ? static_cast<TKcTreeNode *>(hit) : nullptr;
  if (FMultiSelect && node && e->button() == Qt::LeftButton) {
    if (e->modifiers() & Qt::ControlModifier) {
      toggleSelection(node);
    } else {
      clearSelection_();
      addSelection(node);
    }
  }
  QTreeWidget::mousePressEvent(e);
  if (node && (e->button() == Qt::LeftButton || e->button() == Qt::RightButton)) setCurrentItem(node);
  if (node && e->button() == Qt::RightButton && node->HasPopupMenu())
    node->PopupMenu()->popup(e->globalPosition().toPoint());
}

void TKcTreeView::keyPressEvent(QKeyEvent *e) {
  if (FMultiSelect && !(e->modifiers() & Qt::AltModifier)) {
    if (e->key() == Qt::Key_Space) {
      toggleSelection(Selected());
      return;
    }
    FAddAtNextChange = true;
    if (!(e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))) FClearAtNextChange = true;
  }
  QTreeWidget::keyPressEvent(e);
  FAddAtNextChange = FClearAtNextChange = false;
}

void TKcTreeView::onCurrentChanged(QTreeWidgetItem *current) {
  auto *node = current && current->type() == TKcTreeNode::kType ? static_cast<TKcTreeNode *>(current) : nullptr;
  if (FMultiSelect) {
    if (FClearAtNextChange) clearSelection_();
    if (FAddAtNextChange) addSelection(node);
    FClearAtNextChange = FAddAtNextChange = false;
  }
  if (FPageControl && node) {
    for (int i = 0; i < FPageControl->PageCount(); ++i)
      if (TKcTabSheet *page = FPageControl->Pages(i); page && page->Caption() == node->Text()) {
        FPageControl->SetActivePage(page);
        if (OnPageChanged) OnPageChanged(this, node, page);
        break;
      }
  }
}

void TKcTreeView::setScrollDir(int dir) {
  FScrollDir = dir;
  FScrollTimer.SetEnabled(dir != 0);
}

void TKcTreeView::dragMoveEvent(QDragMoveEvent *e) {
  QTreeWidget::dragMoveEvent(e);
  if (!FAutoDragScroll) return;
  // The bands hold in a tree of any height: in one lower than both bands
  // the upper band wins.
  const int y = e->position().toPoint().y();
  const int h = viewport()->height();
  int dir = 0;
  if (y < kDragScrollBand) dir = -1;
  else if (h - y < kDragScrollBand) dir = 1;
  if (dir != FScrollDir) setScrollDir(dir);
}

void TKcTreeView::dragLeaveEvent(QDragLeaveEvent *e) {
  setScrollDir(0);
  QTreeWidget::dragLeaveEvent(e);
}

void TKcTreeView::dropEvent(QDropEvent *e) {
  setScrollDir(0);
  QTreeWidget::dropEvent(e);
}

void TKcTreeView::enterEvent(QEnterEvent *e) {
  FMouseInside = true;
  FSavedHintColor = applicationHintColor();
  setApplicationHintColor(FHintColor);
  if (OnMouseEnter) OnMouseEnter(this);
  QTreeWidget::enterEvent(e);
}

void TKcTreeView::leaveEvent(QEvent *e) {
  if (FMouseInside) setApplicationHintColor(FSavedHintColor);
  FMouseInside = false;
  if (OnMouseLeave) OnMouseLeave(this);
  QTreeWidget::leaveEvent(e);
}

void TKcTreeView::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) {
  auto *line = qobject_cast<QLineEdit *>(editor);
  const bool empty = line && line->text().isEmpty();
  QTreeWidget::closeEditor(editor, hint);
  if ((empty || hint == QAbstractItemDelegate::RevertModelCache) && OnEditCancelled) OnEditCancelled(this);
}

// ------------------------------------------------------------- TKcTabSheet

TKcTabSheet::TKcTabSheet(const QString &caption, QWidget *parent) : QWidget(parent), FCaption(caption) {}

TKcPageControl *TKcTabSheet::PageControl() const {
  // Pages sit in the tab widget's stack.
  for (QWidget *p = parentWidget(); p; p = p->parentWidget())
    if (auto *pc = qobject_cast<TKcPageControl *>(p)) return pc;
  return nullptr;
}

void TKcTabSheet::SetCaption(const QString &c) {
  FCaption = c;
  if (TKcPageControl *pc = PageControl()) pc->pageChanged(this);
}
void TKcTabSheet::SetTabVisible(bool on) {
  FTabVisible = on;
  if (TKcPageControl *pc = PageControl()) pc->pageChanged(this);
}
void TKcTabSheet::SetImageIndex(int i) {
  FImageIndex = i;
  if (TKcPageControl *pc = PageControl()) pc->pageChanged(this);
}

// ---------------------------------------------------------------- tab bar

namespace {

class TKcTabBar : public QTabBar {
public:
  explicit TKcTabBar(TKcPageControl *owner) : QTabBar(owner), FOwner(owner) {}

protected:
  QSize tabSizeHint(int index) const override {
    QSize s = QTabBar::tabSizeHint(index);
    QFont bold = font();
    bold.setBold(true);
    const int extra =
        QFontMetrics(bold).horizontalAdvance(tabText(index)) - QFontMetrics(font()).horizontalAdvance(tabText(index));
    const TKcTabSheet *page = FOwner->Pages(index);
    const bool image = FOwner->Images() && page && page->ImageIndex() >= 0;
    // The picture is drawn 2 pixels below the tab's top: the tab is at
    // least that much taller than the picture.
    const int height = FOwner->Images() ? std::max(s.height(), FOwner->Images()->Height() + 4) : s.height();
    return QSize(s.width() + std::max(0, extra) + (image ? FOwner->Images()->Width() + 4 : 0), height);
  }
  void paintEvent(QPaintEvent *) override {
    QPainter p(this);
    for (int i = 0; i < count(); ++i) {
      if (!isTabVisible(i)) continue;
      const QRect r = tabRect(i);
      const TKcTabSheet *page = FOwner->Pages(i);
      const bool active = i == currentIndex();
      const bool shadow = FOwner->DrawTabShadow() && !active;
      p.fillRect(r, QColorOf(shadow ? clInactiveCaption : clBtnFace));
      QRect text = r.adjusted(2, 2, -2, -2);
      if (FOwner->Images() && page && page->ImageIndex() >= 0) {
        p.drawImage(r.left() + 4, r.top() + 2,
                    FOwner->Images()->GetImage(page->ImageIndex(), p.device()->devicePixelRatioF()));
        text.setLeft(r.left() + 4 + FOwner->Images()->Width() + 4);
      }
      QFont f = font();
      f.setBold(active && !FOwner->DrawTabShadow());
      p.setFont(f);
      const TColor c = !isTabEnabled(i) ? clGrayText : shadow ? clInactiveCaptionText : clBtnText;
      // A disabled tab's grey can be the shadowed tab's own fill: there it
      // moves off it far enough to be read.
      p.setPen(shadow ? ReadableOn(QColorOf(c), QColorOf(clInactiveCaption)) : QColorOf(c));
      p.drawText(text, Qt::AlignCenter | Qt::TextSingleLine, tabText(i));
      if (active) {
        QRect frame = r;
        Frame3D(p, frame, QColorOf(clBtnHighlight), QColorOf(clBtnShadow), 1);
      }
    }
  }

private:
  TKcPageControl *FOwner;
};

} // namespace

// ---------------------------------------------------------- TKcPageControl

TKcPageControl::TKcPageControl(QWidget *parent) : QTabWidget(parent) {
  setTabBar(new TKcTabBar(this));
  qApp->installEventFilter(this);
  connect(this, &QTabWidget::currentChanged, this, [this](int) {
    if (OnChange) OnChange(this);
  });
}

TKcPageControl::~TKcPageControl() { qApp->removeEventFilter(this); }

TKcTabSheet *TKcPageControl::AddPage(const QString &caption) {
  auto *page = new TKcTabSheet(caption);
  page->setContentsMargins(FClientBorderWidth, FClientBorderWidth, FClientBorderWidth, FClientBorderWidth);
  addTab(page, caption);
  return page;
}

void TKcPageControl::pageChanged(TKcTabSheet *page) {
  const int i = indexOf(page);
  if (i < 0) return;
  // Each of these lays the whole tab bar out again: only what changed.
  if (tabText(i) != page->Caption()) setTabText(i, page->Caption());
  if (isTabVisible(i) != page->TabVisible()) setTabVisible(i, page->TabVisible());
  tabBar()->update();
}

void TKcPageControl::SetActivePage(TKcTabSheet *p) {
  if (p && indexOf(p) >= 0) setCurrentWidget(p);
}

void TKcPageControl::SetClientBorderWidth(int w) {
  FClientBorderWidth = std::max(0, w);
  for (int i = 0; i < count(); ++i)
    widget(i)->setContentsMargins(FClientBorderWidth, FClientBorderWidth, FClientBorderWidth, FClientBorderWidth);
}

void TKcPageControl::SetDrawTabShadow(bool on) {
  FDrawTabShadow = on;
  tabBar()->update();
}

void TKcPageControl::SetImages(TCustomImageList *l) {
  FImages = l;
  // A new picture size lays the tabs out again (their height follows it).
  tabBar()->setIconSize(l ? QSize(l->Width(), l->Height()) : QSize());
  tabBar()->update();
}

void TKcPageControl::SetHideAllTabs(bool on) {
  FHideAllTabs = on;
  // Hiding tab by tab would move the active page to a visible one; the bar
  // itself goes instead, and the pages keep their own tab switches.
  TKcTabSheet *active = ActivePage();
  tabBar()->setVisible(!on);
  tabBar()->setFocusPolicy(on ? Qt::NoFocus : Qt::TabFocus);
  SetActivePage(active);
}

bool TKcPageControl::SelectNextEnabledPage(bool forward) {
  const int n = count();
  const int current = currentIndex();
  if (n == 0) return false;
  for (int step = 1; step < n; ++step) {
    const int i = ((current + (forward ? step : -step)) % n + n) % n;
    if (!widget(i)->isEnabled() || !isTabEnabled(i)) continue;
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    if (!allow) return false;
    setCurrentIndex(i);
    return true;
  }
  return false;
}

bool TKcPageControl::eventFilter(QObject *watched, QEvent *event) {
  if (FHandleGlobalTab && event->type() == QEvent::KeyPress) {
    auto *k = static_cast<QKeyEvent *>(event);
    auto *w = qobject_cast<QWidget *>(watched);
    if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) && (k->modifiers() & Qt::ControlModifier) && w &&
        w->window() == window() && !window()->property("KeyPreview").toBool()) {
      const bool back = k->key() == Qt::Key_Backtab || (k->modifiers() & Qt::ShiftModifier);
      if (SelectNextEnabledPage(!back)) return true;
    }
  }
  return QTabWidget::eventFilter(watched, event);
}

void TKcPageControl::enterEvent(QEnterEvent *e) {
  FSavedHintColor = applicationHintColor();
  setApplicationHintColor(FHintColor);
  if (OnMouseEnter) OnMouseEnter(this);
  QTabWidget::enterEvent(e);
}

void TKcPageControl::leaveEvent(QEvent *e) {
  setApplicationHintColor(FSavedHintColor);
  if (OnMouseLeave) OnMouseLeave(this);
  QTabWidget::leaveEvent(e);
}

} // namespace kc
