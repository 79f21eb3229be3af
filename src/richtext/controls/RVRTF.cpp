#include "richtext/controls/RVRTF.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <mutex>

#include "platform/CodePage.h"

namespace kc {

std::function<void(TGraphic &)> RVRTFAfterImportGraphic;

namespace {

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

} // namespace

struct TRVRTFReader::Rec {
  const char *word;
  int32_t def;
  uint8_t useDef;
  uint8_t kind;
  int32_t index;
};

namespace {

using Rec = TRVRTFReader::Rec;

Rec gTable[] = {
    {"par", 0, 0, kChar, 10},
    {"\n", 0, 0, kChar, 10},
    {"\r", 0, 0, kChar, 10},
    {"line", 0, 0, kChar, 13},
    {"tab", 0, 0, kChar, 9},
    {"~", 0, 0, kChar, 160},
    {"bullet", 0, 0, kChar, 149},
    {"{", 0, 0, kChar, 123},
    {"}", 0, 0, kChar, 125},
    {"\\", 0, 0, kChar, 92},
    {"ldblquote", 8220, 0, kTypo, 34},
    {"rdblquote", 8221, 0, kTypo, 34},
    {"lquote", 8216, 0, kTypo, 39},
    {"rquote", 8217, 0, kTypo, 39},
    {"endash", 8211, 0, kTypo, 45},
    {"emdash", 8212, 0, kTypo, 45},
    {"bin", 0, 0, kSpecial, spBin},
    {"'", 0, 0, kSpecial, spHex},
    {"*", 0, 0, kSpecial, spIgnorable},
    {"shppict", 0, 0, kDest, idShpPict},
    {"nonshppict", 0, 0, kDest, idNonShpPict},
    {"pict", 0, 0, kDest, idPict},
    {"author", 0, 0, kDest, idSkip},
    {"buptim", 0, 0, kDest, idSkip},
    {"comment", 0, 0, kDest, idSkip},
    {"creatim", 0, 0, kDest, idSkip},
    {"doccomm", 0, 0, kDest, idSkip},
    {"footerf", 0, 0, kDest, idSkip},
    {"footerl", 0, 0, kDest, idSkip},
    {"footerr", 0, 0, kDest, idSkip},
    {"footnote", 0, 0, kDest, idSkip},
    {"ftncn", 0, 0, kDest, idSkip},
    {"ftnsep", 0, 0, kDest, idSkip},
    {"ftnsepc", 0, 0, kDest, idSkip},
    {"headerf", 0, 0, kDest, idSkip},
    {"headerl", 0, 0, kDest, idSkip},
    {"headerr", 0, 0, kDest, idSkip},
    {"info", 0, 0, kDest, idSkip},
    {"keywords", 0, 0, kDest, idSkip},
    {"listtext", 0, 0, kDest, idSkip},
    {"nonesttables", 0, 0, kDest, idSkip},
    {"operator", 0, 0, kDest, idSkip},
    {"pntext", 0, 0, kDest, idSkip},
    {"printim", 0, 0, kDest, idSkip},
    {"private1", 0, 0, kDest, idSkip},
    {"revtim", 0, 0, kDest, idSkip},
    {"rxe", 0, 0, kDest, idSkip},
    {"subject", 0, 0, kDest, idSkip},
    {"tc", 0, 0, kDest, idSkip},
    {"title", 0, 0, kDest, idSkip},
    {"txe", 0, 0, kDest, idSkip},
    {"xe", 0, 0, kDest, idSkip},
    {"fonttbl", 0, 0, kDest, idFontTbl},
    {"stylesheet", 0, 0, kDest, idStyleSheet},
    {"colortbl", 0, 0, kDest, idColorTbl},
    {"field", 0, 0, kDest, idField},
    {"fldinst", 0, 0, kDest, idFldInst},
    {"fldrslt", 0, 0, kDest, idFldRslt},
    {"nesttableprops", 0, 0, kDest, idNestTableProps},
    {"header", 0, 0, kDest, idHeader},
    {"footer", 0, 0, kDest, idFooter},
    {"pntxta", 0, 0, kDest, idPnTxtA},
    {"pntxtb", 0, 0, kDest, idPnTxtB},
    {"pn", 0, 0, kDest, idPn},
    {"listtable", 0, 0, kDest, idListTable},
    {"list", 0, 0, kDest, idList},
    {"listname", 0, 0, kDest, idListName},
    {"listlevel", 0, 0, kDest, idListLevel},
    {"leveltext", 0, 0, kDest, idLevelText},
    {"levelnumbers", 0, 0, kDest, idLevelNumbers},
    {"listoverridetable", 0, 0, kDest, idListOverrideTable},
    {"listoverride", 0, 0, kDest, idListOverride},
    {"lfolevel", 0, 0, kDest, idLfoLevel},
    {"object", 0, 0, kDest, idObject},
    {"objdata", 0, 0, kDest, idObjData},
    {"result", 0, 0, kDest, idResult},
    {"b", 1, 0, kProp, 0},
    {"i", 1, 0, kProp, 1},
    {"ul", 1, 0, kProp, 2},
    {"ulnone", 0, 1, kProp, 2},
    {"strike", 1, 0, kProp, 3},
    {"charscalex", 100, 0, kProp, 4},
    {"expndtw", 0, 0, kProp, 5},
    {"nosupersub", 0, 1, kProp, 6},
    {"sub", 1, 1, kProp, 6},
    {"super", 2, 1, kProp, 6},
    {"caps", 1, 0, kProp, 7},
    {"fs", 24, 0, kProp, 8},
    {"cf", 0, 0, kProp, 9},
    {"chcbpat", 0, 0, kProp, 10},
    {"highlight", 0, 0, kProp, 11},
    {"lang", 0, 0, kProp, 12},
    {"deflang", 0, 0, kProp, 13},
    {"sl", 240, 0, kProp, 14},
    {"slmult", 1, 0, kProp, 15},
    {"li", 0, 0, kProp, 16},
    {"ri", 0, 0, kProp, 17},
    {"fi", 0, 0, kProp, 18},
    {"cols", 1, 0, kProp, 19},
    {"pgnx", 0, 0, kProp, 20},
    {"pgny", 0, 0, kProp, 21},
    {"headery", 720, 0, kProp, 22},
    {"footery", 720, 0, kProp, 23},
    {"paperw", 12240, 0, kProp, 24},
    {"paperh", 15480, 0, kProp, 25},
    {"margl", 1800, 0, kProp, 26},
    {"margr", 1800, 0, kProp, 27},
    {"margt", 1440, 0, kProp, 28},
    {"margb", 1440, 0, kProp, 29},
    {"pgnstart", 1, 0, kProp, 30},
    {"sbknone", 0, 1, kProp, 31},
    {"sbkcol", 1, 1, kProp, 31},
    {"sbkeven", 2, 1, kProp, 31},
    {"sbkodd", 3, 1, kProp, 31},
    {"sbkpage", 4, 1, kProp, 31},
    {"pgndec", 0, 1, kProp, 32},
    {"pgnucrm", 1, 1, kProp, 32},
    {"pgnlcrm", 2, 1, kProp, 32},
    {"pgnucltr", 3, 1, kProp, 32},
    {"pgnlcltr", 4, 1, kProp, 32},
    {"facingp", 1, 1, kProp, 33},
    {"landscape", 1, 1, kProp, 34},
    {"ql", 0, 1, kProp, 35},
    {"qr", 1, 1, kProp, 35},
    {"qc", 2, 1, kProp, 35},
    {"qj", 3, 1, kProp, 35},
    {"pard", 0, 0, kProp, 36},
    {"plain", 0, 0, kProp, 37},
    {"sectd", 0, 0, kProp, 38},
    {"f", 0, 0, kProp, 39},
    {"deff", 0, 0, kProp, 40},
    {"sb", 0, 0, kProp, 41},
    {"sa", 0, 0, kProp, 42},
    {"brdrs", 1, 1, kProp, 43},
    {"brdrth", 2, 1, kProp, 43},
    {"brdrsh", 3, 1, kProp, 43},
    {"brdrdb", 4, 1, kProp, 43},
    {"brdrdot", 5, 1, kProp, 43},
    {"brdrdash", 6, 1, kProp, 43},
    {"brdrhair", 7, 1, kProp, 43},
    {"brdrdashsm", 8, 1, kProp, 43},
    {"brdrdashd", 9, 1, kProp, 43},
    {"brdrdashdd", 10, 1, kProp, 43},
    {"brdrtriple", 11, 1, kProp, 43},
    {"brdrtnthsg", 12, 1, kProp, 43},
    {"brdrthtnsg", 13, 1, kProp, 43},
    {"brdrtnthtnsg", 14, 1, kProp, 43},
    {"brdrtnthmg", 15, 1, kProp, 43},
    {"brdrthtnmg", 16, 1, kProp, 43},
    {"brdrtnthtnmg", 17, 1, kProp, 43},
    {"brdrtnthlg", 18, 1, kProp, 43},
    {"brdrthtnlg", 19, 1, kProp, 43},
    {"brdrtnthtnlg", 20, 1, kProp, 43},
    {"brdrwavy", 21, 1, kProp, 43},
    {"brdrwavydb", 22, 1, kProp, 43},
    {"brdrdashdotstr", 23, 1, kProp, 43},
    {"brdremboss", 24, 1, kProp, 43},
    {"brdrengrave", 25, 1, kProp, 43},
    {"brdrinset", 26, 1, kProp, 43},
    {"brdroutset", 27, 1, kProp, 43},
    {"brdrl", 0, 1, kProp, 44},
    {"brdrt", 1, 1, kProp, 44},
    {"brdrr", 2, 1, kProp, 44},
    {"brdrb", 3, 1, kProp, 44},
    {"brdrw", 1, 0, kProp, 45},
    {"brdrcf", 0, 0, kProp, 46},
    {"brsp", 0, 0, kProp, 47},
    {"cbpat", 0, 0, kProp, 48},
    {"cfpat", 0, 0, kProp, 49},
    {"shading", 0, 0, kProp, 50},
    {"ansicpg", 0, 0, kProp, 51},
    {"u", 0, 0, kProp, 52},
    {"uc", 1, 0, kProp, 53},
    {"page", 0, 0, kProp, 54},
    {"v", 1, 0, kProp, 58},
    {"keep", 1, 1, kProp, 59},
    {"keepn", 1, 1, kProp, 60},
    {"red", 0, 0, kProp, 61},
    {"green", 0, 0, kProp, 62},
    {"blue", 0, 0, kProp, 63},
    {"fnil", 0, 1, kProp, 64},
    {"froman", 1, 1, kProp, 64},
    {"fswiss", 2, 1, kProp, 64},
    {"fmodern", 3, 1, kProp, 64},
    {"fscript", 4, 1, kProp, 64},
    {"fdecor", 5, 1, kProp, 64},
    {"ftech", 6, 1, kProp, 64},
    {"fbidi", 7, 1, kProp, 64},
    {"fcharset", 0, 0, kProp, 65},
    {"s", 0, 0, kProp, 66},
    {"cs", 0, 0, kProp, 67},
    {"ds", 0, 0, kProp, 68},
    {"sbasedon", 0, 0, kProp, 69},
    {"snext", 0, 0, kProp, 70},
    {"additive", 0, 0, kProp, 71},
    {"shidden", 0, 0, kProp, 72},
    {"picw", 0, 0, kProp, 73},
    {"pich", 0, 0, kProp, 74},
    {"picscalex", 100, 0, kProp, 75},
    {"picscaley", 100, 0, kProp, 76},
    {"picwgoal", 0, 0, kProp, 77},
    {"pichgoal", 0, 0, kProp, 78},
    {"wbmwidthbytes", 0, 0, kProp, 79},
    {"wbmbitspixel", 1, 0, kProp, 80},
    {"wbmplanes", 1, 0, kProp, 81},
    {"emfblip", 0, 1, kProp, 82},
    {"pngblip", 1, 1, kProp, 82},
    {"jpegblip", 2, 1, kProp, 82},
    {"macpict", 3, 1, kProp, 82},
    {"pmmetafile", 4, 1, kProp, 82},
    {"dibitmap", 6, 1, kProp, 82},
    {"wbitmap", 7, 1, kProp, 82},
    {"wmetafile", 1, 0, kProp, 83},
    {"picbmp", 1, 0, kProp, 84},
    {"objemb", 0, 1, kProp, 85},
    {"objlink", 1, 1, kProp, 85},
    {"objautlink", 2, 1, kProp, 85},
    {"objsub", 3, 1, kProp, 85},
    {"objpub", 4, 1, kProp, 85},
    {"objicemb", 5, 1, kProp, 85},
    {"objhtml", 6, 1, kProp, 85},
    {"objocx", 7, 1, kProp, 85},
    {"objw", 0, 0, kProp, 86},
    {"objh", 0, 0, kProp, 87},
    {"pnlvl", 1, 0, kProp, 88},
    {"pnlvlbody", 10, 1, kProp, 88},
    {"pnlvlblt", 11, 1, kProp, 88},
    {"pnhang", 1, 0, kProp, 89},
    {"pndec", 1, 1, kProp, 90},
    {"pnlcltr", 2, 1, kProp, 90},
    {"pnucltr", 3, 1, kProp, 90},
    {"pnlcrm", 4, 1, kProp, 90},
    {"pnucrm", 5, 1, kProp, 90},
    {"pnb", 1, 0, kProp, 91},
    {"pni", 1, 0, kProp, 92},
    {"pnul", 1, 0, kProp, 93},
    {"pnuld", 1, 0, kProp, 93},
    {"pnuldash", 1, 0, kProp, 93},
    {"pnuldashd", 1, 0, kProp, 93},
    {"pnuldashdd", 1, 0, kProp, 93},
    {"pnuldb", 1, 0, kProp, 93},
    {"pnulhair", 1, 0, kProp, 93},
    {"pnulth", 1, 0, kProp, 93},
    {"pnulw", 1, 0, kProp, 93},
    {"pnulwave", 1, 0, kProp, 93},
    {"pnulnone", 0, 1, kProp, 93},
    {"pnstrike", 1, 0, kProp, 94},
    {"pncf", 0, 0, kProp, 95},
    {"pnf", 0, 0, kProp, 96},
    {"pnfs", 0, 0, kProp, 97},
    {"pnindent", 0, 0, kProp, 98},
    {"pnsp", 0, 0, kProp, 99},
    {"pnql", 0, 1, kProp, 100},
    {"pnqr", 1, 1, kProp, 100},
    {"pnqc", 2, 1, kProp, 100},
    {"pnstart", 1, 0, kProp, 101},
    {"pnseclvl", 1, 0, kProp, 102},
    {"listid", 0, 0, kProp, 103},
    {"listsimple", 1, 0, kProp, 105},
    {"levelstartat", 1, 0, kProp, 107},
    {"levelnfc", 0, 0, kProp, 108},
    {"leveljc", 0, 0, kProp, 109},
    {"levelold", 1, 0, kProp, 110},
    {"levelindent", 0, 0, kProp, 111},
    {"levelspace", 0, 0, kProp, 112},
    {"levelfollow", 0, 0, kProp, 113},
    {"levellegal", 1, 0, kProp, 114},
    {"levelnorestart", 1, 0, kProp, 115},
    {"listoverridecount", 0, 0, kProp, 116},
    {"ls", 1, 0, kProp, 117},
    {"listoverridestartat", 1, 0, kProp, 118},
    {"ilvl", 1, 0, kProp, 119},
    {"tx", 0, 0, kProp, 120},
    {"row", 0, 1, kProp, 121},
    {"nestrow", 1, 1, kProp, 121},
    {"cell", 0, 1, kProp, 122},
    {"nestcell", 1, 1, kProp, 122},
    {"intbl", 0, 0, kProp, 123},
    {"itap", 1, 0, kProp, 124},
    {"trowd", 0, 0, kProp, 125},
    {"trql", 0, 1, kProp, 126},
    {"trqr", 1, 1, kProp, 126},
    {"trqc", 2, 1, kProp, 126},
    {"trgaph", 0, 0, kProp, 127},
    {"trleft", 0, 0, kProp, 128},
    {"trrh", 0, 0, kProp, 129},
    {"trhdr", 1, 0, kProp, 130},
    {"trpaddl", 0, 0, kProp, 131},
    {"trpaddr", 0, 0, kProp, 132},
    {"trpaddt", 0, 0, kProp, 133},
    {"trpaddb", 0, 0, kProp, 134},
    {"trpaddfl", 0, 0, kProp, 135},
    {"trpaddfr", 0, 0, kProp, 136},
    {"trpaddft", 0, 0, kProp, 137},
    {"trpaddfb", 0, 0, kProp, 138},
    {"trspdl", 0, 0, kProp, 139},
    {"trspdr", 0, 0, kProp, 140},
    {"trspdt", 0, 0, kProp, 141},
    {"trspdb", 0, 0, kProp, 142},
    {"trspdfl", 0, 0, kProp, 143},
    {"trspdfr", 0, 0, kProp, 144},
    {"trspdft", 0, 0, kProp, 145},
    {"trspdfb", 0, 0, kProp, 146},
    {"trwWidth", 0, 0, kProp, 147},
    {"trftsWidth", 0, 0, kProp, 148},
    {"clvmgf", 1, 1, kProp, 149},
    {"clvmrg", 2, 1, kProp, 149},
    {"clmgf", 1, 1, kProp, 150},
    {"clmrg", 2, 1, kProp, 150},
    {"clwWidth", 0, 0, kProp, 151},
    {"clftsWidth", 0, 0, kProp, 152},
    {"clcbpat", 0, 0, kProp, 153},
    {"clcfpat", 0, 0, kProp, 154},
    {"clshdng", 0, 0, kProp, 155},
    {"clvertalt", 0, 1, kProp, 156},
    {"clvertalb", 1, 1, kProp, 156},
    {"clvertalc", 2, 1, kProp, 156},
    {"cellx", 0, 0, kProp, 157},
    {"trbrdrl", 0, 1, kProp, 158},
    {"trbrdrt", 1, 1, kProp, 158},
    {"trbrdrr", 2, 1, kProp, 158},
    {"trbrdrb", 3, 1, kProp, 158},
    {"clbrdrl", 0, 1, kProp, 159},
    {"clbrdrt", 1, 1, kProp, 159},
    {"clbrdrr", 2, 1, kProp, 159},
    {"clbrdrb", 3, 1, kProp, 159},
    {"absnoovrlp", 0, 0, kProp, 160},
    {"richvistacbw", 0, 0, kProp, 162},
    {"richvistacbh", 0, 0, kProp, 163},
    {"richvistatbw", 0, 0, kProp, 164},
};

constexpr int kTableSize = int(sizeof(gTable) / sizeof(gTable[0]));

// The words of the sorted table, with their lengths, for the search.
std::string_view gWords[sizeof(gTable) / sizeof(gTable[0])];

void sortTableOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    std::sort(std::begin(gTable), std::end(gTable),
              [](const Rec &a, const Rec &b) { return std::strcmp(a.word, b.word) < 0; });
    for (size_t i = 0; i < std::size(gTable); ++i)
      gWords[i] = gTable[i].word;
  });
}

int groupOf(const Rec &r) {
  if (r.kind != kProp)
    return 0;
  const int n = r.index;
  if ((n >= 0 && n <= 12) || n == 37 || n == 39 || n == 58 || n == 65)
    return 1;
  if ((n >= 14 && n <= 18) || n == 35 || n == 36 || (n >= 41 && n <= 50) || n == 59 || n == 60 ||
      n == 117 || n == 119 || (n >= 158 && n <= 160))
    return 2;
  return 0;
}

// Rounds halves to even, as the platform's Round does.
int32_t roundHalfEven(int64_t num, int64_t den) {
  if (den < 0) {
    num = -num;
    den = -den;
  }
  int64_t q = num / den, r = num % den;
  if (r < 0) {
    q -= 1;
    r += den;
  }
  if (2 * r > den || (2 * r == den && (q & 1)))
    ++q;
  return int32_t(std::clamp<int64_t>(q, INT32_MIN, INT32_MAX));
}

int hexValue(int c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

bool isLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

uint32_t colorToRGB(TRVRTFColor c, uint32_t forNone) {
  if (c == rtf_clNone)
    return forNone;
  if (uint32_t(c) & 0xFF000000u) // system colours: window text is black
    return 0;
  return uint32_t(c) & 0xFFFFFF;
}

TRVRTFColor mixShading(TRVRTFColor back, TRVRTFColor fore, int32_t shading) {
  const int64_t s = std::clamp<int32_t>(shading, 0, 10000);
  uint32_t b = colorToRGB(back, 0xFFFFFF), f = colorToRGB(fore, 0);
  uint32_t out = 0;
  for (int sh = 0; sh < 24; sh += 8) {
    int64_t bc = (b >> sh) & 0xFF, fc = (f >> sh) & 0xFF;
    out |= uint32_t(((10000 - s) * bc + s * fc) / 10000) << sh;
  }
  return TRVRTFColor(out);
}

std::string upperAscii(std::string_view s) {
  std::string r(s);
  for (char &c : r)
    if (c >= 'a' && c <= 'z')
      c = char(c - 32);
  return r;
}

std::string_view trimView(std::string_view s) {
  while (!s.empty() && uint8_t(s.front()) <= ' ')
    s.remove_prefix(1);
  while (!s.empty() && uint8_t(s.back()) <= ' ')
    s.remove_suffix(1);
  return s;
}

bool endsWithNoCase(const std::string &s, std::string_view suffix) {
  if (s.size() < suffix.size())
    return false;
  return upperAscii(std::string_view(s).substr(s.size() - suffix.size())) == upperAscii(suffix);
}

constexpr uint32_t kHighlight[17] = {0,        0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF,
                                     0x0000FF, 0x00FFFF, 0xFFFFFF, 0x800000, 0x808000, 0x008000,
                                     0x800080, 0x000080, 0x008080, 0x808080, 0xC0C0C0};
// The table above is in the platform's byte order (red in the low byte):
// 2 blue 0000FF is 0xFF0000 here, 6 red FF0000 is 0x0000FF.

int32_t levelNfcType(int32_t v) {
  switch (v) {
  case 0: return 1;
  case 1: return 5;
  case 2: return 4;
  case 3: return 3;
  case 4: return 2;
  case 23: return 6;
  default: return 1;
  }
}

} // namespace

// ------------------------------------------------------------------ properties

void TRVRTFCharProperties::Reset(int32_t defLanguage, int32_t defFontIndex) {
  *this = TRVRTFCharProperties();
  Language = defLanguage;
  FontIndex = defFontIndex;
}

TRVRTFBorderSide &TRVRTFParaBorder::Side(int i) {
  auto &s = Sides[size_t(i & 3)];
  if (!s)
    s.emplace();
  return *s;
}

const TRVRTFBorderSide *TRVRTFParaBorder::GetSide(int i) const {
  if (i < 0 || i > 3 || !Sides[size_t(i)])
    return nullptr;
  return &*Sides[size_t(i)];
}

bool TRVRTFParaBorder::IsVisible() const {
  for (const auto &s : Sides)
    if (s && s->BorderType != 0)
      return true;
  return false;
}

const TRVRTFMarkerProperties *TRVRTFSectionProperties::GetSectionMarker(int level) const {
  if (!SectionMarkers || level < 1 || level > 11 || !(*SectionMarkers)[size_t(level - 1)])
    return nullptr;
  return &*(*SectionMarkers)[size_t(level - 1)];
}

TRVRTFMarkerProperties &TRVRTFSectionProperties::SectionMarker(int level) {
  level = std::clamp(level, 1, 11);
  if (!SectionMarkers)
    SectionMarkers = std::make_shared<std::array<std::optional<TRVRTFMarkerProperties>, 11>>();
  else if (SectionMarkers.use_count() > 1)
    SectionMarkers = std::make_shared<std::array<std::optional<TRVRTFMarkerProperties>, 11>>(
        *SectionMarkers);
  auto &m = (*SectionMarkers)[size_t(level - 1)];
  if (!m)
    m.emplace();
  return *m;
}

TRVRTFRowProperties &TRVRTFReaderState::RowForWrite() {
  if (!RowProps)
    RowProps = std::make_shared<TRVRTFRowProperties>();
  else if (RowProps.use_count() > 1)
    RowProps = std::make_shared<TRVRTFRowProperties>(*RowProps);
  return *RowProps;
}

int TRVRTFFontList::FirstWithNumber(int32_t Number) const {
  if (Count() < indexed_) {
    index_.clear();
    indexed_ = 0;
  }
  for (; indexed_ < Count(); ++indexed_)
    index_.emplace(Get(indexed_)->FontNumber, indexed_);
  auto it = index_.find(Number);
  return it == index_.end() ? -1 : it->second;
}

int TRVRTFFontList::GetFontIndex(int32_t Number, int32_t DefNumber) const {
  if (Count() == 0)
    return -1;
  int i = FirstWithNumber(Number);
  if (i >= 0)
    return i;
  if (Number == DefNumber)
    return 0;
  i = FirstWithNumber(DefNumber);
  return i >= 0 ? i : 0;
}

// ------------------------------------------------------------------ reader

TRVRTFReader::TRVRTFReader() = default;
TRVRTFReader::~TRVRTFReader() = default;

const TRVRTFReader::Rec *TRVRTFReader::FindWord(std::string_view word) {
  int lo = 0, hi = kTableSize - 1;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    const std::string_view w = gWords[mid];
    // ordinal comparison, the same order as the sort's
    int c = uint8_t(w[0]) - uint8_t(word[0]);
    if (c == 0) {
      const size_t n = std::min(w.size(), word.size());
      c = n > 1 ? std::memcmp(w.data() + 1, word.data() + 1, n - 1) : 0;
      if (c == 0)
        c = w.size() < word.size() ? -1 : (w.size() > word.size() ? 1 : 0);
    }
    if (c == 0)
      return &gTable[mid];
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return nullptr;
}

const TRVRTFListOverride97 *TRVRTFReader::GetListOverride(int Number) const {
  for (const auto &o : overrides_.Items())
    if (o.Number == Number)
      return &o;
  return nullptr;
}

std::u16string TRVRTFReader::AnsiToUnicode(std::string_view s) const {
  std::u16string out;
  if (s.empty())
    return out;
  if (tryToUtf16(int(codePage_), s, out) || tryToUtf16(CP_ACP, s, out))
    return out;
  return std::u16string(s.size(), u'?');
}

std::string TRVRTFReader::UnicodeToAnsi(std::u16string_view s) const {
  std::string out;
  if (s.empty())
    return out;
  if (tryFromUtf16(int(codePage_), s, out) || tryFromUtf16(CP_ACP, s, out))
    return out;
  return std::string(s.size(), '?');
}

int TRVRTFReader::CodePageOfFont(int FontIndex) const {
  const TRVRTFFont *f = fonts_.Get(FontIndex);
  if (!f || f->Charset == 1)
    return int(codePage_);
  return codePageOfCharset(f->Charset);
}

std::string TRVRTFReader::UnicodeToAnsiForFont(std::u16string_view s, int FontIndex) const {
  std::string out;
  if (s.empty())
    return out;
  if (tryFromUtf16(CodePageOfFont(FontIndex), s, out) || tryFromUtf16(CP_ACP, s, out))
    return out;
  return std::string(s.size(), '?');
}

std::string TRVRTFReader::GetFieldArgument(std::string_view s) {
  size_t i = 0;
  // the keyword: up to the first space that follows a non-space
  bool seenNonSpace = false;
  while (i < s.size()) {
    if (s[i] == ' ') {
      if (seenNonSpace)
        break;
    } else {
      seenNonSpace = true;
    }
    ++i;
  }
  while (i < s.size() && (s[i] == ' ' || s[i] == '\\'))
    ++i;
  if (i >= s.size())
    return {};
  if (s[i] == '"') {
    size_t end = s.find('"', i + 1);
    if (end == std::string_view::npos)
      return std::string(s.substr(i + 1));
    return std::string(s.substr(i + 1, end - i - 1));
  }
  size_t end = s.find(' ', i);
  return std::string(s.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i));
}

void TRVRTFReader::Reset() {
  sortTableOnce();
  styles_.Clear();
  fonts_.Clear();
  colors_.Clear();
  lists_.Clear();
  overrides_.Clear();
  stack_.clear();
  cur_ = TRVRTFReaderState();
  ansiText_.clear();
  uniText_.clear();
  position_ = rtf_ts_NewPara;
  pushedBack_ = -1;
  picture_.reset();
  object_.reset();
  marker_.reset();
  codePage_ = DefCodePage;
  skipChars_ = 0;
  binLeft_ = 0;
  ignorable_ = false;
  depth_ = 0;
  tableNesting_ = 0;
  tableAlign_ = 0;
  tableAlignGiven_ = false;
  forceFlush_ = shppictInserted_ = objectInserted_ = false;
  hexAcc_ = hexDigits_ = 0;
  colorFromSemicolon_ = false;
  sectionLevel_ = 1;
  sectionText_ = false;
  levelLead_ = -1;
}

// ------------------------------------------------------------------ input

void TRVRTFReader::Refill() {
  // once per block read; none when the input has been read to its end
  if (progress_ && OnProgress && size_ > 0 && consumed_ < size_)
    OnProgress(*this, rvprtfprRunning,
               uint8_t(std::clamp<int64_t>((consumed_ * 200 + size_) / (2 * size_), 0, 100)));
  bufPos_ = 0;
  bufLen_ = 0;
  if (stream_) {
    stream_->read(buffer_.data(), std::streamsize(buffer_.size()));
    bufLen_ = size_t(std::max<std::streamsize>(stream_->gcount(), 0));
  } else {
    bufLen_ = std::min(buffer_.size(), memory_.size() - memoryPos_);
    std::memcpy(buffer_.data(), memory_.data() + memoryPos_, bufLen_);
    memoryPos_ += bufLen_;
  }
  consumed_ += int64_t(bufLen_);
}

inline int TRVRTFReader::GetByte() {
  if (pushedBack_ >= 0) {
    int c = pushedBack_;
    pushedBack_ = -1;
    return c;
  }
  if (bufPos_ >= bufLen_) {
    Refill();
    if (bufLen_ == 0)
      return -1;
  }
  return uint8_t(buffer_[bufPos_++]);
}

int TRVRTFReader::ReadRTFData(std::string_view Data) {
  stream_ = nullptr;
  memory_ = Data;
  memoryPos_ = 0;
  size_ = int64_t(Data.size());
  consumed_ = 0;
  Reset();
  buffer_.assign(4096, '\0');
  bufPos_ = bufLen_ = 0;
  progress_ = bool(OnProgress) && size_ > 20480;
  if (progress_)
    OnProgress(*this, rvprtfprStarting, 0);
  int code = ParseLoop();
  buffer_.clear();
  buffer_.shrink_to_fit();
  memory_ = {};
  if (progress_)
    OnProgress(*this, rvprtfprEnding, 0);
  return code;
}

int TRVRTFReader::ReadRTFStream(std::istream &Stream) {
  stream_ = &Stream;
  memory_ = {};
  size_ = 0;
  consumed_ = 0;
  auto start = Stream.tellg();
  if (start != std::streampos(-1)) {
    Stream.seekg(0, std::ios::end);
    auto end = Stream.tellg();
    Stream.seekg(start);
    // progress is the stream's position against its whole size
    if (end != std::streampos(-1)) {
      size_ = int64_t(end);
      consumed_ = int64_t(start);
    }
  }
  Stream.clear();
  Reset();
  buffer_.assign(4096, '\0');
  bufPos_ = bufLen_ = 0;
  progress_ = bool(OnProgress) && size_ > 20480;
  if (progress_)
    OnProgress(*this, rvprtfprStarting, 0);
  int code = ParseLoop();
  buffer_.clear();
  buffer_.shrink_to_fit();
  stream_ = nullptr;
  if (progress_)
    OnProgress(*this, rvprtfprEnding, 0);
  return code;
}

// ------------------------------------------------------------------ parser loop

int TRVRTFReader::ParseLoop() {
  for (;;) {
    int c = GetByte();
    if (c < 0)
      break;
    if (depth_ < 0)
      return rtf_ec_StackUnderflow;
    if (cur_.InternalState == 1) {
      int code = CharHandler(c);
      if (code)
        return code;
      continue;
    }
    if (c == '{') {
      skipChars_ = 0;
      int code = PushGroup();
      if (code)
        return code;
      continue;
    }
    if (c == '}') {
      skipChars_ = 0;
      int code = PopGroup();
      if (code)
        return code;
      if (depth_ == 0)
        break;
      continue;
    }
    if (c == '\\') {
      int code = ReadControlWord();
      if (code)
        return code;
      continue;
    }
    if (c == 10 || c == 13)
      continue;
    if (cur_.InternalState == 2) {
      int v = hexValue(c);
      if (v < 0)
        return rtf_ec_InvalidHex;
      hexAcc_ = hexAcc_ * 16 + v;
      if (++hexDigits_ == 2) {
        int ch = hexAcc_;
        cur_.InternalState = 0;
        hexAcc_ = hexDigits_ = 0;
        if (skipChars_ > 0) {
          --skipChars_;
        } else {
          int code = CharHandler(ch);
          if (code)
            return code;
        }
      }
      continue;
    }
    if (cur_.InternalState != 0)
      return rtf_ec_Assertion;
    if (skipChars_ > 0) {
      --skipChars_;
      continue;
    }
    int code = CharHandler(c);
    if (code)
      return code;
  }
  FireMarkerUpdate();
  while (tableNesting_ > 0) {
    --tableNesting_;
    FireTable(rvf_tbl_TableEnd);
  }
  // Only the empty entry that the colour table's closing ";" made goes.
  if (colorFromSemicolon_ && colors_.Count() > 0) {
    colors_.Delete(colors_.Count() - 1);
    colorFromSemicolon_ = false;
  }
  if (depth_ < 0)
    return rtf_ec_StackUnderflow;
  if (depth_ > 0)
    return rtf_ec_UnmatchedBrace;
  if (!ansiText_.empty() || !uniText_.empty())
    return Flush(true);
  return rtf_ec_OK;
}

int TRVRTFReader::PushGroup() {
  if (depth_ >= kRTFMaxGroupDepth)
    return rtf_ec_StackOverflow;
  stack_.push_back(cur_);
  cur_.InternalState = 0;
  ++depth_;
  if (cur_.Destination == dsStyleSheet) {
    if (styles_.Count() < kRTFMaxTableEntries)
      styles_.Add().CharProps = cur_.CharProps;
    cur_.Destination = dsStyleEntry;
  }
  return rtf_ec_OK;
}

int TRVRTFReader::PopGroup() {
  if (stack_.empty())
    return rtf_ec_StackUnderflow;
  if (depth_ == 1)
    FireMarkerUpdate();
  TRVRTFReaderState &saved = stack_.back();
  if (cur_.Destination == dsStyleEntry && saved.Destination == dsStyleSheet) {
    if (TRVRTFStyleSheetEntry *e = styles_.Last()) {
      e->CharProps = cur_.CharProps;
      e->ParaProps = cur_.ParaProps;
    }
  }
  if (cur_.Destination == dsNormal)
    Flush(false);
  const uint8_t left = cur_.Destination;
  if (left != saved.Destination) {
    int code = FinishDestination(left, saved);
    if (code)
      return code;
  }
  if (cur_.HFType != saved.HFType && cur_.HFType != rtf_hf_MainText && OnHeaderFooter) {
    bool supported = false;
    OnHeaderFooter(*this, cur_.HFType, false, supported);
  }
  // What a section-level marker group said outlives the group.
  if (left == dsSectionMarker ||
      (sectionText_ && (left == dsMarkerTextAfter || left == dsMarkerTextBefore)))
    saved.SectProps.SectionMarkers = cur_.SectProps.SectionMarkers;
  cur_ = std::move(stack_.back());
  stack_.pop_back();
  --depth_;
  if (left == dsMarker && cur_.Destination != dsMarker && marker_) {
    cur_.ParaProps.Marker = *marker_;
    marker_.reset();
  }
  return rtf_ec_OK;
}

int TRVRTFReader::FinishDestination(uint8_t dest, TRVRTFReaderState &saved) {
  switch (dest) {
  case dsFontTable: {
    static const struct {
      uint8_t charset;
      const char *suffix;
    } suffixes[] = {{204, " cyr"}, {238, " ce"}, {161, " greek"}, {162, " tur"}, {186, " baltic"}};
    for (int i = 0; i < fonts_.Count(); ++i) {
      TRVRTFFont &f = *fonts_.Get(i);
      for (const auto &s : suffixes)
        if (f.Charset == s.charset && endsWithNoCase(f.FontName, s.suffix)) {
          f.FontName.resize(f.FontName.size() - std::strlen(s.suffix));
          break;
        }
    }
    return rtf_ec_OK;
  }
  case dsPicture:
    return FinishPicture();
  case dsObject:
    object_.reset();
    return rtf_ec_OK;
  case dsObjData: {
    Flush(false);
    if (object_ && OnNewObject) {
      bool inserted = false;
      OnNewObject(*this, *object_, position_, inserted);
      objectInserted_ = inserted;
      position_ = rtf_ts_ContinuePara;
    }
    return rtf_ec_OK;
  }
  case dsField:
    cur_.FieldInstruction.clear();
    cur_.FieldResultReplaced = false;
    return rtf_ec_OK;
  case dsFieldInst:
    FieldInstructionDone(saved);
    // The field's result (read in a sibling group) needs the instruction.
    if (saved.Destination == dsField) {
      saved.FieldInstruction = cur_.FieldInstruction;
      saved.FieldResultReplaced = saved.FieldResultReplaced || cur_.FieldResultReplaced;
    }
    return rtf_ec_OK;
  case dsLevelText:
    if (TRVRTFList97 *l = lists_.Last())
      if (!l->Levels.empty()) {
        TRVRTFListLevel97 &lv = l->Levels.back();
        FlushLevelLead(lv);
        if (!lv.TextCut) {
          lv.TextCut = true;
          if (!lv.Text.empty()) {
            size_t n = uint8_t(lv.Text[0]);
            lv.Text = lv.Text.substr(1, n);
          }
          if (!lv.TextW.empty()) {
            size_t n = lv.TextW[0];
            lv.TextW = lv.TextW.substr(1, n);
          }
        }
      }
    return rtf_ec_OK;
  case dsLevelNumbers:
    if (TRVRTFList97 *l = lists_.Last())
      if (!l->Levels.empty()) {
        TRVRTFListLevel97 &lv = l->Levels.back();
        if (!lv.NumbersCut) {
          lv.NumbersCut = true;
          if (!lv.Numbers.empty()) {
            size_t n = uint8_t(lv.Numbers[0]);
            lv.Numbers = lv.Numbers.substr(1, n);
          }
        }
      }
    return rtf_ec_OK;
  default:
    return rtf_ec_OK;
  }
}

int TRVRTFReader::FinishPicture() {
  Flush(false);
  std::unique_ptr<TRVRTFPicture> pic = std::move(picture_);
  if (cur_.FieldResultReplaced)
    return rtf_ec_OK;
  if (!pic)
    return OnNewPicture ? rtf_ec_InvalidPicture : rtf_ec_OK;
  std::unique_ptr<TGraphic> graphic;
  bool loaded = false;
  const std::string_view data = pic->Data;
  const int ppi = screenPixelsPerInch();
  std::optional<std::pair<int, int>> metafileSize;
  switch (pic->Kind) {
  case 0: { // emfblip
    auto m = std::make_unique<TMetafile>();
    loaded = m->loadFromBytes(data) && m->enhanced();
    graphic = std::move(m);
    break;
  }
  case 2: {
    auto j = std::make_unique<TJPEGImage>();
    loaded = j->loadFromBytes(data);
    graphic = std::move(j);
    break;
  }
  case 5: { // wmetafile: METAFILEPICT with map mode and size
    int w = pic->PicW, h = pic->PicH;
    if ((pic->MapMode == 7 || pic->MapMode == 8) && w >= 1 && h >= 1) {
      w = roundHalfEven(int64_t(w) * ppi, 2540);
      h = roundHalfEven(int64_t(h) * ppi, 2540);
    }
    auto m = std::make_unique<TMetafile>();
    loaded = m->loadWindowsMetafileBits(data, w, h);
    // the size of the metafile, also when its one bitmap is taken out
    metafileSize = {m->width(), m->height()};
    if (loaded && ExtractMetafileBitmaps) {
      if (auto bmp = m->singleBitmap())
        graphic = std::move(bmp);
    }
    if (!graphic)
      graphic = std::move(m);
    break;
  }
  case 6: {
    auto b = std::make_unique<TBitmap>();
    loaded = b->loadFromDIB(data);
    graphic = std::move(b);
    break;
  }
  case 7: {
    auto b = std::make_unique<TBitmap>();
    loaded = b->loadFromRawBits(pic->PicW, pic->PicH, pic->Planes, pic->BitsPixel,
                                pic->WidthBytes, data);
    graphic = std::move(b);
    break;
  }
  default: // pngblip, macpict, pmmetafile: we have no graphic for them
    return rtf_ec_OK;
  }
  if (!loaded) {
    // A damaged picture shows as the invalid-picture image; the rest of the
    // document is still read.
    graphic = makeInvalidPicture();
    pic->Invalid = true;
  }
  pic->PixelWidth = loaded && metafileSize ? metafileSize->first : graphic->width();
  pic->PixelHeight = loaded && metafileSize ? metafileSize->second : graphic->height();
  if (pic->PicWGoal > 0 && pic->PicHGoal > 0) {
    pic->PixelWidth = roundHalfEven(int64_t(pic->PicWGoal) * ppi, 1440);
    pic->PixelHeight = roundHalfEven(int64_t(pic->PicHGoal) * ppi, 1440);
  }
  if (RVRTFAfterImportGraphic)
    RVRTFAfterImportGraphic(*graphic);
  bool inserted = false;
  if (OnNewPicture)
    OnNewPicture(*this, pic.get(), graphic, position_, inserted);
  if (pic->FromShpPict)
    shppictInserted_ = inserted;
  position_ = rtf_ts_ContinuePara;
  return rtf_ec_OK;
}

void TRVRTFReader::FieldInstructionDone(TRVRTFReaderState &saved) {
  std::string_view instr = trimView(cur_.FieldInstruction.str());
  if (!instr.empty() && instr.front() == '\\')
    instr.remove_prefix(1);
  const std::string up = upperAscii(instr);
  if (OnNewPicture && (up.compare(0, 14, "INCLUDEPICTURE") == 0 || up.compare(0, 6, "IMPORT") == 0)) {
    std::string arg = GetFieldArgument(instr);
    for (size_t p = arg.find("\\\\"); p != std::string::npos; p = arg.find("\\\\", p + 1))
      arg.erase(p, 1);
    if (!BasePath.empty() && (BasePath.back() == '\\' || BasePath.back() == '/') && !arg.empty() &&
        (arg.front() == '\\' || arg.front() == '/'))
      arg.erase(0, 1);
    std::unique_ptr<TGraphic> graphic;
    // The location goes to the receiver only: the reader opens no file an
    // RTF document names.
    if (OnImportPicture)
      OnImportPicture(*this, BasePath + arg, graphic);
    if (graphic) {
      if (RVRTFAfterImportGraphic)
        RVRTFAfterImportGraphic(*graphic);
      bool inserted = false;
      OnNewPicture(*this, nullptr, graphic, position_, inserted);
      position_ = rtf_ts_ContinuePara;
      cur_.FieldResultReplaced = true;
      saved.FieldResultReplaced = true;
    }
  }
  if (up.compare(0, 6, "SYMBOL") == 0) {
    std::string_view args = instr.size() > 7 ? instr.substr(7) : std::string_view();
    size_t sp = args.find(' ');
    std::string_view code = trimView(args.substr(0, sp));
    std::string fontName;
    int32_t size = -1;
    size_t f = args.find("\\f");
    if (f != std::string_view::npos) {
      size_t q1 = args.find('"', f);
      if (q1 != std::string_view::npos) {
        size_t q2 = args.find('"', q1 + 1);
        if (q2 != std::string_view::npos)
          fontName = std::string(args.substr(q1 + 1, std::min(q2 - q1 - 1, kRTFMaxNameLength)));
      }
    }
    size_t s = args.find("\\s");
    if (s != std::string_view::npos) {
      std::string_view rest = trimView(args.substr(s + 2));
      int64_t v = 0;
      size_t i = 0;
      while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9' && v < 100000)
        v = v * 10 + (rest[i++] - '0');
      if (i > 0)
        size = int32_t(v);
    }
    int64_t ch = -1;
    if (!code.empty()) {
      int64_t v = 0;
      bool ok = true;
      if (code.size() > 2 && code[0] == '0' && (code[1] == 'x' || code[1] == 'X')) {
        for (size_t i = 2; i < code.size() && ok; ++i) {
          int h = hexValue(uint8_t(code[i]));
          ok = h >= 0 && v < 0x10000;
          v = v * 16 + h;
        }
      } else {
        for (size_t i = 0; i < code.size() && ok; ++i) {
          ok = code[i] >= '0' && code[i] <= '9' && v < 0x10000;
          v = v * 10 + (code[i] - '0');
        }
      }
      if (ok && v > 0 && v <= 0xFFFF)
        ch = v;
    }
    if (ch > 0 && !fontName.empty() && size > 0) {
      const int32_t oldSize = cur_.CharProps.Size;
      cur_.CharProps.FontName = fontName;
      cur_.CharProps.Size = size;
      if (ch <= 0xFF) {
        TextOutput(int(ch), true, true);
      } else if (OnNewUnicodeText) {
        AddUnicodeChar(char16_t(ch));
      } else {
        for (char b : UnicodeToAnsi(std::u16string(1, char16_t(ch))))
          TextOutput(uint8_t(b), true, true);
      }
      Flush(false);
      cur_.CharProps.Size = oldSize;
      cur_.CharProps.FontName.clear();
    }
  }
}

// ------------------------------------------------------------------ control words

int TRVRTFReader::ReadControlWord() {
  int c = GetByte();
  if (c < 0)
    return rtf_ec_EndOfFile;
  if (!isLetter(c)) {
    char sym = char(c);
    if (skipChars_ > 0 && sym != '\'') {
      // \' counts as one fallback character once its two digits are read
      --skipChars_;
      return rtf_ec_OK;
    }
    return LookupWord(std::string_view(&sym, 1), false, 0);
  }
  char word[kRTFMaxControlWordLength + 1];
  int len = 0;
  bool tooLong = false;
  while (c >= 0 && isLetter(c)) {
    if (len < kRTFMaxControlWordLength)
      word[len++] = char(c);
    else
      tooLong = true;
    c = GetByte();
  }
  bool neg = false, hasParam = false;
  int64_t value = 0;
  if (c == '-') {
    neg = true;
    c = GetByte();
  }
  if (c >= '0' && c <= '9') {
    hasParam = true;
    while (c >= '0' && c <= '9') {
      if (value <= int64_t(INT32_MAX) + 1)
        value = value * 10 + (c - '0');
      c = GetByte();
    }
    if (neg)
      value = -value;
    // over-long numbers saturate
    value = std::clamp<int64_t>(value, INT32_MIN, INT32_MAX);
  }
  if (c >= 0 && c != ' ')
    PushBack(c);
  if (skipChars_ > 0) {
    --skipChars_;
    return rtf_ec_OK;
  }
  if (tooLong) { // no control word is that long: an unknown word
    if (ignorable_)
      cur_.Destination = dsSkip;
    ignorable_ = false;
    return rtf_ec_OK;
  }
  return LookupWord(std::string_view(word, size_t(len)), hasParam, int32_t(value));
}

int TRVRTFReader::LookupWord(std::string_view word, bool hasParam, int32_t param) {
  const Rec *r = FindWord(word);
  if (!r) {
    if (ignorable_)
      cur_.Destination = dsSkip;
    ignorable_ = false;
    return rtf_ec_OK;
  }
  ignorable_ = false;
  switch (r->kind) {
  case kChar:
    return CharHandler(r->index);
  case kTypo:
    if (cur_.Destination == dsNormal && OnNewUnicodeText) {
      AddUnicodeChar(char16_t(r->def));
      return rtf_ec_OK;
    }
    return CharHandler(r->index);
  case kDest:
    return EnterDestination(r->index, 0);
  case kProp: {
    int32_t value = (r->useDef || !hasParam) ? r->def : param;
    int g = groupOf(*r);
    if (cur_.Destination == dsNormal && (g == 1 || g == 2))
      Flush(false);
    return ApplyProperty(r->index, value, hasParam, param);
  }
  case kSpecial:
    if (cur_.Destination == dsSkip && r->index != spBin)
      return rtf_ec_OK;
    switch (r->index) {
    case spBin:
      // \bin without a count, \bin0 and negative counts take no byte.
      if (hasParam && param > 0) {
        cur_.InternalState = 1;
        binLeft_ = param;
      }
      return rtf_ec_OK;
    case spHex:
      cur_.InternalState = 2;
      hexAcc_ = hexDigits_ = 0;
      return rtf_ec_OK;
    case spIgnorable:
      ignorable_ = true;
      return rtf_ec_OK;
    default:
      return rtf_ec_BadTable;
    }
  default:
    return rtf_ec_BadTable;
  }
}

// ------------------------------------------------------------------ properties

TRVRTFColor TRVRTFReader::ColorAt(int32_t index) const {
  const TRVRTFColor *c = colors_.Get(index);
  return c ? *c : rtf_clNone;
}

TRVRTFMarkerProperties *TRVRTFReader::TextMarker() {
  if (sectionText_)
    return &cur_.SectProps.SectionMarker(sectionLevel_);
  return marker_.get();
}

TRVRTFMarkerProperties *TRVRTFReader::TargetMarker() {
  if (cur_.Destination == dsSectionMarker)
    return &cur_.SectProps.SectionMarker(sectionLevel_);
  return marker_.get();
}

void TRVRTFReader::ApplyMarkerProperty(TRVRTFMarkerProperties &m, int num, int32_t value) {
  auto setBit = [&](uint8_t bit) {
    if (value)
      m.FontStyle |= bit;
    else
      m.FontStyle &= uint8_t(~bit);
  };
  switch (num) {
  case ipPnLvl:
    // A numbered level starts from what the section said about that level.
    if (cur_.Destination == dsMarker && value >= 1 && value <= 11)
      if (const TRVRTFMarkerProperties *s = cur_.SectProps.GetSectionMarker(value))
        m = *s;
    m.Level = value;
    break;
  case ipPnHang: m.Hanging = value != 0; break;
  case ipPnType: m.NumberType = uint8_t(value); break;
  case ipPnB: setBit(rtf_fsBold); break;
  case ipPnI: setBit(rtf_fsItalic); break;
  case ipPnUl: setBit(rtf_fsUnderline); break;
  case ipPnStrike: setBit(rtf_fsStrikeOut); break;
  case ipPnCf:
    if (ValidColorIndex(value)) {
      m.Color = ColorAt(value);
      m.ColorGiven = true;
    }
    break;
  case ipPnF:
    m.FontIndex = fonts_.GetFontIndex(value, cur_.DefFontNumber);
    m.FontGiven = m.FontIndex >= 0;
    break;
  case ipPnFs:
    m.Size = roundHalfEven(value, 2);
    m.SizeGiven = true;
    break;
  case ipPnIndent: m.Indent = value; break;
  case ipPnSp: m.Spacing = value; break;
  case ipPnAlign: m.Alignment = uint8_t(value); break;
  case ipPnStart: m.StartAt = value; break;
  default: break;
  }
}

void TRVRTFReader::ApplyLevelProperty(TRVRTFListLevel97 &l, int num, int32_t value) {
  auto setBit = [&](uint8_t bit) {
    if (value)
      l.FontStyle |= bit;
    else
      l.FontStyle &= uint8_t(~bit);
  };
  switch (num) {
  case ipLevelStartAt: l.StartAt = value; break;
  case ipLevelNfc: l.NumberType = uint8_t(levelNfcType(value)); break;
  case ipLevelJc: l.Alignment = value == 1 ? 2 : (value == 2 ? 1 : 0); break;
  case ipLevelOld: l.Old = value != 0; break;
  case ipLevelIndent: l.Indent = value; break;
  case ipLevelSpace: l.Space = value; break;
  case ipLevelFollow: l.Follow = value; break;
  case ipLevelLegal: l.Legal = value != 0; break;
  case ipLevelNoRestart: l.NoRestart = value != 0; break;
  case ipTx: l.Tab = value; break;
  case ipLI: l.LeftIndent = value; break;
  case ipFI: l.FirstIndent = value; break;
  case ipFont:
    l.FontIndex = fonts_.GetFontIndex(value, cur_.DefFontNumber);
    l.FontGiven = l.FontIndex >= 0;
    break;
  case ipFontSize:
    l.Size = roundHalfEven(value, 2);
    l.SizeGiven = true;
    break;
  case ipColor:
    if (ValidColorIndex(value)) {
      l.Color = ColorAt(value);
      l.ColorGiven = true;
    }
    break;
  case ipBold: setBit(rtf_fsBold); break;
  case ipItalic: setBit(rtf_fsItalic); break;
  case ipUnderline: setBit(rtf_fsUnderline); break;
  case ipStrike: setBit(rtf_fsStrikeOut); break;
  default: break;
  }
}

void TRVRTFReader::ApplyBorderProperty(int num, int32_t value) {
  TRVRTFParaBorder *border = nullptr;
  if (cur_.BorderTarget == 1) {
    border = &cur_.RowForWrite().Border;
  } else if (cur_.BorderTarget == 2) {
    border = &cur_.RowForWrite().LastCell().Border;
  } else {
    if (!cur_.ParaProps.Border)
      cur_.ParaProps.Border.emplace();
    border = &*cur_.ParaProps.Border;
  }
  TRVRTFBorderSide &side = border->Side(border->CurrentSide);
  switch (num) {
  case ipBrdrType:
    if (!side.TypeGiven) { // only the first type given to a side counts
      side.BorderType = uint8_t(value);
      side.TypeGiven = true;
    }
    break;
  case ipBrdrW: side.Width = value; break;
  case ipBrdrCF:
    if (ValidColorIndex(value))
      side.Color = ColorAt(value);
    break;
  case ipBrSp: side.Space = value; break;
  default: break;
  }
}

static void applyWidth(int32_t &bestWidth, bool &percent, int32_t raw, int32_t unit) {
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

int TRVRTFReader::ApplyProperty(int num, int32_t value, bool hasParam, int32_t param) {
  (void)param;
  const uint8_t dest = cur_.Destination;
  if (dest == dsSkip)
    return rtf_ec_OK;
  // Code page and Unicode words act wherever the general rules do: not in
  // the colour table, pictures, objects, markers and list structure.
  const bool ownRules = dest == dsColorTable || dest == dsPicture || dest == dsObject ||
                        dest == dsMarker || dest == dsSectionMarker || dest == dsList ||
                        dest == dsListLevel || dest == dsOverride || dest == dsOverrideLevel;
  if (!ownRules) {
    switch (num) {
    case ipAnsiCpg: codePage_ = uint32_t(value); return rtf_ec_OK;
    case ipUC: cur_.UC = std::clamp<int32_t>(value, 0, 16); return rtf_ec_OK;
    case ipU: HandleUnicode(value); return rtf_ec_OK;
    default: break;
    }
  }
  switch (dest) {
  case dsColorTable:
    if (num == ipRed || num == ipGreen || num == ipBlue) {
      TRVRTFColor *c = colors_.Last();
      if (!c)
        c = &colors_.Add(rtf_clWindowText);
      if (*c == rtf_clWindowText)
        *c = 0;
      const int shift = num == ipRed ? 0 : (num == ipGreen ? 8 : 16);
      *c = TRVRTFColor((uint32_t(*c) & ~(0xFFu << shift)) | (uint32_t(value & 0xFF) << shift));
      colorFromSemicolon_ = false;
    }
    return rtf_ec_OK;
  case dsFontTable:
    if (num == ipFont) {
      if (fonts_.Count() < kRTFMaxFonts)
        fonts_.Add().FontNumber = value;
    } else if (TRVRTFFont *f = fonts_.Last()) {
      if (num == ipFontFamily)
        f->Family = uint8_t(value);
      else if (num == ipFCharset)
        f->Charset = value >= 256 ? 77 : uint8_t(std::max<int32_t>(value, 0));
    }
    return rtf_ec_OK;
  case dsStyleSheet:
  case dsStyleEntry:
    // \s, \cs and \ds number and kind the entry they stand in; outside an
    // entry they name none.
    if (num == ipS || num == ipCS || num == ipDS) {
      TRVRTFStyleSheetEntry *e = styles_.Last();
      if (e && dest == dsStyleEntry) {
        e->Number = value;
        e->Kind = num == ipS ? 1 : (num == ipCS ? 0 : 2);
      }
      return rtf_ec_OK;
    }
    if (dest == dsStyleSheet) {
      if (num == ipFont)
        if (TRVRTFStyleSheetEntry *e = styles_.Last())
          e->CharProps.FontIndex = fonts_.GetFontIndex(value, cur_.DefFontNumber);
      return rtf_ec_OK;
    }
    if (TRVRTFStyleSheetEntry *e = styles_.Last()) {
      switch (num) {
      case ipSBasedOn: e->BasedOn = value; return rtf_ec_OK;
      case ipSNext: e->Next = value; return rtf_ec_OK;
      case ipAdditive: e->Additive = true; return rtf_ec_OK;
      case ipSHidden: e->Hidden = true; return rtf_ec_OK;
      default: break;
      }
    }
    // The entry's own formatting: character and paragraph words only, so
    // that nothing in a style sheet fires events.
    if (num <= ipDefLang || (num >= ipSL && num <= ipFI) || num == ipAlign || num == ipPard ||
        num == ipPlain || num == ipFont || (num >= ipSB && num <= ipShading) || num == ipHidden ||
        num == ipKeep || num == ipKeepN)
      return ApplyGeneral(num, value, hasParam);
    return rtf_ec_OK;
  case dsPicture:
    if (picture_) {
      TRVRTFPicture &p = *picture_;
      switch (num) {
      case ipPicW: p.PicW = value; break;
      case ipPicH: p.PicH = value; break;
      case ipPicScaleX: p.ScaleX = value; break;
      case ipPicScaleY: p.ScaleY = value; break;
      case ipPicWGoal: p.PicWGoal = value; break;
      case ipPicHGoal: p.PicHGoal = value; break;
      case ipWbmWidthBytes: p.WidthBytes = value; break;
      case ipWbmBitsPixel: p.BitsPixel = value; break;
      case ipWbmPlanes: p.Planes = value; break;
      case ipPicKind: p.Kind = uint8_t(value); break;
      case ipWMetafile:
        p.Kind = 5;
        p.MapMode = (value >= 2 && value <= 8) ? value : 1;
        break;
      case ipPicBmp: p.PicBmp = value != 0; break;
      default: break;
      }
    }
    return rtf_ec_OK;
  case dsObject:
    if (object_) {
      if (num == ipObjKind)
        object_->Kind = uint8_t(value);
      else if (num == ipObjW)
        object_->Width = value;
      else if (num == ipObjH)
        object_->Height = value;
    }
    return rtf_ec_OK;
  case dsMarker:
  case dsSectionMarker:
    if (num >= ipPnLvl && num <= ipPnStart)
      if (TRVRTFMarkerProperties *m = TargetMarker())
        ApplyMarkerProperty(*m, num, value);
    return rtf_ec_OK;
  case dsList:
    if (TRVRTFList97 *l = lists_.Last()) {
      if (num == ipListID)
        l->ListID = value;
      else if (num == ipListSimple)
        l->Simple = value != 0;
    }
    return rtf_ec_OK;
  case dsListLevel:
    if (TRVRTFList97 *l = lists_.Last())
      if (!l->Levels.empty())
        ApplyLevelProperty(l->Levels.back(), num, value);
    return rtf_ec_OK;
  case dsOverride:
    if (TRVRTFListOverride97 *o = overrides_.Last()) {
      if (num == ipListID) {
        o->ListIndex = -1;
        for (int i = 0; i < lists_.Count(); ++i)
          if (lists_.Get(i)->ListID == value) {
            o->ListIndex = i;
            break;
          }
      } else if (num == ipListOverrideCount) {
        o->Count = value;
      } else if (num == ipLS) {
        o->Number = value;
      }
    }
    return rtf_ec_OK;
  case dsOverrideLevel:
    if (TRVRTFListOverride97 *o = overrides_.Last())
      if (!o->Levels.empty()) {
        if (num == ipLevelStartAt)
          o->Levels.back().StartAt = value;
        else if (num == ipListOverrideStartAt)
          o->Levels.back().UseStartAt = value != 0;
      }
    return rtf_ec_OK;
  default:
    return ApplyGeneral(num, value, hasParam);
  }
}

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

void TRVRTFReader::HandleUnicode(int32_t value) {
  const char16_t ch = char16_t(uint32_t(value) & 0xFFFF);
  const uint8_t dest = cur_.Destination;
  if (dest == dsNormal) {
    if (OnNewUnicodeText) {
      skipChars_ = cur_.UC;
      AddUnicodeChar(ch);
    }
    return;
  }
  if (dest == dsMarkerTextAfter || dest == dsMarkerTextBefore) {
    const TRVRTFMarkerProperties *m = TextMarker();
    if (m && ch >= 0xF000 && ch <= 0xF0FF) {
      const TRVRTFFont *f = fonts_.Get(m->FontIndex);
      if (f && upperAscii(f->FontName) == "SYMBOL") {
        skipChars_ = cur_.UC;
        CharHandler(ch & 0xFF);
        return;
      }
    }
  }
  if (dest == dsLevelText) {
    skipChars_ = cur_.UC;
    if (TRVRTFList97 *l = lists_.Last())
      if (!l->Levels.empty() && l->Levels.back().TextW.size() < kRTFMaxNameLength) {
        FlushLevelLead(l->Levels.back());
        l->Levels.back().TextW.push_back(ch);
        l->Levels.back().Text += UnicodeToAnsi(std::u16string(1, ch));
      }
    return;
  }
  if (cur_.UC > 0) {
    skipChars_ = cur_.UC;
    for (char b : UnicodeToAnsi(std::u16string(1, ch)))
      CharHandler(uint8_t(b));
  }
}

// ------------------------------------------------------------------ destinations

int TRVRTFReader::EnterDestination(int num, int32_t param) {
  uint8_t &dest = cur_.Destination;
  if (dest == dsSkip)
    return rtf_ec_OK;
  switch (num) {
  case idShpPict:
    shppictInserted_ = false;
    dest = dsShpPict;
    break;
  case idNonShpPict:
    dest = shppictInserted_ ? dsSkip : dsNormal;
    break;
  case idPict:
    if (picture_)
      return rtf_ec_InvalidPicture;
    if (OnNewPicture) {
      picture_ = std::make_unique<TRVRTFPicture>();
      picture_->FromShpPict = dest == dsShpPict;
    }
    dest = dsPicture;
    picHigh_ = true;
    picAcc_ = 0;
    break;
  case idFontTbl:
    fonts_.Clear();
    dest = dsFontTable;
    break;
  case idStyleSheet:
    styles_.Clear();
    dest = dsStyleSheet;
    break;
  case idColorTbl:
    colors_.Clear();
    colors_.Add(rtf_clWindowText);
    colorFromSemicolon_ = false;
    dest = dsColorTable;
    break;
  case idField:
    Flush(true);
    dest = dsField;
    break;
  case idFldInst:
    if (dest == dsField) {
      cur_.FieldInstruction.start();
      dest = dsFieldInst;
    } else {
      dest = dsSkip;
    }
    break;
  case idFldRslt:
  case idNestTableProps:
    dest = dsNormal;
    break;
  case idHeader:
  case idFooter: {
    cur_.HFType = num == idHeader ? rtf_hf_Header : rtf_hf_Footer;
    bool supported = false;
    if (OnHeaderFooter)
      OnHeaderFooter(*this, cur_.HFType, true, supported);
    if (!supported)
      dest = dsSkip;
    break;
  }
  case idPnTxtA:
  case idPnTxtB:
    if ((dest == dsMarker && marker_) || dest == dsSectionMarker) {
      sectionText_ = dest == dsSectionMarker;
      dest = num == idPnTxtA ? dsMarkerTextAfter : dsMarkerTextBefore;
    } else {
      dest = dsSkip;
    }
    break;
  case idPn:
    marker_ = std::make_unique<TRVRTFMarkerProperties>();
    dest = dsMarker;
    break;
  case idPnSecLvl:
    sectionLevel_ = std::clamp<int32_t>(param, 1, 11);
    dest = dsSectionMarker;
    break;
  case idListTable:
    lists_.Clear();
    dest = dsListTable;
    break;
  case idList:
    if (dest == dsListTable && lists_.Count() < kRTFMaxLists) {
      lists_.Add();
      dest = dsList;
    } else {
      dest = dsSkip;
    }
    break;
  case idListName:
    dest = dest == dsList ? dsListName : dsSkip;
    break;
  case idListLevel:
    if (dest == dsList && lists_.Last() && lists_.Last()->Levels.size() < size_t(kRTFMaxListLevels)) {
      lists_.Last()->Levels.emplace_back();
      dest = dsListLevel;
    } else {
      dest = dsSkip;
    }
    break;
  case idLevelText:
    dest = dest == dsListLevel ? dsLevelText : dsSkip;
    levelLead_ = -1;
    break;
  case idLevelNumbers:
    dest = dest == dsListLevel ? dsLevelNumbers : dsSkip;
    break;
  case idListOverrideTable:
    overrides_.Clear();
    dest = dsOverrideTable;
    break;
  case idListOverride:
    if (dest == dsOverrideTable && overrides_.Count() < kRTFMaxLists) {
      overrides_.Add();
      dest = dsOverride;
    } else {
      dest = dsSkip;
    }
    break;
  case idLfoLevel:
    if (dest == dsOverride && overrides_.Last() &&
        overrides_.Last()->Levels.size() < size_t(kRTFMaxListLevels)) {
      overrides_.Last()->Levels.emplace_back();
      dest = dsOverrideLevel;
    } else {
      dest = dsSkip;
    }
    break;
  case idObject:
    objectInserted_ = false;
    if (OnNewObject) {
      object_ = std::make_unique<TRVRTFObject>();
      dest = dsObject;
    } else {
      dest = dsNormal;
    }
    break;
  case idObjData:
    if (dest == dsObject && object_) {
      object_->Data.clear();
      objHigh_ = true;
      objAcc_ = 0;
      dest = dsObjData;
    } else {
      dest = dsSkip;
    }
    break;
  case idResult:
    dest = objectInserted_ ? dsSkip : dsNormal;
    break;
  default:
    dest = dsSkip;
    break;
  }
  return rtf_ec_OK;
}

// ------------------------------------------------------------------ characters

void TRVRTFReader::AddDataByte(std::string &data, int c, bool &high, uint8_t &acc, int &err) {
  if (cur_.InternalState == 1) {
    data.push_back(char(c));
    return;
  }
  int v = hexValue(c);
  if (v < 0) {
    err = rtf_ec_InvalidHex;
    return;
  }
  if (high) {
    acc = uint8_t(v << 4);
    high = false;
  } else {
    data.push_back(char(acc | v));
    high = true;
  }
}

int TRVRTFReader::CharHandler(int c) {
  int code = rtf_ec_OK;
  switch (cur_.Destination) {
  case dsNormal:
    if ((c == 10 || c == 13) && OnUpdateMarker) {
      FireMarkerUpdate();
      code = TextOutput(c, true, true);
      FireMarkerUpdate();
    } else {
      code = TextOutput(c, true, true);
    }
    break;
  case dsFontTable:
    // Text before the first font has no entry to go to.
    if (c != ';')
      if (TRVRTFFont *f = fonts_.Last())
        if (f->FontName.size() < kRTFMaxNameLength)
          f->FontName.push_back(char(c));
    break;
  case dsColorTable:
    if (c == ';') {
      colors_.Add(rtf_clWindowText);
      colorFromSemicolon_ = true;
    }
    break;
  case dsStyleEntry:
    if (c != ';')
      if (TRVRTFStyleSheetEntry *e = styles_.Last())
        if (e->Name.size() < kRTFMaxNameLength)
          e->Name.push_back(char(c));
    break;
  case dsPicture: {
    if (picture_)
      AddDataByte(picture_->Data, c, picHigh_, picAcc_, code);
    else if (cur_.InternalState != 1 && hexValue(c) < 0)
      code = rtf_ec_InvalidHex;
    break;
  }
  case dsObjData:
    if (object_)
      AddDataByte(object_->Data, c, objHigh_, objAcc_, code);
    break;
  case dsFieldInst:
    cur_.FieldInstruction.push_back(char(c), kRTFMaxFieldInstruction);
    break;
  case dsMarkerTextAfter:
  case dsMarkerTextBefore:
    if (TRVRTFMarkerProperties *m = TextMarker()) {
      std::string &t = cur_.Destination == dsMarkerTextAfter ? m->TextAfter : m->TextBefore;
      if (t.size() < kRTFMaxNameLength)
        t.push_back(char(c));
    }
    break;
  case dsListName:
    if (TRVRTFList97 *l = lists_.Last())
      if (l->Name.size() < kRTFMaxNameLength)
        l->Name.push_back(char(c));
    break;
  case dsLevelText:
    if (TRVRTFList97 *l = lists_.Last())
      if (!l->Levels.empty() && l->Levels.back().Text.size() < kRTFMaxNameLength) {
        TRVRTFListLevel97 &lv = l->Levels.back();
        const char b = char(c);
        lv.Text.push_back(b);
        // A double-byte character is converted once both its bytes are in.
        if (levelLead_ >= 0) {
          const char pair[2] = {char(levelLead_), b};
          levelLead_ = -1;
          lv.TextW += AnsiToUnicode(std::string_view(pair, 2));
        } else if (isLeadByte(isCodePageSupported(int(codePage_)) ? int(codePage_) : CP_ACP,
                              uint8_t(b))) {
          levelLead_ = uint8_t(b);
        } else {
          lv.TextW += AnsiToUnicode(std::string_view(&b, 1));
        }
      }
    break;
  case dsLevelNumbers:
    if (TRVRTFList97 *l = lists_.Last())
      if (!l->Levels.empty() && l->Levels.back().Numbers.size() < kRTFMaxNameLength)
        l->Levels.back().Numbers.push_back(char(c));
    break;
  default:
    break;
  }
  if (cur_.InternalState == 1 && --binLeft_ <= 0)
    cur_.InternalState = 0;
  return code;
}

int TRVRTFReader::TextOutput(int c, bool closingAllowed, bool sync) {
  if (sync)
    SyncNesting(closingAllowed);
  if (c != 0 && c != 10 && c != 13) {
    if (!uniText_.empty())
      FlushBuffers();
    ansiText_.push_back(char(c));
    return rtf_ec_OK;
  }
  FlushBuffers();
  if (c == 10)
    position_ = rtf_ts_NewPara;
  else if (c == 13)
    position_ = rtf_ts_NewLine;
  return rtf_ec_OK;
}

int TRVRTFReader::Flush(bool sync) { return TextOutput(0, true, sync); }

bool TRVRTFReader::FlushBuffers() {
  if (ansiText_.empty() && uniText_.empty() && !forceFlush_)
    return false;
  FinishParaShading();
  if (!uniText_.empty() && OnNewUnicodeText) {
    std::u16string text;
    text.swap(uniText_);
    ansiText_.clear();
    OnNewUnicodeText(*this, text, position_);
  } else {
    std::string text;
    text.swap(ansiText_);
    uniText_.clear();
    if (OnNewText)
      OnNewText(*this, text, position_);
  }
  position_ = rtf_ts_ContinuePara;
  return true;
}

// A lead byte that no second byte followed stands for itself.
void TRVRTFReader::FlushLevelLead(TRVRTFListLevel97 &lv) {
  if (levelLead_ < 0)
    return;
  const char b = char(levelLead_);
  levelLead_ = -1;
  lv.TextW += AnsiToUnicode(std::string_view(&b, 1));
}

void TRVRTFReader::AddUnicodeChar(char16_t ch) {
  SyncNesting(true);
  if (!ansiText_.empty())
    FlushBuffers();
  if (ch != 0)
    uniText_.push_back(ch);
}

void TRVRTFReader::FinishParaShading() {
  TRVRTFParaProperties &pp = cur_.ParaProps;
  if (pp.Shading != 0) {
    pp.Color = mixShading(pp.Color, pp.ForeColor, pp.Shading);
    pp.Shading = 0;
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

void TRVRTFReader::FireMarkerUpdate() {
  if (!OnUpdateMarker)
    return;
  TRVRTFParaProperties &pp = cur_.ParaProps;
  if (pp.Marker) {
    TRVRTFMarkerProperties &m = *pp.Marker;
    if (!m.FontGiven)
      m.FontIndex = cur_.CharProps.FontIndex;
    if (!m.SizeGiven)
      m.Size = cur_.CharProps.Size;
    if (!m.ColorGiven)
      m.Color = cur_.CharProps.Color;
  }
  OnUpdateMarker(*this);
}

} // namespace kc
