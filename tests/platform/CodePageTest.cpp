#include <gtest/gtest.h>

#include "platform/CodePage.h"

using namespace kc;

namespace {

struct RoundTrip {
  int cp;
  std::string bytes;
  std::u16string text;
};

class CodePageRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(CodePageRoundTrip, BothDirections) {
  const RoundTrip &c = GetParam();
  std::u16string u;
  ASSERT_TRUE(tryToUtf16(c.cp, c.bytes, u)) << c.cp;
  EXPECT_EQ(u, c.text) << c.cp;
  std::string b;
  bool usedDefault = true;
  ASSERT_TRUE(tryFromUtf16(c.cp, c.text, b, &usedDefault));
  EXPECT_EQ(b, c.bytes) << c.cp;
  EXPECT_FALSE(usedDefault);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CodePageRoundTrip,
    ::testing::Values(
        RoundTrip{1252, "Caf\xE9 \x80 \x93x\x94", u"Caf\u00E9 \u20AC \u201Cx\u201D"},
        RoundTrip{1251, "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0", u"Привет, мир"},
        RoundTrip{1251, "\xA8\xB8\x96", u"Ёё\u2013"},
        RoundTrip{1250, "\x8A\xE8\xBE", u"Ščľ"},
        RoundTrip{1253, "\xC1\xE2\xE3", u"Αβγ"},
        RoundTrip{932, "\x93\xFA\x96\x7B\x8C\xEA abc \xB1", u"日本語 abc \uFF71"},
        RoundTrip{936, "\xD6\xD0\xCE\xC4<A>", u"中文<A>"},
        RoundTrip{949, "\xC7\xD1\xB1\xB9", u"한국"},
        RoundTrip{950, "\xA4\xA4\xA4\xE5", u"中文"},
        RoundTrip{65001, "\xD0\x96\xE2\x82\xAC", u"Ж€"},
        // Bytes a code page leaves undefined survive as the C1 code point.
        RoundTrip{1252, std::string("\x81\x8D\x8F\x90\x9D", 5), u"\u0081\u008D\u008F\u0090\u009D"},
        // Undefined bytes above the C1 range have places in the private use area.
        RoundTrip{1253, "\xAA\xD2\xFF\x81", u"\uF8F9\uF8FA\uF8FB\u0081"},
        RoundTrip{874, "\xDB\xDE\xFC\xFF", u"\uF8C1\uF8C4\uF8C5\uF8C8"},
        RoundTrip{1255, "\xD9\xDF\xFB\xFC\xFF", u"\uF88D\uF893\uF894\uF895\uF896"},
        RoundTrip{1257, "\xA1\xA5", u"\uF8FC\uF8FD"},
        RoundTrip{932, "\x80\xA0\xFD\xFF", u"\u0080\uF8F0\uF8F1\uF8F3"},
        RoundTrip{1252, std::string("a\0b", 3), std::u16string(u"a\0b", 3)}));

TEST(CodePage, UnmappableCharactersBecomeOneQuestionMarkEach) {
  struct Case {
    int cp;
    std::u16string text;
    std::string bytes;
  } cases[] = {
      {1251, u"a日b", "a?b"},
      {1252, u"Ж€", "?\x80"},
      {1252, u"x\U0001F600y", "x?y"}, // a surrogate pair is one character
      {932, u"Ж中Ω", "\x84\x47\x92\x86\x83\xB6"},
      {936, u"\u0E01", "?"},
  };
  for (const auto &c : cases) {
    std::string out;
    bool usedDefault = false;
    ASSERT_TRUE(tryFromUtf16(c.cp, c.text, out, &usedDefault));
    EXPECT_EQ(out, c.bytes) << c.cp;
  }
  bool usedDefault = false;
  std::string out;
  tryFromUtf16(1251, u"日", out, &usedDefault);
  EXPECT_TRUE(usedDefault);
}

TEST(CodePage, DamagedDoubleByteTextKeepsWhatFollows) {
  // A lead byte without a valid trail: "?" and the next byte read on its own;
  // a lead byte at the very end: "?".
  EXPECT_EQ(toUtf16(std::string("\x81<A>", 4), 932), u"?<A>");
  EXPECT_EQ(toUtf16(std::string("ab\x93", 3), 932), u"ab?");
}

TEST(CodePage, UnsupportedCodePageFallsBackToAnsi) {
  std::u16string u;
  EXPECT_FALSE(tryToUtf16(12345, "abc", u));
  EXPECT_FALSE(isCodePageSupported(12345));
  EXPECT_EQ(toUtf16("\xE9", 12345), u"\u00E9"); // the test environment's 1252
  EXPECT_EQ(fromUtf16(u"\u00E9", 12345), "\xE9");
}

TEST(CodePage, AnsiCodePageFromEnvironmentAndLocale) {
  EXPECT_EQ(ansiCodePage(), 1252); // KAVET_CODEPAGE in the test environment
  EXPECT_EQ(resolveCodePage(CP_ACP), 1252);
  EXPECT_EQ(resolveCodePage(CP_OEMCP), 437);
  struct Case {
    const char *locale;
    int cp;
  } cases[] = {
      {"ru_RU.UTF-8", 1251}, {"uk_UA", 1251},    {"bg_BG.UTF-8", 1251}, {"be_BY", 1251},
      {"sr_RS", 1251},       {"sr_RS@latin", 1250}, {"en_US.UTF-8", 1252}, {"de_DE", 1252},
      {"fr_FR@euro", 1252},  {"C", 1252},        {"POSIX", 1252},       {"", 1252},
      {"cs_CZ", 1250},       {"pl_PL", 1250},    {"hu_HU", 1250},       {"sk_SK", 1250},
      {"sl_SI", 1250},       {"hr_HR", 1250},    {"ro_RO", 1250},       {"el_GR", 1253},
      {"tr_TR", 1254},       {"he_IL", 1255},    {"ar_EG", 1256},       {"fa_IR", 1256},
      {"et_EE", 1257},       {"lv_LV", 1257},    {"lt_LT", 1257},       {"vi_VN", 1258},
      {"th_TH", 874},        {"ja_JP.eucJP", 932}, {"zh_CN.GB18030", 936}, {"zh_SG", 936},
      {"ko_KR", 949},        {"zh_TW.Big5", 950}, {"zh_HK", 950},        {"TR_tr", 1254},
      {"IT_it.UTF-8", 1252},
  };
  for (const auto &c : cases) EXPECT_EQ(codePageOfLocale(c.locale), c.cp) << c.locale;
}

TEST(CodePage, SetAnsiCodePageRefusesUnknownPages) {
  EXPECT_FALSE(setAnsiCodePage(12345));
  EXPECT_EQ(ansiCodePage(), 1252);
  ASSERT_TRUE(setAnsiCodePage(1251));
  EXPECT_EQ(toUtf16("\xC6"), u"Ж");
  ASSERT_TRUE(setAnsiCodePage(1252));
}

TEST(CodePage, Utf8Conveniences) {
  EXPECT_EQ(utf8ToUtf16("a\xF0\x9F\x98\x80"), u"a\U0001F600");
  EXPECT_EQ(utf8ToUtf16("\xC3"), u"\uFFFD");             // cut short
  EXPECT_EQ(utf8ToUtf16("\xC0\x80"), u"\uFFFD\uFFFD");   // overlong
  EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // encoded surrogate
  EXPECT_EQ(utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(ansiToUtf8("\xC6", 1251), "\xD0\x96");
  EXPECT_EQ(utf8ToAnsi("\xD0\x96", 1251), "\xC6");
}

TEST(CodePage, CaseRulesKeepLengths) {
  EXPECT_EQ(ansiUpperCase("\xEF\xF0\xE8\xE2\xE5\xF2 abc", 1251), "\xCF\xD0\xC8\xC2\xC5\xD2 ABC");
  EXPECT_EQ(ansiUpperCase("stra\xDF" "e \xFF", 1252), "STRA\xDF" "E \x9F"); // ß stays, ÿ -> Ÿ
  EXPECT_EQ(ansiLowerCase("ABC\xC9", 1252), "abc\xE9");
  EXPECT_EQ(ansiUpperCase(std::string("\x82\xA0x", 3), 932), std::string("\x82\xA0X", 3));
  EXPECT_EQ(upperCaseW(u"abc\u0436"), u"ABC\u0416");
  EXPECT_EQ(ansiCompareText("Arial", "ARIAL"), 0);
  EXPECT_NE(ansiCompareText("Arial", "Arimo"), 0);
}

} // namespace

namespace {

TEST(CodePage, CharacterBoundaries) {
  std::u16string t = u"ae\u0301\U0001F600b"; // a, e + acute, a surrogate pair, b
  EXPECT_EQ(charNextW(t, 0), 1u);
  EXPECT_EQ(charNextW(t, 1), 3u);
  EXPECT_EQ(charNextW(t, 3), 5u);
  EXPECT_EQ(charNextW(t, 5), 6u);
  EXPECT_EQ(charNextW(t, 6), 6u);
  EXPECT_EQ(charPrevW(t, 6), 5u);
  EXPECT_EQ(charPrevW(t, 5), 3u);
  EXPECT_EQ(charPrevW(t, 3), 1u);
  EXPECT_EQ(charPrevW(t, 0), 0u);
  EXPECT_EQ(charPrevW(t, 99), 5u);
}

TEST(CodePage, BidiCharacterTypes) {
  EXPECT_EQ(charType2W(u'a'), C2_LEFTTORIGHT);
  EXPECT_EQ(charType2W(u'\u05D0'), C2_RIGHTTOLEFT);
  EXPECT_EQ(charType2W(u'\u0627'), C2_RIGHTTOLEFT);
  EXPECT_EQ(charType2W(u'5'), C2_EUROPENUMBER);
  EXPECT_EQ(charType2W(u' '), C2_WHITESPACE);
  EXPECT_EQ(charType2W(u'!'), C2_OTHERNEUTRAL);
  EXPECT_EQ(charType2A('\xE0', 1255), C2_RIGHTTOLEFT); // alef in the Hebrew code page
  EXPECT_EQ(charType2A('\xE0', 1252), C2_LEFTTORIGHT);
}

} // namespace
