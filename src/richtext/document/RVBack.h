#pragma once
// The background of a view or a table cell: a colour and an optional
// picture, stretched, tiled (fixed or moving with the text) or centred.
#include <cstdint>
#include <memory>
#include <utility>

#include "platform/CanvasTypes.h"
#include "platform/Graphics.h"

namespace kc {

enum TBackgroundStyle : uint8_t { bsNoBitmap, bsStretched, bsTiled, bsTiledAndScrolled, bsCentered };
enum TRVItemBackgroundStyle : uint8_t { rvbsColor, rvbsStretched, rvbsTiled, rvbsCentered };

class TRVBackground {
public:
  explicit TRVBackground(bool CreateBitmap);

  TBackgroundStyle Style = bsNoBitmap;

  TGraphic *GetBitmap() const { return FBitmap.get(); }
  // Takes the picture (Copy false) or a copy of it.
  void AssignImage(std::unique_ptr<TGraphic> Graphic);
  void AssignImageCopy(const TGraphic &Graphic);
  void FreeBitmap();
  // Gives the picture away (nullptr when none).
  std::unique_ptr<TGraphic> TakeBitmap() { return std::move(FBitmap); }
  bool IsEmpty() const;
  bool HasVisibleBitmap() const;
  // A background that stays in place while the text scrolls: the window's
  // pixels cannot be moved.
  bool ScrollNeedsRepaint() const;
  TRVItemBackgroundStyle GetItemBackStyle() const;
  void SetItemBackStyle(TRVItemBackgroundStyle Value);
  // Paints Rect of an area whose top-left is (Left, Top) and size Width x
  // Height, scrolled by HOffs and VOffs. Only the copies that meet Rect are
  // drawn, so that the cost follows the painted size.
  void Draw(TCanvas &Canvas, const TRect &Rect, int HOffs, int VOffs, int Left, int Top, int Width, int Height,
            TColor Color, bool ClipToRect) const;

private:
  std::unique_ptr<TGraphic> FBitmap;
};

} // namespace kc
