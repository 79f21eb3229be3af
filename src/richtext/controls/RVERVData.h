#pragma once
// The document of the editor: the view's document plus the caret (a draw
// line and a stop on its screen line), the undo and redo lists with the
// switch that says where records go, the styles the editor applies, and
// the editing operations built on a small set of undoable primitives.
//
// Every edit follows one pattern: open an undo group, change the document
// only through the primitives (each records its reverse first), reformat
// only the touched paragraphs unless the document's minimal width moved,
// place the caret. A refused edit beeps and changes nothing. It runs on any
// format host, so tools and tests edit without a window.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/controls/RVItemResizer.h"
#include "richtext/controls/RVUndo.h"
#include "richtext/document/RVCtrlData.h"

namespace kc {

class TRVRTFReaderProperties;
class TRVTableItemInfo;

// One caret stop on the caret's screen line.
class TRVCharPos {
public:
  int32_t X = 0;
  int32_t DrawItemNo = -1;
  int32_t Offset = -1; // in the draw line: 1 .. length + 1; 0 and 1 for a non-text item
  int32_t MoveRightTo = 0;
  // X, DrawItemNo and Offset.
  void Assign(const TRVCharPos &Source) {
    X = Source.X;
    DrawItemNo = Source.DrawItemNo;
    Offset = Source.Offset;
  }
};
using TRVCharPosCollection = std::vector<TRVCharPos>;

// Document state bits of the editor.
enum : uint32_t {
  rvstFoldingNestedUndo = 0x8000,
  rvstClearedDocument = 0x10000,
  rvstApplyingParaStyle = 0x800000,
};

// Undo destinations.
enum : uint8_t { rvudNone = 0, rvudUndo = 1, rvudRedo = 2 };

class TRVEditRVData : public TRVControlData {
public:
  explicit TRVEditRVData(TRVFormatHost *Host);
  ~TRVEditRVData() override;

  // The text style last taken from the caret's item (not one marked
  // rvprDoNotAutoSwitch).
  int32_t RememberedTextStyleNo = 0;
  // A copy of the tag of the item at the selection start, for text typed in
  // its place.
  TRVTag SavedTag;
  int32_t CaretHeight = 0;
  // Where the caret was drawn last, in document coordinates.
  int32_t CaretX = 0, CaretTop = 0;
  TRVCharPosCollection CharEnds;
  // The text and paragraph style that the editor applies now.
  int32_t CurTextStyleNo = 0, CurParaStyleNo = 0;
  std::unique_ptr<TRVUndoList> UndoList, RedoList;
  uint8_t UndoDest = rvudNone;
  int32_t CaretDrawItemNo = -1;
  int32_t CaretOffs = -1;

  void ClearFormatting() override;
  void Clear() override;
  void ReformatAll(bool KeepView, bool Force, bool NoScroll, int Depth, TCanvas *Canvas, bool Append,
                   bool ItemFlag) override;

  // --------------------------------------------------------------- undo
  TRVUndoList *GetUndoDest() const;
  void BeginUndoSequence(uint8_t UndoType, bool FoldNested);
  void BeginNamedUndoSequence(uint8_t UndoType, const std::string &Caption, bool FoldNested);
  void BeginRedoSequence(uint8_t UndoType, const std::string &Caption);
  // Folds the history of an open nested editor (a table cell's) into this
  // document's lists, so that undo here reaches what was done there.
  void FoldNestedUndo();
  // The fold itself: each of Nested's lists that holds groups becomes one
  // record in a new group of this document's list of the same side
  // (ItemNo: the item that owns Nested, -1 for none); Nested gets fresh
  // empty lists with the same limit.
  // MakeRecord, when given, makes the records (a table cell's).
  void FoldUndoFrom(TRVEditRVData &Nested, int ItemNo,
                    const std::function<std::unique_ptr<TRVCompositeUndo>()> &MakeRecord = {});
  // The editor open inside one of this document's items, and that item;
  // nullptr when there is none. Tables answer it.
  virtual TRVEditRVData *GetNestedEditData(int &ItemNo) const;
  // The record that carries a nested editor's history here: a table
  // cell's when item ItemNo is a table editing a cell in Nested, else a
  // plain composite record.
  std::unique_ptr<TRVCompositeUndo> MakeNestedUndoRecord(TRVEditRVData &Nested, int ItemNo) const;
  void SetUndoGroupMode(bool GroupUndo);
  // The editor's Undo and Redo: beep on an empty list. False when refused.
  bool Undo();
  bool Redo();
  // Ends an editing operation: recording stops; a new edit (not an undo or
  // redo) empties the redo list.
  void FinishEditing(bool ClearRedo);
  // After every editing operation, undo and redo (a cell editor's document
  // tells its table).
  virtual void EditFinished(bool ClearRedo) { (void)ClearRedo; }

  // ------------------------------------------------------ cell editors
  // (RVTInplace.cpp) A table of this document opens its cell editor: a
  // document of its own, in no control. The table made last keeps it.
  TRVCellEditor *CreateCellEditor(TCustomRVItemInfo *Table, TCustomRVFormattedData *Cell) override;
  // The table whose cell editor is open, and its item number; nullptr and
  // -1 when none.
  TRVTableItemInfo *GetEditedTable(int &ItemNo) const;
  // The open cell editor follows its cell after every pass.
  void AfterFormat(int FirstItem, int LastItem, bool Partial) override;
  // Remembers the table whose editor opens, closing another table's.
  void CellEditorOpening(TCustomRVItemInfo *Table);
  // A press anywhere but on the table being edited closes its cell editor
  // first, so that the caret and the keys go where the user clicked.
  void MouseDown(TRVMouseButton Button, TRVShiftState Shift, int X, int Y) override;
  // Before a step of this document's history is performed: what the open
  // cell editor holds becomes one step here and the editor closes, so that
  // no step changes a grid under it (a step of a cell opens it again).
  void CloseCellEditorForUndo();

  // -------------------------------------------------------------- caret
  void PrepareCaretLine(int OffsetHint);
  void PlaceCaret(bool Redraw, bool ScrollToCaret, bool CheckResizer, bool NoStyleNotify);
  // The caret as an item position; false without a caret.
  bool GetCaretItemPos(int &ItemNo, int &Offs) const;
  // Puts the caret at an item position (after a reformat) and places it.
  void SetCaretItemPos(int ItemNo, int Offs, bool Scroll = true);
  // False (and the caret put on its first stop, draw line 0) when the
  // stored stop index is outside the stops: a caret kept across a reformat
  // that went wrong is mended here instead of failing on every paint.
  bool ClampCaret();
  bool CaretAtLineStart() const { return CaretOffs == 0; }
  bool CaretAtLineEnd() const { return CaretOffs == int(CharEnds.size()) - 1; }
  // The caret follows the moving end of a selection set from outside (a
  // click, select-all), never standing on a list marker.
  void AfterSelectionSet() override;
  // Where the caret stands when nothing is selected, as items and as draw
  // lines; the anchor of no selection is the caret.
  void GetSelectionOrCaretBounds(int &StartItem, int &StartOffs, int &EndItem, int &EndOffs,
                                 bool Ordered) const override;
  void GetSelectionOrCaretDrawBounds(int &StartLine, int &StartOffs, int &EndLine, int &EndOffs, bool Ordered) const;
  void GetAnchorDrawPos(int &Line, int &Offs) const override;

  // Hooks the editor control fills; a headless document has no window.
  virtual bool CaretHasFocus() const { return false; }
  virtual bool IsReadOnly() const { return false; }
  virtual void DoCaretMove() {}
  virtual void DoCurStyleChange() {}
  // Whether a link at the caret shows as hovered (the control's option).
  virtual bool CaretHighlightsJumps() const { return true; }

  // ---------------------------------------------------- undoable primitives
  void Do_DeleteItem(int ItemNo);
  void Do_DeleteItems(int StartItemNo, int EndItemNo);
  void Do_DeleteSubstring(int ItemNo, int Index, int ACount);
  void Do_InsertItem(int ItemNo, std::string Text, std::unique_ptr<TCustomRVItemInfo> Item);
  void Do_InsertItems(int ItemNo, int Count);
  void Do_InsertSubstring(int ItemNo, int Index, const std::string &s);
  void Do_ChangeText(int ItemNo, const std::string &NewText);
  void Do_StyleNo(int ItemNo, int NewStyleNo);
  void Do_Para(int FirstItemNo, int LastItemNo, int ParaNo);
  void Do_ParaList(int FirstItemNo, const std::vector<int32_t> &List);
  void Do_NewLine(int ItemNo, bool SameLine, int NewParaNo);
  // Only the flag that the item continues the paragraph before it.
  void SetContinueUndoable(int ItemNo, bool Continue);
  void Do_BR(int ItemNo, bool LineBreak);
  void Do_PageBreak(int ItemNo, bool PageBreak);
  // The item's own page-break flag, never its list marker's.
  void SetPageBreakUndoable(int ItemNo, bool PageBreak);
  void Do_Tag(int ItemNo, const TRVTag &NewTag, bool AssignAsIs);
  void Do_AddCP(int ItemNo, std::unique_ptr<TRVCPInfo> Checkpoint);
  void Do_DeleteCP(int ItemNo);
  void Do_MoveCP(int FromItemNo, int ToItemNo);
  void Do_ExtraIntProperty(int ItemNo, TRVExtraItemProperty Prop, int Value);
  void Do_ReformateRange(int StartItemNo, int EndItemNo, bool Whole);
  // Integer properties of item ItemNo (or of SubObject, a part of it) set
  // by name; a property the object does not have is passed over. False
  // when nothing changed.
  bool SetItemIntPropertyUndoable(int ItemNo, TRVIntPropertyHolder *SubObject, const std::string &PropName, int Value);
  bool SetItemIntPropertiesUndoable(int ItemNo, TRVIntPropertyHolder *SubObject,
                                    const std::vector<std::string> &PropNames, const std::vector<int32_t> &Values);
  // Brackets a run of property records of one item: Opening before the
  // run, not Opening after it.
  void AddModifyItemTerminator(int ItemNo, bool Opening);
  void Do_Concate(int ItemNo);
  std::unique_ptr<TCustomRVItemInfo> CloneTextItem(const TCustomRVItemInfo &Source);
  int GetParaEndItemNo(int ItemNo) const;
  // An empty text item (or one with Text) inserted at ItemNo.
  void InsertNewTextItem(int ItemNo, std::string Text, int StyleNo, int ParaNo, bool ContinuePara, bool LineBreak,
                         const TRVTag &Tag);
  // Formats what the primitives since the last call touched: the whole
  // document when a primitive reported that its minimal width may have
  // moved and it did, else only the touched paragraphs.
  void ReformatAfterEdit();
  // The minimal width of the paragraphs of items First .. Last.
  int RangeMinWidth(int FirstItemNo, int LastItemNo);
  // Marks items First .. Last (numbering after the change) as touched.
  void TouchItems(int FirstItemNo, int LastItemNo);
  // The minimal width of items First .. Last before a change, for
  // NoteWidthChange; not measured (kWidthNotMeasured) while every paragraph
  // fits the width the document has anyway, where only the width after the
  // change can decide anything.
  static constexpr int kWidthNotMeasured = -1;
  int WidthBefore(int FirstItemNo, int LastItemNo);
  // A primitive's width check: the document must be formatted whole unless
  // both widths stay below the document's minimal width.
  void NoteWidthChange(int OldWidth, int NewWidth);

  // Sets integer properties of item ItemNo by name as one undoable step
  // (the editor's item property setters); false when nothing changed.
  bool ModifyItemIntProperties(int ItemNo, const std::vector<std::string> &PropNames,
                               const std::vector<int32_t> &Values);

  // ---------------------------------------------------------- deletion
  bool CanDeleteSelection();
  bool DeleteSelection();

  // ----------------------------------------------- keys, styles, insertion
  bool OnEnterPress(bool Shift);
  bool OnBackSpacePressed(bool Ctrl, bool WholeChar, bool Repeated);
  bool OnDelPressed(bool Ctrl, bool Repeated);
  void ApplyParaStyle(int ParaNo);
  // The frame of every paragraph style change: Apply sets the styles of
  // the selected paragraphs (or the caret's), items First .. Last, as one
  // undoable step and says whether anything changed; caret and selection
  // stay where they were.
  bool ApplyToSelectedParas(const std::function<bool(int First, int Last)> &Apply);
  bool InsertItemAtCaret(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item, bool CaretBefore);
  // Typing at the caret in the current text style, over the selection:
  // one character extends the typing record of the characters typed just
  // before it; several go in as one step.
  bool InsertTypedText(std::u16string_view Text);

  // ------------------------------------------- caret moves and jump mode
  // Each gives true when the caret stood at an edge of the document, so
  // that the owner can tell its outer document (a cell editor its table);
  // Ctrl+Home and Ctrl+End always do. Left and Right step by caret stops
  // (the end of a line and the start of the next are two stops), with Ctrl
  // by words; Up and Down take the line above or below at the caret's x.
  // With Shift in paragraph selection mode a selection that already spans
  // paragraphs grows by whole paragraphs. The selection itself is the
  // caller's: StartShiftSelection before a move with Shift,
  // ExtendShiftSelection after it, a deselect before one without.
  bool MoveCaretLeft(bool Shift, bool Ctrl);
  bool MoveCaretRight(bool Shift, bool Ctrl);
  bool MoveCaretUp(bool Shift, bool Ctrl);
  bool MoveCaretDown(bool Shift, bool Ctrl);
  bool MoveCaretHome(bool Shift, bool Ctrl);
  bool MoveCaretEnd(bool Shift, bool Ctrl);
  void MoveCaretPageUp();
  void MoveCaretPageDown();
  // Shift before a caret move: both selection ends at the caret when
  // nothing is selected yet. After it: the selection end follows the caret.
  void StartShiftSelection();
  void ExtendShiftSelection();
  // Hyperlinks react to the mouse as in a view while jump mode is on.
  void EnterJumpMode(bool Forced);
  void LeaveJumpMode();
  bool InJumpMode() const;
  // An empty document gets one empty text item to hold the caret.
  void EnsureNotEmpty();

private:
  // False when there is no caret to move (a bad stop index is mended).
  bool CaretReady();
  // The caret at a draw position, its line's stops rebuilt.
  void SetCaretDrawPos(int DrawLineNo, int DrawOffs);
  // The caret at an item position: on a stop of its present line when one
  // stands there, else on the line the position belongs to.
  void SetCaretItemPosNear(int ItemNo, int Offs);
  // After a move: the resizer follows the caret, the caret is placed and
  // scrolled into view.
  void PlaceMovedCaret(bool Scroll = true);
  // Offers the caret to the non-text item of a draw line.
  bool OfferCaretTo(int DrawLineNo, TRVGetOutDirection Direction);
  // One stop on, onto the start of the next line at a line's end; false at
  // the end of the document.
  bool StepStopForward();
  bool ParagraphSelecting() const;
  void MoveToPrevParagraphStart();
  void MoveToNextParagraphEnd();
  // Up and Down: the caret goes to the point of its x on draw line Target.
  void MoveToLineAt(int Target, bool NoOffer, TRVGetOutDirection Direction);
  // The screen line of a draw line, as a vertical extent.
  void ScreenLineExtent(int DrawLineNo, int &Top, int &Bottom) const;
  // Stops of a right-to-left or reordered text piece from where its
  // characters are drawn; false when the placement cannot be had.
  bool AddPlacedStops(int DrawLineNo, bool FirstOfLine);
  void RebuildJumps();

public:
  // -------------------------------------------------- typing and insertion
  // One character typed on the keyboard, in the ANSI code page.
  void KeyPress(char Key);
  // Text with CR LF line breaks; the caret goes after it unless CaretBefore.
  void InsertTextA(std::string_view Text, bool CaretBefore);
  void InsertTextW(std::u16string_view Text, bool CaretBefore);
  bool InsertTextFromFile(const std::string &FileName);
  // False (the document, its lines and its undo list as they were) when the
  // data cannot be read.
  bool InsertRVFFromStreamAtCaret(std::string_view Stream);
  bool InsertRTFFromStreamAtCaret(std::string_view Stream, TRVRTFReaderProperties &Properties);
  // Converts the selected text (or only the current text style) through
  // ConvertTextStyle.
  void ApplyStyleConversion(int UserData);
  // Hooks the editor control fills: the conversion handler, and the change
  // report (modified flag, OnChange).
  virtual int ConvertTextStyle(int StyleNo, int UserData, bool AppliedToText) {
    (void)UserData, (void)AppliedToText;
    return StyleNo;
  }
  virtual void DoChange(bool ClearRedo) { (void)ClearRedo; }
  // The modified flag and OnChange; the saved tag goes unless an insertion
  // is in progress.
  void NotifyChange();
  // Paragraph styles of the selected paragraphs (or the caret's) through
  // ConvertParaStyle, one undoable step.
  void ApplyParaStyleConversion(int UserData);
  virtual int ConvertParaStyle(int ParaNo, int UserData, bool AppliedToText) {
    (void)UserData, (void)AppliedToText;
    return ParaNo;
  }
  // The editor's rvoClearTagOnStyleApp: text given another style by a
  // conversion loses its tag.
  bool ClearTagOnStyleApp = false;
  // Set by the editor around an insertion, so that the change report keeps
  // the saved tag for the inserted text.
  bool InsertionInProgress = false;
  // Before an insertion: a copy of the tag of the item at the caret (or at
  // the selection start) when that item has the current text style.
  void SaveTagForInsertion();
  // After an item changed its size: the item's paragraphs, or the whole
  // document when its minimal width moved past the document's (OldWidth is
  // RangeMinWidth of the item before the change). Caret and selection stay.
  void ReformatItemAfterChange(int ItemNo, int OldWidth);
  void ReformatKeepingCaret(bool Full, int ItemNo);

  // ------------------------------------------------------ list numbering
  // Numbers of list markers are worked out when their paragraphs are
  // formatted, so renumbering reformats the paragraphs from an edit to the
  // last marker of each numbered list it touched (recorded, so that undo
  // and redo reformat them again).
  // The numbered lists with markers in the paragraphs of items First ..
  // Last (nullptr when the document has no markers). MarkerIndex: the
  // position in the marker list of the last of those markers, or with
  // Before (taken before the range goes) of the one before the first.
  // LastItemNo gets the range's last item widened to its paragraph.
  std::unique_ptr<TRVIntegerList> CollectMarkerLists(int FirstItemNo, int &LastItemNo, bool Before, int &MarkerIndex);
  // Reformats items AfterItemNo + 1 up to the last marker after MarkerIndex
  // of Lists (or of list ListNo when Lists is null).
  void ReformatListsAfter(int AfterItemNo, int MarkerIndex, int ListNo, const TRVIntegerList *Lists);
  void RenumberListsInRange(int FirstItemNo, int LastItemNo);

  // ----------------------------------------------------- style sheet
  // The current and the remembered styles count as used.
  void MarkUsedStyles(TRVIntegerList &TextUsed, TRVIntegerList &ParaUsed, TRVIntegerList &ListUsed) override;
  // After a clean-up deleted the styles nothing used (Used[i] 0) and
  // renumbered the rest by Shift (new = old - (Shift[old] - 1)): the undo
  // history refers to old numbers and goes; the current styles follow, a
  // deleted one becomes 0.
  void StylesCleanedUp(const TRVIntegerList &TextUsed, const TRVIntegerList &TextShift, const TRVIntegerList &ParaUsed,
                       const TRVIntegerList &ParaShift);
  // HTML of the editor's document: the editor builds its hyperlink list only
  // in jump mode, which this enters (flag 0x80) around the writer.
  bool ExportHtml(std::string &Stream, const std::string &Path, const std::string &Title,
                  const std::string &ImagesPrefix, TRVSaveOptions Options, TColor BackgroundColor, bool Css);

  // ------------------------------------------------------- item resizer
  // Rebuilt after every change, caret move and selection change: handles
  // around the picture or control at the caret.
  void UpdateResizer();
  // Mouse events in document coordinates; true when the resizer took them
  // (a press on a handle, and everything until the release).
  bool ResizerMouseDown(int X, int Y);
  bool ResizerMouseMove(int X, int Y, bool Shift, bool Ctrl);
  bool ResizerMouseUp(int X, int Y, bool Shift, bool Ctrl);
  // Escape during a drag; true when there was one.
  bool CancelResize();
  // The handles and, while dragging, the dotted frame, over the painted
  // document; the canvas's origin is the client's.
  void PaintResizer(TCanvas &Canvas);
  // The handles shown now; null when none. Use LiveResizer: a reformat may
  // have moved the item away from the draw line the handles were made on.
  std::unique_ptr<TRVItemResizer> Resizer;
  // The resizer when it still fits its item and draw line (one made again
  // for a new size of the same item), else null (and freed).
  TRVItemResizer *LiveResizer();
  // The handle's cursor when the point (document coordinates) lies on one.
  bool ResizerCursorAt(int X, int Y, TCursor &Cursor);
  // The line of a table border being dragged, overlay state like the
  // resizer's frame: shown at a document coordinate, drawn inverted across
  // the whole client area until hidden.
  void ShowDragLine(bool Vertical, int Pos) override;
  void HideDragLine() override;
  void PaintDragLine(TCanvas &Canvas);
  // Escape during a drag of a table border: the drag ends and changes
  // nothing; false when none runs.
  bool CancelTableBorderDrag();
  // Delete or Backspace on a table's selected cells: their contents go as
  // one undoable step (a beep when a cell's content is protected); false
  // when no table has cells selected.
  bool DeleteSelectedCells();
  // A paragraph style (Mode 1) or a text (0) or paragraph (2) style
  // conversion while a table has cells selected goes to every selected
  // cell as one undoable step; false when no table has cells selected.
  bool ApplyToSelectedCells(int Mode, int UserValue);
  struct TRVDragLine {
    bool Shown = false, Vertical = false;
    int32_t Pos = 0;
  } DragLine;
  // Resizes item ItemNo to a frame of Width x Height (border spacing
  // included) as one undoable action; false when nothing changed.
  bool ApplyResize(int ItemNo, int Width, int Height);
  // The undoable primitive: a picture's stored size or a control's size.
  void Do_Resize(int ItemNo, int Width, int Height);
  // Hooks the editor control fills: its option that turns resizing off,
  // whether a read-only editor still resizes, whether this document shows
  // no handles at all, and its veto on changes.
  virtual bool NoImageResize() const { return false; }
  virtual bool ResizesWhenReadOnly() const { return false; }
  virtual bool SuppressesResizer() const { return false; }
  virtual bool CanChange() { return true; }

private:
  // Repaints the part of the client that the handles and the frame cover.
  void InvalidateResizer(const TRVItemResizer &R);
  int ResizableItemAtCaret() const;

private:
  // The table that made the last cell editor here (checked against the
  // items before use: it may have gone since).
  TCustomRVItemInfo *FCellEditorTable = nullptr;

protected:
  // The touched range of the current edit.
  struct TEditRange {
    bool Active = false;
    int32_t CountBefore = 0;
    int32_t Head = 0;        // items before it were not touched
    int32_t Tail = 0;        // nor were this many at the end
    bool Full = false;       // the minimal width may have moved
    int32_t MaxNewWidth = 0; // the widest paragraph minimum the edit left
    bool WholeDoc = false;   // a record asked for a whole pass
    // A reformat-range record: the touched paragraphs' widths moved in ways
    // no primitive measured (list markers renumbered) and are measured
    // when the edit is formatted.
    bool MeasureTouched = false;
  } FEdit;
  void StartEdit();
  // An operation that changed nothing after all: no pending reformat, no
  // empty undo group left behind.
  void AbandonEdit();
  // The width the document takes whatever its minimal width, as long as
  // that stays within it: the client's text width or the smallest one set.
  int FixedDocumentWidth() const;

private:
  friend class TRVUndoList;
  bool InsertItems(int &ItemNo, int &Offs, std::string &Text, std::unique_ptr<TCustomRVItemInfo> &Item);
  bool CanJoinParas(int FirstParaItem, int SecondParaItem);
  void DeleteItemWhole(int ItemNo, int &NewItemNo, int &NewOffs);
  void BackspaceAtLineStart(int ItemNo, int &NewItemNo, int &NewOffs, bool &Refused);
  void JoinWithNextLine(int ItemNo, int &NewItemNo, int &NewOffs, bool &Refused);
  // Before ItemNo goes: the item after it, when it continued ItemNo's line,
  // takes over the line start (paragraph, line break, page break).
  void GiveLineStartToNext(int ItemNo);
  // Whether ItemNo may continue the line of the item before it: nothing
  // shares a line with an item that fills its line.
  bool CanShareLine(int ItemNo) const;
  void RemoveMarkerOfPara(int MarkerNo, int &NewItemNo, int &NewOffs);
  bool EnterAtBoundary(bool Shift, bool AtStart, int ItemNo, int &NewItemNo, int &NewOffs);
  void ScrollToCaretRect(int X, int Top, int Height);
  int TextStyleForNewItem() const;
  bool IsDeleteProtected(int ItemNo) const;
  bool HasPersistentCP(int ItemNo) const;
  // The steps of DeleteSelection, over the selection si:so .. ei:eo.
  void RescueCheckpoint(int si, int so, int ei, int eo);
  // The selection's start item goes whole (Join: the end item's rest joins
  // its line; KeepEmpty: its paragraph stays); where the caret lands.
  void DeleteWholeStartItem(int si, bool Join, bool KeepEmpty, int &CaretItem, int &CaretOffs);
  void JoinAtCaret(int &CaretItem, int &CaretOffs);
  // With InheritTag, a text item without a tag takes the saved tag (in the
  // current text style) or the tag of the text item it is put next to.
  bool InsertItems(int &ItemNo, int &Offs, std::string &Text, std::unique_ptr<TCustomRVItemInfo> &Item,
                   bool InheritTag);
  // Steps of InsertItems.
  void PrepareInsertedItem(TCustomRVItemInfo &Item, int n, bool OwnPara, bool InheritTag);
  int InsertAtEmptyItem(int n, std::string &Text, std::unique_ptr<TCustomRVItemInfo> &Item, bool FullLine, bool Marker,
                        bool PersistentCP);

public:
  // Whether an item of ItemNo's paragraph holds a persistent checkpoint.
  bool ParaHasPersistentCheckpoint(int ItemNo) const;
  // Before ItemNo goes: its persistent checkpoint moves to the next item of
  // its paragraph, else to the previous one (only to that one with
  // PreferPrev), one that holds none. False when it cannot stay in the
  // paragraph.
  bool MovePersistentCheckpoint(int ItemNo, bool PreferPrev);

private:
  const TFontInfo *TextStyleOf(int ItemNo) const;
  const TParaInfo *ParaStyleOf(int ItemNo) const;
  // Typing and insertion.
  struct TItemPos {
    int Item, Offs;
  };
  // Do_Concate(ItemNo), with item positions following the joined text.
  void ConcateKeeping(int ItemNo, std::initializer_list<TItemPos *> Positions);
  // Whether text of the current style goes into the item (the next one when
  // the caret is at the item's end and the next continues in that style);
  // Refused when protection forbids typing there at all.
  bool TakesTextAt(int &ItemNo, int &Offs, bool &Refused) const;
  // Lines are UTF-16 or 8-bit text; each goes in in the current style's form.
  bool InsertLines(std::vector<std::string> Lines, bool LinesUnicode, bool CaretBefore);
  // Where the later lines of an insertion go: the first paragraph ends at
  // the inserted text Start..End, and what followed it there continues the
  // last line. -1 when protection forbids cutting the text there.
  int CutForLaterLines(TItemPos &Start, TItemPos &End);
  bool InsertScratchItems(class TCustomRVData &Scratch, bool FirstContinues);
  // After items First..Last came in: joins them with each other and their
  // neighbours; where the caret goes.
  TItemPos JoinInsertedItems(int First, int Last);
  void SplitTextItemAt(int ItemNo, int Offs);
  // Style conversion.
  // True when the item took another style.
  bool ConvertItemStyle(int ItemNo, int UserData);
  // A partly selected text item whose selected part takes style Now: its
  // selected head, tail or middle; Start and End follow the selection.
  void ConvertSelectedHead(int ItemNo, int To, int Now, TItemPos &End);
  void ConvertSelectedTail(int ItemNo, int From, int Now, TItemPos &Start, TItemPos &End);
  void ConvertSelectedMiddle(int ItemNo, int From, int To, int UserData, TItemPos &Start, TItemPos &End);
  std::string TextForStyle(std::string Text, bool Unicode, int Old, int Now) const;
  // The numbered lists around a key's edit, taken before it; after it the
  // lists are renumbered when markers came or went.
  struct TListsBefore {
    std::unique_ptr<TRVIntegerList> Lists;
    int MarkerIndex = -1;
    int Markers = 0;
  };
  TListsBefore ListsBeforeEdit(int FirstItemNo, int LastItemNo);
  void RenumberAfterEdit(const TListsBefore &Before, int AfterItemNo);
};

} // namespace kc
