#include "platform/Log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <string>

#include <sys/wait.h>
#include <unistd.h>
#include <stdexcept>
#include <vector>

using namespace kc;

class LogTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetLogSink([this](const std::string &l) { lines.push_back(l); });
  }
  void TearDown() override { SetLogSink(nullptr); }
  std::vector<std::string> lines;
};

TEST_F(LogTest, CaughtExceptionsAreReportedWithTheirPlaceAndText) {
  try {
    throw std::runtime_error("bad tag");
  } catch (...) {
    LogCaughtException("datagram");
  }
  try {
    throw 42;
  } catch (...) {
    LogCaughtException("timer");
  }
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "kavetchat: datagram: bad tag");
  EXPECT_EQ(lines[1], "kavetchat: timer: unknown exception");
}

TEST_F(LogTest, EachPlaceIsRateLimitedOnItsOwn) {
  for (int i = 0; i < 1000; ++i) LogFailure("datagram", "x");
  LogFailure("paste", "y");
  ASSERT_EQ(lines.size(), std::size_t(kLogLinesPerMinute) + 1);
  EXPECT_EQ(lines.back(), "kavetchat: paste: y");
}

TEST(EscapeForTerminal, ControlsAndReorderingMarksBecomeVisible) {
  const struct {
    const char *name;
    std::string in, out;
  } rows[] = {
      {"plain", "Hello, w\xC3\xB6rld", "Hello, w\xC3\xB6rld"},
      {"clear screen", "\x1B[2J\x1B[H", "\\x1B[2J\\x1B[H"},
      {"window title (OSC, BEL)", "\x1B]0;owned\x07", "\\x1B]0;owned\\x07"},
      {"clipboard write (OSC 52, ST)", "\x1B]52;c;aGk=\x1B\\", "\\x1B]52;c;aGk=\\x1B\\\\"},
      {"line breaks and tab", "a\r\nb\tc", "a\\x0D\\x0Ab\\x09c"},
      {"DEL", "x\x7Fy", "x\\x7Fy"},
      {"C1 CSI and OSC",
       "\xC2\x9B"
       "2J\xC2\x9D"
       "0;t",
       "\\u009B2J\\u009D0;t"},
      {"LRM, RLM, RLO, isolates", "\xE2\x80\x8E\xE2\x80\x8F\xE2\x80\xAEx\xE2\x81\xA6\xE2\x81\xA9",
       "\\u200E\\u200F\\u202Ex\\u2066\\u2069"},
      {"bytes that are no UTF-8", "\xFF\xC2", "\\xFF\\xC2"},
      {"backslash doubled", "a\\x1B", "a\\\\x1B"},
  };
  for (const auto &r : rows) EXPECT_EQ(EscapeForTerminal(r.in), r.out) << r.name;
}

TEST(StderrQueue, AnUnreadPipeNeverBlocksTheWriter) {
  // In a child: standard error becomes a pipe nobody reads. Writing far more
  // than the pipe holds must return at once, and the flush must give up.
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::dup2(fds[1], 2);
    for (int i = 0; i < 200000; ++i) WriteStderrLine("kavetchat: line " + std::to_string(i) + std::string(100, 'x'));
    const bool flushed = FlushStderr(std::chrono::milliseconds(200));
    ::_exit(!flushed && DroppedStderrLines() > 0 ? 0 : 3);
  }
  ::close(fds[1]);
  int status = -1;
  // A generous bound against a hang, not a timing.
  for (int i = 0; i < 600 && ::waitpid(child, &status, WNOHANG) == 0; ++i) ::usleep(50000);
  if (::waitpid(child, &status, WNOHANG) == 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    FAIL() << "the writer blocked on an unread standard error";
  }
  ::close(fds[0]);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(StderrQueue, DroppedLinesAreCountedInTheNextLineWritten) {
  // In a child whose standard error is a pipe read only after the burst.
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(fds[0]);
    ::dup2(fds[1], 2);
    ::close(fds[1]);
    for (std::size_t i = 0; i < kStderrQueueLines * 4; ++i) WriteStderrLine("burst");
    // Wait for the queue to drain as far as the reader lets it, then one more.
    ::usleep(300000);
    WriteStderrLine("after");
    FlushStderr(std::chrono::seconds(20));
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string all;
  char buf[65536];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) all.append(buf, static_cast<std::size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  const auto note = all.find("lines not shown: standard error was not read fast enough");
  if (note == std::string::npos) {
    // The pipe took everything: nothing was dropped, and every line came.
    EXPECT_EQ(static_cast<std::size_t>(std::count(all.begin(), all.end(), '\n')), kStderrQueueLines * 4 + 1);
  } else {
    EXPECT_LT(note, all.find("after"));
  }
  EXPECT_NE(all.find("after\n"), std::string::npos);
}
