#pragma once
// Per-user single-instance lock and the channel between copies of the
// program.
//
// The Windows program used a named mutex, a named 4-byte file mapping that
// held the first copy's hidden window handle, FindWindow by window class and
// SendMessage / WM_COPYDATA between processes. Here:
//  - the claim is an exclusive flock() on the lock file <folder>/<lock name>;
//    the kernel drops it when the holder dies, however it dies;
//  - the lock file's contents are the published value (the "mapping"),
//    written by the holder after it took the lock;
//  - the holder listens on the AF_UNIX socket <folder>/<channel name>; a later
//    copy connects to it to find a window of the holder by class name or to
//    send a message to one of its windows, and waits for the result with a
//    time-out. A socket left behind by a killed holder is removed by the next
//    one that takes the lock.
// The folder is the per-user runtime folder (see Paths.h), which no one else
// can enter; connecting peers are checked to be the same user as well.
//
// Window handles are 64-bit values that carry the owning process id, so a
// handle published by one copy can be addressed from another: the holder's
// channel delivers a message to the window only when the handle is its own.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kc {

using WindowHandle = std::uint64_t; // 0: no window

// Stands in for a window made only to receive messages (AllocateHWnd): a
// procedure called on the GUI thread, by send() at once or by post() from the
// event loop. Other copies reach it through the holder's InstanceGuard.
class MessageWindow {
public:
  // Msg, WParam, LParam and the bytes of a copy-data message (empty for others).
  using Proc =
      std::function<std::int64_t(std::uint32_t Msg, std::uint64_t WParam, std::int64_t LParam, std::string_view Data)>;

  MessageWindow(std::string ClassName, Proc WindowProc);
  ~MessageWindow();
  MessageWindow(const MessageWindow &) = delete;
  MessageWindow &operator=(const MessageWindow &) = delete;

  WindowHandle handle() const;
  const std::string &className() const;

  std::int64_t send(std::uint32_t Msg, std::uint64_t WParam, std::int64_t LParam, std::string_view Data = {});
  // Queued to the GUI thread's event loop; dropped when the window is freed first.
  void post(std::uint32_t Msg, std::uint64_t WParam, std::int64_t LParam);

  // Windows of this process.
  static MessageWindow *find(std::string_view ClassName); // first made, or null
  static MessageWindow *fromHandle(WindowHandle Handle);

private:
  struct Impl;
  std::unique_ptr<Impl> d;
};

// System failures of the guard (no safe runtime folder, a name too long for a
// socket path, a channel path that cannot be cleared).
class InstanceGuardError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class InstanceGuard {
public:
  // Largest copy-data message carried between copies.
  static constexpr std::size_t kMaxData = 1 << 20;
  static constexpr int kDefaultTimeoutMs = 3000;

  // Folder empty: the per-user runtime folder, looked up when first needed.
  InstanceGuard(std::string LockName, std::string ChannelName, std::string Folder = {});
  ~InstanceGuard(); // releases the claim
  InstanceGuard(const InstanceGuard &) = delete;
  InstanceGuard &operator=(const InstanceGuard &) = delete;

  std::string lockPath() const;    // throws InstanceGuardError when there is no folder
  std::string channelPath() const; // likewise

  // True when this object now holds the claim (or already held it); false when
  // another holder (another process or another guard object) has it.
  // Throws InstanceGuardError when the claim cannot be tried or the channel
  // cannot be opened (the lock is then given back).
  bool claim(std::uint64_t Published = 0);
  // Closes and removes the channel, then gives the lock back.
  void release();
  bool claimed() const;

  // The value the holder published; 0 when no one holds the claim.
  std::uint64_t readPublished() const;

  // Asks the holder for its first window of that class; 0 when there is no
  // holder, no such window, or no answer within the time-out.
  WindowHandle findWindow(std::string_view ClassName, int TimeoutMs = kDefaultTimeoutMs) const;
  // Delivers a message to a window of the holder and waits for its result.
  // nullopt: no holder, no answer within the time-out, or data too long.
  // A handle that is not one of the holder's windows gives 0, as SendMessage
  // to a window that is gone.
  std::optional<std::int64_t> sendMessage(WindowHandle Window, std::uint32_t Msg, std::uint64_t WParam,
                                          std::int64_t LParam, std::string_view Data = {},
                                          int TimeoutMs = kDefaultTimeoutMs) const;

private:
  struct Impl;
  std::unique_ptr<Impl> d;
};

} // namespace kc
