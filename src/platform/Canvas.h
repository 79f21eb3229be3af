#pragma once
// The canvas the rich-text engine measures and draws through: a device
// context in the manner of GDI with the font, pen and brush of a class-library
// canvas. Coordinates are integer logical pixels; the origin moves them to the
// device. GDI's rules hold: the right and bottom edges of a rectangle are
// outside it, and a line leaves out its end pixel.
//
// 8-bit text is in the code page of the current font's charset (the ANSI code
// page for the ANSI and default charsets); wide text is UTF-16. Text in
// scripts without contextual forms has whole-pixel advances, so the width of
// such a text equals the sum of the widths of its parts; shaped scripts
// (joining, reordering, marks, right to left) are measured as drawn, to the
// pixel. Every cluster also gets the character extra spacing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QImage;

namespace kc {
class TGraphic;
}

namespace kc {

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

// ------------------------------------------------------------------ canvas

class TCanvas {
public:
  virtual ~TCanvas() = default;

  // Device.
  virtual int pixelsPerInchX() const = 0; // LOGPIXELSX
  virtual int pixelsPerInchY() const = 0; // LOGPIXELSY
  virtual bool isPrinter() const { return false; }

  // Objects of the canvas.
  // Selects a font (CreateFontIndirect + SelectObject).
  virtual void setFont(const TLogFont &f) = 0;
  virtual const TLogFont &font() const = 0;
  virtual void setFontColor(TColor c) = 0;
  virtual TColor fontColor() const = 0;
  virtual void setPen(const CanvasPen &p) = 0;
  virtual const CanvasPen &pen() const = 0;
  virtual void setBrush(const CanvasBrush &b) = 0;
  virtual const CanvasBrush &brush() const = 0;

  // Text state (GDI).
  virtual void setTextCharacterExtra(int extra) = 0;
  virtual int textCharacterExtra() const = 0;
  virtual void setTextAlign(unsigned flags) = 0;
  virtual unsigned textAlign() const = 0;

  // Metrics of the current font.
  virtual TextMetrics textMetrics() = 0;
  virtual bool outlineMetrics(OutlineMetrics &om) = 0;
  // GetFontLanguageInfo: GCP_* flags of the font (GCP_LIGATE, GCP_REORDER, ...).
  virtual unsigned fontLanguageInfo() = 0;

  // The ascent and descent of the fonts the text is drawn with, fallback
  // fonts included, and at least the current font's. The text's cell (its
  // extent's height, where TA_TOP and TA_BOTTOM put it) stays the font's.
  virtual void textVerticalExtent(std::string_view text, int &ascent, int &descent);
  virtual void textVerticalExtentW(std::u16string_view text, int &ascent, int &descent);

  // Measuring. Texts are shaped as a whole: the units of a cluster (a
  // character with its marks, a surrogate pair, an emoji sequence) share
  // the cluster's extent, and the first of them carries its advance.
  virtual TSize textExtent(std::string_view text) = 0;
  virtual TSize textExtentW(std::u16string_view text) = 0;
  // GetTextExtentExPoint: fit, when given, receives how many characters fit
  // into maxExtent (none for a negative one); extents, when given, receive
  // the extent after each character of the whole text.
  virtual TSize textExtentEx(std::string_view text, int maxExtent, int *fit, std::vector<int> *extents) = 0;
  virtual TSize textExtentExW(std::u16string_view text, int maxExtent, int *fit, std::vector<int> *extents) = 0;
  // GetCharacterPlacement (GCP_* flags); false when it fails.
  virtual bool characterPlacement(std::u16string_view text, unsigned flags, CharacterPlacement &out) = 0;
  virtual bool characterPlacementA(std::string_view text, unsigned flags, CharacterPlacement &out) = 0;

  // Text out in the font colour; the background is the brush colour when the
  // brush is solid, else transparent. Position and alignment per textAlign().
  virtual void textOut(int x, int y, std::string_view text) = 0;
  virtual void textOutW(int x, int y, std::u16string_view text) = 0;
  // ExtTextOut: ETO_OPAQUE fills rect with the brush colour, ETO_CLIPPED
  // clips to rect; dx, when not empty, gives each character's advance.
  virtual void extTextOut(int x, int y, unsigned options, const TRect *rect, std::string_view text,
                          std::span<const int> dx = {}) = 0;
  virtual void extTextOutW(int x, int y, unsigned options, const TRect *rect, std::u16string_view text,
                           std::span<const int> dx = {}) = 0;

  // Shapes.
  virtual void fillRect(const TRect &r) = 0;  // brush, no outline
  virtual void frameRect(const TRect &r) = 0; // 1 px in the brush colour
  virtual void rectangle(const TRect &r) = 0; // pen outline, brush inside
  virtual void ellipse(const TRect &r) = 0;
  virtual void roundRect(const TRect &r, int cornerW, int cornerH) = 0;
  virtual void polygon(std::span<const TPoint> pts) = 0;
  virtual void polyline(std::span<const TPoint> pts) = 0;
  virtual void moveTo(int x, int y) = 0;
  virtual void lineTo(int x, int y) = 0; // end pixel left out
  virtual TPoint penPos() const = 0;
  virtual void drawFocusRect(const TRect &r) = 0; // dotted, inverting
  virtual void invertRect(const TRect &r) = 0;
  virtual void setPixel(int x, int y, TColor c) = 0;
  virtual TColor pixel(int x, int y) = 0; // clNone outside the device

  // Pictures. A null or empty image draws nothing. src, when given, is the
  // part of the image to draw; dest is stretched to when sizes differ.
  virtual void drawImage(int x, int y, const QImage &img) = 0;
  virtual void stretchDraw(const TRect &dest, const QImage &img, const TRect *src = nullptr) = 0;
  // A picture of any class stretched into dest.
  virtual void drawGraphic(const TRect &dest, const TGraphic &g) = 0;

  // State.
  virtual int saveDC() = 0;              // returns the level saved
  virtual void restoreDC(int level) = 0; // -1: the last saved
  virtual void intersectClipRect(const TRect &r) = 0;
  virtual void excludeClipRect(const TRect &r) = 0;
  virtual void setClipRect(const TRect *r) = 0; // nullptr: no clipping
  virtual TRect clipBox() = 0;                  // logical coordinates
  // Device point = logical point + origin (SetViewportOrgEx).
  virtual void setOrigin(TPoint p) = 0;
  virtual TPoint origin() const = 0;
};

// A plain bidirectional ordering for character placement: strong
// right-to-left characters (Hebrew, Arabic) run right to left, numbers and
// left-to-right letters left to right, neutrals take the direction of the
// strong characters around them, else the paragraph's. Fills order and
// classes as characterPlacement answers them.
void SimpleBidiOrder(std::u16string_view text, bool rtlParagraph, std::vector<int> &order,
                     std::vector<std::uint8_t> &classes);

// The counting behind textExtentExW, over count characters whose advances
// (extra spacing included) advance(i) gives: fills fit and extents as that
// call does and answers the whole width, capped to int.
template <typename Advance>
int RunningTextExtent(std::size_t count, Advance advance, int maxExtent, int *fit, std::vector<int> *extents) {
  if (extents) extents->clear();
  long long w = 0;
  int f = 0;
  bool fitting = true;
  for (std::size_t i = 0; i < count; ++i) {
    w += advance(i);
    if (fitting && w <= maxExtent) ++f;
    else fitting = false;
    if (extents) extents->push_back(static_cast<int>(std::min<long long>(w, 0x7FFFFFFF)));
  }
  if (fit) *fit = f;
  return static_cast<int>(std::min<long long>(w, 0x7FFFFFFF));
}

// Pixels per inch of the screen: what the primary screen says (96 without
// one); setScreenPixelsPerInch pins it (tests, start-up), 0 unpins.
int screenPixelsPerInch();
void setScreenPixelsPerInch(int ppi);

} // namespace kc
