// Copying pictures between GIF images, GIF frames and bitmaps.
#include "widgets/KcGIF.h"

#include <QList>
#include <algorithm>

namespace kc {

void TKcGIFFrame::Assign(const TKcGIFFrame &src) {
  if (&src == this) return;
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
      if (e.ExtType == geComment && e.Data) comments.insert(comments.end(), e.Data->begin(), e.Data->end());
  if (!comments.empty()) {
    if (!Extensions) Extensions.emplace();
    TExtension *c = nullptr;
    for (TExtension &e : *Extensions)
      if (e.ExtType == geComment) c = &e;
    if (!c) {
      Extensions->push_back(TExtension());
      c = &Extensions->back();
      c->ExtType = geComment;
    }
    c->Data = comments;
  }
  if (FOwner) FOwner->recomputeScreen();
}

void TKcGIFFrame::Assign(const TKcGIFImage &src) {
  if (src.Count() == 0) return;
  int i = src.FrameIndex();
  if (i < 0 || i >= src.Count()) i = 0;
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
  if (FOwner) FOwner->recomputeScreen();
}

void TKcGIFFrame::Clear() {
  Item = std::make_shared<TGIFItem>();
  FBitmap = QImage();
  FTransparentIndex = -1;
  if (FOwner) FOwner->recomputeScreen();
}

void TKcGIFFrame::AssignTo(TKcGIFImage &dest) const { dest.Assign(*this); }

void TKcGIFFrame::AssignTo(QImage &dest) {
  dest = Bitmap();
  if (dest.isNull() || !FTransparentColor) return;
  // The bitmap takes the transparency along: its transparent entry, or
  // without one every pixel of the transparent colour, shows nothing.
  const QRgb key = *FTransparentColor & 0xFFFFFFu;
  if (dest.format() == QImage::Format_Indexed8) {
    if (FTransparentIndex >= 0 && FTransparentIndex < dest.colorCount()) {
      dest.setColor(FTransparentIndex, dest.color(FTransparentIndex) & 0x00FFFFFFu);
    } else {
      for (int i = 0; i < dest.colorCount(); ++i)
        if ((dest.color(i) & 0xFFFFFFu) == key) dest.setColor(i, key);
    }
    return;
  }
  dest = dest.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < dest.height(); ++y) {
    QRgb *row = reinterpret_cast<QRgb *>(dest.scanLine(y));
    for (int x = 0; x < dest.width(); ++x)
      if ((row[x] & 0xFFFFFFu) == key) row[x] = key;
  }
}

int TKcGIFImage::AddFrame(const QImage &picture) {
  auto frame = std::make_unique<TKcGIFFrame>(this);
  TKcGIFFrame *f = frame.get();
  FFrames.push_back(std::move(frame));
  f->Assign(picture);
  FFrameIndex = Count() - 1;
  FVersion = std::max(FVersion, 1);
  if (Count() > 1) FVersion = 2;
  return FFrameIndex;
}

void TKcGIFImage::Assign(const TKcGIFImage &src) {
  if (&src == this) return;
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
    if (f.get() == &src) own = std::move(f);
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
  if (Empty()) return;
  if (FFrameIndex < 0) dest = GetBitmap();
  else FFrames[size_t(std::min(FFrameIndex, Count() - 1))]->AssignTo(dest);
}

} // namespace kc
