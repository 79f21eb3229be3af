#pragma once
// Copying and moving single files: saving an offered or history file under
// another name, moving history files. The target appears whole or not at
// all (a temporary file beside it, renamed into place), and an existing
// target is kept unless the caller asks to replace it. Tests put a sink in
// place of the file system to see what would be copied or moved.
#include <functional>
#include <string>

namespace kc {

enum class FileCopyKind { Copy, Move };

enum class FileCopyResult {
  Done,
  Exists, // the target is there and was to be kept
  Failed, // a missing source, a folder, a full disk, no permission...
};

// Copies the regular file Source to Target (permission bits kept).
FileCopyResult CopyFileTo(const std::string &Source, const std::string &Target, bool Replace,
                          std::string *Error = nullptr);
// Moves it: a rename where both lie on one file system, else a copy and
// the source removed once the copy is whole.
FileCopyResult MoveFileTo(const std::string &Source, const std::string &Target, bool Replace,
                          std::string *Error = nullptr);

// Requests go to Sink instead of the file system while it is set (its
// answer is theirs); an empty sink restores the file system.
using FileCopySink = std::function<FileCopyResult(FileCopyKind Kind, const std::string &Source,
                                                  const std::string &Target, bool Replace)>;
void SetFileCopySink(FileCopySink Sink);

} // namespace kc
