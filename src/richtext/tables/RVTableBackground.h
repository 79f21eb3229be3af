#pragma once
// A table's or a cell's own background, made only while it holds a picture
// or a picture style, so the many cells that only have a colour carry none.
#include <memory>

#include "richtext/document/RVBack.h"

namespace kc {

// Copies Image in (none or an empty one drops the picture).
void SetOwnedBackgroundImage(std::unique_ptr<TRVBackground> &Background, const TGraphic *Image);
// Takes Image over (none or an empty one drops the picture).
void TakeOwnedBackgroundImage(std::unique_ptr<TRVBackground> &Background, std::unique_ptr<TGraphic> Image);
// Gives the picture away without freeing it (nullptr when none).
std::unique_ptr<TGraphic> ReleaseOwnedBackgroundImage(std::unique_ptr<TRVBackground> &Background);
// Whether two pictures are the same (none and an empty one alike).
bool SameBackgroundImage(const TGraphic *A, const TGraphic *B);
void SetOwnedBackgroundStyle(std::unique_ptr<TRVBackground> &Background, TRVItemBackgroundStyle Value);

} // namespace kc
