// The editor's side of table operations: undo groups, recorders, the
// reformat after a change, attribute setters by name, and style
// operations applied to many cells through a headless editor document.
#include <memory>
#include <utility>

#include "platform/MeasuringCanvas.h"
#include "richtext/controls/RVERVData.h"
#include "richtext/controls/RVTableUndo.h"
#include "richtext/tables/RVTable.h"

namespace kc {

namespace {

// The document of one cell while a style operation runs on it: it converts
// styles through the editor that holds the table.
class TRVCellOpData : public TRVEditRVData {
public:
  TRVCellOpData(TRVFormatHost *Host, TRVEditRVData &Root) : TRVEditRVData(Host), FRoot(Root) {}
  int ConvertTextStyle(int StyleNo, int UserData, bool AppliedToText) override {
    return FRoot.ConvertTextStyle(StyleNo, UserData, AppliedToText);
  }
  int ConvertParaStyle(int ParaNo, int UserData, bool AppliedToText) override {
    return FRoot.ConvertParaStyle(ParaNo, UserData, AppliedToText);
  }

private:
  TRVEditRVData &FRoot;
};

// A headless editor document for the cells of a table in Root.
class TRVCellOpEditor {
public:
  explicit TRVCellOpEditor(TRVEditRVData &Root) {
    TCanvas *canvas = Root.GetCanvas();
    if (!canvas) {
      FCanvas = CreateMeasuringCanvas();
      canvas = FCanvas.get();
    }
    FHost = std::make_unique<TRVFixedHost>(canvas, 10000, 1000);
    FHost->Style = Root.GetRVStyle();
    FHost->Options = Root.GetOptions();
    Data = std::make_unique<TRVCellOpData>(FHost.get(), Root);
    Data->UndoList->Limit = -1;
  }
  ~TRVCellOpEditor() {
    // The document goes before the host it asks.
    Data.reset();
  }
  // The cell's items moved in, formatted, all selected.
  void Load(TRVTableCellData &Cell) {
    Data->Clear();
    Data->AssignItemsFrom(&Cell);
    Data->EnsureNotEmpty();
    Data->ReformatAllForced(true);
    Data->SelectWholeDocument();
  }
  // ... and moved back.
  void Unload(TRVTableCellData &Cell) {
    Data->ClearSelection(false);
    Cell.Clear();
    Cell.AssignItemsFrom(Data.get());
    Cell.InvalidateMinWidth();
  }
  std::unique_ptr<TRVEditRVData> Data;

private:
  std::unique_ptr<TCanvas> FCanvas;
  std::unique_ptr<TRVFixedHost> FHost;
};

std::vector<std::unique_ptr<TRVUndoInfos>> TakeGroups(TRVUndoList &List) {
  std::vector<std::unique_ptr<TRVUndoInfos>> groups;
  List.SwapGroups(groups);
  return groups;
}

class TRVEditTableHost : public TRVTableEditHost {
public:
  static TRVEditRVData *Edit(TCustomRVData *Data) { return dynamic_cast<TRVEditRVData *>(Data); }

  std::unique_ptr<TRVTableGridRecorder> MakeRecorder(TCustomRVData *Data, int ItemNo) override {
    TRVEditRVData *d = Edit(Data);
    return d ? RVMakeTableRecorder(*d, ItemNo) : nullptr;
  }
  void CloseCellEditor(TRVTableItemInfo &Table) override { Table.CloseCellEditor(true); }
  bool IsEditor(TCustomRVData *Data) override { return Edit(Data) != nullptr; }
  bool CanRecord(TCustomRVData *Data) override {
    TRVEditRVData *d = Edit(Data);
    return d && d->UndoList->Limit != 0;
  }
  bool CanChange(TCustomRVData *Data) override {
    TRVEditRVData *d = Edit(Data);
    return !d || (!d->IsReadOnly() && d->CanChange());
  }
  void BeginGroup(TCustomRVData *Data) override {
    TRVEditRVData *d = Edit(Data);
    if (!d) return;
    // Inside an open group (group mode) this joins it.
    d->BeginUndoSequence(rvutModifyItem, true);
    d->SetUndoGroupMode(true);
  }
  void EndGroup(TCustomRVData *Data) override {
    TRVEditRVData *d = Edit(Data);
    if (!d) return;
    d->SetUndoGroupMode(false);
    if (d->UndoList->GroupModeCount > 0) return;
    const TRVUndoInfos *last = d->UndoDest == rvudUndo ? d->UndoList->LastGroup() : nullptr;
    const bool recorded = last && !last->Records.empty();
    d->UndoList->RemoveEmptyLastGroup();
    d->FinishEditing(recorded);
  }
  int WidthBefore(TCustomRVData *Data, int ItemNo) override {
    TRVEditRVData *d = Edit(Data);
    return d && ItemNo >= 0 && ItemNo < d->GetItemCount() ? d->RangeMinWidth(ItemNo, ItemNo) : 0;
  }
  void AfterChange(TCustomRVData *Data, int ItemNo, int OldWidth) override {
    TRVEditRVData *d = Edit(Data);
    if (!d || ItemNo < 0 || ItemNo >= d->GetItemCount()) return;
    if (d->DrawLines.Count() > 0) d->ReformatItemAfterChange(ItemNo, OldWidth);
    d->NotifyChange();
  }
  void DeleteTableItem(TCustomRVData *Data, int ItemNo) override {
    TRVEditRVData *d = Edit(Data);
    if (!d || ItemNo < 0 || ItemNo >= d->GetItemCount()) return;
    if (d->DrawLines.Count() == 0) d->ReformatAllForced(true);
    d->SetSelectionBounds(ItemNo, d->GetOffsBeforeItem(ItemNo), ItemNo, d->GetItemEndOffset(ItemNo));
    d->DeleteSelection();
  }
  bool SetIntProperty(TCustomRVData *Data, int ItemNo, TRVIntPropertyHolder *Object, int Row, int Col,
                      std::string_view Name, int Value, bool AffectWidth, bool AffectSize) override {
    TRVEditRVData *d = Edit(Data);
    TRVTableItemInfo *table = d ? RVTableAt(*d, ItemNo) : nullptr;
    if (!table) return false;
    if (Row >= 0 || Col >= 0)
      return RVSetCellIntPropertiesUndoable(*d, ItemNo, Row, Col, {std::string(Name)}, {Value}, AffectWidth,
                                            AffectSize);
    TRVUndoList *dest = d->GetUndoDest();
    const size_t before = dest && dest->LastGroup() ? dest->LastGroup()->Records.size() : 0;
    if (!d->SetItemIntPropertyUndoable(ItemNo, Object, std::string(Name), Value)) return false;
    // The table's own records carry the flags of the property.
    if (dest && dest->LastGroup() && dest->LastGroup()->Records.size() > before)
      if (auto *r = dynamic_cast<TRVUndoModifyItemProps *>(dest->LastGroup()->Records.back().get())) {
        r->SubObject = nullptr;
        r->AffectSize = r->FormatNeeded = AffectSize;
      }
    return true;
  }
  bool SetCellVisibleBorders(TCustomRVData *Data, int ItemNo, int Row, int Col, bool Left, bool Top, bool Right,
                             bool Bottom) override {
    TRVEditRVData *d = Edit(Data);
    return d && RVSetCellVisibleBordersUndoable(*d, ItemNo, Row, Col, Left, Top, Right, Bottom);
  }
  // ---- background pictures
  void RecordBackgroundImage(TCustomRVData *Data, int ItemNo, int Row, int Col,
                             std::unique_ptr<TGraphic> Old) override {
    TRVEditRVData *d = Edit(Data);
    if (!d) return;
    if (auto *r = AddTableUndoRecord<TRVUndoModifyBackgroundImage>(*d, ItemNo, false, false)) {
      r->Row = Row;
      r->Col = Col;
      r->Image = std::move(Old);
    }
  }
  // ---- end of background pictures
  bool ApplyToCells(TCustomRVData *Data, TRVTableItemInfo &Table, int Mode, int UserValue, bool SelectedOnly) override {
    TRVEditRVData *d = Edit(Data);
    const int itemNo = Table.GetMyItemNo();
    if (!d || itemNo < 0) return false;
    TRVUndoMultiCellsModify *rec = AddTableUndoRecord<TRVUndoMultiCellsModify>(*d, itemNo, true, true);
    TRVCellOpEditor ed(*d);
    bool touched = false;
    for (int r = 0; r < Table.RowCount(); ++r)
      for (int c = 0; c < Table.ColCount(); ++c) {
        TRVTableCellData *cell = Table.Cells(r, c);
        if (!cell || (SelectedOnly && !Table.IsCellSelected(r, c))) continue;
        // A cell taken out and put back is formatted again even when
        // nothing in it changed.
        touched = true;
        ed.Load(*cell);
        switch (Mode) {
        case 0: ed.Data->ApplyStyleConversion(UserValue); break;
        case 1: ed.Data->ApplyParaStyle(UserValue); break;
        default: ed.Data->ApplyParaStyleConversion(UserValue); break;
        }
        ed.Data->UndoList->RemoveEmptyLastGroup();
        if (const int n = ed.Data->UndoList->Count(); n > 0) {
          if (rec) {
            rec->Rows.push_back(r);
            rec->Cols.push_back(c);
            rec->GroupCounts.push_back(n);
            for (auto &g : TakeGroups(*ed.Data->UndoList)) rec->Groups.push_back(std::move(g));
          }
        }
        ed.Unload(*cell);
      }
    if (rec && rec->Rows.empty()) {
      // Nothing changed: the record goes again.
      if (TRVUndoList *dest = d->GetUndoDest(); dest && dest->LastGroup() && !dest->LastGroup()->Records.empty())
        dest->LastGroup()->Records.pop_back();
    }
    return touched;
  }
};

TRVEditTableHost GEditTableHost;

} // namespace

void RVRegisterEditTableHost() { RVRegisterTableEditHost(&GEditTableHost); }

void TRVUndoMultiCellsModify::Perform(TRVEditRVData &Data, TRVTableItemInfo &Table) {
  TRVUndoMultiCellsModify *o = RVOppositeRecord(Data, *this);
  if (o) o->IsRedo = !IsRedo;
  TRVCellOpEditor ed(Data);
  size_t next = 0;
  for (size_t k = 0; k < Rows.size() && k < Cols.size() && k < GroupCounts.size(); ++k) {
    TRVTableCellData *cell = Table.Cells(Rows[k], Cols[k]);
    const int n = GroupCounts[k];
    if (!cell) {
      next += size_t(n);
      continue;
    }
    ed.Load(*cell);
    TRVUndoList &from = IsRedo ? *ed.Data->RedoList : *ed.Data->UndoList;
    for (int i = 0; i < n && next < Groups.size(); ++i) from.AppendGroup(std::move(Groups[next++]));
    for (int i = 0; i < n; ++i) {
      if (IsRedo) ed.Data->Redo();
      else ed.Data->Undo();
    }
    TRVUndoList &to = IsRedo ? *ed.Data->UndoList : *ed.Data->RedoList;
    to.RemoveEmptyLastGroup();
    if (o && to.Count() > 0) {
      o->Rows.push_back(Rows[k]);
      o->Cols.push_back(Cols[k]);
      o->GroupCounts.push_back(to.Count());
      for (auto &g : TakeGroups(to)) o->Groups.push_back(std::move(g));
    }
    ed.Unload(*cell);
  }
  Groups.clear();
  Rows.clear();
  Cols.clear();
  GroupCounts.clear();
}

} // namespace kc
