// Pictures as RTF picture groups: bitmaps, metafiles made around a bitmap,
// JPEG and enhanced metafiles, image-list images.
#include "richtext/document/RVItem.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/ImageList.h"
#include "platform/QtCanvas.h"
#include "richtext/document/RVItemParts.h"

namespace kc {

using namespace rvitem;

namespace {

int32_t LE32(const std::string &s, size_t at) {
  return int32_t(uint32_t(uint8_t(s[at])) | (uint32_t(uint8_t(s[at + 1])) << 8) | (uint32_t(uint8_t(s[at + 2])) << 16) |
                 (uint32_t(uint8_t(s[at + 3])) << 24));
}
uint16_t LE16(const std::string &s, size_t at) { return uint16_t(uint8_t(s[at]) | (uint8_t(s[at + 1]) << 8)); }

void Put16(std::string &s, uint32_t v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
void Put32(std::string &s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// A picture's bitmap file, made from the picture when it is not a bitmap.
std::string BitmapFileOf(const TGraphic &Graphic) {
  if (auto *b = dynamic_cast<const TBitmap *>(&Graphic)) return b->saveToBytes();
  return TBitmap(Graphic.toImage()).saveToBytes();
}

// The device-independent parts of a bitmap file: header with colour table,
// and pixels. False for a file too short for what it claims.
bool SplitBitmapFile(const std::string &Bmp, std::string &Info, std::string &Bits) {
  if (Bmp.size() < 14 + 16) return false;
  const uint32_t offBits = uint32_t(LE32(Bmp, 10));
  if (offBits < 14 + 16 || offBits > Bmp.size()) return false;
  Info = Bmp.substr(14, offBits - 14);
  Bits = Bmp.substr(offBits);
  return true;
}

// A size in pixels as hundredths of a millimetre, the unit of a metafile's
// picture size; rounded up, so that it reads back as the same pixels.
int PixelsToHiMetric(int Pixels) { return int((int64_t(Pixels) * 2540 + 95) / 96); }

// A Windows metafile (without the placeable header) that shows one bitmap
// stretched over W x H, as drawing a picture into a metafile records it.
std::string WindowsMetafileOf(const std::string &Info, const std::string &Bits, int W, int H) {
  const std::string dib = Info + Bits;
  std::string rec;
  // SetWindowOrg (0, 0) and SetWindowExt (W, H).
  Put32(rec, 5);
  Put16(rec, 0x020B);
  Put16(rec, 0);
  Put16(rec, 0);
  Put32(rec, 5);
  Put16(rec, 0x020C);
  Put16(rec, uint32_t(H));
  Put16(rec, uint32_t(W));
  // StretchDIB with SRCCOPY, DIB_RGB_COLORS; the record is whole words.
  const int32_t srcW = LE32(Info, 4), srcH = std::abs(LE32(Info, 8));
  const uint32_t words = uint32_t((28 + dib.size() + 1) / 2);
  Put32(rec, words);
  Put16(rec, 0x0F43);
  Put32(rec, 0x00CC0020);
  Put16(rec, 0);
  Put16(rec, uint32_t(srcH));
  Put16(rec, uint32_t(srcW));
  Put16(rec, 0);
  Put16(rec, 0);
  Put16(rec, uint32_t(H));
  Put16(rec, uint32_t(W));
  Put16(rec, 0);
  Put16(rec, 0);
  rec += dib;
  if (dib.size() % 2) rec += '\0';
  // End of file.
  Put32(rec, 3);
  Put16(rec, 0);
  std::string wmf;
  Put16(wmf, 1);
  Put16(wmf, 9);
  Put16(wmf, 0x0300);
  Put32(wmf, uint32_t((18 + rec.size()) / 2));
  Put16(wmf, 0);
  Put32(wmf, words);
  Put16(wmf, 0);
  return wmf + rec;
}

// An enhanced metafile that shows one bitmap stretched over W x H.
std::string EnhancedMetafileOf(const std::string &Info, const std::string &Bits, int W, int H) {
  auto pad4 = [](std::string &b) {
    while (b.size() % 4) b += '\0';
  };
  std::string info = Info, bits = Bits;
  pad4(info);
  pad4(bits);
  const int32_t srcW = LE32(Info, 4), srcH = std::abs(LE32(Info, 8));
  std::string blt;
  Put32(blt, 81); // EMR_STRETCHDIBITS
  Put32(blt, uint32_t(80 + info.size() + bits.size()));
  Put32(blt, 0);
  Put32(blt, 0);
  Put32(blt, uint32_t(W - 1));
  Put32(blt, uint32_t(H - 1));
  Put32(blt, 0); // destination x, y
  Put32(blt, 0);
  Put32(blt, 0); // source x, y, width, height
  Put32(blt, 0);
  Put32(blt, uint32_t(srcW));
  Put32(blt, uint32_t(srcH));
  Put32(blt, 80);
  Put32(blt, uint32_t(Info.size()));
  Put32(blt, uint32_t(80 + info.size()));
  Put32(blt, uint32_t(Bits.size()));
  Put32(blt, 0);          // DIB_RGB_COLORS
  Put32(blt, 0x00CC0020); // SRCCOPY
  Put32(blt, uint32_t(W));
  Put32(blt, uint32_t(H));
  blt += info + bits;
  std::string eof;
  Put32(eof, 14); // EMR_EOF
  Put32(eof, 20);
  Put32(eof, 0);
  Put32(eof, 16);
  Put32(eof, 20);
  const uint32_t total = uint32_t(88 + blt.size() + eof.size());
  std::string emf;
  Put32(emf, 1); // EMR_HEADER
  Put32(emf, 88);
  Put32(emf, 0); // bounds in pixels, inclusive
  Put32(emf, 0);
  Put32(emf, uint32_t(W - 1));
  Put32(emf, uint32_t(H - 1));
  Put32(emf, 0); // frame in hundredths of a millimetre at 96 pixels an inch
  Put32(emf, 0);
  Put32(emf, uint32_t(PixelsToHiMetric(W)));
  Put32(emf, uint32_t(PixelsToHiMetric(H)));
  Put32(emf, 0x464D4520);
  Put32(emf, 0x10000);
  Put32(emf, total);
  Put32(emf, 3);
  Put16(emf, 1);
  Put16(emf, 0);
  Put32(emf, 0);
  Put32(emf, 0);
  Put32(emf, 0);
  Put32(emf, 1024); // reference device: pixels, then millimetres
  Put32(emf, 768);
  Put32(emf, 271);
  Put32(emf, 203);
  return emf + blt + eof;
}

void WriteDibPicture(std::string &Stream, const std::string &Info, const std::string &Bits, int W, int H,
                     const TRVRTFSaveContext &Context) {
  const int64_t w = LE32(Info, 4);
  const int64_t bpp = LE16(Info, 14);
  const int64_t widthBytes = (((w < 0 ? -w : w) * bpp + 31) / 32) * 4;
  Stream += "\\dibitmap0\\wbmwidthbytes" + std::to_string(widthBytes) + "\\picw" + std::to_string(W) + "\\pich" +
            std::to_string(H) + "\\picwgoal" + std::to_string(int(std::lround(W * Context.TwipsFactor))) +
            "\\pichgoal" + std::to_string(int(std::lround(H * Context.TwipsFactor))) + " ";
  Stream += RVBytesToHex(Info + Bits);
}

} // namespace

void RVSaveGraphicToRTF(std::string &Stream, const TGraphic &Graphic, int ShownWidth, int ShownHeight,
                        const TRVRTFSaveContext &Context) {
  Stream += "{\\pict";
  int natW = Graphic.width(), natH = Graphic.height();
  if (natW > 0 && natH > 0 && (ShownWidth != natW || ShownHeight != natH)) {
    Stream += "\\picscalex" + std::to_string(int(std::lround(ShownWidth * 100.0 / natW)));
    Stream += "\\picscaley" + std::to_string(int(std::lround(ShownHeight * 100.0 / natH)));
  }
  std::string info, bits;
  if (IsMetafile(&Graphic)) {
    const auto &mf = static_cast<const TMetafile &>(Graphic);
    std::string data = mf.saveToBytes();
    if (mf.enhanced() && Context.Options.Has(rvrtfSaveEMFAsWMF)) {
      // Only a metafile that shows one bitmap can be converted here; any
      // other stays enhanced rather than be lost.
      std::unique_ptr<TBitmap> single = mf.singleBitmap();
      if (single && SplitBitmapFile(single->saveToBytes(), info, bits)) {
        Stream += "\\wmetafile8\\picw" + std::to_string(PixelsToHiMetric(natW)) + "\\pich" +
                  std::to_string(PixelsToHiMetric(natH)) + " ";
        Stream += RVBytesToHex(WindowsMetafileOf(info, bits, natW, natH)) + "}";
        return;
      }
    }
    if (mf.enhanced()) Stream += "\\emfblip\\picw" + std::to_string(natW) + "\\pich" + std::to_string(natH) + " ";
    else {
      // The placeable header is not part of RTF's metafile data; the size
      // of an anisotropic metafile picture is in hundredths of a millimetre.
      if (data.size() >= 22 && uint32_t(LE32(data, 0)) == 0x9AC6CDD7u) data.erase(0, 22);
      Stream += "\\wmetafile8\\picw" + std::to_string(PixelsToHiMetric(natW)) + "\\pich" +
                std::to_string(PixelsToHiMetric(natH)) + " ";
    }
    Stream += RVBytesToHex(data);
  } else if (IsJpeg(&Graphic) && Context.Options.Has(rvrtfSaveJpegAsJpeg)) {
    Stream += "\\jpegblip\\picw" + std::to_string(natW) + "\\pich" + std::to_string(natH) + " ";
    Stream += RVBytesToHex(Graphic.saveToBytes());
  } else if (!SplitBitmapFile(BitmapFileOf(Graphic), info, bits)) {
    // Nothing to write.
  } else if (dynamic_cast<const TBitmap *>(&Graphic) || Context.Options.Has(rvrtfSaveBitmapDefault)) {
    WriteDibPicture(Stream, info, bits, natW, natH, Context);
  } else if (Context.Options.Has(rvrtfSaveEMFDefault)) {
    // Any other picture is drawn into a metafile.
    Stream += "\\emfblip\\picw" + std::to_string(natW) + "\\pich" + std::to_string(natH) + " ";
    Stream += RVBytesToHex(EnhancedMetafileOf(info, bits, natW, natH));
  } else {
    Stream += "\\wmetafile1\\picw" + std::to_string(natW) + "\\pich" + std::to_string(natH) + " ";
    Stream += RVBytesToHex(WindowsMetafileOf(info, bits, natW, natH));
  }
  Stream += "}";
}

void RVSaveImageListImageToRTF(std::string &Stream, const TCustomImageList &ImageList, int ImageIndex,
                               const TRVRTFSaveContext &Context) {
  TBitmap bmp(ImageList.ImageOnBackground(ImageIndex, clWhite));
  if (bmp.empty()) return;
  std::string info, bits;
  if (!SplitBitmapFile(bmp.saveToBytes(), info, bits)) return;
  Stream += "{\\pict";
  if (Context.Options.Has(rvrtfSaveBitmapDefault))
    WriteDibPicture(Stream, info, bits, bmp.width(), bmp.height(), Context);
  else {
    Stream += "\\wmetafile1\\picw" + std::to_string(bmp.width()) + "\\pich" + std::to_string(bmp.height()) + " ";
    Stream += RVBytesToHex(WindowsMetafileOf(info, bits, bmp.width(), bmp.height()));
  }
  Stream += "}";
}

} // namespace kc
