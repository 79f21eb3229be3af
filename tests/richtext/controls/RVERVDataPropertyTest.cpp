// Random edit scripts on documents with several text and paragraph styles,
// list markers and breaks, item properties set by name, and a second editor
// open inside the first whose history folds into it: after every step the
// draw lines are those of a whole pass; undoing everything gives back the
// starting documents' RVF exactly, and redoing everything the end's.
#include <gtest/gtest.h>

#include <random>

#include "EditFixture.h"
#include "richtext/document/RVUni.h"

using namespace kc;
using kctest::EditDoc;

namespace {

class RandomEdits {
public:
  RandomEdits(unsigned Seed, int Width) : rng(Seed), inner(Width / 2 + 20), e(Width) {
    // A second editor stands open inside this one, as a table cell's would:
    // its history folds into this document's.
    auto *outer = new kctest::TNestingEditData(e.host.get());
    e.doc.reset(outer);
    outer->Nested = inner.doc.get();
    inner.para({"in ab"});
    inner.para({"cd"});
    inner.format();
    e.canvas->widths[u'w'] = 17;
    e.canvas->widths[u'i'] = 4;
    TParaInfo *right = e.style.ParaStyles().Add();
    right->Alignment = rvaRight;
    right->LeftIndent = 6;
    right->RightIndent = 9;
    TParaInfo *centre = e.style.ParaStyles().Add();
    centre->Alignment = rvaCenter;
    centre->LineSpacing = 150;
    centre->SpaceBefore = 3;
    centre->SpaceAfter = 5;
    TParaInfo *justify = e.style.ParaStyles().Add();
    justify->Alignment = rvaJustify;
    justify->FirstIndent = 15;
    plainStyle = e.style.TextStyles().Count();
    e.style.TextStyles().Add();
    e.style.TextStyles().Add()->Unicode = true;
  }

  // Text styles 0, the plain one added and the Unicode one after it.
  int plainStyle = 0;
  int styleOf(int k) const { return k == 0 ? 0 : plainStyle + k - 1; }

  std::mt19937 rng;
  // Declared first: the outer document's records may hold its items.
  EditDoc inner;
  EditDoc e;

  std::string both() const { return e.rvf() + "/" + inner.rvf(); }

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

  std::string words() {
    static const char *w[] = {"ab", "wiw", "iii", "abcdefgh", "w", "", "x y", "  "};
    std::string s;
    for (int i = 0, n = pick(5); i < n; ++i) s += std::string(i ? " " : "") + w[pick(8)];
    return s;
  }

  void addText(int ParaNo, bool Continue) {
    const int k = pick(3);
    auto item = RichVistaTextItemClass(e.doc.get());
    item->StyleNo = styleOf(k);
    item->ParaNo = ParaNo;
    std::string t = words();
    if (k == 2) {
      item->ItemOptions.Include(rvioUnicode);
      std::u16string w(t.begin(), t.end());
      t = WideStringToRaw(w);
    }
    if (Continue) item->SetContinuePara(true);
    if (Continue && pick(5) == 0) item->SetLineBreakBefore(true);
    e.doc->Items.Add(t, std::move(item));
  }

  void build(int Paragraphs) {
    for (int p = 0; p < Paragraphs; ++p) {
      const int para = pick(4);
      if (pick(8) == 0) {
        e.doc->Items.Add("", std::make_unique<TRVBreakItemInfo>(e.doc.get(), clNone, 0, 1));
        continue;
      }
      if (pick(5) == 0) {
        e.listPara("", para);
        e.doc->SetItemTextRaw(e.doc->GetItemCount() - 1, "ab wi");
      } else {
        addText(para, false);
      }
      for (int i = 0, n = pick(3); i < n; ++i) addText(para, true);
    }
    // Checkpoints, some persistent, at most one of those in a paragraph.
    for (int i = 0; i < e.doc->GetItemCount(); ++i) {
      if (pick(6) != 0 || e.doc->GetItemStyle(i) == rvsListMarker) continue;
      auto cp = std::make_unique<TRVCPInfo>();
      cp->Persistent = pick(2) == 0 && !e.doc->ParaHasPersistentCheckpoint(i);
      e.doc->Do_AddCP(i, std::move(cp));
    }
  }

  std::string step() {
    TRVEditScript script(*e.doc);
    std::string out, error;
    switch (pick(19)) {
    case 0:
    case 1:
    case 2: {
      static const char *chars[] = {"a", " ", "w", "i", "x y"};
      const std::string c = chars[pick(5)];
      script.Run("type " + c, out, error);
      return "type " + c;
    }
    case 3: script.Run("enter", out, error); return "enter";
    case 4: script.Run("shift-enter", out, error); return "shift-enter";
    case 5:
    case 6: script.Run("backspace", out, error); return "backspace";
    case 7: script.Run("ctrl-backspace", out, error); return "ctrl-backspace";
    case 8:
    case 9: script.Run("delete", out, error); return "delete";
    case 10: {
      const std::string c = std::string(pick(2) ? "left " : "right ") + std::to_string(1 + pick(6));
      script.Run(c, out, error);
      return c;
    }
    case 11: {
      const std::string c = std::string(pick(2) ? "select-left " : "select-right ") + std::to_string(1 + pick(12));
      script.Run(c, out, error);
      return c;
    }
    case 12: {
      const int item = pick(e.doc->GetItemCount());
      const int offs = e.doc->GetOffsBeforeItem(item) + pick(e.doc->GetItemEndOffset(item) + 1);
      e.doc->SetCaretItemPos(item, offs);
      return "caret " + std::to_string(item) + " " + std::to_string(offs);
    }
    case 13: {
      const std::string c = "para " + std::to_string(pick(4));
      script.Run(c, out, error);
      return c;
    }
    case 14: script.Run("break", out, error); return "break";
    case 15: script.Run(pick(3) ? "undo" : "redo", out, error); return "undo/redo";
    case 16: script.Run(pick(2) ? "home" : "end", out, error); return "home/end";
    case 17: {
      static const char *names[] = {"LineWidth", "BreakStyle", "Color", "DeleteProtect", "VShift", "Spacing", "VAlign"};
      const int item = pick(e.doc->GetItemCount());
      std::vector<std::string> n;
      std::vector<int32_t> v;
      for (int k = 0, count = 1 + pick(3); k < count; ++k) {
        n.push_back(names[pick(7)]);
        v.push_back(pick(7) - 1);
      }
      e.doc->ModifyItemIntProperties(item, n, v);
      return "props of " + std::to_string(item);
    }
    default: {
      static const char *commands[] = {"type x", "enter", "backspace", "delete", "left 2", "right 3", "select-left 3"};
      const std::string c = commands[pick(7)];
      inner.run(c);
      // An edit there is a new edit here too: nothing is left to redo.
      e.doc->RedoList->Clear();
      e.doc->FoldNestedUndo();
      return "nested " + c;
    }
    }
  }
};

TEST(EditScripts, UndoAllGivesTheStartAndRedoAllTheEndWithLinesOfAWholePass) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    std::mt19937 widths(seed);
    RandomEdits r(seed, 60 + int(widths() % 200));
    r.build(1 + r.pick(7));
    r.e.format();
    const std::string start = r.both();
    std::string log;
    for (int s = 0; s < 40; ++s) {
      log += r.step() + "; ";
      for (EditDoc *d : {&r.e, &r.inner}) {
        ASSERT_EQ(d->doc->CheckDrawLines(), "") << "seed " << seed << ": " << log;
        const auto [partial, whole] = d->partialAndWhole();
        ASSERT_EQ(partial, whole) << "seed " << seed << ": " << log;
      }
    }
    // Undos in the script leave groups to redo: the end is where redoing
    // them leads.
    for (int redos = 0; r.e.doc->RedoList->Count() > 0 && redos < 100000; ++redos) r.e.doc->Redo();
    const std::string end = r.both();
    int undos = 0;
    while (r.e.doc->UndoList->Count() > 0 && undos < 100000) {
      r.e.doc->Undo();
      ++undos;
      for (EditDoc *d : {&r.e, &r.inner}) {
        const auto [partial, whole] = d->partialAndWhole();
        ASSERT_EQ(partial, whole) << "seed " << seed << " undo " << undos << ": " << log;
      }
    }
    ASSERT_EQ(r.both(), start) << "seed " << seed << ": " << log;
    int redos = 0;
    while (r.e.doc->RedoList->Count() > 0 && redos < 100000) {
      r.e.doc->Redo();
      ++redos;
    }
    ASSERT_EQ(r.both(), end) << "seed " << seed << ": " << log;
    ASSERT_EQ(r.e.doc->CheckDrawLines(), "") << "seed " << seed;
  }
}

} // namespace
