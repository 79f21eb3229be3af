#include "core/StartupUn.h"

#include "platform/Log.h"

#include <stdexcept>

namespace kc {

bool WakeRunningCopy(TKcInstanceChecker &Guard) noexcept {
  try {
    if (Guard.ClaimFirstInstance()) return false;
    // A main window that is not found gets the message "sent to no window":
    // nothing happens, and the text is still handed over.
    const WindowHandle main = Guard.FindWindow(std::string(KavetChatMainWindowClass));
    Guard.SendMessage(main, WM_USER, KavetChatWakeWParam, KavetChatWakeLParam);
    Guard.PostDataToFirstInstance(std::string(KavetChatRestartText));
    return true;
  } catch (const std::runtime_error &) {
    // A guard that cannot be had (no private runtime folder, a refused
    // lock or channel) must not keep the user from chatting: run as the first copy.
    LogCaughtException("single-instance guard");
    return false;
  }
}

TKavetChatStartup::TKavetChatStartup(TChatWindows &Windows) : FWindows(Windows) {}

TKavetChatStartup::~TKavetChatStartup() = default;

void TKavetChatStartup::CreateWindows() {
  FWindows.CreateMainWindow();
  FMainWindow = std::make_unique<MessageWindow>(
      std::string(KavetChatMainWindowClass),
      [this](std::uint32_t Msg, std::uint64_t WParam, std::int64_t, std::string_view) -> std::int64_t {
        // lParam is not read.
        if (Msg == WM_USER && WParam == KavetChatWakeWParam && !FClosed) FWindows.WakeMainWindow();
        return 0;
      });
  FWindows.CreateUserList();
  FWindows.CreateGifCatalogue();
}

void TKavetChatStartup::CloseMainWindow() {
  if (FClosed) return;
  FClosed = true;
  FMainWindow.reset();
  FWindows.CloseMainWindow();
}

} // namespace kc
