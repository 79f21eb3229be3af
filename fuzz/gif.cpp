// Any bytes as a GIF file: load, decode every frame, compose every frame the
// way the animator plays them, and write the picture again.
#include "widgets/KcGIF.h"
#include "widgets/KcGIFCompose.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace kc;
  TKcGIFImage img;
  // Progress is reported while frames are decoded and encoded.
  img.OnProgress = [](TProgressStage, int, const std::string &) {};
  try {
    img.LoadFromBytes(std::string_view(reinterpret_cast<const char *>(data), size), false);
  } catch (const EKcGraphicError &) {
  }
  bool decoded = true;
  for (int i = 0; i < img.Count(); ++i) {
    try {
      img.Frames(i).Bitmap();
    } catch (const EKcGraphicError &) {
      decoded = false;
    }
  }
  for (int i = 0; i < img.Count(); ++i) {
    // The frame as a bitmap, with its transparency.
    QImage out;
    try {
      img.Frames(i).AssignTo(out);
    } catch (const EKcGraphicError &) {
    }
  }
  TGIFComposer composer;
  for (int i = 0; i < img.Count(); ++i) {
    try {
      composer.Compose(img, i, 0xFFFFFFFFu, true);
    } catch (const EKcGraphicError &) {
    }
  }
  // Random access, as after setting the frame index.
  if (img.Count() > 2) {
    try {
      composer.Compose(img, img.Count() / 2, 0xFFFFFFFFu, true);
    } catch (const EKcGraphicError &) {
    }
  }
  if (img.Count() > 0) {
    try {
      img.SaveToBytes();
    } catch (const EKcGraphicError &) {
    }
    int64_t area = 0;
    for (int i = 0; i < img.Count(); ++i) area += int64_t(img.Frames(i).Width()) * img.Frames(i).Height();
    if (decoded && area <= 256 * 256) {
      // Through our encoder and back.
      try {
        for (int i = 0; i < img.Count(); ++i) img.Frames(i).Item->ImageData.reset();
        const std::string again = img.SaveToBytes();
        TKcGIFImage back;
        back.LoadFromBytes(again, false);
        for (int i = 0; i < back.Count(); ++i) back.Frames(i).Bitmap();
      } catch (const EKcGraphicError &) {
      }
    }
  }
  return 0;
}
