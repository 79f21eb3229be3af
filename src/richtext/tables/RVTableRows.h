#pragma once
// The grid of a table: rows of slots, each slot a cell or empty. A merged
// cell sits at the top-left slot of the rectangle it spans; every other slot
// of that rectangle is empty. Invariants:
//   - every row has the same number of slots (the column count is row 0's);
//   - every slot holds a cell or is covered by exactly one cell above or to
//     the left of it, and no span reaches outside the grid;
//   - a cell's row pointer is the row that holds it.
// Check() tests them; readers of files build a grid, then check it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "richtext/document/RVCtrlData.h"
#include "richtext/tables/RVTableCell.h"
#include "richtext/tables/RVTableRecorder.h"

namespace kc {

class TRVTableRows;
class TRVTableItemInfo;

class TRVTableRow : public TRVDataList {
public:
  TRVTableRow(TRVTableRows *Rows, int ColCount);
  ~TRVTableRow() override;

  TRVCellVAlign VAlign = rvcTop;
  TRVTableRows *Rows() const { return FRows; }
  void SetRows(TRVTableRows *Rows) { FRows = Rows; }
  TCustomRVData *GetParentRVData() const override;

  int Count() const { return static_cast<int>(FCells.size()); }
  // The cell in slot Col, nullptr when the slot is empty or out of range.
  TRVTableCellData *Get(int Col) const;
  TRVTableCellData *operator[](int Col) const { return Get(Col); }
  // Puts Cell into slot Col (sets its row); the cell held before is freed.
  void Put(int Col, std::unique_ptr<TRVTableCellData> Cell);
  // Takes the cell out of slot Col, leaving the slot empty.
  std::unique_ptr<TRVTableCellData> Take(int Col);
  // A new cell at the end / at Col; an empty slot at Col.
  TRVTableCellData *AddCell();
  TRVTableCellData *InsertCell(int Col);
  void InsertEmpty(int Col);
  void DeleteSlots(int Col, int Count);

  // The largest BestHeight of the row's cells that span one row, 0 none.
  int GetBestHeight() const;
  // The largest content height of the row's cells that span one row; 10
  // when that is 0 or the row has no slots.
  int GetHeight() const;
  // Whether some cell of row Row (this row) ends at or above the last row
  // of FirstRow .. FirstRow + RowCount - 1.
  bool HasCellEndingWithin(int Row, int FirstRow, int RowCount) const;

private:
  TRVTableRows *FRows;
  std::vector<std::unique_ptr<TRVTableCellData>> FCells;
};

class TRVTableRows {
public:
  TRVTableRows(int RowCount, int ColCount, TCustomRVData *MainRVData, TRVTableItemInfo *Table);
  ~TRVTableRows();
  TRVTableRows(const TRVTableRows &) = delete;
  TRVTableRows &operator=(const TRVTableRows &) = delete;

  // The document that holds the table (nullptr while in none).
  TCustomRVData *MainRVData = nullptr;
  TRVTableItemInfo *Table = nullptr;

  int Count() const { return static_cast<int>(FRows.size()); }
  TRVTableRow *Items(int Row) const { return FRows[static_cast<size_t>(Row)].get(); }
  TRVTableRow *operator[](int Row) const { return Items(Row); }
  // The cell in slot (Row, Col), nullptr when empty or outside the grid.
  TRVTableCellData *Cell(int Row, int Col) const;

  // Frees every row and builds RowCount rows of ColCount new cells.
  void Reset(int RowCount, int ColCount);
  bool IsEmpty() const { return FRows.empty() || FRows[0]->Count() == 0; }
  int GetColCount() const { return FRows.empty() ? 0 : FRows[0]->Count(); }
  // Appends a ready row (its cells' rows are set).
  void AddRow(std::unique_ptr<TRVTableRow> Row);
  void InsertRow(int Index, std::unique_ptr<TRVTableRow> Row);

  // The cell covering (Row, Col) and its top-left position; nullptr when
  // nothing covers it (a broken grid) or the position is outside.
  TRVTableCellData *GetMainCell(int Row, int Col, int &MainRow, int &MainCol) const;

  // Gives the cell at (Row, Col) the spans RowSpan x ColSpan, freeing the
  // cells of the slots it now covers (their items are moved to the end of
  // the cell, as merging does). False, changing nothing, when the position
  // holds no cell, a span is below 1, the rectangle leaves the grid, or a
  // slot of it is covered by a cell starting outside it or spanning out.
  bool ApplySpan(int Row, int Col, int RowSpan, int ColSpan);

  // The invariants above; on failure Why says which (English, for logs).
  bool Check(std::string *Why = nullptr) const;

  // Layout queries.
  // Largest minimum width of the column's cells spanning one column.
  int GetColMinWidth(int Col, const TRVScreenAndDevice *sad, TCanvas &Canvas) const;
  // Largest pixel BestWidth of the column's one-column cells; 0 as soon
  // as one of them has a percentage.
  int GetColBestWidth(int Col) const;
  // Largest (-BestWidth x TableWidth) div 100 of the column's one-column
  // percent cells (64-bit product), 0 none.
  int GetColPercentWidth(int Col, int TableWidth) const;
  // Some one-column cell has a percentage, or a merged percent cell ends
  // in this column.
  bool IsPercentCol(int Col) const;
  // Every slot of the column is empty (covered by a merged cell).
  bool IsColumnWithoutOwnCell(int Col) const;

  // ------------------------------------------------------ grid operations
  // Each checks its arguments first and raises ERichVistaError "Invalid
  // row or column index" (the merge: "Parameters for cell merging are not
  // correct") before changing anything. Rec: where the steps are recorded,
  // nullptr for none (removed rows and cells are then freed at once).
  // CopyIndex: the row (column) whose cell attributes the new ones take,
  // -1 none; Divide: the source's best size is shared with the new ones.
  void InsertRows(int Index, int Count, int CopyIndex, bool DivideHeight, TRVTableGridRecorder *Rec);
  void InsertCols(int Index, int Count, int CopyIndex, bool DivideWidth, TRVTableGridRecorder *Rec);
  // Count is cut to the rows (columns) there are, except from index 0.
  void DeleteRows(int Index, int Count, bool DecreaseHeight, TRVTableGridRecorder *Rec);
  void DeleteCols(int Index, int Count, bool DecreaseWidth, TRVTableGridRecorder *Rec);
  enum TRVMergeResult { rvmrMerged, rvmrNothing, rvmrRefused };
  // A refused merge changes nothing; the caller beeps.
  TRVMergeResult MergeCells(int TopRow, int LeftCol, int ColSpan, int RowSpan, bool AllowDegenerateMerge,
                            bool UpdateBestWidth, TRVTableGridRecorder *Rec);
  // The listed cells replaced by empty ones with their attributes (without
  // a recorder each is only emptied in place).
  void ClearCells(const std::vector<int> &RowList, const std::vector<int> &ColList, TRVTableGridRecorder *Rec);
  // The best width of a merge of the rectangle: per row pixels add and a
  // percentage restarts the sum; percentages win over pixels, the largest
  // of each kind wins.
  int CombinedBestWidth(int TopRow, int LeftCol, int RowCount, int ColCount) const;

  // ------------------------------------- steps (not recorded; undo uses them)
  void InsertNewRows(int Index, int Count); // each with a new cell in every column
  void FreeRows(int Index, int Count);
  // Rows Index .. Index + Count - 1 taken out of the grid, cells detached
  // to UndoData.
  std::vector<std::unique_ptr<TRVTableRow>> TakeRows(int Index, int Count, TCustomRVData *UndoData);
  void PutRows(int Index, std::vector<std::unique_ptr<TRVTableRow>> &Rows);
  // Cells of columns Index .. Index + Count - 1 (per row, last column
  // first) taken out with their slots; PutCols gives them back.
  std::vector<std::unique_ptr<TRVTableCellData>> TakeCols(int Index, int Count, TCustomRVData *UndoData);
  void PutCols(int Index, std::vector<std::unique_ptr<TRVTableCellData>> &Cells);
  void InsertEmptySlots(int Row, int Col, int ColCount, int RowCount);
  void DeleteSlotBlock(int Row, int Col, int ColCount, int RowCount);
  void FillBlock(int Row, int Col, int ColCount, int RowCount); // new cells into empty slots
  void FreeBlock(int Row, int Col, int ColCount, int RowCount); // slots emptied
  void SpreadCell(int Row, int Col, int ColSpan);               // frees the next ColSpan - 1 slots
  void UnspreadCell(int Row, int Col);                          // ColSpan 1, new cells after it
  // Horizontal (Vertical false) or vertical cut of the cell at (Row, Col)
  // at row (column) At; JoinCell takes it back, restoring the best size.
  void SplitCell(bool Vertical, int Row, int Col, int At, bool Decrease);
  void JoinCell(bool Vertical, int Row, int Col, int At, int OldBest);
  // Takes a merge back: cells returned (last first) with their items.
  void Unmerge(TRVMergeStep &Step);
  // Merges a recorded rectangle again (no best width computed); the cells
  // taken go into Step.Cells.
  void Remerge(TRVMergeStep &Step, TCustomRVData *UndoData);

private:
  std::vector<std::unique_ptr<TRVTableRow>> FRows;
};

} // namespace kc
