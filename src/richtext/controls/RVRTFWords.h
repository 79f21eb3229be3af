#pragma once
// What the parts of the RTF reader share: the kinds of control words, the
// destination states, and the numbers of destinations and properties that
// the control-word table hands to them.
#include <cstdint>
#include <string_view>

#include "richtext/controls/RVRTF.h"

namespace kc {

struct TRVRTFReader::Rec {
  const char *word;
  int32_t def;
  uint8_t useDef;
  uint8_t kind;
  int32_t index;
};

namespace rtf {

using Rec = TRVRTFReader::Rec;

enum : uint8_t { kChar = 0, kTypo = 1, kDest = 2, kProp = 3, kSpecial = 4 };

// Destination states.
enum : uint8_t {
  dsNormal = 0, dsSkip, dsFontTable, dsStyleSheet, dsColorTable, dsStyleEntry, dsPicture,
  dsShpPict, dsObject, dsObjData, dsField, dsFieldInst, dsMarker, dsMarkerTextAfter,
  dsMarkerTextBefore, dsSectionMarker, dsListTable, dsList, dsListLevel, dsListName,
  dsLevelText, dsLevelNumbers, dsOverrideTable, dsOverride, dsOverrideLevel
};

// Destination numbers of the control-word table.
enum : int {
  idShpPict = 0, idNonShpPict, idPict, idSkip, idFontTbl, idStyleSheet, idColorTbl, idS, idCS,
  idDS, idField, idFldInst, idFldRslt, idNestTableProps, idHeader, idFooter, idPnTxtA,
  idPnTxtB, idPn, idPnSecLvl, idListTable, idList, idListName, idListLevel, idLevelText,
  idLevelNumbers, idListOverrideTable, idListOverride, idLfoLevel, idObject, idObjData, idResult
};

// Property numbers.
enum : int {
  ipBold = 0, ipItalic, ipUnderline, ipStrike, ipCharScaleX, ipExpndTw, ipSubSuper, ipCaps,
  ipFontSize, ipColor, ipCharBack, ipHighlight, ipLang, ipDefLang, ipSL, ipSLMult, ipLI, ipRI,
  ipFI, ipCols, ipPgnX, ipPgnY, ipHeaderY, ipFooterY, ipPaperW, ipPaperH, ipMargL, ipMargR,
  ipMargT, ipMargB, ipPgnStart, ipSbk, ipPgnFormat, ipFacingP, ipLandscape, ipAlign, ipPard,
  ipPlain, ipSectd, ipFont, ipDefFont, ipSB, ipSA, ipBrdrType, ipBrdrSide, ipBrdrW, ipBrdrCF,
  ipBrSp, ipCbPat, ipCfPat, ipShading, ipAnsiCpg, ipU, ipUC, ipPage, ipHidden = 58, ipKeep,
  ipKeepN, ipRed, ipGreen, ipBlue, ipFontFamily, ipFCharset, ipS, ipCS, ipDS, ipSBasedOn,
  ipSNext, ipAdditive, ipSHidden, ipPicW, ipPicH, ipPicScaleX, ipPicScaleY, ipPicWGoal,
  ipPicHGoal, ipWbmWidthBytes, ipWbmBitsPixel, ipWbmPlanes, ipPicKind, ipWMetafile, ipPicBmp,
  ipObjKind, ipObjW, ipObjH, ipPnLvl, ipPnHang, ipPnType, ipPnB, ipPnI, ipPnUl, ipPnStrike,
  ipPnCf, ipPnF, ipPnFs, ipPnIndent, ipPnSp, ipPnAlign, ipPnStart, ipPnSecLvl, ipListID,
  ipListSimple = 105, ipLevelStartAt = 107, ipLevelNfc, ipLevelJc, ipLevelOld, ipLevelIndent,
  ipLevelSpace, ipLevelFollow, ipLevelLegal, ipLevelNoRestart, ipListOverrideCount, ipLS,
  ipListOverrideStartAt, ipIlvl, ipTx, ipRow, ipCell, ipInTbl, ipItap, ipTrowd, ipTrAlign,
  ipTrGaph, ipTrLeft, ipTrRH, ipTrHdr, ipTrPaddL, ipTrPaddR, ipTrPaddT, ipTrPaddB, ipTrPaddFL,
  ipTrPaddFR, ipTrPaddFT, ipTrPaddFB, ipTrSpdL, ipTrSpdR, ipTrSpdT, ipTrSpdB, ipTrSpdFL,
  ipTrSpdFR, ipTrSpdFT, ipTrSpdFB, ipTrWWidth, ipTrFtsWidth, ipClVMerge, ipClHMerge, ipClWWidth,
  ipClFtsWidth, ipClCbPat, ipClCfPat, ipClShdng, ipClVertAl, ipCellX, ipTrBrdr, ipClBrdr,
  ipAbsNoOvrlp, ipRVCellW = 162, ipRVCellH, ipRVTableW
};

enum : int { spBin = 0, spHex = 1, spIgnorable = 2 };

// Sorts the table for the search; the first reader to start does it.
void sortTableOnce();

// 1 for the character words and 2 for the paragraph words that end the
// text run before them, 0 for the others.
int groupOf(const Rec &r);

} // namespace rtf
} // namespace kc
