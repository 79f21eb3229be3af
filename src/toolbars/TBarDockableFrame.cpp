// The frame of a dockable window: drag handle, docked caption and close
// button, hit codes, the mouse on the frame and sizing a floating window.
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

#include "platform/DesktopMetrics.h"
#include "platform/Cursors.h"
#include "platform/TbDragTracker.h"
#include "platform/TbSystemSettings.h"
#include "toolbars/TBSkinPlus.h"
#include "toolbars/TBSkinShared.h"
#include "toolbars/TBarDock.h"
#include "toolbars/TBarDockDrag.h"

namespace kc::tb {

namespace {

// The close glyph: an 8x8 cross, bit 7 on the left.
constexpr unsigned char CloseGlyph[8] = {0x00, 0xCC, 0x78, 0x30, 0x78, 0xCC, 0x00, 0x00};

void DrawCloseGlyph(QPainter &P, const QRect &R, const QColor &C) {
  const int X0 = R.left() + (R.width() - 8) / 2, Y0 = R.top() + (R.height() - 8) / 2;
  for (int Y = 0; Y < 8; ++Y)
    for (int X = 0; X < 8; ++X)
      if (CloseGlyph[Y] & (0x80 >> X)) P.fillRect(X0 + X, Y0 + Y, 1, 1, C);
}

void RaisedEdge(QPainter &P, const QRect &R, bool Inner) {
  const QColor Light = ToQColor(Inner ? clBtnHighlight : clBtnHighlight);
  const QColor Dark = ToQColor(Inner ? clBtnShadow : clBtnShadow);
  P.fillRect(QRect(R.left(), R.top(), R.width(), 1), Light);
  P.fillRect(QRect(R.left(), R.top(), 1, R.height()), Light);
  P.fillRect(QRect(R.left(), R.bottom(), R.width(), 1), Dark);
  P.fillRect(QRect(R.right(), R.top(), 1, R.height()), Dark);
}

void SunkenEdge(QPainter &P, const QRect &R) {
  P.fillRect(QRect(R.left(), R.top(), R.width(), 1), ToQColor(clBtnShadow));
  P.fillRect(QRect(R.left(), R.top(), 1, R.height()), ToQColor(clBtnShadow));
  P.fillRect(QRect(R.left(), R.bottom(), R.width(), 1), ToQColor(clBtnHighlight));
  P.fillRect(QRect(R.right(), R.top(), 1, R.height()), ToQColor(clBtnHighlight));
}

QColor SkinColor(const TTBBaseSkin &S, int Index) { return ToQColor(S.Colors.ColorByIndex(Index)); }

} // namespace

// ---- sizes and hit codes ----

int TTBCustomDockableWindow::HandleSizeFor(const TTBDock *Dock) const {
  if (!Dock) return 0;
  const bool Caption = Dock->IsVertical() && (EffectiveSkin().Options() & tboDockedCaptions);
  return DragHandleSize(Dock->AllowDrag(), FDragHandleStyle, FCloseButtonWhenDocked, Caption);
}

QSize TTBCustomDockableWindow::FrameSizeFor(const TTBDock *Dock) const {
  if (!Dock) return QSize(0, 0);
  return DockedFrameSize(Dock->IsVertical(), HandleSizeFor(Dock));
}

QSize TTBCustomDockableWindow::GetDockedFrameSize() const { return FDocked ? FrameSizeFor(FCurrentDock) : QSize(0, 0); }

TTBDockedFrameState TTBCustomDockableWindow::DockedFrameState() const {
  TTBDockedFrameState S;
  S.Outer = size();
  if (!FDocked) return S;
  S.Vertical = FCurrentDock->IsVertical();
  S.AllowDrag = FCurrentDock->AllowDrag();
  S.HandleSize = HandleSizeFor(FCurrentDock);
  S.Style = FDragHandleStyle;
  S.CloseButtonWhenDocked = FCloseButtonWhenDocked;
  S.DockedCaption =
      S.Vertical && (EffectiveSkin().Options() & tboDockedCaptions) && EffectiveSkin().SkinType() != tbsDisabled;
  return S;
}

QRect TTBCustomDockableWindow::ClientRect() const {
  if (!FDocked) return rect();
  return DockedClientRect(size(), FCurrentDock->IsVertical(), HandleSizeFor(FCurrentDock));
}

int TTBCustomDockableWindow::NCHitTest(QPoint P) const {
  if (!FDocked) return rect().contains(P) ? htClient : htNowhere;
  return DockedFrameHitTest(DockedFrameState(), P);
}

QRect TTBCustomDockableWindow::GetDockedCloseButtonRect(bool Vertical) const {
  const TTBDockedFrameState S = DockedFrameState();
  return DockedCloseButtonRect(Vertical, ClientRect().width(), S.HandleSize, S.DockedCaption);
}

QSize TTBCustomDockableWindow::GetFloatingBorderSize() const {
  return FResizable ? FrameMetrics().SizeFrame : FrameMetrics().FixedFrame;
}

bool TTBCustomDockableWindow::HitTestChildAt(QPoint P) const {
  for (QObject *O : children()) {
    auto *W = qobject_cast<QWidget *>(O);
    if (W && !W->isWindow() && W->isVisible() && W->geometry().contains(P)) return true;
  }
  return false;
}

void TTBCustomDockableWindow::Reframe() {
  if (FDocked) FCurrentDock->ArrangeBars();
  update();
}

// ---- painting ----

void TTBCustomDockableWindow::paintEvent(QPaintEvent *) {
  QPainter P(this);
  if (FDocked) {
    DrawDockedFrame(P);
    P.fillRect(ClientRect(), FColor);
  } else {
    P.fillRect(rect(), FColor);
  }
}

void TTBCustomDockableWindow::DrawDockedFrame(QPainter &P) {
  if (!FDocked) return;
  const TTBDockedFrameState S = DockedFrameState();
  const QRect All = rect();
  const QRect Client = ClientRect();
  const TTBBaseSkin *Skin = ActiveSkin(FSkin);
  P.save();
  P.setClipRegion(QRegion(All).subtracted(QRegion(Client)));
  const QPoint DockOrigin = pos();
  if (!(FCurrentDock->BackgroundOnToolbars() && FCurrentDock->PaintBackground(P, All, -DockOrigin)))
    P.fillRect(All, FColor);

  if (FBorderSingle) {
    if (Skin) {
      const QColor C = SkinColor(*Skin, tcToolbar);
      P.setPen(C);
      P.drawRect(All.adjusted(0, 0, -1, -1));
      const QColor Corner = FColor;
      P.fillRect(All.left(), All.top(), 1, 1, Corner);
      P.fillRect(All.right(), All.top(), 1, 1, Corner);
      P.fillRect(All.left(), All.bottom(), 1, 1, Corner);
      P.fillRect(All.right(), All.bottom(), 1, 1, Corner);
    } else {
      RaisedEdge(P, All, false);
    }
  }

  if (S.AllowDrag && S.HandleSize > 0) {
    const QRect Handle =
        S.Vertical ? QRect(2, 2, All.width() - 4, S.HandleSize) : QRect(2, 2, S.HandleSize, All.height() - 4);
    const bool HasClose = FCloseButtonWhenDocked;
    const QRect Close = HasClose ? GetDockedCloseButtonRect(S.Vertical) : QRect();
    if (S.DockedCaption && Skin) {
      QRect Cap(0, 0, Client.width(), FrameMetrics().SmallCaptionHeight - 2);
      Cap.translate(2, 2);
      P.fillRect(Handle, SkinColor(*Skin, tcDockBorderTitle));
      Cap.adjust(2, 0, -2, 0);
      if (HasClose) Cap.setRight(Close.left() - 2);
      P.setPen(SkinColor(*Skin, tcCaptionText));
      P.setFont(Skin->CaptionFont());
      const Qt::Alignment A = FDockTextAlign == dtaRight    ? Qt::AlignRight
                              : FDockTextAlign == dtaCenter ? Qt::AlignHCenter
                                                            : Qt::AlignLeft;
      P.drawText(Cap, int(A | Qt::AlignVCenter),
                 P.fontMetrics().elidedText(FCaption, Qt::ElideRight, std::max(0, Cap.width())));
    } else if (FDragHandleStyle != dhNone) {
      if (Skin) {
        const bool MenuBarLike = false;
        if (Skin->SkinType() == tbsWindowsXP || Skin->SkinType() == tbsNativeXP) P.fillRect(Handle, FColor);
        else P.fillRect(Handle, SkinColor(*Skin, tcToolbar));
        const QColor Dot = SkinColor(*Skin, tcDragHandle);
        const bool Office = Skin->SkinType() == tbsOfficeXP;
        const int Step = Office ? 2 : 4, Dots = Office ? 1 : 2;
        const int Inset = 3 + (MenuBarLike ? 3 : 0);
        if (S.Vertical) {
          const int Y = Handle.top() + (Handle.height() - Dots) / 2;
          for (int X = Handle.left() + Inset; X + Dots <= Handle.right() - 2 - (HasClose ? Close.width() : 0);
               X += Step)
            P.fillRect(X, Y, Dots, Dots, Dot);
        } else {
          const int X = Handle.left() + (Handle.width() - Dots) / 2;
          const int Top = Handle.top() + Inset + (HasClose ? Close.bottom() : 0);
          for (int Y = Top; Y + Dots <= Handle.bottom() - 2; Y += Step) P.fillRect(X, Y, Dots, Dots, Dot);
        }
      } else {
        const int Lines = FDragHandleStyle == dhDouble ? 2 : 1;
        for (int I = 0; I < Lines; ++I) {
          const QRect G = S.Vertical
                              ? QRect(Handle.left() + 1, Handle.top() + 1 + I * 3, Handle.width() - 2, 3)
                              : QRect(Handle.left() + 1 + I * 3, Handle.top() + 1 + (HasClose ? Close.bottom() : 0), 3,
                                      Handle.height() - 2 - (HasClose ? Close.bottom() : 0));
          RaisedEdge(P, G, true);
        }
      }
    }
    if (HasClose) {
      if (Skin) {
        if (FCloseButtonHover && !FCloseButtonDown) {
          P.fillRect(Close, SkinColor(*Skin, tcSelBar));
          P.setPen(SkinColor(*Skin, tcSelBarBorder));
          P.drawRect(Close.adjusted(0, 0, -1, -1));
        }
      } else if (FCloseButtonDown) {
        SunkenEdge(P, Close);
      } else if (FCloseButtonHover) {
        RaisedEdge(P, Close, true);
      }
      QRect G = Close.adjusted(2, 2, -2, -2);
      if (FCloseButtonDown) G.translate(1, 1);
      DrawCloseGlyph(P, G, ToQColor(clBtnText));
    }
  }
  P.restore();
}

// ---- the mouse on the window ----

void TTBCustomDockableWindow::mousePressEvent(QMouseEvent *E) {
  if (E->button() != Qt::LeftButton) return QWidget::mousePressEvent(E);
  const QPoint P = E->position().toPoint();
  const int Hit = NCHitTest(P);
  if (Hit == htCloseButton) {
    FPressPending = true;
    FCloseButtonDown = true;
    update();
    return;
  }
  // A dock that forbids drags keeps its bars.
  if (FDocked && !FCurrentDock->AllowDrag()) return;
  if (Hit == htDragArea || (Hit == htClient && !HitTestChildAt(P))) {
    if (FFloating && FFloatParent) {
      const QPoint Q = mapTo(FFloatParent, P);
      BeginMoving(Q.x(), Q.y());
    } else BeginMoving(P.x(), P.y());
  }
}

void TTBCustomDockableWindow::mouseDoubleClickEvent(QMouseEvent *E) {
  if (E->button() != Qt::LeftButton) return;
  const QPoint P = E->position().toPoint();
  const int Hit = NCHitTest(P);
  if (Hit == htDragArea || (Hit == htClient && !HitTestChildAt(P))) DoubleClick();
}

void TTBCustomDockableWindow::mouseMoveEvent(QMouseEvent *E) {
  const QPoint P = E->position().toPoint();
  const bool OnClose = NCHitTest(P) == htCloseButton;
  if (FPressPending) {
    if (OnClose != FCloseButtonDown) {
      FCloseButtonDown = OnClose;
      update();
    }
    return;
  }
  if (OnClose != FCloseButtonHover) {
    FCloseButtonHover = OnClose;
    update();
  }
  if (FDocked && DockedMoveCursorAt(DockedFrameState(), P)) setCursor(screenCursor(crSizeAll));
  else unsetCursor();
}

void TTBCustomDockableWindow::mouseReleaseEvent(QMouseEvent *E) {
  if (!FPressPending || E->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(E);
  FPressPending = false;
  const bool Inside = NCHitTest(E->position().toPoint()) == htCloseButton;
  FCloseButtonDown = false;
  update();
  if (Inside) Close();
}

void TTBCustomDockableWindow::leaveEvent(QEvent *) {
  if (FCloseButtonHover) {
    FCloseButtonHover = false;
    update();
  }
}

void TTBCustomDockableWindow::contextMenuEvent(QContextMenuEvent *E) { E->ignore(); }

// ---- sizing a floating window ----

void TTBCustomDockableWindow::BeginSizing(int Edge) {
  if (!FFloating || !FFloatParent || FSizing) return;
  auto S = std::make_unique<SizingState>();
  S->Edge = Edge;
  S->Start = FFloatParent->geometry();
  S->Last = S->Start;
  S->StartCursor = cursorPosition();
  S->Smooth = FSmoothDrag;
  const QMargins M = FFloatParent->NCMargins();
  TTBSizeLimits L = GetFloatingSizeLimits();
  const int Fw = M.left() + M.right(), Fh = M.top() + M.bottom();
  // The window itself keeps at least one pixel each way.
  L.MinWidth = std::max(L.MinWidth, 1) + Fw;
  L.MinHeight = std::max(L.MinHeight, 1) + Fh;
  if (L.MaxWidth > 0) L.MaxWidth += Fw;
  if (L.MaxHeight > 0) L.MaxHeight += Fh;
  S->Limits = L;
  if (!S->Smooth) {
    S->Outline = std::make_unique<TTBDragOutline>();
    S->Outline->ShowAt(S->Start, GetFloatingBorderSize().width());
  }
  FSizing = std::move(S);
  SizingStarted();
  QPointer<TTBCustomDockableWindow> Self(this);
  TbDragTracker::begin({[Self](QPoint G, bool) {
                          if (Self) Self->SizingTo(G);
                        },
                        [Self](bool Accepted) {
                          if (Self) Self->EndSizing(Accepted);
                        }});
}

void TTBCustomDockableWindow::SizingTo(QPoint CursorGlobal) {
  if (!FSizing) return;
  QRect R = SizeByEdge(FSizing->Start, FSizing->Edge, CursorGlobal - FSizing->StartCursor, FSizing->Limits);
  SizingMoved(R);
  FSizing->Last = R;
  if (FSizing->Smooth) ApplyFloatingGeometry(R);
  else if (FSizing->Outline) FSizing->Outline->ShowAt(R, GetFloatingBorderSize().width());
}

void TTBCustomDockableWindow::EndSizing(bool Accept) {
  if (!FSizing) return;
  std::unique_ptr<SizingState> S = std::move(FSizing);
  if (TbDragTracker::active()) TbDragTracker::end();
  S->Outline.reset();
  if (Accept || S->Smooth) {
    ApplyFloatingGeometry(S->Last);
    MoveOnScreen(true);
  }
  SizingEnded();
}

void TTBCustomDockableWindow::ApplyFloatingGeometry(const QRect &Outer) {
  if (!FFloatParent) return;
  FFloatingPosition = Outer.topLeft();
  FFloatParent->setGeometry(Outer);
  const QRect Client = FFloatParent->ClientRect();
  ++FSetBoundsGuard;
  setGeometry(QRect(QPoint(0, 0), Client.size()).translated(Client.topLeft()));
  --FSetBoundsGuard;
}

} // namespace kc::tb
