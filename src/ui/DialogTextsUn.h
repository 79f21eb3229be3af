#pragma once
// What the profile, history and auto-reply dialogs share: their texts from
// the language file chosen when the dialog is made, the help page of a
// context number, and the code page between stored text and the screen.
#include <QString>

#include <string>
#include <string_view>

#include "core/LngUn.h"

namespace kc {

// Stored and received texts are in the ANSI code page; widgets show UTF-8.
QString FromAnsi(std::string_view Bytes);
std::string ToAnsi(const QString &Text);

// One text of a dialog: the file's value (ANSI) or Default (UTF-8).
QString DialogText(const TLanguageFile &File, std::string_view Section, std::string_view Ident, const char *Default);

// The texts of a dialog's OK, Cancel and Apply buttons, from the message
// texts the language file set.
QString OkCaption();
QString CancelCaption();
QString ApplyCaption();

// F1 of a dialog: the help page of Context, when the help is installed.
void ShowDialogHelp(int Context);

} // namespace kc
