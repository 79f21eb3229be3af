#pragma once
// What the start-up and the close path ask of the chat windows.
//
// The start-up (StartupUn) creates the three long-lived windows through this
// interface, in the order below, and closes through it. The chat windows
// implement it with the main window `TfmKavetChat`, the user list
// `TfmUserList` and the animated-emoticon catalogue `TfmSelectPictureGIFMood`;
// until they exist the program runs a headless implementation (src/app).
//
// Every call comes on the GUI thread. A failure inside a window's creation is
// that window's to report (the network switch shows its own error and
// creation goes on); an exception that escapes reaches `main`, which reports
// it and ends the program.
namespace kc {

class TChatWindows {
public:
  virtual ~TChatWindows() = default;

  // `TfmKavetChat` creation: caption, network on (`SetNetworkActive` (True)),
  // language menu, settings loader, history folder and purge, all-users talk.
  virtual void CreateMainWindow() = 0;
  // `TfmUserList` creation: the local user's record first, the stored groups,
  // then the NEW announcement.
  virtual void CreateUserList() = 0;
  // `TfmSelectPictureGIFMood`: the hidden catalogue of animated emoticons.
  virtual void CreateGifCatalogue() = 0;

  // The main window's WM_USER (0x400) handler for wParam 123, sent by a later
  // copy of the program: show the main window, restore and bring it to the
  // foreground.
  virtual void WakeMainWindow() = 0;

  // `TfmKavetChat` closing (the close is never refused): DISCONNECT, every
  // talk's history, the groups, the settings, then `SetNetworkActive` (False).
  // Called once; the message loop ends after it.
  virtual void CloseMainWindow() = 0;
};

} // namespace kc
