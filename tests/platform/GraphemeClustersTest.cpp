#include "platform/GraphemeClusters.h"

#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <string>
#include <vector>

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
    // Spaces, emoji and marks after a letter of an Indic script stay in
    // clusters of their own, as anywhere else.
    {"emoji with marks after a bengali letter",
     {u"\u09AC", u" ", u" ", u"\U0001F600\u0301\u0301\u0301"},
     u"\u09AC  \U0001F600\u0301\u0301"},
    {"pair and many marks after a devanagari letter",
     {u"\u0915",
      u"\U0004F419\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301"
      u"\u0301\u0301\u0301\u0301\u0301",
      u"\uFFFF"},
     u"\u0915\U0004F419\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301"
     u"\u0301\u0301\u0301\u0301"},
    {"flag after a thai letter", {u"\u0E01", u"\U0001F1FA\U0001F1E6"}, u"\u0E01"},
    {"lone high surrogate before a pair", {u"\xD800", u"\U0001F600", u"\xDC00"}, u"\xD800\U0001F600"},
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

std::u16string W(const char *Utf8) {
  const QString q = QString::fromUtf8(Utf8);
  return std::u16string(reinterpret_cast<const char16_t *>(q.utf16()), static_cast<size_t>(q.size()));
}

// The whole-text list the line breaker reads, on named texts.
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
  EXPECT_EQ(GraphemeBoundaryList(W(GetParam().text)), GetParam().bounds);
}

INSTANTIATE_TEST_SUITE_P(GraphemeBoundaryList, Boundaries, ::testing::ValuesIn(kCases),
                         [](const auto &Info) { return std::string(Info.param.name); });

// The largest boundary at or before P, and the smallest one after it.
int atOrBefore(const std::vector<int> &All, int P) { return *std::prev(std::upper_bound(All.begin(), All.end(), P)); }
int after(const std::vector<int> &All, int P, int Len) {
  const auto next = std::upper_bound(All.begin(), All.end(), P);
  return next == All.end() ? Len : *next;
}

TEST(GraphemeClusters, SearchesAroundAPlaceAgreeWithTheWholeList) {
  std::u16string text;
  // Plain runs, marks, emoji sequences, a run of marks longer than the
  // window the searches read is not among them: those are cut.
  const char *pieces[] = {"abc ", "e\xcc\x81", "👨‍👩‍👧", "🇺🇦🇩🇪🇺", "中文", "น้ำ", "\r\n", "👍🏽", "x"};
  for (int i = 0; i < 40; ++i) text += W(pieces[i % 9]);
  const std::vector<int> all = GraphemeBoundaryList(text);
  const int len = static_cast<int>(text.size());
  std::vector<bool> flags(text.size() + 1, false);
  for (const int b : all) flags[size_t(b)] = true;
  EXPECT_EQ(GraphemeBoundaries(text), flags);
  for (int p = 0; p <= len; ++p) {
    EXPECT_EQ(GraphemeStartAtOrBefore(text, p), atOrBefore(all, p)) << p;
    EXPECT_EQ(GraphemeEndAfter(text, p), after(all, p, len)) << p;
    EXPECT_EQ(IsGraphemeBoundary(text, size_t(p)), bool(flags[size_t(p)])) << p;
    EXPECT_EQ(NextGraphemeBoundary(text, size_t(p)), size_t(after(all, p, len))) << p;
    EXPECT_EQ(PrevGraphemeBoundary(text, size_t(p)), size_t(p == 0 ? 0 : atOrBefore(all, p - 1))) << p;
  }
  // Places outside the text are cut to it.
  EXPECT_EQ(GraphemeStartAtOrBefore(text, -5), 0);
  EXPECT_EQ(GraphemeStartAtOrBefore(text, len + 5), len);
  EXPECT_EQ(GraphemeEndAfter(text, len), len);
}

// A letter carrying 200 marks is one cluster. The editor's searches still
// see it whole, from anywhere inside; the line breaker's cut it near the
// place asked about rather than read all of it.
TEST(GraphemeClusters, ClustersLongerThanTheWindow) {
  const std::u16string cluster = u"a" + std::u16string(200, u'\u0301');
  const std::u16string text = u"xy " + cluster + u" z";
  const size_t start = 3, end = start + cluster.size();
  for (size_t p = start + 1; p < end; ++p) {
    SCOPED_TRACE(p);
    EXPECT_FALSE(IsGraphemeBoundary(text, p));
    EXPECT_EQ(PrevGraphemeBoundary(text, p), start);
    EXPECT_EQ(NextGraphemeBoundary(text, p), end);
  }
  EXPECT_EQ(NextGraphemeBoundary(text, start), end);
  EXPECT_EQ(PrevGraphemeBoundary(text, end), start);
  EXPECT_EQ(BackspaceDeleteStart(text, end), end - 1);
  const int mid = int(start) + 150;
  EXPECT_GT(GraphemeStartAtOrBefore(text, mid), int(start));
  EXPECT_LE(GraphemeStartAtOrBefore(text, mid), mid);
  EXPECT_GT(GraphemeEndAfter(text, int(start)), int(start));
  EXPECT_LT(GraphemeEndAfter(text, int(start)), int(end));
}

} // namespace
} // namespace kc
