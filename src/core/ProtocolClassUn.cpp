#include "core/ProtocolClassUn.h"

#include "core/ConstUnit.h"
#include "platform/Guid.h"
#include "platform/ProgramKey.h"

#include <cstdint>
#include <exception>
#include <initializer_list>

namespace kc {

std::string NewGUIDText() { return newGuidString(); }

// RUserProfile, TUserProfileTexts

bool RUserProfile::Blank() const { return *this == RUserProfile{}; }

const RUserProfile &TUserProfileTexts::BlankProfile() {
  static const RUserProfile blank;
  return blank;
}

TUserProfileTexts::TUserProfileTexts(const TUserProfileTexts &Other)
    : FTexts(Other.FTexts ? std::make_unique<RUserProfile>(*Other.FTexts) : nullptr) {}

TUserProfileTexts &TUserProfileTexts::operator=(const TUserProfileTexts &Other) {
  if (this != &Other) FTexts = Other.FTexts ? std::make_unique<RUserProfile>(*Other.FTexts) : nullptr;
  return *this;
}

void TUserProfileTexts::Set(std::string RUserProfile::*Field, std::string_view Value) {
  if (!FTexts) {
    if (Value.empty()) return;
    FTexts = std::make_unique<RUserProfile>();
  }
  ((*FTexts).*Field).assign(Value);
  if (Value.empty() && FTexts->Blank()) FTexts.reset();
}

void TUserProfileTexts::Assign(RUserProfile Texts) {
  if (Texts.Blank()) FTexts.reset();
  else if (FTexts) *FTexts = std::move(Texts);
  else FTexts = std::make_unique<RUserProfile>(std::move(Texts));
}

// TMyUserData

TMyUserData::TMyUserData(std::string_view Key) : FKey(Key) {}

std::string TMyUserData::ReadField(std::string_view Ident) const {
  RegistryIni ini(FKey);
  return ini.readString(FSection, Ident, "");
}

std::int32_t TMyUserData::ReadInt(std::string_view Ident, std::int32_t Fallback) const {
  std::int32_t v = Fallback;
  const std::string text = ReadField(Ident);
  const std::string_view trimmed = TrimText(text);
  if (trimmed.empty() || !TryStrToInt(trimmed, v)) return Fallback;
  return v;
}

std::string TMyUserData::GetID() const {
  std::string id = ReadField("ID_");
  if (!TrimText(id).empty()) return id;
  id = NewGUIDText();
  TSetUserData(nullptr, FKey).SetID(id);
  return id;
}

std::int32_t TMyUserData::GetImageIndex() const { return ReadInt("IMAGEINDEX_", -1); }
std::int32_t TMyUserData::GetColor() const { return ReadInt("COLOR_", 0); }
std::int32_t TMyUserData::GetSex() const { return ReadInt("SEX_", 0); }
std::int32_t TMyUserData::GetOld() const { return ReadInt("OLD_", 0); }

// TSetUserData

TSetUserData::TSetUserData(RUserID *Record, std::string_view Key) : FRecord(Record), FKey(Key) {}

void TSetUserData::WriteField(std::string_view Ident, std::string_view Value) {
  RegistryIni ini(FKey);
  ini.writeString(FSection, Ident, Value);
}

void TSetUserData::SetText(std::string_view Ident, std::string RUserID::*Field, std::string_view Value) {
  WriteField(Ident, Value);
  if (FRecord) (FRecord->*Field).assign(Value);
}

void TSetUserData::SetProfileText(std::string_view Ident, std::string RUserProfile::*Field, std::string_view Value) {
  WriteField(Ident, Value);
  if (FRecord) FRecord->Profile.Set(Field, Value);
}

void TSetUserData::SetImageIndex(std::string_view Value) {
  WriteField("IMAGEINDEX_", Value);
  std::int32_t v;
  if (FRecord && TryStrToInt(Value, v)) FRecord->IMAGEINDEX = v;
}

void TSetUserData::SetColor(std::string_view Value) {
  WriteField("COLOR_", Value);
  std::int32_t v;
  if (FRecord && TryStrToInt(Value, v)) FRecord->COLOR = v;
}

void TSetUserData::SetSex(std::string_view Value) {
  WriteField("SEX_", Value);
  std::int32_t v;
  if (FRecord && TryStrToInt(Value, v)) FRecord->SEX = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) & 0xFF);
}

void TSetUserData::SetOld(std::string_view Value) {
  WriteField("OLD_", Value);
  std::int32_t v;
  if (FRecord && TryStrToInt(Value, v)) {
    // The magnitude is taken in 64 bits: the smallest integer has no 32-bit
    // absolute value.
    const std::int64_t magnitude = v < 0 ? -static_cast<std::int64_t>(v) : v;
    FRecord->OLD = static_cast<std::uint8_t>(magnitude & 0xFF);
  }
}

#define KC_PROFILE_SETTER(Fn, Ident, Field)                                                                            \
  void TSetUserData::Fn(std::string_view Value) { SetText(Ident, &RUserID::Field, Value); }

KC_PROFILE_SETTER(SetAlias, "ALIAS_", ALIAS)
KC_PROFILE_SETTER(SetID, "ID_", ID)

#define KC_PROFILE_TEXT_SETTER(Fn, Ident, Field)                                                                       \
  void TSetUserData::Fn(std::string_view Value) { SetProfileText(Ident, &RUserProfile::Field, Value); }

KC_PROFILE_TEXT_SETTER(SetICQ, "ICQ_", ICQ)
KC_PROFILE_TEXT_SETTER(SetName, "NAME_", NAME)
KC_PROFILE_TEXT_SETTER(SetName2, "NAME2_", NAME2)
KC_PROFILE_TEXT_SETTER(SetEMail, "EMAIL_", EMAIL)
KC_PROFILE_TEXT_SETTER(SetInterest, "Interest_", Interest)
KC_PROFILE_TEXT_SETTER(SetStreet, "STREET_", STREET)
KC_PROFILE_TEXT_SETTER(SetTown, "TOWN_", TOWN)
KC_PROFILE_TEXT_SETTER(SetHouse, "HOUSE_", HOUSE)
KC_PROFILE_TEXT_SETTER(SetHomeField, "FIELD_", FIELD)
KC_PROFILE_TEXT_SETTER(SetWStreet, "WSTREET_", WSTREET)
KC_PROFILE_TEXT_SETTER(SetWTown, "WTOWN_", WTOWN)
KC_PROFILE_TEXT_SETTER(SetWHouse, "WHOUSE_", WHOUSE)
KC_PROFILE_TEXT_SETTER(SetWField, "WFIELD_", WFIELD)
KC_PROFILE_TEXT_SETTER(SetWName, "WNAME_", WNAME)
KC_PROFILE_TEXT_SETTER(SetWDepartment, "WDEPARTMENT_", WDEPARTMENT)
KC_PROFILE_TEXT_SETTER(SetWTypeWork, "WTYPEWORK_", WTYPEWORK)
KC_PROFILE_TEXT_SETTER(SetWPost, "WPOST_", WPOST)

#undef KC_PROFILE_TEXT_SETTER
#undef KC_PROFILE_SETTER

RUserID LoadOwnUserRecord(std::string_view Key, std::string_view IP) {
  const TMyUserData p(Key);
  RUserID r;
  r.ALIAS = p.GetAlias();
  r.GroupTag = 0;
  r.Deactivated = 0;
  r.IMAGEINDEX = p.GetImageIndex();
  r.IP.assign(IP);
  r.MAC = p.GetMAC();
  r.ID = p.GetID();
  r.Profile.Assign(ReadProfileTexts(p));
  r.COLOR = p.GetColor();
  // SEX and OLD are bytes in the record, as the setters store them.
  r.SEX = static_cast<std::uint8_t>(static_cast<std::uint32_t>(p.GetSex()) & 0xFF);
  const std::int64_t old = p.GetOld();
  r.OLD = static_cast<std::uint8_t>((old < 0 ? -old : old) & 0xFF);
  r.Active = 1;
  r.TextStyle = 0;
  return r;
}

void CutReceivedRecord(RUserID &R) {
  R.ID = CutReceived(std::move(R.ID), kMaxReceivedID);
  R.IP = CutReceived(std::move(R.IP), kMaxReceivedIP);
  R.MAC = CutReceived(std::move(R.MAC), kMaxReceivedIP);
  R.ALIAS = CutReceived(std::move(R.ALIAS), kMaxReceivedAlias);
  if (!R.Profile.Held()) return;
  RUserProfile texts = *R.Profile;
  for (std::string *f : {&texts.ICQ, &texts.NAME, &texts.NAME2, &texts.EMAIL, &texts.STREET, &texts.TOWN, &texts.HOUSE,
                         &texts.FIELD, &texts.WSTREET, &texts.WTOWN, &texts.WHOUSE, &texts.WFIELD, &texts.WNAME,
                         &texts.WDEPARTMENT, &texts.WTYPEWORK, &texts.WPOST, &texts.Interest})
    *f = CutReceived(std::move(*f), kMaxReceivedField);
  R.Profile.Assign(std::move(texts));
}

} // namespace kc
