#include "richtext/tables/RVTablePainter.h"

#include "richtext/tables/RVTable.h"

namespace kc {

TRVTablePainter::TRVTablePainter(const TRVTableItemInfo &Table, const TRVTableItemFormattingInfo &Info)
    : FTable(Table), FInfo(Info) {}

void TRVTablePainter::Paint(TCanvas &Canvas, const TRVTablePaintContext &Context) const {
  (void)Canvas, (void)Context, (void)FTable, (void)FInfo;
}

} // namespace kc
