// Measuring items and laying out views: separators, the chevron, wrapping
// into rows, scroll arrows, and views following the item tree.
#include <gtest/gtest.h>

#include <QStringList>

#include <memory>

#include "platform/TbSystemSettings.h"
#include "toolbars/TBarView.h"
#include "FixedTextMetrics.h"

using namespace kc;
using namespace kc::tb;

namespace {

using kctest::FixedMetrics;

void Pin(TTBView &v) {
  auto m = std::make_shared<FixedMetrics>();
  v.SetMetrics(m, m);
}

TTBCustomItem *AddItem(TTBCustomItem &Parent, const char *Caption, TTBCustomItem *Item = nullptr) {
  if (!Item) Item = new TTBItem;
  Item->SetCaption(QString::fromLatin1(Caption));
  Item->SetName(QString::fromLatin1(Caption));
  Parent.Add(Item);
  return Item;
}

TTBCustomItem *AddSep(TTBCustomItem &Parent) {
  auto *s = new TTBSeparatorItem;
  s->SetName(QStringLiteral("-"));
  Parent.Add(s);
  return s;
}

// "name@x,y,w,h" for every shown viewer.
QStringList Shown(TTBView &v) {
  v.EnsurePositions();
  QStringList out;
  for (int i = 0; i < v.ViewerCount(); ++i) {
    TTBItemViewer *iv = v.Viewer(i);
    if (!iv->Show) continue;
    const QRect r = iv->BoundsRect;
    out << QStringLiteral("%1@%2,%3,%4,%5")
               .arg(iv->Item()->Name())
               .arg(r.x())
               .arg(r.y())
               .arg(r.width())
               .arg(r.height());
  }
  return out;
}

struct MeasureCase {
  const char *name;
  bool toolbar;
  bool images;
  TTBSkins skin;
  std::function<void(TTBCustomItem &)> setup;
  int width, height;
};

class Measuring : public ::testing::TestWithParam<MeasureCase> {};

TEST_P(Measuring, GivesTheseSizes) {
  const MeasureCase &c = GetParam();
  TTBRootItem root;
  TCustomImageList images(16, 16);
  images.Add(QImage(16, 16, QImage::Format_ARGB32));
  if (c.images) root.SetSubMenuImages(&images);
  TTBCustomItem *item = AddItem(root, "Open");
  c.setup(*item);
  TTBSkin skin;
  skin.SetSkinType(c.skin);
  TTBView view(nullptr, &root, nullptr, c.toolbar);
  view.Skin = &skin;
  Pin(view);
  int w = 0, h = 0;
  view.Viewer(0)->MeasureSize(view.Metrics(false), w, h);
  EXPECT_EQ(w, c.width);
  EXPECT_EQ(h, c.height);
  root.SetSubMenuImages(nullptr);
}

auto none = [](TTBCustomItem &) {};

INSTANTIATE_TEST_SUITE_P(Table, Measuring,
                         ::testing::Values(
                             // Menu entries: text 13 + 4; with 16x16 images 19 high and a 19 column.
                             MeasureCase{"menu_with_images", false, true, tbsDisabled, none, 24 + 19 + 6 + 19, 19},
                             MeasureCase{"menu_without_images", false, false, tbsDisabled, none, 24 + 17 + 6 + 17, 17},
                             MeasureCase{"menu_skinned_is_five_higher", false, false, tbsOfficeXP, none,
                                         24 + 22 + 6 + 22, 22},
                             MeasureCase{"menu_with_shortcut", false, false, tbsDisabled,
                                         [](TTBCustomItem &i) { i.SetCaption(QStringLiteral("Open\tCtrl+O")); },
                                         24 + 17 + 6 + (36 + 17 - 6) + 17, 17},
                             MeasureCase{"button_text_only", true, false, tbsDisabled, none, 6 + 24 + 6, 6 + 13},
                             MeasureCase{"button_image_only", true, true, tbsDisabled,
                                         [](TTBCustomItem &i) { i.SetImageIndex(0); }, 6 + 16 + 1, 22},
                             MeasureCase{"button_text_only_mode_hides_image", true, true, tbsDisabled,
                                         [](TTBCustomItem &i) {
                                           i.SetImageIndex(0);
                                           i.SetDisplayMode(nbdmTextOnly);
                                         },
                                         36, 19},
                             MeasureCase{"combo_arrow_is_eleven", true, false, tbsDisabled,
                                         [](TTBCustomItem &i) {
                                           i.SetItemKind(i.ItemKind() | ikSubmenu);
                                           i.SetDropdownCombo(true);
                                         },
                                         36 + 11, 19},
                             MeasureCase{"dropdown_arrow_is_eight", true, false, tbsDisabled,
                                         [](TTBCustomItem &i) {
                                           i.SetItemKind(i.ItemKind() | ikSubmenu);
                                           i.SetOptions(tboDropdownArrow);
                                         },
                                         36 + 8, 19}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(MeasuringSeparators, MenuSeparatorHeightDependsOnTheSkin) {
  TTBRootItem root;
  AddSep(root);
  TTBView plain(nullptr, &root, nullptr, false);
  Pin(plain);
  int w = 0, h = 0;
  plain.Viewer(0)->MeasureSize(plain.Metrics(false), w, h);
  EXPECT_EQ(h, 9); // DivRoundUp(26, 3)
  TTBSkin skin;
  plain.Skin = &skin;
  plain.Viewer(0)->MeasureSize(plain.Metrics(false), w, h);
  EXPECT_EQ(h, 3);
  TTBView bar(nullptr, &root, nullptr, true);
  bar.Viewer(0)->MeasureSize(bar.Metrics(false), w, h);
  EXPECT_EQ(w, 6);
  EXPECT_EQ(h, 6);
}

TEST(ButtonParts, ComboArrowAndSubmenus) {
  TTBRootItem root;
  TTBCustomItem *combo = AddItem(root, "Go", new TTBSubmenuItem);
  combo->SetDropdownCombo(true);
  TTBCustomItem *sub = AddItem(root, "Sub", new TTBSubmenuItem);
  TTBView bar(nullptr, &root, nullptr, true);
  Pin(bar);
  bar.EnsurePositions();
  TTBItemViewer *cv = bar.Find(combo);
  const int w = cv->BoundsRect.width();
  EXPECT_TRUE(cv->IsPtInButtonPart(w - 12, 3));
  EXPECT_FALSE(cv->IsPtInButtonPart(w - 11, 3));
  EXPECT_FALSE(bar.Find(sub)->IsPtInButtonPart(1, 1));
}

struct LayoutCase {
  const char *name;
  bool toolbar;
  const char *items; // letters are items, "-" separators
  int wrapLength;
  QStringList expected;
  QSize total;
};

class Layouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(Layouts, PlaceTheViewersSo) {
  const LayoutCase &c = GetParam();
  TTBRootItem root;
  for (const char *p = c.items; *p; ++p) {
    if (*p == '-') AddSep(root);
    else {
      const char name[] = {*p, *p, *p, *p, 0};
      AddItem(root, name);
    }
  }
  TTBView view(nullptr, &root, nullptr, c.toolbar);
  Pin(view);
  view.WrapLength = c.wrapLength;
  view.Relayout();
  EXPECT_EQ(Shown(view), c.expected);
  EXPECT_EQ(view.TotalSize, c.total);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Layouts,
    ::testing::Values(LayoutCase{"popup_separators_only_between_items",
                                 false,
                                 "-A--B-",
                                 0,
                                 {"AAAA@0,0,64,17", "-@0,17,64,9", "BBBB@0,26,64,17"},
                                 QSize(64, 43)},
                      LayoutCase{"popup_of_separators_shows_nothing", false, "---", 0, {}, QSize(0, 0)},
                      LayoutCase{"toolbar_row", true, "AB", 0, {"AAAA@0,0,36,19", "BBBB@36,0,36,19"}, QSize(72, 19)},
                      LayoutCase{"toolbar_separator_stretched_to_row",
                                 true,
                                 "A-B",
                                 0,
                                 {"AAAA@0,0,36,19", "-@36,0,6,19", "BBBB@42,0,36,19"},
                                 QSize(78, 19)},
                      LayoutCase{"toolbar_wraps_items",
                                 true,
                                 "ABCD",
                                 80,
                                 {"AAAA@0,0,36,19", "BBBB@36,0,36,19", "CCCC@0,19,36,19", "DDDD@36,19,36,19"},
                                 QSize(80, 38)},
                      LayoutCase{
                          "toolbar_breaks_at_separator_into_row_divider",
                          true,
                          "AB-CD",
                          90,
                          {"AAAA@0,0,36,19", "BBBB@36,0,36,19", "-@0,19,90,6", "CCCC@0,25,36,19", "DDDD@36,25,36,19"},
                          QSize(90, 44)}),
    [](const auto &info) { return std::string(info.param.name); });

// A toolbar view with a chevron button at its end.
struct ChevronView : TTBView {
  TTBItem chevron;
  explicit ChevronView(TTBCustomItem *Root, bool GiveWay = false)
      : TTBView(nullptr, Root, nullptr, true, false, GiveWay) {
    RecreateAllViewers();
  }
  TTBCustomItem *ChevronItem() override { return &chevron; }
};

TEST(Chevron, ItemsGiveWayFromTheEndAndTheChevronTakesTheirPlace) {
  TTBRootItem root;
  AddItem(root, "AAAA");
  AddItem(root, "BBBB");
  AddSep(root);
  AddItem(root, "CCCC");
  AddItem(root, "DDDD");
  ChevronView view(&root);
  Pin(view);
  view.ChevronStart = 100;
  view.ChevronLength = 12;
  view.Relayout();
  // 36 + 36 + 6 + 36 + 36 = 150 must fit 88: D, C and then the trailing
  // separator go.
  EXPECT_EQ(Shown(view), (QStringList{"AAAA@0,0,36,19", "BBBB@36,0,36,19", "@88,0,12,19"}));
  EXPECT_TRUE(view.Find(root.ItemAt(4))->PushedOff);
  EXPECT_TRUE(view.Find(root.ItemAt(3))->PushedOff);
  EXPECT_TRUE(view.chevron.Enabled());
  EXPECT_EQ(view.ContentSize.width(), 150);
}

TEST(Chevron, AtLeastOneItemStays) {
  TTBRootItem root;
  AddItem(root, "AAAA");
  AddItem(root, "BBBB");
  ChevronView view(&root);
  Pin(view);
  view.ChevronStart = 10;
  view.ChevronLength = 12;
  view.Relayout();
  EXPECT_EQ(Shown(view).first(), QStringLiteral("AAAA@0,0,36,19"));
  EXPECT_EQ(Shown(view).size(), 2); // the item and the chevron
}

TEST(Chevron, DisabledWhenOnlyHostedWidgetsWereHidden) {
  TTBRootItem root;
  QWidget bar;
  AddItem(root, "AAAA");
  auto *w1 = new QWidget(&bar);
  w1->resize(50, 19);
  auto *ci = new TTBControlItem(w1);
  ci->SetName(QStringLiteral("ctl"));
  root.Add(ci);
  ChevronView view(&root);
  view.SetWindow(&bar);
  Pin(view);
  view.ChevronStart = 60;
  view.ChevronLength = 12;
  view.Relayout();
  EXPECT_TRUE(view.Find(ci)->PushedOff);
  EXPECT_FALSE(view.chevron.Enabled());
  EXPECT_EQ(w1->pos(), QPoint(-10000, -10000));
}

TEST(Scrolling, ArrowsAppearAndAStepRevealsTheNextItem) {
  TTBRootItem root;
  for (char c = 'A'; c <= 'J'; ++c) {
    const char name[] = {c, 0};
    AddItem(root, name);
  }
  TTBView view(nullptr, &root, nullptr, false);
  Pin(view);
  view.HeightLimit = 100; // items are 17 high: 170 in all
  view.Relayout();
  EXPECT_FALSE(view.UpArrowShown);
  EXPECT_TRUE(view.DownArrowShown);
  EXPECT_EQ(view.TotalSize.height(), 100);
  EXPECT_EQ(Shown(view), (QStringList{"A@0,0,46,17", "B@0,17,46,17", "C@0,34,46,17", "D@0,51,46,17"}));
  TTBItemViewer *e = view.Find(root.ItemAt(4));
  EXPECT_TRUE(e->ScrolledOut);
  view.ScrollBy(true);
  EXPECT_TRUE(view.UpArrowShown);
  EXPECT_TRUE(e->Show);
  EXPECT_LE(e->BoundsRect.bottom() + 1, 100 - 19);
  for (int i = 0; i < 20; ++i) view.ScrollBy(true);
  EXPECT_FALSE(view.DownArrowShown);
  EXPECT_TRUE(view.Find(root.ItemAt(9))->Show);
}

TEST(ViewFollowsTree, InsertsDeletesAndGroupsKeepDisplayOrder) {
  TTBRootItem root;
  AddItem(root, "a");
  AddItem(root, "c");
  TTBView view(nullptr, &root, nullptr, false);
  Pin(view);
  auto names = [&] {
    QStringList n;
    for (int i = 0; i < view.ViewerCount(); ++i) n << view.Viewer(i)->Item()->Name();
    return n;
  };
  auto *b = new TTBItem;
  b->SetName(QStringLiteral("b"));
  root.Insert(1, b);
  EXPECT_EQ(names(), (QStringList{"a", "b", "c"}));
  auto *group = new TTBItem;
  group->SetName(QStringLiteral("g"));
  group->SetItemKind(group->ItemKind() | ikEmbeddedGroup);
  AddItem(*group, "g1");
  root.Insert(1, group);
  EXPECT_EQ(names(), (QStringList{"a", "g", "g1", "b", "c"}));
  AddItem(*group, "g2");
  EXPECT_EQ(names(), (QStringList{"a", "g", "g1", "g2", "b", "c"}));
  root.Remove(group);
  delete group;
  EXPECT_EQ(names(), (QStringList{"a", "b", "c"}));
  EXPECT_TRUE(view.PositionsValid());
}

TEST(ViewFollowsTree, EmbeddedGroupsLinkedInALoopAreExpandedOnce) {
  TTBRootItem root;
  auto *g = new TTBItem;
  g->SetName(QStringLiteral("g"));
  g->SetItemKind(g->ItemKind() | ikEmbeddedGroup);
  root.Add(g);
  auto *h = new TTBItem;
  h->SetName(QStringLiteral("h"));
  h->SetItemKind(h->ItemKind() | ikEmbeddedGroup);
  g->Add(h);
  AddItem(*g, "x");
  h->SetLinkSubitems(g); // h shows g's items, among them h itself
  TTBView view(nullptr, &root, nullptr, false);
  Pin(view);
  QStringList n;
  for (int i = 0; i < view.ViewerCount(); ++i) n << view.Viewer(i)->Item()->Name();
  EXPECT_EQ(n, (QStringList{"g", "h", "x"}));
  EXPECT_EQ(Shown(view), QStringList{"x@0,0,46,17"});
  h->SetLinkSubitems(nullptr);
}

TEST(ViewFollowsTree, FreeingTheShownItemEmptiesTheView) {
  auto *root = new TTBRootItem;
  AddItem(*root, "a");
  TTBView view(nullptr, root, nullptr, false);
  delete root;
  EXPECT_EQ(view.ViewerCount(), 0);
  EXPECT_EQ(view.SourceItem(), nullptr);
}

TEST(Selection, SteppingWrapsSkipsTheUnselectableAndSelectingTwiceIsQuiet) {
  TTBRootItem root;
  TTBCustomItem *a = AddItem(root, "a");
  AddSep(root);
  TTBCustomItem *b = AddItem(root, "b");
  TTBCustomItem *hidden = AddItem(root, "h");
  hidden->SetVisible(false);
  b->SetEnabled(false); // disabled items can still be selected by keys
  int selects = 0;
  a->OnSelect = [&](TTBCustomItem *, TTBItemViewer *, bool on) { selects += on ? 1 : 0; };
  TTBView view(nullptr, &root, nullptr, false);
  Pin(view);
  EXPECT_EQ(view.StepSelectable(nullptr, true)->Item(), a);
  EXPECT_EQ(view.StepSelectable(view.Find(a), true)->Item(), b);
  EXPECT_EQ(view.StepSelectable(view.Find(b), true)->Item(), a);
  EXPECT_EQ(view.StepSelectable(nullptr, false)->Item(), b);
  view.SetSelection(view.Find(a));
  view.SetSelection(view.Find(a));
  EXPECT_EQ(selects, 1);
  a->SetItemKind(a->ItemKind() | ikNeverFirst);
  EXPECT_EQ(view.FirstForKeyboard(true)->Item(), b);
}

} // namespace

namespace {

TEST(MeasuringRotated, AVerticalToolbarTurnsCaptionsUnlessAskedNotTo) {
  TTBRootItem root;
  TTBCustomItem *item = AddItem(root, "Open");
  TTBView view(nullptr, &root, nullptr, true);
  view.Orientation = tbvoVertical;
  Pin(view);
  int w = 0, h = 0;
  view.Viewer(0)->MeasureSize(view.Metrics(false), w, h);
  EXPECT_EQ(QSize(w, h), QSize(6 + 13, 6 + 24 + 6));
  EXPECT_TRUE(view.Viewer(0)->IsRotated());
  item->SetOptions(tboNoRotation);
  view.Viewer(0)->MeasureSize(view.Metrics(false), w, h);
  EXPECT_EQ(QSize(w, h), QSize(36, 19));
}

} // namespace

namespace {

TEST(Chevron, AChosenItemComesBackFromBehindTheChevron) {
  TTBRootItem root;
  for (const char *c : {"AAAA", "BBBB", "CCCC", "DDDD"}) AddItem(root, c);
  ChevronView view(&root, true);
  Pin(view);
  view.ChevronStart = 100;
  view.ChevronLength = 12;
  view.Relayout();
  TTBItemViewer *d = view.Find(root.ItemAt(3));
  ASSERT_TRUE(d->PushedOff);
  view.GiveWayToFront(d);
  EXPECT_EQ(view.GiveWayOrder().front(), d);
  // Now the last in the order (C, then B) give way first.
  EXPECT_EQ(Shown(view), (QStringList{"AAAA@0,0,36,19", "DDDD@36,0,36,19", "@88,0,12,19"}));
}

} // namespace

namespace {

TEST(KeyboardCues, AcceleratorsHiddenUntilTheKeyboardIsUsed) {
  kc::TbSystemSettings s;
  s.keyboardCues = false;
  kc::TbSystemSettingsOverride o(s);
  TTBRootItem root;
  AddItem(root, "&File");
  TTBView view(nullptr, &root, nullptr, true);
  EXPECT_TRUE(view.Viewer(0)->ShowAccelerator()); // a view that does not follow the cues
  view.Style = vsUseKeyboardCues;
  EXPECT_FALSE(view.Viewer(0)->ShowAccelerator());
  view.UpdateAccelerators(true);
  EXPECT_TRUE(view.Viewer(0)->ShowAccelerator());
  view.UpdateAccelerators(false);
  EXPECT_FALSE(view.Viewer(0)->ShowAccelerator());
}

} // namespace
