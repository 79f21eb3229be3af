#include "core/ProtocolClassUn.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "platform/ProgramKey.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

using namespace kc;
namespace fs = std::filesystem;

namespace {

// Each test gets its own settings file through its own XDG_CONFIG_HOME.
class ProfileTest : public ::testing::Test {
protected:
  static std::string stored(std::string_view ident) {
    return RegistryIni(kProgramKey).readString("MYPROFILEUSER_", ident, "<none>");
  }
  static void store(std::string_view ident, std::string_view value) {
    RegistryIni(kProgramKey).writeString("MYPROFILEUSER_", ident, value);
  }

  const std::string key{kProgramKey};
  kctest::TempDir tmp{"kc-profile"};
  const fs::path dir = tmp.path();
  kctest::ScopedEnv config{"XDG_CONFIG_HOME", dir.string()};
};

TEST_F(ProfileTest, IdIsMadeOnceAndKept) {
  const std::string id = TMyUserData(key).GetID();
  EXPECT_TRUE(std::regex_match(id, std::regex(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})")))
      << id;
  EXPECT_EQ(stored("ID_"), id);
  EXPECT_EQ(TMyUserData(key).GetID(), id);
  // It survives the store being read again from its file.
  programKeyStore()->reload();
  EXPECT_EQ(TMyUserData(key).GetID(), id);
}

TEST_F(ProfileTest, BlankIdIsReplacedAndAnyOtherTextKeptAsRead) {
  store("ID_", "   ");
  const std::string id = TMyUserData(key).GetID();
  EXPECT_EQ(id.size(), 38u);
  EXPECT_EQ(stored("ID_"), id);

  store("ID_", " not-a-guid ");
  EXPECT_EQ(TMyUserData(key).GetID(), " not-a-guid ");
}

TEST_F(ProfileTest, IntegerGettersAndTheirFallbacks) {
  struct Case {
    const char *text; // nullptr: value absent
    std::int32_t color, image;
  };
  const Case cases[] = {
      {nullptr, 0, -1}, {"", 0, -1},    {"  ", 0, -1},  {"abc", 0, -1},         {"15", 15, 15},
      {" 15 ", 15, 15}, {"-1", -1, -1}, {"12x", 0, -1}, {"99999999999", 0, -1},
  };
  for (const auto &c : cases) {
    RegistryIni ini(kProgramKey);
    for (const char *ident : {"COLOR_", "SEX_", "OLD_", "IMAGEINDEX_"}) {
      if (c.text) ini.writeString("MYPROFILEUSER_", ident, c.text);
      else ini.deleteKey("MYPROFILEUSER_", ident);
    }
    const TMyUserData p(key);
    const std::string what = c.text ? c.text : "<absent>";
    EXPECT_EQ(p.GetColor(), c.color) << what;
    EXPECT_EQ(p.GetSex(), c.color) << what;
    EXPECT_EQ(p.GetOld(), c.color) << what;
    EXPECT_EQ(p.GetImageIndex(), c.image) << what;
  }
}

TEST_F(ProfileTest, TextFieldsUseTheirOwnIdents) {
  using G = std::string (TMyUserData::*)() const;
  using S = void (TSetUserData::*)(std::string_view);
  struct Field {
    const char *ident;
    G get;
    S set;
    std::string RUserProfile::*text; // null: the alias, a field of the record itself
  };
  const Field fields[] = {
      {"ALIAS_", &TMyUserData::GetAlias, &TSetUserData::SetAlias, nullptr},
      {"ICQ_", &TMyUserData::GetICQ, &TSetUserData::SetICQ, &RUserProfile::ICQ},
      {"NAME_", &TMyUserData::GetName, &TSetUserData::SetName, &RUserProfile::NAME},
      {"NAME2_", &TMyUserData::GetName2, &TSetUserData::SetName2, &RUserProfile::NAME2},
      {"EMAIL_", &TMyUserData::GetEMail, &TSetUserData::SetEMail, &RUserProfile::EMAIL},
      {"Interest_", &TMyUserData::GetInterest, &TSetUserData::SetInterest, &RUserProfile::Interest},
      {"STREET_", &TMyUserData::GetStreet, &TSetUserData::SetStreet, &RUserProfile::STREET},
      {"TOWN_", &TMyUserData::GetTown, &TSetUserData::SetTown, &RUserProfile::TOWN},
      {"HOUSE_", &TMyUserData::GetHouse, &TSetUserData::SetHouse, &RUserProfile::HOUSE},
      {"FIELD_", &TMyUserData::GetHomeField, &TSetUserData::SetHomeField, &RUserProfile::FIELD},
      {"WSTREET_", &TMyUserData::GetWStreet, &TSetUserData::SetWStreet, &RUserProfile::WSTREET},
      {"WTOWN_", &TMyUserData::GetWTown, &TSetUserData::SetWTown, &RUserProfile::WTOWN},
      {"WHOUSE_", &TMyUserData::GetWHouse, &TSetUserData::SetWHouse, &RUserProfile::WHOUSE},
      {"WFIELD_", &TMyUserData::GetWField, &TSetUserData::SetWField, &RUserProfile::WFIELD},
      {"WNAME_", &TMyUserData::GetWName, &TSetUserData::SetWName, &RUserProfile::WNAME},
      {"WDEPARTMENT_", &TMyUserData::GetWDepartment, &TSetUserData::SetWDepartment, &RUserProfile::WDEPARTMENT},
      {"WTYPEWORK_", &TMyUserData::GetWTypeWork, &TSetUserData::SetWTypeWork, &RUserProfile::WTYPEWORK},
      {"WPOST_", &TMyUserData::GetWPost, &TSetUserData::SetWPost, &RUserProfile::WPOST},
  };
  RUserID rec;
  TSetUserData setter(&rec, key);
  for (const auto &f : fields) {
    // High bytes and blanks travel unchanged.
    const std::string value = std::string(" v\xe9-") + f.ident;
    (setter.*f.set)(value);
    EXPECT_EQ(stored(f.ident), value);
    EXPECT_EQ(f.text ? (*rec.Profile).*f.text : rec.ALIAS, value) << f.ident;
  }
  const TMyUserData p(key);
  for (const auto &f : fields) EXPECT_EQ((p.*f.get)(), std::string(" v\xe9-") + f.ident);
  EXPECT_EQ(p.GetMAC(), "");
  store("MAC_", "00-AA");
  EXPECT_EQ(p.GetMAC(), "00-AA");
}

TEST_F(ProfileTest, NumberSettersStoreTextAndMirrorIntoTheRecord) {
  struct Case {
    const char *text;
    std::uint8_t old, sex;
    bool number;
  };
  const Case cases[] = {
      {"30", 30, 30, true},        {"-30", 30, 226, true}, {"300", 44, 44, true}, {"0", 0, 0, true},
      {"-2147483648", 0, 0, true}, {"abc", 7, 7, false},   {"", 7, 7, false},
  };
  for (const auto &c : cases) {
    RUserID rec;
    rec.OLD = 7;
    rec.SEX = 7;
    rec.COLOR = 7;
    rec.IMAGEINDEX = 7;
    TSetUserData s(&rec, key);
    s.SetOld(c.text);
    s.SetSex(c.text);
    s.SetColor(c.text);
    s.SetImageIndex(c.text);
    EXPECT_EQ(stored("OLD_"), c.text);
    EXPECT_EQ(stored("SEX_"), c.text);
    EXPECT_EQ(stored("COLOR_"), c.text);
    EXPECT_EQ(stored("IMAGEINDEX_"), c.text);
    EXPECT_EQ(rec.OLD, c.old) << c.text;
    EXPECT_EQ(rec.SEX, c.sex) << c.text;
    std::int32_t n = 7;
    if (c.number) n = static_cast<std::int32_t>(std::stoll(c.text));
    EXPECT_EQ(rec.COLOR, n) << c.text;
    EXPECT_EQ(rec.IMAGEINDEX, n) << c.text;
  }
}

TEST_F(ProfileTest, WriterWithoutRecordOnlyStores) {
  TSetUserData s(nullptr, key);
  s.SetAlias("Ann");
  s.SetImageIndex("14");
  EXPECT_EQ(TMyUserData(key).GetAlias(), "Ann");
  EXPECT_EQ(TMyUserData(key).GetImageIndex(), 14);
}

TEST_F(ProfileTest, OwnRecordFromAnEmptyProfile) {
  const RUserID r = LoadOwnUserRecord(key, "198.18.0.9");
  EXPECT_EQ(r.ALIAS, "");
  EXPECT_EQ(r.IMAGEINDEX, -1);
  EXPECT_EQ(r.COLOR, 0);
  EXPECT_EQ(r.IP, "198.18.0.9");
  EXPECT_EQ(r.ID, stored("ID_"));
  EXPECT_EQ(r.ID.size(), 38u);
  EXPECT_EQ(r.Active, 1);
  EXPECT_EQ(r.Deactivated, 0);
}

TEST_F(ProfileTest, OwnRecordCarriesTheStoredProfile) {
  RUserID mirror;
  TSetUserData s(&mirror, key);
  s.SetAlias("Zed");
  s.SetColor("16711680");
  s.SetImageIndex("20");
  s.SetSex("2");
  s.SetOld("-41");
  s.SetWPost("Boss");
  const RUserID r = LoadOwnUserRecord(key, "");
  EXPECT_EQ(r.ALIAS, "Zed");
  EXPECT_EQ(r.COLOR, 16711680);
  EXPECT_EQ(r.IMAGEINDEX, 20);
  EXPECT_EQ(r.SEX, 2);
  EXPECT_EQ(r.OLD, 41);
  EXPECT_EQ(r.Profile->WPOST, "Boss");
  EXPECT_EQ(r.OLD, mirror.OLD);
}

// Most peers send no profile texts: their records hold none, and a block
// comes and goes with the texts that need it.
TEST(UserProfileTexts, BlockOnlyWhileSomeTextIsSet) {
  RUserID r;
  r.Profile.Set(&RUserProfile::EMAIL, "");
  EXPECT_FALSE(r.Profile.Held()) << "a blank text needs no block";
  EXPECT_EQ(r.Profile->EMAIL, "");
  r.Profile.Assign(RUserProfile{});
  EXPECT_FALSE(r.Profile.Held());

  r.Profile.Set(&RUserProfile::EMAIL, "a@b.c");
  r.Profile.Set(&RUserProfile::TOWN, "Riga");
  EXPECT_TRUE(r.Profile.Held());
  RUserID copy = r;
  r.Profile.Set(&RUserProfile::EMAIL, "");
  EXPECT_TRUE(r.Profile.Held()) << "the town is still set";
  EXPECT_EQ(copy.Profile->EMAIL, "a@b.c") << "copies are deep";
  r.Profile.Set(&RUserProfile::TOWN, "");
  EXPECT_FALSE(r.Profile.Held()) << "the last text blanked frees the block";
  EXPECT_EQ(r, RUserID{}) << "blank texts compare equal however held";
  EXPECT_NE(copy, r);
  copy = r;
  EXPECT_FALSE(copy.Profile.Held());
}

} // namespace
