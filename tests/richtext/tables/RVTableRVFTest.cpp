// The table's RVF record: the bytes of small tables, write-read-write
// identity for random grids (spans, nesting, heading rows, pictures, both
// forms), page parts, and streams that lie about their grid.
#include "richtext/tables/RVTableStream.h"

#include "support/DocumentHosts.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include <QImage>

#include "richtext/document/CRVDataFormats.h"
#include "richtext/tables/RVTable.h"

using namespace kc;
using namespace std::string_literals;

namespace {

struct TDoc : kctest::TStyledDoc<> {
  explicit TDoc(TRVFOptions Options = {}) {
    RegisterTableItemType();
    host.Flags = 0x100;
    host.RVFOptions = Options + TRVFOptions{rvfoSavePicturesBody};
    style.TextStyles()[1]->Unicode = true;
  }
  TRVTableItemInfo *Table(int Rows, int Cols) {
    auto t = std::make_unique<TRVTableItemInfo>(Rows, Cols, &doc);
    TRVTableItemInfo *p = t.get();
    doc.AddItem("", std::move(t));
    return p;
  }
  std::string Rvf() {
    std::string s;
    EXPECT_TRUE(SaveRvfToStream(doc, s, false));
    return s;
  }
};

// The item's text, replacing the cell's first (empty) item.
void SetText(TRVTableCellData *Cell, const std::string &Text, int Style = 0) {
  Cell->Clear();
  Cell->AddText(Text, Style, 0);
}

// UTF-16 text (its little-endian bytes) in the Unicode text style 1.
void SetUnicodeText(TRVTableCellData *Cell, const std::u16string &Text) {
  Cell->Clear();
  auto item = RichVistaTextItemClass(Cell);
  item->StyleNo = 1;
  item->ItemOptions.Include(rvioUnicode);
  Cell->AddItem(kctest::U16(Text), std::move(item));
}

std::string Hex(std::string_view s) { return RVFStringToHex(s); }

// The head of a table's component stream, with the text separators that
// are written whenever they are not empty.
const std::string TableHead = "TPF0\x0aTRVTableSW\x00"
                              "\x12T.TextRowSeparator\x06\x02\r\n"
                              "\x12T.TextColSeparator\x06\x02\r\n"s;
// The component stream of a 2 x 2 table whose first row is one cell, with
// nothing else set: three cells, (2, 1) then (1, 1) and (1, 1).
const std::string TwoByTwo = TableHead + "\x01"
                                         "C\x02\x02\x02\x02\x01"
                                         "\x02\x02\x02\x01\x02TD\x00\x00\x00"
                                         "\x02\x01\x02\x01\x02TD\x00\x00\x00"
                                         "\x02\x01\x02\x01\x02TD\x00\x00\x00"
                                         "\x00\x00\x00"s;

} // namespace

// ------------------------------------------------------------------ bytes

namespace {

// A document of one table record: Extra holds its extra-property lines.
std::string Record(const std::string &Stream, bool Binary, const std::string &Extra = "", int ExtraLines = 0) {
  std::string r = "-8 1 3\r\n-60 " + std::to_string(3 + ExtraLines) + " 0 0 " + (Binary ? "2" : "0") + " 0\r\n\r\n" +
                  Extra + "1\r\n";
  if (!Binary) return r + Hex(Stream) + "\r\n";
  for (int i = 0; i < 4; ++i) r += char((Stream.size() >> (8 * i)) & 0xFF);
  return r + Stream;
}

} // namespace

TEST(TableRvf, SmallTablesGiveTheseBytes) {
  struct Case {
    const char *name;
    std::function<void(TDoc &)> build;
    std::string stream;
    std::string extra = {};
    int extraLines = 0;
  };
  const std::string cellA = "-8 1 3\r\n0 1 0 0 0 0\r\na\r\n";
  const std::string noRows = TableHead + "\x01"
                                         "C\x02\x00\x00\x00"s;
  const Case cases[] = {
      {"2 x 2, first row merged", [](TDoc &d) { d.Table(2, 2)->Rows().ApplySpan(0, 0, 1, 2); }, TwoByTwo},
      {"no rows is the single integer 0", [](TDoc &d) { d.Table(0, 0); }, noRows},
      {"attributes, cell text and row alignment",
       [](TDoc &d) {
         TRVTableItemInfo *t = d.Table(1, 1);
         t->BorderWidth = 1;
         t->Cells(0, 0)->Color = clRed;
         SetText(t->Cells(0, 0), "a");
         t->Rows()[0]->VAlign = rvcBottom;
       },
       TableHead + "\x0dT.BorderWidth\x02\x01" +
           "\x01"
           "C\x02\x01\x02\x01\x01\x02\x01\x02\x01" +
           "\x02TD\x00"s +
           "\x07"
           "C.Color\x07\x05"
           "clRed" +
           "\x06"
           "C.Data\x0a" +
           std::string(1, char(cellA.size())) + "\x00\x00\x00"s + cellA + "\x00\x00\x00"s +
           "\x09RowVAlign\x01\x02\x02\x00"s + "\x00\x00"s},
      {"the background's file name is an extra property",
       [](TDoc &d) { d.Table(0, 0)->BackgroundImageFileName = "b.bmp"; }, noRows, "filename=b.bmp\r\n", 1},
  };
  for (const bool binary : {false, true})
    for (const Case &c : cases) {
      const TRVFOptions o = binary ? TRVFOptions{rvfoSaveBinary} : TRVFOptions{};
      const std::string want = Record(c.stream, binary, c.extra, c.extraLines);
      TDoc d(o);
      c.build(d);
      EXPECT_EQ(Hex(d.Rvf()), Hex(want)) << c.name << (binary ? ", binary" : ", text");
      TDoc back(o);
      const TRVFReadResult r = LoadRvfFromStream(back.doc, want);
      ASSERT_TRUE(r.Ok) << c.name << ": " << r.Error;
      EXPECT_EQ(Hex(back.Rvf()), Hex(want)) << c.name << (binary ? ", binary" : ", text");
    }
}

// ------------------------------------------------------------ round trips

namespace {

std::unique_ptr<TGraphic> Picture(int Seed) {
  QImage img(2 + Seed % 3, 2, QImage::Format_RGB32);
  img.fill(QColor::fromRgb(uint32_t(0x102030 * (Seed + 1))));
  return std::make_unique<TBitmap>(img);
}

// A random table in Doc: spans, attributes, heading rows, row alignments,
// pictures as items and backgrounds, and tables inside cells.
void RandomTable(TCustomRVData &Doc, std::mt19937 &rng, int Depth) {
  auto pick = [&](int n) { return int(rng() % unsigned(n)); };
  const int rows = 1 + pick(4), cols = 1 + pick(4);
  auto owned = std::make_unique<TRVTableItemInfo>(rows, cols, &Doc);
  TRVTableItemInfo *t = owned.get();
  Doc.AddItem("", std::move(owned));
  for (int k = pick(4); k > 0; --k) t->Rows().ApplySpan(pick(rows), pick(cols), 1 + pick(3), 1 + pick(3));
  if (pick(2)) t->BorderWidth = pick(4);
  if (pick(2)) t->Color = pick(2) ? clNone : clYellow;
  if (pick(2)) t->BestWidth = pick(2) ? -1 - pick(100) : 1 + pick(600);
  if (pick(2)) t->Options = TRVTableOptions::FromRaw(uint16_t(pick(1024)));
  if (pick(2)) t->BorderStyle = TRVTableBorderStyle(pick(5));
  if (pick(3) == 0) t->TextRowSeparator = "|";
  if (pick(3) == 0) t->VOutermostRule = true;
  t->HeadingRowCount = pick(rows + 1);
  if (pick(4) == 0) t->TakeBackgroundImage(Picture(pick(5)));
  if (pick(4) == 0) t->BackgroundImageFileName = "back.bmp";
  for (int r = 0; r < rows; ++r) {
    if (pick(3) == 0) t->Rows()[r]->VAlign = TRVCellVAlign(pick(4));
    for (int c = 0; c < cols; ++c) {
      TRVTableCellData *cell = t->Cells(r, c);
      if (!cell) continue;
      if (pick(3) == 0) cell->Color = pick(2) ? clRed : clWindow;
      if (pick(3) == 0) cell->BestWidth = pick(2) ? -1 - pick(100) : 1 + pick(300);
      if (pick(4) == 0) cell->BestHeight = pick(80);
      if (pick(4) == 0) cell->VisibleBorders.Left = false;
      if (pick(3) == 0) cell->VAlign = TRVCellVAlign(pick(4));
      if (pick(6) == 0) cell->TakeBackgroundImage(Picture(pick(5)));
      switch (pick(5)) {
      case 0: break; // the empty item of a new cell
      case 1: SetText(cell, "cell " + std::to_string(r) + " " + std::to_string(c)); break;
      case 2:
        SetText(cell, "pic");
        cell->AddItem("p", std::make_unique<TRVGraphicItemInfo>(cell, Picture(pick(5)), rvvaBaseline));
        break;
      case 3: SetUnicodeText(cell, u"\u0416 w"); break;
      default:
        if (Depth < 2) {
          SetText(cell, "outer");
          RandomTable(*cell, rng, Depth + 1);
          cell->AddText("after", 0, 0);
        }
      }
    }
  }
}

// The grid of every table of the document, its cells' spans, in order.
std::string Grids(const TCustomRVData &D) {
  std::string s;
  for (int i = 0; i < D.GetItemCount(); ++i) {
    const auto *t = dynamic_cast<const TRVTableItemInfo *>(D.GetItem(i));
    if (!t) continue;
    s += "[" + std::to_string(t->RowCount()) + "x" + std::to_string(t->ColCount());
    std::string why;
    if (!t->Rows().Check(&why)) s += " broken: " + why;
    for (int r = 0; r < t->RowCount(); ++r)
      for (int c = 0; c < t->ColCount(); ++c)
        if (const TRVTableCellData *cell = t->Cells(r, c))
          s += " " + std::to_string(cell->RowSpan) + "," + std::to_string(cell->ColSpan) + Grids(*cell);
    s += "]";
  }
  return s;
}

} // namespace

TEST(TableRvf, WriteReadWriteIsIdentityForRandomGrids) {
  for (const TRVFOptions o : {TRVFOptions{}, TRVFOptions{rvfoSaveBinary}})
    for (unsigned seed = 1; seed <= 40; ++seed) {
      std::mt19937 rng(seed);
      TDoc a(o);
      a.doc.AddText("before", 0, 0);
      RandomTable(a.doc, rng, 0);
      a.doc.AddText("between", 0, 0);
      RandomTable(a.doc, rng, 0);
      const std::string first = a.Rvf();
      TDoc b(o);
      const TRVFReadResult r = LoadRvfFromStream(b.doc, first);
      const std::string name =
          (o.Has(rvfoSaveBinary) ? "binary" : "text") + std::string(" seed ") + std::to_string(seed);
      ASSERT_TRUE(r.Ok) << name << ": " << r.Error;
      EXPECT_EQ(Grids(b.doc), Grids(a.doc)) << name;
      EXPECT_EQ(b.Rvf(), first) << name;
    }
}

TEST(TableRvf, APagePartRepeatsTheHeadingRowsAndCutsSpansAtItsEdges) {
  TDoc d;
  TRVTableItemInfo *t = d.Table(5, 2);
  t->HeadingRowCount = 1;
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 2; ++c) SetText(t->Cells(r, c), std::to_string(r) + std::to_string(c));
  ASSERT_TRUE(t->Rows().ApplySpan(1, 1, 2, 1)); // rows 1-2 of column 1
  ASSERT_TRUE(t->Rows().ApplySpan(3, 1, 2, 1)); // rows 3-4, cut by a part that ends at row 3
  struct Case {
    const char *name;
    TRVTableSavingRange range;
    const char *texts; // row by row, cells not covered
  };
  const Case cases[] = {
      {"whole table", {}, "00 01|10 11|20|30 31|40"},
      {"rows 2-3 after the heading", {2, 2, true}, "00 01|20 11|30 31"},
      {"rows 2-3 alone", {2, 2, false}, "20 11|30 31"},
      {"past the end", {4, 9, true}, "00 01|40 31"},
  };
  for (const Case &c : cases) {
    TDoc back;
    TRVTableItemInfo *part = back.Table(1, 1);
    LoadTableFromComponentStream(*part, SaveTableToComponentStream(*t, c.range));
    std::string why;
    EXPECT_TRUE(part->Rows().Check(&why)) << c.name << ": " << why;
    std::string texts;
    for (int r = 0; r < part->RowCount(); ++r) {
      if (r) texts += "|";
      for (int k = 0; k < part->ColCount(); ++k)
        if (const TRVTableCellData *cell = part->Cells(r, k))
          texts += (texts.empty() || texts.back() == '|' ? "" : " ") + cell->GetItemTextRaw(0);
    }
    EXPECT_EQ(texts, c.texts) << c.name;
  }
  // The record of the item holds the range the table is given.
  t->SavingRange = {2, 2, true};
  TDoc back;
  ASSERT_TRUE(LoadRvfFromStream(back.doc, d.Rvf()).Ok);
  const auto *read = dynamic_cast<const TRVTableItemInfo *>(back.doc.GetItem(0));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->RowCount(), 3);
}

// ---------------------------------------------------------------- hostile

namespace {

const std::string Head = "TPF0\x0aTRVTableSW\x00"s;
const std::string Td = "\x02TD\x00\x00\x00"s;
std::string Entry(int ColSpan, int RowSpan) { return "\x02"s + char(ColSpan) + "\x02" + char(RowSpan) + Td; }
// "C" with the counts as integer values and the entries.
std::string Grid(const std::string &Counts, const std::string &Entries) {
  return Head +
         "\x01"
         "C" +
         Counts + "\x01" + Entries + "\x00"s;
}
const std::string End = "\x00\x00"s;

} // namespace

TEST(TableRvfHostile, StreamsThatLieAboutTheirGridFailClearly) {
  const std::string two = "\x02\x02"s;
  struct Case {
    const char *name;
    std::string stream;
    const char *error;
  };
  const Case cases[] = {
      {"row count of 2^31 - 1", Grid("\x04\xff\xff\xff\x7f"s + two, Entry(1, 1)) + End, "too large"},
      {"column count of 2^31 - 1", Grid(two + "\x04\xff\xff\xff\x7f"s, Entry(1, 1)) + End, "too large"},
      {"rows times columns", Grid("\x04\x60\xea\x00\x00\x04\x60\xea\x00\x00"s, Entry(1, 1)) + End, "too large"},
      {"negative row count", Grid("\x02\xff"s + two, "") + End, "negative"},
      {"row count not an integer",
       Head +
           "\x01"
           "C\x06\x01x" +
           End,
       "not a number"},
      {"one cell short", Grid(two + two, Entry(1, 1) + Entry(1, 1) + Entry(1, 1)) + End, "Wrong end of cells list"},
      {"one cell long", Grid("\x02\x01\x02\x01"s, Entry(1, 1) + Entry(1, 1)) + End, "Wrong end of cells list"},
      {"span past the last column", Grid("\x02\x01\x02\x01"s, Entry(2, 1)) + End, "outside"},
      {"span past the last row", Grid("\x02\x01\x02\x01"s, Entry(1, 2)) + End, "outside"},
      {"span of 0", Grid("\x02\x01\x02\x01"s, Entry(0, 1)) + End, "outside"},
      {"spans crossing", Grid(two + two, Entry(1, 1) + Entry(1, 2) + Entry(2, 1)) + End, "cover"},
      {"fewer row alignments than rows",
       Grid(two + "\x02\x01"s, Entry(1, 1) + Entry(1, 1)) + "\x09RowVAlign\x01\x02\x01\x00"s + End, "fewer"},
      {"more row alignments than rows",
       Grid("\x02\x01\x02\x01"s, Entry(1, 1)) + "\x09RowVAlign\x01\x02\x01\x02\x01\x00"s + End, "more"},
      {"unknown row alignment", Grid("\x02\x01\x02\x01"s, Entry(1, 1)) + "\x09RowVAlign\x01\x02\x09\x00"s + End,
       "alignment"},
      {"not a component stream", "TPF1" + Head.substr(4) + End, "not a component stream"},
      {"another component", "TPF0\x05TFont\x00"s + End, "no table"},
      {"a cell of another class", Grid("\x02\x01\x02\x01"s, "\x02\x01\x02\x01\x02TX\x00\x00\x00"s) + End, "cell"},
      {"a cell with a child", Grid("\x02\x01\x02\x01"s, "\x02\x01\x02\x01\x02TD\x00\x00"s + Td) + End, "components"},
      {"cell items that do not read",
       Grid("\x02\x01\x02\x01"s, "\x02\x01\x02\x01\x02TD\x00\x06"
                                 "C.Data\x0a\x03\x00\x00\x00"
                                 "abc\x00\x00"s) +
           End,
       "items"},
      {"ends inside the cells", Grid(two + two, Entry(1, 1)).substr(0, Head.size() + 17), "column span"},
  };
  for (const bool binary : {false, true})
    for (const Case &c : cases) {
      TDoc d(binary ? TRVFOptions{rvfoSaveBinary} : TRVFOptions{});
      const TRVFReadResult r = LoadRvfFromStream(d.doc, Record(c.stream, binary));
      EXPECT_FALSE(r.Ok) << c.name;
      EXPECT_NE(r.Error.find(c.error), std::string::npos) << c.name << ": " << r.Error;
      EXPECT_EQ(d.doc.GetItemCount(), 0) << c.name;
    }
  // Hexadecimal that is not.
  TDoc d;
  EXPECT_FALSE(LoadRvfFromStream(d.doc, "-8 1 3\r\n-60 3 0 0 0 0\r\n\r\n1\r\n5450463G\r\n").Ok);
}

TEST(TableRvfHostile, NestingBeyondTheLimitFails) {
  for (const int levels : {RVMaxStoredTableNesting, RVMaxStoredTableNesting + 1}) {
    TDoc a(TRVFOptions{rvfoSaveBinary});
    TCustomRVData *where = &a.doc;
    for (int i = 0; i < levels; ++i) {
      auto t = std::make_unique<TRVTableItemInfo>(1, 1, where);
      TRVTableCellData *cell = t->Cells(0, 0);
      where->AddItem("", std::move(t));
      where = cell;
    }
    SetText(static_cast<TRVTableCellData *>(where), "deep");
    TDoc b(TRVFOptions{rvfoSaveBinary});
    const TRVFReadResult r = LoadRvfFromStream(b.doc, a.Rvf());
    EXPECT_EQ(r.Ok, levels <= RVMaxStoredTableNesting) << levels << ": " << r.Error;
  }
}

TEST(TableRvfHostile, EveryTruncationFailsOrReadsLess) {
  for (const TRVFOptions o : {TRVFOptions{}, TRVFOptions{rvfoSaveBinary}}) {
    std::mt19937 rng(11);
    TDoc a(o);
    RandomTable(a.doc, rng, 0);
    a.doc.AddText("end", 0, 0);
    const std::string s = a.Rvf();
    for (size_t n = 0; n < s.size(); ++n) {
      TDoc b(o);
      const TRVFReadResult r = LoadRvfFromStream(b.doc, std::string_view(s).substr(0, n));
      if (!r.Ok) {
        EXPECT_FALSE(r.Error.empty()) << n;
      }
      EXPECT_LE(b.doc.GetItemCount(), 2) << n;
      EXPECT_EQ(Grids(b.doc).find("broken"), std::string::npos) << n;
    }
  }
}

// ------------------------------------------------------- styles in cells

TEST(TableRvf, CellItemsAreReadAsTheRestOfTheStream) {
  // A text style that only the stream has: inserted, a cell's item takes
  // the number the style got in the document's sheet.
  TDoc a(TRVFOptions{rvfoSaveTextStyles});
  TFontInfo *loud = static_cast<TFontInfo *>(a.style.TextStyles().AddEntry());
  loud->StyleName = "Shout";
  loud->Size = 40;
  const int shout = a.style.TextStyles().Count() - 1;
  TRVTableItemInfo *t = a.Table(1, 2);
  SetText(t->Cells(0, 1), "loud", shout);
  const std::string s = a.Rvf();

  TDoc ins;
  ins.style.TextStyles()[0]->Size = 30;
  ins.doc.AddText("x", 0, 0);
  const TRVFReadResult r = InsertRvfFromStream(ins.doc, s, 0);
  ASSERT_TRUE(r.Ok) << r.Error;
  const auto *got = dynamic_cast<const TRVTableItemInfo *>(ins.doc.GetItem(0));
  ASSERT_NE(got, nullptr);
  const int mapped = got->Cells(0, 1)->GetItem(0)->StyleNo;
  ASSERT_LT(mapped, ins.style.TextStyles().Count());
  EXPECT_EQ(ins.style.TextStyles()[mapped]->StyleName, "Shout");

  // A sheet that comes after the table replaces the one its cells were
  // read against: their styles must be in the new one.
  const size_t table = s.find("-60 ");
  const size_t header = std::string("-8 1 3\r\n").size();
  ASSERT_NE(table, std::string::npos);
  TDoc small(TRVFOptions{rvfoSaveTextStyles});
  while (small.style.TextStyles().Count() > 1) small.style.TextStyles().Delete(1);
  small.doc.AddText("y", 0, 0);
  std::string oneStyle = small.Rvf();
  oneStyle = oneStyle.substr(header, oneStyle.rfind("0 1 0 0 0 0\r\n") - header);
  for (const bool late : {false, true}) {
    TDoc d;
    d.style.TextStyles().AddEntry(); // the cells read well against this sheet
    const std::string sheet = late ? oneStyle : s.substr(header, table - header);
    const TRVFReadResult lr = LoadRvfFromStream(d.doc, s.substr(0, header) + s.substr(table) + sheet);
    EXPECT_EQ(lr.Ok, !late) << lr.Error;
    if (late) {
      EXPECT_EQ(lr.Error, "a style number is beyond the style sheet");
    }
  }
}

TEST(TableRvf, WarningsOfTheItemsBeforeATableStay) {
  TDoc a;
  QImage img(2, 2, QImage::Format_RGB32);
  img.fill(Qt::red);
  const TBitmap bitmap(img);
  a.doc.AddItem("p", std::make_unique<TRVGraphicItemInfo>(&a.doc, bitmap.clone(), rvvaBaseline));
  SetText(a.Table(1, 1)->Cells(0, 0), "cell");
  std::string s = a.Rvf();
  const size_t picture = s.find(Hex(bitmap.saveToBytes()));
  ASSERT_NE(picture, std::string::npos);
  s.replace(picture, Hex(bitmap.saveToBytes()).size(), "00");
  TDoc b;
  ASSERT_TRUE(LoadRvfFromStream(b.doc, s).Ok);
  EXPECT_TRUE(b.doc.GetRVFWarnings().Has(rvfwInvalidPicture));
}
