// The toolbar: layout in a dock with the chevron and its "More Buttons"
// list, menu-bar mode, accelerators and shortcuts, hosted widgets, the
// floating sizes a resize snaps to, and saved positions on real docks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTest>
#include <QStringList>

#include <QPainter>

#include <memory>
#include <optional>

#include "platform/Beep.h"
#include "platform/DesktopMetrics.h"
#include "platform/GuiTimer.h"
#include "platform/ProgramKey.h"
#include "platform/Screen.h"
#include "platform/TbSystemSettings.h"
#include "support/EventPump.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "toolbars/TBSkinShared.h"
#include "toolbars/TBarDockPositions.h"
#include "toolbars/TBarMenuLoop.h"
#include "toolbars/TBarPopup.h"
#include "toolbars/TBarToolbar.h"
#include "FixedTextMetrics.h"

using namespace kc;
using namespace kc::tb;

namespace {

using kctest::FixedMetrics;

// Records the menu loops it is asked to run instead of running them.
class Toolbar : public TTBToolbar {
public:
  explicit Toolbar(QWidget *Form, const char *Name) : TTBToolbar(Form) {
    setObjectName(QString::fromLatin1(Name));
    auto m = std::make_shared<FixedMetrics>();
    View()->SetMetrics(m, m);
  }
  std::vector<int> loops;
  QStringList clicks;
  TTBCustomItem *Add(const char *Caption, TTBCustomItem *Item = nullptr) {
    if (!Item) Item = new TTBItem;
    Item->SetCaption(QString::fromLatin1(Caption));
    Item->SetName(StripAccelChars(QString::fromLatin1(Caption)));
    Item->OnClick = [this](TTBCustomItem *s) { clicks << s->Name(); };
    Items()->Add(Item);
    return Item;
  }

protected:
  void StartMenuLoop(int Options, QPoint) override { loops.push_back(Options); }
};

// A form with docks on its four edges.
struct Form {
  QWidget form;
  TTBDock *top, *bottom, *left, *right;
  Form() {
    form.resize(600, 400);
    top = new TTBDock(&form, dpTop);
    bottom = new TTBDock(&form, dpBottom);
    left = new TTBDock(&form, dpLeft);
    right = new TTBDock(&form, dpRight);
    top->setObjectName("TopDock");
    bottom->setObjectName("BottomDock");
    left->setObjectName("LeftDock");
    right->setObjectName("RightDock");
    top->setGeometry(0, 0, 600, 0);
    bottom->setGeometry(0, 400, 600, 0);
    left->setGeometry(0, 0, 0, 400);
    right->setGeometry(600, 0, 0, 400);
  }
  Toolbar *bar(const char *Name, TTBDock *Dock, std::initializer_list<const char *> Captions) {
    auto *t = new Toolbar(&form, Name);
    for (const char *c : Captions) t->Add(c);
    t->SetCurrentDock(Dock);
    return t;
  }
};

QStringList ShownNames(TTBView &V) {
  V.EnsurePositions();
  QStringList out;
  for (int i = 0; i < V.ViewerCount(); ++i)
    if (V.Viewer(i)->Show) out << V.Viewer(i)->Item()->Name();
  return out;
}

int ItemWidth(Toolbar &T, int Index) {
  T.View()->EnsurePositions();
  return T.View()->Find(T.Items()->ItemAt(Index))->BoundsRect.width();
}

TEST(Toolbar, ItemsThatDoNotFitGoBehindTheChevronAndItsListShowsThem) {
  Form f;
  Toolbar *t = f.bar("Standard", f.top, {"One", "Two", "Three", "Four"});
  const int w = ItemWidth(*t, 0); // equal captions, equal buttons
  const int frame = t->GetDockedFrameSize().width();
  struct Case {
    const char *name;
    int dockWidth;
    QStringList shown;
  };
  const Case cases[] = {
      {"room for all", frame + 4 * w + 40, {"One", "Two", "Three", "Four"}},
      {"one short", frame + 4 * w - 1, {"One", "Two", "Three", ""}},
      {"room for two and the chevron", frame + 2 * w + ChevronSize(), {"One", "Two", ""}},
      {"narrower than one button: one stays", frame + 5, {"One", ""}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    f.top->setGeometry(0, 0, c.dockWidth, f.top->height());
    f.top->ArrangeBars();
    EXPECT_EQ(ShownNames(*t->View()), c.shown); // the chevron has no name
    // A bar longer than its minimum fits the dock.
    if (c.dockWidth >= t->GetMinimumLength()) {
      EXPECT_LE(t->x() + t->width(), c.dockWidth);
    }
    // The chevron's popup lists exactly the buttons that gave way.
    TTBPopupWindow popup(t->View(), t->Chevron(), nullptr);
    QStringList pushed;
    for (const char *n : {"One", "Two", "Three", "Four"})
      if (!c.shown.contains(QString::fromLatin1(n))) pushed << QString::fromLatin1(n);
    EXPECT_EQ(ShownNames(*popup.View()), pushed);
    if (!pushed.isEmpty()) {
      EXPECT_TRUE(t->Chevron()->Enabled());
    }
  }
  EXPECT_EQ(t->ChevronHint(), "More Buttons|");
  EXPECT_FALSE(t->ChevronHintStored());
  t->SetChevronHint("More|");
  EXPECT_TRUE(t->ChevronHintStored());
}

// The chevron's glyph stands where the look puts it: two right-pointing
// chevrons near the top left on a horizontal bar, two down-pointing ones at
// the right on a vertical bar; pressed moves it by one pixel; disabled
// draws it embossed.
TEST(Toolbar, TheChevronGlyphIsDrawnInPlace) {
  DefaultSkin().SetSkinType(tbsDisabled);
  struct Case {
    const char *name;
    bool vertical, pushed, enabled;
    QPoint origin;                // of the glyph, in the 30 x 30 viewer
    QColor colour;                // of its pixels
    std::optional<QColor> emboss; // a copy one pixel down and right
  };
  const QColor text = ToQColor(clBtnText), shadow = ToQColor(clBtnShadow), light = ToQColor(clBtnHighlight);
  const Case cases[] = {
      {"horizontal", false, false, true, {2, 4}, text, {}},
      {"horizontal pressed", false, true, true, {3, 5}, text, {}},
      {"vertical", true, false, true, {30 - 9, 2}, text, {}},
      {"disabled", false, false, false, {2, 4}, shadow, light},
  };
  Form f;
  Toolbar *t = f.bar("Bar", f.top, {"A"});
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    t->View()->Orientation = c.vertical ? tbvoVertical : tbvoHorizontal;
    t->Chevron()->SetEnabled(c.enabled);
    TTBChevronItemViewer viewer(t->View(), t->Chevron());
    QImage img(30, 30, QImage::Format_RGB32);
    const QColor back(1, 2, 3);
    img.fill(back);
    {
      QPainter p(&img);
      viewer.Paint(p, QRect(0, 0, 30, 30), c.pushed, c.pushed, false);
    }
    const TTBChevronGlyph g = ChevronGlyph(c.vertical);
    for (int y = 0; y < g.Height; ++y)
      for (int x = 0; x < g.Width; ++x) {
        const bool on = g.Rows[size_t(y)] & (0x80 >> x);
        const QPoint at = c.origin + QPoint(x, y);
        if (on) {
          EXPECT_EQ(QColor(img.pixel(at)), c.colour) << x << "," << y;
        } else if (!c.emboss) {
          EXPECT_NE(QColor(img.pixel(at)), c.colour) << x << "," << y;
        }
      }
    if (c.emboss) {
      // The lowest row of the glyph lit one row further down.
      for (int x = 0; x < g.Width; ++x)
        if (g.Rows.back() & (0x80 >> x)) {
          EXPECT_EQ(QColor(img.pixel(c.origin + QPoint(x + 1, g.Height))), *c.emboss);
        }
    }
  }
  t->Chevron()->SetEnabled(true);
}

TEST(Toolbar, MinimumLengthIsTheFirstButtonTheFrameAndTheChevron) {
  Form f;
  Toolbar *t = f.bar("Standard", f.top, {"Wide one", "B"});
  EXPECT_EQ(t->GetMinimumLength(), ItemWidth(*t, 0) + t->GetDockedFrameSize().width() + ChevronSize());
  t->SetCurrentDock(f.left);
  t->View()->EnsurePositions();
  const int h = t->View()->Find(t->Items()->ItemAt(0))->BoundsRect.height();
  EXPECT_EQ(t->GetMinimumLength(), h + t->GetDockedFrameSize().height() + ChevronSize());
}

TEST(Toolbar, MenuBarModeSetsItsCompanionProperties) {
  Form f;
  Toolbar *t = f.bar("Menu", f.top, {"&File"});
  t->SetMenuBar(true);
  EXPECT_TRUE(t->FullSize());
  EXPECT_EQ(t->ShrinkMode(), tbsmWrap);
  EXPECT_FALSE(t->CloseButton());
  EXPECT_TRUE(t->ProcessShortCuts());
  EXPECT_TRUE(t->View()->IsMenuBar());
  t->SetMenuBar(false);
  EXPECT_FALSE(t->FullSize());
  EXPECT_EQ(t->ShrinkMode(), tbsmChevron);
  EXPECT_TRUE(t->CloseButton());
  EXPECT_FALSE(t->ProcessShortCuts());
}

TEST(Toolbar, AMenuBarWrapsItsItemsToTheDocksWidth) {
  Form f;
  Toolbar *t = f.bar("Menu", f.top, {"&File", "&Edit", "&View", "&Help"});
  t->SetMenuBar(true);
  const int w = ItemWidth(*t, 0);
  const int frame = t->GetDockedFrameSize().width();
  f.top->setGeometry(0, 0, frame + 2 * w + 1, 0);
  f.top->ArrangeBars();
  t->View()->EnsurePositions();
  EXPECT_EQ(ShownNames(*t->View()), (QStringList{"File", "Edit", "View", "Help"}));
  EXPECT_GT(t->View()->WrappedLines, 0);
  EXPECT_EQ(t->width(), f.top->ClientRect().width()); // full size
}

TEST(Toolbar, KeyboardOpenByAccelerator) {
  struct Case {
    const char *name;
    bool menuBar;
    QChar key;
    bool primaryOnly;
    bool result;
    QStringList clicks;
    std::vector<int> loops;
    const char *selected; // after the call
  };
  const int open = rbmKeyboardOpen | rbmSelectFirst;
  const Case cases[] = {
      {"Alt alone selects the first item", true, QChar(), false, true, {}, {0}, "Save"},
      {"an item's accelerator clicks it", false, u'v', false, true, {"Save"}, {}, ""},
      {"a submenu's accelerator opens it", true, u'F', false, true, {}, {open}, "Format"},
      {"two items share x on a toolbar: used, nothing clicked", false, u'x', false, true, {}, {}, ""},
      {"two items share x on a menu bar: the first is selected", true, u'x', false, true, {}, {0}, "Export"},
      {"a disabled item's accelerator does nothing", false, u'd', false, false, {}, {}, ""},
      {"no such accelerator", false, u'q', false, false, {}, {}, ""},
      {"first letter without a mark", false, u'p', false, true, {"Plain"}, {}, ""},
      {"first letter only when not primary-only", false, u'p', true, false, {}, {}, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Form f;
    auto *t = new Toolbar(&f.form, "Bar");
    t->Add("Sa&ve");
    t->Add("&Format", new TTBSubmenuItem);
    t->Add("E&xport");
    t->Add("Te&xt");
    t->Add("&Disabled")->SetEnabled(false);
    t->Add("Plain");
    t->SetCurrentDock(f.top);
    t->SetMenuBar(c.menuBar);
    EXPECT_EQ(t->KeyboardOpen(c.key, c.primaryOnly), c.result);
    EXPECT_EQ(t->clicks, c.clicks);
    EXPECT_EQ(t->loops, c.loops);
    TTBItemViewer *sel = t->View()->Selected();
    EXPECT_EQ(sel ? sel->Item()->Name() : QString(), QString::fromLatin1(c.selected));
  }
}

TEST(Toolbar, MenuBarKeysOfTheForm) {
  Form f;
  Toolbar *menu = f.bar("Menu", f.top, {"&File"});
  menu->SetMenuBar(true);
  int beeps = 0;
  SetBeepSink([&] { ++beeps; });
  EXPECT_TRUE(ProcessMenuBarKey(&f.form, u'f'));
  EXPECT_EQ(menu->clicks, QStringList{"File"});
  EXPECT_TRUE(ProcessMenuBarKey(&f.form, u'z')); // taken, with a beep
  EXPECT_TRUE(ProcessMenuBarKey(&f.form, u'-')); // taken, silently
  EXPECT_EQ(beeps, 1);
  EXPECT_TRUE(ProcessMenuBarAlt(&f.form));
  EXPECT_EQ(menu->loops, std::vector<int>{0});
  QWidget other;
  EXPECT_FALSE(ProcessMenuBarKey(&other, u'f')); // another form has no menu bar
  menu->SetMenuBar(false);
  EXPECT_FALSE(ProcessMenuBarKey(&f.form, u'f'));
  SetBeepSink(nullptr);
}

TEST(Toolbar, KeysPressedInTheFormReachItsToolbars) {
  Form f;
  Toolbar *menu = f.bar("Menu", f.top, {"&File", "&Edit"});
  Toolbar *tools = f.bar("Tools", f.top, {"&Send"});
  tools->Items()->ItemAt(0)->SetShortCut(scCtrl | 'S');
  tools->SetProcessShortCuts(true);
  menu->SetMenuBar(true);
  int beeps = 0;
  SetBeepSink([&] { ++beeps; });
  struct Case {
    const char *name;
    int key;
    Qt::KeyboardModifiers mods;
    QStringList menuClicks, toolClicks;
    std::vector<int> loops;
  };
  const Case cases[] = {
      {"Alt+E opens Edit", Qt::Key_E, Qt::AltModifier, {"Edit"}, {}, {}},
      {"Ctrl+S runs Send", Qt::Key_S, Qt::ControlModifier, {}, {"Send"}, {}},
      {"a plain key is not theirs", Qt::Key_E, Qt::NoModifier, {}, {}, {}},
      {"Alt alone enters the menu bar", Qt::Key_Alt, Qt::NoModifier, {}, {}, {0}},
      {"F10 enters the menu bar as Alt does", Qt::Key_F10, Qt::NoModifier, {}, {}, {0}},
      {"Shift+F10 is not the menu bar's", Qt::Key_F10, Qt::ShiftModifier, {}, {}, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    menu->clicks.clear();
    tools->clicks.clear();
    menu->loops.clear();
    QTest::keyClick(&f.form, Qt::Key(c.key), c.mods);
    RunPendingClicks();
    EXPECT_EQ(menu->clicks, c.menuClicks);
    EXPECT_EQ(tools->clicks, c.toolClicks);
    EXPECT_EQ(menu->loops, c.loops);
  }
  EXPECT_EQ(beeps, 0);
  SetBeepSink(nullptr);
}

TEST(Toolbar, ShortCutsReachTheItemsOfRegisteredToolbars) {
  struct Case {
    const char *name;
    bool processShortCuts;
    bool handledByEvent;
    bool used;
    QStringList clicks;
  };
  const Case cases[] = {
      {"not registered", false, false, false, {}},
      {"registered: the item runs", true, false, true, {"Send"}},
      {"the event takes it first", true, true, true, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Form f;
    Toolbar *t = f.bar("Bar", f.top, {"&Send"});
    t->Items()->ItemAt(0)->SetShortCut(scCtrl | 'S');
    t->SetProcessShortCuts(c.processShortCuts);
    t->OnShortCut = [&](TTBCustomToolbar *, TShortCut Key, bool &Handled) {
      Handled = c.handledByEvent && Key == (scCtrl | 'S');
    };
    EXPECT_EQ(ProcessToolbarShortCut(&f.form, scCtrl | 'S'), c.used);
    RunPendingClicks();
    EXPECT_EQ(t->clicks, c.clicks);
    EXPECT_FALSE(ProcessToolbarShortCut(&f.form, scCtrl | 'Q'));
  }
}

TEST(Toolbar, TheHintFollowsTheItemUnderThePointer) {
  Form f;
  Toolbar *t = f.bar("Bar", f.top, {"Send", "Quiet", "Plain"});
  t->Items()->ItemAt(0)->SetHint("Send|Sends the message");
  t->Items()->ItemAt(1)->SetHint("Quiet|Only in menus");
  t->Items()->ItemAt(1)->SetMaskOptions(tboLongHintInMenuOnly);
  t->Items()->ItemAt(1)->SetOptions(tboLongHintInMenuOnly);
  QStringList tips;
  struct TipWatch : QObject {
    QStringList *tips;
    bool eventFilter(QObject *, QEvent *e) override {
      if (e->type() == QEvent::StatusTip) *tips << static_cast<QStatusTipEvent *>(e)->tip();
      return false;
    }
  } watch;
  watch.tips = &tips;
  f.form.installEventFilter(&watch);
  auto moveTo = [&](int Index) {
    t->View()->EnsurePositions();
    QPoint at(1, 1);
    if (Index >= 0) at = t->View()->Find(t->Items()->ItemAt(Index))->BoundsRect.center() + t->ClientRect().topLeft();
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(t->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(t, &move);
    return t->Hint();
  };
  EXPECT_EQ(moveTo(0), "Send|Sends the message");
  EXPECT_EQ(moveTo(1), ""); // long hint for menus only
  EXPECT_EQ(moveTo(2), ""); // no hint
  EXPECT_EQ(moveTo(0), "Send|Sends the message");
  EXPECT_EQ(moveTo(-1), ""); // the drag handle
  EXPECT_EQ(tips, (QStringList{"Sends the message", "", "Sends the message", ""}));
}

TEST(Toolbar, HostedWidgetsBecomeItemsAndLeaveWithoutTakingOthers) {
  Form f;
  Toolbar *t = f.bar("Bar", f.top, {"A"});
  auto *one = new QPushButton("one", t);
  auto *two = new QPushButton("two", t);
  one->setFixedSize(40, 20);
  two->setFixedSize(30, 20);
  ASSERT_EQ(t->Items()->Count(), 3);
  auto *item1 = dynamic_cast<TTBControlItem *>(t->Items()->ItemAt(1));
  ASSERT_TRUE(item1);
  EXPECT_EQ(item1->Control(), one);
  f.form.show();
  one->show();
  two->show();
  kctest::pumpEvents();
  t->View()->EnsurePositions();
  // The widgets sit where their items are, inside the frame.
  const QRect r1 = t->View()->Find(item1)->BoundsRect.translated(t->ClientRect().topLeft());
  EXPECT_EQ(one->geometry(), r1);
  QPointer<QPushButton> keep(two);
  delete one;
  EXPECT_EQ(t->Items()->Count(), 2);
  ASSERT_TRUE(keep);
  EXPECT_EQ(dynamic_cast<TTBControlItem *>(t->Items()->ItemAt(1))->Control(), two);
  // A widget moved elsewhere leaves its item behind, and survives.
  two->setParent(&f.form);
  EXPECT_EQ(t->Items()->Count(), 1);
  EXPECT_TRUE(keep);
}

TEST(Toolbar, TabSkipsHostedWidgetsBehindTheChevron) {
  Form f;
  auto *before = new QLineEdit(&f.form);
  Toolbar *t = f.bar("Bar", f.top, {});
  QLineEdit *edits[3];
  for (QLineEdit *&e : edits) {
    e = new QLineEdit(t);
    e->setFixedSize(60, 20);
  }
  auto *after = new QLineEdit(&f.form);
  before->setGeometry(10, 100, 50, 20);
  after->setGeometry(10, 130, 50, 20);
  f.form.show();
  for (QLineEdit *e : edits) e->show();
  QApplication::setActiveWindow(&f.form);
  kctest::pumpEvents();
  // Room for the first widget only: the other two wait behind the chevron.
  f.top->setGeometry(0, 0, t->GetDockedFrameSize().width() + 60 + ChevronSize() + 2, f.top->height());
  f.top->ArrangeBars();
  t->View()->EnsurePositions();
  ASSERT_FALSE(t->View()->Find(t->Items()->ItemAt(0))->PushedOff);
  ASSERT_TRUE(t->View()->Find(t->Items()->ItemAt(1))->PushedOff);
  edits[0]->setFocus(Qt::TabFocusReason);
  kctest::pumpEvents();
  ASSERT_EQ(QApplication::focusWidget(), edits[0]);
  edits[1]->setFocus(Qt::TabFocusReason); // as Tab from the first would
  kctest::pumpEvents();
  EXPECT_NE(QApplication::focusWidget(), edits[1]);
  EXPECT_NE(QApplication::focusWidget(), edits[2]);
  EXPECT_EQ(QApplication::focusWidget(), after);
}

TEST(Toolbar, FloatingSizesAreTheWidthsAtWhichTheItemsWrap) {
  Form f;
  Toolbar *t = f.bar("Bar", f.top, {"A", "B", "C"});
  const int w = ItemWidth(*t, 0), h = t->View()->Find(t->Items()->ItemAt(0))->BoundsRect.height();
  const TTBMargins m = t->View()->LayoutMargins(tbvoFloating);
  const int mw = m.Left + m.Right, mh = m.Top + m.Bottom;
  // One row of three, two rows (two and one), three rows of one; whatever
  // width it floats at now.
  const std::vector<QSize> expected = {{3 * w + mw, h + mh}, {2 * w + mw, 2 * h + mh}, {w + mw, 3 * h + mh}};
  EXPECT_EQ(t->FloatingSizes(), expected);
  t->SetFloatingWidth(2 * w + mw);
  EXPECT_EQ(t->FloatingSizes(), expected);
}

TEST(Toolbar, AFloatingResizeSnapsBetweenTheSizes) {
  // Window sizes of a floating bar with three 20-pixel buttons.
  const std::vector<QSize> sizes = {{68, 30}, {48, 50}, {28, 70}};
  const QRect start(100, 100, 68, 30); // one row
  struct Case {
    const char *name;
    int handle;
    QPoint delta;
    QRect expected;
  };
  const Case cases[] = {
      {"right edge held within the snap distance", htRight, {-12, 0}, start},
      {"right edge past it takes the largest size that fits", htRight, {-13, 0}, {100, 100, 48, 50}},
      {"right edge far left takes the narrowest", htRight, {-60, 0}, {100, 100, 28, 70}},
      {"right edge outward stays at the widest", htRight, {80, 0}, start},
      {"left edge keeps the right edge", htLeft, {15, 0}, {120, 100, 48, 50}},
      {"bottom edge down takes more rows", htBottom, {0, 25}, {100, 100, 48, 50}},
      {"top edge up keeps the bottom edge", htTop, {0, -45}, {100, 60, 28, 70}},
      {"bottom-left corner follows the height", htBottomLeft, {0, 40}, {140, 100, 28, 70}},
  };
  for (const Case &c : cases) {
    TTBFloatingSizer sizer(c.handle, start, sizes);
    EXPECT_EQ(sizer.SnapDistance(), 12) << c.name;
    bool changed = false;
    EXPECT_EQ(sizer.Track(c.delta, start, &changed), c.expected) << c.name;
    EXPECT_EQ(changed, c.expected != start) << c.name;
  }
  // Neighbours closer than 12 pixels shorten the hold to one pixel short
  // of them.
  TTBFloatingSizer close(htRight, QRect(0, 0, 40, 30), {{40, 30}, {35, 50}, {20, 70}});
  EXPECT_EQ(close.SnapDistance(), 4);
  EXPECT_EQ(close.Track({-5, 0}, QRect(0, 0, 40, 30)), QRect(0, 0, 35, 50));
}

TEST(Toolbar, DraggingTheRightEdgeOfAFloatingToolbarWrapsItsItems) {
  MonitorsOverride monitors{{Monitor{QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 740)}}};
  Form f;
  Toolbar *t = f.bar("Bar", f.top, {"A", "B", "C"});
  t->SetHideWhenInactive(false);
  f.form.show();
  t->SetFloatingPosition({300, 200});
  t->SetFloating(true);
  const std::vector<QSize> sizes = t->FloatingSizes();
  ASSERT_EQ(sizes.size(), 3u);
  const QSize frame = t->FloatParent()->OuterSizeFor(QSize(0, 0));
  const QRect start = t->FloatParent()->geometry();
  ASSERT_EQ(start.size(), sizes[0] + frame);
  struct Case {
    const char *name;
    int dx;
    bool accept;
    int sizeIndex; // the size it ends at
  };
  const Case cases[] = {
      {"a small pull holds", -5, true, 0},
      {"in to the two-row width", sizes[1].width() - sizes[0].width(), true, 1},
      {"far in: one column", -1000, true, 2},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    t->SetFloatingWidth(0);
    ASSERT_EQ(t->FloatParent()->size(), sizes[0] + frame);
    const QPoint grab(start.left() + start.width() - 1, start.top() + 10);
    setCursorPosition(grab);
    t->BeginSizing(htRight);
    setCursorPosition(grab + QPoint(c.dx, 0));
    t->SizingTo(grab + QPoint(c.dx, 0));
    t->EndSizing(c.accept);
    setCursorPosition(std::nullopt);
    EXPECT_EQ(t->FloatParent()->size(), sizes[size_t(c.sizeIndex)] + frame);
    EXPECT_EQ(t->FloatParent()->geometry().topLeft(), start.topLeft());
    EXPECT_EQ(t->View()->WrappedLines, c.sizeIndex);
  }
}

class ToolbarPositions : public ::testing::Test {
protected:
  kctest::TempDir tmp{"kc-tbpositions"};
  kctest::ScopedEnv config{"XDG_CONFIG_HOME", tmp.path().string()};
  MonitorsOverride monitors{{Monitor{QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 740)}}};
  static constexpr std::string_view key = "Software\\Dornick\\Kavet Chat\\TBPAP";
};

struct Where {
  QString dock;
  bool floating, visible;
  int row, pos;
  QPoint at;
  int floatingWidth;
  bool operator==(const Where &) const = default;
};
std::ostream &operator<<(std::ostream &os, const Where &w) {
  return os << w.dock.toStdString() << (w.floating ? " floating" : "") << (w.visible ? "" : " hidden") << " row "
            << w.row << " pos " << w.pos << " at " << w.at.x() << "," << w.at.y() << " width " << w.floatingWidth;
}
Where WhereIs(const Toolbar &T) {
  return {T.CurrentDock() ? T.CurrentDock()->objectName() : QString(),
          T.Floating(),
          T.Visible(),
          T.DockRow(),
          T.DockPos(),
          T.Floating() ? T.FloatingPosition() : QPoint(),
          T.FloatingWidth()};
}

TEST_F(ToolbarPositions, SavedAndLoadedOnRealDocksToTheSameLayout) {
  std::vector<Where> saved;
  {
    Form f;
    Toolbar *a = f.bar("Standard", f.top, {"A", "B"});
    Toolbar *b = f.bar("Format", f.top, {"C"});
    Toolbar *c = f.bar("Menu", f.top, {"D"});
    a->SetDockRow(1);
    a->SetCurrentDock(f.left);
    b->SetFloatingWidth(30);
    b->SetFloatingPosition({200, 150});
    b->SetFloating(true);
    c->SetCurrentDock(f.bottom);
    c->Close();
    for (Toolbar *t : {a, b, c}) saved.push_back(WhereIs(*t));
    DockablePositionsSaver (&f.form)(key);
  }
  Form f;
  Toolbar *a = f.bar("Standard", f.top, {"A", "B"});
  Toolbar *b = f.bar("Format", f.top, {"C"});
  Toolbar *c = f.bar("Menu", f.top, {"D"});
  DockablePositionsLoader (&f.form)(key);
  std::vector<Where> loaded;
  for (Toolbar *t : {a, b, c}) loaded.push_back(WhereIs(*t));
  EXPECT_EQ(loaded, saved);
  EXPECT_EQ(a->parentWidget(), f.left);
  EXPECT_EQ(b->LastDock(), f.top);
}

TEST_F(ToolbarPositions, AFloatingToolbarOffEveryScreenComesOntoTheNearest) {
  RegistryIni ini(key);
  ini.writeString("Standard", "Rev", "2000");
  ini.writeString("Standard", "DockedTo", "+");
  ini.writeString("Standard", "FloatLeft", "9000");
  ini.writeString("Standard", "FloatTop", "300");
  Form f;
  Toolbar *t = f.bar("Standard", f.top, {"A"});
  LoadDockablePositions(&f.form, key);
  ASSERT_TRUE(t->Floating());
  const QRect r(t->FloatingPosition(), t->FloatParent()->size());
  EXPECT_EQ(r.right(), 1023);
  EXPECT_EQ(r.top(), 300);
}

TEST_F(ToolbarPositions, HostileValuesOnRealDocksLoadWithoutHarm) {
  // Rows far out would have the dock walk every row up to them; points far
  // out would put the window where no screen is.
  RegistryIni ini(key);
  const std::pair<const char *, const char *> standard[] = {
      {"Rev", "2000"}, {"DockedTo", "leftdock"}, {"DockRow", "2147483647"}, {"DockPos", "-2147483648"}};
  for (auto [n, v] : standard) ini.writeString("Standard", n, v);
  const std::pair<const char *, const char *> format[] = {
      {"Rev", "2000"},       {"DockedTo", "+"},         {"FloatLeft", "-2147483648"}, {"FloatTop", "2147483647"},
      {"FloatRightX", "-5"}, {"LastDock", "NoSuchDock"}};
  for (auto [n, v] : format) ini.writeString("Format", n, v);
  Form f;
  Toolbar *a = f.bar("Standard", f.top, {"A", "B"});
  Toolbar *b = f.bar("Format", f.top, {"C"});
  LoadDockablePositions(&f.form, key);
  EXPECT_EQ(a->CurrentDock(), f.left);
  EXPECT_EQ(a->DockRow(), kMaxStoredDockRow);
  EXPECT_EQ(a->EffectiveDockRow(), 0); // the only row there is
  EXPECT_EQ(a->y(), 0);
  ASSERT_TRUE(b->Floating());
  EXPECT_TRUE(QRect(0, 0, 1024, 740).contains(QRect(b->FloatingPosition(), b->FloatParent()->size())));
  EXPECT_EQ(b->FloatingWidth(), 0);
  EXPECT_EQ(b->LastDock(), f.top);
}

} // namespace

namespace {

// A press and release on a button that drops a list (the chevron of a bar
// too narrow for its buttons, a drop-down submenu) leaves the list open, so
// what it holds can be reached with the next click.
TEST(Toolbar, AClickOnADropDownButtonLeavesItsListOpen) {
  ManualTimerClock clock;
  TbSystemSettings s;
  s.menuAnimation = false;
  TbSystemSettingsOverride settings(s);
  ScreenOverride screen{ScreenRect{0, 0, 1024, 768}, ScreenRect{0, 0, 1024, 768}};
  struct Case {
    const char *name;
    bool chevron;
  };
  for (const Case c : {Case{"chevron of a narrow bar", true}, Case{"drop-down submenu", false}}) {
    SCOPED_TRACE(c.name);
    Form f;
    Toolbar *t = f.bar("Standard", f.top, {"One", "Two", "Three"});
    auto *smile = new TTBSubmenuItem;
    smile->SetCaption("S&mile");
    smile->SetName("Smile");
    smile->Add(new TTBItem);
    smile->ItemAt(0)->SetCaption("&Happy");
    t->Items()->Insert(0, smile);
    const int frame = t->GetDockedFrameSize().width();
    f.top->setGeometry(0, 0, c.chevron ? frame + ItemWidth(*t, 0) + ChevronSize() + 4 : 600, f.top->height());
    f.top->ArrangeBars();
    f.form.show();
    TTBView *view = t->View();
    view->EnsurePositions();
    TTBItemViewer *button = view->Find(c.chevron ? static_cast<TTBCustomItem *>(t->Chevron()) : smile);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->Show);
    const QPoint p = view->ClientToScreen(button->BoundsRect.center());
    setCursorPosition(p);
    view->SetSelection(button);
    TTBMenuLoop loop(view, false);
    ASSERT_TRUE(loop.Begin(true, false, false, p));
    ASSERT_NE(view->OpenedView, nullptr);
    EXPECT_TRUE(loop.MouseUp(p, Qt::LeftButton));
    EXPECT_NE(view->OpenedView, nullptr);
    EXPECT_FALSE(loop.Finished());
    loop.End();
    view->CloseSubmenus();
    setCursorPosition(std::nullopt);
  }
}

} // namespace

namespace {

// A menu bar that wraps to a second row in a window made narrower makes
// its dock two rows thick, so the bar below does not hide its last titles.
TEST(Toolbar, AWrappingMenuBarMakesItsDockThickerAndTheBarBelowMovesDown) {
  Form f;
  Toolbar *menu = f.bar("Menu", f.top, {"&File", "&Edit", "&View", "&Help"});
  menu->SetMenuBar(true);
  Toolbar *tools = f.bar("Standard", f.top, {"Bold", "Send"});
  tools->SetDockRow(1);
  f.top->ArrangeBars();
  f.form.show();
  const int oneRow = menu->height();
  const int w = ItemWidth(*menu, 0);
  const int frame = menu->GetDockedFrameSize().width();
  struct Case {
    const char *name;
    int width;
    bool wraps;
  };
  for (const Case &c : {Case{"narrow: two rows", frame + 2 * w + 1, true}, Case{"wide again: one row", 600, false}}) {
    SCOPED_TRACE(c.name);
    // As a window's layout does: the dock takes the new width and keeps
    // its thickness; it arranges its bars itself.
    f.top->setGeometry(0, 0, c.width, f.top->height());
    EXPECT_EQ(menu->View()->WrappedLines > 0, c.wraps);
    if (c.wraps) EXPECT_GT(menu->height(), oneRow);
    else EXPECT_EQ(menu->height(), oneRow);
    EXPECT_GE(tools->y(), menu->y() + menu->height());
    EXPECT_EQ(f.top->height(), tools->y() + tools->height() + (f.top->height() - f.top->ClientRect().bottom() - 1));
  }
}

} // namespace
