#pragma once
// Grapheme clusters of UTF-16 text: the pieces a reader takes as one
// character (a letter with its marks, a surrogate pair, an emoji sequence
// joined by ZWJ or carrying a skin tone, a flag's two regional indicators,
// a Hangul syllable written as jamo). The caret stops, Backspace and Delete
// remove, and a selection ends only at their boundaries; a line cut inside
// a word that has no break opportunity falls on one of them too. Qt's text
// boundary finder gives the desktop's rules.
//
// Positions are 0-based UTF-16 indexes; 0 and the text's size are always
// boundaries. A lone surrogate is a cluster of its own. Text below U+0300
// needs no finder, and the searches around one place read only the text
// near it, so long paragraphs cost no more.
#include <cstddef>
#include <string_view>
#include <vector>

namespace kc {

// Size() + 1 flags: whether each position is a cluster boundary.
std::vector<bool> GraphemeBoundaries(std::u16string_view Text);
// Every cluster boundary of Text in increasing order, 0 and the size
// included (only 0 for empty text).
std::vector<int> GraphemeBoundaryList(std::u16string_view Text);
bool IsGraphemeBoundary(std::u16string_view Text, size_t Pos);
// The first boundary after Pos (the size at the end), and the last one
// before Pos (0 at the start).
size_t NextGraphemeBoundary(std::u16string_view Text, size_t Pos);
size_t PrevGraphemeBoundary(std::u16string_view Text, size_t Pos);
// The line breaker's searches: the largest boundary at or before Pos (Pos
// is cut to 0 .. size) and the smallest one after Pos (the size when none
// is left). Unlike the ones above, a cluster longer than 64 units is cut
// 64 units from Pos, so that a run of thousands of marks still formats in
// linear time.
int GraphemeStartAtOrBefore(std::u16string_view Text, int Pos);
int GraphemeEndAfter(std::u16string_view Text, int Pos);
// Whether a cluster surely starts between the units Before and At,
// whatever text comes before Before: At is a letter, digit, punctuation or
// space that joins nothing before it, and Before is none of the characters
// that attach to what follows (prefixed marks, joiners, Hangul jamo,
// surrogates). Clusters on either side of such a place are found from the
// text on that side alone.
bool SurelyStartsCluster(char16_t Before, char16_t At);
// Where Backspace at the boundary Pos starts deleting: the start of the
// cluster before Pos, except that a cluster ending in a combining mark
// loses only that mark (a writer takes back an accent or a Thai tone mark
// without retyping the letter). Emoji modifiers, variation selectors and
// enclosing marks never go alone.
size_t BackspaceDeleteStart(std::u16string_view Text, size_t Pos);

} // namespace kc
