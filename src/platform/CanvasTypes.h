#pragma once
// The values the canvas works with, in the manner of GDI: colours (with the
// system colours), points, sizes and rectangles, the logical font, pen and
// brush, and text metrics. Headers that only pass a canvas on declare it
// here and leave the class (platform/Canvas.h) to the units that draw.
#include <cstdint>
#include <string>
#include <vector>

namespace kc {

class TCanvas;

// ---------------------------------------------------------------- integers

// (a * b) / c with a 64-bit product, rounded half away from zero; -1 when c
// is 0 or the result does not fit 32 bits (as the Windows routine does).
inline int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  long long p = static_cast<long long>(a) * b;
  bool neg = (p < 0) != (c < 0);
  unsigned long long up = p < 0 ? 0ULL - static_cast<unsigned long long>(p) : static_cast<unsigned long long>(p);
  unsigned long long uc =
      c < 0 ? 0ULL - static_cast<unsigned long long>(static_cast<long long>(c)) : static_cast<unsigned long long>(c);
  unsigned long long q = (up + uc / 2) / uc;
  if (q > 0x7FFFFFFFULL + (neg ? 1 : 0)) return -1;
  return neg ? static_cast<int>(-static_cast<long long>(q)) : static_cast<int>(q);
}

// ------------------------------------------------------------------ colours

// A colour as the class library keeps it: 0x00BBGGRR, or a system colour
// (0x80000000 | index), or one of the two special values.
using TColor = std::int32_t;

constexpr TColor RGB(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080, clNavy = 0x800000,
                 clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080, clSilver = 0xC0C0C0, clRed = 0x0000FF,
                 clLime = 0x00FF00, clYellow = 0x00FFFF, clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00,
                 clWhite = 0xFFFFFF;

constexpr TColor sysColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }
constexpr TColor clScrollBar = sysColor(0), clBackground = sysColor(1), clActiveCaption = sysColor(2),
                 clInactiveCaption = sysColor(3), clMenu = sysColor(4), clWindow = sysColor(5),
                 clWindowFrame = sysColor(6), clMenuText = sysColor(7), clWindowText = sysColor(8),
                 clCaptionText = sysColor(9), clActiveBorder = sysColor(10), clInactiveBorder = sysColor(11),
                 clAppWorkSpace = sysColor(12), clHighlight = sysColor(13), clHighlightText = sysColor(14),
                 clBtnFace = sysColor(15), clBtnShadow = sysColor(16), clGrayText = sysColor(17),
                 clBtnText = sysColor(18), clInactiveCaptionText = sysColor(19), clBtnHighlight = sysColor(20),
                 cl3DDkShadow = sysColor(21), cl3DLight = sysColor(22), clInfoText = sysColor(23),
                 clInfoBk = sysColor(24), clHotLight = sysColor(26), clGradientActiveCaption = sysColor(27),
                 clGradientInactiveCaption = sysColor(28), clMenuHighlight = sysColor(29), clMenuBar = sysColor(30);

constexpr bool isSysColor(TColor c) { return c < 0; }
constexpr int kSysColorCount = 31;
// The value of a system colour. It is the classic Windows scheme until the
// program takes the desktop's palette (platform/SystemColors: the window
// does at start and whenever the desktop switches between light and dark);
// tests and tools that compare pixels keep the fixed scheme. Index out of
// range gives black.
TColor GetSysColor(int index);
// Replaces one system colour (a plain RGB value; others are ignored), and
// puts the classic scheme back.
void SetSysColor(int index, TColor value);
void ResetSysColors();
// The classic scheme's value, whatever is in force.
TColor ClassicSysColor(int index);
// System colours resolved; clNone and clDefault give black, as the class
// library does.
TColor ColorToRGB(TColor c);

// ------------------------------------------------------------------ geometry

struct TPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const TPoint &, const TPoint &) = default;
};

struct TSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const TSize &, const TSize &) = default;
};

// Right and Bottom are outside the rectangle.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int width() const { return Right - Left; }
  int height() const { return Bottom - Top; }
  bool isEmpty() const { return Right <= Left || Bottom <= Top; }
  friend bool operator==(const TRect &, const TRect &) = default;
};

inline TRect Rect(int l, int t, int r, int b) { return TRect{l, t, r, b}; }
inline TRect Bounds(int l, int t, int w, int h) { return TRect{l, t, l + w, t + h}; }

// -------------------------------------------------------------- GDI objects

// Font style bits, as the class library's set: fsBold .. fsStrikeOut.
enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

constexpr std::uint8_t DEFAULT_CHARSET = 1;
constexpr std::uint8_t SYMBOL_CHARSET = 2;

// A logical font (LOGFONT). lfHeight < 0: character (em) height in pixels;
// > 0: cell height (ascent + descent); 0: the default height. lfWidth 0:
// normal width, else the wanted average character width (character scaling).
struct TLogFont {
  int lfHeight = -13;
  int lfWidth = 0;
  int lfEscapement = 0;
  int lfOrientation = 0;
  int lfWeight = 400;
  std::uint8_t lfItalic = 0;
  std::uint8_t lfUnderline = 0;
  std::uint8_t lfStrikeOut = 0;
  std::uint8_t lfCharSet = DEFAULT_CHARSET;
  std::uint8_t lfOutPrecision = 0;
  std::uint8_t lfClipPrecision = 0;
  std::uint8_t lfQuality = 0;
  std::uint8_t lfPitchAndFamily = 0;
  std::string lfFaceName = "Arial"; // 8-bit ANSI
  friend bool operator==(const TLogFont &, const TLogFont &) = default;
};

// Font height in pixels for a size in points at the screen resolution, as
// the class library's font does.
int FontHeightOfSize(int points);
// The font's size in points from its height.
int FontSizeOfHeight(int height);
// The class library's font styles of a logical font and back.
std::uint8_t FontStylesOf(const TLogFont &lf);
void SetFontStyles(TLogFont &lf, std::uint8_t styles);

enum class TPenStyle : std::uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TPenMode : std::uint8_t { pmCopy, pmNot, pmXor, pmNotXor };
struct CanvasPen {
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = TPenStyle::psSolid;
  TPenMode Mode = TPenMode::pmCopy;
  friend bool operator==(const CanvasPen &, const CanvasPen &) = default;
};

enum class TBrushStyle : std::uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};
struct CanvasBrush {
  TColor Color = clWhite;
  TBrushStyle Style = TBrushStyle::bsSolid;
  friend bool operator==(const CanvasBrush &, const CanvasBrush &) = default;
};

// GetTextMetrics.
struct TextMetrics {
  int tmHeight = 0;
  int tmAscent = 0;
  int tmDescent = 0;
  int tmInternalLeading = 0;
  int tmExternalLeading = 0;
  int tmAveCharWidth = 0;
  int tmMaxCharWidth = 0;
  int tmWeight = 400;
  int tmOverhang = 0;
  bool tmItalic = false;
  bool tmUnderlined = false;
  bool tmStruckOut = false;
  std::uint8_t tmCharSet = 0;
};

// The parts of GetOutlineTextMetrics the engine uses. Positions are above
// the baseline when positive (an underline usually lies at a negative one).
struct OutlineMetrics {
  int otmsUnderscoreSize = 1;
  int otmsUnderscorePosition = -1;
  int otmsStrikeoutSize = 1;
  int otmsStrikeoutPosition = 0;
};

// Text alignment flags (SetTextAlign).
constexpr unsigned TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24,
                   TA_RTLREADING = 256;
// ExtTextOut options.
constexpr unsigned ETO_OPAQUE = 2, ETO_CLIPPED = 4;
// Character placement and font language flags.
constexpr unsigned GCP_DBCS = 0x0001, GCP_REORDER = 0x0002, GCP_USEKERNING = 0x0008, GCP_GLYPHSHAPE = 0x0010,
                   GCP_LIGATE = 0x0020, GCP_DIACRITIC = 0x0100, GCP_KASHIDA = 0x0400;
// Character placement classes.
constexpr std::uint8_t GCPCLASS_LATIN = 1, GCPCLASS_RTL = 2, GCPCLASS_NEUTRAL = 3, GCPCLASS_LOCALNUMBER = 4;

// GetCharacterPlacement's answer, per logical character.
struct CharacterPlacement {
  std::vector<int> order;            // visual position of each logical character
  std::vector<int> advances;         // advance of each logical character (extra included)
  std::vector<std::uint8_t> classes; // GCPCLASS_* of each logical character
  int width = 0;                     // whole width
  int height = 0;                    // font height; 0 when the call failed
};

// Pixels per inch of the screen: what the primary screen says (96 without
// one); setScreenPixelsPerInch pins it (tests, start-up), 0 unpins.
int screenPixelsPerInch();
void setScreenPixelsPerInch(int ppi);

} // namespace kc
