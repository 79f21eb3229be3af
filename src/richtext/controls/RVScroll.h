#pragma once
// The scrolling window of the rich-text view and editor. It owns its two
// scroll bars and places them itself, so that a bar appearing changes the
// client width at once: the formatting pass that asked for it sees the new
// width in the same call and wraps again there, instead of a queued layout
// of a scroll area doing it later. Positions follow the Windows scroll-bar
// rules: the horizontal one in pixels, the vertical one in units of
// VSmallStep, never more than 32000 units.
#include <QWidget>
#include <functional>

#include "richtext/document/CRVFData.h"
#include "richtext/document/RVItem.h"

class QScrollBar;

namespace kc {

class TRVScroller : public QWidget, public TRVFormatHost {
public:
  explicit TRVScroller(QWidget *Parent = nullptr);
  // Forgets the active cell document without touching it: a derived view
  // has destroyed its documents by now. A view that wants the cell's table
  // told calls PrepareDestroy first, while its documents still live.
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
  void UpdateScrollBars(int Width, int HeightUnits, bool Redraw) override {
    UpdateScrollBars(Width, HeightUnits, Redraw, true);
  }
  // Without UpdateHorizontal the horizontal range, page and bar stay as
  // they are.
  void UpdateScrollBars(int Width, int HeightUnits, bool Redraw, bool UpdateHorizontal);
  // The bars for an empty view of the client's size.
  void AdjustScrollBars();
  void ResetScrollPositions() { FHPos = FVPos = 0; }
  static constexpr int GetDefaultVSmallStep() { return 10; }
  void ScrollTo(int Y, bool Redraw) override { SetVScrollPos(FVSmallStep > 0 ? Y / FVSmallStep : 0, Redraw); }
  void ScrollToNoRedraw(int Y) { ScrollTo(Y, false); }
  void HScrollTo(int X) override { SetHScrollPos(X); }
  TCanvas *FormatCanvas() override;
  void InvalidateRect(const TRect &R) override;
  bool HasWindow() const override { return true; }
  // The control or a cell editor opened inside it (at any depth) has the
  // keyboard focus.
  bool IsFocusedDeep() const override;
  TRVScroller *ScrollerControl() override { return this; }

  // ----------------------------------------------------- scrolling
  virtual void SetVScrollPos(int Pos, bool Redraw = true);
  virtual void SetHScrollPos(int Pos);
  int VRange() const { return FVRange; }
  int HRange() const { return FHRange; }
  bool VScrollVisible() const { return FVScrollVisible; }
  bool HScrollVisible() const { return FHScrollVisible; }
  // A hidden bar keeps the position logic: the position is still clamped
  // to the document.
  void SetVScrollVisible(bool Value);
  void SetHScrollVisible(bool Value);
  // When set, turning VScrollVisible on shows the vertical bar at once,
  // even while the document fits, until the bars are next updated.
  // Rebuilding the window (a new BiDiMode) clears it.
  bool ShowVScrollBarAtOnce() const { return FShowVBarAtOnce; }
  void SetShowVScrollBarAtOnce(bool Value) { FShowVBarAtOnce = Value; }
  // Right-to-left puts the vertical bar on the left.
  void SetBiDiModeValue(TRVBiDiMode Value);
  // Moves every embedded control (and an open cell editor) with the
  // contents; their true tops are kept apart from the shown ones, which
  // are clamped (GetClampedControlTop).
  void ShiftChildControls(int DX, int DY);
  // Places an embedded control at a document-relative client position.
  static void PlaceChildControl(QWidget *Control, int X, int Y);
  static constexpr int kMaxChildTop = RVMaxControlTop;
  QScrollBar *VerticalBar() const { return FVBar; }
  QScrollBar *HorizontalBar() const { return FHBar; }

  // Scroll-bar commands as the Windows messages give them.
  enum TScrollCode { sbLineUp, sbLineDown, sbPageUp, sbPageDown, sbThumbPosition, sbThumbTrack, sbTop, sbBottom };
  void VScroll(TScrollCode Code, int Pos = 0);
  void HScroll(TScrollCode Code, int Pos = 0);

  // ------------------------------------------ the active nested document
  // A table item and its cell document active inside the control, and the
  // cell editor that may edit that cell (the cell answers it). A new cell
  // closes the editor of the old one and releases the old cell first.
  void SetActiveSubData(TCustomRVFormattedData *Data, TCustomRVItemInfo *Item);
  // Stores the document alone: the editor and the item stay.
  void SetActiveSubDataOnly(TCustomRVFormattedData *Data) { FActiveSubData = Data; }
  // Drops the active cell when Data is it or the document of its editor:
  // the cell loses its selection (unless the control is going away) and
  // the item its selected cell.
  void ReleaseActiveSubData(TCustomRVFormattedData *Data);
  TCustomRVFormattedData *ActiveSubData() const { return FActiveSubData; }
  TCustomRVItemInfo *ActiveSubItem() const { return FActiveItem; }
  // The cell editor that edits the active cell, or nullptr.
  TRVScroller *GetSubEditor() const;
  // Closes that editor (its owner learns it from the editor's destruction).
  void FreeSubEditor();
  // The document edits of the active cell go to (the editor's while one is
  // open), or nullptr without an active cell.
  TCustomRVFormattedData *GetActiveSubDataEdited() const;
  // Becomes the focused control of its window when it can take the focus.
  void FocusIfCanFocus();
  bool Destroying() const { return FDestroying; }

  // Fired after the view has scrolled (a derived view's VScrolled and
  // HScrolled call the base ones to keep them).
  std::function<void(TRVScroller *Sender)> OnVScrolled, OnHScrolled;

protected:
  virtual void VScrolled() {
    if (OnVScrolled) OnVScrolled(this);
  }
  virtual void HScrolled() {
    if (OnHScrolled) OnHScrolled(this);
  }
  void keyPressEvent(QKeyEvent *Event) override;
  void wheelEvent(QWheelEvent *Event) override;
  void resizeEvent(QResizeEvent *Event) override;
  // The focus goes on to an open cell editor, unless a scroller holding
  // this one is going away.
  void focusInEvent(QFocusEvent *Event) override;
  // What rebuilding the native window did: the show-bar flag is cleared
  // and the bars placed again.
  void RecreateWindow();
  // Marks the control as going away and releases the active cell; a
  // derived view calls it while its documents still live.
  void PrepareDestroy();
  // The client area without the bars, where window pixels may be moved.
  QRect ClientRect() const;
  // Moves the client's pixels with contents that moved by DX, DY (or
  // repaints the client when they cannot move); embedded controls stay.
  void ScrollClientPixels(int DX, int DY);

private:
  void PlaceBars();
  void ScrollClient(int DX, int DY, bool Redraw);
  bool InsideDestroyingScroller() const;
  TCustomRVFormattedData *FActiveSubData = nullptr;
  TCustomRVItemInfo *FActiveItem = nullptr;
  bool FDestroying = false;
  bool FShowVBarAtOnce = false;
  // Wheel rotation not yet spent on a whole notch (high-resolution wheels
  // and touchpads report fractions of one).
  int FWheelAccumulator = 0;
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
