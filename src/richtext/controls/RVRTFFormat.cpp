// Character, paragraph and section words, and the table words that reach
// them through the general rules.
#include "richtext/controls/RVRTF.h"

#include <algorithm>
#include <memory>

#include "richtext/controls/RVRTFUtil.h"
#include "richtext/controls/RVRTFWords.h"

namespace kc {

using namespace rtf;

namespace {

constexpr uint32_t kHighlight[17] = {0,        0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF,
                                     0x0000FF, 0x00FFFF, 0xFFFFFF, 0x800000, 0x808000, 0x008000,
                                     0x800080, 0x000080, 0x008080, 0x808080, 0xC0C0C0};
// The table above is in the platform's byte order (red in the low byte):
// 2 blue 0000FF is 0xFF0000 here, 6 red FF0000 is 0x0000FF.

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

int TRVRTFReader::ApplyGeneral(int num, int32_t value, bool hasParam) {
  TRVRTFCharProperties &cp = cur_.CharProps;
  TRVRTFParaProperties &pp = cur_.ParaProps;
  auto setStyle = [&](uint8_t bit) {
    if (value)
      cp.Style |= bit;
    else
      cp.Style &= uint8_t(~bit);
  };
  auto backColor = [&](int32_t index) {
    if (!ValidColorIndex(index))
      return;
    TRVRTFColor c = ColorAt(index);
    cp.BackColor = c == rtf_clWindowText ? rtf_clNone : c;
  };
  switch (num) {
  case ipBold: setStyle(rtf_fsBold); break;
  case ipItalic: setStyle(rtf_fsItalic); break;
  case ipUnderline: setStyle(rtf_fsUnderline); break;
  case ipStrike: setStyle(rtf_fsStrikeOut); break;
  case ipCharScaleX: cp.CharScaleX = value; break;
  case ipExpndTw: cp.CharSpacing = value; break;
  case ipSubSuper: cp.SubSuperScript = uint8_t(value); break;
  case ipCaps:
    if (value)
      cp.StyleEx |= rtf_fsAllCaps;
    else
      cp.StyleEx &= uint8_t(~rtf_fsAllCaps);
    break;
  case ipFontSize: cp.Size = roundHalfEven(value, 2); break;
  case ipColor:
    if (ValidColorIndex(value))
      cp.Color = ColorAt(value);
    break;
  case ipCharBack: backColor(value); break;
  case ipHighlight:
    if (ConvertHighlight == rtf_hl_FixedColors)
      cp.BackColor = (value >= 1 && value <= 16) ? TRVRTFColor(kHighlight[value]) : rtf_clNone;
    else if (ConvertHighlight == rtf_hl_ColorTable)
      backColor(value);
    break;
  case ipLang: cp.Language = value; break;
  case ipDefLang: cur_.DefLanguage = value; break;
  case ipSL:
    pp.LineSpacing = value;
    pp.LineSpacingGiven = true;
    break;
  case ipSLMult: pp.LineSpacingMultiple = value; break;
  case ipLI: pp.LeftIndent = value; break;
  case ipRI: pp.RightIndent = value; break;
  case ipFI: pp.FirstIndent = value; break;
  case ipCols: cur_.SectProps.Columns = value; break;
  case ipPgnX: cur_.SectProps.PageNumberX = value; break;
  case ipPgnY: cur_.SectProps.PageNumberY = value; break;
  case ipHeaderY: cur_.SectProps.HeaderY = value; break;
  case ipFooterY: cur_.SectProps.FooterY = value; break;
  case ipPaperW: cur_.DocProps.PaperWidth = value; break;
  case ipPaperH: cur_.DocProps.PaperHeight = value; break;
  case ipMargL: cur_.DocProps.LeftMargin = value; break;
  case ipMargR: cur_.DocProps.RightMargin = value; break;
  case ipMargT: cur_.DocProps.TopMargin = value; break;
  case ipMargB: cur_.DocProps.BottomMargin = value; break;
  case ipPgnStart: cur_.DocProps.PageNumberStart = value; break;
  case ipSbk: cur_.SectProps.SectionBreak = uint8_t(value); break;
  case ipPgnFormat: cur_.SectProps.PageNumberFormat = uint8_t(value); break;
  case ipFacingP: cur_.DocProps.FacingPages = true; break;
  case ipLandscape: cur_.DocProps.Landscape = true; break;
  case ipAlign: pp.Alignment = uint8_t(value); break;
  case ipPard: pp.Reset(); break;
  case ipPlain:
    if (cur_.DefFontIndex < 0)
      cur_.DefFontIndex = fonts_.GetFontIndex(cur_.DefFontNumber, cur_.DefFontNumber);
    cp.Reset(cur_.DefLanguage, cur_.DefFontIndex);
    break;
  case ipSectd: cur_.SectProps = TRVRTFSectionProperties(); break;
  case ipFont: cp.FontIndex = fonts_.GetFontIndex(value, cur_.DefFontNumber); break;
  case ipDefFont:
    if (cur_.Destination == dsNormal) {
      cur_.DefFontNumber = value;
      cur_.DefFontIndex = -1;
    }
    break;
  case ipSB: pp.SpaceBefore = value; break;
  case ipSA: pp.SpaceAfter = value; break;
  case ipBrdrType:
  case ipBrdrW:
  case ipBrdrCF:
  case ipBrSp:
    ApplyBorderProperty(num, value);
    break;
  case ipBrdrSide:
    cur_.BorderTarget = 0;
    if (!pp.Border)
      pp.Border.emplace();
    pp.Border->CurrentSide = uint8_t(value & 3);
    break;
  case ipCbPat:
    if (ValidColorIndex(value))
      pp.Color = ColorAt(value);
    break;
  case ipCfPat:
    if (ValidColorIndex(value))
      pp.ForeColor = ColorAt(value);
    break;
  case ipShading: pp.Shading = std::clamp<int32_t>(value, 0, 10000); break;
  case ipPage:
    if (OnRequiredPageBreak) {
      Flush(true);
      OnRequiredPageBreak(*this);
    }
    break;
  case ipHidden: {
    const bool hidden = value != 0;
    if (hidden != cp.Hidden) {
      // A style sheet entry only records the attribute.
      if (cur_.Destination != dsStyleEntry) {
        forceFlush_ = true;
        Flush(false);
        forceFlush_ = false;
      }
      cp.Hidden = hidden;
    }
    break;
  }
  case ipKeep: pp.KeepLinesTogether = true; break;
  case ipKeepN: pp.KeepWithNext = true; break;
  case ipPnSecLvl: return EnterDestination(idPnSecLvl, value);
  case ipLS: {
    pp.ListOverrideIndex = -1;
    for (int i = 0; i < overrides_.Count(); ++i)
      if (overrides_.Get(i)->Number == value) {
        pp.ListOverrideIndex = i;
        break;
      }
    break;
  }
  case ipIlvl: pp.ListLevel = std::clamp<int32_t>(value, 0, 8); break;
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
  case ipTrGaph: cur_.RowForWrite().Gap = value; break;
  case ipTrLeft: cur_.RowForWrite().Left = value; break;
  case ipTrRH: cur_.RowForWrite().Height = value; break;
  case ipTrHdr: cur_.RowForWrite().Heading = value != 0; break;
  case ipTrPaddL: cur_.RowForWrite().Padding[0] = value; break;
  case ipTrPaddT: cur_.RowForWrite().Padding[1] = value; break;
  case ipTrPaddR: cur_.RowForWrite().Padding[2] = value; break;
  case ipTrPaddB: cur_.RowForWrite().Padding[3] = value; break;
  case ipTrPaddFL: cur_.RowForWrite().PaddingTwips[0] = value == 3; break;
  case ipTrPaddFT: cur_.RowForWrite().PaddingTwips[1] = value == 3; break;
  case ipTrPaddFR: cur_.RowForWrite().PaddingTwips[2] = value == 3; break;
  case ipTrPaddFB: cur_.RowForWrite().PaddingTwips[3] = value == 3; break;
  case ipTrSpdL: cur_.RowForWrite().Spacing[0] = value; break;
  case ipTrSpdT: cur_.RowForWrite().Spacing[1] = value; break;
  case ipTrSpdR: cur_.RowForWrite().Spacing[2] = value; break;
  case ipTrSpdB: cur_.RowForWrite().Spacing[3] = value; break;
  case ipTrSpdFL: cur_.RowForWrite().SpacingTwips[0] = value == 3; break;
  case ipTrSpdFT: cur_.RowForWrite().SpacingTwips[1] = value == 3; break;
  case ipTrSpdFR: cur_.RowForWrite().SpacingTwips[2] = value == 3; break;
  case ipTrSpdFB: cur_.RowForWrite().SpacingTwips[3] = value == 3; break;
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
  case ipClShdng: cur_.RowForWrite().LastCell().Shading = std::clamp<int32_t>(value, 0, 10000); break;
  case ipClVertAl: cur_.RowForWrite().LastCell().VAlign = uint8_t(value); break;
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

} // namespace kc
