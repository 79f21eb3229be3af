#pragma once
// A document that can be laid out and drawn: its draw lines, hyperlink
// rectangles, selection in draw-line terms and the formatting state of a
// pass. It knows nothing of windows; margins, client size, scroll position
// and canvas come from virtual queries that the document of a control (or of
// a table cell) answers.
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QImage>

#include "platform/Clipboard.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVCellEditor.h"
#include "richtext/document/DLines.h"
#include "richtext/document/RVFuncs.h"

namespace kc {

class TRVBackground;

// Vertical placement of a document shorter than its control.
enum TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };

// A hyperlink area of the formatted document, in root-document coordinates.
class TRVJumpInfo {
public:
  class TCustomRVFormattedData *RVData = nullptr;
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  int32_t Id = 0;
  int32_t DrawLineNo = 0;
  TCursor Cursor = crJump;
};

// Coordinates stay inside this bound whatever the stored sizes and spacing
// say, so that sums over a long document cannot overflow.
constexpr int32_t RVMaxCoord = 1 << 30;
inline int32_t RVSatAdd(int64_t a, int64_t b) {
  int64_t s = a + b;
  return static_cast<int32_t>(s > RVMaxCoord ? RVMaxCoord : s < -RVMaxCoord ? -RVMaxCoord : s);
}
// A vertical scroll range never exceeds this many units.
constexpr int32_t RVMaxScrollUnits = 32000;

// Document state bits used by the formatted document.
enum : uint32_t {
  rvstHoverActive = 4,
  rvstFormatting = 8,
  rvstUpdatingBackPalette = 0x20,
  rvstClearing = 0x80,
  rvstNoControlPlacing = 0x100,
  rvstIgnoreNextTab = 0x800,
  rvstClearingSelection = 0x1000,
  rvstNoScroll = 0x4000,
  rvstStartAsContinuation = 0x200000,
  rvstLastLineAsInner = 0x400000,
  rvstWholeSelected = 0x40
};

// Document flag bits read by formatting and painting.
enum : uint16_t {
  rvflBuildJumps = 1,
  rvflTrim = 2,
  rvflNoControlPlacing = 4,
  rvflExternalLeading = 8,
  rvflPrintingRecords = 32,
  rvflPrinting = 64,
  rvflRoot = 0x100
};

// Mouse buttons and the shift state of a mouse event, as the control hands
// them to its document.
enum TRVMouseButton : uint8_t { rvmbLeft, rvmbRight, rvmbMiddle };
struct TRVShift {
  enum : uint8_t { Shift = 1, Alt = 2, Ctrl = 4, Left = 8, Right = 16, Middle = 32, Double = 64 };
};
using TRVShiftState = uint8_t;

// The word or paragraph snapping of one mouse selection, from the press to
// the release. Offsets are draw offsets; a word lies inside one piece.
struct TRVSelectingInfo {
  int32_t StartLine = -1, StartOffs = 0;                     // the place pressed
  int32_t StartWordFirst = -1, StartWordLast = -1;           // the word pressed on, on StartLine
  int32_t EndLine = -1, EndWordFirst = -1, EndWordLast = -1; // the word under the moving end
  int32_t LastEndOffs = -1;
  // 0 inside the first word, 1 left it, 2 came back into it (or pressed
  // outside a word), 3 paragraph snapping.
  uint8_t StartState = 0;
  // 0 the moving end snaps to its word, 2 it no longer does in that word.
  uint8_t EndState = 0;
};

// The mouse-selection and dragging state of a document. It lives beside the
// host's flag word and the document's State, never in them: clearing a
// selection must leave the host's options alone, and a nested document that
// answers its row's flags must not seem to be selecting.
struct TRVMouseSelection {
  bool Selecting = false;        // a mouse selection runs (button held)
  bool LineSelecting = false;    // begun in the left margin: whole screen lines
  bool DblClickedWord = false;   // the last double click selected a word
  int32_t LineAnchor = -1;       // the screen line pressed in line selection
  bool DragStartPending = false; // a press inside the selection asked for a drag
  bool Dragging = false;         // a drag of the selection runs
};

// When a view reports the checkpoint that scrolled into view.
enum TCPEventKind : uint8_t { cpeNone, cpeAsSectionStart, cpeWhenVisible };

// What a view control gives its document: margins, sizes, scroll state and
// the canvas. The scrolling control implements it; tools and tests use a
// fixed-size host.
class TRVFormatHost : public TRVDataHost {
public:
  int32_t LeftMargin = 5, RightMargin = 5, TopMargin = 5, BottomMargin = 5;
  int32_t MinTextWidth = 0, MaxTextWidth = 0;
  TTextLayout VAlign = tlTop;
  TColor Color = clNone;
  TRVBackground *Background = nullptr;

  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
  // Horizontal position in pixels, vertical in units of VSmallStep.
  virtual int HScrollPos() const { return 0; }
  virtual int VScrollPos() const { return 0; }
  virtual int VSmallStep() const { return 1; }
  virtual void SetVSmallStep(int Value) { (void)Value; }
  // The horizontal scroll range (document width in pixels).
  virtual int AreaWidth() const { return ClientWidth(); }
  virtual void UpdateScrollBars(int Width, int HeightUnits, bool Redraw) {
    (void)Width, (void)HeightUnits, (void)Redraw;
  }
  virtual void ScrollTo(int Y, bool Redraw) { (void)Y, (void)Redraw; }
  virtual void HScrollTo(int X) { (void)X; }
  virtual TCanvas *FormatCanvas() = 0;
  virtual void InvalidateRect(const TRect &R) { (void)R; }
  virtual bool HasWindow() const { return false; }
  virtual bool IsFocusedDeep() const { return false; }
  virtual TRVScroller *ScrollerControl() { return nullptr; }

  // What the document tells its control about the mouse and the selection.
  // The view fires its events from these; the defaults do nothing.
  virtual void DoSelect() {}
  virtual void DoJump(int Id) { (void)Id; }
  virtual void DoRVMouseMove(int Id) { (void)Id; }
  virtual bool HasRVMouseDownHandler() const { return false; }
  virtual void DoRVMouseDown(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y) {
    (void)Button, (void)Shift, (void)ItemNo, (void)X, (void)Y;
  }
  virtual bool HasRVMouseUpHandler() const { return false; }
  virtual void DoRVMouseUp(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y) {
    (void)Button, (void)Shift, (void)ItemNo, (void)X, (void)Y;
  }
  virtual bool HasRVDblClickHandler() const { return false; }
  // Word is 8-bit text in the item's code page.
  virtual void DoRVDblClick(const std::string &Word, int StyleNo) { (void)Word, (void)StyleNo; }
  virtual bool HasRVRightClickHandler() const { return false; }
  virtual void DoRVRightClick(const std::string &Word, int StyleNo, int X, int Y) {
    (void)Word, (void)StyleNo, (void)X, (void)Y;
  }
  virtual bool HasCopyHandler() const { return false; }
  // The application may add its own formats to the copy being made.
  virtual void DoCopy(Clipboard::Batch &Formats) { (void)Formats; }
  // The control's cursor; crDefault gives the control's normal one.
  virtual void SetControlCursor(TCursor Cursor) { (void)Cursor; }
  // The root control takes the keyboard focus.
  virtual void FocusControl() {}
  // Asks the control to start dragging the selection once the press has
  // been handled; false when the control cannot drag.
  virtual bool PostDragStart() { return false; }
  virtual bool HasCheckpointVisibleHandler() const { return false; }
  // CP is null when no checkpoint is to be reported any more.
  virtual void DoCheckpointVisible(TRVCPInfo *CP) { (void)CP; }
};

// A host of a fixed client size without scroll bars: command-line tools,
// tests and benchmarks. The vertical position is kept so that scrolling
// requests can be seen.
class TRVFixedHost : public TRVFormatHost {
public:
  TRVFixedHost(TCanvas *Canvas, int Width, int Height) : FCanvas(Canvas), FWidth(Width), FHeight(Height) {
    Flags = rvflBuildJumps | rvflTrim | rvflRoot;
  }
  int ClientWidth() const override { return FWidth; }
  int ClientHeight() const override { return FHeight; }
  void SetClientSize(int Width, int Height) { FWidth = Width, FHeight = Height; }
  int VScrollPos() const override { return FVPos; }
  int HScrollPos() const override { return FHPos; }
  int VSmallStep() const override { return FStep; }
  void SetVSmallStep(int Value) override { FStep = Value < 1 ? 1 : Value; }
  int AreaWidth() const override { return FAreaWidth; }
  void UpdateScrollBars(int Width, int HeightUnits, bool) override {
    FAreaWidth = Width;
    FRangeUnits = HeightUnits;
  }
  void ScrollTo(int Y, bool) override { FVPos = FStep > 0 ? Y / FStep : 0; }
  void HScrollTo(int X) override { FHPos = X; }
  TCanvas *FormatCanvas() override { return FCanvas; }
  int RangeUnits() const { return FRangeUnits; }

private:
  TCanvas *FCanvas;
  int FWidth, FHeight;
  int FVPos = 0, FHPos = 0, FStep = 10, FAreaWidth = 0, FRangeUnits = 0;
};

// A page break a paginating pass found inside the document: before the
// character Offset (1-based) of item ItemNo.
struct TRVSoftPageBreakInfo {
  int32_t ItemNo = 0;
  int32_t Offset = 1;
};

class TCustomRVFormattedData : public TCustomRVData {
public:
  TCustomRVFormattedData();
  ~TCustomRVFormattedData() override;

  std::vector<std::unique_ptr<TRVJumpInfo>> Jumps;
  int32_t JumpCounter = 0;
  int32_t LastFormattedItem = -1;
  // Where the lines the last pass appended begin (document y), below lines
  // it left as they were; -1 when it laid out other lines too.
  int32_t AppendedTop = -1;
  int32_t HoveredJump = -1;
  bool SkipNextFormat = false;
  int32_t DocumentWidth = -1;
  int32_t DocumentHeight = 0;
  int32_t TextWidth = -1;
  int32_t FocusedControlItem = -1;
  // The next item after From (before it, Backwards) that takes the keyboard
  // focus, -1 when none; From -1 starts at the end the search comes from.
  // Items with documents of their own (tables) are asked for a place
  // inside: From itself goes on from its inner focus, items passed over
  // start afresh. Data and ItemNo: the place found, in this document or in
  // a nested one.
  int FindFocusPlace(int From, bool Backwards, TCustomRVFormattedData *&Data, int &ItemNo);
  // Kept in item order; nullptr until something paginates the document.
  std::unique_ptr<std::vector<TRVSoftPageBreakInfo>> SoftPageBreaks;
  TRVDrawLines DrawLines;
  int32_t SelStartLine = -1, SelEndLine = -1;
  int32_t SelStartOffs = 0, SelEndOffs = 0;
  // The item whose caret placement made it current (painted with value 2).
  int32_t CurrentItem = -1;

  // ------------------------------------------------------ host queries
  virtual TPoint GetOrigin() const { return {0, 0}; }
  virtual int GetAreaWidth() const { return 0; }
  virtual int GetLeftMargin() const { return 0; }
  virtual int GetRightMargin() const { return 0; }
  virtual int GetTopMargin() const { return 0; }
  virtual int GetBottomMargin() const { return 0; }
  virtual int GetMinTextWidth() const { return 0; }
  virtual int GetMaxTextWidth() const { return 0; }
  virtual int GetWidth() const { return 0; }
  virtual int GetHeight() const { return 0; }
  virtual void SetDocumentAreaSize(int Width, int Height, bool Redraw) { (void)Width, (void)Height, (void)Redraw; }
  virtual void AdjustVScrollUnits() {}
  virtual int GetHOffs() const { return 0; }
  virtual int GetVOffs() const { return 0; }
  virtual void ScrollTo(int Y, bool Redraw) { (void)Y, (void)Redraw; }
  virtual void HScrollTo(int X) { (void)X; }
  virtual int GetVSmallStep() const { return 0; }
  virtual TRVBackground *GetBackground() const { return nullptr; }
  virtual TCanvas *GetCanvas() const;
  virtual TColor GetColor() const;
  virtual bool IsFocusedDeep() const { return false; }
  virtual bool HasHostWindow() const { return false; }
  virtual void InvalidateRectInControl(const TRect &R) { (void)R; }
  virtual TRVScroller *GetScroller() const { return nullptr; }
  // The cell editor that edits this very document: none here (a table cell
  // answers the one its table has open on it).
  virtual TRVScroller *GetEditingCellEditor() const { return nullptr; }
  // The document that edits of this one go to: the open cell editor's
  // while one edits it, else this one.
  virtual TCustomRVFormattedData *GetEditingRVData() { return this; }
  // An editor over Cell, a nested document of item Table of this document,
  // that the caller owns; nullptr where nothing can be edited (a view). An
  // editing document makes one and knows it as its open cell editor.
  virtual TRVCellEditor *CreateCellEditor(TCustomRVItemInfo *Table, TCustomRVFormattedData *Cell) {
    (void)Table, (void)Cell;
    return nullptr;
  }
  // Item ItemNo changed its size (a cell editor's text grew its row): its
  // paragraph is formatted again, the caret and selection kept; Full: the
  // whole document, as the item's minimum width moved.
  virtual void ReformatItemKeepingCaret(int ItemNo, bool Full);
  virtual void GetFormatResolution(TCanvas &Canvas, TRVScreenAndDevice &sad) const;
  virtual void AfterFormat(int FirstItem, int LastItem, bool Partial) {
    (void)FirstItem, (void)LastItem, (void)Partial;
  }
  // Where a printable copy starts: none here.
  virtual void GetStartItemAndOffset(int &ItemNo, int &Offs, bool &Found) const {
    ItemNo = -1, Offs = -1, Found = false;
  }
  virtual void ClearFormatting();

  void BeginFormatting() { State |= rvstFormatting; }
  void EndFormatting() { State &= ~rvstFormatting; }

  // --------------------------------------------------------- formatting
  virtual void ReformatAll(bool KeepView, bool Force, bool NoScroll, int Depth, TCanvas *Canvas, bool Append,
                           bool ItemFlag);
  void ReformatAllForced(bool NoScroll) { ReformatAll(false, true, NoScroll, 0, nullptr, false, false); }
  // Formats the items added since the last pass.
  void FormatAppended() { ReformatAll(false, false, false, 0, nullptr, true, false); }
  int CalcDocumentMinWidth(const TRVScreenAndDevice *sad, TCanvas &Canvas);
  // The minimum width a whole pass starts from; a document that already
  // knows it (a table cell measured by its table's layout) answers it
  // without measuring again.
  virtual int PassMinWidth(const TRVScreenAndDevice *sad, TCanvas &Canvas) { return CalcDocumentMinWidth(sad, Canvas); }
  int CalcParaMinWidth(int ItemNo, const TRVScreenAndDevice *sad, TCanvas &Canvas);
  // The largest paragraph minimum from the paragraph of item From to the end.
  int CalcItemsMinWidth(int From, const TRVScreenAndDevice *sad, TCanvas &Canvas);
  // The minimal width the last whole pass found (appending adds to it).
  int32_t MinWidth = 0;
  // Partial reformatting.
  void FormatParagraphs(int FirstDrawLine, int LastDrawLine, int ItemDelta);
  void ExpandToParagraphs(int FirstDrawLine, int LastDrawLine, int &NewFirst, int &NewLast) const;
  void FormatDrawLineRange(int FirstDrawLine, int LastDrawLine, int ItemDelta);
  // Takes the hyperlink areas of the draw lines from First on out of Jumps
  // and answers those of the lines after Last; Start: where the areas of
  // First..Last stood.
  std::vector<std::unique_ptr<TRVJumpInfo>> TakeJumpsFrom(int First, int Last, size_t &Start);
  // After a partial pass: the document takes its new height, Repaint grows
  // to the whole view when the view moved. True when the client's width
  // changed with it and a whole pass ran instead.
  bool ResizeAfterPartialPass(int NewHeight, TCanvas &Canvas, TRect &Repaint);
  // Places the hyperlink areas from From on (an index in Jumps).
  void UpdateJumpRects(size_t From = 0);
  // Moves the windows of embedded controls to their draw lines; only those
  // from the draw line FromDrawLine on, when an appending pass left the
  // others and the view where they were.
  void PlaceInlineControls(int FromDrawLine = 0);

  // -------------------------------------------------- positions (draw lines)
  int DrawLineStartOffset(int DrawLineNo) const;
  int DrawLineEndOffset(int DrawLineNo) const;
  void DrawPosToItemPos(int DrawLineNo, int DrawOffs, int &ItemNo, int &ItemOffs) const;
  void ItemPosToDrawPos(int ItemNo, int ItemOffs, int &DrawLineNo, int &DrawOffs) const;
  int FirstDrawLineOfItem(int ItemNo) const;
  int FirstDrawLineOf(const TCustomRVItemInfo *Item) const { return DrawLines.IndexOfMark(Item->DrawLineMark); }
  void GetScreenLineRange(int DrawLineNo, int &First, int &Last) const;
  // The smallest Top of the screen line holding a draw line, and the
  // largest bottom (with the space below the pieces when asked).
  int ScreenLineTop(int DrawLineNo) const;
  int ScreenLineBottom(int DrawLineNo, bool WithSpaceBelow) const;
  int GetPieceOffsetInLine(int A, int B) const;
  enum TFindMode { fdlPrevLine, fdlLast, fdlNext };
  int FindDrawLineAtY(int Y, TFindMode Mode) const;
  int FindDrawLineAtPoint(int X, int Y) const;
  void HitTestDrawLine(int X, int Y, bool Strict, int &DrawLineNo, int &DrawOffs);
  // The screen line at document height Y (the first or last when Y lies
  // outside); there must be lines.
  void ScreenLineAtY(int Y, int &First, int &Last) const;
  // The draw offset of the character boundary nearest X in a text piece
  // that has characters.
  int TextOffsetAtX(int DrawLineNo, int X) const;
  void GetSelectionDrawBounds(bool Ordered, int &StartLine, int &StartOffs, int &EndLine, int &EndOffs) const;
  void GetSelectionItemBoundsRaw(bool Ordered, int &StartItem, int &StartOffs, int &EndItem, int &EndOffs) const;
  void SetSelectionFromItems(int StartItem, int StartOffs, int EndItem, int EndOffs);
  virtual void ClearSelection(bool FireEvent);
  void SelectWholeDocument();
  void Clear() override;
  virtual void DoSelect() {}

  // ------------------------------------------------------ the selection
  // Item positions of the selection, earlier place first when Ordered.
  void GetSelectionBounds(int &StartItem, int &StartOffs, int &EndItem, int &EndOffs, bool Ordered) const;
  // The selection, or where the caret stands when nothing is selected (the
  // editor's answer); here the selection.
  virtual void GetSelectionOrCaretBounds(int &StartItem, int &StartOffs, int &EndItem, int &EndOffs,
                                         bool Ordered) const {
    GetSelectionBounds(StartItem, StartOffs, EndItem, EndOffs, Ordered);
  }
  // Stores both ends (an end on a list marker moves to the item after it),
  // then runs the selection notifications.
  void SetSelectionBounds(int StartItem, int StartOffs, int EndItem, int EndOffs);
  // Start and end set and different. An empty selection is dropped when
  // ResetEmpty; with CheckPartial a table with selected cells counts.
  bool HasSelection(bool ResetEmpty, bool CheckPartial = false);
  // Start and end set and different; changes nothing.
  bool SelectionExists() const;
  // Where the selection began; the editor answers with its caret.
  virtual void GetAnchorDrawPos(int &Line, int &Offs) const;
  // Whether the place lies in the ordered selection, both ends included.
  bool IsPosInSelection(int ItemNo, int Offs) const;
  // The picture when the selection is exactly one whole non-text item that
  // shows one.
  TGraphic *GetSelectedImage() const;
  // Widens a non-empty selection to whole paragraphs, keeping its direction;
  // with OnlyIfMultiple only when it already spans two paragraphs.
  bool ExpandSelectionToParagraphs(bool OnlyIfMultiple);
  bool SelectionSpansParagraphs() const;
  bool IsParagraphStartLine(int DrawLineNo) const;
  // The 1-based screen line of the place; 0 when it has no draw line.
  int GetLineNumber(int ItemNo, int Offs) const;
  TCustomRVItemInfo *GetPartialSelectedItem() const { return FPartialSelectedItem; }
  virtual void SetPartialSelectionItem(TCustomRVItemInfo *Item);
  void ReleasePartialSelection(TCustomRVItemInfo *Except);
  // Selects Length characters from a draw position (the anchor at the far
  // end when Backwards) and scrolls them into view.
  void SelectDrawRange(int DrawLineNo, int DrawOffs, int Length, bool Backwards);
  // Runs after every operation that sets the selection; the editor moves
  // its caret here.
  virtual void AfterSelectionSet() {}
  // The item's first piece in document (client) coordinates; false when it
  // has no draw line.
  bool GetItemCoords(int ItemNo, int &Left, int &Top) const;
  bool GetItemClientCoords(int ItemNo, int &Left, int &Top) const;
  // Scrolls the view so that a rectangle of document coordinates shows.
  void ScrollRectIntoView(int Left, int Top, int Height, int Width);
  // Repaint and the selection event, after the selection changed.
  void SelectionChanged();
  void FreeItem(std::unique_ptr<TCustomRVItemInfo> Item, bool Clearing) override;

  // Whether the place is inside a word: a text piece, strictly between its
  // first and last offsets, with no delimiter before or at it. First and
  // Last receive the word's draw offsets on that piece.
  bool IsInsideWord(int DrawLineNo, int DrawOffs, int &First, int &Last) const;
  // The item and word under a client point (exact hit only). Offs is the
  // character under the point, -1 for a non-text item; Word is the item's
  // raw text of the word (empty on a delimiter or a non-text item).
  struct TRVWordHit {
    TCustomRVFormattedData *RVData = nullptr;
    int ItemNo = -1, StyleNo = 0, Offs = -1, WordStart = 0;
    std::string Word;
  };
  bool FindWordAt(int X, int Y, TRVWordHit &Hit);
  // Word as 8-bit text in its item's code page, as events carry it.
  std::string WordForEvent(const TRVWordHit &Hit) const;
  // Selects the word (or the non-text item) under a client point; false
  // when nothing is there.
  bool SelectWordAt(int X, int Y);

  // Mouse selection, in document coordinates. Start begins a selection at
  // the point (extending the present one with Shift); Extend moves its end
  // and answers whether any of the four selection fields changed.
  void StartMouseSelection(int X, int Y, TRVShiftState Shift);
  bool ExtendMouseSelection(int X, int Y);
  void EndMouseSelection();
  TRVMouseSelection MouseSel;

  // ------------------------------------------------------------- mouse
  // Client coordinates, as the control passes them on.
  virtual void MouseDown(TRVMouseButton Button, TRVShiftState Shift, int X, int Y);
  virtual void MouseMove(TRVShiftState Shift, int X, int Y);
  virtual void MouseUp(TRVMouseButton Button, TRVShiftState Shift, int X, int Y);
  // A double click at the given client point.
  virtual void DblClick(int X, int Y);
  // The mouse left the control.
  void ClearHoveredJump();
  // After a vertical scroll: reports the checkpoint that the view now
  // shows, as Kind asks, when it differs from the one reported last.
  void CheckCheckpointVisibility(TCPEventKind Kind);
  // Frees the soft page breaks; whether there were any.
  bool ClearSoftPageBreaks();
  // Drawn after painting; the editor draws its resizer handles here.
  virtual void PaintResizerHandles(TCanvas &Canvas, int XOffs, int YOffs) { (void)Canvas, (void)XOffs, (void)YOffs; }
  // The line of a border an item's drag moves (a table's column or row
  // border), in this document's coordinates: vertical at Pos, or
  // horizontal. The editor draws it over the document; nothing here.
  virtual void ShowDragLine(bool Vertical, int Pos) { (void)Vertical, (void)Pos; }
  virtual void HideDragLine() {}
  // Hook after each step of the control's auto-scroll; nothing here.
  virtual void AutoScrollStep() {}
  // Hook after a mouse selection ended; the editor selects a clicked item
  // whole there.
  virtual void AfterMouseSelection() {}
  // A click on an item that takes the keyboard focus moves the focus frame
  // to it; a control's document does that, nothing here.
  virtual void FocusClickedItem(int ItemNo) { (void)ItemNo; }
  // Item ItemNo of Data, nested in this document's item HolderItemNo (a
  // table), took the focus by a click: the focus frame goes to it.
  virtual void FocusNestedItem(int HolderItemNo, TCustomRVFormattedData *Data, int ItemNo) {
    (void)HolderItemNo, (void)Data, (void)ItemNo;
  }
  // Hyperlinks react to the mouse (always in a view; in the editor only in
  // jump mode): bit 0 of the root's flag word.
  bool LinksReact() const;
  // The hyperlink area under a point of document coordinates, or null.
  TRVJumpInfo *FindJumpAt(int X, int Y) const;
  int32_t PressedJump = -1;
  int32_t HoveredLine = -1, PressedLine = -1;
  // The item that took the last press (HandleMouseDown), -1 none: it gets
  // the moves and the release.
  int32_t MouseItem = -1;
  TCustomRVFormattedData *HoveredData = nullptr;

  // Notifications of the mouse handling; the view's document turns them
  // into the control's events. A nested document hands them to its root.
  virtual bool HasMouseDownHandler() const;
  virtual void NotifyMouseDown(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y);
  virtual bool HasMouseUpHandler() const;
  virtual void NotifyMouseUp(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y);
  virtual bool HasDblClickHandler() const;
  virtual void NotifyDblClick(const std::string &Word, int StyleNo);
  virtual bool HasRightClickHandler() const;
  virtual void NotifyRightClick(const std::string &Word, int StyleNo, int X, int Y);
  virtual void NotifyJumpHover(int Id);
  virtual void SetCursor(TCursor Cursor);
  virtual void FocusRootControl();
  virtual bool PostDragStart();
  virtual bool HasCheckpointVisibleHandler() const;
  virtual void NotifyCheckpointVisible(TRVCPInfo *CP);

  // ----------------------------------------------------------- copying
  // Puts the selection on the clipboard in the formats the options ask
  // for; false when no format is asked for and no copy handler exists.
  bool CopySelectionToClipboard(TColor BackgroundColor = clNone);
  // The formats a copy of the selection gives, as one clipboard content:
  // the RVF block (its length first), text, a picture, RTF. Empty when
  // nothing is selected.
  struct TRVCopyData {
    std::string RVF;     // with its 4-byte little-endian length first
    std::u16string Text; // the text of the selection
    bool HasText = false;
    QImage Image; // the one selected picture
    std::string RTF;
  };
  // The selection's formats; without a selection, those of the selected
  // part of the partially selected item (a table's selected cells).
  bool GetCopyData(TRVCopyData &Data, TRVOptions Formats, TColor BackgroundColor);
  // A selection or a selected part of an item that a copy or drag takes.
  bool HasCopyableSelection();
  // The selection as plain text (80-character lines): 8-bit, or UTF-16 code
  // units packed two bytes each when Unicode. Empty without a selection.
  std::string GetSelectedText(bool Unicode);
  void GetExportRange(int &First, int &FirstOffs, int &Last, int &LastOffs, int &Dummy1, int &Dummy2) override;
  // Selection-only saving: the export range becomes the selection.
  bool ExportingSelection = false;

  // Protection questions of the editor.
  bool IsItemProtected(int ItemNo, TRVProtectOption Option) const;
  bool IsParaStyleOption(int ParaNo, TRVParaOption Option) const;
  bool IsItemParaReadOnly(int ItemNo) const;
  bool IsStickingAt(int ItemNo, bool Silent) const;
  bool CanDropAt(int ItemNo, int Offs) const;

  // ------------------------------------------------------------ painting
  // Paints the part of the client area in Clip onto Canvas, whose origin is
  // Clip's top-left corner.
  void PaintVisibleLines(const TRect &Clip, TCanvas &Canvas) const;
  virtual void PaintBackground(const TRect &Clip, TCanvas &Canvas) const;
  int GetFirstItemVisible() const;
  // What must hold after every formatting pass, whole or partial: every
  // item has its pieces in order with its first draw line recorded, no
  // character shown twice and only spaces left out, lines never rising, and
  // no line of several pieces wider than the wrap width. Empty when all
  // holds, else the first fault found.
  std::string CheckDrawLines() const;
  int GetLastItemVisible() const;

protected:
  // A run of draw lines drawn onto a canvas: the lines the screen shows, or
  // the lines of one printed page. Document point (x, y) lands at
  // (x + Dx, y + Dy).
  struct TPaintedLines {
    int First = 0, Last = -1;
    // A paragraph's extent takes in lines up to here: the screen looks past
    // its last line, so that a paragraph going on below keeps its bottom
    // border out of sight; a page stops at its own last line.
    int ParaEnd = -1;
    int64_t Dx = 0, Dy = 0;
    // The edges paragraph indents are measured from (document x).
    int64_t TextLeft = 0, TextRight = 0;
    // Indents, border offsets and border widths are scaled by it (1:1 on
    // the screen).
    TRVScreenAndDevice sad;
    bool Printing = false;
    uint8_t ColorMode = 0;
    // The screen cuts what it draws to its area (canvas coordinates), so
    // that nothing costs in proportion to geometry outside it; a page
    // draws whole.
    std::optional<TRect> Area;
    // A page shows, of a line split over pages, only its part (StartPart
    // for its first line, else the first), and draws the lines after a
    // split item lower by what the item's parts add (Extras, one a line
    // from First on).
    bool Paged = false;
    int StartPart = -1;
    std::vector<int64_t> Extras;
  };
  // Where a draw line of the run stands: the part of it shown (-1: the
  // whole line), and that part's document top (Extras included) and height.
  struct TLineOnPage {
    int Part = -1;
    int64_t Top = 0;
    int Height = 0;
  };
  TLineOnPage LineOnPage(const TPaintedLines &Lines, int DrawLineNo) const;
  // The part a page shows of a split line: -1 for a line that is not split.
  int PartOnPage(const TPaintedLines &Lines, int DrawLineNo) const;
  // The document top and height of a draw line's part (the whole line when
  // Part is -1 or the line has no parts).
  static void PartExtent(const TRVDrawLineInfo *DrawLine, int Part, int &Top, int &Height);
  // The backgrounds and borders of the paragraphs of the run's lines.
  void DrawParaBackgrounds(TCanvas &Canvas, const TPaintedLines &Lines) const;

  // The state of one formatting pass.
  struct TFormatState {
    TCanvas *Canvas = nullptr;
    TRVScreenAndDevice sad;
    int32_t LM = 0, RM = 0; // scaled margins
    int32_t DrawIndex = 0;
    int32_t Y = 0, LineAscent = 0, LineDescent = 0, X = 0;
    int32_t LineStartX = 0, LineWidth = 0, LineFirst = 0;
    int32_t LastStyle = -1;
    TextMetrics tm;
    int32_t VShift = 0;
    bool NewPara = true, LineTrimmed = false, SkipFinish = true, PrevSwallowed = false;
    int32_t FirstParaItem = -1;
    bool ItemFlag = false;
  };
  TFormatState FS;

  int HScale(int v) const { return MulDiv(v, FS.sad.ppixDevice, FS.sad.ppixScreen); }
  int VScale(int v) const { return MulDiv(v, FS.sad.ppiyDevice, FS.sad.ppiyScreen); }
  void StartFormatState(TCanvas &Canvas);
  // What the view shows at its top, to show again after a pass: the item of
  // the top line and how far below that line's top the view starts; an
  // appending pass keeps the scroll position itself (Offs).
  void FindViewAnchor(bool Append, bool KeepView, int &Item, int &Offs) const;
  // The widths a whole or appending pass lays out to: the minimal width,
  // the document's width and the wrap width.
  void PassWidths(bool Append, TCanvas &Canvas, int &MinW, int &DocWidth, int &Wrap);
  // Sets an appending pass to go on below the last line.
  void ContinueBelowLastLine();
  void FormatItem(int ItemNo);
  void WrapTextItem(int ItemNo, const std::string &Text, int Offset, int Count);
  void FormatJustifiedText(int ItemNo, const std::string &Text);
  // The draw record of a rect or full-line item.
  std::unique_ptr<TRVDrawLineInfo> NewDrawRecord(TCustomRVItemInfo *Item);
  void FormatRectItem(int ItemNo);
  void FormatFullLineItem(int ItemNo);
  void StartNewLine(int ItemNo, bool ItemStartsLine);
  int FinishLine(int LastDrawLine, int RightEdge, bool LastLineOfPara);
  void RaiseLineBaseline(int Ascent);
  // The draw record of the characters Pos..Pos+Length-1 (0-based) of a
  // text item.
  static std::unique_ptr<TRVDrawLineInfo> NewTextPiece(int ItemNo, int Pos, int Length, int Width, int Height);
  // Places a text piece on a new line or after the pieces of the current
  // one, its baseline Ascent below its top. Above and Below: room the line
  // makes for glyphs of fallback fonts; the piece's top stays at its font's
  // cell, its height takes the room below.
  void PlacePiece(std::unique_ptr<TRVDrawLineInfo> DL, bool NewLine, int Ascent, int Descent, int Above = 0,
                  int Below = 0);
  void GetLineIndents(int ItemNo, bool FirstLine, int &Left, int &Right) const;
  void ApplyTextStyle(int StyleNo, int ItemNo);
  int CountFittingChars(const std::string &Text, bool Unicode, int Start, int Count, int Available, bool NoWrap,
                        int &FitExtent);
  TSize MeasureChars(const std::string &Text, bool Unicode, int Start, int Count);
  // One measurement of a text run gives the extent after each character;
  // MeasureChars answers runs inside it from those.
  void BuildRuler(const std::string &Text, bool Unicode, int Start, int Count);
  std::vector<int> FRuler;
  const std::string *FRulerText = nullptr;
  int FRulerStart = 0, FRulerHeight = 0;
  void InsertDrawLine(std::unique_ptr<TRVDrawLineInfo> DL);
  void AddJump(int ItemNo, int DrawLineNo, int Id, int Width, int Height, TCursor Cursor);
  // Records the first draw line of each item whose first line lies in
  // FromDrawLine .. ToDrawLine - 1.
  void FixFirstDrawLines(int FromDrawLine, int ToDrawLine = INT_MAX);
  void BiDiReorder(int FirstDL, int LastDL, TRVBiDiMode ParaBiDi);
  int ParaSpaceAfter(int ItemNo) const;
  // The paragraph spacing between an item and the next: none inside a
  // paragraph; the space after the last item.
  int64_t SpacingAfterItem(int ItemNo) const;
  int ParaSpaceBefore(int ItemNo) const;
  int TextMinWidth(int ItemNo, TCanvas &Canvas, const TRVScreenAndDevice *sad, bool Apply = true);
  // Text widths measured ahead by CalcItemsMinWidth, from item FMinWidthsStart.
  const std::vector<int> *FMinWidths = nullptr;
  int FMinWidthsStart = 0;
  // The origin every hyperlink area was last placed from: appending places
  // only the new areas while it stays.
  TPoint FJumpsOrigin;

private:
  // One paint of the screen and the text piece it is at, shared by the
  // steps of PaintVisibleLines.
  struct TScreenPaint;
  struct TPaintedPiece;
  void FindPaintedLines(TScreenPaint &P) const;
  void PaintTextBacks(const TScreenPaint &P) const;
  void PaintSoftPageBreaks(const TScreenPaint &P) const;
  void PaintLineMarks(const TScreenPaint &P, int DrawLineNo) const;
  void PaintItemLine(TScreenPaint &P, int DrawLineNo) const;
  void PaintTextLine(TScreenPaint &P, int DrawLineNo) const;
  void DrawPiece(const TScreenPaint &P, const TPaintedPiece &T, const std::string &S, int X, int W, int SpaceBefore,
                 TRVTextDrawStates States, int Offs) const;
  void PaintSelectedChars(const TScreenPaint &P, const TPaintedPiece &T, int A, int B, TRVTextDrawStates Sel) const;
  void PaintSpecialMark(TScreenPaint &P, int DrawLineNo) const;
  void ApplyPaintStyle(TScreenPaint &P, int StyleNo, TRVBiDiMode ParaBiDi) const;

  std::unique_ptr<TRVSelectingInfo> FSelectingInfo;
  TCustomRVItemInfo *FPartialSelectedItem = nullptr;
  bool GetPartCopyData(TRVCopyData &Data, TRVOptions Formats, TColor BackgroundColor);
  // Compared only, never followed: it may have been freed since.
  const TRVCPInfo *FLastReportedCP = nullptr;
  void ExtendLineSelection(int HitLine);
  void SnapWordSelection(int Line, int Offs);
  // Moves the hovered jump to J (null: none), repainting both.
  void SetHoveredJump(TRVJumpInfo *J);
  void InvalidateJump(const TRVJumpInfo &J);
  void UpdateHoveredLine(int X, int Y);
  // The item under a point of the document that takes the mouse itself,
  // with the point relative to it; nullptr when none.
  TCustomRVItemInfo *MouseItemAt(int X, int Y, int &ItemX, int &ItemY);
  // The item that took the press, with the point relative to it.
  TCustomRVItemInfo *CapturedMouseItem(int X, int Y, int &ItemX, int &ItemY);
};

// The document of a view control: every host query answered by the host.
class TRichVistaRVData : public TCustomRVFormattedData {
public:
  explicit TRichVistaRVData(TRVFormatHost *Host);
  TRVFormatHost *FormatHost() const { return FFormatHost; }

  TPoint GetOrigin() const override { return {0, VCenterShift()}; }
  int GetAreaWidth() const override { return FFormatHost->AreaWidth(); }
  int GetLeftMargin() const override { return FFormatHost->LeftMargin; }
  int GetRightMargin() const override { return FFormatHost->RightMargin; }
  int GetTopMargin() const override { return FFormatHost->TopMargin; }
  int GetBottomMargin() const override { return FFormatHost->BottomMargin; }
  int GetMinTextWidth() const override { return FFormatHost->MinTextWidth; }
  int GetMaxTextWidth() const override { return FFormatHost->MaxTextWidth; }
  int GetWidth() const override { return FFormatHost->ClientWidth(); }
  int GetHeight() const override { return FFormatHost->ClientHeight(); }
  void SetDocumentAreaSize(int Width, int Height, bool Redraw) override;
  void AdjustVScrollUnits() override;
  int GetHOffs() const override { return FFormatHost->HScrollPos(); }
  int GetVOffs() const override;
  void ScrollTo(int Y, bool Redraw) override;
  void HScrollTo(int X) override;
  int GetVSmallStep() const override { return FFormatHost->VSmallStep(); }
  TRVBackground *GetBackground() const override { return FFormatHost->Background; }
  TCanvas *GetCanvas() const override { return FFormatHost->FormatCanvas(); }
  TColor GetColor() const override;
  bool IsFocusedDeep() const override { return FFormatHost->IsFocusedDeep(); }
  bool HasHostWindow() const override { return FFormatHost->HasWindow(); }
  void InvalidateRectInControl(const TRect &R) override { FFormatHost->InvalidateRect(R); }
  TRVScroller *GetScroller() const override { return FFormatHost->ScrollerControl(); }
  bool IsViewData() const override { return true; }
  void DoSelect() override { FFormatHost->DoSelect(); }
  void DoJump(int ID) override { FFormatHost->DoJump(ID); }
  bool HasMouseDownHandler() const override { return FFormatHost->HasRVMouseDownHandler(); }
  void NotifyMouseDown(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y) override {
    FFormatHost->DoRVMouseDown(Button, Shift, ItemNo, X, Y);
  }
  bool HasMouseUpHandler() const override { return FFormatHost->HasRVMouseUpHandler(); }
  void NotifyMouseUp(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y) override {
    FFormatHost->DoRVMouseUp(Button, Shift, ItemNo, X, Y);
  }
  bool HasDblClickHandler() const override { return FFormatHost->HasRVDblClickHandler(); }
  void NotifyDblClick(const std::string &Word, int StyleNo) override { FFormatHost->DoRVDblClick(Word, StyleNo); }
  bool HasRightClickHandler() const override { return FFormatHost->HasRVRightClickHandler(); }
  void NotifyRightClick(const std::string &Word, int StyleNo, int X, int Y) override {
    FFormatHost->DoRVRightClick(Word, StyleNo, X, Y);
  }
  void NotifyJumpHover(int Id) override { FFormatHost->DoRVMouseMove(Id); }
  void SetCursor(TCursor Cursor) override { FFormatHost->SetControlCursor(Cursor); }
  void FocusRootControl() override { FFormatHost->FocusControl(); }
  bool PostDragStart() override { return FFormatHost->PostDragStart(); }
  bool HasCheckpointVisibleHandler() const override { return FFormatHost->HasCheckpointVisibleHandler(); }
  void NotifyCheckpointVisible(TRVCPInfo *CP) override { FFormatHost->DoCheckpointVisible(CP); }
  // The shift that centres or bottom-aligns a short document.
  int VCenterShift() const;

private:
  TRVFormatHost *FFormatHost;
};

} // namespace kc
