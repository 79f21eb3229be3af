// LZW decoding of GIF image data: the code reader, the string table, the
// pixel output and the loop that ties them together.
#include "widgets/KcGIFLZW.h"
#include "widgets/KcGIFPrivate.h"
#include "widgets/KcGraph.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kc {

namespace {

constexpr int kMaxCodes = 4096;

// The codes of the image data, least-significant bit first, read across the
// sub-blocks. A block cut by the end of the data gives what there is.
class TCodeReader {
public:
  // data: the sub-blocks that follow the minimum code size.
  explicit TCodeReader(std::string_view data) {
    FBytes.reserve(data.size() + 4);
    for (size_t pos = 0; pos < data.size();) {
      const size_t n = uint8_t(data[pos++]);
      if (n == 0) break;
      const size_t take = std::min(n, data.size() - pos);
      FBytes.insert(FBytes.end(), data.begin() + long(pos), data.begin() + long(pos + take));
      pos += take;
    }
    FTotalBits = uint64_t(FBytes.size()) * 8;
    // Room to read a whole word past the last byte.
    FBytes.resize(FBytes.size() + 4, 0);
  }

  // The next code of the given width (at most 12 bits); -1 when fewer bits
  // remain.
  int Next(int width) {
    if (FBitPos + uint64_t(width) > FTotalBits) return -1;
    const size_t at = size_t(FBitPos >> 3);
    const uint32_t word = uint32_t(FBytes[at]) | uint32_t(FBytes[at + 1]) << 8 | uint32_t(FBytes[at + 2]) << 16;
    FBitPos += uint64_t(width);
    return int((word >> ((FBitPos - uint64_t(width)) & 7)) & ((1u << width) - 1));
  }

  int Percent() const { return FTotalBits ? int(FBitPos * 100 / FTotalBits) : 100; }

private:
  std::vector<uint8_t> FBytes;
  uint64_t FTotalBits = 0;
  uint64_t FBitPos = 0;
};

// The strings of the codes: each code's prefix code, last and first
// character and length. Codes below clear are the single characters.
struct TStringTable {
  uint16_t Prefix[kMaxCodes];
  uint8_t Suffix[kMaxCodes];
  uint8_t First[kMaxCodes];
  uint16_t Length[kMaxCodes];

  TStringTable(int clear, uint8_t colorMask) {
    for (int c = 0; c < clear; ++c) {
      Suffix[c] = First[c] = uint8_t(c & colorMask);
      Length[c] = 1;
      Prefix[c] = 0;
    }
  }
  // Defines code as the string of old followed by the character c.
  void Add(int code, int old, uint8_t c) {
    Prefix[code] = uint16_t(old);
    Suffix[code] = c;
    First[code] = First[old];
    Length[code] = uint16_t(Length[old] + 1);
  }
};

// The pixels in the order they are decoded, cut where the picture ends.
class TPixelSink {
public:
  TPixelSink(uint8_t *begin, size_t count) : FPos(begin), FEnd(begin + count) {}
  bool Full() const { return FPos >= FEnd; }

  // Writes the string of code (its leading part when the picture ends first).
  void Put(const TStringTable &t, int code, int clear) {
    size_t len = t.Length[code];
    const size_t room = size_t(FEnd - FPos);
    while (len > room) {
      code = t.Prefix[code];
      --len;
    }
    uint8_t *p = FPos + len - 1;
    while (code >= clear) {
      *p-- = t.Suffix[code];
      code = t.Prefix[code];
    }
    *p = t.Suffix[code];
    FPos += len;
  }

private:
  uint8_t *FPos;
  uint8_t *const FEnd;
};

// Rows given in interlace order (passes from rows 0, 4, 2, 1 stepping 8, 8,
// 4, 2) put into their places.
void Deinterlace(const uint8_t *linear, int width, int height, uint8_t *out) {
  static const int passes[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
  for (const auto &pass : passes)
    for (int y = pass[0]; y < height; y += pass[1]) {
      std::memcpy(out + size_t(y) * size_t(width), linear, size_t(width));
      linear += width;
    }
}

// The decoder's state between codes.
class TDecoder {
public:
  TDecoder(int minSize, int colorBits, bool tolerate, bool corrupt)
      : FMin(minSize), FClear(1 << minSize), FTolerate(tolerate), FCorrupt(corrupt),
        FTable(FClear, uint8_t((1 << std::clamp(colorBits, 1, 8)) - 1)) {
    Reset();
  }

  // Decodes codes into out until the end code, damage, a full picture or
  // the end of the data. True when the data ran out first.
  bool Run(TCodeReader &in, TPixelSink &out, const std::function<void(int)> &progress);
  bool Corrupt() const { return FCorrupt; }

private:
  void Reset() {
    FCodeSize = FMin + 1;
    FLimit = 1 << FCodeSize;
    FFree = FClear + 2;
    FFull = false;
    FOld = -1;
  }
  // False when the code is damage that ends decoding.
  bool Code(int code, TPixelSink &out);
  bool Damaged() {
    if (!FTolerate) throw EKcGraphicError("GIF encoded data is corrupt");
    FCorrupt = true;
    return false;
  }

  const int FMin;
  const int FClear;
  const bool FTolerate;
  bool FCorrupt;
  TStringTable FTable;
  int FCodeSize = 0, FLimit = 0, FFree = 0;
  bool FFull = false;
  int FOld = -1;
};

bool TDecoder::Run(TCodeReader &in, TPixelSink &out, const std::function<void(int)> &progress) {
  int reported = -1;
  while (!out.Full()) {
    const int code = in.Next(FCodeSize);
    if (code < 0) return true;
    if (progress && in.Percent() != reported) progress(reported = in.Percent());
    if (code == FClear + 1) break;
    if (!Code(code, out)) break;
  }
  return false;
}

bool TDecoder::Code(int code, TPixelSink &out) {
  if (code == FClear) {
    Reset();
    return true;
  }
  // Data that does not begin with a clear code starts as if it did.
  if (FOld < 0) { // the first code after a clear is a literal
    if (code >= FClear) return Damaged();
    out.Put(FTable, code, FClear);
    FOld = code;
    return true;
  }
  if (FCorrupt) return false;
  if (code > FFree || (code == FFree && FFull)) return Damaged();
  if (!FFull) {
    // A code not defined yet is the string being defined right now: the old
    // string followed by its own first character.
    const int known = code == FFree ? FOld : code;
    FTable.Add(FFree, FOld, FTable.First[known]);
  }
  out.Put(FTable, code, FClear);
  if (!FFull && ++FFree == FLimit) {
    if (FCodeSize < 12) {
      ++FCodeSize;
      FLimit <<= 1;
    } else {
      FFull = true;
    }
  }
  FOld = code;
  return true;
}

} // namespace

bool LZWDecode(std::string_view data, int width, int height, int colorBits, bool interlaced, bool tolerate,
               uint8_t *out, const std::function<void(int)> &progress) {
  const size_t total = size_t(std::max(width, 0)) * size_t(std::max(height, 0));
  if (total == 0) return false;
  if (data.empty()) throw EKcGraphicError(kGIFStreamReadError);
  int minSize = uint8_t(data[0]);
  bool corrupt = false;
  if (minSize < 2 || minSize > 9) {
    if (!tolerate) throw EKcGraphicError("GIF code size not in range 2 to 9");
    minSize = std::clamp(minSize, 2, 9);
    corrupt = true;
  }
  TCodeReader in(data.substr(1));
  std::vector<uint8_t> linear;
  TPixelSink sink(interlaced ? (linear.resize(total), linear.data()) : out, total);
  TDecoder decoder(minSize, colorBits, tolerate, corrupt);
  const bool ranOut = decoder.Run(in, sink, progress);
  if (ranOut && !tolerate) throw EKcGraphicError(kGIFStreamReadError);
  // What was decoded of a damaged frame is kept.
  if (interlaced) Deinterlace(linear.data(), width, height, out);
  return decoder.Corrupt() || ranOut;
}

} // namespace kc
