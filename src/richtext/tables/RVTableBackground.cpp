#include "richtext/tables/RVTableBackground.h"

#include <string>

namespace kc {

namespace {

void freeEmpty(std::unique_ptr<TRVBackground> &Background) {
  if (Background && Background->GetItemBackStyle() == rvbsColor && !Background->GetBitmap()) Background.reset();
}

} // namespace

void SetOwnedBackgroundImage(std::unique_ptr<TRVBackground> &Background, const TGraphic *Image) {
  if (Image && !Image->empty()) {
    if (!Background) Background = std::make_unique<TRVBackground>(false);
    Background->AssignImageCopy(*Image);
  } else if (Background) {
    Background->FreeBitmap();
  }
  freeEmpty(Background);
}

void TakeOwnedBackgroundImage(std::unique_ptr<TRVBackground> &Background, std::unique_ptr<TGraphic> Image) {
  if (Image && !Image->empty()) {
    if (!Background) Background = std::make_unique<TRVBackground>(false);
    Background->AssignImage(std::move(Image));
  } else if (Background) {
    Background->FreeBitmap();
  }
  freeEmpty(Background);
}

std::unique_ptr<TGraphic> ReleaseOwnedBackgroundImage(std::unique_ptr<TRVBackground> &Background) {
  std::unique_ptr<TGraphic> image = Background ? Background->TakeBitmap() : nullptr;
  freeEmpty(Background);
  return image;
}

bool SameBackgroundImage(const TGraphic *A, const TGraphic *B) {
  if (A && A->empty()) A = nullptr;
  if (B && B->empty()) B = nullptr;
  if (!A || !B) return A == B;
  return std::string(A->className()) == B->className() && A->width() == B->width() && A->height() == B->height() &&
         A->saveToBytes() == B->saveToBytes();
}

void SetOwnedBackgroundStyle(std::unique_ptr<TRVBackground> &Background, TRVItemBackgroundStyle Value) {
  if (Value != rvbsColor && !Background) Background = std::make_unique<TRVBackground>(false);
  if (Background) Background->SetItemBackStyle(Value);
  freeEmpty(Background);
}

} // namespace kc
