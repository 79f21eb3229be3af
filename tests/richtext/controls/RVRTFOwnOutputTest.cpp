// The RTF the document writes, read back by our own reader: list tables,
// list overrides and hyperlink fields survive the trip.
#include "richtext/controls/RVRTF.h"

#include <gtest/gtest.h>

#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVMarker.h"

using namespace kc;

namespace {

class TLinkHost : public TRVDataHost {
public:
  void DoWriteHyperlink(TCustomRVData *, int, int, TRVSaveFormat, std::string &Target, std::string &) override {
    Target = "http://x/{y}";
  }
};

} // namespace

TEST(RVRTFReadsOwnOutput, ListsAndHyperlinks) {
  setScreenPixelsPerInch(96);
  TRVStyle style;
  TLinkHost host;
  host.Style = &style;
  TCustomRVData doc;
  doc.SetHost(&host);
  TRVListInfo *list = style.ListStyles().Add();
  list->SetListID(77);
  TRVListLevel *l1 = list->Levels.Add();
  l1->ListType = rvlstDecimal;
  l1->FormatString = "%0:s.";
  l1->StartFrom = 3;
  TRVListLevel *l2 = list->Levels.Add();
  l2->ListType = rvlstLowerAlpha;
  l2->FormatString = "%0:s.%1:s)";
  l2->Options = TRVListLevelOptions{rvloContinuous};
  style.TextStyles()[1]->Jump = true;
  doc.AddItem("", std::make_unique<TRVMarkerItemInfo>(&doc, 0, 0, 1, false));
  doc.AddText("one", 0, 0);
  doc.GetItem(1)->SetContinuePara(true);
  doc.AddItem("", std::make_unique<TRVMarkerItemInfo>(&doc, 0, 1, 5, true));
  doc.AddText("two", 0, 0);
  doc.GetItem(3)->SetContinuePara(true);
  doc.AddText("link", 1, 0);
  std::string rtf;
  ASSERT_TRUE(ExportRtfToStream(doc, rtf));

  TRVRTFReader reader;
  std::vector<std::string> texts, instructions;
  std::vector<std::pair<int, int>> markers;
  reader.OnNewText = [&](TRVRTFReader &r, const std::string &t, TRVRTFPosition) {
    texts.push_back(t);
    instructions.push_back(r.RTFState().FieldInstruction);
  };
  reader.OnUpdateMarker = [&](TRVRTFReader &r) {
    markers.emplace_back(r.ParaProps().ListOverrideIndex, r.ParaProps().ListLevel);
  };
  ASSERT_EQ(reader.ReadRTFData(rtf), 0) << rtf;

  ASSERT_EQ(reader.ListTable().Count(), 1) << rtf;
  const TRVRTFList97 &l = *reader.ListTable().Get(0);
  EXPECT_EQ(l.ListID, 77);
  ASSERT_EQ(l.Levels.size(), 9u);
  EXPECT_EQ(l.Levels[0].StartAt, 3);
  EXPECT_EQ(l.Levels[0].Text, std::string("\x00.", 2));
  EXPECT_FALSE(l.Levels[0].NoRestart);
  EXPECT_EQ(l.Levels[1].Text, std::string("\x00.\x01)", 4));
  EXPECT_TRUE(l.Levels[1].NoRestart);

  const auto &ov = reader.ListOverrideTable();
  ASSERT_EQ(ov.Count(), 2);
  EXPECT_EQ(ov.Get(0)->ListIndex, 0);
  EXPECT_EQ(ov.Get(1)->ListIndex, 0);
  ASSERT_EQ(ov.Get(1)->Levels.size(), 2u);
  EXPECT_TRUE(ov.Get(1)->Levels[1].UseStartAt);
  EXPECT_EQ(ov.Get(1)->Levels[1].StartAt, 5);
  EXPECT_NE(std::find(markers.begin(), markers.end(), std::make_pair(0, 0)), markers.end());
  EXPECT_NE(std::find(markers.begin(), markers.end(), std::make_pair(1, 1)), markers.end());

  auto at = std::find(texts.begin(), texts.end(), "link");
  ASSERT_NE(at, texts.end()) << rtf;
  EXPECT_EQ(instructions[size_t(at - texts.begin())], "HYPERLINK \"http://x/{y}\"");
  EXPECT_NE(std::find(texts.begin(), texts.end(), "one"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "two"), texts.end());
}
