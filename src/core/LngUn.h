#pragma once
// Language files and the built-in message texts they can replace.
//
// A language file is an ini file in the language folder; [LNG] LanguageName
// names the language, every other section holds the texts of one component
// or message (idents "Caption", "Hint"). Texts are 8-bit, in the ANSI code
// page, and are kept byte for byte.
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kc {

// A plain ini reader for language files: "[Section]" lines and
// "Ident=Value" lines; sections and idents match case-insensitively, the first
// occurrence wins, blanks around idents and values and one pair of enclosing
// quotes are dropped. A file that cannot be read reads as empty.
class TLanguageFile {
public:
  explicit TLanguageFile(const std::string &Path);
  std::string ReadString(std::string_view Section, std::string_view Ident, std::string_view Default) const;
  bool Loaded() const { return FLoaded; }

private:
  bool FLoaded = false;
  std::map<std::string, std::map<std::string, std::string>> FSections; // lowered names
};

// One item of the language submenu: Caption = the language's name, Hint =
// the file's full path.
struct TLanguageMenuItem {
  std::string Caption;
  std::string Hint;
  bool Checked = false;
};

// The language submenu as the language store sees it (the toolbar items of
// the chat windows stand behind it; the click handler is theirs).
class ILanguageMenu {
public:
  virtual ~ILanguageMenu() = default;
  virtual int Count() const = 0;
  virtual TLanguageMenuItem ItemAt(int Index) const = 0;
  virtual void Add(const TLanguageMenuItem &Item) = 0;
  virtual void Delete(int Index) = 0;
  virtual void SetChecked(int Index, bool Checked) = 0;
};

// A language submenu without a window: a list of items.
class TLanguageMenuList : public ILanguageMenu {
public:
  int Count() const override { return static_cast<int>(FItems.size()); }
  TLanguageMenuItem ItemAt(int Index) const override;
  void Add(const TLanguageMenuItem &Item) override { FItems.push_back(Item); }
  void Delete(int Index) override;
  void SetChecked(int Index, bool Checked) override;

private:
  std::vector<TLanguageMenuItem> FItems;
};

// Adds one item per file of Folder (directories left out), in the order of
// the names in capitals.
void FillLanguageMenu(const std::string &Folder, ILanguageMenu &Submenu);
// Adds the item of one file: caption = [LNG] LanguageName, else the file name.
void AddLanguageItem(const std::string &Path, ILanguageMenu &Submenu);

// The built-in message texts: program-wide, replaced by ApplyLanguageTexts.
// Name is the language section (ident "Caption"); an unknown name gives "".
struct TMessageTextEntry {
  const char *Name;
  const char *Default;
};
// The table of built-in texts with their English defaults, in the order of
// the language sections.
std::span<const TMessageTextEntry> BuiltInMessageTexts();
std::string MessageText(std::string_view Name);
void SetMessageText(std::string_view Name, std::string_view Text);
// Every text back to its English default.
void ResetMessageTexts();
// Sets every message text from the file, the English default where the file
// has none (an empty file resets all of them).
void ApplyLanguageTexts(const TLanguageFile &File);

// Names of the texts the messaging core shows.
namespace msgtext {
inline constexpr std::string_view ErrorWhenSend = "ErrorWhenSend";
inline constexpr std::string_view ErrorPortAbort = "ErrorPortAbort";
inline constexpr std::string_view ConnectUser = "ConnectUser";
inline constexpr std::string_view DisconnectUser = "DisconnectUser";
inline constexpr std::string_view MessageFromUser = "MessageFromUser";
inline constexpr std::string_view FileNameStoryPrefix = "FileNameStoryPrefix";
inline constexpr std::string_view ProfileShortened = "ProfileShortened";
} // namespace msgtext

} // namespace kc
