#include "platform/FileCopy.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace kc {

namespace {

FileCopySink &sink() {
  static FileCopySink s;
  return s;
}

// The reason of the last failure, for the move's fallback to a copy.
thread_local int g_lastErrno = 0;

FileCopyResult fail(std::string *Error, const std::string &What, int Errno) {
  g_lastErrno = Errno;
  if (Error) *Error = What + ": " + std::strerror(Errno);
  return FileCopyResult::Failed;
}

// Closes the descriptor and removes the temporary file unless released.
struct TempFile {
  int fd = -1;
  std::string path;
  ~TempFile() {
    if (fd >= 0) ::close(fd);
    if (!path.empty()) ::unlink(path.c_str());
  }
};

bool writeAll(int Fd, const char *Data, std::size_t Size) {
  while (Size > 0) {
    const ssize_t n = ::write(Fd, Data, Size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    Data += n;
    Size -= std::size_t(n);
  }
  return true;
}

// Puts From at To: over it with Replace, else only when To is free.
FileCopyResult renameInto(const std::string &From, const std::string &To, bool Replace, std::string *Error) {
  if (Replace) {
    if (::rename(From.c_str(), To.c_str()) == 0) return FileCopyResult::Done;
    return fail(Error, To, errno);
  }
  if (::renameat2(AT_FDCWD, From.c_str(), AT_FDCWD, To.c_str(), RENAME_NOREPLACE) == 0) return FileCopyResult::Done;
  if (errno == EEXIST) return FileCopyResult::Exists;
  if (errno != EINVAL && errno != ENOSYS) return fail(Error, To, errno);
  // File systems without the flag: a hard link never replaces either.
  if (::link(From.c_str(), To.c_str()) == 0) {
    ::unlink(From.c_str());
    return FileCopyResult::Done;
  }
  if (errno == EEXIST) return FileCopyResult::Exists;
  return fail(Error, To, errno);
}

FileCopyResult copyFile(const std::string &Source, const std::string &Target, bool Replace, std::string *Error) {
  const int in = ::open(Source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return fail(Error, Source, errno);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closeIn{in};
  struct stat st {};
  if (::fstat(in, &st) != 0) return fail(Error, Source, errno);
  if (!S_ISREG(st.st_mode)) return fail(Error, Source, EINVAL);
  if (!Replace && ::access(Target.c_str(), F_OK) == 0) return FileCopyResult::Exists;

  TempFile tmp;
  std::string pattern = Target + ".XXXXXX";
  tmp.fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (tmp.fd < 0) return fail(Error, Target, errno);
  tmp.path = pattern;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(Error, Source, errno);
    }
    if (!writeAll(tmp.fd, buffer, std::size_t(n))) return fail(Error, Target, errno);
  }
  if (::fchmod(tmp.fd, st.st_mode & 07777) != 0 || ::fsync(tmp.fd) != 0) return fail(Error, Target, errno);
  const int fd = std::exchange(tmp.fd, -1);
  if (::close(fd) != 0) return fail(Error, Target, errno);
  const FileCopyResult r = renameInto(tmp.path, Target, Replace, Error);
  if (r == FileCopyResult::Done) tmp.path.clear();
  return r;
}

FileCopyResult moveFile(const std::string &Source, const std::string &Target, bool Replace, std::string *Error) {
  struct stat st {};
  if (::lstat(Source.c_str(), &st) != 0) return fail(Error, Source, errno);
  if (!S_ISREG(st.st_mode)) return fail(Error, Source, EINVAL);
  std::string why;
  const FileCopyResult r = renameInto(Source, Target, Replace, &why);
  if (r != FileCopyResult::Failed || g_lastErrno != EXDEV) {
    if (Error) *Error = why;
    return r;
  }
  // Another file system: the source goes only once the copy is whole.
  const FileCopyResult c = copyFile(Source, Target, Replace, Error);
  if (c != FileCopyResult::Done) return c;
  if (::unlink(Source.c_str()) != 0) return fail(Error, Source, errno);
  return FileCopyResult::Done;
}

} // namespace

FileCopyResult CopyFileTo(const std::string &Source, const std::string &Target, bool Replace, std::string *Error) {
  if (sink()) return sink()(FileCopyKind::Copy, Source, Target, Replace);
  return copyFile(Source, Target, Replace, Error);
}

FileCopyResult MoveFileTo(const std::string &Source, const std::string &Target, bool Replace, std::string *Error) {
  if (sink()) return sink()(FileCopyKind::Move, Source, Target, Replace);
  return moveFile(Source, Target, Replace, Error);
}

void SetFileCopySink(FileCopySink Sink) { sink() = std::move(Sink); }

} // namespace kc
