// A GIF frame: its transparency, its size and the decoding of its picture.
#include "widgets/KcGIF.h"
#include "widgets/KcGIFPrivate.h"

#include <QList>
#include <algorithm>
#include <cstring>

namespace kc {

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
  if (!FBitmap.isNull()) return FBitmap.width();
  return Item->ImageData ? Item->Size.width() : 0;
}

int TKcGIFFrame::Height() const {
  if (!FBitmap.isNull()) return FBitmap.height();
  return Item->ImageData ? Item->Size.height() : 0;
}

const QImage &TKcGIFFrame::Bitmap() {
  if (FBitmap.isNull()) decode();
  return FBitmap;
}

bool TKcGIFFrame::decodable() const { return !Item->ImageData || (Item->BitsPerPixel >= 1 && Item->BitsPerPixel <= 8); }

void TKcGIFFrame::decode() {
  const TGIFItem &item = *Item;
  if (!item.ImageData) return;
  int bits;
  if (item.BitsPerPixel == 1) bits = 1;
  else if (item.BitsPerPixel >= 2 && item.BitsPerPixel <= 4) bits = 4;
  else if (item.BitsPerPixel >= 5 && item.BitsPerPixel <= 8) bits = 8;
  else throw EKcGraphicError(kGIFWrongColors);
  const int w = item.Size.width(), h = item.Size.height();
  if (w <= 0 || h <= 0 || int64_t(w) * h > kGIFPixelBudget) return;
  QImage img(w, h, QImage::Format_Indexed8);
  if (img.isNull()) return;
  QList<QRgb> table(1 << bits, qRgb(128, 128, 128));
  for (int i = 0; i < std::min(item.ColorMap.Count, int(table.size())); ++i) table[i] = item.ColorMap.color(i);
  img.setColorTable(table);
  const bool direct = img.bytesPerLine() == w;
  std::vector<uint8_t> pixels;
  if (!direct) pixels.assign(size_t(w) * size_t(h), 0);
  else img.fill(0);
  uint8_t *target = direct ? img.bits() : pixels.data();
  const bool report = FOwner && FOwner->OnProgress;
  if (report) progress(TProgressStage::psStarting, 0);
  bool corrupt;
  try {
    corrupt = LZWDecode(
        *item.ImageData, w, h, item.BitsPerPixel, Interlaced, TolerateCorruptGIF, target,
        report ? std::function<void(int)>([this](int percent) { progress(TProgressStage::psRunning, percent); })
               : std::function<void(int)>());
  } catch (const EKcGraphicError &e) {
    if (report) progress(TProgressStage::psEnding, 0, e.what());
    throw;
  }
  if (report) progress(TProgressStage::psEnding, 100);
  if (!direct)
    for (int y = 0; y < h; ++y) std::memcpy(img.scanLine(y), pixels.data() + size_t(y) * size_t(w), size_t(w));
  Corrupted = Corrupted || corrupt;
  FBitmap = img;
}

void TKcGIFFrame::progress(TProgressStage stage, int percent, const std::string &msg) {
  if (FOwner && FOwner->OnProgress) FOwner->OnProgress(stage, percent, msg);
}

} // namespace kc
