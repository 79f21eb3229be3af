// The user groups on the headless windows: every change is in the store at
// once, and a deleted group's absent members come back into the main group.
#include <gtest/gtest.h>

#include <string>

#include "core/GroupBoxStorageUn.h"
#include "core/HeadlessChatUn.h"
#include "core/UserGroupsUn.h"
#include "core/iniFileUn.h"
#include "platform/ProgramKey.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

using namespace kc;

namespace {

class UserGroupsTest : public ::testing::Test {
protected:
  UserGroupsTest() {
    RUserID me;
    me.ID = "{ME}";
    w.Users().Append(me);
  }
  int present(const std::string &ID) {
    w.HandleNewUser("NEW!^:^$<ALIAS>" + ID + "</ALIAS><IP>127.0.0.2</IP><ID>" + ID + "</ID>");
    return w.FindUserNode(ID);
  }
  kctest::TempDir tmp{"kc-groups"};
  kctest::ScopedEnv config{"XDG_CONFIG_HOME", tmp.path().string()};
  const std::string key{kProgramKey};
  THeadlessChatWindows w{key};
  TUserGroups groups{w, nullptr, key};
};

TEST_F(UserGroupsTest, MadeAndRenamedGroupsAreStoredAtOnce) {
  const std::int32_t tag = groups.CreateGroup("  Team ");
  EXPECT_EQ(tag, 3);
  EXPECT_EQ(RegistryIni(key).readString(GroupBoxSection(tag), "Caption_Value"), "Team");
  // A section lost meanwhile is written again by the rename.
  EraseGroupBox(key, tag);
  EXPECT_TRUE(groups.RenameGroup(tag, ""));
  EXPECT_EQ(RegistryIni(key).readString(GroupBoxSection(tag), "Caption_Value"), " ");
  EXPECT_FALSE(groups.RenameGroup(kMainGroupTag, "x"));
  EXPECT_FALSE(groups.RenameGroup(99, "x"));
}

TEST_F(UserGroupsTest, DeletedGroupsMembersComeBackIntoTheMainGroup) {
  const std::int32_t tag = groups.CreateGroup("Team");
  const int here = present("{HERE}"), away = present("{AWAY}");
  ASSERT_TRUE(groups.MoveUser(here, tag));
  ASSERT_TRUE(groups.MoveUser(away, tag));
  w.HandleDisconnect("DISCONNECT!^:^$<ID>{AWAY}</ID>");
  // Someone stored in another group keeps it.
  WriteUserGroup(key, "{ELSEWHERE}", kBadListTag);
  ASSERT_TRUE(groups.DeleteGroup(tag));
  EXPECT_EQ(w.GetUserRecord(here)->GroupTag, kMainGroupTag);
  EXPECT_EQ(ReadUserGroup(key, "{HERE}"), kMainGroupTag);
  EXPECT_EQ(ReadUserGroup(key, "{AWAY}"), kMainGroupTag);
  EXPECT_EQ(ReadUserGroup(key, "{ELSEWHERE}"), kBadListTag);
  EXPECT_FALSE(groups.DeleteGroup(tag));
  EXPECT_FALSE(groups.DeleteGroup(kBadListTag));
  // The number is free again; the absent member does not land in it.
  EXPECT_EQ(groups.CreateGroup("New"), tag);
  present("{AWAY}");
  EXPECT_EQ(w.GetUserRecord(w.FindUserNode("{AWAY}"))->GroupTag, kMainGroupTag);
}

TEST_F(UserGroupsTest, OnlyPresentUsersMoveAndDeactivate) {
  const std::int32_t tag = groups.CreateGroup("Team");
  const int u = present("{U}");
  struct Row {
    const char *name;
    int user;
    std::int32_t tag;
    bool moved;
  } rows[] = {{"the local user", 0, tag, false},
              {"an unknown record", 42, tag, false},
              {"an unknown group", u, 77, false},
              {"a present user", u, tag, true},
              {"into the group he is in", u, tag, false}};
  for (const Row &r : rows) EXPECT_EQ(groups.MoveUser(r.user, r.tag), r.moved) << r.name;
  EXPECT_TRUE(groups.SetDeactivated(u, true));
  EXPECT_EQ(w.GetUserRecord(u)->Deactivated, 1);
  EXPECT_FALSE(groups.SetDeactivated(0, true));
}

} // namespace
