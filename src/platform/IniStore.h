#pragma once
// Our own small ini store: the stand-in for both ini files and the per-user
// registry key of the program.
//
// File format: "[Section]" lines and "Ident=Value" lines, in the order they
// were first written. Sections and idents match case-insensitively (ASCII),
// as registry keys and value names do. Values are 8-bit strings kept byte for
// byte; bytes that would break the line format are escaped when written:
//   "\\" -> "\\\\", CR -> "\\r", LF -> "\\n", NUL -> "\\0", and a value whose
//   first or last byte is a blank or tab, or that starts with a quote, is
//   written between double quotes. "=" ";" "[" in values need no escape
//   because only the first "=" of a line splits ident from value and comments
//   are only recognised at the start of a line.
// Values of the unnamed section "" (the key itself, in registry terms) stand
// before the first section line; sections() does not list it. Idents and
// section names take the same escapes as values, and an ident also escapes
// "=" and a leading ";" or "[" with a backslash; a blank or tab at either end
// of a name is written "\s" or "\t", since blanks around names are not read.
// Reading is tolerant: a missing or unreadable file (or one above 256 MiB)
// reads as empty and a damaged line is skipped; so are the lines under a
// damaged section line, which must not land in the section before it. Of two
// equal idents in one section the first counts. An empty ident is never
// written.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kc {

class IniStore {
public:
  // One instance per canonical path at a time in the process: opening a path
  // that is already open returns the same instance. An empty path gives a
  // store that lives in memory only (flush() then fails when it has changes).
  static std::shared_ptr<IniStore> open(const std::string &path);
  ~IniStore(); // flushes pending changes

  IniStore(const IniStore &) = delete;
  IniStore &operator=(const IniStore &) = delete;

  // The canonical path the store reads and writes (links followed).
  const std::string &path() const;

  std::string readString(std::string_view section, std::string_view ident, std::string_view def = {}) const;
  // A value that is not a whole decimal (or "0x"/"$" hex) 32-bit number reads as def.
  int readInteger(std::string_view section, std::string_view ident, int def = 0) const;
  // Booleans are stored "0"/"1" and read as integer not 0.
  bool readBool(std::string_view section, std::string_view ident, bool def = false) const;

  void writeString(std::string_view section, std::string_view ident, std::string_view value);
  void writeInteger(std::string_view section, std::string_view ident, int value);
  void writeBool(std::string_view section, std::string_view ident, bool value);

  bool sectionExists(std::string_view section) const;
  bool valueExists(std::string_view section, std::string_view ident) const;
  std::vector<std::string> sections() const;
  std::vector<std::string> idents(std::string_view section) const;
  // (ident, value) pairs of a section in file order.
  std::vector<std::pair<std::string, std::string>> values(std::string_view section) const;

  void eraseSection(std::string_view section);
  void deleteKey(std::string_view section, std::string_view ident);
  void clear();

  // Writes the file atomically (temp file + rename) when anything changed.
  // Returns false when the file could not be written; the data stays in memory.
  bool flush();
  // Drops unsaved changes and reads the file again.
  void reload();

  // Removes the temporary files a save interrupted by a kill left beside
  // path (".<name>.XXXXXX": regular files of this user, links not
  // followed). Only while no other copy can be saving, i.e. under the
  // program's single-instance guard. Returns how many went.
  static int removeStaleTemporaries(const std::string &path);

  // What a reader that keeps something derived from the file at path holds
  // on to, to learn whether that is still what a store of it would read: it
  // differs after any change made to a store of this process (written,
  // erased, cleared, reloaded) and after the file was replaced or written.
  struct Version {
    std::uint64_t changes = 0;
    bool exists = false;
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modifiedNs = 0, changedNs = 0;
    bool operator==(const Version &) const = default;
  };
  static Version versionOf(const std::string &path);

  // Every failed save (a full or read-only folder) is handed here, on the
  // thread that saved, outside the store's locks: the path and a one-line
  // reason. The changes stay in memory, and the next save of that file (a
  // flush, or the store's close after it is opened again) tries again.
  using SaveFailureHandler = std::function<void(const std::string &path, const std::string &reason)>;
  static void setSaveFailureHandler(SaveFailureHandler handler);

private:
  explicit IniStore(std::string path);
  struct Impl;
  std::unique_ptr<Impl> d;
};

} // namespace kc
