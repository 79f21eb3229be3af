#include "support/EventPump.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "platform/InstanceGuard.h"
#include "platform/Paths.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using kc::InstanceGuard;
using kc::MessageWindow;

using kctest::fromOtherCopy;

namespace {

void pumpEvents(int Ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
  while (std::chrono::steady_clock::now() < end) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

int rawConnect(const std::string &path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof(addr.sun_path), "%s", path.c_str());
  if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// A socket file that no one listens on, as a killed holder leaves behind.
void makeStaleSocket(const std::string &path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof(addr.sun_path), "%s", path.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)), 0);
  ::close(fd);
}

class InstanceGuardTest : public ::testing::Test {
protected:
  kctest::TempDir tmp{"kcguard"};

  std::unique_ptr<InstanceGuard> guard() { return std::make_unique<InstanceGuard>("LK", "CH", folder); }

  const std::string folder = tmp.path().string() + "/";
};

TEST_F(InstanceGuardTest, OnlyOneHolderAtATimeAndThePublishedValueGoesWithIt) {
  auto a = guard();
  auto b = guard();
  EXPECT_EQ(b->readPublished(), 0u);
  ASSERT_TRUE(a->claim(0x1234567890ull));
  EXPECT_TRUE(a->claim()) << "a second claim of the holder keeps it";
  EXPECT_FALSE(b->claim());
  EXPECT_FALSE(b->claimed());
  EXPECT_EQ(b->readPublished(), 0x1234567890ull);

  a->release();
  EXPECT_FALSE(fs::exists(folder + "CH")) << "the holder removes its channel";
  EXPECT_EQ(b->readPublished(), 0u) << "a value left in the file is no one's";
  EXPECT_TRUE(b->claim(7));
  EXPECT_EQ(a->readPublished(), 7u);
}

TEST_F(InstanceGuardTest, LaterCopyFindsAndMessagesTheHoldersWindows) {
  struct Seen {
    std::uint32_t msg;
    std::uint64_t wParam;
    std::int64_t lParam;
    std::string data;
  };
  std::vector<Seen> seen;
  MessageWindow win("TTestWindow", [&](std::uint32_t m, std::uint64_t w, std::int64_t l, std::string_view d) {
    seen.push_back({m, w, l, std::string(d)});
    return std::int64_t{42};
  });
  auto holder = guard();
  ASSERT_TRUE(holder->claim());
  auto later = guard();

  const std::string data("a\0b\xff\x80z", 6);
  struct Answers {
    kc::WindowHandle found, missing;
    std::optional<std::int64_t> sent, toGone;
  };
  Answers r = fromOtherCopy([&] {
    Answers a;
    a.found = later->findWindow("TTestWindow");
    a.missing = later->findWindow("TNoSuchWindow");
    a.sent = later->sendMessage(a.found, 0x4A, 99, -5, data);
    a.toGone = later->sendMessage(a.found + 1000, 0x400, 1, 2);
    return a;
  });
  EXPECT_EQ(r.found, win.handle());
  EXPECT_EQ(r.missing, 0u);
  EXPECT_EQ(r.sent, std::optional<std::int64_t>(42));
  EXPECT_EQ(r.toGone, std::optional<std::int64_t>(0)) << "a window that is gone answers 0";
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].msg, 0x4Au);
  EXPECT_EQ(seen[0].wParam, 99u);
  EXPECT_EQ(seen[0].lParam, -5);
  EXPECT_EQ(seen[0].data, data) << "data bytes arrive byte for byte";

  // The holder reaches its own windows without the channel.
  EXPECT_EQ(holder->findWindow("TTestWindow"), win.handle());
  EXPECT_EQ(holder->sendMessage(win.handle(), 1, 2, 3), std::optional<std::int64_t>(42));
}

TEST_F(InstanceGuardTest, StaleChannelOfAKilledHolderIsReplaced) {
  // What a copy killed with SIGKILL leaves: the lock file (unlocked by the
  // kernel) with its value and a socket no one listens on.
  {
    int fd = ::open((folder + "LK").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::write(fd, "00000000000000000009", 20), 20);
    ::close(fd);
  }
  makeStaleSocket(folder + "CH");
  auto later = guard();
  EXPECT_EQ(later->readPublished(), 0u);
  EXPECT_FALSE(fromOtherCopy([&] { return later->sendMessage(1, 2, 3, 4, {}, 200).has_value(); }));

  MessageWindow win("TTestWindow", [](auto...) { return std::int64_t{1}; });
  auto next = guard();
  ASSERT_TRUE(next->claim(5));
  EXPECT_EQ(fromOtherCopy([&] { return later->findWindow("TTestWindow"); }), win.handle());
  EXPECT_EQ(later->readPublished(), 5u);
}

TEST_F(InstanceGuardTest, NonAnsweringHolderTimesOut) {
  // A holder that took the lock and then stopped answering: in turn with no
  // socket yet, a socket that is never accepted, and a peer that reads but
  // never answers.
  int lockFd = ::open((folder + "LK").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_EQ(::flock(lockFd, LOCK_EX), 0);
  auto later = guard();
  EXPECT_FALSE(later->claim());

  auto ask = [&] {
    return std::make_pair(later->findWindow("TfmKavetChat", 150), later->sendMessage(1, 0x400, 123, 45, "x", 150));
  };
  auto noSocket = ask();
  EXPECT_EQ(noSocket.first, 0u);
  EXPECT_FALSE(noSocket.second.has_value());

  int listenFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof(addr.sun_path), "%s", (folder + "CH").c_str());
  ASSERT_EQ(::bind(listenFd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)), 0);
  ASSERT_EQ(::listen(listenFd, 4), 0);
  auto neverAccepted = ask();
  EXPECT_EQ(neverAccepted.first, 0u);
  EXPECT_FALSE(neverAccepted.second.has_value());

  std::atomic<bool> stop{false};
  std::thread silent([&] {
    std::vector<int> peers;
    while (!stop) {
      pollfd p{listenFd, POLLIN, 0};
      if (::poll(&p, 1, 20) > 0) peers.push_back(::accept(listenFd, nullptr, nullptr));
      for (int fd : peers) {
        char buf[256];
        (void)::recv(fd, buf, sizeof(buf), MSG_DONTWAIT);
      }
    }
    for (int fd : peers) ::close(fd);
  });
  auto readsButSilent = ask();
  stop = true;
  silent.join();
  EXPECT_EQ(readsButSilent.first, 0u);
  EXPECT_FALSE(readsButSilent.second.has_value());
  ::close(listenFd);
  ::close(lockFd);
}

TEST_F(InstanceGuardTest, NoHolderAnswersAtOnce) {
  auto later = guard();
  EXPECT_EQ(later->findWindow("TfmKavetChat", 60000), 0u);
  EXPECT_FALSE(later->sendMessage(1, 2, 3, 4, {}, 60000).has_value());
  EXPECT_EQ(later->readPublished(), 0u);
}

TEST_F(InstanceGuardTest, BadPeersAreDroppedAndOthersStillServed) {
  MessageWindow win("TTestWindow", [](auto...) { return std::int64_t{3}; });
  auto holder = guard();
  ASSERT_TRUE(holder->claim());
  const std::string channel = folder + "CH";

  struct Case {
    const char *name;
    std::string bytes;
  };
  const std::string hugeLength("\x02\xff\xff\xff\x7f", 5);
  const std::string unknownKind("\x09\x01\x00\x00\x00x", 6);
  const std::string shortSend = std::string("\x02\x04\x00\x00\x00", 5) + "abcd";
  const std::vector<Case> cases = {{"huge length", hugeLength},
                                   {"unknown kind", unknownKind},
                                   {"send shorter than its fixed part", shortSend},
                                   {"says nothing", ""}};
  std::vector<int> fds;
  for (const Case &c : cases) {
    int fd = rawConnect(channel);
    ASSERT_GE(fd, 0) << c.name;
    if (!c.bytes.empty()) {
      ASSERT_EQ(::send(fd, c.bytes.data(), c.bytes.size(), 0), static_cast<ssize_t>(c.bytes.size()));
    }
    fds.push_back(fd);
  }
  auto later = guard();
  EXPECT_EQ(fromOtherCopy([&] { return later->sendMessage(win.handle(), 1, 0, 0, {}, 2000); }),
            std::optional<std::int64_t>(3))
      << "a silent peer does not hold up the next one";

  pumpEvents(2500); // past the idle limit
  for (std::size_t i = 0; i < fds.size(); ++i) {
    char buf[16];
    EXPECT_EQ(::recv(fds[i], buf, sizeof(buf), MSG_DONTWAIT), 0) << cases[i].name << ": closed without an answer";
    ::close(fds[i]);
  }
}

TEST_F(InstanceGuardTest, ChannelPathTooLongFailsAndLeavesTheLockFree) {
  InstanceGuard tooLong("LK", std::string(120, 'c'), folder);
  EXPECT_THROW(tooLong.claim(), kc::InstanceGuardError);
  EXPECT_FALSE(tooLong.claimed());
  EXPECT_TRUE(guard()->claim());
}

TEST_F(InstanceGuardTest, FolderThatIsNotThereFails) {
  InstanceGuard nowhere("LK", "CH", folder + "missing/");
  EXPECT_THROW(nowhere.claim(), kc::InstanceGuardError);
  EXPECT_EQ(nowhere.readPublished(), 0u);
}

TEST(MessageWindowTest, PostedMessagesArriveFromTheLoopAndDieWithTheWindow) {
  std::vector<std::uint64_t> got;
  auto win =
      std::make_unique<MessageWindow>("TPosted", [&](std::uint32_t, std::uint64_t w, std::int64_t, std::string_view) {
        got.push_back(w);
        return std::int64_t{0};
      });
  win->post(0x400, 1, 0);
  win->post(0x400, 2, 0);
  EXPECT_TRUE(got.empty()) << "posting does not call the procedure";
  pumpEvents(20);
  EXPECT_EQ(got, (std::vector<std::uint64_t>{1, 2}));

  win->post(0x400, 3, 0);
  win.reset();
  pumpEvents(20);
  EXPECT_EQ(got.size(), 2u);
  EXPECT_EQ(MessageWindow::find("TPosted"), nullptr);
}

// The default folder is the per-user runtime folder: XDG_RUNTIME_DIR only
// when it is a private folder of ours, otherwise the checked fallback.
class RuntimeFolderTest : public ::testing::Test {
protected:
  kctest::TempDir tmp{"kcruntime"};
  const std::string base = tmp.path().string();
  kctest::ScopedEnv runtimeDir{"XDG_RUNTIME_DIR", std::getenv("XDG_RUNTIME_DIR")};
};

TEST_F(RuntimeFolderTest, UnsafeRuntimeDirFallsBackToAPrivateFolder) {
  const std::string own = base + "/own";
  ASSERT_EQ(::mkdir(own.c_str(), 0700), 0);
  ::setenv("XDG_RUNTIME_DIR", own.c_str(), 1);
  EXPECT_EQ(InstanceGuard("LK", "CH").lockPath(), own + "/LK");

  const std::string open = base + "/open";
  ASSERT_EQ(::mkdir(open.c_str(), 0700), 0);
  ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
  const std::string others = base + "/others";
  ASSERT_EQ(::mkdir(others.c_str(), 0700), 0);
  ASSERT_EQ(::chown(others.c_str(), 65534, 65534), 0);
  const std::string link = base + "/link";
  ASSERT_EQ(::symlink(open.c_str(), link.c_str()), 0);

  struct Case {
    const char *name;
    std::string value;
  };
  const std::vector<Case> cases = {
      {"open to all", open},    {"someone else's", others},     {"link to an open folder", link},
      {"relative", "run/user"}, {"missing", base + "/missing"}, {"empty", ""}};
  for (const Case &c : cases) {
    ::setenv("XDG_RUNTIME_DIR", c.value.c_str(), 1);
    InstanceGuard g("kcguard-test-" + std::to_string(::getpid()) + "MX",
                    "kcguard-test-" + std::to_string(::getpid()) + "FM");
    const std::string lock = g.lockPath();
    EXPECT_TRUE(c.value.empty() || lock.rfind(c.value, 0) != 0) << c.name;
    const std::string fallback = fs::path(lock).parent_path().string();
    struct stat st {};
    ASSERT_EQ(::lstat(fallback.c_str(), &st), 0) << c.name;
    EXPECT_TRUE(S_ISDIR(st.st_mode)) << c.name;
    EXPECT_EQ(st.st_uid, ::getuid()) << c.name;
    EXPECT_EQ(st.st_mode & 077, 0u) << c.name;
    EXPECT_TRUE(g.claim()) << c.name;
    g.release();
    ::unlink(lock.c_str());
  }
}

} // namespace
