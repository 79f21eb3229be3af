#include "richtext/tables/RVTableCell.h"

#include <algorithm>

#include "richtext/tables/RVTable.h"
#include "richtext/tables/RVTableBackground.h"
#include "richtext/tables/RVTableProps.h"
#include "richtext/tables/RVTableRows.h"
#include "platform/Canvas.h"

namespace kc {

namespace {

// The table's draw line in its document, nullptr before it is formatted.
const TRVDrawLineInfo *TableDrawLine(const TRVTableItemInfo *Table) {
  auto *doc = dynamic_cast<const TCustomRVFormattedData *>(Table ? Table->Rows().MainRVData : nullptr);
  const int line = doc ? doc->FirstDrawLineOf(Table) : -1;
  if (line < 0 || line >= doc->DrawLines.Count()) return nullptr;
  const TRVDrawLineInfo *dl = doc->DrawLines.Items(line);
  return dl && dl->ItemNo >= 0 && dl->ItemNo < doc->GetItemCount() && doc->GetItem(dl->ItemNo) == Table ? dl : nullptr;
}

// The table's place in its document's coordinates.
TPoint TablePlace(const TRVTableItemInfo *Table) {
  if (const TRVDrawLineInfo *dl = TableDrawLine(Table)) return {dl->Left, dl->Top};
  return Table ? TPoint{Table->DocLeft, Table->DocTop} : TPoint{0, 0};
}

} // namespace

TRVTableCellData::TRVTableCellData(TRVTableRow *Row) : TRVItemFormattedData(Row), FRow(Row) {
  State = 0;
  std::unique_ptr<TCustomRVItemInfo> item = RichVistaTextItemClass(this);
  item->StyleNo = 0;
  item->ParaNo = 0;
  Items.Add(std::string(), std::move(item));
}

TRVTableCellData::~TRVTableCellData() = default;

void TRVTableCellData::MovingToUndoList(TCustomRVData *UndoData) {
  for (int i = 0; i < GetItemCount(); ++i) GetItem(i)->MovingToUndoList(i, this);
  Selected = false;
  FUndoData = UndoData;
  FRow = nullptr;
}

void TRVTableCellData::MovingFromUndoList() {
  FUndoData = nullptr;
  for (int i = 0; i < GetItemCount(); ++i) GetItem(i)->MovingFromUndoList(i, this);
  InvalidateMinWidth();
}

TRVTableItemInfo *TRVTableCellData::GetTable() const { return FRow && FRow->Rows() ? FRow->Rows()->Table : nullptr; }

// ------------------------------------------------------------ background

TGraphic *TRVTableCellData::GetBackgroundImage() const { return FBackground ? FBackground->GetBitmap() : nullptr; }

void TRVTableCellData::SetBackgroundImage(const TGraphic *Image) { SetOwnedBackgroundImage(FBackground, Image); }

std::unique_ptr<TGraphic> TRVTableCellData::ReleaseBackgroundImage() {
  return ReleaseOwnedBackgroundImage(FBackground);
}

void TRVTableCellData::TakeBackgroundImage(std::unique_ptr<TGraphic> Image) {
  TakeOwnedBackgroundImage(FBackground, std::move(Image));
}

TRVItemBackgroundStyle TRVTableCellData::GetBackgroundStyle() const {
  return FBackground ? FBackground->GetItemBackStyle() : rvbsColor;
}

void TRVTableCellData::SetBackgroundStyle(TRVItemBackgroundStyle Value) { SetOwnedBackgroundStyle(FBackground, Value); }

// ------------------------------------------------------- nested document

TCustomRVData *TRVTableCellData::GetParentData() const { return FRow ? FRow->GetParentRVData() : FUndoData; }

uint16_t TRVTableCellData::GetFlags() const {
  uint16_t f = FRow ? FRow->Flags : 0;
  // Links in cells react where the root's do.
  const TCustomRVData *root = GetRootData();
  if (root && root != this && (root->GetFlags() & rvflBuildJumps)) f |= rvflBuildJumps;
  return f;
}

TRVOptions TRVTableCellData::GetOptions() const {
  TRVOptions o = TCustomRVData::GetOptions();
  o.Exclude(rvoClientTextWidth);
  return o;
}

int TRVTableCellData::GetWidth() const {
  const TRVTableItemInfo *t = GetTable();
  return std::max(0, Width - 2 * (t ? t->CellPadding : 0));
}

int TRVTableCellData::GetHeight() const {
  const TRVTableItemInfo *t = GetTable();
  return std::max(0, Height - 2 * (t ? t->CellPadding : 0));
}

TPoint TRVTableCellData::GetOrigin() const {
  const TRVTableItemInfo *t = GetTable();
  TPoint o{0, 0};
  if (auto *parent = dynamic_cast<const TCustomRVFormattedData *>(GetParentData())) o = parent->GetOrigin();
  const TPoint p = TablePlace(t);
  const int pad = t ? t->CellPadding : 0;
  return {RVSatAdd(int64_t(o.x) + p.x, int64_t(Left) + pad),
          RVSatAdd(int64_t(o.y) + p.y, int64_t(Top) + pad + GetVAlignOffset())};
}

// Controls in a cell are windows of the view that shows the table.
bool TRVTableCellData::HasHostWindow() const {
  auto *parent = dynamic_cast<const TCustomRVFormattedData *>(GetParentData());
  return parent && parent->HasHostWindow();
}

int TRVTableCellData::GetHOffs() const {
  const TRVTableItemInfo *t = GetTable();
  auto *parent = dynamic_cast<const TCustomRVFormattedData *>(GetParentData());
  const int x = RVSatAdd(TablePlace(t).x, parent ? -int64_t(parent->GetHOffs()) : 0);
  return -RVSatAdd(int64_t(x) + (t ? t->CellPadding : 0), Left);
}

int TRVTableCellData::GetVOffs() const {
  const TRVTableItemInfo *t = GetTable();
  auto *parent = dynamic_cast<const TCustomRVFormattedData *>(GetParentData());
  const int y = RVSatAdd(TablePlace(t).y, parent ? -int64_t(parent->GetVOffs()) : 0);
  return -RVSatAdd(int64_t(y) + (t ? t->CellPadding : 0) + GetVAlignOffset(), Top);
}

void TRVTableCellData::GetParentInfo(int &ParentItemNo, void *&Location) const {
  const TRVTableItemInfo *t = GetTable();
  ParentItemNo = t ? t->GetMyItemNo() : -1;
  FStore = TRVTableStoreSubRVData{};
  if (t) t->GetCellPosition(this, FStore.Row, FStore.Col);
  Location = &FStore;
}

void TRVTableCellData::FocusClickedItem(int ItemNo) { FocusNestedItem(ItemNo, this, ItemNo); }

void TRVTableCellData::FocusNestedItem(int HolderItemNo, TCustomRVFormattedData *Data, int ItemNo) {
  TRVTableItemInfo *t = GetTable();
  int row = -1, col = -1;
  if (!t || !t->GetCellPosition(this, row, col)) return;
  t->SetFocusedCell(row, col);
  FocusedItemNo = HolderItemNo;
  if (auto *holder = dynamic_cast<TCustomRVFormattedData *>(GetParentData()))
    holder->FocusNestedItem(t->GetMyItemNo(), Data, ItemNo);
}

void TRVTableCellData::DoJump(int ID) {
  TCustomRVData *root = GetRootData();
  if (root && root != this) root->DoJump(ID);
}

// ---------------------------------------------------------------- queries

TRVCellVAlign TRVTableCellData::GetRealVAlign() const {
  if (VAlign != rvcVDefault) return VAlign;
  if (FRow && FRow->VAlign != rvcVDefault) return FRow->VAlign;
  return rvcMiddle;
}

int TRVTableCellData::GetVAlignOffset() const {
  const TRVTableItemInfo *t = GetTable();
  const int pad = t ? t->CellPadding : 0;
  int64_t r = 0;
  switch (GetRealVAlign()) {
  case rvcMiddle: r = (int64_t(Height) - DocumentHeight) / 2 - pad; break;
  case rvcBottom: r = int64_t(Height) - DocumentHeight - 2 * int64_t(pad); break;
  default: break;
  }
  // Content taller than its cell starts at the top.
  return static_cast<int>(std::clamp<int64_t>(r, 0, RVMaxCoord));
}

int TRVTableCellData::GetContentHeight() const { return std::max(DocumentHeight, BestHeight); }

int TRVTableCellData::GetMinWidth(const TRVScreenAndDevice *sad, TCanvas &Canvas) {
  if (EditorData && !sad) return EditorMinWidth;
  return ContentMinWidth(*this, sad, Canvas);
}

int TRVTableCellData::ContentMinWidth(TCustomRVFormattedData &Doc, const TRVScreenAndDevice *sad, TCanvas &Canvas) {
  const int n = Doc.GetItemCount();
  if (n == 0) return 0;
  if (n == 1 && Doc.GetItemStyle(0) >= 0 && Doc.GetItemTextRaw(0).empty()) {
    const TRVStyle *style = Doc.GetRVStyle();
    const TParaInfo *p = style ? style->ParaStyles().GetParaStyleSafe(Doc.GetItemPara(0)) : nullptr;
    if (!p) return 0;
    int64_t w = int64_t(p->FirstIndent) + p->LeftIndent + p->RightIndent;
    w = std::clamp<int64_t>(w, -RVMaxCoord / 4, RVMaxCoord / 4);
    if (sad && sad->ppixScreen > 0) w = w * sad->ppixDevice / sad->ppixScreen;
    return std::max(0, static_cast<int>(w));
  }
  const int w = Doc.PassMinWidth(sad, Canvas);
  return w <= 0 ? 10 : w;
}

TCustomRVData *TRVTableCellData::GetEditorRVData() { return EditorData ? EditorData : this; }

TCustomRVFormattedData *TRVTableCellData::GetEditingRVData() { return EditorData ? EditorData : this; }

TRVScroller *TRVTableCellData::GetEditingCellEditor() const {
  const TRVTableItemInfo *t = EditorData ? GetTable() : nullptr;
  const TRVCellEditor *e = t ? t->GetCellEditor() : nullptr;
  return e && e->Cell == this ? e->Control() : nullptr;
}

int TRVTableCellData::PassMinWidth(const TRVScreenAndDevice *sad, TCanvas &Canvas) {
  const int n = GetItemCount();
  const bool sameSad = sad ? FMinWidthSad.ppixDevice == sad->ppixDevice && FMinWidthSad.ppixScreen == sad->ppixScreen
                           : FMinWidthSad.ppixDevice == FMinWidthSad.ppixScreen;
  if (FMinWidthValid && FMinWidthItems == n && sameSad && &Canvas == FMinWidthCanvas) return FMinWidth;
  FMinWidth = CalcDocumentMinWidth(sad, Canvas);
  FMinWidthItems = n;
  FMinWidthSad = sad ? *sad : TRVScreenAndDevice{};
  FMinWidthCanvas = &Canvas;
  FMinWidthValid = true;
  return FMinWidth;
}

bool TRVTableCellData::HasData(bool Strict) const {
  const int n = GetItemCount();
  if (n == 0) return false;
  if (n > 1) return true;
  const TCustomRVItemInfo *item = GetItem(0);
  if (!GetItemTextRaw(0).empty()) return true;
  if (Strict) return !(item->StyleNo == 0 && item->ParaNo == 0);
  return item->StyleNo < 0;
}

bool TRVTableCellData::CanClear() const {
  const TRVStyle *style = GetRVStyle();
  for (int i = 0; i < GetItemCount(); ++i) {
    const TCustomRVItemInfo *item = GetItem(i);
    if (item->StyleNo >= 0) {
      const TFontInfo *fi = style ? style->TextStyles().GetTextStyleSafe(GetActualStyle(item)) : nullptr;
      if (fi && fi->Protection.Has(rvprDeleteProtect)) return false;
    } else if (auto *nt = dynamic_cast<const TRVNonTextItemInfo *>(item); nt && nt->DeleteProtect) {
      return false;
    }
  }
  return true;
}

TColor TRVTableCellData::GetEffectiveColor() const {
  if (Color != clNone) return Color;
  const TRVTableItemInfo *t = GetTable();
  if (t && t->Color != clNone) return t->Color;
  const TRVStyle *style = GetRVStyle();
  if (t && style) {
    if (const TParaInfo *p = style->ParaStyles().GetParaStyleSafe(t->ParaNo); p && p->Background.Color != clNone)
      return p->Background.Color;
  }
  if (auto *parent = dynamic_cast<const TCustomRVFormattedData *>(GetParentData())) return parent->GetColor();
  return style ? style->Color : clWindow;
}

bool TRVTableCellData::IsTransparent() const {
  if (Color != clNone) return false;
  const TRVTableItemInfo *t = GetTable();
  if (t && t->Color != clNone) return false;
  const TRVStyle *style = GetRVStyle();
  if (t && style) {
    if (const TParaInfo *p = style->ParaStyles().GetParaStyleSafe(t->ParaNo); p && p->Background.Color != clNone)
      return false;
  }
  return true;
}

// ---------------------------------------------------------------- copying

void TRVTableCellData::AssignAttributesFrom(const TRVTableCellData &Source, bool IncludeSize, int HeightDivisor,
                                            int WidthDivisor) {
  Color = Source.Color;
  BorderColor = Source.BorderColor;
  BorderLightColor = Source.BorderLightColor;
  VisibleBorders.Assign(Source.VisibleBorders);
  VAlign = Source.VAlign;
  SetBackgroundImage(Source.GetBackgroundImage());
  SetBackgroundStyle(Source.GetBackgroundStyle());
  BackgroundImageFileName = Source.BackgroundImageFileName;
  if (IncludeSize) {
    BestWidth = WidthDivisor != 0 ? Source.BestWidth / WidthDivisor : Source.BestWidth;
    BestHeight = HeightDivisor != 0 ? Source.BestHeight / HeightDivisor : Source.BestHeight;
  }
}

void TRVTableCellData::AssignLayoutFrom(const TRVTableCellData &Source) {
  Left = Source.Left;
  Top = Source.Top;
  Width = Source.Width;
  Height = Source.Height;
}

void TRVTableCellData::AppendItemCopiesFrom(const TRVTableCellData &Source) {
  for (int i = 0; i < Source.GetItemCount(); ++i)
    Items.Add(Source.GetItemTextRaw(i), CopyItem(*Source.GetItem(i), this, false));
  InvalidateMinWidth();
}

bool TRVTableCellData::GetIntPropertyByName(std::string_view Name, int &Value) const {
  if (Name == "BackgroundStyle") {
    Value = GetBackgroundStyle();
    return true;
  }
  return RVPropsGetInt(RVTableCellProps(), this, Name, Value);
}

bool TRVTableCellData::SetIntPropertyByName(std::string_view Name, int Value) {
  if (Name == "BackgroundStyle") {
    SetBackgroundStyle(static_cast<TRVItemBackgroundStyle>(std::clamp(Value, 0, 3)));
    return true;
  }
  return RVPropsSetInt(RVTableCellProps(), this, Name, Value);
}

} // namespace kc
