#include "platform/ImageList.h"

#include <algorithm>

#include "platform/QtCanvas.h"

namespace kc {

TCustomImageList::TCustomImageList(int AWidth, int AHeight)
    : FWidth(std::max(AWidth, 0)), FHeight(std::max(AHeight, 0)) {}

void TCustomImageList::SetSize(int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (AWidth == FWidth && AHeight == FHeight) return;
  FWidth = AWidth;
  FHeight = AHeight;
  Clear();
}

namespace {

QImage Fitted(const QImage &Image, int W, int H) {
  QImage img = Image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  img.setDevicePixelRatio(1);
  if (!img.isNull() && (img.width() != W || img.height() != H) && W > 0 && H > 0)
    img = img.scaled(W, H, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  return img;
}

// The pixel ratio of the device a canvas paints on; 1 for canvases that
// paint on no device (recording, measuring).
qreal CanvasPixelRatio(TCanvas &Canvas) {
  auto *qc = dynamic_cast<QtCanvas *>(&Canvas);
  if (!qc || !qc->painter().isActive() || !qc->painter().device()) return 1;
  return qc->painter().device()->devicePixelRatioF();
}

} // namespace

int TCustomImageList::Add(const QImage &Image) { return Add(Image, QImage()); }

int TCustomImageList::Add(const QImage &Image, const QImage &Image2x) {
  FImages.push_back(Fitted(Image, FWidth, FHeight));
  FImages2x.push_back(Image2x.isNull() ? QImage() : Fitted(Image2x, 2 * FWidth, 2 * FHeight));
  return Count() - 1;
}

void TCustomImageList::Delete(int Index) {
  if (!ValidIndex(Index)) return;
  FImages.erase(FImages.begin() + Index);
  FImages2x.erase(FImages2x.begin() + Index);
}

QImage TCustomImageList::GetImage(int Index) const { return ValidIndex(Index) ? FImages[size_t(Index)] : QImage(); }

QImage TCustomImageList::GetImage(int Index, qreal DevicePixelRatio) const {
  if (!ValidIndex(Index)) return QImage();
  if (DevicePixelRatio <= 1 || FImages2x[size_t(Index)].isNull()) return FImages[size_t(Index)];
  QImage img = FImages2x[size_t(Index)];
  img.setDevicePixelRatio(2);
  return img;
}

void TCustomImageList::Draw(TCanvas &Canvas, int X, int Y, int Index) const {
  if (!ValidIndex(Index)) return;
  Canvas.drawImage(X, Y, GetImage(Index, CanvasPixelRatio(Canvas)));
}

void TCustomImageList::DrawBlended(TCanvas &Canvas, int X, int Y, int Index, TColor BlendColor) const {
  if (!ValidIndex(Index)) return;
  QImage img = GetImage(Index, CanvasPixelRatio(Canvas)).convertToFormat(QImage::Format_ARGB32);
  const TColor c = ColorToRGB(BlendColor);
  const int br = GetRValue(c), bg = GetGValue(c), bb = GetBValue(c);
  for (int y = 0; y < img.height(); ++y) {
    QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x) {
      const QRgb p = line[x];
      if (qAlpha(p) == 0) continue;
      line[x] = qRgba((qRed(p) + br) / 2, (qGreen(p) + bg) / 2, (qBlue(p) + bb) / 2, qAlpha(p));
    }
  }
  Canvas.drawImage(X, Y, img);
}

QImage TCustomImageList::ImageOnBackground(int Index, TColor BackColor) const {
  if (!ValidIndex(Index) || FWidth <= 0 || FHeight <= 0) return QImage();
  QImage img(FWidth, FHeight, QImage::Format_RGB32);
  const TColor back = ColorToRGB(BackColor == clNone ? clWhite : BackColor);
  img.fill(QColor(GetRValue(back), GetGValue(back), GetBValue(back)));
  {
    QtCanvas canvas(&img);
    Draw(canvas, 0, 0, Index);
  }
  return img;
}

} // namespace kc
