// What assistive technology reads of toolbars, menu bars and popup menus:
// each shown item is a child named by its caption (accelerator stripped) or
// else its hint, a separator is one, states follow the item, the place is
// the button's on screen, and the press action clicks an enabled item only.
// Inside a menu the selection is the focus, and moving it says so.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QStringList>
#include <memory>

#include "platform/GuiTimer.h"
#include "platform/Screen.h"
#include "platform/TbSystemSettings.h"
#include "toolbars/TBarAccessible.h"
#include "toolbars/TBarDock.h"
#include "toolbars/TBarItem.h"
#include "toolbars/TBarItemViewer.h"
#include "toolbars/TBarMenuLoop.h"
#include "toolbars/TBarPopup.h"
#include "toolbars/TBarToolbar.h"
#include "toolbars/TBarView.h"

using namespace kc;
using namespace kc::tb;

namespace {

struct Bar {
  QWidget form;
  TTBDock *dock = new TTBDock(&form, dpTop);
  TTBToolbar *bar = new TTBToolbar(&form);
  QStringList clicks;
  Bar() {
    form.resize(600, 200);
    dock->setGeometry(0, 0, 600, 0);
    bar->setAccessibleName(QStringLiteral("Send toolbar"));
  }
  TTBCustomItem *Add(const char *Caption, const char *Hint, TTBCustomItem *Item = nullptr) {
    if (!Item) Item = new TTBItem;
    Item->SetCaption(QString::fromUtf8(Caption));
    Item->SetHint(QString::fromUtf8(Hint));
    Item->OnClick = [this, Item](TTBCustomItem *) { clicks << Item->Hint(); };
    bar->Items()->Add(Item);
    return Item;
  }
  void Show() {
    bar->SetCurrentDock(dock);
    form.show();
    bar->View()->EnsurePositions();
  }
};

} // namespace

TEST(ToolbarAccessibility, ItemsAreNamedButtonsThatPress) {
  Bar b;
  b.Add("&Send", "Send");
  b.Add("", "Close talk|Closes the talk");
  b.Add("", "", new TTBSeparatorItem);
  b.Add("Mail", "Mail")->SetEnabled(false);
  TTBCustomItem *stay = b.Add("Stay on top", "Stay");
  stay->SetAutoCheck(true);
  stay->SetChecked(true);
  b.Show();

  QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(b.bar);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->role(), QAccessible::ToolBar);
  EXPECT_EQ(bar->text(QAccessible::Name), "Send toolbar");
  ASSERT_EQ(bar->childCount(), 5);

  const struct {
    const char *name;
    QString text;
    QAccessible::Role role;
    bool disabled, checked;
  } rows[] = {
      {"caption without its accelerator", "Send", QAccessible::Button, false, false},
      {"no caption: the short hint", "Close talk", QAccessible::Button, false, false},
      {"separator", "", QAccessible::Separator, false, false},
      {"disabled", "Mail", QAccessible::Button, true, false},
      {"checked", "Stay on top", QAccessible::Button, false, true},
  };
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(rows[i].name);
    QAccessibleInterface *c = bar->child(i);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->isValid());
    EXPECT_EQ(c->text(QAccessible::Name), rows[i].text);
    EXPECT_EQ(c->role(), rows[i].role);
    EXPECT_EQ(bool(c->state().disabled), rows[i].disabled);
    EXPECT_EQ(bool(c->state().checked), rows[i].checked);
    EXPECT_EQ(bar->indexOfChild(c), i);
    EXPECT_EQ(c->parent(), bar);
    EXPECT_EQ(bar->child(i), c) << "the same interface each time";
    // The button's place on screen.
    const TTBItemViewer *v = b.bar->View()->Find(b.bar->Items()->ItemAt(i));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(c->rect(), QRect(b.bar->View()->ClientToScreen(v->BoundsRect.topLeft()), v->BoundsRect.size()));
    EXPECT_EQ(bar->childAt(c->rect().center().x(), c->rect().center().y()), c);
  }
  EXPECT_EQ(bar->child(1)->text(QAccessible::Description), "Closes the talk");

  for (int i : {0, 3}) {
    QAccessibleActionInterface *act = bar->child(i)->actionInterface();
    ASSERT_NE(act, nullptr);
    if (act->actionNames().contains(QAccessibleActionInterface::pressAction()))
      act->doAction(QAccessibleActionInterface::pressAction());
  }
  QApplication::processEvents();
  EXPECT_EQ(b.clicks, QStringList{"Send"}) << "the disabled item does not press";
  EXPECT_EQ(bar->child(5), nullptr);
}

TEST(ToolbarAccessibility, AChildOfARemovedItemGoesInvalidNotDangling) {
  Bar b;
  b.Add("One", "1");
  b.Add("Two", "2");
  b.Show();
  QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(b.bar);
  QAccessibleInterface *two = bar->child(1);
  ASSERT_NE(two, nullptr);
  std::unique_ptr<TTBCustomItem> gone(b.bar->Items()->ItemAt(1));
  b.bar->Items()->Delete(1);
  b.bar->View()->EnsurePositions();
  EXPECT_EQ(bar->childCount(), 1);
  EXPECT_FALSE(two->isValid());
  EXPECT_EQ(two->text(QAccessible::Name), "");
}

namespace {

// Every accessibility event of one kind, by the name of what it is about.
struct EventLog {
  QStringList names;
  explicit EventLog(QAccessible::Event Kind) {
    SetAccessibleEventSink([this, Kind](QAccessibleEvent &e) {
      if (e.type() == Kind)
        if (QAccessibleInterface *i = e.accessibleInterface()) names << i->text(QAccessible::Name);
    });
  }
  ~EventLog() { SetAccessibleEventSink(nullptr); }
};

TTBCustomItem *AddTo(TTBCustomItem &Parent, const char *Caption, TTBCustomItem *Item = nullptr) {
  if (!Item) Item = new TTBItem;
  Item->SetCaption(QString::fromUtf8(Caption));
  Parent.Add(Item);
  return Item;
}

TbSystemSettings NoAnimation() {
  TbSystemSettings s;
  s.menuAnimation = false;
  return s;
}

struct Child {
  QString name;
  QAccessible::Role role;
  bool disabled, checked, hasPopup, focused;
};

void ExpectChildren(QAccessibleInterface *Parent, const std::vector<Child> &Rows) {
  ASSERT_EQ(Parent->childCount(), int(Rows.size()));
  for (int i = 0; i < int(Rows.size()); ++i) {
    const Child &r = Rows[size_t(i)];
    SCOPED_TRACE(r.name.toStdString());
    QAccessibleInterface *c = Parent->child(i);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->text(QAccessible::Name), r.name);
    EXPECT_EQ(c->role(), r.role);
    EXPECT_EQ(bool(c->state().disabled), r.disabled);
    EXPECT_EQ(bool(c->state().checked), r.checked);
    EXPECT_EQ(bool(c->state().hasPopup), r.hasPopup);
    EXPECT_EQ(bool(c->state().focused), r.focused);
    EXPECT_EQ(c->parent(), Parent);
  }
}

} // namespace

TEST(MenuAccessibility, TheTreeOfAPopupListsItsItemsByName) {
  ManualTimerClock clock;
  TbSystemSettingsOverride settings(NoAnimation());
  ScreenOverride screen{ScreenRect{0, 0, 1024, 768}, ScreenRect{0, 0, 1024, 768}};
  TTBRootItem root;
  root.SetCaption(QStringLiteral("&File"));
  AddTo(root, "&Open");
  AddTo(root, "Save &as...\tCtrl+S");
  AddTo(root, "-", new TTBSeparatorItem);
  AddTo(root, "&Print")->SetEnabled(false);
  TTBCustomItem *wrap = AddTo(root, "&Word wrap");
  wrap->SetAutoCheck(true);
  wrap->SetChecked(true);
  AddTo(*AddTo(root, "&Recent", new TTBSubmenuItem), "&One");

  EventLog focus(QAccessible::Focus);
  auto wnd = CreatePopup(&root, nullptr, nullptr, false, true, QPoint(100, 100), 0);
  QAccessibleInterface *menu = QAccessible::queryAccessibleInterface(wnd.get());
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->role(), QAccessible::PopupMenu);
  EXPECT_EQ(menu->text(QAccessible::Name), "File") << "named by the item it drops from";
  const QAccessible::Role item = QAccessible::MenuItem;
  ExpectChildren(menu, {
                           {"Open", item, false, false, false, true},
                           {"Save as...", item, false, false, false, false},
                           {"", QAccessible::Separator, false, false, false, false},
                           {"Print", item, true, false, false, false},
                           {"Word wrap", item, false, true, false, false},
                           {"Recent", item, false, false, true, false},
                       });
  EXPECT_EQ(menu->child(1)->text(QAccessible::Accelerator), "Ctrl+S");
  EXPECT_EQ(menu->focusChild(), menu->child(0));
  EXPECT_EQ(focus.names, QStringList{"Open"}) << "the first item has the focus once the menu shows";

  // The keyboard walks the menu: each item it rests on takes the focus; the
  // open submenu is the child of its item.
  TTBMenuLoop loop(wnd->View(), false);
  ASSERT_TRUE(loop.Begin(false, false, false, QPoint(100, 100)));
  for (int key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Right}) loop.KeyDown(key);
  EXPECT_EQ(focus.names, (QStringList{"Open", "Save as...", "Print", "Word wrap", "Recent", "One"}))
      << "the separator is passed over";
  QAccessibleInterface *recent = menu->child(5);
  EXPECT_TRUE(recent->state().expanded);
  ASSERT_EQ(recent->childCount(), 1);
  QAccessibleInterface *sub = recent->child(0);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->role(), QAccessible::PopupMenu);
  ASSERT_EQ(sub->childCount(), 1);
  EXPECT_EQ(sub->child(0)->text(QAccessible::Name), "One");
  EXPECT_TRUE(sub->child(0)->state().focused);
  EXPECT_FALSE(recent->state().focused) << "the focus went into the submenu";
  loop.KeyDown(Qt::Key_Left);
  EXPECT_EQ(focus.names.back(), "Recent") << "closing the submenu gives the focus back to its item";
  EXPECT_TRUE(recent->state().focused);
  EXPECT_EQ(recent->childCount(), 0);
  loop.End();
}

TEST(MenuAccessibility, AMenuBarsTitlesAreMenuItemsFocusedOnlyInItsLoop) {
  Bar b;
  TTBCustomItem *file = b.Add("&File", "", new TTBSubmenuItem);
  AddTo(*file, "&New");
  TTBCustomItem *edit = b.Add("&Edit", "", new TTBSubmenuItem);
  AddTo(*edit, "&Copy");
  b.bar->SetMenuBar(true);
  b.Show();
  QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(b.bar);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->role(), QAccessible::MenuBar);

  EventLog focus(QAccessible::Focus);
  TTBView *view = b.bar->View();
  // The pointer resting on a title outside a menu is no focus.
  view->SetSelection(view->Find(edit));
  const QAccessible::Role item = QAccessible::MenuItem;
  ExpectChildren(bar, {{"File", item, false, false, true, false}, {"Edit", item, false, false, true, false}});
  EXPECT_EQ(focus.names, QStringList{});

  // Alt (or F10): the bar's loop begins on the selected title and arrows move it.
  TbSystemSettingsOverride settings(NoAnimation());
  view->SetSelection(view->Find(file));
  TTBMenuLoop loop(view, false);
  ASSERT_TRUE(loop.Begin(false, false, false, QPoint(0, 0)));
  ExpectChildren(bar, {{"File", item, false, false, true, true}, {"Edit", item, false, false, true, false}});
  loop.KeyDown(Qt::Key_Right);
  EXPECT_EQ(focus.names, (QStringList{"File", "Edit"}));
  EXPECT_EQ(bar->focusChild(), bar->child(1));
  loop.End();
  EXPECT_FALSE(bar->child(1)->state().focused);

  // The next time the bar is entered, its title takes the focus again.
  TTBMenuLoop again(view, false);
  ASSERT_TRUE(again.Begin(false, false, false, QPoint(0, 0)));
  EXPECT_EQ(focus.names, (QStringList{"File", "Edit", "Edit"}));
  again.End();
}
