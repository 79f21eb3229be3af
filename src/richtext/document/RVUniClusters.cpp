#include "richtext/document/RVUniClusters.h"

#include <algorithm>

#include "platform/GraphemeClusters.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

// Units read around a piece so that its clusters are found as in the whole
// text, without reading a whole long paragraph for every caret line.
constexpr int kContext = 1024;

int unitCount(const std::string &Text) { return int(Text.size() / 2); }

// The UTF-16 text of units [From, To) (0-based).
std::u16string unitsOf(const std::string &Text, int From, int To) {
  std::u16string r;
  r.reserve(size_t(std::max(0, To - From)));
  for (int i = From; i < To; ++i) r += UnitAt(Text, size_t(i));
  return r;
}

} // namespace

std::vector<bool> ItemCharBoundaries(const std::string &Text, int Offs, int Length, uint8_t Options) {
  std::vector<bool> r(size_t(std::max(0, Length)) + 1, true);
  if (!IsUnicodeOptions(Options) || Length < 2) return r;
  const int n = unitCount(Text);
  const int first = std::clamp(Offs - 1, 0, n);
  const int last = std::clamp(first + Length, first, n);
  const int from = std::max(0, first - kContext), to = std::min(n, last + kContext);
  const std::vector<bool> b = GraphemeBoundaries(unitsOf(Text, from, to));
  for (int i = 1; i < Length && first + i < last; ++i) r[size_t(i)] = b[size_t(first + i - from)];
  return r;
}

int PrevCharBoundary(const std::string &Text, int Offs, uint8_t Options) {
  if (!IsUnicodeOptions(Options)) return std::max(1, Offs - 1);
  const int n = unitCount(Text);
  const int p = std::clamp(Offs - 1, 0, n);
  const int from = std::max(0, p - kContext), to = std::min(n, p + kContext);
  return from + int(PrevGraphemeBoundary(unitsOf(Text, from, to), size_t(p - from))) + 1;
}

int NextCharBoundary(const std::string &Text, int Offs, uint8_t Options) {
  if (!IsUnicodeOptions(Options)) return Offs + 1;
  const int n = unitCount(Text);
  const int p = std::clamp(Offs - 1, 0, n);
  const int from = std::max(0, p - kContext), to = std::min(n, p + kContext);
  return from + int(NextGraphemeBoundary(unitsOf(Text, from, to), size_t(p - from))) + 1;
}

int CharBoundaryAtOrBefore(const std::string &Text, int Offs, uint8_t Options) {
  if (!IsUnicodeOptions(Options)) return Offs;
  const int n = unitCount(Text);
  const int p = std::clamp(Offs - 1, 0, n);
  const int from = std::max(0, p - kContext), to = std::min(n, p + kContext);
  const std::u16string u = unitsOf(Text, from, to);
  const size_t at = size_t(p - from);
  if (IsGraphemeBoundary(u, at)) return Offs;
  return from + int(PrevGraphemeBoundary(u, at)) + 1;
}

int BackspaceStartOffs(const std::string &Text, int Offs, uint8_t Options) {
  if (!IsUnicodeOptions(Options)) return std::max(1, Offs - 1);
  const int n = unitCount(Text);
  const int p = std::clamp(Offs - 1, 0, n);
  const int from = std::max(0, p - kContext);
  return from + int(BackspaceDeleteStart(unitsOf(Text, from, p), size_t(p - from))) + 1;
}

} // namespace kc
