// Editing text of every script and emoji through the editor's keys and
// mouse: the caret stops, Backspace and Delete remove, a click lands and a
// word move ends only between whole characters (grapheme clusters), and
// undo gives back the text that was there.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <algorithm>

#include "EditorFixture.h"
#include "platform/GraphemeClusters.h"
#include "richtext/document/RVItem.h"
#include "richtext/document/RVUni.h"

using namespace kc;
using kctest::Editor;

namespace {

struct ClusterText {
  const char *name;
  std::vector<std::u16string> clusters;
  // The text after each Backspace from the end, until it is empty.
  std::vector<std::u16string> backspaces;
};

std::u16string joined(const std::vector<std::u16string> &Parts) {
  std::u16string s;
  for (const auto &p : Parts) s += p;
  return s;
}

// A character outside the BMP carrying twenty combining marks, after a
// Bengali letter and a space: Backspace takes the marks one at a time, then
// the character.
ClusterText manyMarks() {
  ClusterText t{"a pair with twenty marks after a bengali letter", {u"\u09AC", u" ", u"\U0001F600"}, {}};
  for (int i = 0; i < 20; ++i) t.clusters.back() += u'\u0301';
  for (std::u16string s = joined(t.clusters); s.size() > 4; s.pop_back())
    t.backspaces.push_back(s.substr(0, s.size() - 1));
  t.backspaces.push_back(u"\u09AC ");
  t.backspaces.push_back(u"\u09AC");
  t.backspaces.push_back(u"");
  return t;
}

const std::vector<ClusterText> kTexts = {
    {"emoji between letters", {u"a", u"\U0001F600", u"b"}, {u"a\U0001F600", u"a", u""}},
    {"two flags", {u"\U0001F1FA\U0001F1E6", u"\U0001F1E9\U0001F1EA"}, {u"\U0001F1FA\U0001F1E6", u""}},
    {"family joined by ZWJ", {u"x", u"\U0001F468\u200D\U0001F469\u200D\U0001F467"}, {u"x", u""}},
    {"thumbs up with a skin tone", {u"\U0001F44D\U0001F3FD", u"!"}, {u"\U0001F44D\U0001F3FD", u""}},
    {"e and a combining acute", {u"e\u0301", u"t", u"e\u0301"}, {u"e\u0301te", u"e\u0301t", u"e\u0301", u"e", u""}},
    {"hangul syllable as jamo", {u"\u1100\u1161\u11A8", u"\u1100\u1161\u11A8"}, {u"\u1100\u1161\u11A8", u""}},
    {"thai with a vowel and a tone mark",
     {u"\u0E17\u0E35\u0E48", u"\u0E19"},
     {u"\u0E17\u0E35\u0E48", u"\u0E17\u0E35", u"\u0E17", u""}},
    {"a lone surrogate beside a pair", {u"\xD800", u"\U0001F600", u"b"}, {u"\xD800\U0001F600", u"\xD800", u""}},
    manyMarks(),
};

// The 1-based offsets between the clusters.
std::vector<int> stopsOf(const std::vector<std::u16string> &Clusters) {
  std::vector<int> r{1};
  for (const auto &c : Clusters) r.push_back(r.back() + int(c.size()));
  return r;
}

// An editor with one paragraph of UTF-16 text in a Unicode style.
struct ClusterEditor : Editor {
  explicit ClusterEditor(const std::u16string &Text) {
    sheet.TextStyles().Items(0)->Unicode = true;
    auto item = RichVistaTextItemClass(&doc());
    item->StyleNo = 0;
    item->ParaNo = 0;
    item->ItemOptions.Include(rvioUnicode);
    doc().Items.Add(WideStringToRaw(Text), std::move(item));
    open(0, 1);
  }
  std::u16string text16() const { return RawToWideString(doc().GetItemTextRaw(0)); }
  int caretOffs() const {
    int item = -1, offs = -1;
    doc().GetCaretItemPos(item, offs);
    return offs;
  }
  void key(Qt::Key Key, Qt::KeyboardModifiers Mods = {}) { QTest::keyClick(ed.get(), Key, Mods); }
};

} // namespace

TEST(EditClusters, ArrowsStopBetweenWholeCharactersOnly) {
  for (const ClusterText &c : kTexts) {
    SCOPED_TRACE(c.name);
    ClusterEditor e(joined(c.clusters));
    const std::vector<int> stops = stopsOf(c.clusters);
    std::vector<int> right{e.caretOffs()}, left;
    for (size_t i = 0; i < stops.size(); ++i) {
      e.key(Qt::Key_Right);
      right.push_back(e.caretOffs());
    }
    right.pop_back(); // the last press finds the end
    EXPECT_EQ(right, stops);
    left.push_back(e.caretOffs());
    for (size_t i = 1; i < stops.size(); ++i) {
      e.key(Qt::Key_Left);
      left.push_back(e.caretOffs());
    }
    EXPECT_EQ(left, std::vector<int>(stops.rbegin(), stops.rend()));
    // A selection made with Shift ends between characters too.
    e.caret(0, 1);
    e.key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(e.selection(), "0-1 0-" + std::to_string(stops[1]));
  }
}

TEST(EditClusters, BackspaceTakesWholeCharactersAndUndoGivesThemBack) {
  for (const ClusterText &c : kTexts) {
    SCOPED_TRACE(c.name);
    const std::u16string start = joined(c.clusters);
    ClusterEditor e(start);
    e.caret(0, int(start.size()) + 1);
    std::vector<std::u16string> seen;
    for (size_t i = 0; i < c.backspaces.size(); ++i) {
      e.key(Qt::Key_Backspace);
      seen.push_back(e.ed->EditData()->GetItemCount() > 0 ? e.text16() : u"?");
      EXPECT_EQ(e.caretOffs(), int(seen.back().size()) + 1) << "the caret stays at the end";
    }
    EXPECT_EQ(seen, c.backspaces);
    while (e.ed->UndoAction() != 0) e.ed->Undo();
    EXPECT_EQ(e.text16(), start);
    EXPECT_EQ(e.beeps, 0);
  }
}

TEST(EditClusters, DeleteTakesWholeCharactersAndUndoGivesThemBack) {
  for (const ClusterText &c : kTexts) {
    SCOPED_TRACE(c.name);
    const std::u16string start = joined(c.clusters);
    ClusterEditor e(start);
    e.caret(0, 1);
    std::u16string rest = start;
    for (const auto &cluster : c.clusters) {
      e.key(Qt::Key_Delete);
      rest = rest.substr(cluster.size());
      EXPECT_EQ(e.text16(), rest);
      EXPECT_EQ(e.caretOffs(), 1);
    }
    while (e.ed->UndoAction() != 0) e.ed->Undo();
    EXPECT_EQ(e.text16(), start);
  }
}

// A click anywhere along the text lands between characters; going right,
// the clicks reach every boundary in order, whatever the widths.
TEST(EditClusters, ClicksLandBetweenCharacters) {
  for (const ClusterText &c : kTexts) {
    SCOPED_TRACE(c.name);
    ClusterEditor e(joined(c.clusters));
    const std::vector<int> stops = stopsOf(c.clusters);
    const int right = e.doc().DrawLines.Items(0)->Left + e.doc().DrawLines.Items(0)->Width;
    std::vector<int> reached;
    for (int x = 0; x <= right + 5; ++x) {
      QTest::mouseClick(e.ed.get(), Qt::LeftButton, {}, QPoint(x, 5));
      const int offs = e.caretOffs();
      ASSERT_NE(std::find(stops.begin(), stops.end(), offs), stops.end()) << "x " << x << " offset " << offs;
      if (reached.empty() || reached.back() != offs) reached.push_back(offs);
    }
    EXPECT_EQ(reached, stops);
  }
}

TEST(EditClusters, WordMovesAndCtrlBackspaceKeepCharactersWhole) {
  // A word that starts with a mark on the space before it is no word start.
  const std::u16string text = u"ab \U0001F44D\U0001F3FD cd \u0301x";
  ClusterEditor e(text);
  e.caret(0, int(text.size()) + 1);
  std::vector<int> seen;
  for (int i = 0; i < 3; ++i) {
    e.key(Qt::Key_Left, Qt::ControlModifier);
    seen.push_back(e.caretOffs());
  }
  EXPECT_EQ(seen, (std::vector<int>{9, 4, 1}));
  e.caret(0, 9);
  e.key(Qt::Key_Backspace, Qt::ControlModifier);
  EXPECT_EQ(e.text16(), u"ab cd \u0301x");
  e.caret(0, 4);
  e.key(Qt::Key_Backspace, Qt::ControlModifier);
  EXPECT_EQ(e.text16(), u"cd \u0301x") << "the word and the space after it";
}
