#include "platform/ImageList.h"

#include <gtest/gtest.h>

#include "platform/QtCanvas.h"

namespace kc {
namespace {

QImage Filled(int W, int H, QRgb C) {
  QImage img(W, H, QImage::Format_ARGB32_Premultiplied);
  img.fill(C);
  return img;
}

QRgb Colour(int I) { return qRgb(10 * I, 200 - 10 * I, 7 * I); }

// A list of 16 x 16 images 0..3, each with a twin of its own colour plus
// one blue, except image 2, added alone.
TCustomImageList MakeList() {
  TCustomImageList list(16, 16);
  for (int i = 0; i < 4; ++i) list.Add(Filled(16, 16, Colour(i)), i == 2 ? QImage() : Filled(20, 20, Colour(i) + 1));
  return list;
}

TEST(ImageList, TwinsFollowTheirImages) {
  struct Case {
    const char *name;
    void (*change)(TCustomImageList &);
    std::vector<int> colours; // colour number of each image after the change; -1: none
    std::vector<bool> twins;
  } cases[] = {
      {"as added", [](TCustomImageList &) {}, {0, 1, 2, 3}, {true, true, false, true}},
      {"first deleted", [](TCustomImageList &l) { l.Delete(0); }, {1, 2, 3}, {true, false, true}},
      {"image without twin deleted", [](TCustomImageList &l) { l.Delete(2); }, {0, 1, 3}, {true, true, true}},
      {"out of range deleted", [](TCustomImageList &l) { l.Delete(9); }, {0, 1, 2, 3}, {true, true, false, true}},
      {"cleared", [](TCustomImageList &l) { l.Clear(); }, {}, {}},
      {"resized", [](TCustomImageList &l) { l.SetSize(32, 32); }, {}, {}},
  };
  for (const Case &c : cases) {
    TCustomImageList list = MakeList();
    c.change(list);
    ASSERT_EQ(list.Count(), int(c.colours.size())) << c.name;
    for (int i = 0; i < list.Count(); ++i) {
      EXPECT_EQ(list.GetImage(i).pixel(0, 0), Colour(c.colours[size_t(i)])) << c.name << " " << i;
      EXPECT_EQ(list.HasImage2x(i), c.twins[size_t(i)]) << c.name << " " << i;
      const QImage two = list.GetImage(i, 2.0);
      if (c.twins[size_t(i)]) {
        EXPECT_EQ(two.size(), QSize(32, 32)) << c.name << " " << i << ": scaled to twice the list's size";
        EXPECT_EQ(two.devicePixelRatio(), 2.0) << c.name << " " << i;
        EXPECT_EQ(two.pixel(5, 5), Colour(c.colours[size_t(i)]) + 1) << c.name << " " << i;
      } else {
        EXPECT_EQ(two.size(), QSize(16, 16)) << c.name << " " << i << ": the image itself";
        EXPECT_EQ(two.devicePixelRatio(), 1.0) << c.name << " " << i;
      }
      EXPECT_EQ(list.GetImage(i, 1.0).size(), QSize(16, 16)) << c.name << " " << i;
    }
    EXPECT_TRUE(list.GetImage(list.Count(), 2.0).isNull()) << c.name;
    EXPECT_FALSE(list.HasImage2x(-1)) << c.name;
  }
}

TEST(ImageList, CanvasAtRatioTwoPaintsTheTwinOverTheListsSize) {
  struct Case {
    const char *name;
    qreal ratio;
    bool blended;
    QRgb expected; // at a device pixel inside the image
  } cases[] = {
      {"ratio 1", 1.0, false, Colour(1)},
      {"ratio 2", 2.0, false, Colour(1) + 1},
      {"ratio 1.5 takes the twin too", 1.5, false, Colour(1) + 1},
      {"ratio 2 blended", 2.0, true,
       qRgb((qRed(Colour(1) + 1) + 255) / 2, (qGreen(Colour(1) + 1) + 255) / 2, (qBlue(Colour(1) + 1) + 255) / 2)},
  };
  for (const Case &c : cases) {
    const TCustomImageList list = MakeList();
    QImage device(int(40 * c.ratio), int(40 * c.ratio), QImage::Format_ARGB32_Premultiplied);
    device.setDevicePixelRatio(c.ratio);
    device.fill(Qt::transparent);
    {
      QtCanvas canvas(&device);
      if (c.blended) list.DrawBlended(canvas, 4, 4, 1, clWhite);
      else list.Draw(canvas, 4, 4, 1);
    }
    // The image covers logical 4..19 whatever the ratio.
    EXPECT_EQ(device.pixel(int(10 * c.ratio), int(10 * c.ratio)), c.expected) << c.name;
    EXPECT_EQ(qAlpha(device.pixel(int(19 * c.ratio), int(19 * c.ratio))), 255) << c.name;
    EXPECT_EQ(qAlpha(device.pixel(int(21 * c.ratio), int(21 * c.ratio))), 0)
        << c.name << ": no larger than the list's size";
  }
}

} // namespace
} // namespace kc
