#include "ArtDraw.h"

#include <QPainterPathStroker>
#include <cmath>

namespace artgen {

QColor Edge(const QColor &Fill) {
  if (Fill.lightness() > 235) return QColor(0x7A, 0x85, 0x94);
  return Fill.darker(165);
}

void TArt::Shape(const QPainterPath &Path, const QColor &Fill, const QColor &EdgeColor) const {
  P.fillPath(Path, EdgeColor);
  QPainterPathStroker s;
  s.setWidth(2 * Lp);
  s.setJoinStyle(Qt::MiterJoin);
  const QPainterPath inner = Path.subtracted(s.createStroke(Path));
  P.fillPath(inner, Fill);
}

void TArt::Flat(const QPainterPath &Path, const QColor &Fill) const { P.fillPath(Path, Fill); }

void TArt::Line(QPointF A, QPointF B, const QColor &C, double Width) const {
  P.save();
  P.setPen(QPen(C, Width * Lp, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  P.drawLine(A, B);
  P.restore();
}

void TArt::Polyline(std::initializer_list<QPointF> Points, const QColor &C, double Width) const {
  P.save();
  P.setPen(QPen(C, Width * Lp, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  P.setBrush(Qt::NoBrush);
  QPolygonF poly;
  for (QPointF p : Points) poly << p;
  P.drawPolyline(poly);
  P.restore();
}

void TArt::Arc(const QRectF &R, double StartDeg, double SpanDeg, const QColor &C, double Width) const {
  P.save();
  P.setPen(QPen(C, Width * Lp, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  P.setBrush(Qt::NoBrush);
  P.drawArc(R, int(StartDeg * 16), int(SpanDeg * 16));
  P.restore();
}

QPainterPath RoundRect(const QRectF &R, double Radius) {
  QPainterPath p;
  p.addRoundedRect(R, Radius, Radius);
  return p;
}

QPainterPath Ellipse(const QRectF &R) {
  QPainterPath p;
  p.addEllipse(R);
  return p;
}

QPainterPath Circle(QPointF C, double R) { return Ellipse(QRectF(C.x() - R, C.y() - R, 2 * R, 2 * R)); }

QPainterPath Polygon(std::initializer_list<QPointF> Points) {
  QPolygonF poly;
  for (QPointF p : Points) poly << p;
  QPainterPath path;
  path.addPolygon(poly);
  path.closeSubpath();
  return path;
}

void Person(const TArt &A, QPointF H, double S, const QColor &Shirt, const QColor &Skin, const QColor &Hair) {
  // Shoulders: a rounded bust below the head.
  QPainterPath body;
  const QRectF b(H.x() - 7.5 * S, H.y() + 4.5 * S, 15 * S, 13 * S);
  body.moveTo(b.left(), b.bottom());
  body.lineTo(b.left(), b.top() + 6 * S);
  body.cubicTo(b.left(), b.top() + 1 * S, b.left() + 3 * S, b.top(), b.center().x(), b.top());
  body.cubicTo(b.right() - 3 * S, b.top(), b.right(), b.top() + 1 * S, b.right(), b.top() + 6 * S);
  body.lineTo(b.right(), b.bottom());
  body.closeSubpath();
  A.Shape(body, Shirt);
  A.Shape(Circle(H, 5 * S), Skin);
  // Hair as a cap over the top of the head.
  QPainterPath hair;
  hair.moveTo(H.x() - 5 * S, H.y() - 0.2 * S);
  hair.cubicTo(H.x() - 5.4 * S, H.y() - 6.6 * S, H.x() + 5.4 * S, H.y() - 6.6 * S, H.x() + 5 * S, H.y() - 0.2 * S);
  hair.cubicTo(H.x() + 3 * S, H.y() - 2.8 * S, H.x() - 2 * S, H.y() - 3 * S, H.x() - 5 * S, H.y() - 0.2 * S);
  hair.closeSubpath();
  A.Shape(hair, Hair);
}

void Group(const TArt &A, QRectF Box, const QColor &Shirt) {
  const double s = Box.width() / 32.0;
  const QPointF o = Box.topLeft();
  Person(A, o + QPointF(8 * s, 9 * s), 0.8 * s, Shirt.lighter(125), QColor(0xE8, 0xB0, 0x86), QColor(0x3A, 0x2A, 0x20));
  Person(A, o + QPointF(24 * s, 9 * s), 0.8 * s, Shirt.lighter(125), QColor(0xF6, 0xD2, 0xB0),
         QColor(0xC8, 0x7A, 0x2E));
  Person(A, o + QPointF(16 * s, 12 * s), 1.0 * s, Shirt);
}

void Bubble(const TArt &A, const QRectF &Body, bool TailLeft, const QColor &Fill) {
  QPainterPath p = RoundRect(Body, std::min(Body.height(), Body.width()) * 0.3);
  const double x = TailLeft ? Body.left() + Body.width() * 0.22 : Body.right() - Body.width() * 0.22;
  const double d = TailLeft ? -1 : 1;
  p = p.united(Polygon({QPointF(x - d * 3, Body.bottom() - 2), QPointF(x + d * 3.5, Body.bottom() - 2),
                        QPointF(x - d * 2.5, Body.bottom() + 5)}));
  A.Shape(p, Fill);
}

void Envelope(const TArt &A, const QRectF &R, const QColor &Fill, bool Open) {
  const QColor e = Edge(Fill);
  if (Open) {
    A.Shape(Polygon({R.topLeft() + QPointF(0, 0), QPointF(R.center().x(), R.top() - R.height() * 0.55), R.topRight()}),
            Fill.darker(108), e);
  }
  A.Shape(RoundRect(R, 1.5 * A.Lp), Fill, e);
  if (!Open)
    A.Polyline({R.topLeft() + QPointF(1.5 * A.Lp, 1.5 * A.Lp),
                QPointF(R.center().x(), R.center().y() + R.height() * 0.08),
                R.topRight() + QPointF(-1.5 * A.Lp, 1.5 * A.Lp)},
               e);
  else
    A.Polyline({R.bottomLeft() + QPointF(1.5 * A.Lp, -1.5 * A.Lp),
                QPointF(R.center().x(), R.center().y() - R.height() * 0.1),
                R.bottomRight() + QPointF(-1.5 * A.Lp, -1.5 * A.Lp)},
               e);
}

void Sheet(const TArt &A, const QRectF &R, bool Lines) {
  const double f = R.width() * 0.34; // the folded corner
  A.Shape(Polygon({R.topLeft(), QPointF(R.right() - f, R.top()), QPointF(R.right(), R.top() + f), R.bottomRight(),
                   R.bottomLeft()}),
          pal::Paper);
  A.Shape(
      Polygon({QPointF(R.right() - f, R.top()), QPointF(R.right() - f, R.top() + f), QPointF(R.right(), R.top() + f)}),
      QColor(0xDD, 0xE3, 0xEA), Edge(pal::Paper));
  if (!Lines) return;
  const double l = R.left() + 2.5 * A.Lp + 1, r = R.right() - 2.5 * A.Lp - 1;
  for (double y = R.top() + f + 3; y < R.bottom() - 3; y += std::max(3.0, 2 * A.Lp))
    A.Line(QPointF(l, y), QPointF(y < R.top() + f + 4 ? (l + r) / 2 : r, y), pal::Blue.lighter(130));
}

void FolderShape(const TArt &A, const QRectF &R, bool Open) {
  const QColor back = pal::Folder.darker(112);
  QPainterPath tab;
  tab.addRoundedRect(QRectF(R.left(), R.top(), R.width() * 0.45, R.height() * 0.3), 1.5, 1.5);
  A.Shape(tab.united(RoundRect(QRectF(R.left(), R.top() + R.height() * 0.15, R.width(), R.height() * 0.85), 2)), back);
  if (!Open) {
    A.Shape(RoundRect(QRectF(R.left(), R.top() + R.height() * 0.3, R.width(), R.height() * 0.7), 2), pal::Folder);
  } else {
    A.Shape(Polygon({QPointF(R.left() + R.width() * 0.18, R.top() + R.height() * 0.38),
                     QPointF(R.right() + R.width() * 0.08, R.top() + R.height() * 0.38), QPointF(R.right(), R.bottom()),
                     R.bottomLeft()}),
            pal::Folder);
  }
}

void Gear(const TArt &A, QPointF C, double R, const QColor &Fill) {
  QPainterPath teeth;
  const int n = 8;
  for (int i = 0; i < n; ++i) {
    QPainterPath t = RoundRect(QRectF(-R * 0.22, -R, R * 0.44, R * 0.6), R * 0.08);
    QTransform tr;
    tr.translate(C.x(), C.y());
    tr.rotate(360.0 * i / n);
    teeth = teeth.united(tr.map(t));
  }
  QPainterPath g = teeth.united(Circle(C, R * 0.74)).subtracted(Circle(C, R * 0.3));
  A.Shape(g, Fill);
}

void Globe(const TArt &A, QPointF C, double R) {
  A.Shape(Circle(C, R), pal::Blue);
  // Land.
  QPainterPath land;
  land.moveTo(C + QPointF(-R * 0.55, -R * 0.55));
  land.cubicTo(C + QPointF(-R * 0.1, -R * 0.85), C + QPointF(R * 0.15, -R * 0.35), C + QPointF(-R * 0.15, -R * 0.05));
  land.cubicTo(C + QPointF(-R * 0.2, R * 0.3), C + QPointF(-R * 0.55, R * 0.2), C + QPointF(-R * 0.75, R * 0.05));
  land.closeSubpath();
  QPainterPath land2;
  land2.moveTo(C + QPointF(R * 0.25, R * 0.05));
  land2.cubicTo(C + QPointF(R * 0.7, -R * 0.2), C + QPointF(R * 0.85, R * 0.35), C + QPointF(R * 0.45, R * 0.75));
  land2.cubicTo(C + QPointF(R * 0.2, R * 0.6), C + QPointF(R * 0.05, R * 0.3), C + QPointF(R * 0.25, R * 0.05));
  land2.closeSubpath();
  QPainterPath inside = Circle(C, R - A.Lp);
  A.Flat(land.united(land2).intersected(inside), pal::Green);
}

void ClockFace(const TArt &A, QPointF C, double R) {
  A.Shape(Circle(C, R), pal::Paper, pal::DarkGrey);
  A.Line(C, C + QPointF(0, -R * 0.6), pal::Ink);
  A.Line(C, C + QPointF(R * 0.45, 0), pal::Ink);
}

void Window(const TArt &A, const QRectF &R, const QColor &Title) {
  A.Shape(RoundRect(R, 2), pal::Paper);
  QPainterPath bar = RoundRect(R, 2).intersected(QPainterPath([&] {
    QPainterPath p;
    p.addRect(QRectF(R.left(), R.top(), R.width(), std::max(5.0, 3 * A.Lp)));
    return p;
  }()));
  A.Shape(bar, Title);
}

void Disk(const TArt &A, const QRectF &R) {
  const double c = R.width() * 0.22;
  A.Shape(Polygon({R.topLeft(), QPointF(R.right() - c, R.top()), QPointF(R.right(), R.top() + c), R.bottomRight(),
                   R.bottomLeft()}),
          pal::Blue);
  A.Shape(RoundRect(QRectF(R.left() + R.width() * 0.22, R.top() + A.Lp, R.width() * 0.5, R.height() * 0.32), 0.5),
          QColor(0xE8, 0xEE, 0xF5), Edge(pal::Blue));
  A.Shape(RoundRect(QRectF(R.left() + R.width() * 0.16, R.top() + R.height() * 0.52, R.width() * 0.68,
                           R.height() * 0.48 - A.Lp),
                    1),
          pal::Paper, Edge(pal::Blue));
}

void Bin(const TArt &A, const QRectF &R) {
  const QColor c = pal::Grey;
  A.Shape(Polygon({QPointF(R.left() + R.width() * 0.1, R.top() + R.height() * 0.22),
                   QPointF(R.right() - R.width() * 0.1, R.top() + R.height() * 0.22),
                   QPointF(R.right() - R.width() * 0.2, R.bottom()), QPointF(R.left() + R.width() * 0.2, R.bottom())}),
          c);
  A.Shape(RoundRect(QRectF(R.left(), R.top() + R.height() * 0.08, R.width(), R.height() * 0.16), 1), c.darker(110));
  A.Shape(RoundRect(QRectF(R.center().x() - R.width() * 0.16, R.top() - R.height() * 0.02, R.width() * 0.32,
                           R.height() * 0.13),
                    1),
          c.darker(110));
  if (A.Lp < 2)
    for (double f : {0.36, 0.5, 0.64})
      A.Line(QPointF(R.left() + R.width() * f, R.top() + R.height() * 0.38),
             QPointF(R.left() + R.width() * f, R.bottom() - R.height() * 0.12), Edge(c));
}

void Eraser(const TArt &A, const QRectF &R) {
  QTransform t;
  t.translate(R.center().x(), R.center().y());
  t.rotate(-35);
  const double w = R.width() * 0.95, h = R.height() * 0.42;
  QPainterPath body = t.map(RoundRect(QRectF(-w / 2, -h / 2, w, h), 2));
  QPainterPath tip = t.map(RoundRect(QRectF(-w / 2, -h / 2, w * 0.42, h), 2));
  A.Shape(body, pal::Pink);
  A.Shape(tip, QColor(0xEE, 0xF1, 0xF5), Edge(pal::Pink));
}

void Plane(const TArt &A, const QRectF &R) {
  const auto at = [&](double x, double y) { return QPointF(R.left() + R.width() * x, R.top() + R.height() * y); };
  A.Shape(Polygon({at(0, 0.45), at(1, 0), at(0.62, 1), at(0.45, 0.6)}), pal::Paper, pal::Navy);
  A.Shape(Polygon({at(0.45, 0.6), at(1, 0), at(0.38, 0.95)}), QColor(0xC9, 0xDA, 0xF8), pal::Navy);
}

void Book(const TArt &A, const QRectF &R, const QColor &Cover) {
  A.Shape(RoundRect(R, 1.5), Cover);
  A.Shape(RoundRect(QRectF(R.left() + R.width() * 0.18, R.bottom() - R.height() * 0.18, R.width() * 0.82 - A.Lp,
                           R.height() * 0.14),
                    0.5),
          pal::Paper, Edge(Cover));
  A.Line(QPointF(R.left() + R.width() * 0.18, R.top() + A.Lp), QPointF(R.left() + R.width() * 0.18, R.bottom() - A.Lp),
         Edge(Cover));
}

void Pencil(const TArt &A, QPointF Tip, double L) {
  QTransform t;
  t.translate(Tip.x(), Tip.y());
  t.rotate(-45);
  const double w = L * 0.28;
  A.Shape(t.map(Polygon({QPointF(0, 0), QPointF(L * 0.25, -w / 2), QPointF(L, -w / 2), QPointF(L, w / 2),
                         QPointF(L * 0.25, w / 2)})),
          pal::Orange);
  A.Shape(t.map(Polygon({QPointF(0, 0), QPointF(L * 0.25, -w / 2), QPointF(L * 0.25, w / 2)})),
          QColor(0xF6, 0xD7, 0xA8), Edge(pal::Orange));
}

void Arrow(const TArt &A, QPointF From, QPointF To, const QColor &C, double Width) {
  const QPointF d = To - From;
  const double len = std::hypot(d.x(), d.y());
  if (len <= 0) return;
  const QPointF u = d / len, n(-u.y(), u.x());
  const double head = std::min(len * 0.55, 5.0 * Width * A.Lp / 2 + 2);
  const QPointF base = To - u * head;
  A.Shape(Polygon({From + n * Width * A.Lp, base + n * Width * A.Lp, base + n * head * 0.75, To, base - n * head * 0.75,
                   base - n * Width * A.Lp, From - n * Width * A.Lp}),
          C);
}

void Badge(const TArt &A, TBadge Kind, QPointF C, double R) {
  const QColor fill = Kind == TBadge::Cross || Kind == TBadge::NoEntry ? pal::Red
                      : Kind == TBadge::Plus || Kind == TBadge::Check  ? pal::Green
                      : Kind == TBadge::Down                           ? pal::Blue
                      : Kind == TBadge::Gear                           ? pal::DarkGrey
                                                                       : pal::Paper;
  if (Kind == TBadge::Gear) {
    Gear(A, C, R, pal::Grey);
    return;
  }
  if (Kind == TBadge::Clock) {
    A.Shape(Circle(C, R), pal::Paper, pal::Navy);
    A.Line(C, C + QPointF(0, -R * 0.6), pal::Navy);
    A.Line(C, C + QPointF(R * 0.5, R * 0.1), pal::Navy);
    return;
  }
  A.Shape(Circle(C, R), fill);
  const double k = R * 0.45;
  const QColor w = pal::Paper;
  switch (Kind) {
  case TBadge::Cross:
    A.Line(C + QPointF(-k, -k), C + QPointF(k, k), w, 1.6);
    A.Line(C + QPointF(-k, k), C + QPointF(k, -k), w, 1.6);
    break;
  case TBadge::Plus:
    A.Line(C + QPointF(-k * 1.2, 0), C + QPointF(k * 1.2, 0), w, 1.6);
    A.Line(C + QPointF(0, -k * 1.2), C + QPointF(0, k * 1.2), w, 1.6);
    break;
  case TBadge::NoEntry: A.Line(C + QPointF(-k * 1.2, 0), C + QPointF(k * 1.2, 0), w, 2); break;
  case TBadge::Down:
    A.Polyline({C + QPointF(-k, -k * 0.1), C + QPointF(0, k), C + QPointF(k, -k * 0.1)}, w, 1.6);
    A.Line(C + QPointF(0, -k * 1.2), C + QPointF(0, k * 0.8), w, 1.6);
    break;
  case TBadge::Check:
    A.Polyline({C + QPointF(-k, 0), C + QPointF(-k * 0.2, k * 0.8), C + QPointF(k, -k * 0.8)}, w, 1.6);
    break;
  default: break;
  }
}

QPainterPath Heart(QPointF C, double W) {
  const double s = W / 2;
  QPainterPath p;
  p.moveTo(C + QPointF(0, s * 0.95));
  p.cubicTo(C + QPointF(-s * 1.25, s * 0.05), C + QPointF(-s * 0.95, -s * 1.05), C + QPointF(0, -s * 0.45));
  p.cubicTo(C + QPointF(s * 0.95, -s * 1.05), C + QPointF(s * 1.25, s * 0.05), C + QPointF(0, s * 0.95));
  p.closeSubpath();
  return p;
}

QPainterPath Star(QPointF C, double R, double Inner, int Points) {
  QPolygonF poly;
  for (int i = 0; i < 2 * Points; ++i) {
    const double a = -M_PI / 2 + M_PI * i / Points;
    const double r = (i % 2) ? Inner : R;
    poly << C + QPointF(std::cos(a) * r, std::sin(a) * r);
  }
  QPainterPath p;
  p.addPolygon(poly);
  p.closeSubpath();
  return p;
}

} // namespace artgen
