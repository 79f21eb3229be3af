#include "core/GroupBoxStorageUn.h"

#include <climits>
#include <exception>
#include <mutex>
#include <unordered_map>

#include "core/ConstUnit.h"
#include "core/ProtocolClassUn.h"
#include "platform/AsciiCase.h"
#include "platform/ProgramKey.h"

namespace kc {

namespace {

constexpr std::string_view kTagIdent = "TagNumber_Value";
constexpr std::string_view kCollapseIdent = "Collapse_Value";
constexpr std::string_view kCaptionIdent = "Caption_Value";
constexpr std::string_view kGroupIDIdent = "GroupID";

constexpr std::string_view kUserMark = "UserGroup_";
constexpr std::string_view kUserGroupIdent = "GroupNomber";

std::string userSection(std::string_view UserID) { return std::string(UserID) + std::string(kUserMark); }

// Every user's stored group, read from the store once and again only after
// the store changed: each newcomer looks his up, and a flood of them must
// not read the whole settings file once each.
class TUserGroupCache {
public:
  std::int32_t Find(std::string_view Key, std::string_view UserID) {
    std::lock_guard lock(FMutex);
    const std::string file = programKeyFile();
    const IniStore::Version version = IniStore::versionOf(file);
    if (!FRead || file != FFile || !(version == FVersion)) {
      Read();
      // The version from before the reading: a change meanwhile reads again.
      FFile = file;
      FVersion = version;
      FRead = true;
    }
    const auto it = FTags.find(asciiLowered(keySection(Key, userSection(UserID))));
    return it == FTags.end() ? -1 : it->second;
  }

private:
  // Keyed by the store's own section names (lowered, as the store matches
  // them), so one reading serves every key.
  void Read() {
    FTags.clear();
    const RegistryIni ini(kProgramKey);
    const IniStore &store = ini.store();
    for (const std::string &s : store.sections()) {
      if (s.size() < kUserMark.size() ||
          !asciiEqualNoCase(std::string_view(s).substr(s.size() - kUserMark.size()), kUserMark))
        continue;
      FTags.emplace(asciiLowered(s), store.readInteger(s, kUserGroupIdent, -1));
    }
  }

  std::mutex FMutex;
  bool FRead = false;
  std::string FFile;
  IniStore::Version FVersion;
  std::unordered_map<std::string, std::int32_t> FTags;
};

TUserGroupCache &userGroupCache() {
  static TUserGroupCache *cache = new TUserGroupCache;
  return *cache;
}

void writeBox(RegistryIni &Ini, std::int32_t Tag, bool Collapse, std::string_view Caption, std::string_view GroupID) {
  const std::string section = GroupBoxSection(Tag);
  Ini.writeInteger(section, kTagIdent, Tag);
  Ini.writeBool(section, kCollapseIdent, Collapse);
  Ini.writeString(section, kCaptionIdent, Caption);
  Ini.writeString(section, kGroupIDIdent, GroupID);
}

std::string idOrNew(const RegistryIni &Ini, std::string_view Section) {
  std::string id = Ini.readString(Section, kGroupIDIdent);
  if (TrimText(id).empty()) id = NewGUIDText();
  return id;
}

} // namespace

std::string GroupBoxSection(std::int32_t Tag) { return std::to_string(Tag) + std::string(kGroupBoxMark); }

void LoadAllGroupBoxes(std::string_view Key, IGroupBoxContainer &Container) {
  // Held open, the key is read once: every box's own reads and writes, and
  // the container's, share it.
  const RegistryIni ini(Key);
  const std::vector<std::string> sections = ini.sections();
  for (const std::string &s : sections)
    if (s.find(kGroupBoxMark) != std::string::npos) LoadGroupBox(Key, s, Container);
}

void LoadGroupBox(std::string_view Key, std::string_view Section, IGroupBoxContainer &Container) {
  std::int32_t tag = 0;
  std::string caption, groupID;
  {
    RegistryIni ini(Key);
    tag = ini.readInteger(Section, kTagIdent, 0);
    // The absolute value; INT_MIN has none and stays as it is.
    if (tag < 0 && tag != INT_MIN) tag = -tag;
    caption = ini.readString(Section, kCaptionIdent);
    groupID = ini.readString(Section, kGroupIDIdent);
    if (!ini.valueExists(Section, kGroupIDIdent)) groupID = NewGUIDText();
  }
  Container.CreateGroupBox(caption, groupID, tag, Section);
}

void SaveAllGroupBoxes(std::string_view Key, const IGroupBoxContainer &Container) {
  RegistryIni ini(Key);
  for (const TGroupBoxInfo &box : Container.GroupBoxes()) {
    if (box.Tag == kMainGroupTag || box.Tag == kBadListTag) continue;
    writeBox(ini, box.Tag, box.Collapsed, box.Caption, box.GroupID);
  }
}

void WriteGroupBox(std::string_view Key, std::int32_t Tag, bool Collapse, std::string_view Caption,
                   std::string_view GroupID) {
  RegistryIni ini(Key);
  writeBox(ini, Tag, Collapse, Caption, GroupID);
}

void UpdateGroupBox(std::string_view Key, std::int32_t Tag, bool Collapse, std::string_view Caption,
                    std::string_view GroupID) {
  RegistryIni ini(Key);
  if (ini.sectionExists(GroupBoxSection(Tag))) writeBox(ini, Tag, Collapse, Caption, GroupID);
}

void EraseGroupBox(std::string_view Key, std::int32_t Tag) {
  RegistryIni ini(Key);
  const std::string section = GroupBoxSection(Tag);
  if (ini.sectionExists(section)) ini.eraseSection(section);
}

bool GroupBoxExists(std::string_view Key, std::int32_t Tag) {
  RegistryIni ini(Key);
  return ini.sectionExists(GroupBoxSection(Tag));
}

void WriteGroupCollapse(std::string_view Key, std::int32_t Tag, bool Collapse) {
  RegistryIni ini(Key);
  const std::string section = GroupBoxSection(Tag);
  if (ini.sectionExists(section)) ini.writeBool(section, kCollapseIdent, Collapse);
}

bool ReadGroupCollapse(std::string_view Key, std::int32_t Tag) {
  RegistryIni ini(Key);
  return ini.readBool(GroupBoxSection(Tag), kCollapseIdent, false);
}

void WriteFixedGroupIDs(std::string_view Key, std::string_view BadBoxID, std::string_view MainBoxID) {
  RegistryIni ini(Key);
  ini.writeString("BadGoupID", kGroupIDIdent, BadBoxID);
  ini.writeString("MainGoupID", kGroupIDIdent, MainBoxID);
}

void ReadFixedGroupIDs(std::string_view Key, std::string &BadBoxID, std::string &MainBoxID) {
  RegistryIni ini(Key);
  BadBoxID = idOrNew(ini, "BadGoupID");
  MainBoxID = idOrNew(ini, "MainGoupID");
}

void WriteFixedGroupCollapse(std::string_view Key, bool Main, bool Bad) {
  RegistryIni ini(Key);
  ini.writeBool("MainCollapse", kCollapseIdent, Main);
  ini.writeBool("BadCollapse", kCollapseIdent, Bad);
}

void ReadFixedGroupCollapse(std::string_view Key, bool &Main, bool &Bad) {
  Main = false;
  Bad = false;
  RegistryIni ini(Key);
  Main = ini.readBool("MainCollapse", kCollapseIdent, false);
  Bad = ini.readBool("BadCollapse", kCollapseIdent, false);
}

std::int32_t ReadUserGroup(std::string_view Key, std::string_view UserID) { return userGroupCache().Find(Key, UserID); }

void WriteUserGroup(std::string_view Key, std::string_view UserID, std::int32_t Tag) {
  RegistryIni ini(Key);
  ini.writeInteger(userSection(UserID), kUserGroupIdent, Tag);
}

void MoveStoredGroupUsers(std::string_view Key, std::int32_t From, std::int32_t To) {
  RegistryIni ini(Key);
  for (const std::string &s : ini.sections()) {
    if (s.size() < kUserMark.size() || s.compare(s.size() - kUserMark.size(), kUserMark.size(), kUserMark) != 0)
      continue;
    if (ini.valueExists(s, kUserGroupIdent) && ini.readInteger(s, kUserGroupIdent, -1) == From)
      ini.writeInteger(s, kUserGroupIdent, To);
  }
}

} // namespace kc
