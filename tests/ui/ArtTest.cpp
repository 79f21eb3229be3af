#include "ui/ArtUn.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/QtCanvas.h"
#include "widgets/KcGIF.h"
#include "widgets/KcGIFCompose.h"

namespace kc {
namespace {

// Whether an image shows something: at least a tenth of it not transparent.
bool Shows(const QImage &Img) {
  const QImage img = Img.convertToFormat(QImage::Format_ARGB32);
  int opaque = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) opaque += qAlpha(img.pixel(x, y)) > 0;
  return opaque * 10 >= img.width() * img.height();
}

bool SamePixels(const QImage &A, const QImage &B, int Tolerance = 0) {
  const QImage a = A.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QImage b = B.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (a.size() != b.size()) return false;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (std::abs(qRed(p) - qRed(q)) > Tolerance || std::abs(qGreen(p) - qGreen(q)) > Tolerance ||
          std::abs(qBlue(p) - qBlue(q)) > Tolerance || std::abs(qAlpha(p) - qAlpha(q)) > Tolerance)
        return false;
    }
  return true;
}

struct ListCase {
  const char *name;
  std::function<void(TCustomImageList &)> fill;
  int size;
  int count;
  // The pictures the windows name by number.
  std::vector<int> named;
};

std::vector<int> Range(int From, int To) {
  std::vector<int> v;
  for (int i = From; i <= To; ++i) v.push_back(i);
  return v;
}

std::vector<ListCase> Lists() {
  std::vector<int> profiles = {piNoPicture, piAllUsers,      piOwnGroup,         piAutoReply, piSend,     piFile,
                               piFolder,    piStillEmoticon, piAnimatedEmoticon, piClearText, piCloseTalk};
  for (int i : Range(11, 49)) profiles.push_back(i);
  return {
      {"ilHotImage", [](TCustomImageList &l) { FillHotImages(l, 32); }, 32, hiCount, Range(0, hiCount - 1)},
      {"ilHotImage16x16", [](TCustomImageList &l) { FillHotImages(l, 16); }, 16, hiCount, Range(0, hiCount - 1)},
      {"ilProfilesImage", [](TCustomImageList &l) { FillProfileImages(l, 32); }, 32, piCount, profiles},
      {"ilProfilesImage16x16", [](TCustomImageList &l) { FillProfileImages(l, 16); }, 16, piCount, profiles},
      {"ilTreyAnimation", [](TCustomImageList &l) { FillTreyAnimation(l); }, 16, kTreyFrames,
       Range(0, kTreyFrames - 1)},
      {"ilStory", [](TCustomImageList &l) { FillStoryImages(l); }, 16, siCount, Range(0, siCount - 1)},
      {"ilStory at 32",
       [](TCustomImageList &l) {
         l.SetSize(32, 32);
         FillStoryImages(l);
       },
       32, siCount, Range(0, siCount - 1)},
  };
}

TEST(Art, EveryNamedPictureIsInItsListAtItsSizeWithItsTwin) {
  for (const ListCase &c : Lists()) {
    TCustomImageList list(7, 7);
    list.Add(QImage(7, 7, QImage::Format_ARGB32));
    c.fill(list);
    EXPECT_EQ(list.Width(), c.size) << c.name;
    EXPECT_EQ(list.Height(), c.size) << c.name;
    EXPECT_EQ(list.Count(), c.count) << c.name << ": filled from empty";
    for (int i : c.named) {
      ASSERT_TRUE(list.ValidIndex(i)) << c.name << " " << i;
      const QImage one = list.GetImage(i);
      EXPECT_EQ(one.size(), QSize(c.size, c.size)) << c.name << " " << i;
      EXPECT_TRUE(Shows(one)) << c.name << " " << i << " is drawn";
      ASSERT_TRUE(list.HasImage2x(i)) << c.name << " " << i;
      const QImage two = list.GetImage(i, 2.0);
      EXPECT_EQ(two.size(), QSize(2 * c.size, 2 * c.size)) << c.name << " " << i;
      EXPECT_EQ(two.devicePixelRatio(), 2.0) << c.name << " " << i;
      EXPECT_TRUE(Shows(two)) << c.name << " " << i;
      // The twin is the same picture: scaled down it is close to the 1x one.
      const QImage down = two.scaled(c.size, c.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
      int far = 0;
      for (int y = 0; y < c.size; ++y)
        for (int x = 0; x < c.size; ++x) far += std::abs(qAlpha(down.pixel(x, y)) - qAlpha(one.pixel(x, y))) > 128;
      EXPECT_LE(far, c.size * c.size / 20) << c.name << " " << i << ": the twin shows the same shape";
    }
  }
}

TEST(Art, UserPicturesAndStillEmoticonsAreAllDifferent) {
  struct Case {
    const char *name;
    int size;
    int first, last;
  } cases[] = {{"user pictures 32", 32, piFirstUser, piLastUser},
               {"user pictures 16", 16, piFirstUser, piLastUser},
               {"still emoticons 32", 32, piFirstEmoticon, piLastEmoticon},
               {"still emoticons 16", 16, piFirstEmoticon, piLastEmoticon}};
  for (const Case &c : cases) {
    TCustomImageList list;
    FillProfileImages(list, c.size);
    for (int i = c.first; i <= c.last; ++i)
      for (int j = i + 1; j <= c.last; ++j)
        EXPECT_FALSE(SamePixels(list.GetImage(i), list.GetImage(j), 8)) << c.name << ": " << i << " and " << j;
  }
}

TEST(Art, TrayFramesAnimate) {
  TCustomImageList list;
  FillTreyAnimation(list);
  ASSERT_GE(list.Count(), 2);
  for (int i = 1; i < list.Count(); ++i) EXPECT_FALSE(SamePixels(list.GetImage(0), list.GetImage(i))) << "frame " << i;
}

TEST(Art, CatalogueGifsDecodeAtTheirCellSizeAndAnimate) {
  for (int n = 0; n < kCatalogueGifs; ++n) {
    const QByteArray bytes = CatalogueGif(n);
    ASSERT_FALSE(bytes.isEmpty()) << n;
    TKcGIFImage gif;
    gif.LoadFromBytes(std::string_view(bytes.constData(), size_t(bytes.size())));
    EXPECT_EQ(gif.ScreenWidth(), kCatalogueGifSizes[n][0]) << n;
    EXPECT_EQ(gif.ScreenHeight(), kCatalogueGifSizes[n][1]) << n;
    ASSERT_GT(gif.Count(), 1) << n << " animates";
    EXPECT_TRUE(gif.Looping()) << n;
    TGIFComposer composer;
    std::vector<QImage> shown;
    for (int i = 0; i < gif.Count(); ++i) {
      EXPECT_FALSE(gif.Frames(i).Corrupted) << n << " frame " << i;
      EXPECT_GT(gif.Frames(i).AnimateInterval, 0u) << n << " frame " << i;
      shown.push_back(composer.Compose(gif, i, 0, true).copy());
    }
    // Transparent around the picture, and the frames differ.
    EXPECT_EQ(qAlpha(shown[0].pixel(0, 0)), 0) << n;
    std::set<int> distinct;
    for (size_t i = 1; i < shown.size(); ++i)
      if (!SamePixels(shown[0], shown[i])) distinct.insert(int(i));
    EXPECT_FALSE(distinct.empty()) << n << ": some frame differs from the first";
  }
}

TEST(Art, CatalogueGifOutsideTheCatalogueIsEmpty) {
  for (int n : {-1, kCatalogueGifs, 1000}) EXPECT_TRUE(CatalogueGif(n).isEmpty()) << n;
}

TEST(Art, ListPicturesDrawnAtRatioTwoAreTheTwinAtRatioOneTheImage) {
  struct Case {
    const char *name;
    int size;
    int index;
    qreal ratio;
  } cases[] = {{"hot 32 at 200 %", 32, hiSend, 2.0},
               {"hot 16 at 200 %", 16, hiHelp, 2.0},
               {"hot 32 at 100 %", 32, hiSend, 1.0},
               {"profiles 16 at 200 %", 16, 30, 2.0}};
  for (const Case &c : cases) {
    TCustomImageList list;
    if (std::string(c.name).rfind("hot", 0) == 0) FillHotImages(list, c.size);
    else FillProfileImages(list, c.size);
    // A canvas the size of the picture plus a margin, at the device's ratio.
    const int logical = c.size + 6;
    QImage device(int(logical * c.ratio), int(logical * c.ratio), QImage::Format_ARGB32_Premultiplied);
    device.setDevicePixelRatio(c.ratio);
    device.fill(Qt::transparent);
    {
      QtCanvas canvas(&device);
      list.Draw(canvas, 3, 3, c.index);
    }
    const int at = int(3 * c.ratio), px = int(c.size * c.ratio);
    const QImage drawn = device.copy(at, at, px, px);
    const QImage source = c.ratio > 1 ? list.GetImage(c.index, c.ratio) : list.GetImage(c.index);
    EXPECT_TRUE(SamePixels(drawn, source, 1)) << c.name;
  }
}

TEST(Art, ActionsAndMenusFindTheirPictures) {
  // Send toolbar actions index ilProfilesImage; the rest ilHotImage.
  struct Case {
    const char *name;
    int index;
  } cases[] = {
      {"actSendMessage", piSend},
      {"actSelectImageMood", piStillEmoticon},
      {"actSelectGifMood", piAnimatedEmoticon},
      {"actInsertFile", piFile},
      {"actInsertFolder", piFolder},
      {"actClearTextMessage", piClearText},
      {"actCloseTalk", piCloseTalk},
      {"actMessageToUser", hiTalk},
      {"actShowUserList", hiUserList},
      {"actUserMyProfile", hiMyProfile},
      {"actHelp", hiHelp},
      {"actMailUser", hiMailUser},
      {"actNotTalkPrivate", hiNotTalkPrivate},
      {"actNotTalkGroup", hiNotTalkGroup},
      {"actAnsweringMachine", hiAutoReply},
      {"actOpen", hiOpen},
      {"actClose", hiClose},
      {"actSoundNewMessage", -1},
      {"actBtnBigIcon", -1},
      {"no such action", -1},
  };
  for (const Case &c : cases) EXPECT_EQ(ActionImageIndex(c.name), c.index) << c.name;
  EXPECT_EQ(ItemImageIndex("tbOptions"), hiOptions);
  EXPECT_EQ(ItemImageIndex("miPlaySound"), hiSounds);
  EXPECT_EQ(ItemImageIndex("miMessage"), -1) << "a split button shows its action's picture";
}

TEST(Art, ProgramIconHasEverySize) {
  const QIcon icon = ProgramIcon();
  ASSERT_FALSE(icon.isNull());
  for (int s : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QImage img = icon.pixmap(QSize(s, s)).toImage();
    EXPECT_EQ(img.size(), QSize(s, s)) << s;
    EXPECT_TRUE(Shows(img)) << s;
  }
}

} // namespace
} // namespace kc
