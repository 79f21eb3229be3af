#include "toolbars/TBarView.h"

#include <algorithm>
#include <unordered_set>

#include "platform/TbSystemSettings.h"
#include "toolbars/TBSkinShared.h"
#include "toolbars/TBarAccessible.h"
#include "toolbars/TBarPopup.h"

namespace kc::tb {

// Hears the source item when it differs from the shown one (a link).
struct TTBView::ShownListener final : TTBItemChangeListener {
  explicit ShownListener(TTBView *v) : view(v) {}
  void ItemNotification(TTBCustomItem *, bool, TTBItemChangeKind Kind, int, TTBCustomItem *) override {
    if (Kind == ckSubitemsChanged) view->ResolveShownItem();
    else if (Kind == ckSubmenuImagesChanged)
      for (TTBView *v = view; v; v = v->OpenedView) v->DropPositions();
  }
  void ItemDestroying(TTBCustomItem *Item) override { view->ItemDestroying(Item); }
  TTBView *view;
};

TTBView::TTBView(TTBView *OwnerView, TTBCustomItem *SourceItem, QWidget *Window, bool IsToolbar, bool KeepGroupsWhole,
                 bool WithGiveWayOrder)
    : ownerView_(OwnerView), sourceItem_(SourceItem), window_(Window), isToolbar_(IsToolbar),
      keepGroupsWhole_(KeepGroupsWhole), withGiveWayOrder_(WithGiveWayOrder),
      sourceListener_(std::make_unique<ShownListener>(this)) {
  if (OwnerView) Skin = OwnerView->Skin;
  if (sourceItem_) sourceItem_->AddChangeHandler(sourceListener_.get());
  ResolveShownItem();
}

TTBView::~TTBView() {
  if (ownerView_ && ownerView_->IsToolbar()) ownerView_->Set(vsNoAnimation, true);
  CloseSubmenus();
  StopAllTimers();
  if (shownItem_) shownItem_->RemoveChangeHandler(this);
  if (sourceItem_) sourceItem_->RemoveChangeHandler(sourceListener_.get());
  selected_ = nullptr;
  giveWayOrder_.clear();
  viewers_.clear();
}

void TTBView::ResolveShownItem() {
  TTBCustomItem *nw = sourceItem_ ? sourceItem_->EffectiveSource() : nullptr;
  if (nw == shownItem_) return;
  CloseSubmenus();
  if (shownItem_) shownItem_->RemoveChangeHandler(this);
  shownItem_ = nw;
  if (shownItem_) shownItem_->AddChangeHandler(this);
  RecreateAllViewers();
  for (auto &v : viewers_) v->Item()->InitiateAction();
}

void TTBView::ItemDestroying(TTBCustomItem *Item) {
  if (Item == sourceItem_) {
    CloseSubmenus();
    if (shownItem_ && shownItem_ != sourceItem_) shownItem_->RemoveChangeHandler(this);
    if (shownItem_ == sourceItem_) shownItem_ = nullptr;
    sourceItem_ = nullptr;
    ResolveShownItem();
    if (!shownItem_) RecreateAllViewers();
    // The owner would close this popup now, but that frees this view while
    // it is still handling the notification: the popup stays, empty, until
    // the menu moves on.
  } else if (Item == shownItem_) {
    shownItem_ = nullptr;
    RecreateAllViewers();
  }
}

void TTBView::AddViewersFor(TTBCustomItem *Item, std::vector<TTBCustomItem *> &Groups,
                            std::vector<std::unique_ptr<TTBItemViewer>> &Out) {
  auto v = Item->CreateViewer(this);
  v->Groups = Groups;
  Out.push_back(std::move(v));
  if (!Item->Has(ikEmbeddedGroup) || keepGroupsWhole_) return;
  TTBCustomItem *src = Item->EffectiveSource();
  // Links may form a loop (a group showing an item that contains it): a
  // group already being expanded on this path is not expanded again.
  if (std::find(Groups.begin(), Groups.end(), Item) != Groups.end() ||
      std::find(Groups.begin(), Groups.end(), src) != Groups.end() || src == shownItem_)
    return;
  Groups.push_back(Item);
  if (src != Item) Groups.push_back(src);
  for (int i = 0; i < src->Count(); ++i) AddViewersFor(src->ItemAt(i), Groups, Out);
  if (src != Item) Groups.pop_back();
  Groups.pop_back();
}

void TTBView::RecreateAllViewers() {
  CloseSubmenus();
  SetSelection(nullptr);
  DropPositions();
  selected_ = nullptr;
  giveWayOrder_.clear();
  viewers_.clear();
  leadingCount_ = trailingCount_ = 0;
  std::vector<TTBCustomItem *> groups;
  if (TTBCustomItem *lead = LeadingItem()) {
    AddViewersFor(lead, groups, viewers_);
    leadingCount_ = 1;
  }
  if (shownItem_)
    for (int i = 0; i < shownItem_->Count(); ++i) AddViewersFor(shownItem_->ItemAt(i), groups, viewers_);
  const size_t before = viewers_.size();
  if (TTBCustomItem *trail = TrailingItem())
    for (int i = 0; i < trail->Count(); ++i) AddViewersFor(trail->ItemAt(i), groups, viewers_);
  if (TTBCustomItem *chev = ChevronItem()) viewers_.push_back(chev->CreateViewer(this));
  trailingCount_ = int(viewers_.size() - before);
  if (withGiveWayOrder_)
    for (auto &v : viewers_) giveWayOrder_.push_back(v.get());
}

void TTBView::FreeViewer(TTBItemViewer *V) {
  if (selected_ == V) selected_ = nullptr;
  if (OpenedViewer == V) CloseSubmenus();
  std::erase(giveWayOrder_, V);
  for (auto it = viewers_.begin(); it != viewers_.end(); ++it)
    if (it->get() == V) {
      viewers_.erase(it);
      break;
    }
}

void TTBView::RemoveViewersOf(TTBCustomItem *Item) {
  std::vector<TTBItemViewer *> doomed;
  for (auto &v : viewers_)
    if (v->Item() == Item || std::find(v->Groups.begin(), v->Groups.end(), Item) != v->Groups.end())
      doomed.push_back(v.get());
  for (TTBItemViewer *v : doomed) FreeViewer(v);
}

void TTBView::ItemNotification(TTBCustomItem *Ancestor, bool Relayed, TTBItemChangeKind Kind, int Index,
                               TTBCustomItem *Item) {
  ReactToShown(Relayed, Kind, Index, Item, Ancestor);
}

void TTBView::ReactToShown(bool Relayed, TTBItemChangeKind Kind, int Index, TTBCustomItem *Item,
                           TTBCustomItem *Ancestor) {
  switch (Kind) {
  case ckInserted: {
    DropPositions();
    std::vector<std::unique_ptr<TTBItemViewer>> fresh;
    std::vector<TTBCustomItem *> groups;
    size_t at = viewers_.size() - size_t(trailingCount_);
    if (!Relayed) {
      // Before the viewer of the item that now follows it.
      if (Index + 1 < shownItem_->Count()) {
        TTBCustomItem *next = shownItem_->ItemAt(Index + 1);
        for (size_t i = 0; i < viewers_.size(); ++i)
          if (viewers_[i]->Item() == next && viewers_[i]->Groups.empty()) {
            at = i;
            break;
          }
      }
    } else {
      // After the last viewer of the group the change came from.
      bool found = false;
      for (size_t i = 0; i < viewers_.size(); ++i)
        if (viewers_[i]->Item() == Ancestor ||
            std::find(viewers_[i]->Groups.begin(), viewers_[i]->Groups.end(), Ancestor) != viewers_[i]->Groups.end()) {
          at = i + 1;
          found = true;
          if (groups.empty()) {
            groups = viewers_[i]->Groups;
            if (viewers_[i]->Item() == Ancestor) groups.push_back(Ancestor);
          }
        }
      if (!found || keepGroupsWhole_) {
        if (!keepGroupsWhole_) RecreateAllViewers();
        break;
      }
    }
    AddViewersFor(Item, groups, fresh);
    for (auto &f : fresh) {
      if (withGiveWayOrder_) giveWayOrder_.push_back(f.get());
      viewers_.insert(viewers_.begin() + std::ptrdiff_t(at++), std::move(f));
    }
    break;
  }
  case ckDeleting:
    DropPositions();
    RemoveViewersOf(Item);
    break;
  case ckSubitemsChanged: RecreateAllViewers(); return;
  case ckBeginUpdate: BeginUpdate(); return;
  case ckEndUpdate: EndUpdate(); return;
  case ckChanged:
    for (auto &v : viewers_)
      if (v->Item() == Item) RepaintViewer(v.get());
    break;
  case ckChangedResize: DropPositions(); break;
  case ckSubmenuImagesChanged:
    for (TTBView *v = this; v; v = v->OpenedView) v->DropPositions();
    break;
  case ckNameChanged: return;
  }
  EnsurePositionsIfIdle();
}

int TTBView::IndexOf(const TTBItemViewer *V) const {
  for (size_t i = 0; i < viewers_.size(); ++i)
    if (viewers_[i].get() == V) return int(i);
  return -1;
}

TTBItemViewer *TTBView::Find(const TTBCustomItem *Item) const {
  for (auto &v : viewers_)
    if (v->Item() == Item) return v.get();
  return nullptr;
}

bool TTBView::ClientContains(QPoint P) {
  if (QRect(QPoint(0, 0), TotalSize).contains(P)) return true;
  TTBCustomItem *chevron = ChevronItem();
  if (!chevron) return false;
  const TTBItemViewer *v = Find(chevron);
  return v && v->Show && v->BoundsRect.contains(P);
}

TTBItemViewer *TTBView::ViewerAt(QPoint P) {
  EnsurePositions();
  for (auto &v : viewers_)
    if (v->Show && v->BoundsRect.contains(P)) return v.get();
  return nullptr;
}

TTBItemViewer *TTBView::FirstShown() {
  auto ok = [](TTBItemViewer *v) { return v->Show && !v->Item()->Has(ikSeparator); };
  if (!giveWayOrder_.empty()) {
    for (TTBItemViewer *v : giveWayOrder_)
      if (ok(v)) return v;
    return nullptr;
  }
  for (auto &v : viewers_)
    if (ok(v.get())) return v.get();
  return nullptr;
}

// ------------------------------------------------------------------- layout

TTBMargins TTBView::LayoutMargins(TTBViewOrientation O) const {
  if (O == tbvoFloating) return {4, 2, 4, 1};
  return {};
}

QFont TTBView::ViewFont() const { return window_ ? window_->font() : MenuFont(); }

void TTBView::ApplyTotalSize(QSize Size) {
  if (window_ && IsPopup()) {
    if (auto *pw = qobject_cast<TTBPopupWindow *>(window_.data())) pw->SetClientSize(Size);
  }
}

void TTBView::SetMetrics(std::shared_ptr<const TBTextMetrics> Plain, std::shared_ptr<const TBTextMetrics> Bold) {
  metrics_ = std::move(Plain);
  boldMetrics_ = std::move(Bold);
  DropPositions();
}

const TBTextMetrics &TTBView::Metrics(bool Bold) const {
  auto &m = const_cast<std::shared_ptr<const TBTextMetrics> &>(Bold ? boldMetrics_ : metrics_);
  if (!m) {
    QFont f = ViewFont();
    f.setBold(Bold);
    m = std::make_shared<TBFontMetrics>(f);
  }
  return *m;
}

void TTBView::Relayout() {
  QSize total, content;
  int wrapped = 0;
  const bool changed =
      UpdateItemPositions(true, Orientation, WrapLength, ChevronStart, ChevronLength, total, content, wrapped);
  TotalSize = total;
  ContentSize = content;
  WrappedLines = wrapped;
  positionsValid_ = true;
  ApplyTotalSize(total);
  if (changed && window_) window_->update();
}

void TTBView::EnsurePositions() {
  if (!positionsValid_) Relayout();
}

void TTBView::EnsurePositionsIfIdle() {
  if (updateCount_ == 0) EnsurePositions();
}

void TTBView::DropPositions() {
  if (!positionsValid_) return;
  positionsValid_ = false;
  if (window_) window_->update();
}

void TTBView::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  if (updateCount_ == 0) EnsurePositionsIfIdle();
}

void TTBView::RepaintViewer(TTBItemViewer *V) {
  if (!positionsValid_ || !V || !V->Show || V->BoundsRect.isEmpty()) return;
  if (dynamic_cast<TTBControlItem *>(V->Item())) return;
  V->OffscreenRepaint = true;
  if (window_) window_->update(V->BoundsRect.translated(ClientOrigin()));
}

namespace {
// One viewer's place while the view is laid out.
struct Work {
  QRect r;
  bool show = false, pushedOff = false, rowDivider = false, scrolledOut = false;
  int w = 0, h = 0;
};

bool IsSep(const TTBItemViewer *v) { return v->Item()->Has(ikSeparator); }
} // namespace

// One layout pass over the viewers of a view: each step of
// UpdateItemPositions is one member, all over the same places.
struct TTBView::ItemLayout {
  ItemLayout(TTBView &View, TTBViewOrientation AOrientation, int AWrapLength, int AChevronStart, int AChevronLength);

  TTBView &view;
  const bool vertical;
  const int n;
  std::vector<Work> w;
  TTBCustomItem *const chevItem;
  const int chev; // the chevron's viewer, or -1
  const int wrapLength, chevronStart, chevronLength;
  int sum = 0;     // the length of the shown viewers along the view
  int fullSum = 0; // the same before any gave way to the chevron
  bool anyPushed = false;
  int lines = 0;
  QSize total;

  // Where placing has got to.
  TTBMargins m;
  int wrap = 0;
  int x = 0, y = 0, maxRight = 0, maxBottom = 0;
  bool wrappedAny = false, brokeSinceSeparator = false;
  std::vector<int> row; // indices of the current row
  int rowCross = 0, rowThick = 0;
  bool prevToolbarSize = false, havePrev = false;

  TTBItemViewer *Viewer(int i) const { return view.viewers_[size_t(i)].get(); }
  Work &At(int i) { return w[size_t(i)]; }
  int Along(int i) const { return vertical ? w[size_t(i)].h : w[size_t(i)].w; }
  bool Shown(int i) const { return i != chev && w[size_t(i)].show; }
  bool ToolbarSize(int i) const { return view.isToolbar_ || (Viewer(i)->Item()->ResolvedOptions() & tboToolbarSize); }
  bool FlowsHorizontally(int i) const { return ToolbarSize(i) && !vertical; }

  void DecideVisibility();
  void DropStraySeparators(int *LengthSum);
  void Measure();
  int ShownNonSeparators() const;
  int NextToGiveWay(int Last) const;
  void PushOffToChevron(bool MayMoveControls);
  QSize ContentSize() const;
  void Place();
  bool WrapBefore(int i, bool AlongIsX);
  void FinishRow(int RowLimit);
  void EvenMenuEntries();
  void Mirror();
  void Scroll();
  void MoveControls();
  void SpanRowDividers();
  void PlaceChevron();
  bool IntoViewers();
};

TTBView::ItemLayout::ItemLayout(TTBView &View, TTBViewOrientation AOrientation, int AWrapLength, int AChevronStart,
                                int AChevronLength)
    : view(View), vertical(AOrientation == tbvoVertical), n(int(View.viewers_.size())), w(size_t(n)),
      chevItem(View.ChevronItem()), chev((chevItem && n > 0 && View.viewers_.back()->Item() == chevItem) ? n - 1 : -1),
      wrapLength(AWrapLength), chevronStart(AChevronStart), chevronLength(AChevronLength),
      m(View.LayoutMargins(AOrientation)) {}

// 1. Visibility.
void TTBView::ItemLayout::DecideVisibility() {
  for (int i = 0; i < n; ++i) {
    if (i == chev) continue;
    TTBCustomItem *item = Viewer(i)->Item();
    bool show;
    if (auto *ci = dynamic_cast<TTBControlItem *>(item)) {
      QWidget *c = ci->Control();
      show = c && view.window_ && c->parentWidget() == view.window_ && !c->isHidden();
      if (view.ChevronOwnerView) show = false;
    } else {
      show = item->Visible() && !(item->Has(ikEmbeddedGroup) && !view.keepGroupsWhole_);
      if (show && view.ChevronOwnerView && !item->Has(ikSeparator)) {
        TTBItemViewer *ov = view.ChevronOwnerView->Find(item);
        show = ov && ov->PushedOff;
      }
    }
    At(i).show = show;
  }
  DropStraySeparators(nullptr);
}

// Separators at either end, or after another separator, are not shown;
// what they took is taken off LengthSum when given.
void TTBView::ItemLayout::DropStraySeparators(int *LengthSum) {
  bool onlySepsBefore = true;
  for (int i = 0; i < n; ++i) {
    if (!Shown(i)) continue;
    if (IsSep(Viewer(i))) {
      if (onlySepsBefore) {
        At(i).show = false;
        if (LengthSum) *LengthSum -= Along(i);
      }
      onlySepsBefore = true;
    } else {
      onlySepsBefore = false;
    }
  }
  for (int i = n - 1; i >= 0; --i) {
    if (!Shown(i)) continue;
    if (!IsSep(Viewer(i))) break;
    At(i).show = false;
    if (LengthSum) *LengthSum -= Along(i);
  }
}

// 2. Measuring.
void TTBView::ItemLayout::Measure() {
  for (int i = 0; i < n; ++i) {
    if (!At(i).show && i != chev) continue;
    TTBItemViewer *v = Viewer(i);
    int cw = 0, ch = 0;
    if (auto *ci = dynamic_cast<TTBControlItem *>(v->Item())) {
      if (QWidget *c = ci->Control()) {
        cw = c->width();
        ch = c->height();
      }
    } else {
      v->MeasureSize(view.Metrics((v->Item()->ResolvedOptions() & tboDefault) != 0), cw, ch);
    }
    At(i).w = cw;
    At(i).h = ch;
    if (i != chev) sum += vertical ? ch : cw;
  }
  fullSum = sum;
}

int TTBView::ItemLayout::ShownNonSeparators() const {
  int c = 0;
  for (int i = 0; i < n; ++i)
    if (Shown(i) && !IsSep(Viewer(i))) ++c;
  return c;
}

// The viewer that gives way next: the last in the view's give-way order
// still shown, else the last shown one (Last).
int TTBView::ItemLayout::NextToGiveWay(int Last) const {
  if (view.giveWayOrder_.empty()) return Last;
  for (auto it = view.giveWayOrder_.rbegin(); it != view.giveWayOrder_.rend(); ++it) {
    const int i = view.IndexOf(*it);
    if (i >= 0 && Shown(i) && !IsSep(*it)) return i;
  }
  return -1;
}

// 3. The chevron.
void TTBView::ItemLayout::PushOffToChevron(bool MayMoveControls) {
  if (chev < 0 || chevronStart < 1 || sum <= chevronStart) return;
  while (sum > chevronStart - chevronLength && ShownNonSeparators() >= 2) {
    int last = -1;
    for (int i = n - 1; i >= 0; --i)
      if (Shown(i)) {
        last = i;
        break;
      }
    if (last >= 0 && IsSep(Viewer(last))) {
      At(last).show = false;
      sum -= Along(last);
    } else {
      const int victim = NextToGiveWay(last);
      if (victim < 0) break;
      At(victim).show = false;
      At(victim).pushedOff = true;
      anyPushed = true;
      sum -= Along(victim);
    }
    DropStraySeparators(&sum);
  }
  DropStraySeparators(&sum);
  if (MayMoveControls && chevItem) {
    bool enable = false;
    for (int i = 0; i < n; ++i)
      if (At(i).pushedOff && !dynamic_cast<TTBControlItem *>(Viewer(i)->Item())) enable = true;
    chevItem->SetEnabled(enable);
  }
}

// 4. Content size.
QSize TTBView::ItemLayout::ContentSize() const {
  int thickest = 0;
  for (int i = 0; i < n; ++i)
    if (Shown(i)) thickest = std::max(thickest, vertical ? w[size_t(i)].w : w[size_t(i)].h);
  return vertical ? QSize(thickest, fullSum) : QSize(fullSum, thickest);
}

// A row is complete: a toolbar centres its items across the row and
// stretches its separators over it.
void TTBView::ItemLayout::FinishRow(int RowLimit) {
  if (row.empty()) return;
  if (view.isToolbar_) {
    for (int i : row) {
      Work &wk = At(i);
      if (wk.rowDivider) continue;
      if (IsSep(Viewer(i))) {
        if (vertical) wk.r.setWidth(rowThick);
        else wk.r.setHeight(rowThick);
      } else if (vertical) {
        wk.r.moveLeft(rowCross + (rowThick - wk.r.width()) / 2);
      } else {
        wk.r.moveTop(rowCross + (rowThick - wk.r.height()) / 2);
      }
    }
  }
  // Right-aligned items and the rest of the row move to the row's end.
  int first = -1;
  for (int i : row)
    if (Viewer(i)->Item()->Has(ikRightAlign)) {
      first = i;
      break;
    }
  if (first >= 0) {
    const int lastEnd = vertical ? At(row.back()).r.bottom() + 1 : At(row.back()).r.right() + 1;
    const int target = std::max(RowLimit, vertical ? maxBottom : maxRight);
    const int shift = target - lastEnd;
    if (shift > 0)
      for (int i : row)
        if (i >= first) At(i).r.translate(vertical ? 0 : shift, vertical ? shift : 0);
  }
  row.clear();
}

// Wraps before viewer i when it does not fit. A separator whose group no
// longer fits (or that follows a break) becomes a row divider: true, and
// nothing more is placed for it.
bool TTBView::ItemLayout::WrapBefore(int i, bool AlongIsX) {
  Work &wk = At(i);
  TTBItemViewer *v = Viewer(i);
  const int pos = AlongIsX ? x : y;
  const int start = AlongIsX ? m.Left : m.Top;
  const int len = AlongIsX ? wk.w : wk.h;
  if (wrap < 1 || pos <= start || !(view.isToolbar_ || AlongIsX)) return false;
  if (IsSep(v)) {
    int look = pos + len;
    for (int j = i + 1; j < n; ++j) {
      if (!Shown(j)) continue;
      if (IsSep(Viewer(j))) break;
      look += AlongIsX ? At(j).w : At(j).h;
    }
    if (look > wrap || (brokeSinceSeparator && !v->Item()->Has(ikNoLineBreak))) {
      FinishRow(wrap);
      const int cross = (AlongIsX ? y : x) + rowThick;
      wk.rowDivider = true;
      wk.r = AlongIsX ? QRect(start, cross, 0, 6) : QRect(cross, start, 6, 0);
      if (AlongIsX) {
        y = cross + 6;
        x = start;
      } else {
        x = cross + 6;
        y = start;
      }
      rowCross = AlongIsX ? y : x;
      rowThick = 0;
      ++lines;
      wrappedAny = true;
      brokeSinceSeparator = false;
      return true;
    }
    brokeSinceSeparator = false;
  } else if (pos + len > wrap) {
    FinishRow(wrap);
    if (AlongIsX) {
      y += rowThick;
      x = start;
    } else {
      x += rowThick;
      y = start;
    }
    rowCross = AlongIsX ? y : x;
    rowThick = 0;
    ++lines;
    wrappedAny = true;
    brokeSinceSeparator = true;
  }
  return false;
}

// 5. Placing.
void TTBView::ItemLayout::Place() {
  wrap = wrapLength;
  if (wrap >= 1) wrap = std::max(1, wrap - m.Right);
  x = m.Left;
  y = m.Top;
  rowCross = vertical ? x : y;
  for (int i = 0; i < n; ++i) {
    if (!Shown(i)) continue;
    Work &wk = At(i);
    const bool tbSize = ToolbarSize(i);
    if (havePrev && prevToolbarSize && !tbSize) {
      FinishRow(wrap);
      x = m.Left;
      y = maxBottom;
    }
    const bool alongIsX = FlowsHorizontally(i);
    if (!WrapBefore(i, alongIsX)) {
      if (row.empty()) rowCross = alongIsX ? y : x;
      wk.r = QRect(x, y, wk.w, wk.h);
      if (alongIsX) x += wk.w;
      else y += wk.h;
      rowThick = std::max(rowThick, alongIsX ? wk.h : wk.w);
      maxRight = std::max(maxRight, wk.r.left() + wk.r.width());
      maxBottom = std::max(maxBottom, wk.r.top() + wk.r.height());
      row.push_back(i);
    }
    prevToolbarSize = tbSize;
    havePrev = true;
  }
  FinishRow(wrap);
  for (int i = 0; i < n; ++i)
    if (At(i).rowDivider) {
      maxRight = std::max(maxRight, At(i).r.left() + At(i).r.width());
      maxBottom = std::max(maxBottom, At(i).r.top() + At(i).r.height());
    }
  if (wrappedAny && !view.ChevronOwnerView) {
    if (vertical) maxBottom = std::max(maxBottom, wrap);
    else maxRight = std::max(maxRight, wrap);
  }
  if (view.IsPopup()) EvenMenuEntries();
  total = QSize(maxRight + m.Right, maxBottom + m.Bottom);
}

// Menu entries of a popup share the width of the widest in their run.
void TTBView::ItemLayout::EvenMenuEntries() {
  int i = 0;
  while (i < n) {
    if (!Shown(i) || FlowsHorizontally(i)) {
      ++i;
      continue;
    }
    int j = i, widest = 0;
    std::vector<int> run;
    for (; j < n; ++j) {
      if (!Shown(j)) continue;
      if (FlowsHorizontally(j)) break;
      run.push_back(j);
      widest = std::max(widest, At(j).r.width());
    }
    for (int k : run) At(k).r.setWidth(widest);
    for (int k : run) maxRight = std::max(maxRight, At(k).r.left() + widest);
    i = j;
  }
}

// 6. Vertical views mirror left to right.
void TTBView::ItemLayout::Mirror() {
  if (!vertical) return;
  for (int i = 0; i < n; ++i)
    if (At(i).show || At(i).rowDivider) {
      QRect &r = At(i).r;
      r.moveLeft(total.width() - r.left() - r.width());
    }
}

// 7. Scrolling.
void TTBView::ItemLayout::Scroll() {
  view.UpArrowShown = view.DownArrowShown = false;
  const int limit = view.HeightLimit;
  if (limit < 1 || total.height() <= limit) {
    view.ScrollPos = 0;
    return;
  }
  const int overflow = total.height() - limit;
  view.ScrollPos = std::clamp(view.ScrollPos, 0, overflow);
  view.UpArrowShown = view.ScrollPos > 0;
  view.DownArrowShown = overflow > view.ScrollPos;
  for (int i = 0; i < n; ++i) {
    Work &wk = At(i);
    if (!wk.show) continue;
    wk.r.translate(0, -view.ScrollPos);
    if ((view.UpArrowShown && wk.r.top() < kScrollArrowHeight) ||
        (view.DownArrowShown && wk.r.top() + wk.r.height() > limit - kScrollArrowHeight)) {
      wk.show = false;
      wk.scrolledOut = true;
    }
  }
  total.setHeight(limit);
}

// 8. Hosted controls.
void TTBView::ItemLayout::MoveControls() {
  for (int i = 0; i < n; ++i)
    if (auto *ci = dynamic_cast<TTBControlItem *>(Viewer(i)->Item()))
      if (QWidget *c = ci->Control()) {
        // Widgets sit in the window, whose client area may start inside a
        // frame.
        const Work &wk = At(i);
        const QRect at = wk.r.translated(view.ClientOrigin());
        if (!wk.show && (wk.pushedOff || wk.scrolledOut)) c->move(-10000, -10000);
        else if (wk.show && c->geometry() != at) c->setGeometry(at);
      }
}

// 9. Row dividers span the whole toolbar.
void TTBView::ItemLayout::SpanRowDividers() {
  if (!view.isToolbar_) return;
  for (int i = 0; i < n; ++i)
    if (At(i).rowDivider) {
      QRect &r = At(i).r;
      if (vertical) r = QRect(r.left(), 0, r.width(), total.height());
      else r = QRect(0, r.top(), total.width(), r.height());
      At(i).show = true;
    }
}

// 10. The chevron.
void TTBView::ItemLayout::PlaceChevron() {
  if (chev < 0 || !anyPushed) return;
  Work &c = At(chev);
  c.show = true;
  const int end = std::max(chevronStart, vertical ? total.height() : total.width());
  c.r = vertical ? QRect(0, end - chevronLength, total.width(), chevronLength)
                 : QRect(end - chevronLength, 0, chevronLength, total.height());
}

// 11. Into the viewers; whether any moved, showed or hid.
bool TTBView::ItemLayout::IntoViewers() {
  bool changed = false;
  for (int i = 0; i < n; ++i) {
    TTBItemViewer *v = Viewer(i);
    const Work &wk = At(i);
    const QRect r = (wk.show || wk.scrolledOut || wk.rowDivider) ? wk.r : QRect();
    if (v->BoundsRect != r || v->Show != wk.show || v->RowDivider != wk.rowDivider) changed = true;
    v->BoundsRect = r;
    v->Show = wk.show;
    v->PushedOff = wk.pushedOff;
    v->ScrolledOut = wk.scrolledOut;
    v->RowDivider = wk.rowDivider;
  }
  return changed;
}

bool TTBView::UpdateItemPositions(bool MayMoveControls, TTBViewOrientation AOrientation, int AWrapLength,
                                  int AChevronStart, int AChevronLength, QSize &ATotalSize, QSize &AContentSize,
                                  int &AWrappedLines) {
  const TTBViewOrientation saved = Orientation;
  Orientation = AOrientation;
  ItemLayout layout(*this, AOrientation, AWrapLength, AChevronStart, AChevronLength);
  layout.DecideVisibility();
  layout.Measure();
  layout.PushOffToChevron(MayMoveControls);
  AContentSize = layout.ContentSize();
  layout.Place();
  layout.Mirror();
  layout.Scroll();
  if (MayMoveControls) layout.MoveControls();
  layout.SpanRowDividers();
  layout.PlaceChevron();
  const bool changed = layout.IntoViewers();
  ATotalSize = layout.total;
  AWrappedLines = layout.lines;
  Orientation = saved;
  return changed;
}

void TTBView::ScrollBy(bool Down) {
  EnsurePositions();
  int delta = 0;
  bool found = false;
  for (auto &v : viewers_) {
    if (!v->ScrolledOut || IsSep(v.get())) continue;
    if (!Down && v->BoundsRect.top() < kScrollArrowHeight) {
      const int d = v->BoundsRect.top() - kScrollArrowHeight;
      if (!found || d > delta) delta = d; // the lowest one decides
      found = true;
    } else if (Down && v->BoundsRect.top() + v->BoundsRect.height() > HeightLimit - kScrollArrowHeight) {
      const int d = v->BoundsRect.top() + v->BoundsRect.height() - (HeightLimit - kScrollArrowHeight);
      if (!found || d < delta) delta = d; // the highest one decides
      found = true;
    }
  }
  if (!found) return;
  ScrollPos += delta;
  Relayout();
}

void TTBView::RevealSelection() {
  if (!selected_ || !selected_->ScrolledOut) return;
  const QRect r = selected_->BoundsRect;
  if (r.top() < kScrollArrowHeight) ScrollPos += r.top() - kScrollArrowHeight;
  else ScrollPos += r.top() + r.height() - (HeightLimit - kScrollArrowHeight);
  Relayout();
}

int TTBView::ImageColumnWidth() {
  EnsurePositions();
  for (auto &v : viewers_)
    if (v->Show && !IsSep(v.get())) {
      const int h = v->BoundsRect.height();
      if (TCustomImageList *il = v->GetImageList()) return MulDiv(il->Width() + 3, h, il->Height() + 3);
      return h;
    }
  return 0;
}

// ---------------------------------------------------------------- selection

// A menu level's window is placed while hidden, where the window system
// may still report its last place (a kept window): its own geometry says
// where it goes.
QPoint TTBView::ClientToScreen(QPoint P) const {
  if (!window_) return P;
  if (window_->isWindow()) return window_->geometry().topLeft() + P + ClientOrigin();
  return window_->mapToGlobal(P + ClientOrigin());
}
QPoint TTBView::ScreenToClient(QPoint P) const {
  if (!window_) return P;
  if (window_->isWindow()) return P - window_->geometry().topLeft() - ClientOrigin();
  return window_->mapFromGlobal(P) - ClientOrigin();
}

QPoint CurrentPointerPos();

void TTBView::SetSelection(TTBItemViewer *V) {
  const bool changed = V != selected_;
  TTBItemViewer *old = selected_;
  if (changed) {
    EndTracking();
    if (old) old->SelectionLost();
    selected_ = V;
  }
  bool over = false;
  if (V && window_ && window_->isVisible()) {
    const QPoint p = ScreenToClient(CurrentPointerPos());
    if (ClientContains(p) && ViewerAt(p) == V)
      over = !MouseTracking || V->IsPtInButtonPart(p.x() - V->BoundsRect.left(), p.y() - V->BoundsRect.top());
  }
  if (changed) {
    MouseOverSelected = over;
    if (old && IndexOf(old) >= 0 && old->Item()->Has(ikRedrawOnSelChange)) RepaintViewer(old);
    if (V && V->Item()->Has(ikRedrawOnSelChange)) RepaintViewer(V);
    if (V) V->SelectionGained();
    if (V) AnnounceSelection(*this);
  } else if (over != MouseOverSelected) {
    MouseOverSelected = over;
    if (MouseTracking && V && V->Item()->Has(ikRedrawOnHotChange)) RepaintViewer(V);
  }
}

TTBItemViewer *TTBView::StepSelectable(TTBItemViewer *Current, bool Forward) {
  EnsurePositions();
  const int n = ViewerCount();
  if (n == 0) return nullptr;
  const int cur = Current ? IndexOf(Current) : -1;
  int i = cur >= 0 ? cur : (Forward ? -1 : n);
  // Each position once, wrapping at the ends.
  for (int step = 0; step < n; ++step) {
    i += Forward ? 1 : -1;
    if (i >= n) i = 0;
    if (i < 0) i = n - 1;
    TTBItemViewer *v = Viewer(i);
    if ((v->Show || v->ScrolledOut) && v->Item()->Visible() && v->Item()->Has(ikSelectable)) return v;
  }
  return nullptr;
}

TTBItemViewer *TTBView::FirstForKeyboard(bool Forward) {
  TTBItemViewer *first = StepSelectable(nullptr, Forward);
  TTBItemViewer *v = first;
  while (v && v->Item()->Has(ikNeverFirst)) {
    v = StepSelectable(v, Forward);
    if (v == first) break;
  }
  return v;
}

void TTBView::StepAndReveal(bool Forward) {
  SetSelection(StepSelectable(selected_, Forward));
  RevealSelection();
}

// ----------------------------------------------------------------- painting

bool TTBView::UseDisabledShadowFor(const TTBItemViewer *Viewer, bool IsSelected) const {
  if (!Viewer->IsToolbarStyle()) {
    // The flat OfficeXP menu never embosses; other menus only when their
    // background (the menu colour, or the highlight under a selection)
    // happens to be the face colour.
    const TTBBaseSkin *skin = ActiveSkin();
    if (skin && skin->SkinType() == tbsOfficeXP) return false;
    return ToQColor(IsSelected ? clHighlight : clMenu) == ToQColor(clBtnFace);
  }
  return true;
}

void TTBView::PaintViewers(QPainter &P, const QRect &Clip) {
  EnsurePositions();
  auto paintOne = [&](TTBItemViewer *v) {
    if (!v->Show || v->BoundsRect.isEmpty() || !v->BoundsRect.intersects(Clip)) return;
    if (dynamic_cast<TTBControlItem *>(v->Item())) return;
    v->OffscreenRepaint = false;
    P.save();
    P.setFont(ViewFont());
    P.setClipRect(v->BoundsRect);
    const bool isSel = v == selected_;
    const bool pushed = isSel && (OpenedViewer == v || (MouseTracking && MouseOverSelected));
    v->Paint(P, v->BoundsRect, isSel, pushed, UseDisabledShadowFor(v, isSel));
    P.restore();
  };
  const bool inOrder = Has(vsPaintInOrder);
  for (auto &v : viewers_)
    if (inOrder || v.get() != selected_) paintOne(v.get());
  if (!inOrder && selected_) paintOne(selected_);
  Set(vsPaintInOrder, false);
}

TTBView *TTBView::TopView() {
  TTBView *v = this;
  while (v->ownerView_) v = v->ownerView_;
  return v;
}

TTBView *TTBView::DeepestView() {
  TTBView *v = this;
  std::unordered_set<TTBView *> seen;
  while (v->OpenedView && seen.insert(v).second) v = v->OpenedView;
  return v;
}

} // namespace kc::tb
