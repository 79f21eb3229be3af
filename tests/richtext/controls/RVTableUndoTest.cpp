// Table operations in an editor: each is one undo group of kind 13; undo
// gives back the document byte for byte (its RVF), redo the state after it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <QImage>

#include "EditFixture.h"
#include "platform/Graphics.h"
#include "richtext/controls/RVTableUndo.h"
#include "richtext/tables/RVTable.h"
#include "richtext/tables/TableFixture.h"

namespace {

using kctest::EditDoc;

// An editor holding "x", a 3 x 3 table with a letter in every cell, and
// "y"; cell (0,0) spans two rows.
struct TableEdit : EditDoc {
  TableEdit() : EditDoc(400) {
    kc::RegisterTableItemType();
    para({"x"});
    auto t = std::make_unique<kc::TRVTableItemInfo>(3, 3, doc.get());
    const char *letters = "abcdefghi";
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) t->Cells(r, c)->SetItemTextRaw(0, std::string(1, letters[r * 3 + c]));
    t->Cells(0, 0)->BestHeight = 40;
    t->Cells(0, 1)->BestWidth = 60;
    EXPECT_TRUE(t->Rows().ApplySpan(0, 0, 2, 1));
    table = t.get();
    doc->AddItem("", std::move(t));
    para({"y"});
    format();
  }
  kc::TRVTableItemInfo *table = nullptr;
  kc::TRVTableItemInfo *tableNow() const { return kc::RVTableAt(*doc, 1); }
};

// A small picture of one colour.
std::unique_ptr<kc::TGraphic> Picture(QRgb Color) {
  QImage img(4, 3, QImage::Format_RGB32);
  img.fill(Color);
  return std::make_unique<kc::TBitmap>(img);
}

struct Step {
  const char *Name;
  std::function<void(kc::TRVTableItemInfo &)> Op;
  // Done first, as a step of its own.
  std::function<void(kc::TRVTableItemInfo &)> Prepare = nullptr;
};

TEST(RVTableUndo, EveryOperationIsOneStepUndoneAndRedoneExactly) {
  const std::vector<Step> steps = {
      {"insert rows inside a merge", [](kc::TRVTableItemInfo &t) { t.InsertRows(1, 2, -1, false); }},
      {"insert rows copying a row", [](kc::TRVTableItemInfo &t) { t.InsertRows(0, 1, 1, false); }},
      {"insert columns copying one", [](kc::TRVTableItemInfo &t) { t.InsertCols(1, 2, 0, false); }},
      {"append columns", [](kc::TRVTableItemInfo &t) { t.InsertCols(3, 1, -1, false); }},
      {"delete the top of a merge", [](kc::TRVTableItemInfo &t) { t.DeleteRows(0, 1, true); }},
      {"delete columns", [](kc::TRVTableItemInfo &t) { t.DeleteCols(1, 2, true); }},
      {"merge", [](kc::TRVTableItemInfo &t) { t.MergeCells(1, 1, 2, 2, true); }},
      {"clear selected cells",
       [](kc::TRVTableItemInfo &t) {
         t.Select(1, 1, 1, 1);
         t.DeleteSelectedCellsContents();
       }},
      {"cell best width", [](kc::TRVTableItemInfo &t) { EXPECT_TRUE(t.SetCellBestWidth(90, 2, 2)); }},
      {"table padding", [](kc::TRVTableItemInfo &t) { EXPECT_TRUE(t.SetTablePropertyUndoable("CellPadding", 5)); }},
      {"cell colour", [](kc::TRVTableItemInfo &t) { EXPECT_TRUE(t.SetCellPropertyUndoable(2, 0, "Color", 255)); }},
      {"visible borders",
       [](kc::TRVTableItemInfo &t) { EXPECT_TRUE(t.SetCellVisibleBorders(1, 1, false, true, false, true)); }},
      {"table picture",
       [](kc::TRVTableItemInfo &t) { EXPECT_TRUE(t.SetBackgroundImageUndoable(Picture(0xff0000).get())); }},
      {"cell picture",
       [](kc::TRVTableItemInfo &t) { EXPECT_TRUE(t.SetCellBackgroundImageUndoable(1, 2, Picture(0x00ff00).get())); }},
      {"table picture replaced",
       [](kc::TRVTableItemInfo &t) { EXPECT_TRUE(t.SetBackgroundImageUndoable(Picture(0x0000ff).get())); },
       [](kc::TRVTableItemInfo &t) { t.SetBackgroundImageUndoable(Picture(0xff0000).get()); }},
      {"cell picture removed",
       [](kc::TRVTableItemInfo &t) { EXPECT_TRUE(t.SetCellBackgroundImageUndoable(2, 1, nullptr)); },
       [](kc::TRVTableItemInfo &t) { t.SetCellBackgroundImageUndoable(2, 1, Picture(0x00ff00).get()); }},
      {"delete the left part of a horizontal merge", [](kc::TRVTableItemInfo &t) { t.DeleteCols(0, 2, true); },
       [](kc::TRVTableItemInfo &t) { t.MergeCells(2, 0, 3, 1, true); }},
      {"two operations in one group",
       [](kc::TRVTableItemInfo &t) {
         t.BeginTableUndoGroup();
         t.SetCellBestWidth(70, 0, 2);
         t.InsertRows(3, 1, -1, false);
         t.EndTableUndoGroup();
       }},
  };
  for (const Step &s : steps) {
    SCOPED_TRACE(s.Name);
    TableEdit e;
    if (s.Prepare) s.Prepare(*e.table);
    const std::string before = e.rvf();
    const int groups = e.doc->UndoList->Count();
    s.Op(*e.table);
    std::string why;
    ASSERT_TRUE(e.tableNow()->Rows().Check(&why)) << why;
    const std::string after = e.rvf();
    EXPECT_NE(after, before);
    EXPECT_EQ(e.doc->UndoList->Count(), groups + 1);
    EXPECT_EQ(e.doc->UndoList->CurrentAction(), kc::rvutModifyItem);
    EXPECT_TRUE(e.doc->Undo());
    ASSERT_NE(e.tableNow(), nullptr);
    ASSERT_TRUE(e.tableNow()->Rows().Check(&why)) << why;
    EXPECT_EQ(e.rvf(), before);
    EXPECT_EQ(e.doc->UndoList->Count(), groups);
    EXPECT_TRUE(e.doc->Redo());
    ASSERT_TRUE(e.tableNow()->Rows().Check(&why)) << why;
    EXPECT_EQ(e.rvf(), after);
    EXPECT_TRUE(e.doc->Undo());
    EXPECT_EQ(e.rvf(), before);
    const auto [partial, whole] = e.partialAndWhole();
    EXPECT_EQ(partial, whole);
  }
}

TEST(RVTableUndo, UndoOfAMergeGivesEveryCellItsItemsBack) {
  TableEdit e;
  e.table->MergeCells(1, 1, 2, 2, false);
  EXPECT_EQ(e.table->Cells(1, 1)->GetItemCount(), 4);
  e.doc->Undo();
  for (int r = 1; r < 3; ++r)
    for (int c = 1; c < 3; ++c) {
      ASSERT_NE(e.table->Cells(r, c), nullptr);
      EXPECT_EQ(e.table->Cells(r, c)->GetItemCount(), 1);
      EXPECT_EQ(e.table->Cells(r, c)->GetItemTextA(0), std::string(1, "abcdefghi"[r * 3 + c]));
    }
}

TEST(RVTableUndo, DeletingEveryRowDeletesTheTableInTheSameStep) {
  TableEdit e;
  const std::string before = e.rvf();
  e.table->DeleteRows(0, 3, false);
  // As a selected table deleted with the Delete key: an empty line stays.
  EXPECT_EQ(e.tableNow(), nullptr);
  EXPECT_EQ(e.text(), "x||y");
  e.doc->Undo();
  ASSERT_NE(e.tableNow(), nullptr);
  EXPECT_EQ(e.rvf(), before);
  TableEdit f;
  f.table->DeleteCols(0, 3, false);
  EXPECT_EQ(f.text(), "x||y");
  EXPECT_EQ(f.doc->UndoList->Count(), 1);
}

TEST(RVTableUndo, ARecordWithoutItsTableChangesNothing) {
  TableEdit e;
  e.table->InsertRows(0, 1, -1, false);
  // The group now points at item 1; put a text item there instead.
  auto &records = e.doc->UndoList->LastGroup()->Records;
  for (auto &r : records)
    if (auto *t = dynamic_cast<kc::TRVUndoModifyItemProps *>(r.get())) t->ItemNo = 0;
  const std::string before = e.rvf();
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
}

TEST(RVTableUndo, WithoutUndoNothingIsRecordedAndTheChangeStands) {
  TableEdit e;
  e.doc->UndoList->Limit = 0;
  e.table->DeleteRows(1, 1, false);
  e.table->MergeCells(0, 1, 2, 2, true);
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
  std::string why;
  EXPECT_TRUE(e.table->Rows().Check(&why)) << why;
  EXPECT_EQ(e.table->RowCount(), 2);
}

TEST(RVTableUndo, ARefusedMergeBeepsAndRecordsNothing) {
  TableEdit e;
  const std::string before = e.rvf();
  const int groups = e.doc->UndoList->Count();
  e.table->MergeCells(0, 1, 2, 3, false);
  EXPECT_EQ(e.beeps, 1);
  EXPECT_EQ(e.rvf(), before);
  EXPECT_EQ(e.doc->UndoList->Count(), groups);
}

TEST(RVTableUndo, AParagraphStyleOnSelectedCellsIsOneStep) {
  TableEdit e;
  e.style.ParaStyles().Add()->LeftIndent = 5;
  const int para = e.style.ParaStyles().Count() - 1;
  const std::string before = e.rvf();
  e.table->Select(1, 1, 1, 1);
  e.table->ApplyToSelectedCells(1, para);
  EXPECT_EQ(e.table->Cells(1, 1)->GetItem(0)->ParaNo, para);
  EXPECT_EQ(e.table->Cells(2, 2)->GetItem(0)->ParaNo, para);
  EXPECT_EQ(e.table->Cells(0, 1)->GetItem(0)->ParaNo, 0);
  const std::string after = e.rvf();
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
  e.doc->Redo();
  EXPECT_EQ(e.rvf(), after);
}

} // namespace

TEST(RVTableUndo, PicturesChangeHandsWithoutCopiesAndTheSameOneChangesNothing) {
  struct Case {
    const char *Name;
    int Row, Col; // -1: the table's own picture
  };
  const Case cases[] = {{"table", -1, -1}, {"cell", 1, 1}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.Name);
    TableEdit e;
    auto set = [&](const kc::TGraphic *G) {
      kc::TRVTableItemInfo *t = e.tableNow();
      return c.Row < 0 ? t->SetBackgroundImageUndoable(G) : t->SetCellBackgroundImageUndoable(c.Row, c.Col, G);
    };
    auto now = [&] {
      kc::TRVTableItemInfo *t = e.tableNow();
      return c.Row < 0 ? t->GetBackgroundImage() : t->Cells(c.Row, c.Col)->GetBackgroundImage();
    };
    const auto red = Picture(0xff0000), blue = Picture(0x0000ff);
    ASSERT_TRUE(set(red.get()));
    EXPECT_NE(now(), red.get()) << "a copy comes in";
    const kc::TGraphic *first = now();
    const int groups = e.doc->UndoList->Count();
    EXPECT_FALSE(set(Picture(0xff0000).get())) << "the same picture";
    EXPECT_EQ(e.doc->UndoList->Count(), groups) << "records nothing";
    ASSERT_TRUE(set(blue.get()));
    const kc::TGraphic *second = now();
    EXPECT_TRUE(e.doc->Undo());
    EXPECT_EQ(now(), first) << "undo gives the old picture back itself";
    EXPECT_TRUE(e.doc->Redo());
    EXPECT_EQ(now(), second);
  }
}

TEST(RVTableUndo, AnEditedCellsPictureGivesWayToTheSelectedLook) {
  TableEdit e;
  ASSERT_TRUE(e.table->SetCellBackgroundImageUndoable(1, 1, Picture(0x00ff00).get()));
  ASSERT_TRUE(e.tableNow()->EditCell(1, 1));
  kc::TRVCellEditor *ed = e.tableNow()->GetCellEditor();
  ASSERT_NE(ed, nullptr);
  kc::TRVBackground *cellPainter = e.tableNow()->Cells(1, 1)->GetBackground();
  ASSERT_NE(cellPainter, nullptr);
  EXPECT_EQ(ed->Data().GetBackground(), cellPainter);
  ed->SetSelectedLook(true);
  EXPECT_NE(ed->Data().GetBackground(), cellPainter);
  ed->SetSelectedLook(false);
  EXPECT_EQ(ed->Data().GetBackground(), cellPainter);
}

TEST(RVTableUndo, PropertiesSetByNameLeaveTheTableInsertedAndLaidOutAgain) {
  TableEdit e;
  const int height = e.table->GetHeight();
  const int itemNo = e.doc->GetItemNo(e.table);
  ASSERT_TRUE(e.doc->SetItemIntPropertyUndoable(itemNo, nullptr, "CellPadding", 7));
  EXPECT_TRUE(e.table->State & kc::rvtsInserted);
  e.format();
  EXPECT_GT(e.table->GetHeight(), height) << "more room above and below the cells' content";
  EXPECT_TRUE(e.table->EditCell(0, 1)) << "still edited as a table inside a document";
}

namespace {

// An editor document whose conversions give the style named by the user
// value, as a toolbar's handler would.
class ConvertingDoc : public kc::TRVEditRVData {
public:
  using kc::TRVEditRVData::TRVEditRVData;
  int ConvertTextStyle(int, int UserData, bool) override { return UserData; }
  int ConvertParaStyle(int, int UserData, bool) override { return UserData; }
};

} // namespace

// The editor's own style operations with cells selected: every selected
// cell changes, nothing else (not the table's own paragraph), one step.
TEST(RVTableUndo, TheEditorsStyleOperationsReachTheSelectedCells) {
  struct Case {
    const char *Name;
    std::function<void(kc::TRVEditRVData &, int Para, int Text)> Apply;
    bool Text; // a text style changes, else a paragraph style
  };
  const Case cases[] = {
      {"paragraph style", [](kc::TRVEditRVData &d, int p, int) { d.ApplyParaStyle(p); }, false},
      {"paragraph style conversion", [](kc::TRVEditRVData &d, int p, int) { d.ApplyParaStyleConversion(p); }, false},
      {"text style conversion", [](kc::TRVEditRVData &d, int, int t) { d.ApplyStyleConversion(t); }, true},
  };
  for (const Case &c : cases) {
    kctest::EditDoc e(400);
    e.doc = std::make_unique<ConvertingDoc>(e.host.get());
    kc::RegisterTableItemType();
    e.style.ParaStyles().Add()->LeftIndent = 5;
    e.style.TextStyles().Add()->Size = 20;
    const int para = e.style.ParaStyles().Count() - 1, text = e.style.TextStyles().Count() - 1;
    e.para({"x"});
    auto t = std::make_unique<kc::TRVTableItemInfo>(2, 2, e.doc.get());
    for (int r = 0; r < 2; ++r)
      for (int col = 0; col < 2; ++col) t->Cells(r, col)->SetItemTextRaw(0, std::string(1, char('a' + r * 2 + col)));
    kc::TRVTableItemInfo *table = t.get();
    e.doc->AddItem("", std::move(t));
    e.para({"y"});
    e.format();
    const std::string before = e.rvf();
    const int groups = e.doc->UndoList->Count();
    table->Select(0, 1, 0, 1); // column 1
    c.Apply(*e.doc, para, text);
    for (int r = 0; r < 2; ++r)
      for (int col = 0; col < 2; ++col) {
        const kc::TCustomRVItemInfo *item = table->Cells(r, col)->GetItem(0);
        const int want = col == 1 ? (c.Text ? text : para) : 0;
        EXPECT_EQ(c.Text ? item->StyleNo : item->ParaNo, want) << c.Name << " cell " << r << ' ' << col;
        EXPECT_EQ(c.Text ? item->ParaNo : item->StyleNo, 0) << c.Name << " cell " << r << ' ' << col;
      }
    EXPECT_EQ(table->ParaNo, 0) << c.Name;
    EXPECT_EQ(e.doc->GetItem(0)->ParaNo, 0) << c.Name;
    ASSERT_EQ(e.doc->UndoList->Count(), groups + 1) << c.Name;
    EXPECT_EQ(e.doc->UndoList->CurrentAction(), kc::rvutModifyItem) << c.Name;
    const std::string after = e.rvf();
    EXPECT_NE(after, before) << c.Name;
    e.doc->Undo();
    EXPECT_EQ(e.rvf(), before) << c.Name;
    e.doc->Redo();
    EXPECT_EQ(e.rvf(), after) << c.Name;
  }
}

// After rows or columns go, editing goes on at the edited (or first
// selected) cell's place, moved with the grid and clamped to it; without
// either, at the first cell of the row (column) at the index.
TEST(RVTableUndo, DeletingRowsOrColumnsGoesOnEditingWhereTheCaretWas) {
  struct Case {
    const char *Name;
    std::function<void(kc::TRVTableItemInfo &)> Before, Delete;
    int Row, Col; // the edited cell after
    const char *Text;
  };
  const Case cases[] = {
      {"edited below the deleted row: one row up", [](auto &t) { t.EditCell(2, 1); },
       [](auto &t) { t.DeleteRows(1, 1, true); }, 1, 1, "h"},
      {"nothing edited: the first cell of the row at the index", [](auto &) {},
       [](auto &t) { t.DeleteRows(1, 1, true); }, 1, 0, "g"},
      {"the last row deleted: the row above, its covering cell", [](auto &) {},
       [](auto &t) { t.DeleteRows(2, 1, true); }, 0, 0, "a"},
      {"selected right of the deleted column: one column left", [](auto &t) { t.Select(1, 2, 0, 0); },
       [](auto &t) { t.DeleteCols(0, 1, true); }, 1, 1, "f"},
      {"edited in a deleted column: the column now there", [](auto &t) { t.EditCell(2, 1); },
       [](auto &t) { t.DeleteCols(1, 1, true); }, 2, 1, "i"},
  };
  for (const Case &c : cases) {
    TableEdit e;
    c.Before(*e.table);
    c.Delete(*e.table);
    const kc::TRVCellEditor *ed = e.table->GetCellEditor();
    ASSERT_NE(ed, nullptr) << c.Name;
    EXPECT_EQ(ed->Row, c.Row) << c.Name;
    EXPECT_EQ(ed->Col, c.Col) << c.Name;
    EXPECT_EQ(const_cast<kc::TRVCellEditor *>(ed)->Data().GetItemTextRaw(0), c.Text) << c.Name;
  }
  // A table that takes no edits opens no editor.
  TableEdit e;
  e.table->Options.Exclude(kc::rvtoEditing);
  e.table->DeleteRows(0, 1, true);
  EXPECT_EQ(e.table->GetCellEditor(), nullptr);
}

// Deleting the empty rows is one step however many there are.
TEST(RVTableUndo, DeletingEmptyRowsIsOneStep) {
  TableEdit e;
  kc::TRVTableItemInfo &t = *e.table;
  // Rows 1 and 2 covered by merged cells: neither holds a cell of its own.
  t.MergeCells(0, 0, 3, 3, true);
  const std::string before = e.rvf();
  const int groups = e.doc->UndoList->Count();
  t.DeleteEmptyRows();
  EXPECT_EQ(t.RowCount(), 1);
  EXPECT_EQ(t.Cells(0, 0)->RowSpan, 1);
  EXPECT_EQ(e.doc->UndoList->Count(), groups + 1);
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
}

// A cell of a table that lies in a cell of another: editing it edits the
// outer cell first, so that the inner table is in an editor's document.
// Closing the outer editor closes the inner one first, which gives its text
// back to its cell.
TEST(RVTableUndo, EditingACellOfATableInACellOpensTheOuterCellFirst) {
  struct Case {
    const char *Name;
    bool CloseInnerFirst;
  };
  const Case cases[] = {{"inner editor closed first", true}, {"only the outer editor closed", false}};
  for (const Case &c : cases) {
    kctest::EditDoc e(400);
    kc::RegisterTableItemType();
    e.para({"x"});
    auto outer = kctest::TableDoc::make(e.doc.get(), {{"", "zz"}});
    kc::TRVTableItemInfo *o = outer.get();
    auto inner = kctest::TableDoc::make(o->Cells(0, 0), {{"p", "q"}, {"r", "s"}});
    kc::TRVTableItemInfo *in = inner.get();
    o->Cells(0, 0)->Items.Clear();
    o->Cells(0, 0)->AddItem(std::string(), std::move(inner));
    e.doc->AddItem(std::string(), std::move(outer));
    e.para({"y"});
    e.format();
    ASSERT_TRUE(in->EditCell(1, 1)) << c.Name;
    const kc::TRVCellEditor *oe = o->GetCellEditor();
    ASSERT_NE(oe, nullptr) << c.Name;
    EXPECT_EQ(oe->Row, 0) << c.Name;
    EXPECT_EQ(oe->Col, 0) << c.Name;
    const kc::TRVCellEditor *ie = in->GetCellEditor();
    ASSERT_NE(ie, nullptr) << c.Name;
    EXPECT_EQ(ie->Row, 1) << c.Name;
    EXPECT_EQ(ie->Col, 1) << c.Name;
    EXPECT_EQ(const_cast<kc::TRVCellEditor *>(ie)->Data().GetItemTextRaw(0), "s") << c.Name;
    // Typed there and closed: the text is in the inner cell, one undo step
    // of the document.
    auto *cellDoc = dynamic_cast<kc::TRVEditRVData *>(&const_cast<kc::TRVCellEditor *>(ie)->Data());
    ASSERT_NE(cellDoc, nullptr) << c.Name;
    const std::string before = e.rvf();
    cellDoc->InsertTypedText(u"t");
    if (c.CloseInnerFirst) in->CloseCellEditor(true);
    o->CloseCellEditor(true);
    EXPECT_EQ(in->GetCellEditor(), nullptr) << c.Name;
    EXPECT_EQ(o->GetCellEditor(), nullptr) << c.Name;
    ASSERT_EQ(in->Cells(1, 1)->GetItemCount(), 1) << c.Name;
    EXPECT_EQ(in->Cells(1, 1)->GetItemTextRaw(0), "ts") << c.Name;
    EXPECT_EQ(in->Cells(0, 0)->GetItemTextRaw(0), "p") << c.Name;
    e.doc->Undo();
    EXPECT_EQ(e.rvf(), before) << c.Name;
  }
}
