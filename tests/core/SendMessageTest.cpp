#include "core/ProtocolUn.h"
#include "core/SendMessageUn.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kc;
using namespace std::string_literals;

namespace {

RUserID fullUser() {
  RUserID u;
  u.ALIAS = "Bob";
  u.IMAGEINDEX = 12;
  u.IP = "198.18.0.2";
  u.MAC = "";
  u.ID = "{11111111-2222-3333-4444-555555555555}";
  u.COLOR = 255;
  u.SEX = 1;
  u.OLD = 200; // an unsigned byte on the wire
  RUserProfile p;
  p.ICQ = "12345";
  p.NAME = "Robert";
  p.NAME2 = "Smith";
  p.EMAIL = "bob@example.org";
  p.STREET = "Main St";
  p.TOWN = "Town";
  p.HOUSE = "7";
  p.FIELD = "Field";
  p.WSTREET = "Work St";
  p.WTOWN = "WTown";
  p.WHOUSE = "9";
  p.WFIELD = "WField";
  p.WNAME = "Acme";
  p.WDEPARTMENT = "R&D";
  p.WTYPEWORK = "Dev";
  p.WPOST = "Lead";
  p.Interest = "Chess";
  u.Profile.Assign(p);
  return u;
}

RUserID bareUser() {
  RUserID u;
  u.IMAGEINDEX = -1;
  u.IP = "198.18.0.3";
  u.ID = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
  u.COLOR = 0;
  return u;
}

TGroupTalkFields talk() {
  return {"{GGGGGGGG-0000-0000-0000-000000000001}",
          "{11111111-2222-3333-4444-555555555555}",
          "198.18.0.2",
          "",
          "Bob",
          "Team"};
}

TEST(Announce, NewAndUpdateInfoOfAFullProfile) {
  const std::string tags = "<ALIAS>Bob</ALIAS><IMAGEINDEX>12</IMAGEINDEX><IP>198.18.0.2</IP>"
                           "<ID>{11111111-2222-3333-4444-555555555555}</ID><ICQ>12345</ICQ><COLOR>255</COLOR>"
                           "<NAME>Robert</NAME><NAME2>Smith</NAME2><EMAIL>bob@example.org</EMAIL>"
                           "<STREET>Main St</STREET><TOWN>Town</TOWN><HOUSE>7</HOUSE><FIELD>Field</FIELD>"
                           "<WSTREET>Work St</WSTREET><WTOWN>WTown</WTOWN><WHOUSE>9</WHOUSE><WFIELD>WField</WFIELD>"
                           "<WNAME>Acme</WNAME><WDEPARTMENT>R&D</WDEPARTMENT><WTYPEWORK>Dev</WTYPEWORK>"
                           "<WPOST>Lead</WPOST><SEX>1</SEX><OLD>200</OLD><Interest>Chess</Interest>";
  EXPECT_EQ(AnnounceMyselfText(fullUser(), true), "NEW!^:^$" + tags);
  EXPECT_EQ(AnnounceMyselfText(fullUser(), false), "UPDATEINFO!^:^$" + tags);
}

TEST(Announce, EmptyFieldsAreLeftOutButNumbersAlwaysTravel) {
  EXPECT_EQ(AnnounceMyselfText(bareUser(), true),
            "NEW!^:^$<IMAGEINDEX>-1</IMAGEINDEX><IP>198.18.0.3</IP>"
            "<ID>{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}</ID><COLOR>0</COLOR><SEX>0</SEX><OLD>0</OLD>");
  EXPECT_EQ(AnnounceDisconnectText(bareUser()),
            "DISCONNECT!^:^$<IP>198.18.0.3</IP><ID>{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}</ID>"
            "<COLOR>0</COLOR><IMAGEINDEX>-1</IMAGEINDEX>");
  RUserID u = fullUser();
  u.MAC = "00-11";
  EXPECT_EQ(AnnounceDisconnectText(u),
            "DISCONNECT!^:^$<ALIAS>Bob</ALIAS><IP>198.18.0.2</IP><MAC>00-11</MAC>"
            "<ID>{11111111-2222-3333-4444-555555555555}</ID><COLOR>255</COLOR><IMAGEINDEX>12</IMAGEINDEX>");
}

TEST(Announce, KeptWithinTheLimitByCuttingOnlyTheLongestOptionalFields) {
  const struct {
    const char *name;
    std::size_t alias, email, interest, town;
    std::vector<std::string> shortened;
  } cases[] = {
      {"fits already", 10, 100, 100, 5, {}},
      {"one long field", 10, 100, 20000, 5, {"Interest"}},
      {"two long fields share", 10, 5000, 20000, 5, {"EMAIL", "Interest"}},
      {"a long alias stays whole", 7000, 3000, 3000, 5, {"EMAIL", "Interest"}},
  };
  for (const auto &c : cases) {
    RUserID me = bareUser();
    me.ALIAS.assign(c.alias, 'a');
    me.Profile.Set(&RUserProfile::EMAIL, std::string(c.email, 'e'));
    me.Profile.Set(&RUserProfile::Interest, std::string(c.interest, 'i'));
    me.Profile.Set(&RUserProfile::TOWN, std::string(c.town, 't'));
    std::vector<std::string> shortened{"stale"};
    const std::string text = AnnounceMyselfTextWithin(me, false, 8192, &shortened);
    EXPECT_EQ(shortened, c.shortened) << c.name;
    EXPECT_LE(text.size(), 8192u) << c.name;
    EXPECT_GT(text.size(), c.shortened.empty() ? 0u : 8100u) << c.name << ": as much as fits";
    const TDataNewMessage m(text);
    EXPECT_EQ(m.GetAlias(), me.ALIAS) << c.name;
    EXPECT_EQ(m.GetID(), me.ID) << c.name;
    EXPECT_EQ(m.GetIP(), me.IP) << c.name;
    EXPECT_EQ(m.GetTown(), me.Profile->TOWN) << c.name << ": short fields stay whole";
    if (c.shortened.empty()) {
      EXPECT_EQ(text, AnnounceMyselfText(me, false)) << c.name;
    }
  }
  RUserID huge = bareUser();
  huge.ALIAS.assign(9000, 'a');
  EXPECT_EQ(AnnounceMyselfTextWithin(huge, true, 8192), "") << "nothing to cut";
}

TEST(MainMessage, HeadOnlyForKindsOneToSeven) {
  for (int k = 1; k <= 7; ++k) EXPECT_EQ(TMainMessage(k).GetText(), MessageHead(k));
  for (int k : {0, 8, 9, 11, 200}) EXPECT_EQ(TMainMessage(k).GetText(), "");
  TMainMessage m(mkNew);
  m.AppendTag("<X>", "", "</X>");
  m.AppendTag("<Y>", "v", "</Y>");
  EXPECT_EQ(m.GetText(), "NEW!^:^$<Y>v</Y>");
}

TEST(TalkBuilders, MessageToAll) {
  EXPECT_EQ(BuildMessageToAllText(fullUser(), "Hi\n\rthere"),
            "MESSAGE!^:^$<ALIAS>Bob</ALIAS><IP>198.18.0.2</IP>"
            "<ID>{11111111-2222-3333-4444-555555555555}</ID><MAC></MAC><IMAGEINDEX>12</IMAGEINDEX>"
            "<COLOR>255</COLOR><MESSAGESTR>Hi\n\rthere</MESSAGESTR>");
  // An empty alias still travels as a pair of tags.
  EXPECT_EQ(BuildMessageToAllText(bareUser(), ""),
            "MESSAGE!^:^$<ALIAS></ALIAS><IP>198.18.0.3</IP>"
            "<ID>{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}</ID><MAC></MAC><IMAGEINDEX>-1</IMAGEINDEX>"
            "<COLOR>0</COLOR><MESSAGESTR></MESSAGESTR>");
}

TEST(TalkBuilders, MessageToUserPlainAndAutoReply) {
  const std::string partner = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
  const std::string head = "MESSAGETOUSER!^:^$<FROMUSERID>" + partner +
                           "</FROMUSERID><ALIAS>Bob</ALIAS><IP>198.18.0.2</IP>"
                           "<ID>{11111111-2222-3333-4444-555555555555}</ID><MAC></MAC>"
                           "<IMAGEINDEX>12</IMAGEINDEX><COLOR>255</COLOR>";
  EXPECT_EQ(BuildMessageToUserText(fullUser(), partner, false, "x"), head + "<MESSAGESTR>x</MESSAGESTR>");
  EXPECT_EQ(BuildMessageToUserText(fullUser(), partner, true, "x"), head + "<AVTOMASHINE><MESSAGESTR>x</MESSAGESTR>");
}

TEST(TalkBuilders, GroupKinds) {
  const std::string list = "<USERIDSEPARATOR>{OWN}<USERIDSEPARATOR>{M1}<USERIDSEPARATOR>";
  const std::string group = "<GROUPID>{GGGGGGGG-0000-0000-0000-000000000001}</GROUPID>"
                            "<AUTORGROUPID>{11111111-2222-3333-4444-555555555555}</AUTORGROUPID>"
                            "<AUTORGROUPIP>198.18.0.2</AUTORGROUPIP><AUTORGROUPMAC></AUTORGROUPMAC>"
                            "<AUTORGROUPALIASE>Bob</AUTORGROUPALIASE><GROUPNAME>Team</GROUPNAME>";
  const std::string sender = "<ALIAS>Bob</ALIAS><IP>198.18.0.2</IP>"
                             "<ID>{11111111-2222-3333-4444-555555555555}</ID><MAC></MAC>"
                             "<IMAGEINDEX>12</IMAGEINDEX><COLOR>255</COLOR>";
  EXPECT_EQ(BuildMessageToGroupText(fullUser(), talk(), list, "body"), "MESSAGETOGROUP!^:^$<FROMUSERID>" + list +
                                                                           "</FROMUSERID>" + group + sender +
                                                                           "<MESSAGESTR>body</MESSAGESTR>");
  EXPECT_EQ(SendGroupMembersText(fullUser(), talk(), list),
            "UPDATEINFOTOGROUP_!^:^$<FROMUSERID>" + list + "</FROMUSERID>" + group + sender);
  EXPECT_EQ(SendGroupTalkClosedText(talk()), "MESSAGETOGROUPDELETE!^:^$" + group);
}

TEST(TalkBuilders, GroupBoxRenameAndDeleteCarryNoMac) {
  const std::string tags = "<GROUPID>{G}</GROUPID><AUTORGROUPID>{11111111-2222-3333-4444-555555555555}"
                           "</AUTORGROUPID><AUTORGROUPIP>198.18.0.2</AUTORGROUPIP>"
                           "<AUTORGROUPALIASE>Bob</AUTORGROUPALIASE><GROUPNAME>New name</GROUPNAME>";
  EXPECT_EQ(SendGroupRenameText(fullUser(), "{G}", "New name"), "MESSAGETOGROUPRENAME!^:^$" + tags);
  EXPECT_EQ(SendGroupDeleteText(fullUser(), "{G}", "New name"), "MESSAGETOGROUPDELETE!^:^$" + tags);
}

TEST(TalkBuilders, PrivateTalkClosedAndFileTo) {
  EXPECT_EQ(SendPrivateTalkClosedText(bareUser(), "{P}"),
            "MESSAGETOPRIVATEDELETE!^:^$<FROMUSERID>{P}</FROMUSERID><ALIAS></ALIAS>"
            "<IP>198.18.0.3</IP><ID>{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}</ID><MAC></MAC>"
            "<IMAGEINDEX>-1</IMAGEINDEX><COLOR>0</COLOR>");
  EXPECT_EQ(FileToText("2", "a.txt", "{S}", "1.1.1.1", "{C}", "2.2.2.2"),
            "FILETO!^:^$<NOMBERFILE>2</NOMBERFILE><FILENAME>a.txt</FILENAME><SERVERID>{S}</SERVERID>"
            "<SERVERIP>1.1.1.1</SERVERIP><CLIENTID>{C}</CLIENTID><CLIENTIP>2.2.2.2</CLIENTIP>");
}

TEST(MemberList, SkipsTagsOutsideTheUserList) {
  const std::vector<std::string> ids = {"{OWN}", "{U1}", "{U2}"};
  auto idOf = [&](std::int32_t i) { return ids.at(static_cast<size_t>(i)); };
  const std::int32_t tags[] = {2, -1, 3, 1, 2, 100, INT32_MIN};
  EXPECT_EQ(BuildMemberList("{OWN}", tags, 3, idOf), "<USERIDSEPARATOR>{OWN}"
                                                     "<USERIDSEPARATOR>{U2}<USERIDSEPARATOR>"
                                                     "<USERIDSEPARATOR>{U1}<USERIDSEPARATOR>"
                                                     "<USERIDSEPARATOR>{U2}<USERIDSEPARATOR>");
  // Without member buttons: no trailing separator.
  EXPECT_EQ(BuildMemberList("{OWN}", {}, 3, idOf), "<USERIDSEPARATOR>{OWN}");
}

// What one copy builds the other reads back, byte for byte, also with NUL
// and high bytes in the values.
TEST(RoundTrip, BuiltTextsReadBack) {
  RUserID u = fullUser();
  u.ALIAS = "B\xf6\0b"s;
  u.IMAGEINDEX = -1;
  u.COLOR = -16777201;
  const std::string body = "\xe9t\xe9\0\n\r{[!BULLET!]}3"s;

  const TDataNewMessage announce(AnnounceMyselfText(u, true));
  EXPECT_EQ(GetMessageKind(announce.GetText()), mkNew);
  EXPECT_EQ(announce.GetAlias(), u.ALIAS);
  EXPECT_EQ(announce.GetImageIndex(), 0);
  EXPECT_EQ(announce.GetColor(), u.COLOR);
  EXPECT_EQ(announce.GetOld(), 200);
  EXPECT_EQ(announce.GetSex(), 1);
  EXPECT_EQ(announce.GetWDepartment(), "R&D");
  EXPECT_EQ(announce.GetInterest(), "Chess");

  const TDataNewMessage msg(BuildMessageToGroupText(
      u, talk(), BuildMemberList(u.ID, std::vector<std::int32_t>{1}, 2, [](std::int32_t) { return "{M}"s; }), body));
  EXPECT_EQ(GetMessageKind(msg.GetText()), mkMessageToGroup);
  EXPECT_EQ(msg.GetMessageStr(), body);
  EXPECT_EQ(msg.GetGroupID(), talk().GroupID);
  EXPECT_EQ(msg.GetAutorGroupID(), talk().AutorGroupID);
  std::vector<std::string> members;
  msg.GetFromUserIDList(members);
  EXPECT_EQ(members, (std::vector<std::string>{u.ID, "{M}"}));
  EXPECT_FALSE(msg.HasAutoReplyFlag());

  const TDataNewMessage reply(BuildMessageToUserText(u, "{P}", true, body));
  EXPECT_EQ(GetMessageKind(reply.GetText()), mkMessageToUser);
  EXPECT_EQ(reply.GetFromUserID(), "{P}");
  EXPECT_TRUE(reply.HasAutoReplyFlag());
  EXPECT_EQ(reply.GetMessageStr(), body);
}

} // namespace
