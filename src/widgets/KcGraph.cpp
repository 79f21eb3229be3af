#include "widgets/KcGraph.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cstring>

namespace kc {

int DefaultColorReduction = crHistogram;

namespace {

constexpr std::array<int, 4> kLevels4{0, 85, 170, 255};
constexpr std::array<int, 6> kLevels6{0, 51, 102, 153, 204, 255};
constexpr std::array<int, 7> kLevels7{0, 43, 85, 128, 170, 213, 255};
constexpr std::array<int, 8> kLevels8{0, 36, 73, 109, 146, 182, 219, 255};

template <size_t N> std::array<uint8_t, 256> nearestTable(const std::array<int, N> &levels) {
  std::array<uint8_t, 256> t{};
  for (int v = 0; v < 256; ++v) {
    int best = 0;
    for (size_t i = 1; i < N; ++i)
      if (std::abs(levels[i] - v) < std::abs(levels[best] - v)) best = int(i);
    t[v] = uint8_t(best);
  }
  return t;
}

const std::array<uint8_t, 256> kNear4 = nearestTable(kLevels4);
const std::array<uint8_t, 256> kNear6 = nearestTable(kLevels6);
const std::array<uint8_t, 256> kNear7 = nearestTable(kLevels7);
const std::array<uint8_t, 256> kNear8 = nearestTable(kLevels8);

void put16(std::string &s, uint16_t v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char(v >> 8));
}
void put32(std::string &s, uint32_t v) {
  put16(s, uint16_t(v & 0xFFFF));
  put16(s, uint16_t(v >> 16));
}
uint32_t get32(std::string_view s, size_t at) {
  return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 | uint32_t(uint8_t(s[at + 2])) << 16 |
         uint32_t(uint8_t(s[at + 3])) << 24;
}
uint16_t get16(std::string_view s, size_t at) { return uint16_t(uint8_t(s[at]) | uint8_t(s[at + 1]) << 8); }

int rowSizeFor(int width, int bits) { return int(((int64_t(width) * bits + 31) / 32) * 4); }

// Builds the complete file image from a palette and rows of indices, one
// byte per pixel, top-down.
std::string buildDIB(int width, int height, int bits, const std::vector<QRgb> &palette,
                     const std::vector<uint8_t> &indices, uint32_t colorsUsed = 0) {
  const int rowSize = rowSizeFor(width, bits);
  const uint32_t imageSize = uint32_t(rowSize) * uint32_t(height);
  const uint32_t tableSize = 4u << bits;
  std::string s;
  s.reserve(54 + tableSize + imageSize);
  s += "BM";
  put32(s, imageSize + tableSize + 54);
  put32(s, 0);
  put32(s, tableSize + 54);
  put32(s, 40);
  put32(s, uint32_t(width));
  put32(s, uint32_t(height));
  put16(s, 1);
  put16(s, uint16_t(bits));
  put32(s, 0);
  put32(s, imageSize);
  put32(s, 0);
  put32(s, 0);
  put32(s, colorsUsed);
  put32(s, 0);
  for (int i = 0; i < (1 << bits); ++i) {
    const QRgb c = i < int(palette.size()) ? palette[i] : qRgb(128, 128, 128);
    s.push_back(char(qBlue(c)));
    s.push_back(char(qGreen(c)));
    s.push_back(char(qRed(c)));
    s.push_back(0);
  }
  const size_t pixelStart = s.size();
  s.resize(pixelStart + imageSize, '\0');
  const uint8_t mask = uint8_t((1 << bits) - 1);
  for (int y = 0; y < height; ++y) {
    uint8_t *row = reinterpret_cast<uint8_t *>(&s[pixelStart + size_t(height - 1 - y) * rowSize]);
    const uint8_t *src = indices.data() + size_t(y) * width;
    if (bits == 8) {
      std::memcpy(row, src, size_t(width));
    } else if (bits == 4) {
      for (int x = 0; x < width; ++x) row[x >> 1] |= uint8_t((src[x] & mask) << ((x & 1) ? 0 : 4));
    } else {
      for (int x = 0; x < width; ++x) row[x >> 3] |= uint8_t((src[x] & mask) << (7 - (x & 7)));
    }
  }
  return s;
}

std::vector<QRgb> rgbRows(const QImage &bmp) {
  const QImage img = bmp.convertToFormat(QImage::Format_RGB32);
  std::vector<QRgb> px(size_t(img.width()) * img.height());
  for (int y = 0; y < img.height(); ++y)
    std::memcpy(px.data() + size_t(y) * img.width(), img.constScanLine(y), size_t(img.width()) * 4);
  return px;
}

int nearestIndex(const std::vector<QRgb> &pal, int count, QRgb c) {
  int best = 0;
  long bestD = -1;
  for (int i = 0; i < count; ++i) {
    const long dr = qRed(pal[i]) - qRed(c), dg = qGreen(pal[i]) - qGreen(c), db = qBlue(pal[i]) - qBlue(c);
    const long d = dr * dr + dg * dg + db * db;
    if (bestD < 0 || d < bestD) {
      bestD = d;
      best = i;
    }
  }
  return best;
}

// Method 0: the most frequent colours after masking off as few low bits as
// needed to fit the histogram table.
void reduceHistogram(const std::vector<QRgb> &px, std::vector<QRgb> &pal, std::vector<uint8_t> &idx) {
  constexpr int kEntries = 2049, kSlots = 5191;
  struct Entry {
    uint32_t count;
    uint8_t b, g, r, index;
  };
  std::vector<Entry> entries;
  entries.reserve(kEntries);
  std::vector<uint16_t> hashSlots(kSlots, 0xFFFF);
  uint8_t mr = 255, mg = 255, mb = 255;
  auto find = [&](uint8_t r, uint8_t g, uint8_t b, bool insert) -> int {
    int h = int(((uint32_t(r) + g) * (uint32_t(g) + b) * (uint32_t(b) + r)) % kSlots);
    for (;;) {
      const uint16_t e = hashSlots[h];
      if (e == 0xFFFF) {
        if (!insert) return -1;
        if (int(entries.size()) >= kEntries) return -2;
        entries.push_back({1, b, g, r, 0});
        hashSlots[h] = uint16_t(entries.size() - 1);
        return -3;
      }
      const Entry &en = entries[e];
      if (en.r == r && en.g == g && en.b == b) return e;
      h = (h + 1) % kSlots;
    }
  };
  for (;;) {
    bool overflow = false;
    for (QRgb c : px) {
      const int e = find(uint8_t(qRed(c) & mr), uint8_t(qGreen(c) & mg), uint8_t(qBlue(c) & mb), true);
      if (e >= 0) ++entries[e].count;
      else if (e == -2) {
        overflow = true;
        break;
      }
    }
    if (!overflow) break;
    entries.clear();
    std::fill(hashSlots.begin(), hashSlots.end(), 0xFFFF);
    if (mr < mg) mg = uint8_t(mg << 1);
    else if (mr <= mb) mb = uint8_t(mb << 1);
    else mr = uint8_t(mr << 1);
  }
  pal.assign(256, qRgb(128, 128, 128));
  std::vector<bool> chosen(entries.size(), false);
  int used = 0;
  while (used < 256) {
    int best = -1;
    for (size_t i = 0; i < entries.size(); ++i)
      if (entries[i].count > 0 && (best < 0 || entries[i].count > entries[size_t(best)].count)) best = int(i);
    if (best < 0) break;
    Entry &e = entries[size_t(best)];
    e.count = 0;
    e.index = uint8_t(used);
    chosen[size_t(best)] = true;
    pal[size_t(used++)] = qRgb(e.r, e.g, e.b);
  }
  for (size_t i = 0; i < entries.size(); ++i)
    if (!chosen[i]) entries[i].index = uint8_t(nearestIndex(pal, used, qRgb(entries[i].r, entries[i].g, entries[i].b)));
  idx.resize(px.size());
  for (size_t i = 0; i < px.size(); ++i) {
    const QRgb c = px[i];
    idx[i] = entries[size_t(find(uint8_t(qRed(c) & mr), uint8_t(qGreen(c) & mg), uint8_t(qBlue(c) & mb), false))].index;
  }
}

// Truncation to a fixed palette of every mix of the red, green and blue levels
// (red slowest, blue fastest); a pixel takes the nearest level of each channel.
template <size_t R, size_t G, size_t B>
void reduceTruncation(const std::array<int, R> &red, const std::array<int, G> &green, const std::array<int, B> &blue,
                      const std::vector<QRgb> &px, std::vector<QRgb> &pal, std::vector<uint8_t> &idx) {
  for (int r : red)
    for (int g : green)
      for (int b : blue) pal.push_back(qRgb(r, g, b));
  const std::array<uint8_t, 256> nearR = nearestTable(red);
  const std::array<uint8_t, 256> nearG = nearestTable(green);
  const std::array<uint8_t, 256> nearB = nearestTable(blue);
  for (size_t i = 0; i < px.size(); ++i)
    idx[i] = uint8_t((nearR[size_t(qRed(px[i]))] * G + nearG[size_t(qGreen(px[i]))]) * B + nearB[size_t(qBlue(px[i]))]);
}

// Method 1: median cut over 4-bit-per-channel cells.
int reduceMedianCut(const std::vector<QRgb> &px, std::vector<QRgb> &pal, std::vector<uint8_t> &idx) {
  struct Cell {
    uint32_t count = 0;
    uint64_t r = 0, g = 0, b = 0;
  };
  std::vector<Cell> cells(4096);
  auto cellOf = [](QRgb c) { return (qRed(c) >> 4) << 8 | (qGreen(c) >> 4) << 4 | (qBlue(c) >> 4); };
  for (QRgb c : px) {
    Cell &cl = cells[size_t(cellOf(c))];
    ++cl.count;
    cl.r += uint64_t(qRed(c));
    cl.g += uint64_t(qGreen(c));
    cl.b += uint64_t(qBlue(c));
  }
  auto chan = [](int cell, int ch) { return (cell >> (8 - 4 * ch)) & 15; };
  std::vector<std::vector<int>> boxes(1);
  for (int i = 0; i < 4096; ++i)
    if (cells[size_t(i)].count) boxes[0].push_back(i);
  if (boxes[0].empty()) boxes.clear();
  while (boxes.size() < 256) {
    int bestBox = -1, bestCh = 0, bestExt = -1;
    for (size_t bi = 0; bi < boxes.size(); ++bi) {
      if (boxes[bi].size() < 2) continue;
      for (int ch = 0; ch < 3; ++ch) {
        int lo = 15, hi = 0;
        for (int c : boxes[bi]) {
          lo = std::min(lo, chan(c, ch));
          hi = std::max(hi, chan(c, ch));
        }
        if (hi - lo > bestExt) {
          bestExt = hi - lo;
          bestBox = int(bi);
          bestCh = ch;
        }
      }
    }
    if (bestBox < 0) break;
    std::vector<int> &box = boxes[size_t(bestBox)];
    std::stable_sort(box.begin(), box.end(), [&](int a, int b) { return chan(a, bestCh) < chan(b, bestCh); });
    uint64_t total = 0;
    for (int c : box) total += cells[size_t(c)].count;
    uint64_t run = 0;
    size_t cut = 0;
    while (cut < box.size() - 1) {
      run += cells[size_t(box[cut])].count;
      ++cut;
      if (run * 2 >= total) break;
    }
    std::vector<int> upper(box.begin() + long(cut), box.end());
    box.resize(cut);
    boxes.push_back(std::move(upper));
  }
  pal.assign(256, qRgb(128, 128, 128));
  std::vector<uint8_t> cellIndex(4096, 0);
  for (size_t bi = 0; bi < boxes.size(); ++bi) {
    uint64_t n = 0, r = 0, g = 0, b = 0;
    for (int c : boxes[bi]) {
      const Cell &cl = cells[size_t(c)];
      n += cl.count;
      r += cl.r;
      g += cl.g;
      b += cl.b;
      cellIndex[size_t(c)] = uint8_t(bi);
    }
    if (n) pal[bi] = qRgb(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n));
  }
  idx.resize(px.size());
  for (size_t i = 0; i < px.size(); ++i) idx[i] = cellIndex[size_t(cellOf(px[i]))];
  return int(boxes.size());
}

} // namespace

int NearestLevel4(int v) { return kNear4[size_t(std::clamp(v, 0, 255))]; }
int NearestLevel6(int v) { return kNear6[size_t(std::clamp(v, 0, 255))]; }
int NearestLevel7(int v) { return kNear7[size_t(std::clamp(v, 0, 255))]; }
int NearestLevel8(int v) { return kNear8[size_t(std::clamp(v, 0, 255))]; }

int BitmapBitsPerPixel(const QImage &bmp) {
  switch (bmp.format()) {
  case QImage::Format_Mono:
  case QImage::Format_MonoLSB: return 1;
  case QImage::Format_Indexed8: return bmp.colorCount() <= 2 ? 1 : bmp.colorCount() <= 16 ? 4 : 8;
  default: return 32;
  }
}

std::string SavePaletteBitmap(const QImage &bmp) {
  const int bits = BitmapBitsPerPixel(bmp);
  if (bits > 8) throw EKcGraphicError("Function not yet implemented");
  const QImage img = bmp.format() == QImage::Format_Indexed8 ? bmp : bmp.convertToFormat(QImage::Format_Indexed8);
  const QList<QRgb> table = img.colorTable();
  std::vector<QRgb> pal(table.begin(), table.end());
  std::vector<uint8_t> idx(size_t(img.width()) * img.height());
  for (int y = 0; y < img.height(); ++y)
    std::memcpy(idx.data() + size_t(y) * img.width(), img.constScanLine(y), size_t(img.width()));
  return buildDIB(img.width(), img.height(), bits, pal, idx);
}

std::string BitmapToMemoryStream(const QImage &bmp, TPixelFormat fmt, int method) {
  if (bmp.isNull()) throw EKcGraphicError("Bitmap image is not valid");
  const int have = BitmapBitsPerPixel(bmp);
  const int want = fmt == TPixelFormat::pf1bit   ? 1
                   : fmt == TPixelFormat::pf4bit ? 4
                   : fmt == TPixelFormat::pf8bit ? 8
                                                 : 0;
  if (want == 0) throw EKcGraphicError("Function not yet implemented");
  if (have == want && method != crGrayscale) return SavePaletteBitmap(bmp);
  const int w = bmp.width(), h = bmp.height();
  const std::vector<QRgb> px = rgbRows(bmp);
  std::vector<QRgb> pal;
  std::vector<uint8_t> idx(px.size());
  if (want < 8) {
    // Fetched in the smaller format against the bitmap's own palette (or the
    // system's default one when it has none).
    const QList<QRgb> table = bmp.colorTable();
    pal.assign(table.begin(), table.end());
    if (pal.empty()) {
      if (want == 1) pal = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
      else
        pal = {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
               qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(128, 128, 128),
               qRgb(192, 192, 192), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
               qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    }
    pal.resize(std::min<size_t>(pal.size(), size_t(1) << want));
    for (size_t i = 0; i < px.size(); ++i) idx[i] = uint8_t(nearestIndex(pal, int(pal.size()), px[i]));
    return buildDIB(w, h, want, pal, idx);
  }
  uint32_t colorsUsed = 0;
  switch (method) {
  case crHistogram: reduceHistogram(px, pal, idx); break;
  case crMedianCut: colorsUsed = uint32_t(reduceMedianCut(px, pal, idx)); break;
  case crTruncation784: reduceTruncation(kLevels7, kLevels8, kLevels4, px, pal, idx); break;
  case crTruncation666: reduceTruncation(kLevels6, kLevels6, kLevels6, px, pal, idx); break;
  case crChannelRamps:
    pal.assign(256, qRgb(128, 128, 128));
    for (int i = 0; i < 64; ++i) {
      pal[size_t(i)] = qRgb(i * 4, 0, 0);
      pal[size_t(64 + i)] = qRgb(0, i * 4, 0);
      pal[size_t(128 + i)] = qRgb(0, 0, i * 4);
    }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const QRgb c = px[size_t(y) * w + x];
        const int k = (x + y) % 3;
        idx[size_t(y) * w + x] = uint8_t(k == 0   ? qRed(c) >> 2
                                         : k == 1 ? 64 + (qGreen(c) >> 2)
                                                  : 128 + (qBlue(c) >> 2));
      }
    break;
  case crGrayscale:
    for (int i = 0; i < 256; ++i) pal.push_back(qRgb(i, i, i));
    for (size_t i = 0; i < px.size(); ++i)
      idx[i] = uint8_t((77 * qRed(px[i]) + 150 * qGreen(px[i]) + 29 * qBlue(px[i])) >> 8);
    break;
  default: throw EKcGraphicError("Function not yet implemented");
  }
  return buildDIB(w, h, 8, pal, idx, colorsUsed);
}

bool ParseBitmapFile(std::string_view f, TDIBImage &out) {
  if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') return false;
  const uint32_t offBits = get32(f, 10);
  const uint32_t hdr = get32(f, 14);
  if (hdr < 40 || uint64_t(14) + hdr > f.size()) return false;
  const int32_t w = int32_t(get32(f, 18));
  const int32_t h = int32_t(get32(f, 22));
  const int bits = get16(f, 28);
  if (get32(f, 30) != 0 || w <= 0 || h <= 0 || (bits != 1 && bits != 4 && bits != 8)) return false;
  uint32_t used = get32(f, 46);
  out.ColorsUsed = int(std::min<uint32_t>(used, 1u << bits));
  if (used == 0 || used > (1u << bits)) used = 1u << bits;
  const uint64_t tableAt = 14 + uint64_t(hdr);
  if (tableAt + uint64_t(used) * 4 > f.size()) return false;
  const int rowSize = rowSizeFor(w, bits);
  if (uint64_t(offBits) + uint64_t(rowSize) * uint64_t(h) > f.size()) return false;
  out.Width = w;
  out.Height = h;
  out.BitsPerPixel = bits;
  out.RowSize = rowSize;
  // A table written in full (the pixels begin after it) is read in full,
  // also beyond the colours the header counts as used.
  uint64_t present = used;
  if (offBits > tableAt)
    present = std::max<uint64_t>(
        used, std::min<uint64_t>({uint64_t(1) << bits, (offBits - tableAt) / 4, (f.size() - tableAt) / 4}));
  out.Colors.clear();
  for (uint32_t i = 0; i < (1u << bits); ++i) {
    if (i < present) {
      const size_t at = size_t(tableAt + i * 4);
      out.Colors.push_back(qRgb(uint8_t(f[at + 2]), uint8_t(f[at + 1]), uint8_t(f[at])));
    } else {
      out.Colors.push_back(qRgb(0, 0, 0));
    }
  }
  out.Pixels = f.substr(offBits, size_t(rowSize) * size_t(h));
  return true;
}

void StretchTransparent(QPainter &p, QRect dest, const QImage &bmp, QRect src, std::optional<QRgb> transparent) {
  if (bmp.isNull()) return;
  if (src.width() < 1 || src.height() < 1) src = QRect(src.topLeft(), bmp.size());
  if (dest.width() < 1 || dest.height() < 1) dest = QRect(dest.topLeft(), bmp.size());
  if (!transparent) {
    p.drawImage(dest, bmp, src);
    return;
  }
  QImage part = bmp.copy(src).convertToFormat(QImage::Format_ARGB32);
  const QRgb key = *transparent & 0xFFFFFF;
  for (int y = 0; y < part.height(); ++y) {
    QRgb *row = reinterpret_cast<QRgb *>(part.scanLine(y));
    for (int x = 0; x < part.width(); ++x)
      if ((row[x] & 0xFFFFFF) == key) row[x] = 0;
  }
  p.drawImage(dest, part);
}

} // namespace kc
