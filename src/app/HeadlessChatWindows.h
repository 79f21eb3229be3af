#pragma once
// The chat windows of the program while it has no screen of its own: each
// step of the windows' life cycle does what exists without a window (the
// language list, the settings round trip, the history folder) and reports
// itself on standard error, one line per step. The switches that the main
// window's actions would hold are kept as plain flags.
#include "core/ChatWindowsUn.h"
#include "core/LngUn.h"
#include "core/iniFileUn.h"

#include <optional>

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

private:
  void LoadMainSettings();
  void SaveMainSettings();

  TLanguageMenuList FLanguageMenu;
  std::optional<TFormBounds> FBounds;
  bool FStayOnTop = false;
  bool FStayOnTopUserList = true;
  bool FHideProgramm = false;
  bool FShowUserList = true;
  bool FBtnBigIcon = true, FBtnLitleIcon = false, FShowText = false;
  bool FShowUserIPWhenMessage = false, FShowDataTimewhenMessage = true, FShowPictureWhenMessage = true;
  bool FSoundKavetChat = false, FSoundUserConnect = true, FSoundNewMessage = true,
       FSoundUserDisconnect = true;
  bool FStopAnimation = false;
  bool FShowAnimation = false;
  bool FShowHint = true;
};

} // namespace kc
