#pragma once
// Wave (RIFF WAVE) sounds: the header is checked chunk by chunk against the
// bytes there are, so a damaged or cut-off file is refused rather than read
// past its end or played as noise.
#include <cstdint>
#include <optional>
#include <string_view>

#include <QByteArray>

namespace kc {

enum class WaveSampleKind : std::uint8_t { Integer, Float };

struct WaveSound {
  WaveSampleKind kind = WaveSampleKind::Integer;
  int channels = 0;
  int sampleRate = 0;
  int bitsPerSample = 0; // 8 (unsigned), 16, 24, 32 (signed) or 32 (float)
  QByteArray samples;    // whole frames only
  int frameBytes() const { return channels * (bitsPerSample / 8); }
  std::int64_t durationMs() const;
};

enum class WaveError : std::uint8_t {
  None,
  NotRiff,       // no "RIFF" ... "WAVE" header
  Truncated,     // the RIFF size or a chunk reaches past the end of the bytes
  BadChunkSize,  // a RIFF or format chunk too small for what it must hold
  NoFormat,      // no "fmt " chunk before the "data" chunk
  UnknownFormat, // a coding other than PCM or IEEE float, or odd sample sizes
  BadFormat,     // channels, rate or block size that do not agree
  NoData,        // no "data" chunk, or one without a whole frame
};

struct WaveParse {
  std::optional<WaveSound> sound;
  WaveError error = WaveError::None;
};

WaveParse parseWave(const QByteArray &bytes);
std::string_view waveErrorText(WaveError e);

} // namespace kc
