#include "platform/Guid.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(GuidTest, TextHasTheRegistryForm) {
  kc::Guid g;
  g.data1 = 0x0123ABCD;
  g.data2 = 0x00EF;
  g.data3 = 0x4A5B;
  const uint8_t d4[8] = {0x8C, 0x0D, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB};
  std::copy(d4, d4 + 8, g.data4);
  EXPECT_EQ(kc::guidText(g), "{0123ABCD-00EF-4A5B-8C0D-0123456789AB}");
}

TEST(GuidTest, NewGuidsAreVersion4UpperCaseAndDistinct) {
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    std::string s = kc::newGuidString();
    ASSERT_EQ(s.size(), 38u) << s;
    EXPECT_EQ(s.front(), '{');
    EXPECT_EQ(s.back(), '}');
    for (size_t p : {9u, 14u, 19u, 24u}) EXPECT_EQ(s[p], '-') << s;
    for (size_t p = 1; p < 37; ++p) {
      if (p == 9 || p == 14 || p == 19 || p == 24) continue;
      EXPECT_TRUE((s[p] >= '0' && s[p] <= '9') || (s[p] >= 'A' && s[p] <= 'F')) << s;
    }
    EXPECT_EQ(s[15], '4') << s;
    EXPECT_NE(std::string("89AB").find(s[20]), std::string::npos) << s;
    seen.insert(s);
  }
  EXPECT_EQ(seen.size(), 200u);
}

} // namespace
