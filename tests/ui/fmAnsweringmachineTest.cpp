// The auto-reply editor on a store of the test's own, and the main window's
// auto-reply menus with it: the chosen variant keeps sending its own text
// however the others are deleted and saved, and a chosen variant that is
// deleted ends the mode.
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "ChatWindowOnLoopback.h"
#include "core/AnsweringmachineTextUn.h"
#include "platform/ProgramKey.h"
#include "toolbars/TBarCommon.h"
#include "toolbars/TBSkinPlus.h"
#include "toolbars/TBarPopup.h"
#include "toolbars/TBarToolbar.h"
#include "ui/fmAnsweringmachineUn.h"
#include "ui/fmKavetChatAutoReply.h"
#include "widgets/KcComCtrls.h"
#include "widgets/KcDraw.h"
#include "widgets/KcStatusBar.h"

using namespace kc;
using namespace kc::tb;

namespace {

std::vector<std::string> StoredSections(const std::string &Key) {
  std::vector<std::string> sections;
  ListAMSections(Key, sections);
  return sections;
}

std::string Stored(const std::string &Key, const std::string &Section) {
  std::string caption, text;
  ReadAMText(Key, caption, text, Section);
  return caption + "/" + text;
}

void StoreThree(const std::string &Key) {
  for (int n : {1, 2, 3}) WriteAMText(Key, n, "Away " + std::to_string(n), "text " + std::to_string(n));
}

class AnsweringmachineDialogTest : public ::testing::Test {
protected:
  kctest::TempDir tmp{"kc-am"};
  kctest::ScopedEnv config{"XDG_CONFIG_HOME", tmp.path().string()};
  const std::string key{kProgramKey};

  void select(TfmAnsweringmachine &D, int Row) { D.tvVariants->setCurrentItem(D.tvVariants->topLevelItem(Row)); }
};

TEST_F(AnsweringmachineDialogTest, DeletingTheFirstOfThreeKeepsTheNumbersOfTheOthersThroughTwoSaves) {
  StoreThree(key);
  TfmAnsweringmachine d(key, "");
  ASSERT_EQ(d.tvVariants->topLevelItemCount(), 3);
  EXPECT_EQ(d.tvVariants->currentItem(), d.tvVariants->topLevelItem(2)) << "the last loaded is selected";
  EXPECT_FALSE(d.btnApply->isEnabled());
  select(d, 0);
  EXPECT_EQ(d.edCaption->text(), "Away 1");
  d.actDeleteTextAnswer.Execute(nullptr);
  EXPECT_EQ(d.tvVariants->topLevelItemCount(), 2);
  EXPECT_TRUE(d.btnApply->isEnabled());
  d.SaveVariants();
  d.SaveVariants();
  EXPECT_EQ(StoredSections(key), (std::vector<std::string>{"AMText!_2", "AMText!_3"}));
  // Saved again from a dialog that loads them anew.
  TfmAnsweringmachine again(key, "");
  again.SaveVariants();
  EXPECT_EQ(StoredSections(key), (std::vector<std::string>{"AMText!_2", "AMText!_3"}));
  EXPECT_EQ(Stored(key, "AMText!_2"), "Away 2/text 2");
  EXPECT_EQ(Stored(key, "AMText!_3"), "Away 3/text 3");

  // A new variant takes the next number; one with an empty caption is
  // stored as it is.
  d.actAddNewTextAnswer.Execute(nullptr);
  EXPECT_TRUE(d.edCaption->isEnabled());
  d.SaveVariants();
  EXPECT_EQ(StoredSections(key), (std::vector<std::string>{"AMText!_2", "AMText!_3", "AMText!_4"}));
  EXPECT_EQ(Stored(key, "AMText!_4"), "/");
}

TEST_F(AnsweringmachineDialogTest, OnlyTheSelectedVariantShowsItsPictureOnTheSkinBar) {
  StoreThree(key);
  TfmAnsweringmachine d(key, "");
  ASSERT_EQ(d.ilVariants.Count(), 3);
  EXPECT_EQ(d.tbBtnVariants->Images(), &d.ilVariants);
  EXPECT_EQ(d.actAddNewTextAnswer.ImageIndex(), TfmAnsweringmachine::kNewImage);
  EXPECT_EQ(d.actDeleteTextAnswer.ImageIndex(), TfmAnsweringmachine::kDeleteImage);
  // Which nodes show a picture: only the selected one, also after a delete
  // moves the selection.
  const auto shown = [&d] {
    std::string s;
    for (int i = 0; i < d.tvVariants->topLevelItemCount(); ++i)
      s += d.tvVariants->topLevelItem(i)->icon(0).isNull() ? '-' : 'x';
    return s;
  };
  EXPECT_EQ(shown(), "--x");
  select(d, 0);
  EXPECT_EQ(shown(), "x--");
  for (int i = 0; i < 3; ++i) {
    const TKcTreeNode *node = d.tvVariants->Node(i);
    EXPECT_EQ(TfmAnsweringmachine::NodeImageIndex(node, false), -1);
    EXPECT_EQ(TfmAnsweringmachine::NodeImageIndex(node, true), TfmAnsweringmachine::kVariantImage);
  }
  d.actDeleteTextAnswer.Execute(nullptr);
  ASSERT_NE(d.tvVariants->currentItem(), nullptr);
  EXPECT_EQ(shown(), d.tvVariants->currentItem() == d.tvVariants->topLevelItem(0) ? "x-" : "-x");

  const TColor bar = tb::DefaultSkin().Colors.ColorByIndex(tb::tcSelBar);
  ASSERT_NE(bar, clNone);
  d.show();
  select(d, 1);
  TKcTreeNode *chosen = d.tvVariants->Node(1);
  TKcCustomDrawItem item = d.tvVariants->DrawColours(chosen);
  d.tvVariants->OnCustomDrawItem(d.tvVariants, chosen, item);
  EXPECT_EQ(item.Background, bar);
  EXPECT_EQ(item.Text, clBlack);
  const auto rowColour = [&d](QTreeWidgetItem *Node) {
    const QRect r = d.tvVariants->visualItemRect(Node);
    return d.tvVariants->viewport()->grab().toImage().pixelColor(r.right() - 2, r.center().y());
  };
  EXPECT_EQ(rowColour(chosen), QColorOf(bar));
  EXPECT_NE(rowColour(d.tvVariants->Node(0)), QColorOf(bar));
}

TEST_F(AnsweringmachineDialogTest, ANewVariantNeverTakesTheNumberOfADeletedOne) {
  StoreThree(key);
  TfmAnsweringmachine d(key, "");
  select(d, 2);
  d.actDeleteTextAnswer.Execute(nullptr);
  d.actAddNewTextAnswer.Execute(nullptr);
  QTest::keyClicks(d.edCaption, "Lunch");
  d.reText->setFocus();
  d.reText->setPlainText("Back at two");
  d.SaveVariants();
  EXPECT_EQ(StoredSections(key), (std::vector<std::string>{"AMText!_1", "AMText!_2", "AMText!_4"}));
  EXPECT_EQ(Stored(key, "AMText!_4"), "Lunch/Back at two");
  EXPECT_EQ(d.tvVariants->currentItem()->text(0), "Lunch") << "the node follows the caption";
}

TEST_F(AnsweringmachineDialogTest, TypingWithoutASelectionChangesNothingAndCancelStoresNothing) {
  StoreThree(key);
  {
    TfmAnsweringmachine d(key, "");
    d.tvVariants->setCurrentItem(nullptr);
    EXPECT_FALSE(d.edCaption->isEnabled());
    EXPECT_EQ(d.edCaption->text(), "") << "disabled details are emptied";
    d.edCaption->setText("typed");
    d.reText->setPlainText("typed");
    for (const auto &v : d.Variants()) EXPECT_NE(v.Caption, "typed");
    select(d, 1);
    QTest::keyClicks(d.edCaption, "!");
    EXPECT_EQ(d.Variants()[1].Caption, "Away 2!");
    QTest::keyClick(d.edCaption, Qt::Key_Escape);
    EXPECT_EQ(d.result(), QDialog::Rejected);
  }
  EXPECT_EQ(Stored(key, "AMText!_2"), "Away 2/text 2");
  {
    // Enter stores and closes.
    TfmAnsweringmachine d(key, "");
    select(d, 1);
    QTest::keyClicks(d.edCaption, "?");
    QTest::keyClick(d.edCaption, Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
  }
  EXPECT_EQ(Stored(key, "AMText!_2"), "Away 2?/text 2");
}

TEST_F(AnsweringmachineDialogTest, TextsComeFromTheLanguageFile) {
  const std::string file = tmp.file("ru.lng");
  {
    std::ofstream f(file);
    f << "[TfmAnsweringmachine]\nCaption=Answers\n[actAddNewTextAnswer]\nCaption=Add\n[lbTextAnswer]\nCaption=Body:\n";
  }
  TfmAnsweringmachine d(key, file);
  EXPECT_EQ(d.windowTitle(), "Answers");
  EXPECT_EQ(d.actAddNewTextAnswer.Caption(), "Add");
  EXPECT_EQ(d.actDeleteTextAnswer.Caption(), "Delete");
  EXPECT_EQ(d.gbAM1->title(), "Variants of answers");
}

// ------------------------------------------------------- the main window's menus

class AutoReplyMenuTest : public kctest::ChatWindowOnLoopback {
protected:
  void SetUp() override {
    ChatWindowOnLoopback::SetUp();
    if (HasFatalFailure()) return;
    in(AnnounceMyselfText(bob, true));
    pump();
    sent.clear();
  }
  TMainActionList &a() { return w->ActionList(); }
  TTBCustomItem *variant(const std::string &Section) {
    TTBSubmenuItem *v = a().miVariants;
    for (int i = 0; i < v->Count(); ++i)
      if (v->ItemAt(i)->Hint().toStdString() == Section) return v->ItemAt(i);
    return nullptr;
  }
  // What the window answers to one private message of Bob's: the text of
  // its auto-reply, or "none".
  std::string replyToBob() {
    sent.clear();
    in(BuildMessageToUserText(bob, me().ID, false, "are you there?"));
    const std::vector<std::string> replies = sentOf(mkMessageToUser);
    if (replies.empty()) return "none";
    const TDataNewMessage m(replies.back());
    return std::string(m.HasAutoReplyFlag() ? "auto: " : "typed: ") + m.GetMessageStr();
  }
  QString panel4() { return w->KcStatusBar->Panels()[4].Text; }
  // Runs the editor as the options action opens it, doing Steps in it.
  void editor(std::function<void(TfmAnsweringmachine &)> Steps) {
    w->RunDialog = [Steps](QDialog &D) { Steps(static_cast<TfmAnsweringmachine &>(D)); };
    a().actAnsweringmachineOptions.Execute(nullptr);
    w->RunDialog = nullptr;
  }

  const RUserID bob = kctest::Peer("{BOB}", "Bob", "127.0.0.1");
};

TEST_F(AutoReplyMenuTest, TheCheckedVariantSendsItsOwnTextAfterTheFirstOfThreeIsDeletedAndSavedTwice) {
  StoreThree(w->Host().Key());
  EXPECT_TRUE(a().miAnsweringMachine->Enabled());
  a().miAnsweringMachine->OnPopup(a().miAnsweringMachine, false);
  ASSERT_EQ(a().miVariants->Count(), 3);
  EXPECT_TRUE(a().miVariants->Enabled());
  a().miVariants->ItemAt(2)->Click();
  EXPECT_TRUE(a().actAnsweringMachine.Checked());
  EXPECT_TRUE(a().miDisconnectAnsweringMachine->Visible());
  EXPECT_EQ(panel4(), "Auto-Reply");
  EXPECT_EQ(replyToBob(), "auto: {[!BULLET!]}3{[/!BULLET!]}Away 3\x0A\x0Dtext 3");

  editor([](TfmAnsweringmachine &D) {
    D.tvVariants->setCurrentItem(D.tvVariants->topLevelItem(0));
    D.actDeleteTextAnswer.Execute(nullptr);
    D.btnApply->click();
    D.btnOk->click();
  });
  // The second save, from the editor opened again.
  editor([](TfmAnsweringmachine &D) { D.btnOk->click(); });
  EXPECT_TRUE(a().actAnsweringMachine.Checked());
  EXPECT_EQ(replyToBob(), "auto: {[!BULLET!]}3{[/!BULLET!]}Away 3\x0A\x0Dtext 3");
  const int tab = w->Talks().FindPrivateTab(bob.ID);
  ASSERT_GT(tab, 0);
  EXPECT_TRUE(w->IsInputReadOnly(tab));
}

TEST_F(AutoReplyMenuTest, DeletingTheChosenVariantEndsTheModeAndThePanelSaysSo) {
  StoreThree(w->Host().Key());
  a().miAnsweringMachine->OnPopup(a().miAnsweringMachine, false);
  variant("AMText!_2")->Click();
  EXPECT_EQ(panel4(), "Auto-Reply");
  editor([](TfmAnsweringmachine &D) {
    D.tvVariants->setCurrentItem(D.tvVariants->topLevelItem(1));
    D.actDeleteTextAnswer.Execute(nullptr);
    D.btnOk->click();
  });
  EXPECT_FALSE(a().actAnsweringMachine.Checked());
  EXPECT_FALSE(w->IsAnsweringMachineOn());
  EXPECT_EQ(w->CheckedAutoReplyVariant(), "");
  EXPECT_EQ(panel4(), "");
  EXPECT_FALSE(a().miDisconnectAnsweringMachine->Visible());
  EXPECT_EQ(replyToBob(), "none");
  const int tab = w->Talks().FindPrivateTab(bob.ID);
  ASSERT_GT(tab, 0);
  EXPECT_FALSE(w->IsInputReadOnly(tab)) << "the input box is the user's again";

  // The menu does not offer the gone variant as the last one.
  a().miAnsweringMachine->OnPopup(a().miAnsweringMachine, false);
  EXPECT_FALSE(a().miDisconnectAnsweringMachine->Visible());
  EXPECT_EQ(a().miVariants->Count(), 2);
}

TEST_F(AutoReplyMenuTest, TheDisconnectItemSwitchesOffAndOnAgainWithTheLastVariant) {
  StoreThree(w->Host().Key());
  a().miAnsweringMachine->OnPopup(a().miAnsweringMachine, false);
  variant("AMText!_1")->Click();
  a().miAnsweringMachine->OnPopup(a().miAnsweringMachine, false);
  EXPECT_EQ(a().miDisconnectAnsweringMachine->Caption(), "Disconnect Auto-Reply");
  EXPECT_EQ(a().miVariants->Count(), 3) << "not rebuilt while on";
  a().miDisconnectAnsweringMachine->Click();
  EXPECT_FALSE(a().actAnsweringMachine.Checked());
  EXPECT_FALSE(a().miAnsweringMachine->Checked());
  EXPECT_EQ(panel4(), "");
  EXPECT_EQ(replyToBob(), "none");

  a().miAnsweringMachine->OnPopup(a().miAnsweringMachine, false);
  EXPECT_TRUE(a().miDisconnectAnsweringMachine->Visible());
  EXPECT_EQ(a().miDisconnectAnsweringMachine->Caption(), "Away 1");
  EXPECT_TRUE(variant("AMText!_1")->Checked());
  a().miDisconnectAnsweringMachine->Click();
  EXPECT_TRUE(a().actAnsweringMachine.Checked());
  EXPECT_EQ(replyToBob(), "auto: {[!BULLET!]}3{[/!BULLET!]}Away 1\x0A\x0Dtext 1");
}

TEST_F(AutoReplyMenuTest, TheTrayOffersTheSameEntriesAndNamesAreShownAsTyped) {
  WriteAMText(w->Host().Key(), 1, "Tom & Jerry", "t");
  TTBCustomItem &trey = *a().pmTrey().Items();
  TTBCustomItem *autoReply = nullptr;
  for (int i = 0; i < trey.Count(); ++i)
    if (trey.ItemAt(i)->Name() == "miAnsweringMachineTrey") autoReply = trey.ItemAt(i);
  ASSERT_TRUE(autoReply);
  EXPECT_TRUE(autoReply->Enabled());
  a().pmTrey().OnPopup();
  EXPECT_EQ(autoReply->LinkSubitems(), a().miAnsweringMachine);
  a().miAnsweringMachine->OnPopup(a().miAnsweringMachine, true);
  ASSERT_EQ(a().miVariants->Count(), 1);
  EXPECT_EQ(StripAccelChars(a().miVariants->ItemAt(0)->Caption()), "Tom & Jerry");
}

} // namespace
