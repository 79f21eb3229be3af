#pragma once
// What a table asks of the editor that holds it, without knowing editors:
// the editor layer implements both classes and registers its host once.
//
// A grid operation given a recorder tells it each step before (or, for
// steps that hand over rows and cells, after) making it; the recorder turns
// the steps into undo records that own what they are handed. Without a
// recorder nothing is recorded and removed rows and cells are freed.
#include <memory>
#include <string_view>
#include <vector>

namespace kc {

class TCustomRVData;
class TRVTableItemInfo;
class TRVTableRow;
class TRVTableCellData;
class TRVIntPropertyHolder;
class TGraphic;

// A cell that a merge took away: its slot, how many items it gave to the
// main cell (0: none, the cell held nothing), and the cell itself.
struct TRVMergedCell {
  int Row = 0, Col = 0, ItemCount = 0;
  std::unique_ptr<TRVTableCellData> Cell;
};

// What a merge changed, enough to take it back.
struct TRVMergeStep {
  int Row = 0, Col = 0;               // the main cell
  int OldColSpan = 1, OldRowSpan = 1; // its spans before
  int ColSpan = 1, RowSpan = 1;       // the merged rectangle
  int OldBestWidth = 0;               // its BestWidth before
  int MergedBestWidth = 0;            // and after
  std::vector<TRVMergedCell> Cells;   // row by row
};

class TRVTableGridRecorder {
public:
  virtual ~TRVTableGridRecorder() = default;
  // Detached cells answer through this document (the one holding the undo
  // list) while an undo record keeps them.
  virtual TCustomRVData *UndoData() const = 0;
  // Brackets one grid operation (Opening before it, not Opening after).
  virtual void Terminator(bool Opening) = 0;
  virtual void Span(int Row, int Col, bool IsColSpan, int OldSpan) = 0;
  // ColCount empty slots inserted at Col in RowCount rows from Row.
  virtual void InsertEmptyCell(int Row, int Col, int ColCount, int RowCount) = 0;
  // The RowCount x ColCount block at (Row, Col) freed and emptied.
  virtual void FreeEmptyCell(int Row, int Col, int ColCount, int RowCount) = 0;
  // A new cell inserted at (Row, Col), the slots right of it moving on.
  virtual void InsertTableCell(int Row, int Col) = 0;
  virtual void InsertTableRows(int Index, int Count) = 0;
  // The cell at (Row, Col) spread over the next ColSpan - 1 slots.
  virtual void SpreadOverEmptyCells(int Row, int Col, int ColSpan) = 0;
  // The cell at (Row, Col) cut at row (column) SplitAt; OldBest its
  // BestHeight (BestWidth) before.
  virtual void CellSplit(bool Vertical, int Row, int Col, int SplitAt, int OldBest, bool Decrease) = 0;
  // Steps that hand over what they removed (already detached).
  virtual void DeleteRows(int Index, int Count, std::vector<std::unique_ptr<TRVTableRow>> Rows) = 0;
  // Cells per row, within a row from the last deleted column to the first.
  virtual void DeleteCols(int Index, int Count, std::vector<std::unique_ptr<TRVTableCellData>> Cells) = 0;
  virtual void Merge(TRVMergeStep Step) = 0;
  virtual void CellsClear(const std::vector<int> &Rows, const std::vector<int> &Cols,
                          std::vector<std::unique_ptr<TRVTableCellData>> Cells) = 0;
  // Undoable attribute changes of the cell at (Row, Col).
  virtual void SetCellInt(int Row, int Col, std::string_view Name, int Value, bool AffectWidth, bool AffectSize) = 0;
  virtual void AssignCellAttributes(int Row, int Col, const TRVTableCellData &Source, bool IncludeSize,
                                    int HeightDivisor, int WidthDivisor) = 0;
};

// The editor's side of a table's operations; every call names the
// document that holds the table and does nothing (false, nullptr) when
// that is not editor data.
class TRVTableEditHost {
public:
  virtual ~TRVTableEditHost() = default;
  // A recorder for the table at ItemNo, nullptr when nothing is recorded
  // (not an editor, undo limit 0, or no undo group open).
  virtual std::unique_ptr<TRVTableGridRecorder> MakeRecorder(TCustomRVData *Data, int ItemNo) = 0;
  // Closes the table's cell editor, keeping its edit (folded into the
  // root's undo), before the grid changes under it.
  virtual void CloseCellEditor(TRVTableItemInfo &Table) = 0;
  virtual bool IsEditor(TCustomRVData *Data) = 0;
  // Whether Data is editor data whose root editor records undo.
  virtual bool CanRecord(TCustomRVData *Data) = 0;
  // The root editor's permission (false: the operation does not start).
  virtual bool CanChange(TCustomRVData *Data) = 0;
  // One user action, one undo group of kind 13.
  virtual void BeginGroup(TCustomRVData *Data) = 0;
  virtual void EndGroup(TCustomRVData *Data) = 0;
  // The minimum width of the table at ItemNo's paragraph, taken before a
  // change; after it the table is laid out again (the whole document when
  // that width moved past the document's), the caret kept and the editor
  // told (modified, OnChange).
  virtual int WidthBefore(TCustomRVData *Data, int ItemNo) = 0;
  virtual void AfterChange(TCustomRVData *Data, int ItemNo, int OldWidth) = 0;
  // The table at ItemNo leaves the document as part of the open group.
  virtual void DeleteTableItem(TCustomRVData *Data, int ItemNo) = 0;
  // An integer property of Object (the table at ItemNo or a cell of it) set
  // by name as a record of the open group; false when nothing changed.
  // Row and Col: the cell's position (-1 for the table itself).
  virtual bool SetIntProperty(TCustomRVData *Data, int ItemNo, TRVIntPropertyHolder *Object, int Row, int Col,
                              std::string_view Name, int Value, bool AffectWidth, bool AffectSize) = 0;
  virtual bool SetCellVisibleBorders(TCustomRVData *Data, int ItemNo, int Row, int Col, bool Left, bool Top, bool Right,
                                     bool Bottom) = 0;
  // The old background picture of the table at ItemNo (Row and Col -1) or
  // of its cell at (Row, Col), kept by a record of the open group; dropped
  // when nothing is recorded.
  virtual void RecordBackgroundImage(TCustomRVData *Data, int ItemNo, int Row, int Col, std::unique_ptr<TGraphic> Old) {
    (void)Data, (void)ItemNo, (void)Row, (void)Col, (void)Old;
  }
  // Mode 0 text style conversion, 1 paragraph style, 2 paragraph style
  // conversion, applied to every (selected) cell in a document of its own;
  // true when a cell was taken (the table is to be formatted again).
  virtual bool ApplyToCells(TCustomRVData *Data, TRVTableItemInfo &Table, int Mode, int UserValue,
                            bool SelectedOnly) = 0;
};

// The registered host (nullptr when no editor layer is linked in).
TRVTableEditHost *RVTableEditHost();
void RVRegisterTableEditHost(TRVTableEditHost *Host);

} // namespace kc
