// The user pictures (people and animals on round tiles) and the still
// emoticons.
#include <cmath>

#include "Pictures.h"

namespace artgen {

namespace {

const QColor kInk(0x3A, 0x2A, 0x22);

void Tile(const TArt &A, const QColor &C) { A.Shape(Circle(QPointF(16, 16), 15), C); }

// Clips what follows to the inside of the tile.
struct TTileClip {
  QPainter &P;
  TTileClip(const TArt &A) : P(A.P) {
    P.save();
    P.setClipPath(Circle(QPointF(16, 16), 15 - A.Lp));
  }
  ~TTileClip() { P.restore(); }
};

void Eyes(const TArt &A, double Y, double Dx, double R = 1.3, const QColor &C = kInk) {
  A.Flat(Circle(QPointF(16 - Dx, Y), R * std::max(1.0, A.Lp * 0.75)), C);
  A.Flat(Circle(QPointF(16 + Dx, Y), R * std::max(1.0, A.Lp * 0.75)), C);
}

void SmileArc(const TArt &A, QPointF C, double W, const QColor &Col = kInk) {
  A.Arc(QRectF(C.x() - W / 2, C.y() - W / 2, W, W * 0.7), 200, 140, Col, 1.1);
}

struct TPersonLook {
  QColor Back, Skin, Hair, Shirt;
  int Hair_; // 0 short, 1 long, 2 cap, 3 bun, 4 bald with beard, 5 pigtails
  bool Glasses = false;
};

void Bust(const TArt &A, const TPersonLook &L) {
  Tile(A, L.Back);
  TTileClip clip(A);
  const QPointF h(16, 14);
  // Long hair behind the head.
  if (L.Hair_ == 1) A.Shape(RoundRect(QRectF(7, 7, 18, 20), 7), L.Hair);
  if (L.Hair_ == 5) {
    A.Shape(Circle(QPointF(6.5, 16), 3.5), L.Hair);
    A.Shape(Circle(QPointF(25.5, 16), 3.5), L.Hair);
  }
  // Shoulders.
  A.Shape(Ellipse(QRectF(4, 23, 24, 18)), L.Shirt);
  A.Shape(RoundRect(QRectF(13.5, 19, 5, 6), 2), L.Skin);
  A.Shape(Ellipse(QRectF(9, 6.5, 14, 16)), L.Skin);
  switch (L.Hair_) {
  case 0:
  case 1:
  case 5: {
    QPainterPath hair;
    hair.moveTo(8.7, 14);
    hair.cubicTo(8, 4, 24, 4, 23.3, 14);
    hair.cubicTo(20, 10.5, 15, 9, 11, 10);
    hair.cubicTo(10, 11, 9.5, 12, 8.7, 14);
    hair.closeSubpath();
    A.Shape(hair, L.Hair);
    break;
  }
  case 2: {
    QPainterPath cap;
    cap.moveTo(8.5, 12);
    cap.cubicTo(8.5, 3.5, 23.5, 3.5, 23.5, 12);
    cap.closeSubpath();
    A.Shape(cap, L.Hair);
    A.Shape(RoundRect(QRectF(15, 10, 13, 3), 1.5), L.Hair.darker(115));
    break;
  }
  case 3:
    A.Shape(Circle(QPointF(16, 5.5), 4), L.Hair);
    {
      QPainterPath hair;
      hair.moveTo(9, 13);
      hair.cubicTo(8.5, 5, 23.5, 5, 23, 13);
      hair.cubicTo(19, 9.5, 13, 9.5, 9, 13);
      hair.closeSubpath();
      A.Shape(hair, L.Hair);
    }
    break;
  case 4: {
    QPainterPath beard;
    beard.moveTo(9.2, 15);
    beard.cubicTo(9.5, 25, 22.5, 25, 22.8, 15);
    beard.cubicTo(20, 19.5, 12, 19.5, 9.2, 15);
    beard.closeSubpath();
    A.Shape(beard, L.Hair);
    QPainterPath top;
    top.moveTo(9.2, 12);
    top.cubicTo(9.5, 6, 22.5, 6, 22.8, 12);
    top.cubicTo(20, 9, 12, 9, 9.2, 12);
    A.Shape(top, L.Hair);
    break;
  }
  }
  Eyes(A, 15, 3);
  if (L.Glasses) {
    A.P.setPen(QPen(kInk, 0.9 * A.Lp));
    A.P.setBrush(Qt::NoBrush);
    A.P.drawEllipse(QPointF(13, 15), 2.6, 2.3);
    A.P.drawEllipse(QPointF(19, 15), 2.6, 2.3);
    A.P.drawLine(QPointF(15.6, 15), QPointF(16.4, 15));
  }
  if (L.Hair_ != 4) SmileArc(A, QPointF(16, 19.2), 5);
  else SmileArc(A, QPointF(16, 18.6), 4, QColor(0xF3, 0xE6, 0xDA));
}

void Cat(const TArt &A) {
  Tile(A, QColor(0xB8, 0xE0, 0xD2));
  TTileClip c(A);
  const QColor fur(0xF0, 0x9A, 0x3E);
  A.Shape(Polygon({QPointF(6, 13), QPointF(7, 3), QPointF(14, 8)}), fur);
  A.Shape(Polygon({QPointF(26, 13), QPointF(25, 3), QPointF(18, 8)}), fur);
  A.Shape(Ellipse(QRectF(5, 6, 22, 20)), fur);
  A.Shape(Ellipse(QRectF(4, 24, 24, 14)), fur);
  A.Flat(Ellipse(QRectF(11, 16, 10, 8)), QColor(0xFF, 0xF1, 0xE0));
  A.Flat(Ellipse(QRectF(10.5, 12.5, 3, 4)), QColor(0x3B, 0x8F, 0x3E));
  A.Flat(Ellipse(QRectF(18.5, 12.5, 3, 4)), QColor(0x3B, 0x8F, 0x3E));
  A.Flat(Polygon({QPointF(14.6, 17.5), QPointF(17.4, 17.5), QPointF(16, 19)}), pal::Pink);
  A.Line(QPointF(3, 18), QPointF(10, 19), kInk, 0.7);
  A.Line(QPointF(29, 18), QPointF(22, 19), kInk, 0.7);
}

void Dog(const TArt &A) {
  Tile(A, QColor(0xF9, 0xE0, 0x8B));
  TTileClip c(A);
  const QColor fur(0xC9, 0x8B, 0x55), ear(0x7A, 0x4A, 0x2A);
  A.Shape(Ellipse(QRectF(4, 24, 24, 14)), fur);
  A.Shape(Ellipse(QRectF(6.5, 5, 19, 20)), fur);
  A.Shape(RoundRect(QRectF(3, 6, 7, 14), 3.5), ear);
  A.Shape(RoundRect(QRectF(22, 6, 7, 14), 3.5), ear);
  A.Flat(Ellipse(QRectF(10.5, 15, 11, 9)), QColor(0xF3, 0xDF, 0xC8));
  Eyes(A, 13, 3.5);
  A.Flat(Ellipse(QRectF(14, 16, 4, 3)), kInk);
  A.Arc(QRectF(13, 17.5, 6, 4), 200, 140, kInk, 0.9);
}

void Fox(const TArt &A) {
  Tile(A, QColor(0xD6, 0xE6, 0xFF));
  TTileClip c(A);
  const QColor fur(0xF2, 0x73, 0x2A);
  A.Shape(Ellipse(QRectF(4, 24, 24, 14)), fur);
  A.Shape(Polygon({QPointF(5, 12), QPointF(6, 2), QPointF(13, 7)}), fur);
  A.Shape(Polygon({QPointF(27, 12), QPointF(26, 2), QPointF(19, 7)}), fur);
  A.Shape(Polygon({QPointF(4, 11), QPointF(16, 6), QPointF(28, 11), QPointF(16, 25)}), fur);
  A.Flat(Polygon({QPointF(6.5, 13), QPointF(16, 17), QPointF(25.5, 13), QPointF(16, 24)}), QColor(0xFF, 0xF5, 0xEA));
  Eyes(A, 13.5, 4.5);
  A.Flat(Circle(QPointF(16, 22.5), 1.6), kInk);
}

void Owl(const TArt &A) {
  Tile(A, QColor(0x3E, 0x4C, 0x7A));
  TTileClip c(A);
  const QColor body(0x9C, 0x6B, 0x45);
  A.Shape(Polygon({QPointF(7, 10), QPointF(8, 3), QPointF(13, 8)}), body);
  A.Shape(Polygon({QPointF(25, 10), QPointF(24, 3), QPointF(19, 8)}), body);
  A.Shape(RoundRect(QRectF(6, 6, 20, 30), 9), body);
  A.Flat(Ellipse(QRectF(10, 19, 12, 12)), QColor(0xE8, 0xD2, 0xB4));
  A.Shape(Circle(QPointF(12, 13), 4.2), pal::Paper);
  A.Shape(Circle(QPointF(20, 13), 4.2), pal::Paper);
  A.Flat(Circle(QPointF(12, 13), 2), kInk);
  A.Flat(Circle(QPointF(20, 13), 2), kInk);
  A.Shape(Polygon({QPointF(14.5, 16.5), QPointF(17.5, 16.5), QPointF(16, 20)}), pal::Orange);
}

void Robot(const TArt &A) {
  Tile(A, QColor(0xC9, 0xF0, 0xE8));
  TTileClip c(A);
  A.Line(QPointF(16, 3), QPointF(16, 7), pal::DarkGrey, 1.2);
  A.Shape(Circle(QPointF(16, 3.5), 2), pal::Red);
  A.Shape(RoundRect(QRectF(4, 24, 24, 12), 3), pal::Grey);
  A.Shape(RoundRect(QRectF(7, 7, 18, 15), 4), QColor(0xB9, 0xC4, 0xD0));
  A.Shape(RoundRect(QRectF(9.5, 10, 13, 7), 3), QColor(0x23, 0x2B, 0x38));
  A.Flat(Circle(QPointF(13, 13.5), 1.6), QColor(0x5C, 0xF2, 0xD8));
  A.Flat(Circle(QPointF(19, 13.5), 1.6), QColor(0x5C, 0xF2, 0xD8));
  A.Line(QPointF(12.5, 19.5), QPointF(19.5, 19.5), pal::DarkGrey, 1);
  A.Shape(RoundRect(QRectF(3.5, 12, 3.5, 6), 1.5), pal::Grey);
  A.Shape(RoundRect(QRectF(25, 12, 3.5, 6), 1.5), pal::Grey);
}

void Alien(const TArt &A) {
  Tile(A, QColor(0x2A, 0x2F, 0x5A));
  TTileClip c(A);
  for (QPointF s : {QPointF(6, 8), QPointF(25, 6), QPointF(27, 20), QPointF(5, 21)}) A.Flat(Circle(s, 0.9), pal::Paper);
  const QColor skin(0x7E, 0xD9, 0x57);
  A.Shape(Ellipse(QRectF(6, 25, 20, 12)), QColor(0x8E, 0x6B, 0xE8));
  QPainterPath head;
  head.moveTo(16, 26);
  head.cubicTo(7, 22, 5, 5, 16, 5);
  head.cubicTo(27, 5, 25, 22, 16, 26);
  A.Shape(head, skin);
  QTransform t;
  t.translate(11.5, 14);
  t.rotate(25);
  A.Flat(t.map(Ellipse(QRectF(-2.6, -4, 5.2, 8))), kInk);
  QTransform t2;
  t2.translate(20.5, 14);
  t2.rotate(-25);
  A.Flat(t2.map(Ellipse(QRectF(-2.6, -4, 5.2, 8))), kInk);
  A.Flat(Circle(QPointF(12.3, 12.5), 0.9), pal::Paper);
  A.Flat(Circle(QPointF(21.3, 12.5), 0.9), pal::Paper);
}

void Penguin(const TArt &A) {
  Tile(A, QColor(0xBF, 0xE3, 0xFA));
  TTileClip c(A);
  A.Shape(RoundRect(QRectF(6, 4, 20, 34), 10), QColor(0x2D, 0x33, 0x3D));
  A.Flat(Ellipse(QRectF(9.5, 9, 13, 26)), pal::Paper);
  A.Flat(Circle(QPointF(13, 12.5), 1.4), kInk);
  A.Flat(Circle(QPointF(19, 12.5), 1.4), kInk);
  A.Shape(Polygon({QPointF(13.5, 15), QPointF(18.5, 15), QPointF(16, 18.5)}), pal::Orange);
}

void Bear(const TArt &A) {
  Tile(A, QColor(0xFF, 0xD6, 0xD6));
  TTileClip c(A);
  const QColor fur(0x8B, 0x5A, 0x3C);
  A.Shape(Circle(QPointF(8, 7.5), 4), fur);
  A.Shape(Circle(QPointF(24, 7.5), 4), fur);
  A.Flat(Circle(QPointF(8, 7.5), 2), QColor(0xD9, 0xA5, 0x7E));
  A.Flat(Circle(QPointF(24, 7.5), 2), QColor(0xD9, 0xA5, 0x7E));
  A.Shape(Ellipse(QRectF(4, 24, 24, 14)), fur);
  A.Shape(Ellipse(QRectF(6, 5, 20, 20)), fur);
  A.Flat(Ellipse(QRectF(11, 14.5, 10, 8)), QColor(0xE6, 0xC0, 0x9A));
  Eyes(A, 12.5, 4);
  A.Flat(Ellipse(QRectF(14.2, 15.5, 3.6, 2.6)), kInk);
  A.Arc(QRectF(13.5, 16.5, 5, 3.6), 200, 140, kInk, 0.9);
}

TDrawFn Still(TFace F) {
  return [F](const TArt &A) { Face(A, QPointF(16, 16), 14, F, 1.5 * A.Lp); };
}

TFace MakeFace(TFace::Eyes E, TFace::Mouth M) {
  TFace f;
  f.EyesKind = E;
  f.MouthKind = M;
  return f;
}

} // namespace

std::vector<TListPicture> UserPictures() {
  const QColor skinA(0xF6, 0xC8, 0x9F), skinB(0xD9, 0x9B, 0x6C), skinC(0x9A, 0x62, 0x3E), skinD(0xFB, 0xDD, 0xC4);
  auto bust = [](TPersonLook L) { return [L](const TArt &A) { Bust(A, L); }; };
  return {
      {"man, short dark hair", bust({QColor(0x9C, 0xC9, 0xFF), skinA, QColor(0x4A, 0x32, 0x22), pal::Blue, 0})},
      {"woman, long red hair", bust({QColor(0xFF, 0xC9, 0xDD), skinD, QColor(0xC2, 0x4E, 0x1E), pal::Purple, 1})},
      {"boy in a cap", bust({QColor(0xC7, 0xEE, 0xB5), skinB, pal::Red, pal::Green, 2})},
      {"woman with a bun", bust({QColor(0xFF, 0xE3, 0xA8), skinC, QColor(0x26, 0x1C, 0x17), pal::Teal, 3})},
      {"bearded man in glasses",
       [=](const TArt &A) {
         TPersonLook l{QColor(0xD8, 0xCF, 0xF5), skinA, QColor(0x8A, 0x5A, 0x34), pal::DarkGrey, 4, true};
         Bust(A, l);
       }},
      {"girl with pigtails", bust({QColor(0xB8, 0xF0, 0xF0), skinD, QColor(0xE8, 0xB8, 0x4A), pal::Pink, 5})},
      {"cat", Cat},
      {"dog", Dog},
      {"fox", Fox},
      {"owl", Owl},
      {"robot", Robot},
      {"alien", Alien},
      {"penguin", Penguin},
      {"bear", Bear},
  };
}

std::vector<TListPicture> StillEmoticons() {
  TFace blush = MakeFace(TFace::Happy, TFace::SmallSmile);
  blush.Blush = true;
  TFace cry = MakeFace(TFace::Sad, TFace::SadMouth);
  cry.Tear = true;
  cry.TearFall = 0.4;
  TFace laugh = MakeFace(TFace::Happy, TFace::Laugh);
  laugh.Tear = true;
  laugh.TearFall = 0.1;
  TFace angry = MakeFace(TFace::Angry, TFace::Flat);
  angry.Skin = QColor(0xF5, 0x7A, 0x4E);
  TFace devil = MakeFace(TFace::Angry, TFace::Grin);
  devil.Skin = pal::Purple;
  devil.Horns = true;
  TFace angel = MakeFace(TFace::Happy, TFace::SmallSmile);
  angel.Halo = true;
  TFace sick = MakeFace(TFace::Crossed, TFace::Wavy);
  sick.Skin = QColor(0xA8, 0xD8, 0x6A);
  TFace sweat = MakeFace(TFace::Happy, TFace::Grin);
  sweat.Sweat = true;
  TFace kiss = MakeFace(TFace::Wink, TFace::Kiss);
  kiss.Blush = true;
  TFace rolling = MakeFace(TFace::Rolling, TFace::Flat);
  TFace skeptic = MakeFace(TFace::Dots, TFace::Smirk);
  skeptic.Brows = true;
  TFace surprised = MakeFace(TFace::Wide, TFace::O);
  TFace scared = MakeFace(TFace::Wide, TFace::Teeth);
  scared.Skin = QColor(0xB8, 0xD8, 0xF0);
  scared.Sweat = true;
  TFace sleepy = MakeFace(TFace::Sleepy, TFace::O);
  sleepy.MouthOpen = 0.2;
  return {
      {"smile", Still(MakeFace(TFace::Dots, TFace::Smile))},
      {"big grin", Still(MakeFace(TFace::Happy, TFace::Grin))},
      {"wink", Still(MakeFace(TFace::Wink, TFace::Smile))},
      {"tongue out", Still(MakeFace(TFace::Dots, TFace::Tongue))},
      {"sad", Still(MakeFace(TFace::Sad, TFace::SadMouth))},
      {"crying", Still(cry)},
      {"angry", Still(angry)},
      {"surprised", Still(surprised)},
      {"cool", Still(MakeFace(TFace::Sunglasses, TFace::Smirk))},
      {"scared (not offered by the palette)", Still(scared)},
      {"kiss", Still(kiss)},
      {"blushing", Still(blush)},
      {"confused", Still(MakeFace(TFace::Dots, TFace::Wavy))},
      {"sleepy", Still(sleepy)},
      {"laughing to tears", Still(laugh)},
      {"in love", Still(MakeFace(TFace::Hearts, TFace::Grin))},
      {"neutral", Still(MakeFace(TFace::Dots, TFace::Flat))},
      {"devil", Still(devil)},
      {"angel", Still(angel)},
      {"sick", Still(sick)},
      {"nerd", Still(MakeFace(TFace::Glasses, TFace::Teeth))},
      {"nervous laugh", Still(sweat)},
      {"rolling eyes", Still(rolling)},
      {"skeptical", Still(skeptic)},
      {"starry-eyed", Still(MakeFace(TFace::Stars, TFace::Grin))},
  };
}

} // namespace artgen
