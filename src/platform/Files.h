#pragma once
// Reading and writing whole files.
//
// Every file the program reads or writes (pictures, GIF images, history
// files, exported documents) goes through these routines, so that the rest of
// the system never opens a file itself. Writers never leave half a file:
// either the new content is there whole, or the old file (or none) is.
#include <cstdint>
#include <string>
#include <string_view>

namespace kc {

// Largest file the readers take in one piece; anything larger is refused
// rather than read into memory.
constexpr std::uint64_t kMaxReadFileSize = std::uint64_t(1) << 30;

// Reads the whole file into Out. On failure Out is empty and Error (when
// given) holds a one-line reason.
bool ReadWholeFile(const std::string &Path, std::string &Out, std::string *Error = nullptr,
                   std::uint64_t Limit = kMaxReadFileSize);

// Replaces the file with Data: a temporary file in the same folder, flushed,
// then renamed over the target (its permission bits kept). A failure leaves
// the old file as it was.
bool WriteFileAtomically(const std::string &Path, std::string_view Data, std::string *Error = nullptr);

// Creates a new file that must not exist yet (symbolic links are not
// followed) holding Data: the file appears whole under its name or not at
// all.
// Answers false with EEXIST-like reason "exists" when the name is taken.
enum class CreateResult { Created, Exists, Failed };
CreateResult CreateNewFile(const std::string &Path, std::string_view Data, std::string *Error = nullptr);

// Appends Data to an existing regular file (links are not followed); false
// with a reason when it is missing or the write fails.
bool AppendToFile(const std::string &Path, std::string_view Data, std::string *Error = nullptr);
bool FileExists(const std::string &Path);
// True when the file exists and this process may write to it.
bool IsWritableFile(const std::string &Path);
// Removes a regular file (not a folder, not what a link points to).
bool RemoveRegularFile(const std::string &Path);

} // namespace kc
