#pragma once
// A canvas for tests: fixed metrics chosen by the test and a log of the
// calls made on it. Every character is charWidth wide unless widths gives
// its own; drawing calls and state changes are always logged, queries only
// with logQueries.
#include <map>
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace kc {

class RecordingCanvas : public TCanvas {
public:
  struct Metrics {
    int charWidth = 7;
    int ascent = 11;
    int descent = 3;
    int internalLeading = 0;
    int externalLeading = 0;
    int ppiX = 96;
    int ppiY = 96;
    int underscoreSize = 1;
    int underscorePosition = -2;
    unsigned languageInfo = 0;
    bool hasOutline = true;
  };

  RecordingCanvas();
  explicit RecordingCanvas(const Metrics &m);

  Metrics metrics;
  std::map<char16_t, int> widths; // per-character widths that differ
  bool logQueries = false;
  std::vector<std::string> log;

  void clearLog() { log.clear(); }
  std::string logText() const; // lines joined by "\n"

  int pixelsPerInchX() const override { return metrics.ppiX; }
  int pixelsPerInchY() const override { return metrics.ppiY; }

  void setFont(const TLogFont &f) override;
  const TLogFont &font() const override { return font_; }
  void setFontColor(TColor c) override;
  TColor fontColor() const override { return fontColor_; }
  void setPen(const CanvasPen &p) override;
  const CanvasPen &pen() const override { return pen_; }
  void setBrush(const CanvasBrush &b) override;
  const CanvasBrush &brush() const override { return brush_; }

  void setTextCharacterExtra(int extra) override;
  int textCharacterExtra() const override { return extra_; }
  void setTextAlign(unsigned flags) override;
  unsigned textAlign() const override { return align_; }

  TextMetrics textMetrics() override;
  bool outlineMetrics(OutlineMetrics &om) override;
  unsigned fontLanguageInfo() override;

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
  void moveTo(int x, int y) override;
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
    bool clipped;
    TRect clip;
  };
  int charWidth(char16_t c) const;
  void note(std::string line) { log.push_back(std::move(line)); }
  void query(std::string line) {
    if (logQueries) log.push_back(std::move(line));
  }
  std::u16string wideOf(std::string_view text) const;

  TLogFont font_;
  TColor fontColor_ = clWindowText;
  CanvasPen pen_;
  CanvasBrush brush_;
  int extra_ = 0;
  unsigned align_ = TA_LEFT | TA_TOP;
  TPoint penPos_;
  TPoint origin_;
  bool clipped_ = false;
  TRect clip_;
  std::vector<State> saved_;
};

// Text for logs: "#RRGGBB", "(l,t,r,b)", a quoted UTF-8 text.
std::string LogColor(TColor c);
std::string LogRect(const TRect &r);
std::string LogText(std::u16string_view text);

} // namespace kc
