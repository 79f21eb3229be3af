// Layouts computed by hand on a fixed-pitch canvas (10 px a character,
// ascent 8, descent 2, no margins), and the positions and hit tests that
// read them.
#include <gtest/gtest.h>

#include <algorithm>

#include <functional>

#include "FormatFixture.h"

using namespace kc;
using kctest::FormatDoc;

namespace {

struct LayoutCase {
  const char *name;
  int width;
  std::function<void(FormatDoc &)> build;
  const char *expected;
};

class Layout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(Layout, DrawLinesAsComputedByHand) {
  const LayoutCase &c = GetParam();
  FormatDoc f(c.width);
  c.build(f);
  f.format();
  EXPECT_EQ(f.dump(), c.expected);
}

void paraWith(FormatDoc &f, const char *text, std::function<void(TParaInfo &)> set) {
  int no = 0;
  set(f.newPara(no));
  f.para({text}, no);
}

const LayoutCase kLayouts[] = {
    {"ASpaceJustAfterAFullLineIsItsWrapPoint", 70, [](FormatDoc &f) { f.para({"aaa bbb ccc"}); },
     "0 1 7 0 0 70 10 1\n"
     "0 9 3 0 10 30 10 1\n"
     "height 20\n"},
    {"WrapAtLastSpaceTheSpaceBelongsToNeitherLine", 70, [](FormatDoc &f) { f.para({"aaa bbbb cc"}); },
     "0 1 3 0 0 30 10 1\n"
     "0 5 7 0 10 70 10 1\n"
     "height 20\n"},
    {"WithoutTrimmingTheSpaceStaysOnTheFirstLine", 70,
     [](FormatDoc &f) {
       f.host->Flags &= ~rvflTrim;
       f.para({"aaa bbbb cc"});
     },
     "0 1 4 0 0 40 10 1\n"
     "0 5 7 0 10 70 10 1\n"
     "height 20\n"},
    {"SpaceRightAfterTheFittedPartIsTheWrapPoint", 30,
     [](FormatDoc &f) {
       f.host->Options.Include(rvoClientTextWidth);
       f.para({"abc defg"});
     },
     "0 1 3 0 0 30 10 1\n"
     "0 5 3 0 10 30 10 1\n"
     "0 8 1 0 20 10 10 1\n"
     "height 30\n"},
    {"WordLongerThanTheLineIsCutWhereItStopsFitting", 50,
     [](FormatDoc &f) {
       f.host->Options.Include(rvoClientTextWidth);
       f.para({"abcdefghijkl"});
     },
     "0 1 5 0 0 50 10 1\n"
     "0 6 5 0 10 50 10 1\n"
     "0 11 2 0 20 20 10 1\n"
     "height 30\n"},
    {"AWordThatDoesNotFitAfterAnotherItemMovesWhole", 60,
     [](FormatDoc &f) {
       f.para({"abc", "defgh"});
     },
     "0 1 3 0 0 30 10 1\n"
     "1 1 5 0 10 50 10 1\n"
     "height 20\n"},
    {"JustifiedLineSpreadsTheSpareOverItsGaps", 90,
     [](FormatDoc &f) { paraWith(f, "aa bb cc dd", [](TParaInfo &p) { p.Alignment = rvaJustify; }); },
     "0 1 2 0 0 20 10 1\n"
     "0 3 3 20 0 35 10 0\n"
     "0 6 3 55 0 35 10 0\n"
     "0 10 2 0 10 20 10 1\n"
     "height 20\n"},
    {"JustifiedLineOfOneWordIsNotSpread", 50,
     [](FormatDoc &f) { paraWith(f, "abc defgh", [](TParaInfo &p) { p.Alignment = rvaJustify; }); },
     "0 1 3 0 0 30 10 1\n"
     "0 5 5 0 10 50 10 1\n"
     "height 20\n"},
    {"CentreOfALineWiderThanTheSpaceStartsAtTheLineStart", 5,
     [](FormatDoc &f) {
       f.host->Options.Include(rvoClientTextWidth);
       paraWith(f, "ab", [](TParaInfo &p) { p.Alignment = rvaCenter; });
     },
     "0 1 1 0 0 10 10 1\n"
     "0 2 1 0 10 10 10 1\n"
     "height 20\n"},
    {"RightAlignmentOfALineWiderThanTheSpaceMovesItLeft", 5,
     [](FormatDoc &f) {
       f.host->Options.Include(rvoClientTextWidth);
       paraWith(f, "ab", [](TParaInfo &p) { p.Alignment = rvaRight; });
     },
     "0 1 1 -5 0 10 10 1\n"
     "0 2 1 -5 10 10 10 1\n"
     "height 20\n"},
    {"CentreSplitsTheSpareRoundingDown", 55,
     [](FormatDoc &f) { paraWith(f, "ab", [](TParaInfo &p) { p.Alignment = rvaCenter; }); },
     "0 1 2 17 0 20 10 1\n"
     "height 10\n"},
    {"LineSpacing49PercentAddsNothing", 40,
     [](FormatDoc &f) { paraWith(f, "aaaa bbbb", [](TParaInfo &p) { p.LineSpacing = 49; }); },
     "0 1 4 0 0 40 10 1\n"
     "0 6 4 0 10 40 10 1\n"
     "height 20\n"},
    {"LineSpacing50PercentTakesHalfALine", 40,
     [](FormatDoc &f) { paraWith(f, "aaaa bbbb", [](TParaInfo &p) { p.LineSpacing = 50; }); },
     "0 1 4 0 0 40 10 1\n"
     "0 6 4 0 5 40 10 1\n"
     "height 10\n"},
    {"LineSpacing200PercentDoublesTheLine", 40,
     [](FormatDoc &f) { paraWith(f, "aaaa bbbb", [](TParaInfo &p) { p.LineSpacing = 200; }); },
     "0 1 4 0 0 40 10 1\n"
     "0 6 4 0 20 40 10 1\n"
     "height 40\n"},
    {"SpaceBetweenLinesInPixels", 40,
     [](FormatDoc &f) {
       paraWith(f, "aaaa bbbb", [](TParaInfo &p) {
         p.LineSpacingType = rvlsSpaceBetween;
         p.LineSpacing = 3;
       });
     },
     "0 1 4 0 0 40 10 1\n"
     "0 6 4 0 13 40 10 1\n"
     "height 26\n"},
    {"ParagraphSpacingAndIndents", 100,
     [](FormatDoc &f) {
       paraWith(f, "ab", [](TParaInfo &p) {
         p.SpaceAfter = 4;
         p.LeftIndent = 7;
       });
       paraWith(f, "cd ef", [](TParaInfo &p) {
         p.SpaceBefore = 3;
         p.FirstIndent = 20;
         p.RightIndent = 40;
       });
     },
     "0 1 2 7 0 20 10 1\n"
     "1 1 2 20 17 20 10 1\n"
     "1 4 2 0 27 20 10 1\n"
     "height 37\n"},
    {"LineBreakInsideAParagraphHasNoGapAndNoFirstIndent", 100,
     [](FormatDoc &f) {
       paraWith(f, "ab", [](TParaInfo &p) {
         p.SpaceBefore = 3;
         p.FirstIndent = 20;
       });
       f.lineBreak("cd");
     },
     "0 1 2 20 3 20 10 1\n"
     "1 1 2 0 13 20 10 1\n"
     "height 23\n"},
    {"BreakBetweenParagraphs", 50,
     [](FormatDoc &f) {
       f.para({"ab"});
       f.doc->AddBreakTag(0);
       f.para({"cd"});
     },
     "0 1 2 0 0 20 10 1\n"
     "1 0 0 0 10 50 11 1\n"
     "2 1 2 0 21 20 10 1\n"
     "height 31\n"},
    {"EmptyParagraphHasOnePieceOfTheFontHeight", 50,
     [](FormatDoc &f) {
       f.para({"ab"});
       f.para({""});
       f.para({"cd"});
     },
     "0 1 2 0 0 20 10 1\n"
     "1 1 0 0 10 0 10 1\n"
     "2 1 2 0 20 20 10 1\n"
     "height 30\n"},
    {"EmptyDocumentIsItsMargins", 50,
     [](FormatDoc &f) {
       f.host->TopMargin = 4;
       f.host->BottomMargin = 6;
     },
     "height 10\n"},
};

INSTANTIATE_TEST_SUITE_P(Format, Layout, ::testing::ValuesIn(kLayouts),
                         [](const auto &info) { return std::string(info.param.name); });

// A list paragraph whose text item cannot fit beside its marker still
// starts on the marker's line.
TEST(FormatMarker, ItemAfterAMarkerStaysOnItsLineEvenWhenNothingFits) {
  FormatDoc f(25);
  // The wrap width follows the client's, whatever the longest word needs.
  f.host->Options.Include(rvoClientTextWidth);
  TRVListInfo *list = f.style.ListStyles().Add();
  TRVListLevel *level = list->Levels.Add();
  level->ListType = rvlstBullet;
  level->FormatString = "*";
  level->LeftIndent = 20;
  level->FirstIndent = 0;
  level->MarkerIndent = 0;
  f.doc->AddItem("", std::make_unique<TRVMarkerItemInfo>(f.doc.get(), 0, 0, 1, false));
  auto item = RichVistaTextItemClass(f.doc.get());
  item->ParaNo = -1;
  f.doc->AddItem("abcdef", std::move(item));
  f.format();
  ASSERT_GE(f.doc->DrawLines.Count(), 2);
  const TRVDrawLineInfo *marker = f.doc->DrawLines.Items(0);
  const TRVDrawLineInfo *text = f.doc->DrawLines.Items(1);
  EXPECT_EQ(marker->ItemNo, 0);
  EXPECT_EQ(text->ItemNo, 1);
  EXPECT_FALSE(text->FromNewLine) << f.dump();
  EXPECT_EQ(text->Length, 1) << f.dump();
  EXPECT_EQ(text->Left, 20) << f.dump();
  // The later lines start at the level's left indent.
  EXPECT_EQ(f.doc->DrawLines.Items(2)->Left, 20) << f.dump();
}

// ---------------------------------------------------------------- positions

TEST(FormatPositions, ItemAndDrawPositionsConvertBothWays) {
  FormatDoc f(70);
  f.para({"aaa bbbb cc"}); // pieces "aaa" (1..3) and "bbbb cc" (5..11)
  f.format();
  struct Case {
    const char *name;
    int item, offs, line, drawOffs;
  } cases[] = {
      {"start", 0, 1, 0, 1},
      {"wrap point ends the earlier piece", 0, 4, 0, 4},
      {"swallowed space maps to the next piece's start", 0, 5, 1, 1},
      {"end of item", 0, 12, 1, 8},
      {"past the end clamps to the end", 0, 99, 1, 8},
      {"item past the document clamps to the end", 5, 1, 1, 8},
  };
  for (const auto &c : cases) {
    int line = -2, offs = -2;
    f.doc->ItemPosToDrawPos(c.item, c.offs, line, offs);
    EXPECT_EQ(line, c.line) << c.name;
    EXPECT_EQ(offs, c.drawOffs) << c.name;
  }
  int item = -2, offs = -2;
  f.doc->DrawPosToItemPos(1, 3, item, offs);
  EXPECT_EQ(item, 0);
  EXPECT_EQ(offs, 7);
  // A position kept from before a reformat that names a line now gone.
  f.doc->DrawPosToItemPos(40, 3, item, offs);
  EXPECT_EQ(item, 0);
  EXPECT_EQ(offs, 12);
}

TEST(FormatPositions, HitTestFindsTheNearestCharacterBoundary) {
  FormatDoc f(70);
  f.para({"aaa bbbb cc"});
  f.format();
  struct Case {
    const char *name;
    int x, y, line, offs;
  } cases[] = {
      {"inside first character, left half", 3, 5, 0, 1},
      {"inside first character, right half", 7, 5, 0, 2},
      {"right of the last piece of a line lands at its end", 65, 5, 0, 4},
      {"second line", 25, 15, 1, 3},
      {"below the last line lands on the last line", 25, 500, 1, 3},
      {"left of the line lands at its start", -20, 15, 1, 1},
  };
  for (const auto &c : cases) {
    int line = -2, offs = -2;
    f.doc->HitTestDrawLine(c.x, c.y, false, line, offs);
    EXPECT_EQ(line, c.line) << c.name;
    EXPECT_EQ(offs, c.offs) << c.name;
  }
  int line = 0, offs = 0;
  f.doc->HitTestDrawLine(65, 5, true, line, offs);
  EXPECT_EQ(line, -1) << "strict mode needs the point inside a piece";
}

TEST(FormatScroll, TallDocumentGetsAStepThatKeepsTheRangeUnder32000Units) {
  FormatDoc f(100);
  int no = 0;
  f.newPara(no).SpaceAfter = 100000;
  for (int i = 0; i < 5; ++i) f.para({"x"}, no);
  f.format();
  const int h = f.doc->DocumentHeight;
  ASSERT_GT(h, 32000 * 10);
  EXPECT_LE(h / f.host->VSmallStep(), 32000);
  EXPECT_LE(f.host->RangeUnits(), 32000);
}

TEST(FormatSpacing, HugeStoredSpacingAndSizesDoNotOverflow) {
  FormatDoc f(100);
  int no = 0;
  TParaInfo &p = f.newPara(no);
  p.LineSpacing = 2000000000;
  p.SpaceBefore = 2000000000;
  p.SpaceAfter = 2000000000;
  for (int i = 0; i < 50; ++i) f.para({"aaaa bbbb cccc dddd eeee"}, no);
  f.format();
  int prev = INT_MIN;
  for (int i = 0; i < f.doc->DrawLines.Count(); ++i) {
    const TRVDrawLineInfo *d = f.doc->DrawLines.Items(i);
    if (!d->FromNewLine) continue;
    EXPECT_GE(d->Top, prev) << "line " << i;
    prev = d->Top;
  }
  EXPECT_GT(f.doc->DocumentHeight, 0);
}

TEST(FormatAppend, AppendingKeepsTheFirstLinesAndScrollsToTheEnd) {
  FormatDoc f(70);
  f.host->Options.Include(rvoScrollToEnd);
  f.host->SetClientSize(70, 30);
  for (int i = 0; i < 5; ++i) f.para({"aaa bbb"});
  f.format();
  const std::string before = f.dump();
  f.para({"ccc ddd eee"});
  f.doc->FormatAppended();
  const std::string appended = f.dump();
  f.format();
  EXPECT_EQ(appended, f.dump());
  EXPECT_EQ(appended.substr(0, before.rfind("height")), before.substr(0, before.rfind("height")));
  EXPECT_EQ(f.host->VScrollPos(), f.doc->DocumentHeight / f.host->VSmallStep());
}

} // namespace

namespace {

TEST(FormatJumps, EveryPieceOfAHyperlinkHasAnAreaWithTheItemsIndex) {
  FormatDoc f(50);
  TFontInfo *link = f.style.TextStyles().Add();
  link->Jump = true;
  const int linkNo = f.style.TextStyles().Count() - 1;
  f.para({"ab"});
  f.para({"cdefg hijk"}, 0, linkNo); // two pieces
  f.para({"zz"}, 0, linkNo);
  f.format();
  ASSERT_EQ(f.doc->Jumps.size(), 3u);
  EXPECT_EQ(f.doc->Jumps[0]->Id, 0);
  EXPECT_EQ(f.doc->Jumps[1]->Id, 0) << "the second piece belongs to the same hyperlink";
  EXPECT_EQ(f.doc->Jumps[2]->Id, 1);
  EXPECT_EQ(f.doc->GetItem(1)->JumpID, 0);
  EXPECT_EQ(f.doc->GetItem(2)->JumpID, 1);
  EXPECT_EQ(f.doc->Jumps[1]->Top, 20);
  EXPECT_EQ(f.doc->Jumps[1]->Width, 40);
}

TEST(FormatBiDi, JustifiedParagraphOfARightToLeftDocumentIsLeftAligned) {
  FormatDoc f(90);
  f.host->BiDiMode = rvbdLeftToRight;
  int no = 0;
  f.newPara(no).Alignment = rvaJustify;
  f.para({"aa bb cc dd"}, no);
  f.format();
  // Nothing is spread: the pieces follow one another from the left.
  EXPECT_EQ(f.doc->DrawLines.Items(0)->Left, 0);
  for (int i = 1; i < f.doc->DrawLines.Count(); ++i) EXPECT_EQ(f.doc->DrawLines.Items(i)->ExtraSpaceBefore, 0);
}

TEST(FormatBiDi, RunsOfALineAreShownInVisualOrder) {
  // Pieces "aa", "bb", "cc", "dd" (one item each) whose styles say their
  // direction: L left-to-right, R right-to-left.
  struct Case {
    const char *name;
    TRVBiDiMode para;
    const char *dirs;
    const char *shown; // pieces left to right, with their Left
  } cases[] = {
      {"left-to-right paragraph, right-to-left run inside", rvbdLeftToRight, "LRRL", "aa@0 cc@20 bb@40 dd@60"},
      {"left-to-right paragraph, right-to-left run at the end", rvbdLeftToRight, "LLRR", "aa@0 bb@20 dd@40 cc@60"},
      {"left-to-right paragraph, no right-to-left run", rvbdLeftToRight, "LLLL", "aa@0 bb@20 cc@40 dd@60"},
      {"right-to-left paragraph, all right-to-left", rvbdRightToLeft, "RRRR", "dd@0 cc@20 bb@40 aa@60"},
      {"right-to-left paragraph, left-to-right run inside", rvbdRightToLeft, "RLLR", "dd@0 bb@20 cc@40 aa@60"},
      {"right-to-left paragraph, two runs of each", rvbdRightToLeft, "LLRR", "dd@0 cc@20 aa@40 bb@60"},
      {"right-to-left paragraph, no right-to-left run", rvbdRightToLeft, "LLLL", "aa@0 bb@20 cc@40 dd@60"},
  };
  for (const auto &c : cases) {
    FormatDoc f(200);
    f.style.TextStyles().Add()->BiDiMode = rvbdLeftToRight;
    const int ltr = f.style.TextStyles().Count() - 1;
    f.style.TextStyles().Add()->BiDiMode = rvbdRightToLeft;
    const int rtl = f.style.TextStyles().Count() - 1;
    int no = 0;
    f.newPara(no).BiDiMode = c.para;
    const char *texts[] = {"aa", "bb", "cc", "dd"};
    for (int i = 0; i < 4; ++i) f.doc->AddText(texts[i], c.dirs[i] == 'R' ? rtl : ltr, i == 0 ? no : -1);
    f.format();
    ASSERT_EQ(f.doc->DrawLines.Count(), 4) << c.name;
    std::vector<std::pair<int, int>> byLeft;
    for (int i = 0; i < 4; ++i) byLeft.emplace_back(f.doc->DrawLines.Items(i)->Left, f.doc->DrawLines.Items(i)->ItemNo);
    std::sort(byLeft.begin(), byLeft.end());
    std::string shown;
    for (const auto &[left, item] : byLeft)
      shown += (shown.empty() ? "" : " ") + std::string(texts[item]) + "@" + std::to_string(left);
    EXPECT_EQ(shown, c.shown) << c.name;
  }
}

TEST(FormatBiDi, EachLineOfAWrappedRightToLeftParagraphIsOrderedOnItsOwn) {
  FormatDoc f(50);
  f.style.TextStyles().Add()->BiDiMode = rvbdRightToLeft;
  const int rtl = f.style.TextStyles().Count() - 1;
  int no = 0;
  f.newPara(no).BiDiMode = rvbdRightToLeft;
  // Wraps after "bb ": two lines of two pieces.
  const char *texts[] = {"aa ", "bb ", "cc ", "dd"};
  for (int i = 0; i < 4; ++i) f.doc->AddText(texts[i], rtl, i == 0 ? no : -1);
  f.format();
  EXPECT_EQ(f.dump(), "0 1 3 20 0 30 10 1\n"
                      "1 1 2 0 0 20 10 0\n"
                      "2 1 3 20 10 30 10 1\n"
                      "3 1 2 0 10 20 10 0\n"
                      "height 20\n");
}

TEST(FormatPositions, ClickingOnAListMarkerLandsAtTheStartOfTheTextAfterIt) {
  FormatDoc f(200);
  TRVListLevel *level = f.style.ListStyles().Add()->Levels.Add();
  level->ListType = rvlstBullet;
  level->FormatString = "*";
  level->LeftIndent = 20;
  f.doc->AddItem("", std::make_unique<TRVMarkerItemInfo>(f.doc.get(), 0, 0, 1, false));
  auto item = RichVistaTextItemClass(f.doc.get());
  item->ParaNo = -1;
  f.doc->AddItem("abc", std::move(item));
  f.format();
  int line = -1, offs = -1;
  f.doc->HitTestDrawLine(2, 5, false, line, offs);
  EXPECT_EQ(line, 1);
  EXPECT_EQ(offs, 1);
}

} // namespace
