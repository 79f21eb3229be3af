#pragma once
// The eight square handles around a picture or control at the editor's
// caret, and the drag of one of them: which handle a point hits, the
// dotted frame of the new size while the mouse moves, and that size when
// it is released. It knows the item's size and border spacing only; the
// editor's document places it on the page, paints it and applies the size.
//
// Coordinates here are relative to the item's top-left corner (its draw
// line's Left and Top, spacing included) unless a call says otherwise.
#include <cstdint>

#include "platform/CanvasTypes.h"
#include "platform/Cursors.h"

namespace kc {

class TCustomRVItemInfo;

// Corner handles keep the item's proportions without Shift while this is
// on (the default).
extern bool RVProportionalCornerResize;

// Handle placement: inside the corners and sides, outside them, or any
// other value exactly on the border.
enum : int32_t { rvhpInside = 0, rvhpOutside = 1, rvhpOnBorder = 2 };

class TRVItemResizer {
public:
  static constexpr int HandleCount = 8;
  // Half the side of a handle: a point this far from its centre hits it.
  static constexpr int HandleRadius = 3;
  // Below this width or height handles inside would cover the item.
  static constexpr int MinInsideSize = 12;

  // BorderSpacing is the picture's spacing on each side (0 for an item
  // whose size has no spacing to keep out of its proportions).
  TRVItemResizer(const TCustomRVItemInfo *Item, int ItemNo, int DrawItemNo, int Width, int Height, int BorderSpacing,
                 int32_t Placement);

  // What it was made for; the document checks these before every use, as
  // a reformat may have moved or replaced the item.
  const TCustomRVItemInfo *Item() const { return FItem; }
  int ItemNo() const { return FItemNo; }
  int DrawItemNo() const { return FDrawItemNo; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int BorderSpacing() const { return FSpacing; }
  int32_t Placement() const { return FPlacement; }
  // The placement in force: outside for a small item whatever was asked.
  int32_t EffectivePlacement() const;

  // Where handle Index sits, placement offset included.
  TPoint HandlePos(int Index) const;
  // The first handle (in index order) within HandleRadius of the point in
  // both directions; -1 when none.
  int HandleAt(int X, int Y) const;
  static TCursor HandleCursor(int Index);
  static bool IsCornerHandle(int Index) { return Index >= 0 && Index < 4; }

  // Painting, with the item's top-left corner at (Left, Top) of the canvas.
  void DrawHandles(TCanvas &Canvas, int Left, int Top) const;
  static void DrawHandle(TCanvas &Canvas, int X, int Y);
  // The dotted frame of the size being dragged to; only while dragging.
  void DrawFrame(TCanvas &Canvas, int Left, int Top) const;

  // The drag. Points as above.
  bool Dragging() const { return FDragging; }
  bool Cancelled() const { return FCancelled; }
  int ActiveHandle() const { return FActiveHandle; }
  void StartDrag(int Handle, int X, int Y);
  void DragTo(int X, int Y, bool Shift, bool Ctrl);
  // Ends the drag without a size: the next release is ignored.
  void Cancel();
  // The release after a cancelled drag: nothing to apply, the flag goes.
  void ClearCancelled() { FCancelled = false; }
  // Ends the drag; the frame's size is the size to apply.
  void EndDrag() { FDragging = false; }
  // Left, top, right, bottom of the frame.
  TRect Frame() const { return FFrame; }

private:
  void KeepMinimumSize(bool MovesLeft, bool MovesRight, bool MovesTop, bool MovesBottom);
  void MirrorSides(bool MovesLeft, bool MovesRight, bool MovesTop, bool MovesBottom);
  void KeepProportions(bool MovesLeft, bool MovesTop, bool Ctrl);

  const TCustomRVItemInfo *FItem;
  int FItemNo, FDrawItemNo;
  int FWidth, FHeight;
  int FSpacing;
  int32_t FPlacement;
  bool FDragging = false, FCancelled = false;
  TRect FFrame;
  int FGrabX = 0, FGrabY = 0;
  int FActiveHandle = 0;
};

} // namespace kc
