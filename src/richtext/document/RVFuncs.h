#pragma once
// Small routines under the document model: similarity scores, resolution
// ratios, colours for printing and export, text routines of the HTML and RTF
// writers, and the names of the clipboard formats.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/CanvasTypes.h"

namespace kc {

class TGraphic;

// ------------------------------------------------------------ similarity
// Scores of how close a style is to another; 64-bit so that far-apart
// values cannot overflow.

// A != 0: round((1 - |A - B| / |A|) * W); A == 0: (1 - |B|) * W.
int64_t IntegerWeight(int32_t A, int32_t B, int32_t W);
// Both clNone: 3 * W + C; one clNone: 0; else minus |difference| * W div 255
// per channel, plus C when both or neither have a channel above 64.
int64_t ColorWeight(TColor A, TColor B, int32_t W, int32_t C);

// ------------------------------------------------------ resolution ratio

// Screen and device pixels per inch, horizontally and vertically.
struct TRVScreenAndDevice {
  int32_t ppixScreen = 96;
  int32_t ppiyScreen = 96;
  int32_t ppixDevice = 96;
  int32_t ppiyDevice = 96;
};

// Screen from the screen, device from the canvas.
void GetResolutionRatio(TCanvas &Canvas, TRVScreenAndDevice &sad);
TRVScreenAndDevice GetResolutionRatio(TCanvas &Canvas);
// Device pixels to screen pixels: MulDiv(v, screen, device).
int ScaleX(int v, const TRVScreenAndDevice &sad);
int ScaleY(int v, const TRVScreenAndDevice &sad);
// Screen pixels to device pixels: MulDiv(v, device, screen).
int ScaleXToDevice(int v, const TRVScreenAndDevice &sad);
int ScaleYToDevice(int v, const TRVScreenAndDevice &sad);
// A rectangle of screen pixels to device pixels.
void ScaleRect(TRect &R, const TRVScreenAndDevice &sad);
// Left <= X < Left + Width and Top <= Y < Top + Height.
bool PointInRect(int X, int Y, int Left, int Top, int Width, int Height);

// ---------------------------------------------------------------- colours

// Scroll bar and button face: silver; window and button highlight: white;
// window text: black; button shadow: grey; others unchanged.
TColor SysColorToPrintColor(TColor Color);
// clNone unchanged; else the grey of 0.3 R + 0.59 G + 0.11 B (rounded).
TColor ColorToGray(TColor Color);
// For text and lines: 0 unchanged, 1 printing colours, 2 their grey, 3 and
// up black (white stays white). clNone unchanged.
TColor ColorForColorMode(TColor Color, uint8_t ColorMode);
// For backgrounds: 0 unchanged, 1 printing colours, 2 grey, 3 and up white.
TColor BackColorForColorMode(TColor Color, uint8_t ColorMode);
// "#RRGGBB" (in double quotes when Quoted); empty for clNone.
std::string ColorToHtml(TColor Color, bool Quoted = false);
// The same for CSS, where clNone is "transparent".
std::string ColorToCss(TColor Color);

// ------------------------------------------------------------ text routines

// Every tab becomes Spaces spaces (none for a negative count).
std::string ExpandTabsA(const std::string &s, int Spaces);
// The same for UTF-16 text held two bytes a character.
std::string ExpandTabsW(const std::string &s, int Spaces);
// 1-based position of Value among the first Count bytes; 0 when absent,
// Buffer is null or Count is not positive.
int ScanByte(const char *Buffer, uint8_t Value, int Count);
// Every occurrence of From replaced by To; the replacement is not searched again.
std::string ReplaceAll(const std::string &s, const std::string &From, const std::string &To);
// "\" replaced by "/".
std::string SlashPath(const std::string &s);
// Appends Word to s, with a space between when s is not empty.
void AppendWord(std::string &s, const std::string &Word);

// ------------------------------------------------------------- HTML output

// "&", "<", ">" escaped, spaces kept visible; an empty text is "&nbsp;"
// when NonEmpty.
std::string MakeHtmlText(const std::string &s, bool NonEmpty = false);
// 'title="..."' for an item hint (double quotes inside become apostrophes);
// empty for an empty hint.
std::string MakeHtmlTitle(const std::string &Hint);
// Points to the sizes 1..7 of the HTML font tag.
int FontSizeToHtmlSize(int Points);

// The font properties the HTML writer compares with its base font.
struct THtmlFontDesc {
  std::string Name;
  int Size = 10;
  TColor Color = clBlack;
  uint8_t Style = 0; // fsBold .. fsStrikeOut
  int VShift = 0;    // > 0 superscript, < 0 subscript
};
// <FONT size=n color="#RRGGBB" face="name"> as far as they differ, then <B>, <I>, <U>, <S>,
// <SUB> or <SUP> for the styles that differ.
std::string HtmlOpenFontTags(const THtmlFontDesc &Font, const THtmlFontDesc &Base);
// The closing tags in reverse order, "</FONT>" last.
std::string HtmlCloseFontTags(const THtmlFontDesc &Font, const THtmlFontDesc &Base);
// CSS declarations: "font: ...;", " text-decoration: ...;", " color: ...;".
// Pixels is true for a size in px instead of pt.
std::string FontToCss(const THtmlFontDesc &Font, bool Pixels = false);
// The HTML charset name of a font charset; empty when none fits.
std::string CharsetToHtmlName(uint8_t Charset);

// -------------------------------------------------------------- RTF output

// "\", "{", "}" escaped (left alone when RTFCode), bytes below 26 and from
// 0x80 up as "\'hh".
std::string RtfEscapeText(const std::string &s, bool RTFCode = false);
// "\", "{", "}" become "_", then escaped as above.
std::string RtfEscapeHint(const std::string &s);
// Every character that is not a letter or digit becomes "_", then escaped.
std::string RtfEscapeName(const std::string &s, int CodePage = 0);
// UTF-16 text (two bytes a character): "\uc1 " first, then "\u%d " per
// character followed by its ANSI replacement in CodePage; "\ucN " whenever the
// replacement's byte count changes.
std::string RtfUnicodeText(const std::string &s, int CodePage = 0);

// ------------------------------------------------------ clipboard formats

struct TRVClipboardFormat {
  const char *Name; // the registered name
  const char *Mime; // what it is on this desktop
};
extern const TRVClipboardFormat CFRV_RVF;  // "RichVista Format"
extern const TRVClipboardFormat CFRV_RTF;  // "Rich Text Format"
extern const TRVClipboardFormat CFRV_URL;  // "UniformResourceLocator"
extern const TRVClipboardFormat CFRV_HTML; // "HTML Format"
// The MIME type of a registered format name; empty when unknown.
std::string ClipboardFormatMime(std::string_view Name);

// ---------------------------------------------------------------- pictures

// Draws Graphic into R at Width x Height (its own size where negative),
// from R's top-left corner.
void StretchDrawGraphic(TCanvas &Canvas, const TRect &R, const TGraphic &Graphic, int Width, int Height);

// Replaceable hooks for pictures that readers import: making a picture of a
// named class (default: the registered picture classes) and a pass over it
// once loaded (default: nothing).
using TRVCreateGraphicHook = std::unique_ptr<TGraphic> (*)(std::string_view ClassName);
using TRVAfterImportGraphicHook = void (*)(TGraphic &Graphic);
extern TRVCreateGraphicHook RV_CreateGraphics;
extern TRVAfterImportGraphicHook RV_AfterImportGraph;

// Visual styles: there is no theme library to bind here, so callers paint
// without themes.
inline bool RVThemesAvailable() { return false; }

} // namespace kc
