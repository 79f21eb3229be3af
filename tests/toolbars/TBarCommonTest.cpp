// The drag-outline painters and the menu font taken from the desktop.
#include "toolbars/TBarCommon.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "platform/TbSystemSettings.h"

using namespace kc;
using namespace kc::tb;

namespace {

constexpr QRgb kGround = 0xFF336699u;
constexpr QRgb kInverted = 0xFFCC9966u;

QImage Ground() {
  QImage img(40, 30, QImage::Format_RGB32);
  img.fill(kGround);
  return img;
}

bool InFrame(const QRect &R, QSize S, int X, int Y) {
  return R.contains(X, Y) && !R.adjusted(S.width(), S.height(), -S.width(), -S.height()).contains(X, Y);
}

} // namespace

struct OutlineCase {
  const char *name;
  QRect rect;
  QSize size;
};

class DragOutline : public ::testing::TestWithParam<OutlineCase> {};

TEST_P(DragOutline, InvertsExactlyTheFrameAndASecondDrawErasesIt) {
  const OutlineCase &c = GetParam();
  QImage img = Ground();
  const QBrush white(Qt::white);
  {
    QPainter p(&img);
    DrawInvertRect(p, &c.rect, nullptr, c.size, QSize(), white, white);
  }
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      ASSERT_EQ(img.pixel(x, y), InFrame(c.rect, c.size, x, y) ? kInverted : kGround) << x << "," << y;
  {
    QPainter p(&img);
    DrawInvertRect(p, nullptr, &c.rect, QSize(), c.size, white, white);
  }
  EXPECT_EQ(img, Ground());
}

INSTANTIATE_TEST_SUITE_P(Table, DragOutline,
                         ::testing::Values(OutlineCase{"thin", QRect(5, 4, 20, 15), QSize(1, 1)},
                                           OutlineCase{"wide_sides", QRect(2, 2, 30, 20), QSize(4, 2)},
                                           OutlineCase{"frame_fills_the_rect", QRect(10, 10, 6, 6), QSize(3, 3)}),
                         [](const auto &i) { return std::string(i.param.name); });

TEST(DragOutlineMove, MovingEqualsErasingTheOldAndDrawingTheNew) {
  const QRect oldR(3, 3, 20, 14), newR(8, 6, 25, 18);
  const QSize s(3, 3);
  struct Brushes {
    const char *name;
    QBrush oldB, newB;
  } rows[] = {{"same_brush", HalftoneBrush(), HalftoneBrush()},
              {"different_brushes", QBrush(Qt::white), HalftoneBrush()}};
  for (const Brushes &b : rows) {
    SCOPED_TRACE(b.name);
    QImage start = Ground();
    {
      QPainter p(&start);
      DrawInvertRect(p, &oldR, nullptr, s, QSize(), b.oldB, b.oldB);
    }
    QImage moved = start;
    {
      QPainter p(&moved);
      DrawInvertRect(p, &newR, &oldR, s, s, b.newB, b.oldB);
    }
    QImage stepwise = start;
    {
      QPainter p(&stepwise);
      DrawInvertRect(p, nullptr, &oldR, QSize(), s, b.oldB, b.oldB);
      DrawInvertRect(p, &newR, nullptr, s, QSize(), b.newB, b.newB);
    }
    EXPECT_EQ(moved, stepwise);
    QImage fresh = Ground();
    {
      QPainter p(&fresh);
      DrawInvertRect(p, &newR, nullptr, s, QSize(), b.newB, b.newB);
    }
    EXPECT_EQ(moved, fresh);
  }
}

TEST(DragOutlineHalftone, InvertsEveryOtherPixelInAlternatingRows) {
  QImage img = Ground();
  const QRect r(0, 0, 40, 30);
  {
    QPainter p(&img);
    DrawHalftoneInvertRect(p, &r, nullptr, QSize(40, 30), QSize());
  }
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(img.pixel(x, y), (x + y) % 2 == 1 ? kInverted : kGround) << x << "," << y;
}

TEST(MenuFontFromDesktop, FollowsTheSettingsUnlessTheProgramSetsOne) {
  ResetMenuFont();
  TbSystemSettings s;
  s.menuFontFamily = QStringLiteral("DejaVu Serif");
  s.menuFontPixelSize = 17;
  s.menuFontBold = true;
  {
    TbSystemSettingsOverride o(s);
    EXPECT_EQ(MenuFont().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(MenuFont().pixelSize(), 17);
    EXPECT_TRUE(MenuFont().bold());
    QFont own(QStringLiteral("DejaVu Sans Mono"));
    own.setPixelSize(9);
    SetMenuFont(own);
    EXPECT_EQ(MenuFont().pixelSize(), 9);
    ResetMenuFont();
    EXPECT_EQ(MenuFont().pixelSize(), 17);
  }
  EXPECT_EQ(MenuFont().pixelSize(), TbSystemSettings{}.menuFontPixelSize);
  EXPECT_EQ(MenuFont().family(), TbSystemSettings{}.menuFontFamily);
}

namespace {

// A program that takes the desktop's settings at its start draws menus in
// the desktop's font; until then, and again after, the fixed one.
TEST(MenuFontFromDesktop, TheProgramTakesTheDesktopsFontAtItsStart) {
  ResetMenuFont();
  // As the desktop's theme gives it: the font of menus.
  const QFont saved = QApplication::font("QMenu");
  QFont desktop(QStringLiteral("DejaVu Serif"));
  desktop.setPixelSize(15);
  QApplication::setFont(desktop, "QMenu");
  EXPECT_EQ(MenuFont().family(), TbSystemSettings{}.menuFontFamily); // not yet
  tbUseDesktopSettings();
  EXPECT_EQ(MenuFont().family(), QStringLiteral("DejaVu Serif"));
  EXPECT_EQ(MenuFont().pixelSize(), 15);
  {
    TbSystemSettingsOverride fixed{TbSystemSettings{}}; // a test's own values win
    EXPECT_EQ(MenuFont().pixelSize(), TbSystemSettings{}.menuFontPixelSize);
  }
  tbUseFixedSettings();
  QApplication::setFont(saved, "QMenu");
  EXPECT_EQ(MenuFont().pixelSize(), TbSystemSettings{}.menuFontPixelSize);
}

} // namespace
