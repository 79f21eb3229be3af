#include "widgets/KcTransparentButton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include "widgets/KcDraw.h"

namespace kc {
namespace {

// NumGlyphs images side by side, each W wide, filled with its colour on a
// magenta key whose bottom-left pixel names it.
QImage strip(std::initializer_list<QRgb> colours, int w = 8) {
  QImage img(w * static_cast<int>(colours.size()), w, QImage::Format_RGB32);
  img.fill(qRgb(255, 0, 255));
  int i = 0;
  for (QRgb c : colours) {
    for (int y = 1; y < w - 1; ++y)
      for (int x = 1; x < w - 1; ++x) img.setPixel(i * w + x, y, c);
    ++i;
  }
  return img;
}

void enter(QWidget *w) {
  QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QApplication::sendEvent(w, &e);
}
void leave(QWidget *w) {
  QEvent e(QEvent::Leave);
  QApplication::sendEvent(w, &e);
}
void mouse(QWidget *w, QEvent::Type t, QPoint p) {
  QMouseEvent e(t, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton,
                t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

TEST(KcTransparentButton, GreyUntilTheMouseComesOver) {
  TKcTransparentButton b;
  b.SetGlyph(strip({qRgb(200, 0, 0)}));
  EXPECT_EQ(b.ImageShown(), TKcButtonImage::Grey);
  const int grey = ButtonGrey(200, 0, 0);
  EXPECT_EQ(b.Image(TKcButtonImage::Grey).pixel(3, 3), qRgb(grey, grey, grey));
  EXPECT_EQ(qAlpha(b.Image(TKcButtonImage::Grey).pixel(0, 0)), 0) << "the key colour stays transparent";
  enter(&b);
  EXPECT_EQ(b.ImageShown(), TKcButtonImage::Up);
  leave(&b);
  EXPECT_EQ(b.ImageShown(), TKcButtonImage::Grey);
  b.SetAutoGray(false);
  EXPECT_EQ(b.ImageShown(), TKcButtonImage::Up);
}

struct ImageCase {
  const char *name;
  int numGlyphs;
  bool enabled, down;
  TKcButtonImage expected;
};
class Images : public ::testing::TestWithParam<ImageCase> {};
TEST_P(Images, FollowStateAndGlyphCount) {
  const ImageCase &c = GetParam();
  TKcTransparentButton b;
  QImage glyph = strip({qRgb(0, 0, 200)});
  if (c.numGlyphs > 1)
    glyph = strip({qRgb(1, 1, 1), qRgb(2, 2, 2), qRgb(3, 3, 3), qRgb(4, 4, 4)}).copy(0, 0, 8 * c.numGlyphs, 8);
  b.SetNumGlyphs(c.numGlyphs);
  b.SetGlyph(glyph);
  b.SetAutoGray(false);
  b.setEnabled(c.enabled);
  b.SetDown(c.down);
  EXPECT_EQ(b.ImageShown(), c.expected);
}
const ImageCase kImages[] = {
    {"OneGlyphDisabledIsMade", 1, false, false, TKcButtonImage::MadeDisabled},
    {"TwoGlyphsDisabledUseTheSecond", 2, false, false, TKcButtonImage::Disabled},
    {"ThreeGlyphsDownUseTheThird", 3, true, true, TKcButtonImage::Down},
    {"TwoGlyphsDownStayUp", 2, true, true, TKcButtonImage::Up},
    {"FourGlyphsUp", 4, true, false, TKcButtonImage::Up},
};
INSTANTIATE_TEST_SUITE_P(Table, Images, ::testing::ValuesIn(kImages),
                         [](const auto &i) { return std::string(i.param.name); });

TEST(KcTransparentButton, ClickOnlyWhenReleasedInside) {
  TKcTransparentButton b;
  int clicks = 0;
  b.OnClick = [&](TKcTransparentButton *) { ++clicks; };
  mouse(&b, QEvent::MouseButtonPress, QPoint(5, 5));
  EXPECT_TRUE(b.Pressed());
  mouse(&b, QEvent::MouseMove, QPoint(100, 5));
  mouse(&b, QEvent::MouseButtonRelease, QPoint(100, 5));
  EXPECT_EQ(clicks, 0);
  mouse(&b, QEvent::MouseButtonPress, QPoint(5, 5));
  mouse(&b, QEvent::MouseButtonRelease, QPoint(6, 6));
  EXPECT_EQ(clicks, 1);
  b.setEnabled(false);
  mouse(&b, QEvent::MouseButtonPress, QPoint(5, 5));
  mouse(&b, QEvent::MouseButtonRelease, QPoint(6, 6));
  EXPECT_EQ(clicks, 1);
}

TEST(KcTransparentButton, TextGoesToTheNamedSideAndTheGlyphOpposite) {
  TKcTransparentButton b;
  b.resize(120, 40);
  b.SetGlyph(strip({qRgb(0, 0, 200)}, 16));
  b.SetCaption("Choice of the picture");
  b.SetTextAlign(TKcTextAlign::ttaRight);
  EXPECT_EQ(b.TextRect().right(), 120 - 2 - 1);
  EXPECT_EQ(b.GlyphRect().left(), 2);
  EXPECT_EQ(b.GlyphRect().top(), (40 - 4 - 16) / 2 + 2);
  b.SetTextAlign(TKcTextAlign::ttaTopLeft);
  EXPECT_EQ(b.TextRect().topLeft(), QPoint(2, 2));
  EXPECT_EQ(b.GlyphRect().bottomRight(), QPoint(120 - 3, 40 - 3));
}

TEST(KcTransparentButton, FlatButtonShowsItsFrameOnlyUnderTheMouse) {
  TKcTransparentButton b;
  b.resize(30, 30);
  b.SetTransparent(false);
  b.SetColor(clWhite);
  EXPECT_EQ(b.grab().toImage().pixel(29, 10), qRgb(255, 255, 255));
  enter(&b);
  EXPECT_EQ(b.grab().toImage().pixel(29, 10), QColorOf(clBtnShadow).rgb());
}

} // namespace
} // namespace kc
