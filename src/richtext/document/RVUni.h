#pragma once
// Text of items held as 8-bit text or as UTF-16 (two bytes a character,
// little-endian, in the same std::string), treated alike: counting, copying,
// measuring and fitting on a canvas, character placement for right-to-left
// and reordered scripts, code-page conversions, charsets, HTML encoding,
// capitals, and the line-break opportunity search.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CanvasTypes.h"

namespace kc {

// The UTF-16 bit of an item's option byte: the only bit these routines test.
constexpr uint8_t rvuniUnicodeBit = 8;
inline bool IsUnicodeOptions(uint8_t Options) { return (Options & rvuniUnicodeBit) != 0; }

// Whether the wide text calls of the canvas are used (always here); false
// takes the per-character fallbacks of systems without them.
extern bool RVNT;

// ------------------------------------------------------ text by character
// Index is 1-based; out-of-range indexes and counts are cut to the text.

int GetTextLength(const std::string &s, uint8_t Options);
std::string CopyChars(const std::string &s, int Index, int Count, uint8_t Options);
void DeleteChars(std::string &s, int Index, int Count, uint8_t Options);
void InsertChars(const std::string &Sub, std::string &s, int Index, uint8_t Options);
bool IsSpaceAt(const std::string &s, int Index, uint8_t Options);
// The first of the first Count UTF-16 units at P (little-endian bytes) equal
// to Char, or nullptr.
const char *StrScanW(const char *P, char16_t Char, int Count);
// The UTF-16 unit at a 0-based character index of raw UTF-16 text.
inline char16_t UnitAt(std::string_view raw, size_t i) {
  return static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                               (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
}

// ------------------------------------------------------------- measuring

int GetTextWidth(const std::string &s, TCanvas &Canvas, uint8_t Options);
// How many characters fit into MaxWidth and, when Extents is given, the
// extent after each character.
void GetTextFit(TCanvas &Canvas, const std::string &s, int MaxWidth, uint8_t Options, std::vector<int> *Extents,
                int &Fit);
// The same for Count characters at P (bytes, two a character for UTF-16).
void GetTextFit(TCanvas &Canvas, const char *P, int Count, int MaxWidth, uint8_t Options, std::vector<int> *Extents,
                int &Fit);
// Character positions of a right-to-left or reordered piece whose expected
// width is X: Positions gets count + 1 entries (pixels from the piece's left
// edge). False when the placement is not used.
bool GetCharPlacement(TCanvas &Canvas, const std::string &s, std::vector<int> &Positions, int X, uint8_t Options);
// Draws the logical characters First..Last (1-based) of a reordered piece at
// (X, Y) whose expected width is Width; false when the placement is not used.
bool DrawReorderedRange(int X, int Y, int Width, int Height, const std::string &s, TCanvas &Canvas, int First, int Last,
                        uint8_t Options);
// s in capitals when AllCaps (ANSI upper case, or the UTF-16 one when Unicode).
std::string ApplyAllCaps(const std::string &s, bool AllCaps, bool Unicode);

// ------------------------------------------------------------ code pages

// 8-bit text of a code page to raw UTF-16, with the control bytes of the DOS
// code pages as their pictures; a letter and a mark the page holds apart
// stay apart. The ANSI code page takes over for one that is not available,
// and "?" per byte when that fails too.
std::string AnsiToUnicode(int CodePage, const std::string &s);
// Raw UTF-16 to 8-bit text, a letter and its marks joined where the code
// page has the joined letter and written one by one otherwise; "?" for
// other characters the code page lacks, and a mark it lacks is left out. An
// odd byte count raises ERichVistaError "Can't perform Unicode operation".
std::string UnicodeToAnsi(int CodePage, const std::string &s);
int GetKeyboardCodePage();
std::string KeyboardAnsiToUnicode(const std::string &s);
std::string WideStringToRaw(std::u16string_view ws);
std::u16string RawToWideString(std::string_view raw);

constexpr uint16_t MakeLangID(uint16_t Primary, uint16_t Sub) { return static_cast<uint16_t>(Primary | (Sub << 10)); }
constexpr uint32_t MakeLCID(uint16_t LangID, uint16_t SortID) { return (static_cast<uint32_t>(SortID) << 16) | LangID; }
constexpr uint32_t LocaleOfLanguage(uint16_t Primary) { return MakeLCID(MakeLangID(Primary, 1), 0); }
int CharsetToCodePage(uint8_t Charset);
int CharsetToLanguage(uint8_t Charset);

// Raw UTF-16 text as HTML: "&#n;" from 128 up (one per character, also for
// a surrogate pair), "&", "<", ">" escaped and spaces kept visible unless
// RawText; an empty result is "&nbsp;" when NonEmpty.
std::string UnicodeToHtml(const std::string &s, bool NonEmpty, bool RawText);

// ------------------------------------------------------------ line breaks

enum TRVLineBreakClass : uint8_t {
  rvlbOP,
  rvlbCL,
  rvlbQU,
  rvlbGL,
  rvlbNS,
  rvlbEX,
  rvlbSY,
  rvlbIS,
  rvlbPR,
  rvlbPO,
  rvlbNU,
  rvlbAL,
  rvlbID,
  rvlbIN,
  rvlbHY,
  rvlbBA,
  rvlbBB,
  rvlbB2,
  rvlbZW,
  rvlbCM
};
uint8_t CharClassOf(char16_t c);
// 0 break allowed, 1 only with a space between, 2 no break.
uint8_t LineBreakPairAction(uint8_t Before, uint8_t After);
// Text[Index] is the first character that no longer fits: the index of the
// last character that stays on the line, or -1 when there is no opportunity
// (also for an Index outside the text).
int FindLineBreak(std::u16string_view Text, int Index);
// The same on raw UTF-16 (two bytes a character).
int FindLineBreakRaw(std::string_view Raw, int Index);

} // namespace kc
