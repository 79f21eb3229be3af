// Any file content must load without harm, and what was loaded must come
// back unchanged after the store writes the file itself.
#include "platform/IniStore.h"
#include "FuzzFolder.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using Snapshot = std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>>;

Snapshot snapshot(const kc::IniStore &ini) {
  Snapshot s;
  s.emplace_back("", ini.values(""));
  for (const std::string &name : ini.sections()) s.emplace_back(name, ini.values(name));
  return s;
}

const std::string &filePath() {
  static const kcfuzz::Folder folder("kc-fuzz-ini");
  static const std::string path = folder.path() + "/f.ini";
  return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string &path = filePath();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
  }
  Snapshot before;
  {
    auto ini = kc::IniStore::open(path);
    before = snapshot(*ini);
    for (const auto &[section, values] : before)
      for (const auto &[ident, value] : values) {
        (void)ini->readInteger(section, ident, 7);
        if (ini->readString(section, ident) != value) std::abort();
      }
    // Force a rewrite of the file by the store, through a section of its own.
    std::string mine = "fuzz";
    while (ini->sectionExists(mine)) mine += '_';
    ini->writeString(mine, "x", "1");
    ini->deleteKey(mine, "x");
    if (!ini->sectionExists(mine) || !ini->flush()) std::abort();
    ini->eraseSection(mine);
    if (!ini->flush()) std::abort();
  }
  auto again = kc::IniStore::open(path);
  if (snapshot(*again) != before) std::abort();
  return 0;
}
