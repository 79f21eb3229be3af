// Typing, text and document insertion at the caret, style conversions over
// the selection and list renumbering: the document and caret each leaves,
// draw lines equal to a whole pass, and undo giving back the exact RVF.
#include <gtest/gtest.h>

#include <QString>
#include <random>

#include "EditFixture.h"
#include "support/TempDir.h"
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "richtext/controls/RVRTFImport.h"
#include "richtext/document/RVUni.h"

using namespace kc;
using kctest::EditDoc;

namespace {

// Text styles 0 (plain), 1 (another plain one), 2 (UTF-16).
struct TextDoc : EditDoc {
  explicit TextDoc(int Width = 200) : EditDoc(Width) {
    TFontInfos &fonts = style.TextStyles();
    while (fonts.Count() > 1) fonts.Delete(fonts.Count() - 1);
    fonts.Add();
    fonts.Add()->Unicode = true;
  }
  // A text item: starts a paragraph unless Continue.
  void add(const std::string &Text, int StyleNo = 0, bool Continue = false, int ParaNo = 0) {
    auto item = RichVistaTextItemClass(doc.get());
    item->StyleNo = StyleNo;
    item->ParaNo = ParaNo;
    std::string raw = Text;
    if (style.TextStyles().Items(StyleNo)->Unicode) {
      item->ItemOptions.Include(rvioUnicode);
      const QString q = QString::fromUtf8(Text.c_str());
      raw = WideStringToRaw(std::u16string(reinterpret_cast<const char16_t *>(q.utf16()), size_t(q.size())));
    }
    if (Continue) item->SetContinuePara(true);
    doc->Items.Add(raw, std::move(item));
  }
  // Items as "text:style", " " between items of a line, " |" before a
  // paragraph, " /" before a line break; "#" a marker, "@" another item.
  std::string items() const {
    std::string s;
    for (int i = 0; i < doc->GetItemCount(); ++i) {
      const TCustomRVItemInfo *it = doc->GetItem(i);
      if (i > 0) s += it->IsParaStart() ? " |" : it->GetLineBreakBefore() ? " /" : " ";
      if (it->StyleNo == rvsListMarker) {
        s += "#";
      } else if (doc->IsTextItem(i)) {
        std::string raw = doc->GetItemTextRaw(i);
        if (!it->IsUnicode()) raw = AnsiToUnicode(1252, raw);
        const std::u16string w = RawToWideString(raw);
        s += QString::fromUtf16(w.data(), qsizetype(w.size())).toStdString() + ":" + std::to_string(it->StyleNo);
      } else {
        s += "@";
      }
    }
    return s;
  }
  void expectWholePassLines() {
    const auto [partial, whole] = partialAndWhole();
    EXPECT_EQ(partial, whole);
  }
};

// ---------------------------------------------------------------- typing

TEST(Typing, AtTheEndOfAnotherStyleGoesToTheStartOfTheNextItemOfTheCurrentStyle) {
  TextDoc e;
  e.add("ab", 1);
  e.add("cd", 0, true);
  e.format();
  e.caret(0, 3);
  e.doc->CurTextStyleNo = 0;
  ASSERT_TRUE(e.doc->InsertTypedText(u"x"));
  EXPECT_EQ(e.items(), "ab:1 xcd:0");
  EXPECT_EQ(e.caretPos(), "0 3");
}

TEST(Typing, OnAPictureMakesATextItemAfterIt) {
  TextDoc e;
  e.add("ab");
  e.doc->Items.Add("", std::make_unique<TRVBulletItemInfo>(e.doc.get()));
  e.doc->GetItem(1)->SetContinuePara(true);
  e.format();
  e.caret(1, 1);
  e.doc->CurTextStyleNo = 1;
  ASSERT_TRUE(e.doc->InsertTypedText(u"x"));
  EXPECT_EQ(e.items(), "ab:0 @ x:1");
  EXPECT_EQ(e.doc->UndoList->CurrentAction(), rvutInsert);
  e.expectWholePassLines();
}

struct ProtectCase {
  const char *name;
  TRVProtectOption option;
  int offs;
  const char *items; // empty: refused
};

class TypingProtection : public ::testing::TestWithParam<ProtectCase> {};

TEST_P(TypingProtection, DecidesBetweenTheItemANewItemAndARefusal) {
  const ProtectCase &c = GetParam();
  TextDoc e;
  e.style.TextStyles().Items(1)->Protection.Include(c.option);
  e.add("abc", 1);
  e.format();
  const std::string before = e.rvf();
  e.caret(0, c.offs);
  e.doc->CurTextStyleNo = 1;
  const bool done = e.doc->InsertTypedText(u"x");
  if (std::string(c.items).empty()) {
    EXPECT_FALSE(done);
    EXPECT_EQ(e.beeps, 1);
    EXPECT_EQ(e.rvf(), before);
    EXPECT_EQ(e.doc->UndoList->Count(), 0);
  } else {
    EXPECT_EQ(e.items(), c.items);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, TypingProtection,
                         ::testing::Values(ProtectCase{"concateInside", rvprConcateProtect, 2, "a:1 x:1 bc:1"},
                                           ProtectCase{"concateEnd", rvprConcateProtect, 4, "abc:1 x:1"},
                                           ProtectCase{"modifyInside", rvprModifyProtect, 2, ""},
                                           ProtectCase{"modifyStart", rvprModifyProtect, 1, "x:1 abc:1"},
                                           ProtectCase{"modifyEnd", rvprModifyProtect, 4, "abc:1 x:1"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Typing, IsRefusedInAReadOnlyParagraph) {
  TextDoc e;
  const int readOnly = e.style.ParaStyles().Count();
  e.style.ParaStyles().Add()->Options.Include(rvpaoReadOnly);
  e.add("ab", 0, false, readOnly);
  e.format();
  e.caret(0, 2);
  EXPECT_FALSE(e.doc->InsertTypedText(u"x"));
  EXPECT_EQ(e.items(), "ab:0");
  EXPECT_EQ(e.beeps, 1);
}

TEST(Typing, AKeyOfTheKeyboardCodePageBecomesUtf16InAUnicodeStyle) {
  const int saved = ansiCodePage();
  ASSERT_TRUE(setAnsiCodePage(1251));
  TextDoc e;
  e.add("", 2);
  e.format();
  e.caret(0, 1);
  e.doc->CurTextStyleNo = 2;
  e.doc->KeyPress('\xE0');
  EXPECT_EQ(e.items(), "\xD0\xB0:2"); // U+0430
  // An 8-bit style keeps the byte as it is.
  e.doc->CurTextStyleNo = 0;
  e.doc->KeyPress('\xE0');
  EXPECT_EQ(e.doc->GetItemTextRaw(1), "\xE0");
  setAnsiCodePage(saved);
}

TEST(Typing, AKeyOverASelectionThatMayNotGoIsRefused) {
  TextDoc e;
  e.style.TextStyles().Items(1)->Protection.Include(rvprDeleteProtect);
  e.add("ab");
  e.add("cd", 1, true);
  e.add("ef", 0, true);
  e.format();
  const std::string before = e.rvf();
  e.select(0, 2, 2, 2);
  e.doc->KeyPress('x');
  EXPECT_EQ(e.rvf(), before);
  EXPECT_EQ(e.beeps, 1);
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
}

// ------------------------------------------------------------------ text

struct TextCase {
  const char *name;
  std::vector<std::string> paras; // one text item each
  bool list;                      // the paragraphs are list items
  int item, offs;
  const char *insert; // for the edit script
  const char *text;   // paragraphs after it
  const char *caret;
};

class InsertText : public ::testing::TestWithParam<TextCase> {};

TEST_P(InsertText, GivesParagraphsAndCaretAndUndoesExactly) {
  const TextCase &c = GetParam();
  TextDoc e;
  for (const auto &p : c.paras) {
    if (c.list) e.listPara(p);
    else e.add(p);
  }
  e.format();
  e.caret(c.item, c.offs);
  const std::string before = e.rvf();
  e.run(std::string("insert ") + c.insert);
  EXPECT_EQ(e.text(), c.text);
  EXPECT_EQ(e.caretPos(), c.caret);
  EXPECT_EQ(e.doc->CheckDrawLines(), "");
  e.expectWholePassLines();
  const std::string after = e.rvf();
  ASSERT_EQ(e.doc->UndoList->CurrentAction(), rvutInsert);
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
  e.expectWholePassLines();
  e.doc->Redo();
  EXPECT_EQ(e.rvf(), after);
}

INSTANTIATE_TEST_SUITE_P(
    Table, InsertText,
    ::testing::Values(TextCase{"twoLinesAndAnEmptyOne", {""}, false, 0, 1, "a\\r\\nb\\r\\n", "a|b|", "2 0"},
                      TextCase{"intoTheMiddle", {"abcd"}, false, 0, 3, "x\\r\\ny", "abx|ycd", "1 1"},
                      TextCase{"emptyFirstLineAtAParagraphStart", {"xyz"}, false, 0, 1, "\\r\\nb", "|bxyz", "1 1"},
                      TextCase{"tabsAsSpaces", {"ab"}, false, 0, 2, "\\tx", "a        xb", "0 10"},
                      TextCase{"nulAsQuestionMark", {"ab"}, false, 0, 2, "\\0", "a?b", "0 2"},
                      TextCase{
                          "listParagraphGetsItsOwnMarker", {"abcd", "ef"}, true, 1, 3, "x\\r\\ny", "abx|ycd|ef", "1 1"},
                      TextCase{"atTheStartOfAListItem", {"abcd"}, true, 1, 1, "x\\r\\n", "x|abcd", "1 0"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(InsertText, AListLineCopiesTheMarker) {
  TextDoc e;
  e.listPara("abcd");
  e.format();
  e.caret(1, 3);
  e.run("insert x\\r\\ny");
  EXPECT_EQ(e.items(), "# abx:0 |# ycd:0");
}

TEST(InsertText, NeverSplitsAProtectedItem) {
  TextDoc e;
  e.style.TextStyles().Items(1)->Protection.Include(rvprModifyProtect);
  e.add("abcd", 1);
  e.format();
  e.caret(0, 3);
  e.doc->CurTextStyleNo = 0;
  const std::string before = e.rvf();
  e.run("insert \\r\\nx");
  e.run("insert y");
  EXPECT_EQ(e.rvf(), before);
  EXPECT_EQ(e.beeps, 2);
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
}

TEST(InsertText, CanLeaveTheCaretBeforeTheText) {
  TextDoc e;
  e.add("ab");
  e.format();
  e.caret(0, 2);
  e.doc->InsertTextW(u"xy\r\nz", true);
  EXPECT_EQ(e.text(), "axy|zb");
  EXPECT_EQ(e.caretPos(), "0 1");
}

TEST(InsertText, ConvertsToTheCurrentStylesForm) {
  TextDoc e;
  e.add("ab", 2);
  e.format();
  e.caret(0, 3);
  e.doc->CurTextStyleNo = 2;
  e.doc->InsertTextA("\xE9", false);
  EXPECT_EQ(e.items(), "ab\xC3\xA9:2");
  e.doc->CurTextStyleNo = 0;
  e.doc->InsertTextW(u"\u00E9\u0436", false);
  EXPECT_EQ(e.items(), "ab\xC3\xA9:2 \xC3\xA9?:0");
}

// Deleting the selection puts the caret, and may so change the current
// style, before the text is converted to that style's form.
TEST(InsertText, OverASelectionTakesTheFormOfTheStyleLeftAtTheCaret) {
  TextDoc e;
  e.add("ab", 2);
  e.add("cd", 1, true);
  e.format();
  e.select(1, 1, 1, 3);
  e.doc->CurTextStyleNo = 1;
  e.doc->InsertTextA("x\xE9", false);
  EXPECT_EQ(e.text(), "abx\xC3\xA9");
  for (int i = 0; i < e.doc->GetItemCount(); ++i)
    EXPECT_EQ(e.doc->GetItem(i)->IsUnicode(), e.doc->GetItemStyle(i) == 2) << i;
}

TEST(InsertText, GivesTheSavedTagToNewTextOfTheCurrentStyle) {
  TextDoc e;
  e.add("ab", 1);
  e.doc->GetItem(0)->Tag = 7;
  e.add("cd", 0, true);
  e.format();
  e.caret(0, 2);
  e.doc->CurTextStyleNo = 1;
  e.doc->SaveTagForInsertion();
  e.caret(1, 3);
  e.doc->CurTextStyleNo = 1;
  e.doc->InsertionInProgress = true;
  e.doc->InsertTextA("x", false);
  e.doc->InsertionInProgress = false;
  EXPECT_EQ(e.items(), "ab:1 cd:0 x:1");
  EXPECT_EQ(e.doc->GetItemTag(2).AsInt(), 7);
  // The next change report, outside an insertion, lets it go.
  e.doc->NotifyChange();
  EXPECT_EQ(e.doc->SavedTag.AsInt(), 0);
}

TEST(InsertText, FromAFileJoinsItsFirstLineAtTheCaret) {
  kctest::TempDir dir;
  const std::string path = (dir.path() / "t.txt").string();
  ASSERT_TRUE(WriteFileAtomically(path, "one\r\ntwo\tx\nthree\n"));
  TextDoc e;
  e.add("ab");
  e.format();
  e.caret(0, 2);
  ASSERT_TRUE(e.doc->InsertTextFromFile(path));
  EXPECT_EQ(e.text(), "aone|two        x|threeb");
  EXPECT_FALSE(e.doc->InsertTextFromFile((dir.path() / "missing.txt").string()));
  EXPECT_EQ(e.doc->UndoList->Count(), 1);
}

// ------------------------------------------------------------ documents

// RVF as a copy of text from the middle of paragraphs writes it: the first
// item continues the paragraph it goes into.
std::string RvfOf(const std::vector<std::vector<std::string>> &Paras) {
  TextDoc src;
  src.add("<");
  for (size_t k = 0; k < Paras.size(); ++k)
    for (size_t i = 0; i < Paras[k].size(); ++i) src.add(Paras[k][i], 0, k == 0 || i > 0);
  src.add(">", 0, true);
  src.format();
  const int last = src.doc->GetItemCount() - 2;
  src.doc->SetSelectionFromItems(1, 1, last, src.doc->GetItemEndOffset(last));
  src.doc->ExportingSelection = true;
  std::string s;
  SaveRvfToStream(*src.doc, s, true);
  return s;
}

struct DocCase {
  const char *name;
  std::vector<std::vector<std::string>> source;
  int item, offs;
  const char *items;
  const char *caret;
};

class InsertRvf : public ::testing::TestWithParam<DocCase> {};

TEST_P(InsertRvf, JoinsWithItsSurroundingsAndKeepsTheCaretAfterIt) {
  const DocCase &c = GetParam();
  TextDoc e;
  e.add("ad");
  e.add("ef");
  e.format();
  e.caret(c.item, c.offs);
  const std::string before = e.rvf();
  ASSERT_TRUE(e.doc->InsertRVFFromStreamAtCaret(RvfOf(c.source)));
  EXPECT_EQ(e.items(), c.items);
  EXPECT_EQ(e.caretPos(), c.caret);
  e.expectWholePassLines();
  const std::string after = e.rvf();
  ASSERT_EQ(e.doc->UndoList->CurrentAction(), rvutInsert);
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
  e.doc->Redo();
  EXPECT_EQ(e.rvf(), after);
}

INSTANTIATE_TEST_SUITE_P(Table, InsertRvf,
                         ::testing::Values(DocCase{"oneParagraphInside", {{"bc"}}, 0, 2, "abcd:0 |ef:0", "0 3"},
                                           DocCase{
                                               "twoParagraphsInside", {{"b"}, {"c"}}, 0, 2, "ab:0 |cd:0 |ef:0", "1 1"},
                                           DocCase{"atTheEnd", {{"x"}, {"y"}}, 1, 3, "ad:0 |efx:0 |y:0", "2 1"},
                                           DocCase{"atTheStart", {{"x"}}, 0, 1, "xad:0 |ef:0", "0 1"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(InsertDocument, AWholeDocumentTakesThePlaceOfAnEmptyParagraph) {
  TextDoc src;
  src.add("one");
  src.add("two", 1);
  const std::string rvf = src.rvf();
  TextDoc e;
  e.add("ab");
  e.add("");
  e.add("cd");
  e.format();
  e.caret(1, 1);
  const std::string before = e.rvf();
  ASSERT_TRUE(e.doc->InsertRVFFromStreamAtCaret(rvf));
  EXPECT_EQ(e.items(), "ab:0 |one:0 |two:1 |cd:0");
  EXPECT_EQ(e.caretPos(), "2 3");
  e.expectWholePassLines();
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
}

TEST(InsertDocument, ReplacesTheSelection) {
  const std::string rvf = RvfOf({{"x"}});
  TextDoc e;
  e.add("abcd");
  e.format();
  const std::string before = e.rvf();
  e.select(0, 2, 0, 4);
  ASSERT_TRUE(e.doc->InsertRVFFromStreamAtCaret(rvf));
  EXPECT_EQ(e.items(), "axd:0");
  EXPECT_EQ(e.caretPos(), "0 2");
  e.doc->Undo();
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
}

// A stream that cannot be read leaves the document, its lines and its undo
// history exactly as they were.
TEST(InsertDocument, BadDataChangesNothing) {
  const std::string good = RvfOf({{"p"}, {"q", "r"}});
  TextDoc e;
  e.add("ab");
  e.add("cd");
  e.format();
  e.run("type x");
  e.caret(0, 2);
  const std::string rvf = e.rvf(), lines = e.lines();
  const int groups = e.doc->UndoList->Count();
  const int styles = e.style.TextStyles().Count();
  const std::string cut = good.substr(0, good.size() - 3);
  EXPECT_FALSE(e.doc->InsertRVFFromStreamAtCaret(cut));
  EXPECT_FALSE(e.doc->InsertRVFFromStreamAtCaret("not rvf at all\n"));
  TRVRTFReaderProperties props;
  props.TextStyleMode = rvrsAddIfNeeded;
  EXPECT_FALSE(e.doc->InsertRTFFromStreamAtCaret("{\\rtf1 {\\b bold}\\'zz}", props));
  EXPECT_EQ(e.rvf(), rvf);
  EXPECT_EQ(e.lines(), lines);
  EXPECT_EQ(e.doc->UndoList->Count(), groups);
  EXPECT_EQ(e.doc->UndoList->LastGroup()->UndoType, rvutTyping);
  EXPECT_EQ(e.style.TextStyles().Count(), styles);
  EXPECT_EQ(e.beeps, 3);
}

TEST(InsertDocument, RtfContinuesTheCaretParagraph) {
  TextDoc e;
  e.add("ad");
  e.format();
  e.caret(0, 2);
  const std::string before = e.items();
  TRVRTFReaderProperties props;
  props.TextStyleMode = rvrsAddIfNeeded;
  ASSERT_TRUE(e.doc->InsertRTFFromStreamAtCaret("{\\rtf1 {\\b bold}c\\par e}", props));
  EXPECT_EQ(e.text(), "aboldc|ed");
  EXPECT_EQ(e.caretPos(), "1 1");
  e.expectWholePassLines();
  e.doc->Undo();
  EXPECT_EQ(e.items(), before);
}

// ------------------------------------------------------ style conversion

// A handler that moves style From to To.
class ConvertingDoc : public TRVEditRVData {
public:
  using TRVEditRVData::TRVEditRVData;
  int From = 0, To = 1;
  int ConvertTextStyle(int StyleNo, int, bool) override { return StyleNo == From ? To : StyleNo; }
  int ConvertParaStyle(int ParaNo, int UserData, bool) override { return ParaNo == 0 ? UserData : ParaNo; }
};

struct ConvCase {
  const char *name;
  int a, ao, b, bo; // selection anchor and end
  const char *items;
  const char *selected; // the selected text after it
};

class StyleConversion : public ::testing::TestWithParam<ConvCase> {
protected:
  TextDoc e;
  ConvertingDoc *conv = nullptr;
  void SetUp() override {
    auto d = std::make_unique<ConvertingDoc>(e.host.get());
    conv = d.get();
    e.doc = std::move(d);
  }
};

TEST_P(StyleConversion, SplitsPartlySelectedItemsAndUndoesExactly) {
  const ConvCase &c = GetParam();
  e.add("abcd");
  e.add("efgh", 0, true);
  e.doc->GetItem(1)->SetLineBreakBefore(true);
  e.doc->GetItem(0)->Tag = 5;
  e.add("ijkl");
  e.format();
  e.select(c.a, c.ao, c.b, c.bo);
  const std::string before = e.rvf();
  e.doc->ApplyStyleConversion(0);
  EXPECT_EQ(e.items(), c.items);
  int si, so, ei, eo;
  ASSERT_TRUE(e.doc->SelectionExists());
  e.doc->GetSelectionItemBoundsRaw(false, si, so, ei, eo);
  EXPECT_EQ(std::to_string(si) + ":" + std::to_string(so) + "-" + std::to_string(ei) + ":" + std::to_string(eo),
            c.selected);
  e.expectWholePassLines();
  // Every piece of the tagged item keeps the tag.
  for (int i = 0; i == 0 || !e.doc->GetItem(i)->IsFromNewLine(); ++i) EXPECT_EQ(e.doc->GetItemTag(i).AsInt(), 5) << i;
  const std::string after = e.rvf();
  ASSERT_EQ(e.doc->UndoList->CurrentAction(), rvutStyleNo);
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
  e.doc->Redo();
  EXPECT_EQ(e.rvf(), after);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StyleConversion,
    ::testing::Values(ConvCase{"whole", 0, 1, 0, 5, "abcd:1 /efgh:0 |ijkl:0", "0:1-0:5"},
                      ConvCase{"head", 0, 1, 0, 3, "ab:1 cd:0 /efgh:0 |ijkl:0", "0:1-0:3"},
                      ConvCase{"tail", 0, 3, 0, 5, "ab:0 cd:1 /efgh:0 |ijkl:0", "1:1-1:3"},
                      ConvCase{"middle", 0, 2, 0, 4, "a:0 bc:1 d:0 /efgh:0 |ijkl:0", "1:1-1:3"},
                      ConvCase{"backwards", 0, 4, 0, 2, "a:0 bc:1 d:0 /efgh:0 |ijkl:0", "1:3-1:1"},
                      ConvCase{"lineBreakHead", 1, 1, 1, 3, "abcd:0 /ef:1 gh:0 |ijkl:0", "1:1-1:3"},
                      ConvCase{"acrossItems", 0, 3, 1, 3, "ab:0 cd:1 /ef:1 gh:0 |ijkl:0", "1:1-2:3"},
                      ConvCase{"acrossParagraphs", 1, 3, 2, 2, "abcd:0 /ef:0 gh:1 |i:1 jkl:0", "2:1-3:2"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(StyleConversion, WithoutASelectionChangesOnlyTheCurrentStyle) {
  e.add("abcd");
  e.format();
  e.caret(0, 3);
  const std::string before = e.rvf();
  e.doc->ApplyStyleConversion(0);
  EXPECT_EQ(e.rvf(), before);
  EXPECT_EQ(e.doc->CurTextStyleNo, 1);
  EXPECT_EQ(e.doc->RememberedTextStyleNo, 0);
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
}

TEST_F(StyleConversion, ThatChangesNothingLeavesNothingToUndo) {
  conv->From = 2;
  e.add("abcd");
  e.format();
  e.select(0, 2, 0, 4);
  e.doc->ApplyStyleConversion(0);
  EXPECT_EQ(e.items(), "abcd:0");
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
  EXPECT_TRUE(e.doc->SelectionExists());
}

TEST_F(StyleConversion, ClearsTagsOnlyWhenAsked) {
  e.add("abcd");
  e.doc->GetItem(0)->Tag = 9;
  e.format();
  e.select(0, 2, 0, 4);
  e.doc->ApplyStyleConversion(0);
  EXPECT_EQ(e.items(), "a:0 bc:1 d:0");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(e.doc->GetItemTag(i).AsInt(), 9) << i;
  e.doc->Undo();
  e.doc->ClearTagOnStyleApp = true;
  e.select(0, 2, 0, 4);
  e.doc->ApplyStyleConversion(0);
  EXPECT_EQ(e.doc->GetItemTag(0).AsInt(), 9);
  EXPECT_EQ(e.doc->GetItemTag(1).AsInt(), 0);
  EXPECT_EQ(e.doc->GetItemTag(2).AsInt(), 9);
}

TEST_F(StyleConversion, ConvertsTextBetweenEightBitAndUtf16) {
  conv->To = 2;
  e.add("ab\xE9");
  e.format();
  const std::string before = e.rvf();
  e.select(0, 1, 0, 4);
  e.doc->ApplyStyleConversion(0);
  EXPECT_EQ(e.items(), "ab\xC3\xA9:2");
  EXPECT_TRUE(e.doc->GetItem(0)->IsUnicode());
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
  conv->From = 2;
  conv->To = 0;
  e.doc->Items.Clear();
  e.add("x\xC3\xA9\xD0\xB6", 2);
  e.format();
  e.select(0, 1, 0, 4);
  e.doc->ApplyStyleConversion(0);
  EXPECT_EQ(e.items(), "x\xC3\xA9?:0");
}

TEST_F(StyleConversion, TheFirstPieceTakesTheCheckpointAndPageBreak) {
  e.add("abcd");
  e.add("efgh");
  e.doc->GetItem(1)->SetPageBreakBefore(true);
  auto cp = std::make_unique<TRVCPInfo>();
  cp->Name = "cp";
  e.doc->Do_AddCP(1, std::move(cp));
  e.doc->ReformatAfterEdit();
  e.format();
  e.select(1, 3, 1, 5);
  const std::string before = e.rvf();
  e.doc->ApplyStyleConversion(0);
  EXPECT_EQ(e.items(), "abcd:0 |ef:0 gh:1");
  EXPECT_NE(e.doc->GetItemCheckpoint(1), nullptr);
  EXPECT_TRUE(e.doc->GetItem(1)->GetPageBreakBefore());
  e.doc->Undo();
  e.select(1, 2, 1, 4);
  e.doc->ApplyStyleConversion(0);
  EXPECT_EQ(e.items(), "abcd:0 |e:0 fg:1 h:0");
  EXPECT_NE(e.doc->GetItemCheckpoint(1), nullptr);
  EXPECT_EQ(e.doc->GetItemCheckpoint(2), nullptr);
  EXPECT_TRUE(e.doc->GetItem(1)->GetPageBreakBefore());
  EXPECT_FALSE(e.doc->GetItem(2)->GetPageBreakBefore());
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
  e.select(1, 1, 1, 3);
  e.doc->ApplyStyleConversion(0);
  EXPECT_EQ(e.items(), "abcd:0 |ef:1 gh:0");
  EXPECT_NE(e.doc->GetItemCheckpoint(1), nullptr);
  EXPECT_EQ(e.doc->GetItemCheckpoint(2), nullptr);
  EXPECT_TRUE(e.doc->GetItem(1)->GetPageBreakBefore());
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
}

TEST_F(StyleConversion, ParagraphStylesAreOneUndoableStep) {
  const int indented = e.style.ParaStyles().Count();
  e.style.ParaStyles().Add()->LeftIndent = 20;
  e.add("ab");
  e.add("cd");
  e.add("ef");
  e.format();
  const std::string before = e.rvf();
  e.select(0, 2, 1, 2);
  e.doc->ApplyParaStyleConversion(indented);
  EXPECT_EQ(e.doc->GetItemPara(0), indented);
  EXPECT_EQ(e.doc->GetItemPara(1), indented);
  EXPECT_EQ(e.doc->GetItemPara(2), 0);
  EXPECT_EQ(e.doc->UndoList->CurrentAction(), rvutPara);
  e.expectWholePassLines();
  e.doc->Undo();
  EXPECT_EQ(e.rvf(), before);
}

// ----------------------------------------------------------- style sheet

TEST(StyleSheet, CurrentStylesCountAsUsedAndFollowACleanUp) {
  TextDoc e;
  e.add("ab");
  e.format();
  e.run("type x");
  e.doc->CurTextStyleNo = 2;
  e.doc->RememberedTextStyleNo = 1;
  TRVIntegerList textUsed, paraUsed, listUsed;
  textUsed.Fill(3, 0);
  paraUsed.Fill(e.style.ParaStyles().Count(), 0);
  e.doc->MarkUsedStyles(textUsed, paraUsed, listUsed);
  EXPECT_EQ(textUsed.Values(), (std::vector<int32_t>{1, 1, 1}));
  // Style 1 goes after all; 2 becomes 1.
  textUsed.Put(1, 0);
  TRVIntegerList textShift, paraShift;
  for (int32_t v : {1, 1, 2}) textShift.Add(v);
  paraShift.Fill(paraUsed.Count(), 1);
  e.doc->StylesCleanedUp(textUsed, textShift, paraUsed, paraShift);
  EXPECT_EQ(e.doc->CurTextStyleNo, 1);
  EXPECT_EQ(e.doc->RememberedTextStyleNo, 0);
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
}

TEST(Reformat, AnItemChangedInPlaceKeepsCaretAndSelection) {
  TextDoc e(60);
  e.add("ab cd");
  e.add("ef");
  e.format();
  e.select(1, 1, 1, 2);
  const int old = e.doc->RangeMinWidth(0, 0);
  e.doc->SetItemTextRaw(0, "abcdefghij kl");
  e.doc->ReformatItemAfterChange(0, old);
  int si, so, ei, eo;
  e.doc->GetSelectionItemBoundsRaw(false, si, so, ei, eo);
  EXPECT_EQ(std::vector<int>({si, so, ei, eo}), std::vector<int>({1, 1, 1, 2}));
  e.expectWholePassLines();
}

// ------------------------------------------------------ list renumbering

// Twelve numbered list paragraphs: "9." and "10." differ in width, so a
// marker that changed its number but was not formatted again shows.
struct NumberedDoc : TextDoc {
  NumberedDoc() {
    TRVListLevel *level = style.ListStyles().Add()->Levels.Add();
    level->ListType = rvlstDecimal;
    level->FormatString = "%0:s.";
    level->LeftIndent = 12;
    for (int i = 0; i < 12; ++i) listPara("item" + std::to_string(i));
    format();
  }
  std::string numbers() const {
    std::string s;
    for (int i = 0; i < doc->GetItemCount(); ++i)
      if (doc->GetItemStyle(i) == rvsListMarker)
        s += static_cast<const TRVMarkerItemInfo *>(doc->GetItem(i))->DisplayString + " ";
    return s;
  }
};

struct RenumberCase {
  const char *name;
  int item, offs;
  const char *script;
};

class Renumbering : public ::testing::TestWithParam<RenumberCase> {};

TEST_P(Renumbering, ReformatsTheLaterMarkersAndUndoGivesBackTheNumbers) {
  const RenumberCase &c = GetParam();
  NumberedDoc e;
  const std::string numbers = e.numbers(), lines = e.lines();
  e.caret(c.item, c.offs);
  e.run(c.script);
  EXPECT_NE(e.numbers(), numbers);
  e.expectWholePassLines();
  e.run("undo");
  EXPECT_EQ(e.numbers(), numbers);
  EXPECT_EQ(e.lines(), lines);
  e.run("redo");
  e.expectWholePassLines();
}

INSTANTIATE_TEST_SUITE_P(Table, Renumbering,
                         ::testing::Values(RenumberCase{"enter", 1, 6, "enter"},
                                           RenumberCase{"backspaceRemovesAMarker", 3, 1, "backspace"},
                                           RenumberCase{"deleteJoinsTheNextItem", 1, 6, "delete"},
                                           RenumberCase{"deleteSelection", 1, 3, "select-right 8\ndelete"},
                                           RenumberCase{"insertLines", 1, 3, "insert x\\r\\ny\\r\\nz"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Renumbering, InsertedRvfWithAMarkerRenumbersTheList) {
  NumberedDoc e;
  NumberedDoc src;
  src.doc->SetSelectionFromItems(0, 0, 1, 6);
  src.doc->ExportingSelection = true;
  std::string rvf;
  SaveRvfToStream(*src.doc, rvf, true);
  const std::string numbers = e.numbers();
  e.caret(1, 6);
  e.run("enter");
  e.caret(2, 1);
  ASSERT_TRUE(e.doc->InsertRVFFromStreamAtCaret(rvf));
  EXPECT_EQ(e.doc->GetMarkers(false)->Count(), 14);
  e.expectWholePassLines();
  e.run("undo\nundo");
  EXPECT_EQ(e.numbers(), numbers);
}

// ------------------------------------------------------- random scripts

// Styles cycle 0 -> 1 -> 2 (UTF-16) -> 0; paragraph styles 0 <-> 1.
class CyclingDoc : public TRVEditRVData {
public:
  using TRVEditRVData::TRVEditRVData;
  int ConvertTextStyle(int StyleNo, int, bool) override { return StyleNo < 3 ? (StyleNo + 1) % 3 : StyleNo; }
  int ConvertParaStyle(int ParaNo, int, bool) override { return ParaNo < 2 ? 1 - ParaNo : ParaNo; }
};

class RandomInsertions {
public:
  RandomInsertions(unsigned Seed, int Width) : rng(Seed), e(Width) {
    e.doc = std::make_unique<CyclingDoc>(e.host.get());
    e.style.UseSound = false;
    TRVListLevel *level = e.style.ListStyles().Add()->Levels.Add();
    level->ListType = rvlstDecimal;
    level->FormatString = "%0:s.";
    level->LeftIndent = 12;
    e.style.ParaStyles().Items(1)->LeftIndent = 7;
  }
  std::mt19937 rng;
  TextDoc e;
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

  void build() {
    static const char *words[] = {"ab", "cd ef", "", "ghijk", "x"};
    for (int p = 0, n = 2 + pick(10); p < n; ++p) {
      if (pick(2)) e.listPara(words[pick(5)], pick(2));
      else e.add(words[pick(5)], pick(3), false, pick(2));
      for (int i = 0, k = pick(3); i < k; ++i)
        e.add(words[pick(5)], pick(3), true, e.doc->GetItemPara(e.doc->GetItemCount() - 1));
    }
  }

  std::string step() {
    switch (pick(12)) {
    case 0: {
      static const char *texts[] = {"a", "b\\r\\nc", "\\r\\n", "d\\te\\r\\n\\r\\nf", "\\0"};
      const std::string c = std::string("insert ") + texts[pick(5)];
      e.run(c);
      return c;
    }
    case 1: {
      // A copy of part of the document goes in at another place.
      const int a = pick(e.doc->GetItemCount()), b = pick(e.doc->GetItemCount());
      const int from = std::min(a, b), to = std::max(a, b);
      e.select(from, e.doc->GetOffsBeforeItem(from), to, e.doc->GetItemEndOffset(to));
      // The selection as RVF, the whole document as RVF, or the selection
      // as RTF.
      const int form = pick(3);
      std::string data;
      e.doc->ExportingSelection = form != 1;
      if (form == 2) ExportRtfToStream(*e.doc, data);
      else SaveRvfToStream(*e.doc, data, form == 0);
      e.doc->ExportingSelection = false;
      e.caret(pick(e.doc->GetItemCount()), 1);
      TRVRTFReaderProperties props;
      props.TextStyleMode = rvrsUseClosest;
      const bool ok =
          form == 2 ? e.doc->InsertRTFFromStreamAtCaret(data, props) : e.doc->InsertRVFFromStreamAtCaret(data);
      return "doc " + std::to_string(form) + " " + std::to_string(from) + "-" + std::to_string(to) +
             (ok ? "" : " refused");
    }
    case 2: {
      const int a = textPlace(), b = textPlace();
      const int ao = offsetIn(a), bo = offsetIn(b);
      e.select(a, ao, b, bo);
      e.doc->ApplyStyleConversion(0);
      return "convert " + std::to_string(a) + ":" + std::to_string(ao) + "-" + std::to_string(b) + ":" +
             std::to_string(bo);
    }
    case 3: e.doc->ApplyParaStyleConversion(0); return "para conversion";
    case 4: e.run("enter"); return "enter";
    case 5: e.run("backspace"); return "backspace";
    case 6: e.run("delete"); return "delete";
    case 7: {
      const std::string c = "select-right " + std::to_string(1 + pick(12));
      e.run(c);
      return c;
    }
    case 8: e.run("type z"); return "type z";
    case 9: e.run(pick(3) ? "undo" : "redo"); return "undo/redo";
    default: {
      const int item = textPlace();
      const int offs = offsetIn(item);
      e.caret(item, offs);
      return "caret " + std::to_string(item) + " " + std::to_string(offs);
    }
    }
  }
  // An item the caret or a selection end may stand in: never a list marker.
  int textPlace() {
    const int item = pick(e.doc->GetItemCount());
    return e.doc->GetItemStyle(item) == rvsListMarker ? item + 1 : item;
  }
  int offsetIn(int ItemNo) {
    const int before = e.doc->GetOffsBeforeItem(ItemNo);
    return before + pick(e.doc->GetItemEndOffset(ItemNo) - before + 1);
  }
};

TEST(InsertionScripts, UndoAllGivesTheStartAndRedoAllTheEndWithLinesOfAWholePass) {
  for (unsigned seed = 1; seed <= 200; ++seed) {
    RandomInsertions r(seed, 60 + int(seed * 37 % 200));
    r.build();
    r.e.format();
    const std::string start = r.e.rvf();
    std::string log;
    for (int s = 0; s < 30; ++s) {
      try {
        log += r.step() + "; ";
      } catch (const std::exception &x) {
        FAIL() << "seed " << seed << ": " << log << " threw " << x.what();
      }
      ASSERT_EQ(r.e.doc->CheckDrawLines(), "") << "seed " << seed << ": " << log;
      // Every text item holds its text in its style's form.
      for (int i = 0; i < r.e.doc->GetItemCount(); ++i) {
        if (!r.e.doc->IsTextItem(i)) continue;
        ASSERT_EQ(r.e.doc->GetItem(i)->IsUnicode(), r.e.doc->GetItemStyle(i) == 2)
            << "seed " << seed << " item " << i << ": " << log;
        ASSERT_TRUE(!r.e.doc->GetItem(i)->IsUnicode() || r.e.doc->GetItemTextRaw(i).size() % 2 == 0)
            << "seed " << seed << " item " << i << ": " << log;
      }
      const auto [partial, whole] = r.e.partialAndWhole();
      ASSERT_EQ(partial, whole) << "seed " << seed << ": " << log;
    }
    for (int i = 0; r.e.doc->RedoList->Count() > 0 && i < 100000; ++i) r.e.doc->Redo();
    const std::string end = r.e.rvf();
    for (int i = 0; r.e.doc->UndoList->Count() > 0 && i < 100000; ++i) {
      r.e.doc->Undo();
      const auto [partial, whole] = r.e.partialAndWhole();
      ASSERT_EQ(partial, whole) << "seed " << seed << " undo " << i << ": " << log;
    }
    ASSERT_EQ(r.e.rvf(), start) << "seed " << seed << ": " << log;
    for (int i = 0; r.e.doc->RedoList->Count() > 0 && i < 100000; ++i) r.e.doc->Redo();
    ASSERT_EQ(r.e.rvf(), end) << "seed " << seed << ": " << log;
  }
}

} // namespace
