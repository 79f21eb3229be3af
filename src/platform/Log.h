#pragma once
// The one place where failures caught at an entry point are reported.
//
// Each entry point of the program (a datagram received, a file opened, a
// paste, a timer tick) catches what its work throws, reports it here and goes
// on. Reports go to standard error (the desktop session's journal); a
// misbehaving peer can make the same failure happen thousands of times a
// second, so each place is limited to a few lines per minute and the rest is
// counted and summed up in the next line that is let through.
#include <functional>
#include <string>
#include <string_view>

namespace kc {

// Reports the exception being handled; call it only inside a catch block.
// Where names the entry point ("datagram", "history save", ...).
void LogCaughtException(std::string_view Where) noexcept;

// Reports a failure that has no exception behind it.
void LogFailure(std::string_view Where, std::string_view What) noexcept;

// Lines let through per place and minute.
constexpr int kLogLinesPerMinute = 10;

// Tests take the lines instead of standard error; an empty sink restores it.
// Resets the rate limits too.
void SetLogSink(std::function<void(const std::string &)> Sink);

} // namespace kc
