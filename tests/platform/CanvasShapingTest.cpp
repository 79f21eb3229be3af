// Text shaped as a whole on the Qt canvas, with the pinned fonts and their
// Noto fallbacks: clusters measured and drawn as one, right-to-left and
// mixed lines in the order Qt's own text engine shows them.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

#include <string>
#include <vector>

#include "platform/QtCanvas.h"

using namespace kc;

namespace {

class CanvasShaping : public ::testing::Test {
protected:
  void SetUp() override { setScreenPixelsPerInch(96); }
  void TearDown() override { setScreenPixelsPerInch(0); }
};

QImage white(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  return img;
}

QImage drawn(std::u16string_view text, int w = 200, int h = 30) {
  QImage img = white(w, h);
  QtCanvas c(&img);
  c.setBrush({clWhite, TBrushStyle::bsClear});
  c.setFontColor(clBlack);
  c.textOutW(4, 4, text);
  return img;
}

struct Ink {
  int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
  bool colour = false; // some pixel is neither white, black nor grey
};

Ink inkOf(const QImage &img) {
  Ink k;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QRgb p = img.pixel(x, y);
      if (p == qRgb(255, 255, 255)) continue;
      k.left = std::min(k.left, x), k.right = std::max(k.right, x);
      k.top = std::min(k.top, y), k.bottom = std::max(k.bottom, y);
      if (std::abs(qRed(p) - qGreen(p)) > 40 || std::abs(qGreen(p) - qBlue(p)) > 40) k.colour = true;
    }
  return k;
}

// Every unit of a cluster has the cluster's extent: nothing fits inside it.
TEST_F(CanvasShaping, ClustersAreMeasuredWhole) {
  struct Case {
    const char *name;
    std::u16string text;
    std::vector<int> clusterEnds; // unit counts after which a cluster ends
  };
  const Case cases[] = {
      {"surrogate pair", u"a\U0001F600b", {1, 3, 4}},    {"flag", u"\U0001F1FA\U0001F1E6", {4}},
      {"skin tone", u"\U0001F44D\U0001F3FD", {4}},       {"family", u"\U0001F468\u200D\U0001F469\u200D\U0001F467", {8}},
      {"combining accent", u"cafe\u0301", {1, 2, 3, 5}}, {"thai tone mark", u"\u0E01\u0E48\u0E32", {2, 3}},
  };
  QtCanvas c;
  for (const Case &k : cases) {
    std::vector<int> ext;
    int fit = 0;
    const TSize whole = c.textExtentExW(k.text, 1 << 30, &fit, &ext);
    ASSERT_EQ(ext.size(), k.text.size()) << k.name;
    EXPECT_EQ(ext.back(), whole.cx) << k.name;
    size_t from = 0;
    for (int end : k.clusterEnds) {
      for (size_t u = from; u < size_t(end); ++u) {
        EXPECT_EQ(ext[u], ext[size_t(end) - 1]) << k.name << " unit " << u;
      }
      if (from > 0) {
        EXPECT_GT(ext[size_t(end) - 1], ext[from - 1]) << k.name << " cluster ending " << end;
      }
      // Up to just before the cluster's edge, the cluster does not fit.
      c.textExtentExW(k.text, ext[size_t(end) - 1] - 1, &fit, nullptr);
      EXPECT_EQ(fit, int(from)) << k.name << " cluster ending " << end;
      from = size_t(end);
    }
  }
}

TEST_F(CanvasShaping, PrecomposedAndDecomposedLookAlike) {
  EXPECT_EQ(drawn(u"caf\u00E9"), drawn(u"cafe\u0301"));
  QtCanvas c;
  EXPECT_EQ(c.textExtentW(u"caf\u00E9").cx, c.textExtentW(u"cafe\u0301").cx);
}

TEST_F(CanvasShaping, AFlagIsOneColouredGlyph) {
  QtCanvas c;
  const int flag = c.textExtentW(u"\U0001F1FA\U0001F1E6").cx, face = c.textExtentW(u"\U0001F600").cx;
  EXPECT_GT(face, 0);
  EXPECT_EQ(flag, face);
  const Ink k = inkOf(drawn(u"\U0001F1FA\U0001F1E6"));
  EXPECT_TRUE(k.colour);
  EXPECT_LE(k.right - k.left + 1, face + 1);
}

TEST_F(CanvasShaping, ThaiToneMarksShow) {
  const Ink base = inkOf(drawn(u"\u0E01")), marked = inkOf(drawn(u"\u0E01\u0E48"));
  EXPECT_LT(marked.top, base.top);
}

// A line is as tall as the ink of its text: marks stacked above a letter
// (Thai vowel and tone mark, a pile of accents) do not reach into the line
// above.
TEST_F(CanvasShaping, StackedMarksStayWithinTheTextsAscent) {
  for (std::u16string text :
       {std::u16string(u"\u0E1B\u0E34\u0E4A\u0E1D\u0E35\u0E49"), std::u16string(u"e\u0301\u0301\u0301\u0301\u0301"),
        std::u16string(u"a\u0323\u0323\u0323\u0323\u0323\u0323"), std::u16string(u"\u0E0D\u0E39\u0E1A\u0E38")}) {
    SCOPED_TRACE(QString::fromStdU16String(text).toStdString());
    QImage img = white(200, 160);
    QtCanvas c(&img);
    c.setBrush({clWhite, TBrushStyle::bsClear});
    c.setFontColor(clBlack);
    int ascent = 0, descent = 0;
    c.textVerticalExtentW(text, ascent, descent);
    const int baseline = 60 + c.textMetrics().tmAscent;
    c.textOutW(4, 60, text);
    const Ink k = inkOf(img);
    EXPECT_GE(k.top, baseline - ascent);
    EXPECT_LE(k.bottom, baseline + descent);
  }
}

// Mixed directions, numbers and brackets as a Qt label shows them.
TEST_F(CanvasShaping, MixedDirectionsAsQtShowsThem) {
  for (std::u16string text : {std::u16string(u"abc (\u05D0\u05D1\u05D2) 12-34"),
                              std::u16string(u"\u05E9\u05DC\u05D5\u05DD abc 123 \u05E2\u05D5\u05DC\u05DD!"),
                              std::u16string(u"\u0645\u0631\u062D\u0628\u0627 (1) world")}) {
    QImage ours = white(260, 30), theirs = white(260, 30);
    QFont font;
    {
      QtCanvas c(&ours);
      c.setBrush({clWhite, TBrushStyle::bsClear});
      c.setFontColor(clBlack);
      c.textOutW(4, 4, text);
      font = c.qfont();
    }
    {
      QPainter p(&theirs);
      // A label in a left-to-right window: the paragraph runs left to right.
      p.setLayoutDirection(Qt::LeftToRight);
      p.setFont(font);
      p.setPen(Qt::black);
      p.drawText(QPointF(4, 4 + QFontMetrics(font).ascent()),
                 QString(reinterpret_cast<const QChar *>(text.data()), qsizetype(text.size())));
    }
    const Ink a = inkOf(ours), b = inkOf(theirs);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
    int differing = 0;
    for (int y = 0; y < ours.height(); ++y)
      for (int x = 0; x < ours.width(); ++x)
        if (ours.pixel(x, y) != theirs.pixel(x, y)) ++differing;
    EXPECT_EQ(differing, 0);
  }
}

// The caret after the last character stands where the drawn text ends.
TEST_F(CanvasShaping, RightToLeftTextIsAsWideAsDrawn) {
  for (std::u16string text :
       {std::u16string(u"\u0645\u0631\u062D\u0628\u0627 \u0628\u0627\u0644\u0639\u0627\u0644\u0645"),
        std::u16string(u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD")}) {
    QtCanvas c;
    const int width = c.textExtentW(text).cx;
    const Ink k = inkOf(drawn(text, 300));
    EXPECT_NEAR(k.right + 1, 4 + width, 2);
    EXPECT_LE(k.left, 4 + 2);
    CharacterPlacement p;
    ASSERT_TRUE(c.characterPlacement(text, GCP_REORDER, p));
    EXPECT_EQ(p.width, width);
    // The first logical character stands rightmost.
    EXPECT_EQ(p.order.front(), int(text.size()) - 1);
    EXPECT_EQ(p.classes.front(), GCPCLASS_RTL);
  }
}

} // namespace
