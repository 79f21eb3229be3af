#include "support/EventPump.h"
#include "support/TempDir.h"
#include "core/StartupUn.h"
#include "platform/Log.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <regex>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace kc;

using kctest::fromOtherCopy;
using kctest::pumpEvents;

namespace {

struct RecordingWindows : TChatWindows {
  std::vector<std::string> calls;
  // Whether a later copy could find the main window while each step ran.
  std::vector<bool> mainFindable;
  void note(const char *step) {
    calls.push_back(step);
    mainFindable.push_back(MessageWindow::find(KavetChatMainWindowClass) != nullptr);
  }
  void CreateMainWindow() override { note("main"); }
  void CreateUserList() override { note("user list"); }
  void CreateGifCatalogue() override { note("catalogue"); }
  void WakeMainWindow() override { note("wake"); }
  void CloseMainWindow() override { note("close"); }
};

TEST(StartupTest, InstanceNameHasTheFixedForm) {
  const std::string name(KavetChatInstanceName);
  EXPECT_EQ(name.size(), 59u);
  EXPECT_TRUE(std::regex_match(
      name, std::regex(R"(\{[0-9A-F]{7}-[0-9A-F]{7}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}-[A-Za-z0-9.]{19})")));
}

TEST(StartupTest, WindowsAreCreatedInOrderAndClosedOnce) {
  RecordingWindows windows;
  {
    TKavetChatStartup startup(windows);
    startup.CreateWindows();
    EXPECT_NE(MessageWindow::find(KavetChatMainWindowClass), nullptr);
    startup.CloseMainWindow();
    startup.CloseMainWindow();
    EXPECT_TRUE(startup.Closed());
    EXPECT_EQ(MessageWindow::find(KavetChatMainWindowClass), nullptr) << "a closed main window is not found";
  }
  EXPECT_EQ(windows.calls, (std::vector<std::string>{"main", "user list", "catalogue", "close"}));
  EXPECT_EQ(windows.mainFindable, (std::vector<bool>{false, true, true, false}));
}

class StartupGuardTest : public ::testing::Test {
protected:
  kctest::TempDir tmp{"kcstartup"};
  std::unique_ptr<TKcInstanceChecker> checker(const std::string &in = {}) {
    auto c = std::make_unique<TKcInstanceChecker>(std::string(KavetChatInstanceName), in.empty() ? folder : in);
    c->SetTimeout(2000);
    return c;
  }
  const std::string folder = tmp.path().string();
};

TEST_F(StartupGuardTest, SecondStartWakesTheFirstAndHandsOverTheRestartText) {
  auto firstGuard = checker();
  std::vector<std::string> texts;
  firstGuard->OnProcessData = [&](TKcInstanceChecker *, const std::string &d) { texts.push_back(d); };
  ASSERT_FALSE(WakeRunningCopy(*firstGuard)) << "the first copy goes on";
  RecordingWindows windows;
  TKavetChatStartup startup(windows);
  startup.CreateWindows();

  auto secondGuard = checker();
  EXPECT_TRUE(fromOtherCopy([&] { return WakeRunningCopy(*secondGuard); }));
  pumpEvents();
  EXPECT_EQ(windows.calls, (std::vector<std::string>{"main", "user list", "catalogue", "wake"}));
  EXPECT_EQ(texts, std::vector<std::string>{"Restart of appendix Kavet Chat"});

  // Only wParam 123 wakes; lParam is not read.
  auto *main = MessageWindow::find(KavetChatMainWindowClass);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->send(WM_USER, 124, 45), 0);
  EXPECT_EQ(main->send(WM_USER, 123, 0), 0);
  EXPECT_EQ(windows.calls.size(), 5u);
  EXPECT_EQ(windows.calls.back(), "wake");
}

TEST_F(StartupGuardTest, FirstCopyWithoutMainWindowStillEndsTheSecond) {
  auto firstGuard = checker();
  ASSERT_FALSE(WakeRunningCopy(*firstGuard));
  int texts = 0;
  firstGuard->OnProcessData = [&](TKcInstanceChecker *, const std::string &) { ++texts; };
  auto secondGuard = checker();
  EXPECT_TRUE(fromOtherCopy([&] { return WakeRunningCopy(*secondGuard); }));
  pumpEvents();
  EXPECT_EQ(texts, 1);
}

TEST_F(StartupGuardTest, GuardFailureCountsAsFirstCopyAndIsReported) {
  std::vector<std::string> lines;
  SetLogSink([&](const std::string &l) { lines.push_back(l); });
  auto broken = checker(folder + "/no/such/folder");
  EXPECT_FALSE(WakeRunningCopy(*broken));
  SetLogSink(nullptr);
  EXPECT_FALSE(broken->FirstInstance());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("kavetchat: single-instance guard: ", 0), 0u) << lines[0];
}

} // namespace
