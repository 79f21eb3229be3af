// The cell editor: the caret between cells (Tab, Shift+Tab, the arrows,
// across merged cells and out of the table), typing that grows its row,
// undo and redo of cell edits from the document around it; then the same
// in the editor control: a click opens the editor, keys move and undo.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "EditFixture.h"
#include "EditorFixture.h"
#include "richtext/controls/RVTInplace.h"
#include "richtext/tables/RVTable.h"

using namespace kc;

namespace {

TRVTableItemInfo *FirstTable(TCustomRVData &Doc) {
  for (int i = 0; i < Doc.GetItemCount(); ++i)
    if (auto *t = dynamic_cast<TRVTableItemInfo *>(Doc.GetItem(i))) return t;
  return nullptr;
}

// The dump's caret line.
std::string CaretLine(const std::string &Dump) {
  const size_t at = Dump.rfind("caret");
  std::string s = at == std::string::npos ? std::string() : Dump.substr(at);
  if (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

// ------------------------------------------------------------ headless

// A 3 x 3 grid with two merged cells:
//   (0,0) spans 2 columns | (0,2)
//   (1,0) | (1,1)         | (1,2) spans 2 rows
//   (2,0) | (2,1)         |
constexpr const char *kMergedGrid = "table 3 3\nmerge 0 0 2 1\nmerge 1 2 1 2\n";

struct MoveRow {
  const char *from; // "R C"
  const char *key;
  const char *caret; // the dump's caret line after the key
};

TEST(CellNavigation, TabShiftTabAndArrowsAcrossMergedCellsAndOut) {
  const MoveRow rows[] = {
      {"0 0", "tab", "caret 0 0 in 0 2"},
      {"0 2", "tab", "caret 0 0 in 1 0"}, // the next row
      {"1 1", "tab", "caret 0 0 in 1 2"},
      {"1 2", "tab", "caret 0 0 in 2 0"},       // past the slot the merge covers
      {"2 1", "tab", "caret 0 0 in 2 1"},       // the last cell: nothing
      {"0 0", "shift-tab", "caret 0 0 in 0 0"}, // the first cell: nothing
      {"2 0", "shift-tab", "caret 0 0 in 1 2"},
      {"0 2", "shift-tab", "caret 0 0 in 0 0"},
      {"0 0", "right", "caret 0 0 in 0 2"}, // beyond the merged columns
      {"0 2", "right", "caret 0 0 in 1 0"}, // the end of a row: the next one
      {"1 2", "right", "caret 0 1"},        // last column down to the last row: after the table
      {"2 1", "right", "caret 0 0 in 1 2"}, // into the cell merged from above
      {"0 0", "left", "caret 0 0"},         // column 0 of row 0: before the table
      {"1 0", "left", "caret 0 0 in 0 2"},  // column 0: the previous cell
      {"0 2", "left", "caret 0 0 in 0 0"},
      {"1 1", "up", "caret 0 0 in 0 0"},
      {"0 2", "up", "caret 0 0"},
      {"0 0", "down", "caret 0 0 in 1 0"},
      {"1 2", "down", "caret 0 1"},
      {"2 0", "down", "caret 0 1"},
  };
  for (const MoveRow &r : rows) {
    SCOPED_TRACE(std::string(r.from) + " " + r.key);
    kctest::EditDoc e;
    e.format();
    const std::string out = e.run(std::string(kMergedGrid) + "cell " + r.from + "\n" + r.key + "\ndump");
    EXPECT_EQ(CaretLine(out), r.caret) << out;
  }
}

TEST(CellNavigation, CaretKeysEnterTheTable) {
  kctest::EditDoc e;
  e.para({""});
  e.format();
  const std::string out = e.run("type ab\nenter\ntype cd\nleft 2\ntable 2 2\n"
                                "doc-home\nend\nright\nright\ndump\n" // from before it: the first cell
                                "doc-end\nleft 4\ndump\n"             // from after it: the last cell
                                "doc-end\nup\ndump");                 // from below: the last row
  std::vector<std::string> carets;
  for (size_t at = out.find("caret"); at != std::string::npos; at = out.find("caret", at + 1))
    carets.push_back(out.substr(at, out.find('\n', at) - at));
  EXPECT_EQ(carets, (std::vector<std::string>{"caret 0 0 in 0 0", "caret 0 0 in 1 1", "caret 0 0 in 1 0"}));
}

TEST(CellEditor, TypingThatWrapsGrowsItsRowAndMovesTheRowsBelowOnly) {
  kctest::EditDoc e(200);
  e.format();
  ASSERT_EQ(e.run("table 2 2\ncell 1 1\ntype below\ncell 0 0"), "");
  TRVTableItemInfo *t = FirstTable(*e.doc);
  ASSERT_NE(t, nullptr);
  TRVTableCellData *other = t->Cells(0, 1);
  const TRVDrawLineInfo *otherLine = other->DrawLines.Items(0);
  const int rowTop = t->Cells(1, 0)->Top, height = t->GetHeight();
  // Half the table is about 90 pixels: nine characters a line.
  e.run("type one two three four");
  const int grown = t->Cells(1, 0)->Top - rowTop;
  EXPECT_GT(grown, 0);
  EXPECT_EQ(t->GetHeight() - height, grown);
  EXPECT_EQ(e.doc->DrawLines.Items(0)->Height, t->GetHeight());
  // The other cell of the row was not wrapped again.
  EXPECT_EQ(other->DrawLines.Items(0), otherLine);
  // Deleting the text gives the height back.
  e.run("select-all\ndelete");
  EXPECT_EQ(t->Cells(1, 0)->Top, rowTop);
}

TEST(CellEditor, UndoAndRedoOfCellEditsFromTheDocumentAroundIt) {
  kctest::EditDoc e;
  e.format();
  e.run("table 2 2");
  // From here on every step can be taken back.
  e.doc->UndoList->Clear();
  const std::string start = e.rvf();
  e.run("cell 0 0\ntype ab\nenter\ntype c\ntab\ntype xyz\nshift-tab\nbackspace");
  const std::string end = (e.run("doc-home"), e.rvf());
  ASSERT_NE(start, end);
  for (int i = 0; i < 40 && e.doc->UndoList->Count() > 0; ++i) e.run("undo");
  EXPECT_EQ(e.rvf(), start);
  // Every step left a group in the redo list: none empty.
  for (int i = 0; i < e.doc->RedoList->Count(); ++i) EXPECT_GT(e.doc->RedoList->Groups(i)->Count(), 0);
  for (int i = 0; i < 40 && e.doc->RedoList->Count() > 0; ++i) e.run("redo");
  e.run("doc-home");
  EXPECT_EQ(e.rvf(), end);
}

TEST(CellEditor, UndoInsideTheCellFirstThenOutside) {
  kctest::EditDoc e;
  e.para({""});
  e.format();
  e.run("type x\ntable 1 2\ncell 0 1\ntype ab");
  e.run("undo");
  EXPECT_NE(e.run("dump").find("cell 0 1 1 1: a\n"), std::string::npos);
  e.run("undo\nundo\nundo");
  // The cell is empty again, then the table goes: the caret's editor was
  // the cell's, the last undo the document's.
  const std::string out = e.run("dump");
  EXPECT_EQ(out.find("table"), std::string::npos) << out;
}

TEST(CellEditor, SavingWhileEditingKeepsTheCellsText) {
  kctest::EditDoc e;
  e.format();
  e.run("table 1 2\ncell 0 1\ntype kept");
  const std::string whileOpen = e.rvf();
  e.run("doc-home");
  EXPECT_EQ(e.rvf(), whileOpen);
  EXPECT_NE(whileOpen.find("kept"), std::string::npos);
}

TEST(CellEditor, ARecordWithoutItsTableChangesNothing) {
  kctest::EditDoc e;
  e.para({"text"});
  e.format();
  const std::string before = e.rvf();
  auto rec = std::make_unique<TRVUndoCellModify>();
  rec->ItemNo = 0;
  rec->Row = rec->Col = 0;
  rec->UndoList = std::make_unique<TRVUndoList>(e.doc.get());
  rec->UndoList->BeginUndoGroup(rvutTyping, "", 0, 1);
  rec->UndoList->AddTypingUndo(0, 1, false);
  rec->Undo(*e.doc);
  EXPECT_EQ(e.rvf(), before);
}

// ---------------------------------------------------------- the control

struct TableEditor : kctest::Editor {
  TRVTableItemInfo *table = nullptr;
  explicit TableEditor(int Rows = 2, int Cols = 2) : kctest::Editor(300, 200) {
    para({"above"});
    open(0, 6);
    doc().InsertItemAtCaret(std::string(), std::make_unique<TRVTableItemInfo>(Rows, Cols, &doc()), false);
    table = FirstTable(doc());
    QApplication::processEvents();
  }
  // A point inside the content of cell (Row, Col), client coordinates.
  QPoint in(int Row, int Col) const {
    const TRVTableCellData *c = table->Cells(Row, Col);
    return {-c->GetHOffs() + 2, -c->GetVOffs() + 2};
  }
  TCustomRichVistaEdit *inner() const { return ed->InnermostEditor(); }
  std::string cellText(int Row, int Col) const {
    TCustomRVData *d = table->Cells(Row, Col)->GetEditorRVData();
    std::string s;
    for (int i = 0; i < d->GetItemCount(); ++i) s += d->GetItemTextRaw(i);
    return s;
  }
  void keys(const std::string &Text) {
    QTest::keyClicks(inner(), QString::fromStdString(Text));
    QApplication::processEvents();
  }
  void key(Qt::Key Key, Qt::KeyboardModifiers Mods = {}) {
    QTest::keyClick(inner(), Key, Mods);
    // Moves between cells arrive as posted events; freed editors go later.
    QApplication::processEvents();
    QApplication::processEvents();
  }
};

TEST(CellEditorControl, AClickOpensTheEditorAndTypingGoesIntoTheCell) {
  TableEditor t;
  int changes = 0;
  t.ed->OnChange = [&](TCustomRichVistaEdit *Sender) { changes += Sender == t.ed.get(); };
  t.ed->Modified = false;
  QTest::mouseClick(t.ed.get(), Qt::LeftButton, {}, t.in(1, 0));
  QApplication::processEvents();
  ASSERT_NE(t.inner(), t.ed.get());
  EXPECT_EQ(t.table->GetEditedRow(), 1);
  EXPECT_EQ(t.table->GetEditedCol(), 0);
  EXPECT_TRUE(t.inner()->hasFocus());
  t.keys("abc");
  EXPECT_EQ(t.cellText(1, 0), "abc");
  // Reported as changes of the editor that holds the table.
  EXPECT_EQ(changes, 3);
  EXPECT_TRUE(t.ed->Modified);
  EXPECT_EQ(t.table->Cells(1, 0)->GetItemCount(), 0) << "the editor holds the items while open";
}

TEST(CellEditorControl, TabShiftTabAndArrowsMoveBetweenCellsAndOut) {
  TableEditor t;
  QTest::mouseClick(t.ed.get(), Qt::LeftButton, {}, t.in(0, 0));
  QApplication::processEvents();
  t.keys("a");
  t.key(Qt::Key_Tab);
  EXPECT_EQ(t.table->GetEditedCol(), 1);
  t.keys("b");
  t.key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(t.table->GetEditedCol(), 0);
  EXPECT_EQ(t.cellText(0, 0), "a");
  EXPECT_EQ(t.cellText(0, 1), "b");
  // Ctrl+Tab types a tab into the cell instead.
  t.key(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(t.table->GetEditedCol(), 0);
  EXPECT_NE(t.cellText(0, 0), "a");
  // Down twice: the last row, then out below the table.
  t.key(Qt::Key_Down);
  EXPECT_EQ(t.table->GetEditedRow(), 1);
  t.key(Qt::Key_Down);
  EXPECT_EQ(t.table->GetCellEditor(), nullptr);
  EXPECT_EQ(t.inner(), t.ed.get());
  EXPECT_TRUE(t.ed->hasFocus());
  int item = -1, offs = -1;
  t.doc().GetCaretItemPos(item, offs);
  EXPECT_EQ(t.doc().GetItem(item), t.table);
  EXPECT_EQ(offs, 1);
}

TEST(CellEditorControl, CtrlZUndoesInTheCellThenInTheDocument) {
  TableEditor t;
  QTest::mouseClick(t.ed.get(), Qt::LeftButton, {}, t.in(0, 1));
  QApplication::processEvents();
  t.keys("xy");
  t.key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(t.cellText(0, 1), "x");
  t.key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(t.cellText(0, 1), "");
  // Nothing left in the cell: the document takes back the table.
  t.key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(FirstTable(t.doc()), nullptr);
  EXPECT_FALSE(t.ed->ReadOnly());
  t.key(Qt::Key_Y, Qt::ControlModifier);
  t.table = FirstTable(t.doc());
  ASSERT_NE(t.table, nullptr);
}

TEST(CellEditorControl, AReadOnlyEditorKeepsItsStateAndItsCells) {
  TableEditor t;
  QTest::mouseClick(t.ed.get(), Qt::LeftButton, {}, t.in(0, 0));
  QApplication::processEvents();
  t.keys("ab");
  t.ed->SetReadOnly(true);
  t.keys("c");
  t.key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(t.cellText(0, 0), "ab");
  EXPECT_TRUE(t.ed->ReadOnly());
}

TEST(CellEditorControl, AGrowingCellMovesTheRowsBelowAndItsEditorGrows) {
  TableEditor t(2, 1);
  QTest::mouseClick(t.ed.get(), Qt::LeftButton, {}, t.in(0, 0));
  QApplication::processEvents();
  const int below = t.table->Cells(1, 0)->Top, editorHeight = t.inner()->height();
  for (int i = 0; i < 4; ++i) t.key(Qt::Key_Return);
  EXPECT_EQ(t.table->Cells(1, 0)->Top - below, 40);
  EXPECT_EQ(t.inner()->height() - editorHeight, 40);
}

TEST(CellEditorControl, ASecondClickSoonAfterTheFirstIsADoubleClick) {
  TableEditor t;
  QTest::mouseClick(t.ed.get(), Qt::LeftButton, {}, t.in(0, 0));
  QApplication::processEvents();
  t.keys("word more");
  t.table->CloseCellEditor(true);
  QApplication::processEvents();
  QTest::mouseClick(t.ed.get(), Qt::LeftButton, {}, t.in(0, 0));
  QApplication::processEvents();
  QTest::mouseClick(t.inner(), Qt::LeftButton, {}, QPoint(2, 2));
  QApplication::processEvents();
  EXPECT_TRUE(t.inner()->SelectionExists());
  EXPECT_EQ(t.inner()->GetSelText(), "word");
}

} // namespace
