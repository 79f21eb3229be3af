#pragma once
// Wave files built byte by byte, with every header field open to damage.
#include <QByteArray>
#include <cstdint>

namespace kctest {

struct WaveLayout {
  std::uint16_t formatTag = 1;
  std::uint16_t channels = 1;
  std::uint32_t sampleRate = 8000;
  std::uint16_t bitsPerSample = 16;
  int blockAlign = -1;        // -1: channels * bytes per sample
  std::uint32_t fmtSize = 16; // size field of "fmt "
  int dataBytes = 800;        // samples actually present
  std::int64_t dataSize = -1; // size field of "data"; -1: dataBytes
  std::int64_t riffSize = -1; // size field of "RIFF"; -1: what follows it
  bool dataBeforeFmt = false;
  bool withFmt = true, withData = true;
  QByteArray extraChunkBeforeFmt; // a whole chunk, id and size included
};

inline void put16(QByteArray &b, std::uint32_t v) {
  b.append(char(v & 0xFF));
  b.append(char((v >> 8) & 0xFF));
}
inline void put32(QByteArray &b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}

inline QByteArray waveBytes(const WaveLayout &s) {
  QByteArray fmt("fmt ");
  put32(fmt, s.fmtSize);
  QByteArray body;
  const int align = s.blockAlign >= 0 ? s.blockAlign : s.channels * (s.bitsPerSample / 8);
  put16(body, s.formatTag);
  put16(body, s.channels);
  put32(body, s.sampleRate);
  put32(body, s.sampleRate * static_cast<std::uint32_t>(align));
  put16(body, static_cast<std::uint32_t>(align));
  put16(body, s.bitsPerSample);
  while (body.size() < static_cast<qsizetype>(s.fmtSize)) body.append('\0');
  fmt += body.left(s.fmtSize);
  QByteArray data("data");
  put32(data, static_cast<std::uint32_t>(s.dataSize >= 0 ? s.dataSize : s.dataBytes));
  for (int i = 0; i < s.dataBytes; ++i) data.append(char(i * 7));
  QByteArray chunks = s.extraChunkBeforeFmt;
  if (s.dataBeforeFmt) {
    if (s.withData) chunks += data;
    if (s.withFmt) chunks += fmt;
  } else {
    if (s.withFmt) chunks += fmt;
    if (s.withData) chunks += data;
  }
  QByteArray out("RIFF");
  put32(out, static_cast<std::uint32_t>(s.riffSize >= 0 ? s.riffSize : 4 + chunks.size()));
  out += "WAVE";
  out += chunks;
  return out;
}

} // namespace kctest
