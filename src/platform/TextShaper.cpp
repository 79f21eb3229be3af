#include "platform/TextShaper.h"

#include <QChar>
#include <QFontMetrics>
#include <QString>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <unordered_map>

namespace kc {

namespace {

QString qstr(std::u16string_view s) {
  return QString(reinterpret_cast<const QChar *>(s.data()), static_cast<qsizetype>(s.size()));
}

// A font the shaper knows: the Qt font (without the lines a canvas draws
// itself), its raw form for glyph lookups, and the glyphs and whole-pixel
// advances of the characters asked so far.
struct ShaperFont {
  QFont font;
  QRawFont raw;
  std::unique_ptr<QFontMetrics> fm;
  int ascent = 0;
  int descent = 0;
  // With the raw font's own rounded to whole pixels, as fontsUsed takes them.
  int simpleAscent = 0;
  int simpleDescent = 0;
  struct Glyph {
    quint32 index = 0;
    int advance = 0;
    bool known = false;
  };
  std::vector<Glyph> low; // units below 0x800
  std::unordered_map<char16_t, Glyph> high;

  const Glyph &glyph(char16_t c) {
    Glyph *g;
    if (c < 0x800) {
      if (low.empty()) low.resize(0x800);
      g = &low[c];
    } else {
      g = &high[c];
    }
    if (!g->known) {
      g->known = true;
      QChar q(c);
      quint32 idx = 0;
      int n = 1;
      if (raw.isValid() && raw.glyphIndexesForChars(&q, 1, &idx, &n) && n == 1) g->index = idx;
      g->advance = fm->horizontalAdvance(q);
    }
    return *g;
  }
};

struct ShaperState {
  std::vector<std::unique_ptr<ShaperFont>> fonts;
  std::unordered_map<QString, int> ids;
  // The fonts asked for lately, newest first: comparing a font is far
  // cheaper than building its key, and a canvas asks again at every change
  // of font (each style of a formatted line).
  std::vector<std::pair<QFont, int>> recent;
  // Two generations: a piece used in the current one stays; when the
  // current one is full it becomes the old one and the old one goes.
  using Cache = std::unordered_map<std::u16string, std::shared_ptr<const ShapedText>>;
  Cache current, old;
  std::size_t currentUnits = 0;
};

ShaperState &state() {
  thread_local ShaperState s;
  return s;
}

constexpr std::size_t kGenerationUnits = 1u << 18; // units of text kept in one generation

// A unit that is a cluster of its own with one glyph and no contextual
// form in any font: letters and signs of the Latin, Greek and Cyrillic
// scripts, punctuation and symbols, the ideographs, kana and Hangul
// syllables. Marks, format characters, surrogates and right-to-left
// letters are not.
bool simpleUnit(char16_t c) {
  if (c < 0x20) return false;
  if (c < 0x7F) return true;
  if (c < 0xA0) return false;
  bool block = c < 0x0300 || (c >= 0x0370 && c < 0x0483) || (c >= 0x048A && c < 0x0530) ||
               (c >= 0x1E00 && c < 0x2000) || (c >= 0x2010 && c < 0x2028) || (c >= 0x2030 && c < 0x205F) ||
               (c >= 0x20A0 && c < 0x20D0) || (c >= 0x2100 && c < 0x2300) || (c >= 0x2500 && c < 0x2600) ||
               (c >= 0x3000 && c < 0x302A) || (c >= 0x3030 && c < 0x3099) || (c >= 0x309B && c < 0x3100) ||
               (c >= 0x3400 && c < 0x4DC0) || (c >= 0x4E00 && c < 0xA000) || (c >= 0xAC00 && c < 0xD7A4) ||
               (c >= 0xF900 && c < 0xFB00) || (c >= 0xFF01 && c < 0xFFF0);
  if (!block) return false;
  switch (QChar(c).category()) {
  case QChar::Mark_NonSpacing:
  case QChar::Mark_SpacingCombining:
  case QChar::Mark_Enclosing:
  case QChar::Other_Format:
  case QChar::Other_Control: return false;
  default: return true;
  }
}

// No character that could run right to left or reorder its neighbours.
bool leftToRightOnly(std::u16string_view t) {
  for (size_t i = 0; i < t.size(); ++i) {
    char32_t c = t[i];
    if (QChar::isHighSurrogate(c) && i + 1 < t.size() && QChar::isLowSurrogate(t[i + 1])) {
      c = QChar::surrogateToUcs4(t[i], t[i + 1]);
      ++i;
    }
    switch (QChar::direction(c)) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirAN:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirLRE:
    case QChar::DirLRO:
    case QChar::DirPDF:
    case QChar::DirRLI:
    case QChar::DirLRI:
    case QChar::DirFSI:
    case QChar::DirPDI: return false;
    default: break;
    }
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
    case QChar::Other_Control: return false;
    default: break;
    }
  }
  return true;
}

void buildRuns(ShapedText &s) {
  s.runs.clear();
  for (const auto &g : s.glyphs) {
    if (g.index.isEmpty()) continue;
    QGlyphRun r;
    r.setRawFont(g.font);
    r.setGlyphIndexes(g.index);
    r.setPositions(g.pos);
    r.setRightToLeft(g.rtl);
    s.runs.push_back(r);
  }
}

void fontsUsed(ShapedText &s, const ShaperFont &f) {
  s.ascent = f.ascent;
  s.descent = f.descent;
  for (const auto &g : s.glyphs) {
    if (!g.font.isValid() || g.index.isEmpty()) continue;
    s.ascent = std::max(s.ascent, static_cast<int>(std::lround(g.font.ascent())));
    s.descent = std::max(s.descent, static_cast<int>(std::lround(g.font.descent())));
  }
}

// The simple case: the main font has every glyph.
bool shapeSimple(ShaperFont &f, std::u16string_view t, ShapedText &s) {
  const size_t n = t.size();
  for (char16_t c : t)
    if (!simpleUnit(c) || f.glyph(c).index == 0) return false;
  s.simple = true;
  s.advance.resize(n);
  s.left.resize(n);
  s.rtl.assign(n, 0);
  s.clusterStart.assign(n, 1);
  ShapedText::Glyphs g;
  g.font = f.raw;
  g.index.resize(static_cast<qsizetype>(n));
  g.pos.resize(static_cast<qsizetype>(n));
  g.unit.resize(n);
  long long x = 0;
  for (size_t i = 0; i < n; ++i) {
    const auto &gl = f.glyph(t[i]);
    s.advance[i] = static_cast<float>(gl.advance);
    s.left[i] = static_cast<float>(x);
    g.index[static_cast<qsizetype>(i)] = gl.index;
    g.pos[static_cast<qsizetype>(i)] = QPointF(static_cast<double>(x), 0);
    g.unit[i] = static_cast<int>(i);
    x += gl.advance;
  }
  s.width = static_cast<double>(x);
  s.glyphs.push_back(std::move(g));
  fontsUsed(s, f);
  return true;
}

// Everything else goes through the text engine: fallback fonts, joining
// and reordering scripts, marks, emoji sequences, right to left.
// Left to right, one glyph a code point: the glyphs in the order of their
// places are the code points in order. False when the text is not so.
bool shapeOneGlyphPerPoint(std::u16string_view t, const QList<QGlyphRun> &whole, double natural, ShapedText &s) {
  const size_t n = t.size();
  size_t points = 0;
  for (size_t i = 0; i < n; ++i, ++points)
    if (QChar::isHighSurrogate(t[i]) && i + 1 < n && QChar::isLowSurrogate(t[i + 1])) ++i;
  size_t count = 0;
  bool anyRtl = false;
  for (const auto &r : whole) count += static_cast<size_t>(r.glyphIndexes().size()), anyRtl |= r.isRightToLeft();
  if (count != points || anyRtl) return false;
  struct Ref {
    double x;
    int run, k;
  };
  std::vector<Ref> refs;
  refs.reserve(count);
  for (int r = 0; r < whole.size(); ++r) {
    const auto pos = whole[r].positions();
    for (int k = 0; k < pos.size(); ++k) refs.push_back({pos[k].x(), r, k});
  }
  std::stable_sort(refs.begin(), refs.end(), [](const Ref &a, const Ref &b) { return a.x < b.x; });
  s.simple = true;
  s.glyphs.resize(static_cast<size_t>(whole.size()));
  for (int r = 0; r < whole.size(); ++r) s.glyphs[static_cast<size_t>(r)].font = whole[r].rawFont();
  long long x = 0;
  size_t unit = 0;
  for (size_t k = 0; k < refs.size(); ++k) {
    const double next = k + 1 < refs.size() ? refs[k + 1].x : natural;
    const int adv = static_cast<int>(std::lround(next - refs[k].x));
    s.clusterStart[unit] = 1;
    s.advance[unit] = static_cast<float>(adv);
    s.left[unit] = static_cast<float>(x);
    auto &g = s.glyphs[static_cast<size_t>(refs[k].run)];
    g.index.push_back(whole[refs[k].run].glyphIndexes()[refs[k].k]);
    g.pos.push_back(QPointF(static_cast<double>(x), 0));
    g.unit.push_back(static_cast<int>(unit));
    const bool pair = QChar::isHighSurrogate(t[unit]) && unit + 1 < n && QChar::isLowSurrogate(t[unit + 1]);
    if (pair) s.left[unit + 1] = static_cast<float>(x);
    unit += pair ? 2 : 1;
    x += adv;
  }
  s.width = static_cast<double>(x);
  return true;
}

struct LaidOutCluster {
  int from, to;
  double left;
  bool rtl, hasGlyphs;
};

// The general case: each cluster's glyphs, where the engine placed them,
// gathered per font and direction into the runs drawing uses.
std::vector<LaidOutCluster> collectClusters(const QTextLayout &layout, const QTextLine &line, size_t n, double baseY,
                                            ShapedText &s) {
  std::vector<LaidOutCluster> clusters;
  std::vector<std::tuple<quint64, quint32, double, double>> seen; // font, glyph and place already taken
  std::unordered_map<quint64, size_t> glyphsOfFont;
  // Mixed in unsigned arithmetic, which wraps round; a signed product of
  // two hashes overflows.
  auto fontKey = [](const QRawFont &rf) {
    const quint64 name = quint64(qHash(rf.familyName())) ^ (quint64(qHash(rf.styleName())) << 1);
    return name * 4099u + quint64(std::lround(rf.pixelSize() * 64));
  };
  for (int a = 0; a < static_cast<int>(n);) {
    int b = a + 1;
    while (b < static_cast<int>(n) && !layout.isValidCursorPosition(b)) ++b;
    LaidOutCluster c{a, b, 0, false, false};
    double minX = 1e300;
    for (const QGlyphRun &r : line.glyphRuns(a, b - a)) {
      const auto idx = r.glyphIndexes();
      const auto pos = r.positions();
      const QRawFont rf = r.rawFont();
      const quint64 key = fontKey(rf);
      c.rtl = r.isRightToLeft();
      for (int k = 0; k < idx.size(); ++k) {
        minX = std::min(minX, pos[k].x());
        auto tag = std::make_tuple(key, idx[k], pos[k].x(), pos[k].y());
        if (std::find(seen.begin(), seen.end(), tag) != seen.end()) continue;
        seen.push_back(tag);
        if (seen.size() > 64) seen.erase(seen.begin()); // ligatures span neighbours only
        auto it = glyphsOfFont.find(key * 2 + (r.isRightToLeft() ? 1u : 0u));
        if (it == glyphsOfFont.end()) {
          it = glyphsOfFont.emplace(key * 2 + (r.isRightToLeft() ? 1u : 0u), s.glyphs.size()).first;
          ShapedText::Glyphs g;
          g.font = rf;
          g.rtl = r.isRightToLeft();
          s.glyphs.push_back(std::move(g));
        }
        auto &g = s.glyphs[it->second];
        g.index.push_back(idx[k]);
        g.pos.push_back(QPointF(pos[k].x(), pos[k].y() - baseY));
        g.unit.push_back(a);
      }
    }
    if (minX < 1e300) {
      c.left = minX;
      c.hasGlyphs = true;
    }
    clusters.push_back(c);
    a = b;
  }
  return clusters;
}

// A cluster ends where the next one to its right begins; its units share its
// left edge and direction.
void placeClusters(const std::vector<LaidOutCluster> &clusters, double natural, ShapedText &s) {
  std::vector<size_t> visual;
  for (size_t i = 0; i < clusters.size(); ++i)
    if (clusters[i].hasGlyphs) visual.push_back(i);
  std::stable_sort(visual.begin(), visual.end(),
                   [&](size_t a, size_t b) { return clusters[a].left < clusters[b].left; });
  std::vector<double> widthOf(clusters.size(), 0);
  for (size_t v = 0; v < visual.size(); ++v) {
    const double right = v + 1 < visual.size() ? clusters[visual[v + 1]].left : natural;
    widthOf[visual[v]] = std::max(0.0, right - clusters[visual[v]].left);
  }
  double lastRight = 0;
  for (size_t i = 0; i < clusters.size(); ++i) {
    const LaidOutCluster &c = clusters[i];
    const double left = c.hasGlyphs ? c.left : lastRight;
    for (int u = c.from; u < c.to; ++u) {
      s.left[static_cast<size_t>(u)] = static_cast<float>(left);
      s.rtl[static_cast<size_t>(u)] = c.rtl ? 1 : 0;
    }
    s.clusterStart[static_cast<size_t>(c.from)] = 1;
    s.advance[static_cast<size_t>(c.from)] = static_cast<float>(widthOf[i]);
    lastRight = c.rtl ? left : left + widthOf[i];
  }
}

// Marks stacked on a letter (a Thai vowel and tone mark, several accents)
// may reach beyond the font's ascent or descent: the text is as tall as
// its ink, so that the line above or below stays clear of it.
void measureInk(ShapedText &s) {
  for (const auto &g : s.glyphs) {
    if (!g.font.isValid()) continue;
    for (qsizetype k = 0; k < g.index.size(); ++k) {
      const QRectF ink = g.font.boundingRect(g.index[k]);
      if (ink.isEmpty()) continue;
      const double y = g.pos[k].y();
      s.ascent = std::max(s.ascent, static_cast<int>(std::ceil(-(y + ink.top()))));
      s.descent = std::max(s.descent, static_cast<int>(std::ceil(y + ink.bottom())));
    }
  }
}

void shapeLaidOut(ShaperFont &f, std::u16string_view t, bool rtlParagraph, ShapedText &s) {
  const size_t n = t.size();
  const QString str = qstr(t);
  QTextLayout layout(str, f.font);
  QTextOption opt;
  opt.setWrapMode(QTextOption::NoWrap);
  opt.setTextDirection(rtlParagraph ? Qt::RightToLeft : Qt::LeftToRight);
  opt.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
  layout.setTextOption(opt);
  layout.setCacheEnabled(true);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (!line.isValid()) {
    layout.endLayout();
    return;
  }
  line.setLineWidth(1e7);
  layout.endLayout();
  const double natural = line.naturalTextWidth();
  s.advance.assign(n, 0);
  s.left.assign(n, 0);
  s.rtl.assign(n, 0);
  s.clusterStart.assign(n, 0);
  s.width = natural;

  if (!rtlParagraph && leftToRightOnly(t) && shapeOneGlyphPerPoint(t, line.glyphRuns(), natural, s)) {
    fontsUsed(s, f);
    return;
  }
  s.simple = false;
  placeClusters(collectClusters(layout, line, n, line.ascent(), s), natural, s);
  fontsUsed(s, f);
  measureInk(s);
}

} // namespace

namespace {
constexpr std::size_t kRecentFonts = 16;

int rememberFont(ShaperState &St, const QFont &Font, int Id) {
  if (St.recent.size() >= kRecentFonts) St.recent.pop_back();
  St.recent.insert(St.recent.begin(), {Font, Id});
  return Id;
}
} // namespace

int TextShaper::fontId(const QFont &font) {
  ShaperState &st = state();
  // Equal fonts have equal keys: a font seen lately needs no key.
  for (std::size_t i = 0; i < st.recent.size(); ++i)
    if (st.recent[i].first == font) {
      if (i > 0) std::swap(st.recent[i], st.recent[i - 1]);
      return st.recent[i > 0 ? i - 1 : 0].second;
    }
  const QString key = font.key();
  auto it = st.ids.find(key);
  if (it != st.ids.end()) return rememberFont(st, font, it->second);
  auto f = std::make_unique<ShaperFont>();
  f->font = font;
  f->font.setUnderline(false);
  f->font.setStrikeOut(false);
  f->raw = QRawFont::fromFont(f->font);
  f->fm = std::make_unique<QFontMetrics>(f->font);
  f->ascent = f->fm->ascent();
  f->descent = f->fm->descent();
  f->simpleAscent = f->ascent;
  f->simpleDescent = f->descent;
  if (f->raw.isValid()) {
    f->simpleAscent = std::max(f->ascent, static_cast<int>(std::lround(f->raw.ascent())));
    f->simpleDescent = std::max(f->descent, static_cast<int>(std::lround(f->raw.descent())));
  }
  const int id = static_cast<int>(st.fonts.size());
  st.fonts.push_back(std::move(f));
  st.ids.emplace(key, id);
  return rememberFont(st, font, id);
}

std::shared_ptr<const ShapedText> TextShaper::shape(int fontId, std::u16string_view text, bool rtlParagraph) {
  ShaperState &st = state();
  if (fontId < 0 || fontId >= static_cast<int>(st.fonts.size())) return std::make_shared<ShapedText>();
  std::u16string key;
  key.reserve(text.size() + 3);
  key.push_back(static_cast<char16_t>(fontId & 0xFFFF));
  key.push_back(static_cast<char16_t>((fontId >> 16) | (rtlParagraph ? 0x8000 : 0)));
  key.append(text);
  if (auto it = st.current.find(key); it != st.current.end()) return it->second;
  std::shared_ptr<const ShapedText> found;
  if (auto it = st.old.find(key); it != st.old.end()) {
    found = it->second;
  } else {
    ShaperFont &f = *st.fonts[static_cast<size_t>(fontId)];
    auto s = std::make_shared<ShapedText>();
    if (text.empty()) {
      s->ascent = f.ascent;
      s->descent = f.descent;
    } else if (rtlParagraph || !shapeSimple(f, text, *s)) {
      *s = ShapedText{};
      shapeLaidOut(f, text, rtlParagraph, *s);
    }
    buildRuns(*s);
    found = std::move(s);
  }
  if (st.currentUnits + key.size() > kGenerationUnits) {
    st.old = std::move(st.current);
    st.current = {};
    st.currentUnits = 0;
  }
  st.currentUnits += key.size();
  st.current.emplace(std::move(key), found);
  return found;
}

bool TextShaper::simpleAdvances(int fontId, std::u16string_view text, std::vector<int> &advances) {
  ShaperState &st = state();
  if (fontId < 0 || fontId >= static_cast<int>(st.fonts.size()) || text.empty()) return false;
  ShaperFont &f = *st.fonts[static_cast<size_t>(fontId)];
  advances.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (!simpleUnit(c)) return false;
    const auto &g = f.glyph(c);
    if (g.index == 0) return false;
    advances[i] = g.advance;
  }
  return true;
}

void TextShaper::simpleVerticalExtent(int fontId, int &ascent, int &descent) {
  ShaperState &st = state();
  ascent = descent = 0;
  if (fontId < 0 || fontId >= static_cast<int>(st.fonts.size())) return;
  const ShaperFont &f = *st.fonts[static_cast<size_t>(fontId)];
  ascent = f.simpleAscent;
  descent = f.simpleDescent;
}

QList<QGlyphRun> TextShaper::positioned(const ShapedText &s, const std::vector<double> &clusterLeft) {
  QList<QGlyphRun> out;
  for (const auto &g : s.glyphs) {
    if (g.index.isEmpty()) continue;
    QList<QPointF> pos = g.pos;
    for (qsizetype k = 0; k < pos.size(); ++k) {
      const size_t u = static_cast<size_t>(g.unit[static_cast<size_t>(k)]);
      if (u < clusterLeft.size()) pos[k].rx() += clusterLeft[u] - s.left[u];
    }
    QGlyphRun r;
    r.setRawFont(g.font);
    r.setGlyphIndexes(g.index);
    r.setPositions(pos);
    r.setRightToLeft(g.rtl);
    out.push_back(r);
  }
  return out;
}

} // namespace kc
