#pragma once
// The history folder: one file per closed talk, purged by age.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"

namespace kc {

// Creates the folder with all missing parents; failures are ignored.
void EnsureFolder(const std::string &Path);

// Purges the history folder as the settings say (fmStory "PeriodStorage" and
// "Days" of the program key). Creates the folder when missing.
void PurgeOldHistory(const std::string &Folder);
// Whether a file name has the form the history writer gives its files:
// "<base> <date> hh.nn.ss", maybe " (n)", then ".txt" or ".rtf" (any case).
// A purge deletes nothing else: the folder may hold the user's own notes.
bool IsHistoryFileName(std::string_view Name);

// The same with the settings and the present time given. Only regular files
// directly in the folder whose names IsHistoryFileName takes are candidates
// (links are not followed), only when PeriodStorage is on and Days is at least 1, and a
// file dated after Now is never deleted. Returns the number of files deleted.
int PurgeOldHistoryAt(const std::string &Folder, bool PeriodStorage, int Days, std::time_t Now);

// Deletes Path when the whole days between today's local midnight and
// FileTime are more than Days. FileTime is the file's time as the file system
// gives it (UTC seconds), compared without conversion, as the stored
// transcripts always were. A FileTime after Now is kept. True when deleted.
bool DeleteIfOlderThan(const std::string &Path, int Days, std::time_t FileTime);
bool DeleteIfOlderThanAt(const std::string &Path, int Days, std::time_t FileTime, std::time_t Now);

// The time a history file was made: its birth time, or its modification time
// where the file system keeps no birth time; -1 when it cannot be read.
std::time_t HistoryFileTime(const std::string &Path);

// Makes any text a safe part of a file name in the history folder: "/",
// "\" and control characters become "_", C1 controls and the marks that
// reorder text (LRM, RLM, embeddings, overrides, isolates) go, leading dots and blanks go, the
// result is bounded in length and never empty. Text is 8-bit (ANSI code
// page); the result is UTF-8, as file names are here.
std::string SafeFileNamePart(std::string_view Text);

// The date in the locale's short form and the time as "hh.nn.ss", as
// history file names carry them.
std::string HistoryDateText(const DateTime &Now);
std::string HistoryTimeText(const DateTime &Now);

// The base of a history file name: "<base> <date> <time>", each part made
// safe; Base is FileNameStoryPrefix formatted with the tab's caption and the
// local alias, Date the short date, Time "hh.nn.ss".
std::string HistoryFileStem(std::string_view Base, std::string_view Date, std::string_view Time);

// How much history the disk may hold. A flood of messages to all leaves the
// transcripts as fast as it comes, and each leaving message goes to the
// history file: without bounds it fills the disk.
struct THistoryLimits {
  // One talk's file: past it, appending stops (the talk goes on).
  std::uint64_t TalkFileBytes = std::uint64_t(64) << 20;
  // The history files of the folder together: past it, whole oldest files
  // go first (a file is never cut at its front).
  std::uint64_t FolderBytes = std::uint64_t(1) << 30;
  // Nothing is written once the file system has less free than this.
  std::uint64_t FreeMargin = std::uint64_t(64) << 20;
};

// The history files directly in Folder (names IsHistoryFileName takes, no
// links) with their sizes and times, oldest first.
struct THistoryFileInfo {
  std::string Path;
  std::uint64_t Bytes = 0;
  std::time_t Time = 0;
};
std::vector<THistoryFileInfo> ListHistoryFiles(const std::string &Folder);

// Deletes whole history files of Folder, oldest first, but none of Keep,
// until the files left hold at most Target bytes. Returns the bytes the
// files left hold and (in Deleted) how many went.
std::uint64_t TrimHistoryFolder(const std::string &Folder, std::uint64_t Target, const std::vector<std::string> &Keep,
                                int &Deleted);

// Writes Data to Folder + Stem + Ext without overwriting: when that name is
// taken, " (2)", " (3)", ... go before the extension. The file appears
// whole or not at all. Returns the path written, empty on failure (Error,
// when given, then holds the reason).
std::string WriteHistoryFile(const std::string &Folder, std::string_view Stem, std::string_view Ext,
                             std::string_view Data, std::string *Error = nullptr);

} // namespace kc
