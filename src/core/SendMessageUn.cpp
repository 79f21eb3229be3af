#include "core/SendMessageUn.h"

#include <algorithm>

#include <string>

namespace kc {

namespace {

// Plain-concatenation writer: every tag is written, empty or not.
class TagWriter {
public:
  explicit TagWriter(int Kind) : FText(MessageHead(Kind)) {}
  TagWriter &put(std::string_view Name, std::string_view Value) {
    FText += '<';
    FText.append(Name);
    FText += '>';
    FText.append(Value);
    FText += "</";
    FText.append(Name);
    FText += '>';
    return *this;
  }
  TagWriter &put(std::string_view Name, std::int32_t Value) { return put(Name, std::to_string(Value)); }
  TagWriter &raw(std::string_view Text) {
    FText.append(Text);
    return *this;
  }
  // ALIAS, IP, ID, MAC, IMAGEINDEX, COLOR: the sender block of the talk kinds.
  TagWriter &sender(const RUserID &Me) {
    return put(tag::ALIAS, Me.ALIAS)
        .put(tag::IP, Me.IP)
        .put(tag::ID, Me.ID)
        .put(tag::MAC, Me.MAC)
        .put(tag::IMAGEINDEX, Me.IMAGEINDEX)
        .put(tag::COLOR, Me.COLOR);
  }
  TagWriter &group(const TGroupTalkFields &Talk) {
    return put(tag::GROUPID, Talk.GroupID)
        .put(tag::AUTORGROUPID, Talk.AutorGroupID)
        .put(tag::AUTORGROUPIP, Talk.AutorGroupIP)
        .put(tag::AUTORGROUPMAC, Talk.AutorGroupMAC)
        .put(tag::AUTORGROUPALIASE, Talk.AutorGroupAliase)
        .put(tag::GROUPNAME, Talk.GroupName);
  }
  std::string take() { return std::move(FText); }

private:
  std::string FText;
};

} // namespace

// TMainMessage

TMainMessage::TMainMessage(int Kind) {
  if (Kind >= 1 && Kind <= 7) FText = MessageHead(Kind);
}

void TMainMessage::AppendTag(std::string_view Open, std::string_view Value, std::string_view Close) {
  if (Value.empty()) return;
  FText.append(Open);
  FText.append(Value);
  FText.append(Close);
}

#define KC_TEXT_ADDER(Fn, Tag)                                                                                         \
  void TMainMessage::Fn(std::string_view Value) { AppendTag("<" #Tag ">", Value, "</" #Tag ">"); }
#define KC_INT_ADDER(Fn, Tag)                                                                                          \
  void TMainMessage::Fn(std::int32_t Value) { AppendTag("<" #Tag ">", std::to_string(Value), "</" #Tag ">"); }

KC_TEXT_ADDER(AddAlias, ALIAS)
KC_INT_ADDER(AddImageIndex, IMAGEINDEX)
KC_TEXT_ADDER(AddIP, IP)
KC_TEXT_ADDER(AddMAC, MAC)
KC_TEXT_ADDER(AddID, ID)
KC_TEXT_ADDER(AddICQ, ICQ)
KC_INT_ADDER(AddColor, COLOR)
KC_TEXT_ADDER(AddName, NAME)
KC_TEXT_ADDER(AddName2, NAME2)
KC_TEXT_ADDER(AddEMail, EMAIL)
KC_TEXT_ADDER(AddStreet, STREET)
KC_TEXT_ADDER(AddTown, TOWN)
KC_TEXT_ADDER(AddHouse, HOUSE)
KC_TEXT_ADDER(AddField, FIELD)
KC_TEXT_ADDER(AddWStreet, WSTREET)
KC_TEXT_ADDER(AddWTown, WTOWN)
KC_TEXT_ADDER(AddWHouse, WHOUSE)
KC_TEXT_ADDER(AddWField, WFIELD)
KC_TEXT_ADDER(AddWName, WNAME)
KC_TEXT_ADDER(AddWDepartment, WDEPARTMENT)
KC_TEXT_ADDER(AddWTypeWork, WTYPEWORK)
KC_TEXT_ADDER(AddWPost, WPOST)
KC_INT_ADDER(AddSex, SEX)
KC_INT_ADDER(AddOld, OLD)
KC_TEXT_ADDER(AddInterest, Interest)

#undef KC_TEXT_ADDER
#undef KC_INT_ADDER

// Builders

std::string BuildMemberList(std::string_view OwnID, std::span<const std::int32_t> ButtonTags, std::int32_t UserCount,
                            const std::function<std::string(std::int32_t)> &IDOfUser) {
  std::string list(kUserIDSeparator);
  list.append(OwnID);
  for (const std::int32_t t : ButtonTags) {
    // A negative Tag is no user either; asking the user list for it would
    // read outside its records.
    if (t < 0 || t > UserCount - 1) continue;
    list.append(kUserIDSeparator);
    list.append(IDOfUser(t));
    list.append(kUserIDSeparator);
  }
  return list;
}

std::string AnnounceMyselfText(const RUserID &Me, bool IsNew) {
  TMainMessage m(IsNew ? mkNew : mkUpdateInfo);
  m.AddAlias(Me.ALIAS);
  m.AddImageIndex(Me.IMAGEINDEX);
  m.AddIP(Me.IP);
  m.AddMAC(Me.MAC);
  m.AddID(Me.ID);
  m.AddICQ(Me.Profile->ICQ);
  m.AddColor(Me.COLOR);
  m.AddName(Me.Profile->NAME);
  m.AddName2(Me.Profile->NAME2);
  m.AddEMail(Me.Profile->EMAIL);
  m.AddStreet(Me.Profile->STREET);
  m.AddTown(Me.Profile->TOWN);
  m.AddHouse(Me.Profile->HOUSE);
  m.AddField(Me.Profile->FIELD);
  m.AddWStreet(Me.Profile->WSTREET);
  m.AddWTown(Me.Profile->WTOWN);
  m.AddWHouse(Me.Profile->WHOUSE);
  m.AddWField(Me.Profile->WFIELD);
  m.AddWName(Me.Profile->WNAME);
  m.AddWDepartment(Me.Profile->WDEPARTMENT);
  m.AddWTypeWork(Me.Profile->WTYPEWORK);
  m.AddWPost(Me.Profile->WPOST);
  m.AddSex(Me.SEX);
  m.AddOld(Me.OLD);
  m.AddInterest(Me.Profile->Interest);
  return m.GetText();
}

std::string AnnounceMyselfTextWithin(const RUserID &Me, bool IsNew, std::size_t Limit,
                                     std::vector<std::string> *Shortened) {
  if (Shortened) Shortened->clear();
  std::string text = AnnounceMyselfText(Me, IsNew);
  if (text.size() <= Limit) return text;
  // The fields a peer can do without; the picture, colour, sex and age are
  // short numbers.
  // Each a profile text, or the MAC (no text).
  static const std::pair<std::string_view, std::string RUserProfile::*> optional[] = {
      {tag::MAC, nullptr},
      {tag::ICQ, &RUserProfile::ICQ},
      {tag::NAME, &RUserProfile::NAME},
      {tag::NAME2, &RUserProfile::NAME2},
      {tag::EMAIL, &RUserProfile::EMAIL},
      {tag::STREET, &RUserProfile::STREET},
      {tag::TOWN, &RUserProfile::TOWN},
      {tag::HOUSE, &RUserProfile::HOUSE},
      {tag::FIELD, &RUserProfile::FIELD},
      {tag::WSTREET, &RUserProfile::WSTREET},
      {tag::WTOWN, &RUserProfile::WTOWN},
      {tag::WHOUSE, &RUserProfile::WHOUSE},
      {tag::WFIELD, &RUserProfile::WFIELD},
      {tag::WNAME, &RUserProfile::WNAME},
      {tag::WDEPARTMENT, &RUserProfile::WDEPARTMENT},
      {tag::WTYPEWORK, &RUserProfile::WTYPEWORK},
      {tag::WPOST, &RUserProfile::WPOST},
      {tag::Interest, &RUserProfile::Interest},
  };
  auto sizeOf = [&](const auto &f) { return (f.second ? (*Me.Profile).*f.second : Me.MAC).size(); };
  auto cutTo = [&](std::size_t Cap) {
    RUserID r = Me;
    RUserProfile texts = *Me.Profile;
    for (const auto &f : optional)
      if (std::string &t = f.second ? texts.*f.second : r.MAC; t.size() > Cap) t.resize(Cap);
    r.Profile.Assign(std::move(texts));
    return AnnounceMyselfText(r, IsNew);
  };
  if (cutTo(0).size() > Limit) return {};
  // The longest common length that fits: the text only shrinks with it.
  std::size_t fits = 0, tooLong = 0;
  for (const auto &f : optional) tooLong = std::max(tooLong, sizeOf(f));
  while (tooLong - fits > 1) {
    const std::size_t mid = fits + (tooLong - fits) / 2;
    (cutTo(mid).size() <= Limit ? fits : tooLong) = mid;
  }
  if (Shortened)
    for (const auto &f : optional)
      if (sizeOf(f) > fits) Shortened->emplace_back(f.first);
  return cutTo(fits);
}

std::string AnnounceDisconnectText(const RUserID &Me) {
  TMainMessage m(mkDisconnect);
  m.AddAlias(Me.ALIAS);
  m.AddIP(Me.IP);
  m.AddMAC(Me.MAC);
  m.AddID(Me.ID);
  m.AddColor(Me.COLOR);
  m.AddImageIndex(Me.IMAGEINDEX);
  return m.GetText();
}

std::string BuildMessageToAllText(const RUserID &Me, std::string_view Body) {
  return TagWriter(mkMessage).sender(Me).put(tag::MESSAGESTR, Body).take();
}

std::string BuildMessageToGroupText(const RUserID &Me, const TGroupTalkFields &Talk, std::string_view MemberList,
                                    std::string_view Body) {
  return TagWriter(mkMessageToGroup)
      .put(tag::FROMUSERID, MemberList)
      .group(Talk)
      .sender(Me)
      .put(tag::MESSAGESTR, Body)
      .take();
}

std::string BuildMessageToUserText(const RUserID &Me, std::string_view PartnerID, bool IsAutoReply,
                                   std::string_view Body) {
  TagWriter w(mkMessageToUser);
  w.put(tag::FROMUSERID, PartnerID).sender(Me);
  if (IsAutoReply) w.raw(kAutoReplyFlag);
  return w.put(tag::MESSAGESTR, Body).take();
}

std::string SendGroupMembersText(const RUserID &Me, const TGroupTalkFields &Talk, std::string_view MemberList) {
  return TagWriter(mkUpdateInfoToGroup).put(tag::FROMUSERID, MemberList).group(Talk).sender(Me).take();
}

namespace {

std::string groupBoxText(int Kind, const RUserID &Me, std::string_view GroupID, std::string_view Caption) {
  return TagWriter(Kind)
      .put(tag::GROUPID, GroupID)
      .put(tag::AUTORGROUPID, Me.ID)
      .put(tag::AUTORGROUPIP, Me.IP)
      .put(tag::AUTORGROUPALIASE, Me.ALIAS)
      .put(tag::GROUPNAME, Caption)
      .take();
}

} // namespace

std::string SendGroupRenameText(const RUserID &Me, std::string_view GroupID, std::string_view Caption) {
  return groupBoxText(mkMessageToGroupRename, Me, GroupID, Caption);
}

std::string SendGroupDeleteText(const RUserID &Me, std::string_view GroupID, std::string_view Caption) {
  return groupBoxText(mkMessageToGroupDelete, Me, GroupID, Caption);
}

std::string SendGroupTalkClosedText(const TGroupTalkFields &Talk) {
  return TagWriter(mkMessageToGroupDelete).group(Talk).take();
}

std::string SendPrivateTalkClosedText(const RUserID &Me, std::string_view PartnerID) {
  return TagWriter(mkMessageToPrivateDelete).put(tag::FROMUSERID, PartnerID).sender(Me).take();
}

std::string FileToText(std::string_view NomberFile, std::string_view FileName, std::string_view ServerID,
                       std::string_view ServerIP, std::string_view ClientID, std::string_view ClientIP) {
  return TagWriter(mkFileTo)
      .put(tag::NOMBERFILE, NomberFile)
      .put(tag::FILENAME, FileName)
      .put(tag::SERVERID, ServerID)
      .put(tag::SERVERIP, ServerIP)
      .put(tag::CLIENTID, ClientID)
      .put(tag::CLIENTIP, ClientIP)
      .take();
}

} // namespace kc
