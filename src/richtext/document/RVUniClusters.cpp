#include "richtext/document/RVUniClusters.h"

#include <algorithm>

#include "platform/GraphemeClusters.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

int unitCount(const std::string &Text) { return int(Text.size() / 2); }

// A copy of the units around places Lo .. Hi (0-based) of an item's text,
// from a place where a cluster surely starts (or the text's start) to the
// first such place after Hi (or the text's end): clusters found in it are
// those of the whole text, and a query costs the clusters it touches, not
// the paragraph's length.
struct Stretch {
  std::u16string units;
  int from = 0;
  size_t at(int Pos) const { return size_t(Pos - from); }
};

Stretch stretchAround(const std::string &Text, int Lo, int Hi) {
  const int n = unitCount(Text);
  Lo = std::clamp(Lo, 0, n);
  Hi = std::clamp(Hi, Lo, n);
  const auto sure = [&](int i) { return SurelyStartsCluster(UnitAt(Text, size_t(i - 1)), UnitAt(Text, size_t(i))); };
  int from = Lo;
  while (from > 0 && (from == n || !sure(from))) --from;
  int to = std::min(n, Hi + 1);
  while (to < n && !sure(to)) ++to;
  Stretch s;
  s.from = from;
  s.units.resize(size_t(to - from));
  for (int i = from; i < to; ++i) s.units[size_t(i - from)] = UnitAt(Text, size_t(i));
  return s;
}

} // namespace

std::vector<bool> ItemCharBoundaries(const std::string &Text, int Offs, int Length, uint8_t Options) {
  std::vector<bool> r(size_t(std::max(0, Length)) + 1, true);
  if (!IsUnicodeOptions(Options) || Length < 2) return r;
  const int n = unitCount(Text);
  const int first = std::clamp(Offs - 1, 0, n);
  const int last = std::clamp(first + Length, first, n);
  const Stretch s = stretchAround(Text, first, last);
  const std::vector<int> list = GraphemeBoundaryList(s.units);
  std::fill(r.begin() + 1, r.begin() + std::min(Length, last - first), false);
  for (const int b : list) {
    const int i = s.from + b - first;
    if (i > 0 && i < Length && first + i < last) r[size_t(i)] = true;
  }
  return r;
}

int PrevCharBoundary(const std::string &Text, int Offs, uint8_t Options) {
  if (!IsUnicodeOptions(Options)) return std::max(1, Offs - 1);
  const int p = std::clamp(Offs - 1, 0, unitCount(Text));
  const Stretch s = stretchAround(Text, std::max(0, p - 1), p);
  return s.from + int(PrevGraphemeBoundary(s.units, s.at(p))) + 1;
}

int NextCharBoundary(const std::string &Text, int Offs, uint8_t Options) {
  if (!IsUnicodeOptions(Options)) return Offs + 1;
  const int p = std::clamp(Offs - 1, 0, unitCount(Text));
  const Stretch s = stretchAround(Text, p, p);
  return s.from + int(NextGraphemeBoundary(s.units, s.at(p))) + 1;
}

int CharBoundaryAtOrBefore(const std::string &Text, int Offs, uint8_t Options) {
  if (!IsUnicodeOptions(Options)) return Offs;
  const int p = std::clamp(Offs - 1, 0, unitCount(Text));
  const Stretch s = stretchAround(Text, p, p);
  if (IsGraphemeBoundary(s.units, s.at(p))) return Offs;
  return s.from + int(PrevGraphemeBoundary(s.units, s.at(p))) + 1;
}

int BackspaceStartOffs(const std::string &Text, int Offs, uint8_t Options) {
  if (!IsUnicodeOptions(Options)) return std::max(1, Offs - 1);
  const int p = std::clamp(Offs - 1, 0, unitCount(Text));
  const Stretch s = stretchAround(Text, std::max(0, p - 1), p);
  return s.from + int(BackspaceDeleteStart(std::u16string_view(s.units).substr(0, s.at(p)), s.at(p))) + 1;
}

} // namespace kc
