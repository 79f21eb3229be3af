// Tables of an RTF import: the reader's table events fill cells, rows and
// tables, each table becomes a table item when it ends.
//
// Real files do not always keep to the rules: cells end in paragraphs that
// never said they were in a table, rows bring cell boundaries of their own,
// rows are left open at the end. Whatever the order of the events, every
// cell's text stays in the document, in a cell when a cell end followed it.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "richtext/controls/RVRTFImportBuilder.h"
#include "richtext/controls/RVRTFImportGrid.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVItem.h"
#include "richtext/document/RVStyle.h"
#include "richtext/tables/RVTable.h"

namespace kc {

namespace {

int px(int64_t twips) {
  const double v = std::round(double(twips) * TRVRTFReaderProperties::TwipsToPixels);
  return int(std::clamp(v, double(INT32_MIN / 2), double(INT32_MAX / 2)));
}

TRVCellVAlign cellVAlign(uint8_t v) { return v == 1 ? rvcBottom : v == 2 ? rvcMiddle : rvcTop; }

// The side of a cell's RTF border: shown, its width in twips and colour.
struct Side {
  bool Shown = false;
  int32_t Width = 0;
  TColor Color = clNone;
};

Side sideOf(const TRVRTFParaBorder &B, int i) {
  Side s;
  if (const TRVRTFBorderSide *b = B.GetSide(i); b && b->BorderType != 0) {
    s.Shown = true;
    s.Width = b->BorderType == 2 ? b->Width * 2 : b->Width; // \brdrth: twice the width
    s.Color = b->Color == rtf_clNone ? clWindowText : b->Color;
  }
  return s;
}

// A running average in twips that says nothing until something was added.
struct Average {
  int64_t Sum = 0;
  int64_t Count = 0;
  void Add(int64_t v) {
    Sum += v;
    ++Count;
  }
  bool Any() const { return Count > 0; }
  int64_t Twips() const { return Count > 0 ? Sum / Count : 0; }
  // In pixels; a width of 5 twips or more never becomes 0.
  int Pixels(bool KeepThin = false) const {
    const int p = px(Twips());
    return KeepThin && p == 0 && Twips() >= 5 ? 1 : p;
  }
};

} // namespace

std::unique_ptr<TRVRTFImportBuilder::Sink> TRVRTFImportBuilder::NewCellSink() const {
  auto s = std::make_unique<Sink>();
  s->Data = Cur->Data;
  return s;
}

void TRVRTFImportBuilder::MoveItems(Sink &From, size_t Index, Sink &To) {
  if (Index >= From.Items.size()) return;
  // What moves begins a paragraph of its own.
  BuiltItem &first = From.Items[Index];
  if (first.Item->StyleNo != rvsListMarker || To.Items.empty()) {
    first.Item->SetContinuePara(false);
    first.Item->ItemOptions.Exclude(rvioLineBreakBefore);
  }
  for (size_t i = Index; i < From.Items.size(); ++i) To.Items.push_back(std::move(From.Items[i]));
  From.Items.resize(Index);
}

void TRVRTFImportBuilder::TableEvent(TRVRTFTableEventKind Kind) {
  switch (Kind) {
  case rvf_tbl_TableStart:
    // The cell's first text begins its paragraph anyway, and text taken
    // back into the cell may go on in the paragraph it began.
    StartTable();
    return;
  case rvf_tbl_CellEnd: EndCell(); break;
  case rvf_tbl_RowEnd: EndRow(); break;
  case rvf_tbl_TableEnd:
    if (Tables.empty()) break;
    // The table set aside last is inside the one now ending.
    if (Tables.back()->SetAside) FinishTable();
    if (!Tables.empty()) SetTableAside();
    break;
  }
  ForceNewPara = true;
}

void TRVRTFImportBuilder::StartTable() {
  SettleMarker();
  const bool atCellEnd = R.OpeningAtCellEnd();
  if (!Tables.empty() && Tables.back()->SetAside) {
    TableBuild &t = *Tables.back();
    // A cell end after paragraphs outside the table, or table paragraphs
    // again before the row ended: those paragraphs were the table's.
    if (atCellEnd || !t.Ended.empty() || !t.Cell->Items.empty()) {
      MoveItems(*t.Parent, t.SetAsideAt, *t.Cell);
      t.SetAside = false;
      Cur = t.Cell.get();
      return;
    }
    FinishTable();
  }
  auto t = std::make_unique<TableBuild>();
  t->Parent = Cur;
  t->Cell = NewCellSink();
  // The paragraph that opens the table may have given out text already
  // (a run before a formatting change, or a cell end in a paragraph that
  // never said it was in a table): that text is the cell's.
  if (R.NextTextPosition() != rtf_ts_NewPara && !Cur->Items.empty()) {
    size_t start = Cur->Items.size() - 1;
    while (start > 0 && Cur->Items[start].Item->GetContinuePara()) --start;
    // Never a table, nor a paragraph that began before the insertion point.
    if (Cur->Items[start].Item->StyleNo == rvsTable || (Cur->Items[start].Item->GetContinuePara() && Cur == &Main))
      start = Cur->Items.size();
    MoveItems(*Cur, start, *t->Cell);
  }
  Cur = t->Cell.get();
  Tables.push_back(std::move(t));
}

void TRVRTFImportBuilder::SetTableAside() {
  SettleMarker();
  TableBuild &t = *Tables.back();
  t.SetAside = true;
  t.SetAsideAt = t.Parent->Items.size();
  Cur = t.Parent;
}

void TRVRTFImportBuilder::EndCell() {
  // A cell end for a table nested deeper than this one: that table ended.
  if (!Tables.empty() && Tables.back()->SetAside) FinishTable();
  if (Tables.empty()) StartTable();
  SettleMarker();
  TableBuild &t = *Tables.back();
  if (t.Cell->Items.empty()) {
    auto item = RichVistaTextItemClass(t.Cell->Data);
    item->StyleNo = 0;
    item->ParaNo = 0;
    t.Cell->Items.push_back({std::string(), std::move(item)});
  }
  t.Ended.push_back({std::move(t.Cell)});
  t.Cell = NewCellSink();
  Cur = t.Cell.get();
  // A row that the end of the text leaves open ends with the definition in
  // force at its last cell end (the reader's is gone by then). Copied only
  // when it changed: a group shares its parent's until it writes.
  if (const TRVRTFRowProperties *rp = R.RowProps(); rp && rp != t.PropsSeen) {
    t.Props = *rp;
    t.PropsSeen = rp;
  }
}

void TRVRTFImportBuilder::EndRow() {
  if (!Tables.empty() && Tables.back()->SetAside) FinishTable();
  if (Tables.empty()) StartTable();
  SettleMarker();
  CloseRow(*Tables.back(), R.RowProps());
  Cur = Tables.back()->Cell.get();
}

void TRVRTFImportBuilder::CloseRow(TableBuild &T, const TRVRTFRowProperties *Props) {
  // Text after the last cell end is a cell of its own.
  if (!T.Cell->Items.empty()) {
    T.Ended.push_back({std::move(T.Cell)});
    T.Cell = NewCellSink();
  }
  if (T.Ended.empty()) return;
  TableRow row;
  row.Cells = std::move(T.Ended);
  T.Ended.clear();
  if (Props) row.Props = *Props;
  else row.Props.Cells.clear();
  row.Alignment = R.TableAlignment();
  if (row.Props.Heading && T.HeadingRows == int(T.Rows.size())) T.HeadingRows = int(T.Rows.size()) + 1;
  T.Rows.push_back(std::move(row));
}

void TRVRTFImportBuilder::FinishTable() {
  SettleMarker();
  std::unique_ptr<TableBuild> t = std::move(Tables.back());
  Tables.pop_back();
  Sink &parent = *t->Parent;
  const size_t at = t->SetAside ? t->SetAsideAt : parent.Items.size();
  if (t->Rows.empty() && t->Ended.empty()) {
    // No cell ever ended: the text was never in a table.
    Sink tail;
    MoveItems(parent, at, tail);
    MoveItems(*t->Cell, 0, parent);
    MoveItems(tail, 0, parent);
  } else {
    // A row left open ends here.
    CloseRow(*t, t->PropsSeen ? &t->Props : nullptr);
    BuiltItem b{std::string(), MakeTable(*t)};
    b.Item->SetContinuePara(false);
    parent.Items.insert(parent.Items.begin() + std::ptrdiff_t(at), std::move(b));
    if (at + 1 < parent.Items.size()) {
      parent.Items[at + 1].Item->SetContinuePara(false);
      parent.Items[at + 1].Item->ItemOptions.Exclude(rvioLineBreakBefore);
    }
  }
  Cur = &parent;
  ForceNewPara = true;
}

int TRVRTFImportBuilder::TableParaStyle(uint8_t Alignment) {
  if (!Style) return 0;
  if (P.ParaStyleMode == rvrsUseSpecified) return P.ParaStyleNo() < Style->ParaStyles().Count() ? P.ParaStyleNo() : 0;
  if (P.ParaStyleMode == rvrsUseClosest) return 0;
  const TRVAlignment align = Alignment == 1 ? rvaRight : Alignment == 2 ? rvaCenter : rvaLeft;
  if (align == rvaLeft && LeftTableParaStyle >= 0) return LeftTableParaStyle;
  const TParaInfo &p0 = *Style->ParaStyles().GetParaStyleSafe(0);
  int found = 0;
  if (p0.LeftIndent != 0 || p0.RightIndent != 0 || p0.FirstIndent != 0 || p0.Alignment != align) {
    TParaInfo wanted;
    wanted.Assign(p0);
    wanted.LeftIndent = wanted.RightIndent = wanted.FirstIndent = 0;
    wanted.Alignment = align;
    found = -1;
    for (int i = 0; i < Style->ParaStyles().Count() && found < 0; ++i)
      if (Style->ParaStyles()[i]->IsEqualTo(wanted, false)) found = i;
    if (found < 0) {
      Style->ParaStyles().Add()->Assign(wanted);
      found = Style->ParaStyles().Count() - 1;
    }
  }
  if (align == rvaLeft) LeftTableParaStyle = found;
  return found;
}

// Averages over the rows and cells that give a value.
struct TRVRTFImportBuilder::TableLook {
  Average Padding, CellBorder, TableBorder, HSpacing, VSpacing;
  // Whether every cell border has one colour, and which.
  bool OneColourPair = true, FirstColour = true;
  TColor Colour = clNone;
};

TRVRTFGrid TRVRTFImportBuilder::GridOfRows(const TableBuild &T) {
  // Boundaries count from the leftmost row start.
  int32_t origin = INT32_MAX;
  for (const TableRow &r : T.Rows) origin = std::min(origin, r.Props.Left);
  std::vector<TRVRTFGridRowIn> in;
  in.reserve(T.Rows.size());
  for (const TableRow &r : T.Rows) {
    TRVRTFGridRowIn row(r.Cells.size());
    for (size_t i = 0; i < r.Cells.size() && i < r.Props.Cells.size(); ++i) {
      const TRVRTFCellProperties &def = r.Props.Cells[i];
      const int64_t right = int64_t(def.RightBoundary) - origin;
      row[i].HasRight = right > 0;
      row[i].Right = row[i].HasRight ? px(right) : 0;
      row[i].HMerge = def.HMerge;
      row[i].VMerge = def.VMerge;
    }
    in.push_back(std::move(row));
  }
  return BuildRTFGrid(in);
}

void TRVRTFImportBuilder::TakeRowLook(const TableBuild &T, TRVTableItemInfo &Table, TableLook &Look) {
  TRVTableItemInfo &tb = Table;
  for (const TableRow &r : T.Rows) {
    const TRVRTFRowProperties &p = r.Props;
    bool anyPadding = false;
    for (int k = 0; k < 4; ++k)
      if (p.PaddingTwips[size_t(k)]) {
        Look.Padding.Add(p.Padding[size_t(k)]);
        anyPadding = true;
      }
    if (!anyPadding && p.Gap > 0) Look.Padding.Add(p.Gap);
    if (p.SpacingTwips[0] || p.SpacingTwips[2]) Look.HSpacing.Add(int64_t(p.Spacing[0]) + p.Spacing[2]);
    if (p.SpacingTwips[1] || p.SpacingTwips[3]) Look.VSpacing.Add(int64_t(p.Spacing[1]) + p.Spacing[3]);
    for (int k = 0; k < 4; ++k)
      if (Side s = sideOf(p.Border, k); s.Shown) {
        if (!Look.TableBorder.Any()) tb.BorderColor = tb.BorderLightColor = s.Color;
        Look.TableBorder.Add(s.Width);
      }
  }
  const int pad = Look.Padding.Any() ? Look.Padding.Pixels() : tb.CellPadding;
  tb.CellPadding = std::max(0, pad);
  const TRVRTFRowProperties *first = T.Rows.empty() ? nullptr : &T.Rows.front().Props;
  if (first && first->BestWidth != 0) {
    if (first->OwnWidths) tb.BestWidth = first->BestWidth;
    else if (first->PercentWidth) tb.BestWidth = std::clamp(first->BestWidth / 50, -100, -1);
    else tb.BestWidth = std::max(0, px(first->BestWidth));
  }
  if (first && !first->OwnWidths && first->PercentWidth && first->BestWidth == 0) tb.BestWidth = 0;
}

// What each input cell brought goes to its place in the grid; a main cell
// takes its input cell's looks.
void TRVRTFImportBuilder::TakeCellLook(const TableBuild &T, const TRVRTFGrid &Grid, TRVTableItemInfo &Table,
                                       TableLook &Look, CellContents &Content) {
  TRVTableItemInfo &tb = Table;
  for (size_t r = 0; r < T.Rows.size(); ++r)
    for (size_t i = 0; i < T.Rows[r].Cells.size(); ++i) {
      const TRVRTFGridPlace &pl = Grid.Places[r][i];
      Content[size_t(pl.Row)][size_t(pl.Col)].push_back(T.Rows[r].Cells[i].Content.get());
      if (!pl.Main) continue;
      TRVTableCellData *cell = tb.Cells(pl.Row, pl.Col);
      if (!cell) continue;
      const TRVRTFRowProperties &rp = T.Rows[r].Props;
      const TRVRTFCellProperties def = i < rp.Cells.size() ? rp.Cells[i] : TRVRTFCellProperties();
      cell->Color = def.Color;
      cell->VAlign = cellVAlign(def.VAlign);
      if (rp.OwnWidths) {
        cell->BestWidth = def.BestWidth;
        cell->BestHeight = std::max(0, def.BestHeight);
      } else {
        if (def.PercentWidth && def.BestWidth < 0) cell->BestWidth = std::clamp(def.BestWidth / 50, -100, -1);
        else {
          const int w = Grid.Cells[size_t(pl.Cell)].Width;
          cell->BestWidth = w > 2 * tb.CellPadding ? w - 2 * tb.CellPadding : w;
        }
        cell->BestHeight = rp.Height != 0 ? px(std::abs(int64_t(rp.Height))) : 0;
      }
      const Side sides[4] = {sideOf(def.Border, 0), sideOf(def.Border, 1), sideOf(def.Border, 2),
                             sideOf(def.Border, 3)};
      cell->VisibleBorders.SetValues(sides[0].Shown, sides[1].Shown, sides[2].Shown, sides[3].Shown);
      TColor c = clNone;
      for (const Side &s : sides)
        if (s.Shown) {
          Look.CellBorder.Add(s.Width);
          if (c == clNone) c = s.Color;
        }
      if (c != clNone) {
        cell->BorderColor = cell->BorderLightColor = c;
        if (Look.FirstColour) Look.Colour = c;
        else if (c != Look.Colour) Look.OneColourPair = false;
        Look.FirstColour = false;
      }
    }
}

// A merged cell takes the text of every cell it covers.
void TRVRTFImportBuilder::FillCells(const TRVRTFGrid &Grid, TRVTableItemInfo &Table, CellContents &Content) {
  for (const TRVRTFGridCell &g : Grid.Cells) {
    TRVTableCellData *cell = Table.Cells(g.Row, g.Col);
    if (!cell) continue;
    cell->Clear();
    int index = 0;
    const std::vector<Sink *> &parts = Content[size_t(g.Row)][size_t(g.Col)];
    for (Sink *s : parts) {
      // A cell merged into this one adds its text, if it has any.
      if (s != parts.front() && std::all_of(s->Items.begin(), s->Items.end(),
                                            [](const BuiltItem &b) { return b.Item->StyleNo >= 0 && b.Text.empty(); }))
        continue;
      bool firstOfCell = true;
      for (BuiltItem &b : s->Items) {
        if (firstOfCell) {
          b.Item->SetContinuePara(false);
          b.Item->ItemOptions.Exclude(rvioLineBreakBefore);
          firstOfCell = false;
        }
        bool full = false;
        int newList = -1;
        cell->InsertItemAt(index, b.Text, b.Item, full, newList);
        ++index;
      }
      s->Items.clear();
    }
    if (cell->GetItemCount() == 0) {
      auto item = RichVistaTextItemClass(cell);
      item->StyleNo = 0;
      item->ParaNo = 0;
      std::string text;
      bool full = false;
      int newList = -1;
      cell->InsertItemAt(index, text, item, full, newList);
    }
  }
}

// A left or top border that only repeats the neighbour's right or bottom
// one is drawn once.
void TRVRTFImportBuilder::DropRepeatedBorders(const TRVRTFGrid &Grid, TRVTableItemInfo &Table) {
  for (const TRVRTFGridCell &g : Grid.Cells) {
    TRVTableCellData *cell = Table.Cells(g.Row, g.Col);
    if (!cell) continue;
    int mr = 0, mc = 0;
    if (g.Col > 0 && cell->VisibleBorders.Left)
      if (const TRVTableCellData *n = Table.Rows().GetMainCell(g.Row, g.Col - 1, mr, mc); n && n->VisibleBorders.Right)
        cell->VisibleBorders.Left = false;
    if (g.Row > 0 && cell->VisibleBorders.Top)
      if (const TRVTableCellData *n = Table.Rows().GetMainCell(g.Row - 1, g.Col, mr, mc); n && n->VisibleBorders.Bottom)
        cell->VisibleBorders.Top = false;
  }
}

void TRVRTFImportBuilder::FinishTableLook(TRVTableItemInfo &Table, const TableLook &Look) const {
  TRVTableItemInfo &tb = Table;
  tb.CellBorderWidth = Look.CellBorder.Any() ? Look.CellBorder.Pixels(true) : 0;
  tb.BorderWidth = Look.TableBorder.Any() ? Look.TableBorder.Pixels(true) : 0;
  const bool spacing = Look.HSpacing.Any() || Look.VSpacing.Any();
  tb.CellHSpacing = Look.HSpacing.Any() ? std::max(0, Look.HSpacing.Pixels()) : 0;
  tb.CellVSpacing = Look.VSpacing.Any() ? std::max(0, Look.VSpacing.Pixels()) : 0;
  if (!spacing) {
    tb.BorderHSpacing = tb.BorderVSpacing = 0;
    if (tb.BorderWidth == tb.CellBorderWidth) tb.BorderWidth = 0;
  }
  if (Look.OneColourPair && !Look.FirstColour) {
    tb.CellBorderStyle = rvtbColor;
    tb.CellBorderColor = tb.CellBorderLightColor = Look.Colour;
  }
  if (tb.BorderColor == tb.BorderLightColor) tb.BorderStyle = rvtbColor;
  if (P.AutoHideTableGridLines) tb.Options.Include(rvtoHideGridLines);
}

std::unique_ptr<TCustomRVItemInfo> TRVRTFImportBuilder::MakeTable(TableBuild &T) {
  const TRVRTFGrid grid = GridOfRows(T);
  auto table = std::make_unique<TRVTableItemInfo>(int(T.Rows.size()), grid.Cols, T.Parent->Data);
  TRVTableItemInfo &tb = *table;
  tb.Color = clNone;
  tb.BorderStyle = rvtbRaisedColor;
  tb.CellBorderStyle = rvtbLoweredColor;
  tb.BorderColor = tb.BorderLightColor = tb.CellBorderColor = tb.CellBorderLightColor = clWindowText;
  tb.HeadingRowCount = T.HeadingRows;
  for (const TRVRTFGridCell &c : grid.Cells)
    if (c.RowSpan > 1 || c.ColSpan > 1) tb.Rows().ApplySpan(c.Row, c.Col, c.RowSpan, c.ColSpan);

  TableLook look;
  TakeRowLook(T, tb, look);
  CellContents content(T.Rows.size(), std::vector<std::vector<Sink *>>(size_t(grid.Cols)));
  TakeCellLook(T, grid, tb, look, content);
  FillCells(grid, tb, content);
  DropRepeatedBorders(grid, tb);
  FinishTableLook(tb, look);
  tb.AfterGridChange();
  table->ParaNo = TableParaStyle(T.Rows.empty() ? 0 : T.Rows.back().Alignment);
  return table;
}

} // namespace kc
