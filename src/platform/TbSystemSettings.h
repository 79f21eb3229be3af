#pragma once
// Desktop settings and services the toolbar and menu engine asks about: the
// menu delays, keyboard cues, flat menus, menu animation, the menu check
// glyph size and menu sounds. The desktop is asked nothing:
// every value has a fixed default, and tests (or the program's options) set
// their own for as long as an override lives.
#include <functional>
#include <optional>
#include <QFont>
#include <QPoint>
#include <QString>

class QWidget;
#include <string>

namespace kc {

struct TbSystemSettings {
  int menuShowDelay = 400;   // ms before a hovered submenu opens or closes
  int hintPause = 500;       // ms the pointer rests on an item before its hint shows
  bool keyboardCues = true;  // accelerators underlined even without Alt
  bool flatMenus = false;    // plain popups: flat frame instead of raised
  bool menuAnimation = true; // popups open with an animation
  bool menuFade = false;     // ... a fade rather than a slide
  bool menuDropRightAligned = false;
  int menuCheckWidth = 13; // the check-mark / submenu-arrow glyph
  int menuCheckHeight = 13;
  bool themesActive = false;     // a native widget theme the native look could use
  bool soundMenuPopup = false;   // the desktop has a sound for opening menus
  bool soundMenuCommand = false; // ... for choosing a command
  // The desktop's menu font. The fixed default keeps pictures and measures
  // the same on every machine.
  QString menuFontFamily = QStringLiteral("DejaVu Sans");
  int menuFontPixelSize = 12;
  bool menuFontBold = false;
};

// The settings in force: the innermost override, else the desktop's when
// the program took them at its start, else the fixed defaults.
const TbSystemSettings &tbSystemSettings();

// The fixed defaults with the menu font of the desktop (the font the
// desktop gives menus, else its general font, measured in pixels on the
// primary screen). Needs the application object.
TbSystemSettings tbDesktopSettings();
// A program calls this once at its start, after creating its application:
// menus and toolbars then follow the desktop. Tests do not, and keep the
// fixed values. tbUseFixedSettings() goes back to them.
void tbUseDesktopSettings();
void tbUseFixedSettings();

class TbSystemSettingsOverride {
public:
  explicit TbSystemSettingsOverride(const TbSystemSettings &settings);
  ~TbSystemSettingsOverride();
  TbSystemSettingsOverride(const TbSystemSettingsOverride &) = delete;
  TbSystemSettingsOverride &operator=(const TbSystemSettingsOverride &) = delete;

private:
  std::optional<TbSystemSettings> previous_;
};

// The menu font of the settings in force.
QFont tbMenuFont();

// Whether the desktop has a sound for the named menu event ("MenuPopup",
// "MenuCommand").
bool tbIsSoundEventAssigned(const std::string &eventName);
// Plays the event's sound without waiting; nothing when none is assigned.
void tbPlaySoundEvent(const std::string &eventName);

// Tests see the sounds instead of hearing them.
using TbSoundSink = std::function<void(const std::string &what)>;
void setTbSoundSink(TbSoundSink sink);

} // namespace kc

namespace kc {
// The mouse buttons held down now.
Qt::MouseButtons tbMouseButtons();
// The program's widget at a screen point (windows of other programs are
// not seen); null when none.
QWidget *tbWidgetAt(QPoint global);
} // namespace kc
