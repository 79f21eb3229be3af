#include "widgets/glDraw.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>

#include "widgets/KcDraw.h"

namespace kc {

TColor RampColor(TColor From, TColor To, int index, int count) {
  const int last = std::max(1, count - 1);
  const int i = std::clamp(index, 0, last);
  auto mix = [&](int a, int b) { return a + (b - a) * i / last; };
  return RGB(mix(GetRValue(From), GetRValue(To)), mix(GetGValue(From), GetGValue(To)),
             mix(GetBValue(From), GetBValue(To)));
}

namespace {

void textAt(QPainter &p, int x, int y, const QString &text, TColor color, const QRect &clip) {
  p.save();
  p.setClipRect(clip);
  p.setPen(QColorOf(color));
  p.drawText(x, y + QFontMetrics(p.font()).ascent(), text);
  p.restore();
}

} // namespace

void DrawGradientText(QPainter &p, int X, int Y, const QString &text, const QRect &clip, const TGradient &gradient) {
  const bool columns = gradient.Orientation() == TglGradientDir::fgdVertical;
  const int extent = columns ? clip.width() : clip.height();
  if (!gradient.Active() || extent <= 0) {
    textAt(p, X, Y, text, gradient.ToColor(), clip);
    return;
  }
  const int strips = std::min(extent, extent * gradient.PercentFilling() / 100 + 1);
  for (int i = 0; i < strips; ++i) {
    const QRect strip = columns ? QRect(clip.left() + i, clip.top(), 1, clip.height())
                                : QRect(clip.left(), clip.top() + i, clip.width(), 1);
    textAt(p, X, Y, text, RampColor(gradient.RGBFromColor(), gradient.RGBToColor(), i, extent), strip);
  }
}

void DrawStyledText(QPainter &p, int X, int Y, const QFont &font, const TIllumination *illumination, TColor shadowColor,
                    TColor highlightColor, TColor delineateColor, TColor textColor, bool plain, bool delineated,
                    TglTextStyle style, const QString &text, const QRect &clip, const TGradient *textGradient) {
  p.save();
  p.setFont(font);
  p.setBackgroundMode(Qt::TransparentMode);
  int d = delineated ? 4 : 2;
  if (style == TglTextStyle::fstNone || style == TglTextStyle::fstShadow) d = d / 2 - 1;
  const int depth = illumination ? illumination->ShadowDepth() : 2;
  auto pass = [&](int x, int y, TColor c) { textAt(p, x, y, text, c, clip); };
  auto mainText = [&](int o) {
    if (delineated) {
      if (!plain) {
        pass(X + o, Y + o, delineateColor);
        pass(X + o + 2, Y + o + 2, delineateColor);
        pass(X + o, Y + o + 2, delineateColor);
        pass(X + o + 2, Y + o, delineateColor);
      }
      o += 1;
    }
    if (textGradient && textGradient->Active()) DrawGradientText(p, X + o, Y + o, text, clip, *textGradient);
    else pass(X + o, Y + o, textColor);
  };
  switch (style) {
  case TglTextStyle::fstRaised:
    if (!plain) {
      pass(X, Y, highlightColor);
      pass(X + d, Y + d, shadowColor);
    }
    mainText(1);
    break;
  case TglTextStyle::fstRecessed:
    if (!plain) {
      pass(X, Y, shadowColor);
      pass(X + d, Y + d, highlightColor);
    }
    mainText(1);
    break;
  case TglTextStyle::fstPushed:
    pass(X + 1, Y + 1, highlightColor);
    pass(X, Y, shadowColor);
    break;
  case TglTextStyle::fstShadow:
    if (!plain) pass(X + d + depth, Y + d + depth, shadowColor);
    mainText(0);
    break;
  case TglTextStyle::fstVolumetric:
    if (!plain)
      for (int i = 1; i <= depth; ++i) pass(X + i, Y + i, shadowColor);
    mainText(0);
    break;
  case TglTextStyle::fstNone: mainText(0); break;
  }
  p.restore();
}

void DrawBevelBox(QPainter &p, QRect Rect, TglSides sides, bool bold, TglBevelCut inner, TglBevelCut outer, bool noFill,
                  TColor fillColor, const TglBevelColors *custom) {
  const QColor dark = QColorOf(custom ? custom->darkShadow : cl3DDkShadow);
  const QColor light = QColorOf(custom ? custom->highlight : clBtnHighlight);
  const QColor shadow = QColorOf(custom ? custom->shadow : clBtnShadow);
  auto line = [&](TglSide s, const QColor &c) {
    switch (s) {
    case TglSide::fsdLeft: p.fillRect(QRect(Rect.left(), Rect.top(), 1, Rect.height()), c); break;
    case TglSide::fsdTop: p.fillRect(QRect(Rect.left(), Rect.top(), Rect.width(), 1), c); break;
    case TglSide::fsdRight: p.fillRect(QRect(Rect.right(), Rect.top(), 1, Rect.height()), c); break;
    case TglSide::fsdBottom: p.fillRect(QRect(Rect.left(), Rect.bottom(), Rect.width(), 1), c); break;
    }
  };
  auto shrink = [&](TglSide s) {
    switch (s) {
    case TglSide::fsdLeft: Rect.setLeft(Rect.left() + 1); break;
    case TglSide::fsdTop: Rect.setTop(Rect.top() + 1); break;
    case TglSide::fsdRight: Rect.setRight(Rect.right() - 1); break;
    case TglSide::fsdBottom: Rect.setBottom(Rect.bottom() - 1); break;
    }
  };
  for (TglBevelCut cut : {outer, inner}) {
    if (cut == TglBevelCut::bvNone) continue;
    for (TglSide s : {TglSide::fsdLeft, TglSide::fsdTop, TglSide::fsdRight, TglSide::fsdBottom}) {
      if (!(sides & sideBit(s)) || Rect.width() <= 0 || Rect.height() <= 0) continue;
      const bool leading = s == TglSide::fsdLeft || s == TglSide::fsdTop;
      bool shadowSide = true;
      if (cut == TglBevelCut::bvLowered) shadowSide = leading;
      if (cut == TglBevelCut::bvRaised) shadowSide = !leading;
      if (bold) {
        line(s, shadowSide ? dark : light);
        shrink(s);
      }
      line(s, shadowSide ? shadow : light);
      shrink(s);
    }
  }
  if (!noFill && Rect.width() > 0 && Rect.height() > 0) p.fillRect(Rect, QColorOf(fillColor));
}

void DeriveBevelColors(TColor Base, TglCustomTextColors &colors) {
  const TColor c = ColorToRGB(Base);
  auto up = [](int v) { return v + (255 - v) / 2; };
  auto down = [](int v) { return v / 2; };
  colors.SetHighlight(RGB(up(GetRValue(c)), up(GetGValue(c)), up(GetBValue(c))));
  colors.SetShadow(RGB(down(GetRValue(c)), down(GetGValue(c)), down(GetBValue(c))));
}

void DrawGradient(QPainter &p, const QRect &Rect, const TGradient &g) {
  if (!g.Active() || Rect.width() <= 0 || Rect.height() <= 0) return;
  const int w = Rect.width(), h = Rect.height();
  const int steps = g.Steps();
  const int fill = g.PercentFilling();
  const TColor from = g.RGBFromColor(), to = g.RGBToColor();
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  // Each pixel's place along the run, in 1/65536 of the run.
  auto place = [&](int x, int y) -> long long {
    const long long X = x, Y = y, W = std::max(1, w - 1), H = std::max(1, h - 1);
    switch (g.Orientation()) {
    case TglGradientDir::fgdHorizontal: return X * 65536 / W;
    case TglGradientDir::fgdVertical: return Y * 65536 / H;
    case TglGradientDir::fgdLeftBias: return (X * H + Y * W) * 65536 / (2 * W * H);
    case TglGradientDir::fgdRightBias: return ((W - X) * H + Y * W) * 65536 / (2 * W * H);
    case TglGradientDir::fgdRectangle: {
      const long long dx = std::min(X, W - X) * 2 * 65536 / W, dy = std::min(Y, H - Y) * 2 * 65536 / H;
      return std::min(dx, dy);
    }
    case TglGradientDir::fgdHorzConvergent: return std::min(X, W - X) * 2 * 65536 / W;
    case TglGradientDir::fgdVertConvergent: return std::min(Y, H - Y) * 2 * 65536 / H;
    }
    return 0;
  };
  const long long limit = 65536LL * fill / 100;
  for (int y = 0; y < h; ++y) {
    auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const long long t = std::min<long long>(place(x, y), 65536);
      if (t > limit || (fill < 100 && t == limit)) continue;
      const int band = static_cast<int>(std::min<long long>(steps - 1, t * steps / 65536));
      const TColor c = RampColor(from, to, band, steps);
      row[x] = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
    }
  }
  if (g.BrushStyle() == TglBrushStyle::bsClear) return;
  p.drawImage(Rect.topLeft(), img);
}

void DrawGlyph(QPainter &p, const QImage &Glyph, int X, int Y, QRgb TransparentColor, bool disabled) {
  if (Glyph.isNull()) return;
  QImage src = Glyph.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = TransparentColor | 0xFF000000u;
  auto shape = [&](const QColor &c) {
    QImage out(src.size(), QImage::Format_ARGB32);
    for (int y = 0; y < src.height(); ++y)
      for (int x = 0; x < src.width(); ++x) {
        const QRgb px = src.pixel(x, y) | 0xFF000000u;
        out.setPixel(x, y, px == key ? 0u : c.rgba());
      }
    return out;
  };
  if (disabled) {
    p.drawImage(X + 1, Y + 1, shape(QColorOf(clBtnHighlight)));
    p.drawImage(X, Y, shape(QColorOf(clBtnShadow)));
    return;
  }
  QImage out = src;
  for (int y = 0; y < out.height(); ++y)
    for (int x = 0; x < out.width(); ++x)
      if ((out.pixel(x, y) | 0xFF000000u) == key) out.setPixel(x, y, 0u);
  p.drawImage(X, Y, out);
}

} // namespace kc
