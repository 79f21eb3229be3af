#include "platform/Clock.h"

#include <atomic>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>

namespace kc {

namespace {

class SystemClock : public Clock {
public:
  TimePoint now() const override { return std::chrono::system_clock::now(); }
};

const SystemClock &systemClock() {
  static const SystemClock c;
  return c;
}

std::atomic<const Clock *> g_override{nullptr};

DateTime broken(TimePoint t, bool local) {
  using namespace std::chrono;
  auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count();
  int64_t secs = ms / 1000;
  int64_t rest = ms % 1000;
  if (rest < 0) {
    rest += 1000;
    --secs;
  }
  std::time_t tt = static_cast<std::time_t>(secs);
  std::tm tm{};
  bool ok = local ? ::localtime_r(&tt, &tm) != nullptr : ::gmtime_r(&tt, &tm) != nullptr;
  DateTime dt;
  if (!ok) return dt;
  dt.year = tm.tm_year + 1900;
  dt.month = tm.tm_mon + 1;
  dt.day = tm.tm_mday;
  dt.hour = tm.tm_hour;
  dt.minute = tm.tm_min;
  dt.second = tm.tm_sec;
  dt.millisecond = static_cast<int>(rest);
  dt.dayOfWeek = tm.tm_wday;
  return dt;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

} // namespace

const Clock &clock() {
  const Clock *o = g_override.load();
  return o ? *o : systemClock();
}

ClockOverride::ClockOverride(const Clock &c) : previous_(g_override.exchange(&c)) {}

ClockOverride::~ClockOverride() { g_override.store(previous_); }

DateTime localDateTime(TimePoint t) { return broken(t, true); }

DateTime utcDateTime(TimePoint t) { return broken(t, false); }

DateTime nowLocal() { return localDateTime(clock().now()); }

int64_t nowEpochSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(clock().now().time_since_epoch()).count();
}

double dateTimeSerial(const DateTime &dt) {
  // 1899-12-30 is 25569 days before 1970-01-01.
  const double days = static_cast<double>(daysFromCivil(dt.year, dt.month, dt.day) + 25569);
  const double frac = (dt.hour * 3600000.0 + dt.minute * 60000.0 + dt.second * 1000.0 + dt.millisecond) / 86400000.0;
  // Before the epoch day the fraction counts away from zero, as the serial
  // form has it.
  return days >= 0 ? days + frac : days - frac;
}

std::optional<TimePoint> fileCreationTime(const std::string &path) {
  struct statx sx {};
  if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &sx) != 0) return std::nullopt;
  const statx_timestamp &ts = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_mtime;
  using namespace std::chrono;
  return TimePoint(duration_cast<system_clock::duration>(seconds(ts.tv_sec) + nanoseconds(ts.tv_nsec)));
}

std::optional<double> fileAgeDays(const std::string &path) {
  auto made = fileCreationTime(path);
  if (!made) return std::nullopt;
  using namespace std::chrono;
  return duration<double, std::ratio<86400>>(clock().now() - *made).count();
}

} // namespace kc
