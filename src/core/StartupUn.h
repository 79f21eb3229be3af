#pragma once
// The program's start-up: the single-instance guard first, then the three
// long-lived windows, then the message loop (run by the program's main,
// which owns the application object), and the close path.
#include "core/ChatWindowsUn.h"
#include "core/KcInstanceChecker.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace kc {

// The one fixed name of the guard, the same in every copy.
inline constexpr std::string_view KavetChatInstanceName = "{7D3A91C-0B4E6F2-4A1D-9C3E-5B7F2A8D6E10-Kavet.Chat.Instance";
inline constexpr std::string_view KavetChatMainWindowClass = "TfmKavetChat";
inline constexpr std::string_view KavetChatRestartText = "Restart of appendix Kavet Chat";
inline constexpr std::uint64_t KavetChatWakeWParam = 123;
inline constexpr std::int64_t KavetChatWakeLParam = 45;

// Start-up step 2, before the application object exists. Claims the guard;
// when another copy holds it, wakes that copy's main window, hands its guard
// the restart text and returns true: the caller then ends with exit code 0.
// Returns false for the first copy. A guard or channel that fails is
// reported and counts as "first copy".
bool WakeRunningCopy(TKcInstanceChecker &Guard) noexcept;

// Start-up step 3 and the close, once the application object exists.
class TKavetChatStartup {
public:
  explicit TKavetChatStartup(TChatWindows &Windows);
  ~TKavetChatStartup();
  TKavetChatStartup(const TKavetChatStartup &) = delete;
  TKavetChatStartup &operator=(const TKavetChatStartup &) = delete;

  // Main window, user list, catalogue, in this order. The main window answers
  // later copies (class `TfmKavetChat`) from the moment it is created.
  void CreateWindows();
  // The main window's close; only the first call acts. Afterwards later copies
  // no longer find the main window.
  void CloseMainWindow();
  bool Closed() const { return FClosed; }

private:
  TChatWindows &FWindows;
  std::unique_ptr<MessageWindow> FMainWindow;
  bool FClosed = false;
};

} // namespace kc
