#pragma once
// The chat windows of the program while it has no screen of its own: each
// step of the windows' life cycle does what exists without a window (the
// language list, the settings round trip, the history folder) and reports
// itself on standard error, one line per step. The switches that the main
// window's actions would hold are kept as plain flags.
#include "core/ChatWindowsUn.h"
#include "core/HeadlessChatUn.h"
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
  // Whether a save (settings or history) failed in this run.
  bool SaveFailed() const { return FHost.Windows().SaveFailed(); }

private:
  void LoadMainSettings();
  void SaveMainSettings();

  // The messaging core on headless talk and user-list models; what a
  // window would show goes to standard error.
  struct Reporter : TChatEventSink {
    THeadlessChatHost *Host = nullptr;
    void UserChanged(std::string_view Change, int UserIndex) override;
    void MessageShown(int Tab, const TTalkMessage &Message) override;
    void Notice(const std::string &Text) override;
    void Error(const std::string &Text) override;
  };
  Reporter FReporter;
  THeadlessChatHost FHost{{}, &FReporter};

  TLanguageMenuList FLanguageMenu;
  std::optional<TFormBounds> FBounds;
  bool FStayOnTop = false;
  bool FStayOnTopUserList = true;
  bool FHideProgramm = false;
  bool FShowUserList = true;
  bool FBtnBigIcon = true, FBtnLitleIcon = false, FShowText = false;
  bool FShowUserIPWhenMessage = false, FShowDataTimewhenMessage = true, FShowPictureWhenMessage = true;
  bool FSoundKavetChat = false, FSoundUserConnect = true, FSoundNewMessage = true, FSoundUserDisconnect = true;
  bool FStopAnimation = false;
  bool FShowAnimation = false;
  bool FShowHint = true;
};

} // namespace kc
