#include "platform/Clock.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

using namespace std::chrono;

namespace {

class TzUtc : public ::testing::Test {
protected:
  void SetUp() override {
    if (const char *tz = std::getenv("TZ")) old = tz;
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
  void TearDown() override {
    if (old) ::setenv("TZ", old->c_str(), 1);
    else ::unsetenv("TZ");
    ::tzset();
  }
  std::optional<std::string> old;
};

kc::TimePoint at(int64_t epochMs) { return kc::TimePoint(milliseconds(epochMs)); }

TEST_F(TzUtc, OverrideReplacesTheSystemClockAndNests) {
  kc::FixedClock outer(at(1000000000000)); // 2001-09-09 01:46:40 UTC
  {
    kc::ClockOverride o1(outer);
    EXPECT_EQ(kc::nowEpochSeconds(), 1000000000);
    kc::FixedClock inner(at(0));
    {
      kc::ClockOverride o2(inner);
      EXPECT_EQ(kc::nowEpochSeconds(), 0);
    }
    EXPECT_EQ(kc::nowEpochSeconds(), 1000000000);
    outer.advance(hours(24));
    kc::DateTime dt = kc::nowLocal();
    EXPECT_EQ(dt.year, 2001);
    EXPECT_EQ(dt.month, 9);
    EXPECT_EQ(dt.day, 10);
    EXPECT_EQ(dt.hour, 1);
    EXPECT_EQ(dt.dayOfWeek, 1); // Monday
  }
  auto sys = std::abs(kc::nowEpochSeconds() - duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
  EXPECT_LE(sys, 5);
}

TEST_F(TzUtc, LocalTimeFollowsTheZone) {
  ::setenv("TZ", "Asia/Tokyo", 1); // +9, no summer time
  ::tzset();
  kc::DateTime l = kc::localDateTime(at(1000000000123));
  kc::DateTime u = kc::utcDateTime(at(1000000000123));
  EXPECT_EQ(u.hour, 1);
  EXPECT_EQ(l.hour, 10);
  EXPECT_EQ(l.millisecond, 123);
}

TEST_F(TzUtc, SerialDateTable) {
  struct Case {
    kc::DateTime dt;
    double serial;
  } cases[] = {
      {{1899, 12, 30, 0, 0, 0, 0, 6}, 0.0},   {{1900, 1, 1, 0, 0, 0, 0, 1}, 2.0},
      {{1970, 1, 1, 0, 0, 0, 0, 4}, 25569.0}, {{2000, 2, 29, 18, 0, 0, 0, 2}, 36585.75},
      {{1899, 12, 29, 6, 0, 0, 0, 5}, -1.25},
  };
  for (const Case &c : cases) EXPECT_DOUBLE_EQ(kc::dateTimeSerial(c.dt), c.serial) << c.dt.year << "-" << c.dt.month;
  EXPECT_DOUBLE_EQ(kc::dateTimeSerial(kc::utcDateTime(at(-86400000LL * 25569))), 0.0);
}

TEST_F(TzUtc, FileAgeIsMeasuredAgainstTheClock) {
  kctest::TempDir tmp("kc-clock");
  const std::string file = tmp.file("f.txt");
  std::ofstream(file) << "x";
  auto made = kc::fileCreationTime(file);
  ASSERT_TRUE(made.has_value());
  EXPECT_LE(std::abs(duration_cast<seconds>(*made - system_clock::now()).count()), 60);

  kc::FixedClock later(*made + hours(24 * 11) + hours(2));
  kc::ClockOverride o(later);
  auto age = kc::fileAgeDays(file);
  ASSERT_TRUE(age.has_value());
  EXPECT_NEAR(*age, 11.0 + 2.0 / 24, 1e-6);
  EXPECT_FALSE(kc::fileAgeDays(tmp.file("missing")).has_value());
}

} // namespace
