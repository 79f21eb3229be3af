// RTF output: header and tables, escapes, sizes of shifted text, bookmarks,
// system colours and the code page of the header.
#include "richtext/document/CRVDataFormats.h"

#include <gtest/gtest.h>

#include "platform/CodePage.h"

using namespace kc;

namespace {

struct TDoc {
  TDoc() {
    host.Style = &style;
    doc.SetHost(&host);
    setScreenPixelsPerInch(96);
  }
  std::string Rtf() {
    std::string s;
    EXPECT_TRUE(ExportRtfToStream(doc, s));
    return s;
  }
  TRVStyle style;
  TRVDataHost host;
  TCustomRVData doc;
};

const char kFixedColors[] =
    "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green255\\blue255;\\red0\\green255\\blue0;"
    "\\red255\\green0\\blue255;\\red255\\green0\\blue0;\\red255\\green255\\blue0;\\red255\\green255\\blue255;"
    "\\red0\\green0\\blue128;\\red0\\green128\\blue128;\\red0\\green128\\blue0;\\red128\\green0\\blue128;"
    "\\red128\\green0\\blue0;\\red128\\green128\\blue0;\\red128\\green128\\blue128;\\red192\\green192\\blue192;";

} // namespace

TEST(RtfExport, OneParagraphHasTheSkeletonAndNoPar) {
  TDoc d;
  d.doc.AddText("Hi", 0, 0);
  const std::string s = d.Rtf();
  EXPECT_EQ(s.rfind("{\\rtf1\\ansi\\ansicpg", 0), 0u) << s;
  EXPECT_NE(s.find(std::string(kFixedColors) + "}\r\n"), std::string::npos) << s;
  const std::string tail = "\\uc1\r\n\\pard\\fi0\\li0\\ql\\ri0\\sb0\\sa0 \\plain \\f0\\fs20 Hi}";
  ASSERT_GE(s.size(), tail.size());
  EXPECT_EQ(s.substr(s.size() - tail.size()), tail);
  EXPECT_EQ(s.find("\\par\\"), std::string::npos);
  EXPECT_EQ(s.find("\\par}"), std::string::npos);
  TDoc empty;
  EXPECT_EQ(empty.Rtf(), "");
}

TEST(RtfExport, TextAndStylesWriteTheseCodes) {
  struct Case {
    const char *name;
    std::function<void(TDoc &)> build;
    const char *expect;
  };
  const Case cases[] = {
      {"braces and backslash escaped", [](TDoc &d) { d.doc.AddText("a{b}\\", 0, 0); }, "a\\{b\\}\\\\}"},
      {"high byte as hex", [](TDoc &d) { d.doc.AddText("\xe9", 0, 0); }, "\\'e9}"},
      {"shifted text keeps the doubled size",
       [](TDoc &d) {
         d.style.TextStyles()[0]->VShift = 30;
         d.doc.AddText("x", 0, 0);
       },
       "\\super\\fs40 x}"},
      {"subscript", [](TDoc &d) {
         d.style.TextStyles()[0]->VShift = -30;
         d.doc.AddText("x", 0, 0);
       },
       "\\sub\\fs40 x}"},
      {"unnamed checkpoint", [](TDoc &d) {
         d.doc.AddCheckpointTag("", false, 0);
         d.doc.AddText("x", 0, 0);
       },
       "{\\*\\bkmkstart RichVistaCheckpoint0}{\\*\\bkmkend RichVistaCheckpoint0}"},
      {"second paragraph", [](TDoc &d) {
         d.doc.AddText("a", 0, 0);
         d.doc.AddText("b", 0, 0);
       },
       "a\r\n\\par\\pard"},
      {"empty last paragraph survives", [](TDoc &d) {
         d.doc.AddText("a", 0, 0);
         d.doc.AddText("", 0, 0);
       },
       "\\f0\\fs20 \\par}"},
  };
  for (const Case &c : cases) {
    TDoc d;
    c.build(d);
    const std::string s = d.Rtf();
    EXPECT_NE(s.find(c.expect), std::string::npos) << c.name << "\n" << s;
  }
}

// A dark desktop theme must not make history files unreadable: system
// colours are written as the classic scheme has them.
TEST(RtfExport, SystemColoursComeFromTheClassicScheme) {
  TDoc d;
  d.style.TextStyles()[0]->Color = clInfoText;
  d.style.TextStyles()[0]->BackColor = clInfoBk;
  d.doc.AddText("x", 0, 0);
  const std::string s = d.Rtf();
  EXPECT_NE(s.find(std::string(kFixedColors) + "\\red0\\green0\\blue0;\\red255\\green255\\blue225;}"),
            std::string::npos)
      << s;
  EXPECT_NE(s.find("\\chcbpat18\\cf17 x}"), std::string::npos) << s;
}

TEST(RtfExport, DefaultCodePageIsTheSystemsAnsiCodePage) {
  const int saved = ansiCodePage();
  ASSERT_TRUE(setAnsiCodePage(1251));
  TDoc d;
  d.doc.AddText("x", 0, 0);
  const std::string s = d.Rtf();
  setAnsiCodePage(saved);
  EXPECT_EQ(s.rfind("{\\rtf1\\ansi\\ansicpg1251\\", 0), 0u) << s;
  TDoc fixed;
  fixed.style.DefCodePage = 1250;
  fixed.doc.AddText("x", 0, 0);
  EXPECT_EQ(fixed.Rtf().rfind("{\\rtf1\\ansi\\ansicpg1250\\", 0), 0u);
}
