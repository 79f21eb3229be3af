#include "platform/IniStore.h"
#include "support/FileText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using kc::IniStore;

namespace {

class IniStoreTest : public ::testing::Test {
protected:
  std::string file(const std::string &name) const { return tmp.file(name); }
  static std::string slurp(const std::string &path) { return kctest::readFile(path); }
  static void put(const std::string &path, const std::string &data) { kctest::writeFile(path, data); }
  kctest::TempDir tmp{"kc-ini"};
  const fs::path dir = tmp.path();
};

const std::string kNasty[] = {
    "",
    " leading blank",
    "trailing blank ",
    "\ttabs\t",
    "   ",
    "a=b=c",
    ";not a comment",
    "[not a section]",
    "line1\r\nline2\nline3\r",
    std::string("nul\0inside", 10),
    std::string("\0", 1),
    "back\\slash\\",
    "\\n is not a newline",
    "\"quoted\"",
    "\"",
    "\"\"",
    "ends with quote\"",
    "\xE0\xFF\x80\x81 high bytes",
    "\\",
    "\\0\\r",
};

TEST_F(IniStoreTest, NastyValuesRoundTripByteExactThroughFile) {
  const std::string path = file("nasty.ini");
  {
    auto ini = IniStore::open(path);
    for (size_t i = 0; i < std::size(kNasty); ++i) ini->writeString("Values", "v" + std::to_string(i), kNasty[i]);
    ASSERT_TRUE(ini->flush());
  }
  auto ini = IniStore::open(path);
  for (size_t i = 0; i < std::size(kNasty); ++i)
    EXPECT_EQ(ini->readString("Values", "v" + std::to_string(i), "<missing>"), kNasty[i]) << "case " << i;
  // Every value stays on one line.
  std::string text = slurp(path);
  size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  EXPECT_EQ(lines, std::size(kNasty) + 1);
}

TEST_F(IniStoreTest, NastyIdentsAndSectionNamesRoundTrip) {
  const std::string path = file("names.ini");
  const std::pair<std::string, std::string> names[] = {
      {"TBPAP\\name", "a=b"},
      {"TBPAP\\n", "[x"},
      {"sec]tion", ";y"},
      {"new\nline", "x\\=y"},
      {"[bracket", "\\"},
      {"s", "id\r\nent"},
      {"", "\xEF\xBB\xBFlooks like a byte-order mark"},
      // A peer's ID with blanks reaches section names ("<ID>UserGroup_").
      {" {ID} UserGroup_", "Tag_Value"},
      {"{ID}UserGroup_ ", "\tTag\t"},
      {"\t", " "},
      {"  two  ", "  two  "},
      {"in side", "in side"},
  };
  {
    auto ini = IniStore::open(path);
    for (auto &[s, i] : names) ini->writeString(s, i, s + "|" + i);
    ASSERT_TRUE(ini->flush());
  }
  auto ini = IniStore::open(path);
  for (auto &[s, i] : names) EXPECT_EQ(ini->readString(s, i), s + "|" + i) << s << " / " << i;
}

TEST_F(IniStoreTest, LookupIsCaseInsensitiveAndKeepsFirstSpelling) {
  auto ini = IniStore::open(file("case.ini"));
  ini->writeString("Options", "SoundOn", "1");
  ini->writeString("OPTIONS", "soundon", "0");
  EXPECT_EQ(ini->readString("options", "SOUNDON"), "0");
  EXPECT_EQ(ini->sections(), std::vector<std::string>{"Options"});
  EXPECT_EQ(ini->idents("oPtIoNs"), std::vector<std::string>{"SoundOn"});
  EXPECT_TRUE(ini->sectionExists("OPTIONS"));
  EXPECT_TRUE(ini->valueExists("options", "SOUNDON"));
  EXPECT_FALSE(ini->valueExists("options", "Sound"));
}

TEST_F(IniStoreTest, OrderOfFirstWriteIsKeptInMemoryAndInFile) {
  const std::string path = file("order.ini");
  {
    auto ini = IniStore::open(path);
    ini->writeString("Zeta", "b", "1");
    ini->writeString("Alpha", "z", "2");
    ini->writeString("Zeta", "a", "3");
    ini->writeString("Alpha", "a", "4");
    ini->writeString("Zeta", "b", "5"); // rewrite keeps its place
    ini->deleteKey("Alpha", "z");
    ini->writeString("Alpha", "z", "6"); // re-added goes last
  }
  auto ini = IniStore::open(path);
  EXPECT_EQ(ini->sections(), (std::vector<std::string>{"Zeta", "Alpha"}));
  using P = std::pair<std::string, std::string>;
  EXPECT_EQ(ini->values("Zeta"), (std::vector<P>{{"b", "5"}, {"a", "3"}}));
  EXPECT_EQ(ini->values("Alpha"), (std::vector<P>{{"a", "4"}, {"z", "6"}}));
  EXPECT_EQ(slurp(path), "[Zeta]\nb=5\na=3\n\n[Alpha]\na=4\nz=6\n");
}

TEST_F(IniStoreTest, DamagedLinesAreSkipped) {
  const std::string path = file("damaged.ini");
  put(path, "\xEF\xBB\xBF"
            "orphan=before any section\r\n"
            "[Good]\r\n"
            "  key = value  \r\n"
            "no equals sign here\n"
            "=no ident\n"
            "; comment=1\n"
            "key=second wins not\n"
            "[Broken\n"
            "lost=1\n"
            "[]\n"
            "lost2=1\n"
            "[Good]\n"
            "other=2\n"
            "[Next]\n"
            "x=\"  quoted  \"\n"
            "y=\"open quote\n"
            "z=bad \\q escape\n"
            "tail=no newline at end");
  auto ini = IniStore::open(path);
  EXPECT_EQ(ini->sections(), (std::vector<std::string>{"Good", "Next"}));
  using P = std::pair<std::string, std::string>;
  EXPECT_EQ(ini->values("Good"), (std::vector<P>{{"key", "value"}, {"other", "2"}}));
  EXPECT_EQ(ini->readString("Next", "x"), "  quoted  ");
  EXPECT_EQ(ini->readString("Next", "y"), "\"open quote");
  EXPECT_EQ(ini->readString("Next", "z"), "bad \\q escape");
  EXPECT_EQ(ini->readString("Next", "tail"), "no newline at end");
  EXPECT_EQ(ini->readString("", "orphan"), "before any section");
  EXPECT_FALSE(ini->valueExists("Good", "lost"));
  EXPECT_FALSE(ini->valueExists("Good", "lost2"));
}

TEST_F(IniStoreTest, MissingOrUnreadableFileReadsAsEmpty) {
  auto missing = IniStore::open(file("nothing/here.ini"));
  EXPECT_TRUE(missing->sections().empty());
  EXPECT_EQ(missing->readString("a", "b", "def"), "def");

  // A folder where the file should be cannot be read.
  fs::create_directories(dir / "adir.ini");
  auto unreadable = IniStore::open(file("adir.ini"));
  EXPECT_TRUE(unreadable->sections().empty());
  unreadable->writeString("a", "b", "c");
  EXPECT_FALSE(unreadable->flush());
  EXPECT_EQ(unreadable->readString("a", "b"), "c"); // kept in memory

  // A huge file is not read into memory (a sparse file costs no disk).
  const std::string huge = file("huge.ini");
  put(huge, "[S]\na=1\n");
  fs::resize_file(huge, 300ull << 20);
  EXPECT_TRUE(IniStore::open(huge)->sections().empty());

  auto memory = IniStore::open("");
  memory->writeString("a", "b", "c");
  EXPECT_EQ(memory->readString("a", "b"), "c");
  EXPECT_FALSE(memory->flush());
}

TEST_F(IniStoreTest, WriteCreatesFoldersAndLeavesNoTempFile) {
  const std::string path = file("deep/er/settings.ini");
  {
    auto ini = IniStore::open(path);
    ini->writeString("S", "i", "v");
    ASSERT_TRUE(ini->flush());
    ini->writeString("S", "i", "w");
  } // the last handle flushes
  EXPECT_EQ(slurp(path), "[S]\ni=w\n");
  std::vector<std::string> entries;
  for (auto &e : fs::directory_iterator(dir / "deep/er")) entries.push_back(e.path().filename());
  EXPECT_EQ(entries, std::vector<std::string>{"settings.ini"});
}

TEST_F(IniStoreTest, RewriteKeepsFileMode) {
  const std::string path = file("mode.ini");
  put(path, "[S]\na=1\n");
  ::chmod(path.c_str(), 0640);
  auto ini = IniStore::open(path);
  ini->writeString("S", "a", "2");
  ASSERT_TRUE(ini->flush());
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(IniStoreTest, TwoOpensOfOnePathGiveOneInstance) {
  fs::create_directories(dir / "sub");
  auto a = IniStore::open(file("one.ini"));
  auto b = IniStore::open(file("sub/../one.ini"));
  fs::create_symlink(dir / "one.ini", dir / "link.ini");
  auto c = IniStore::open(file("link.ini"));
  EXPECT_EQ(a.get(), b.get());
  EXPECT_EQ(a.get(), c.get());
  a->writeString("S", "i", "shared");
  EXPECT_EQ(b->readString("S", "i"), "shared");
  auto other = IniStore::open(file("two.ini"));
  EXPECT_NE(a.get(), other.get());
}

TEST_F(IniStoreTest, ReopenAfterLastHandleSeesFlushedData) {
  const std::string path = file("reopen.ini");
  for (int round = 0; round < 20; ++round) {
    auto ini = IniStore::open(path);
    EXPECT_EQ(ini->readInteger("S", "n", -1), round == 0 ? -1 : round - 1);
    ini->writeInteger("S", "n", round);
  }
}

TEST_F(IniStoreTest, ConcurrentOpenAndCloseLosesNoWrite) {
  const std::string path = file("threads.ini");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 50; ++i) {
        auto ini = IniStore::open(path);
        ini->writeInteger("T" + std::to_string(t), "n", i);
      }
    });
  for (auto &th : threads) th.join();
  auto ini = IniStore::open(path);
  for (int t = 0; t < 4; ++t) EXPECT_EQ(ini->readInteger("T" + std::to_string(t), "n"), 49);
}

TEST_F(IniStoreTest, ReadIntegerTable) {
  struct Case {
    const char *text;
    int expected;
  } cases[] = {
      {"0", 0},
      {"42", 42},
      {"-17", -17},
      {"+5", 5},
      {" 12 ", 12},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", -99},
      {"-2147483649", -99},
      {"99999999999999999999999", -99},
      {"0x1F", 31},
      {"$ff", 255},
      {"$FFFFFFFF", -1},
      {"0x0000000010", 16},
      {"$100000000", -99},
      {"0x", -99},
      {"$", -99},
      {"12abc", -99},
      {"1.5", -99},
      {"", -99},
      {"-", -99},
      {"--1", -99},
      {"abc", -99},
      {"1 2", -99},
  };
  auto ini = IniStore::open(file("int.ini"));
  for (auto &c : cases) {
    ini->writeString("I", "v", c.text);
    EXPECT_EQ(ini->readInteger("I", "v", -99), c.expected) << '"' << c.text << '"';
  }
  EXPECT_EQ(ini->readInteger("I", "missing", 7), 7);
}

TEST_F(IniStoreTest, BooleansAndIntegersAreStoredAsText) {
  const std::string path = file("bool.ini");
  {
    auto ini = IniStore::open(path);
    ini->writeBool("B", "yes", true);
    ini->writeBool("B", "no", false);
    ini->writeInteger("B", "min", -2147483647 - 1);
  }
  EXPECT_EQ(slurp(path), "[B]\nyes=1\nno=0\nmin=-2147483648\n");
  auto ini = IniStore::open(path);
  ini->writeString("B", "seven", "7");
  ini->writeString("B", "junk", "yes");
  EXPECT_TRUE(ini->readBool("B", "yes"));
  EXPECT_FALSE(ini->readBool("B", "no", true));
  EXPECT_TRUE(ini->readBool("B", "seven"));
  EXPECT_TRUE(ini->readBool("B", "junk", true));
  EXPECT_FALSE(ini->readBool("B", "junk", false));
  EXPECT_TRUE(ini->readBool("B", "missing", true));
}

TEST_F(IniStoreTest, EraseClearAndReload) {
  const std::string path = file("erase.ini");
  auto ini = IniStore::open(path);
  ini->writeString("A", "x", "1");
  ini->writeString("B", "y", "2");
  ini->writeString("C", "z", "3");
  ASSERT_TRUE(ini->flush());

  ini->eraseSection("b");
  EXPECT_FALSE(ini->sectionExists("B"));
  EXPECT_EQ(ini->readString("C", "z"), "3"); // index still right after the erase
  ini->deleteKey("A", "X");
  EXPECT_FALSE(ini->valueExists("A", "x"));
  EXPECT_TRUE(ini->sectionExists("A"));

  ini->reload(); // drops the unsaved changes
  EXPECT_EQ(ini->sections(), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(ini->readString("A", "x"), "1");

  ini->clear();
  ASSERT_TRUE(ini->flush());
  EXPECT_EQ(slurp(path), "");
}

TEST_F(IniStoreTest, UnnamedSectionIsWrittenFirstWithoutHeader) {
  const std::string path = file("unnamed.ini");
  {
    auto ini = IniStore::open(path);
    ini->writeString("S", "a", "1");
    ini->writeInteger("", "HeightNewMessagePanel", 120);
    ini->writeString("S", "", "no ident is not written");
  }
  EXPECT_EQ(slurp(path), "HeightNewMessagePanel=120\n\n[S]\na=1\n");
  auto ini = IniStore::open(path);
  EXPECT_EQ(ini->readInteger("", "heightnewmessagepanel"), 120);
  EXPECT_EQ(ini->sections(), std::vector<std::string>{"S"});
  EXPECT_TRUE(ini->sectionExists(""));
}

} // namespace

TEST_F(IniStoreTest, StaleTemporariesOfAKilledSaveAreRemoved) {
  const std::string path = file("Kavet Chat.ini");
  put(path, "[S]\nA=1\n");
  // What a save killed between the temporary file and the rename leaves.
  const std::string stale[] = {".Kavet Chat.ini.a1B2c3", ".Kavet Chat.ini.XXXXXX"};
  for (const auto &n : stale) put(file(n), "half");
  // Not ours: other names, a folder, a link.
  const std::string kept[] = {"Kavet Chat.ini.a1B2c3", ".Kavet Chat.ini.a1B2c", ".Kavet Chat.ini.a1B2c3d",
                              ".Other.ini.a1B2c3", ".Kavet Chat.ini.a-B2c3"};
  for (const auto &n : kept) put(file(n), "mine");
  fs::create_directory(file(".Kavet Chat.ini.folder"));
  fs::create_symlink(file("Kavet Chat.ini.a1B2c3"), file(".Kavet Chat.ini.link00"));
  EXPECT_EQ(IniStore::removeStaleTemporaries(path), 2);
  for (const auto &n : stale) EXPECT_FALSE(fs::exists(file(n))) << n;
  for (const auto &n : kept) EXPECT_TRUE(fs::exists(file(n))) << n;
  EXPECT_TRUE(fs::is_directory(file(".Kavet Chat.ini.folder")));
  EXPECT_TRUE(fs::is_symlink(file(".Kavet Chat.ini.link00")));
  EXPECT_EQ(slurp(path), "[S]\nA=1\n");
}

TEST_F(IniStoreTest, ASaveWithoutRoomForItsTemporaryIsReportedAndKeepsTheOldFile) {
  // A name so long that the temporary beside it cannot be made (this works
  // for every user, root too).
  const std::string path = file(std::string(250, 'n') + ".ini");
  put(path, "[S]\nA=old\n");
  std::vector<std::string> failures;
  IniStore::setSaveFailureHandler([&](const std::string &, const std::string &why) { failures.push_back(why); });
  {
    auto ini = IniStore::open(path);
    ini->writeString("S", "A", "new");
    EXPECT_FALSE(ini->flush());
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("cannot create a file in"), std::string::npos) << failures[0];
  }
  EXPECT_EQ(failures.size(), 2u) << "the close tried again";
  EXPECT_EQ(slurp(path), "[S]\nA=old\n");
  EXPECT_EQ(IniStore::open(path)->readString("S", "A"), "new") << "the change waits for the next save";
  IniStore::setSaveFailureHandler(nullptr);
}

TEST_F(IniStoreTest, AFailedSaveIsReportedKeepsTheOldFileAndIsTriedAgain) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  const fs::path folder = dir / "ro";
  fs::create_directory(folder);
  const std::string path = (folder / "s.ini").string();
  put(path, "[S]\nA=old\n");
  std::vector<std::string> failures;
  IniStore::setSaveFailureHandler(
      [&](const std::string &p, const std::string &why) { failures.push_back(p + ": " + why); });
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  {
    auto ini = IniStore::open(path);
    ini->writeString("S", "A", "new");
    EXPECT_FALSE(ini->flush());
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("Permission denied"), std::string::npos) << failures[0];
  } // the close fails too, and is reported
  EXPECT_EQ(failures.size(), 2u);
  EXPECT_EQ(slurp(path), "[S]\nA=old\n");
  // The change waits in memory: the next open still has it, and once the
  // folder is writable again the next save writes it.
  fs::permissions(folder, fs::perms::owner_all);
  {
    auto ini = IniStore::open(path);
    EXPECT_EQ(ini->readString("S", "A"), "new");
    EXPECT_TRUE(ini->flush());
  }
  EXPECT_EQ(slurp(path), "[S]\nA=new\n");
  EXPECT_EQ(failures.size(), 2u);
  IniStore::setSaveFailureHandler(nullptr);
}
