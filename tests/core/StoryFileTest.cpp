// The history folder: purge by age and safe, non-overwriting file names.
#include "core/StoryFileUn.h"
#include "platform/CodePage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace kc;
namespace fs = std::filesystem;

namespace {

class StoryFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    fs::create_directories(dir);
  }
  std::string make(const std::string &name) {
    std::ofstream(dir + name) << "x";
    return dir + name;
  }
  kctest::TempDir tmp{"kc-story"};
  const std::string dir = tmp.file("History") + "/";
};

// 2026-12-10 15:00 UTC; midnight before it is 1765324800.
constexpr std::time_t kNow = 1765378800;
constexpr std::time_t kMidnight = 1765324800;
constexpr std::time_t kDay = 86400, kHour = 3600;

TEST_F(StoryFileTest, DeletesOnlyWhenMoreWholeDaysThanAllowed) {
  struct Case {
    std::time_t fileTime;
    int days;
    bool deleted;
  } cases[] = {
      {kMidnight - 10 * kDay - 23 * kHour, 10, false}, // 10 days 23 hours: stays
      {kMidnight - 11 * kDay, 10, true},               // 11 days: goes
      {kMidnight - 30 * kDay, 10, true},
      {kMidnight + 2 * kHour, 0, false}, // today
      {kMidnight - 2 * kDay, 1, true},
      {kNow + 20 * kDay, 1, false}, // dated in the future: kept
      {kNow + 1, 0, false},
  };
  for (const Case &c : cases) {
    const std::string f = make("t.txt");
    EXPECT_EQ(DeleteIfOlderThanAt(f, c.days, c.fileTime, kNow), c.deleted) << c.fileTime << " " << c.days;
    EXPECT_EQ(fs::exists(f), !c.deleted);
  }
}

TEST_F(StoryFileTest, PurgeTouchesOnlyOldHistoryFilesOfTheFolderItself) {
  // Besides other types, the user's own texts that only share the extension.
  const std::string keepTypes[] = {"notes.doc", "old.rtf.bak", "noext", "notes.txt", "todo 10.11.12.txt"};
  for (const auto &n : keepTypes) make(n);
  const std::string talk = "All Users and Bob 01.12.2026 09.15.00.txt";
  const std::string talk2 = "Bob and Ann 1.12.26 23.59.59 (2).RTF";
  make(talk);
  make(talk2);
  fs::create_directories(dir + "sub");
  std::ofstream(dir + "sub/deep.txt") << "x";
  fs::create_directories(dir + "dir.txt");
  const std::string outside = fs::path(dir).parent_path().parent_path().string() + "/precious.txt";
  std::ofstream(outside) << "x";
  fs::create_symlink(outside, dir + "link.txt");
  const std::time_t later = std::time(nullptr) + 40 * kDay;

  EXPECT_EQ(PurgeOldHistoryAt(dir, false, 10, later), 0) << "storage period off";
  EXPECT_EQ(PurgeOldHistoryAt(dir, true, 0, later), 0) << "zero days keeps everything";
  EXPECT_EQ(PurgeOldHistoryAt(dir, true, -3, later), 0);
  EXPECT_EQ(PurgeOldHistoryAt(dir, true, 100, later), 0) << "not old enough";
  EXPECT_TRUE(fs::exists(dir + talk));

  EXPECT_EQ(PurgeOldHistoryAt(dir, true, 10, later), 2);
  EXPECT_FALSE(fs::exists(dir + talk));
  EXPECT_FALSE(fs::exists(dir + talk2));
  for (const auto &n : keepTypes) EXPECT_TRUE(fs::exists(dir + n)) << n;
  EXPECT_TRUE(fs::exists(dir + "sub/deep.txt"));
  EXPECT_TRUE(fs::is_directory(dir + "dir.txt"));
  EXPECT_TRUE(fs::is_symlink(dir + "link.txt"));
  EXPECT_TRUE(fs::exists(outside));
}

TEST_F(StoryFileTest, AgeCountsFromCreationNotFromTheLastChange) {
  const std::string f = make("Ann and Bob 01.12.2026 10.00.00.txt");
  struct statx sx {};
  if (::statx(AT_FDCWD, f.c_str(), 0, STATX_BTIME, &sx) != 0 || !(sx.stx_mask & STATX_BTIME))
    GTEST_SKIP() << "the file system keeps no creation time";
  const std::time_t now = std::time(nullptr);
  const struct timespec old[2] = {{now - 100 * kDay, 0}, {now - 100 * kDay, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, f.c_str(), old, 0), 0);
  EXPECT_EQ(PurgeOldHistoryAt(dir, true, 10, now), 0);
  EXPECT_TRUE(fs::exists(f));
  EXPECT_EQ(PurgeOldHistoryAt(dir, true, 10, now + 40 * kDay), 1);
}

TEST(StoryFileNames, OnlyNamesTheHistoryWriterMakesAreHistory) {
  const struct {
    const char *name;
    bool history;
  } cases[] = {
      {"All Users and Anna 10.12.2026 15.04.05.txt", true},
      {"Team and Anna 12_10_26 15.04.05 (3).rtf", true},
      {"a b 00.00.00.TXT", true},
      {"notes.txt", false},
      {"notes 15.04.05.txt", false}, // no date part
      {"All Users and Anna 10.12.2026 15.04.05.doc", false},
      {"All Users and Anna 10.12.2026 15-04-05.txt", false},
      {"All Users and Anna 10.12.2026 15.04.05 (x).txt", false},
      {"All Users and Anna 10.12.2026 15.04.05 copy.txt", false},
      {".txt", false},
  };
  for (const auto &c : cases) EXPECT_EQ(IsHistoryFileName(c.name), c.history) << c.name;
}

TEST_F(StoryFileTest, PurgeMakesAMissingFolder) {
  const std::string fresh = dir + "new/History/";
  EXPECT_EQ(PurgeOldHistoryAt(fresh, true, 10, kNow), 0);
  EXPECT_TRUE(fs::is_directory(fresh));
}

TEST(StoryFileNames, AnyTextBecomesASafeNamePart) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"Bob and Alice", "Bob and Alice"},
      {"../../etc/passwd", "_.._etc_passwd"},
      {"..\\..\\x", "_.._x"},
      {"12/10/26", "12_10_26"},
      {"...hidden", "hidden"},
      {std::string("a\0b\nc\x7f", 6), "a_b_c_"},
      {"", "_"},
      {"..", "_"},
      {"Jos\xE9", "Jos\xC3\xA9"}, // ANSI text becomes a UTF-8 file name
  };
  for (const Case &c : cases) EXPECT_EQ(SafeFileNamePart(c.in), c.out) << c.in;
  const std::string longName = SafeFileNamePart(std::string(500, '\xE9'));
  EXPECT_LE(longName.size(), 96u);
  EXPECT_EQ(longName.size() % 2, 0u) << "no character is cut in half";
  EXPECT_EQ(HistoryFileStem("a/b and c", "12/10/26", "15.04.05"), "a_b and c 12_10_26 15.04.05");
}

TEST(StoryFileNames, HiddenControlsAndReorderingMarksGo) {
  // Code pages whose bytes become C1 controls or the marks that turn text
  // round: a listing of the folder must show the name as it is.
  struct Case {
    const char *name;
    int codePage;
    std::string in, out;
  } cases[] = {
      {"undefined byte of 1252 is a C1 control", 1252,
       "a\x81"
       "b\x8D"
       "c",
       "abc"},
      {"LRM and RLM of 1255", 1255,
       "gpj.\xFE"
       "exe\xFD",
       "gpj.exe"},
      {"LRM and RLM of 1256", 1256, "\xFDx\xFE", "x"},
      {"letters of 1255 stay", 1255, "\xF9\xEC\xE5\xED", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D"},
  };
  for (const Case &c : cases) {
    ASSERT_TRUE(setAnsiCodePage(c.codePage)) << c.name;
    EXPECT_EQ(SafeFileNamePart(c.in), c.out) << c.name;
  }
  setAnsiCodePage(1252);
}

TEST_F(StoryFileTest, ASecondSaveInTheSameSecondGetsANumber) {
  const std::string stem = HistoryFileStem("Team and me", "12/10/26", "15.04.05");
  const std::string first = WriteHistoryFile(dir, stem, ".txt", "one");
  const std::string second = WriteHistoryFile(dir, stem, ".txt", "two");
  const std::string third = WriteHistoryFile(dir, stem, ".txt", "three");
  EXPECT_EQ(first, dir + stem + ".txt");
  EXPECT_EQ(second, dir + stem + " (2).txt");
  EXPECT_EQ(third, dir + stem + " (3).txt");
  std::ifstream in(first);
  std::string s;
  in >> s;
  EXPECT_EQ(s, "one");
  // A link where the name would go is never written through.
  fs::create_symlink("/dev/null", dir + "x.txt");
  EXPECT_EQ(WriteHistoryFile(dir, "x", ".txt", "data"), dir + "x (2).txt");
  EXPECT_EQ(WriteHistoryFile(dir + "missing/", "y", ".txt", "data"), "");
}

} // namespace
