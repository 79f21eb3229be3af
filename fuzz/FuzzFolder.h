#pragma once
// A private folder for the files a fuzzing run needs, removed with all in it
// when the run ends (a clean libFuzzer run ends through exit(), which runs
// the destructors of statics; after a crash it stays for a look).
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

namespace kcfuzz {

class Folder {
public:
  explicit Folder(const std::string &Prefix) {
    std::string tmpl = (std::filesystem::temp_directory_path() / (Prefix + "-XXXXXX")).string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    path_ = tmpl;
  }
  ~Folder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  Folder(const Folder &) = delete;
  Folder &operator=(const Folder &) = delete;

  const std::string &path() const { return path_; }

private:
  std::string path_;
};

} // namespace kcfuzz
