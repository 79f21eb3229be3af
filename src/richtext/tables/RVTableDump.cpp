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
        std::snprintf(buf, sizeof buf, "cell %d %d %d %d %d %d %d %d\n", r, c, cell->ColSpan, cell->RowSpan, cell->Left,
                      cell->Top, cell->Width, cell->Height);
        out += Indent + buf;
        out += RVDumpDrawLines(*cell, Indent + "  ");
      }
  }
  return out;
}

std::string RVDescribeHit(TCustomRVFormattedData &Doc, int X, int Y) {
  int line = -1, offs = -1;
  Doc.HitTestDrawLine(X, Y, false, line, offs);
  if (line < 0) return "none\n";
  const TRVDrawLineInfo *d = Doc.DrawLines.Items(line);
  char buf[96];
  if (d && d->ItemNo >= 0 && d->ItemNo < Doc.GetItemCount()) {
    if (auto *table = dynamic_cast<TRVTableItemInfo *>(Doc.GetItem(d->ItemNo))) {
      int r = 0, c = 0, cx = 0, cy = 0;
      const int tx = RVSatAdd(X, -int64_t(d->Left)), ty = RVSatAdd(Y, -int64_t(d->Top));
      if (table->GetCellAt(tx, ty, r, c)) {
        std::snprintf(buf, sizeof buf, "%d cell %d %d\n", d->ItemNo, r, c);
        TRVTableCellData *cell = table->CellAtContent(tx, ty, cx, cy);
        if (!cell) {
          // On the cell's padding: the nearest place of its document.
          cell = table->Cells(r, c);
          cx = RVSatAdd(int64_t(tx) - cell->Left, -int64_t(table->CellPadding));
          cy = RVSatAdd(int64_t(ty) - cell->Top - table->CellPadding, -int64_t(cell->GetVAlignOffset()));
        }
        return buf + RVDescribeHit(*cell, cx, cy);
      }
    }
  }
  int item = -1, itemOffs = 0;
  Doc.DrawPosToItemPos(line, offs, item, itemOffs);
  std::snprintf(buf, sizeof buf, "%d %d\n", item, itemOffs);
  return buf;
}

} // namespace kc
