#pragma once
// A list of images of one size, drawn by index: the emoticon and bullet
// images of documents and toolbars.
#include <QImage>

#include <cstdint>
#include <vector>

#include "platform/Canvas.h"

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
  void Delete(int Index);
  void Clear() { FImages.clear(); }
  // The image at Index; a null image when out of range.
  QImage GetImage(int Index) const;

  // Draws image Index at X, Y; nothing for an index out of range.
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
};

} // namespace kc
