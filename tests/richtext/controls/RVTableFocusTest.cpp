// The keyboard focus through the items of a table's cells (links, embedded
// controls) and out of the table again; the cell editor closed and opened
// again around a change of the table, its caret and selection kept, and
// refused while a mouse selection runs in it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "EditFixture.h"
#include "richtext/controls/RVScroll.h"
#include "richtext/controls/RichVista.h"
#include "richtext/document/RVCtrlData.h"
#include "richtext/tables/RVTable.h"

using namespace kc;

namespace {

// A view document that records where the focus goes when it leaves.
struct FocusDoc : TRVControlData {
  using TRVControlData::TRVControlData;
  QWidget *viewWidget = nullptr;
  std::vector<TControl *> focusedControls;
  std::string events;
  const TControl *ViewControl() const override { return viewWidget; }
  bool IsInViewWindow(const TControl *Control) const override { return Control->window() == viewWidget->window(); }
  void GiveControlFocus(TControl *Control) override { focusedControls.push_back(Control); }
  bool FocusNextTabControl(bool Backwards) override {
    events += Backwards ? "prev-control " : "next-control ";
    return true;
  }
  void FocusView() override { events += "view "; }
};

// A link, a table, a link:
//   (0,0) link "a" | (0,1) plain       | (0,2) an edit box
//   (1,0) plain    | (1,1) link "b", merged over two columns
// With Focusable false every cell holds plain text.
struct TableFocus {
  explicit TableFocus(bool Focusable = true) {
    RecordingCanvas::Metrics m;
    m.charWidth = 10;
    m.ascent = 8;
    m.descent = 2;
    canvas = std::make_unique<RecordingCanvas>(m);
    host = std::make_unique<TRVFixedHost>(canvas.get(), 400, 1000);
    host->LeftMargin = host->RightMargin = host->TopMargin = host->BottomMargin = 0;
    host->Style = &style;
    host->ParentControl = &window;
    style.TextStyles().Add()->Jump = true;
    const int link = style.TextStyles().Count() - 1;
    doc = std::make_unique<FocusDoc>(host.get());
    doc->viewWidget = &window;
    doc->AddText("before", link, 0);
    auto t = std::make_unique<TRVTableItemInfo>(2, 3, doc.get());
    auto fill = [&](int Row, int Col, const std::string &Text, int StyleNo) {
      TRVTableCellData *cell = t->Cells(Row, Col);
      cell->Items.Clear();
      cell->AddText(Text, Focusable ? StyleNo : 0, 0);
    };
    fill(0, 0, "a", link);
    fill(0, 1, "plain", 0);
    fill(1, 0, "plain", 0);
    fill(1, 1, "b", link);
    fill(1, 2, "", 0);
    t->MergeCells(1, 1, 2, 1);
    t->ParaNo = 0;
    table = t.get();
    doc->AddItem(std::string(), std::move(t));
    doc->AddText("after", link, 0);
    // Added once the table is in the document, whose window takes it.
    TRVTableCellData *boxCell = table->Cells(0, 2);
    boxCell->Items.Clear();
    box = new QLineEdit(&window);
    box->resize(40, 10);
    if (!Focusable) box->setFocusPolicy(Qt::NoFocus);
    boxCell->AddControl("box", box, 0, rvvaBaseline, TRVTag());
    doc->ReformatAllForced(true);
    window.show();
    box->show();
  }
  // Where the focus frame is: an item of the document or of a cell.
  std::string focus() const {
    if (doc->FocusedItemNo < 0) return "none";
    if (doc->FocusedItemData == doc.get()) return "item " + std::to_string(doc->FocusedItemNo);
    int row = -1, col = -1;
    if (!table->GetCellPosition(doc->FocusedItemData, row, col)) return "elsewhere";
    return "cell " + std::to_string(row) + " " + std::to_string(col) + " item " + std::to_string(doc->FocusedItemNo);
  }
  void tab(bool Backwards = false) { doc->MoveItemFocus(Backwards, &window); }

  QWidget window;
  TRVStyle style;
  std::unique_ptr<RecordingCanvas> canvas;
  std::unique_ptr<TRVFixedHost> host;
  std::unique_ptr<FocusDoc> doc;
  TRVTableItemInfo *table = nullptr;
  QLineEdit *box = nullptr;
};

TEST(TableFocus, TabWalksTheCellsItemsInReadingOrderAndLeaves) {
  struct Case {
    const char *name;
    bool backwards;
    std::vector<std::string> steps; // where the focus is after each press
    const char *events;
  } cases[] = {
      {"forward",
       false,
       {"item 0", "cell 0 0 item 0", "cell 0 2 item 0", "cell 1 1 item 0", "item 2", "none"},
       "next-control "},
      {"backward",
       true,
       {"item 2", "cell 1 1 item 0", "cell 0 2 item 0", "cell 0 0 item 0", "item 0", "none"},
       "prev-control "},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TableFocus f;
    std::vector<std::string> steps;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      f.tab(c.backwards);
      steps.push_back(f.focus());
    }
    EXPECT_EQ(steps, c.steps);
    EXPECT_EQ(f.doc->events, c.events);
    EXPECT_EQ(f.doc->focusedControls, (std::vector<TControl *>{f.box})) << "the edit box got the focus once";
    EXPECT_EQ(f.table->GetFocusedRow(), -1) << "the table let the focus go";
  }
}

TEST(TableFocus, ATableWithoutFocusableItemsIsPassedOver) {
  TableFocus f(false);
  TCustomRVFormattedData *data = nullptr;
  int itemNo = 5;
  EXPECT_FALSE(f.table->MoveFocus(true, data, itemNo));
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(f.table->GetFocusedRow(), -1);
  f.tab();
  f.tab();
  EXPECT_EQ(f.focus(), "item 2");
}

TEST(TableFocus, AControlInACellThatTookTheFocusItselfIsWhereTabGoesOnFrom) {
  TableFocus f;
  f.doc->MoveItemFocus(false, f.box);
  EXPECT_EQ(f.focus(), "cell 1 1 item 0");
  EXPECT_EQ(f.table->GetFocusedRow(), 1);
  EXPECT_EQ(f.table->GetFocusedCol(), 1);
  // Found by the table directly too, the cell and its item named.
  TCustomRVFormattedData *data = nullptr;
  int itemNo = -1;
  EXPECT_TRUE(f.table->AdjustFocus(f.box, data, itemNo));
  EXPECT_EQ(data, f.table->Cells(0, 2));
  EXPECT_EQ(itemNo, 0);
  EXPECT_EQ(f.table->GetFocusedCol(), 2);
  QLineEdit stranger(&f.window);
  EXPECT_FALSE(f.table->AdjustFocus(&stranger, data, itemNo));
}

TEST(TableFocus, AClickedLinkInACellTakesTheFrameAndClearingDropsIt) {
  TableFocus f;
  f.table->Cells(1, 1)->FocusClickedItem(0);
  EXPECT_EQ(f.focus(), "cell 1 1 item 0");
  EXPECT_EQ(f.doc->FocusedControlItem, 1) << "the table holds it";
  f.tab();
  EXPECT_EQ(f.focus(), "item 2") << "Tab goes on after the clicked link";
  f.table->Cells(0, 0)->FocusClickedItem(0);
  ASSERT_EQ(f.table->GetFocusedRow(), 0);
  f.doc->ClearSelection(false);
  EXPECT_EQ(f.focus(), "none");
  EXPECT_EQ(f.table->GetFocusedRow(), -1);
  EXPECT_EQ(f.table->Cells(0, 0)->FocusedItemNo, -1);
}

TEST(TableFocus, TheFocusFrameOfACellsLinkIsDrawnWhereTheLinkIs) {
  TableFocus f;
  f.tab();
  f.tab();
  ASSERT_EQ(f.focus(), "cell 0 0 item 0");
  const TRVTableCellData *cell = f.table->Cells(0, 0);
  const TRVDrawLineInfo *line = cell->DrawLines.Items(0);
  const int x = line->Left - cell->GetHOffs(), y = line->Top - cell->GetVOffs();
  f.canvas->clearLog();
  f.doc->DrawFocusFrame(*f.canvas);
  const std::string expected = "drawFocusRect(" + std::to_string(x - 1) + "," + std::to_string(y - 1) + "," +
                               std::to_string(x + line->Width + 1) + "," + std::to_string(y + line->Height + 1) + ")";
  EXPECT_EQ(f.canvas->logText(), expected);
}

TEST(TableFocus, ADeletedTableLeavesNoFocusToDrawOrActivate) {
  TableFocus f;
  f.tab();
  f.tab();
  ASSERT_EQ(f.focus(), "cell 0 0 item 0");
  f.doc->DeleteItems(1, 1);
  f.canvas->clearLog();
  f.doc->DrawFocusFrame(*f.canvas);
  f.doc->ActivateFocusedItem();
  EXPECT_EQ(f.doc->FocusedDocument(), nullptr);
  EXPECT_EQ(f.canvas->logText(), "");
}

// ------------------------------------------ the editor saved and restored

struct EditedTable {
  EditedTable() {
    e.format();
    e.run("table 2 2\ncell 0 1\ntype hello world");
    for (int i = 0; i < e.doc->GetItemCount() && !table; ++i)
      table = dynamic_cast<TRVTableItemInfo *>(e.doc->GetItem(i));
  }
  TCustomRVFormattedData &editorData() const { return table->GetCellEditor()->Data(); }
  // The editor's selection, anchor first.
  std::vector<int> selection() const {
    int a = -1, ao = -1, b = -1, bo = -1;
    editorData().GetSelectionBounds(a, ao, b, bo, false);
    return {a, ao, b, bo};
  }
  // A point on the border between columns 0 and 1, table coordinates.
  int borderX() const { return table->Cells(0, 1)->Left - 1; }
  int borderY() const { return table->Cells(0, 0)->Top + 2; }
  kctest::EditDoc e;
  TRVTableItemInfo *table = nullptr;
};

TEST(CellEditorSave, ReopensOnItsCellWithItsSelectionAfterTheTableChanged) {
  struct Case {
    const char *name;
    std::vector<int> selection; // anchor item, offset, caret item, offset
  } cases[] = {
      {"caret", {0, 4, 0, 4}},
      {"selected forward", {0, 2, 0, 9}},
      {"selected backward", {0, 9, 0, 2}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EditedTable t;
    ASSERT_NE(t.table, nullptr);
    ASSERT_NE(t.table->GetCellEditor(), nullptr);
    t.editorData().SetSelectionBounds(c.selection[0], c.selection[1], c.selection[2], c.selection[3]);
    t.table->SaveCellEditor();
    EXPECT_EQ(t.table->GetCellEditor(), nullptr);
    EXPECT_TRUE(t.table->HasSavedCellEditor());
    // The table changes and is laid out again meanwhile.
    ASSERT_TRUE(t.table->SetCellBestWidth(150, 0, 0));
    t.e.format();
    t.table->RestoreCellEditor();
    ASSERT_NE(t.table->GetCellEditor(), nullptr);
    EXPECT_EQ(t.table->GetEditedRow(), 0);
    EXPECT_EQ(t.table->GetEditedCol(), 1);
    EXPECT_EQ(t.selection(), c.selection);
    EXPECT_FALSE(t.table->HasSavedCellEditor());
    EXPECT_NE(t.e.rvf().find("hello world"), std::string::npos);
  }
}

TEST(CellEditorSave, APlaceTheCellNoLongerHasLeavesTheCaretAtTheStart) {
  EditedTable t;
  t.editorData().SetSelectionBounds(0, 3, 0, 11);
  t.table->SaveCellEditor();
  // The cell's text is shortened while no editor is open.
  TRVTableCellData *cell = t.table->Cells(0, 1);
  cell->Items.Clear();
  cell->AddText("hi", 0, 0);
  t.table->RestoreCellEditor();
  ASSERT_NE(t.table->GetCellEditor(), nullptr);
  EXPECT_EQ(t.selection(), (std::vector<int>{0, 1, 0, 1})) << "before the first character";
}

TEST(CellEditorSave, ABorderDragClosesTheEditorForTheDragAndAppliesTheWidth) {
  struct Case {
    const char *name;
    int moveBy;       // how far the border is dragged
    bool reopened;    // the editor is open again after the release
    bool widthChange; // the column took a new width
  } cases[] = {
      {"dragged: the new width applies", -20, false, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EditedTable t;
    t.editorData().SetSelectionBounds(0, 6, 0, 11);
    const int width = t.table->Cells(0, 0)->Width;
    ASSERT_TRUE(t.table->MouseDown(rvmbLeft, 0, t.borderX(), t.borderY()));
    ASSERT_TRUE(t.table->IsResizing());
    EXPECT_EQ(t.table->GetCellEditor(), nullptr) << "closed for the drag";
    t.table->DragResizeTo(t.borderX() + c.moveBy);
    t.table->MouseUp(rvmbLeft, 0, t.borderX() + c.moveBy, t.borderY());
    t.e.format();
    EXPECT_FALSE(t.table->IsResizing());
    EXPECT_EQ(t.table->GetCellEditor() != nullptr, c.reopened);
    if (c.reopened) {
      EXPECT_EQ(t.selection(), (std::vector<int>{0, 6, 0, 11}));
    }
    EXPECT_EQ(t.table->Cells(0, 0)->Width != width, c.widthChange);
    EXPECT_FALSE(t.table->HasSavedCellEditor()) << "nothing left to reopen later";
  }
}

TEST(CellEditorSave, RefusedWhileAMouseSelectionRunsInTheEditor) {
  EditedTable t;
  t.table->GetCellEditor()->Selecting = true;
  try {
    t.table->SaveCellEditor();
    ADD_FAILURE() << "no error";
  } catch (const ERVTableInplaceError &Error) {
    EXPECT_STREQ(Error.what(), "Cannot destroy cell inplace editor at this time");
  }
  EXPECT_NE(t.table->GetCellEditor(), nullptr) << "still open";
  EXPECT_FALSE(t.table->HasSavedCellEditor());
  // A press on a border then starts no drag.
  EXPECT_THROW(t.table->MouseDown(rvmbLeft, 0, t.borderX(), t.borderY()), ERVTableInplaceError);
  EXPECT_FALSE(t.table->IsResizing());
  EXPECT_NE(t.table->GetCellEditor(), nullptr);
  t.table->GetCellEditor()->Selecting = false;
}

// -------------------------------------------------- the active cell

TEST(ActiveCell, SwitchingCellsMovesTheEditorAndResetCloses) {
  EditedTable t;
  t.table->SetActiveCell(1, 0);
  ASSERT_NE(t.table->GetCellEditor(), nullptr);
  EXPECT_EQ(t.table->GetEditedRow(), 1);
  EXPECT_EQ(t.table->GetActiveRow(), 1);
  EXPECT_EQ(t.table->GetActiveCol(), 0);
  t.e.run("type abcd\nselect-left 2");
  EXPECT_TRUE(t.table->HasActiveCellSelection());
  EXPECT_EQ(t.selection(), (std::vector<int>{0, 5, 0, 3}));
  t.table->SetActiveCell(0, 1);
  EXPECT_EQ(t.table->GetEditedRow(), 0);
  EXPECT_EQ(t.table->GetEditedCol(), 1);
  EXPECT_EQ(t.table->GetActiveCol(), 1);
  EXPECT_FALSE(t.table->HasActiveCellSelection());
  t.table->ResetActiveCell();
  EXPECT_EQ(t.table->GetCellEditor(), nullptr);
  EXPECT_EQ(t.table->GetActiveRow(), -1);
  EXPECT_FALSE(t.table->HasActiveCellSelection());
}

TEST(ActiveCell, TheTablesPlaceAnswers) {
  EditedTable t;
  t.table->CloseCellEditor(true);
  t.e.format();
  const TRVTableCellData *c11 = t.table->Cells(1, 1);
  EXPECT_EQ(t.table->GetSubRVDataAt(c11->Left + 2, c11->Top + 2), c11);
  EXPECT_EQ(t.table->GetSubRVDataAt(-5, -5), nullptr);
  EXPECT_EQ(t.table->GetRowTop(1), c11->Top);
  EXPECT_EQ(t.table->GetRowTop(2), t.table->GetHeight());
  EXPECT_EQ(t.table->GetAbsoluteItemNo(), t.table->GetMyItemNo());
  // A selection over the whole table holds it; one ending on it does not.
  const int item = t.table->GetMyItemNo();
  t.e.doc->SetSelectionBounds(item, 0, item, 1);
  EXPECT_TRUE(t.table->IsInsideSelection());
  t.e.doc->SetSelectionBounds(item, 1, item, 1);
  EXPECT_FALSE(t.table->IsInsideSelection());
}

} // namespace

// A control in a cell of a view's table is a window of the view shown
// inside its cell, and scrolls with the text around it.
TEST(TableControls, AControlInACellStandsInsideItsCellAndScrollsWithIt) {
  TRVScroller s;
  s.resize(300, 100);
  TRVStyle style;
  s.Style = &style;
  TRichVistaRVData doc(&s);
  for (int i = 0; i < 5; ++i) doc.AddText("line " + std::to_string(i), 0, 0);
  auto t = std::make_unique<TRVTableItemInfo>(2, 2, &doc);
  t->ParaNo = 0;
  TRVTableItemInfo *table = t.get();
  doc.AddItem(std::string(), std::move(t));
  for (int i = 0; i < 60; ++i) doc.AddText("below " + std::to_string(i), 0, 0);
  auto *box = new QLineEdit;
  box->resize(40, 12);
  TRVTableCellData *cell = table->Cells(1, 1);
  cell->Items.Clear();
  cell->AddControl("box", box, 0, rvvaBaseline, TRVTag());
  doc.ReformatAllForced(false);

  EXPECT_EQ(box->parentWidget(), &s);
  EXPECT_TRUE(box->isVisibleTo(&s)) << "shown once placed";
  // The cell's rectangle in the client, from the table's line and the
  // cell's place in the table.
  const TRVDrawLineInfo *line = doc.DrawLines.Items(doc.FirstDrawLineOf(table));
  const int left = line->Left - doc.GetHOffs() + cell->Left;
  const int top = line->Top - doc.GetVOffs() + cell->Top;
  EXPECT_GE(box->x(), left);
  EXPECT_LE(box->x() + box->width(), left + cell->Width);
  EXPECT_GE(GetControlTrueTop(box), top);
  EXPECT_LE(GetControlTrueTop(box) + box->height(), top + cell->Height);
  const int y = box->y();
  QTest::keyClick(&s, Qt::Key_PageDown);
  ASSERT_GT(s.VScrollPos(), 0);
  EXPECT_LT(box->y(), y) << "scrolled up with the text";
}
