#include "widgets/KcWavePlayer.h"

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/WavePlayback.h"
#include "support/TempDir.h"
#include "widgets/support/WaveBytes.h"

namespace kc {
namespace {

TEST(KcWavePlayer, LoopOnlyWhileAsynchronous) {
  TKcWavePlayer p;
  EXPECT_TRUE(p.Asynchronous());
  p.SetLoop(true);
  EXPECT_TRUE(p.Loop());
  p.SetAsynchronous(false);
  EXPECT_FALSE(p.Loop()) << "turning Asynchronous off turns Loop off";
  p.SetLoop(true);
  EXPECT_FALSE(p.Loop());
}

struct Events {
  int before = 0, after = 0;
  void attach(TKcWavePlayer &p) {
    p.BeforePlaying = [this](TKcWavePlayer *) { ++before; };
    p.AfterPlaying = [this](TKcWavePlayer *) { ++after; };
  }
};

TEST(KcWavePlayer, MissingFileFailsButStillFiresAfterPlaying) {
  kctest::TempDir dir;
  TKcWavePlayer p;
  Events e;
  e.attach(p);
  p.SetFileName(QString::fromStdString((dir.path() / "none.wav").string()));
  EXPECT_FALSE(p.Play());
  EXPECT_EQ(e.before, 1);
  EXPECT_EQ(e.after, 1);
  EXPECT_FALSE(p.LastError().isEmpty());
}

TEST(KcWavePlayer, DamagedFileIsRefusedBeforeReachingTheSoundOutput) {
  kctest::TempDir dir;
  kctest::WaveSpec spec;
  spec.dataSize = 100000;
  const QByteArray bytes = kctest::waveBytes(spec);
  const std::string path = (dir.path() / "cut.wav").string();
  ASSERT_TRUE(WriteFileAtomically(path, std::string_view(bytes.constData(), bytes.size())));
  TKcWavePlayer p;
  p.SetFileName(QString::fromStdString(path));
  EXPECT_FALSE(p.Play());
  EXPECT_EQ(p.LastError(), "the file is cut off");
  EXPECT_FALSE(wavePlaying());
}

TEST(KcWavePlayer, PlayingWithoutASoundDeviceReturnsInEveryMode) {
  // Sound output is whatever this machine has (usually none under test):
  // Play must come back, true or false, in each mode, and a valid sound from
  // memory must get past the header check.
  kctest::WaveSpec spec;
  spec.dataBytes = 1600; // 0.1 s
  for (int mode = 0; mode < 3; ++mode) {
    TKcWavePlayer p;
    p.SetSourceType(TSourceType::frRAM);
    p.SetMemory(kctest::waveBytes(spec));
    p.SetAsynchronous(mode != 2);
    p.SetLoop(mode == 1);
    const bool played = p.Play();
    if (!played) {
      EXPECT_EQ(p.LastError(), "no sound output") << "mode " << mode;
    }
  }
  EXPECT_FALSE(wavePlaying()) << "freeing the player stops its sound";
}

} // namespace
} // namespace kc
