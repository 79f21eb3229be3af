// The table's component stream: writing follows the grid row by row; reading
// builds the grid from empty slots, placing each cell read at the next slot
// that no cell covers yet, so that a stream can only describe a grid whose
// every slot is covered exactly once.
#include "richtext/tables/RVTableStream.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "platform/ScopeGuard.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVClasses.h"
#include "richtext/document/RVComponentStream.h"
#include "richtext/document/RVItemParts.h"
#include "richtext/tables/RVTable.h"
#include "richtext/tables/RVTableProps.h"

namespace kc {

namespace {

constexpr const char *TableClass = "TRVTableSW";
constexpr const char *CellClass = "TD";

[[noreturn]] void Fail(const char *Why) { throw ERichVistaError(Why); }

std::string LE32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[size_t(i)] = char((v >> (8 * i)) & 0xFF);
  return s;
}

bool ReadLE32(std::string_view &s, uint32_t &v) {
  if (s.size() < 4) return false;
  v = 0;
  for (int i = 0; i < 4; ++i) v |= uint32_t(uint8_t(s[size_t(i)])) << (8 * i);
  s.remove_prefix(4);
  return true;
}

// "BackgroundImg": the class name with its length, then the picture; a
// cell's picture has its length before it too.
std::string PictureBytes(const TGraphic &G, bool Counted) {
  const std::string cls = G.className(), data = G.saveToBytes();
  return LE32(uint32_t(cls.size())) + cls + (Counted ? LE32(uint32_t(data.size())) : std::string()) + data;
}

std::unique_ptr<TGraphic> PictureFromBytes(std::string_view s, bool Counted) {
  uint32_t n = 0;
  if (!ReadLE32(s, n) || n > s.size()) Fail("The background picture of a table is damaged");
  const std::string_view cls = s.substr(0, n);
  s.remove_prefix(n);
  if (Counted) {
    if (!ReadLE32(s, n) || n > s.size()) Fail("The background picture of a table is damaged");
    s = s.substr(0, n);
  }
  std::unique_ptr<TGraphic> g = createGraphic(cls);
  // A picture of a kind we do not know, or one that cannot be read, is
  // left out: the table is still worth having.
  if (g && !g->loadFromBytes(s)) g.reset();
  return g;
}

// ================================================================ writing

class TTableWriter {
public:
  TTableWriter(TRVTableItemInfo &Table, const TRVTableSavingRange &Range) : T(Table) {
    const int rows = T.RowCount();
    const int first = std::clamp(Range.FirstRow, 0, rows);
    const int count = Range.RowCount < 0 ? rows - first : std::min(Range.RowCount, rows - first);
    const int headings = Range.HeadingRowsFirst ? std::clamp(T.HeadingRowCount, 0, rows) : 0;
    if (headings > 0) Segments.push_back({0, headings});
    if (count > 0) Segments.push_back({first, first + count});
  }

  std::string Run() {
    W.Signature();
    W.BeginComponent(TableClass, "");
    W.Prefix = "T.";
    RVPropsWriteStored(RVTableProps(), &T, W, nullptr);
    if (const TGraphic *g = T.GetBackgroundImage(); g && !g->empty())
      W.Binary("BackgroundImg", PictureBytes(*g, false));
    W.Prefix.clear();
    W.Name("C");
    Cells();
    RowVAlign();
    W.EndList(); // properties
    W.EndList(); // children
    return std::move(W.Out);
  }

private:
  struct Segment {
    int Begin, End; // rows Begin .. End - 1
  };

  int WrittenRows() const {
    int n = 0;
    for (const Segment &s : Segments) n += s.End - s.Begin;
    return n;
  }

  // Every written row in order; a cell is written where the part of it
  // inside the segment begins, with its row span cut at the segment's end,
  // so that a part cut out of a grid is a grid of its own.
  void Cells() {
    const int rows = WrittenRows();
    W.IntValue(rows);
    if (rows == 0) return;
    const int cols = T.ColCount();
    W.IntValue(cols);
    W.BeginList();
    for (const Segment &s : Segments)
      for (int r = s.Begin; r < s.End; ++r)
        for (int c = 0; c < cols; ++c) {
          int mr = r, mc = c;
          TRVTableCellData *cell = T.Rows().GetMainCell(r, c, mr, mc);
          if (!cell) {
            // Nothing covers the slot (a grid broken elsewhere): an empty
            // cell keeps the stream a grid.
            TRVTableCellData empty(nullptr);
            Cell(1, 1, empty);
            continue;
          }
          if (mc != c || r != std::max(mr, s.Begin)) continue;
          const int rowSpan = std::min(mr + std::max(1, cell->RowSpan), s.End) - r;
          const int colSpan = std::clamp(cell->ColSpan, 1, cols - c);
          Cell(colSpan, rowSpan, *cell);
        }
    W.EndList();
  }

  void Cell(int ColSpan, int RowSpan, TRVTableCellData &C) {
    W.IntValue(ColSpan);
    W.IntValue(RowSpan);
    W.BeginComponent(CellClass, "");
    W.Prefix = "C.";
    RVPropsWriteStored(RVTableCellProps(), &C, W, nullptr);
    if (C.HasData(true)) {
      std::string data;
      SaveRvfToStream(C, data, false);
      W.Binary("Data", data);
    }
    if (const TGraphic *g = C.GetBackgroundImage(); g && !g->empty()) W.Binary("BackgroundImg", PictureBytes(*g, true));
    W.Prefix.clear();
    W.EndList();
    W.EndList();
  }

  // Only when some written row is not top-aligned.
  void RowVAlign() {
    bool any = false;
    for (const Segment &s : Segments)
      for (int r = s.Begin; r < s.End; ++r) any = any || T.Rows()[r]->VAlign != rvcTop;
    if (!any) return;
    W.Name("RowVAlign");
    W.BeginList();
    for (const Segment &s : Segments)
      for (int r = s.Begin; r < s.End; ++r) W.IntValue(T.Rows()[r]->VAlign);
    W.EndList();
  }

  TRVTableItemInfo &T;
  std::vector<Segment> Segments;
  TRVComponentWriter W;
};

// ================================================================ reading

thread_local int ReadingDepth = 0;

class TTableReader {
public:
  TTableReader(TRVTableItemInfo &Table, std::string_view Stream) : T(Table), R(Stream) {}

  void Run() {
    std::string cls, name;
    if (!R.Signature()) Fail("A table's data is not a component stream");
    if (!R.ComponentHeader(cls, name) || cls != TableClass) Fail("A table's data holds no table");
    for (;;) {
      if (!R.PropName(name)) Fail("A table's data ends inside its properties");
      if (name.empty()) break;
      if (name == "C") Cells();
      else if (name == "RowVAlign") RowVAlign();
      else if (name == "T.BackgroundImg") T.TakeBackgroundImage(PictureFromBytes(Binary(), false));
      else if (name.starts_with("T.")) Property(RVTableProps(), &T, name.substr(2));
      else Unknown();
    }
    if (!R.EndHere()) Fail("A table's data holds components of its own");
    std::string why;
    if (!T.Rows().Check(&why)) throw ERichVistaError("A table's grid is broken: " + why);
  }

private:
  std::string Binary() {
    std::string b;
    if (!R.BinaryValue(b)) Fail("A table's data ends inside a binary property");
    return b;
  }

  // A property the table does not know, or a value it cannot take, is
  // passed over: a newer writer may know more.
  void Unknown() {
    if (!R.SkipValue()) Fail("A table's data ends inside a property");
    Warn();
  }

  void Warn() {
    if (TCustomRVData *d = T.Rows().MainRVData) rvitem::AddWarning(d, rvfwUnknownStyleProperties);
  }

  void Property(const TRVPropTable &Table, void *Obj, const std::string &Name) {
    if (!R.PlainValueNext()) return Unknown();
    TRVStoredValue v;
    if (!R.Value(v, 0)) Fail("A table's data ends inside a property");
    if (!RVPropsReadStored(Table, Obj, Name, v, nullptr)) Warn();
  }

  int32_t Int(const char *Why) {
    int32_t v = 0;
    if (!R.IntValue(v)) Fail(Why);
    return v;
  }

  void Cells() {
    TRVTableRows &rows = T.Rows();
    const int32_t nRows = Int("A table's row count is not a number");
    if (nRows < 0) Fail("A table's row count is negative");
    rows.Reset(0, 0);
    if (nRows == 0) return;
    const int32_t nCols = Int("A table's column count is not a number");
    if (nCols < 0) Fail("A table's column count is negative");
    if (nRows > RVMaxStoredTableRows || int64_t(nRows) * std::max(nCols, 1) > RVMaxStoredTableSlots)
      Fail("A table's grid is too large");
    if (!R.ListBegin()) Fail("A table's cells are not a list");
    for (int r = 0; r < nRows; ++r) {
      auto row = std::make_unique<TRVTableRow>(&rows, 0);
      for (int c = 0; c < nCols; ++c) row->InsertEmpty(c);
      rows.AddRow(std::move(row));
    }
    std::vector<uint8_t> covered(size_t(nRows) * size_t(nCols), 0);
    for (int r = 0; r < nRows; ++r)
      for (int c = 0; c < nCols; ++c) {
        if (covered[size_t(r) * size_t(nCols) + size_t(c)]) continue;
        if (R.EndHere()) Fail("Wrong end of cells list");
        const int32_t colSpan = Int("A cell's column span is not a number");
        const int32_t rowSpan = Int("A cell's row span is not a number");
        if (colSpan < 1 || rowSpan < 1 || colSpan > nCols - c || rowSpan > nRows - r)
          Fail("A cell's spans reach outside the table");
        for (int i = r; i < r + rowSpan; ++i)
          for (int k = c; k < c + colSpan; ++k) {
            uint8_t &slot = covered[size_t(i) * size_t(nCols) + size_t(k)];
            if (slot) Fail("A cell's spans cover another cell");
            slot = 1;
          }
        TRVTableRow *row = rows[r];
        row->Put(c, std::make_unique<TRVTableCellData>(row));
        TRVTableCellData *cell = row->Get(c);
        cell->ColSpan = colSpan;
        cell->RowSpan = rowSpan;
        Cell(*cell);
      }
    if (!R.EndHere()) Fail("Wrong end of cells list");
  }

  void Cell(TRVTableCellData &C) {
    std::string cls, name;
    if (!R.ComponentHeader(cls, name) || cls != CellClass) Fail("A table's cell is not a cell component");
    for (;;) {
      if (!R.PropName(name)) Fail("A table's data ends inside a cell");
      if (name.empty()) break;
      if (name == "C.Data") Items(C, Binary());
      else if (name == "C.BackgroundImg") C.TakeBackgroundImage(PictureFromBytes(Binary(), true));
      else if (name.starts_with("C.")) Property(RVTableCellProps(), &C, name.substr(2));
      else Unknown();
    }
    if (!R.EndHere()) Fail("A table's cell holds components of its own");
  }

  void Items(TRVTableCellData &C, const std::string &Data) {
    const TRVFReadResult r = LoadRvfNested(C, Data);
    if (!r.Ok) throw ERichVistaError("A table cell's items: " + r.Error);
  }

  void RowVAlign() {
    if (!R.ListBegin()) Fail("A table's row alignments are not a list");
    for (int r = 0; r < T.RowCount(); ++r) {
      const int32_t v = Int("A table has fewer row alignments than rows");
      if (v < rvcTop || v > rvcVDefault) Fail("A table row's alignment is unknown");
      T.Rows()[r]->VAlign = static_cast<TRVCellVAlign>(v);
    }
    if (!R.EndHere()) Fail("A table has more row alignments than rows");
  }

  TRVTableItemInfo &T;
  TRVComponentReader R;
};

} // namespace

std::string SaveTableToComponentStream(TRVTableItemInfo &Table, const TRVTableSavingRange &Range) {
  return TTableWriter(Table, Range).Run();
}

void LoadTableFromComponentStream(TRVTableItemInfo &Table, std::string_view Stream) {
  struct Depth {
    Depth() { ++ReadingDepth; }
    ~Depth() { --ReadingDepth; }
  } depth;
  if (ReadingDepth > RVMaxStoredTableNesting) Fail("Tables are nested too deeply");
  const ScopeGuard settle([&] { Table.AfterGridChange(); });
  // Slots that no cell reached yet would break the grid's rules.
  const FailureGuard empty([&] { Table.Rows().Reset(0, 0); });
  TTableReader(Table, Stream).Run();
}

} // namespace kc
