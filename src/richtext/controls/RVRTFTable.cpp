// Rows and table nesting: finishing a row, and the table events that follow
// the nesting level of the paragraphs.
#include "richtext/controls/RVRTF.h"

#include <algorithm>

#include "richtext/controls/RVRTFUtil.h"

namespace kc {

using namespace rtf;

void TRVRTFReader::FinishRow() {
  TRVRTFRowProperties &row = cur_.RowForWrite();
  if (row.LastCellPlaceholder) {
    if (!row.Cells.empty())
      row.Cells.pop_back();
    row.LastCellPlaceholder = false;
  }
  if (row.ShadingPending) {
    for (auto &cell : row.Cells)
      if (cell.Shading != 0) {
        cell.Color = mixShading(cell.Color, cell.ForeColor, cell.Shading);
        cell.Shading = 0;
      }
    row.ShadingPending = false;
  }
}

void TRVRTFReader::SyncNesting(bool closingAllowed) {
  const TRVRTFParaProperties &pp = cur_.ParaProps;
  int level = pp.InTable ? std::clamp<int32_t>(pp.NestingLevel, 0, kRTFMaxTableNesting) : 0;
  if (pp.NoOverlap)
    closingAllowed = false;
  while (level > tableNesting_) {
    ++tableNesting_;
    FireTable(rvf_tbl_TableStart);
  }
  if (closingAllowed) {
    while (level < tableNesting_) {
      --tableNesting_;
      FireTable(rvf_tbl_TableEnd);
    }
  }
}

void TRVRTFReader::FireTable(TRVRTFTableEventKind kind) {
  FireMarkerUpdate();
  if (kind == rvf_tbl_TableStart)
    tableAlignGiven_ = false;
  if (OnTable)
    OnTable(*this, kind);
}

} // namespace kc
