// Figures for one keystroke in a middle cell of a table inside an editor:
// tables of 200 and 2,000 rows of 6 cells, the cell's editor open; a
// character typed into a short cell (its row keeps its height) and Enter
// (its row grows by a line, the rows below move), beside
// QTextCursor::insertText in the same cell of a QTextTable of the same
// cells at the same width, laid out after each key.
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <string>

#include "TableBenchDocs.h"

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
  for (int w = 0, n = 2 + (Row * 7 + Col * 3) % 4; w < n; ++w)
    s += std::string(w ? " " : "") + words[(Row + Col + w) % 8];
  return s;
}

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

struct Figures {
  double Char = 0, Line = 0;
};

Figures Run(int Rows) {
  const bench::CellText text = [Rows](int R, int C) { return CellText(R, C, Rows); };
  bench::EditorTable ours(Rows, Cols, text);
  ours.table->OpenCellEditor(-1, Rows / 2, EditedCol, kc::TRVTableItemInfo::rvceCaretAtEnd);
  int item = -1;
  kc::TRVEditRVData *cell = ours.doc->GetNestedEditData(item);
  bench::QtTable theirs(Rows, Cols, text);
  QTextCursor cursor = theirs.table->cellAt(Rows / 2, EditedCol).lastCursorPosition();
  if (!cell) {
    std::printf("table %d x %d: the cell editor did not open\n", Rows, Cols);
    return {};
  }
  kc::TRVEditRVData &c = *cell;
  const int height = ours.table->GetHeight();
  const double oChar = Time([&] { c.InsertTypedText(u"x"); }, [&] { c.OnBackSpacePressed(false, false, false); });
  const double oLine = Time([&] { c.OnEnterPress(false); }, [&] { c.OnBackSpacePressed(false, false, false); });
  if (ours.table->GetHeight() != height)
    std::printf("table height after the keys: %d, was %d\n", ours.table->GetHeight(), height);
  auto layout = [&] { theirs.Layout(); };
  const double tChar = Time([&] { cursor.insertText("x"), layout(); }, [&] { cursor.deletePreviousChar(), layout(); });
  const double tLine = Time([&] { cursor.insertBlock(), layout(); }, [&] { cursor.deletePreviousChar(), layout(); });
  std::printf("table %d x %d, a character typed in a middle cell (row height kept): %.3f ms; "
              "QTextCursor::insertText %.3f ms; ratio %.4f\n",
              Rows, Cols, oChar, tChar, oChar / tChar);
  std::printf("table %d x %d, Enter in a middle cell (a line added): %.3f ms; QTextCursor::insertBlock %.3f ms; "
              "ratio %.4f\n",
              Rows, Cols, oLine, tLine, oLine / tLine);
  return {oChar, oLine};
}

} // namespace

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  const Figures small = Run(200), large = Run(2000);
  // A key that keeps the row's height costs the same at any size (near 1);
  // Enter also moves every row below.
  std::printf("2,000 rows beside 200: a character typed %.2f times the time, Enter %.2f times\n",
              small.Char > 0 ? large.Char / small.Char : 0.0, small.Line > 0 ? large.Line / small.Line : 0.0);
  return 0;
}
