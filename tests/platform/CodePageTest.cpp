#include <gtest/gtest.h>

#include <iconv.h>

#include <optional>
#include <sstream>

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
    ::testing::Values(RoundTrip{1252, "Caf\xE9 \x80 \x93x\x94", u"Caf\u00E9 \u20AC \u201Cx\u201D"},
                      RoundTrip{1251, "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0", u"Привет, мир"},
                      RoundTrip{1251, "\xA8\xB8\x96", u"Ёё\u2013"}, RoundTrip{1250, "\x8A\xE8\xBE", u"Ščľ"},
                      RoundTrip{1253, "\xC1\xE2\xE3", u"Αβγ"},
                      RoundTrip{932, "\x93\xFA\x96\x7B\x8C\xEA abc \xB1", u"日本語 abc \uFF71"},
                      RoundTrip{936, "\xD6\xD0\xCE\xC4<A>", u"中文<A>"}, RoundTrip{949, "\xC7\xD1\xB1\xB9", u"한국"},
                      RoundTrip{950, "\xA4\xA4\xA4\xE5", u"中文"}, RoundTrip{65001, "\xD0\x96\xE2\x82\xAC", u"Ж€"},
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
      {"ru_RU.UTF-8", 1251}, {"uk_UA", 1251},       {"bg_BG.UTF-8", 1251},  {"be_BY", 1251},
      {"sr_RS", 1251},       {"sr_RS@latin", 1250}, {"en_US.UTF-8", 1252},  {"de_DE", 1252},
      {"fr_FR@euro", 1252},  {"C", 1252},           {"POSIX", 1252},        {"", 1252},
      {"cs_CZ", 1250},       {"pl_PL", 1250},       {"hu_HU", 1250},        {"sk_SK", 1250},
      {"sl_SI", 1250},       {"hr_HR", 1250},       {"ro_RO", 1250},        {"el_GR", 1253},
      {"tr_TR", 1254},       {"he_IL", 1255},       {"ar_EG", 1256},        {"fa_IR", 1256},
      {"et_EE", 1257},       {"lv_LV", 1257},       {"lt_LT", 1257},        {"vi_VN", 1258},
      {"th_TH", 874},        {"ja_JP.eucJP", 932},  {"zh_CN.GB18030", 936}, {"zh_SG", 936},
      {"ko_KR", 949},        {"zh_TW.Big5", 950},   {"zh_HK", 950},         {"TR_tr", 1254},
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
  EXPECT_EQ(utf8ToUtf16("\xC3"), u"\uFFFD");                     // cut short
  EXPECT_EQ(utf8ToUtf16("\xC0\x80"), u"\uFFFD\uFFFD");           // overlong
  EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // encoded surrogate
  EXPECT_EQ(utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(ansiToUtf8("\xC6", 1251), "\xD0\x96");
  EXPECT_EQ(utf8ToAnsi("\xD0\x96", 1251), "\xC6");
}

TEST(CodePage, CaseRulesKeepLengths) {
  EXPECT_EQ(ansiUpperCase("\xEF\xF0\xE8\xE2\xE5\xF2 abc", 1251), "\xCF\xD0\xC8\xC2\xC5\xD2 ABC");
  EXPECT_EQ(ansiUpperCase("stra\xDF"
                          "e \xFF",
                          1252),
            "STRA\xDF"
            "E \x9F"); // ß stays, ÿ -> Ÿ
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

// Comparisons with iconv (glibc), the reference for the tables. Where iconv
// and Windows part, the tests say so and expect what Windows does.
namespace {

struct IconvPage {
  int cp;
  const char *name;
};

const IconvPage kSingleBytePages[] = {
    {437, "CP437"},          {737, "CP737"},
    {775, "CP775"},          {850, "CP850"},
    {852, "CP852"},          {855, "CP855"},
    {857, "CP857"},          {862, "CP862"},
    {866, "CP866"},          {874, "CP874"},
    {1250, "CP1250"},        {1251, "CP1251"},
    {1252, "CP1252"},        {1253, "CP1253"},
    {1254, "CP1254"},        {1255, "CP1255"},
    {1256, "CP1256"},        {1257, "CP1257"},
    {1258, "CP1258"},        {10000, "MACINTOSH"},
    {10007, "MAC-CYRILLIC"}, {10029, "MAC-CENTRALEUROPE"},
    {20127, "ASCII"},        {20866, "KOI8-R"},
    {21866, "KOI8-U"},       {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},   {28593, "ISO-8859-3"},
    {28594, "ISO-8859-4"},   {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"},   {28597, "ISO-8859-7"},
    {28598, "ISO-8859-8"},   {28599, "ISO-8859-9"},
    {28605, "ISO-8859-15"},
};

class Iconv {
public:
  Iconv(const char *to, const char *from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv &) = delete;
  Iconv &operator=(const Iconv &) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // The converted bytes, or nullopt when iconv rejects the input.
  std::optional<std::string> run(std::string in) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char out[64];
    char *ip = in.data(), *op = out;
    size_t il = in.size(), ol = sizeof out;
    if (iconv(cd_, &ip, &il, &op, &ol) == static_cast<size_t>(-1)) return std::nullopt;
    iconv(cd_, nullptr, nullptr, &op, &ol);
    return std::string(out, static_cast<size_t>(op - out));
  }

private:
  iconv_t cd_;
};

std::string le(char16_t u) { return {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)}; }

bool isPrivateUse(char16_t u) { return u >= 0xE000 && u <= 0xF8FF; }

TEST(CodePageTables, SingleBytePagesReadWhatIconvReads) {
  // Where iconv has no character for a byte, Windows reads a byte among
  // 0x80..0x9F as the C1 control of that value and a few others as private
  // use places; any other such byte is undefined, never a Latin-1 letter.
  for (const auto &page : kSingleBytePages) {
    Iconv dec("UTF-16LE", page.name);
    ASSERT_TRUE(dec.ok()) << page.name;
    std::ostringstream wrong;
    int wrongCount = 0;
    for (int b = 0; b < 256; ++b) {
      const std::string byte(1, static_cast<char>(b));
      std::u16string ours;
      ASSERT_TRUE(tryToUtf16(page.cp, byte, ours));
      ASSERT_EQ(ours.size(), 1u);
      const auto theirs = dec.run(byte);
      bool ok;
      if (theirs && theirs->size() == 2) ok = le(ours[0]) == *theirs;
      else if (b >= 0x80 && b < 0xA0) ok = ours[0] == b;
      else ok = ours[0] == u'?' || isPrivateUse(ours[0]);
      if (!ok && ++wrongCount <= 8) wrong << std::hex << " 0x" << b << "->U+" << int(ours[0]);
    }
    EXPECT_EQ(wrongCount, 0) << page.cp << ":" << wrong.str();
  }
}

TEST(CodePageTables, UndefinedBytesAboveTheControlRange) {
  struct Case {
    const char *name;
    int cp;
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {"hebrew 0xCA", 1255, "\xC9\xCA\xCB", u"\u05B9?\u05BB"},
      {"latin 3 holes", 28593, "\xA5\xAE\xBE\xC3", u"????"},
      {"greek 2003 holes", 28597, "\xAE\xD2\xFF", u"???"},
      {"turkish DOS holes", 857, "\xD5\xE7\xF2", u"???"},
      {"the control range keeps its C1 places", 1255, "\x8A\x9F", u"\u008A\u009F"},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(toUtf16(c.bytes, c.cp), c.text) << c.name;
    // Nor is the letter the byte used to stand for written as that byte.
    if (c.cp == 1255) {
      EXPECT_EQ(fromUtf16(u"\u00CA", c.cp), "?") << c.name;
    }
  }
}

TEST(CodePageTables, SingleByteRoundTripKeepsEveryDefinedByte) {
  for (const auto &page : kSingleBytePages) {
    int lost = 0;
    for (int b = 0; b < 256; ++b) {
      const std::string byte(1, static_cast<char>(b));
      const std::u16string u = toUtf16(byte, page.cp);
      if (u == u"?" && b != '?') continue; // undefined
      if (fromUtf16(u, page.cp) != byte) ++lost;
    }
    EXPECT_EQ(lost, 0) << page.cp;
  }
}

TEST(CodePageTables, ControlPicturesWriteBackAsControlBytes) {
  struct Case {
    const char *name;
    int cp;
    std::u16string text;
    std::string bytes;
  } cases[] = {
      {"smiling face, house, bullet", 437, u"\u263A\u2302\u2022", "\x01\x7F\x07"},
      {"Cyrillic DOS page too", 866, u"\u2665\u25BC", "\x03\x1F"},
      {"the page's own pilcrow and section sign win", 850, u"\u00B6\u00A7", "\xF4\xF5"},
      {"only the DOS pages", 1252, u"\u263A", "?"},
  };
  for (const auto &c : cases) EXPECT_EQ(fromUtf16(c.text, c.cp), c.bytes) << c.name;
  EXPECT_EQ(controlGlyph(437, 0x0D), u'\u266A');
  EXPECT_EQ(controlGlyph(437, 0), 0);
  EXPECT_EQ(controlGlyph(437, 'A'), 0);
  EXPECT_EQ(controlGlyph(1252, 0x0D), 0);
}

TEST(CodePageTables, ShiftJisWritesWhatWindowsWrites) {
  struct Case {
    const char *name;
    char16_t u;
    std::string bytes;
  } cases[] = {
      // Characters Shift-JIS lacks, written as their look-alikes.
      {"cent", 0x00A2, "\x81\x91"},
      {"pound", 0x00A3, "\x81\x92"},
      {"yen", 0x00A5, "\x5C"},
      {"not", 0x00AC, "\x81\xCA"},
      {"em dash", 0x2014, "\x81\x5C"},
      {"double vertical line", 0x2016, "\x81\x61"},
      {"overline", 0x203E, "\x7E"},
      {"minus", 0x2212, "\x81\x7C"},
      {"wave dash", 0x301C, "\x81\x60"},
      // IBM extensions: rows FA..FC, not the NEC-selected copies in ED/EE.
      {"small roman one", 0x2170, "\xFA\x40"},
      {"ideograph in both", 0x7E8A, "\xFA\x5C"},
      {"fullwidth quotation mark", 0xFF02, "\xFA\x57"},
      {"fullwidth apostrophe", 0xFF07, "\xFA\x56"},
      {"fullwidth broken bar", 0xFFE4, "\xFA\x55"},
      // NEC row 13 and JIS X 0208 go before the IBM rows.
      {"roman one", 0x2160, "\x87\x54"},
      {"fullwidth not", 0xFFE2, "\x81\xCA"},
      {"because", 0x2235, "\x81\xE6"},
      {"approximately equal", 0x2252, "\x81\xE0"},
  };
  for (const auto &c : cases) {
    std::string out;
    bool usedDefault = true;
    ASSERT_TRUE(tryFromUtf16(932, std::u16string(1, c.u), out, &usedDefault));
    EXPECT_EQ(out, c.bytes) << c.name;
    EXPECT_FALSE(usedDefault) << c.name;
  }
  // Both copies still read as the same character.
  EXPECT_EQ(toUtf16("\xED\x40\xFA\x5C", 932), u"\u7E8A\u7E8A");
  EXPECT_EQ(toUtf16("\x81\x5C\x81\x60", 932), u"\u2015\uFF5E");
}

// Every UTF-16 unit is written as iconv writes it. Where iconv writes
// nothing, the unit is "?" or what is written reads back as the same text:
// Windows has places iconv lacks (the C1 controls and private use places of
// undefined bytes, Shift-JIS 0x80, 0xA0, 0xFD..0xFF, the control pictures of
// the DOS pages), and a letter with marks may be written as its parts where
// iconv knows only the Vietnamese and Hebrew ones (the Angstrom sign as A
// with ring, Greek letters with oxia as those with tonos).
void expectWritingAsIconv(const IconvPage &page, std::u16string_view iconvWrong = {}) {
  Iconv enc(page.name, "UTF-16LE");
  ASSERT_TRUE(enc.ok()) << page.name;
  std::ostringstream wrong;
  int wrongCount = 0;
  for (int u = 1; u < 0x10000; ++u) {
    if (u >= 0xD800 && u <= 0xDFFF) continue;
    const std::u16string text(1, static_cast<char16_t>(u));
    const std::string ours = fromUtf16(text, page.cp);
    const auto theirs = enc.run(le(static_cast<char16_t>(u)));
    bool ok;
    if (theirs && iconvWrong.find(static_cast<char16_t>(u)) == std::u16string_view::npos) ok = ours == *theirs;
    else
      ok = ours == "?" || composeW(toUtf16(ours, page.cp)) == composeW(text) ||
           controlGlyph(page.cp, static_cast<std::uint8_t>(ours[0])) == u;
    if (!ok && ++wrongCount <= 8) wrong << std::hex << " U+" << u;
  }
  EXPECT_EQ(wrongCount, 0) << page.cp << ":" << wrong.str();
}

TEST(CodePageTables, SingleBytePagesWriteWhatIconvWrites) {
  for (const auto &page : kSingleBytePages) {
    // iconv writes O with tilde and acute or diaeresis (and U with tilde
    // and acute) as O-acute or O-diaeresis and a tilde: the marks in the
    // other order, another letter. They are written as base, tilde, mark.
    expectWritingAsIconv(page, page.cp == 1258 ? u"\u1E4C\u1E4D\u1E4E\u1E4F\u1E78\u1E79" : u"");
  }
}

TEST(CodePageTables, DoubleBytePagesWriteWhatIconvWrites) {
  const IconvPage pages[] = {{932, "CP932"}, {936, "CP936"}, {949, "CP949"}, {950, "CP950"}, {1361, "JOHAB"}};
  for (const auto &page : pages) expectWritingAsIconv(page);
}

TEST(CodePage, LettersThePageLacksAreWrittenAsTheirParts) {
  struct Case {
    const char *name;
    int cp;
    std::u16string text;
    std::string plain;    // fromUtf16
    std::string composed; // tryFromUtf16Composed
  } cases[] = {
      {"e with circumflex and dot below", 1258, u"Vi\u1EC7t", "Vi\xEA\xF2t", "Vi\xEA\xF2t"},
      {"a with breve and hook above", 1258, u"\u1EB2", "\xC3\xD2", "\xC3\xD2"},
      {"shin with shin dot", 1255, u"\uFB2A", "\xF9\xD1", "\xF9\xD1"},
      {"a tone mark that stands for the acute", 1258, u"a\u0341", "a\xEC", "\xE1"},
      {"a part missing: plain writes ?, composed leaves the mark out", 1252, u"\u01DF", "?", "\xE4"},
      {"a character standing for another alone stays unwritten", 1252, u"\u212A", "?", "?"},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(fromUtf16(c.text, c.cp), c.plain) << c.name;
    std::string out;
    ASSERT_TRUE(tryFromUtf16Composed(c.cp, c.text, out)) << c.name;
    EXPECT_EQ(out, c.composed) << c.name;
  }
}

TEST(CodePage, ComposedWriting) {
  struct Case {
    const char *name;
    int cp;
    std::u16string text;
    std::string bytes;
    bool usedDefault;
  } cases[] = {
      {"letter the page lacks: base and mark", 1258, u"Vi\u00EA\u0323t", "Vi\xEA\xF2t", false},
      {"decomposed in canonical order", 1258, u"e\u0323\u0302", "\xEA\xF2", false},
      {"composed where the page has it", 1252, u"e\u0301", "\xE9", false},
      {"also in the Vietnamese page", 1258, u"e\u0301", "\xE9", false},
      {"a mark the page lacks is left out, the base kept", 1252, u"a\u0323", "a", false},
      {"marks joined one by one", 1252, u"a\u0308\u0301", "\xE4", false},
      {"a mark kept apart blocks one of its class", 1258, u"e\u0309\u0302", "e\xD2", false},
      {"a mark at the start", 1258, u"\u0301a",
       "\xEC"
       "a",
       false},
      {"a mark at the start the page lacks", 1252, u"\u0301a", "a", false},
      {"base the page lacks", 1252, u"\u0416\u0301", "?", true},
      {"a surrogate pair and its mark", 1252, u"\U0001F600\u0301x", "?x", true},
      {"UTF-8 as it is", CP_UTF8, u"e\u0301", "e\xCC\x81", false},
  };
  for (const auto &c : cases) {
    std::string out;
    bool usedDefault = !c.usedDefault;
    ASSERT_TRUE(tryFromUtf16Composed(c.cp, c.text, out, &usedDefault)) << c.name;
    EXPECT_EQ(out, c.bytes) << c.name;
    EXPECT_EQ(usedDefault, c.usedDefault) << c.name;
  }
  std::string out;
  EXPECT_FALSE(tryFromUtf16Composed(12345, u"a", out));
}

} // namespace
