// The editor document: the caret and its stops, the primitives' own rules,
// deleting the selection with its protection, Enter, Backspace and Delete,
// paragraph styles and the placement of inserted items. Refusals beep and
// leave the document and its undo list as they were.
#include <gtest/gtest.h>

#include "EditFixture.h"

using namespace kc;
using kctest::EditDoc;

namespace {

// ------------------------------------------------------------------ caret

TEST(Caret, IsAtMostAThousandPixelsHigh) {
  EditDoc e(200, 10, 1990);
  e.para({"ab"});
  e.format();
  e.caret(0, 2);
  EXPECT_GT(e.doc->DrawLines.Items(0)->Height, 1900);
  EXPECT_EQ(e.doc->CaretHeight, 1000);
}

TEST(Caret, NeverRestsOnAListMarker) {
  EditDoc e;
  e.listPara("ab");
  e.format();
  e.caret(0, 0);
  int item, offs;
  ASSERT_TRUE(e.doc->GetCaretItemPos(item, offs));
  EXPECT_EQ(item, 1);
  EXPECT_EQ(offs, 1);
  e.run("left");
  ASSERT_TRUE(e.doc->GetCaretItemPos(item, offs));
  EXPECT_EQ(item, 1);
}

TEST(Caret, TwoItemsOnALineShareOneStopAtTheirBoundary) {
  EditDoc e;
  e.para({"ab", "cd"});
  e.format();
  e.caret(1, 2);
  ASSERT_EQ(e.doc->CharEnds.size(), 5u);
  for (size_t i = 0; i < e.doc->CharEnds.size(); ++i) EXPECT_EQ(e.doc->CharEnds[i].X, int(i) * 10) << i;
  // The start of the second item is the end of the first.
  e.caret(1, 1);
  EXPECT_EQ(e.doc->CaretOffs, 2);
  EXPECT_EQ(e.doc->CharEnds[2].DrawItemNo, 0);
}

// A position kept across a reformat that does not fit the lines is mended
// once, never raised again from every paint and focus change.
TEST(Caret, AnInvalidStoredPositionIsClamped) {
  EditDoc e;
  e.para({"abc"});
  e.para({"de"});
  e.format();
  e.caret(1, 2);
  e.doc->CaretOffs = 99;
  EXPECT_FALSE(e.doc->ClampCaret());
  EXPECT_TRUE(e.doc->ClampCaret());
  EXPECT_EQ(e.caretPos(), "0 0");
  e.doc->CaretOffs = -5;
  EXPECT_DEBUG_DEATH(e.doc->PlaceCaret(false, false, false, false), "Invalid caret position");
}

TEST(Caret, IsScrolledIntoViewWithAMargin) {
  EditDoc e(200);
  for (int i = 0; i < 30; ++i) e.para({"line"});
  e.format();
  e.host->SetVSmallStep(1);
  e.caret(29, 5);
  const int top = e.doc->DrawLines.Items(29)->Top;
  EXPECT_EQ(e.host->VScrollPos(), top + 10 + 1 + 5 - 100);
  e.caret(0, 1);
  EXPECT_EQ(e.host->VScrollPos(), 0);
}

TEST(Caret, MovesByCharacterAcrossParagraphEnds) {
  EditDoc e;
  e.para({"ab", "cd"});
  e.para({"ef"});
  e.format();
  e.caret(0, 1);
  EXPECT_EQ(e.run("right 4\ndump"), "abcd\nef\ncaret 0 4\n");
  EXPECT_EQ(e.run("right\ndump"), "abcd\nef\ncaret 1 0\n");
  EXPECT_EQ(e.run("left 2\ndump"), "abcd\nef\ncaret 0 3\n");
  EXPECT_EQ(e.run("end\ndump"), "abcd\nef\ncaret 0 4\n");
  EXPECT_EQ(e.run("home\ndump"), "abcd\nef\ncaret 0 0\n");
}

// -------------------------------------------------------------- primitives

TEST(Primitives, ADeletedItemLivesInItsRecordAndComesBackOnUndo) {
  EditDoc e;
  e.para({"ab"});
  e.para({"cd"});
  e.format();
  TCustomRVItemInfo *second = e.doc->GetItem(1);
  e.doc->BeginUndoSequence(rvutDelete, true);
  e.doc->Do_DeleteItem(1);
  e.doc->ReformatAfterEdit();
  e.doc->FinishEditing(true);
  auto *rec = dynamic_cast<TRVUndoDeleteItemInfo *>(e.doc->UndoList->LastGroup()->Records[0].get());
  ASSERT_NE(rec, nullptr);
  EXPECT_EQ(rec->Item.get(), second);
  e.doc->Undo();
  ASSERT_EQ(e.doc->GetItemCount(), 2);
  EXPECT_EQ(e.doc->GetItem(1), second);
  EXPECT_EQ(e.text(), "ab|cd");
}

TEST(Primitives, APageBreakAfterAListMarkerGoesOnTheMarker) {
  EditDoc e;
  e.para({"ab"});
  e.listPara("cd");
  e.format();
  e.doc->BeginUndoSequence(rvutPara, true);
  e.doc->Do_PageBreak(2, true);
  EXPECT_TRUE(e.doc->GetItem(1)->GetPageBreakBefore());
  EXPECT_FALSE(e.doc->GetItem(2)->GetPageBreakBefore());
  EXPECT_TRUE(e.doc->GetItem(2)->GetContinuePara());
}

TEST(Primitives, AProtectedParagraphKeepsItsStyle) {
  EditDoc e;
  TParaInfo *prot = e.style.ParaStyles().Add();
  prot->Options.Include(rvpaoStyleProtect);
  const int protNo = e.style.ParaStyles().Count() - 1;
  e.para({"ab", "cd"}, protNo);
  e.para({"ef"});
  e.format();
  e.doc->BeginUndoSequence(rvutPara, true);
  e.doc->Do_Para(0, 2, 1);
  EXPECT_EQ(e.doc->GetItemPara(0), protNo);
  EXPECT_EQ(e.doc->GetItemPara(1), protNo);
  EXPECT_EQ(e.doc->GetItemPara(2), 1);
}

TEST(Primitives, EmptyOrMisdirectedSubstringInsertion) {
  EditDoc e;
  e.para({"ab"});
  e.doc->Items.Add("", std::make_unique<TRVBreakItemInfo>(e.doc.get(), clNone, 0, 1));
  e.format();
  e.doc->BeginUndoSequence(rvutInsert, true);
  e.doc->Do_InsertSubstring(0, 1, "");
  EXPECT_EQ(e.doc->UndoList->LastGroup()->Count(), 0);
  for (int item : {1, 7}) {
    try {
      e.doc->Do_InsertSubstring(item, 1, "x");
      FAIL() << item;
    } catch (const std::runtime_error &x) {
      EXPECT_STREQ(x.what(), "Undo error");
    }
  }
  EXPECT_EQ(e.doc->UndoList->LastGroup()->Count(), 0);
}

TEST(Primitives, ASecondCheckpointOnAnItemIsAnError) {
  EditDoc e;
  e.para({"ab"});
  e.format();
  e.doc->BeginUndoSequence(rvutInsert, true);
  e.doc->Do_AddCP(0, std::make_unique<TRVCPInfo>());
  EXPECT_THROW(e.doc->Do_AddCP(0, std::make_unique<TRVCPInfo>()), ERichVistaError);
  e.doc->Do_DeleteCP(0);
  EXPECT_THROW(e.doc->Do_DeleteCP(0), ERichVistaError);
  EXPECT_EQ(e.doc->CPCount, 0);
  e.doc->FinishEditing(true);
  e.doc->Undo();
  EXPECT_EQ(e.doc->CPCount, 0);
  EXPECT_EQ(e.doc->GetItemCheckpoint(0), nullptr);
}

// ---------------------------------------------------------------- deletion

TEST(DeleteSelection, AnEndAtTheStartOfAnItemInsideALineLeavesItUntouched) {
  EditDoc e;
  e.style.TextStyles().Add();
  e.para({"abc"});
  e.para({"def"}, 0, e.style.TextStyles().Count() - 1);
  e.doc->GetItem(1)->SetContinuePara(true);
  e.format();
  TCustomRVItemInfo *second = e.doc->GetItem(1);
  e.select(0, 2, 1, 1);
  ASSERT_TRUE(e.doc->DeleteSelection());
  EXPECT_EQ(e.text(), "adef");
  EXPECT_EQ(e.doc->GetItemCount(), 2);
  EXPECT_EQ(e.doc->GetItem(1), second);
  EXPECT_EQ(e.doc->GetItemTextRaw(1), "def");
}

TEST(DeleteSelection, AWholeParagraphLeavesAnEmptyOneInTheCurrentStyle) {
  EditDoc e;
  e.style.TextStyles().Add();
  e.para({"ab"});
  e.para({"cd", "ef"}, 0, e.style.TextStyles().Count() - 1);
  e.para({"gh"});
  e.format();
  e.doc->CurTextStyleNo = 0;
  e.doc->SetSelectionFromItems(1, 1, 2, 3);
  ASSERT_TRUE(e.doc->DeleteSelection());
  EXPECT_EQ(e.text(), "ab||gh");
  EXPECT_EQ(e.caretPos(), "1 0");
  EXPECT_EQ(e.doc->GetItemCount(), 3);
  EXPECT_TRUE(e.doc->GetItem(1)->IsParaStart());
}

TEST(DeleteSelection, TheTwoHalvesOfAnItemStayOneItem) {
  EditDoc e;
  e.para({"abcdef"});
  e.format();
  e.select(0, 2, 0, 5);
  ASSERT_TRUE(e.doc->DeleteSelection());
  EXPECT_EQ(e.doc->GetItemCount(), 1);
  EXPECT_EQ(e.text(), "aef");
  EXPECT_EQ(e.caretPos(), "0 1");
}

struct ProtectCase {
  const char *name;
  bool modify, del;
  int a, ao, b, bo; // selection in item 1 ("cdef") between "ab" and "gh"
  bool allowed;
};

class DeleteProtection : public ::testing::TestWithParam<ProtectCase> {};

TEST_P(DeleteProtection, IsAskedBeforeAnythingChanges) {
  const ProtectCase &c = GetParam();
  EditDoc e;
  TFontInfo *f = e.style.TextStyles().Add();
  if (c.modify) f->Protection.Include(rvprModifyProtect);
  if (c.del) f->Protection.Include(rvprDeleteProtect);
  e.para({"ab"});
  e.para({"cdef"}, 0, e.style.TextStyles().Count() - 1);
  e.doc->GetItem(1)->SetContinuePara(true);
  e.para({"gh"});
  e.format();
  const std::string before = e.rvf();
  e.doc->SetSelectionFromItems(c.a, c.ao, c.b, c.bo);
  EXPECT_EQ(e.doc->DeleteSelection(), c.allowed);
  if (c.allowed) {
    EXPECT_NE(e.rvf(), before);
    EXPECT_EQ(e.beeps, 0);
  } else {
    EXPECT_EQ(e.rvf(), before);
    EXPECT_EQ(e.beeps, 1);
    EXPECT_EQ(e.doc->UndoList->Count(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, DeleteProtection,
                         ::testing::Values(ProtectCase{"modifyPart", true, false, 1, 2, 1, 4, false},
                                           ProtectCase{"modifyWhole", true, false, 0, 2, 2, 2, true},
                                           ProtectCase{"modifyAndDeleteWhole", true, true, 0, 2, 2, 2, false},
                                           ProtectCase{"deletePart", false, true, 1, 2, 1, 4, true},
                                           ProtectCase{"deleteWhole", false, true, 1, 1, 1, 5, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(DeleteSelection, AReadOnlyParagraphGoesOnlyWhole) {
  EditDoc e;
  TParaInfo *ro = e.style.ParaStyles().Add();
  ro->Options.Include(rvpaoReadOnly);
  const int roNo = e.style.ParaStyles().Count() - 1;
  e.para({"ab"});
  e.para({"cd"}, roNo);
  e.para({"ef"});
  e.format();
  const std::string before = e.rvf();
  e.doc->SetSelectionFromItems(1, 2, 2, 2);
  EXPECT_FALSE(e.doc->DeleteSelection());
  EXPECT_EQ(e.rvf(), before);
  e.doc->SetSelectionFromItems(0, 2, 1, 2);
  EXPECT_FALSE(e.doc->DeleteSelection());
  EXPECT_EQ(e.rvf(), before);
  e.doc->SetSelectionFromItems(0, 3, 2, 1);
  EXPECT_TRUE(e.doc->DeleteSelection());
  EXPECT_EQ(e.text(), "abef");
}

// ------------------------------------------------------ Enter, Backspace, Delete

struct KeyCase {
  const char *name;
  std::vector<std::string> paras;
  int item, offs;
  const char *keys;
  const char *text;
  const char *caret;
};

class Keys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(Keys, EditAsExpectedAndUndoGivesTheDocumentBack) {
  const KeyCase &c = GetParam();
  EditDoc e(80);
  for (const auto &p : c.paras) e.para({p});
  e.format();
  const std::string before = e.rvf();
  e.caret(c.item, c.offs);
  ASSERT_EQ(e.run(c.keys), "");
  EXPECT_EQ(e.text(), c.text);
  EXPECT_EQ(e.caretPos(), c.caret);
  while (e.doc->UndoList->Count() > 0) e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Keys,
    ::testing::Values(KeyCase{"enterSplits", {"abcd"}, 0, 3, "enter", "ab|cd", "1 0"},
                      KeyCase{"enterAtEnd", {"ab", "cd"}, 0, 3, "enter", "ab||cd", "1 0"},
                      KeyCase{"enterAtStart", {"ab"}, 0, 1, "enter", "|ab", "1 0"},
                      KeyCase{"backspaceAtDocumentStart", {"ab"}, 0, 1, "backspace", "ab", "0 0"},
                      KeyCase{"backspaceJoins", {"ab", "cd"}, 1, 1, "backspace", "abcd", "0 2"},
                      KeyCase{"backspaceOnEmptyParagraph", {"ab", "", "cd"}, 1, 1, "backspace", "ab|cd", "0 2"},
                      KeyCase{"ctrlBackspaceWord", {"one two"}, 0, 8, "ctrl-backspace", "one ", "0 4"},
                      KeyCase{"ctrlBackspaceWordAndSpace", {"one two"}, 0, 5, "ctrl-backspace", "two", "0 0"},
                      KeyCase{"ctrlBackspaceInsideWord", {"one twelve"}, 0, 8, "ctrl-backspace", "one lve", "0 4"},
                      KeyCase{"deleteAtDocumentEnd", {"ab"}, 0, 3, "delete", "ab", "0 2"},
                      KeyCase{"deleteJoins", {"ab", "cd"}, 0, 3, "delete", "abcd", "0 2"},
                      KeyCase{"deleteOneCharacter", {"abc"}, 0, 2, "delete", "ac", "0 1"},
                      // One line wraps inside "aaaa bbbb": the space at the
                      // wrap is the character before the second line.
                      KeyCase{"backspaceAtAWrap", {"aaaa bbbb"}, 0, 6, "backspace", "aaaabbbb", "0 4"},
                      KeyCase{"deleteAtAWrap", {"aaaa bbbb"}, 0, 5, "delete", "aaaabbbb", "0 4"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Keys, DeleteInALastEmptyItemActsAsBackspace) {
  EditDoc e;
  e.para({"ab"});
  e.para({""});
  e.format();
  e.caret(1, 1);
  EXPECT_TRUE(e.doc->OnDelPressed(false, false));
  EXPECT_EQ(e.text(), "ab");
}

TEST(Keys, EnterInAParagraphThatWantsNoReturnsBeeps) {
  EditDoc e;
  TParaInfo *p = e.style.ParaStyles().Add();
  p->Options.Include(rvpaoDoNotWantReturns);
  e.para({"abcd"}, e.style.ParaStyles().Count() - 1);
  e.format();
  const std::string before = e.rvf();
  e.caret(0, 3);
  EXPECT_FALSE(e.doc->OnEnterPress(false));
  EXPECT_EQ(e.rvf(), before);
  EXPECT_EQ(e.beeps, 1);
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
}

TEST(Keys, JoiningAReadOnlyParagraphIsRefused) {
  EditDoc e;
  TParaInfo *ro = e.style.ParaStyles().Add();
  ro->Options.Include(rvpaoReadOnly);
  e.para({"ab"}, e.style.ParaStyles().Count() - 1);
  e.para({"cd"});
  e.format();
  const std::string before = e.rvf();
  e.caret(1, 1);
  EXPECT_FALSE(e.doc->OnBackSpacePressed(false, false, false));
  EXPECT_EQ(e.rvf(), before);
  EXPECT_EQ(e.beeps, 1);
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
}

TEST(Keys, EnterAtTheStartOfAListItemMovesItsTextIntoANewItem) {
  EditDoc e;
  e.listPara("ab");
  e.format();
  e.caret(1, 1);
  ASSERT_TRUE(e.doc->OnEnterPress(false));
  ASSERT_EQ(e.doc->GetItemCount(), 4);
  EXPECT_EQ(e.doc->GetItemStyle(0), rvsListMarker);
  EXPECT_EQ(e.doc->GetItemTextRaw(1), "");
  EXPECT_EQ(e.doc->GetItemStyle(2), rvsListMarker);
  EXPECT_EQ(e.doc->GetItemTextRaw(3), "ab");
  EXPECT_EQ(e.text(), "|ab");
  EXPECT_EQ(e.caretPos(), "1 0");
}

TEST(Keys, BackspaceAtAListItemStartRemovesTheMarker) {
  EditDoc e;
  e.listPara("ab");
  e.format();
  e.caret(1, 1);
  ASSERT_TRUE(e.doc->OnBackSpacePressed(false, false, false));
  ASSERT_EQ(e.doc->GetItemCount(), 1);
  EXPECT_TRUE(e.doc->GetItem(0)->IsParaStart());
  EXPECT_EQ(e.doc->GetMarkers(false), nullptr);
}

TEST(ParaStyle, TheWholeParagraphTakesIt) {
  EditDoc e;
  e.para({"ab", "cd", "ef"});
  e.para({"gh"});
  e.format();
  e.select(1, 1, 1, 2);
  e.doc->ApplyParaStyle(1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(e.doc->GetItemPara(i), 1) << i;
  EXPECT_EQ(e.doc->GetItemPara(3), 0);
  e.doc->Undo();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(e.doc->GetItemPara(i), 0) << i;
}

// --------------------------------------------------------------- insertion

struct PlaceCase {
  const char *name;
  int item, offs; // in "abcd" + break + "" + "ef"
  const char *layout;
};

class Placement : public ::testing::TestWithParam<PlaceCase> {};

// Items by kind: t text, b break, e empty text, p picture-like bullet; a
// "|" before an item that starts a line.
std::string Layout(const TRVEditRVData &d) {
  std::string s;
  for (int i = 0; i < d.GetItemCount(); ++i) {
    if (i > 0 && d.GetItem(i)->IsFromNewLine()) s += '|';
    if (d.GetItemStyle(i) == rvsBreak) s += 'b';
    else if (!d.IsTextItem(i)) s += 'p';
    else if (d.GetItemTextRaw(i).empty()) s += 'e';
    else s += d.GetItemTextRaw(i);
    s += ' ';
  }
  return s;
}

TEST_P(Placement, FollowsTheCaretItem) {
  const PlaceCase &c = GetParam();
  EditDoc e;
  e.para({"abcd"});
  e.doc->Items.Add("", std::make_unique<TRVBreakItemInfo>(e.doc.get(), clNone, 0, 1));
  e.para({""});
  e.para({"ef"});
  e.format();
  const std::string before = e.rvf();
  e.caret(c.item, c.offs);
  auto bullet = std::make_unique<TRVBulletItemInfo>(e.doc.get());
  ASSERT_TRUE(e.doc->InsertItemAtCaret("", std::move(bullet), false));
  EXPECT_EQ(Layout(*e.doc), c.layout);
  EXPECT_EQ(e.doc->CheckDrawLines(), "");
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
}

INSTANTIATE_TEST_SUITE_P(Table, Placement,
                         ::testing::Values(PlaceCase{"textStart", 0, 1, "p abcd |b |e |ef "},
                                           PlaceCase{"textInside", 0, 3, "ab p cd |b |e |ef "},
                                           PlaceCase{"textEnd", 0, 5, "abcd p |b |e |ef "},
                                           PlaceCase{"afterBreak", 1, 1, "abcd |b |p |e |ef "},
                                           PlaceCase{"emptyGivesWay", 2, 1, "abcd |b |p |ef "}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Placement, TwoStickingItemsRefuseAnItemBetweenThem) {
  EditDoc e;
  TFontInfo *f = e.style.TextStyles().Add();
  f->Protection.Include(rvprSticking);
  e.para({"ab", "cd"}, 0, e.style.TextStyles().Count() - 1);
  e.format();
  const std::string before = e.rvf();
  e.caret(1, 1);
  EXPECT_FALSE(e.doc->InsertItemAtCaret("", std::make_unique<TRVBulletItemInfo>(e.doc.get()), false));
  EXPECT_EQ(e.rvf(), before);
  EXPECT_EQ(e.beeps, 1);
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
}

// A full-line item put before the text of a list item leaves that list
// item an empty text of its own instead of a bare marker.
TEST(Placement, AFullLineItemAfterAMarkerKeepsTheListItemsText) {
  EditDoc e;
  e.listPara("ab");
  e.para({"x"});
  e.doc->Items.Insert(1, "", std::make_unique<TRVBulletItemInfo>(e.doc.get()));
  e.doc->GetItem(1)->SetContinuePara(true);
  e.doc->GetItem(2)->SetContinuePara(true);
  e.format();
  const std::string before = e.rvf();
  e.caret(1, 0);
  ASSERT_TRUE(e.doc->InsertItemAtCaret("", std::make_unique<TRVBreakItemInfo>(e.doc.get(), clNone, 0, 1), false));
  ASSERT_EQ(e.doc->GetItemStyle(0), rvsListMarker);
  EXPECT_TRUE(e.doc->IsTextItem(1));
  EXPECT_TRUE(e.doc->GetItemTextRaw(1).empty());
  EXPECT_TRUE(e.doc->GetItem(1)->GetContinuePara());
  EXPECT_EQ(e.doc->GetItemStyle(2), rvsBreak);
  EXPECT_TRUE(e.doc->IsParaStart(3)) << "what followed starts a line below the rule";
  EXPECT_EQ(e.doc->CheckDrawLines(), "");
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
}

// An item goes in with the paragraph style the editor applies, and the
// paragraph it joins takes that style as a whole.
TEST(Placement, TheParagraphTakesTheCurrentParagraphStyleOfTheItem) {
  EditDoc e;
  e.style.ParaStyles().Add();
  const int para = e.style.ParaStyles().Count() - 1;
  e.para({"ab", "cd"});
  e.para({"ef"});
  e.format();
  const std::string before = e.rvf();
  e.caret(0, 2);
  e.doc->CurParaStyleNo = para;
  ASSERT_TRUE(e.doc->InsertItemAtCaret("", std::make_unique<TRVBulletItemInfo>(e.doc.get()), false));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(e.doc->GetItemPara(i), para) << i;
  EXPECT_EQ(e.doc->GetItemPara(4), 0);
  EXPECT_EQ(e.doc->CheckDrawLines(), "");
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
}

// ------------------------------------------------- persistent checkpoints

void AddPersistentCP(TRVEditRVData &d, int ItemNo) {
  auto cp = std::make_unique<TRVCPInfo>();
  cp->Persistent = true;
  d.Do_AddCP(ItemNo, std::move(cp));
}

TEST(Checkpoints, APersistentOneIsFoundInItsParagraphOnly) {
  EditDoc e;
  e.para({"ab", "cd", "ef"});
  e.para({"gh"});
  AddPersistentCP(*e.doc, 1);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(e.doc->ParaHasPersistentCheckpoint(i)) << i;
  EXPECT_FALSE(e.doc->ParaHasPersistentCheckpoint(3));
}

// The whole item that carried one goes: its checkpoint moves to a
// neighbour in the paragraph that holds none, never over another one.
TEST(Checkpoints, ADeletedItemsPersistentOneStaysInItsParagraph) {
  EditDoc e;
  e.style.TextStyles().Add();
  e.para({"ab"});
  e.doc->Items.Add("cd", RichVistaTextItemClass(e.doc.get()));
  e.doc->GetItem(1)->StyleNo = e.style.TextStyles().Count() - 1;
  e.doc->GetItem(1)->SetContinuePara(true);
  e.doc->Items.Add("ef", RichVistaTextItemClass(e.doc.get()));
  e.doc->GetItem(2)->SetContinuePara(true);
  AddPersistentCP(*e.doc, 1);
  AddPersistentCP(*e.doc, 2);
  e.format();
  const std::string before = e.rvf();
  e.select(1, 1, 1, 3);
  ASSERT_TRUE(e.doc->DeleteSelection());
  ASSERT_EQ(e.text(), "abef");
  EXPECT_EQ(e.doc->CPCount, 2);
  EXPECT_TRUE(e.doc->GetItemCheckpoint(0) && e.doc->GetItemCheckpoint(0)->Persistent);
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
}

TEST(Checkpoints, AnItemBackspacedAwayLeavesItsPersistentOneToItsNeighbour) {
  EditDoc e;
  e.style.TextStyles().Add();
  e.para({"a"});
  e.doc->Items.Add("bc", RichVistaTextItemClass(e.doc.get()));
  e.doc->GetItem(1)->StyleNo = e.style.TextStyles().Count() - 1;
  e.doc->GetItem(1)->SetContinuePara(true);
  AddPersistentCP(*e.doc, 0);
  e.format();
  const std::string before = e.rvf();
  e.caret(0, 2);
  e.run("backspace");
  ASSERT_EQ(e.text(), "bc");
  ASSERT_EQ(e.doc->GetItemCount(), 1);
  EXPECT_TRUE(e.doc->GetItemCheckpoint(0) && e.doc->GetItemCheckpoint(0)->Persistent);
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
}

TEST(Checkpoints, MovingOneThatCannotStayInTheParagraphFails) {
  EditDoc e;
  e.para({"ab"});
  e.para({"cd", "ef"});
  AddPersistentCP(*e.doc, 1);
  AddPersistentCP(*e.doc, 2);
  e.format();
  EXPECT_TRUE(e.doc->MovePersistentCheckpoint(0, false)) << "nothing to move";
  EXPECT_FALSE(e.doc->MovePersistentCheckpoint(1, false)) << "the next holds one, there is no previous";
  EXPECT_FALSE(e.doc->MovePersistentCheckpoint(2, true)) << "the previous holds one";
  EXPECT_EQ(e.doc->CPCount, 2);
}

// ------------------------------------------------------ typing specifics

// Text that cannot join the tagged item it is typed next to gets an item
// of its own with that item's tag.
TEST(Typing, ANewItemTakesTheTagOfTheTextItReplacesOrJoins) {
  EditDoc e;
  TFontInfo *f = e.style.TextStyles().Add();
  f->Protection.Include(rvprConcateProtect);
  const int prot = e.style.TextStyles().Count() - 1;
  e.para({"ab"}, 0, prot);
  e.doc->GetItem(0)->Tag = TRVTag(7);
  e.format();
  e.caret(0, 3);
  ASSERT_EQ(e.doc->CurTextStyleNo, prot);
  e.run("type x");
  ASSERT_EQ(e.doc->GetItemCount(), 2);
  EXPECT_EQ(e.doc->GetItemTextRaw(1), "x");
  EXPECT_EQ(e.doc->GetItemTag(1).AsInt(), 7);
}

TEST(Typing, AnEmptyParagraphTypedIntoTakesTheCurrentParagraphStyle) {
  EditDoc e;
  e.style.ParaStyles().Add();
  const int para = e.style.ParaStyles().Count() - 1;
  e.para({"ab"});
  e.para({""});
  e.format();
  const std::string before = e.rvf();
  e.caret(1, 1);
  e.doc->CurParaStyleNo = para;
  e.run("type x");
  EXPECT_EQ(e.text(), "ab|x");
  EXPECT_EQ(e.doc->GetItemPara(1), para);
  EXPECT_EQ(e.doc->GetItemPara(0), 0);
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
}

} // namespace
