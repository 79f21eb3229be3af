// The item resizer: where the handles sit and which one a point hits, how a
// drag moves the frame (minimum size, Ctrl, proportions), how handles and
// frame are drawn, and, on an editor document, when handles show and how a
// drag resizes a picture or a control as one undoable step.
#include <QWidget>
#include <gtest/gtest.h>

#include "EditFixture.h"
#include "platform/Graphics.h"
#include "platform/QtCanvas.h"
#include "richtext/controls/RVItemResizer.h"
#include "richtext/controls/RichVistaEdit.h"
#include <QTest>

using namespace kc;
using kctest::EditDoc;

namespace {

std::string Points(const TRVItemResizer &R) {
  std::string s;
  for (int i = 0; i < TRVItemResizer::HandleCount; ++i) {
    const TPoint p = R.HandlePos(i);
    s += (i ? " " : "") + std::to_string(p.x) + "," + std::to_string(p.y);
  }
  return s;
}

std::string FrameText(const TRect &F) { return LogRect(F); }

// ------------------------------------------------------------ placement

struct PlacementCase {
  const char *name;
  int w, h, placement;
  const char *handles; // 0..7
};

class HandlePlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(HandlePlacement, PutsTheEightHandlesAroundTheItem) {
  const PlacementCase &c = GetParam();
  TRVItemResizer r(nullptr, 0, 0, c.w, c.h, 0, c.placement);
  EXPECT_EQ(Points(r), c.handles);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HandlePlacement,
    ::testing::Values(
        PlacementCase{"inside", 100, 50, rvhpInside, "3,3 97,3 97,47 3,47 50,3 97,25 50,47 3,25"},
        PlacementCase{"outside", 100, 50, rvhpOutside, "-3,-3 103,-3 103,53 -3,53 50,-3 103,25 50,53 -3,25"},
        PlacementCase{"onBorder", 100, 50, rvhpOnBorder, "0,0 100,0 100,50 0,50 50,0 100,25 50,50 0,25"},
        PlacementCase{"smallPictureOutside", 10, 10, rvhpInside, "-3,-3 13,-3 13,13 -3,13 5,-3 13,5 5,13 -3,5"},
        PlacementCase{"lowItemOutside", 100, 11, rvhpOnBorder, "-3,-3 103,-3 103,14 -3,14 50,-3 103,5 50,14 -3,5"},
        PlacementCase{"twelveStaysInside", 12, 12, rvhpInside, "3,3 9,3 9,9 3,9 6,3 9,6 6,9 3,6"}),
    [](const auto &info) { return std::string(info.param.name); });

struct HitCase {
  const char *name;
  int x, y;
  int handle;
};

class HandleHit : public ::testing::TestWithParam<HitCase> {};

// A 2 x 2 item has its handles outside, 3 pixels off: neighbours overlap,
// so the order of the test decides.
TEST_P(HandleHit, FirstHandleInIndexOrderWins) {
  const HitCase &c = GetParam();
  TRVItemResizer r(nullptr, 0, 0, 2, 2, 0, rvhpInside);
  EXPECT_EQ(r.HandleAt(c.x, c.y), c.handle);
}

INSTANTIATE_TEST_SUITE_P(Table, HandleHit,
                         ::testing::Values(HitCase{"topLeftBeforeTop", -1, -3, 0},
                                           HitCase{"topRightBeforeTop", 2, -3, 1},
                                           HitCase{"bottomRightBeforeRight", 5, 2, 2},
                                           HitCase{"threeAwayHits", -6, -6, 0}, HitCase{"fourAwayMisses", -7, -3, -1},
                                           HitCase{"leftMiddle", -3, 1, 7}, HitCase{"farAway", 40, 40, -1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(HandleHit, SideHandlesOfALargeItemAreTheirOwn) {
  TRVItemResizer r(nullptr, 0, 0, 100, 50, 0, rvhpInside);
  EXPECT_EQ(r.HandleAt(50, 3), 4);
  EXPECT_EQ(r.HandleAt(97, 25), 5);
  EXPECT_EQ(r.HandleAt(50, 47), 6);
  EXPECT_EQ(r.HandleAt(3, 25), 7);
  EXPECT_EQ(r.HandleAt(50, 25), -1) << "the middle of the item";
}

TEST(HandleCursor, CornersDiagonalSidesStraight) {
  const TCursor want[] = {crSizeNWSE, crSizeNESW, crSizeNWSE, crSizeNESW, crSizeNS, crSizeWE, crSizeNS, crSizeWE};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(TRVItemResizer::HandleCursor(i), want[i]) << i;
  EXPECT_EQ(TRVItemResizer::HandleCursor(-1), crDefault);
}

// ----------------------------------------------------------------- drag

struct DragCase {
  const char *name;
  int w, h, spacing;
  int handle;
  TPoint from, to;
  bool shift, ctrl, cornerSwitch;
  const char *frame;
};

class Drag : public ::testing::TestWithParam<DragCase> {
protected:
  void TearDown() override { RVProportionalCornerResize = true; }
};

TEST_P(Drag, MovesTheFrame) {
  const DragCase &c = GetParam();
  RVProportionalCornerResize = c.cornerSwitch;
  TRVItemResizer r(nullptr, 0, 0, c.w, c.h, c.spacing, rvhpInside);
  r.StartDrag(c.handle, c.from.x, c.from.y);
  EXPECT_EQ(FrameText(r.Frame()), FrameText(Rect(0, 0, c.w, c.h))) << "a press alone changes nothing";
  r.DragTo(c.to.x, c.to.y, c.shift, c.ctrl);
  EXPECT_EQ(FrameText(r.Frame()), c.frame);
  EXPECT_TRUE(r.Dragging());
}

INSTANTIATE_TEST_SUITE_P(
    Table, Drag,
    ::testing::Values(
        DragCase{"rightPastLeftStopsAtTwo", 100, 50, 0, 5, {100, 25}, {-40, 25}, false, false, true, "(0,0,2,50)"},
        DragCase{"leftPastRightStopsAtTwo", 100, 50, 0, 7, {0, 25}, {150, 25}, false, false, true, "(98,0,100,50)"},
        DragCase{"topPastBottomStopsAtTwo", 100, 50, 0, 4, {50, 0}, {50, 80}, false, false, true, "(0,48,100,50)"},
        DragCase{"cornerKeepsProportions", 100, 50, 0, 2, {100, 50}, {200, 60}, false, false, true, "(0,0,200,100)"},
        DragCase{"cornerWidthFollowsHeight", 100, 50, 0, 2, {100, 50}, {110, 100}, false, false, true, "(0,0,200,100)"},
        DragCase{
            "topLeftCornerGrowsUpward", 100, 50, 0, 0, {0, 0}, {-100, -10}, false, false, true, "(-100,-50,100,50)"},
        DragCase{"cornerFreeWithSwitchOff", 100, 50, 0, 2, {100, 50}, {200, 60}, false, false, false, "(0,0,200,60)"},
        DragCase{"shiftCornerWithSwitchOff", 100, 50, 0, 2, {100, 50}, {200, 60}, true, false, false, "(0,0,200,100)"},
        DragCase{"sideMovesOneSide", 100, 50, 0, 5, {100, 25}, {150, 40}, false, false, true, "(0,0,150,50)"},
        DragCase{"sideWithShiftGrowsBottom", 100, 50, 0, 5, {100, 25}, {150, 25}, true, false, true, "(0,0,150,75)"},
        DragCase{"leftSideWithShift", 100, 50, 0, 7, {0, 25}, {-100, 25}, true, false, true, "(-100,0,100,100)"},
        DragCase{"ctrlSymmetric", 100, 50, 0, 5, {100, 25}, {120, 25}, false, true, true, "(-20,0,120,50)"},
        DragCase{"ctrlShiftSplitsTheGrowth", 100, 50, 0, 5, {100, 25}, {120, 25}, true, true, true, "(-20,-10,120,60)"},
        DragCase{"ctrlCorner", 100, 50, 0, 2, {100, 50}, {120, 60}, false, true, true, "(-20,-10,120,60)"},
        DragCase{"ctrlPastCentreStaysAroundIt", 100, 50, 0, 5, {100, 25}, {-40, 25}, false, true, true, "(49,0,51,50)"},
        DragCase{"grabOffsetKept", 100, 50, 0, 5, {98, 27}, {108, 27}, false, false, true, "(0,0,110,50)"},
        DragCase{
            "spacingLeftOutOfProportions", 104, 54, 2, 2, {104, 54}, {204, 64}, false, false, true, "(0,0,204,104)"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Drag, CancelEndsItAndRestoresTheFrame) {
  TRVItemResizer r(nullptr, 0, 0, 100, 50, 0, rvhpInside);
  r.StartDrag(5, 100, 25);
  r.DragTo(150, 25, false, false);
  r.Cancel();
  EXPECT_FALSE(r.Dragging());
  EXPECT_TRUE(r.Cancelled());
  EXPECT_EQ(FrameText(r.Frame()), "(0,0,100,50)");
  r.DragTo(170, 25, false, false);
  EXPECT_EQ(FrameText(r.Frame()), "(0,0,100,50)") << "no drag after a cancel";
  r.StartDrag(5, 100, 25);
  EXPECT_FALSE(r.Cancelled()) << "a new press starts afresh";
}

// -------------------------------------------------------------- drawing

TEST(Drawing, AHandleIsABlackSquareWithTwoInvertedRings) {
  RecordingCanvas c;
  TRVItemResizer::DrawHandle(c, 10, 20);
  EXPECT_EQ(c.logText(), "setPen(#000000,1,style0,mode0)\n"
                         "setBrush(#FFFFFF,style1)\n"
                         "rectangle(7,17,13,23)\n"
                         "setPen(#000000,1,style0,mode1)\n"
                         "rectangle(8,18,12,22)\n"
                         "rectangle(9,19,11,21)\n"
                         "setPen(#000000,1,style0,mode0)");
}

TEST(Drawing, HandlesAtTheirPlacesAndTheCanvasPenGivenBack) {
  RecordingCanvas c;
  c.setPen(CanvasPen{clRed, 3, TPenStyle::psDash, TPenMode::pmCopy});
  c.clearLog();
  TRVItemResizer r(nullptr, 0, 0, 10, 10, 0, rvhpInside);
  r.DrawHandles(c, 100, 200);
  std::vector<std::string> outer;
  for (const std::string &l : c.log)
    if (l.rfind("rectangle", 0) == 0) outer.push_back(l);
  ASSERT_EQ(outer.size(), 24u);
  EXPECT_EQ(outer[0], "rectangle(94,194,100,200)") << "handle 0 at (97,197), outside the small item";
  EXPECT_EQ(outer[3], "rectangle(110,194,116,200)") << "handle 1 at (113,197)";
  EXPECT_EQ(c.log.back(), "setBrush(#FFFFFF,style0)");
  EXPECT_EQ(c.pen(), (CanvasPen{clRed, 3, TPenStyle::psDash, TPenMode::pmCopy}));
  EXPECT_FALSE(r.Dragging());
  c.clearLog();
  r.DrawFrame(c, 100, 200);
  EXPECT_TRUE(c.log.empty()) << "no frame without a drag";
}

TEST(Drawing, TheFrameIsADottedInvertedOutline) {
  RecordingCanvas c;
  TRVItemResizer r(nullptr, 0, 0, 100, 50, 0, rvhpInside);
  r.StartDrag(5, 100, 25);
  r.DragTo(120, 25, false, false);
  r.DrawFrame(c, 10, 20);
  EXPECT_EQ(c.logText(), "setPen(#000000,1,style2,mode1)\n"
                         "setBrush(#FFFFFF,style1)\n"
                         "moveTo(10,20)\n"
                         "lineTo(129,20)\n"
                         "lineTo(129,69)\n"
                         "lineTo(10,69)\n"
                         "lineTo(10,20)\n"
                         "setPen(#000000,1,style0,mode0)\n"
                         "setBrush(#FFFFFF,style0)");
}

TEST(Drawing, OnAPictureTheRingsInvertWhatIsUnderThem) {
  QImage img(20, 20, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  {
    QtCanvas c(&img);
    TRVItemResizer::DrawHandle(c, 10, 10);
  }
  auto grey = [&](int x, int y) { return qGray(img.pixel(x, y)); };
  EXPECT_EQ(grey(7, 7), 0) << "black outer square";
  EXPECT_EQ(grey(8, 8), 0) << "white inverted to black";
  EXPECT_EQ(grey(9, 9), 0);
  EXPECT_EQ(grey(7, 10), 0);
  EXPECT_EQ(grey(5, 5), 255) << "outside the handle";
}

// ------------------------------------------------------- editor document

// An editor document whose control hooks a test can set.
class HookedDoc : public TRVEditRVData {
public:
  using TRVEditRVData::TRVEditRVData;
  bool readOnly = false, resizeReadOnly = false, noImageResize = false, suppress = false, canChange = true;
  int changes = 0;
  std::vector<TCursor> cursors;
  bool IsReadOnly() const override { return readOnly; }
  bool ResizesWhenReadOnly() const override { return resizeReadOnly; }
  bool NoImageResize() const override { return noImageResize; }
  bool SuppressesResizer() const override { return suppress; }
  bool CanChange() override { return canChange; }
  void DoChange(bool) override { ++changes; }
  void SetCursor(TCursor Cursor) override { cursors.push_back(Cursor); }
};

struct ResizeDoc : EditDoc {
  ResizeDoc() : EditDoc(400) { doc = std::make_unique<HookedDoc>(host.get()); }
  HookedDoc &hooked() { return static_cast<HookedDoc &>(*doc); }
  // Lays the document out with the caret on item ItemNo, whose handles
  // then show.
  void showHandles(int ItemNo = 1) {
    format();
    caret(ItemNo, 1);
    doc->UpdateResizer();
  }

  TRVGraphicItemInfo *picture(int W, int H, int Spacing = 1, bool Continue = true) {
    auto pic = std::make_unique<TRVGraphicItemInfo>(
        doc.get(), std::make_unique<TBitmap>(QImage(W, H, QImage::Format_RGB32)), rvvaBaseline);
    pic->Spacing = Spacing;
    pic->ParaNo = 0;
    if (Continue) pic->SetContinuePara(true);
    TRVGraphicItemInfo *p = pic.get();
    doc->Items.Add("", std::move(pic));
    return p;
  }
  TRVControlItemInfo *control(int W, int H, bool Resizable) {
    auto *w = new QWidget;
    w->resize(W, H);
    auto ctl = std::make_unique<TRVControlItemInfo>(doc.get(), w, rvvaBaseline);
    ctl->Resizable = Resizable;
    ctl->ParaNo = 0;
    ctl->SetContinuePara(true);
    TRVControlItemInfo *c = ctl.get();
    doc->Items.Add("", std::move(ctl));
    return c;
  }
  const TRVDrawLineInfo &line(int ItemNo) const { return *doc->DrawLines.Items(doc->FirstDrawLineOfItem(ItemNo)); }
  // A press on handle Handle, a move by (DX, DY) and the release, in
  // document coordinates.
  bool drag(int ItemNo, int Handle, int DX, int DY, bool Shift = false, bool Ctrl = false) {
    TRVItemResizer *r = doc->LiveResizer();
    if (!r) return false;
    const TPoint p = r->HandlePos(Handle);
    const int x = line(ItemNo).Left + p.x, y = line(ItemNo).Top + p.y;
    if (!doc->ResizerMouseDown(x, y)) return false;
    doc->ResizerMouseMove(x + DX, y + DY, Shift, Ctrl);
    return doc->ResizerMouseUp(x + DX, y + DY, Shift, Ctrl);
  }
};

struct ShowCase {
  const char *name;
  std::function<void(ResizeDoc &)> setUp;
  bool shown;
};

class HandlesShown : public ::testing::TestWithParam<ShowCase> {};

// "ab", a 30 x 20 picture, "cd"; the caret after the picture unless a row
// puts it elsewhere.
TEST_P(HandlesShown, OnlyForAResizableItemAtTheCaretInAnEditableDocument) {
  const ShowCase &c = GetParam();
  ResizeDoc e;
  e.para({"ab"});
  e.picture(30, 20);
  e.para({"cd"}, 0);
  e.doc->GetItem(2)->SetContinuePara(true);
  e.style.ParaStyles().Add()->Options.Include(rvpaoReadOnly);
  e.format();
  e.caret(1, 1);
  c.setUp(e);
  e.doc->UpdateResizer();
  EXPECT_EQ(e.doc->LiveResizer() != nullptr, c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HandlesShown,
    ::testing::Values(ShowCase{"caretAfterPicture", [](ResizeDoc &) {}, true},
                      ShowCase{"caretOnText", [](ResizeDoc &e) { e.caret(0, 2); }, false},
                      ShowCase{"pictureSelected", [](ResizeDoc &e) { e.select(1, 0, 1, 1); }, true},
                      ShowCase{"textAndPictureSelected", [](ResizeDoc &e) { e.select(0, 2, 1, 1); }, false},
                      ShowCase{"readOnly", [](ResizeDoc &e) { e.hooked().readOnly = true; }, false},
                      ShowCase{"readOnlyThatResizes",
                               [](ResizeDoc &e) { e.hooked().readOnly = e.hooked().resizeReadOnly = true; }, true},
                      ShowCase{"noImageResize", [](ResizeDoc &e) { e.hooked().noImageResize = true; }, false},
                      ShowCase{"suppressed", [](ResizeDoc &e) { e.hooked().suppress = true; }, false},
                      ShowCase{"readOnlyParagraph",
                               [](ResizeDoc &e) {
                                 const int readOnly = e.style.ParaStyles().Count() - 1;
                                 for (int i = 0; i < 3; ++i) e.doc->GetItem(i)->ParaNo = readOnly;
                                 e.format();
                                 e.caret(1, 1);
                               },
                               false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(HandlesShown, ControlsOnlyWhenResizableAndWithHandlesOutside) {
  for (bool resizable : {false, true}) {
    ResizeDoc e;
    e.para({"ab"});
    e.control(40, 30, resizable);
    e.showHandles();
    TRVItemResizer *r = e.doc->LiveResizer();
    ASSERT_EQ(r != nullptr, resizable);
    if (r) {
      EXPECT_EQ(r->Placement(), rvhpOutside);
      EXPECT_EQ(r->Width(), 42) << "the item's box, spacing included";
    }
  }
}

TEST(HandlesShown, GoneWhenTheCaretLeavesAndWhenFormattingIsCleared) {
  ResizeDoc e;
  e.para({"ab"});
  e.picture(30, 20);
  e.showHandles();
  ASSERT_NE(e.doc->LiveResizer(), nullptr);
  e.caret(0, 1);
  e.doc->UpdateResizer();
  EXPECT_EQ(e.doc->LiveResizer(), nullptr);
  e.caret(1, 1);
  e.doc->UpdateResizer();
  e.doc->ClearFormatting();
  EXPECT_EQ(e.doc->Resizer, nullptr);
}

TEST(ResizePicture, CornerDragIsProportionalAndOneUndoRestoresBothSides) {
  ResizeDoc e;
  e.para({"ab"});
  TRVGraphicItemInfo *pic = e.picture(100, 50);
  e.showHandles();
  const std::string rvfBefore = e.rvf(), linesBefore = e.lines();
  // The box is 102 x 52 with the spacing; the picture goes to 200 x 60 and
  // keeps its proportions.
  ASSERT_TRUE(e.drag(1, 2, 100, 10));
  EXPECT_EQ(pic->ImageWidth, 200);
  EXPECT_EQ(pic->ImageHeight, 100);
  EXPECT_EQ(e.line(1).Width, 202);
  EXPECT_EQ(e.line(1).Height, 102);
  EXPECT_EQ(e.doc->UndoList->Count(), 1);
  EXPECT_EQ(e.doc->UndoList->CurrentAction(), rvutModifyItem);
  EXPECT_EQ(e.doc->UndoList->GroupModeCount, 0);
  EXPECT_EQ(e.hooked().changes, 1);
  int caretItem = -1, caretOffs = -1;
  e.doc->GetCaretItemPos(caretItem, caretOffs);
  EXPECT_EQ(caretItem, 1) << "the caret stays at the picture";
  EXPECT_EQ(caretOffs, 1);
  ASSERT_NE(e.doc->LiveResizer(), nullptr) << "handles for the new size";
  EXPECT_EQ(e.doc->LiveResizer()->Width(), 202);
  const auto [partial, whole] = e.partialAndWhole();
  EXPECT_EQ(partial, whole);

  ASSERT_TRUE(e.doc->Undo());
  EXPECT_EQ(pic->ImageWidth, 0);
  EXPECT_EQ(pic->ImageHeight, 0);
  EXPECT_EQ(e.rvf(), rvfBefore);
  EXPECT_EQ(e.lines(), linesBefore);
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
  ASSERT_TRUE(e.doc->Redo());
  EXPECT_EQ(pic->ImageWidth, 200);
  EXPECT_EQ(pic->ImageHeight, 100);
}

TEST(ResizePicture, SideHandleChangesOneSideUnlessShift) {
  for (bool shift : {false, true}) {
    ResizeDoc e;
    e.para({"ab"});
    TRVGraphicItemInfo *pic = e.picture(100, 50, 0);
    e.showHandles();
    ASSERT_TRUE(e.drag(1, 5, 50, 7, shift));
    EXPECT_EQ(pic->ImageWidth, 150) << shift;
    EXPECT_EQ(pic->ImageHeight, shift ? 75 : 50) << shift;
  }
}

TEST(ResizePicture, RightHandlePastTheLeftGivesTwoPixels) {
  ResizeDoc e;
  e.para({"ab"});
  TRVGraphicItemInfo *pic = e.picture(100, 50, 0);
  e.showHandles();
  ASSERT_TRUE(e.drag(1, 5, -150, 0));
  EXPECT_EQ(pic->ImageWidth, 2);
  EXPECT_EQ(pic->ImageHeight, 50);
}

TEST(ResizePicture, EscapeLeavesTheItemAndTheNextReleaseDoesNothing) {
  ResizeDoc e;
  e.para({"ab"});
  TRVGraphicItemInfo *pic = e.picture(100, 50);
  e.showHandles();
  const std::string rvfBefore = e.rvf();
  const TPoint p = e.doc->LiveResizer()->HandlePos(2);
  const int x = e.line(1).Left + p.x, y = e.line(1).Top + p.y;
  EXPECT_FALSE(e.doc->CancelResize()) << "no drag yet";
  ASSERT_TRUE(e.doc->ResizerMouseDown(x, y));
  EXPECT_EQ(e.hooked().cursors.back(), crSizeNWSE);
  EXPECT_TRUE(e.doc->ResizerMouseMove(x + 40, y + 40, false, false));
  EXPECT_TRUE(e.doc->CancelResize());
  EXPECT_EQ(e.hooked().cursors.back(), crDefault);
  EXPECT_FALSE(e.doc->ResizerMouseMove(x + 60, y + 60, false, false)) << "moves are ordinary again";
  EXPECT_TRUE(e.doc->ResizerMouseUp(x + 60, y + 60, false, false)) << "the release of the cancelled press";
  EXPECT_FALSE(e.doc->ResizerMouseUp(x + 60, y + 60, false, false)) << "a later release is ordinary";
  EXPECT_EQ(pic->ImageWidth, 0);
  EXPECT_EQ(e.rvf(), rvfBefore);
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
  EXPECT_EQ(e.hooked().changes, 0);
}

TEST(ResizePicture, PressOffTheHandlesAndReleaseInPlaceChangeNothing) {
  ResizeDoc e;
  e.para({"ab"});
  TRVGraphicItemInfo *pic = e.picture(100, 50);
  e.showHandles();
  EXPECT_FALSE(e.doc->ResizerMouseDown(e.line(1).Left + 50, e.line(1).Top + 25)) << "the middle of the picture";
  EXPECT_FALSE(e.doc->ResizerMouseUp(e.line(1).Left + 50, e.line(1).Top + 25, false, false));
  ASSERT_TRUE(e.drag(1, 2, 0, 0));
  EXPECT_EQ(pic->ImageWidth, 0);
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
  EXPECT_EQ(e.hooked().changes, 0);
}

TEST(ResizePicture, RefusedChangeLeavesEverything) {
  ResizeDoc e;
  e.para({"ab"});
  TRVGraphicItemInfo *pic = e.picture(100, 50);
  e.showHandles();
  e.hooked().canChange = false;
  ASSERT_TRUE(e.drag(1, 5, 30, 0));
  EXPECT_EQ(pic->ImageWidth, 0);
  EXPECT_EQ(e.doc->UndoList->Count(), 0);
  EXPECT_EQ(e.hooked().changes, 0);
}

TEST(ResizePicture, ResizerMouseUsesTheItemsPlaceAndPaintsShiftedByTheScroll) {
  ResizeDoc e;
  e.host->SetClientSize(400, 40);
  e.para({"ab"});
  e.para({"cd"});
  e.para({"ef"});
  e.picture(30, 20);
  e.showHandles(3);
  e.host->ScrollTo(10, false);
  e.host->HScrollTo(4);
  const TRVDrawLineInfo &d = e.line(3);
  e.canvas->clearLog();
  e.doc->PaintResizer(*e.canvas);
  ASSERT_FALSE(e.canvas->log.empty());
  // The first handle of the 32 x 22 box sits 3 pixels inside its corner.
  const int x = d.Left + 3 - 4, y = d.Top + 3 - e.doc->GetVOffs();
  EXPECT_EQ(e.canvas->log[2], "rectangle" + LogRect(Rect(x - 3, y - 3, x + 3, y + 3)));
  // The left handle, at the middle of the left side.
  EXPECT_TRUE(e.doc->ResizerMouseDown(d.Left + 3, d.Top + 11)) << "document coordinates";
  TCursor cursor = crDefault;
  EXPECT_TRUE(e.doc->ResizerCursorAt(0, 0, cursor)) << "while dragging, wherever the mouse is";
  EXPECT_EQ(cursor, crSizeWE);
  e.doc->ResizerMouseMove(d.Left + 13, d.Top + 11, false, false);
  e.canvas->clearLog();
  e.doc->PaintResizer(*e.canvas);
  const std::string frameStart =
      "moveTo(" + std::to_string(d.Left + 10 - 4) + "," + std::to_string(d.Top - e.doc->GetVOffs()) + ")";
  EXPECT_NE(e.canvas->logText().find(frameStart), std::string::npos) << e.canvas->logText();
}

TEST(ResizePicture, CursorOverAHandle) {
  ResizeDoc e;
  e.para({"ab"});
  e.picture(100, 50);
  e.format();
  e.caret(1, 1);
  TCursor cursor = crDefault;
  EXPECT_FALSE(e.doc->ResizerCursorAt(0, 0, cursor)) << "no handles yet";
  e.doc->UpdateResizer();
  const TRVDrawLineInfo &d = e.line(1);
  EXPECT_TRUE(e.doc->ResizerCursorAt(d.Left + d.Width / 2, d.Top + 3, cursor));
  EXPECT_EQ(cursor, crSizeNS);
  EXPECT_FALSE(e.doc->ResizerCursorAt(d.Left + 40, d.Top + 20, cursor));
}

TEST(ResizeControl, DragResizesTheWidgetAndUndoRedoFollow) {
  ResizeDoc e;
  e.para({"ab"});
  TRVControlItemInfo *ctl = e.control(40, 30, true);
  e.showHandles();
  const std::string linesBefore = e.lines();
  // The right handle, outside a control: 30 pixels wider.
  ASSERT_TRUE(e.drag(1, 5, 30, 0));
  EXPECT_EQ(ctl->Control()->width(), 70) << "the spacing is not added to the control";
  EXPECT_EQ(ctl->Control()->height(), 30);
  EXPECT_EQ(e.line(1).Width, 72);
  EXPECT_EQ(e.doc->UndoList->CurrentAction(), rvutModifyItem);
  ASSERT_TRUE(e.doc->Undo());
  EXPECT_EQ(ctl->Control()->width(), 40);
  EXPECT_EQ(ctl->Control()->height(), 30);
  EXPECT_EQ(e.lines(), linesBefore);
  ASSERT_TRUE(e.doc->Redo());
  EXPECT_EQ(ctl->Control()->width(), 70);
  EXPECT_EQ(e.line(1).Width, 72);
  ASSERT_TRUE(e.doc->Undo());
  EXPECT_EQ(ctl->Control()->width(), 40);
}

TEST(ResizeControl, DoResizeRecordsOnlyAChange) {
  ResizeDoc e;
  e.para({"ab"});
  TRVControlItemInfo *ctl = e.control(40, 30, true);
  e.format();
  e.doc->BeginUndoSequence(rvutModifyItem, true);
  e.doc->Do_Resize(1, 40, 30);
  EXPECT_EQ(e.doc->UndoList->LastGroup()->Count(), 0);
  e.doc->Do_Resize(1, 50, 35);
  EXPECT_EQ(e.doc->UndoList->LastGroup()->Count(), 1);
  e.doc->ReformatAfterEdit();
  e.doc->FinishEditing(true);
  EXPECT_EQ(ctl->Control()->size(), QSize(50, 35));
  ASSERT_TRUE(e.doc->Undo());
  EXPECT_EQ(ctl->Control()->size(), QSize(40, 30));
}

} // namespace

// ------------------------------------------------------------ the widget

namespace {

TEST(ResizeInEditor, MouseDragOnACornerResizesThePicture) {
  TRVStyle style;
  TRichVistaEdit edit;
  edit.SetStyle(&style);
  edit.resize(400, 300);
  TRVEditRVData *d = edit.EditData();
  auto pic = std::make_unique<TRVGraphicItemInfo>(d, std::make_unique<TBitmap>(QImage(100, 50, QImage::Format_RGB32)),
                                                  rvvaBaseline);
  pic->Spacing = 0;
  TRVGraphicItemInfo *p = pic.get();
  d->Items.Add("", std::move(pic));
  d->ReformatAllForced(true);
  edit.show();
  d->SetCaretItemPos(0, 1);
  d->UpdateResizer();
  TRVItemResizer *r = d->LiveResizer();
  ASSERT_NE(r, nullptr);
  const TRVDrawLineInfo *dl = d->DrawLines.Items(r->DrawItemNo());
  const QPoint handle(dl->Left + r->HandlePos(2).x - d->GetHOffs(), dl->Top + r->HandlePos(2).y - d->GetVOffs());
  QTest::mousePress(&edit, Qt::LeftButton, Qt::NoModifier, handle);
  QTest::mouseMove(&edit, handle + QPoint(100, 10));
  QTest::mouseRelease(&edit, Qt::LeftButton, Qt::NoModifier, handle + QPoint(100, 10));
  EXPECT_EQ(p->ImageWidth, 200);
  EXPECT_EQ(p->ImageHeight, 100);
  EXPECT_EQ(d->UndoList->CurrentAction(), rvutModifyItem);
}

} // namespace
