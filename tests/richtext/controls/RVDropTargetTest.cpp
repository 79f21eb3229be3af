// The rules of paste and drop that need no window: which format is used for
// what is offered and accepted, the RVF block's length, the base path from
// an HTML block, a dropped URL's title, and dropped files by their type.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>
#include <set>

#include "platform/Files.h"
#include "richtext/controls/RVDropTarget.h"
#include "support/TempDir.h"

using namespace kc;

namespace {

enum Offer : unsigned { oRVF = 1, oRTF = 2, oText = 4, oUnicode = 8, oBitmap = 16, oURL = 32, oFiles = 64 };

TRVHasFormat Offering(unsigned Offers) {
  return [Offers](unsigned f) {
    if (f == CF_RVF()) return bool(Offers & oRVF);
    if (f == CF_RTF()) return bool(Offers & oRTF);
    if (f == CF_URL()) return bool(Offers & oURL);
    switch (f) {
    case DataObject::cfText: return bool(Offers & oText);
    case DataObject::cfUnicodeText: return bool(Offers & oUnicode);
    case DataObject::cfBitmap: return bool(Offers & oBitmap);
    case DataObject::cfHDrop: return bool(Offers & oFiles);
    default: return false;
    }
  };
}

std::string Name(unsigned Format) { return Format ? Clipboard::formatName(Format) : "none"; }

} // namespace

TEST(PasteFormat, FirstOfferedWins) {
  struct Case {
    const char *Name;
    unsigned Offers;
    bool UnicodeStyle;
    unsigned Expected;
  };
  const std::vector<Case> cases = {
      {"rvf before everything", oRVF | oRTF | oText | oUnicode | oBitmap, false, CF_RVF()},
      {"rtf and text: the rtf only", oRTF | oText | oUnicode, false, CF_RTF()},
      {"unicode style takes the unicode text", oText | oUnicode, true, DataObject::cfUnicodeText},
      {"ansi style takes the ansi text when both are there", oText | oUnicode, false, DataObject::cfText},
      {"ansi style with unicode text alone", oUnicode, false, DataObject::cfUnicodeText},
      {"ansi text alone", oText, true, DataObject::cfText},
      {"text before a bitmap", oText | oBitmap, false, DataObject::cfText},
      {"bitmap", oBitmap, false, DataObject::cfBitmap},
      {"urls and files are not pasted", oURL | oFiles, false, 0},
      {"nothing", 0, false, 0},
  };
  for (const Case &c : cases)
    EXPECT_EQ(Name(ChoosePasteFormat(Offering(c.Offers), c.UnicodeStyle)), Name(c.Expected)) << c.Name;
}

TEST(DropFormat, OfferedTimesAccepted) {
  struct Case {
    const char *Name;
    unsigned Offers;
    TRVDragDropFormats Accepted;
    unsigned Format; // what the drop asks for (0: any)
    bool UnicodeStyle;
    unsigned Expected;
  };
  const TRVDragDropFormats all = rvddDefaultFormats + TRVDragDropFormats{rvddURL};
  const std::vector<Case> cases = {
      {"default: rvf first", oRVF | oRTF | oUnicode | oText, rvddDefaultFormats, 0, false, CF_RVF()},
      {"rvf not accepted: rtf", oRVF | oRTF | oText, {rvddRTF, rvddText}, 0, false, CF_RTF()},
      {"url is refused by default", oURL | oText | oUnicode, rvddDefaultFormats, 0, true, DataObject::cfUnicodeText},
      {"url when accepted, before text", oURL | oText | oUnicode, all, 0, true, CF_URL()},
      {"ansi style: ansi text first", oText | oUnicode, rvddDefaultFormats, 0, false, DataObject::cfText},
      {"ansi text not accepted: unicode", oText | oUnicode, {rvddUnicodeText}, 0, false, DataObject::cfUnicodeText},
      {"text before bitmap", oBitmap | oUnicode, rvddDefaultFormats, 0, true, DataObject::cfUnicodeText},
      {"bitmap before files", oBitmap | oFiles, rvddDefaultFormats, 0, false, DataObject::cfBitmap},
      {"files", oFiles, rvddDefaultFormats, 0, false, DataObject::cfHDrop},
      {"files not accepted", oFiles, {rvddRVF, rvddText}, 0, false, 0},
      {"a given format uses only itself", oRVF | oText, rvddDefaultFormats, DataObject::cfText, false,
       DataObject::cfText},
      {"a given format not offered", oText, rvddDefaultFormats, CF_RVF(), false, 0},
      {"a given format not accepted", oRVF, {rvddText}, CF_RVF(), false, 0},
  };
  for (const Case &c : cases)
    EXPECT_EQ(Name(ChooseDropFormat(Offering(c.Offers), c.Accepted, c.Format, c.UnicodeStyle)), Name(c.Expected))
        << c.Name;
}

TEST(DropFormat, FormatTest) {
  const std::vector<std::pair<unsigned, TRVDragDropFormat>> pairs = {{DataObject::cfText, rvddText},
                                                                     {DataObject::cfBitmap, rvddBitmap},
                                                                     {DataObject::cfDib, rvddBitmap},
                                                                     {DataObject::cfUnicodeText, rvddUnicodeText},
                                                                     {DataObject::cfEnhMetafile, rvddMetafile},
                                                                     {DataObject::cfHDrop, rvddFiles},
                                                                     {CF_RTF(), rvddRTF},
                                                                     {CF_RVF(), rvddRVF},
                                                                     {CF_URL(), rvddURL}};
  for (const auto &[format, needs] : pairs) {
    TRVDragDropFormats only{needs};
    EXPECT_TRUE(IsDropFormatAccepted(format, only)) << Name(format);
    EXPECT_FALSE(IsDropFormatAccepted(format, TRVDragDropFormats::FromRaw(0xFF) - only)) << Name(format);
  }
  EXPECT_FALSE(IsDropFormatAccepted(CF_HTML(), TRVDragDropFormats::FromRaw(0xFF)));
  EXPECT_FALSE(IsDropFormatAccepted(DataObject::cfMetafilePict, TRVDragDropFormats::FromRaw(0xFF)));
  EXPECT_FALSE(rvddDefaultFormats.Has(rvddURL));
  EXPECT_TRUE(rvddDefaultFormats.Has(rvddFiles));
}

TEST(DropFormat, PreferredOwnFormat) {
  struct Case {
    const char *Name;
    TRVDragDropFormats Accepted;
    bool Picture;
    unsigned Expected;
  };
  const std::vector<Case> cases = {
      {"rvf", rvddDefaultFormats, true, CF_RVF()},
      {"rtf", {rvddRTF, rvddText}, false, CF_RTF()},
      {"picture as bitmap", {rvddBitmap, rvddUnicodeText}, true, DataObject::cfBitmap},
      {"text when no picture", {rvddBitmap, rvddUnicodeText, rvddText}, false, DataObject::cfUnicodeText},
      {"ansi text", {rvddText}, true, DataObject::cfText},
      {"nothing", {rvddFiles}, false, 0},
  };
  for (const Case &c : cases) EXPECT_EQ(Name(PreferredDropFormat(c.Accepted, c.Picture)), Name(c.Expected)) << c.Name;
}

TEST(DropEffect, CtrlCopiesAndALinkOnlySourceGetsALink) {
  struct Case {
    const char *Name;
    bool Ctrl;
    Qt::DropActions Allowed;
    bool FromHere;
    Qt::DropAction Effect;
  };
  const Qt::DropActions all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
  const Case cases[] = {
      {"a drag inside the editor moves", false, all, true, Qt::MoveAction},
      {"with Ctrl it copies", true, all, true, Qt::CopyAction},
      {"from elsewhere it copies", false, all, false, Qt::CopyAction},
      {"a source that may only be copied", false, Qt::CopyAction, true, Qt::CopyAction},
      {"a source offering only a link", false, Qt::LinkAction, false, Qt::LinkAction},
      {"a move-only source from elsewhere gets a link", false, Qt::MoveAction, false, Qt::LinkAction},
  };
  for (const Case &c : cases) EXPECT_EQ(ChooseDropEffect(c.Ctrl, c.Allowed, c.FromHere), c.Effect) << c.Name;
  EXPECT_EQ(ReportedDropEffect(Qt::CopyAction, Qt::LinkAction), Qt::LinkAction);
  EXPECT_EQ(ReportedDropEffect(Qt::CopyAction, all), Qt::CopyAction);
  EXPECT_EQ(ReportedDropEffect(Qt::MoveAction, Qt::MoveAction), Qt::MoveAction);
}

TEST(RvfBlock, LengthPrefix) {
  struct Case {
    const char *Name;
    std::string Block;
    bool Ok;
    std::string Rvf;
  };
  const std::vector<Case> cases = {
      {"exact", std::string("\3\0\0\0abc", 7), true, "abc"},
      {"length smaller than the block", std::string("\2\0\0\0abcdef", 10), true, "ab"},
      {"length beyond the block", std::string("\11\0\0\0abc", 7), false, ""},
      {"huge length",
       std::string("\xFF\xFF\xFF\xFF"
                   "abc",
                   7),
       false, ""},
      {"shorter than the length field", std::string("\1\0", 2), true, ""},
      {"empty", "", true, ""},
  };
  for (const Case &c : cases) {
    std::string_view rvf = "untouched";
    EXPECT_EQ(RVFOfClipboardBlock(c.Block, rvf), c.Ok) << c.Name;
    EXPECT_EQ(std::string(rvf), c.Rvf) << c.Name;
  }
}

TEST(HtmlBlock, BasePath) {
  struct Case {
    const char *Name;
    std::string Html;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"web page", "Version:0.9\r\nStartHTML:1\r\nSourceURL:http://example.org/docs/page.html\r\n<html>",
       "http://example.org/docs/"},
      {"scheme in capitals, spaces around", "SourceURL:  HTTP://Example.org/a/b.htm  \n", "http://Example.org/a/"},
      {"secure web page", "SourceURL:https://example.org/x/y\r\n", "https://example.org/x/"},
      {"local file", "SourceURL:file:///home/u/My%20Docs/a.html\r\n", "/home/u/My Docs/"},
      {"ends at NUL", std::string("SourceURL:http://h/d/p\0/more/x", 30), "http://h/d/"},
      {"no source", "<html><body>x</body></html>", ""},
      {"a bare host", "SourceURL:http://host\r\n", ""},
      {"utf-16 block", std::string("\xFF\xFES\0o\0u\0r\0c\0e\0U\0R\0L\0:\0h\0t\0t\0p\0:\0/\0/\0h\0/\0d\0/\0p\0", 46),
       "http://h/d/"},
  };
  for (const Case &c : cases) EXPECT_EQ(BasePathOfHtmlBlock(c.Html), c.Expected) << c.Name;
}

TEST(UrlDrop, Title) {
  const std::string url = "http://example.org/";
  const std::string longName = "Example site.url", four = "a.ur", five = "ab.ur", cyrillic = "Сайт.url";
  EXPECT_EQ(DroppedUrlTitle(url, nullptr), url) << "no descriptor";
  EXPECT_EQ(DroppedUrlTitle(url, &longName), "Example site");
  EXPECT_EQ(DroppedUrlTitle(url, &four), url) << "4 characters or fewer: the URL";
  EXPECT_EQ(DroppedUrlTitle(url, &five), "a");
  EXPECT_EQ(DroppedUrlTitle(url, &cyrillic), "Сайт") << "characters, not bytes";
}

TEST(FileDrop, KindByExtension) {
  EXPECT_EQ(DroppedFileKind("/a/b.RTF"), TRVDroppedFileKind::RTF);
  EXPECT_EQ(DroppedFileKind("/a/b.rvf"), TRVDroppedFileKind::RVF);
  EXPECT_EQ(DroppedFileKind("/a/b.Txt"), TRVDroppedFileKind::Text);
  EXPECT_EQ(DroppedFileKind("/a/b.doc"), TRVDroppedFileKind::None);
  EXPECT_EQ(DroppedFileKind("/a.txt/b"), TRVDroppedFileKind::None);
}

TEST(FileDrop, PicturesByType) {
  kctest::TempDir dir;
  QImage img(5, 4, QImage::Format_RGB32);
  img.fill(Qt::red);
  auto save = [&](const std::string &Name, const char *Format) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, Format);
    EXPECT_TRUE(WriteFileAtomically(dir.file(Name), bytes.toStdString()));
  };
  save("a.png", "PNG");
  save("b.bmp", "BMP");
  save("c.jpg", "JPEG");
  ASSERT_TRUE(WriteFileAtomically(dir.file("d.png"), "not a picture"));
  save("e.txt", "PNG");
  for (const char *name : {"a.png", "b.bmp", "c.jpg"}) {
    auto g = LoadPictureFile(dir.file(name));
    ASSERT_TRUE(g) << name;
    EXPECT_EQ(g->width(), 5) << name;
    EXPECT_EQ(g->height(), 4) << name;
  }
  EXPECT_FALSE(LoadPictureFile(dir.file("d.png"))) << "damaged";
  EXPECT_FALSE(LoadPictureFile(dir.file("e.txt"))) << "by type, not by content";
  EXPECT_FALSE(LoadPictureFile(dir.file("missing.png")));
}
