#include "toolbars/TBSkinShared.h"

#include <algorithm>
#include <cmath>

namespace kc::tb {

namespace {
int BlendChannel(int a, int b, double w) {
  const double v = std::nearbyint((1.0 - w) * a + w * b); // default rounding: halves to even
  if (v < 0) return 0;
  if (v > 255) return a;
  return int(v);
}
} // namespace

TColor BlendColors(TColor A, TColor B, double Weight) {
  const TColor a = ColorToRGB(A), b = ColorToRGB(B);
  return RGB(BlendChannel(GetRValue(a), GetRValue(b), Weight), BlendChannel(GetGValue(a), GetGValue(b), Weight),
             BlendChannel(GetBValue(a), GetBValue(b), Weight));
}

TColor LightenColor(TColor Color, int Percent) {
  const TColor c = ColorToRGB(Color);
  const int p = std::clamp(Percent, 0, 100);
  auto ch = [p](int v) { return v + (255 - v) * p / 100; };
  return RGB(ch(GetRValue(c)), ch(GetGValue(c)), ch(GetBValue(c)));
}

TColor DarkenColor(TColor Color, int Amount) {
  const TColor c = ColorToRGB(Color);
  auto ch = [Amount](int v) { return std::clamp(v - Amount, 0, 255); };
  return RGB(ch(GetRValue(c)), ch(GetGValue(c)), ch(GetBValue(c)));
}

QColor ToQColor(TColor Color) {
  const TColor c = ColorToRGB(Color);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

void GradientFillRect(QPainter &P, const QRect &R, TColor Start, bool Vertical, TColor End) {
  if (R.isEmpty()) return;
  const TColor s = ColorToRGB(Start), e = ColorToRGB(End);
  const int bands = Vertical ? R.height() : R.width();
  for (int i = 0; i < bands; ++i) {
    auto ch = [&](int a, int b) { return bands == 1 ? a : a + (b - a) * i / (bands - 1); };
    const QColor c(ch(GetRValue(s), GetRValue(e)), ch(GetGValue(s), GetGValue(e)), ch(GetBValue(s), GetBValue(e)));
    if (Vertical) P.fillRect(QRect(R.left(), R.top() + i, R.width(), 1), c);
    else P.fillRect(QRect(R.left() + i, R.top(), 1, R.height()), c);
  }
}

namespace {
template <typename F> void ForEachImagePixel(QImage &Dst, QPoint At, const QImage &Image, F f) {
  if (Dst.isNull() || Image.isNull()) return;
  if (Dst.format() != QImage::Format_RGB32 && Dst.format() != QImage::Format_ARGB32)
    Dst = Dst.convertToFormat(QImage::Format_RGB32);
  const QImage img = Image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < img.height(); ++y) {
    const int dy = At.y() + y;
    if (dy < 0 || dy >= Dst.height()) continue;
    for (int x = 0; x < img.width(); ++x) {
      const int dx = At.x() + x;
      if (dx < 0 || dx >= Dst.width()) continue;
      const QRgb src = img.pixel(x, y);
      if (qAlpha(src) == 0) continue; // the image leaves this pixel as it was
      Dst.setPixel(dx, dy, f(src, Dst.pixel(dx, dy)));
    }
  }
}
} // namespace

void DrawBlendedImage(QImage &Dst, QPoint At, const QImage &Image, int Alpha) {
  const int a = std::clamp(Alpha, 0, 255);
  ForEachImagePixel(Dst, At, Image, [a](QRgb img, QRgb bg) {
    auto ch = [a](int i, int b) { return (i * a + b * (255 - a)) / 256; };
    return qRgb(ch(qRed(img), qRed(bg)), ch(qGreen(img), qGreen(bg)), ch(qBlue(img), qBlue(bg)));
  });
}

void DrawShadowedImage(QImage &Dst, QPoint At, const QImage &Image, bool Dark) {
  ForEachImagePixel(Dst, At, Image, [Dark](QRgb img, QRgb bg) {
    // The image pixel as 0x00BBGGRR: high byte blue, middle green, low red.
    const int l = (29 * qBlue(img) + 150 * qGreen(img) + 76 * qRed(img)) / 256;
    const int f = Dark ? l / 8 + 223 : l / 3 + 170;
    auto ch = [f](int b) { return std::min(255, b * f / 256); };
    return qRgb(ch(qRed(bg)), ch(qGreen(bg)), ch(qBlue(bg)));
  });
}

} // namespace kc::tb
