#include "platform/QtCanvas.h"

#include <climits>

#include <QPaintDevice>
#include <QPainterPath>
#include <QPolygon>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "platform/CodePage.h"
#include "platform/Graphics.h"
#include "platform/TextShaper.h"

namespace kc {

namespace {

QRect qrect(const TRect &r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }

} // namespace

QtCanvas::QtCanvas() : own_(std::make_unique<QImage>(1, 1, QImage::Format_ARGB32_Premultiplied)) {
  own_->fill(Qt::white);
  painter_.begin(own_.get());
  ppiX_ = ppiY_ = screenPixelsPerInch();
  setFont(TLogFont{});
}

QtCanvas::QtCanvas(QPaintDevice *device, int ppiX, int ppiY, bool printer) : printer_(printer) {
  if (!device) {
    own_ = std::make_unique<QImage>(1, 1, QImage::Format_ARGB32_Premultiplied);
    own_->fill(Qt::white);
    device = own_.get();
  }
  painter_.begin(device);
  ppiX_ = ppiX > 0 ? ppiX : screenPixelsPerInch();
  ppiY_ = ppiY > 0 ? ppiY : screenPixelsPerInch();
  setFont(TLogFont{});
}

QtCanvas::~QtCanvas() {
  if (painter_.isActive()) painter_.end();
}

QColor QtCanvas::qcolor(TColor c) const {
  TColor v = ColorToRGB(c);
  return QColor(GetRValue(v), GetGValue(v), GetBValue(v));
}

// ------------------------------------------------------------------- fonts

void QtCanvas::setFont(const TLogFont &f) {
  font_ = f;
  QFont q(QString::fromStdString(ansiToUtf8(f.lfFaceName, codePageOfCharset(f.lfCharSet))));
  q.setStyleStrategy(QFont::StyleStrategy(QFont::PreferDefault | QFont::NoSubpixelAntialias));
  q.setHintingPreference(QFont::PreferDefaultHinting);
  q.setKerning(false);
  int px = f.lfHeight < 0 ? -f.lfHeight : f.lfHeight;
  if (px == 0) px = 13;
  px = std::clamp(px, 1, 2000);
  q.setPixelSize(px);
  if (f.lfHeight > 0) {
    // A positive height is the cell height: ascent plus descent.
    QFontMetricsF m(q);
    double cell = m.ascent() + m.descent();
    if (cell > 0) q.setPixelSize(std::clamp(static_cast<int>(std::lround(px * px / cell)), 1, 2000));
  }
  q.setWeight(static_cast<QFont::Weight>(std::clamp(f.lfWeight == 0 ? 400 : f.lfWeight, 1, 1000)));
  q.setItalic(f.lfItalic != 0);
  q.setUnderline(f.lfUnderline != 0);
  q.setStrikeOut(f.lfStrikeOut != 0);
  if (f.lfWidth > 0) {
    int normal = QFontMetrics(q).averageCharWidth();
    // In 64 bits: a style's character scale may ask for any width.
    if (normal > 0) q.setStretch(static_cast<int>(std::clamp<long long>(f.lfWidth * 100LL / normal, 1, 4000)));
  }
  qfont_ = q;
  fm_ = std::make_unique<QFontMetrics>(qfont_);
  // The shaper's raw font needs the font database of a GUI application; a
  // canvas that only draws pictures (and may run without one) never asks.
  fontId_ = -1;
}

TextMetrics QtCanvas::textMetrics() {
  TextMetrics tm;
  tm.tmAscent = fm_->ascent();
  tm.tmDescent = fm_->descent();
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - qfont_.pixelSize());
  tm.tmExternalLeading = std::max(0, fm_->leading());
  tm.tmAveCharWidth = fm_->averageCharWidth();
  tm.tmMaxCharWidth = fm_->maxWidth();
  tm.tmWeight = font_.lfWeight;
  tm.tmItalic = font_.lfItalic != 0;
  tm.tmUnderlined = font_.lfUnderline != 0;
  tm.tmStruckOut = font_.lfStrikeOut != 0;
  tm.tmCharSet = font_.lfCharSet;
  return tm;
}

bool QtCanvas::outlineMetrics(OutlineMetrics &om) {
  om.otmsUnderscoreSize = std::max(1, fm_->lineWidth());
  om.otmsUnderscorePosition = -std::max(1, fm_->underlinePos());
  om.otmsStrikeoutSize = std::max(1, fm_->lineWidth());
  om.otmsStrikeoutPosition = fm_->strikeOutPos();
  return true;
}

unsigned QtCanvas::fontLanguageInfo() {
  switch (font_.lfCharSet) {
  case 177: return GCP_REORDER | GCP_DIACRITIC;
  case 178: return GCP_REORDER | GCP_LIGATE | GCP_GLYPHSHAPE | GCP_DIACRITIC | GCP_KASHIDA;
  default: return 0;
  }
}

// ------------------------------------------------------------- measuring

QtCanvas::Decoded QtCanvas::decode(std::string_view bytes) const {
  Decoded d;
  int cp = codePageOfCharset(font_.lfCharSet);
  d.unitOfByte.reserve(bytes.size());
  std::u16string whole = toUtf16(bytes, cp);
  if (whole.size() == bytes.size()) {
    // One unit a byte: single-byte code pages and double-byte text without pairs.
    d.text = std::move(whole);
    for (size_t i = 0; i < bytes.size(); ++i) d.unitOfByte.push_back(static_cast<int>(i));
    d.bytesOfUnit.assign(bytes.size(), 1);
    return d;
  }
  for (size_t i = 0; i < bytes.size();) {
    size_t n = (i + 1 < bytes.size() && isLeadByte(cp, static_cast<std::uint8_t>(bytes[i]))) ? 2 : 1;
    std::u16string u = toUtf16(bytes.substr(i, n), cp);
    int unit = static_cast<int>(d.text.size());
    for (size_t k = 0; k < n; ++k) d.unitOfByte.push_back(unit);
    d.text.push_back(u.empty() ? u'?' : u.front());
    d.bytesOfUnit.push_back(static_cast<int>(n));
    i += n;
  }
  return d;
}

std::shared_ptr<const ShapedText> QtCanvas::shaped(std::u16string_view text) const {
  // The formatter asks about one text several times in a row.
  const bool rtl = (align_ & TA_RTLREADING) != 0;
  if (fontId_ < 0) fontId_ = TextShaper::fontId(qfont_);
  if (last_ && lastFont_ == fontId_ && lastRtl_ == rtl && std::u16string_view(lastText_) == text) return last_;
  last_ = TextShaper::shape(fontId_, text, rtl);
  lastText_.assign(text);
  lastFont_ = fontId_;
  lastRtl_ = rtl;
  return last_;
}

namespace {

int clampInt(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

} // namespace

// Each unit's advance with the character extra, in logical order: a
// cluster's whole width on its first unit, 0 on the others. Fractional
// widths are rounded as running sums, so the whole text is as wide as
// drawn.
std::vector<int> QtCanvas::logicalAdvances(const ShapedText &s, size_t n) const {
  std::vector<int> a(n, 0);
  if (s.advance.size() != n) return a;
  double cum = 0;
  long long prev = 0;
  for (size_t i = 0; i < n; ++i) {
    if (!s.clusterStart[i]) continue;
    if (s.simple) {
      a[i] = clampInt(static_cast<long long>(s.advance[i]) + extra_);
    } else {
      cum += static_cast<double>(s.advance[i]) + extra_;
      const long long r = std::llround(std::clamp(cum, -9e18, 9e18));
      a[i] = clampInt(r - prev);
      prev = r;
    }
  }
  return a;
}

// The units in visual order: clusters from left to right, the units of a
// right-to-left cluster reversed.
std::vector<int> QtCanvas::visualUnits(const ShapedText &s, size_t n) {
  std::vector<int> v(n);
  std::iota(v.begin(), v.end(), 0);
  if (s.left.size() != n) return v;
  std::stable_sort(v.begin(), v.end(), [&](int a, int b) {
    const float la = s.left[static_cast<size_t>(a)], lb = s.left[static_cast<size_t>(b)];
    if (la != lb) return la < lb;
    if (s.rtl[static_cast<size_t>(a)] && s.rtl[static_cast<size_t>(b)]) return a > b;
    return a < b;
  });
  return v;
}

bool QtCanvas::measureSimple(std::u16string_view text) {
  if (align_ & TA_RTLREADING) return false;
  if (fontId_ < 0) fontId_ = TextShaper::fontId(qfont_);
  return TextShaper::simpleAdvances(fontId_, text, simple_);
}

void QtCanvas::textVerticalExtentW(std::u16string_view text, int &ascent, int &descent) {
  if (measureSimple(text)) {
    TextShaper::simpleVerticalExtent(fontId_, ascent, descent);
    ascent = std::max(ascent, fm_->ascent());
    descent = std::max(descent, fm_->descent());
    return;
  }
  auto s = shaped(text);
  ascent = std::max(s->ascent, fm_->ascent());
  descent = std::max(s->descent, fm_->descent());
}

void QtCanvas::textVerticalExtent(std::string_view text, int &ascent, int &descent) {
  textVerticalExtentW(decode(text).text, ascent, descent);
}

TSize QtCanvas::textExtent(std::string_view text) { return textExtentEx(text, -1, nullptr, nullptr); }

TSize QtCanvas::textExtentW(std::u16string_view text) { return textExtentExW(text, -1, nullptr, nullptr); }

TSize QtCanvas::textExtentExW(std::u16string_view text, int maxExtent, int *fit, std::vector<int> *extents) {
  const int height = fm_->ascent() + fm_->descent();
  if (measureSimple(text)) {
    auto advance = [&](size_t i) { return clampInt(static_cast<long long>(simple_[i]) + extra_); };
    return {RunningTextExtent(text.size(), advance, maxExtent, fit, extents), height};
  }
  auto s = shaped(text);
  const std::vector<int> adv = logicalAdvances(*s, text.size());
  auto advance = [&](size_t i) { return adv[i]; };
  return {RunningTextExtent(text.size(), advance, maxExtent, fit, extents), height};
}

TSize QtCanvas::textExtentEx(std::string_view text, int maxExtent, int *fit, std::vector<int> *extents) {
  {
    // One unit a byte: the units' figures are the bytes'.
    const std::u16string whole = toUtf16(text, codePageOfCharset(font_.lfCharSet));
    if (whole.size() == text.size()) return textExtentExW(whole, maxExtent, fit, extents);
  }
  Decoded d = decode(text);
  std::vector<int> unitExt;
  TSize sz = textExtentExW(d.text, maxExtent, nullptr, &unitExt);
  if (extents) {
    extents->resize(text.size());
    for (size_t b = 0; b < text.size(); ++b) (*extents)[b] = unitExt[static_cast<size_t>(d.unitOfByte[b])];
  }
  if (fit) {
    int f = 0;
    for (size_t b = 0; b < text.size(); ++b) {
      if (unitExt[static_cast<size_t>(d.unitOfByte[b])] > maxExtent) break;
      ++f;
    }
    *fit = f;
  }
  return sz;
}

bool QtCanvas::characterPlacement(std::u16string_view text, unsigned flags, CharacterPlacement &out) {
  auto s = shaped(text);
  const size_t n = text.size();
  out.advances = logicalAdvances(*s, n);
  out.order.assign(n, 0);
  out.classes.assign(n, GCPCLASS_NEUTRAL);
  const std::vector<int> visual = visualUnits(*s, n);
  for (size_t v = 0; v < n; ++v) out.order[static_cast<size_t>(visual[v])] = static_cast<int>(v);
  if (!(flags & GCP_REORDER))
    for (size_t i = 0; i < n; ++i) out.order[i] = static_cast<int>(i);
  for (size_t i = 0; i < n; ++i) {
    if (i < s->rtl.size() && s->rtl[i]) {
      out.classes[i] = GCPCLASS_RTL;
      continue;
    }
    switch (QChar(text[i]).direction()) {
    case QChar::DirL: out.classes[i] = GCPCLASS_LATIN; break;
    case QChar::DirEN:
    case QChar::DirAN: out.classes[i] = GCPCLASS_LOCALNUMBER; break;
    default: break;
    }
  }
  long long w = 0;
  for (int a : out.advances) w += a;
  out.width = clampInt(w);
  out.height = fm_->ascent() + fm_->descent();
  return true;
}

bool QtCanvas::characterPlacementA(std::string_view text, unsigned flags, CharacterPlacement &out) {
  Decoded d = decode(text);
  CharacterPlacement u;
  if (!characterPlacement(d.text, flags, u)) return false;
  if (d.text.size() == text.size()) {
    out = std::move(u);
    return true;
  }
  // Double-byte text: one entry per byte, the trail byte with no advance of its own.
  out = {};
  out.width = u.width;
  out.height = u.height;
  std::vector<int> firstByte(d.text.size());
  int b = 0;
  for (size_t k = 0; k < d.text.size(); ++k) {
    firstByte[k] = b;
    b += d.bytesOfUnit[k];
  }
  std::vector<int> unitOfVisual(d.text.size());
  for (size_t k = 0; k < d.text.size(); ++k) unitOfVisual[static_cast<size_t>(u.order[k])] = static_cast<int>(k);
  std::vector<int> visualByte(d.text.size());
  int vb = 0;
  for (size_t v = 0; v < d.text.size(); ++v) {
    visualByte[static_cast<size_t>(unitOfVisual[v])] = vb;
    vb += d.bytesOfUnit[static_cast<size_t>(unitOfVisual[v])];
  }
  out.order.resize(text.size());
  out.advances.resize(text.size());
  out.classes.resize(text.size());
  for (size_t k = 0; k < d.text.size(); ++k) {
    for (int j = 0; j < d.bytesOfUnit[k]; ++j) {
      size_t byte = static_cast<size_t>(firstByte[k] + j);
      out.order[byte] = visualByte[k] + j;
      out.advances[byte] = j == 0 ? u.advances[k] : 0;
      out.classes[byte] = u.classes[k];
    }
  }
  return true;
}

// ---------------------------------------------------------------- text out

void QtCanvas::drawText(int x, int y, std::u16string_view text, const std::vector<int> *dx, unsigned options,
                        const TRect *rect) {
  auto shapedText = shaped(text);
  const ShapedText &s = *shapedText;
  const size_t n = text.size();
  const std::vector<int> natural = dx ? std::vector<int>{} : logicalAdvances(s, n);
  const std::vector<int> &adv = dx ? *dx : natural;
  long long total = 0;
  for (int a : adv) total += a;
  int width = static_cast<int>(std::clamp<long long>(total, -0x7FFFFFFF, 0x7FFFFFFF));
  // The text's cell is the font's, as in GDI: a text whose glyphs come
  // from taller fallback fonts keeps its baseline where the font puts it.
  const int ascent = fm_->ascent(), descent = fm_->descent();
  int left = x;
  if ((align_ & TA_CENTER) == TA_CENTER) left = x - width / 2;
  else if (align_ & TA_RIGHT) left = x - width;
  int top = y;
  if ((align_ & TA_BASELINE) == TA_BASELINE) top = y - ascent;
  else if (align_ & TA_BOTTOM) top = y - ascent - descent;

  const bool clip = rect && (options & ETO_CLIPPED);
  if (clip) {
    painter_.save();
    painter_.setClipRect(qrect(*rect), Qt::IntersectClip);
  }
  if (rect && (options & ETO_OPAQUE) && brush_.Color != clNone) painter_.fillRect(qrect(*rect), qcolor(brush_.Color));
  if (brush_.Style == TBrushStyle::bsSolid && brush_.Color != clNone)
    painter_.fillRect(QRect(left, top, width, ascent + descent), qcolor(brush_.Color));
  const QColor color = qcolor(fontColor_);
  // Underline and strike-out are drawn once across the whole text, spaces
  // included, as GDI does; the glyphs are drawn without them.
  const int baseline = top + ascent;
  const int lineW = std::max(1, fm_->lineWidth());
  if (font_.lfUnderline)
    painter_.fillRect(QRect(left, baseline + std::max(1, fm_->underlinePos()) - lineW / 2, width, lineW), color);
  if (font_.lfStrikeOut)
    painter_.fillRect(QRect(left, baseline - fm_->strikeOutPos() - lineW / 2, width, lineW), color);
  if (painter_.pen().color() != color || painter_.pen().style() != Qt::SolidLine) painter_.setPen(color);
  const QPointF origin(left, baseline);
  if (!dx && extra_ == 0) {
    for (const QGlyphRun &r : s.runs) painter_.drawGlyphRun(origin, r);
  } else {
    // Justification or character spacing moved the clusters: each starts
    // where the advances before it in visual order end.
    std::vector<double> clusterLeft(n, 0);
    long long px = 0;
    for (int u : visualUnits(s, n)) {
      clusterLeft[static_cast<size_t>(u)] = static_cast<double>(px);
      px += adv[static_cast<size_t>(u)];
    }
    for (const QGlyphRun &r : TextShaper::positioned(s, clusterLeft)) painter_.drawGlyphRun(origin, r);
  }
  if (clip) painter_.restore();
}

void QtCanvas::textOut(int x, int y, std::string_view text) {
  Decoded d = decode(text);
  drawText(x, y, d.text, nullptr, 0, nullptr);
}

void QtCanvas::textOutW(int x, int y, std::u16string_view text) { drawText(x, y, text, nullptr, 0, nullptr); }

void QtCanvas::extTextOut(int x, int y, unsigned options, const TRect *rect, std::string_view text,
                          std::span<const int> dx) {
  Decoded d = decode(text);
  if (dx.empty()) {
    drawText(x, y, d.text, nullptr, options, rect);
    return;
  }
  std::vector<int> adv(d.text.size(), 0);
  for (size_t b = 0; b < text.size() && b < dx.size(); ++b) adv[static_cast<size_t>(d.unitOfByte[b])] += dx[b];
  drawText(x, y, d.text, &adv, options, rect);
}

void QtCanvas::extTextOutW(int x, int y, unsigned options, const TRect *rect, std::u16string_view text,
                           std::span<const int> dx) {
  if (dx.empty()) {
    drawText(x, y, text, nullptr, options, rect);
    return;
  }
  std::vector<int> adv(text.size(), 0);
  for (size_t i = 0; i < adv.size() && i < dx.size(); ++i) adv[i] = dx[i];
  drawText(x, y, text, &adv, options, rect);
}

// ------------------------------------------------------------------ shapes

void QtCanvas::fillWithBrush(const QRect &r) {
  if (brush_.Style == TBrushStyle::bsClear || brush_.Color == clNone || r.isEmpty()) return;
  Qt::BrushStyle st = Qt::SolidPattern;
  switch (brush_.Style) {
  case TBrushStyle::bsHorizontal: st = Qt::HorPattern; break;
  case TBrushStyle::bsVertical: st = Qt::VerPattern; break;
  case TBrushStyle::bsFDiagonal: st = Qt::FDiagPattern; break;
  case TBrushStyle::bsBDiagonal: st = Qt::BDiagPattern; break;
  case TBrushStyle::bsCross: st = Qt::CrossPattern; break;
  case TBrushStyle::bsDiagCross: st = Qt::DiagCrossPattern; break;
  default: break;
  }
  painter_.fillRect(r, QBrush(qcolor(brush_.Color), st));
}

void QtCanvas::fillRect(const TRect &r) { fillWithBrush(qrect(r)); }

void QtCanvas::frameRect(const TRect &r) {
  if (r.isEmpty() || brush_.Color == clNone) return;
  QColor c = qcolor(brush_.Color);
  QRect q = qrect(r);
  painter_.fillRect(QRect(q.left(), q.top(), q.width(), 1), c);
  painter_.fillRect(QRect(q.left(), q.bottom(), q.width(), 1), c);
  painter_.fillRect(QRect(q.left(), q.top(), 1, q.height()), c);
  painter_.fillRect(QRect(q.right(), q.top(), 1, q.height()), c);
}

void QtCanvas::applyPenMode() {
  switch (pen_.Mode) {
  case TPenMode::pmCopy: painter_.setCompositionMode(QPainter::CompositionMode_SourceOver); break;
  case TPenMode::pmNot: painter_.setCompositionMode(QPainter::RasterOp_NotDestination); break;
  case TPenMode::pmXor: painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
  case TPenMode::pmNotXor: painter_.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination); break;
  }
}

void QtCanvas::beginFigure() {
  painter_.save();
  applyPenMode();
  if (pen_.Style == TPenStyle::psClear || pen_.Color == clNone) painter_.setPen(Qt::NoPen);
  else painter_.setPen(QPen(qcolor(pen_.Color), std::max(1, pen_.Width)));
  if (brush_.Style == TBrushStyle::bsClear || brush_.Color == clNone) painter_.setBrush(Qt::NoBrush);
  else painter_.setBrush(qcolor(brush_.Color));
}

void QtCanvas::rectangle(const TRect &r) {
  if (r.isEmpty()) return;
  QRect q = qrect(r);
  bool outline = pen_.Style != TPenStyle::psClear && pen_.Color != clNone;
  int w = outline ? std::max(1, pen_.Width) : 0;
  fillWithBrush(q.adjusted(w, w, -w, -w));
  if (!outline) return;
  painter_.save();
  applyPenMode();
  QColor c = qcolor(pen_.Color);
  w = std::min({w, (q.width() + 1) / 2, (q.height() + 1) / 2});
  painter_.fillRect(QRect(q.left(), q.top(), q.width(), w), c);
  painter_.fillRect(QRect(q.left(), q.bottom() - w + 1, q.width(), w), c);
  painter_.fillRect(QRect(q.left(), q.top() + w, w, q.height() - 2 * w), c);
  painter_.fillRect(QRect(q.right() - w + 1, q.top() + w, w, q.height() - 2 * w), c);
  painter_.restore();
}

void QtCanvas::ellipse(const TRect &r) {
  if (r.isEmpty()) return;
  beginFigure();
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.drawEllipse(QRect(r.Left, r.Top, r.width() - 1, r.height() - 1));
  painter_.restore();
}

void QtCanvas::roundRect(const TRect &r, int cornerW, int cornerH) {
  if (r.isEmpty()) return;
  beginFigure();
  painter_.drawRoundedRect(QRect(r.Left, r.Top, r.width() - 1, r.height() - 1), cornerW / 2.0, cornerH / 2.0);
  painter_.restore();
}

void QtCanvas::polygon(std::span<const TPoint> pts) {
  if (pts.size() < 2) return;
  QPolygon poly;
  for (const TPoint &p : pts) poly << QPoint(p.x, p.y);
  beginFigure();
  painter_.drawPolygon(poly, Qt::OddEvenFill);
  painter_.restore();
}

void QtCanvas::polyline(std::span<const TPoint> pts) {
  if (pts.empty()) return;
  moveTo(pts[0].x, pts[0].y);
  for (size_t i = 1; i < pts.size(); ++i) lineTo(pts[i].x, pts[i].y);
}

void QtCanvas::solidLine(int x0, int y0, int x1, int y1) {
  // Bresenham without the end pixel, as GDI draws a line.
  QColor c = qcolor(pen_.Color);
  long long dx = std::llabs(static_cast<long long>(x1) - x0), dy = -std::llabs(static_cast<long long>(y1) - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  long long err = dx + dy;
  int x = x0, y = y0;
  long long steps = std::max(dx, -dy);
  int dotPhase = 0;
  for (long long k = 0; k < steps; ++k) {
    bool on = true;
    if (pen_.Style == TPenStyle::psDot) on = (dotPhase % 2) == 0;
    else if (pen_.Style == TPenStyle::psDash) on = (dotPhase % 9) < 6;
    else if (pen_.Style == TPenStyle::psDashDot) on = (dotPhase % 12) < 6 || (dotPhase % 12) == 9;
    else if (pen_.Style == TPenStyle::psDashDotDot)
      on = (dotPhase % 14) < 6 || (dotPhase % 14) == 8 || (dotPhase % 14) == 11;
    ++dotPhase;
    if (on) painter_.fillRect(QRect(x, y, 1, 1), c);
    long long e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

void QtCanvas::lineTo(int x, int y) {
  TPoint from = penPos_;
  penPos_ = {x, y};
  if (pen_.Style == TPenStyle::psClear || pen_.Color == clNone) return;
  painter_.save();
  applyPenMode();
  int w = std::max(1, pen_.Width);
  if (w == 1) {
    solidLine(from.x, from.y, x, y);
  } else if (from.y == y) {
    int l = std::min(from.x, x), r = std::max(from.x, x);
    painter_.fillRect(QRect(l, y - w / 2, r - l, w), qcolor(pen_.Color));
  } else if (from.x == x) {
    int t = std::min(from.y, y), b = std::max(from.y, y);
    painter_.fillRect(QRect(x - w / 2, t, w, b - t), qcolor(pen_.Color));
  } else {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setPen(QPen(qcolor(pen_.Color), w, Qt::SolidLine, Qt::RoundCap));
    painter_.drawLine(from.x, from.y, x, y);
  }
  painter_.restore();
}

void QtCanvas::drawFocusRect(const TRect &r) {
  if (r.isEmpty()) return;
  painter_.save();
  painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  QColor c(255, 255, 255);
  for (int x = r.Left; x < r.Right; x += 2) {
    painter_.fillRect(QRect(x, r.Top, 1, 1), c);
    if (r.Bottom - 1 > r.Top && ((x - r.Left + r.Bottom - 1 - r.Top) % 2) == 0)
      painter_.fillRect(QRect(x, r.Bottom - 1, 1, 1), c);
  }
  if (r.Bottom - 1 > r.Top && ((r.Bottom - 1 - r.Top) % 2) != 0)
    for (int x = r.Left + 1; x < r.Right; x += 2) painter_.fillRect(QRect(x, r.Bottom - 1, 1, 1), c);
  for (int y = r.Top + 2; y < r.Bottom - 1; y += 2) {
    painter_.fillRect(QRect(r.Left, y, 1, 1), c);
    if (r.Right - 1 > r.Left && ((r.Right - 1 - r.Left + y - r.Top) % 2) == 0)
      painter_.fillRect(QRect(r.Right - 1, y, 1, 1), c);
  }
  for (int y = r.Top + 1; y < r.Bottom - 1; y += 2)
    if (r.Right - 1 > r.Left && ((r.Right - 1 - r.Left + y - r.Top) % 2) == 0)
      painter_.fillRect(QRect(r.Right - 1, y, 1, 1), c);
  painter_.restore();
}

void QtCanvas::invertRect(const TRect &r) {
  if (r.isEmpty()) return;
  painter_.save();
  painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
  painter_.fillRect(qrect(r), Qt::black);
  painter_.restore();
}

void QtCanvas::setPixel(int x, int y, TColor c) {
  if (c == clNone) return;
  painter_.fillRect(QRect(x, y, 1, 1), qcolor(c));
}

TColor QtCanvas::pixel(int x, int y) {
  auto *img = dynamic_cast<QImage *>(painter_.device());
  if (!img) return clNone;
  int dx = x + origin_.x, dy = y + origin_.y;
  if (dx < 0 || dy < 0 || dx >= img->width() || dy >= img->height()) return clNone;
  if (painter_.hasClipping() && !painter_.clipRegion().contains(QPoint(x, y))) return clNone;
  QRgb p = img->pixel(dx, dy);
  return RGB(qRed(p), qGreen(p), qBlue(p));
}

// ---------------------------------------------------------------- pictures

void QtCanvas::drawImage(int x, int y, const QImage &img) {
  if (img.isNull()) return;
  painter_.drawImage(QPoint(x, y), img);
}

void QtCanvas::stretchDraw(const TRect &dest, const QImage &img, const TRect *src) {
  if (img.isNull() || dest.isEmpty()) return;
  painter_.save();
  painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
  if (src) painter_.drawImage(qrect(dest), img, qrect(*src));
  else painter_.drawImage(qrect(dest), img);
  painter_.restore();
}

void QtCanvas::drawGraphic(const TRect &dest, const TGraphic &g) {
  if (dest.isEmpty() || g.empty()) return;
  painter_.save();
  g.draw(painter_, qrect(dest));
  painter_.restore();
}

// ------------------------------------------------------------------- state

int QtCanvas::saveDC() {
  painter_.save();
  saved_.push_back({font_, fontColor_, pen_, brush_, extra_, align_, origin_});
  return static_cast<int>(saved_.size());
}

void QtCanvas::restoreDC(int level) {
  if (level < 0) level = static_cast<int>(saved_.size()) + 1 + level;
  if (level < 1 || level > static_cast<int>(saved_.size())) return;
  while (static_cast<int>(saved_.size()) >= level) {
    State s = saved_.back();
    saved_.pop_back();
    painter_.restore();
    if (static_cast<int>(saved_.size()) + 1 == level) {
      if (!(s.font == font_)) setFont(s.font);
      fontColor_ = s.fontColor;
      pen_ = s.pen;
      brush_ = s.brush;
      extra_ = s.extra;
      align_ = s.align;
      origin_ = s.origin;
    }
  }
}

void QtCanvas::intersectClipRect(const TRect &r) {
  if (painter_.hasClipping()) painter_.setClipRect(qrect(r), Qt::IntersectClip);
  else painter_.setClipRect(qrect(r), Qt::ReplaceClip);
}

void QtCanvas::excludeClipRect(const TRect &r) {
  QRegion cur;
  if (painter_.hasClipping()) {
    cur = painter_.clipRegion();
  } else {
    QPaintDevice *d = painter_.device();
    cur = QRegion(QRect(-origin_.x, -origin_.y, d ? d->width() : 0, d ? d->height() : 0));
  }
  painter_.setClipRegion(cur.subtracted(QRegion(qrect(r))), Qt::ReplaceClip);
}

void QtCanvas::setClipRect(const TRect *r) {
  if (!r) painter_.setClipping(false);
  else painter_.setClipRect(qrect(*r), Qt::ReplaceClip);
}

TRect QtCanvas::clipBox() {
  QPaintDevice *d = painter_.device();
  QRect dev(-origin_.x, -origin_.y, d ? d->width() : 0, d ? d->height() : 0);
  QRect b = painter_.hasClipping() ? painter_.clipBoundingRect().toAlignedRect().intersected(dev) : dev;
  return Rect(b.left(), b.top(), b.left() + b.width(), b.top() + b.height());
}

void QtCanvas::setOrigin(TPoint p) {
  origin_ = p;
  painter_.resetTransform();
  painter_.translate(p.x, p.y);
}

} // namespace kc
