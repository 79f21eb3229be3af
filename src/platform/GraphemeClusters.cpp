#include "platform/GraphemeClusters.h"

#include <QChar>
#include <QTextBoundaryFinder>

namespace kc {

namespace {

QTextBoundaryFinder finderOf(std::u16string_view Text) {
  return QTextBoundaryFinder(QTextBoundaryFinder::Grapheme, reinterpret_cast<const QChar *>(Text.data()),
                             qsizetype(Text.size()));
}

bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool isVariationSelector(char32_t c) { return (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF); }

} // namespace

std::vector<bool> GraphemeBoundaries(std::u16string_view Text) {
  std::vector<bool> r(Text.size() + 1, false);
  r.front() = r.back() = true;
  if (Text.empty()) return r;
  QTextBoundaryFinder f = finderOf(Text);
  for (qsizetype p = f.toNextBoundary(); p > 0 && size_t(p) <= Text.size(); p = f.toNextBoundary()) r[size_t(p)] = true;
  return r;
}

bool IsGraphemeBoundary(std::u16string_view Text, size_t Pos) {
  if (Pos == 0 || Pos >= Text.size()) return true;
  QTextBoundaryFinder f = finderOf(Text);
  f.setPosition(qsizetype(Pos));
  return f.isAtBoundary();
}

size_t NextGraphemeBoundary(std::u16string_view Text, size_t Pos) {
  if (Pos >= Text.size()) return Text.size();
  QTextBoundaryFinder f = finderOf(Text);
  f.setPosition(qsizetype(Pos));
  const qsizetype p = f.toNextBoundary();
  return p < 0 ? Text.size() : size_t(p);
}

size_t PrevGraphemeBoundary(std::u16string_view Text, size_t Pos) {
  if (Pos == 0) return 0;
  if (Pos > Text.size()) return Text.size();
  QTextBoundaryFinder f = finderOf(Text);
  f.setPosition(qsizetype(Pos));
  const qsizetype p = f.toPreviousBoundary();
  return p < 0 ? 0 : size_t(p);
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
