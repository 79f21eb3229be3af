#include "platform/ReadableColour.h"

#include <algorithm>
#include <cmath>

namespace kc {

namespace {
double Channel(int V) {
  const double c = V / 255.0;
  return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double Luminance(const QColor &C) {
  const QColor c = C.toRgb();
  return 0.2126 * Channel(c.red()) + 0.7152 * Channel(c.green()) + 0.0722 * Channel(c.blue());
}
QColor Blend(const QColor &From, const QColor &To, double T) {
  const QColor a = From.toRgb(), b = To.toRgb();
  auto mix = [T](int x, int y) { return int(std::lround(x + (y - x) * T)); };
  return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}
} // namespace

double ContrastRatio(const QColor &A, const QColor &B) {
  const double la = Luminance(A), lb = Luminance(B);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor &Fg, const QColor &Back, double MinRatio) {
  if (ContrastRatio(Fg, Back) >= MinRatio) return Fg;
  const QColor toward =
      ContrastRatio(Qt::black, Back) >= ContrastRatio(Qt::white, Back) ? QColor(Qt::black) : QColor(Qt::white);
  // Contrast grows with the blend toward the far end: the least blend that
  // reaches the ratio, found in whole steps of the 8-bit channels.
  double lo = 0, hi = 1;
  for (int i = 0; i < 12; ++i) {
    const double mid = (lo + hi) / 2;
    if (ContrastRatio(Blend(Fg, toward, mid), Back) >= MinRatio) hi = mid;
    else lo = mid;
  }
  const QColor out = Blend(Fg, toward, hi);
  return ContrastRatio(out, Back) >= MinRatio ? out : toward;
}

} // namespace kc
