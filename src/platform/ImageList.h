#pragma once
// A list of images of one size, drawn by index: the emoticon and bullet
// images of documents and toolbars. An image may come with a twin of twice
// the size, which is what screens at 200 % are painted with: sizes, indices
// and everything measured stay those of the list.
#include <QImage>

#include <cstdint>
#include <vector>

#include "platform/CanvasTypes.h"

namespace kc {

class TCustomImageList {
public:
  TCustomImageList(int AWidth = 16, int AHeight = 16);
  virtual ~TCustomImageList() = default;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Changing the size empties the list.
  void SetSize(int AWidth, int AHeight);
  int Count() const { return int(FImages.size()); }
  // Indices below 0 and from Count up are out of range.
  bool ValidIndex(int Index) const { return Index >= 0 && Index < Count(); }

  // Adds an image, scaled to the list's size when it differs; the new index.
  int Add(const QImage &Image);
  // Adds an image with its twin of twice the list's size (scaled to that
  // when it differs; a null twin adds the image alone).
  int Add(const QImage &Image, const QImage &Image2x);
  void Delete(int Index);
  void Clear() {
    FImages.clear();
    FImages2x.clear();
  }
  // The image at Index; a null image when out of range.
  QImage GetImage(int Index) const;
  // The image to paint on a device of this pixel ratio: above 1, the twin
  // when the image has one, marked with ratio 2 so that QPainter draws it
  // over the list's size; else the image itself.
  QImage GetImage(int Index, qreal DevicePixelRatio) const;
  bool HasImage2x(int Index) const { return ValidIndex(Index) && !FImages2x[size_t(Index)].isNull(); }

  // Draws image Index at X, Y; nothing for an index out of range. A canvas
  // on a device of a pixel ratio above 1 gets the twin.
  void Draw(TCanvas &Canvas, int X, int Y, int Index) const;
  // Draws it blended 50 % with BlendColor (the look of a selected image).
  void DrawBlended(TCanvas &Canvas, int X, int Y, int Index, TColor BlendColor) const;
  // Image Index drawn onto an opaque image of the list's size filled with
  // BackColor (clNone: white), as pictures saved from the list are made; a
  // null image for an index out of range.
  QImage ImageOnBackground(int Index, TColor BackColor) const;

  // A number that stored documents use to name the list.
  int32_t Tag = 0;

private:
  int FWidth;
  int FHeight;
  std::vector<QImage> FImages;
  // Same length as FImages; a null image where an image has no twin.
  std::vector<QImage> FImages2x;
};

} // namespace kc
