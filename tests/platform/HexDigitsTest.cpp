#include "platform/AsciiCase.h"
#include "platform/HexDigits.h"

#include <gtest/gtest.h>

namespace {

TEST(HexDigits, EveryDigitInEitherCaseAndNothingBesideTheRanges) {
  struct Case {
    const char *name;
    int c, value;
  } cases[] = {
      {"zero", '0', 0},           {"nine", '9', 9},     {"lower a", 'a', 10},  {"lower f", 'f', 15},
      {"upper A", 'A', 10},       {"upper F", 'F', 15}, {"before 0", '/', -1}, {"after 9", ':', -1},
      {"before A", '@', -1},      {"after F", 'G', -1}, {"before a", '`', -1}, {"after f", 'g', -1},
      {"x of 0x", 'x', -1},       {"space", ' ', -1},   {"nul", 0, -1},        {"byte E6", 0xE6, -1},
      {"negative char", -26, -1},
  };
  for (const Case &c : cases) EXPECT_EQ(kc::hexDigitValue(c.c), c.value) << c.name;
}

TEST(AsciiCase, UpperFoldsOnlyAsciiLetters) {
  EXPECT_EQ(kc::asciiUppered("azAZ09_`{@[\xE4\xF6\xC4"), "AZAZ09_`{@[\xE4\xF6\xC4");
  EXPECT_EQ(kc::asciiLowered("azAZ09_`{@[\xE4\xF6\xC4"), "azaz09_`{@[\xE4\xF6\xC4");
}

} // namespace
