#include <gtest/gtest.h>

#include <climits>

#include "platform/ImageList.h"
#include "support/TempDir.h"
#include "platform/RecordingCanvas.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVUni.h"

using namespace kc;

namespace {

// ------------------------------------------------------------ number texts

TEST(MarkerNumberText, EveryListType) {
  struct Case {
    TRVListType type;
    int32_t value;
    const char *text;
  } cases[] = {
      {rvlstDecimal, 7, "7"},
      {rvlstDecimal, 0, "0"},
      {rvlstDecimal, -3, "-3"},
      {rvlstImageListCounter, 12, "12"},
      {rvlstLowerAlpha, 1, "a"},
      {rvlstLowerAlpha, 26, "z"},
      {rvlstLowerAlpha, 27, "aa"},
      {rvlstUpperAlpha, 28, "AB"},
      {rvlstUpperAlpha, 702, "ZZ"},
      {rvlstUpperAlpha, 703, "AAA"},
      {rvlstUpperAlpha, 0, ""},
      {rvlstLowerAlpha, INT_MIN, ""},
      {rvlstUpperAlpha, INT_MAX, "FXSHRXW"},
      {rvlstUpperRoman, 1994, "MCMXCIV"},
      {rvlstUpperRoman, 4, "IV"},
      {rvlstLowerRoman, 3999, "mmmcmxcix"},
      {rvlstUpperRoman, 0, "?"},
      {rvlstLowerRoman, -7, "?"},
      // Beyond the standard numerals the number is written in digits.
      {rvlstUpperRoman, 4000, "4000"},
      {rvlstUpperRoman, INT_MAX, "2147483647"},
      {rvlstBullet, 3, ""},
      {rvlstPicture, 3, ""},
      {rvlstImageList, 3, ""},
      {rvlstUnicodeBullet, 3, ""},
  };
  for (const Case &c : cases) EXPECT_EQ(RVMarkerNumberText(c.type, c.value), c.text) << int(c.type) << " " << c.value;
}

// ---------------------------------------------------------------- numbering

// A style sheet with one list style of three levels and the markers of a
// marker list that the test owns.
class Numbering : public ::testing::Test {
protected:
  Numbering() {
    TRVListInfo *list = Style.ListStyles().Add();
    for (int i = 0; i < 3; ++i) {
      TRVListLevel *l = list->Levels.Add();
      l->ListType = rvlstDecimal;
      l->FormatString = "%" + std::to_string(i) + ":s.";
      l->Options = TRVListLevelOptions{rvloContinuous};
    }
    TRVListInfo *other = Style.ListStyles().Add();
    other->Levels.Add()->ListType = rvlstDecimal;
  }
  TRVListLevel *Lvl(int i, int list = 0) { return Style.ListStyles()[list]->Levels.Items(i); }
  TRVMarkerItemInfo *Add(int Level, int ListNo = 0, bool Reset = false, int StartFrom = 0) {
    Owned.push_back(std::make_unique<TRVMarkerItemInfo>(nullptr, ListNo, Level, StartFrom, Reset));
    TRVMarkerItemInfo *prev = List.Count() ? List[List.Count() - 1] : nullptr;
    List.InsertAfter(Owned.back().get(), prev);
    return Owned.back().get();
  }
  std::vector<int> Counters() {
    List.RecalcCounters(0, &Style);
    std::vector<int> r;
    for (int i = 0; i < List.Count(); ++i) r.push_back(List[i]->Counter);
    return r;
  }
  std::vector<std::string> Texts() {
    List.RecalcCounters(0, &Style);
    std::vector<std::string> r;
    for (int i = 0; i < List.Count(); ++i) r.push_back(List[i]->DisplayString);
    return r;
  }
  TRVStyle Style;
  TRVMarkerList List;
  std::vector<std::unique_ptr<TRVMarkerItemInfo>> Owned;
};

TEST_F(Numbering, SameLevelCountsOnAndDeeperLevelsDoNotInterrupt) {
  Add(0), Add(1), Add(0), Add(0);
  EXPECT_EQ(Counters(), (std::vector<int>{1, 1, 2, 3}));
}

TEST_F(Numbering, LevelResetRestartsAfterALowerLevel) {
  Add(0), Add(1), Add(1), Add(0), Add(1);
  EXPECT_EQ(Counters(), (std::vector<int>{1, 1, 2, 2, 3}));
  Lvl(1)->Options.Include(rvloLevelReset);
  EXPECT_EQ(Counters(), (std::vector<int>{1, 1, 2, 2, 1}));
}

TEST_F(Numbering, AfterOnlyDeeperMarkersTheCountIsStartFromPlusOne) {
  Lvl(0)->StartFrom = 5;
  Add(1), Add(1), Add(0);
  EXPECT_EQ(Counters()[2], 6);
}

TEST_F(Numbering, ResetMarkersAndOtherLists) {
  Add(0), Add(0, 1), Add(0, 0, true, 10), Add(0), Add(0, 1);
  EXPECT_EQ(Counters(), (std::vector<int>{1, 1, 10, 11, 1}));
  // Renumbering list 1 leaves list 0 alone.
  List[0]->Counter = 99;
  List.RecalcCounters(1, &Style);
  EXPECT_EQ(List[0]->Counter, 99);
  EXPECT_EQ(List[4]->Counter, 2);
}

TEST_F(Numbering, CountersDoNotOverflow) {
  Add(0, 0, true, INT_MAX), Add(0), Add(0);
  EXPECT_EQ(Counters(), (std::vector<int>{INT_MAX, INT_MAX, INT_MAX}));
  EXPECT_EQ(List[2]->DisplayString, "2147483647.");
  Owned.clear();
  List.Clear();
  Lvl(0)->StartFrom = INT_MAX;
  Add(1), Add(0);
  EXPECT_EQ(Counters()[1], INT_MAX);
}

TEST_F(Numbering, MarkersWithoutALevelCountNothing) {
  // No list, a list number past the table, a negative level.
  Add(0), Add(0, -1), Add(0, 7), Add(-1), Add(0);
  List[1]->Counter = List[2]->Counter = List[3]->Counter = 42;
  EXPECT_EQ(Counters(), (std::vector<int>{1, 42, 42, 42, 2}));
  auto t = Texts();
  EXPECT_EQ(t[1], "");
  EXPECT_EQ(t[2], "");
  EXPECT_EQ(t[3], "");
  EXPECT_EQ(List[1]->GetLevelInfo(&Style), nullptr);
  EXPECT_EQ(List[2]->GetLevelInfo(&Style), nullptr);
  EXPECT_EQ(List[3]->GetLevelInfo(&Style), nullptr);
  // A level past the last is shown as the last one.
  EXPECT_EQ(TRVMarkerItemInfo(nullptr, 0, 9, 0, false).GetLevelInfo(&Style), Lvl(2));
  List.RecalcCounters(-1, &Style);
  List.RecalcCounters(List.Count(), &Style);
}

TEST_F(Numbering, TextsCarryTheParentsNumbers) {
  Lvl(1)->FormatString = "%0:s.%1:s";
  Lvl(2)->FormatString = "%s-%s-%s";
  Lvl(1)->ListType = rvlstLowerAlpha;
  Lvl(2)->ListType = rvlstUpperRoman;
  Add(0), Add(0), Add(1), Add(1), Add(2);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"1.", "2.", "2.a", "2.b", "2-b-I"}));
}

TEST_F(Numbering, LevelsPassedOverShowTheirStart) {
  Lvl(1)->StartFrom = 4;
  Lvl(2)->FormatString = "%0:s/%1:s/%2:s";
  Add(2);
  Add(0), Add(2);
  // The level-0 marker follows only a deeper one, so it counts 2.
  EXPECT_EQ(Texts(), (std::vector<std::string>{"1/4/1", "2.", "2/4/2"}));
}

TEST_F(Numbering, LegalStyleShowsOuterLevelsInDigits) {
  Lvl(0)->ListType = rvlstUpperRoman;
  Lvl(1)->FormatString = "%0:s.%1:s";
  Lvl(1)->ListType = rvlstLowerAlpha;
  Add(0), Add(0), Add(1);
  EXPECT_EQ(Texts()[2], "II.a");
  Lvl(1)->Options.Include(rvloLegalStyleNumbering);
  EXPECT_EQ(Texts()[2], "2.a");
}

TEST_F(Numbering, BulletTextsAndHugeLevels) {
  Lvl(0)->ListType = rvlstBullet;
  Lvl(0)->FormatString = "\xB7";
  Lvl(2)->FormatString = "%0:s.%1:s.%2:s";
  Add(0);
  // A level far beyond the arguments is numbered as the last level and
  // shows what it can.
  TRVMarkerItemInfo *deep = Add(1000000);
  auto t = Texts();
  EXPECT_EQ(t[0], "\xB7");
  EXPECT_EQ(deep->Counter, 1);
  EXPECT_EQ(t[1], ".1.1");
}

TEST_F(Numbering, ParentsAreFoundInTheOuterList) {
  Lvl(1)->FormatString = "%0:s.%1:s";
  TRVMarkerList outer;
  TRVMarkerItemInfo parent(nullptr, 0, 0, 0, false);
  parent.Counter = 7;
  outer.InsertAfter(&parent, nullptr);
  List.PrevMarkerList = &outer;
  Add(1);
  EXPECT_EQ(Texts()[0], "7.1");
  int index = 0;
  TRVMarkerList *where = nullptr;
  EXPECT_TRUE(List.FindParentMarker(1, List[0], index, where));
  EXPECT_EQ(where, &outer);
  EXPECT_EQ(index, 0);
  // A chain that loops back is not followed for ever.
  outer.PrevMarkerList = &List;
  List[0]->Level = 0;
  EXPECT_FALSE(List.FindParentMarker(1, List[0], index, where));
  EXPECT_EQ(index, -1);
  EXPECT_EQ(where, nullptr);
}

TEST_F(Numbering, IndexInListIsRefreshed) {
  TRVMarkerItemInfo *a = Add(0);
  TRVMarkerItemInfo *b = Add(0);
  EXPECT_EQ(b->GetIndexInList(&List), 1);
  TRVMarkerItemInfo c(nullptr, 0, 0, 0, false);
  List.InsertAfter(&c, nullptr);
  EXPECT_EQ(a->GetIndexInList(&List), 1);
  EXPECT_EQ(b->GetIndexInList(&List), 2);
  EXPECT_EQ(List.Remove(&c), 0);
  EXPECT_EQ(c.GetIndexInList(&List), -1);
  EXPECT_EQ(c.GetIndexInList(nullptr), -1);
}

// ------------------------------------------------------------ binary form

TEST(MarkerListStream, RoundTripWithAndWithoutSize) {
  TRVMarkerList list;
  TRVMarkerItemInfo a(nullptr, 2, 1, 5, true), b(nullptr, 0, 0, 1, false);
  a.Counter = 5;
  b.Counter = -9;
  list.InsertAfter(&a, nullptr);
  list.InsertAfter(&b, &a);
  std::string s;
  list.SaveToStream(s, true);
  ASSERT_EQ(s.size(), 12u + 2 * 17);
  EXPECT_EQ(s.substr(0, 12), std::string("\x2A\0\0\0\0\0\0\0\x02\0\0\0", 12));
  // ListNo, Level, Reset, StartFrom, Counter.
  EXPECT_EQ(s.substr(12, 17), std::string("\x02\0\0\0\x01\0\0\0\x01\x05\0\0\0\x05\0\0\0", 17));

  TRVMarkerList loaded;
  size_t pos = 0;
  ASSERT_TRUE(loaded.LoadFromStream(s, pos, true));
  EXPECT_EQ(pos, s.size());
  ASSERT_EQ(loaded.Count(), 2);
  EXPECT_EQ(loaded[0]->ListNo, 2);
  EXPECT_EQ(loaded[0]->Level, 1);
  EXPECT_TRUE(loaded[0]->Reset);
  EXPECT_EQ(loaded[0]->StartFrom, 5);
  EXPECT_EQ(loaded[1]->Counter, -9);

  std::string hex;
  list.SaveTextToStream(hex);
  ASSERT_GE(hex.size(), 2u);
  EXPECT_EQ(hex.substr(hex.size() - 2), "\r\n");
  EXPECT_EQ(hex.substr(0, 16), "0000000002000000");
  TRVMarkerList fromHex;
  ASSERT_TRUE(fromHex.LoadText(hex.substr(0, hex.size() - 2)));
  EXPECT_EQ(fromHex.Count(), 2);
  TRVMarkerList fromBinary;
  ASSERT_TRUE(fromBinary.LoadBinary(s.substr(4)));
  EXPECT_EQ(fromBinary[1]->ListNo, 0);
}

TEST(MarkerListStream, DamagedDataIsRefusedBeforeAnythingIsMade) {
  auto block = [](int32_t count, size_t records) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s += char((uint32_t(count) >> (8 * i)) & 0xFF);
    s += std::string(records * 17, '\x01');
    return s;
  };
  struct Case {
    std::string data;
    bool ok;
    int count;
  } cases[] = {
      {block(2, 2), true, 2},           {block(0, 0), true, 0},
      {block(3, 2), false, 0},          // one record short
      {block(0x7FFFFFFF, 1), false, 0}, // a count no stream of this size holds
      {block(-1, 1), false, 0},         {std::string("\0\0\0\0\x01", 5), false, 0}, // count cut short
      {std::string(), false, 0},
  };
  for (const Case &c : cases) {
    TRVMarkerList list;
    TRVMarkerItemInfo keep(nullptr, 0, 0, 0, false);
    list.InsertAfter(&keep, nullptr);
    EXPECT_EQ(list.LoadBinary(c.data), c.ok) << c.data.size();
    EXPECT_EQ(list.Count(), c.count);
  }
  TRVMarkerList list;
  EXPECT_FALSE(list.LoadText("00000000010"));  // odd length
  EXPECT_FALSE(list.LoadText("0000000001XX")); // not hexadecimal
}

// ------------------------------------------------------------ RVF pieces

TEST(MarkerRvf, HeaderTailAndExtraProperties) {
  TRVMarkerItemInfo m(nullptr, 3, 1, 7, true);
  EXPECT_EQ(m.WriteRvfHeaderTail(nullptr), "3 1 7 1");
  TRVMarkerItemInfo r(nullptr);
  ASSERT_TRUE(r.ReadRvfHeaderTail("3 1 7 1", nullptr));
  EXPECT_EQ(r.ListNo, 3);
  EXPECT_EQ(r.Level, 1);
  EXPECT_EQ(r.StartFrom, 7);
  EXPECT_TRUE(r.Reset);
  for (const char *bad : {"", "3 1 7", "3 1 x 1", "3 1 7 99999999999"}) {
    TRVMarkerItemInfo b(nullptr);
    EXPECT_FALSE(b.ReadRvfHeaderTail(bad, nullptr)) << bad;
  }

  EXPECT_EQ(m.GetRvfExtraPropertyCount(), 0);
  EXPECT_TRUE(m.SetExtraIntProperty(rvepNoHTMLImageSize, 1));
  int v = 0;
  EXPECT_TRUE(m.GetExtraIntProperty(rvepNoHTMLImageSize, v));
  EXPECT_EQ(v, 1);
  EXPECT_EQ(m.GetRvfExtraPropertyCount(), 1);
  std::string lines;
  m.WriteRvfExtraProperties(lines);
  EXPECT_EQ(lines, "nohtmlsize=1\r\n");
  TRVMarkerItemInfo p(nullptr);
  p.ReadRvfExtraProperty("nohtmlsize=1");
  EXPECT_TRUE(p.NoHTMLImageSize);
}

TEST(MarkerRvf, CopiesKeepTheListValuesAndNeverContinueAParagraph) {
  TRVMarkerItemInfo m(nullptr, 2, 1, 4, true);
  m.NoHTMLImageSize = true;
  m.ItemOptions.Include(rvioContinuePara);
  auto copy = CopyItem(m, nullptr, false);
  auto *c = dynamic_cast<TRVMarkerItemInfo *>(copy.get());
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->StyleNo, rvsListMarker);
  EXPECT_EQ(c->ListNo, 2);
  EXPECT_EQ(c->Level, 1);
  EXPECT_EQ(c->StartFrom, 4);
  EXPECT_TRUE(c->Reset);
  EXPECT_TRUE(c->NoHTMLImageSize);
  EXPECT_FALSE(c->GetContinuePara());
  EXPECT_EQ(c->Counter, 1);
  EXPECT_EQ(c->IndexInList, -1);
  TRVMarkerItemInfo r(nullptr);
  r.ItemOptions.Include(rvioContinuePara);
  ASSERT_TRUE(r.ReadRvfHeaderTail("0 0 1 0", nullptr));
  EXPECT_FALSE(r.GetContinuePara());
  r.ItemOptions.Include(rvioLineBreakBefore);
  ASSERT_TRUE(r.ReadRvfHeaderTail("0 0 1 0", nullptr));
  EXPECT_TRUE(r.IsParaStart());
}

TEST(MarkerItem, MarksAndRenumbersItsListStyle) {
  TRVMarkerItemInfo m(nullptr, 2, 0, 0, false);
  m.ParaNo = 0;
  TRVIntegerList text = TRVIntegerList::CreateFilled(1, 0), para = TRVIntegerList::CreateFilled(1, 0),
                 lists = TRVIntegerList::CreateFilled(3, 0);
  m.MarkUsedStyles(text, para, lists);
  EXPECT_EQ(lists.Values(), (std::vector<int32_t>{0, 0, 1}));
  EXPECT_EQ(para[0], 1);
  // List style 1 was dropped: style 2 moves down by one.
  TRVIntegerList shift;
  for (int v : {1, 1, 2}) shift.Add(v);
  m.RenumberStyles(TRVIntegerList::CreateFilled(1, 1), TRVIntegerList::CreateFilled(1, 1), shift);
  EXPECT_EQ(m.ListNo, 1);
  // Numbers outside the tables are left alone.
  TRVMarkerItemInfo far(nullptr, 9, 0, 0, false), none(nullptr, -1, 0, 0, false);
  far.MarkUsedStyles(text, para, lists);
  none.MarkUsedStyles(text, para, lists);
  far.RenumberStyles(shift, shift, shift);
  none.RenumberStyles(shift, shift, shift);
  EXPECT_EQ(far.ListNo, 9);
  EXPECT_EQ(none.ListNo, -1);
  EXPECT_EQ(lists.Values(), (std::vector<int32_t>{0, 0, 1}));
}

TEST(MarkerItem, FlagsAndFactory) {
  auto item = CreateItemByStyleNo(rvsListMarker, nullptr);
  ASSERT_NE(dynamic_cast<TRVMarkerItemInfo *>(item.get()), nullptr);
  TRVMarkerItemInfo m(nullptr);
  EXPECT_TRUE(m.GetFlag(rvbpDrawingChangesFont));
  EXPECT_TRUE(m.GetFlag(rvbpCanSaveUnicode));
  EXPECT_FALSE(m.GetFlag(rvbpFullWidth));
  EXPECT_TRUE(m.GetStyleFlag(rvbsfActualSize, nullptr));
  EXPECT_FALSE(m.GetStyleFlag(rvbsfPrintToBMP, nullptr));
}

// ---------------------------------------------------- sizes and painting

class MarkerCanvas : public ::testing::Test {
protected:
  MarkerCanvas() {
    setScreenPixelsPerInch(96);
    TRVListInfo *list = Style.ListStyles().Add();
    L = list->Levels.Add();
    L->ListType = rvlstDecimal;
    L->FormatString = "%0:s.";
    L->FirstIndent = 0;
    Marker.ParaNo = 0;
    Markers.InsertAfter(&Marker, nullptr);
    Markers.RecalcCounters(0, &Style);
  }
  TRVStyle Style;
  TRVListLevel *L = nullptr;
  TRVMarkerItemInfo Marker{nullptr, 0, 0, 0, false};
  TRVMarkerList Markers;
  RecordingCanvas Canvas;
};

TEST_F(MarkerCanvas, TextSizeFromTheLevelFont) {
  ASSERT_EQ(Marker.DisplayString, "1.");
  TRVDrawLineInfo dl;
  Marker.OnDocWidthChangeEx(&dl, false, &Canvas, &Style, nullptr, false);
  EXPECT_EQ(Marker.Width, 14);
  EXPECT_EQ(Marker.Height, 14);
  EXPECT_EQ(Marker.GetSpacing(), 3); // the font's descent
  EXPECT_EQ(Marker.GetDescent(), 0); // the shift
  EXPECT_EQ(dl.Width, 14);
  EXPECT_EQ(dl.Height, 14);
  EXPECT_EQ(dl.ExtraSpaceBefore, 0);
  EXPECT_EQ(Canvas.font().lfFaceName, "Arial");
  EXPECT_EQ(Canvas.font().lfHeight, FontHeightOfSize(8));
  // The text-style table's resolution, when set, gives the height.
  Style.TextStyles().PixelsPerInch = 144;
  Marker.OnDocWidthChangeEx(&dl, false, &Canvas, &Style, nullptr, false);
  EXPECT_EQ(Canvas.font().lfHeight, -16);
}

TEST_F(MarkerCanvas, AlignmentSplitsTheRoomAroundThePosition) {
  struct Case {
    TRVMarkerAlignment align;
    int indent; // LeftIndent + FirstIndent - MarkerIndent
    bool rtl;
    int width, shift, extra;
  } cases[] = {
      {rvmaLeft, 0, false, 14, 0, 0},  {rvmaRight, 0, false, 14, -14, 0},  {rvmaCenter, 0, false, 14, -7, 0},
      {rvmaLeft, 30, false, 30, 0, 0}, {rvmaRight, 30, false, 44, -14, 0}, {rvmaCenter, 30, false, 37, -7, 0},
      {rvmaLeft, 30, true, 30, 0, 16}, {rvmaRight, 30, true, 44, 14, 30},  {rvmaCenter, 0, true, 14, 7, 0},
  };
  for (const Case &c : cases) {
    L->MarkerAlignment = c.align;
    L->LeftIndent = c.indent + 5;
    L->MarkerIndent = 5;
    TRVDrawLineInfo dl;
    Marker.OnDocWidthChangeEx(&dl, false, &Canvas, &Style, nullptr, c.rtl);
    EXPECT_EQ(dl.Width, c.width) << int(c.align) << " " << c.indent << " " << c.rtl;
    EXPECT_EQ(Marker.LeftShift, c.shift) << int(c.align) << " " << c.indent << " " << c.rtl;
    EXPECT_EQ(dl.ExtraSpaceBefore, c.extra) << int(c.align) << " " << c.indent << " " << c.rtl;
  }
}

TEST_F(MarkerCanvas, PrintingSizesOnlyTheDrawRecord) {
  L->ListType = rvlstPicture;
  L->LeftIndent = 10;
  QImage img(20, 10, QImage::Format_ARGB32);
  img.fill(Qt::red);
  TBitmap bmp(img);
  L->SetPicture(&bmp);
  TRVScreenAndDevice sad;
  sad.ppixDevice = sad.ppiyDevice = 192;
  TRVDrawLineInfo dl;
  Marker.Width = 77;
  Marker.OnDocWidthChangeEx(&dl, true, &Canvas, &Style, &sad, false);
  EXPECT_EQ(dl.Width, 40); // the picture and the indent, both doubled
  EXPECT_EQ(dl.Height, 20);
  EXPECT_EQ(Marker.Width, 77);
  EXPECT_EQ(Marker.GetImageWidth(&Style), 20);
  EXPECT_EQ(Marker.GetImageHeight(&Style), 10);
  EXPECT_TRUE(Marker.GetStyleFlag(rvbsfPrintToBMP, &Style));
  L->LeftIndent = 40;
  EXPECT_EQ(Marker.GetMinWidth(&sad, &Canvas, nullptr), 0); // no document: no style sheet
  Marker.OnDocWidthChangeEx(&dl, false, &Canvas, &Style, nullptr, false);
  EXPECT_EQ(dl.Width, 40);
  EXPECT_EQ(Marker.Width, 20);
}

TEST_F(MarkerCanvas, PaintsTheTextInTheLevelFont) {
  TRVMarkerFont f;
  f.Name = "Courier New";
  f.Color = clRed;
  f.Style = fsBold;
  L->SetFont(&f);
  Canvas.clearLog();
  Marker.PaintMarker(5, 6, Canvas, &Style, 0);
  EXPECT_EQ(Canvas.logText(), "setFont(Courier New," + std::to_string(FontHeightOfSize(8)) +
                                  ",w0,700,cs1)\nsetFontColor(#FF0000)\nsetTextCharacterExtra(0)\nsetTextAlign(0)\n"
                                  "setBrush(#FFFFFF,style1)\ntextOut(5,6,\"1.\")");
  // Black and white printing turns the colour black.
  Canvas.clearLog();
  Marker.PaintMarker(0, 0, Canvas, &Style, 3);
  EXPECT_NE(Canvas.logText().find("setFontColor(#000000)"), std::string::npos);
}

TEST_F(MarkerCanvas, PaintsUnicodeBulletsPicturesAndImages) {
  L->ListType = rvlstUnicodeBullet;
  L->FormatStringW = u"\u25CF";
  Canvas.clearLog();
  Marker.PaintMarker(1, 2, Canvas, &Style, 0);
  EXPECT_NE(Canvas.logText().find("textOutW(1,2,\"\u25CF\")"), std::string::npos);

  L->ListType = rvlstPicture;
  Canvas.clearLog();
  Marker.PaintMarker(1, 2, Canvas, &Style, 0); // no picture: nothing
  EXPECT_EQ(Canvas.logText(), "");
  QImage img(8, 4, QImage::Format_ARGB32);
  img.fill(Qt::blue);
  TBitmap bmp(img);
  L->SetPicture(&bmp);
  Marker.PaintMarker(1, 2, Canvas, &Style, 0);
  EXPECT_EQ(Canvas.logText(), "drawGraphic(1,2,9,6),TBitmap");

  TCustomImageList images(12, 12);
  QImage cell(12, 12, QImage::Format_ARGB32);
  cell.fill(Qt::green);
  images.Add(cell);
  images.Add(cell);
  L->ListType = rvlstImageListCounter;
  L->ImageList = &images;
  L->ImageIndex = 0;
  Marker.Counter = 2;
  Canvas.clearLog();
  Marker.PaintMarker(3, 4, Canvas, &Style, 0);
  EXPECT_NE(Canvas.logText(), "");
  // Counter 3 points past the list: nothing is drawn.
  Marker.Counter = 3;
  Canvas.clearLog();
  Marker.PaintMarker(3, 4, Canvas, &Style, 0);
  EXPECT_EQ(Canvas.logText(), "");
  Marker.Counter = INT_MAX;
  L->ImageIndex = INT_MAX;
  Marker.PaintMarker(3, 4, Canvas, &Style, 0);
  EXPECT_EQ(Canvas.logText(), "");
  EXPECT_EQ(Marker.GetImageWidth(&Style), 12);
  EXPECT_TRUE(Marker.GetStyleFlag(rvbsfPrintToBMP, &Style));
}

TEST_F(MarkerCanvas, NoListPaintsAndMeasuresNothing) {
  TRVMarkerItemInfo none(nullptr, -1, 0, 0, false);
  Markers.InsertAfter(&none, &Marker);
  Markers.RecalcCounters(1, &Style);
  EXPECT_EQ(none.DisplayString, "");
  Canvas.clearLog();
  none.PaintMarker(0, 0, Canvas, &Style, 0);
  EXPECT_EQ(Canvas.logText(), "");
  TRVDrawLineInfo dl;
  none.OnDocWidthChangeEx(&dl, false, &Canvas, &Style, nullptr, false);
  EXPECT_EQ(dl.Width, 0);
  EXPECT_EQ(none.Width, 0);
  EXPECT_EQ(none.GetMarkerText(&Style, false), "");
}

// --------------------------------------------------------------- text form

TEST_F(MarkerCanvas, TextForms) {
  EXPECT_EQ(Marker.GetMarkerText(&Style, false), "1. ");
  EXPECT_EQ(Marker.GetMarkerText(&Style, true), std::string("1\0.\0 \0", 6));

  L->ListType = rvlstBullet;
  L->FormatString = "\xB7\xDB\xAC";
  Markers.RecalcCounters(0, &Style);
  EXPECT_EQ(Marker.GetMarkerText(&Style, false), "\xB7\xDB\xAC ");
  TRVMarkerFont symbol;
  symbol.Name = "Symbol";
  L->SetFont(&symbol);
  EXPECT_EQ(Marker.GetMarkerText(&Style, false), "*<=><- ");

  L->ListType = rvlstImageList;
  EXPECT_EQ(Marker.GetMarkerText(&Style, false), "* ");

  L->ListType = rvlstUnicodeBullet;
  L->FormatStringW = u"\u2022?\u25CF\u00E9";
  // Code page 1252 has the bullet and the e-acute but not the circle.
  EXPECT_EQ(Marker.GetMarkerText(&Style, false), "\x95?*\xE9 ");
  EXPECT_EQ(Marker.GetMarkerText(&Style, true), WideStringToRaw(u"\u2022?\u25CF\u00E9 "));
}

// ------------------------------------------------------------ in documents

class MarkerDoc : public ::testing::Test {
protected:
  MarkerDoc() {
    setScreenPixelsPerInch(96);
    Host.Style = &Style;
    Doc.SetHost(&Host);
    Style.TextStyles().Add();
    Style.ParaStyles().Add();
    TRVListInfo *list = Style.ListStyles().Add();
    L = list->Levels.Add();
    L->ListType = rvlstDecimal;
    L->FormatString = "%0:s.";
    TRVListLevel *l1 = list->Levels.Add();
    l1->ListType = rvlstLowerAlpha;
    l1->FormatString = "%0:s.%1:s)";
  }
  TRVMarkerItemInfo *AddMarker(TCustomRVData &D, int Level, const std::string &Text, int ListNo = 0) {
    auto m = std::make_unique<TRVMarkerItemInfo>(&D, ListNo, Level, 0, false);
    TRVMarkerItemInfo *p = m.get();
    D.AddItem("", std::move(m));
    D.AddMarkerToList(D.GetItemCount() - 1);
    D.AddText(Text, 0, -1);
    return p;
  }
  TRVStyle Style;
  TRVDataHost Host;
  TCustomRVData Doc;
  TRVListLevel *L = nullptr;
};

TEST_F(MarkerDoc, AMarkerAlwaysStartsAParagraph) {
  Doc.AddText("text", 0, 0);
  auto m = std::make_unique<TRVMarkerItemInfo>(&Doc, 0, 0, 0, false);
  m->ParaNo = -1; // asks to continue the paragraph
  Doc.AddItem("", std::move(m));
  EXPECT_TRUE(Doc.IsParaStart(1));
  Doc.AddText("item", 0, 0); // a new paragraph: an empty text goes behind the marker first
  ASSERT_EQ(Doc.GetItemCount(), 4);
  EXPECT_FALSE(Doc.IsParaStart(2));
  EXPECT_TRUE(Doc.IsParaStart(3));
  // Nor may it only start a new line of the paragraph before; a page break
  // before it stays.
  auto lb = std::make_unique<TRVMarkerItemInfo>(&Doc, 0, 0, 0, false);
  lb->ItemOptions.Include(rvioLineBreakBefore);
  lb->ItemOptions.Include(rvioPageBreakBefore);
  std::unique_ptr<TCustomRVItemInfo> item = std::move(lb);
  std::string text;
  int index = 4;
  bool full = false;
  int newList = 0;
  Doc.InsertItemAt(index, text, item, full, newList);
  EXPECT_TRUE(Doc.IsParaStart(4));
  EXPECT_TRUE(Doc.GetItem(4)->GetPageBreakBefore());
}

TEST_F(MarkerDoc, HtmlOfTextMarkers) {
  TRVMarkerItemInfo *m = AddMarker(Doc, 0, "one");
  TRVMarkerFont f;
  f.Name = "Times New Roman";
  f.Size = 12;
  f.Color = clRed;
  L->SetFont(&f);
  L->LeftIndent = 0;
  L->FirstIndent = 24;
  L->MarkerIndent = 0;
  TRVHTMLSaveContext css;
  css.UseCSS = true;
  std::string out;
  m->SaveToHTML(out, &Doc, 0, "", css);
  EXPECT_EQ(out, "<SPAN style=\"{font: 12pt 'Times New Roman'; color: #FF0000; width: 24px;}\">1.</SPAN>");
  L->LeftIndent = 30;
  out.clear();
  m->SaveToHTML(out, &Doc, 0, "", css);
  EXPECT_EQ(out, "<SPAN style=\"{font: 12pt 'Times New Roman'; color: #FF0000;}\">1.</SPAN>");
  TRVHTMLSaveContext plain;
  out.clear();
  m->SaveToHTML(out, &Doc, 0, "", plain);
  EXPECT_EQ(out, "<FONT size=3 color=\"#FF0000\" face=\"Times New Roman\">1.</FONT>");
  L->ListType = rvlstUnicodeBullet;
  L->FormatStringW = u"\u25CF";
  out.clear();
  m->SaveToHTML(out, &Doc, 0, "", css);
  EXPECT_EQ(out, "<SPAN style=\"{font: 12pt 'Times New Roman'; color: #FF0000;}\">&#9679;</SPAN>");
  // Without a list nothing is written.
  m->ListNo = 5;
  out.clear();
  m->SaveToHTML(out, &Doc, 0, "", css);
  EXPECT_EQ(out, "");
}

TEST_F(MarkerDoc, RtfOfTextMarkers) {
  AddMarker(Doc, 0, "one");
  TRVMarkerItemInfo *m = AddMarker(Doc, 1, "two");
  EXPECT_EQ(m->DisplayString, "1.a)");
  TRVMarkerFont f;
  f.Name = "Courier New";
  f.Size = 10;
  f.Style = fsBold;
  f.Color = clRed;
  Style.ListStyles()[0]->Levels.Items(1)->SetFont(&f);
  TRVColorList colors;
  TRVRTFFontTable fonts;
  fonts.AddUnique("Arial", 1);
  m->FillRTFTables(colors, fonts, &Doc);
  EXPECT_EQ(fonts.Find("Courier New", 1), 1);
  EXPECT_EQ(colors.IndexOf(clRed), 0);
  TRVRTFSaveContext ctx;
  ctx.ColorList = &colors;
  std::string out;
  m->SaveRTFEx(out, &Style, &fonts, 3, ctx);
  EXPECT_EQ(out, "{\\listtext\\pard\\plain\\f1\\b\\fs20\\cf0 1.a)\\tab}\\ls3\\ilvl1");
  EXPECT_FALSE(m->RestartsRTFList(&Style));
  m->Reset = true;
  EXPECT_TRUE(m->RestartsRTFList(&Style));
  // Through the item's own operation the font table is the style sheet's
  // and a restarting marker has an override of its own.
  out.clear();
  m->SaveRTF(out, &Doc, 2, "", ctx);
  EXPECT_EQ(out, "{\\listtext\\pard\\plain\\f1\\b\\fs20\\cf0 1.a)\\tab}\\ls2\\ilvl1");
}

TEST_F(MarkerDoc, RtfOverrideNumbers) {
  TRVListInfo *second = Style.ListStyles().Add();
  second->Levels.Add()->ListType = rvlstDecimal;
  auto add = [&](int ListNo, bool Reset) {
    auto m = std::make_unique<TRVMarkerItemInfo>(&Doc, ListNo, 0, 1, Reset);
    TRVMarkerItemInfo *p = m.get();
    Doc.AddItem("", std::move(m));
    Doc.AddMarkerToList(Doc.GetItemCount() - 1);
    return p;
  };
  TRVMarkerItemInfo *plain = add(0, false), *a = add(0, true), *b = add(1, true), *c = add(0, true);
  const TRVMarkerList *list = Doc.GetMarkers(false);
  // Two plain overrides, then list 0's restarts, then list 1's.
  EXPECT_EQ(plain->GetRTFListOverrideNo(&Style, list), 1);
  EXPECT_EQ(a->GetRTFListOverrideNo(&Style, list), 3);
  EXPECT_EQ(c->GetRTFListOverrideNo(&Style, list), 4);
  EXPECT_EQ(b->GetRTFListOverrideNo(&Style, list), 5);
  // Image counters never restart an override.
  second->Levels.Items(0)->ListType = rvlstImageListCounter;
  EXPECT_EQ(b->GetRTFListOverrideNo(&Style, list), 2);
}

TEST_F(MarkerDoc, NumbersFollowInsertionsAndRemovals) {
  AddMarker(Doc, 0, "a");
  AddMarker(Doc, 0, "b");
  AddMarker(Doc, 0, "c");
  TRVMarkerList *list = Doc.GetMarkers(false);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->Count(), 3);
  EXPECT_EQ(list->Items(2)->DisplayString, "3.");
  // A marker inserted before the second one renumbers those after it.
  std::string text;
  std::unique_ptr<TCustomRVItemInfo> item = std::make_unique<TRVMarkerItemInfo>(&Doc, 0, 0, 0, false);
  int index = 2;
  bool full = false;
  int newList = 0;
  Doc.InsertItemAt(index, text, item, full, newList);
  ASSERT_EQ(list->Count(), 4);
  EXPECT_EQ(list->Items(1)->DisplayString, "2.");
  EXPECT_EQ(list->Items(3)->DisplayString, "4.");
  // Moving it to the undo list takes it out of the numbering, moving it back
  // puts it in again.
  auto *moved = static_cast<TRVMarkerItemInfo *>(Doc.GetItem(2));
  moved->MovingToUndoList(2, &Doc);
  EXPECT_EQ(Doc.GetMarkers(false)->Count(), 3);
  Doc.GetMarkers(false)->RecalcCounters(0, &Style);
  EXPECT_EQ(Doc.GetMarkers(false)->Items(2)->DisplayString, "3.");
  moved->MovingFromUndoList(2, &Doc);
  EXPECT_EQ(Doc.GetMarkers(false)->Count(), 4);
  EXPECT_EQ(Doc.GetMarkers(false)->Items(3)->DisplayString, "4.");
  Doc.DeleteItems(0, 2);
  ASSERT_EQ(Doc.GetMarkers(false)->Count(), 3);
  EXPECT_EQ(Doc.GetMarkers(false)->Items(0)->DisplayString, "1.");
  EXPECT_EQ(Doc.GetMarkers(false)->Items(2)->DisplayString, "3.");
}

TEST_F(MarkerDoc, SizesAndTextFromTheDocument) {
  TRVMarkerItemInfo *m = AddMarker(Doc, 0, "a");
  RecordingCanvas canvas;
  TRVDrawLineInfo dl;
  bool resized = true;
  int h = 0;
  L->FirstIndent = 20;
  m->OnDocWidthChange(500, &dl, false, &canvas, &Doc, nullptr, resized, h);
  EXPECT_EQ(dl.Width, 20);
  EXPECT_EQ(h, 14);
  EXPECT_EQ(m->GetMinWidth(nullptr, &canvas, &Doc), 20);
  // A right-to-left paragraph puts the marker at the right end of its room.
  Style.ParaStyles()[0]->BiDiMode = rvbdRightToLeft;
  m->OnDocWidthChange(500, &dl, false, &canvas, &Doc, nullptr, resized, h);
  EXPECT_EQ(dl.ExtraSpaceBefore, 6);
  EXPECT_EQ(m->AsText(0, 0, &Doc, "", "", false, false), "1. ");
}

// A document inside an item of another document, as a table cell is.
class CellData : public TCustomRVData {
public:
  CellData(TCustomRVData *AParent, const TCustomRVItemInfo *AOwner) : Parent(AParent), Owner(AOwner) {}
  ~CellData() override { Clear(); }
  TCustomRVData *GetParentData() const override { return Parent; }
  TCustomRVData *GetRootData() const override { return Parent->GetRootData(); }
  TCustomRVData *GetAbsoluteParentData() const override { return Parent; }
  TCustomRVData *GetAbsoluteRootData() const override { return Parent->GetAbsoluteRootData(); }
  TRVStyle *GetRVStyle() const override { return Parent->GetRVStyle(); }
  void GetParentInfo(int &ParentItemNo, void *&Location) const override {
    ParentItemNo = Parent->GetItemNo(Owner);
    Location = nullptr;
  }
  TCustomRVData *Parent;
  const TCustomRVItemInfo *Owner;
};

// An item that owns a nested document.
class BoxItem : public TRVRectItemInfo {
public:
  explicit BoxItem(TCustomRVData *RVData) : TRVRectItemInfo(RVData) {
    StyleNo = -70;
    Cell = std::make_unique<CellData>(RVData, this);
  }
  std::unique_ptr<TCustomRVItemInfo> NewInstance(TCustomRVData *RVData) const override {
    return std::make_unique<BoxItem>(RVData);
  }
  TCustomRVData *GetSubRVData(int &Location, TRVSubRVDataPos Position) override {
    switch (Position) {
    case rvdFirst:
    case rvdLast: Location = 0; break;
    case rvdNext: ++Location; break;
    case rvdPrev: --Location; break;
    default: return nullptr;
    }
    return Location == 0 ? Cell.get() : nullptr;
  }
  std::unique_ptr<CellData> Cell;
};

TEST_F(MarkerDoc, NumberingRunsThroughNestedDocuments) {
  TRVMarkerItemInfo *a = AddMarker(Doc, 0, "a");
  auto addBox = [&] {
    auto boxItem = std::make_unique<BoxItem>(&Doc);
    BoxItem *box = boxItem.get();
    Doc.AddItem("", std::move(boxItem));
    return box;
  };
  BoxItem *box = addBox();
  CellData &c1 = *box->Cell;
  TRVMarkerItemInfo *b = AddMarker(c1, 0, "b");
  TRVMarkerItemInfo *b1 = AddMarker(c1, 1, "b1");
  CellData &c2 = *addBox()->Cell;
  TRVMarkerItemInfo *c = AddMarker(c2, 0, "c");
  TRVMarkerItemInfo *d = AddMarker(Doc, 0, "d");
  auto texts = [&] {
    std::vector<std::string> r;
    for (auto *m : {a, b, b1, c, d}) r.push_back(m->DisplayString);
    return r;
  };
  EXPECT_EQ(texts(), (std::vector<std::string>{"1.", "2.", "2.a)", "3.", "4."}));
  // One list for the whole tree, in document order.
  ASSERT_EQ(c1.GetMarkers(false), Doc.GetMarkers(false));
  EXPECT_EQ(Doc.GetMarkers(false)->Count(), 5);
  EXPECT_EQ(c->GetIndexInList(Doc.GetMarkers(false)), 3);

  // A marker inserted at the end of the first nested document comes before
  // the second one's.
  std::unique_ptr<TCustomRVItemInfo> item = std::make_unique<TRVMarkerItemInfo>(&c1, 0, 0, 0, false);
  auto *e = static_cast<TRVMarkerItemInfo *>(item.get());
  std::string text;
  int index = c1.GetItemCount();
  bool full = false;
  int newList = 0;
  c1.InsertItemAt(index, text, item, full, newList);
  EXPECT_EQ(e->DisplayString, "3.");
  EXPECT_EQ(texts(), (std::vector<std::string>{"1.", "2.", "2.a)", "4.", "5."}));

  // Deleting the nested markers renumbers the outer ones.
  c1.DeleteItems(0, c1.GetItemCount());
  EXPECT_EQ(c->DisplayString, "2.");
  EXPECT_EQ(d->DisplayString, "3.");
  // Freeing the second box takes its markers out of the list (freeing a
  // whole document renumbers nothing; the editor recounts afterwards).
  Doc.DeleteItems(Doc.GetItemNo(c2.Owner), 1);
  ASSERT_EQ(Doc.GetMarkers(false)->Count(), 2);
  Doc.RecountMarkersFrom(Doc.GetItemNo(d), false);
  EXPECT_EQ(d->DisplayString, "2.");
}

TEST_F(MarkerDoc, RvfRecord) {
  auto m = std::make_unique<TRVMarkerItemInfo>(&Doc, 0, 2, 5, true);
  TRVMarkerItemInfo *p = m.get();
  Doc.AddItem("", std::move(m));
  std::string out;
  p->SaveRVF(out, &Doc, 0, "", false);
  EXPECT_EQ(out, "-11 0 0 0 0 0 0 2 5 1\r\n");
  p->NoHTMLImageSize = true;
  out.clear();
  p->SaveRVF(out, &Doc, 0, "", false);
  EXPECT_EQ(out, "-11 1 0 0 0 0 0 2 5 1\r\nnohtmlsize=1\r\n");
}

TEST_F(MarkerDoc, PrintsOntoABitmap) {
  TRVMarkerItemInfo *m = AddMarker(Doc, 0, "a");
  L->ListType = rvlstPicture;
  QImage img(4, 4, QImage::Format_ARGB32);
  img.fill(Qt::red);
  img.setPixelColor(0, 3, Qt::blue); // level pictures are transparent in their bottom-left colour
  TBitmap picture(img);
  L->SetPicture(&picture);
  QImage white(8, 8, QImage::Format_ARGB32);
  white.fill(Qt::white);
  TBitmap target(white);
  TRVDrawLineInfo dl;
  EXPECT_TRUE(m->PrintToBitmap(target, false, &Doc, &dl, -1, 0));
  EXPECT_EQ(target.image().pixelColor(1, 1), QColor(Qt::red));
  EXPECT_EQ(target.image().pixelColor(6, 6), QColor(Qt::white));
}

TEST_F(MarkerDoc, HtmlOfPictureAndImageMarkers) {
  kctest::TempDir dir;
  TRVMarkerItemInfo *m = AddMarker(Doc, 0, "a");
  TRVHTMLSaveContext css;
  css.UseCSS = true;
  css.Path = dir.path().string() + "/";
  css.ImagesPrefix = "img";
  L->ListType = rvlstPicture;
  std::string out;
  m->SaveToHTML(out, &Doc, 0, "", css); // no picture yet
  EXPECT_EQ(out, "");
  EXPECT_EQ(m->GetHTMLListItemStyle(&Doc, css), "");
  QImage img(6, 5, QImage::Format_ARGB32);
  img.fill(Qt::red);
  TBitmap picture(img);
  L->SetPicture(&picture);
  m->SaveToHTML(out, &Doc, 0, "", css);
  EXPECT_EQ(out, "<IMG width=6 height=5 src=\"img1.bmp\">");
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "img1.bmp"));
  m->NoHTMLImageSize = true;
  out.clear();
  m->SaveToHTML(out, &Doc, 0, "", css);
  EXPECT_EQ(out, "<IMG src=\"img2.bmp\">");
  EXPECT_EQ(m->GetHTMLListItemStyle(&Doc, css), " style=\"list-style-image: url('img3.bmp')\"");

  // Image-list images are written once per image and background.
  TCustomImageList images(8, 8);
  QImage cell(8, 8, QImage::Format_ARGB32);
  cell.fill(Qt::green);
  images.Add(cell);
  L->ListType = rvlstImageList;
  L->ImageList = &images;
  L->LeftIndent = 0;
  L->FirstIndent = 16;
  m->NoHTMLImageSize = false;
  out.clear();
  m->SaveToHTML(out, &Doc, 0, "", css);
  m->SaveToHTML(out, &Doc, 0, "", css);
  EXPECT_EQ(out, "<SPAN style=\"width:16px\"><IMG width=8 height=8 src=\"img4.bmp\"></SPAN>"
                 "<SPAN style=\"width:16px\"><IMG width=8 height=8 src=\"img4.bmp\"></SPAN>");
  L->ImageIndex = 1; // past the list
  out.clear();
  m->SaveToHTML(out, &Doc, 0, "", css);
  EXPECT_EQ(out, "");
}

} // namespace
