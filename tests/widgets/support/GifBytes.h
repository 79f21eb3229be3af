#pragma once
// Small builders of GIF bytes for the codec tests, and readers of what the
// codec gives back.
#include "widgets/KcGIF.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace gifbytes {

inline void le16(std::string &s, int v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char((v >> 8) & 0xFF));
}

// Header and logical screen with a global table of 2^bits grey-ish colours
// (entry i = (i, i, i)), or none with bits 0.
inline std::string header(int w, int h, int bits, const char *version = "GIF89a", int bg = 0) {
  std::string s = version;
  le16(s, w);
  le16(s, h);
  s.push_back(char(bits ? 0x80 | ((bits - 1) << 4) | (bits - 1) : 0));
  s.push_back(char(bg));
  s.push_back(0);
  for (int i = 0; i < (bits ? (1 << bits) : 0); ++i) s += std::string(3, char(i));
  return s;
}

inline std::string gce(int delay, int disposal, int transparent = -1) {
  std::string s = "!\xF9\x04";
  s.push_back(char((disposal << 2) | (transparent >= 0 ? 1 : 0)));
  le16(s, delay);
  s.push_back(char(transparent >= 0 ? transparent : 0));
  s.push_back(0);
  return s;
}

inline std::string descriptor(int x, int y, int w, int h, uint8_t packed = 0) {
  std::string s = ",";
  le16(s, x);
  le16(s, y);
  le16(s, w);
  le16(s, h);
  s.push_back(char(packed));
  return s;
}

// Codes of the given widths packed LSB first, as image data with its minimum
// code size and terminator.
inline std::string codes(int minSize, std::initializer_list<std::pair<int, int>> list) {
  std::string bytes;
  uint32_t acc = 0;
  int n = 0;
  for (auto [code, width] : list) {
    acc |= uint32_t(code) << n;
    n += width;
    while (n >= 8) {
      bytes.push_back(char(acc & 0xFF));
      acc >>= 8;
      n -= 8;
    }
  }
  if (n > 0) bytes.push_back(char(acc & 0xFF));
  std::string s;
  s.push_back(char(minSize));
  for (size_t i = 0; i < bytes.size(); i += 255) {
    const size_t k = std::min<size_t>(255, bytes.size() - i);
    s.push_back(char(k));
    s += bytes.substr(i, k);
  }
  s.push_back(0);
  return s;
}

// Image data of a w x h frame of one colour index, 8-bit pixels, by our encoder.
inline std::string solidData(int w, int h, uint8_t index = 1, int bits = 8) {
  std::vector<uint8_t> px(size_t(w) * size_t(h), index);
  std::string out;
  kc::LZWEncode(px.data(), w, bits, w, h, false, out);
  return out;
}

// The message of the codec error f throws; empty when it throws none.
inline std::string errorOf(const std::function<void()> &f) {
  try {
    f();
  } catch (const kc::EKcGraphicError &e) {
    return e.what();
  }
  return {};
}

// The palette indices of an 8-bit indexed picture, row by row.
inline std::vector<int> indices(const QImage &img) {
  std::vector<int> v;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) v.push_back(img.constScanLine(y)[x]);
  return v;
}

} // namespace gifbytes
