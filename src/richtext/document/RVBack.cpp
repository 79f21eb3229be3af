#include "richtext/document/RVBack.h"
#include "platform/Canvas.h"

#include <algorithm>

namespace kc {

TRVBackground::TRVBackground(bool CreateBitmap) {
  if (CreateBitmap) FBitmap = std::make_unique<TBitmap>();
}

void TRVBackground::AssignImage(std::unique_ptr<TGraphic> Graphic) {
  if (Graphic.get() == FBitmap.get()) return;
  FBitmap = std::move(Graphic);
}

void TRVBackground::AssignImageCopy(const TGraphic &Graphic) {
  if (&Graphic == FBitmap.get()) return;
  FBitmap = Graphic.clone();
}

void TRVBackground::FreeBitmap() { FBitmap.reset(); }

bool TRVBackground::IsEmpty() const { return Style == bsNoBitmap && (!FBitmap || FBitmap->empty()); }

bool TRVBackground::HasVisibleBitmap() const { return Style != bsNoBitmap && FBitmap && !FBitmap->empty(); }

bool TRVBackground::ScrollNeedsRepaint() const {
  if (!FBitmap || FBitmap->empty()) return false;
  return Style == bsStretched || Style == bsTiled || Style == bsCentered;
}

TRVItemBackgroundStyle TRVBackground::GetItemBackStyle() const {
  switch (Style) {
  case bsStretched: return rvbsStretched;
  case bsTiled:
  case bsTiledAndScrolled: return rvbsTiled;
  case bsCentered: return rvbsCentered;
  default: return rvbsColor;
  }
}

void TRVBackground::SetItemBackStyle(TRVItemBackgroundStyle Value) {
  switch (Value) {
  case rvbsStretched: Style = bsStretched; break;
  case rvbsTiled: Style = bsTiled; break;
  case rvbsCentered: Style = bsCentered; break;
  default: Style = bsNoBitmap; break;
  }
}

namespace {

// Floor division, so that tiles left of or above the area are counted right.
int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

} // namespace

void TRVBackground::Draw(TCanvas &Canvas, const TRect &Rect, int HOffs, int VOffs, int Left, int Top, int Width,
                         int Height, TColor Color, bool ClipToRect) const {
  if (Rect.isEmpty()) return;
  const TGraphic *g = FBitmap.get();
  int saved = 0;
  TPoint oldOrigin{};
  if (ClipToRect) {
    saved = Canvas.saveDC();
    Canvas.intersectClipRect(Rect);
    oldOrigin = Canvas.origin();
    Canvas.setOrigin(TPoint{oldOrigin.x + Rect.Left, oldOrigin.y + Rect.Top});
  }
  // Area coordinates of the rectangle.
  const int64_t L = int64_t(Rect.Left) - Left, T = int64_t(Rect.Top) - Top;
  const int64_t R = int64_t(Rect.Right) - Left, B = int64_t(Rect.Bottom) - Top;
  // Drawing positions relative to the canvas: with clipping the rectangle's
  // corner is the origin.
  const int64_t ox = ClipToRect ? -L : Left, oy = ClipToRect ? -T : Top;
  auto toCanvas = [&](int64_t ax, int64_t ay) { return TPoint{int(ax + ox), int(ay + oy)}; };
  const bool noPic = !g || g->empty();
  if (Color != clNone && (noPic || Style == bsNoBitmap || Style == bsCentered)) {
    Canvas.setBrush(CanvasBrush{Color, TBrushStyle::bsSolid});
    const TPoint a = toCanvas(L, T);
    Canvas.fillRect(TRect{a.x, a.y, a.x + int(R - L), a.y + int(B - T)});
  }
  if (!noPic && Style != bsNoBitmap) {
    const int bw = g->width(), bh = g->height();
    auto put = [&](int64_t ax, int64_t ay) {
      const TPoint p = toCanvas(ax, ay);
      Canvas.drawGraphic(TRect{p.x, p.y, p.x + bw, p.y + bh}, *g);
    };
    switch (Style) {
    case bsStretched: {
      const TPoint p = toCanvas(0, 0);
      Canvas.drawGraphic(TRect{p.x, p.y, p.x + Width, p.y + Height}, *g);
      break;
    }
    case bsTiled:
    case bsTiledAndScrolled: {
      const int64_t hs = Style == bsTiledAndScrolled ? HOffs : 0, vs = Style == bsTiledAndScrolled ? VOffs : 0;
      for (int64_t j = FloorDiv(T + vs, bh); j <= FloorDiv(B + vs, bh); ++j)
        for (int64_t i = FloorDiv(L + hs, bw); i <= FloorDiv(R + hs, bw); ++i) put(i * bw - hs, j * bh - vs);
      break;
    }
    case bsCentered: put((int64_t(Width) - bw) / 2, (int64_t(Height) - bh) / 2); break;
    default: break;
    }
  }
  if (ClipToRect) {
    Canvas.setOrigin(oldOrigin);
    Canvas.restoreDC(saved);
  }
}

} // namespace kc
