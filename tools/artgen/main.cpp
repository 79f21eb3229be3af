// artgen: draws the program's pictures and writes them as the files the
// chat windows compile in. Not run by the build: run it after changing a
// picture and commit what it writes.
//   artgen OUTDIR            image lists (1x and @2x PNGs), the animated
//                            emoticons (GIF), the program icon, OUTDIR/art.qrc
//   artgen --sheets DIR      contact sheets of everything, on light and dark
//                            backgrounds at 1x and 2x, for looking at
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>

#include "Gifs.h"
#include "Pictures.h"
#include "ui/ArtUn.h"
#include "widgets/KcGIF.h"
#include "widgets/KcGIFCompose.h"

using namespace artgen;

namespace {

struct TList {
  const char *Folder;
  std::vector<TListPicture> Pictures;
  std::vector<int> Sizes;
};

std::vector<TList> Lists() {
  return {
      {"hot", HotPictures(), {16, 32}},
      {"profiles", ProfilePictures(), {16, 32}},
      {"story", StoryPictures(), {16, 32}},
      {"trey", TreyPictures(), {16}},
  };
}

const int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool Save(const QImage &Img, const QString &Path) {
  QDir().mkpath(QFileInfo(Path).absolutePath());
  if (Img.save(Path, "PNG")) return true;
  std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(Path));
  return false;
}

bool WriteAll(const QString &Out) {
  QStringList files;
  for (const TList &l : Lists())
    for (int size : l.Sizes)
      for (size_t i = 0; i < l.Pictures.size(); ++i) {
        const QString base = QStringLiteral("%1/%2/%3").arg(QLatin1String(l.Folder)).arg(size).arg(i);
        if (!Save(Render(l.Pictures[i].Draw, size, size), Out + "/" + base + ".png")) return false;
        if (!Save(Render(l.Pictures[i].Draw, 2 * size, size), Out + "/" + base + "@2x.png")) return false;
        files << base + ".png" << base + "@2x.png";
      }
  for (int n = 0; n < kc::kCatalogueGifs; ++n) {
    const std::string bytes = EncodeGif(CatalogueFrames(n));
    const QString name = QStringLiteral("gif/%1.gif").arg(n);
    QDir().mkpath(Out + "/gif");
    QFile f(Out + "/" + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
      return false;
    files << name;
  }
  for (int s : kIconSizes) {
    const QString name = QStringLiteral("icon/%1.png").arg(s);
    if (!Save(ProgramIconImage(s), Out + "/" + name)) return false;
    files << name;
  }
  QFile qrc(Out + "/art.qrc");
  if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  QString text = "<!-- Written by tools/artgen. -->\n<RCC>\n  <qresource prefix=\"/art\">\n";
  for (const QString &f : files) text += "    <file>" + f + "</file>\n";
  text += "  </qresource>\n</RCC>\n";
  qrc.write(text.toUtf8());
  return true;
}

// ---------------------------------------------------------------- sheets

const QColor kLight(0xF4, 0xF4, 0xF2), kDark(0x2A, 0x2C, 0x30);

void Label(QPainter &P, QRect R, const QString &Text, const QColor &Back) {
  P.setPen(Back.lightness() > 128 ? QColor(0x70, 0x70, 0x70) : QColor(0xB0, 0xB0, 0xB0));
  QFont f = P.font();
  f.setPixelSize(9);
  P.setFont(f);
  P.drawText(R, Qt::AlignHCenter | Qt::AlignTop, Text);
}

// Panels of 1x and 2x pictures on light and dark backgrounds, the 2x
// pictures shown at their pixel size.
QImage ListSheet(const std::vector<TListPicture> &Pics, int Size, int Columns) {
  const int rows = (int(Pics.size()) + Columns - 1) / Columns;
  const int cell1 = Size + 10, cell2 = 2 * Size + 12, label = 11;
  const int w1 = Columns * cell1, w2 = Columns * cell2;
  const int h1 = rows * (cell1 + label), h2 = rows * (cell2 + label);
  QImage sheet(w1 * 2 + 8, h1 + h2 + 8 + h2 + h1, QImage::Format_RGB32);
  sheet.fill(Qt::white);
  QPainter p(&sheet);
  struct TPanel {
    QPoint At;
    QColor Back;
    int Scale;
  };
  // Row 1: 1x light, 1x dark; then 2x light; then 2x dark.
  const TPanel panels[] = {{QPoint(0, 0), kLight, 1},
                           {QPoint(w1 + 8, 0), kDark, 1},
                           {QPoint(0, h1 + 8), kLight, 2},
                           {QPoint(0, h1 + 8 + h2), kDark, 2}};
  for (const TPanel &pn : panels) {
    const int cell = pn.Scale == 1 ? cell1 : cell2;
    p.fillRect(QRect(pn.At, QSize(pn.Scale == 1 ? w1 : w2, rows * (cell + label))), pn.Back);
    for (size_t i = 0; i < Pics.size(); ++i) {
      const int c = int(i) % Columns, r = int(i) / Columns;
      const QPoint at = pn.At + QPoint(c * cell + 5, r * (cell + label) + 5);
      p.drawImage(at, Render(Pics[i].Draw, Size * pn.Scale, Size));
      Label(p, QRect(at.x() - 5, at.y() + Size * pn.Scale + 1, cell, label), QString::number(i), pn.Back);
    }
  }
  return sheet.copy(0, 0, std::max(2 * w1 + 8, w2), h1 + 8 + 2 * h2);
}

QImage GifSheet() {
  // Each emoticon's frames in a row, composed as the animator shows them,
  // at 1x and 2x, on both backgrounds.
  struct TRow {
    std::vector<QImage> Frames;
  };
  std::vector<TRow> rows;
  int width = 0, height = 0;
  for (int n = 0; n < kc::kCatalogueGifs; ++n) {
    const std::string bytes = EncodeGif(CatalogueFrames(n));
    kc::TKcGIFImage gif;
    gif.LoadFromBytes(bytes);
    kc::TGIFComposer comp;
    TRow r;
    for (int i = 0; i < gif.Count(); ++i) r.Frames.push_back(comp.Compose(gif, i, 0, true).copy());
    const int w = kc::kCatalogueGifSizes[n][0], h = kc::kCatalogueGifSizes[n][1];
    width = std::max(width, int(r.Frames.size()) * (3 * w + 12));
    height += 2 * h + 8;
    rows.push_back(std::move(r));
  }
  QImage sheet(2 * width + 40, height, QImage::Format_RGB32);
  sheet.fill(Qt::white);
  QPainter p(&sheet);
  int y = 0;
  for (int n = 0; n < kc::kCatalogueGifs; ++n) {
    const int w = kc::kCatalogueGifSizes[n][0], h = kc::kCatalogueGifSizes[n][1];
    for (int half = 0; half < 2; ++half) {
      const QColor back = half ? kDark : kLight;
      const int x0 = 20 + half * (width + 10);
      p.fillRect(QRect(x0 - 4, y, width, 2 * h + 8), back);
      Label(p, QRect(x0 - 20, y + 2, 16, 12), QString::number(n), back);
      for (size_t i = 0; i < rows[size_t(n)].Frames.size(); ++i) {
        const QImage &f = rows[size_t(n)].Frames[i];
        const int x = x0 + int(i) * (3 * w + 12);
        p.drawImage(QPoint(x, y + 4 + h / 2), f);
        p.drawImage(QRect(x + w + 4, y + 4, 2 * w, 2 * h), f);
      }
    }
    y += 2 * h + 8;
  }
  return sheet;
}

QImage IconSheet() {
  QImage sheet(700, 600, QImage::Format_RGB32);
  sheet.fill(kLight);
  QPainter p(&sheet);
  p.fillRect(QRect(0, 300, 700, 300), kDark);
  for (int half = 0; half < 2; ++half) {
    int x = 8;
    for (int s : kIconSizes) {
      p.drawImage(QPoint(x, half * 300 + 8), ProgramIconImage(s));
      x += s + 8;
    }
  }
  return sheet;
}

bool WriteSheets(const QString &Dir) {
  QDir().mkpath(Dir);
  bool ok = true;
  for (const TList &l : Lists())
    for (int size : l.Sizes)
      ok &= Save(ListSheet(l.Pictures, size, size == 16 ? 13 : 10),
                 QStringLiteral("%1/sheet-%2-%3.png").arg(Dir, QLatin1String(l.Folder)).arg(size));
  ok &= Save(GifSheet(), Dir + "/sheet-gifs.png");
  ok &= Save(IconSheet(), Dir + "/sheet-icon.png");
  // What each index shows.
  QFile names(Dir + "/names.txt");
  if (names.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    for (const TList &l : Lists()) {
      names.write(QStringLiteral("%1\n").arg(QLatin1String(l.Folder)).toUtf8());
      for (size_t i = 0; i < l.Pictures.size(); ++i)
        names.write(QStringLiteral("  %1 %2\n").arg(i).arg(l.Pictures[i].Name).toUtf8());
    }
    names.write("gif\n");
    for (int n = 0; n < kc::kCatalogueGifs; ++n)
      names.write(QStringLiteral("  %1 %2\n").arg(n).arg(CatalogueFrames(n).Name).toUtf8());
  }
  return ok;
}

} // namespace

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  if (argc == 3 && QString::fromLocal8Bit(argv[1]) == "--sheets")
    return WriteSheets(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
  if (argc == 2 && argv[1][0] != '-') return WriteAll(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
  std::fputs("usage: artgen OUTDIR | artgen --sheets DIR\n", stderr);
  return 2;
}
