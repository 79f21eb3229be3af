#include "widgets/KcGIFCompose.h"

#include <algorithm>
#include <cstring>

namespace kc {

namespace {

QRect frameRect(const TKcGIFFrame &f) { return QRect(f.Origin, QSize(f.Width(), f.Height())); }

} // namespace

void TGIFComposer::Drop() {
  FCache = QImage();
  FSaved = QImage();
  FSavedRect = QRect();
  FIndex = -1;
  FTransparent = false;
}

void TGIFComposer::fill(const QRect &r) {
  const QRect c = r.intersected(FCache.rect());
  for (int y = c.top(); y <= c.bottom(); ++y) {
    QRgb *row = reinterpret_cast<QRgb *>(FCache.scanLine(y));
    std::fill(row + c.left(), row + c.left() + c.width(), FBrush);
  }
}

void TGIFComposer::drawFrame(TKcGIFFrame &f) {
  const QImage &bmp = f.Bitmap();
  if (bmp.isNull()) return;
  const QRect c = QRect(f.Origin, bmp.size()).intersected(FCache.rect());
  if (c.isEmpty()) return;
  const int dx = c.left() - f.Origin.x(), dy = c.top() - f.Origin.y();
  const std::optional<QRgb> key = f.TransparentColor();
  if (bmp.format() != QImage::Format_Indexed8) {
    // A picture given as a bitmap of another depth: transparent where it has
    // the frame's transparent colour.
    const QImage part = bmp.copy(QRect(QPoint(dx, dy), c.size())).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < c.height(); ++y) {
      const QRgb *src = reinterpret_cast<const QRgb *>(part.constScanLine(y));
      QRgb *dst = reinterpret_cast<QRgb *>(FCache.scanLine(c.top() + y)) + c.left();
      for (int x = 0; x < c.width(); ++x)
        if (!key || (src[x] & 0xFFFFFFu) != (*key & 0xFFFFFFu)) dst[x] = src[x] | 0xFF000000u;
    }
    return;
  }
  QRgb colors[256];
  bool clear[256] = {};
  const QList<QRgb> table = bmp.colorTable();
  for (int i = 0; i < 256; ++i) colors[i] = i < table.size() ? (table[i] | 0xFF000000u) : 0xFF000000u;
  const int t = f.TransparentIndex();
  if (t >= 0 && t < 256) clear[t] = true;
  else if (key)
    // Transparency given by colour alone: every entry of that colour.
    for (int i = 0; i < table.size() && i < 256; ++i) clear[i] = (table[i] & 0xFFFFFFu) == (*key & 0xFFFFFFu);
  for (int y = 0; y < c.height(); ++y) {
    const uint8_t *src = bmp.constScanLine(dy + y) + dx;
    QRgb *dst = reinterpret_cast<QRgb *>(FCache.scanLine(c.top() + y)) + c.left();
    for (int x = 0; x < c.width(); ++x)
      if (!clear[src[x]]) dst[x] = colors[src[x]];
  }
}

const QImage &TGIFComposer::Compose(TKcGIFImage &image, int n, QRgb windowColor, bool transparentOn) {
  const int count = image.Count();
  if (count == 0) {
    Drop();
    return FCache;
  }
  n = std::clamp(n, 0, count - 1);
  if (FIndex == n && !FCache.isNull()) return FCache;
  const bool useCache = !FCache.isNull() && FIndex >= 0 && FIndex == n - 1;
  if (useCache) {
    TKcGIFFrame &prev = image.Frames(n - 1);
    if (prev.DisposalMethod == 2) fill(frameRect(prev));
    else if (prev.DisposalMethod == 3 && !FSaved.isNull()) {
      for (int y = 0; y < FSavedRect.height(); ++y)
        std::memcpy(FCache.scanLine(FSavedRect.top() + y) + size_t(FSavedRect.left()) * 4, FSaved.constScanLine(y),
                    size_t(FSavedRect.width()) * 4);
    }
  } else {
    Drop();
    const int sw = image.ScreenWidth(), sh = image.ScreenHeight();
    FCache = QImage(std::max(sw, 1), std::max(sh, 1), QImage::Format_ARGB32_Premultiplied);
    const TKcGIFFrame &cur = image.Frames(std::clamp(image.FrameIndex(), 0, count - 1));
    if (cur.TransparentColor()) {
      FBrush = transparentOn ? 0u : (*cur.TransparentColor() | 0xFF000000u);
      FTransparent = transparentOn;
    } else if (image.BackgroundColor() && image.Transparent()) {
      FBrush = *image.BackgroundColor() | 0xFF000000u;
    } else {
      FBrush = windowColor;
    }
    FCache.fill(FBrush);
    // The nearest frame at or below n after which nothing earlier shows.
    int s = n;
    while (s > 0) {
      TKcGIFFrame &f = image.Frames(s);
      const bool covers =
          f.Origin.x() <= 0 && f.Origin.y() <= 0 && f.Origin.x() + f.Width() >= sw && f.Origin.y() + f.Height() >= sh;
      // A frame restored to the previous picture is never a start: what lies
      // under it comes back.
      if (covers && f.DisposalMethod != 3) {
        if (s == n && !f.TransparentColor()) break;
        if (s < n && (f.DisposalMethod == 2 || !f.TransparentColor())) break;
      }
      --s;
    }
    for (int k = s; k < n; ++k) {
      TKcGIFFrame &f = image.Frames(k);
      if (f.DisposalMethod == 2) {
        if (k > s) fill(frameRect(f));
      } else if (f.DisposalMethod != 3) {
        drawFrame(f);
      }
    }
  }
  FIndex = -1; // until frame n is in
  TKcGIFFrame &f = image.Frames(n);
  FSaved = QImage();
  FSavedRect = QRect();
  if (f.DisposalMethod == 3) {
    FSavedRect = frameRect(f).intersected(FCache.rect());
    if (!FSavedRect.isEmpty()) FSaved = FCache.copy(FSavedRect);
  }
  drawFrame(f);
  FIndex = n;
  return FCache;
}

} // namespace kc
