// HTML output: escaping of what documents from elsewhere set (title, font
// names), characters outside the BMP, the charset line, the page parts.
#include "richtext/document/CRVDataFormats.h"

#include "support/DocumentHosts.h"

#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "platform/QtCanvas.h"
#include "richtext/document/CRVFData.h"
#include "richtext/document/RVBack.h"
#include "richtext/document/RVMarker.h"
#include "platform/Files.h"
#include "support/TempDir.h"

#include <QImage>

using namespace kc;

namespace {

struct TDoc : kctest::TStyledDoc<> {
  std::string Html(bool Css, const std::string &Title = "t", TRVSaveOptions Options = {}) {
    std::string s;
    EXPECT_TRUE(ExportHtmlEx(doc, s, "", Title, "img", Options, clNone, Css));
    return s;
  }
};

} // namespace

TEST(HtmlExport, TitleAndFontNamesCannotEndTheirElement) {
  TDoc d;
  d.style.TextStyles()[1]->FontName = "x\"><script>";
  d.doc.AddText("a", 1, 0);
  const std::string s = d.Html(false, "</TITLE><script>alert(1)</script>");
  EXPECT_EQ(s.find("<script>"), std::string::npos) << s;
  EXPECT_NE(s.find("<TITLE>&lt;/TITLE&gt;&lt;script&gt;alert(1)&lt;/script&gt;</TITLE>"), std::string::npos) << s;
  EXPECT_NE(s.find("face=\"x&quot;&gt;&lt;script&gt;\""), std::string::npos) << s;
}

TEST(HtmlExport, CharacterOutsideTheBmpIsOneReference) {
  TDoc d;
  d.style.TextStyles()[0]->Unicode = true;
  auto item = RichVistaTextItemClass(&d.doc);
  item->ItemOptions.Include(rvioUnicode);
  d.doc.AddItem(std::string("\x3D\xD8\x00\xDE<\x00\xE9\x00", 8), std::move(item));
  for (bool css : {false, true}) EXPECT_NE(d.Html(css).find("&#128512;&lt;&#233;"), std::string::npos) << css;
}

TEST(HtmlExport, DefaultCharsetIsTheSystemsAnsiCodePage) {
  const int saved = ansiCodePage();
  ASSERT_TRUE(setAnsiCodePage(1251));
  TDoc d;
  d.doc.AddText("x", 0, 0);
  const std::string s = d.Html(true);
  setAnsiCodePage(saved);
  EXPECT_NE(s.find("CHARSET=windows-1251\">"), std::string::npos) << s;
}

TEST(HtmlExport, PartsOfThePage) {
  struct Case {
    const char *name;
    TRVSaveOptions options;
    bool css;
    const char *starts, *ends;
  };
  const Case cases[] = {
      {"plain whole page", {}, false, "<HTML><HEAD><TITLE>t</TITLE>", "</BODY></HTML>\r\n"},
      {"css whole page", {}, true, "<!DOCTYPE html", "</P>\r\n\r\n</BODY></HTML>\r\n"},
      {"head only", {rvsoHeadOnly}, true, "<!DOCTYPE html", "<BODY>\r\n"},
      {"end only", {rvsoEndOnly}, false, "</BODY></HTML>", "</BODY></HTML>\r\n"},
      {"body only", {rvsoBodyOnly}, true, "<P>two&nbsp; blanks", "</P>\r\n<P>&nbsp;</P>\r\n"},
  };
  for (const Case &c : cases) {
    TDoc d;
    d.doc.AddText("two  blanks", 0, 0);
    d.doc.AddText("", 0, 0);
    const std::string s = d.Html(c.css, "t", c.options);
    EXPECT_EQ(s.rfind(c.starts, 0), 0u) << c.name << "\n" << s;
    const std::string e = c.ends;
    EXPECT_TRUE(s.size() >= e.size() && s.substr(s.size() - e.size()) == e) << c.name << "\n" << s;
  }
  TDoc noStyle;
  noStyle.host.Style = nullptr;
  std::string s;
  EXPECT_FALSE(ExportHtmlEx(noStyle.doc, s, "", "t", "img", {}, clNone, false));
}

// Link targets come from chat messages: a target must not end its attribute.
TEST(HtmlExport, HyperlinksWrapTheirItemWithAnEscapedTarget) {
  struct Case {
    const char *name;
    bool jump;
    const char *target, *extras;
    const char *expect; // empty: no anchor at all
  };
  const Case cases[] = {
      {"quote and markup escaped", true, "http://x/?a=1&b=\"><script>", "",
       "<A href=\"http://x/?a=1&amp;b=&quot;&gt;&lt;script&gt;\">"},
      {"extras after a blank", true, "t", "target=_blank", "<A href=\"t\" target=_blank>"},
      {"no target and no extras", true, "", "", ""},
      {"not a jump", false, "t", "", ""},
  };
  for (const Case &c : cases) {
    kctest::TLinkDoc link(c.jump, c.target, c.extras);
    TCustomRVData &doc = link.doc;
    for (bool css : {false, true}) {
      std::string s;
      ASSERT_TRUE(ExportHtmlEx(doc, s, "", "t", "img", {}, clNone, css));
      EXPECT_EQ(s.find("<script>"), std::string::npos) << c.name << "\n" << s;
      if (*c.expect == 0) {
        EXPECT_EQ(s.find("<A "), std::string::npos) << c.name << "\n" << s;
        continue;
      }
      const size_t at = s.find(c.expect);
      ASSERT_NE(at, std::string::npos) << c.name << "\n" << s;
      const size_t text = s.find("link", at), close = s.find("</A>", at);
      EXPECT_TRUE(text != std::string::npos && close != std::string::npos && text < close) << c.name << "\n" << s;
    }
  }
}

TEST(HtmlExport, MarginsComeFromTheViewer) {
  TRVStyle style;
  QtCanvas canvas;
  TRVFixedHost host(&canvas, 300, 200);
  host.Style = &style;
  host.LeftMargin = 1, host.TopMargin = 2, host.RightMargin = 3, host.BottomMargin = 4;
  TRichVistaRVData doc(&host);
  doc.AddText("x", 0, 0);
  std::string plain, css;
  ASSERT_TRUE(ExportHtmlEx(doc, plain, "", "t", "img", {}, clNone, false));
  ASSERT_TRUE(ExportHtmlEx(doc, css, "", "t", "img", {}, clNone, true));
  EXPECT_NE(plain.find("<BODY leftmargin=1 topmargin=2 rightmargin=3 bottommargin=4>"), std::string::npos) << plain;
  EXPECT_NE(css.find("  margin: 2px 3px 4px 1px;"), std::string::npos) << css;
}

TEST(HtmlExport, BackgroundPictureIsSavedBesideThePage) {
  struct Case {
    const char *name;
    int style;
    const char *plain; // empty: no background attribute
    std::vector<const char *> css;
  };
  const Case cases[] = {
      {"tiled and scrolled moves with the text",
       bsTiledAndScrolled,
       " background=\"img1.bmp\" leftmargin",
       {"  background-image: url(\"img1.bmp\");", "  background-repeat: repeat;", "  background-attachment: scroll;"}},
      {"centred stays fixed",
       bsCentered,
       " background=\"img1.bmp\" bgproperties=fixed leftmargin",
       {"  background-repeat: no-repeat;", "  background-attachment: fixed;", "  background-position: center center;"}},
      {"no bitmap writes none", bsNoBitmap, "", {}},
  };
  for (const Case &c : cases) {
    kctest::TempDir dir;
    TDoc d;
    d.doc.AddText("x", 0, 0);
    TRVFBackground back;
    back.Style = c.style;
    QImage img(4, 3, QImage::Format_RGB32);
    img.fill(Qt::red);
    back.Picture = std::make_unique<TBitmap>(img);
    const std::string folder = dir.path().string() + "/";
    for (bool css : {false, true}) {
      std::string s;
      // Both flavours write the picture under the same name.
      ASSERT_TRUE(ExportHtmlEx(d.doc, s, folder, "t", "img", TRVSaveOptions{rvsoOverwriteImages}, clNone, css, &back));
      if (!css && *c.plain) {
        EXPECT_NE(s.find(c.plain), std::string::npos) << c.name << "\n" << s;
      }
      if (!css && !*c.plain) {
        EXPECT_EQ(s.find("background"), std::string::npos) << c.name << "\n" << s;
      }
      for (const char *line : c.css) {
        if (css) {
          EXPECT_NE(s.find(line), std::string::npos) << c.name << ": " << line << "\n" << s;
        }
      }
      if (css && c.css.empty()) {
        EXPECT_EQ(s.find("background-image"), std::string::npos) << c.name << "\n" << s;
      }
    }
    EXPECT_EQ(FileExists(folder + "img1.bmp"), c.style != bsNoBitmap) << c.name;
  }
}

// ------------------------------------------------------------------ lists

namespace {

// A numbered list with a bulleted second level; Items gives each
// paragraph as (level, start-from or 0 to continue, text), level -1 for a
// paragraph outside the list.
struct TListDoc : TDoc {
  struct P {
    int level, startFrom;
    const char *text;
  };
  explicit TListDoc(const std::vector<P> &Paras) {
    TRVListInfo *list = style.ListStyles().Add();
    TRVListLevel *l0 = list->Levels.Add();
    l0->ListType = rvlstDecimal;
    l0->FormatString = "%0:s.";
    l0->LeftIndent = 24;
    l0->MarkerIndent = 0;
    TRVListLevel *l1 = list->Levels.Add();
    l1->ListType = rvlstBullet;
    l1->FormatString = "*";
    for (const P &p : Paras) {
      if (p.level >= 0) {
        doc.AddItem("", std::make_unique<TRVMarkerItemInfo>(&doc, 0, p.level, p.startFrom, p.startFrom > 0));
        doc.AddText(p.text, 0, -1);
      } else {
        doc.AddText(p.text, 0, 0);
      }
    }
  }
  std::string Body(bool Css, TRVSaveOptions Options = {}) {
    const std::string s = Html(Css, "t", Options + TRVSaveOptions{rvsoBodyOnly});
    return s;
  }
};

} // namespace

TEST(HtmlExport, ListParagraphsBecomeNestedListItems) {
  TListDoc d({{0, 0, "one"},
              {1, 0, "sub"},
              {0, 0, "two"},
              {-1, 0, "between"},
              {0, 0, "three"},
              {0, 7, "seven"},
              {0, 0, "eight"}});
  const std::string plain = d.Body(false);
  // The numbering of a list that opens again, or that restarts, is given;
  // one that simply counts on is left to the browser.
  EXPECT_NE(plain.find("<OL>\r\n<LI>one\r\n<UL>\r\n<LI>sub</LI></UL>\r\n</LI>\r\n<LI>two</LI></OL>\r\n"
                       "<DIV>between</DIV>\r\n<OL>\r\n<LI value=3>three</LI>\r\n<LI value=7>seven</LI>\r\n"
                       "<LI>eight</LI></OL>\r\n"),
            std::string::npos)
      << plain;
  // The CSS flavour gives each list element its level's indents.
  const std::string css = d.Body(true);
  EXPECT_NE(
      css.find("<OL style=\"text-indent: 10px; margin-left: 24px; list-style-position:outside;\">\r\n<LI>one\r\n"
               "<UL style=\"text-indent: 0px; margin-left: 0px; list-style-position:inside;\">\r\n<LI>sub</LI></UL>"),
      std::string::npos)
      << css;
  EXPECT_NE(css.find("<P>between</P>\r\n<OL"), std::string::npos) << css;
}

TEST(HtmlExport, ListElementsCloseWhereTheListEnds) {
  struct Case {
    const char *name;
    std::vector<TListDoc::P> paras;
    const char *expect;
  };
  const Case cases[] = {
      {"last paragraph in a nested level closes both",
       {{0, 0, "a"}, {1, 0, "b"}},
       "<OL>\r\n<LI>a\r\n<UL>\r\n<LI>b</LI></UL>\r\n</LI></OL>\r\n"},
      {"a deeper level first opens only its own element",
       {{1, 0, "deep"}, {0, 0, "top"}},
       "<UL>\r\n<LI>deep</LI></UL>\r\n<OL>\r\n<LI"},
  };
  for (const Case &c : cases) {
    TListDoc d(c.paras);
    const std::string s = d.Body(false);
    EXPECT_NE(s.find(c.expect), std::string::npos) << c.name << "\n" << s;
    EXPECT_EQ(s.find("</LI></LI>"), std::string::npos) << c.name << "\n" << s;
  }
}

TEST(HtmlExport, MarkersAsTextWriteOrdinaryParagraphsWithTheMarker) {
  TListDoc d({{0, 0, "one"}, {0, 0, "two"}});
  const std::string plain = d.Body(false, TRVSaveOptions{rvsoMarkersAsText});
  EXPECT_EQ(plain.find("<LI"), std::string::npos) << plain;
  EXPECT_EQ(plain.find("<OL"), std::string::npos) << plain;
  EXPECT_NE(plain.find("<DIV>"), std::string::npos) << plain;
  EXPECT_NE(plain.find("2.</FONT>two</DIV>"), std::string::npos) << plain;
  const std::string css = d.Body(true, TRVSaveOptions{rvsoMarkersAsText});
  EXPECT_NE(css.find("<P style=\"text-indent: -24px; margin-left: 24px;\"><SPAN style=\"{"), std::string::npos) << css;
  EXPECT_NE(css.find(">2.</SPAN>two</P>"), std::string::npos) << css;
}

TEST(HtmlExport, ListItemsCarryPageBreaksAndCheckpointsOfTheirMarker) {
  TListDoc d({{0, 0, "one"}});
  d.doc.AddCheckpointTag("", false, 0);
  d.doc.AddItem("", std::make_unique<TRVMarkerItemInfo>(&d.doc, 0, 0, 0, false));
  d.doc.GetItem(2)->ItemOptions.Include(rvioPageBreakBefore);
  d.doc.AddText("two", 0, -1);
  for (bool css : {false, true}) {
    const std::string s = d.Body(css);
    EXPECT_NE(s.find("<LI style=\"page-break-before: always;\"><A name=RichVistaCheckpoint0></A>"), std::string::npos)
        << css << "\n"
        << s;
  }
}
