// The user list on real widgets (offscreen), on the headless windows' model:
// presence shown as nodes, groups made, renamed, deleted and moved into with
// every change stored at once (a crash loses nothing), talks with chosen
// users, member menus, the questions when a partner leaves, mail and the
// interface language.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QScrollArea>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/GroupBoxStorageUn.h"
#include "core/LngUn.h"
#include "core/iniFileUn.h"
#include "platform/GuiTimer.h"
#include "platform/ShellOpen.h"
#include "support/EventPump.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "toolbars/TBSkinPlus.h"
#include "toolbars/TBarToolbar.h"
#include "ui/fmEditorUn.h"
#include "ui/fmKavetChatUn.h"
#include "ui/TfmUserProfileUn.h"
#include "ui/fmUserListUn.h"
#include "ui/frConnectUserUn.h"
#include "widgets/KcStatusBar.h"
#include "widgets/glGrBox.h"

#include <QLineEdit>

namespace {

using namespace kc;

std::string announce(const std::string &Kind, const std::string &ID, const std::string &Alias,
                     const std::string &IP = "127.0.0.5", const std::string &Email = "") {
  return Kind + "!^:^$<ALIAS>" + Alias + "</ALIAS><IP>" + IP + "</IP><ID>" + ID + "</ID><IMAGEINDEX>12</IMAGEINDEX>" +
         "<COLOR>255</COLOR><EMAIL>" + Email + "</EMAIL>";
}

TEST(UserListHelpersTest, BoxHeightsStayWithinTheirRange) {
  struct Row {
    const char *name;
    int rows, rowHeight, expected;
  } rows[] = {
      {"empty tree: the least height", 0, 34, 60},
      {"one row: room for one more", 1, 34, 78},
      {"rows that fit", 5, 34, 214},
      {"many rows: the most height", 1000, 34, 560},
  };
  for (const Row &r : rows) EXPECT_EQ(TfmUserList::GroupBoxHeight(r.rows, r.rowHeight), r.expected) << r.name;
}

TEST(UserListHelpersTest, UserColoursKeepEnoughContrast) {
  struct Row {
    const char *name;
    TColor user, background, expected;
  } rows[] = {
      {"black on a dark theme is drawn white", RGB(0, 0, 0), RGB(30, 30, 30), RGB(255, 255, 255)},
      {"white on white is drawn black", RGB(255, 255, 255), RGB(255, 255, 255), RGB(0, 0, 0)},
      {"red on white stays red", RGB(200, 0, 0), RGB(255, 255, 255), RGB(200, 0, 0)},
      {"black on white stays black", RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0)},
  };
  for (const Row &r : rows) EXPECT_EQ(TfmUserList::ReadableUserColor(r.user, r.background), r.expected) << r.name;
}

class UserListTest : public ::testing::Test {
protected:
  UserListTest()
      : config("XDG_CONFIG_HOME", (dir.path() / "config").string()),
        data("XDG_DATA_HOME", (dir.path() / "data").string()),
        resources("KAVET_RESOURCE_DIR", (dir.path() / "res").string()) {
    std::filesystem::create_directories(dir.path() / "res" / "Lng");
    SetShellOpenSink([this](const std::string &t) {
      opened.push_back(t);
      return true;
    });
    start();
  }
  ~UserListTest() override {
    w.reset();
    SetShellOpenSink(nullptr);
    ResetMessageTexts();
  }

  // A start of the program's windows on the stored state (the network off).
  void start() {
    TNetOptions o;
    o.ListenAddress = o.LocalIP = o.SendHost = "127.0.0.1";
    w = std::make_unique<TfmKavetChat>(o);
    w->SaveHistory = false;
    TTalkFrame all;
    w->OpenTalkTab("All Users", 1, all);
    w->CreateUserList();
    list = w->fmUserList.get();
  }
  // The windows go as after kill -9: nothing of the close sequence runs.
  void crashAndRestart() {
    w.reset();
    start();
  }

  int arrive(const std::string &ID, const std::string &Alias, const std::string &Email = "") {
    w->HandleNewUser(announce("NEW", ID, Alias, "127.0.0.5", Email));
    return w->FindUserNode(ID);
  }
  void leave(const std::string &ID, const std::string &Alias = "x") {
    w->HandleDisconnect(announce("DISCONNECT", ID, Alias));
  }
  std::vector<std::string> nodes(TKcTreeView *Tree) const {
    std::vector<std::string> out;
    for (int i = 0; i < Tree->topLevelItemCount(); ++i) out.push_back(Tree->Node(i)->Text().toStdString());
    return out;
  }
  TglGroupBox *boxNamed(const QString &Caption) const {
    for (TglGroupBox *b : list->GroupBoxes())
      if (b->Caption() == Caption) return b;
    return nullptr;
  }
  TglGroupBox *makeGroup(const QString &Name) {
    list->CreateNewGroup();
    EXPECT_TRUE(list->Editor());
    TglGroupBox *box = list->Editor()->Box();
    list->Editor()->edEditor->setText(Name);
    list->CommitRename(box, Name);
    list->Editor()->close();
    return box;
  }

  kctest::TempDir dir{"kc-userlist"};
  kctest::ScopedEnv config, data, resources;
  std::vector<std::string> opened;
  std::unique_ptr<TfmKavetChat> w;
  TfmUserList *list = nullptr;
};

TEST_F(UserListTest, PresenceShowsAsNodes) {
  const std::string own = w->GetUserRecord(0)->ID;
  struct Row {
    const char *name;
    std::vector<std::string> messages;
    std::vector<std::string> expected;
  } rows[] = {
      {"the own ID adds nothing", {announce("NEW", own, "Me")}, {}},
      {"a newcomer is appended", {announce("NEW", "{B}", "Boris")}, {"Boris"}},
      {"a present user's NEW changes nothing",
       {announce("NEW", "{B}", "Boris"), announce("NEW", "{B}", "Boris again")},
       {"Boris"}},
      {"a blank alias is shown by IP", {announce("NEW", "{C}", "   ", "127.0.0.9")}, {"127.0.0.9"}},
      {"a returning user comes back once",
       {announce("NEW", "{B}", "Boris"), announce("DISCONNECT", "{B}", "Boris"), announce("NEW", "{B}", "Boris")},
       {"Boris"}},
      {"an unknown DISCONNECT is silent", {announce("DISCONNECT", "{NOBODY}", "Nobody")}, {}},
      {"UPDATEINFO renames the node",
       {announce("NEW", "{B}", "Boris"), announce("UPDATEINFO", "{B}", "Bob & Co")},
       {"Bob & Co"}},
  };
  for (const Row &r : rows) {
    crashAndRestart();
    for (const std::string &m : r.messages) {
      if (m.starts_with("NEW")) w->HandleNewUser(m);
      else if (m.starts_with("UPDATEINFO")) w->HandleUpdateInfo(m);
      else w->HandleDisconnect(m);
    }
    EXPECT_EQ(nodes(list->tvMainGroup), r.expected) << r.name;
  }
  // A returning user takes his old record again.
  EXPECT_EQ(w->UserCount(), 2);
}

// A node shows its user's record as it is now: an update redraws it with
// the new alias and picture.
TEST_F(UserListTest, ANodeFollowsItsUsersRecord) {
  const int b = arrive("{B}", "Boris");
  const TKcTreeNode *node = list->FindUserNode(b);
  ASSERT_TRUE(node);
  EXPECT_FALSE(node->icon(0).isNull());
  const QImage before = node->icon(0).pixmap(16, 16).toImage();
  std::vector<QModelIndex> redrawn;
  QObject::connect(list->tvMainGroup->model(), &QAbstractItemModel::dataChanged,
                   [&](const QModelIndex &From, const QModelIndex &) { redrawn.push_back(From); });
  std::string update = announce("UPDATEINFO", "{B}", "Bob");
  update.replace(update.find("<IMAGEINDEX>12<"), 15, "<IMAGEINDEX>20<");
  w->HandleUpdateInfo(update);
  ASSERT_EQ(list->FindUserNode(b), node);
  EXPECT_EQ(node->Text(), "Bob");
  EXPECT_NE(node->icon(0).pixmap(16, 16).toImage(), before);
  ASSERT_FALSE(redrawn.empty());
  EXPECT_EQ(redrawn.back(), list->tvMainGroup->indexFromItem(node));
}

TEST_F(UserListTest, GroupsAndMovesSurviveACrash) {
  const int boris = arrive("{B}", "Boris");
  TglGroupBox *box = makeGroup(QStringLiteral("Team"));
  ASSERT_TRUE(box);
  const std::int32_t tag = box->Tag();
  EXPECT_EQ(tag, 3) << "the first made group takes the first free number";
  list->MoveUserToGroup(TfmUserList::TreeOf(box), list->FindUserNode(boris));
  EXPECT_EQ(nodes(TfmUserList::TreeOf(box)), std::vector<std::string>{"Boris"});
  list->CommitRename(box, QStringLiteral("  Team B  "));
  EXPECT_EQ(box->Caption().toStdString(), "Team B");

  crashAndRestart();
  box = boxNamed(QStringLiteral("Team B"));
  ASSERT_TRUE(box) << "the renamed group is back after kill -9";
  EXPECT_EQ(box->Tag(), tag);
  arrive("{B}", "Boris");
  EXPECT_EQ(nodes(TfmUserList::TreeOf(box)), std::vector<std::string>{"Boris"}) << "his group is back too";
}

TEST_F(UserListTest, RenamingToBlanksStoresOneBlank) {
  TglGroupBox *box = makeGroup(QStringLiteral("   "));
  EXPECT_EQ(box->Caption().toStdString(), " ");
  EXPECT_EQ(RegistryIni(w->Host().Key()).readString(GroupBoxSection(box->Tag()), "Caption_Value"), " ");
  // The fixed groups are never renamed or deleted.
  list->CommitRename(list->gbMain, QStringLiteral("Mine"));
  list->DeleteGroup(list->gbBadList);
  EXPECT_EQ(list->gbMain->Caption().toStdString(), "Main group");
  EXPECT_EQ(list->GroupBoxes().size(), 3u);
}

TEST_F(UserListTest, ANameTheCodePageCannotHoldSaysWhatItLost) {
  const auto notice = [this] { return w->KcStatusBar->Panels()[std::size_t(TfmKavetChat::kNoticePanel)].Text; };
  TglGroupBox *box = makeGroup(QStringLiteral("Team"));
  EXPECT_FALSE(notice().contains(QStringLiteral("could not be sent")));
  list->CommitRename(box, QString::fromUtf8("团队 Team"));
  EXPECT_EQ(box->Caption().toStdString(), "?? Team");
  EXPECT_TRUE(notice().contains(QString::fromUtf8("2 characters could not be sent"))) << notice().toStdString();
  EXPECT_TRUE(notice().contains(QString::fromUtf8("团队"))) << notice().toStdString();
}

TEST_F(UserListTest, DeletingAGroupMovesItsPeopleBackAndClosesItsTalk) {
  const int a = arrive("{A}", "Anton"), b = arrive("{B}", "Berta"), c = arrive("{C}", "Carl");
  TglGroupBox *box = makeGroup(QStringLiteral("Team"));
  TUserTree *tree = TfmUserList::TreeOf(box);
  for (int u : {a, b}) list->MoveUserToGroup(tree, list->FindUserNode(u));
  // Carl joins and leaves again: he is away when the group goes.
  list->MoveUserToGroup(tree, list->FindUserNode(c));
  leave("{C}");
  const std::int32_t tag = box->Tag();
  tree->setFocus();
  w->actMessageToGroupExecute();
  const int talk = w->Talks().FindOwnGroupTab(tag);
  ASSERT_GT(talk, 0);
  EXPECT_EQ(w->MemberButtons(talk).size(), 2u);

  list->DeleteGroup(box);
  EXPECT_EQ(nodes(list->tvMainGroup), (std::vector<std::string>{"Berta", "Anton"})) << "moved last first";
  EXPECT_EQ(w->Talks().FindOwnGroupTab(tag), -1);
  EXPECT_FALSE(GroupBoxExists(w->Host().Key(), tag));
  EXPECT_EQ(ReadUserGroup(w->Host().Key(), "{A}"), kMainGroupTag);

  // A new group takes the freed number; Carl comes back into the main group.
  TglGroupBox *next = makeGroup(QStringLiteral("Other"));
  EXPECT_EQ(next->Tag(), tag);
  arrive("{C}", "Carl");
  EXPECT_EQ(nodes(TfmUserList::TreeOf(next)), std::vector<std::string>{});
  EXPECT_EQ(nodes(list->tvMainGroup).back(), "Carl");
}

TEST_F(UserListTest, DraggingOntoTheOwnTreeIsRefused) {
  const int a = arrive("{A}", "Anton");
  TglGroupBox *box = makeGroup(QStringLiteral("Team"));
  list->tvMainGroup->SelectNode(list->FindUserNode(a));
  EXPECT_FALSE(TUserTree::AcceptsDrag(list->tvMainGroup, list->tvMainGroup));
  EXPECT_TRUE(TUserTree::AcceptsDrag(list->tvMainGroup, TfmUserList::TreeOf(box)));
  EXPECT_FALSE(TUserTree::AcceptsDrag(TfmUserList::TreeOf(box), list->tvMainGroup)) << "nothing selected there";
}

TEST_F(UserListTest, CtrlUOpensOnePrivateTalkWithTheSelectedUser) {
  arrive("{A}", "Anton");
  arrive("{B}", "Bob & Co");
  list->show();
  ASSERT_TRUE(list->SelectByText(QStringLiteral("bob")));
  w->ActionList().actMessageToUser.Execute(nullptr);
  const int tab = w->Talks().FindPrivateTab("{B}");
  ASSERT_GT(tab, 0);
  EXPECT_EQ(w->ActiveTab(), tab);
  EXPECT_EQ(w->pcMain->Pages(tab)->Caption().toStdString(), "Bob && Co") << "an ampersand stays one";
  list->SelectByText(QStringLiteral("bob"));
  w->ActionList().actMessageToUser.Execute(nullptr);
  EXPECT_EQ(w->TabCount(), 2);
}

TEST_F(UserListTest, AMemberWhoLeftIsNobodysAnyMore) {
  const int a = arrive("{A}", "Anton");
  list->tvMainGroup->setFocus();
  w->actMessageToGroupExecute();
  const int talk = w->Talks().FindOwnGroupTab(kMainGroupTag);
  ASSERT_GT(talk, 0);
  w->MemberButtonPopup(talk, a);
  EXPECT_EQ(w->LastMemberUser(), a);
  leave("{A}");
  w->SelectMemberUser();
  w->actMessageToUserExecute();
  EXPECT_EQ(w->Talks().FindPrivateTab("{A}"), -1);
  EXPECT_EQ(w->LastMemberUser(), -1);
}

TEST_F(UserListTest, APartnerLeavingAsksWithoutWaitingAndTheAnswerFindsTheTab) {
  arrive("{A}", "Anton");
  arrive("{B}", "Berta");
  for (const char *q : {"anton", "berta"}) {
    list->SelectByText(QString::fromLatin1(q));
    w->actMessageToUserExecute();
  }
  ASSERT_EQ(w->TabCount(), 3);
  leave("{A}", "Anton");
  // The call came back with the question open and the tab still there.
  EXPECT_EQ(w->OpenCloseQuestions(), 1);
  EXPECT_EQ(w->TabCount(), 3);
  // He comes and goes again: still one question.
  arrive("{A}", "Anton");
  leave("{A}", "Anton");
  EXPECT_EQ(w->OpenCloseQuestions(), 1);
  // Tabs move meanwhile: Berta's talk closes, Anton's is found again.
  w->CloseTalk(w->Talks().FindPrivateTab("{B}"));
  w->AnswerClosePrivateTalk("{A}", true);
  EXPECT_EQ(w->TabCount(), 1);
  EXPECT_EQ(w->OpenCloseQuestions(), 0);
  // An answer for a talk closed meanwhile does nothing.
  w->AnswerClosePrivateTalk("{A}", true);
  EXPECT_EQ(w->TabCount(), 1);
}

TEST_F(UserListTest, MailSkipsUnsafeAddresses) {
  struct Row {
    const char *name, *email, *expected;
  } rows[] = {
      {"a plain address", "anton@example.org", "mailto:anton@example.org"},
      {"an address with a header", "a@example.org?bcc=spy@example.org", "mailto:"},
      {"an address with a blank", "a b@example.org", "mailto:"},
  };
  int n = 0;
  for (const Row &r : rows) {
    const std::string id = "{M" + std::to_string(n++) + "}";
    const int u = arrive(id, "M", r.email);
    list->SelectUser(u);
    opened.clear();
    w->ActionList().actMailUser.Execute(nullptr);
    ASSERT_EQ(opened.size(), 1u) << r.name;
    EXPECT_EQ(opened[0], r.expected) << r.name;
  }
}

TEST_F(UserListTest, ASelectedNodeIsDrawnOnTheSkinsSelectionBar) {
  const int u = arrive("{SEL}", "Selected", "s@example.org");
  list->SelectUser(u);
  TKcTreeView *tree = list->tvMainGroup;
  TKcTreeNode *node = nullptr;
  for (int i = 0; i < tree->topLevelItemCount() && !node; ++i) {
    auto *n = static_cast<TKcTreeNode *>(tree->topLevelItem(i));
    if (n->Data == u) node = n;
  }
  ASSERT_NE(node, nullptr);
  ASSERT_TRUE(tree->OnCustomDrawItem);
  TKcCustomDrawItem draw;
  draw.Selected = true;
  tree->OnCustomDrawItem(tree, node, draw);
  EXPECT_EQ(draw.Background, kc::tb::DefaultSkin().Colors.ColorByIndex(kc::tb::tcSelBar));
}

TEST_F(UserListTest, UserProfileShowsTheSelectedUsersProfileReadOnly) {
  const int u = arrive("{PRF}", "Profiled", "p@example.org");
  std::vector<std::string> shown;
  w->RunDialog = [&shown](QDialog &D) {
    auto &p = static_cast<TfmUserProfile &>(D);
    EXPECT_FALSE(p.EditMode());
    shown.push_back(p.edAlias->text().toStdString());
  };
  ASSERT_TRUE(w->ActionList().actUserNetProfile.Enabled());
  list->SelectUser(u);
  w->ActionList().actUserNetProfile.Execute(nullptr);
  EXPECT_EQ(shown, std::vector<std::string>{"Profiled"});
}

TEST_F(UserListTest, ALanguageFileRenamesTheWindowsAtOnceAndAnEmptyOneBringsEnglishBack) {
  arrive("{B}", "Boris");
  list->tvMainGroup->setFocus();
  w->actMessageToGroupExecute();
  list->SelectByText(QStringLiteral("boris"));
  w->actMessageToUserExecute();
  const std::string file = (dir.path() / "res" / "Lng" / "Deutsch.lng").string();
  {
    std::ofstream f(file);
    f << "[LNG]\nLanguageName=Deutsch\n[tsAllUsers]\nCaption=Alle\n[fmUserListGbMainCaption]\nCaption=Hauptgruppe\n"
         "[actShowUserList]\nCaption=Liste zeigen\nHint=Zeigt die Liste\n[fmUserListCaption]\nCaption=Benutzer\n"
         "[actMailUser]\nCaption=Post\n";
  }
  w->ApplyLanguage(file);
  EXPECT_EQ(w->TabCaption(0), "Alle");
  EXPECT_EQ(w->pcMain->Pages(0)->Caption().toStdString(), "Alle");
  EXPECT_EQ(w->TabCaption(w->Talks().FindOwnGroupTab(kMainGroupTag)), "Hauptgruppe");
  EXPECT_EQ(w->TabCaption(w->Talks().FindPrivateTab("{B}")), "Boris");
  EXPECT_EQ(list->gbMain->Caption().toStdString(), "Hauptgruppe");
  EXPECT_EQ(list->windowTitle().toStdString(), "Benutzer");
  EXPECT_EQ(w->ActionList().actShowUserList.Caption().toStdString(), "Liste zeigen");
  EXPECT_EQ(list->UIactMailUser.Caption().toStdString(), "Post");

  const std::string empty = (dir.path() / "res" / "Lng" / "Empty.lng").string();
  std::ofstream(empty).close();
  w->ApplyLanguage(empty);
  EXPECT_EQ(w->TabCaption(0), "All Users");
  EXPECT_EQ(list->gbMain->Caption().toStdString(), "Main group");
  EXPECT_EQ(list->windowTitle().toStdString(), "User list");
  EXPECT_EQ(w->ActionList().actShowUserList.Caption().toStdString(), "Show user list");
  EXPECT_EQ(w->ActionList().actMailUser.Caption().toStdString(), "Mail");
  EXPECT_EQ(MessageText("fmUserListCaption"), "User list");
}

TEST_F(UserListTest, TheUserListsVisibilityIsKeptForTheNextStart) {
  w->ShowUserList(true);
  EXPECT_TRUE(list->isVisible());
  w->ActionList().actShowUserList.Execute(nullptr);
  EXPECT_FALSE(list->isVisible());
  EXPECT_FALSE(w->ActionList().actShowUserList.Checked());
  bool shown = true;
  LoadShowUserList(w->Host().Key(), shown);
  EXPECT_FALSE(shown);
}

TEST_F(UserListTest, GroupsOutOfViewGetTheirTreeWhenNeeded) {
  // Many stored groups: a box far below the view waits for its tree, and
  // each way of needing it makes it.
  for (std::int32_t tag = 3; tag < 63; ++tag)
    WriteGroupBox(w->Host().Key(), tag, false, "Group " + std::to_string(tag), NewGUIDText());
  WriteUserGroup(w->Host().Key(), "{B}", 40);
  crashAndRestart();
  w->ShowUserList(true);
  QApplication::processEvents();
  const auto treeMade = [](const TglGroupBox *b) {
    return b && b->findChild<TUserTree *>(QString(), Qt::FindDirectChildrenOnly) != nullptr;
  };
  EXPECT_TRUE(treeMade(list->FindGroupBox(3))) << "a box in view";
  EXPECT_FALSE(treeMade(list->FindGroupBox(62))) << "a box far out of view";
  EXPECT_FALSE(treeMade(list->FindGroupBox(40)));

  arrive("{B}", "Boris");
  EXPECT_EQ(nodes(TfmUserList::TreeOf(list->FindGroupBox(40))), std::vector<std::string>{"Boris"})
      << "a member arriving in a group out of view";
  list->sbUserList->ensureWidgetVisible(list->FindGroupBox(62));
  EXPECT_TRUE(treeMade(list->FindGroupBox(62))) << "scrolled into view: a drop target at once";
  list->SelectUser(w->FindUserNode("{B}"));
  EXPECT_TRUE(
      TUserTree::AcceptsDrag(TfmUserList::TreeOf(list->FindGroupBox(40)), TfmUserList::TreeOf(list->FindGroupBox(62))));
  EXPECT_TRUE(list->SelectByText(QStringLiteral("bor")));
}

TEST_F(UserListTest, BoxesGrowToShowTheirUsersOnceTheTurnEnds) {
  ManualTimerClock clock;
  arrive("{B}", "Boris");
  arrive("{C}", "Clara");
  arrive("{D}", "Dora");
  clock.advance(1);
  const TUserTree *tree = list->tvMainGroup;
  ASSERT_EQ(tree->topLevelItemCount(), 3);
  EXPECT_GE(tree->height(), 3 * tree->sizeHintForRow(0)) << "every user shows without scrolling";
  EXPECT_GT(list->gbMain->height(), list->gbBadList->height()) << "the empty bad list stays small";
}

TEST_F(UserListTest, GroupCaptionsStayReadableFocusedOrNot) {
  const auto contrast = [](TglGroupBox *b) {
    const auto lum = [](TColor c) {
      const TColor rgb = ColorToRGB(c);
      return 0.299 * GetRValue(rgb) + 0.587 * GetGValue(rgb) + 0.114 * GetBValue(rgb);
    };
    return std::abs(lum(b->Colors().Text()) - lum(b->Colors().Caption()));
  };
  TglGroupBox *team = makeGroup(QStringLiteral("Team"));
  for (TglGroupBox *b : {list->gbMain, list->gbBadList, team}) {
    EXPECT_GE(contrast(b), 60) << b->Caption().toStdString();
    b->setFocus();
    QApplication::processEvents();
    EXPECT_GE(contrast(b), 60) << b->Caption().toStdString() << " focused";
  }
}

} // namespace
