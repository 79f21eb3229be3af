#include "core/iniFileUn.h"

#include "core/ConstUnit.h"
#include "platform/Folders.h"
#include "platform/Log.h"
#include "platform/ProgramKey.h"
#include "platform/Screen.h"

#include <cmath>
#include <exception>
#include <initializer_list>

namespace kc {

namespace {

// A stored value that exists but cannot be read as its type: the one failure
// of the store that a routine turns into its failure value. Anything else
// (out of memory) is no setting's business and goes on to the caller.
struct EStoreValueError {};

// Booleans and integers are read as integers; a stored text is converted
// and one that is no number is a failure of the wrapper.
std::int32_t readIntStrict(const RegistryIni &Ini, std::string_view Section, std::string_view Ident,
                           std::int32_t Default) {
  if (!Ini.valueExists(Section, Ident)) return Default;
  std::int32_t v = 0;
  if (!TryStrToIntOrHex(Ini.readString(Section, Ident), v)) throw EStoreValueError{};
  return v;
}

bool readBoolStrict(const RegistryIni &Ini, std::string_view Section, std::string_view Ident, bool Default) {
  return readIntStrict(Ini, Section, Ident, Default ? 1 : 0) != 0;
}

// One Boolean value: Default when it is missing, OnFailure when it cannot be read.
bool loadSwitch(std::string_view Key, std::string_view Section, std::string_view Ident, bool Default, bool OnFailure) {
  try {
    RegistryIni ini(Key);
    return readBoolStrict(ini, Section, Ident, Default);
  } catch (const EStoreValueError &) {
    return OnFailure;
  }
}

struct TSwitchValue {
  std::string_view Ident;
  bool Value;
};

// Writes the Boolean values of one section. Writing only changes the store in
// memory; a file that cannot be written is the store's to report when it
// is flushed.
void saveSwitches(std::string_view Key, std::string_view Section, std::initializer_list<TSwitchValue> Values) {
  RegistryIni ini(Key);
  for (const TSwitchValue &v : Values) ini.writeBool(Section, v.Ident, v.Value);
}

void saveSwitch(std::string_view Key, std::string_view Section, std::string_view Ident, bool Value) {
  saveSwitches(Key, Section, {{Ident, Value}});
}

constexpr std::string_view kValue = "Value";
constexpr std::string_view kLowerValue = "value";
constexpr std::string_view kStory = "fmStory";

std::string toolbarKey(std::string_view Key) {
  std::string k(Key);
  k += "\\TBPAP";
  return k;
}

// The file name part of a language path: what follows the last folder
// separator or drive colon.
std::string_view fileNamePart(std::string_view Path) {
  const size_t cut = Path.find_last_of("/\\:");
  return cut == std::string_view::npos ? Path : Path.substr(cut + 1);
}

// The stored bounds of a form, when all four are there and lie on the
// virtual screen.
std::optional<TFormBounds> storedBounds(std::string_view Key, std::string_view FormClass) {
  TFormBounds b;
  try {
    RegistryIni ini(Key);
    b.Width = readIntStrict(ini, FormClass, "Width", -1);
    b.Height = readIntStrict(ini, FormClass, "Height", -1);
    b.Left = readIntStrict(ini, FormClass, "Left", -1);
    b.Top = readIntStrict(ini, FormClass, "Top", -1);
  } catch (const EStoreValueError &) {
    return std::nullopt; // unreadable: the fallback placement
  }
  if (b.Width == -1 || b.Height == -1 || b.Left == -1 || b.Top == -1) return std::nullopt;
  if (b.Left < 0 || b.Top < 0) return std::nullopt;
  // A window of no size cannot be seen or grabbed again.
  if (b.Width <= 0 || b.Height <= 0) return std::nullopt;
  const ScreenRect screen = virtualScreen();
  const std::int64_t w = screen.width(), h = screen.height();
  if (std::int64_t{b.Left} + b.Width > w || std::int64_t{b.Top} + b.Height > h) return std::nullopt;
  if (b.Left > w || b.Top > h) return std::nullopt;
  return b;
}

} // namespace

// Form positions

TFormBounds LoadMainFormPosition(std::string_view Key) {
  if (auto b = storedBounds(Key, kMainFormClass)) return *b;
  // Centred in the primary work area; halves round to even, as the class
  // library's Round does.
  const ScreenRect area = screenWorkArea();
  TFormBounds b;
  b.Width = 460;
  b.Height = 300;
  b.Left = static_cast<std::int32_t>(std::nearbyint(area.width() / 2.0 - 230));
  b.Top = static_cast<std::int32_t>(std::nearbyint(area.height() / 2.0 - 150));
  return b;
}

TFormBounds LoadUserListPosition(std::string_view Key, const TFormBounds &MainForm) {
  if (auto b = storedBounds(Key, kUserListClass)) return *b;
  TFormBounds b;
  b.Width = 180;
  b.Height = MainForm.Height;
  b.Left = static_cast<std::int32_t>(std::int64_t{MainForm.Left} + MainForm.Width);
  b.Top = MainForm.Top;
  return b;
}

std::optional<TFormBounds> LoadFormPosition(std::string_view Key, std::string_view FormClass,
                                            const TFormBounds &MainForm) {
  if (FormClass == kMainFormClass) return LoadMainFormPosition(Key);
  if (FormClass == kUserListClass) return LoadUserListPosition(Key, MainForm);
  return std::nullopt;
}

void SaveFormPosition(std::string_view Key, std::string_view FormClass, const TFormBounds &Bounds) {
  RegistryIni ini(Key);
  ini.writeInteger(FormClass, "Left", Bounds.Left);
  ini.writeInteger(FormClass, "Top", Bounds.Top);
  ini.writeInteger(FormClass, "Width", Bounds.Width);
  ini.writeInteger(FormClass, "Height", Bounds.Height);
}

// Language

void LoadLanguageName(std::string_view Key, std::vector<TLanguageItem> &Items) {
  std::string path;
  {
    RegistryIni ini(Key);
    path = ini.readString("LNGName", kValue, "");
  }
  if (KindOfPath(path) != PathKind::File) return;
  const std::string_view name = fileNamePart(path);
  for (TLanguageItem &item : Items)
    if (fileNamePart(item.Hint) == name) {
      item.Checked = true;
      break;
    }
}

void SaveLanguageName(std::string_view Key, const std::vector<TLanguageItem> &Items) {
  for (const TLanguageItem &item : Items)
    if (item.Checked) {
      RegistryIni ini(Key);
      ini.writeString("LNGName", kValue, item.Hint);
      return;
    }
}

// Single switches

void LoadStayOnTopUserList(std::string_view Key, bool &Checked) {
  Checked = loadSwitch(Key, "StayOnTopUserList", kValue, true, true);
}
void SaveStayOnTopUserList(std::string_view Key, bool Checked) {
  saveSwitch(Key, "StayOnTopUserList", kValue, Checked);
}
void LoadStayOnTop(std::string_view Key, bool &Checked) { Checked = loadSwitch(Key, "StayOnTop", kValue, false, true); }
void SaveStayOnTop(std::string_view Key, bool Checked) { saveSwitch(Key, "StayOnTop", kValue, Checked); }
void LoadShowUserList(std::string_view Key, bool &Checked) {
  Checked = loadSwitch(Key, "ShowUserList", kValue, true, true);
}
void SaveShowUserList(std::string_view Key, bool Checked) { saveSwitch(Key, "ShowUserList", kValue, Checked); }
void LoadHideInTrey(std::string_view Key, bool &Checked) {
  Checked = loadSwitch(Key, "HideInTrey", kValue, false, true);
}
void SaveHideInTrey(std::string_view Key, bool Checked) { saveSwitch(Key, "HideInTrey", kValue, Checked); }
bool LoadShowHint(std::string_view Key) { return loadSwitch(Key, "ShowHint", kValue, true, true); }
void SaveShowHint(std::string_view Key, bool Value) { saveSwitch(Key, "ShowHint", kValue, Value); }

bool LoadStopGifAnimation(std::string_view Key) {
  return loadSwitch(Key, "StopGifAnimation", kLowerValue, false, false);
}
void SaveStopGifAnimation(std::string_view Key, bool Value) { saveSwitch(Key, "StopGifAnimation", kLowerValue, Value); }
bool LoadShowGifAnimation(std::string_view Key) {
  return loadSwitch(Key, "ShowGifAnimation", kLowerValue, false, false);
}
void SaveShowGifAnimation(std::string_view Key, bool Value) { saveSwitch(Key, "ShowGifAnimation", kLowerValue, Value); }
bool LoadCloseTalkGroupValue(std::string_view Key) {
  return loadSwitch(Key, "CloseTalkGroupValue", kLowerValue, false, false);
}
void SaveCloseTalkGroupValue(std::string_view Key, bool DoNotShow) {
  saveSwitch(Key, "CloseTalkGroupValue", kLowerValue, DoNotShow);
}

// Groups of switches

void LoadShowMessageType(std::string_view Key, bool &ShowUserIPWhenMessage, bool &ShowDataTimewhenMessage,
                         bool &ShowPictureWhenMessage) {
  constexpr std::string_view s = "ShowMessageType";
  try {
    RegistryIni ini(Key);
    ShowUserIPWhenMessage = readBoolStrict(ini, s, "actShowUserIPWhenMessage", false);
    ShowDataTimewhenMessage = readBoolStrict(ini, s, "actShowDataTimewhenMessage", true);
    ShowPictureWhenMessage = readBoolStrict(ini, s, "actShowPictureWhenMessage", true);
  } catch (const EStoreValueError &) {
    // One unreadable value: all three fall back together.
    ShowUserIPWhenMessage = false;
    ShowDataTimewhenMessage = true;
    ShowPictureWhenMessage = true;
  }
}

void SaveShowMessageType(std::string_view Key, bool ShowUserIPWhenMessage, bool ShowDataTimewhenMessage,
                         bool ShowPictureWhenMessage) {
  saveSwitches(Key, "ShowMessageType",
               {{"actShowUserIPWhenMessage", ShowUserIPWhenMessage},
                {"actShowDataTimewhenMessage", ShowDataTimewhenMessage},
                {"actShowPictureWhenMessage", ShowPictureWhenMessage}});
}

void LoadButtonsOptions(std::string_view Key, bool &BtnBigIcon, bool &BtnLitleIcon, bool &ShowText) {
  constexpr std::string_view s = "ButtonsOptions";
  try {
    RegistryIni ini(Key);
    const bool big = readBoolStrict(ini, s, "actBtnBigIcon", true);
    const bool little = readBoolStrict(ini, s, "actBtnLitleIcon", false);
    const bool text = readBoolStrict(ini, s, "actShowText", false);
    BtnBigIcon = big;
    BtnLitleIcon = little;
    ShowText = text;
  } catch (const EStoreValueError &) {
    // One unreadable value: the actions keep the state they have.
  }
}

void SaveButtonsOptions(std::string_view Key, bool BtnBigIcon, bool BtnLitleIcon, bool ShowText) {
  saveSwitches(Key, "ButtonsOptions",
               {{"actBtnBigIcon", BtnBigIcon}, {"actBtnLitleIcon", BtnLitleIcon}, {"actShowText", ShowText}});
}

void LoadPlaySound(std::string_view Key, bool &SoundKavetChat, bool &SoundUserConnect, bool &SoundNewMessage,
                   bool &SoundUserDisconnect) {
  constexpr std::string_view s = "PlaySound";
  try {
    RegistryIni ini(Key);
    SoundKavetChat = readBoolStrict(ini, s, "actSoundKavetChat", false);
    SoundUserConnect = readBoolStrict(ini, s, "actSoundUserConnect", true);
    SoundNewMessage = readBoolStrict(ini, s, "actSoundNewMessage", true);
    SoundUserDisconnect = readBoolStrict(ini, s, "actSoundUserDisconnect", true);
  } catch (const EStoreValueError &) {
    // One unreadable value: all four fall back together.
    SoundKavetChat = false;
    SoundUserConnect = true;
    SoundNewMessage = true;
    SoundUserDisconnect = true;
  }
}

void SavePlaySound(std::string_view Key, bool SoundKavetChat, bool SoundUserConnect, bool SoundNewMessage,
                   bool SoundUserDisconnect) {
  saveSwitches(Key, "PlaySound",
               {{"actSoundKavetChat", SoundKavetChat},
                {"actSoundUserConnect", SoundUserConnect},
                {"actSoundNewMessage", SoundNewMessage},
                {"actSoundUserDisconnect", SoundUserDisconnect}});
}

void LoadCloseTalkGroupPrivateValue(std::string_view Key, bool &NotShow, bool &CloseAll, bool &LeaveAll) {
  constexpr std::string_view s = "CloseTalkGroupPrivateValue";
  NotShow = false;
  CloseAll = true;
  LeaveAll = false;
  try {
    RegistryIni ini(Key);
    NotShow = readBoolStrict(ini, s, "NotShow", NotShow);
    CloseAll = readBoolStrict(ini, s, "CloseAll", CloseAll);
    LeaveAll = readBoolStrict(ini, s, "LeaveAll", LeaveAll);
  } catch (const EStoreValueError &) {
    // The values read before the unreadable one stay; the rest keep their defaults.
  }
}

void SaveCloseTalkGroupPrivateValue(std::string_view Key, bool NotShow, bool CloseAll, bool LeaveAll) {
  saveSwitches(Key, "CloseTalkGroupPrivateValue",
               {{"NotShow", NotShow}, {"CloseAll", CloseAll}, {"LeaveAll", LeaveAll}});
}

// History options

bool LoadStorySaveHistory(std::string_view Key) { return loadSwitch(Key, kStory, "SaveHistory", true, true); }
void SaveStorySaveHistory(std::string_view Key, bool Value) { saveSwitch(Key, kStory, "SaveHistory", Value); }
bool LoadStoryPeriodStorage(std::string_view Key) { return loadSwitch(Key, kStory, "PeriodStorage", false, false); }
void SaveStoryPeriodStorage(std::string_view Key, bool Value) { saveSwitch(Key, kStory, "PeriodStorage", Value); }
bool LoadStorySaveAsRTF(std::string_view Key) { return loadSwitch(Key, kStory, "SaveAsRTF", false, true); }
void SaveStorySaveAsRTF(std::string_view Key, bool Value) { saveSwitch(Key, kStory, "SaveAsRTF", Value); }
bool LoadStorySaveAsTXT(std::string_view Key) { return loadSwitch(Key, kStory, "SaveAsTXT", true, false); }
void SaveStorySaveAsTXT(std::string_view Key, bool Value) { saveSwitch(Key, kStory, "SaveAsTXT", Value); }

std::int32_t LoadStoryDays(std::string_view Key) {
  try {
    RegistryIni ini(Key);
    return readIntStrict(ini, kStory, "Days", 10);
  } catch (const EStoreValueError &) {
    return 10;
  }
}

void SaveStoryDays(std::string_view Key, std::int32_t Days) {
  RegistryIni ini(Key);
  ini.writeInteger(kStory, "Days", Days);
}

// Input panel

std::int32_t LoadHeightNewMessagePanel(std::string_view Key, std::int32_t Maximum, std::int32_t Minimum) {
  std::int32_t h = Minimum;
  try {
    RegistryIni ini(Key);
    h = readIntStrict(ini, "", "HeightNewMessagePanel", Minimum);
  } catch (const EStoreValueError &) {
    h = Minimum;
  }
  if (h < Minimum) h = Minimum;
  if (h > Maximum) h = Maximum;
  return h;
}

void SaveHeightNewMessagePanel(std::string_view Key, std::int32_t Height) {
  RegistryIni ini(Key);
  ini.writeInteger("", "HeightNewMessagePanel", Height);
}

// Toolbar layout

namespace {

void runDockablePositions(const TDockablePositionsProc &Proc, std::string_view Key, std::string_view Where) {
  if (!Proc) return;
  try {
    Proc(toolbarKey(Key));
  } catch (const std::exception &) {
    // A layout that cannot be read or written must not keep the main window
    // from opening or closing; its toolbars then stand where they were.
    LogCaughtException(Where);
  }
}

} // namespace

void LoadToolbarLayout(std::string_view Key, const TDockablePositionsProc &LoadDockablePositions) {
  runDockablePositions(LoadDockablePositions, Key, "loading the toolbar layout");
}

void SaveToolbarLayout(std::string_view Key, const TDockablePositionsProc &SaveDockablePositions) {
  runDockablePositions(SaveDockablePositions, Key, "saving the toolbar layout");
}

} // namespace kc
