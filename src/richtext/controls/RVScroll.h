#pragma once
// The scrolling window of the rich-text view and editor. It owns its two
// scroll bars and places them itself, so that a bar appearing changes the
// client width at once: the formatting pass that asked for it sees the new
// width in the same call and wraps again there, instead of a queued layout
// of a scroll area doing it later. Positions follow the Windows scroll-bar
// rules: the horizontal one in pixels, the vertical one in units of
// VSmallStep, never more than 32000 units.
#include <QWidget>

#include "richtext/document/CRVFData.h"

class QScrollBar;

namespace kc {

class TRVScroller : public QWidget, public TRVFormatHost {
public:
  explicit TRVScroller(QWidget *Parent = nullptr);
  ~TRVScroller() override;

  bool Tracking = true;
  bool KeyboardScrolling = true;
  int32_t LineAmount = 1;
  int32_t WheelStep = 2;
  // Lines a wheel notch scrolls by the desktop's setting; 3 as Windows has it.
  int32_t WheelScrollLines = 3;
  // Scrolling repaints the whole window instead of moving its pixels.
  bool FullRedraw = false;

  // ----------------------------------------------------- TRVFormatHost
  int ClientWidth() const override;
  int ClientHeight() const override;
  int HScrollPos() const override { return FHPos; }
  int VScrollPos() const override { return FVPos; }
  int VSmallStep() const override { return FVSmallStep; }
  // The view keeps its place: the position is carried over through pixels.
  void SetVSmallStep(int Value) override;
  int AreaWidth() const override { return FHRange; }
  void UpdateScrollBars(int Width, int HeightUnits, bool Redraw) override;
  void ScrollTo(int Y, bool Redraw) override { SetVScrollPos(FVSmallStep > 0 ? Y / FVSmallStep : 0, Redraw); }
  void HScrollTo(int X) override { SetHScrollPos(X); }
  TCanvas *FormatCanvas() override;
  void InvalidateRect(const TRect &R) override;
  bool HasWindow() const override { return true; }
  bool IsFocusedDeep() const override { return hasFocus(); }
  TRVScroller *ScrollerControl() override { return this; }

  // ----------------------------------------------------- scrolling
  virtual void SetVScrollPos(int Pos, bool Redraw = true);
  virtual void SetHScrollPos(int Pos);
  int VRange() const { return FVRange; }
  int HRange() const { return FHRange; }
  bool VScrollVisible() const { return FVScrollVisible; }
  bool HScrollVisible() const { return FHScrollVisible; }
  void SetVScrollVisible(bool Value);
  void SetHScrollVisible(bool Value);
  // Right-to-left puts the vertical bar on the left.
  void SetBiDiModeValue(TRVBiDiMode Value);
  // Moves every embedded control: its true top is kept in the property
  // "rvTop" and its shown top is that value cut to -10000..10000, so that a
  // control scrolled far away never overflows window coordinates.
  void ShiftChildControls(int DX, int DY);
  // Places an embedded control at a document-relative client position.
  static void PlaceChildControl(QWidget *Control, int X, int Y);
  static constexpr int kMaxChildTop = 10000;
  QScrollBar *VerticalBar() const { return FVBar; }
  QScrollBar *HorizontalBar() const { return FHBar; }

  // Scroll-bar commands as the Windows messages give them.
  enum TScrollCode { sbLineUp, sbLineDown, sbPageUp, sbPageDown, sbThumbPosition, sbThumbTrack, sbTop, sbBottom };
  void VScroll(TScrollCode Code, int Pos = 0);
  void HScroll(TScrollCode Code, int Pos = 0);

protected:
  virtual void VScrolled() {}
  virtual void HScrolled() {}
  void keyPressEvent(QKeyEvent *Event) override;
  void wheelEvent(QWheelEvent *Event) override;
  void resizeEvent(QResizeEvent *Event) override;

private:
  void PlaceBars();
  QScrollBar *FVBar;
  QScrollBar *FHBar;
  std::unique_ptr<TCanvas> FMeasureCanvas;
  bool FUpdating = false;
  bool FVScrollVisible = true, FHScrollVisible = true;
  int FVSmallStep = 10;
  int FHPos = 0, FVPos = 0;
  int FHRange = 0, FVRange = 0;
  int FHPage = 0, FVPage = 0;
};

} // namespace kc
