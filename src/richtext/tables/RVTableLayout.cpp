#include "richtext/tables/RVTableLayout.h"

#include <algorithm>

#include "richtext/document/PtblRVData.h"
#include "richtext/tables/RVTable.h"

namespace kc {

TRVTableItemFormattingInfo::TRVTableItemFormattingInfo(bool AForPrinting) : ForPrinting(AForPrinting) {}

TRVTableItemFormattingInfo::~TRVTableItemFormattingInfo() = default;

void TRVTableItemFormattingInfo::Clear() {
  ColWidths.Clear();
  RowHeights.Clear();
  ColStarts.Clear();
  RowStarts.Clear();
}

TRectPtblRVData *TRVTableItemFormattingInfo::PrintCell(int Row, int Col, int ColCount) const {
  const int64_t i = int64_t(Row) * ColCount + Col;
  return i >= 0 && i < int64_t(PrintCells.size()) ? PrintCells[size_t(i)].get() : nullptr;
}

TRVTableLayout::TRVTableLayout(TRVTableItemInfo &Table, TRVTableItemFormattingInfo &Info, TCanvas &Canvas,
                               const TRVScreenAndDevice *sad)
    : FTable(Table), FInfo(Info), FCanvas(Canvas), FSad(sad) {}

int TRVTableLayout::ScaleX(int64_t V) const {
  if (FSad && FSad->ppixScreen > 0) V = V * FSad->ppixDevice / FSad->ppixScreen;
  return static_cast<int>(std::clamp<int64_t>(V, -RVMaxCoord, RVMaxCoord));
}

int TRVTableLayout::ScaleY(int64_t V) const {
  if (FSad && FSad->ppiyScreen > 0) V = V * FSad->ppiyDevice / FSad->ppiyScreen;
  return static_cast<int>(std::clamp<int64_t>(V, -RVMaxCoord, RVMaxCoord));
}

int TRVTableLayout::GetHorzExtra() const {
  const TRVTableItemInfo &t = FTable;
  const int64_t cols = t.ColCount();
  return ScaleX((cols - 1) * t.CellHSpacing + 2 * (int64_t(t.BorderWidth) + t.BorderHSpacing) +
                cols * 2 * t.CellBorderWidth);
}

bool TRVTableLayout::AllColumnsHaveFixedWidth() const { return false; }

int TRVTableLayout::GetMinWidth() { return 0; }

void TRVTableLayout::FormatTable(int DocWidth, bool Force) {
  (void)DocWidth, (void)Force, (void)FCanvas;
  FInfo.TableWidth = 0;
  FInfo.TableHeight = 0;
}

} // namespace kc
