// Figures for a row inserted in the middle of a table inside an editor and
// undone: tables of 200 and 2,000 rows of 6 cells (3 to 10 words a cell),
// each step formatted again, beside QTextTable::insertRows and the
// QTextDocument's undo in a table of the same cells at the same width.
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "TableBenchDocs.h"

namespace {

using Clock = std::chrono::steady_clock;
double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

constexpr int Cols = 6;
constexpr int Repeats = 5;

std::vector<std::vector<std::string>> makeText(int rows) {
  static const char *words[] = {"table", "cell", "layout", "column", "width", "merged", "the", "of", "rows", "text"};
  std::mt19937 rng{static_cast<unsigned>(rows)};
  std::vector<std::vector<std::string>> t;
  for (int r = 0; r < rows; ++r) {
    std::vector<std::string> row;
    for (int c = 0; c < Cols; ++c) {
      std::string s;
      for (int w = 0, n = 3 + int(rng() % 8); w < n; ++w) s += std::string(w ? " " : "") + words[rng() % 10];
      row.push_back(s);
    }
    t.push_back(row);
  }
  return t;
}

void run(int rows) {
  const auto text = makeText(rows);
  const bench::CellText cell = [&](int r, int c) { return text[size_t(r)][size_t(c)]; };
  bench::EditorTable ours(rows, Cols, cell);
  bench::QtTable theirs(rows, Cols, cell);
  double oi = 0, ou = 0, ti = 0, tu = 0;
  for (int k = 0; k < Repeats; ++k) {
    auto t0 = Clock::now();
    ours.table->InsertRows(rows / 2, 1, -1, false);
    oi += ms(Clock::now() - t0);
    t0 = Clock::now();
    ours.doc->Undo();
    ou += ms(Clock::now() - t0);

    t0 = Clock::now();
    theirs.table->insertRows(rows / 2, 1);
    theirs.Layout();
    ti += ms(Clock::now() - t0);
    t0 = Clock::now();
    theirs.doc.undo();
    theirs.Layout();
    tu += ms(Clock::now() - t0);
  }
  if (ours.table->RowCount() != rows)
    std::printf("row count after undo: %d, wanted %d\n", ours.table->RowCount(), rows);
  oi /= Repeats, ou /= Repeats, ti /= Repeats, tu /= Repeats;
  std::printf("table %d x %d, row inserted in the middle: %.2f ms; QTextTable::insertRows %.2f ms; ratio %.2f\n", rows,
              Cols, oi, ti, oi / ti);
  std::printf("table %d x %d, that insertion undone: %.2f ms; QTextDocument::undo %.2f ms; ratio %.2f\n", rows, Cols,
              ou, tu, ou / tu);
}

} // namespace

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  run(200);
  run(2000);
  return 0;
}
