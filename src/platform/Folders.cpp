#include "platform/Folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace kc {

namespace {

PathKind kindOf(const struct stat &St) {
  if (S_ISREG(St.st_mode)) return PathKind::File;
  if (S_ISDIR(St.st_mode)) return PathKind::Folder;
  return PathKind::Other;
}

} // namespace

PathKind KindOfPath(const std::string &Path) {
  struct stat st {};
  if (Path.empty() || ::stat(Path.c_str(), &st) != 0) return PathKind::Missing;
  return kindOf(st);
}

std::vector<FolderEntry> ListFolder(const std::string &Folder) {
  std::vector<FolderEntry> entries;
  if (Folder.empty()) return entries;
  const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(Folder.c_str()), ::closedir);
  if (!dir) return entries;
  const int fd = ::dirfd(dir.get());
  while (const dirent *e = ::readdir(dir.get())) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    FolderEntry entry{name, PathKind::Missing, false};
    struct stat st {};
    // Both asked relative to the open folder, so that a folder renamed
    // meanwhile cannot make an entry name something else.
    if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
      entry.IsLink = S_ISLNK(st.st_mode);
      if (!entry.IsLink) entry.Kind = kindOf(st);
      else if (::fstatat(fd, name.c_str(), &st, 0) == 0) entry.Kind = kindOf(st);
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

namespace {

std::function<std::optional<std::uint64_t>(const std::string &)> &freeSpaceOverride() {
  static std::function<std::optional<std::uint64_t>(const std::string &)> f;
  return f;
}

} // namespace

std::optional<std::uint64_t> RegularFileSize(const std::string &Path) {
  struct stat st {};
  if (Path.empty() || ::lstat(Path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

std::optional<std::uint64_t> FreeSpaceOf(const std::string &Path) {
  if (freeSpaceOverride()) return freeSpaceOverride()(Path);
  struct statvfs st {};
  if (Path.empty() || ::statvfs(Path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.f_bavail) * static_cast<std::uint64_t>(st.f_frsize);
}

void SetFreeSpaceOverride(std::function<std::optional<std::uint64_t>(const std::string &)> Override) {
  freeSpaceOverride() = std::move(Override);
}

} // namespace kc
