#include <gtest/gtest.h>

#include "richtext/document/RVMultiDrawItem.h"

using namespace kc;

namespace {

TEST(MultiDrawItem, PlainDrawLineCannotBeSplit) {
  TRVDrawLineInfo plain(0, 0, 100, 500, 3, true);
  TRVDrawLineInfo &rec = plain;
  EXPECT_FALSE(rec.InitSplit());
  EXPECT_FALSE(rec.CanSplitFirst(10));
  EXPECT_FALSE(rec.SplitAt(10));
  // The multi-part base without a subclass is just as unsplittable.
  TRVMultiDrawItemInfo multi;
  EXPECT_FALSE(multi.BeginParts());
  EXPECT_FALSE(multi.CanBreakAt(10));
  EXPECT_FALSE(multi.BreakLastPartAt(10));
  EXPECT_EQ(multi.PartsList.Count(), 0);
  TRVMultiDrawItemPart base;
  EXPECT_EQ(base.GetSourceOffset(), -1);
}

struct CountedPart : TRVMultiDrawItemPart {
  explicit CountedPart(int &n) : freed(n) {}
  ~CountedPart() override { ++freed; }
  int &freed;
};

TEST(MultiDrawItem, FreeingTheRecordFreesItsParts) {
  int freed = 0;
  {
    std::unique_ptr<TRVDrawLineInfo> rec = std::make_unique<TRVMultiDrawItemInfo>();
    auto *multi = static_cast<TRVMultiDrawItemInfo *>(rec.get());
    for (int i = 0; i < 3; ++i) multi->PartsList.Add(std::make_unique<CountedPart>(freed));
    EXPECT_EQ(freed, 0);
  }
  EXPECT_EQ(freed, 3);
}

// A 300-pixel picture printed at 4 times the screen resolution (1200 printer
// units high), no part lower than 50 picture pixels.
class ImagePrint : public ::testing::Test {
protected:
  ImagePrint() : info(Ratio(), 300, 50) { info.SetSize(400, 1200); }
  static TRVScreenAndDevice Ratio() {
    TRVScreenAndDevice sad;
    sad.ppixDevice = sad.ppiyDevice = 384;
    return sad;
  }
  TRVImagePrintPart *Part(int i) { return static_cast<TRVImagePrintPart *>(info.PartsList[i]); }
  TRVMultiImagePrintInfo info;
};

TEST_F(ImagePrint, BeginPartsCoversTheWholePicture) {
  EXPECT_TRUE(info.BeginParts());
  ASSERT_EQ(info.PartsList.Count(), 1);
  EXPECT_EQ(Part(0)->Height, 1200);
  EXPECT_EQ(Part(0)->ImageTop, 0);
  EXPECT_EQ(Part(0)->ImageHeight, 300);
  // Beginning again starts over, also through the draw record's own call.
  info.BreakLastPartAt(400);
  TRVDrawLineInfo &rec = info;
  EXPECT_TRUE(rec.InitSplit());
  EXPECT_EQ(info.PartsList.Count(), 1);
}

TEST_F(ImagePrint, CanBreakAtKeepsBothPiecesAboveTheMinimum) {
  info.BeginParts();
  struct Case {
    int y;
    bool ok;
  } cases[] = {
      {196, false},  // 49 picture pixels on the first page
      {200, true},   // 50
      {1000, true},  // 250 above, 50 below
      {1004, false}, // only 49 left below
      {1200, true},  // the whole picture fits
      {5000, true},  // past the picture
      {-4, false},
  };
  for (const Case &c : cases) EXPECT_EQ(info.CanBreakAt(c.y), c.ok) << c.y;
}

TEST_F(ImagePrint, BreakLastPartAtSplitsTheLastPart) {
  info.BeginParts();
  ASSERT_TRUE(info.BreakLastPartAt(400));
  ASSERT_EQ(info.PartsList.Count(), 2);
  EXPECT_EQ(Part(0)->Height, 400);
  EXPECT_EQ(Part(0)->ImageHeight, 100);
  EXPECT_EQ(Part(1)->Height, 800);
  EXPECT_EQ(Part(1)->ImageTop, 100);
  EXPECT_EQ(Part(1)->ImageHeight, 200);
  EXPECT_EQ(Part(1)->GetSourceOffset(), 100);
  // The next page measures what is left, not the whole picture.
  EXPECT_TRUE(info.CanBreakAt(600));
  EXPECT_FALSE(info.CanBreakAt(640));
  ASSERT_TRUE(info.BreakLastPartAt(400));
  EXPECT_EQ(Part(2)->ImageTop, 200);
  EXPECT_EQ(Part(2)->ImageHeight, 100);
  EXPECT_EQ(Part(2)->Height, 400);
  // Too little either side, or nothing to cut: refused, nothing changes.
  EXPECT_FALSE(info.BreakLastPartAt(196));
  EXPECT_FALSE(info.BreakLastPartAt(204));
  EXPECT_FALSE(info.BreakLastPartAt(400));
  EXPECT_FALSE(info.BreakLastPartAt(0));
  EXPECT_EQ(info.PartsList.Count(), 3);
}

TEST_F(ImagePrint, BreakWithoutPartsIsAnInternalError) {
  try {
    info.BreakLastPartAt(400);
    FAIL();
  } catch (const ERichVistaError &e) {
    EXPECT_STREQ(e.what(), "Internal printing error");
  }
}

TEST(MultiImagePrint, NoMinimumStillMakesNoEmptyParts) {
  TRVScreenAndDevice sad;
  TRVMultiImagePrintInfo info(sad, 10, 0);
  info.SetSize(20, 10);
  info.BeginParts();
  EXPECT_FALSE(info.CanBreakAt(0));
  EXPECT_TRUE(info.CanBreakAt(9));
  EXPECT_TRUE(info.BreakLastPartAt(9));
  EXPECT_FALSE(info.BreakLastPartAt(1)); // the last part is only 1 high
}

} // namespace
