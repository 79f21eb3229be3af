// kavetchat: the Kavet Chat program.
#include "HeadlessChatWindows.h"

#include "core/IPUn.h"
#include "core/StartupUn.h"
#include "platform/Log.h"
#include "platform/TerminationSignals.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

const char kUsage[] = "Usage: kavetchat [--interface IFACE]\n"
                      "Serverless chat for the people of one local network.\n"
                      "\n"
                      "  --interface IFACE  announce and broadcast on the IPv4 address of network\n"
                      "                     interface IFACE (default: $KAVET_INTERFACE, else the\n"
                      "                     interface of the default route)\n"
                      "  --help             show this text and end\n"
                      "\n"
                      "Only one copy runs per user: a second start brings the running copy to\n"
                      "the front and ends. SIGTERM or SIGINT close the program in order.\n";

} // namespace

int main(int argc, char **argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
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

  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Kavet Chat"));

  kc::HeadlessChatWindows windows;
  kc::TKavetChatStartup startup(windows);
  kc::TerminationSignals termination([&](int) {
    try {
      startup.CloseMainWindow();
    } catch (...) {
      // A failed close still ends the program; the signal's boundary
      // reports the failure.
      QCoreApplication::exit(1);
      throw;
    }
    QCoreApplication::exit(0);
  });
  try {
    startup.CreateWindows();
  } catch (...) {
    // Start-up is an entry point of its own: without its windows the
    // program cannot run.
    kc::LogCaughtException("start-up");
    return 1;
  }
  std::fprintf(stderr, "kavetchat: running\n");
  std::fflush(stderr);

  int code = QCoreApplication::exec();
  try {
    startup.CloseMainWindow();
  } catch (...) {
    kc::LogCaughtException("shut-down");
    code = 1;
  }
  // The claim goes while the event loop's objects still exist.
  guard.reset();
  return code;
}
