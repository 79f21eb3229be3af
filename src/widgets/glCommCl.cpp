#include "widgets/glCommCl.h"

#include <algorithm>

namespace kc {

void TTwainColors::SetFromColor(TColor c) {
  if (c == FFromColor) return;
  FFromColor = c;
  FRGBFrom = ColorToRGB(c);
  Changed();
}

void TTwainColors::SetToColor(TColor c) {
  if (c == FToColor) return;
  FToColor = c;
  FRGBTo = ColorToRGB(c);
  Changed();
}

void TGradient::SetOrientation(TglGradientDir d) {
  if (d == FOrientation) return;
  FOrientation = d;
  if (FActive) Changed();
}

void TGradient::SetSteps(int n) { setField(FSteps, std::clamp(n, 1, kMaxSteps)); }

// A filling above 100 % would run the colours past ToColor and out of the
// byte range of a channel.
void TGradient::SetPercentFilling(int p) { setField(FPercentFilling, std::clamp(p, 0, 100)); }

void TGradient::SetBrushStyle(TglBrushStyle s) {
  FBrushStyle = s;
  Changed();
}

} // namespace kc
