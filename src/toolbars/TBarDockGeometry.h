#pragma once
// The geometry of docks, dockable windows and floating frames that needs no
// widget: drag-handle sizes, the docked close button, hit codes of the two
// frames, which dock and row a dragged window picks, where a floating drag
// may go, and the limits of sizing a floating window. The widgets ask these
// routines, so tests check them as tables.
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <vector>

namespace kc::tb {

enum TTBDockPosition : std::uint8_t { dpTop, dpBottom, dpLeft, dpRight };
// A set of dock positions, one bit per position (1 << dpTop, ...).
using TTBDockableTo = std::uint8_t;
inline constexpr TTBDockableTo DockableToAll = 0x0F;
inline constexpr TTBDockableTo DockableBit(TTBDockPosition P) { return TTBDockableTo(1u << P); }

using TTBDockBoundLines = std::uint8_t;
enum : TTBDockBoundLines { blTop = 1, blBottom = 2, blLeft = 4, blRight = 8 };

enum TTBDockKind : std::uint8_t { dkNone, dkFloating, dkHorizontal, dkVertical };
enum TTBShrinkMode : std::uint8_t { tbsmNone, tbsmWrap, tbsmChevron };
enum TTBDockMode : std::uint8_t { dmCanFloat, dmCannotFloat, dmCannotFloatOrChangeDocks };
enum TTBDragHandleStyle : std::uint8_t { dhDouble, dhNone, dhSingle };
enum TTBFloatingMode : std::uint8_t { fmOnTopOfParentForm, fmOnTopOfAllForms };
enum TTBDockTextAlign : std::uint8_t { dtaLeft, dtaRight, dtaCenter };

using TTBSizingOptions = std::uint8_t;
enum : TTBSizingOptions {
  tbsoCornerSizing = 1,  // the floating frame's corners size in two directions
  tbsoConfineCursor = 2, // on one monitor the cursor stays on the screen while sizing
};

// Hit codes of the frames. The sizing codes keep the system's numbers.
enum TTBHitCode : int {
  htNowhere = 0,
  htClient = 1,
  htLeft = 10,
  htRight = 11,
  htTop = 12,
  htTopLeft = 13,
  htTopRight = 14,
  htBottom = 15,
  htBottomLeft = 16,
  htBottomRight = 17,
  htDragArea = 2000,    // the docked frame: starts a drag
  htCloseButton = 2001, // a close button, docked or floating
  htCaption = 2002,     // the floating caption: starts a drag
};

// Thickness of the small caption of floating windows and the frame borders.
struct TTBFrameMetrics {
  int SmallCaptionHeight = 18;
  QSize FixedFrame{3, 3};
  QSize SizeFrame{4, 4};
};
const TTBFrameMetrics &FrameMetrics();

// ---- the docked frame ----

// Extra pixels on the handle's side of a docked frame (left on a
// horizontal dock, top on a vertical one); 0 when the dock forbids drags.
int DragHandleSize(bool AllowDrag, TTBDragHandleStyle Style, bool CloseButtonWhenDocked, bool DockedCaption);
// Outer frame minus content: 4 each way plus the handle on its axis.
QSize DockedFrameSize(bool Vertical, int HandleSize);
// The client rectangle inside a docked window of the given outer size.
QRect DockedClientRect(QSize Outer, bool Vertical, int HandleSize);
// The docked close button in window coordinates (handle sizes 14: side 11).
QRect DockedCloseButtonRect(bool Vertical, int ClientWidth, int HandleSize, bool DockedCaption);

struct TTBDockedFrameState {
  QSize Outer;
  bool Vertical = false;
  bool AllowDrag = true;
  int HandleSize = 0;
  TTBDragHandleStyle Style = dhSingle;
  bool CloseButtonWhenDocked = false;
  bool DockedCaption = false;
};
// htClient inside the client area, htCloseButton on the close button (only
// when the dock allows drags), else htDragArea.
int DockedFrameHitTest(const TTBDockedFrameState &S, QPoint P);
// Whether the point shows the four-way move cursor: within handle + 2 of
// the frame's leading edge.
bool DockedMoveCursorAt(const TTBDockedFrameState &S, QPoint P);

// ---- the floating frame ----

struct TTBFloatingFrameState {
  QSize Outer;  // the whole floating parent
  QSize Border; // fixed or sizing frame
  bool ShowCaption = true;
  bool CloseButton = true;
  bool Resizable = true;
  bool CornerSizing = true;
  bool OfficeXPSkin = false; // frame one pixel thinner at the top and bottom
  bool WindowsXPSkin = false;
};
// Margins of the client area inside the floating parent.
QMargins FloatingNCMargins(const TTBFloatingFrameState &S);
// The caption band and the close button inside it, window coordinates.
QRect FloatingCaptionRect(const TTBFloatingFrameState &S);
QRect FloatingCloseButtonRect(const TTBFloatingFrameState &S);
int FloatingFrameHitTest(const TTBFloatingFrameState &S, QPoint P);

// ---- dragging ----

// One dock as the drag sees it: its client area on the screen, the size the
// window would have there, the thickness of each row (FullSize rows
// flagged) and whether it lies across (left or right edge).
struct TTBDragTarget {
  QRect ClientScreen;
  QSize BarSize;
  bool Vertical = false;
  std::vector<int> RowSizes; // low 16 bits thickness, bit 16 FullSize
};
inline constexpr int RowFullSizeFlag = 1 << 16;

// The grab point keeps its place in proportion to the window's size:
// the part of Extent before the point along an axis of Length pixels.
// A window one pixel long (the floating minimum) splits the band evenly.
int GrabShare(int Extent, int Grab, int Length);
// Grab, a point along From pixels, at the same proportion along To pixels.
int ScaleGrab(int Grab, int From, int To);
// Whether the cursor hits the dock; Grab is the click point in the dragged
// window's outer coordinates, Outer its present outer size. BarRect, when
// given, takes the rectangle the window would occupy there.
bool DragHitsDock(const TTBDragTarget &T, QPoint Cursor, QPoint Grab, QSize Outer, QRect *BarRect = nullptr);

struct TTBRowPick {
  int Row = 0;
  bool NewRow = false; // a new row is made before Row
};
// The row the centre of the dragged window (across the dock, relative to
// the dock's client area) joins or inserts; FullSizeBar uses halves.
TTBRowPick PickDragRow(const std::vector<int> &RowSizes, int Centre, bool FullSizeBar);

// Pixels along the row the cursor must travel before a squeezed window is
// locked to its row.
inline constexpr int RowLockDistance = 10;
bool RowLockReached(int StartAlong, int NowAlong);

// The floating rectangle during a drag: the grab point under the cursor
// (clamped to the work area), at least Border + 4 pixels inside on every
// side, and at least 4 pixels of caption below the work area's top.
QRect FloatingDragRect(QPoint Cursor, QPoint Grab, QSize Outer, QRect WorkArea, int Border, int TopFrame);

// ---- sizing a floating window ----

struct TTBSizeLimits {
  int MinWidth = 0, MaxWidth = 0, MinHeight = 0, MaxHeight = 0; // 0 max: none
};
// The rectangle after the edges named by the hit code moved by Delta,
// the moving edges stopped at the limits (minimum at least 1 pixel).
QRect SizeByEdge(const QRect &Start, int Edge, QPoint Delta, const TTBSizeLimits &Limits);

// Shifted into Area: right, bottom, then left, then top edge.
QRect MoveRectOnScreen(const QRect &R, const QRect &Area);

} // namespace kc::tb
