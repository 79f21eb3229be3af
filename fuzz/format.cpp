// A document built from bytes (texts, also from all of Unicode, styles,
// markers, breaks, widths) is formatted, edited and reformatted in part,
// painted and hit-tested. The draw lines must keep their invariants, the
// partial pass must give the lines of a whole pass, a point inside a piece
// must land between two characters, and nothing may crash or hang.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "FuzzDocument.h"
#include "platform/RecordingCanvas.h"
#include "richtext/document/CRVFData.h"
#include "richtext/document/RVMarker.h"

namespace {

using kcfuzz::Bytes;

std::string dump(const kc::TCustomRVFormattedData &d) { return kcfuzz::DrawLinesText(d); }

void check(const kc::TCustomRVFormattedData &d) {
  const std::string fault = d.CheckDrawLines();
  if (!fault.empty()) {
    std::fprintf(stderr, "%s\n%s\n", fault.c_str(), dump(d).c_str());
    std::abort();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Bytes in{data, size};
  kc::RecordingCanvas::Metrics m;
  m.charWidth = 1 + in.upTo(12);
  m.ascent = in.upTo(20);
  m.descent = in.upTo(8);
  kc::RecordingCanvas canvas(m);
  canvas.widths[u'w'] = 3 * m.charWidth;
  kc::TRVStyle style;
  kc::TRVFixedHost host(&canvas, in.upTo(400), 300);
  host.Style = &style;
  host.LeftMargin = in.upTo(10);
  host.RightMargin = in.upTo(10);
  if (in.next() & 1) host.Options.Include(kc::rvoClientTextWidth);
  if (in.next() & 1) host.Flags &= ~kc::rvflTrim;
  host.MaxTextWidth = in.upTo(3) == 0 ? in.upTo(300) : 0;
  for (int i = 0; i < 3; ++i) {
    kc::TParaInfo *p = style.ParaStyles().Add();
    p->Alignment = static_cast<kc::TRVAlignment>(in.upTo(4));
    p->LeftIndent = in.upTo(30);
    p->RightIndent = in.upTo(30);
    p->FirstIndent = in.upTo(40) - 10;
    p->SpaceBefore = in.upTo(10);
    p->SpaceAfter = in.upTo(10);
    p->LineSpacingType = static_cast<kc::TRVLineSpacingType>(in.upTo(2));
    p->LineSpacing = in.upTo(2) ? 100 : 40 + in.upTo(200);
    if (in.upTo(8) == 0) p->Options.Include(kc::rvpaoNoWrap);
  }
  kc::TRVListInfo *list = style.ListStyles().Add();
  kc::TRVListLevel *level = list->Levels.Add();
  level->ListType = kc::rvlstBullet;
  level->FormatString = "*";
  level->LeftIndent = in.upTo(40);
  style.TextStyles().Add()->Unicode = true;
  const int unicodeStyle = style.TextStyles().Count() - 1;
  kc::TRichVistaRVData doc(&host);
  static const char kChars[] = "ab wi  xyz.-";
  const int items = 1 + in.upTo(40);
  for (int i = 0; i < items; ++i) {
    const int kind = in.upTo(10);
    if (kind == 0) {
      doc.AddBreakTag(0);
    } else if (kind == 1) {
      doc.AddItem("", std::make_unique<kc::TRVMarkerItemInfo>(&doc, 0, 0, 1, false));
    } else {
      std::string t;
      auto item = kc::RichVistaTextItemClass(&doc);
      if (kind == 2) {
        item->StyleNo = unicodeStyle;
        item->ItemOptions.Include(kc::rvioUnicode);
        t = kc::WideStringToRaw(kcfuzz::UnicodeText(in, 24));
      } else {
        const int len = in.upTo(24);
        for (int k = 0; k < len; ++k) t += kChars[in.upTo(int(sizeof kChars) - 1)];
      }
      const int how = in.upTo(4);
      item->ParaNo = how == 0 ? in.upTo(4) : -1;
      doc.AddItem(t, std::move(item));
      if (how == 1 && doc.GetItemCount() > 1 && !doc.GetItem(doc.GetItemCount() - 1)->IsParaStart())
        doc.GetItem(doc.GetItemCount() - 1)->SetLineBreakBefore(true);
    }
  }
  doc.ReformatAllForced(false);
  check(doc);
  // Edits: typing into an item, then the paragraph reformatted alone.
  for (int e = 0; e < 4 && in.n > 0; ++e) {
    const int k = in.upTo(doc.GetItemCount());
    if (!doc.IsTextItem(k)) continue;
    const int before = doc.CalcDocumentMinWidth(nullptr, canvas);
    std::string t = doc.GetItemTextRaw(k);
    if (doc.GetItem(k)->IsUnicode()) {
      // Inserted between any two units: a pair may be split, as damaged
      // text arrives.
      const std::string piece = kc::WideStringToRaw(kcfuzz::UnicodeText(in, 4));
      t.insert(2 * static_cast<size_t>(in.upTo(int(t.size() / 2) + 1)), piece);
    } else {
      t.insert(static_cast<size_t>(in.upTo(int(t.size()) + 1)), 1, kChars[in.upTo(int(sizeof kChars) - 1)]);
    }
    int first = doc.FirstDrawLineOfItem(k), last = first;
    while (last + 1 < doc.DrawLines.Count() && doc.DrawLines.Items(last + 1)->ItemNo == k) ++last;
    doc.SetItemTextRaw(k, t);
    if (doc.CalcDocumentMinWidth(nullptr, canvas) != before) {
      doc.ReformatAllForced(false);
      check(doc);
      continue;
    }
    doc.FormatParagraphs(first, last, 0);
    check(doc);
    const std::string partial = dump(doc);
    doc.ReformatAllForced(false);
    if (partial != dump(doc)) {
      std::fprintf(stderr, "partial pass:\n%s\nwhole pass:\n%s\n", partial.c_str(), dump(doc).c_str());
      std::abort();
    }
  }
  doc.SelectWholeDocument();
  host.Options.Include(kc::rvoShowSpecialCharacters);
  doc.PaintBackground(kc::TRect{0, 0, 400, 300}, canvas);
  doc.PaintVisibleLines(kc::TRect{0, 0, 400, 300}, canvas);
  int line = 0, offs = 0;
  doc.HitTestDrawLine(in.upTo(400), in.upTo(300), in.next() & 1, line, offs);
  // Inside a piece; where a line breaks is the formatting's to choose.
  if (line >= 0 && line < doc.DrawLines.Count() && offs > doc.DrawLineStartOffset(line) &&
      offs < doc.DrawLineEndOffset(line)) {
    int item = -1, itemOffs = -1;
    doc.DrawPosToItemPos(line, offs, item, itemOffs);
    if (item >= 0 && doc.IsTextItem(item) && doc.GetItem(item)->IsUnicode() &&
        !kcfuzz::AtClusterBoundary(doc.GetItemTextRaw(item), itemOffs)) {
      std::fprintf(stderr, "a point lands inside a character: item %d offset %d\n%s\n", item, itemOffs,
                   dump(doc).c_str());
      std::abort();
    }
  }
  return 0;
}
