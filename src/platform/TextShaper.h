#pragma once
// A piece of text shaped once, as a whole, in one font with its fallbacks:
// its clusters (what the caret and the fitting never split), their widths
// and visual places, the ascent and descent of the fonts really used, and
// the glyphs that draw it. Shaped pieces are kept in a cache of the thread,
// so measuring and drawing the same piece again does not shape it again.
#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QRawFont>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace kc {

struct ShapedText {
  // Text whose units are each a cluster of one glyph, left to right, in a
  // script without contextual forms: whole-pixel advances, drawn at those
  // whole pixels, so the width of a text is the sum of its parts'. Else
  // the advances are the shaper's fractions and extents round their sums.
  bool simple = true;
  std::vector<float> advance;             // per unit: its cluster's width on the cluster's first unit, else 0
  std::vector<float> left;                // per unit: the visual left edge of its cluster
  std::vector<std::uint8_t> rtl;          // per unit: its cluster runs right to left
  std::vector<std::uint8_t> clusterStart; // per unit: a cluster starts here
  double width = 0;
  int ascent = 0;
  int descent = 0;
  // The glyphs of one font, with the unit whose cluster each belongs to;
  // positions from the text's left edge, on its baseline.
  struct Glyphs {
    QRawFont font;
    QList<quint32> index;
    QList<QPointF> pos;
    std::vector<int> unit;
    bool rtl = false;
  };
  std::vector<Glyphs> glyphs;
  QList<QGlyphRun> runs; // the glyphs at their shaped places, ready to draw
};

class TextShaper {
public:
  // The shaper's number for a font (the same font gets the same number).
  static int fontId(const QFont &font);
  // The text shaped in the font numbered id, right-to-left paragraph or not.
  static std::shared_ptr<const ShapedText> shape(int fontId, std::u16string_view text, bool rtlParagraph);
  // Measuring without shaping: when every unit of text is a simple
  // character the font itself has (see ShapedText::simple), the whole-pixel
  // advance of each unit, as shape() would give, and true; else false.
  // The formatter measures mostly such text, and needs no glyphs of it.
  static bool simpleAdvances(int fontId, std::u16string_view text, std::vector<int> &advances);
  // The ascent and descent shape() gives simple text of the font.
  static void simpleVerticalExtent(int fontId, int &ascent, int &descent);
  // The glyphs moved so that each cluster's left edge is clusterLeft of its
  // units (from the text's left edge).
  static QList<QGlyphRun> positioned(const ShapedText &s, const std::vector<double> &clusterLeft);
};

} // namespace kc
