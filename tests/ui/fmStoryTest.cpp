// The history dialog on a folder and store of the test's own: the list,
// the options' round trip through the store, and the file actions through a
// recording double of the desktop and the file system, then for real.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/iniFileUn.h"
#include "platform/ProgramKey.h"
#include "support/FileText.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "toolbars/TBSkinPlus.h"
#include "toolbars/TBarPopup.h"
#include "toolbars/TBarToolbar.h"
#include "ui/ArtUn.h"
#include "ui/fmStoryUn.h"
#include "widgets/KcComCtrls.h"
#include "widgets/KcDraw.h"

using namespace kc;
namespace fs = std::filesystem;

namespace {

class StoryDialogTest : public ::testing::Test {
protected:
  kctest::TempDir tmp{"kc-story"};
  kctest::ScopedEnv config{"XDG_CONFIG_HOME", tmp.file("config")};
  const std::string key{kProgramKey};
  const std::string folder = tmp.file("History");
  std::vector<std::string> calls;
  bool answer = true;                         // what the file operations report
  std::string chosen = "/elsewhere/copy.txt"; // what the save dialog returns; empty: cancelled

  void SetUp() override { fs::create_directories(folder); }
  void put(const std::string &Name) { kctest::writeFile(folder + "/" + Name, Name); }
  TStoryFileServices recorder() {
    TStoryFileServices s;
    s.Open = [this](const std::string &P) { return calls.push_back("open " + P), answer; };
    s.Copy = [this](const std::string &A, const std::string &B) {
      return calls.push_back("copy " + A + " > " + B), answer;
    };
    s.Move = [this](const std::string &A, const std::string &B) {
      return calls.push_back("move " + A + " > " + B), answer;
    };
    s.Delete = [this](const std::string &P) { return calls.push_back("delete " + P), answer; };
    s.AskFileName = [this](QWidget *, const QString &Name, std::string &Chosen) {
      calls.push_back("ask " + Name.toStdString());
      Chosen = chosen;
      return !chosen.empty();
    };
    return s;
  }
  static std::vector<std::string> names(const TfmStory &D) {
    std::vector<std::string> out;
    for (int i = 0; i < D.tvHitoryList->topLevelItemCount(); ++i)
      out.push_back(D.tvHitoryList->topLevelItem(i)->text(0).toStdString());
    return out;
  }
  static std::string selected(const TfmStory &D) {
    return D.tvHitoryList->Selected() ? D.tvHitoryList->Selected()->Text().toStdString() : "none";
  }
};

TEST_F(StoryDialogTest, TheListIsSortedByNameCaseAsideWithoutFoldersAndTheLastSelected) {
  struct Row {
    const char *name;
    std::vector<std::string> files;
    std::vector<std::string> listed;
    std::string selected;
  } rows[] = {
      {"empty folder", {}, {}, "none"},
      {"one file: shown, not selected", {"b.txt"}, {"b.txt"}, "none"},
      {"case aside", {"b.txt", "C.rtf", "a.TXT", "B.txt"}, {"a.TXT", "B.txt", "b.txt", "C.rtf"}, "C.rtf"},
      {"names in Cyrillic",
       {"Анна 1.txt", "анна 2.txt", "Zed.txt"},
       {"Zed.txt", "Анна 1.txt", "анна 2.txt"},
       "анна 2.txt"},
  };
  for (const Row &r : rows) {
    fs::remove_all(folder);
    fs::create_directories(folder + "/sub folder");
    for (const std::string &f : r.files) put(f);
    TfmStory d(key, folder, "", recorder());
    EXPECT_EQ(names(d), r.listed) << r.name;
    EXPECT_EQ(selected(d), r.selected) << r.name;
    EXPECT_EQ(d.actDeleteFile.Enabled(), r.selected != "none") << r.name;
  }
  TfmStory missing(key, tmp.file("no such folder"), "", recorder());
  EXPECT_EQ(missing.tvHitoryList->topLevelItemCount(), 0);
}

TEST_F(StoryDialogTest, FilesToolbarAndMenuShowTheirPicturesAndTheSelectedFileShowsOnTheSkinBar) {
  for (const char *f : {"a.txt", "b.txt"}) put(f);
  TfmStory d(key, folder + "/", "", recorder());
  ASSERT_EQ(d.ilStory.Count(), siCount);
  for (int i = 0; i < d.tvHitoryList->topLevelItemCount(); ++i) {
    TKcTreeNode *node = d.tvHitoryList->Node(i);
    EXPECT_EQ(TfmStory::NodeImageIndex(node, false), siFile);
    EXPECT_EQ(TfmStory::NodeImageIndex(node, true), siFile);
    EXPECT_FALSE(node->icon(0).isNull());
  }
  EXPECT_EQ(d.tbGroupUser->Images(), &d.ilStory);
  EXPECT_EQ(d.pmStoryFile->Items()->SubMenuImages(), &d.ilStory);
  struct Row {
    const char *name;
    tb::TTBCustomItem *root;
  };
  for (const Row &r : {Row{"toolbar", d.tbGroupUser->Items()}, Row{"menu", d.pmStoryFile->Items()}}) {
    SCOPED_TRACE(r.name);
    std::vector<int> images;
    for (int i = 0; i < r.root->Count(); ++i) images.push_back(r.root->ItemAt(i)->ImageIndex());
    EXPECT_EQ(images, (std::vector<int>{siOpen, -1, siSaveAs, siMove, -1, siDelete}));
  }

  const TColor bar = tb::DefaultSkin().Colors.ColorByIndex(tb::tcSelBar);
  ASSERT_NE(bar, clNone);
  d.show();
  TKcTreeNode *last = d.tvHitoryList->Node(1);
  ASSERT_EQ(d.tvHitoryList->Selected(), last);
  TKcCustomDrawItem item = d.tvHitoryList->DrawColours(last);
  d.tvHitoryList->OnCustomDrawItem(d.tvHitoryList, last, item);
  EXPECT_EQ(item.Background, bar);
  EXPECT_EQ(item.Text, clBlack);
  const auto rowColour = [&d](QTreeWidgetItem *Node) {
    const QRect r = d.tvHitoryList->visualItemRect(Node);
    return d.tvHitoryList->viewport()->grab().toImage().pixelColor(r.right() - 2, r.center().y());
  };
  EXPECT_EQ(rowColour(last), QColorOf(bar));
  EXPECT_NE(rowColour(d.tvHitoryList->Node(0)), QColorOf(bar));
}

TEST_F(StoryDialogTest, OptionsMakeTheRoundTripThroughTheStore) {
  {
    TfmStory d(key, folder, "", recorder());
    EXPECT_TRUE(d.cbSaveHistory->isChecked()) << "defaults";
    EXPECT_TRUE(d.rbSaveAsTXT->isChecked());
    EXPECT_FALSE(d.cbPeriodOfStorage->isChecked());
    EXPECT_FALSE(d.udDays->isEnabled()) << "the days wait for the period";
    EXPECT_EQ(d.udDays->value(), 10);
    EXPECT_FALSE(d.btnApply->isEnabled());
    d.cbSaveHistory->click();
    EXPECT_TRUE(d.btnApply->isEnabled());
    d.rbSaveAsRTF->click();
    d.cbPeriodOfStorage->click();
    EXPECT_TRUE(d.udDays->isEnabled());
    d.udDays->setValue(30);
    d.btnApply->click();
    EXPECT_FALSE(d.btnApply->isEnabled());
  }
  EXPECT_FALSE(LoadStorySaveHistory(key));
  EXPECT_TRUE(LoadStorySaveAsRTF(key));
  EXPECT_FALSE(LoadStorySaveAsTXT(key));
  EXPECT_TRUE(LoadStoryPeriodStorage(key));
  EXPECT_EQ(LoadStoryDays(key), 30);
  {
    TfmStory d(key, folder, "", recorder());
    EXPECT_FALSE(d.cbSaveHistory->isChecked());
    EXPECT_TRUE(d.rbSaveAsRTF->isChecked());
    EXPECT_FALSE(d.rbSaveAsTXT->isChecked());
    EXPECT_TRUE(d.cbPeriodOfStorage->isChecked());
    EXPECT_EQ(d.udDays->value(), 30);
    // Cancel stores nothing.
    d.cbSaveHistory->click();
    d.btnCancel->click();
  }
  EXPECT_FALSE(LoadStorySaveHistory(key));
}

TEST_F(StoryDialogTest, TheDaysStayWithinOneToThreeHundredSixtyFive) {
  struct Row {
    const char *name;
    int stored;
    const char *typed;
    int expected;
  } rows[] = {
      {"stored below", -4, nullptr, 1}, {"stored above", 9999, nullptr, 365},
      {"typed 400", 10, "400", 40},     {"typed 365", 10, "365", 365},
      {"typed 0", 10, "0", 10},
  };
  for (const Row &r : rows) {
    SaveStoryDays(key, r.stored);
    SaveStoryPeriodStorage(key, true);
    TfmStory d(key, folder, "", recorder());
    if (r.typed) {
      d.udDays->selectAll();
      QTest::keyClicks(d.udDays, r.typed);
      EXPECT_TRUE(d.btnApply->isEnabled()) << r.name;
    }
    d.btnOk->click();
    EXPECT_EQ(LoadStoryDays(key), r.expected) << r.name;
  }
  // The up-down alone enables Apply.
  TfmStory d(key, folder, "", recorder());
  d.udDays->stepUp();
  EXPECT_TRUE(d.btnApply->isEnabled());
}

TEST_F(StoryDialogTest, FileActionsWorkOnTheSelectedFileAndKeepTheNodeWhenTheyFail) {
  for (const char *f : {"a.txt", "b.txt", "c.txt"}) put(f);
  TfmStory d(key, folder, "", recorder());
  ASSERT_EQ(selected(d), "c.txt");
  const std::string c = folder + "/c.txt";

  d.actOpenFile.Execute(nullptr);
  d.actSaveAs.Execute(nullptr);
  EXPECT_EQ(calls, (std::vector<std::string>{"open " + c, "ask c.txt", "copy " + c + " > /elsewhere/copy.txt"}));
  calls.clear();

  chosen.clear(); // cancelled: nothing moves
  d.actMoveFile.Execute(nullptr);
  EXPECT_EQ(calls, (std::vector<std::string>{"ask c.txt"}));
  chosen = "/elsewhere/moved.txt";
  answer = false; // a failed move or delete keeps the node
  d.actMoveFile.Execute(nullptr);
  d.actDeleteFile.Execute(nullptr);
  EXPECT_EQ(names(d), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
  answer = true;
  calls.clear();
  d.actMoveFile.Execute(nullptr);
  EXPECT_EQ(calls, (std::vector<std::string>{"ask c.txt", "move " + c + " > /elsewhere/moved.txt"}));
  EXPECT_EQ(names(d), (std::vector<std::string>{"a.txt", "b.txt"}));
  d.tvHitoryList->setCurrentItem(d.tvHitoryList->topLevelItem(0));
  d.actDeleteFile.Execute(nullptr);
  EXPECT_EQ(names(d), (std::vector<std::string>{"b.txt"}));

  // Nothing selected: nothing happens.
  d.tvHitoryList->setCurrentItem(nullptr);
  calls.clear();
  for (tb::TTBAction *a : {&d.actOpenFile, &d.actSaveAs, &d.actMoveFile, &d.actDeleteFile}) {
    EXPECT_FALSE(a->Enabled());
    a->OnExecute(nullptr);
  }
  EXPECT_TRUE(calls.empty());
}

TEST_F(StoryDialogTest, OnTheFileSystemSaveAsCopiesMoveMovesAndDeleteDeletes) {
  for (const char *f : {"a.txt", "b.txt"}) put(f);
  TStoryFileServices files = DesktopStoryFileServices();
  std::string target;
  files.AskFileName = [&target](QWidget *, const QString &, std::string &Chosen) { return Chosen = target, true; };
  TfmStory d(key, folder, "", files);
  fs::create_directories(tmp.file("out"));
  target = tmp.file("out/copy.txt");
  kctest::writeFile(target, "old");
  d.actSaveAs.Execute(nullptr);
  EXPECT_EQ(kctest::readFile(target), "b.txt") << "an existing target is replaced";
  target = tmp.file("out/moved.txt");
  d.actMoveFile.Execute(nullptr);
  EXPECT_EQ(kctest::readFile(target), "b.txt");
  EXPECT_FALSE(fs::exists(folder + "/b.txt"));
  d.tvHitoryList->setCurrentItem(d.tvHitoryList->topLevelItem(0));
  target = tmp.file("no such folder/x.txt");
  d.actMoveFile.Execute(nullptr);
  EXPECT_TRUE(fs::exists(folder + "/a.txt")) << "a failed move leaves the file";
  EXPECT_EQ(d.tvHitoryList->topLevelItemCount(), 1);
  d.actDeleteFile.Execute(nullptr);
  EXPECT_FALSE(fs::exists(folder + "/a.txt"));
  EXPECT_EQ(d.tvHitoryList->topLevelItemCount(), 0);
}

TEST_F(StoryDialogTest, EscapeClosesEnterDoesNothingAndTextsComeFromTheLanguageFile) {
  const std::string file = tmp.file("de.lng");
  kctest::writeFile(file, "[fmStory]\nCaption=Verlauf\n[actDeleteFile]\nCaption=Entfernen\n");
  put("a.txt");
  put("b.txt");
  TfmStory d(key, folder, file, recorder());
  EXPECT_EQ(d.windowTitle(), "Verlauf");
  EXPECT_EQ(d.actDeleteFile.Caption(), "Entfernen");
  EXPECT_EQ(d.actMoveFile.Caption(), "Move file");
  d.show();
  QTest::keyClick(d.tvHitoryList, Qt::Key_Return);
  EXPECT_TRUE(d.isVisible());
  EXPECT_TRUE(calls.empty());
  QTest::keyClick(d.tvHitoryList, Qt::Key_Escape);
  EXPECT_FALSE(d.isVisible());
}

} // namespace
