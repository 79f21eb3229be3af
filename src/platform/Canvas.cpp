#include "platform/Canvas.h"

#include <atomic>

namespace kc {

namespace {

// The classic Windows scheme.
constexpr TColor kSysColors[31] = {
    RGB(212, 208, 200), // scroll bar
    RGB(58, 110, 165),  // desktop
    RGB(10, 36, 106),   // active caption
    RGB(128, 128, 128), // inactive caption
    RGB(212, 208, 200), // menu
    RGB(255, 255, 255), // window
    RGB(0, 0, 0),       // window frame
    RGB(0, 0, 0),       // menu text
    RGB(0, 0, 0),       // window text
    RGB(255, 255, 255), // caption text
    RGB(212, 208, 200), // active border
    RGB(212, 208, 200), // inactive border
    RGB(128, 128, 128), // application workspace
    RGB(10, 36, 106),   // highlight
    RGB(255, 255, 255), // highlight text
    RGB(212, 208, 200), // button face
    RGB(128, 128, 128), // button shadow
    RGB(128, 128, 128), // grey text
    RGB(0, 0, 0),       // button text
    RGB(212, 208, 200), // inactive caption text
    RGB(255, 255, 255), // button highlight
    RGB(64, 64, 64),    // 3-D dark shadow
    RGB(212, 208, 200), // 3-D light
    RGB(0, 0, 0),       // info text
    RGB(255, 255, 225), // info background
    RGB(181, 181, 181), // (unused slot)
    RGB(0, 0, 128),     // hot light
    RGB(166, 202, 240), // gradient active caption
    RGB(192, 192, 192), // gradient inactive caption
    RGB(10, 36, 106),   // menu highlight
    RGB(212, 208, 200), // menu bar
};

std::atomic<int> g_screenPpi{0};

} // namespace

TColor GetSysColor(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(kSysColors))) return clBlack;
  return kSysColors[index];
}

TColor ColorToRGB(TColor c) {
  if (isSysColor(c)) return GetSysColor(c & 0xFF);
  if (c == clNone || c == clDefault) return clBlack;
  return c & 0xFFFFFF;
}

int screenPixelsPerInch() {
  int v = g_screenPpi.load();
  return v > 0 ? v : 96;
}

void setScreenPixelsPerInch(int ppi) { g_screenPpi = ppi > 0 ? ppi : 0; }

int FontHeightOfSize(int points) { return -MulDiv(points, screenPixelsPerInch(), 72); }

int FontSizeOfHeight(int height) { return -MulDiv(height, 72, screenPixelsPerInch()); }

std::uint8_t FontStylesOf(const TLogFont &lf) {
  std::uint8_t s = 0;
  if (lf.lfWeight >= 700) s |= fsBold;
  if (lf.lfItalic) s |= fsItalic;
  if (lf.lfUnderline) s |= fsUnderline;
  if (lf.lfStrikeOut) s |= fsStrikeOut;
  return s;
}

void SetFontStyles(TLogFont &lf, std::uint8_t styles) {
  lf.lfWeight = (styles & fsBold) ? 700 : 400;
  lf.lfItalic = (styles & fsItalic) ? 1 : 0;
  lf.lfUnderline = (styles & fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = (styles & fsStrikeOut) ? 1 : 0;
}

} // namespace kc
