// RVF: the bytes the writer gives for small documents, write-read-write
// identity for random documents, the reader's mapping, warnings and
// tolerance, and hostile streams.
#include "richtext/document/CRVDataFormats.h"

#include "support/DocumentHosts.h"

#include <gtest/gtest.h>

#include <random>

#include "richtext/document/RVMarker.h"
#include "richtext/document/RVUni.h"

using namespace kc;
using kctest::U16;

namespace {

struct TDoc : kctest::TStyledDoc<> {
  TDoc() {
    host.Flags = 0x100;
    host.RVFOptions = TRVFOptions{};
  }
  void Text(const std::string &s, int Style, int Para, uint8_t Options = 0, TRVTag Tag = 0, std::string Hint = {}) {
    auto item = RichVistaTextItemClass(&doc);
    item->StyleNo = Style;
    item->ParaNo = Para;
    item->ItemOptions = TRVItemOptions::FromRaw(Options);
    item->Tag = std::move(Tag);
    item->Hint = std::move(Hint);
    doc.AddItem(s, std::move(item));
  }
  std::string Rvf(bool SelectionOnly = false, const TRVLayoutInfo *Layout = nullptr) {
    std::string s;
    EXPECT_TRUE(SaveRvfToStream(doc, s, SelectionOnly, Layout));
    return s;
  }
};

} // namespace

// ------------------------------------------------------------------ writer

TEST(RvfWriter, SmallDocumentsGiveTheseBytes) {
  struct Case {
    const char *name;
    std::function<void(TDoc &)> build;
    std::string bytes;
  };
  using namespace std::string_literals;
  const Case cases[] = {
      {"empty document", [](TDoc &) {}, ""},
      {"two paragraphs in one run",
       [](TDoc &d) {
         d.Text("a", 0, 0);
         d.Text("b", 0, 0);
       },
       "-8 1 3\r\n0 2 0 0 0 0\r\na\r\nb\r\n"},
      {"continuation gets its own record",
       [](TDoc &d) {
         d.Text("a", 0, 0);
         d.Text("b", 0, 0);
         d.Text("c", 0, -1);
       },
       "-8 1 3\r\n0 2 0 0 0 0\r\na\r\nb\r\n0 1 -1 1 0 0\r\nc\r\n"},
      {"hint and tag split runs",
       [](TDoc &d) {
         d.Text("a", 1, 0, 0, 5, "say \"hi\"");
         d.Text("b", 1, 0);
       },
       "-8 1 3\r\n1 1 0 0 0 5 \"say \"\"hi\"\"\"\r\na\r\n1 1 0 0 0 0\r\nb\r\n"},
      {"UTF-16 text is hexadecimal bytes, low byte first", [](TDoc &d) { d.Text(U16(u"A\u0416"), 0, 0, 8); },
       "-8 1 3\r\n0 1 0 8 3 0\r\n41001604\r\n"},
      {"UTF-16 text in binary form ends with U+2029",
       [](TDoc &d) {
         d.host.RVFOptions = TRVFOptions{rvfoSaveBinary};
         d.Text(U16(u"A"), 0, 0, 8);
       },
       "-8 1 3\r\n0 1 0 8 0 0\r\nA\0\x29\x20"s},
      {"checkpoint before its item",
       [](TDoc &d) {
         d.doc.AddCheckpointTag("here", true, 7);
         d.Text("a", 0, 0);
       },
       "-8 1 3\r\n-2 1 0 0 0 7 1 0\r\nhere\r\n0 1 0 0 0 0\r\na\r\n"},
      {"style names instead of numbers",
       [](TDoc &d) {
         d.host.RVFOptions = TRVFOptions{rvfoUseStyleNames};
         d.Text("a", 0, 0);
       },
       ""},
  };
  for (const Case &c : cases) {
    TDoc d;
    c.build(d);
    std::string want = c.bytes;
    if (std::string(c.name) == "style names instead of numbers")
      want = "-8 1 3\r\n\"" + d.style.TextStyles()[0]->StyleName + "\" 1 \"" + d.style.ParaStyles()[0]->StyleName +
             "\" 0 0 0\r\na\r\n";
    EXPECT_EQ(d.Rvf(), want) << c.name;
  }
}

TEST(RvfWriter, TextTagsAreQuotedAndEmptyOnesAreZero) {
  TDoc d;
  d.host.Options.Include(rvoTagsArePChars);
  d.Text("a", 0, 0, 0, TRVTag());
  d.Text("b", 0, 0, 0, TRVTag::FromText("x\"y"));
  EXPECT_EQ(d.Rvf(), "-8 1 3\r\n0 1 0 0 0 0\r\na\r\n0 1 0 0 0 \"x\"\"y\"\r\nb\r\n");
}

// Chat text, hints and names come from the network: a line end inside
// must not cut the record and inject records of the sender's choosing.
TEST(RvfWriter, LineEndsInHintsTagsAndNamesBecomeBlanks) {
  TDoc d;
  d.host.Options.Include(rvoTagsArePChars);
  d.doc.AddCheckpointTag("cp\r\n0 1 0 0 0 0", false, TRVTag::FromText("t\r1"));
  d.Text("a", 0, 0, 0, TRVTag::FromText("x\ny"), std::string("h\r\n\0i", 5));
  const std::string s = d.Rvf();
  EXPECT_EQ(s, "-8 1 3\r\n-2 1 0 0 0 \"t 1\" 0 0\r\ncp  0 1 0 0 0 0\r\n0 1 0 0 0 \"x y\" \"h   i\"\r\na\r\n");
  TDoc r;
  r.host.Options.Include(rvoTagsArePChars);
  ASSERT_TRUE(LoadRvfFromStream(r.doc, s).Ok);
  ASSERT_EQ(r.doc.GetItemCount(), 1);
  EXPECT_EQ(r.doc.GetItem(0)->Hint, "h   i");
}

TEST(RvfWriter, LayoutBlockIs25BytesAndItsBinaryLengthReads33) {
  TDoc d;
  d.host.RVFOptions = TRVFOptions{rvfoSaveLayout, rvfoSaveBinary};
  d.Text("a", 0, 0);
  TRVLayoutInfo layout;
  layout.LeftMargin = 5;
  const std::string s = d.Rvf(false, &layout);
  const std::string head = "-8 1 3\r\n-9 2 0 0 2 0 3\r\n\r\n";
  ASSERT_EQ(s.substr(0, head.size()), head);
  EXPECT_EQ(s.substr(head.size(), 4), std::string("\x21\0\0\0", 4));
  d.host.RVFOptions = TRVFOptions{rvfoSaveLayout};
  const std::string t = d.Rvf(false, &layout);
  EXPECT_NE(t.find("-9 2 0 0 0 0 3\r\n\r\n000000001900000005000000"), std::string::npos) << t;
}

// ---------------------------------------------------------- reader basics

TEST(RvfReader, VersionsAndDefaults) {
  struct Case {
    const char *name;
    std::string stream;
  };
  const Case cases[] = {
      {"version 1.3", "-8 1 3\r\n0 1 0 0 0 0\r\nabc\r\n"},
      {"no version record: no options field", "0 1 0 0 0\r\nabc\r\n"},
      {"version 1.1: no options field", "-8 1 1\r\n0 1 0 0 0\r\nabc\r\n"},
      {"version 2.0 is later than 1.2: options field", "-8 2 0\r\n0 1 0 0 0 0\r\nabc\r\n"},
      {"lone LF line ends", "-8 1 3\n0 1 0 0 0 0\nabc"},
  };
  for (const Case &c : cases) {
    TDoc d;
    const TRVFReadResult r = LoadRvfFromStream(d.doc, c.stream);
    ASSERT_TRUE(r.Ok) << c.name << ": " << r.Error;
    ASSERT_EQ(d.doc.GetItemCount(), 1) << c.name;
    EXPECT_EQ(d.doc.GetItemTextRaw(0), "abc") << c.name;
    EXPECT_EQ(d.doc.GetItemStyle(0), 0) << c.name;
    EXPECT_TRUE(d.doc.IsParaStart(0)) << c.name;
  }
}

TEST(RvfReader, UnknownStyleFailsWithWarningUnlessConvertedToZero) {
  TDoc d;
  const std::string s = "-8 1 3\r\n99 1 0 0 0 0\r\nabc\r\n";
  EXPECT_FALSE(LoadRvfFromStream(d.doc, s).Ok);
  EXPECT_TRUE(d.doc.GetRVFWarnings().Has(rvfwConvUnknownStyles));
  d.host.RVFOptions = TRVFOptions{rvfoConvUnknownStylesToZero};
  ASSERT_TRUE(LoadRvfFromStream(d.doc, s).Ok);
  EXPECT_EQ(d.doc.GetItem(0)->StyleNo, 0);
  EXPECT_TRUE(d.doc.GetRVFWarnings().Has(rvfwConvUnknownStyles));
}

TEST(RvfReader, TextMeetsTheEncodingOfItsStyle) {
  TDoc d;
  d.style.TextStyles()[0]->Unicode = true;
  ASSERT_TRUE(LoadRvfFromStream(d.doc, "-8 1 3\r\n0 1 0 0 0 0\r\nab\r\n").Ok);
  EXPECT_TRUE(d.doc.GetItem(0)->IsUnicode());
  EXPECT_EQ(d.doc.GetItemTextRaw(0), U16(u"ab"));
  EXPECT_TRUE(d.doc.GetRVFWarnings().Has(rvfwConvToUnicode));
  d.style.TextStyles()[0]->Unicode = false;
  ASSERT_TRUE(LoadRvfFromStream(d.doc, "-8 1 3\r\n0 1 0 8 3 0\r\n61006200\r\n").Ok);
  EXPECT_FALSE(d.doc.GetItem(0)->IsUnicode());
  EXPECT_EQ(d.doc.GetItemTextRaw(0), "ab");
  EXPECT_TRUE(d.doc.GetRVFWarnings().Has(rvfwConvFromUnicode));
}

TEST(RvfReader, MarkerAtTheEndGetsAnEmptyTextAfterIt) {
  TDoc d;
  d.style.ListStyles().AddEntry();
  d.doc.AddItem("", std::make_unique<TRVMarkerItemInfo>(&d.doc, 0, 0, 1, false));
  const std::string s = d.Rvf();
  TDoc r;
  r.style.ListStyles().AddEntry();
  ASSERT_TRUE(LoadRvfFromStream(r.doc, s).Ok);
  ASSERT_EQ(r.doc.GetItemCount(), 2);
  EXPECT_EQ(r.doc.GetItem(0)->StyleNo, rvsListMarker);
  EXPECT_TRUE(r.doc.GetItem(1)->IsText());
  EXPECT_TRUE(r.doc.GetItem(1)->GetContinuePara());
}

TEST(RvfReader, StyleSectionsReplaceOrMergeTheStyleSheet) {
  TDoc d;
  d.host.RVFOptions = TRVFOptions{rvfoSaveTextStyles, rvfoSaveParaStyles};
  TFontInfo *loud = static_cast<TFontInfo *>(d.style.TextStyles().AddEntry());
  loud->StyleName = "Shout";
  loud->Size = 40;
  const int shout = d.style.TextStyles().Count() - 1;
  d.Text("a", shout, 0);
  const std::string s = d.Rvf();
  TDoc whole;
  ASSERT_TRUE(LoadRvfFromStream(whole.doc, s).Ok);
  ASSERT_EQ(whole.style.TextStyles().Count(), shout + 1);
  EXPECT_EQ(whole.style.TextStyles()[shout]->StyleName, "Shout");
  TDoc ins;
  ins.style.TextStyles()[0]->Size = 30;
  const int before = ins.style.TextStyles().Count();
  ASSERT_TRUE(InsertRvfFromStream(ins.doc, s).Ok);
  ASSERT_EQ(ins.doc.GetItemCount(), 1);
  const int mapped = ins.doc.GetItem(0)->StyleNo;
  ASSERT_LT(mapped, ins.style.TextStyles().Count());
  EXPECT_EQ(ins.style.TextStyles()[mapped]->StyleName, "Shout");
  EXPECT_GT(ins.style.TextStyles().Count(), before - 1);
}

// A style sheet that comes after items replaces the one they were read
// against: they must name styles of the new sheet, or the document would be
// saved into a stream that no reader takes.
TEST(RvfReader, StyleSheetAfterItemsMustHoldTheirStyles) {
  TDoc one;
  one.host.RVFOptions = TRVFOptions{rvfoSaveTextStyles};
  while (one.style.TextStyles().Count() > 1) one.style.TextStyles().Delete(1);
  one.Text("x", 0, 0);
  const std::string sheetFirst = one.Rvf();
  const size_t items = sheetFirst.rfind("0 1 0 0 0 0\r\n");
  ASSERT_NE(items, std::string::npos);
  const std::string header = "-8 1 3\r\n";
  ASSERT_EQ(sheetFirst.substr(0, header.size()), header);
  const std::string sheet = sheetFirst.substr(header.size(), items - header.size());
  const std::string stream = header + "2 1 0 0 0 0\r\nabc\r\n" + sheet;

  TDoc refuse;
  ASSERT_GT(refuse.style.TextStyles().Count(), 2);
  const TRVFReadResult r = LoadRvfFromStream(refuse.doc, stream);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Error, "a style number is beyond the style sheet");

  TDoc convert;
  convert.host.RVFOptions = TRVFOptions{rvfoConvUnknownStylesToZero, rvfoSaveTextStyles};
  ASSERT_TRUE(LoadRvfFromStream(convert.doc, stream).Ok);
  EXPECT_EQ(convert.style.TextStyles().Count(), 1);
  EXPECT_EQ(convert.doc.GetItem(0)->StyleNo, 0);
  TDoc again;
  again.host.RVFOptions = convert.host.RVFOptions;
  EXPECT_TRUE(LoadRvfFromStream(again.doc, convert.Rvf()).Ok);
}

// ---------------------------------------------------------- insertion

namespace {

// Items as "text+ParaNo", "," inside a paragraph, "|" between paragraphs,
// "/" before a new line; a marker is "#" and its counter, a break "-".
std::string Shape(const TCustomRVData &D) {
  std::string r;
  for (int i = 0; i < D.GetItemCount(); ++i) {
    const TCustomRVItemInfo *item = D.GetItem(i);
    if (i > 0) r += D.IsParaStart(i) ? "|" : item->GetContinuePara() ? "," : "/";
    if (item->StyleNo == rvsListMarker)
      r += "#" + std::to_string(static_cast<const TRVMarkerItemInfo *>(item)->Counter);
    else if (item->StyleNo == rvsBreak) r += "-";
    else r += D.GetItemTextRaw(i);
    r += std::to_string(item->ParaNo);
  }
  return r;
}

// The paragraphs "a","b" (paragraph style 1, b continuing) and "c".
struct TInsDoc : TDoc {
  TInsDoc() {
    style.ParaStyles().AddEntry();
    style.ParaStyles().AddEntry();
    Text("a", 0, 1);
    Text("b", 0, -1);
    Text("c", 0, 0);
  }
};

} // namespace

TEST(RvfInsert, ItemsGoWhereAskedAndParagraphsJoinAtTheEdges) {
  const std::string continuing = "-8 1 3\r\n0 1 -1 1 0 0\r\nx\r\n";
  const std::string paragraphs = "-8 1 3\r\n0 2 2 0 0 0\r\nx\r\ny\r\n";
  const std::string brk = "-8 1 3\r\n-1 0 2 0 0 0 536870911 0 1\r\n";
  struct Case {
    const char *name;
    const std::string &stream;
    int index;
    const char *shape;
  };
  const Case cases[] = {
      {"a continuing item joins the paragraph it is put in", continuing, 1, "a1,x1,b1|c0"},
      {"paragraphs split it, and its rest joins the last one", paragraphs, 1, "a1|x2|y2,b2|c0"},
      {"before the first item nothing is there to continue", continuing, 0, "x0|a1,b1|c0"},
      {"between paragraphs", paragraphs, 2, "a1,b1|x2|y2|c0"},
      {"at the end", continuing, 3, "a1,b1|c0,x0"},
      {"an index beyond the items is the end", paragraphs, 99, "a1,b1|c0|x2|y2"},
      {"an index below zero is the start", paragraphs, -4, "x2|y2|a1,b1|c0"},
      {"nothing continues a break", brk, 1, "a1|-2|b1|c0"},
  };
  for (const Case &c : cases) {
    TInsDoc d;
    const TRVFReadResult r = InsertRvfFromStream(d.doc, c.stream, c.index);
    EXPECT_TRUE(r.Ok) << c.name << ": " << r.Error;
    EXPECT_EQ(Shape(d.doc), c.shape) << c.name;
  }
}

TEST(RvfInsert, CheckpointsKeepTheirOrder) {
  const std::string stream = "-8 1 3\r\n-2 1 0 0 0 0 0 1\r\nnew\r\n0 1 0 0 0 0\r\nx\r\n-2 1 0 0 0 0 0 0\r\ntail\r\n";
  // Inside the document the stream's checkpoint goes on its item between
  // those around it, and one after the stream's last item is dropped.
  TDoc withC;
  withC.style.ParaStyles().AddEntry();
  withC.Text("a", 0, 1);
  withC.doc.AddCheckpointTag("on b", false, 0);
  withC.Text("b", 0, -1);
  withC.doc.AddCheckpointTag("on c", false, 0);
  withC.Text("c", 0, 0);
  ASSERT_TRUE(InsertRvfFromStream(withC.doc, stream, 2).Ok);
  EXPECT_EQ(Shape(withC.doc), "a1,b1|x0|c0");
  std::vector<std::string> chain;
  for (const TRVCPInfo *cp = withC.doc.FirstCP; cp; cp = cp->Next) chain.push_back(cp->Name);
  EXPECT_EQ(chain, (std::vector<std::string>{"on b", "new", "on c"}));
  ASSERT_NE(withC.doc.GetItem(2)->Checkpoint, nullptr);
  EXPECT_EQ(withC.doc.GetItem(2)->Checkpoint->Name, "new");
  EXPECT_TRUE(withC.doc.GetItem(2)->Checkpoint->Persistent);
  EXPECT_EQ(withC.doc.NotAddedCP, nullptr);
  EXPECT_EQ(withC.doc.CPCount, 3);
  // Appended, the document's own checkpoint after its last item goes on
  // the first appended item and the stream's last one takes its place.
  TInsDoc d;
  d.doc.AddCheckpointTag("end", false, 0);
  ASSERT_TRUE(InsertRvfFromStream(d.doc, stream).Ok);
  ASSERT_NE(d.doc.GetItem(3)->Checkpoint, nullptr);
  EXPECT_EQ(d.doc.GetItem(3)->Checkpoint->Name, "end");
  ASSERT_NE(d.doc.NotAddedCP, nullptr);
  EXPECT_EQ(d.doc.NotAddedCP->Name, "tail");
}

TEST(RvfInsert, MarkersAreNumberedWhereTheyLand) {
  TDoc d;
  static_cast<TRVListInfo *>(d.style.ListStyles().AddEntry())->Levels.Add()->ListType = rvlstDecimal;
  auto para = [](TDoc &t, const char *text) {
    t.doc.AddItem("", std::make_unique<TRVMarkerItemInfo>(&t.doc, 0, 0, 1, false));
    t.Text(text, 0, -1);
  };
  para(d, "one");
  para(d, "two");
  TDoc src;
  static_cast<TRVListInfo *>(src.style.ListStyles().AddEntry())->Levels.Add()->ListType = rvlstDecimal;
  para(src, "new");
  const std::string s = src.Rvf();
  ASSERT_TRUE(InsertRvfFromStream(d.doc, s, 2).Ok);
  EXPECT_EQ(Shape(d.doc), "#10,one0|#20,new0|#30,two0");
  // A paragraph put right after a marker leaves the marker a text of its own.
  ASSERT_TRUE(InsertRvfFromStream(d.doc, "-8 1 3\r\n0 1 0 0 0 0\r\nx\r\n", 1).Ok);
  EXPECT_EQ(Shape(d.doc), "#10,0|x0,one0|#20,new0|#30,two0");
}

TEST(RvfInsert, AStreamThatFailsChangesNothing) {
  TDoc src;
  src.host.RVFOptions = TRVFOptions{rvfoSaveTextStyles};
  TFontInfo *loud = static_cast<TFontInfo *>(src.style.TextStyles().AddEntry());
  loud->StyleName = "Shout";
  loud->Size = 40;
  src.Text("new", src.style.TextStyles().Count() - 1, 0);
  src.Text("more", 0, 0);
  const std::string whole = src.Rvf();
  struct Case {
    const char *name;
    std::string stream;
  };
  const Case cases[] = {
      {"cut inside its last record", whole.substr(0, whole.rfind("more"))},
      {"a record that counts more lines than come", "-8 1 3\r\n0 1 0 0 0 0\r\nx\r\n0 3 0 0 0 0\r\ny\r\n"},
      {"an unknown style", "-8 1 3\r\n0 1 0 0 0 0\r\nx\r\n77 1 0 0 0 0\r\ny\r\n"},
  };
  for (const Case &c : cases) {
    TInsDoc d;
    d.doc.AddCheckpointTag("end", false, 0);
    const int styles = d.style.TextStyles().Count();
    const TRVFReadResult r = InsertRvfFromStream(d.doc, c.stream, 1);
    EXPECT_FALSE(r.Ok) << c.name;
    EXPECT_FALSE(r.Error.empty()) << c.name;
    EXPECT_EQ(Shape(d.doc), "a1,b1|c0") << c.name;
    EXPECT_EQ(d.style.TextStyles().Count(), styles) << c.name;
    ASSERT_NE(d.doc.NotAddedCP, nullptr) << c.name;
    EXPECT_EQ(d.doc.CPCount, 1) << c.name;
  }
}

// Restarts and continuations of numbering come back as the document
// showed them, in both forms.
TEST(RvfRoundTrip, ListNumberingSurvives) {
  auto lists = [](TDoc &t) {
    TRVListInfo *list = static_cast<TRVListInfo *>(t.style.ListStyles().AddEntry());
    TRVListLevel *l0 = list->Levels.Add();
    l0->ListType = rvlstDecimal;
    l0->FormatString = "%0:s.";
    TRVListLevel *l1 = list->Levels.Add();
    l1->ListType = rvlstLowerAlpha;
    l1->FormatString = "%0:s.%1:s";
    TRVListInfo *other = static_cast<TRVListInfo *>(t.style.ListStyles().AddEntry());
    TRVListLevel *roman = other->Levels.Add();
    roman->ListType = rvlstUpperRoman;
    roman->FormatString = "%s)";
  };
  TDoc d;
  lists(d);
  struct P {
    int list, level, startFrom; // startFrom 0: counts on
  };
  const P paras[] = {{0, 0, 0}, {0, 1, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 0}, {-1, 0, 0},
                     {0, 1, 0}, {0, 0, 9}, {0, 1, 4}, {1, 0, 0}, {0, 0, 0}};
  for (const P &p : paras) {
    if (p.list >= 0)
      d.doc.AddItem("", std::make_unique<TRVMarkerItemInfo>(&d.doc, p.list, p.level, p.startFrom, p.startFrom > 0));
    d.Text("t", 0, p.list >= 0 ? -1 : 0);
  }
  auto numbers = [](const TCustomRVData &D) {
    std::string r;
    for (int i = 0; i < D.GetItemCount(); ++i)
      if (D.GetItem(i)->StyleNo == rvsListMarker)
        r += static_cast<const TRVMarkerItemInfo *>(D.GetItem(i))->DisplayString + " ";
    return r;
  };
  const std::string shown = numbers(d.doc);
  ASSERT_EQ(shown, "1. 1.a 1.b I) 2. 2.a 9. 9.d II) 10. ");
  for (bool binary : {false, true}) {
    d.host.RVFOptions = binary ? TRVFOptions{rvfoSaveBinary} : TRVFOptions{};
    const std::string s = d.Rvf();
    TDoc r;
    lists(r);
    ASSERT_TRUE(LoadRvfFromStream(r.doc, s).Ok) << binary;
    EXPECT_EQ(numbers(r.doc), shown) << binary;
    // Inserted after a copy of itself, the second copy counts on.
    ASSERT_TRUE(InsertRvfFromStream(r.doc, s).Ok) << binary;
    EXPECT_EQ(numbers(r.doc), shown + "11. 11.a 11.b III) 12. 12.a 9. 9.d IV) 10. ") << binary;
  }
}

// Found by fuzzing: the control read from an empty record was written back
// as a record no reader takes.
TEST(RvfReader, ControlRecordWithoutItsControlIsDroppedWithAWarning) {
  TDoc d;
  ASSERT_TRUE(LoadRvfFromStream(d.doc, "-8 1 3\r\n0 1 0 0 0 0\r\na\r\n-5 0 0 0 0 0\r\n").Ok);
  EXPECT_EQ(d.doc.GetItemCount(), 1);
  EXPECT_TRUE(d.doc.GetRVFWarnings().Has(rvfwUnknownCtrls));
  TDoc r;
  EXPECT_TRUE(LoadRvfFromStream(r.doc, d.Rvf()).Ok);
}

TEST(RvfReader, DocumentPropertiesKeepTheirLineBreaks) {
  TDoc d;
  d.host.RVFOptions = TRVFOptions{rvfoSaveDocProperties, rvfoLoadDocProperties};
  d.host.DocProperties = {"Title=a\r\nb", "Author=me"};
  d.Text("a", 0, 0);
  const std::string s = d.Rvf();
  EXPECT_NE(s.find("-9 2 0 0 0 0 5\r\nTitle=a\x01\x02"
                   "b\r\nAuthor=me\r\n"),
            std::string::npos);
  TDoc r;
  r.host.RVFOptions = d.host.RVFOptions;
  ASSERT_TRUE(LoadRvfFromStream(r.doc, s).Ok);
  EXPECT_EQ(r.host.DocProperties, d.host.DocProperties);
}

// ------------------------------------------------------------ round trips

namespace {

// A random document of every item kind the document layer has, with tags
// and hints holding quotes, blanks and line ends.
void RandomDocument(TDoc &d, std::mt19937 &rng, bool TextTags) {
  static const char *const awkward[] = {"",  "plain", "with \"quotes\"", "two  blanks", "line\r\nend",
                                        "0", "\"",    "tab\there"};
  d.style.ListStyles().AddEntry();
  d.style.TextStyles()[1]->Unicode = true;
  auto pick = [&](int n) { return int(rng() % unsigned(n)); };
  auto tag = [&]() -> TRVTag {
    if (TextTags) return pick(3) == 0 ? TRVTag() : TRVTag::FromText(awkward[pick(8)]);
    return int32_t(pick(3) == 0 ? -pick(100000) : pick(100));
  };
  const int n = 1 + pick(25);
  for (int i = 0; i < n; ++i) {
    if (pick(6) == 0) d.doc.AddCheckpointTag(awkward[pick(8)], pick(2) == 0, tag());
    switch (pick(6)) {
    case 0:
    case 1: {
      std::string s = pick(2) ? "x" : "y \"z\"";
      // A new line keeps the paragraph's style: readers make paragraphs uniform.
      const bool newLine = pick(3) == 0 && d.doc.GetItemCount() > 0;
      const int para = newLine ? d.doc.GetItem(d.doc.GetItemCount() - 1)->ParaNo : pick(3) ? -1 : pick(2);
      d.Text(s, pick(2) ? 0 : 2, para, uint8_t(newLine ? 4 : 0), tag(), pick(3) == 0 ? awkward[pick(8)] : "");
      break;
    }
    case 2: d.Text(U16(pick(2) ? u"\u0416\u2028" : u"\U0001F600 q"), 1, pick(2) ? -1 : 0, 8, tag()); break;
    case 3: d.doc.AddBreakExTag(uint8_t(1 + pick(3)), uint8_t(pick(3)), pick(2) ? clNone : clRed, tag()); break;
    case 4: {
      auto m = std::make_unique<TRVMarkerItemInfo>(&d.doc, 0, pick(3), 1 + pick(4), pick(2) == 0);
      m->Tag = tag();
      d.doc.AddItem("", std::move(m));
      break;
    }
    default: d.Text("", 0, 0); break;
    }
  }
  // A marker at the end would get an empty text from the reader.
  d.Text("last", 0, -1);
  if (pick(3) == 0) d.doc.AddCheckpointTag("end", false, tag());
}

} // namespace

TEST(RvfRoundTrip, WriteReadWriteIsIdentityForRandomDocuments) {
  struct Case {
    const char *name;
    TRVFOptions options;
    bool textTags;
  };
  const Case cases[] = {
      {"text form", TRVFOptions{}, false},
      {"binary form", TRVFOptions{rvfoSaveBinary}, false},
      {"text tags", TRVFOptions{}, true},
      {"styles and layout", TRVFOptions{rvfoSaveTextStyles, rvfoSaveParaStyles, rvfoSaveLayout, rvfoLoadLayout}, false},
      {"binary styles", TRVFOptions{rvfoSaveBinary, rvfoSaveTextStyles, rvfoSaveParaStyles}, true},
  };
  for (const Case &c : cases)
    for (unsigned seed = 1; seed <= 60; ++seed) {
      std::mt19937 rng(seed);
      TDoc a;
      a.host.RVFOptions = c.options;
      if (c.textTags) a.host.Options.Include(rvoTagsArePChars);
      RandomDocument(a, rng, c.textTags);
      TRVLayoutInfo layout;
      layout.TopMargin = int(seed);
      const std::string first = a.Rvf(false, &layout);
      TDoc b;
      b.host.RVFOptions = c.options;
      if (c.textTags) b.host.Options.Include(rvoTagsArePChars);
      b.style.TextStyles()[1]->Unicode = true;
      b.style.ListStyles().AddEntry();
      TRVLayoutInfo got;
      const TRVFReadResult r = LoadRvfFromStream(b.doc, first, &got);
      ASSERT_TRUE(r.Ok) << c.name << " seed " << seed << ": " << r.Error;
      ASSERT_EQ(b.doc.GetItemCount(), a.doc.GetItemCount()) << c.name << " seed " << seed;
      EXPECT_EQ(b.Rvf(false, &layout), first) << c.name << " seed " << seed;
      if (c.options.Has(rvfoLoadLayout)) {
        EXPECT_EQ(got.TopMargin, int(seed)) << c.name;
      }
    }
}

// ---------------------------------------------------------------- hostile

TEST(RvfHostile, MalformedStreamsFailClearly) {
  struct Case {
    const char *name;
    std::string stream;
  };
  const Case cases[] = {
      {"huge line count", "-8 1 3\r\n0 2147483647 0 0 0 0\r\na\r\n"},
      {"count past 32 bits", "-8 1 3\r\n0 99999999999 0 0 0 0\r\na\r\n"},
      {"negative line count", "-8 1 3\r\n0 -3 0 0 0 0\r\n"},
      {"odd hexadecimal", "-8 1 3\r\n0 1 0 8 3 0\r\n410\r\n"},
      {"hexadecimal not a unit", "-8 1 3\r\n0 1 0 8 3 0\r\n41\r\n"},
      {"not a digit", "-8 1 3\r\n0 1 0 8 3 0\r\n4G00\r\n"},
      {"unterminated quote in hint", "-8 1 3\r\n0 1 0 0 0 0 \"abc\r\nx\r\n"},
      {"unterminated quoted style", "-8 1 3\r\n\"Normal 1 0 0 0 0\r\nx\r\n"},
      {"paragraph number -5", "-8 1 3\r\n0 1 -5 0 0 0\r\nx\r\n"},
      {"CR inside text splits the record", "-8 1 3\r\n0 1 0 0 0 0\r\na\rb c\r\n"},
      {"ends inside a record", "-8 1 3\r\n0 3 0 0 0 0\r\na\r\n"},
      {"binary block longer than the stream", "-8 1 3\r\n-9 2 0 0 2 0 1\r\nx\r\n\xff\xff\xff\x7f"
                                              "ab"},
      {"style section without the collection mark", "-8 1 3\r\n-9 2 0 0 0 0 1\r\nx\r\n0102\r\n"},
      {"short layout block", "-8 1 3\r\n-9 2 0 0 0 0 3\r\n\r\n0000000018000000\r\n"},
      {"layout block shorter than its length says", "-8 1 3\r\n-9 2 0 0 0 0 3\r\n\r\n00000000FF000000\r\n"},
      {"raw UTF-16 after a bare LF", "-8 1 3\r\n0 1 0 8 0 0\nA\0\x29\x20"},
      {"tag not a number", "-8 1 3\r\n0 1 0 0 0 x\r\na\r\n"},
      {"version not numbers", "-8 a b\r\n"},
  };
  for (const Case &c : cases) {
    TDoc d;
    d.host.RVFOptions = TRVFOptions{rvfoLoadLayout};
    TRVLayoutInfo layout;
    const TRVFReadResult r = LoadRvfFromStream(d.doc, c.stream, &layout);
    EXPECT_FALSE(r.Ok) << c.name;
    EXPECT_FALSE(r.Error.empty()) << c.name;
  }
}

TEST(RvfHostile, LowerCaseHexadecimalIsRead) {
  TDoc d;
  d.style.TextStyles()[0]->Unicode = true;
  ASSERT_TRUE(LoadRvfFromStream(d.doc, "-8 1 3\r\n0 1 0 8 3 0\r\n16041604\r\n").Ok);
  ASSERT_TRUE(LoadRvfFromStream(d.doc, "-8 1 3\r\n0 1 0 8 3 0\r\n1a041a04\r\n").Ok);
  EXPECT_EQ(d.doc.GetItemTextRaw(0), U16(u"\u041a\u041a"));
}

TEST(RvfHostile, EveryTruncationOfASampleFailsOrReadsAPrefix) {
  std::mt19937 rng(7);
  for (TRVFOptions o : {TRVFOptions{}, TRVFOptions{rvfoSaveBinary, rvfoSaveTextStyles, rvfoSaveParaStyles}}) {
    TDoc a;
    a.host.RVFOptions = o;
    RandomDocument(a, rng, false);
    a.Text(U16(u"end"), 1, 0, 8);
    const std::string s = a.Rvf();
    for (size_t n = 0; n < s.size(); ++n) {
      TDoc b;
      b.host.RVFOptions = o;
      b.style.TextStyles()[1]->Unicode = true;
      b.style.ListStyles().AddEntry();
      const TRVFReadResult r = LoadRvfFromStream(b.doc, std::string_view(s).substr(0, n));
      EXPECT_LE(b.doc.GetItemCount(), a.doc.GetItemCount() + 1) << n;
      if (!r.Ok) {
        EXPECT_FALSE(r.Error.empty()) << n;
      } else if (!r.CutShort) {
        // Read without a word: then every item read is whole.
        for (int i = 0; i < b.doc.GetItemCount() && i < a.doc.GetItemCount(); ++i) {
          if (b.doc.GetItem(i)->StyleNo == a.doc.GetItem(i)->StyleNo) {
            EXPECT_EQ(b.doc.GetItemTextRaw(i), a.doc.GetItemTextRaw(i)) << "cut at " << n << ", item " << i;
          }
        }
      }
    }
  }
}
