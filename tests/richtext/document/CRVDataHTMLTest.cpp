// HTML output: escaping of what documents from elsewhere set (title, font
// names), characters outside the BMP, the charset line, the page parts.
#include "richtext/document/CRVDataFormats.h"

#include <gtest/gtest.h>

#include "platform/CodePage.h"

using namespace kc;

namespace {

struct TDoc {
  TDoc() {
    host.Style = &style;
    doc.SetHost(&host);
  }
  std::string Html(bool Css, const std::string &Title = "t", TRVSaveOptions Options = {}) {
    std::string s;
    EXPECT_TRUE(ExportHtmlEx(doc, s, "", Title, "img", Options, clNone, Css));
    return s;
  }
  TRVStyle style;
  TRVDataHost host;
  TCustomRVData doc;
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
  for (bool css : {false, true})
    EXPECT_NE(d.Html(css).find("&#128512;&lt;&#233;"), std::string::npos) << css;
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
