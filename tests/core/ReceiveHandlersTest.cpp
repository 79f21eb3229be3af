// The network part of the main window on headless windows: dispatch, every
// receive handler, the presence handling, echo and the send path. The copy
// listens on 127.0.0.1 and "broadcasts" to 127.0.0.2; what it sends is read
// back from its send tap, as it leaves.
#include "core/AnsweringmachineTextUn.h"
#include "support/TempDir.h"
#include "core/HeadlessChatUn.h"
#include "core/LngUn.h"
#include "core/SendMessageUn.h"
#include "core/StoryFileUn.h"
#include "platform/Folders.h"
#include "platform/GuiTimer.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/ProgramKey.h"
#include "platform/UdpSocket.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <random>

#include <functional>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <random>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace kc;
namespace fs = std::filesystem;

namespace {

struct Recorder : TChatEventSink {
  std::vector<std::string> notices, errors;
  std::vector<int> sounds;
  std::vector<std::pair<std::string, int>> users;
  void UserChanged(std::string_view c, int i) override { users.emplace_back(std::string(c), i); }
  void Notice(const std::string &t) override { notices.push_back(t); }
  // The next so many sounds fail, as a sound device that went away would.
  int failingSounds = 0;
  void Sound(int n) override {
    if (failingSounds > 0) {
      --failingSounds;
      throw std::runtime_error("no sound device");
    }
    sounds.push_back(n);
  }
  void Error(const std::string &t) override { errors.push_back(t); }
};

RUserID peer(const std::string &id, const std::string &alias, const std::string &ip) {
  RUserID r;
  r.ID = id;
  r.ALIAS = alias;
  r.IP = ip;
  r.IMAGEINDEX = 12;
  r.COLOR = 255;
  r.Active = 1;
  return r;
}

std::uint16_t freePort() {
  UdpSocket s;
  if (!s.open("127.0.0.1", 0)) return 0;
  return s.localPort();
}

class ReceiveTest : public ::testing::Test {
protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
    ::setenv("KAVET_RESOURCE_DIR", (dir + "/res").c_str(), 1);
    ResetMessageTexts();
    // A free port may be taken by someone else before it is bound: try again.
    for (int attempt = 0; attempt < 5; ++attempt) {
      port = freePort();
      if (port == 0) continue;
      TNetOptions o;
      o.Port = port;
      o.ListenAddress = "127.0.0.1";
      o.LocalIP = "127.0.0.1";
      o.SendHost = "127.0.0.2";
      host = std::make_unique<THeadlessChatHost>(o, &rec);
      host->CreateMainWindow();
      if (host->Net().ServerActive()) break;
      host.reset();
      rec = Recorder();
    }
    ASSERT_TRUE(host && host->Net().ServerActive());
    host->Net().SetSendTap([this](std::string_view d, std::string_view ip, std::uint16_t to) {
      if (ip == "127.0.0.2" && to == port) sent.emplace_back(d);
      else echoes.push_back({std::string(d), std::string(ip), to});
    });
    host->CreateUserList();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(GetMessageKind(sent[0]), mkNew);
    sent.clear();
  }
  void TearDown() override { host.reset(); }

  // Runs the event loop until Done holds (a datagram through a real
  // socket has arrived), for five seconds at most.
  bool waitFor(const std::function<bool()> &Done) {
    QElapsedTimer t;
    t.start();
    while (!Done() && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return Done();
  }
  void in(const std::string &text) { host->Net().ProcessIncoming(text); }
  THeadlessChatWindows &w() { return host->Windows(); }
  const RUserID &me() { return *w().GetUserRecord(0); }
  int kinds(TMessageKind k) {
    int n = 0;
    for (const auto &s : sent) n += GetMessageKind(s) == k;
    return n;
  }
  // Forgets what was sent so far.
  void clearSent() { sent.clear(); }
  // A peer that announced itself; its record number.
  int join(const RUserID &p) {
    in(AnnounceMyselfText(p, true));
    return w().FindUserNode(p.ID);
  }
  std::vector<std::string> historyFiles() {
    std::vector<std::string> names;
    for (const auto &e : fs::directory_iterator(dir + "/data/kavet-chat/History"))
      names.push_back(e.path().filename().string());
    return names;
  }

  kctest::TempDir tmp{"kc-receive"};
  const std::string dir = tmp.path().string();
  std::uint16_t port = 0;
  // Datagrams to the send host, and everything else (echoes) with its address.
  std::vector<std::string> sent;
  struct Echo {
    std::string data, ip;
    std::uint16_t port;
  };
  std::vector<Echo> echoes;
  Recorder rec;
  std::unique_ptr<THeadlessChatHost> host;
  const RUserID bob = peer("{B0B}", "Bob", "10.0.0.2");
  const RUserID ann = peer("{A77}", "  ", "10.0.0.3");
};

TEST_F(ReceiveTest, NewUsersAreAddedAnsweredAndNotAnsweredTooOften) {
  FixedClock clk(std::chrono::system_clock::from_time_t(1765378800));
  ClockOverride over(clk);
  const int b = join(bob);
  ASSERT_EQ(b, 1);
  EXPECT_EQ(kinds(mkUpdateInfo), 1);
  EXPECT_EQ(w().GetUserRecord(1)->ALIAS, "Bob");
  EXPECT_EQ(w().GetUserRecord(1)->GroupTag, 1);
  EXPECT_FALSE(w().GetUserRecord(1)->Profile.Held()) << "no profile texts sent, none kept";
  EXPECT_EQ(rec.notices.back(), "User \"[Bob]\" is connect...");
  EXPECT_EQ(rec.sounds.back(), 0);
  ASSERT_EQ(w().Talks().Tab(0)->Transcript.size(), 1u);
  EXPECT_EQ(w().Talks().Tab(0)->Transcript[0].Body, "User \"Bob\" is connect...");

  for (int i = 0; i < 5; ++i) in(AnnounceMyselfText(bob, true)); // a storm of NEW
  EXPECT_EQ(kinds(mkUpdateInfo), 1);
  clk.advance(std::chrono::seconds(3));
  in(AnnounceMyselfText(bob, true));
  EXPECT_EQ(kinds(mkUpdateInfo), 2);
  EXPECT_EQ(w().UserCount(), 2);

  // The own NEW, and presence without an ID, change nothing.
  in(AnnounceMyselfText(me(), true));
  RUserID nobody = peer("", "ghost", "10.0.0.9");
  in(AnnounceMyselfText(nobody, true));
  in("NEW!^:^$<ID>   </ID>");
  in(AnnounceMyselfText(peer("{HUGE}", std::string(9000, 'h'), "10.0.0.8"), true));
  in(AnnounceDisconnectText(nobody));
  EXPECT_EQ(w().UserCount(), 2);
  EXPECT_EQ(kinds(mkUpdateInfo), 2);
}

TEST_F(ReceiveTest, PresenceLinesAreMarkedAsPlainText) {
  // An alias is the peer's choice: a presence line quoting it must never be
  // read as markup (a file block in an alias would offer a file everywhere).
  RUserID sly = peer("{5L7}", "{[!CONTROLFILE!]}x{[!/CONTROLFILE!]}", "10.0.0.4");
  join(sly);
  in(BuildMessageToUserText(sly, me().ID, false, "hi"));
  const int tab = w().Talks().FindPrivateTab(sly.ID);
  ASSERT_GT(tab, 0);
  in(AnnounceDisconnectText(sly));
  const auto &all = w().Talks().Tab(0)->Transcript;
  ASSERT_EQ(all.size(), 2u);
  for (const TTalkMessage &m : all) {
    EXPECT_TRUE(m.Presence) << m.Body;
    EXPECT_NE(m.Body.find("{[!CONTROLFILE!]}"), std::string::npos);
  }
  join(bob);
  in(BuildMessageToAllText(bob, "{[!BULLET!]}27{[/!BULLET!]}"));
  EXPECT_FALSE(all.back().Presence) << "a message is markup";
}

TEST_F(ReceiveTest, UpdateInfoUpdatesAPresentUserAndAddsAnUnknownOne) {
  const int b = join(bob);
  RUserID changed = bob;
  changed.ALIAS = "Robert";
  changed.COLOR = 7;
  in(AnnounceMyselfText(changed, false));
  EXPECT_EQ(w().UserCount(), 2);
  EXPECT_EQ(w().GetUserRecord(b)->ALIAS, "Robert");
  EXPECT_EQ(w().GetUserRecord(b)->COLOR, 7);
  in(AnnounceMyselfText(ann, false));
  EXPECT_EQ(w().UserCount(), 3);
  EXPECT_EQ(rec.notices.back(), "User \"[10.0.0.3]\" is connect...") << "a blank alias shows the IP";
}

TEST_F(ReceiveTest, DisconnectMarksInactiveClosesTalksAndTheSameIDComesBackToItsRecord) {
  const int b = join(bob);
  in(BuildMessageToUserText(bob, me().ID, false, "hi"));
  ASSERT_EQ(w().Talks().FindPrivateTab(bob.ID), 1);
  in(AnnounceDisconnectText(bob));
  EXPECT_FALSE(w().GetUserRecord(b)->Active);
  EXPECT_EQ(w().FindUserNode(bob.ID), -1);
  EXPECT_EQ(w().Talks().FindPrivateTab(bob.ID), -1) << "the partner's talk closes";
  EXPECT_EQ(rec.sounds.back(), 1);
  EXPECT_EQ(historyFiles().size(), 1u);
  in(AnnounceDisconnectText(bob)); // unknown by now: nothing
  EXPECT_EQ(rec.sounds.back(), 1);
  const std::size_t sounds = rec.sounds.size();
  in(AnnounceDisconnectText(peer("{NEVER}", "x", "1.1.1.1")));
  EXPECT_EQ(rec.sounds.size(), sounds);

  EXPECT_EQ(join(bob), b);
  EXPECT_EQ(w().UserCount(), 2);
  EXPECT_TRUE(w().GetUserRecord(b)->Active);
}

TEST_F(ReceiveTest, AFailingHandlerIsReportedOnceAndTheNextDatagramIsHandled) {
  join(bob);
  std::vector<std::string> lines;
  SetLogSink([&](const std::string &l) { lines.push_back(l); });
  rec.failingSounds = 1;
  rec.sounds.clear();
  in(BuildMessageToAllText(bob, "first"));
  in(BuildMessageToAllText(bob, "second"));
  SetLogSink(nullptr);
  ASSERT_EQ(lines.size(), 1u) << "reported at the datagram's boundary, and only there";
  EXPECT_EQ(lines[0], "kavetchat: datagram: no sound device");
  const auto &all = w().Talks().Tab(0)->Transcript;
  ASSERT_GE(all.size(), 2u);
  EXPECT_EQ(all[all.size() - 2].Body, "first") << "shown before the sound failed";
  EXPECT_EQ(all.back().Body, "second");
  EXPECT_EQ(rec.sounds, std::vector<int>{4}) << "the second message rang";
}

TEST_F(ReceiveTest, MessagesToAllAreShownUnlessTheSenderIsDeactivated) {
  const int b = join(bob);
  in(BuildMessageToAllText(bob, "hello\x0A\x0Dworld"));
  const auto &all = w().Talks().Tab(0)->Transcript;
  ASSERT_EQ(all.back().Body, "hello\x0A\x0Dworld");
  EXPECT_EQ(all.back().SenderID, bob.ID);
  EXPECT_EQ(all.back().Color, 255);
  EXPECT_EQ(rec.notices.back(), "Message from \"[Bob]\"...");
  EXPECT_EQ(rec.sounds.back(), 4);
  const std::size_t n = all.size();
  clearSent();
  host->Windows().Users().Record(b)->Deactivated = 1;
  in(BuildMessageToAllText(bob, "ignored"));
  EXPECT_EQ(all.size(), n);
  // The own broadcast comes back and is shown once, by that way only.
  host->SayToAll("mine");
  ASSERT_EQ(sent.size(), 1u);
  host->Net().ProcessIncoming(sent[0]);
  EXPECT_EQ(all.back().Body, "mine");
  EXPECT_EQ(all.size(), n + 1);
}

TEST_F(ReceiveTest, PrivateMessagesFindTheirTalk) {
  join(bob);
  in(BuildMessageToUserText(bob, "{SOMEONE-ELSE}", false, "not for me"));
  EXPECT_EQ(w().TabCount(), 1);

  w().NotTalkPrivate = true;
  in(BuildMessageToUserText(bob, me().ID, false, "refused"));
  EXPECT_EQ(w().TabCount(), 1);
  w().NotTalkPrivate = false;

  in(BuildMessageToUserText(bob, me().ID, false, "first"));
  const int tab = w().Talks().FindPrivateTab(bob.ID);
  ASSERT_EQ(tab, 1);
  EXPECT_EQ(w().TabCaption(tab), "Bob");
  EXPECT_EQ(w().FindTalkFrame(tab)->AutorGroupIP, bob.IP);
  // An open talk takes messages also from a deactivated sender.
  w().Users().Record(1)->Deactivated = 1;
  in(BuildMessageToUserText(bob, me().ID, false, "second"));
  EXPECT_EQ(w().Talks().Tab(tab)->Transcript.size(), 2u);
  // A stranger has no record: no talk opens for him.
  in(BuildMessageToUserText(ann, me().ID, false, "who?"));
  EXPECT_EQ(w().TabCount(), 2);
}

TEST_F(ReceiveTest, AutoReplyAnswersOnceWithTheFlagAndNeverAnAutoReply) {
  join(bob);
  host->SetAutoReply(true, "Away", "Back at\r\n\tnoon");
  clearSent();
  in(BuildMessageToUserText(bob, me().ID, false, "are you there?"));
  ASSERT_EQ(sent.size(), 1u);
  const TDataNewMessage reply(sent[0]);
  EXPECT_EQ(GetMessageKind(sent[0]), mkMessageToUser);
  EXPECT_TRUE(reply.HasAutoReplyFlag());
  EXPECT_EQ(reply.GetFromUserID(), bob.ID);
  // The stored text is one text item: its line break travels as it is, its
  // tab as spaces.
  EXPECT_EQ(reply.GetMessageStr(), "{[!BULLET!]}3{[/!BULLET!]}Away\x0A\x0D"
                                   "Back at\r\n        noon");
  const int tab = w().Talks().FindPrivateTab(bob.ID);
  EXPECT_TRUE(w().IsInputReadOnly(tab));
  EXPECT_EQ(w().DocumentToText(tab), "");
  EXPECT_TRUE(w().Talks().Tab(tab)->Transcript.back().AutoReply) << "the local echo";

  sent.clear();
  in(BuildMessageToUserText(bob, me().ID, true, "I am away too"));
  EXPECT_EQ(kinds(mkMessageToUser), 0);

  // The answer goes to the talk the message came to, whichever is active.
  w().Talks().SetActive(0);
  in(BuildMessageToUserText(bob, me().ID, false, "still there?"));
  ASSERT_EQ(kinds(mkMessageToUser), 1);
  EXPECT_EQ(TDataNewMessage(sent.back()).GetFromUserID(), bob.ID);
  EXPECT_EQ(w().DocumentToText(0), "");
  sent.clear();

  // The user cannot send into a read-only private talk: nothing goes, the
  // box is cleared.
  w().SetInput(tab, "typed");
  w().Talks().SetActive(tab);
  host->Net().actSendMessageExecute();
  EXPECT_EQ(kinds(mkMessageToUser), 0);
  EXPECT_EQ(w().DocumentToText(tab), "");

  // Without a text the reply ends with its caption: the one paragraph break
  // at the end goes, as from any input box.
  host->SetAutoReply(true, "Gone", "");
  in(BuildMessageToUserText(bob, me().ID, false, "hello?"));
  ASSERT_EQ(kinds(mkMessageToUser), 1);
  EXPECT_EQ(TDataNewMessage(sent.back()).GetMessageStr(), "{[!BULLET!]}3{[/!BULLET!]}Gone");
}

TEST_F(ReceiveTest, GroupMessagesReachMembersOnly) {
  const int b = join(bob);
  join(ann);
  TGroupTalkFields g{"{GRP}", bob.ID, bob.IP, "", "Bob", "Team"};
  const std::string withMe = BuildMemberList(bob.ID, std::vector<std::int32_t>{}, 0, {}) + "<USERIDSEPARATOR>" +
                             me().ID + "<USERIDSEPARATOR><USERIDSEPARATOR>" + ann.ID + "<USERIDSEPARATOR>";
  in(BuildMessageToGroupText(bob, g, "<USERIDSEPARATOR>" + bob.ID, "not me"));
  EXPECT_EQ(w().TabCount(), 1);
  w().NotTalkGroup = true;
  in(BuildMessageToGroupText(bob, g, withMe, "refused"));
  EXPECT_EQ(w().TabCount(), 1);
  w().NotTalkGroup = false;

  in(BuildMessageToGroupText(bob, g, withMe, "team talk"));
  ASSERT_EQ(w().TabCount(), 2);
  const TTalkFrame &f = *w().FindTalkFrame(1);
  EXPECT_EQ(f.TalkKind, tkOtherGroup);
  EXPECT_EQ(f.GroupID, "{GRP}");
  EXPECT_EQ(w().TabCaption(1), "[Bob] Team");
  const auto buttons = w().MemberButtons(1);
  ASSERT_EQ(buttons.size(), 2u) << "present members other than the own copy";
  EXPECT_EQ(buttons[0].UserIndex, b);
  in(BuildMessageToGroupText(bob, g, withMe, "again"));
  EXPECT_EQ(w().TabCount(), 2);
  EXPECT_EQ(w().Talks().Tab(1)->Transcript.size(), 2u);

  // Only the author renames, changes members or ends the talk.
  in(SendGroupRenameText(ann, "{GRP}", "Hijacked"));
  EXPECT_EQ(w().TabCaption(1), "[Bob] Team");
  in(SendGroupRenameText(bob, "{GRP}", "Crew"));
  EXPECT_EQ(w().TabCaption(1), "[Bob] Crew");
  in(SendGroupRenameText(bob, "{UNKNOWN}", "X"));
  EXPECT_EQ(w().TabCaption(1), "[Bob] Crew");

  TGroupTalkFields forged = g;
  forged.AutorGroupID = ann.ID;
  in(SendGroupMembersText(ann, forged, "<USERIDSEPARATOR>" + ann.ID));
  EXPECT_EQ(w().TabCount(), 2);
  in(SendGroupTalkClosedText(forged));
  EXPECT_EQ(w().TabCount(), 2);
  in(SendGroupMembersText(bob, TGroupTalkFields{"", bob.ID, "", "", "", ""}, "<USERIDSEPARATOR>" + bob.ID));
  EXPECT_EQ(w().TabCount(), 2) << "an empty GROUPID finds no talk";

  // The author's list: first without Ann, then without this copy.
  in(SendGroupMembersText(bob, g, "<USERIDSEPARATOR>" + bob.ID + "<USERIDSEPARATOR>" + me().ID));
  ASSERT_EQ(w().MemberButtons(1).size(), 1u);
  EXPECT_EQ(w().MemberButtons(1)[0].UserIndex, b);
  in(SendGroupMembersText(bob, g, "<USERIDSEPARATOR>" + bob.ID));
  EXPECT_EQ(w().TabCount(), 1);
  EXPECT_EQ(historyFiles().size(), 1u);

  // A talk opened from a message without a GROUPID is still its author's to
  // rename.
  const TGroupTalkFields loose{"", bob.ID, bob.IP, "", "Bob", "Loose"};
  in(BuildMessageToGroupText(bob, loose, withMe, "no id"));
  ASSERT_EQ(w().TabCount(), 2);
  in(SendGroupRenameText(ann, "", "Hijacked"));
  EXPECT_EQ(w().TabCaption(1), "[Bob] Loose");
  in(SendGroupRenameText(bob, "", "Tight"));
  EXPECT_EQ(w().TabCaption(1), "[Bob] Tight");
  EXPECT_EQ(w().FindTalkFrame(1)->GroupName, "Tight");
}

TEST_F(ReceiveTest, GroupDeleteByTheAuthorClosesAndOwnTalksStay) {
  join(bob);
  TGroupTalkFields g{"{GRP}", bob.ID, bob.IP, "", "Bob", "Team"};
  in(BuildMessageToGroupText(bob, g, "<USERIDSEPARATOR>" + bob.ID + "<USERIDSEPARATOR>" + me().ID, "x"));
  ASSERT_EQ(w().TabCount(), 2);
  in(SendGroupTalkClosedText(g));
  EXPECT_EQ(w().TabCount(), 1);

  // An own group talk is left open by its own delete coming back.
  ASSERT_TRUE(host->SendToGroup("Mine", {bob.ID}, "hello"));
  const int own = w().Talks().FindOwnGroupTab(w().FindTalkFrame(1)->GroupBoxTag);
  ASSERT_EQ(own, 1);
  EXPECT_EQ(w().FindTalkFrame(own)->TalkKind, tkOwnGroup);
  in(SendGroupTalkClosedText(w().FindTalkFrame(own)->GroupFields()));
  EXPECT_EQ(w().TabCount(), 2);
  // The own rename coming back names the own talk without the author.
  in(SendGroupRenameText(me(), w().FindTalkFrame(own)->GroupID, "Ours"));
  EXPECT_EQ(w().TabCaption(own), "Ours");
  EXPECT_EQ(w().FindTalkFrame(own)->GroupName, "Ours");
  bool toGroup = false;
  for (const auto &s : sent)
    if (GetMessageKind(s) == mkMessageToGroup) {
      toGroup = true;
      EXPECT_TRUE(TDataNewMessage(s).IsIDInFromUserIDs(bob.ID));
    }
  EXPECT_TRUE(toGroup);
}

TEST_F(ReceiveTest, GroupTalksOfOtherUsersAreBounded) {
  join(bob);
  for (int i = 0; i < kMaxOtherGroupTalks + 20; ++i) {
    TGroupTalkFields g{"{G" + std::to_string(i) + "}", bob.ID, bob.IP, "", "Bob", "T"};
    in(BuildMessageToGroupText(bob, g, "<USERIDSEPARATOR>" + me().ID, "x"));
  }
  EXPECT_EQ(w().TabCount(), 1 + kMaxOtherGroupTalks);
}

TEST_F(ReceiveTest, PrivateTalkClosedByThePartner) {
  join(bob);
  in(BuildMessageToUserText(bob, me().ID, false, "hi"));
  ASSERT_EQ(w().TabCount(), 2);
  in(SendPrivateTalkClosedText(bob, "{SOMEONE-ELSE}"));
  EXPECT_EQ(w().TabCount(), 2);
  in(SendPrivateTalkClosedText(bob, me().ID));
  EXPECT_EQ(w().TabCount(), 1);
}

TEST_F(ReceiveTest, AMessageTooLongForPeersIsRefusedAndKept) {
  const std::string big(9000, 'x');
  host->SayToAll(big);
  EXPECT_TRUE(sent.empty());
  ASSERT_EQ(rec.errors.size(), 1u);
  EXPECT_EQ(rec.errors[0], MessageText("ErrorWhenSend"));
  EXPECT_EQ(w().DocumentToText(0), big) << "the user's text stays in the box";
  host->SayToAll("short");
  EXPECT_EQ(kinds(mkMessage), 1);
  EXPECT_EQ(w().DocumentToText(0), "");
}

TEST_F(ReceiveTest, PrivateMessagesAreShownOnceByTheLocalEcho) {
  join(bob);
  clearSent();
  ASSERT_TRUE(host->SendPrivate(bob.ID, "psst"));
  const int tab = w().Talks().FindPrivateTab(bob.ID);
  ASSERT_EQ(w().Talks().Tab(tab)->Transcript.size(), 1u);
  EXPECT_EQ(w().Talks().Tab(tab)->Transcript[0].SenderID, me().ID);
  ASSERT_EQ(sent.size(), 1u);
  in(sent[0]); // the own private message comes back: not addressed to us
  EXPECT_EQ(w().Talks().Tab(tab)->Transcript.size(), 1u);
  EXPECT_FALSE(host->SendPrivate("{NOBODY}", "x"));
}

TEST_F(ReceiveTest, EchoGoesBackToASenderButNeverToAChatPortOrNonUnicast) {
  // Once through real sockets: the sender hears its datagram back.
  UdpSocket client;
  ASSERT_TRUE(client.open("127.0.0.1", 0));
  std::vector<std::string> heard;
  client.setReadHandler([&](const std::string &d, const std::string &, std::uint16_t) { heard.push_back(d); });
  const std::string msg = BuildMessageToAllText(bob, "echo me");
  ASSERT_TRUE(client.sendTo(msg, "127.0.0.1", port));
  ASSERT_TRUE(waitFor([&] { return !heard.empty(); }));
  EXPECT_EQ(heard[0], msg);
  ASSERT_EQ(echoes.size(), 1u);
  EXPECT_EQ(echoes[0].ip, "127.0.0.1");
  EXPECT_EQ(echoes[0].port, client.localPort());
  const auto &all = w().Talks().Tab(0)->Transcript;
  EXPECT_EQ(all.back().Body, "echo me");
  echoes.clear();

  // From the chat port of 127.0.0.1 (the copy itself): an echo would come
  // straight back and go round for ever.
  const std::size_t n = all.size();
  host->Net().IdUDPServerUDPRead(BuildMessageToAllText(bob, "from the chat port"), "127.0.0.1", port);
  EXPECT_EQ(all.size(), n + 1);
  // No single sender: not echoed, still dispatched (127.0.0.2 stands for
  // the broadcast address here).
  for (const char *src : {"255.255.255.255", "0.0.0.0", "224.0.0.1", "127.0.0.2"}) {
    host->Net().IdUDPServerUDPRead(BuildMessageToAllText(bob, src), src, 40000);
    EXPECT_EQ(all.back().Body, src);
  }
  EXPECT_EQ(all.size(), n + 5);
  EXPECT_TRUE(echoes.empty());
  EXPECT_EQ(sent.size(), 0u) << "nothing went to the send host, which is also the broadcast address";
  EXPECT_TRUE(IsUnicastSource("10.1.2.3", "10.1.2.255"));
  EXPECT_FALSE(IsUnicastSource("10.1.2.255", "10.1.2.255"));
  EXPECT_FALSE(IsUnicastSource("not an address", ""));
}

TEST_F(ReceiveTest, ABusyPortIsReportedWithThePortErrorText) {
  THeadlessChatHost second(host->Net().Options(), &rec);
  EXPECT_FALSE(second.Net().SetNetworkActive(true));
  ASSERT_FALSE(rec.errors.empty());
  EXPECT_EQ(rec.errors.back(), MessageText("ErrorPortAbort"));
  EXPECT_FALSE(second.Net().ServerActive());
}

TEST_F(ReceiveTest, ClosingAnnouncesDisconnectAndSavesTalks) {
  join(bob);
  in(BuildMessageToAllText(bob, "keep me"));
  in(BuildMessageToAllText(ann, "and me"));
  host->CloseMainWindow();
  EXPECT_EQ(kinds(mkDisconnect), 1);
  EXPECT_FALSE(host->Net().ServerActive());
  const auto files = historyFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_NE(files[0].find("All Users and "), std::string::npos) << files[0];
  std::ifstream file(dir + "/data/kavet-chat/History/" + files[0], std::ios::binary);
  const std::string saved((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_NE(saved.find("[Bob]\r\nkeep me\r\n"), std::string::npos) << saved;
  // A header shows the IP only for an empty alias; blanks are a name.
  EXPECT_NE(saved.find("[  ]\r\nand me\r\n"), std::string::npos) << saved;
}

TEST_F(ReceiveTest, OwnGroupsOutliveTheRunAndHistoryCanBeSwitchedOff) {
  const std::string me_id = me().ID;
  join(bob);
  ASSERT_TRUE(host->SendToGroup("Friends", {bob.ID}, "hi"));
  const TGroupBoxInfo box = *w().Users().FindGroupByCaption("Friends");
  EXPECT_EQ(box.Tag, 3) << "the number after the two fixed boxes";
  const std::string mainID = w().Users().FindGroup(kMainGroupTag)->GroupID;
  w().SaveHistory = false;
  host->CloseMainWindow();
  EXPECT_FALSE(fs::exists(dir + "/data/kavet-chat/History") && !historyFiles().empty());
  // A stored group under the main group's number (its Tag was stored as -1).
  const std::string key = host->Key();
  RegistryIni(key).writeInteger("1_GROUPBOX!>!", "TagNumber_Value", -1);
  RegistryIni(key).writeString("1_GROUPBOX!>!", "Caption_Value", "  Stray ");
  RegistryIni(key).writeString("1_GROUPBOX!>!", "GroupID", "{STRAY}");

  THeadlessChatHost next(host->Net().Options(), &rec);
  host.reset();
  next.CreateMainWindow();
  next.CreateUserList();
  TGroupBoxInfo *again = next.Windows().Users().FindGroupByCaption("Friends");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Tag, box.Tag);
  EXPECT_EQ(again->GroupID, box.GroupID);
  EXPECT_EQ(next.Windows().GetUserRecord(0)->ID, me_id);
  // It becomes a box of its own under the next free number, stored there;
  // the main group keeps its name and identifier.
  const TGroupBoxInfo *main = next.Windows().Users().FindGroup(kMainGroupTag);
  EXPECT_EQ(main->Caption, "Main group");
  EXPECT_EQ(main->GroupID, mainID);
  const TGroupBoxInfo *stray = next.Windows().Users().FindGroupByCaption("Stray");
  ASSERT_NE(stray, nullptr);
  EXPECT_EQ(stray->Tag, 4);
  EXPECT_EQ(stray->GroupID, "{STRAY}");
  EXPECT_EQ(RegistryIni(key).readString("4_GROUPBOX!>!", "GroupID"), "{STRAY}");
  EXPECT_FALSE(GroupBoxExists(key, 1));
}

TEST_F(ReceiveTest, NewcomersShareOneProfileAnswerAndTheLastIsAlwaysSent) {
  FixedClock clk(std::chrono::system_clock::from_time_t(1765378800));
  ClockOverride over(clk);
  ManualTimerClock timers;
  // A burst of newcomers (real or made up) asks for the profile 50 times.
  for (int i = 0; i < 50; ++i) join(peer("{NEWCOMER-" + std::to_string(i) + "}", "n", "10.0.1.1"));
  EXPECT_EQ(w().UserCount(), 51);
  EXPECT_EQ(kinds(mkUpdateInfo), 1) << "the first at once";
  // The answer for the rest follows once the interval has passed.
  const int interval = static_cast<int>(TKavetChatNet::kAnswerInterval.count()) * 1000;
  timers.advance(interval - 1);
  EXPECT_EQ(kinds(mkUpdateInfo), 1);
  clk.advance(TKavetChatNet::kAnswerInterval);
  timers.advance(1);
  EXPECT_EQ(kinds(mkUpdateInfo), 2);
  clk.advance(TKavetChatNet::kAnswerInterval * 3);
  timers.advance(interval * 3);
  EXPECT_EQ(kinds(mkUpdateInfo), 2) << "nothing left to answer";
}

TEST_F(ReceiveTest, AFullUserListTakesNewcomersInTheRecordOfTheUserGoneLongest) {
  // The list filled up by made-up users.
  for (std::size_t i = 1; i <= TUserListModel::kMaxUsers; ++i) {
    RUserID r = peer("{FAKE-" + std::to_string(i) + "}", "fake", "10.0.2.2");
    ASSERT_GE(w().Users().Append(r), 1);
  }
  ASSERT_EQ(w().UserCount(), static_cast<int>(TUserListModel::kMaxUsers + 1));
  // Everybody present and silent: the newest makes room.
  const int newest = static_cast<int>(TUserListModel::kMaxUsers);
  EXPECT_EQ(join(bob), newest);
  EXPECT_EQ(w().FindUserNode("{FAKE-" + std::to_string(newest) + "}"), -1);
  EXPECT_NE(w().FindUserNode("{FAKE-1}"), -1);
  // One gone: his record goes first, though he was heard of later.
  in(AnnounceDisconnectText(peer("{FAKE-500}", "fake", "10.0.2.2")));
  EXPECT_EQ(join(ann), 500);
  EXPECT_EQ(w().UserCount(), static_cast<int>(TUserListModel::kMaxUsers + 1));
  EXPECT_NE(w().FindUserNode(bob.ID), -1);
}

TEST_F(ReceiveTest, ALongOwnProfileIsAnnouncedShortenedAndTheUserToldOnce) {
  ASSERT_TRUE(host->SetProfileField("ALIAS_", "Me"));
  clearSent();
  const std::string interest(9000, 'i'), work(6000, 'w');
  ASSERT_TRUE(host->SetProfileField("WNAME_", work));
  ASSERT_TRUE(host->SetProfileField("Interest_", interest));
  ASSERT_EQ(sent.size(), 2u);
  const TDataNewMessage m(sent.back());
  EXPECT_LE(sent.back().size(), kMaxSendSize);
  EXPECT_EQ(m.GetID(), me().ID);
  EXPECT_EQ(m.GetIP(), me().IP);
  EXPECT_EQ(m.GetAlias(), "Me");
  // The longest fields are cut to one length, as long as still fits.
  EXPECT_EQ(m.GetWName().size(), m.GetInterest().size());
  EXPECT_GT(m.GetInterest().size(), 2000u);
  EXPECT_EQ(m.GetInterest(), interest.substr(0, m.GetInterest().size()));
  ASSERT_EQ(rec.notices.size(), 1u);
  EXPECT_NE(rec.notices[0].find("shortened: [WNAME, Interest]"), std::string::npos) << rec.notices[0];
  // Announcing again tells nothing new.
  host->Net().AnnounceMyself(false);
  EXPECT_EQ(kinds(mkUpdateInfo), 3);
  EXPECT_EQ(rec.notices.size(), 1u);
}

TEST_F(ReceiveTest, ReceivedFieldsAreCutAndAnOverlongAnnouncementReadsItsFirstPart) {
  RUserID chatty = peer("{CHATTY}", std::string(1000, 'a'), "10.0.0.7");
  chatty.Profile.Set(&RUserProfile::EMAIL, std::string(3000, 'e'));
  chatty.Profile.Set(&RUserProfile::Interest, std::string(9000, 'i')); // a Windows peer sends it: over 8,192 bytes
  const std::string announce = AnnounceMyselfText(chatty, true);
  ASSERT_GT(announce.size(), kMaxSendSize);
  const int index = join(chatty);
  ASSERT_GT(index, 0) << "the ID within the first 8,192 bytes counts";
  const RUserID &r = *w().GetUserRecord(index);
  EXPECT_EQ(r.ALIAS.size(), kMaxReceivedAlias);
  EXPECT_EQ(r.Profile->EMAIL.size(), kMaxReceivedField);
  EXPECT_EQ(r.Profile->Interest, "") << "cut off before its end";

  RUserID loud = bob;
  loud.ALIAS.assign(60000, 'L');
  loud.IP.assign(500, '9');
  in(BuildMessageToAllText(loud, "x"));
  const TTalkMessage &shown = w().Talks().Tab(0)->Transcript.back();
  EXPECT_EQ(shown.Body, "x");
  EXPECT_EQ(shown.Alias.size(), kMaxReceivedAlias);
  EXPECT_EQ(shown.IP.size(), kMaxReceivedIP);
}

TEST_F(ReceiveTest, PrivateTalksAreCappedAndTheQuietestIsSavedToMakeRoom) {
  std::vector<RUserID> peers;
  for (int i = 0; i <= kMaxPrivateTalks; ++i) {
    peers.push_back(peer("{P" + std::to_string(i) + "}", "p" + std::to_string(i), "10.0.3.3"));
    join(peers.back());
  }
  for (int i = 0; i < kMaxPrivateTalks; ++i) in(BuildMessageToUserText(peers[i], me().ID, false, "hi"));
  EXPECT_EQ(w().Talks().CountOfKind(tkPrivate), kMaxPrivateTalks);
  // The first talk was active again lately; the second is the quietest.
  in(BuildMessageToUserText(peers[0], me().ID, false, "still here"));
  in(BuildMessageToUserText(peers[kMaxPrivateTalks], me().ID, false, "me too"));
  EXPECT_EQ(w().Talks().CountOfKind(tkPrivate), kMaxPrivateTalks);
  EXPECT_EQ(w().Talks().FindPrivateTab(peers[1].ID), -1);
  EXPECT_NE(w().Talks().FindPrivateTab(peers[0].ID), -1);
  EXPECT_NE(w().Talks().FindPrivateTab(peers[kMaxPrivateTalks].ID), -1);
  const auto files = historyFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].rfind("p1 and ", 0), 0u) << files[0];
}

TEST_F(ReceiveTest, HistoryHoldsEveryMessageOfALongTalk) {
  join(bob);
  const std::size_t total = TTalkListModel::kMaxTranscript + 25;
  for (std::size_t i = 0; i < total; ++i) in(BuildMessageToAllText(bob, "m" + std::to_string(i)));
  EXPECT_EQ(w().Talks().Tab(0)->Transcript.size(), TTalkListModel::kMaxTranscript);
  // What left memory is on disk already.
  ASSERT_EQ(historyFiles().size(), 1u);
  host->CloseMainWindow();
  const auto files = historyFiles();
  ASSERT_EQ(files.size(), 1u) << "one talk, one file";
  std::ifstream file(dir + "/data/kavet-chat/History/" + files[0], std::ios::binary);
  const std::string saved((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::size_t shown = 0;
  for (std::size_t p = 0; (p = saved.find("[Bob]\r\nm", p)) != std::string::npos; ++p) ++shown;
  EXPECT_EQ(shown, total);
  EXPECT_EQ(saved.find("[Bob]\r\nm"), saved.find("[Bob]\r\nm0\r\n")) << "oldest first";
  EXPECT_NE(saved.find("[Bob]\r\nm" + std::to_string(total - 1) + "\r\n"), std::string::npos);
}

TEST_F(ReceiveTest, ABlankAliasNamesThePrivateTalkByTheIPAlsoAfterAnUpdate) {
  join(ann);
  in(BuildMessageToUserText(ann, me().ID, false, "hi"));
  const int tab = w().Talks().FindPrivateTab(ann.ID);
  ASSERT_NE(tab, -1);
  EXPECT_EQ(w().TabCaption(tab), "10.0.0.3");
  RUserID changed = ann;
  changed.COLOR = 9;
  in(AnnounceMyselfText(changed, false));
  EXPECT_EQ(w().TabCaption(tab), "10.0.0.3");
  changed.ALIAS = "Ann";
  in(AnnounceMyselfText(changed, false));
  EXPECT_EQ(w().TabCaption(tab), "Ann");
}

TEST_F(ReceiveTest, EchoesAreLimitedPerSourceAndDispatchGoesOnWithoutThem) {
  FixedClock clk(std::chrono::system_clock::from_time_t(1765378800));
  ClockOverride over(clk);
  // The sender's socket takes the echoes (and drops them: no handler).
  UdpSocket client;
  ASSERT_TRUE(client.open("127.0.0.1", 0));
  const int burst = TKavetChatNet::kEchoesPerSecond * 3;
  for (int i = 0; i < burst; ++i)
    host->Net().IdUDPServerUDPRead(BuildMessageToAllText(bob, "e" + std::to_string(i)), "127.0.0.1",
                                   client.localPort());
  EXPECT_EQ(echoes.size(), static_cast<std::size_t>(TKavetChatNet::kEchoesPerSecond));
  EXPECT_EQ(w().Talks().Tab(0)->Transcript.back().Body, "e" + std::to_string(burst - 1)) << "all dispatched";
  // A second later the sender is echoed again.
  clk.advance(std::chrono::seconds(1));
  host->Net().IdUDPServerUDPRead(BuildMessageToAllText(bob, "later"), "127.0.0.1", client.localPort());
  EXPECT_EQ(echoes.size(), static_cast<std::size_t>(TKavetChatNet::kEchoesPerSecond) + 1);

  // An echo that cannot be sent (larger than any datagram) ends nothing.
  const std::string huge = BuildMessageToAllText(bob, std::string(UdpSocket::kMaxDatagram, 'h'));
  host->Net().IdUDPServerUDPRead(huge, "127.0.0.9", 40000);
  EXPECT_EQ(w().Talks().Tab(0)->Transcript.back().Body.size(), UdpSocket::kMaxDatagram);
}

TEST_F(ReceiveTest, AGroupStoredTwiceUnderOneNumberStaysTwoGroupsOverManyStarts) {
  const std::string key = host->Key();
  host.reset();
  // Two sections claim number 3; one section's name and number disagree.
  for (const auto &[section, caption] :
       {std::pair{"3_GROUPBOX!>!", "Friends"}, {"5_GROUPBOX!>!", "Friends"}, {"9_GROUPBOX!>!", "Work"}}) {
    RegistryIni(key).writeInteger(section, "TagNumber_Value", section[0] == '9' ? 7 : 3);
    RegistryIni(key).writeString(section, "Caption_Value", caption);
    RegistryIni(key).writeString(section, "GroupID", std::string("{") + section[0] + "}");
  }
  auto groupSections = [&] {
    int n = 0;
    for (const std::string &s : RegistryIni(key).sections()) n += s.find("_GROUPBOX!>!") != std::string::npos;
    return n;
  };
  for (int start = 0; start < 5; ++start) {
    THeadlessChatHost run({}, nullptr);
    run.CreateUserList();
    const auto &groups = run.Windows().Users().Groups();
    ASSERT_EQ(groups.size(), 5u) << "start " << start;
    std::set<std::int32_t> tags;
    for (const TGroupBoxInfo &g : groups) tags.insert(g.Tag);
    EXPECT_EQ(tags.size(), 5u);
    run.BeginClose();
    EXPECT_EQ(groupSections(), 3) << "start " << start;
  }
  EXPECT_EQ(RegistryIni(key).readString("7_GROUPBOX!>!", "Caption_Value"), "Work");
  EXPECT_FALSE(RegistryIni(key).sectionExists("9_GROUPBOX!>!"));
}

TEST(UserListModel, RecordsAreCapped) {
  TUserListModel users;
  RUserID r;
  for (std::size_t i = 0; i <= TUserListModel::kMaxUsers; ++i) ASSERT_GE(users.Append(r), 0);
  EXPECT_EQ(users.Append(r), -1);
  EXPECT_EQ(users.Count(), static_cast<int>(TUserListModel::kMaxUsers + 1));
}

// Records are found by ID through an index that follows every way a
// record gets or loses an ID; each row is a step and what the lookups say
// after it.
TEST(UserListModel, LookupsByIDFollowAppendsAndReusedRecords) {
  TUserListModel users;
  auto rec = [](const char *ID, bool Active) {
    RUserID r;
    r.ID = ID;
    r.Active = Active ? 1 : 0;
    return r;
  };
  users.Append(rec("{ME}", true));
  struct Row {
    const char *name;
    std::function<void()> step;
    const char *id;
    int index, present;
  } rows[] = {
      {"OwnRecordIsNeverFound", [] {}, "{ME}", -1, -1},
      {"Appended", [&] { users.Append(rec("{A}", true)); }, "{A}", 1, 1},
      {"AppendedAway", [&] { users.Append(rec("{B}", false)); }, "{B}", 2, -1},
      {"Unknown", [] {}, "{C}", -1, -1},
      {"ReusedRecordLosesItsOldID", [&] { users.Assign(2, rec("{C}", true)); }, "{B}", -1, -1},
      {"ReusedRecordHasItsNewID", [] {}, "{C}", 2, 2},
      {"SecondRecordOfAnIDStaysBehindTheFirst", [&] { users.Append(rec("{A}", false)); }, "{A}", 1, 1},
      {"FirstGoneTheSecondPresentOneIsFound",
       [&] {
         users.Record(1)->Active = 0;
         users.Record(3)->Active = 1;
       },
       "{A}", 1, 3},
      {"FirstRenamedTheSecondStandsForTheID", [&] { users.Assign(1, rec("{D}", true)); }, "{A}", 3, 3},
      {"RenamedOneUnderItsNewID", [] {}, "{D}", 1, 1},
      {"OutOfRangeAssignIsIgnored", [&] { users.Assign(99, rec("{E}", true)); }, "{E}", -1, -1},
  };
  for (const Row &r : rows) {
    r.step();
    EXPECT_EQ(users.IndexOfID(r.id), r.index) << r.name;
    EXPECT_EQ(users.FindPresent(r.id), r.present) << r.name;
  }
}

// Many records taking, giving up and sharing IDs: the index answers as a
// walk over every record would.
TEST(UserListModel, LookupsByIDMatchAWalkOverAllRecords) {
  TUserListModel users;
  RUserID me;
  me.ID = "{ME}";
  users.Append(me);
  std::mt19937 random(29);
  auto id = [&] { return "{" + std::to_string(random() % 400) + "}"; };
  auto walk = [&](const std::string &ID, bool Present) {
    for (int i = 1; i < users.Count(); ++i)
      if (users.Record(i)->ID == ID && (!Present || users.Record(i)->Active)) return i;
    return -1;
  };
  for (int step = 0; step < 3000; ++step) {
    RUserID r;
    r.ID = id();
    r.Active = random() % 2;
    if (users.Count() < 300 || random() % 3 == 0) users.Append(r);
    else users.Assign(1 + int(random() % unsigned(users.Count() - 1)), r);
    if (step % 100 != 99) continue;
    for (int n = 0; n < 400; ++n) {
      const std::string probe = "{" + std::to_string(n) + "}";
      ASSERT_EQ(users.IndexOfID(probe), walk(probe, false)) << probe << " after step " << step;
      ASSERT_EQ(users.FindPresent(probe), walk(probe, true)) << probe << " after step " << step;
    }
  }
}

TEST(TalkListModel, TranscriptsKeepTheNewestWithinTheirBudget) {
  TTalkListModel talks;
  const int a = talks.Open("a", 0, {}), b = talks.Open("b", 0, {});
  TTalkMessage big;
  // A quarter of the budget with everything the message holds.
  big.Body.assign(TTalkListModel::kMaxTranscriptBytes / 4 - TTalkListModel::Cost({}), 'x');
  for (int i = 0; i < 3; ++i) talks.Append(a, big);
  big.Body.back() = 'y';
  for (int i = 0; i < 3; ++i) talks.Append(b, big);
  // A flood into one talk costs that talk its old messages, not the others.
  EXPECT_LE(talks.TranscriptBytes(), TTalkListModel::kMaxTranscriptBytes);
  EXPECT_EQ(talks.Tab(a)->Transcript.size(), 3u);
  EXPECT_EQ(talks.Tab(b)->Transcript.size(), 1u);
  talks.Close(b);
  EXPECT_EQ(talks.TranscriptBytes(), 3 * (TTalkListModel::kMaxTranscriptBytes / 4));
  // Every field counts: a flood of tiny bodies under huge aliases is held to
  // the same budget.
  TTalkMessage aliased;
  aliased.Body = "x";
  aliased.Alias.assign(60000, 'a');
  for (int i = 0; i < 2000; ++i) talks.Append(a, aliased);
  EXPECT_LE(talks.TranscriptBytes(), TTalkListModel::kMaxTranscriptBytes);
  EXPECT_LT(talks.Tab(a)->Transcript.size(), 2000u);
  big.Body.assign(TTalkListModel::kMaxTranscriptBytes + 1, 'z');
  talks.Append(a, big);
  EXPECT_EQ(talks.Tab(a)->Transcript.size(), 1u) << "only the newest, however big";
  talks.Close(a);
  EXPECT_EQ(talks.TranscriptBytes(), 0u);
  const int c = talks.Open("c", 0, {});
  TTalkMessage small;
  small.Body = "s";
  for (std::size_t i = 0; i < TTalkListModel::kMaxTranscript + 5; ++i) talks.Append(c, small);
  EXPECT_EQ(talks.Tab(c)->Transcript.size(), TTalkListModel::kMaxTranscript);
}

} // namespace

namespace {

// Datagrams handed over with their source address, as the listener does
// (without its echo, which would go out to these addresses).
struct Wire {
  THeadlessChatHost &host;
  void from(const std::string &ip, const std::string &text) { host.Net().ProcessIncoming(text, ip); }
};

} // namespace

TEST_F(ReceiveTest, AHostForgingAnotherUsersIDChangesNothing) {
  std::vector<std::string> log;
  SetLogSink([&](const std::string &l) { log.push_back(l); });
  Wire wire{*host};
  const std::string bobIP = "10.0.0.2", evil = "10.0.0.66";
  wire.from(bobIP, AnnounceMyselfText(bob, true));
  const int b = w().FindUserNode(bob.ID);
  ASSERT_GT(b, 0);
  EXPECT_EQ(host->Net().SourceOf(bob.ID), bobIP);
  // Bob's group talk with me, and a private talk, both real.
  TGroupTalkFields g{"{GRP}", bob.ID, bob.IP, "", "Bob", "Team"};
  const std::string members =
      "<USERIDSEPARATOR>" + bob.ID + "<USERIDSEPARATOR><USERIDSEPARATOR>" + me().ID + "<USERIDSEPARATOR>";
  wire.from(bobIP, BuildMessageToGroupText(bob, g, members, "team talk"));
  wire.from(bobIP, BuildMessageToUserText(bob, me().ID, false, "psst"));
  ASSERT_EQ(w().TabCount(), 3);
  const int groupTab = host->Net().FindGroupTalk("{GRP}");
  const int privateTab = w().Talks().FindPrivateTab(bob.ID);
  ASSERT_GT(groupTab, 0);
  ASSERT_GT(privateTab, 0);
  auto shown = [&] {
    std::size_t n = 0;
    for (int i = 0; i < w().TabCount(); ++i) n += w().Talks().Tab(i)->Transcript.size();
    return n;
  };
  const std::size_t before = shown();
  const std::string groupCaption = w().TabCaption(groupTab);

  RUserID renamed = bob;
  renamed.ALIAS = "Evil";
  RUserID meForged = me();
  const struct {
    const char *name;
    std::string text;
  } forged[] = {
      {"message to all", BuildMessageToAllText(bob, "I resign")},
      {"private message", BuildMessageToUserText(bob, me().ID, false, "send me your password")},
      {"group message", BuildMessageToGroupText(bob, g, members, "forged team talk")},
      {"rename", AnnounceMyselfText(renamed, false)},
      {"group rename", SendGroupRenameText(bob, "{GRP}", "Hijacked")},
      {"group members", SendGroupMembersText(bob, g, "<USERIDSEPARATOR>" + bob.ID)},
      {"group delete", SendGroupDeleteText(bob, "{GRP}", "Team")},
      {"group closed", SendGroupTalkClosedText(g)},
      {"private talk closed", SendPrivateTalkClosedText(bob, me().ID)},
      {"disconnect", AnnounceDisconnectText(bob)},
      {"a new copy elsewhere", AnnounceMyselfText(renamed, true)},
      {"in my own name", BuildMessageToAllText(meForged, "forged as me")},
  };
  for (const auto &f : forged) {
    wire.from(evil, f.text);
    SCOPED_TRACE(f.name);
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(w().FindUserNode(bob.ID), b);
    EXPECT_EQ(w().GetUserRecord(b)->ALIAS, "Bob");
    EXPECT_EQ(w().TabCount(), 3);
    EXPECT_EQ(w().TabCaption(groupTab), groupCaption);
    EXPECT_EQ(w().MemberButtons(groupTab).size(), 1u);
  }
  EXPECT_EQ(host->Net().SourceOf(bob.ID), bobIP);
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log[0].find("forged sender: a datagram from 10.0.0.66 names the user {B0B} of 10.0.0.2"), std::string::npos)
      << log[0];
  EXPECT_LE(log.size(), std::size_t(kLogLinesPerMinute)) << "rate-limited";
  // Bob himself is still heard, and can still be written to.
  wire.from(bobIP, BuildMessageToAllText(bob, "still me"));
  EXPECT_EQ(w().Talks().Tab(0)->Transcript.back().Body, "still me");
  clearSent();
  ASSERT_TRUE(host->SendPrivate(bob.ID, "hello Bob"));
  EXPECT_EQ(kinds(mkMessageToUser), 1);
  // Once Bob says goodbye from his own address, the ID is free again.
  wire.from(bobIP, AnnounceDisconnectText(bob));
  EXPECT_EQ(w().FindUserNode(bob.ID), -1);
  EXPECT_EQ(host->Net().SourceOf(bob.ID), "");
  wire.from("10.0.0.7", AnnounceMyselfText(bob, true));
  EXPECT_GT(w().FindUserNode(bob.ID), 0);
  EXPECT_EQ(host->Net().SourceOf(bob.ID), "10.0.0.7");
  SetLogSink(nullptr);
}

TEST_F(ReceiveTest, AUserBackFromAnotherAddressIsListedOnceTheOldOneStaysSilent) {
  FixedClock clk(std::chrono::system_clock::from_time_t(1765378800));
  ClockOverride over(clk);
  ManualTimerClock timers;
  SetLogSink([](const std::string &) {});
  Wire wire{*host};
  wire.from("10.0.0.2", AnnounceMyselfText(bob, true));
  wire.from("10.0.0.3", AnnounceMyselfText(ann, true));
  clearSent();

  // Bob's copy crashed and starts again from another address: this copy
  // asks everybody to answer (one NEW of its own) and waits.
  RUserID moved = bob;
  moved.IP = "10.0.0.20";
  wire.from("10.0.0.20", AnnounceMyselfText(moved, true));
  EXPECT_EQ(kinds(mkNew), 1);
  EXPECT_EQ(w().GetUserRecord(w().FindUserNode(bob.ID))->IP, "10.0.0.2");
  // Ann pretends to be Ann from elsewhere, but Ann's copy answers.
  RUserID annElsewhere = ann;
  annElsewhere.IP = "10.0.0.30";
  wire.from("10.0.0.30", AnnounceMyselfText(annElsewhere, true));
  clk.advance(std::chrono::seconds(1));
  wire.from("10.0.0.3", AnnounceMyselfText(ann, false));
  clk.advance(TKavetChatNet::kClaimWait);
  timers.advance(static_cast<int>(TKavetChatNet::kClaimWait.count()) * 1000 + 200);
  EXPECT_EQ(host->Net().SourceOf(bob.ID), "10.0.0.20");
  EXPECT_EQ(w().GetUserRecord(w().FindUserNode(bob.ID))->IP, "10.0.0.20");
  EXPECT_EQ(host->Net().SourceOf(ann.ID), "10.0.0.3");
  wire.from("10.0.0.20", BuildMessageToAllText(moved, "back again"));
  EXPECT_EQ(w().Talks().Tab(0)->Transcript.back().Body, "back again");
  wire.from("10.0.0.2", BuildMessageToAllText(bob, "the old address"));
  EXPECT_EQ(w().Talks().Tab(0)->Transcript.back().Body, "back again");
  EXPECT_EQ(kinds(mkNew), 1) << "one question served both claims";
  SetLogSink(nullptr);
}

TEST_F(ReceiveTest, AFullUserListNeverTakesTheRecordOfAUserInATalk) {
  SetLogSink([](const std::string &) {});
  Wire wire{*host};
  // Bob, Ann and Cid came first. Bob talks privately with me, Ann spoke to
  // all just now, Cid sits in a group box of mine.
  const RUserID cid = peer("{C1D}", "Cid", "10.0.0.4");
  for (const RUserID *p : {&bob, &ann, &cid}) wire.from(p->IP, AnnounceMyselfText(*p, true));
  wire.from(bob.IP, BuildMessageToUserText(bob, me().ID, false, "psst"));
  wire.from(ann.IP, BuildMessageToAllText(ann, "hi all"));
  w().Users().Record(w().FindUserNode(cid.ID))->GroupTag = 3;
  // Then made-up newcomers fill the list and go on coming.
  for (std::size_t i = 4; i <= TUserListModel::kMaxUsers; ++i)
    ASSERT_GE(w().Users().Append(peer("{FAKE-" + std::to_string(i) + "}", "fake", "10.0.2.2")), 1);
  for (int i = 0; i < 50; ++i)
    wire.from("10.0.2.2", AnnounceMyselfText(peer("{NEWFAKE-" + std::to_string(i) + "}", "fake", "10.0.2.2"), true));
  for (const RUserID *p : {&bob, &ann, &cid}) EXPECT_GT(w().FindUserNode(p->ID), 0) << p->ID;
  EXPECT_GT(w().FindUserNode("{FAKE-4}"), 0) << "the newest silent record went each time";
  EXPECT_GT(w().FindUserNode("{NEWFAKE-49}"), 0);
  // A private message from Bob still reaches his talk.
  const int tab = w().Talks().FindPrivateTab(bob.ID);
  wire.from(bob.IP, BuildMessageToUserText(bob, me().ID, false, "still there?"));
  EXPECT_EQ(w().Talks().Tab(tab)->Transcript.back().Body, "still there?");
  SetLogSink(nullptr);
}

TEST_F(ReceiveTest, HistoryOnDiskStaysWithinItsBounds) {
  std::vector<std::string> log;
  SetLogSink([&](const std::string &l) { log.push_back(l); });
  THistoryLimits &limits = w().HistoryLimits;
  limits.TalkFileBytes = 4000;
  limits.FolderBytes = 10000;
  limits.FreeMargin = 0;
  const std::string folder = w().HistoryFolder;
  // Old history files of earlier runs, oldest first by name and time.
  for (int i = 0; i < 4; ++i) {
    std::ofstream(folder + "/Old" + std::to_string(i) + " and me 01.01.26 10.00.0" + std::to_string(i) + ".txt")
        << std::string(2000, 'o');
  }
  std::ofstream(folder + "/my notes.txt") << std::string(5000, 'n');
  join(bob);
  // The all-users talk's history gets what its transcript lets go, and a
  // talk closed writes the rest.
  const std::string body(200, 'm');
  TTalkTab &all = *w().Talks().Tab(0);
  for (int i = 0; i < 100; ++i) w().SaveTalkHistory(0), all.Transcript.clear(), in(BuildMessageToAllText(bob, body));
  ASSERT_FALSE(all.HistoryPath.empty());
  EXPECT_LE(fs::file_size(all.HistoryPath), limits.TalkFileBytes);
  EXPECT_TRUE(all.HistoryCapped);
  std::uintmax_t total = 0;
  for (const auto &e : fs::directory_iterator(folder))
    if (IsHistoryFileName(e.path().filename().string())) total += fs::file_size(e.path());
  EXPECT_LE(total, limits.FolderBytes);
  EXPECT_TRUE(fs::exists(folder + "/my notes.txt")) << "only history files are deleted";
  EXPECT_FALSE(fs::exists(folder + "/Old0 and me 01.01.26 10.00.00.txt")) << "the oldest went first";
  std::size_t capped = 0, trimmed = 0;
  for (const std::string &n : rec.notices) {
    capped += n.find("reached its size limit") != std::string::npos;
    trimmed += n.find("oldest files are deleted") != std::string::npos;
  }
  EXPECT_EQ(capped, 1u);
  EXPECT_EQ(trimmed, 1u);

  // Too little free space: nothing is written, the user is told once.
  SetFreeSpaceOverride([](const std::string &) { return std::optional<std::uint64_t>(1000); });
  limits.FreeMargin = 64 << 20;
  limits.TalkFileBytes = 1 << 20;
  w().Talks().Tab(0)->HistoryCapped = false;
  const auto size = fs::file_size(all.HistoryPath);
  in(BuildMessageToAllText(bob, "more"));
  w().SaveTalkHistory(0);
  w().SaveTalkHistory(0);
  EXPECT_EQ(fs::file_size(all.HistoryPath), size);
  EXPECT_EQ(std::count_if(rec.errors.begin(), rec.errors.end(),
                          [](const std::string &e) { return e.find("nearly full") != std::string::npos; }),
            1);
  EXPECT_TRUE(w().SaveFailed());
  SetFreeSpaceOverride(nullptr);
  SetLogSink(nullptr);
}

TEST_F(ReceiveTest, AHistoryThatCannotBeWrittenIsReported) {
  SetLogSink([](const std::string &) {});
  join(bob);
  in(BuildMessageToAllText(bob, "keep me"));
  w().HistoryFolder = dir + "/no such folder";
  w().SaveTalkHistory(0);
  w().SaveTalkHistory(0);
  ASSERT_EQ(rec.errors.size(), 1u) << "told once while it keeps failing";
  EXPECT_NE(rec.errors[0].find("could not be saved"), std::string::npos) << rec.errors[0];
  EXPECT_TRUE(w().SaveFailed());
  SetLogSink(nullptr);
}
