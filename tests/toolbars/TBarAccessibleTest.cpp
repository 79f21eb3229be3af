// What assistive technology reads of a toolbar: each shown item is a child
// named by its caption (accelerator stripped) or else its hint, a separator
// is one, states follow the item, the place is the button's on screen, and
// the press action clicks an enabled item only.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QStringList>
#include <memory>

#include "toolbars/TBarDock.h"
#include "toolbars/TBarItem.h"
#include "toolbars/TBarItemViewer.h"
#include "toolbars/TBarToolbar.h"
#include "toolbars/TBarView.h"

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
