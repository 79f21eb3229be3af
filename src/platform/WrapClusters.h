#pragma once
// Grapheme-cluster boundaries of UTF-16 text for the line breaker: a line
// cut inside a word that has no break opportunity still never splits a
// surrogate pair, a letter from its combining marks, a ZWJ sequence, a
// flag or a Hangul syllable written as jamo. Qt's text boundary finder
// gives the desktop's rules.
#include <string_view>
#include <vector>

namespace kc {

// Every cluster boundary of Text in increasing order, 0 and the length
// included (only 0 for empty text).
std::vector<int> WrapClusterBoundaries(std::u16string_view Text);
// The largest boundary at or before Pos (Pos is cut to 0 .. length).
// Only the text around Pos is read, so long paragraphs cost no more.
int WrapClusterStartAtOrBefore(std::u16string_view Text, int Pos);
// The smallest boundary after Pos (the length when none is left).
int WrapClusterEndAfter(std::u16string_view Text, int Pos);

} // namespace kc
