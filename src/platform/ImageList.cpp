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
  FImages.clear();
}

int TCustomImageList::Add(const QImage &Image) {
  QImage img = Image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (!img.isNull() && (img.width() != FWidth || img.height() != FHeight) && FWidth > 0 && FHeight > 0)
    img = img.scaled(FWidth, FHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  FImages.push_back(std::move(img));
  return Count() - 1;
}

void TCustomImageList::Delete(int Index) {
  if (ValidIndex(Index)) FImages.erase(FImages.begin() + Index);
}

QImage TCustomImageList::GetImage(int Index) const { return ValidIndex(Index) ? FImages[size_t(Index)] : QImage(); }

void TCustomImageList::Draw(TCanvas &Canvas, int X, int Y, int Index) const {
  if (!ValidIndex(Index)) return;
  Canvas.drawImage(X, Y, FImages[size_t(Index)]);
}

void TCustomImageList::DrawBlended(TCanvas &Canvas, int X, int Y, int Index, TColor BlendColor) const {
  if (!ValidIndex(Index)) return;
  QImage img = FImages[size_t(Index)].convertToFormat(QImage::Format_ARGB32);
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
