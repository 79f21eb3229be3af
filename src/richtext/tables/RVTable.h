#pragma once
// The table item (kind -60): a grid of cells, each a nested document, that
// occupies a whole line of its document. The item holds the grid, its
// formatting record and its attributes; layout (TRVTableLayout) and
// painting (TRVTablePainter) are classes of their own that it calls.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Cursors.h"
#include "richtext/document/CRVFData.h"
#include "richtext/document/RVBack.h"
#include "richtext/document/RVCellEditor.h"
#include "richtext/document/RVItem.h"
#include "richtext/tables/RVTableCell.h"
#include "richtext/tables/RVTableLayout.h"
#include "richtext/tables/RVTableRows.h"
#include "richtext/tables/RVTableTypes.h"

namespace kc {

class TRVTableItemInfo;

// The cell editor cannot be closed now (a mouse selection runs in it).
class ERVTableInplaceError : public ERichVistaError {
public:
  using ERichVistaError::ERichVistaError;
};

using TRVCellEditingEvent =
    std::function<void(TRVTableItemInfo *Sender, int Row, int Col, bool Automatic, bool &AllowEdit)>;
using TRVCellEndEditEvent = std::function<void(TRVTableItemInfo *Sender, int Row, int Col, bool Clearing)>;
using TRVTableDrawBorderEvent =
    std::function<void(TRVTableItemInfo *Sender, TCanvas &Canvas, int Left, int Top, int Right, int Bottom, int Width,
                       TColor LightColor, TColor Color, TColor BackgroundColor, TRVTableBorderStyle Style,
                       bool Printing, const TRVBooleanRect *VisibleBorders, int Row, int Col, bool &DoDefault)>;

class TRVTableItemInfo : public TRVFullLineItemInfo {
public:
  // One row of one cell.
  explicit TRVTableItemInfo(TCustomRVData *RVData);
  TRVTableItemInfo(int RowCount, int ColCount, TCustomRVData *RVData);
  ~TRVTableItemInfo() override;
  std::unique_ptr<TCustomRVItemInfo> NewInstance(TCustomRVData *RVData) const override;

  // Published attributes, in the order of the table's property table
  // (also the order they are stored in).
  TRVTableOptions Options = TRVTableOptions::FromRaw(RVTableDefaultOptions);
  TRVTablePrintOptions PrintOptions = TRVTablePrintOptions::FromRaw(RVTableDefaultPrintOptions);
  TRVHTMLLength BestWidth = 0;
  TColor Color = clWindow;
  int32_t HeadingRowCount = 0;
  std::string TextRowSeparator = "\r\n";
  std::string TextColSeparator = "\r\n";
  int32_t BorderWidth = 0;
  TColor BorderColor = clWindowText;
  TColor BorderLightColor = clBtnHighlight;
  TRVTableBorderStyle BorderStyle = rvtbRaised;
  int32_t BorderVSpacing = 2;
  int32_t BorderHSpacing = 2;
  int32_t CellBorderWidth = 0;
  TColor CellBorderColor = clWindowText;
  TColor CellBorderLightColor = clBtnHighlight;
  int32_t CellPadding = 1;
  TRVTableBorderStyle CellBorderStyle = rvtbLowered;
  int32_t VRuleWidth = 0;
  TColor VRuleColor = clWindowText;
  int32_t HRuleWidth = 0;
  TColor HRuleColor = clWindowText;
  int32_t CellVSpacing = 2;
  int32_t CellHSpacing = 2;
  bool VOutermostRule = false;
  bool HOutermostRule = false;

  TRVCellEditingEvent OnCellEditing;
  TRVCellEndEditEvent OnCellEndEdit;
  TRVTableDrawBorderEvent OnDrawBorder;

  // The background picture of the whole table and how it is laid.
  TGraphic *GetBackgroundImage() const;
  void SetBackgroundImage(const TGraphic *Image); // copies; nullptr removes
  void TakeBackgroundImage(std::unique_ptr<TGraphic> Image);
  std::unique_ptr<TGraphic> ReleaseBackgroundImage(); // gives it away, nullptr when none
  TRVItemBackgroundStyle GetBackgroundStyle() const;
  void SetBackgroundStyle(TRVItemBackgroundStyle Value);
  TRVBackground *GetBackground() const { return FBackground.get(); }
  std::string BackgroundImageFileName; // the "filename" extra property

  // ---- background pictures and the editor's own property changes
  // (RVTableBackgroundEdit.cpp) The picture of the table, or of the cell
  // at (Row, Col), as a copy of Image (nullptr removes it); inside an
  // editor one undo step whose record keeps the old picture. False when
  // the picture is the same.
  bool SetBackgroundImageUndoable(const TGraphic *Image);
  bool SetCellBackgroundImageUndoable(int Row, int Col, const TGraphic *Image);
  // The editor sets properties of the item by name around these: the
  // table writes them as plain fields meanwhile and is laid out again
  // afterwards.
  void BeforeUndoChangeProperty() override;
  void AfterUndoChangeProperty() override;
  // ---- end of background pictures

  // ------------------------------------------------------------- model
  TRVTableRows &Rows() { return *FRows; }
  const TRVTableRows &Rows() const { return *FRows; }
  int RowCount() const { return FRows->Count(); }
  int ColCount() const { return FRows->GetColCount(); }
  TRVTableCellData *Cells(int Row, int Col) const { return FRows->Cell(Row, Col); }
  // The screen layout.
  TRVTableItemFormattingInfo &FormattingInfo() { return *FFormattingInfo; }
  const TRVTableItemFormattingInfo &FormattingInfo() const { return *FFormattingInfo; }

  uint16_t State = rvtsJustCreated;
  // The resolution ratio of the running printing pass, nullptr on screen.
  const TRVScreenAndDevice *PrintSad = nullptr;
  // Where the table was last placed in its document (document coordinates).
  int32_t DocLeft = 0, DocTop = 0;
  // The rows the next record written holds.
  TRVTableSavingRange SavingRange;

  // ------------------------------------------- hit tests (table-relative)
  // The border under X: 0 the left edge, the column count the right edge,
  // k the border before column k; -1 none. Start: where the column left of
  // it starts (-1 for the left edge); Pos: where the border is drawn.
  int GetColumnBorderAt(int X, int &Start, int &Pos) const;
  int GetRowBorderAt(int Y, int &Start, int &Pos) const;
  // The column (row) whose content spans X (Y); -1 none.
  int GetColAt(int X) const;
  int GetRowAt(int Y) const;
  // The cell under a point (its main position); false between cells.
  bool GetCellAt(int X, int Y, int &Row, int &Col) const;

  // ----------------------------------------------------- cell selection
  // The anchor cell (-1 none) and the offsets to the other corner.
  int32_t SelAnchorRow = -1, SelAnchorCol = -1;
  int32_t SelRowOffs = 0, SelColOffs = 0;
  bool MouseSelecting = false; // a drag selection started in this table
  // Selects the rectangle from (Row, Col) to (Row + RowOffs, Col + ColOffs).
  void Select(int Row, int Col, int ColOffs, int RowOffs);
  void SelectRows(int Start, int Count);
  void SelectCols(int Start, int Count);
  void Deselect();
  bool HasCellSelection() const { return (State & rvtsSelExists) != 0; }
  // The selected rectangle grown to whole merged cells; false without one.
  bool GetNormalizedSelectionBounds(int &TopRow, int &LeftCol, int &RowCount, int &ColCount) const;
  // Whether cell (Row, Col) is inside the cell selection.
  bool IsCellSelected(int Row, int Col) const;
  // Each cell's Selected flag made equal to IsCellSelected.
  void UpdateCellSelection();
  // A drag selection begins at a cell (false when the document allows none).
  bool StartSelecting(int Row, int Col);

  // ------------------------------------------------ mouse (table-relative)
  // The cursor over a point of the table's frame (the edges select rows
  // and columns, borders resize).
  TCursor GetFrameCursor(int X, int Y) const;
  // What a press, move or release does to the table: rows and columns
  // selected from the edges, cells selected by dragging. True when the
  // table took it; a point inside a cell's content is passed to the cell's
  // document by the caller (CellAtContent says which).
  bool MouseDown(TRVMouseButton Button, TRVShiftState Shift, int X, int Y);
  bool MouseMove(TRVShiftState Shift, int X, int Y);
  bool MouseUp(TRVMouseButton Button, TRVShiftState Shift, int X, int Y);
  // The document's mouse events: the table's own handling above, and the
  // event passed to the document of the cell under the point (or of the
  // cell a text selection started in), so that text is selected and links
  // followed inside cells.
  bool HandleMouseDown(TCustomRVData *RVData, int Button, uint8_t Shift, int X, int Y, int ItemX, int ItemY) override;
  bool HandleMouseMove(TCustomRVData *RVData, uint8_t Shift, int X, int Y, int ItemX, int ItemY) override;
  bool HandleMouseUp(TCustomRVData *RVData, int Button, uint8_t Shift, int X, int Y, int ItemX, int ItemY) override;
  // The cell whose content holds the point, with the point made relative
  // to that cell's document; nullptr when none.
  TRVTableCellData *CellAtContent(int X, int Y, int &CellX, int &CellY) const;

  // ------------------------------------------------------ navigation
  enum : int { rvcdLeft = 0, rvcdUp = 1, rvcdRight = 2, rvcdDown = 3, rvcdNext = 6, rvcdPrev = 7 };
  // The neighbouring cell in a direction (its main position); false when
  // there is none (Next and Previous beep unless Quiet).
  bool GetCellTo(int Row, int Col, bool Quiet, int &NewCol, int &NewRow, int Direction) const;

  // ------------------------------------------ border drags (resizing)
  // A change of one cell's BestWidth (Height false) or BestHeight.
  struct TRVCellSizeChange {
    int32_t Row = 0, Col = 0;
    bool Height = false;
    int32_t Value = 0;
    bool operator==(const TRVCellSizeChange &) const = default;
  };
  // A column or row border is being dragged: rvtsResizingColumn says
  // which kind, rvtsResizingShift whether Shift was held at the start.
  bool IsResizing() const { return FResizeBorder >= 0; }
  int ResizeBorder() const { return FResizeBorder; }
  // Where the dragged line stands (table coordinates, kept within the
  // drag limits).
  int ResizeLinePos() const { return FResizeLine; }
  // Starts dragging column border (Column) or row border Border (> 0) with
  // the pointer at PointerPos (table coordinates across the border); false
  // when there is no such border.
  bool StartResize(bool Column, int Border, int PointerPos, bool Shift);
  // The pointer moved to PointerPos.
  void DragResizeTo(int PointerPos);
  // The cell sizes the line where it stands gives, as the release applies
  // them; false (nothing to apply) when the drag cannot give a size: a
  // percent column in a table with no width left for its columns.
  bool GetResizeChanges(std::vector<TRVCellSizeChange> &Changes) const;
  // Ends the drag; the line goes.
  void EndResize();
  // The selected cells as a table of their own (the selected rectangle
  // grown to whole merged cells), for a copy or a drag; nullptr without a
  // cell selection.
  std::unique_ptr<TCustomRVItemInfo> CopySelectedPart(TCustomRVData *RVData) override;
  // Gives the cells the sizes of a drag released; false when refused.
  bool ApplyResizeChanges(const std::vector<TRVCellSizeChange> &Changes);

  // The table's index in its document, -1 when in none.
  int GetMyItemNo() const;
  // Makes the next screen format compute the layout again.
  void InvalidateLayout() { State |= rvtsFormatInvalid; }
  // Lays the table out when it has none yet (a document converted without
  // a view, whose cell edges are wanted): on Canvas when given, else the
  // holding document's canvas, else a measuring canvas of the platform.
  // DocWidth: the width the table may take, device pixels.
  void EnsureLayout(int DocWidth, TCanvas *Canvas = nullptr);

  // A printing pass's layout: the print object (DrawLine) keeps its own
  // record; the draw line gets the table's device size.
  void FormatForPrinting(int DocWidth, TRVDrawLineInfo *DrawLine, TCanvas &Canvas, const TRVScreenAndDevice *sad);

  // ----------------------------------------------------- item slots
  int GetMinWidth(const TRVScreenAndDevice *sad, TCanvas *Canvas, TCustomRVData *RVData) override;
  bool GetFlag(int Property) const override;
  bool GetStyleFlag(int Property, const TRVStyle *RVStyle) const override;
  void PaintFullWidth(int Left, int Right, int Top, TCanvas &Canvas, TRVItemDrawStates State, TRVStyle *Style,
                      const TRect &ClipRect, uint8_t ColorMode) override;
  void Print(TCanvas &Canvas, int X, int Y, int X2, bool Preview, bool Correction, const TRVScreenAndDevice &sad,
             TRVDrawLineInfo *DrawLine, int Part, uint8_t ColorMode, TCustomRVData *RVData) override;
  std::unique_ptr<TRVDrawLineInfo> CreatePrintingDrawItem(TCustomRVData *RVData,
                                                          const TRVScreenAndDevice &sad) override;
  void Inserting(TCustomRVData *RVData, std::string &Text, bool Safe) override;
  void Inserted(TCustomRVData *RVData, int ItemNo) override;
  void OnDocWidthChange(int DocWidth, TRVDrawLineInfo *DrawLine, bool Printing, TCanvas *Canvas, TCustomRVData *RVData,
                        const TRVScreenAndDevice *sad, bool &Resized, int &Height) override;
  void DrawBackgroundForPrinting(TCanvas &Canvas, const TRect &Rect, const TRect &FullRect, uint8_t ColorMode,
                                 int ItemBackgroundLayer) override;
  int GetHeight() const override { return FFormattingInfo->TableHeight; }
  int GetWidth() const override { return FFormattingInfo->TableWidth; }
  void AdjustPosition(int X, int Y, bool Refresh, TCustomRVData *RVData) override;
  // Visited when the document places its windows: the controls in its
  // cells are placed with it.
  bool PlacesWindow() const override { return true; }

  // Copying: attributes and a copy of every cell with its items.
  void AssignProperties(const TCustomRVItemInfo &Source) override;
  bool GetIntPropertyByName(std::string_view Name, int &Value) const override;
  bool SetIntPropertyByName(std::string_view Name, int Value) override;

  // Stored forms.
  std::string WriteRvfHeaderTail(TCustomRVData *RVData) const override;
  bool ReadRvfHeaderTail(const std::string &Field, TCustomRVData *RVData) override;
  int GetRvfExtraPropertyCount() const override;
  void WriteRvfExtraProperties(std::string &Stream) const override;
  void ReadUnknownRvfProperty(const std::string &Name, const std::string &Value) override;
  bool ReadRVF(const std::string &s, TCustomRVData *RVData, int Mode, int LineNo, int LineCount, std::string &Name,
               int &LineState) override;
  void SaveRVF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
               bool ForceSameAsPrev) override;
  void SaveToHTML(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Text,
                  TRVHTMLSaveContext &Context) override;
  void SaveRTF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
               TRVRTFSaveContext &Context) override;
  void FillRTFTables(TRVColorList &ColorList, TRVRTFFontTable &FontTable, TCustomRVData *RVData) override;
  // The cells' text: cells of a row joined by TextColSeparator, rows by
  // TextRowSeparator, cells covered by a merge left out.
  std::string AsText(int LineWidth, char LineChar, TCustomRVData *RVData, const std::string &Text,
                     const std::string &Path, bool TextOnly, bool Unicode) override;

  void MovingToUndoList(int ItemNo, TCustomRVData *RVData) override;
  void MovingFromUndoList(int ItemNo, TCustomRVData *RVData) override;
  // Location is the cell's slot (row x columns + column); rvdChosenUp and
  // rvdChosenDown give the top-left and bottom-right cell of the cell
  // selection, else the active cell.
  TCustomRVData *GetSubRVData(int &Location, TRVSubRVDataPos Position) override;
  // Makes the cell at a slot that GetSubRVData gave the active cell.
  void SetSubRVData(int Location);
  void MarkUsedStyles(TRVIntegerList &TextUsed, TRVIntegerList &ParaUsed, TRVIntegerList &ListUsed) override;
  void RenumberStyles(const TRVIntegerList &TextShift, const TRVIntegerList &ParaShift,
                      const TRVIntegerList &ListShift) override;

  // ------------------------------------------------------ the cell editor
  // (RVTableCellEditing.cpp, RVTableNavigate.cpp) One cell at a time is
  // edited in an editor that the holding document makes; its document
  // holds the cell's items while it is open.
  enum : unsigned {
    rvceNoEvent = 1,       // OnCellEditing is not asked
    rvceRememberClick = 2, // a second click soon after arrives as a double click
    rvceCaretAtEnd = 4,
    rvceCaretAtStart = 8,
    rvceJumpMode = 16
  };
  // Opens the editor on the cell covering (Row, Col) (ItemNo -1: looked up);
  // false when the table is in no editable document, the cell does not
  // exist or OnCellEditing refused.
  bool OpenCellEditor(int ItemNo, int Row, int Col, unsigned Flags);
  // The public form: the editor on the cell, the caret at its start. A
  // table in a cell of another has that cell edited first, outwards as deep
  // as it lies.
  bool EditCell(int Row, int Col);
  // Closes the open editor: its items go back to the cell and, when Normal,
  // its history becomes one step of the holding document's undo. Not
  // normal: the table itself is going, being read or moved away.
  void CloseCellEditor(bool Normal);
  TRVCellEditor *GetCellEditor() const { return FCellEditor; }
  // The edited cell's position, -1 -1 without an editor.
  int GetEditedRow() const { return FCellEditor ? FCellEditor->Row : -1; }
  int GetEditedCol() const { return FCellEditor ? FCellEditor->Col : -1; }
  // Closes the open editor for a while (a border drag changes the cells
  // under it), keeping its cell and its selection; raises
  // ERVTableInplaceError while a mouse selection runs in it.
  void SaveCellEditor();
  // Opens the editor that SaveCellEditor closed again, with its selection;
  // nothing when none was saved.
  void RestoreCellEditor();
  bool HasSavedCellEditor() const { return FSavedEditor.Stored; }
  // The editor is being freed by someone else (its window's parent): the
  // table takes the items back and forgets it.
  void CellEditorDestroyed(TRVCellEditor *Editor);
  // After every change in the editor's document: when its height or its
  // minimum width moved, the table is laid out again around it (no other
  // cell wraps again) and its document reformats the table's paragraph.
  void CellEditorChanged();
  // Where the edited cell's content stands, in client coordinates of the
  // holding document's control.
  TRect EditedCellRect() const;
  // The editor is put over its cell again (after the holding document was
  // formatted); a new width wraps its text.
  void PlaceCellEditor();
  // The caret left the editor's document: Direction 0 left, 1 up, 2 right,
  // 3 down, 4 top, 5 bottom of the holding document, 6 next cell (Tab), 7
  // previous cell (Shift+Tab). Opens the neighbouring cell or puts the
  // caret before or after the table; Tab in the last cell does nothing.
  void CellEditorCaretGetOut(int Direction);
  // The caret comes in from the holding document: mode 0 the first cell,
  // 1 the last, 2 (3) the first (last) row's cell under X (table-relative).
  bool EnterTable(int Mode, int X);
  bool TakeCaret(TCustomRVData *RVData, int ItemNo, TRVGetOutDirection Direction) override;
  bool TakeCaretAt(TCustomRVData *RVData, int ItemNo, TRVGetOutDirection Direction, int X) override;

  // ---- focus, the active cell and nested documents (RVTableFocus.cpp)
  // The keyboard focus among items of the cells (links, embedded
  // controls): Tab goes through the cells in reading order.
  bool MoveFocus(bool GoForward, TCustomRVFormattedData *&Data, int &ItemNo) override;
  void ClearFocus() override;
  bool AdjustFocus(const TControl *Control, TCustomRVFormattedData *&Data, int &ItemNo) override;
  // The cell holding the focus (-1 -1 none); setting another drops the
  // old cell's focus.
  void SetFocusedCell(int Row, int Col);
  int GetFocusedRow() const { return FFocusedRow; }
  int GetFocusedCol() const { return FFocusedCol; }
  // The cell whose document is active in the holding document (edited in
  // an editor), its selection kept across the switch; -1 -1 none.
  void SetActiveCell(int Row, int Col);
  void ResetActiveCell();
  int GetActiveRow() const { return FActiveRow; }
  int GetActiveCol() const { return FActiveCol; }
  bool HasActiveCellSelection() const;
  // The document of the cell under a point of the table (the editor's for
  // the edited cell), nullptr between cells.
  TCustomRVData *GetSubRVDataAt(int X, int Y);
  // The holding document has a selection that runs over the whole table.
  bool IsInsideSelection() const;
  // The top of Row in the last layout; past the last row, the height.
  int GetRowTop(int Row) const;
  // The item of the outermost document that holds this table, through any
  // number of enclosing cells; -1 when not inserted.
  int GetAbsoluteItemNo() const;
  // ---- end of focus and the active cell

  // The cell that holds Data (a cell of this table, or a document nested in
  // one) and its position; false when none does.
  bool GetCellPosition(const TCustomRVData *Data, int &Row, int &Col) const;
  // The grid was rebuilt by a reader: cells are told their rows, the
  // layout is invalid.
  void AfterGridChange();

  // ============================ editing the grid and the attributes
  // Inside an editor each public operation is one undo group of kind 13
  // and lays the table out again; in a plain view it changes the table
  // directly. Bad indices raise ERichVistaError "Invalid row or column
  // index" before anything changes.
  // Whether a change made now is recorded for undo; the table's index in
  // its document when it is, else -1.
  bool CanRecordUndo() const;
  int GetItemNoForUndo() const;
  // The root editor's permission (true outside editors).
  bool CanChange() const;
  // Brackets several operations into one undo step.
  void BeginTableUndoGroup();
  void EndTableUndoGroup();
  void InsertRows(int Index, int Count, int CopyIndex, bool Select = true);
  void InsertCols(int Index, int Count, int CopyIndex, bool Select = true);
  // Deleting every row or column deletes the table item itself.
  void DeleteRows(int Index, int Count, bool DecreaseHeight);
  void DeleteCols(int Index, int Count, bool DecreaseWidth);
  void DeleteSelectedRows();
  void DeleteSelectedCols();
  // Every row that holds no cell of its own, last first.
  void DeleteEmptyRows();
  // Refused merges (a row or column left without a cell of its own unless
  // AllowDegenerateMerge) beep and change nothing.
  void MergeCells(int TopRow, int LeftCol, int ColSpan, int RowSpan, bool AllowDegenerateMerge = false);
  void MergeSelectedCells(bool AllowDegenerateMerge = false);
  bool CanDeleteSelectedCellsContents() const;
  void DeleteSelectedCellsContents();
  // Mode 0 text style conversion, 1 paragraph style, 2 paragraph style
  // conversion, with the user value, in every selected cell; one step.
  void ApplyToSelectedCells(int Mode, int UserValue);
  // Published attributes by name (the names of the property tables), with
  // undo inside an editor; false for an unknown name or no change.
  bool SetTablePropertyUndoable(std::string_view Name, int Value);
  bool SetCellPropertyUndoable(int Row, int Col, std::string_view Name, int Value);
  bool SetCellBestWidth(int Value, int Row, int Col);
  bool SetCellBestHeight(int Value, int Row, int Col);
  bool SetCellVisibleBorders(int Row, int Col, bool Left, bool Top, bool Right, bool Bottom);
  // The flags a property's undo record carries (may change the table's
  // minimum width, needs formatting); false for a name without undo.
  static bool TablePropertyFlags(std::string_view Name, bool &AffectWidth, bool &AffectSize);
  static bool CellPropertyFlags(std::string_view Name, bool &AffectWidth, bool &AffectSize);
  // A structural change was made (layout invalid, hit cache dropped).
  void Changed();

private:
  // ---- the cell editor
  TRVCellEditor *FCellEditor = nullptr;
  // What the editor's document measured when the table last followed it.
  int32_t FEditorMinWidth = -1, FEditorDocHeight = -1;
  // The items go back to the cell; reformatted unless Clearing.
  void FinishCellEditing(TRVCellEditor &Editor, bool Clearing);
  TCustomRVFormattedData *HoldingDocument() const;
  // A press into a cell of an editable table opens the cell's editor and
  // goes on to it; the moves and the release of that press follow it.
  bool PressOpensEditor(TRVMouseButton Button, TRVShiftState Shift, int X, int Y, int ItemX, int ItemY);
  bool FEditorPressed = false;
  int32_t FFocusedRow = -1, FFocusedCol = -1;
  int32_t FActiveRow = -1, FActiveCol = -1;
  // The focused cell, reset when the grid no longer has it.
  TRVTableCellData *FocusedCell();
  // Puts a selection saved from a cell's document back, when the document
  // still has both places.
  static void RestoreSelection(TCustomRVFormattedData &Doc, int StartItem, int StartOffs, int EndItem, int EndOffs);
  // What SaveCellEditor kept: the cell and the selection (anchor first).
  struct TRVSavedCellEditor {
    bool Stored = false;
    int32_t Row = -1, Col = -1;
    int32_t StartItem = -1, StartOffs = 0, EndItem = -1, EndOffs = 0;
  } FSavedEditor;
  // ---- end of the cell editor
  // Runs Op between the undo brackets with a recorder (or none), then lays
  // the table out again and tells the editor.
  template <class F> void RunGridOp(F &&Op);
  // The cell being edited, else the top left one of the cell selection;
  // Row and Col untouched when neither.
  void EditedOrSelectedCell(int &Row, int &Col) const;
  // After rows or columns went: editing goes on at the cell covering
  // (Row, Col), clamped to the grid.
  void ReopenCellEditor(int Row, int Col);
  // ============================ end of grid editing

  void Init(int RowCount, int ColCount);
  mutable int32_t FHitRow = -1, FHitCol = -1; // the last cell hit
  TRVTableCellData *FPressedCell = nullptr;   // the cell a press went to
  // The border drag: the border (-1 none), where the column or row left
  // of (above) it starts, the pointer's distance from the line, the line
  // and its limits (-1 none), and the table's top-left corner in the root
  // document when the drag started (the line is drawn there).
  int32_t FResizeBorder = -1, FResizeStart = 0, FResizeGrab = 0, FResizeLine = 0;
  int32_t FResizeMin = -1, FResizeMax = -1;
  TPoint FResizeOrigin{0, 0};
  void ShowResizeLine(bool Show) const;
  // A press on the selected cells asks the control to drag them; false
  // when it cannot.
  bool PostCellsDrag();
  bool FCellsDragPosted = false;
  bool SelectionAllowed() const;
  // Whether the table was inserted when the editor began setting its
  // properties by name.
  bool FInsertedBeforeChange = false;
  TCustomRVData *FCreatedIn;
  std::unique_ptr<TRVTableRows> FRows;
  std::unique_ptr<TRVTableItemFormattingInfo> FFormattingInfo;
  std::unique_ptr<TRVBackground> FBackground;
};

// While it lives, the cell that the table's editor edits shows the
// editor's items, so that a writer reading the cells (RVF, RTF, HTML, text)
// finds the content being edited; nothing when no editor is open.
class TRVEditedCellView {
public:
  explicit TRVEditedCellView(const TRVTableItemInfo &Table);
  ~TRVEditedCellView();
  TRVEditedCellView(const TRVEditedCellView &) = delete;
  TRVEditedCellView &operator=(const TRVEditedCellView &) = delete;

private:
  TCustomRVData *FCell = nullptr;
};

// Makes kind -60 known to CreateItemByStyleNo (readers of files call it
// once; calling again does nothing).
void RegisterTableItemType();

} // namespace kc
