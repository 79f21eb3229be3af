#pragma once
// The group box's drawing routines: text in 3-D styles, gradient fills and
// gradient text, bevelled boxes and glyphs with a transparent colour.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include "widgets/glCommCl.h"

namespace kc {

// The colour a band or strip of a ramp gets: index of count, linear per
// channel between From and To (RGB values); never outside the two.
TColor RampColor(TColor From, TColor To, int index, int count);

// Text with its top-left corner at X, Y in one of the 3-D styles; every pass
// is clipped to Clip. Plain skips the shadow and highlight passes; a text
// gradient (active) draws the text-colour pass.
void DrawStyledText(QPainter &p, int X, int Y, const QFont &font, const TIllumination *illumination, TColor shadowColor,
                    TColor highlightColor, TColor delineateColor, TColor textColor, bool plain, bool delineated,
                    TglTextStyle style, const QString &text, const QRect &clip,
                    const TGradient *textGradient = nullptr);

// Text in one-pixel strips coloured along the gradient (rows, or columns
// for a vertical gradient), over the first PercentFilling percent of Clip.
void DrawGradientText(QPainter &p, int X, int Y, const QString &text, const QRect &clip, const TGradient &gradient);

// Outer then inner cut of a bevel along the chosen sides of Rect (edges
// inclusive), then, unless NoFill, the rest filled with FillColor. Custom
// colours (dark shadow, highlight, shadow) replace the system's when given.
struct TglBevelColors {
  TColor darkShadow, highlight, shadow;
};
void DrawBevelBox(QPainter &p, QRect Rect, TglSides sides, bool bold, TglBevelCut inner, TglBevelCut outer, bool noFill,
                  TColor fillColor, const TglBevelColors *custom = nullptr);

// The highlight and shadow of a colour set, lighter and darker than Base.
void DeriveBevelColors(TColor Base, TglCustomTextColors &colors);

// Fills Rect with Steps bands from FromColor to ToColor when the gradient is
// active; only PercentFilling percent of the way is filled.
void DrawGradient(QPainter &p, const QRect &Rect, const TGradient &gradient);

// Draws Glyph at X, Y leaving pixels of TransparentColor out; the disabled
// look draws its shape twice, in button highlight and then button shadow.
void DrawGlyph(QPainter &p, const QImage &Glyph, int X, int Y, QRgb TransparentColor, bool disabled);

} // namespace kc
