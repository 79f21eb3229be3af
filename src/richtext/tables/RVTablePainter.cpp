// The table painter. One pass: rows in view, background, rules, the outer
// border, then the cells. All positions are 64-bit until cut to the clip
// rectangle, so a table of any size paints only what can be seen.
#include "richtext/tables/RVTablePainter.h"

#include <algorithm>
#include <vector>

#include "richtext/document/PtblRVData.h"
#include "richtext/document/RVBack.h"
#include "richtext/tables/RVTable.h"
#include "richtext/tables/RVTableBorders.h"
#include "platform/Canvas.h"

namespace kc {

namespace {

int64_t Scale(int64_t v, int Device, int Screen) {
  if (Screen <= 0 || Device == Screen) return v;
  return v * Device / Screen;
}

} // namespace

// One painted row: its index and how far up it is drawn from where the
// layout put it (rows of a page part follow the heading rows).
struct PaintedRow {
  int Row;
  int64_t Shift;
};

struct TRVTablePainter::Pass {
  const TRVTableItemInfo &T;
  const TRVTableItemFormattingInfo &I;
  TCanvas &C;
  const TRVTablePaintContext &X;
  int Rows = 0, Cols = 0;
  int64_t PadX = 0, PadY = 0, CellBorderX = 0, TableHeight = 0;
  TColor SelColor = clHighlight;
  std::vector<PaintedRow> Painted;

  Pass(const TRVTableItemInfo &Table, const TRVTableItemFormattingInfo &Info, TCanvas &Canvas,
       const TRVTablePaintContext &Context)
      : T(Table), I(Info), C(Canvas), X(Context) {}

  int64_t SX(int64_t v) const { return X.sad ? Scale(v, X.sad->ppixDevice, X.sad->ppixScreen) : v; }
  int64_t SY(int64_t v) const { return X.sad ? Scale(v, X.sad->ppiyDevice, X.sad->ppiyScreen) : v; }
  TColor Conv(TColor c) const { return X.Printing ? ColorForColorMode(c, X.ColorMode) : c; }
  TColor BackConv(TColor c) const { return X.Printing ? BackColorForColorMode(c, X.ColorMode) : c; }

  int64_t RowStart(int r) const { return r < I.RowStarts.Count() ? I.RowStarts[r] : 0; }
  int64_t RowBottom(int r) const { return RowStart(r) + (r < I.RowHeights.Count() ? I.RowHeights[r] : 0) + 2 * PadY; }
  int64_t ColStart(int c) const { return c < I.ColStarts.Count() ? I.ColStarts[c] : 0; }
  int64_t ColRight(int c) const { return ColStart(c) + (c < I.ColWidths.Count() ? I.ColWidths[c] : 0) + 2 * PadX; }

  bool Prepare();
  void ChooseRows();
  void PaintBackground();
  void PaintVRules();
  void PaintHRules();
  void PaintCells();
  void PaintCell(int Row, int Col, TRVTableCellData &Cell, int64_t Shift);
  TRect CellRect(int Row, int Col, const TRVTableCellData &Cell, int64_t Shift) const;
  void DrawBorder(const TRect &R, int64_t Width, TColor Light, TColor Color, TColor Background,
                  TRVTableBorderStyle Style, const TRVBooleanRect &Visible, int Row, int Col);
};

bool TRVTablePainter::Pass::Prepare() {
  Rows = T.RowCount();
  Cols = T.ColCount();
  PadX = SX(T.CellPadding);
  PadY = SY(T.CellPadding);
  CellBorderX = SX(T.CellBorderWidth);
  TableHeight = I.TableHeight;
  if (X.Style) SelColor = X.State.Has(rvidsControlFocused) ? X.Style->SelColor : X.Style->InactiveSelColor;
  // A record that does not match the grid (not laid out yet) paints only
  // the table's frame.
  if (I.RowStarts.Count() < Rows || I.RowHeights.Count() < Rows || I.ColStarts.Count() < Cols ||
      I.ColWidths.Count() < Cols)
    Rows = Cols = 0;
  return true;
}

void TRVTablePainter::Pass::ChooseRows() {
  Painted.clear();
  if (Rows == 0) return;
  if (X.RowCount < 0 && X.HeadingRows == 0 && X.FirstRow == 0) {
    // The whole table: from the last row that starts at or above the clip
    // top (a binary search), to the last row.
    int first = 0;
    const int64_t top = int64_t(X.Clip.Top) - X.Top;
    int lo = 0, hi = Rows - 1;
    while (lo <= hi) {
      const int mid = lo + (hi - lo) / 2;
      if (RowStart(mid) <= top) {
        first = mid;
        lo = mid + 1;
      } else hi = mid - 1;
    }
    for (int r = first; r < Rows; ++r) Painted.push_back({r, 0});
    return;
  }
  const int firstRow = std::clamp(X.FirstRow, 0, Rows);
  const int lastRow = X.RowCount < 0 ? Rows - 1 : std::min(Rows - 1, firstRow + X.RowCount - 1);
  const int headings = std::clamp(std::min(X.HeadingRows, firstRow), 0, Rows);
  for (int r = 0; r < headings; ++r) Painted.push_back({r, 0});
  if (firstRow > lastRow) return;
  // The range starts where the row after the headings would.
  const int64_t shift = RowStart(firstRow) - RowStart(headings);
  for (int r = firstRow; r <= lastRow; ++r) Painted.push_back({r, shift});
  TableHeight = TablePartHeight(I, PadY, headings, firstRow, lastRow - firstRow + 1);
}

void TRVTablePainter::Pass::PaintBackground() {
  const TRect &clip = X.Clip;
  const int64_t l = X.Left, t = X.Top, r = l + I.TableWidth, b = t + TableHeight;
  const TRect cut{int(std::max<int64_t>(l, clip.Left)), int(std::max<int64_t>(t, clip.Top)),
                  int(std::min<int64_t>(r, clip.Right)), int(std::min<int64_t>(b, clip.Bottom))};
  if (cut.isEmpty()) return;
  TColor color = T.Color;
  if (X.Printing && T.PrintOptions.Has(rvtoWhiteBackground)) color = clWhite;
  color = color == clNone ? clNone : BackConv(color);
  const TRVBackground *bg = T.GetBackground();
  if (bg && bg->HasVisibleBitmap()) {
    bg->Draw(C, cut, 0, 0, X.Left, X.Top, I.TableWidth, int(std::min<int64_t>(TableHeight, RVMaxCoord)), color, true);
    return;
  }
  FillClipped(C, l, t, r, b, color, clip);
}

void TRVTablePainter::Pass::PaintVRules() {
  if (T.VRuleWidth <= 0 || T.VRuleColor == clNone || Cols == 0) return;
  const int64_t w = SX(T.VRuleWidth);
  if (w <= 0) return;
  const TColor color = Conv(T.VRuleColor);
  int64_t top = X.Top, bottom = X.Top + TableHeight;
  if (T.HOutermostRule && T.HRuleWidth > 0 && T.HRuleColor != clNone) {
    const int64_t cut = SY(int64_t(T.BorderWidth) + T.BorderVSpacing / 2);
    top += cut;
    bottom -= cut;
  }
  auto rule = [&](int64_t x) { FillClipped(C, x - w / 2, top, x - w / 2 + w, bottom, color, X.Clip); };
  const int64_t half = (SX(int64_t(T.CellHSpacing) + 2 * int64_t(T.CellBorderWidth)) + 1) / 2;
  for (int k = 0; k + 1 < Cols; ++k) {
    const int64_t x = X.Left + ColStart(k + 1) - half;
    if (x - w > X.Clip.Right) break;
    rule(x);
  }
  if (T.VOutermostRule) {
    const int64_t edge = SX(int64_t(T.BorderWidth) + T.BorderHSpacing / 2);
    rule(X.Left + edge);
    rule(X.Left + I.TableWidth - edge - 1 + (w % 2 == 0 ? 1 : 0));
  }
}

void TRVTablePainter::Pass::PaintHRules() {
  if (T.HRuleWidth <= 0 || T.HRuleColor == clNone || Painted.empty()) return;
  const int64_t w = SY(T.HRuleWidth);
  if (w <= 0) return;
  const TColor color = Conv(T.HRuleColor);
  int64_t left = X.Left, right = X.Left + I.TableWidth;
  if (T.VOutermostRule && T.VRuleWidth > 0 && T.VRuleColor != clNone) {
    const int64_t cut = SX(int64_t(T.BorderWidth) + T.BorderHSpacing / 2);
    left += cut;
    right -= cut;
  }
  auto rule = [&](int64_t y) { FillClipped(C, left, y - w / 2, right, y - w / 2 + w, color, X.Clip); };
  const int64_t half = (SY(int64_t(T.CellVSpacing) + 2 * int64_t(T.CellBorderWidth)) + 1) / 2;
  // A rule above every painted row but the first.
  for (size_t i = 1; i < Painted.size(); ++i) {
    const int64_t y = X.Top + RowStart(Painted[i].Row) - Painted[i].Shift - half;
    if (y - w > X.Clip.Bottom) break;
    rule(y);
  }
  if (T.HOutermostRule) {
    const int64_t edge = SY(int64_t(T.BorderWidth) + T.BorderVSpacing / 2);
    if (X.Printing || Painted.front().Row <= 1) rule(X.Top + edge);
    rule(X.Top + TableHeight - edge - 1 + (w % 2 == 0 ? 1 : 0));
  }
}

TRect TRVTablePainter::Pass::CellRect(int Row, int Col, const TRVTableCellData &Cell, int64_t Shift) const {
  int64_t l, t, r, b;
  if (!X.Printing) {
    l = X.Left + int64_t(Cell.Left);
    t = X.Top + int64_t(Cell.Top) - Shift;
    r = l + Cell.Width;
    b = t + Cell.Height;
  } else {
    const int lastCol = std::min(Cols - 1, Col + std::max(1, Cell.ColSpan) - 1);
    const int lastRow = std::min(Rows - 1, Row + std::max(1, Cell.RowSpan) - 1);
    l = X.Left + ColStart(Col);
    r = X.Left + ColRight(lastCol);
    t = X.Top + RowStart(Row) - Shift;
    b = X.Top + RowBottom(lastRow) - Shift;
  }
  auto c = [](int64_t v) { return int(std::clamp<int64_t>(v, -RVMaxCoord, RVMaxCoord)); };
  return TRect{c(l), c(t), c(r), c(b)};
}

void TRVTablePainter::Pass::DrawBorder(const TRect &R, int64_t Width, TColor Light, TColor Color, TColor Background,
                                       TRVTableBorderStyle Style, const TRVBooleanRect &Visible, int Row, int Col) {
  const TRect &clip = X.Clip;
  if (R.Right <= clip.Left || R.Left >= clip.Right || R.Bottom <= clip.Top || R.Top >= clip.Bottom) return;
  const int w = int(std::clamp<int64_t>(Width, 0, RVMaxCoord));
  if (T.OnDrawBorder) {
    bool doDefault = true;
    T.OnDrawBorder(const_cast<TRVTableItemInfo *>(&T), C, R.Left, R.Top, R.Right, R.Bottom, w, Light, Color, Background,
                   Style, X.Printing, &Visible, Row, Col, doDefault);
    if (!doDefault) return;
  }
  const bool grid = X.DrawGrid && !X.Printing && RVTableGridPenStyle() != TPenStyle::psClear;
  if (w == 0) {
    if (grid) DrawGridSides(C, R, TRVBooleanRect(true), clip);
    return;
  }
  if (grid && !Visible.IsAllEqual(true)) {
    TRVBooleanRect off(false);
    off.SetValues(!Visible.Left, !Visible.Top, !Visible.Right, !Visible.Bottom);
    DrawGridSides(C, R, off, clip);
  }
  TRVTableFrame f;
  f.Rect = R;
  f.Width = w;
  f.Color = Color == clNone ? clNone : Conv(Color);
  f.LightColor = Light == clNone ? clNone : Conv(Light);
  f.BackgroundColor = Background;
  f.Style = Style;
  f.Visible = Visible;
  f.Printing = X.Printing;
  f.Halftone = T.PrintOptions.Has(rvtoHalftoneBorders);
  f.OverlappingCorners = T.Options.Has(rvtoOverlappingCorners);
  DrawTableFrame(C, f, clip);
}

void TRVTablePainter::Pass::PaintCell(int Row, int Col, TRVTableCellData &Cell, int64_t Shift) {
  const TRect rect = CellRect(Row, Col, Cell, Shift);
  const TRect &clip = X.Clip;
  const int64_t cbw = CellBorderX;
  // Nothing of the cell, its border included, can be seen.
  if (int64_t(rect.Right) + cbw <= clip.Left || int64_t(rect.Left) - cbw >= clip.Right ||
      int64_t(rect.Bottom) + cbw <= clip.Top || int64_t(rect.Top) - cbw >= clip.Bottom)
    return;

  // Colour.
  TColor color;
  const bool selected = X.State.Has(rvidsSelected) || (!X.Printing && T.IsCellSelected(Row, Col));
  if (selected) color = SelColor;
  else {
    color = Cell.Color != clNone ? Cell.Color : T.Color;
    if (X.Printing && T.PrintOptions.Has(rvtoWhiteBackground)) color = clWhite;
  }
  if (color != clNone) color = BackConv(color);

  // Background.
  const TRVBackground *bg = Cell.GetBackground();
  const bool picture = bg && bg->HasVisibleBitmap();
  if (color != clNone || picture) {
    int64_t l = rect.Left, t = rect.Top, r = rect.Right, b = rect.Bottom;
    if (T.Options.Has(rvtoCellBelowBorders)) {
      l -= cbw;
      r += cbw;
      t -= SY(T.CellBorderWidth);
      b += SY(T.CellBorderWidth);
    }
    if (picture) {
      const TRect cut{int(std::max<int64_t>(l, clip.Left)), int(std::max<int64_t>(t, clip.Top)),
                      int(std::min<int64_t>(r, clip.Right)), int(std::min<int64_t>(b, clip.Bottom))};
      if (!cut.isEmpty())
        bg->Draw(C, cut, 0, 0, int(l), int(t), int(std::min<int64_t>(r - l, RVMaxCoord)),
                 int(std::min<int64_t>(b - t, RVMaxCoord)), color, true);
    } else FillClipped(C, l, t, r, b, color, clip);
  }

  // Content, kept inside the cell.
  const TRect inner{std::max(rect.Left, clip.Left), std::max(rect.Top, clip.Top), std::min(rect.Right, clip.Right),
                    std::min(rect.Bottom, clip.Bottom)};
  if (!inner.isEmpty()) {
    const int level = C.saveDC();
    C.intersectClipRect(inner);
    if (!X.Printing) {
      // The cell's document draws its point (x, y) at (x - HOffs - Clip.Left,
      // y - VOffs - Clip.Top); its content starts inside the padding, lower
      // by the vertical alignment.
      const int64_t cx = int64_t(rect.Left) + PadX, cy = int64_t(rect.Top) + PadY + Cell.GetVAlignOffset();
      const int64_t ox = -int64_t(Cell.GetHOffs()) - cx, oy = -int64_t(Cell.GetVOffs()) - cy;
      auto c = [](int64_t v) { return int(std::clamp<int64_t>(v, -RVMaxCoord, RVMaxCoord)); };
      // A selected cell's text is drawn as selected text, readable on the
      // selection colour.
      struct Selected {
        TRVTableCellData &Cell;
        bool Set;
        ~Selected() {
          if (Set) Cell.State &= ~rvstWholeSelected;
        }
      } whole{Cell, selected && !(Cell.State & rvstWholeSelected)};
      if (whole.Set) Cell.State |= rvstWholeSelected;
      Cell.PaintVisibleLines(TRect{c(ox), c(oy), c(ox + std::max(0, inner.Right)), c(oy + std::max(0, inner.Bottom))},
                             C);
    } else if (TRectPtblRVData *copy = I.PrintCell(Row, Col, Cols)) {
      const int64_t free = int64_t(rect.Bottom) - rect.Top - 2 * PadY - copy->DocumentHeight;
      int64_t offset = 0;
      switch (Cell.GetRealVAlign()) {
      case rvcMiddle: offset = free / 2; break;
      case rvcBottom: offset = free; break;
      default: break;
      }
      offset = std::max<int64_t>(0, offset);
      // The copy was laid out at (ColStarts + padding, RowStarts + padding)
      // of the table; it is drawn at that place on this canvas.
      copy->DX = int(std::clamp<int64_t>(int64_t(rect.Left) + PadX - copy->Left, -RVMaxCoord, RVMaxCoord));
      copy->DY = int(std::clamp<int64_t>(int64_t(rect.Top) + PadY + offset - copy->Top, -RVMaxCoord, RVMaxCoord));
      copy->Transparent = true;
      copy->DrawPage(1, C, X.Preview, X.Correction);
    }
    C.restoreDC(level);
  }

  // Border.
  const TColor bc = Cell.BorderColor != clNone ? Cell.BorderColor : T.CellBorderColor;
  const TColor bl = Cell.BorderLightColor != clNone ? Cell.BorderLightColor : T.CellBorderLightColor;
  DrawBorder(rect, cbw, bl, bc, BackConv(T.Color == clNone ? X.DocumentColor : T.Color), T.CellBorderStyle,
             Cell.VisibleBorders, Row, Col);
}

void TRVTablePainter::Pass::PaintCells() {
  if (Painted.empty()) return;
  const TRect &clip = X.Clip;
  // Merged cells that start above the first row in view and reach into it.
  const PaintedRow first = Painted.front();
  if (first.Row > 0 && X.HeadingRows == 0) {
    const TRVTableCellData *last = nullptr;
    for (int c = 0; c < Cols; ++c) {
      if (T.Cells(first.Row, c)) continue;
      int mr = -1, mc = -1;
      TRVTableCellData *cell = T.Rows().GetMainCell(first.Row, c, mr, mc);
      if (!cell || cell == last || mr >= first.Row) continue;
      last = cell;
      PaintCell(mr, mc, *cell, first.Shift);
    }
  }
  for (const PaintedRow &p : Painted) {
    if (int64_t(X.Top) + RowStart(p.Row) - p.Shift > clip.Bottom) break;
    for (int c = 0; c < Cols; ++c) {
      TRVTableCellData *cell = T.Cells(p.Row, c);
      if (!cell) continue;
      if (int64_t(X.Left) + ColStart(c) > clip.Right) break;
      PaintCell(p.Row, c, *cell, p.Shift);
    }
  }
}

TRVTablePainter::TRVTablePainter(const TRVTableItemInfo &Table, const TRVTableItemFormattingInfo &Info)
    : FTable(Table), FInfo(Info) {}

void TRVTablePainter::Paint(TCanvas &Canvas, const TRVTablePaintContext &Context) const {
  Pass p(FTable, FInfo, Canvas, Context);
  p.Prepare();
  p.ChooseRows();
  const CanvasBrush brush = Canvas.brush();
  const CanvasPen pen = Canvas.pen();
  p.PaintBackground();
  p.PaintVRules();
  p.PaintHRules();
  const TRect outer{Context.Left, Context.Top,
                    int(std::clamp<int64_t>(int64_t(Context.Left) + FInfo.TableWidth, -RVMaxCoord, RVMaxCoord)),
                    int(std::clamp<int64_t>(int64_t(Context.Top) + p.TableHeight, -RVMaxCoord, RVMaxCoord))};
  p.DrawBorder(outer, p.SX(FTable.BorderWidth), FTable.BorderLightColor, FTable.BorderColor, Context.DocumentColor,
               FTable.BorderStyle, TRVBooleanRect(true), -1, -1);
  p.PaintCells();
  Canvas.setBrush(brush);
  Canvas.setPen(pen);
}

int64_t TablePartHeight(const TRVTableItemFormattingInfo &Info, int64_t PadY, int Headings, int First, int Count) {
  const int rows = std::min(Info.RowStarts.Count(), Info.RowHeights.Count());
  if (rows == 0) return Info.TableHeight;
  auto start = [&](int r) { return int64_t(Info.RowStarts[r]); };
  auto bottom = [&](int r) { return start(r) + Info.RowHeights[r] + 2 * PadY; };
  First = std::clamp(First, 0, rows - 1);
  const int last = std::clamp(First + Count - 1, First, rows - 1);
  Headings = std::clamp(Headings, 0, First);
  const int64_t shift = start(First) - start(Headings);
  return bottom(last) - shift + (int64_t(Info.TableHeight) - bottom(rows - 1));
}

} // namespace kc
