#include "platform/GraphemeClusters.h"

#include <gtest/gtest.h>

#include <string>

namespace kc {
namespace {

// Text written as its clusters: the boundaries are the joins between them.
struct ClusterCase {
  const char *name;
  std::vector<std::u16string> clusters;
  // What Backspace at the end leaves (the last cluster whole or its mark).
  std::u16string afterBackspace;
};

std::u16string joined(const std::vector<std::u16string> &Parts) {
  std::u16string s;
  for (const auto &p : Parts) s += p;
  return s;
}

const ClusterCase kClusters[] = {
    {"ascii", {u"a", u"b", u"c"}, u"ab"},
    {"surrogate pair", {u"a", u"\U0001F600", u"b"}, u"a\U0001F600"},
    {"emoji at the end", {u"a", u"\U0001F600"}, u"a"},
    {"two flags", {u"\U0001F1FA\U0001F1E6", u"\U0001F1E9\U0001F1EA"}, u"\U0001F1FA\U0001F1E6"},
    {"ZWJ family", {u"\U0001F468\u200D\U0001F469\u200D\U0001F467"}, u""},
    {"skin tone", {u"x", u"\U0001F44D\U0001F3FD"}, u"x"},
    {"decomposed e acute: the mark goes alone", {u"c", u"a", u"f", u"e\u0301"}, u"cafe"},
    {"two marks: the last goes", {u"a\u0301\u0323"}, u"a\u0301"},
    {"hangul jamo syllable", {u"\u1100\u1161\u11A8", u"a"}, u"\u1100\u1161\u11A8"},
    {"hangul jamo at the end", {u"a", u"\u1100\u1161\u11A8"}, u"a"},
    {"thai tone mark", {u"\u0E17\u0E35\u0E48", u"\u0E19"}, u"\u0E17\u0E35\u0E48"},
    {"thai ending in a tone mark", {u"\u0E19", u"\u0E17\u0E35\u0E48"}, u"\u0E19\u0E17\u0E35"},
    {"variation selector stays with its heart", {u"a", u"\u2764\uFE0F"}, u"a"},
    {"keycap goes whole", {u"1\uFE0F\u20E3"}, u""},
    {"CR LF", {u"a", u"\r\n"}, u"a"},
    {"lone high surrogate", {u"a", u"\xD800", u"b"}, u"a\xD800"},
    {"lone low surrogate at the end", {u"a", u"\xDC00"}, u"a"},
    {"hebrew with points", {u"\u05E9\u05C1", u"\u05DC"}, u"\u05E9\u05C1"},
};

TEST(GraphemeClusters, BoundariesAreTheJoinsOfTheClusters) {
  for (const ClusterCase &c : kClusters) {
    SCOPED_TRACE(c.name);
    const std::u16string text = joined(c.clusters);
    std::vector<bool> want(text.size() + 1, false);
    size_t at = 0;
    want[0] = true;
    for (const auto &p : c.clusters) want[at += p.size()] = true;
    EXPECT_EQ(GraphemeBoundaries(text), want);
    for (size_t i = 0; i <= text.size(); ++i) {
      EXPECT_EQ(IsGraphemeBoundary(text, i), bool(want[i])) << "at " << i;
      size_t next = i + 1;
      while (next < text.size() && !want[next]) ++next;
      EXPECT_EQ(NextGraphemeBoundary(text, i), std::min(next, text.size())) << "after " << i;
      size_t prev = i == 0 ? 0 : i - 1;
      while (prev > 0 && !want[prev]) --prev;
      EXPECT_EQ(PrevGraphemeBoundary(text, i), prev) << "before " << i;
    }
  }
}

TEST(GraphemeClusters, BackspaceTakesTheClusterOrItsLastMark) {
  for (const ClusterCase &c : kClusters) {
    SCOPED_TRACE(c.name);
    const std::u16string text = joined(c.clusters);
    EXPECT_EQ(text.substr(0, BackspaceDeleteStart(text, text.size())), c.afterBackspace);
  }
}

TEST(GraphemeClusters, EmptyTextAndPositionsOutside) {
  EXPECT_EQ(GraphemeBoundaries(u""), std::vector<bool>{true});
  EXPECT_TRUE(IsGraphemeBoundary(u"", 0));
  EXPECT_EQ(NextGraphemeBoundary(u"ab", 7), 2u);
  EXPECT_EQ(PrevGraphemeBoundary(u"ab", 7), 2u);
  EXPECT_EQ(PrevGraphemeBoundary(u"ab", 0), 0u);
  EXPECT_EQ(BackspaceDeleteStart(u"", 0), 0u);
  EXPECT_EQ(BackspaceDeleteStart(u"a\U0001F600", 9), 1u);
}

} // namespace
} // namespace kc
