// Received datagrams through the kind classifier and every reader; values
// without '<' must also survive a build and read back byte for byte.
#include "core/ConstUnit.h"
#include "core/ProtocolUn.h"
#include "core/SendMessageUn.h"

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

using namespace kc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);

  const TMessageKind kind = GetMessageKind(text);
  if (kind > 11) std::abort();
  if (kind != mkUnknown && text.compare(0, MessageHead(kind).size(), MessageHead(kind)) != 0) std::abort();

  const TDataNewMessage m(text);
  size_t total = 0;
  // Most getters come from the profile base; the list converts them all to
  // getters of the message.
  using Getter = std::string (TDataNewMessage::*)() const;
  for (Getter getter : std::initializer_list<Getter>{&TDataNewMessage::GetAlias,
                                                     &TDataNewMessage::GetID,
                                                     &TDataNewMessage::GetIP,
                                                     &TDataNewMessage::GetMAC,
                                                     &TDataNewMessage::GetICQ,
                                                     &TDataNewMessage::GetName,
                                                     &TDataNewMessage::GetName2,
                                                     &TDataNewMessage::GetEMail,
                                                     &TDataNewMessage::GetInterest,
                                                     &TDataNewMessage::GetStreet,
                                                     &TDataNewMessage::GetTown,
                                                     &TDataNewMessage::GetHouse,
                                                     &TDataNewMessage::GetHomeField,
                                                     &TDataNewMessage::GetWStreet,
                                                     &TDataNewMessage::GetWTown,
                                                     &TDataNewMessage::GetWHouse,
                                                     &TDataNewMessage::GetWField,
                                                     &TDataNewMessage::GetWName,
                                                     &TDataNewMessage::GetWDepartment,
                                                     &TDataNewMessage::GetWTypeWork,
                                                     &TDataNewMessage::GetWPost,
                                                     &TDataNewMessage::GetMessageStr,
                                                     &TDataNewMessage::GetFromUserID,
                                                     &TDataNewMessage::GetGroupID,
                                                     &TDataNewMessage::GetAutorGroupID,
                                                     &TDataNewMessage::GetAutorGroupIP,
                                                     &TDataNewMessage::GetAutorGroupMAC,
                                                     &TDataNewMessage::GetAutorGroupAliase,
                                                     &TDataNewMessage::GetGroupName}) {
    const std::string v = (m.*getter)();
    if (v.size() > text.size()) std::abort();
    total += v.size();
  }
  (void)total;
  if (m.GetImageIndex() == -1) std::abort();
  (void)m.GetColor();
  (void)m.GetSex();
  (void)m.GetOld();
  (void)m.HasAutoReplyFlag();

  std::vector<std::string> members;
  m.GetFromUserIDList(members);
  size_t memberBytes = 0;
  for (const auto &id : members) {
    if (id.empty()) std::abort();
    memberBytes += id.size();
    if (!m.IsIDInFromUserIDs(id)) std::abort();
  }
  if (memberBytes > text.size()) std::abort();

  const TDataFileMessage f(text);
  (void)f.GetNomberFile();
  (void)f.GetFileName();
  (void)f.GetServerID();
  (void)f.GetServerIP();
  (void)f.GetClientID();
  (void)f.GetClientIP();

  // The first half as tag names, the rest as the text they are looked for in.
  const size_t half = size / 2;
  const std::string open = text.substr(0, half / 2), close = text.substr(half / 2, half - half / 2);
  const std::string value = ExtractTag(std::string_view(text).substr(half), open, close);
  if (value.size() > size - half) std::abort();

  std::int32_t n = 0;
  (void)TryStrToInt(text, n);
  (void)TryStrToIntOrHex(text, n);
  (void)FormatText(text, {"a", "%s"});

  if (text.find('<') == std::string::npos) {
    RUserID me;
    me.ALIAS = text;
    me.IMAGEINDEX = -1;
    const TDataNewMessage back(BuildMessageToAllText(me, text));
    if (back.GetAlias() != text || back.GetMessageStr() != text || back.GetImageIndex() != 0) std::abort();
    if (GetMessageKind(back.GetText()) != mkMessage) std::abort();
  }
  return 0;
}
