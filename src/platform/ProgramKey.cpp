#include "platform/ProgramKey.h"

#include <algorithm>

#include "platform/AsciiCase.h"
#include "platform/Paths.h"

namespace kc {

namespace {

// Appends the non-empty parts of a backslash path to parts.
void splitKey(std::string_view path, std::vector<std::string_view> &parts) {
  while (!path.empty()) {
    size_t cut = path.find('\\');
    std::string_view part = path.substr(0, cut);
    if (!part.empty()) parts.push_back(part);
    if (cut == std::string_view::npos) break;
    path.remove_prefix(cut + 1);
  }
}

// The part of a section name below the key whose section is prefix, or
// nothing when the section is not below it.
bool below(std::string_view name, const std::string &prefix, std::string_view &rest) {
  if (prefix.empty()) {
    if (name.empty() || name.front() == '\\') return false;
    rest = name;
    return true;
  }
  if (name.size() <= prefix.size() + 1 || name[prefix.size()] != '\\' ||
      !asciiEqualNoCase(name.substr(0, prefix.size()), prefix))
    return false;
  rest = name.substr(prefix.size() + 1);
  return true;
}

} // namespace

std::string programKeyFile() { return configHome() + "Dornick/Kavet Chat.ini"; }

std::shared_ptr<IniStore> programKeyStore() { return IniStore::open(programKeyFile()); }

std::string keySection(std::string_view keyText, std::string_view subkey) {
  std::vector<std::string_view> parts;
  splitKey(keyText, parts);
  // The current user's root may be named in front; it is the only root kept.
  if (!parts.empty() &&
      (asciiEqualNoCase(parts.front(), "HKEY_CURRENT_USER") || asciiEqualNoCase(parts.front(), "HKCU")))
    parts.erase(parts.begin());
  splitKey(subkey, parts);

  std::vector<std::string_view> program;
  splitKey(kProgramKey, program);
  bool inside =
      parts.size() >= program.size() && std::equal(program.begin(), program.end(), parts.begin(), asciiEqualNoCase);

  std::string r;
  for (size_t i = inside ? program.size() : 0; i < parts.size(); ++i) {
    if (!inside || !r.empty()) r += '\\';
    r += parts[i];
  }
  if (!inside && r.empty()) r.push_back('\\'); // the root of the current user itself
  return r;
}

RegistryIni::RegistryIni(std::string_view keyText) : key_(keySection(keyText)), store_(programKeyStore()) {}

std::string RegistryIni::sectionOf(std::string_view subkey) const {
  std::vector<std::string_view> parts;
  splitKey(subkey, parts);
  std::string r = key_;
  for (std::string_view p : parts) {
    if (!r.empty() && r.back() != '\\') r += '\\';
    r += p;
  }
  return r;
}

std::string RegistryIni::readString(std::string_view section, std::string_view ident, std::string_view def) const {
  return store_->readString(sectionOf(section), ident, def);
}

int RegistryIni::readInteger(std::string_view section, std::string_view ident, int def) const {
  return store_->readInteger(sectionOf(section), ident, def);
}

bool RegistryIni::readBool(std::string_view section, std::string_view ident, bool def) const {
  return store_->readBool(sectionOf(section), ident, def);
}

void RegistryIni::writeString(std::string_view section, std::string_view ident, std::string_view value) {
  store_->writeString(sectionOf(section), ident, value);
}

void RegistryIni::writeInteger(std::string_view section, std::string_view ident, int value) {
  store_->writeInteger(sectionOf(section), ident, value);
}

void RegistryIni::writeBool(std::string_view section, std::string_view ident, bool value) {
  store_->writeBool(sectionOf(section), ident, value);
}

bool RegistryIni::sectionExists(std::string_view section) const {
  const std::string name = sectionOf(section);
  if (store_->sectionExists(name)) return true;
  // A key exists as well when only keys below it hold values.
  std::string_view rest;
  for (const std::string &s : store_->sections())
    if (below(s, name, rest)) return true;
  return false;
}

bool RegistryIni::valueExists(std::string_view section, std::string_view ident) const {
  return store_->valueExists(sectionOf(section), ident);
}

std::vector<std::string> RegistryIni::sections() const {
  std::vector<std::string> r;
  std::string_view rest;
  for (const std::string &s : store_->sections()) {
    if (!below(s, key_, rest)) continue;
    std::string_view child = rest.substr(0, rest.find('\\'));
    bool known = std::any_of(r.begin(), r.end(), [&](const std::string &x) { return asciiEqualNoCase(x, child); });
    if (!known) r.emplace_back(child);
  }
  return r;
}

std::vector<std::string> RegistryIni::idents(std::string_view section) const {
  return store_->idents(sectionOf(section));
}

void RegistryIni::eraseSection(std::string_view section) {
  const std::string name = sectionOf(section);
  std::string_view rest;
  for (const std::string &s : store_->sections())
    if (below(s, name, rest)) store_->eraseSection(s);
  store_->eraseSection(name);
}

void RegistryIni::deleteKey(std::string_view section, std::string_view ident) {
  store_->deleteKey(sectionOf(section), ident);
}

bool RegistryIni::flush() { return store_->flush(); }

} // namespace kc
