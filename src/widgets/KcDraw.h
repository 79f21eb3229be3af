#pragma once
// Drawing helpers the small widgets share: class-library colours as Qt
// colours, and the two-colour 3-D frame.
#include <QColor>
#include <QPainter>
#include <QRect>

#include "platform/CanvasTypes.h"

namespace kc {

inline QColor QColorOf(TColor c) {
  const TColor rgb = ColorToRGB(c);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

inline TColor TColorOf(const QColor &c) { return RGB(c.red(), c.green(), c.blue()); }

// Draws Width rings of a 3-D frame inside Rect (top and left in TopColor,
// bottom and right in BottomColor) and shrinks Rect past them.
inline void Frame3D(QPainter &p, QRect &Rect, const QColor &TopColor, const QColor &BottomColor, int Width) {
  for (int i = 0; i < Width && Rect.width() > 0 && Rect.height() > 0; ++i) {
    p.fillRect(QRect(Rect.left(), Rect.top(), Rect.width(), 1), TopColor);
    p.fillRect(QRect(Rect.left(), Rect.top(), 1, Rect.height()), TopColor);
    p.fillRect(QRect(Rect.left(), Rect.bottom(), Rect.width(), 1), BottomColor);
    p.fillRect(QRect(Rect.right(), Rect.top(), 1, Rect.height()), BottomColor);
    Rect.adjust(1, 1, -1, -1);
  }
}

} // namespace kc
