// The RTF import: styles chosen for runs and paragraphs in each mode,
// hyperlinks, pictures, lists, page breaks, where runs go, insertion into a
// document that has items, and what a failed or cut-off import leaves.
#include "richtext/controls/RVRTFImport.h"
#include "richtext/controls/RVRTFImportBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVClasses.h"
#include "richtext/document/RVItem.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVStyle.h"

using namespace kc;

namespace {

struct LinkHost : TRVDataHost {
  std::vector<std::string> targets, hints;
  int styleToGive = -1;
  void DoReadHyperlink(TCustomRVData *, const std::string &Target, const std::string &Extras, TRVLoadFormat,
                       int &StyleNo, TRVTag &, std::string &) override {
    targets.push_back(Target);
    hints.push_back(Extras);
    if (styleToGive >= 0) StyleNo = styleToGive;
  }
};

// A document whose sheet has: 0 Arial 10, 1 Arial 10 bold, 2 Arial 10 red,
// 3 Arial 20, 4 Symbol charset 2, 5 Arial 10 underlined blue hyperlink;
// paragraphs 0 left, 1 centred, 2 left indent 20.
struct Doc {
  TRVStyle st;
  LinkHost host;
  TCustomRVData d;
  TRVRTFReaderProperties p;
  Doc() {
    host.Style = &st;
    d.SetHost(&host);
    TFontInfos &ts = st.TextStyles();
    ts.Clear();
    auto add = [&](const char *font, int size, TFontStyles style, TColor color, uint8_t charset, bool jump) {
      TFontInfo *f = ts.Add();
      f->FontName = font;
      f->Size = size;
      f->Style = style;
      f->Color = color;
      f->Charset = charset;
      f->Jump = jump;
    };
    add("Arial", 10, 0, clWindowText, 1, false);
    add("Arial", 10, fsBold, clWindowText, 1, false);
    add("Arial", 10, 0, 0x0000FF, 1, false);
    add("Arial", 20, 0, clWindowText, 1, false);
    add("Symbol", 10, 0, clWindowText, 2, false);
    add("Arial", 10, fsUnderline, 0xFF0000, 1, true);
    TParaInfos &ps = st.ParaStyles();
    ps.Clear();
    ps.Add();
    ps.Add()->Alignment = rvaCenter;
    ps.Add()->LeftIndent = 20;
  }
  int import(const std::string &rtf) { return ImportRTFIntoDocument(rtf, d, p); }
  std::string text(int i) const {
    const std::string &raw = d.GetItemTextRaw(i);
    if (!d.GetItem(i)->IsUnicode()) return ansiToUtf8(raw, 1252);
    std::u16string w;
    for (size_t k = 0; k + 1 < raw.size(); k += 2) w += char16_t(uint8_t(raw[k]) | (uint8_t(raw[k + 1]) << 8));
    return utf16ToUtf8(w);
  }
  // "style/para:text" per item, with "|" before a paragraph start, "/" before
  // a new line, and "m" for a marker.
  std::string items() const {
    std::string out;
    for (int i = 0; i < d.GetItemCount(); ++i) {
      if (d.IsParaStart(i)) out += "|";
      else if (d.IsFromNewLine(i)) out += "/";
      const TCustomRVItemInfo *it = d.GetItem(i);
      if (it->StyleNo == rvsListMarker)
        out += "m" + std::to_string(static_cast<const TRVMarkerItemInfo *>(it)->ListNo) + "." +
               std::to_string(static_cast<const TRVMarkerItemInfo *>(it)->Level);
      else if (it->StyleNo >= 0) out += std::to_string(it->StyleNo) + "/" + std::to_string(it->ParaNo) + ":" + text(i);
      else out += "x" + std::to_string(it->StyleNo);
    }
    return out;
  }
};

const char *kHead = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1 Symbol;}{\\f2 Courier New;}}"
                    "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\\f0\\fs20 ";

std::string rtf(const std::string &body) { return kHead + body + "}"; }

TEST(RVRTFImportSettings, DefaultsNegativeNumbersAndAssign) {
  TRVRTFReaderProperties p;
  EXPECT_EQ(p.UnicodeMode, rvruNoUnicode);
  EXPECT_EQ(p.TextStyleMode, rvrsUseClosest);
  EXPECT_EQ(p.ParaStyleMode, rvrsUseClosest);
  EXPECT_FALSE(p.IgnorePictures);
  EXPECT_FALSE(p.UseHypertextStyles);
  EXPECT_TRUE(p.SkipHiddenText);
  EXPECT_FALSE(p.LineBreaksAsParagraphs);
  EXPECT_TRUE(p.ExtractMetafileBitmaps);
  EXPECT_EQ(p.ConvertHighlight, rtfhlColorTable);
  EXPECT_EQ(p.TextStyleNo(), 0);
  try {
    p.SetTextStyleNo(-1);
    FAIL();
  } catch (const ERichVistaError &e) {
    EXPECT_STREQ(e.what(), "Value must not be negative");
  }
  EXPECT_THROW(p.SetParaStyleNo(-3), ERichVistaError);

  TRVRTFReaderProperties q;
  q.UnicodeMode = rvruMixed;
  q.TextStyleMode = rvrsAddIfNeeded;
  q.IgnorePictures = true;
  q.SetTextStyleNo(4);
  q.SkipHiddenText = false;        // not copied
  q.LineBreaksAsParagraphs = true; // not copied
  p.Assign(q);
  EXPECT_EQ(p.UnicodeMode, rvruMixed);
  EXPECT_EQ(p.TextStyleMode, rvrsAddIfNeeded);
  EXPECT_TRUE(p.IgnorePictures);
  EXPECT_EQ(p.TextStyleNo(), 4);
  EXPECT_TRUE(p.SkipHiddenText);
  EXPECT_FALSE(p.LineBreaksAsParagraphs);
}

struct StyleCase {
  const char *name;
  TRVReaderStyleMode mode;
  std::string body;
  std::string items;
  int textStylesAfter;
};

class RVRTFImportTextStyles : public testing::TestWithParam<StyleCase> {};

TEST_P(RVRTFImportTextStyles, RunsGetTheirStyles) {
  const StyleCase &c = GetParam();
  Doc doc;
  doc.p.TextStyleMode = c.mode;
  ASSERT_EQ(doc.import(rtf(c.body)), 0);
  EXPECT_EQ(doc.items(), c.items);
  EXPECT_EQ(doc.st.TextStyles().Count(), c.textStylesAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, RVRTFImportTextStyles,
    testing::Values(StyleCase{"ClosestPlain", rvrsUseClosest, "plain", "|0/0:plain", 6},
                    StyleCase{"ClosestBold", rvrsUseClosest, "{\\b bold}", "|1/0:bold", 6},
                    StyleCase{"ClosestRed", rvrsUseClosest, "{\\cf1 red}", "|2/0:red", 6},
                    StyleCase{"ClosestBig", rvrsUseClosest, "{\\fs40 big}", "|3/0:big", 6},
                    StyleCase{"ClosestSymbolCharset", rvrsUseClosest, "{\\f1 a}", "|4/0:a", 6},
                    // Italic matches nothing: the plain style scores highest.
                    StyleCase{"ClosestItalicFallsToPlain", rvrsUseClosest, "{\\i it}", "|0/0:it", 6},
                    StyleCase{"ExactReusesBold", rvrsAddIfNeeded, "{\\b a}{\\b b}", "|1/0:a1/0:b", 6},
                    StyleCase{"AddsItalicOnce", rvrsAddIfNeeded, "{\\i a} {\\i b}", "|6/0:a0/0: 6/0:b", 7},
                    StyleCase{"AllCapsAddsEachRun", rvrsAddIfNeeded, "{\\caps a} {\\caps b}", "|6/0:a0/0: 7/0:b", 8},
                    StyleCase{"SpecifiedIgnoresFormatting", rvrsUseSpecified, "{\\b\\cf1 x}", "|0/0:x", 6}),
    [](const testing::TestParamInfo<StyleCase> &i) { return std::string(i.param.name); });

TEST(RVRTFImport, AddedStyleCarriesTheRunsFormatting) {
  Doc doc;
  doc.p.TextStyleMode = rvrsAddIfNeeded;
  ASSERT_EQ(doc.import(rtf("{\\f2\\fs30\\i\\cf2\\super x}")), 0);
  ASSERT_EQ(doc.st.TextStyles().Count(), 7);
  const TFontInfo *f = doc.st.TextStyles().Items(6);
  EXPECT_EQ(f->FontName, "Courier New");
  EXPECT_EQ(f->Size, 7); // 15 points halved for superscript
  EXPECT_EQ(f->Style, fsItalic);
  EXPECT_EQ(f->Color, TColor(0xFF0000));
  EXPECT_EQ(f->VShift, 45);
  EXPECT_FALSE(f->Standard);
}

TEST(RVRTFImport, ClosestPassesOverStylesTheFilterRefuses) {
  Doc doc;
  doc.p.OnCanUseStyle = [](TRVRTFReaderProperties &, int no, bool text, bool &allow) {
    if (text && no == 1) allow = false;
  };
  ASSERT_EQ(doc.import(rtf("{\\b bold}")), 0);
  EXPECT_NE(doc.d.GetItemStyle(0), 1);
}

TEST(RVRTFImport, HyperlinkFieldsGiveLinkStylesAndAskTheHost) {
  Doc doc;
  doc.p.LinkBasePath = "/base/";
  ASSERT_EQ(doc.import(rtf("{\\field{\\*\\fldinst HYPERLINK \"http://a.org/x\" \\\\o \"tip here\"}{\\fldrslt go}}"
                           " and {\\field{\\*\\fldinst HYPERLINK \"doc.rtf\"}{\\fldrslt local}}")),
            0);
  EXPECT_EQ(doc.items(), "|5/0:go0/0: and 5/0:local");
  ASSERT_EQ(doc.host.targets.size(), 2u);
  EXPECT_EQ(doc.host.targets[0], "http://a.org/x");
  EXPECT_EQ(doc.host.hints[0], "tip here");
  EXPECT_EQ(doc.host.targets[1], "/base/doc.rtf");
}

TEST(RVRTFImport, HostsLinkStyleReplacesTheChosenOne) {
  Doc doc;
  doc.host.styleToGive = 3;
  ASSERT_EQ(doc.import(rtf("{\\field{\\*\\fldinst HYPERLINK \"u\"}{\\fldrslt go}}")), 0);
  EXPECT_EQ(doc.items(), "|3/0:go");
}

TEST(RVRTFImport, PlainTextAvoidsLinkStylesEvenWhenOnlyThoseExist) {
  Doc doc;
  for (int i = 0; i < doc.st.TextStyles().Count(); ++i) doc.st.TextStyles().Items(i)->Jump = true;
  ASSERT_EQ(doc.import(rtf("{\\b x}")), 0);
  EXPECT_EQ(doc.items(), "|0/0:x");
}

TEST(RVRTFImport, HiddenTextIsDroppedUnlessAsked) {
  Doc a;
  ASSERT_EQ(a.import(rtf("a{\\v hidden}b")), 0);
  EXPECT_EQ(a.items(), "|0/0:a0/0:b");
  Doc b;
  b.p.SkipHiddenText = false;
  ASSERT_EQ(b.import(rtf("a{\\v hidden}b")), 0);
  EXPECT_EQ(b.items(), "|0/0:a0/0:hidden0/0:b");
}

TEST(RVRTFImport, ParagraphStylesByMode) {
  const std::string body = "left\\par\\pard\\qc mid\\par\\pard\\li300 in\\par\\pard\\li300\\qr right";
  Doc closest;
  ASSERT_EQ(closest.import(rtf(body)), 0);
  EXPECT_EQ(closest.items(), "|0/0:left|0/1:mid|0/2:in|0/2:right");
  Doc add;
  add.p.ParaStyleMode = rvrsAddIfNeeded;
  ASSERT_EQ(add.import(rtf(body)), 0);
  EXPECT_EQ(add.items(), "|0/0:left|0/1:mid|0/2:in|0/3:right");
  ASSERT_EQ(add.st.ParaStyles().Count(), 4);
  EXPECT_EQ(add.st.ParaStyles().Items(3)->Alignment, rvaRight);
  EXPECT_EQ(add.st.ParaStyles().Items(3)->LeftIndent, 20);
  Doc fixed;
  fixed.p.ParaStyleMode = rvrsUseSpecified;
  fixed.p.SetParaStyleNo(1);
  ASSERT_EQ(fixed.import(rtf(body)), 0);
  EXPECT_EQ(fixed.items(), "|0/1:left|0/1:mid|0/1:in|0/1:right");
}

struct BorderCase {
  const char *name;
  uint8_t kind;
  int32_t twips;
  bool far;
  TRVBorderStyle style;
  int32_t width, internal;
};

class RVRTFImportBorders : public testing::TestWithParam<BorderCase> {};

TEST_P(RVRTFImportBorders, KindsBecomeBorderStyles) {
  const BorderCase &c = GetParam();
  const TRVConvertedBorder b = ConvertRTFBorder(c.kind, c.twips, c.far);
  EXPECT_EQ(b.Style, c.style);
  EXPECT_EQ(b.Width, c.width);
  EXPECT_EQ(b.InternalWidth, c.internal);
}

// 60 twips are 4 pixels.
INSTANTIATE_TEST_SUITE_P(Kinds, RVRTFImportBorders,
                         testing::Values(BorderCase{"None", 0, 60, false, rvbNone, 0, 0},
                                         BorderCase{"Single", 1, 60, false, rvbSingle, 4, 0},
                                         BorderCase{"Dotted", 5, 60, false, rvbSingle, 4, 0},
                                         BorderCase{"Thick", 2, 60, false, rvbSingle, 8, 0},
                                         BorderCase{"Hairline", 7, 60, false, rvbSingle, 1, 0},
                                         BorderCase{"Double", 4, 60, false, rvbDouble, 4, 7},
                                         BorderCase{"Triple", 11, 60, false, rvbTriple, 4, 7},
                                         BorderCase{"ThinThickNear", 12, 60, false, rvbThickOutside, 2, 3},
                                         BorderCase{"ThinThickFar", 12, 60, true, rvbThickInside, 2, 3},
                                         BorderCase{"ThickThinNear", 13, 60, false, rvbThickInside, 2, 3},
                                         BorderCase{"ThickThinMediumFar", 16, 60, true, rvbThickOutside, 2, 5},
                                         BorderCase{"ThinThickThinSmall", 14, 60, false, rvbTriple, 1, 1},
                                         BorderCase{"ThinThickLarge", 18, 60, false, rvbThickOutside, 1, 5},
                                         BorderCase{"ThinThickThinLarge", 20, 60, false, rvbTriple, 1, 4}),
                         [](const testing::TestParamInfo<BorderCase> &i) { return std::string(i.param.name); });

TEST(RVRTFImport, BorderedParagraphsPreferABorderedStyle) {
  Doc doc;
  TParaInfo *boxed = doc.st.ParaStyles().Add(); // 3: lines above and below
  boxed->Border.Style = rvbSingle;
  boxed->Border.Width = 1;
  boxed->Border.VisibleBorders.Left = boxed->Border.VisibleBorders.Right = false;
  ASSERT_EQ(doc.import(rtf("\\pard\\brdrt\\brdrs\\brdrw15\\brdrb\\brdrs\\brdrw15 a\\par\\pard b")), 0);
  EXPECT_EQ(doc.items(), "|0/3:a|0/0:b");

  Doc add;
  add.p.ParaStyleMode = rvrsAddIfNeeded;
  ASSERT_EQ(add.import(rtf("\\pard\\brdrt\\brdrdb\\brdrw30\\brsp60 a")), 0);
  ASSERT_EQ(add.st.ParaStyles().Count(), 4);
  const TRVBorder &b = add.st.ParaStyles().Items(3)->Border;
  EXPECT_EQ(b.Style, rvbDouble);
  EXPECT_EQ(b.Width, 2);
  EXPECT_TRUE(b.VisibleBorders.Top);
  EXPECT_FALSE(b.VisibleBorders.Left);
  EXPECT_EQ(b.BorderOffsets.Top, 4);
}

TEST(RVRTFImport, PositionsLineBreaksAndPageBreaks) {
  Doc doc;
  ASSERT_EQ(doc.import(rtf("one{\\b two}\\line three\\par four\\page five")), 0);
  EXPECT_EQ(doc.items(), "|0/0:one1/0:two/0/0:three|0/0:four|0/0:five");
  EXPECT_TRUE(doc.d.GetItem(4)->GetPageBreakBefore());
  EXPECT_FALSE(doc.d.GetItem(3)->GetPageBreakBefore());

  Doc paras;
  paras.p.LineBreaksAsParagraphs = true;
  ASSERT_EQ(paras.import(rtf("one\\line two")), 0);
  EXPECT_EQ(paras.items(), "|0/0:one|0/0:two");
}

TEST(RVRTFImport, InsertsAtAnIndex) {
  Doc doc;
  doc.d.AddText("A", 0, 1);
  doc.d.AddText("Z", 0, 0);
  int index = 1;
  ASSERT_EQ(doc.p.ImportRTF(rtf("mid{\\b dle}\\par next"), doc.d, index), 0);
  EXPECT_EQ(index, 3);
  EXPECT_EQ(doc.items(), "|0/1:A|0/0:mid1/0:dle|0/0:next|0/0:Z");
}

TEST(RVRTFImport, TextAfterTheInsertionPointJoinsTheLastImportedParagraph) {
  Doc doc;
  doc.d.AddText("A", 0, 0);
  doc.d.AddText("Z", 0, -1); // continues A's paragraph
  int index = 1;
  ASSERT_EQ(doc.p.ImportRTF(rtf("x\\par\\qc y"), doc.d, index), 0);
  EXPECT_EQ(doc.items(), "|0/0:A|0/0:x|0/1:y0/1:Z");
}

TEST(RVRTFImport, ImportAtTheStartBeginsAParagraph) {
  Doc doc;
  doc.d.AddText("Z", 0, 0);
  int index = 0;
  ASSERT_EQ(doc.p.ImportRTF(rtf("\\line x"), doc.d, index), 0);
  EXPECT_TRUE(doc.d.IsParaStart(0));
  EXPECT_EQ(index, 0);
}

TEST(RVRTFImport, FailureLeavesTargetAndSheetAsTheyWere) {
  Doc doc;
  doc.d.AddText("keep", 0, 0);
  doc.p.TextStyleMode = rvrsAddIfNeeded;
  doc.p.ParaStyleMode = rvrsAddIfNeeded;
  int index = 1;
  // Bad hex in a picture, after text that added styles.
  const int code = doc.p.ImportRTF(rtf("{\\i x}\\qr y\\par{\\pict\\pngblip 8zz}"), doc.d, index);
  EXPECT_NE(code, 0);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(doc.items(), "|0/0:keep");
  EXPECT_EQ(doc.st.TextStyles().Count(), 6);
  EXPECT_EQ(doc.st.ParaStyles().Count(), 3);
}

TEST(RVRTFImport, TruncatedInputIsImportedAsFarAsItGoesWithAWarning) {
  Doc doc;
  const int code = doc.import(std::string(kHead) + "first\\par second {\\b bol");
  EXPECT_EQ(code, rtf_ec_UnmatchedBrace);
  EXPECT_EQ(doc.items(), "|0/0:first|0/0:second 1/0:bol");
  EXPECT_FALSE(doc.p.Warning().empty());
}

// A 2 x 3 picture of raw 24-bit rows.
const std::string kPict = "{\\pict\\wbitmap0\\picw2\\pich3\\wbmbitspixel24\\wbmwidthbytes6 "
                          "ff0000ff000000ff0000ff000000ff0000ff}";

TEST(RVRTFImport, PicturesAreKeptOrIgnored) {
  const std::string body = "a" + kPict + "b";
  Doc kept;
  ASSERT_EQ(kept.import(rtf(body)), 0);
  ASSERT_EQ(kept.d.GetItemCount(), 3);
  auto *g = dynamic_cast<TRVGraphicItemInfo *>(kept.d.GetItem(1));
  ASSERT_NE(g, nullptr);
  ASSERT_NE(g->Image, nullptr);
  EXPECT_EQ(g->Image->width(), 2);
  EXPECT_EQ(g->Image->height(), 3);
  EXPECT_FALSE(kept.d.IsParaStart(1));

  Doc ignored;
  ignored.p.IgnorePictures = true;
  ASSERT_EQ(ignored.import(rtf(body)), 0);
  EXPECT_EQ(ignored.items(), "|0/0:a0/0:b");
}

TEST(RVRTFImport, PictureInsideAHyperlinkIsHot) {
  Doc doc;
  ASSERT_EQ(doc.import(rtf("{\\field{\\*\\fldinst HYPERLINK \"u\"}{\\fldrslt " + kPict + "}}")), 0);
  ASSERT_EQ(doc.d.GetItemCount(), 1);
  EXPECT_NE(dynamic_cast<TRVHotGraphicItemInfo *>(doc.d.GetItem(0)), nullptr);
}

const char *kLists = "{\\*\\listtable"
                     "{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}"
                     "{\\levelnumbers\\'01;}\\fi-360\\li720}"
                     "{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'04\\'00.\\'01);}{\\levelnumbers\\'01\\'03;}"
                     "\\fi-360\\li1440}\\listid10}"
                     "{\\list\\listtemplateid2{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}"
                     "\\fi-360\\li720}\\listid20}}"
                     "{\\*\\listoverridetable{\\listoverride\\listid10\\listoverridecount0\\ls1}"
                     "{\\listoverride\\listid20\\listoverridecount0\\ls2}}";

TEST(RVRTFImport, ListsBecomeListStylesWithMarkers) {
  Doc doc;
  doc.p.ParaStyleMode = rvrsAddIfNeeded;
  ASSERT_EQ(doc.import(rtf(std::string(kLists) +
                           "\\pard\\ls1\\ilvl0 one\\par\\pard\\ls1\\ilvl1 sub\\par\\pard\\ls2 dot\\par\\pard plain")),
            0);
  ASSERT_EQ(doc.st.ListStyles().Count(), 2);
  const TRVListInfo *num = doc.st.ListStyles().Items(0);
  ASSERT_EQ(num->Levels.Count(), 2);
  EXPECT_EQ(num->Levels.Items(0)->ListType, rvlstDecimal);
  EXPECT_EQ(num->Levels.Items(0)->FormatString, "%s.");
  EXPECT_EQ(num->Levels.Items(1)->ListType, rvlstLowerAlpha);
  EXPECT_EQ(num->Levels.Items(1)->FormatString, "%s.%1:s)");
  EXPECT_EQ(num->Levels.Items(0)->LeftIndent, 48);
  const TRVListInfo *bul = doc.st.ListStyles().Items(1);
  ASSERT_EQ(bul->Levels.Count(), 1);
  EXPECT_EQ(bul->Levels.Items(0)->ListType, rvlstUnicodeBullet);
  EXPECT_EQ(bul->Levels.Items(0)->FormatStringW, std::u16string(1, u'\u2022'));
  const std::string items = doc.items();
  EXPECT_NE(items.find("|m0.0"), std::string::npos) << items;
  EXPECT_NE(items.find("|m0.1"), std::string::npos) << items;
  EXPECT_NE(items.find("|m1.0"), std::string::npos) << items;
  EXPECT_NE(items.find(":one"), std::string::npos) << items;
  ASSERT_NE(doc.d.GetMarkers(false), nullptr);
  EXPECT_EQ(doc.d.GetMarkers(false)->Count(), 3);

  // A second import finds the same list styles instead of adding more.
  Doc again;
  again.p.ParaStyleMode = rvrsAddIfNeeded;
  again.st.ListStyles().Assign(doc.st.ListStyles());
  ASSERT_EQ(again.import(rtf(std::string(kLists) + "\\pard\\ls1 x")), 0);
  EXPECT_EQ(again.st.ListStyles().Count(), 2);
}

TEST(RVRTFImport, ListsStayPlainParagraphsInOtherModes) {
  Doc doc;
  ASSERT_EQ(doc.import(rtf(std::string(kLists) + "\\pard\\ls1 one")), 0);
  EXPECT_EQ(doc.st.ListStyles().Count(), 0);
  EXPECT_EQ(doc.items(), "|0/0:one");
}

struct LevelTextCase {
  const char *name;
  std::string text; // as the reader keeps it: without its length character
  std::string format;
};

class RVRTFImportLevelText : public testing::TestWithParam<LevelTextCase> {};

TEST_P(RVRTFImportLevelText, PlaceholdersBecomeArguments) {
  EXPECT_EQ(RTFLevelTextToFormat(GetParam().text), GetParam().format);
}

INSTANTIATE_TEST_SUITE_P(Texts, RVRTFImportLevelText,
                         testing::Values(LevelTextCase{"FirstLevel", std::string("\0.", 2), "%s."},
                                         LevelTextCase{"Nested", std::string("\0.\1.\2", 5), "%s.%1:s.%2:s"},
                                         LevelTextCase{"Parenthesised", std::string("(\0)", 3), "(%s)"},
                                         LevelTextCase{"PercentIsLiteral", std::string("\0%", 2), "%s%%"}),
                         [](const testing::TestParamInfo<LevelTextCase> &i) { return std::string(i.param.name); });

// The reader already cut the length character; the builder must not cut the
// first real character again.
TEST(RVRTFImport, LevelTextIsCutOnlyOnce) {
  Doc doc;
  doc.p.ParaStyleMode = rvrsAddIfNeeded;
  ASSERT_EQ(doc.import(rtf("{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'03(\\'00);}}\\listid1}}"
                           "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\pard\\ls1 x")),
            0);
  ASSERT_EQ(doc.st.ListStyles().Count(), 1);
  EXPECT_EQ(doc.st.ListStyles().Items(0)->Levels.Items(0)->FormatString, "(%s)");
}

// A level whose font is Big5 (the font named after the text, as word
// processors write it): its bytes are Big5 characters, and its length counts
// characters, not bytes.
TEST(RVRTFImport, LevelTextReadsInTheCodePageOfTheLevelsFont) {
  Doc doc;
  doc.p.ParaStyleMode = rvrsAddIfNeeded;
  ASSERT_EQ(doc.import(rtf("{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fnil\\fcharset136 PMingLiU;}}"
                           "{\\*\\listtable{\\list{\\listlevel\\levelnfc0"
                           "{\\leveltext\\'0b\\'ab\\'65a\\'b8\\'6db\\'00\\'a1\\'42c\\'ab\\'e1d\\'b8\\'6de;}"
                           "{\\levelnumbers\\'05;}\\f1}\\listid1}}"
                           "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\pard\\ls1 x")),
            0);
  ASSERT_EQ(doc.st.ListStyles().Count(), 1);
  const TRVListLevel &level = *doc.st.ListStyles().Items(0)->Levels.Items(0);
  EXPECT_EQ(level.FormatString, "\xab\x65"
                                "a\xb8\x6d"
                                "b%s\xa1\x42"
                                "c\xab\xe1"
                                "d\xb8\x6d"
                                "e");
  ASSERT_NE(level.FontIfAny(), nullptr);
  EXPECT_EQ(level.FontIfAny()->Charset, 136);
}

struct CodePageCase {
  const char *name;
  const char *word;
  const char *utf8;
};

class RVRTFImportCodePage : public testing::TestWithParam<CodePageCase> {};

TEST_P(RVRTFImportCodePage, DocumentCharacterSetWordsChooseTheCodePage) {
  const CodePageCase &c = GetParam();
  Doc doc;
  doc.p.UnicodeMode = rvruOnlyUnicode;
  for (int i = 0; i < doc.st.TextStyles().Count(); ++i) doc.st.TextStyles().Items(i)->Unicode = true;
  ASSERT_EQ(doc.import(std::string("{\\rtf1") + c.word + "{\\fonttbl{\\f0 Courier;}}\\f0 \\'f1\\'f2\\'f3}"), 0);
  ASSERT_EQ(doc.d.GetItemCount(), 1);
  EXPECT_EQ(doc.text(0), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(Words, RVRTFImportCodePage,
                         testing::Values(CodePageCase{"Ansi", "\\ansi", "ñòó"}, CodePageCase{"Pc", "\\pc", "±≥≤"},
                                         CodePageCase{"Pca", "\\pca", "±‗¾"}, CodePageCase{"Mac", "\\mac", "ÒÚÛ"}),
                         [](const testing::TestParamInfo<CodePageCase> &i) { return std::string(i.param.name); });

TEST(RVRTFImport, OutOfRangeTableIndexesFallBackToDefaults) {
  Doc doc;
  doc.p.ParaStyleMode = rvrsAddIfNeeded;
  ASSERT_EQ(doc.import(rtf("{\\cf99\\cb77\\highlight55\\f42 a}\\pard\\ls9\\ilvl70 b\\par\\pard\\cbpat90 c")), 0);
  EXPECT_EQ(doc.st.ListStyles().Count(), 0);
  EXPECT_EQ(doc.d.GetItemStyle(0), 0);
  const std::string items = doc.items();
  EXPECT_NE(items.find(":a"), std::string::npos);
  EXPECT_NE(items.find(":c"), std::string::npos);
}

TEST(RVRTFImport, FixedStyleNumbersBeyondTheSheetFallBackToStyleZero) {
  Doc doc;
  doc.p.TextStyleMode = rvrsUseSpecified;
  doc.p.ParaStyleMode = rvrsUseSpecified;
  doc.p.SetTextStyleNo(60);
  doc.p.SetParaStyleNo(9);
  ASSERT_EQ(doc.import(rtf("x")), 0);
  EXPECT_EQ(doc.items(), "|0/0:x");
}

TEST(RVRTFImport, UnicodeTextKeepsCharactersForUnicodeStyles) {
  const std::string body = "\\uc1 caf\\u233?\\u1046?";
  Doc mixed;
  mixed.p.UnicodeMode = rvruMixed;
  for (int i = 0; i < mixed.st.TextStyles().Count(); ++i) mixed.st.TextStyles().Items(i)->Unicode = true;
  ASSERT_EQ(mixed.import(rtf(body)), 0);
  std::string all;
  for (int i = 0; i < mixed.d.GetItemCount(); ++i) all += mixed.text(i);
  EXPECT_EQ(all, "caféЖ");

  Doc noUnicode; // the reader's fallback characters
  for (int i = 0; i < noUnicode.st.TextStyles().Count(); ++i) noUnicode.st.TextStyles().Items(i)->Unicode = true;
  ASSERT_EQ(noUnicode.import(rtf(body)), 0);
  all.clear();
  for (int i = 0; i < noUnicode.d.GetItemCount(); ++i) all += noUnicode.text(i);
  EXPECT_EQ(all, "caf??");
}

TEST(RVRTFImport, ChatInputSettingsIgnorePicturesAndTakeUnicode) {
  TRVRTFReaderProperties p = ChatInputRTFReadProperties();
  EXPECT_TRUE(p.IgnorePictures);
  EXPECT_EQ(p.UnicodeMode, rvruOnlyUnicode);
  EXPECT_EQ(p.TextStyleMode, rvrsAddIfNeeded);
  EXPECT_FALSE(EditorRTFReadProperties().IgnorePictures) << "the editor control keeps them";
}

TEST(RVRTFImport, TableIsOneItemOfItsOwnParagraph) {
  Doc doc;
  ASSERT_EQ(doc.import(rtf("before\\par\\trowd\\cellx1000\\cellx2000 \\intbl a\\cell b\\cell\\row\\pard after")), 0);
  EXPECT_EQ(doc.items(), "|0/0:before|x-60|0/0:after");
}

// ---------------------------------------------------------------------------
// Old-style numbering, marker sizes, line breaks inside list items

// The single list style the import made, with its first level.
const TRVListLevel *onlyLevel(const Doc &doc, int level = 0) {
  if (doc.st.ListStyles().Count() != 1) return nullptr;
  return doc.st.ListStyles().Items(0)->Levels.Items(level);
}

// The texts the markers show, each followed by a space.
std::string markerLabels(const Doc &doc) {
  std::string labels;
  for (int i = 0; i < doc.d.GetItemCount(); ++i)
    if (auto *m = dynamic_cast<const TRVMarkerItemInfo *>(doc.d.GetItem(i))) labels += m->DisplayString + " ";
  return labels;
}

struct OldNumberingCase {
  const char *name;
  std::string body;
  std::string items;
  TRVListType type;
  std::string format;
  int32_t start;
  int32_t left, marker; // indents in pixels
  const char *font;
};

class RVRTFImportOldNumbering : public testing::TestWithParam<OldNumberingCase> {};

TEST_P(RVRTFImportOldNumbering, ParagraphNumberingBecomesMarkers) {
  const OldNumberingCase &c = GetParam();
  Doc doc;
  doc.p.ParaStyleMode = rvrsAddIfNeeded;
  ASSERT_EQ(doc.import(rtf(c.body)), 0);
  EXPECT_EQ(doc.items(), c.items);
  const TRVListLevel *l = onlyLevel(doc);
  ASSERT_NE(l, nullptr) << doc.st.ListStyles().Count() << " list styles";
  EXPECT_EQ(l->ListType, c.type);
  EXPECT_EQ(l->FormatString, c.format);
  EXPECT_EQ(l->StartFrom, c.start);
  EXPECT_EQ(l->LeftIndent, c.left);
  EXPECT_EQ(l->MarkerIndent, c.marker);
  ASSERT_NE(l->FontIfAny(), nullptr);
  EXPECT_EQ(l->FontIfAny()->Name, c.font);
}

// The marker text of \pntext is the reader's to skip; the \pn group is what
// the marker is made of.
const std::string kBullet = "{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}"
                            "\\fi-360\\li720 ";

INSTANTIATE_TEST_SUITE_P(
    Kinds, RVRTFImportOldNumbering,
    testing::Values(
        OldNumberingCase{"Bullets", kBullet + "one\\par " + kBullet + "two\\par\\pard after",
                         "|m0.00/3:one|m0.00/3:two|0/0:after", rvlstBullet, "\xB7", 1, 48, 24, "Symbol"},
        OldNumberingCase{"NumberedBody", "{\\*\\pn\\pnlvlbody\\pndec\\pnstart3\\pnindent360{\\pntxta .}}x\\par\\pard y",
                         "|m0.00/0:x|0/0:y", rvlstDecimal, "%s.", 3, 24, 0, "Arial"},
        OldNumberingCase{"RomanInParentheses", "{\\*\\pn\\pnlvlbody\\pnucrm{\\pntxtb (}{\\pntxta %)}}\\li300\\fi-300 x",
                         "|m0.00/3:x", rvlstUpperRoman, "(%s%%)", 1, 20, 0, "Arial"},
        OldNumberingCase{"BulletWithoutText", "{\\*\\pn\\pnlvlblt}x", "|m0.00/0:x", rvlstBullet, "\x95", 1, 0, 0,
                         "Arial"},
        // A paragraph in a list of the list table takes that list only.
        OldNumberingCase{"ListTableWins",
                         std::string("{\\*\\listtable{\\list{\\listlevel\\levelnfc4{\\leveltext\\'02\\'00);}"
                                     "\\li720}\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}") +
                             "\\pard\\ls1{\\*\\pn\\pnlvlblt{\\pntxtb x}}a",
                         "|m0.00/0:a", rvlstLowerAlpha, "%s)", 1, 48, 48, "Arial"}),
    [](const testing::TestParamInfo<OldNumberingCase> &i) { return std::string(i.param.name); });

TEST(RVRTFImport, OldNumberingCountsOnInOneListStyle) {
  Doc doc;
  doc.p.ParaStyleMode = rvrsAddIfNeeded;
  const std::string num = "\\pard{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}";
  ASSERT_EQ(doc.import(rtf(num + "a\\par" + num + "b\\par" + num + "c")), 0);
  ASSERT_EQ(doc.st.ListStyles().Count(), 1);
  EXPECT_EQ(markerLabels(doc), "1. 2. 3. ");
}

TEST(RVRTFImport, OldOutlineLevelsShareTheSectionsListStyle) {
  Doc doc;
  doc.p.ParaStyleMode = rvrsAddIfNeeded;
  const std::string sections = "{\\*\\pnseclvl1\\pnucrm\\pnstart1\\pnindent720\\pnhang{\\pntxta .}}"
                               "{\\*\\pnseclvl2\\pnucltr\\pnstart1\\pnindent720\\pnhang{\\pntxta )}}";
  ASSERT_EQ(doc.import(rtf(sections + "\\pard{\\*\\pn\\pnlvl1\\pnucrm\\pnstart1\\pnindent720\\pnhang"
                                      "{\\pntxta .}}top\\par\\pard{\\*\\pn\\pnlvl2}sub\\par")),
            0);
  EXPECT_EQ(doc.items(), "|m0.00/0:top|m0.10/0:sub");
  ASSERT_EQ(doc.st.ListStyles().Count(), 1);
  const TRVListInfo *l = doc.st.ListStyles().Items(0);
  ASSERT_EQ(l->Levels.Count(), 9);
  EXPECT_EQ(l->Levels.Items(0)->ListType, rvlstUpperRoman);
  EXPECT_EQ(l->Levels.Items(0)->FormatString, "%s.");
  EXPECT_EQ(l->Levels.Items(1)->ListType, rvlstUpperAlpha);
  EXPECT_EQ(l->Levels.Items(1)->FormatString, "%1:s)");
  EXPECT_EQ(markerLabels(doc), "I. A) ");
}

TEST(RVRTFImport, OldNumberingStaysPlainTextInOtherModes) {
  Doc doc;
  ASSERT_EQ(doc.import(rtf(kBullet + "one")), 0);
  EXPECT_EQ(doc.st.ListStyles().Count(), 0);
  EXPECT_EQ(doc.items(), "|0/2:one");
}

struct MarkerSizeCase {
  const char *name;
  std::string body;
  int32_t size;
};

class RVRTFImportMarkerSize : public testing::TestWithParam<MarkerSizeCase> {};

TEST_P(RVRTFImportMarkerSize, MarkerFontSizeFollowsTheTextUnlessGiven) {
  Doc doc;
  doc.p.ParaStyleMode = rvrsAddIfNeeded;
  doc.p.TextStyleMode = rvrsAddIfNeeded; // text of exactly the size asked
  ASSERT_EQ(doc.import(rtf(GetParam().body)), 0);
  const TRVListLevel *l = onlyLevel(doc);
  ASSERT_NE(l, nullptr);
  ASSERT_NE(l->FontIfAny(), nullptr);
  EXPECT_EQ(l->FontIfAny()->Size, GetParam().size);
}

const std::string kOneList = "{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}%s}"
                             "\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}";

std::string oneList(const std::string &levelWords) {
  std::string s = kOneList;
  s.replace(s.find("%s"), 2, levelWords);
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, RVRTFImportMarkerSize,
    testing::Values(MarkerSizeCase{"ListLevelWithoutSize", oneList("") + "\\pard\\ls1\\fs40 big", 20},
                    MarkerSizeCase{"ListLevelWithSize", oneList("\\fs16") + "\\pard\\ls1\\fs40 big", 8},
                    MarkerSizeCase{"OldWithoutSize", "\\pard{\\*\\pn\\pnlvlbody\\pndec}\\fs28 x\\par", 14},
                    MarkerSizeCase{"OldWithSize", "\\pard{\\*\\pn\\pnlvlbody\\pndec\\pnfs18}\\fs28 x\\par", 9},
                    // The first run after the marker counts, not the last one.
                    MarkerSizeCase{"FirstRunCounts", "\\pard{\\*\\pn\\pnlvlblt}{\\fs36 big}{\\fs16 small}\\par", 18}),
    [](const testing::TestParamInfo<MarkerSizeCase> &i) { return std::string(i.param.name); });

TEST(RVRTFImport, LineBreakParagraphsOfAListItemGetNoMarkerOfTheirOwn) {
  Doc doc;
  doc.p.ParaStyleMode = rvrsAddIfNeeded;
  doc.p.LineBreaksAsParagraphs = true;
  ASSERT_EQ(doc.import(rtf(oneList("") + "\\pard\\ls1 first\\line more\\par\\pard\\ls1 second")), 0);
  EXPECT_EQ(doc.items(), "|m0.00/0:first|0/0:more|m0.00/0:second");
  EXPECT_EQ(markerLabels(doc), "1. 2. ");
}

// ---------------------------------------------------------------------------
// Header and footer

struct HeaderFooterCase {
  const char *name;
  bool header, footer; // targets given
  std::string body;
  std::string main, head, foot;
  int32_t headerY, footerY;
};

class RVRTFImportHeaderFooter : public testing::TestWithParam<HeaderFooterCase> {};

TEST_P(RVRTFImportHeaderFooter, HeaderAndFooterGoToTheirTargets) {
  const HeaderFooterCase &c = GetParam();
  Doc doc;
  TCustomRVData head, foot;
  head.SetHost(&doc.host);
  foot.SetHost(&doc.host);
  head.AddText("old header", 0, 0);
  foot.AddText("old footer", 0, 0);
  doc.p.SetHeaderFooterRVData(c.header ? &head : nullptr, c.footer ? &foot : nullptr);
  ASSERT_EQ(doc.import(rtf(c.body)), 0);
  EXPECT_EQ(doc.items(), c.main);
  auto itemsOf = [](const TCustomRVData &d) {
    std::string out;
    for (int i = 0; i < d.GetItemCount(); ++i) {
      if (d.IsParaStart(i)) out += "|";
      out += std::to_string(d.GetItemStyle(i)) + ":" + d.GetItemTextRaw(i);
    }
    return out;
  };
  EXPECT_EQ(itemsOf(head), c.head);
  EXPECT_EQ(itemsOf(foot), c.foot);
  EXPECT_EQ(doc.p.HeaderY(), c.headerY);
  EXPECT_EQ(doc.p.FooterY(), c.footerY);
}

const std::string kHeaderFooter = "\\headery1080{\\header\\pard\\qc{\\b Title}\\par\\pard page}"
                                  "{\\footer\\pard foot\\par}\\pard body\\par more";

INSTANTIATE_TEST_SUITE_P(
    Targets, RVRTFImportHeaderFooter,
    testing::Values(
        // 1080 twips are 19.05 mm, the default 720 are 12.7.
        HeaderFooterCase{"Both", true, true, kHeaderFooter, "|0/0:body|0/0:more", "|1:Title|0:page", "|0:foot", 19, 12},
        HeaderFooterCase{"HeaderOnly", true, false, kHeaderFooter, "|0/0:body|0/0:more", "|1:Title|0:page",
                         "|0:old footer", 19, -1},
        HeaderFooterCase{"None", false, false, kHeaderFooter, "|0/0:body|0/0:more", "|0:old header", "|0:old footer",
                         -1, -1},
        HeaderFooterCase{"NoHeaderInTheRTF", true, true, "body", "|0/0:body", "|0:old header", "|0:old footer", -1, -1},
        // The last header of the document is the one kept.
        HeaderFooterCase{"LastHeaderWins", true, false, "{\\header one}x{\\header two}", "|0/0:x", "|0:two",
                         "|0:old footer", 12, -1}),
    [](const testing::TestParamInfo<HeaderFooterCase> &i) { return std::string(i.param.name); });

TEST(RVRTFImport, HeaderOfAnotherStyleSheetIsNotFilled) {
  Doc doc;
  TRVStyle other;
  TRVDataHost otherHost;
  otherHost.Style = &other;
  TCustomRVData head;
  head.SetHost(&otherHost);
  head.AddText("kept", 0, 0);
  doc.p.SetHeaderFooterRVData(&head, nullptr);
  ASSERT_EQ(doc.import(rtf("{\\header skipped}body")), 0);
  EXPECT_EQ(doc.items(), "|0/0:body");
  ASSERT_EQ(head.GetItemCount(), 1);
  EXPECT_EQ(head.GetItemTextRaw(0), "kept");
}

TEST(RVRTFImport, FailedImportLeavesHeaderAndFooterAlone) {
  Doc doc;
  TCustomRVData head;
  head.SetHost(&doc.host);
  head.AddText("kept", 0, 0);
  doc.p.SetHeaderFooterRVData(&head, nullptr);
  int index = 0;
  EXPECT_NE(doc.p.ImportRTF(rtf("{\\header new}x{\\pict\\pngblip 8zz}"), doc.d, index), 0);
  ASSERT_EQ(head.GetItemCount(), 1);
  EXPECT_EQ(head.GetItemTextRaw(0), "kept");
  EXPECT_EQ(doc.p.HeaderY(), -1);
}

// ---------------------------------------------------------------------------
// The picture-item handler

TEST(RVRTFImport, PictureItemHandlerMakesOrDropsEachPicture) {
  const std::string body = "a" + kPict + "b" + kPict + "c";
  Doc doc;
  int asked = 0;
  doc.p.OnNewPictureItem = [&](TRVRTFReaderProperties &, TCustomRVData &rvData, TRVRTFPicture *pic,
                               std::unique_ptr<TGraphic> &graphic, std::unique_ptr<TCustomRVItemInfo> &item,
                               std::string &text) {
    ++asked;
    ASSERT_NE(pic, nullptr);
    ASSERT_NE(graphic, nullptr);
    EXPECT_EQ(&rvData, &doc.d);
    if (asked == 1) return; // the first is refused
    EXPECT_EQ(pic->PicW, 2);
    item = std::make_unique<TRVGraphicItemInfo>(&rvData, std::move(graphic), rvvaMiddle);
    text = "second";
  };
  ASSERT_EQ(doc.import(rtf(body)), 0);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(doc.items(), "|0/0:a0/0:bx-30/0:c");
  auto *g = dynamic_cast<TRVGraphicItemInfo *>(doc.d.GetItem(2));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->VAlign, rvvaMiddle);
  EXPECT_EQ(doc.d.GetItemTextRaw(2), "second");
}

TEST(RVRTFImport, PictureItemHandlerSeesUnreadablePicturesAsTheyAre) {
  Doc doc;
  bool invalid = false;
  doc.p.OnNewPictureItem = [&](TRVRTFReaderProperties &, TCustomRVData &, TRVRTFPicture *pic,
                               std::unique_ptr<TGraphic> &, std::unique_ptr<TCustomRVItemInfo> &,
                               std::string &) { invalid = pic && pic->Invalid; };
  ASSERT_EQ(doc.import(rtf("a{\\pict\\jpegblip 0102030405}b")), 0);
  EXPECT_TRUE(invalid);
  EXPECT_EQ(doc.items(), "|0/0:a0/0:b");
}

TEST(RVRTFImport, PictureItemHandlerMakingAnItemOfNoStyleFailsTheImport) {
  Doc doc;
  doc.d.AddText("keep", 0, 0);
  doc.p.OnNewPictureItem = [&](TRVRTFReaderProperties &, TCustomRVData &rvData, TRVRTFPicture *,
                               std::unique_ptr<TGraphic> &, std::unique_ptr<TCustomRVItemInfo> &item,
                               std::string &text) {
    item = RichVistaTextItemClass(&rvData);
    item->StyleNo = 99;
    text = "bad";
  };
  int index = 1;
  EXPECT_THROW(doc.p.ImportRTF(rtf("a" + kPict), doc.d, index), ERichVistaError);
  EXPECT_EQ(doc.items(), "|0/0:keep");
}

// ---------------------------------------------------------------------------
// Progress

struct ProgressHost : TRVDataHost {
  bool wants = true;
  std::vector<std::array<int, 3>> calls; // operation, stage, percent
  bool HasProgressHandler() const override { return wants; }
  void DoProgress(int Operation, int Stage, uint8_t PercentDone) override {
    calls.push_back({Operation, Stage, PercentDone});
  }
};

TEST(RVRTFImport, ProgressIsReportedForLongInputWhenTheDocumentAsks) {
  std::string big;
  while (big.size() < 100000) big += "Some words of a long document.\\par ";
  TRVStyle st;
  ProgressHost host;
  host.Style = &st;
  TCustomRVData d;
  d.SetHost(&host);
  TRVRTFReaderProperties p;
  ASSERT_EQ(ImportRTFIntoDocument(rtf(big), d, p), 0);
  ASSERT_GE(host.calls.size(), 3u);
  EXPECT_EQ(host.calls.front(), (std::array<int, 3>{rvloLoading, rvprtfprStarting, 0}));
  EXPECT_EQ(host.calls.back(), (std::array<int, 3>{rvloLoading, rvprtfprEnding, 0}));
  int last = 0;
  for (size_t i = 1; i + 1 < host.calls.size(); ++i) {
    EXPECT_EQ(host.calls[i][0], rvloLoading);
    EXPECT_EQ(host.calls[i][1], rvprtfprRunning);
    EXPECT_GE(host.calls[i][2], last);
    last = host.calls[i][2];
  }
  EXPECT_GE(last, 90);
  EXPECT_LE(last, 100);

  // Short input, or a document that does not ask: no reports.
  host.calls.clear();
  TCustomRVData small;
  small.SetHost(&host);
  ASSERT_EQ(ImportRTFIntoDocument(rtf("short"), small, p), 0);
  EXPECT_TRUE(host.calls.empty());
  host.wants = false;
  TCustomRVData quiet;
  quiet.SetHost(&host);
  ASSERT_EQ(ImportRTFIntoDocument(rtf(big), quiet, p), 0);
  EXPECT_TRUE(host.calls.empty());
}

} // namespace
