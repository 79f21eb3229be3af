// Offered files on the real main window (offscreen): files put into the
// input box by the insert actions and by drops, the confirmation of files
// another user offered (one per sender, never modal, bounded), the FILETO
// bytes of a request, and the offered-file menu from a transcript click.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <fstream>

#include "core/SendMessageUn.h"
#include "platform/FileIcons.h"
#include "platform/ShellOpen.h"
#include "richtext/controls/RichVistaEdit.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "toolbars/TBarPopup.h"
#include "ui/OfferedFileIconUn.h"
#include "ui/fmInformationUn.h"
#include "ui/fmKavetChatUn.h"
#include "widgets/KcComCtrls.h"

namespace {

using namespace kc;

constexpr const char *kMe = "{ANNA}";
const std::string kSep(markup::kFileInfoSeparator);

std::string fileBlock(const std::string &Owner, const std::string &IP, const std::string &Path) {
  return "{[!CONTROLFILE!]}" + kSep + Owner + kSep + IP + kSep + "0" + kSep + Path + "{[!/CONTROLFILE!]}";
}

TTalkMessage from(const std::string &ID, const std::string &Body, const std::string &Alias = "Boris") {
  return {ID, "198.18.0.2", Body, 0xFF, 12, Alias, false};
}

// Every block of a body: owner ID, owner IP, number, path.
std::vector<std::array<std::string, 4>> blocks(const std::string &Body) {
  std::vector<std::array<std::string, 4>> out;
  const std::string open(markup::kFileOpen), close(markup::kFileClose);
  for (std::size_t at = Body.find(open); at != std::string::npos; at = Body.find(open, at + 1)) {
    const std::size_t end = Body.find(close, at);
    out.push_back(SplitFileInfo(std::string_view(Body).substr(at + open.size(), end - at - open.size())));
  }
  return out;
}

std::vector<std::string> nodeTexts(const TfmInformation &D) {
  std::vector<std::string> out;
  for (int i = 0; i < D.FileCount(); ++i) out.push_back(D.tvFiles->Node(i)->Text().toStdString());
  return out;
}

class FilesWindowTest : public ::testing::Test {
protected:
  FilesWindowTest() : config("XDG_CONFIG_HOME", dir.file("config")), data("XDG_DATA_HOME", dir.file("data")) {
    SetFileIconSink([](const std::string &, int) { return QImage(); });
    SetShellOpenSink([this](const std::string &Target) {
      opened.push_back(Target);
      return true;
    });
    TNetOptions o;
    o.ListenAddress = o.LocalIP = o.SendHost = "127.0.0.1";
    w = std::make_unique<TfmKavetChat>(o);
    RUserID me;
    me.ALIAS = "Anna";
    me.ID = kMe;
    me.IP = "198.18.0.1";
    w->Users().Append(me);
    w->ShowOwnIdentity();
    w->resize(475, 309);
    TTalkFrame all;
    w->OpenTalkTab("All Users", 1, all);
    w->SendDatagram = [this](const std::string &D) {
      sent.push_back(D);
      return true;
    };
    w->PopupFileMenu = [this](QPoint) { menus++; };
    std::ofstream(dir.file("a.txt")) << "a";
    std::ofstream(dir.file("b.txt")) << "b";
  }
  ~FilesWindowTest() override {
    w.reset();
    SetFileIconSink(nullptr);
    SetShellOpenSink(nullptr);
  }

  TCustomRichVistaEdit &input() { return *w->GetInputBox(0); }
  std::string inputText() { return w->DocumentToText(0); }

  kctest::TempDir dir{"kc-files"};
  kctest::ScopedEnv config, data;
  std::unique_ptr<TfmKavetChat> w;
  std::vector<std::string> sent, opened;
  int menus = 0;
};

TEST_F(FilesWindowTest, InsertedFilesGiveOneBlockEachWithOwnIdIpZeroAndPath) {
  ASSERT_TRUE(w->ActionList().actInsertFile.Visible());
  ASSERT_TRUE(w->ActionList().actInsertFile.Enabled());
  ASSERT_TRUE(w->ActionList().actInsertFolder.Visible());
  ASSERT_TRUE(w->ActionList().actInsertFolder.Enabled());
  w->OpenDialogForSend = [this] { return std::vector<std::string>{dir.file("a.txt"), dir.file("b.txt")}; };
  w->ActionList().actInsertFile.Execute(nullptr);
  const auto got = blocks(inputText());
  ASSERT_EQ(got.size(), 2u) << inputText();
  EXPECT_EQ(got[0], (std::array<std::string, 4>{kMe, "198.18.0.1", "0", dir.file("a.txt")}));
  EXPECT_EQ(got[1], (std::array<std::string, 4>{kMe, "198.18.0.1", "0", dir.file("b.txt")}));

  // The folder action takes an existing folder only.
  w->KcSelectDirectoryForSend = [this]() -> std::optional<std::string> { return dir.file("gone"); };
  w->ActionList().actInsertFolder.Execute(nullptr);
  EXPECT_EQ(blocks(inputText()).size(), 2u);
  w->KcSelectDirectoryForSend = [this]() -> std::optional<std::string> { return dir.path().string(); };
  w->ActionList().actInsertFolder.Execute(nullptr);
  ASSERT_EQ(blocks(inputText()).size(), 3u);
  EXPECT_EQ(blocks(inputText())[2][3], dir.path().string());
}

TEST_F(FilesWindowTest, FilesDroppedFromTheFileManagerBecomeIcons) {
  struct Row {
    const char *name;
    std::function<void(const std::vector<std::string> &)> drop;
  } rows[] = {
      {"on the window",
       [this](const std::vector<std::string> &Paths) {
         QMimeData mime;
         QList<QUrl> urls;
         for (const std::string &p : Paths) urls.append(QUrl::fromLocalFile(QString::fromStdString(p)));
         mime.setUrls(urls);
         QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
         QApplication::sendEvent(w.get(), &enter);
         EXPECT_TRUE(enter.isAccepted());
         QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
         QApplication::sendEvent(w.get(), &drop);
       }},
      {"on the input box",
       [this](const std::vector<std::string> &Paths) {
         TRVDropFileAction action = rvdfNone;
         bool doDefault = true;
         input().OnDropFiles(&input(), Paths, action, doDefault);
         EXPECT_FALSE(doDefault);
       }},
  };
  for (const Row &r : rows) {
    w->ClearInput(0);
    r.drop({dir.file("a.txt"), dir.file("missing.txt"), dir.path().string()});
    const auto got = blocks(inputText());
    ASSERT_EQ(got.size(), 2u) << r.name << ": " << inputText();
    EXPECT_EQ(got[0][3], dir.file("a.txt")) << r.name;
    EXPECT_EQ(got[1][3], dir.path().string()) << r.name;
  }
}

TEST_F(FilesWindowTest, TwoOfferedFilesOneConfirmationAndTheFirstCanBeRequested) {
  // The user is typing in the input box of the active window.
  w->show();
  QApplication::setActiveWindow(w.get());
  input().setFocus();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), &input());
  w->RenderTalkMessage(0, from("{BORIS}", "take" + fileBlock("{BORIS}", "198.18.0.2", "C:\\dir\\a.txt") +
                                              fileBlock("{BORIS}", "198.18.0.2", "/home/boris/a.txt")));
  EXPECT_EQ(w->FileOfferConfirmationCount(), 1);
  TfmInformation *d = w->FileOfferConfirmation("{BORIS}");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(nodeTexts(*d), (std::vector<std::string>{"a.txt  0 KB", "a.txt  0 KB"}));
  EXPECT_TRUE(d->isVisible());
  EXPECT_FALSE(d->isModal());
  EXPECT_TRUE(d->testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_EQ(d->lbUserName->text(), QStringLiteral("Boris"));
  EXPECT_EQ(d->lbUserIP->text(), QStringLiteral("198.18.0.2"));
  EXPECT_TRUE(sent.empty()) << "nothing is requested before OK";
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), &input()) << "the confirmation took the keys";
  EXPECT_EQ(QApplication::activeWindow(), w.get());

  d->tvFiles->SetNodeChecked(d->tvFiles->Node(1), false);
  d->edFolder->setText("/home/anna");
  d->btnOk->click();
  ASSERT_EQ(sent.size(), 1u);
  // The request as the core builds it, and byte for byte as peers read it.
  const std::string expected = std::string("FILETO!^:^$") + "<NOMBERFILE>0</NOMBERFILE>" +
                               "<FILENAME>C:\\dir\\a.txt</FILENAME>" + "<SERVERID>{BORIS}</SERVERID>" +
                               "<SERVERIP>198.18.0.2</SERVERIP>" + "<CLIENTID>{ANNA}</CLIENTID>" +
                               "<CLIENTIP>198.18.0.1</CLIENTIP>";
  EXPECT_EQ(sent[0], expected);
  EXPECT_EQ(sent[0], FileToText("0", "C:\\dir\\a.txt", "{BORIS}", "198.18.0.2", kMe, "198.18.0.1"));
}

TEST_F(FilesWindowTest, OffersJoinTheSendersOpenConfirmationAndStayBounded) {
  w->RenderTalkMessage(0, from("{BORIS}", fileBlock("{BORIS}", "198.18.0.2", "/b/one.txt")));
  w->RenderTalkMessage(0, from("{CLARA}", fileBlock("{CLARA}", "198.18.0.3", "/c/two.txt"), "Clara"));
  w->RenderTalkMessage(0, from("{BORIS}", fileBlock("{BORIS}", "198.18.0.2", "/b/three.txt")));
  EXPECT_EQ(w->FileOfferConfirmationCount(), 2);
  EXPECT_EQ(nodeTexts(*w->FileOfferConfirmation("{BORIS}")),
            (std::vector<std::string>{"one.txt  0 KB", "three.txt  0 KB"}));
  EXPECT_EQ(nodeTexts(*w->FileOfferConfirmation("{CLARA}")), (std::vector<std::string>{"two.txt  0 KB"}));

  // 200 offers of one peer: still his one window, its list bounded.
  for (int i = 0; i < 200; ++i) {
    std::string body;
    for (int k = 0; k < 3; ++k) body += fileBlock("{BORIS}", "198.18.0.2", "/b/f" + std::to_string(i * 3 + k));
    w->RenderTalkMessage(0, from("{BORIS}", body));
  }
  EXPECT_EQ(w->FileOfferConfirmationCount(), 2);
  EXPECT_EQ(w->FileOfferConfirmation("{BORIS}")->FileCount(), TfmInformation::kMaxFiles);

  // Made-up senders open no more than the bound.
  for (int i = 0; i < 3 * TfmKavetChat::kMaxFileConfirmations; ++i) {
    const std::string id = "{X" + std::to_string(i) + "}";
    w->RenderTalkMessage(0, from(id, fileBlock(id, "198.18.0.9", "/x")));
  }
  EXPECT_EQ(w->FileOfferConfirmationCount(), TfmKavetChat::kMaxFileConfirmations);

  // A closed confirmation makes room; the next offer opens a new one.
  w->FileOfferConfirmation("{CLARA}")->reject();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(w->FileOfferConfirmation("{CLARA}"), nullptr);
  w->RenderTalkMessage(0, from("{CLARA}", fileBlock("{CLARA}", "198.18.0.3", "/c/four.txt"), "Clara"));
  ASSERT_NE(w->FileOfferConfirmation("{CLARA}"), nullptr);
  EXPECT_EQ(nodeTexts(*w->FileOfferConfirmation("{CLARA}")), (std::vector<std::string>{"four.txt  0 KB"}));
}

TEST_F(FilesWindowTest, OwnEchoAsksNothingAndAForgedOwnerIsNotMine) {
  // The echo of our own message.
  w->RenderTalkMessage(0, from(kMe, fileBlock(kMe, "198.18.0.1", dir.file("a.txt")), "Anna"));
  EXPECT_EQ(w->FileOfferConfirmationCount(), 0);
  // Someone else names our ID as the owner of a path of ours.
  w->RenderTalkMessage(0, from("{EVE}", fileBlock(kMe, "198.18.0.1", dir.file("a.txt")), "<b>Eve</b>"));
  TfmInformation *d = w->FileOfferConfirmation("{EVE}");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->lbUserName->text(), QStringLiteral("<b>Eve</b>"));
  EXPECT_EQ(d->lbUserName->textFormat(), Qt::PlainText);
  const int index = d->CheckedFiles().at(0);
  ASSERT_NE(w->OfferedFiles.Find(index), nullptr);
  EXPECT_FALSE(w->OfferedFiles.Find(index)->Mine);
}

TEST_F(FilesWindowTest, AClickOnAnOfferedFileInTheTranscriptOpensItsMenu) {
  w->RenderTalkMessage(0, from("{BORIS}", "x" + fileBlock("{BORIS}", "198.18.0.2", "/b/one.txt")));
  TCustomRichVistaEdit &view = *w->GetTranscriptView(0);
  int fileItem = -1;
  for (int i = 0; i < view.ItemCountOf(); ++i)
    if (OfferedFileIndexOfItem(view, i) >= 0) fileItem = i;
  ASSERT_GE(fileItem, 0);
  // A click elsewhere does nothing.
  view.OnRVMouseUp(&view, rvmbLeft, {}, 0, 1, 1);
  EXPECT_EQ(menus, 0);
  view.OnRVMouseUp(&view, rvmbLeft, {}, fileItem, 1, 1);
  EXPECT_EQ(menus, 1);
  EXPECT_EQ(w->SelectedOfferedFile, OfferedFileIndexOfItem(view, fileItem));
  // The same with the mouse on the icon.
  w->show();
  view.ReformatDocument();
  int left = 0, top = 0;
  ASSERT_TRUE(view.RVData()->GetItemClientCoords(fileItem, left, top));
  w->SelectedOfferedFile = -1;
  QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(left + 4, top + 4));
  EXPECT_EQ(menus, 2);
  EXPECT_EQ(w->SelectedOfferedFile, OfferedFileIndexOfItem(view, fileItem));

  // Another user's file: only "Get file or folder", which opens his
  // confirmation with that file.
  TMainActionList &a = w->ActionList();
  a.pmFileOrFolder().OnPopup();
  EXPECT_FALSE(a.actOpenFileOrFolder.Enabled());
  EXPECT_FALSE(a.actSaveAsFileOrFolder.Enabled());
  EXPECT_TRUE(a.actGetFileOrFolder.Enabled());
  w->FileOfferConfirmation("{BORIS}")->reject();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  tb::TTBItem item;
  a.actGetFileOrFolder.Execute(&item);
  ASSERT_NE(w->FileOfferConfirmation("{BORIS}"), nullptr);
  EXPECT_EQ(nodeTexts(*w->FileOfferConfirmation("{BORIS}")), (std::vector<std::string>{"one.txt  0 KB"}));

  // An own file: Open and Save as, which act on the local file only.
  input().setFocus();
  w->InsertFiles({dir.file("a.txt")});
  w->RenderTalkMessage(0, from(kMe, inputText(), "Anna"));
  for (int i = 0; i < view.ItemCountOf(); ++i)
    if (OfferedFileIndexOfItem(view, i) >= 0) fileItem = i;
  view.OnRVMouseUp(&view, rvmbRight, {}, fileItem, 1, 1);
  a.pmFileOrFolder().OnPopup();
  EXPECT_TRUE(a.actOpenFileOrFolder.Enabled());
  EXPECT_TRUE(a.actSaveAsFileOrFolder.Enabled());
  EXPECT_FALSE(a.actGetFileOrFolder.Enabled());
  a.actOpenFileOrFolder.Execute(&item);
  EXPECT_EQ(opened, std::vector<std::string>{dir.file("a.txt")});
  w->SaveDialog = [this](const std::string &) -> std::optional<std::string> { return dir.file("copy.txt"); };
  a.actSaveAsFileOrFolder.Execute(&item);
  std::ifstream copy(dir.file("copy.txt"));
  std::string content;
  copy >> content;
  EXPECT_EQ(content, "a");
}

} // namespace
