#pragma once
// The frames and lines a table paints: a border in one of the five styles,
// the rules between cells and the dotted grid lines an editor shows where a
// border is invisible. Every shape is cut to the clip rectangle before it
// reaches the canvas and a frame is never wider than half its rectangle, so
// the work follows what is on screen, not the numbers a file stores.
#include <cstdint>

#include "platform/CanvasTypes.h"
#include "richtext/document/RVStyle.h"
#include "richtext/tables/RVTableTypes.h"

namespace kc {

// One frame to draw: the outer edge of a table or of a cell.
struct TRVTableFrame {
  TRect Rect;    // the frame's outer edge; right and bottom outside
  int Width = 0; // device pixels
  TColor Color = clWindowText;
  TColor LightColor = clBtnHighlight;
  // What lies under the frame: a raised frame whose light colour is this
  // colour gets a lighter shade that can be seen.
  TColor BackgroundColor = clWindow;
  TRVTableBorderStyle Style = rvtbRaised;
  TRVBooleanRect Visible{true};
  bool Printing = false;
  // Printing with half-tone borders: each side one band of the width.
  bool Halftone = false;
  bool OverlappingCorners = false;
};

// Fills the part of [Left, Right) x [Top, Bottom) inside Clip with Color.
void FillClipped(TCanvas &Canvas, int64_t Left, int64_t Top, int64_t Right, int64_t Bottom, TColor Color,
                 const TRect &Clip);

// The visible sides of a frame of Width > 0, inside Clip.
void DrawTableFrame(TCanvas &Canvas, const TRVTableFrame &Frame, const TRect &Clip);

// The lighter shade a raised frame uses when its light colour is the
// background's.
TColor RaisedLightColor(TColor Light, TColor Color, TColor Background);

// Dotted lines of groups of three one-pixel dots at offsets 0, 2 and 4 of
// every 8 pixels from the first coordinate; a group starts while its first
// dot lies before the end, so the last one may reach 5 pixels past it. Only
// the dots inside Clip are set.
void DrawDottedVertLine(TCanvas &Canvas, int X, int Y1, int Y2, TColor Color, const TRect &Clip);
void DrawDottedHorzLine(TCanvas &Canvas, int X1, int X2, int Y, TColor Color, const TRect &Clip);

// The pen of the grid lines; psClear shows none. Dotted unless changed.
TPenStyle RVTableGridPenStyle();
void SetRVTableGridPenStyle(TPenStyle Style);

// Grid lines on the given sides of R (one pixel, on R's edge pixels).
void DrawGridSides(TCanvas &Canvas, const TRect &R, const TRVBooleanRect &Sides, const TRect &Clip);

} // namespace kc
