#include "platform/ProgramKey.h"
#include "support/FileText.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class ProgramKeyTest : public ::testing::Test {
protected:
  std::string fileText() const { return kctest::readFile((dir / "cfg/Dornick/Kavet Chat.ini").string()); }
  kctest::TempDir tmp{"kc-key"};
  const fs::path dir = tmp.path();
  kctest::ScopedEnv config{"XDG_CONFIG_HOME", (dir / "cfg").string()};
};

TEST_F(ProgramKeyTest, KeyIsAnIniFileUnderTheConfigHome) {
  EXPECT_EQ(kc::programKeyFile(), (dir / "cfg/Dornick/Kavet Chat.ini").string());
  {
    kc::RegistryIni key(kc::kProgramKey);
    key.writeBool("StayOnTop", "Value", true);
    key.writeInteger("", "HeightNewMessagePanel", 90);
  } // the last handle writes the file
  EXPECT_EQ(fileText(), "HeightNewMessagePanel=90\n\n[StayOnTop]\nValue=1\n");
}

TEST_F(ProgramKeyTest, KeySectionTable) {
  struct Case {
    const char *key, *subkey, *section;
  } cases[] = {
      {"Software\\Dornick\\Kavet Chat", "", ""},
      {"Software\\Dornick\\Kavet Chat", "LNGName", "LNGName"},
      {"software\\dornick\\KAVET CHAT\\", "fmStory", "fmStory"},
      {"\\Software\\Dornick\\Kavet Chat\\TBPAP", "Main", "TBPAP\\Main"},
      {"Software\\Dornick\\Kavet Chat", "TBPAP\\\\Main\\", "TBPAP\\Main"},
      {"Software\\Dornick\\Kavet Chat Other", "x", "\\Software\\Dornick\\Kavet Chat Other\\x"},
      {"Software\\Dornick", "", "\\Software\\Dornick"},
      {"Software\\Other", "Combo", "\\Software\\Other\\Combo"},
      {"", "", "\\"},
      {"HKEY_CURRENT_USER\\Software\\Dornick\\Kavet Chat\\TBPAP", "Main", "TBPAP\\Main"},
      {"hkcu\\Software\\Other", "", "\\Software\\Other"},
  };
  for (const Case &c : cases) EXPECT_EQ(kc::keySection(c.key, c.subkey), c.section) << c.key << " + " << c.subkey;
}

TEST_F(ProgramKeyTest, NestedKeysShareTheFileAndSeeEachOther) {
  kc::RegistryIni top(kc::kProgramKey);
  kc::RegistryIni toolbars(std::string(kc::kProgramKey) + "\\TBPAP");
  toolbars.writeInteger("Standard", "DockRow", 2);
  toolbars.writeString("Format", "DockedTo", "Top");
  top.writeString("MYPROFILEUSER_", "ALIAS_", "me");
  top.writeString("1_GROUPBOX!>!", "Caption_Value", "Friends");

  EXPECT_EQ(top.readInteger("tbpap\\standard", "dockrow"), 2);
  EXPECT_EQ(&top.store(), &toolbars.store());
  // The direct subkeys, including one that only has subkeys itself.
  EXPECT_EQ(top.sections(), (std::vector<std::string>{"TBPAP", "MYPROFILEUSER_", "1_GROUPBOX!>!"}));
  EXPECT_EQ(toolbars.sections(), (std::vector<std::string>{"Standard", "Format"}));
  EXPECT_TRUE(top.sectionExists("TBPAP"));
  EXPECT_FALSE(top.sectionExists("TBPA"));

  // Erasing a key erases everything below it.
  top.eraseSection("tbpap");
  EXPECT_TRUE(toolbars.sections().empty());
  EXPECT_EQ(top.sections(), (std::vector<std::string>{"MYPROFILEUSER_", "1_GROUPBOX!>!"}));
}

TEST_F(ProgramKeyTest, KeysOutsideTheProgramKeyStayApart) {
  kc::RegistryIni other("Software\\Other");
  other.writeString("", "Combo", "text");
  kc::RegistryIni top(kc::kProgramKey);
  EXPECT_TRUE(top.sections().empty());
  EXPECT_EQ(top.readString("", "Combo", "none"), "none");
  EXPECT_EQ(kc::RegistryIni("software\\other").readString("", "combo"), "text");
}

TEST_F(ProgramKeyTest, BooleansReadAsIntegerNotZero) {
  kc::RegistryIni key(kc::kProgramKey);
  key.writeString("ShowHint", "Value", "5");
  key.writeString("HideInTrey", "Value", "no");
  EXPECT_TRUE(key.readBool("ShowHint", "Value", false));
  EXPECT_TRUE(key.readBool("HideInTrey", "Value", true));
  EXPECT_FALSE(key.readBool("HideInTrey", "Value", false));
}

} // namespace
