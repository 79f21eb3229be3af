#include "platform/Files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kc {

namespace {

void setError(std::string *Error, const std::string &What, const std::string &Path, int Err) {
  if (Error) *Error = What + " \"" + Path + "\": " + std::strerror(Err);
}

bool writeAll(int Fd, std::string_view Data) {
  std::size_t done = 0;
  while (done < Data.size()) {
    const ssize_t w = ::write(Fd, Data.data() + done, Data.size() - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(w);
  }
  return true;
}

} // namespace

bool ReadWholeFile(const std::string &Path, std::string &Out, std::string *Error, std::uint64_t Limit) {
  Out.clear();
  const int fd = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    setError(Error, "Cannot open file", Path, errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    setError(Error, "Cannot read file", Path, S_ISDIR(st.st_mode) ? EISDIR : errno);
    ::close(fd);
    return false;
  }
  if (S_ISREG(st.st_mode) && std::uint64_t(st.st_size) > Limit) {
    setError(Error, "File is too large", Path, EFBIG);
    ::close(fd);
    return false;
  }
  if (S_ISREG(st.st_mode)) Out.reserve(std::size_t(st.st_size));
  char buf[65536];
  for (;;) {
    const ssize_t r = ::read(fd, buf, sizeof buf);
    if (r < 0) {
      if (errno == EINTR) continue;
      setError(Error, "Cannot read file", Path, errno);
      Out.clear();
      ::close(fd);
      return false;
    }
    if (r == 0) break;
    // Files that grow while read (or special files) are held to the limit too.
    if (Out.size() + std::size_t(r) > Limit) {
      setError(Error, "File is too large", Path, EFBIG);
      Out.clear();
      ::close(fd);
      return false;
    }
    Out.append(buf, std::size_t(r));
  }
  ::close(fd);
  return true;
}

namespace {

// Writes Data whole and durably into a new temporary file beside Path, with
// Mode; its name, empty on failure (Error then says why).
std::string writeTempBeside(const std::string &Path, std::string_view Data, mode_t Mode, std::string *Error) {
  namespace fs = std::filesystem;
  const fs::path target(Path);
  std::string tmpl = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) {
    setError(Error, "Cannot create file", Path, errno);
    return {};
  }
  const std::string tmp(name.data());
  ::fchmod(fd, Mode);
  bool ok = writeAll(fd, Data) && ::fsync(fd) == 0;
  int err = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(tmp.c_str());
    setError(Error, "Cannot write file", Path, err);
    return {};
  }
  return tmp;
}

// Makes a new name in Path's folder durable.
void syncFolderOf(const std::string &Path) {
  const std::filesystem::path dir = std::filesystem::path(Path).parent_path();
  const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

} // namespace

bool WriteFileAtomically(const std::string &Path, std::string_view Data, std::string *Error) {
  struct stat st {};
  const mode_t mode = ::stat(Path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
  const std::string tmp = writeTempBeside(Path, Data, mode, Error);
  if (tmp.empty()) return false;
  if (::rename(tmp.c_str(), Path.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    setError(Error, "Cannot write file", Path, err);
    return false;
  }
  syncFolderOf(Path);
  return true;
}

CreateResult CreateNewFile(const std::string &Path, std::string_view Data, std::string *Error) {
  // Written whole under a temporary name first and then linked to its own
  // name, which fails when that is taken: a crash never leaves half a file
  // under the name, and nothing existing is replaced or followed.
  const std::string tmp = writeTempBeside(Path, Data, 0644, Error);
  if (tmp.empty()) return CreateResult::Failed;
  const bool linked = ::link(tmp.c_str(), Path.c_str()) == 0;
  const int err = errno;
  ::unlink(tmp.c_str());
  if (!linked) {
    if (err == EEXIST) return CreateResult::Exists;
    setError(Error, "Cannot create file", Path, err);
    return CreateResult::Failed;
  }
  syncFolderOf(Path);
  return CreateResult::Created;
}

bool AppendToFile(const std::string &Path, std::string_view Data, std::string *Error) {
  const int fd = ::open(Path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    setError(Error, "Cannot open file", Path, errno);
    return false;
  }
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && writeAll(fd, Data);
  int err = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok) setError(Error, "Cannot append to file", Path, err);
  return ok;
}

bool FileExists(const std::string &Path) {
  struct stat st {};
  return ::stat(Path.c_str(), &st) == 0;
}

bool IsWritableFile(const std::string &Path) { return ::access(Path.c_str(), W_OK) == 0; }

bool RemoveRegularFile(const std::string &Path) {
  struct stat st {};
  if (::lstat(Path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return ::unlink(Path.c_str()) == 0;
}

} // namespace kc
