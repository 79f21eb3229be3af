#include "richtext/document/RVMultiDrawItem.h"

namespace kc {

TRVMultiImagePrintInfo::TRVMultiImagePrintInfo(const TRVScreenAndDevice &asad, int32_t ImageHeight,
                                               int32_t AMinHeightOnPage)
    : sad(asad), FullImageHeight(ImageHeight > 0 ? ImageHeight : 0), MinHeightOnPage(AMinHeightOnPage) {}

TRVImagePrintPart *TRVMultiImagePrintInfo::LastPart() const {
  if (PartsList.Count() == 0) return nullptr;
  return static_cast<TRVImagePrintPart *>(PartsList.Last());
}

int32_t TRVMultiImagePrintInfo::ToImage(int32_t Y) const {
  // A printer that reports no resolution is taken as the screen, rather
  // than letting MulDiv's failure value pass as a height.
  if (sad.ppiyDevice <= 0 || sad.ppiyScreen <= 0) return Y;
  return MulDiv(Y, sad.ppiyScreen, sad.ppiyDevice);
}

bool TRVMultiImagePrintInfo::BeginParts() {
  PartsList.Clear();
  auto part = std::make_unique<TRVImagePrintPart>();
  part->Height = Height;
  part->ImageTop = 0;
  part->ImageHeight = FullImageHeight;
  PartsList.Add(std::move(part));
  return true;
}

bool TRVMultiImagePrintInfo::CanBreakAt(int32_t Y) {
  // The part still to be placed: the last one once splitting began, else
  // the whole picture.
  const TRVImagePrintPart *last = LastPart();
  int32_t remaining = last ? last->ImageHeight : FullImageHeight;
  if (Y < 0) return false;
  int32_t y = ToImage(Y);
  if (y < MinPart()) return false;
  if (y >= remaining) return true;
  return remaining - y >= MinPart();
}

bool TRVMultiImagePrintInfo::BreakLastPartAt(int32_t Y) {
  TRVImagePrintPart *last = LastPart();
  if (!last) throw ERichVistaError("Internal printing error");
  if (Y <= 0 || Y >= last->Height) return false;
  int32_t y = ToImage(Y);
  if (y < MinPart() || last->ImageHeight - y < MinPart()) return false;
  auto rest = std::make_unique<TRVImagePrintPart>();
  rest->Height = last->Height - Y;
  rest->ImageTop = last->ImageTop + y;
  rest->ImageHeight = last->ImageHeight - y;
  last->Height = Y;
  last->ImageHeight = y;
  PartsList.Add(std::move(rest));
  return true;
}

} // namespace kc
