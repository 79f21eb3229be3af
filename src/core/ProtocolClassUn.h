#pragma once
// The local user's identity and stored profile, and the record the user
// list keeps for every known user.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/ProtocolUn.h"

namespace kc {

// The profile texts a user may fill in besides his alias: most peers leave
// every one of them blank.
struct RUserProfile {
  std::string ICQ;
  std::string NAME;
  std::string NAME2;
  std::string EMAIL;
  std::string STREET, TOWN, HOUSE, FIELD;
  std::string WSTREET, WTOWN, WHOUSE, WFIELD, WNAME, WDEPARTMENT, WTYPEWORK, WPOST;
  std::string Interest;

  bool operator==(const RUserProfile &) const = default;
  bool Blank() const;
};

// A record's profile texts: nothing at all while every one is blank, else
// one block, so that a list of users who sent only their alias stays small.
// Copies are deep; blank texts compare equal however they are held.
class TUserProfileTexts {
public:
  TUserProfileTexts() = default;
  TUserProfileTexts(const TUserProfileTexts &Other);
  TUserProfileTexts(TUserProfileTexts &&) noexcept = default;
  TUserProfileTexts &operator=(const TUserProfileTexts &Other);
  TUserProfileTexts &operator=(TUserProfileTexts &&) noexcept = default;
  ~TUserProfileTexts() = default;

  const RUserProfile &operator*() const { return FTexts ? *FTexts : BlankProfile(); }
  const RUserProfile *operator->() const { return &**this; }
  // Whether a block is held (only while some text is not blank).
  bool Held() const { return FTexts != nullptr; }

  // Sets one text; a blank one needs no block, and the block goes once
  // every text is blank again.
  void Set(std::string RUserProfile::*Field, std::string_view Value);
  void Assign(RUserProfile Texts);

  bool operator==(const TUserProfileTexts &Other) const { return **this == *Other; }

private:
  static const RUserProfile &BlankProfile();
  std::unique_ptr<RUserProfile> FTexts;
};

// The profile texts an announcement or the stored own profile holds.
template <typename Source> RUserProfile ReadProfileTexts(const TProfileTexts<Source> &P) {
  RUserProfile t;
  t.ICQ = P.GetICQ();
  t.NAME = P.GetName();
  t.NAME2 = P.GetName2();
  t.EMAIL = P.GetEMail();
  t.STREET = P.GetStreet();
  t.TOWN = P.GetTown();
  t.HOUSE = P.GetHouse();
  t.FIELD = P.GetHomeField();
  t.WSTREET = P.GetWStreet();
  t.WTOWN = P.GetWTown();
  t.WHOUSE = P.GetWHouse();
  t.WFIELD = P.GetWField();
  t.WNAME = P.GetWName();
  t.WDEPARTMENT = P.GetWDepartment();
  t.WTYPEWORK = P.GetWTypeWork();
  t.WPOST = P.GetWPost();
  t.Interest = P.GetInterest();
  return t;
}

// One known user. Record 0 of the user list is the local user.
struct RUserID {
  std::string ALIAS;
  std::string IP;
  std::string MAC;
  std::string ID;
  TUserProfileTexts Profile;
  std::int32_t GroupTag = 0;   // Tag of the user-list group box he sits in
  std::int32_t IMAGEINDEX = 0; // picture 11..24, -1 none
  std::int32_t COLOR = 0;
  std::int32_t TextStyle = 0;   // his text style in the shared style sheet
  std::uint8_t Deactivated = 0; // switched off locally: his broadcasts are ignored
  std::uint8_t SEX = 0;         // 0 unknown, 1 man, 2 woman
  std::uint8_t OLD = 0;         // age
  std::uint8_t Active = 0;      // present on the network

  bool operator==(const RUserID &) const = default;
};

inline constexpr std::string_view kProfileSection = "MYPROFILEUSER_";

// What this copy keeps of the display fields peers send (bytes of 8-bit
// text): an ID is 38 bytes and an IP at most 15, so these only stop a peer
// that chooses how much memory each of its records and messages takes.
inline constexpr std::size_t kMaxReceivedID = 128;     // ID, FROMUSERID members, group and author IDs
inline constexpr std::size_t kMaxReceivedIP = 64;      // IP, AUTORGROUPIP, MAC
inline constexpr std::size_t kMaxReceivedAlias = 256;  // ALIAS, AUTORGROUPALIASE, GROUPNAME
inline constexpr std::size_t kMaxReceivedField = 2048; // every other profile field
// Text cut to at most Max bytes.
inline std::string CutReceived(std::string Text, std::size_t Max) {
  if (Text.size() > Max) Text.resize(Max);
  return Text;
}
// A record filled from a peer's announcement, each field cut as above.
void CutReceivedRecord(RUserID &Record);

// A new user or group ID: "{8-4-4-4-12}" in upper-case hexadecimal.
std::string NewGUIDText();

// Reader of the stored own profile.
class TMyUserData : public TProfileTexts<TMyUserData> {
public:
  explicit TMyUserData(std::string_view Key);

  std::string ReadField(std::string_view Ident) const;

  // The stored ID; a blank one is replaced by a new ID that is stored first.
  std::string GetID() const;
  std::int32_t GetImageIndex() const; // -1 when absent, blank or not a number
  std::int32_t GetColor() const;      // 0 likewise
  std::int32_t GetSex() const;
  std::int32_t GetOld() const;

private:
  friend class TProfileTexts<TMyUserData>;
  // Stored under the tag name with "_" after it.
  std::string ProfileText(std::string_view Tag) const { return ReadField(std::string(Tag) + "_"); }
  std::int32_t ReadInt(std::string_view Ident, std::int32_t Fallback) const;

  std::string FKey;
  std::string FSection{kProfileSection};
};

// Writer of the stored own profile; mirrors each value into the attached
// record when there is one. Every setter takes the text as typed.
class TSetUserData {
public:
  TSetUserData(RUserID *Record, std::string_view Key);

  void WriteField(std::string_view Ident, std::string_view Value);

  void SetAlias(std::string_view Value);
  void SetID(std::string_view Value);
  void SetImageIndex(std::string_view Value);
  void SetColor(std::string_view Value);
  void SetSex(std::string_view Value);
  void SetOld(std::string_view Value);
  void SetICQ(std::string_view Value);
  void SetName(std::string_view Value);
  void SetName2(std::string_view Value);
  void SetEMail(std::string_view Value);
  void SetInterest(std::string_view Value);
  void SetStreet(std::string_view Value);
  void SetTown(std::string_view Value);
  void SetHouse(std::string_view Value);
  void SetHomeField(std::string_view Value);
  void SetWStreet(std::string_view Value);
  void SetWTown(std::string_view Value);
  void SetWHouse(std::string_view Value);
  void SetWField(std::string_view Value);
  void SetWName(std::string_view Value);
  void SetWDepartment(std::string_view Value);
  void SetWTypeWork(std::string_view Value);
  void SetWPost(std::string_view Value);

private:
  void SetText(std::string_view Ident, std::string RUserID::*Field, std::string_view Value);
  void SetProfileText(std::string_view Ident, std::string RUserProfile::*Field, std::string_view Value);

  RUserID *FRecord;
  std::string FKey;
  std::string FSection{kProfileSection};
};

// The local user's record as the user list starts it: every profile value,
// the given IP, present and not deactivated.
RUserID LoadOwnUserRecord(std::string_view Key, std::string_view IP);

} // namespace kc
