#pragma once
// The ANSI code page: the code page of all 8-bit text the program keeps or
// exchanges (datagrams, ini files, language files, 8-bit document text), and
// conversions between Windows code pages and UTF-16.
//
// The default is derived from the locale (LC_ALL, LC_MESSAGES, LANG) the way
// Windows picks the ANSI code page of a system locale; the environment
// variable KAVET_CODEPAGE (a number) overrides it.
//
// Conversions never fail as a whole: a byte or byte pair that a code page
// does not define, and a character that it cannot represent, become "?"
// one for one. Code page numbers are Windows numbers; 0 (CP_ACP) and 3
// (CP_THREAD_ACP) mean the ANSI code page, 1 (CP_OEMCP) and 2 (CP_MACCP)
// the OEM and Macintosh code pages that go with it, 65001 is UTF-8.
#include <cstdint>
#include <string>
#include <string_view>

namespace kc {

constexpr int CP_ACP = 0;
constexpr int CP_OEMCP = 1;
constexpr int CP_MACCP = 2;
constexpr int CP_THREAD_ACP = 3;
constexpr int CP_UTF8 = 65001;

// The ANSI code page in force (GetACP).
int ansiCodePage();
// Replaces the ANSI code page for the rest of the run (start-up and tests).
// An unsupported number is ignored and false returned.
bool setAnsiCodePage(int codePage);
// The ANSI code page Windows gives a locale name such as "ru_RU.UTF-8",
// "sr_RS@latin", "zh_TW" or "C"; 1252 when the language is not known.
int codePageOfLocale(std::string_view localeName);
// The OEM and Macintosh code pages that go with an ANSI code page.
int oemCodePageOf(int ansiCodePage);
int macCodePageOf(int ansiCodePage);
// The code page used for the text of a font with this charset when the text
// is drawn or measured (ANSI and default charsets use the ANSI code page;
// the symbol charset is drawn as Latin 1).
int codePageOfCharset(std::uint8_t charset);
// The code page of a national charset (Shift-JIS, Greek, Cyrillic ...); 0 for
// the charsets that have none of their own (ANSI, default, symbol, Mac, OEM).
int nationalCodePageOfCharset(std::uint8_t charset);

// 0..3 resolved to a real code page number.
int resolveCodePage(int codePage);
// Whether conversions for this code page are available.
bool isCodePageSupported(int codePage);
// Whether the byte starts a two-byte character in a double-byte code page.
bool isLeadByte(int codePage, std::uint8_t byte);

// 8-bit text of a code page to UTF-16. False (and out untouched) when the
// code page is not supported.
bool tryToUtf16(int codePage, std::string_view bytes, std::u16string &out);
// UTF-16 to 8-bit text of a code page. A letter the code page lacks is
// written as the letter and marks it is made of when the page has them all
// (Vietnamese letters with two marks). False when the code page is not
// supported. usedDefault, when given, tells whether any "?" was put in for
// a character the code page lacks.
bool tryFromUtf16(int codePage, std::u16string_view text, std::string &out, bool *usedDefault = nullptr);

// UTF-16 to 8-bit text the way document text is written: a base character
// and the non-spacing marks after it become one precomposed character where
// the code page has that character; otherwise base and marks are written one
// by one (a letter the page lacks taken apart first), and only a mark the
// code page lacks is left out. usedDefault tells
// whether a "?" was put in for a character that is not a mark.
bool tryFromUtf16Composed(int codePage, std::u16string_view text, std::string &out, bool *usedDefault = nullptr);

// The same with the ANSI code page taking over for unsupported code pages.
std::u16string toUtf16(std::string_view bytes, int codePage = CP_ACP);
std::string fromUtf16(std::u16string_view text, int codePage = CP_ACP);

// The picture a DOS code page shows for a control byte (1..31 and 127), as
// text read with glyph characters gets it; 0 for other bytes and pages.
// Writing a picture back gives its control byte where the page has no other
// place for that character.
char16_t controlGlyph(int codePage, std::uint8_t byte);

// UTF-8 conveniences (for Qt, file names and logs). Malformed UTF-8 gives
// U+FFFD per bad byte; unpaired surrogates give U+FFFD in UTF-8.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view text);
std::string ansiToUtf8(std::string_view bytes, int codePage = CP_ACP);
std::string utf8ToAnsi(std::string_view utf8, int codePage = CP_ACP);

// Case rules of the system locale, character by character (simple case
// mapping, so lengths never change; a character whose other case the code
// page lacks stays as it is).
std::string ansiUpperCase(std::string_view bytes, int codePage = CP_ACP);
std::string ansiLowerCase(std::string_view bytes, int codePage = CP_ACP);
std::u16string upperCaseW(std::u16string_view text);
// Composes base characters with the combining marks that follow them
// where a precomposed character exists (NFC).
std::u16string composeW(std::u16string_view text);
// Whether a UTF-16 unit is a non-spacing combining mark.
bool isNonSpacingMarkW(char16_t c);
// The system's letter-or-digit test of a UTF-16 unit.
bool isCharAlphaNumericW(char16_t c);

// Character boundaries in UTF-16 text (CharNextW / CharPrevW): a surrogate
// pair and a base character with the combining marks after it are one
// character. Positions are 0-based unit indexes, kept within 0..size.
size_t charNextW(std::u16string_view text, size_t pos);
size_t charPrevW(std::u16string_view text, size_t pos);

// Bidirectional character types (GetStringTypeEx, CT_CTYPE2).
constexpr int C2_NOTAPPLICABLE = 0, C2_LEFTTORIGHT = 1, C2_RIGHTTOLEFT = 2, C2_EUROPENUMBER = 3, C2_EUROPESEPARATOR = 4,
              C2_EUROPETERMINATOR = 5, C2_ARABICNUMBER = 6, C2_COMMONSEPARATOR = 7, C2_BLOCKSEPARATOR = 8,
              C2_SEGMENTSEPARATOR = 9, C2_WHITESPACE = 10, C2_OTHERNEUTRAL = 11;
int charType2W(char16_t c);
// The type of the character an 8-bit character stands for in a code page.
int charType2A(char byte, int codePage = CP_ACP);

// Locale comparison of two 8-bit texts, ignoring case: <0, 0, >0.
int ansiCompareText(std::string_view a, std::string_view b, int codePage = CP_ACP);
// Locale comparison, case counts.
int ansiCompareStr(std::string_view a, std::string_view b, int codePage = CP_ACP);

} // namespace kc
