// The table undo records: what each does when performed, and the grid
// recorder that writes them while a table operation runs.
#include "richtext/controls/RVTableUndo.h"

#include <utility>

#include "richtext/controls/RVERVData.h"
#include "richtext/tables/RVTable.h"

namespace kc {

TRVTableItemInfo *RVTableAt(TRVEditRVData &Data, int ItemNo) {
  if (ItemNo < 0 || ItemNo >= Data.GetItemCount()) return nullptr;
  return dynamic_cast<TRVTableItemInfo *>(Data.GetItem(ItemNo));
}

TRVUndoModifyItemProps *AddTableUndoRecord(TRVEditRVData &Data, std::unique_ptr<TRVUndoModifyItemProps> Record,
                                           int ItemNo, bool AffectWidth, bool AffectSize) {
  TRVUndoList *dest = Data.GetUndoDest();
  if (!dest || !dest->LastGroup()) return nullptr;
  Record->Action = rvuaTableRecord;
  Record->ItemNo = ItemNo;
  Record->AffectSize = AffectSize;
  Record->FormatNeeded = AffectSize;
  if (auto *t = dynamic_cast<TRVTableUndoInfo *>(Record.get())) t->AffectWidth = AffectWidth;
  TRVUndoModifyItemProps *r = Record.get();
  dest->AddUndoRecord(std::move(Record));
  return r;
}

namespace {

// Runs Change on the table at ItemNo and tells the document what moved:
// the table's paragraph is formatted again, the whole document when its
// minimum width may have moved past the document's.
template <class F>
void ChangeTable(TRVEditRVData &Data, int ItemNo, TRVTableItemInfo &Table, bool AffectWidth, F &&Change) {
  const int before = AffectWidth ? Data.WidthBefore(ItemNo, ItemNo) : 0;
  Change();
  Table.Changed();
  Data.TouchItems(ItemNo, ItemNo);
  if (AffectWidth) Data.NoteWidthChange(before, Data.RangeMinWidth(ItemNo, ItemNo));
}

} // namespace

void TRVTableUndoInfo::Undo(TRVEditRVData &Data) {
  TRVTableItemInfo *table = RVTableAt(Data, ItemNo);
  if (!table) return;
  ChangeTable(Data, ItemNo, *table, AffectWidth, [&] { Perform(Data, *table); });
}

// ------------------------------------------------------------ attributes

namespace {

// Property records of a cell: the generic record that the editor's
// property setter wrote is replaced by one that finds its cell again by
// position (the cell object may be another one by the time it is performed).
template <class Rec, class Generic>
void ReplaceWithCellRecord(TRVUndoList *Dest, size_t Before, int Row, int Col, bool AffectWidth, bool AffectSize) {
  if (!Dest || !Dest->LastGroup()) return;
  auto &records = Dest->LastGroup()->Records;
  if (records.size() <= Before) return;
  auto *generic = dynamic_cast<Generic *>(records.back().get());
  if (!generic) return;
  auto rec = std::make_unique<Rec>();
  if constexpr (std::is_same_v<Generic, TRVUndoModifyItemIntProperty>) {
    rec->PropName = std::move(generic->PropName);
    rec->Value = generic->Value;
  } else {
    rec->PropNames = std::move(generic->PropNames);
    rec->Values = std::move(generic->Values);
  }
  rec->Action = rvuaTableRecord;
  rec->ItemNo = generic->ItemNo;
  rec->List = generic->List;
  rec->Row = Row;
  rec->Col = Col;
  rec->AffectWidth = AffectWidth;
  rec->AffectSize = rec->FormatNeeded = AffectSize;
  records.back() = std::move(rec);
}

} // namespace

bool RVSetCellIntPropertiesUndoable(TRVEditRVData &Data, int ItemNo, int Row, int Col,
                                    const std::vector<std::string> &Names, const std::vector<int32_t> &Values,
                                    bool AffectWidth, bool AffectSize) {
  TRVTableItemInfo *table = RVTableAt(Data, ItemNo);
  TRVTableCellData *cell = table ? table->Cells(Row, Col) : nullptr;
  if (!cell) return false;
  TRVUndoList *dest = Data.GetUndoDest();
  const size_t before = dest && dest->LastGroup() ? dest->LastGroup()->Records.size() : 0;
  if (!Data.SetItemIntPropertiesUndoable(ItemNo, cell, Names, Values)) return false;
  cell->InvalidateMinWidth();
  table->Changed();
  ReplaceWithCellRecord<TRVUndoModifyCellIntProperty, TRVUndoModifyItemIntProperty>(dest, before, Row, Col, AffectWidth,
                                                                                    AffectSize);
  ReplaceWithCellRecord<TRVUndoModifyCellIntProperties, TRVUndoModifyItemIntProperties>(dest, before, Row, Col,
                                                                                        AffectWidth, AffectSize);
  return true;
}

void TRVUndoModifyCellIntProperty::Undo(TRVEditRVData &Data) {
  RVSetCellIntPropertiesUndoable(Data, ItemNo, Row, Col, {PropName}, {Value}, AffectWidth, AffectSize);
}

void TRVUndoModifyCellIntProperties::Undo(TRVEditRVData &Data) {
  RVSetCellIntPropertiesUndoable(Data, ItemNo, Row, Col, PropNames, Values, AffectWidth, AffectSize);
}

bool RVSetCellVisibleBordersUndoable(TRVEditRVData &Data, int ItemNo, int Row, int Col, bool Left, bool Top, bool Right,
                                     bool Bottom) {
  TRVTableItemInfo *table = RVTableAt(Data, ItemNo);
  TRVTableCellData *cell = table ? table->Cells(Row, Col) : nullptr;
  if (!cell || cell->VisibleBorders.IsEqualValues(Left, Top, Right, Bottom)) return false;
  if (auto *r = AddTableUndoRecord<TRVUndoModifyCellVisibleBorders>(Data, ItemNo, false, false)) {
    r->Row = Row;
    r->Col = Col;
    r->Left = cell->VisibleBorders.Left;
    r->Top = cell->VisibleBorders.Top;
    r->Right = cell->VisibleBorders.Right;
    r->Bottom = cell->VisibleBorders.Bottom;
  }
  cell->VisibleBorders.SetValues(Left, Top, Right, Bottom);
  Data.TouchItems(ItemNo, ItemNo);
  return true;
}

void TRVUndoModifyCellVisibleBorders::Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) {
  (void)Table;
  RVSetCellVisibleBordersUndoable(Data, ItemNo, Row, Col, Left, Top, Right, Bottom);
}

TRVUndoModifyBackgroundImage::~TRVUndoModifyBackgroundImage() = default;

void TRVUndoModifyBackgroundImage::Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) {
  TRVTableCellData *cell = Row >= 0 && Col >= 0 ? Table.Cells(Row, Col) : nullptr;
  if ((Row >= 0 || Col >= 0) && !cell) return;
  // The pictures change hands; none is copied.
  std::unique_ptr<TGraphic> now = cell ? cell->ReleaseBackgroundImage() : Table.ReleaseBackgroundImage();
  if (auto *o = RVOppositeRecord(Data, *this)) {
    o->Row = Row;
    o->Col = Col;
    o->Image = std::move(now);
  }
  if (cell) cell->TakeBackgroundImage(std::move(Image));
  else Table.TakeBackgroundImage(std::move(Image));
}

// ------------------------------------------------------------------ grid

void TRVUndoInsertTableRows::Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) {
  if (auto *o = RVOppositeRecord(Data, *this)) {
    o->Index = Index;
    o->Count = Count;
  }
  if (!Flag) Table.Rows().FreeRows(Index, Count);
  else Table.Rows().InsertNewRows(Index, Count);
}

void TRVUndoInsertTableCell::Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) {
  if (Row < 0 || Row >= Table.RowCount()) return;
  if (auto *o = RVOppositeRecord(Data, *this)) {
    o->Row = Row;
    o->Col = Col;
  }
  TRVTableRow *row = Table.Rows().Items(Row);
  if (!Flag) row->DeleteSlots(Col, 1);
  else row->InsertCell(Col);
}

void TRVUndoSpreadOverEmptyCells::Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) {
  if (auto *o = RVOppositeRecord(Data, *this)) {
    o->Row = Row;
    o->Col = Col;
    o->ColSpan = ColSpan;
  }
  if (!Flag) Table.Rows().UnspreadCell(Row, Col);
  else Table.Rows().SpreadCell(Row, Col, ColSpan);
}

void TRVUndoSpan::Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) {
  TRVTableCellData *cell = Table.Cells(Row, Col);
  if (!cell) return;
  if (auto *o = RVOppositeRecord(Data, *this)) {
    o->IsColSpan = IsColSpan;
    o->Row = Row;
    o->Col = Col;
    o->OldSpan = IsColSpan ? cell->ColSpan : cell->RowSpan;
  }
  (IsColSpan ? cell->ColSpan : cell->RowSpan) = OldSpan;
}

void TRVUndoFreeEmptyCell::Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) {
  if (auto *o = RVOppositeRecord(Data, *this)) {
    o->Row = Row;
    o->Col = Col;
    o->ColCount = ColCount;
    o->RowCount = RowCount;
  }
  if (!Flag) Table.Rows().FillBlock(Row, Col, ColCount, RowCount);
  else Table.Rows().FreeBlock(Row, Col, ColCount, RowCount);
}

void TRVUndoInsertEmptyCell::Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) {
  if (auto *o = RVOppositeRecord(Data, *this)) {
    o->Row = Row;
    o->Col = Col;
    o->ColCount = ColCount;
    o->RowCount = RowCount;
  }
  if (!Flag) Table.Rows().DeleteSlotBlock(Row, Col, ColCount, RowCount);
  else Table.Rows().InsertEmptySlots(Row, Col, ColCount, RowCount);
}

void TRVUndoCellSpitHorz::Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) {
  TRVTableCellData *cell = Table.Cells(Row, Col);
  if (!cell) return;
  // The opposite is of this record's own class (a vertical cut stays one).
  TRVUndoCellSpitHorz *o = Vertical() ? AddTableUndoRecord<TRVUndoCellSpitVert>(Data, ItemNo, AffectWidth, AffectSize)
                                      : AddTableUndoRecord<TRVUndoCellSpitHorz>(Data, ItemNo, AffectWidth, AffectSize);
  if (o) {
    o->Flag = !Flag;
    o->Decrease = Decrease;
    o->Row = Row;
    o->Col = Col;
    o->SplitAt = SplitAt;
    o->OldBest = Vertical() ? cell->BestWidth : cell->BestHeight;
  }
  if (!Flag) Table.Rows().JoinCell(Vertical(), Row, Col, SplitAt, OldBest);
  else Table.Rows().SplitCell(Vertical(), Row, Col, SplitAt, Decrease);
}

TRVUndoDeleteRows::~TRVUndoDeleteRows() = default;

void TRVUndoDeleteRows::Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) {
  auto *o = RVOppositeRecord(Data, *this);
  if (o) {
    o->Index = Index;
    o->Count = Count;
  }
  if (!Flag) {
    Table.Rows().PutRows(Index, Rows);
  } else if (o) {
    o->Rows = Table.Rows().TakeRows(Index, Count, &Data);
  } else {
    Table.Rows().FreeRows(Index, Count);
  }
}

TCustomRVUndoWithCells::~TCustomRVUndoWithCells() = default;

void TRVUndoDeleteCols::Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) {
  auto *o = RVOppositeRecord(Data, *this);
  if (o) {
    o->Index = Index;
    o->Count = Count;
  }
  if (!Flag) {
    Table.Rows().PutCols(Index, Cells);
  } else if (o) {
    o->Cells = Table.Rows().TakeCols(Index, Count, &Data);
  } else {
    Table.Rows().DeleteSlotBlock(0, Index, Count, Table.RowCount());
  }
}

void TRVUndoCellsClear::Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) {
  if (!Flag) {
    // The empty cells go; the stored ones come back.
    if (auto *o = RVOppositeRecord(Data, *this)) {
      o->RowList = RowList;
      o->ColList = ColList;
    }
    for (size_t i = 0; i < RowList.size() && i < Cells.size(); ++i) {
      if (!Cells[i]) continue;
      const int r = RowList[i], c = ColList[i];
      if (r < 0 || r >= Table.RowCount()) continue;
      TRVTableCellData *cell = Cells[i].get();
      Table.Rows().Items(r)->Put(c, std::move(Cells[i]));
      cell->MovingFromUndoList();
    }
    Cells.clear();
    return;
  }
  // Cleared again: the recorder of the opposite takes the removed cells.
  struct TCollect : TRVTableGridRecorder {
    TRVEditRVData *D;
    TRVUndoCellsClear *Into;
    TCustomRVData *UndoData() const override { return D; }
    void Terminator(bool) override {}
    void Span(int, int, bool, int) override {}
    void InsertEmptyCell(int, int, int, int) override {}
    void FreeEmptyCell(int, int, int, int) override {}
    void InsertTableCell(int, int) override {}
    void InsertTableRows(int, int) override {}
    void SpreadOverEmptyCells(int, int, int) override {}
    void CellSplit(bool, int, int, int, int, bool) override {}
    void DeleteRows(int, int, std::vector<std::unique_ptr<TRVTableRow>>) override {}
    void DeleteCols(int, int, std::vector<std::unique_ptr<TRVTableCellData>>) override {}
    void Merge(TRVMergeStep) override {}
    void CellsClear(const std::vector<int> &R, const std::vector<int> &C,
                    std::vector<std::unique_ptr<TRVTableCellData>> Cells) override {
      if (!Into) return;
      Into->RowList = R;
      Into->ColList = C;
      Into->Cells = std::move(Cells);
    }
    void SetCellInt(int, int, std::string_view, int, bool, bool) override {}
    void AssignCellAttributes(int, int, const TRVTableCellData &, bool, int, int) override {}
  } collect;
  collect.D = &Data;
  collect.Into = RVOppositeRecord(Data, *this);
  Table.Rows().ClearCells(RowList, ColList, &collect);
}

TRVUndoMerge::~TRVUndoMerge() = default;

void TRVUndoMerge::Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) {
  auto *o = RVOppositeRecord(Data, *this);
  if (!Flag) {
    Table.Rows().Unmerge(Step);
    if (o) {
      o->Step.Row = Step.Row;
      o->Step.Col = Step.Col;
      o->Step.OldColSpan = Step.OldColSpan;
      o->Step.OldRowSpan = Step.OldRowSpan;
      o->Step.ColSpan = Step.ColSpan;
      o->Step.RowSpan = Step.RowSpan;
      o->Step.OldBestWidth = Step.OldBestWidth;
      o->Step.MergedBestWidth = Step.MergedBestWidth;
    }
  } else {
    TRVMergeStep step;
    step.Row = Step.Row;
    step.Col = Step.Col;
    step.OldColSpan = Step.OldColSpan;
    step.OldRowSpan = Step.OldRowSpan;
    step.ColSpan = Step.ColSpan;
    step.RowSpan = Step.RowSpan;
    step.OldBestWidth = Step.OldBestWidth;
    step.MergedBestWidth = Step.MergedBestWidth;
    Table.Rows().Remerge(step, o ? static_cast<TCustomRVData *>(&Data) : nullptr);
    if (o) o->Step = std::move(step);
  }
}

// ------------------------------------------------------------ the recorder

namespace {

class TRVTableRecorderImpl : public TRVTableGridRecorder {
public:
  TRVTableRecorderImpl(TRVEditRVData &Data, int ItemNo) : D(Data), N(ItemNo) {}
  TCustomRVData *UndoData() const override { return &D; }
  void Terminator(bool Opening) override { D.AddModifyItemTerminator(N, Opening); }
  void Span(int Row, int Col, bool IsColSpan, int OldSpan) override {
    if (auto *r = AddTableUndoRecord<TRVUndoSpan>(D, N, IsColSpan, true)) {
      r->IsColSpan = IsColSpan;
      r->Row = Row;
      r->Col = Col;
      r->OldSpan = OldSpan;
    }
  }
  template <class T> void Block(int Row, int Col, int ColCount, int RowCount) {
    if (auto *r = AddTableUndoRecord<T>(D, N, true, true)) {
      r->Row = Row;
      r->Col = Col;
      r->ColCount = ColCount;
      r->RowCount = RowCount;
    }
  }
  void InsertEmptyCell(int Row, int Col, int ColCount, int RowCount) override {
    Block<TRVUndoInsertEmptyCell>(Row, Col, ColCount, RowCount);
  }
  void FreeEmptyCell(int Row, int Col, int ColCount, int RowCount) override {
    Block<TRVUndoFreeEmptyCell>(Row, Col, ColCount, RowCount);
  }
  void InsertTableCell(int Row, int Col) override {
    if (auto *r = AddTableUndoRecord<TRVUndoInsertTableCell>(D, N, true, true)) {
      r->Row = Row;
      r->Col = Col;
    }
  }
  void InsertTableRows(int Index, int Count) override {
    if (auto *r = AddTableUndoRecord<TRVUndoInsertTableRows>(D, N, true, true)) {
      r->Index = Index;
      r->Count = Count;
    }
  }
  void SpreadOverEmptyCells(int Row, int Col, int ColSpan) override {
    if (auto *r = AddTableUndoRecord<TRVUndoSpreadOverEmptyCells>(D, N, true, true)) {
      r->Row = Row;
      r->Col = Col;
      r->ColSpan = ColSpan;
    }
  }
  void CellSplit(bool Vertical, int Row, int Col, int SplitAt, int OldBest, bool Decrease) override {
    TRVUndoCellSpitHorz *r = Vertical ? AddTableUndoRecord<TRVUndoCellSpitVert>(D, N, true, true)
                                      : AddTableUndoRecord<TRVUndoCellSpitHorz>(D, N, false, true);
    if (!r) return;
    r->Decrease = Decrease;
    r->Row = Row;
    r->Col = Col;
    r->SplitAt = SplitAt;
    r->OldBest = OldBest;
  }
  void DeleteRows(int Index, int Count, std::vector<std::unique_ptr<TRVTableRow>> Rows) override {
    if (auto *r = AddTableUndoRecord<TRVUndoDeleteRows>(D, N, true, true)) {
      r->Index = Index;
      r->Count = Count;
      r->Rows = std::move(Rows);
    }
  }
  void DeleteCols(int Index, int Count, std::vector<std::unique_ptr<TRVTableCellData>> Cells) override {
    if (auto *r = AddTableUndoRecord<TRVUndoDeleteCols>(D, N, true, true)) {
      r->Index = Index;
      r->Count = Count;
      r->Cells = std::move(Cells);
    }
  }
  void Merge(TRVMergeStep Step) override {
    if (auto *r = AddTableUndoRecord<TRVUndoMerge>(D, N, true, true)) r->Step = std::move(Step);
  }
  void CellsClear(const std::vector<int> &Rows, const std::vector<int> &Cols,
                  std::vector<std::unique_ptr<TRVTableCellData>> Cells) override {
    if (auto *r = AddTableUndoRecord<TRVUndoCellsClear>(D, N, true, true)) {
      r->RowList = Rows;
      r->ColList = Cols;
      r->Cells = std::move(Cells);
    }
  }
  void SetCellInt(int Row, int Col, std::string_view Name, int Value, bool AffectWidth, bool AffectSize) override {
    RVSetCellIntPropertiesUndoable(D, N, Row, Col, {std::string(Name)}, {Value}, AffectWidth, AffectSize);
  }
  void AssignCellAttributes(int Row, int Col, const TRVTableCellData &Source, bool IncludeSize, int HeightDivisor,
                            int WidthDivisor) override {
    TRVTableItemInfo *table = RVTableAt(D, N);
    TRVTableCellData *cell = table ? table->Cells(Row, Col) : nullptr;
    if (!cell) return;
    const TRVBooleanRect &b = Source.VisibleBorders;
    RVSetCellVisibleBordersUndoable(D, N, Row, Col, b.Left, b.Top, b.Right, b.Bottom);
    if (Source.GetBackgroundImage() != nullptr || cell->GetBackgroundImage() != nullptr) {
      if (auto *r = AddTableUndoRecord<TRVUndoModifyBackgroundImage>(D, N, false, false)) {
        r->Row = Row;
        r->Col = Col;
        if (const TGraphic *old = cell->GetBackgroundImage()) r->Image = old->clone();
      }
      cell->SetBackgroundImage(Source.GetBackgroundImage());
    }
    cell->BackgroundImageFileName = Source.BackgroundImageFileName;
    std::vector<std::string> names{"Color", "BorderColor", "BorderLightColor", "VAlign", "BackgroundStyle"};
    std::vector<int32_t> values{int32_t(Source.Color), int32_t(Source.BorderColor), int32_t(Source.BorderLightColor),
                                int32_t(Source.VAlign), int32_t(Source.GetBackgroundStyle())};
    if (IncludeSize) {
      names.push_back("BestWidth");
      values.push_back(WidthDivisor != 0 ? Source.BestWidth / WidthDivisor : Source.BestWidth);
      names.push_back("BestHeight");
      values.push_back(HeightDivisor != 0 ? Source.BestHeight / HeightDivisor : Source.BestHeight);
    }
    RVSetCellIntPropertiesUndoable(D, N, Row, Col, names, values, IncludeSize, IncludeSize);
  }

private:
  TRVEditRVData &D;
  int N;
};

} // namespace

std::unique_ptr<TRVTableGridRecorder> RVMakeTableRecorder(TRVEditRVData &Data, int ItemNo) {
  if (!Data.GetUndoDest() || !RVTableAt(Data, ItemNo)) return nullptr;
  return std::make_unique<TRVTableRecorderImpl>(Data, ItemNo);
}

} // namespace kc
