// The selection of a formatted document on a fixed-pitch canvas (every
// character 10 px wide, lines 10 px high): reading and setting it, hit tests,
// words under a point, and what a mouse drag selects by characters, words,
// paragraphs and lines.
#include <gtest/gtest.h>

#include "FormatFixture.h"
#include "richtext/document/RVCtrlData.h"

using namespace kc;
using kctest::FormatDoc;

namespace {

struct SelBounds {
  int si, so, ei, eo;
  bool operator==(const SelBounds &) const = default;
};
std::ostream &operator<<(std::ostream &o, const SelBounds &b) {
  return o << "(" << b.si << "," << b.so << ")-(" << b.ei << "," << b.eo << ")";
}

SelBounds Sel(TCustomRVFormattedData &d, bool Ordered = true) {
  SelBounds b{};
  d.GetSelectionBounds(b.si, b.so, b.ei, b.eo, Ordered);
  return b;
}

// A press at the first point, moves through the others, the selection
// extended at each (document coordinates, y on the first line).
void Drag(TCustomRVFormattedData &d, std::initializer_list<int> Xs, int Y = 5) {
  auto x = Xs.begin();
  d.StartMouseSelection(*x, Y, 0);
  for (++x; x != Xs.end(); ++x) d.ExtendMouseSelection(*x, Y);
}

void AddMarker(FormatDoc &f) {
  TRVListLevel *level = f.style.ListStyles().Add()->Levels.Add();
  level->ListType = rvlstBullet;
  level->FormatString = "*";
  level->LeftIndent = 20;
  f.doc->AddItem("", std::make_unique<TRVMarkerItemInfo>(f.doc.get(), 0, 0, 1, false));
}

} // namespace

TEST(Selection, BackwardSelectionIsReportedInOrderAndKeepsItsAnchor) {
  FormatDoc f(200);
  f.para({"abcdef"});
  f.para({"ghij"});
  f.format();
  f.doc->SetSelectionBounds(1, 3, 0, 2);
  EXPECT_EQ(Sel(*f.doc), (SelBounds{0, 2, 1, 3}));
  EXPECT_EQ(Sel(*f.doc, false), (SelBounds{1, 3, 0, 2})) << "the anchor stays at the later place";
  int line = -1, offs = -1;
  f.doc->GetAnchorDrawPos(line, offs);
  EXPECT_EQ(line, 1);
  EXPECT_EQ(offs, 3);
  EXPECT_TRUE(f.doc->IsPosInSelection(0, 2)) << "both ends belong to it";
  EXPECT_TRUE(f.doc->IsPosInSelection(1, 3));
  EXPECT_FALSE(f.doc->IsPosInSelection(0, 1));
  EXPECT_FALSE(f.doc->IsPosInSelection(1, 4));
}

TEST(Selection, EqualEndsAreNoSelectionAndResetEmptyDropsThem) {
  FormatDoc f(200);
  f.para({"abcdef"});
  f.format();
  f.doc->SetSelectionBounds(0, 3, 0, 3);
  EXPECT_FALSE(f.doc->HasSelection(false));
  EXPECT_EQ(f.doc->SelStartLine, 0) << "kept without ResetEmpty";
  EXPECT_FALSE(f.doc->HasSelection(true));
  EXPECT_EQ(f.doc->SelStartLine, -1);
  EXPECT_EQ(f.doc->SelEndLine, -1);
}

TEST(Selection, AnEndOnAListMarkerMovesToTheItemAfterItOrStaysOnALastMarker) {
  struct Case {
    const char *name;
    bool textAfter;
    SelBounds set, expected;
  } cases[] = {
      {"marker before text: its text's start", true, {0, 0, 1, 2}, {1, 1, 1, 2}},
      {"marker with nothing after: clamped onto it", false, {0, 0, 0, 1}, {0, 0, 0, 1}},
      {"an end past the marker's offsets is clamped", false, {0, 5, 0, 9}, {0, 1, 0, 1}},
  };
  for (const auto &c : cases) {
    FormatDoc f(200);
    AddMarker(f);
    if (c.textAfter) {
      auto item = RichVistaTextItemClass(f.doc.get());
      item->ParaNo = -1;
      f.doc->AddItem("abc", std::move(item));
    }
    f.format();
    f.doc->SetSelectionBounds(c.set.si, c.set.so, c.set.ei, c.set.eo);
    const SelBounds got = Sel(*f.doc);
    EXPECT_EQ(got, c.expected) << c.name;
    EXPECT_LT(got.ei, f.doc->GetItemCount()) << c.name;
  }
}

TEST(Selection, ASelectionKeptAcrossAReformatThatDroppedLinesIsClamped) {
  FormatDoc f(40);
  f.para({"aaa bbb ccc ddd"}); // four lines
  f.format();
  f.doc->SetSelectionBounds(0, 1, 0, 16);
  ASSERT_EQ(f.doc->SelEndLine, 3);
  // Wider: one line; the stored draw positions now name lines that are gone.
  f.host->SetClientSize(400, 1000);
  f.doc->ReformatAllForced(true);
  ASSERT_EQ(f.doc->DrawLines.Count(), 1);
  int sl, so, el, eo;
  f.doc->GetSelectionDrawBounds(true, sl, so, el, eo);
  EXPECT_EQ(el, 0);
  EXPECT_LE(eo, f.doc->DrawLineEndOffset(0));
  EXPECT_EQ(Sel(*f.doc), (SelBounds{0, 1, 0, 16}));
  EXPECT_NE(f.doc->GetSelectedText(false), "");
}

TEST(Selection, ClearingTheSelectionLeavesTheHostsFlagsAndOptionsAlone) {
  FormatDoc f(200);
  f.para({"alpha beta"});
  f.format();
  const uint16_t flags = f.host->Flags;
  const TRVOptions options = f.host->Options;
  const uint32_t state = f.doc->State;
  ASSERT_TRUE(f.doc->SelectWordAt(12, 5));
  EXPECT_TRUE(f.doc->MouseSel.DblClickedWord);
  EXPECT_EQ(f.host->Flags, flags) << "a word selection is not kept in the host's flag word";
  f.doc->ClearSelection(false);
  EXPECT_EQ(f.host->Flags, flags);
  EXPECT_EQ(f.host->Options, options);
  EXPECT_EQ(f.doc->State, state);
  EXPECT_TRUE(f.doc->LinksReact()) << "bit 0 of the flags still says that links react";
}

TEST(Selection, ANestedDocumentAnsweringItsRowsFlagsIsNotSelectingAWord) {
  // A table row's documents answer 18 (bits 1 and 4) as their flags.
  TRVDataList row;
  TRVItemFormattedData cell(&row);
  EXPECT_EQ(cell.GetFlags(), 18);
  EXPECT_FALSE(cell.MouseSel.DblClickedWord);
  EXPECT_FALSE(cell.MouseSel.Selecting);
  EXPECT_FALSE(cell.MouseSel.LineSelecting);
}

TEST(Selection, HitTestsOnAFixedPitchCanvas) {
  struct Case {
    const char *name;
    bool rtl;
    int x, y;
    bool strict;
    int line, offs;
  } cases[] = {
      // "aaa bbbb cc" wraps after "aaa " at 70 px: "aaa" | "bbbb cc".
      {"left of a line: its start", false, -30, 15, false, 1, 1},
      {"right of a line: its end", false, 69, 5, false, 0, 4},
      {"below the last line: on it", false, 38, 900, false, 1, 5},
      {"at the wrap point: end of the earlier piece", false, 30, 5, false, 0, 4},
      {"strict, beside the text: nothing", false, 69, 5, true, -1, -1},
      {"strict, on a character", false, 12, 15, true, 1, 2},
      {"right-to-left: left of the line is its first piece's left", true, -5, 5, false, 0, 1},
  };
  for (const auto &c : cases) {
    FormatDoc f(70);
    if (c.rtl) {
      f.style.TextStyles().Add()->BiDiMode = rvbdRightToLeft;
      int no = 0;
      f.newPara(no).BiDiMode = rvbdRightToLeft;
      f.para({"aaa bbbb cc"}, no, f.style.TextStyles().Count() - 1);
    } else {
      f.para({"aaa bbbb cc"});
    }
    f.format();
    int line = -2, offs = -2;
    f.doc->HitTestDrawLine(c.x, c.y, c.strict, line, offs);
    EXPECT_EQ(line, c.line) << c.name << "\n" << f.dump();
    EXPECT_EQ(offs, c.offs) << c.name;
  }
}

TEST(Selection, WordUnderAPoint) {
  FormatDoc f(400);
  f.para({"alpha beta"});
  f.doc->AddBreakTag(0);
  f.para({"gamma"});
  f.format();
  struct Case {
    const char *name;
    int x, y;
    bool found;
    int item, offs;
    const char *word;
    int wordStart;
  } cases[] = {
      {"inside a word", 72, 5, true, 0, 8, "beta", 7},
      {"on its first character", 61, 5, true, 0, 7, "beta", 7},
      {"on the space between words: no word", 55, 5, true, 0, 6, "", 0},
      {"a non-text item: the whole item", 30, 15, true, 1, -1, "", 0},
      {"beside the text: nothing (exact hit only)", 300, 5, false, -1, -1, "", 0},
  };
  for (const auto &c : cases) {
    TCustomRVFormattedData::TRVWordHit hit;
    EXPECT_EQ(f.doc->FindWordAt(c.x, c.y, hit), c.found) << c.name << "\n" << f.dump();
    EXPECT_EQ(hit.ItemNo, c.item) << c.name;
    EXPECT_EQ(hit.Offs, c.offs) << c.name;
    EXPECT_EQ(hit.Word, c.word) << c.name;
    if (*c.word) {
      EXPECT_EQ(hit.WordStart, c.wordStart) << c.name;
    }
  }
}

TEST(Selection, DoubleClickSelectsTheWordOrTheWholeNonTextItem) {
  FormatDoc f(400);
  f.para({"alpha beta"});
  f.doc->AddBreakTag(0);
  f.format();
  ASSERT_TRUE(f.doc->SelectWordAt(72, 5));
  EXPECT_EQ(Sel(*f.doc), (SelBounds{0, 7, 0, 11}));
  ASSERT_TRUE(f.doc->SelectWordAt(30, 15));
  EXPECT_EQ(Sel(*f.doc), (SelBounds{1, 0, 1, 1}));
}

// "alpha beta gamma": alpha 1..5, space 6, beta 7..10, space 11, gamma 12..16;
// the boundary before character n lies at x = 10 (n - 1).
TEST(Selection, MouseDragSnapsToWords) {
  struct Case {
    const char *name;
    TRVSelectionMode mode;
    std::initializer_list<int> xs;
    SelBounds raw; // anchor first
  } cases[] = {
      {"inside the first word: characters", rvsmWord, {22, 42}, {0, 3, 0, 5}},
      {"into the next word: first word's start to that word's end", rvsmWord, {22, 82}, {0, 1, 0, 11}},
      {"back into the first word: characters from the press again", rvsmWord, {22, 82, 42}, {0, 3, 0, 5}},
      {"backwards: anchor at the word's end, end at the other's start", rvsmWord, {82, 22}, {0, 11, 0, 1}},
      {"moving back toward the anchor inside a word stops snapping", rvsmWord, {22, 92, 82}, {0, 1, 0, 9}},
      {"pressed between words: only the moving end snaps", rvsmWord, {52, 82}, {0, 6, 0, 11}},
      {"character mode: no snapping", rvsmChar, {22, 82}, {0, 3, 0, 9}},
  };
  for (const auto &c : cases) {
    FormatDoc f(400);
    f.style.SelectionMode = c.mode;
    f.para({"alpha beta gamma"});
    f.format();
    Drag(*f.doc, c.xs);
    EXPECT_EQ(Sel(*f.doc, false), c.raw) << c.name;
  }
}

TEST(Selection, ParagraphModeTakesWholeParagraphs) {
  FormatDoc f(400);
  f.style.SelectionMode = rvsmParagraph;
  f.para({"alpha beta"});
  f.para({"gamma"});
  f.para({"delta"});
  f.format();
  f.doc->StartMouseSelection(22, 5, 0);
  EXPECT_EQ(Sel(*f.doc), (SelBounds{0, 1, 0, 11})) << "a press takes its paragraph";
  f.doc->ExtendMouseSelection(12, 15);
  EXPECT_EQ(Sel(*f.doc), (SelBounds{0, 1, 1, 6}));
  // Backwards from the last paragraph keeps its direction.
  f.doc->StartMouseSelection(22, 25, 0);
  f.doc->ExtendMouseSelection(12, 15);
  EXPECT_EQ(Sel(*f.doc, false), (SelBounds{2, 6, 1, 1}));
}

TEST(Selection, PressInTheLeftMarginSelectsWholeScreenLines) {
  FormatDoc f(80);
  f.host->LeftMargin = 10;
  f.para({"aaa bbbb cc"}); // "aaa" | "bbbb cc"
  f.para({"ddd"});
  f.format();
  f.doc->StartMouseSelection(3, 15, 0);
  EXPECT_TRUE(f.doc->MouseSel.LineSelecting);
  EXPECT_EQ(Sel(*f.doc), (SelBounds{0, 5, 0, 12})) << "the second screen line";
  f.doc->ExtendMouseSelection(25, 25);
  EXPECT_EQ(Sel(*f.doc), (SelBounds{0, 5, 1, 4})) << "dragging down adds the next whole line";
  f.doc->ExtendMouseSelection(25, 2);
  EXPECT_EQ(Sel(*f.doc, false), (SelBounds{0, 12, 0, 1})) << "dragging up: the pressed line's end is the anchor";
  f.doc->EndMouseSelection();
  EXPECT_FALSE(f.doc->MouseSel.LineSelecting);
}

TEST(Selection, ShiftPressExtendsFromTheAnchorAndADragBelowTheTextReachesTheEnd) {
  FormatDoc f(400);
  f.style.SelectionMode = rvsmChar;
  f.para({"alpha beta"});
  f.para({"gamma"});
  f.format();
  f.doc->SetSelectionBounds(0, 3, 0, 5);
  f.doc->StartMouseSelection(32, 15, TRVShift::Shift);
  EXPECT_EQ(Sel(*f.doc, false), (SelBounds{0, 3, 1, 4}));
  f.doc->ExtendMouseSelection(32, 5000);
  EXPECT_EQ(Sel(*f.doc, false), (SelBounds{0, 3, 1, 6})) << "below the last line: the end of the last line";
}

TEST(Selection, ExpandingToParagraphsKeepsTheDirection) {
  FormatDoc f(400);
  f.para({"alpha beta"});
  f.para({"gamma"});
  f.para({"delta"});
  f.format();
  f.doc->SetSelectionBounds(0, 3, 0, 5);
  EXPECT_FALSE(f.doc->ExpandSelectionToParagraphs(true)) << "one paragraph only";
  EXPECT_EQ(Sel(*f.doc), (SelBounds{0, 3, 0, 5}));
  f.doc->SetSelectionBounds(1, 3, 0, 5);
  EXPECT_TRUE(f.doc->SelectionSpansParagraphs());
  EXPECT_TRUE(f.doc->ExpandSelectionToParagraphs(true));
  EXPECT_EQ(Sel(*f.doc, false), (SelBounds{1, 6, 0, 1}));
  f.doc->SetSelectionBounds(2, 2, 2, 3);
  EXPECT_FALSE(f.doc->SelectionSpansParagraphs());
}

TEST(Selection, LineNumbersCountScreenLines) {
  FormatDoc f(70);
  f.para({"aaa bbbb"}); // two screen lines
  f.para({"cc"});
  f.format();
  EXPECT_EQ(f.doc->GetLineNumber(1, 1), 3) << "the first paragraph wrapped";
  EXPECT_EQ(f.doc->GetLineNumber(0, 6), 2);
  EXPECT_EQ(f.doc->GetLineNumber(7, 1), 0) << "no such item";
  f.doc->ClearFormatting();
  EXPECT_EQ(f.doc->GetLineNumber(0, 1), 0) << "no draw lines";
}

TEST(Selection, SelectDrawRangeCrossesItemsAndCanBeBackwards) {
  FormatDoc f(400);
  f.para({"abc", "defg"});
  f.format();
  f.doc->SelectDrawRange(0, 2, 4, false);
  EXPECT_EQ(Sel(*f.doc, false), (SelBounds{0, 2, 1, 3}));
  f.doc->SelectDrawRange(0, 2, 4, true);
  EXPECT_EQ(Sel(*f.doc, false), (SelBounds{1, 3, 0, 2}));
  f.doc->SelectDrawRange(0, 1, 100, false);
  EXPECT_EQ(Sel(*f.doc, false), (SelBounds{0, 1, 1, 5})) << "stops at the document's end";
}

TEST(Selection, SelectedImageOnlyForExactlyOneWholePicture) {
  FormatDoc f(400);
  f.para({"ab"});
  auto pic = std::make_unique<TRVGraphicItemInfo>(
      f.doc.get(), std::make_unique<TBitmap>(QImage(30, 20, QImage::Format_RGB32)), rvvaBaseline);
  pic->ParaNo = -1;
  f.doc->AddItem("", std::move(pic));
  f.format();
  f.doc->SetSelectionBounds(1, 0, 1, 1);
  EXPECT_NE(f.doc->GetSelectedImage(), nullptr);
  f.doc->SetSelectionBounds(0, 2, 1, 1);
  EXPECT_EQ(f.doc->GetSelectedImage(), nullptr) << "text and a picture";
}

TEST(Protection, StickingItemsRefuseInsertionBetweenThem) {
  FormatDoc f(400);
  auto style = [&](TRVProtectOptions p) {
    f.style.TextStyles().Add()->Protection = p;
    return f.style.TextStyles().Count() - 1;
  };
  const int stickTop = style({rvprStickToTop, rvprSticking}), stick = style({rvprSticking}),
            bottom = style({rvprStickToBottom}), modify = style({rvprModifyProtect});
  f.para({"a"}, 0, stickTop);
  f.para({"b"}, 0, stick);
  f.para({"ccc"}, 0, modify);
  f.para({"d"}, 0, bottom);
  f.format();
  struct Case {
    const char *name;
    int item;
    bool sticking;
  } sticks[] = {
      {"before the first item: its StickToTop", -1, true},
      {"two sticking items", 0, true},
      {"one of the two does not stick", 1, false},
      {"after the last item: its StickToBottom", 3, true},
  };
  for (const auto &c : sticks) EXPECT_EQ(f.doc->IsStickingAt(c.item, true), c.sticking) << c.name;
  struct Drop {
    const char *name;
    int item, offs;
    bool can;
  } drops[] = {
      {"between two sticking items", 1, 1, false},
      {"inside a modify-protected text", 2, 2, false},
      {"at the start of a modify-protected text", 2, 1, true},
      {"at the end of a sticking pair's second", 1, 2, true},
  };
  for (const auto &c : drops) EXPECT_EQ(f.doc->CanDropAt(c.item, c.offs), c.can) << c.name;
}
