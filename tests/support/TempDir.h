#pragma once
// A fresh folder under the system temporary folder, removed with everything
// in it when the object goes. Tests that touch files each take one.
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace kctest {

class TempDir {
public:
  explicit TempDir(const std::string &Prefix = "kc-test") {
    std::string tmpl = (std::filesystem::temp_directory_path() / (Prefix + "-XXXXXX")).string();
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("cannot make a temporary folder");
    path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  const std::filesystem::path &path() const { return path_; }
  // Path of a file or folder inside, as a string.
  std::string file(const std::string &Name) const { return (path_ / Name).string(); }

private:
  std::filesystem::path path_;
};

} // namespace kctest
