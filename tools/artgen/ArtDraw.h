#pragma once
// Drawing helpers of the picture generator. Every list picture is drawn in a
// 32 x 32 unit square; the painter is scaled to the pixel size. Lp is one
// logical pixel of the list in units (2 for 16 x 16 lists, 1 for 32 x 32),
// so outlines are one logical pixel wide at both the 1x and 2x sizes.
#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

namespace artgen {

// The palette every picture takes its colours from.
namespace pal {
inline const QColor Blue(0x3D, 0x8B, 0xFD);
inline const QColor Navy(0x25, 0x4E, 0xA8);
inline const QColor Green(0x2F, 0xBF, 0x5B);
inline const QColor Orange(0xFF, 0x9A, 0x1F);
inline const QColor Red(0xE5, 0x48, 0x4D);
inline const QColor Yellow(0xFF, 0xCC, 0x33);
inline const QColor Purple(0x8E, 0x6B, 0xE8);
inline const QColor Teal(0x1F, 0xB5, 0xA8);
inline const QColor Pink(0xF2, 0x6D, 0xA6);
inline const QColor Grey(0x9A, 0xA3, 0xAE);
inline const QColor DarkGrey(0x5B, 0x64, 0x70);
inline const QColor Paper(0xFF, 0xFF, 0xFF);
inline const QColor Ink(0x33, 0x3A, 0x44);
inline const QColor Brown(0xA8, 0x6B, 0x3C);
inline const QColor Folder(0xF5, 0xB9, 0x42);
} // namespace pal

// The outline colour of a fill.
QColor Edge(const QColor &Fill);

struct TArt {
  QPainter &P;
  double Lp; // one logical pixel, in units

  // Fills Path with its outline: the outer Lp in Edge, the inside in Fill.
  void Shape(const QPainterPath &Path, const QColor &Fill, const QColor &EdgeColor) const;
  void Shape(const QPainterPath &Path, const QColor &Fill) const { Shape(Path, Fill, Edge(Fill)); }
  // A filled shape without outline.
  void Flat(const QPainterPath &Path, const QColor &Fill) const;
  // A line Width logical pixels wide with round ends.
  void Line(QPointF A, QPointF B, const QColor &C, double Width = 1) const;
  void Polyline(std::initializer_list<QPointF> Points, const QColor &C, double Width = 1) const;
  void Arc(const QRectF &R, double StartDeg, double SpanDeg, const QColor &C, double Width = 1) const;
};

QPainterPath RoundRect(const QRectF &R, double Radius);
QPainterPath Ellipse(const QRectF &R);
QPainterPath Circle(QPointF C, double R);
QPainterPath Polygon(std::initializer_list<QPointF> Points);

// Shared figures, in units.
void Person(const TArt &A, QPointF HeadCentre, double Scale, const QColor &Shirt,
            const QColor &Skin = QColor(0xF6, 0xC8, 0x9F), const QColor &Hair = QColor(0x6B, 0x45, 0x2A));
void Group(const TArt &A, QRectF Box, const QColor &Shirt);
void Bubble(const TArt &A, const QRectF &Body, bool TailLeft, const QColor &Fill);
void Envelope(const TArt &A, const QRectF &R, const QColor &Fill = pal::Paper, bool Open = false);
void Sheet(const TArt &A, const QRectF &R, bool Lines = true);
void FolderShape(const TArt &A, const QRectF &R, bool Open = false);
void Gear(const TArt &A, QPointF C, double R, const QColor &Fill);
void Globe(const TArt &A, QPointF C, double R);
void ClockFace(const TArt &A, QPointF C, double R);
void Window(const TArt &A, const QRectF &R, const QColor &Title);
void Disk(const TArt &A, const QRectF &R);
void Bin(const TArt &A, const QRectF &R);
void Eraser(const TArt &A, const QRectF &R);
void Plane(const TArt &A, const QRectF &R);
void Book(const TArt &A, const QRectF &R, const QColor &Cover);
void Pencil(const TArt &A, QPointF Tip, double Length);
void Arrow(const TArt &A, QPointF From, QPointF To, const QColor &C, double Width = 2);

// Corner badges: a circle of radius 6.5 units at the bottom right (or Centre).
enum class TBadge { Cross, Plus, NoEntry, Clock, Gear, Down, Check };
void Badge(const TArt &A, TBadge Kind, QPointF Centre = QPointF(24.5, 24.5), double R = 7);

// A round face with its features; everything is relative to the radius.
struct TFace {
  enum Eyes {
    Dots,
    Wink,
    Happy,
    Wide,
    Sunglasses,
    Hearts,
    Angry,
    Sleepy,
    Crossed,
    Rolling,
    Glasses,
    Stars,
    Sad,
    Closed
  };
  enum Mouth { Smile, Grin, SadMouth, O, Flat, Tongue, Kiss, Wavy, Teeth, SmallSmile, Smirk, Laugh, None };
  QColor Skin = pal::Yellow;
  Eyes EyesKind = Dots;
  Mouth MouthKind = Smile;
  double LookX = 0, LookY = 0; // pupil offset, -1 .. 1
  double MouthOpen = 1;        // 0 .. 1 for the open mouths
  bool Blush = false, Tear = false, Sweat = false, Halo = false, Horns = false, Brows = false;
  double TearFall = 0; // 0 .. 1: how far the tear has run
};
// Lw: the width of feature lines in units.
void Face(const TArt &A, QPointF C, double R, const TFace &F, double Lw);

// One heart of width W centred at C.
QPainterPath Heart(QPointF C, double W);
QPainterPath Star(QPointF C, double R, double Inner, int Points = 5);

} // namespace artgen
