#include "core/ConstUnit.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using namespace kc;
using namespace std::string_literals;

namespace {

TEST(FormatText, ReplacesPercentSInOrderAndLeavesOtherPercents) {
  EXPECT_EQ(FormatText("User \"%s\" is connect...", {"Bob"}), "User \"Bob\" is connect...");
  EXPECT_EQ(FormatText("%s and %s", {"A", "B"}), "A and B");
  // Arguments are text, never formats of their own.
  EXPECT_EQ(FormatText("[%s]", {"%s%d%n%x"}), "[%s%d%n%x]");
  EXPECT_EQ(FormatText("100% %d %n %%s %", {"X"}), "100% %d %n %X %");
  EXPECT_EQ(FormatText("%s %s", {"only"}), "only ");
  EXPECT_EQ(FormatText("none", {"extra"}), "none");
  EXPECT_EQ(FormatText("a\0%s\xff"s, {"\0"s}), "a\0\0\xff"s);
}

TEST(TrimText, DropsControlsAndBlanks) {
  EXPECT_EQ(TrimText(" \t\r\n x y \x01"), "x y");
  EXPECT_EQ(TrimText("   "), "");
  EXPECT_EQ(TrimText("\xa0x\xa0"), "\xa0x\xa0");
}

TEST(TryStrToInt, DecimalOnlyAndHexVariant) {
  struct Case {
    const char *text;
    bool ok;
    std::int32_t value;
    bool hexOk;
    std::int32_t hexValue;
  };
  const Case cases[] = {
      {"0", true, 0, true, 0},
      {" -5", true, -5, true, -5},
      {"+5", true, 5, true, 5},
      {"5 ", false, 0, false, 0},
      {"", false, 0, false, 0},
      {"-", false, 0, false, 0},
      {"2147483647", true, INT_MAX, true, INT_MAX},
      {"-2147483648", true, INT_MIN, true, INT_MIN},
      {"2147483648", false, 0, false, 0},
      {"00000000000000000000000012", true, 12, true, 12},
      {"$1F", false, 0, true, 31},
      {"0x1f", false, 0, true, 31},
      {"$FFFFFFFF", false, 0, true, -1},
      {"$100000000", false, 0, false, 0},
      {"0x", false, 0, false, 0},
      {"1e3", false, 0, false, 0},
  };
  for (const auto &c : cases) {
    std::int32_t v = 77, h = 77;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
    EXPECT_EQ(v, c.ok ? c.value : 77) << c.text;
    EXPECT_EQ(TryStrToIntOrHex(c.text, h), c.hexOk) << c.text;
    EXPECT_EQ(h, c.hexOk ? c.hexValue : 77) << c.text;
  }
}

} // namespace
