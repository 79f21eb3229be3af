#include <gtest/gtest.h>

#include <algorithm>

#include "platform/CodePage.h"
#include "platform/RecordingCanvas.h"
#include "richtext/document/RVClasses.h"
#include "richtext/document/RVUni.h"

using namespace kc;

namespace {

const uint8_t U = rvuniUnicodeBit;

std::string raw(std::u16string_view s) { return WideStringToRaw(s); }

TEST(TextByCharacter, AnsiAndUtf16Alike) {
  EXPECT_EQ(GetTextLength("abc", 0), 3);
  EXPECT_EQ(GetTextLength(raw(u"abc"), U), 3);
  EXPECT_EQ(GetTextLength(std::string("abc", 3), U), 1); // a stray odd byte does not count
  EXPECT_EQ(CopyChars("abcdef", 2, 3, 0), "bcd");
  EXPECT_EQ(CopyChars(raw(u"абвгд"), 2, 3, U), raw(u"бвг"));
  std::string s = raw(u"abcdef");
  DeleteChars(s, 2, 2, U);
  EXPECT_EQ(s, raw(u"adef"));
  InsertChars(raw(u"XY"), s, 2, U);
  EXPECT_EQ(s, raw(u"aXYdef"));
  EXPECT_TRUE(IsSpaceAt("a b", 2, 0));
  EXPECT_TRUE(IsSpaceAt(raw(u"a b"), 2, U));
  EXPECT_FALSE(IsSpaceAt(raw(u"a\u2020b"), 2, U)); // 0x20 in the low byte only
  std::string w = raw(u"abc");
  EXPECT_EQ(StrScanW(w.data(), u'c', 3), w.data() + 4);
  EXPECT_EQ(StrScanW(w.data(), u'c', 2), nullptr);
}

TEST(TextByCharacter, OutOfRangeIndexesAreCut) {
  EXPECT_EQ(CopyChars("abc", 0, 2, 0), "a");
  EXPECT_EQ(CopyChars("abc", 3, 100, 0), "c");
  EXPECT_EQ(CopyChars("abc", 5, 1, 0), "");
  EXPECT_EQ(CopyChars("abc", 1, -4, 0), "");
  EXPECT_EQ(CopyChars("abc", -2147483647, 2147483647, 0), "");
  std::string s = "abc";
  DeleteChars(s, 2, -1, 0);
  EXPECT_EQ(s, "abc");
  DeleteChars(s, 3, 2147483647, 0);
  EXPECT_EQ(s, "ab");
  InsertChars("Z", s, 99, 0);
  EXPECT_EQ(s, "abZ");
  InsertChars("Y", s, -5, 0);
  EXPECT_EQ(s, "YabZ");
  EXPECT_FALSE(IsSpaceAt(" ", 0, 0));
  EXPECT_FALSE(IsSpaceAt(" ", 2, 0));
}

TEST(CodePageRoutines, AnsiToUnicodeAndBack) {
  EXPECT_EQ(AnsiToUnicode(1251, "\xC6"), raw(u"Ж"));
  EXPECT_EQ(AnsiToUnicode(12345, "abc\xE9"), raw(u"abcé")); // system code page takes over
  EXPECT_EQ(AnsiToUnicode(1252, ""), "");
  // Control bytes: glyphs in the DOS code pages, controls elsewhere.
  EXPECT_EQ(AnsiToUnicode(437, std::string("\x01\x1F\x7F\x00\xDB", 5)),
            raw(std::u16string_view(u"\u263A\u25BC\u2302\0\u2588", 5)));
  EXPECT_EQ(AnsiToUnicode(CP_OEMCP, "\x0D\x0A"), raw(u"\u266A\u25D9")); // 437 beside 1252
  EXPECT_EQ(AnsiToUnicode(866, "\x03\x80"), raw(u"\u2665\u0410"));
  EXPECT_EQ(AnsiToUnicode(1252, "\x01\x7F"), raw(u"\u0001\u007F"));
  EXPECT_EQ(UnicodeToAnsi(1251, raw(u"Жx日")), "\xC6x?");
  EXPECT_EQ(UnicodeToAnsi(12345, raw(u"é")), "\xE9");
  EXPECT_THROW(UnicodeToAnsi(1252, "abc"), ERichVistaError);
  EXPECT_EQ(UnicodeToAnsi(1252, ""), "");
  // A base letter and its mark become the precomposed character where the
  // code page has it; a mark the code page cannot hold is left out.
  EXPECT_EQ(UnicodeToAnsi(1252, raw(u"e\u0301")), "\xE9");
  EXPECT_EQ(UnicodeToAnsi(1252, raw(u"q\u0301")), "q");
  EXPECT_EQ(UnicodeToAnsi(1252, raw(u"a\u0308\u0301")), "\xE4"); // marks one by one
  EXPECT_EQ(UnicodeToAnsi(1252, raw(u"a\u0323")), "a");
  // Otherwise base and mark stay apart: 1258 has e-circumflex and the dot
  // below but no letter with both.
  EXPECT_EQ(UnicodeToAnsi(1258, AnsiToUnicode(1258, "Vi\xEA\xF2t")), "Vi\xEA\xF2t");
  EXPECT_EQ(UnicodeToAnsi(1258, raw(u"Vi\u00EA\u0323t")), "Vi\xEA\xF2t");
  EXPECT_EQ(UnicodeToAnsi(1258, raw(u"Vi\u1EC7t")), "Vi\xEA\xF2t"); // taken apart
  // Nothing else is normalised: a compatibility ideograph keeps its own
  // place, so Korean text survives the round trip.
  EXPECT_EQ(UnicodeToAnsi(949, AnsiToUnicode(949, "\xCB\xD0")), "\xCB\xD0");
  EXPECT_EQ(KeyboardAnsiToUnicode("\xE9"), raw(u"é"));
  EXPECT_EQ(RawToWideString(raw(u"\U0001F600")), u"\U0001F600");
}

// Text read from any two bytes of a single-byte code page is written back
// without a "?" that was not read, and as the same text: the bytes may only
// change where a letter and its mark become the page's precomposed letter.
TEST(CodePageRoutines, SingleBytePagesRoundTripWithoutLoss) {
  const int pages[] = {437,   737,   775,   850,   852,   855,   857,   862,   866,   874,   1250,  1251,
                       1252,  1253,  1254,  1255,  1256,  1257,  1258,  10000, 10007, 10029, 20127, 20866,
                       21866, 28591, 28592, 28593, 28594, 28595, 28596, 28597, 28598, 28599, 28605};
  for (int cp : pages) {
    int gained = 0, changed = 0;
    std::string firstGained, firstChanged;
    for (int b1 = 0; b1 < 256; ++b1) {
      for (int b2 = 0; b2 < 256; ++b2) {
        const std::string bytes = {static_cast<char>(b1), static_cast<char>(b2)};
        const std::string wide = AnsiToUnicode(cp, bytes);
        const std::string back = UnicodeToAnsi(cp, wide);
        if (back == bytes) continue;
        const std::u16string w = RawToWideString(wide);
        if (std::count(back.begin(), back.end(), '?') > std::count(w.begin(), w.end(), u'?')) {
          if (!gained++) firstGained = bytes;
        } else if (composeW(RawToWideString(AnsiToUnicode(cp, back))) != composeW(w)) {
          if (!changed++) firstChanged = bytes;
        }
      }
    }
    EXPECT_EQ(gained, 0) << cp << " first: " << testing::PrintToString(firstGained);
    EXPECT_EQ(changed, 0) << cp << " first: " << testing::PrintToString(firstChanged);
  }
}

TEST(CodePageRoutines, CharsetsAndLanguages) {
  struct {
    uint8_t charset;
    int cp, lang;
  } cases[] = {{0, 1252, 1033},   {1, 0, 0},         {2, 0, 1024},      {77, 2, 1024},    {128, 932, 1041},
               {129, 949, 1042},  {130, 1361, 2066}, {134, 936, 2052},  {136, 950, 1028}, {161, 1253, 1032},
               {162, 1254, 1055}, {163, 1258, 1066}, {177, 1255, 1037}, {178, 1256, 0},   {186, 1257, 0},
               {204, 1251, 1049}, {222, 874, 1054},  {238, 1250, 1024}, {255, 1, 1024},   {99, 0, 1024}};
  for (auto c : cases) {
    EXPECT_EQ(CharsetToCodePage(c.charset), c.cp) << int(c.charset);
    EXPECT_EQ(CharsetToLanguage(c.charset), c.lang) << int(c.charset);
  }
  EXPECT_EQ(MakeLangID(9, 1), 0x409);
  EXPECT_EQ(MakeLCID(0x409, 2), 0x20409u);
  EXPECT_EQ(LocaleOfLanguage(0x19), 0x419u);
}

TEST(Html, UnicodeToHtml) {
  struct {
    std::u16string in;
    bool nonEmpty, rawText;
    const char *out;
  } cases[] = {
      {u"a  b", false, false, "a &nbsp;b"},
      {u"a ", false, false, "a&nbsp;"},
      {u" a", false, false, "&nbsp;a"},
      {u"   ", false, false, "&nbsp; &nbsp;"},
      {u"<&>", false, false, "&lt;&amp;&gt;"},
      {u"<", false, true, "<"},
      {u"Жé", false, false, "&#1046;&#233;"},
      {u"x\U0001F600", false, false, "x&#128512;"}, // one reference per character
      {u"\xD800", false, false, "&#55296;"},
      {u"", true, false, "&nbsp;"},
      {u"", false, false, ""},
  };
  for (const auto &c : cases) EXPECT_EQ(UnicodeToHtml(raw(c.in), c.nonEmpty, c.rawText), c.out);
}

TEST(Capitals, ApplyAllCaps) {
  EXPECT_EQ(ApplyAllCaps("abc", false, false), "abc");
  EXPECT_EQ(ApplyAllCaps("ab\xE9", true, false), "AB\xC9");
  EXPECT_EQ(ApplyAllCaps(raw(u"жx"), true, true), raw(u"ЖX"));
}

TEST(LineBreakClasses, ListedCodePoints) {
  struct {
    char16_t c;
    uint8_t cls;
  } cases[] = {
      {0x0000, rvlbCM},
      {0x0008, rvlbCM},
      {0x0009, rvlbBA},
      {0x000A, rvlbAL},
      {0x000B, rvlbCM},
      {0x000D, rvlbAL},
      {0x000E, rvlbCM},
      {0x001F, rvlbCM},
      {0x0020, rvlbAL},
      {u'!', rvlbEX},
      {u'?', rvlbEX},
      {u'"', rvlbQU},
      {u'\'', rvlbQU},
      {u'$', rvlbPR},
      {u'+', rvlbPR},
      {u'\\', rvlbPR},
      {u'%', rvlbPO},
      {u'(', rvlbOP},
      {u'[', rvlbOP},
      {u'{', rvlbOP},
      {u')', rvlbCL},
      {u']', rvlbCL},
      {u'}', rvlbCL},
      {u',', rvlbIS},
      {u'.', rvlbIS},
      {u':', rvlbIS},
      {u';', rvlbIS},
      {u'-', rvlbHY},
      {u'/', rvlbSY},
      {u'0', rvlbNU},
      {u'9', rvlbNU},
      {u'|', rvlbBA},
      {u'a', rvlbAL},
      {0x007F, rvlbCM},
      {0x0085, rvlbCM},
      {0x009F, rvlbCM},
      {0x00A0, rvlbGL},
      {0x00AD, rvlbBA},
      {0x00B4, rvlbBB},
      {0x2010, rvlbBA},
      {0x2013, rvlbBA},
      {0x2014, rvlbB2},
      {0x2024, rvlbIN},
      {0x2026, rvlbIN},
      {0x200B, rvlbZW},
      {0x200C, rvlbCM},
      {0x200D, rvlbCM},
      {0x2060, rvlbGL},
      {0xFEFF, rvlbGL},
      {0x3000, rvlbID},
      {0x3001, rvlbCL},
      {0x3002, rvlbCL},
      {0x300C, rvlbOP},
      {0x3041, rvlbNS},
      {0x3042, rvlbID},
      {0x30FC, rvlbID},
      {0x4E00, rvlbID},
      {0x9FA5, rvlbID},
      {0xAC00, rvlbID},
      {0xD7A3, rvlbID},
      {0xF900, rvlbID},
      {0x0E01, rvlbAL},
      {0x0E31, rvlbCM},
      {0xD800, rvlbAL},
      {0xDFFF, rvlbAL},
      {0xE000, rvlbAL},
      {0xF8FF, rvlbAL},
      {0xFF08, rvlbOP},
      {0xFF09, rvlbCL},
      {0xFF0C, rvlbCL},
      {0xFF61, rvlbCL},
      {0xFF65, rvlbNS},
      {0xFFE0, rvlbPO},
      {0x0416, rvlbAL},
      {0xFFFF, rvlbAL},
      // As the data of that time had them: three leaders only, pictographs
      // alphabetic, jamo vowels and finals combining.
      {0x2025, rvlbIN},
      {0x22EF, rvlbAL},
      {0x2600, rvlbAL},
      {0x261D, rvlbAL},
      {0x1100, rvlbID},
      {0x1161, rvlbCM},
      {0x11A8, rvlbCM},
  };
  for (auto c : cases) EXPECT_EQ(CharClassOf(c.c), c.cls) << std::hex << int(c.c);
  EXPECT_EQ(LineBreakPairAction(rvlbPR, rvlbNU), 1);
  EXPECT_EQ(LineBreakPairAction(rvlbHY, rvlbAL), 0);
  EXPECT_EQ(LineBreakPairAction(rvlbOP, rvlbCM), 1);
  EXPECT_EQ(LineBreakPairAction(rvlbZW, rvlbCL), 0);
  EXPECT_EQ(LineBreakPairAction(rvlbB2, rvlbB2), 2);
  EXPECT_EQ(LineBreakPairAction(20, 0), 2);
}

TEST(LineBreaks, FindLineBreak) {
  struct {
    std::u16string text;
    int index;
    int result;
  } cases[] = {
      {u"abc def", 5, 3},      // at the space after "abc"
      {u"abcdef", 4, -1},      // no opportunity
      {u"a-b", 2, 1},          // after the hyphen
      {u"$5", 1, -1},          // never between "$" and a digit
      {u"x $5", 3, 1},         // the space before "$" instead
      {u"    x", 2, 2},        // a space at Index breaks there
      {u"ab   cd", 6, 4},      // trailing spaces stay on the line
      {u"日本語", 2, 1},       // between ideographs
      {u"(abc", 2, -1},        // nothing after an opening bracket
      {u"abc)", 3, -1},        // nothing before a closing one
      {u"abc\u200Bdef", 5, 3}, // after a zero-width space
      {u"abc", 3, -1},         // Index past the text
      {u"abc", -1, -1},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(FindLineBreak(c.text, c.index), c.result) << c.index;
    EXPECT_EQ(FindLineBreakRaw(raw(c.text), c.index), c.result) << c.index;
  }
}

class Measuring : public ::testing::Test {
protected:
  RecordingCanvas canvas;
  void TearDown() override { RVNT = true; }
};

TEST_F(Measuring, TextWidthAndFit) {
  EXPECT_EQ(GetTextWidth("abcd", canvas, 0), 28);
  EXPECT_EQ(GetTextWidth(raw(u"abcd"), canvas, U), 28);
  for (bool nt : {true, false}) {
    RVNT = nt;
    for (uint8_t options : {uint8_t(0), U}) {
      std::string s = options ? raw(u"abcde") : std::string("abcde");
      std::vector<int> ext;
      int fit = -1;
      GetTextFit(canvas, s, 22, options, &ext, fit);
      EXPECT_EQ(fit, 3) << nt << int(options);
      ASSERT_GE(ext.size(), 3u);
      EXPECT_EQ(ext[0], 7);
      EXPECT_EQ(ext[2], 21);
      GetTextFit(canvas, s, 1000, options, nullptr, fit);
      EXPECT_EQ(fit, 5);
      GetTextFit(canvas, std::string(), 10, options, &ext, fit);
      EXPECT_EQ(fit, 0);
      EXPECT_TRUE(ext.empty());
    }
  }
}

TEST_F(Measuring, CharPlacementOfRightToLeftText) {
  // Two Hebrew letters then a Latin one: shown as [b1 a1][x].
  std::string s = raw(u"\u05D0\u05D1x");
  std::vector<int> pos;
  ASSERT_TRUE(GetCharPlacement(canvas, s, pos, 21, U));
  // Visual order: alef-bet reversed (bet at x 0, alef at x 7), then x at 14.
  ASSERT_EQ(pos.size(), 4u);
  EXPECT_EQ(pos[0], 14); // start of alef's right edge
  EXPECT_EQ(pos[1], 7);  // after alef (logical 0, at visual 1)
  EXPECT_EQ(pos[2], 0);  // after bet
  EXPECT_EQ(pos[3], 22); // after x: x + advance + 1
  // A width that differs by 2 or more is not trusted.
  EXPECT_FALSE(GetCharPlacement(canvas, s, pos, 23, U));
  EXPECT_TRUE(GetCharPlacement(canvas, s, pos, 22, U));
  EXPECT_FALSE(GetCharPlacement(canvas, std::string(), pos, 0, U));
}

TEST_F(Measuring, LigatureFontsArePlacedTwice) {
  canvas.metrics.languageInfo = GCP_LIGATE;
  canvas.logQueries = true;
  std::vector<int> pos;
  ASSERT_TRUE(GetCharPlacement(canvas, "ab", pos, 14, 0));
  EXPECT_EQ(canvas.logText(), "fontLanguageInfo()\n"
                              "characterPlacement(\"ab\",314)\n"
                              "characterPlacement(\"ab\",282)");
}

TEST_F(Measuring, DrawReorderedRangeDrawsContiguousRuns) {
  // Logical "ab" + Hebrew alef, bet: visual a b bet alef.
  std::string s = raw(u"ab\u05D0\u05D1");
  ASSERT_TRUE(DrawReorderedRange(100, 5, 28, 14, s, canvas, 2, 4, U));
  // b (visual 1) and bet, alef (visual 2, 3): b->bet is not logically adjacent
  // (1 then 3), bet->alef is; so two runs.
  EXPECT_EQ(canvas.logText(), "extTextOutW(100,5,6,(107,5,114,19),\"ab\xD7\x90\xD7\x91\")\n"
                              "extTextOutW(100,5,6,(114,5,128,19),\"ab\xD7\x90\xD7\x91\")");
  canvas.clearLog();
  EXPECT_FALSE(DrawReorderedRange(100, 5, 40, 14, s, canvas, 1, 4, U));
  EXPECT_TRUE(canvas.log.empty());
}

} // namespace
