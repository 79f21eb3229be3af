#include "richtext/tables/RVTableBackground.h"

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

void SetOwnedBackgroundStyle(std::unique_ptr<TRVBackground> &Background, TRVItemBackgroundStyle Value) {
  if (Value != rvbsColor && !Background) Background = std::make_unique<TRVBackground>(false);
  if (Background) Background->SetItemBackStyle(Value);
  freeEmpty(Background);
}

} // namespace kc
