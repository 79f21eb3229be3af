// The round faces of the emoticons, still and animated.
#include <algorithm>
#include <cmath>

#include "ArtDraw.h"

namespace artgen {

namespace {

void Pen(QPainter &P, const QColor &C, double W) {
  P.setPen(QPen(C, W, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  P.setBrush(Qt::NoBrush);
}

void Eye(const TArt &A, QPointF E, double R, const TFace &F, double Lw, bool Left) {
  QPainter &p = A.P;
  const QColor ink(0x4A, 0x2E, 0x12);
  switch (F.EyesKind) {
  case TFace::Dots:
  case TFace::Rolling: {
    const double ry = R * 0.16, rx = R * 0.11;
    p.setPen(Qt::NoPen);
    if (F.EyesKind == TFace::Rolling) {
      p.setBrush(Qt::white);
      p.drawEllipse(E, rx * 1.6, ry * 1.25);
      p.setBrush(ink);
      p.drawEllipse(E + QPointF(F.LookX * rx * 0.7, -ry * 0.45 + F.LookY * ry * 0.3), rx * 0.9, ry * 0.75);
    } else {
      p.setBrush(ink);
      p.drawEllipse(E + QPointF(F.LookX * rx * 0.6, F.LookY * ry * 0.5), rx, ry);
    }
    break;
  }
  case TFace::Wink:
    if (Left) {
      p.setPen(Qt::NoPen);
      p.setBrush(ink);
      p.drawEllipse(E, R * 0.11, R * 0.16);
    } else {
      Pen(p, ink, Lw);
      p.drawArc(QRectF(E.x() - R * 0.16, E.y() - R * 0.1, R * 0.32, R * 0.24), 20 * 16, 140 * 16);
    }
    break;
  case TFace::Happy:
    Pen(p, ink, Lw);
    p.drawArc(QRectF(E.x() - R * 0.17, E.y() - R * 0.08, R * 0.34, R * 0.3), 10 * 16, 160 * 16);
    break;
  case TFace::Closed:
  case TFace::Sleepy:
    Pen(p, ink, Lw);
    p.drawArc(QRectF(E.x() - R * 0.17, E.y() - R * 0.2, R * 0.34, R * 0.26), 200 * 16, 140 * 16);
    break;
  case TFace::Sad:
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(E + QPointF(0, R * 0.04), R * 0.1, R * 0.13);
    Pen(p, ink, Lw * 0.8);
    if (Left) p.drawLine(E + QPointF(-R * 0.16, -R * 0.16), E + QPointF(R * 0.1, -R * 0.26));
    else p.drawLine(E + QPointF(R * 0.16, -R * 0.16), E + QPointF(-R * 0.1, -R * 0.26));
    break;
  case TFace::Wide:
    p.setPen(QPen(ink, Lw * 0.7));
    p.setBrush(Qt::white);
    p.drawEllipse(E, R * 0.17, R * 0.21);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(E + QPointF(F.LookX * R * 0.05, F.LookY * R * 0.05), R * 0.08, R * 0.1);
    break;
  case TFace::Angry:
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(E + QPointF(0, R * 0.05), R * 0.1, R * 0.12);
    Pen(p, ink, Lw);
    if (Left) p.drawLine(E + QPointF(-R * 0.2, -R * 0.22), E + QPointF(R * 0.14, -R * 0.08));
    else p.drawLine(E + QPointF(R * 0.2, -R * 0.22), E + QPointF(-R * 0.14, -R * 0.08));
    break;
  case TFace::Crossed:
    Pen(p, ink, Lw);
    p.drawLine(E + QPointF(-R * 0.12, -R * 0.12), E + QPointF(R * 0.12, R * 0.12));
    p.drawLine(E + QPointF(-R * 0.12, R * 0.12), E + QPointF(R * 0.12, -R * 0.12));
    break;
  case TFace::Hearts: A.Flat(Heart(E, R * 0.42), pal::Red); break;
  case TFace::Stars: A.Flat(Star(E, R * 0.24, R * 0.1), pal::Orange.darker(115)); break;
  case TFace::Glasses:
    p.setPen(QPen(pal::Ink, Lw * 0.8));
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(E, R * 0.22, R * 0.2);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(E, R * 0.08, R * 0.1);
    break;
  case TFace::Sunglasses: break; // one piece across both eyes, drawn by Face
  }
}

void MouthPath(const TArt &A, QPointF C, double R, const TFace &F, double Lw) {
  QPainter &p = A.P;
  const QColor ink(0x4A, 0x2E, 0x12);
  const QPointF m = C + QPointF(0, R * 0.38);
  const double open = std::clamp(F.MouthOpen, 0.0, 1.0);
  switch (F.MouthKind) {
  case TFace::Smile:
    Pen(p, ink, Lw);
    p.drawArc(QRectF(C.x() - R * 0.5, C.y() - R * 0.2, R * 1.0, R * 0.8), 200 * 16, 140 * 16);
    break;
  case TFace::SmallSmile:
    Pen(p, ink, Lw);
    p.drawArc(QRectF(C.x() - R * 0.3, C.y() + R * 0.05, R * 0.6, R * 0.5), 210 * 16, 120 * 16);
    break;
  case TFace::Smirk:
    Pen(p, ink, Lw);
    p.drawArc(QRectF(C.x() - R * 0.1, C.y() + R * 0.0, R * 0.55, R * 0.5), 220 * 16, 110 * 16);
    p.drawLine(QPointF(C.x() - R * 0.3, C.y() + R * 0.45), QPointF(C.x() + R * 0.05, C.y() + R * 0.47));
    break;
  case TFace::Grin:
  case TFace::Laugh:
  case TFace::Teeth: {
    const double h = R * (F.MouthKind == TFace::Laugh ? 0.55 : 0.42) * (0.4 + 0.6 * open);
    QPainterPath mouth;
    const double w = R * 0.62;
    mouth.moveTo(C.x() - w, C.y() + R * 0.18);
    mouth.lineTo(C.x() + w, C.y() + R * 0.18);
    mouth.cubicTo(C.x() + w, C.y() + R * 0.18 + h * 1.3, C.x() - w, C.y() + R * 0.18 + h * 1.3, C.x() - w,
                  C.y() + R * 0.18);
    mouth.closeSubpath();
    A.Flat(mouth, QColor(0x7A, 0x2A, 0x1E));
    if (F.MouthKind == TFace::Teeth) {
      QPainterPath teeth;
      teeth.addRect(QRectF(C.x() - w, C.y() + R * 0.18, 2 * w, h * 0.35));
      A.Flat(teeth.intersected(mouth), Qt::white);
    } else {
      A.Flat(Ellipse(QRectF(C.x() - w * 0.5, C.y() + R * 0.18 + h * 0.45, w, h * 0.6)).intersected(mouth),
             QColor(0xF0, 0x6A, 0x6A));
    }
    break;
  }
  case TFace::SadMouth:
    Pen(p, ink, Lw);
    p.drawArc(QRectF(C.x() - R * 0.36, C.y() + R * 0.3, R * 0.72, R * 0.5), 30 * 16, 120 * 16);
    break;
  case TFace::O: {
    const double r = R * (0.1 + 0.12 * open);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x7A, 0x2A, 0x1E));
    p.drawEllipse(m, r * 0.85, r * 1.1);
    break;
  }
  case TFace::Flat:
    Pen(p, ink, Lw);
    p.drawLine(QPointF(C.x() - R * 0.3, m.y()), QPointF(C.x() + R * 0.3, m.y()));
    break;
  case TFace::Wavy:
    Pen(p, ink, Lw);
    {
      QPainterPath w;
      w.moveTo(C.x() - R * 0.4, m.y());
      w.cubicTo(C.x() - R * 0.25, m.y() - R * 0.12, C.x() - R * 0.1, m.y() - R * 0.12, C.x(), m.y());
      w.cubicTo(C.x() + R * 0.1, m.y() + R * 0.12, C.x() + R * 0.25, m.y() + R * 0.12, C.x() + R * 0.4, m.y());
      p.drawPath(w);
    }
    break;
  case TFace::Tongue:
    A.Flat(Ellipse(QRectF(C.x() - R * 0.05, C.y() + R * 0.3, R * 0.34, R * (0.26 + 0.2 * open))),
           QColor(0xF0, 0x6A, 0x6A));
    Pen(p, ink, Lw);
    p.drawArc(QRectF(C.x() - R * 0.45, C.y() - R * 0.1, R * 0.9, R * 0.5), 200 * 16, 140 * 16);
    break;
  case TFace::Kiss:
    Pen(p, ink, Lw);
    p.drawArc(QRectF(m.x() - R * 0.12, m.y() - R * 0.18, R * 0.22, R * 0.18), -90 * 16, 180 * 16);
    p.drawArc(QRectF(m.x() - R * 0.12, m.y(), R * 0.22, R * 0.18), -90 * 16, 180 * 16);
    break;
  case TFace::None: break;
  }
}

} // namespace

void Face(const TArt &A, QPointF C, double R, const TFace &F, double Lw) {
  QPainter &p = A.P;
  if (F.Horns) {
    const QColor horn = F.Skin.darker(130);
    A.Shape(
        Polygon({C + QPointF(-R * 0.85, -R * 0.35), C + QPointF(-R * 0.95, -R * 1.1), C + QPointF(-R * 0.4, -R * 0.8)}),
        horn);
    A.Shape(
        Polygon({C + QPointF(R * 0.85, -R * 0.35), C + QPointF(R * 0.95, -R * 1.1), C + QPointF(R * 0.4, -R * 0.8)}),
        horn);
  }
  // The face with a soft lower shade for a little depth.
  A.Shape(Circle(C, R), F.Skin);
  {
    QPainterPath shade = Circle(C, R - A.Lp).subtracted(Circle(C + QPointF(-R * 0.1, -R * 0.14), R * 0.98));
    A.Flat(shade, QColor(F.Skin.darker(112)));
  }
  if (F.Halo) {
    p.setPen(QPen(pal::Yellow.darker(110), std::max(Lw, A.Lp * 1.2)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(C.x() - R * 0.7, C.y() - R * 1.22, R * 1.4, R * 0.42));
  }
  if (F.Blush) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF2, 0x6D, 0x6D, 120));
    p.drawEllipse(C + QPointF(-R * 0.58, R * 0.2), R * 0.2, R * 0.12);
    p.drawEllipse(C + QPointF(R * 0.58, R * 0.2), R * 0.2, R * 0.12);
  }
  const QPointF el = C + QPointF(-R * 0.34, -R * 0.2), er = C + QPointF(R * 0.34, -R * 0.2);
  if (F.EyesKind == TFace::Sunglasses) {
    QPainterPath g = RoundRect(QRectF(el.x() - R * 0.3, el.y() - R * 0.16, R * 0.56, R * 0.34), R * 0.12)
                         .united(RoundRect(QRectF(er.x() - R * 0.26, er.y() - R * 0.16, R * 0.56, R * 0.34), R * 0.12));
    QPainterPath bridge;
    bridge.addRect(QRectF(el.x(), el.y() - R * 0.14, er.x() - el.x(), R * 0.08));
    A.Flat(g.united(bridge), QColor(0x22, 0x26, 0x2E));
    p.setPen(QPen(QColor(255, 255, 255, 170), Lw * 0.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(el + QPointF(-R * 0.16, -R * 0.04), el + QPointF(-R * 0.06, -R * 0.1));
    p.drawLine(er + QPointF(-R * 0.12, -R * 0.04), er + QPointF(-R * 0.02, -R * 0.1));
  } else {
    Eye(A, el, R, F, Lw, true);
    Eye(A, er, R, F, Lw, false);
    if (F.EyesKind == TFace::Glasses) {
      p.setPen(QPen(pal::Ink, Lw * 0.8));
      p.drawLine(el + QPointF(R * 0.22, 0), er - QPointF(R * 0.22, 0));
    }
  }
  if (F.Brows) {
    Pen(p, QColor(0x4A, 0x2E, 0x12), Lw * 0.8);
    p.drawLine(el + QPointF(-R * 0.14, -R * 0.3), el + QPointF(R * 0.12, -R * 0.34));
    p.drawLine(er + QPointF(-R * 0.12, -R * 0.38), er + QPointF(R * 0.14, -R * 0.3));
  }
  MouthPath(A, C, R, F, Lw);
  if (F.Tear) {
    const QPointF t = C + QPointF(R * 0.4, R * (0.06 + 0.7 * F.TearFall));
    const double k = R * 0.2;
    QPainterPath drop;
    drop.moveTo(t + QPointF(0, -k * 1.5));
    drop.cubicTo(t + QPointF(k, -k * 0.2), t + QPointF(k, k), t + QPointF(0, k));
    drop.cubicTo(t + QPointF(-k, k), t + QPointF(-k, -k * 0.2), t + QPointF(0, -k * 1.5));
    A.Flat(drop, QColor(0x3A, 0x9C, 0xF0));
  }
  if (F.Sweat) {
    const QPointF t = C + QPointF(R * 0.72, -R * 0.55);
    QPainterPath drop;
    drop.moveTo(t + QPointF(0, -R * 0.2));
    drop.cubicTo(t + QPointF(R * 0.14, -R * 0.02), t + QPointF(R * 0.14, R * 0.14), t + QPointF(0, R * 0.14));
    drop.cubicTo(t + QPointF(-R * 0.14, R * 0.14), t + QPointF(-R * 0.14, -R * 0.02), t + QPointF(0, -R * 0.2));
    A.Flat(drop, QColor(0x5A, 0xB4, 0xF5));
  }
}

} // namespace artgen
