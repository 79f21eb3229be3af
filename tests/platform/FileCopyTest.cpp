#include "platform/FileCopy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

#include "platform/Files.h"
#include "support/TempDir.h"

using namespace kc;
using kctest::TempDir;

namespace {

std::string Read(const std::string &Path) {
  std::string out;
  ReadWholeFile(Path, out);
  return out;
}

void Write(const std::string &Path, const std::string &Data) { ASSERT_TRUE(WriteFileAtomically(Path, Data)); }

// Nothing but the named files is left in the folder (no temporary copies).
std::vector<std::string> Names(const TempDir &Dir) {
  std::vector<std::string> out;
  for (const auto &e : std::filesystem::directory_iterator(Dir.path())) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

struct Row {
  const char *name;
  FileCopyKind kind;
  bool targetThere;
  bool replace;
  FileCopyResult result;
  const char *target;             // content of the target after
  std::vector<std::string> names; // what the folder holds after
};

const Row kRows[] = {
    {"CopyToNewName", FileCopyKind::Copy, false, false, FileCopyResult::Done, "new", {"a", "b"}},
    {"CopyKeepsExistingTarget", FileCopyKind::Copy, true, false, FileCopyResult::Exists, "old", {"a", "b"}},
    {"CopyReplacesWhenAsked", FileCopyKind::Copy, true, true, FileCopyResult::Done, "new", {"a", "b"}},
    {"MoveToNewName", FileCopyKind::Move, false, false, FileCopyResult::Done, "new", {"b"}},
    {"MoveKeepsExistingTargetAndSource", FileCopyKind::Move, true, false, FileCopyResult::Exists, "old", {"a", "b"}},
    {"MoveReplacesWhenAsked", FileCopyKind::Move, true, true, FileCopyResult::Done, "new", {"b"}},
};

class FileCopyTable : public ::testing::TestWithParam<Row> {};

TEST_P(FileCopyTable, ResultTargetAndFolder) {
  const Row &r = GetParam();
  TempDir dir;
  Write(dir.file("a"), "new");
  if (r.targetThere) Write(dir.file("b"), "old");
  const auto run = r.kind == FileCopyKind::Copy ? CopyFileTo : MoveFileTo;
  EXPECT_EQ(run(dir.file("a"), dir.file("b"), r.replace, nullptr), r.result);
  EXPECT_EQ(Read(dir.file("b")), r.target);
  EXPECT_EQ(Names(dir), r.names);
}

INSTANTIATE_TEST_SUITE_P(Table, FileCopyTable, ::testing::ValuesIn(kRows),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST(FileCopy, MissingSourceOrFolderFailsWithAReason) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("folder"));
  for (const auto run : {CopyFileTo, MoveFileTo}) {
    std::string why;
    EXPECT_EQ(run(dir.file("missing"), dir.file("t"), false, &why), FileCopyResult::Failed);
    EXPECT_NE(why.find("missing"), std::string::npos) << why;
    EXPECT_EQ(run(dir.file("folder"), dir.file("t"), false, nullptr), FileCopyResult::Failed);
  }
  EXPECT_EQ(Names(dir), std::vector<std::string>{"folder"});
}

TEST(FileCopy, CopyKeepsPermissionBitsAndLargeContent) {
  TempDir dir;
  std::string big(300000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7);
  Write(dir.file("a"), big);
  ASSERT_EQ(::chmod(dir.file("a").c_str(), 0640), 0);
  ASSERT_EQ(CopyFileTo(dir.file("a"), dir.file("b"), false), FileCopyResult::Done);
  EXPECT_EQ(Read(dir.file("b")), big);
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("b").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(FileCopy, MoveAcrossFileSystemsCopiesThenRemoves) {
  TempDir here;
  if (!std::filesystem::is_directory("/dev/shm")) GTEST_SKIP() << "no second file system";
  TempDir there{"/dev/shm/kc-filecopy"};
  struct stat a {
  }, b{};
  ::stat(here.path().c_str(), &a);
  ::stat(there.path().c_str(), &b);
  if (a.st_dev == b.st_dev) GTEST_SKIP() << "both folders lie on one file system";
  Write(here.file("a"), "moved");
  EXPECT_EQ(MoveFileTo(here.file("a"), there.file("b"), false), FileCopyResult::Done);
  EXPECT_EQ(Read(there.file("b")), "moved");
  EXPECT_FALSE(FileExists(here.file("a")));
}

TEST(FileCopy, SinkRecordsInsteadOfTouchingFiles) {
  std::vector<std::string> seen;
  SetFileCopySink([&](FileCopyKind Kind, const std::string &S, const std::string &T, bool Replace) {
    seen.push_back(std::string(Kind == FileCopyKind::Copy ? "copy " : "move ") + S + " " + T + (Replace ? " !" : ""));
    return FileCopyResult::Exists;
  });
  EXPECT_EQ(CopyFileTo("/nowhere/a", "/nowhere/b", false), FileCopyResult::Exists);
  EXPECT_EQ(MoveFileTo("/nowhere/c", "/nowhere/d", true), FileCopyResult::Exists);
  SetFileCopySink({});
  EXPECT_EQ(seen, (std::vector<std::string>{"copy /nowhere/a /nowhere/b", "move /nowhere/c /nowhere/d !"}));
}

} // namespace
