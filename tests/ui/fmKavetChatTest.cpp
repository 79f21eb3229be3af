// The main window on real widgets (offscreen): the input area's height,
// talks saved to the history in tab order and in the chosen format, a
// history that cannot be written said so, and tabs that open while the user
// types waiting behind.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/ConstUnit.h"
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "richtext/controls/RVRTFImport.h"
#include "richtext/controls/RichVistaEdit.h"
#include "richtext/document/RVItem.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/fmKavetChatRender.h"
#include "ui/fmKavetChatUn.h"
#include "ui/frConnectUserUn.h"
#include "widgets/KcComCtrls.h"
#include "widgets/KcStatusBar.h"

namespace {

using namespace kc;

TEST(TalkFrameTest, InputAreaHeightIsClampedToTheFrame) {
  struct Row {
    const char *name;
    int stored, frame, expected;
  } rows[] = {
      {"too high for the frame", 300, 277, 177},
      {"below the minimum", 10, 277, 80},
      {"fits", 150, 277, 150},
      {"frame too small for both: the minimum wins", 300, 150, 80},
  };
  for (const Row &r : rows) EXPECT_EQ(TfrConnectUser::InputAreaHeight(r.stored, r.frame), r.expected) << r.name;
}

class MainWindowTest : public ::testing::Test {
protected:
  MainWindowTest()
      : config("XDG_CONFIG_HOME", (dir.path() / "config").string()),
        data("XDG_DATA_HOME", (dir.path() / "data").string()) {
    std::filesystem::create_directories(history);
    TNetOptions o;
    o.ListenAddress = o.LocalIP = o.SendHost = "127.0.0.1";
    w = std::make_unique<TfmKavetChat>(o);
    RUserID me;
    me.ALIAS = "Anna";
    me.ID = "{ANNA}";
    me.IP = "127.0.0.1";
    w->Users().Append(me);
    w->HistoryFolder = history.string();
    w->SaveHistory = true;
    w->resize(475, 309);
    TTalkFrame all;
    w->OpenTalkTab("All Users", 1, all);
  }

  int open(const std::string &Caption, std::uint8_t Kind, const std::string &PartnerID) {
    TTalkFrame f;
    f.TalkKind = Kind;
    f.AutorGroupID = PartnerID;
    return w->OpenTalkTab(Caption, 11, f);
  }

  std::set<std::string> files() const {
    std::set<std::string> out;
    for (const auto &e : std::filesystem::directory_iterator(history)) out.insert(e.path().filename().string());
    return out;
  }

  static std::string documentText(const TCustomRVData &Data) {
    std::string out;
    for (int i = 0; i < Data.GetItemCount(); ++i) {
      if (i > 0 && Data.GetItem(i)->IsFromNewLine()) out += "\n";
      out += Data.GetItemTextA(i);
    }
    return out;
  }

  kctest::TempDir dir{"kc-mainwin"};
  std::filesystem::path history = dir.path() / "History";
  kctest::ScopedEnv config, data;
  std::unique_ptr<TfmKavetChat> w;
};

TEST_F(MainWindowTest, ClosedTabsWriteOneHistoryFileEachInTabOrder) {
  const std::vector<std::string> names = {"Boris", "Clara", "Team"};
  for (const std::string &n : names) {
    const int tab = open(n, n == "Team" ? tkOtherGroup : tkPrivate, "{" + n + "}");
    w->RenderTalkMessage(tab, {"{" + n + "}", "127.0.0.2", "hello from " + n, 0xFF, 11, n, false});
  }
  // The middle one is kept as RTF.
  for (const std::string &n : names) {
    ASSERT_EQ(w->TabCaption(1), n);
    w->SaveAsRTF = n == "Clara";
    const std::set<std::string> before = files();
    const std::string shown = documentText(*w->GetTranscriptView(1)->RVData());
    w->SaveTalkHistory(1);
    w->FreeTab(1);
    std::vector<std::string> added;
    for (const std::string &f : files())
      if (!before.count(f)) added.push_back(f);
    ASSERT_EQ(added.size(), 1u) << n;
    EXPECT_EQ(added[0].rfind(n + " and Anna ", 0), 0u) << added[0];
    EXPECT_TRUE(added[0].ends_with(n == "Clara" ? ".rtf" : ".txt")) << added[0];
    std::string content;
    ASSERT_TRUE(ReadWholeFile((history / added[0]).string(), content));
    if (n != "Clara") {
      EXPECT_NE(content.find("hello from " + n), std::string::npos) << content;
      continue;
    }
    // The RTF reads back through our reader to the transcript's text.
    TRichVista back;
    TRVStyle sheet;
    back.SetStyle(&sheet);
    TRVRTFReaderProperties p;
    ASSERT_EQ(ImportRTFIntoDocument(content, *back.RVData(), p), 0);
    EXPECT_NE(shown.find("hello from Clara"), std::string::npos) << shown;
    EXPECT_EQ(documentText(*back.RVData()), shown);
  }
  EXPECT_EQ(w->TabCount(), 1);
  EXPECT_EQ(w->pcMain->count(), 1);
}

TEST_F(MainWindowTest, EmptyTranscriptWritesNothingButKeepsTheInputHeight) {
  const int tab = open("Boris", tkPrivate, "{B}");
  w->Frame(tab)->SetInputHeight(120);
  w->SaveTalkHistory(tab);
  EXPECT_TRUE(files().empty());
  EXPECT_EQ(w->StoredInputHeight(), 120);
}

TEST_F(MainWindowTest, HistoryThatCannotBeWrittenIsShown) {
  const int tab = open("Boris", tkPrivate, "{B}");
  w->RenderTalkMessage(tab, {"{B}", "127.0.0.2", "lost?", 0, 11, "Boris", false});
  // The history folder is a file now: nothing can be written into it.
  ASSERT_TRUE(WriteFileAtomically((dir.path() / "blocked").string(), "x"));
  w->HistoryFolder = (dir.path() / "blocked").string();
  w->SaveTalkHistory(tab);
  EXPECT_TRUE(w->KcStatusBar->Panels()[TfmKavetChat::kNoticePanel].Text.startsWith("History not saved"))
      << w->KcStatusBar->Panels()[TfmKavetChat::kNoticePanel].Text.toStdString();
}

TEST_F(MainWindowTest, ATalkOpenedWhileTheUserTypesWaitsBehind) {
  struct Row {
    const char *name;
    std::string typed;
    bool newTabActive;
  } rows[] = {{"empty input box: the new talk comes to the front", "", true},
              {"text in the input box: the new talk waits behind", "half a sentence", false}};
  for (const Row &r : rows) {
    w->pcMain->setCurrentIndex(0);
    TCustomRichVistaEdit *box = w->GetInputBox(0);
    box->ClearDocument();
    if (!r.typed.empty()) box->AddTextParagraph(r.typed, 0, 0);
    box->ReformatDocument();
    const int tab = open(std::string("Talk ") + (r.newTabActive ? "A" : "B"), tkPrivate, "{X}");
    EXPECT_EQ(w->ActiveTab() == tab, r.newTabActive) << r.name;
    EXPECT_EQ(w->Talks().Active(), w->ActiveTab()) << r.name;
    EXPECT_EQ(w->DocumentToText(0), r.typed) << r.name;
  }
}

TEST_F(MainWindowTest, InputBoxTextIsItsParagraphs) {
  TCustomRichVistaEdit *box = w->GetInputBox(0);
  box->AddTextParagraph("first", 0, 0);
  box->AddTextParagraph("second", 0, 0);
  box->ReformatDocument();
  EXPECT_EQ(w->DocumentToText(0), "first\x0A\x0Dsecond");
  w->ClearInput(0);
  EXPECT_EQ(w->DocumentToText(0), "");
}

} // namespace

namespace {

using namespace kc;

TEST_F(MainWindowTest, ErrorsFromTheNetworkOpenNoNestedEventLoop) {
  // A modal dialog here would run an event loop inside the datagram's
  // handler; the call must come back with the dialog still open.
  w->ShowErrorDialog("first");
  w->ShowErrorDialog("Excuse. A mistake at sending the message");
  // One dialog, showing the latest error: errors from the network do not
  // pile up windows.
  std::vector<QMessageBox *> boxes;
  for (QWidget *t : QApplication::topLevelWidgets())
    if (auto *b = qobject_cast<QMessageBox *>(t); b && b->isVisible()) boxes.push_back(b);
  ASSERT_EQ(boxes.size(), 1u);
  QMessageBox *box = boxes[0];
  EXPECT_FALSE(box->isModal());
  EXPECT_EQ(box->text().toStdString(), "Excuse. A mistake at sending the message");
  EXPECT_NE(w->DumpJson().find("\"dialogs\":[{\"name\":\"fmError\""), std::string::npos) << w->DumpJson();
  box->close();
}

} // namespace

namespace {

using namespace kc;

TEST_F(MainWindowTest, AFullTranscriptHandsItsOldestMessageToTheHistoryAndTheViewFollows) {
  const int tab = open("Boris", tkPrivate, "{B}");
  const std::size_t cap = TTalkListModel::kMaxTranscript;
  TCustomRichVistaEdit *view = w->GetTranscriptView(tab);
  w->RenderTalkMessage(tab, {"{B}", "127.0.0.2", "message 0", 0, 11, "Boris", false});
  const int perMessage = view->ItemCountOf();
  for (std::size_t i = 1; i <= cap; ++i)
    w->RenderTalkMessage(tab, {"{B}", "127.0.0.2", "message " + std::to_string(i), 0, 11, "Boris", false});
  const TTalkTab *t = w->Talks().Tab(tab);
  ASSERT_EQ(t->Transcript.size(), cap);
  // The first message went to the talk's plain-text history; the view shows
  // the messages the model keeps, each as header and body.
  std::string dropped;
  ASSERT_FALSE(t->HistoryPath.empty());
  ASSERT_TRUE(ReadWholeFile(t->HistoryPath, dropped));
  EXPECT_EQ(dropped, "[Boris]\r\nmessage 0\r\n");
  ASSERT_EQ(view->ItemCountOf(), int(perMessage * cap));
  EXPECT_EQ(view->ItemTextOf(perMessage - 1), "message 1");
  // Closing the talk adds the rest to the same file.
  w->SaveTalkHistory(tab);
  ASSERT_TRUE(ReadWholeFile(t->HistoryPath, dropped));
  EXPECT_NE(dropped.find("message 10000"), std::string::npos);
  EXPECT_EQ(files().size(), 1u);
}

// Animations trimmed from old messages leave each message its own items:
// the messages the full transcript lets go later take exactly theirs.
TEST_F(MainWindowTest, TrimmedAnimationsKeepTheViewInStepWithTheModel) {
  w->CreateGifCatalogue();
  const int tab = open("Boris", tkPrivate, "{B}");
  TCustomRichVistaEdit *view = w->GetTranscriptView(tab);
  const std::size_t cap = TTalkListModel::kMaxTranscript;
  // Eight with an animation: the two oldest animations are trimmed; then
  // the transcript lets go of all eight and one more.
  for (std::size_t i = 0; i < cap + 9; ++i) {
    std::string body = "message " + std::to_string(i);
    if (i < 8) body += "{[!CONTROL!]}" + std::to_string(i) + "{[/!CONTROL!]}";
    w->RenderTalkMessage(tab, {"{B}", "127.0.0.2", body, 0, 11, "Boris", false});
  }
  ASSERT_EQ(w->Talks().Tab(tab)->Transcript.front().Body, "message 9");
  // The view starts with message 9: picture, header, line, body.
  EXPECT_EQ(view->ItemTextOf(1), "[Boris]");
  EXPECT_EQ(view->ItemTextOf(3), "message 9");
  EXPECT_EQ(view->ItemCountOf(), int(4 * cap));
  EXPECT_TRUE(view->GetItem(0)->IsParaStart());
  EXPECT_EQ(view->RVData()->CheckDrawLines(), "");
  EXPECT_EQ(TTranscriptRenderer::CountGifs(*view), 0);
}

// The window's toolbars sit in its top dock, and each talk's send toolbar
// comes from the window's actions; only the all-users talk has no close.
TEST_F(MainWindowTest, ToolbarsAreDockedAndSendToolbarsComeFromTheActions) {
  EXPECT_EQ(w->ActionList().tbMainForm()->CurrentDock(), w->TBDockMainTop);
  EXPECT_EQ(w->ActionList().tbAdditional()->CurrentDock(), w->TBDockMainTop);
  const int privateTab = open("Boris & Co", tkPrivate, "{BORIS}");
  struct Row {
    const char *name;
    int tab;
    bool closeShown;
  } rows[] = {{"all users", 0, false}, {"private talk", privateTab, true}};
  for (const Row &r : rows) {
    tb::TTBCustomItem &root = *w->Frame(r.tab)->tbSendMessage->Items();
    tb::TTBCustomItem *send = nullptr, *close = nullptr;
    for (int i = 0; i < root.Count(); ++i) {
      if (root.ItemAt(i)->Action() == &w->ActionList().actSendMessage) send = root.ItemAt(i);
      if (root.ItemAt(i)->Tag == kCloseTalkTag) close = root.ItemAt(i);
    }
    ASSERT_NE(send, nullptr) << r.name;
    ASSERT_NE(close, nullptr) << r.name;
    EXPECT_EQ(close->Visible(), r.closeShown) << r.name;
  }
  // A name with "&" is shown as it is, not as an accelerator.
  EXPECT_EQ(w->pcMain->Pages(privateTab)->Caption(), QStringLiteral("Boris && Co"));
}

} // namespace
