#include "widgets/KcGIF.h"

#include "platform/AsciiCase.h"
#include "platform/Clipboard.h"

#include <QBuffer>
#include <QFile>
#include <QIODevice>
#include <QPainter>
#include <algorithm>
#include <cstring>

namespace kc {

const char *const GIFVersions[3] = {"", "87a", "89a"};
const uint8_t GIFExtensionLabels[4] = {0xF9, 0x01, 0xFF, 0xFE};
bool TolerateCorruptGIF = true;

namespace {

const char *const kStreamReadError = "Stream read error";
const char *const kWrongColors = "Wrong number of colors; must be a power of 2";
const char *const kNoData = "No GIF Data to write";
const char *const kEncodingError = "GIF image encoding error";

void put16(std::string &s, uint32_t v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char((v >> 8) & 0xFF));
}

// Smallest n >= 1 with 2^n >= count.
int bitsFor(int count) {
  int n = 1;
  while (n < 8 && (1 << n) < count)
    ++n;
  return n;
}

void writeSubBlocks(std::string &s, const std::vector<std::string> &strings) {
  for (const std::string &str : strings) {
    // An empty string would write the terminator in the middle.
    if (str.empty())
      continue;
    const size_t n = std::min<size_t>(str.size(), 255);
    s.push_back(char(n));
    s.append(str, 0, n);
  }
  s.push_back('\0');
}

// Reads a QIODevice from its position to its end without trusting any size.
std::string readAll(QIODevice &dev) {
  std::string s;
  char buf[65536];
  for (;;) {
    const qint64 n = dev.read(buf, sizeof buf);
    if (n <= 0)
      break;
    s.append(buf, size_t(n));
  }
  return s;
}

void writeAll(QIODevice &dev, const std::string &s) {
  if (dev.write(s.data(), qint64(s.size())) != qint64(s.size()))
    throw EKcGraphicError("Stream write error");
}

} // namespace

int ColorCountToBits(int count) {
  for (int b = 1; b <= 8; ++b)
    if (count == (1 << b))
      return b;
  throw EKcGraphicError(kWrongColors);
}

void TExtension::Assign(const TExtension &src) {
  ExtType = src.ExtType;
  ExtRec = src.ExtRec;
  if (src.Data && !src.Data->empty()) {
    if (!Data)
      Data.emplace();
    *Data = *src.Data;
  }
}

// ---------------------------------------------------------------------------
// LZW decoding

bool LZWDecode(std::string_view data, int width, int height, int colorBits, bool interlaced,
               bool tolerate, uint8_t *out, const std::function<void(int)> &progress) {
  const size_t total = size_t(std::max(width, 0)) * size_t(std::max(height, 0));
  if (total == 0)
    return false;
  if (data.empty())
    throw EKcGraphicError(kStreamReadError);
  int s = uint8_t(data[0]);
  bool corrupt = false;
  if (s < 2 || s > 9) {
    if (!tolerate)
      throw EKcGraphicError("GIF code size not in range 2 to 9");
    s = std::clamp(s, 2, 9);
    corrupt = true;
  }
  // The sub-blocks joined, with room to read a whole word past the end.
  std::vector<uint8_t> buf;
  buf.reserve(data.size() + 4);
  for (size_t pos = 1; pos < data.size();) {
    const size_t n = uint8_t(data[pos++]);
    if (n == 0)
      break;
    const size_t take = std::min(n, data.size() - pos);
    buf.insert(buf.end(), data.begin() + long(pos), data.begin() + long(pos + take));
    pos += take;
  }
  const uint64_t totalBits = uint64_t(buf.size()) * 8;
  buf.resize(buf.size() + 4, 0);

  const int clear = 1 << s, endCode = clear + 1, firstFree = clear + 2;
  const uint8_t colorMask = uint8_t((1 << std::clamp(colorBits, 1, 8)) - 1);
  uint16_t prefix[4096];
  uint8_t suffix[4096], first[4096];
  uint16_t length[4096];
  for (int c = 0; c < clear; ++c) {
    suffix[c] = first[c] = uint8_t(c & colorMask);
    length[c] = 1;
    prefix[c] = 0;
  }

  std::vector<uint8_t> linear;
  uint8_t *const base = interlaced ? (linear.resize(total), linear.data()) : out;
  uint8_t *o = base;
  uint8_t *const end = base + total;

  int codeSize = s + 1, limit = 1 << codeSize, freeCode = firstFree;
  uint32_t mask = uint32_t(limit - 1);
  bool full = false, seenClear = false, eod = false;
  int old = -1;
  uint64_t bitPos = 0;
  int reported = -1;

  // Writes the string of a code, cut where the picture ends.
  auto putCode = [&](int code) {
    size_t len = length[code];
    const size_t avail = size_t(end - o);
    while (len > avail) {
      code = prefix[code];
      --len;
    }
    uint8_t *p = o + len - 1;
    while (code >= clear) {
      *p-- = suffix[code];
      code = prefix[code];
    }
    *p = suffix[code];
    o += len;
  };
  auto damaged = [&]() {
    if (!tolerate)
      throw EKcGraphicError("GIF encoded data is corrupt");
    corrupt = true;
  };

  while (o < end) {
    if (bitPos + uint64_t(codeSize) > totalBits) {
      eod = true;
      break;
    }
    const size_t at = size_t(bitPos >> 3);
    const uint32_t word = uint32_t(buf[at]) | uint32_t(buf[at + 1]) << 8 | uint32_t(buf[at + 2]) << 16;
    const int code = int((word >> (bitPos & 7)) & mask);
    bitPos += uint64_t(codeSize);
    if (progress) {
      const int percent = int(bitPos * 100 / totalBits);
      if (percent != reported)
        progress(reported = percent);
    }

    if (code == clear) {
      codeSize = s + 1;
      limit = 1 << codeSize;
      mask = uint32_t(limit - 1);
      freeCode = firstFree;
      full = false;
      seenClear = true;
      old = -1;
      continue;
    }
    if (code == endCode)
      break;
    if (!seenClear) { // the data must start with a clear code
      damaged();
      break;
    }
    if (old < 0) { // the first code after a clear is a literal
      if (code >= clear) {
        damaged();
        break;
      }
      putCode(code);
      old = code;
      continue;
    }
    if (corrupt)
      break;
    if (code > freeCode || (code == freeCode && full)) {
      damaged();
      break;
    }
    const bool pending = code == freeCode; // the string being defined right now
    if (!full) {
      prefix[freeCode] = uint16_t(old);
      suffix[freeCode] = pending ? first[old] : first[code];
      first[freeCode] = first[old];
      length[freeCode] = uint16_t(length[old] + 1);
    }
    putCode(code);
    if (!full) {
      if (++freeCode == limit) {
        if (codeSize < 12) {
          ++codeSize;
          limit <<= 1;
          mask = uint32_t(limit - 1);
        } else {
          full = true;
        }
      }
    }
    old = code;
  }
  if (eod)
    throw EKcGraphicError(kStreamReadError);
  if (interlaced) {
    static const int passes[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    const uint8_t *src = linear.data();
    for (const auto &pass : passes)
      for (int y = pass[0]; y < height; y += pass[1]) {
        std::memcpy(out + size_t(y) * size_t(width), src, size_t(width));
        src += width;
      }
  }
  return corrupt;
}

// ---------------------------------------------------------------------------
// LZW encoding

void LZWEncode(const uint8_t *firstRow, std::ptrdiff_t stride, int bits, int width, int height,
               bool interlace, std::string &out, const std::function<void(int)> &progress) {
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
      for (int x = 0; x < width; ++x)
        unpacked[size_t(x)] = uint8_t((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
      row = unpacked.data();
    } else if (bits == 1) {
      for (int x = 0; x < width; ++x)
        unpacked[size_t(x)] = uint8_t((row[x >> 3] >> (7 - (x & 7))) & 1);
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
        if (++slot == kSlots)
          slot = 0;
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
      if (percent != reported)
        progress(reported = percent);
    }
  };
  if (interlace) {
    static const int passes[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    for (const auto &pass : passes)
      for (int y = pass[0]; y < height; y += pass[1])
        nextRow(y);
  } else {
    for (int y = 0; y < height; ++y)
      nextRow(y);
  }
  if (length > 0) {
    putCode(prefix);
    // Reading that code makes the decoder add one more entry; the end code
    // must come in the width the decoder then expects.
    if (freeCode + 1 == limit && codeSize < 12)
      ++codeSize;
  }
  putCode(endCode);
  if (accBits > 0)
    block.push_back(char(acc & 0xFF));
  if (!block.empty()) {
    out.push_back(char(block.size()));
    out += block;
  }
  out.push_back('\0');
}

// ---------------------------------------------------------------------------
// Frames

TKcGIFFrame::TKcGIFFrame(TKcGIFImage *owner) : Item(std::make_shared<TGIFItem>()), FOwner(owner) {}

void TKcGIFFrame::SetTransparentColor(std::optional<QRgb> c) {
  FTransparentIndex = -1;
  FTransparentColor = c ? std::optional<QRgb>(*c | 0xFF000000u) : std::nullopt;
}

void TKcGIFFrame::SetTransparentIndex(int index) {
  if (index >= 0 && index < Item->ColorMap.Count) {
    FTransparentIndex = index;
    FTransparentColor = Item->ColorMap.color(index);
  } else {
    FTransparentIndex = -1;
    FTransparentColor.reset();
  }
}

int TKcGIFFrame::Width() const {
  if (!FBitmap.isNull())
    return FBitmap.width();
  return Item->ImageData ? Item->Size.width() : 0;
}

int TKcGIFFrame::Height() const {
  if (!FBitmap.isNull())
    return FBitmap.height();
  return Item->ImageData ? Item->Size.height() : 0;
}

const QImage &TKcGIFFrame::Bitmap() {
  if (FBitmap.isNull())
    decode();
  return FBitmap;
}

void TKcGIFFrame::decode() {
  const TGIFItem &item = *Item;
  if (!item.ImageData)
    return;
  int bits;
  if (item.BitsPerPixel == 1)
    bits = 1;
  else if (item.BitsPerPixel >= 2 && item.BitsPerPixel <= 4)
    bits = 4;
  else if (item.BitsPerPixel >= 5 && item.BitsPerPixel <= 8)
    bits = 8;
  else
    throw EKcGraphicError(kWrongColors);
  const int w = item.Size.width(), h = item.Size.height();
  if (w <= 0 || h <= 0 || int64_t(w) * h > kGIFPixelBudget)
    return;
  QImage img(w, h, QImage::Format_Indexed8);
  if (img.isNull())
    return;
  QList<QRgb> table(1 << bits, qRgb(128, 128, 128));
  for (int i = 0; i < std::min(item.ColorMap.Count, int(table.size())); ++i)
    table[i] = item.ColorMap.color(i);
  img.setColorTable(table);
  const bool direct = img.bytesPerLine() == w;
  std::vector<uint8_t> pixels;
  if (!direct)
    pixels.assign(size_t(w) * size_t(h), 0);
  else
    img.fill(0);
  uint8_t *target = direct ? img.bits() : pixels.data();
  const bool report = FOwner && FOwner->OnProgress;
  if (report)
    progress(TProgressStage::psStarting, 0);
  bool corrupt;
  try {
    corrupt = LZWDecode(*item.ImageData, w, h, item.BitsPerPixel, Interlaced, TolerateCorruptGIF, target,
                        report ? std::function<void(int)>([this](int percent) {
                          progress(TProgressStage::psRunning, percent);
                        })
                               : std::function<void(int)>());
  } catch (const EKcGraphicError &e) {
    if (report)
      progress(TProgressStage::psEnding, 0, e.what());
    throw;
  }
  if (report)
    progress(TProgressStage::psEnding, 100);
  if (!direct)
    for (int y = 0; y < h; ++y)
      std::memcpy(img.scanLine(y), pixels.data() + size_t(y) * size_t(w), size_t(w));
  Corrupted = Corrupted || corrupt;
  FBitmap = img;
}

void TKcGIFFrame::encode() {
  if (FBitmap.isNull() || FBitmap.width() < 1 || FBitmap.height() < 1)
    throw EKcGraphicError(kNoData);
  std::string dib;
  if (BitmapBitsPerPixel(FBitmap) <= 8) {
    dib = SavePaletteBitmap(FBitmap);
  } else {
    const int method = Grayscale ? crGrayscale : DefaultColorReduction;
    dib = BitmapToMemoryStream(FBitmap, TPixelFormat::pf8bit, method);
    if (method == crGrayscale)
      Grayscale = true;
  }
  TDIBImage di;
  if (!ParseBitmapFile(dib, di))
    throw EKcGraphicError(kEncodingError);
  const int colors = di.BitsPerPixel == 1 ? 2 : di.BitsPerPixel == 4 ? 16 : 256;
  Interlaced = false;
  TGIFItem &item = *Item;
  item.ColorMap = TGIFColorTable();
  item.ColorMap.Count = std::min(256, colors);
  for (int i = 0; i < item.ColorMap.Count; ++i)
    item.ColorMap.setColor(i, di.Colors[size_t(i)]);
  item.ImageData.emplace();
  const uint8_t *top = reinterpret_cast<const uint8_t *>(di.Pixels.data()) + size_t(di.Height - 1) * size_t(di.RowSize);
  const bool report = FOwner && FOwner->OnProgress;
  if (report)
    progress(TProgressStage::psStarting, 0);
  LZWEncode(top, -std::ptrdiff_t(di.RowSize), di.BitsPerPixel, di.Width, di.Height, false, *item.ImageData,
            report ? std::function<void(int)>([this](int percent) { progress(TProgressStage::psRunning, percent); })
                   : std::function<void(int)>());
  if (report)
    progress(TProgressStage::psEnding, 100);
  item.BitsPerPixel = uint8_t(bitsFor(item.ColorMap.Count));
  TKcGIFImage *img = FOwner;
  if (img) {
    TGIFData &shared = *img->FSharedData;
    if (shared.ColorMap.Count == 0) {
      shared.ColorMap = item.ColorMap;
      shared.BitsPerPixel = item.BitsPerPixel;
      LocalColors = false;
    } else {
      LocalColors = true;
    }
  } else {
    LocalColors = true;
  }
  item.Size = QSize(di.Width, di.Height);
  if (img) {
    img->FScreenWidth = uint16_t(std::clamp(std::max<int>(img->FScreenWidth, di.Width + Origin.x()), 0, 65535));
    img->FScreenHeight = uint16_t(std::clamp(std::max<int>(img->FScreenHeight, di.Height + Origin.y()), 0, 65535));
  }
}

void TKcGIFFrame::updateGraphicControl() {
  TExtension *gce = nullptr;
  if (Extensions)
    for (TExtension &e : *Extensions)
      if (e.ExtType == geGraphicControl)
        gce = &e;
  if (!gce && (AnimateInterval > 0 || FTransparentColor || DisposalMethod != 0)) {
    if (!Extensions)
      Extensions.emplace();
    TExtension e;
    e.ExtType = geGraphicControl;
    e.ExtRec[0] = 4;
    Extensions->push_back(e);
    gce = &Extensions->back();
  }
  if (gce) {
    const int delay = AnimateInterval / 10;
    gce->ExtRec[2] = uint8_t(delay & 0xFF);
    gce->ExtRec[3] = uint8_t(delay >> 8);
    const TGIFColorTable &map = Item->ColorMap;
    int index = -1;
    if (FTransparentIndex >= 0 && FTransparentIndex < map.Count) {
      index = FTransparentIndex;
    } else if (FTransparentColor) {
      for (int i = 0; i < map.Count && index < 0; ++i)
        if ((map.color(i) & 0xFFFFFF) == (*FTransparentColor & 0xFFFFFF))
          index = i;
    }
    if (index >= 0) {
      gce->ExtRec[4] = uint8_t(index);
      gce->ExtRec[1] |= 0x01;
    } else {
      gce->ExtRec[1] &= uint8_t(~0x01);
    }
    gce->ExtRec[1] = uint8_t((gce->ExtRec[1] & ~0x1C) | ((DisposalMethod & 7) << 2));
  }
  if (Extensions) {
    auto &v = *Extensions;
    v.erase(std::remove_if(v.begin(), v.end(),
                           [](const TExtension &e) {
                             return e.ExtType == geComment && (!e.Data || e.Data->empty());
                           }),
            v.end());
    if (!v.empty() && FOwner)
      FOwner->FVersion = 2;
  }
}

void TKcGIFFrame::Assign(const TKcGIFFrame &src) {
  if (&src == this)
    return;
  Item = src.Item;
  LocalColors = (src.FOwner == FOwner) ? src.LocalColors : true;
  Origin = src.Origin;
  Interlaced = src.Interlaced;
  FBitmap = src.FBitmap.isNull() ? QImage() : src.FBitmap.copy();
  FTransparentColor = src.FTransparentColor;
  FTransparentIndex = src.FTransparentIndex;
  AnimateInterval = src.AnimateInterval;
  DisposalMethod = src.DisposalMethod;
  Grayscale = src.Grayscale;
  Corrupted = src.Corrupted;
  std::vector<std::string> comments;
  if (src.Extensions)
    for (const TExtension &e : *src.Extensions)
      if (e.ExtType == geComment && e.Data)
        comments.insert(comments.end(), e.Data->begin(), e.Data->end());
  if (!comments.empty()) {
    if (!Extensions)
      Extensions.emplace();
    TExtension *c = nullptr;
    for (TExtension &e : *Extensions)
      if (e.ExtType == geComment)
        c = &e;
    if (!c) {
      Extensions->push_back(TExtension());
      c = &Extensions->back();
      c->ExtType = geComment;
    }
    c->Data = comments;
  }
  if (FOwner)
    FOwner->recomputeScreen();
}

void TKcGIFFrame::Assign(const TKcGIFImage &src) {
  if (src.Count() == 0)
    return;
  int i = src.FrameIndex();
  if (i < 0 || i >= src.Count())
    i = 0;
  Assign(src.Frames(i));
}

void TKcGIFFrame::Assign(const QImage &picture) {
  Item = std::make_shared<TGIFItem>();
  FBitmap = picture.isNull() ? QImage() : picture.copy();
  // An index kept from before would point into a table that is gone.
  FTransparentIndex = -1;
  if (!FBitmap.isNull() && FBitmap.hasAlphaChannel()) {
    // The picture's own palette becomes the frame's table when it is
    // encoded, so its transparent entry keeps its number.
    const QList<QRgb> table = FBitmap.colorTable();
    for (int i = 0; i < int(table.size()) && i < 256; ++i)
      if (qAlpha(table[i]) == 0) {
        FTransparentIndex = i;
        FTransparentColor = table[i] | 0xFF000000u;
        break;
      }
  }
  if (FOwner)
    FOwner->recomputeScreen();
}

void TKcGIFFrame::Clear() {
  Item = std::make_shared<TGIFItem>();
  FBitmap = QImage();
  FTransparentIndex = -1;
  if (FOwner)
    FOwner->recomputeScreen();
}

void TKcGIFFrame::AssignTo(TKcGIFImage &dest) const { dest.Assign(*this); }

void TKcGIFFrame::AssignTo(QImage &dest) {
  dest = Bitmap();
  if (dest.isNull() || !FTransparentColor)
    return;
  // The bitmap takes the transparency along: its transparent entry, or
  // without one every pixel of the transparent colour, shows nothing.
  const QRgb key = *FTransparentColor & 0xFFFFFFu;
  if (dest.format() == QImage::Format_Indexed8) {
    if (FTransparentIndex >= 0 && FTransparentIndex < dest.colorCount()) {
      dest.setColor(FTransparentIndex, dest.color(FTransparentIndex) & 0x00FFFFFFu);
    } else {
      for (int i = 0; i < dest.colorCount(); ++i)
        if ((dest.color(i) & 0xFFFFFFu) == key)
          dest.setColor(i, key);
    }
    return;
  }
  dest = dest.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < dest.height(); ++y) {
    QRgb *row = reinterpret_cast<QRgb *>(dest.scanLine(y));
    for (int x = 0; x < dest.width(); ++x)
      if ((row[x] & 0xFFFFFFu) == key)
        row[x] = key;
  }
}

void TKcGIFFrame::progress(TProgressStage stage, int percent, const std::string &msg) {
  if (FOwner && FOwner->OnProgress)
    FOwner->OnProgress(stage, percent, msg);
}

// ---------------------------------------------------------------------------
// Image

TKcGIFImage::TKcGIFImage() { reset(); }
TKcGIFImage::~TKcGIFImage() = default;

void TKcGIFImage::reset() {
  FSharedData = std::make_shared<TGIFData>();
  FFrames.clear();
  FFrameIndex = -1;
  FBackgroundColor.reset();
  FRepeatCount = 1;
  FLooping = false;
  FVersion = 0;
  FScreenWidth = FScreenHeight = 0;
}

void TKcGIFImage::changed() {
  if (OnChange)
    OnChange();
}

void TKcGIFImage::recomputeScreen() {
  int w = 0, h = 0;
  for (const auto &f : FFrames) {
    w = std::max(w, f->Width() + f->Origin.x());
    h = std::max(h, f->Height() + f->Origin.y());
  }
  FScreenWidth = uint16_t(std::clamp(w, 0, 65535));
  FScreenHeight = uint16_t(std::clamp(h, 0, 65535));
}

void TKcGIFImage::LoadFromStream(QIODevice &stream) { LoadFromBytes(readAll(stream), true); }

void TKcGIFImage::ReadData(QIODevice &stream) {
  unsigned char len[4];
  if (stream.read(reinterpret_cast<char *>(len), 4) != 4) {
    reset();
    throw EKcGraphicError(kStreamReadError);
  }
  const int32_t count = int32_t(uint32_t(len[0]) | uint32_t(len[1]) << 8 | uint32_t(len[2]) << 16 |
                                uint32_t(len[3]) << 24);
  std::string bytes;
  if (count > 0) {
    // Read in pieces so that a wrong count cannot allocate more than the
    // stream holds.
    char buf[65536];
    while (int64_t(bytes.size()) < count) {
      const qint64 want = std::min<int64_t>(int64_t(sizeof buf), count - int64_t(bytes.size()));
      const qint64 n = stream.read(buf, want);
      if (n <= 0)
        break;
      bytes.append(buf, size_t(n));
    }
    if (int64_t(bytes.size()) < count) {
      reset();
      throw EKcGraphicError(kStreamReadError);
    }
  }
  LoadFromBytes(bytes, true);
}

void TKcGIFImage::LoadFromFile(const std::string &path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) {
    reset();
    throw EKcGraphicError("Cannot open file \"" + path + "\"");
  }
  LoadFromStream(f);
}

void TKcGIFImage::LoadFromBytes(std::string_view bytes, bool decodeCurrent) {
  reset();
  try {
    parse(bytes, decodeCurrent);
  } catch (...) {
    changed();
    throw;
  }
  changed();
}

void TKcGIFImage::parse(std::string_view d, bool decodeCurrent) {
  if (d.empty())
    return;
  size_t pos = 0;
  auto remain = [&] { return d.size() - pos; };
  auto need = [&](size_t n) {
    if (remain() < n)
      throw EKcGraphicError(kStreamReadError);
  };
  auto byte = [&] { return uint8_t(d[pos++]); };
  auto word = [&] {
    const uint16_t v = uint16_t(uint8_t(d[pos]) | uint8_t(d[pos + 1]) << 8);
    pos += 2;
    return v;
  };
  auto readTable = [&](TGIFColorTable &t, int count) {
    need(size_t(count) * 3);
    t.Count = count;
    std::memcpy(t.Colors.data(), d.data() + pos, size_t(count) * 3);
    pos += size_t(count) * 3;
  };
  auto nextIntroducer = [&]() -> uint8_t {
    while (pos < d.size() && d[pos] == 0)
      ++pos;
    return pos < d.size() ? byte() : 0;
  };
  // Tolerant sub-block reader.
  auto subBlocks = [&](std::vector<std::string> *into) {
    while (pos < d.size()) {
      const size_t n = byte();
      if (n == 0)
        break;
      const size_t take = std::min(n, remain());
      if (into)
        into->emplace_back(d.substr(pos, take));
      pos += take;
    }
  };

  need(3);
  if (!asciiEqualNoCase(d.substr(0, 3), "GIF"))
    throw EKcGraphicError("Unknown GIF version");
  pos = 3;
  need(3);
  const std::string_view ver = d.substr(3, 3);
  if (asciiEqualNoCase(ver, "87a"))
    FVersion = 1;
  else if (asciiEqualNoCase(ver, "89a"))
    FVersion = 2;
  else
    throw EKcGraphicError("Unknown GIF version");
  pos = 6;
  need(7);
  FScreenWidth = word();
  FScreenHeight = word();
  const uint8_t packed = byte();
  const uint8_t bgIndex = byte();
  TGIFData &shared = *FSharedData;
  shared.AspectRatio = byte();
  shared.BitsPerPixel = uint8_t((packed & 7) + 1);
  shared.ColorResBits = uint8_t(((packed & 0x70) >> 4) + 1);
  if (packed & 0x80) {
    readTable(shared.ColorMap, 1 << shared.BitsPerPixel);
    if (bgIndex < shared.ColorMap.Count)
      FBackgroundColor = shared.ColorMap.color(bgIndex);
  }
  int64_t budget = kGIFPixelBudget - int64_t(FScreenWidth) * FScreenHeight;
  if (budget < 0)
    throw EKcGraphicError("GIF image is too large");

  std::vector<TExtension> gathered;
  uint8_t intro = nextIntroducer();
  while (intro != 0 && intro != ';' && pos < d.size()) {
    while (intro == '!') {
      need(1);
      const uint8_t label = byte();
      TExtension ext;
      switch (label) {
      case 0xF9: {
        // The block announces its own size; only its first four bytes mean
        // anything, the rest and any further sub-blocks are passed over.
        ext.ExtType = geGraphicControl;
        need(1);
        const size_t n = byte();
        const size_t take = std::min(n, remain());
        ext.ExtRec[0] = 4;
        for (size_t i = 0; i < std::min<size_t>(take, 4); ++i)
          ext.ExtRec[1 + i] = uint8_t(d[pos + i]);
        pos += take;
        subBlocks(nullptr);
        break;
      }
      case 0xFE:
        ext.ExtType = geComment;
        ext.Data.emplace();
        subBlocks(&*ext.Data);
        break;
      case 0x01:
        ext.ExtType = gePlainText;
        need(13);
        std::memcpy(ext.ExtRec.data(), d.data() + pos, 13);
        pos += 13;
        ext.Data.emplace();
        subBlocks(&*ext.Data);
        break;
      case 0xFF:
        ext.ExtType = geApplication;
        need(12);
        std::memcpy(ext.ExtRec.data(), d.data() + pos, 12);
        pos += 12;
        ext.Data.emplace();
        subBlocks(&*ext.Data);
        break;
      default: {
        static const char hex[] = "0123456789abcdef";
        std::string msg = "Unrecognized extension block: ";
        msg += hex[label >> 4];
        msg += hex[label & 15];
        throw EKcGraphicError(msg);
      }
      }
      if (ext.ExtType == gePlainText) {
        gathered.clear();
      } else if (ext.ExtType == geApplication) {
        const std::string_view id(reinterpret_cast<const char *>(ext.ExtRec.data()) + 1, 11);
        if (!ext.Data->empty() && (id == "NETSCAPE2.0" || id == "ANIMEXTS1.0")) {
          const std::string &b = ext.Data->front();
          if (b.size() >= 3 && b[0] == 1) {
            FRepeatCount = uint16_t(std::min(uint8_t(b[1]) + 256 * uint8_t(b[2]), 30000));
            FLooping = true;
          }
        }
      } else {
        gathered.push_back(std::move(ext));
      }
      intro = pos >= d.size() ? ';' : nextIntroducer();
      if (intro == 0 && pos >= d.size())
        intro = ';';
    }
    if (intro == ',') {
      auto frame = std::make_unique<TKcGIFFrame>(this);
      TGIFItem &item = *frame->Item;
      if (shared.ColorMap.Count > 0)
        item.BitsPerPixel = uint8_t(ColorCountToBits(shared.ColorMap.Count));
      std::vector<TExtension> exts = std::move(gathered);
      gathered.clear();
      item.ImageData.emplace();
      std::string &data = *item.ImageData;
      need(9);
      const int left = word(), top = word();
      int width = word(), height = word();
      const uint8_t fpacked = byte();
      frame->Interlaced = (fpacked & 0x40) != 0;
      if (fpacked & 0x80) {
        item.BitsPerPixel = uint8_t((fpacked & 7) + 1);
        frame->LocalColors = true;
        readTable(item.ColorMap, 1 << item.BitsPerPixel);
      } else {
        frame->LocalColors = false;
        item.ColorMap = TGIFColorTable();
      }
      need(1);
      data.push_back(char(byte()));
      for (;;) {
        if (pos >= d.size())
          break;
        const size_t n = uint8_t(d[pos]);
        if (n > remain() - 1) {
          frame->Corrupted = true;
          pos = d.size();
          break;
        }
        data.append(d.substr(pos, n + 1));
        pos += n + 1;
        if (n == 0)
          break;
      }
      if (frame->Corrupted && !TolerateCorruptGIF)
        throw EKcGraphicError(kStreamReadError);
      if (width == 0)
        width = FScreenWidth;
      if (height == 0)
        height = FScreenHeight;
      budget -= std::max<int64_t>(int64_t(width) * height, 1);
      if (budget < 0)
        throw EKcGraphicError("GIF image is too large");
      frame->Origin = QPoint(left, top);
      item.Size = QSize(width, height);
      item.PackedFields = fpacked;
      if (!frame->LocalColors)
        item.ColorMap = shared.ColorMap;
      frame->AnimateInterval = 0;
      for (const TExtension &e : exts) {
        if (e.ExtType != geGraphicControl)
          continue;
        const uint8_t gp = e.ExtRec[1];
        if (gp & 0x01) {
          if (e.ExtRec[4] < item.ColorMap.Count)
            frame->SetTransparentIndex(e.ExtRec[4]);
        } else {
          frame->SetTransparentIndex(-1);
        }
        const uint32_t delay = uint32_t(e.ExtRec[2] | e.ExtRec[3] << 8) * 10u;
        frame->AnimateInterval = uint16_t(std::max<uint32_t>(frame->AnimateInterval, std::min<uint32_t>(delay, 65535)));
        frame->DisposalMethod = uint8_t((gp & 0x1C) >> 2);
      }
      if (!exts.empty())
        frame->Extensions = std::move(exts);
      FFrames.push_back(std::move(frame));
      intro = pos >= d.size() ? ';' : nextIntroducer();
      if (intro != '!' && intro != ',' && intro != ';')
        intro = 0;
    } else {
      if (shared.Comment.empty() && !gathered.empty()) {
        for (const TExtension &e : gathered) {
          if (e.ExtType != geComment || !e.Data)
            continue;
          if (!shared.Comment.empty())
            shared.Comment.emplace_back("\r\n\r\n");
          shared.Comment.insert(shared.Comment.end(), e.Data->begin(), e.Data->end());
        }
        gathered.clear();
        continue;
      }
      if (intro != 0 && intro != ';')
        throw EKcGraphicError(kStreamReadError);
      gathered.clear();
    }
  }
  if (!FFrames.empty()) {
    FFrameIndex = 0;
    if (decodeCurrent) {
      // Damage shows when the frame is drawn or measured, not at load.
      try {
        FFrames[0]->Bitmap();
      } catch (const EKcGraphicError &) {
      }
    }
  }
}

int TKcGIFImage::Width() const {
  if (FFrameIndex < 0 || FFrameIndex >= Count())
    return 0;
  return FFrames[size_t(FFrameIndex)]->Width();
}

int TKcGIFImage::Height() const {
  if (FFrameIndex < 0 || FFrameIndex >= Count())
    return 0;
  return FFrames[size_t(FFrameIndex)]->Height();
}

void TKcGIFImage::SetWidth(int) { throw EKcGraphicError("Cannot change the Size of a GIF image"); }
void TKcGIFImage::SetHeight(int) { throw EKcGraphicError("Cannot change the Size of a GIF image"); }

bool TKcGIFImage::Empty() const {
  if (FFrames.empty())
    return true;
  const TKcGIFFrame &f = *FFrames[size_t(std::clamp(FFrameIndex, 0, Count() - 1))];
  if (f.HasBitmap())
    return false;
  return !f.Item->ImageData || f.Item->ImageData->empty();
}

bool TKcGIFImage::Transparent() const {
  if (!FTransparent)
    return false;
  for (const auto &f : FFrames)
    if (f->TransparentColor())
      return true;
  return false;
}

bool TKcGIFImage::Palette() const {
  if (FFrames.empty() || FFrameIndex < 0 || FFrameIndex >= Count())
    return false;
  const TKcGIFFrame &f = *FFrames[size_t(FFrameIndex)];
  return f.HasBitmap() && f.FBitmap.colorCount() > 0;
}

const QImage &TKcGIFImage::GetBitmap() {
  if (FFrames.empty()) {
    AddFrame(QImage());
    FFrameIndex = 0;
  }
  const int i = (FFrameIndex >= 0 && FFrameIndex < Count()) ? FFrameIndex : 0;
  return FFrames[size_t(i)]->Bitmap();
}

void TKcGIFImage::Draw(QPainter &p, const QRect &r) {
  if (FFrameIndex < 0 || FFrameIndex >= Count())
    return;
  TKcGIFFrame &f = *FFrames[size_t(FFrameIndex)];
  const QImage &bmp = f.Bitmap();
  if (bmp.isNull())
    return;
  if (f.TransparentIndex() >= 0 && bmp.format() == QImage::Format_Indexed8 && f.TransparentIndex() < bmp.colorCount() &&
      Transparent()) {
    QImage keyed = bmp;
    keyed.setColor(f.TransparentIndex(), 0);
    p.drawImage(r, keyed);
  } else if (f.TransparentColor() && Transparent()) {
    StretchTransparent(p, r, bmp, QRect(), f.TransparentColor());
  } else {
    p.drawImage(r, bmp);
  }
}

int TKcGIFImage::AddFrame(const QImage &picture) {
  auto frame = std::make_unique<TKcGIFFrame>(this);
  TKcGIFFrame *f = frame.get();
  FFrames.push_back(std::move(frame));
  f->Assign(picture);
  FFrameIndex = Count() - 1;
  FVersion = std::max(FVersion, 1);
  if (Count() > 1)
    FVersion = 2;
  return FFrameIndex;
}

void TKcGIFImage::Assign(const TKcGIFImage &src) {
  if (&src == this)
    return;
  FSharedData = src.FSharedData;
  FVersion = src.FVersion;
  FBackgroundColor = src.FBackgroundColor;
  FRepeatCount = src.FRepeatCount;
  FLooping = src.FLooping;
  FFrames.clear();
  for (const auto &sf : src.FFrames) {
    auto f = std::make_unique<TKcGIFFrame>(this);
    f->Assign(*sf);
    f->LocalColors = sf->LocalColors;
    FFrames.push_back(std::move(f));
  }
  FScreenWidth = src.FScreenWidth;
  FScreenHeight = src.FScreenHeight;
  FFrameIndex = src.FFrameIndex;
  changed();
}

void TKcGIFImage::Assign(const TKcGIFFrame &src) {
  std::shared_ptr<TGIFData> from = src.FOwner ? src.FOwner->FSharedData : nullptr;
  // One of our own frames must outlive the reset.
  std::unique_ptr<TKcGIFFrame> own;
  for (auto &f : FFrames)
    if (f.get() == &src)
      own = std::move(f);
  reset();
  if (from) {
    FSharedData->AspectRatio = from->AspectRatio;
    FSharedData->BitsPerPixel = from->BitsPerPixel;
    FSharedData->ColorResBits = from->ColorResBits;
    FSharedData->ColorMap = from->ColorMap;
  }
  auto f = std::make_unique<TKcGIFFrame>(this);
  TKcGIFFrame *fp = f.get();
  FFrames.push_back(std::move(f));
  fp->Assign(src);
  FFrameIndex = 0;
  FVersion = std::max(FVersion, 1);
  changed();
}

void TKcGIFImage::Assign(const QImage &bitmap) {
  // The bitmap may be one of our own frames'.
  const QImage keep = bitmap;
  reset();
  AddFrame(keep);
  changed();
}

void TKcGIFImage::Clear() {
  reset();
  changed();
}

void TKcGIFImage::AssignTo(QImage &dest) {
  if (Empty())
    return;
  if (FFrameIndex < 0)
    dest = GetBitmap();
  else
    FFrames[size_t(std::min(FFrameIndex, Count() - 1))]->AssignTo(dest);
}

void TKcGIFImage::EncodeFrames(bool redecode) {
  for (auto &fp : FFrames) {
    TKcGIFFrame &f = *fp;
    if (!f.Item->ImageData || f.Item->ImageData->empty()) {
      f.Item->ImageData.reset();
      f.encode();
      if (redecode && f.FBitmap.colorCount() == 0) {
        f.FBitmap = QImage();
        f.decode();
      }
    }
    f.updateGraphicControl();
  }
}

std::string TKcGIFImage::SaveToBytes() {
  if (FFrames.empty())
    throw EKcGraphicError(kNoData);
  EncodeFrames(false);
  TGIFData &shared = *FSharedData;
  if (!shared.Comment.empty())
    FVersion = 2;
  std::string s;
  s += "GIF";
  s += GIFVersions[std::clamp(FVersion, 1, 2)];

  int w = 0, h = 0;
  for (const auto &f : FFrames) {
    w = std::max(w, f->Width() + f->Origin.x());
    h = std::max(h, f->Height() + f->Origin.y());
  }
  if (w > 65535 || h > 65535)
    throw EKcGraphicError(kEncodingError);
  FScreenWidth = uint16_t(w);
  FScreenHeight = uint16_t(h);
  put16(s, FScreenWidth);
  put16(s, FScreenHeight);
  if (shared.ColorMap.Count < 1) {
    s.push_back('\0');
    s.push_back('\0');
  } else {
    // The size field must describe the table that follows.
    const int bits = ColorCountToBits(shared.ColorMap.Count);
    s.push_back(char(0x80 | ((bits - 1) << 4) | (bits - 1)));
    int bg = 0;
    if (FBackgroundColor)
      for (int i = 0; i < shared.ColorMap.Count; ++i)
        if ((shared.ColorMap.color(i) & 0xFFFFFF) == (*FBackgroundColor & 0xFFFFFF)) {
          bg = i;
          break;
        }
    s.push_back(char(bg));
  }
  s.push_back(char(shared.AspectRatio));
  if (shared.ColorMap.Count > 0)
    s.append(reinterpret_cast<const char *>(shared.ColorMap.Colors.data()), size_t(shared.ColorMap.Count) * 3);
  if (FLooping && FFrames.size() > 1) {
    s += "!\xFF\x0BNETSCAPE2.0\x03\x01";
    put16(s, FRepeatCount);
    s.push_back('\0');
  }
  for (const auto &fp : FFrames) {
    TKcGIFFrame &f = *fp;
    if (f.Extensions)
      for (const TExtension &e : *f.Extensions) {
        s.push_back('!');
        s.push_back(char(GIFExtensionLabels[e.ExtType & 3]));
        switch (e.ExtType & 3) {
        case geGraphicControl:
          s.append(reinterpret_cast<const char *>(e.ExtRec.data()), 6);
          break;
        case gePlainText:
          s.append(reinterpret_cast<const char *>(e.ExtRec.data()), 13);
          writeSubBlocks(s, e.Data ? *e.Data : std::vector<std::string>());
          break;
        case geApplication:
          s.append(reinterpret_cast<const char *>(e.ExtRec.data()), 12);
          writeSubBlocks(s, e.Data ? *e.Data : std::vector<std::string>());
          break;
        default:
          writeSubBlocks(s, e.Data ? *e.Data : std::vector<std::string>());
          break;
        }
      }
    const int fw = f.Width(), fh = f.Height();
    if (f.Origin.x() < 0 || f.Origin.y() < 0 || f.Origin.x() > 65535 || f.Origin.y() > 65535 ||
        fw > 65535 || fh > 65535)
      throw EKcGraphicError(kEncodingError);
    s.push_back(',');
    put16(s, uint32_t(f.Origin.x()));
    put16(s, uint32_t(f.Origin.y()));
    put16(s, uint32_t(fw));
    put16(s, uint32_t(fh));
    uint8_t packed = 0;
    const TGIFColorTable &map = f.Item->ColorMap;
    if (f.LocalColors) {
      ColorCountToBits(map.Count); // the table must fill its announced size
      f.Item->BitsPerPixel = uint8_t(bitsFor(map.Count));
      packed = uint8_t(0x80 + (f.Item->BitsPerPixel - 1));
    }
    if (f.Interlaced)
      packed |= 0x40;
    s.push_back(char(packed));
    if (f.LocalColors)
      s.append(reinterpret_cast<const char *>(map.Colors.data()), size_t(map.Count) * 3);
    s += *f.Item->ImageData;
  }
  if (!shared.Comment.empty()) {
    s += "!\xFE";
    writeSubBlocks(s, shared.Comment);
  }
  s.push_back(';');
  return s;
}

void TKcGIFImage::SaveToStream(QIODevice &stream) { writeAll(stream, SaveToBytes()); }

void TKcGIFImage::WriteData(QIODevice &stream) {
  const std::string file = SaveToBytes();
  std::string s;
  const uint32_t n = uint32_t(file.size());
  put16(s, n & 0xFFFF);
  put16(s, n >> 16);
  s += file;
  writeAll(stream, s);
}

void TKcGIFImage::SaveToFile(const std::string &path) {
  const std::string bytes = SaveToBytes();
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
    throw EKcGraphicError("Cannot create file \"" + path + "\"");
  writeAll(f, bytes);
}

// ---------------------------------------------------------------------------
// Clipboard

unsigned TKcGIFImage::ClipboardFormat() {
  static const unsigned fmt = Clipboard::registerFormat("GIF Image");
  return fmt;
}

void TKcGIFImage::SaveToClipboard() {
  if (FFrames.empty())
    return;
  Clipboard::Batch batch;
  batch.setImage(FFrames[0]->Bitmap());
  bool all = true;
  for (const auto &f : FFrames)
    all = all && f->Item->ImageData && !f->Item->ImageData->empty();
  if (all) {
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    WriteData(buf);
    batch.setData(ClipboardFormat(), buf.data().toStdString());
  }
  batch.commit();
}

void TKcGIFImage::LoadFromClipboard() {
  if (Clipboard::hasFormat(ClipboardFormat())) {
    const std::string block = Clipboard::data(ClipboardFormat());
    if (block.size() < 4) {
      reset();
      throw EKcGraphicError(kStreamReadError);
    }
    const uint32_t n = uint32_t(uint8_t(block[0])) | uint32_t(uint8_t(block[1])) << 8 |
                       uint32_t(uint8_t(block[2])) << 16 | uint32_t(uint8_t(block[3])) << 24;
    if (n > block.size() - 4) {
      reset();
      throw EKcGraphicError(kStreamReadError);
    }
    LoadFromBytes(std::string_view(block).substr(4, n), false);
    if (!FFrames.empty()) {
      FFrameIndex = 0;
      const QImage bmp = Clipboard::image();
      if (!bmp.isNull())
        FFrames[0]->SetBitmap(bmp);
    }
    return;
  }
  const QImage bmp = Clipboard::image();
  Assign(bmp);
}

// ---------------------------------------------------------------------------
// Picture class

void TKcGIFGraphic::draw(QPainter &painter, const QRect &dest) const {
  try {
    FImage.Draw(painter, dest);
  } catch (const EKcGraphicError &) {
    // A damaged frame draws nothing.
  }
}

bool TKcGIFGraphic::loadFromBytes(std::string_view data) {
  try {
    FImage.LoadFromBytes(data);
    return FImage.Count() > 0;
  } catch (const EKcGraphicError &) {
    FImage.Clear();
    return false;
  }
}

std::string TKcGIFGraphic::saveToBytes() const {
  try {
    return FImage.SaveToBytes();
  } catch (const EKcGraphicError &) {
    return {};
  }
}

std::unique_ptr<TGraphic> TKcGIFGraphic::clone() const {
  auto copy = std::make_unique<TKcGIFGraphic>();
  copy->FImage.Assign(FImage);
  return copy;
}

void RegisterKcGIFGraphic() {
  static const bool done = [] {
    registerGraphicClass("TKcGIFImage", [] { return std::make_unique<TKcGIFGraphic>(); });
    TKcGIFImage::ClipboardFormat();
    return true;
  }();
  (void)done;
}

} // namespace kc
