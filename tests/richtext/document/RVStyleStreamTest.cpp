// The stored form of the style tables inside documents: the component-stream
// collection of each table, its defaults, image-list tags, and damaged data.
#include "richtext/document/RVStyle.h"

#include <gtest/gtest.h>

#include <QImage>

#include "platform/ImageList.h"

using namespace kc;

namespace {

template <class Table> void ExpectSameTables(const Table &a, const Table &b) {
  ASSERT_EQ(a.Count(), b.Count());
  for (int i = 0; i < a.Count(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(a.Items(i)->IsEqualTo(*b.Items(i), false));
    EXPECT_EQ(a.Items(i)->StyleName, b.Items(i)->StyleName);
    EXPECT_EQ(a.Items(i)->BaseStyleNo, b.Items(i)->BaseStyleNo);
    EXPECT_EQ(a.Items(i)->Standard, b.Items(i)->Standard);
  }
}

bool Contains(const std::string &s, const std::string &part) { return s.find(part) != std::string::npos; }

// A name as the stream holds it: a length byte, then the bytes.
std::string Short(const std::string &s) {
  std::string r(1, char(s.size()));
  r += s;
  return r;
}

} // namespace

TEST(StyleStream, DefaultTablesRoundTrip) {
  TRVStyle s;
  std::string text = s.TextStyles().SaveToStream();
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(uint8_t(text[0]), 14);
  TRVStyle t;
  t.TextStyles().Clear();
  bool unknown = false;
  ASSERT_TRUE(t.TextStyles().LoadFromStream(text, unknown));
  EXPECT_FALSE(unknown);
  ExpectSameTables(s.TextStyles(), t.TextStyles());
  EXPECT_EQ(t.TextStyles()[4]->JumpCursor, 101);

  TParaInfos paras(nullptr);
  ASSERT_TRUE(paras.LoadFromStream(s.ParaStyles().SaveToStream(), unknown));
  ExpectSameTables(s.ParaStyles(), paras);
}

TEST(StyleStream, EveryPropertyRoundTrips) {
  TRVStyle s;
  TFontInfo *f = s.TextStyles()[2];
  f->BiDiMode = rvbdRightToLeft;
  f->Jump = true;
  f->JumpCursor = 3;
  f->FontName = std::string("Font\0with nul and \xE9", 19);
  f->Size = 300;
  f->Color = RGB(1, 2, 3);
  f->BackColor = clInfoBk;
  f->HoverColor = clRed;
  f->HoverBackColor = sysColor(25);
  f->Style = fsItalic | fsStrikeOut;
  f->StyleEx = TRVFontStyles{rvfsAllCaps};
  f->VShift = -70000;
  f->NextStyleNo = 1;
  f->Charset = 255;
  f->Unicode = true;
  f->Protection = TRVProtectOptions{rvprSticking, rvprStyleProtect};
  f->Options = TRVTextOptions{rvteoRTFCode};
  f->CharScale = 0;
  f->CharSpacing = -RVMaxCharSpacing; // the narrowest a stored style keeps
  f->BaseStyleNo = 0;
  f->Standard = false;
  f->StyleName = std::string(300, 'n');
  TParaInfo *p = s.ParaStyles()[1];
  p->FirstIndent = -5;
  p->LeftIndent = 1 << 20;
  p->RightIndent = 7;
  p->SpaceBefore = 8;
  p->SpaceAfter = 9;
  p->LineSpacing = 150;
  p->LineSpacingType = rvlsSpaceBetween;
  p->Alignment = rvaJustify;
  p->Border.Color = clBlue;
  p->Border.Style = rvbTriple;
  p->Border.Width = 4;
  p->Border.InternalWidth = 0;
  p->Border.VisibleBorders.SetValues(true, false, false, true);
  p->Border.BorderOffsets.Left = -3;
  p->Border.BorderOffsets.Bottom = 3;
  p->NextParaNo = 0;
  p->Background.Color = clAqua;
  p->Background.BorderOffsets.Right = 12;
  p->Options = TRVParaOptions{rvpaoKeepWithNext, rvpaoReadOnly};
  p->BiDiMode = rvbdLeftToRight;
  p->DefStyleNo = 5;
  bool unknown = false;
  TRVStyle t;
  ASSERT_TRUE(t.TextStyles().LoadFromStream(s.TextStyles().SaveToStream(), unknown));
  ASSERT_TRUE(t.ParaStyles().LoadFromStream(s.ParaStyles().SaveToStream(), unknown));
  EXPECT_FALSE(unknown);
  ExpectSameTables(s.TextStyles(), t.TextStyles());
  ExpectSameTables(s.ParaStyles(), t.ParaStyles());
}

TEST(StyleStream, CharacterScaleAndSpacingAreKeptInRangeWhenRead) {
  struct {
    const char *Name;
    int32_t Scale, Spacing;
    int32_t ReadScale, ReadSpacing;
  } const cases[] = {
      {"ordinary", 80, -2, 80, -2},
      {"limits", RVMaxCharScale, -RVMaxCharSpacing, RVMaxCharScale, -RVMaxCharSpacing},
      {"largest", INT32_MAX, INT32_MAX, RVMaxCharScale, RVMaxCharSpacing},
      {"smallest", INT32_MIN, INT32_MIN, 0, -RVMaxCharSpacing},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Name);
    TFontInfos t(nullptr);
    t.Add()->CharScale = c.Scale;
    t[0]->CharSpacing = c.Spacing;
    TFontInfos back(nullptr);
    bool unknown = false;
    ASSERT_TRUE(back.LoadFromStream(t.SaveToStream(), unknown));
    EXPECT_EQ(back[0]->CharScale, c.ReadScale);
    EXPECT_EQ(back[0]->CharSpacing, c.ReadSpacing);
  }
}

TEST(StyleStream, ListLevelsWithPicturesFontsAndImageListTags) {
  TCustomImageList images;
  images.Tag = 77;
  TRVStyleStreamLinks links;
  links.TagOf = [](const TCustomImageList *l) { return l->Tag; };
  links.ImageListOf = [&](int32_t tag) { return tag == 77 ? &images : nullptr; };

  TRVStyle s;
  TRVListInfo *l = s.ListStyles().Add();
  l->StyleName = "Mixed";
  l->OneLevelPreview = true;
  TRVListLevel *a = l->Levels.Add();
  a->ListType = rvlstLowerRoman;
  a->FormatString = "%0:s)";
  a->StartFrom = 4;
  a->Options = TRVListLevelOptions{rvloLegalStyleNumbering};
  a->MarkerAlignment = rvmaCenter;
  TRVMarkerFont *font = a->GetFont();
  font->Name = "Symbol";
  font->Size = 12;
  font->Color = clRed;
  font->Style = fsBold;
  font->Charset = 2;
  font->Pitch = 1;
  TRVListLevel *b = l->Levels.Add();
  b->ListType = rvlstImageListCounter;
  b->ImageList = &images;
  b->ImageIndex = 2;
  TRVListLevel *c = l->Levels.Add();
  c->ListType = rvlstPicture;
  QImage img(2, 2, QImage::Format_RGB32);
  img.fill(qRgb(1, 2, 3));
  TBitmap bmp(img);
  c->SetPicture(&bmp);
  c->FormatStringW = std::u16string(1, u'\u2022');
  std::string data = s.ListStyles().SaveToStream(&links);
  EXPECT_TRUE(Contains(data, "FormatStringCode"));
  EXPECT_TRUE(Contains(data, "ILTag"));
  EXPECT_GT(l->ListIDRaw(), 0); // writing draws the identifier

  TRVStyle t;
  bool unknown = false;
  ASSERT_TRUE(t.ListStyles().LoadFromStream(data, unknown, &links));
  EXPECT_FALSE(unknown);
  ExpectSameTables(s.ListStyles(), t.ListStyles());
  const TRVListInfo *m = t.ListStyles()[0];
  EXPECT_EQ(m->ListIDRaw(), l->ListIDRaw());
  EXPECT_EQ(m->Levels.Items(1)->ImageList, &images);
  EXPECT_EQ(m->Levels.Items(0)->FontIfAny()->Pitch, 1);
  ASSERT_TRUE(m->Levels.Items(2)->HasPicture());
  EXPECT_EQ(m->Levels.Items(2)->PictureIfAny()->width(), 2);

  // Without the document's image lists the tag is neither written nor resolved.
  TRVStyle u;
  ASSERT_TRUE(u.ListStyles().LoadFromStream(s.ListStyles().SaveToStream(), unknown));
  EXPECT_EQ(u.ListStyles()[0]->Levels.Items(1)->ImageList, nullptr);
}

TEST(StyleStream, PropertiesComeInDeclaredOrderThenTheDefinedOnes) {
  // Where each name first stands in the stream; every list must be ascending.
  auto expectInOrder = [](const std::string &data, std::initializer_list<const char *> names) {
    size_t last = 0;
    for (const char *n : names) {
      size_t at = data.find(Short(n));
      ASSERT_NE(at, std::string::npos) << n;
      EXPECT_GT(at, last) << n;
      last = at;
    }
  };
  TParaInfos paras(nullptr);
  TParaInfo *p = paras.Add();
  p->Border.Style = rvbSingle;
  p->Border.VisibleBorders.SetAll(false);
  p->Border.BorderOffsets.SetAll(2);
  p->NextParaNo = 0;
  p->Background.BorderOffsets.SetAll(3);
  p->Background.Color = clYellow;
  p->Options = TRVParaOptions{rvpaoNoWrap};
  expectInOrder(paras.SaveToStream(),
                {"Border.Style", "Border.VisibleBorders.Top", "Border.VisibleBorders.Left",
                 "Border.VisibleBorders.Right", "Border.VisibleBorders.Bottom", "Border.BorderOffsets.Top",
                 "Border.BorderOffsets.Left", "Border.BorderOffsets.Right", "Border.BorderOffsets.Bottom", "NextParaNo",
                 "Background.BorderOffsets.Top", "Background.BorderOffsets.Left", "Background.BorderOffsets.Right",
                 "Background.BorderOffsets.Bottom", "Background.Color", "Options"});

  TCustomImageList images;
  TRVStyleStreamLinks links;
  links.TagOf = [](const TCustomImageList *) { return 5; };
  TRVListInfos lists(nullptr);
  TRVListLevel *l = lists.Add()->Levels.Add();
  l->ListType = rvlstImageListCounter;
  l->ImageList = &images;
  l->ImageIndex = 1;
  l->FormatString = "%0:s.";
  l->FormatStringW = std::u16string(1, u'x');
  l->StartFrom = 3;
  l->GetFont()->Size = 9;
  QImage img(1, 1, QImage::Format_RGB32);
  img.fill(0);
  TBitmap bmp(img);
  l->SetPicture(&bmp);
  expectInOrder(lists.SaveToStream(&links), {"Levels", "ListType", "Picture.Data", "ImageIndex", "Font.Height",
                                             "StartFrom", "FormatStringCode", "FormatStringWCode", "ILTag", "LstID"});
}

TEST(StyleStream, KnownCursorsCharsetsAndColoursAreStoredByName) {
  // A name stands as an identifier (type 7) after the property's name.
  auto named = [](const char *property, const char *ident) {
    std::string r = Short(property);
    r.push_back(char(7));
    r.append(Short(ident));
    return r;
  };
  TFontInfos t(nullptr);
  TFontInfo *a = t.Add();
  a->JumpCursor = crHandPoint;
  a->Charset = 204;
  a->Color = TColor(0xC0DCC0);
  TFontInfo *b = t.Add();
  b->JumpCursor = 104;
  b->Charset = 163; // without a name
  std::string data = t.SaveToStream();
  EXPECT_TRUE(Contains(data, named("JumpCursor", "crHandPoint")));
  EXPECT_TRUE(Contains(data, named("Charset", "RUSSIAN_CHARSET")));
  EXPECT_TRUE(Contains(data, named("Color", "clMoneyGreen")));
  EXPECT_TRUE(Contains(data, Short("Charset") + std::string{char(3), char(163), char(0)})); // a 16-bit number
  TFontInfos back(nullptr);
  bool unknown = false;
  ASSERT_TRUE(back.LoadFromStream(data, unknown));
  EXPECT_FALSE(unknown);
  EXPECT_EQ(back[0]->JumpCursor, crHandPoint);
  EXPECT_EQ(back[0]->Charset, 204);
  EXPECT_EQ(back[0]->Color, TColor(0xC0DCC0));
  EXPECT_EQ(back[1]->JumpCursor, 104);
  EXPECT_EQ(back[1]->Charset, 163);

  TRVListInfos lists(nullptr);
  lists.Add()->Levels.Add()->GetFont()->Charset = 238;
  EXPECT_TRUE(Contains(lists.SaveToStream(), named("Font.Charset", "EASTEUROPE_CHARSET")));
}

TEST(StyleStream, DefaultBulletStoresNoFormatStringCode) {
  TRVListInfos lists(nullptr);
  lists.Add()->Levels.Add()->GetFont(); // a default font is not stored either
  std::string data = lists.SaveToStream();
  EXPECT_FALSE(Contains(data, "FormatStringCode"));
  EXPECT_FALSE(Contains(data, "Font."));
  TRVListInfos back(nullptr);
  bool unknown = false;
  ASSERT_TRUE(back.LoadFromStream(data, unknown));
  EXPECT_EQ(back[0]->Levels.Items(0)->FormatString, "\xB7");
  EXPECT_EQ(back[0]->Levels.Items(0)->FontIfAny(), nullptr);
  EXPECT_TRUE(back[0]->Levels.Items(0)->IsEqual(*lists[0]->Levels.Items(0)));
}

TEST(StyleStream, UnknownPropertiesArePassedOver) {
  // A collection with one item: an unknown integer, then Size 12.
  std::string data;
  data += char(14);
  data += char(1);
  data += Short("Unknown");
  data.append({char(2), char(5)});
  data += Short("Size");
  data.append({char(2), char(12)});
  data += Short("Size"); // of the wrong kind
  data.append({char(6), char(1), 'x'});
  data += char(0);
  data += char(0);
  TFontInfos t(nullptr);
  bool unknown = false;
  ASSERT_TRUE(t.LoadFromStream(data, unknown));
  EXPECT_TRUE(unknown);
  ASSERT_EQ(t.Count(), 1);
  EXPECT_EQ(t[0]->Size, 12);
}

TEST(StyleStream, DamagedDataFailsWithoutHarm) {
  TRVStyle s;
  s.TextStyles()[1]->StyleName = std::string(400, 'x');
  std::string good = s.TextStyles().SaveToStream();
  bool unknown = false;
  TFontInfos t(nullptr);
  // Every cut of a good stream ends inside it.
  for (size_t n = 0; n < good.size(); ++n) {
    EXPECT_FALSE(t.LoadFromStream(std::string_view(good).substr(0, n), unknown)) << n;
    EXPECT_LE(t.Count(), 6);
  }
  ASSERT_TRUE(t.LoadFromStream(good, unknown));
  EXPECT_EQ(t.Count(), 6);
  const std::string bad[] = {
      std::string("\x01\x00", 2),                                                  // not a collection
      std::string("\x0E\x01\x04Name\x0C\xFF\xFF\xFF\x7F", 12),                     // a long string longer than the data
      std::string("\x0E\x01\x04Name\x0A\xFF\xFF\xFF\xFF", 12),                     // binary likewise
      std::string("\x0E\x01\x01X\x0E\x01\x01X\x0E\x01\x01X\x0E\x01\x01X\x0E", 17), // too deep
      std::string("\x0E\x05", 2),                                                  // an item that is no list
      std::string("\x0E\x01\x01X\x63", 5),                                         // unknown value type
  };
  for (const auto &b : bad) EXPECT_FALSE(t.LoadFromStream(b, unknown));
}

TEST(StyleStream, ListLevelsAreCapped) {
  std::string data;
  data += char(14);
  data += char(1);
  data += Short("Levels");
  data += char(14);
  for (int i = 0; i < 300; ++i) data += std::string("\x01\x00", 2);
  data += char(0);
  data += char(0);
  data += char(0);
  TRVListInfos t(nullptr);
  bool unknown = false;
  ASSERT_TRUE(t.LoadFromStream(data, unknown));
  EXPECT_TRUE(unknown);
  EXPECT_EQ(t[0]->Levels.Count(), 256);
}
