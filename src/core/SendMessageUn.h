#pragma once
// Every outgoing datagram text. Presence announcements go through
// TMainMessage, which leaves out empty tags; every other kind is plain
// concatenation that always writes every tag, so an empty value travels as
// an opening tag directly followed by its closing tag. Both styles are part
// of the wire format.
#include "core/ProtocolClassUn.h"
#include "core/ProtocolUn.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kc {

class TMainMessage {
public:
  // Starts with the head of kinds 1 to 7; empty for any other kind.
  explicit TMainMessage(int Kind);

  // Open + Value + Close, only when Value is not empty.
  void AppendTag(std::string_view Open, std::string_view Value, std::string_view Close);

  void AddAlias(std::string_view Value);
  void AddImageIndex(std::int32_t Value);
  void AddIP(std::string_view Value);
  void AddMAC(std::string_view Value);
  void AddID(std::string_view Value);
  void AddICQ(std::string_view Value);
  void AddColor(std::int32_t Value);
  void AddName(std::string_view Value);
  void AddName2(std::string_view Value);
  void AddEMail(std::string_view Value);
  void AddStreet(std::string_view Value);
  void AddTown(std::string_view Value);
  void AddHouse(std::string_view Value);
  void AddField(std::string_view Value);
  void AddWStreet(std::string_view Value);
  void AddWTown(std::string_view Value);
  void AddWHouse(std::string_view Value);
  void AddWField(std::string_view Value);
  void AddWName(std::string_view Value);
  void AddWDepartment(std::string_view Value);
  void AddWTypeWork(std::string_view Value);
  void AddWPost(std::string_view Value);
  void AddSex(std::int32_t Value);
  void AddOld(std::int32_t Value);
  void AddInterest(std::string_view Value);

  const std::string &GetText() const { return FText; }

private:
  std::string FText;
};

// Identity of a group talk as its talk frame holds it.
struct TGroupTalkFields {
  std::string GroupID;
  std::string AutorGroupID;
  std::string AutorGroupIP;
  std::string AutorGroupMAC;
  std::string AutorGroupAliase;
  std::string GroupName;
};

// FROMUSERID of the group kinds: separator + own ID, then for each member
// button in toolbar order separator + member ID + separator. A button whose
// Tag is no index of the user list (0..UserCount-1) is skipped.
std::string BuildMemberList(std::string_view OwnID, std::span<const std::int32_t> ButtonTags, std::int32_t UserCount,
                            const std::function<std::string(std::int32_t)> &IDOfUser);

// Texts of every kind; Me is the local user's record (record 0 of the user
// list). None of them raises except for memory exhaustion.
std::string AnnounceMyselfText(const RUserID &Me, bool IsNew); // NEW / UPDATEINFO
// The same announcement kept within Limit bytes: while it is longer, the
// longest optional text fields are cut to one common length, as long as
// possible; ID, IP and ALIAS always go whole. Shortened (when given) gets the
// tag names of the fields cut. Empty when even without the optional fields
// the text is too long.
std::string AnnounceMyselfTextWithin(const RUserID &Me, bool IsNew, std::size_t Limit,
                                     std::vector<std::string> *Shortened = nullptr);
std::string AnnounceDisconnectText(const RUserID &Me);                       // DISCONNECT
std::string BuildMessageToAllText(const RUserID &Me, std::string_view Body); // MESSAGE
std::string BuildMessageToGroupText(const RUserID &Me, const TGroupTalkFields &Talk, std::string_view MemberList,
                                    std::string_view Body);
std::string BuildMessageToUserText(const RUserID &Me, std::string_view PartnerID, bool IsAutoReply,
                                   std::string_view Body);
std::string SendGroupMembersText(const RUserID &Me, const TGroupTalkFields &Talk,
                                 std::string_view MemberList); // UPDATEINFOTOGROUP_
// RENAME and DELETE of a user-list group box: its GroupID (kept in the
// box's Hint) and caption, with the own ID, IP and alias as author.
std::string SendGroupRenameText(const RUserID &Me, std::string_view GroupID, std::string_view Caption);
std::string SendGroupDeleteText(const RUserID &Me, std::string_view GroupID, std::string_view Caption);
// MESSAGETOGROUPDELETE of an own group talk being closed: all from its frame.
std::string SendGroupTalkClosedText(const TGroupTalkFields &Talk);
std::string SendPrivateTalkClosedText(const RUserID &Me, std::string_view PartnerID);
std::string FileToText(std::string_view NomberFile, std::string_view FileName, std::string_view ServerID,
                       std::string_view ServerIP, std::string_view ClientID, std::string_view ClientIP);

} // namespace kc
