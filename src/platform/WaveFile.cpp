#include "platform/WaveFile.h"

#include <cstring>

namespace kc {

namespace {

constexpr std::uint16_t kFormatPcm = 1, kFormatFloat = 3, kFormatExtensible = 0xFFFE;
constexpr int kMaxChannels = 8;
constexpr int kMaxRate = 768000;

std::uint32_t le32(const char *p) {
  const auto *u = reinterpret_cast<const unsigned char *>(p);
  return u[0] | (u[1] << 8) | (u[2] << 16) | (std::uint32_t(u[3]) << 24);
}
std::uint16_t le16(const char *p) {
  const auto *u = reinterpret_cast<const unsigned char *>(p);
  return static_cast<std::uint16_t>(u[0] | (u[1] << 8));
}

WaveParse fail(WaveError e) { return WaveParse{std::nullopt, e}; }

// The "fmt " chunk's body: the coding, and the shape it gives the samples.
WaveError readFormat(const char *p, std::uint32_t size, WaveSound &s) {
  if (size < 16) return WaveError::BadChunkSize;
  std::uint16_t tag = le16(p);
  s.channels = le16(p + 2);
  const std::uint32_t rate = le32(p + 4);
  const int blockAlign = le16(p + 12);
  s.bitsPerSample = le16(p + 14);
  if (tag == kFormatExtensible) {
    // cbSize, valid bits, channel mask, then the sub-format GUID whose first
    // two bytes are the real coding.
    if (size < 40 || le16(p + 16) < 22) return WaveError::BadChunkSize;
    tag = le16(p + 24);
  }
  if (tag == kFormatPcm) {
    s.kind = WaveSampleKind::Integer;
    if (s.bitsPerSample != 8 && s.bitsPerSample != 16 && s.bitsPerSample != 24 && s.bitsPerSample != 32)
      return WaveError::UnknownFormat;
  } else if (tag == kFormatFloat) {
    s.kind = WaveSampleKind::Float;
    if (s.bitsPerSample != 32) return WaveError::UnknownFormat;
  } else {
    return WaveError::UnknownFormat;
  }
  if (s.channels < 1 || s.channels > kMaxChannels || rate < 1 || rate > kMaxRate) return WaveError::BadFormat;
  s.sampleRate = static_cast<int>(rate);
  if (blockAlign != s.frameBytes()) return WaveError::BadFormat;
  return WaveError::None;
}

} // namespace

std::int64_t WaveSound::durationMs() const {
  const int fb = frameBytes();
  if (fb <= 0 || sampleRate <= 0) return 0;
  return std::int64_t(samples.size() / fb) * 1000 / sampleRate;
}

WaveParse parseWave(const QByteArray &bytes) {
  const char *b = bytes.constData();
  const std::uint64_t n = static_cast<std::uint64_t>(bytes.size());
  if (n < 12 || std::memcmp(b, "RIFF", 4) != 0 || std::memcmp(b + 8, "WAVE", 4) != 0) return fail(WaveError::NotRiff);
  const std::uint64_t riffSize = le32(b + 4);
  if (riffSize < 4) return fail(WaveError::BadChunkSize);
  if (8 + riffSize > n) return fail(WaveError::Truncated);
  const std::uint64_t end = 8 + riffSize;

  WaveSound s;
  bool haveFormat = false;
  std::uint64_t pos = 12;
  while (pos + 8 <= end) {
    const char *id = b + pos;
    const std::uint64_t size = le32(b + pos + 4);
    const std::uint64_t body = pos + 8;
    if (body + size > end) return fail(WaveError::Truncated);
    if (std::memcmp(id, "fmt ", 4) == 0) {
      const WaveError e = readFormat(b + body, static_cast<std::uint32_t>(size), s);
      if (e != WaveError::None) return fail(e);
      haveFormat = true;
    } else if (std::memcmp(id, "data", 4) == 0) {
      if (!haveFormat) return fail(WaveError::NoFormat);
      const std::uint64_t whole = size - size % static_cast<std::uint64_t>(s.frameBytes());
      if (whole == 0) return fail(WaveError::NoData);
      s.samples = QByteArray(b + body, static_cast<qsizetype>(whole));
      return WaveParse{std::move(s), WaveError::None};
    }
    // Chunks are padded to an even length.
    pos = body + size + (size & 1);
  }
  return fail(haveFormat ? WaveError::NoData : WaveError::NoFormat);
}

std::string_view waveErrorText(WaveError e) {
  switch (e) {
  case WaveError::None: return "no error";
  case WaveError::NotRiff: return "not a RIFF WAVE file";
  case WaveError::Truncated: return "the file is cut off";
  case WaveError::BadChunkSize: return "a chunk is too small";
  case WaveError::NoFormat: return "no format chunk before the samples";
  case WaveError::UnknownFormat: return "an unknown sample coding";
  case WaveError::BadFormat: return "a format that does not agree with itself";
  case WaveError::NoData: return "no samples";
  }
  return "unknown error";
}

} // namespace kc
