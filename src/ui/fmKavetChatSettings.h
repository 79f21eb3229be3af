#pragma once
// The main window's settings round trip: window position, toolbar layout
// and the option switches its actions hold, read and written through the
// settings stores under the program key; stay-on-top and the application's
// hint switch.
#include <string_view>

class QWidget;

namespace kc {

class IMainWindowActions;
class TMainActionList;

// Reads the settings into the actions and applies them, in this order:
// window position, toolbar layout, hide in tray (applied), language name,
// show user list, the checked language (applied), button options, message
// format, sounds, stop and hide GIF animation (the flags follow), show hint
// (applied). Button size, captions and message format are applied after
// their options are read, so that what shows agrees with the check marks.
// Stay-on-top is read later, by ApplyStoredStayOnTop.
void LoadMainSettings(std::string_view Key, TMainActionList &Actions, IMainWindowActions &Window);
// Writes them, in this order: toolbar layout, window position, the two
// stay-on-top options, the checked language, show user list, hide in tray,
// show hint, sounds, button options, message format, stop and hide GIF
// animation.
void SaveMainSettings(std::string_view Key, TMainActionList &Actions, IMainWindowActions &Window);

// The start-up timer's part: reads both stay-on-top options into their
// actions and applies them to the main window and the user list.
void ApplyStoredStayOnTop(std::string_view Key, TMainActionList &Actions, IMainWindowActions &Window);

// Keeps Form above other windows (On) or lets it go back among them; a
// shown window stays shown. No form: nothing.
void ApplyStayOnTop(QWidget *Form, bool On);

// The application's hint switch: while off, no widget shows a tooltip.
void SetApplicationShowHint(bool On);
bool ApplicationShowHint();

} // namespace kc
