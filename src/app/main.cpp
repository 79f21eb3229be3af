// kavetchat: the Kavet Chat program.
#include "HeadlessChatWindows.h"
#include "KcApplication.h"
#include "ui/fmKavetChatUn.h"

#include "core/IPUn.h"
#include "core/StartupUn.h"
#include "platform/IniStore.h"
#include "platform/Log.h"
#include "platform/ProgramKey.h"
#include "platform/ScopeGuard.h"
#include "platform/SystemColors.h"
#include "platform/TbSystemSettings.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

const char kUsage[] = "Usage: kavetchat [--interface IFACE] [--headless] [--dump FILE]\n"
                      "Serverless chat for the people of one local network.\n"
                      "\n"
                      "  --interface IFACE  announce and broadcast on the IPv4 address of network\n"
                      "                     interface IFACE (default: $KAVET_INTERFACE, else the\n"
                      "                     interface of the default route)\n"
                      "  --headless         run without windows: what they would show goes to\n"
                      "                     standard error\n"
                      "  --dump FILE        keep FILE rewritten with what the windows show, as\n"
                      "                     UTF-8 JSON (at most every 200 ms after a change)\n"
                      "  --help             show this text and end\n"
                      "\n"
                      "Only one copy runs per user: a second start brings the running copy to\n"
                      "the front and ends. SIGTERM or SIGINT close the program in order.\n";

// Whether Qt can open windows here: a platform named for it, or an X or
// Wayland display to connect to.
bool HaveDisplay() {
  for (const char *v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char *value = std::getenv(v);
    if (value && *value) return true;
  }
  return false;
}

// Creates the windows, runs the event loop (Exec: the GUI application's
// also makes it the accessibility root) and closes: both modes end so.
int RunStarted(kc::TKavetChatStartup &Startup, std::unique_ptr<kc::TKcInstanceChecker> &Guard, int (*Exec)()) {
  try {
    Startup.CreateWindows();
  } catch (...) {
    // Start-up is an entry point of its own: without its windows the
    // program cannot run.
    kc::LogCaughtException("start-up");
    return 1;
  }
  kc::WriteStderrLine("kavetchat: running");
  int code = Exec();
  try {
    Startup.CloseMainWindow();
  } catch (...) {
    kc::LogCaughtException("shut-down");
    code = 1;
  }
  // The claim goes while the event loop's objects still exist.
  Guard.reset();
  return code;
}

// The program's run with its windows.
int RunWindows(int argc, char **argv, const std::string &DumpFile, std::unique_ptr<kc::TKcInstanceChecker> &Guard) {
  kc::TKcApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kavet Chat"));
  // The close runs the program's close sequence; closing the last window
  // alone does not end the program.
  QApplication::setQuitOnLastWindowClosed(false);
  // Light or dark, as the desktop is, and again when it switches.
  kc::FollowDesktopColors();
  // Menus and toolbars in the desktop's menu font.
  kc::tbUseDesktopSettings();

  kc::TfmKavetChat window;
  app.SetMainForm(&window);
  if (!DumpFile.empty()) window.SetDumpFile(DumpFile);
  kc::TKavetChatStartup startup(window);
  auto close = [&] {
    try {
      startup.CloseMainWindow();
    } catch (...) {
      kc::LogCaughtException("shut-down");
      QCoreApplication::exit(1);
      return;
    }
    QCoreApplication::exit(0);
  };
  window.OnCloseRequested = close;
  kc::TerminationSignals termination([&](int) { close(); });
  return RunStarted(startup, Guard, &QApplication::exec);
}

int Run(int argc, char **argv);

} // namespace

int main(int argc, char **argv) {
  kc::RouteQtMessagesToStderrQueue();
  const int code = Run(argc, argv);
  // What standard error has not taken by now is given up: a pipe nobody
  // reads must not keep the program from ending.
  kc::FlushStderr(std::chrono::seconds(2));
  return code;
}

namespace {

int Run(int argc, char **argv) {
  bool headless = false;
  std::string dumpFile;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--headless") {
      headless = true;
      continue;
    }
    if (arg == "--dump" && i + 1 < argc) {
      dumpFile = argv[++i];
      continue;
    }
    if (arg.rfind("--dump=", 0) == 0) {
      dumpFile = arg.substr(std::strlen("--dump="));
      continue;
    }
    std::string iface;
    if (arg == "--interface" && i + 1 < argc) {
      iface = argv[++i];
    } else if (arg.rfind("--interface=", 0) == 0) {
      iface = arg.substr(std::strlen("--interface="));
    } else {
      std::fputs("kavetchat: unknown argument: ", stderr);
      std::fputs(arg.c_str(), stderr);
      std::fputs("\n\n", stderr);
      std::fputs(kUsage, stderr);
      return 2;
    }
    kc::SetLocalInterface(iface);
  }

  // The guard comes first and needs no application object: a later copy
  // ends here without ever touching a display.
  auto guard = std::make_unique<kc::TKcInstanceChecker>(std::string(kc::KavetChatInstanceName));
  if (kc::WakeRunningCopy(*guard)) {
    std::fputs("kavetchat: another copy is running; it was asked to come to the front\n", stderr);
    return 0;
  }

  // Under the guard no other copy can be saving the settings now: what a
  // save that was killed left beside the file can go.
  kc::IniStore::removeStaleTemporaries(kc::programKeyFile());

  if (!headless) {
    if (!HaveDisplay()) {
      std::fputs("kavetchat: no display to show the windows on (DISPLAY and WAYLAND_DISPLAY are not set);\n"
                 "start it with --headless to run without windows\n",
                 stderr);
      return 1;
    }
    return RunWindows(argc, argv, dumpFile, guard);
  }

  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Kavet Chat"));

  kc::HeadlessChatWindows windows;
  kc::TKavetChatStartup startup(windows);
  kc::TerminationSignals termination([&](int) {
    // A failed close still ends the program; the signal's boundary reports
    // the failure.
    const kc::FailureGuard failed([] { QCoreApplication::exit(1); });
    startup.CloseMainWindow();
    QCoreApplication::exit(0);
  });
  const int code = RunStarted(startup, guard, &QCoreApplication::exec);
  // A save that failed was reported on standard error; the exit code says
  // it too, so that scripts notice.
  return code == 0 && windows.SaveFailed() ? 1 : code;
}

} // namespace
