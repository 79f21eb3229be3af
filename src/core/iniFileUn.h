#pragma once
// Settings and window positions under the program key. Every routine opens
// its own wrapper and takes the program key first. A missing value gives its
// default, a value that cannot be read as its type gives the routine's
// failure value; only a fault (out of memory) raises.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kc {

inline constexpr std::string_view kMainFormClass = "TfmKavetChat";
inline constexpr std::string_view kUserListClass = "TfmUserList";

struct TFormBounds {
  std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const TFormBounds &) const = default;
};

// Window positions, in the section named after the form's class.
// LoadFormPosition gives the main window's and the user list's placement
// (stored, or the fallback when the stored one is missing or off the
// virtual screen; the user list's fallback docks to MainForm) and nothing
// for any other form.
std::optional<TFormBounds> LoadFormPosition(std::string_view Key, std::string_view FormClass,
                                            const TFormBounds &MainForm = {});
TFormBounds LoadMainFormPosition(std::string_view Key);
TFormBounds LoadUserListPosition(std::string_view Key, const TFormBounds &MainForm);
void SaveFormPosition(std::string_view Key, std::string_view FormClass, const TFormBounds &Bounds);

// One item of the language submenu: its Hint is the language file's path.
struct TLanguageItem {
  std::string Hint;
  bool Checked = false;
};
// Checks the first item whose file name matches the stored language file,
// when that file still exists.
void LoadLanguageName(std::string_view Key, std::vector<TLanguageItem> &Items);
// Stores the Hint of the first checked item; nothing when none is checked.
void SaveLanguageName(std::string_view Key, const std::vector<TLanguageItem> &Items);

// Switches held by the main window's actions: a loader sets Checked.
void LoadStayOnTopUserList(std::string_view Key, bool &Checked);
void SaveStayOnTopUserList(std::string_view Key, bool Checked);
void LoadStayOnTop(std::string_view Key, bool &Checked);
void SaveStayOnTop(std::string_view Key, bool Checked);
void LoadShowUserList(std::string_view Key, bool &Checked);
void SaveShowUserList(std::string_view Key, bool Checked);
void LoadHideInTrey(std::string_view Key, bool &Checked);
void SaveHideInTrey(std::string_view Key, bool Checked);
bool LoadShowHint(std::string_view Key);
void SaveShowHint(std::string_view Key, bool Value);

void LoadShowMessageType(std::string_view Key, bool &ShowUserIPWhenMessage, bool &ShowDataTimewhenMessage,
                         bool &ShowPictureWhenMessage);
void SaveShowMessageType(std::string_view Key, bool ShowUserIPWhenMessage, bool ShowDataTimewhenMessage,
                         bool ShowPictureWhenMessage);
// Left as they are when the stored values cannot be read.
void LoadButtonsOptions(std::string_view Key, bool &BtnBigIcon, bool &BtnLitleIcon, bool &ShowText);
void SaveButtonsOptions(std::string_view Key, bool BtnBigIcon, bool BtnLitleIcon, bool ShowText);
void LoadPlaySound(std::string_view Key, bool &SoundKavetChat, bool &SoundUserConnect, bool &SoundNewMessage,
                   bool &SoundUserDisconnect);
void SavePlaySound(std::string_view Key, bool SoundKavetChat, bool SoundUserConnect, bool SoundNewMessage,
                   bool SoundUserDisconnect);

bool LoadStopGifAnimation(std::string_view Key);
void SaveStopGifAnimation(std::string_view Key, bool Value);
bool LoadShowGifAnimation(std::string_view Key);
void SaveShowGifAnimation(std::string_view Key, bool Value);
bool LoadCloseTalkGroupValue(std::string_view Key);
void SaveCloseTalkGroupValue(std::string_view Key, bool DoNotShow);
void LoadCloseTalkGroupPrivateValue(std::string_view Key, bool &NotShow, bool &CloseAll, bool &LeaveAll);
void SaveCloseTalkGroupPrivateValue(std::string_view Key, bool NotShow, bool CloseAll, bool LeaveAll);

// History options (section "fmStory").
bool LoadStorySaveHistory(std::string_view Key);
void SaveStorySaveHistory(std::string_view Key, bool Value);
bool LoadStoryPeriodStorage(std::string_view Key);
void SaveStoryPeriodStorage(std::string_view Key, bool Value);
bool LoadStorySaveAsRTF(std::string_view Key);
void SaveStorySaveAsRTF(std::string_view Key, bool Value);
bool LoadStorySaveAsTXT(std::string_view Key);
void SaveStorySaveAsTXT(std::string_view Key, bool Value);
std::int32_t LoadStoryDays(std::string_view Key);
void SaveStoryDays(std::string_view Key, std::int32_t Days);

// Height of a talk's input panel, kept in the program key itself.
std::int32_t LoadHeightNewMessagePanel(std::string_view Key, std::int32_t Maximum, std::int32_t Minimum);
void SaveHeightNewMessagePanel(std::string_view Key, std::int32_t Height);

// Dock positions of a form's toolbars live under Key + "\TBPAP". The window
// passes the toolbar library's reader or writer bound to its form
// (`DockablePositionsLoader` / `DockablePositionsSaver`), so that the settings
// never see a widget; it gets the key text. An empty routine does nothing.
// A routine that fails is reported and leaves the toolbars as they stand.
using TDockablePositionsProc = std::function<void(std::string_view KeyText)>;
void LoadToolbarLayout(std::string_view Key, const TDockablePositionsProc &LoadDockablePositions);
void SaveToolbarLayout(std::string_view Key, const TDockablePositionsProc &SaveDockablePositions);

} // namespace kc
