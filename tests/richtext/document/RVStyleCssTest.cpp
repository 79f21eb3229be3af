// The CSS style sheet of the HTML writer and the CSS of single styles and
// list levels.
#include "richtext/document/RVStyle.h"

#include <gtest/gtest.h>

#include <functional>

#include "richtext/document/RVStyleProps.h"

using namespace kc;

namespace {

std::string Css(const TRVStyle &s, int options = 0) {
  std::string out;
  s.WriteCssStyleSheet(out, options);
  return out;
}

std::string FontCss(const TFontInfo &f, const TFontInfo *base, bool multiline = false) {
  std::string out;
  f.SaveCSSToStream(out, base, multiline);
  return out;
}

std::string ParaCss(const TParaInfo &p, const TParaInfo *base, bool ignoreLeft = false, bool forList = false) {
  std::string out;
  p.SaveCSSToStream(out, base, false, ignoreLeft, forList);
  return out;
}

} // namespace

TEST(StyleCss, DefaultSheet) {
  TRVStyle s;
  const char *expected = "/*----------Text Styles----------*/\r\n"
                         "HR { color: #000000}\r\n"
                         "BODY, TABLE /* Normal text */\r\n"
                         "{\r\n"
                         " font-size: 10pt;\r\n"
                         " font-family: 'Arial';\r\n"
                         " font-style: normal;\r\n"
                         " font-weight: normal;\r\n"
                         " color: #000000;\r\n"
                         " text-decoration: none;\r\n"
                         "}\r\n"
                         "SPAN.RVTS1 /* Heading */\r\n"
                         "{\r\n"
                         " font-weight: bold;\r\n"
                         " color: #0000FF;\r\n"
                         "}\r\n"
                         "SPAN.RVTS2 /* Subheading */\r\n"
                         "{\r\n"
                         " font-weight: bold;\r\n"
                         " color: #000080;\r\n"
                         "}\r\n"
                         "SPAN.RVTS3 /* Keywords */\r\n"
                         "{\r\n"
                         " font-style: italic;\r\n"
                         " color: #800000;\r\n"
                         "}\r\n"
                         "A.RVTS4, SPAN.RVTS4 /* Jump 1 */\r\n"
                         "{\r\n"
                         " color: #008000;\r\n"
                         " text-decoration: underline;\r\n"
                         "}\r\n"
                         "A.RVTS5, SPAN.RVTS5 /* Jump 2 */\r\n"
                         "{\r\n"
                         " color: #008000;\r\n"
                         " text-decoration: underline;\r\n"
                         "}\r\n"
                         "/*----------Para Styles----------*/\r\n"
                         "P,UL,OL /* Paragraph Style */\r\n"
                         "{\r\n"
                         " text-align: left;\r\n"
                         " text-indent: 0px;\r\n"
                         " padding: 0px 0px 0px 0px;\r\n"
                         " margin: 0px 0px 0px 0px;\r\n"
                         "}\r\n"
                         ".RVPS1 /* Centered */\r\n"
                         "{\r\n"
                         " text-align: center;\r\n"
                         "}\r\n";
  EXPECT_EQ(Css(s), expected);
}

TEST(StyleCss, OptionsChangeSelectorsAndBases) {
  TRVStyle s;
  // Bit 2: style 0 is a class too and nothing is written as a difference.
  std::string all = Css(s, 4);
  EXPECT_NE(all.find("SPAN.RVTS0 /* Normal text */\r\n"), std::string::npos);
  EXPECT_NE(all.find(".RVPS0 /* Paragraph Style */\r\n"), std::string::npos);
  EXPECT_EQ(all.find("BODY, TABLE"), std::string::npos);
  EXPECT_NE(all.find("SPAN.RVTS1 /* Heading */\r\n{\r\n font-size: 10pt;\r\n"), std::string::npos);
  // Bit 1: left alignment left out of whole styles.
  std::string noLeft = Css(s, 2);
  EXPECT_EQ(noLeft.find("text-align: left"), std::string::npos);
  // A non-standard style has no comment; a jump style 0 is not the default rule.
  s.TextStyles()[0]->Standard = false;
  s.TextStyles()[0]->Jump = true;
  std::string j = Css(s);
  EXPECT_NE(j.find("A.RVTS0, SPAN.RVTS0\r\n"), std::string::npos);
  EXPECT_NE(j.find("SPAN.RVTS1 /* Heading */\r\n{\r\n font-size: 10pt;\r\n"), std::string::npos);
}

TEST(StyleCss, DifferencesFromTheBaseStyle) {
  TRVStyle s;
  s.TextStyles()[3]->BaseStyleNo = 1;  // keywords on heading
  s.TextStyles()[2]->BaseStyleNo = 99; // out of range: style 0 as usual
  std::string css = Css(s, 1);
  EXPECT_NE(css.find("SPAN.RVTS3 /* Keywords */\r\n{\r\n font-style: italic;\r\n font-weight: normal;\r\n color: "
                     "#800000;\r\n}\r\n"),
            std::string::npos)
      << css;
  EXPECT_NE(css.find("SPAN.RVTS2 /* Subheading */\r\n{\r\n font-weight: bold;\r\n color: #000080;\r\n}\r\n"),
            std::string::npos);
}

TEST(StyleCss, TextDeclarations) {
  TFontInfo base;
  struct Case {
    const char *Name;
    std::function<void(TFontInfo &)> Change;
    const char *WithBase;
    std::function<void(TFontInfo &)> BaseChange = nullptr;
  };
  const Case cases[] = {
      {"size", [](TFontInfo &f) { f.Size = 12; }, " font-size: 12pt;"},
      {"same name other case", [](TFontInfo &f) { f.FontName = "ARIAL"; }, ""},
      {"spacing", [](TFontInfo &f) { f.CharSpacing = 3; }, " letter-spacing: 3px;"},
      {"caps", [](TFontInfo &f) { f.StyleEx = TRVFontStyles{rvfsAllCaps}; }, " text-transform: uppercase;"},
      {"back", [](TFontInfo &f) { f.BackColor = clYellow; }, " background-color: #FFFF00;"},
      {"super", [](TFontInfo &f) { f.VShift = 30; }, " vertical-align: super;"},
      {"sub", [](TFontInfo &f) { f.VShift = -30; }, " vertical-align: sub;"},
      {"strike", [](TFontInfo &f) { f.Style = fsStrikeOut; }, " text-decoration: line-through;"},
      {"under and over",
       [](TFontInfo &f) {
         f.Style = fsUnderline | fsStrikeOut;
         f.StyleEx = TRVFontStyles{rvfsOverline};
       },
       " text-decoration: underline overline;"},
      {"over", [](TFontInfo &f) { f.StyleEx = TRVFontStyles{rvfsOverline}; }, " text-decoration: overline;"},
      {"plain jump", [](TFontInfo &f) { f.Jump = true; }, " text-decoration: none;"},
      {"struck jump",
       [](TFontInfo &f) {
         f.Jump = true;
         f.Style = fsStrikeOut;
       },
       " text-decoration: none line-through;"},
      {"overlined jump",
       [](TFontInfo &f) {
         f.Jump = true;
         f.StyleEx = TRVFontStyles{rvfsOverline};
       },
       " text-decoration: none overline;"},
      // The decorations are compared as written, not flag by flag.
      {"struck jump over struck base",
       [](TFontInfo &f) {
         f.Jump = true;
         f.Style = fsStrikeOut;
       },
       " text-decoration: none line-through;", [](TFontInfo &b) { b.Style = fsStrikeOut; }},
      {"underline wins over strike-out", [](TFontInfo &f) { f.Style = fsUnderline | fsStrikeOut; }, "",
       [](TFontInfo &b) { b.Style = fsUnderline; }},
      {"plain over underlined base", [](TFontInfo &) {}, " text-decoration: none;",
       [](TFontInfo &b) { b.Style = fsUnderline; }},
  };
  for (const auto &c : cases) {
    TFontInfo f, b;
    c.Change(f);
    if (c.BaseChange) c.BaseChange(b);
    EXPECT_EQ(FontCss(f, &b), c.WithBase) << c.Name;
  }
  // Back to the baseline and back to no capitals over a base that has them.
  TFontInfo shifted;
  shifted.VShift = 20;
  shifted.StyleEx = TRVFontStyles{rvfsAllCaps};
  EXPECT_EQ(FontCss(base, &shifted), " text-transform: none; vertical-align: baseline;");
}

TEST(StyleCss, WholeTextStyleWithoutBase) {
  TFontInfo f;
  EXPECT_EQ(FontCss(f, nullptr, false),
            " font-size: 10pt; font-family: 'Arial'; font-style: normal; font-weight: "
            "normal; color: #000000; background-color: transparent; text-decoration: none;");
  std::string multi = FontCss(f, nullptr, true);
  EXPECT_EQ(multi.find("background-color"), std::string::npos);
  f.VShift = 1;
  f.CharSpacing = -1;
  std::string shifted = FontCss(f, nullptr, true);
  EXPECT_NE(shifted.find(" letter-spacing: -1px;\r\n"), std::string::npos);
  EXPECT_NE(shifted.find(" vertical-align: super;\r\n"), std::string::npos);
}

TEST(StyleCss, DataIsEscaped) {
  TRVStyle s;
  s.TextStyles()[0]->FontName = "Evil'</style><script>";
  s.TextStyles()[0]->StyleName = "a */ b <x>";
  std::string css = Css(s);
  EXPECT_EQ(css.find("</style>"), std::string::npos);
  EXPECT_EQ(css.find("<script>"), std::string::npos);
  EXPECT_NE(css.find(" font-family: 'Evil\\27 \\3C /style\\3E \\3C script\\3E ';"), std::string::npos) << css;
  EXPECT_NE(css.find("BODY, TABLE /* a * / b _x_ */\r\n"), std::string::npos) << css;
  EXPECT_EQ(css.find("*/ b"), std::string::npos);
}

TEST(StyleCss, HoverRules) {
  TRVStyle s;
  EXPECT_EQ(Css(s).find(":hover"), std::string::npos);
  s.HoverColor = clRed;
  std::string css = Css(s);
  EXPECT_NE(css.find("A.RVTS4:hover { color: #FF0000; }\r\n"), std::string::npos) << css;
  s.TextStyles()[5]->HoverBackColor = clYellow;
  s.TextStyles()[5]->BaseStyleNo = 4;
  css = Css(s, 1);
  // Over a jump base with the same hover colour only the background differs.
  EXPECT_NE(css.find("A.RVTS5:hover { background-color: #FFFF00; }\r\n"), std::string::npos) << css;
}

TEST(StyleCss, ParagraphDeclarations) {
  TParaInfo p;
  EXPECT_EQ(ParaCss(p, nullptr),
            " text-align: left; text-indent: 0px; padding: 0px 0px 0px 0px; margin: 0px 0px 0px 0px;");
  EXPECT_EQ(ParaCss(p, nullptr, true), " text-indent: 0px; padding: 0px 0px 0px 0px; margin: 0px 0px 0px 0px;");
  struct {
    int Spacing;
    const char *Text;
  } const spacings[] = {
      {150, " line-height: 1.50;"}, {105, " line-height: 1.05;"}, {100, ""}, {200, " line-height: 2.00;"}};
  for (const auto &c : spacings) {
    TParaInfo q;
    q.LineSpacing = c.Spacing;
    std::string css = ParaCss(q, nullptr);
    if (*c.Text) EXPECT_NE(css.find(c.Text), std::string::npos) << c.Spacing;
    else EXPECT_EQ(css.find("line-height"), std::string::npos);
  }
  TParaInfo spaced;
  spaced.LineSpacingType = rvlsSpaceBetween;
  spaced.LineSpacing = 4;
  TParaInfo tall;
  tall.LineSpacing = 150;
  EXPECT_EQ(ParaCss(spaced, &tall), " line-height: normal;");
  TParaInfo opts;
  opts.Options = TRVParaOptions{rvpaoNoWrap, rvpaoKeepLinesTogether, rvpaoKeepWithNext};
  EXPECT_EQ(ParaCss(opts, &p), " white-space: nowrap; page-break-inside: avoid; page-break-after: avoid;");
  EXPECT_EQ(ParaCss(p, &opts), " white-space: normal; page-break-inside: auto; page-break-after: auto;");
}

TEST(StyleCss, ParagraphBorderBackgroundPaddingAndMargins) {
  TParaInfo p;
  p.LeftIndent = 20;
  p.SpaceBefore = 10;
  p.Border.Style = rvbDouble;
  p.Border.Width = 2;
  p.Border.InternalWidth = 1;
  p.Border.Color = clBlue;
  p.Border.BorderOffsets.SetAll(4);
  p.Border.VisibleBorders.SetValues(true, false, true, true);
  p.Background.Color = clYellow;
  p.Background.BorderOffsets.SetAll(2);
  p.Background.BorderOffsets.Bottom = 6;
  TParaInfo base;
  EXPECT_EQ(ParaCss(p, &base), " border-color: #0000FF; border-style: double; border-width: 3px; border-top: none;"
                               " background: #FFFF00; padding: 4px 4px 6px 4px; margin: 6px -4px -6px 16px;");
  // A plain style over a bordered base.
  EXPECT_EQ(ParaCss(base, &p), " border: none; background: transparent; padding: 0px 0px 0px 0px;"
                               " margin: 0px 0px 0px 0px;");
  // For list items the left margin and the first indent are left to the list.
  EXPECT_EQ(ParaCss(p, nullptr, false, true).find("text-indent"), std::string::npos);
  EXPECT_NE(ParaCss(p, nullptr, false, true).find(" margin-top: 6px; margin-right: -4px; margin-bottom: -6px;"),
            std::string::npos);
  struct {
    TRVBorderStyle Style;
    const char *Text;
  } const widths[] = {{rvbSingle, "solid; border-width: 2px;"},
                      {rvbTriple, "double; border-width: 4px;"},
                      {rvbThickInside, "double; border-width: 4px;"}};
  for (const auto &c : widths) {
    TParaInfo q;
    q.Border.Style = c.Style;
    q.Border.Width = 2;
    EXPECT_NE(ParaCss(q, nullptr).find(c.Text), std::string::npos) << int(c.Style);
  }
  TParaInfo noColour;
  noColour.Border.Style = rvbSingle;
  noColour.Border.Color = clNone;
  EXPECT_EQ(ParaCss(noColour, nullptr).find("border"), std::string::npos);
}

TEST(StyleCss, ListLevelTags) {
  struct {
    TRVListType Type;
    const char *Open, *Close;
  } const cases[] = {{rvlstBullet, "<UL>", "</UL>"},
                     {rvlstPicture, "<UL>", "</UL>"},
                     {rvlstDecimal, "<OL>", "</OL>"},
                     {rvlstLowerAlpha, "<OL type=a>", "</OL>"},
                     {rvlstUpperAlpha, "<OL type=A>", "</OL>"},
                     {rvlstLowerRoman, "<OL type=i>", "</OL>"},
                     {rvlstUpperRoman, "<OL type=I>", "</OL>"},
                     {rvlstImageListCounter, "<OL>", "</OL>"},
                     {rvlstUnicodeBullet, "<UL>", "</UL>"}};
  for (const auto &c : cases) {
    TRVListLevel l;
    l.ListType = c.Type;
    std::string open, close;
    l.HTMLOpenTag(open, false);
    l.HTMLCloseTag(close);
    EXPECT_EQ(open, c.Open);
    EXPECT_EQ(close, c.Close);
  }
  TRVListLevel l;
  l.ListType = rvlstUpperAlpha;
  l.LeftIndent = 30;
  l.MarkerIndent = 10;
  l.FirstIndent = -20;
  std::string open;
  l.HTMLOpenTag(open, true);
  EXPECT_EQ(open, "<OL type=A style=\"text-indent: -20px; margin-left: 30px; list-style-position:outside;\">");
  l.LeftIndent = 5;
  open.clear();
  l.HTMLOpenTag(open, true);
  EXPECT_EQ(open, "<OL type=A style=\"text-indent: 5px; margin-left: 5px; list-style-position:inside;\">");
  EXPECT_EQ(l.GetIndentCSSForTextVersion(), "text-indent: 5px; margin-left: 5px;");
}

namespace {
// Gives the property another value than its default.
void ChangeProperty(const TRVProp &p, void *Obj) {
  switch (p.Kind()) {
  case TRVPropKind::Str: p.Member.SetStr(Obj, "Tahoma"); break;
  case TRVPropKind::Color: p.Member.Set(Obj, p.Default == clRed ? clBlue : clRed); break;
  case TRVPropKind::Enum: p.Member.Set(Obj, (p.Default + 1) % int64_t(p.Type.Names.size())); break;
  case TRVPropKind::Bool: p.Member.Set(Obj, p.Default == 0); break;
  default: p.Member.Set(Obj, p.Default + 7);
  }
}
} // namespace

TEST(StyleCss, EveryPropertyWithACssNameShowsWhenItDiffersFromTheBase) {
  // The writers to come take the names from the tables: they must be the
  // ones this writer puts out.
  for (const TRVProp &p : RVTextStyleProps().Rows) {
    if (!p.Css) continue;
    SCOPED_TRACE(p.Name);
    TFontInfo base, f;
    ChangeProperty(p, &f);
    EXPECT_NE(FontCss(f, &base).find(std::string(" ") + p.Css + ":"), std::string::npos) << FontCss(f, &base);
  }
  for (const TRVProp &p : RVParaStyleProps().Rows) {
    if (!p.Css || p.Kind() == TRVPropKind::Object) continue;
    SCOPED_TRACE(p.Name);
    TParaInfo base, q;
    ChangeProperty(p, &q);
    EXPECT_NE(ParaCss(q, &base).find(std::string(" ") + p.Css + ":"), std::string::npos) << ParaCss(q, &base);
  }
  TParaInfo base, framed;
  framed.Border.Style = rvbSingle;
  framed.Border.BorderOffsets.SetAll(2);
  framed.Background.Color = clYellow;
  const std::string css = ParaCss(framed, &base);
  for (const TRVPropTable *t : {&RVBorderProps(), &RVBackgroundProps()})
    for (const TRVProp &p : t->Rows)
      if (p.Css) {
        SCOPED_TRACE(p.Name);
        EXPECT_NE(css.find(std::string(" ") + p.Css + ":"), std::string::npos) << css;
      }
}
