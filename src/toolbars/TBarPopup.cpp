#include "toolbars/TBarPopup.h"

#include <algorithm>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>

#include "platform/Screen.h"
#include "platform/TbScreenShot.h"
#include "platform/TbSystemSettings.h"
#include "toolbars/TBSkinShared.h"
#include "toolbars/TBarAccessible.h"
#include "toolbars/TBarAnim.h"
#include "toolbars/TBarMenuLoop.h"
#include "toolbars/TBarShadow.h"

namespace kc::tb {

QFont TTBPopupView::ViewFont() const { return Window() ? Window()->font() : MenuFont(); }

QPoint TTBPopupView::ClientOrigin() const {
  if (auto *w = qobject_cast<TTBPopupWindow *>(Window())) return w->ClientRect().topLeft();
  return {};
}

TTBPopupWindow::TTBPopupWindow(TTBView *ParentView, TTBCustomItem *Item, const TTBBaseSkin *PopupSkin)
    : QWidget(nullptr,
              Qt::Popup | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint) {
  InstallToolbarAccessibility();
  setAttribute(Qt::WA_ShowWithoutActivating);
  // The menu loop hands a press outside to the window under it itself.
  setAttribute(Qt::WA_NoMouseReplay);
  setAttribute(Qt::WA_DeleteOnClose, false);
  setFocusPolicy(Qt::NoFocus);
  Open(ParentView, Item, PopupSkin);
}

void TTBPopupWindow::Open(TTBView *ParentView, TTBCustomItem *Item, const TTBBaseSkin *PopupSkin) {
  resize(320, 240);
  AnimationDirection = 0;
  opener_ = QRect();
  // The skin: the parent view's when active, the popup menu's, else the
  // default skin unless it is disabled or native.
  const TTBBaseSkin *skin = nullptr;
  if (ParentView && ParentView->Skin && ParentView->Skin->SkinType() != tbsDisabled) skin = ParentView->Skin;
  else if (PopupSkin && PopupSkin->SkinType() != tbsDisabled) skin = PopupSkin;
  else if (DefaultSkin().SkinType() != tbsDisabled && DefaultSkin().SkinType() != tbsNativeXP) skin = &DefaultSkin();
  skin_ = skin;
  border_ = skin ? skin->PopupBorderWidth() : 3;
  setFont(ParentView && ParentView->Window() ? ParentView->Window()->font() : MenuFont());
  view_ = std::make_unique<TTBPopupView>(ParentView, Item, this, false);
  view_->Skin = skin;
  view_->ChevronOwnerView = Item ? Item->ChevronParentView() : nullptr;
  parentWindow_ = ParentView ? ParentView->Window() : nullptr;
}

void TTBPopupWindow::Close() {
  StopPopupAnimation(this);
  if (view_) view_->CloseSubmenus();
  hide();
  if (announced_) AnnounceMenu(this, false);
  announced_ = false;
  HideHint();
  shadows_.clear();
  view_.reset();
  parentWindow_ = nullptr;
}

TTBPopupWindow::~TTBPopupWindow() { Close(); }

namespace {

// Enough for a few menu levels open at once.
constexpr size_t kKeptPopupWindows = 4;

std::vector<TTBPopupWindow *> &KeptPopups() {
  static std::vector<TTBPopupWindow *> kept;
  return kept;
}
bool g_popupDropRegistered = false;

// The kept windows go before the application does: a widget may not
// outlive it.
void DropKeptPopups() {
  std::vector<TTBPopupWindow *> kept;
  kept.swap(KeptPopups());
  for (TTBPopupWindow *w : kept) delete w;
  g_popupDropRegistered = false;
}

TTBPopupWindowPtr TakePopupWindow(TTBView *ParentView, TTBCustomItem *Item, const TTBBaseSkin *PopupSkin) {
  std::vector<TTBPopupWindow *> &kept = KeptPopups();
  if (kept.empty()) return TTBPopupWindowPtr(new TTBPopupWindow(ParentView, Item, PopupSkin));
  TTBPopupWindowPtr wnd(kept.back());
  kept.pop_back();
  wnd->Open(ParentView, Item, PopupSkin);
  return wnd;
}

} // namespace

void TTBPopupWindowRelease::operator()(TTBPopupWindow *Window) const {
  if (!Window) return;
  Window->Close();
  if (!QCoreApplication::instance() || KeptPopups().size() >= kKeptPopupWindows) {
    delete Window;
    return;
  }
  if (!g_popupDropRegistered) {
    qAddPostRoutine(DropKeptPopups);
    g_popupDropRegistered = true;
  }
  KeptPopups().push_back(Window);
}

int KeptPopupWindowCount() { return int(KeptPopups().size()); }

void TTBPopupWindow::HoverAt(QPoint Global) {
  TTBItemViewer *v = nullptr;
  if (view_ && QRect(view_->ClientToScreen(QPoint(0, 0)), view_->TotalSize).contains(Global))
    v = view_->ViewerAt(view_->ScreenToClient(Global));
  if (v && (v->Item()->ShortHint().isEmpty() || !MenuHintsShown())) v = nullptr;
  if (v == hintViewer_) return;
  HideHint();
  hintViewer_ = v;
  if (!v) return;
  hintPointer_ = Global;
  if (!hintTimer_) hintTimer_ = std::make_unique<kc::GuiTimer>();
  hintTimer_->start(std::max(1, tbSystemSettings().hintPause), [this] {
    hintTimer_->stop();
    ShowHint();
  });
}

const QLabel *TTBPopupWindow::ShownHint() const { return hint_ && hint_->isVisible() ? hint_.get() : nullptr; }

void TTBPopupWindow::ShowHint() {
  if (!hintViewer_ || !view_) return;
  hint_ = std::make_unique<QLabel>(hintViewer_->Item()->ShortHint(), nullptr,
                                   Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  hint_->setAttribute(Qt::WA_ShowWithoutActivating);
  hint_->setFont(font());
  hint_->setMargin(2);
  hint_->setAutoFillBackground(true);
  QPalette pal = hint_->palette();
  pal.setColor(QPalette::Window, ToQColor(clInfoBk));
  pal.setColor(QPalette::WindowText, ToQColor(clInfoText));
  hint_->setPalette(pal);
  hint_->setStyleSheet(QStringLiteral("QLabel { border: 1px solid black; }"));
  hint_->adjustSize();
  // Under the item, starting at the pointer, kept on the pointer's monitor.
  const QRect item(view_->ClientToScreen(hintViewer_->BoundsRect.topLeft()), hintViewer_->BoundsRect.size());
  const QRect work = kc::monitorWorkAreaAt(hintPointer_);
  QPoint at(hintPointer_.x(), item.bottom() + 1 + 2);
  if (at.y() + hint_->height() > work.bottom() + 1) at.setY(item.top() - 2 - hint_->height());
  at.setX(std::clamp(at.x(), work.left(), std::max(work.left(), work.right() + 1 - hint_->width())));
  hint_->move(at);
  hint_->show();
}

void TTBPopupWindow::HideHint() {
  if (hintTimer_) hintTimer_->stop();
  hintViewer_ = nullptr;
  hint_.reset();
}

QMargins TTBPopupWindow::FrameMargins() const {
  const int side = (skin_ && skin_->SkinType() == tbsOfficeXP) ? border_ - 1 : border_;
  return QMargins(side, border_, side, border_);
}

void TTBPopupWindow::SetClientSize(QSize Size) {
  const QMargins m = FrameMargins();
  resize(Size.width() + m.left() + m.right(), Size.height() + m.top() + m.bottom());
}

QRect TTBPopupWindow::ClientRect() const { return rect().marginsRemoved(FrameMargins()); }

void TTBPopupWindow::closeEvent(QCloseEvent *e) {
  // Menu levels are closed by the menu loop, never by the window system.
  e->ignore();
}

void TTBPopupWindow::PaintFrame(QPainter &P) {
  const QRect r = rect();
  auto frame = [&](QRect f, const QColor &c) {
    P.fillRect(QRect(f.left(), f.top(), f.width(), 1), c);
    P.fillRect(QRect(f.left(), f.bottom(), f.width(), 1), c);
    P.fillRect(QRect(f.left(), f.top(), 1, f.height()), c);
    P.fillRect(QRect(f.right(), f.top(), 1, f.height()), c);
  };
  const TTBBaseSkin *skin = skin_;
  const TTBSkins type = skin ? skin->SkinType() : tbsDisabled;
  if (type == tbsOfficeXP || type == tbsWindowsXP || type == tbsNativeXP) {
    const QColor border = ToQColor(skin->ElementColor(2)), popup = ToQColor(skin->ElementColor(1));
    P.fillRect(r, popup);
    frame(r, border);
    if (type == tbsOfficeXP && view_ && view_->OwnerView() && view_->OwnerView()->IsToolbar()) {
      // The edge that touches the open item is drawn in the item's colour so
      // popup and item look joined.
      TTBView *owner = view_->OwnerView();
      if (TTBItemViewer *ov = owner->OpenedViewer; ov && ov->Item()->Tag != 1234567890) {
        const QRect item(owner->ClientToScreen(ov->BoundsRect.topLeft()), ov->BoundsRect.size());
        const QRect me = geometry();
        const QColor joined = ToQColor(skin->ElementColor(5));
        if (owner->Orientation != tbvoVertical && item.bottom() + 1 == me.top()) {
          const int l = std::max(item.left(), me.left()) - me.left() + 1;
          const int rr = std::min(item.right(), me.right()) - me.left() - 1;
          if (rr >= l) P.fillRect(QRect(l, 0, rr - l + 1, 1), joined);
        }
      }
    }
    return;
  }
  const QColor bg = ToQColor(clMenu);
  P.fillRect(r, bg);
  if (tbSystemSettings().flatMenus) {
    frame(r, ToQColor(clBtnShadow));
    return;
  }
  // A raised edge (light and face outside, shadow and dark inside) and a
  // frame in the face colour.
  auto edge = [&](QRect f, const QColor &tl, const QColor &br) {
    P.fillRect(QRect(f.left(), f.top(), f.width(), 1), tl);
    P.fillRect(QRect(f.left(), f.top(), 1, f.height()), tl);
    P.fillRect(QRect(f.left(), f.bottom(), f.width(), 1), br);
    P.fillRect(QRect(f.right(), f.top(), 1, f.height()), br);
  };
  edge(r, ToQColor(clBtnFace), ToQColor(cl3DDkShadow));
  edge(r.adjusted(1, 1, -1, -1), ToQColor(clBtnHighlight), ToQColor(clBtnShadow));
  frame(r.adjusted(2, 2, -2, -2), ToQColor(clBtnFace));
}

void TTBPopupWindow::paintEvent(QPaintEvent *) {
  QPainter P(this);
  // While sliding in, the content moves in with the uncovered part.
  const QVariant slide = property("kcAnimOffset");
  if (slide.isValid()) P.translate(slide.toPoint());
  PaintFrame(P);
  const QRect client = ClientRect();
  const TTBBaseSkin *skin = skin_;
  P.save();
  P.translate(client.topLeft());
  const QRect local(QPoint(0, 0), client.size());
  P.setClipRect(local);
  if (skin && (skin->PopupStyle() == tbpsGradVert || skin->PopupStyle() == tbpsGradHorz) &&
      skin->SkinType() != tbsNativeXP)
    GradientFillRect(P, local, skin->Colors.ColorByIndex(tcPopupGradStart), skin->PopupStyle() == tbpsGradVert,
                     skin->Colors.ColorByIndex(tcPopupGradEnd));
  else P.fillRect(local, skin ? ToQColor(skin->ElementColor(1)) : ToQColor(clMenu));
  if (skin && (skin->SkinType() == tbsOfficeXP || skin->SkinType() == tbsWindowsXP)) {
    const QRect col(0, 0, view_->ImageColumnWidth(), local.height());
    if (skin->ImgBackStyle() == tbimsGradVert || skin->ImgBackStyle() == tbimsGradHorz)
      GradientFillRect(P, col, skin->Colors.ColorByIndex(tcImgGradStart), skin->ImgBackStyle() == tbimsGradVert,
                       skin->Colors.ColorByIndex(tcImgGradEnd));
    else if (skin->SkinType() == tbsOfficeXP) P.fillRect(col, ToQColor(skin->ElementColor(5)));
  }
  view_->PaintViewers(P, local);
  // Scroll arrows: triangles in the menu text colour in 19-pixel bands.
  auto arrow = [&](int bandTop, bool up) {
    const int cx = local.width() / 2, cy = bandTop + kScrollArrowHeight / 2 - 1;
    QPolygon tri = up ? QPolygon({QPoint(cx - 3, cy + 3), QPoint(cx + 3, cy + 3), QPoint(cx, cy)})
                      : QPolygon({QPoint(cx - 3, cy), QPoint(cx + 3, cy), QPoint(cx, cy + 3)});
    P.setPen(ToQColor(clMenuText));
    P.setBrush(ToQColor(clMenuText));
    P.drawPolygon(tri);
  };
  if (view_->UpArrowShown) arrow(0, true);
  if (view_->DownArrowShown) arrow(local.height() - kScrollArrowHeight, false);
  P.restore();
}

// Where the shadows go, of which kind, and the screen under copied ones.
struct TTBPopupWindow::ShadowPictures {
  std::vector<TPopupShadow> plan;
  bool translucent = false;
  std::vector<QImage> beneath;
};

void TTBPopupWindow::ShowPopup() {
  // A screen reader hears the menu open, then the item the keyboard is on.
  announced_ = true;
  AnnounceMenu(this, true);
  AnnounceSelection(*view_);
  const TbSystemSettings &s = tbSystemSettings();
  TTBView *owner = view_->OwnerView();
  const bool noAnim = (owner && owner->Has(vsNoAnimation)) || view_->Has(vsNoAnimation);
  if (!noAnim && s.menuAnimation && (s.menuFade || AnimationDirection != 0)) {
    QPointer<TTBPopupWindow> self(this);
    StartPopupAnimation(this, 150, s.menuFade, AnimationDirection, [self] {
      if (self) self->ShowShadows();
    });
    return;
  }
  // The screen under the shadows is taken before the popup shows: the popup
  // does not lie there, and it draws in the event loop's next pass rather
  // than while the picture is awaited.
  const ShadowPictures pictures = TakeShadowPictures();
  show();
  CastShadows(pictures);
}

QRect TTBPopupWindow::ShadowGeometry(int i) const { return shadows_[size_t(i)]->geometry(); }

TTBPopupWindow::ShadowPictures TTBPopupWindow::TakeShadowPictures() const {
  ShadowPictures s;
  if (!shadows_.empty() || !skin_ || !(skin_->Options() & tboShadow)) return s;
  s.plan = PopupShadowPlan(geometry(), opener_, skin_->ShadowStyle());
  s.translucent = tbDesktopComposited();
  s.beneath.resize(s.plan.size());
  if (s.translucent) return s;
  // All of them before any shows, so none darkens another where they meet.
  std::vector<QRect> rects;
  for (const TPopupShadow &p : s.plan) rects.push_back(p.Rect);
  s.beneath = tbGrabScreenAreas(rects);
  return s;
}

void TTBPopupWindow::CastShadows(const ShadowPictures &Pictures) {
  if (!shadows_.empty() || !isVisible()) return;
  for (size_t i = 0; i < Pictures.plan.size(); ++i) {
    TShadowPtr shadow = TakeShadow(Pictures.plan[i].Rect, Pictures.plan[i].Strip, Pictures.translucent);
    if (shadow->ShowOver(Pictures.beneath[i])) shadows_.push_back(std::move(shadow));
  }
}

void TTBPopupWindow::ShowShadows() {
  if (isVisible()) CastShadows(TakeShadowPictures());
}

std::vector<TPopupShadow> PopupShadowPlan(const QRect &Popup, const QRect &Opener, TShadowStyle Style) {
  // Four pixels thick, along the right edge from four below the top and
  // along the bottom from four right of the left edge, meeting at the corner.
  constexpr int T = 4;
  auto strip = [Style](bool Vertical, bool Start, bool End) {
    TShadowStrip s;
    s.Vertical = Vertical;
    s.StartCorner = Start;
    s.EndCorner = End;
    s.Style = Style;
    return s;
  };
  std::vector<TPopupShadow> out;
  out.push_back({QRect(Popup.right() + 1, Popup.top() + T, T, Popup.height() - T), strip(true, true, false)});
  TPopupShadow bottom{QRect(Popup.left() + T, Popup.bottom() + 1, Popup.width(), T), strip(false, true, true)};
  if (Opener.isEmpty()) {
    out.push_back(bottom);
    return out;
  }
  if (Opener.bottom() < Popup.top()) {
    // Dropped down: the item's right side shades the toolbar down to the popup.
    out.push_back(bottom);
    const int h = Popup.top() - (Opener.top() + T);
    if (h > 0) out.push_back({QRect(Opener.right() + 1, Opener.top() + T, T, h), strip(true, true, false)});
  } else if (Opener.top() > Popup.bottom()) {
    // Opened upwards: the popup's bottom shadow would fall on the item, so
    // that span is left out; the item shades its right side and its bottom.
    const int from = std::max(Opener.left(), bottom.Rect.left()) - bottom.Rect.left();
    const int to = std::min(Opener.right() + 1, bottom.Rect.right() + 1) - bottom.Rect.left();
    if (from < to) {
      bottom.Strip.ExclStart = from;
      bottom.Strip.ExclEnd = to;
    }
    out.push_back(bottom);
    out.push_back({QRect(Opener.right() + 1, Opener.top(), T, Opener.height()), strip(true, false, false)});
    out.push_back({QRect(Opener.left() + T, Opener.bottom() + 1, Opener.width(), T), strip(false, true, true)});
  } else {
    // Beside a vertical toolbar's item: the item's bottom shades the bar up
    // to the popup.
    out.push_back(bottom);
    const int left = Opener.left() + T;
    const int w = Opener.right() < Popup.left() ? Popup.left() - left : Opener.right() + 1 - left;
    if (w > 0) out.push_back({QRect(left, Opener.bottom() + 1, w, T), strip(false, true, false)});
  }
  return out;
}

TTBPopupWindowPtr CreatePopup(TTBCustomItem *Item, TTBView *ParentView, TTBItemViewer *ParentViewer,
                              bool PositionAsSubmenu, bool SelectFirstItem, QPoint Point, int Alignment,
                              const TTBBaseSkin *PopupSkin) {
  if (Item->LinkSubitems() && Item->LinkSubitems() != Item) Item->LinkSubitems()->DoPopup(Item, true);
  Item->DoPopup(Item, false);
  TTBPopupWindowPtr wnd = TakePopupWindow(ParentView, Item, PopupSkin);
  TTBPopupView *view = wnd->View();
  const int frameW = wnd->BorderWidth();
  QRect ref;
  if (ParentViewer)
    ref = QRect(ParentView->ClientToScreen(ParentViewer->BoundsRect.topLeft()), ParentViewer->BoundsRect.size());
  else ref = QRect(Point, QSize(0, 0));
  // The menu stays on the monitor it opens from: the one holding the item
  // (or the point), not the primary one.
  const QRect work = ParentViewer ? kc::monitorWorkAreaOf(ref) : kc::monitorWorkAreaAt(Point);
  view->WorkArea = work;
  if (ParentViewer && !PositionAsSubmenu && wnd->skin_ && wnd->skin_->SkinType() == tbsOfficeXP) wnd->opener_ = ref;
  view->HeightLimit = work.height() - 2 * frameW;
  if (SelectFirstItem) view->SetSelection(view->FirstForKeyboard(true));
  view->Relayout();
  const int W = wnd->width(), H = wnd->height();
  int X, Y;
  const bool fromToolbar = ParentViewer && !PositionAsSubmenu;
  const bool besideVertical = fromToolbar && ParentView->Orientation == tbvoVertical;
  if (!ParentViewer) {
    X = Point.x() - (Alignment == 1 ? W : Alignment == 2 ? W / 2 : 0);
    Y = Point.y();
  } else if (PositionAsSubmenu) {
    X = ref.right() + 1 - frameW;
    Y = ref.top() - frameW;
    if (ParentView->Has(vsOpensLeft) || X + W > work.right() + 1) {
      X = ref.left() + frameW - W;
      view->Set(vsOpensLeft, true);
      if (X < work.left()) {
        X = ref.right() + 1 - frameW;
        view->Set(vsOpensLeft, false);
      }
    }
    X = std::max(X, work.left());
  } else if (besideVertical) {
    X = ref.left() - W;
    Y = ref.top();
    if (X < work.left()) X = ref.right() + 1;
  } else {
    X = tbSystemSettings().menuDropRightAligned ? ref.right() + 1 - W : ref.left();
    Y = ref.bottom() + 1;
  }
  if (!besideVertical && Y + H > work.bottom() + 1) {
    const int above = !ParentViewer ? Point.y() - H : PositionAsSubmenu ? ref.bottom() + 1 + frameW - H : ref.top() - H;
    if (above >= work.top()) Y = above;
  }
  Y = std::min(Y, work.bottom() + 1 - H);
  Y = std::max(Y, work.top());
  if (!PositionAsSubmenu) {
    if (!ParentViewer && Alignment == 1 && X < work.left()) X += W;
    if (X + W > work.right() + 1) X = (!ParentViewer && Alignment == 0) ? X - W : work.right() + 1 - W;
    X = std::max(X, work.left());
  }
  const QRect placed(X, Y, W, H);
  // Slide from the side the popup opens to.
  if (ParentViewer) {
    if (PositionAsSubmenu) {
      wnd->AnimationDirection = placed.center().x() < ref.center().x() ? 1 : 2;
    } else {
      int d = 0;
      if (placed.bottom() < ref.top()) d |= 8;
      if (placed.top() > ref.bottom()) d |= 4;
      if (placed.right() < ref.left()) d |= 1;
      if (placed.left() > ref.right()) d |= 2;
      wnd->AnimationDirection = d;
    }
  }
  wnd->move(X, Y);
  if (ParentView) {
    ParentView->OpenedView = view;
    ParentView->OpenedViewer = ParentViewer;
    if (ParentView->IsToolbar() && ParentViewer) ParentView->RepaintViewer(ParentViewer);
  }
  view->Set(vsPaintInOrder, true);
  // The first popup of the process shows before its sound starts (loading
  // the sound would delay it); later ones sound first.
  static bool shownBefore = false;
  const bool sound = tbIsSoundEventAssigned("MenuPopup");
  if (sound && shownBefore) tbPlaySoundEvent("MenuPopup");
  wnd->ShowPopup();
  if (sound && !shownBefore) tbPlaySoundEvent("MenuPopup");
  shownBefore = true;
  return wnd;
}

TTBPopupMenu::TTBPopupMenu() : items_(std::make_unique<TTBRootItem>()), skin_(&DefaultSkin()) {
  items_->OnPopup = [this](TTBCustomItem *, bool) {
    if (OnPopup) OnPopup();
  };
}

TTBPopupMenu::~TTBPopupMenu() {
  if (skin_ && skin_ != &DefaultSkin()) const_cast<TTBBaseSkin *>(skin_)->RemoveFreeNotify(this);
}

void TTBPopupMenu::SetSkin(TTBBaseSkin *Skin) {
  const TTBBaseSkin *nw = Skin ? Skin : &DefaultSkin();
  if (nw == skin_) return;
  if (skin_ && skin_ != &DefaultSkin()) const_cast<TTBBaseSkin *>(skin_)->RemoveFreeNotify(this);
  skin_ = nw;
  if (Skin && Skin != &DefaultSkin()) Skin->AddFreeNotify(this, [this] { skin_ = &DefaultSkin(); });
}

void TTBPopupMenu::Popup(QPoint ScreenPoint) {
  PopupEx(items_.get(), false, TrackRightButton, Alignment, ScreenPoint, skin_);
}

} // namespace kc::tb
