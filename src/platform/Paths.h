#pragma once
// Where the program finds and keeps its files.
//
// The Windows program kept everything in the folder beside its executable.
// Here that splits in two: read-only resources ("Lng", "Sound", the help
// file) are looked up beside the executable, then in the installed data
// folder; writable data ("History") lives in the per-user data folder.
// Every function reads the environment at call time, so a test (or a second
// copy in a test namespace) is isolated by its own XDG_* variables.
//
// Folder results end with "/" so that a file name can be appended directly.
#include <string>
#include <string_view>

namespace kc {

// $HOME, else the home folder of the user database entry.
std::string homeFolder();
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config/.
std::string configHome();
// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share/.
std::string dataHome();

// Folder of the running executable ("" when it cannot be found).
std::string executableFolder();

// The first existing folder among: beside the executable, the "share" folder
// next to the executable's "bin", and <install prefix>/share/kavet-chat/.
// When KAVET_RESOURCE_DIR is set it is the only place looked at.
// When the resource exists nowhere the last candidate is returned, so that
// callers see a folder that does not exist rather than an empty path.
std::string resourcePath(std::string_view relative);

// The per-user data folder of the program: dataHome() + "kavet-chat/".
std::string userDataFolder();
// Where transcripts of closed talks are kept: userDataFolder() + "History/".
std::string historyFolder();

// $XDG_RUNTIME_DIR when it is an absolute path to a folder of ours that no
// one else can enter; otherwise /tmp/kavet-chat-<uid>/, created with mode
// 0700 and checked to be a real folder of ours with that mode. "" when no
// safe folder can be had.
std::string runtimeFolder();

// Creates the folder with all missing parents. Failures are not reported as
// such; the result says whether the folder exists afterwards.
bool ensureFolder(const std::string &path);

} // namespace kc
