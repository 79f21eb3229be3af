#include "platform/GraphemeClusters.h"

#include <unicode/ubrk.h>

#include <QChar>
#include <algorithm>
#include <memory>

namespace kc {

namespace {

// How far the line breaker's searches around one place read; the longest
// ZWJ family sequences are about 20 units.
constexpr size_t kWindow = 64;

// ICU's character break iterator: the extended grapheme clusters of the
// Unicode text segmentation rules, the same for every script. Qt's own
// finder tailors clusters to syllables in Indic and South-East Asian script
// runs, and such a run takes in the spaces, emoji and marks that follow
// its letters: there it splits surrogate pairs and marks from their
// letters, and whether it does depends on how much text before it was read.
// One iterator per thread, opened once; setting its text copies nothing.
struct Iterator {
  UBreakIterator *it = nullptr;
  Iterator() {
    UErrorCode status = U_ZERO_ERROR;
    it = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
    if (U_FAILURE(status)) it = nullptr;
  }
  ~Iterator() {
    if (it) ubrk_close(it);
  }
  Iterator(const Iterator &) = delete;
  Iterator &operator=(const Iterator &) = delete;
};

// The iterator over Text, or null when ICU has none (every code point is a
// cluster then).
UBreakIterator *iteratorOn(std::u16string_view Text) {
  thread_local Iterator one;
  if (!one.it) return nullptr;
  UErrorCode status = U_ZERO_ERROR;
  ubrk_setText(one.it, reinterpret_cast<const UChar *>(Text.data()), int32_t(Text.size()), &status);
  return U_FAILURE(status) ? nullptr : one.it;
}

bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool insidePair(std::u16string_view Text, size_t Pos) {
  return Pos > 0 && Pos < Text.size() && isHigh(Text[Pos - 1]) && isLow(Text[Pos]);
}

bool isVariationSelector(char32_t c) { return (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF); }

// Below U+0300 nothing combines, joins or prepends: every place between two
// such characters is a boundary, but for CR LF. Most text is that, and
// needs no iterator.
bool plain(char16_t c) { return c < 0x300; }
bool plainPair(char16_t Before, char16_t After) {
  return plain(Before) && plain(After) && !(Before == u'\r' && After == u'\n');
}

// Where a window of the text around From starts: before a plain ASCII
// character that follows a plain character other than a carriage return
// (nothing combines with or attaches to those), so a cluster surely starts
// there. Otherwise kWindow units before From, inside the text at an
// arbitrary place.
size_t windowStart(std::u16string_view Text, size_t From) {
  const size_t lo = From > kWindow ? From - kWindow : 0;
  for (size_t i = From; i > lo; --i) {
    const char16_t c = Text[i];
    if (c >= 0x20 && c < 0x7F && Text[i - 1] != u'\r' && plain(Text[i - 1])) return i;
  }
  // Not between the halves of a pair.
  return lo + (insidePair(Text, lo) ? 1 : 0);
}

// The largest boundary at or before Pos (0 < Pos < size), the whole text read.
size_t exactStartAtOrBefore(std::u16string_view Text, size_t Pos) {
  if (plainPair(Text[Pos - 1], Text[Pos])) return Pos;
  // ICU takes a place inside a pair for the pair's start.
  if (insidePair(Text, Pos) && --Pos == 0) return 0;
  UBreakIterator *it = iteratorOn(Text);
  if (!it) return Pos;
  if (ubrk_isBoundary(it, int32_t(Pos))) return Pos;
  const int32_t p = ubrk_preceding(it, int32_t(Pos));
  return p == UBRK_DONE ? 0 : size_t(p);
}

// The smallest boundary after Pos (Pos < size), the whole text read.
size_t exactEndAfter(std::u16string_view Text, size_t Pos) {
  if (Pos + 1 == Text.size() || plainPair(Text[Pos], Text[Pos + 1])) return Pos + 1;
  UBreakIterator *it = iteratorOn(Text);
  if (!it) return Pos + (insidePair(Text, Pos + 1) ? 2 : 1);
  const int32_t p = ubrk_following(it, int32_t(Pos));
  return p == UBRK_DONE ? Text.size() : size_t(p);
}

// The same within a window of about kWindow units around Pos: a cluster
// longer than that is cut where the window starts or ends.
size_t windowStartAtOrBefore(std::u16string_view Text, size_t Pos) {
  if (plainPair(Text[Pos - 1], Text[Pos])) return Pos;
  const size_t from = windowStart(Text, Pos);
  if (from == Pos) return Pos;
  // The boundary at Pos depends on the code point at Pos, a pair at most.
  const size_t to = std::min(Text.size(), Pos + 2);
  return from + exactStartAtOrBefore(Text.substr(from, to - from), Pos - from);
}

size_t windowEndAfter(std::u16string_view Text, size_t Pos) {
  if (Pos + 1 == Text.size() || plainPair(Text[Pos], Text[Pos + 1])) return Pos + 1;
  const size_t from = windowStart(Text, Pos);
  size_t to = std::min(Text.size(), Pos + kWindow);
  if (insidePair(Text, to)) ++to;
  return from + exactEndAfter(Text.substr(from, to - from), Pos - from);
}

} // namespace

std::vector<int> GraphemeBoundaryList(std::u16string_view Text) {
  std::vector<int> out{0};
  if (Text.empty()) return out;
  if (std::all_of(Text.begin(), Text.end(), plain)) {
    for (size_t i = 1; i <= Text.size(); ++i)
      if (i == Text.size() || plainPair(Text[i - 1], Text[i])) out.push_back(int(i));
    return out;
  }
  UBreakIterator *it = iteratorOn(Text);
  if (!it) {
    for (size_t i = 1; i <= Text.size(); ++i)
      if (!insidePair(Text, i)) out.push_back(int(i));
    return out;
  }
  ubrk_first(it);
  for (int32_t p = ubrk_next(it); p != UBRK_DONE && size_t(p) <= Text.size(); p = ubrk_next(it)) out.push_back(int(p));
  if (out.back() != int(Text.size())) out.push_back(int(Text.size()));
  return out;
}

std::vector<bool> GraphemeBoundaries(std::u16string_view Text) {
  std::vector<bool> r(Text.size() + 1, false);
  for (const int p : GraphemeBoundaryList(Text)) r[size_t(p)] = true;
  return r;
}

bool IsGraphemeBoundary(std::u16string_view Text, size_t Pos) {
  if (Pos == 0 || Pos >= Text.size()) return true;
  return exactStartAtOrBefore(Text, Pos) == Pos;
}

size_t NextGraphemeBoundary(std::u16string_view Text, size_t Pos) {
  if (Pos >= Text.size()) return Text.size();
  return exactEndAfter(Text, Pos);
}

size_t PrevGraphemeBoundary(std::u16string_view Text, size_t Pos) {
  if (Pos > Text.size()) return Text.size();
  if (Pos <= 1) return 0;
  return exactStartAtOrBefore(Text, Pos - 1);
}

int GraphemeStartAtOrBefore(std::u16string_view Text, int Pos) {
  const int len = int(Text.size());
  Pos = std::clamp(Pos, 0, len);
  if (Pos == 0 || Pos == len) return Pos;
  return int(windowStartAtOrBefore(Text, size_t(Pos)));
}

int GraphemeEndAfter(std::u16string_view Text, int Pos) {
  const int len = int(Text.size());
  Pos = std::clamp(Pos, 0, len);
  if (Pos >= len) return len;
  return int(windowEndAfter(Text, size_t(Pos)));
}

bool SurelyStartsCluster(char16_t Before, char16_t At) {
  if (plain(Before) && plain(At)) return Before != u'\r';
  const auto hangul = [](char16_t c) {
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0xA960 && c <= 0xA97F) || (c >= 0xAC00 && c <= 0xD7FF);
  };
  if (hangul(Before) || hangul(At) || Before == 0x0D4E || Before == u'\r') return false;
  switch (QChar::category(Before)) {
  case QChar::Other_Format:
  case QChar::Other_Surrogate:
  case QChar::Other_NotAssigned:
  case QChar::Other_PrivateUse:
  // A virama joins the consonant after it in newer rules.
  case QChar::Mark_NonSpacing:
  case QChar::Mark_SpacingCombining: return false;
  default: break;
  }
  // The spacing vowels of Thai and Lao and the halfwidth sound marks are
  // letters that join the cluster before them.
  if (At == 0x0E33 || At == 0x0EB3 || At == 0xFF9E || At == 0xFF9F) return false;
  switch (QChar::category(At)) {
  case QChar::Letter_Uppercase:
  case QChar::Letter_Lowercase:
  case QChar::Letter_Titlecase:
  case QChar::Letter_Other:
  case QChar::Letter_Modifier:
  case QChar::Number_DecimalDigit:
  case QChar::Number_Letter:
  case QChar::Number_Other:
  case QChar::Punctuation_Connector:
  case QChar::Punctuation_Dash:
  case QChar::Punctuation_Open:
  case QChar::Punctuation_Close:
  case QChar::Punctuation_InitialQuote:
  case QChar::Punctuation_FinalQuote:
  case QChar::Punctuation_Other:
  case QChar::Separator_Space: return true;
  default: return false;
  }
}

size_t BackspaceDeleteStart(std::u16string_view Text, size_t Pos) {
  if (Pos > Text.size()) Pos = Text.size();
  const size_t start = PrevGraphemeBoundary(Text, Pos);
  if (Pos - start < 2) return start;
  // The last code point of the cluster.
  size_t last = Pos - 1;
  char32_t c = Text[last];
  if (isLow(Text[last]) && last > start && isHigh(Text[last - 1])) {
    --last;
    c = QChar::surrogateToUcs4(Text[last], Text[last + 1]);
  }
  if (last == start) return start;
  const QChar::Category cat = QChar::category(c);
  const bool mark = cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining;
  return mark && !isVariationSelector(c) ? last : start;
}

} // namespace kc
