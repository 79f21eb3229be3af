#pragma once
// The two documents the table benchmarks compare: a table of Rows x Cols
// cells in an editor document 600 pixels wide, and the same cells in a
// QTextTable of a QTextDocument at the same width, both laid out.
#include <QAbstractTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <functional>
#include <memory>
#include <string>

#include "platform/QtCanvas.h"
#include "richtext/controls/RVERVData.h"
#include "richtext/tables/RVTable.h"

namespace bench {

using CellText = std::function<std::string(int Row, int Col)>;

struct EditorTable {
  kc::QtCanvas canvas;
  kc::TRVStyle style;
  kc::TRVFixedHost host{&canvas, 600, 400};
  std::unique_ptr<kc::TRVEditRVData> doc;
  kc::TRVTableItemInfo *table = nullptr;
  EditorTable(int Rows, int Cols, const CellText &Text) {
    host.Style = &style;
    doc = std::make_unique<kc::TRVEditRVData>(&host);
    auto t = std::make_unique<kc::TRVTableItemInfo>(Rows, Cols, doc.get());
    t->CellBorderWidth = 1;
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c) {
        t->Cells(r, c)->Items.Clear();
        t->Cells(r, c)->AddText(Text(r, c), 0, 0);
      }
    table = t.get();
    doc->AddItem(std::string(), std::move(t));
    doc->ReformatAllForced(true);
  }
};

struct QtTable {
  QTextDocument doc;
  QTextTable *table = nullptr;
  QtTable(int Rows, int Cols, const CellText &Text) {
    QTextCursor cur(&doc);
    QTextTableFormat f;
    f.setCellPadding(1);
    f.setCellSpacing(2);
    f.setBorder(1);
    f.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    table = cur.insertTable(Rows, Cols, f);
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c)
        table->cellAt(r, c).firstCursorPosition().insertText(QString::fromStdString(Text(r, c)));
    doc.setTextWidth(600);
    Layout();
    doc.clearUndoRedoStacks();
  }
  void Layout() { (void)doc.documentLayout()->documentSize(); }
};

} // namespace bench
