#include "platform/Log.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <map>
#include <mutex>
#include <stdexcept>

namespace kc {

namespace {

struct Limit {
  std::chrono::steady_clock::time_point windowStart{};
  int shown = 0;
  long long suppressed = 0;
};

struct State {
  std::mutex mutex;
  std::map<std::string, Limit, std::less<>> limits;
  std::function<void(const std::string &)> sink;
};

State &state() {
  static State s;
  return s;
}

void emit(std::string_view Where, std::string_view What) noexcept {
  try {
    State &s = state();
    std::lock_guard lock(s.mutex);
    const auto now = std::chrono::steady_clock::now();
    auto it = s.limits.find(Where);
    if (it == s.limits.end()) it = s.limits.emplace(std::string(Where), Limit{now, 0, 0}).first;
    Limit &l = it->second;
    if (now - l.windowStart >= std::chrono::minutes(1)) {
      l.windowStart = now;
      l.shown = 0;
    }
    if (l.shown >= kLogLinesPerMinute) {
      ++l.suppressed;
      return;
    }
    ++l.shown;
    std::string line = "kavetchat: ";
    line += Where;
    line += ": ";
    line += What;
    if (l.suppressed > 0) {
      line += " (" + std::to_string(l.suppressed) + " more like it not shown)";
      l.suppressed = 0;
    }
    if (s.sink) s.sink(line);
    else std::fprintf(stderr, "%s\n", line.c_str());
  } catch (const std::exception &) {
    // Out of memory while reporting: there is nowhere left to report it.
    std::fputs("kavetchat: a failure could not be reported\n", stderr);
  }
}

} // namespace

void LogCaughtException(std::string_view Where) noexcept {
  try {
    throw;
  } catch (const std::exception &e) {
    emit(Where, e.what());
  } catch (...) {
    emit(Where, "unknown exception");
  }
}

void LogFailure(std::string_view Where, std::string_view What) noexcept { emit(Where, What); }

void SetLogSink(std::function<void(const std::string &)> Sink) {
  State &s = state();
  std::lock_guard lock(s.mutex);
  s.sink = std::move(Sink);
  s.limits.clear();
}

} // namespace kc
