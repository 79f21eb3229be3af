#include "core/LngUn.h"

#include <algorithm>

#include "core/ConstUnit.h"
#include "platform/AsciiCase.h"
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/Folders.h"

namespace kc {

namespace {

// Language files are small; anything beyond this is not one.
constexpr std::uint64_t kMaxLanguageFile = 4u << 20;

std::string lowered(std::string_view s) { return asciiLowered(s); }

std::string uppered(std::string_view s) { return asciiUppered(s); }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The table of built-in texts, in the order of the language sections.
constexpr TMessageTextEntry kMessageTexts[] = {
    {"ErrorWhenSend", "Excuse. A mistake at sending the message, probably the text of the message is too great."},
    {"ErrorPortAbort", "Excuse. A mistake at connection to port. Please address to the help "
                       "information of program Kavet Chat."},
    {"fmAboutCaption", "About Kavet Chat v. 1.1"},
    {"fmUserListCaption", "User list"},
    {"UserProfileForm", "User profile"},
    {"fmProfile1", "Summary data"},
    {"fmProfile2", "Basic data"},
    {"fmProfile3", "Home"},
    {"fmProfile4", "Work"},
    {"fmProfile5", "Personal"},
    {"btnOkCaption", "&OK"},
    {"btnCancelCaption", "&Cancel"},
    {"btnApplyCaption", "&Apply"},
    {"fmErrorbtnOk", "&OK"},
    {"fmErrorbtnMail", "&Mail>"},
    {"Description", "Description:"},
    {"fmErrorstText", "Excuse for the inconveniences, not documentary mistake of Kavet Chat. Please, write us the "
                      "letter, with the detailed description of a mistake. We shall try to correct a mistake as "
                      "soon as possible. Thank for your cooperation!"},
    {"fmUserListGbMainCaption", "Main group"},
    {"actDeactiveUserCaption", "Deactive"},
    {"actActiveUserCaption", "Activate"},
    {"actAddToBadListCaption", "Add to bad list"},
    {"tbMoveToGroupCaption", "Move to group"},
    {"gbBadListCaption", "Bad list"},
    {"actCreateNewGroupCaption", "Create new group"},
    {"actRenameGroupBoxCaption", "Rename group"},
    {"actDeleteGroupBoxCaption", "Delete group"},
    {"UnCollapsedCaption", "Uncollapse group"},
    {"CollapsedCaption", "Collapse group"},
    {"ConnectUser", "User \"%s\" is connect..."},
    {"DisconnectUser", "User \"%s\" is disconnect..."},
    {"MessageFromUser", "Message from \"%s\"..."},
    {"fmInformationCaption", "Confirmation"},
    {"FileNameStoryPrefix", "%s and %s"},
    {"miDisconnectAnsweringMachine", "Disconnect Auto-Reply"},
    {"NotInsertManyAnimationText", "In consequence of economy of resources it is not authorized "
                                   "to add more than %s animations in the text of the message."},
    {"ProfileShortened", "Your profile is too long to be announced whole; shortened: %s"},
};

std::map<std::string, std::string, std::less<>> &currentTexts() {
  static std::map<std::string, std::string, std::less<>> texts = [] {
    std::map<std::string, std::string, std::less<>> m;
    for (const TMessageTextEntry &e : kMessageTexts) m.emplace(e.Name, e.Default);
    return m;
  }();
  return texts;
}

} // namespace

TLanguageFile::TLanguageFile(const std::string &Path) {
  // Only regular files: opening a pipe left in the folder would wait for ever.
  if (KindOfPath(Path) != PathKind::File) return;
  std::string data;
  if (!ReadWholeFile(Path, data, nullptr, kMaxLanguageFile)) return;
  FLoaded = true;
  if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) data.erase(0, 3);
  std::map<std::string, std::string> *section = nullptr;
  std::size_t pos = 0;
  while (pos < data.size()) {
    std::size_t end = data.find('\n', pos);
    if (end == std::string::npos) end = data.size();
    std::string_view line = trimmed(std::string_view(data).substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      section = close == std::string_view::npos ? nullptr : &FSections[lowered(trimmed(line.substr(1, close - 1)))];
      continue;
    }
    const std::size_t eq = line.find('=');
    if (!section || eq == std::string_view::npos) continue;
    std::string_view value = trimmed(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    section->emplace(lowered(trimmed(line.substr(0, eq))), std::string(value));
  }
}

std::string TLanguageFile::ReadString(std::string_view Section, std::string_view Ident,
                                      std::string_view Default) const {
  const auto s = FSections.find(lowered(Section));
  if (s != FSections.end()) {
    const auto v = s->second.find(lowered(Ident));
    if (v != s->second.end()) return v->second;
  }
  return std::string(Default);
}

TLanguageMenuItem TLanguageMenuList::ItemAt(int Index) const {
  if (Index < 0 || Index >= Count()) return {};
  return FItems[static_cast<std::size_t>(Index)];
}

void TLanguageMenuList::Delete(int Index) {
  if (Index >= 0 && Index < Count()) FItems.erase(FItems.begin() + Index);
}

void TLanguageMenuList::SetChecked(int Index, bool Checked) {
  if (Index >= 0 && Index < Count()) FItems[static_cast<std::size_t>(Index)].Checked = Checked;
}

void FillLanguageMenu(const std::string &Folder, ILanguageMenu &Submenu) {
  if (KindOfPath(Folder) != PathKind::Folder) return;
  std::vector<std::string> names;
  for (const FolderEntry &e : ListFolder(Folder))
    if (e.Kind != PathKind::Folder) names.push_back(e.Name);
  // The order in which the Windows file system lists a folder: by the
  // names in capitals, so that "deutsch.lng" comes before "English.lng".
  std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
    const std::string ua = uppered(a), ub = uppered(b);
    return ua != ub ? ua < ub : a < b;
  });
  std::string base = Folder;
  if (!base.empty() && base.back() != '/') base += '/';
  for (const std::string &n : names) AddLanguageItem(base + n, Submenu);
}

void AddLanguageItem(const std::string &Path, ILanguageMenu &Submenu) {
  const std::size_t slash = Path.find_last_of('/');
  const std::string fileName = slash == std::string::npos ? Path : Path.substr(slash + 1);
  const TLanguageFile file(Path);
  TLanguageMenuItem item;
  // File names are UTF-8 here; captions are texts of the ANSI code page.
  item.Caption = file.ReadString("LNG", "LanguageName", utf8ToAnsi(fileName));
  item.Hint = Path;
  Submenu.Add(item);
}

std::string MessageText(std::string_view Name) {
  const auto &texts = currentTexts();
  const auto it = texts.find(Name);
  return it == texts.end() ? std::string() : it->second;
}

void SetMessageText(std::string_view Name, std::string_view Text) {
  auto &texts = currentTexts();
  const auto it = texts.find(Name);
  if (it != texts.end()) it->second.assign(Text);
}

std::span<const TMessageTextEntry> BuiltInMessageTexts() { return kMessageTexts; }

void ResetMessageTexts() {
  for (const TMessageTextEntry &e : kMessageTexts) SetMessageText(e.Name, e.Default);
}

void ApplyLanguageTexts(const TLanguageFile &File) {
  for (const TMessageTextEntry &e : kMessageTexts)
    SetMessageText(e.Name, File.ReadString(e.Name, "Caption", e.Default));
}

} // namespace kc
