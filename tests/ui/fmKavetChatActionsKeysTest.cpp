// Keys in a window with the main toolbars: the action list's shortcuts run
// from the input box, and the editing keys, whose actions the window leaves
// to the input box, reach it through the toolbars' key filter.
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "fmKavetChatActionsDouble.h"
#include "platform/ShellOpen.h"
#include "richtext/controls/EditorFixture.h"

using namespace kc;
using kctest::MainWindowDouble;

namespace {

// Lists the key presses (modifier keys left out) that reach the widget it
// watches.
class KeySpy : public QObject {
public:
  std::vector<int> keys;

protected:
  bool eventFilter(QObject *, QEvent *e) override {
    if (e->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent *>(e)->key();
    if (key != Qt::Key_Control && key != Qt::Key_Shift && key != Qt::Key_Alt && key != Qt::Key_Meta)
      keys.push_back(key);
    return false;
  }
};

struct KeyWindow {
  MainWindowDouble window;
  TMainActionList actions{window};
  kctest::Editor e;
  KeySpy spy;

  KeyWindow() {
    actions.CreateToolbars(window.form.get(), window.top, window.bottom);
    e.ed->setParent(window.form.get());
    e.ed->move(0, 60);
    e.para({"one two"});
    window.form->show();
    window.form->activateWindow();
    e.open(0, 8);
    e.ed->installEventFilter(&spy);
    window.calls.clear();
  }
  QWidget *input() const { return e.ed.get(); }
};

struct KeyRow {
  const char *name;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
};

const KeyRow kEditingKeys[] = {
    {"CtrlC", Qt::Key_C, Qt::ControlModifier}, {"CtrlX", Qt::Key_X, Qt::ControlModifier},
    {"CtrlV", Qt::Key_V, Qt::ControlModifier}, {"CtrlA", Qt::Key_A, Qt::ControlModifier},
    {"CtrlZ", Qt::Key_Z, Qt::ControlModifier}, {"Delete", Qt::Key_Delete, Qt::NoModifier},
};

class EditingKeys : public ::testing::TestWithParam<KeyRow> {};

TEST_P(EditingKeys, ReachTheFocusedInputBox) {
  const KeyRow &r = GetParam();
  KeyWindow w;
  ASSERT_EQ(QApplication::focusWidget(), w.input());
  QTest::keyClick(w.input(), r.key, r.modifiers);
  EXPECT_EQ(w.spy.keys, std::vector<int>{r.key});
  EXPECT_TRUE(w.window.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, EditingKeys, ::testing::ValuesIn(kEditingKeys),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST(EditingKeys, EditTheInputBox) {
  KeyWindow w;
  QTest::keyClick(w.input(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(w.input(), Qt::Key_Delete);
  EXPECT_EQ(w.e.text(), "");
  QTest::keyClick(w.input(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(w.e.text(), "one two");
}

const KeyRow kSendKeys[] = {
    {"CtrlReturn", Qt::Key_Return, Qt::ControlModifier},
    {"KeypadCtrlEnter", Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier},
};

class SendKeys : public ::testing::TestWithParam<KeyRow> {};

TEST_P(SendKeys, SendTheMessageInsteadOfTyping) {
  const KeyRow &r = GetParam();
  KeyWindow w;
  QTest::keyClick(w.input(), r.key, r.modifiers);
  EXPECT_EQ(w.window.calls, std::vector<std::string>{"SendTalkMessage"});
  EXPECT_TRUE(w.spy.keys.empty());
  EXPECT_EQ(w.e.text(), "one two");
}

INSTANTIATE_TEST_SUITE_P(Table, SendKeys, ::testing::ValuesIn(kSendKeys),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST(ShortCutKeys, DisabledActionsLeaveTheirKeysToTheInputBox) {
  KeyWindow w;
  // Ctrl+U (talk with a user) waits for the user list.
  QTest::keyClick(w.input(), Qt::Key_U, Qt::ControlModifier);
  EXPECT_EQ(w.spy.keys, std::vector<int>{Qt::Key_U});
  EXPECT_TRUE(w.window.calls.empty());
}

TEST(ShortCutKeys, SendRunsFromAFloatingToolbarsForm) {
  KeyWindow w;
  w.actions.tbMainForm()->SetFloating(true);
  QTest::keyClick(w.input(), Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(w.window.calls, std::vector<std::string>{"SendTalkMessage"});
}

} // namespace
