// The hosts of a formatted document: the view's document answers from its
// host, a nested document answers as a cell does, and the control's
// document paints through one image.
#include <gtest/gtest.h>

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

} // namespace
