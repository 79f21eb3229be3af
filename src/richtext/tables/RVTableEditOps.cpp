// The table's public editing operations: grid changes, merging, clearing
// cells and attribute changes by name. Inside an editor each is one undo
// group of kind 13 made through the registered edit host; elsewhere the
// table changes directly.
#include <algorithm>

#include "platform/ScopeGuard.h"
#include "richtext/document/RVCellEditor.h"
#include "richtext/document/RVClasses.h"
#include "richtext/tables/RVTable.h"
#include "richtext/tables/RVTableRecorder.h"

namespace kc {

namespace {

TRVTableEditHost *GHost = nullptr;

// The properties whose changes are recorded, with the flags of their
// records (may change the minimum width, needs formatting).
struct TPropFlags {
  const char *Name;
  bool AffectWidth, AffectSize;
};
constexpr TPropFlags kTableProps[] = {
    {"BestWidth", true, true},
    {"BorderHSpacing", true, true},
    {"BorderWidth", true, true},
    {"CellBorderWidth", true, true},
    {"CellHSpacing", true, true},
    {"CellPadding", true, true},
    {"BorderVSpacing", false, true},
    {"CellVSpacing", false, true},
    {"Color", false, false},
    {"BackgroundStyle", false, false},
    {"HeadingRowCount", false, false},
    {"BorderColor", false, false},
    {"BorderLightColor", false, false},
    {"BorderStyle", false, false},
    {"CellBorderColor", false, false},
    {"CellBorderLightColor", false, false},
    {"CellBorderStyle", false, false},
    {"VRuleWidth", false, false},
    {"VRuleColor", false, false},
    {"HRuleWidth", false, false},
    {"HRuleColor", false, false},
    {"VOutermostRule", false, false},
    {"HOutermostRule", false, false},
};
constexpr TPropFlags kCellProps[] = {
    {"BestWidth", true, true},         {"BestHeight", false, true},        {"Color", false, false},
    {"BorderColor", false, false},     {"BorderLightColor", false, false}, {"VAlign", false, true},
    {"BackgroundStyle", false, false},
};

template <size_t N> bool FindFlags(const TPropFlags (&T)[N], std::string_view Name, bool &W, bool &S) {
  for (const TPropFlags &p : T)
    if (Name == p.Name) {
      W = p.AffectWidth;
      S = p.AffectSize;
      return true;
    }
  return false;
}

} // namespace

TRVTableEditHost *RVTableEditHost() { return GHost; }
void RVRegisterTableEditHost(TRVTableEditHost *Host) { GHost = Host; }

bool TRVTableItemInfo::TablePropertyFlags(std::string_view Name, bool &AffectWidth, bool &AffectSize) {
  return FindFlags(kTableProps, Name, AffectWidth, AffectSize);
}

bool TRVTableItemInfo::CellPropertyFlags(std::string_view Name, bool &AffectWidth, bool &AffectSize) {
  return FindFlags(kCellProps, Name, AffectWidth, AffectSize);
}

// ------------------------------------------------------------ the editor

namespace {

// The document holding the table when the table is inserted in one.
TCustomRVData *HoldingDoc(const TRVTableItemInfo &T) {
  return (T.State & rvtsInserted) ? T.Rows().MainRVData : nullptr;
}

} // namespace

bool TRVTableItemInfo::CanRecordUndo() const {
  TCustomRVData *doc = HoldingDoc(*this);
  return GHost && doc && GHost->CanRecord(doc) && GetMyItemNo() >= 0;
}

int TRVTableItemInfo::GetItemNoForUndo() const { return CanRecordUndo() ? GetMyItemNo() : -1; }

bool TRVTableItemInfo::CanChange() const {
  TCustomRVData *doc = HoldingDoc(*this);
  return !(GHost && doc) || GHost->CanChange(doc);
}

void TRVTableItemInfo::BeginTableUndoGroup() {
  if (TCustomRVData *doc = HoldingDoc(*this); GHost && doc) GHost->BeginGroup(doc);
}

void TRVTableItemInfo::EndTableUndoGroup() {
  if (TCustomRVData *doc = HoldingDoc(*this); GHost && doc) GHost->EndGroup(doc);
}

void TRVTableItemInfo::Changed() {
  FFormattingInfo->Clear();
  FFormattingInfo->TableWidth = 0;
  FPressedCell = nullptr;
  FHitRow = FHitCol = -1;
  InvalidateLayout();
}

template <class F> void TRVTableItemInfo::RunGridOp(F &&Op) {
  TCustomRVData *doc = HoldingDoc(*this);
  TRVTableEditHost *host = doc ? GHost : nullptr;
  if (host) {
    if (!host->CanChange(doc)) return;
    host->CloseCellEditor(*this);
  }
  const int oldWidth = host ? host->WidthBefore(doc, GetMyItemNo()) : 0;
  {
    BeginTableUndoGroup();
    const ScopeGuard endGroup([this] { EndTableUndoGroup(); });
    const int itemNo = GetItemNoForUndo();
    std::unique_ptr<TRVTableGridRecorder> rec = host && itemNo >= 0 ? host->MakeRecorder(doc, itemNo) : nullptr;
    Op(rec.get());
    rec.reset();
    Changed();
  }
  if (host) host->AfterChange(doc, GetMyItemNo(), oldWidth);
}

// ------------------------------------------------------------ grid

void TRVTableItemInfo::InsertRows(int Index, int Count, int CopyIndex, bool Select) {
  if (Index < 0 || Index > RowCount() || CopyIndex < -1 || CopyIndex >= RowCount() || Count < 0)
    throw ERichVistaError("Invalid row or column index");
  Deselect();
  RunGridOp([&](TRVTableGridRecorder *Rec) { FRows->InsertRows(Index, Count, CopyIndex, false, Rec); });
  if (Select && Count > 0) SelectRows(Index, Count);
}

void TRVTableItemInfo::InsertCols(int Index, int Count, int CopyIndex, bool Select) {
  if (Index < 0 || Index > ColCount() || CopyIndex < -1 || CopyIndex >= ColCount() || Count < 0)
    throw ERichVistaError("Invalid row or column index");
  Deselect();
  RunGridOp([&](TRVTableGridRecorder *Rec) { FRows->InsertCols(Index, Count, CopyIndex, false, Rec); });
  if (Select && Count > 0 && RowCount() > 0) SelectCols(Index, Count);
}

namespace {

// Deleting every row or column of a table inside an editor deletes the
// table item itself: a table without cells could never get any back.
bool DeleteWholeTable(TRVTableItemInfo &T) {
  TCustomRVData *doc = HoldingDoc(T);
  TRVTableEditHost *host = doc ? RVTableEditHost() : nullptr;
  const int itemNo = T.GetMyItemNo();
  if (!host || itemNo < 0 || !host->CanChange(doc)) return false;
  host->CloseCellEditor(T);
  // The table may be freed at once (nothing recorded): nothing of it is
  // touched afterwards.
  host->DeleteTableItem(doc, itemNo);
  return true;
}

} // namespace

void TRVTableItemInfo::EditedOrSelectedCell(int &Row, int &Col) const {
  int top = 0, left = 0, rows = 0, cols = 0;
  if (FCellEditor) {
    Row = FCellEditor->Row;
    Col = FCellEditor->Col;
  } else if (GetNormalizedSelectionBounds(top, left, rows, cols)) {
    Row = top;
    Col = left;
  }
}

void TRVTableItemInfo::ReopenCellEditor(int Row, int Col) {
  // Only where cells are edited at all: in an editor that allows changes.
  TCustomRVData *doc = HoldingDoc(*this);
  if (FRows->IsEmpty() || !Options.Has(rvtoEditing) || !GHost || !doc || !GHost->IsEditor(doc) ||
      !GHost->CanChange(doc))
    return;
  OpenCellEditor(-1, std::clamp(Row, 0, RowCount() - 1), std::clamp(Col, 0, ColCount() - 1), rvceCaretAtStart);
}

void TRVTableItemInfo::DeleteRows(int Index, int Count, bool DecreaseHeight) {
  const int rows = RowCount();
  if (FRows->IsEmpty()) return;
  if (Index < 0 || Index >= rows || Count < 1 || (Index == 0 && Count > rows))
    throw ERichVistaError("Invalid row or column index");
  int row = Index, col = 0;
  EditedOrSelectedCell(row, col);
  if (row >= Index + Count) row -= Count;
  Deselect();
  if (Index == 0 && Count == rows && DeleteWholeTable(*this)) return;
  RunGridOp([&](TRVTableGridRecorder *Rec) { FRows->DeleteRows(Index, Count, DecreaseHeight, Rec); });
  ReopenCellEditor(row, col);
}

void TRVTableItemInfo::DeleteCols(int Index, int Count, bool DecreaseWidth) {
  const int cols = ColCount();
  if (FRows->IsEmpty()) return;
  if (Index < 0 || Index >= cols || Count < 1 || (Index == 0 && Count > cols))
    throw ERichVistaError("Invalid row or column index");
  int row = 0, col = Index;
  EditedOrSelectedCell(row, col);
  if (col >= Index + Count) col -= Count;
  Deselect();
  if (Index == 0 && Count == cols && DeleteWholeTable(*this)) return;
  RunGridOp([&](TRVTableGridRecorder *Rec) { FRows->DeleteCols(Index, Count, DecreaseWidth, Rec); });
  ReopenCellEditor(row, col);
}

void TRVTableItemInfo::DeleteSelectedRows() {
  int top = 0, left = 0, rows = 0, cols = 0;
  if (GetNormalizedSelectionBounds(top, left, rows, cols)) DeleteRows(top, rows, true);
}

void TRVTableItemInfo::DeleteSelectedCols() {
  int top = 0, left = 0, rows = 0, cols = 0;
  if (GetNormalizedSelectionBounds(top, left, rows, cols)) DeleteCols(left, cols, true);
}

void TRVTableItemInfo::DeleteEmptyRows() {
  // All of them one step.
  BeginTableUndoGroup();
  const ScopeGuard endGroup([this] { EndTableUndoGroup(); });
  for (int r = RowCount() - 1; r >= 0; --r) {
    bool own = false;
    for (int c = 0; c < ColCount() && !own; ++c) own = Cells(r, c) != nullptr;
    if (!own && RowCount() > 1) DeleteRows(r, 1, false);
  }
}

void TRVTableItemInfo::MergeCells(int TopRow, int LeftCol, int ColSpan, int RowSpan, bool AllowDegenerateMerge) {
  if (TopRow < 0 || TopRow >= RowCount() || LeftCol < 0 || LeftCol >= ColCount())
    throw ERichVistaError("Invalid row or column index");
  TRVTableRows::TRVMergeResult result = TRVTableRows::rvmrNothing;
  Deselect();
  RunGridOp([&](TRVTableGridRecorder *Rec) {
    result = FRows->MergeCells(TopRow, LeftCol, ColSpan, RowSpan, AllowDegenerateMerge, true, Rec);
  });
  if (result == TRVTableRows::rvmrRefused)
    if (TCustomRVData *doc = FRows->MainRVData) doc->Beep();
}

void TRVTableItemInfo::MergeSelectedCells(bool AllowDegenerateMerge) {
  int top = 0, left = 0, rows = 0, cols = 0;
  if (GetNormalizedSelectionBounds(top, left, rows, cols)) MergeCells(top, left, cols, rows, AllowDegenerateMerge);
}

bool TRVTableItemInfo::CanDeleteSelectedCellsContents() const {
  TCustomRVData *doc = HoldingDoc(*this);
  if (!Options.Has(rvtoEditing) || !HasCellSelection() || !GHost || !doc || !GHost->IsEditor(doc) ||
      !GHost->CanChange(doc))
    return false;
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c)
      if (TRVTableCellData *cell = Cells(r, c); cell && IsCellSelected(r, c) && !cell->CanClear()) return false;
  return true;
}

void TRVTableItemInfo::DeleteSelectedCellsContents() {
  if (!HasCellSelection() || !CanChange()) return;
  std::vector<int> rows, cols;
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c)
      if (TRVTableCellData *cell = Cells(r, c); cell && IsCellSelected(r, c) && cell->CanClear()) {
        rows.push_back(r);
        cols.push_back(c);
      }
  if (rows.empty()) return;
  RunGridOp([&](TRVTableGridRecorder *Rec) { FRows->ClearCells(rows, cols, Rec); });
  UpdateCellSelection();
}

void TRVTableItemInfo::ApplyToSelectedCells(int Mode, int UserValue) {
  TCustomRVData *doc = HoldingDoc(*this);
  if (!Options.Has(rvtoEditing) || !HasCellSelection() || !GHost || !doc || !GHost->CanChange(doc)) return;
  GHost->CloseCellEditor(*this);
  const int oldWidth = GHost->WidthBefore(doc, GetMyItemNo());
  BeginTableUndoGroup();
  const bool changed = GHost->ApplyToCells(doc, *this, Mode, UserValue, true);
  if (changed) Changed();
  EndTableUndoGroup();
  if (changed) GHost->AfterChange(doc, GetMyItemNo(), oldWidth);
}

// ------------------------------------------------------------ attributes

namespace {

// Sets one attribute of Object (the table, or its cell at Row, Col) by
// name: recorded in an editor, else written directly.
bool SetPropertyUndoable(TRVTableItemInfo &T, TRVIntPropertyHolder *Object, int Row, int Col, std::string_view Name,
                         int Value, bool AffectWidth, bool AffectSize) {
  int old = 0;
  if (!Object->GetIntPropertyByName(Name, old)) return false;
  if (old == Value) return false;
  TCustomRVData *doc = HoldingDoc(T);
  TRVTableEditHost *host = doc ? RVTableEditHost() : nullptr;
  bool changed = false;
  if (host && T.CanRecordUndo()) {
    if (!host->CanChange(doc)) return false;
    // An open cell editor stays: the group below takes what was typed in it
    // so far as a step of its own first.
    const int oldWidth = host->WidthBefore(doc, T.GetMyItemNo());
    T.BeginTableUndoGroup();
    changed = host->SetIntProperty(doc, T.GetMyItemNo(), Object, Row, Col, Name, Value, AffectWidth, AffectSize);
    if (changed) T.Changed();
    T.EndTableUndoGroup();
    if (changed) host->AfterChange(doc, T.GetMyItemNo(), oldWidth);
    if (changed)
      if (TRVCellEditor *e = T.GetCellEditor()) e->CellChanged();
    return changed;
  }
  const int oldWidth = host ? host->WidthBefore(doc, T.GetMyItemNo()) : 0;
  Object->SetIntPropertyByName(Name, Value);
  int now = 0;
  Object->GetIntPropertyByName(Name, now);
  changed = now != old;
  if (changed) {
    if (auto *cell = dynamic_cast<TRVTableCellData *>(Object)) cell->InvalidateMinWidth();
    T.Changed();
    if (host) host->AfterChange(doc, T.GetMyItemNo(), oldWidth);
    if (TRVCellEditor *e = T.GetCellEditor()) e->CellChanged();
  }
  return changed;
}

} // namespace

bool TRVTableItemInfo::SetTablePropertyUndoable(std::string_view Name, int Value) {
  bool w = true, s = true;
  if (!TablePropertyFlags(Name, w, s)) {
    // Plain fields (options, separators): no undo.
    int old = 0;
    if (!GetIntPropertyByName(Name, old) || old == Value) return false;
    SetIntPropertyByName(Name, Value);
    Changed();
    return true;
  }
  return SetPropertyUndoable(*this, this, -1, -1, Name, Value, w, s);
}

bool TRVTableItemInfo::SetCellPropertyUndoable(int Row, int Col, std::string_view Name, int Value) {
  TRVTableCellData *cell = Cells(Row, Col);
  if (!cell) throw ERichVistaError("Invalid row or column index");
  bool w = true, s = true;
  if (!CellPropertyFlags(Name, w, s)) return false;
  return SetPropertyUndoable(*this, cell, Row, Col, Name, Value, w, s);
}

bool TRVTableItemInfo::SetCellBestWidth(int Value, int Row, int Col) {
  return SetCellPropertyUndoable(Row, Col, "BestWidth", Value);
}

bool TRVTableItemInfo::SetCellBestHeight(int Value, int Row, int Col) {
  return SetCellPropertyUndoable(Row, Col, "BestHeight", Value);
}

bool TRVTableItemInfo::SetCellVisibleBorders(int Row, int Col, bool Left, bool Top, bool Right, bool Bottom) {
  TRVTableCellData *cell = Cells(Row, Col);
  if (!cell) throw ERichVistaError("Invalid row or column index");
  if (cell->VisibleBorders.IsEqualValues(Left, Top, Right, Bottom)) return false;
  TCustomRVData *doc = HoldingDoc(*this);
  const int oldWidth = GHost && doc ? GHost->WidthBefore(doc, GetMyItemNo()) : 0;
  if (GHost && doc && CanRecordUndo()) {
    if (!GHost->CanChange(doc)) return false;
    BeginTableUndoGroup();
    GHost->SetCellVisibleBorders(doc, GetMyItemNo(), Row, Col, Left, Top, Right, Bottom);
    EndTableUndoGroup();
  } else {
    cell->VisibleBorders.SetValues(Left, Top, Right, Bottom);
  }
  Changed();
  if (GHost && doc) GHost->AfterChange(doc, GetMyItemNo(), oldWidth);
  return true;
}

} // namespace kc
