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
struct Work {
  QRect r;
  bool show = false, pushedOff = false, rowDivider = false, scrolledOut = false;
  int w = 0, h = 0;
};

bool IsSep(const TTBItemViewer *v) { return v->Item()->Has(ikSeparator); }
} // namespace

bool TTBView::UpdateItemPositions(bool MayMoveControls, TTBViewOrientation AOrientation, int AWrapLength,
                                  int AChevronStart, int AChevronLength, QSize &ATotalSize, QSize &AContentSize,
                                  int &AWrappedLines) {
  const TTBViewOrientation saved = Orientation;
  Orientation = AOrientation;
  const bool vertical = AOrientation == tbvoVertical;
  const int n = int(viewers_.size());
  std::vector<Work> w(size_t(n) + 0);
  TTBCustomItem *chevItem = ChevronItem();
  const int chev = (chevItem && n > 0 && viewers_.back()->Item() == chevItem) ? n - 1 : -1;
  auto along = [&](int i) { return vertical ? w[size_t(i)].h : w[size_t(i)].w; };

  // 1. Visibility.
  for (int i = 0; i < n; ++i) {
    if (i == chev) continue;
    TTBCustomItem *item = viewers_[size_t(i)]->Item();
    bool show;
    if (auto *ci = dynamic_cast<TTBControlItem *>(item)) {
      QWidget *c = ci->Control();
      show = c && window_ && c->parentWidget() == window_ && !c->isHidden();
      if (ChevronOwnerView) show = false;
    } else {
      show = item->Visible() && !(item->Has(ikEmbeddedGroup) && !keepGroupsWhole_);
      if (show && ChevronOwnerView && !item->Has(ikSeparator)) {
        TTBItemViewer *ov = ChevronOwnerView->Find(item);
        show = ov && ov->PushedOff;
      }
    }
    w[size_t(i)].show = show;
  }
  auto cleanSeparators = [&](int *lengthSum) {
    bool onlySepsBefore = true;
    for (int i = 0; i < n; ++i) {
      if (!w[size_t(i)].show || i == chev) continue;
      if (IsSep(viewers_[size_t(i)].get())) {
        if (onlySepsBefore) {
          w[size_t(i)].show = false;
          if (lengthSum) *lengthSum -= along(i);
        }
        onlySepsBefore = true;
      } else {
        onlySepsBefore = false;
      }
    }
    for (int i = n - 1; i >= 0; --i) {
      if (!w[size_t(i)].show || i == chev) continue;
      if (!IsSep(viewers_[size_t(i)].get())) break;
      w[size_t(i)].show = false;
      if (lengthSum) *lengthSum -= along(i);
    }
  };
  cleanSeparators(nullptr);

  // 2. Measuring.
  int sum = 0;
  for (int i = 0; i < n; ++i) {
    if (!w[size_t(i)].show && i != chev) continue;
    TTBItemViewer *v = viewers_[size_t(i)].get();
    int cw = 0, ch = 0;
    if (auto *ci = dynamic_cast<TTBControlItem *>(v->Item())) {
      if (QWidget *c = ci->Control()) {
        cw = c->width();
        ch = c->height();
      }
    } else {
      v->MeasureSize(Metrics((v->Item()->ResolvedOptions() & tboDefault) != 0), cw, ch);
    }
    w[size_t(i)].w = cw;
    w[size_t(i)].h = ch;
    if (i != chev) sum += vertical ? ch : cw;
  }
  const int fullSum = sum;

  // 3. The chevron.
  bool anyPushed = false;
  if (chev >= 0 && AChevronStart >= 1 && sum > AChevronStart) {
    auto shownNonSeps = [&] {
      int c = 0;
      for (int i = 0; i < n; ++i)
        if (i != chev && w[size_t(i)].show && !IsSep(viewers_[size_t(i)].get())) ++c;
      return c;
    };
    while (sum > AChevronStart - AChevronLength && shownNonSeps() >= 2) {
      int last = -1;
      for (int i = n - 1; i >= 0; --i)
        if (i != chev && w[size_t(i)].show) {
          last = i;
          break;
        }
      if (last >= 0 && IsSep(viewers_[size_t(last)].get())) {
        w[size_t(last)].show = false;
        sum -= along(last);
      } else {
        int victim = -1;
        if (!giveWayOrder_.empty()) {
          for (auto it = giveWayOrder_.rbegin(); it != giveWayOrder_.rend(); ++it) {
            const int i = IndexOf(*it);
            if (i >= 0 && i != chev && w[size_t(i)].show && !IsSep(*it)) {
              victim = i;
              break;
            }
          }
        } else {
          victim = last;
        }
        if (victim < 0) break;
        w[size_t(victim)].show = false;
        w[size_t(victim)].pushedOff = true;
        anyPushed = true;
        sum -= along(victim);
      }
      cleanSeparators(&sum);
    }
    cleanSeparators(&sum);
    if (MayMoveControls && chevItem) {
      bool enable = false;
      for (int i = 0; i < n; ++i)
        if (w[size_t(i)].pushedOff && !dynamic_cast<TTBControlItem *>(viewers_[size_t(i)]->Item())) enable = true;
      chevItem->SetEnabled(enable);
    }
  }

  // 4. Content size.
  int thickest = 0;
  for (int i = 0; i < n; ++i)
    if (i != chev && w[size_t(i)].show) thickest = std::max(thickest, vertical ? w[size_t(i)].w : w[size_t(i)].h);
  AContentSize = vertical ? QSize(thickest, fullSum) : QSize(fullSum, thickest);

  // 5. Placing.
  const TTBMargins m = LayoutMargins(AOrientation);
  int wrap = AWrapLength;
  if (wrap >= 1) wrap = std::max(1, wrap - m.Right);
  int x = m.Left, y = m.Top;
  int maxRight = 0, maxBottom = 0;
  bool wrappedAny = false, brokeSinceSeparator = false;
  int lines = 0;
  std::vector<int> row; // indices of the current row
  int rowCross = vertical ? x : y, rowThick = 0;
  bool prevToolbarSize = false, havePrev = false;
  auto flowH = [&](int i) {
    const bool tbSize = isToolbar_ || (viewers_[size_t(i)]->Item()->ResolvedOptions() & tboToolbarSize);
    return tbSize && !vertical;
  };
  auto finishRow = [&](int rowLimit) {
    if (row.empty()) return;
    if (isToolbar_) {
      for (int i : row) {
        Work &wk = w[size_t(i)];
        if (wk.rowDivider) continue;
        if (IsSep(viewers_[size_t(i)].get())) {
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
      if (viewers_[size_t(i)]->Item()->Has(ikRightAlign)) {
        first = i;
        break;
      }
    if (first >= 0) {
      const int lastEnd = vertical ? w[size_t(row.back())].r.bottom() + 1 : w[size_t(row.back())].r.right() + 1;
      const int target = std::max(rowLimit, vertical ? maxBottom : maxRight);
      const int shift = target - lastEnd;
      if (shift > 0)
        for (int i : row)
          if (i >= first) w[size_t(i)].r.translate(vertical ? 0 : shift, vertical ? shift : 0);
    }
    row.clear();
  };
  for (int i = 0; i < n; ++i) {
    if (i == chev || !w[size_t(i)].show) continue;
    Work &wk = w[size_t(i)];
    TTBItemViewer *v = viewers_[size_t(i)].get();
    const bool tbSize = isToolbar_ || (v->Item()->ResolvedOptions() & tboToolbarSize);
    const bool horizontalFlow = flowH(i);
    if (havePrev && prevToolbarSize && !tbSize) {
      finishRow(wrap);
      x = m.Left;
      y = maxBottom;
    }
    const bool alongIsX = horizontalFlow;
    int &pos = alongIsX ? x : y;
    const int start = alongIsX ? m.Left : m.Top;
    const int len = alongIsX ? wk.w : wk.h;
    if (wrap >= 1 && pos > start && (isToolbar_ || horizontalFlow)) {
      if (IsSep(v)) {
        int look = pos + len;
        for (int j = i + 1; j < n; ++j) {
          if (j == chev || !w[size_t(j)].show) continue;
          if (IsSep(viewers_[size_t(j)].get())) break;
          look += alongIsX ? w[size_t(j)].w : w[size_t(j)].h;
        }
        if (look > wrap || (brokeSinceSeparator && !v->Item()->Has(ikNoLineBreak))) {
          finishRow(wrap);
          const int cross = (alongIsX ? y : x) + rowThick;
          wk.rowDivider = true;
          wk.r = alongIsX ? QRect(start, cross, 0, 6) : QRect(cross, start, 6, 0);
          if (alongIsX) {
            y = cross + 6;
            x = start;
          } else {
            x = cross + 6;
            y = start;
          }
          rowCross = alongIsX ? y : x;
          rowThick = 0;
          ++lines;
          wrappedAny = true;
          brokeSinceSeparator = false;
          prevToolbarSize = tbSize;
          havePrev = true;
          continue;
        }
        brokeSinceSeparator = false;
      } else if (pos + len > wrap) {
        finishRow(wrap);
        if (alongIsX) {
          y += rowThick;
          x = start;
        } else {
          x += rowThick;
          y = start;
        }
        rowCross = alongIsX ? y : x;
        rowThick = 0;
        ++lines;
        wrappedAny = true;
        brokeSinceSeparator = true;
      }
    }
    if (row.empty()) rowCross = alongIsX ? y : x;
    wk.r = QRect(x, y, wk.w, wk.h);
    if (alongIsX) x += wk.w;
    else y += wk.h;
    rowThick = std::max(rowThick, alongIsX ? wk.h : wk.w);
    maxRight = std::max(maxRight, wk.r.left() + wk.r.width());
    maxBottom = std::max(maxBottom, wk.r.top() + wk.r.height());
    row.push_back(i);
    prevToolbarSize = tbSize;
    havePrev = true;
  }
  finishRow(wrap);
  for (int i = 0; i < n; ++i)
    if (w[size_t(i)].rowDivider) {
      maxRight = std::max(maxRight, w[size_t(i)].r.left() + w[size_t(i)].r.width());
      maxBottom = std::max(maxBottom, w[size_t(i)].r.top() + w[size_t(i)].r.height());
    }
  if (wrappedAny && !ChevronOwnerView) {
    if (vertical) maxBottom = std::max(maxBottom, wrap);
    else maxRight = std::max(maxRight, wrap);
  }
  // Menu entries of a popup share the width of the widest in their run.
  if (IsPopup()) {
    int i = 0;
    while (i < n) {
      if (i == chev || !w[size_t(i)].show || flowH(i)) {
        ++i;
        continue;
      }
      int j = i, widest = 0;
      std::vector<int> run;
      for (; j < n; ++j) {
        if (j == chev || !w[size_t(j)].show) continue;
        if (flowH(j)) break;
        run.push_back(j);
        widest = std::max(widest, w[size_t(j)].r.width());
      }
      for (int k : run) w[size_t(k)].r.setWidth(widest);
      for (int k : run) maxRight = std::max(maxRight, w[size_t(k)].r.left() + widest);
      i = j;
    }
  }
  QSize total(maxRight + m.Right, maxBottom + m.Bottom);

  // 6. Vertical views mirror left to right.
  if (vertical)
    for (int i = 0; i < n; ++i)
      if (w[size_t(i)].show || w[size_t(i)].rowDivider) {
        QRect &r = w[size_t(i)].r;
        r.moveLeft(total.width() - r.left() - r.width());
      }

  // 7. Scrolling.
  UpArrowShown = DownArrowShown = false;
  if (HeightLimit >= 1 && total.height() > HeightLimit) {
    const int overflow = total.height() - HeightLimit;
    ScrollPos = std::clamp(ScrollPos, 0, overflow);
    UpArrowShown = ScrollPos > 0;
    DownArrowShown = overflow > ScrollPos;
    for (int i = 0; i < n; ++i) {
      Work &wk = w[size_t(i)];
      if (!wk.show) continue;
      wk.r.translate(0, -ScrollPos);
      if ((UpArrowShown && wk.r.top() < kScrollArrowHeight) ||
          (DownArrowShown && wk.r.top() + wk.r.height() > HeightLimit - kScrollArrowHeight)) {
        wk.show = false;
        wk.scrolledOut = true;
      }
    }
    total.setHeight(HeightLimit);
  } else {
    ScrollPos = 0;
  }

  // 8. Hosted controls.
  if (MayMoveControls)
    for (int i = 0; i < n; ++i)
      if (auto *ci = dynamic_cast<TTBControlItem *>(viewers_[size_t(i)]->Item()))
        if (QWidget *c = ci->Control()) {
          // Widgets sit in the window, whose client area may start inside a
          // frame.
          const QRect at = w[size_t(i)].r.translated(ClientOrigin());
          if (!w[size_t(i)].show && (w[size_t(i)].pushedOff || w[size_t(i)].scrolledOut)) c->move(-10000, -10000);
          else if (w[size_t(i)].show && c->geometry() != at) c->setGeometry(at);
        }

  // 9. Row dividers span the whole toolbar.
  if (isToolbar_)
    for (int i = 0; i < n; ++i)
      if (w[size_t(i)].rowDivider) {
        QRect &r = w[size_t(i)].r;
        if (vertical) r = QRect(r.left(), 0, r.width(), total.height());
        else r = QRect(0, r.top(), total.width(), r.height());
        w[size_t(i)].show = true;
      }

  // 10. The chevron.
  if (chev >= 0 && anyPushed) {
    Work &c = w[size_t(chev)];
    c.show = true;
    const int end = std::max(AChevronStart, vertical ? total.height() : total.width());
    c.r = vertical ? QRect(0, end - AChevronLength, total.width(), AChevronLength)
                   : QRect(end - AChevronLength, 0, AChevronLength, total.height());
  }

  // 11. Into the viewers.
  bool changed = false;
  for (int i = 0; i < n; ++i) {
    TTBItemViewer *v = viewers_[size_t(i)].get();
    const Work &wk = w[size_t(i)];
    const QRect r = (wk.show || wk.scrolledOut || wk.rowDivider) ? wk.r : QRect();
    if (v->BoundsRect != r || v->Show != wk.show || v->RowDivider != wk.rowDivider) changed = true;
    v->BoundsRect = r;
    v->Show = wk.show;
    v->PushedOff = wk.pushedOff;
    v->ScrolledOut = wk.scrolledOut;
    v->RowDivider = wk.rowDivider;
  }
  ATotalSize = total;
  AWrappedLines = lines;
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

QPoint TTBView::ClientToScreen(QPoint P) const { return window_ ? window_->mapToGlobal(P + ClientOrigin()) : P; }
QPoint TTBView::ScreenToClient(QPoint P) const { return window_ ? window_->mapFromGlobal(P) - ClientOrigin() : P; }

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
