#pragma once
// The canvas over a QPainter: on an image, on a widget being painted, or on
// an image of its own for measuring only.
#include <memory>
#include <string>
#include <vector>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "platform/Canvas.h"

class QPaintDevice;

namespace kc {

struct ShapedText;

class QtCanvas : public TCanvas {
public:
  // A canvas for measuring only (a 1 x 1 image of its own).
  QtCanvas();
  // Paints on device (an image, or a widget inside its paint event). ppiX and
  // ppiY of 0 take the screen's; printer marks a printing device.
  explicit QtCanvas(QPaintDevice *device, int ppiX = 0, int ppiY = 0, bool printer = false);
  ~QtCanvas() override;
  QtCanvas(const QtCanvas &) = delete;
  QtCanvas &operator=(const QtCanvas &) = delete;

  QPainter &painter() { return painter_; }
  // The Qt font made for the current logical font.
  const QFont &qfont() const { return qfont_; }

  int pixelsPerInchX() const override { return ppiX_; }
  int pixelsPerInchY() const override { return ppiY_; }
  bool isPrinter() const override { return printer_; }

  void setFont(const TLogFont &f) override;
  const TLogFont &font() const override { return font_; }
  void setFontColor(TColor c) override { fontColor_ = c; }
  TColor fontColor() const override { return fontColor_; }
  void setPen(const CanvasPen &p) override { pen_ = p; }
  const CanvasPen &pen() const override { return pen_; }
  void setBrush(const CanvasBrush &b) override { brush_ = b; }
  const CanvasBrush &brush() const override { return brush_; }

  void setTextCharacterExtra(int extra) override { extra_ = extra; }
  int textCharacterExtra() const override { return extra_; }
  void setTextAlign(unsigned flags) override { align_ = flags; }
  unsigned textAlign() const override { return align_; }

  TextMetrics textMetrics() override;
  bool outlineMetrics(OutlineMetrics &om) override;
  unsigned fontLanguageInfo() override;

  void textVerticalExtent(std::string_view text, int &ascent, int &descent) override;
  void textVerticalExtentW(std::u16string_view text, int &ascent, int &descent) override;
  TSize textExtent(std::string_view text) override;
  TSize textExtentW(std::u16string_view text) override;
  TSize textExtentEx(std::string_view text, int maxExtent, int *fit, std::vector<int> *extents) override;
  TSize textExtentExW(std::u16string_view text, int maxExtent, int *fit, std::vector<int> *extents) override;
  bool characterPlacement(std::u16string_view text, unsigned flags, CharacterPlacement &out) override;
  bool characterPlacementA(std::string_view text, unsigned flags, CharacterPlacement &out) override;

  void textOut(int x, int y, std::string_view text) override;
  void textOutW(int x, int y, std::u16string_view text) override;
  void extTextOut(int x, int y, unsigned options, const TRect *rect, std::string_view text,
                  std::span<const int> dx = {}) override;
  void extTextOutW(int x, int y, unsigned options, const TRect *rect, std::u16string_view text,
                   std::span<const int> dx = {}) override;

  void fillRect(const TRect &r) override;
  void frameRect(const TRect &r) override;
  void rectangle(const TRect &r) override;
  void ellipse(const TRect &r) override;
  void roundRect(const TRect &r, int cornerW, int cornerH) override;
  void polygon(std::span<const TPoint> pts) override;
  void polyline(std::span<const TPoint> pts) override;
  void moveTo(int x, int y) override { penPos_ = {x, y}; }
  void lineTo(int x, int y) override;
  TPoint penPos() const override { return penPos_; }
  void drawFocusRect(const TRect &r) override;
  void invertRect(const TRect &r) override;
  void setPixel(int x, int y, TColor c) override;
  TColor pixel(int x, int y) override;

  void drawImage(int x, int y, const QImage &img) override;
  void stretchDraw(const TRect &dest, const QImage &img, const TRect *src = nullptr) override;
  void drawGraphic(const TRect &dest, const TGraphic &g) override;

  int saveDC() override;
  void restoreDC(int level) override;
  void intersectClipRect(const TRect &r) override;
  void excludeClipRect(const TRect &r) override;
  void setClipRect(const TRect *r) override;
  TRect clipBox() override;
  void setOrigin(TPoint p) override;
  TPoint origin() const override { return origin_; }

private:
  struct State {
    TLogFont font;
    TColor fontColor;
    CanvasPen pen;
    CanvasBrush brush;
    int extra;
    unsigned align;
    TPoint origin;
  };
  // 8-bit text decoded in the font's code page, with the byte each UTF-16
  // unit starts at.
  struct Decoded {
    std::u16string text;
    std::vector<int> unitOfByte; // for every byte, its unit
    std::vector<int> bytesOfUnit;
  };
  Decoded decode(std::string_view bytes) const;
  std::shared_ptr<const ShapedText> shaped(std::u16string_view text) const;
  // Whether text measures without shaping (simple_ then holds its advances).
  bool measureSimple(std::u16string_view text);
  std::vector<int> logicalAdvances(const ShapedText &s, size_t n) const;
  static std::vector<int> visualUnits(const ShapedText &s, size_t n);
  // dx, when given, holds each unit's advance.
  void drawText(int x, int y, std::u16string_view text, const std::vector<int> *dx, unsigned options,
                const TRect *rect);
  void solidLine(int x0, int y0, int x1, int y1);
  void applyPenMode();
  // Saves the painter and sets it up for a closed figure: outlined with the pen
  // and filled with the brush, each left out when it is clear; restore after.
  void beginFigure();
  QColor qcolor(TColor c) const;
  void fillWithBrush(const QRect &r);

  std::unique_ptr<QImage> own_;
  QPainter painter_;
  int ppiX_ = 96;
  int ppiY_ = 96;
  bool printer_ = false;
  TLogFont font_;
  QFont qfont_;
  std::unique_ptr<QFontMetrics> fm_;
  mutable int fontId_ = -1; // the shaper's font, made on first use
  mutable std::shared_ptr<const ShapedText> last_;
  mutable std::u16string lastText_;
  mutable int lastFont_ = -1;
  mutable bool lastRtl_ = false;
  std::vector<int> simple_; // per-unit advances of simple text being measured
  TColor fontColor_ = clWindowText;
  CanvasPen pen_;
  CanvasBrush brush_;
  int extra_ = 0;
  unsigned align_ = TA_LEFT | TA_TOP;
  TPoint penPos_;
  TPoint origin_;
  std::vector<State> saved_;
};

} // namespace kc
