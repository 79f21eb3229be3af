// The profile dialog: view mode shows a user and never writes or sends;
// edit mode stores the own profile, sends one UPDATEINFO, and a peer's
// window then shows the new alias on its talk tab. The age keeps to what
// the record can hold; names are plain text.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "ChatWindowOnLoopback.h"
#include "core/ProtocolClassUn.h"
#include "platform/ProgramKey.h"
#include "platform/ShellOpen.h"
#include "richtext/controls/RichVistaEdit.h"
#include "richtext/document/RVItemTypes.h"
#include "toolbars/TBSkinPlus.h"
#include "ui/ArtUn.h"
#include "ui/TfmUserProfileUn.h"
#include "ui/fmSelectPictureUn.h"
#include "widgets/KcColorComboBox.h"
#include "widgets/KcComCtrls.h"
#include "widgets/KcDraw.h"
#include "widgets/KcTransparentButton.h"

using namespace kc;

namespace {

RUserID Full() {
  RUserID r = kctest::Peer("{TOM}", "Tom & Jerry", "198.18.0.7");
  r.MAC = "00-11-22-33-44-55";
  r.Profile.Set(&RUserProfile::NAME, "Tom");
  r.Profile.Set(&RUserProfile::EMAIL, "tom@example.org");
  r.Profile.Set(&RUserProfile::TOWN, "Riga");
  r.SEX = 2;
  r.OLD = 42;
  r.Profile.Set(&RUserProfile::Interest, "cheese");
  r.COLOR = 0x0000FF;
  return r;
}

std::string SummaryText(const TfmUserProfile &D) {
  std::string out;
  for (int i = 0; i < D.mmDataMemo->ItemCountOf(); ++i)
    if (D.mmDataMemo->IsItemText(i)) out += D.mmDataMemo->ItemTextOf(i) + "|";
  return out;
}

class ProfileDialogTest : public ::testing::Test {
protected:
  void SetUp() override { ResetMessageTexts(); }
  kctest::TempDir tmp{"kc-profile"};
  kctest::ScopedEnv config{"XDG_CONFIG_HOME", tmp.path().string()};
  const std::string key{kProgramKey};
};

TEST_F(ProfileDialogTest, ViewModeShowsTheUserReadOnlyAndStoresNothing) {
  RUserID me;
  TfmUserProfile d("", nullptr);
  d.Key = key;
  d.Record = &me;
  d.SetEditMode(false);
  d.LoadUserData(Full());
  EXPECT_EQ(d.edAlias->text(), "Tom & Jerry");
  EXPECT_EQ(d.btnSelectImage->Caption(), "Tom && Jerry") << "shown with its ampersand";
  EXPECT_EQ(d.edAge->text(), "42");
  EXPECT_EQ(d.cbSex->currentText(), "Women");
  EXPECT_EQ(d.edColor->ColorValue(), 0x0000FF);
  EXPECT_TRUE(d.edAlias->isReadOnly());
  EXPECT_TRUE(d.mmInterest->isReadOnly());
  EXPECT_FALSE(d.edColor->isEnabled());
  EXPECT_FALSE(d.cbSex->isEnabled());
  bool saved = false;
  d.OnSaved = [&saved] { saved = true; };
  d.btnOk->click();
  EXPECT_FALSE(saved);
  EXPECT_FALSE(RegistryIni(key).sectionExists(kProfileSection));
  EXPECT_EQ(me.ALIAS, "");
}

QImage Plain(const QImage &I) { return I.convertToFormat(QImage::Format_ARGB32); }

// The colour the tree paints a node's row with, right of its text.
QColor RowColour(TKcTreeView &Tree, QTreeWidgetItem *Node) {
  const QRect r = Tree.visualItemRect(Node);
  return Tree.viewport()->grab().toImage().pixelColor(r.right() - 2, r.center().y());
}

TEST_F(ProfileDialogTest, EveryPageHasItsPictureInTheTreeAndHeaderAndTheChosenPageShowsOnTheSkinBar) {
  TCustomImageList pictures(32, 32);
  FillProfileImages(pictures, 32);
  TfmUserProfile d("", &pictures);
  ASSERT_EQ(d.ilTreeView.Count(), TfmUserProfile::kPages);
  ASSERT_EQ(d.ilTreeView32.Count(), TfmUserProfile::kPages);
  for (int k = 0; k < TfmUserProfile::kPages; ++k) {
    SCOPED_TRACE(k);
    TKcTreeNode *node = d.tvProfile->Node(k);
    EXPECT_EQ(TfmUserProfile::NodeImageIndex(node, false), k);
    EXPECT_EQ(TfmUserProfile::NodeImageIndex(node, true), k);
    EXPECT_FALSE(node->icon(0).isNull());
    EXPECT_FALSE(d.ilTreeView.GetImage(k).isNull());
    d.ShowPage(k);
    EXPECT_TRUE(Plain(d.HeaderImage[k]->pixmap().toImage()) == Plain(d.ilTreeView32.GetImage(k))) << "the page's own";
  }
  EXPECT_FALSE(Plain(d.ilTreeView32.GetImage(1)) == Plain(d.ilTreeView32.GetImage(2))) << "pages tell apart";

  // The summary's header shows the user's picture once there is one.
  d.SetPicture(12);
  EXPECT_TRUE(Plain(d.HeaderImage[0]->pixmap().toImage()) == Plain(pictures.GetImage(12))) << "the user's picture";
  d.SetPicture(-1);
  EXPECT_TRUE(Plain(d.HeaderImage[0]->pixmap().toImage()) == Plain(d.ilTreeView32.GetImage(0)))
      << "the page's own again";

  const TColor bar = tb::DefaultSkin().Colors.ColorByIndex(tb::tcSelBar);
  ASSERT_NE(bar, clNone);
  d.show();
  d.tvProfile->setCurrentItem(d.tvProfile->Node(2));
  TKcCustomDrawItem item = d.tvProfile->DrawColours(d.tvProfile->Node(2));
  d.tvProfile->OnCustomDrawItem(d.tvProfile, d.tvProfile->Node(2), item);
  EXPECT_EQ(item.Background, bar);
  EXPECT_EQ(item.Text, clBlack);
  EXPECT_EQ(RowColour(*d.tvProfile, d.tvProfile->Node(2)), QColorOf(bar));
  EXPECT_NE(RowColour(*d.tvProfile, d.tvProfile->Node(1)), QColorOf(bar)) << "only the chosen page";
}

TEST_F(ProfileDialogTest, TheSummaryListsFilledGroupsOnly) {
  TfmUserProfile d("", nullptr);
  d.LoadUserData(Full());
  d.ShowPage(0);
  EXPECT_EQ(d.HeaderLabel[0]->text(), "Summary data for Tom & Jerry");
  EXPECT_EQ(SummaryText(d),
            "IP: |198.18.0.7|MAC: |00-11-22-33-44-55|  Basic data|Alias: |Tom & Jerry|First name: |Tom|"
            "E-Mail: |tom@example.org|  Home|Town: |Riga|  Personal|Sex: |Women|Age: |42|Interest: |cheese|")
      << "no Work heading: all its fields are blank";
  // Each heading starts with its page's picture.
  std::vector<int> pictures;
  for (int i = 0; i < d.mmDataMemo->ItemCountOf(); ++i) {
    if (d.mmDataMemo->ItemStyleOf(i) != rvsBullet) continue;
    std::string name;
    TCustomImageList *list = nullptr;
    int index = -1;
    TRVTag tag;
    d.mmDataMemo->GetBulletItemInfo(i, name, list, index, tag);
    EXPECT_EQ(list, &d.ilTreeView);
    pictures.push_back(index);
  }
  EXPECT_EQ(pictures, (std::vector<int>{1, 2, 4}));
}

TEST_F(ProfileDialogTest, ThePictureButtonAsksForAPictureUntilThereIsANameOrPicture) {
  TfmUserProfile d("", nullptr);
  d.SetEditMode(true);
  EXPECT_EQ(d.btnSelectImage->Caption(), "Choice of the picture");
  QTest::keyClicks(d.edAlias, "Ann");
  EXPECT_EQ(d.btnSelectImage->Caption(), "Ann");
  EXPECT_FALSE(d.btnSelectImage->GlyphRect().intersects(d.btnSelectImage->TextRect()))
      << "the name beside the picture, not across it";
  EXPECT_TRUE(d.btnApply->isEnabled());
  d.edAlias->clear();
  EXPECT_EQ(d.btnSelectImage->Caption(), "Choice of the picture");
}

TEST_F(ProfileDialogTest, ThePaletteChoosesThePictureAndItsEmptyCellTakesItAway) {
  TCustomImageList pictures(32, 32);
  FillProfileImages(pictures, 32);
  RUserID me;
  TfmUserProfile d("", &pictures);
  d.Key = key;
  d.Record = &me;
  d.SetEditMode(true);
  d.LoadUserData(me);
  d.ChoosePicture();
  auto *palette = d.findChild<TfmSelectPicture *>();
  ASSERT_TRUE(palette);
  palette->PickImage(13);
  EXPECT_EQ(d.Picture(), 13);
  EXPECT_TRUE(d.btnApply->isEnabled());
  EXPECT_FALSE(d.btnSelectImage->Glyph().isNull());
  d.SaveUserData();
  EXPECT_EQ(me.IMAGEINDEX, 13);
  d.ChoosePicture();
  palette = d.findChild<TfmSelectPicture *>();
  ASSERT_TRUE(palette);
  palette->PickImage(-1);
  EXPECT_EQ(d.Picture(), -1);
  EXPECT_TRUE(Plain(d.btnSelectImage->Glyph()) == Plain(pictures.GetImage(piNoPicture)))
      << "the choose-a-picture glyph";
  EXPECT_EQ(d.btnSelectImage->Caption(), "Choice of the picture");
}

TEST_F(ProfileDialogTest, TheMailButtonOpensOnlyAPlainAddress) {
  std::vector<std::string> opened;
  SetShellOpenSink([&opened](const std::string &T) { return opened.push_back(T), true; });
  struct Row {
    const char *name, *address;
    bool opens;
  } rows[] = {
      {"plain", " tom@example.org ", true},
      {"attachment", "tom@example.org?attach=/etc/passwd", false},
      {"second recipient", "tom@example.org&to=eve@example.org", false},
      {"encoded", "tom%40example.org", false},
      {"empty", "  ", false},
  };
  for (const Row &r : rows) {
    opened.clear();
    TfmUserProfile d("", nullptr);
    RUserID u;
    u.Profile.Set(&RUserProfile::EMAIL, r.address);
    d.LoadUserData(u);
    d.bntGoMail->click();
    EXPECT_EQ(opened.size(), r.opens ? 1u : 0u) << r.name;
    if (r.opens && !opened.empty()) {
      EXPECT_NE(opened[0].find("tom@example.org"), std::string::npos) << opened[0];
    }
  }
  SetShellOpenSink({});
}

TEST_F(ProfileDialogTest, TheAgeTakesZeroToTwoHundredFiftyFiveAndTheRecordAgreesWithTheStore) {
  struct Row {
    const char *name, *typed, *shown;
    int age;
  } rows[] = {
      {"the largest a byte holds", "255", "255", 255},
      {"256 stops at 25", "256", "25", 25},
      {"999 stops at 99", "999", "99", 99},
      {"no minus", "-7", "7", 7},
      {"letters are not taken", "4x2", "42", 42},
      {"empty is none", "", "", 0},
  };
  for (const Row &r : rows) {
    RUserID me;
    me.OLD = 77;
    TfmUserProfile d("", nullptr);
    d.Key = key;
    d.Record = &me;
    d.SetEditMode(true);
    d.LoadUserData(me);
    d.edAge->clear();
    QTest::keyClicks(d.edAge, r.typed);
    EXPECT_EQ(d.edAge->text().toStdString(), r.shown) << r.name;
    d.SaveUserData();
    EXPECT_EQ(me.OLD, r.age) << r.name;
    EXPECT_EQ(TMyUserData(key).GetOld(), r.age) << r.name;
  }
}

TEST_F(ProfileDialogTest, TextsComeFromTheLanguageFileWhenTheDialogIsMade) {
  const std::string file = tmp.file("de.lng");
  {
    std::ofstream f(file);
    f << "[lbAge]\nCaption=Alter:\n[cbSex]\nMen=Mann\n[ForConst]\nCaption=von\n";
  }
  TfmUserProfile d(file, nullptr);
  EXPECT_EQ(d.LabelText("lbAge"), "Alter:");
  EXPECT_EQ(d.LabelText("lbTown"), "Town:");
  EXPECT_EQ(d.cbSex->itemText(1), "Mann");
  EXPECT_EQ(d.cbSex->itemText(2), "Women");
  RUserID u;
  u.ALIAS = "Ann";
  d.LoadUserData(u);
  d.ShowPage(0);
  EXPECT_EQ(d.HeaderLabel[0]->text(), "Summary data von Ann");
}

// ------------------------------------------------------------ on the window

class ProfileWindowTest : public kctest::ChatWindowOnLoopback {};

TEST_F(ProfileWindowTest, ViewModeFromTheUserListWritesAndSendsNothing) {
  in(AnnounceMyselfText(Full(), true));
  pump();
  sent.clear();
  const int tom = w->FindUserNode("{TOM}");
  ASSERT_GT(tom, 0);
  const std::string before = RegistryIni(w->Host().Key()).readString(kProfileSection, "ALIAS_");
  int shown = 0;
  w->RunDialog = [&shown](QDialog &D) {
    auto &p = static_cast<TfmUserProfile &>(D);
    EXPECT_FALSE(p.EditMode());
    EXPECT_EQ(p.edAlias->text(), "Tom & Jerry");
    p.btnOk->click();
    ++shown;
  };
  w->ShowUserProfile(tom);
  w->ShowUserProfile(9999); // no such record: nothing
  EXPECT_EQ(shown, 1);
  pump();
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(RegistryIni(w->Host().Key()).readString(kProfileSection, "ALIAS_"), before);
}

TEST_F(ProfileWindowTest, EditModeStoresSendsOneUpdateAndThePeersTabShowsTheNewAlias) {
  // The peer: a window of its own on its own store, talking privately with us.
  TNetOptions o;
  o.Key = "Software\\Dornick\\Kavet Chat Peer";
  TfmKavetChat peer(o);
  peer.Users().Append(kctest::Peer("{PEER}", "Peer", "127.0.0.1"));
  peer.OpenTalkTab("All Users", 1, {});
  peer.Host().Net().ProcessIncoming(AnnounceMyselfText(me(), true));
  peer.Host().Net().ProcessIncoming(BuildMessageToUserText(me(), "{PEER}", false, "hello"));
  ASSERT_EQ(peer.TabCount(), 2);
  EXPECT_NE(peer.TabCaption(1), "Carol & Co");

  w->RunDialog = [](QDialog &D) {
    auto &p = static_cast<TfmUserProfile &>(D);
    EXPECT_TRUE(p.EditMode());
    p.edAlias->clear();
    QTest::keyClicks(p.edAlias, "Carol & Co");
    p.tvProfile->setCurrentItem(p.tvProfile->topLevelItem(4));
    QTest::keyClicks(p.edAge, "31");
    p.btnOk->click();
  };
  w->ActionList().actUserMyProfile.Execute(nullptr);
  const std::vector<std::string> updates = sentOf(mkUpdateInfo);
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(TDataNewMessage(updates[0]).GetAlias(), "Carol & Co");
  EXPECT_EQ(me().ALIAS, "Carol & Co");
  EXPECT_EQ(TMyUserData(w->Host().Key()).GetAlias(), "Carol & Co");
  EXPECT_NE(w->DumpJson().find("Carol & Co"), std::string::npos) << "the own identity in the status bar";

  peer.Host().Net().ProcessIncoming(updates[0]);
  EXPECT_EQ(peer.TabCaption(1), "Carol & Co");
  const std::string dump = peer.DumpJson();
  EXPECT_NE(dump.find("\"caption\":\"Carol & Co\""), std::string::npos) << dump;
}

} // namespace
