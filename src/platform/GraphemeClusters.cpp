#include "platform/GraphemeClusters.h"

#include <QChar>
#include <QTextBoundaryFinder>
#include <algorithm>

namespace kc {

namespace {

// How far the searches around one place read; the longest ZWJ family
// sequences are about 20 units.
constexpr size_t kWindow = 64;

QTextBoundaryFinder finderOf(std::u16string_view Text) {
  return QTextBoundaryFinder(QTextBoundaryFinder::Grapheme, reinterpret_cast<const QChar *>(Text.data()),
                             qsizetype(Text.size()));
}

bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool isVariationSelector(char32_t c) { return (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF); }

// Below U+0300 nothing combines, joins or prepends: every place between two
// such characters is a boundary, but for CR LF. Most text is that, and
// needs no finder.
bool plain(char16_t c) { return c < 0x300; }
bool plainPair(char16_t Before, char16_t After) {
  return plain(Before) && plain(After) && !(Before == u'\r' && After == u'\n');
}

// Where a window of the text around From starts: before a plain ASCII
// character that follows a plain character other than a carriage return
// (nothing combines with or attaches to those), so a cluster surely starts
// there. *Sure is false when none lies within kWindow units and the window
// starts inside the text at an arbitrary place.
size_t windowStart(std::u16string_view Text, size_t From, bool *Sure) {
  const size_t lo = From > kWindow ? From - kWindow : 0;
  for (size_t i = From; i > lo; --i) {
    const char16_t c = Text[i];
    if (c >= 0x20 && c < 0x7F && Text[i - 1] != u'\r' && plain(Text[i - 1])) {
      *Sure = true;
      return i;
    }
  }
  *Sure = lo == 0;
  return lo;
}

// The largest boundary at or before Pos (0 < Pos < size). With Exact false a
// cluster longer than the window is cut where the window starts.
size_t startAtOrBefore(std::u16string_view Text, size_t Pos, bool Exact) {
  if (plainPair(Text[Pos - 1], Text[Pos])) return Pos;
  bool sure = false;
  size_t from = windowStart(Text, Pos, &sure);
  // The boundary at Pos depends on the code point at Pos, a pair at most.
  size_t to = std::min(Text.size(), Pos + 2);
  if (Exact && !sure) from = 0, to = Text.size();
  QTextBoundaryFinder f = finderOf(Text.substr(from, to - from));
  f.setPosition(qsizetype(Pos - from));
  if (f.isAtBoundary()) return Pos;
  const qsizetype p = f.toPreviousBoundary();
  return p < 0 ? from : from + size_t(p);
}

// The smallest boundary after Pos (Pos < size). With Exact false a cluster
// longer than the window is cut where the window ends.
size_t endAfter(std::u16string_view Text, size_t Pos, bool Exact) {
  if (Pos + 1 == Text.size() || plainPair(Text[Pos], Text[Pos + 1])) return Pos + 1;
  bool sure = false;
  size_t from = windowStart(Text, Pos, &sure);
  size_t to = std::min(Text.size(), Pos + kWindow);
  for (;;) {
    if (Exact && !sure) from = 0, to = Text.size();
    QTextBoundaryFinder f = finderOf(Text.substr(from, to - from));
    f.setPosition(qsizetype(Pos - from));
    const qsizetype p = f.toNextBoundary();
    const size_t r = p < 0 ? to : from + size_t(p);
    // The window's end is a boundary of the window only.
    if (!Exact || r < to || to == Text.size()) return r;
    sure = false;
  }
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
  QTextBoundaryFinder f = finderOf(Text);
  for (qsizetype p = f.toNextBoundary(); p > 0 && size_t(p) <= Text.size(); p = f.toNextBoundary())
    out.push_back(int(p));
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
  return startAtOrBefore(Text, Pos, true) == Pos;
}

size_t NextGraphemeBoundary(std::u16string_view Text, size_t Pos) {
  if (Pos >= Text.size()) return Text.size();
  return endAfter(Text, Pos, true);
}

size_t PrevGraphemeBoundary(std::u16string_view Text, size_t Pos) {
  if (Pos > Text.size()) return Text.size();
  if (Pos <= 1) return 0;
  return startAtOrBefore(Text, Pos - 1, true);
}

int GraphemeStartAtOrBefore(std::u16string_view Text, int Pos) {
  const int len = int(Text.size());
  Pos = std::clamp(Pos, 0, len);
  if (Pos == 0 || Pos == len) return Pos;
  return int(startAtOrBefore(Text, size_t(Pos), false));
}

int GraphemeEndAfter(std::u16string_view Text, int Pos) {
  const int len = int(Text.size());
  Pos = std::clamp(Pos, 0, len);
  if (Pos >= len) return len;
  return int(endAfter(Text, size_t(Pos), false));
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
