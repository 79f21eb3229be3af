#include "platform/RecordingCanvas.h"

#include <QImage>

#include <algorithm>
#include <cstdio>

#include "platform/CodePage.h"
#include "platform/Graphics.h"

namespace kc {

std::string LogColor(TColor c) {
  if (c == clNone) return "clNone";
  if (c == clDefault) return "clDefault";
  char b[16];
  if (isSysColor(c)) std::snprintf(b, sizeof b, "sys%d", c & 0xFF);
  else std::snprintf(b, sizeof b, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return b;
}

std::string LogRect(const TRect &r) {
  return "(" + std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
         std::to_string(r.Bottom) + ")";
}

std::string LogText(std::u16string_view text) { return "\"" + utf16ToUtf8(text) + "\""; }

namespace {

std::string xy(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

std::string logDx(std::span<const int> dx) {
  if (dx.empty()) return {};
  std::string s = ",dx=[";
  for (size_t i = 0; i < dx.size(); ++i) s += (i ? "," : "") + std::to_string(dx[i]);
  return s + "]";
}

std::string logPoints(std::span<const TPoint> pts) {
  std::string s;
  for (size_t i = 0; i < pts.size(); ++i) s += (i ? "," : "") + std::string("(") + xy(pts[i].x, pts[i].y) + ")";
  return s;
}

} // namespace

RecordingCanvas::RecordingCanvas() = default;
RecordingCanvas::RecordingCanvas(const Metrics &m) : metrics(m) {}

std::string RecordingCanvas::logText() const {
  std::string s;
  for (size_t i = 0; i < log.size(); ++i) s += (i ? "\n" : "") + log[i];
  return s;
}

int RecordingCanvas::charWidth(char16_t c) const {
  auto it = widths.find(c);
  return it != widths.end() ? it->second : metrics.charWidth;
}

std::u16string RecordingCanvas::wideOf(std::string_view text) const {
  return toUtf16(text, codePageOfCharset(font_.lfCharSet));
}

void RecordingCanvas::setFont(const TLogFont &f) {
  font_ = f;
  note("setFont(" + f.lfFaceName + "," + std::to_string(f.lfHeight) + ",w" + std::to_string(f.lfWidth) + "," +
       std::to_string(f.lfWeight) + (f.lfItalic ? ",i" : "") + (f.lfUnderline ? ",u" : "") +
       (f.lfStrikeOut ? ",s" : "") + ",cs" + std::to_string(f.lfCharSet) + ")");
}

void RecordingCanvas::setFontColor(TColor c) {
  fontColor_ = c;
  note("setFontColor(" + LogColor(c) + ")");
}

void RecordingCanvas::setPen(const CanvasPen &p) {
  pen_ = p;
  note("setPen(" + LogColor(p.Color) + "," + std::to_string(p.Width) + ",style" +
       std::to_string(static_cast<int>(p.Style)) + ",mode" + std::to_string(static_cast<int>(p.Mode)) + ")");
}

void RecordingCanvas::setBrush(const CanvasBrush &b) {
  brush_ = b;
  note("setBrush(" + LogColor(b.Color) + ",style" + std::to_string(static_cast<int>(b.Style)) + ")");
}

void RecordingCanvas::setTextCharacterExtra(int extra) {
  extra_ = extra;
  note("setTextCharacterExtra(" + std::to_string(extra) + ")");
}

void RecordingCanvas::setTextAlign(unsigned flags) {
  align_ = flags;
  note("setTextAlign(" + std::to_string(flags) + ")");
}

TextMetrics RecordingCanvas::textMetrics() {
  query("textMetrics()");
  TextMetrics tm;
  tm.tmAscent = metrics.ascent;
  tm.tmDescent = metrics.descent;
  tm.tmHeight = metrics.ascent + metrics.descent;
  tm.tmInternalLeading = metrics.internalLeading;
  tm.tmExternalLeading = metrics.externalLeading;
  tm.tmAveCharWidth = metrics.charWidth;
  tm.tmMaxCharWidth = metrics.charWidth;
  for (auto &[c, w] : widths) tm.tmMaxCharWidth = std::max(tm.tmMaxCharWidth, w);
  tm.tmWeight = font_.lfWeight;
  tm.tmItalic = font_.lfItalic != 0;
  tm.tmUnderlined = font_.lfUnderline != 0;
  tm.tmStruckOut = font_.lfStrikeOut != 0;
  tm.tmCharSet = font_.lfCharSet;
  return tm;
}

bool RecordingCanvas::outlineMetrics(OutlineMetrics &om) {
  query("outlineMetrics()");
  if (!metrics.hasOutline) return false;
  om.otmsUnderscoreSize = metrics.underscoreSize;
  om.otmsUnderscorePosition = metrics.underscorePosition;
  om.otmsStrikeoutSize = metrics.underscoreSize;
  om.otmsStrikeoutPosition = metrics.ascent / 3;
  return true;
}

unsigned RecordingCanvas::fontLanguageInfo() {
  query("fontLanguageInfo()");
  return metrics.languageInfo;
}

TSize RecordingCanvas::textExtent(std::string_view text) { return textExtentW(wideOf(text)); }

TSize RecordingCanvas::textExtentW(std::u16string_view text) {
  query("textExtent(" + LogText(text) + ")");
  long long w = 0;
  for (char16_t c : text) w += charWidth(c) + extra_;
  return {static_cast<int>(std::clamp<long long>(w, 0, 0x7FFFFFFF)), metrics.ascent + metrics.descent};
}

TSize RecordingCanvas::textExtentEx(std::string_view text, int maxExtent, int *fit, std::vector<int> *extents) {
  const std::u16string w = wideOf(text);
  if (w.size() == text.size()) return textExtentExW(w, maxExtent, fit, extents);
  // Double-byte text: figures per byte, as the screen canvas gives them, a
  // trail byte with its lead byte's.
  std::vector<int> unitExt;
  const TSize sz = textExtentExW(w, maxExtent, nullptr, &unitExt);
  const int cp = codePageOfCharset(font_.lfCharSet);
  std::vector<int> byteExt;
  for (size_t b = 0, u = 0; b < text.size(); ++u) {
    const size_t n = b + 1 < text.size() && isLeadByte(cp, static_cast<std::uint8_t>(text[b])) ? 2 : 1;
    const int e = unitExt.empty() ? 0 : unitExt[std::min(u, unitExt.size() - 1)];
    for (size_t k = 0; k < n; ++k) byteExt.push_back(e);
    b += n;
  }
  if (fit) {
    int f = 0;
    while (f < int(byteExt.size()) && byteExt[size_t(f)] <= maxExtent) ++f;
    *fit = f;
  }
  if (extents) *extents = std::move(byteExt);
  return sz;
}

TSize RecordingCanvas::textExtentExW(std::u16string_view text, int maxExtent, int *fit, std::vector<int> *extents) {
  query("textExtentEx(" + LogText(text) + "," + std::to_string(maxExtent) + ")");
  auto advance = [&](size_t i) { return charWidth(text[i]) + extra_; };
  return {RunningTextExtent(text.size(), advance, maxExtent, fit, extents), metrics.ascent + metrics.descent};
}

bool RecordingCanvas::characterPlacement(std::u16string_view text, unsigned flags, CharacterPlacement &out) {
  query("characterPlacement(" + LogText(text) + "," + std::to_string(flags) + ")");
  SimpleBidiOrder(text, (align_ & TA_RTLREADING) != 0, out.order, out.classes);
  if (!(flags & GCP_REORDER))
    for (size_t i = 0; i < out.order.size(); ++i) out.order[i] = static_cast<int>(i);
  out.advances.clear();
  out.width = 0;
  for (char16_t c : text) {
    out.advances.push_back(charWidth(c) + extra_);
    out.width += out.advances.back();
  }
  out.height = metrics.ascent + metrics.descent;
  return true;
}

bool RecordingCanvas::characterPlacementA(std::string_view text, unsigned flags, CharacterPlacement &out) {
  return characterPlacement(wideOf(text), flags, out);
}

void RecordingCanvas::textOut(int x, int y, std::string_view text) {
  note("textOut(" + xy(x, y) + "," + LogText(wideOf(text)) + ")");
}

void RecordingCanvas::textOutW(int x, int y, std::u16string_view text) {
  note("textOutW(" + xy(x, y) + "," + LogText(text) + ")");
}

void RecordingCanvas::extTextOut(int x, int y, unsigned options, const TRect *rect, std::string_view text,
                                 std::span<const int> dx) {
  note("extTextOut(" + xy(x, y) + "," + std::to_string(options) + "," + (rect ? LogRect(*rect) : "nil") + "," +
       LogText(wideOf(text)) + logDx(dx) + ")");
}

void RecordingCanvas::extTextOutW(int x, int y, unsigned options, const TRect *rect, std::u16string_view text,
                                  std::span<const int> dx) {
  note("extTextOutW(" + xy(x, y) + "," + std::to_string(options) + "," + (rect ? LogRect(*rect) : "nil") + "," +
       LogText(text) + logDx(dx) + ")");
}

void RecordingCanvas::fillRect(const TRect &r) { note("fillRect" + LogRect(r)); }
void RecordingCanvas::frameRect(const TRect &r) { note("frameRect" + LogRect(r)); }
void RecordingCanvas::rectangle(const TRect &r) { note("rectangle" + LogRect(r)); }
void RecordingCanvas::ellipse(const TRect &r) { note("ellipse" + LogRect(r)); }
void RecordingCanvas::roundRect(const TRect &r, int cornerW, int cornerH) {
  note("roundRect" + LogRect(r) + "," + xy(cornerW, cornerH));
}
void RecordingCanvas::polygon(std::span<const TPoint> pts) { note("polygon(" + logPoints(pts) + ")"); }
void RecordingCanvas::polyline(std::span<const TPoint> pts) {
  note("polyline(" + logPoints(pts) + ")");
  if (!pts.empty()) penPos_ = pts.back();
}
void RecordingCanvas::moveTo(int x, int y) {
  penPos_ = {x, y};
  note("moveTo(" + xy(x, y) + ")");
}
void RecordingCanvas::lineTo(int x, int y) {
  penPos_ = {x, y};
  note("lineTo(" + xy(x, y) + ")");
}
void RecordingCanvas::drawFocusRect(const TRect &r) { note("drawFocusRect" + LogRect(r)); }
void RecordingCanvas::invertRect(const TRect &r) { note("invertRect" + LogRect(r)); }
void RecordingCanvas::setPixel(int x, int y, TColor c) { note("setPixel(" + xy(x, y) + "," + LogColor(c) + ")"); }
TColor RecordingCanvas::pixel(int x, int y) {
  query("pixel(" + xy(x, y) + ")");
  return clNone;
}

void RecordingCanvas::drawImage(int x, int y, const QImage &img) {
  note("drawImage(" + xy(x, y) + "," + xy(img.width(), img.height()) + ")");
}
void RecordingCanvas::stretchDraw(const TRect &dest, const QImage &img, const TRect *src) {
  note("stretchDraw" + LogRect(dest) + "," + xy(img.width(), img.height()) +
       (src ? "," + LogRect(*src) : std::string()));
}
void RecordingCanvas::drawGraphic(const TRect &dest, const TGraphic &g) {
  note("drawGraphic" + LogRect(dest) + "," + g.className());
}

int RecordingCanvas::saveDC() {
  saved_.push_back({font_, fontColor_, pen_, brush_, extra_, align_, origin_, clipped_, clip_});
  note("saveDC()");
  return static_cast<int>(saved_.size());
}

void RecordingCanvas::restoreDC(int level) {
  note("restoreDC(" + std::to_string(level) + ")");
  if (level < 0) level = static_cast<int>(saved_.size()) + 1 + level;
  if (level < 1 || level > static_cast<int>(saved_.size())) return;
  const State s = saved_[static_cast<size_t>(level - 1)];
  saved_.resize(static_cast<size_t>(level - 1));
  font_ = s.font;
  fontColor_ = s.fontColor;
  pen_ = s.pen;
  brush_ = s.brush;
  extra_ = s.extra;
  align_ = s.align;
  origin_ = s.origin;
  clipped_ = s.clipped;
  clip_ = s.clip;
}

void RecordingCanvas::intersectClipRect(const TRect &r) {
  note("intersectClipRect" + LogRect(r));
  TRect d = Rect(r.Left + origin_.x, r.Top + origin_.y, r.Right + origin_.x, r.Bottom + origin_.y);
  if (!clipped_) {
    clip_ = d;
    clipped_ = true;
  } else {
    clip_ = Rect(std::max(clip_.Left, d.Left), std::max(clip_.Top, d.Top), std::min(clip_.Right, d.Right),
                 std::min(clip_.Bottom, d.Bottom));
  }
}

void RecordingCanvas::excludeClipRect(const TRect &r) { note("excludeClipRect" + LogRect(r)); }

void RecordingCanvas::setClipRect(const TRect *r) {
  note("setClipRect(" + (r ? LogRect(*r) : std::string("nil")) + ")");
  clipped_ = r != nullptr;
  if (r) clip_ = Rect(r->Left + origin_.x, r->Top + origin_.y, r->Right + origin_.x, r->Bottom + origin_.y);
}

TRect RecordingCanvas::clipBox() {
  query("clipBox()");
  if (!clipped_) return Rect(-origin_.x, -origin_.y, 1 << 20, 1 << 20);
  return Rect(clip_.Left - origin_.x, clip_.Top - origin_.y, clip_.Right - origin_.x, clip_.Bottom - origin_.y);
}

void RecordingCanvas::setOrigin(TPoint p) {
  origin_ = p;
  note("setOrigin(" + xy(p.x, p.y) + ")");
}

} // namespace kc
