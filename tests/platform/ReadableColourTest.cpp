// Text colours moved just far enough to be read on their background.
#include <gtest/gtest.h>

#include "platform/ReadableColour.h"

using namespace kc;

namespace {

TEST(ReadableColour, ContrastOfKnownPairs) {
  EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(Qt::white, Qt::white), 1.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(QColor(0x80, 0x80, 0x80), Qt::white), 3.95, 0.01);
}

struct Case {
  const char *name;
  QColor fg, back;
  bool unchanged;
};

class Readable : public ::testing::TestWithParam<Case> {};

TEST_P(Readable, ReachesTheRatioAndLeavesReadableColoursAlone) {
  const Case &c = GetParam();
  const QColor out = ReadableOn(c.fg, c.back);
  EXPECT_GE(ContrastRatio(out, c.back), 4.5);
  if (c.unchanged) EXPECT_EQ(out, c.fg);
  else EXPECT_NE(out, c.fg);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Readable,
    ::testing::Values(Case{"black_on_white_stays", Qt::black, Qt::white, true},
                      Case{"black_on_selection_blue_turns_light", Qt::black, QColor(0x31, 0x6A, 0xC5), false},
                      Case{"grey_on_the_same_grey", QColor(0x80, 0x80, 0x80), QColor(0x80, 0x80, 0x80), false},
                      Case{"grey_cross_on_light_hover", QColor(0xA0, 0xA0, 0xA0), QColor(0xF0, 0xF0, 0xF0), false},
                      Case{"white_on_dark_stays", Qt::white, QColor(0x20, 0x20, 0x40), true}),
    [](const auto &i) { return std::string(i.param.name); });

} // namespace
