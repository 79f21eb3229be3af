#include "platform/WaveFile.h"

#include <gtest/gtest.h>

#include "widgets/support/WaveBytes.h"

namespace kc {
namespace {

using kctest::WaveSpec;

struct HeaderCase {
  const char *name;
  WaveSpec spec;
  WaveError expected;
  int frames = -1; // for accepted files: whole frames kept
};

WaveSpec with(auto change) {
  WaveSpec s;
  change(s);
  return s;
}

class WaveHeaders : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(WaveHeaders, AreCheckedAgainstTheBytesThereAre) {
  const HeaderCase &c = GetParam();
  const WaveParse p = parseWave(kctest::waveBytes(c.spec));
  EXPECT_EQ(p.error, c.expected) << waveErrorText(p.error);
  EXPECT_EQ(p.sound.has_value(), c.expected == WaveError::None);
  if (p.sound && c.frames >= 0) {
    EXPECT_EQ(p.sound->samples.size() / p.sound->frameBytes(), c.frames);
  }
}

const HeaderCase kCases[] = {
    {"Pcm16Mono", WaveSpec{}, WaveError::None, 400},
    {"Pcm8Stereo", with([](WaveSpec &s) { s.channels = 2, s.bitsPerSample = 8; }), WaveError::None, 400},
    {"Pcm24", with([](WaveSpec &s) { s.bitsPerSample = 24, s.dataBytes = 300; }), WaveError::None, 100},
    {"Float32", with([](WaveSpec &s) { s.formatTag = 3, s.bitsPerSample = 32; }), WaveError::None, 200},
    {"LongFormatChunk", with([](WaveSpec &s) { s.fmtSize = 18; }), WaveError::None, 400},
    {"OddChunkIsPadded", with([](WaveSpec &s) { s.extraChunkBeforeFmt = QByteArray("LIST\x03\0\0\0abc\0", 12); }),
     WaveError::None, 400},
    {"PartialLastFrameDropped", with([](WaveSpec &s) { s.dataBytes = 801; }), WaveError::None, 400},
    {"RiffSizeShortOfData", with([](WaveSpec &s) { s.riffSize = 4 + 24 + 8 + 100; }), WaveError::Truncated},
    {"NoChunksAtAll", with([](WaveSpec &s) { s.withFmt = s.withData = false; }), WaveError::NoFormat},
    {"RiffSizePastEnd", with([](WaveSpec &s) { s.riffSize = 5000; }), WaveError::Truncated},
    {"RiffSizeTooSmall", with([](WaveSpec &s) { s.riffSize = 2; }), WaveError::BadChunkSize},
    {"DataSizePastEnd", with([](WaveSpec &s) { s.dataSize = 900; }), WaveError::Truncated},
    {"DataSizeHuge", with([](WaveSpec &s) { s.dataSize = 0xFFFFFFF0; }), WaveError::Truncated},
    {"TruncatedData", with([](WaveSpec &s) { s.dataSize = 800, s.dataBytes = 10, s.riffSize = 4 + 24 + 8 + 800; }),
     WaveError::Truncated},
    {"FormatChunkTooSmall", with([](WaveSpec &s) { s.fmtSize = 14; }), WaveError::BadChunkSize},
    {"FormatSizePastEnd", with([](WaveSpec &s) { s.withData = false, s.fmtSize = 16, s.riffSize = 4 + 8 + 40; }),
     WaveError::Truncated},
    {"Adpcm", with([](WaveSpec &s) { s.formatTag = 2, s.bitsPerSample = 4; }), WaveError::UnknownFormat},
    {"Mp3", with([](WaveSpec &s) { s.formatTag = 0x55; }), WaveError::UnknownFormat},
    {"Pcm12Bits", with([](WaveSpec &s) { s.bitsPerSample = 12; }), WaveError::UnknownFormat},
    {"Float64", with([](WaveSpec &s) { s.formatTag = 3, s.bitsPerSample = 64; }), WaveError::UnknownFormat},
    {"ExtensibleTooShort", with([](WaveSpec &s) { s.formatTag = 0xFFFE; }), WaveError::BadChunkSize},
    {"NoChannels", with([](WaveSpec &s) { s.channels = 0, s.blockAlign = 0; }), WaveError::BadFormat},
    {"ZeroRate", with([](WaveSpec &s) { s.sampleRate = 0; }), WaveError::BadFormat},
    {"BlockAlignWrong", with([](WaveSpec &s) { s.blockAlign = 3; }), WaveError::BadFormat},
    {"DataBeforeFormat", with([](WaveSpec &s) { s.dataBeforeFmt = true; }), WaveError::NoFormat},
    {"NoDataChunk", with([](WaveSpec &s) { s.withData = false; }), WaveError::NoData},
    {"EmptyData", with([](WaveSpec &s) { s.dataBytes = 0; }), WaveError::NoData},
    {"LessThanAFrame", with([](WaveSpec &s) { s.dataBytes = 1; }), WaveError::NoData},
};

INSTANTIATE_TEST_SUITE_P(Table, WaveHeaders, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(WaveFile, OtherRiffFilesAreNotWaves) {
  QByteArray avi = kctest::waveBytes(WaveSpec{});
  avi.replace(8, 4, "AVI ");
  EXPECT_EQ(parseWave(avi).error, WaveError::NotRiff);
  EXPECT_EQ(parseWave(QByteArray("RIFX")).error, WaveError::NotRiff);
}

TEST(WaveFile, ExtensibleFormatUsesItsSubFormat) {
  WaveSpec s;
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
  const QByteArray whole = kctest::waveBytes(WaveSpec{});
  for (qsizetype n = 0; n < whole.size(); ++n) {
    const WaveParse p = parseWave(whole.left(n));
    EXPECT_FALSE(p.sound) << "cut at " << n;
  }
  EXPECT_TRUE(parseWave(whole).sound);
}

TEST(WaveFile, DurationFollowsRateAndFrames) {
  const WaveParse p = parseWave(kctest::waveBytes(WaveSpec{}));
  ASSERT_TRUE(p.sound);
  EXPECT_EQ(p.sound->durationMs(), 50); // 400 frames at 8000 Hz
}

} // namespace
} // namespace kc
