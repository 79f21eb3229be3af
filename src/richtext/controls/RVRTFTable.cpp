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
  case ipRow: {
    FinishRow();
    SyncNesting(true);
    FireTable(rvf_tbl_RowEnd);
    break;
  }
  case ipCell: {
    SyncNesting(true);
    int code = Flush(false);
    position_ = rtf_ts_NewPara;
    FireTable(rvf_tbl_CellEnd);
    return code;
  }
  case ipInTbl: pp.InTable = value != 0 || !hasParam; break;
  case ipItap:
    pp.NestingLevel = std::clamp<int32_t>(value, 0, kRTFMaxTableNesting);
    if (pp.NestingLevel > 0)
      pp.InTable = true;
    break;
  case ipTrowd: cur_.RowProps = std::make_shared<TRVRTFRowProperties>(); break;
  case ipTrAlign:
    tableAlign_ = uint8_t(value);
    tableAlignGiven_ = true;
    break;
  case ipTrWWidth:
  case ipTrFtsWidth: {
    TRVRTFRowProperties &row = cur_.RowForWrite();
    if (row.OwnWidths)
      break;
    if (num == ipTrWWidth)
      row.RawWidth = value;
    else
      row.WidthUnit = value;
    applyWidth(row.BestWidth, row.PercentWidth, row.RawWidth, row.WidthUnit);
    break;
  }
  case ipClVMerge: {
    auto &cell = cur_.RowForWrite().LastCell();
    if (cell.VMerge != 1)
      cell.VMerge = uint8_t(value);
    break;
  }
  case ipClHMerge: {
    auto &cell = cur_.RowForWrite().LastCell();
    if (cell.HMerge != 1)
      cell.HMerge = uint8_t(value);
    break;
  }
  case ipClWWidth:
  case ipClFtsWidth: {
    TRVRTFRowProperties &row = cur_.RowForWrite();
    auto &cell = row.LastCell();
    if (row.OwnWidths)
      break;
    if (num == ipClWWidth)
      cell.RawWidth = value;
    else
      cell.WidthUnit = value;
    applyWidth(cell.BestWidth, cell.PercentWidth, cell.RawWidth, cell.WidthUnit);
    break;
  }
  case ipClCbPat:
    if (ValidColorIndex(value)) {
      TRVRTFColor c = ColorAt(value);
      cur_.RowForWrite().LastCell().Color = c == rtf_clWindowText ? rtf_clNone : c;
    }
    break;
  case ipClCfPat:
    if (ValidColorIndex(value))
      cur_.RowForWrite().LastCell().ForeColor = ColorAt(value);
    break;
  case ipCellX: {
    TRVRTFRowProperties &row = cur_.RowForWrite();
    row.LastCell().RightBoundary = value;
    if (int(row.Cells.size()) < kRTFMaxCellsInRow)
      row.Cells.emplace_back();
    row.LastCellPlaceholder = true;
    break;
  }
  case ipTrBrdr:
  case ipClBrdr: {
    cur_.BorderTarget = num == ipTrBrdr ? 1 : 2;
    TRVRTFRowProperties &row = cur_.RowForWrite();
    TRVRTFParaBorder &b = num == ipTrBrdr ? row.Border : row.LastCell().Border;
    b.CurrentSide = uint8_t(value & 3);
    break;
  }
  case ipAbsNoOvrlp: pp.NoOverlap = value != 0 || !hasParam; break;
  case ipRVCellW: {
    TRVRTFRowProperties &row = cur_.RowForWrite();
    row.OwnWidths = true;
    row.LastCell().BestWidth = value;
    row.LastCell().PercentWidth = value < 0;
    break;
  }
  case ipRVCellH: {
    TRVRTFRowProperties &row = cur_.RowForWrite();
    row.OwnWidths = true;
    row.LastCell().BestHeight = value;
    break;
  }
  case ipRVTableW: {
    TRVRTFRowProperties &row = cur_.RowForWrite();
    row.OwnWidths = true;
    row.BestWidth = value;
    row.PercentWidth = value < 0;
    break;
  }
  default:
    break;
  }
  return rtf_ec_OK;
}

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
