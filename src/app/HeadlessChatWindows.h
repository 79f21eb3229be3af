#pragma once
// The chat windows of the program while it has no screen of its own: each
// step of the windows' life cycle does what exists without a window and
// reports itself on standard error, one line per step.
#include "core/ChatWindowsUn.h"

namespace kc {

class HeadlessChatWindows : public TChatWindows {
public:
  HeadlessChatWindows();
  ~HeadlessChatWindows() override;

  void CreateMainWindow() override;
  void CreateUserList() override;
  void CreateGifCatalogue() override;
  void WakeMainWindow() override;
  void CloseMainWindow() override;
};

} // namespace kc
