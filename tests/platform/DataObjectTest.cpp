// Reading a clipboard content or a drag's data as the formats a Windows
// program knows: which ones a content offers and what their bytes are.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include "platform/DataObject.h"

using namespace kc;

namespace {

const std::string kNamedRvf = "application/x-qt-windows-mime;value=\"RichVista Format\"";

unsigned Named(const char *Name) { return Clipboard::registerFormat(Name); }

struct OfferCase {
  const char *Name;
  std::function<void(QMimeData &)> Fill;
  std::vector<unsigned> Offered, Absent;
};

std::string Descriptor(const std::u16string &Name, bool Wide) {
  std::string b = {1, 0, 0, 0};
  b.append(72, '\0');
  for (char16_t c : Name) {
    b += char(c & 0xFF);
    if (Wide) b += char(c >> 8);
  }
  b.append(Wide ? 2 : 1, '\0');
  return b;
}

} // namespace

TEST(DataObject, FormatsOffered) {
  const unsigned rvf = Named("RichVista Format"), rtf = Named("Rich Text Format"), html = Named("HTML Format"),
                 url = Named("UniformResourceLocator"), fgd = Named("FileGroupDescriptor");
  const std::vector<OfferCase> cases = {
      {"plain text is both texts",
       [](QMimeData &m) { m.setText("x"); },
       {DataObject::cfText, DataObject::cfUnicodeText},
       {DataObject::cfHDrop, DataObject::cfBitmap, rvf}},
      {"x11 text with a charset",
       [](QMimeData &m) { m.setData("text/plain;charset=utf-8", "x"); },
       {DataObject::cfUnicodeText},
       {}},
      {"own rvf type", [](QMimeData &m) { m.setData("application/x-richvista", "1234"); }, {rvf}, {rtf}},
      {"rvf under its windows name",
       [](QMimeData &m) { m.setData(QString::fromStdString(kNamedRvf), "1234"); },
       {rvf},
       {}},
      {"rtf as text/rtf", [](QMimeData &m) { m.setData("text/rtf", "{\\rtf1}"); }, {rtf}, {DataObject::cfText}},
      {"rtf as application/rtf", [](QMimeData &m) { m.setData("application/rtf", "{\\rtf1}"); }, {rtf}, {}},
      {"html", [](QMimeData &m) { m.setHtml("<b>x</b>"); }, {html}, {}},
      {"image is the bitmap",
       [](QMimeData &m) { m.setImageData(QImage(2, 2, QImage::Format_RGB32)); },
       {DataObject::cfBitmap, DataObject::cfDib},
       {DataObject::cfMetafilePict, DataObject::cfEnhMetafile}},
      {"local files are a file list, their text is not text",
       [](QMimeData &m) {
         m.setUrls({QUrl::fromLocalFile("/tmp/a.txt")});
         m.setText("/tmp/a.txt");
       },
       {DataObject::cfHDrop},
       {DataObject::cfText, DataObject::cfUnicodeText, url}},
      {"a web address is a URL",
       [](QMimeData &m) { m.setUrls({QUrl("http://example.org/a")}); },
       {url},
       {DataObject::cfHDrop, DataObject::cfText}},
      {"descriptor of a windows program",
       [](QMimeData &m) {
         m.setData("application/x-qt-windows-mime;value=\"FileGroupDescriptorW\"",
                   QByteArray::fromStdString(Descriptor(u"Site.url", true)));
       },
       {fgd},
       {}},
  };
  for (const OfferCase &c : cases) {
    QMimeData md;
    c.Fill(md);
    const DataObject d(&md);
    for (unsigned f : c.Offered) EXPECT_TRUE(d.hasFormat(f)) << c.Name << ": " << Clipboard::formatName(f);
    for (unsigned f : c.Absent) EXPECT_FALSE(d.hasFormat(f)) << c.Name << ": " << Clipboard::formatName(f);
  }
}

TEST(DataObject, TextIsCutAtNulAndAnsiTextUsesTheCodePageAsked) {
  QMimeData md;
  md.setText(QString::fromUtf16(u"Привет\0rest", 11));
  const DataObject d(&md);
  EXPECT_EQ(d.unicodeText(), u"Привет");
  EXPECT_EQ(d.ansiText(1251), "\xCF\xF0\xE8\xE2\xE5\xF2");
  EXPECT_EQ(d.ansiText(1252), "??????");
}

TEST(DataObject, UrlsAndFiles) {
  QMimeData md;
  md.setUrls({QUrl::fromLocalFile("/tmp/a b.png"), QUrl("https://example.org/x?y=1"), QUrl::fromLocalFile("/tmp/c")});
  const DataObject d(&md);
  EXPECT_EQ(d.files(), (std::vector<std::string>{"/tmp/a b.png", "/tmp/c"}));
  EXPECT_EQ(d.bytes(Named("UniformResourceLocator")), "https://example.org/x?y=1");

  QMimeData windows;
  windows.setData("application/x-qt-windows-mime;value=\"UniformResourceLocator\"",
                  QByteArray("http://a.example/\0junk", 22));
  windows.setUrls({QUrl("http://b.example/")});
  EXPECT_EQ(DataObject(&windows).bytes(Named("UniformResourceLocator")), "http://a.example/")
      << "the Windows program's own block is taken, up to its NUL";
}

TEST(DataObject, FileGroupDescriptorNames) {
  std::string name;
  EXPECT_TRUE(DataObject::parseFileGroupDescriptor(Descriptor(u"Страница.url", true), true, name));
  EXPECT_EQ(name, "Страница.url");
  EXPECT_TRUE(DataObject::parseFileGroupDescriptor(Descriptor(u"Page.url", false), false, name));
  EXPECT_EQ(name, "Page.url");
  EXPECT_FALSE(DataObject::parseFileGroupDescriptor(std::string(10, '\1'), false, name)) << "too short for a name";
  std::string zero = Descriptor(u"a.url", false);
  zero[0] = 0;
  EXPECT_FALSE(DataObject::parseFileGroupDescriptor(zero, false, name)) << "no descriptors";
  // A name without its NUL ends at 260 characters or the block's end.
  std::string open = {1, 0, 0, 0};
  open.append(72, '\0');
  open.append(400, 'n');
  EXPECT_TRUE(DataObject::parseFileGroupDescriptor(open, false, name));
  EXPECT_EQ(name.size(), 260u);

  QMimeData md;
  md.setData("application/x-qt-windows-mime;value=\"FileGroupDescriptor\"",
             QByteArray::fromStdString(Descriptor(u"Home.url", false)));
  EXPECT_TRUE(DataObject(&md).fileGroupDescriptorName(name));
  EXPECT_EQ(name, "Home.url");
}

TEST(DataObject, ReadsWhatCopyPutOnTheClipboard) {
  Clipboard::Batch b;
  b.setData(Clipboard::registerFormat("application/x-richvista"), std::string("\2\0\0\0ab", 6));
  b.setData(Clipboard::registerFormat("text/rtf"), "{\\rtf1 x}");
  b.setText(u"x");
  b.commit();
  const DataObject d = DataObject::clipboard();
  EXPECT_EQ(d.bytes(Named("RichVista Format")), std::string("\2\0\0\0ab", 6));
  EXPECT_EQ(d.bytes(Named("Rich Text Format")), "{\\rtf1 x}");
  EXPECT_EQ(d.unicodeText(), u"x");
  Clipboard::clear();
  EXPECT_FALSE(DataObject::clipboard().hasFormat(DataObject::cfUnicodeText));
}

TEST(DataObject, ContentThatWentAwayReadsEmpty) {
  auto *md = new QMimeData;
  md->setText("x");
  const DataObject d(md);
  delete md;
  EXPECT_FALSE(d.hasFormat(DataObject::cfText));
  EXPECT_TRUE(d.unicodeText().empty());
  EXPECT_TRUE(d.files().empty());
}
