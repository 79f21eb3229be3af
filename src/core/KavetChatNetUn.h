#pragma once
// The network part of the main window `TfmKavetChat`: switching the UDP
// sockets, receiving, echoing and dispatching datagrams, the send path of a
// talk, the announcements, and the receive handlers of every message kind.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/ChatServicesUn.h"
#include "core/ProtocolClassUn.h"
#include "core/ProtocolUn.h"
#include "platform/Clock.h"
#include "platform/GuiTimer.h"
#include "platform/UdpSocket.h"

namespace kc {

inline constexpr std::uint16_t kChatPort = 54812;
// Peers read datagrams into a buffer of this size; a longer one is not sent.
inline constexpr std::size_t kMaxSendSize = 8192;
// Group talks that other users can open here.
inline constexpr int kMaxOtherGroupTalks = 200;
// Private talks open at once; a further one takes the place of the one
// quiet for the longest time.
inline constexpr int kMaxPrivateTalks = 200;

struct TNetOptions {
  std::uint16_t Port = kChatPort;
  // Address the listener binds; empty = all local addresses.
  std::string ListenAddress;
  // The local IPv4 address; empty = `GetLocalIP`.
  std::string LocalIP;
  // Where talk messages go; empty = the /24 broadcast address of LocalIP.
  std::string SendHost;
  // The program key of the stores.
  std::string Key;
};

class TKavetChatNet {
public:
  // The own profile goes out as an answer to newcomers at most once in this
  // time, whoever asks; one answer serves every newcomer of the subnet.
  static constexpr std::chrono::seconds kAnswerInterval{1};
  // Echoes to one source address in one second, at most: a broadcast from a
  // forged source would otherwise come back from every copy of the subnet.
  static constexpr int kEchoesPerSecond = 8;

  TKavetChatNet(TChatWindowServices &Windows, TNetOptions Options = {});
  ~TKavetChatNet();
  TKavetChatNet(const TKavetChatNet &) = delete;
  TKavetChatNet &operator=(const TKavetChatNet &) = delete;

  const TNetOptions &Options() const { return FOptions; }
  const std::string &Key() const { return FOptions.Key; }

  // Transport (network part of the main window).
  // Both sockets on or off; a failure shows the port error and returns false.
  bool SetNetworkActive(bool Active);
  bool ClientActive() const;
  bool ServerActive() const;
  // The local address the sockets were switched on with.
  const std::string &LocalIP() const { return FLocalIP; }
  const std::string &SendHost() const { return FSendHost; }
  // The listener's read event: echo, then dispatch.
  void IdUDPServerUDPRead(const std::string &Data, const std::string &FromIP, std::uint16_t FromPort);
  // Classifies a received text and calls the handler of its kind. FromIP
  // is the datagram's source address; with one, a datagram that claims a
  // user ID tied to another address is dropped (see AcceptSource). Without
  // one (the program's own calls, tests) nothing is checked.
  void ProcessIncoming(const std::string &Text, std::string_view FromIP = {});
  // Sends one datagram to the send host; false when the client is off, the
  // text is longer than peers read, or the system refuses.
  bool SendText(std::string_view Text);
  // Hears every datagram the system took, talk sends and echoes alike, with
  // where it went: tests read what the copy said without a second socket.
  using SendTap = std::function<void(std::string_view Data, std::string_view ToIP, std::uint16_t ToPort)>;
  void SetSendTap(SendTap Tap) { FSendTap = std::move(Tap); }

  // Send path.
  // `actSendMessageExecute`: sends the active tab's input box; FromAutoReply
  // marks the send as an automatic reply (Sender = `actAnsweringMachine`).
  void actSendMessageExecute(bool FromAutoReply = false);
  // `SendTalkMessage` for the talk of tab Tab; true when the box may be
  // cleared (sent, or nothing to send), false when sending failed.
  bool SendTalkMessage(int Tab, bool IsAutoReply);
  // Sends Tab's input box and clears it unless sending failed.
  void SendAndClear(int Tab, bool IsAutoReply);
  // `actCloseTalkExecute` from the close button of tab Tab.
  void actCloseTalkExecute(int Tab);

  // Announcements and group notices (texts built by SendMessageUn).
  void AnnounceMyself(bool IsNew);
  void AnnounceDisconnect();
  void SendGroupMembers(int Tab);
  void SendGroupRename(std::string_view GroupID, std::string_view Caption);
  void SendGroupDelete(std::string_view GroupID, std::string_view Caption);
  void SendGroupTalkClosed(int Tab);
  void SendPrivateTalkClosed(int Tab);
  // The member list of a tab's member toolbar (FROMUSERID of group kinds).
  std::string MemberListOf(int Tab) const;

  // Receive handlers.
  void HandleMessageToAll(const std::string &Text);
  void HandleMessageToUser(const std::string &Text);
  void HandleMessageToGroup(const std::string &Text);
  void HandleFileTo(const std::string &Text);
  void HandleGroupMembers(const std::string &Text);
  void HandleGroupRename(const std::string &Text);
  void HandleGroupDelete(const std::string &Text);
  void HandlePrivateTalkClosed(const std::string &Text);

  // Supporting methods of the handlers.
  bool IsSenderDeactivated(const TDataNewMessage &Message) const;
  int OpenPrivateTalk(std::string_view ID);
  int OpenGroupTalkFromMessage(const TDataNewMessage &Message);
  void AutoReply(bool AutoOn, int Tab);
  void ShowTalkMessage(const TTalkMessage &Message, int Tab);
  void ShowPresenceInTalks(int UserIndex, const std::string &IP, bool Connected, const std::string &ID,
                           std::int32_t Color, std::int32_t ImageIndex, const std::string &Alias);
  bool TalkHasUser(int Tab, int UserIndex, std::string_view ID) const;
  // First tab from 0 whose frame has that GroupID (never for an empty one).
  int FindGroupTalk(std::string_view GroupID) const;
  void RenameGroupTalks(std::string_view GroupID, std::string_view AuthorID, std::string_view Name,
                        std::string_view Alias);
  void SyncMemberButtons(const std::vector<std::string> &IDs, int Tab);
  void AddMembersFromMessage(const TDataNewMessage &Message, int Tab);
  void SetMemberButton(int Tab, std::string_view ID, bool Add);
  void MarkMemberButtons(int UserIndex, bool Checked);
  int IndexOfUserID(std::string_view ID) const;

  // Answers a newcomer with the own profile (UPDATEINFO): at once when the
  // last answer is older than kAnswerInterval, else once when it has passed;
  // requests meanwhile are served by that one.
  void AnswerNewcomer();
  // Whether an echo may go to that address now (and counts it).
  bool MayEcho(const std::string &IP);

  // Forged senders. An ID is tied to the source address of the
  // announcement (NEW or UPDATEINFO) that first made it known; a datagram
  // that claims that ID (as sender, or as author of a group talk) from
  // another address is dropped and logged, until the tied address says
  // DISCONNECT. The own ID is tied to the local address. A NEW from another
  // address (a copy that came back elsewhere after a crash) is kept as a
  // claim: this copy announces itself, which every running copy answers;
  // when the tied address stays silent for kClaimWait, the claim wins.
  static constexpr std::chrono::seconds kClaimWait{5};
  static constexpr std::size_t kMaxClaims = 64;
  static constexpr std::size_t kMaxSourceTies = 20000;
  // Whether the datagram may be handled; ties and claims are noted.
  bool AcceptSource(TMessageKind Kind, const std::string &Text, std::string_view FromIP);
  // The address an ID is tied to, empty when none.
  std::string SourceOf(std::string_view ID) const;

  // The local user's record (record 0), or none before the user list has it.
  const RUserID *Me() const;
  // Display name: the alias trimmed, or the IP when it is blank.
  static std::string DisplayName(std::string_view Alias, std::string_view IP);

private:
  std::string OwnID() const;
  void TieSource(const std::string &ID, std::string_view FromIP);
  void NoteClaim(const std::string &ID, std::string_view FromIP, const std::string &Text);
  void ResolveClaims();

  struct TSourceTie {
    std::string IP;
    TimePoint LastHeard{};
  };
  struct TSourceClaim {
    std::string IP;
    std::string Text;
    TimePoint Since{};
  };
  std::map<std::string, TSourceTie, std::less<>> FSourceTies;
  std::map<std::string, TSourceClaim, std::less<>> FClaims;
  GuiTimer FClaimTimer;
  bool FProbed = false;
  TimePoint FLastProbe{};

  TChatWindowServices &FWindows;
  TNetOptions FOptions;
  std::string FLocalIP;
  std::string FSendHost;
  std::unique_ptr<UdpSocket> FServer;
  std::unique_ptr<UdpSocket> FClient;
  SendTap FSendTap;
  bool FServerActive = false;
  bool FClientActive = false;
  // Coalesced answers to newcomers.
  bool FAnswered = false;
  bool FAnswerPending = false;
  TimePoint FLastAnswer{};
  GuiTimer FAnswerTimer;
  // Echoes per source address in the current second.
  std::map<std::string, std::pair<TimePoint, int>, std::less<>> FEchoes;
  // The optional fields last shortened in the own announcement; the user
  // hears of it when this changes.
  std::vector<std::string> FShortenedFields;
};

// Whether an IPv4 source address can be a single sender: not 0.0.0.0/8,
// multicast, reserved or the limited broadcast, and not the broadcast address
// of the given /24 send host.
bool IsUnicastSource(std::string_view IP, std::string_view BroadcastHost);

} // namespace kc
