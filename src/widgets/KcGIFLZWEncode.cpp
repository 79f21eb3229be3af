// LZW encoding of pixel rows into GIF image data.
#include "widgets/KcGIFLZW.h"

#include <algorithm>
#include <vector>

namespace kc {

void LZWEncode(const uint8_t *firstRow, std::ptrdiff_t stride, int bits, int width, int height, bool interlace,
               std::string &out, const std::function<void(int)> &progress) {
  constexpr int kSlots = 17777;
  const int startSize = bits == 1 ? 3 : bits + 1;
  out.push_back(char(startSize - 1));
  const int clear = 1 << (startSize - 1), endCode = clear + 1;
  int codeSize = startSize, limit = 1 << startSize, freeCode = endCode;

  // Each slot holds the node of one code: its prefix and suffix as the key
  // (-1: empty) and the code itself.
  std::vector<int32_t> slotKey(kSlots, -1);
  std::vector<uint16_t> slotCode(kSlots, 0);

  std::string block;
  block.reserve(256);
  uint32_t acc = 0;
  int accBits = 0;
  auto putCode = [&](int code) {
    acc |= uint32_t(code) << accBits;
    accBits += codeSize;
    while (accBits >= 8) {
      block.push_back(char(acc & 0xFF));
      acc >>= 8;
      accBits -= 8;
      if (block.size() == 255) {
        out.push_back(char(255));
        out += block;
        block.clear();
      }
    }
  };

  putCode(clear);
  int prefix = 0, length = 0;
  int32_t hash = 0;
  std::vector<uint8_t> unpacked(size_t(std::max(width, 0)));
  auto encodeRow = [&](int y) {
    const uint8_t *row = firstRow + std::ptrdiff_t(y) * stride;
    if (bits == 4) {
      for (int x = 0; x < width; ++x) unpacked[size_t(x)] = uint8_t((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
      row = unpacked.data();
    } else if (bits == 1) {
      for (int x = 0; x < width; ++x) unpacked[size_t(x)] = uint8_t((row[x >> 3] >> (7 - (x & 7))) & 1);
      row = unpacked.data();
    }
    for (int x = 0; x < width; ++x) {
      const int p = row[x];
      ++length;
      if (length == 1) {
        prefix = p;
        hash = (p + 3) * 301;
        continue;
      }
      hash = ((p + length + 4) * hash) % kSlots;
      const int32_t key = prefix << 8 | p;
      int slot = hash;
      int32_t k;
      while ((k = slotKey[size_t(slot)]) >= 0 && k != key)
        if (++slot == kSlots) slot = 0;
      if (k >= 0) {
        prefix = slotCode[size_t(slot)];
        continue;
      }
      putCode(prefix);
      ++freeCode;
      slotKey[size_t(slot)] = key;
      slotCode[size_t(slot)] = uint16_t(freeCode);
      prefix = p;
      hash = (p + 3) * 301;
      length = 1;
      if (freeCode == limit) {
        limit <<= 1;
        ++codeSize;
      } else if (freeCode == 4094) {
        putCode(p);
        putCode(clear);
        length = 0;
        freeCode = endCode;
        codeSize = startSize;
        limit = 1 << startSize;
        std::fill(slotKey.begin(), slotKey.end(), -1);
      }
    }
  };
  int rowsDone = 0, reported = -1;
  auto nextRow = [&](int y) {
    encodeRow(y);
    if (progress) {
      const int percent = int(int64_t(++rowsDone) * 100 / height);
      if (percent != reported) progress(reported = percent);
    }
  };
  if (interlace) {
    static const int passes[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    for (const auto &pass : passes)
      for (int y = pass[0]; y < height; y += pass[1]) nextRow(y);
  } else {
    for (int y = 0; y < height; ++y) nextRow(y);
  }
  if (length > 0) {
    putCode(prefix);
    // Reading that code makes the decoder add one more entry; the end code
    // must come in the width the decoder then expects.
    if (freeCode + 1 == limit && codeSize < 12) ++codeSize;
  }
  putCode(endCode);
  if (accBits > 0) block.push_back(char(acc & 0xFF));
  if (!block.empty()) {
    out.push_back(char(block.size()));
    out += block;
  }
  out.push_back('\0');
}

} // namespace kc
