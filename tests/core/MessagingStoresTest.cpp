// Groups, auto-reply texts, language files and message texts on a program
// key of the test's own.
#include "core/AnsweringmachineTextUn.h"
#include "core/GroupBoxStorageUn.h"
#include "core/IPUn.h"
#include "core/LngUn.h"
#include "platform/ProgramKey.h"
#include "support/FileText.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

using namespace kc;
namespace fs = std::filesystem;

namespace {

class StoresTest : public ::testing::Test {
protected:
  void SetUp() override { ResetMessageTexts(); }
  void TearDown() override { ResetMessageTexts(); }
  void writeFile(const std::string &name, const std::string &data) { kctest::writeFile(tmp.file(name), data); }
  kctest::TempDir tmp{"kc-stores"};
  const std::string dir = tmp.path().string();
  kctest::ScopedEnv config{"XDG_CONFIG_HOME", dir};
  const std::string key{kProgramKey};
};

struct Boxes : IGroupBoxContainer {
  std::vector<TGroupBoxInfo> made;
  std::vector<TGroupBoxInfo> shown;
  void CreateGroupBox(const std::string &Caption, const std::string &GroupID, std::int32_t Tag,
                      std::string_view) override {
    made.push_back({Tag, false, Caption, GroupID});
  }
  std::vector<TGroupBoxInfo> GroupBoxes() const override { return shown; }
};

// Start-up with thousands of groups stays fast only when the file is read
// once for all of them: another program emptying it meanwhile goes unseen.
TEST_F(StoresTest, GroupBoxesAreLoadedFromOneReadingOfTheFile) {
  for (int tag : {3, 4, 5}) WriteGroupBox(key, tag, false, "g" + std::to_string(tag), "{G}");
  struct Emptying : Boxes {
    void CreateGroupBox(const std::string &Caption, const std::string &GroupID, std::int32_t Tag,
                        std::string_view Section) override {
      Boxes::CreateGroupBox(Caption, GroupID, Tag, Section);
      std::ofstream(programKeyFile(), std::ios::trunc).flush();
    }
  } boxes;
  LoadAllGroupBoxes(key, boxes);
  ASSERT_EQ(boxes.made.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(boxes.made[i].Tag, 3 + i);
    EXPECT_EQ(boxes.made[i].Caption, "g" + std::to_string(3 + i));
  }
}

TEST_F(StoresTest, AutoReplyTextsComeBackInNumericOrderAndExact) {
  const std::string multi = "line one\r\nline two\n\tindented \"quoted\" ; = [x]\\";
  for (int n : {10, 2, 1, 11}) WriteAMText(key, n, "cap" + std::to_string(n), n == 2 ? multi : "t");
  RegistryIni(key).writeString("Other", "Caption", "not an auto-reply");
  std::vector<std::string> captions, sections;
  ASSERT_EQ(LoadAllAMTexts(key, captions, sections), 4);
  EXPECT_EQ(sections, (std::vector<std::string>{"AMText!_1", "AMText!_2", "AMText!_10", "AMText!_11"}));
  EXPECT_EQ(captions, (std::vector<std::string>{"cap1", "cap2", "cap10", "cap11"}));
  std::string caption, text;
  ReadAMText(key, caption, text, "AMText!_2");
  EXPECT_EQ(caption, "cap2");
  EXPECT_EQ(text, multi);
  EXPECT_EQ(ReadAMCaption(key, "AMText!_10"), "cap10");
  EXPECT_EQ(ReadAMCaption(key, "AMText!_99"), "");

  EraseAllAMTexts(key);
  std::vector<std::string> left;
  EXPECT_EQ(ListAMSections(key, left), 0);
  EXPECT_EQ(RegistryIni(key).readString("Other", "Caption"), "not an auto-reply");
  ReadAMText(key, caption, text, "AMText!_2");
  EXPECT_EQ(caption + text, "");
}

TEST_F(StoresTest, AutoReplyVariantsKeepTheirNumbersThroughDeletesAndSaves) {
  for (int n : {1, 2, 3}) WriteAMText(key, n, "cap" + std::to_string(n), "text" + std::to_string(n));
  // The first of three deleted, saved twice: the others keep sections 2 and 3.
  const std::vector<TAMVariant> kept{{2, "cap2", "text2"}, {3, "cap3", "text3"}};
  SaveAMVariants(key, kept);
  SaveAMVariants(key, kept);
  std::vector<std::string> sections;
  ASSERT_EQ(ListAMSections(key, sections), 2);
  EXPECT_EQ(sections, (std::vector<std::string>{"AMText!_2", "AMText!_3"}));
  std::string caption, text;
  ReadAMText(key, caption, text, "AMText!_3");
  EXPECT_EQ(caption + "/" + text, "cap3/text3");
  ReadAMText(key, caption, text, "AMText!_1");
  EXPECT_EQ(caption + text, "");

  // Numbers that are not numbers, or repeat one, are not written.
  SaveAMVariants(key, {{0, "none", ""}, {4, "four", "a"}, {4, "again", "b"}, {-1, "neg", ""}});
  sections.clear();
  ASSERT_EQ(ListAMSections(key, sections), 1);
  EXPECT_EQ(ReadAMCaption(key, "AMText!_4"), "four");
}

TEST(AutoReplySectionTest, NumbersOfSectionNames) {
  struct Row {
    const char *name, *section;
    int number;
  } rows[] = {
      {"plain", "AMText!_7", 7},
      {"large", "AMText!_2147483647", 2147483647},
      {"zero", "AMText!_0", 0},
      {"no number", "AMText!_", 0},
      {"letters", "AMText!_1a", 0},
      {"other section", "Other_1", 0},
      {"too large", "AMText!_99999999999", 0},
      {"mark inside", "xAMText!_1", 0},
  };
  for (const Row &r : rows) EXPECT_EQ(AMSectionNumber(r.section), r.number) << r.name;
  EXPECT_EQ(AMSectionName(12), "AMText!_12");
}

TEST_F(StoresTest, GroupBoxesLoadWithAbsoluteTagsAndFreshIDsWhenMissing) {
  WriteGroupBox(key, 5, true, "Friends", "{G5}");
  RegistryIni(key).writeInteger("7_GROUPBOX!>!", "TagNumber_Value", -7);
  RegistryIni(key).writeString("7_GROUPBOX!>!", "Caption_Value", "NoID");
  Boxes boxes;
  LoadAllGroupBoxes(key, boxes);
  ASSERT_EQ(boxes.made.size(), 2u);
  EXPECT_EQ(boxes.made[0].Tag, 5);
  EXPECT_EQ(boxes.made[0].GroupID, "{G5}");
  EXPECT_EQ(boxes.made[1].Tag, 7);
  EXPECT_EQ(boxes.made[1].Caption, "NoID");
  EXPECT_EQ(boxes.made[1].GroupID.size(), 38u);
  // Not written back: the next start makes another one.
  Boxes again;
  LoadAllGroupBoxes(key, again);
  EXPECT_NE(again.made[1].GroupID, boxes.made[1].GroupID);
  EXPECT_TRUE(ReadGroupCollapse(key, 5));
  EXPECT_FALSE(ReadGroupCollapse(key, 7));
}

TEST_F(StoresTest, GroupBoxWritesOnlyWhereTheSectionSaysSo) {
  UpdateGroupBox(key, 9, false, "ghost", "{X}");
  WriteGroupCollapse(key, 9, true);
  EXPECT_FALSE(GroupBoxExists(key, 9));
  WriteGroupBox(key, 9, false, "real", "{X}");
  UpdateGroupBox(key, 9, true, "renamed", "{Y}");
  EXPECT_EQ(RegistryIni(key).readString("9_GROUPBOX!>!", "Caption_Value"), "renamed");
  EXPECT_TRUE(ReadGroupCollapse(key, 9));
  EraseGroupBox(key, 9);
  EXPECT_FALSE(GroupBoxExists(key, 9));

  Boxes boxes;
  boxes.shown = {{1, false, "Main group", "{M}"}, {2, true, "Bad list", "{B}"}, {3, true, "Work", "{W}"}};
  SaveAllGroupBoxes(key, boxes);
  EXPECT_FALSE(GroupBoxExists(key, 1));
  EXPECT_FALSE(GroupBoxExists(key, 2));
  EXPECT_TRUE(GroupBoxExists(key, 3));
  EXPECT_EQ(RegistryIni(key).readString("3_GROUPBOX!>!", "GroupID"), "{W}");
}

TEST_F(StoresTest, FixedGroupsAndUserGroups) {
  std::string bad, main;
  ReadFixedGroupIDs(key, bad, main);
  EXPECT_EQ(bad.size(), 38u);
  EXPECT_NE(bad, main);
  RegistryIni(key).writeString("MainGoupID", "GroupID", "   ");
  WriteFixedGroupIDs(key, "{BAD}", "{MAIN}");
  ReadFixedGroupIDs(key, bad, main);
  EXPECT_EQ(bad, "{BAD}");
  EXPECT_EQ(main, "{MAIN}");
  RegistryIni(key).writeString("MainGoupID", "GroupID", "  ");
  ReadFixedGroupIDs(key, bad, main);
  EXPECT_EQ(main.size(), 38u) << "blank counts as missing";

  bool m = true, b = true;
  ReadFixedGroupCollapse(key, m, b);
  EXPECT_FALSE(m || b);
  WriteFixedGroupCollapse(key, true, false);
  ReadFixedGroupCollapse(key, m, b);
  EXPECT_TRUE(m);
  EXPECT_FALSE(b);

  EXPECT_EQ(ReadUserGroup(key, "{U}"), -1);
  WriteUserGroup(key, "{U}", 4);
  EXPECT_EQ(ReadUserGroup(key, "{U}"), 4);
  // A user ID from the network can hold anything; the store keeps it apart.
  const std::string odd("x]\n[y\\z=\0", 9);
  WriteUserGroup(key, odd, 6);
  EXPECT_EQ(ReadUserGroup(key, odd), 6);
  EXPECT_EQ(ReadUserGroup(key, "{U}"), 4);
}

// Newcomers' groups are looked up in what one reading of the store gave;
// every later change, by this program or from outside, is seen. Each row is
// a step and what the lookup of "{U}" says after it.
TEST_F(StoresTest, StoredUserGroupsFollowEveryChangeOfTheStore) {
  const std::string section = "{U}UserGroup_";
  std::shared_ptr<IniStore> held;
  kctest::TempDir other{"kc-stores-other"};
  struct Row {
    const char *name;
    std::function<void()> step;
    std::int32_t tag;
  } rows[] = {
      {"NothingStored", [] {}, -1},
      {"Written", [&] { WriteUserGroup(key, "{U}", 4); }, 4},
      {"WrittenByOtherCode", [&] { RegistryIni(key).writeInteger(section, "GroupNomber", 5); }, 5},
      {"WrittenToAStoreHeldOpenAndNotSaved",
       [&] {
         held = programKeyStore();
         held->writeInteger(section, "GroupNomber", 6);
       },
       6},
      {"SavedAndLetGo", [&] { held.reset(); }, 6},
      {"FileReplacedFromOutside",
       [&] { writeFile("Dornick/Kavet Chat.ini", "[other]\nx=1\n[" + section + "]\nGroupNomber=7\n"); }, 7},
      {"MembersOfADeletedGroupMoved", [&] { MoveStoredGroupUsers(key, 7, kMainGroupTag); }, kMainGroupTag},
      {"AnotherSettingsFolder", [&] { config.set(other.path().string()); }, -1},
      {"BackToTheFirst", [&] { config.set(dir); }, kMainGroupTag},
      {"SectionErased", [&] { RegistryIni(key).eraseSection(section); }, -1},
  };
  for (const Row &r : rows) {
    r.step();
    EXPECT_EQ(ReadUserGroup(key, "{U}"), r.tag) << r.name;
    // Sections match without regard to case, as the store matches them.
    EXPECT_EQ(ReadUserGroup(key, "{u}"), r.tag) << r.name;
  }
}

TEST_F(StoresTest, LanguageMenuListsFilesByNameWithTheirLanguageNames) {
  // Listed as the Windows file system lists them: capitals and small
  // letters alike.
  fs::create_directories(dir + "/Lng/sub.lng");
  writeFile("Lng/B.lng", "[LNG]\r\nLanguageName=Deutsch\r\n");
  writeFile("Lng/a.lng", "[lng]\nlanguagename = \"Fran\xE7"
                         "ais\"\n");
  writeFile("Lng/c.txt", "no sections at all");
  TLanguageMenuList menu;
  FillLanguageMenu(dir + "/Lng", menu);
  ASSERT_EQ(menu.Count(), 3);
  EXPECT_EQ(menu.ItemAt(0).Caption, "Fran\xE7"
                                    "ais");
  EXPECT_EQ(menu.ItemAt(0).Hint, dir + "/Lng/a.lng");
  EXPECT_EQ(menu.ItemAt(1).Caption, "Deutsch");
  EXPECT_EQ(menu.ItemAt(2).Caption, "c.txt");
  TLanguageMenuList none;
  FillLanguageMenu(dir + "/missing", none);
  EXPECT_EQ(none.Count(), 0);
}

TEST_F(StoresTest, APipeInTheLanguageFolderIsListedButNeverOpened) {
  // Opening a pipe for reading waits for a writer: the menu would never fill.
  fs::create_directories(dir + "/Lng");
  ASSERT_EQ(::mkfifo((dir + "/Lng/pipe.lng").c_str(), 0600), 0);
  writeFile("Lng/en.lng", "[LNG]\nLanguageName=English\n");
  TLanguageMenuList menu;
  FillLanguageMenu(dir + "/Lng", menu);
  ASSERT_EQ(menu.Count(), 2);
  EXPECT_EQ(menu.ItemAt(0).Caption, "English");
  EXPECT_EQ(menu.ItemAt(1).Caption, "pipe.lng");
  EXPECT_FALSE(TLanguageFile(dir + "/Lng/pipe.lng").Loaded());
}

TEST_F(StoresTest, LanguageFileReplacesMessageTextsAndAnEmptyOneResetsThem) {
  writeFile("ru.lng", "[ConnectUser]\nCaption=\xCF\xEE\xE4\xEA\xEB\xFE\xF7\xE5\xED \"%s\"\n"
                      "[ErrorWhenSend]\nCaption=Send failed\n");
  writeFile("empty.lng", "");
  ApplyLanguageTexts(TLanguageFile(dir + "/ru.lng"));
  EXPECT_EQ(MessageText("ConnectUser"), "\xCF\xEE\xE4\xEA\xEB\xFE\xF7\xE5\xED \"%s\"");
  EXPECT_EQ(MessageText("ErrorWhenSend"), "Send failed");
  EXPECT_EQ(MessageText("DisconnectUser"), "User \"%s\" is disconnect...");
  ApplyLanguageTexts(TLanguageFile(dir + "/empty.lng"));
  EXPECT_EQ(MessageText("ConnectUser"), "User \"%s\" is connect...");
  EXPECT_EQ(MessageText("ErrorPortAbort"),
            "Excuse. A mistake at connection to port. Please address to the help information of program "
            "Kavet Chat.");
  EXPECT_EQ(MessageText("NoSuchText"), "");

  // Every built-in text, as the program shows it without a language file.
  ASSERT_FALSE(BuiltInMessageTexts().empty());
  for (const TMessageTextEntry &e : BuiltInMessageTexts()) EXPECT_EQ(MessageText(e.Name), e.Default) << e.Name;
  // A file that has them all replaces every one.
  std::string all;
  for (const TMessageTextEntry &e : BuiltInMessageTexts())
    all += "[" + std::string(e.Name) + "]\nCaption=<" + e.Name + ">\n";
  writeFile("all.lng", all);
  ApplyLanguageTexts(TLanguageFile(dir + "/all.lng"));
  for (const TMessageTextEntry &e : BuiltInMessageTexts())
    EXPECT_EQ(MessageText(e.Name), "<" + std::string(e.Name) + ">") << e.Name;
}

TEST(IPUn, OctetsAndBroadcastAddress) {
  EXPECT_EQ(GetBroadcastAddress("192.168.5.17"), "192.168.5.255");
  EXPECT_EQ(GetBroadcastAddress("198.18.0.1"), "198.18.0.255");
  EXPECT_EQ(GetBroadcastAddress(""), std::nullopt);
  EXPECT_EQ(GetIPOctet("10.1.2.3", 2), "1");
  EXPECT_EQ(GetIPOctet("nodots", 1), "");
  EXPECT_EQ(GetBroadcastAddress("nodots"), "...255");
}

} // namespace
