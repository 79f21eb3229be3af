// Handles of a resizable item and the drag of one of them.
#include "richtext/controls/RVItemResizer.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>

namespace kc {

bool RVProportionalCornerResize = true;

namespace {

// Which sides each handle moves: left, right, top, bottom.
struct THandleSides {
  bool Left, Right, Top, Bottom;
};
constexpr THandleSides kSides[TRVItemResizer::HandleCount] = {
    {true, false, true, false},  {false, true, true, false},  {false, true, false, true},  {true, false, false, true},
    {false, false, true, false}, {false, true, false, false}, {false, false, false, true}, {true, false, false, false}};

constexpr TCursor kCursors[TRVItemResizer::HandleCount] = {crSizeNWSE, crSizeNESW, crSizeNWSE, crSizeNESW,
                                                           crSizeNS,   crSizeWE,   crSizeNS,   crSizeWE};

// The handle's place on the border, before the placement offset.
TPoint NominalPos(int Index, int W, int H) {
  switch (Index) {
  case 0: return {0, 0};
  case 1: return {W, 0};
  case 2: return {W, H};
  case 3: return {0, H};
  case 4: return {W / 2, 0};
  case 5: return {W, H / 2};
  case 6: return {W / 2, H};
  default: return {0, H / 2};
  }
}

} // namespace

TRVItemResizer::TRVItemResizer(const TCustomRVItemInfo *Item, int ItemNo, int DrawItemNo, int Width, int Height,
                               int BorderSpacing, int32_t Placement)
    : FItem(Item), FItemNo(ItemNo), FDrawItemNo(DrawItemNo), FWidth(Width), FHeight(Height),
      FSpacing(std::max(0, BorderSpacing)), FPlacement(Placement), FFrame{0, 0, Width, Height} {}

int32_t TRVItemResizer::EffectivePlacement() const {
  if (FWidth < MinInsideSize || FHeight < MinInsideSize) return rvhpOutside;
  return FPlacement;
}

TPoint TRVItemResizer::HandlePos(int Index) const {
  TPoint p = NominalPos(Index, FWidth, FHeight);
  const int32_t mode = EffectivePlacement();
  // The offset points into the item; outside handles take it the other way.
  const int d = mode == rvhpInside ? HandleRadius : mode == rvhpOutside ? -HandleRadius : 0;
  const THandleSides &s = kSides[Index];
  if (s.Left) p.x += d;
  else if (s.Right) p.x -= d;
  if (s.Top) p.y += d;
  else if (s.Bottom) p.y -= d;
  return p;
}

int TRVItemResizer::HandleAt(int X, int Y) const {
  for (int i = 0; i < HandleCount; ++i) {
    const TPoint p = HandlePos(i);
    if (std::abs(int64_t(X) - p.x) <= HandleRadius && std::abs(int64_t(Y) - p.y) <= HandleRadius) return i;
  }
  return -1;
}

TCursor TRVItemResizer::HandleCursor(int Index) {
  return Index >= 0 && Index < HandleCount ? kCursors[Index] : crDefault;
}

void TRVItemResizer::DrawHandle(TCanvas &Canvas, int X, int Y) {
  CanvasPen pen{clBlack, 1, TPenStyle::psSolid, TPenMode::pmCopy};
  Canvas.setPen(pen);
  Canvas.setBrush(CanvasBrush{clWhite, TBrushStyle::bsClear});
  Canvas.rectangle(Rect(X - 3, Y - 3, X + 3, Y + 3));
  // Inverted rings inside the black square show on light and dark pictures.
  pen.Mode = TPenMode::pmNot;
  Canvas.setPen(pen);
  Canvas.rectangle(Rect(X - 2, Y - 2, X + 2, Y + 2));
  Canvas.rectangle(Rect(X - 1, Y - 1, X + 1, Y + 1));
  pen.Mode = TPenMode::pmCopy;
  Canvas.setPen(pen);
}

void TRVItemResizer::DrawHandles(TCanvas &Canvas, int Left, int Top) const {
  const CanvasPen pen = Canvas.pen();
  const CanvasBrush brush = Canvas.brush();
  for (int i = 0; i < HandleCount; ++i) {
    const TPoint p = HandlePos(i);
    DrawHandle(Canvas, Left + p.x, Top + p.y);
  }
  Canvas.setPen(pen);
  Canvas.setBrush(brush);
}

void TRVItemResizer::DrawFrame(TCanvas &Canvas, int Left, int Top) const {
  if (!FDragging) return;
  const CanvasPen pen = Canvas.pen();
  const CanvasBrush brush = Canvas.brush();
  Canvas.setPen(CanvasPen{clBlack, 1, TPenStyle::psDot, TPenMode::pmNot});
  Canvas.setBrush(CanvasBrush{clWhite, TBrushStyle::bsClear});
  // The outline of the rectangle as lines: each leaves out its end pixel,
  // so no corner is inverted twice.
  const int l = Left + FFrame.Left, t = Top + FFrame.Top;
  const int r = Left + FFrame.Right - 1, b = Top + FFrame.Bottom - 1;
  Canvas.moveTo(l, t);
  Canvas.lineTo(r, t);
  Canvas.lineTo(r, b);
  Canvas.lineTo(l, b);
  Canvas.lineTo(l, t);
  Canvas.setPen(pen);
  Canvas.setBrush(brush);
}

void TRVItemResizer::StartDrag(int Handle, int X, int Y) {
  FDragging = true;
  FCancelled = false;
  FActiveHandle = std::clamp(Handle, 0, HandleCount - 1);
  // Measured from the handle's place on the border, so that the side
  // follows the mouse without jumping by the placement offset.
  const TPoint p = NominalPos(FActiveHandle, FWidth, FHeight);
  FGrabX = X - p.x;
  FGrabY = Y - p.y;
  FFrame = Rect(0, 0, FWidth, FHeight);
}

void TRVItemResizer::Cancel() {
  FDragging = false;
  FCancelled = true;
  FFrame = Rect(0, 0, FWidth, FHeight);
}

void TRVItemResizer::DragTo(int X, int Y, bool Shift, bool Ctrl) {
  if (!FDragging) return;
  const int x = X - FGrabX, y = Y - FGrabY;
  const THandleSides &s = kSides[FActiveHandle];
  FFrame = Rect(0, 0, FWidth, FHeight);
  if (s.Left) FFrame.Left = x;
  if (s.Right) FFrame.Right = x;
  if (s.Top) FFrame.Top = y;
  if (s.Bottom) FFrame.Bottom = y;
  KeepMinimumSize(s.Left, s.Right, s.Top, s.Bottom);
  if (Ctrl) MirrorSides(s.Left, s.Right, s.Top, s.Bottom);
  if (Shift || (RVProportionalCornerResize && IsCornerHandle(FActiveHandle))) KeepProportions(s.Left, s.Top, Ctrl);
}

void TRVItemResizer::KeepMinimumSize(bool MovesLeft, bool MovesRight, bool MovesTop, bool MovesBottom) {
  if (FFrame.Right - 1 <= FFrame.Left) {
    if (MovesLeft) FFrame.Left = FFrame.Right - 2;
    else if (MovesRight) FFrame.Right = FFrame.Left + 2;
  }
  if (FFrame.Bottom - 1 <= FFrame.Top) {
    if (MovesTop) FFrame.Top = FFrame.Bottom - 2;
    else if (MovesBottom) FFrame.Bottom = FFrame.Top + 2;
  }
}

void TRVItemResizer::MirrorSides(bool MovesLeft, bool MovesRight, bool MovesTop, bool MovesBottom) {
  if (MovesLeft) FFrame.Right = FWidth - FFrame.Left;
  else if (MovesRight) FFrame.Left = FWidth - FFrame.Right;
  if (MovesTop) FFrame.Bottom = FHeight - FFrame.Top;
  else if (MovesBottom) FFrame.Top = FHeight - FFrame.Bottom;
  // A side dragged past the centre would turn the mirrored frame inside
  // out; it stops at the smallest frame around the centre instead.
  if (FFrame.Right - 1 <= FFrame.Left) {
    FFrame.Left = FWidth / 2 - 1;
    FFrame.Right = FFrame.Left + 2;
  }
  if (FFrame.Bottom - 1 <= FFrame.Top) {
    FFrame.Top = FHeight / 2 - 1;
    FFrame.Bottom = FFrame.Top + 2;
  }
}

void TRVItemResizer::KeepProportions(bool MovesLeft, bool MovesTop, bool Ctrl) {
  // The proportions are the picture's, without its border spacing.
  const int refW = FWidth - 2 * FSpacing, refH = FHeight - 2 * FSpacing;
  if (refW < 1 || refH < 1) return;
  const int frameW = FFrame.Right - FFrame.Left, frameH = FFrame.Bottom - FFrame.Top;
  const double rw = double(frameW - 2 * FSpacing) / refW;
  const double rh = double(frameH - 2 * FSpacing) / refH;
  auto grow = [Ctrl](int &Low, int &High, bool MovesLow, int Diff) {
    if (Ctrl) {
      Low -= Diff / 2;
      High += Diff - Diff / 2;
    } else if (MovesLow) {
      Low -= Diff;
    } else {
      High += Diff;
    }
  };
  if (rw <= rh) {
    const int w = std::max(2, int(std::lround(refW * rh)) + 2 * FSpacing);
    grow(FFrame.Left, FFrame.Right, MovesLeft, w - frameW);
  } else {
    const int h = std::max(2, int(std::lround(refH * rw)) + 2 * FSpacing);
    grow(FFrame.Top, FFrame.Bottom, MovesTop, h - frameH);
  }
}

} // namespace kc
