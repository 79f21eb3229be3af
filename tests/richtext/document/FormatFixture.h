#pragma once
// A document on a fixed-pitch recording canvas for formatting tests: every
// character W pixels wide, ascent A, descent D, no margins unless a test
// sets them.
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/RecordingCanvas.h"
#include "richtext/document/CRVFData.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVUni.h"

namespace kctest {

struct FormatDoc {
  explicit FormatDoc(int Width, int W = 10, int A = 8, int D = 2) {
    kc::RecordingCanvas::Metrics m;
    m.charWidth = W;
    m.ascent = A;
    m.descent = D;
    canvas = std::make_unique<kc::RecordingCanvas>(m);
    host = std::make_unique<kc::TRVFixedHost>(canvas.get(), Width, 1000);
    host->LeftMargin = host->RightMargin = host->TopMargin = host->BottomMargin = 0;
    host->Style = &style;
    doc = std::make_unique<kc::TRichVistaRVData>(host.get());
  }

  kc::TRVStyle style;
  std::unique_ptr<kc::RecordingCanvas> canvas;
  std::unique_ptr<kc::TRVFixedHost> host;
  std::unique_ptr<kc::TRichVistaRVData> doc;

  // A paragraph style made from the default one; returns its number.
  kc::TParaInfo &newPara(int &No) {
    kc::TParaInfo *p = style.ParaStyles().Add();
    No = style.ParaStyles().Count() - 1;
    return *p;
  }
  // Text items: the first starts a paragraph of style ParaNo, the others
  // continue it.
  void para(const std::vector<std::string> &Texts, int ParaNo = 0, int StyleNo = 0) {
    bool first = true;
    for (const auto &t : Texts) {
      auto item = kc::RichVistaTextItemClass(doc.get());
      item->StyleNo = StyleNo;
      item->ParaNo = first ? ParaNo : -1;
      doc->AddItem(t, std::move(item));
      first = false;
    }
  }
  // A text item that starts a new line inside the current paragraph.
  void lineBreak(const std::string &Text) {
    auto item = kc::RichVistaTextItemClass(doc.get());
    item->ParaNo = -1;
    doc->AddItem(Text, std::move(item));
    doc->GetItem(doc->GetItemCount() - 1)->SetLineBreakBefore(true);
  }
  void format() { doc->ReformatAllForced(true); }

  // "item offs len left top width height newline" per draw line, then
  // "height H": the output of rvtool format.
  std::string dump() const {
    std::ostringstream s;
    for (int i = 0; i < doc->DrawLines.Count(); ++i) {
      const kc::TRVDrawLineInfo *d = doc->DrawLines.Items(i);
      s << d->ItemNo << ' ' << d->Offs << ' ' << d->Length << ' ' << d->Left << ' ' << d->Top << ' ' << d->Width << ' '
        << d->Height << ' ' << (d->FromNewLine ? 1 : 0) << '\n';
    }
    s << "height " << doc->DocumentHeight << '\n';
    return s.str();
  }
  // "line left top width height cursor link" per hyperlink area, in list
  // order; links are numbered by first appearance, so that two lists
  // agree when they group the same pieces into the same links.
  std::string jumps() const {
    std::ostringstream s;
    std::vector<int> ids;
    for (const auto &j : doc->Jumps) {
      size_t link = 0;
      while (link < ids.size() && ids[link] != j->Id) ++link;
      if (link == ids.size()) ids.push_back(j->Id);
      s << j->DrawLineNo << ' ' << j->Left << ' ' << j->Top << ' ' << j->Width << ' ' << j->Height << ' '
        << int(j->Cursor) << ' ' << link << '\n';
    }
    return s.str();
  }
};

} // namespace kctest
