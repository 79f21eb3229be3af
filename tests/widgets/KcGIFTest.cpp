#include "widgets/KcGIF.h"
#include "widgets/KcGIFCompose.h"
#include "widgets/support/GifBytes.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace kc;
using namespace gifbytes;

namespace {

// A 2x1 picture of index 1 with a 2-bit global table.
std::string tiny(const char *version = "GIF89a") {
  return header(2, 1, 2, version) + descriptor(0, 0, 2, 1) + solidData(2, 1) + ";";
}

} // namespace

TEST(KcGIFReader, SignatureAndVersion) {
  struct Case {
    const char *version;
    int expected; // 0: fails
  } cases[] = {{"GIF89a", 2}, {"gif89a", 2}, {"GiF87A", 1}, {"GIF90a", 0}, {"PNG89a", 0}};
  for (const Case &c : cases) {
    TKcGIFImage img;
    const std::string err = errorOf([&] { img.LoadFromBytes(tiny(c.version)); });
    if (c.expected) {
      EXPECT_EQ(err, "") << c.version;
      EXPECT_EQ(img.Version(), c.expected) << c.version;
    } else {
      EXPECT_EQ(err, "Unknown GIF version") << c.version;
    }
  }
}

TEST(KcGIFReader, MissingTrailerLoadsCompletely) {
  std::string s = tiny();
  s.pop_back();
  TKcGIFImage img;
  img.LoadFromBytes(s);
  ASSERT_EQ(img.Count(), 1);
  EXPECT_FALSE(img.Frames(0).Corrupted);
  EXPECT_EQ(indices(img.Frames(0).Bitmap()), (std::vector<int>{1, 1}));
}

TEST(KcGIFReader, CutDataKeepsWhatWasDecoded) {
  // 64 x 64 pixels of indices 1 to 3, many sub-blocks of data.
  std::vector<uint8_t> pixels;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) pixels.push_back(uint8_t((x * y + x / 3) % 3 + 1));
  std::string data;
  LZWEncode(pixels.data(), 64, 8, 64, 64, false, data);
  ASSERT_GT(data.size(), 2 * 256u);
  struct Case {
    const char *name;
    std::string file;
  } cases[] = {
      {"file ends inside a sub-block", header(64, 64, 2) + descriptor(0, 0, 64, 64) + data.substr(0, data.size() / 2)},
      {"file ends between sub-blocks", header(64, 64, 2) + descriptor(0, 0, 64, 64) + data.substr(0, 1 + 256)},
      {"terminator comes early",
       header(64, 64, 2) + descriptor(0, 0, 64, 64) + data.substr(0, 1 + 256) + std::string(1, '\0') + ";"},
  };
  for (const Case &c : cases) {
    TKcGIFImage img;
    img.LoadFromBytes(c.file);
    ASSERT_EQ(img.Count(), 1) << c.name;
    const QImage &bmp = img.Frames(0).Bitmap();
    EXPECT_TRUE(img.Frames(0).Corrupted) << c.name;
    ASSERT_EQ(bmp.size(), QSize(64, 64)) << c.name;
    const std::vector<int> px = indices(bmp);
    EXPECT_EQ(std::vector<int>(px.begin(), px.begin() + 128), std::vector<int>(pixels.begin(), pixels.begin() + 128))
        << c.name << ": the first rows are there";
    EXPECT_EQ(px.back(), 0) << c.name << ": pixels never decoded stay index 0";
  }
}

// A damaged frame in the middle of an animation: it is decoded once, as far
// as it goes, and the frames after it are composed on it.
TEST(KcGIFReader, DamagedFrameIsDecodedOnceAndComposedOn) {
  const std::string s = header(4, 2, 2) + descriptor(0, 0, 4, 2) + solidData(4, 2, 1) + descriptor(0, 0, 4, 2) +
                        codes(2, {{4, 3}, {2, 3}, {2, 3}}) + descriptor(3, 1, 1, 1) + solidData(1, 1, 3) + ";";
  TKcGIFImage img;
  std::vector<int> decodes;
  int frame = -1;
  img.OnProgress = [&](TProgressStage stage, int, const std::string &) {
    if (stage == TProgressStage::psStarting) decodes.push_back(frame);
  };
  img.LoadFromBytes(s, false);
  ASSERT_EQ(img.Count(), 3);
  for (frame = 0; frame < 3; ++frame) img.Frames(frame).Bitmap();
  TGIFComposer composer;
  for (int round = 0; round < 2; ++round)
    for (int n = 0; n < 3; ++n) {
      composer.Drop();
      composer.Compose(img, n, 0xFFFFFFFFu, false);
    }
  EXPECT_EQ(img.Frames(1).Bitmap().size(), QSize(4, 2));
  EXPECT_EQ(decodes, (std::vector<int>{0, 1, 2})) << "each frame decoded exactly once";
  EXPECT_FALSE(img.Frames(0).Corrupted);
  EXPECT_TRUE(img.Frames(1).Corrupted);

  const QImage &pic = composer.Compose(img, 2, 0xFFFFFFFFu, false);
  std::vector<int> grey;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) grey.push_back(qRed(pic.pixel(x, y)));
  EXPECT_EQ(grey, (std::vector<int>{2, 2, 0, 0, 0, 0, 0, 3}));
}

TEST(KcGIFReader, ClampedCodeSizeLeavesAtMostOnePixel) {
  for (int size : {1, 12}) {
    // With the clamped size (2 or 9) the codes are clear, literal 1, literal 1.
    const int clear = size < 2 ? 4 : 512;
    const int w = size < 2 ? 3 : 10;
    std::string data = codes(size, {{clear, w}, {1, w}, {1, w}, {1, w}});
    TKcGIFImage img;
    img.LoadFromBytes(header(3, 1, 2) + descriptor(0, 0, 3, 1) + data + ";");
    ASSERT_EQ(img.Count(), 1);
    const QImage &bmp = img.Frames(0).Bitmap();
    EXPECT_TRUE(img.Frames(0).Corrupted) << size;
    EXPECT_EQ(indices(bmp), (std::vector<int>{1, 0, 0})) << size;
  }
}

TEST(KcGIFReader, LoopExtensions) {
  struct Case {
    std::string app;
    std::string block;
    bool looping;
    int count;
  } cases[] = {
      {"NETSCAPE2.0", std::string("\x01\x50\xC3", 3), true, 30000},
      {"ANIMEXTS1.0", std::string("\x01\x05\x00", 3), true, 5},
      {"NETSCAPE2.0", std::string("\x01\x00\x00", 3), true, 0},
      {"XMPDataXMP!", std::string("\x01\x05\x00", 3), false, 1},
      {"NETSCAPE2.0", std::string("\x02\x05\x00", 3), false, 1},
  };
  for (const Case &c : cases) {
    std::string ext = "!\xFF\x0B" + c.app;
    ext.push_back(char(c.block.size()));
    ext += c.block;
    ext.push_back(0);
    const std::string s = header(2, 1, 2) + ext + descriptor(0, 0, 2, 1) + solidData(2, 1) + ";";
    TKcGIFImage img;
    img.LoadFromBytes(s);
    EXPECT_EQ(img.Looping(), c.looping) << c.app;
    EXPECT_EQ(img.RepeatCount(), c.count) << c.app;
    EXPECT_EQ(img.Count(), 1);
    EXPECT_FALSE(img.Frames(0).Extensions.has_value()) << "application blocks are not kept";
  }
}

TEST(KcGIFReader, GraphicControlLongestDelayLastDisposal) {
  const std::string s = header(2, 1, 2) + gce(5, 1) + gce(20, 2) + descriptor(0, 0, 2, 1) + solidData(2, 1) + ";";
  TKcGIFImage img;
  img.LoadFromBytes(s);
  ASSERT_EQ(img.Count(), 1);
  EXPECT_EQ(img.Frames(0).AnimateInterval, 200);
  EXPECT_EQ(img.Frames(0).DisposalMethod, 2);
}

TEST(KcGIFReader, DelaysUpToTheFormatsLimitAreKept) {
  // The delay field of the file after writing the image again.
  auto writtenDelay = [](TKcGIFImage &img) {
    const std::string out = img.SaveToBytes();
    const size_t at = out.find("!\xF9\x04");
    return at == std::string::npos ? -1 : uint8_t(out[at + 4]) | uint8_t(out[at + 5]) << 8;
  };
  struct Case {
    const char *name;
    int centiseconds;
    uint32_t ms;
  } cases[] = {{"one second", 100, 1000}, {"100 seconds", 10000, 100000}, {"the longest", 65535, 655350}};
  for (const Case &c : cases) {
    TKcGIFImage img;
    img.LoadFromBytes(header(2, 1, 2) + gce(c.centiseconds, 0) + descriptor(0, 0, 2, 1) + solidData(2, 1) + ";");
    EXPECT_EQ(img.Frames(0).AnimateInterval, c.ms) << c.name;
    EXPECT_EQ(writtenDelay(img), c.centiseconds) << c.name;
  }
  // Longer than a file can say: the longest it can.
  TKcGIFImage img;
  img.LoadFromBytes(header(2, 1, 2) + gce(1, 0) + descriptor(0, 0, 2, 1) + solidData(2, 1) + ";");
  img.Frames(0).AnimateInterval = 1000000;
  EXPECT_EQ(writtenDelay(img), 65535);
}

TEST(KcGIFReader, GraphicControlHonoursItsSizeByte) {
  // A block of 6 bytes plus an extra sub-block, then the image: the image
  // must still be found and the fields taken from the block's start.
  std::string ext = "!\xF9\x06";
  ext += std::string("\x09\x0A\x00\x02\xEE\xEE", 6);
  ext += std::string("\x02zz\x00", 4);
  const std::string s = header(2, 1, 2) + ext + descriptor(0, 0, 2, 1) + solidData(2, 1) + ";";
  TKcGIFImage img;
  img.LoadFromBytes(s);
  ASSERT_EQ(img.Count(), 1);
  EXPECT_EQ(img.Frames(0).AnimateInterval, 100);
  EXPECT_EQ(img.Frames(0).DisposalMethod, 2);
  EXPECT_EQ(img.Frames(0).TransparentIndex(), 2);
  EXPECT_EQ(indices(img.Frames(0).Bitmap()), (std::vector<int>{1, 1}));
}

TEST(KcGIFReader, TransparentIndexAtColourCountIsNone) {
  for (int t : {3, 4}) {
    const std::string s = header(2, 1, 2) + gce(0, 0, t) + descriptor(0, 0, 2, 1) + solidData(2, 1) + ";";
    TKcGIFImage img;
    img.LoadFromBytes(s);
    EXPECT_EQ(img.Frames(0).TransparentIndex(), t < 4 ? t : -1);
    EXPECT_EQ(img.Frames(0).TransparentColor().has_value(), t < 4);
  }
}

TEST(KcGIFReader, CommentsAfterLastImageAndBeforeAnImage) {
  auto comment = [](const std::string &text) {
    return "!\xFE" + std::string(1, char(text.size())) + text + std::string(1, '\0');
  };
  const std::string before = comment("pre");
  const std::string after1 = comment("first");
  const std::string after2 = comment("second");
  const std::string s = header(2, 1, 2) + before + descriptor(0, 0, 2, 1) + solidData(2, 1) + after1 + after2 + ";";
  TKcGIFImage img;
  img.LoadFromBytes(s);
  EXPECT_EQ(img.Comment(), (std::vector<std::string>{"first", "\r\n\r\n", "second"}));
  ASSERT_TRUE(img.Frames(0).Extensions.has_value());
  ASSERT_EQ(img.Frames(0).Extensions->size(), 1u);
  EXPECT_EQ(img.Frames(0).Extensions->front().ExtType, geComment);
  EXPECT_EQ(*img.Frames(0).Extensions->front().Data, (std::vector<std::string>{"pre"}));
}

TEST(KcGIFReader, ZeroSizeTakesScreenAndNoTableFailsToDecode) {
  TKcGIFImage img;
  img.LoadFromBytes(header(3, 2, 2) + descriptor(0, 0, 0, 0) + solidData(3, 2) + ";");
  EXPECT_EQ(img.Frames(0).Width(), 3);
  EXPECT_EQ(img.Frames(0).Height(), 2);

  TKcGIFImage bare;
  bare.LoadFromBytes(header(3, 2, 0) + descriptor(0, 0, 3, 2) + solidData(3, 2) + ";");
  ASSERT_EQ(bare.Count(), 1);
  EXPECT_EQ(errorOf([&] { bare.Frames(0).Bitmap(); }), "Wrong number of colors; must be a power of 2");
}

TEST(KcGIFReader, UnknownExtensionsArePassedOver) {
  const std::string unknown = std::string("!\x42\x05"
                                          "hello"
                                          "\x03"
                                          "abc",
                                          12) +
                              std::string(1, '\0');
  const std::string image = descriptor(0, 0, 2, 1) + solidData(2, 1);
  struct Case {
    const char *name;
    std::string file;
    int frames;
  } cases[] = {
      {"before the graphic control", header(2, 1, 2) + unknown + gce(20, 2) + image + ";", 1},
      {"between graphic control and image", header(2, 1, 2) + gce(20, 2) + unknown + image + ";", 1},
      {"label 00", header(2, 1, 2) + gce(20, 2) + std::string("!\0\x01z\0", 5) + image + ";", 1},
      {"between frames", header(2, 1, 2) + gce(20, 2) + image + unknown + gce(20, 2) + image + ";", 2},
      {"cut at the end of the file", header(2, 1, 2) + gce(20, 2) + image + "!\x42\x05he", 1},
  };
  for (const Case &c : cases) {
    TKcGIFImage img;
    EXPECT_EQ(errorOf([&] { img.LoadFromBytes(c.file); }), "") << c.name;
    ASSERT_EQ(img.Count(), c.frames) << c.name;
    for (int i = 0; i < c.frames; ++i) {
      const TKcGIFFrame &f = img.Frames(i);
      EXPECT_EQ(f.AnimateInterval, 200u) << c.name;
      EXPECT_EQ(f.DisposalMethod, 2) << c.name;
      ASSERT_TRUE(f.Extensions.has_value()) << c.name;
      EXPECT_EQ(f.Extensions->size(), 1u) << c.name << ": the unknown block is not kept";
      EXPECT_EQ(indices(img.Frames(i).Bitmap()), (std::vector<int>{1, 1})) << c.name;
    }
    EXPECT_TRUE(img.Comment().empty()) << c.name;
  }
}

TEST(KcGIFReader, Errors) {
  struct Case {
    std::string bytes;
    const char *error;
  } cases[] = {
      {header(2, 1, 2) + "\x07" + descriptor(0, 0, 2, 1), "Stream read error"},
      {std::string("GIF89a\x01", 7), "Stream read error"},
      {header(2, 1, 2) + descriptor(0, 0, 2, 1, 0x87) + "abc", "Stream read error"},
  };
  for (const Case &c : cases) {
    TKcGIFImage img;
    EXPECT_EQ(errorOf([&] { img.LoadFromBytes(c.bytes); }), c.error);
  }
}

// Real files reuse the transparent entry's colour for opaque pixels: only the
// pixels of the transparent index are transparent.
TEST(KcGIFFaults, TransparencyByIndexNotColour) {
  std::string s = "GIF89a";
  le16(s, 4);
  le16(s, 1);
  s.push_back(char(0x81)); // 4 colours
  s.push_back(0);
  s.push_back(0);
  s += std::string("\xFF\x00\x00", 3) + std::string("\xFF\x00\x00", 3) + std::string("\x00\xFF\x00", 3) +
       std::string(3, '\0');
  s += gce(0, 0, 1);
  s += descriptor(0, 0, 4, 1);
  s += codes(2, {{4, 3}, {0, 3}, {1, 3}, {0, 3}, {2, 4}, {5, 4}});
  s += ";";
  TKcGIFImage img;
  img.LoadFromBytes(s);
  ASSERT_EQ(img.Count(), 1);
  EXPECT_EQ(indices(img.Frames(0).Bitmap()), (std::vector<int>{0, 1, 0, 2}));
  TGIFComposer composer;
  const QImage &pic = composer.Compose(img, 0, 0xFFFFFFFFu, true);
  const QRgb *row = reinterpret_cast<const QRgb *>(pic.constScanLine(0));
  EXPECT_EQ(row[0], 0xFFFF0000u);
  EXPECT_EQ(qAlpha(row[1]), 0);
  EXPECT_EQ(row[2], 0xFFFF0000u);
  EXPECT_EQ(row[3], 0xFF00FF00u);
}

TEST(KcGIFFaults, LzwCodesAndLiterals) {
  // A table of 256 colours but minimum code size 2: clear 4, end 5, and
  // codes from 6 on are table entries, never literals.
  struct Case {
    const char *name;
    std::string data;
    std::vector<int> pixels;
    bool corrupt;
  } cases[] = {
      // clear, 1, 6 (the string being defined: 1 1), end
      {"pending code", codes(2, {{4, 3}, {1, 3}, {6, 3}, {5, 3}}), {1, 1, 1, 0}, false},
      // clear, 1, 7 (above the next free code 6)
      {"code above free", codes(2, {{4, 3}, {1, 3}, {7, 3}, {5, 3}}), {1, 0, 0, 0}, true},
      // no clear code first: decodes as if there were one (1, 2, 6 = 1 2)
      {"first not clear", codes(2, {{1, 3}, {2, 3}, {6, 3}, {5, 4}}), {1, 2, 1, 2}, false},
      // first code after a clear is a table code
      {"table code first", codes(2, {{4, 3}, {6, 3}, {5, 3}}), {0, 0, 0, 0}, true},
      // clear, clear, 3, 2, end: a second clear is fine
      {"double clear", codes(2, {{4, 3}, {4, 3}, {3, 3}, {2, 3}, {5, 3}}), {3, 2, 0, 0}, false},
  };
  for (const Case &c : cases) {
    const std::string s = header(4, 1, 8) + descriptor(0, 0, 4, 1) + c.data + ";";
    TKcGIFImage img;
    img.LoadFromBytes(s);
    ASSERT_EQ(img.Count(), 1) << c.name;
    EXPECT_EQ(indices(img.Frames(0).Bitmap()), c.pixels) << c.name;
    EXPECT_EQ(img.Frames(0).Corrupted, c.corrupt) << c.name;
  }
}

TEST(KcGIFFaults, CorruptDataFailsWhenNotTolerated) {
  TolerateCorruptGIF = false;
  const std::string s = header(4, 1, 8) + descriptor(0, 0, 4, 1) + codes(2, {{4, 3}, {1, 3}, {7, 3}}) + ";";
  TKcGIFImage img;
  img.LoadFromBytes(s, false);
  EXPECT_EQ(errorOf([&] { img.Frames(0).Bitmap(); }), "GIF encoded data is corrupt");
  TolerateCorruptGIF = true;
}

TEST(KcGIFFaults, RowWritesStayInsideThePicture) {
  // 1-row and 2-row interlaced frames, and more codes than pixels.
  for (int h : {1, 2, 3, 5}) {
    const std::string s = header(3, h, 2) + descriptor(0, 0, 3, h, 0x40) + solidData(3, h + 4) + ";";
    TKcGIFImage img;
    img.LoadFromBytes(s);
    EXPECT_EQ(indices(img.Frames(0).Bitmap()), std::vector<int>(size_t(3 * h), 1)) << h;
  }
  // Zero-sized frame on a zero-sized screen.
  TKcGIFImage img;
  img.LoadFromBytes(header(0, 0, 2) + descriptor(0, 0, 0, 0) + solidData(1, 1) + ";");
  ASSERT_EQ(img.Count(), 1);
  EXPECT_TRUE(img.Frames(0).Bitmap().isNull());
}

TEST(KcGIFFaults, InterlacedRowsLandInPassOrder) {
  // 8 rows, row r of the data holds index r & 3 ... written through passes
  // 0, 4 | 2, 6 | 1, 3, 5, 7.
  std::vector<uint8_t> px;
  const int order[8] = {0, 4, 2, 6, 1, 3, 5, 7};
  for (int r : order) px.push_back(uint8_t(r));
  std::string data;
  LZWEncode(px.data(), 1, 8, 1, 8, false, data);
  TKcGIFImage img;
  img.LoadFromBytes(header(1, 8, 3) + descriptor(0, 0, 1, 8, 0x40) + data + ";");
  EXPECT_EQ(indices(img.Frames(0).Bitmap()), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(KcGIFFaults, SizesFromTheFileAreBounded) {
  TKcGIFImage img;
  EXPECT_EQ(
      errorOf([&] { img.LoadFromBytes(header(65535, 65535, 2) + descriptor(0, 0, 1, 1) + solidData(1, 1) + ";"); }),
      "GIF image is too large");
  // Many frames that each take the whole (allowed) screen.
  std::string s = header(4096, 4096, 2);
  for (int i = 0; i < 8; ++i) s += descriptor(0, 0, 0, 0) + codes(2, {{4, 3}, {5, 3}});
  EXPECT_EQ(errorOf([&] { img.LoadFromBytes(s + ";"); }), "GIF image is too large");
  EXPECT_LT(img.Count(), 8);

  // A form-data length far beyond the stream.
  QByteArray bytes("\xFF\xFF\xFF\x7F", 4);
  bytes += QByteArray::fromStdString(tiny());
  QBuffer buf(&bytes);
  buf.open(QIODevice::ReadOnly);
  EXPECT_EQ(errorOf([&] { img.ReadData(buf); }), "Stream read error");
  EXPECT_EQ(img.Count(), 0);
}

// An animator composes the frames on the whole logical screen, four bytes a
// pixel: a tiny file must not be able to ask for hundreds of megabytes.
TEST(KcGIFFaults, CompositionCanvasCountsAgainstTheBudget) {
  struct Case {
    const char *name;
    int width, height;
    bool loads;
  } cases[] = {
      {"8192 x 8191", 8192, 8191, false},
      {"4096 x 4096", 4096, 4096, false},
      {"4096 x 4095", 4096, 4095, true},
  };
  for (const Case &c : cases) {
    const std::string s =
        header(c.width, c.height, 1) + descriptor(0, 0, 1, 1) + codes(2, {{4, 3}, {1, 3}, {5, 3}}) + ";";
    EXPECT_EQ(s.size(), 35u);
    TKcGIFImage img;
    EXPECT_EQ(errorOf([&] { img.LoadFromBytes(s); }), c.loads ? "" : "GIF image is too large") << c.name;
    EXPECT_EQ(img.Count(), c.loads ? 1 : 0) << c.name;
  }
}

TEST(KcGIFImage, QueriesAndFixedSize) {
  TKcGIFImage img;
  EXPECT_TRUE(img.Empty());
  EXPECT_EQ(img.ScreenWidth(), 0);
  EXPECT_EQ(img.FrameIndex(), -1);
  EXPECT_EQ(img.RepeatCount(), 1);
  img.LoadFromBytes(tiny());
  EXPECT_FALSE(img.Empty());
  EXPECT_EQ(img.Width(), 2);
  EXPECT_EQ(img.Height(), 1);
  EXPECT_EQ(errorOf([&] { img.SetWidth(5); }), "Cannot change the Size of a GIF image");
  EXPECT_EQ(errorOf([&] { img.SetHeight(5); }), "Cannot change the Size of a GIF image");
  img.SetFrameIndex(3);
  EXPECT_EQ(img.Width(), 0);
}

TEST(KcGIFImage, ReadDataWriteDataRoundTrip) {
  TKcGIFImage img;
  img.LoadFromBytes(header(3, 2, 2) + gce(7, 1, 2) + descriptor(0, 0, 3, 2) + solidData(3, 2) + ";");
  QBuffer buf;
  buf.open(QIODevice::ReadWrite);
  img.WriteData(buf);
  buf.seek(0);
  TKcGIFImage back;
  back.ReadData(buf);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back.Frames(0).AnimateInterval, 70);
  EXPECT_EQ(back.Frames(0).TransparentIndex(), 2);
  EXPECT_EQ(indices(back.Frames(0).Bitmap()), std::vector<int>(6, 1));
}

TEST(KcGIFImage, BitmapTakesTheTransparencyAlong) {
  TKcGIFImage img;
  img.LoadFromBytes(header(2, 1, 2) + gce(0, 0, 1) + descriptor(0, 0, 2, 1) +
                    codes(2, {{4, 3}, {1, 3}, {2, 3}, {5, 3}}) + ";");
  QImage out;
  img.AssignTo(out);
  ASSERT_EQ(out.size(), QSize(2, 1));
  EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
  EXPECT_EQ(out.pixel(1, 0), qRgb(2, 2, 2));
  EXPECT_EQ(qAlpha(img.Frames(0).Bitmap().pixel(0, 0)), 255) << "the frame's own bitmap is untouched";

  // Transparency given by colour alone, on a palette and a true-colour bitmap.
  img.Frames(0).SetTransparentColor(qRgb(2, 2, 2));
  img.AssignTo(out);
  EXPECT_EQ(qAlpha(out.pixel(0, 0)), 255);
  EXPECT_EQ(qAlpha(out.pixel(1, 0)), 0);
  QImage rgb(2, 1, QImage::Format_RGB32);
  rgb.setPixel(0, 0, qRgb(9, 8, 7));
  rgb.setPixel(1, 0, qRgb(1, 2, 3));
  TKcGIFImage truecolour;
  truecolour.Assign(rgb);
  truecolour.Frames(0).SetTransparentColor(qRgb(9, 8, 7));
  truecolour.AssignTo(out);
  EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
  EXPECT_EQ(out.pixel(1, 0), qRgb(1, 2, 3));
}
