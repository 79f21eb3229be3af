// Offered files: the bounded list whose indices never change meaning, which
// records count as this copy's own, which paths are ever looked at on disk,
// and what a click opens.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "MarkupFixture.h"
#include "platform/CodePage.h"
#include "platform/FileIcons.h"
#include "platform/ShellOpen.h"
#include "support/TempDir.h"

using namespace kc;
using kctest::ChatDesk;
using kctest::Describe;

namespace {

const std::string kSep(markup::kFileInfoSeparator);

std::string fileBlock(const std::string &id, const std::string &ip, const std::string &path) {
  return "{[!CONTROLFILE!]}" + kSep + id + kSep + ip + kSep + "0" + kSep + path + "{[!/CONTROLFILE!]}";
}

QImage solid(QColor c) {
  QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
  image.fill(c);
  return image;
}

// The desktop's icons and "open" replaced: what was looked at and opened.
struct Desktop {
  std::vector<std::string> iconAsked, opened;
  Desktop() {
    SetFileIconSink([this](const std::string &path, int) {
      iconAsked.push_back(path);
      return std::filesystem::exists(path) ? solid(Qt::red) : QImage();
    });
    SetShellOpenSink([this](const std::string &target) {
      opened.push_back(target);
      return true;
    });
  }
  ~Desktop() {
    SetFileIconSink(nullptr);
    SetShellOpenSink(nullptr);
  }
};

std::string makeFile(const kctest::TempDir &dir, const std::string &name) {
  const std::string path = dir.file(name);
  std::ofstream(path) << "x";
  return path;
}

} // namespace

TEST(OfferedFiles, BoundedWithoutRenumbering) {
  TOfferedFiles files(3);
  for (int i = 0; i < 5; ++i) {
    RLFile f;
    f.Path = "/p" + std::to_string(i);
    EXPECT_EQ(files.Add(f), i);
  }
  EXPECT_EQ(files.Held(), 3);
  EXPECT_EQ(files.Find(0), nullptr);
  EXPECT_EQ(files.Find(1), nullptr);
  ASSERT_NE(files.Find(2), nullptr);
  EXPECT_EQ(files.Find(2)->Path, "/p2");
  EXPECT_EQ(files.Find(4)->Path, "/p4");
  EXPECT_EQ(files.Find(5), nullptr);
  EXPECT_EQ(files.Find(-1), nullptr);
  EXPECT_EQ(files.NextIndex(), 5);
}

TEST(OfferedFiles, AClickOnADroppedRecordDoesNothing) {
  Desktop desktop;
  kctest::TempDir dir;
  const std::string path = makeFile(dir, "mine.txt");
  TOfferedFiles files(2);
  files.RememberOwnPath(utf8ToAnsi(path), path);
  const int first = AddOfferedFile(files, "{me}", "{me}", "1.2.3.4", "0", utf8ToAnsi(path));
  ASSERT_TRUE(files.Find(first)->Mine);
  EXPECT_TRUE(OpenOfferedFile(files, first));
  AddOfferedFile(files, "{me}", "{peer}", "1.2.3.5", "0", "/a");
  AddOfferedFile(files, "{me}", "{peer}", "1.2.3.5", "0", "/b");
  EXPECT_FALSE(OpenOfferedFile(files, first));
  EXPECT_FALSE(OpenOfferedFile(files, 12345));
  EXPECT_EQ(desktop.opened, std::vector<std::string>{path});
}

TEST(OfferedFiles, MineOnlyForPathsThisCopyInserted) {
  Desktop desktop;
  kctest::TempDir dir;
  const std::string inserted = makeFile(dir, "report.txt");
  const std::string other = makeFile(dir, "secret.txt");
  ChatDesk desk;
  TRichVistaEdit &input = desk.NewBox();
  InsertFileIcon(inserted, input, desk.files, &desk.profiles);
  EXPECT_EQ(Describe(input), "|I \" report.txt\"");
  const std::string body = DocumentToText(input, ChatDesk::kLocalID, ChatDesk::kLocalIP, &desk.files);
  EXPECT_EQ(body, fileBlock(ChatDesk::kLocalID, ChatDesk::kLocalIP, inserted) + " report.txt");

  const struct {
    const char *name;
    std::string body;
    bool mine;
  } rows[] = {
      {"the echo of our own message", body, true},
      {"our ID with a path we never offered", fileBlock(ChatDesk::kLocalID, "198.18.0.9", other), false},
      {"another owner naming our file", fileBlock("{peer}", "198.18.0.9", inserted), false},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    desktop.iconAsked.clear();
    desktop.opened.clear();
    TRichVistaEdit &t = desk.NewBox();
    std::vector<int> indices;
    TextToDocument(&t, 0, desk.Reader(), row.body, &indices);
    ASSERT_EQ(indices.size(), 1u);
    const RLFile *f = desk.files.Find(indices[0]);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(bool(f->Mine), row.mine);
    // A path from the network is never looked at; ours shows its icon.
    TGraphic *picture = nullptr;
    std::string name;
    TRVVAlign valign;
    TRVTag tag;
    const int item = 1;
    ASSERT_EQ(t.ItemStyleOf(item), rvsHotPicture);
    t.GetPictureItemInfo(item, name, picture, valign, tag);
    ASSERT_NE(picture, nullptr);
    const QImage shown = picture->toImage();
    if (row.mine) {
      EXPECT_EQ(desktop.iconAsked, std::vector<std::string>{inserted});
      EXPECT_EQ(shown.pixelColor(5, 5), QColor(Qt::red));
    } else {
      EXPECT_TRUE(desktop.iconAsked.empty());
      EXPECT_EQ(shown, desk.hotImages.GetImage(kOfferedFileFallbackImage).convertToFormat(shown.format()));
    }
    EXPECT_EQ(OpenOfferedFile(desk.files, OfferedFileIndexOfItem(t, item)), row.mine);
    EXPECT_EQ(desktop.opened.size(), row.mine ? 1u : 0u);
  }
}

TEST(OfferedFiles, OwnFileGoneShowsTheFallbackAndOpensNothing) {
  Desktop desktop;
  ChatDesk desk;
  const std::string gone = "/nonexistent-kavet-test/old.txt";
  desk.files.RememberOwnPath(gone, gone);
  const int index = AddOfferedFile(desk.files, ChatDesk::kLocalID, ChatDesk::kLocalID, "1.2.3.4", "0", gone);
  ASSERT_TRUE(desk.files.Find(index)->Mine);
  const QImage shown = OfferedFilePicture(*desk.files.Find(index), desk.files, &desk.hotImages);
  EXPECT_EQ(shown, desk.hotImages.GetImage(kOfferedFileFallbackImage));
  EXPECT_TRUE(desktop.iconAsked.empty());
  EXPECT_FALSE(OpenOfferedFile(desk.files, index));
}

TEST(FileIcon, AClickOpensAnExistingPathOnly) {
  Desktop desktop;
  kctest::TempDir dir;
  const std::string path = makeFile(dir, "a & b.txt");
  ChatDesk desk;
  TRichVistaEdit &input = desk.NewBox();
  InsertFileIcon(path, input, desk.files, &desk.profiles);
  InsertFileIcon(dir.file("missing.txt"), input, desk.files, &desk.profiles);
  input.ReformatDocument();
  input.show();
  std::vector<TOfferedFileIcon *> icons;
  for (int i = 0; i < input.ItemCountOf(); ++i) {
    std::string name;
    TControl *control = nullptr;
    TRVVAlign valign;
    TRVTag tag;
    if (input.ItemStyleOf(i) != rvsComponent) continue;
    input.GetControlItemInfo(i, name, control, valign, tag);
    icons.push_back(qobject_cast<TOfferedFileIcon *>(control));
  }
  ASSERT_EQ(icons.size(), 2u);
  // The hint shows the path as it is, markup characters included.
  EXPECT_TRUE(icons[0]->toolTip().contains(QStringLiteral("a &amp; b.txt")));
  EXPECT_EQ(icons[0]->cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseClick(icons[0], Qt::LeftButton, {}, QPoint(4, 4));
  QTest::mouseClick(icons[1], Qt::LeftButton, {}, QPoint(4, 4));
  EXPECT_EQ(desktop.opened, std::vector<std::string>{path});
  // The icon of a path the desktop has no icon for: image 5 of the profiles.
  EXPECT_EQ(icons[1]->Picture(), desk.profiles.GetImage(kInsertedFileFallbackImage));
}

TEST(FileIcon, ShellIconOfARealFile) {
  kctest::TempDir dir;
  const std::string path = makeFile(dir, "plain.txt");
  TOfferedFileIcon icon;
  if (!AssignShellIcon(path, icon)) GTEST_SKIP() << "the desktop here has no file icons";
  EXPECT_EQ(icon.Picture().size(), QSize(32, 32));
  EXPECT_EQ(icon.size(), QSize(32, 32));
  EXPECT_FALSE(AssignShellIcon(dir.file("missing"), icon));
}
