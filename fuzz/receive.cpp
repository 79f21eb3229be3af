// The whole receive path: datagrams in through the listener's read event
// (echo decision, dispatch) to the handlers on the headless chat windows.
//
// One input is a sequence of datagrams separated by "\n#\n", so that the
// fuzzer reaches handlers that need earlier messages (a NEW before a private
// message). The local user's ID is "{FUZZ}" and the auto-reply is on. Every
// input starts from a fresh copy.
#include "core/HeadlessChatUn.h"
#include "FuzzFolder.h"
#include "core/LngUn.h"
#include "platform/Log.h"
#include "platform/ProgramKey.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

std::string g_dir;
std::uint16_t g_port = 0;

void setup() {
  static const kcfuzz::Folder folder("kc-fuzz-receive");
  g_dir = folder.path();
  ::setenv("XDG_CONFIG_HOME", (g_dir + "/config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (g_dir + "/data").c_str(), 1);
  ::setenv("KAVET_RESOURCE_DIR", (g_dir + "/res").c_str(), 1);
  ::setenv("KAVET_CODEPAGE", "1252", 1);
  // The program's timers and sockets belong to an application object, as in
  // the program; its event loop never runs here.
  static int argc = 1;
  static char name[] = "fuzz_receive";
  static char *argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  // Held for the whole run: the program key then stays in memory instead of
  // being read and written for every input.
  static kc::RegistryIni ini(kc::kProgramKey);
  ini.writeString("MYPROFILEUSER_", "ID_", "{FUZZ}");
  ini.writeString("MYPROFILEUSER_", "ALIAS_", "fuzz");
  ini.writeString("AMText!_1", "Caption", "Away");
  ini.writeString("AMText!_1", "Text", "Later");
  // A failure caught at the datagram's boundary is a fault in a handler:
  // the program would go on, but the fuzzer must stop and keep the input.
  kc::SetLogSink([](const std::string &Line) {
    std::fprintf(stderr, "%s\n", Line.c_str());
    if (Line.rfind("kavetchat: datagram:", 0) == 0) std::abort();
  });
  kc::UdpSocket probe;
  if (!probe.open("127.0.0.1", 0)) std::abort();
  g_port = probe.localPort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size) {
  if (g_dir.empty()) setup();
  static int runs = 0;
  // History files of closed talks pile up otherwise.
  if (++runs % 20 == 0) std::filesystem::remove_all(g_dir + "/data/kavet-chat/History");

  kc::TNetOptions o;
  o.Port = g_port;
  o.ListenAddress = "127.0.0.1";
  o.LocalIP = "127.0.0.1";
  o.SendHost = "127.0.0.1";
  kc::THeadlessChatHost host(o);
  host.CreateMainWindow();
  host.CreateUserList();
  host.SetAutoReply(true, "Away", "Later");

  const std::string_view input(reinterpret_cast<const char *>(Data), Size);
  std::size_t pos = 0;
  int n = 0;
  while (pos <= input.size() && n < 64) {
    std::size_t cut = input.find("\n#\n", pos);
    if (cut == std::string_view::npos) cut = input.size();
    const std::string datagram(input.substr(pos, cut - pos));
    // Alternate senders: a peer's own port, the chat port, no single sender.
    const std::uint16_t fromPort = (n % 3 == 1) ? g_port : 40000;
    const char *fromIP = (n % 3 == 2) ? "255.255.255.255" : "127.0.0.1";
    host.Net().IdUDPServerUDPRead(datagram, fromIP, fromPort);
    ++n;
    pos = cut + 3;
  }
  host.CloseMainWindow();
  kc::ResetMessageTexts();
  // What the copy handed to the event loop (sockets to delete, queued
  // datagrams) goes with the input.
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return 0;
}
