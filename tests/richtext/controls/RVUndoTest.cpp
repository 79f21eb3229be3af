// The undo and redo lists: what each action records and how undo gives it
// back; typing records that grow as the user types; limits, group mode and
// the list errors.
#include <gtest/gtest.h>

#include "EditFixture.h"

using namespace kc;
using kctest::EditDoc;

namespace {

struct ActionCase {
  const char *name;
  std::vector<std::string> paras; // one text item each
  int caretItem, caretOffs;
  const char *script;
  const char *after;
  uint8_t action;
  const char *afterUndo;
};

class UndoActions : public ::testing::TestWithParam<ActionCase> {};

TEST_P(UndoActions, RecordTheKindAndUndoGivesTheTextBack) {
  const ActionCase &c = GetParam();
  EditDoc e;
  for (const auto &p : c.paras) e.para({p});
  e.format();
  e.caret(c.caretItem, c.caretOffs);
  ASSERT_EQ(e.run(c.script), "");
  EXPECT_EQ(e.text(), c.after);
  EXPECT_EQ(e.doc->UndoList->CurrentAction(), c.action);
  e.doc->Undo();
  EXPECT_EQ(e.text(), c.afterUndo);
  EXPECT_EQ(e.beeps, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UndoActions,
    ::testing::Values(ActionCase{"typing", {"ab"}, 0, 3, "type xy", "abxy", rvutTyping, "abx"},
                      ActionCase{"enter", {"abcd"}, 0, 3, "enter", "ab|cd", rvutMiscTyping, "abcd"},
                      ActionCase{"shiftEnter", {"abcd"}, 0, 3, "shift-enter", "ab|cd", rvutMiscTyping, "abcd"},
                      ActionCase{"backspace", {"abcd"}, 0, 3, "backspace", "acd", rvutDelete, "abcd"},
                      ActionCase{"backspaceJoin", {"ab", "cd"}, 1, 1, "backspace", "abcd", rvutDelete, "ab|cd"},
                      ActionCase{"delete", {"abcd"}, 0, 2, "delete", "acd", rvutDelete, "abcd"},
                      ActionCase{"deleteJoin", {"ab", "cd"}, 0, 3, "delete", "abcd", rvutDelete, "ab|cd"},
                      ActionCase{"selection", {"abcd", "ef"}, 0, 2, "select-right 4\ndelete", "aef", rvutDelete,
                                 "abcd|ef"},
                      ActionCase{"typingOverSelection", {"abcd"}, 0, 2, "select-right 2\ntype X", "aXd", rvutTyping,
                                 "ad"},
                      ActionCase{"itemInsertion", {"abcd"}, 0, 3, "break", "ab|\xEF\xBF\xBC|cd", rvutInsert, "abcd"},
                      ActionCase{"paragraphStyle", {"ab"}, 0, 2, "para 1", "ab", rvutPara, "ab"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(UndoList, OneUndoOfTypingTakesBackOneCharacterAndRedoPutsThemBack) {
  EditDoc e;
  e.para({""});
  e.format();
  e.run("type abc");
  ASSERT_EQ(e.doc->UndoList->Count(), 1);
  e.doc->Undo();
  EXPECT_EQ(e.text(), "ab");
  EXPECT_EQ(e.caretPos(), "0 2");
  e.doc->Undo();
  e.doc->Undo();
  EXPECT_EQ(e.text(), "");
  EXPECT_EQ(e.doc->UndoList->Count(), 0) << "a typing group with nothing left goes";
  for (int i = 0; i < 3; ++i) e.doc->Redo();
  EXPECT_EQ(e.text(), "abc");
  EXPECT_EQ(e.caretPos(), "0 3");
  EXPECT_EQ(e.doc->RedoList->Count(), 0);
}

TEST(UndoList, TypingElsewhereInTheItemStartsAnotherGroup) {
  EditDoc e;
  e.para({"hello"});
  e.format();
  e.caret(0, 6);
  e.run("type ab\nleft 4\ntype X");
  EXPECT_EQ(e.text(), "helXloab");
  EXPECT_EQ(e.doc->UndoList->Count(), 2);
  e.doc->Undo();
  EXPECT_EQ(e.text(), "helloab");
}

TEST(UndoList, TenThousandTypedCharactersAreOneGroupOfOneRecord) {
  EditDoc e;
  e.para({""});
  e.format();
  for (int i = 0; i < 10000; ++i) e.doc->InsertTypedText(u"x");
  ASSERT_EQ(e.doc->UndoList->Count(), 1);
  EXPECT_EQ(e.doc->UndoList->Groups(0)->Count(), 1);
  EXPECT_EQ(static_cast<TRVUndoTypingInfo *>(e.doc->UndoList->Groups(0)->Records[0].get())->Length, 10000);
}

// Performing a group consumes its records: the next undo goes further back
// instead of doing the same again.
TEST(UndoList, AnUndoneActionIsNotUndoneTwice) {
  EditDoc e;
  e.para({"ab"});
  e.format();
  e.caret(0, 3);
  e.run("enter\ntype c");
  ASSERT_EQ(e.text(), "ab|c");
  e.doc->Undo(); // the c
  e.doc->Undo(); // the Enter
  EXPECT_EQ(e.text(), "ab");
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
  EXPECT_FALSE(e.doc->Undo());
  EXPECT_EQ(e.text(), "ab");
  EXPECT_EQ(e.beeps, 1);
}

TEST(UndoList, LimitZeroRecordsNothing) {
  EditDoc e;
  e.para({"ab"});
  e.format();
  e.doc->UndoList->Limit = 0;
  e.caret(0, 3);
  e.run("type c\nenter\nbackspace");
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
  EXPECT_EQ(e.doc->UndoList->CurrentAction(), rvutNone);
  EXPECT_FALSE(e.doc->Undo());
  EXPECT_EQ(e.text(), "abc");
}

TEST(UndoList, ALimitDropsTheOldestGroupWhenANewOneOpens) {
  EditDoc e;
  e.para({"abcdef"});
  e.format();
  e.doc->UndoList->Limit = 3;
  e.caret(0, 7);
  e.run("backspace\nbackspace\nbackspace\nbackspace");
  EXPECT_EQ(e.doc->UndoList->Count(), 3);
  e.run("undo\nundo\nundo\nundo");
  EXPECT_EQ(e.text(), "abcde") << "the first deletion cannot be undone";
  // A lower limit drops nothing until a group opens.
  e.run("redo\nredo");
  e.doc->UndoList->Limit = 1;
  EXPECT_EQ(e.doc->UndoList->Count(), 2);
}

TEST(UndoList, GroupModeJoinsActionsIntoOneGroup) {
  EditDoc e;
  e.para({"abcd"});
  e.format();
  e.caret(0, 3);
  e.doc->SetUndoGroupMode(true);
  e.run("break\npara 0\nbackspace");
  e.doc->SetUndoGroupMode(false);
  EXPECT_EQ(e.doc->UndoList->Count(), 1);
  e.doc->Undo();
  EXPECT_EQ(e.text(), "abcd");
}

TEST(UndoList, AnEmptyGroupGivesWayToTheNextWithItsCaptionAndCaret) {
  EditDoc e;
  e.para({"abcd"});
  e.format();
  e.caret(0, 2);
  e.doc->BeginNamedUndoSequence(rvutInsert, "first", true);
  e.caret(0, 4);
  e.run("backspace");
  ASSERT_EQ(e.doc->UndoList->Count(), 1);
  const TRVUndoInfos *g = e.doc->UndoList->Groups(0);
  EXPECT_EQ(g->UndoType, rvutDelete);
  EXPECT_EQ(g->Caption, "first");
  EXPECT_EQ(g->CaretOffs, 2);
}

TEST(UndoList, ANewEditEmptiesTheRedoList) {
  EditDoc e;
  e.para({"ab"});
  e.format();
  e.caret(0, 3);
  e.run("backspace\nundo\ntype x");
  EXPECT_EQ(e.doc->RedoList->Count(), 0);
  EXPECT_FALSE(e.doc->Redo());
  EXPECT_EQ(e.text(), "abx");
}

TEST(UndoList, MisuseRaisesTheListErrors) {
  EditDoc e;
  e.para({"ab"});
  e.format();
  TRVUndoList &list = *e.doc->UndoList;
  try {
    list.AddUndoRecord(std::make_unique<TRVUndoTagInfo>());
    FAIL();
  } catch (const ERichVistaError &x) {
    EXPECT_STREQ(x.what(), "Can't modify empty undo list");
  }
  list.AddTypingUndo(0, 1, false);
  try {
    list.AddUndoRecord(std::make_unique<TRVUndoTagInfo>());
    FAIL();
  } catch (const ERichVistaError &x) {
    EXPECT_STREQ(x.what(), "Incorrect adding into undo list");
  }
  try {
    e.doc->RedoList->PerformRedo(*e.doc);
    FAIL();
  } catch (const ERichVistaError &x) {
    EXPECT_STREQ(x.what(), "Undo buffer is empty");
  }
  EXPECT_EQ(list.Count(), 1);
}

} // namespace
