// The notice dialog: the files it lists and hands on (the first file of a
// run too), what OK and Cancel store on the close pages, and its texts from
// a language file, shown as plain text whatever a peer put into them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <fstream>

#include "core/iniFileUn.h"
#include "platform/GuiTimer.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/OfferedFileIconUn.h"
#include "ui/WorkFormatTextRichVistaEditUn.h"
#include "ui/fmInformationUn.h"
#include "widgets/KcComCtrls.h"

namespace {

using namespace kc;

RLFile file(const std::string &Path, int Number = 0) {
  RLFile f;
  f.Path = Path;
  f.Number = Number;
  f.OwnerID = "{BORIS}";
  f.OwnerIP = "198.18.0.2";
  return f;
}

std::vector<std::string> nodeTexts(const TfmInformation &D) {
  std::vector<std::string> out;
  for (int i = 0; i < D.FileCount(); ++i) out.push_back(D.tvFiles->Node(i)->Text().toStdString());
  return out;
}

class InformationTest : public ::testing::Test {
protected:
  InformationTest() : config("XDG_CONFIG_HOME", dir.file("config")) {}
  kctest::TempDir dir{"kc-information"};
  kctest::ScopedEnv config;
  const std::string key = "Software\\Dornick\\Kavet Chat Test";
};

TEST_F(InformationTest, ListsEachFileAsNameTwoBlanksNumberAndKB) {
  struct Row {
    const char *name;
    std::string path;
    int number;
    std::string shown;
  } rows[] = {
      {"a path of this system", "/home/boris/a.txt", 0, "a.txt  0 KB"},
      {"a Windows path", "C:\\dir\\a.txt", 0, "a.txt  0 KB"},
      {"a folder with a separator at the end", "C:\\dir\\docs\\", 0, "docs  0 KB"},
      {"mixed separators", "/share\\x/y\\b.doc", 12, "b.doc  12 KB"},
      {"no folder at all", "plain.txt", 0, "plain.txt  0 KB"},
      {"markup is only text", "/tmp/<b>bold&amp;.txt", 0, "<b>bold&amp;.txt  0 KB"},
  };
  for (const Row &r : rows) {
    TfmInformation d(key);
    ASSERT_TRUE(d.AddOfferedFileNode(7, file(r.path, r.number))) << r.name;
    EXPECT_EQ(nodeTexts(d), std::vector<std::string>{r.shown}) << r.name;
  }
  EXPECT_EQ(OfferedFileName("C:\\dir\\a.txt"), "a.txt");
}

TEST_F(InformationTest, OkHandsOnTheCheckedFilesTheFirstOfTheRunToo) {
  struct Row {
    const char *name;
    std::vector<bool> checked;
    std::string folder;
    std::vector<std::vector<int>> expected; // calls of OnAcceptFiles
  } rows[] = {
      {"all checked as shown", {true, true}, "/home/anna", {{0, 1}}},
      {"only the first: index 0 is a file", {true, false}, "/home/anna", {{0}}},
      {"only the second", {false, true}, "/home/anna", {{1}}},
      {"none checked: nothing", {false, false}, "/home/anna", {}},
      {"blank folder: nothing", {true, true}, "   ", {}},
  };
  for (const Row &r : rows) {
    TfmInformation d(key);
    std::vector<std::vector<int>> calls;
    std::string folder;
    d.OnAcceptFiles = [&](const std::vector<int> &Indices, const std::string &Folder) {
      calls.push_back(Indices);
      folder = Folder;
    };
    d.AddOfferedFileNode(0, file("/x/first.txt"));
    d.AddOfferedFileNode(1, file("/x/second.txt"));
    EXPECT_EQ(nodeTexts(d), (std::vector<std::string>{"first.txt  0 KB", "second.txt  0 KB"})) << r.name;
    for (int i = 0; i < 2; ++i) {
      EXPECT_TRUE(d.tvFiles->GetNodeChecked(d.tvFiles->Node(i))) << r.name << ": every file starts checked";
      d.tvFiles->SetNodeChecked(d.tvFiles->Node(i), r.checked[std::size_t(i)]);
    }
    d.edFolder->setText(QString::fromStdString(r.folder));
    d.btnOk->click();
    EXPECT_EQ(d.result(), QDialog::Accepted) << r.name;
    EXPECT_EQ(calls, r.expected) << r.name;
    if (!calls.empty()) {
      EXPECT_EQ(folder, r.folder) << r.name;
    }
  }
}

TEST_F(InformationTest, TheListIsBounded) {
  TfmInformation d(key);
  for (int i = 0; i < TfmInformation::kMaxFiles; ++i) ASSERT_TRUE(d.AddOfferedFileNode(i, file("/f")));
  EXPECT_FALSE(d.AddOfferedFileNode(TfmInformation::kMaxFiles, file("/f")));
  EXPECT_FALSE(d.AddOfferedFileNode(-1, file("/f")));
  EXPECT_EQ(d.FileCount(), TfmInformation::kMaxFiles);
}

TEST_F(InformationTest, TheFolderButtonTakesTheChosenFolderOnly) {
  TfmInformation d(key);
  d.edFolder->setText("/start");
  std::string asked;
  d.ChooseFolder = [&](const std::string &Start) -> std::optional<std::string> {
    asked = Start;
    return std::nullopt;
  };
  d.btnOpen->click();
  EXPECT_EQ(asked, "/start");
  EXPECT_EQ(d.Folder(), "/start");
  d.ChooseFolder = [](const std::string &) -> std::optional<std::string> { return "/chosen"; };
  d.btnOpen->click();
  EXPECT_EQ(d.Folder(), "/chosen");
}

TEST_F(InformationTest, ClosePagesStoreTheAnswerOnOkOnly) {
  struct Row {
    const char *name;
    int page;
    bool ok, notShow, leave;
    bool storedNotShow, storedCloseAll, storedLeaveAll, storedGroup;
  } rows[] = {
      {"group closed, OK with do-not-show", TfmInformation::kPageGroupClosed, true, true, false, false, true, false,
       true},
      {"group closed, Cancel", TfmInformation::kPageGroupClosed, false, true, false, false, true, false, false},
      {"private closed, OK always leave", TfmInformation::kPagePrivateClosed, true, true, true, true, false, true,
       false},
      {"private closed, OK always close", TfmInformation::kPagePrivateClosed, true, false, false, false, true, false,
       false},
      {"private closed, Cancel", TfmInformation::kPagePrivateClosed, false, true, true, false, true, false, false},
  };
  for (const Row &r : rows) {
    // The stored defaults before each row.
    SaveCloseTalkGroupValue(key, false);
    SaveCloseTalkGroupPrivateValue(key, false, true, false);
    TfmInformation d(key);
    d.SetPage(r.page);
    d.cbNotCloseTalkDialog->setChecked(r.notShow);
    d.cbClosePrivate->setChecked(r.notShow);
    (r.leave ? d.rbAlwaysLeave : d.rbAlwaysClose)->setChecked(true);
    (r.ok ? d.btnOk : d.btnCancel)->click();
    EXPECT_EQ(d.result(), r.ok ? QDialog::Accepted : QDialog::Rejected) << r.name;
    bool notShow = false, closeAll = false, leaveAll = false;
    LoadCloseTalkGroupPrivateValue(key, notShow, closeAll, leaveAll);
    EXPECT_EQ(notShow, r.storedNotShow) << r.name;
    EXPECT_EQ(closeAll, r.storedCloseAll) << r.name;
    EXPECT_EQ(leaveAll, r.storedLeaveAll) << r.name;
    EXPECT_EQ(LoadCloseTalkGroupValue(key), r.storedGroup) << r.name;
  }
}

TEST_F(InformationTest, TextsComeFromTheLanguageFileAndNamesStayText) {
  const std::string lng = dir.file("test.lng");
  std::ofstream(lng) << "[LNG]\nLanguageName=Test\n"
                        "[lbAliase]\nCaption=Name:\n"
                        "[CloseTalkInformation]\nCaption=Group gone\n"
                        "[lbCloseTalk]\nCaption=%s closed %s (100%)\n"
                        "[rbAlwaysLeave]\nCaption=Leave it\n"
                        "[cbNotCloseTalkDialog]\nCaption=Never again\n";
  struct Row {
    const char *name;
    std::string file;
    int page;
    std::string alias, group;
    QString header, closeTalk, notShow;
  } rows[] = {
      {"built-in, page 0: the header starts with a Cyrillic Es", "", TfmInformation::kPageSendFile, "", "",
       QStringLiteral("\u0421onfirmation of reception of files"),
       QStringLiteral("The author of group of dialogue \"\" has closed group \"\" and has stopped conversation. For "
                      "renewal of dialogue create please own group."),
       QStringLiteral("To not show more this window.")},
      {"built-in, page 3", "", TfmInformation::kPagePrivateClosed, "Boris", "",
       QStringLiteral("Closing of private talk"),
       QStringLiteral("The author of group of dialogue \"Boris\" has closed group \"\" and has stopped conversation. "
                      "For renewal of dialogue create please own group."),
       QStringLiteral("To not show more this window.")},
      {"file, page 2, a name that looks like a format", lng, TfmInformation::kPageGroupClosed, "%s<b>", "Team%d",
       QStringLiteral("Group gone"), QStringLiteral("%s<b> closed Team%d (100%)"), QStringLiteral("Never again")},
  };
  for (const Row &r : rows) {
    TfmInformation d(key);
    d.LanguageFile = r.file;
    d.SetPage(r.page);
    d.AuthorAlias = r.alias;
    d.GroupName = r.group;
    d.SetLanguage();
    EXPECT_EQ(d.HeaderText(), r.header) << r.name;
    EXPECT_EQ(d.windowTitle(), r.header) << r.name;
    EXPECT_EQ(d.lbCloseTalk->text(), r.closeTalk) << r.name;
    EXPECT_EQ(d.cbNotCloseTalkDialog->text(), r.notShow) << r.name;
    EXPECT_EQ(d.cbClosePrivate->text(), r.notShow) << r.name;
    EXPECT_EQ(d.lbCloseTalk->textFormat(), Qt::PlainText) << r.name;
    EXPECT_EQ(d.lbHeaderText1->textFormat(), Qt::PlainText) << r.name;
  }
  TfmInformation d(key);
  d.LanguageFile = lng;
  d.OptionsCaption = QStringLiteral("Settings");
  d.SetUserName("<i>Boris</i>");
  d.SetLanguage();
  EXPECT_EQ(d.lbAliaseUser1->text(), QStringLiteral("Name:"));
  EXPECT_EQ(d.rbAlwaysLeave->text(), QStringLiteral("Leave it"));
  EXPECT_EQ(d.rbAlwaysClose->text(), QStringLiteral("Always to close"));
  EXPECT_EQ(d.cbOptions->title(), QStringLiteral("Settings"));
  EXPECT_EQ(d.btnOk->text(), QStringLiteral("&OK"));
  EXPECT_EQ(d.lbUserName->text(), QStringLiteral("<i>Boris</i>"));
  EXPECT_EQ(d.lbUserName->textFormat(), Qt::PlainText);
}

TEST_F(InformationTest, ShownQuietlyItIsNotModalAndTakesNoFocus) {
  TfmInformation d(key);
  d.ShowQuietly();
  EXPECT_FALSE(d.isModal());
  EXPECT_TRUE(d.testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_TRUE(d.isVisible());
  // Showing reads the texts.
  EXPECT_EQ(d.HeaderText(), QStringLiteral("\u0421onfirmation of reception of files"));
}

TEST_F(InformationTest, TheActivationShowingCausesGoesBackButTheUsersStays) {
  ManualTimerClock clock;
  QWidget typing;
  auto *edit = new QLineEdit(&typing);
  typing.show();
  QApplication::setActiveWindow(&typing);
  edit->setFocus();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), edit);
  TfmInformation d(key);
  d.ShowQuietly();
  // However the window system treats a window shown without activation.
  d.activateWindow();
  QApplication::processEvents();
  EXPECT_EQ(QApplication::activeWindow(), &typing);
  EXPECT_EQ(QApplication::focusWidget(), edit);
  // Later the user turns to the dialog himself.
  clock.advance(TfmInformation::kQuietMs + 100);
  d.activateWindow();
  QApplication::processEvents();
  EXPECT_EQ(QApplication::activeWindow(), &d);
}

} // namespace
