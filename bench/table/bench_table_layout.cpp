// Figures for laying out tables, printed with their ratios: tables of 200
// and 2,000 rows of 6 cells (3 to 10 words a cell, some cells merged
// across columns and rows, the first column 80 px wide) laid out whole at
// 600 px, then again at 700 px, beside QTextDocument holding a QTextTable
// of the same cells at the same widths. At 700 px the first column keeps
// its width, so its cells must not be wrapped again: the count is printed.
#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/QtCanvas.h"
#include "richtext/document/CRVFData.h"
#include "richtext/tables/RVTable.h"

namespace {

using Clock = std::chrono::steady_clock;
double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

constexpr int Cols = 6;
constexpr int FixedColumn = 80;

struct Grid {
  std::vector<std::vector<std::string>> text;
  // Merges: (row, col, row span, col span).
  std::vector<std::array<int, 4>> merges;
};

Grid makeGrid(int rows, unsigned seed) {
  static const char *words[] = {"table", "cell", "layout", "column", "width",  "merged", "the",
                                "of",    "rows", "text",   "wraps",  "inside", "its",    "border",
                                "every", "page", "chat",   "peer",   "sends",  "report"};
  std::mt19937 rng(seed);
  Grid g;
  for (int r = 0; r < rows; ++r) {
    std::vector<std::string> row;
    for (int c = 0; c < Cols; ++c) {
      std::string s;
      const int n = 3 + int(rng() % 8);
      for (int w = 0; w < n; ++w) s += std::string(w ? " " : "") + words[rng() % 20];
      row.push_back(s);
    }
    g.text.push_back(row);
    // Some cells merged: two columns every 10th row, two rows every 17th.
    if (r % 10 == 3) g.merges.push_back({r, 2, 1, 2});
    if (r % 17 == 5 && r + 1 < rows) g.merges.push_back({r, 4, 2, 1});
  }
  return g;
}

struct Ours {
  kc::QtCanvas canvas;
  kc::TRVStyle style;
  kc::TRVFixedHost host{&canvas, 600, 400};
  std::unique_ptr<kc::TRichVistaRVData> doc;
  kc::TRVTableItemInfo *table = nullptr;

  explicit Ours(const Grid &g) {
    host.Style = &style;
    doc = std::make_unique<kc::TRichVistaRVData>(&host);
    const int rows = int(g.text.size());
    auto t = std::make_unique<kc::TRVTableItemInfo>(rows, Cols, doc.get());
    t->CellBorderWidth = 1;
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < Cols; ++c) {
        kc::TRVTableCellData *cell = t->Cells(r, c);
        cell->Items.Clear();
        cell->AddText(g.text[size_t(r)][size_t(c)], 0, 0);
        if (c == 0) cell->BestWidth = FixedColumn;
      }
    for (const auto &m : g.merges) t->Rows().ApplySpan(m[0], m[1], m[2], m[3]);
    table = t.get();
    doc->AddItem(std::string(), std::move(t));
  }
};

struct Theirs {
  QTextDocument doc;
  explicit Theirs(const Grid &g) {
    QTextCursor cur(&doc);
    QTextTableFormat f;
    f.setCellPadding(1);
    f.setCellSpacing(2);
    f.setBorder(1);
    f.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    QList<QTextLength> widths;
    widths << QTextLength(QTextLength::FixedLength, FixedColumn);
    for (int c = 1; c < Cols; ++c) widths << QTextLength(QTextLength::VariableLength, 0);
    f.setColumnWidthConstraints(widths);
    const int rows = int(g.text.size());
    QTextTable *t = cur.insertTable(rows, Cols, f);
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < Cols; ++c)
        t->cellAt(r, c).firstCursorPosition().insertText(QString::fromStdString(g.text[size_t(r)][size_t(c)]));
    for (const auto &m : g.merges) t->mergeCells(m[0], m[1], m[2], m[3]);
  }
};

void run(int rows) {
  const Grid g = makeGrid(rows, 30u + unsigned(rows));
  Ours ours(g);
  auto t0 = Clock::now();
  ours.doc->ReformatAllForced(true);
  const double oursWhole = ms(Clock::now() - t0);
  std::vector<const kc::TRVDrawLineInfo *> firstLines;
  for (int r = 0; r < rows; ++r) firstLines.push_back(ours.table->Cells(r, 0)->DrawLines.Items(0));
  ours.host.SetClientSize(700, 400);
  t0 = Clock::now();
  ours.doc->ReformatAll(false, false, true, 0, nullptr, false, false);
  const double oursChange = ms(Clock::now() - t0);
  int rewrapped = 0;
  for (int r = 0; r < rows; ++r)
    if (ours.table->Cells(r, 0)->DrawLines.Items(0) != firstLines[size_t(r)]) ++rewrapped;

  Theirs theirs(g);
  t0 = Clock::now();
  theirs.doc.setTextWidth(600);
  (void)theirs.doc.documentLayout()->documentSize();
  const double qtWhole = ms(Clock::now() - t0);
  t0 = Clock::now();
  theirs.doc.setTextWidth(700);
  (void)theirs.doc.documentLayout()->documentSize();
  const double qtChange = ms(Clock::now() - t0);

  std::printf("table %d x %d, whole layout at 600 px: %.1f ms; QTextDocument %.1f ms; ratio %.2f (goal <= 1)\n", rows,
              Cols, oursWhole, qtWhole, oursWhole / qtWhole);
  std::printf("table %d x %d, 600 -> 700 px: %.1f ms; QTextDocument %.1f ms; ratio %.2f (goal <= 1)\n", rows, Cols,
              oursChange, qtChange, oursChange / qtChange);
  std::printf("table %d x %d, cells of the %d px column wrapped again at 700 px: %d of %d (goal 0)\n", rows, Cols,
              FixedColumn, rewrapped, rows);
}

} // namespace

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  run(200);
  run(2000);
  return 0;
}
