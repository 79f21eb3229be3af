// Caret moves of the editor document on a fixed-pitch canvas (10 pixels a
// character, lines 10 pixels high, a client 100 pixels high): by character,
// word, line, page and document, with the edges reported to the owner,
// list markers passed, Shift and paragraph selections, jump mode, the
// caret after a click, and caret stops of right-to-left text.
#include <gtest/gtest.h>

#include "EditFixture.h"
#include "richtext/document/RVUni.h"

using namespace kc;
using kctest::EditDoc;

namespace {

using Paras = std::vector<std::vector<std::string>>;

void build(EditDoc &e, const Paras &P) {
  for (const auto &p : P) {
    if (p.size() == 1 && p[0].rfind("* ", 0) == 0) e.listPara(p[0].substr(2));
    else e.para(p);
  }
  e.format();
}

// "P O" as rvtool's dump gives it, then "@L": the caret's screen line,
// counted from 1 (the end of a line and the start of the next are one
// place in the text but two on the screen).
std::string where(EditDoc &e) {
  int line = 0;
  const TRVCharPos &c = e.doc->CharEnds[size_t(e.doc->CaretOffs)];
  for (int i = 0; i <= c.DrawItemNo; ++i)
    if (i == 0 || e.doc->DrawLines.Items(i)->FromNewLine) ++line;
  return e.caretPos() + " @" + std::to_string(line);
}

// The selection as items and offsets, anchor first; "none" without one.
std::string selection(EditDoc &e) {
  if (!e.doc->SelectionExists()) return "none";
  int a, ao, b, bo;
  e.doc->GetSelectionBounds(a, ao, b, bo, false);
  return std::to_string(a) + ' ' + std::to_string(ao) + ' ' + std::to_string(b) + ' ' + std::to_string(bo);
}

// --------------------------------------------------------------- moves

struct MoveCase {
  const char *name;
  Paras paras;
  int width;
  int item, offs; // the caret before the commands
  const char *commands;
  const char *where;
};

class Moves : public ::testing::TestWithParam<MoveCase> {};

TEST_P(Moves, PutTheCaretWhereTheKeysSay) {
  const MoveCase &c = GetParam();
  EditDoc e(c.width);
  build(e, c.paras);
  e.caret(c.item, c.offs);
  ASSERT_EQ(e.run(c.commands), "");
  EXPECT_EQ(where(e), c.where);
  EXPECT_EQ(selection(e), "none");
}

const Paras kWrapped = {{"aaaa bbbb cccc"}, {"xy"}}; // at 50 pixels: aaaa|bbbb|cccc|xy
const Paras kTwoParas = {{"abcdef"}, {"xy"}};
const Paras kOneTwo = {{"one two"}};

INSTANTIATE_TEST_SUITE_P(
    Table, Moves,
    ::testing::Values(
        MoveCase{"rightCrossesAParagraphEnd", kTwoParas, 200, 0, 7, "right", "1 0 @2"},
        MoveCase{"leftCrossesAParagraphStart", kTwoParas, 200, 1, 1, "left", "0 6 @1"},
        MoveCase{"twoItemsOnALineAreOneRunOfStops", {{"ab", "cd"}}, 200, 0, 1, "right 3", "0 3 @1"},
        // At a wrap the end of a line and the start of the next are two
        // stops; the space the wrap swallowed lies between them.
        MoveCase{"rightAtALineEndGoesToTheNextLineStart", kWrapped, 50, 0, 4, "right\nright", "0 5 @2"},
        MoveCase{"leftAtALineStartGoesToTheLineAboveEnd", kWrapped, 50, 0, 6, "left", "0 4 @1"},
        MoveCase{"homeAndEndKeepToTheScreenLine", kWrapped, 50, 0, 8, "end", "0 9 @2"},
        MoveCase{"homeOnAWrappedLine", kWrapped, 50, 0, 8, "home", "0 5 @2"},
        MoveCase{"docHome", kWrapped, 50, 1, 2, "doc-home", "0 0 @1"},
        MoveCase{"docEnd", kWrapped, 50, 0, 2, "doc-end", "1 2 @4"},
        // Words: a word starts where a space is followed by something else.
        MoveCase{"ctrlLeftFromInsideAWordGoesToItsStart", kOneTwo, 200, 0, 7, "ctrl-left", "0 4 @1"},
        MoveCase{"ctrlLeftFromAWordStartGoesToThePreviousWord", kOneTwo, 200, 0, 5, "ctrl-left", "0 0 @1"},
        MoveCase{"ctrlRightFromInsideAWordGoesToTheNextWord", kOneTwo, 200, 0, 2, "ctrl-right", "0 4 @1"},
        MoveCase{"ctrlRightInTheLastWordGoesToTheItemEnd", kOneTwo, 200, 0, 5, "ctrl-right", "0 7 @1"},
        MoveCase{"ctrlRightJustBeforeTheSpace", kOneTwo, 200, 0, 4, "ctrl-right", "0 4 @1"},
        MoveCase{"ctrlLeftOverTheItemBoundary", {{"one ", "two"}}, 200, 1, 1, "ctrl-left", "0 0 @1"},
        MoveCase{"ctrlRightOverAParagraphEnd", {{"ab"}, {"cd ef"}}, 200, 0, 3, "ctrl-right", "1 0 @2"},
        MoveCase{"ctrlLeftOntoALineAbove", kWrapped, 50, 0, 8, "ctrl-left\nctrl-left", "0 0 @1"},
        MoveCase{"ctrlLeftStopsAtAWordThatStartsTheLine", kWrapped, 50, 0, 8, "ctrl-left", "0 5 @2"},
        // Up and Down take the line above or below at the caret's x; no
        // column is remembered, so a short line in between shortens it.
        MoveCase{"downKeepsTheX", kWrapped, 50, 0, 3, "down", "0 7 @2"},
        MoveCase{"downTwiceOnWrappedLines", kWrapped, 50, 0, 3, "down 2", "0 12 @3"},
        MoveCase{"downIntoAShorterLineGoesToItsEnd", kTwoParas, 200, 0, 6, "down", "1 2 @2"},
        MoveCase{"upFromAShortLine", kTwoParas, 200, 1, 2, "up", "0 1 @1"},
        MoveCase{"noColumnIsRemembered", kTwoParas, 200, 0, 6, "down\nup", "0 2 @1"},
        MoveCase{"upStaysOnTheFirstLine", kTwoParas, 200, 0, 4, "up", "0 3 @1"},
        MoveCase{"downStaysOnTheLastLine", kTwoParas, 200, 1, 1, "down", "1 0 @2"},
        // List markers never hold the caret: moves pass them.
        MoveCase{"rightPassesAMarker", {{"ab"}, {"* cd"}}, 200, 0, 3, "right", "1 0 @2"},
        MoveCase{"leftPassesAMarker", {{"ab"}, {"* cd"}}, 200, 2, 1, "left", "0 2 @1"},
        MoveCase{"leftAtAFirstMarkerStays", {{"* ab"}}, 200, 1, 2, "left 3", "0 0 @1"},
        MoveCase{"docHomeOnAMarker", {{"* ab"}, {"cd"}}, 200, 2, 2, "doc-home", "0 0 @1"},
        MoveCase{"upIntoAListParagraph", {{"* abcd"}, {"efgh"}}, 200, 2, 4, "up", "0 1 @1"},
        MoveCase{"upOntoAMarkerGoesAfterIt", {{"* abcd"}, {"efgh"}}, 200, 2, 3, "up", "0 0 @1"},
        MoveCase{"downIntoAListParagraph", {{"abcd"}, {"* efgh"}}, 200, 0, 1, "down", "1 0 @2"},
        MoveCase{"ctrlRightIntoAListParagraph", {{"ab"}, {"* cd ef"}}, 200, 0, 3, "ctrl-right", "1 0 @2"}),
    [](const auto &info) { return std::string(info.param.name); });

// A marker whose paragraph goes on with an item that fills a line of its
// own stands alone on its line: the caret passes that line too.
TEST(Moves, PassALineHoldingOnlyAMarker) {
  EditDoc e(200);
  e.para({"ab"});
  e.listPara("");
  e.doc->Items.Delete(2);
  auto hr = std::make_unique<TRVBreakItemInfo>(e.doc.get(), clNone, 0, 1);
  hr->SetContinuePara(true);
  e.doc->Items.Add("", std::move(hr));
  e.para({"cd"});
  e.format();
  ASSERT_TRUE(e.doc->DrawLines.Items(2)->FromNewLine);
  EXPECT_EQ(e.doc->DrawLines.Items(1)->ItemNo, 1);
  // Screen lines: ab, the marker, the line item, cd.
  e.caret(0, 3);
  e.run("right");
  EXPECT_EQ(where(e), "1 0 @3");
  e.run("left");
  EXPECT_EQ(where(e), "0 2 @1");
  e.caret(3, 2);
  e.run("up\nup");
  EXPECT_EQ(where(e), "0 0 @1");
  e.caret(1, 0);
  EXPECT_EQ(where(e), "1 0 @3");
  e.run("doc-end\nup\nup");
  EXPECT_EQ(where(e), "0 0 @1");
}

// -------------------------------------------------------------- edges

// What the moves report to the owner (a cell editor hands the caret to
// its table on true), and where the caret stays.
struct EdgeCase {
  const char *name;
  TRVEditScript::TCaretKey key;
  bool shift, ctrl;
  int item, offs;
  bool edge;
  const char *where;
  const char *selection;
};

class Edges : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(Edges, AreReportedToTheOwner) {
  const EdgeCase &c = GetParam();
  EditDoc e(200);
  build(e, kTwoParas);
  e.caret(c.item, c.offs);
  kc::TRVEditScript script(*e.doc);
  EXPECT_EQ(script.Move(c.key, c.shift, c.ctrl), c.edge);
  EXPECT_EQ(where(e), c.where);
  EXPECT_EQ(selection(e), c.selection);
}

using K = TRVEditScript;
INSTANTIATE_TEST_SUITE_P(
    Table, Edges,
    ::testing::Values(EdgeCase{"leftAtTheStart", K::ckLeft, false, false, 0, 1, true, "0 0 @1", "none"},
                      EdgeCase{"rightAtTheEnd", K::ckRight, false, false, 1, 3, true, "1 2 @2", "none"},
                      EdgeCase{"ctrlRightAtTheEnd", K::ckRight, false, true, 1, 3, true, "1 2 @2", "none"},
                      EdgeCase{"leftInside", K::ckLeft, false, false, 0, 3, false, "0 1 @1", "none"},
                      EdgeCase{"rightAtALineEnd", K::ckRight, false, false, 0, 7, false, "1 0 @2", "none"},
                      // Ctrl+Home and Ctrl+End report, also when the caret moved.
                      EdgeCase{"ctrlHome", K::ckHome, false, true, 1, 2, true, "0 0 @1", "none"},
                      EdgeCase{"ctrlEnd", K::ckEnd, false, true, 0, 2, true, "1 2 @2", "none"},
                      EdgeCase{"home", K::ckHome, false, false, 0, 4, false, "0 0 @1", "none"},
                      EdgeCase{"upOnTheFirstLine", K::ckUp, false, false, 0, 4, true, "0 3 @1", "none"},
                      // With Shift, Up on the first line only selects to its start.
                      EdgeCase{"shiftUpOnTheFirstLine", K::ckUp, true, false, 0, 4, true, "0 0 @1", "0 4 0 1"},
                      EdgeCase{"shiftUpAtTheFirstLineStart", K::ckUp, true, false, 0, 1, true, "0 0 @1", "none"},
                      EdgeCase{"downOnTheLastLine", K::ckDown, false, false, 1, 1, true, "1 0 @2", "none"},
                      EdgeCase{"shiftDownOnTheLastLine", K::ckDown, true, false, 1, 1, true, "1 2 @2", "1 1 1 3"},
                      EdgeCase{"shiftDown", K::ckDown, true, false, 0, 3, false, "1 2 @2", "0 3 1 3"},
                      EdgeCase{"shiftLeft", K::ckLeft, true, false, 1, 1, false, "0 6 @1", "1 1 0 7"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Edges, UpOnTheFirstLineScrollsToTheTopAndDownOnTheLastToTheEnd) {
  EditDoc e(200);
  for (int i = 0; i < 30; ++i) e.para({"line"});
  e.format();
  e.host->SetVSmallStep(1);
  e.caret(0, 2);
  e.host->ScrollTo(120, false);
  EXPECT_TRUE(e.doc->MoveCaretUp(false, false));
  EXPECT_EQ(e.host->VScrollPos(), 0);
  e.caret(29, 2);
  e.host->ScrollTo(0, false);
  EXPECT_TRUE(e.doc->MoveCaretDown(false, false));
  EXPECT_EQ(e.host->VScrollPos(), e.doc->DocumentHeight - 100);
}

// ---------------------------------------------------------------- pages

struct PageCase {
  const char *name;
  int clientHeight;
  int scroll; // the view's top before the key
  int caretPara;
  bool down;
  const char *where;
  int wantScroll; // -1: not checked
};

class Pages : public ::testing::TestWithParam<PageCase> {};

// Thirty one-line paragraphs, ten pixels each.
TEST_P(Pages, MoveByTheClientHeight) {
  const PageCase &c = GetParam();
  EditDoc e(200);
  for (int i = 0; i < 30; ++i) e.para({"line"});
  e.format();
  e.host->SetVSmallStep(1);
  e.host->SetClientSize(200, c.clientHeight);
  e.caret(c.caretPara, 3);
  e.host->ScrollTo(c.scroll, false);
  e.run(c.down ? "pagedown" : "pageup");
  EXPECT_EQ(where(e), c.where);
  if (c.wantScroll >= 0) {
    EXPECT_EQ(e.host->VScrollPos(), c.wantScroll);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, Pages,
                         ::testing::Values(
                             // Down: two thirds of 100 below the view's top; the line found goes
                             // to the top of the view.
                             PageCase{"downFromTheTop", 100, 0, 0, true, "6 2 @7", 60},
                             PageCase{"downFromTheMiddle", 100, 60, 8, true, "12 2 @13", 120},
                             PageCase{"downNearTheEndGoesToTheEnd", 100, 240, 27, true, "29 4 @30", -1},
                             // Up: two thirds above the view's top, then half a page at a time
                             // until a line above the caret's is found.
                             PageCase{"upFromTheMiddle", 100, 150, 20, false, "8 2 @9", -1},
                             PageCase{"upSearchesOnWhileTheLineIsNotAboveTheCaret", 100, 150, 5, false, "3 2 @4", -1},
                             PageCase{"upNearTheTopGoesToTheStart", 100, 50, 7, false, "0 0 @1", -1},
                             // A client of no height or one pixel: the search still moves (one
                             // line at a time) and ends.
                             PageCase{"downWithNoClientHeight", 0, 0, 0, true, "1 2 @2", 10},
                             PageCase{"downWithOnePixel", 1, 0, 0, true, "1 2 @2", 10},
                             PageCase{"upWithNoClientHeight", 0, 50, 5, false, "4 2 @5", -1},
                             PageCase{"upWithOnePixel", 1, 50, 5, false, "4 2 @5", -1},
                             PageCase{"upWithNoClientHeightFarBelow", 0, 250, 2, false, "1 2 @2", -1},
                             PageCase{"downWithNoClientHeightFromTheLastLine", 0, 290, 29, true, "29 4 @30", -1}),
                         [](const auto &info) { return std::string(info.param.name); });

// ----------------------------------------------------- paragraph selection

struct ParaSelCase {
  const char *name;
  int item, offs;
  const char *commands;
  const char *selection;
  const char *where;
};

class ParagraphSelection : public ::testing::TestWithParam<ParaSelCase> {};

// In paragraph selection mode a Shift selection takes whole paragraphs,
// and once it spans two it grows and shrinks by paragraphs.
TEST_P(ParagraphSelection, GrowsByWholeParagraphs) {
  const ParaSelCase &c = GetParam();
  EditDoc e(200);
  e.style.SelectionMode = rvsmParagraph;
  build(e, {{"aa"}, {"bb"}, {"cc", "dd"}, {"ee"}, {"ff"}});
  e.caret(c.item, c.offs);
  ASSERT_EQ(e.run(c.commands), "");
  EXPECT_EQ(selection(e), c.selection);
  EXPECT_EQ(where(e), c.where);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParagraphSelection,
    ::testing::Values(ParaSelCase{"oneStepSelectsBothParagraphs", 1, 2, "select-down", "1 1 3 3", "2 4 @3"},
                      ParaSelCase{"thenWholeParagraphsDown", 1, 2, "select-down\nselect-down", "1 1 4 3", "3 2 @4"},
                      ParaSelCase{"rightAddsTheNextParagraph", 1, 2, "select-down\nselect-right 1", "1 1 4 3",
                                  "3 2 @4"},
                      ParaSelCase{"upTakesOneBack", 1, 2, "select-down 3\nselect-up", "1 1 4 3", "3 2 @4"},
                      ParaSelCase{"backwards", 5, 2, "select-up\nselect-left 1", "5 3 2 1", "2 0 @3"},
                      ParaSelCase{"backwardsAcrossAnItemBoundary", 4, 2, "select-up\nselect-up", "4 3 1 1", "1 0 @2"},
                      ParaSelCase{"withinOneParagraphItIsWhole", 0, 2, "select-right 1", "0 1 0 3", "0 2 @1"},
                      ParaSelCase{"leftFromTheFirstParagraph", 1, 1, "select-up\nselect-left 1", "1 3 0 1", "0 0 @1"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ShiftSelection, StartsAtTheCaretAndFollowsIt) {
  EditDoc e(50);
  build(e, kWrapped);
  e.caret(0, 3);
  EXPECT_EQ(e.run("select-down\nselect-right 2"), "");
  EXPECT_EQ(selection(e), "0 3 0 10");
  EXPECT_EQ(e.run("select-up"), "");
  EXPECT_EQ(selection(e), "0 3 0 5");
  // A move without Shift drops the selection first.
  EXPECT_EQ(e.run("left"), "");
  EXPECT_EQ(selection(e), "none");
  EXPECT_EQ(where(e), "0 3 @1");
}

// ------------------------------------------------ an item takes the caret

// An item with documents of its own (a table) may take the caret when a
// plain move reaches it; it reports the direction.
class CaretTaker : public TRVBulletItemInfo {
public:
  explicit CaretTaker(TCustomRVData *RVData, std::vector<TRVGetOutDirection> *Log)
      : TRVBulletItemInfo(RVData), FLog(Log) {}
  int GetWidth() const override { return 20; }
  int GetHeight() const override { return 10; }
  bool TakeCaret(TCustomRVData *, int, TRVGetOutDirection Direction) override {
    FLog->push_back(Direction);
    return true;
  }

private:
  std::vector<TRVGetOutDirection> *FLog;
};

TEST(ItemsTakingTheCaret, AreOfferedItByPlainMovesOnly) {
  EditDoc e(200);
  std::vector<TRVGetOutDirection> log;
  e.para({"ab"});
  auto item = std::make_unique<CaretTaker>(e.doc.get(), &log);
  item->SetContinuePara(true);
  e.doc->Items.Add("", std::move(item));
  e.para({"cd"});
  e.doc->GetItem(2)->SetContinuePara(true);
  e.para({"efghijk"});
  e.format();
  // ab[item]cd on the first line, efghijk below.
  e.caret(0, 3);
  EXPECT_FALSE(e.doc->MoveCaretRight(false, false));
  EXPECT_EQ(e.caretPos(), "0 2");
  e.caret(2, 1);
  EXPECT_FALSE(e.doc->MoveCaretLeft(false, false));
  EXPECT_EQ(e.caretPos(), "0 3");
  e.caret(3, 4);
  EXPECT_FALSE(e.doc->MoveCaretUp(false, false));
  EXPECT_EQ(e.caretPos(), "1 3");
  EXPECT_EQ(log, (std::vector<TRVGetOutDirection>{rvdRight, rvdLeft, rvdUp}));
  // With Shift or Ctrl the caret passes over it.
  e.caret(0, 3);
  EXPECT_FALSE(e.doc->MoveCaretRight(true, false));
  EXPECT_EQ(e.caretPos(), "0 3");
  e.caret(3, 4);
  EXPECT_FALSE(e.doc->MoveCaretUp(false, true));
  EXPECT_EQ(e.caretPos(), "0 3");
  EXPECT_EQ(log.size(), 3u);
}

// ------------------------------------------------------------ jump mode

class ReadOnlyEditData : public TRVEditRVData {
public:
  using TRVEditRVData::TRVEditRVData;
  bool ReadOnly = false, Highlight = true;
  bool IsReadOnly() const override { return ReadOnly; }
  bool CaretHighlightsJumps() const override { return Highlight; }
};

struct JumpDoc {
  EditDoc e{200};
  ReadOnlyEditData *doc;
  JumpDoc() {
    // An editor builds no hyperlink rectangles outside jump mode.
    e.host->Flags &= uint16_t(~rvflBuildJumps);
    e.doc = std::make_unique<ReadOnlyEditData>(e.host.get());
    doc = static_cast<ReadOnlyEditData *>(e.doc.get());
    TFontInfo *f = e.style.TextStyles().Add();
    f->Jump = true;
    f->HoverColor = clRed;
    const int link = e.style.TextStyles().Count() - 1;
    e.para({"go ", "here"});
    e.doc->GetItem(1)->StyleNo = link;
    e.para({"and ", "there"});
    e.doc->GetItem(3)->StyleNo = link;
    e.format();
  }
};

TEST(JumpMode, BuildsTheLinksOfTheFormattedDocumentAndDropsThemAgain) {
  JumpDoc j;
  EXPECT_FALSE(j.doc->InJumpMode());
  EXPECT_TRUE(j.doc->Jumps.empty());
  j.doc->State |= rvstHoverActive;
  j.doc->EnterJumpMode(false);
  EXPECT_TRUE(j.doc->InJumpMode());
  EXPECT_TRUE(j.doc->GetFlags() & rvflBuildJumps);
  EXPECT_FALSE(j.doc->State & rvstHoverActive);
  ASSERT_EQ(j.doc->Jumps.size(), 2u);
  // Where the links are drawn, and with the ids the items got when formatted.
  EXPECT_EQ(j.doc->Jumps[0]->Left, 30);
  EXPECT_EQ(j.doc->Jumps[0]->Top, 0);
  EXPECT_EQ(j.doc->Jumps[0]->Width, 40);
  EXPECT_EQ(j.doc->Jumps[1]->Top, 10);
  EXPECT_EQ(j.doc->Jumps[0]->Id, j.doc->GetItem(1)->JumpID);
  EXPECT_EQ(j.doc->Jumps[1]->Id, j.doc->GetItem(3)->JumpID);
  EXPECT_EQ(j.doc->FindJumpAt(35, 5), j.doc->Jumps[0].get());
  j.doc->LeaveJumpMode();
  EXPECT_FALSE(j.doc->InJumpMode());
  EXPECT_TRUE(j.doc->Jumps.empty());
  EXPECT_EQ(j.doc->FindJumpAt(35, 5), nullptr);
}

TEST(JumpMode, ARunningMouseSelectionOrAReadOnlyEditorKeepsItAsItIs) {
  JumpDoc j;
  j.doc->MouseSel.Selecting = true;
  j.doc->EnterJumpMode(true);
  EXPECT_FALSE(j.doc->InJumpMode());
  j.doc->MouseSel.Selecting = false;
  j.doc->ReadOnly = true;
  j.doc->EnterJumpMode(false);
  EXPECT_FALSE(j.doc->InJumpMode());
  // Making the editor read-only forces it on; only a writable one leaves.
  j.doc->EnterJumpMode(true);
  EXPECT_TRUE(j.doc->InJumpMode());
  j.doc->LeaveJumpMode();
  EXPECT_TRUE(j.doc->InJumpMode());
  j.doc->ReadOnly = false;
  j.doc->LeaveJumpMode();
  EXPECT_FALSE(j.doc->InJumpMode());
}

TEST(JumpMode, ALinkAtTheCaretShowsAsHovered) {
  JumpDoc j;
  j.e.caret(1, 2);
  EXPECT_TRUE(j.doc->State & rvstHoverActive);
  EXPECT_EQ(j.doc->HoveredJump, j.doc->GetItem(1)->JumpID);
  j.e.caret(3, 2);
  EXPECT_EQ(j.doc->HoveredJump, j.doc->GetItem(3)->JumpID);
  // Jump mode drops it: the mouse decides there.
  j.doc->EnterJumpMode(false);
  EXPECT_FALSE(j.doc->State & rvstHoverActive);
  j.doc->LeaveJumpMode();
  EXPECT_TRUE(j.doc->State & rvstHoverActive);
  j.e.caret(2, 2);
  EXPECT_FALSE(j.doc->State & rvstHoverActive);
  EXPECT_EQ(j.doc->HoveredJump, -1);
  j.doc->Highlight = false;
  j.e.caret(1, 2);
  EXPECT_FALSE(j.doc->State & rvstHoverActive);
}

// ------------------------------------------------- empty document, clicks

TEST(EnsureNotEmpty, GivesAnEmptyDocumentAnItemInTheCurrentStylesWithTheCaret) {
  EditDoc e(200);
  e.style.TextStyles().Add()->Unicode = true;
  e.style.ParaStyles().Add();
  e.format();
  const int textNo = e.style.TextStyles().Count() - 1, paraNo = e.style.ParaStyles().Count() - 1;
  e.doc->CurTextStyleNo = textNo;
  e.doc->CurParaStyleNo = paraNo;
  e.doc->EnsureNotEmpty();
  ASSERT_EQ(e.doc->GetItemCount(), 1);
  EXPECT_EQ(e.doc->GetItemStyle(0), textNo);
  EXPECT_EQ(e.doc->GetItemPara(0), paraNo);
  EXPECT_TRUE(e.doc->GetItem(0)->IsUnicode());
  EXPECT_EQ(e.doc->CaretDrawItemNo, 0);
  EXPECT_EQ(e.caretPos(), "0 0");
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
  // A document with items is left alone.
  e.doc->EnsureNotEmpty();
  EXPECT_EQ(e.doc->GetItemCount(), 1);
}

TEST(Click, PutsTheCaretAtTheSelectionEndNeverOnAMarker) {
  EditDoc e(200);
  build(e, {{"abcd"}, {"* efgh"}});
  e.doc->SelStartLine = e.doc->SelEndLine = 1; // the marker's draw line
  e.doc->SelStartOffs = e.doc->SelEndOffs = 0;
  e.doc->AfterSelectionSet();
  EXPECT_EQ(where(e), "1 0 @2");
  // A press and a drag: the caret follows the moving end.
  e.doc->MouseDown(rvmbLeft, 0, 12, 5);
  e.doc->MouseMove(TRVShift::Left, 38, 5);
  EXPECT_EQ(where(e), "0 4 @1");
  e.doc->MouseUp(rvmbLeft, 0, 38, 5);
  EXPECT_EQ(selection(e), "0 2 0 5");
  EXPECT_EQ(where(e), "0 4 @1");
}

// Typing over a selection that starts at the end of a paragraph goes into
// the next paragraph, so its style is the one the editor applies.
TEST(CurrentStyle, ComesFromTheParagraphAfterASelectionStartingAtALineEnd) {
  EditDoc e(200);
  e.style.TextStyles().Add();
  const int second = e.style.TextStyles().Count() - 1;
  e.para({"ab"});
  e.para({"cd"}, 0, second);
  e.format();
  e.select(1, 2, 0, 3);
  EXPECT_EQ(e.caretPos(), "0 2");
  EXPECT_EQ(e.doc->CurTextStyleNo, second);
  e.select(1, 2, 0, 2);
  EXPECT_EQ(e.doc->CurTextStyleNo, 0);
}

TEST(SelectionQueries, AnswerWithTheCaretWhenNothingIsSelected) {
  EditDoc e(200);
  build(e, kTwoParas);
  e.caret(1, 2);
  int a, ao, b, bo;
  e.doc->GetSelectionOrCaretBounds(a, ao, b, bo, true);
  EXPECT_EQ(std::vector<int>({a, ao, b, bo}), std::vector<int>({1, 2, 1, 2}));
  e.doc->GetSelectionOrCaretDrawBounds(a, ao, b, bo, true);
  EXPECT_EQ(std::vector<int>({a, ao, b, bo}), std::vector<int>({1, 2, 1, 2}));
  e.doc->GetAnchorDrawPos(a, ao);
  EXPECT_EQ(std::vector<int>({a, ao}), std::vector<int>({1, 2}));
  e.select(0, 5, 0, 2);
  e.doc->GetSelectionOrCaretBounds(a, ao, b, bo, true);
  EXPECT_EQ(std::vector<int>({a, ao, b, bo}), std::vector<int>({0, 2, 0, 5}));
  e.doc->GetSelectionOrCaretDrawBounds(a, ao, b, bo, false);
  EXPECT_EQ(std::vector<int>({a, ao, b, bo}), std::vector<int>({0, 5, 0, 2}));
  e.doc->GetAnchorDrawPos(a, ao);
  EXPECT_EQ(std::vector<int>({a, ao}), std::vector<int>({0, 5}));
}

// ------------------------------------------------------ right to left

struct StopsCase {
  const char *name;
  TRVBiDiMode paraBiDi, textBiDi;
  std::u16string text;
  std::vector<int> xs; // the stops' X from the piece's left edge
  int moveRightTo;
};

class RightToLeftStops : public ::testing::TestWithParam<StopsCase> {};

// Stops stand where the characters are drawn: in a right-to-left run the
// first character is the rightmost.
TEST_P(RightToLeftStops, StandWhereTheCharactersMeet) {
  const StopsCase &c = GetParam();
  EditDoc e(200);
  e.style.TextStyles()[0]->Unicode = true;
  e.style.TextStyles()[0]->BiDiMode = c.textBiDi;
  e.style.ParaStyles()[0]->BiDiMode = c.paraBiDi;
  auto item = RichVistaTextItemClass(e.doc.get());
  item->ItemOptions.Include(rvioUnicode);
  e.doc->Items.Add(WideStringToRaw(c.text), std::move(item));
  e.format();
  e.caret(0, 1);
  const int left = e.doc->DrawLines.Items(0)->Left;
  std::vector<int> xs;
  for (const TRVCharPos &p : e.doc->CharEnds) {
    xs.push_back(p.X - left);
    EXPECT_EQ(p.MoveRightTo, c.moveRightTo);
  }
  EXPECT_EQ(xs, c.xs);
  // Stops stay in the text's order: Right goes on in the text, whichever
  // way that is on the screen.
  EXPECT_FALSE(e.doc->MoveCaretRight(false, false));
  EXPECT_EQ(e.doc->CharEnds[size_t(e.doc->CaretOffs)].Offset, 2);
  EXPECT_EQ(e.doc->CaretX, e.doc->CharEnds[1].X - 1 + c.moveRightTo);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RightToLeftStops,
    ::testing::Values(
        StopsCase{"leftToRight", rvbdUnspecified, rvbdUnspecified, u"abc", {0, 10, 20, 30}, 1},
        StopsCase{"hebrewParagraph", rvbdRightToLeft, rvbdUnspecified, u"\u05D0\u05D1\u05D2", {30, 20, 10, 0}, 0},
        StopsCase{"hebrewTextStyle", rvbdUnspecified, rvbdRightToLeft, u"\u05D0\u05D1\u05D2", {30, 20, 10, 0}, 0},
        // Latin letters keep their order inside a right-to-left
        // paragraph; the placement puts a boundary after its
        // character, the caret being drawn a pixel before.
        StopsCase{"latinInARightToLeftParagraph", rvbdRightToLeft, rvbdUnspecified, u"ab", {0, 11, 21}, 0},
        StopsCase{"mixed", rvbdRightToLeft, rvbdUnspecified, u"\u05D0\u05D1 cd", {50, 40, 30, 31, 11, 21}, 0}),
    [](const auto &info) { return std::string(info.param.name); });

// Up and Down find the place under the caret where the characters are
// drawn: in a right-to-left line the second stop is left of the first.
TEST(RightToLeftStops, UpAndDownKeepTheCaretOverTheSameCharacters) {
  EditDoc e(200);
  e.style.TextStyles()[0]->Unicode = true;
  e.style.ParaStyles()[0]->BiDiMode = rvbdRightToLeft;
  for (const char16_t *t : {u"\u05D0\u05D1\u05D2\u05D3", u"\u05D4\u05D5\u05D6\u05D7"}) {
    auto item = RichVistaTextItemClass(e.doc.get());
    item->ItemOptions.Include(rvioUnicode);
    e.doc->Items.Add(WideStringToRaw(t), std::move(item));
  }
  e.format();
  e.caret(0, 2);
  e.run("down");
  EXPECT_EQ(where(e), "1 1 @2");
  e.run("right\nup");
  EXPECT_EQ(where(e), "0 2 @1");
}

TEST(RightToLeftStops, AnItemInARightToLeftParagraphIsEnteredFromItsRight) {
  EditDoc e(200);
  e.style.ParaStyles()[0]->BiDiMode = rvbdRightToLeft;
  std::vector<TRVGetOutDirection> log;
  e.doc->Items.Add("", std::make_unique<CaretTaker>(e.doc.get(), &log));
  e.format();
  e.caret(0, 0);
  const TRVDrawLineInfo *d = e.doc->DrawLines.Items(0);
  ASSERT_EQ(e.doc->CharEnds.size(), 2u);
  EXPECT_EQ(e.doc->CharEnds[0].X, d->Left + d->Width);
  EXPECT_EQ(e.doc->CharEnds[0].MoveRightTo, 2);
  EXPECT_EQ(e.doc->CharEnds[1].X, d->Left);
  EXPECT_EQ(e.doc->CharEnds[1].MoveRightTo, 1);
}

} // namespace
