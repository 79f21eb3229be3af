// Lines of text in several scripts, painted with the pinned fonts: glyphs
// from fallback fonts (taller than the style's font) stay inside their line.
#include <gtest/gtest.h>

#include <QImage>

#include <string>

#include "platform/QtCanvas.h"
#include "richtext/document/CRVFData.h"
#include "richtext/document/RVUni.h"

using namespace kc;

namespace {

struct Painted {
  QImage img;
  std::vector<int> tops; // of each paragraph's line: the top of its highest piece
};

Painted paint(const std::vector<std::u16string> &paras) {
  setScreenPixelsPerInch(96);
  TRVStyle style;
  style.TextStyles().Items(0)->Unicode = true;
  QtCanvas measure;
  TRVFixedHost host(&measure, 400, 1000);
  host.Style = &style;
  TRichVistaRVData doc(&host);
  for (const auto &p : paras) {
    auto item = RichVistaTextItemClass(&doc);
    item->StyleNo = 0;
    item->ParaNo = 0;
    item->ItemOptions.Include(rvioUnicode);
    doc.AddItem(WideStringToRaw(p), std::move(item));
  }
  doc.ReformatAllForced(true);
  Painted out{QImage(400, doc.DocumentHeight, QImage::Format_RGB32), {}};
  out.img.fill(Qt::white);
  {
    QtCanvas canvas(&out.img);
    doc.PaintBackground(TRect{0, 0, 400, doc.DocumentHeight}, canvas);
    doc.PaintVisibleLines(TRect{0, 0, 400, doc.DocumentHeight}, canvas);
  }
  out.tops.assign(paras.size(), 1 << 30);
  for (int i = 0; i < doc.DrawLines.Count(); ++i) {
    const TRVDrawLineInfo *d = doc.DrawLines.Items(i);
    int &top = out.tops[size_t(d->ItemNo)];
    top = std::min(top, d->Top);
  }
  setScreenPixelsPerInch(0);
  return out;
}

// The rows with ink, from the first to the last.
std::pair<int, int> inkRows(const QImage &img) {
  int top = -1, bottom = -1;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.pixel(x, y) != qRgb(255, 255, 255)) {
        if (top < 0) top = y;
        bottom = y;
        break;
      }
  return {top, bottom};
}

TEST(ScriptLines, FallbackGlyphsDoNotReachIntoTheNextLine) {
  struct Case {
    const char *name;
    std::u16string text;
  };
  // Marks above and below that reach beyond the style font's cell.
  const Case cases[] = {
      {"latin devanagari arabic", u"Hello \u0915\u094D\u0930\u0943 \u0628\u0650\u0651 \u0644\u0650\u0651\u0644\u0652"},
      {"thai", u"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35 \u0E0E\u0E38"},
      {"tibetan stack", u"ok \u0F67\u0FA5\u0FB1\u0FAD\u0F71"},
  };
  for (const Case &k : cases) {
    // One line alone shows how far its ink reaches from its top.
    const Painted one = paint({k.text});
    ASSERT_EQ(one.tops.size(), 1u) << k.name;
    const auto [inkTop, inkBottom] = inkRows(one.img);
    ASSERT_GE(inkTop, 0) << k.name;
    const int above = one.tops[0] - inkTop, below = inkBottom - one.tops[0];
    // Two such lines: the first one's ink ends above the second one's.
    const Painted two = paint({k.text, k.text});
    ASSERT_EQ(two.tops.size(), 2u) << k.name;
    EXPECT_LT(two.tops[0] + below, two.tops[1] - above) << k.name;
  }
}

} // namespace
