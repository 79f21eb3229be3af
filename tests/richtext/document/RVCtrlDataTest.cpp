// The hosts of a formatted document: the view's document answers from its
// host, a nested document answers as a cell does, and the control's
// document paints through one image.
#include <gtest/gtest.h>

#include <QWidget>

#include "FormatFixture.h"
#include "richtext/document/RVCtrlData.h"

using namespace kc;
using kctest::FormatDoc;

namespace {

TEST(ViewData, ShortDocumentsAreShiftedByTheVerticalPlacementTallOnesNever) {
  struct Case {
    const char *name;
    TTextLayout layout;
    int clientHeight, shift;
  } cases[] = {
      {"top", tlTop, 100, 0},
      {"centre", tlCenter, 100, 40},
      {"bottom", tlBottom, 100, 80},
      {"centre of a taller document", tlCenter, 10, 0},
      {"bottom of a taller document", tlBottom, 10, 0},
  };
  for (const auto &c : cases) {
    FormatDoc f(100);
    f.host->VAlign = c.layout;
    f.host->SetClientSize(100, c.clientHeight);
    f.para({"ab"});
    f.para({"cd"});
    f.format();
    ASSERT_EQ(f.doc->DocumentHeight, 20);
    EXPECT_EQ(f.doc->VCenterShift(), c.shift) << c.name;
    EXPECT_EQ(f.doc->GetOrigin().y, c.shift) << c.name;
  }
}

TEST(ViewData, WithScrollingSwitchedOffFormattingDoesNotMoveTheView) {
  FormatDoc f(100);
  f.host->Options.Include(rvoScrollToEnd);
  f.host->SetClientSize(100, 20);
  for (int i = 0; i < 20; ++i) f.para({"ab"});
  f.format();
  f.doc->State |= rvstNoScroll;
  f.para({"cd"});
  f.doc->FormatAppended();
  EXPECT_EQ(f.host->VScrollPos(), 0);
  f.doc->State &= ~rvstNoScroll;
  f.para({"ef"});
  f.doc->FormatAppended();
  EXPECT_GT(f.host->VScrollPos(), 0);
}

struct Row : TRVDataList {
  TCustomRVData *parent = nullptr;
  TCustomRVData *GetParentRVData() const override { return parent; }
};

TEST(NestedData, AnswersNoMarginsWidthsOffsetsOrBackgroundAndTheRowsFlags) {
  FormatDoc f(300);
  Row row;
  row.parent = f.doc.get();
  TRVItemFormattedData cell(&row);
  EXPECT_EQ(cell.GetLeftMargin(), 0);
  EXPECT_EQ(cell.GetRightMargin(), 0);
  EXPECT_EQ(cell.GetTopMargin(), 0);
  EXPECT_EQ(cell.GetWidth(), 0);
  EXPECT_EQ(cell.GetMaxTextWidth(), 0);
  EXPECT_EQ(cell.GetVOffs(), 0);
  EXPECT_EQ(cell.GetHOffs(), 0);
  EXPECT_EQ(cell.GetBackground(), nullptr);
  EXPECT_EQ(cell.GetFlags(), 18);
  EXPECT_EQ(cell.GetRootData(), f.doc.get());
  EXPECT_EQ(cell.GetRVStyle(), &f.style);
  EXPECT_THROW(cell.SetFlags(1), ERichVistaError);
}

TEST(ControlData, PaintsThroughOneImageAtTheClipRectangle) {
  FormatDoc f(100);
  TRVControlData doc(f.host.get());
  doc.AddText("ab", 0, 0);
  doc.ReformatAllForced(true);
  f.canvas->clearLog();
  doc.PaintBuffered(TRect{10, 5, 60, 25}, *f.canvas);
  const std::string log = f.canvas->logText();
  EXPECT_NE(log.find("drawImage(10,5"), std::string::npos) << log;
  EXPECT_EQ(log.find("textOut"), std::string::npos) << "text goes to the image, not the window";
}

// A view document that records what leaves it: jumps, focus handed to
// the window's other controls, focus taken by the view.
struct FocusDoc : TRVControlData {
  using TRVControlData::TRVControlData;
  std::vector<int> jumps;
  std::string events;
  bool otherControls = true;
  QWidget *viewWidget = nullptr;
  std::vector<TControl *> focusedControls;
  const TControl *ViewControl() const override { return viewWidget; }
  bool IsInViewWindow(const TControl *Control) const override { return Control->window() == viewWidget->window(); }
  void GiveControlFocus(TControl *Control) override { focusedControls.push_back(Control); }
  void DoJump(int ID) override { jumps.push_back(ID); }
  bool FocusNextTabControl(bool Backwards) override {
    events += Backwards ? "prev-control " : "next-control ";
    return otherControls;
  }
  void FocusView() override { events += "view "; }
};

// "plain link1 plain link2": items 1 and 3 are links, each on its own line.
struct LinkDoc {
  explicit LinkDoc(int Width = 200) : f(Width) {
    f.style.TextStyles().Add()->Jump = true;
    const int link = f.style.TextStyles().Count() - 1;
    doc = std::make_unique<FocusDoc>(f.host.get());
    doc->viewWidget = &view;
    const char *texts[] = {"plain", "link one", "plain", "link two"};
    for (int i = 0; i < 4; ++i) doc->AddText(texts[i], i % 2 ? link : 0, 0);
    doc->ReformatAllForced(true);
  }
  // Tab pressed in the view hands the view itself over.
  void tab(bool Backwards = false) { doc->MoveItemFocus(Backwards, &view); }
  FormatDoc f;
  QWidget view;
  std::unique_ptr<FocusDoc> doc;
};

TEST(ControlData, TabMovesTheFocusAmongLinksThenLeavesOrGoesRound) {
  struct Case {
    const char *name;
    bool backwards, otherControls;
    int presses;
    std::vector<int> focused; // after each press
    const char *events;
  } cases[] = {
      {"forward, then to the next control", false, true, 3, {1, 3, -1}, "next-control "},
      {"backward, then to the previous control", true, true, 3, {3, 1, -1}, "prev-control "},
      {"forward with no other control goes round", false, false, 4, {1, 3, 1, 3}, "next-control "},
      {"backward with no other control goes round", true, false, 3, {3, 1, 3}, "prev-control "},
  };
  for (const auto &c : cases) {
    LinkDoc d;
    d.doc->otherControls = c.otherControls;
    std::vector<int> focused;
    for (int i = 0; i < c.presses; ++i) {
      d.tab(c.backwards);
      focused.push_back(d.doc->FocusedItemNo);
    }
    EXPECT_EQ(focused, c.focused) << c.name;
    EXPECT_EQ(d.doc->events, c.events) << c.name;
    if (d.doc->FocusedItemNo >= 0) {
      EXPECT_EQ(d.doc->FocusedItemData, d.doc.get()) << c.name;
    }
  }
}

TEST(ControlData, AnIgnoredTabLeavesTheFocusWhereItIs) {
  LinkDoc d;
  d.tab();
  ASSERT_EQ(d.doc->FocusedItemNo, 1);
  d.doc->State |= rvstIgnoreNextTab;
  d.tab();
  EXPECT_EQ(d.doc->FocusedItemNo, 1) << "the ignored press";
  EXPECT_FALSE(d.doc->State & rvstIgnoreNextTab);
  d.doc->MoveItemFocus(false, nullptr);
  EXPECT_EQ(d.doc->FocusedItemNo, 1) << "an item holds the focus and no control is given";
  QWidget otherWindow;
  d.doc->MoveItemFocus(false, &otherWindow);
  EXPECT_EQ(d.doc->FocusedItemNo, 1) << "a control of another window";
  d.tab();
  EXPECT_EQ(d.doc->FocusedItemNo, 3);
}

TEST(ControlData, ActivatingFiresTheFocusedLinksJumpOnly) {
  LinkDoc d;
  d.doc->ActivateFocusedItem();
  EXPECT_TRUE(d.doc->jumps.empty()) << "nothing focused";
  d.tab();
  d.tab();
  ASSERT_EQ(d.doc->FocusedItemNo, 3);
  d.doc->ActivateFocusedItem();
  ASSERT_EQ(d.doc->jumps.size(), 1u);
  EXPECT_EQ(d.doc->jumps[0], d.doc->FirstJumpNo + d.doc->GetItem(3)->JumpID);
  EXPECT_NE(d.doc->GetItem(3)->JumpID, d.doc->GetItem(1)->JumpID);
}

TEST(ControlData, TheFocusFrameSurroundsEveryPieceOfTheFocusedItem) {
  struct Case {
    const char *name;
    int width, hscroll;
    const char *frames;
  } cases[] = {
      // "link one" on the second line (top 10): 8 characters of 10 px.
      {"one piece", 200, 0, "drawFocusRect(-1,9,81,21)"},
      {"scrolled right", 200, 7, "drawFocusRect(-8,9,74,21)"},
      // Wrapped after "link " (its space trimmed): two pieces, two frames.
      {"wrapped link", 60, 0, "drawFocusRect(-1,9,41,21)\ndrawFocusRect(-1,19,31,31)"},
  };
  for (const auto &c : cases) {
    LinkDoc d(c.width);
    d.f.host->HScrollTo(c.hscroll);
    d.tab();
    ASSERT_EQ(d.doc->FocusedItemNo, 1) << c.name;
    d.f.canvas->clearLog();
    d.doc->DrawFocusFrame(*d.f.canvas);
    EXPECT_EQ(d.f.canvas->logText(), c.frames) << c.name;
  }
}

TEST(ControlData, PlainTextAndANothingFocusedDocumentDrawNoFrame) {
  LinkDoc d;
  d.f.canvas->clearLog();
  d.doc->DrawFocusFrame(*d.f.canvas);
  d.doc->FocusedItemNo = 0; // plain text takes no focus and shows no frame
  d.doc->DrawFocusFrame(*d.f.canvas);
  EXPECT_EQ(d.f.canvas->logText(), "");
}

TEST(ControlData, AFocusedControlHandsTheFocusOnFromItsItem) {
  FormatDoc f(300);
  QWidget parent;
  f.host->ParentControl = &parent;
  FocusDoc doc(f.host.get());
  doc.viewWidget = &parent;
  f.style.TextStyles().Add()->Jump = true;
  const int link = f.style.TextStyles().Count() - 1;
  auto *first = new QWidget;
  auto *hidden = new QWidget;
  auto *last = new QWidget;
  for (QWidget *w : {first, hidden, last}) {
    w->resize(20, 10);
    w->setFocusPolicy(Qt::StrongFocus);
  }
  doc.AddControl("first", first, 0, rvvaBaseline, 0);
  doc.AddText("link", link, 0);
  doc.AddControl("hidden", hidden, 0, rvvaBaseline, 0);
  doc.AddControl("last", last, 0, rvvaBaseline, 0);
  parent.show();
  doc.ReformatAllForced(true);
  // Placing shows the controls only in a window host; this host has none.
  first->show();
  last->show();
  ASSERT_TRUE(first->isVisible());

  doc.MoveItemFocus(false, first);
  EXPECT_EQ(doc.FocusedItemNo, 1) << "from the control's item to the link";
  doc.MoveItemFocus(false, nullptr);
  EXPECT_EQ(doc.FocusedItemNo, 1) << "a control item is focused: no move without the widget";
  doc.FocusedControlItem = 1;
  doc.MoveItemFocus(false, first); // stale holder: the widget's own item counts
  EXPECT_EQ(doc.FocusedItemNo, 1);
  doc.MoveItemFocus(false, last);
  EXPECT_EQ(doc.FocusedItemNo, -1);
  EXPECT_EQ(doc.events, "next-control ");
  doc.MoveItemFocus(true, last);
  EXPECT_EQ(doc.FocusedItemNo, 1) << "the hidden control is passed over";
  EXPECT_TRUE(doc.focusedControls.empty()) << "a link takes the focus without a widget";
  doc.FocusedControlItem = -1;
  std::vector<int> focused;
  for (int i = 0; i < 3; ++i) {
    doc.MoveItemFocus(false, &parent); // Tab in the view
    focused.push_back(doc.FocusedItemNo);
  }
  EXPECT_EQ(focused, (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(doc.focusedControls, (std::vector<TControl *>{first, last})) << "the controls Tab reached";
}

} // namespace
