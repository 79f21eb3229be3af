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
    ::testing::Values(
        ActionCase{"typing", {"ab"}, 0, 3, "type xy", "abxy", rvutTyping, "abx"},
        ActionCase{"enter", {"abcd"}, 0, 3, "enter", "ab|cd", rvutMiscTyping, "abcd"},
        ActionCase{"shiftEnter", {"abcd"}, 0, 3, "shift-enter", "ab|cd", rvutMiscTyping, "abcd"},
        ActionCase{"backspace", {"abcd"}, 0, 3, "backspace", "acd", rvutDelete, "abcd"},
        ActionCase{"backspaceJoin", {"ab", "cd"}, 1, 1, "backspace", "abcd", rvutDelete, "ab|cd"},
        ActionCase{"delete", {"abcd"}, 0, 2, "delete", "acd", rvutDelete, "abcd"},
        ActionCase{"deleteJoin", {"ab", "cd"}, 0, 3, "delete", "abcd", rvutDelete, "ab|cd"},
        ActionCase{"selection", {"abcd", "ef"}, 0, 2, "select-right 4\ndelete", "aef", rvutDelete, "abcd|ef"},
        ActionCase{"typingOverSelection", {"abcd"}, 0, 2, "select-right 2\ntype X", "aXd", rvutTyping, "ad"},
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
  // A lower limit drops nothing, also when a group opens: only a list of
  // exactly the limit loses its oldest group.
  e.run("redo\nredo");
  e.doc->UndoList->Limit = 1;
  EXPECT_EQ(e.doc->UndoList->Count(), 2);
  e.run("backspace");
  EXPECT_EQ(e.doc->UndoList->Count(), 3);
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

// Characters typed while group mode holds other records go into that group
// one record each; undoing the group takes them with the rest, and redo
// puts everything back.
TEST(UndoList, TypingInGroupModeIsUndoneAndRedoneWithItsGroup) {
  EditDoc e;
  e.para({"abcd"});
  e.format();
  const std::string start = e.rvf();
  e.caret(0, 3);
  e.doc->SetUndoGroupMode(true);
  e.run("backspace\ntype xy\ntype z");
  e.doc->SetUndoGroupMode(false);
  ASSERT_EQ(e.text(), "axyzcd");
  ASSERT_EQ(e.doc->UndoList->Count(), 1);
  const std::string end = e.rvf();
  EXPECT_TRUE(e.doc->Undo());
  EXPECT_EQ(e.rvf(), start);
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
  EXPECT_TRUE(e.doc->Redo());
  EXPECT_EQ(e.rvf(), end);
  EXPECT_EQ(e.doc->RedoList->Count(), 0);
  EXPECT_TRUE(e.doc->Undo());
  EXPECT_EQ(e.rvf(), start);
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

TEST(UndoList, AReadyGroupIsAppendedWithItsRecordsPointedAtTheList) {
  EditDoc e;
  e.para({"ab"});
  e.format();
  auto g = std::make_unique<TRVUndoInfos>();
  g->UndoType = rvutModifyItem;
  g->CaretItemNo = 0;
  g->CaretOffs = 1;
  auto rec = std::make_unique<TRVUndoChangeTextInfo>();
  rec->ItemNo = 0;
  rec->Text = "old";
  g->Records.push_back(std::move(rec));
  e.doc->UndoList->AppendGroup(std::move(g));
  EXPECT_EQ(e.doc->UndoList->LastGroup()->Records[0]->List, e.doc->UndoList.get());
  EXPECT_TRUE(e.doc->Undo());
  EXPECT_EQ(e.text(), "old");
  EXPECT_TRUE(e.doc->Redo());
  EXPECT_EQ(e.text(), "ab");
}

// A paragraph style given to a range whose items all had one style is
// recorded as that one number, whatever the range's length.
TEST(UndoList, AUniformParagraphRangeIsOneNumber) {
  EditDoc e;
  e.style.ParaStyles().Add();
  e.para(std::vector<std::string>(200, "ab"));
  e.format();
  e.caret(0, 1);
  e.doc->ApplyParaStyle(e.style.ParaStyles().Count() - 1);
  auto *rec = dynamic_cast<TRVUndoParaInfo *>(e.doc->UndoList->LastGroup()->Records[0].get());
  ASSERT_NE(rec, nullptr);
  EXPECT_EQ(rec->Count, 200);
  e.doc->Undo();
  for (int i = 0; i < 200; ++i) ASSERT_EQ(e.doc->GetItemPara(i), 0) << i;
}

// --------------------------------------------------------- item properties

struct PropDoc : EditDoc {
  PropDoc() {
    para({"ab"});
    doc->Items.Add("", std::make_unique<TRVBreakItemInfo>(doc.get(), clNone, 0, 1));
    para({"cd"});
    format();
  }
  int prop(const char *Name) const {
    int v = -1;
    doc->GetItem(1)->GetIntPropertyByName(Name, v);
    return v;
  }
};

TEST(PropertyRecords, OnePropertyByNameIsUndoneAndRedone) {
  PropDoc e;
  const std::string start = e.rvf();
  e.doc->BeginUndoSequence(rvutModifyItem, true);
  EXPECT_TRUE(e.doc->SetItemIntPropertyUndoable(1, nullptr, "LineWidth", 9));
  EXPECT_FALSE(e.doc->SetItemIntPropertyUndoable(1, nullptr, "LineWidth", 9)) << "no change, no record";
  EXPECT_FALSE(e.doc->SetItemIntPropertyUndoable(1, nullptr, "NoSuchProperty", 1));
  e.doc->ReformatAfterEdit();
  e.doc->FinishEditing(true);
  EXPECT_EQ(e.prop("LineWidth"), 9);
  ASSERT_EQ(e.doc->UndoList->LastGroup()->Count(), 1);
  EXPECT_NE(dynamic_cast<TRVUndoModifyItemIntProperty *>(e.doc->UndoList->LastGroup()->Records[0].get()), nullptr);
  const std::string end = e.rvf();
  ASSERT_NE(end, start);
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), start);
  e.doc->Redo();
  EXPECT_EQ(e.rvf(), end);
}

TEST(PropertyRecords, SeveralPropertiesAreOneRecordOfThoseThatChanged) {
  PropDoc e;
  const std::string start = e.rvf();
  e.doc->BeginUndoSequence(rvutModifyItem, true);
  EXPECT_TRUE(e.doc->SetItemIntPropertiesUndoable(1, nullptr, {"LineWidth", "BreakStyle", "Color", "Bogus"},
                                                  {1, 2, 0x123456, 7}));
  e.doc->ReformatAfterEdit();
  e.doc->FinishEditing(true);
  auto *rec = dynamic_cast<TRVUndoModifyItemIntProperties *>(e.doc->UndoList->LastGroup()->Records[0].get());
  ASSERT_NE(rec, nullptr);
  EXPECT_EQ(rec->PropNames, (std::vector<std::string>{"BreakStyle", "Color"})) << "the line width was 1 already";
  EXPECT_EQ(e.prop("BreakStyle"), 2);
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), start);
  EXPECT_EQ(e.prop("BreakStyle"), 0);
}

TEST(PropertyRecords, AStepThatChangesNothingLeavesNoGroup) {
  PropDoc e;
  EXPECT_FALSE(e.doc->ModifyItemIntProperties(1, {"LineWidth", "Bogus"}, {1, 3}));
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
  EXPECT_FALSE(e.doc->ModifyItemIntProperties(1, {"BreakStyle"}, {-4})) << "stored as 0, which it is";
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
  EXPECT_TRUE(e.doc->ModifyItemIntProperties(1, {"BreakStyle"}, {1}));
  ASSERT_EQ(e.doc->UndoList->Count(), 1);
  EXPECT_EQ(e.doc->UndoList->CurrentAction(), rvutModifyItem);
  EXPECT_EQ(e.doc->UndoList->LastGroup()->Count(), 3) << "the change between its two terminators";
}

// Terminators bracket a run of property records; undoing the run records
// its reverse bracketed the same way, so that redo sees a well-formed run.
TEST(PropertyRecords, TerminatorsComeBackReversed) {
  PropDoc e;
  const std::string start = e.rvf();
  e.doc->BeginUndoSequence(rvutModifyItem, true);
  e.doc->AddModifyItemTerminator(1, true);
  e.doc->SetItemIntPropertyUndoable(1, nullptr, "LineWidth", 5);
  e.doc->SetItemIntPropertyUndoable(1, nullptr, "BreakStyle", 1);
  e.doc->AddModifyItemTerminator(1, false);
  e.doc->ReformatAfterEdit();
  e.doc->FinishEditing(true);
  const std::string end = e.rvf();
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), start);
  const TRVUndoInfos *g = e.doc->RedoList->LastGroup();
  ASSERT_EQ(g->Count(), 4);
  auto *first = dynamic_cast<TRVUndoModifyItemTerminator *>(g->Records[0].get());
  auto *last = dynamic_cast<TRVUndoModifyItemTerminator *>(g->Records[3].get());
  ASSERT_TRUE(first && last);
  EXPECT_TRUE(first->Opening);
  EXPECT_FALSE(last->Opening);
  EXPECT_EQ(first->Action, rvuaModifyTerminator);
  e.doc->Redo();
  EXPECT_EQ(e.rvf(), end);
}

// ------------------------------------------------------ nested editors

struct NestedDocs {
  EditDoc inner, outer;
  kctest::TNestingEditData *doc;
  NestedDocs() {
    outer.doc = std::make_unique<kctest::TNestingEditData>(outer.host.get());
    doc = static_cast<kctest::TNestingEditData *>(outer.doc.get());
    doc->Nested = inner.doc.get();
    doc->NestedOwner = 0;
    inner.para({"in"});
    inner.format();
    outer.para({"out"});
    outer.format();
  }
  std::string both() { return outer.rvf() + "/" + inner.rvf(); }
};

TEST(NestedUndo, TheNestedHistoryFoldsIntoOneRecordUndoneAGroupAtATime) {
  NestedDocs n;
  const std::string start = n.both();
  n.inner.caret(0, 3);
  n.inner.run("type ab\nenter");
  ASSERT_EQ(n.inner.text(), "inab|");
  ASSERT_EQ(n.inner.doc->UndoList->Count(), 2);
  n.inner.doc->UndoList->Limit = 5;
  n.outer.caret(0, 4);
  n.outer.run("backspace");
  // The nested editor's groups went into one group of kind 13 before the
  // backspace opened its own.
  ASSERT_EQ(n.doc->UndoList->Count(), 2);
  EXPECT_EQ(n.doc->UndoList->Groups(0)->UndoType, rvutModifyItem);
  EXPECT_NE(dynamic_cast<TRVCompositeUndo *>(n.doc->UndoList->Groups(0)->Records[0].get()), nullptr);
  EXPECT_EQ(n.inner.doc->UndoList->Count(), 0);
  EXPECT_EQ(n.inner.doc->UndoList->Limit, 5) << "fresh lists keep the limit";
  const std::string end = n.both();

  n.doc->Undo(); // the backspace
  EXPECT_EQ(n.outer.text(), "out");
  n.doc->Undo(); // the Enter in the nested editor
  EXPECT_EQ(n.inner.text(), "inab");
  EXPECT_EQ(n.doc->UndoList->Count(), 1) << "the record stays while its history holds groups";
  n.doc->Undo(); // one typed character at a time
  EXPECT_EQ(n.inner.text(), "ina");
  n.doc->Undo();
  EXPECT_EQ(n.both(), start);
  EXPECT_EQ(n.doc->UndoList->Count(), 0) << "a used-up history goes with its group";
  EXPECT_FALSE(n.doc->Undo());

  int redos = 0;
  while (n.doc->RedoList->Count() > 0 && redos < 20) {
    n.doc->Redo();
    ++redos;
  }
  EXPECT_EQ(n.both(), end);
  while (n.doc->UndoList->Count() > 0 && redos < 40) {
    n.doc->Undo();
    ++redos;
  }
  EXPECT_EQ(n.both(), start);
}

TEST(NestedUndo, TheNestedRedoListFoldsIntoTheRedoList) {
  NestedDocs n;
  n.inner.caret(0, 3);
  n.inner.run("enter\nundo");
  ASSERT_EQ(n.inner.doc->RedoList->Count(), 1);
  n.doc->FoldNestedUndo();
  ASSERT_EQ(n.doc->RedoList->Count(), 1);
  EXPECT_EQ(n.doc->UndoList->Count(), 0) << "an empty nested list adds nothing";
  EXPECT_EQ(n.inner.doc->RedoList->Count(), 0);
  n.doc->Redo();
  EXPECT_EQ(n.inner.text(), "in|");
  n.doc->Undo();
  EXPECT_EQ(n.inner.text(), "in");
}

TEST(NestedUndo, AnEmptyNestedHistoryOnlyDropsAnEmptyLastGroup) {
  NestedDocs n;
  n.doc->BeginUndoSequence(rvutInsert, false);
  ASSERT_EQ(n.doc->UndoList->Count(), 1);
  n.doc->FoldNestedUndo();
  EXPECT_EQ(n.doc->UndoList->Count(), 0);
}

} // namespace
