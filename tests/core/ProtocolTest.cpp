#include "core/ProtocolUn.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace kc;
using namespace std::string_literals;

namespace {

struct KindCase {
  std::string text;
  TMessageKind kind;
};

TEST(GetMessageKind, EveryHeadAndNonHeads) {
  const KindCase cases[] = {
      {"NEW!^:^$", mkNew},
      {"MESSAGE!^:^$<ALIAS>a</ALIAS>", mkMessage},
      {"MESSAGETOGROUP!^:^$", mkMessageToGroup},
      {"MESSAGETOUSER!^:^$", mkMessageToUser},
      {"FILETO!^:^$", mkFileTo},
      {"DISCONNECT!^:^$", mkDisconnect},
      {"UPDATEINFO!^:^$", mkUpdateInfo},
      {"UPDATEINFOTOGROUP_!^:^$", mkUpdateInfoToGroup},
      {"MESSAGETOGROUPRENAME!^:^$", mkMessageToGroupRename},
      {"MESSAGETOGROUPDELETE!^:^$", mkMessageToGroupDelete},
      {"MESSAGETOPRIVATEDELETE!^:^$", mkMessageToPrivateDelete},
      // The head must start the text and match exactly.
      {" NEW!^:^$", mkUnknown},
      {"\0NEW!^:^$"s, mkUnknown},
      {"new!^:^$", mkUnknown},
      {"NEW", mkUnknown},
      {"NEW!^:^", mkUnknown},
      {"", mkUnknown},
      {"UPDATEINFOTOGROUP!^:^$", mkUnknown},
      {"XMESSAGE!^:^$", mkUnknown},
      // Only the first marker counts: a head-like text after it changes nothing.
      {"MESSAGE!^:^$NEW!^:^$", mkMessage},
      {"<ALIAS>x!^:^$</ALIAS>NEW!^:^$", mkUnknown},
      // Bytes after the head are not looked at.
      {"NEW!^:^$\0\xff\x80"s, mkNew},
  };
  for (const auto &c : cases) EXPECT_EQ(GetMessageKind(c.text), c.kind) << c.text;
}

TEST(MessageHead, RoundTripsThroughTheClassifier) {
  for (int k = 1; k <= 11; ++k) EXPECT_EQ(GetMessageKind(MessageHead(k)), k);
  EXPECT_TRUE(MessageHead(0).empty());
  EXPECT_TRUE(MessageHead(12).empty());
  EXPECT_TRUE(MessageHead(-1).empty());
}

struct TagCase {
  std::string text;
  std::string alias;
};

TEST(ExtractTag, Cases) {
  const TagCase cases[] = {
      {"NEW!^:^$<ALIAS>Bob</ALIAS>", "Bob"},
      {"NEW!^:^$<ALIAS></ALIAS>", ""},
      {"NEW!^:^$", ""},
      {"NEW!^:^$<ALIAS>Bob", ""},
      {"NEW!^:^$Bob</ALIAS>", ""},
      // A closing tag only before the opening one gives an empty value.
      {"NEW!^:^$</ALIAS>x<ALIAS>Bob", ""},
      // ... but a closing tag after the opening one still ends the value.
      {"</ALIAS>x<ALIAS>Bob</ALIAS>", "Bob"},
      // The first opening tag and the first closing tag after it.
      {"<ALIAS>a</ALIAS><ALIAS>b</ALIAS>", "a"},
      {"<ALIAS><ALIAS>a</ALIAS>", "<ALIAS>a"},
      // Names are case-sensitive.
      {"<alias>a</alias>", ""},
      // NUL and high bytes stay in the value.
      {"<ALIAS>a\0b\xff\x80\xe9</ALIAS>"s, "a\0b\xff\x80\xe9"s},
      {"\0<ALIAS>\0</ALIAS>\0"s, "\0"s},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(TDataNewMessage(c.text).GetAlias(), c.alias) << c.text;
    EXPECT_EQ(TDataNewMessage(c.text).ExtractTag("<ALIAS>", "</ALIAS>"), c.alias) << c.text;
  }
}

TEST(ExtractTag, EveryTextReaderReadsItsOwnTag) {
  using G = std::string (TDataNewMessage::*)() const;
  const std::pair<std::string_view, G> readers[] = {
      {tag::ALIAS, &TDataNewMessage::GetAlias},
      {tag::ICQ, &TDataNewMessage::GetICQ},
      {tag::NAME, &TDataNewMessage::GetName},
      {tag::NAME2, &TDataNewMessage::GetName2},
      {tag::EMAIL, &TDataNewMessage::GetEMail},
      {tag::Interest, &TDataNewMessage::GetInterest},
      {tag::STREET, &TDataNewMessage::GetStreet},
      {tag::TOWN, &TDataNewMessage::GetTown},
      {tag::HOUSE, &TDataNewMessage::GetHouse},
      {tag::FIELD, &TDataNewMessage::GetHomeField},
      {tag::WSTREET, &TDataNewMessage::GetWStreet},
      {tag::WTOWN, &TDataNewMessage::GetWTown},
      {tag::WHOUSE, &TDataNewMessage::GetWHouse},
      {tag::WFIELD, &TDataNewMessage::GetWField},
      {tag::WNAME, &TDataNewMessage::GetWName},
      {tag::WDEPARTMENT, &TDataNewMessage::GetWDepartment},
      {tag::WTYPEWORK, &TDataNewMessage::GetWTypeWork},
      {tag::WPOST, &TDataNewMessage::GetWPost},
      {tag::IP, &TDataNewMessage::GetIP},
      {tag::MAC, &TDataNewMessage::GetMAC},
      {tag::ID, &TDataNewMessage::GetID},
      {tag::MESSAGESTR, &TDataNewMessage::GetMessageStr},
      {tag::FROMUSERID, &TDataNewMessage::GetFromUserID},
      {tag::GROUPID, &TDataNewMessage::GetGroupID},
      {tag::AUTORGROUPID, &TDataNewMessage::GetAutorGroupID},
      {tag::AUTORGROUPIP, &TDataNewMessage::GetAutorGroupIP},
      {tag::AUTORGROUPMAC, &TDataNewMessage::GetAutorGroupMAC},
      {tag::AUTORGROUPALIASE, &TDataNewMessage::GetAutorGroupAliase},
      {tag::GROUPNAME, &TDataNewMessage::GetGroupName},
  };
  // One text with every tag, each holding its own name: a reader wired to
  // the wrong tag, or a tag name that is a prefix of another (NAME/NAME2,
  // GROUPID/AUTORGROUPID), shows up as a wrong value.
  std::string text = "MESSAGE!^:^$";
  for (const auto &[name, getter] : readers) text += OpenTag(name) + "v-" + std::string(name) + CloseTag(name);
  const TDataNewMessage m(text);
  for (const auto &[name, getter] : readers) EXPECT_EQ((m.*getter)(), "v-" + std::string(name));
}

TEST(DataFileMessage, ReadersReadTheirTags) {
  const TDataFileMessage m("FILETO!^:^$<NOMBERFILE>3</NOMBERFILE><FILENAME>a b.txt</FILENAME>"
                           "<SERVERID>{S}</SERVERID><SERVERIP>1.2.3.4</SERVERIP>"
                           "<CLIENTID>{C}</CLIENTID><CLIENTIP>5.6.7.8</CLIENTIP>");
  EXPECT_EQ(m.GetNomberFile(), "3");
  EXPECT_EQ(m.GetFileName(), "a b.txt");
  EXPECT_EQ(m.GetServerID(), "{S}");
  EXPECT_EQ(m.GetServerIP(), "1.2.3.4");
  EXPECT_EQ(m.GetClientID(), "{C}");
  EXPECT_EQ(m.GetClientIP(), "5.6.7.8");
  EXPECT_EQ(TDataFileMessage("FILETO!^:^$").GetFileName(), "");
}

struct IntCase {
  std::string value; // nullopt-like: "<missing>" leaves the tag out
  std::int32_t number;
  std::int32_t imageIndex;
};

TEST(IntegerReaders, ValuesMalformedAndOutOfRange) {
  const IntCase cases[] = {
      {"<missing>", 0, 0},
      {"", 0, 0},
      {"   ", 0, 0},
      {"12", 12, 12},
      {"-12", -12, -12},
      {"+7", 7, 7},
      {"  15", 15, 15},
      {"-1", -1, 0},
      {" -1 ", 0, 0}, // trailing blank: no integer for COLOR; IMAGEINDEX is trimmed first
      {"15 ", 0, 15},
      {"abc", 0, 0},
      {"12abc", 0, 0},
      {"1 2", 0, 0},
      {"-", 0, 0},
      {"0x10", 0, 0},
      {"$10", 0, 0},
      {"2147483647", INT_MAX, INT_MAX},
      {"-2147483648", INT_MIN, INT_MIN},
      {"2147483648", 0, 0},
      {"-2147483649", 0, 0},
      {"99999999999999999999999999999", 0, 0},
      {"1\0"s, 0, 1}, // Trim drops the NUL before IMAGEINDEX is read
      {"\xb9"s, 0, 0},
  };
  for (const auto &c : cases) {
    auto wrap = [&](std::string_view name) {
      if (c.value == "<missing>") return std::string("MESSAGE!^:^$");
      return "MESSAGE!^:^$" + OpenTag(name) + c.value + CloseTag(name);
    };
    EXPECT_EQ(TDataNewMessage(wrap(tag::COLOR)).GetColor(), c.number) << c.value;
    EXPECT_EQ(TDataNewMessage(wrap(tag::SEX)).GetSex(), c.number) << c.value;
    EXPECT_EQ(TDataNewMessage(wrap(tag::OLD)).GetOld(), c.number) << c.value;
    EXPECT_EQ(TDataNewMessage(wrap(tag::IMAGEINDEX)).GetImageIndex(), c.imageIndex) << c.value;
  }
}

struct MemberCase {
  std::string value;
  std::vector<std::string> ids;
};

TEST(FromUserIDList, SplitsOnTheSeparator) {
  const std::string S = "<USERIDSEPARATOR>";
  const MemberCase cases[] = {
      {S + "A" + S + "B" + S + S + "C" + S, {"A", "B", "C"}},
      {S + "A", {"A"}},
      {S + "{OWN}" + S + "{M1}" + S + S + "{M2}" + S, {"{OWN}", "{M1}", "{M2}"}},
      {"A", {"A"}},
      {"A" + S + "A", {"A", "A"}},
      {S, {}},
      {S + S, {}},
      {"", {}},
      {"A" + S + "<USERIDSEPARATO", {"A", "<USERIDSEPARATO"}},
      {"\0"s + S + "\xff", {"\0"s, "\xff"}},
  };
  for (const auto &c : cases) {
    const TDataNewMessage m("MESSAGETOGROUP!^:^$<FROMUSERID>" + c.value + "</FROMUSERID>");
    std::vector<std::string> list{"kept"};
    m.GetFromUserIDList(list);
    std::vector<std::string> want{"kept"};
    want.insert(want.end(), c.ids.begin(), c.ids.end());
    EXPECT_EQ(list, want) << c.value;
  }
  std::vector<std::string> none;
  TDataNewMessage("MESSAGETOGROUP!^:^$").GetFromUserIDList(none);
  EXPECT_TRUE(none.empty());
}

TEST(FromUserIDList, MembershipAndAutoReplyFlag) {
  const TDataNewMessage m("MESSAGETOGROUP!^:^$<FROMUSERID><USERIDSEPARATOR>{AAA}<USERIDSEPARATOR>"
                          "{BBB}<USERIDSEPARATOR></FROMUSERID><ID>{CCC}</ID>");
  EXPECT_TRUE(m.IsIDInFromUserIDs("{AAA}"));
  EXPECT_TRUE(m.IsIDInFromUserIDs("{BBB}"));
  EXPECT_TRUE(m.IsIDInFromUserIDs("BB")); // a substring test, as peers expect
  EXPECT_FALSE(m.IsIDInFromUserIDs("{CCC}"));
  EXPECT_FALSE(m.IsIDInFromUserIDs(""));
  EXPECT_FALSE(TDataNewMessage("MESSAGETOGROUP!^:^$<FROMUSERID>{AAA}").IsIDInFromUserIDs("{AAA}"));
  EXPECT_FALSE(TDataNewMessage("{AAA}</FROMUSERID>").IsIDInFromUserIDs("{AAA}"));

  EXPECT_FALSE(m.HasAutoReplyFlag());
  EXPECT_TRUE(
      TDataNewMessage("MESSAGETOUSER!^:^$<COLOR>0</COLOR><AVTOMASHINE><MESSAGESTR>x</MESSAGESTR>").HasAutoReplyFlag());
  // Also inside a body: the flag is a plain text search.
  EXPECT_TRUE(TDataNewMessage("MESSAGETOUSER!^:^$<MESSAGESTR>a<AVTOMASHINE>b</MESSAGESTR>").HasAutoReplyFlag());
}

TEST(DataNewMessage, NewAloneHasEveryFieldEmpty) {
  const TDataNewMessage m("NEW!^:^$");
  EXPECT_EQ(GetMessageKind(m.GetText()), mkNew);
  EXPECT_EQ(m.GetAlias(), "");
  EXPECT_EQ(m.GetID(), "");
  EXPECT_EQ(m.GetColor(), 0);
  EXPECT_EQ(m.GetImageIndex(), 0);
  EXPECT_EQ(m.GetSex(), 0);
  EXPECT_EQ(m.GetOld(), 0);
}

} // namespace
