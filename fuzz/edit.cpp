// Bytes become a document (texts, styles, list markers, breaks, a width)
// and a script of edits on it: typing (text from all of Unicode too),
// Enter, Backspace, Delete, moves, selections, paragraph styles, item
// insertion, undo and redo, and tables: typing in cells, grid operations,
// merges, cleared cells, attribute changes and styles applied to cells on
// random grids. After every step the draw lines must be those of a whole
// pass, every table's grid must hold together, and the caret must stand on
// a stop of its line, between two characters (grapheme clusters), never on
// a list marker; undoing everything must give back the starting document's
// RVF, and redoing everything the end's.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "FuzzDocument.h"
#include "platform/RecordingCanvas.h"
#include "richtext/controls/RVEditScript.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVUni.h"
#include "richtext/tables/RVTable.h"

namespace {

using kcfuzz::Bytes;

std::string lines(const kc::TCustomRVFormattedData &d) {
  return kcfuzz::DrawLinesText(d) + " width " + std::to_string(d.DocumentWidth);
}

std::string rvf(kc::TCustomRVData &d) {
  std::string s;
  kc::SaveRvfToStream(d, s, false);
  return s;
}

[[noreturn]] void fail(const char *what, const std::string &a, const std::string &b) {
  std::fprintf(stderr, "%s\n--- got\n%s\n--- wanted\n%s\n", what, a.c_str(), b.c_str());
  std::abort();
}

void checkLines(kc::TRVEditRVData &d) {
  const std::string fault = d.CheckDrawLines();
  if (!fault.empty()) fail("draw lines broken", fault, lines(d));
  const std::string partial = lines(d);
  d.ReformatAllForced(true);
  if (partial != lines(d)) fail("partial reformat differs from a whole pass", partial, lines(d));
}

// Whatever the moves did, the caret stands on a stop of its line and never
// on a list marker.
void checkCaret(const kc::TRVEditRVData &d) {
  if (d.CaretDrawItemNo < 0) return;
  if (d.CaretOffs < 0 || d.CaretOffs >= int(d.CharEnds.size()))
    fail("caret stop outside its line", std::to_string(d.CaretOffs), std::to_string(d.CharEnds.size()));
  const kc::TRVCharPos &c = d.CharEnds[size_t(d.CaretOffs)];
  if (c.DrawItemNo < 0 || c.DrawItemNo >= d.DrawLines.Count())
    fail("caret stop on no draw line", std::to_string(c.DrawItemNo), lines(d));
  if (d.GetItemStyle(d.DrawLines.Items(c.DrawItemNo)->ItemNo) == kc::rvsListMarker)
    fail("caret on a list marker", std::to_string(c.DrawItemNo), lines(d));
  // Inside a piece; where a line breaks is the formatting's to choose.
  int item = -1, offs = -1;
  d.GetCaretItemPos(item, offs);
  if (c.Offset > d.DrawLineStartOffset(c.DrawItemNo) && c.Offset < d.DrawLineEndOffset(c.DrawItemNo) && item >= 0 &&
      d.IsTextItem(item) && d.GetItem(item)->IsUnicode() && !kcfuzz::AtClusterBoundary(d.GetItemTextRaw(item), offs))
    fail("caret inside a character", std::to_string(item) + " " + std::to_string(offs), lines(d));
}

void checkTables(const kc::TRVEditRVData &d) {
  for (int i = 0; i < d.GetItemCount(); ++i)
    if (auto *t = dynamic_cast<const kc::TRVTableItemInfo *>(d.GetItem(i))) {
      std::string why;
      if (!t->Rows().Check(&why)) fail("table grid broken", why, std::to_string(i));
    }
}

kc::TRVTableItemInfo *firstTable(kc::TRVEditRVData &d) {
  for (int i = 0; i < d.GetItemCount(); ++i)
    if (auto *t = dynamic_cast<kc::TRVTableItemInfo *>(d.GetItem(i))) return t;
  return nullptr;
}

// A table of up to 4 x 4 cells with words in some and a few merges.
std::unique_ptr<kc::TRVTableItemInfo> randomTable(Bytes &in, kc::TCustomRVData *Doc) {
  const int rows = 1 + in.upTo(4), cols = 1 + in.upTo(4);
  auto t = std::make_unique<kc::TRVTableItemInfo>(rows, cols, Doc);
  static const char *words[] = {"", "ab", "w w", "abcdefgh"};
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      t->Cells(r, c)->SetItemTextRaw(0, words[in.upTo(4)]);
      if (in.upTo(4) == 0) t->Cells(r, c)->BestWidth = in.upTo(120) - 40;
    }
  for (int k = 0, n = in.upTo(3); k < n; ++k)
    t->Rows().ApplySpan(in.upTo(rows), in.upTo(cols), 1 + in.upTo(3), 1 + in.upTo(3));
  return t;
}

// One random operation on the document's first table.
void tableStep(Bytes &in, kc::TRVEditRVData &d, int ParaCount) {
  kc::TRVTableItemInfo *t = firstTable(d);
  if (!t) return;
  const int rows = t->RowCount(), cols = t->ColCount();
  auto idx = [&](int n) { return in.upTo(n + 2) - 1; }; // sometimes out of range
  try {
    switch (in.upTo(12)) {
    case 0: t->InsertRows(idx(rows), in.upTo(3), idx(rows - 1), false); break;
    case 1: t->InsertCols(idx(cols), in.upTo(3), idx(cols - 1), false); break;
    case 2: t->DeleteRows(idx(rows), in.upTo(4), in.upTo(2) == 0); break;
    case 3: t->DeleteCols(idx(cols), in.upTo(4), in.upTo(2) == 0); break;
    case 4: t->MergeCells(idx(rows), idx(cols), in.upTo(4), in.upTo(4), in.upTo(2) == 0); break;
    case 5:
      t->Select(in.upTo(rows), in.upTo(cols), in.upTo(cols) - in.upTo(cols), in.upTo(rows) - in.upTo(rows));
      switch (in.upTo(3)) {
      case 0: t->DeleteSelectedCellsContents(); break;
      case 1: t->ApplyToSelectedCells(1, in.upTo(ParaCount)); break;
      default: d.ApplyParaStyle(in.upTo(ParaCount)); break; // the editor's way to the cells
      }
      break;
    case 6: {
      static const char *props[] = {"CellPadding", "BorderWidth", "CellHSpacing", "CellVSpacing",   "BestWidth",
                                    "Color",       "BorderStyle", "HRuleWidth",   "HeadingRowCount"};
      t->SetTablePropertyUndoable(props[in.upTo(9)], in.upTo(40) - 10);
      break;
    }
    case 7: {
      static const char *props[] = {"BestWidth", "BestHeight", "Color", "VAlign", "BorderColor"};
      const int r = in.upTo(rows), c = in.upTo(cols);
      if (t->Cells(r, c)) t->SetCellPropertyUndoable(r, c, props[in.upTo(5)], in.upTo(200) - 60);
      break;
    }
    case 8: {
      const int r = in.upTo(rows), c = in.upTo(cols);
      if (t->Cells(r, c)) t->SetCellVisibleBorders(r, c, in.upTo(2), in.upTo(2), in.upTo(2), in.upTo(2));
      break;
    }
    case 9:
      t->BeginTableUndoGroup();
      t->InsertRows(in.upTo(rows + 1), 1, -1, false);
      if (t->ColCount() > 0) t->InsertCols(in.upTo(t->ColCount() + 1), 1, -1, false);
      t->EndTableUndoGroup();
      break;
    case 10: t->DeleteEmptyRows(); break;
    default:
      // Another table at the caret (inside a paragraph it splits it).
      d.InsertItemAtCaret(std::string(), randomTable(in, &d), false);
      break;
    }
  } catch (const kc::ERichVistaError &) {
    // Bad indices are refused before anything changes.
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
  kc::TRVFixedHost host(&canvas, 20 + in.upTo(300), 200);
  host.Style = &style;
  style.UseSound = false;
  // A second editor stands open inside the first, as a table cell's would:
  // edits there fold into the first one's history as one record each, and
  // undo and redo of the first must take them back and forth too. It comes
  // first: the outer document's records may hold its items.
  kc::TRVFixedHost innerHost(&canvas, 20 + in.upTo(100), 100);
  innerHost.Style = &style;
  kc::TRVEditRVData inner(&innerHost);
  for (const char *t : {"in ab", "cd"}) inner.Items.Add(t, kc::RichVistaTextItemClass(&inner));
  inner.ReformatAllForced(true);
  kc::TRVEditScript innerScript(inner);
  for (int i = 0; i < 3; ++i) {
    kc::TParaInfo *p = style.ParaStyles().Add();
    p->Alignment = static_cast<kc::TRVAlignment>(in.upTo(4));
    p->LeftIndent = in.upTo(30);
    p->FirstIndent = in.upTo(40) - 10;
    p->SpaceBefore = in.upTo(10);
    p->SpaceAfter = in.upTo(10);
    if (in.upTo(6) == 0) p->Options.Include(kc::rvpaoReadOnly);
  }
  const int paraCount = style.ParaStyles().Count();
  const int plain = style.TextStyles().Count();
  style.TextStyles().Add();
  style.TextStyles().Add()->Unicode = true;
  if (in.upTo(4) == 0) style.TextStyles().Items(plain)->Protection.Include(kc::rvprModifyProtect);
  kc::TRVListLevel *level = style.ListStyles().Add()->Levels.Add();
  level->ListType = kc::rvlstBullet;
  level->FormatString = "*";
  level->LeftIndent = in.upTo(20);

  // Pages are searched by steps of half the client's height, which may be
  // nothing at all.
  if (in.upTo(4) == 0) host.SetClientSize(host.ClientWidth(), in.upTo(3));
  if (in.upTo(3) == 0) style.SelectionMode = kc::rvsmParagraph;
  kc::TRVEditRVData doc(&host);
  static const char *words[] = {"ab", "wiw", "iii", "abcdefgh", "w", "", "x y", "  "};
  const int paragraphs = 1 + in.upTo(6);
  for (int p = 0; p < paragraphs; ++p) {
    const int para = in.upTo(paraCount);
    const int kind = in.upTo(8);
    if (kind == 0) {
      doc.Items.Add("", std::make_unique<kc::TRVBreakItemInfo>(&doc, kc::clNone, 0, 1));
      continue;
    }
    if (kind == 1) {
      auto marker = std::make_unique<kc::TRVMarkerItemInfo>(&doc, 0, 0, 1, false);
      marker->ParaNo = para;
      doc.Items.Add("", std::move(marker));
      doc.AddMarkerToList(doc.GetItemCount() - 1);
    }
    for (int i = 0, n = 1 + in.upTo(3); i < n; ++i) {
      auto item = kc::RichVistaTextItemClass(&doc);
      const int k = in.upTo(3);
      item->StyleNo = k == 0 ? 0 : plain + k - 1;
      item->ParaNo = para;
      std::string t = std::string(words[in.upTo(8)]) + (in.upTo(2) ? " " : "") + words[in.upTo(8)];
      if (k == 2) {
        item->ItemOptions.Include(kc::rvioUnicode);
        t = in.upTo(2) ? kc::WideStringToRaw(kcfuzz::UnicodeText(in, 16))
                       : kc::WideStringToRaw(std::u16string(t.begin(), t.end()));
      }
      if (i > 0 || kind == 1) item->SetContinuePara(true);
      if (i > 0 && in.upTo(5) == 0) item->SetLineBreakBefore(true);
      doc.Items.Add(t, std::move(item));
    }
  }
  // Checkpoints, some persistent, at most one of those in a paragraph.
  for (int i = 0; i < doc.GetItemCount(); ++i) {
    if (in.upTo(6) != 0 || doc.GetItemStyle(i) == kc::rvsListMarker) continue;
    auto cp = std::make_unique<kc::TRVCPInfo>();
    cp->Persistent = in.upTo(2) == 0 && !doc.ParaHasPersistentCheckpoint(i);
    doc.Do_AddCP(i, std::move(cp));
  }
  kc::RegisterTableItemType();
  for (int k = 0, n = in.upTo(3); k < n; ++k) doc.AddItem("", randomTable(in, &doc));
  doc.ReformatAllForced(true);
  const auto both = [&] { return rvf(doc) + "/" + rvf(inner); };
  const std::string start = both();
  kc::TRVEditScript script(doc);
  static const char *commands[] = {"type a", "type  ", "type w", "type x y", "enter", "shift-enter", "backspace",
                                   "ctrl-backspace", "delete", "left", "right 3", "select-left 4", "select-right 9",
                                   "home", "end", "para 1", "break", "undo", "redo", "select-all", "up", "down 2",
                                   "ctrl-left", "ctrl-right 2", "pageup", "pagedown", "doc-home", "doc-end",
                                   "select-up", "select-down 2",
                                   // Typing in cells: the cell editor opens on a cell of the
                                   // current table and keys go to it.
                                   "cell 0 0", "cell 1 1", "cell 0 2", "tab", "shift-tab"};
  for (int s = 0, steps = in.upTo(48); s < steps && in.n > 0; ++s) {
    std::string out, error;
    // Now and then item properties set by name, or an edit in the nested
    // editor (a new edit of the outer one too, whose history takes it in).
    if (const int extra = in.upTo(8); extra == 0) {
      static const char *props[] = {"LineWidth", "BreakStyle", "Color", "DeleteProtect", "VShift", "Spacing", "VAlign"};
      const int item = in.upTo(doc.GetItemCount());
      std::vector<std::string> names;
      std::vector<int32_t> values;
      for (int k = 0, n = 1 + in.upTo(3); k < n; ++k) {
        names.push_back(props[in.upTo(7)]);
        values.push_back(in.upTo(300) - 100);
      }
      doc.ModifyItemIntProperties(item, names, values);
    } else if (extra == 2 || extra == 3) {
      tableStep(in, doc, paraCount);
      checkTables(doc);
    } else if (extra == 1) {
      static const char *nested[] = {"type x", "enter", "backspace", "delete", "left 2", "right 3", "select-left 3"};
      innerScript.Run(nested[in.upTo(7)], out, error);
      doc.RedoList->Clear();
      doc.FoldUndoFrom(inner, -1);
    }
    const int n = int(sizeof(commands) / sizeof(commands[0]));
    const int c = in.upTo(n + 2);
    if (c == n) {
      const int item = in.upTo(doc.GetItemCount());
      doc.SetCaretItemPos(item, doc.GetOffsBeforeItem(item) + in.upTo(doc.GetItemEndOffset(item) + 1));
    } else if (c == n + 1) {
      // Typing or pasting text of any script at once.
      const std::u16string t = kcfuzz::UnicodeText(in, 8);
      if (!t.empty()) doc.InsertTextW(t, false);
      checkCaret(doc);
    } else {
      script.Run(commands[c], out, error);
      checkCaret(doc);
    }
    checkTables(doc);
    checkLines(doc);
    checkLines(inner);
  }
  // An open cell editor keeps its own history until it closes; closed, its
  // history is the document's, so that "everything" takes it in.
  for (int i = 0; i < doc.GetItemCount(); ++i)
    if (auto *t = dynamic_cast<kc::TRVTableItemInfo *>(doc.GetItem(i)); t && t->GetCellEditor())
      t->CloseCellEditor(true);
  for (int r = 0; doc.RedoList->Count() > 0 && r < 10000; ++r) doc.Redo();
  const std::string end = both();
  for (int u = 0; doc.UndoList->Count() > 0 && u < 10000; ++u) doc.Undo();
  if (both() != start) fail("undoing everything does not give the start back", both(), start);
  for (int r = 0; doc.RedoList->Count() > 0 && r < 10000; ++r) doc.Redo();
  if (both() != end) fail("redoing everything does not give the end back", both(), end);
  checkLines(doc);
  checkLines(inner);
  return 0;
}
