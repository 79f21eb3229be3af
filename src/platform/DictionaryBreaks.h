#pragma once
// Line-break opportunities inside text of the scripts written without
// spaces between words (Thai, Lao, Khmer, Myanmar): there a line breaks
// between words, which only a dictionary knows. Qt's line breaker brings
// one (libthai for Thai); the line-break table of the text engine cannot.
#include <string_view>
#include <vector>

namespace kc {

// Whether Text holds a character of such a script.
bool NeedsDictionaryBreaks(std::u16string_view Text);
// The places 0 < p < size where a line may break before Text[p], in
// increasing order.
std::vector<int> DictionaryLineBreaks(std::u16string_view Text);

} // namespace kc
