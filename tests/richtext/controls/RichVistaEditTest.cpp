// The editor widget under the offscreen platform, driven by QTest key
// sequences: moves, Shift selections, editing keys, undo and redo
// shortcuts, jump mode, the caret overlay, and refusals of a read-only or
// vetoing editor.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "EditorFixture.h"
#include "platform/DesktopMetrics.h"
#include "platform/GuiTimer.h"
#include "support/EventPump.h"

using namespace kc;
using kctest::Editor;

namespace {

// ------------------------------------------------------------ key strings

// Presses keys given as words: "Left", "S-Left" (Shift), "C-Home" (Ctrl),
// "CS-Right", "A-BS" (Alt), letters ("C-z"), and 'text' typed as it is.
void Press(QWidget *W, const std::string &Keys) {
  std::istringstream in(Keys);
  std::string word;
  while (in >> word) {
    if (word.front() == '\'') {
      QTest::keyClicks(W, QString::fromStdString(word.substr(1, word.size() - 2)));
      continue;
    }
    Qt::KeyboardModifiers mods;
    std::string name = word;
    if (const size_t dash = word.find('-'); dash != std::string::npos && dash + 1 < word.size()) {
      for (char c : word.substr(0, dash)) {
        if (c == 'S') mods |= Qt::ShiftModifier;
        if (c == 'C') mods |= Qt::ControlModifier;
        if (c == 'A') mods |= Qt::AltModifier;
      }
      name = word.substr(dash + 1);
    }
    static const std::map<std::string, Qt::Key> keys = {
        {"Left", Qt::Key_Left},    {"Right", Qt::Key_Right}, {"Up", Qt::Key_Up},        {"Down", Qt::Key_Down},
        {"Home", Qt::Key_Home},    {"End", Qt::Key_End},     {"PgUp", Qt::Key_PageUp},  {"PgDn", Qt::Key_PageDown},
        {"BS", Qt::Key_Backspace}, {"Del", Qt::Key_Delete},  {"Enter", Qt::Key_Return}, {"Tab", Qt::Key_Tab},
        {"Esc", Qt::Key_Escape},   {"Ins", Qt::Key_Insert},
    };
    if (auto k = keys.find(name); k != keys.end()) {
      QTest::keyClick(W, k->second, mods);
    } else if (name.size() == 1) {
      const char c = name[0];
      const Qt::Key key = std::isalpha(uint8_t(c)) ? Qt::Key(Qt::Key_A + (std::toupper(c) - 'A')) : Qt::Key(c);
      // A shortcut's key carries no text, as the desktop sends it.
      const bool typing = !(mods & (Qt::ControlModifier | Qt::AltModifier));
      if (typing) QTest::keyClick(W, key, mods);
      else QTest::sendKeyEvent(QTest::Click, W, key, QString(), mods);
    } else {
      ADD_FAILURE() << "unknown key " << word;
    }
  }
}

// The document a row starts from.
enum Doc { kTwoParas, kWrapped, kListPara, kLong };

struct KeyRow {
  const char *name;
  Doc doc;
  int item, offs; // the caret, as item and offset
  const char *keys;
  const char *text;      // paragraphs joined by "|"
  const char *caret;     // "line column"
  const char *selection; // "item-offs item-offs" ordered, "" without
  const char *getOuts;   // directions reported, in order
};

std::ostream &operator<<(std::ostream &o, const KeyRow &r) { return o << r.name; }

struct Fixture {
  explicit Fixture(Doc D) : e(D == kWrapped ? 90 : 300, 100) {
    switch (D) {
    case kTwoParas:
      e.para({"one two"});
      e.para({"three four"});
      break;
    case kWrapped:
      // Three screen lines: "aaaa ", "bbbb ", "cccc".
      e.para({"aaaa bbbb cccc"});
      break;
    case kListPara: e.listPara("first"); break;
    case kLong:
      for (int i = 0; i < 40; ++i) e.para({"line " + std::to_string(i)});
      break;
    }
    e.ed->OnCaretGetOut = [this](TCustomRichVistaEdit *, TRVGetOutDirection d) {
      static const char *names[] = {"left", "up", "right", "down", "top", "bottom"};
      if (!getOuts.empty()) getOuts += ' ';
      getOuts += names[d];
    };
  }
  Editor e;
  std::string getOuts;
};

class EditorKeys : public ::testing::TestWithParam<KeyRow> {};

TEST_P(EditorKeys, Row) {
  const KeyRow &r = GetParam();
  Fixture f(r.doc);
  f.e.open(r.item, r.offs);
  Press(f.e.ed.get(), r.keys);
  EXPECT_EQ(f.e.text(), r.text);
  EXPECT_EQ(f.e.caretPos(), r.caret);
  EXPECT_EQ(f.e.selection(), r.selection);
  EXPECT_EQ(f.getOuts, r.getOuts);
}

const KeyRow kMovesRows[] = {
    {"RightTwice", kTwoParas, 0, 1, "Right Right", "one two|three four", "0 2", "", ""},
    {"RightCrossesTheParagraphEnd", kTwoParas, 0, 8, "Right", "one two|three four", "1 0", "", ""},
    {"LeftCrossesBack", kTwoParas, 1, 1, "Left", "one two|three four", "0 7", "", ""},
    {"LeftAtTheStartGetsOut", kTwoParas, 0, 1, "Left", "one two|three four", "0 0", "", "left"},
    {"RightAtTheEndGetsOut", kTwoParas, 1, 11, "Right", "one two|three four", "1 10", "", "right"},
    {"DownKeepsTheColumn", kTwoParas, 0, 3, "Down", "one two|three four", "1 2", "", ""},
    {"UpKeepsTheColumn", kTwoParas, 1, 6, "Up", "one two|three four", "0 5", "", ""},
    {"UpOnTheFirstLineGetsOut", kTwoParas, 0, 3, "Up", "one two|three four", "0 2", "", "up"},
    {"DownOnTheLastLineGetsOut", kTwoParas, 1, 3, "Down", "one two|three four", "1 2", "", "down"},
    {"CtrlHomeReportsTop", kTwoParas, 1, 5, "C-Home", "one two|three four", "0 0", "", "top"},
    {"CtrlEndReportsBottom", kTwoParas, 0, 2, "C-End", "one two|three four", "1 10", "", "bottom"},
    {"CtrlRightGoesToTheNextWord", kTwoParas, 0, 2, "C-Right", "one two|three four", "0 4", "", ""},
    {"CtrlLeftFromInsideAWord", kTwoParas, 0, 7, "C-Left", "one two|three four", "0 4", "", ""},
    {"CtrlLeftFromAWordStart", kTwoParas, 0, 5, "C-Left", "one two|three four", "0 0", "", ""},
    {"HomeOnAWrappedLine", kWrapped, 0, 13, "Home", "aaaa bbbb cccc", "0 10", "", ""},
    {"EndOnAWrappedLineStopsBeforeTheWrapSpace", kWrapped, 0, 7, "End", "aaaa bbbb cccc", "0 9", "", ""},
    {"HomeOnTheFirstLine", kWrapped, 0, 3, "Home", "aaaa bbbb cccc", "0 0", "", ""},
    {"DownOnAWrappedLine", kWrapped, 0, 2, "Down", "aaaa bbbb cccc", "0 11", "", ""},
};

const KeyRow kSelectionRows[] = {
    {"ShiftRightTwice", kTwoParas, 0, 1, "S-Right S-Right", "one two|three four", "0 2", "0-1 0-3", ""},
    {"ShiftLeftBackOverTheParagraphEnd", kTwoParas, 1, 2, "S-Left S-Left", "one two|three four", "0 7", "0-8 1-2", ""},
    {"ShiftEnd", kTwoParas, 0, 2, "S-End", "one two|three four", "0 7", "0-2 0-8", ""},
    {"ShiftDown", kTwoParas, 0, 2, "S-Down", "one two|three four", "1 1", "0-2 1-2", ""},
    {"CtrlShiftRightSelectsAWord", kTwoParas, 0, 1, "CS-Right", "one two|three four", "0 4", "0-1 0-5", ""},
    {"ShiftUpOnTheFirstLineGoesToItsStart", kTwoParas, 0, 4, "S-Up", "one two|three four", "0 0", "0-1 0-4", "up"},
    {"APlainMoveDropsTheSelection", kTwoParas, 0, 1, "S-Right S-Right Right", "one two|three four", "0 3", "", ""},
};

const KeyRow kEditingRows[] = {
    {"Typing", kTwoParas, 0, 4, "'ab'", "oneab two|three four", "0 5", "", ""},
    {"TypingReplacesTheSelection", kTwoParas, 0, 1, "S-Right S-Right S-Right 'X'", "X two|three four", "0 1", "", ""},
    {"Backspace", kTwoParas, 0, 8, "BS", "one tw|three four", "0 6", "", ""},
    {"BackspaceJoinsParagraphs", kTwoParas, 1, 1, "BS", "one twothree four", "0 7", "", ""},
    {"CtrlBackspaceDeletesAWord", kTwoParas, 0, 8, "C-BS", "one |three four", "0 4", "", ""},
    {"CtrlBackspaceInsideAWord", kTwoParas, 1, 9, "C-BS", "one two|three ur", "1 6", "", ""},
    {"Delete", kTwoParas, 0, 1, "Del", "ne two|three four", "0 0", "", ""},
    {"ShiftDeleteWithoutSelectionDeletes", kTwoParas, 0, 1, "S-Del", "ne two|three four", "0 0", "", ""},
    {"EnterSplitsTheParagraph", kTwoParas, 0, 5, "Enter", "one |two|three four", "1 0", "", ""},
    {"EnterInAListParagraphStartsAListItem", kListPara, 1, 6, "Enter 'x'", "first|x", "1 1", "", ""},
    {"EnterTwiceInAListEndsTheList", kListPara, 1, 6, "Enter Enter", "first||", "2 0", "", ""},
    {"CtrlTabTypesATab", kTwoParas, 0, 1, "C-Tab", "        one two|three four", "0 8", "", ""},
    {"EscapeChangesNothing", kTwoParas, 0, 2, "Esc", "one two|three four", "0 1", "", ""},
    {"CtrlASelectsEverything", kTwoParas, 0, 2, "C-a", "one two|three four", "1 10", "0-1 1-11", ""},
    {"CtrlAThenTypingReplacesEverything", kTwoParas, 0, 2, "C-a 'x'", "x", "0 1", "", ""},
    {"CtrlWithALetterTypesNothing", kTwoParas, 0, 2, "C-q", "one two|three four", "0 1", "", ""},
};

const KeyRow kUndoRows[] = {
    {"CtrlZTakesBackOneTypedCharacter", kTwoParas, 0, 1, "'ab' C-z", "aone two|three four", "0 1", "", ""},
    {"CtrlZTwiceTakesBackBoth", kTwoParas, 0, 1, "'ab' C-z C-z", "one two|three four", "0 0", "", ""},
    {"CtrlShiftZRedoes", kTwoParas, 0, 1, "'ab' C-z CS-z", "abone two|three four", "0 2", "", ""},
    {"CtrlYRedoes", kTwoParas, 0, 1, "'ab' C-z C-y", "abone two|three four", "0 2", "", ""},
    {"AltBackspaceUndoes", kTwoParas, 0, 8, "BS A-BS", "one two|three four", "0 7", "", ""},
    {"AltShiftBackspaceRedoes", kTwoParas, 0, 8, "BS A-BS AS-BS", "one tw|three four", "0 6", "", ""},
    {"UndoEnter", kTwoParas, 0, 4, "Enter C-z", "one two|three four", "0 3", "", ""},
    {"TypingAfterUndoEmptiesRedo", kTwoParas, 0, 1, "'a' C-z 'b' CS-z", "bone two|three four", "0 1", "", ""},
};

std::string RowName(const ::testing::TestParamInfo<KeyRow> &I) { return I.param.name; }

INSTANTIATE_TEST_SUITE_P(Moves, EditorKeys, ::testing::ValuesIn(kMovesRows), RowName);
INSTANTIATE_TEST_SUITE_P(Selections, EditorKeys, ::testing::ValuesIn(kSelectionRows), RowName);
INSTANTIATE_TEST_SUITE_P(Editing, EditorKeys, ::testing::ValuesIn(kEditingRows), RowName);
INSTANTIATE_TEST_SUITE_P(Undo, EditorKeys, ::testing::ValuesIn(kUndoRows), RowName);

int MarkerCount(const Editor &E) {
  int n = 0;
  for (int i = 0; i < E.doc().GetItemCount(); ++i) n += E.doc().GetItemStyle(i) == rvsListMarker;
  return n;
}

TEST(EditorLists, EnterInAListParagraphGivesTheNewParagraphItsMarker) {
  Fixture f(kListPara);
  f.e.open(1, 6);
  Press(f.e.ed.get(), "Enter");
  EXPECT_EQ(MarkerCount(f.e), 2);
  Press(f.e.ed.get(), "Enter");
  EXPECT_EQ(MarkerCount(f.e), 1) << "Enter on an empty list item ends the list";
}

// ------------------------------------------------------ refused changes

// Each row is one way of changing the document; neither a read-only editor
// nor one whose OnChanging says no may change anything, and both beep.
struct RefusalRow {
  const char *name;
  std::function<void(Editor &)> act;
  bool underVeto; // undo is guarded by read-only alone
};
std::ostream &operator<<(std::ostream &o, const RefusalRow &r) { return o << r.name; }

const RefusalRow kRefusals[] = {
    {"Typing", [](Editor &e) { Press(e.ed.get(), "'x'"); }, true},
    {"Backspace", [](Editor &e) { Press(e.ed.get(), "BS"); }, true},
    {"Delete", [](Editor &e) { Press(e.ed.get(), "Del"); }, true},
    {"Enter", [](Editor &e) { Press(e.ed.get(), "Enter"); }, true},
    {"CtrlBackspace", [](Editor &e) { Press(e.ed.get(), "C-BS"); }, true},
    {"DeleteOverASelection",
     [](Editor &e) {
       e.select(0, 1, 0, 3);
       Press(e.ed.get(), "Del");
     },
     true},
    {"TypingOverASelection",
     [](Editor &e) {
       e.select(0, 1, 0, 3);
       Press(e.ed.get(), "'x'");
     },
     true},
    {"Cut",
     [](Editor &e) {
       e.select(0, 1, 0, 3);
       Press(e.ed.get(), "C-x");
     },
     true},
    {"InsertStringTag", [](Editor &e) { e.ed->InsertStringTag("tag", 7); }, true},
    {"InsertTextW", [](Editor &e) { e.ed->InsertTextW(u"text"); }, true},
    {"DeleteSelection",
     [](Editor &e) {
       e.select(0, 1, 0, 3);
       e.ed->DeleteSelection();
     },
     true},
    {"ApplyParaStyle", [](Editor &e) { e.ed->ApplyParaStyle(1); }, true},
    {"InputMethodCommit",
     [](Editor &e) {
       QInputMethodEvent ev;
       ev.setCommitString(QStringLiteral("ж"));
       QApplication::sendEvent(e.ed.get(), &ev);
     },
     true},
    {"Undo", [](Editor &e) { Press(e.ed.get(), "C-z"); }, false},
};

class EditorRefusals : public ::testing::TestWithParam<RefusalRow> {};

// A document with something to undo: "one two", then "ab" typed in front.
void OpenRefusalDoc(Editor &E) {
  E.sheet.ParaStyles().Add();
  E.para({"one two"});
  E.open(0, 1);
  Press(E.ed.get(), "'ab'");
  E.ed->Modified = false;
  E.beeps = 0;
}

TEST_P(EditorRefusals, ReadOnlyChangesNothingAndBeeps) {
  Editor e;
  OpenRefusalDoc(e);
  e.ed->SetReadOnly(true);
  int changes = 0;
  e.ed->OnChange = [&](TCustomRichVistaEdit *) { ++changes; };
  const std::string before = e.rvf();
  GetParam().act(e);
  EXPECT_EQ(e.rvf(), before);
  EXPECT_GE(e.beeps, 1);
  EXPECT_EQ(changes, 0);
  EXPECT_FALSE(e.ed->Modified);
}

// The rows a veto guards.
class EditorVetoes : public EditorRefusals {};

std::vector<RefusalRow> VetoedRefusals() {
  std::vector<RefusalRow> rows;
  std::copy_if(std::begin(kRefusals), std::end(kRefusals), std::back_inserter(rows),
               [](const RefusalRow &r) { return r.underVeto; });
  return rows;
}

TEST_P(EditorVetoes, AVetoChangesNothingAndBeeps) {
  Editor e;
  OpenRefusalDoc(e);
  int asked = 0, changes = 0;
  e.ed->OnChanging = [&](TCustomRichVistaEdit *Sender, bool &CanEdit) {
    EXPECT_EQ(Sender, e.ed.get());
    ++asked;
    CanEdit = false;
  };
  e.ed->OnChange = [&](TCustomRichVistaEdit *) { ++changes; };
  const std::string before = e.rvf();
  const int undoGroups = e.doc().UndoList->Count();
  GetParam().act(e);
  EXPECT_EQ(e.rvf(), before);
  EXPECT_EQ(e.doc().UndoList->Count(), undoGroups);
  EXPECT_GE(asked, 1);
  EXPECT_GE(e.beeps, 1);
  EXPECT_EQ(changes, 0);
}

std::string RefusalName(const ::testing::TestParamInfo<RefusalRow> &I) { return I.param.name; }
INSTANTIATE_TEST_SUITE_P(Changes, EditorRefusals, ::testing::ValuesIn(kRefusals), RefusalName);
INSTANTIATE_TEST_SUITE_P(Changes, EditorVetoes, ::testing::ValuesIn(VetoedRefusals()), RefusalName);

// ------------------------------------------------------------- changes

TEST(EditorChange, EachEditFiresOnChangeOnceAndSetsModified) {
  Editor e;
  e.para({"one two"});
  e.open(0, 1);
  int changes = 0;
  e.ed->OnChange = [&](TCustomRichVistaEdit *Sender) {
    EXPECT_EQ(Sender, e.ed.get());
    ++changes;
  };
  Press(e.ed.get(), "'a'");
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(e.ed->Modified);
  e.ed->InsertStringTag("x", 0);
  EXPECT_EQ(changes, 2) << "an insertion reports once, when its frame ends";
  Press(e.ed.get(), "Right Left");
  EXPECT_EQ(changes, 2) << "moves are no changes";
}

TEST(EditorChange, AnInsertionAndTheSelectionItReplacesAreOneUndoStep) {
  Editor e;
  e.para({"one two"});
  e.open(0, 1);
  const std::string before = e.rvf();
  e.select(0, 1, 0, 4);
  ASSERT_TRUE(e.ed->InsertStringTag("ONE", 3));
  EXPECT_EQ(e.text(), "ONE two");
  EXPECT_EQ(e.ed->UndoAction(), rvutInsert);
  e.ed->Undo();
  EXPECT_EQ(e.rvf(), before);
  EXPECT_EQ(e.ed->RedoAction(), rvutInsert);
  e.ed->Redo();
  EXPECT_EQ(e.text(), "ONE two");
}

// A caller's own group takes every insertion made while its group mode is
// on: each insertion's frame gives back exactly the group mode it took.
TEST(EditorChange, InsertionsInsideTheCallersGroupAreOneUndoStep) {
  Editor e;
  e.para({"one"});
  e.open(0, 4);
  const std::string before = e.rvf();
  e.ed->BeginUndoGroup(rvutInsert);
  e.ed->SetUndoGroupMode(true);
  e.ed->InsertText("a");
  e.ed->InsertText("b");
  e.ed->InsertStringTag("c", 0);
  e.ed->SetUndoGroupMode(false);
  EXPECT_EQ(e.text(), "oneabc");
  EXPECT_EQ(e.doc().UndoList->GroupModeCount, 0);
  e.ed->Undo();
  EXPECT_EQ(e.rvf(), before);
}

// Converting text that already has the wanted style, or only the style
// typing goes on in, changes no text: no OnChange, and what could be
// redone still can.
TEST(EditorChange, AStyleConversionReportsAChangeOnlyWhenTextTookAnotherStyle) {
  Editor e;
  e.sheet.TextStyles().Add();
  e.para({"one two"});
  e.open(0, 4);
  e.ed->InsertText("x");
  e.ed->Undo();
  int changes = 0;
  e.ed->OnChange = [&](TCustomRichVistaEdit *) { ++changes; };
  e.ed->OnStyleConversion = [](TCustomRichVistaEdit *, int StyleNo, int UserData, bool, int &NewStyleNo) {
    NewStyleNo = StyleNo == 0 ? UserData : StyleNo;
  };
  e.ed->ApplyStyleConversion(1);
  EXPECT_EQ(changes, 0) << "no selection: only the current style";
  EXPECT_EQ(e.ed->CurTextStyleNo(), 1);
  e.select(0, 1, 0, 4);
  e.ed->ApplyStyleConversion(0);
  EXPECT_EQ(changes, 0) << "the selected text keeps its style";
  EXPECT_EQ(e.ed->RedoAction(), rvutInsert);
  e.ed->ApplyStyleConversion(1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(e.doc().GetItemStyle(0), 1);
  EXPECT_EQ(e.ed->RedoAction(), rvutNone);
}

// The paragraph conversion asks the handler once per paragraph; a style
// that is not in the sheet is left alone, and the change is one step.
TEST(EditorChange, AParagraphConversionIsOneStepAndSkipsStylesNotInTheSheet) {
  Editor e;
  e.sheet.ParaStyles().Add();
  e.para({"one"});
  e.para({"two"});
  e.para({"three"});
  e.open(0, 1);
  const std::string before = e.rvf();
  int changes = 0;
  std::vector<int> asked;
  e.ed->OnChange = [&](TCustomRichVistaEdit *) { ++changes; };
  e.ed->OnParaStyleConversion = [&](TCustomRichVistaEdit *, int StyleNo, int UserData, bool, int &NewStyleNo) {
    asked.push_back(StyleNo);
    NewStyleNo = UserData;
  };
  e.select(0, 2, 1, 2);
  e.ed->ApplyParaStyleConversion(99);
  EXPECT_EQ(changes, 0) << "no such style";
  EXPECT_EQ(e.rvf(), before);
  EXPECT_EQ(asked, (std::vector<int>{0, 0}));
  e.ed->ApplyParaStyleConversion(1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(e.doc().GetItemPara(0), 1);
  EXPECT_EQ(e.doc().GetItemPara(1), 1);
  EXPECT_EQ(e.doc().GetItemPara(2), 0);
  EXPECT_TRUE(e.doc().SelectionExists());
  e.ed->Undo();
  EXPECT_EQ(e.rvf(), before);
}

TEST(EditorChange, AnEmptyUndoListBeepsAndChangesNothing) {
  Editor e;
  e.para({"one"});
  e.open(0, 1);
  const std::string before = e.rvf();
  Press(e.ed.get(), "C-z");
  EXPECT_EQ(e.rvf(), before);
  EXPECT_EQ(e.beeps, 1);
}

TEST(EditorChange, AltBackspaceUndoesWithoutABeep) {
  Editor e;
  e.para({"one"});
  e.open(0, 4);
  Press(e.ed.get(), "BS");
  e.beeps = 0;
  Press(e.ed.get(), "A-BS");
  EXPECT_EQ(e.text(), "one");
  EXPECT_EQ(e.beeps, 0);
}

TEST(EditorChange, ClearUndoEmptiesBothLists) {
  Editor e;
  e.para({"one"});
  e.open(0, 4);
  Press(e.ed.get(), "'ab' C-z");
  ASSERT_NE(e.ed->UndoAction(), rvutNone);
  ASSERT_NE(e.ed->RedoAction(), rvutNone);
  e.ed->ClearUndo();
  EXPECT_EQ(e.ed->UndoAction(), rvutNone);
  EXPECT_EQ(e.ed->RedoAction(), rvutNone);
}

TEST(EditorChange, AnUndoLimitOfZeroRecordsNothing) {
  Editor e;
  e.para({"one"});
  e.ed->SetUndoLimit(0);
  e.open(0, 4);
  Press(e.ed.get(), "'ab'");
  EXPECT_EQ(e.ed->UndoAction(), rvutNone);
  EXPECT_EQ(e.text(), "oneab");
}

TEST(EditorChange, ExtraIntegerPropertiesChangeAsOneUndoableStep) {
  Editor e;
  e.para({"ab"});
  e.open(0, 2);
  QImage img(20, 10, QImage::Format_RGB32);
  img.fill(Qt::red);
  ASSERT_TRUE(e.ed->InsertPicture("pic", std::make_unique<TBitmap>(img), rvvaBaseline));
  int pic = -1;
  for (int i = 0; i < e.doc().GetItemCount(); ++i)
    if (e.doc().GetItemStyle(i) == rvsPicture) pic = i;
  ASSERT_GE(pic, 0);
  int changes = 0;
  e.ed->OnChange = [&](TCustomRichVistaEdit *) { ++changes; };
  const std::string before = e.rvf();
  ASSERT_TRUE(e.ed->SetItemExtraIntPropertyEd(pic, rvepImageWidth, true, 40));
  int w = 0;
  ASSERT_TRUE(e.ed->GetItemExtraIntProperty(pic, rvepImageWidth, w));
  EXPECT_EQ(w, 40);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(e.ed->UndoAction(), rvutModifyItem);
  EXPECT_FALSE(e.ed->SetItemExtraIntPropertyEd(pic, rvepImageWidth, true, 40)) << "the same value is no change";
  e.ed->Undo();
  EXPECT_EQ(e.rvf(), before);
}

// ------------------------------------------------------------ settings

TEST(EditorSettings, CreationDefaults) {
  Editor e;
  EXPECT_EQ(e.ed->AcceptDragDropFormats.Raw_(), 191);
  EXPECT_TRUE(e.ed->AcceptDragDropFormats.Has(rvddRVF));
  EXPECT_FALSE(e.ed->AcceptDragDropFormats.Has(rvddURL));
  EXPECT_EQ(e.ed->EditorOptions, TRVEditorOptions{rvoClearTagOnStyleApp});
  EXPECT_EQ(e.ed->UndoLimit(), -1);
  EXPECT_FALSE(e.ed->ReadOnly());
  // Trim at wrap points, jump mode around exports, the root document; no
  // hyperlink list outside jump mode, no external leading.
  EXPECT_EQ(e.ed->Flags, int(rvflTrim) | int(rvflJumpsForExport) | int(rvflRoot));
  EXPECT_FALSE(e.ed->KeyboardScrolling);
  EXPECT_EQ(e.doc().TabNavigation, rvtnNone);
}

TEST(EditorSettings, TabNavigationIsNotSupported) {
  Editor e;
  EXPECT_NO_THROW(e.ed->SetTabNavigation(rvtnNone));
  try {
    e.ed->SetTabNavigation(rvtnTab);
    ADD_FAILURE() << "no error";
  } catch (const ERichVistaError &x) {
    EXPECT_STREQ(x.what(), "Not supported in editor");
  }
}

TEST(EditorSettings, TabTypesSpacesOnlyWhenTheEditorWantsTabs) {
  Editor e;
  e.sheet.SetSpacesInTab(3);
  e.para({"ab"});
  e.open(0, 1);
  Press(e.ed.get(), "Tab");
  EXPECT_EQ(e.text(), "ab");
  e.ed->EditorOptions.Include(rvoWantTabs);
  e.open(0, 1);
  Press(e.ed.get(), "Tab");
  EXPECT_EQ(e.text(), "   ab");
}

TEST(EditorSettings, EnterIsLeftToTheWindowWithoutReturns) {
  Editor e;
  e.para({"ab"});
  e.ed->EditorOptions.Include(rvoDoNotWantReturns);
  e.open(0, 2);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
  QApplication::sendEvent(e.ed.get(), &press);
  EXPECT_FALSE(press.isAccepted()) << "the window's default button takes it";
  EXPECT_EQ(e.text(), "ab");
  e.ed->EditorOptions.Include(rvoDoNotWantShiftReturns);
  e.ed->EditorOptions.Exclude(rvoDoNotWantReturns);
  Press(e.ed.get(), "S-Enter");
  EXPECT_EQ(e.text(), "ab");
  Press(e.ed.get(), "Enter");
  EXPECT_EQ(e.text(), "a|b");
}

TEST(EditorSettings, RightToLeftSwapsLeftAndRight) {
  Fixture f(kTwoParas);
  f.e.ed->SetBiDiMode(rvbdRightToLeft);
  f.e.open(0, 2);
  Press(f.e.ed.get(), "Left");
  EXPECT_EQ(f.e.caretPos(), "0 2");
  Press(f.e.ed.get(), "Right Right");
  EXPECT_EQ(f.e.caretPos(), "0 0");
}

TEST(EditorSettings, RightToLeftSwapsTheMoveAndTheDirectionReported) {
  Fixture f(kTwoParas);
  f.e.ed->SetBiDiMode(rvbdRightToLeft);
  f.e.open(1, 11);
  Press(f.e.ed.get(), "Left");
  EXPECT_EQ(f.getOuts, "right") << "Left moved forward, to the end, and could not go on";
}

// ------------------------------------------------------------ jump mode

TEST(EditorJumpMode, HeldCtrlWithCtrlJumps) {
  Editor e;
  e.para({"one"});
  e.open(0, 1);
  QTest::keyPress(e.ed.get(), Qt::Key_Control, Qt::ControlModifier);
  EXPECT_FALSE(e.doc().InJumpMode()) << "only with rvoCtrlJumps";
  QTest::keyRelease(e.ed.get(), Qt::Key_Control);
  e.ed->EditorOptions.Include(rvoCtrlJumps);
  QTest::keyPress(e.ed.get(), Qt::Key_Control, Qt::ControlModifier);
  EXPECT_TRUE(e.doc().InJumpMode());
  EXPECT_TRUE(e.ed->Flags & rvflBuildJumps);
  QTest::keyRelease(e.ed.get(), Qt::Key_Control);
  EXPECT_FALSE(e.doc().InJumpMode());
}

TEST(EditorJumpMode, LeftOnAnyChangeAndOnFocusLoss) {
  Editor e;
  e.para({"one"});
  e.ed->EditorOptions.Include(rvoCtrlJumps);
  e.open(0, 1);
  QTest::keyPress(e.ed.get(), Qt::Key_Control, Qt::ControlModifier);
  ASSERT_TRUE(e.doc().InJumpMode());
  e.ed->InsertStringTag("x", 0);
  EXPECT_FALSE(e.doc().InJumpMode());
  QTest::keyPress(e.ed.get(), Qt::Key_Control, Qt::ControlModifier);
  ASSERT_TRUE(e.doc().InJumpMode());
  e.ed->clearFocus();
  EXPECT_FALSE(e.doc().InJumpMode());
}

TEST(EditorJumpMode, ReadOnlyIsJumpMode) {
  Editor e;
  e.para({"one"});
  e.open(0, 1);
  e.ed->SetReadOnly(true);
  EXPECT_TRUE(e.doc().InJumpMode());
  e.ed->clearFocus();
  EXPECT_TRUE(e.doc().InJumpMode()) << "a read-only editor keeps it without the focus";
  e.ed->SetReadOnly(false);
  EXPECT_FALSE(e.doc().InJumpMode());
}

// ---------------------------------------------------------------- pages

// However small the window, a page key moves the caret.
TEST(EditorPages, PageKeysMoveWhateverTheClientHeight) {
  for (const int height : {0, 1, 2, 100}) {
    SCOPED_TRACE(height);
    Fixture f(kLong);
    f.e.open(0, 1);
    f.e.ed->resize(300, height);
    Press(f.e.ed.get(), "PgDn");
    const std::string afterDown = f.e.caretPos();
    EXPECT_NE(afterDown, "0 0");
    Press(f.e.ed.get(), "PgUp");
    EXPECT_EQ(f.e.caretPos(), "0 0");
  }
}

// ---------------------------------------------------------------- caret

TEST(EditorCaret, IsDrawnAtTheCaretWhileFocusedAndBlinks) {
  ManualTimerClock clock;
  setCaretFlashTime(600);
  struct Restore {
    ~Restore() { setCaretFlashTime(std::nullopt); }
  } restore;
  Editor e;
  e.para({"one two"});
  e.open(0, 3);
  ASSERT_TRUE(e.ed->hasFocus());
  const QRect r = e.ed->CaretRect();
  ASSERT_FALSE(r.isEmpty());
  EXPECT_EQ(r.left(), e.doc().CaretX);
  EXPECT_EQ(r.top(), e.doc().CaretTop);
  EXPECT_EQ(r.height(), e.doc().CaretHeight);
  EXPECT_EQ(e.doc().CaretX, 20) << "after the second character";
  EXPECT_TRUE(e.ed->CaretBlinkOn());
  clock.advance(300);
  EXPECT_FALSE(e.ed->CaretBlinkOn());
  clock.advance(300);
  EXPECT_TRUE(e.ed->CaretBlinkOn());
  // A move shows it at once at its new place.
  clock.advance(300);
  ASSERT_FALSE(e.ed->CaretBlinkOn());
  Press(e.ed.get(), "Right");
  EXPECT_TRUE(e.ed->CaretBlinkOn());
  EXPECT_EQ(e.ed->CaretRect().left(), 30);
  e.ed->clearFocus();
  EXPECT_TRUE(e.ed->CaretRect().isEmpty());
  EXPECT_EQ(clock.runningCount(), 0u) << "no blinking without the focus";
}

TEST(EditorCaret, ANonPositiveFlashTimeGivesASteadyCaret) {
  ManualTimerClock clock;
  setCaretFlashTime(0);
  struct Restore {
    ~Restore() { setCaretFlashTime(std::nullopt); }
  } restore;
  Editor e;
  e.para({"one"});
  e.open(0, 2);
  EXPECT_TRUE(e.ed->CaretBlinkOn());
  EXPECT_EQ(clock.runningCount(), 0u);
  clock.advance(5000);
  EXPECT_TRUE(e.ed->CaretBlinkOn());
}

TEST(EditorCaret, FollowsScrolling) {
  Fixture f(kLong);
  f.e.open(0, 1);
  const int top = f.e.ed->CaretRect().top();
  f.e.ed->VScroll(TRVScroller::sbPageDown);
  ASSERT_GT(f.e.ed->VScrollPos(), 0);
  EXPECT_EQ(f.e.ed->CaretRect().top(), top - f.e.doc().GetVOffs());
}

TEST(EditorCaret, HiddenWhenReadOnlyWithTheOption) {
  Editor e;
  e.para({"one"});
  e.open(0, 2);
  e.ed->SetReadOnly(true);
  EXPECT_FALSE(e.ed->CaretRect().isEmpty());
  e.ed->EditorOptions.Include(rvoHideReadOnlyCaret);
  EXPECT_TRUE(e.ed->CaretRect().isEmpty());
}

TEST(EditorCaret, TheMenuKeyAsksForTheContextMenuAtTheCaret) {
  Editor e;
  e.para({"one"});
  e.open(0, 3);
  QPoint asked(-1, -1);
  e.ed->OnContextPopup = [&](TCustomRichVista *, int X, int Y) { asked = QPoint(X, Y); };
  QContextMenuEvent ev(QContextMenuEvent::Keyboard, QPoint(0, 0), e.ed->mapToGlobal(QPoint(0, 0)));
  QApplication::sendEvent(e.ed.get(), &ev);
  EXPECT_EQ(asked, e.ed->CaretRect().bottomLeft());
}

TEST(EditorCaret, AClickPlacesTheCaretAndFocuses) {
  Fixture f(kTwoParas);
  f.e.open(0, 1);
  f.e.ed->clearFocus();
  QTest::mouseClick(f.e.ed.get(), Qt::LeftButton, {}, QPoint(31, 15));
  EXPECT_TRUE(f.e.ed->hasFocus());
  EXPECT_EQ(f.e.caretPos(), "1 3");
  EXPECT_EQ(f.e.selection(), "");
  Press(f.e.ed.get(), "'X'");
  EXPECT_EQ(f.e.text(), "one two|thrXee four");
}

TEST(EditorCaret, CaretItemAndOffset) {
  Fixture f(kTwoParas);
  f.e.open(1, 3);
  EXPECT_EQ(f.e.ed->GetCaretItemNo(), 1);
  EXPECT_EQ(f.e.ed->GetCaretOffset(), 3);
  EXPECT_EQ(f.e.ed->GetCurrentItem(), f.e.doc().GetItem(1));
}

TEST(EditorCaret, StyleEventsFollowTheCaret) {
  Editor e;
  e.sheet.TextStyles().Add()->Style = fsBold;
  e.sheet.ParaStyles().Add();
  const int bold = e.sheet.TextStyles().Count() - 1, para = e.sheet.ParaStyles().Count() - 1;
  e.para({"plain"});
  e.para({"bold"}, para, bold);
  e.open(0, 2);
  std::vector<std::string> events;
  e.ed->OnCurTextStyleChanged = [&](TCustomRichVistaEdit *) { events.push_back("text"); };
  e.ed->OnCurParaStyleChanged = [&](TCustomRichVistaEdit *) { events.push_back("para"); };
  e.caret(1, 2);
  EXPECT_EQ(e.ed->CurTextStyleNo(), bold);
  EXPECT_EQ(e.ed->CurParaStyleNo(), para);
  EXPECT_EQ(events, (std::vector<std::string>{"text", "para"}));
  events.clear();
  e.caret(1, 3);
  EXPECT_TRUE(events.empty()) << "nothing changed";
  e.ed->SetCurTextStyleNo(0);
  EXPECT_EQ(events, (std::vector<std::string>{"text"}));
  EXPECT_EQ(e.ed->CurTextStyleNo(), 0);
}

} // namespace
