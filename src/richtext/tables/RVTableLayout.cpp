#include "richtext/tables/RVTableLayout.h"

#include <algorithm>
#include <vector>

#include "richtext/document/PtblRVData.h"
#include "richtext/tables/RVTable.h"
#include "platform/Canvas.h"

namespace kc {

// =========================================================== the record

TRVTableItemFormattingInfo::TRVTableItemFormattingInfo(bool AForPrinting) : ForPrinting(AForPrinting) {}

TRVTableItemFormattingInfo::~TRVTableItemFormattingInfo() = default;

void TRVTableItemFormattingInfo::Clear() {
  ColWidths.Clear();
  RowHeights.Clear();
  ColStarts.Clear();
  RowStarts.Clear();
}

TRectPtblRVData *TRVTableItemFormattingInfo::PrintCell(int Row, int Col, int ColCount) const {
  const int64_t i = int64_t(Row) * ColCount + Col;
  return i >= 0 && i < int64_t(PrintCells.size()) ? PrintCells[size_t(i)].get() : nullptr;
}

// =========================================================== the layout

namespace {

int32_t Clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -RVMaxCoord, RVMaxCoord)); }

// a x b / c in 64 bits, truncated toward zero; 0 for c = 0.
int64_t MulDiv64(int64_t a, int64_t b, int64_t c) { return c == 0 ? 0 : a * b / c; }

// The quotient rounded to the nearest integer, halves to the even one.
int64_t DivRoundEven(int64_t a, int64_t b) {
  if (b == 0) return 0;
  if (b < 0) a = -a, b = -b;
  int64_t q = a / b, r = a % b;
  if (r < 0) r += b, --q;
  if (2 * r > b || (2 * r == b && (q & 1))) ++q;
  return q;
}

enum : uint8_t { MarkAuto = 0, MarkPixels = 1, MarkPercent = 2 };

} // namespace

// The state of one FormatTable pass; each numbered step of the algorithm is
// one function over it.
struct TRVTableLayout::Work {
  TRVTableLayout &L;
  TRVTableItemInfo &T;
  TRVTableRows &G;
  int Rows = 0, Cols = 0;
  bool Fixed = false;
  int64_t ColumnsWidth = 0, Avail = 0, Remaining = 0, SumMin = 0;
  int64_t Padding = 0;    // 2 x CellPadding, scaled
  std::vector<int64_t> W; // column content widths
  std::vector<uint8_t> Mark;
  int Assigned = 0, PixelCols = 0;
  std::vector<int64_t> H; // row content heights
  int64_t TableHeight = 0;

  explicit Work(TRVTableLayout &AL) : L(AL), T(AL.FTable), G(AL.FTable.Rows()) {
    Rows = G.Count();
    Cols = G.GetColCount();
    Padding = L.ScaleX(2 * int64_t(T.CellPadding));
    W.assign(size_t(Cols), 0);
    Mark.assign(size_t(Cols), MarkAuto);
  }

  // The cell at a main position with its spans cut to the grid.
  int SpanCols(int Col, const TRVTableCellData *c) const { return std::clamp(c->ColSpan, 1, Cols - Col); }
  int SpanRows(int Row, const TRVTableCellData *c) const { return std::clamp(c->RowSpan, 1, Rows - Row); }

  void MinimumWidths() {
    SumMin = 0;
    for (int c = 0; c < Cols; ++c) {
      W[size_t(c)] = G.GetColMinWidth(c, L.FSad, L.FCanvas);
      SumMin += W[size_t(c)];
    }
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c)
        if (TRVTableCellData *cell = G.Cell(r, c); cell && cell->ColSpan > 1)
          DistributeSpannedWidth(r, c, cell->GetMinWidth(L.FSad, L.FCanvas), 0, true, 2);
  }

  void DistributeSpannedWidth(int Row, int Col, int64_t Width, int Depth, bool MinMode, int Highest) {
    const TRVTableCellData *cell = G.Cell(Row, Col);
    if (!cell || Width == 0) return;
    const bool proportional = !MinMode || Depth > 30;
    Width += Padding;
    const int span = SpanCols(Col, cell);
    const int64_t step = L.ScaleX(2 * int64_t(T.CellPadding) + T.CellHSpacing + 2 * int64_t(T.CellBorderWidth));
    std::vector<int> q;
    if (MinMode) {
      for (int c = Col; c < Col + span; ++c) q.push_back(c);
    } else {
      for (int level = 0; level <= Highest && q.empty(); ++level)
        for (int c = Col; c < Col + span; ++c)
          if (Mark[size_t(c)] <= level) q.push_back(c);
    }
    int64_t current = -int64_t(L.ScaleX(int64_t(T.CellHSpacing) + 2 * int64_t(T.CellBorderWidth)));
    for (int c = Col; c < Col + span; ++c) current += W[size_t(c)] + step;
    auto value = [&](int c) {
      const int64_t v = W[size_t(c)] + Padding;
      return proportional && v == 0 ? int64_t(1) : v;
    };
    int64_t weight = 0;
    for (int c : q) weight += value(c);
    if (current >= Width || q.empty()) return;
    int64_t extra = Width - current;
    if (!MinMode && !Fixed) {
      extra = std::min(extra, Remaining);
      if (proportional) Remaining -= extra;
    }
    extra += weight;
    if (proportional) {
      for (int c : q) {
        const int64_t v = value(c);
        const int64_t share = MulDiv64(v, extra, weight);
        W[size_t(c)] = share - Padding;
        weight -= v;
        extra -= share;
        if (MinMode) SumMin += share - v;
      }
      return;
    }
    // Raise the narrowest columns to a common width first.
    int64_t n = int64_t(q.size());
    std::vector<bool> out(q.size(), false);
    const int64_t a0 = DivRoundEven(extra, n);
    for (size_t i = 0; i < q.size(); ++i)
      if (W[size_t(q[i])] + Padding >= a0) {
        out[i] = true;
        --n;
        extra -= W[size_t(q[i])] + Padding;
      }
    for (size_t i = 0; i < q.size() && n > 0; ++i) {
      if (out[i]) continue;
      const int64_t a = DivRoundEven(extra, n);
      const int64_t v = W[size_t(q[i])] + Padding;
      if (v >= a) continue;
      W[size_t(q[i])] = a - Padding;
      extra -= a;
      --n;
      SumMin += a - v;
    }
    DistributeSpannedWidth(Row, Col, Width - Padding, Depth + 1, MinMode, Highest);
  }

  void PercentColumns() {
    Remaining = Avail - SumMin;
    std::vector<int64_t> pct(size_t(Cols), 0);
    int64_t sumPct = 0, sumPctMin = 0;
    for (int c = 0; c < Cols; ++c) {
      pct[size_t(c)] = std::max<int64_t>(0, int64_t(G.GetColPercentWidth(c, Clamp32(ColumnsWidth))) - Padding);
      if (pct[size_t(c)] > W[size_t(c)]) {
        sumPct += pct[size_t(c)];
        sumPctMin += W[size_t(c)];
        Remaining += W[size_t(c)];
      }
    }
    if (sumPct == 0) return;
    // Percentages asking for more than the room are scaled down, never up.
    sumPct = std::max(sumPct, Remaining);
    for (int c = 0; c < Cols; ++c) {
      if (pct[size_t(c)] == 0) continue;
      if (pct[size_t(c)] <= W[size_t(c)]) {
        Mark[size_t(c)] = MarkPercent;
        ++Assigned;
      } else {
        sumPctMin -= W[size_t(c)];
        int64_t w = MulDiv64(pct[size_t(c)], Remaining, sumPct);
        sumPct -= pct[size_t(c)];
        if (w > 0) {
          Mark[size_t(c)] = MarkPercent;
          ++Assigned;
        }
        w = std::min(w, Remaining - sumPctMin);
        W[size_t(c)] = std::max(W[size_t(c)], w);
        Remaining -= W[size_t(c)];
      }
      if (Remaining == 0 && sumPctMin == 0) break;
    }
  }

  // Columns still automatic under a merged cell take its kind.
  void MarkCovered(int Col, const TRVTableCellData *cell, uint8_t Kind) {
    for (int c = Col; c < Col + SpanCols(Col, cell); ++c)
      if (Mark[size_t(c)] == MarkAuto) {
        Mark[size_t(c)] = Kind;
        ++Assigned;
        if (Kind == MarkPixels) ++PixelCols;
      }
  }

  void PercentMergedCells() {
    for (int r = 0; r < Rows && Remaining > 0; ++r)
      for (int c = 0; c < Cols; ++c) {
        TRVTableCellData *cell = G.Cell(r, c);
        if (!cell || cell->ColSpan <= 1 || cell->BestWidth >= 0) continue;
        DistributeSpannedWidth(r, c, -int64_t(cell->BestWidth) * ColumnsWidth / 100 - Padding, 0, false, 2);
        MarkCovered(c, cell, MarkPercent);
      }
  }

  void PixelColumns() {
    for (int c = 0; c < Cols; ++c) {
      if (Mark[size_t(c)] != MarkAuto) continue;
      int64_t w = L.ScaleX(G.GetColBestWidth(c));
      if (w <= 0) continue;
      Mark[size_t(c)] = MarkPixels;
      ++Assigned;
      ++PixelCols;
      if (w > W[size_t(c)]) {
        if (!Fixed) {
          Remaining += W[size_t(c)];
          w = std::min(w, Remaining);
        }
        W[size_t(c)] = w;
        if (!Fixed) {
          Remaining -= w;
          if (Remaining <= 0) break;
        }
      }
    }
  }

  void PixelMergedCells() {
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c) {
        if (!Fixed && Remaining <= 0) return;
        TRVTableCellData *cell = G.Cell(r, c);
        if (!cell || cell->ColSpan <= 1 || cell->BestWidth <= 0) continue;
        DistributeSpannedWidth(r, c, L.ScaleX(cell->BestWidth), 0, false, 1);
        MarkCovered(c, cell, MarkPixels);
      }
  }

  void SpareRoom() {
    if (Cols > Assigned) {
      for (int c = 0; c < Cols && Remaining > 0; ++c) {
        if (Mark[size_t(c)] != MarkAuto) continue;
        const int64_t share = Remaining / (Cols - Assigned);
        W[size_t(c)] += share;
        Remaining -= share;
        ++Assigned;
      }
      return;
    }
    std::vector<int64_t> weight(size_t(Cols), 0);
    int64_t sum = 0;
    if (PixelCols > 0) {
      for (int c = 0; c < Cols; ++c)
        if (!G.IsPercentCol(c)) weight[size_t(c)] = std::max<int64_t>(1, L.ScaleX(G.GetColBestWidth(c)));
    } else {
      for (int c = 0; c < Cols; ++c)
        if (G.IsPercentCol(c))
          weight[size_t(c)] = std::max<int64_t>(1, int64_t(G.GetColPercentWidth(c, Clamp32(ColumnsWidth))) - Padding);
    }
    for (int64_t w : weight) sum += w;
    for (int c = 0; c < Cols && Remaining > 0 && sum > 0; ++c) {
      const int64_t w = weight[size_t(c)];
      if (w == 0) continue;
      const int64_t share = std::min(MulDiv64(Remaining, w, sum), Remaining);
      W[size_t(c)] += share;
      Remaining -= share;
      sum -= w;
    }
  }

  // -------------------------------------------------------------- rows

  int64_t CopyHeight(int Row, int Col) const {
    const TRectPtblRVData *copy = L.FInfo.PrintCell(Row, Col, Cols);
    if (copy) return copy->DocumentHeight;
    const TRVTableCellData *cell = G.Cell(Row, Col);
    return cell ? L.ScaleY(cell->GetContentHeight()) : 0;
  }

  void RowHeights() {
    TableHeight = L.ScaleY(2 * (int64_t(T.CellPadding) * Rows + T.BorderWidth + T.BorderVSpacing) +
                           int64_t(T.CellVSpacing) * (Rows - 1) + 2 * int64_t(Rows) * T.CellBorderWidth);
    H.assign(size_t(Rows), 0);
    for (int r = 0; r < Rows; ++r) {
      const TRVTableRow *row = G.Items(r);
      int64_t h;
      if (!L.FInfo.ForPrinting) {
        h = L.ScaleY(row->GetHeight());
      } else {
        h = L.ScaleY(row->GetBestHeight());
        for (int c = 0; c < row->Count(); ++c)
          if (const TRVTableCellData *cell = row->Get(c); cell && cell->RowSpan < 2) h = std::max(h, CopyHeight(r, c));
      }
      H[size_t(r)] = h;
      TableHeight += h;
    }
  }

  void DistributeSpannedHeight(int Row, int Col) {
    const TRVTableCellData *cell = G.Cell(Row, Col);
    const int span = SpanRows(Row, cell);
    int64_t need;
    if (!L.FInfo.ForPrinting) {
      need = L.ScaleY(int64_t(cell->GetContentHeight()) + 2 * int64_t(T.CellPadding));
    } else {
      need = std::max<int64_t>(L.ScaleY(std::max(cell->BestHeight, 10)),
                               L.FInfo.PrintCell(Row, Col, Cols) ? CopyHeight(Row, Col) : 0) +
             L.ScaleY(2 * int64_t(T.CellPadding));
    }
    int64_t current = L.ScaleY(-int64_t(T.CellVSpacing) - 2 * int64_t(T.CellBorderWidth));
    const int64_t step = L.ScaleY(2 * int64_t(T.CellPadding) + T.CellVSpacing + 2 * int64_t(T.CellBorderWidth));
    for (int r = Row; r < Row + span; ++r) current += H[size_t(r)] + step;
    if (current >= need) return;
    std::vector<int> grow;
    for (int r = Row; r < Row + span; ++r)
      if (G.Items(r)->GetBestHeight() == 0) grow.push_back(r);
    if (grow.empty())
      for (int r = Row; r < Row + span; ++r) grow.push_back(r);
    int64_t extra = need - current;
    TableHeight += extra;
    int64_t sum = 0;
    for (int r : grow) sum += H[size_t(r)];
    for (size_t i = 0; i < grow.size(); ++i) {
      const int64_t h = H[size_t(grow[i])];
      // Rows of no height share nothing in proportion: the last takes it.
      const int64_t share = i + 1 == grow.size() ? extra : MulDiv64(h, extra, sum);
      H[size_t(grow[i])] += share;
      sum -= h;
      extra -= share;
    }
  }
};

TRVTableLayout::TRVTableLayout(TRVTableItemInfo &Table, TRVTableItemFormattingInfo &Info, TCanvas &Canvas,
                               const TRVScreenAndDevice *sad)
    : FTable(Table), FInfo(Info), FCanvas(Canvas), FSad(sad) {}

int TRVTableLayout::ScaleX(int64_t V) const {
  if (FSad && FSad->ppixScreen > 0) V = V * FSad->ppixDevice / FSad->ppixScreen;
  return Clamp32(V);
}

int TRVTableLayout::ScaleY(int64_t V) const {
  if (FSad && FSad->ppiyScreen > 0) V = V * FSad->ppiyDevice / FSad->ppiyScreen;
  return Clamp32(V);
}

int TRVTableLayout::GetHorzExtra() const {
  const TRVTableItemInfo &t = FTable;
  const int64_t cols = t.ColCount();
  return ScaleX((cols - 1) * t.CellHSpacing + 2 * (int64_t(t.BorderWidth) + t.BorderHSpacing) +
                cols * 2 * t.CellBorderWidth);
}

bool TRVTableLayout::AllColumnsHaveFixedWidth() const {
  const TRVTableRows &g = FTable.Rows();
  const int cols = g.GetColCount();
  for (int c = 0; c < cols; ++c)
    if (g.IsColumnWithoutOwnCell(c)) return false;
  std::vector<bool> fixed(size_t(cols), false);
  for (int r = 0; r < g.Count(); ++r)
    for (int c = 0; c < cols; ++c) {
      const TRVTableCellData *cell = g.Cell(r, c);
      if (!cell) continue;
      if (cell->BestWidth < 0) return false;
      const int last = std::clamp(c + cell->ColSpan - 1, c, cols - 1);
      if (cell->BestWidth > 0) fixed[size_t(last)] = true;
    }
  return std::all_of(fixed.begin(), fixed.end(), [](bool b) { return b; });
}

int TRVTableLayout::GetMinWidth() {
  const TRVTableItemInfo &t = FTable;
  TRVTableRows &g = FTable.Rows();
  if (g.IsEmpty()) return ScaleX(2 * (int64_t(t.BorderWidth) + t.BorderHSpacing));
  const int cols = g.GetColCount(), rows = g.Count();
  const int64_t padding = ScaleX(2 * int64_t(t.CellPadding));
  std::vector<int64_t> w(size_t(cols), 0);
  for (int c = 0; c < cols; ++c) {
    w[size_t(c)] = g.GetColMinWidth(c, FSad, FCanvas);
    if (t.BestWidth == 0) w[size_t(c)] = std::max<int64_t>(w[size_t(c)], ScaleX(g.GetColBestWidth(c)));
  }
  const int64_t gap = ScaleX(int64_t(t.CellHSpacing) + 2 * int64_t(t.CellBorderWidth));
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      TRVTableCellData *cell = g.Cell(r, c);
      if (!cell || cell->ColSpan < 2) continue;
      const int span = std::clamp(cell->ColSpan, 1, cols - c);
      int64_t need = cell->GetMinWidth(FSad, FCanvas);
      if (t.BestWidth == 0 && cell->BestWidth > 0) need = std::max<int64_t>(need, ScaleX(cell->BestWidth));
      need += padding;
      int64_t have = (span - 1) * gap, sum = 0;
      for (int k = c; k < c + span; ++k) {
        have += w[size_t(k)] + padding;
        sum += std::max<int64_t>(1, w[size_t(k)] + padding);
      }
      int64_t extra = need - have;
      for (int k = c; k < c + span && extra > 0 && sum > 0; ++k) {
        const int64_t v = std::max<int64_t>(1, w[size_t(k)] + padding);
        const int64_t share = MulDiv64(extra, v, sum);
        w[size_t(k)] += share;
        extra -= share;
        sum -= v;
      }
    }
  int64_t total = int64_t(cols) * padding + GetHorzExtra();
  for (int64_t v : w) total += v;
  if (t.BestWidth > 0) total = std::max<int64_t>(total, ScaleX(t.BestWidth));
  return Clamp32(std::max<int64_t>(0, total));
}

void TRVTableLayout::FormatTable(int DocWidth, bool Force) {
  TRVTableItemInfo &t = FTable;
  TRVTableRows &g = t.Rows();
  if (g.IsEmpty()) {
    FInfo.Clear();
    FInfo.TableWidth = ScaleX(2 * (int64_t(t.BorderWidth) + t.BorderHSpacing));
    FInfo.TableHeight = ScaleY(2 * (int64_t(t.BorderWidth) + t.BorderVSpacing));
    return;
  }
  Work w(*this);
  int64_t target;
  if (t.BestWidth > 0) target = ScaleX(t.BestWidth);
  else if (t.BestWidth < 0) target = -int64_t(t.BestWidth) * DocWidth / 100;
  else {
    w.Fixed = AllColumnsHaveFixedWidth();
    target = w.Fixed ? 0 : DocWidth;
  }
  target = std::max<int64_t>(0, Clamp32(target));
  if (target != 0 && target == FInfo.TableWidth && !Force) return;
  int64_t tableWidth = target;
  const int64_t hextra = GetHorzExtra();
  if (!w.Fixed) {
    w.ColumnsWidth = target - hextra;
    w.Avail = w.ColumnsWidth - int64_t(w.Cols) * w.Padding;
  }
  FInfo.Clear();
  w.MinimumWidths();
  if (!w.Fixed && w.SumMin >= w.Avail) {
    // Too narrow for the content: the columns keep their minimums and the
    // table grows past its target.
    tableWidth = tableWidth - w.Avail + w.SumMin;
  } else {
    if (!w.Fixed) {
      w.PercentColumns();
      w.PercentMergedCells();
    }
    if (w.Fixed || w.Remaining > 0) w.PixelColumns();
    if (w.Fixed || w.Remaining > 0) w.PixelMergedCells();
    if (w.Fixed) {
      tableWidth = hextra + int64_t(w.Cols) * w.Padding;
      for (int64_t v : w.W) tableWidth += v;
    } else if (w.Remaining > 0) {
      w.SpareRoom();
    }
  }
  FInfo.TableWidth = Clamp32(std::max<int64_t>(0, tableWidth));
  for (int64_t v : w.W) FInfo.ColWidths.Add(Clamp32(std::max<int64_t>(0, v)));
  AssignColumnPositions(w, Force);
  w.RowHeights();
  for (int r = 0; r < w.Rows; ++r)
    for (int c = 0; c < w.Cols; ++c)
      if (TRVTableCellData *cell = g.Cell(r, c); cell && cell->RowSpan > 1) w.DistributeSpannedHeight(r, c);
  for (int64_t v : w.H) FInfo.RowHeights.Add(Clamp32(v));
  FInfo.TableHeight = Clamp32(std::max<int64_t>(0, w.TableHeight));
  AssignRowPositions(w);
}

void TRVTableLayout::AssignColumnPositions(Work &w, bool Force) {
  const TRVTableItemInfo &t = FTable;
  TRVTableRows &g = FTable.Rows();
  const int64_t totalGaps =
      ScaleX(((int64_t(t.CellPadding) + t.CellBorderWidth) * 2 + t.CellHSpacing) * int64_t(w.Cols));
  int64_t gaps = totalGaps;
  int64_t x = ScaleX(int64_t(t.BorderWidth) + t.BorderHSpacing + t.CellBorderWidth);
  for (int c = 0; c < w.Cols; ++c) {
    FInfo.ColStarts.Add(Clamp32(x));
    const int64_t gap = gaps / (w.Cols - c);
    gaps -= gap;
    x += gap + FInfo.ColWidths[c];
  }
  const int64_t pad = ScaleX(t.CellPadding);
  for (int r = 0; r < w.Rows; ++r)
    for (int c = 0; c < w.Cols; ++c) {
      TRVTableCellData *cell = g.Cell(r, c);
      if (!cell) continue;
      const int span = w.SpanCols(c, cell);
      int64_t width = int64_t(FInfo.ColWidths[c]) + w.Padding + MulDiv64(totalGaps, span - 1, w.Cols);
      for (int k = c + 1; k < c + span; ++k) width += FInfo.ColWidths[k];
      if (FInfo.ForPrinting) {
        if (TRectPtblRVData *copy = FInfo.PrintCell(r, c, w.Cols)) {
          copy->Left = Clamp32(FInfo.ColStarts[c] + pad);
          copy->Width = Clamp32(std::max<int64_t>(0, width - 2 * pad));
          copy->ReformatAll(false, true, true, 0, &FCanvas, false, false);
        }
        continue;
      }
      cell->Left = FInfo.ColStarts[c];
      cell->Width = Clamp32(width);
      const int content = cell->GetWidth();
      if (cell->EditorData) {
        // The cell editor holds the items and wraps them when the table
        // places it at the new width.
        cell->FormattedWidth = content;
      } else if (Force || content != cell->FormattedWidth || cell->DrawLines.Count() == 0) {
        cell->ReformatAll(false, true, true, 0, &FCanvas, false, false);
        cell->FormattedWidth = content;
      }
    }
}

void TRVTableLayout::AssignRowPositions(Work &w) {
  const TRVTableItemInfo &t = FTable;
  TRVTableRows &g = FTable.Rows();
  const int64_t totalGaps =
      ScaleY(((int64_t(t.CellPadding) + t.CellBorderWidth) * 2 + t.CellVSpacing) * int64_t(w.Rows));
  int64_t gaps = totalGaps;
  int64_t y = ScaleY(int64_t(t.BorderWidth) + t.BorderVSpacing + t.CellBorderWidth);
  for (int r = 0; r < w.Rows; ++r) {
    FInfo.RowStarts.Add(Clamp32(y));
    const int64_t gap = gaps / (w.Rows - r);
    gaps -= gap;
    y += gap + FInfo.RowHeights[r];
  }
  const int64_t padding = ScaleY(2 * int64_t(t.CellPadding)), pad = ScaleY(t.CellPadding);
  for (int r = 0; r < w.Rows; ++r)
    for (int c = 0; c < w.Cols; ++c) {
      TRVTableCellData *cell = g.Cell(r, c);
      if (!cell) continue;
      const int span = w.SpanRows(r, cell);
      int64_t height = int64_t(FInfo.RowHeights[r]) + padding + MulDiv64(totalGaps, span - 1, w.Rows);
      for (int k = r + 1; k < r + span; ++k) height += FInfo.RowHeights[k];
      if (FInfo.ForPrinting) {
        if (TRectPtblRVData *copy = FInfo.PrintCell(r, c, w.Cols)) {
          copy->Top = Clamp32(FInfo.RowStarts[r] + pad);
          copy->Height = Clamp32(std::max<int64_t>(0, height - 2 * pad));
        }
        continue;
      }
      cell->Top = FInfo.RowStarts[r];
      cell->Height = Clamp32(height);
    }
}

} // namespace kc
