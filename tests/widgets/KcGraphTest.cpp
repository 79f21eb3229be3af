#include "widgets/KcGraph.h"

#include <gtest/gtest.h>
#include <set>

using namespace kc;

namespace {

struct Reduced {
  TDIBImage dib;
  std::string file;
  int index(int x, int y) const {
    return uint8_t(dib.Pixels[size_t(dib.Height - 1 - y) * size_t(dib.RowSize) + size_t(x)]);
  }
  QRgb color(int x, int y) const { return dib.Colors[size_t(index(x, y))]; }
};

Reduced reduce(const QImage &img, int method) {
  Reduced r;
  r.file = BitmapToMemoryStream(img, TPixelFormat::pf8bit, method);
  EXPECT_TRUE(ParseBitmapFile(r.file, r.dib));
  EXPECT_EQ(r.dib.BitsPerPixel, 8);
  return r;
}

QImage rgb(int w, int h, const std::function<QRgb(int, int)> &f) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, f(x, y));
  return img;
}

} // namespace

TEST(KcGraph, InvalidBitmap) {
  try {
    BitmapToMemoryStream(QImage(), TPixelFormat::pf8bit, crHistogram);
    FAIL();
  } catch (const EKcGraphicError &e) {
    EXPECT_STREQ(e.what(), "Bitmap image is not valid");
  }
}

TEST(KcGraph, HistogramKeepsUpTo256ColoursExactly) {
  const QImage img = rgb(20, 10, [](int x, int y) { return qRgb(x * 13, y * 25, (x * y) % 256); });
  const Reduced r = reduce(img, crHistogram);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(r.color(x, y), img.pixel(x, y)) << x << "," << y;
}

TEST(KcGraph, HistogramDropsLowBitsForManyColours) {
  // 4096 distinct odd-valued colours: more than the table holds.
  const QImage img = rgb(64, 64, [](int x, int y) { return qRgb(x * 4 + 1, y * 4 + 1, ((x + y) * 2 + 1) & 255); });
  const Reduced r = reduce(img, crHistogram);
  std::set<QRgb> used;
  long error = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const QRgb c = r.color(x, y);
      used.insert(c);
      EXPECT_EQ(qBlue(c) & 1, 0) << "blue loses its low bit first";
      error += std::abs(qRed(c) - qRed(img.pixel(x, y))) + std::abs(qGreen(c) - qGreen(img.pixel(x, y)));
    }
  EXPECT_LT(error / (64 * 64), 64) << "pixels land on near colours";
  EXPECT_LE(used.size(), 256u);
  EXPECT_GT(used.size(), 200u);
}

TEST(KcGraph, FixedPalettes) {
  struct Case {
    int method;
    QRgb in;
    int index;
    QRgb paletteColor;
  } cases[] = {
      {crGrayscale, qRgb(255, 255, 255), 255, qRgb(255, 255, 255)},
      {crGrayscale, qRgb(255, 0, 0), 76, qRgb(76, 76, 76)},
      {crTruncation666, qRgb(255, 0, 0), 180, qRgb(255, 0, 0)},
      {crTruncation666, qRgb(100, 160, 30), (2 * 6 + 3) * 6 + 1, qRgb(102, 153, 51)},
      {crTruncation784, qRgb(255, 255, 255), 223, qRgb(255, 255, 255)},
      {crTruncation784, qRgb(40, 40, 40), (1 * 8 + 1) * 4 + 0, qRgb(43, 36, 0)},
  };
  for (const Case &c : cases) {
    const Reduced r = reduce(rgb(1, 1, [&](int, int) { return c.in; }), c.method);
    EXPECT_EQ(r.index(0, 0), c.index) << c.method;
    EXPECT_EQ(r.color(0, 0), c.paletteColor) << c.method;
  }
}

TEST(KcGraph, ChannelRampsShowOneChannelPerPixel) {
  const Reduced r = reduce(rgb(3, 2, [](int, int) { return qRgb(200, 100, 40); }), crChannelRamps);
  EXPECT_EQ(r.index(0, 0), 50);
  EXPECT_EQ(r.index(1, 0), 64 + 25);
  EXPECT_EQ(r.index(2, 0), 128 + 10);
  EXPECT_EQ(r.index(0, 1), 64 + 25);
  EXPECT_EQ(r.color(0, 0), qRgb(200, 0, 0));
  EXPECT_EQ(r.color(2, 0), qRgb(0, 0, 40));
}

TEST(KcGraph, MedianCutFindsTheColours) {
  const QRgb colors[3] = {qRgb(250, 10, 10), qRgb(10, 250, 10), qRgb(10, 10, 250)};
  const QImage img = rgb(9, 4, [&](int x, int) { return colors[x % 3]; });
  const Reduced r = reduce(img, crMedianCut);
  EXPECT_EQ(r.dib.ColorsUsed, 3) << "the colours-used count of the header";
  EXPECT_EQ(r.dib.Colors[255], qRgb(128, 128, 128)) << "the rest of the table as written";
  for (int x = 0; x < 9; ++x) EXPECT_EQ(r.color(x, 0), colors[x % 3]);

  // Many colours: at most 256 boxes, every pixel near its box colour.
  const QImage many = rgb(64, 64, [](int x, int y) { return qRgb(x * 4, y * 4, 128); });
  const Reduced m = reduce(many, crMedianCut);
  EXPECT_GT(m.dib.ColorsUsed, 100);
  for (int y = 0; y < 64; y += 7)
    for (int x = 0; x < 64; x += 5) {
      EXPECT_LE(std::abs(qRed(m.color(x, y)) - x * 4), 40);
      EXPECT_LE(std::abs(qGreen(m.color(x, y)) - y * 4), 40);
    }
}

TEST(KcGraph, NearestLevelsPreferTheLowerOnTies) {
  EXPECT_EQ(NearestLevel8(18), 0);
  EXPECT_EQ(NearestLevel8(19), 1);
  EXPECT_EQ(NearestLevel4(42), 0);
  EXPECT_EQ(NearestLevel4(43), 1);
  EXPECT_EQ(NearestLevel6(255), 5);
  EXPECT_EQ(NearestLevel7(64), 1);
  EXPECT_EQ(NearestLevel7(65), 2);
}

TEST(KcGraph, PaletteBitmapInItsOwnDepth) {
  QImage img(5, 2, QImage::Format_Indexed8);
  img.setColorTable({qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9), qRgb(10, 11, 12)});
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) img.scanLine(y)[x] = uchar((x + y) & 3);
  TDIBImage d;
  const std::string file = BitmapToMemoryStream(img, TPixelFormat::pf4bit, crHistogram);
  ASSERT_TRUE(ParseBitmapFile(file, d));
  EXPECT_EQ(d.BitsPerPixel, 4);
  EXPECT_EQ(d.RowSize, 4);
  // Top row (stored last): 0 1 2 3 0 -> nibbles 01 23 0-.
  EXPECT_EQ(uint8_t(d.Pixels[4]), 0x01);
  EXPECT_EQ(uint8_t(d.Pixels[5]), 0x23);
  EXPECT_EQ(d.Colors[2], qRgb(7, 8, 9));
}
