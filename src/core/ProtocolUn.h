#pragma once
// The wire grammar: a head marker naming the message kind, then tagged
// fields. One message is the whole payload of one datagram, kept as 8-bit
// bytes (NUL and 0x80-0xFF included) and only ever searched with
// std::string operations.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kc {

enum TMessageKind : std::uint8_t {
  mkUnknown = 0,
  mkNew = 1,
  mkMessage = 2,
  mkMessageToGroup = 3,
  mkMessageToUser = 4,
  mkFileTo = 5,
  mkDisconnect = 6,
  mkUpdateInfo = 7,
  mkUpdateInfoToGroup = 8,
  mkMessageToGroupRename = 9,
  mkMessageToGroupDelete = 10,
  mkMessageToPrivateDelete = 11,
};

inline constexpr std::string_view kHeadMarker = "!^:^$";
inline constexpr std::string_view kAutoReplyFlag = "<AVTOMASHINE>";
inline constexpr std::string_view kUserIDSeparator = "<USERIDSEPARATOR>";

// "NEW!^:^$" ... "MESSAGETOPRIVATEDELETE!^:^$"; empty for kind 0 or out of range.
std::string_view MessageHead(int Kind);

// Tag names of the vocabulary (case matters).
namespace tag {
inline constexpr std::string_view ALIAS = "ALIAS", ICQ = "ICQ", NAME = "NAME", NAME2 = "NAME2", EMAIL = "EMAIL",
                                  Interest = "Interest", STREET = "STREET", TOWN = "TOWN", HOUSE = "HOUSE",
                                  FIELD = "FIELD", WSTREET = "WSTREET", WTOWN = "WTOWN", WHOUSE = "WHOUSE",
                                  WFIELD = "WFIELD", WNAME = "WNAME", WDEPARTMENT = "WDEPARTMENT",
                                  WTYPEWORK = "WTYPEWORK", WPOST = "WPOST", IP = "IP", MAC = "MAC", ID = "ID",
                                  IMAGEINDEX = "IMAGEINDEX", COLOR = "COLOR", SEX = "SEX", OLD = "OLD",
                                  MESSAGESTR = "MESSAGESTR", FROMUSERID = "FROMUSERID", GROUPID = "GROUPID",
                                  AUTORGROUPID = "AUTORGROUPID", AUTORGROUPIP = "AUTORGROUPIP",
                                  AUTORGROUPMAC = "AUTORGROUPMAC", AUTORGROUPALIASE = "AUTORGROUPALIASE",
                                  GROUPNAME = "GROUPNAME", NOMBERFILE = "NOMBERFILE", FILENAME = "FILENAME",
                                  SERVERID = "SERVERID", SERVERIP = "SERVERIP", CLIENTID = "CLIENTID",
                                  CLIENTIP = "CLIENTIP";
} // namespace tag

// The text fields of a user's profile, which his announcements and the
// stored own profile both carry under the tag names: Source gives
// ProfileText(tag) for each.
template <typename Source> class TProfileTexts {
public:
  std::string GetAlias() const { return Text(tag::ALIAS); }
  std::string GetMAC() const { return Text(tag::MAC); }
  std::string GetICQ() const { return Text(tag::ICQ); }
  std::string GetName() const { return Text(tag::NAME); }
  std::string GetName2() const { return Text(tag::NAME2); }
  std::string GetEMail() const { return Text(tag::EMAIL); }
  std::string GetInterest() const { return Text(tag::Interest); }
  std::string GetStreet() const { return Text(tag::STREET); }
  std::string GetTown() const { return Text(tag::TOWN); }
  std::string GetHouse() const { return Text(tag::HOUSE); }
  std::string GetHomeField() const { return Text(tag::FIELD); }
  std::string GetWStreet() const { return Text(tag::WSTREET); }
  std::string GetWTown() const { return Text(tag::WTOWN); }
  std::string GetWHouse() const { return Text(tag::WHOUSE); }
  std::string GetWField() const { return Text(tag::WFIELD); }
  std::string GetWName() const { return Text(tag::WNAME); }
  std::string GetWDepartment() const { return Text(tag::WDEPARTMENT); }
  std::string GetWTypeWork() const { return Text(tag::WTYPEWORK); }
  std::string GetWPost() const { return Text(tag::WPOST); }

private:
  std::string Text(std::string_view Tag) const { return static_cast<const Source &>(*this).ProfileText(Tag); }
};

// "<" + Name + ">" and "</" + Name + ">".
std::string OpenTag(std::string_view Name);
std::string CloseTag(std::string_view Name);

// Kind of a received text from the head that must start it; 0 when unknown.
TMessageKind GetMessageKind(std::string_view Text);

// The value between the first Open and the first Close after it; empty when
// either is missing or Close only comes before Open.
std::string ExtractTag(std::string_view Text, std::string_view Open, std::string_view Close);
// Value of tag Name (ExtractTag with "<Name>" and "</Name>").
std::string ExtractTagValue(std::string_view Text, std::string_view Name);
// Integer tag: signed decimal (leading blanks allowed); missing, malformed or
// out-of-range values read as 0.
std::int32_t ExtractIntTag(std::string_view Text, std::string_view Name);

// Reader of one received message (every kind except FILETO).
class TDataNewMessage : public TProfileTexts<TDataNewMessage> {
public:
  explicit TDataNewMessage(std::string Text);

  const std::string &GetText() const { return FText; }
  std::string ExtractTag(std::string_view Open, std::string_view Close) const;

  std::string GetIP() const;
  std::string GetID() const;
  std::string GetMessageStr() const;
  std::string GetFromUserID() const;
  std::string GetGroupID() const;
  std::string GetAutorGroupID() const;
  std::string GetAutorGroupIP() const;
  std::string GetAutorGroupMAC() const;
  std::string GetAutorGroupAliase() const;
  std::string GetGroupName() const;

  std::int32_t GetColor() const;
  std::int32_t GetSex() const;
  std::int32_t GetOld() const;
  // 0 also for a blank value and for -1 ("no picture").
  std::int32_t GetImageIndex() const;

  // Appends the member IDs of FROMUSERID, in text order, to List.
  void GetFromUserIDList(std::vector<std::string> &List) const;
  bool IsIDInFromUserIDs(std::string_view ID) const;
  bool HasAutoReplyFlag() const;

private:
  friend class TProfileTexts<TDataNewMessage>;
  std::string ProfileText(std::string_view Tag) const { return ExtractTagValue(FText, Tag); }

  std::string FText;
};

// Reader of a FILETO message.
class TDataFileMessage {
public:
  explicit TDataFileMessage(std::string Text);

  const std::string &GetText() const { return FText; }
  std::string ExtractTag(std::string_view Open, std::string_view Close) const;

  std::string GetNomberFile() const;
  std::string GetFileName() const;
  std::string GetServerID() const;
  std::string GetServerIP() const;
  std::string GetClientID() const;
  std::string GetClientIP() const;

private:
  std::string FText;
};

} // namespace kc
