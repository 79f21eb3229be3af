#pragma once
// Whole-file reading and writing for setting up and checking test files
// (binary, no conversion). A file that cannot be read reads as empty.
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace kctest {

inline std::string readFile(const std::string &Path) {
  std::ifstream in(Path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void writeFile(const std::string &Path, std::string_view Data) {
  std::ofstream out(Path, std::ios::binary);
  out << Data;
}

} // namespace kctest
