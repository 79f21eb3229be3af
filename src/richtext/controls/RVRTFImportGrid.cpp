// Rows of RTF cells to one rectangular grid of columns and spans.
#include "richtext/controls/RVRTFImportGrid.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

namespace kc {

namespace {

// A column edge: a boundary in pixels, or the n-th edge made right after it
// for cells without a usable boundary of their own (Extra n > 0).
struct Edge {
  int32_t Px = 0;
  int Extra = 0;
  bool operator<(const Edge &o) const { return Px != o.Px ? Px < o.Px : Extra < o.Extra; }
  bool operator==(const Edge &o) const { return Px == o.Px && Extra == o.Extra; }
};

// Boundaries within Tolerance pixels of the first of a run stand for it.
class EdgeSnap {
public:
  EdgeSnap(const std::vector<TRVRTFGridRowIn> &Rows, int64_t Tolerance) {
    std::vector<int32_t> all;
    for (const TRVRTFGridRowIn &row : Rows) {
      int32_t prev = 0;
      for (const TRVRTFGridCellIn &c : row)
        if (c.HasRight && c.Right > prev) {
          all.push_back(c.Right);
          prev = c.Right;
        }
    }
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    for (int32_t v : all) {
      const int32_t rep = !map_.empty() && int64_t(v) - map_.back().second <= Tolerance ? map_.back().second : v;
      map_.emplace_back(v, rep);
    }
  }
  int32_t operator()(int32_t v) const {
    auto it = std::lower_bound(map_.begin(), map_.end(), std::make_pair(v, INT32_MIN));
    return it != map_.end() && it->first == v ? it->second : v;
  }

private:
  std::vector<std::pair<int32_t, int32_t>> map_; // boundary, its edge
};

// The right edge of every cell of a row; strictly increasing.
std::vector<Edge> rowEdges(const TRVRTFGridRowIn &Row, const EdgeSnap &Snap) {
  std::vector<Edge> edges;
  edges.reserve(Row.size());
  Edge prev;
  for (const TRVRTFGridCellIn &c : Row) {
    const int32_t px = c.HasRight && c.Right > 0 ? Snap(c.Right) : 0;
    if (c.HasRight && px > prev.Px) prev = Edge{px, 0};
    else prev = Edge{prev.Px, prev.Extra + 1};
    edges.push_back(prev);
  }
  return edges;
}

} // namespace

TRVRTFGrid BuildRTFGrid(const std::vector<TRVRTFGridRowIn> &Rows) {
  TRVRTFGrid g;
  // Every cell of the grid is a document: rows that each bring boundaries
  // of their own must not make a grid many times the cells they hold. The
  // columns may be a few times the widest row; beyond that boundaries
  // snap together more coarsely.
  size_t widest = 1;
  for (const TRVRTFGridRowIn &row : Rows) widest = std::max(widest, row.size());
  const size_t allowed = std::max<size_t>(widest, std::min<size_t>(256, 4 * widest));
  std::vector<std::vector<Edge>> edges;
  std::vector<Edge> all;
  for (int64_t tolerance = 1;; tolerance *= 2) {
    const EdgeSnap snap(Rows, tolerance);
    edges.clear();
    all.clear();
    for (const TRVRTFGridRowIn &row : Rows) {
      edges.push_back(rowEdges(row, snap));
      all.insert(all.end(), edges.back().begin(), edges.back().end());
    }
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    if (all.size() <= allowed || tolerance > INT32_MAX) break;
  }
  g.Cols = int(all.size());
  g.ColWidths.resize(all.size());
  for (size_t c = 0; c < all.size(); ++c)
    g.ColWidths[c] = all[c].Extra == 0 ? all[c].Px - (c == 0 ? 0 : all[c - 1].Px) : 0;
  auto colOf = [&](const Edge &e) { return int(std::lower_bound(all.begin(), all.end(), e) - all.begin()); };

  // The cell that owns each slot of the rows done so far.
  std::vector<std::vector<int>> owner;
  g.Places.resize(Rows.size());
  for (size_t r = 0; r < Rows.size(); ++r) {
    const TRVRTFGridRowIn &row = Rows[r];
    // Segments of the row: first and last column of each cell, horizontal
    // merges joined to the cell they continue.
    struct Segment {
      int First, Last;
      std::vector<size_t> Inputs;
    };
    std::vector<Segment> segs;
    int start = 0;
    for (size_t i = 0; i < row.size(); ++i) {
      const int end = colOf(edges[r][i]);
      if (row[i].HMerge == 2 && !segs.empty()) {
        segs.back().Last = end;
        segs.back().Inputs.push_back(i);
      } else {
        segs.push_back({start, end, {i}});
      }
      start = end + 1;
    }
    if (!segs.empty()) segs.back().Last = g.Cols - 1;
    owner.emplace_back(size_t(g.Cols), -1);
    g.Places[r].resize(row.size());
    for (const Segment &s : segs) {
      const size_t first = s.Inputs.front();
      int main = -1;
      if (row[first].VMerge == 2 && r > 0) {
        const int above = owner[r - 1][size_t(s.First)];
        if (above >= 0) {
          const TRVRTFGridCell &a = g.Cells[size_t(above)];
          if (a.Col == s.First && a.ColSpan == s.Last - s.First + 1 && a.Row + a.RowSpan == int(r)) main = above;
        }
      }
      if (main >= 0) {
        ++g.Cells[size_t(main)].RowSpan;
      } else {
        TRVRTFGridCell c;
        c.Row = int(r);
        c.Col = s.First;
        c.ColSpan = s.Last - s.First + 1;
        int64_t w = 0;
        for (int k = s.First; k <= s.Last && w >= 0; ++k)
          w = g.ColWidths[size_t(k)] > 0 ? w + g.ColWidths[size_t(k)] : -1;
        c.Width = w > 0 && w <= INT32_MAX ? int32_t(w) : 0;
        main = int(g.Cells.size());
        g.Cells.push_back(c);
      }
      const TRVRTFGridCell &m = g.Cells[size_t(main)];
      for (int k = s.First; k <= s.Last; ++k) owner[r][size_t(k)] = main;
      for (size_t in : s.Inputs) g.Places[r][in] = TRVRTFGridPlace{m.Row, m.Col, in == first && m.Row == int(r), main};
    }
  }
  return g;
}

} // namespace kc
