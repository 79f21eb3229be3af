#include "widgets/FormMagnet.h"

#include <algorithm>

#include <QMouseEvent>
#include <QMoveEvent>

#include "platform/DesktopMetrics.h"
#include "platform/Screen.h"

namespace kc {

// ----------------------------------------------------------------- snapping

bool SnapToMagnets(TRect &R, const std::vector<TRect> &Others, int P, const std::function<bool(std::size_t)> &Accept) {
  const int H = R.height(), W = R.width();
  bool snapped = false;
  auto accept = [&](std::size_t i) { return !Accept || Accept(i); };
  for (std::size_t i = 0; i < Others.size(); ++i) {
    const TRect &O = Others[i];
    if (R.Right > O.Left && O.Right > R.Left) {
      if (((O.Top - P < R.Bottom && R.Bottom < O.Top) || (O.Top < R.Bottom && R.Bottom < O.Top + P)) && accept(i)) {
        R.Top = O.Top - H, R.Bottom = O.Top;
        snapped = true;
      }
      if (((O.Bottom - P < R.Top && R.Top < O.Bottom) || (O.Bottom < R.Top && R.Top < O.Bottom + P)) && accept(i)) {
        R.Top = O.Bottom, R.Bottom = O.Bottom + H;
        snapped = true;
      }
    }
    if (R.Bottom > O.Top && O.Bottom > R.Top) {
      if (((O.Left - P < R.Right && R.Right < O.Left) || (O.Left < R.Right && R.Right < O.Left + P)) && accept(i)) {
        R.Left = O.Left - W, R.Right = O.Left;
        snapped = true;
      }
      if (((O.Right - P < R.Left && R.Left < O.Right) || (O.Right < R.Left && R.Left < O.Right + P)) && accept(i)) {
        R.Left = O.Right, R.Right = O.Right + W;
        snapped = true;
      }
    }
  }
  return snapped;
}

bool SnapToArea(TRect &R, const TRect &A, int D, const TMagnetEdges &E) {
  const int H = R.height(), W = R.width();
  bool snapped = false;
  if (E.Top && A.Top - D < R.Top && R.Top < A.Top + D) R.Top = A.Top, R.Bottom = A.Top + H, snapped = true;
  if (E.Bottom && A.Bottom - D < R.Bottom && R.Bottom < A.Bottom + D)
    R.Bottom = A.Bottom, R.Top = A.Bottom - H, snapped = true;
  if (E.Left && A.Left - D < R.Left && R.Left < A.Left + D) R.Left = A.Left, R.Right = A.Left + W, snapped = true;
  if (E.Right && A.Right - D < R.Right && R.Right < A.Right + D)
    R.Right = A.Right, R.Left = A.Right - W, snapped = true;
  return snapped;
}

TRect SnapRect(TRect R, const TRect &Area, const std::vector<TRect> &Others, int Power, int DesktopPower,
               const TMagnetEdges &Edges, bool SkipMagnets, bool Glue, const std::function<bool(std::size_t)> &Accept) {
  const bool snapped = !SkipMagnets && SnapToMagnets(R, Others, Power, Accept);
  if (!snapped || !Glue) SnapToArea(R, Area, DesktopPower, Edges);
  return R;
}

// ------------------------------------------------- TMagnetFormHookComponent

TMagnetFormHookComponent::TMagnetFormHookComponent(QWidget *form, bool WantAfter)
    : QObject(form), FForm(form), FWantAfter(WantAfter) {
  if (!form) return;
  RegisterWndProcHook(form, hook(0), THookOrder::hoBeforeMsg);
  if (FWantAfter) RegisterWndProcHook(form, hook(1), THookOrder::hoAfterMsg);
}

TMagnetFormHookComponent::~TMagnetFormHookComponent() {
  if (!FForm) return;
  UnregisterWndProcHook(FForm, hook(0), THookOrder::hoBeforeMsg);
  if (FWantAfter) UnregisterWndProcHook(FForm, hook(1), THookOrder::hoAfterMsg);
}

TKcHookMethod TMagnetFormHookComponent::hook(int code) {
  TKcHookMethod m;
  m.Data = this;
  m.Code = static_cast<std::uintptr_t>(code);
  m.Owner = this;
  if (code == 0)
    m.Call = [this](QObject *, QEvent *e) {
      bool handled = false;
      BeforeMessage(e, handled);
      return handled;
    };
  else
    m.Call = [this](QObject *, QEvent *e) {
      AfterMessage(e);
      return false;
    };
  return m;
}

void TMagnetFormHookComponent::BeforeMessage(QEvent *, bool &) {}
void TMagnetFormHookComponent::AfterMessage(QEvent *) {}

// -------------------------------------------------------------- TFormMagnet

namespace {
// Every magnet of the program, in creation order.
std::vector<TFormMagnet *> &allMagnets() {
  static std::vector<TFormMagnet *> list;
  return list;
}
} // namespace

TFormMagnet::TFormMagnet(QWidget *form) : TMagnetFormHookComponent(form) {
  FScreenMagnet.DesktopPower = 15;
  allMagnets().push_back(this);
  FSettleTimer.SetInterval(kMoveSettleMs);
  FSettleTimer.SetOnTimer([this](TSimpleTimer *) { endMove(); });
}

TFormMagnet::~TFormMagnet() {
  auto &list = allMagnets();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

TRect TFormMagnet::boundsOf(const QWidget *w) const {
  // A window is where its frame is, as the user sees it.
  if (w->isWindow()) {
    const QRect f = w->frameGeometry();
    return Bounds(f.x(), f.y(), f.width(), f.height());
  }
  const QPoint tl = w->mapToGlobal(QPoint(0, 0));
  return Bounds(tl.x(), tl.y(), w->width(), w->height());
}

std::vector<TFormMagnet *> TFormMagnet::candidates() const {
  std::vector<TFormMagnet *> out;
  QWidget *form = Form();
  if (!form) return out;
  for (TFormMagnet *m : allMagnets()) {
    QWidget *other = m->Form();
    if (m == this || !other || other == form || !m->FActive || !other->isVisible()) continue;
    if (other->parentWidget() != form->parentWidget()) continue;
    out.push_back(m);
  }
  return out;
}

TRect TFormMagnet::attractingArea() const {
  QWidget *form = Form();
  if (form && !form->isWindow() && form->parentWidget()) {
    QWidget *p = form->parentWidget();
    const QPoint tl = p->mapToGlobal(QPoint(0, 0));
    return Bounds(tl.x(), tl.y(), p->width(), p->height());
  }
  const ScreenRect s = FScreenMagnet.Area == TScreenArea::saFullScreen ? virtualScreen() : screenWorkArea();
  return Rect(s.left, s.top, s.right, s.bottom);
}

void TFormMagnet::collectGlue(const TRect &me) {
  FGlued.clear();
  for (TFormMagnet *m : candidates()) {
    const TRect o = boundsOf(m->Form());
    // Touching along an edge, and side by side along it (a window far off
    // on the same line is not glued).
    const bool overlapX = me.Right >= o.Left && o.Right >= me.Left;
    const bool overlapY = me.Bottom >= o.Top && o.Bottom >= me.Top;
    const bool touches = ((me.Bottom == o.Top || o.Bottom == me.Top) && overlapX) ||
                         ((me.Right == o.Left || o.Right == me.Left) && overlapY);
    if (!touches) continue;
    bool accept = true;
    if (OnGlue) OnGlue(this, m->Form(), accept);
    if (accept) FGlued.push_back({m, o.Left - me.Left, o.Top - me.Top});
  }
}

TRect TFormMagnet::Snapped(const TRect &bounds, bool skipMagnets) {
  std::vector<TRect> others;
  std::vector<TFormMagnet *> magnets;
  for (TFormMagnet *m : candidates()) {
    const bool glued = std::any_of(FGlued.begin(), FGlued.end(), [m](const TGluedObject &g) { return g.magnet == m; });
    if (glued) continue;
    others.push_back(boundsOf(m->Form()));
    magnets.push_back(m);
  }
  return SnapRect(bounds, attractingArea(), others, FPower, FScreenMagnet.DesktopPower, FScreenMagnet.Edges(),
                  skipMagnets, FGlue, [&](std::size_t i) {
                    bool accept = true;
                    if (OnMagnet) OnMagnet(this, magnets[i]->Form(), accept);
                    return accept;
                  });
}

void TFormMagnet::place(QWidget *w, int left, int top) {
  if (!windowsCanBePlaced()) return;
  if (!w->isWindow() && w->parentWidget()) {
    const QPoint p = w->parentWidget()->mapFromGlobal(QPoint(left, top));
    left = p.x(), top = p.y();
  }
  w->move(left, top);
}

void TFormMagnet::snapTo(TRect r, bool fromCursor, QPoint cursor, bool skipMagnets) {
  QWidget *form = Form();
  if (!form) return;
  if (fromCursor) {
    const TRect now = boundsOf(form);
    r = Bounds(cursor.x() - FCursorOffset.x(), cursor.y() - FCursorOffset.y(), now.width(), now.height());
  }
  r = Snapped(r, skipMagnets);
  FPlacing = true;
  place(form, r.Left, r.Top);
  for (const TGluedObject &g : FGlued) {
    if (!g.magnet || !g.magnet->Form()) continue;
    g.magnet->FMovedByOther = true;
    place(g.magnet->Form(), r.Left + g.dx, r.Top + g.dy);
    g.magnet->FMovedByOther = false;
  }
  FPlacing = false;
}

void TFormMagnet::SetActive(bool on) {
  FActive = on;
  if (on && Form() && Form()->isVisible()) snapTo(boundsOf(Form()), false, {}, false);
}

void TFormMagnet::startMove(const TRect &bounds) {
  FMoving = true;
  if (FGlue) collectGlue(bounds);
}

void TFormMagnet::endMove() {
  FSettleTimer.SetEnabled(false);
  const bool wasMoving = FMoving;
  FMoving = false;
  if (wasMoving && FActive && !FMovedByOther && Form()) {
    // A move the window manager made ends at its place: snap there.
    if (FGlue) collectGlue(boundsOf(Form()));
    snapTo(boundsOf(Form()), false, {}, false);
  }
  FGlued.clear();
}

void TFormMagnet::BeforeMessage(QEvent *event, bool &) {
  // The form and any other hooks still see the mouse; a drag only moves it.
  QWidget *form = Form();
  if (!form || !windowsCanBePlaced()) return;
  switch (event->type()) {
  case QEvent::MouseButtonPress: {
    auto *e = static_cast<QMouseEvent *>(event);
    // Only the form's bare client area drags it; children get their clicks.
    if (!FFormDragable || e->button() != Qt::LeftButton || form->childAt(e->position().toPoint())) return;
    FDragging = true;
    const QPoint cursor = e->globalPosition().toPoint();
    const TRect b = boundsOf(form);
    FCursorOffset = cursor - QPoint(b.Left, b.Top);
    if (FActive && !FMovedByOther) startMove(boundsOf(form));
    return;
  }
  case QEvent::MouseMove: {
    if (!FDragging) return;
    auto *e = static_cast<QMouseEvent *>(event);
    const QPoint cursor = e->globalPosition().toPoint();
    if (FActive && !FMovedByOther) {
      snapTo({}, true, cursor, FMagnetType == TMagnetType::mkAfterMoving);
      if (OnDragMove) OnDragMove(this);
    } else {
      FPlacing = true;
      place(form, cursor.x() - FCursorOffset.x(), cursor.y() - FCursorOffset.y());
      FPlacing = false;
    }
    return;
  }
  case QEvent::MouseButtonRelease: {
    if (!FDragging) return;
    FDragging = false;
    FMoving = false;
    if (FActive && !FMovedByOther && FMagnetType == TMagnetType::mkAfterMoving) {
      if (FGlue) collectGlue(boundsOf(form));
      snapTo(boundsOf(form), false, {}, false);
    }
    FGlued.clear();
    return;
  }
  case QEvent::Move: {
    // Moves of the window manager (the user dragging the title bar): the
    // glued windows follow at once; the snap comes when the move settles.
    auto *e = static_cast<QMoveEvent *>(event);
    if (FPlacing || FDragging || FMovedByOther || !FActive || !event->spontaneous() || !form->isWindow()) return;
    if (!FMoving) {
      const TRect now = boundsOf(form);
      startMove(Bounds(e->oldPos().x(), e->oldPos().y(), now.width(), now.height()));
    }
    for (const TGluedObject &g : FGlued) {
      if (!g.magnet || !g.magnet->Form()) continue;
      g.magnet->FMovedByOther = true;
      place(g.magnet->Form(), e->pos().x() + g.dx, e->pos().y() + g.dy);
      g.magnet->FMovedByOther = false;
    }
    FSettleTimer.SetEnabled(true);
    return;
  }
  default: return;
  }
}

} // namespace kc
