#pragma once
// The program's clock: the time of day for transcripts and the age of
// history files. Tests put a clock of their own in its place.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace kc {

using TimePoint = std::chrono::system_clock::time_point;

class Clock {
public:
  virtual ~Clock() = default;
  virtual TimePoint now() const = 0;
};

// The clock in force: the override of a test, else the system clock.
const Clock &clock();

// Puts a clock in place of the system clock while it lives.
class ClockOverride {
public:
  explicit ClockOverride(const Clock &clock);
  ~ClockOverride();
  ClockOverride(const ClockOverride &) = delete;
  ClockOverride &operator=(const ClockOverride &) = delete;

private:
  const Clock *previous_;
};

// A clock that stands still until it is moved.
class FixedClock : public Clock {
public:
  explicit FixedClock(TimePoint t = {}) : t_(t) {}
  TimePoint now() const override { return t_; }
  void set(TimePoint t) { t_ = t; }
  void advance(std::chrono::system_clock::duration d) { t_ += d; }

private:
  TimePoint t_;
};

// A broken-down date and time.
struct DateTime {
  int year = 1899, month = 12, day = 30; // month and day from 1
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  int dayOfWeek = 6; // 0 Sunday .. 6 Saturday
};

DateTime localDateTime(TimePoint t); // in the local time zone (TZ)
DateTime utcDateTime(TimePoint t);
DateTime nowLocal();       // localDateTime(clock().now())
int64_t nowEpochSeconds(); // seconds since 1970-01-01 UTC

// Days since 1899-12-30 with the time of day as fraction: the serial
// date-time form that date arithmetic of the program works in.
double dateTimeSerial(const DateTime &dt);

// When the file was made: its birth time where the file system keeps one,
// else its last change. Nothing when the file cannot be examined.
std::optional<TimePoint> fileCreationTime(const std::string &path);

// Days (with fraction) from the file's creation to clock().now(); negative
// for a file from the future; nothing when the file cannot be examined.
std::optional<double> fileAgeDays(const std::string &path);

} // namespace kc
