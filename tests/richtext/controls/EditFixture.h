#pragma once
// An editor document on a fixed-pitch recording canvas for the editing
// tests: every character 10 pixels wide unless set, no margins, beeps
// counted, and the document's RVF and draw lines at hand for comparisons.
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Beep.h"
#include "platform/RecordingCanvas.h"
#include "richtext/controls/RVERVData.h"
#include "richtext/controls/RVEditScript.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVMarker.h"

namespace kctest {

// The paragraphs' text joined by "|", the way a reader sees the document.
inline std::string TextOf(kc::TRVEditRVData &Doc) {
  std::string s = kc::TRVEditScript(Doc).Dump();
  s = s.substr(0, s.rfind("caret"));
  if (!s.empty()) s.pop_back();
  for (char &c : s)
    if (c == '\n') c = '|';
  return s;
}

// "item offset" of the caret.
inline std::string CaretOf(kc::TRVEditRVData &Doc) {
  const std::string s = kc::TRVEditScript(Doc).Dump();
  std::string c = s.substr(s.rfind("caret") + 6);
  if (!c.empty() && c.back() == '\n') c.pop_back();
  return c;
}

struct EditDoc {
  explicit EditDoc(int Width = 200, int W = 10, int A = 8) {
    kc::RecordingCanvas::Metrics m;
    m.charWidth = W;
    m.ascent = A;
    m.descent = 2;
    canvas = std::make_unique<kc::RecordingCanvas>(m);
    host = std::make_unique<kc::TRVFixedHost>(canvas.get(), Width, 100);
    host->LeftMargin = host->RightMargin = host->TopMargin = host->BottomMargin = 0;
    host->Style = &style;
    doc = std::make_unique<kc::TRVEditRVData>(host.get());
    kc::SetBeepSink([this] { ++beeps; });
  }
  ~EditDoc() { kc::SetBeepSink(nullptr); }

  kc::TRVStyle style;
  std::unique_ptr<kc::RecordingCanvas> canvas;
  std::unique_ptr<kc::TRVFixedHost> host;
  std::unique_ptr<kc::TRVEditRVData> doc;
  int beeps = 0;

  // Text items of style StyleNo: the first starts a paragraph of ParaNo,
  // the others continue it.
  void para(const std::vector<std::string> &Texts, int ParaNo = 0, int StyleNo = 0) {
    bool first = true;
    for (const auto &t : Texts) {
      auto item = kc::RichVistaTextItemClass(doc.get());
      item->StyleNo = StyleNo;
      item->ParaNo = ParaNo;
      if (!first) item->SetContinuePara(true);
      doc->Items.Add(t, std::move(item));
      first = false;
    }
  }
  // A list paragraph: a marker of list 0 and one text item.
  void listPara(const std::string &Text, int ParaNo = 0) {
    if (style.ListStyles().Count() == 0) {
      kc::TRVListLevel *level = style.ListStyles().Add()->Levels.Add();
      level->ListType = kc::rvlstBullet;
      level->FormatString = "*";
      level->LeftIndent = 12;
    }
    auto marker = std::make_unique<kc::TRVMarkerItemInfo>(doc.get(), 0, 0, 1, false);
    marker->ParaNo = ParaNo;
    doc->Items.Add("", std::move(marker));
    doc->AddMarkerToList(doc->GetItemCount() - 1);
    auto item = kc::RichVistaTextItemClass(doc.get());
    item->ParaNo = ParaNo;
    item->SetContinuePara(true);
    doc->Items.Add(Text, std::move(item));
  }
  void format() { doc->ReformatAllForced(true); }
  void caret(int ItemNo, int Offs) { doc->SetCaretItemPos(ItemNo, Offs); }
  void select(int A, int AO, int B, int BO) {
    doc->SetSelectionFromItems(A, AO, B, BO);
    doc->SetCaretItemPos(B, BO);
    doc->SetSelectionFromItems(A, AO, B, BO);
  }

  std::string run(const std::string &Commands) {
    kc::TRVEditScript script(*doc);
    std::string out, error, line;
    std::istringstream in(Commands);
    while (std::getline(in, line))
      if (!script.Run(line, out, error)) return "error: " + error;
    return out;
  }
  std::string text() const { return TextOf(*doc); }
  std::string caretPos() const { return CaretOf(*doc); }
  std::string rvf() const {
    std::string s;
    kc::SaveRvfToStream(*doc, s, false);
    return s;
  }
  std::string lines() const {
    std::ostringstream s;
    for (int i = 0; i < doc->DrawLines.Count(); ++i) {
      const kc::TRVDrawLineInfo *d = doc->DrawLines.Items(i);
      s << d->ItemNo << ' ' << d->Offs << ' ' << d->Length << ' ' << d->Left << ' ' << d->Top << ' ' << d->Width << ' '
        << d->Height << ' ' << (d->FromNewLine ? 1 : 0) << '\n';
    }
    s << "height " << doc->DocumentHeight << " width " << doc->DocumentWidth << '\n';
    return s.str();
  }
  // The draw lines now, and after a whole pass of the same document.
  std::pair<std::string, std::string> partialAndWhole() {
    const std::string partial = lines();
    format();
    return {partial, lines()};
  }
};

// An editor document with another one open inside it, as a table has the
// editor of one of its cells open.
class TNestingEditData : public kc::TRVEditRVData {
public:
  using kc::TRVEditRVData::TRVEditRVData;
  kc::TRVEditRVData *Nested = nullptr;
  int NestedOwner = -1;
  kc::TRVEditRVData *GetNestedEditData(int &ItemNo) const override {
    ItemNo = NestedOwner;
    return Nested;
  }
};

} // namespace kctest
