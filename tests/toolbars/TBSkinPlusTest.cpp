// Skins: the 28 colours, the colour sets, the manager and the default skin,
// colour arithmetic, gradients and shadow amounts.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <string>

#include "platform/TbSystemSettings.h"
#include "toolbars/TBSkinPlus.h"
#include "toolbars/TBSkinShared.h"
#include "toolbars/TBarCommon.h"
#include "toolbars/TBarConsts.h"

using namespace kc;
using namespace kc::tb;

namespace {

TEST(SkinColors, IndexOutsideOneToTwentyEightIsNone) {
  TTBSkin skin;
  EXPECT_EQ(skin.Colors.ColorByIndex(0), clNone);
  EXPECT_EQ(skin.Colors.ColorByIndex(29), clNone);
  EXPECT_NE(skin.Colors.ColorByIndex(28), clNone);
}

TEST(SkinColors, AssignedColoursTakeEffectOnlyInTheCustomSet) {
  TTBSkin skin;
  const TColor before = skin.Colors.ColorByIndex(tcFace);
  skin.Colors.SetColorByIndex(tcFace, clRed);
  EXPECT_EQ(skin.Colors.ColorByIndex(tcFace), before);
  skin.SetColorSet(tbcCustom);
  skin.Colors.SetColorByIndex(tcFace, clRed);
  EXPECT_EQ(skin.Colors.ColorByIndex(1), clRed);
  EXPECT_EQ(skin.ElementColor(0), clRed);
}

TEST(SkinColors, OfficeXPSetFromTheFixedSystemColours) {
  TTBSkin skin;
  // 80 % button shadow and 20 % black.
  EXPECT_EQ(ColorToRGB(skin.Colors.ColorByIndex(tcBorder)), BlendColors(clBtnShadow, clBlack, 0.2));
  const TColor mixed = BlendColors(clBtnFace, clWindow, 0.44);
  EXPECT_EQ(skin.Colors.ColorByIndex(tcChecked), BlendColors(skin.Colors.ColorByIndex(tcSelPushed), mixed, 0.794));
}

TEST(SkinColors, ElementNumbersIgnoreBitSevenAndOthersAreWhite) {
  TTBSkin skin;
  for (int e = 0; e < 28; ++e) EXPECT_EQ(skin.ElementColor(e + 128), skin.ElementColor(e)) << e;
  EXPECT_EQ(skin.ElementColor(2), ColorToRGB(skin.Colors.ColorByIndex(tcBorder)));
  EXPECT_EQ(skin.ElementColor(28), clWhite);
  EXPECT_EQ(skin.ElementColor(100), clWhite);
}

TEST(SkinTypes, EachTypeSetsItsOptionsShadowsAndChevron) {
  TTBSkin skin;
  skin.SetSkinType(tbsWindowsXP);
  EXPECT_EQ(skin.Options() & (tboPopupOverlap | tboShadow | tboBlendedImages), tboPopupOverlap | tboShadow);
  EXPECT_EQ(skin.ShadowStyle(), sWindowsXP);
  EXPECT_EQ(skin.ColorSet(), tbcWindowsXP);
  EXPECT_EQ(ChevronSize(), 12);
  skin.SetSkinType(tbsOfficeXP);
  EXPECT_EQ(skin.Options() & (tboPopupOverlap | tboShadow | tboBlendedImages), tboShadow | tboBlendedImages);
  EXPECT_EQ(skin.ShadowStyle(), sOfficeXP);
  EXPECT_EQ(ChevronSize(), 11);
}

TEST(SkinTypes, NativeWithoutAThemeReadsBackAsWindowsXP) {
  TbSystemSettings s;
  s.themesActive = false;
  TbSystemSettingsOverride o(s);
  TTBSkin skin;
  skin.SetSkinType(tbsNativeXP);
  EXPECT_EQ(skin.SkinType(), tbsWindowsXP);
}

TEST(SkinTypes, PopupBorderWidths) {
  TTBSkin skin;
  EXPECT_EQ(skin.PopupBorderWidth(), 2); // OfficeXP
  skin.SetSkinType(tbsWindowsXP);
  EXPECT_EQ(skin.PopupBorderWidth(), 3);
  skin.SetPopupStyle(tbpsGradVert);
  EXPECT_EQ(skin.PopupBorderWidth(), 1);
  skin.SetSkinType(tbsDisabled);
  EXPECT_EQ(skin.PopupBorderWidth(), 3);
}

TEST(SkinManagerTest, TheFirstSkinBecomesTheDefaultAndTheLastRestoresTheFallback) {
  ASSERT_TRUE(SkinManager().Skins().empty());
  const TTBSkins fallback = DefaultSkin().SkinType();
  {
    TTBSkin first;
    EXPECT_TRUE(first.IsDefaultSkin());
    EXPECT_EQ(DefaultSkin().SkinType(), tbsOfficeXP);
    TTBSkin second;
    EXPECT_FALSE(second.IsDefaultSkin());
    // The default's changes go to DefaultSkin too.
    first.SetSkinType(tbsWindowsXP);
    EXPECT_EQ(DefaultSkin().SkinType(), tbsWindowsXP);
    second.SetSkinType(tbsOfficeXP);
    EXPECT_EQ(DefaultSkin().SkinType(), tbsWindowsXP);
  }
  EXPECT_EQ(DefaultSkin().SkinType(), fallback);
}

TEST(SkinManagerTest, StoredFalseRestoresTheFallback) {
  TTBSkin skin;
  ASSERT_TRUE(skin.IsDefaultSkin());
  skin.SetIsDefaultSkin(false);
  EXPECT_EQ(DefaultSkin().SkinType(), tbsDisabled);
  skin.SetIsDefaultSkin(true);
  EXPECT_EQ(DefaultSkin().SkinType(), tbsOfficeXP);
}

TEST(SkinManagerTest, DestroyingTheDefaultFlagsAnotherWithoutCopyingIt) {
  auto *first = new TTBSkin;
  TTBSkin second;
  second.SetSkinType(tbsWindowsXP);
  const TTBSkins before = DefaultSkin().SkinType();
  delete first; // sets its own type to disabled first, which the default follows
  EXPECT_TRUE(second.IsDefaultSkin());
  EXPECT_NE(DefaultSkin().SkinType(), tbsWindowsXP);
  Q_UNUSED(before);
}

TEST(SkinManagerTest, UnlistedSkinsAreRefused) {
  TTBSkin skin;
  SkinManager().RemoveSkin(&skin);
  EXPECT_THROW(
      {
        try {
          SkinManager().RemoveSkin(&skin);
        } catch (const ESkinError &e) {
          EXPECT_STREQ(e.what(), SSkinNotInManager);
          throw;
        }
      },
      ESkinError);
  EXPECT_THROW(
      {
        try {
          SkinManager().SetDefaultSkin(&skin);
        } catch (const ESkinError &e) {
          EXPECT_STREQ(e.what(), SSkinNotAdded);
          throw;
        }
      },
      ESkinError);
  SkinManager().AddSkin(&skin); // back, so its destructor can leave
}

struct BlendCase {
  const char *name;
  TColor a, b;
  double w;
  TColor expected;
};
class Blends : public ::testing::TestWithParam<BlendCase> {};
TEST_P(Blends, PerChannelRoundedHalfToEven) {
  EXPECT_EQ(BlendColors(GetParam().a, GetParam().b, GetParam().w), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Table, Blends,
    ::testing::Values(BlendCase{"half_rounds_to_even_down", RGB(1, 3, 0), RGB(2, 4, 0), 0.5, RGB(2, 4, 0)},
                      BlendCase{"weight_zero_is_a", RGB(10, 20, 30), clWhite, 0.0, RGB(10, 20, 30)},
                      BlendCase{"weight_one_is_b", RGB(10, 20, 30), clWhite, 1.0, clWhite},
                      BlendCase{"system_colours_resolved", clBtnFace, clBtnFace, 0.3, ColorToRGB(clBtnFace)},
                      BlendCase{"above_255_keeps_a", RGB(200, 0, 0), RGB(255, 0, 0), 1.5, RGB(200, 0, 0)}),
    [](const auto &i) { return std::string(i.param.name); });

TEST(ColourArithmetic, LightenAndDarken) {
  EXPECT_EQ(LightenColor(RGB(100, 0, 255), 100), clWhite);
  EXPECT_EQ(LightenColor(RGB(100, 0, 255), 50), RGB(177, 127, 255));
  EXPECT_EQ(DarkenColor(RGB(10, 100, 255), 20), RGB(0, 80, 235));
}

TEST(Gradients, BeginAndEndExactlyWithTheirColoursAnywhere) {
  QImage img(40, 30, QImage::Format_RGB32);
  img.fill(Qt::black);
  QPainter p(&img);
  GradientFillRect(p, QRect(7, 5, 20, 12), RGB(255, 0, 0), true, RGB(0, 0, 255));
  GradientFillRect(p, QRect(3, 20, 9, 5), RGB(0, 255, 0), false, RGB(10, 20, 30));
  p.end();
  EXPECT_EQ(img.pixel(7, 5), qRgb(255, 0, 0));
  EXPECT_EQ(img.pixel(26, 16), qRgb(0, 0, 255));
  EXPECT_EQ(img.pixel(3, 24), qRgb(0, 255, 0));
  EXPECT_EQ(img.pixel(11, 20), qRgb(10, 20, 30));
  EXPECT_EQ(img.pixel(6, 5), qRgb(0, 0, 0));
}

TEST(Shadows, OfficeXPAmountsForTheUsualThickness) {
  QImage strip(20, 4, QImage::Format_RGB32);
  strip.fill(qRgb(200, 200, 200));
  TShadowStrip s;
  DarkenShadowStrip(strip, s);
  for (int d = 0; d < 4; ++d) EXPECT_EQ(qRed(strip.pixel(10, d)), 200 - (60 - 15 * d)) << d;
}

TEST(Shadows, AnyThicknessOnlyDarkensAndNeverWraps) {
  for (const TShadowStyle style : {sOfficeXP, sWindowsXP})
    for (const int t : {1, 4, 9, 40})
      for (const bool vertical : {false, true}) {
        QImage strip(vertical ? t : 60, vertical ? 60 : t, QImage::Format_RGB32);
        strip.fill(qRgb(120, 120, 120));
        TShadowStrip s;
        s.Vertical = vertical;
        s.StartCorner = s.EndCorner = true;
        s.Style = style;
        DarkenShadowStrip(strip, s);
        for (int y = 0; y < strip.height(); ++y)
          for (int x = 0; x < strip.width(); ++x) {
            const int r = qRed(strip.pixel(x, y));
            ASSERT_LE(r, 120) << t << " " << x << "," << y;
            if (style == sWindowsXP) {
              ASSERT_GE(r, 30) << t << " " << x << "," << y;
            }
          }
        if (style == sOfficeXP && t == 9 && !vertical) {
          // The start corner's far pixel has a negative amount: left as it
          // was, not darkened by a wrapped-round 191.
          EXPECT_EQ(qRed(strip.pixel(0, t - 1)), 120);
        }
      }
}

TEST(SharedServices, DivRoundUp) {
  EXPECT_EQ(DivRoundUp(7, 2), 4);
  EXPECT_EQ(DivRoundUp(-7, 2), -4);
  EXPECT_EQ(DivRoundUp(8, 2), 4);
  EXPECT_EQ(DivRoundUp(-8, 2), -4);
}

TEST(SharedServices, AcceleratorsAndPrefixes) {
  EXPECT_EQ(FindAccelChar(QStringLiteral("&File")), QChar(u'F'));
  EXPECT_EQ(FindAccelChar(QStringLiteral("Save && &Quit")), QChar(u'Q'));
  EXPECT_TRUE(FindAccelChar(QStringLiteral("R&&D")).isNull());
  EXPECT_EQ(FindAccelChar(QStringLiteral("&a&b")), QChar(u'b'));
  EXPECT_EQ(StripAccelChars(QStringLiteral("Save && &Quit")), QStringLiteral("Save & Quit"));
  EXPECT_EQ(AccelCharPos(QStringLiteral("Save && &Quit")), 7);
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(12);
  TBFontMetrics m(f);
  EXPECT_EQ(m.TextWidth(QStringLiteral("&Open"), true), m.TextWidth(QStringLiteral("Open"), false));
  EXPECT_EQ(m.TextWidth(QStringLiteral("A&&B"), true), m.TextWidth(QStringLiteral("A&B"), false));
}

TEST(SharedServices, SettingsHaveFixedDefaultsTestsCanReplace) {
  EXPECT_EQ(tbSystemSettings().menuShowDelay, 400);
  {
    TbSystemSettings s;
    s.menuShowDelay = 0;
    TbSystemSettingsOverride o(s);
    EXPECT_EQ(tbSystemSettings().menuShowDelay, 0);
  }
  EXPECT_EQ(tbSystemSettings().menuShowDelay, 400);
}

} // namespace

namespace {

// The same strip three ways: copied at 100 %, copied at 200 % (each
// logical pixel a 2 x 2 block with the same value), and drawn translucent
// over white (what OfficeXP's darkening gives on white, within rounding).
TEST(Shadows, EveryScaleAndTheTranslucentStripMatchTheCopiedOne) {
  for (const TShadowStyle style : {sOfficeXP, sWindowsXP})
    for (const bool vertical : {false, true}) {
      SCOPED_TRACE(std::string(style == sOfficeXP ? "OfficeXP" : "WindowsXP") +
                   (vertical ? " vertical" : " horizontal"));
      TShadowStrip s;
      s.Vertical = vertical;
      s.StartCorner = s.EndCorner = true;
      s.ExclStart = 9;
      s.ExclEnd = 12;
      s.Style = style;
      const QSize size = vertical ? QSize(4, 30) : QSize(30, 4);
      QImage plain(size, QImage::Format_RGB32);
      plain.fill(qRgb(255, 255, 255));
      DarkenShadowStrip(plain, s);
      QImage twice(size * 2, QImage::Format_RGB32);
      twice.setDevicePixelRatio(2);
      twice.fill(qRgb(255, 255, 255));
      DarkenShadowStrip(twice, s);
      ASSERT_EQ(twice.size(), size * 2);
      QImage over(size, QImage::Format_RGB32);
      over.fill(qRgb(255, 255, 255));
      QPainter(&over).drawImage(0, 0, TranslucentShadowStrip(size, s));
      for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
          const QRgb want = plain.pixel(x, y);
          for (const QPoint d : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
            ASSERT_EQ(twice.pixel(2 * x + d.x(), 2 * y + d.y()), want) << x << "," << y;
          ASSERT_NEAR(qRed(over.pixel(x, y)), qRed(want), 1) << x << "," << y;
          ASSERT_NEAR(qBlue(over.pixel(x, y)), qBlue(want), 1) << x << "," << y;
        }
    }
}

TEST(ImageBlending, BlendedAndShadowedImagesTouchOnlyTheImagesPixels) {
  QImage bg(4, 1, QImage::Format_RGB32);
  bg.fill(qRgb(200, 100, 0));
  QImage img(2, 1, QImage::Format_ARGB32);
  img.setPixel(0, 0, qRgba(0, 0, 255, 255));
  img.setPixel(1, 0, qRgba(0, 0, 0, 0)); // transparent: left alone
  QImage blended = bg;
  DrawBlendedImage(blended, QPoint(1, 0), img, 128);
  EXPECT_EQ(blended.pixel(0, 0), bg.pixel(0, 0));
  EXPECT_EQ(blended.pixel(1, 0), qRgb((0 * 128 + 200 * 127) / 256, (0 * 128 + 100 * 127) / 256, (255 * 128) / 256));
  EXPECT_EQ(blended.pixel(2, 0), bg.pixel(2, 0));
  QImage shadowed = bg;
  DrawShadowedImage(shadowed, QPoint(1, 0), img, true);
  // Blue 255: L = 29 * 255 / 256 = 28, F = 28 / 8 + 223 = 226.
  EXPECT_EQ(shadowed.pixel(1, 0), qRgb(200 * 226 / 256, 100 * 226 / 256, 0));
}

} // namespace

namespace {

struct CountingWindow : TTBSkinClient {
  int refreshed = 0;
  TTBBaseSkin *skin = nullptr;
  void SkinChanged() override {
    ++refreshed;
    if (skin) skin->RemoveWindow(this); // leaving during the walk is safe
  }
};

TEST(SkinWindows, ChangesRefreshTheListedWindowsOnce) {
  TTBSkin skin;
  CountingWindow a, b;
  skin.AddWindow(&a);
  skin.AddWindow(&a);
  skin.AddWindow(&b);
  skin.SetSkinType(tbsWindowsXP);
  EXPECT_EQ(a.refreshed, 1);
  EXPECT_EQ(b.refreshed, 1);
  skin.SetGradient(tbgLeftRight); // stores and propagates only
  EXPECT_EQ(a.refreshed, 1);
  a.skin = &skin;
  skin.SetOptions(0);
  EXPECT_EQ(a.refreshed, 2);
  EXPECT_FALSE(skin.RemoveWindow(&a));
  EXPECT_TRUE(skin.RemoveWindow(&b));
}

} // namespace
