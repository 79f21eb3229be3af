#include "widgets/KcWndProcHook.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace kc {
namespace {

const QEvent::Type kPing = static_cast<QEvent::Type>(QEvent::User + 7);

// A control that writes down when it handles the event.
struct Control : QWidget {
  std::vector<std::string> *log;
  explicit Control(std::vector<std::string> *l) : log(l) {}
  bool event(QEvent *e) override {
    if (e->type() == kPing) {
      log->push_back("control");
      return true;
    }
    return QWidget::event(e);
  }
};

TKcHookMethod hook(std::vector<std::string> &log, const char *name, std::uintptr_t code, bool handles = false) {
  TKcHookMethod m;
  m.Data = &log;
  m.Code = code;
  m.Call = [&log, name, handles](QObject *, QEvent *e) {
    if (e->type() != kPing) return false;
    log.push_back(name);
    return handles;
  };
  return m;
}

void ping(QObject *o) {
  QEvent e(kPing);
  QApplication::sendEvent(o, &e);
}

using Log = std::vector<std::string>;

TEST(KcWndProcHook, BeforeHooksRunInOrderThenTheControlThenAfterHooks) {
  Log log;
  Control c(&log);
  ASSERT_TRUE(RegisterWndProcHook(&c, hook(log, "after", 3), THookOrder::hoAfterMsg));
  ASSERT_TRUE(RegisterWndProcHook(&c, hook(log, "before1", 1), THookOrder::hoBeforeMsg));
  ASSERT_TRUE(RegisterWndProcHook(&c, hook(log, "before2", 2), THookOrder::hoBeforeMsg));
  ping(&c);
  EXPECT_EQ(log, (Log{"before1", "before2", "control", "after"}));
}

TEST(KcWndProcHook, HandlingBeforeHookHidesTheEventFromTheRest) {
  Log log;
  Control c(&log);
  RegisterWndProcHook(&c, hook(log, "first", 1, true), THookOrder::hoBeforeMsg);
  RegisterWndProcHook(&c, hook(log, "second", 2), THookOrder::hoBeforeMsg);
  RegisterWndProcHook(&c, hook(log, "after", 3), THookOrder::hoAfterMsg);
  ping(&c);
  EXPECT_EQ(log, (Log{"first"}));
}

TEST(KcWndProcHook, UnregisteringTakesTheHookAwayByItsMethod) {
  Log log;
  Control c(&log);
  RegisterWndProcHook(&c, hook(log, "a", 1), THookOrder::hoBeforeMsg);
  RegisterWndProcHook(&c, hook(log, "b", 2), THookOrder::hoBeforeMsg);
  EXPECT_FALSE(UnregisterWndProcHook(&c, hook(log, "b", 2), THookOrder::hoAfterMsg)) << "wrong order";
  EXPECT_TRUE(UnregisterWndProcHook(&c, hook(log, "any name", 2), THookOrder::hoBeforeMsg));
  ping(&c);
  EXPECT_EQ(log, (Log{"a", "control"}));
  EXPECT_TRUE(UnregisterWndProcHook(&c, hook(log, "a", 1), THookOrder::hoBeforeMsg));
  EXPECT_FALSE(UnregisterWndProcHook(&c, hook(log, "a", 1), THookOrder::hoBeforeMsg));
  log.clear();
  ping(&c);
  EXPECT_EQ(log, (Log{"control"}));
}

TEST(KcWndProcHook, AbsentControlOrEmptyHookIsRefused) {
  Log log;
  Control c(&log);
  EXPECT_FALSE(RegisterWndProcHook(nullptr, hook(log, "a", 1), THookOrder::hoBeforeMsg));
  EXPECT_FALSE(RegisterWndProcHook(&c, TKcHookMethod{}, THookOrder::hoBeforeMsg));
  EXPECT_FALSE(UnregisterWndProcHook(nullptr, hook(log, "a", 1), THookOrder::hoBeforeMsg));
}

TEST(KcWndProcHook, HooksGoWithTheirControl) {
  Log log;
  auto *c = new Control(&log);
  RegisterWndProcHook(c, hook(log, "a", 1), THookOrder::hoBeforeMsg);
  delete c;
  // A new control (maybe at the same address) starts without hooks.
  Control fresh(&log);
  EXPECT_EQ(WndProcHookCount(&fresh, THookOrder::hoBeforeMsg), 0);
  ping(&fresh);
  EXPECT_EQ(log, (Log{"control"}));
}

TEST(KcWndProcHook, HookOfAFreedOwnerIsNeverCalled) {
  Log log;
  Control c(&log);
  auto *owner = new QObject;
  int calls = 0;
  TKcHookMethod m;
  m.Data = owner;
  m.Code = 1;
  m.Owner = owner;
  m.Call = [&calls](QObject *, QEvent *e) {
    calls += e->type() == kPing;
    return false;
  };
  RegisterWndProcHook(&c, m, THookOrder::hoAfterMsg);
  ping(&c);
  EXPECT_EQ(calls, 1);
  delete owner;
  ping(&c);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(WndProcHookCount(&c, THookOrder::hoAfterMsg), 0) << "dropped once found gone";
}

TEST(KcWndProcHook, BeforeHooksLeaveOtherEventFiltersTheirEvents) {
  // The tray icon watches its window through a filter of its own; a magnet's
  // hook on the same window must not take the events from it.
  struct Counter : QObject {
    int seen = 0;
    bool eventFilter(QObject *, QEvent *e) override {
      seen += e->type() == kPing;
      return false;
    }
  } counter;
  Log log;
  Control c(&log);
  c.installEventFilter(&counter);
  RegisterWndProcHook(&c, hook(log, "before", 1), THookOrder::hoBeforeMsg);
  ping(&c);
  EXPECT_EQ(counter.seen, 1);
  EXPECT_EQ(log, (Log{"before", "control"}));
}

TEST(KcWndProcHook, HookMayFreeItsControl) {
  Log log;
  auto *c = new Control(&log);
  TKcHookMethod m = hook(log, "x", 1);
  m.Call = [](QObject *control, QEvent *e) {
    if (e->type() == kPing) delete control;
    return false;
  };
  RegisterWndProcHook(c, m, THookOrder::hoBeforeMsg);
  RegisterWndProcHook(c, hook(log, "after", 2), THookOrder::hoAfterMsg);
  ping(c);
  EXPECT_TRUE(log.empty());
}

} // namespace
} // namespace kc
