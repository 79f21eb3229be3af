// The main window's part in the user list: the talks opened from it with
// chosen users and groups, the member buttons of group talks and their
// menus, mail and the questions when a partner leaves.
#include <QRadioButton>

#include "core/ConstUnit.h"
#include "core/KavetChatNetUn.h"
#include "core/UserGroupsUn.h"
#include "core/GroupBoxStorageUn.h"
#include "core/LngUn.h"
#include "core/iniFileUn.h"
#include "platform/CodePage.h"
#include "platform/MailTo.h"
#include "platform/ShellOpen.h"
#include "richtext/controls/RichVistaEdit.h"
#include "toolbars/TBarToolbar.h"
#include "ui/fmAboutUn.h"
#include "ui/fmErrorUn.h"
#include "ui/fmInformationUn.h"
#include "ui/fmKavetChatSettings.h"
#include "ui/fmKavetChatUn.h"
#include "ui/fmUserListUn.h"
#include "ui/frConnectUserUn.h"
#include "widgets/KcComCtrls.h"
#include "widgets/glGrBox.h"

namespace kc {

using namespace kc::tb;

namespace {

QString qs(const std::string &Ansi) { return QString::fromStdString(ansiToUtf8(Ansi)); }

// Image of an own group talk's tab.
constexpr std::int32_t kGroupTalkImage = 2;

} // namespace

QWidget *TfmKavetChat::UserListForm() { return fmUserList.get(); }

void TfmKavetChat::UserChanged(std::string_view Change, int UserIndex) {
  if (fmUserList) fmUserList->UserChanged(Change, UserIndex);
  Changed();
}

void TfmKavetChat::CreateGroupBox(const std::string &Caption, const std::string &GroupID, std::int32_t Tag,
                                  std::string_view SourceSection) {
  // The model numbers and stores the box; the list shows it.
  THeadlessChatWindows::CreateGroupBox(Caption, GroupID, Tag, SourceSection);
  if (fmUserList) fmUserList->ShowGroupBox(Users().Groups().back());
}

void TfmKavetChat::WireMemberActions() {
  TMainActionList &a = *FActions;
  const auto guarded = [this](std::function<void()> Work) {
    return [this, Work = std::move(Work)](TTBCustomItem *) {
      try {
        Work();
      } catch (...) {
        ApplicationEventsException(this, ExceptionMessage(std::current_exception()));
      }
    };
  };
  a.actMessageToUser.OnExecute = guarded([this] { actMessageToUserExecute(); });
  a.actMessageToGroup.OnExecute = guarded([this] { actMessageToGroupExecute(); });
  a.actShowUserList.OnExecute = guarded([this] {
    FActions->actShowUserList.SetChecked(!FActions->actShowUserList.Checked());
    ShowUserList(FActions->actShowUserList.Checked());
  });
  a.actMailUser.OnExecute = guarded([this] {
    const RUserID *r = GetUserRecord(TargetUser());
    if (!r || TargetUser() <= 0) return;
    // The shared link builder leaves out an address that could carry more.
    ShellOpen(MailToSafeLink({ansiToUtf8(r->Profile->EMAIL)}));
  });
  a.actMailGroup.OnExecute = guarded([this] {
    TglGroupBox *box = fmUserList ? fmUserList->GetSelectedGroupBox() : nullptr;
    if (!box) return;
    const std::int32_t tag = box->Tag();
    ShellOpen(MailToUsers(*this, &tag));
  });
  a.actAbout.OnExecute = guarded([this] { ShowAbout(); });
  // The selected user's (or the last member button's) profile, read only.
  a.actUserNetProfile.OnExecute = guarded([this] {
    if (TargetUser() > 0) ShowUserProfile(TargetUser());
  });
  for (TTBAction *x : {&a.actMessageToUser, &a.actMessageToGroup, &a.actShowUserList, &a.actStayOnTopUserList,
                       &a.actMailUser, &a.actMailGroup, &a.actAbout, &a.actUserNetProfile})
    x->SetEnabled(true);
  if (a.miMessage) {
    a.miMessage->SetEnabled(true);
    a.miMessage->OnPopup = [this](TTBCustomItem *, bool) {
      const bool user = fmUserList && fmUserList->GetSelectedUserIndex() > 0;
      const bool group = fmUserList && fmUserList->GetSelectedGroupBox();
      FActions->actMessageToUser.SetEnabled(user || FLastMemberUser > 0);
      FActions->actMessageToGroup.SetEnabled(group);
    };
  }
  if (a.miMailVariant)
    a.miMailVariant->OnPopup = [this](TTBCustomItem *, bool) {
      FActions->actMailUser.SetEnabled(fmUserList && fmUserList->GetSelectedUserIndex() > 0);
      FActions->actMailGroup.SetEnabled(fmUserList && fmUserList->GetSelectedGroupBox());
    };
}

void TfmKavetChat::PrepareUserList() {
  // The fixed boxes' identifiers came from the store with the model.
  for (const std::int32_t tag : {kMainGroupTag, kBadListTag})
    if (const TGroupBoxInfo *g = Users().FindGroup(tag); g && fmUserList->FindGroupBox(tag))
      fmUserList->FindGroupBox(tag)->SetHint(QString::fromStdString(g->GroupID));
  bool main = false, bad = false;
  ReadFixedGroupCollapse(FKey, main, bad);
  const TFormBounds me{x(), y(), width(), height()};
  const TFormBounds b = LoadUserListPosition(FKey, me);
  if (b.Width > 0 && b.Height > 0) fmUserList->setGeometry(b.Left, b.Top, b.Width, b.Height);
  fmUserList->ApplyButtonSize(FBigButtons);
  fmUserList->ApplyUserListTexts();
  if (FActions->actShowUserList.Checked()) ShowUserList(true);
  else fmUserList->ApplyStoredCollapse();
}

void TfmKavetChat::ShowUserList(bool Show) {
  if (!fmUserList) return;
  if (Show) {
    fmUserList->show();
    fmUserList->ApplyStoredCollapse();
    ApplyStayOnTop(fmUserList.get(), FActions->actStayOnTopUserList.Checked());
  } else {
    fmUserList->hide();
  }
  Changed();
}

// ------------------------------------------------------------------ talks

int TfmKavetChat::TargetUser() {
  SelectMemberUser();
  return fmUserList ? fmUserList->GetSelectedUserIndex() : -1;
}

void TfmKavetChat::actMessageToUserExecute() {
  const int index = TargetUser();
  const RUserID *r = GetUserRecord(index);
  if (index <= 0 || !r || !r->Active) return;
  int tab = Talks().FindPrivateTab(r->ID);
  if (tab < 0) tab = FHost->Net().OpenPrivateTalk(r->ID);
  if (tab < 0) return;
  pcMain->setCurrentIndex(tab);
  Talks().SetActive(tab);
  WakeMainWindow();
  if (TCustomRichVistaEdit *box = GetInputBox(tab)) box->setFocus();
  Changed();
}

void TfmKavetChat::actMessageToGroupExecute() {
  TglGroupBox *box = fmUserList ? fmUserList->GetSelectedGroupBox() : nullptr;
  const RUserID *me = GetUserRecord(0);
  if (!box || !me) return;
  const std::int32_t tag = box->Tag();
  int tab = Talks().FindOwnGroupTab(tag);
  if (tab < 0) {
    const TGroupBoxInfo *g = Users().FindGroup(tag);
    const std::string caption = g ? g->Caption : utf8ToAnsi(box->Caption().toStdString());
    TTalkFrame frame;
    frame.TalkKind = tkOwnGroup;
    frame.GroupBoxTag = tag;
    frame.GroupName = caption;
    frame.AutorGroupAliase = me->ALIAS;
    frame.GroupID = g ? g->GroupID : box->Hint().toStdString();
    frame.AutorGroupMAC = me->MAC;
    frame.AutorGroupID = me->ID;
    frame.AutorGroupIP = me->IP;
    tab = OpenTalkTab(caption, kGroupTalkImage, frame);
    if (tab < 0) return;
    FillMemberToolbar(tab, box);
  }
  pcMain->setCurrentIndex(tab);
  Talks().SetActive(tab);
  WakeMainWindow();
  Changed();
}

void TfmKavetChat::FillMemberToolbar(int Tab, TglGroupBox *Box) {
  TUserTree *tree = TfmUserList::TreeOf(Box);
  if (!tree) return;
  for (int i = 0; i < tree->topLevelItemCount(); ++i)
    if (const TKcTreeNode *n = tree->Node(i); n->Data > 0) AddMemberButton(Tab, n->Data);
}

TTBCustomItem *TfmKavetChat::MakeMemberButton(int Tab, const TMemberButton &Button) {
  const RUserID *r = GetUserRecord(Button.UserIndex);
  auto *item = new TTBSubmenuItem;
  item->SetCaption(PlainCaption(qs(r ? TKavetChatNet::DisplayName(r->ALIAS, r->IP) : std::string())));
  item->Tag = Button.UserIndex;
  item->SetChecked(Button.Checked);
  item->SetDisplayMode(nbdmImageAndText);
  item->SetOptions(item->Options() | tboDropdownArrow);
  if (r) item->SetImageIndex(r->IMAGEINDEX);
  if (fmUserList) item->SetLinkSubitems(fmUserList->pmUserList().Items());
  const std::int32_t user = Button.UserIndex;
  item->OnPopup = [this, Tab, user](TTBCustomItem *, bool FromLink) {
    if (!FromLink) MemberButtonPopup(Tab, user);
  };
  return item;
}

void TfmKavetChat::MemberButtonPopup(int Tab, std::int32_t UserIndex) {
  if (!fmUserList) return;
  const TTalkFrame *f = FindTalkFrame(ActiveTab());
  const RUserID *r = GetUserRecord(UserIndex);
  fmUserList->PrepareMemberPopup(r && r->Deactivated, f && f->TalkKind == tkOtherGroup);
  (void)Tab;
  FLastMemberUser = UserIndex;
}

void TfmKavetChat::SelectMemberUser() {
  // The member may have left since his menu opened: then he is nobody's.
  if (FLastMemberUser <= 0 || !fmUserList || !fmUserList->MemberMenu()) return;
  const RUserID *r = GetUserRecord(FLastMemberUser);
  if (!r || !r->Active || !fmUserList->FindUserNode(FLastMemberUser)) {
    FLastMemberUser = -1;
    return;
  }
  fmUserList->SelectUser(FLastMemberUser);
}

// ------------------------------------------------------------------ leaving

void TfmKavetChat::HandleDisconnect(const std::string &Text) {
  // The questions below name the partner by ID, found again when answered.
  const TDataNewMessage m(Text);
  FDisconnectingID = CutReceived(m.GetID(), kMaxReceivedID);
  THeadlessChatWindows::HandleDisconnect(Text);
  FDisconnectingID.clear();
}

bool TfmKavetChat::AskClosePrivateTalk(int Page, const std::string &PartnerName) {
  bool notShow = false, closeAll = true, leaveAll = false;
  LoadCloseTalkGroupPrivateValue(FKey, notShow, closeAll, leaveAll);
  if (notShow) return closeAll || !leaveAll;
  const std::string id = FDisconnectingID;
  if (id.empty()) return false;
  // One question per partner; the tab stays until it is answered, and the
  // answer finds the tab again by the partner's ID. Never modal: this runs
  // inside a datagram's handler.
  if (auto it = FCloseQuestions.find(id); it != FCloseQuestions.end() && it->second) return false;
  auto *dialog = new TfmInformation(FKey, this);
  dialog->setWindowFlag(Qt::Dialog);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->LanguageFile = FLanguageFile.empty() ? CurrentLanguagePath() : FLanguageFile;
  if (FActions->tbOptions) dialog->OptionsCaption = FActions->tbOptions->Caption();
  dialog->SetPage(Page == TfmInformation::kPageGroupClosed ? Page : TfmInformation::kPagePrivateClosed);
  dialog->AuthorAlias = PartnerName;
  dialog->SetPicture(&ilHotImage, 8);
  QPointer<TfmInformation> guard(dialog);
  QObject::connect(dialog, &QDialog::finished, this, [this, id, guard](int Result) {
    const bool close = Result == QDialog::Accepted && guard && guard->rbAlwaysClose->isChecked();
    AnswerClosePrivateTalk(id, close);
  });
  FCloseQuestions[id] = dialog;
  dialog->ShowQuietly();
  Changed();
  return false;
}

void TfmKavetChat::AnswerClosePrivateTalk(const std::string &PartnerID, bool Close) {
  const auto it = FCloseQuestions.find(PartnerID);
  if (it != FCloseQuestions.end()) {
    QPointer<QWidget> box = it->second;
    FCloseQuestions.erase(it);
    if (box && box->isVisible()) box->close();
  }
  if (Close) {
    // The tab as it is now: others may have come and gone meanwhile.
    const int tab = Talks().FindPrivateTab(PartnerID);
    if (tab > 0) {
      SaveTalkHistory(tab);
      FreeTab(tab);
    }
  }
  Changed();
}

void TfmKavetChat::NoticeGroupTalkClosed(int Page, const std::string &AuthorName, const std::string &GroupCaption) {
  (void)Page;
  ShowNotice(qs(GroupCaption) + QStringLiteral(": ") + qs(AuthorName));
  if (LoadCloseTalkGroupValue(FKey)) return;
  // Told, never asked: the tab closes either way, so nothing waits on it.
  auto *dialog = new TfmInformation(FKey, this);
  dialog->setWindowFlag(Qt::Dialog);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->LanguageFile = FLanguageFile.empty() ? CurrentLanguagePath() : FLanguageFile;
  if (FActions->tbOptions) dialog->OptionsCaption = FActions->tbOptions->Caption();
  dialog->SetPage(TfmInformation::kPageGroupClosed);
  dialog->AuthorAlias = AuthorName;
  dialog->GroupName = GroupCaption;
  dialog->SetPicture(&ilHotImage, 7);
  dialog->ShowQuietly();
}

void TfmKavetChat::ShowAbout() {
  auto *about = new TfmAbout(this);
  about->show();
}

} // namespace kc
