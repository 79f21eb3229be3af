// Rows and table nesting: finishing a row, and the table events that follow
// the nesting level of the paragraphs.
#include "richtext/controls/RVRTF.h"

#include <algorithm>
#include <memory>

#include "richtext/controls/RVRTFUtil.h"
#include "richtext/controls/RVRTFWords.h"

namespace kc {

using namespace rtf;

namespace {

// A best width given with its unit: 2 is fiftieths of a percent (kept
// negated), 3 twips, none the raw number; any other unit gives none.
void applyWidth(int32_t &bestWidth, bool &percent, int32_t raw, int32_t unit) {
  if (unit < 0) {
    bestWidth = raw;
    percent = false;
  } else if (unit == 2) {
    bestWidth = raw == INT32_MIN ? INT32_MAX : -raw;
    percent = true;
  } else if (unit == 3) {
    bestWidth = raw;
    percent = false;
  } else {
    bestWidth = 0;
    percent = false;
  }
}

} // namespace

int TRVRTFReader::ApplyTableWord(int num, int32_t value, bool hasParam) {
  TRVRTFParaProperties &pp = cur_.ParaProps;
  switch (num) {
  case ipRow:
    FinishRow();
    // A row or cell end belongs to a table even in a paragraph that did not
    // say so (real files end cells in paragraphs without \intbl).
    SyncNesting(true, value == 1 ? 2 : 1);
    // Text right before the row end is the row's last cell.
    if (int code = Flush(false); code != rtf_ec_OK) return code;
    position_ = rtf_ts_NewPara;
    FireTable(rvf_tbl_RowEnd);
    return rtf_ec_OK;
  case ipCell: {
    SyncNesting(true, value == 1 ? 2 : 1);
    int code = Flush(false);
    position_ = rtf_ts_NewPara;
    FireTable(rvf_tbl_CellEnd);
    return code;
  }
  case ipInTbl: pp.InTable = value != 0 || !hasParam; return rtf_ec_OK;
  case ipItap:
    pp.NestingLevel = std::clamp<int32_t>(value, 0, kRTFMaxTableNesting);
    if (pp.NestingLevel > 0) pp.InTable = true;
    return rtf_ec_OK;
  case ipAbsNoOvrlp: pp.NoOverlap = value != 0 || !hasParam; return rtf_ec_OK;
  case ipClVMerge:
  case ipClHMerge:
  case ipClWWidth:
  case ipClFtsWidth:
  case ipClCbPat:
  case ipClCfPat:
  case ipCellX:
  case ipClBrdr:
  case ipRVCellW:
  case ipRVCellH: ApplyCellWord(num, value); return rtf_ec_OK;
  default: ApplyRowWord(num, value); return rtf_ec_OK;
  }
}

void TRVRTFReader::ApplyRowWord(int num, int32_t value) {
  switch (num) {
  case ipTrowd: cur_.RowProps = std::make_shared<TRVRTFRowProperties>(); break;
  case ipTrAlign: tableAlign_ = uint8_t(value); break;
  case ipTrWWidth:
  case ipTrFtsWidth: {
    TRVRTFRowProperties &row = cur_.RowForWrite();
    if (row.OwnWidths) break;
    if (num == ipTrWWidth) row.RawWidth = value;
    else row.WidthUnit = value;
    applyWidth(row.BestWidth, row.PercentWidth, row.RawWidth, row.WidthUnit);
    break;
  }
  case ipTrBrdr:
    cur_.BorderTarget = 1;
    cur_.RowForWrite().Border.CurrentSide = uint8_t(value & 3);
    break;
  case ipRVTableW: {
    TRVRTFRowProperties &row = cur_.RowForWrite();
    row.OwnWidths = true;
    row.BestWidth = value;
    row.PercentWidth = value < 0;
    break;
  }
  default: break;
  }
}

// The last cell of the row takes the cell words. A colour outside the table
// is no word at all: it makes no row and no cell.
void TRVRTFReader::ApplyCellWord(int num, int32_t value) {
  if ((num == ipClCbPat || num == ipClCfPat) && !ValidColorIndex(value)) return;
  TRVRTFRowProperties &row = cur_.RowForWrite();
  TRVRTFCellProperties &cell = row.LastCell();
  switch (num) {
  case ipClVMerge:
    if (cell.VMerge != 1) cell.VMerge = uint8_t(value);
    break;
  case ipClHMerge:
    if (cell.HMerge != 1) cell.HMerge = uint8_t(value);
    break;
  case ipClWWidth:
  case ipClFtsWidth:
    if (row.OwnWidths) break;
    if (num == ipClWWidth) cell.RawWidth = value;
    else cell.WidthUnit = value;
    applyWidth(cell.BestWidth, cell.PercentWidth, cell.RawWidth, cell.WidthUnit);
    break;
  case ipClCbPat: {
    const TRVRTFColor c = ColorAt(value);
    cell.Color = c == rtf_clWindowText ? rtf_clNone : c;
    break;
  }
  case ipClCfPat: cell.ForeColor = ColorAt(value); break;
  case ipCellX:
    cell.RightBoundary = value;
    if (int(row.Cells.size()) < kRTFMaxCellsInRow)
      row.Cells.emplace_back(); // the cell reference is not used after this
    row.LastCellPlaceholder = true;
    break;
  case ipClBrdr:
    cur_.BorderTarget = 2;
    cell.Border.CurrentSide = uint8_t(value & 3);
    break;
  case ipRVCellW:
    row.OwnWidths = true;
    cell.BestWidth = value;
    cell.PercentWidth = value < 0;
    break;
  case ipRVCellH:
    row.OwnWidths = true;
    cell.BestHeight = value;
    break;
  default: break;
  }
}

void TRVRTFReader::FinishRow() {
  TRVRTFRowProperties &row = cur_.RowForWrite();
  if (row.LastCellPlaceholder) {
    if (!row.Cells.empty()) row.Cells.pop_back();
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

void TRVRTFReader::SyncNesting(bool closingAllowed, int minLevel) {
  const TRVRTFParaProperties &pp = cur_.ParaProps;
  int level = pp.InTable ? std::clamp<int32_t>(pp.NestingLevel, 0, kRTFMaxTableNesting) : 0;
  if (pp.NoOverlap) closingAllowed = false;
  // \cell and \row end a cell or row of the outermost table, whatever the
  // paragraph says (a nested table may just have ended without a paragraph
  // of the outer cell after it); \nestcell and \nestrow one of a nested
  // table, as deep as the paragraph says or as deep as tables are open.
  if (minLevel == 1) level = 1;
  else if (minLevel == 2 && level < 2) level = std::max(2, tableNesting_);
  while (level > tableNesting_) {
    ++tableNesting_;
    openingAtCellEnd_ = !pp.InTable || pp.NestingLevel < level;
    FireTable(rvf_tbl_TableStart);
    openingAtCellEnd_ = false;
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
  if (OnTable) OnTable(*this, kind);
}

} // namespace kc
