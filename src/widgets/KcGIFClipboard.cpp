// The GIF picture on the clipboard: a bitmap, and the file as "GIF Image".
#include "platform/Clipboard.h"
#include "widgets/KcGIF.h"
#include "widgets/KcGIFPrivate.h"

#include <QBuffer>

namespace kc {

unsigned TKcGIFImage::ClipboardFormat() {
  static const unsigned fmt = Clipboard::registerFormat("GIF Image");
  return fmt;
}

void TKcGIFImage::SaveToClipboard() {
  if (FFrames.empty()) return;
  Clipboard::Batch batch;
  batch.setImage(FFrames[0]->Bitmap());
  bool all = true;
  for (const auto &f : FFrames) all = all && f->Item->ImageData && !f->Item->ImageData->empty();
  if (all) {
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    WriteData(buf);
    batch.setData(ClipboardFormat(), buf.data().toStdString());
  }
  batch.commit();
}

void TKcGIFImage::LoadFromClipboard() {
  if (Clipboard::hasFormat(ClipboardFormat())) {
    const std::string block = Clipboard::data(ClipboardFormat());
    if (block.size() < 4) {
      reset();
      throw EKcGraphicError(kGIFStreamReadError);
    }
    const uint32_t n = uint32_t(uint8_t(block[0])) | uint32_t(uint8_t(block[1])) << 8 |
                       uint32_t(uint8_t(block[2])) << 16 | uint32_t(uint8_t(block[3])) << 24;
    if (n > block.size() - 4) {
      reset();
      throw EKcGraphicError(kGIFStreamReadError);
    }
    LoadFromBytes(std::string_view(block).substr(4, n), false);
    if (!FFrames.empty()) {
      FFrameIndex = 0;
      const QImage bmp = Clipboard::image();
      if (!bmp.isNull()) FFrames[0]->SetBitmap(bmp);
    }
    return;
  }
  const QImage bmp = Clipboard::image();
  Assign(bmp);
}

} // namespace kc
