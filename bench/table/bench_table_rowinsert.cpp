// Figures for a row inserted in the middle of a table inside an editor and
// undone: tables of 200 and 2,000 rows of 6 cells (3 to 10 words a cell),
// each step formatted again, beside QTextTable::insertRows and the
// QTextDocument's undo in a table of the same cells at the same width.
#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/QtCanvas.h"
#include "richtext/controls/RVERVData.h"
#include "richtext/tables/RVTable.h"

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

struct Ours {
  kc::QtCanvas canvas;
  kc::TRVStyle style;
  kc::TRVFixedHost host{&canvas, 600, 400};
  std::unique_ptr<kc::TRVEditRVData> doc;
  kc::TRVTableItemInfo *table = nullptr;
  explicit Ours(const std::vector<std::vector<std::string>> &text) {
    host.Style = &style;
    doc = std::make_unique<kc::TRVEditRVData>(&host);
    const int rows = int(text.size());
    auto t = std::make_unique<kc::TRVTableItemInfo>(rows, Cols, doc.get());
    t->CellBorderWidth = 1;
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < Cols; ++c) {
        t->Cells(r, c)->Items.Clear();
        t->Cells(r, c)->AddText(text[size_t(r)][size_t(c)], 0, 0);
      }
    table = t.get();
    doc->AddItem(std::string(), std::move(t));
    doc->ReformatAllForced(true);
  }
};

struct Theirs {
  QTextDocument doc;
  QTextTable *table = nullptr;
  explicit Theirs(const std::vector<std::vector<std::string>> &text) {
    QTextCursor cur(&doc);
    QTextTableFormat f;
    f.setCellPadding(1);
    f.setCellSpacing(2);
    f.setBorder(1);
    f.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    const int rows = int(text.size());
    table = cur.insertTable(rows, Cols, f);
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < Cols; ++c)
        table->cellAt(r, c).firstCursorPosition().insertText(QString::fromStdString(text[size_t(r)][size_t(c)]));
    doc.setTextWidth(600);
    (void)doc.documentLayout()->documentSize();
    doc.clearUndoRedoStacks();
  }
};

void run(int rows) {
  const auto text = makeText(rows);
  Ours ours(text);
  Theirs theirs(text);
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
    (void)theirs.doc.documentLayout()->documentSize();
    ti += ms(Clock::now() - t0);
    t0 = Clock::now();
    theirs.doc.undo();
    (void)theirs.doc.documentLayout()->documentSize();
    tu += ms(Clock::now() - t0);
  }
  if (ours.table->RowCount() != rows) std::printf("row count after undo: %d, wanted %d\n", ours.table->RowCount(), rows);
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
