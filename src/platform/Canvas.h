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

#include "platform/CanvasTypes.h"

class QImage;

namespace kc {
class TGraphic;
}

namespace kc {

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

} // namespace kc
