#pragma once
// Grapheme clusters of UTF-16 text: the pieces a reader takes as one
// character (a letter with its marks, a surrogate pair, an emoji sequence
// joined by ZWJ or carrying a skin tone, a flag's two regional indicators,
// a Hangul syllable written as jamo). The caret stops, Backspace and Delete
// remove, and a selection ends only at their boundaries.
//
// Positions are 0-based UTF-16 indexes; 0 and the text's size are always
// boundaries. A lone surrogate is a cluster of its own.
#include <cstddef>
#include <string_view>
#include <vector>

namespace kc {

// Size() + 1 flags: whether each position is a cluster boundary.
std::vector<bool> GraphemeBoundaries(std::u16string_view Text);
bool IsGraphemeBoundary(std::u16string_view Text, size_t Pos);
// The first boundary after Pos (the size at the end), and the last one
// before Pos (0 at the start).
size_t NextGraphemeBoundary(std::u16string_view Text, size_t Pos);
size_t PrevGraphemeBoundary(std::u16string_view Text, size_t Pos);
// Where Backspace at the boundary Pos starts deleting: the start of the
// cluster before Pos, except that a cluster ending in a combining mark
// loses only that mark (a writer takes back an accent or a Thai tone mark
// without retyping the letter). Emoji modifiers, variation selectors and
// enclosing marks never go alone.
size_t BackspaceDeleteStart(std::u16string_view Text, size_t Pos);

} // namespace kc
