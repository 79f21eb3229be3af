#include "platform/Log.h"

#include <gtest/gtest.h>
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
