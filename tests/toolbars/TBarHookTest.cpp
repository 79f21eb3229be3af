// The hook registry: counted registrations sharing one event filter.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>

#include <vector>

#include "toolbars/TBarHook.h"

using namespace kc::tb;

namespace {

std::vector<TTBHookKind> g_seen;
void Watch(TTBHookKind Kind, QObject *, QEvent *) { g_seen.push_back(Kind); }
void Other(TTBHookKind, QObject *, QEvent *) {}

TEST(ToolbarHooks, RegisteringTwiceAndRemovingOnceKeepsTheHooks) {
  InstallToolbarHook(&Watch, HookKind(hkWindowPosChanged));
  InstallToolbarHook(&Watch, HookKind(hkWindowPosChanged));
  RemoveToolbarHook(&Watch);
  EXPECT_TRUE(ToolbarHookFilterInstalled());
  EXPECT_EQ(ToolbarHookUseCount(0), 1);
  RemoveToolbarHook(&Watch);
  EXPECT_FALSE(ToolbarHookFilterInstalled());
  EXPECT_EQ(ToolbarHookUseCount(0), 0);
}

TEST(ToolbarHooks, EachProcedureHearsOnlyItsKinds) {
  g_seen.clear();
  InstallToolbarHook(&Watch, HookKind(hkWindowPosChanged) | HookKind(hkDestroyWindow));
  InstallToolbarHook(&Other, HookKind(hkGetMessage));
  EXPECT_EQ(ToolbarHookUseCount(0), 1);
  EXPECT_EQ(ToolbarHookUseCount(1), 1);
  EXPECT_EQ(ToolbarHookUseCount(2), 1);
  QWidget w;
  w.setGeometry(10, 10, 50, 50);
  w.show();
  w.move(30, 30);
  QCoreApplication::processEvents();
  w.close();
  RemoveToolbarHook(&Watch);
  RemoveToolbarHook(&Other);
  EXPECT_NE(std::find(g_seen.begin(), g_seen.end(), hkWindowPosChanged), g_seen.end());
  EXPECT_NE(std::find(g_seen.begin(), g_seen.end(), hkDestroyWindow), g_seen.end());
  EXPECT_EQ(std::find(g_seen.begin(), g_seen.end(), hkGetMessage), g_seen.end());
  EXPECT_FALSE(ToolbarHookFilterInstalled());
}

TEST(ToolbarHooks, DesignModeRegistrationsInstallNothing) {
  InstallToolbarHook(&Watch, HookKind(hkGetMessage), true);
  EXPECT_FALSE(ToolbarHookFilterInstalled());
  RemoveToolbarHook(&Watch);
  EXPECT_EQ(ToolbarHookUseCount(2), 0);
}

} // namespace
