#include "platform/Folders.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <string>

using namespace kc;

namespace {

const FolderEntry *find(const std::vector<FolderEntry> &Entries, const std::string &Name) {
  const auto it = std::find_if(Entries.begin(), Entries.end(), [&](const FolderEntry &e) { return e.Name == Name; });
  return it == Entries.end() ? nullptr : &*it;
}

TEST(Folders, EntriesSayWhatTheyAreAndWhetherTheyAreLinks) {
  kctest::TempDir dir;
  std::ofstream(dir.file("file.txt")) << "x";
  std::filesystem::create_directory(dir.file("sub"));
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
  std::filesystem::create_symlink("file.txt", dir.file("to-file"));
  std::filesystem::create_symlink("sub", dir.file("to-sub"));
  std::filesystem::create_symlink("gone", dir.file("dangling"));

  const std::vector<FolderEntry> entries = ListFolder(dir.path().string());
  ASSERT_EQ(entries.size(), 6u) << "no . or ..";
  struct Row {
    const char *name;
    PathKind kind;
    bool link;
  };
  const Row rows[] = {
      {"file.txt", PathKind::File, false}, {"sub", PathKind::Folder, false},   {"pipe", PathKind::Other, false},
      {"to-file", PathKind::File, true},   {"to-sub", PathKind::Folder, true}, {"dangling", PathKind::Missing, true},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.name);
    const FolderEntry *e = find(entries, r.name);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Kind, r.kind);
    EXPECT_EQ(e->IsLink, r.link);
    EXPECT_EQ(KindOfPath(dir.file(r.name)), r.kind) << "the path alone, links followed";
  }
}

TEST(Folders, WhatCannotBeListedListsNothing) {
  kctest::TempDir dir;
  std::ofstream(dir.file("file.txt")) << "x";
  EXPECT_TRUE(ListFolder(dir.file("missing")).empty());
  EXPECT_TRUE(ListFolder(dir.file("file.txt")).empty()) << "a file is no folder";
  EXPECT_TRUE(ListFolder("").empty()) << "no path is not the working folder";
  EXPECT_EQ(KindOfPath(""), PathKind::Missing);
  EXPECT_EQ(KindOfPath(dir.file("missing")), PathKind::Missing);
}

} // namespace
