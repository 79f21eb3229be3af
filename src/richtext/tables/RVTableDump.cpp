#include "richtext/tables/RVTableDump.h"

#include <cstdio>

#include "richtext/document/CRVFData.h"
#include "richtext/tables/RVTable.h"

namespace kc {

std::string RVDumpDrawLines(const TCustomRVFormattedData &Doc, const std::string &Indent) {
  std::string out;
  char buf[160];
  for (int i = 0; i < Doc.DrawLines.Count(); ++i) {
    const TRVDrawLineInfo *d = Doc.DrawLines.Items(i);
    if (!d) continue;
    std::snprintf(buf, sizeof buf, "%d %d %d %d %d %d %d %d\n", d->ItemNo, d->Offs, d->Length, d->Left, d->Top,
                  d->Width, d->Height, d->FromNewLine ? 1 : 0);
    out += Indent + buf;
    if (d->ItemNo < 0 || d->ItemNo >= Doc.GetItemCount()) continue;
    const auto *table = dynamic_cast<const TRVTableItemInfo *>(Doc.GetItem(d->ItemNo));
    // A table split over several draw lines is listed once.
    if (!table || (i > 0 && Doc.DrawLines.Items(i - 1) && Doc.DrawLines.Items(i - 1)->ItemNo == d->ItemNo)) continue;
    for (int r = 0; r < table->RowCount(); ++r)
      for (int c = 0; c < table->ColCount(); ++c) {
        const TRVTableCellData *cell = table->Cells(r, c);
        if (!cell) continue;
        std::snprintf(buf, sizeof buf, "cell %d %d %d %d %d %d %d %d\n", r, c, cell->ColSpan, cell->RowSpan,
                      cell->Left, cell->Top, cell->Width, cell->Height);
        out += Indent + buf;
        out += RVDumpDrawLines(*cell, Indent + "  ");
      }
  }
  return out;
}

} // namespace kc
