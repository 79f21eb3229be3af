#include "core/HeadlessChatUn.h"

#include <algorithm>
#include <unordered_set>
#include <cstdio>
#include <ctime>

#include "core/AnsweringmachineTextUn.h"
#include "core/ConstUnit.h"
#include "core/IPUn.h"
#include "core/StoryFileUn.h"
#include "core/iniFileUn.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/IniStore.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/ProgramKey.h"

namespace kc {

namespace {

constexpr std::string_view kParagraph = "\x0A\x0D";
// A tab in a text item: the style sheet's spaces per tab.
constexpr std::string_view kTabSpaces = "        ";

// A body as the input box gives it: without a leading paragraph break, and
// without a trailing one when that is the only one.
std::string trimLineBreaks(std::string s) {
  if (s.find(kParagraph) == std::string::npos) return s;
  if (s.compare(0, kParagraph.size(), kParagraph) == 0) s.erase(0, kParagraph.size());
  const std::size_t first = s.find(kParagraph);
  if (first != std::string::npos && first + kParagraph.size() == s.size()) s.erase(first);
  return s;
}

} // namespace

namespace {

// The windows that tell the user of failed settings saves: the last made.
THeadlessChatWindows *gSaveReporter = nullptr;

} // namespace

THeadlessChatWindows::~THeadlessChatWindows() {
  if (gSaveReporter != this) return;
  gSaveReporter = nullptr;
  IniStore::setSaveFailureHandler(nullptr);
}

void THeadlessChatWindows::ReportSaveFailure(const std::string &Text) {
  FSaveFailed = true;
  LogFailure("save", Text);
  if (FSink) FSink->Error(Text);
}

THeadlessChatWindows::THeadlessChatWindows(std::string Key) : FKey(std::move(Key)) {
  // A settings file that cannot be written keeps its old contents; the
  // changes wait in memory for the next save, and the user hears of it.
  gSaveReporter = this;
  IniStore::setSaveFailureHandler([](const std::string &Path, const std::string &Reason) {
    (void)Path;
    if (gSaveReporter)
      gSaveReporter->ReportSaveFailure("The settings could not be saved (" + Reason + "); the next save tries again.");
  });
  // What leaves a full transcript goes to the talk's history first, so that
  // the history of a talk holds every message however long it ran.
  FTalks.SetDropHandler([this](TTalkTab &Tab, const TTalkMessage &Message) {
    if (SaveHistory && !HistoryFolder.empty()) AppendHistory(Tab, HistoryText(Message));
  });
}

const TTalkFrame *THeadlessChatWindows::FindTalkFrame(int Tab) const {
  const TTalkTab *t = FTalks.Tab(Tab);
  return t ? &t->Frame : nullptr;
}

std::string THeadlessChatWindows::TabCaption(int Tab) const {
  const TTalkTab *t = FTalks.Tab(Tab);
  return t ? t->Caption : std::string();
}

void THeadlessChatWindows::SetTabCaption(int Tab, const std::string &Caption) {
  if (TTalkTab *t = FTalks.Tab(Tab)) t->Caption = Caption;
}

void THeadlessChatWindows::SetTabImage(int Tab, std::int32_t ImageIndex) {
  if (TTalkTab *t = FTalks.Tab(Tab)) t->ImageIndex = ImageIndex;
}

void THeadlessChatWindows::SetTalkFrame(int Tab, const TTalkFrame &Frame) {
  if (TTalkTab *t = FTalks.Tab(Tab)) t->Frame = Frame;
}

int THeadlessChatWindows::OpenTalkTab(const std::string &Caption, std::int32_t ImageIndex, const TTalkFrame &Frame) {
  const int tab = FTalks.Open(Caption, ImageIndex, Frame);
  if (FSink) FSink->TabChanged("open", tab);
  return tab;
}

std::string THeadlessChatWindows::HistoryText(const TTalkMessage &M) {
  // The header's name is the alias as it came, the IP only for none.
  std::string out = "[" + (M.Alias.empty() ? M.IP : M.Alias) + "]\r\n";
  std::string body = M.Body;
  for (std::size_t p = 0; (p = body.find(kParagraph, p)) != std::string::npos; p += 2) body.replace(p, 2, "\r\n");
  return out + body + "\r\n";
}

std::string THeadlessChatWindows::TranscriptText(int Tab) const {
  const TTalkTab *t = FTalks.Tab(Tab);
  if (!t) return {};
  std::string out;
  for (const TTalkMessage &m : t->Transcript) out += HistoryText(m);
  return out;
}

bool THeadlessChatWindows::HistoryRoomFor(const TTalkTab &Tab, std::uint64_t Bytes) {
  const THistoryLimits &limits = HistoryLimits;
  const auto free = FreeSpaceOf(HistoryFolder);
  if (free && *free < limits.FreeMargin + Bytes) {
    if (!FHistoryDiskNoticed) {
      FHistoryDiskNoticed = true;
      ReportSaveFailure("History is not written: the disk of " + HistoryFolder + " is nearly full.");
    }
    return false;
  }
  FHistoryDiskNoticed = false;
  // Counted again every so many writes: the user may delete files meanwhile.
  if (FHistoryWritesSinceCount < 0 || FHistoryWritesSinceCount >= 256) {
    FHistoryFolderBytes = 0;
    for (const THistoryFileInfo &f : ListHistoryFiles(HistoryFolder)) FHistoryFolderBytes += f.Bytes;
    FHistoryWritesSinceCount = 0;
  }
  if (FHistoryFolderBytes + Bytes <= limits.FolderBytes) return true;
  std::vector<std::string> keep;
  for (int i = 0; i < FTalks.Count(); ++i)
    if (!FTalks.Tab(i)->HistoryPath.empty()) keep.push_back(FTalks.Tab(i)->HistoryPath);
  const std::uint64_t target = limits.FolderBytes > Bytes ? limits.FolderBytes - Bytes : 0;
  int deleted = 0;
  FHistoryFolderBytes = TrimHistoryFolder(HistoryFolder, target, keep, deleted);
  FHistoryWritesSinceCount = 0;
  if (deleted > 0 && !FHistoryTrimNoticed) {
    FHistoryTrimNoticed = true;
    if (FSink)
      FSink->Notice("The history folder is full: its oldest files are deleted to make room (" +
                    std::to_string(deleted) + " so far).");
  }
  (void)Tab;
  return FHistoryFolderBytes + Bytes <= limits.FolderBytes;
}

void THeadlessChatWindows::AppendHistory(TTalkTab &Tab, const std::string &Text) {
  try {
    if (Tab.HistoryCapped) return;
    // A file the windows wrote whole counts with what it holds already.
    if (!Tab.HistoryPath.empty() && Tab.HistoryBytes == 0)
      Tab.HistoryBytes = RegularFileSize(Tab.HistoryPath).value_or(0);
    if (Tab.HistoryBytes + Text.size() > HistoryLimits.TalkFileBytes) {
      // One notice; the talk goes on, its file stays as it is.
      Tab.HistoryCapped = true;
      if (FSink)
        FSink->Notice("The history of \"" + Tab.Caption +
                      "\" reached its size limit; later messages are not kept on disk.");
      return;
    }
    if (!HistoryRoomFor(Tab, Text.size())) return;
    std::string error;
    bool written = false;
    if (!Tab.HistoryPath.empty() && AppendToFile(Tab.HistoryPath, Text, &error)) {
      written = true;
    } else {
      // The first words of this talk's history (or its file went away).
      const RUserID *me = FUsers.Record(0);
      const std::string base =
          FormatText(MessageText(msgtext::FileNameStoryPrefix), {Tab.Caption, me ? me->ALIAS : std::string()});
      const DateTime now = nowLocal();
      // Without a rich-text transcript the history is always plain text.
      const std::string path = WriteHistoryFile(
          HistoryFolder, HistoryFileStem(base, HistoryDateText(now), HistoryTimeText(now)), ".txt", Text, &error);
      if (!path.empty()) {
        Tab.HistoryPath = path;
        Tab.HistoryBytes = 0;
        written = true;
      }
    }
    if (!written) {
      // Told once per talk until a write works again.
      if (!Tab.HistoryFailed) {
        Tab.HistoryFailed = true;
        ReportSaveFailure("The history of \"" + Tab.Caption + "\" could not be saved: " + error);
      }
      return;
    }
    Tab.HistoryFailed = false;
    Tab.HistoryBytes += Text.size();
    FHistoryFolderBytes += Text.size();
    ++FHistoryWritesSinceCount;
  } catch (const std::exception &) {
    LogCaughtException("history");
  }
}

void THeadlessChatWindows::SaveTalkHistory(int Tab) {
  TTalkTab *t = FTalks.Tab(Tab);
  if (!t || !SaveHistory || t->Transcript.empty() || HistoryFolder.empty()) return;
  AppendHistory(*t, TranscriptText(Tab));
}

void THeadlessChatWindows::FreeTab(int Tab) {
  // The all-users talk is never closed.
  if (Tab <= 0 || Tab >= FTalks.Count()) return;
  if (FSink) FSink->TabChanged("close", Tab);
  FTalks.Close(Tab);
}

void THeadlessChatWindows::RenderTalkMessage(int Tab, const TTalkMessage &Message) {
  if (!FTalks.Tab(Tab)) return;
  FTalks.Append(Tab, Message);
  if (FSink) FSink->MessageShown(Tab, Message);
}

std::vector<TMemberButton> THeadlessChatWindows::MemberButtons(int Tab) const {
  const TTalkTab *t = FTalks.Tab(Tab);
  return t ? t->Members : std::vector<TMemberButton>{};
}

void THeadlessChatWindows::AddMemberButton(int Tab, std::int32_t UserIndex) {
  TTalkTab *t = FTalks.Tab(Tab);
  const RUserID *r = FUsers.Record(UserIndex);
  if (!t || !r) return;
  for (const TMemberButton &b : t->Members)
    if (b.UserIndex == UserIndex) return;
  t->Members.push_back({UserIndex, r->Deactivated != 0});
  t->MembersVisible = true;
}

void THeadlessChatWindows::RemoveMemberButtons(int Tab, std::int32_t UserIndex) {
  TTalkTab *t = FTalks.Tab(Tab);
  if (!t) return;
  for (std::size_t i = t->Members.size(); i-- > 0;)
    if (t->Members[i].UserIndex == UserIndex) t->Members.erase(t->Members.begin() + static_cast<std::ptrdiff_t>(i));
  t->MembersVisible = !t->Members.empty();
}

void THeadlessChatWindows::SetMemberButtonChecked(int Tab, std::int32_t UserIndex, bool Checked) {
  if (TTalkTab *t = FTalks.Tab(Tab))
    for (TMemberButton &b : t->Members)
      if (b.UserIndex == UserIndex) b.Checked = Checked;
}

std::string THeadlessChatWindows::DocumentToText(int Tab) const {
  const TTalkTab *t = FTalks.Tab(Tab);
  return t ? trimLineBreaks(t->Input) : std::string();
}

bool THeadlessChatWindows::IsInputReadOnly(int Tab) const {
  const TTalkTab *t = FTalks.Tab(Tab);
  return t && t->InputReadOnly;
}

void THeadlessChatWindows::ClearInput(int Tab) {
  if (TTalkTab *t = FTalks.Tab(Tab)) t->Input.clear();
}

std::string THeadlessChatWindows::TextToBody(std::string_view Text) {
  std::string body;
  for (std::size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == '\r' || Text[i] == '\n') {
      if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
      body += kParagraph;
    } else if (Text[i] == '\t') {
      body += kTabSpaces;
    } else {
      body += Text[i];
    }
  }
  return body;
}

void THeadlessChatWindows::FillAutoReplyInput(int Tab, const std::string &Caption, const std::string &Text) {
  // Picture 3, the caption on its line, the text as one item of the next
  // paragraph: its own line breaks stay in it as they are, only tabs become
  // spaces, as in any text item.
  auto item = [](std::string_view t) {
    std::string r;
    for (char c : t) r += c == '\t' ? std::string(kTabSpaces) : std::string(1, c);
    return r;
  };
  SetInput(Tab, "{[!BULLET!]}3{[/!BULLET!]}" + item(Caption) + std::string(kParagraph) + item(Text));
}

void THeadlessChatWindows::SetInput(int Tab, std::string Body) {
  if (TTalkTab *t = FTalks.Tab(Tab)) t->Input = std::move(Body);
}

void THeadlessChatWindows::SetPrivateInputsReadOnly(bool ReadOnly) {
  for (int i = 0; i < FTalks.Count(); ++i)
    if (TTalkTab *t = FTalks.Tab(i); t->Frame.TalkKind == tkPrivate) t->InputReadOnly = ReadOnly;
}

void THeadlessChatWindows::FillFromMessage(RUserID &R, const TDataNewMessage &M) {
  R.ALIAS = M.GetAlias();
  R.IMAGEINDEX = M.GetImageIndex();
  R.IP = M.GetIP();
  R.MAC = M.GetMAC();
  R.COLOR = M.GetColor();
  R.Profile.Assign(ReadProfileTexts(M));
  R.SEX = static_cast<std::uint8_t>(M.GetSex());
  R.OLD = static_cast<std::uint8_t>(M.GetOld());
  CutReceivedRecord(R);
}

void THeadlessChatWindows::ReleaseRecord(int Index) {
  RUserID *r = FUsers.Record(Index);
  if (!r || Index == 0) return;
  for (int i = 0; i < FTalks.Count(); ++i) {
    const auto &members = FTalks.Tab(i)->Members;
    const bool member =
        std::any_of(members.begin(), members.end(), [&](const TMemberButton &b) { return b.UserIndex == Index; });
    if (!member) continue;
    RemoveMemberButtons(i, Index);
    if (FNet && FTalks.Tab(i)->Frame.TalkKind == tkOwnGroup) FNet->SendGroupMembers(i);
  }
  if (r->Active) {
    r->Active = 0;
    if (FSink) FSink->UserChanged("disconnect", Index);
  }
}

void THeadlessChatWindows::HandleNewUser(const std::string &Text) {
  const TDataNewMessage m(Text);
  const std::string id = CutReceived(m.GetID(), kMaxReceivedID);
  const RUserID *me = FUsers.Record(0);
  if (!me || id.empty() || id == me->ID) return;
  if (const int present = FUsers.FindPresent(id); present > 0) {
    // A present user only learns of this one again.
    FUsers.Touch(present);
    if (FNet) FNet->AnswerNewcomer();
    return;
  }
  RUserID record;
  FillFromMessage(record, m);
  record.ID = id;
  record.Deactivated = 0;
  record.GroupTag = kMainGroupTag;
  record.Active = 1;
  // A departed user who comes back takes his old record again, so that
  // coming and going cannot fill the list.
  int index = FUsers.IndexOfID(id);
  if (index <= 0) index = FUsers.Append(record);
  if (index < 0) {
    // A full list: the newcomer takes a record nobody misses; users in a
    // talk or a group are never made room for.
    std::unordered_set<int> busyIndices;
    std::unordered_set<std::string> busyIDs;
    for (int i = 0; i < FTalks.Count(); ++i) {
      const TTalkTab &t = *FTalks.Tab(i);
      for (const TMemberButton &b : t.Members) busyIndices.insert(b.UserIndex);
      if (t.Frame.TalkKind == tkPrivate || t.Frame.TalkKind == tkOtherGroup) busyIDs.insert(t.Frame.AutorGroupID);
    }
    index = FUsers.Reusable(
        [&](int i) {
          const RUserID *r = FUsers.Record(i);
          return !r || r->GroupTag >= kBadListTag || busyIndices.count(i) > 0 || busyIDs.count(r->ID) > 0;
        },
        clock().now());
    if (index <= 0) {
      LogFailure("user list", "the user list is full; a newcomer is not listed");
      return;
    }
    ReleaseRecord(index);
    FUsers.Renew(index);
  }
  FUsers.Assign(index, record);
  FUsers.Touch(index);
  if (FNet) FNet->AnswerNewcomer();

  std::int32_t tag = ReadUserGroup(FKey, id);
  if (tag == -1 || !FUsers.FindGroup(tag)) tag = kMainGroupTag;
  FUsers.Record(index)->GroupTag = tag;
  const int own = FTalks.FindOwnGroupTab(tag);
  if (own != -1 && FNet) {
    AddMemberButton(own, index);
    FNet->SendGroupMembers(own);
  }
  if (FSink) FSink->UserChanged("new", index);

  const RUserID r = *FUsers.Record(index);
  const std::string name = TKavetChatNet::DisplayName(r.ALIAS, r.IP);
  ShowNotification(MessageText(msgtext::ConnectUser), r.ALIAS, 0, r.IMAGEINDEX, r.IP);
  if (FNet) {
    FNet->ShowTalkMessage({r.ID, r.IP, FormatText(MessageText(msgtext::ConnectUser), {name}), r.COLOR, r.IMAGEINDEX,
                           r.ALIAS, false, true},
                          0);
    FNet->ShowPresenceInTalks(index, r.IP, true, r.ID, r.COLOR, r.IMAGEINDEX, r.ALIAS);
  }
  PlayEventSound(0);
}

void THeadlessChatWindows::NoteUserSpoke(std::string_view ID) {
  const int index = FUsers.FindPresent(ID);
  if (index > 0) FUsers.NoteSpoke(index, clock().now());
}

void THeadlessChatWindows::HandleUpdateInfo(const std::string &Text) {
  const TDataNewMessage m(Text);
  const int index = FUsers.FindPresent(CutReceived(m.GetID(), kMaxReceivedID));
  if (index <= 0) {
    HandleNewUser(Text);
    return;
  }
  FUsers.Touch(index);
  RUserID &r = *FUsers.Record(index);
  const std::string id = r.ID;
  const std::int32_t tag = r.GroupTag;
  const std::uint8_t deactivated = r.Deactivated, active = r.Active;
  FillFromMessage(r, m);
  r.ID = id;
  r.GroupTag = tag;
  r.Deactivated = deactivated;
  r.Active = active;
  const int tab = FTalks.FindPrivateTab(id);
  if (tab != -1) {
    // As when the talk was opened: the IP names a user without an alias.
    SetTabCaption(tab, TrimText(r.ALIAS).empty() ? r.IP : r.ALIAS);
    SetTabImage(tab, r.IMAGEINDEX);
  }
  if (FSink) FSink->UserChanged("update", index);
}

void THeadlessChatWindows::HandleDisconnect(const std::string &Text) {
  const TDataNewMessage m(Text);
  const std::string id = CutReceived(m.GetID(), kMaxReceivedID);
  const std::string alias = CutReceived(m.GetAlias(), kMaxReceivedAlias);
  const std::string ip = CutReceived(m.GetIP(), kMaxReceivedIP);
  const std::int32_t image = m.GetImageIndex(), color = m.GetColor();
  const std::string name = TKavetChatNet::DisplayName(alias, ip);
  const int index = FUsers.FindPresent(id);
  if (index <= 0) return;
  FUsers.Touch(index);
  if (FNet) FNet->ShowPresenceInTalks(index, ip, false, id, color, image, alias);
  for (int i = 1; i < FTalks.Count(); ++i) {
    const TTalkTab *t = FTalks.Tab(i);
    if (t->Frame.TalkKind != tkOwnGroup) continue;
    const bool member =
        std::any_of(t->Members.begin(), t->Members.end(), [&](const TMemberButton &b) { return b.UserIndex == index; });
    if (!member) continue;
    RemoveMemberButtons(i, index);
    if (FNet) FNet->SendGroupMembers(i);
  }
  FUsers.Record(index)->Active = 0;
  if (FSink) FSink->UserChanged("disconnect", index);
  ShowNotification(MessageText(msgtext::DisconnectUser), alias, 0, image, ip);
  if (FNet)
    FNet->ShowTalkMessage(
        {id, ip, FormatText(MessageText(msgtext::DisconnectUser), {name}), color, image, alias, false, true}, 0);
  PlayEventSound(1);
  ClosePartnerTalks(name, id);
}

void THeadlessChatWindows::ClosePartnerTalks(const std::string &Name, const std::string &UserID) {
  for (int i = FTalks.Count() - 1; i >= 0; --i) {
    const TTalkTab *t = FTalks.Tab(i);
    if (!t || t->Frame.AutorGroupID != UserID) continue;
    if (t->Frame.TalkKind == tkPrivate) {
      if (!AskClosePrivateTalk(3, Name)) continue;
    } else if (t->Frame.TalkKind == tkOtherGroup) {
      NoticeGroupTalkClosed(2, Name, t->Caption);
    } else {
      continue;
    }
    SaveTalkHistory(i);
    FreeTab(i);
  }
}

void THeadlessChatWindows::ShowNotification(const std::string &Format, const std::string &Alias, int Tab,
                                            std::int32_t ImageIndex, const std::string &IP) {
  (void)Tab;
  (void)ImageIndex;
  if (FSink) FSink->Notice(FormatText(Format, {"[" + TKavetChatNet::DisplayName(Alias, IP) + "]"}));
}

void THeadlessChatWindows::PlayEventSound(int N) {
  if (FSink) FSink->Sound(N);
}

void THeadlessChatWindows::ShowErrorDialog(const std::string &Text) {
  if (FSink) FSink->Error(Text);
}

void THeadlessChatWindows::NoticeGroupTalkClosed(int Page, const std::string &AuthorName,
                                                 const std::string &GroupCaption) {
  (void)Page;
  (void)AuthorName;
  (void)GroupCaption;
  // Nobody to show the notice to; the tab closes either way.
}

bool THeadlessChatWindows::AskClosePrivateTalk(int Page, const std::string &PartnerName) {
  (void)Page;
  (void)PartnerName;
  // Nobody to ask: the stored answer, which closes unless told otherwise.
  bool notShow = false, closeAll = true, leaveAll = false;
  LoadCloseTalkGroupPrivateValue(FKey, notShow, closeAll, leaveAll);
  return closeAll || !leaveAll;
}

void THeadlessChatWindows::CreateGroupBox(const std::string &Caption, const std::string &GroupID, std::int32_t Tag,
                                          std::string_view SourceSection) {
  std::string caption(TrimText(Caption));
  if (caption.empty()) caption = " ";
  auto stored = [this](std::int32_t n) { return GroupBoxExists(FKey, n); };
  if (SourceSection.empty()) {
    const std::int32_t tag = FUsers.NextGroupTag(Tag, stored);
    if (tag != Tag) {
      WriteGroupBox(FKey, tag, false, caption, GroupID);
      if (Tag == kMainGroupTag || Tag == kBadListTag) EraseGroupBox(FKey, Tag);
    }
    FUsers.Groups().push_back({tag, ReadGroupCollapse(FKey, tag), caption, GroupID});
    return;
  }
  // A stored box keeps its number when no box has it yet and the section of
  // that number is its own or missing: another section under that number is
  // a box still to come.
  const std::string source(SourceSection);
  const bool keeps = source == GroupBoxSection(Tag) || !stored(Tag);
  const std::int32_t tag = FUsers.NextGroupTag(keeps ? Tag : -1, stored);
  const bool collapsed = RegistryIni(FKey).readBool(source, "Collapse_Value", false);
  if (source != GroupBoxSection(tag)) {
    // The box moves to the section of its number and its source section
    // goes: left there, it would come back as one more box at every start.
    WriteGroupBox(FKey, tag, collapsed, caption, GroupID);
    RegistryIni(FKey).eraseSection(source);
  }
  FUsers.Groups().push_back({tag, collapsed, caption, GroupID});
}

THeadlessChatHost::THeadlessChatHost(TNetOptions Options, TChatEventSink *Sink)
    : FSink(Sink), FOwnWindows(std::make_unique<THeadlessChatWindows>(Options.Key.empty() ? std::string(kProgramKeyText)
                                                                                          : Options.Key)),
      FWindows(FOwnWindows.get()) {
  FNet = std::make_unique<TKavetChatNet>(*FWindows, std::move(Options));
  FWindows->SetNet(FNet.get());
  FWindows->SetSink(Sink);
}

THeadlessChatHost::THeadlessChatHost(THeadlessChatWindows &Windows, TNetOptions Options, TChatEventSink *Sink)
    : FSink(Sink), FWindows(&Windows) {
  FNet = std::make_unique<TKavetChatNet>(*FWindows, std::move(Options));
  FWindows->SetNet(FNet.get());
  FWindows->SetSink(Sink);
}

THeadlessChatHost::~THeadlessChatHost() {
  if (!FClosed) FNet->SetNetworkActive(false);
  FWindows->SetNet(nullptr);
}

void THeadlessChatHost::Report(const std::string &Text) {
  if (FSink) FSink->Error(Text);
}

void THeadlessChatHost::CreateMainWindow() {
  THeadlessChatWindows &w = *FWindows;
  FNet->SetNetworkActive(true);
  FillLanguageMenu(resourcePath("Lng"), w.Languages());
  // The settings the headless windows hold: the language and the history.
  std::vector<TLanguageItem> items;
  for (int i = 0; i < w.Languages().Count(); ++i) items.push_back({w.Languages().ItemAt(i).Hint, false});
  LoadLanguageName(Key(), items);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!items[i].Checked) continue;
    w.Languages().SetChecked(static_cast<int>(i), true);
    ApplyLanguageTexts(TLanguageFile(items[i].Hint));
    break;
  }
  w.SaveHistory = LoadStorySaveHistory(Key());
  w.HistoryFolder = historyFolder();
  EnsureFolder(w.HistoryFolder);
  PurgeOldHistory(w.HistoryFolder);
  OpenAllUsersTalk();
}

void THeadlessChatHost::OpenAllUsersTalk() {
  TTalkFrame all;
  all.TalkKind = tkAllUsers;
  all.GroupBoxTag = -1;
  FWindows->OpenTalkTab("All Users", 1, all);
}

void THeadlessChatHost::CreateUserList() {
  // Every store routine opens the key for itself; held open here, the
  // settings file is read once for the whole creation, however many groups
  // it holds.
  const RegistryIni keep(Key());
  THeadlessChatWindows &w = *FWindows;
  RUserID me = LoadOwnUserRecord(Key(), FNet->LocalIP());
  me.GroupTag = -1;
  me.Deactivated = 0;
  w.Users().Append(me);
  std::string bad, main;
  ReadFixedGroupIDs(Key(), bad, main);
  if (TGroupBoxInfo *g = w.Users().FindGroup(kMainGroupTag)) g->GroupID = main;
  if (TGroupBoxInfo *g = w.Users().FindGroup(kBadListTag)) g->GroupID = bad;
  bool mainCollapsed = false, badCollapsed = false;
  ReadFixedGroupCollapse(Key(), mainCollapsed, badCollapsed);
  if (TGroupBoxInfo *g = w.Users().FindGroup(kMainGroupTag)) g->Collapsed = mainCollapsed;
  if (TGroupBoxInfo *g = w.Users().FindGroup(kBadListTag)) g->Collapsed = badCollapsed;
  LoadAllGroupBoxes(Key(), w);
  FNet->AnnounceMyself(true);
}

void THeadlessChatHost::WakeMainWindow() {
  if (FSink) FSink->Notice("another copy asked for the main window");
}

void THeadlessChatHost::CloseMainWindow() {
  BeginClose();
  EndClose();
}

void THeadlessChatHost::BeginClose() {
  if (FClosed) return;
  FClosed = true;
  THeadlessChatWindows &w = *FWindows;
  FNet->AnnounceDisconnect();
  for (int i = 0; i < w.TabCount(); ++i) w.SaveTalkHistory(i);
  SaveAllGroupBoxes(Key(), w);
  const TGroupBoxInfo *main = w.Users().FindGroup(kMainGroupTag);
  const TGroupBoxInfo *bad = w.Users().FindGroup(kBadListTag);
  if (main && bad) {
    WriteFixedGroupIDs(Key(), bad->GroupID, main->GroupID);
    WriteFixedGroupCollapse(Key(), main->Collapsed, bad->Collapsed);
  }
}

void THeadlessChatHost::EndClose() { FNet->SetNetworkActive(false); }

bool THeadlessChatHost::SayToAll(std::string_view Body) {
  THeadlessChatWindows &w = *FWindows;
  if (w.TabCount() == 0) return false;
  w.SetInput(0, std::string(Body));
  FNet->SendAndClear(0, false);
  return true;
}

bool THeadlessChatHost::SendPrivate(std::string_view ID, std::string_view Body) {
  THeadlessChatWindows &w = *FWindows;
  const int index = w.FindUserNode(ID);
  if (index <= 0) {
    Report("unknown user " + std::string(ID));
    return false;
  }
  int tab = w.Talks().FindPrivateTab(ID);
  if (tab == -1) {
    tab = FNet->OpenPrivateTalk(ID);
    if (tab == -1) return false;
  }
  w.Talks().SetActive(tab);
  w.SetInput(tab, std::string(Body));
  FNet->SendAndClear(tab, false);
  return true;
}

bool THeadlessChatHost::SendToGroup(std::string_view Name, const std::vector<std::string> &MemberIDs,
                                    std::string_view Body) {
  THeadlessChatWindows &w = *FWindows;
  const RUserID *me = w.GetUserRecord(0);
  if (!me || Name.empty()) return false;
  TGroupBoxInfo *box = w.Users().FindGroupByCaption(Name);
  if (!box) {
    std::string groupID = NewGUIDText();
    // A new group asks for no number of its own.
    const std::int32_t tag = w.Users().NextGroupTag(-1, [this](std::int32_t n) { return GroupBoxExists(Key(), n); });
    w.Users().Groups().push_back({tag, false, std::string(Name), groupID});
    box = &w.Users().Groups().back();
  }
  const std::int32_t tag = box->Tag;
  const std::string groupID = box->GroupID, caption = box->Caption;
  int tab = w.Talks().FindOwnGroupTab(tag);
  if (tab == -1) {
    TTalkFrame frame;
    frame.TalkKind = tkOwnGroup;
    frame.GroupBoxTag = tag;
    frame.GroupName = caption;
    frame.AutorGroupAliase = me->ALIAS;
    frame.GroupID = groupID;
    frame.AutorGroupMAC = me->MAC;
    frame.AutorGroupID = me->ID;
    frame.AutorGroupIP = me->IP;
    tab = w.OpenTalkTab(caption, 2, frame);
  }
  w.Talks().SetActive(tab);
  std::vector<std::int32_t> wanted;
  for (const std::string &id : MemberIDs) {
    const int index = w.FindUserNode(id);
    if (index <= 0) Report("unknown user " + id);
    else wanted.push_back(index);
  }
  bool changed = false;
  for (const TMemberButton &b : w.MemberButtons(tab))
    if (std::find(wanted.begin(), wanted.end(), b.UserIndex) == wanted.end()) {
      w.RemoveMemberButtons(tab, b.UserIndex);
      changed = true;
    }
  for (std::int32_t index : wanted) {
    const auto buttons = w.MemberButtons(tab);
    if (std::none_of(buttons.begin(), buttons.end(), [&](const TMemberButton &b) { return b.UserIndex == index; })) {
      w.AddMemberButton(tab, index);
      changed = true;
    }
  }
  if (changed) FNet->SendGroupMembers(tab);
  w.SetInput(tab, std::string(Body));
  FNet->SendAndClear(tab, false);
  return true;
}

bool THeadlessChatHost::ClosePrivate(std::string_view ID) {
  const int tab = FWindows->Talks().FindPrivateTab(ID);
  if (tab <= 0) {
    Report("no private talk with " + std::string(ID));
    return false;
  }
  FNet->actCloseTalkExecute(tab);
  return true;
}

bool THeadlessChatHost::CloseGroup(std::string_view Name) {
  THeadlessChatWindows &w = *FWindows;
  for (int i = 1; i < w.TabCount(); ++i) {
    const TTalkFrame *f = w.FindTalkFrame(i);
    if (f && (f->TalkKind == tkOwnGroup || f->TalkKind == tkOtherGroup) && f->GroupName == Name) {
      FNet->actCloseTalkExecute(i);
      return true;
    }
  }
  Report("no group talk " + std::string(Name));
  return false;
}

bool THeadlessChatHost::SetProfileField(std::string_view Ident, std::string_view Value) {
  RUserID *me = FWindows->Users().Record(0);
  if (!me) return false;
  TSetUserData set(me, Key());
  using Setter = void (TSetUserData::*)(std::string_view);
  static const std::pair<std::string_view, Setter> setters[] = {
      {"ALIAS_", &TSetUserData::SetAlias},
      {"IMAGEINDEX_", &TSetUserData::SetImageIndex},
      {"COLOR_", &TSetUserData::SetColor},
      {"SEX_", &TSetUserData::SetSex},
      {"OLD_", &TSetUserData::SetOld},
      {"ICQ_", &TSetUserData::SetICQ},
      {"NAME_", &TSetUserData::SetName},
      {"NAME2_", &TSetUserData::SetName2},
      {"EMAIL_", &TSetUserData::SetEMail},
      {"Interest_", &TSetUserData::SetInterest},
      {"STREET_", &TSetUserData::SetStreet},
      {"TOWN_", &TSetUserData::SetTown},
      {"HOUSE_", &TSetUserData::SetHouse},
      {"FIELD_", &TSetUserData::SetHomeField},
      {"WSTREET_", &TSetUserData::SetWStreet},
      {"WTOWN_", &TSetUserData::SetWTown},
      {"WHOUSE_", &TSetUserData::SetWHouse},
      {"WFIELD_", &TSetUserData::SetWField},
      {"WNAME_", &TSetUserData::SetWName},
      {"WDEPARTMENT_", &TSetUserData::SetWDepartment},
      {"WTYPEWORK_", &TSetUserData::SetWTypeWork},
      {"WPOST_", &TSetUserData::SetWPost},
  };
  for (const auto &[ident, setter] : setters) {
    if (ident != Ident) continue;
    (set.*setter)(Value);
    FNet->AnnounceMyself(false);
    return true;
  }
  Report("unknown profile field " + std::string(Ident));
  return false;
}

void THeadlessChatHost::SetAutoReply(bool On, std::string_view Caption, std::string_view Text) {
  THeadlessChatWindows &w = *FWindows;
  if (On) {
    EraseAllAMTexts(Key());
    WriteAMText(Key(), 1, Caption, Text);
    w.CheckedVariant = std::string(kAMSectionMark) + "1";
  }
  w.AnsweringMachine = On;
  w.SetPrivateInputsReadOnly(On);
}

} // namespace kc
