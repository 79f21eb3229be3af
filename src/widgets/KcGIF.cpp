// The GIF picture's data model: tables, the image and its queries.
#include "widgets/KcGIF.h"
#include "widgets/KcGIFPrivate.h"

#include <QPainter>
#include <algorithm>

namespace kc {

const char *const GIFVersions[3] = {"", "87a", "89a"};
const uint8_t GIFExtensionLabels[4] = {0xF9, 0x01, 0xFF, 0xFE};
bool TolerateCorruptGIF = true;

int ColorCountToBits(int count) {
  for (int b = 1; b <= 8; ++b)
    if (count == (1 << b)) return b;
  throw EKcGraphicError(kGIFWrongColors);
}

void TExtension::Assign(const TExtension &src) {
  ExtType = src.ExtType;
  ExtRec = src.ExtRec;
  if (src.Data && !src.Data->empty()) {
    if (!Data) Data.emplace();
    *Data = *src.Data;
  }
}

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
  if (OnChange) OnChange();
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
int TKcGIFImage::Width() const {
  if (FFrameIndex < 0 || FFrameIndex >= Count()) return 0;
  return FFrames[size_t(FFrameIndex)]->Width();
}

int TKcGIFImage::Height() const {
  if (FFrameIndex < 0 || FFrameIndex >= Count()) return 0;
  return FFrames[size_t(FFrameIndex)]->Height();
}

void TKcGIFImage::SetWidth(int) { throw EKcGraphicError("Cannot change the Size of a GIF image"); }
void TKcGIFImage::SetHeight(int) { throw EKcGraphicError("Cannot change the Size of a GIF image"); }

bool TKcGIFImage::Empty() const {
  if (FFrames.empty()) return true;
  const TKcGIFFrame &f = *FFrames[size_t(std::clamp(FFrameIndex, 0, Count() - 1))];
  if (f.HasBitmap()) return false;
  return !f.Item->ImageData || f.Item->ImageData->empty();
}

bool TKcGIFImage::Transparent() const {
  if (!FTransparent) return false;
  for (const auto &f : FFrames)
    if (f->TransparentColor()) return true;
  return false;
}

bool TKcGIFImage::Palette() const {
  if (FFrames.empty() || FFrameIndex < 0 || FFrameIndex >= Count()) return false;
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
  if (FFrameIndex < 0 || FFrameIndex >= Count()) return;
  TKcGIFFrame &f = *FFrames[size_t(FFrameIndex)];
  const QImage &bmp = f.Bitmap();
  if (bmp.isNull()) return;
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

} // namespace kc
