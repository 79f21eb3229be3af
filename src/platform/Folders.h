#pragma once
// Listing a folder and asking what a path names.
//
// The history purge and the language menu walk folders; they do it through
// here so that the rest of the system never touches the file system itself.
// Nothing here raises for a missing or unreadable folder: it lists nothing.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kc {

enum class PathKind { Missing, File, Folder, Other };

// What Path names, links followed: a regular file, a folder, something else
// (a device, a socket, a pipe) or nothing that can be reached.
PathKind KindOfPath(const std::string &Path);

struct FolderEntry {
  std::string Name; // the bare name, without the folder
  PathKind Kind;    // what the entry names, links followed
  bool IsLink;      // the entry itself is a symbolic link
};

// The entries directly in Folder, without "." and "..", in the order the
// file system lists them; empty when Folder is empty or cannot be read.
std::vector<FolderEntry> ListFolder(const std::string &Folder);

// The size of a regular file (links not followed); none when Path is no
// regular file.
std::optional<std::uint64_t> RegularFileSize(const std::string &Path);

// Bytes an unprivileged writer may still put on the file system that holds
// Path; none when it cannot be asked. Tests replace the answer (an empty
// function restores the system's).
std::optional<std::uint64_t> FreeSpaceOf(const std::string &Path);
void SetFreeSpaceOverride(std::function<std::optional<std::uint64_t>(const std::string &)> Override);

} // namespace kc
