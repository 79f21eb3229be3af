#include "widgets/KcBrowseFolder.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include "platform/Screen.h"
#include "support/TempDir.h"

namespace kc {
namespace {

struct FlagCase {
  const char *name;
  TOptionsDirectories options;
  std::uint32_t version;
  std::uint32_t flags;
};
class Flags : public ::testing::TestWithParam<FlagCase> {};
TEST_P(Flags, FollowTheOptionsAndTheVersion) {
  EXPECT_EQ(BrowseFlags(GetParam().options, GetParam().version), GetParam().flags);
}
const FlagCase kFlags[] = {
    {"Nothing", 0, ShellVersion(6, 0), 0},
    {"OnlyDirectoryAddsNothing", odOnlyDirectory, ShellVersion(6, 0), 0},
    {"StatusAndFileSystem", odStatusAvailable | odFileSystemDirectoryOnly, ShellVersion(4, 0), 0x5},
    {"PrintersReplaceComputer", odBrowseForComputer | odOnlyPrinters | odNoBelowDomain, ShellVersion(6, 0), 0x2002},
    {"EditBoxNeeds471", odEditBox | odIncludeFiles, ShellVersion(4, 70), 0},
    {"EditBoxAt471", odEditBox | odIncludeFiles, ShellVersion(4, 71), 0x4010},
    {"NewStyleNeeds5", odNewDialogStyle | odShareable | odIncludeUrls, ShellVersion(4, 71), 0},
    {"NewStyleAt5", odNewDialogStyle | odShareable | odIncludeUrls, ShellVersion(5, 0), 0x80C0},
    {"Ancestors", odSystemAncestorsOnly, ShellVersion(6, 0), 0x8},
};
INSTANTIATE_TEST_SUITE_P(Table, Flags, ::testing::ValuesIn(kFlags),
                         [](const auto &i) { return std::string(i.param.name); });

struct PosCase {
  const char *name;
  TKcFolderPos pos;
  QPoint expected;
};
class Positions : public ::testing::TestWithParam<PosCase> {};
TEST_P(Positions, PlaceTheDialogInTheWorkArea) {
  const auto at =
      FolderDialogPosition(GetParam().pos, QSize(301, 400), QRect(0, 0, 1024, 740), QRect(100, 100, 500, 300), 4, 20);
  ASSERT_TRUE(at);
  EXPECT_EQ(*at, GetParam().expected);
}
const PosCase kPositions[] = {
    {"ScreenCentreRoundsTowardZero", TKcFolderPos::fpScreenCenter, QPoint(361, 170)},
    {"FormCentre", TKcFolderPos::fpFormCenter, QPoint(199, 50)},
    {"TopLeft", TKcFolderPos::fpTopLeft, QPoint(0, 0)},
    {"TopRight", TKcFolderPos::fpTopRight, QPoint(1024 - 301 - 4, 0)},
    {"BottomLeft", TKcFolderPos::fpBottomLeft, QPoint(0, 740 - 400 - 20 - 4)},
    {"BottomRight", TKcFolderPos::fpBottomRight, QPoint(1024 - 301 - 4, 740 - 400 - 20 - 4)},
};
INSTANTIATE_TEST_SUITE_P(Table, Positions, ::testing::ValuesIn(kPositions),
                         [](const auto &i) { return std::string(i.param.name); });

TEST(KcBrowseFolder, DefaultPositionLeavesThePlaceToTheWindowSystem) {
  EXPECT_FALSE(FolderDialogPosition(TKcFolderPos::fpDefault, QSize(1, 1), QRect(), QRect(), 0, 0));
}

TEST(KcBrowseFolder, VirtualRootsHaveNoFolder) {
  EXPECT_FALSE(RootFolderPath(TFromDirectory::fdPrinters));
  EXPECT_FALSE(RootFolderPath(TFromDirectory::fdDesktop));
  EXPECT_EQ(RootFolderPath(TFromDirectory::fdMyComputer), std::optional<std::string>("/"));
  EXPECT_EQ(RootFolderId(TFromDirectory::fdTemplates), 21);
  EXPECT_EQ(RootFolderId(TFromDirectory::fdDesktopDirectory), 16);
}

TEST(KcBrowseFolder, OldServiceIsRefused) {
  SetShellVersion(ShellVersion(3, 51));
  TKcBrowseForFolderDialog d;
  try {
    d.Execute();
    ADD_FAILURE() << "no error";
  } catch (const EKcError &e) {
    EXPECT_STREQ(e.what(), "Shell not compatible with BrowseForFolder");
  }
  SetShellVersion(ShellVersion(6, 0));
}

struct Folders : ::testing::Test {
  kctest::TempDir dir;
  QString root = QString::fromStdString(dir.path().string());
  void SetUp() override {
    QDir(root).mkpath("music/old");
    QDir(root).mkpath("photos");
  }
};

TEST_F(Folders, ChosenFolderComesBackInDirectory) {
  TKcBrowseForFolderDialog d;
  d.RootOverride = root;
  d.Directory = root + "/music";
  d.Options = odStatusAvailable;
  std::vector<QString> changes;
  d.OnChange = [&](TKcBrowseForFolderDialog *, const QString &p) { changes.push_back(p); };
  d.OnInitialized = [&](TKcBrowseForFolderDialog *dlg) {
    EXPECT_EQ(dlg->Window()->SelectedPath(), root + "/music") << "the start folder is selected";
    dlg->Window()->SelectPath(root + "/photos");
    EXPECT_EQ(dlg->Window()->StatusLine().right(7), "/photos");
    dlg->Window()->accept();
  };
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.Directory, root + "/photos");
  EXPECT_EQ(d.DisplayName(), "photos");
  EXPECT_EQ(changes.back(), root + "/photos");
}

TEST_F(Folders, CancelLeavesDirectoryAlone) {
  TKcBrowseForFolderDialog d;
  d.RootOverride = root;
  d.Directory = root + "/music";
  d.OnInitialized = [](TKcBrowseForFolderDialog *dlg) { dlg->Window()->reject(); };
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(d.Directory, root + "/music");
}

TEST_F(Folders, AcceptChangeDisablesOkAndFixedStatusTextWins) {
  TKcBrowseForFolderDialog d;
  d.RootOverride = root;
  d.StatusText = "Pick a folder to send";
  d.OnAcceptChange = [](TKcBrowseForFolderDialog *, const QString &p, bool &accept) { accept = !p.endsWith("old"); };
  d.OnInitialized = [&](TKcBrowseForFolderDialog *dlg) {
    dlg->Window()->SelectPath(root + "/music/old");
    EXPECT_FALSE(dlg->Window()->OkEnabled());
    EXPECT_EQ(dlg->Window()->StatusLine(), "Pick a folder to send");
    dlg->Window()->SelectPath(root + "/music");
    EXPECT_TRUE(dlg->Window()->OkEnabled());
    dlg->Window()->reject();
  };
  d.Execute();
}

TEST(ShortenPath, KeepsTheLastPartAndFits) {
  QFont f("Liberation Sans");
  f.setPixelSize(12);
  const QFontMetrics fm(f);
  const QString path = "/home/ann/projects/kavet/history/2026/december/talks";
  EXPECT_EQ(ShortenPath(path, f, 10000), path);
  const int room = fm.horizontalAdvance("/home/ann/proj.../talks") + 1;
  const QString s = ShortenPath(path, f, room);
  EXPECT_TRUE(s.endsWith(".../talks")) << s.toStdString();
  EXPECT_TRUE(s.startsWith("/home/")) << s.toStdString();
  EXPECT_LE(fm.horizontalAdvance(s), room);
  const QString tiny = ShortenPath(path, f, fm.horizontalAdvance("...ta"));
  EXPECT_LE(fm.horizontalAdvance(tiny), fm.horizontalAdvance("...ta"));
  EXPECT_LE(ShortenPath(QString(400, 'a'), f, 100000).size(), 261);
}

} // namespace
} // namespace kc
