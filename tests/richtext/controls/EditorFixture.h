#pragma once
// An editor widget measured on a fixed-pitch canvas (every character 10 px
// wide, lines 10 px high, no margins), shown and focused under the
// offscreen platform so that QTest key sequences reach it; beeps counted,
// and the document read back as text and RVF.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "EditFixture.h"
#include "platform/Beep.h"
#include "platform/RecordingCanvas.h"
#include "richtext/controls/RVEditScript.h"
#include "richtext/controls/RichVistaEdit.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVUni.h"

namespace kctest {

class FixedPitchEditor : public kc::TRichVistaEdit {
public:
  explicit FixedPitchEditor(kc::TRVStyle &Sheet, int Width = 300, int Height = 100) {
    kc::RecordingCanvas::Metrics m;
    m.charWidth = 10;
    m.ascent = 8;
    m.descent = 2;
    FCanvas = std::make_unique<kc::RecordingCanvas>(m);
    LeftMargin = RightMargin = TopMargin = BottomMargin = 0;
    Style = &Sheet;
    resize(Width, Height);
  }
  kc::TCanvas *FormatCanvas() override { return FCanvas.get(); }
  using kc::TCustomRichVistaEdit::KeyDown;

private:
  std::unique_ptr<kc::RecordingCanvas> FCanvas;
};

struct Editor {
  explicit Editor(int Width = 300, int Height = 100) {
    ed = std::make_unique<FixedPitchEditor>(sheet, Width, Height);
    kc::SetBeepSink([this] { ++beeps; });
  }
  ~Editor() {
    ed.reset();
    kc::SetBeepSink(nullptr);
  }
  kc::TRVStyle sheet;
  std::unique_ptr<FixedPitchEditor> ed;
  int beeps = 0;

  kc::TRVEditRVData &doc() const { return *ed->EditData(); }
  // Text items of style StyleNo (ANSI text, made UTF-16 for a Unicode
  // style): the first starts a paragraph of ParaNo, the others continue it.
  void para(const std::vector<std::string> &Texts, int ParaNo = 0, int StyleNo = 0) {
    bool first = true;
    for (const auto &t : Texts) {
      auto item = kc::RichVistaTextItemClass(&doc());
      item->StyleNo = StyleNo;
      item->ParaNo = ParaNo;
      if (!first) item->SetContinuePara(true);
      std::string text = t;
      if (sheet.TextStyles().Items(StyleNo)->Unicode) {
        item->ItemOptions.Include(kc::rvioUnicode);
        text = kc::AnsiToUnicode(doc().GetStyleCodePage(StyleNo), t);
      }
      doc().Items.Add(text, std::move(item));
      first = false;
    }
  }
  // A numbered list paragraph: a marker of list 0 and one text item.
  void listPara(const std::string &Text) {
    if (sheet.ListStyles().Count() == 0) {
      kc::TRVListLevel *level = sheet.ListStyles().Add()->Levels.Add();
      level->ListType = kc::rvlstDecimal;
      level->FormatString = "%0:s.";
      level->LeftIndent = 20;
    }
    auto marker = std::make_unique<kc::TRVMarkerItemInfo>(&doc(), 0, 0, 1, false);
    doc().Items.Add("", std::move(marker));
    doc().AddMarkerToList(doc().GetItemCount() - 1);
    auto item = kc::RichVistaTextItemClass(&doc());
    item->SetContinuePara(true);
    doc().Items.Add(Text, std::move(item));
  }
  // Formats, shows and focuses the editor; the caret at (ItemNo, Offs).
  void open(int ItemNo = 0, int Offs = 1) {
    ed->ReformatDocument();
    ed->show();
    ed->activateWindow();
    ed->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    if (doc().GetItemCount() > 0) caret(ItemNo, Offs);
  }
  void caret(int ItemNo, int Offs) { doc().SetCaretItemPos(ItemNo, Offs); }
  void select(int A, int AO, int B, int BO) {
    doc().SetSelectionFromItems(A, AO, B, BO);
    doc().SetCaretItemPos(B, BO);
    doc().SetSelectionFromItems(A, AO, B, BO);
  }
  std::string text() const { return TextOf(doc()); }
  std::string caretPos() const { return CaretOf(doc()); }
  // "a-ao b-bo" of the ordered selection, "" without one.
  std::string selection() const {
    if (!doc().SelectionExists()) return "";
    int a, ao, b, bo;
    ed->GetSelectionBounds(a, ao, b, bo, true);
    return std::to_string(a) + "-" + std::to_string(ao) + " " + std::to_string(b) + "-" + std::to_string(bo);
  }
  std::string rvf() const {
    std::string s;
    kc::SaveRvfToStream(doc(), s, false);
    return s;
  }
};

// Drags the selection of From and drops it on To at a point; Tamper may
// change the dragged data first. Returns what the drag reported.
inline Qt::DropAction DragSelection(kc::TCustomRichVistaEdit &From, kc::TCustomRichVistaEdit &To, int X, int Y,
                                    bool Move, const std::function<void(QMimeData &)> &Tamper = nullptr) {
  Qt::DropAction reported = Qt::IgnoreAction;
  From.DragRunner = [&](QDrag &Drag) {
    QMimeData &data = *Drag.mimeData();
    if (Tamper) Tamper(data);
    if (!To.OleDragEnter(data)) return reported = Qt::IgnoreAction;
    To.OleDragOver(X, Y);
    const int effect = To.OleDrop(data, Move);
    return reported = effect == 2 ? Qt::MoveAction : effect == 1 ? Qt::CopyAction : Qt::IgnoreAction;
  };
  From.StartDragSelection();
  From.DragRunner = nullptr;
  return reported;
}

} // namespace kctest
