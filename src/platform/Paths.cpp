#include "platform/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef KC_INSTALL_PREFIX
#define KC_INSTALL_PREFIX "/usr/local"
#endif

namespace fs = std::filesystem;

namespace kc {

namespace {

std::string env(const char *name) {
  const char *v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string withSlash(std::string p) {
  if (!p.empty() && p.back() != '/') p += '/';
  return p;
}

// XDG variables count only when they hold an absolute path.
std::string xdgFolder(const char *name, const char *fallbackBelowHome) {
  std::string v = env(name);
  if (!v.empty() && v.front() == '/') return withSlash(v);
  return homeFolder() + fallbackBelowHome;
}

std::string slashes(std::string_view relative) {
  std::string r(relative);
  for (char &c : r)
    if (c == '\\') c = '/';
  while (!r.empty() && r.front() == '/') r.erase(r.begin());
  return r;
}

// A folder only this user can enter: a real folder (not a link), ours, no
// access bits for group or others.
bool isPrivateFolder(const std::string &path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

} // namespace

std::string homeFolder() {
  std::string home = env("HOME");
  if (home.empty()) {
    if (const passwd *pw = ::getpwuid(::getuid()); pw && pw->pw_dir) home = pw->pw_dir;
  }
  if (home.empty()) home = "/";
  return withSlash(home);
}

std::string configHome() { return xdgFolder("XDG_CONFIG_HOME", ".config/"); }

std::string dataHome() { return xdgFolder("XDG_DATA_HOME", ".local/share/"); }

std::string executableFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return {};
  return withSlash(exe.parent_path().string());
}

std::string resourcePath(std::string_view relative) {
  const std::string rel = slashes(relative);
  std::vector<std::string> candidates;
  if (std::string over = env("KAVET_RESOURCE_DIR"); !over.empty()) {
    candidates.push_back(withSlash(over));
  } else {
    if (std::string exe = executableFolder(); !exe.empty()) {
      candidates.push_back(exe);
      candidates.push_back(
          withSlash((fs::path(exe).parent_path().parent_path() / "share/kavet-chat").lexically_normal().string()));
    }
    candidates.push_back(withSlash(KC_INSTALL_PREFIX "/share/kavet-chat"));
  }
  std::string chosen;
  std::error_code ec;
  for (const std::string &c : candidates) {
    chosen = c + rel;
    if (fs::exists(chosen, ec)) break;
  }
  if (fs::is_directory(chosen, ec)) chosen = withSlash(chosen);
  return chosen;
}

std::string userDataFolder() { return dataHome() + "kavet-chat/"; }

std::string historyFolder() { return userDataFolder() + "History/"; }

std::string runtimeFolder() {
  std::string xdg = env("XDG_RUNTIME_DIR");
  if (!xdg.empty() && xdg.front() == '/' && isPrivateFolder(xdg)) return withSlash(xdg);

  std::string fallback = "/tmp/kavet-chat-" + std::to_string(::getuid());
  if (::mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST) return {};
  struct stat st {};
  if (::lstat(fallback.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return {};
  // Ours but too open (an old umask, a hand-made folder): close it.
  if ((st.st_mode & 077) != 0 && ::chmod(fallback.c_str(), 0700) != 0) return {};
  return isPrivateFolder(fallback) ? withSlash(fallback) : std::string();
}

bool ensureFolder(const std::string &path) {
  if (path.empty()) return false;
  std::error_code ec;
  fs::create_directories(path, ec);
  return fs::is_directory(path, ec);
}

} // namespace kc
