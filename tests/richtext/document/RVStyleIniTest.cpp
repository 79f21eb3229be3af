// Styles written to and read from ini files: keys, defaults left out, round
// trips of every stored property, and damaged or hostile values.
#include "richtext/document/RVStyle.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/IniStore.h"

using namespace kc;

namespace {

class StyleIni : public ::testing::Test {
protected:
  void SetUp() override { ini_ = IniStore::open(tmp_.file("styles.ini")); }
  void TearDown() override { ini_.reset(); }
  IniStore &Ini() { return *ini_; }
  std::vector<std::string> Idents() { return ini_->idents("S"); }

  kctest::TempDir tmp_{"kc-styleini"};
  std::shared_ptr<IniStore> ini_;
};

using FontSetter = std::function<void(TFontInfo &)>;

} // namespace

TEST_F(StyleIni, DefaultTextStyleWritesOnlyItsNameFontAndJump) {
  TFontInfo f;
  f.SaveToINI(Ini(), "S", "%s");
  EXPECT_EQ(Idents(), (std::vector<std::string>{"StyleName", "Name", "Jump"}));
  EXPECT_EQ(Ini().readString("S", "StyleName"), "Font Style");
  EXPECT_EQ(Ini().readString("S", "Jump"), "No");
}

TEST_F(StyleIni, EveryTextStylePropertyRoundTrips) {
  const std::pair<const char *, FontSetter> setters[] = {
      {"StyleName", [](TFontInfo &f) { f.StyleName = "Quote, \"fancy\" = yes"; }},
      {"BaseStyleNo", [](TFontInfo &f) { f.BaseStyleNo = 3; }},
      {"Standard", [](TFontInfo &f) { f.Standard = false; }},
      {"FontName", [](TFontInfo &f) { f.FontName = "Times New Roman"; }},
      {"Jump", [](TFontInfo &f) { f.Jump = true; }},
      {"Size", [](TFontInfo &f) { f.Size = 14; }},
      {"Color", [](TFontInfo &f) { f.Color = clRed; }},
      {"BackColor", [](TFontInfo &f) { f.BackColor = clWindowText; }},
      {"HoverBackColor", [](TFontInfo &f) { f.HoverBackColor = clYellow; }},
      {"HoverColor", [](TFontInfo &f) { f.HoverColor = clBlue; }},
      {"JumpCursor",
       [](TFontInfo &f) {
         f.Jump = true;
         f.JumpCursor = 7;
       }},
      {"Charset", [](TFontInfo &f) { f.Charset = 204; }},
      {"CharScale", [](TFontInfo &f) { f.CharScale = 150; }},
      {"CharSpacing", [](TFontInfo &f) { f.CharSpacing = -2; }},
      {"BiDiMode", [](TFontInfo &f) { f.BiDiMode = rvbdRightToLeft; }},
      {"Style", [](TFontInfo &f) { f.Style = fsBold | fsItalic | fsUnderline | fsStrikeOut; }},
      {"StyleEx",
       [](TFontInfo &f) {
         f.StyleEx = TRVFontStyles{rvfsOverline, rvfsAllCaps};
       }},
      {"Protection",
       [](TFontInfo &f) {
         f.Protection = TRVProtectOptions{rvprModifyProtect, rvprStickToBottom};
       }},
      {"Options",
       [](TFontInfo &f) {
         f.Options = TRVTextOptions{rvteoHTMLCode, rvteoRTFCode};
       }},
      {"VShift", [](TFontInfo &f) { f.VShift = -33; }},
      {"NextStyleNo", [](TFontInfo &f) { f.NextStyleNo = 2; }},
      {"Unicode", [](TFontInfo &f) { f.Unicode = true; }},
  };
  int n = 0;
  for (const auto &[name, set] : setters) {
    SCOPED_TRACE(name);
    TFontInfo f;
    set(f);
    std::string section = "T" + std::to_string(n++);
    f.SaveToINI(Ini(), section, "Font%s");
    ASSERT_TRUE(Ini().flush());
    Ini().reload();
    TFontInfo g;
    g.LoadFromINI(Ini(), section, "Font%s");
    EXPECT_TRUE(g.IsEqualTo(f, false));
    EXPECT_EQ(g.StyleName, f.StyleName);
    EXPECT_EQ(g.BaseStyleNo, f.BaseStyleNo);
    EXPECT_EQ(g.Standard, f.Standard);
    EXPECT_EQ(g.JumpCursor, f.JumpCursor);
    EXPECT_EQ(g.HoverColor, f.HoverColor);
  }
  // Colours are signed decimal numbers.
  EXPECT_EQ(Ini().readString("T7", "FontBackColor"), "-16777208");
}

TEST_F(StyleIni, MissingJumpTakesTheCallersDefaults) {
  Ini().writeString("S", "Name", "Verdana");
  Ini().writeString("S", "JumpCursor", "9");
  TFontInfo f;
  f.LoadFromINI(Ini(), "S", "%s", true, 44);
  EXPECT_TRUE(f.Jump);
  EXPECT_EQ(f.JumpCursor, 44);
  EXPECT_EQ(f.FontName, "Verdana");
  Ini().writeString("S", "Jump", "yes");
  f.LoadFromINI(Ini(), "S", "%s", false, 44);
  EXPECT_TRUE(f.Jump);
  EXPECT_EQ(f.JumpCursor, 9);
}

TEST_F(StyleIni, SystemColoursAreReadInTheStoredForm) {
  Ini().writeString("S", "Color", "-16777211"); // clWindow as the Windows program stores it
  Ini().writeString("S", "BackColor", "536870911");
  Ini().writeString("S", "HoverColor", "255");
  TFontInfo f;
  f.LoadFromINI(Ini(), "S", "%s");
  EXPECT_EQ(f.Color, clWindow);
  EXPECT_EQ(f.BackColor, clNone);
  EXPECT_EQ(f.HoverColor, clRed);
}

TEST_F(StyleIni, ObsoleteSingleSymbolsAddsProtection) {
  Ini().writeString("S", "SingleSymbols", "Yes");
  Ini().writeInteger("S", "Protection", 1 << int(rvprDeleteProtect));
  TFontInfo f;
  f.LoadFromINI(Ini(), "S", "%s");
  EXPECT_EQ(f.Protection, (TRVProtectOptions{rvprDeleteProtect, rvprStyleProtect, rvprDoNotAutoSwitch}));
  f.SaveToINI(Ini(), "T", "%s");
  EXPECT_FALSE(Ini().valueExists("T", "SingleSymbols"));
}

TEST_F(StyleIni, ParagraphStyleRoundTripsWithBorderAndBackground) {
  TParaInfo p;
  p.StyleName = "Boxed";
  p.BaseStyleNo = 1;
  p.FirstIndent = -10;
  p.LeftIndent = 20;
  p.RightIndent = 5;
  p.SpaceBefore = 3;
  p.SpaceAfter = 4;
  p.LineSpacing = 12;
  p.LineSpacingType = rvlsSpaceBetween;
  p.Alignment = rvaJustify;
  p.NextParaNo = 0;
  p.DefStyleNo = 2;
  p.BiDiMode = rvbdLeftToRight;
  p.Options = TRVParaOptions{rvpaoNoWrap,           rvpaoReadOnly,          rvpaoStyleProtect,
                             rvpaoDoNotWantReturns, rvpaoKeepLinesTogether, rvpaoKeepWithNext};
  p.Border.Style = rvbThickOutside;
  p.Border.Color = clGray;
  p.Border.Width = 2;
  p.Border.InternalWidth = 3;
  p.Border.BorderOffsets.Left = 1;
  p.Border.BorderOffsets.Top = 2;
  p.Border.BorderOffsets.Right = 3;
  p.Border.BorderOffsets.Bottom = 4;
  p.Border.VisibleBorders.SetValues(false, true, false, true);
  p.Background.Color = clInfoBk;
  p.Background.BorderOffsets.SetAll(6);
  p.SaveToINI(Ini(), "S", "%s");
  EXPECT_EQ(Ini().readInteger("S", "BorderWidth"), 2);
  EXPECT_EQ(Ini().readInteger("S", "BorderOffsetsLeft"), 1);
  EXPECT_EQ(Ini().readString("S", "BorderVisibleLeft"), "No");
  EXPECT_FALSE(Ini().valueExists("S", "BorderVisibleTop"));
  EXPECT_EQ(Ini().readInteger("S", "BackgroundOffsetsBottom"), 6);
  EXPECT_EQ(Ini().readInteger("S", "LSType"), 1);
  ASSERT_TRUE(Ini().flush());
  Ini().reload();
  TParaInfo q;
  q.LoadFromINI(Ini(), "S", "%s");
  EXPECT_TRUE(q.IsEqualTo(p, false));
  EXPECT_EQ(q.StyleName, "Boxed");
  EXPECT_EQ(q.BaseStyleNo, 1);

  TParaInfo d;
  d.SaveToINI(Ini(), "D", "%s");
  EXPECT_EQ(Ini().idents("D"), (std::vector<std::string>{"StyleName"}));
}

namespace {
QImage SmallImage() {
  QImage img(3, 2, QImage::Format_RGB32);
  img.fill(qRgb(10, 200, 30));
  img.setPixel(1, 1, qRgb(255, 0, 0));
  return img;
}
} // namespace

TEST_F(StyleIni, ListStyleRoundTripsEveryStoredLevelProperty) {
  TRVListInfo l;
  l.StyleName = "Numbers";
  l.OneLevelPreview = true;
  TRVListLevel *a = l.Levels.Add();
  a->ListType = rvlstDecimal;
  a->FormatString = "%0:s.";
  a->LeftIndent = 24;
  a->FirstIndent = -12;
  a->MarkerIndent = 4;
  a->MarkerAlignment = rvmaRight;
  a->Options = TRVListLevelOptions{};
  TRVMarkerFont *font = a->GetFont();
  font->Name = "Courier, New"; // a comma in the name
  font->Size = 11;
  font->Style = fsBold | fsStrikeOut;
  font->Color = clMaroon;
  font->Charset = 238;
  font->Pitch = 2;
  TRVListLevel *b = l.Levels.Add();
  b->ListType = rvlstUnicodeBullet;
  b->FormatStringW = u"\u25CF\u2022";
  b->ImageIndex = 3;
  TBitmap bmp(SmallImage());
  b->SetPicture(&bmp);
  l.SaveToINI(Ini(), "S", "%s");
  EXPECT_EQ(Ini().readInteger("S", "LevelsCount"), 2);
  EXPECT_EQ(Ini().readInteger("S", "LvlListType0"), int(rvlstDecimal));
  EXPECT_EQ(Ini().readString("S", "LvlGraphicClass1"), "TBitmap");
  EXPECT_EQ(Ini().readString("S", "LvlFormatStringW1"), "CF252220");
  EXPECT_EQ(Ini().readString("S", "LvlFont0"), "Courier, New,-15,BS,2,clMaroon,238");
  EXPECT_FALSE(Ini().readString("S", "LvlPicture1_0").empty());
  ASSERT_TRUE(Ini().flush());
  Ini().reload();

  TRVListInfo m;
  m.Levels.Add(); // loading replaces what was there
  m.LoadFromINI(Ini(), "S", "%s");
  ASSERT_EQ(m.Levels.Count(), 2);
  EXPECT_TRUE(m.IsEqualTo(l, true));
  EXPECT_EQ(m.StyleName, "Numbers");
  EXPECT_EQ(m.Levels.Items(0)->FontIfAny()->Name, "Courier, New");
  EXPECT_EQ(m.Levels.Items(0)->FontIfAny()->Pitch, 2);
  EXPECT_EQ(m.Levels.Items(1)->FontIfAny(), nullptr);
  ASSERT_TRUE(m.Levels.Items(1)->HasPicture());
  EXPECT_EQ(m.Levels.Items(1)->PictureIfAny()->width(), 3);
}

TEST_F(StyleIni, EveryListLevelPropertyRoundTrips) {
  // The image list is a reference to the document's own and has no ini form.
  using LevelSetter = std::function<void(TRVListLevel &)>;
  const std::pair<const char *, LevelSetter> setters[] = {
      {"ListType", [](TRVListLevel &l) { l.ListType = rvlstUpperRoman; }},
      {"Picture",
       [](TRVListLevel &l) {
         TBitmap bmp(SmallImage());
         l.SetPicture(&bmp);
       }},
      {"ImageIndex", [](TRVListLevel &l) { l.ImageIndex = 4; }},
      {"FormatString", [](TRVListLevel &l) { l.FormatString = "%0:s.%1:s)"; }},
      {"FormatStringW", [](TRVListLevel &l) { l.FormatStringW = u"\u2192"; }},
      {"LeftIndent", [](TRVListLevel &l) { l.LeftIndent = 36; }},
      {"FirstIndent", [](TRVListLevel &l) { l.FirstIndent = -18; }},
      {"MarkerIndent", [](TRVListLevel &l) { l.MarkerIndent = 6; }},
      {"MarkerAlignment", [](TRVListLevel &l) { l.MarkerAlignment = rvmaCenter; }},
      {"Font", [](TRVListLevel &l) { l.GetFont()->Name = "Symbol"; }},
      {"not continuous", [](TRVListLevel &l) { l.Options.Exclude(rvloContinuous); }},
      {"no level reset", [](TRVListLevel &l) { l.Options.Exclude(rvloLevelReset); }},
      {"legal numbering", [](TRVListLevel &l) { l.Options.Include(rvloLegalStyleNumbering); }},
      {"StartFrom", [](TRVListLevel &l) { l.StartFrom = 5; }},
      {"StartFrom zero", [](TRVListLevel &l) { l.StartFrom = 0; }},
  };
  int n = 0;
  for (const auto &[name, set] : setters) {
    SCOPED_TRACE(name);
    TRVListInfo l;
    set(*l.Levels.Add());
    TRVListLevel reference;
    ASSERT_FALSE(l.Levels.Items(0)->IsEqual(reference)) << "the row changes nothing";
    std::string section = "L" + std::to_string(n++);
    l.SaveToINI(Ini(), section, "%s");
    ASSERT_TRUE(Ini().flush());
    Ini().reload();
    TRVListInfo m;
    m.LoadFromINI(Ini(), section, "%s");
    ASSERT_EQ(m.Levels.Count(), 1);
    EXPECT_TRUE(m.Levels.Items(0)->IsEqual(*l.Levels.Items(0)));
  }
}

TEST_F(StyleIni, StartNumberAndLegalNumberingAreWrittenOnlyWhenSet) {
  TRVListInfo l;
  TRVListLevel *a = l.Levels.Add();
  a->StartFrom = 5;
  a->Options.Include(rvloLegalStyleNumbering);
  l.Levels.Add();
  l.SaveToINI(Ini(), "S", "%s");
  EXPECT_EQ(Ini().readString("S", "LvlStartFrom0"), "5");
  EXPECT_EQ(Ini().readString("S", "LvlLegalStyleNumbering0"), "Yes");
  EXPECT_FALSE(Ini().valueExists("S", "LvlStartFrom1"));
  EXPECT_FALSE(Ini().valueExists("S", "LvlLegalStyleNumbering1"));
  // A file written before the keys existed reads as it always did.
  Ini().writeString("O", "LevelsCount", "1");
  Ini().writeString("O", "LvlListType0", "3");
  TRVListInfo old;
  old.LoadFromINI(Ini(), "O", "%s");
  ASSERT_EQ(old.Levels.Count(), 1);
  EXPECT_EQ(old.Levels.Items(0)->StartFrom, 1);
  EXPECT_EQ(old.Levels.Items(0)->Options, (TRVListLevelOptions{rvloContinuous, rvloLevelReset}));
}

TEST_F(StyleIni, MarkerFontColourIsTheClassLibrarysColourText) {
  struct {
    TColor Color;
    const char *Text;
  } const cases[] = {
      {clWindowText, "clWindowText"},       {TColor(0xC0DCC0), "clMoneyGreen"}, {TColor(0xF0FBFF), "clCream"},
      {TColor(0xA4A0A0), "clMedGray"},      {clHotLight, "clHotLight"},         {clMenuBar, "clMenuBar"},
      {RGB(0x56, 0x34, 0x12), "$00123456"}, {sysColor(25), "$FF000019"},
  };
  for (const auto &c : cases) {
    TRVListInfo l;
    l.Levels.Add()->GetFont()->Color = c.Color;
    l.SaveToINI(Ini(), "C", "%s");
    EXPECT_EQ(Ini().readString("C", "LvlFont0"), std::string("Arial,-11,,0,") + c.Text + ",1") << c.Text;
    TRVListInfo m;
    m.LoadFromINI(Ini(), "C", "%s");
    ASSERT_NE(m.Levels.Items(0)->FontIfAny(), nullptr);
    EXPECT_EQ(m.Levels.Items(0)->FontIfAny()->Color, c.Color) << c.Text;
  }
}

TEST_F(StyleIni, MiddleDotLevelStoresItsBulletAndDefaults) {
  TRVListInfo l;
  l.Levels.Add();
  l.SaveToINI(Ini(), "S", "List%s");
  EXPECT_EQ(Ini().idents("S"), (std::vector<std::string>{"ListStyleName", "ListLevelsCount", "ListLvlFormatString0"}));
}

TEST_F(StyleIni, LongStringsGoInPiecesOf500) {
  struct {
    size_t Length;
    std::vector<size_t> Pieces;
  } const cases[] = {{1234, {500, 500, 234}}, {500, {500}}, {0, {}}, {1000, {500, 500}}};
  int n = 0;
  for (const auto &c : cases) {
    std::string section = "L" + std::to_string(n++);
    std::string value;
    for (size_t i = 0; i < c.Length; ++i) value += char('A' + i % 26);
    WriteLongString(Ini(), section, "K", value);
    std::vector<std::string> ids = Ini().idents(section);
    ASSERT_EQ(ids.size(), c.Pieces.size()) << c.Length;
    for (size_t i = 0; i < ids.size(); ++i) {
      EXPECT_EQ(ids[i], "K_" + std::to_string(i));
      EXPECT_EQ(Ini().readString(section, ids[i]).size(), c.Pieces[i]);
    }
    EXPECT_EQ(ReadLongString(Ini(), section, "K"), value);
  }
}

TEST_F(StyleIni, HostileValuesAreRangeChecked) {
  struct {
    const char *Key;
    const char *Value;
  } const values[] = {
      {"BaseStyleNo", "-7"},       {"NextStyleNo", "-2147483648"}, {"Charset", "300"},
      {"BiDiMode", "9"},           {"Protection", "-1"},           {"Size", "banana"},
      {"CharScale", "2147483647"}, {"CharSpacing", "-2147483648"},
  };
  for (const auto &v : values) Ini().writeString("T", v.Key, v.Value);
  TFontInfo f;
  f.LoadFromINI(Ini(), "T", "%s");
  EXPECT_EQ(f.BaseStyleNo, -1);
  EXPECT_EQ(f.NextStyleNo, -1);
  EXPECT_EQ(f.Charset, 1);
  EXPECT_EQ(f.BiDiMode, rvbdUnspecified);
  EXPECT_EQ(f.Protection.Raw_(), 0x3FF);
  EXPECT_EQ(f.Size, 10);
  EXPECT_EQ(f.CharScale, RVMaxCharScale);
  EXPECT_EQ(f.CharSpacing, -RVMaxCharSpacing);

  Ini().writeString("P", "Alignment", "4");
  Ini().writeString("P", "LSType", "-1");
  Ini().writeString("P", "BorderStyle", "6");
  Ini().writeString("P", "DefStyleNo", "-3");
  Ini().writeString("P", "NextParaNo", "-9");
  TParaInfo p;
  p.LoadFromINI(Ini(), "P", "%s");
  EXPECT_EQ(p.Alignment, rvaLeft);
  EXPECT_EQ(p.LineSpacingType, rvlsPercent);
  EXPECT_EQ(p.Border.Style, rvbNone);
  EXPECT_EQ(p.DefStyleNo, -1);
  EXPECT_EQ(p.NextParaNo, -1);
}

TEST_F(StyleIni, HostileListValuesNeverAllocateOrCrash) {
  struct Case {
    const char *Name;
    std::vector<std::pair<const char *, const char *>> Values;
    std::function<void(const TRVListInfo &)> Check;
  };
  const Case cases[] = {
      {"negative count", {{"LevelsCount", "-5"}}, [](const TRVListInfo &l) { EXPECT_EQ(l.Levels.Count(), 0); }},
      {"huge count", {{"LevelsCount", "2000000000"}}, [](const TRVListInfo &l) { EXPECT_EQ(l.Levels.Count(), 256); }},
      {"odd hex",
       {{"LevelsCount", "1"}, {"LvlFormatStringW0", "ABC"}},
       [](const TRVListInfo &l) { EXPECT_TRUE(l.Levels.Items(0)->FormatStringW.empty()); }},
      {"odd byte count",
       {{"LevelsCount", "1"}, {"LvlFormatStringW0", "ABCDEF"}},
       [](const TRVListInfo &l) { EXPECT_TRUE(l.Levels.Items(0)->FormatStringW.empty()); }},
      {"not hex",
       {{"LevelsCount", "1"}, {"LvlFormatStringW0", "zz00"}},
       [](const TRVListInfo &l) { EXPECT_TRUE(l.Levels.Items(0)->FormatStringW.empty()); }},
      {"unknown graphic",
       {{"LevelsCount", "1"}, {"LvlGraphicClass0", "TNoSuch"}, {"LvlPicture0_0", "00"}},
       [](const TRVListInfo &l) { EXPECT_FALSE(l.Levels.Items(0)->HasPicture()); }},
      {"damaged picture",
       {{"LevelsCount", "1"}, {"LvlGraphicClass0", "TBitmap"}, {"LvlPicture0_0", "424D0"}},
       [](const TRVListInfo &l) { EXPECT_FALSE(l.Levels.Items(0)->HasPicture()); }},
      {"bitmap header lying about its size",
       {{"LevelsCount", "1"}, {"LvlGraphicClass0", "TBitmap"}, {"LvlPicture0_0", "424DFFFFFFFF0000000036000000"}},
       [](const TRVListInfo &l) { EXPECT_FALSE(l.Levels.Items(0)->HasPicture()); }},
      {"short font",
       {{"LevelsCount", "1"}, {"LvlFont0", "Symbol,-20"}},
       [](const TRVListInfo &l) {
         const TRVMarkerFont *f = l.Levels.Items(0)->FontIfAny();
         ASSERT_NE(f, nullptr);
         EXPECT_EQ(f->Name, "Symbol");
         EXPECT_EQ(f->Height(), -20);
         EXPECT_EQ(f->Color, clWindowText);
       }},
      {"font with junk",
       {{"LevelsCount", "1"}, {"LvlFont0", ",x,zz,99,$FFFFFFFFFF,-4"}},
       [](const TRVListInfo &l) {
         const TRVMarkerFont *f = l.Levels.Items(0)->FontIfAny();
         ASSERT_NE(f, nullptr);
         EXPECT_EQ(f->Name, "");
         EXPECT_EQ(f->Size, 8);
         EXPECT_EQ(f->Pitch, 0);
         EXPECT_EQ(f->Color, clWindowText);
         EXPECT_EQ(f->Charset, 1);
       }},
      {"types out of range",
       {{"LevelsCount", "1"}, {"LvlListType0", "10"}, {"LvlMarkerAlignment0", "-1"}},
       [](const TRVListInfo &l) {
         EXPECT_EQ(l.Levels.Items(0)->ListType, rvlstBullet);
         EXPECT_EQ(l.Levels.Items(0)->MarkerAlignment, rvmaLeft);
       }},
  };
  int n = 0;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Name);
    std::string section = "C" + std::to_string(n++);
    for (const auto &[k, v] : c.Values) Ini().writeString(section, k, v);
    TRVListInfo l;
    l.LoadFromINI(Ini(), section, "%s");
    c.Check(l);
  }
}

TEST(RVHexToBytes, RefusesOddAndForeignText) {
  std::string out = "x";
  EXPECT_TRUE(RVHexToBytes("00FFa0", out));
  EXPECT_EQ(out, std::string("\x00\xFF\xA0", 3));
  EXPECT_FALSE(RVHexToBytes("0", out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(RVHexToBytes("0G", out));
  EXPECT_EQ(RVBytesToHex(std::string("\x00\xAB\x7F", 3)), "00AB7F");
}

TEST(RVApplyKeyFormat, FormsNestedKeys) {
  EXPECT_EQ(RVApplyKeyFormat("%s", "Width"), "Width");
  EXPECT_EQ(RVApplyKeyFormat(RVApplyKeyFormat("%s", "Border%s"), "Offsets%s"), "BorderOffsets%s");
  EXPECT_EQ(RVApplyKeyFormat("Lvl%s0", "ListType"), "LvlListType0");
  EXPECT_EQ(RVApplyKeyFormat("%d%s%s", "X"), "%dX%s");
  EXPECT_EQ(RVApplyKeyFormat("Plain", "X"), "Plain");
}
