// The non-text items: sizes, painting on a canvas, their RVF records read
// back the way the reader cuts lines, their HTML, RTF and text pieces, the
// ownership of embedded controls, and the image list they draw from.
#include "richtext/document/RVItem.h"
#include "support/DocumentHosts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <fstream>

#include "platform/ImageList.h"
#include "platform/RecordingCanvas.h"
#include "support/CanvasLines.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVMultiDrawItem.h"

using namespace kc;

namespace {

using kctest::Lines;

QImage Filled(int w, int h, QColor color) {
  QImage img(w, h, QImage::Format_ARGB32);
  img.fill(color);
  return img;
}

// Reads back one record written by SaveRVF, cutting its lines as the RVF
// reader does: a line after which the item asked for line state 1 is
// followed by a binary block.
struct ReadResult {
  bool ok = false;
  std::string name;
  int lineCount = 0;
  int mode = 0;
};

ReadResult ReadRecord(const std::string &stream, TCustomRVItemInfo &item, TCustomRVData *d) {
  ReadResult r;
  size_t pos = stream.find("\r\n");
  if (pos == std::string::npos) return r;
  const std::string header = stream.substr(0, pos);
  pos += 2;
  // Six common tokens, then the tail.
  size_t p = 0;
  std::vector<std::string> tokens;
  for (int i = 0; i < 6; ++i) {
    size_t sp = header.find(' ', p);
    tokens.push_back(header.substr(p, sp == std::string::npos ? std::string::npos : sp - p));
    p = sp == std::string::npos ? header.size() : sp + 1;
  }
  r.lineCount = std::stoi(tokens[1]);
  r.mode = std::stoi(tokens[4]);
  if (!item.ReadRvfHeaderTail(header.substr(p), d)) return r;
  bool binaryNext = false;
  for (int i = 0; i < r.lineCount; ++i) {
    std::string line;
    if (binaryNext) {
      if (stream.size() - pos < 4) return r;
      uint32_t n = 0;
      for (int k = 0; k < 4; ++k) n |= uint32_t(uint8_t(stream[pos + size_t(k)])) << (8 * k);
      pos += 4;
      if (stream.size() - pos < n) return r;
      line = stream.substr(pos, n);
      pos += n;
    } else {
      const size_t end = stream.find("\r\n", pos);
      if (end == std::string::npos) return r;
      line = stream.substr(pos, end - pos);
      pos = end + 2;
    }
    int state = 0;
    if (!item.ReadRVF(line, d, r.mode, i, r.lineCount, r.name, state)) return r;
    binaryNext = state == 1;
  }
  r.ok = pos == stream.size();
  return r;
}

struct Host : TRVDataHost {
  TCustomImageList *list = nullptr;
  std::vector<std::string> events;
  std::unique_ptr<TGraphic> picture;
  TCustomImageList *DoRVFImageListNeeded(int Tag) override {
    events.push_back("list" + std::to_string(Tag));
    return list;
  }
  std::unique_ptr<TGraphic> DoRVFPictureNeeded(const std::string &Name, const TRVTag &) override {
    events.push_back("picture:" + Name);
    return std::move(picture);
  }
  void DoControlAction(TCustomRVData *, TRVControlAction Action, int ItemNo, TControl *&) override {
    events.push_back("control" + std::to_string(int(Action)) + ":" + std::to_string(ItemNo));
  }
  bool DoSaveComponentToFile(TCustomRVData *, const std::string &, TControl *, TRVSaveFormat Format,
                             std::string &Text) override {
    Text = "<ctl " + std::to_string(int(Format)) + ">";
    return true;
  }
};

class Items : public ::testing::Test, protected kctest::TStyledDoc<Host> {};

} // namespace

// ------------------------------------------------------------------- sizes

TEST(NonTextSizes, PictureSizes) {
  struct Case {
    int imageW, imageH, spacing;
    int w, h; // image size
  } cases[] = {
      {0, 0, 1, 30, 20},
      {0, 40, 1, 30, 40}, // only the height is set
      {50, 0, 0, 50, 20},
      {-3, -3, 2, 30, 20},
  };
  for (const Case &c : cases) {
    TRVGraphicItemInfo pic(nullptr, std::make_unique<TBitmap>(QImage(30, 20, QImage::Format_RGB32)), rvvaBaseline);
    pic.ImageWidth = c.imageW;
    pic.ImageHeight = c.imageH;
    pic.SetSpacing(c.spacing);
    EXPECT_EQ(pic.GetImageWidth(nullptr), c.w);
    EXPECT_EQ(pic.GetImageHeight(nullptr), c.h);
    EXPECT_EQ(pic.GetWidth(), c.w + 2 * c.spacing);
    EXPECT_EQ(pic.GetHeight(), c.h + 2 * c.spacing);
    EXPECT_EQ(pic.GetMinWidth(nullptr, nullptr, nullptr), c.w + 2 * c.spacing);
    TRVScreenAndDevice sad;
    sad.ppixDevice = 192;
    EXPECT_EQ(pic.GetMinWidth(&sad, nullptr, nullptr), 2 * (c.w + 2 * c.spacing));
  }
  TRVGraphicItemInfo empty(nullptr);
  EXPECT_EQ(empty.GetWidth(), 2);
}

TEST(NonTextSizes, ImageListAndControlSizes) {
  TCustomImageList list(16, 12);
  TRVBulletItemInfo bullet(nullptr, 0, &list, rvvaBaseline);
  EXPECT_EQ(bullet.GetWidth(), 18);
  EXPECT_EQ(bullet.GetHeight(), 14);
  TRVBulletItemInfo none(nullptr);
  EXPECT_EQ(none.GetImageWidth(nullptr), 0);

  auto *w = new QWidget;
  w->resize(100, 30);
  TRVControlItemInfo ctl(nullptr, w, rvvaBaseline);
  EXPECT_EQ(ctl.GetWidth(), 102);
  EXPECT_EQ(ctl.GetMinWidth(nullptr, nullptr, nullptr), 102);
  ctl.PercentWidth = 50;
  EXPECT_EQ(ctl.GetMinWidth(nullptr, nullptr, nullptr), 20);
  bool resized = false;
  int height = 0;
  ctl.OnDocWidthChange(402, nullptr, false, nullptr, nullptr, nullptr, resized, height);
  EXPECT_TRUE(resized);
  EXPECT_EQ(w->width(), 199);
  EXPECT_EQ(height, 30);
  ctl.PercentWidth = 0;
  ctl.OnDocWidthChange(402, nullptr, false, nullptr, nullptr, nullptr, resized, height);
  EXPECT_FALSE(resized);
  EXPECT_EQ(w->width(), 199);
  ctl.Resizable = true;
  EXPECT_TRUE(ctl.GetFlag(rvbpResizable));
  ctl.PercentWidth = 100;
  EXPECT_FALSE(ctl.GetFlag(rvbpResizable));
}

TEST(NonTextSizes, PrintingRecordsSplitOnlyWhenAllowed) {
  TRVScreenAndDevice sad;
  sad.ppixDevice = sad.ppiyDevice = 192;
  TRVGraphicItemInfo pic(nullptr, std::make_unique<TBitmap>(QImage(30, 20, QImage::Format_RGB32)), rvvaBaseline);
  std::unique_ptr<TRVDrawLineInfo> plain = pic.CreatePrintingDrawItem(nullptr, sad);
  EXPECT_EQ(dynamic_cast<TRVMultiImagePrintInfo *>(plain.get()), nullptr);
  pic.MinHeightOnPage = 5;
  std::unique_ptr<TRVDrawLineInfo> multi = pic.CreatePrintingDrawItem(nullptr, sad);
  auto *m = dynamic_cast<TRVMultiImagePrintInfo *>(multi.get());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Width, 64);
  EXPECT_EQ(m->Height, 44);
  pic.ImageHeight = 40; // stretched: printed whole
  EXPECT_EQ(dynamic_cast<TRVMultiImagePrintInfo *>(pic.CreatePrintingDrawItem(nullptr, sad).get()), nullptr);
}

// ---------------------------------------------------------------- painting

TEST(NonTextPaint, PictureWithFrames) {
  TRVStyle st;
  st.CurrentItemColor = clRed;
  st.SelColor = clBlue;
  st.InactiveSelColor = clGreen;
  TRVGraphicItemInfo pic(nullptr, std::make_unique<TBitmap>(QImage(30, 20, QImage::Format_RGB32)), rvvaBaseline);
  pic.Spacing = 2;
  RecordingCanvas c;
  pic.Paint(10, 5, c, TRVItemDrawStates{rvidsCurrent, rvidsSelected, rvidsControlFocused}, &st, nullptr);
  EXPECT_EQ(
      Lines(c, {"drawGraphic", "rectangle", "setPen"}),
      (std::vector<std::string>{"drawGraphic(12,7,42,27),TBitmap", "setPen(#FF0000,1,style0,mode0)",
                                "rectangle(9,4,45,30)", "setPen(#0000FF,1,style0,mode0)", "rectangle(10,5,44,29)"}));
  c.clearLog();
  pic.ImageWidth = 60;
  pic.Paint(0, 0, c, TRVItemDrawStates{rvidsSelected}, &st, nullptr);
  EXPECT_EQ(Lines(c, {"drawGraphic", "rectangle", "setPen"}),
            (std::vector<std::string>{"drawGraphic(2,2,62,22),TBitmap", "setPen(#008000,1,style0,mode0)",
                                      "rectangle(0,0,64,24)"}));
  c.clearLog();
  st.CurrentItemColor = clNone;
  pic.Paint(0, 0, c, TRVItemDrawStates{rvidsCurrent}, &st, nullptr);
  EXPECT_TRUE(Lines(c, {"rectangle"}).empty());
}

TEST(NonTextPaint, MetafileIsClippedToItsFrame) {
  auto mf = std::make_unique<TMetafile>();
  mf->setSize(40, 30);
  TRVGraphicItemInfo pic(nullptr, std::move(mf), rvvaBaseline);
  pic.ImageHeight = 10;
  RecordingCanvas c;
  pic.Paint(0, 0, c, TRVItemDrawStates{}, nullptr, nullptr);
  EXPECT_EQ(Lines(c, {"saveDC", "intersectClipRect", "drawGraphic", "restoreDC"}),
            (std::vector<std::string>{"saveDC()", "intersectClipRect(1,1,41,11)", "drawGraphic(1,1,41,11),TMetafile",
                                      "restoreDC(1)"}));
}

TEST(NonTextPaint, BreakStyles) {
  TRVStyle st;
  st.TextStyles()[0]->Color = clMaroon;
  st.SelColor = clBlue;
  struct Case {
    uint8_t style;
    TColor color;
    std::vector<std::string> lines;
  } cases[] = {
      {0,
       clNone,
       {"setPen(#800000,3,style0,mode0)", "moveTo(15,25)", "lineTo(95,25)", "setPen(#800000,1,style0,mode0)"}},
      {1, clRed, {"setPen(#FF0000,1,style0,mode0)", "rectangle(15,24,95,27)", "setPen(#FF0000,1,style0,mode0)"}},
      {2,
       clRed,
       {"setPen(sys16,1,style0,mode0)", "moveTo(15,26)", "lineTo(15,24)", "lineTo(94,24)",
        "setPen(sys15,1,style0,mode0)", "moveTo(94,24)", "lineTo(94,26)", "lineTo(14,26)",
        "setPen(sys15,1,style0,mode0)"}},
      {7, clRed, {"setPen(#000000,1,style0,mode0)"}},
  };
  for (const Case &k : cases) {
    TRVBreakItemInfo brk(nullptr, k.color, k.style, 3);
    RecordingCanvas c;
    brk.PaintFullWidth(10, 100, 20, c, TRVItemDrawStates{}, &st, TRect{}, 0);
    EXPECT_EQ(Lines(c, {"setPen", "moveTo", "lineTo", "rectangle"}), k.lines) << int(k.style);
  }
  TRVBreakItemInfo brk(nullptr, clRed, 0, 2);
  RecordingCanvas c;
  brk.PaintFullWidth(0, 50, 0, c, TRVItemDrawStates{rvidsSelected, rvidsControlFocused}, &st, TRect{}, 0);
  EXPECT_EQ(Lines(c, {"setPen", "moveTo", "lineTo"}),
            (std::vector<std::string>{"setPen(#FF0000,2,style0,mode0)", "moveTo(5,5)", "lineTo(45,5)",
                                      "setPen(#0000FF,2,style0,mode0)", "moveTo(5,5)", "lineTo(45,5)",
                                      "setPen(#0000FF,1,style0,mode0)"}));
}

TEST(NonTextPaint, ImageListImages) {
  TRVStyle st;
  st.CurrentItemColor = clRed;
  TCustomImageList list(8, 6);
  list.Add(Filled(8, 6, Qt::red));
  list.Add(Filled(8, 6, Qt::blue));
  TRVHotspotItemInfo hs(nullptr);
  hs.ImageList = &list;
  hs.ImageIndex = 0;
  hs.HotImageIndex = 1;
  RecordingCanvas c;
  hs.Paint(3, 4, c, TRVItemDrawStates{rvidsHover, rvidsCurrent}, &st, nullptr);
  EXPECT_EQ(Lines(c, {"drawImage", "rectangle"}),
            (std::vector<std::string>{"drawImage(4,5,8,6)", "rectangle(2,3,14,13)"}));
  // Out of range on either side: nothing drawn.
  for (int bad : {-1, 2}) {
    c.clearLog();
    hs.ImageIndex = bad;
    hs.Paint(0, 0, c, TRVItemDrawStates{}, &st, nullptr);
    EXPECT_TRUE(Lines(c, {"drawImage"}).empty()) << bad;
  }
}

TEST(NonTextPaint, ControlPaintsOnlyFrames) {
  TRVStyle st;
  st.InactiveSelColor = clGreen;
  auto *w = new QWidget;
  w->resize(20, 10);
  TRVControlItemInfo ctl(nullptr, w, rvvaBaseline);
  RecordingCanvas c;
  ctl.Paint(0, 0, c, TRVItemDrawStates{rvidsSelected}, &st, nullptr);
  EXPECT_EQ(Lines(c, {"rectangle", "drawImage", "drawGraphic"}), (std::vector<std::string>{"rectangle(0,0,22,12)"}));
}

// -------------------------------------------------------------- image list

TEST(ImageList, IndicesAndSizes) {
  TCustomImageList list(4, 4);
  EXPECT_EQ(list.Add(Filled(8, 2, Qt::green)), 0);
  EXPECT_EQ(list.GetImage(0).size(), QSize(4, 4));
  EXPECT_TRUE(list.ValidIndex(0));
  EXPECT_FALSE(list.ValidIndex(-1));
  EXPECT_FALSE(list.ValidIndex(1));
  EXPECT_TRUE(list.GetImage(-1).isNull());
  list.Delete(-1);
  list.Delete(5);
  EXPECT_EQ(list.Count(), 1);
  RecordingCanvas c;
  list.DrawBlended(c, 0, 0, -1, clBlue);
  list.Draw(c, 0, 0, -7);
  EXPECT_TRUE(c.log.empty());
  // Saved pictures: the image over an opaque background of the list's size.
  QImage half = Filled(4, 4, Qt::transparent);
  for (int y = 0; y < 4; ++y) half.setPixel(0, y, qRgba(0, 0, 255, 255));
  list.Add(half);
  const QImage onRed = list.ImageOnBackground(1, clRed);
  ASSERT_EQ(onRed.size(), QSize(4, 4));
  EXPECT_EQ(onRed.pixel(0, 2), qRgb(0, 0, 255));
  EXPECT_EQ(onRed.pixel(3, 2), qRgb(255, 0, 0));
  EXPECT_EQ(list.ImageOnBackground(1, clNone).pixel(3, 0), qRgb(255, 255, 255));
  EXPECT_TRUE(list.ImageOnBackground(2, clRed).isNull());
  EXPECT_TRUE(list.ImageOnBackground(-1, clRed).isNull());
  list.SetSize(8, 8);
  EXPECT_EQ(list.Count(), 0);
}

// --------------------------------------------------------------------- RVF

TEST_F(Items, BreakRecord) {
  TRVBreakItemInfo brk(&doc, clRed, 1, 2);
  brk.ParaNo = 0;
  std::string s;
  brk.SaveRVF(s, &doc, 0, "", false);
  EXPECT_EQ(s, "-1 0 0 0 0 0 255 1 2\r\n");
  TRVBreakItemInfo back(&doc);
  ReadResult r = ReadRecord(s, back, &doc);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(back.Color, clRed);
  EXPECT_EQ(back.BreakStyle, 1);
  EXPECT_EQ(back.LineWidth, 2);
  EXPECT_FALSE(back.GetFlag(rvbpRequiresRVFLines));
}

TEST_F(Items, JpegPictureRoundTripsInTextAndBinaryForm) {
  QImage src(16, 8, QImage::Format_RGB32);
  src.fill(QColor(200, 40, 40));
  auto jpeg = std::make_unique<TJPEGImage>();
  ASSERT_TRUE(jpeg->assignImage(src));
  for (bool binary : {false, true}) {
    TRVFOptions o = doc.GetRVFOptions();
    o.Set(rvfoSaveBinary, binary);
    doc.SetRVFOptions(o);
    TRVGraphicItemInfo pic(&doc, jpeg->clone(), rvvaMiddle);
    pic.ImageWidth = 32;
    pic.Tag = 4;
    std::string s;
    pic.SaveRVF(s, &doc, 0, "photo", false);
    EXPECT_EQ(s.substr(0, s.find("\r\n")), binary ? "-3 4 0 0 2 4 1" : "-3 4 0 0 0 4 1");
    TRVGraphicItemInfo back(&doc);
    ReadResult r = ReadRecord(s, back, &doc);
    ASSERT_TRUE(r.ok) << binary;
    EXPECT_EQ(r.name, "photo");
    ASSERT_NE(back.Image, nullptr);
    EXPECT_STREQ(back.Image->className(), "TJPEGImage");
    EXPECT_EQ(back.Image->width(), 16);
    EXPECT_EQ(back.Image->height(), 8);
    EXPECT_EQ(back.ImageWidth, 32);
    EXPECT_EQ(back.VAlign, rvvaMiddle);
    const QColor px = back.Image->toImage().pixelColor(8, 4);
    EXPECT_NEAR(px.red(), 200, 8);
    EXPECT_NEAR(px.green(), 40, 8);
  }
  EXPECT_TRUE(doc.GetRVFWarnings().Empty());
}

TEST_F(Items, DamagedPictureDataGivesTheInvalidPicture) {
  // A bitmap header that claims a picture far larger than its bytes.
  std::string bmp = "BM";
  bmp += std::string(12, '\0');
  std::string dib(40, '\0');
  dib[0] = 40;
  dib[4] = dib[5] = dib[6] = char(0x7F);  // width
  dib[8] = dib[9] = dib[10] = char(0x7F); // height
  dib[12] = 1;
  dib[14] = 24;
  bmp += dib;
  const std::string lines[] = {RVBytesToHex(bmp), "ABC", "ZZ"};
  for (const std::string &data : lines) {
    doc.SetRVFWarnings({});
    const std::string s = "-3 3 0 0 0 0 0\r\nname\r\nTBitmap\r\n" + data + "\r\n";
    TRVGraphicItemInfo back(&doc);
    ReadResult r = ReadRecord(s, back, &doc);
    EXPECT_TRUE(r.ok) << data;
    ASSERT_NE(back.Image, nullptr);
    EXPECT_FALSE(back.Image->empty());
    EXPECT_TRUE(doc.GetRVFWarnings().Has(rvfwInvalidPicture));
  }
}

TEST_F(Items, UnknownPictureClass) {
  const std::string s = "-3 3 0 0 0 0 0\r\nname\r\nTPNGObject\r\n00\r\n";
  doc.SetRVFOptions(TRVFOptions{});
  TRVGraphicItemInfo strict(&doc);
  EXPECT_FALSE(ReadRecord(s, strict, &doc).ok);
  EXPECT_TRUE(doc.GetRVFWarnings().Has(rvfwUnknownPicFmt));
  doc.SetRVFOptions(TRVFOptions{rvfoIgnoreUnknownPicFmt});
  TRVGraphicItemInfo lenient(&doc);
  EXPECT_TRUE(ReadRecord(s, lenient, &doc).ok);
  EXPECT_FALSE(lenient.GetFlag(rvbpValid)); // the reader reports an empty item
}

TEST_F(Items, PictureWithoutBodyIsAskedOfTheHost) {
  doc.SetRVFOptions(TRVFOptions{});
  TRVGraphicItemInfo pic(&doc, std::make_unique<TBitmap>(QImage(3, 3, QImage::Format_RGB32)), rvvaBaseline);
  pic.Alt = "a";
  std::string s;
  pic.SaveRVF(s, &doc, 0, "logo", false);
  EXPECT_EQ(s, "-3 2 0 0 1 0 0\r\nlogo\r\nalt=a\r\n");
  host.picture = std::make_unique<TBitmap>(QImage(7, 5, QImage::Format_RGB32));
  TRVGraphicItemInfo back(&doc);
  ASSERT_TRUE(ReadRecord(s, back, &doc).ok);
  EXPECT_EQ(host.events, (std::vector<std::string>{"picture:logo"}));
  ASSERT_NE(back.Image, nullptr);
  EXPECT_EQ(back.Image->width(), 7);
  EXPECT_EQ(back.Alt, "a");
}

TEST_F(Items, ImageListRecords) {
  TCustomImageList list(8, 8);
  list.Tag = 3;
  list.Add(Filled(8, 8, Qt::red));
  list.Add(Filled(8, 8, Qt::blue));
  host.list = &list;
  TRVHotspotItemInfo hs(&doc);
  hs.ImageList = &list;
  hs.ImageIndex = 1;
  hs.HotImageIndex = 0;
  hs.NoHTMLImageSize = true;
  std::string s;
  hs.SaveRVF(s, &doc, 0, "smile", false);
  EXPECT_EQ(s, "-4 2 0 0 0 0 3 1 0\r\nsmile\r\nnohtmlsize=1\r\n");
  TRVHotspotItemInfo back(&doc);
  ReadResult r = ReadRecord(s, back, &doc);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(back.ImageList, &list);
  EXPECT_EQ(back.ImageIndex, 1);
  EXPECT_EQ(back.HotImageIndex, 0);
  EXPECT_TRUE(back.NoHTMLImageSize);
  EXPECT_EQ(host.events, (std::vector<std::string>{"list3"}));

  // A hotspot without its third field takes the image index.
  TRVHotspotItemInfo two(&doc);
  ASSERT_TRUE(two.ReadRvfHeaderTail("3 1", &doc));
  EXPECT_EQ(two.HotImageIndex, 1);
  EXPECT_FALSE(two.ReadRvfHeaderTail("3", &doc));
}

TEST_F(Items, ImageIndicesOutOfRangeOnEitherSide) {
  TCustomImageList list(8, 8);
  list.Add(Filled(8, 8, Qt::red));
  host.list = &list;
  struct Case {
    const char *tail;
    bool toZero;
    int index, hot;
    bool warned;
  } cases[] = {
      {"0 0 0", false, 0, 0, false}, {"0 5 0", false, 5, 0, true}, {"0 -1 0", false, -1, 0, true},
      {"0 -1 0", true, 0, 0, true},  {"0 0 -2", true, 0, 0, true}, {"0 7 9", true, 0, 0, true},
  };
  for (const Case &c : cases) {
    doc.SetRVFWarnings({});
    doc.SetRVFOptions(c.toZero ? TRVFOptions{rvfoConvLargeImageIdxToZero} : TRVFOptions{});
    TRVHotspotItemInfo hs(&doc);
    ASSERT_TRUE(hs.ReadRvfHeaderTail(c.tail, &doc)) << c.tail;
    EXPECT_EQ(hs.ImageIndex, c.index) << c.tail;
    EXPECT_EQ(hs.HotImageIndex, c.hot) << c.tail;
    EXPECT_EQ(doc.GetRVFWarnings().Has(rvfwConvLargeImageIdx), c.warned) << c.tail;
  }
  host.list = nullptr;
  TRVBulletItemInfo missing(&doc);
  ASSERT_TRUE(missing.ReadRvfHeaderTail("9 0", &doc));
  EXPECT_FALSE(missing.GetFlag(rvbpValid));
}

// ---------------------------------------------------------------- controls

TEST_F(Items, ControlIsOwnedAndNeverDangles) {
  QPointer<QWidget> w = new QWidget;
  { TRVControlItemInfo ctl(&doc, w, rvvaBaseline); }
  EXPECT_TRUE(w.isNull()); // the item freed its control

  auto *parent = new QWidget;
  auto *child = new QWidget(parent);
  TRVControlItemInfo ctl(&doc, child, rvvaBaseline);
  delete parent; // frees the child first
  EXPECT_EQ(ctl.Control(), nullptr);
  EXPECT_FALSE(ctl.GetFlag(rvbpValid));
  EXPECT_EQ(ctl.GetWidth(), 2);
  RecordingCanvas c;
  ctl.Paint(0, 0, c, TRVItemDrawStates{}, &style, nullptr);
  ctl.AdjustPosition(1, 1, true, &doc);
}

TEST_F(Items, ControlInDocument) {
  QWidget parent;
  host.ParentControl = &parent;
  auto *w = new QWidget;
  w->resize(30, 10);
  w->show();
  doc.AddControl("ctl", w, 0, rvvaBaseline, 0);
  EXPECT_EQ(w->parentWidget(), &parent);
  EXPECT_FALSE(w->isVisible()); // hidden until placed
  auto *item = static_cast<TRVControlItemInfo *>(doc.GetItem(0));
  item->Spacing = 2;
  parent.show();
  item->AdjustPosition(10, 20, true, &doc);
  EXPECT_EQ(w->pos(), QPoint(12, 22));
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(doc.FindControlItemNo(w), 0);

  host.events.clear();
  item->MovingToUndoList(0, &doc);
  EXPECT_EQ(w->parentWidget(), nullptr);
  item->MovingFromUndoList(0, &doc);
  EXPECT_EQ(w->parentWidget(), &parent);
  EXPECT_EQ(host.events, (std::vector<std::string>{"control2:0", "control3:0"}));

  std::string text;
  EXPECT_EQ(item->AsText(0, ' ', &doc, "ctl", "", false, false), "<ctl 0>");
  TRVHTMLSaveContext ctx;
  item->SaveToHTML(text, &doc, 0, "ctl", ctx);
  EXPECT_EQ(text, "<ctl 1>");

  host.events.clear();
  doc.Clear();
  EXPECT_EQ(host.events, (std::vector<std::string>{"control1:0"}));
}

TEST_F(Items, ControlRecordsNeedTheHost) {
  auto *w = new QWidget;
  TRVControlItemInfo ctl(&doc, w, rvvaBaseline);
  ctl.Resizable = true;
  std::string s;
  ctl.SaveRVF(s, &doc, 0, "btn", false);
  EXPECT_EQ(s.substr(0, s.find("\r\n")), "-5 4 0 0 2 0 0");
  TRVControlItemInfo back(&doc);
  doc.SetRVFOptions(TRVFOptions{rvfoSaveBinary});
  EXPECT_FALSE(ReadRecord(s, back, &doc).ok); // nobody gives the control
  EXPECT_TRUE(doc.GetRVFWarnings().Has(rvfwUnknownCtrls));
  doc.SetRVFOptions(TRVFOptions{rvfoIgnoreUnknownCtrls});
  TRVControlItemInfo lenient(&doc);
  ReadResult r = ReadRecord(s, lenient, &doc);
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(lenient.Resizable);
  EXPECT_EQ(r.name, "btn");
}

// ------------------------------------------------------- HTML, RTF and text

TEST_F(Items, BreakHtmlRtfAndText) {
  TRVBreakItemInfo brk(&doc, clNone, 0, 2);
  TRVHTMLSaveContext ctx;
  std::string s;
  brk.SaveToHTML(s, &doc, 0, "", ctx);
  EXPECT_EQ(s, "<HR noshade size=2 >");
  brk.Color = clRed;
  brk.Hint = "a\"b";
  s.clear();
  brk.SaveToHTML(s, &doc, 0, "", ctx);
  EXPECT_EQ(s, "<HR noshade size=2 color=\"#FF0000\" title=\"a'b\" >");
  ctx.UseCSS = true;
  s.clear();
  brk.SaveToHTML(s, &doc, 0, "", ctx);
  EXPECT_EQ(s, "<HR noshade size=2 title=\"a'b\" style=\"{color : #FF0000}\">");

  TRVColorList colors;
  TRVRTFFontTable fonts;
  colors.Add(0);
  brk.FillRTFTables(colors, fonts, &doc);
  TRVRTFSaveContext rtf;
  rtf.ColorList = &colors;
  rtf.Level = 1;
  s.clear();
  brk.SaveRTF(s, &doc, 0, "", rtf);
  EXPECT_EQ(s, "\\pard\\intbl\\itap1\\plain\\fs6\\brdrb\\brdrs\\brdrw30\\brdrcf1\\par\\pard\\intbl\\itap1");

  EXPECT_EQ(brk.AsText(5, '-', &doc, "", "", false, false), "-----");
  EXPECT_EQ(brk.AsText(0, '=', &doc, "", "", false, false), "=");
}

TEST_F(Items, PictureHtmlWritesItsFile) {
  kctest::TempDir dir;
  const std::string path = dir.path().string() + "/";
  TRVGraphicItemInfo pic(&doc, std::make_unique<TBitmap>(Filled(6, 4, Qt::red)), rvvaMiddle);
  pic.Alt = "x";
  TRVHTMLSaveContext ctx;
  ctx.Path = path;
  ctx.ImagesPrefix = "img";
  ctx.SaveOptions = TRVSaveOptions{rvsoImageSizes, rvsoNoImageBorders};
  std::string s;
  pic.SaveToHTML(s, &doc, 0, "", ctx);
  EXPECT_EQ(s, "<IMG align=middle border=0 width=6 height=4 alt=\"x\" src=\"img1.jpg\">");
  std::ifstream f(path + "img1.jpg", std::ios::binary);
  ASSERT_TRUE(f.good());
  std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  TJPEGImage back;
  EXPECT_TRUE(back.loadFromBytes(bytes));
  EXPECT_EQ(back.width(), 6);

  // The next picture takes the next free name.
  s.clear();
  pic.SaveToHTML(s, &doc, 0, "", ctx);
  EXPECT_NE(s.find("src=\"img2.jpg\""), std::string::npos);

  // An image-list image is written once per list, index and background.
  TCustomImageList list(4, 4);
  list.Add(Filled(4, 4, Qt::blue));
  TRVBulletItemInfo bullet(&doc, 0, &list, rvvaBaseline);
  ctx.SaveOptions = TRVSaveOptions{};
  s.clear();
  bullet.SaveToHTML(s, &doc, 0, "", ctx);
  bullet.SaveToHTML(s, &doc, 0, "", ctx);
  EXPECT_EQ(s, "<IMG  alt=\"\" src=\"img3.bmp\"><IMG  alt=\"\" src=\"img3.bmp\">");
  EXPECT_EQ(ctx.Bullets.size(), 1u);
}

TEST_F(Items, PictureRtfAsDeviceIndependentBitmap) {
  TRVGraphicItemInfo pic(&doc, std::make_unique<TBitmap>(Filled(3, 2, Qt::white)), rvvaBaseline);
  pic.ImageWidth = 6;
  TRVRTFSaveContext ctx;
  std::string s;
  pic.SaveRTF(s, &doc, 0, "", ctx);
  ASSERT_EQ(s.rfind("{\\pict\\picscalex200\\picscaley100\\dibitmap0\\wbmwidthbytes", 0), 0u) << s;
  EXPECT_NE(s.find("\\picw3\\pich2\\picwgoal45\\pichgoal30 28000000"), std::string::npos) << s;
  EXPECT_EQ(s.back(), '}');
  const std::string hex = s.substr(s.find(' ') + 1, s.size() - s.find(' ') - 2);
  EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
}

// The picture data of an RTF picture group: the hexadecimal run after the
// keywords' closing blank.
std::string RtfPictureBytes(const std::string &Group) {
  const size_t sp = Group.find(' ');
  std::string bytes;
  if (sp == std::string::npos || Group.back() != '}') return bytes;
  EXPECT_TRUE(RVHexToBytes(Group.substr(sp + 1, Group.size() - sp - 2), bytes));
  return bytes;
}

TEST(NonTextRtf, PictureFormsByClassAndOptions) {
  TJPEGImage jpeg;
  ASSERT_TRUE(jpeg.assignImage(Filled(4, 3, Qt::red).convertToFormat(QImage::Format_RGB32)));
  TCustomImageList list(5, 2);
  list.Add(Filled(5, 2, Qt::blue));
  // A metafile that shows one bitmap, as drawing a picture into one makes it.
  std::string emf;
  {
    TRVRTFSaveContext ctx;
    ctx.Options = TRVRTFOptions{rvrtfSaveEMFDefault};
    std::string g;
    RVSaveGraphicToRTF(g, TIcon(), 0, 0, ctx); // an empty picture has no data
    EXPECT_EQ(g, "{\\pict}");
    g.clear();
    RVSaveGraphicToRTF(g, jpeg, 4, 3, ctx);
    emf = RtfPictureBytes(g);
  }
  TMetafile emfPicture;
  ASSERT_TRUE(emfPicture.loadFromBytes(emf));
  ASSERT_TRUE(emfPicture.enhanced());

  struct Case {
    const char *Name;
    const TGraphic *Graphic; // nullptr: the image-list image
    TRVRTFOptions Options;
    const char *Head; // keywords after "{\pict" up to the data
    bool Metafile;    // the data is a Windows or enhanced metafile of one bitmap
  };
  const Case cases[] = {
      {"jpeg as jpeg", &jpeg, {rvrtfSaveJpegAsJpeg}, "\\jpegblip\\picw4\\pich3 ", false},
      {"jpeg as bitmap", &jpeg, {rvrtfSaveBitmapDefault}, "\\dibitmap0\\wbmwidthbytes", false},
      {"jpeg as emf", &jpeg, {rvrtfSaveEMFDefault}, "\\emfblip\\picw4\\pich3 ", true},
      {"jpeg as wmf", &jpeg, {}, "\\wmetafile1\\picw4\\pich3 ", true},
      {"emf kept", &emfPicture, {}, "\\emfblip\\picw4\\pich3 ", true},
      {"emf as wmf", &emfPicture, {rvrtfSaveEMFAsWMF}, "\\wmetafile8\\picw106\\pich80 ", true},
      {"image list as wmf", nullptr, TRVRTFOptions::FromRaw(14), "\\wmetafile1\\picw5\\pich2 ", true},
      {"image list as bitmap", nullptr, {rvrtfSaveBitmapDefault}, "\\dibitmap0\\wbmwidthbytes16\\picw5\\pich2", false},
  };
  for (const Case &c : cases) {
    TRVRTFSaveContext ctx;
    ctx.Options = c.Options;
    std::string g;
    if (c.Graphic) RVSaveGraphicToRTF(g, *c.Graphic, c.Graphic->width(), c.Graphic->height(), ctx);
    else {
      TRVBulletItemInfo bullet(nullptr, 0, &list, rvvaBaseline);
      bullet.SaveRTF(g, nullptr, 0, "", ctx);
    }
    EXPECT_EQ(g.rfind(std::string("{\\pict") + c.Head, 0), 0u) << c.Name << ": " << g;
    if (!c.Metafile) continue;
    TMetafile back;
    const std::string bytes = RtfPictureBytes(g);
    const bool wmf = g.find("\\wmetafile") != std::string::npos;
    ASSERT_TRUE(wmf ? back.loadWindowsMetafileBits(bytes, 1, 1) : back.loadFromBytes(bytes)) << c.Name;
    std::unique_ptr<TBitmap> shown = back.singleBitmap();
    ASSERT_NE(shown, nullptr) << c.Name;
    const int w = c.Graphic ? c.Graphic->width() : 5;
    ASSERT_EQ(shown->width(), w) << c.Name;
    const QRgb expected = c.Graphic ? qRgb(255, 0, 0) : qRgb(0, 0, 255);
    const QRgb got = shown->image().pixel(1, 1);
    // JPEG is lossy: near the colour is enough.
    EXPECT_LE(std::abs(qRed(got) - qRed(expected)) + std::abs(qBlue(got) - qBlue(expected)), 24) << c.Name;
  }
}

// ---------------------------------------------------------------- palettes

TEST(NonTextPalette, CopiesForPaletteModeAreMadeAndDropped) {
  TRVLogPalette pal;
  pal.Entries = {clRed};
  auto jpeg = std::make_unique<TJPEGImage>();
  ASSERT_TRUE(jpeg->assignImage(Filled(4, 4, Qt::green)));
  TRVGraphicItemInfo pic(nullptr, std::move(jpeg), rvvaBaseline);
  pic.UpdatePaletteInfo(rvpaCreateCopiesEx, false, 1, &pal);
  ASSERT_NE(pic.ImageCopy, nullptr);
  EXPECT_STREQ(pic.ImageCopy->className(), "TBitmap");
  RecordingCanvas c;
  pic.Paint(0, 0, c, TRVItemDrawStates{}, nullptr, nullptr);
  EXPECT_EQ(Lines(c, {"drawGraphic"}), (std::vector<std::string>{"drawGraphic(1,1,5,5),TBitmap"}));
  pic.UpdatePaletteInfo(rvpaDoNothing, false, 1, &pal);
  EXPECT_EQ(pic.ImageCopy, nullptr);
  pic.UpdatePaletteInfo(rvpaCreateCopies, false, 1, &pal);
  EXPECT_STREQ(pic.ImageCopy->className(), "TJPEGImage");
  pic.MovingToUndoList(0, nullptr);
  EXPECT_EQ(pic.ImageCopy, nullptr);
}

// ---------------------------------------------------------------- printing

TEST(NonTextPrint, PictureOntoItsPrintingBitmap) {
  QImage src(4, 10, QImage::Format_RGB32);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 4; ++x) src.setPixelColor(x, y, y < 5 ? Qt::red : Qt::blue);
  TRVGraphicItemInfo pic(nullptr, std::make_unique<TBitmap>(src), rvvaBaseline);
  TRVScreenAndDevice sad;
  TRVMultiImagePrintInfo rec(sad, 10, 2);
  rec.SetSize(4, 10);
  ASSERT_TRUE(rec.BeginParts());
  ASSERT_TRUE(rec.BreakLastPartAt(5));
  TBitmap piece(QImage(4, 5, QImage::Format_RGB32));
  ASSERT_TRUE(pic.PrintToBitmap(piece, false, nullptr, &rec, 1, 0));
  EXPECT_EQ(piece.image().pixelColor(1, 0), QColor(Qt::blue)); // the second piece starts at row 5
  TBitmap whole(QImage(4, 10, QImage::Format_RGB32));
  ASSERT_TRUE(pic.PrintToBitmap(whole, false, nullptr, nullptr, -1, 0));
  EXPECT_EQ(whole.image().pixelColor(1, 0), QColor(Qt::red));
  TRVGraphicItemInfo empty(nullptr);
  EXPECT_FALSE(empty.PrintToBitmap(whole, false, nullptr, nullptr, -1, 0));
}

TEST_F(Items, ControlPictureForPrinting) {
  struct PrintHost : Host {
    std::unique_ptr<TBitmap> DoPrintComponent(TCustomRVData *, TControl *) override {
      return std::make_unique<TBitmap>(Filled(10, 10, Qt::green));
    }
  } printHost;
  auto *w = new QWidget;
  w->resize(6, 6);
  TRVControlItemInfo ctl(&doc, w, rvvaBaseline);
  TBitmap small(QImage(2, 2, QImage::Format_RGB32));
  ASSERT_TRUE(ctl.PrintToBitmap(small, false, &doc, nullptr, -1, 0));
  EXPECT_EQ(small.width(), 6); // enlarged to the control's picture
  doc.SetHost(&printHost);
  TBitmap big(QImage(20, 20, QImage::Format_RGB32));
  ASSERT_TRUE(ctl.PrintToBitmap(big, false, &doc, nullptr, -1, 0));
  EXPECT_EQ(big.image().pixelColor(10, 10), QColor(Qt::green)); // centred
  doc.SetHost(&host);
}

TEST(NonTextText, UnicodeByteCounts) {
  EXPECT_NO_THROW(CheckUnicodeByteLength(4));
  EXPECT_THROW(CheckUnicodeByteLength(3), ERichVistaError);
}
