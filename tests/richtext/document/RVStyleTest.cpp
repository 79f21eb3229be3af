// The style sheet: defaults, safe look-ups, comparisons, similarity scores
// and merging of style tables.
#include "richtext/document/RVStyle.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>

#include "platform/IniStore.h"
#include "platform/RecordingCanvas.h"
#include "richtext/document/RVStyleProps.h"

using namespace kc;

namespace {

TFontInfos &TS(TRVStyle &s) { return s.TextStyles(); }

} // namespace

TEST(RVStyle, FreshSheetHasTheDefaultTables) {
  TRVStyle s;
  s.JumpCursor = 7;
  s.ResetTextStyles();
  ASSERT_EQ(TS(s).Count(), 6);
  struct Expect {
    const char *Name;
    TFontStyles Style;
    TColor Color;
    bool Jump;
  } const expect[] = {{"Normal text", 0, clWindowText, false}, {"Heading", fsBold, clBlue, false},
                      {"Subheading", fsBold, clNavy, false},   {"Keywords", fsItalic, clMaroon, false},
                      {"Jump 1", fsUnderline, clGreen, true},  {"Jump 2", fsUnderline, clGreen, true}};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(expect[i].Name);
    const TFontInfo &f = *TS(s)[i];
    EXPECT_EQ(f.StyleName, expect[i].Name);
    EXPECT_EQ(f.Style, expect[i].Style);
    EXPECT_EQ(f.Color, expect[i].Color);
    EXPECT_EQ(f.Jump, expect[i].Jump);
    // Hyperlinks take the sheet's cursor.
    EXPECT_EQ(f.JumpCursor, expect[i].Jump ? 7 : crJump);
  }
  ASSERT_EQ(s.ParaStyles().Count(), 2);
  EXPECT_EQ(s.ParaStyles()[0]->StyleName, "Paragraph Style");
  EXPECT_EQ(s.ParaStyles()[0]->Alignment, rvaLeft);
  EXPECT_EQ(s.ParaStyles()[1]->StyleName, "Centered");
  EXPECT_EQ(s.ParaStyles()[1]->Alignment, rvaCenter);
  EXPECT_EQ(s.ListStyles().Count(), 0);
}

TEST(RVStyle, FreshSheetPaintsSelectionsInTheSystemHighlight) {
  struct {
    const char *Name;
    TRVTextDrawStates State;
  } const cases[] = {{"focused", {rvtsSelected, rvtsControlFocused}}, {"not focused", {rvtsSelected}}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Name);
    TRVStyle s;
    RecordingCanvas cv;
    s.ApplyStyleColor(cv, 1, c.State, false, 0);
    EXPECT_EQ(cv.fontColor(), clHighlightText);
    EXPECT_EQ(cv.brush().Color, clHighlight);
    EXPECT_EQ(cv.brush().Style, TBrushStyle::bsSolid);
  }
}

TEST(RVStyle, MakingASheetRegistersTheJumpAndLineSelectionCursors) {
  setScreenCursor(crJump, std::nullopt);
  setScreenCursor(crRVFlipArrow, std::nullopt);
  EXPECT_EQ(screenCursorImage(crJump).shape, Qt::ArrowCursor);
  TRVStyle s;
  EXPECT_EQ(screenCursorImage(crJump).shape, Qt::PointingHandCursor);
  CursorImage flip = screenCursorImage(crRVFlipArrow);
  ASSERT_EQ(flip.shape, Qt::BitmapCursor);
  // The arrow points up and to the right: its hot spot is the top right corner.
  EXPECT_EQ(flip.hotSpot, QPoint(flip.image.width() - 1, 0));
  EXPECT_EQ(qAlpha(flip.image.pixel(flip.hotSpot)), 255);
}

TEST(RVStyle, OutOfRangeStyleNumbersGiveOneVisibleFallback) {
  TRVStyle s;
  TS(s)[0]->FontName = "Tahoma";
  TFontInfo *a = TS(s).GetTextStyleSafe(-1);
  TFontInfo *b = TS(s).GetTextStyleSafe(TS(s).Count());
  TFontInfo *c = TS(s).GetTextStyleSafe(INT32_MAX);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a, c);
  EXPECT_EQ(a->FontName, "Tahoma");
  EXPECT_EQ(a->Color, 0xFFFFFF);
  EXPECT_EQ(a->BackColor, 0x0000FF);
  EXPECT_EQ(TS(s).IndexOf(a), -1);
  EXPECT_EQ(TS(s).GetTextStyleSafe(2), TS(s)[2]);

  TParaInfo *p = s.ParaStyles().GetParaStyleSafe(-5);
  EXPECT_EQ(p, s.ParaStyles().GetParaStyleSafe(2));
  EXPECT_EQ(p->LeftIndent, 1);
  EXPECT_EQ(p->RightIndent, 1);
  EXPECT_EQ(p->SpaceBefore, 1);
  EXPECT_EQ(p->SpaceAfter, 1);
  EXPECT_EQ(p->Border.Style, rvbSingle);
  EXPECT_EQ(p->Border.Color, 0x0000FF);
  EXPECT_EQ(p->Border.Width, 2);
  EXPECT_EQ(p->Border.BorderOffsets.Top, 1);
  EXPECT_EQ(p->Border.BorderOffsets.Left, 1);
}

TEST(RVStyle, FallbackOfAnEmptyTableKeepsTheDefaultFont) {
  TRVStyle s;
  TS(s).Clear();
  TFontInfo *f = TS(s).GetTextStyleSafe(0);
  EXPECT_EQ(f->FontName, "Arial");
  EXPECT_EQ(f->Size, 10);
  EXPECT_EQ(f->Color, 0xFFFFFF);
  EXPECT_EQ(f->BackColor, 0x0000FF);
}

TEST(RVStyle, AddTextStyleInBothForms) {
  TRVStyle s;
  TFontInfo *f = TS(s).AddTextStyle("Courier New", 12, clRed, clYellow, fsBold | fsItalic);
  EXPECT_EQ(TS(s).Count(), 7);
  EXPECT_EQ(f->FontName, "Courier New");
  EXPECT_EQ(f->Size, 12);
  EXPECT_EQ(f->Color, clRed);
  EXPECT_EQ(f->BackColor, clYellow);
  EXPECT_EQ(f->Style, fsBold | fsItalic);
  EXPECT_EQ(f->StyleName, "Font Style");
  TFontInfo *g = TS(s).AddTextStyle("{user-id}", "Tahoma", fsUnderline, 9, clGreen);
  EXPECT_EQ(g->StyleName, "{user-id}");
  EXPECT_EQ(g->FontName, "Tahoma");
  EXPECT_EQ(g->Size, 9);
  EXPECT_EQ(g->Color, clGreen);
  EXPECT_EQ(g->BackColor, clNone);
  EXPECT_EQ(TS(s).Count(), 8);
}

TEST(RVStyle, SpacesInTabNeverNegative) {
  TRVStyle s;
  s.SetSpacesInTab(-3);
  EXPECT_EQ(s.SpacesInTab(), 0);
  s.SetSpacesInTab(100000);
  EXPECT_EQ(s.SpacesInTab(), 32767);
  s.SetSpacesInTab(4);
  EXPECT_EQ(s.SpacesInTab(), 4);
}

TEST(RVStyle, HoverColorsAndSensitivity) {
  TRVStyle s;
  EXPECT_EQ(s.GetHoverColor(4), clNone);
  EXPECT_FALSE(s.StyleHoverSensitive(4));
  s.HoverColor = clRed;
  EXPECT_EQ(s.GetHoverColor(4), clRed);
  EXPECT_TRUE(s.StyleHoverSensitive(4));
  TS(s)[4]->HoverColor = clBlue;
  EXPECT_EQ(s.GetHoverColor(4), clBlue);
  s.OnStyleHoverSensitive = [](TRVStyle *, int StyleNo, bool &Sensitive) {
    if (StyleNo == 4) Sensitive = false;
  };
  EXPECT_FALSE(s.StyleHoverSensitive(4));
  s.HoverColor = clNone;
  TS(s)[0]->HoverBackColor = clYellow;
  EXPECT_TRUE(s.StyleHoverSensitive(0));
}

// ------------------------------------------------------------- text styles

namespace {
using FontChange = std::function<void(TFontInfo &)>;
struct NamedFontChange {
  const char *Name;
  FontChange Change;
};
const NamedFontChange FontChanges[] = {
    {"Size", [](TFontInfo &f) { f.Size = 11; }},
    {"Charset", [](TFontInfo &f) { f.Charset = 204; }},
    {"Unicode", [](TFontInfo &f) { f.Unicode = true; }},
    {"Style", [](TFontInfo &f) { f.Style = fsBold; }},
    {"StyleEx", [](TFontInfo &f) { f.StyleEx = TRVFontStyles{rvfsOverline}; }},
    {"FontName", [](TFontInfo &f) { f.FontName = "Tahoma"; }},
    {"VShift", [](TFontInfo &f) { f.VShift = 30; }},
    {"Color", [](TFontInfo &f) { f.Color = clRed; }},
    {"BackColor", [](TFontInfo &f) { f.BackColor = clYellow; }},
    {"Jump", [](TFontInfo &f) { f.Jump = true; }},
    {"Protection", [](TFontInfo &f) { f.Protection = TRVProtectOptions{rvprDeleteProtect}; }},
    {"Options", [](TFontInfo &f) { f.Options = TRVTextOptions{rvteoHTMLCode}; }},
    {"CharScale", [](TFontInfo &f) { f.CharScale = 80; }},
    {"CharSpacing", [](TFontInfo &f) { f.CharSpacing = 2; }},
    {"BiDiMode", [](TFontInfo &f) { f.BiDiMode = rvbdRightToLeft; }},
};
} // namespace

TEST(TFontInfo, EveryComparedPropertyBreaksEquality) {
  for (const auto &c : FontChanges) {
    SCOPED_TRACE(c.Name);
    TFontInfo a, b;
    c.Change(b);
    EXPECT_FALSE(a.IsEqualTo(b, false));
    EXPECT_FALSE(b.IsEqualTo(a, true));
    TFontInfo d;
    d.Assign(b);
    EXPECT_TRUE(d.IsEqualTo(b, false));
  }
}

TEST(TFontInfo, NamesAndBasesAreNotCompared) {
  TFontInfo a, b;
  b.StyleName = "Other";
  b.BaseStyleNo = 3;
  b.Standard = false;
  b.FontName = "ARIAL";
  EXPECT_TRUE(a.IsEqualTo(b, false));
  b.NextStyleNo = 2;
  EXPECT_FALSE(a.IsEqualTo(b, false));
  EXPECT_TRUE(a.IsEqualTo(b, true));
}

TEST(TFontInfo, HoverPropertiesCountOnlyForJumps) {
  TFontInfo a, b;
  b.HoverColor = clRed;
  b.JumpCursor = 5;
  EXPECT_TRUE(a.IsEqualTo(b, false));
  a.Jump = b.Jump = true;
  EXPECT_FALSE(a.IsEqualTo(b, false));
}

TEST(TFontInfo, IsEqualToMappedChecksTheMappedNextStyleAndChangesNothing) {
  TFontInfo target, source;
  TRVIntegerList mapping;
  mapping.Add(7);
  target.NextStyleNo = 7;
  source.NextStyleNo = 0; // maps to 7
  EXPECT_TRUE(target.IsEqualToMapped(source, mapping));
  target.NextStyleNo = 6;
  EXPECT_FALSE(target.IsEqualToMapped(source, mapping));
  // A next style the mapping does not know yet counts as equal; neither
  // style is touched by the comparison.
  source.NextStyleNo = 5;
  source.BaseStyleNo = 2;
  target.BaseStyleNo = 1;
  EXPECT_TRUE(target.IsEqualToMapped(source, mapping));
  EXPECT_EQ(source.NextStyleNo, 5);
  EXPECT_EQ(source.BaseStyleNo, 2);
  EXPECT_EQ(target.NextStyleNo, 6);
  EXPECT_EQ(target.BaseStyleNo, 1);
}

TEST(TFontInfo, IsEqualExIgnoresMaskedProperties) {
  TFontInfo a, b;
  b.Charset = 204;
  b.Unicode = true;
  EXPECT_FALSE(a.IsEqualEx(b, {}));
  EXPECT_TRUE(a.IsEqualEx(b, {rvfiCharset, rvfiUnicode}));
  b.BaseStyleNo = 4;
  EXPECT_FALSE(a.IsEqualEx(b, {rvfiCharset, rvfiUnicode}));
  EXPECT_TRUE(a.IsEqualEx(b, {rvfiCharset, rvfiUnicode, rvfiBaseStyleNo}));
  TFontInfo c;
  c.Style = fsBold | fsUnderline;
  EXPECT_TRUE(a.IsEqualEx(c, {rvfiBold, rvfiUnderline}));
  EXPECT_FALSE(a.IsEqualEx(c, {rvfiBold}));
}

TEST(TFontInfo, SimilarityOfTwoDefaultStyles) {
  TFontInfo a, b;
  // size 10000, vshift 1000, scale 300, spacing 1000, colour 3000,
  // back colour 80000, bidi and name 20000, six flags and plainness 350000,
  // both codes 100000, charset 50000.
  EXPECT_EQ(a.SimilarityValue(b), 615300);
  b.Charset = 204;
  EXPECT_EQ(a.SimilarityValue(b), 615300 - 50000 + 12500);
  b.Protection = TRVProtectOptions{rvprStyleProtect};
  EXPECT_EQ(a.SimilarityValue(b), 615300 - 50000 + 12500 - 100000);
}

TEST(TFontInfo, SimilarityOfFarApartValuesDoesNotWrap) {
  TFontInfo a, b;
  a.Size = INT32_MAX;
  b.Size = 1;
  a.CharSpacing = INT32_MIN;
  b.CharSpacing = INT32_MAX;
  int64_t v = a.SimilarityValue(b);
  EXPECT_LT(v, -int64_t(1) << 40);
  // A closer size always scores higher.
  TFontInfo c;
  c.Size = 12;
  TFontInfo d;
  d.Size = 30;
  TFontInfo ref;
  EXPECT_GT(c.SimilarityValue(ref), d.SimilarityValue(ref));
}

TEST(TFontInfo, FindStyleWithCharset) {
  TRVStyle s;
  TS(s)[0]->Charset = 0;
  TFontInfo *ru = TS(s).Add();
  ru->Assign(*TS(s)[0]);
  ru->Charset = 204;
  TFontInfo *uni = TS(s).Add();
  uni->Assign(*TS(s)[0]);
  uni->Charset = 238;
  uni->Unicode = true;
  EXPECT_EQ(TS(s).FindStyleWithCharset(0, 0), 0);
  EXPECT_EQ(TS(s).FindStyleWithCharset(0, 204), 6);
  EXPECT_EQ(TS(s).FindStyleWithCharset(6, 0), 0);
  EXPECT_EQ(TS(s).FindStyleWithCharset(0, 238), -1); // only a UTF-16 one
  EXPECT_EQ(TS(s).FindStyleWithCharset(1, 204), -1); // heading differs
  EXPECT_EQ(TS(s).FindStyleWithCharset(-1, 0), -1);
  EXPECT_EQ(TS(s).FindStyleWithCharset(99, 0), -1);
}

// -------------------------------------------------------- paragraph styles

TEST(TParaInfo, ReferencesAreComparedUnlessIgnored) {
  TParaInfo a, b;
  b.NextParaNo = 1;
  EXPECT_FALSE(a.IsEqualTo(b, false));
  EXPECT_TRUE(a.IsEqualTo(b, true));
  b.NextParaNo = -1;
  b.DefStyleNo = 3;
  EXPECT_FALSE(a.IsEqualTo(b, false));
  EXPECT_TRUE(a.IsEqualTo(b, true));
  b.Border.VisibleBorders.Left = false;
  EXPECT_FALSE(a.IsEqualTo(b, true));
}

TEST(TParaInfo, ExtraLineSpacing) {
  struct {
    const char *Name;
    TRVLineSpacingType Type;
    int Value;
    bool Extra;
  } const cases[] = {{"single line", rvlsPercent, 100, false},
                     {"a little more", rvlsPercent, 101, true},
                     {"no space between", rvlsSpaceBetween, 0, false},
                     {"a pixel between", rvlsSpaceBetween, 1, true},
                     {"lines pulled together", rvlsSpaceBetween, -4, false}};
  for (const auto &c : cases) {
    TParaInfo p;
    p.LineSpacingType = c.Type;
    p.LineSpacing = c.Value;
    EXPECT_EQ(p.ExtraLineSpacing(), c.Extra) << c.Name;
  }
}

TEST(TParaInfo, SimilarityOfTwoDefaultStyles) {
  TParaInfo a, b;
  // five indents 5000, background 80400, four unshown border sides 80000,
  // alignment 50000, bidi 10000, options 113000, line spacing 5000.
  EXPECT_EQ(a.SimilarityValue(b), 343400);
  b.Border.Style = rvbSingle;
  // Every side shown in one style only: -20000 each instead of +20000.
  EXPECT_EQ(a.SimilarityValue(b), 343400 - 160000);
  a.Border.Style = rvbSingle;
  // Four sides shown in both: 4 x (colour 3000 + widths 2000 + style 1000) and offsets 4 x 100.
  EXPECT_EQ(a.SimilarityValue(b), 343400 - 80000 + 4 * 6000 + 400);
}

TEST(TParaInfo, FindSuchStyleComparesOnlyTheMask) {
  TRVStyle s;
  TParaInfo probe;
  probe.Alignment = rvaCenter;
  probe.LeftIndent = 20;
  TRVParaInfoProperties alignOnly{rvpiAlignment};
  EXPECT_EQ(s.ParaStyles().FindSuchStyle(0, probe, alignOnly), 1);
  EXPECT_EQ(s.ParaStyles().FindSuchStyle(1, probe, alignOnly), 1);
  EXPECT_EQ(s.ParaStyles().FindSuchStyle(0, probe, RVAllParaInfoProperties()), -1);
  TParaInfo left;
  EXPECT_EQ(s.ParaStyles().FindSuchStyle(1, left, RVAllParaInfoProperties()), 0);
  EXPECT_EQ(s.ParaStyles().FindSuchStyle(-9, left, RVAllParaInfoProperties()), 0);
}

TEST(TRVBorder, TotalWidthByStyle) {
  struct {
    const char *Name;
    TRVBorderStyle Style;
    int Width, Internal, Total;
  } const cases[] = {{"none", rvbNone, 3, 2, 0},
                     {"single", rvbSingle, 3, 2, 3},
                     {"double", rvbDouble, 3, 2, 8},
                     {"triple", rvbTriple, 3, 2, 13},
                     {"thick inside", rvbThickInside, 3, 2, 11},
                     {"thick outside", rvbThickOutside, 3, 2, 11},
                     {"widest triple", rvbTriple, INT32_MAX, INT32_MAX, INT32_MAX}};
  for (const auto &c : cases) {
    TRVBorder b;
    b.Style = c.Style;
    b.Width = c.Width;
    b.InternalWidth = c.Internal;
    b.VisibleBorders.SetAll(false); // invisible sides still have a width
    EXPECT_EQ(b.GetTotalWidth(), c.Total) << c.Name;
  }
}

TEST(TRVRect, Operations) {
  TRVRect r;
  r.Left = 1;
  r.Top = 2;
  r.Right = 3;
  r.Bottom = 4;
  TRect R{10, 10, 20, 20};
  r.InflateRect(R);
  EXPECT_EQ(R, (TRect{9, 8, 23, 24}));
  TRect G{0, 5, 0, 1};
  r.AssignToRectIfGreater(G);
  EXPECT_EQ(G, (TRect{1, 5, 3, 4}));
  TRVScreenAndDevice sad{96, 96, 192, 288};
  TRect P{100, 100, 200, 200};
  r.InflateRectSaD(P, sad);
  EXPECT_EQ(P, (TRect{98, 94, 206, 212}));
  TRVRect o;
  o.Assign(r);
  EXPECT_TRUE(o.IsEqual(r));
  o.Left = 9;
  EXPECT_FALSE(o.IsEqual(r));
  EXPECT_TRUE(o.IsEqualEx(r, true, false, false, false));
  TRVBooleanRect b(false);
  EXPECT_TRUE(b.IsAllEqual(false));
  b.SetValues(true, false, true, false);
  EXPECT_TRUE(b.IsEqualValues(true, false, true, false));
  EXPECT_TRUE(b.Left && !b.Top && b.Right && !b.Bottom);
}

// -------------------------------------------------------------- list styles

TEST(TRVListLevel, DefaultFontAndNoFontAreEqual) {
  TRVListLevel a, b;
  a.GetFont();
  EXPECT_TRUE(a.IsEqual(b));
  EXPECT_TRUE(b.IsEqual(a));
  a.GetFont()->Size = 12;
  EXPECT_FALSE(a.IsEqual(b));
  b.GetFont()->Size = 12;
  EXPECT_TRUE(a.IsEqual(b));
  b.GetFont()->Name = "ARIAL";
  EXPECT_TRUE(a.IsEqual(b));
  b.FormatString = "\xB7 ";
  EXPECT_FALSE(a.IsEqual(b));
}

TEST(TRVListLevel, NumberingByType) {
  struct {
    const char *Name;
    TRVListType Type;
    bool Numbering, TextNumbering, Font;
  } const cases[] = {{"bullet", rvlstBullet, false, false, true},
                     {"picture", rvlstPicture, false, false, false},
                     {"image", rvlstImageList, false, false, false},
                     {"decimal", rvlstDecimal, true, true, true},
                     {"upper roman", rvlstUpperRoman, true, true, true},
                     {"image counter", rvlstImageListCounter, true, false, false},
                     {"Unicode bullet", rvlstUnicodeBullet, false, false, true}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Name);
    TRVListLevel l;
    l.ListType = c.Type;
    EXPECT_EQ(l.HasNumbering(), c.Numbering);
    EXPECT_EQ(l.HasTextNumbering(), c.TextNumbering);
    EXPECT_EQ(l.UsesFont(), c.Font);
  }
}

TEST(TRVListInfo, ListIdIsDrawnOnceAndComparingDrawsNone) {
  TRVListInfo a, b;
  EXPECT_EQ(a.ListIDRaw(), 0);
  EXPECT_TRUE(a.IsEqualTo(b, false));
  EXPECT_EQ(a.ListIDRaw(), 0);
  EXPECT_EQ(b.ListIDRaw(), 0);
  EXPECT_EQ(a.SimilarityValue(b), 150);
  EXPECT_EQ(a.ListIDRaw(), 0);
  int32_t id = a.GetListID();
  EXPECT_GT(id, 0);
  EXPECT_LT(id, 2147483647);
  EXPECT_EQ(a.GetListID(), id);
  EXPECT_FALSE(a.IsEqualTo(b, false));
  EXPECT_TRUE(a.IsEqualTo(b, true));
}

TEST(TRVListInfo, SimilarityCountsLevels) {
  TRVListInfo a, b;
  a.Levels.Add();
  a.Levels.Add();
  b.Levels.Add();
  // preview 100, ids 50, one level only in a -100, one common level
  // 5000 + 9 x 100 + 200 + font 100 + picture 100.
  EXPECT_EQ(a.SimilarityValue(b), 100 + 50 - 100 + 6300);
  b.Levels.Items(0)->ListType = rvlstDecimal;
  EXPECT_EQ(a.SimilarityValue(b), 100 + 50 - 100 + 1300);
  EXPECT_TRUE(b.HasNumbering());
  EXPECT_FALSE(a.HasNumbering());
}

// ------------------------------------------------------------------ merging

namespace {
std::vector<int> Values(const TRVIntegerList &l) { return std::vector<int>(l.Values().begin(), l.Values().end()); }
const char *MergeModeName(TRVStyleMergeMode m) {
  return m == rvs_merge_SmartMerge ? "smart merge" : m == rvs_merge_Map ? "map" : "append";
}
} // namespace

TEST(MergeWith, EmptySourceGivesEmptyMappingInEveryMode) {
  for (TRVStyleMergeMode mode : {rvs_merge_SmartMerge, rvs_merge_Map, rvs_merge_Append}) {
    SCOPED_TRACE(MergeModeName(mode));
    TRVStyle target, source;
    TS(source).Clear();
    TRVIntegerList mapping;
    mapping.Add(42);
    TS(target).MergeWith(TS(source), mode, mapping, nullptr);
    EXPECT_EQ(mapping.Count(), 0);
    EXPECT_EQ(TS(target).Count(), 6);
  }
}

TEST(MergeWith, MapIntoEmptyTargetGivesNone) {
  TRVStyle target, source;
  TS(target).Clear();
  TRVIntegerList mapping;
  TS(target).MergeWith(TS(source), rvs_merge_Map, mapping, nullptr);
  EXPECT_EQ(Values(mapping), std::vector<int>(6, -1));
  EXPECT_EQ(TS(target).Count(), 0);
}

TEST(MergeWith, EqualSheetsAddNothing) {
  // Smart merge tries the same index first; map mode keeps the first of
  // equally similar styles, so both jumps go to "Jump 1".
  struct {
    const char *Name;
    TRVStyleMergeMode Mode;
    std::vector<int> Text;
  } const cases[] = {{"smart merge", rvs_merge_SmartMerge, {0, 1, 2, 3, 4, 5}},
                     {"map", rvs_merge_Map, {0, 1, 2, 3, 4, 4}}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Name);
    TRVStyle target, source;
    TRVIntegerList mapping;
    TS(target).MergeWith(TS(source), c.Mode, mapping, nullptr);
    EXPECT_EQ(Values(mapping), c.Text);
    EXPECT_EQ(TS(target).Count(), 6);
    TRVIntegerList paraMapping;
    target.ParaStyles().MergeWith(source.ParaStyles(), c.Mode, paraMapping, &mapping);
    EXPECT_EQ(Values(paraMapping), (std::vector<int>{0, 1}));
    EXPECT_EQ(target.ParaStyles().Count(), 2);
  }
}

TEST(MergeWith, AppendCopiesAndRenumbersReferences) {
  TRVStyle target, source;
  TS(source)[1]->BaseStyleNo = 0;
  TS(source)[2]->NextStyleNo = 1;
  TS(source)[3]->BaseStyleNo = 77; // out of range: none
  TS(source)[4]->NextStyleNo = 6;  // beyond the source table: none
  TRVIntegerList mapping;
  TS(target).MergeWith(TS(source), rvs_merge_Append, mapping, nullptr);
  EXPECT_EQ(Values(mapping), (std::vector<int>{6, 7, 8, 9, 10, 11}));
  ASSERT_EQ(TS(target).Count(), 12);
  EXPECT_EQ(TS(target)[7]->BaseStyleNo, 6);
  EXPECT_EQ(TS(target)[8]->NextStyleNo, 7);
  EXPECT_EQ(TS(target)[9]->BaseStyleNo, -1);
  EXPECT_EQ(TS(target)[10]->NextStyleNo, -1);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(TS(target)[i]->Standard, i < 6) << i;
  EXPECT_EQ(TS(target)[7]->StyleName, "Heading");
}

TEST(MergeWith, NearSheetAddsOnlyWhatDiffers) {
  TRVStyle target, source;
  TS(source)[2]->Size = 14;
  TS(source)[3]->NextStyleNo = 2; // refers to the changed style
  TRVIntegerList mapping;
  TS(target).MergeWith(TS(source), rvs_merge_SmartMerge, mapping, nullptr);
  ASSERT_EQ(TS(target).Count(), 8);
  EXPECT_EQ(Values(mapping), (std::vector<int>{0, 1, 6, 7, 4, 5})); // 3's next maps to 6, the target's has none
  EXPECT_EQ(TS(target)[6]->Size, 14);
  EXPECT_EQ(TS(target)[7]->NextStyleNo, 6);
  EXPECT_FALSE(TS(target)[6]->Standard);
  EXPECT_EQ(TS(target)[3]->NextStyleNo, -1);
}

TEST(MergeWith, SmartMergeTakesTheReadStylesNextStyleThroughTheMapping) {
  // Sources 0-2 land on targets 1, 2, 0. The X read names source 0 as its
  // next style, which is target 1: an existing X is only reused when its own
  // next style is target 1. A mapping that looked the existing style's
  // target numbers up as if they were source numbers would pick 2 instead.
  struct {
    const char *Name;
    int TargetNext;
    int Expected;
  } const cases[] = {
      {"same next style: reused", 1, 3}, {"other next style: added", 2, 4}, {"no next style: added", -1, 4}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Name);
    TRVStyle target, source;
    TS(target).Clear();
    TS(source).Clear();
    for (int size : {11, 12, 13, 20}) TS(target).Add()->Size = size;
    for (int size : {12, 13, 11, 20}) TS(source).Add()->Size = size;
    TS(target)[3]->NextStyleNo = c.TargetNext;
    TS(source)[3]->NextStyleNo = 0;
    TRVIntegerList mapping;
    TS(target).MergeWith(TS(source), rvs_merge_SmartMerge, mapping, nullptr);
    EXPECT_EQ(Values(mapping), (std::vector<int>{1, 2, 0, c.Expected}));
    EXPECT_EQ(TS(target)[3]->NextStyleNo, c.TargetNext);
  }
}

TEST(MergeWith, MapPicksTheMostSimilarOfTheSameKind) {
  TRVStyle target, source;
  TS(source).Clear();
  TFontInfo *j = TS(source).Add();
  j->Jump = true;
  j->Color = clGreen;
  j->Size = 11;
  TFontInfo *h = TS(source).Add();
  h->Style = fsBold;
  h->Color = clNavy;
  TFontInfo *u = TS(source).Add();
  u->Unicode = true;
  TRVIntegerList mapping;
  TS(target).MergeWith(TS(source), rvs_merge_Map, mapping, nullptr);
  EXPECT_EQ(Values(mapping), (std::vector<int>{4, 2, 0}));
  EXPECT_EQ(TS(target).Count(), 6);
}

TEST(MergeWith, ExistingTargetStylesAreNeverChanged) {
  TRVStyle target, source, reference;
  for (int i = 0; i < 6; ++i) {
    TS(target)[i]->NextStyleNo = 5;
    TS(reference)[i]->NextStyleNo = 5;
    TS(source)[i]->NextStyleNo = 40;
    TS(source)[i]->BaseStyleNo = 40;
  }
  for (TRVStyleMergeMode mode : {rvs_merge_SmartMerge, rvs_merge_Map, rvs_merge_Append}) {
    SCOPED_TRACE(MergeModeName(mode));
    TRVIntegerList mapping;
    TS(target).MergeWith(TS(source), mode, mapping, nullptr);
    for (int i = 0; i < 6; ++i) {
      EXPECT_TRUE(TS(target)[i]->IsEqualTo(*TS(reference)[i], false)) << i;
      EXPECT_EQ(TS(target)[i]->BaseStyleNo, -1) << i;
      EXPECT_TRUE(TS(target)[i]->Standard);
    }
  }
}

TEST(MergeWith, ParagraphDefaultTextStyleGoesThroughTheTextMapping) {
  TRVStyle target, source;
  source.ParaStyles()[1]->LeftIndent = 30;
  source.ParaStyles()[1]->DefStyleNo = 1;
  source.ParaStyles()[1]->NextParaNo = 0;
  TParaInfo *p = source.ParaStyles().Add();
  p->RightIndent = 9;
  p->DefStyleNo = 50; // unknown to the text mapping
  TRVIntegerList textMapping;
  textMapping.Add(3);
  textMapping.Add(8);
  TRVIntegerList mapping;
  target.ParaStyles().MergeWith(source.ParaStyles(), rvs_merge_SmartMerge, mapping, &textMapping);
  EXPECT_EQ(Values(mapping), (std::vector<int>{0, 2, 3}));
  EXPECT_EQ(target.ParaStyles()[2]->DefStyleNo, 8);
  EXPECT_EQ(target.ParaStyles()[2]->NextParaNo, 0);
  EXPECT_EQ(target.ParaStyles()[3]->DefStyleNo, -1);
  // Without a text mapping the number stays.
  TRVStyle t2;
  TRVIntegerList m2;
  t2.ParaStyles().MergeWith(source.ParaStyles(), rvs_merge_Append, m2, nullptr);
  EXPECT_EQ(t2.ParaStyles()[3]->DefStyleNo, 1);
}

TEST(MergeWith, NumberedListsNeverShareATargetBulletsMay) {
  auto addList = [](TRVListInfos &t, TRVListType type) {
    TRVListInfo *l = t.Add();
    l->Levels.Add()->ListType = type;
    return l;
  };
  {
    TRVStyle target, source;
    addList(source.ListStyles(), rvlstDecimal);
    addList(source.ListStyles(), rvlstDecimal);
    TRVIntegerList mapping;
    target.ListStyles().MergeWith(source.ListStyles(), rvs_merge_SmartMerge, mapping, nullptr);
    EXPECT_EQ(Values(mapping), (std::vector<int>{0, 1}));
    EXPECT_EQ(target.ListStyles().Count(), 2);
  }
  {
    TRVStyle target, source;
    addList(source.ListStyles(), rvlstBullet);
    addList(source.ListStyles(), rvlstBullet);
    TRVIntegerList mapping;
    target.ListStyles().MergeWith(source.ListStyles(), rvs_merge_SmartMerge, mapping, nullptr);
    EXPECT_EQ(Values(mapping), (std::vector<int>{0, 0}));
    EXPECT_EQ(target.ListStyles().Count(), 1);
  }
  {
    // An existing numbered list is used once, the second equal one is added.
    TRVStyle target, source;
    addList(target.ListStyles(), rvlstDecimal);
    addList(source.ListStyles(), rvlstDecimal);
    addList(source.ListStyles(), rvlstDecimal);
    TRVIntegerList mapping;
    target.ListStyles().MergeWith(source.ListStyles(), rvs_merge_SmartMerge, mapping, nullptr);
    EXPECT_EQ(Values(mapping), (std::vector<int>{0, 1}));
  }
}

// -------------------------------------------------------- marker formatting

TEST(RVFormatMarkerString, OwnFormatterTakesOnlyTheMarkerForms) {
  const std::vector<std::string> args = {"1", "b", "iii"};
  struct {
    const char *Format;
    const char *Result;
  } const cases[] = {
      {"%s.", "1."},      {"%0:s.%1:s.%2:s", "1.b.iii"},
      {"(%1:s)", "(b)"},  {"%s-%s-%s-%s", "1-b-iii-%s"},
      {"%1:s%s", "biii"}, {"100%%", "100%"},
      {"100%", "100%"},   {"%d %n %x %p %.999999s", "%d %n %x %p %.999999s"},
      {"%3:s", "%3:s"},   {"%99999999999999:s", "%99999999999999:s"},
      {"%-1:s", "%-1:s"}, {"%0:", "%0:"},
      {"", ""},           {"\xB7", "\xB7"},
  };
  for (const auto &c : cases) EXPECT_EQ(RVFormatMarkerString(c.Format, args), c.Result) << c.Format;
  EXPECT_EQ(RVFormatMarkerString(std::string("a\0%s", 4), args), std::string("a\0"
                                                                             "1",
                                                                             3));
}

TEST(TFontInfo, AssignFromAndToAFont) {
  TLogFont lf;
  lf.lfFaceName = "Tahoma";
  lf.lfHeight = FontHeightOfSize(12);
  lf.lfWeight = 700;
  lf.lfUnderline = 1;
  lf.lfCharSet = 204;
  TFontInfo f;
  f.Jump = true;
  f.AssignFont(lf, clRed);
  EXPECT_EQ(f.FontName, "Tahoma");
  EXPECT_EQ(f.Size, 12);
  EXPECT_EQ(f.Color, clRed);
  EXPECT_EQ(f.Style, fsBold | fsUnderline);
  EXPECT_EQ(f.Charset, 204);
  EXPECT_TRUE(f.Jump); // nothing else changes
  TLogFont out;
  TColor colour = clNone;
  f.Unicode = true;
  f.AssignToFont(out, colour);
  EXPECT_EQ(out.lfFaceName, "Tahoma");
  EXPECT_EQ(out.lfHeight, FontHeightOfSize(12));
  EXPECT_EQ(out.lfWeight, 700);
  EXPECT_EQ(colour, clRed);
  EXPECT_EQ(out.lfCharSet, DEFAULT_CHARSET); // the charset only for 8-bit text
  f.Unicode = false;
  f.AssignToFont(out, colour);
  EXPECT_EQ(out.lfCharSet, 204);
}

TEST(TCustomRVInfos, AssignAndNames) {
  TRVStyle a, b;
  TS(a)[0]->StyleName = "Changed";
  b.SetTextStyles(TS(a));
  EXPECT_EQ(TS(b)[0]->StyleName, "Changed");
  EXPECT_NE(TS(b)[0], TS(a)[0]);
  b.SetTextStyles(TS(b)); // the same table: nothing happens
  EXPECT_EQ(TS(b).Count(), 6);
  std::vector<std::string> names{"old"};
  b.ParaStyles().AssignTo(names);
  EXPECT_EQ(names, (std::vector<std::string>{"Paragraph Style", "Centered"}));
  // A paragraph style given to a text style copies only the common fields.
  TFontInfo f;
  TParaInfo p;
  p.StyleName = "P";
  p.BaseStyleNo = 1;
  p.Standard = false;
  f.Assign(p);
  EXPECT_EQ(f.StyleName, "P");
  EXPECT_EQ(f.BaseStyleNo, 1);
  EXPECT_FALSE(f.Standard);
  EXPECT_EQ(f.FontName, "Arial");
}

// ---------------------------------------------------------------- defaults

namespace {
// Where a table's default differs from its class's, files would carry a
// property nobody set, or lose one that was.
void ExpectTableDefaults(const TRVPropTable &T, const void *Fresh, const std::string &Path) {
  for (const TRVProp &p : T.Rows) {
    SCOPED_TRACE(Path + p.Name);
    switch (p.Kind()) {
    case TRVPropKind::Object: ExpectTableDefaults(*p.Type.Object, p.Member.CSub(Fresh), Path + p.Name + "."); break;
    case TRVPropKind::Custom: break; // pictures, fonts and image lists start absent
    case TRVPropKind::Str: EXPECT_EQ(p.Member.GetStr(Fresh), p.Type.DefaultText); break;
    case TRVPropKind::WStr: EXPECT_TRUE(p.Member.GetWStr(Fresh).empty()); break;
    default: EXPECT_EQ(p.Member.Get(Fresh), p.Default);
    }
  }
}
} // namespace

TEST(StyleDefaults, EveryTableDefaultIsTheClassesOwn) {
  const TFontInfo text;
  const TParaInfo para;
  const TRVListLevel level;
  const TRVBorder border;
  const TRVBackgroundRect background;
  const TRVRect rect;
  const TRVBooleanRect sides;
  struct {
    const char *Name;
    const TRVPropTable &Table;
    const void *Fresh;
  } const cases[] = {
      {"text style", RVTextStyleProps(), &text},        {"paragraph style", RVParaStyleProps(), &para},
      {"list level", RVListLevelProps(), &level},       {"border", RVBorderProps(), &border},
      {"background", RVBackgroundProps(), &background}, {"offsets", RVRectProps(), &rect},
      {"visible sides", RVBooleanRectProps(), &sides},
  };
  for (const auto &c : cases) ExpectTableDefaults(c.Table, c.Fresh, std::string(c.Name) + ": ");
}

TEST(StyleDefaults, DefaultEntriesStoreOnlyTheirNamesAndReadBackEqual) {
  // A stored string property: its short name, then type 6 and a short string.
  auto str = [](const std::string &name, const std::string &value) {
    return char(name.size()) + name + char(6) + char(value.size()) + value;
  };
  auto table = [](const std::string &item) { return std::string{char(14), char(1)} + item + std::string(2, '\0'); };
  struct {
    const char *Name;
    std::function<std::unique_ptr<TCustomRVInfos>()> Make;
    std::string Stored;
  } const cases[] = {
      {"text style",
       [] {
         auto t = std::make_unique<TFontInfos>(nullptr);
         t->Add();
         return std::unique_ptr<TCustomRVInfos>(std::move(t));
       },
       table(str("StyleName", "Font Style") + str("FontName", "Arial"))},
      {"paragraph style",
       [] {
         auto t = std::make_unique<TParaInfos>(nullptr);
         t->Add();
         return std::unique_ptr<TCustomRVInfos>(std::move(t));
       },
       table(str("StyleName", "Paragraph Style"))},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Name);
    auto t = c.Make();
    EXPECT_EQ(t->SaveToStream(), c.Stored);
    auto back = c.Make();
    bool unknown = false;
    ASSERT_TRUE(back->LoadFromStream(c.Stored, unknown));
    ASSERT_EQ(back->Count(), 1);
    EXPECT_TRUE(back->GetItem(0)->IsEqualTo(*t->GetItem(0), false));
    // An empty ini section reads as a fresh entry too.
    auto mem = IniStore::open("");
    auto fresh = t->NewEntry();
    fresh->LoadFromINI(*mem, "Empty", "%s");
    EXPECT_TRUE(fresh->IsEqualTo(*t->GetItem(0), false));
    EXPECT_EQ(fresh->StyleName, t->GetItem(0)->StyleName);
  }
}
