// The GIF picture among the picture classes of documents.
#include "platform/Log.h"
#include "widgets/KcGIF.h"

namespace kc {

void TKcGIFGraphic::draw(QPainter &painter, const QRect &dest) const {
  try {
    FImage.Draw(painter, dest);
  } catch (...) {
    // Pictures are drawn while a document paints, which knows nothing of
    // the codec's failures: the picture stays blank.
    LogCaughtException("GIF picture drawing");
  }
}

bool TKcGIFGraphic::loadFromBytes(std::string_view data) {
  try {
    FImage.LoadFromBytes(data);
    return FImage.Count() > 0;
  } catch (const EKcGraphicError &) {
    FImage.Clear();
    return false;
  }
}

std::string TKcGIFGraphic::saveToBytes() const {
  try {
    return FImage.SaveToBytes();
  } catch (const EKcGraphicError &) {
    return {};
  }
}

std::unique_ptr<TGraphic> TKcGIFGraphic::clone() const {
  auto copy = std::make_unique<TKcGIFGraphic>();
  copy->FImage.Assign(FImage);
  return copy;
}

void RegisterKcGIFGraphic() {
  static const bool done = [] {
    registerGraphicClass("TKcGIFImage", [] { return std::make_unique<TKcGIFGraphic>(); });
    TKcGIFImage::ClipboardFormat();
    return true;
  }();
  (void)done;
}

} // namespace kc
