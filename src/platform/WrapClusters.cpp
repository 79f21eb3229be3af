#include "platform/WrapClusters.h"

#include <QString>
#include <QTextBoundaryFinder>
#include <algorithm>

namespace kc {

namespace {

// Clusters longer than this (in UTF-16 units) are cut at this distance from
// the place asked about; the longest ZWJ family sequences are about 20.
constexpr int kWindow = 64;

QString ToQString(std::u16string_view Text) {
  return QString(reinterpret_cast<const QChar *>(Text.data()), static_cast<qsizetype>(Text.size()));
}

// A window of the text around [From, To), starting where a cluster surely
// starts: before a plain ASCII character that follows a character other than
// a carriage return (nothing combines with or attaches to those).
int SafeWindowStart(std::u16string_view Text, int From) {
  const int lo = std::max(0, From - kWindow);
  for (int i = From; i > lo; --i) {
    const char16_t c = Text[static_cast<size_t>(i)];
    if (c >= 0x20 && c < 0x7F && Text[static_cast<size_t>(i - 1)] != u'\r' &&
        Text[static_cast<size_t>(i - 1)] < 0x300)
      return i;
  }
  return lo;
}

// Below U+0300 nothing combines, joins or prepends: every place between two
// such characters is a boundary, but for CR LF. Most text is that, and
// needs no finder.
bool Plain(char16_t c) { return c < 0x300; }
bool PlainPair(char16_t Before, char16_t After) {
  return Plain(Before) && Plain(After) && !(Before == u'\r' && After == u'\n');
}

} // namespace

std::vector<int> WrapClusterBoundaries(std::u16string_view Text) {
  std::vector<int> out;
  out.push_back(0);
  if (Text.empty()) return out;
  if (std::all_of(Text.begin(), Text.end(), Plain)) {
    for (size_t i = 1; i <= Text.size(); ++i)
      if (i == Text.size() || PlainPair(Text[i - 1], Text[i])) out.push_back(static_cast<int>(i));
    return out;
  }
  const QString s = ToQString(Text);
  QTextBoundaryFinder f(QTextBoundaryFinder::Grapheme, s);
  f.setPosition(0);
  for (qsizetype p = f.toNextBoundary(); p > 0; p = f.toNextBoundary()) out.push_back(static_cast<int>(p));
  if (out.back() != static_cast<int>(Text.size())) out.push_back(static_cast<int>(Text.size()));
  return out;
}

int WrapClusterStartAtOrBefore(std::u16string_view Text, int Pos) {
  const int len = static_cast<int>(Text.size());
  Pos = std::clamp(Pos, 0, len);
  if (Pos == 0 || Pos == len) return Pos;
  if (PlainPair(Text[static_cast<size_t>(Pos - 1)], Text[static_cast<size_t>(Pos)])) return Pos;
  const int from = SafeWindowStart(Text, Pos);
  const int to = std::min(len, Pos + 2);
  const QString s = ToQString(Text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from)));
  QTextBoundaryFinder f(QTextBoundaryFinder::Grapheme, s);
  f.setPosition(Pos - from);
  if (f.isAtBoundary()) return Pos;
  const qsizetype p = f.toPreviousBoundary();
  return p < 0 ? from : from + static_cast<int>(p);
}

int WrapClusterEndAfter(std::u16string_view Text, int Pos) {
  const int len = static_cast<int>(Text.size());
  Pos = std::clamp(Pos, 0, len);
  if (Pos >= len) return len;
  if (Pos + 1 == len || PlainPair(Text[static_cast<size_t>(Pos)], Text[static_cast<size_t>(Pos + 1)]))
    return Pos + 1;
  const int from = SafeWindowStart(Text, Pos);
  const int to = std::min(len, Pos + kWindow);
  const QString s = ToQString(Text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from)));
  QTextBoundaryFinder f(QTextBoundaryFinder::Grapheme, s);
  f.setPosition(Pos - from);
  const qsizetype p = f.toNextBoundary();
  return p < 0 ? to : from + static_cast<int>(p);
}

} // namespace kc
