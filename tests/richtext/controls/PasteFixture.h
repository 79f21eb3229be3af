#pragma once
// An editor for the paste and drop tests: a fixed-pitch canvas (every
// character 10 px wide, lines 10 px high, no margins), text style 6 a
// Unicode one, beeps counted, and the document read back as RVF and as a
// short picture of its items.
#include <QGuiApplication>
#include <QClipboard>
#include <QMimeData>
#include <memory>
#include <string>
#include <vector>

#include "EditorFixture.h"
#include "platform/Beep.h"
#include "platform/CodePage.h"
#include "platform/RecordingCanvas.h"
#include "richtext/controls/RichVistaEdit.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVItem.h"

namespace kctest {

// The fixed-pitch editor of the key tests.
using PasteEditor = FixedPitchEditor;

struct PasteDoc {
  static constexpr int kUnicodeStyle = 6;
  explicit PasteDoc(const std::vector<std::string> &Paragraphs = {"abc def"}, int Width = 300, int Height = 100) {
    sheet.TextStyles().Add()->Unicode = true;
    ed = std::make_unique<PasteEditor>(sheet, Width, Height);
    kc::SetBeepSink([this] { ++beeps; });
    for (const std::string &p : Paragraphs) {
      auto item = kc::RichVistaTextItemClass(&doc());
      item->StyleNo = 0;
      item->ParaNo = 0;
      doc().Items.Add(p, std::move(item));
    }
    ed->ReformatDocument();
    if (doc().GetItemCount() > 0) caret(0, 2);
  }
  ~PasteDoc() {
    ed.reset();
    kc::SetBeepSink(nullptr);
  }
  kc::TRVStyle sheet;
  std::unique_ptr<PasteEditor> ed;
  int beeps = 0;

  kc::TRVEditRVData &doc() const { return *ed->EditData(); }
  void caret(int ItemNo, int Offs) {
    doc().SetSelectionBounds(ItemNo, Offs, ItemNo, Offs);
    doc().SetCaretItemPos(ItemNo, Offs);
  }
  void select(int A, int AO, int B, int BO) {
    doc().SetSelectionBounds(A, AO, B, BO);
    doc().SetCaretItemPos(B, BO);
    doc().SetSelectionBounds(A, AO, B, BO);
  }
  std::string rvf() const {
    std::string s;
    kc::SaveRvfToStream(doc(), s, false);
    return s;
  }
  // The text alone, "*" before bold runs: what went in, wherever the
  // insertion put its paragraph breaks.
  std::string plain() const {
    std::string s = items(), out;
    for (size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '|') continue;
      if (s.compare(i, 3, " / ") == 0) {
        i += 2;
        continue;
      }
      out += s[i];
    }
    return out;
  }
  // Items as "text" (UTF-8), "<pic>" for pictures, "|" between items of a
  // paragraph and " / " before a new paragraph; "*" marks a bold style.
  std::string items() const {
    std::string out;
    for (int i = 0; i < doc().GetItemCount(); ++i) {
      if (i > 0) out += doc().IsParaStart(i) ? " / " : "|";
      const int st = doc().GetItemStyle(i);
      if (st < 0) {
        out += st == kc::rvsPicture ? "<pic>" : "<item>";
        continue;
      }
      const kc::TFontInfo *f = sheet.TextStyles().GetTextStyleSafe(st);
      if (f && (f->Style & kc::fsBold)) out += "*";
      const std::string raw = doc().GetItemTextRaw(i);
      if (doc().GetItem(i)->IsUnicode()) {
        std::u16string w(raw.size() / 2, u'\0');
        for (size_t k = 0; k < w.size(); ++k) w[k] = char16_t(uint8_t(raw[2 * k]) | uint8_t(raw[2 * k + 1]) << 8);
        out += kc::utf16ToUtf8(w);
      } else {
        out += kc::ansiToUtf8(raw, doc().GetStyleCodePage(st));
      }
    }
    return out;
  }
};

// Puts a content on the clipboard (the clipboard takes it).
inline void OfferOnClipboard(QMimeData *Data) { QGuiApplication::clipboard()->setMimeData(Data); }

// RVF of one text run of style StyleNo copied from the middle of a
// paragraph, as a copy puts it on the clipboard: 4 bytes of length, then
// the RVF.
inline std::string RvfBlockOf(const std::string &Text, int StyleNo) {
  kc::TRVStyle sheet;
  PasteEditor source(sheet);
  for (int i = 0; i < 3; ++i) {
    auto item = kc::RichVistaTextItemClass(source.RVData());
    item->StyleNo = i == 1 ? StyleNo : 0;
    item->ParaNo = 0;
    if (i > 0) item->SetContinuePara(true);
    source.RVData()->Items.Add(i == 1 ? Text : std::string("<>").substr(i / 2, 1), std::move(item));
  }
  source.ReformatDocument();
  source.SetSelectionBounds(1, 1, 1, int(Text.size()) + 1);
  kc::TCustomRVFormattedData::TRVCopyData data;
  source.RVData()->GetCopyData(data, kc::TRVOptions{kc::rvoAutoCopyRVF}, kc::clNone);
  return data.RVF;
}

} // namespace kctest
