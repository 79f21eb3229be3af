// The item tree: the notifications views hear for each operation, errors
// that leave the tree as it was, links, actions and queued clicks.
#include <gtest/gtest.h>

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

#include "platform/GuiTimer.h"
#include "toolbars/TBarConsts.h"
#include "toolbars/TBarExtItems.h"
#include "toolbars/TBarItem.h"

using namespace kc::tb;

namespace {

const char *KindName(TTBItemChangeKind k) {
  switch (k) {
  case ckInserted: return "ins";
  case ckDeleting: return "del";
  case ckSubitemsChanged: return "subs";
  case ckBeginUpdate: return "begin";
  case ckEndUpdate: return "end";
  case ckChanged: return "chg";
  case ckChangedResize: return "resize";
  case ckNameChanged: return "name";
  case ckSubmenuImagesChanged: return "imgs";
  }
  return "?";
}

// Writes every notification as "kind index item [relayed from ancestor]".
struct Recorder : TTBItemChangeListener {
  QStringList log;
  std::function<void(TTBItemChangeKind)> onNotify;
  void ItemNotification(TTBCustomItem *Ancestor, bool Relayed, TTBItemChangeKind Kind, int Index,
                        TTBCustomItem *Item) override {
    QString s = QString::fromLatin1(KindName(Kind));
    if (Kind == ckInserted || Kind == ckDeleting) s += QStringLiteral(" %1").arg(Index);
    if (Item) s += QStringLiteral(" ") + Item->Name();
    if (Relayed) s += QStringLiteral(" via ") + Ancestor->Name();
    log << s;
    if (onNotify) onNotify(Kind);
  }
  void ItemDestroying(TTBCustomItem *Item) override { log << QStringLiteral("gone ") + Item->Name(); }
};

template <typename T = TTBItem> T *Make(const char *Name) {
  auto *i = new T;
  i->SetName(QString::fromLatin1(Name));
  return i;
}

QStringList Names(const TTBCustomItem &Parent) {
  QStringList out;
  for (int i = 0; i < Parent.Count(); ++i) out << Parent.ItemAt(i)->Name();
  return out;
}

struct Tree : ::testing::Test {
  TTBRootItem root;
  Recorder rec;
  void SetUp() override {
    root.SetName(QStringLiteral("root"));
    root.Add(Make("a"));
    root.Add(Make("b"));
    root.Add(Make("c"));
    root.AddChangeHandler(&rec);
  }
  void TearDown() override { root.RemoveChangeHandler(&rec); }
};

struct OperationCase {
  const char *name;
  std::function<void(TTBRootItem &)> op;
  QStringList expectedLog;
  QStringList expectedOrder;
};

class TreeOperations : public Tree, public ::testing::WithParamInterface<OperationCase> {};

TEST_P(TreeOperations, SendTheseNotificationsInOrder) {
  const OperationCase &c = GetParam();
  c.op(root);
  EXPECT_EQ(rec.log, c.expectedLog);
  EXPECT_EQ(Names(root), c.expectedOrder);
}

std::unique_ptr<TTBCustomItem> g_kept;

INSTANTIATE_TEST_SUITE_P(
    Table, TreeOperations,
    ::testing::Values(
        OperationCase{"insert_middle",
                      [](TTBRootItem &r) { r.Insert(1, Make("x")); },
                      {"begin", "ins 1 x", "end"},
                      {"a", "x", "b", "c"}},
        OperationCase{"add_appends",
                      [](TTBRootItem &r) { r.Insert(r.Count(), Make("x")); },
                      {"begin", "ins 3 x", "end"},
                      {"a", "b", "c", "x"}},
        OperationCase{"delete_keeps_item",
                      [](TTBRootItem &r) {
                        TTBCustomItem *b = r.ItemAt(1);
                        r.Delete(1);
                        g_kept.reset(b);
                        EXPECT_EQ(b->Parent(), nullptr);
                      },
                      {"del 1 b"},
                      {"a", "c"}},
        OperationCase{"move_down",
                      [](TTBRootItem &r) { r.Move(0, 2); },
                      {"begin", "del 0 a", "begin", "ins 2 a", "end", "end"},
                      {"b", "c", "a"}},
        OperationCase{"move_same_place", [](TTBRootItem &r) { r.Move(1, 1); }, {}, {"a", "b", "c"}},
        OperationCase{"clear_last_first", [](TTBRootItem &r) { r.Clear(); }, {"del 2 c", "del 1 b", "del 0 a"}, {}},
        OperationCase{
            "hide_lays_out", [](TTBRootItem &r) { r.ItemAt(0)->SetVisible(false); }, {"resize a"}, {"a", "b", "c"}},
        OperationCase{"same_value_silent", [](TTBRootItem &r) { r.ItemAt(0)->SetVisible(true); }, {}, {"a", "b", "c"}},
        OperationCase{
            "enable_repaints", [](TTBRootItem &r) { r.ItemAt(2)->SetEnabled(false); }, {"chg c"}, {"a", "b", "c"}},
        OperationCase{"image_index_repaint_only",
                      [](TTBRootItem &r) {
                        r.ItemAt(0)->SetImageIndex(2);
                        r.ItemAt(0)->SetImageIndex(5);
                      },
                      {"resize a", "chg a"},
                      {"a", "b", "c"}},
        OperationCase{"rename",
                      [](TTBRootItem &r) { r.ItemAt(1)->SetName(QStringLiteral("bb")); },
                      {"name bb"},
                      {"a", "bb", "c"}},
        OperationCase{"show_hint_only_is_silent",
                      [](TTBRootItem &r) { r.ItemAt(1)->SetOptions(tboShowHint | tboLongHintInMenuOnly); },
                      {},
                      {"a", "b", "c"}},
        OperationCase{"link_subitems",
                      [](TTBRootItem &r) {
                        static TTBRootItem other;
                        r.SetLinkSubitems(&other);
                        r.SetLinkSubitems(nullptr);
                      },
                      {"subs", "subs"},
                      {"a", "b", "c"}}),
    [](const auto &info) { return std::string(info.param.name); });

struct ErrorCase {
  const char *name;
  std::function<void(TTBRootItem &, TTBRootItem &)> op;
  const char *message;
};

class TreeErrors : public Tree, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(TreeErrors, RaiseAndChangeNothing) {
  TTBRootItem other;
  other.SetName(QStringLiteral("other"));
  other.Add(Make("o"));
  try {
    GetParam().op(root, other);
    FAIL() << "no error";
  } catch (const ETBItemError &e) {
    EXPECT_STREQ(e.what(), GetParam().message);
  }
  EXPECT_EQ(Names(root), (QStringList{"a", "b", "c"}));
  EXPECT_EQ(Names(other), (QStringList{"o"}));
  EXPECT_TRUE(rec.log.isEmpty()) << rec.log.join(u',').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Table, TreeErrors,
    ::testing::Values(
        ErrorCase{"item_at_count", [](TTBRootItem &r, TTBRootItem &) { r.ItemAt(3); }, STBToolbarIndexOutOfBounds},
        ErrorCase{"item_at_minus_one", [](TTBRootItem &r, TTBRootItem &) { r.ItemAt(-1); }, STBToolbarIndexOutOfBounds},
        ErrorCase{"insert_past_end",
                  [](TTBRootItem &r, TTBRootItem &) {
                    std::unique_ptr<TTBItem> x(Make("x"));
                    r.Insert(4, x.get());
                  },
                  STBToolbarIndexOutOfBounds},
        ErrorCase{"insert_from_other_parent", [](TTBRootItem &r, TTBRootItem &o) { r.Insert(0, o.ItemAt(0)); },
                  STBToolbarItemReinserted},
        ErrorCase{"insert_twice_same_parent", [](TTBRootItem &r, TTBRootItem &) { r.Add(r.ItemAt(0)); },
                  STBToolbarItemReinserted},
        ErrorCase{"insert_into_own_child",
                  [](TTBRootItem &r, TTBRootItem &) {
                    // Would make a loop of parents.
                    r.ItemAt(0)->Add(&r);
                  },
                  STBToolbarItemReinserted},
        ErrorCase{"delete_out_of_range", [](TTBRootItem &r, TTBRootItem &) { r.Delete(3); },
                  STBToolbarIndexOutOfBounds},
        ErrorCase{"move_out_of_range", [](TTBRootItem &r, TTBRootItem &) { r.Move(0, 3); },
                  STBToolbarIndexOutOfBounds}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Tree, ClearFreesTheWholeSubtree) {
  const int before = LiveItemCount();
  root.ItemAt(0)->Add(Make("a1"));
  root.ItemAt(0)->ItemAt(0)->Add(Make("a11"));
  root.Clear();
  EXPECT_EQ(LiveItemCount(), before - 3);
}

TEST_F(Tree, DeletedItemCanBeInsertedElsewhere) {
  std::unique_ptr<TTBCustomItem> b(root.ItemAt(1));
  root.Delete(1);
  TTBRootItem other;
  other.Add(b.release());
  EXPECT_EQ(Names(other), QStringList{"b"});
}

TEST(ItemNotifications, AHandlerThatUnregistersAnotherDoesNotBreakTheWalk) {
  Recorder first, second, third;
  TTBRootItem root;
  root.AddChangeHandler(&first);
  root.AddChangeHandler(&second);
  root.AddChangeHandler(&third);
  first.onNotify = [&](TTBItemChangeKind) {
    root.RemoveChangeHandler(&first);
    root.RemoveChangeHandler(&second);
  };
  root.Add(Make("x"));
  // The first heard the begin before it left; the second was taken out
  // before its turn; the third heard everything.
  EXPECT_EQ(first.log, QStringList{"begin"});
  EXPECT_TRUE(second.log.isEmpty());
  EXPECT_EQ(third.log, (QStringList{"begin", "ins 0 x", "end"}));
}

TEST(ItemNotifications, AHandlerThatFreesTheItemEndsTheWalk) {
  auto *sub = Make<TTBSubmenuItem>("sub");
  TTBRootItem root;
  root.Add(sub);
  Recorder killer, later;
  sub->AddChangeHandler(&killer);
  sub->AddChangeHandler(&later);
  killer.onNotify = [&](TTBItemChangeKind k) {
    if (k == ckInserted) delete sub;
  };
  sub->Add(Make("x"));
  EXPECT_EQ(killer.log, (QStringList{"begin", "ins 0 x", "del 0 x", "gone sub"}));
  EXPECT_EQ(later.log, (QStringList{"begin", "del 0 x", "gone sub"}));
  EXPECT_EQ(root.Count(), 0);
}

TEST(ItemNotifications, EmbeddedGroupsRelayToTheirParentAndLinkers) {
  TTBRootItem root, shared;
  root.SetName(QStringLiteral("root"));
  shared.SetName(QStringLiteral("shared"));
  auto *group = Make("group");
  group->SetItemKind(group->ItemKind() | ikEmbeddedGroup);
  root.Add(group);
  auto *linker = Make("linker");
  linker->SetItemKind(linker->ItemKind() | ikEmbeddedGroup);
  linker->SetLinkSubitems(&shared);
  root.Add(linker);
  Recorder rec;
  root.AddChangeHandler(&rec);
  group->Add(Make("g1"));
  shared.Add(Make("s1"));
  EXPECT_EQ(rec.log, (QStringList{"begin via group", "ins 0 g1 via group", "end via group", "begin via linker",
                                  "ins 0 s1 via linker", "end via linker"}));
  root.RemoveChangeHandler(&rec);
  linker->SetLinkSubitems(nullptr);
}

TEST(ItemNotifications, LinksThatFormALoopDoNotRecurse) {
  TTBRootItem root;
  auto *a = Make("a");
  auto *b = Make("b");
  a->SetItemKind(a->ItemKind() | ikEmbeddedGroup);
  b->SetItemKind(b->ItemKind() | ikEmbeddedGroup);
  root.Add(a);
  a->Add(b);
  b->SetLinkSubitems(a); // b shows a's sub-items, which hold b
  Recorder rec;
  root.AddChangeHandler(&rec);
  a->Add(Make("x"));
  EXPECT_EQ(rec.log.size(), 3);
  root.RemoveChangeHandler(&rec);
}

TEST(ItemProperties, CheckingUnchecksTheSameGroupOfTheSameParentOnly) {
  TTBRootItem root, other;
  auto *a = Make("a"), *b = Make("b"), *c = Make("c"), *d = Make("d");
  for (TTBCustomItem *i : {a, b, c}) {
    i->SetGroupIndex(3);
    root.Add(i);
  }
  c->SetGroupIndex(4);
  d->SetGroupIndex(3);
  other.Add(d);
  b->SetChecked(true);
  c->SetChecked(true);
  d->SetChecked(true);
  a->SetChecked(true);
  EXPECT_TRUE(a->Checked());
  EXPECT_FALSE(b->Checked());
  EXPECT_TRUE(c->Checked());
  EXPECT_TRUE(d->Checked());
}

TEST(ItemProperties, OptionsAndTheirResolution) {
  TTBRootItem root;
  auto *sub = Make<TTBSubmenuItem>("sub");
  root.Add(sub);
  auto *leaf = Make("leaf");
  sub->Add(leaf);
  sub->SetOptions(tboToolbarSize);
  EXPECT_EQ(sub->Options(), 0);
  sub->SetOptions(tboToolbarStyle | tboToolbarSize | tboDefault);
  EXPECT_EQ(sub->Options(), tboToolbarStyle | tboToolbarSize | tboDefault);
  // Children inherit all but tboDefault, less their mask.
  EXPECT_EQ(leaf->ResolvedOptions(), tboToolbarStyle | tboToolbarSize);
  leaf->SetMaskOptions(tboToolbarStyle);
  EXPECT_EQ(leaf->ResolvedOptions(), 0); // the size needs the style
  leaf->SetInheritOptions(false);
  leaf->SetMaskOptions(0);
  EXPECT_EQ(leaf->ResolvedOptions(), 0);
}

TEST(ItemProperties, LinkToItselfIsNone) {
  TTBSubmenuItem s;
  s.SetLinkSubitems(&s);
  EXPECT_EQ(s.LinkSubitems(), nullptr);
}

TEST(ItemProperties, CaptionTextsAndHints) {
  TTBItem i;
  i.SetCaption(QStringLiteral("&Open\tCtrl+O"));
  i.SetShortCut(scCtrl | 'P');
  EXPECT_EQ(i.CaptionText(), QStringLiteral("&Open"));
  EXPECT_EQ(i.ShortCutText(), QStringLiteral("Ctrl+O"));
  i.SetCaption(QStringLiteral("Print"));
  EXPECT_EQ(i.ShortCutText(), QStringLiteral("Ctrl+P"));
  i.SetHint(QStringLiteral("Short|The long one"));
  EXPECT_EQ(i.ShortHint(), QStringLiteral("Short"));
  EXPECT_EQ(i.LongHint(), QStringLiteral("The long one"));
}

TEST(ItemBehaviour, AutoCheckTogglesBeforeOnClick) {
  TTBItem i;
  i.SetAutoCheck(true);
  bool seen = false;
  i.OnClick = [&](TTBCustomItem *s) { seen = s->Checked(); };
  i.Click();
  EXPECT_TRUE(seen);
}

TEST(ItemBehaviour, OpeningAPlainSubmenuClicksItButNotACombo) {
  TTBSubmenuItem plain, combo;
  combo.SetDropdownCombo(true);
  int clicks = 0, popups = 0;
  for (TTBSubmenuItem *s : {&plain, &combo}) {
    s->OnClick = [&](TTBCustomItem *) { ++clicks; };
    s->OnPopup = [&](TTBCustomItem *, bool) { ++popups; };
  }
  plain.DoPopup(&plain, false);
  combo.DoPopup(&combo, false);
  EXPECT_EQ(popups, 2);
  EXPECT_EQ(clicks, 1);
}

TEST(ItemActions, LinkedPropertiesFollowTheActionUntilChangedByHand) {
  TTBAction action;
  action.SetCaption(QStringLiteral("Send"));
  int executed = 0;
  action.OnExecute = [&](TTBCustomItem *) { ++executed; };
  TTBItem a, b;
  a.SetAction(&action);
  b.SetAction(&action);
  EXPECT_EQ(a.Caption(), QStringLiteral("Send"));
  b.SetCaption(QStringLiteral("Mine"));
  action.SetCaption(QStringLiteral("Send now"));
  action.SetEnabled(false);
  EXPECT_EQ(a.Caption(), QStringLiteral("Send now"));
  EXPECT_EQ(b.Caption(), QStringLiteral("Mine"));
  EXPECT_FALSE(a.Enabled());
  a.Click();
  EXPECT_EQ(executed, 1);
}

TEST(ItemActions, AnOwnOnClickWinsOverTheAction) {
  TTBAction action;
  int executed = 0, own = 0;
  action.OnExecute = [&](TTBCustomItem *) { ++executed; };
  TTBItem i;
  i.SetAction(&action);
  i.OnClick = [&](TTBCustomItem *) { ++own; };
  // An OnClick set after the action is the item's own.
  auto ownHandler = i.OnClick;
  i.SetAction(nullptr);
  i.OnClick = ownHandler;
  i.SetAction(&action);
  i.Click();
  EXPECT_EQ(executed, 1); // assigned before: the action's handler replaced it
  EXPECT_EQ(own, 0);
}

TEST(ItemActions, FreeingTheActionUnlinksItems) {
  TTBItem i;
  {
    TTBAction action;
    i.SetAction(&action);
  }
  EXPECT_EQ(i.Action(), nullptr);
}

TEST(QueuedClicks, EveryClickRunsOnceAfterTheLoopInOrder) {
  kc::ManualTimerClock clock;
  TTBItem a, b;
  QStringList ran;
  a.OnClick = [&](TTBCustomItem *) { ran << "a"; };
  b.OnClick = [&](TTBCustomItem *) { ran << "b"; };
  PostItemClick(&a, false);
  PostItemClick(&b, false);
  EXPECT_TRUE(ran.isEmpty());
  clock.runPosted();
  EXPECT_EQ(ran, (QStringList{"a", "b"}));
  clock.runPosted();
  EXPECT_EQ(ran.size(), 2);
}

TEST(QueuedClicks, AnItemFreedBeforeItsTurnIsPassedOver) {
  kc::ManualTimerClock clock;
  auto *doomed = new TTBItem;
  TTBItem survivor;
  int ran = 0;
  doomed->OnClick = [&](TTBCustomItem *) { ++ran; };
  survivor.OnClick = [&](TTBCustomItem *) { ++ran; };
  PostItemClick(doomed, false);
  PostItemClick(&survivor, false);
  delete doomed;
  clock.runPosted();
  EXPECT_EQ(ran, 1);
}

TEST(VisibilityToggle, FollowsTheWidgetAndTogglesIt) {
  QWidget parent;
  auto *panel = new QWidget(&parent);
  panel->setWindowTitle(QStringLiteral("Additional"));
  TTBVisibilityToggleItem item;
  item.SetControl(panel);
  EXPECT_EQ(item.Caption(), QStringLiteral("Additional"));
  EXPECT_TRUE(item.Checked());
  item.Click();
  EXPECT_TRUE(panel->isHidden());
  EXPECT_FALSE(item.Checked());
  panel->show(); // shown by other means: the next action update sees it
  item.InitiateAction();
  EXPECT_TRUE(item.Checked());
  delete panel;
  EXPECT_EQ(item.Control(), nullptr);
  EXPECT_FALSE(item.Checked());
}

TEST(VisibilityToggle, WithoutAWidgetOnlyTheOwnClickRuns) {
  TTBVisibilityToggleItem item;
  item.SetCaption(QStringLiteral("Mine"));
  int clicks = 0;
  item.OnClick = [&](TTBCustomItem *) { ++clicks; };
  item.Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(item.Checked());
  QWidget w;
  w.setWindowTitle(QStringLiteral("Other"));
  item.SetControl(&w);
  EXPECT_EQ(item.Caption(), QStringLiteral("Mine"));
  item.SetControl(nullptr);
}

} // namespace

namespace {

struct KeyCase {
  const char *name;
  int key;
  Qt::KeyboardModifiers mods;
  TShortCut shortCut;
  const char *text;
};
class ShortCutKeys : public ::testing::TestWithParam<KeyCase> {};
TEST_P(ShortCutKeys, FromQtKeysAndToText) {
  EXPECT_EQ(ShortCutFromKey(GetParam().key, GetParam().mods), GetParam().shortCut);
  EXPECT_EQ(ShortCutToText(GetParam().shortCut), QString::fromLatin1(GetParam().text));
}
INSTANTIATE_TEST_SUITE_P(
    Table, ShortCutKeys,
    ::testing::Values(KeyCase{"ctrl_n", Qt::Key_N, Qt::ControlModifier, TShortCut(scCtrl | 'N'), "Ctrl+N"},
                      KeyCase{"shift_ctrl_f5", Qt::Key_F5, Qt::ShiftModifier | Qt::ControlModifier,
                              TShortCut(scShift | scCtrl | 0x74), "Shift+Ctrl+F5"},
                      KeyCase{"alt_enter", Qt::Key_Enter, Qt::AltModifier, TShortCut(scAlt | 0x0D), "Alt+Enter"},
                      KeyCase{"del", Qt::Key_Delete, Qt::NoModifier, TShortCut(0x2E), "Del"},
                      KeyCase{"unnamed_key", Qt::Key_Launch0, Qt::ControlModifier, TShortCut(0), ""}),
    [](const auto &i) { return std::string(i.param.name); });

} // namespace
