#pragma once
// A document on a fixed-pitch recording canvas (every character W pixels,
// lines A + D high, no margins) and tables built from rows of cell texts.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/RecordingCanvas.h"
#include "richtext/document/CRVFData.h"
#include "richtext/tables/RVTable.h"
#include "richtext/tables/RVTableDump.h"

namespace kctest {

struct TableDoc {
  explicit TableDoc(int Width, int W = 10, int A = 8, int D = 2) {
    kc::RecordingCanvas::Metrics m;
    m.charWidth = W;
    m.ascent = A;
    m.descent = D;
    canvas = std::make_unique<kc::RecordingCanvas>(m);
    host = std::make_unique<kc::TRVFixedHost>(canvas.get(), Width, 1000);
    host->LeftMargin = host->RightMargin = host->TopMargin = host->BottomMargin = 0;
    host->Style = &style;
    doc = std::make_unique<kc::TRichVistaRVData>(host.get());
    // A paragraph style that never wraps: its text is as narrow as it gets.
    style.ParaStyles().Add()->Options.Include(kc::rvpaoNoWrap);
    NoWrapPara = style.ParaStyles().Count() - 1;
  }
  static inline int NoWrapPara = 1;

  kc::TRVStyle style;
  std::unique_ptr<kc::RecordingCanvas> canvas;
  std::unique_ptr<kc::TRVFixedHost> host;
  std::unique_ptr<kc::TRichVistaRVData> doc;

  // A table whose cell (r, c) holds Texts[r][c] as one paragraph (each
  // "\n" starts another; a text starting with "=" is one unwrapped
  // paragraph of the rest); not yet in a document.
  static std::unique_ptr<kc::TRVTableItemInfo> make(kc::TCustomRVData *Doc,
                                                    const std::vector<std::vector<std::string>> &Texts) {
    const int rows = int(Texts.size()), cols = rows ? int(Texts[0].size()) : 0;
    auto t = std::make_unique<kc::TRVTableItemInfo>(rows, cols, Doc);
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols && c < int(Texts[size_t(r)].size()); ++c)
        fill(*t->Cells(r, c), Texts[size_t(r)][size_t(c)]);
    return t;
  }
  static void fill(kc::TRVTableCellData &Cell, const std::string &Text) {
    Cell.Items.Clear();
    if (!Text.empty() && Text[0] == '=') {
      Cell.AddText(Text.substr(1), 0, NoWrapPara);
      Cell.InvalidateMinWidth();
      return;
    }
    size_t from = 0;
    while (true) {
      const size_t nl = Text.find('\n', from);
      Cell.AddText(Text.substr(from, nl == std::string::npos ? std::string::npos : nl - from), 0, 0);
      if (nl == std::string::npos) break;
      from = nl + 1;
    }
    Cell.InvalidateMinWidth();
  }
  // Adds the table to the document; returns it.
  kc::TRVTableItemInfo *add(std::unique_ptr<kc::TRVTableItemInfo> Table) {
    kc::TRVTableItemInfo *t = Table.get();
    t->ParaNo = 0;
    doc->AddItem(std::string(), std::move(Table));
    return t;
  }
  // A paragraph of text items in text style 0.
  void para(const std::vector<std::string> &Texts) {
    bool first = true;
    for (const auto &t : Texts) {
      doc->AddText(t, 0, first ? 0 : -1);
      first = false;
    }
  }
  void format() { doc->ReformatAllForced(true); }
  std::string dump() const { return kc::RVDumpDrawLines(*doc); }
};

inline std::vector<int> list(const kc::TRVIntegerList &L) {
  std::vector<int> v;
  for (int i = 0; i < L.Count(); ++i) v.push_back(L[i]);
  return v;
}

} // namespace kctest
