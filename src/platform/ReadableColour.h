#pragma once
// Text colours that can be read on their background: the contrast of two
// colours (relative luminance, 1:1 to 21:1), and a text colour moved just far
// enough toward black or white to reach a given contrast.
#include <QColor>

namespace kc {

double ContrastRatio(const QColor &A, const QColor &B);

// Fg when it already reads on Back at MinRatio; otherwise Fg blended toward
// black or white (whichever stands further from Back) by the least amount
// that reaches MinRatio, so a grey stays a grey as far as it can.
QColor ReadableOn(const QColor &Fg, const QColor &Back, double MinRatio = 4.5);

} // namespace kc
