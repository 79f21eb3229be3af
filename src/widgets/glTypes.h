#pragma once
// Enumerations of the group box and its drawing routines, in the order the
// stored forms count them.
#include <cstdint>

namespace kc {

enum class TCaptionAlignment : std::uint8_t { fcaNone, fcaLeft, fcaRight, fcaCenter, fcaWidth };
enum class TglTextStyle : std::uint8_t { fstNone, fstRaised, fstRecessed, fstPushed, fstShadow, fstVolumetric };
enum class TglGradientDir : std::uint8_t {
  fgdHorizontal,
  fgdVertical,
  fgdLeftBias,
  fgdRightBias,
  fgdRectangle,
  fgdHorzConvergent,
  fgdVertConvergent
};
enum class TglSide : std::uint8_t { fsdLeft, fsdTop, fsdRight, fsdBottom };
enum class TglHorAlign : std::uint8_t { fhaLeft, fhaCenter, fhaRight };
enum class TglVertAlign : std::uint8_t { fvaTop, fvaCenter, fvaBottom };
enum class TglBevelCut : std::uint8_t { bvNone, bvLowered, bvRaised, bvSpace };
enum class TglBrushStyle : std::uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

// A set of sides, one bit per TglSide.
using TglSides = std::uint8_t;
constexpr TglSides sideBit(TglSide s) { return static_cast<TglSides>(1u << static_cast<unsigned>(s)); }
constexpr TglSides kAllSides = 0x0F;

enum TglGrBoxOption : std::uint16_t {
  fgoCanCollapse = 1 << 0,
  fgoCollapseOther = 1 << 1,
  fgoFilledCaption = 1 << 2,
  fgoFluentlyCollapse = 1 << 3,
  fgoFluentlyExpand = 1 << 4,
  fgoResizeParent = 1 << 5,
  fgoHideChildrenWhenCollapsed = 1 << 6,
  fgoIgnoreMouse = 1 << 7,
  fgoDelineatedText = 1 << 8,
  fgoBufferedDraw = 1 << 9,
  fgoOneAlwaysExpanded = 1 << 10,
  fgoSaveChildFocus = 1 << 11,
};
// The options as stored: a 16-bit set.
using TglGrBoxOptions = std::uint16_t;

} // namespace kc
