// RTF output: header and tables, escapes, sizes of shifted text, bookmarks,
// system colours and the code page of the header.
#include "richtext/document/CRVDataFormats.h"

#include "support/DocumentHosts.h"

#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "richtext/document/RVMarker.h"

using namespace kc;

namespace {

struct TDoc : kctest::TStyledDoc<> {
  TDoc() { setScreenPixelsPerInch(96); }
  std::string Rtf() {
    std::string s;
    EXPECT_TRUE(ExportRtfToStream(doc, s));
    return s;
  }
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
      {"shifted text keeps the doubled size in a group of its own",
       [](TDoc &d) {
         d.style.TextStyles()[0]->VShift = 30;
         d.doc.AddText("x", 0, 0);
       },
       "{\\plain \\f0\\super\\fs40 x}}"},
      {"subscript",
       [](TDoc &d) {
         d.style.TextStyles()[0]->VShift = -30;
         d.doc.AddText("x", 0, 0);
       },
       "{\\plain \\f0\\sub\\fs40 x}}"},
      {"unnamed checkpoint",
       [](TDoc &d) {
         d.doc.AddCheckpointTag("", false, 0);
         d.doc.AddText("x", 0, 0);
       },
       "{\\*\\bkmkstart RichVistaCheckpoint0}{\\*\\bkmkend RichVistaCheckpoint0}"},
      {"second paragraph",
       [](TDoc &d) {
         d.doc.AddText("a", 0, 0);
         d.doc.AddText("b", 0, 0);
       },
       "a\r\n\\par\\pard"},
      {"empty last paragraph survives",
       [](TDoc &d) {
         d.doc.AddText("a", 0, 0);
         d.doc.AddText("", 0, 0);
       },
       "\\f0\\fs20 \\par}"},
      {"keep lines together and with the next paragraph",
       [](TDoc &d) {
         d.style.ParaStyles()[0]->Options = TRVParaOptions{rvpaoKeepLinesTogether, rvpaoKeepWithNext};
         d.doc.AddText("x", 0, 0);
       },
       "\\pard\\keep\\keepn\\fi0"},
      {"border on the left and bottom only",
       [](TDoc &d) {
         TRVBorder &b = d.style.ParaStyles()[0]->Border;
         b.Style = rvbDouble;
         b.Color = clRed;
         b.VisibleBorders.Top = b.VisibleBorders.Right = false;
         b.BorderOffsets.Left = 2;
         d.doc.AddText("x", 0, 0);
       },
       "\\sa0\\brdrbtw\\brdrl\\brsp30\\brdrdb\\brdrcf6\\brdrw15\\brdrb\\brsp0\\brdrdb\\brdrcf6\\brdrw15 "},
      {"thick border doubles its width",
       [](TDoc &d) {
         TRVBorder &b = d.style.ParaStyles()[0]->Border;
         b.Style = rvbThickOutside;
         b.Color = clBlack;
         b.VisibleBorders.SetAll(false);
         b.VisibleBorders.Top = true;
         d.doc.AddText("x", 0, 0);
       },
       "\\brdrbtw\\brdrt\\brsp0\\brdrtnthmg\\brdrcf1\\brdrw30 "},
      {"border without colour writes none",
       [](TDoc &d) {
         d.style.ParaStyles()[0]->Border.Style = rvbSingle;
         d.style.ParaStyles()[0]->Border.Color = clNone;
         d.doc.AddText("x", 0, 0);
       },
       "\\sa0 \\plain"},
      {"another character set names its language",
       [](TDoc &d) {
         d.style.TextStyles()[1]->Charset = 204;
         d.doc.AddText("x", 1, 0);
       },
       "\\b\\lang1049\\fs20"},
      {"style sheet lists both kinds of style",
       [](TDoc &d) {
         d.host.RTFOptions.Include(rvrtfSaveStyleSheet);
         d.style.ParaStyles()[0]->StyleName = "Body{1}";
         d.doc.AddText("x", 0, 0);
       },
       "{\\stylesheet{\\s0\\fi0\\li0\\ql\\ri0\\sb0\\sa0 Body_1_;}"},
      {"style sheet numbers character styles after the paragraph styles",
       [](TDoc &d) {
         d.host.RTFOptions.Include(rvrtfSaveStyleSheet);
         d.doc.AddText("x", 1, 0);
       },
       "\\pard\\s0\\fi0\\li0\\ql\\ri0\\sb0\\sa0 \\plain \\cs"},
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

TEST(RtfExport, HyperlinksBecomeFieldsWhenTheyHaveATarget) {
  struct Case {
    const char *name;
    bool jump;
    const char *target, *extras;
    const char *expect; // empty: no field at all
  };
  const Case cases[] = {
      {"target escaped", true, "http://x/{a}\\b", "",
       "{\\field{\\*\\fldinst HYPERLINK \"http://x/\\{a\\}\\\\b\"}{\\fldrslt\\plain \\f0"},
      {"extras after a blank", true, "t", "\\l", "{\\field{\\*\\fldinst HYPERLINK \"t\" \\\\l}{\\fldrslt"},
      {"no target and no extras", true, "", "", ""},
      {"not a jump", false, "t", "", ""},
  };
  for (const Case &c : cases) {
    kctest::TLinkDoc link(c.jump, c.target, c.extras);
    TCustomRVData &doc = link.doc;
    std::string s;
    ASSERT_TRUE(ExportRtfToStream(doc, s));
    if (*c.expect == 0) {
      EXPECT_EQ(s.find("\\field"), std::string::npos) << c.name << "\n" << s;
      continue;
    }
    EXPECT_NE(s.find(c.expect), std::string::npos) << c.name << "\n" << s;
    EXPECT_NE(s.find("link}}}"), std::string::npos) << c.name << ": the field closes after the item\n" << s;
  }
}

TEST(RtfExport, ListsWriteTheListTableAndOverrides) {
  TDoc d;
  TRVListInfo *list = d.style.ListStyles().Add();
  list->SetListID(77);
  TRVListLevel *l1 = list->Levels.Add();
  l1->ListType = rvlstDecimal;
  l1->FormatString = "%0:s.";
  l1->LeftIndent = 24;
  l1->MarkerIndent = 0;
  l1->FirstIndent = 0;
  l1->StartFrom = 3;
  TRVListLevel *l2 = list->Levels.Add();
  l2->ListType = rvlstLowerAlpha;
  l2->FormatString = "%0:s.%1:s)";
  l2->Options = TRVListLevelOptions{rvloContinuous};
  d.doc.AddItem("", std::make_unique<TRVMarkerItemInfo>(&d.doc, 0, 0, 1, false));
  d.doc.AddText("one", 0, 0);
  d.doc.GetItem(1)->SetContinuePara(true);
  d.doc.AddItem("", std::make_unique<TRVMarkerItemInfo>(&d.doc, 0, 1, 5, true));
  d.doc.AddText("two", 0, 0);
  d.doc.GetItem(3)->SetContinuePara(true);
  const std::string s = d.Rtf();
  const std::string decimal = "{\\listlevel\\levelnfc0\\leveljc0\\li360\\fi-360\\jclisttab\\tx360\\levelstartat3"
                              "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}";
  const std::string alpha = "{\\listlevel\\levelnfc4\\leveljc0\\li0\\fi0\\jclisttab\\tx150\\levelstartat1"
                            "\\levelnorestart1{\\leveltext\\'04\\'00.\\'01);}{\\levelnumbers\\'01\\'03;}}";
  EXPECT_NE(s.find("{\\*\\listtable{\\list\\listtemplateid"), std::string::npos) << s;
  EXPECT_NE(s.find("\r\n" + decimal + alpha + alpha), std::string::npos) << s;
  EXPECT_NE(s.find("\\listid77}}\r\n{\\*\\listoverridetable{\\listoverride\\listid77\\listoverridecount0\\ls1}"
                   "{\\listoverride\\listid77\\listoverridecount2{\\lfolevel}"
                   "{\\lfolevel\\listoverridestartat\\levelstartat5}\\ls2}}"),
            std::string::npos)
      << s;
  // The paragraph of a marker takes its indents from the marker's level,
  // and each marker names its override.
  EXPECT_NE(s.find("\\pard\\li360\\fi-360\\jclisttab\\tx360\\ql"), std::string::npos) << s;
  EXPECT_NE(s.find("\\tab}\\ls1\\ilvl0"), std::string::npos) << s;
  EXPECT_NE(s.find("\\tab}\\ls2\\ilvl1"), std::string::npos) << s;
}

// Marker texts take "%s" as the level after the last one named (as the RTF
// reader makes them); written as text it would lose the numbers.
TEST(RtfExport, LevelTextPlaceholdersAsMarkerTextsReadThem) {
  struct Case {
    const char *name, *format;
    const char *text;
  };
  const Case cases[] = {
      {"plain placeholder", "%s.", "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}"},
      {"numbered, then plain", "%0:s.%s)", "{\\leveltext\\'04\\'00.\\'01);}{\\levelnumbers\\'01\\'03;}"},
      {"two-digit level beyond RTF's nine stays text", "%12:s", "{\\leveltext\\'05%12:s;}{\\levelnumbers;}"},
      {"a doubled percent is one", "%%%0:s", "{\\leveltext\\'02%\\'00;}{\\levelnumbers\\'02;}"},
  };
  for (const Case &c : cases) {
    TDoc d;
    TRVListLevel *l = d.style.ListStyles().Add()->Levels.Add();
    l->ListType = rvlstDecimal;
    l->FormatString = c.format;
    d.doc.AddItem("", std::make_unique<TRVMarkerItemInfo>(&d.doc, 0, 0, 1, false));
    const std::string s = d.Rtf();
    EXPECT_NE(s.find(c.text), std::string::npos) << c.name << "\n" << s;
  }
}
