#pragma once
// The desktop's "open" of a file, a folder, a web page or a mail address:
// offered files, help pages, the web and mail actions. Tests put a sink in
// its place to see what would be opened without starting other programs.
#include <functional>
#include <string>

namespace kc {

// Opens Target with the desktop's handler: an absolute path (file or
// folder) or a URL with a scheme ("https:", "mailto:"). A "MailTo:" prefix
// in any case is a mail address. False when nothing could take it.
bool ShellOpen(const std::string &Target);

// Targets go to Sink instead of the desktop while it is set (its answer is
// ShellOpen's); an empty sink restores the desktop.
void SetShellOpenSink(std::function<bool(const std::string &)> Sink);

} // namespace kc
