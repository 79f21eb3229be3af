#include "platform/Graphics.h"

#include <QBuffer>
#include <QByteArray>
#include <QPainter>
#include <QRect>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include <jpeglib.h>

namespace kc {

namespace {

uint16_t le16(std::string_view d, size_t at) { return uint16_t(uint8_t(d[at]) | (uint8_t(d[at + 1]) << 8)); }
uint32_t le32(std::string_view d, size_t at) {
  return uint32_t(uint8_t(d[at])) | (uint32_t(uint8_t(d[at + 1])) << 8) | (uint32_t(uint8_t(d[at + 2])) << 16) |
         (uint32_t(uint8_t(d[at + 3])) << 24);
}
void put32(std::string &s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}

bool sizeAcceptable(int64_t w, int64_t h) {
  return w > 0 && h > 0 && w <= kMaxGraphicSide && h <= kMaxGraphicSide && w * h <= kMaxGraphicPixels;
}

QByteArray toQBytes(std::string_view d) { return QByteArray(d.data(), qsizetype(d.size())); }

void drawImage(QPainter &painter, const QRect &dest, const QImage &image) {
  if (image.isNull() || dest.isEmpty()) return;
  painter.drawImage(dest, image);
}

// Checks a bitmap file (file header + DIB) against the bytes that are there
// before any decoder sees it.
bool validBitmapFile(std::string_view d) {
  if (d.size() < 14 + 12 || d[0] != 'B' || d[1] != 'M') return false;
  const uint32_t offBits = le32(d, 10);
  const uint32_t hdr = le32(d, 14);
  if (hdr != 12 && hdr != 40 && hdr != 52 && hdr != 56 && hdr != 64 && hdr != 108 && hdr != 124) return false;
  if (14 + uint64_t(hdr) > d.size()) return false;
  int64_t w, h;
  unsigned bpp, planes;
  uint32_t compression = 0, clrUsed = 0;
  if (hdr == 12) {
    w = le16(d, 18);
    h = le16(d, 20);
    planes = le16(d, 22);
    bpp = le16(d, 24);
  } else {
    w = int32_t(le32(d, 18));
    h = int32_t(le32(d, 22));
    planes = le16(d, 26);
    bpp = le16(d, 28);
    compression = le32(d, 30);
    clrUsed = le32(d, 46);
  }
  (void)planes;
  if (h < 0) h = -h;
  if (!sizeAcceptable(w, h)) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  if (bpp <= 8 && clrUsed > (1u << bpp)) return false;
  if (clrUsed > 256) return false;
  uint64_t colours = clrUsed ? clrUsed : (bpp <= 8 ? (1u << bpp) : 0);
  uint64_t masks = (compression == 3 && hdr == 40) ? 12 : 0;
  uint64_t paletteEnd = 14 + uint64_t(hdr) + masks + colours * (hdr == 12 ? 3 : 4);
  if (offBits < 14 + hdr || offBits > d.size()) return false;
  (void)paletteEnd;
  switch (compression) {
  case 0: { // uncompressed: every row must be there
    uint64_t stride = ((uint64_t(w) * bpp + 31) / 32) * 4;
    return offBits + stride * uint64_t(h) <= d.size();
  }
  case 1: return bpp == 8;
  case 2: return bpp == 4;
  case 3:
    if (bpp != 16 && bpp != 32) return false;
    return offBits + ((uint64_t(w) * bpp + 31) / 32) * 4 * uint64_t(h) <= d.size();
  default: return false;
  }
}

} // namespace

TGraphic::~TGraphic() = default;

QImage TGraphic::toImage() const {
  if (empty() || !sizeAcceptable(width(), height())) return QImage();
  QImage img(width(), height(), QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  draw(p, QRect(0, 0, width(), height()));
  return img;
}

// ---------------------------------------------------------------- TBitmap

TBitmap::TBitmap(QImage image) : image_(std::move(image)) {}

void TBitmap::draw(QPainter &painter, const QRect &dest) const {
  if (!transparent || image_.isNull()) {
    drawImage(painter, dest, image_);
    return;
  }
  QRgb key = transparentMode == 1 ? QRgb(0xFF000000u | (transparentColor & 0xFF) << 16 | (transparentColor & 0xFF00) |
                                         ((transparentColor >> 16) & 0xFF))
                                  : image_.pixel(0, image_.height() - 1);
  QImage masked = image_.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < masked.height(); ++y) {
    auto *row = reinterpret_cast<QRgb *>(masked.scanLine(y));
    for (int x = 0; x < masked.width(); ++x)
      if ((row[x] | 0xFF000000u) == (key | 0xFF000000u)) row[x] = 0;
  }
  drawImage(painter, dest, masked);
}

bool TBitmap::loadFromBytes(std::string_view data) {
  image_ = QImage();
  if (!validBitmapFile(data)) return false;
  QImage img;
  if (!img.loadFromData(toQBytes(data), "BMP") || img.isNull()) return false;
  image_ = std::move(img);
  return true;
}

bool TBitmap::loadFromDIB(std::string_view dib) {
  image_ = QImage();
  if (dib.size() < 12) return false;
  const uint32_t hdr = le32(dib, 0);
  if (hdr > dib.size()) return false;
  uint64_t colours = 0, masks = 0;
  if (hdr == 12) {
    unsigned bpp = le16(dib, 10);
    colours = bpp <= 8 ? (1u << bpp) : 0;
    colours *= 3;
  } else if (hdr >= 40) {
    unsigned bpp = le16(dib, 14);
    uint32_t compression = le32(dib, 16);
    uint32_t clrUsed = le32(dib, 32);
    if (clrUsed > 256) return false;
    colours = (clrUsed ? clrUsed : (bpp <= 8 ? (1u << bpp) : 0)) * 4;
    if (compression == 3 && hdr == 40) masks = 12;
  } else {
    return false;
  }
  uint64_t off = 14 + hdr + masks + colours;
  if (off > 14 + uint64_t(dib.size())) return false;
  std::string file;
  file.reserve(14 + dib.size());
  file += "BM";
  put32(file, uint32_t(14 + dib.size()));
  put32(file, 0);
  put32(file, uint32_t(off));
  file.append(dib.data(), dib.size());
  return loadFromBytes(file);
}

bool TBitmap::loadFromRawBits(int w, int h, int planes, int bitsPerPixel, int widthBytes, std::string_view bits) {
  image_ = QImage();
  const int bpp = planes * bitsPerPixel;
  if (planes < 1 || !sizeAcceptable(w, h)) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  const int64_t minStride = ((int64_t(w) * bpp + 15) / 16) * 2;
  const int64_t stride = widthBytes > 0 ? widthBytes : minStride;
  if (stride < (int64_t(w) * bpp + 7) / 8 || stride * h > int64_t(bits.size())) return false;
  static const QRgb vga[16] = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
                               0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                               0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    const auto *src = reinterpret_cast<const uint8_t *>(bits.data()) + int64_t(y) * stride;
    auto *dst = reinterpret_cast<QRgb *>(img.scanLine(y));
    for (int x = 0; x < w; ++x) {
      QRgb c;
      switch (bpp) {
      case 1: c = (src[x >> 3] >> (7 - (x & 7))) & 1 ? 0xFFFFFFFF : 0xFF000000; break;
      case 4: c = vga[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF]; break;
      case 8: { // 3-3-2 colour cube in place of the system palette
        uint8_t v = src[x];
        c = qRgb((v >> 5) * 255 / 7, ((v >> 2) & 7) * 255 / 7, (v & 3) * 255 / 3);
        break;
      }
      case 16: {
        uint16_t v = uint16_t(src[2 * x] | (src[2 * x + 1] << 8));
        c = qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31);
        break;
      }
      case 24: c = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]); break;
      default: c = qRgb(src[4 * x + 2], src[4 * x + 1], src[4 * x]); break;
      }
      dst[x] = c;
    }
  }
  image_ = std::move(img);
  return true;
}

std::string TBitmap::saveToBytes() const {
  if (image_.isNull()) return {};
  QByteArray out;
  QBuffer buf(&out);
  buf.open(QIODevice::WriteOnly);
  image_.save(&buf, "BMP");
  return std::string(out.constData(), size_t(out.size()));
}

std::unique_ptr<TGraphic> TBitmap::clone() const { return std::make_unique<TBitmap>(*this); }

// ---------------------------------------------------------------- TDecodedGraphic

void TDecodedGraphic::draw(QPainter &painter, const QRect &dest) const { drawImage(painter, dest, image_); }

// ---------------------------------------------------------------- TJPEGImage

namespace {

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

void jpegFail(j_common_ptr cinfo) {
  auto *err = reinterpret_cast<JpegError *>(cinfo->err);
  std::longjmp(err->jump, 1);
}
void jpegQuiet(j_common_ptr) {}

// Decodes into a QImage; nothing is allocated before the header's size has
// passed the pixel budget. Kept free of C++ objects with destructors between
// setjmp and longjmp.
bool decodeJpeg(std::string_view data, QImage &out) {
  if (data.size() < 4) return false;
  jpeg_decompress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = jpegFail;
  err.mgr.output_message = jpegQuiet;
  QImage *img = new QImage();
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    delete img;
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(data.data()), static_cast<unsigned long>(data.size()));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK || !sizeAcceptable(cinfo.image_width, cinfo.image_height)) {
    jpeg_destroy_decompress(&cinfo);
    delete img;
    return false;
  }
  bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  if (cinfo.jpeg_color_space == JCS_GRAYSCALE) cinfo.out_color_space = JCS_GRAYSCALE;
  jpeg_start_decompress(&cinfo);
  const int w = int(cinfo.output_width), h = int(cinfo.output_height);
  const int comps = cinfo.output_components;
  *img = QImage(w, h, QImage::Format_RGB32);
  if (img->isNull()) jpegFail(reinterpret_cast<j_common_ptr>(&cinfo));
  JSAMPARRAY row =
      (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, JDIMENSION(w * comps), 1);
  const bool inverted = cmyk && cinfo.saw_Adobe_marker;
  while (cinfo.output_scanline < cinfo.output_height) {
    int y = int(cinfo.output_scanline);
    jpeg_read_scanlines(&cinfo, row, 1);
    auto *dst = reinterpret_cast<QRgb *>(img->scanLine(y));
    const JSAMPLE *s = row[0];
    for (int x = 0; x < w; ++x) {
      if (comps == 1) {
        dst[x] = qRgb(s[x], s[x], s[x]);
      } else if (comps == 3) {
        dst[x] = qRgb(s[3 * x], s[3 * x + 1], s[3 * x + 2]);
      } else {
        int c = s[4 * x], m = s[4 * x + 1], yy = s[4 * x + 2], k = s[4 * x + 3];
        if (!inverted) {
          c = 255 - c;
          m = 255 - m;
          yy = 255 - yy;
          k = 255 - k;
        }
        dst[x] = qRgb(c * k / 255, m * k / 255, yy * k / 255);
      }
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  out = std::move(*img);
  delete img;
  return true;
}

bool encodeJpeg(const QImage &image, int quality, std::string &out) {
  QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  if (rgb.isNull()) return false;
  jpeg_compress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = jpegFail;
  err.mgr.output_message = jpegQuiet;
  unsigned char *buf = nullptr;
  unsigned long size = 0;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    free(buf);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buf, &size);
  cinfo.image_width = JDIMENSION(rgb.width());
  cinfo.image_height = JDIMENSION(rgb.height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, std::clamp(quality, 0, 100), TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  out.assign(reinterpret_cast<const char *>(buf), size);
  free(buf);
  return true;
}

} // namespace

bool TJPEGImage::loadFromBytes(std::string_view data) {
  image_ = QImage();
  data_.clear();
  QImage img;
  if (!decodeJpeg(data, img)) return false;
  image_ = std::move(img);
  data_.assign(data.data(), data.size());
  return true;
}

bool TJPEGImage::assignImage(const QImage &image, int quality) {
  std::string bytes;
  if (!encodeJpeg(image, quality, bytes)) return false;
  return loadFromBytes(bytes);
}

std::unique_ptr<TGraphic> TJPEGImage::clone() const { return std::make_unique<TJPEGImage>(*this); }

// ---------------------------------------------------------------- TIcon

bool TIcon::loadFromBytes(std::string_view data) {
  image_ = QImage();
  data_.clear();
  // ICONDIR: reserved 0, type 1 (icon), count; then 16-byte entries whose
  // image ranges must lie inside the data.
  if (data.size() < 6 || le16(data, 0) != 0 || le16(data, 2) != 1) return false;
  const unsigned count = le16(data, 4);
  if (count == 0 || 6 + uint64_t(count) * 16 > data.size()) return false;
  for (unsigned i = 0; i < count; ++i) {
    size_t e = 6 + size_t(i) * 16;
    uint64_t bytes = le32(data, e + 8), offset = le32(data, e + 12);
    if (bytes == 0 || offset + bytes > data.size()) return false;
  }
  QImage img;
  if (!img.loadFromData(toQBytes(data), "ICO") || img.isNull() || !sizeAcceptable(img.width(), img.height()))
    return false;
  image_ = std::move(img);
  data_.assign(data.data(), data.size());
  return true;
}

std::unique_ptr<TGraphic> TIcon::clone() const { return std::make_unique<TIcon>(*this); }

// ---------------------------------------------------------------- TMetafile

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;

bool plainWmfHeader(std::string_view d, size_t at) {
  if (d.size() < at + 18) return false;
  const uint16_t type = le16(d, at), hdrWords = le16(d, at + 2), version = le16(d, at + 4);
  return (type == 1 || type == 2) && hdrWords == 9 && (version == 0x100 || version == 0x300);
}

int clampPixels(int64_t v) { return int(std::clamp<int64_t>(v, 0, kMaxGraphicSide)); }

} // namespace

void TMetafile::draw(QPainter &painter, const QRect &dest) const {
  if (dest.isEmpty()) return;
  painter.save();
  painter.setClipRect(dest, Qt::IntersectClip);
  const QImage &bad = invalidPictureImage();
  QRect r(dest.topLeft(), bad.size().boundedTo(dest.size()));
  painter.drawImage(r, bad);
  painter.restore();
}

bool TMetafile::loadFromBytes(std::string_view d) {
  data_.clear();
  enhanced_ = false;
  width_ = height_ = 0;
  if (d.size() >= 88 && le32(d, 0) == 1 && le32(d, 40) == 0x464D4520u) {
    const uint32_t recSize = le32(d, 4);
    if (recSize < 88 || recSize > d.size()) return false;
    int64_t fl = int32_t(le32(d, 24)), ft = int32_t(le32(d, 28));
    int64_t fr = int32_t(le32(d, 32)), fb = int32_t(le32(d, 36));
    // The frame is in hundredths of a millimetre.
    width_ = clampPixels((fr - fl) * 96 / 2540);
    height_ = clampPixels((fb - ft) * 96 / 2540);
    if (width_ == 0 || height_ == 0) {
      width_ = clampPixels(int64_t(int32_t(le32(d, 16))) - int32_t(le32(d, 8)) + 1);
      height_ = clampPixels(int64_t(int32_t(le32(d, 20))) - int32_t(le32(d, 12)) + 1);
    }
    enhanced_ = true;
    data_.assign(d.data(), d.size());
    return true;
  }
  if (d.size() >= 22 && le32(d, 0) == kPlaceableKey) {
    if (!plainWmfHeader(d, 22)) return false;
    int64_t l = int16_t(le16(d, 6)), t = int16_t(le16(d, 8));
    int64_t r = int16_t(le16(d, 10)), b = int16_t(le16(d, 12));
    int64_t inch = le16(d, 14);
    if (inch == 0) inch = 1440;
    width_ = clampPixels((r - l) * 96 / inch);
    height_ = clampPixels((b - t) * 96 / inch);
    data_.assign(d.data(), d.size());
    return true;
  }
  if (plainWmfHeader(d, 0)) {
    data_.assign(d.data(), d.size());
    return true;
  }
  return false;
}

bool TMetafile::loadWindowsMetafileBits(std::string_view d, int widthPx, int heightPx) {
  data_.clear();
  enhanced_ = false;
  width_ = height_ = 0;
  if (!plainWmfHeader(d, 0)) return false;
  data_.assign(d.data(), d.size());
  width_ = clampPixels(widthPx);
  height_ = clampPixels(heightPx);
  return true;
}

std::unique_ptr<TBitmap> TMetafile::singleBitmap() const {
  std::string_view d = data_;
  std::string_view dib;
  int bitmaps = 0;
  if (enhanced_) {
    static const uint32_t allowed[] = {1, 9, 10, 11, 14, 17, 33, 37, 48, 70, 75};
    size_t at = 0;
    while (at + 8 <= d.size()) {
      uint32_t type = le32(d, at), size = le32(d, at + 4);
      if (size < 8 || size % 4 || size > d.size() - at) return nullptr;
      if (type == 81) { // EMR_STRETCHDIBITS
        if (size < 80 || ++bitmaps > 1) return nullptr;
        uint64_t offBmi = le32(d, at + 48), cbBmi = le32(d, at + 52);
        uint64_t offBits = le32(d, at + 56), cbBits = le32(d, at + 60);
        if (cbBmi == 0 || offBmi + cbBmi > size || offBits + cbBits > size || offBits < offBmi + cbBmi) return nullptr;
        dib = d.substr(at + offBmi, size_t(offBits + cbBits - offBmi));
      } else if (std::find(std::begin(allowed), std::end(allowed), type) == std::end(allowed)) {
        return nullptr;
      }
      at += size;
      if (type == 14) break;
    }
  } else {
    size_t at = le32(d, 0) == kPlaceableKey ? 22 : 0;
    if (!plainWmfHeader(d, at)) return nullptr;
    at += 18;
    static const uint16_t allowed[] = {0x020B, 0x020C, 0x020D, 0x020E, 0x0103, 0x001E,
                                       0x012D, 0x0234, 0x0626, 0x012C, 0x0000};
    while (at + 6 <= d.size()) {
      uint64_t size = uint64_t(le32(d, at)) * 2;
      uint16_t fn = le16(d, at + 4);
      if (size < 6 || size > d.size() - at) return nullptr;
      if (fn == 0x0F43 || fn == 0x0B41) { // StretchDIB, DIBStretchBlt
        size_t dibAt = fn == 0x0F43 ? 28 : 26;
        if (size <= dibAt || ++bitmaps > 1) return nullptr;
        dib = d.substr(at + dibAt, size_t(size - dibAt));
      } else if (std::find(std::begin(allowed), std::end(allowed), fn) == std::end(allowed)) {
        return nullptr;
      }
      at += size_t(size);
      if (fn == 0) break;
    }
  }
  if (bitmaps != 1) return nullptr;
  auto bmp = std::make_unique<TBitmap>();
  if (!bmp->loadFromDIB(dib)) return nullptr;
  return bmp;
}

std::string TMetafile::saveToBytes() const {
  if (enhanced_ || width_ <= 0 || height_ <= 0 || !plainWmfHeader(data_, 0)) return data_;
  std::string out;
  auto put16 = [&out](uint16_t v) {
    out += char(v & 0xFF);
    out += char(v >> 8);
  };
  put16(uint16_t(kPlaceableKey & 0xFFFF));
  put16(uint16_t(kPlaceableKey >> 16));
  put16(0);                                                 // handle
  for (int v : {0, 0, width_, height_}) put16(uint16_t(v)); // bounds
  put16(96);                                                // units an inch: pixels
  put16(0);                                                 // reserved
  put16(0);
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= le16(out, i);
  put16(sum);
  return out + data_;
}

std::unique_ptr<TGraphic> TMetafile::clone() const { return std::make_unique<TMetafile>(*this); }

// ---------------------------------------------------------------- invalid picture

const QImage &invalidPictureImage() {
  static const QImage image = [] {
    QImage img(24, 24, QImage::Format_RGB32);
    img.fill(qRgb(255, 255, 255));
    for (int i = 0; i < 24; ++i) {
      img.setPixel(i, 0, qRgb(128, 128, 128));
      img.setPixel(i, 23, qRgb(128, 128, 128));
      img.setPixel(0, i, qRgb(128, 128, 128));
      img.setPixel(23, i, qRgb(128, 128, 128));
    }
    for (int i = 5; i < 19; ++i) {
      for (int t = 0; t < 2; ++t) {
        img.setPixel(i + t, i, qRgb(255, 0, 0));
        img.setPixel(23 - i - t, i, qRgb(255, 0, 0));
      }
    }
    return img;
  }();
  return image;
}

std::unique_ptr<TBitmap> makeInvalidPicture() { return std::make_unique<TBitmap>(invalidPictureImage()); }

// ---------------------------------------------------------------- registry

namespace {

std::mutex &registryLock() {
  static std::mutex m;
  return m;
}
std::map<std::string, TGraphicFactory, std::less<>> &registry() {
  static std::map<std::string, TGraphicFactory, std::less<>> r = {
      {"TBitmap", [] { return std::unique_ptr<TGraphic>(new TBitmap()); }},
      {"TJPEGImage", [] { return std::unique_ptr<TGraphic>(new TJPEGImage()); }},
      {"TIcon", [] { return std::unique_ptr<TGraphic>(new TIcon()); }},
      {"TMetafile", [] { return std::unique_ptr<TGraphic>(new TMetafile()); }},
  };
  return r;
}

} // namespace

void registerGraphicClass(const std::string &className, TGraphicFactory factory) {
  std::lock_guard<std::mutex> lock(registryLock());
  registry()[className] = std::move(factory);
}

std::unique_ptr<TGraphic> createGraphic(std::string_view className) {
  TGraphicFactory f;
  {
    std::lock_guard<std::mutex> lock(registryLock());
    auto it = registry().find(className);
    if (it == registry().end()) return nullptr;
    f = it->second;
  }
  return f();
}

} // namespace kc
