// Integer properties of the item classes by name: which class answers
// which name, the base classes' names reached through every subclass, and
// values stored as the nearest one the property can hold.
#include <gtest/gtest.h>

#include <functional>

#include "platform/ImageList.h"
#include "richtext/document/RVItem.h"

using namespace kc;

namespace {

struct PropCase {
  const char *name;
  std::function<std::unique_ptr<TCustomRVItemInfo>()> make;
  const char *prop;
  int set, stored;
};

class ItemIntProps : public ::testing::TestWithParam<PropCase> {};

TEST_P(ItemIntProps, SetAndReadBack) {
  const PropCase &c = GetParam();
  std::unique_ptr<TCustomRVItemInfo> item = c.make();
  int before = 12345;
  ASSERT_TRUE(item->GetIntPropertyByName(c.prop, before));
  ASSERT_TRUE(item->SetIntPropertyByName(c.prop, c.set));
  int after = 0;
  ASSERT_TRUE(item->GetIntPropertyByName(c.prop, after));
  EXPECT_EQ(after, c.stored);
}

std::unique_ptr<TCustomRVItemInfo> Break() { return std::make_unique<TRVBreakItemInfo>(nullptr, clNone, 0, 1); }
std::unique_ptr<TCustomRVItemInfo> Picture() { return std::make_unique<TRVGraphicItemInfo>(nullptr); }
std::unique_ptr<TCustomRVItemInfo> Hotspot() { return std::make_unique<TRVHotspotItemInfo>(nullptr); }
std::unique_ptr<TCustomRVItemInfo> Control() { return std::make_unique<TRVControlItemInfo>(nullptr); }
TCustomImageList *ThreeImages() {
  static TCustomImageList list(4, 4);
  if (list.Count() == 0)
    for (int i = 0; i < 3; ++i) list.Add(QImage(4, 4, QImage::Format_ARGB32));
  return &list;
}
std::unique_ptr<TCustomRVItemInfo> Bullet() {
  return std::make_unique<TRVBulletItemInfo>(nullptr, 0, ThreeImages(), rvvaBaseline);
}

INSTANTIATE_TEST_SUITE_P(Table, ItemIntProps,
                         ::testing::Values(PropCase{"breakLineWidth", Break, "LineWidth", 4, 4},
                                           PropCase{"breakLineWidthIsAByte", Break, "LineWidth", 300, 255},
                                           PropCase{"breakStyle", Break, "BreakStyle", 2, 2},
                                           PropCase{"breakStyleOutOfRange", Break, "BreakStyle", 9, 2},
                                           PropCase{"breakColor", Break, "Color", 0x00FF00, 0x00FF00},
                                           PropCase{"breakDeleteProtect", Break, "DeleteProtect", 5, 1},
                                           PropCase{"pictureWidth", Picture, "ImageWidth", 40, 40},
                                           PropCase{"pictureWidthTooWide", Picture, "ImageWidth", 1 << 30,
                                                    kMaxGraphicSide},
                                           PropCase{"pictureHeight", Picture, "ImageHeight", -1, -1},
                                           PropCase{"pictureVAlign", Picture, "VAlign", 1, rvvaMiddle},
                                           PropCase{"pictureSpacing", Picture, "Spacing", -3, 0},
                                           PropCase{"pictureVShift", Picture, "VShift", -7, -7},
                                           PropCase{"bulletIndexInTheList", Bullet, "ImageIndex", 2, 2},
                                           PropCase{"bulletIndexBeyondTheList", Bullet, "ImageIndex", 9, 2},
                                           PropCase{"hotspotHotIndex", Hotspot, "HotImageIndex", 3, 3},
                                           PropCase{"hotspotIndexOfItsBase", Hotspot, "ImageIndex", 1, 1},
                                           PropCase{"controlPercent", Control, "PercentWidth", 150, 100},
                                           PropCase{"controlResizable", Control, "Resizable", 1, 1},
                                           PropCase{"controlMinHeight", Control, "MinHeightOnPage", 30, 30}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ItemIntProps, NamesAClassDoesNotHaveAreRefused) {
  auto text = std::make_unique<TRVTextItemInfo>(nullptr);
  int v = 7;
  EXPECT_FALSE(text->GetIntPropertyByName("Spacing", v));
  EXPECT_FALSE(text->SetIntPropertyByName("Spacing", 3));
  EXPECT_EQ(v, 7);
  auto br = Break();
  EXPECT_FALSE(br->SetIntPropertyByName("ImageWidth", 3)) << "a break is no picture";
  EXPECT_FALSE(br->SetIntPropertyByName("linewidth", 3)) << "names are exact";
}

} // namespace
