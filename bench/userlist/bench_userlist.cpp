// The user list window beside the headless windows' model it shows, in the
// same run:
// - users arriving (a bounded flood of NEW announcements, handled in
//   process): time and heap bytes per user, for 1,000 and 10,000 users, so that
//   the per-node cost shows whether it grows with the list;
// - start-up with 4,000 stored groups up to the shown windows;
// - a language switch with every window open.
// The network stays off: nothing is sent.
#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <malloc.h>
#include <unistd.h>

#include "core/GroupBoxStorageUn.h"
#include "core/HeadlessChatUn.h"
#include "core/LngUn.h"
#include "core/ProtocolClassUn.h"
#include "platform/ProgramKey.h"
#include "ui/fmKavetChatUn.h"
#include "ui/fmUserListUn.h"

namespace {

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

// Bytes the heap hands out now: unlike the resident size, memory freed by
// an earlier run and taken again is not missed.
double heapBytes() {
  const struct mallinfo2 m = ::mallinfo2();
  return double(m.uordblks) + double(m.hblkhd);
}

std::string peerID(int i) {
  char id[40];
  std::snprintf(id, sizeof id, "{%08X-0000-4000-8000-%012X}", unsigned(i), unsigned(i));
  return id;
}

// A peer's connect message as Windows copies send it: every tag, the
// profile texts blank, an ID as long as a real one.
std::string announce(int i) {
  const std::string id = peerID(i);
  char mac[20];
  std::snprintf(mac, sizeof mac, "00-1A-2B-%02X-%02X-%02X", (i >> 16) & 255, (i >> 8) & 255, i & 255);
  std::string m = "NEW!^:^$<ALIAS>user" + std::to_string(i) + "</ALIAS><IMAGEINDEX>" + std::to_string(11 + i % 14) +
                  "</IMAGEINDEX><IP>10.0." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 2) +
                  "</IP><MAC>" + mac + "</MAC><ID>" + id + "</ID><COLOR>" + std::to_string(i * 4099) + "</COLOR>";
  for (const char *t : {"ICQ", "NAME", "NAME2", "EMAIL", "STREET", "TOWN", "HOUSE", "FIELD", "WSTREET", "WTOWN",
                        "WHOUSE", "WFIELD", "WNAME", "WDEPARTMENT", "WTYPEWORK", "WPOST"})
    m += std::string("<") + t + "></" + t + ">";
  return m + "<SEX>0</SEX><OLD>0</OLD><Interest></Interest>";
}

void freshStore(const std::string &Root, const char *Name) {
  const std::string dir = Root + "/" + Name;
  std::filesystem::create_directories(dir);
  ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
}

kc::TNetOptions offline() {
  kc::TNetOptions o;
  o.ListenAddress = o.LocalIP = o.SendHost = "127.0.0.1";
  return o;
}

struct TArrival {
  double ms;
  double bytesPerUser;
};

// Users arriving in turns of the event loop of 100 each, as datagrams come.
TArrival windowArrivals(int Users) {
  kc::TfmKavetChat w(offline());
  w.SaveHistory = false;
  w.OpenTalkTab("All Users", 1, {});
  w.CreateUserList();
  w.ShowUserList(true);
  QApplication::processEvents();
  const double before = heapBytes();
  const auto t0 = Clock::now();
  for (int i = 1; i <= Users; ++i) {
    w.HandleNewUser(announce(i));
    if (i % 100 == 0) QApplication::processEvents();
  }
  QApplication::processEvents();
  const double ms = msSince(t0);
  return {ms, (heapBytes() - before) / Users};
}

TArrival headlessArrivals(int Users) {
  kc::THeadlessChatHost host; // network off
  host.CreateUserList();
  host.Windows().OpenTalkTab("All Users", 1, {});
  const double before = heapBytes();
  const auto t0 = Clock::now();
  for (int i = 1; i <= Users; ++i) host.Windows().HandleNewUser(announce(i));
  const double ms = msSince(t0);
  return {ms, (heapBytes() - before) / Users};
}

void storeGroups(int Groups) {
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

} // namespace

int main(int argc, char **argv) {
  char tmpl[] = "/tmp/kc-bench-userlist-XXXXXX";
  if (!::mkdtemp(tmpl)) return 1;
  const std::string root = tmpl;
  ::setenv("XDG_DATA_HOME", tmpl, 1);
  ::setenv("KAVET_RESOURCE_DIR", tmpl, 1);
  QApplication app(argc, argv);

  // "window N": only N users arriving at the window, for a profiler.
  if (argc == 3 && std::string(argv[1]) == "window") {
    freshStore(root, "profile");
    const TArrival win = windowArrivals(std::atoi(argv[2]));
    std::printf("window %.1f ms %.0f B per user\n", win.ms, win.bytesPerUser);
    std::filesystem::remove_all(root);
    return 0;
  }

  std::printf("users arriving (ms in all, us per user, bytes per user)\n");
  TArrival most{};
  for (const int n : {1000, 9999}) {
    freshStore(root, ("w" + std::to_string(n)).c_str());
    const TArrival win = windowArrivals(n);
    freshStore(root, ("h" + std::to_string(n)).c_str());
    const TArrival model = headlessArrivals(n);
    std::printf("  %5d  window %8.1f ms %7.1f us %7.0f B   headless %8.1f ms %7.1f us %7.0f B   window/headless %.2f\n",
                n, win.ms, 1000.0 * win.ms / n, win.bytesPerUser, model.ms, 1000.0 * model.ms / n, model.bytesPerUser,
                win.ms / model.ms);
    most = win;
  }
  // The goal for a flood of 10,000 newcomers at the window.
  std::printf("  goal: window <= 1000 ms in all and <= 2048 B per user: %s (%.0f ms, %.0f B)\n",
              most.ms <= 1000 && most.bytesPerUser <= 2048 ? "met" : "NOT met", most.ms, most.bytesPerUser);

  {
    freshStore(root, "groups-window");
    storeGroups(4000);
    auto t0 = Clock::now();
    kc::TfmKavetChat w(offline());
    w.OpenTalkTab("All Users", 1, {});
    w.CreateUserList();
    w.show();
    w.ShowUserList(true);
    QApplication::processEvents();
    const double win = msSince(t0);
    freshStore(root, "groups-headless");
    storeGroups(4000);
    t0 = Clock::now();
    kc::THeadlessChatHost host;
    host.CreateUserList();
    const double model = msSince(t0);
    std::printf("start-up with 4000 stored groups: windows shown %.1f ms, headless %.1f ms, window/headless %.2f\n",
                win, model, win / model);
  }

  {
    freshStore(root, "language");
    kc::TfmKavetChat w(offline());
    w.SaveHistory = false;
    w.OpenTalkTab("All Users", 1, {});
    w.CreateUserList();
    w.show();
    w.ShowUserList(true);
    for (int i = 1; i <= 200; ++i) w.HandleNewUser(announce(i));
    for (int i = 1; i <= 30; ++i) w.Host().Net().OpenPrivateTalk(peerID(i));
    QApplication::processEvents();
    const std::string de = root + "/de.lng", en = root + "/en.lng";
    {
      std::ofstream f(de);
      f << "[LNG]\nLanguageName=Deutsch\n";
      for (const kc::TMessageTextEntry &e : kc::BuiltInMessageTexts())
        f << "[" << e.Name << "]\nCaption=de " << e.Name << "\n";
      for (const char *n : {"tsAllUsers", "actHelp", "actAbout", "tbOptions", "actShowUserList", "actMailUser"})
        f << "[" << n << "]\nCaption=de " << n << "\nHint=de hint\n";
    }
    std::ofstream(en).close();
    double worst = 0, parse = 0;
    for (int i = 0; i < 10; ++i) {
      auto t0 = Clock::now();
      w.ApplyLanguageFile(i % 2 ? en : de);
      QApplication::processEvents();
      worst = std::max(worst, msSince(t0));
      t0 = Clock::now();
      const kc::TLanguageFile f(de);
      parse = std::max(parse, msSince(t0));
    }
    std::printf("language switch with %d tabs and the user list open: worst %.2f ms; reading the file alone %.3f ms; "
                "switch/read %.1f\n",
                w.TabCount(), worst, parse, worst / std::max(parse, 1e-3));
  }
  std::filesystem::remove_all(root);
  return 0;
}
