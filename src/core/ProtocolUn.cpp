#include "core/ProtocolUn.h"

#include "core/ConstUnit.h"

#include <array>

namespace kc {

namespace {

constexpr std::array<std::string_view, 12> kHeads = {
    "",
    "NEW!^:^$",
    "MESSAGE!^:^$",
    "MESSAGETOGROUP!^:^$",
    "MESSAGETOUSER!^:^$",
    "FILETO!^:^$",
    "DISCONNECT!^:^$",
    "UPDATEINFO!^:^$",
    "UPDATEINFOTOGROUP_!^:^$",
    "MESSAGETOGROUPRENAME!^:^$",
    "MESSAGETOGROUPDELETE!^:^$",
    "MESSAGETOPRIVATEDELETE!^:^$",
};

} // namespace

std::string_view MessageHead(int Kind) {
  if (Kind < 1 || Kind >= static_cast<int>(kHeads.size())) return {};
  return kHeads[static_cast<size_t>(Kind)];
}

std::string OpenTag(std::string_view Name) {
  std::string r;
  r.reserve(Name.size() + 2);
  r += '<';
  r.append(Name);
  r += '>';
  return r;
}

std::string CloseTag(std::string_view Name) {
  std::string r;
  r.reserve(Name.size() + 3);
  r += "</";
  r.append(Name);
  r += '>';
  return r;
}

TMessageKind GetMessageKind(std::string_view Text) {
  const size_t marker = Text.find(kHeadMarker);
  if (marker == std::string_view::npos) return mkUnknown;
  const std::string_view head = Text.substr(0, marker + kHeadMarker.size());
  for (size_t k = 1; k < kHeads.size(); ++k)
    if (head == kHeads[k]) return static_cast<TMessageKind>(k);
  return mkUnknown;
}

std::string ExtractTag(std::string_view Text, std::string_view Open, std::string_view Close) {
  if (Open.empty() || Close.empty()) return {};
  const size_t open = Text.find(Open);
  if (open == std::string_view::npos) return {};
  const size_t start = open + Open.size();
  // The closing tag is looked for only after the opening one: a closing tag
  // that stands before it (a stray one, or one inside an earlier value) must
  // not give a negative length.
  const size_t close = Text.find(Close, start);
  if (close == std::string_view::npos) return {};
  return std::string(Text.substr(start, close - start));
}

std::string ExtractTagValue(std::string_view Text, std::string_view Name) {
  return ExtractTag(Text, OpenTag(Name), CloseTag(Name));
}

std::int32_t ExtractIntTag(std::string_view Text, std::string_view Name) {
  std::int32_t v = 0;
  if (!TryStrToInt(ExtractTagValue(Text, Name), v)) return 0;
  return v;
}

// TDataNewMessage

TDataNewMessage::TDataNewMessage(std::string Text) : FText(std::move(Text)) {}

std::string TDataNewMessage::ExtractTag(std::string_view Open, std::string_view Close) const {
  return kc::ExtractTag(FText, Open, Close);
}

#define KC_TEXT_READER(Cls, Fn, Tag)                                                                                   \
  std::string Cls::Fn() const { return ExtractTagValue(FText, tag::Tag); }

KC_TEXT_READER(TDataNewMessage, GetIP, IP)
KC_TEXT_READER(TDataNewMessage, GetID, ID)
KC_TEXT_READER(TDataNewMessage, GetMessageStr, MESSAGESTR)
KC_TEXT_READER(TDataNewMessage, GetFromUserID, FROMUSERID)
KC_TEXT_READER(TDataNewMessage, GetGroupID, GROUPID)
KC_TEXT_READER(TDataNewMessage, GetAutorGroupID, AUTORGROUPID)
KC_TEXT_READER(TDataNewMessage, GetAutorGroupIP, AUTORGROUPIP)
KC_TEXT_READER(TDataNewMessage, GetAutorGroupMAC, AUTORGROUPMAC)
KC_TEXT_READER(TDataNewMessage, GetAutorGroupAliase, AUTORGROUPALIASE)
KC_TEXT_READER(TDataNewMessage, GetGroupName, GROUPNAME)

std::int32_t TDataNewMessage::GetColor() const { return ExtractIntTag(FText, tag::COLOR); }
std::int32_t TDataNewMessage::GetSex() const { return ExtractIntTag(FText, tag::SEX); }
std::int32_t TDataNewMessage::GetOld() const { return ExtractIntTag(FText, tag::OLD); }

std::int32_t TDataNewMessage::GetImageIndex() const {
  const std::string value = ExtractTagValue(FText, tag::IMAGEINDEX);
  const std::string_view trimmed = TrimText(value);
  std::int32_t v = 0;
  if (trimmed.empty() || !TryStrToInt(trimmed, v) || v == -1) return 0;
  return v;
}

void TDataNewMessage::GetFromUserIDList(std::vector<std::string> &List) const {
  const std::string value = GetFromUserID();
  std::string_view rest = value;
  while (!rest.empty()) {
    if (rest == kUserIDSeparator) break;
    const size_t sep = rest.find(kUserIDSeparator);
    if (sep == std::string_view::npos) {
      List.emplace_back(rest);
      break;
    }
    if (sep == 0) {
      rest.remove_prefix(kUserIDSeparator.size());
      continue;
    }
    List.emplace_back(rest.substr(0, sep));
    rest.remove_prefix(sep);
  }
}

bool TDataNewMessage::IsIDInFromUserIDs(std::string_view ID) const {
  // An empty ID names no one; it must not count as a member of every list.
  if (ID.empty()) return false;
  const std::string open = OpenTag(tag::FROMUSERID), close = CloseTag(tag::FROMUSERID);
  if (FText.find(open) == std::string::npos || FText.find(close) == std::string::npos) return false;
  return kc::ExtractTag(FText, open, close).find(ID) != std::string::npos;
}

bool TDataNewMessage::HasAutoReplyFlag() const { return FText.find(kAutoReplyFlag) != std::string::npos; }

// TDataFileMessage

TDataFileMessage::TDataFileMessage(std::string Text) : FText(std::move(Text)) {}

std::string TDataFileMessage::ExtractTag(std::string_view Open, std::string_view Close) const {
  return kc::ExtractTag(FText, Open, Close);
}

KC_TEXT_READER(TDataFileMessage, GetNomberFile, NOMBERFILE)
KC_TEXT_READER(TDataFileMessage, GetFileName, FILENAME)
KC_TEXT_READER(TDataFileMessage, GetServerID, SERVERID)
KC_TEXT_READER(TDataFileMessage, GetServerIP, SERVERIP)
KC_TEXT_READER(TDataFileMessage, GetClientID, CLIENTID)
KC_TEXT_READER(TDataFileMessage, GetClientIP, CLIENTIP)

#undef KC_TEXT_READER

} // namespace kc
