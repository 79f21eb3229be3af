#pragma once
// Character boundaries of item text: the grapheme clusters of UTF-16 text
// (a letter with its marks, an emoji sequence, a flag, a Hangul syllable),
// every byte of 8-bit text. Caret stops, hit tests, selection ends and
// deletions stand only on these.
#include <cstdint>
#include <string>
#include <vector>

namespace kc {

// Length + 1 flags for the characters Offs .. Offs + Length - 1 (1-based)
// of an item's text: flag i tells whether offset Offs + i is a boundary.
// The piece's own ends always are.
std::vector<bool> ItemCharBoundaries(const std::string &Text, int Offs, int Length, uint8_t Options);
// The boundary before or after the 1-based Offs of an item's text (1 and
// length + 1 at the ends).
int PrevCharBoundary(const std::string &Text, int Offs, uint8_t Options);
int NextCharBoundary(const std::string &Text, int Offs, uint8_t Options);
// The boundary at or before Offs.
int CharBoundaryAtOrBefore(const std::string &Text, int Offs, uint8_t Options);
// Where Backspace at Offs starts deleting (see BackspaceDeleteStart).
int BackspaceStartOffs(const std::string &Text, int Offs, uint8_t Options);

} // namespace kc
