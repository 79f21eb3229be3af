#include "widgets/KcWavePlayer.h"

#include <filesystem>

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
  kctest::WaveLayout layout;
  layout.dataSize = 100000;
  const QByteArray bytes = kctest::waveBytes(layout);
  const std::string path = (dir.path() / "cut.wav").string();
  ASSERT_TRUE(WriteFileAtomically(path, std::string_view(bytes.constData(), bytes.size())));
  TKcWavePlayer p;
  p.SetFileName(QString::fromStdString(path));
  EXPECT_FALSE(p.Play());
  EXPECT_EQ(p.LastError(), "the file is cut off");
  EXPECT_FALSE(wavePlaying());
}

TEST(KcWavePlayer, ResourceSoundsComeFromTheProgramsSoundFolder) {
  kctest::TempDir dir;
  ASSERT_TRUE(std::filesystem::create_directory(dir.path() / "Sound"));
  kctest::WaveLayout layout;
  layout.formatTag = 0x55; // a coding the player refuses: proves the file was read
  const QByteArray bytes = kctest::waveBytes(layout);
  ASSERT_TRUE(WriteFileAtomically((dir.path() / "Sound" / "ring.wav").string(),
                                  std::string_view(bytes.constData(), bytes.size())));
  const QByteArray old = qgetenv("KAVET_RESOURCE_DIR");
  qputenv("KAVET_RESOURCE_DIR", QByteArray::fromStdString(dir.path().string()));
  TKcWavePlayer p;
  p.SetSourceType(TSourceType::frResource);
  p.SetFileName("ring.wav");
  EXPECT_FALSE(p.Play());
  EXPECT_EQ(p.LastError(), "an unknown sample coding");
  p.SetFileName("missing.wav");
  EXPECT_FALSE(p.Play());
  EXPECT_NE(p.LastError(), "an unknown sample coding");
  if (old.isNull()) qunsetenv("KAVET_RESOURCE_DIR");
  else qputenv("KAVET_RESOURCE_DIR", old);
}

TEST(KcWavePlayer, PlayingWithoutASoundDeviceReturnsInEveryMode) {
  // Sound output is whatever this machine has (usually none under test):
  // Play must come back, true or false, in each mode, and a valid sound from
  // memory must get past the header check.
  kctest::WaveLayout layout;
  layout.dataBytes = 1600; // 0.1 s
  for (int mode = 0; mode < 3; ++mode) {
    TKcWavePlayer p;
    p.SetSourceType(TSourceType::frRAM);
    p.SetMemory(kctest::waveBytes(layout));
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
