#pragma once
// The per-user registry key of the program, kept as an ini file.
//
// The key "Software\Dornick\Kavet Chat" of the current user is the file
// configHome() + "Dornick/Kavet Chat.ini". A subkey of the program key is a
// section; a nested subkey is a section named by its backslash path
// ("TBPAP\Standard"); values of the key itself sit in the unnamed section.
// Keys of the current user outside the program key are kept in the same file,
// in sections named by their full path after a leading backslash, so that
// they never meet a subkey of the program key.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/IniStore.h"

namespace kc {

inline constexpr std::string_view kProgramKey = "Software\\Dornick\\Kavet Chat";

// Path of the file that holds the program key (read at call time).
std::string programKeyFile();

// The shared store of the program key. The file is read when no handle is
// open and written when the last handle goes (or on flush()).
std::shared_ptr<IniStore> programKeyStore();

// Section of the store that stands for the registry key keyText (relative to
// the current user's root, as the registry wrappers take it) followed by the
// subkey path. Backslashes around and doubled inside the parts are dropped,
// and so is a leading "HKEY_CURRENT_USER" (or "HKCU").
//   ("Software\Dornick\Kavet Chat", "")           -> ""
//   ("Software\Dornick\Kavet Chat", "LNGName")    -> "LNGName"
//   ("Software\Dornick\Kavet Chat\TBPAP", "Main") -> "TBPAP\Main"
//   ("Software\Other", "x")                        -> "\Software\Other\x"
std::string keySection(std::string_view keyText, std::string_view subkey = {});

// What the ini-style registry wrappers offer, on one key: a section is a
// subkey of that key, an ident a value name. Opening one is cheap; it holds
// the shared store while it lives.
class RegistryIni {
public:
  explicit RegistryIni(std::string_view keyText);

  std::string readString(std::string_view section, std::string_view ident, std::string_view def = {}) const;
  int readInteger(std::string_view section, std::string_view ident, int def = 0) const;
  bool readBool(std::string_view section, std::string_view ident, bool def = false) const;
  void writeString(std::string_view section, std::string_view ident, std::string_view value);
  void writeInteger(std::string_view section, std::string_view ident, int value);
  void writeBool(std::string_view section, std::string_view ident, bool value);

  bool sectionExists(std::string_view section) const;
  bool valueExists(std::string_view section, std::string_view ident) const;
  // The direct subkeys of the key, in the order they were first written.
  std::vector<std::string> sections() const;
  std::vector<std::string> idents(std::string_view section) const;
  // Erases the subkey with everything below it.
  void eraseSection(std::string_view section);
  void deleteKey(std::string_view section, std::string_view ident);

  bool flush();
  IniStore &store() const { return *store_; }

private:
  std::string sectionOf(std::string_view subkey) const;

  std::string key_;
  std::shared_ptr<IniStore> store_;
};

} // namespace kc
