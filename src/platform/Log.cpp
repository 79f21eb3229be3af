#include "platform/Log.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include <cerrno>
#include <unistd.h>

#include <QtGlobal>
#include <QString>

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

// The queue for standard error and its writer. Made once and never freed:
// the writer may still be blocked in write() when the program ends, and
// must not be joined or destroyed then.
struct StderrQueue {
  std::mutex mutex;
  std::condition_variable wake;    // the writer: lines are waiting
  std::condition_variable drained; // FlushStderr: the queue went empty
  std::deque<std::string> lines;
  std::size_t bytes = 0;
  std::size_t droppedSinceLast = 0;
  std::size_t droppedTotal = 0;
  bool writing = false;
  bool started = false;

  void start() {
    if (started) return;
    started = true;
    std::thread([this] { run(); }).detach();
  }

  static void writeAll(const std::string &text) {
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::write(2, text.data() + done, text.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        return; // standard error is closed or broken: nothing to do about it
      }
      done += static_cast<std::size_t>(n);
    }
  }

  void run() {
    std::unique_lock lock(mutex);
    for (;;) {
      wake.wait(lock, [this] { return !lines.empty(); });
      std::string text;
      while (!lines.empty() && text.size() < 64 * 1024) {
        text += lines.front();
        bytes -= lines.front().size();
        lines.pop_front();
      }
      writing = true;
      lock.unlock();
      writeAll(text);
      lock.lock();
      writing = false;
      if (lines.empty()) drained.notify_all();
    }
  }
};

StderrQueue &stderrQueue() {
  static StderrQueue *q = new StderrQueue;
  return *q;
}

void emitLine(std::string_view Where, std::string_view What) noexcept {
  try {
    State &s = state();
    std::unique_lock lock(s.mutex);
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
    // What may quote a peer's text: a terminal must not take it for commands.
    std::string line = "kavetchat: ";
    line += Where;
    line += ": ";
    line += EscapeForTerminal(What);
    if (l.suppressed > 0) {
      line += " (" + std::to_string(l.suppressed) + " more like it not shown)";
      l.suppressed = 0;
    }
    if (s.sink) {
      s.sink(line);
      return;
    }
    lock.unlock();
    WriteStderrLine(line);
  } catch (const std::exception &) {
    // Out of memory while reporting: there is nowhere left to report it.
  }
}

} // namespace

void LogCaughtException(std::string_view Where) noexcept {
  try {
    throw;
  } catch (const std::exception &e) {
    emitLine(Where, e.what());
  } catch (...) {
    emitLine(Where, "unknown exception");
  }
}

void LogFailure(std::string_view Where, std::string_view What) noexcept { emitLine(Where, What); }

void SetLogSink(std::function<void(const std::string &)> Sink) {
  State &s = state();
  std::lock_guard lock(s.mutex);
  s.sink = std::move(Sink);
  s.limits.clear();
}

void WriteStderrLine(std::string_view Line) noexcept {
  try {
    StderrQueue &q = stderrQueue();
    std::lock_guard lock(q.mutex);
    q.start();
    const std::size_t size = Line.size() + 1;
    if (q.lines.size() >= kStderrQueueLines || q.bytes + size > kStderrQueueBytes) {
      ++q.droppedSinceLast;
      ++q.droppedTotal;
      return;
    }
    if (q.droppedSinceLast > 0) {
      // Room again: the reader learns what it missed before the next line.
      std::string note = "kavetchat: " + std::to_string(q.droppedSinceLast) +
                         " lines not shown: standard error was not read fast enough\n";
      q.bytes += note.size();
      q.lines.push_back(std::move(note));
      q.droppedSinceLast = 0;
    }
    std::string line(Line);
    line += '\n';
    q.bytes += line.size();
    q.lines.push_back(std::move(line));
    q.wake.notify_one();
  } catch (const std::exception &) {
    // Out of memory or no thread to be had: the line is lost, the caller
    // must not be.
  }
}

bool FlushStderr(std::chrono::milliseconds Timeout) noexcept {
  try {
    StderrQueue &q = stderrQueue();
    std::unique_lock lock(q.mutex);
    return q.drained.wait_for(lock, Timeout, [&q] { return q.lines.empty() && !q.writing; });
  } catch (const std::exception &) {
    return false;
  }
}

std::size_t DroppedStderrLines() noexcept {
  StderrQueue &q = stderrQueue();
  std::lock_guard lock(q.mutex);
  return q.droppedTotal;
}

void RouteQtMessagesToStderrQueue() {
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &Message) {
    WriteStderrLine(EscapeForTerminal(Message.toUtf8().toStdString()));
  });
}

namespace {

// Length of the UTF-8 sequence at S[i] and its code point; 0 when it is
// not a well-formed one.
std::size_t utf8At(std::string_view S, std::size_t i, char32_t &Cp) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(S[k]); };
  const unsigned char c = b(i);
  std::size_t n = 0;
  if (c < 0x80) {
    Cp = c;
    return 1;
  }
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    Cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    Cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    Cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + n > S.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    Cp = (Cp << 6) | (b(i + k) & 0x3F);
  }
  if ((n == 3 && (Cp < 0x800 || (Cp >= 0xD800 && Cp <= 0xDFFF))) || (n == 4 && (Cp < 0x10000 || Cp > 0x10FFFF)))
    return 0;
  return n;
}

bool reordersText(char32_t Cp) {
  return Cp == 0x061C || Cp == 0x200E || Cp == 0x200F || (Cp >= 0x202A && Cp <= 0x202E) ||
         (Cp >= 0x2066 && Cp <= 0x2069);
}

} // namespace

std::string EscapeForTerminal(std::string_view Text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size();) {
    char32_t cp = 0;
    const std::size_t n = utf8At(Text, i, cp);
    if (n == 0) {
      const unsigned char c = static_cast<unsigned char>(Text[i]);
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
      ++i;
      continue;
    }
    if (cp == '\\') {
      out += "\\\\";
    } else if (cp < 0x20 || cp == 0x7F) {
      out += "\\x";
      out += hex[cp >> 4];
      out += hex[cp & 15];
    } else if ((cp >= 0x80 && cp <= 0x9F) || reordersText(cp)) {
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += hex[(cp >> shift) & 15];
    } else {
      out.append(Text.substr(i, n));
    }
    i += n;
  }
  return out;
}

} // namespace kc
