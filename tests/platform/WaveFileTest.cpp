#include "platform/WaveFile.h"

#include <gtest/gtest.h>

#include "widgets/support/WaveBytes.h"

namespace kc {
namespace {

using kctest::WaveLayout;

struct HeaderCase {
  const char *name;
  WaveLayout layout;
  WaveError expected;
  int frames = -1; // for accepted files: whole frames kept
};

WaveLayout with(auto change) {
  WaveLayout s;
  change(s);
  return s;
}

class WaveHeaders : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(WaveHeaders, AreCheckedAgainstTheBytesThereAre) {
  const HeaderCase &c = GetParam();
  const WaveParse p = parseWave(kctest::waveBytes(c.layout));
  EXPECT_EQ(p.error, c.expected) << waveErrorText(p.error);
  EXPECT_EQ(p.sound.has_value(), c.expected == WaveError::None);
  if (p.sound && c.frames >= 0) {
    EXPECT_EQ(p.sound->samples.size() / p.sound->frameBytes(), c.frames);
  }
}

const HeaderCase kCases[] = {
    {"Pcm16Mono", WaveLayout{}, WaveError::None, 400},
    {"Pcm8Stereo", with([](WaveLayout &s) { s.channels = 2, s.bitsPerSample = 8; }), WaveError::None, 400},
    {"Pcm24", with([](WaveLayout &s) { s.bitsPerSample = 24, s.dataBytes = 300; }), WaveError::None, 100},
    {"Float32", with([](WaveLayout &s) { s.formatTag = 3, s.bitsPerSample = 32; }), WaveError::None, 200},
    {"LongFormatChunk", with([](WaveLayout &s) { s.fmtSize = 18; }), WaveError::None, 400},
    {"OddChunkIsPadded", with([](WaveLayout &s) { s.extraChunkBeforeFmt = QByteArray("LIST\x03\0\0\0abc\0", 12); }),
     WaveError::None, 400},
    {"PartialLastFrameDropped", with([](WaveLayout &s) { s.dataBytes = 801; }), WaveError::None, 400},
    {"RiffSizeShortOfData", with([](WaveLayout &s) { s.riffSize = 4 + 24 + 8 + 100; }), WaveError::Truncated},
    {"NoChunksAtAll", with([](WaveLayout &s) { s.withFmt = s.withData = false; }), WaveError::NoFormat},
    {"RiffSizePastEnd", with([](WaveLayout &s) { s.riffSize = 5000; }), WaveError::Truncated},
    {"RiffSizeTooSmall", with([](WaveLayout &s) { s.riffSize = 2; }), WaveError::BadChunkSize},
    {"DataSizePastEnd", with([](WaveLayout &s) { s.dataSize = 900; }), WaveError::Truncated},
    {"DataSizeHuge", with([](WaveLayout &s) { s.dataSize = 0xFFFFFFF0; }), WaveError::Truncated},
    {"TruncatedData", with([](WaveLayout &s) { s.dataSize = 800, s.dataBytes = 10, s.riffSize = 4 + 24 + 8 + 800; }),
     WaveError::Truncated},
    {"FormatChunkTooSmall", with([](WaveLayout &s) { s.fmtSize = 14; }), WaveError::BadChunkSize},
    {"FormatSizePastEnd", with([](WaveLayout &s) { s.withData = false, s.fmtSize = 16, s.riffSize = 4 + 8 + 40; }),
     WaveError::Truncated},
    {"Adpcm", with([](WaveLayout &s) { s.formatTag = 2, s.bitsPerSample = 4; }), WaveError::UnknownFormat},
    {"Mp3", with([](WaveLayout &s) { s.formatTag = 0x55; }), WaveError::UnknownFormat},
    {"Pcm12Bits", with([](WaveLayout &s) { s.bitsPerSample = 12; }), WaveError::UnknownFormat},
    {"Float64", with([](WaveLayout &s) { s.formatTag = 3, s.bitsPerSample = 64; }), WaveError::UnknownFormat},
    {"ExtensibleTooShort", with([](WaveLayout &s) { s.formatTag = 0xFFFE; }), WaveError::BadChunkSize},
    {"NoChannels", with([](WaveLayout &s) { s.channels = 0, s.blockAlign = 0; }), WaveError::BadFormat},
    {"ZeroRate", with([](WaveLayout &s) { s.sampleRate = 0; }), WaveError::BadFormat},
    {"BlockAlignWrong", with([](WaveLayout &s) { s.blockAlign = 3; }), WaveError::BadFormat},
    {"DataBeforeFormat", with([](WaveLayout &s) { s.dataBeforeFmt = true; }), WaveError::NoFormat},
    {"NoDataChunk", with([](WaveLayout &s) { s.withData = false; }), WaveError::NoData},
    {"EmptyData", with([](WaveLayout &s) { s.dataBytes = 0; }), WaveError::NoData},
    {"LessThanAFrame", with([](WaveLayout &s) { s.dataBytes = 1; }), WaveError::NoData},
};

INSTANTIATE_TEST_SUITE_P(Table, WaveHeaders, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(WaveFile, OtherRiffFilesAreNotWaves) {
  QByteArray avi = kctest::waveBytes(WaveLayout{});
  avi.replace(8, 4, "AVI ");
  EXPECT_EQ(parseWave(avi).error, WaveError::NotRiff);
  EXPECT_EQ(parseWave(QByteArray("RIFX")).error, WaveError::NotRiff);
}

TEST(WaveFile, ExtensibleFormatUsesItsSubFormat) {
  WaveLayout s;
  s.formatTag = 0xFFFE;
  s.fmtSize = 40;
  QByteArray bytes = kctest::waveBytes(s);
  // cbSize 22 and the sub-format's leading tag (PCM) inside the format body.
  const int body = 12 + 8;
  bytes[body + 16] = 22;
  bytes[body + 24] = 1;
  const WaveParse p = parseWave(bytes);
  ASSERT_TRUE(p.sound) << waveErrorText(p.error);
  EXPECT_EQ(p.sound->kind, WaveSampleKind::Integer);
  bytes[body + 24] = 2;
  EXPECT_EQ(parseWave(bytes).error, WaveError::UnknownFormat);
}

TEST(WaveFile, EveryCutOfAValidFileIsRefusedOrShorter) {
  const QByteArray whole = kctest::waveBytes(WaveLayout{});
  for (qsizetype n = 0; n < whole.size(); ++n) {
    const WaveParse p = parseWave(whole.left(n));
    EXPECT_FALSE(p.sound) << "cut at " << n;
  }
  EXPECT_TRUE(parseWave(whole).sound);
}

TEST(WaveFile, DamagedHeadersNeverYieldMoreThanTheFileHolds) {
  // Every header byte set to values that break sizes and counts.
  const QByteArray whole = kctest::waveBytes(WaveLayout{});
  for (int at = 0; at < 44; ++at)
    for (int value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
      QByteArray damaged = whole;
      damaged[at] = static_cast<char>(value);
      const WaveParse p = parseWave(damaged);
      if (!p.sound) continue;
      EXPECT_LE(p.sound->samples.size(), damaged.size() - 44) << "byte " << at << " = " << value;
      EXPECT_EQ(p.sound->samples.size() % p.sound->frameBytes(), 0);
    }
}

TEST(WaveFile, DurationFollowsRateAndFrames) {
  const WaveParse p = parseWave(kctest::waveBytes(WaveLayout{}));
  ASSERT_TRUE(p.sound);
  EXPECT_EQ(p.sound->durationMs(), 50); // 400 frames at 8000 Hz
}

} // namespace
} // namespace kc
