#pragma once
// The options, kinds and numbered properties that documents and items share:
// host-control, RVF, RTF and save options, warnings, actions, draw states,
// item kinds and option bits, and the numbers of the items' properties.
#include <cstdint>
#include <vector>

#include "platform/CanvasTypes.h"
#include "richtext/document/RVStyle.h"

namespace kc {

// Options of the host control, shared by the documents and the items

enum TRVOption : uint8_t {
  rvoAllowSelection,
  rvoSingleClick,
  rvoScrollToEnd,
  rvoClientTextWidth,
  rvoShowCheckpoints,
  rvoShowPageBreaks,
  rvoShowSpecialCharacters,
  rvoTagsArePChars,
  rvoAutoCopyText,
  rvoAutoCopyUnicodeText,
  rvoAutoCopyRVF,
  rvoAutoCopyImage,
  rvoAutoCopyRTF,
  rvoFormatInvalidate,
  rvoDblClickSelectsWord,
  rvoRClickDeselects,
  rvoDisallowDrag,
  rvoShowItemHints
};
using TRVOptions = TRVSet<TRVOption, uint32_t>;
constexpr uint32_t RVDefaultOptions = 64805;

enum TRVFOption : uint8_t {
  rvfoSavePicturesBody,
  rvfoSaveControlsBody,
  rvfoIgnoreUnknownPicFmt,
  rvfoIgnoreUnknownCtrls,
  rvfoConvUnknownStylesToZero,
  rvfoConvLargeImageIdxToZero,
  rvfoSaveBinary,
  rvfoUseStyleNames,
  rvfoSaveBack,
  rvfoLoadBack,
  rvfoSaveTextStyles,
  rvfoSaveParaStyles,
  rvfoSaveLayout,
  rvfoLoadLayout,
  rvfoSaveDocProperties,
  rvfoLoadDocProperties
};
using TRVFOptions = TRVSet<TRVFOption, uint16_t>;

enum TRVRTFOption : uint8_t {
  rvrtfSaveStyleSheet,
  rvrtfDuplicateUnicode,
  rvrtfSaveEMFAsWMF,
  rvrtfSaveJpegAsJpeg,
  rvrtfSaveBitmapDefault,
  rvrtfSaveEMFDefault
};
using TRVRTFOptions = TRVSet<TRVRTFOption, uint8_t>;

// The RVF warning byte: what reading had to change or drop.
enum TRVFWarning : uint8_t {
  rvfwUnknownPicFmt,         // 1
  rvfwUnknownCtrls,          // 2
  rvfwConvUnknownStyles,     // 4
  rvfwConvLargeImageIdx,     // 8
  rvfwConvToUnicode,         // 16
  rvfwConvFromUnicode,       // 32
  rvfwInvalidPicture,        // 64
  rvfwUnknownStyleProperties // 128
};
using TRVFWarnings = TRVSet<TRVFWarning, uint8_t>;

enum TRVSaveOption : uint8_t {
  rvsoOverwriteImages,
  rvsoHeadOnly,
  rvsoBodyOnly,
  rvsoEndOnly,
  rvsoNoDefaultStyleTags,
  rvsoNoImageBorders,
  rvsoImageSizes,
  rvsoUTF8,
  rvsoCheckpointNames,
  rvsoMarkersAsText,
  rvsoInlineStyles,
  rvsoClassForStyle0,
  rvsoUseItemImageFileNames
};
using TRVSaveOptions = TRVSet<TRVSaveOption, uint32_t>;

enum TRVSaveFormat : uint8_t { rvsfText, rvsfHTML, rvsfRTF, rvsfRVF };

enum TRVItemAction : uint8_t { rviaInserting, rviaInserted, rviaTextModifying, rviaDestroying, rviaMovingToUndoList };

enum TRVControlAction : uint8_t {
  rvcaAfterRVFLoad,
  rvcaDestroy,
  rvcaMoveToUndoList,
  rvcaMoveFromUndoList,
  rvcaDestroyInUndoList,
  rvcaBeforeRVFSave,
  rvcaAfterRVFSave
};

enum TRVPaletteAction : uint8_t { rvpaDoNothing, rvpaAssignPalette, rvpaCreateCopies, rvpaCreateCopiesEx };
// A logical palette: its colours. Palette handles do not exist here; a
// non-zero handle only says that a palette is in use.
struct TRVLogPalette {
  std::vector<TColor> Entries;
};
using HPALETTE = uintptr_t;

enum TRVVAlign : uint8_t { rvvaBaseline, rvvaMiddle };

// Walking the nested documents of an item.
enum TRVSubRVDataPos : uint8_t { rvdFirst, rvdLast, rvdChosenUp, rvdChosenDown, rvdNext, rvdPrev };
// The direction of a caret move that left a document at its edge, or that
// reached an item able to take the caret.
enum TRVGetOutDirection : uint8_t { rvdLeft, rvdUp, rvdRight, rvdDown, rvdTop, rvdBottom };

// Draw states of a non-text item.
enum TRVItemDrawState : uint8_t {
  rvidsSelected,          // 1
  rvidsCurrent,           // 2
  rvidsHover,             // 4
  rvidsPrinting,          // 8
  rvidsPreview,           // 16
  rvidsPreviewCorrection, // 32
  rvidsControlFocused     // 64
};
using TRVItemDrawStates = TRVSet<TRVItemDrawState, uint8_t>;

// Item kinds.
constexpr int rvsBreak = -1;
constexpr int rvsCheckpoint = -2;
constexpr int rvsPicture = -3;
constexpr int rvsHotspot = -4;
constexpr int rvsComponent = -5;
constexpr int rvsBullet = -6;
constexpr int rvsBack = -7;
constexpr int rvsVersionInfo = -8;
constexpr int rvsDocProperty = -9;
constexpr int rvsHotPicture = -10;
constexpr int rvsListMarker = -11;
constexpr int rvsTable = -60;
// The stored text style of a text item that takes its paragraph's default.
constexpr int rvsDefStyle = 0x7FFFFFFF;

// Item option bits.
enum TRVItemOption : uint8_t { rvioContinuePara, rvioPageBreakBefore, rvioLineBreakBefore, rvioUnicode };
using TRVItemOptions = TRVSet<TRVItemOption, uint8_t>;

// Numbered yes/no properties (GetFlag / GetStyleFlag).
enum : int {
  rvbpFullWidth = 0,
  rvbpValid = 1,
  rvbpRequiresRVFLines = 2,
  rvbpDisplayActiveState = 3,
  rvbpDrawingChangesFont = 4,
  rvbpCanSaveUnicode = 5,
  rvbpAlwaysInText = 6,
  rvbpAllowsFocus = 7,
  rvbpResizable = 8,
  rvbpResizeHandlesOutside = 9,
  rvbpHideDropCaret = 10,
  rvbpClickSelect = 11,
  rvbpNoHTML_P = 12
};
enum : int {
  rvbsfPrintToBMP = 0,
  rvbsfJump = 1,
  rvbsfAllowFocus = 2,
  rvbsfHotSpot = 3,
  rvbsfXORFocus = 4,
  rvbsfActualSize = 5
};

// Numbered integer extra properties.
enum TRVExtraItemProperty : uint8_t {
  rvepUnknown,
  rvepVShift,
  rvepVShiftAbs,
  rvepImageWidth,
  rvepImageHeight,
  rvepTransparent,
  rvepTransparentMode,
  rvepTransparentColor,
  rvepMinHeightOnPage,
  rvepSpacing,
  rvepResizable,
  rvepDeleteProtect,
  rvepNoHTMLImageSize
};
// Numbered text extra properties.
enum TRVExtraItemStrProperty : uint8_t { rvespUnknown, rvespHint, rvespAlt, rvespImageFileName };

// RVF names of the extra properties, indexed by number ("" for 0).
const char *RVFExtraIntPropertyName(int Prop);
const char *RVFExtraStrPropertyName(int Prop);

} // namespace kc
