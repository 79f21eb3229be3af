#include "toolbars/TBarToolbar.h"

#include <QApplication>
#include <QChildEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusTipEvent>
#include <QToolTip>

#include <algorithm>

#include "platform/TbSystemSettings.h"
#include "platform/DesktopMetrics.h"
#include "platform/GuiTimer.h"
#include "toolbars/TBSkinPlus.h"
#include "toolbars/TBSkinShared.h"
#include "toolbars/TBarAccessible.h"
#include "toolbars/TBarConsts.h"
#include "toolbars/TBarMenuLoop.h"

namespace kc::tb {

// ------------------------------------------------------------------ chevron

TTBChevronItem::TTBChevronItem(TTBCustomToolbar *Toolbar) : toolbar_(Toolbar) {
  kind_ |= ikSubmenu;
  SetHint(QString::fromLatin1(STBChevronItemMoreButtonsHint));
}

TTBView *TTBChevronItem::ChevronParentView() const { return toolbar_ ? toolbar_->View() : nullptr; }

std::unique_ptr<TTBItemViewer> TTBChevronItem::CreateViewer(TTBView *View) {
  return std::make_unique<TTBChevronItemViewer>(View, this);
}

TTBChevronGlyph ChevronGlyph(bool Vertical) {
  if (Vertical) return {5, 8, {0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20}};
  return {8, 5, {0xCC, 0x66, 0x33, 0x66, 0xCC}};
}

namespace {

void DrawGlyph(QPainter &P, const TTBChevronGlyph &G, QPoint At, const QColor &Colour) {
  for (int y = 0; y < G.Height; ++y)
    for (int x = 0; x < G.Width; ++x)
      if (G.Rows[size_t(y)] & (0x80 >> x)) P.fillRect(At.x() + x, At.y() + y, 1, 1, Colour);
}

// A one-pixel edge: TopLeft colour on the top and left, the other on the
// bottom and right.
void DrawEdge(QPainter &P, const QRect &R, const QColor &TopLeft, const QColor &BottomRight) {
  P.fillRect(R.left(), R.top(), R.width(), 1, TopLeft);
  P.fillRect(R.left(), R.top(), 1, R.height(), TopLeft);
  P.fillRect(R.left(), R.bottom(), R.width(), 1, BottomRight);
  P.fillRect(R.right(), R.top(), 1, R.height(), BottomRight);
}

} // namespace

void TTBChevronItemViewer::Paint(QPainter &P, const QRect &R, bool IsSelected, bool IsPushed, bool) {
  const TTBBaseSkin *skin = nullptr;
  if (View()->Skin && View()->Skin->SkinType() != tbsDisabled) skin = View()->Skin;
  else if (DefaultSkin().SkinType() != tbsDisabled) skin = &DefaultSkin();
  // The desktop's native look has no chevron part of its own here: the
  // classic drawing stands in for it.
  if (skin && skin->SkinType() == tbsNativeXP) skin = nullptr;
  const bool enabled = Item()->Enabled();
  const bool hot = IsSelected && !IsPushed;
  if (enabled && IsPushed) {
    if (skin) {
      P.fillRect(R, ToQColor(skin->ElementColor(0)));
      DrawEdge(P, R, ToQColor(skin->ElementColor(2)), ToQColor(skin->ElementColor(2)));
    } else {
      DrawEdge(P, R, ToQColor(clBtnShadow), ToQColor(clBtnHighlight));
    }
  } else if (enabled && hot) {
    if (skin) {
      P.fillRect(R, ToQColor(skin->ElementColor(7)));
      DrawEdge(P, R, ToQColor(skin->ElementColor(8)), ToQColor(skin->ElementColor(8)));
    } else {
      DrawEdge(P, R, ToQColor(clBtnHighlight), ToQColor(clBtnShadow));
    }
  }
  const bool vertical = View()->Orientation == tbvoVertical;
  const TTBChevronGlyph glyph = ChevronGlyph(vertical);
  QPoint at = vertical ? QPoint(R.left() + R.width() - 9, R.top() + 2) : QPoint(R.left() + 2, R.top() + 4);
  if (IsPushed && !skin) at += QPoint(1, 1);
  if (enabled) {
    DrawGlyph(P, glyph, at, ToQColor(clBtnText));
  } else {
    DrawGlyph(P, glyph, at + QPoint(1, 1), ToQColor(clBtnHighlight));
    DrawGlyph(P, glyph, at, ToQColor(clBtnShadow));
  }
}

// --------------------------------------------------------------------- view

TTBToolbarView::TTBToolbarView(TTBCustomToolbar *Toolbar)
    : TTBView(nullptr, Toolbar->Items(), Toolbar, true, false, true), toolbar_(Toolbar) {
  Skin = Toolbar->Skin();
  // The base built its viewers before this class existed: again, with the
  // chevron.
  RecreateAllViewers();
}

TTBCustomItem *TTBToolbarView::ChevronItem() { return toolbar_->Chevron(); }

QFont TTBToolbarView::ViewFont() const { return toolbar_->SystemFont() ? MenuFont() : toolbar_->font(); }

QPoint TTBToolbarView::ClientOrigin() const { return toolbar_->ClientRect().topLeft(); }

void TTBToolbarView::ApplyTotalSize(QSize Size) { toolbar_->ViewSizeChanged(Size); }

bool TTBToolbarView::IsMenuBar() const { return toolbar_->MenuBar(); }

// ------------------------------------------------------------ floating sizes

TTBFloatingSizer::TTBFloatingSizer(int Handle, QRect StartBounds, std::vector<QSize> Candidates)
    : handle_(Handle), start_(StartBounds), candidates_(std::move(Candidates)), chosen_(StartBounds.size()) {
  std::stable_sort(candidates_.begin(), candidates_.end(), [this](QSize A, QSize B) { return length(A) < length(B); });
  // Never snap past a neighbouring size: the hold ends one pixel short.
  const int startLen = length(start_.size());
  for (QSize c : candidates_) {
    const int d = std::abs(length(c) - startLen);
    if (d > 0) snap_ = std::min(snap_, std::max(0, d - 1));
  }
}

bool TTBFloatingSizer::alongWidth() const { return handle_ == htLeft || handle_ == htRight; }

QRect TTBFloatingSizer::Track(QPoint Delta, const QRect &Current, bool *Changed) {
  const int startLen = length(start_.size());
  const int moved = alongWidth() ? Delta.x() : Delta.y();
  const bool growsBackwards = handle_ == htLeft || handle_ == htTop || handle_ == htTopLeft || handle_ == htTopRight;
  int wanted = startLen + (growsBackwards ? -moved : moved);
  if (std::abs(wanted - startLen) <= snap_) wanted = startLen;
  QSize pick = start_.size();
  if (wanted != startLen && !candidates_.empty()) {
    // The largest size that fits in the wanted length; the smallest when
    // none does.
    pick = candidates_.front();
    for (QSize c : candidates_)
      if (length(c) <= wanted) pick = c;
  }
  chosen_ = pick;
  const bool fromLeft = handle_ == htLeft || handle_ == htTopLeft || handle_ == htBottomLeft;
  const bool fromTop = handle_ == htTop || handle_ == htTopLeft || handle_ == htTopRight;
  const int x = fromLeft ? start_.left() + start_.width() - pick.width() : start_.left();
  const int y = fromTop ? start_.top() + start_.height() - pick.height() : start_.top();
  const QRect r(x, y, pick.width(), pick.height());
  if (Changed) *Changed = r != Current;
  return r;
}

// ------------------------------------------------------------------ toolbar

TTBCustomToolbar::TTBCustomToolbar(QWidget *Parent)
    : TTBCustomDockableWindow(Parent), items_(std::make_unique<TTBRootItem>()),
      chevron_(std::make_unique<TTBChevronItem>(this)) {
  chevron_->SetLinkSubitems(items_.get());
  InstallToolbarAccessibility();
  view_ = std::make_unique<TTBToolbarView>(this);
  setMouseTracking(true);
  resize(23, 22);
  // Tab does not stop at a hosted widget that waits behind the chevron.
  focusWatch_ = QObject::connect(qApp, &QApplication::focusChanged, this,
                                 [this](QWidget *, QWidget *Now) { SkipHiddenFocus(Now); });
}

QWidget *TTBCustomToolbar::PushedOffHostOf(QWidget *W) const {
  for (const HostedControl &h : hosted_) {
    auto *item = static_cast<TTBControlItem *>(h.Item.get());
    QWidget *c = item ? item->Control() : nullptr;
    if (!c || !(c == W || c->isAncestorOf(W))) continue;
    TTBItemViewer *v = view_->Find(item);
    if (v && v->PushedOff) return c;
  }
  return nullptr;
}

void TTBCustomToolbar::SkipHiddenFocus(QWidget *Now) {
  if (!Now || !isAncestorOf(Now) || !PushedOffHostOf(Now)) return;
  // On along the focus chain to the first widget Tab could stop at; a
  // chain holds every widget of the window once, so the walk ends.
  QWidget *w = Now->nextInFocusChain();
  for (int guard = 0; w && w != Now && guard < 10000; ++guard, w = w->nextInFocusChain())
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled() && !PushedOffHostOf(w)) {
      w->setFocus(Qt::TabFocusReason);
      return;
    }
  Now->clearFocus();
}

TTBCustomToolbar::~TTBCustomToolbar() {
  QObject::disconnect(focusWatch_);
  RegisterToolbarKeys(this, false, false);
  // Hosted widgets are children and go with the window; their items must
  // not outlive the view's reach, nor free the widgets twice.
  for (HostedControl &h : hosted_)
    if (auto *ci = static_cast<TTBControlItem *>(h.Item.get())) ci->KeepControl = true;
  hosted_.clear();
  view_.reset();
  chevron_.reset();
  items_.reset();
}

bool TTBCustomToolbar::ChevronHintStored() const {
  return ChevronHint() != QString::fromLatin1(STBChevronItemMoreButtonsHint);
}

void TTBCustomToolbar::RearrangeAfterChange() {
  view_->DropPositions();
  if (TTBDock *dock = CurrentDock()) dock->ArrangeBars();
  else Arrange();
  update();
}

void TTBCustomToolbar::SetMenuBar(bool Value) {
  if (Value == menuBar_) return;
  menuBar_ = Value;
  SetFullSize(Value);
  SetShrinkMode(Value ? tbsmWrap : tbsmChevron);
  SetCloseButton(!Value);
  SetProcessShortCuts(Value);
  UpdateShortCutRegistration();
  RearrangeAfterChange();
}

void TTBCustomToolbar::SetProcessShortCuts(bool Value) {
  if (Value == processShortCuts_) return;
  processShortCuts_ = Value;
  UpdateShortCutRegistration();
}

void TTBCustomToolbar::UpdateShortCutRegistration() {
  shortCutsRegistered_ = processShortCuts_ || menuBar_;
  RegisterToolbarKeys(this, shortCutsRegistered_, menuBar_);
}

void TTBCustomToolbar::SetShrinkMode(TTBShrinkMode Value) {
  if (Value == shrinkMode_) return;
  shrinkMode_ = Value;
  RearrangeAfterChange();
}

void TTBCustomToolbar::SetSystemFont(bool Value) {
  if (Value == systemFont_) return;
  systemFont_ = Value;
  view_->SetMetrics(nullptr, nullptr);
  RearrangeAfterChange();
}

void TTBCustomToolbar::SetFloatingWidth(int Value) {
  if (Value == floatingWidth_) return;
  floatingWidth_ = Value;
  if (Floating()) RearrangeAfterChange();
}

void TTBCustomToolbar::SetSkin(TTBBaseSkin *Value) {
  TTBCustomDockableWindow::SetSkin(Value);
  if (view_) {
    view_->Skin = Value;
    view_->DropPositions();
  }
  update();
}

void TTBCustomToolbar::UpdateItemActions() {
  if (!updateActions_) return;
  for (int i = 0; i < view_->ViewerCount(); ++i) view_->Viewer(i)->Item()->InitiateAction();
}

bool TTBCustomToolbar::IsShortCut(TShortCut ShortCut) {
  if (OnShortCut) {
    bool handled = false;
    OnShortCut(this, ShortCut, handled);
    if (handled) return true;
  }
  return DispatchShortCut(items_.get(), ShortCut);
}

namespace {

// The accelerator an item answers to: the marked one, or, unless only
// marked ones count, the first letter of a caption without a mark.
bool AnswersTo(TTBCustomItem *Item, QChar Key, bool RequirePrimary) {
  const QString caption = Item->Caption();
  QChar accel = FindAccelChar(caption);
  if (accel.isNull() && !RequirePrimary) {
    const QString shown = StripAccelChars(caption).trimmed();
    if (!shown.isEmpty()) accel = shown.at(0);
  }
  return !accel.isNull() && accel.toUpper() == Key.toUpper();
}

} // namespace

bool TTBCustomToolbar::KeyboardOpen(QChar Key, bool RequirePrimaryAccel) {
  view_->EnsurePositions();
  if (Key.isNull()) {
    TTBItemViewer *first = view_->FirstForKeyboard(true);
    if (!first) return false;
    view_->SetSelection(first);
    StartMenuLoop(0, cursorPosition());
    return true;
  }
  TTBItemViewer *found = nullptr;
  int matches = 0;
  for (int i = 0; i < view_->ViewerCount(); ++i) {
    TTBItemViewer *v = view_->Viewer(i);
    if (!(v->Show || v->PushedOff) || !v->Item()->Visible() || !v->Item()->Has(ikSelectable)) continue;
    if (v->Item() == chevron_.get() || !AnswersTo(v->Item(), Key, RequirePrimaryAccel)) continue;
    if (!found) found = v;
    ++matches;
  }
  if (!found || !found->Item()->Enabled()) return false;
  if (matches == 1) {
    if (!found->Item()->Has(ikSubmenu)) {
      found->Item()->Click();
    } else {
      view_->SetSelection(found);
      StartMenuLoop(rbmKeyboardOpen | rbmSelectFirst, cursorPosition());
    }
  } else if (menuBar_) {
    view_->SetSelection(found);
    StartMenuLoop(0, cursorPosition());
  }
  return true;
}

void TTBCustomToolbar::StartMenuLoop(int Options, QPoint CursorPos) {
  QPointer<TTBCustomToolbar> self(this);
  if (Options & rbmStartedByMouse) {
    // Modal, as a desktop menu: returns when the menu has closed.
    menuLoopRunning_ = true;
    RunBarMenu(view_.get(), Options, CursorPos);
    if (self) menuLoopRunning_ = false;
    return;
  }
  postToGuiThread([self, Options, CursorPos] {
    if (self && self->view_->Selected()) RunBarMenu(self->view_.get(), Options, CursorPos);
  });
}

// ------------------------------------------------------------------- layout

TTBViewOrientation TTBCustomToolbar::OrientationFor(TTBDockKind Kind) const {
  if (Kind == dkVertical) return tbvoVertical;
  if (Kind == dkHorizontal) return tbvoHorizontal;
  return tbvoFloating;
}

QSize TTBCustomToolbar::LayoutForDock(bool MoveControls, TTBDockKind Kind, TTBDock *Dock, bool IsFloating) {
  const TTBViewOrientation o = OrientationFor(IsFloating ? dkFloating : Kind);
  int wrap = 0, chevronStart = 0, chevronLength = 0;
  if (o == tbvoFloating) {
    wrap = floatingWidth_;
  } else if (Dock && Dock == CurrentDock()) {
    const bool vertical = o == tbvoVertical;
    const QSize frame = GetDockedFrameSize();
    const int frameAlong = vertical ? frame.height() : frame.width();
    int avail = CurrentSize() > 0 ? CurrentSize() - frameAlong : 0;
    if (FullSize()) {
      const QRect client = Dock->ClientRect();
      avail = (vertical ? client.height() : client.width()) - frameAlong;
    }
    avail = std::max(avail, 0);
    if (avail > 0) {
      if (shrinkMode_ == tbsmWrap) {
        wrap = avail;
      } else if (shrinkMode_ == tbsmChevron) {
        chevronStart = avail;
        chevronLength = ChevronSize();
      }
    }
  }
  if (MoveControls) {
    view_->Orientation = o;
    view_->WrapLength = wrap;
    view_->ChevronStart = chevronStart;
    view_->ChevronLength = chevronLength;
    ++layoutDepth_;
    view_->Relayout();
    --layoutDepth_;
    viewSize_ = view_->TotalSize;
    update();
    return viewSize_;
  }
  QSize total, content;
  int lines = 0;
  ++layoutDepth_;
  view_->UpdateItemPositions(false, o, wrap, chevronStart, chevronLength, total, content, lines);
  --layoutDepth_;
  // The trial wrote its rectangles into the viewers: the real layout comes
  // back before anything is painted or hit.
  view_->DropPositions();
  return total;
}

QSize TTBCustomToolbar::GetContentSize() {
  view_->EnsurePositions();
  // Along a dock's rows a bar asks for the length of all its items, also
  // while some of them wait behind the chevron or wrap, or the dock would
  // never give them their room back; across, it is as thick as it is now.
  switch (view_->Orientation) {
  case tbvoHorizontal: return QSize(view_->ContentSize.width(), view_->TotalSize.height());
  case tbvoVertical: return QSize(view_->TotalSize.width(), view_->ContentSize.height());
  case tbvoFloating: break;
  }
  return view_->TotalSize;
}

int TTBCustomToolbar::GetMinimumLength() const {
  const bool vertical = DockKind() == dkVertical;
  view_->EnsurePositions();
  int first = 0;
  for (int i = 0; i < view_->ViewerCount(); ++i) {
    const TTBItemViewer *v = view_->Viewer(i);
    if (v->Show && v->Item() != chevron_.get()) {
      first = vertical ? v->BoundsRect.height() : v->BoundsRect.width();
      break;
    }
  }
  const QSize frame = GetDockedFrameSize();
  return first + (vertical ? frame.height() : frame.width()) + ChevronSize();
}

void TTBCustomToolbar::ViewSizeChanged(QSize Size) {
  if (layoutDepth_ > 0) return;
  if (Size == viewSize_) return;
  viewSize_ = Size;
  if (!AutoResize()) return;
  ++layoutDepth_;
  Arrange();
  --layoutDepth_;
}

void TTBCustomToolbar::ContentResized() {
  view_->DropPositions();
  update();
}

bool TTBCustomToolbar::HitTestChildAt(QPoint P) const {
  if (TTBCustomDockableWindow::HitTestChildAt(P)) return true;
  const QRect client = ClientRect();
  if (!client.contains(P)) return false;
  TTBItemViewer *v = view_->ViewerAt(P - client.topLeft());
  return v && !dynamic_cast<TTBControlItem *>(v->Item()) && !v->Item()->Has(ikSeparator);
}

QSize TTBCustomToolbar::FloatingContentSize(int Width, int *Rows) {
  QSize total, content;
  int lines = 0;
  ++layoutDepth_;
  view_->UpdateItemPositions(false, tbvoFloating, Width, 0, 0, total, content, lines);
  --layoutDepth_;
  if (Rows) *Rows = lines;
  return total;
}

std::vector<QSize> TTBCustomToolbar::FloatingSizes() {
  struct Entry {
    QSize size;
    int rows;
  };
  std::vector<Entry> list;
  int rows = 0;
  // The natural size (one row, as far as the items go) always comes first,
  // whatever width the toolbar floats at now, so a resize can go back to it.
  const QSize natural = FloatingContentSize(0, &rows);
  list.push_back({natural, rows});
  const TTBMargins m = view_->LayoutMargins(tbvoFloating);
  for (int w = natural.width() - 1; w >= m.Left + m.Right;) {
    const QSize s = FloatingContentSize(w, &rows);
    if (s.width() > w) break;
    if (s.width() == w) {
      if (list.back().rows == rows) list.back() = {s, rows};
      else list.push_back({s, rows});
      --w;
    } else {
      w = s.width();
    }
  }
  view_->DropPositions();
  std::vector<QSize> out;
  for (const Entry &e : list) out.push_back(e.size);
  return out;
}

// Which frame handle is being dragged is read from the edges the sizing
// loop moves: the first edges seen moving name it.
namespace {
int HandleFromEdges(bool Left, bool Right, bool Top, bool Bottom) {
  if (Top && Left) return htTopLeft;
  if (Top && Right) return htTopRight;
  if (Bottom && Left) return htBottomLeft;
  if (Bottom && Right) return htBottomRight;
  if (Left) return htLeft;
  if (Right) return htRight;
  if (Top) return htTop;
  if (Bottom) return htBottom;
  return 0;
}
} // namespace

void TTBCustomToolbar::SizingStarted() {
  resize_ = std::make_unique<Resize>();
  resize_->StartCursor = cursorPosition();
  resize_->StartFloatingWidth = floatingWidth_;
  if (TTBFloatingWindowParent *fp = FloatParent()) resize_->Frame = fp->OuterSizeFor(QSize(0, 0));
}

void TTBCustomToolbar::SizingMoved(QRect &NewRect) {
  TTBFloatingWindowParent *fp = FloatParent();
  if (!resize_ || !fp) return;
  const QRect start = fp->geometry();
  if (!resize_->Sizer) {
    const int handle = HandleFromEdges(NewRect.left() != start.left(), NewRect.right() != start.right(),
                                       NewRect.top() != start.top(), NewRect.bottom() != start.bottom());
    if (!handle) return;
    std::vector<QSize> sizes;
    for (QSize s : FloatingSizes()) sizes.push_back(s + resize_->Frame);
    resize_->Sizer = std::make_unique<TTBFloatingSizer>(handle, start, std::move(sizes));
  }
  NewRect = resize_->Sizer->Track(cursorPosition() - resize_->StartCursor, NewRect);
  // The items wrap at the new width now, so that a window sized at once
  // shows them as they will stand.
  const int width = resize_->Sizer->Chosen().width() - resize_->Frame.width();
  if (width != floatingWidth_) {
    floatingWidth_ = width;
    LayoutForDock(true, dkFloating, nullptr, true);
  }
}

void TTBCustomToolbar::SizingEnded() {
  if (!resize_) return;
  const bool applied = resize_->Sizer && FloatParent() && FloatParent()->size() == resize_->Sizer->Chosen();
  const int width = applied ? resize_->Sizer->Chosen().width() - resize_->Frame.width() : resize_->StartFloatingWidth;
  resize_.reset();
  floatingWidth_ = -1; // forces the layout below
  SetFloatingWidth(width);
}

void TTBCustomToolbar::WritePositionData(const TTBPositionWriteIntProc &WriteInt,
                                         const TTBPositionWriteStringProc &WriteString) {
  TTBCustomDockableWindow::WritePositionData(WriteInt, WriteString);
  WriteInt(objectName(), QStringLiteral("FloatRightX"), floatingWidth_);
}

void TTBCustomToolbar::ReadPositionData(const TTBPositionReadIntProc &ReadInt,
                                        const TTBPositionReadStringProc &ReadString) {
  TTBCustomDockableWindow::ReadPositionData(ReadInt, ReadString);
  floatingWidth_ = StoredFloatingWidth(ReadInt(objectName(), QStringLiteral("FloatRightX"), 0));
}

// ----------------------------------------------------------- hosted widgets

void TTBCustomToolbar::HostControl(QWidget *W) {
  for (const HostedControl &h : hosted_)
    if (h.Control == W && h.Item) return;
  auto *item = new TTBControlItem(W);
  items_->Add(item);
  hosted_.push_back({W, TTBItemRef(item)});
  W->installEventFilter(this);
}

void TTBCustomToolbar::ReleaseControl(QObject *W) {
  std::vector<TTBCustomItem *> doomed;
  for (const HostedControl &h : hosted_)
    if (h.Control == W && h.Item) doomed.push_back(h.Item.get());
  std::erase_if(hosted_, [W](const HostedControl &h) { return h.Control == W || !h.Item; });
  for (TTBCustomItem *item : doomed) {
    // The widget itself survives: it is only leaving the toolbar (or is
    // being destroyed by its own owner).
    static_cast<TTBControlItem *>(item)->KeepControl = true;
    delete item;
  }
}

void TTBCustomToolbar::childEvent(QChildEvent *e) {
  TTBCustomDockableWindow::childEvent(e);
  QObject *child = e->child();
  // A widget being destroyed is no longer a widget by the time it leaves.
  if (e->type() == QEvent::ChildRemoved) ReleaseControl(child);
  else if (e->type() == QEvent::ChildAdded && child->isWidgetType() && !static_cast<QWidget *>(child)->isWindow())
    HostControl(static_cast<QWidget *>(child));
}

bool TTBCustomToolbar::event(QEvent *e) {
  switch (e->type()) {
  case QEvent::ToolTip: {
    auto *he = static_cast<QHelpEvent *>(e);
    const QPoint origin = ClientRect().topLeft();
    TTBItemViewer *v = view_->ViewerAt(he->pos() - origin);
    const QString hint = v ? v->Item()->ShortHint() : QString();
    if (hint.isEmpty() || v->BoundsRect.isEmpty()) QToolTip::hideText();
    else QToolTip::showText(he->globalPos(), hint, this, v->BoundsRect.translated(origin));
    return true;
  }
  case QEvent::FontChange:
    if (!systemFont_) {
      view_->SetMetrics(nullptr, nullptr);
      RearrangeAfterChange();
    }
    break;
  default: break;
  }
  return TTBCustomDockableWindow::event(e);
}

bool TTBCustomToolbar::eventFilter(QObject *Watched, QEvent *Event) {
  // A hosted widget that shows, hides or takes another size changes the
  // layout; a size the layout gave it itself does not.
  const QEvent::Type t = Event->type();
  if (t == QEvent::ShowToParent || t == QEvent::HideToParent) {
    RearrangeAfterChange();
  } else if (t == QEvent::Resize && Watched->isWidgetType()) {
    auto *w = static_cast<QWidget *>(Watched);
    for (int i = 0; i < view_->ViewerCount(); ++i) {
      auto *ci = dynamic_cast<TTBControlItem *>(view_->Viewer(i)->Item());
      if (ci && ci->Control() == w && view_->Viewer(i)->Show && view_->Viewer(i)->BoundsRect.size() != w->size()) {
        RearrangeAfterChange();
        break;
      }
    }
  }
  return TTBCustomDockableWindow::eventFilter(Watched, Event);
}

// --------------------------------------------------------- mouse and paint

void TTBCustomToolbar::paintEvent(QPaintEvent *e) {
  TTBCustomDockableWindow::paintEvent(e);
  QPainter p(this);
  const QRect client = ClientRect();
  p.setClipRect(client & e->rect());
  const TTBBaseSkin *skin = view_->ActiveSkin();
  QColor back = Color();
  if (skin && !(menuBar_ && !(skin->Options() & tboMenuTBColor))) back = ToQColor(skin->ElementColor(3));
  p.fillRect(client, back);
  p.translate(client.topLeft());
  view_->PaintViewers(p, e->rect().translated(-client.topLeft()));
}

void TTBCustomToolbar::mousePressEvent(QMouseEvent *e) {
  const QRect client = ClientRect();
  const QPoint at = e->position().toPoint();
  if (e->button() == Qt::LeftButton && client.contains(at) && !view_->Has(vsInModalLoop)) {
    TTBItemViewer *v = view_->ViewerAt(at - client.topLeft());
    if (v && !dynamic_cast<TTBControlItem *>(v->Item()) && !v->Item()->Has(ikSeparator)) {
      view_->SetSelection(v);
      StartMenuLoop(rbmStartedByMouse, e->globalPosition().toPoint());
      return;
    }
  }
  TTBCustomDockableWindow::mousePressEvent(e);
}

void TTBCustomToolbar::mouseMoveEvent(QMouseEvent *e) {
  if (!view_->Has(vsInModalLoop) && !DragInProgress()) {
    TTBItemViewer *v = view_->ViewerAt(e->position().toPoint() - ClientRect().topLeft());
    const bool hot = v && v->Item()->Has(ikSelectable) && !dynamic_cast<TTBControlItem *>(v->Item());
    view_->SetSelection(hot ? v : nullptr);
    TTBCustomItem *item = v && v->Item() != chevron_.get() ? v->Item() : v ? chevron_.get() : nullptr;
    SetHint(item && !(item->ResolvedOptions() & tboLongHintInMenuOnly) ? item->Hint() : QString());
  }
  TTBCustomDockableWindow::mouseMoveEvent(e);
}

void TTBCustomToolbar::SetHint(const QString &Value) {
  if (Value == hint_) return;
  hint_ = Value;
  const int bar = int(hint_.indexOf(u'|'));
  QStatusTipEvent tip(bar < 0 ? hint_ : hint_.mid(bar + 1));
  QCoreApplication::sendEvent(this, &tip);
}

void TTBCustomToolbar::leaveEvent(QEvent *e) {
  if (!view_->Has(vsInModalLoop) && !menuLoopRunning_ && !QWidget::mouseGrabber()) {
    view_->SetSelection(nullptr);
    SetHint(QString());
  }
  TTBCustomDockableWindow::leaveEvent(e);
}

} // namespace kc::tb
