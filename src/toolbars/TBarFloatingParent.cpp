// The floating window parent: a frameless tool window drawing its own frame,
// small caption and close button, and never taking activation.
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "platform/Cursors.h"
#include "platform/ReadableColour.h"
#include "platform/TbDragTracker.h"
#include "platform/TbSystemSettings.h"
#include "toolbars/TBSkinPlus.h"
#include "toolbars/TBSkinShared.h"
#include "toolbars/TBarDock.h"

namespace kc::tb {
namespace {

// The skinned close glyph: 8x7, a cross.
constexpr unsigned char SkinCloseGlyph[7] = {0xC3, 0x66, 0x3C, 0x18, 0x3C, 0x66, 0xC3};

QColor SkinColor(const TTBBaseSkin &S, int Index) { return ToQColor(S.Colors.ColorByIndex(Index)); }

// The frame around the client area: the skin's border lines, or the
// raised window edge of the classic look.
void PaintFloatingBorder(QPainter &P, const QRect &All, const QColor &Face, const TTBBaseSkin *Skin,
                         const TTBFloatingFrameState &S) {
  if (Skin) {
    P.setPen(SkinColor(*Skin, tcDockBorderOut));
    P.drawRect(All.adjusted(0, 0, -1, -1));
    P.setPen(SkinColor(*Skin, tcDockBorderIn));
    for (int I = 1; I < S.Border.width(); ++I) P.drawRect(All.adjusted(I, I, -I - 1, -I - 1));
    if (S.OfficeXPSkin) {
      const QColor C = SkinColor(*Skin, tcDockBorderOut);
      P.fillRect(All.left() + 1, All.top() + 1, 1, 1, C);
      P.fillRect(All.right() - 1, All.top() + 1, 1, 1, C);
      P.fillRect(All.left() + 1, All.bottom() - 1, 1, 1, C);
      P.fillRect(All.right() - 1, All.bottom() - 1, 1, 1, C);
    }
    return;
  }
  // The raised window edge: light outside top-left, dark bottom-right.
  const QColor Light = ToQColor(clBtnHighlight), Dark = ToQColor(clBtnShadow), Darker = ToQColor(cl3DDkShadow);
  P.fillRect(QRect(All.left(), All.top(), All.width(), 1), Face);
  P.fillRect(QRect(All.left(), All.top(), 1, All.height()), Face);
  P.fillRect(QRect(All.left() + 1, All.top() + 1, All.width() - 2, 1), Light);
  P.fillRect(QRect(All.left() + 1, All.top() + 1, 1, All.height() - 2), Light);
  P.fillRect(QRect(All.left(), All.bottom(), All.width(), 1), Darker);
  P.fillRect(QRect(All.right(), All.top(), 1, All.height()), Darker);
  P.fillRect(QRect(All.left() + 1, All.bottom() - 1, All.width() - 2, 1), Dark);
  P.fillRect(QRect(All.right() - 1, All.top() + 1, 1, All.height() - 2), Dark);
}

// The caption bar's fill; returns the colour its text is drawn in.
QColor PaintCaptionBar(QPainter &P, const QRect &Caption, const QColor &Face, const TTBBaseSkin *Skin,
                       const TTBFloatingFrameState &S, bool Inactive) {
  if (Skin) {
    if (S.OfficeXPSkin) {
      P.fillRect(Caption, SkinColor(*Skin, tcDockBorderTitle));
    } else {
      P.fillRect(Caption, Face);
      QPainterPath Path;
      Path.addRoundedRect(QRectF(Caption).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
      P.setRenderHint(QPainter::Antialiasing, false);
      P.fillPath(Path, SkinColor(*Skin, tcSelBar));
      P.setPen(SkinColor(*Skin, tcSelBarBorder));
      P.drawPath(Path);
    }
    return SkinColor(*Skin, tcCaptionText);
  }
  // Classic and themed looks: the system's small caption, active unless the
  // caption is marked inactive, with the gradient when themed.
  const QColor From = ToQColor(Inactive ? clInactiveCaption : clActiveCaption);
  if (tbSystemSettings().themesActive) {
    QLinearGradient G(Caption.topLeft(), Caption.topRight());
    G.setColorAt(0, From);
    G.setColorAt(1, ToQColor(Inactive ? clGradientInactiveCaption : clGradientActiveCaption));
    P.fillRect(Caption, G);
  } else {
    P.fillRect(Caption, From);
  }
  return ToQColor(Inactive ? clInactiveCaptionText : clCaptionText);
}

// The close button in the caption, in the caption text's colour.
void PaintCloseButton(QPainter &P, const QRect &Close, const QColor &Face, const TTBBaseSkin *Skin,
                      const QColor &TextColor, bool Hover, bool Down) {
  if (Skin) {
    // The cross keeps the caption's colour where it can be read on the
    // hover fill, and otherwise one that can.
    QColor Cross = TextColor;
    if (Hover && !Down) {
      const QColor HoverFill = SkinColor(*Skin, tcSelBar);
      P.fillRect(Close, HoverFill);
      Cross = ReadableOn(TextColor, HoverFill);
    }
    const int X0 = Close.left() + (Close.width() - 8) / 2, Y0 = Close.top() + (Close.height() - 7) / 2;
    for (int Y = 0; Y < 7; ++Y)
      for (int X = 0; X < 8; ++X)
        if (SkinCloseGlyph[Y] & (0x80 >> X)) P.fillRect(X0 + X, Y0 + Y, 1, 1, Cross);
    return;
  }
  // The caption's close control: a small raised button with a cross, pushed
  // while pressed.
  const QRect B = Close.adjusted(1, 2, -1, -2);
  P.fillRect(B, Face);
  const QColor Light = ToQColor(clBtnHighlight), Dark = ToQColor(clBtnShadow);
  const QColor TL = Down ? Dark : Light, BR = Down ? Light : Dark;
  P.fillRect(QRect(B.left(), B.top(), B.width(), 1), TL);
  P.fillRect(QRect(B.left(), B.top(), 1, B.height()), TL);
  P.fillRect(QRect(B.left(), B.bottom(), B.width(), 1), BR);
  P.fillRect(QRect(B.right(), B.top(), 1, B.height()), BR);
  const QPoint C = B.center() + (Down ? QPoint(1, 1) : QPoint(0, 0));
  const QColor Glyph = ToQColor(clBtnText);
  for (int I = -3; I <= 3; ++I) {
    P.fillRect(C.x() + I, C.y() + I, 2, 1, Glyph);
    P.fillRect(C.x() + I, C.y() - I, 2, 1, Glyph);
  }
}

} // namespace

TTBFloatingWindowParent::TTBFloatingWindowParent(QWidget *ParentForm, TTBCustomDockableWindow *Window)
    : QWidget(ParentForm, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                              (Window && Window->FloatingMode() == fmOnTopOfAllForms ? Qt::WindowStaysOnTopHint
                                                                                     : Qt::WindowFlags())),
      FDockableWindow(Window), FParentForm(ParentForm) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_Hover);
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
  resize(OuterSizeFor(QSize(1, 1)));
}

TTBFloatingWindowParent::~TTBFloatingWindowParent() {
  if (FDockableWindow && FDockableWindow->FFloatParent == this) FDockableWindow->FFloatParent = nullptr;
}

TTBFloatingFrameState TTBFloatingWindowParent::FrameState() const {
  TTBFloatingFrameState S;
  S.Outer = size();
  if (!FDockableWindow) return S;
  S.Border = FDockableWindow->GetFloatingBorderSize();
  S.ShowCaption = FDockableWindow->ShowCaption();
  S.CloseButton = FDockableWindow->CloseButton();
  S.Resizable = FDockableWindow->Resizable();
  S.CornerSizing = FDockableWindow->SizingOptions() & tbsoCornerSizing;
  const TTBBaseSkin *Skin = ActiveSkin(FDockableWindow->Skin());
  S.OfficeXPSkin = Skin && Skin->SkinType() == tbsOfficeXP;
  S.WindowsXPSkin = Skin && Skin->SkinType() == tbsWindowsXP;
  return S;
}

QMargins TTBFloatingWindowParent::NCMargins() const { return FloatingNCMargins(FrameState()); }

QRect TTBFloatingWindowParent::ClientRect() const { return rect().marginsRemoved(NCMargins()); }

int TTBFloatingWindowParent::NCHitTest(QPoint P) const { return FloatingFrameHitTest(FrameState(), P); }

QSize TTBFloatingWindowParent::OuterSizeFor(QSize ClientSize) const {
  const QMargins M = NCMargins();
  // The frame never lets the window get smaller than one pixel each way.
  return QSize(std::max(1, ClientSize.width() + M.left() + M.right()),
               std::max(1, ClientSize.height() + M.top() + M.bottom()));
}

void TTBFloatingWindowParent::SetClientSize(QSize Size) {
  const QSize Outer = OuterSizeFor(Size);
  if (Outer != size()) resize(Outer);
  if (FDockableWindow && FDockableWindow->parentWidget() == this) FDockableWindow->move(ClientRect().topLeft());
}

void TTBFloatingWindowParent::UpdateShowing() {
  const bool Show = ShouldShow && FDockableWindow && FDockableWindow->parentWidget() == this;
  if (Show == isVisible()) return;
  setVisible(Show);
}

void TTBFloatingWindowParent::SetCaption(const QString &Text) {
  FCaptionText = Text;
  setWindowTitle(Text);
  RedrawNCArea(2);
}

void TTBFloatingWindowParent::RedrawNCArea(int Parts) {
  if (!isVisible()) return;
  const TTBFloatingFrameState S = FrameState();
  if (Parts & 1) update(QRegion(rect()).subtracted(QRegion(ClientRect())));
  if (Parts & 2) update(FloatingCaptionRect(S));
  if (Parts & 4) update(FloatingCloseButtonRect(S));
}

void TTBFloatingWindowParent::paintEvent(QPaintEvent *) {
  QPainter P(this);
  PaintNC(P);
}

void TTBFloatingWindowParent::PaintNC(QPainter &P) {
  const TTBFloatingFrameState S = FrameState();
  const QRect All = rect();
  const QRect Caption = FloatingCaptionRect(S);
  const QRect Close = FloatingCloseButtonRect(S);
  const TTBBaseSkin *Skin = FDockableWindow ? ActiveSkin(FDockableWindow->Skin()) : nullptr;
  const bool Inactive = FDockableWindow && FDockableWindow->InactiveCaption();
  const TTBDockTextAlign Align = FDockableWindow ? FDockableWindow->DockTextAlign() : dtaLeft;
  P.save();
  P.setClipRegion(QRegion(All).subtracted(QRegion(ClientRect())));
  const QColor Face = FDockableWindow ? FDockableWindow->Color() : ToQColor(clBtnFace);
  P.fillRect(All, Face);
  PaintFloatingBorder(P, All, Face, Skin, S);
  if (!Caption.isEmpty()) {
    QRect TextRect = Caption.adjusted(2, 0, -2, 0);
    if (!Close.isEmpty()) TextRect.setRight(Close.left() - 2);
    const QColor TextColor = PaintCaptionBar(P, Caption, Face, Skin, S, Inactive);
    QFont F = tbMenuFont();
    F.setBold(!Skin);
    P.setFont(F);
    P.setPen(TextColor);
    const Qt::Alignment A = Align == dtaRight ? Qt::AlignRight : Align == dtaCenter ? Qt::AlignHCenter : Qt::AlignLeft;
    P.drawText(TextRect, int(A | Qt::AlignVCenter),
               P.fontMetrics().elidedText(FCaptionText, Qt::ElideRight, std::max(0, TextRect.width())));
    if (!Close.isEmpty()) PaintCloseButton(P, Close, Face, Skin, TextColor, FCloseButtonHover, FCloseButtonDown);
  }
  P.restore();
}

// ---- the mouse on the frame ----

void TTBFloatingWindowParent::mousePressEvent(QMouseEvent *E) {
  if (!FDockableWindow) return;
  const QPoint P = E->position().toPoint();
  if (E->button() != Qt::LeftButton) return;
  const int Hit = NCHitTest(P);
  if (Hit >= htLeft && Hit <= htBottomRight) {
    if (FDockableWindow->Resizable()) FDockableWindow->BeginSizing(Hit);
  } else if (Hit == htCaption) {
    FDockableWindow->BeginMoving(P.x(), P.y());
  } else if (Hit == htCloseButton) {
    FClosePressed = true;
    FCloseButtonDown = true;
    RedrawNCArea(4);
  }
}

void TTBFloatingWindowParent::mouseDoubleClickEvent(QMouseEvent *E) {
  if (FDockableWindow && E->button() == Qt::LeftButton && NCHitTest(E->position().toPoint()) == htCaption)
    FDockableWindow->DoubleClick();
}

void TTBFloatingWindowParent::mouseMoveEvent(QMouseEvent *E) {
  const bool OnClose = NCHitTest(E->position().toPoint()) == htCloseButton;
  if (FClosePressed) {
    if (OnClose != FCloseButtonDown) {
      FCloseButtonDown = OnClose;
      RedrawNCArea(4);
    }
    return;
  }
  if (OnClose != FCloseButtonHover) {
    FCloseButtonHover = OnClose;
    RedrawNCArea(4);
  }
  const int Hit = NCHitTest(E->position().toPoint());
  static constexpr TCursor Shapes[] = {crSizeWE,   crSizeWE, crSizeNS,   crSizeNWSE,
                                       crSizeNESW, crSizeNS, crSizeNESW, crSizeNWSE};
  if (Hit >= htLeft && Hit <= htBottomRight && FDockableWindow && FDockableWindow->Resizable())
    setCursor(screenCursor(Shapes[Hit - htLeft]));
  else unsetCursor();
}

void TTBFloatingWindowParent::mouseReleaseEvent(QMouseEvent *E) {
  if (E->button() == Qt::RightButton && NCHitTest(E->position().toPoint()) != htClient && FDockableWindow) {
    QContextMenuEvent Ev(QContextMenuEvent::Mouse, FDockableWindow->mapFromGlobal(E->globalPosition().toPoint()),
                         E->globalPosition().toPoint());
    QApplication::sendEvent(FDockableWindow, &Ev);
    return;
  }
  if (!FClosePressed || E->button() != Qt::LeftButton) return;
  FClosePressed = false;
  const bool Inside = NCHitTest(E->position().toPoint()) == htCloseButton;
  FCloseButtonDown = false;
  RedrawNCArea(4);
  if (Inside && FDockableWindow) FDockableWindow->Close();
}

void TTBFloatingWindowParent::leaveEvent(QEvent *) {
  if (FCloseButtonHover) {
    FCloseButtonHover = false;
    RedrawNCArea(4);
  }
}

void TTBFloatingWindowParent::moveEvent(QMoveEvent *) {
  if (FDockableWindow && FDockableWindow->FFloatParent == this && FDockableWindow->Floating()) {
    FDockableWindow->FFloatingPosition = pos();
    FDockableWindow->FireMove();
  }
}

void TTBFloatingWindowParent::closeEvent(QCloseEvent *E) {
  // Closing the floating window (Alt+F4 included) closes the form's way.
  E->ignore();
  if (FParentForm) FParentForm->close();
}

void TTBFloatingWindowParent::keyPressEvent(QKeyEvent *E) {
  if (E->key() == Qt::Key_Escape && !(E->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) {
    if (FParentForm) FParentForm->activateWindow();
    return;
  }
  QWidget::keyPressEvent(E);
}

bool TTBFloatingWindowParent::event(QEvent *E) {
  if (E->type() == QEvent::WindowActivate && FParentForm && FParentForm->isVisible()) {
    // Hand the activation straight back: the form keeps its active caption.
    FParentForm->activateWindow();
  }
  return QWidget::event(E);
}

} // namespace kc::tb
