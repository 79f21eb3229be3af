#include "platform/Files.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/TempDir.h"

using namespace kc;
namespace fs = std::filesystem;

TEST(FilesTest, ReadsWhatWasWrittenWithEveryByteValue) {
  kctest::TempDir dir;
  std::string data;
  for (int i = 0; i < 256; ++i) data += char(i);
  data += std::string(200000, '\0');
  ASSERT_TRUE(WriteFileAtomically(dir.file("a.bin"), data));
  std::string back;
  ASSERT_TRUE(ReadWholeFile(dir.file("a.bin"), back));
  EXPECT_EQ(back, data);
}

TEST(FilesTest, ReadRefusesMissingFilesFoldersAndFilesOverTheLimit) {
  kctest::TempDir dir;
  ASSERT_TRUE(WriteFileAtomically(dir.file("big"), std::string(100, 'x')));
  struct Case {
    const char *name;
    std::string path;
    std::uint64_t limit;
  } cases[] = {
      {"missing", dir.file("none"), kMaxReadFileSize},
      {"folder", dir.path().string(), kMaxReadFileSize},
      {"over the limit", dir.file("big"), 99},
  };
  for (const auto &c : cases) {
    std::string out = "stale", error;
    EXPECT_FALSE(ReadWholeFile(c.path, out, &error, c.limit)) << c.name;
    EXPECT_TRUE(out.empty()) << c.name;
    EXPECT_NE(error.find(c.path), std::string::npos) << c.name << ": " << error;
  }
}

TEST(FilesTest, AtomicWriteKeepsPermissionsAndLeavesNoTemporaryFile) {
  kctest::TempDir dir;
  const std::string path = dir.file("doc.rtf");
  ASSERT_TRUE(WriteFileAtomically(path, "old"));
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  ASSERT_TRUE(WriteFileAtomically(path, "new"));
  std::string back;
  ASSERT_TRUE(ReadWholeFile(path, back));
  EXPECT_EQ(back, "new");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(FilesTest, FailedAtomicWriteLeavesTheOldFileWhole) {
  kctest::TempDir dir;
  std::string error;
  // The folder does not exist: nothing can be created, nothing is touched.
  EXPECT_FALSE(WriteFileAtomically(dir.file("no/such/doc.txt"), "x", &error));
  EXPECT_FALSE(error.empty());
  // Writing over a folder fails at the rename; the folder stays, no temporary remains.
  fs::create_directory(dir.file("sub"));
  EXPECT_FALSE(WriteFileAtomically(dir.file("sub"), "x"));
  EXPECT_TRUE(fs::is_directory(dir.file("sub")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(FilesTest, CreateNewFileNeverReplacesAndDoesNotFollowLinks) {
  kctest::TempDir dir;
  EXPECT_EQ(CreateNewFile(dir.file("h.txt"), "one"), CreateResult::Created);
  EXPECT_EQ(CreateNewFile(dir.file("h.txt"), "two"), CreateResult::Exists);
  fs::create_symlink(dir.file("target"), dir.file("link"));
  EXPECT_EQ(CreateNewFile(dir.file("link"), "x"), CreateResult::Exists);
  EXPECT_FALSE(FileExists(dir.file("target")));
  std::string back;
  ASSERT_TRUE(ReadWholeFile(dir.file("h.txt"), back));
  EXPECT_EQ(back, "one");
}

TEST(FilesTest, RemoveRegularFileLeavesFoldersAndLinkTargets) {
  kctest::TempDir dir;
  ASSERT_TRUE(WriteFileAtomically(dir.file("t"), "x"));
  fs::create_symlink(dir.file("t"), dir.file("l"));
  fs::create_directory(dir.file("d"));
  EXPECT_FALSE(RemoveRegularFile(dir.file("d")));
  EXPECT_FALSE(RemoveRegularFile(dir.file("l")));
  EXPECT_TRUE(FileExists(dir.file("t")));
  EXPECT_TRUE(IsWritableFile(dir.file("t")));
  EXPECT_TRUE(RemoveRegularFile(dir.file("t")));
  EXPECT_FALSE(FileExists(dir.file("t")));
}
