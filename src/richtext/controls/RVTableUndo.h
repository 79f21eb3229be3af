#pragma once
// Undo records of tables. A table operation opens one group of kind 13;
// each grid step adds a record to it. Performing a record makes the
// opposite change on the grid and records the opposite record (the same
// class with the direction flag inverted) wherever the editor records at
// that moment: every record is its own redo. A record that finds no table
// at its item number changes nothing.
#include <memory>
#include <string>
#include <vector>

#include "richtext/controls/RVUndo.h"
#include "richtext/tables/RVTableRecorder.h"

namespace kc {

class TRVTableItemInfo;
class TRVTableRow;
class TRVTableCellData;
class TGraphic;

// The kind byte of every table record.
constexpr uint8_t rvuaTableRecord = 15;

// The table at ItemNo of Data, nullptr when that item is no table.
TRVTableItemInfo *RVTableAt(TRVEditRVData &Data, int ItemNo);

// A new record of class T appended to Data's current undo destination
// (kind 15, ItemNo, the two flags); nullptr when nothing is recorded.
TRVUndoModifyItemProps *AddTableUndoRecord(TRVEditRVData &Data, std::unique_ptr<TRVUndoModifyItemProps> Record,
                                           int ItemNo, bool AffectWidth, bool AffectSize);
template <class T> T *AddTableUndoRecord(TRVEditRVData &Data, int ItemNo, bool AffectWidth, bool AffectSize) {
  return static_cast<T *>(AddTableUndoRecord(Data, std::make_unique<T>(), ItemNo, AffectWidth, AffectSize));
}

// A record of the same class as Self for the opposite step (direction
// flag inverted, same flags); nullptr when nothing is recorded.
template <class T> T *RVOppositeRecord(TRVEditRVData &Data, const T &Self) {
  T *r = AddTableUndoRecord<T>(Data, Self.ItemNo, Self.AffectWidth, Self.AffectSize);
  if (r) r->Flag = !Self.Flag;
  return r;
}

// Common part of the table records: performing checks the table, and
// marks it changed and the document touched afterwards.
class TRVTableUndoInfo : public TRVUndoModifyItemProps {
public:
  bool AffectWidth = true;
  bool Flag = false; // the direction: set in the opposite of a recorded step
  void Undo(TRVEditRVData &Data) final;

protected:
  virtual void Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) = 0;
};

// ------------------------------------------------------------ attributes

// Integer attributes of the cell at (Row, Col), found again when performed.
class TRVUndoModifyCellIntProperty : public TRVUndoModifyItemIntProperty {
public:
  int32_t Row = 0, Col = 0;
  bool AffectWidth = true;
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoModifyCellIntProperties : public TRVUndoModifyItemIntProperties {
public:
  int32_t Row = 0, Col = 0;
  bool AffectWidth = true;
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoModifyCellVisibleBorders : public TRVTableUndoInfo {
public:
  int32_t Row = 0, Col = 0;
  bool Left = true, Top = true, Right = true, Bottom = true; // the old values
protected:
  void Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) override;
};

// The picture of a cell, or of the table (Row and Col -1).
class TRVUndoModifyBackgroundImage : public TRVTableUndoInfo {
public:
  int32_t Row = -1, Col = -1;
  std::unique_ptr<TGraphic> Image; // the old picture, owned
  ~TRVUndoModifyBackgroundImage() override;

protected:
  void Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) override;
};

// ------------------------------------------------------------------ grid

class TRVUndoInsertTableRows : public TRVTableUndoInfo {
public:
  int32_t Index = 0, Count = 0;

protected:
  void Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) override;
};

class TRVUndoInsertTableCell : public TRVTableUndoInfo {
public:
  int32_t Row = 0, Col = 0;

protected:
  void Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) override;
};

class TRVUndoSpreadOverEmptyCells : public TRVTableUndoInfo {
public:
  int32_t Row = 0, Col = 0, ColSpan = 1;

protected:
  void Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) override;
};

class TRVUndoSpan : public TRVTableUndoInfo {
public:
  bool IsColSpan = false;
  int32_t Row = 0, Col = 0, OldSpan = 1;

protected:
  void Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) override;
};

class TRVUndoFreeEmptyCell : public TRVTableUndoInfo {
public:
  int32_t Row = 0, Col = 0, ColCount = 0, RowCount = 0;

protected:
  void Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) override;
};

class TRVUndoInsertEmptyCell : public TRVTableUndoInfo {
public:
  int32_t Row = 0, Col = 0, ColCount = 0, RowCount = 0;

protected:
  void Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) override;
};

// A cell cut in two at SplitAt (a row, or a column for the vertical one).
class TRVUndoCellSpitHorz : public TRVTableUndoInfo {
public:
  bool Decrease = false;
  int32_t Row = 0, Col = 0, SplitAt = 0, OldBest = 0;

protected:
  virtual bool Vertical() const { return false; }
  void Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) override;
};

class TRVUndoCellSpitVert : public TRVUndoCellSpitHorz {
protected:
  bool Vertical() const override { return true; }
};

class TRVUndoDeleteRows : public TRVTableUndoInfo {
public:
  int32_t Index = 0, Count = 0;
  std::vector<std::unique_ptr<TRVTableRow>> Rows; // owned until given back
  ~TRVUndoDeleteRows() override;

protected:
  void Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) override;
};

class TCustomRVUndoWithCells : public TRVTableUndoInfo {
public:
  std::vector<std::unique_ptr<TRVTableCellData>> Cells; // owned until given back
  ~TCustomRVUndoWithCells() override;
};

class TRVUndoDeleteCols : public TCustomRVUndoWithCells {
public:
  int32_t Index = 0, Count = 0;

protected:
  void Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) override;
};

class TRVUndoCellsClear : public TCustomRVUndoWithCells {
public:
  std::vector<int> RowList, ColList;

protected:
  void Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) override;
};

using TRVUndoMergeItem = TRVMergedCell;

class TRVUndoMerge : public TRVTableUndoInfo {
public:
  TRVMergeStep Step; // owns the merged-away cells until given back
  ~TRVUndoMerge() override;

protected:
  void Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) override;
};

// Edits applied to many cells at once, each cell's groups in turn: the
// groups of every cell in one list, with the cells' positions and how many
// groups each has.
class TRVUndoMultiCellsModify : public TRVTableUndoInfo {
public:
  bool IsRedo = false;
  std::vector<std::unique_ptr<TRVUndoInfos>> Groups;
  std::vector<int> Rows, Cols, GroupCounts;

protected:
  void Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) override;
};

// Makes the editor's table host known to the tables (the editor document
// does it when it is made).
void RVRegisterEditTableHost();

// The visible borders of the cell at (Row, Col) set as a record of the
// open group; false when they are the same already.
bool RVSetCellVisibleBordersUndoable(TRVEditRVData &Data, int ItemNo, int Row, int Col, bool Left, bool Top, bool Right,
                                     bool Bottom);

// The grid recorder of a table at ItemNo of Data (the editor's side of
// TRVTableGridRecorder); RVTableEdit.cpp registers the editor host.
std::unique_ptr<TRVTableGridRecorder> RVMakeTableRecorder(TRVEditRVData &Data, int ItemNo);
// Sets integer properties of the cell at (Row, Col) by name as records of
// the open group (TRVUndoModifyCellIntProperty/-ies); false when nothing
// changed.
bool RVSetCellIntPropertiesUndoable(TRVEditRVData &Data, int ItemNo, int Row, int Col,
                                    const std::vector<std::string> &Names, const std::vector<int32_t> &Values,
                                    bool AffectWidth, bool AffectSize);

} // namespace kc
