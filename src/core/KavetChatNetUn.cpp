#include "core/KavetChatNetUn.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "core/ConstUnit.h"
#include "core/IPUn.h"
#include "core/LngUn.h"
#include "core/SendMessageUn.h"
#include "platform/Log.h"

namespace kc {

TKavetChatNet::TKavetChatNet(TChatWindowServices &Windows, TNetOptions Options)
    : FWindows(Windows), FOptions(std::move(Options)) {
  if (FOptions.Key.empty()) FOptions.Key = std::string(kProgramKeyText);
}

TKavetChatNet::~TKavetChatNet() {
  // The sockets go without a word; the close path has announced it already.
  FServer.reset();
  FClient.reset();
}

bool TKavetChatNet::ClientActive() const { return FClientActive; }
bool TKavetChatNet::ServerActive() const { return FServerActive; }

bool TKavetChatNet::SetNetworkActive(bool Active) {
  try {
    if (Active) {
      FLocalIP = FOptions.LocalIP.empty() ? GetLocalIP() : FOptions.LocalIP;
      if (!FOptions.SendHost.empty()) {
        FSendHost = FOptions.SendHost;
      } else {
        const auto host = GetBroadcastAddress(FLocalIP);
        if (!host) throw std::runtime_error("no local address");
        FSendHost = *host;
      }
    }
    if (FClientActive != Active) {
      if (Active) {
        auto client = std::make_unique<UdpSocket>();
        std::string error;
        // Bound once to a port of its own: nothing sends from the chat port
        // but the echo.
        if (!client->open(FOptions.ListenAddress, 0, &error)) throw std::runtime_error(error);
        FClient = std::move(client);
      } else {
        FClient.reset();
      }
      FClientActive = Active;
    }
    if (FServerActive != Active) {
      if (Active) {
        auto server = std::make_unique<UdpSocket>();
        std::string error;
        if (!server->open(FOptions.ListenAddress, FOptions.Port, &error)) throw std::runtime_error(error);
        server->setReadHandler([this](const std::string &data, const std::string &ip, std::uint16_t port) {
          IdUDPServerUDPRead(data, ip, port);
        });
        FServer = std::move(server);
      } else {
        FServer.reset();
      }
      FServerActive = Active;
    }
    return true;
  } catch (const std::exception &) {
    // The program runs on without network; the dialog tells the user, the
    // log says why.
    LogCaughtException("switching the network");
    FWindows.ShowErrorDialog(MessageText(msgtext::ErrorPortAbort));
    return false;
  }
}

bool IsUnicastSource(std::string_view IP, std::string_view BroadcastHost) {
  std::uint32_t a = 0;
  if (!UdpSocket::parseAddress(IP, a)) return false;
  const std::uint32_t first = a >> 24;
  if (first == 0 || first >= 224) return false; // "this" network, multicast, reserved, broadcast
  if (IP == BroadcastHost) return false;
  return true;
}

void TKavetChatNet::IdUDPServerUDPRead(const std::string &Data, const std::string &FromIP, std::uint16_t FromPort) {
  if (!FServerActive || !FServer) return;
  // The echo goes back to the sender's own port. Never to a chat port,
  // whose copy would echo it back for ever, and never to an address that
  // is no single sender; and the datagram is dispatched either way.
  if (FromPort != FOptions.Port && FromPort != 0 && IsUnicastSource(FromIP, FSendHost) && MayEcho(FromIP) &&
      FServer->sendTo(Data, FromIP, FromPort) && FSendTap)
    FSendTap(Data, FromIP, FromPort);
  ProcessIncoming(Data, FromIP);
}

void TKavetChatNet::ProcessIncoming(const std::string &Text, std::string_view FromIP) {
  try {
    const TMessageKind kind = GetMessageKind(Text);
    const bool announcement = kind == mkNew || kind == mkDisconnect || kind == mkUpdateInfo;
    // Peers read announcements into a buffer of the send limit: a longer
    // one counts with what fits.
    const std::string read = announcement && Text.size() > kMaxSendSize ? Text.substr(0, kMaxSendSize) : Text;
    if (!AcceptSource(kind, read, FromIP)) return;
    switch (kind) {
    case mkNew:
    case mkDisconnect:
    case mkUpdateInfo: {
      // Presence is keyed by the ID; without one there is nobody to track.
      const std::string id(TrimText(CutReceived(TDataNewMessage(read).GetID(), kMaxReceivedID)));
      if (id.empty()) return;
      if (kind == mkNew) FWindows.HandleNewUser(read);
      else if (kind == mkUpdateInfo) FWindows.HandleUpdateInfo(read);
      else {
        FWindows.HandleDisconnect(read);
        // Said from its own address: the ID is free for whoever comes next.
        if (!FromIP.empty()) {
          FSourceTies.erase(id);
          FClaims.erase(id);
        }
      }
      break;
    }
    case mkMessage: HandleMessageToAll(Text); break;
    case mkMessageToGroup: HandleMessageToGroup(Text); break;
    case mkMessageToUser: HandleMessageToUser(Text); break;
    case mkFileTo: HandleFileTo(Text); break;
    case mkUpdateInfoToGroup: HandleGroupMembers(Text); break;
    case mkMessageToGroupRename: HandleGroupRename(Text); break;
    case mkMessageToGroupDelete: HandleGroupDelete(Text); break;
    case mkMessageToPrivateDelete: HandlePrivateTalkClosed(Text); break;
    default: break;
    }
  } catch (...) {
    // The one boundary of a datagram received: whatever its handling threw
    // (down to the windows that show it) is reported here, and the next
    // datagram is handled as if this one had not come.
    LogCaughtException("datagram");
  }
}

bool TKavetChatNet::SendText(std::string_view Text) {
  if (!FClientActive || !FClient) return false;
  if (Text.size() > kMaxSendSize) return false;
  const bool sent = FClient->sendTo(Text, FSendHost, FOptions.Port);
  if (sent && FSendTap) FSendTap(Text, FSendHost, FOptions.Port);
  // Every broadcast comes back to the own listener: a burst of sends must
  // not fill its buffer before the event loop reads it.
  if (FServer) FServer->fetchPending();
  return sent;
}

const RUserID *TKavetChatNet::Me() const { return FWindows.GetUserRecord(0); }

std::string TKavetChatNet::OwnID() const {
  const RUserID *me = Me();
  return me ? me->ID : std::string();
}

std::string TKavetChatNet::DisplayName(std::string_view Alias, std::string_view IP) {
  const std::string_view t = TrimText(Alias);
  return t.empty() ? std::string(IP) : std::string(t);
}

void TKavetChatNet::actSendMessageExecute(bool FromAutoReply) {
  try {
    if (FWindows.TabCount() == 0) return;
    const int tab = FWindows.ActiveTab();
    if (!FWindows.FindTalkFrame(tab) || !FWindows.HasInputBox(tab)) return;
    SendAndClear(tab, FromAutoReply);
  } catch (...) {
    // The send action's boundary (the action is the entry point).
    LogCaughtException("send action");
  }
}

void TKavetChatNet::SendAndClear(int Tab, bool IsAutoReply) {
  // A message that could not go stays in the box, so the user loses nothing.
  if (SendTalkMessage(Tab, IsAutoReply)) FWindows.ClearInput(Tab);
}

std::string TKavetChatNet::MemberListOf(int Tab) const {
  std::vector<std::int32_t> tags;
  for (const TMemberButton &b : FWindows.MemberButtons(Tab)) tags.push_back(b.UserIndex);
  return BuildMemberList(OwnID(), tags, FWindows.UserCount(), [this](std::int32_t i) {
    const RUserID *r = FWindows.GetUserRecord(i);
    return r ? r->ID : std::string();
  });
}

bool TKavetChatNet::SendTalkMessage(int Tab, bool IsAutoReply) {
  try {
    const TTalkFrame *frame = FWindows.FindTalkFrame(Tab);
    if (!frame || !FWindows.HasInputBox(Tab)) return true;
    // Private talks are read-only while the auto-reply answers for the user.
    if (FWindows.IsInputReadOnly(Tab) && !IsAutoReply) return true;
    const RUserID *me = Me();
    if (!me) return true;
    const std::string body = FWindows.DocumentToText(Tab);
    std::string text;
    switch (frame->TalkKind) {
    case tkAllUsers: text = BuildMessageToAllText(*me, body); break;
    case tkOwnGroup:
      if (frame->GroupBoxTag != -1 && FWindows.HasMemberToolbar(Tab))
        text = BuildMessageToGroupText(*me, frame->GroupFields(), MemberListOf(Tab), body);
      break;
    case tkOtherGroup:
      if (FWindows.HasMemberToolbar(Tab))
        text = BuildMessageToGroupText(*me, frame->GroupFields(), MemberListOf(Tab), body);
      break;
    case tkPrivate: text = BuildMessageToUserText(*me, frame->AutorGroupID, IsAutoReply, body); break;
    default: break;
    }
    if (text.empty()) return true;
    const TTalkMessage echo{me->ID, me->IP, body, me->COLOR, me->IMAGEINDEX, me->ALIAS, IsAutoReply};
    const bool isPrivate = frame->TalkKind == tkPrivate;
    if (!SendText(text)) {
      FWindows.ShowErrorDialog(MessageText(msgtext::ErrorWhenSend));
      return false;
    }
    // Private messages go to the partner only; the own copy shows them here,
    // once they are on their way.
    if (isPrivate) ShowTalkMessage(echo, Tab);
    return true;
  } catch (const std::exception &) {
    // The user must learn that the message did not go; it stays in the box.
    LogCaughtException("sending a message");
    FWindows.ShowErrorDialog(MessageText(msgtext::ErrorWhenSend));
    return false;
  }
}

void TKavetChatNet::actCloseTalkExecute(int Tab) {
  try {
    if (Tab <= 0) return;
    const TTalkFrame *frame = FWindows.FindTalkFrame(Tab);
    if (!frame) return;
    if (frame->TalkKind == tkPrivate) SendPrivateTalkClosed(Tab);
    else if (frame->TalkKind == tkOwnGroup) SendGroupTalkClosed(Tab);
    FWindows.SaveTalkHistory(Tab);
    FWindows.FreeTab(Tab);
  } catch (...) {
    // The close action's boundary (the action is the entry point).
    LogCaughtException("close action");
  }
}

void TKavetChatNet::AnnounceMyself(bool IsNew) {
  const RUserID *me = Me();
  if (!me) return;
  // Peers read no more than the send limit: a long profile goes out with
  // its longest optional fields shortened rather than not at all.
  std::vector<std::string> shortened;
  const std::string text = AnnounceMyselfTextWithin(*me, IsNew, kMaxSendSize, &shortened);
  if (shortened != FShortenedFields) {
    FShortenedFields = shortened;
    if (!shortened.empty()) {
      std::string names;
      for (const std::string &n : shortened) names += (names.empty() ? "" : ", ") + n;
      FWindows.ShowNotification(MessageText(msgtext::ProfileShortened), names, 0, me->IMAGEINDEX, me->IP);
    }
  }
  if (text.empty()) {
    FWindows.ShowErrorDialog(MessageText(msgtext::ErrorWhenSend));
    return;
  }
  SendText(text);
}

void TKavetChatNet::AnnounceDisconnect() {
  if (const RUserID *me = Me()) SendText(AnnounceDisconnectText(*me));
}

void TKavetChatNet::SendGroupMembers(int Tab) {
  if (Tab == -1) return;
  const TTalkFrame *frame = FWindows.FindTalkFrame(Tab);
  const RUserID *me = Me();
  if (!frame || !me || frame->AutorGroupID != me->ID || !FWindows.HasMemberToolbar(Tab)) return;
  SendText(SendGroupMembersText(*me, frame->GroupFields(), MemberListOf(Tab)));
}

void TKavetChatNet::SendGroupRename(std::string_view GroupID, std::string_view Caption) {
  if (const RUserID *me = Me()) SendText(SendGroupRenameText(*me, GroupID, Caption));
}

void TKavetChatNet::SendGroupDelete(std::string_view GroupID, std::string_view Caption) {
  if (const RUserID *me = Me()) SendText(SendGroupDeleteText(*me, GroupID, Caption));
}

void TKavetChatNet::SendGroupTalkClosed(int Tab) {
  const TTalkFrame *frame = FWindows.FindTalkFrame(Tab);
  if (frame && frame->TalkKind == tkOwnGroup) SendText(SendGroupTalkClosedText(frame->GroupFields()));
}

void TKavetChatNet::SendPrivateTalkClosed(int Tab) {
  const TTalkFrame *frame = FWindows.FindTalkFrame(Tab);
  const RUserID *me = Me();
  if (frame && me && frame->TalkKind == tkPrivate) SendText(SendPrivateTalkClosedText(*me, frame->AutorGroupID));
}

void TKavetChatNet::AnswerNewcomer() {
  const TimePoint now = clock().now();
  if (!FAnswered || now < FLastAnswer || now - FLastAnswer >= kAnswerInterval) {
    FAnswerTimer.stop();
    FAnswerPending = false;
    FAnswered = true;
    FLastAnswer = now;
    AnnounceMyself(false);
    return;
  }
  if (FAnswerPending) return;
  // The last request is always answered: once the interval has passed.
  FAnswerPending = true;
  const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(FLastAnswer + kAnswerInterval - now);
  FAnswerTimer.start(std::max(1, static_cast<int>(wait.count())), [this] {
    FAnswerTimer.stop();
    if (!FAnswerPending) return;
    FAnswerPending = false;
    FLastAnswer = clock().now();
    AnnounceMyself(false);
  });
}

bool TKavetChatNet::MayEcho(const std::string &IP) {
  const TimePoint now = clock().now();
  auto it = FEchoes.find(IP);
  if (it == FEchoes.end()) {
    // Forged sources are cheap: past this many the counts start again.
    constexpr std::size_t kMaxSources = 4096;
    if (FEchoes.size() >= kMaxSources) FEchoes.clear();
    it = FEchoes.emplace(IP, std::make_pair(now, 0)).first;
  }
  auto &[since, count] = it->second;
  if (now < since || now - since >= std::chrono::seconds(1)) {
    since = now;
    count = 0;
  }
  if (count >= kEchoesPerSecond) return false;
  ++count;
  return true;
}

std::string TKavetChatNet::SourceOf(std::string_view ID) const {
  if (ID == OwnID() && !ID.empty()) return FLocalIP;
  const auto it = FSourceTies.find(ID);
  return it == FSourceTies.end() ? std::string() : it->second.IP;
}

bool TKavetChatNet::AcceptSource(TMessageKind Kind, const std::string &Text, std::string_view FromIP) {
  if (FromIP.empty() || Kind == mkFileTo || Kind == mkUnknown) return true;
  const TDataNewMessage m(Text);
  const std::string id(TrimText(CutReceived(m.GetID(), kMaxReceivedID)));
  // Kinds that only a group talk's author sends name him as the author.
  const bool byAuthor = Kind == mkUpdateInfoToGroup || Kind == mkMessageToGroupRename || Kind == mkMessageToGroupDelete;
  const std::string author = byAuthor ? std::string(TrimText(CutReceived(m.GetAutorGroupID(), kMaxReceivedID))) : "";
  const std::string own = OwnID();
  const TimePoint now = clock().now();
  for (const std::string *claimed : {&id, &author}) {
    if (claimed->empty()) continue;
    std::string tied;
    if (*claimed == own) {
      tied = FLocalIP;
    } else if (auto it = FSourceTies.find(*claimed); it != FSourceTies.end()) {
      tied = it->second.IP;
      if (tied == FromIP) it->second.LastHeard = now;
    }
    if (tied.empty() || tied == FromIP) continue;
    if (Kind == mkNew && claimed == &id && *claimed != own) NoteClaim(id, FromIP, Text);
    LogFailure("forged sender",
               "a datagram from " + std::string(FromIP) + " names the user " + *claimed + " of " + tied + "; dropped");
    return false;
  }
  if ((Kind == mkNew || Kind == mkUpdateInfo) && !id.empty() && id != own && !FSourceTies.count(id))
    TieSource(id, FromIP);
  return true;
}

void TKavetChatNet::TieSource(const std::string &ID, std::string_view FromIP) {
  if (FSourceTies.size() >= kMaxSourceTies) {
    // Made-up newcomers fill this as they fill the user list: ties of IDs
    // that no longer have a record go first.
    std::vector<std::string> listed;
    for (int i = 1; i < FWindows.UserCount(); ++i)
      if (const RUserID *r = FWindows.GetUserRecord(i)) listed.push_back(r->ID);
    std::sort(listed.begin(), listed.end());
    for (auto it = FSourceTies.begin(); it != FSourceTies.end();) {
      if (std::binary_search(listed.begin(), listed.end(), it->first)) ++it;
      else it = FSourceTies.erase(it);
    }
    if (FSourceTies.size() >= kMaxSourceTies) return;
  }
  FSourceTies[ID] = TSourceTie{std::string(FromIP), clock().now()};
}

void TKavetChatNet::NoteClaim(const std::string &ID, std::string_view FromIP, const std::string &Text) {
  const TimePoint now = clock().now();
  auto it = FClaims.find(ID);
  if (it != FClaims.end() && it->second.IP == FromIP) return; // waiting already
  if (it == FClaims.end() && FClaims.size() >= kMaxClaims) return;
  FClaims[ID] = TSourceClaim{std::string(FromIP), Text, now};
  // One announcement of this copy asks every running copy to answer, the
  // tied address among them if it still runs; at most one per wait.
  if (!FProbed || now < FLastProbe || now - FLastProbe >= kClaimWait) {
    FProbed = true;
    FLastProbe = now;
    AnnounceMyself(true);
  }
  if (!FClaimTimer.active()) {
    const int ms = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(kClaimWait).count()) + 100;
    FClaimTimer.start(ms, [this] { ResolveClaims(); });
  }
}

void TKavetChatNet::ResolveClaims() {
  const TimePoint now = clock().now();
  std::vector<std::string> granted;
  for (auto it = FClaims.begin(); it != FClaims.end();) {
    const TSourceClaim &c = it->second;
    if (now >= c.Since && now - c.Since < kClaimWait) {
      ++it;
      continue;
    }
    auto tie = FSourceTies.find(it->first);
    if (tie == FSourceTies.end() || tie->second.LastHeard <= c.Since) {
      // The old address said nothing since: the user is there now.
      LogFailure("sender moved", "the user " + it->first + " speaks from " + c.IP + " now");
      FSourceTies[it->first] = TSourceTie{c.IP, now};
      granted.push_back(c.Text);
    }
    it = FClaims.erase(it);
  }
  if (FClaims.empty()) FClaimTimer.stop();
  // Taken as an update: the record (present or not) gets the new address.
  for (const std::string &text : granted) FWindows.HandleUpdateInfo(text);
}

} // namespace kc
