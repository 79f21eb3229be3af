#include "core/StoryFileUn.h"

#include <algorithm>

#include <cstdio>
#include <vector>

#include "core/ConstUnit.h"
#include "core/iniFileUn.h"
#include "platform/AsciiCase.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/Paths.h"

namespace kc {

namespace {

constexpr std::int64_t kDay = 86400;
// Bytes of one safe name part, so that "<base> <date> <time> (n).ext" stays
// well below the 255 bytes a file name may have.
constexpr std::size_t kMaxNamePart = 96;
// Numbered names tried before a save gives up.
constexpr int kMaxNumberedNames = 1000;

// Days since 1970-01-01 of a civil date.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

bool IsHistoryFileName(std::string_view Name) {
  if (Name.size() < 4) return false;
  const std::string ext = asciiLowered(Name.substr(Name.size() - 4));
  if (ext != ".rtf" && ext != ".txt") return false;
  std::string_view stem = Name.substr(0, Name.size() - 4);
  // " (n)" of a second save in the same second.
  if (stem.size() > 4 && stem.back() == ')') {
    const std::size_t open = stem.rfind(" (");
    if (open != std::string_view::npos && open + 3 < stem.size()) {
      bool digits = true;
      for (std::size_t i = open + 2; i + 1 < stem.size(); ++i) digits = digits && isDigit(stem[i]);
      if (digits) stem = stem.substr(0, open);
    }
  }
  // "<base> <date> hh.nn.ss"
  constexpr std::string_view kTimeShape = " 00.00.00";
  if (stem.size() < kTimeShape.size() + 3) return false;
  const std::string_view time = stem.substr(stem.size() - kTimeShape.size());
  for (std::size_t i = 0; i < kTimeShape.size(); ++i)
    if (kTimeShape[i] == '0' ? !isDigit(time[i]) : time[i] != kTimeShape[i]) return false;
  const std::string_view rest = stem.substr(0, stem.size() - kTimeShape.size());
  const std::size_t blank = rest.find(' ');
  return blank != std::string_view::npos && blank > 0 && blank + 1 < rest.size();
}

namespace {

// Cuts UTF-8 text to at most Max bytes without splitting a character.
std::string cutUtf8(std::string s, std::size_t Max) {
  if (s.size() <= Max) return s;
  std::size_t n = Max;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  s.resize(n);
  return s;
}

} // namespace

void EnsureFolder(const std::string &Path) {
  // A folder that cannot be made shows up when the purge or a save finds nothing there.
  ensureFolder(Path);
}

void PurgeOldHistory(const std::string &Folder) {
  const bool period = LoadStoryPeriodStorage(kProgramKeyText);
  const int days = LoadStoryDays(kProgramKeyText);
  PurgeOldHistoryAt(Folder, period, days, std::chrono::system_clock::to_time_t(clock().now()));
}

int PurgeOldHistoryAt(const std::string &Folder, bool PeriodStorage, int Days, std::time_t Now) {
  EnsureFolder(Folder);
  if (KindOfPath(Folder) != PathKind::Folder) return 0;
  if (!PeriodStorage || Days < 1) return 0;
  std::string base = Folder;
  if (!base.empty() && base.back() != '/') base += '/';
  std::vector<std::string> candidates;
  for (const FolderEntry &e : ListFolder(Folder)) {
    // A link is never a candidate, whatever it points at.
    if (e.IsLink || e.Kind != PathKind::File || !IsHistoryFileName(e.Name)) continue;
    candidates.push_back(base + e.Name);
  }
  int deleted = 0;
  for (const std::string &path : candidates) {
    const std::time_t t = HistoryFileTime(path);
    if (t < 0) continue;
    if (DeleteIfOlderThanAt(path, Days, t, Now)) ++deleted;
  }
  return deleted;
}

bool DeleteIfOlderThan(const std::string &Path, int Days, std::time_t FileTime) {
  return DeleteIfOlderThanAt(Path, Days, FileTime, std::chrono::system_clock::to_time_t(clock().now()));
}

bool DeleteIfOlderThanAt(const std::string &Path, int Days, std::time_t FileTime, std::time_t Now) {
  if (FileTime > Now) return false;
  const DateTime today = localDateTime(std::chrono::system_clock::from_time_t(Now));
  // Today's local midnight as a plain date-time, set against the file's UTC
  // time taken as a plain date-time: no zone conversion on either side.
  const std::int64_t midnight =
      daysFromCivil(today.year, static_cast<unsigned>(today.month), static_cast<unsigned>(today.day)) * kDay;
  std::int64_t diff = midnight - static_cast<std::int64_t>(FileTime);
  if (diff < 0) diff = -diff;
  const std::int64_t span = diff / kDay;
  if (span <= Days) return false;
  return RemoveRegularFile(Path);
}

std::time_t HistoryFileTime(const std::string &Path) {
  // The creation time alone: a transcript copied back into the folder keeps
  // its old change time, but its age counts from when it came.
  const auto made = fileCreationTime(Path);
  return made ? std::chrono::system_clock::to_time_t(*made) : -1;
}

namespace {

// A code page may bring C1 controls (undefined bytes map to them) or the
// marks that reorder text (Hebrew and Arabic code pages hold LRM, RLM):
// in a file name they would hide or turn round what a listing shows.
std::string withoutHiddenControls(const std::string &Utf8) {
  std::string out;
  out.reserve(Utf8.size());
  for (std::size_t i = 0; i < Utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(Utf8[i]);
    if (c == 0xC2 && i + 1 < Utf8.size()) {
      const unsigned char n = static_cast<unsigned char>(Utf8[i + 1]);
      if (n >= 0x80 && n <= 0x9F) { // U+0080..U+009F
        ++i;
        continue;
      }
    }
    if (c == 0xD8 && i + 1 < Utf8.size() && static_cast<unsigned char>(Utf8[i + 1]) == 0x9C) { // U+061C
      ++i;
      continue;
    }
    if (c == 0xE2 && i + 2 < Utf8.size()) {
      const unsigned char n1 = static_cast<unsigned char>(Utf8[i + 1]), n2 = static_cast<unsigned char>(Utf8[i + 2]);
      const bool marks = n1 == 0x80 && (n2 == 0x8E || n2 == 0x8F || (n2 >= 0xAA && n2 <= 0xAE)); // U+200E/F, U+202A..E
      const bool isolates = n1 == 0x81 && n2 >= 0xA6 && n2 <= 0xA9;                              // U+2066..U+2069
      if (marks || isolates) {
        i += 2;
        continue;
      }
    }
    out += Utf8[i];
  }
  return out;
}

} // namespace

std::string SafeFileNamePart(std::string_view Text) {
  std::string ansi;
  ansi.reserve(Text.size());
  for (char c : Text) {
    const unsigned char u = static_cast<unsigned char>(c);
    ansi += (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) ? '_' : c;
  }
  std::size_t lead = 0;
  while (lead < ansi.size() && (ansi[lead] == '.' || ansi[lead] == ' ')) ++lead;
  ansi.erase(0, lead);
  std::string utf8 = cutUtf8(withoutHiddenControls(ansiToUtf8(ansi)), kMaxNamePart);
  // The conversion may bring back nothing unsafe; trailing blanks are cut so
  // that the parts join with exactly one blank.
  while (!utf8.empty() && utf8.back() == ' ') utf8.pop_back();
  if (utf8.empty()) utf8 = "_";
  return utf8;
}

std::string HistoryFileStem(std::string_view Base, std::string_view Date, std::string_view Time) {
  return SafeFileNamePart(Base) + " " + SafeFileNamePart(Date) + " " + SafeFileNamePart(Time);
}

std::vector<THistoryFileInfo> ListHistoryFiles(const std::string &Folder) {
  std::string base = Folder;
  if (!base.empty() && base.back() != '/') base += '/';
  std::vector<THistoryFileInfo> files;
  for (const FolderEntry &e : ListFolder(Folder)) {
    if (e.IsLink || e.Kind != PathKind::File || !IsHistoryFileName(e.Name)) continue;
    THistoryFileInfo f;
    f.Path = base + e.Name;
    const auto size = RegularFileSize(f.Path);
    if (!size) continue;
    f.Bytes = *size;
    f.Time = HistoryFileTime(f.Path);
    files.push_back(std::move(f));
  }
  std::sort(files.begin(), files.end(), [](const THistoryFileInfo &a, const THistoryFileInfo &b) {
    // Files of one second: their names carry the time too.
    return a.Time != b.Time ? a.Time < b.Time : a.Path < b.Path;
  });
  return files;
}

std::uint64_t TrimHistoryFolder(const std::string &Folder, std::uint64_t Target, const std::vector<std::string> &Keep,
                                int &Deleted) {
  Deleted = 0;
  const std::vector<THistoryFileInfo> files = ListHistoryFiles(Folder);
  std::uint64_t total = 0;
  for (const THistoryFileInfo &f : files) total += f.Bytes;
  for (const THistoryFileInfo &f : files) {
    if (total <= Target) break;
    if (std::find(Keep.begin(), Keep.end(), f.Path) != Keep.end()) continue;
    if (!RemoveRegularFile(f.Path)) continue;
    total -= f.Bytes;
    ++Deleted;
  }
  return total;
}

std::string WriteHistoryFile(const std::string &Folder, std::string_view Stem, std::string_view Ext,
                             std::string_view Data, std::string *Error) {
  std::string base = Folder;
  if (!base.empty() && base.back() != '/') base += '/';
  for (int n = 1; n <= kMaxNumberedNames; ++n) {
    std::string path = base + std::string(Stem);
    if (n > 1) path += " (" + std::to_string(n) + ")";
    path += Ext;
    switch (CreateNewFile(path, Data, Error)) {
    case CreateResult::Created: return path;
    case CreateResult::Exists: continue;
    case CreateResult::Failed: return {};
    }
  }
  if (Error) *Error = "Every numbered name is taken: " + base + std::string(Stem) + std::string(Ext);
  return {};
}

std::string HistoryDateText(const DateTime &Now) {
  std::tm tm{};
  tm.tm_year = Now.year - 1900;
  tm.tm_mon = Now.month - 1;
  tm.tm_mday = Now.day;
  tm.tm_wday = Now.dayOfWeek;
  char buf[64];
  const std::size_t n = std::strftime(buf, sizeof buf, "%x", &tm);
  return std::string(buf, n);
}

std::string HistoryTimeText(const DateTime &Now) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%02d", Now.hour % 100, Now.minute % 100, Now.second % 100);
  return buf;
}

} // namespace kc
