// Figures for one keystroke in a middle cell of a table inside an editor:
// tables of 200 and 2,000 rows of 6 cells, the cell's editor open; a
// character typed into a short cell (its row keeps its height) and Enter
// (its row grows by a line, the rows below move), beside
// QTextCursor::insertText in the same cell of a QTextTable of the same
// cells at the same width, laid out after each key.
#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/QtCanvas.h"
#include "richtext/controls/RVERVData.h"
#include "richtext/tables/RVTable.h"

namespace {

using Clock = std::chrono::steady_clock;
double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

constexpr int Cols = 6;
constexpr int EditedCol = 3;
constexpr int Keys = 20;

// Cells of two to five words, the edited one of two short words.
std::string CellText(int Row, int Col, int Rows) {
  if (Row == Rows / 2 && Col == EditedCol) return "ab cd";
  static const char *words[] = {"grid", "cell", "wrap", "row", "span", "line", "text", "width"};
  std::string s;
  for (int w = 0, n = 2 + (Row * 7 + Col * 3) % 4; w < n; ++w) s += std::string(w ? " " : "") + words[(Row + Col + w) % 8];
  return s;
}

struct Ours {
  kc::QtCanvas canvas;
  kc::TRVStyle style;
  kc::TRVFixedHost host{&canvas, 600, 400};
  std::unique_ptr<kc::TRVEditRVData> doc;
  kc::TRVTableItemInfo *table = nullptr;
  kc::TRVEditRVData *cell = nullptr;
  explicit Ours(int Rows) {
    host.Style = &style;
    doc = std::make_unique<kc::TRVEditRVData>(&host);
    auto t = std::make_unique<kc::TRVTableItemInfo>(Rows, Cols, doc.get());
    t->CellBorderWidth = 1;
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c) {
        t->Cells(r, c)->Items.Clear();
        t->Cells(r, c)->AddText(CellText(r, c, Rows), 0, 0);
      }
    table = t.get();
    doc->InsertItemAtCaret(std::string(), std::move(t), false);
    table->OpenCellEditor(-1, Rows / 2, EditedCol, kc::TRVTableItemInfo::rvceCaretAtEnd);
    int item = -1;
    cell = doc->GetNestedEditData(item);
  }
};

struct Theirs {
  QTextDocument doc;
  QTextTable *table = nullptr;
  QTextCursor cursor;
  explicit Theirs(int Rows) {
    QTextCursor cur(&doc);
    QTextTableFormat f;
    f.setCellPadding(1);
    f.setCellSpacing(2);
    f.setBorder(1);
    f.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    table = cur.insertTable(Rows, Cols, f);
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c)
        table->cellAt(r, c).firstCursorPosition().insertText(QString::fromStdString(CellText(r, c, Rows)));
    doc.setTextWidth(600);
    (void)doc.documentLayout()->documentSize();
    cursor = table->cellAt(Rows / 2, EditedCol).lastCursorPosition();
  }
};

// Average of Keys keystrokes, each taken back (untimed) before the next.
template <class Key, class Back> double Time(Key &&K, Back &&B) {
  double total = 0;
  for (int i = 0; i < Keys; ++i) {
    const auto t0 = Clock::now();
    K();
    total += ms(Clock::now() - t0);
    B();
  }
  return total / Keys;
}

void Run(int Rows) {
  Ours ours(Rows);
  Theirs theirs(Rows);
  if (!ours.cell) {
    std::printf("table %d x %d: the cell editor did not open\n", Rows, Cols);
    return;
  }
  kc::TRVEditRVData &c = *ours.cell;
  const int height = ours.table->GetHeight();
  const double oChar = Time([&] { c.InsertTypedText(u"x"); }, [&] { c.OnBackSpacePressed(false, false, false); });
  const double oLine = Time([&] { c.OnEnterPress(false); }, [&] { c.OnBackSpacePressed(false, false, false); });
  if (ours.table->GetHeight() != height) std::printf("table height after the keys: %d, was %d\n", ours.table->GetHeight(), height);
  auto layout = [&] { (void)theirs.doc.documentLayout()->documentSize(); };
  const double tChar = Time([&] { theirs.cursor.insertText("x"), layout(); }, [&] { theirs.cursor.deletePreviousChar(), layout(); });
  const double tLine = Time([&] { theirs.cursor.insertBlock(), layout(); }, [&] { theirs.cursor.deletePreviousChar(), layout(); });
  std::printf("table %d x %d, a character typed in a middle cell (row height kept): %.3f ms; "
              "QTextCursor::insertText %.3f ms; ratio %.3f\n",
              Rows, Cols, oChar, tChar, oChar / tChar);
  std::printf("table %d x %d, Enter in a middle cell (a line added): %.3f ms; QTextCursor::insertBlock %.3f ms; "
              "ratio %.3f\n",
              Rows, Cols, oLine, tLine, oLine / tLine);
}

} // namespace

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  Run(200);
  Run(2000);
  return 0;
}
