#include "widgets/KcGIF.h"
#include "widgets/support/GifBytes.h"

#include <QBuffer>
#include <gtest/gtest.h>
#include <random>

using namespace kc;
using gifbytes::errorOf;
using gifbytes::indices;

namespace {

QImage paletteImage(int w, int h, int colors, unsigned seed) {
  QImage img(w, h, QImage::Format_Indexed8);
  QList<QRgb> table;
  for (int i = 0; i < colors; ++i) table.append(qRgb(i, 255 - i, (i * 7) & 255));
  img.setColorTable(table);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.scanLine(y)[x] = uchar(rng() % unsigned(colors));
  return img;
}

// Walks the codes of image data the way any GIF reader must: returns the
// number of clear codes, and whether the end code was read where the data
// ends.
struct CodeWalk {
  int clears = 0;
  bool cleanEnd = false;
};
CodeWalk walk(const std::string &data) {
  CodeWalk w;
  const int s = uint8_t(data[0]);
  std::string bytes;
  for (size_t p = 1; p < data.size();) {
    const size_t n = uint8_t(data[p++]);
    if (n == 0) break;
    bytes += data.substr(p, n);
    p += n;
  }
  const int clear = 1 << s, end = clear + 1;
  int size = s + 1, freeCode = clear + 2;
  bool first = true;
  uint64_t bit = 0;
  for (;;) {
    if (bit + uint64_t(size) > bytes.size() * 8) return w;
    int code = 0;
    for (int i = 0; i < size; ++i, ++bit) code |= ((uint8_t(bytes[bit >> 3]) >> (bit & 7)) & 1) << i;
    if (code == clear) {
      ++w.clears;
      size = s + 1;
      freeCode = clear + 2;
      first = true;
      continue;
    }
    if (code == end) {
      w.cleanEnd = (bit + 7) / 8 == bytes.size();
      return w;
    }
    if (!first && freeCode < 4096 && ++freeCode == (1 << size) && size < 12) ++size;
    first = false;
  }
}

} // namespace

TEST(KcGIFWriter, VersionRules) {
  struct Case {
    const char *name;
    std::function<void(TKcGIFImage &)> setup;
    const char *version;
  } cases[] = {
      {"plain", [](TKcGIFImage &) {}, "GIF87a"},
      {"comment", [](TKcGIFImage &g) { g.Comment().push_back("hi"); }, "GIF89a"},
      {"delay", [](TKcGIFImage &g) { g.Frames(0).AnimateInterval = 100; }, "GIF89a"},
      {"second frame", [](TKcGIFImage &g) { g.AddFrame(paletteImage(3, 3, 4, 2)); }, "GIF89a"},
  };
  for (const Case &c : cases) {
    TKcGIFImage img;
    img.Assign(paletteImage(5, 4, 4, 1));
    c.setup(img);
    const std::string out = img.SaveToBytes();
    EXPECT_EQ(out.substr(0, 6), c.version) << c.name;
  }
}

TEST(KcGIFWriter, LoopExtensionOnlyWithSeveralFrames) {
  TKcGIFImage img;
  img.Assign(paletteImage(4, 4, 4, 1));
  img.SetLooping(true);
  img.SetRepeatCount(0x1234);
  EXPECT_EQ(img.SaveToBytes().find("NETSCAPE2.0"), std::string::npos);
  img.AddFrame(paletteImage(4, 4, 4, 2));
  const std::string out = img.SaveToBytes();
  const size_t at = out.find("NETSCAPE2.0");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(out.substr(at + 11, 5), std::string("\x03\x01\x34\x12\x00", 5));
}

TEST(KcGIFWriter, LongCommentLineIsCut) {
  TKcGIFImage img;
  img.Assign(paletteImage(2, 2, 2, 1));
  img.Comment().push_back(std::string(300, 'c'));
  img.Comment().push_back("");
  const std::string out = img.SaveToBytes();
  const size_t at = out.rfind("!\xFE");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(uint8_t(out[at + 2]), 255);
  EXPECT_EQ(out.substr(at + 3, 255), std::string(255, 'c'));
  EXPECT_EQ(out.substr(at + 258), std::string("\0;", 2));
}

TEST(KcGIFWriter, MinimumCodeSizeFollowsBitmapDepth) {
  struct Case {
    QImage bmp;
    int codeSize;
  } cases[] = {
      {paletteImage(9, 3, 2, 1), 2},
      {QImage(9, 3, QImage::Format_Mono), 2},
      {paletteImage(9, 3, 16, 1), 4},
      {paletteImage(9, 3, 256, 1), 8},
  };
  cases[1].bmp.fill(1);
  for (const Case &c : cases) {
    TKcGIFImage img;
    img.Assign(c.bmp);
    TKcGIFImage back;
    back.LoadFromBytes(img.SaveToBytes());
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(uint8_t((*back.Frames(0).Item->ImageData)[0]), c.codeSize);
  }
}

TEST(KcGIFWriter, RoundTripOfManyShapes) {
  // Sizes around the code-width boundaries, noise of 2, 16 and 256 colours,
  // plain and interlaced.
  for (int colors : {2, 16, 256})
    for (int w : {1, 7, 33, 160, 300})
      for (int h : {1, 5, 300}) {
        const QImage src = paletteImage(w, h, colors, unsigned(w * 1000 + h));
        TKcGIFImage img;
        img.Assign(src);
        const std::string out = img.SaveToBytes();
        TKcGIFImage back;
        back.LoadFromBytes(out);
        ASSERT_EQ(back.Count(), 1);
        EXPECT_FALSE(back.Frames(0).Corrupted);
        EXPECT_EQ(indices(back.Frames(0).Bitmap()), indices(src)) << colors << " " << w << "x" << h;
        const CodeWalk cw = walk(*back.Frames(0).Item->ImageData);
        EXPECT_TRUE(cw.cleanEnd) << colors << " " << w << "x" << h;
        if (colors == 256 && w * h >= 300 * 300) {
          EXPECT_GT(cw.clears, 2) << "the code table fills up and starts again";
        }
      }
}

TEST(KcGIFWriter, EndCodeWidthAtEveryLength) {
  for (int n = 1; n < 700; ++n) {
    std::vector<uint8_t> px(static_cast<size_t>(n));
    std::mt19937 rng(static_cast<unsigned>(n));
    for (auto &p : px) p = uint8_t(rng() & 1);
    std::string data;
    LZWEncode(px.data(), n, 8, n, 1, false, data);
    EXPECT_TRUE(walk(data).cleanEnd) << n;
  }
}

TEST(KcGIFWriter, GraphicControlFromFrameProperties) {
  TKcGIFImage img;
  img.Assign(paletteImage(4, 4, 4, 1));
  TKcGIFFrame &f = img.Frames(0);
  f.AnimateInterval = 125;
  f.DisposalMethod = 2;
  f.SetTransparentColor(qRgb(2, 253, 14)); // entry 2 of the table
  TKcGIFImage back;
  back.LoadFromBytes(img.SaveToBytes());
  EXPECT_EQ(back.Frames(0).AnimateInterval, 120);
  EXPECT_EQ(back.Frames(0).DisposalMethod, 2);
  EXPECT_EQ(back.Frames(0).TransparentIndex(), 2);

  back.Frames(0).SetTransparentColor(qRgb(1, 1, 1)); // not in the table
  TKcGIFImage again;
  again.LoadFromBytes(back.SaveToBytes());
  EXPECT_EQ(again.Frames(0).TransparentIndex(), -1);
}

TEST(KcGIFWriter, TransparentIndexWinsOverAnEqualColour) {
  // Entries 0 and 1 have the same colour; index 1 is the transparent one.
  std::string s = "GIF89a";
  gifbytes::le16(s, 2);
  gifbytes::le16(s, 1);
  s += std::string("\x80\x00\x00", 3) + std::string("\x10\x20\x30\x10\x20\x30", 6);
  s += gifbytes::gce(0, 0, 1) + gifbytes::descriptor(0, 0, 2, 1) + gifbytes::solidData(2, 1, 1) + ";";
  TKcGIFImage img;
  img.LoadFromBytes(s);
  ASSERT_EQ(img.Frames(0).TransparentIndex(), 1);
  img.Frames(0).Item->ImageData.reset(); // encode again from the bitmap
  TKcGIFImage back;
  back.LoadFromBytes(img.SaveToBytes());
  EXPECT_EQ(back.Frames(0).TransparentIndex(), 1);
}

TEST(KcGIFWriter, Validation) {
  TKcGIFImage none;
  EXPECT_EQ(errorOf([&] { none.SaveToBytes(); }), "No GIF Data to write");

  TKcGIFImage empty;
  empty.AddFrame(QImage());
  EXPECT_EQ(errorOf([&] { empty.SaveToBytes(); }), "No GIF Data to write");

  TKcGIFImage odd;
  odd.Assign(paletteImage(4, 4, 4, 1));
  odd.SaveToBytes();
  odd.Frames(0).LocalColors = true;
  odd.Frames(0).Item->ColorMap.Count = 5;
  EXPECT_EQ(errorOf([&] { odd.SaveToBytes(); }), "Wrong number of colors; must be a power of 2");

  TKcGIFImage wide;
  wide.Assign(paletteImage(1000, 1, 4, 1));
  wide.Frames(0).Origin = QPoint(65000, 0);
  EXPECT_EQ(errorOf([&] { wide.SaveToBytes(); }), "GIF image encoding error");

  // Nothing reaches the stream when writing fails.
  QBuffer buf;
  buf.open(QIODevice::WriteOnly);
  EXPECT_NE(errorOf([&] { wide.SaveToStream(buf); }), "");
  EXPECT_EQ(buf.size(), 0);
}

TEST(KcGIFWriter, TrueColourBitmapsAreReduced) {
  QImage rgb(6, 2, QImage::Format_RGB32);
  const QRgb colors[3] = {qRgb(255, 0, 0), qRgb(10, 200, 30), qRgb(255, 255, 255)};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 6; ++x) rgb.setPixel(x, y, colors[(x + y) % 3]);
  TKcGIFImage img;
  img.Assign(rgb);
  TKcGIFImage back;
  back.LoadFromBytes(img.SaveToBytes());
  const QImage &bmp = back.Frames(0).Bitmap();
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(bmp.pixel(x, y), colors[(x + y) % 3]);

  img.Frames(0).Grayscale = true;
  img.Frames(0).Item->ImageData.reset();
  img.SharedData().ColorMap.Count = 0;
  TKcGIFImage grey;
  grey.LoadFromBytes(img.SaveToBytes());
  EXPECT_EQ(qRed(grey.Frames(0).Bitmap().pixel(0, 0)), 76);
  EXPECT_EQ(qGreen(grey.Frames(0).Bitmap().pixel(0, 0)), 76);

  // A grayscale reduction, also as the process default, marks the frame.
  for (int method : {int(crHistogram), int(crMedianCut), int(crGrayscale)}) {
    DefaultColorReduction = method;
    TKcGIFImage byDefault;
    byDefault.Assign(rgb);
    byDefault.SaveToBytes();
    DefaultColorReduction = crHistogram;
    EXPECT_EQ(byDefault.Frames(0).Grayscale, method == crGrayscale) << method;
  }
}

TEST(KcGIFImageAssign, ImagesFramesAndBitmaps) {
  TKcGIFImage src;
  src.Assign(paletteImage(5, 3, 4, 1));
  src.AddFrame(paletteImage(2, 2, 4, 2));
  src.Frames(1).Origin = QPoint(4, 4);
  src.Frames(1).AnimateInterval = 300;
  src.SetLooping(true);
  src.SaveToBytes();

  int changes = 0;
  TKcGIFImage copy;
  copy.OnChange = [&] { ++changes; };
  copy.Assign(src);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_TRUE(copy.Looping());
  EXPECT_EQ(copy.ScreenWidth(), 6);
  EXPECT_EQ(copy.ScreenHeight(), 6);
  EXPECT_EQ(copy.Frames(1).AnimateInterval, 300);
  EXPECT_EQ(&copy.SharedData(), &src.SharedData());

  TKcGIFImage one;
  one.Assign(src.Frames(1));
  EXPECT_EQ(one.Count(), 1);
  EXPECT_EQ(one.FrameIndex(), 0);
  EXPECT_GE(one.Version(), 1);
  EXPECT_TRUE(one.Frames(0).LocalColors) << "a frame of another image carries its own table";
  TKcGIFImage back;
  back.LoadFromBytes(one.SaveToBytes());
  EXPECT_EQ(indices(back.Frames(0).Bitmap()), indices(paletteImage(2, 2, 4, 2)));

  QImage out;
  src.SetFrameIndex(1);
  src.AssignTo(out);
  EXPECT_EQ(out.size(), QSize(2, 2));

  // An image assigned from one of its own frames or their bitmaps.
  TKcGIFImage self;
  self.Assign(src);
  self.Assign(self.Frames(1));
  ASSERT_EQ(self.Count(), 1);
  EXPECT_EQ(indices(self.Frames(0).Bitmap()), indices(paletteImage(2, 2, 4, 2)));
  self.Assign(self.GetBitmap());
  ASSERT_EQ(self.Count(), 1);
  EXPECT_EQ(indices(self.Frames(0).Bitmap()), indices(paletteImage(2, 2, 4, 2)));

  copy.Clear();
  EXPECT_EQ(copy.Count(), 0);
  EXPECT_EQ(changes, 2);
}

TEST(KcGIFImageAssign, TransparentPaletteBitmapGivesItsEntry) {
  QImage keyed = paletteImage(4, 2, 4, 5);
  keyed.setColor(2, keyed.color(2) & 0x00FFFFFFu);
  struct Case {
    const char *name;
    QImage bmp;
    int index;
  } cases[] = {{"transparent entry", keyed, 2}, {"opaque", paletteImage(4, 2, 4, 5), -1}};
  for (const Case &c : cases) {
    TKcGIFImage img;
    img.Assign(c.bmp);
    EXPECT_EQ(img.Frames(0).TransparentIndex(), c.index) << c.name;
    TKcGIFImage back;
    back.LoadFromBytes(img.SaveToBytes());
    EXPECT_EQ(back.Frames(0).TransparentIndex(), c.index) << c.name;
    EXPECT_EQ(indices(back.Frames(0).Bitmap()), indices(c.bmp)) << c.name;
    QImage out;
    back.AssignTo(out);
    EXPECT_EQ(out.hasAlphaChannel(), c.index >= 0) << c.name;
  }
}

TEST(KcGIFImage, ProgressOfDecodingAndEncoding) {
  // Data of several sub-blocks, so that cutting it keeps some.
  const std::string data = gifbytes::solidData(600, 600);
  const std::string file = gifbytes::header(600, 600, 2) + gifbytes::descriptor(0, 0, 600, 600) + data;
  using Step = std::function<void(TKcGIFImage &)>;
  const Step decode = [](TKcGIFImage &g) { g.Frames(0).Bitmap(); };
  const Step loadCut = [&](TKcGIFImage &g) { g.LoadFromBytes(file.substr(0, file.size() - data.size() / 2), false); };
  struct Case {
    const char *name;
    Step load, run;
    int end;
    std::string message;
  } cases[] = {
      {"decoding", [&](TKcGIFImage &g) { g.LoadFromBytes(file + ";", false); }, decode, 100, ""},
      // A damaged frame decodes as far as it goes, unless damage is not
      // tolerated.
      {"decoding cut data", loadCut, decode, 100, ""},
      {"decoding cut data, not tolerated", loadCut,
       [](TKcGIFImage &g) {
         TolerateCorruptGIF = false;
         struct Restore {
           ~Restore() { TolerateCorruptGIF = true; }
         } restore;
         g.Frames(0).Bitmap();
       },
       0, "Stream read error"},
      {"encoding", [](TKcGIFImage &g) { g.Assign(paletteImage(30, 50, 16, 3)); },
       [](TKcGIFImage &g) { g.SaveToBytes(); }, 100, ""},
  };
  for (const Case &c : cases) {
    TKcGIFImage img;
    c.load(img);
    std::vector<std::pair<TProgressStage, int>> seen;
    std::string message;
    img.OnProgress = [&](TProgressStage stage, int percent, const std::string &msg) {
      seen.emplace_back(stage, percent);
      message = msg;
    };
    EXPECT_EQ(errorOf([&] { c.run(img); }), c.message) << c.name;
    ASSERT_GE(seen.size(), 3u) << c.name;
    EXPECT_EQ(seen.front(), std::make_pair(TProgressStage::psStarting, 0)) << c.name;
    EXPECT_EQ(seen.back(), std::make_pair(TProgressStage::psEnding, c.end)) << c.name;
    EXPECT_EQ(message, c.message) << c.name;
    for (size_t i = 1; i + 1 < seen.size(); ++i) {
      EXPECT_EQ(seen[i].first, TProgressStage::psRunning) << c.name;
      EXPECT_GT(seen[i].second, i > 1 ? seen[i - 1].second : -1) << c.name;
      EXPECT_LE(seen[i].second, 100) << c.name;
    }
  }
}

TEST(KcGIFGraphic, CreatedByClassNameAndStreamedAsTheFile) {
  RegisterKcGIFGraphic();
  std::unique_ptr<TGraphic> g = createGraphic("TKcGIFImage");
  ASSERT_NE(g, nullptr);
  EXPECT_FALSE(g->loadFromBytes("GIF90a")) << "a damaged picture stays empty";
  EXPECT_TRUE(g->empty());
  TKcGIFImage src;
  src.Assign(paletteImage(7, 3, 4, 9));
  ASSERT_TRUE(g->loadFromBytes(src.SaveToBytes()));
  EXPECT_EQ(g->width(), 7);
  EXPECT_EQ(g->height(), 3);
  std::unique_ptr<TGraphic> copy = g->clone();
  TKcGIFImage back;
  back.LoadFromBytes(copy->saveToBytes());
  EXPECT_EQ(indices(back.Frames(0).Bitmap()), indices(paletteImage(7, 3, 4, 9)));
  const QImage drawn = g->toImage();
  EXPECT_EQ(drawn.pixel(1, 0), paletteImage(7, 3, 4, 9).pixel(1, 0));
}
