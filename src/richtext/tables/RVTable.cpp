#include "richtext/tables/RVTable.h"

#include <algorithm>

#include "platform/MeasuringCanvas.h"
#include "richtext/document/CRVFData.h"
#include "richtext/tables/RVTableLayout.h"
#include "richtext/tables/RVTableBackground.h"
#include "richtext/tables/RVTableProps.h"
#include "richtext/tables/RVTableRecorder.h"

namespace kc {

TRVTableItemInfo::TRVTableItemInfo(TCustomRVData *RVData) : TRVFullLineItemInfo(RVData), FCreatedIn(RVData) {
  Init(1, 1);
}

TRVTableItemInfo::TRVTableItemInfo(int RowCount, int ColCount, TCustomRVData *RVData)
    : TRVFullLineItemInfo(RVData), FCreatedIn(RVData) {
  Init(RowCount, ColCount);
}

void TRVTableItemInfo::Init(int RowCount, int ColCount) {
  FFormattingInfo = std::make_unique<TRVTableItemFormattingInfo>(false);
  StyleNo = rvsTable;
  FRows = std::make_unique<TRVTableRows>(RowCount, ColCount, FCreatedIn, this);
  State = rvtsJustCreated;
}

TRVTableItemInfo::~TRVTableItemInfo() {
  CloseCellEditor(false);
  if (FFormattingInfo) FFormattingInfo->Clear();
}

std::unique_ptr<TCustomRVItemInfo> TRVTableItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVTableItemInfo>(RVData);
}

void RegisterTableItemType() { RegisterItemType(rvsTable, &RVItemClassOf<TRVTableItemInfo>); }

// ------------------------------------------------------------ background

TGraphic *TRVTableItemInfo::GetBackgroundImage() const { return FBackground ? FBackground->GetBitmap() : nullptr; }

void TRVTableItemInfo::SetBackgroundImage(const TGraphic *Image) { SetOwnedBackgroundImage(FBackground, Image); }

std::unique_ptr<TGraphic> TRVTableItemInfo::ReleaseBackgroundImage() {
  return ReleaseOwnedBackgroundImage(FBackground);
}

void TRVTableItemInfo::TakeBackgroundImage(std::unique_ptr<TGraphic> Image) {
  TakeOwnedBackgroundImage(FBackground, std::move(Image));
}

TRVItemBackgroundStyle TRVTableItemInfo::GetBackgroundStyle() const {
  return FBackground ? FBackground->GetItemBackStyle() : rvbsColor;
}

void TRVTableItemInfo::SetBackgroundStyle(TRVItemBackgroundStyle Value) { SetOwnedBackgroundStyle(FBackground, Value); }

// ------------------------------------------------------------------ model

int TRVTableItemInfo::GetMyItemNo() const {
  const TCustomRVData *doc = FRows->MainRVData;
  return doc ? doc->GetItemNo(this) : -1;
}

bool TRVTableItemInfo::GetCellPosition(const TCustomRVData *Data, int &Row, int &Col) const {
  // A document nested deeper (a table in a cell) climbs to the cell of
  // this table that holds it.
  for (const TCustomRVData *d = Data; d; d = d->GetParentData()) {
    for (int r = 0; r < RowCount(); ++r) {
      const TRVTableRow *row = FRows->Items(r);
      for (int c = 0; c < row->Count(); ++c)
        if (row->Get(c) == d) {
          Row = r;
          Col = c;
          return true;
        }
    }
    if (d == FRows->MainRVData) break;
  }
  Row = Col = -1;
  return false;
}

void TRVTableItemInfo::AfterGridChange() {
  for (int r = 0; r < RowCount(); ++r) {
    TRVTableRow *row = FRows->Items(r);
    row->SetRows(FRows.get());
    for (int c = 0; c < row->Count(); ++c)
      if (TRVTableCellData *cell = row->Get(c)) {
        cell->SetRow(row);
        cell->InvalidateMinWidth();
      }
  }
  FFormattingInfo->Clear();
  FFormattingInfo->TableWidth = 0;
  FPressedCell = nullptr;
  FHitRow = FHitCol = -1;
  InvalidateLayout();
}

// ------------------------------------------------------------------ flags

bool TRVTableItemInfo::GetFlag(int Property) const {
  switch (Property) {
  case rvbpFullWidth:
  case rvbpDrawingChangesFont:
  case rvbpCanSaveUnicode:
  case rvbpAlwaysInText:
  case rvbpHideDropCaret:
  case rvbpNoHTML_P: return true;
  default: return TRVFullLineItemInfo::GetFlag(Property);
  }
}

bool TRVTableItemInfo::GetStyleFlag(int Property, const TRVStyle *RVStyle) const {
  switch (Property) {
  case rvbsfPrintToBMP: return false;
  // The table sets its draw line's size itself, in device pixels.
  case rvbsfActualSize: return true;
  default: return TRVFullLineItemInfo::GetStyleFlag(Property, RVStyle);
  }
}

// -------------------------------------------------------------- insertion

void TRVTableItemInfo::Inserting(TCustomRVData *RVData, std::string &Text, bool Safe) {
  FRows->MainRVData = RVData;
  if (RVData) State |= rvtsInserted;
  else State &= ~rvtsInserted;
  // Inside an editor the table records its changes and may be resized;
  // without an editor layer linked in nothing can tell, and the bit stays.
  if (TRVTableEditHost *host = RVTableEditHost()) {
    if (RVData && host->IsEditor(RVData->GetRootData())) State |= rvtsEditMode;
    else State &= ~rvtsEditMode;
  }
  for (int r = 0; r < RowCount(); ++r) {
    TRVTableRow *row = FRows->Items(r);
    row->SetRows(FRows.get());
    for (int c = 0; c < row->Count(); ++c) {
      TRVTableCellData *cell = row->Get(c);
      if (!cell) continue;
      cell->SetRow(row);
      if (cell->GetItemCount() == 0) cell->AddText(std::string(), 0, 0);
      cell->NotifyItemsInserting(cell, Safe);
    }
  }
  TRVFullLineItemInfo::Inserting(RVData, Text, Safe);
}

void TRVTableItemInfo::Inserted(TCustomRVData *RVData, int ItemNo) {
  TRVFullLineItemInfo::Inserted(RVData, ItemNo);
  if (!(State & rvtsJustCreated)) return;
  if (ItemNo < 0) return;
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c)
      if (TRVTableCellData *cell = Cells(r, c))
        for (int i = 0; i < cell->GetItemCount(); ++i) cell->GetItem(i)->Inserted(cell, i);
  State &= ~rvtsJustCreated;
}

// ----------------------------------------------------------------- layout

void TRVTableItemInfo::OnDocWidthChange(int DocWidth, TRVDrawLineInfo *DrawLine, bool Printing, TCanvas *Canvas,
                                        TCustomRVData *RVData, const TRVScreenAndDevice *sad, bool &Resized,
                                        int &Height) {
  Resized = false;
  Height = 0;
  std::unique_ptr<TCanvas> own;
  if (!Canvas) {
    own = CreateMeasuringCanvas();
    Canvas = own.get();
  }
  if (Printing) {
    // RVData is then the printable copy; the cells keep their document.
    FormatForPrinting(DocWidth, DrawLine, *Canvas, sad);
    return;
  }
  if (RVData) FRows->MainRVData = RVData;
  bool force = false;
  if (State & rvtsFormatInvalid) {
    State &= ~rvtsFormatInvalid;
    FFormattingInfo->TableWidth = 0;
    force = true;
  }
  TRVTableLayout(*this, *FFormattingInfo, *Canvas).FormatTable(DocWidth, force);
  // The cells' links are numbered after the links before the table, and
  // the links after it after theirs, so that no two share a number.
  if (auto *parent = dynamic_cast<TCustomRVFormattedData *>(RVData)) {
    int64_t next = int64_t(parent->FirstJumpNo) + parent->JumpCounter;
    for (int r = 0; r < RowCount(); ++r)
      for (int c = 0; c < ColCount(); ++c)
        if (TRVTableCellData *cell = Cells(r, c)) {
          cell->FirstJumpNo = static_cast<int32_t>(next);
          next += cell->JumpCounter;
        }
    parent->JumpCounter = static_cast<int32_t>(std::min<int64_t>(next - parent->FirstJumpNo, INT32_MAX));
  }
  if (DrawLine) {
    DrawLine->Width = FFormattingInfo->TableWidth;
    DrawLine->Height = FFormattingInfo->TableHeight;
  }
}

void TRVTableItemInfo::EnsureLayout(int DocWidth, TCanvas *Canvas) {
  if (FFormattingInfo->TableWidth != 0 && !(State & rvtsFormatInvalid)) return;
  std::unique_ptr<TCanvas> own;
  if (!Canvas)
    if (auto *doc = dynamic_cast<TCustomRVFormattedData *>(FRows->MainRVData)) Canvas = doc->GetCanvas();
  if (!Canvas) {
    own = CreateMeasuringCanvas();
    Canvas = own.get();
  }
  State &= ~rvtsFormatInvalid;
  FFormattingInfo->TableWidth = 0;
  TRVTableLayout(*this, *FFormattingInfo, *Canvas).FormatTable(std::max(0, DocWidth), true);
}

int TRVTableItemInfo::GetMinWidth(const TRVScreenAndDevice *sad, TCanvas *Canvas, TCustomRVData *RVData) {
  if (RVData && !FRows->MainRVData) FRows->MainRVData = RVData;
  std::unique_ptr<TCanvas> own;
  if (!Canvas) {
    own = CreateMeasuringCanvas();
    Canvas = own.get();
  }
  TRVTableItemFormattingInfo scratch(false);
  return TRVTableLayout(*this, scratch, *Canvas, sad).GetMinWidth();
}

void TRVTableItemInfo::AdjustPosition(int X, int Y, bool Refresh, TCustomRVData *RVData) {
  (void)Refresh, (void)RVData;
  DocLeft = X;
  DocTop = Y;
  // The cells place their controls from the table's draw line, which is
  // where the table now stands.
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c)
      if (TRVTableCellData *cell = Cells(r, c); cell && !cell->Items.WindowedItems().empty())
        cell->PlaceInlineControls(0);
}

// ---------------------------------------------------------------- copying

void TRVTableItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TRVFullLineItemInfo::AssignProperties(Source);
  const auto *src = dynamic_cast<const TRVTableItemInfo *>(&Source);
  if (!src || src == this) return;
  RVPropsAssign(RVTableProps(), this, src);
  BackgroundImageFileName = src->BackgroundImageFileName;
  const int rows = src->RowCount(), cols = src->ColCount();
  FRows->Reset(rows, cols);
  for (int r = 0; r < rows; ++r) {
    const TRVTableRow *from = src->Rows().Items(r);
    TRVTableRow *to = FRows->Items(r);
    to->VAlign = from->VAlign;
    for (int c = 0; c < cols; ++c) {
      const TRVTableCellData *s = from->Get(c);
      if (!s) {
        to->Put(c, nullptr);
        continue;
      }
      TRVTableCellData *d = to->Get(c);
      d->AssignAttributesFrom(*s, true);
      d->RowSpan = s->RowSpan;
      d->ColSpan = s->ColSpan;
      d->Items.Clear();
      d->AppendItemCopiesFrom(*s);
    }
  }
  AfterGridChange();
  State |= rvtsJustCreated;
}

bool TRVTableItemInfo::GetIntPropertyByName(std::string_view Name, int &Value) const {
  if (Name == "BackgroundStyle") {
    Value = GetBackgroundStyle();
    return true;
  }
  return RVPropsGetInt(RVTableProps(), this, Name, Value) || TRVFullLineItemInfo::GetIntPropertyByName(Name, Value);
}

bool TRVTableItemInfo::SetIntPropertyByName(std::string_view Name, int Value) {
  if (Name == "BackgroundStyle") {
    SetBackgroundStyle(static_cast<TRVItemBackgroundStyle>(std::clamp(Value, 0, 3)));
    InvalidateLayout();
    return true;
  }
  if (RVPropsSetInt(RVTableProps(), this, Name, Value)) {
    InvalidateLayout();
    return true;
  }
  return TRVFullLineItemInfo::SetIntPropertyByName(Name, Value);
}

// ---------------------------------------------------------- nested walks

TCustomRVData *TRVTableItemInfo::GetSubRVData(int &Location, TRVSubRVDataPos Position) {
  const int cols = ColCount(), n = RowCount() * cols;
  if (cols == 0) return nullptr;
  auto at = [&](int i) -> TCustomRVData * { return Cells(i / cols, i % cols); };
  int i = 0, step = 1;
  switch (Position) {
  case rvdFirst: i = 0; break;
  case rvdLast:
    i = n - 1;
    step = -1;
    break;
  case rvdNext: i = Location + 1; break;
  case rvdPrev:
    i = Location - 1;
    step = -1;
    break;
  case rvdChosenUp:
  case rvdChosenDown: {
    // A corner of the cell selection, else the active cell.
    int row = FActiveRow, col = FActiveCol, top = 0, left = 0, rows = 0, columns = 0;
    if (GetNormalizedSelectionBounds(top, left, rows, columns)) {
      row = Position == rvdChosenUp ? top : top + rows - 1;
      col = Position == rvdChosenUp ? left : left + columns - 1;
    }
    int mr = 0, mc = 0;
    TRVTableCellData *cell =
        row >= 0 && col >= 0 && row < RowCount() && col < cols ? FRows->GetMainCell(row, col, mr, mc) : nullptr;
    if (cell) Location = mr * cols + mc;
    return cell;
  }
  default: return nullptr;
  }
  for (; i >= 0 && i < n; i += step)
    if (TCustomRVData *d = at(i)) {
      Location = i;
      return d;
    }
  return nullptr;
}

void TRVTableItemInfo::MarkUsedStyles(TRVIntegerList &TextUsed, TRVIntegerList &ParaUsed, TRVIntegerList &ListUsed) {
  TRVFullLineItemInfo::MarkUsedStyles(TextUsed, ParaUsed, ListUsed);
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c)
      if (TRVTableCellData *cell = Cells(r, c)) cell->MarkUsedStyles(TextUsed, ParaUsed, ListUsed);
}

void TRVTableItemInfo::RenumberStyles(const TRVIntegerList &TextShift, const TRVIntegerList &ParaShift,
                                      const TRVIntegerList &ListShift) {
  TRVFullLineItemInfo::RenumberStyles(TextShift, ParaShift, ListShift);
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c)
      if (TRVTableCellData *cell = Cells(r, c)) {
        cell->RenumberStyles(TextShift, ParaShift, ListShift);
        cell->InvalidateMinWidth();
      }
  InvalidateLayout();
}

void TRVTableItemInfo::MovingToUndoList(int ItemNo, TCustomRVData *RVData) {
  CloseCellEditor(false);
  TRVFullLineItemInfo::MovingToUndoList(ItemNo, RVData);
}

void TRVTableItemInfo::MovingFromUndoList(int ItemNo, TCustomRVData *RVData) {
  FRows->MainRVData = RVData;
  TRVFullLineItemInfo::MovingFromUndoList(ItemNo, RVData);
}

} // namespace kc
