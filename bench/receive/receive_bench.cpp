// Received datagrams parsed and dispatched per second, in process, for a
// mix of kinds as a busy subnet sends them; the start-up time of the user
// list with 4,000 stored groups; then (as root, unless --no-burst) the
// delivered fraction of a 2,000-message burst between two copies in network
// namespaces of their own.
#include "core/HeadlessChatUn.h"
#include "core/SendMessageUn.h"
#include "core/GroupBoxStorageUn.h"
#include "platform/ProgramKey.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <filesystem>
#include <string>
#include <vector>

namespace {

kc::RUserID peer(int i) {
  kc::RUserID r;
  r.ID = "{PEER-" + std::to_string(i) + "}";
  r.ALIAS = "user" + std::to_string(i);
  r.IP = "10.0.0." + std::to_string(i % 250 + 2);
  r.IMAGEINDEX = 11 + i % 14;
  r.COLOR = i * 4099;
  r.Profile.Set(&kc::RUserProfile::NAME, "Name");
  r.Profile.Set(&kc::RUserProfile::EMAIL, "user@example.org");
  return r;
}

std::vector<std::string> mix(const std::string &ownID) {
  std::vector<std::string> m;
  const std::string body = "Good morning all,\x0A\x0Dthe meeting is at ten {[!BULLET!]}27{[/!BULLET!]}";
  kc::TGroupTalkFields g{"{GROUP-1}", peer(1).ID, peer(1).IP, "", "user1", "Team"};
  const std::string members = "<USERIDSEPARATOR>" + peer(1).ID + "<USERIDSEPARATOR>" + ownID + "<USERIDSEPARATOR>";
  for (int i = 0; i < 100; ++i) {
    const kc::RUserID p = peer(i % 20);
    if (i < 55) m.push_back(kc::BuildMessageToAllText(p, body));
    else if (i < 70) m.push_back(kc::BuildMessageToUserText(p, ownID, false, body));
    else if (i < 80) m.push_back(kc::BuildMessageToGroupText(peer(1), g, members, body));
    else if (i < 92) m.push_back(kc::AnnounceMyselfText(p, false));
    else if (i < 96) m.push_back(kc::AnnounceMyselfText(p, true));
    else m.push_back(std::string("garbage without a head ") + std::to_string(i));
  }
  return m;
}

void BM_ProcessIncomingMix(benchmark::State &state) {
  kc::THeadlessChatHost host; // network off: answers go nowhere
  host.CreateUserList();
  host.Windows().OpenTalkTab("All Users", 1, {});
  for (int i = 0; i < 20; ++i) host.Net().ProcessIncoming(kc::AnnounceMyselfText(peer(i), true));
  const std::vector<std::string> datagrams = mix(host.Windows().GetUserRecord(0)->ID);
  std::size_t i = 0, bytes = 0;
  for (auto _ : state) {
    const std::string &d = datagrams[i++ % datagrams.size()];
    host.Net().ProcessIncoming(d);
    bytes += d.size();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_ProcessIncomingMix);

void BM_ParseOnly(benchmark::State &state) {
  const std::vector<std::string> datagrams = mix("{OWN}");
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string &d = datagrams[i++ % datagrams.size()];
    const kc::TDataNewMessage m(d);
    benchmark::DoNotOptimize(kc::GetMessageKind(d));
    benchmark::DoNotOptimize(m.GetID());
    benchmark::DoNotOptimize(m.GetMessageStr());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_ParseOnly);

// The user list's creation reads every stored group; it once re-read the
// whole settings file per group.
void StartupWithStoredGroups(int Groups) {
  {
    kc::RegistryIni ini(kc::kProgramKey);
    for (int tag = 3; tag < Groups + 3; ++tag) {
      const std::string section = kc::GroupBoxSection(tag);
      ini.writeInteger(section, "TagNumber_Value", tag);
      ini.writeBool(section, "Collapse_Value", false);
      ini.writeString(section, "Caption_Value", "Group " + std::to_string(tag));
      ini.writeString(section, "GroupID", kc::NewGUIDText());
    }
    ini.flush();
  }
  const auto t0 = std::chrono::steady_clock::now();
  kc::THeadlessChatHost host; // network off
  host.CreateUserList();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  std::printf("startup: %d stored groups, user list created in %.1f ms (%zu boxes, %.1f us per group)\n", Groups, ms,
              host.Windows().Users().Groups().size(), 1000.0 * ms / Groups);
  std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
  bool burst = true;
  std::vector<char *> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-burst") == 0) burst = false;
    else if (std::strcmp(argv[i], "--burst") != 0) args.push_back(argv[i]);
  }
  int n = static_cast<int>(args.size());
  char tmpl[] = "/tmp/kc-bench-receive-XXXXXX";
  if (!::mkdtemp(tmpl)) return 1;
  ::setenv("XDG_CONFIG_HOME", tmpl, 1);
  ::setenv("XDG_DATA_HOME", tmpl, 1);
  QCoreApplication app(n, args.data());
  benchmark::Initialize(&n, args.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  StartupWithStoredGroups(4000);
  std::filesystem::remove_all(tmpl);
  if (!burst) return 0;
  if (::geteuid() != 0) {
    std::printf("burst: skipped (network namespaces need root)\n");
    return 0;
  }
  const std::string cmd =
      std::string("python3 '") + KC_BURST_SCRIPT + "' --count 2000 --chatnode '" + KC_CHATNODE + "'";
  return std::system(cmd.c_str()) == 0 ? 0 : 1;
}
