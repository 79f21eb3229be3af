// Writing GIF files: encoding frames, their graphic controls and the file.
#include "platform/Files.h"
#include "widgets/KcGIF.h"
#include "widgets/KcGIFPrivate.h"

#include <QIODevice>
#include <algorithm>

namespace kc {

namespace {

void writeSubBlocks(std::string &s, const std::vector<std::string> &strings) {
  for (const std::string &str : strings) {
    // An empty string would write the terminator in the middle.
    if (str.empty()) continue;
    const size_t n = std::min<size_t>(str.size(), 255);
    s.push_back(char(n));
    s.append(str, 0, n);
  }
  s.push_back('\0');
}

void writeAll(QIODevice &dev, const std::string &s) {
  if (dev.write(s.data(), qint64(s.size())) != qint64(s.size())) throw EKcGraphicError("Stream write error");
}

} // namespace

void TKcGIFFrame::encode() {
  if (FBitmap.isNull() || FBitmap.width() < 1 || FBitmap.height() < 1) throw EKcGraphicError(kGIFNoData);
  std::string dib;
  if (BitmapBitsPerPixel(FBitmap) <= 8) {
    dib = SavePaletteBitmap(FBitmap);
  } else {
    const int method = Grayscale ? crGrayscale : DefaultColorReduction;
    dib = BitmapToMemoryStream(FBitmap, TPixelFormat::pf8bit, method);
    if (method == crGrayscale) Grayscale = true;
  }
  TDIBImage di;
  if (!ParseBitmapFile(dib, di)) throw EKcGraphicError(kGIFEncodingError);
  const int colors = di.BitsPerPixel == 1 ? 2 : di.BitsPerPixel == 4 ? 16 : 256;
  Interlaced = false;
  TGIFItem &item = *Item;
  item.ColorMap = TGIFColorTable();
  item.ColorMap.Count = std::min(256, colors);
  for (int i = 0; i < item.ColorMap.Count; ++i) item.ColorMap.setColor(i, di.Colors[size_t(i)]);
  item.ImageData.emplace();
  const uint8_t *top = reinterpret_cast<const uint8_t *>(di.Pixels.data()) + size_t(di.Height - 1) * size_t(di.RowSize);
  const bool report = FOwner && FOwner->OnProgress;
  if (report) progress(TProgressStage::psStarting, 0);
  LZWEncode(top, -std::ptrdiff_t(di.RowSize), di.BitsPerPixel, di.Width, di.Height, false, *item.ImageData,
            report ? std::function<void(int)>([this](int percent) { progress(TProgressStage::psRunning, percent); })
                   : std::function<void(int)>());
  if (report) progress(TProgressStage::psEnding, 100);
  item.BitsPerPixel = uint8_t(GIFBitsFor(item.ColorMap.Count));
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
      if (e.ExtType == geGraphicControl) gce = &e;
  if (!gce && (AnimateInterval > 0 || FTransparentColor || DisposalMethod != 0)) {
    if (!Extensions) Extensions.emplace();
    TExtension e;
    e.ExtType = geGraphicControl;
    e.ExtRec[0] = 4;
    Extensions->push_back(e);
    gce = &Extensions->back();
  }
  if (gce) {
    // The file's field holds hundredths of a second, 16 bits of them.
    const uint32_t delay = std::min<uint32_t>(AnimateInterval / 10, 0xFFFF);
    gce->ExtRec[2] = uint8_t(delay & 0xFF);
    gce->ExtRec[3] = uint8_t(delay >> 8);
    const TGIFColorTable &map = Item->ColorMap;
    int index = -1;
    if (FTransparentIndex >= 0 && FTransparentIndex < map.Count) {
      index = FTransparentIndex;
    } else if (FTransparentColor) {
      for (int i = 0; i < map.Count && index < 0; ++i)
        if ((map.color(i) & 0xFFFFFF) == (*FTransparentColor & 0xFFFFFF)) index = i;
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
                           [](const TExtension &e) { return e.ExtType == geComment && (!e.Data || e.Data->empty()); }),
            v.end());
    if (!v.empty() && FOwner) FOwner->FVersion = 2;
  }
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
  if (FFrames.empty()) throw EKcGraphicError(kGIFNoData);
  EncodeFrames(false);
  TGIFData &shared = *FSharedData;
  if (!shared.Comment.empty()) FVersion = 2;
  std::string s;
  s += "GIF";
  s += GIFVersions[std::clamp(FVersion, 1, 2)];

  int w = 0, h = 0;
  for (const auto &f : FFrames) {
    w = std::max(w, f->Width() + f->Origin.x());
    h = std::max(h, f->Height() + f->Origin.y());
  }
  if (w > 65535 || h > 65535) throw EKcGraphicError(kGIFEncodingError);
  FScreenWidth = uint16_t(w);
  FScreenHeight = uint16_t(h);
  GIFPut16(s, FScreenWidth);
  GIFPut16(s, FScreenHeight);
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
    GIFPut16(s, FRepeatCount);
    s.push_back('\0');
  }
  for (const auto &fp : FFrames) {
    TKcGIFFrame &f = *fp;
    if (f.Extensions)
      for (const TExtension &e : *f.Extensions) {
        s.push_back('!');
        s.push_back(char(GIFExtensionLabels[e.ExtType & 3]));
        switch (e.ExtType & 3) {
        case geGraphicControl: s.append(reinterpret_cast<const char *>(e.ExtRec.data()), 6); break;
        case gePlainText:
          s.append(reinterpret_cast<const char *>(e.ExtRec.data()), 13);
          writeSubBlocks(s, e.Data ? *e.Data : std::vector<std::string>());
          break;
        case geApplication:
          s.append(reinterpret_cast<const char *>(e.ExtRec.data()), 12);
          writeSubBlocks(s, e.Data ? *e.Data : std::vector<std::string>());
          break;
        default: writeSubBlocks(s, e.Data ? *e.Data : std::vector<std::string>()); break;
        }
      }
    const int fw = f.Width(), fh = f.Height();
    if (f.Origin.x() < 0 || f.Origin.y() < 0 || f.Origin.x() > 65535 || f.Origin.y() > 65535 || fw > 65535 ||
        fh > 65535)
      throw EKcGraphicError(kGIFEncodingError);
    s.push_back(',');
    GIFPut16(s, uint32_t(f.Origin.x()));
    GIFPut16(s, uint32_t(f.Origin.y()));
    GIFPut16(s, uint32_t(fw));
    GIFPut16(s, uint32_t(fh));
    uint8_t packed = 0;
    const TGIFColorTable &map = f.Item->ColorMap;
    if (f.LocalColors) {
      ColorCountToBits(map.Count); // the table must fill its announced size
      f.Item->BitsPerPixel = uint8_t(GIFBitsFor(map.Count));
      packed = uint8_t(0x80 + (f.Item->BitsPerPixel - 1));
    }
    if (f.Interlaced) packed |= 0x40;
    s.push_back(char(packed));
    if (f.LocalColors) s.append(reinterpret_cast<const char *>(map.Colors.data()), size_t(map.Count) * 3);
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
  GIFPut16(s, n & 0xFFFF);
  GIFPut16(s, n >> 16);
  s += file;
  writeAll(stream, s);
}

void TKcGIFImage::SaveToFile(const std::string &path) {
  const std::string bytes = SaveToBytes();
  if (!WriteFileAtomically(path, bytes)) throw EKcGraphicError("Cannot create file \"" + path + "\"");
}

} // namespace kc
