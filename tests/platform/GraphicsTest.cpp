#include "platform/Graphics.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>

#include <string>

using namespace kc;

namespace {

std::string saveAs(const QImage &img, const char *format) {
  QByteArray out;
  QBuffer buf(&out);
  buf.open(QIODevice::WriteOnly);
  img.save(&buf, format);
  return std::string(out.constData(), size_t(out.size()));
}

QImage sample(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x * 40 % 256, y * 60 % 256, 128));
  return img;
}

void put32(std::string &s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

} // namespace

TEST(Graphics, BitmapRoundTrip) {
  TBitmap b(sample(5, 3));
  const std::string bytes = b.saveToBytes();
  TBitmap back;
  ASSERT_TRUE(back.loadFromBytes(bytes));
  ASSERT_EQ(back.width(), 5);
  ASSERT_EQ(back.height(), 3);
  EXPECT_EQ(back.image().pixel(4, 2), b.image().pixel(4, 2));
  TBitmap dib;
  ASSERT_TRUE(dib.loadFromDIB(std::string_view(bytes).substr(14)));
  EXPECT_EQ(dib.image().pixel(1, 1), b.image().pixel(1, 1));
  EXPECT_EQ(dib.toImage().pixel(3, 0), b.image().pixel(3, 0));
}

TEST(Graphics, BitmapSizesAreCheckedAgainstTheData) {
  const std::string good = saveAs(sample(8, 8), "BMP");
  struct Case {
    const char *what;
    std::string data;
  } cases[] = {
      {"empty", ""},
      {"not a bitmap", "XX" + good.substr(2)},
      {"pixels cut short", good.substr(0, good.size() - 10)},
      {"header only", good.substr(0, 30)},
      {"huge width",
       [&] {
         std::string s = good;
         put32(s, 18, 100000);
         return s;
       }()},
      {"pixels beyond the budget",
       [&] {
         std::string s = good;
         put32(s, 18, 30000);
         put32(s, 22, 30000);
         return s;
       }()},
      {"offset past the end",
       [&] {
         std::string s = good;
         put32(s, 10, uint32_t(good.size() + 100));
         return s;
       }()},
      {"odd bit depth",
       [&] {
         std::string s = good;
         s[28] = 7;
         return s;
       }()},
  };
  for (const auto &c : cases) {
    TBitmap b;
    EXPECT_FALSE(b.loadFromBytes(c.data)) << c.what;
    EXPECT_TRUE(b.empty()) << c.what;
  }
  TBitmap dib;
  EXPECT_FALSE(dib.loadFromDIB(std::string(4, '\xff')));
  EXPECT_FALSE(dib.loadFromDIB(std::string_view(good).substr(14, good.size() - 30)));
}

TEST(Graphics, RawBits) {
  struct Case {
    int w, h, planes, bpp, widthBytes;
    std::string bits;
    bool ok;
    QRgb first;
  } cases[] = {
      {8, 2, 1, 1, 2, std::string("\x80\x00\x00\x00", 4), true, 0xFFFFFFFF},
      {1, 1, 1, 24, 0, std::string("\x01\x02\x03\x00", 4), true, qRgb(3, 2, 1)},
      {2, 1, 1, 32, 0, std::string(8, '\x10'), true, qRgb(16, 16, 16)},
      {8, 2, 1, 1, 2, std::string(3, '\0'), false, 0},   // data too short
      {4, 4, 1, 24, 2, std::string(64, '\0'), false, 0}, // rows narrower than the pixels
      {4, 4, 3, 3, 0, std::string(64, '\0'), false, 0},  // 9 bits a pixel
      {0, 4, 1, 8, 0, std::string(64, '\0'), false, 0},
      {40000, 40000, 1, 1, 0, std::string(64, '\0'), false, 0},
  };
  for (const auto &c : cases) {
    TBitmap b;
    EXPECT_EQ(b.loadFromRawBits(c.w, c.h, c.planes, c.bpp, c.widthBytes, c.bits), c.ok)
        << c.w << "x" << c.h << "x" << c.bpp;
    if (c.ok) {
      EXPECT_EQ(b.image().pixel(0, 0), c.first);
    }
  }
}

TEST(Graphics, Jpeg) {
  TJPEGImage j;
  ASSERT_TRUE(j.assignImage(sample(20, 10), 95));
  EXPECT_EQ(j.width(), 20);
  EXPECT_EQ(j.height(), 10);
  const std::string bytes = j.saveToBytes();
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_EQ(uint8_t(bytes[0]), 0xFF);
  TJPEGImage k;
  ASSERT_TRUE(k.loadFromBytes(bytes));
  EXPECT_EQ(k.saveToBytes(), bytes);
  // the same pixels as Qt's own decoder gives
  QImage ref;
  ASSERT_TRUE(ref.loadFromData(QByteArray(bytes.data(), qsizetype(bytes.size())), "JPG"));
  for (int y = 0; y < 10; y += 3)
    for (int x = 0; x < 20; x += 3) {
      QRgb p = k.image().pixel(x, y), q = ref.pixel(x, y);
      EXPECT_NEAR(qRed(p), qRed(q), 2);
      EXPECT_NEAR(qGreen(p), qGreen(q), 2);
      EXPECT_NEAR(qBlue(p), qBlue(q), 2);
    }
  TJPEGImage flat;
  QImage orange(16, 16, QImage::Format_RGB32);
  orange.fill(qRgb(250, 130, 20));
  ASSERT_TRUE(flat.assignImage(orange, 95));
  EXPECT_NEAR(qRed(flat.image().pixel(8, 8)), 250, 6);
  EXPECT_NEAR(qGreen(flat.image().pixel(8, 8)), 130, 6);
  EXPECT_NEAR(qBlue(flat.image().pixel(8, 8)), 20, 6);

  EXPECT_FALSE(k.loadFromBytes("not a jpeg at all"));
  EXPECT_TRUE(k.empty());
  EXPECT_FALSE(k.loadFromBytes(bytes.substr(0, 20)));
  // a header claiming a picture beyond the budget
  std::string big = bytes;
  size_t sof = big.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  big[sof + 5] = big[sof + 6] = big[sof + 7] = big[sof + 8] = char(0x7F);
  EXPECT_FALSE(k.loadFromBytes(big));
  auto c = j.clone();
  EXPECT_STREQ(c->className(), "TJPEGImage");
  EXPECT_EQ(c->width(), 20);
}

TEST(Graphics, Icon) {
  const std::string ico = saveAs(sample(16, 16), "ICO");
  ASSERT_FALSE(ico.empty());
  TIcon i;
  ASSERT_TRUE(i.loadFromBytes(ico));
  EXPECT_EQ(i.width(), 16);
  EXPECT_EQ(i.saveToBytes(), ico);
  std::string bad = ico;
  put32(bad, 6 + 12, uint32_t(ico.size())); // image offset past the end
  EXPECT_FALSE(i.loadFromBytes(bad));
  EXPECT_FALSE(i.loadFromBytes(ico.substr(0, 10)));
}

TEST(Graphics, Metafiles) {
  // enhanced: EMR_HEADER with a frame of 2540 x 1270 hundredths of a mm
  std::string emf(88, '\0');
  put32(emf, 0, 1);
  put32(emf, 4, 88);
  put32(emf, 32, 2540);
  put32(emf, 36, 1270);
  put32(emf, 40, 0x464D4520);
  TMetafile m;
  ASSERT_TRUE(m.loadFromBytes(emf));
  EXPECT_TRUE(m.enhanced());
  EXPECT_EQ(m.width(), 96);
  EXPECT_EQ(m.height(), 48);
  EXPECT_EQ(m.saveToBytes(), emf);
  QImage shown = m.toImage();
  ASSERT_FALSE(shown.isNull());
  EXPECT_EQ(shown.pixel(0, 0), invalidPictureImage().pixel(0, 0));

  // placeable Windows metafile: bounding box 0..720 at 1440 units an inch
  std::string wmf(22 + 18, '\0');
  put32(wmf, 0, 0x9AC6CDD7);
  wmf[10] = char(720 & 0xFF);
  wmf[11] = char(720 >> 8);
  wmf[12] = char(1440 & 0xFF);
  wmf[13] = char(1440 >> 8);
  wmf[14] = char(1440 & 0xFF);
  wmf[15] = char(1440 >> 8);
  wmf[22] = 1;
  wmf[24] = 9;
  wmf[27] = 3;
  ASSERT_TRUE(m.loadFromBytes(wmf));
  EXPECT_FALSE(m.enhanced());
  EXPECT_EQ(m.width(), 48);
  EXPECT_EQ(m.height(), 96);

  // A plain metafile sized from outside (as RTF gives it) is saved with
  // that size and reads back with it; the records stay as they were.
  const std::string plain = wmf.substr(22);
  ASSERT_TRUE(m.loadWindowsMetafileBits(plain, 120, 30));
  const std::string saved = m.saveToBytes();
  TMetafile back;
  ASSERT_TRUE(back.loadFromBytes(saved));
  EXPECT_EQ(back.width(), 120);
  EXPECT_EQ(back.height(), 30);
  EXPECT_EQ(back.data().substr(22), plain);
  EXPECT_EQ(back.saveToBytes(), saved);
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= uint16_t(uint8_t(saved[i]) | uint8_t(saved[i + 1]) << 8);
  EXPECT_EQ(uint16_t(uint8_t(saved[20]) | uint8_t(saved[21]) << 8), sum);

  EXPECT_FALSE(m.loadFromBytes("garbage"));
  std::string cut = emf;
  put32(cut, 4, 4000); // header record longer than the data
  EXPECT_FALSE(m.loadFromBytes(cut));
  EXPECT_EQ(m.singleBitmap(), nullptr);
}

TEST(Graphics, CreationByClassName) {
  for (const char *name : {"TBitmap", "TJPEGImage", "TIcon", "TMetafile"}) {
    auto g = createGraphic(name);
    ASSERT_NE(g, nullptr) << name;
    EXPECT_STREQ(g->className(), name);
    EXPECT_TRUE(g->empty());
  }
  EXPECT_EQ(createGraphic("TPNGObject"), nullptr);
  registerGraphicClass("TTestGraphic", [] { return std::unique_ptr<TGraphic>(new TBitmap()); });
  EXPECT_NE(createGraphic("TTestGraphic"), nullptr);
}

TEST(Graphics, InvalidPictureAndTransparency) {
  auto bad = makeInvalidPicture();
  ASSERT_FALSE(bad->empty());
  EXPECT_EQ(bad->image(), invalidPictureImage());

  QImage img(2, 1, QImage::Format_RGB32);
  img.setPixel(0, 0, qRgb(255, 0, 0));
  img.setPixel(1, 0, qRgb(0, 255, 0));
  TBitmap b(img);
  b.transparent = true;
  b.transparentMode = 1;
  b.transparentColor = 0x0000FF; // red in the platform's byte order
  QImage out = b.toImage();
  EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
  EXPECT_EQ(out.pixel(1, 0), qRgb(0, 255, 0));
}
