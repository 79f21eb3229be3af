// Plain-text output: line ends between paragraphs and lines, 8-bit and
// UTF-16 forms, the byte-order mark, files replaced whole.
#include "richtext/document/CRVDataFormats.h"

#include "support/DocumentHosts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "richtext/document/RVMarker.h"

using namespace kc;
using kctest::U16;

namespace {

struct TDoc : kctest::TStyledDoc<> {
  TDoc() { style.TextStyles()[1]->Unicode = true; }
  void Text(const std::string &s, int Style, int Para, uint8_t Options = 0) {
    auto item = RichVistaTextItemClass(&doc);
    item->StyleNo = Style;
    item->ParaNo = Para;
    // Style 1 is the UTF-16 style.
    item->ItemOptions = TRVItemOptions::FromRaw(uint8_t(Options | (Style == 1 ? 8 : 0)));
    doc.AddItem(s, std::move(item));
  }
  std::string Out(bool Unicode, bool BOM = false, int Width = 10) {
    std::string s;
    EXPECT_TRUE(ExportTextToStream(doc, "", s, Width, false, false, Unicode, BOM));
    return s;
  }
};

} // namespace

TEST(TextExport, ParagraphsAndLinesAreSeparatedByCRLF) {
  struct Case {
    const char *name;
    std::function<void(TDoc &)> build;
    std::string text;
  };
  const Case cases[] = {
      {"empty document writes nothing", [](TDoc &) {}, ""},
      {"two paragraphs, no end after the last",
       [](TDoc &d) {
         d.Text("a", 0, 0);
         d.Text("b", 0, 0);
       },
       "a\r\nb"},
      {"line break inside a paragraph",
       [](TDoc &d) {
         d.Text("a", 0, 0);
         d.Text("b", 0, 0, 4);
       },
       "a\r\nb"},
      {"continuation joins",
       [](TDoc &d) {
         d.Text("a", 0, 0);
         d.Text("b", 0, -1);
       },
       "ab"},
      {"UTF-16 item in the ANSI code page", [](TDoc &d) { d.Text(U16(u"x\u00e9"), 1, 0); }, "x\xe9"},
      {"break fills the line width",
       [](TDoc &d) {
         d.Text("a", 0, 0);
         d.doc.AddBreakTag(0);
         d.Text("b", 0, 0);
       },
       "a\r\n----------\r\nb"},
      // The line width is for whole-line items only: a history file keeps a
      // paragraph on one line however long it is.
      {"a paragraph longer than the line width stays one line",
       [](TDoc &d) { d.Text("twenty-five characters in", 0, 0); }, "twenty-five characters in"},
  };
  for (const Case &c : cases) {
    TDoc d;
    c.build(d);
    EXPECT_EQ(d.Out(false), c.text) << c.name;
  }
}

TEST(TextExport, UnicodeFormAgreesWithTheAnsiFormAndStartsWithTheMark) {
  TDoc d;
  d.Text("caf\xe9", 0, 0);
  d.Text(U16(u"\u00e9t\u00e9"), 1, -1);
  d.doc.AddBreakTag(0);
  d.Text("end", 0, 0);
  const std::string ansi = d.Out(false);
  const std::string wide = d.Out(true);
  EXPECT_EQ(ansi, "caf\xe9\xe9t\xe9\r\n----------\r\nend");
  EXPECT_EQ(U16(toUtf16(ansi, CP_ACP)), wide);
  EXPECT_EQ(d.Out(true, true), "\xFF\xFE" + wide);
  TDoc empty;
  EXPECT_EQ(empty.Out(true, true), "");
}

TEST(TextExport, FileIsWrittenWholeWithTheMarkForUtf16) {
  kctest::TempDir dir;
  TDoc d;
  d.Text("a", 0, 0);
  const std::string f = dir.file("out.txt");
  ASSERT_TRUE(ExportTextToFile(d.doc, f, 300, true));
  std::string got;
  ASSERT_TRUE(ReadWholeFile(f, got));
  EXPECT_EQ(got, std::string("\xFF\xFE"
                             "a\0",
                             4));
  // A folder that does not exist: a failure, reported.
  std::string error;
  EXPECT_FALSE(ExportTextToFile(d.doc, dir.file("none/out.txt"), 300, false, &error));
  EXPECT_FALSE(error.empty());
}

TEST(TextExport, SelectionInsideANumberedParagraphKeepsItsNumber) {
  // A document whose export range starts after the marker of its paragraph.
  class TPartData : public TCustomRVData {
  public:
    void GetExportRange(int &First, int &FirstOffs, int &Last, int &LastOffs, int &D1, int &D2) override {
      First = 1;
      FirstOffs = 2;
      Last = 1;
      LastOffs = 3;
      D1 = D2 = 0;
    }
  };
  TRVStyle style;
  TRVDataHost host;
  host.Style = &style;
  TRVListInfo *list = static_cast<TRVListInfo *>(style.ListStyles().AddEntry());
  TRVListLevel *level = list->Levels.Add();
  level->ListType = rvlstDecimal;
  level->FormatString = "%0:s.";
  TPartData d;
  d.SetHost(&host);
  d.AddItem("", std::make_unique<TRVMarkerItemInfo>(&d, 0, 0, 1, false));
  d.AddTextItem("abc", 0, -1, 0);
  std::string s;
  ASSERT_TRUE(ExportTextToStream(d, "", s, 10, true, false, false, false));
  EXPECT_EQ(s, d.GetItem(0)->AsText(10, '-', &d, "", "", false, false) + "b");
}
