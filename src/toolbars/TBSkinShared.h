#pragma once
// Colour arithmetic and the fills of skinned painting. System colours are
// resolved first everywhere.
#include <QImage>
#include <QPainter>
#include <QRect>

#include "platform/CanvasTypes.h"

namespace kc::tb {

// Per channel (1 - Weight) * a + Weight * b, rounded half to even; negative
// results give 0 and results above 255 keep A's channel.
TColor BlendColors(TColor A, TColor B, double Weight);
// Per channel c + (255 - c) * Percent / 100 (Percent clamped to 0..100).
TColor LightenColor(TColor Color, int Percent);
// Per channel max(c - Amount, 0), at most 255.
TColor DarkenColor(TColor Color, int Amount);

QColor ToQColor(TColor Color);

// A gradient from Start (first row or column) to End (last), one solid band
// per pixel row (Vertical) or column.
void GradientFillRect(QPainter &P, const QRect &R, TColor Start, bool Vertical, TColor End);

// Draws Image over Dst mixing each pixel it changes with the background:
// (image * Alpha + background * (255 - Alpha)) / 256.
void DrawBlendedImage(QImage &Dst, QPoint At, const QImage &Image, int Alpha);
// Darkens the background where Image has pixels, by the image's brightness.
void DrawShadowedImage(QImage &Dst, QPoint At, const QImage &Image, bool Dark);

} // namespace kc::tb
