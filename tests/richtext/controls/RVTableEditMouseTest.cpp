// A table in the editor widget under the mouse: column and row borders
// dragged (with and without Shift; the line shown meanwhile; one undo step
// each), cells selected by dragging across them from the edited cell (its
// editor looking selected meanwhile) and emptied with Delete,
// the table and selected cells dragged to another place in the box, and a
// drop into the open cell editor.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QMimeData>
#include <QTest>

#include "EditorFixture.h"
#include "richtext/controls/RVDropTarget.h"
#include "richtext/controls/RVTInplace.h"
#include "richtext/tables/RVTable.h"
#include "richtext/tables/TableFixture.h"

using namespace kc;

namespace {

// A cell's items' text, run together.
std::string CellText(const TCustomRVData &Cell) {
  std::string s;
  for (int i = 0; i < Cell.GetItemCount(); ++i) s += Cell.GetItemTextA(i);
  return s;
}

// "abc", a 3 x 3 table of one letter a cell, "xyz"; 300 px wide.
struct TableEditor : kctest::Editor {
  TRVTableItemInfo *t = nullptr;
  std::string before;
  TableEditor() : Editor(300, 200) {
    para({"abc"});
    auto table = kctest::TableDoc::make(&doc(), {{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}});
    table->ParaNo = 0;
    t = table.get();
    doc().AddItem(std::string(), std::move(table));
    para({"xyz"});
    t->State |= rvtsEditMode;
    open(0, 1);
    before = rvf();
  }
  // A point of the table (table coordinates) in the widget.
  QPoint at(int X, int Y) const {
    int l = 0, tp = 0;
    EXPECT_TRUE(doc().GetItemClientCoords(tableNo(), l, tp));
    return {l + X, tp + Y};
  }
  int tableNo() const { return doc().GetItemNo(t); }
  const TRVTableItemFormattingInfo &f() const { return t->FormattingInfo(); }
  // The middle of cell (R, C)'s content.
  QPoint cell(int R, int C) const {
    const TRVTableCellData *c = t->Cells(R, C);
    return at(c->Left + c->Width / 2, c->Top + c->Height / 2);
  }
  void drag(QPoint From, QPoint To, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
    QTest::mousePress(ed.get(), Qt::LeftButton, Mods, From);
    QTest::mouseMove(ed.get(), To);
    QTest::mouseRelease(ed.get(), Qt::LeftButton, Mods, To);
  }
  std::string cellText(int R, int C) const { return CellText(*t->Cells(R, C)); }
  std::string grid() const {
    std::string s;
    for (int r = 0; r < t->RowCount(); ++r)
      for (int c = 0; c < t->ColCount(); ++c) s += (c ? "|" : r ? "/" : "") + cellText(r, c);
    return s;
  }
  std::vector<int> bestWidths() const {
    std::vector<int> v;
    for (int c = 0; c < t->ColCount(); ++c) v.push_back(t->Cells(0, c)->BestWidth);
    return v;
  }
};

} // namespace

TEST(TableBorders, ColumnDragsWithAndWithoutShiftAreOneUndoStepEach) {
  struct Case {
    const char *Name;
    Qt::KeyboardModifiers Mods;
    int Change0, Change1; // of the first two columns' widths
  };
  const Case cases[] = {{"without Shift the neighbour gives the width", Qt::NoModifier, 20, -20},
                        {"with Shift only the left column changes", Qt::ShiftModifier, 20, 0}};
  for (const Case &c : cases) {
    TableEditor e;
    const std::vector<int> w0 = kctest::list(e.f().ColWidths);
    const int line = e.f().ColStarts[1] - 1;
    QTest::mousePress(e.ed.get(), Qt::LeftButton, c.Mods, e.at(line, 5));
    QTest::mouseMove(e.ed.get(), e.at(line + 20, 5));
    // The line follows the pointer over the whole box until the release.
    EXPECT_TRUE(e.doc().DragLine.Shown) << c.Name;
    EXPECT_TRUE(e.doc().DragLine.Vertical) << c.Name;
    EXPECT_EQ(e.doc().DragLine.Pos, e.at(line + 20, 5).x()) << c.Name;
    QTest::mouseRelease(e.ed.get(), Qt::LeftButton, c.Mods, e.at(line + 20, 5));
    EXPECT_FALSE(e.doc().DragLine.Shown) << c.Name;
    const std::vector<int> w = kctest::list(e.f().ColWidths);
    EXPECT_EQ(w[0], w0[0] + c.Change0) << c.Name;
    // An automatic column after them gives or takes what the table's
    // width leaves over.
    if (c.Change1) {
      EXPECT_EQ(w[1], w0[1] + c.Change1) << c.Name;
    }
    EXPECT_EQ(w[0] + w[1] + w[2], w0[0] + w0[1] + w0[2]) << c.Name;
    EXPECT_EQ(e.bestWidths()[0], w0[0] + c.Change0) << c.Name;
    EXPECT_EQ(e.bestWidths()[1], c.Change1 ? w0[1] + c.Change1 : 0) << c.Name;
    EXPECT_EQ(e.grid(), "a|b|c/d|e|f/g|h|i") << c.Name;
    e.ed->Undo();
    EXPECT_EQ(e.rvf(), e.before) << c.Name << ": one undo step restores the table";
    EXPECT_EQ(kctest::list(e.f().ColWidths), w0) << c.Name;
    e.ed->Redo();
    EXPECT_EQ(kctest::list(e.f().ColWidths), w) << c.Name;
  }
}

TEST(TableBorders, RowDragSetsTheRowHeight) {
  TableEditor e;
  const int h0 = e.f().RowHeights[0];
  const int line = e.f().RowStarts[1] - 1;
  const int below = e.f().RowStarts[2];
  // An open cell editor closes for the drag.
  QTest::mouseClick(e.ed.get(), Qt::LeftButton, Qt::NoModifier, e.cell(2, 2));
  ASSERT_NE(e.t->GetCellEditor(), nullptr);
  e.drag(e.at(20, line), e.at(20, line + 15));
  EXPECT_EQ(e.t->GetCellEditor(), nullptr);
  EXPECT_EQ(e.f().RowHeights[0], h0 + 15);
  EXPECT_EQ(e.f().RowStarts[2], below + 15) << "the rows below move down";
  for (int c = 0; c < 3; ++c) EXPECT_EQ(e.t->Cells(0, c)->BestHeight, h0 + 15);
  e.ed->Undo();
  EXPECT_EQ(e.rvf(), e.before);
  EXPECT_EQ(e.f().RowHeights[0], h0);
}

// Rows and columns sized by their text keep no size of their own after a
// click on their lines; the editor the press closed opens again.
TEST(TableBorders, AClickOnALineChangesNothing) {
  struct Case {
    const char *Name;
    bool Column;
  };
  const Case cases[] = {{"a column line", true}, {"a row line", false}};
  for (const Case &c : cases) {
    TableEditor e;
    QTest::mouseClick(e.ed.get(), Qt::LeftButton, Qt::NoModifier, e.cell(1, 1));
    QApplication::processEvents();
    ASSERT_NE(e.t->GetCellEditor(), nullptr) << c.Name;
    const QPoint line = c.Column ? e.at(e.f().ColStarts[1] - 1, 5) : e.at(20, e.f().RowStarts[1] - 1);
    QTest::mousePress(e.ed.get(), Qt::LeftButton, Qt::NoModifier, line);
    EXPECT_TRUE(e.t->IsResizing()) << c.Name;
    QTest::mouseRelease(e.ed.get(), Qt::LeftButton, Qt::NoModifier, line);
    QApplication::processEvents();
    EXPECT_EQ(e.doc().UndoList->Count(), 0) << c.Name;
    for (int r = 0; r < 3; ++r)
      for (int col = 0; col < 3; ++col) {
        EXPECT_EQ(e.t->Cells(r, col)->BestWidth, 0) << c.Name;
        EXPECT_EQ(e.t->Cells(r, col)->BestHeight, 0) << c.Name;
      }
    const TRVCellEditor *open = e.t->GetCellEditor();
    ASSERT_NE(open, nullptr) << c.Name;
    EXPECT_EQ(open->Row * 10 + open->Col, 11) << c.Name;
  }
}

TEST(TableBorders, EscapeEndsTheDragWithoutAChange) {
  TableEditor e;
  const int line = e.f().ColStarts[1] - 1;
  QTest::mousePress(e.ed.get(), Qt::LeftButton, Qt::NoModifier, e.at(line, 5));
  QTest::mouseMove(e.ed.get(), e.at(line + 20, 5));
  QTest::keyClick(e.ed.get(), Qt::Key_Escape);
  EXPECT_FALSE(e.doc().DragLine.Shown);
  QTest::mouseRelease(e.ed.get(), Qt::LeftButton, Qt::NoModifier, e.at(line + 20, 5));
  EXPECT_EQ(e.rvf(), e.before);
  EXPECT_EQ(e.doc().UndoList->Count(), 0);
}

namespace {

// Cells selected by dragging from a cell whose editor takes the press: the
// press goes to the box (the editor opens under it) or to the editor open
// already. Events go to the widget under the pointer, as a window system
// sends them.
struct DragFrom {
  const char *Name;
  bool EditorOpen;
};

} // namespace

TEST(TableCells, SelectionFromTheEditedCellGivesItTheSelectedLook) {
  const DragFrom cases[] = {{"the press opens the editor", false}, {"the press lands in the open editor", true}};
  for (const DragFrom &c : cases) {
    TableEditor e;
    // (Opened without a click, so that the press is no double click.)
    if (c.EditorOpen) {
      ASSERT_TRUE(e.t->EditCell(0, 0)) << c.Name;
    }
    auto *open = dynamic_cast<TRVTableInplaceEdit *>(e.t->GetCellEditor());
    // The widget under the pointer and a point of the box in it.
    QWidget *w = open ? static_cast<QWidget *>(open) : e.ed.get();
    auto in = [&](QPoint P) { return w->mapFrom(e.ed.get(), P); };
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, in(e.cell(0, 0)));
    auto *ce = dynamic_cast<TRVTableInplaceEdit *>(e.t->GetCellEditor());
    ASSERT_NE(ce, nullptr) << c.Name;
    const TColor own = ce->Color;
    if (c.EditorOpen) {
      EXPECT_TRUE(e.ed->AutoScrollTimerRunning()) << c.Name << ": the box scrolls for the editor";
    }

    QTest::mouseMove(w, in(e.cell(1, 1)));
    EXPECT_EQ(e.t->GetCellEditor(), ce) << c.Name << ": the editor stays while the button is held";
    ASSERT_TRUE(e.t->HasCellSelection()) << c.Name;
    int top = 0, left = 0, rows = 0, cols = 0;
    ASSERT_TRUE(e.t->GetNormalizedSelectionBounds(top, left, rows, cols));
    EXPECT_EQ(std::vector<int>({top, left, rows, cols}), std::vector<int>({0, 0, 2, 2})) << c.Name;
    EXPECT_TRUE(ce->SelectedLook()) << c.Name;
    EXPECT_EQ(ce->Color, e.sheet.SelColor) << c.Name;

    // Back in its own cell the editor looks as before.
    QTest::mouseMove(w, in(e.cell(0, 0)));
    EXPECT_FALSE(e.t->HasCellSelection()) << c.Name;
    EXPECT_FALSE(ce->SelectedLook()) << c.Name;
    EXPECT_EQ(ce->Color, own) << c.Name;

    // Below the box, the box scrolls down.
    QTest::mouseMove(w, in(QPoint(e.cell(1, 1).x(), e.ed->ClientHeight() + 5)));
    EXPECT_GT(e.ed->VAutoScrollDirection(), 0) << c.Name;
    QTest::mouseMove(w, in(e.cell(1, 1)));
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, in(e.cell(1, 1)));
    EXPECT_EQ(e.t->GetCellEditor(), ce) << c.Name << ": not freed inside its own handler";
    QApplication::processEvents();
    EXPECT_EQ(e.t->GetCellEditor(), nullptr) << c.Name << ": closed once the event loop ran";
    EXPECT_FALSE(e.ed->AutoScrollTimerRunning()) << c.Name;
    ASSERT_TRUE(e.t->HasCellSelection()) << c.Name << ": the cells stay selected";
    ASSERT_TRUE(e.t->GetNormalizedSelectionBounds(top, left, rows, cols));
    EXPECT_EQ(std::vector<int>({top, left, rows, cols}), std::vector<int>({0, 0, 2, 2})) << c.Name;
    EXPECT_EQ(e.grid(), "a|b|c/d|e|f/g|h|i") << c.Name;

    QTest::keyClick(e.ed.get(), Qt::Key_Delete);
    EXPECT_EQ(e.grid(), "||c/||f/g|h|i") << c.Name;
    EXPECT_EQ(e.doc().GetItemTextA(0) + e.doc().GetItemTextA(2), "abcxyz") << "nothing outside the table goes";
    QTest::keyClick(e.ed.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(e.rvf(), e.before) << c.Name;
  }
}

TEST(TableCells, ReleasedInItsOwnCellTheEditorStays) {
  TableEditor e;
  QTest::mousePress(e.ed.get(), Qt::LeftButton, Qt::NoModifier, e.cell(0, 0));
  QTest::mouseMove(e.ed.get(), e.cell(0, 1));
  QTest::mouseMove(e.ed.get(), e.cell(0, 0));
  QTest::mouseRelease(e.ed.get(), Qt::LeftButton, Qt::NoModifier, e.cell(0, 0));
  QApplication::processEvents();
  auto *ce = dynamic_cast<TRVTableInplaceEdit *>(e.t->GetCellEditor());
  ASSERT_NE(ce, nullptr);
  EXPECT_FALSE(ce->SelectedLook());
  EXPECT_FALSE(e.t->HasCellSelection());
}

namespace {

int TableCount(const TCustomRVData &D) {
  int n = 0;
  for (int i = 0; i < D.GetItemCount(); ++i) n += dynamic_cast<const TRVTableItemInfo *>(D.GetItem(i)) != nullptr;
  return n;
}

} // namespace

TEST(TableDrop, ATableDraggedWithinTheBox) {
  struct Case {
    const char *Name;
    bool Move;
    Qt::DropAction Effect;
    int Tables;
  };
  const Case cases[] = {{"moved", true, Qt::MoveAction, 1}, {"copied (Ctrl)", false, Qt::CopyAction, 2}};
  for (const Case &c : cases) {
    TableEditor e;
    e.select(e.tableNo(), 0, e.tableNo(), 1);
    int l = 0, top = 0;
    ASSERT_TRUE(e.doc().GetItemClientCoords(e.tableNo() + 1, l, top));
    // After "xyz".
    EXPECT_EQ(kctest::DragSelection(*e.ed, *e.ed, l + 35, top + 5, c.Move), c.Effect) << c.Name;
    EXPECT_EQ(TableCount(e.doc()), c.Tables) << c.Name;
    auto *last = dynamic_cast<TRVTableItemInfo *>(e.doc().GetItem(e.doc().GetItemCount() - 1));
    ASSERT_NE(last, nullptr) << c.Name << ": the table is at the end";
    EXPECT_EQ(CellText(*last->Cells(2, 2)), "i") << c.Name << ": with its cells";
    e.ed->Undo();
    EXPECT_EQ(e.rvf(), e.before) << c.Name << ": one undo step";
  }
}

TEST(TableDrop, SelectedCellsCopyAndDragAsATableOfTheirOwn) {
  TableEditor e;
  // Cells b, c, e, f.
  e.t->Select(0, 1, 1, 1);
  ASSERT_TRUE(e.t->HasCellSelection());
  TCustomRVFormattedData::TRVCopyData data;
  ASSERT_TRUE(e.doc().GetCopyData(data, TRVOptions{rvoAutoCopyRVF, rvoAutoCopyUnicodeText, rvoAutoCopyRTF}, clWhite));
  EXPECT_EQ(data.Text, u"b\nc\ne\nf\n") << "the cells' text";
  EXPECT_NE(data.RTF.find("\\cell"), std::string::npos) << "RTF carries a table";
  // The RVF holds one table of exactly those cells.
  TRVDataHost host;
  host.Style = &e.sheet;
  TCustomRVData back;
  back.SetHost(&host);
  std::string_view rvf;
  ASSERT_TRUE(RVFOfClipboardBlock(data.RVF, rvf));
  ASSERT_TRUE(LoadRvfFromStream(back, rvf).Ok);
  ASSERT_EQ(back.GetItemCount(), 1);
  auto *copy = dynamic_cast<TRVTableItemInfo *>(back.GetItem(0));
  ASSERT_NE(copy, nullptr);
  ASSERT_EQ(copy->RowCount(), 2);
  ASSERT_EQ(copy->ColCount(), 2);
  EXPECT_EQ(CellText(*copy->Cells(0, 0)) + CellText(*copy->Cells(0, 1)) + CellText(*copy->Cells(1, 0)) +
                CellText(*copy->Cells(1, 1)),
            "bcef");

  // A press on them asks for a drag and opens no editor.
  QTest::mousePress(e.ed.get(), Qt::LeftButton, Qt::NoModifier, e.cell(1, 2));
  EXPECT_TRUE(e.doc().MouseSel.DragStartPending);
  EXPECT_EQ(e.t->GetCellEditor(), nullptr);
  EXPECT_TRUE(e.t->HasCellSelection());
  QTest::mouseRelease(e.ed.get(), Qt::LeftButton, Qt::NoModifier, e.cell(1, 2));

  // Moved to the end of the box: a table of the cells arrives there, the
  // cells they came from are emptied, and one undo step takes both back.
  int l = 0, top = 0;
  ASSERT_TRUE(e.doc().GetItemClientCoords(e.tableNo() + 1, l, top));
  EXPECT_EQ(kctest::DragSelection(*e.ed, *e.ed, l + 35, top + 5, true), Qt::MoveAction);
  EXPECT_EQ(TableCount(e.doc()), 2);
  EXPECT_EQ(e.grid(), "a||/d||/g|h|i");
  e.ed->Undo();
  EXPECT_EQ(e.rvf(), e.before);
}

TEST(TableDrop, IntoTheOpenCellEditor) {
  TableEditor e;
  QTest::mouseClick(e.ed.get(), Qt::LeftButton, Qt::NoModifier, e.cell(1, 1));
  auto *cellEditor = dynamic_cast<TRVTableInplaceEdit *>(e.t->GetCellEditor());
  ASSERT_NE(cellEditor, nullptr);
  QMimeData md;
  md.setText("T");
  ASSERT_TRUE(cellEditor->OleDragEnter(md));
  cellEditor->OleDragOver(0, 3);
  EXPECT_EQ(cellEditor->OleDrop(md, false), 1);
  e.t->CloseCellEditor(true);
  EXPECT_EQ(e.grid(), "a|b|c/d|Te|f/g|h|i");
  e.ed->Undo();
  // The undo works in the cell's editor, which holds the cell's items.
  e.t->CloseCellEditor(true);
  EXPECT_EQ(e.grid(), "a|b|c/d|e|f/g|h|i") << "undone from the box";
}

TEST(TableCellEvents, TheEditorsEventsReachTheBoxOnceItsHandlersAreDone) {
  TableEditor e;
  // What the box was told: the sender, the event and the point.
  std::vector<std::string> told;
  auto note = [&](TCustomRichVista *Sender, const std::string &What, int X, int Y) {
    told.push_back((Sender == e.ed.get() ? "box " : "other ") + What + " " + std::to_string(X) + "," +
                   std::to_string(Y));
  };
  e.ed->OnRVMouseDown = [&](TCustomRichVista *S, TRVMouseButton, TRVShiftState, int ItemNo, int X, int Y) {
    note(S, "down item " + std::to_string(ItemNo), X, Y);
  };
  e.ed->OnRVMouseUp = [&](TCustomRichVista *S, TRVMouseButton, TRVShiftState, int ItemNo, int X, int Y) {
    note(S, "up item " + std::to_string(ItemNo), X, Y);
  };
  e.ed->OnClick = [&](TCustomRichVista *S) { note(S, "click", 0, 0); };
  e.ed->OnDragDrop = [&](TCustomRichVista *S, QObject *, int X, int Y) { note(S, "drop", X, Y); };
  e.ed->OnEndDrag = [&](TCustomRichVista *S, QObject *, int X, int Y) { note(S, "end drag", X, Y); };
  ASSERT_TRUE(e.t->EditCell(1, 1));
  auto *ce = dynamic_cast<TRVTableInplaceEdit *>(e.t->GetCellEditor());
  ASSERT_NE(ce, nullptr);
  const QPoint local(3, 4);
  const QPoint box = ce->mapTo(e.ed.get(), local);
  const std::string at = std::to_string(box.x()) + "," + std::to_string(box.y());
  const std::string item = std::to_string(e.tableNo());

  QTest::mousePress(ce, Qt::LeftButton, Qt::NoModifier, local);
  QTest::mouseRelease(ce, Qt::LeftButton, Qt::NoModifier, local);
  EXPECT_TRUE(told.empty()) << "nothing fires inside the editor's handlers";
  QApplication::processEvents();
  EXPECT_EQ(told, std::vector<std::string>(
                      {"box down item " + item + " " + at, "box up item " + item + " " + at, "box click 0,0"}));

  told.clear();
  QMimeData md;
  md.setText("T");
  QDragEnterEvent enter(local, Qt::CopyAction, &md, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(ce, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDragMoveEvent move(local, Qt::CopyAction, &md, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(ce, &move);
  QDropEvent drop(QPointF(local), Qt::CopyAction, &md, Qt::LeftButton, Qt::NoModifier);
  drop.setDropAction(move.dropAction());
  QCoreApplication::sendEvent(ce, &drop);
  EXPECT_TRUE(drop.isAccepted());
  QApplication::processEvents();
  EXPECT_EQ(told, std::vector<std::string>({"box drop " + at}));

  told.clear();
  ce->SelectAll();
  ce->DragRunner = [](QDrag &) { return Qt::IgnoreAction; };
  ce->StartDragSelection();
  QApplication::processEvents();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].rfind("box end drag ", 0), 0u) << told[0];
}

TEST(TableBorders, ABorderOfATableInACellIsDraggedThere) {
  // A 1 x 2 table whose first cell holds a 2 x 2 table.
  kctest::Editor e(400, 200);
  e.para({"abc"});
  auto outer = kctest::TableDoc::make(&e.doc(), {{"", "zz"}});
  outer->ParaNo = 0;
  TRVTableItemInfo *o = outer.get();
  auto inner = kctest::TableDoc::make(o->Cells(0, 0), {{"p", "q"}, {"r", "s"}});
  inner->ParaNo = 0;
  TRVTableItemInfo *in = inner.get();
  o->Cells(0, 0)->Items.Clear();
  o->Cells(0, 0)->AddItem(std::string(), std::move(inner));
  o->Cells(0, 0)->BestWidth = 200;
  e.doc().AddItem(std::string(), std::move(outer));
  o->State |= rvtsEditMode;
  e.open(0, 1);
  in->State |= rvtsEditMode;
  const std::string before = e.rvf();
  const std::vector<int> w0 = kctest::list(in->FormattingInfo().ColWidths);
  ASSERT_EQ(w0.size(), 2u);

  // The inner table's top-left corner in the box.
  int ol = 0, ot = 0;
  ASSERT_TRUE(e.doc().GetItemClientCoords(e.doc().GetItemNo(o), ol, ot));
  const TRVTableCellData *c00 = o->Cells(0, 0);
  const QPoint corner(ol + c00->Left + o->CellPadding, ot + c00->Top + o->CellPadding + c00->GetVAlignOffset());
  const int line = in->FormattingInfo().ColStarts[1] - 1;
  const QPoint from = corner + QPoint(line, 5), to = from + QPoint(15, 0);
  QTest::mousePress(e.ed.get(), Qt::LeftButton, Qt::NoModifier, from);
  auto *ce = dynamic_cast<TRVTableInplaceEdit *>(o->GetCellEditor());
  ASSERT_NE(ce, nullptr) << "the press opens the outer cell's editor";
  QTest::mouseMove(e.ed.get(), to);
  ASSERT_TRUE(in->IsResizing()) << "the inner table's border is dragged";
  // The document holding the inner table (the outer cell's editor) draws
  // the line under the pointer.
  const TRVEditRVData &holder = *ce->EditData();
  EXPECT_FALSE(e.doc().DragLine.Shown);
  ASSERT_TRUE(holder.DragLine.Shown);
  EXPECT_TRUE(holder.DragLine.Vertical);
  EXPECT_EQ(ce->mapTo(e.ed.get(), QPoint(holder.DragLine.Pos, 0)).x(), to.x());
  QTest::mouseRelease(e.ed.get(), Qt::LeftButton, Qt::NoModifier, to);
  EXPECT_FALSE(e.doc().DragLine.Shown || ce->EditData()->DragLine.Shown);
  const std::vector<int> w = kctest::list(in->FormattingInfo().ColWidths);
  EXPECT_EQ(w[0], w0[0] + 15) << "the inner table is resized";
  QApplication::processEvents();
  o->CloseCellEditor(true);
  EXPECT_NE(e.rvf(), before);
  e.ed->Undo();
  EXPECT_EQ(e.rvf(), before) << "one undo step";
}

// An attribute of the table or of the edited cell changed while the cell
// is edited: the editor stays on its cell with what was typed, takes the
// cell's colour and size, and the typing and the change are a step each.
TEST(TableCellEditor, StaysOpenWhileTheTableOrItsCellChanges) {
  struct Case {
    const char *Name;
    std::function<bool(TRVTableItemInfo &)> Change;
  };
  const Case cases[] = {
      {"the table's colour", [](TRVTableItemInfo &t) { return t.SetTablePropertyUndoable("Color", 0x0000FF); }},
      {"the cell's colour", [](TRVTableItemInfo &t) { return t.SetCellPropertyUndoable(1, 1, "Color", 0x00FF00); }},
      {"the cell padding", [](TRVTableItemInfo &t) { return t.SetTablePropertyUndoable("CellPadding", 7); }},
  };
  for (const Case &c : cases) {
    TableEditor e;
    QTest::mouseClick(e.ed.get(), Qt::LeftButton, Qt::NoModifier, e.cell(1, 1));
    auto *ce = dynamic_cast<TRVTableInplaceEdit *>(e.t->GetCellEditor());
    ASSERT_NE(ce, nullptr) << c.Name;
    QTest::keyClicks(ce, "x");
    const std::string typed = e.rvf();
    ASSERT_TRUE(c.Change(*e.t)) << c.Name;
    EXPECT_EQ(e.t->GetCellEditor(), static_cast<TRVCellEditor *>(ce)) << c.Name;
    EXPECT_EQ(ce->Row, 1) << c.Name;
    EXPECT_EQ(ce->Col, 1) << c.Name;
    EXPECT_EQ(CellText(*ce->EditData()), "ex") << c.Name;
    EXPECT_EQ(ce->Color, static_cast<TRVTableCellData *>(ce->Cell)->GetEffectiveColor()) << c.Name;
    const TRect r = e.t->EditedCellRect();
    EXPECT_EQ(ce->width(), r.Right - r.Left) << c.Name;
    e.ed->Undo();
    EXPECT_EQ(e.rvf(), typed) << c.Name << ": the change undone alone";
    e.ed->Undo();
    EXPECT_EQ(e.rvf(), e.before) << c.Name << ": then the typing";
  }
}

// OnCellEditing may refuse a cell; OnCellEndEdit reports every close, as
// clearing when the document itself goes.
TEST(TableCellEditor, EditingEventsAskAndReport) {
  TableEditor e;
  std::vector<std::string> events;
  bool allow = false;
  e.t->OnCellEditing = [&](TRVTableItemInfo *, int Row, int Col, bool, bool &Allow) {
    events.push_back("editing " + std::to_string(Row) + ' ' + std::to_string(Col));
    Allow = allow;
  };
  e.t->OnCellEndEdit = [&](TRVTableItemInfo *, int Row, int Col, bool Clearing) {
    events.push_back("end " + std::to_string(Row) + ' ' + std::to_string(Col) + (Clearing ? " clearing" : ""));
  };
  QTest::mouseClick(e.ed.get(), Qt::LeftButton, Qt::NoModifier, e.cell(1, 1));
  EXPECT_EQ(e.t->GetCellEditor(), nullptr) << "refused";
  EXPECT_EQ(e.rvf(), e.before);
  allow = true;
  QTest::mouseClick(e.ed.get(), Qt::LeftButton, Qt::NoModifier, e.cell(1, 1));
  auto *ce = dynamic_cast<TRVTableInplaceEdit *>(e.t->GetCellEditor());
  ASSERT_NE(ce, nullptr);
  QTest::keyClicks(ce, "x");
  e.t->CloseCellEditor(true);
  EXPECT_EQ(e.cellText(1, 1), "ex") << "the items are back in the cell";
  const std::vector<std::string> want = {"editing 1 1", "editing 1 1", "end 1 1"};
  EXPECT_EQ(events, want);
}

// Clearing the box while a cell is edited reports the close as clearing;
// the box then goes before the released editor is deleted.
TEST(TableCellEditor, ClearingTheDocumentReportsClearing) {
  TableEditor e;
  std::vector<std::string> events;
  e.t->OnCellEndEdit = [&](TRVTableItemInfo *, int Row, int Col, bool Clearing) {
    events.push_back("end " + std::to_string(Row) + ' ' + std::to_string(Col) + (Clearing ? " clearing" : ""));
  };
  QTest::mouseClick(e.ed.get(), Qt::LeftButton, Qt::NoModifier, e.cell(2, 0));
  ASSERT_NE(e.t->GetCellEditor(), nullptr);
  e.ed->ClearDocument();
  EXPECT_EQ(events, std::vector<std::string>{"end 2 0 clearing"});
}

TEST(TableCells, AClickOutsideTheTableClosesTheEditorAndTypingGoesThere) {
  struct Case {
    const char *Name;
    int ItemNo; // of the paragraph clicked
    std::string Want;
  };
  const Case cases[] = {{"the paragraph above", 0, "abcQ"}, {"the paragraph below", 2, "xyzQ"}};
  for (const Case &c : cases) {
    TableEditor e;
    QTest::mouseClick(e.ed.get(), Qt::LeftButton, Qt::NoModifier, e.cell(1, 1));
    QApplication::processEvents();
    ASSERT_NE(e.t->GetCellEditor(), nullptr) << c.Name;
    // Right of the paragraph's text: the caret goes to its end.
    int l = 0, tp = 0;
    ASSERT_TRUE(e.doc().GetItemClientCoords(c.ItemNo, l, tp)) << c.Name;
    QTest::mouseClick(e.ed.get(), Qt::LeftButton, Qt::NoModifier, QPoint(250, tp + 5));
    QApplication::processEvents();
    EXPECT_EQ(e.t->GetCellEditor(), nullptr) << c.Name;
    QTest::keyClicks(QApplication::focusWidget(), "Q");
    EXPECT_EQ(e.doc().GetItemTextA(c.ItemNo), c.Want) << c.Name;
    EXPECT_EQ(e.grid(), "a|b|c/d|e|f/g|h|i") << c.Name;
  }
}

// Typed on the editor's own fonts: lines of Arabic, Chinese and emoji are
// taller than the default one, and the caret's line is scrolled to while
// the row is still the height of one line.
TEST(TableCells, TheEditorShowsAllOfACellThatWrapsTextOfManyScripts) {
  TRVStyle sheet;
  sheet.TextStyles().Items(0)->Unicode = true;
  TRichVistaEdit ed;
  ed.Style = &sheet;
  ed.resize(300, 200);
  TRVEditRVData &doc = *ed.EditData();
  auto table = kctest::TableDoc::make(&doc, {{"", ""}, {"", ""}});
  TRVTableItemInfo *t = table.get();
  doc.AddItem(std::string(), std::move(table));
  t->State |= rvtsEditMode;
  ed.ReformatDocument();
  ed.show();
  ed.activateWindow();
  ed.setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  int l = 0, tp = 0;
  ASSERT_TRUE(doc.GetItemClientCoords(0, l, tp));
  const TRVTableCellData *c = t->Cells(1, 0);
  QTest::mouseClick(&ed, Qt::LeftButton, Qt::NoModifier, QPoint(l + c->Left + 5, tp + c->Top + 5));
  QApplication::processEvents();
  auto *ce = dynamic_cast<TRVTableInplaceEdit *>(t->GetCellEditor());
  ASSERT_NE(ce, nullptr);
  // A key a character, as a keyboard layout of each script gives them.
  const QString text = QString::fromUtf8("مرحبا 中文 Привет \xF0\x9F\x98\x80 abc def ghi jkl mno pqr stu vwx");
  for (int i = 0; i < text.size(); ++i) {
    const int n = text[i].isHighSurrogate() ? 2 : 1;
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text.mid(i, n));
    QApplication::sendEvent(QApplication::focusWidget(), &press);
    i += n - 1;
  }
  QApplication::processEvents();
  ce = dynamic_cast<TRVTableInplaceEdit *>(t->GetCellEditor());
  ASSERT_NE(ce, nullptr);
  EXPECT_GT(ce->EditData()->DrawLines.Count(), 1) << "the text wraps";
  EXPECT_EQ(ce->EditData()->GetVOffs(), 0) << "the first line shows";
  EXPECT_GE(ce->height(), ce->EditData()->DocumentHeight);
}

// A row made taller than a cell's text: a click anywhere in the cell, below
// its text too, opens its editor with the caret on the text's last line.
TEST(TableCells, AClickBelowACellsTextTypesIntoThatCell) {
  struct Case {
    const char *Name;
    int Row, Col;   // the grid slot clicked
    int EditedRow;  // the row of the cell that gets the text
    bool Empty;     // the cell's text removed first
    bool MergeDown; // cell (1, 1) merged with (2, 1)
    std::string Want;
  };
  const Case cases[] = {
      {"below the text of a cell", 1, 1, 1, false, false, "eQ"},
      {"in an empty cell", 1, 1, 1, true, false, "Q"},
      {"in the lower row of a merged cell (holding both texts)", 2, 1, 1, false, true, "ehQ"},
  };
  for (const Case &c : cases) {
    TableEditor e;
    for (int col = 0; col < 3; ++col) e.t->Cells(1, col)->BestHeight = 40;
    if (c.Empty) kctest::TableDoc::fill(*e.t->Cells(1, 1), "");
    if (c.MergeDown) {
      ASSERT_TRUE(e.t->Rows().ApplySpan(1, 1, 2, 1)) << c.Name;
    }
    e.t->InvalidateLayout();
    e.ed->ReformatDocument();
    const TRVTableCellData *cell = e.t->Cells(c.EditedRow, c.Col);
    // Right of the text, 3 px into row Row, or 4 px above the cell's bottom.
    const int y = c.Row == c.EditedRow ? cell->Top + cell->Height - 4 : e.f().RowStarts[c.Row] + 3;
    QTest::mouseClick(e.ed.get(), Qt::LeftButton, Qt::NoModifier, e.at(cell->Left + cell->Width - 4, y));
    QApplication::processEvents();
    const TRVCellEditor *open = e.t->GetCellEditor();
    ASSERT_NE(open, nullptr) << c.Name;
    EXPECT_EQ(open->Row, c.EditedRow) << c.Name;
    EXPECT_EQ(open->Col, c.Col) << c.Name;
    QTest::keyClicks(QApplication::focusWidget(), "Q");
    e.t->CloseCellEditor(true);
    EXPECT_EQ(e.cellText(c.EditedRow, c.Col), c.Want) << c.Name;
  }
}
