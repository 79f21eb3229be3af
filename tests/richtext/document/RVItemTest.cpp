// The item class tree: the factory and registry, copying with tags and
// checkpoints, the numbered properties, extra-property lines and the common
// RVF header pieces.
#include "richtext/document/RVItem.h"

#include <gtest/gtest.h>

#include "richtext/document/CRVData.h"
#include "richtext/document/RVMarker.h"

using namespace kc;

namespace {

class TTestItem : public TRVNonTextItemInfo {
public:
  using TRVNonTextItemInfo::TRVNonTextItemInfo;
  std::unique_ptr<TCustomRVItemInfo> NewInstance(TCustomRVData *RVData) const override {
    return std::make_unique<TTestItem>(RVData);
  }
  std::vector<std::string> Unknown;
  void ReadUnknownRvfProperty(const std::string &Name, const std::string &Value) override {
    Unknown.push_back(Name + "|" + Value);
  }
};

class TOtherItem : public TTestItem {
public:
  using TTestItem::TTestItem;
};

} // namespace

TEST(ItemFactory, CreatesTheBuiltInKinds) {
  struct Case {
    int styleNo;
    const char *cls;
  } cases[] = {{0, "text"},
               {7, "text"},
               {rvsBreak, "break"},
               {rvsPicture, "picture"},
               {rvsHotspot, "hotspot"},
               {rvsComponent, "control"},
               {rvsBullet, "bullet"},
               {rvsHotPicture, "hotpicture"},
               {rvsListMarker, "marker"}};
  for (const Case &c : cases) {
    std::unique_ptr<TCustomRVItemInfo> item = CreateItemByStyleNo(c.styleNo, nullptr);
    ASSERT_NE(item, nullptr) << c.styleNo;
    EXPECT_EQ(item->StyleNo, c.styleNo);
    EXPECT_EQ(item->DrawLineMark, -1);
    const std::string cls = c.cls;
    EXPECT_EQ(dynamic_cast<TRVTextItemInfo *>(item.get()) != nullptr, cls == "text") << c.styleNo;
    EXPECT_EQ(dynamic_cast<TRVMarkerItemInfo *>(item.get()) != nullptr, cls == "marker") << c.styleNo;
    EXPECT_EQ(dynamic_cast<TRVHotspotItemInfo *>(item.get()) != nullptr, cls == "hotspot") << c.styleNo;
    EXPECT_EQ(dynamic_cast<TRVHotGraphicItemInfo *>(item.get()) != nullptr, cls == "hotpicture") << c.styleNo;
  }
  for (int reserved : {-2, -7, -8, -9, -61}) EXPECT_EQ(CreateItemByStyleNo(reserved, nullptr), nullptr) << reserved;
  // The virtual constructor leaves the fields zero; rectangles space by 1.
  auto brk = CreateItemByStyleNo(rvsBreak, nullptr);
  auto *b = static_cast<TRVBreakItemInfo *>(brk.get());
  EXPECT_EQ(b->LineWidth, 0);
  EXPECT_EQ(b->BreakStyle, 0);
  EXPECT_EQ(b->Color, TColor(0));
  EXPECT_EQ(b->ParaNo, 0);
  auto pic = CreateItemByStyleNo(rvsPicture, nullptr);
  EXPECT_EQ(static_cast<TRVRectItemInfo *>(pic.get())->Spacing, 1);
}

TEST(ItemFactory, RegistryAcceptsOnlyFreeKinds) {
  RegisterItemType(-60, &RVItemClassOf<TTestItem>);
  RegisterItemType(-60, &RVItemClassOf<TTestItem>); // the same class again
  EXPECT_THROW(RegisterItemType(-60, &RVItemClassOf<TOtherItem>), ERichVistaError);
  EXPECT_THROW(RegisterItemType(-5, &RVItemClassOf<TTestItem>), ERichVistaError);
  EXPECT_THROW(RegisterItemType(-9, &RVItemClassOf<TTestItem>), ERichVistaError);
  std::unique_ptr<TCustomRVItemInfo> item = CreateItemByStyleNo(-60, nullptr);
  ASSERT_NE(dynamic_cast<TTestItem *>(item.get()), nullptr);
  EXPECT_EQ(item->StyleNo, -60);
}

TEST(ItemCopy, CopiesPropertiesTagAndCheckpoint) {
  TRVDataHost host;
  host.Options.Include(rvoTagsArePChars);
  TCustomRVData d;
  d.SetHost(&host);
  TRVGraphicItemInfo src(&d, std::make_unique<TBitmap>(QImage(3, 4, QImage::Format_RGB32)), rvvaMiddle);
  src.ParaNo = 2;
  src.ItemOptions = TRVItemOptions{rvioPageBreakBefore};
  src.Hint = "hint";
  src.Spacing = 4;
  src.VShift = -3;
  src.DeleteProtect = true;
  src.ImageWidth = 30;
  src.Alt = "alt";
  src.Tag = TRVTag::FromText("text tag");
  src.Checkpoint = std::make_unique<TRVCPInfo>();
  TRVCPInfo &cp = *src.Checkpoint;
  cp.Name = "cp";
  cp.RaiseEvent = true;
  cp.Persistent = true;
  cp.Tag = TRVTag::FromText("cp tag");

  std::unique_ptr<TCustomRVItemInfo> copy = CopyItem(src, &d, true);
  auto *g = dynamic_cast<TRVGraphicItemInfo *>(copy.get());
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->StyleNo, rvsPicture);
  EXPECT_EQ(g->ParaNo, 2);
  EXPECT_TRUE(g->GetPageBreakBefore());
  EXPECT_EQ(g->Hint, "hint");
  EXPECT_EQ(g->Spacing, 4);
  EXPECT_EQ(g->VShift, -3);
  EXPECT_EQ(g->VAlign, rvvaMiddle);
  EXPECT_TRUE(g->DeleteProtect);
  EXPECT_EQ(g->ImageWidth, 30);
  EXPECT_EQ(g->Alt, "alt");
  ASSERT_NE(g->Image, nullptr);
  EXPECT_NE(g->Image.get(), src.Image.get()); // the picture is copied
  EXPECT_EQ(g->Image->height(), 4);
  // The text tag is a separate copy.
  EXPECT_EQ(g->Tag.AsText(), "text tag");
  EXPECT_NE(&g->Tag.AsText(), &src.Tag.AsText());
  src.Tag = TRVTag::FromText("changed");
  EXPECT_EQ(g->Tag.AsText(), "text tag");
  ASSERT_NE(g->Checkpoint, nullptr);
  EXPECT_NE(g->Checkpoint.get(), &cp);
  EXPECT_EQ(g->Checkpoint->Name, "cp");
  EXPECT_EQ(g->Checkpoint->Tag.AsText(), "cp tag");

  // A document that takes the copy links its checkpoint.
  d.AddItem("pic", std::move(copy));
  EXPECT_EQ(d.CPCount, 1);
  ASSERT_NE(d.GetItemCheckpoint(0), nullptr);
  EXPECT_EQ(d.GetItemCheckpoint(0)->Name, "cp");
  EXPECT_TRUE(d.GetItemCheckpoint(0)->Persistent);
  EXPECT_EQ(d.FirstCP, d.GetItemCheckpoint(0));

  std::unique_ptr<TCustomRVItemInfo> noCp = CopyItem(*d.GetItem(0), &d, false);
  EXPECT_EQ(noCp->Checkpoint, nullptr);
}

TEST(ItemCopy, CopiedItemWithCheckpointFreedUnadded) {
  TRVTextItemInfo src(nullptr);
  src.Checkpoint = std::make_unique<TRVCPInfo>();
  src.Checkpoint->Name = "x";
  std::unique_ptr<TCustomRVItemInfo> copy = CopyItem(src, nullptr, true);
  TCustomRVData d;
  // Freeing an item whose checkpoint never joined the document frees it
  // without touching the document's count (checked by the leak sanitizer).
  d.FreeItem(std::move(copy), false);
  EXPECT_EQ(d.CPCount, 0);
}

TEST(ItemTags, EqualityAndKinds) {
  TRVTag a = 5, b = 5, t = TRVTag::FromText("5");
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a == t);
  struct Case {
    TRVTag A, B;
    bool TagsArePChars, Equal;
  };
  const Case cases[] = {
      {TRVTag(), TRVTag(), true, true},
      {TRVTag(), TRVTag::FromText(""), true, false},
      {TRVTag::FromText("x"), TRVTag(), true, false},
      {TRVTag::FromText("x"), TRVTag::FromText("x"), true, true},
      {TRVTag::FromText("x"), TRVTag::FromText("y"), true, false},
      {TRVTag(1), TRVTag(1), false, true},
      {TRVTag(1), TRVTag(2), false, false},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(AreTagsEqual(c.A, c.B, c.TagsArePChars), c.Equal) << c.A.AsText() << "/" << c.B.AsText();
    EXPECT_EQ(AreTagsEqual(c.B, c.A, c.TagsArePChars), c.Equal);
  }
  TRVTag c = t;
  EXPECT_TRUE(c.IsText());
  c.Clear();
  EXPECT_FALSE(c.IsText());
  EXPECT_EQ(c.AsText(), "");
}

// A hint set to an empty text is no hint (nothing written to RVF), and a
// copied hint is the copy's own.
TEST(ItemHints, EmptyIsNoneAndCopiesAreOwn) {
  TRVBreakItemInfo a(nullptr), b(nullptr);
  a.Hint = "tip";
  b.AssignProperties(a);
  a.Hint = "other";
  EXPECT_EQ(b.Hint, "tip");
  EXPECT_EQ(b.GetRvfExtraPropertyCount(), 1);
  EXPECT_FALSE(a.Hint == b.Hint);
  a.Hint = "";
  EXPECT_TRUE(a.Hint.empty());
  EXPECT_EQ(a.GetRvfExtraPropertyCount(), 0);
  std::string none;
  a.WriteRvfExtraProperties(none);
  EXPECT_EQ(none, "");
  b.AssignProperties(a);
  EXPECT_TRUE(b.Hint.empty());
  EXPECT_TRUE(a.SetExtraStrProperty(rvespHint, "x"));
  std::string got;
  EXPECT_TRUE(a.GetExtraStrProperty(rvespHint, got));
  EXPECT_EQ(got, "x");
}

TEST(ItemFlags, YesNoPropertiesByClass) {
  auto pic = std::make_unique<TRVGraphicItemInfo>(nullptr);
  TRVBreakItemInfo brk(nullptr);
  TRVTextItemInfo text(nullptr);
  TRVControlItemInfo ctl(nullptr);
  TRVBulletItemInfo bul(nullptr);
  // property: base text, break, picture (no picture), control (no control), bullet (no list)
  struct Case {
    int prop;
    bool text, brk, pic, ctl, bul;
  } cases[] = {
      {0, false, true, false, false, false},   {1, true, true, false, false, false},
      {2, true, false, true, true, true},      {3, false, false, true, true, true},
      {4, false, false, true, false, false},   {5, false, false, false, false, false},
      {7, false, false, false, true, false},   {8, false, false, false, false, false},
      {9, false, false, false, true, false},   {10, false, false, false, false, false},
      {11, false, false, false, false, false}, {13, true, true, true, true, true},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(text.GetFlag(c.prop), c.text) << c.prop;
    EXPECT_EQ(brk.GetFlag(c.prop), c.brk) << c.prop;
    EXPECT_EQ(pic->GetFlag(c.prop), c.pic) << c.prop;
    EXPECT_EQ(ctl.GetFlag(c.prop), c.ctl) << c.prop;
    EXPECT_EQ(bul.GetFlag(c.prop), c.bul) << c.prop;
  }
  pic->Image = std::make_unique<TBitmap>(QImage(2, 2, QImage::Format_RGB32));
  EXPECT_TRUE(pic->GetFlag(rvbpValid));
  EXPECT_TRUE(pic->GetFlag(rvbpResizable));
  pic->Image = std::make_unique<TIcon>();
  EXPECT_FALSE(pic->GetFlag(rvbpResizable));
  EXPECT_TRUE(pic->GetStyleFlag(rvbsfPrintToBMP, nullptr));
  pic->Image = std::make_unique<TMetafile>();
  EXPECT_FALSE(pic->GetStyleFlag(rvbsfPrintToBMP, nullptr));
  EXPECT_FALSE(brk.GetStyleFlag(rvbsfPrintToBMP, nullptr));
  EXPECT_TRUE(text.GetStyleFlag(rvbsfPrintToBMP, nullptr));
}

TEST(ItemFlags, HyperlinksByStyle) {
  TRVStyle st;
  TFontInfo *jump = st.TextStyles().Add();
  jump->Jump = true;
  TRVTextItemInfo text(nullptr);
  text.StyleNo = jump->Index();
  for (int p : {rvbsfJump, rvbsfAllowFocus, rvbsfXORFocus}) EXPECT_TRUE(text.GetStyleFlag(p, &st)) << p;
  text.StyleNo = 0;
  EXPECT_FALSE(text.GetStyleFlag(rvbsfJump, &st));
  EXPECT_FALSE(text.GetStyleFlag(rvbsfJump, nullptr));
  TRVHotGraphicItemInfo hot(nullptr);
  EXPECT_TRUE(hot.GetStyleFlag(rvbsfJump, nullptr));
  EXPECT_TRUE(hot.GetStyleFlag(rvbsfHotSpot, nullptr));
  TRVHotspotItemInfo hs(nullptr);
  hs.ImageIndex = hs.HotImageIndex = 2;
  EXPECT_TRUE(hs.GetStyleFlag(rvbsfJump, nullptr));
  EXPECT_FALSE(hs.GetStyleFlag(rvbsfHotSpot, nullptr)); // does not change under the mouse
  hs.HotImageIndex = 3;
  EXPECT_TRUE(hs.GetStyleFlag(rvbsfHotSpot, nullptr));
  EXPECT_EQ(hs.GetImageIndex(true), 3);
  EXPECT_EQ(hs.GetImageIndex(false), 2);
}

TEST(ItemJumps, HyperlinksJumpThroughTheirDocument) {
  struct JumpData : TCustomRVData {
    std::vector<int> jumps;
    void DoJump(int ID) override { jumps.push_back(ID); }
  } d;
  TRVStyle st;
  st.TextStyles()[0]->Jump = true;
  TRVDataHost host;
  host.Style = &st;
  d.SetHost(&host);
  d.FirstJumpNo = 10;
  TRVTextItemInfo text(&d);
  text.JumpID = 2;
  text.ExecuteJump(&d);
  TRVHotGraphicItemInfo hot(&d);
  hot.JumpID = 5;
  hot.ExecuteJump(&d);
  TRVGraphicItemInfo plain(&d);
  plain.ExecuteJump(&d);
  EXPECT_EQ(d.jumps, (std::vector<int>{12, 15}));
}

TEST(ItemExtraProperties, ReadingLines) {
  TTestItem item(nullptr);
  item.ReadRvfExtraProperty("hint=a=b");
  EXPECT_EQ(item.Hint, "a=b");
  item.ReadRvfExtraProperty("unremovable=1");
  EXPECT_TRUE(item.DeleteProtect);
  item.ReadRvfExtraProperty("unremovable=x");
  EXPECT_FALSE(item.DeleteProtect); // not a number: 0
  item.ReadRvfExtraProperty("width");
  item.ReadRvfExtraProperty("mystery=7");
  EXPECT_EQ(item.Unknown, (std::vector<std::string>{"mystery|7"})); // "width" without "=" is ignored

  TRVGraphicItemInfo pic(nullptr);
  pic.ReadRvfExtraProperty("vshift=abc");
  EXPECT_EQ(pic.VShift, 0);
  pic.ReadRvfExtraProperty("vshift=-12");
  EXPECT_EQ(pic.VShift, -12);
  pic.ReadRvfExtraProperty("spacing=-4");
  EXPECT_EQ(pic.Spacing, 0); // negative spacing is stored as 0
  // Sizes from a file stay within what a picture can be.
  pic.ReadRvfExtraProperty("spacing=2147483647");
  EXPECT_EQ(pic.Spacing, kMaxGraphicSide);
  pic.ReadRvfExtraProperty("height=99999999999");
  EXPECT_LE(pic.ImageHeight, kMaxGraphicSide);
  pic.ReadRvfExtraProperty("width=40");
  pic.ReadRvfExtraProperty("filename=c:\\a.png");
  EXPECT_EQ(pic.ImageWidth, 40);
  EXPECT_EQ(pic.ImageFileName, "c:\\a.png");
  // Bitmap properties are refused without a bitmap.
  EXPECT_FALSE(pic.SetExtraIntProperty(rvepTransparent, 1));
  int v = 0;
  EXPECT_FALSE(pic.GetExtraIntProperty(rvepResizable, v));
  EXPECT_TRUE(pic.GetExtraIntProperty(rvepImageWidth, v));
  EXPECT_EQ(v, 40);
}

TEST(ItemExtraProperties, WrittenInOrderWithMatchingCount) {
  auto bmp = std::make_unique<TBitmap>(QImage(2, 2, QImage::Format_RGB32));
  bmp->transparent = true;
  bmp->transparentMode = 1;
  bmp->transparentColor = 0xFF;
  TRVGraphicItemInfo pic(nullptr, std::move(bmp), rvvaBaseline);
  pic.Hint = "h";
  pic.DeleteProtect = true;
  pic.VShift = 3;
  pic.VShiftAbs = true;
  pic.Spacing = 0;
  pic.ImageWidth = 5;
  pic.ImageHeight = 6;
  pic.MinHeightOnPage = 7;
  pic.NoHTMLImageSize = true;
  pic.ImageFileName = "f";
  pic.Alt = "a";
  std::string s;
  pic.WriteRvfExtraProperties(s);
  EXPECT_EQ(s,
            "hint=h\r\nunremovable=1\r\nvshift=3\r\nvshiftabs=1\r\nspacing=0\r\nwidth=5\r\nheight=6\r\n"
            "minheightonpage=7\r\nnohtmlsize=1\r\ntransparent=1\r\ntmode=1\r\ntcolor=255\r\nfilename=f\r\nalt=a\r\n");
  EXPECT_EQ(pic.GetRvfExtraPropertyCount(), 14);
  // Read back into a fresh item: the same values.
  TRVGraphicItemInfo back(nullptr, std::make_unique<TBitmap>(), rvvaBaseline);
  size_t start = 0;
  while (start < s.size()) {
    const size_t end = s.find("\r\n", start);
    back.ReadRvfExtraProperty(s.substr(start, end - start));
    start = end + 2;
  }
  std::string again;
  back.WriteRvfExtraProperties(again);
  EXPECT_EQ(again, s);
}

TEST(ItemHeaderTails, ReadAndWrite) {
  TRVTextItemInfo text(nullptr);
  EXPECT_TRUE(text.ReadRvfHeaderTail("\"say \"\"hi\"\"\"", nullptr));
  EXPECT_EQ(text.Hint, "say \"hi\"");
  EXPECT_FALSE(text.ReadRvfHeaderTail("\"open", nullptr));

  TRVBreakItemInfo brk(nullptr);
  brk.Color = clRed;
  brk.BreakStyle = 2;
  brk.LineWidth = 3;
  EXPECT_EQ(brk.WriteRvfHeaderTail(nullptr), "255 2 3");
  EXPECT_TRUE(brk.ReadRvfHeaderTail("", nullptr));
  EXPECT_EQ(brk.Color, clNone);
  EXPECT_EQ(brk.BreakStyle, 0);
  EXPECT_EQ(brk.LineWidth, 1);
  EXPECT_TRUE(brk.ReadRvfHeaderTail("\r\n", nullptr));
  EXPECT_EQ(brk.LineWidth, 1);
  EXPECT_TRUE(brk.ReadRvfHeaderTail("16711680 1 4", nullptr));
  EXPECT_EQ(brk.Color, clBlue);
  EXPECT_EQ(brk.LineWidth, 4);
  EXPECT_FALSE(brk.ReadRvfHeaderTail("red", nullptr));

  TRVGraphicItemInfo pic(nullptr);
  EXPECT_TRUE(pic.ReadRvfHeaderTail("1", nullptr));
  EXPECT_EQ(pic.VAlign, rvvaMiddle);
  EXPECT_TRUE(pic.ReadRvfHeaderTail("", nullptr));
  EXPECT_EQ(pic.VAlign, rvvaBaseline);
  EXPECT_EQ(pic.WriteRvfHeaderTail(nullptr), "0");
}

TEST(ItemStyles, MarkAndRenumber) {
  TRVTextItemInfo text(nullptr);
  text.StyleNo = 2;
  text.ParaNo = 1;
  TRVIntegerList tu, pu, lu;
  tu.Fill(4, 0);
  pu.Fill(3, 0);
  text.MarkUsedStyles(tu, pu, lu);
  EXPECT_EQ(tu.Values(), (std::vector<int32_t>{0, 0, 1, 0}));
  EXPECT_EQ(pu.Values(), (std::vector<int32_t>{0, 1, 0}));
  TRVTextItemInfo def(nullptr);
  def.StyleNo = rvsDefStyle;
  tu.Fill(4, 0);
  def.MarkUsedStyles(tu, pu, lu);
  EXPECT_EQ(tu.Values(), (std::vector<int32_t>{0, 0, 0, 0}));

  TRVIntegerList ts, ps, ls;
  for (int v : {1, 1, 2, 2}) ts.Add(v);
  for (int v : {1, 2, 2}) ps.Add(v);
  text.RenumberStyles(ts, ps, ls);
  EXPECT_EQ(text.StyleNo, 1);
  EXPECT_EQ(text.ParaNo, 0);
  def.RenumberStyles(ts, ps, ls);
  EXPECT_EQ(def.StyleNo, rvsDefStyle);
}

TEST(ItemHints, ShownThroughTheHostWhenAsked) {
  struct HintHost : TRVDataHost {
    std::vector<std::string> shown;
    int beeps = 0;
    void DoItemHint(TCustomRVData *, int ItemNo, std::string &HintText) override {
      HintText += "#" + std::to_string(ItemNo);
    }
    void ShowHint(const std::string &HintText) override { shown.push_back(HintText); }
    void Beep() override { ++beeps; }
  } host;
  TRVStyle st;
  host.Style = &st;
  TCustomRVData d;
  d.SetHost(&host);
  TRVTextItemInfo item(&d);
  item.Hint = "tip";
  item.ShowItemHint(&d, 2);
  EXPECT_TRUE(host.shown.empty()); // item hints are off
  host.Options.Include(rvoShowItemHints);
  item.ShowItemHint(&d, 2);
  EXPECT_EQ(host.shown, (std::vector<std::string>{"tip#2"}));

  d.Beep();
  st.UseSound = false;
  d.Beep();
  EXPECT_EQ(host.beeps, 1);
}
