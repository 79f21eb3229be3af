#include "platform/Clipboard.h"
#include "widgets/KcGIF.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace kc;

namespace {
QImage picture(int w, int h, int colors) {
  QImage img(w, h, QImage::Format_Indexed8);
  QList<QRgb> table;
  for (int i = 0; i < colors; ++i) table.append(qRgb(i * 50, 255 - i * 50, 7));
  img.setColorTable(table);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.scanLine(y)[x] = uchar((x + 2 * y) % colors);
  return img;
}
} // namespace

TEST(Clipboard, RegisteredFormatsAreStableNamedAndCarried) {
  const unsigned a = Clipboard::registerFormat("GIF Image");
  EXPECT_EQ(Clipboard::registerFormat("gif image"), a);
  EXPECT_NE(Clipboard::registerFormat("Some Other Format"), a);
  EXPECT_GE(a, 0xC000u);
  EXPECT_EQ(Clipboard::formatName(a), "GIF Image");
  EXPECT_EQ(Clipboard::mimeType(a), "application/x-qt-windows-mime;value=\"GIF Image\"");
  EXPECT_EQ(Clipboard::mimeType(Clipboard::registerFormat("text/html")), "text/html");
  EXPECT_EQ(Clipboard::formatName(0xFFFF), "");

  const std::string bytes("a\0b\xFF", 4);
  Clipboard::setData(a, bytes);
  EXPECT_TRUE(Clipboard::hasFormat(a));
  EXPECT_EQ(Clipboard::data(a), bytes);
  Clipboard::setText(u"h\u00e9llo");
  EXPECT_FALSE(Clipboard::hasFormat(a)) << "each set replaces the content";
  EXPECT_EQ(Clipboard::text(), u"h\u00e9llo");
}

TEST(KcGIFClipboard, GifAndBitmapTogether) {
  TKcGIFImage img;
  img.Assign(picture(6, 4, 4));
  img.AddFrame(picture(3, 3, 2));
  img.Frames(1).AnimateInterval = 250;
  img.SaveToBytes(); // every frame has its data now
  img.SaveToClipboard();
  EXPECT_TRUE(Clipboard::hasFormat(TKcGIFImage::ClipboardFormat()));
  EXPECT_TRUE(Clipboard::hasFormat(Clipboard::cfBitmap));

  TKcGIFImage back;
  back.LoadFromClipboard();
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.FrameIndex(), 0);
  EXPECT_EQ(back.Frames(1).AnimateInterval, 250);
  EXPECT_EQ(back.Frames(0).Bitmap().size(), QSize(6, 4));
}

TEST(KcGIFClipboard, BitmapOnlyWhenFramesLackData) {
  Clipboard::clear();
  TKcGIFImage img;
  img.Assign(picture(5, 5, 4));
  img.SaveToClipboard();
  EXPECT_FALSE(Clipboard::hasFormat(TKcGIFImage::ClipboardFormat()));
  TKcGIFImage back;
  back.LoadFromClipboard();
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back.Frames(0).Bitmap().size(), QSize(5, 5));
}

TEST(KcGIFClipboard, LengthBeyondTheBlockIsRefused) {
  Clipboard::setData(TKcGIFImage::ClipboardFormat(), std::string("\xFF\xFF\xFF\x0FGIF89a", 10));
  TKcGIFImage img;
  try {
    img.LoadFromClipboard();
    FAIL();
  } catch (const EKcGraphicError &e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
  EXPECT_EQ(img.Count(), 0);
}
