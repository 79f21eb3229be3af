// Grapheme-cluster boundaries for the line breaker: the whole-text list on
// named texts, and the two searches around one place agreeing with it at
// every place of a long mixed text (they read only a window of it).
#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <string>
#include <vector>

#include "platform/WrapClusters.h"

using namespace kc;

namespace {

std::u16string W(const char *Utf8) {
  const QString q = QString::fromUtf8(Utf8);
  return std::u16string(reinterpret_cast<const char16_t *>(q.utf16()), static_cast<size_t>(q.size()));
}

struct BoundaryCase {
  const char *name;
  const char *text;
  std::vector<int> bounds;
};

const BoundaryCase kCases[] = {
    {"Empty", "", {0}},
    {"PlainLatin", "ab c", {0, 1, 2, 3, 4}},
    {"CarriageReturnLineFeedIsOne", "a\r\nb", {0, 1, 3, 4}},
    {"CombiningAccentStaysWithItsLetter", "e\xcc\x81x", {0, 2, 3}},
    {"SurrogatePair", "a😀b", {0, 1, 3, 4}},
    {"TwoFlags", "🇺🇦🇩🇪", {0, 4, 8}},
    {"SkinTone", "👍🏽.", {0, 4, 5}},
    {"FamilyIsOneCluster", "👨‍👩‍👧x", {0, 8, 9}},
    {"HangulJamoMakeOneSyllable", "\xe1\x84\x80\xe1\x85\xa1\xe1\x86\xa8\xe1\x84\x80", {0, 3, 4}},
    {"ThaiToneMarkAndVowel", "น้ำก", {0, 3, 4}},
};

class Boundaries : public ::testing::TestWithParam<BoundaryCase> {};

TEST_P(Boundaries, AreTheDesktopsClusterEdges) {
  EXPECT_EQ(WrapClusterBoundaries(W(GetParam().text)), GetParam().bounds);
}

INSTANTIATE_TEST_SUITE_P(WrapClusters, Boundaries, ::testing::ValuesIn(kCases),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST(WrapClusters, SearchesAroundAPlaceAgreeWithTheWholeList) {
  std::u16string text;
  // Plain runs, marks, emoji sequences, a run of marks longer than the
  // window the searches read is not among them: those are cut.
  const char *pieces[] = {"abc ", "e\xcc\x81", "👨‍👩‍👧", "🇺🇦🇩🇪🇺", "中文", "น้ำ", "\r\n", "👍🏽", "x"};
  for (int i = 0; i < 40; ++i) text += W(pieces[i % 9]);
  const std::vector<int> all = WrapClusterBoundaries(text);
  const int len = static_cast<int>(text.size());
  for (int p = 0; p <= len; ++p) {
    const int before = *std::prev(std::upper_bound(all.begin(), all.end(), p));
    const auto next = std::upper_bound(all.begin(), all.end(), p);
    const int after = next == all.end() ? len : *next;
    EXPECT_EQ(WrapClusterStartAtOrBefore(text, p), before) << p;
    EXPECT_EQ(WrapClusterEndAfter(text, p), after) << p;
  }
  // Places outside the text are cut to it.
  EXPECT_EQ(WrapClusterStartAtOrBefore(text, -5), 0);
  EXPECT_EQ(WrapClusterStartAtOrBefore(text, len + 5), len);
  EXPECT_EQ(WrapClusterEndAfter(text, len), len);
}

} // namespace
