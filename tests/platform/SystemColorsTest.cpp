// System colours from the desktop's palette: light and dark palettes map
// onto the indices the program draws with, a palette change while the
// program follows the desktop is taken at once, and without following (or
// after it stops) the classic scheme holds.
#include "platform/SystemColors.h"

#include <QApplication>
#include <QPalette>
#include <gtest/gtest.h>

#include "platform/Canvas.h"

namespace kc {
namespace {

TColor rgb(const QColor &c) { return RGB(c.red(), c.green(), c.blue()); }

QPalette Dark() {
  QPalette p(QColor(53, 53, 53), QColor(45, 45, 45)); // button, window
  p.setColor(QPalette::Base, QColor(30, 30, 30));
  p.setColor(QPalette::Text, QColor(230, 230, 230));
  p.setColor(QPalette::WindowText, QColor(220, 220, 220));
  p.setColor(QPalette::ButtonText, QColor(210, 210, 210));
  p.setColor(QPalette::Highlight, QColor(42, 130, 218));
  p.setColor(QPalette::HighlightedText, QColor(0, 0, 0));
  p.setColor(QPalette::ToolTipBase, QColor(60, 60, 40));
  p.setColor(QPalette::ToolTipText, QColor(250, 250, 250));
  return p;
}

QPalette Light() {
  QPalette p(QColor(239, 239, 239), QColor(239, 239, 239));
  p.setColor(QPalette::Base, QColor(255, 255, 255));
  p.setColor(QPalette::Text, QColor(0, 0, 0));
  p.setColor(QPalette::Highlight, QColor(48, 140, 198));
  return p;
}

// Every test leaves the classic scheme and the application's palette as
// they were.
struct SystemColors : ::testing::Test {
  QPalette saved = QGuiApplication::palette();
  void TearDown() override {
    StopFollowingDesktopColors();
    QApplication::setPalette(saved);
    for (int i = 0; i < kSysColorCount; ++i) EXPECT_EQ(GetSysColor(i), ClassicSysColor(i)) << i;
  }
};

TEST_F(SystemColors, PalettesMapOntoTheColoursDrawnWith) {
  const struct {
    const char *name;
    QPalette palette;
  } rows[] = {{"light", Light()}, {"dark", Dark()}};
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    ApplyPaletteSysColors(row.palette);
    const QPalette &p = row.palette;
    EXPECT_EQ(ColorToRGB(clWindow), rgb(p.color(QPalette::Base)));
    EXPECT_EQ(ColorToRGB(clWindowText), rgb(p.color(QPalette::Text)));
    EXPECT_EQ(ColorToRGB(clBtnFace), rgb(p.color(QPalette::Button)));
    EXPECT_EQ(ColorToRGB(clBtnText), rgb(p.color(QPalette::ButtonText)));
    EXPECT_EQ(ColorToRGB(clHighlight), rgb(p.color(QPalette::Highlight)));
    EXPECT_EQ(ColorToRGB(clHighlightText), rgb(p.color(QPalette::HighlightedText)));
    EXPECT_EQ(ColorToRGB(clMenu), rgb(p.color(QPalette::Window)));
    EXPECT_EQ(ColorToRGB(clInfoBk), rgb(p.color(QPalette::ToolTipBase)));
    EXPECT_EQ(ColorToRGB(clInfoText), rgb(p.color(QPalette::ToolTipText)));
    EXPECT_EQ(ColorToRGB(clBtnShadow), rgb(p.color(QPalette::Dark)));
    EXPECT_EQ(ColorToRGB(clBtnHighlight), rgb(p.color(QPalette::Light)));
    for (int i = 0; i < kSysColorCount; ++i) EXPECT_FALSE(isSysColor(GetSysColor(i))) << i;
  }
}

TEST_F(SystemColors, FollowingTakesEachPaletteChange) {
  QApplication::setPalette(Light());
  EXPECT_EQ(ColorToRGB(clWindow), ClassicSysColor(5)) << "nothing changes before the program follows";
  FollowDesktopColors();
  EXPECT_TRUE(FollowingDesktopColors());
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(239, 239, 239));
  QApplication::setPalette(Dark());
  EXPECT_EQ(ColorToRGB(clWindow), RGB(30, 30, 30));
  EXPECT_EQ(ColorToRGB(clWindowText), RGB(230, 230, 230));
  QApplication::setPalette(Light());
  EXPECT_EQ(ColorToRGB(clWindow), RGB(255, 255, 255));
  FollowDesktopColors(); // twice is once
  StopFollowingDesktopColors();
  EXPECT_FALSE(FollowingDesktopColors());
  QApplication::setPalette(Dark());
  EXPECT_EQ(ColorToRGB(clWindow), ClassicSysColor(5)) << "a change after stopping is not taken";
}

TEST(SysColorTable, OnlyPlainColoursAndKnownIndicesAreSet) {
  SetSysColor(5, clBtnFace);
  SetSysColor(-1, clRed);
  SetSysColor(kSysColorCount, clRed);
  EXPECT_EQ(GetSysColor(5), ClassicSysColor(5));
  EXPECT_EQ(GetSysColor(kSysColorCount), clBlack);
  SetSysColor(5, clRed);
  EXPECT_EQ(ColorToRGB(clWindow), clRed);
  ResetSysColors();
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
}

} // namespace
} // namespace kc
