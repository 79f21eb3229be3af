// The document model: paragraph rules of the adders, insertion and deletion,
// checkpoints, moving items between documents, host questions, nested
// documents and the layout record.
#include "richtext/document/CRVData.h"
#include "support/DocumentHosts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>

#include "platform/Beep.h"
#include "richtext/document/RVMarker.h"

using namespace kc;

namespace {

// ------------------------------------------------------------------ nesting

class TNestedData;

// An item that owns nested documents, as a table owns its cells.
class TContainerItem : public TRVFullLineItemInfo {
public:
  explicit TContainerItem(TCustomRVData *RVData) : TRVFullLineItemInfo(RVData), Owner(RVData) {}
  std::unique_ptr<TCustomRVItemInfo> NewInstance(TCustomRVData *RVData) const override {
    return std::make_unique<TContainerItem>(RVData);
  }
  TNestedData *AddCell();
  TCustomRVData *GetSubRVData(int &Location, TRVSubRVDataPos Position) override;
  bool OwnsControl(const TControl *Control) const override;

  TCustomRVData *Owner;
  std::vector<std::unique_ptr<TNestedData>> Cells;
};

class TNestedData : public TCustomRVData {
public:
  explicit TNestedData(TContainerItem *Item) : FItem(Item) {}
  TCustomRVData *GetParentData() const override { return FItem->Owner; }
  TCustomRVData *GetRootData() const override { return FItem->Owner->GetRootData(); }
  TCustomRVData *GetAbsoluteParentData() const override { return FItem->Owner; }
  TCustomRVData *GetAbsoluteRootData() const override { return FItem->Owner->GetAbsoluteRootData(); }
  void GetParentInfo(int &ParentItemNo, void *&Location) const override {
    ParentItemNo = FItem->Owner->GetItemNo(FItem);
    Location = nullptr;
  }

private:
  TContainerItem *FItem;
};

TNestedData *TContainerItem::AddCell() {
  Cells.push_back(std::make_unique<TNestedData>(this));
  return Cells.back().get();
}

TCustomRVData *TContainerItem::GetSubRVData(int &Location, TRVSubRVDataPos Position) {
  const int n = int(Cells.size());
  switch (Position) {
  case rvdFirst: Location = 0; break;
  case rvdLast: Location = n - 1; break;
  case rvdNext: ++Location; break;
  case rvdPrev: --Location; break;
  default: return nullptr;
  }
  return Location >= 0 && Location < n ? Cells[size_t(Location)].get() : nullptr;
}

bool TContainerItem::OwnsControl(const TControl *Control) const {
  for (const auto &c : Cells)
    if (c->FindControlItemNo(Control) >= 0) return true;
  return false;
}

// -------------------------------------------------------------- helpers

// A one-letter description of the paragraph structure: P paragraph start,
// L line start inside a paragraph, C continuation; then the ParaNo.
std::string Shape(const TCustomRVData &d) {
  std::string s;
  for (int i = 0; i < d.GetItemCount(); ++i) {
    const TCustomRVItemInfo *it = d.GetItem(i);
    if (!s.empty()) s += ' ';
    s += it->GetContinuePara() ? 'C' : it->GetLineBreakBefore() ? 'L' : 'P';
    s += std::to_string(it->ParaNo);
  }
  return s;
}

std::unique_ptr<TCustomRVItemInfo> Text(TCustomRVData *d, int ParaNo, bool LineBreak = false) {
  auto t = std::make_unique<TRVTextItemInfo>(d);
  t->ParaNo = ParaNo;
  if (LineBreak) t->ItemOptions.Include(rvioLineBreakBefore);
  return t;
}

std::unique_ptr<TCustomRVItemInfo> Marker(TCustomRVData *d, int ListNo = 0) {
  auto m = std::make_unique<TRVMarkerItemInfo>(d, ListNo, 0, 1, false);
  m->ParaNo = 0;
  return m;
}

class Doc : public ::testing::Test, protected kctest::TStyledDoc<> {};

} // namespace

// --------------------------------------------------------- paragraph rules

TEST(DocParagraphs, SequencesOfAddsGiveTheParagraphStructure) {
  struct Case {
    const char *name;
    std::function<void(TCustomRVData &)> build;
    const char *shape;
  };
  const Case cases[] = {
      {"continue after text",
       [](TCustomRVData &d) {
         d.AddText("a", 0, -1);
         d.AddText("b", 0, -1);
       },
       "P0 C0"},
      {"new paragraphs",
       [](TCustomRVData &d) {
         d.AddText("a", 0, 2);
         d.AddText("b", 0, 3);
       },
       "P2 P3"},
      {"continue takes the paragraph",
       [](TCustomRVData &d) {
         d.AddText("a", 0, 4);
         d.AddText("b", 0, -1);
         d.AddText("c", 0, -1);
       },
       "P4 C4 C4"},
      {"text after break starts a paragraph",
       [](TCustomRVData &d) {
         d.AddBreakTag(0);
         d.AddText("a", 0, -1);
       },
       "P0 P0"},
      {"break never continues",
       [](TCustomRVData &d) {
         d.AddText("a", 0, 2);
         d.AddBreakTag(0);
       },
       "P2 P0"},
      {"line break kept",
       [](TCustomRVData &d) {
         d.AddText("a", 0, 1);
         d.AddItem("b", Text(&d, 1, true));
       },
       "P1 L1"},
      {"line break refused for a full-line item",
       [](TCustomRVData &d) {
         d.AddText("a", 0, 1);
         auto b = std::make_unique<TRVBreakItemInfo>(&d);
         b->ParaNo = 1;
         b->ItemOptions.Include(rvioLineBreakBefore);
         d.AddItem("", std::move(b));
       },
       "P1 P1"},
      {"line break with ParaNo -1 continues instead",
       [](TCustomRVData &d) {
         d.AddText("a", 0, 1);
         d.AddItem("b", Text(&d, -1, true));
       },
       "P1 C1"},
      {"item after a marker with a paragraph gets an empty text first",
       [](TCustomRVData &d) {
         d.AddItem("", Marker(&d));
         d.AddText("a", 0, 3);
       },
       "P0 C0 P3"},
      {"item after a marker with -1 continues it",
       [](TCustomRVData &d) {
         d.AddItem("", Marker(&d));
         d.AddText("a", 0, -1);
       },
       "P0 C0"},
      {"a marker with -1 still begins its paragraph",
       [](TCustomRVData &d) {
         d.AddText("a", 0, 2);
         d.AddItem("", Marker(&d));
         d.GetItem(1)->ParaNo = 2;
       },
       "P2 P2"},
  };
  for (const Case &c : cases) {
    TCustomRVData d;
    c.build(d);
    EXPECT_EQ(Shape(d), c.shape) << c.name;
  }
}

TEST(DocParagraphs, MarkerAddedWithContinuationBeginsAParagraph) {
  TCustomRVData d;
  d.AddText("a", 0, 2);
  auto m = Marker(&d);
  m->ParaNo = -1;
  m->ItemOptions.Include(rvioLineBreakBefore);
  d.AddItem("", std::move(m));
  EXPECT_TRUE(d.IsParaStart(1));
  EXPECT_EQ(d.GetItem(1)->ParaNo, 0);
}

TEST(DocParagraphs, InsertedMarkerNeverContinues) {
  TCustomRVData d;
  d.AddText("a", 0, 1);
  d.AddText("b", 0, -1);
  std::unique_ptr<TCustomRVItemInfo> m = Marker(&d);
  m->ItemOptions.Include(rvioContinuePara);
  int index = 1;
  std::string text;
  bool full = true;
  int newList = 5;
  int bad = 9;
  EXPECT_THROW(d.InsertItemAt(bad, text, m, full, newList), EListError);
  ASSERT_NE(m, nullptr);
  ASSERT_TRUE(d.InsertItemAt(index, text, m, full, newList));
  EXPECT_FALSE(full);
  EXPECT_EQ(newList, -1);
  EXPECT_EQ(d.GetItemCount(), 3);
  EXPECT_TRUE(d.IsParaStart(1));
  // The marker is in the absolute root's list once inserted.
  ASSERT_NE(d.GetMarkers(false), nullptr);
  EXPECT_EQ(d.GetMarkers(false)->Count(), 1);
}

TEST(DocParagraphs, OptionBitRules) {
  TRVTextItemInfo t(nullptr);
  t.SetLineBreakBefore(true);
  t.SetContinuePara(true);
  EXPECT_TRUE(t.GetContinuePara());
  EXPECT_FALSE(t.GetLineBreakBefore());
  t.SetPageBreakBefore(true);
  EXPECT_FALSE(t.GetContinuePara());
  t.SetLineBreakBefore(true);
  EXPECT_TRUE(t.GetPageBreakBefore()); // a line break leaves the page break
  EXPECT_TRUE(t.GetLineBreakBefore());
  TRVBreakItemInfo b(nullptr);
  b.SetLineBreakBefore(true);
  EXPECT_FALSE(b.GetLineBreakBefore());
}

TEST(DocParagraphs, NavigationWalksToStarts) {
  TCustomRVData d;
  d.AddText("a", 0, 0);
  d.AddText("b", 0, -1);
  d.AddItem("c", Text(&d, 0, true));
  d.AddText("d", 0, -1);
  d.AddText("e", 0, 1);
  EXPECT_EQ(d.GetFirstParaItemNo(3), 0);
  EXPECT_EQ(d.GetFirstLineItemNo(3), 2);
  int f, l;
  d.ExpandToPara(1, 2, f, l);
  EXPECT_EQ(f, 0);
  EXPECT_EQ(l, 3);
  d.ExpandToLine(0, 0, f, l);
  EXPECT_EQ(l, 1);
  d.ExpandToPara(4, 4, f, l);
  EXPECT_EQ(f, 4);
  EXPECT_EQ(l, 4);
  d.GetItem(2)->ParaNo = 7;
  d.UnifyParaNo(3);
  EXPECT_EQ(Shape(d), "P0 C0 L0 C0 P1");
}

TEST(DocParagraphs, PageBreakOfAListParagraphStandsOnItsMarker) {
  TCustomRVData d;
  auto m = Marker(&d);
  m->SetPageBreakBefore(true);
  d.AddItem("", std::move(m));
  d.AddText("a", 0, -1);
  EXPECT_TRUE(d.PageBreakBefore(0));
  EXPECT_TRUE(d.PageBreakBefore(1));
  EXPECT_THROW(d.PageBreakBefore(2), ERichVistaError);
  EXPECT_THROW(d.PageBreakBefore(-1), ERichVistaError);
}

TEST(DocParagraphs, PageBreakOfItemZeroLooksAtNothingBefore) {
  TCustomRVData d;
  d.AddText("a", 0, 0);
  EXPECT_FALSE(d.PageBreakBefore(0));
  d.GetItem(0)->SetPageBreakBefore(true);
  EXPECT_TRUE(d.PageBreakBefore(0));
}

// ------------------------------------------------------------ text items

TEST_F(Doc, TextStylesAndOffsets) {
  TParaInfo *para = style.ParaStyles().Add();
  para->DefStyleNo = 1; // this paragraph style takes text style 1
  style.TextStyles().Add();
  doc.AddText("x", -5, 0);
  EXPECT_EQ(doc.GetItem(0)->StyleNo, rvsDefStyle);
  EXPECT_EQ(doc.GetItemStyle(0), 0); // DefStyleNo of paragraph 0 is -1
  doc.AddText("yz", -1, para->Index());
  EXPECT_EQ(doc.GetItemStyle(1), 1);
  EXPECT_EQ(doc.GetOffsBeforeItem(1), 1);
  EXPECT_EQ(doc.GetItemEndOffset(1), 3);
  doc.AddBreakTag(0);
  EXPECT_EQ(doc.GetOffsBeforeItem(2), 0);
  EXPECT_EQ(doc.GetItemEndOffset(2), 1);
  int i = 10;
  doc.ClampItemNo(i);
  EXPECT_EQ(i, 2);
  i = -3;
  doc.ClampItemNo(i);
  EXPECT_EQ(i, 0);
}

TEST(DocText, TabsBecomeSpaces) {
  TCustomRVData bare;
  bare.AddText("a\tb", 0, 0);
  EXPECT_EQ(bare.GetItemTextRaw(0), "a        b");

  TRVStyle st;
  st.SetSpacesInTab(2);
  st.TextStyles()[0]->Unicode = true;
  TRVDataHost host;
  host.Style = &st;
  TCustomRVData d;
  d.SetHost(&host);
  d.AddText("\tA", 0, 0);
  EXPECT_TRUE(d.GetItem(0)->IsUnicode());
  EXPECT_EQ(d.GetItemTextRaw(0), std::string(" \0 \0A\0", 6));
  EXPECT_EQ(d.GetItemLength(0), 3);
  EXPECT_EQ(d.GetItemTextA(0), "  A");
}

TEST(DocText, CanJoinTextItems) {
  TRVStyle st;
  st.TextStyles()[0]->Protection = TRVProtectOptions{rvprConcateProtect};
  TRVDataHost host;
  host.Style = &st;
  TCustomRVData d;
  d.SetHost(&host);
  d.AddText("a", 0, 0);
  d.AddText("b", 0, -1);
  d.AddText("", 0, -1);
  d.AddText("c", 1, -1);
  EXPECT_FALSE(d.CanJoinTextItems(0, d.GetItem(0), false, d.GetItem(1))); // protected
  EXPECT_TRUE(d.CanJoinTextItems(1, d.GetItem(1), false, d.GetItem(2)));  // one empty
  st.TextStyles()[0]->Protection = TRVProtectOptions{};
  EXPECT_TRUE(d.CanJoinTextItems(0, d.GetItem(0), false, d.GetItem(1)));
  d.GetItem(1)->Hint = "h";
  EXPECT_FALSE(d.CanJoinTextItems(0, d.GetItem(0), false, d.GetItem(1)));
  d.GetItem(1)->Hint.clear();
  d.GetItem(1)->Tag = 5;
  EXPECT_FALSE(d.CanJoinTextItems(0, d.GetItem(0), false, d.GetItem(1)));
  EXPECT_FALSE(d.CanJoinTextItems(2, d.GetItem(2), false, nullptr));
}

TEST(DocText, DelimitersAndCharacterSteps) {
  TCustomRVData d;
  EXPECT_TRUE(d.IsDelimiter("a b", 2, {}));
  EXPECT_FALSE(d.IsDelimiter("a b", 1, {}));
  EXPECT_FALSE(d.IsDelimiter("a b", 9, {}));
  const std::string w = std::string("a\0 \0\x20\x01", 6); // 'a', ' ', U+0120
  EXPECT_TRUE(d.IsDelimiter(w, 2, TRVItemOptions{rvioUnicode}));
  EXPECT_FALSE(d.IsDelimiter(w, 3, TRVItemOptions{rvioUnicode}));
  // A surrogate pair is one step.
  auto t = std::make_unique<TRVTextItemInfo>(&d);
  t->ItemOptions.Include(rvioUnicode);
  d.AddItem(std::string("a\0\x3D\xD8\x00\xDE"
                        "b\0",
                        8),
            std::move(t));
  EXPECT_EQ(d.GetNextCharOffset(0, 2), 4);
  EXPECT_EQ(d.GetPrevCharOffset(0, 4), 2);
  EXPECT_EQ(d.GetNextCharOffset(0, 1), 2);
  d.AddText("xy", 0, 0);
  EXPECT_EQ(d.GetNextCharOffset(1, 1), 2);
  EXPECT_EQ(d.GetPrevCharOffset(1, 3), 2);
}

// --------------------------------------------------------------- deleting

TEST(DocDelete, DeleteItemsCutsTheCountAndIgnoresBadStarts) {
  TCustomRVData d;
  for (int i = 0; i < 5; ++i) d.AddText(std::string(1, char('a' + i)), 0, 0);
  d.DeleteItems(2, 100);
  ASSERT_EQ(d.GetItemCount(), 2);
  EXPECT_EQ(d.GetItemTextRaw(1), "b");
  d.DeleteItems(2, 1);
  d.DeleteItems(-1, 1);
  d.DeleteItems(0, 0);
  EXPECT_EQ(d.GetItemCount(), 2);
  EXPECT_THROW(d.GetItem(2), EListError);
  EXPECT_THROW(d.GetItem(-1), EListError);
}

namespace {
struct RecordingHost : TRVDataHost {
  std::vector<std::string> events;
  void DoItemAction(TRVItemAction Action, TCustomRVItemInfo *, std::string &Text, TCustomRVData *) override {
    events.push_back("item" + std::to_string(int(Action)) + ":" + Text);
  }
  void DoControlAction(TCustomRVData *, TRVControlAction Action, int ItemNo, TControl *&) override {
    events.push_back("control" + std::to_string(int(Action)) + ":" + std::to_string(ItemNo));
  }
};
} // namespace

TEST(DocDelete, ClearFiresDestroyingAndResetsCheckpoints) {
  RecordingHost host;
  TCustomRVData d;
  d.SetHost(&host);
  d.AddText("a", 0, 0);
  d.AddCheckpointTag("cp", false, 0);
  d.AddText("b", 0, 0);
  d.AddCheckpointTag("pending", false, 0);
  EXPECT_EQ(d.CPCount, 2);
  host.events.clear();
  d.State |= (1u << 21) | 1u;
  d.Clear();
  EXPECT_EQ(host.events, (std::vector<std::string>{"item3:a", "item3:b"}));
  EXPECT_EQ(d.GetItemCount(), 0);
  EXPECT_EQ(d.CPCount, 0);
  EXPECT_EQ(d.FirstCP, nullptr);
  EXPECT_EQ(d.NotAddedCP, nullptr);
  EXPECT_EQ(d.State, 1u); // bits 21 and 22 cleared, bit 7 not left set
}

// The item list keeps apart the items that place a window of their own
// (embedded controls), whatever puts items in or takes them out.
TEST(DocItemList, KnowsTheItemsThatPlaceAWindowThroughEveryChange) {
  struct Case {
    const char *name;
    std::function<void(TCustomRVData::TRVItemList &, TCustomRVData &)> change;
    std::string windowed; // the controls' texts, sorted
  };
  auto control = [](TCustomRVData &d) { return std::make_unique<TRVControlItemInfo>(&d); };
  std::vector<std::unique_ptr<TCustomRVItemInfo>> kept;
  const Case cases[] = {
      {"as built", [](auto &, auto &) {}, "X Y"},
      {"one added", [&](auto &l, auto &d) { l.Add("Z", control(d)); }, "X Y Z"},
      {"one inserted", [&](auto &l, auto &d) { l.Insert(0, "Z", control(d)); }, "X Y Z"},
      {"text deleted", [](auto &l, auto &) { l.Delete(0); }, "X Y"},
      {"a control deleted", [](auto &l, auto &) { l.Delete(1); }, "Y"},
      {"a range deleted", [](auto &l, auto &) { l.Delete(1, 3); }, ""},
      {"a control detached", [&](auto &l, auto &) { kept.push_back(l.Detach(3)); }, "X"},
      {"detached, then its entry deleted",
       [&](auto &l, auto &) {
         kept.push_back(l.Detach(1));
         l.Delete(0, 2);
       },
       "Y"},
      {"cleared", [](auto &l, auto &) { l.Clear(); }, ""},
      {"cleared and filled again",
       [&](auto &l, auto &d) {
         l.Clear();
         l.Add("Z", control(d));
       },
       "Z"},
  };
  for (const Case &c : cases) {
    TCustomRVData d;
    d.Items.Add("a", std::make_unique<TRVTextItemInfo>(&d));
    d.Items.Add("X", control(d));
    d.Items.Add("b", std::make_unique<TRVTextItemInfo>(&d));
    d.Items.Add("Y", control(d));
    c.change(d.Items, d);
    std::vector<std::string> names;
    for (const TCustomRVItemInfo *w : d.Items.WindowedItems()) {
      const int i = d.Items.IndexOfObject(w);
      ASSERT_GE(i, 0) << c.name << ": an item no longer in the list";
      names.push_back(d.Items.Strings(i));
    }
    std::sort(names.begin(), names.end());
    std::string got;
    for (const auto &n : names) got += (got.empty() ? "" : " ") + n;
    EXPECT_EQ(got, c.windowed) << c.name;
    // A copy that shows the items knows the same ones.
    TCustomRVData copy;
    copy.Items.ShareFrom(d.Items);
    EXPECT_EQ(copy.Items.WindowedItems().size(), d.Items.WindowedItems().size()) << c.name;
    // A list that hands its objects over knows none.
    if (!c.windowed.empty()) {
      for (TCustomRVData::TRVItemEntry &e : d.Items.TakeAll())
        if (e.Item) kept.push_back(std::move(e.Item));
      EXPECT_EQ(d.Items.Count(), 0) << c.name;
      EXPECT_TRUE(d.Items.WindowedItems().empty()) << c.name;
    }
    kept.clear(); // before the document they were made for
  }
}

// A snapshot shows the source's objects without owning them: whatever it
// does with its entries, and when it goes, the source keeps them (and frees
// them once, with itself); objects added to the snapshot are its own.
TEST(DocItems, SnapshotLeavesBorrowedObjectsToTheSource) {
  struct Case {
    const char *name;
    std::function<void(TCustomRVData::TRVItemList &, TCustomRVData &)> change;
  };
  const Case cases[] = {
      {"dropped as shared", [](auto &, auto &) {}},
      {"one deleted", [](auto &l, auto &) { l.Delete(1); }},
      {"a range deleted", [](auto &l, auto &) { l.Delete(0, 3); }},
      {"cleared", [](auto &l, auto &) { l.Clear(); }},
      {"one of its own added, then cleared",
       [](auto &l, auto &d) {
         l.Insert(1, "own", std::make_unique<TRVTextItemInfo>(&d));
         l.Clear();
       }},
      {"one of its own added and kept", [](auto &l, auto &d) { l.Add("own", std::make_unique<TRVTextItemInfo>(&d)); }},
  };
  for (const Case &c : cases) {
    TCustomRVData d;
    for (const char *t : {"a", "b", "c"}) d.Items.Add(t, std::make_unique<TRVTextItemInfo>(&d));
    std::vector<const TCustomRVItemInfo *> objects;
    for (int i = 0; i < d.Items.Count(); ++i) objects.push_back(d.Items.Objects(i));
    {
      TCustomRVData snapshot;
      snapshot.Items.ShareFrom(d.Items);
      ASSERT_EQ(snapshot.Items.Objects(2), objects[2]) << c.name;
      c.change(snapshot.Items, snapshot);
    }
    ASSERT_EQ(d.Items.Count(), 3) << c.name;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(d.Items.Objects(i), objects[size_t(i)]) << c.name;
      EXPECT_EQ(d.Items.IndexOfObject(objects[size_t(i)]), i) << c.name;
    }
  }
}

// ------------------------------------------------------------ checkpoints

TEST(DocCheckpoints, OnlyOnePendingCheckpoint) {
  TCustomRVData d;
  EXPECT_EQ(d.AddCheckpointTag("one", true, 7), 0);
  EXPECT_EQ(d.AddCheckpointTag("two", false, 0), 0);
  d.AddText("a", 0, 0);
  EXPECT_EQ(d.CPCount, 1);
  ASSERT_NE(d.GetItemCheckpoint(0), nullptr);
  EXPECT_EQ(d.GetItemCheckpoint(0)->Name, "one");
  EXPECT_TRUE(d.GetItemCheckpoint(0)->RaiseEvent);
  EXPECT_EQ(d.GetItemCheckpoint(0)->Tag.AsInt(), 7);
  EXPECT_EQ(d.FirstCP, d.LastCP);
}

TEST(DocCheckpoints, ChainFollowsItemsAndDeletionUnlinks) {
  TCustomRVData d;
  for (int i = 0; i < 4; ++i) {
    d.AddCheckpointTag("c" + std::to_string(i), false, 0);
    d.AddText("x", 0, 0);
  }
  d.UpdateCPPos();
  EXPECT_EQ(d.LastCP->ItemNo, 3);
  EXPECT_EQ(d.GetCheckpointBefore(2)->Name, "c1");
  EXPECT_EQ(d.GetCheckpointBefore(0), nullptr);
  d.DeleteItems(1, 2);
  EXPECT_EQ(d.CPCount, 2);
  ASSERT_NE(d.FirstCP, nullptr);
  EXPECT_EQ(d.FirstCP->Name, "c0");
  EXPECT_EQ(d.FirstCP->Next, d.LastCP);
  EXPECT_EQ(d.LastCP->Name, "c3");
  EXPECT_EQ(d.LastCP->Prev, d.FirstCP);
}

TEST(DocCheckpoints, InsertSortedKeepsOrder) {
  TCustomRVData d;
  for (int i = 0; i < 5; ++i) d.AddText("x", 0, 0);
  std::vector<std::unique_ptr<TRVCPInfo>> cps;
  const int at[] = {3, 1, 4, 1};
  for (int n : at) {
    cps.push_back(std::make_unique<TRVCPInfo>());
    cps.back()->Name = std::to_string(n) + "/" + std::to_string(cps.size());
    d.InsertCheckpointSorted(cps.back().get(), n);
  }
  d.InsertCheckpointSorted(cps[0].get(), -1); // nothing
  std::string order;
  for (TRVCPInfo *p = d.FirstCP; p; p = p->Next) order += p->Name + " ";
  EXPECT_EQ(order, "1/2 1/4 3/1 4/3 ");
  for (auto &cp : cps) d.UnlinkCheckpoint(cp.get(), false);
  EXPECT_EQ(d.FirstCP, nullptr);
  EXPECT_EQ(d.LastCP, nullptr);
}

// ------------------------------------------------------------ moving items

TEST(DocAssign, ItemsAndCheckpointsMove) {
  TCustomRVData a, b;
  b.AddText("one", 0, 1);
  b.AddCheckpointTag("cp", true, 3);
  b.AddText("two", 0, -1);
  b.AddBreakTag(0);
  b.AddCheckpointTag("tail", false, 0);
  a.AddText("first", 0, 0);
  const TCustomRVItemInfo *moved = b.GetItem(1);
  a.AssignItemsFrom(&b);
  EXPECT_EQ(b.GetItemCount(), 0);
  EXPECT_EQ(b.CPCount, 0);
  ASSERT_EQ(a.GetItemCount(), 4);
  EXPECT_EQ(a.GetItem(2), moved); // the objects themselves, not copies
  EXPECT_EQ(Shape(a), "P0 P1 C1 P0");
  ASSERT_NE(a.GetItemCheckpoint(2), nullptr);
  EXPECT_EQ(a.GetItemCheckpoint(2)->Name, "cp");
  EXPECT_EQ(a.GetItemCheckpoint(2)->Tag.AsInt(), 3);
  ASSERT_NE(a.NotAddedCP, nullptr);
  EXPECT_EQ(a.NotAddedCP->Name, "tail");
  EXPECT_EQ(a.CPCount, 2);
  a.AddText("after", 0, 0);
  EXPECT_EQ(a.GetItemCheckpoint(4)->Name, "tail");
}

TEST(DocAssign, TagKindsMustAgree) {
  TRVDataHost textTags;
  textTags.Options.Include(rvoTagsArePChars);
  TCustomRVData a, b;
  a.SetHost(&textTags);
  b.AddText("x", 0, 0);
  EXPECT_THROW(a.AssignItemsFrom(&b), ERichVistaError);
  EXPECT_EQ(b.GetItemCount(), 1);
  a.AssignItemsFrom(nullptr);
  b.AssignItemsFrom(&b);
  EXPECT_EQ(b.GetItemCount(), 1);
}

// -------------------------------------------------------------- typed getters

TEST(DocGetters, TypedGettersCheckTheClass) {
  TCustomImageList list(8, 8);
  TCustomRVData d;
  d.AddBreakExTag(3, 2, clRed, 9);
  d.AddBullet("b", 1, &list, 0);
  auto hs = std::make_unique<TRVHotspotItemInfo>(&d);
  hs->ImageList = &list;
  hs->HotImageIndex = 4;
  d.AddItem("h", std::move(hs));
  uint8_t w, s;
  TColor c;
  TRVTag tag;
  d.GetBreakInfo(0, w, s, c, tag);
  EXPECT_EQ(w, 3);
  EXPECT_EQ(s, 2);
  EXPECT_EQ(c, clRed);
  EXPECT_EQ(tag.AsInt(), 9);
  std::string name;
  int index, hot;
  TCustomImageList *il = nullptr;
  d.GetBulletInfo(2, name, index, il, tag); // a hotspot is a bullet too
  EXPECT_EQ(name, "h");
  EXPECT_EQ(il, &list);
  d.GetHotspotInfo(2, name, index, hot, il, tag);
  EXPECT_EQ(hot, 4);
  EXPECT_THROW(d.GetHotspotInfo(1, name, index, hot, il, tag), ERichVistaError);
  TGraphic *g;
  TRVVAlign va;
  EXPECT_THROW(d.GetPictureInfo(0, name, g, va, tag), ERichVistaError);
  try {
    d.GetBreakInfo(1, w, s, c, tag);
    FAIL();
  } catch (const ERichVistaError &e) {
    EXPECT_STREQ(e.what(), "Can't get or set this kind of information for this item");
  }
}

// ------------------------------------------------------------- host questions

TEST(DocHost, WithoutHostDefaultsAreAnsweredAndKept) {
  TCustomRVData d;
  EXPECT_EQ(d.GetOptions().Raw_(), RVDefaultOptions);
  EXPECT_EQ(d.GetRVFOptions().Raw_(), 49219u);
  EXPECT_EQ(d.GetRVStyle(), nullptr);
  EXPECT_EQ(d.GetDelimiters(), " .;,:(){}\"/\\");
  d.SetFlags(0x100);
  EXPECT_EQ(d.GetFlags(), 0x100);
  d.SetRVFWarnings(TRVFWarnings{rvfwInvalidPicture});
  EXPECT_EQ(d.GetRVFWarnings().Raw_(), 64);
  EXPECT_EQ(d.GetStyleCodePage(0), 0);
  int f = -7, fo = -7, l = -7, lo = -7, x, y;
  d.GetExportRange(f, fo, l, lo, x, y);
  EXPECT_EQ(f, -7); // nothing set for an empty document
  d.AddText("ab", 0, 0);
  d.AddBreakTag(0);
  d.GetExportRange(f, fo, l, lo, x, y);
  EXPECT_EQ(f, 0);
  EXPECT_EQ(fo, 1);
  EXPECT_EQ(l, 1);
  EXPECT_EQ(lo, 1);
}

TEST(DocNested, NestedDocumentsAskTheirRoot) {
  TRVStyle st;
  RecordingHost host;
  host.Style = &st;
  host.Options.Include(rvoTagsArePChars);
  TCustomRVData root;
  root.SetHost(&host);
  auto c = std::make_unique<TContainerItem>(&root);
  TContainerItem *container = c.get();
  TNestedData *cell = container->AddCell();
  root.AddText("a", 0, 0);
  root.AddItem("", std::move(c));

  EXPECT_EQ(cell->GetRVStyle(), &st);
  EXPECT_TRUE(cell->TagsArePChars());
  cell->SetFlags(0x200);
  EXPECT_EQ(root.GetFlags(), 0x200);
  cell->AddText("in", 0, 0);
  // Item actions of the cell reach the root's host.
  EXPECT_EQ(host.events.back(), "item1:");

  // Search goes into nested documents.
  const TCustomRVItemInfo *inner = cell->GetItem(0);
  EXPECT_EQ(root.FindItemFrom(0, inner), 1);
  EXPECT_EQ(root.FindItemFrom(2, inner), -1);

  // Controls are found through the item that owns them.
  auto *w = new QWidget;
  cell->AddControl("ctl", w, 0, rvvaBaseline, 0);
  EXPECT_EQ(root.FindControlItemNo(w), 1);
  EXPECT_EQ(root.FindControlItemNo(nullptr), -1);
}

TEST(DocNested, MarkersOfNestedDocumentsShareTheAbsoluteRootList) {
  TCustomRVData root;
  root.AddItem("", Marker(&root));
  auto c = std::make_unique<TContainerItem>(&root);
  TNestedData *cell = c->AddCell();
  root.AddItem("", std::move(c));
  cell->AddItem("", Marker(cell));
  root.AddItem("", Marker(&root));

  TRVMarkerList *list = root.GetMarkers(false);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(cell->GetMarkers(false), list);
  ASSERT_EQ(list->Count(), 3);
  // Document order: the cell's marker comes between the two outer ones.
  EXPECT_EQ(list->Items(0), root.GetItem(0));
  EXPECT_EQ(list->Items(1), cell->GetItem(0));
  EXPECT_EQ(list->Items(2), root.GetItem(3));
  EXPECT_EQ(cell->GetPrevMarker(0), root.GetItem(0));
  EXPECT_EQ(root.GetPrevMarker(3), cell->GetItem(0));
  EXPECT_EQ(root.GetPrevMarker(0), nullptr);

  TRVIntegerList lists;
  lists.Add(0);
  EXPECT_EQ(root.FindLastMarkerOfLists(lists, 0), 3);
  EXPECT_EQ(root.FindLastMarkerOfLists(lists, 4), -1);

  root.DeleteItems(3, 1);
  EXPECT_EQ(list->Count(), 2);
  // Deleting the item that owns the cell takes the cell's marker out too
  // (item 1 is the empty text that follows the first marker).
  root.DeleteItems(2, 1);
  ASSERT_EQ(list->Count(), 1);
  EXPECT_EQ(list->Items(0), root.GetItem(0));
  root.Clear();
  EXPECT_EQ(root.GetMarkers(false), nullptr); // the emptied list is gone
}

TEST(DocNested, MarkersOfEarlierCellsOfTheSameItemComeFirst) {
  TCustomRVData root;
  root.AddItem("", Marker(&root));
  auto c = std::make_unique<TContainerItem>(&root);
  TNestedData *cell1 = c->AddCell();
  TNestedData *cell2 = c->AddCell();
  TNestedData *cell3 = c->AddCell();
  root.AddItem("", std::move(c));
  // The later cell gets its marker first, the earlier one afterwards; the
  // middle cell stays empty.
  cell3->AddItem("", Marker(cell3));
  cell1->AddItem("", Marker(cell1));
  cell1->AddItem("", Marker(cell1));
  root.AddItem("", Marker(&root));

  EXPECT_EQ(cell3->GetPrevMarker(0), cell1->GetItem(2));
  EXPECT_EQ(cell2->GetPrevMarker(0), cell1->GetItem(2));
  EXPECT_EQ(cell1->GetPrevMarker(0), root.GetItem(0));
  EXPECT_EQ(root.GetPrevMarker(3), cell3->GetItem(0));

  TRVMarkerList *list = root.GetMarkers(false);
  ASSERT_NE(list, nullptr);
  const std::vector<const TCustomRVItemInfo *> order = {root.GetItem(0), cell1->GetItem(0), cell1->GetItem(2),
                                                        cell3->GetItem(0), root.GetItem(3)};
  ASSERT_EQ(list->Count(), int(order.size()));
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(list->Items(int(i)), order[i]) << i;
}

// ------------------------------------------------------------- layout record

TEST(DocLayout, RoundTripsInBothForms) {
  TRVLayoutInfo a;
  a.LeftMargin = 5;
  a.RightMargin = -6;
  a.MaxTextWidth = 1000;
  a.BiDiMode = 2;
  std::string s;
  a.SaveToStream(s, true);
  ASSERT_EQ(s.size(), 4u + 8u + 25u);
  EXPECT_EQ(uint8_t(s[0]), 33);
  TRVLayoutInfo b;
  size_t pos = 0;
  b.LoadFromStream(s, pos, true);
  EXPECT_EQ(pos, s.size());
  EXPECT_EQ(b.Loaded, 1);
  EXPECT_EQ(b.RightMargin, -6);
  EXPECT_EQ(b.MaxTextWidth, 1000);
  EXPECT_EQ(b.StartMarkerListNo, -1);

  a.StartsMidParagraph = 1;
  a.StartMarkerListNo = 4;
  std::string hex;
  a.SaveTextToStream(hex);
  ASSERT_GE(hex.size(), 2u);
  EXPECT_EQ(hex.substr(hex.size() - 2), "\r\n");
  TRVLayoutInfo c;
  c.LoadText(hex.substr(0, hex.size() - 2));
  EXPECT_EQ(c.StartsMidParagraph, 1);
  EXPECT_EQ(c.StartMarkerListNo, 4);
}

TEST(DocLayout, DamagedPayloadsAreRefused) {
  auto block = [](int32_t len, size_t bytes) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s += char((uint32_t(len) >> (8 * i)) & 0xFF);
    s += std::string(bytes, '\x01');
    return s;
  };
  struct Case {
    std::string data;
    bool ok;
  } cases[] = {
      {block(24, 24), false},        // below the smallest payload
      {block(25, 10), false},        // cut short
      {block(1 << 30, 30), false},   // claims far more than is there
      {block(-1, 30), false},        // negative size
      {std::string(6, '\0'), false}, // not even a header
      {block(30, 30), true},         // extra bytes passed over
  };
  for (const Case &c : cases) {
    TRVLayoutInfo l;
    if (c.ok) {
      EXPECT_NO_THROW(l.LoadBinary(c.data));
      EXPECT_EQ(l.Loaded, 1);
    } else {
      EXPECT_THROW(l.LoadBinary(c.data), ERichVistaError) << c.data.size();
      EXPECT_EQ(l.Loaded, 0);
    }
  }
  TRVLayoutInfo l;
  EXPECT_THROW(l.LoadText("0G"), ERichVistaError);
}

// ------------------------------------------------------------- small routines

TEST_F(Doc, CodePagesAndDirections) {
  style.DefCodePage = 1251;
  style.TextStyles()[0]->Charset = 0;
  EXPECT_EQ(doc.GetStyleCodePage(-1), 1251);
  EXPECT_EQ(doc.GetStyleCodePage(0), 1252);
  EXPECT_EQ(doc.GetDefCodePage(), 1251);
  host.BiDiMode = rvbdRightToLeft;
  TParaInfo *ltr = style.ParaStyles().Add();
  ltr->BiDiMode = rvbdLeftToRight;
  EXPECT_EQ(doc.GetParaBiDiMode(0), rvbdRightToLeft);
  EXPECT_EQ(doc.GetParaBiDiMode(ltr->Index()), rvbdLeftToRight);
  doc.AddText("a", 0, ltr->Index());
  EXPECT_EQ(doc.GetItemBiDiMode(0), rvbdLeftToRight);
  style.TextStyles()[0]->BiDiMode = rvbdRightToLeft;
  EXPECT_EQ(doc.GetItemBiDiMode(0), rvbdRightToLeft);
}

TEST(DocSmall, NullCharsAndInsertingNotices) {
  std::string s("a\0b\0", 4);
  TCustomRVData::ReplaceNullChars(s);
  EXPECT_EQ(s, "a?b?");

  struct Renaming : TRVTextItemInfo {
    using TRVTextItemInfo::TRVTextItemInfo;
    void Inserting(TCustomRVData *RVData, std::string &Text, bool Safe) override {
      if (RVData) Text += "!";
      TRVTextItemInfo::Inserting(RVData, Text, Safe);
    }
  };
  TCustomRVData d;
  d.AddItem("x", std::make_unique<Renaming>(&d));
  EXPECT_EQ(d.GetItemTextRaw(0), "x!");
  d.NotifyItemsInserting(&d);
  EXPECT_EQ(d.GetItemTextRaw(0), "x!!");
}

TEST(DocSmall, ImageFilesForHtml) {
  struct NamingHost : TRVDataHost {
    bool take = false;
    void DoSaveImage2(const TGraphic *, TRVSaveFormat, const std::string &, const std::string &, int &,
                      std::string &Location, bool &DoDefault) override {
      if (!take) return;
      Location = "given.png";
      DoDefault = false;
    }
  } host;
  TCustomRVData d;
  d.SetHost(&host);
  kctest::TempDir dir;
  const std::string path = dir.path().string() + "/";
  std::filesystem::create_directory(path + "pics");
  TBitmap bmp(QImage(3, 3, QImage::Format_RGB32));
  int counter = 0;
  std::string location;
  // A file of the next number that already exists is passed over.
  { std::ofstream(path + "pics/p1.bmp") << "x"; }
  EXPECT_TRUE(d.SaveImageFileEx(path, &bmp, rvsfHTML, "pics/p", counter, false, clNone, location));
  EXPECT_EQ(location, "pics/p2.bmp");
  EXPECT_EQ(counter, 2);
  TBitmap back;
  std::ifstream f(path + "pics/p2.bmp", std::ios::binary);
  EXPECT_TRUE(back.loadFromBytes(std::string(std::istreambuf_iterator<char>(f), {})));
  EXPECT_EQ(back.width(), 3);
  // Overwriting takes the first number again.
  counter = 0;
  EXPECT_TRUE(d.SaveImageFileEx(path, &bmp, rvsfHTML, "pics/p", counter, true, clNone, location));
  EXPECT_EQ(location, "pics/p1.bmp");
  // The host may give the location itself.
  host.take = true;
  location.clear();
  EXPECT_TRUE(d.SaveImageFileEx(path, &bmp, rvsfHTML, "pics/p", counter, true, clNone, location));
  EXPECT_EQ(location, "given.png");
  EXPECT_EQ(counter, 1);
}

TEST(DocHost, DefaultBeepIsTheDesktopsWhenTheStyleSheetWantsSound) {
  int beeps = 0;
  SetBeepSink([&] { ++beeps; });
  TRVDataHost host;
  TRVStyle st;
  host.Style = &st;
  TCustomRVData d;
  d.SetHost(&host);
  d.Beep();
  st.UseSound = false;
  d.Beep();
  SetBeepSink(nullptr);
  EXPECT_EQ(beeps, 1);
}

TEST(DocNested, EventsAndReaderMapsGoToTheRoot) {
  struct EventHost : TRVDataHost {
    std::vector<std::string> events;
    void DoReadHyperlink(TCustomRVData *, const std::string &Target, const std::string &, TRVLoadFormat, int &StyleNo,
                         TRVTag &ItemTag, std::string &) override {
      events.push_back("link:" + Target);
      StyleNo = 3;
      ItemTag = 9;
    }
    std::unique_ptr<TGraphic> DoImportPicture(TCustomRVData *, const std::string &Location) override {
      events.push_back("import:" + Location);
      return std::make_unique<TBitmap>(QImage(2, 2, QImage::Format_RGB32));
    }
    void DoURLNeeded(TCustomRVData *, int ID, std::string &URL) override { URL = "u" + std::to_string(ID); }
  } host;
  TCustomRVData root;
  root.SetHost(&host);
  auto c = std::make_unique<TContainerItem>(&root);
  TNestedData *cell = c->AddCell();
  root.AddItem("", std::move(c));

  int styleNo = 0;
  TRVTag tag;
  std::string name;
  cell->DoReadHyperlink("http://x", "", rvlfRTF, styleNo, tag, name);
  EXPECT_EQ(styleNo, 3);
  EXPECT_EQ(tag.AsInt(), 9);
  EXPECT_NE(cell->DoImportPicture("a.bmp"), nullptr);
  EXPECT_EQ(host.events, (std::vector<std::string>{"link:http://x", "import:a.bmp"}));
  std::string url = "old";
  cell->DoURLNeeded(4, url);
  EXPECT_EQ(url, "u4");

  // The reader's maps live at the root; a nested reader leaves them there.
  cell->GetOwnedLists().TextMap = std::make_unique<TRVIntegerList>();
  EXPECT_NE(root.GetOwnedLists().TextMap, nullptr);
  cell->FreeOwnedLists();
  EXPECT_NE(root.GetOwnedLists().TextMap, nullptr);
  root.FreeOwnedLists();
  EXPECT_EQ(root.GetOwnedLists().TextMap, nullptr);
}

TEST(DocText, TextItemsAndTabsByStyle) {
  TRVStyle st;
  TFontInfo *wide = st.TextStyles().Add();
  wide->Unicode = true;
  TRVDataHost host;
  host.Style = &st;
  TCustomRVData d;
  d.SetHost(&host);
  d.AddText("a", 0, 0);
  d.AddBreakTag(0);
  EXPECT_TRUE(d.IsTextItem(0));
  EXPECT_FALSE(d.IsTextItem(1));
  std::string s = "\t";
  d.ExpandTabs(s, 0);
  EXPECT_EQ(s, std::string(8, ' '));
  s = std::string("\t\0", 2);
  d.ExpandTabs(s, wide->Index());
  EXPECT_EQ(s.size(), 16u);
}
