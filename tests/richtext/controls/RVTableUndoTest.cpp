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
