// Frames, dotted grid lines and the fills they are made of, all cut to the
// clip rectangle first.
#include "richtext/tables/RVTableBorders.h"
#include "platform/Canvas.h"

#include <algorithm>

namespace kc {

namespace {

TPenStyle GGridPenStyle = TPenStyle::psDot;

struct Span {
  int64_t Lo, Hi; // [Lo, Hi)
  bool Empty() const { return Hi <= Lo; }
};

Span Cut(int64_t Lo, int64_t Hi, int64_t ClipLo, int64_t ClipHi) {
  return {std::max(Lo, ClipLo), std::min(Hi, ClipHi)};
}

} // namespace

void FillClipped(TCanvas &Canvas, int64_t Left, int64_t Top, int64_t Right, int64_t Bottom, TColor Color,
                 const TRect &Clip) {
  if (Color == clNone) return;
  const Span x = Cut(Left, Right, Clip.Left, Clip.Right), y = Cut(Top, Bottom, Clip.Top, Clip.Bottom);
  if (x.Empty() || y.Empty()) return;
  Canvas.setBrush(CanvasBrush{Color, TBrushStyle::bsSolid});
  Canvas.fillRect(TRect{int(x.Lo), int(y.Lo), int(x.Hi), int(y.Hi)});
}

TColor RaisedLightColor(TColor Light, TColor Color, TColor Background) {
  const TColor l = ColorToRGB(Light);
  if (l != ColorToRGB(Background)) return Light;
  // Half way to the dark side: seen on the background, still lighter than
  // the other two sides.
  const TColor d = ColorToRGB(Color);
  return RGB((GetRValue(l) * 3 + GetRValue(d)) / 4, (GetGValue(l) * 3 + GetGValue(d)) / 4,
             (GetBValue(l) * 3 + GetBValue(d)) / 4);
}

void DrawTableFrame(TCanvas &Canvas, const TRVTableFrame &F, const TRect &Clip) {
  const int64_t L = F.Rect.Left, T = F.Rect.Top, R = F.Rect.Right, B = F.Rect.Bottom;
  if (F.Width <= 0 || R <= L || B <= T) return;
  // Outside the clip rectangle there is nothing to do.
  if (R <= Clip.Left || L >= Clip.Right || B <= Clip.Top || T >= Clip.Bottom) return;
  // A frame wider than half its rectangle would only paint its inside again.
  const int64_t w = std::min<int64_t>({F.Width, (R - L + 1) / 2, (B - T + 1) / 2});
  const TRVBooleanRect &v = F.Visible;

  if (F.Style == rvtbColor) {
    if (F.Color == clNone) return;
    // One colour: only which side owns the corners differs.
    const bool hOver = F.OverlappingCorners;
    if (v.Top)
      FillClipped(Canvas, hOver || !v.Left ? L : L + w, T, hOver || !v.Right ? R : R - w, T + w, F.Color, Clip);
    if (v.Bottom)
      FillClipped(Canvas, hOver || !v.Left ? L : L + w, B - w, hOver || !v.Right ? R : R - w, B, F.Color, Clip);
    if (v.Left) FillClipped(Canvas, L, hOver && v.Top ? T + w : T, L + w, hOver && v.Bottom ? B - w : B, F.Color, Clip);
    if (v.Right)
      FillClipped(Canvas, R - w, hOver && v.Top ? T + w : T, R, hOver && v.Bottom ? B - w : B, F.Color, Clip);
    return;
  }

  const bool raised = F.Style == rvtbRaised || F.Style == rvtbRaisedColor;
  TColor light = F.LightColor;
  if (F.Style == rvtbRaised) light = RaisedLightColor(F.LightColor, F.Color, F.BackgroundColor);
  const TColor topLeft = raised ? light : F.Color;
  const TColor bottomRight = raised ? F.Color : light;

  if (F.Printing && F.Halftone) {
    // One band a side, each the whole length.
    if (v.Left) FillClipped(Canvas, L, T, L + w, B, topLeft, Clip);
    if (v.Top) FillClipped(Canvas, L, T, R, T + w, topLeft, Clip);
    if (v.Right) FillClipped(Canvas, R - w, T, R, B, bottomRight, Clip);
    if (v.Bottom) FillClipped(Canvas, L, B - w, R, B, bottomRight, Clip);
    return;
  }

  // Concentric one-pixel frames, drawn as the bands they make up: left and
  // top sides in one colour, right and bottom in the other. In the corner
  // where the two colours meet (top right, bottom left) the edge between
  // them runs along the diagonal: each ring's top-right pixel belongs to the
  // right side, its bottom-left pixel to the left side.
  if (v.Top) FillClipped(Canvas, v.Left ? L + w : L, T, v.Right ? R - w : R, T + w, topLeft, Clip);
  if (v.Left) FillClipped(Canvas, L, v.Top ? T + w : T, L + w, v.Bottom ? B - w : B, topLeft, Clip);
  if (v.Bottom) FillClipped(Canvas, v.Left ? L + w : L, B - w, v.Right ? R - w : R, B, bottomRight, Clip);
  if (v.Right) FillClipped(Canvas, R - w, v.Top ? T + w : T, R, v.Bottom ? B - w : B, bottomRight, Clip);
  if (v.Top && v.Left) FillClipped(Canvas, L, T, L + w, T + w, topLeft, Clip);
  if (v.Bottom && v.Right) FillClipped(Canvas, R - w, B - w, R, B, bottomRight, Clip);
  if (v.Top && v.Right) {
    // Row at distance d from the top: light while farther from the right
    // edge than d.
    const Span rows = Cut(T, T + w, Clip.Top, Clip.Bottom);
    for (int64_t y = rows.Lo; y < rows.Hi; ++y) {
      const int64_t d = y - T;
      FillClipped(Canvas, R - w, y, R - 1 - d, y + 1, topLeft, Clip);
      FillClipped(Canvas, std::max(R - w, R - 1 - d), y, R, y + 1, bottomRight, Clip);
    }
  }
  if (v.Bottom && v.Left) {
    // Row at distance d from the bottom: the left side's while at most d
    // from the left edge.
    const Span rows = Cut(B - w, B, Clip.Top, Clip.Bottom);
    for (int64_t y = rows.Lo; y < rows.Hi; ++y) {
      const int64_t d = B - 1 - y;
      const int64_t split = std::min(L + w, L + d + 1);
      FillClipped(Canvas, L, y, split, y + 1, topLeft, Clip);
      FillClipped(Canvas, split, y, L + w, y + 1, bottomRight, Clip);
    }
  }
}

void DrawDottedVertLine(TCanvas &Canvas, int X, int Y1, int Y2, TColor Color, const TRect &Clip) {
  if (X < Clip.Left || X >= Clip.Right || Y2 <= Y1) return;
  // The first group that can reach into the clip rectangle.
  int64_t g = Y1;
  if (int64_t(Clip.Top) - 4 > g) g += (int64_t(Clip.Top) - 4 - g) / 8 * 8;
  for (; g < Y2 && g < Clip.Bottom; g += 8)
    for (int k = 0; k <= 4; k += 2)
      if (g + k >= Clip.Top && g + k < Clip.Bottom) Canvas.setPixel(X, int(g + k), Color);
}

void DrawDottedHorzLine(TCanvas &Canvas, int X1, int X2, int Y, TColor Color, const TRect &Clip) {
  if (Y < Clip.Top || Y >= Clip.Bottom || X2 <= X1) return;
  int64_t g = X1;
  if (int64_t(Clip.Left) - 4 > g) g += (int64_t(Clip.Left) - 4 - g) / 8 * 8;
  for (; g < X2 && g < Clip.Right; g += 8)
    for (int k = 0; k <= 4; k += 2)
      if (g + k >= Clip.Left && g + k < Clip.Right) Canvas.setPixel(int(g + k), Y, Color);
}

TPenStyle RVTableGridPenStyle() { return GGridPenStyle; }
void SetRVTableGridPenStyle(TPenStyle Style) { GGridPenStyle = Style; }

void DrawGridSides(TCanvas &Canvas, const TRect &R, const TRVBooleanRect &Sides, const TRect &Clip) {
  const TPenStyle style = GGridPenStyle;
  if (style == TPenStyle::psClear || R.isEmpty()) return;
  const TColor c = clBtnFace;
  const int l = R.Left, t = R.Top, r = R.Right - 1, b = R.Bottom - 1;
  if (style == TPenStyle::psDot) {
    if (Sides.Top) DrawDottedHorzLine(Canvas, l, R.Right, t, c, Clip);
    if (Sides.Bottom) DrawDottedHorzLine(Canvas, l, R.Right, b, c, Clip);
    if (Sides.Left) DrawDottedVertLine(Canvas, l, t, R.Bottom, c, Clip);
    if (Sides.Right) DrawDottedVertLine(Canvas, r, t, R.Bottom, c, Clip);
    return;
  }
  // Any other pen draws solid one-pixel lines.
  if (Sides.Top) FillClipped(Canvas, l, t, R.Right, t + 1, c, Clip);
  if (Sides.Bottom) FillClipped(Canvas, l, b, R.Right, b + 1, c, Clip);
  if (Sides.Left) FillClipped(Canvas, l, t, l + 1, R.Bottom, c, Clip);
  if (Sides.Right) FillClipped(Canvas, r, t, r + 1, R.Bottom, c, Clip);
}

} // namespace kc
