// The program icon: two speech bubbles on a blue rounded square. The tray
// frames are the same picture with a notice dot that pulses.
#include <QLinearGradient>

#include "Pictures.h"

namespace artgen {

void DrawProgramIcon(const TArt &A, int Notice) {
  QPainterPath tile = RoundRect(QRectF(1, 1, 30, 30), 7);
  // The middle tray frame lights the whole tile up.
  const bool lit = Notice == 2;
  QLinearGradient g(0, 1, 0, 31);
  g.setColorAt(0, lit ? QColor(0xFF, 0xB8, 0x4A) : QColor(0x4F, 0x9B, 0xFF));
  g.setColorAt(1, lit ? QColor(0xF0, 0x7A, 0x10) : QColor(0x25, 0x5F, 0xD8));
  A.P.fillPath(tile, lit ? QColor(0xB0, 0x55, 0x08) : QColor(0x1E, 0x4C, 0xB0));
  A.P.fillPath(RoundRect(QRectF(1 + A.Lp * 0.7, 1 + A.Lp * 0.7, 30 - 1.4 * A.Lp, 30 - 1.4 * A.Lp), 6.3), g);
  // The back bubble, green, tail to the right.
  QPainterPath back =
      RoundRect(QRectF(12, 11, 16, 12), 5).united(Polygon({QPointF(21, 21), QPointF(26, 21), QPointF(26.5, 27)}));
  A.Shape(back, QColor(0x6F, 0xE0, 0x8E), QColor(0x1E, 0x7A, 0x3C));
  // The front bubble, white, tail to the left, with three dots.
  QPainterPath front =
      RoundRect(QRectF(4, 5, 18, 13), 5.5).united(Polygon({QPointF(7, 16), QPointF(12, 16), QPointF(6, 22.5)}));
  A.Shape(front, QColor(0xFF, 0xFF, 0xFF), QColor(0x1E, 0x4C, 0xB0));
  for (int i = 0; i < 3; ++i) A.Flat(Circle(QPointF(9 + 4 * i, 11.5), 1.5), QColor(0x25, 0x5F, 0xD8));
  if (Notice == 1 || Notice == 3)
    A.Shape(Circle(QPointF(24.5, 7.5), Notice == 1 ? 6.5 : 7.5), QColor(0xFF, 0x4A, 0x2A), Qt::white);
}

QImage ProgramIconImage(int Size) {
  // One logical pixel of outline at 16, proportionally thinner above 32.
  const int list = Size <= 16 ? 16 : Size <= 32 ? 32 : Size;
  return Render([](const TArt &A) { DrawProgramIcon(A, 0); }, Size, std::min(list, 64));
}

} // namespace artgen
