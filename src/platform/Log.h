#pragma once
// The one place where failures caught at an entry point are reported, and
// the one way the program writes to standard error.
//
// Each entry point of the program (a datagram received, a file opened, a
// paste, a timer tick) catches what its work throws, reports it here and goes
// on. Reports go to standard error (the desktop session's journal); a
// misbehaving peer can make the same failure happen thousands of times a
// second, so each place is limited to a few lines per minute and the rest is
// counted and summed up in the next line that is let through.
//
// Standard error may be a pipe nobody reads: a write to it would then block
// the GUI thread for ever, and with it the network and the signals. Lines
// are therefore put into a bounded queue that a thread of its own writes
// out; when the queue is full, lines are dropped and the next line written
// says how many.
#include <chrono>
#include <cstddef>
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

// Lines waiting for standard error, at most; and their bytes together.
constexpr std::size_t kStderrQueueLines = 4096;
constexpr std::size_t kStderrQueueBytes = 4u << 20;

// Queues Line (a newline is added) for standard error; never blocks. A line
// that does not fit is dropped and counted.
void WriteStderrLine(std::string_view Line) noexcept;
// Waits until the queue has been written out, at most Timeout; true when it
// was. For the end of the program: what an unread pipe holds back is lost,
// the program still ends.
bool FlushStderr(std::chrono::milliseconds Timeout) noexcept;
// Lines dropped so far because the queue was full.
std::size_t DroppedStderrLines() noexcept;
// Qt's own warnings go through the same queue (they too were written
// straight to standard error).
void RouteQtMessagesToStderrQueue();

// Text as a terminal may show it: C0 controls, DEL, C1 controls and the
// marks that reorder text (LRM, RLM, ALM and the embeddings, overrides and
// isolates) become visible escapes ("\x1B", "\u202E"), and so do bytes
// that are no UTF-8; the backslash is doubled. Text is UTF-8.
std::string EscapeForTerminal(std::string_view Text);

} // namespace kc
