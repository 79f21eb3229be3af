// The 23 animated emoticons: small scenes around the round face, drawn at
// the size of their cell in the catalogue, a few frames each.
#include "Gifs.h"

#include <QBuffer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "ArtDraw.h"
#include "ui/ArtUn.h"
#include "widgets/KcGIF.h"

namespace artgen {

namespace {

using TScene = std::function<void(const TArt &, int W, int H, int F)>;

struct TSpec {
  const char *Name;
  int Frames;
  std::vector<int> Delays; // one per frame, or one for all
  TScene Draw;
};

TFace F(TFace::Eyes E, TFace::Mouth M) {
  TFace f;
  f.EyesKind = E;
  f.MouthKind = M;
  return f;
}

double Lw(double R) { return std::max(1.0, R * 0.13); }

void DrawFace(const TArt &A, QPointF C, double R, const TFace &Fc) { Face(A, C, R, Fc, Lw(R)); }

void QuestionMark(const TArt &A, QPointF C, double S, const QColor &Col) {
  A.Arc(QRectF(C.x() - S * 0.5, C.y() - S, S, S * 0.9), -60, 230, Col, std::max(1.2, S * 0.22));
  A.Line(C + QPointF(S * 0.25, -S * 0.2), C + QPointF(0, S * 0.15), Col, std::max(1.2, S * 0.22));
  A.Flat(Circle(C + QPointF(0, S * 0.6), std::max(0.8, S * 0.14)), Col);
}

void Zed(const TArt &A, QPointF C, double S, const QColor &Col) {
  A.Polyline(
      {C + QPointF(-S / 2, -S / 2), C + QPointF(S / 2, -S / 2), C + QPointF(-S / 2, S / 2), C + QPointF(S / 2, S / 2)},
      Col, std::max(1.0, S * 0.22));
}

void Note(const TArt &A, QPointF C, double S, const QColor &Col) {
  A.Flat(Ellipse(QRectF(C.x() - S * 0.45, C.y() + S * 0.2, S * 0.55, S * 0.4)), Col);
  A.Line(C + QPointF(0.05 * S, S * 0.4), C + QPointF(0.05 * S, -S * 0.5), Col, 1);
  A.Line(C + QPointF(0.05 * S, -S * 0.5), C + QPointF(S * 0.4, -S * 0.25), Col, 1);
}

void Hand(const TArt &A, QPointF C, double S, double Angle, bool Thumb) {
  QTransform t;
  t.translate(C.x(), C.y());
  t.rotate(Angle);
  const QColor skin = pal::Yellow;
  if (Thumb) {
    A.Shape(t.map(RoundRect(QRectF(-S * 0.5, -S * 0.1, S, S * 0.8), S * 0.2)), skin);
    A.Shape(t.map(RoundRect(QRectF(-S * 0.5, -S * 0.75, S * 0.38, S * 0.75), S * 0.18)), skin);
  } else {
    A.Shape(t.map(RoundRect(QRectF(-S * 0.45, -S * 0.2, S * 0.9, S * 0.8), S * 0.3)), skin);
    for (int i = 0; i < 4; ++i)
      A.Shape(t.map(RoundRect(QRectF(-S * 0.45 + i * S * 0.23, -S * 0.75, S * 0.2, S * 0.7), S * 0.1)), skin);
  }
}

void Steam(const TArt &A, QPointF Base, double H, int Phase, const QColor &Col) {
  const double s = (Phase % 2) ? 1 : -1;
  QPainterPath p;
  p.moveTo(Base);
  p.cubicTo(Base + QPointF(s * H * 0.3, -H * 0.3), Base + QPointF(-s * H * 0.3, -H * 0.6), Base + QPointF(0, -H));
  A.P.save();
  A.P.setPen(QPen(Col, 1.2, Qt::SolidLine, Qt::RoundCap));
  A.P.setBrush(Qt::NoBrush);
  A.P.drawPath(p);
  A.P.restore();
}

const std::vector<TSpec> &Specs() {
  static const std::vector<TSpec> specs = {
      {"bouncing smile",
       4,
       {120},
       [](const TArt &A, int W, int H, int f) {
         const double lift[] = {0, 3, 5, 3};
         const double r = W / 2.0 - 0.5;
         DrawFace(A, QPointF(W / 2.0, H - r - 0.5 - lift[f]), r, F(TFace::Dots, f == 2 ? TFace::Grin : TFace::Smile));
       }},
      {"wink",
       4,
       {500, 150, 350, 150},
       [](const TArt &A, int W, int H, int f) {
         DrawFace(A, QPointF(W / 2.0, H / 2.0), H / 2.0 - 0.5,
                  F(f == 2 ? TFace::Wink : TFace::Dots, f == 2 ? TFace::Smirk : TFace::Smile));
       }},
      {"laughing",
       4,
       {110},
       [](const TArt &A, int W, int H, int f) {
         TFace fc = F(TFace::Happy, TFace::Laugh);
         fc.MouthOpen = (f % 2) ? 0.45 : 1;
         fc.Tear = true;
         fc.TearFall = 0.1 + 0.15 * f;
         DrawFace(A, QPointF(W / 2.0 + ((f % 2) ? 1 : -1), H / 2.0 + ((f % 2) ? 0.5 : 0)), W / 2.0 - 2, fc);
       }},
      {"thinking",
       4,
       {300},
       [](const TArt &A, int W, int H, int f) {
         const double r = W / 2.0 - 0.5;
         TFace fc = F(TFace::Dots, TFace::Smirk);
         fc.LookX = 0.6;
         fc.LookY = -1;
         DrawFace(A, QPointF(W / 2.0, H - r - 0.5), r, fc);
         const double s[] = {0, 3, 4.5, 4};
         if (f) QuestionMark(A, QPointF(W / 2.0 + 2, 5), s[f], pal::Blue);
       }},
      {"kiss",
       4,
       {200},
       [](const TArt &A, int, int H, int f) {
         TFace fc = F(TFace::Closed, TFace::Kiss);
         fc.Blush = true;
         DrawFace(A, QPointF(9.5, H - 9.5), 9, fc);
         if (f) A.Shape(Heart(QPointF(18.5, 11 - f * 2.5), 3 + f * 1.3), pal::Red);
       }},
      {"sad, a tear",
       4,
       {250},
       [](const TArt &A, int W, int H, int f) {
         TFace fc = F(TFace::Sad, TFace::SadMouth);
         fc.Tear = true;
         fc.TearFall = f / 3.0;
         DrawFace(A, QPointF(W / 2.0, H / 2.0), H / 2.0 - 0.5, fc);
       }},
      {"rolling eyes",
       4,
       {250},
       [](const TArt &A, int W, int H, int f) {
         TFace fc = F(TFace::Rolling, TFace::Flat);
         const double look[] = {-1, 0, 1, 0};
         fc.LookX = look[f];
         DrawFace(A, QPointF(W / 2.0, H / 2.0), W / 2.0 - 0.5, fc);
       }},
      {"angry, steaming",
       4,
       {150},
       [](const TArt &A, int W, int H, int f) {
         TFace fc = F(TFace::Angry, TFace::Teeth);
         fc.Skin = (f % 2) ? QColor(0xEE, 0x50, 0x3A) : QColor(0xF5, 0x8A, 0x4E);
         const double r = 11;
         DrawFace(A, QPointF(W / 2.0 + ((f % 2) ? 0.7 : -0.7), H - r - 0.5), r, fc);
         const QColor puff(0xB0, 0xB8, 0xC4);
         A.Flat(Circle(QPointF(4 - 0.5 * f, 6 - f), 1.8 + 0.4 * f), puff);
         A.Flat(Circle(QPointF(W - 4 + 0.5 * f, 6 - f), 1.8 + 0.4 * f), puff);
       }},
      {"waving hello",
       4,
       {160},
       [](const TArt &A, int, int H, int f) {
         DrawFace(A, QPointF(14, H / 2.0 + 1), 12.5, F(TFace::Happy, TFace::Grin));
         const double ang[] = {-20, 0, 20, 0};
         Hand(A, QPointF(36, 13), 11, ang[f], false);
       }},
      {"surprised",
       4,
       {200, 120, 120, 600},
       [](const TArt &A, int W, int H, int f) {
         TFace fc = F(TFace::Dots, TFace::O);
         fc.MouthOpen = f / 3.0;
         fc.Brows = f >= 1;
         fc.LookY = -0.5;
         const double r = W / 2.0 - 0.5;
         DrawFace(A, QPointF(W / 2.0, H - r - 0.5), r, fc);
         if (f >= 2) {
           A.Flat(RoundRect(QRectF(W / 2.0 - 1.2, 0.5, 2.4, 5), 1), pal::Red);
           A.Flat(Circle(QPointF(W / 2.0, 7.3), 1.1), pal::Red);
         }
       }},
      {"thumbs up",
       4,
       {180},
       [](const TArt &A, int, int H, int f) {
         DrawFace(A, QPointF(13.5, H / 2.0), 12.5, F(f == 2 ? TFace::Wink : TFace::Dots, TFace::Grin));
         const double lift[] = {0, 2, 3, 2};
         Hand(A, QPointF(42, 17 - lift[f]), 13, 0, true);
       }},
      {"sleeping",
       4,
       {350},
       [](const TArt &A, int, int H, int f) {
         TFace fc = F(TFace::Sleepy, TFace::O);
         fc.MouthOpen = (f % 2) ? 0.3 : 0.05;
         DrawFace(A, QPointF(7.5, H / 2.0 + 0.5), 6.8, fc);
         for (int i = 0; i <= f && i < 3; ++i) Zed(A, QPointF(18 + i * 7, 11 - i * 3), 3 + i, pal::Blue);
       }},
      {"cool shades",
       4,
       {200, 200, 200, 500},
       [](const TArt &A, int W, int H, int f) {
         const double r = H / 2.0 - 0.5;
         const QPointF c(W / 2.0, H / 2.0);
         TFace fc = F(f == 3 ? TFace::Sunglasses : TFace::Dots, TFace::Smirk);
         DrawFace(A, c, r, fc);
         if (f < 3) {
           // The shades come down from above.
           const double y = c.y() - r * 0.2 - (3 - f) * 4.5;
           A.Flat(RoundRect(QRectF(c.x() - r * 0.66, y - r * 0.16, r * 0.56, r * 0.34), r * 0.12)
                      .united(RoundRect(QRectF(c.x() + r * 0.08, y - r * 0.16, r * 0.56, r * 0.34), r * 0.12)),
                  QColor(0x22, 0x26, 0x2E));
         } else {
           A.Flat(Star(QPointF(W - 5, 4), 3.5, 1.2, 4), pal::Yellow.darker(105));
           A.Flat(Star(QPointF(5, 13), 2.5, 0.9, 4), pal::Yellow.darker(105));
         }
       }},
      {"nodding yes",
       4,
       {160},
       [](const TArt &A, int, int H, int f) {
         const double dy[] = {-1.5, 0, 1.5, 0};
         TFace fc = F(TFace::Happy, TFace::Smile);
         DrawFace(A, QPointF(8, H / 2.0 + dy[f] * 0.6), 7, fc);
         if (f % 2 == 0) Badge(A, TBadge::Check, QPointF(20.5, 8), 5);
       }},
      {"shaking head no",
       4,
       {140},
       [](const TArt &A, int, int H, int f) {
         const double dx[] = {-2, 0, 2, 0};
         DrawFace(A, QPointF(10 + dx[f], H / 2.0), 9, F(TFace::Closed, TFace::SadMouth));
         if (f % 2 == 0) Badge(A, TBadge::Cross, QPointF(25, 7), 5.5);
       }},
      {"little devil",
       4,
       {200},
       [](const TArt &A, int W, int H, int f) {
         TFace fc = F(TFace::Angry, TFace::Grin);
         fc.Skin = pal::Purple;
         fc.Horns = true;
         fc.MouthOpen = (f % 2) ? 0.6 : 1;
         const double r = 8.5;
         DrawFace(A, QPointF(12, H - r - 1), r, fc);
         // A tail with a pointed tip, wagging.
         const double wag[] = {-3, 0, 3, 0};
         A.Polyline(
             {QPointF(19, H - 4), QPointF(23, H - 5), QPointF(25, H - 9 + wag[f] * 0.3), QPointF(26, 6 + wag[f])},
             pal::Purple.darker(130), 1.2);
         A.Flat(Polygon({QPointF(26 - 2.2, 6 + wag[f]), QPointF(26 + 2.2, 6 + wag[f]), QPointF(26, 2 + wag[f])}),
                pal::Purple.darker(130));
         (void)W;
       }},
      {"running",
       6,
       {90},
       [](const TArt &A, int W, int H, int f) {
         const double r = H / 2.0 - 1;
         const double x = r + 1 + (W - 2 * r - 2) * f / 5.0;
         for (int i = 1; i <= 3; ++i)
           if (x - r - 2 - i * 3 > 0)
             A.Line(QPointF(x - r - 1 - i * 3.5, H / 2.0 - 3 + i * 1.5),
                    QPointF(x - r - 1 - i * 3.5 - 3, H / 2.0 - 3 + i * 1.5), pal::Grey, 1);
         DrawFace(A, QPointF(x, H / 2.0 + ((f % 2) ? -0.7 : 0.7)), r, F(TFace::Dots, TFace::Grin));
       }},
      {"friends with a heart",
       4,
       {180},
       [](const TArt &A, int W, int H, int f) {
         const double r = H / 2.0 - 1;
         TFace a = F(TFace::Happy, TFace::Smile);
         a.Blush = true;
         TFace b = F(TFace::Closed, TFace::Kiss);
         b.Skin = QColor(0xFF, 0xB8, 0x6B);
         b.Blush = true;
         const double step[] = {0, 2, 3, 2};
         DrawFace(A, QPointF(r + 1 + step[f], H / 2.0), r, a);
         DrawFace(A, QPointF(W - r - 1 - step[f], H / 2.0), r, b);
         A.Shape(Heart(QPointF(W / 2.0, H / 2.0), 8 + 2 * step[f]), pal::Red);
       }},
      {"in love",
       4,
       {180},
       [](const TArt &A, int, int H, int f) {
         DrawFace(A, QPointF(10, H / 2.0), 9.3, F(TFace::Hearts, TFace::Grin));
         for (int i = 0; i < 2; ++i) {
           const int k = (f + 2 * i) % 4;
           A.Shape(Heart(QPointF(24 + k * 3.8, H / 2.0 + 4 - k * 2.6), 6.5 + k * 0.6), i ? pal::Pink : pal::Red);
         }
       }},
      {"dancing to music",
       4,
       {200},
       [](const TArt &A, int, int H, int f) {
         QTransform t;
         t.translate(8, H / 2.0);
         t.rotate((f % 2) ? 12 : -12);
         A.P.save();
         A.P.setTransform(t, true);
         DrawFace(A, QPointF(0, 0), H / 2.0 - 0.5, F(TFace::Closed, TFace::Grin));
         A.P.restore();
         for (int i = 0; i < 3; ++i) {
           const int k = (f + i * 2) % 6;
           Note(A, QPointF(21 + i * 10 + k * 0.8, 8 + ((k % 2) ? -2.5 : 1.5)), 8, i == 1 ? pal::Purple : pal::Blue);
         }
       }},
      {"crying rivers",
       4,
       {150},
       [](const TArt &A, int W, int H, int f) {
         TFace fc = F(TFace::Closed, TFace::SadMouth);
         const double r = H / 2.0 - 0.5;
         DrawFace(A, QPointF(W / 2.0, H / 2.0), r, fc);
         const QColor water(0x5A, 0xB4, 0xF5);
         for (int side : {-1, 1})
           for (int i = 0; i < 3; ++i) {
             const double t = ((f + i * 1.3) / 4.0);
             const double x = W / 2.0 + side * (r * 0.45 + 1 + t * 5), y = H / 2.0 - 1 + t * t * 8;
             A.Flat(Circle(QPointF(x, y), 1.1), water);
           }
       }},
      {"coffee break",
       4,
       {220},
       [](const TArt &A, int, int H, int f) {
         TFace fc = F(f == 3 ? TFace::Closed : TFace::Dots, TFace::Smile);
         DrawFace(A, QPointF(11, H / 2.0), 10, fc);
         const QColor cup(0xFF, 0xFF, 0xFF);
         A.Shape(RoundRect(QRectF(34, 10, 14, 12), 3), cup);
         QPainterPath handle = Circle(QPointF(48.5, 15.5), 3.5).subtracted(Circle(QPointF(48.5, 15.5), 1.8));
         A.Shape(handle, cup);
         A.Flat(RoundRect(QRectF(35.5, 11, 11, 2.5), 1), pal::Brown);
         for (int i = 0; i < 3; ++i) Steam(A, QPointF(37 + i * 4, 8), 6, f + i, pal::Grey);
         A.Shape(RoundRect(QRectF(31, 21, 21, 1.5), 0.7), QColor(0xD5, 0xDB, 0xE3));
       }},
      {"beating heart",
       4,
       {150, 150, 150, 450},
       [](const TArt &A, int W, int H, int f) {
         const double w[] = {10, 13.5, 11, 13.5};
         A.Shape(Heart(QPointF(W / 2.0, H / 2.0 + 0.5), w[f]), pal::Red);
       }},
  };
  return specs;
}

// Straight ARGB with alpha cut to all or nothing: a GIF pixel is either
// shown or not, and the edges keep the outline colour.
QImage Binary(const QImage &In) {
  QImage img = In.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < img.height(); ++y) {
    QRgb *row = reinterpret_cast<QRgb *>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x) row[x] = qAlpha(row[x]) >= 128 ? (row[x] | 0xFF000000u) : 0u;
  }
  return img;
}

// Median cut of the opaque colours of all frames to at most Max colours.
std::vector<QRgb> Palette(const std::vector<QImage> &Frames, int Max) {
  std::map<QRgb, int> counts;
  for (const QImage &f : Frames)
    for (int y = 0; y < f.height(); ++y) {
      const QRgb *row = reinterpret_cast<const QRgb *>(f.constScanLine(y));
      for (int x = 0; x < f.width(); ++x)
        if (qAlpha(row[x])) ++counts[row[x] | 0xFF000000u];
    }
  struct TBox {
    std::vector<std::pair<QRgb, int>> C;
  };
  std::vector<TBox> boxes(1);
  for (auto &kv : counts) boxes[0].C.push_back(kv);
  auto channel = [](QRgb c, int k) { return k == 0 ? qRed(c) : k == 1 ? qGreen(c) : qBlue(c); };
  while (int(boxes.size()) < Max) {
    // Split the box with the widest channel range.
    int best = -1, bestRange = 0, bestK = 0;
    for (int i = 0; i < int(boxes.size()); ++i) {
      if (boxes[size_t(i)].C.size() < 2) continue;
      for (int k = 0; k < 3; ++k) {
        int lo = 255, hi = 0;
        for (auto &c : boxes[size_t(i)].C)
          lo = std::min(lo, channel(c.first, k)), hi = std::max(hi, channel(c.first, k));
        if (hi - lo > bestRange) best = i, bestRange = hi - lo, bestK = k;
      }
    }
    if (best < 0) break;
    auto &c = boxes[size_t(best)].C;
    std::sort(c.begin(), c.end(), [&](auto &a, auto &b) { return channel(a.first, bestK) < channel(b.first, bestK); });
    long total = 0, half = 0;
    for (auto &e : c) total += e.second;
    size_t cut = 1;
    for (size_t i = 0; i < c.size() - 1; ++i) {
      half += c[i].second;
      cut = i + 1;
      if (half * 2 >= total) break;
    }
    TBox other;
    other.C.assign(c.begin() + long(cut), c.end());
    c.resize(cut);
    boxes.push_back(std::move(other));
  }
  std::vector<QRgb> out;
  for (auto &b : boxes) {
    if (b.C.empty()) continue;
    double r = 0, g = 0, bl = 0, n = 0;
    for (auto &e : b.C)
      r += qRed(e.first) * e.second, g += qGreen(e.first) * e.second, bl += qBlue(e.first) * e.second, n += e.second;
    out.push_back(qRgb(int(r / n + 0.5), int(g / n + 0.5), int(bl / n + 0.5)));
  }
  return out;
}

int Nearest(const std::vector<QRgb> &Pal, QRgb C) {
  int best = 0;
  long bestD = -1;
  for (int i = 0; i < int(Pal.size()); ++i) {
    const long dr = qRed(Pal[size_t(i)]) - qRed(C), dg = qGreen(Pal[size_t(i)]) - qGreen(C),
               db = qBlue(Pal[size_t(i)]) - qBlue(C);
    const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
    if (bestD < 0 || d < bestD) best = i, bestD = d;
  }
  return best;
}

} // namespace

TGifFrames CatalogueFrames(int Number) {
  const TSpec &s = Specs().at(size_t(Number));
  const int w = kc::kCatalogueGifSizes[Number][0], h = kc::kCatalogueGifSizes[Number][1];
  TGifFrames g;
  g.Name = QString::fromUtf8(s.Name);
  for (int f = 0; f < s.Frames; ++f) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    const TArt a{p, 1.0};
    s.Draw(a, w, h, f);
    p.end();
    g.Frames.push_back(Binary(img));
    g.DelaysMs.push_back(s.Delays.size() == size_t(s.Frames) ? s.Delays[size_t(f)] : s.Delays[0]);
  }
  return g;
}

std::string EncodeGif(const TGifFrames &G) {
  const std::vector<QRgb> colours = Palette(G.Frames, 255);
  QList<QRgb> table;
  table.push_back(qRgba(0, 0, 0, 0)); // index 0: transparent
  for (QRgb c : colours) table.push_back(c);
  int size = 2;
  while (size < int(table.size())) size *= 2;
  while (int(table.size()) < size) table.push_back(qRgb(0, 0, 0));
  kc::TKcGIFImage gif;
  for (size_t i = 0; i < G.Frames.size(); ++i) {
    const QImage &f = G.Frames[i];
    QImage idx(f.size(), QImage::Format_Indexed8);
    idx.setColorTable(table);
    std::map<QRgb, int> cache;
    for (int y = 0; y < f.height(); ++y) {
      const QRgb *row = reinterpret_cast<const QRgb *>(f.constScanLine(y));
      uchar *out = idx.scanLine(y);
      for (int x = 0; x < f.width(); ++x) {
        if (!qAlpha(row[x])) {
          out[x] = 0;
          continue;
        }
        auto it = cache.find(row[x]);
        if (it == cache.end()) it = cache.emplace(row[x], 1 + Nearest(colours, row[x])).first;
        out[x] = uchar(it->second);
      }
    }
    const int n = gif.AddFrame(idx);
    kc::TKcGIFFrame &fr = gif.Frames(n);
    fr.AnimateInterval = uint32_t(G.DelaysMs[i]);
    fr.DisposalMethod = 2; // back to the background: transparent
  }
  gif.SetLooping(true);
  gif.SetRepeatCount(0);
  return gif.SaveToBytes();
}

} // namespace artgen
