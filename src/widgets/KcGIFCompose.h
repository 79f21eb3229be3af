#pragma once
// Composition of GIF frames onto the logical screen by the disposal rules,
// with a cache of the last composed frame. Pixels are premultiplied ARGB;
// where a frame is transparent (by its transparent palette index) the frames
// below or the background show through.
#include "widgets/KcGIF.h"

#include <QImage>
#include <QRect>

namespace kc {

class TGIFComposer {
public:
  // The picture after frame n (n limited to the last frame). The background
  // is transparent when the image's current frame has a transparent index and
  // transparentOn is set (else that entry's colour), otherwise the image's
  // background colour when the image is transparent, else windowColor.
  // Decoding errors of a frame pass to the caller.
  const QImage &Compose(TKcGIFImage &image, int n, QRgb windowColor, bool transparentOn);
  void Drop();
  bool Transparent() const { return FTransparent; }

private:
  void drawFrame(TKcGIFFrame &f);
  void fill(const QRect &r);
  QImage FCache;
  int FIndex = -1;
  bool FTransparent = false;
  QRgb FBrush = 0;
  // The area under the last frame before it was drawn, kept when that frame
  // is to be restored to the previous picture.
  QImage FSaved;
  QRect FSavedRect;
};

} // namespace kc
