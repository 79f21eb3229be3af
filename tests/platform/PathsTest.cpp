#include "platform/Paths.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using EnvVar = kctest::ScopedEnv;

class PathsTest : public ::testing::Test {
protected:
  std::string sub(const std::string &name) const { return (dir / name).string(); }
  kctest::TempDir tmp{"kc-paths"};
  const fs::path dir = tmp.path();
};

TEST_F(PathsTest, XdgFoldersAreReadAtCallTimeAndNeedAbsolutePaths) {
  EnvVar home("HOME", sub("home").c_str());
  struct Case {
    const char *config, *data, *expectConfig, *expectData;
  } cases[] = {
      {nullptr, nullptr, "home/.config/", "home/.local/share/"},
      {"", "", "home/.config/", "home/.local/share/"},
      {"relative/cfg", "relative/data", "home/.config/", "home/.local/share/"},
      {"ABS/cfg", "ABS/data/", "cfg/", "data/"},
  };
  for (const Case &c : cases) {
    std::string absConfig = c.config && std::string(c.config).rfind("ABS/", 0) == 0
                                ? sub(std::string(c.config).substr(4))
                                : (c.config ? c.config : "");
    std::string absData = c.data && std::string(c.data).rfind("ABS/", 0) == 0 ? sub(std::string(c.data).substr(4))
                                                                              : (c.data ? c.data : "");
    EnvVar cfg("XDG_CONFIG_HOME", c.config ? absConfig.c_str() : nullptr);
    EnvVar dat("XDG_DATA_HOME", c.data ? absData.c_str() : nullptr);
    EXPECT_EQ(kc::configHome(), sub(c.expectConfig)) << (c.config ? c.config : "(unset)");
    EXPECT_EQ(kc::dataHome(), sub(c.expectData)) << (c.data ? c.data : "(unset)");
  }
}

TEST_F(PathsTest, HistoryLivesInTheUserDataFolder) {
  EnvVar dat("XDG_DATA_HOME", sub("data").c_str());
  EXPECT_EQ(kc::userDataFolder(), sub("data/kavet-chat/"));
  EXPECT_EQ(kc::historyFolder(), sub("data/kavet-chat/History/"));
}

TEST_F(PathsTest, ResourceOverrideIsTheOnlyPlaceLookedAt) {
  fs::create_directories(dir / "res/Lng");
  std::ofstream(dir / "res/Lng/English.lng") << "[LNG]\n";
  EnvVar res("KAVET_RESOURCE_DIR", sub("res").c_str());
  EXPECT_EQ(kc::resourcePath("Lng"), sub("res/Lng/"));
  EXPECT_EQ(kc::resourcePath("Lng\\"), sub("res/Lng/"));
  EXPECT_EQ(kc::resourcePath("Lng\\English.lng"), sub("res/Lng/English.lng"));
  // Missing: still a path in the override, never beside the executable.
  EXPECT_EQ(kc::resourcePath("Sound\\"), sub("res/Sound/"));
}

TEST_F(PathsTest, ResourceBesideTheExecutableComesFirst) {
  EnvVar res("KAVET_RESOURCE_DIR", nullptr);
  const std::string exe = kc::executableFolder();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe.back(), '/');
  EXPECT_TRUE(fs::exists(exe));
  // The test program itself stands beside the executable.
  std::string self = fs::read_symlink("/proc/self/exe").filename().string();
  EXPECT_EQ(kc::resourcePath(self), exe + self);
  // Nothing found: the installed location is named.
  EXPECT_NE(kc::resourcePath("no-such-resource-kc").find("/share/kavet-chat/no-such-resource-kc"), std::string::npos);
}

TEST_F(PathsTest, RuntimeFolderIsPrivate) {
  fs::create_directories(dir / "run");
  ::chmod(sub("run").c_str(), 0700);
  {
    EnvVar run("XDG_RUNTIME_DIR", sub("run").c_str());
    EXPECT_EQ(kc::runtimeFolder(), sub("run/"));
  }
  // A runtime folder others can enter is not used.
  ::chmod(sub("run").c_str(), 0755);
  EnvVar run("XDG_RUNTIME_DIR", sub("run").c_str());
  std::string r = kc::runtimeFolder();
  ASSERT_FALSE(r.empty());
  EXPECT_EQ(r, "/tmp/kavet-chat-" + std::to_string(::getuid()) + "/");
  struct stat st {};
  ASSERT_EQ(::lstat(r.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(st.st_uid, ::getuid());
}

TEST_F(PathsTest, EnsureFolderCreatesParentsAndReportsFailure) {
  EXPECT_TRUE(kc::ensureFolder(sub("a/b/c")));
  EXPECT_TRUE(fs::is_directory(dir / "a/b/c"));
  EXPECT_TRUE(kc::ensureFolder(sub("a/b/c"))); // already there
  std::ofstream(dir / "file") << "x";
  EXPECT_FALSE(kc::ensureFolder(sub("file/below")));
  EXPECT_FALSE(kc::ensureFolder(""));
}

} // namespace
