#include "toolbars/TBarDockGeometry.h"

#include <algorithm>
#include <cstdlib>

namespace kc::tb {

const TTBFrameMetrics &FrameMetrics() {
  static const TTBFrameMetrics M;
  return M;
}

int DragHandleSize(bool AllowDrag, TTBDragHandleStyle Style, bool CloseButtonWhenDocked, bool DockedCaption) {
  if (!AllowDrag) return 0;
  if (DockedCaption || CloseButtonWhenDocked) return 14;
  switch (Style) {
  case dhDouble: return 9;
  case dhNone: return 0;
  case dhSingle: return 6;
  }
  return 0;
}

QSize DockedFrameSize(bool Vertical, int HandleSize) {
  return Vertical ? QSize(4, 4 + HandleSize) : QSize(4 + HandleSize, 4);
}

QRect DockedClientRect(QSize Outer, bool Vertical, int HandleSize) {
  const int L = Vertical ? 2 : 2 + HandleSize;
  const int T = Vertical ? 2 + HandleSize : 2;
  const QSize F = DockedFrameSize(Vertical, HandleSize);
  return QRect(L, T, std::max(0, Outer.width() - F.width()), std::max(0, Outer.height() - F.height()));
}

QRect DockedCloseButtonRect(bool Vertical, int ClientWidth, int HandleSize, bool DockedCaption) {
  const int Side = std::max(0, HandleSize - 3);
  if (!Vertical) return QRect(3, 2, Side, Side);
  if (DockedCaption) return QRect(ClientWidth + 1 - Side, 4, Side, Side);
  return QRect(ClientWidth + 2 - Side, 3, Side, Side);
}

int DockedFrameHitTest(const TTBDockedFrameState &S, QPoint P) {
  if (!QRect(QPoint(0, 0), S.Outer).contains(P)) return htNowhere;
  const QRect Client = DockedClientRect(S.Outer, S.Vertical, S.HandleSize);
  if (Client.contains(P)) return htClient;
  if (S.CloseButtonWhenDocked && S.AllowDrag &&
      DockedCloseButtonRect(S.Vertical, Client.width(), S.HandleSize, S.DockedCaption).contains(P))
    return htCloseButton;
  return htDragArea;
}

bool DockedMoveCursorAt(const TTBDockedFrameState &S, QPoint P) {
  if (!S.AllowDrag || S.Style == dhNone || DockedFrameHitTest(S, P) != htDragArea) return false;
  return (S.Vertical ? P.y() : P.x()) < S.HandleSize + 2;
}

QMargins FloatingNCMargins(const TTBFloatingFrameState &S) {
  int Top = S.Border.height() + (S.ShowCaption ? FrameMetrics().SmallCaptionHeight : 0);
  int Bottom = S.Border.height();
  if (S.OfficeXPSkin) {
    Top -= 2;
    Bottom -= 1;
  }
  return QMargins(S.Border.width(), std::max(0, Top), S.Border.width(), std::max(0, Bottom));
}

QRect FloatingCaptionRect(const TTBFloatingFrameState &S) {
  if (!S.ShowCaption) return {};
  const int ClientWidth = std::max(0, S.Outer.width() - 2 * S.Border.width());
  return QRect(S.Border.width(), S.Border.height(), ClientWidth, FrameMetrics().SmallCaptionHeight - 1);
}

QRect FloatingCloseButtonRect(const TTBFloatingFrameState &S) {
  const QRect C = FloatingCaptionRect(S);
  if (C.isEmpty() || !S.CloseButton) return {};
  const int W = FrameMetrics().SmallCaptionHeight - 1;
  QRect B(C.right() + 1 - W, C.top(), W, C.height());
  if (S.WindowsXPSkin) B.setRight(B.right() - 1);
  return B;
}

int FloatingFrameHitTest(const TTBFloatingFrameState &S, QPoint P) {
  const int W = S.Outer.width(), H = S.Outer.height();
  if (P.x() < 0 || P.y() < 0 || P.x() >= W || P.y() >= H) return htNowhere;
  const QMargins M = FloatingNCMargins(S);
  if (QRect(QPoint(0, 0), S.Outer).marginsRemoved(M).contains(P)) return htClient;
  if (S.ShowCaption && FloatingCaptionRect(S).contains(P))
    return (S.CloseButton && FloatingCloseButtonRect(S).contains(P)) ? htCloseButton : htCaption;
  if (S.Resizable) {
    const int Bx = S.Border.width(), By = S.Border.height();
    const int X = P.x(), Y = P.y();
    if (S.CornerSizing) {
      const int C = FrameMetrics().SmallCaptionHeight - 1 + Bx;
      if (X < Bx) return Y < C ? htTopLeft : Y >= H - C ? htBottomLeft : htLeft;
      if (X >= W - Bx - 1) return Y < C ? htTopRight : Y >= H - C ? htBottomRight : htRight;
      if (Y < By) return X < C ? htTopLeft : X >= W - C ? htTopRight : htTop;
      if (Y >= H - By - 1) return X < C ? htBottomLeft : X >= W - C ? htBottomRight : htBottom;
    } else {
      if (Y < By) return htTop;
      if (Y >= H - By - 1) return htBottom;
      if (X < Bx) return htLeft;
      if (X >= W - Bx - 1) return htRight;
    }
  }
  return htNowhere;
}

int GrabShare(int Extent, int Grab, int Length) {
  // The band was once split by Grab / (Length - 1); a window of one pixel,
  // which a floating window may be, made that a division by zero.
  if (Length <= 1) return Extent / 2;
  Grab = std::clamp(Grab, 0, Length - 1);
  return Extent - int(qint64(Extent) * Grab / (Length - 1));
}

int ScaleGrab(int Grab, int From, int To) {
  if (From <= 1 || To <= 1) return 0;
  return int(qint64(std::clamp(Grab, 0, From - 1)) * (To - 1) / (From - 1));
}

bool DragHitsDock(const TTBDragTarget &T, QPoint Cursor, QPoint Grab, QSize Outer, QRect *BarRect) {
  constexpr int Band = 25;
  const QRect Grown = T.ClientScreen.adjusted(-3, -3, 3, 3);
  const int BeforeX = GrabShare(Band, Grab.x(), Outer.width());
  const int BeforeY = GrabShare(Band, Grab.y(), Outer.height());
  const QRect Reach = Grown.adjusted(-BeforeX, -BeforeY, Band - BeforeX, Band - BeforeY);
  if (!Reach.contains(Cursor)) return false;
  if (T.Vertical && (Cursor.x() < Grown.left() || Cursor.x() > Grown.right())) return false;
  const QPoint At(Cursor.x() - ScaleGrab(Grab.x(), Outer.width(), T.BarSize.width()),
                  Cursor.y() - ScaleGrab(Grab.y(), Outer.height(), T.BarSize.height()));
  const QRect R(At, T.BarSize);
  if (BarRect) *BarRect = R;
  return R.intersects(Grown);
}

TTBRowPick PickDragRow(const std::vector<int> &RowSizes, int Centre, bool FullSizeBar) {
  int Y = 0;
  for (size_t I = 0; I < RowSizes.size(); ++I) {
    const int S = RowSizes[I] & 0xFFFF;
    const bool Whole = FullSizeBar || (RowSizes[I] & RowFullSizeFlag) != 0;
    const int Part = Whole ? S / 2 : S / 4;
    if (Centre < Y + Part) return {int(I), true};
    if (!Whole && Centre < Y + S - Part) return {int(I), false};
    Y += S;
  }
  return {int(RowSizes.size()), true};
}

bool RowLockReached(int StartAlong, int NowAlong) { return std::abs(NowAlong - StartAlong) >= RowLockDistance; }

QRect FloatingDragRect(QPoint Cursor, QPoint Grab, QSize Outer, QRect WorkArea, int Border, int TopFrame) {
  const QPoint C(std::clamp(Cursor.x(), WorkArea.left(), WorkArea.right()),
                 std::clamp(Cursor.y(), WorkArea.top(), WorkArea.bottom()));
  QRect R(C - Grab, Outer);
  const int Keep = Border + 4;
  if (R.right() < WorkArea.left() + Keep) R.moveRight(WorkArea.left() + Keep);
  if (R.left() > WorkArea.right() - Keep) R.moveLeft(WorkArea.right() - Keep);
  if (R.bottom() < WorkArea.top() + Keep) R.moveBottom(WorkArea.top() + Keep);
  if (R.top() > WorkArea.bottom() - Keep) R.moveTop(WorkArea.bottom() - Keep);
  const int HighestTop = WorkArea.top() + 4 - TopFrame;
  if (R.top() < HighestTop) R.moveTop(HighestTop);
  return R;
}

QRect SizeByEdge(const QRect &Start, int Edge, QPoint Delta, const TTBSizeLimits &Limits) {
  int L = Start.left(), T = Start.top(), R = L + Start.width(), B = T + Start.height();
  const int MinW = std::max(1, Limits.MinWidth), MinH = std::max(1, Limits.MinHeight);
  const bool Left = Edge == htLeft || Edge == htTopLeft || Edge == htBottomLeft;
  const bool Right = Edge == htRight || Edge == htTopRight || Edge == htBottomRight;
  const bool Top = Edge == htTop || Edge == htTopLeft || Edge == htTopRight;
  const bool Bottom = Edge == htBottom || Edge == htBottomLeft || Edge == htBottomRight;
  if (Left) {
    L = std::min(L + Delta.x(), R - MinW);
    if (Limits.MaxWidth > 0) L = std::max(L, R - Limits.MaxWidth);
  }
  if (Right) {
    R = std::max(R + Delta.x(), L + MinW);
    if (Limits.MaxWidth > 0) R = std::min(R, L + Limits.MaxWidth);
  }
  if (Top) {
    T = std::min(T + Delta.y(), B - MinH);
    if (Limits.MaxHeight > 0) T = std::max(T, B - Limits.MaxHeight);
  }
  if (Bottom) {
    B = std::max(B + Delta.y(), T + MinH);
    if (Limits.MaxHeight > 0) B = std::min(B, T + Limits.MaxHeight);
  }
  return QRect(L, T, R - L, B - T);
}

QRect MoveRectOnScreen(const QRect &R, const QRect &Area) {
  QRect M = R;
  if (M.right() > Area.right()) M.moveRight(Area.right());
  if (M.bottom() > Area.bottom()) M.moveBottom(Area.bottom());
  if (M.left() < Area.left()) M.moveLeft(Area.left());
  if (M.top() < Area.top()) M.moveTop(Area.top());
  return M;
}

} // namespace kc::tb
