#include "ui/fmKavetChatUn.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>

#include <algorithm>

#include "core/ConstUnit.h"
#include "core/KavetChatNetUn.h"
#include "core/LngUn.h"
#include "core/iniFileUn.h"
#include "platform/CodePage.h"
#include "platform/Log.h"
#include "richtext/controls/RichVistaEdit.h"
#include "toolbars/TBarDock.h"
#include "toolbars/TBarItem.h"
#include "toolbars/TBarToolbar.h"
#include "ui/ArtUn.h"
#include "ui/StorySaveUn.h"
#include "ui/UnsendableTextUn.h"
#include "ui/fmKavetChatRender.h"
#include "ui/fmKavetChatSettings.h"
#include "ui/fmSelectPictureGIFMoodUn.h"
#include "ui/frConnectUserUn.h"
#include "ui/fmUserListUn.h"
#include "platform/Paths.h"
#include "widgets/KcAlign.h"
#include "widgets/KcComCtrls.h"
#include "widgets/KcStatusBar.h"

namespace kc {

using namespace kc::tb;

namespace {

QString qs(const std::string &Ansi) { return QString::fromStdString(ansiToUtf8(Ansi)); }

// The normal text style of the shared style sheet.
constexpr int kNormalTextStyle = 0;

} // namespace

TfmKavetChat::TfmKavetChat(TNetOptions Options)
    : THeadlessChatWindows(Options.Key.empty() ? std::string(kProgramKeyText) : Options.Key) {
  FKey = Options.Key.empty() ? std::string(kProgramKeyText) : Options.Key;
  FHost = std::make_unique<THeadlessChatHost>(*this, std::move(Options), this);
  BuildComponents();
  WireDialogs();
}

TfmKavetChat::~TfmKavetChat() {
  // The network goes before the widgets it would show into, and the widgets
  // before the renderer, style sheet and image lists they use.
  FHost.reset();
  fmUserList.reset();
  for (QWidget *w : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) delete w;
  FActions.reset();
  FRenderer.reset();
  fmSelectPictureGIFMood.reset();
}

void TfmKavetChat::BuildComponents() {
  setObjectName(QStringLiteral("fmKavetChat"));
  setAccessibleName(QStringLiteral("Kavet Chat"));
  setWindowTitle(QStringLiteral("Kavet Chat"));
  resize(475, 309);
  setMinimumSize(380, 270);

  setWindowIcon(ProgramIcon());
  FillProfileImages(ilProfilesImage, 32);
  FillProfileImages(ilProfilesImage16x16, 16);
  FillHotImages(ilHotImage, 32);
  FillHotImages(ilHotImage16x16, 16);
  MakeChatStyleSheet(RVStyle);
  FRenderer = std::make_unique<TTranscriptRenderer>(RVStyle, ilProfilesImage, &ilHotImage, nullptr, &OfferedFiles);
  // Senders the user list does not hold share colour-keyed styles.
  FRenderer->IsKnownUser = [this](const std::string &ID) { return Users().IndexOfID(ID) > 0; };
  FRenderer->OnItemDeleted = [this](TCustomRichVista &Transcript, int ItemNo) {
    ForgetTranscriptItem(Transcript, ItemNo);
  };

  TBDockMainTop = new TTBDock(this, dpTop);
  TBDockMainTop->setObjectName(QStringLiteral("TBDockMainTop"));
  TBDockMainTop->SetLimitToOneRow(true);
  TBDockMainBotton = new TTBDock(this, dpBottom);
  TBDockMainBotton->setObjectName(QStringLiteral("TBDockMainBotton"));
  TBDockMainBotton->SetLimitToOneRow(true);
  for (QWidget *d : {static_cast<QWidget *>(TBDockMainTop), static_cast<QWidget *>(TBDockMainBotton)})
    d->installEventFilter(this);

  pcMain = new TKcPageControl(this);
  pcMain->setObjectName(QStringLiteral("pcMain"));
  pcMain->setAccessibleName(QStringLiteral("Talks"));
  pcMain->SetImages(&ilProfilesImage16x16);
  pcMain->OnChange = [this](TKcPageControl *) {
    const int tab = pcMain->currentIndex();
    if (tab >= 0 && tab < Talks().Count()) Talks().SetActive(tab);
    if (TCustomRichVistaEdit *box = GetInputBox(tab)) box->setFocus();
    Changed();
  };

  // The actions before any talk frame: every send toolbar is filled from
  // them. The toolbars go into the top dock.
  FActions = std::make_unique<TMainActionList>(*this, FKey);
  FActions->CreateToolbars(this, TBDockMainTop, TBDockMainBotton);
  WireMemberActions();
  WireOfferedFiles();
  WirePickers();

  KcStatusBar = new TKcStatusBar(this);
  KcStatusBar->setObjectName(QStringLiteral("KcStatusBar"));
  KcStatusBar->setAccessibleName(QStringLiteral("Status"));
  KcStatusBar->setMinimumHeight(20);
  KcStatusBar->Panels() = {{"", 18}, {"", 50, true}, {"", 50, true}, {"", 50, true}, {"", 50, true}, {"", 50}};
  MyImage = new QLabel(KcStatusBar);
  MyImage->setObjectName(QStringLiteral("MyImage"));
  MyImage->setAccessibleName(QStringLiteral("Own picture"));
  MyImage->setScaledContents(true);
  MyImage->setGeometry(1, 2, 16, 16);
  BuildNotices();

  LayOut();
}

void TfmKavetChat::LayOut() {
  if (FLayingOut || !TBDockMainTop) return;
  FLayingOut = true;
  // Twice: a dock's new length may change its thickness once more.
  for (int pass = 0; pass < 2; ++pass) {
    const int W = width(), H = height();
    const int status = KcStatusBar->minimumHeight();
    const int top = TBDockMainTop->height(), bottom = TBDockMainBotton->height();
    TBDockMainTop->setGeometry(0, 0, W, top);
    KcStatusBar->setGeometry(0, H - status, W, status);
    TBDockMainBotton->setGeometry(0, H - status - bottom, W, bottom);
    pcMain->setGeometry(0, top, W, std::max(0, H - top - bottom - status));
  }
  FLayingOut = false;
}

void TfmKavetChat::resizeEvent(QResizeEvent *Event) {
  QWidget::resizeEvent(Event);
  LayOut();
  Changed();
}

void TfmKavetChat::moveEvent(QMoveEvent *Event) {
  QWidget::moveEvent(Event);
  Changed();
}

void TfmKavetChat::changeEvent(QEvent *Event) {
  QWidget::changeEvent(Event);
  if (Event->type() == QEvent::WindowStateChange || Event->type() == QEvent::ActivationChange ||
      Event->type() == QEvent::WindowTitleChange)
    Changed();
}

bool TfmKavetChat::eventFilter(QObject *Watched, QEvent *Event) {
  if (Event->type() == QEvent::Resize && (Watched == TBDockMainTop || Watched == TBDockMainBotton)) LayOut();
  if (Event->type() == QEvent::KeyPress) {
    auto *key = static_cast<QKeyEvent *>(Event);
    // Ctrl+Return, and Ctrl+Enter of the keypad, send.
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && (key->modifiers() & Qt::ControlModifier)) {
      SendMessage();
      return true;
    }
    if (ShowKeyAtOnce(Watched, key)) return true;
  }
  if (Event->type() == QEvent::KeyRelease || Event->type() == QEvent::InputMethod) Changed();
  return QWidget::eventFilter(Watched, Event);
}

// --- life cycle -----------------------------------------------------------

void TfmKavetChat::CreateMainWindow() {
  setWindowTitle(QStringLiteral("Kavet Chat"));
  QApplication::setApplicationDisplayName(QString());
  // The network, languages, history folder and its purge, and the all-users
  // talk, as the core's creation does them.
  FHost->CreateMainWindow();
  SaveAsRTF = LoadStorySaveAsRTF(FKey);
  FillLanguageMenu(resourcePath("Lng"), FActions->LanguageMenu());
  // Position, toolbar layout and options, now that the toolbars exist.
  LoadMainSettings(FKey, *FActions, *this);
  setMinimumSize(380, 270);
  show();
}

void TfmKavetChat::CreateUserList() {
  // The list first: the stored groups it is made with come as boxes.
  fmUserList = std::make_unique<TfmUserList>(*this);
  FHost->CreateUserList();
  ShowOwnIdentity();
  PrepareUserList();
}

void TfmKavetChat::CreateGifCatalogue() {
  fmSelectPictureGIFMood = std::make_unique<TfmSelectPictureGIFMood>(CatalogueGif);
  FRenderer->SetCatalogue(fmSelectPictureGIFMood.get());
}

void TfmKavetChat::WakeMainWindow() {
  show();
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  raise();
  activateWindow();
  HideTrayIcon();
}

void TfmKavetChat::CloseMainWindow() {
  if (FClosing) return;
  FClosing = true;
  // DISCONNECT, every tab's history, the groups; then the settings; then
  // the network off.
  if (fmUserList) fmUserList->ProgramClosing();
  FHost->BeginClose();
  SaveMainSettings(FKey, *FActions, *this);
  FHost->EndClose();
  FTimer.stop();
  FDumpTimer.stop();
  CloseNotices();
  hide();
}

void TfmKavetChat::closeEvent(QCloseEvent *Event) {
  // The close is never refused; the program's close sequence runs once.
  Event->accept();
  if (OnCloseRequested) OnCloseRequested();
  else CloseMainWindow();
}

void TfmKavetChat::showEvent(QShowEvent *Event) {
  QWidget::showEvent(Event);
  if (FFirstShow) {
    PlayEventSound(3);
    FFirstShow = false;
    FTimer.start(500, [this] {
      FTimer.stop();
      TimerTimer();
    });
  }
  Changed();
}

void TfmKavetChat::TimerTimer() {
  // Stay-on-top waits until the window has shown once.
  ApplyStoredStayOnTop(FKey, *FActions, *this);
}

void TfmKavetChat::ShowOwnIdentity() {
  const RUserID *me = GetUserRecord(0);
  if (!me) return;
  FRenderer->SetLocalUser(me->ID, me->IP);
  const int image = me->IMAGEINDEX < 0 ? 0 : me->IMAGEINDEX;
  if (ilProfilesImage16x16.ValidIndex(image))
    MyImage->setPixmap(QPixmap::fromImage(ilProfilesImage16x16.GetImage(image)));
  KcStatusBar->SetPanelText(1, qs(me->ALIAS));
  KcStatusBar->SetPanelText(2, QStringLiteral(" IP: ") + qs(me->IP) + QStringLiteral(" "));
  const std::string alias(TrimText(me->ALIAS));
  if (!alias.empty()) {
    const QString title = QStringLiteral("Kavet Chat [") + qs(alias) + QStringLiteral("]");
    QApplication::setApplicationName(title);
    setWindowTitle(title);
  }
  Changed();
}

void TfmKavetChat::ShowNotice(const QString &Text) {
  SetStatusPanel(kNoticePanel, Text);
  Changed();
}

void TfmKavetChat::Notice(const std::string &Text) {
  ShowNotice(qs(Text));
  KeepUnsendableNotice();
}

void TfmKavetChat::Error(const std::string &Text) { ShowNotice(qs(Text)); }

void TfmKavetChat::ShowErrorDialog(const std::string &Text) {
  // Never modal: this comes from inside a datagram's or a timer's handler,
  // which must return before anything else runs.
  if (!FErrorBox) {
    FErrorBox = new QMessageBox(QMessageBox::Critical, QStringLiteral("Kavet Chat"), QString(), QMessageBox::Ok, this);
    FErrorBox->setObjectName(QStringLiteral("fmError"));
    FErrorBox->setAccessibleName(QStringLiteral("Error"));
    FErrorBox->setAttribute(Qt::WA_DeleteOnClose);
    FErrorBox->setModal(false);
    QObject::connect(FErrorBox, &QObject::destroyed, this, [this] { Changed(); });
  }
  FErrorBox->setText(qs(Text));
  FErrorBox->show();
  FErrorBox->raise();
  ShowNotice(qs(Text));
}

// --- tabs and frames ------------------------------------------------------

int TfmKavetChat::StoredInputHeight() const {
  return LoadHeightNewMessagePanel(FKey, 32767, TfrConnectUser::kMinInputHeight);
}

TfrConnectUser *TfmKavetChat::Frame(int Tab) const {
  if (Tab < 0 || Tab >= pcMain->count()) return nullptr;
  return pcMain->widget(Tab)->findChild<TfrConnectUser *>(QString(), Qt::FindDirectChildrenOnly);
}

TCustomRichVistaEdit *TfmKavetChat::GetTranscriptView(int Tab) const {
  TfrConnectUser *f = Frame(Tab);
  return f ? f->reAllMessage : nullptr;
}

TCustomRichVistaEdit *TfmKavetChat::GetInputBox(int Tab) const {
  TfrConnectUser *f = Frame(Tab);
  return f ? f->reMessage : nullptr;
}

TfrConnectUser *TfmKavetChat::CreateTalkFrame(QWidget *Page, const TTalkFrame &Fields) {
  auto *f = new TfrConnectUser(Page, RVStyle, Fields);
  SetAlign(f, TAlign::alClient);
  FActions->FillSendToolbar(*f->tbSendMessage->Items());
  if (Fields.TalkKind == tkAllUsers)
    // The all-users talk is never closed.
    for (int i = 0; i < f->tbSendMessage->Items()->Count(); ++i)
      if (TTBCustomItem *item = f->tbSendMessage->Items()->ItemAt(i); item->Tag == kCloseTalkTag)
        item->SetVisible(false);
  f->tbSendMessage->SetImages(FBigButtons ? &ilProfilesImage : &ilProfilesImage16x16);
  f->tbGroupUser->SetImages(FBigButtons ? &ilProfilesImage : &ilProfilesImage16x16);
  f->SetInputHeight(TfrConnectUser::InputAreaHeight(StoredInputHeight(), f->height()));
  f->OnInputHeightChanged = [this](int h) { SaveHeightNewMessagePanel(FKey, h); };
  f->reMessage->installEventFilter(this);
  f->reMessage->OnChange = [this](TCustomRichVistaEdit *) { Changed(); };
  WireTalkFrameFiles(*f);
  return f;
}

bool TfmKavetChat::NewTabTakesFocus() const {
  const int active = pcMain->currentIndex();
  if (active < 0) return true;
  const TCustomRichVistaEdit *box = GetInputBox(active);
  return !box || DocumentToText(active).empty();
}

int TfmKavetChat::OpenTalkTab(const std::string &Caption, std::int32_t ImageIndex, const TTalkFrame &Fields) {
  const int before = pcMain->currentIndex();
  const bool focus = NewTabTakesFocus();
  const int tab = THeadlessChatWindows::OpenTalkTab(Caption, ImageIndex, Fields);
  TKcTabSheet *page = pcMain->AddPage(PlainCaption(qs(Caption)));
  page->setObjectName(QStringLiteral("tsTalk%1").arg(tab));
  page->SetImageIndex(ImageIndex);
  CreateTalkFrame(page, Fields);
  NameTalkWidgets(tab, qs(Caption));
  if (focus || before < 0) {
    pcMain->SetActivePage(page);
    if (TCustomRichVistaEdit *box = GetInputBox(tab)) box->setFocus();
  } else {
    // The user is typing to other people: the new talk waits behind.
    Talks().SetActive(before);
  }
  Changed();
  return tab;
}

int TfmKavetChat::ActiveTab() const { return pcMain->currentIndex(); }

void TfmKavetChat::SetTabCaption(int Tab, const std::string &Caption) {
  THeadlessChatWindows::SetTabCaption(Tab, Caption);
  if (auto *page = pcMain->Pages(Tab)) page->SetCaption(PlainCaption(qs(Caption)));
  NameTalkWidgets(Tab, qs(Caption));
  Changed();
}

void TfmKavetChat::SetTabImage(int Tab, std::int32_t ImageIndex) {
  THeadlessChatWindows::SetTabImage(Tab, ImageIndex);
  if (auto *page = pcMain->Pages(Tab)) page->SetImageIndex(ImageIndex);
  Changed();
}

void TfmKavetChat::FreeTab(int Tab) {
  if (Tab <= 0 || Tab >= pcMain->count()) return;
  QWidget *page = pcMain->widget(Tab);
  THeadlessChatWindows::FreeTab(Tab);
  FMessageItems.erase(page);
  pcMain->removeTab(Tab);
  page->deleteLater();
  if (pcMain->currentIndex() >= 0) Talks().SetActive(pcMain->currentIndex());
  Changed();
}

void TfmKavetChat::SaveTalkHistory(int Tab) {
  TfrConnectUser *f = Frame(Tab);
  if (!f) return;
  SaveHeightNewMessagePanel(FKey, f->InputHeight());
  TTalkTab *t = Talks().Tab(Tab);
  if (!t || !SaveHistory || HistoryFolder.empty()) return;
  const RUserID *me = GetUserRecord(0);
  const std::string base =
      FormatText(MessageText(msgtext::FileNameStoryPrefix), {t->Caption, me ? me->ALIAS : std::string()});
  TStorySaveResult r;
  try {
    r = SaveTranscriptFile(*f->reAllMessage, base, HistoryFolder, SaveAsRTF, t->HistoryPath, nowLocal());
  } catch (const std::exception &e) {
    r.Error = e.what();
  }
  if (!r.Error.empty()) {
    // Never silent: the user learns that this talk's history is missing.
    LogFailure("history", r.Error);
    ShowNotice(QStringLiteral("History not saved: ") + QString::fromStdString(r.Error));
  } else if (!r.Path.empty()) {
    t->HistoryPath = SaveAsRTF ? std::string() : r.Path;
  }
}

void TfmKavetChat::ClearTextMessage() {
  const int tab = ActiveTab();
  if (!Frame(tab)) return;
  SaveTalkHistory(tab);
  ClearTranscript(tab);
}

void TfmKavetChat::ClearTranscript(int Tab) {
  TfrConnectUser *f = Frame(Tab);
  if (!f) return;
  f->reAllMessage->ClearDocument();
  f->reAllMessage->ReformatDocument();
  FMessageItems.erase(pcMain->widget(Tab));
  if (TTalkTab *t = Talks().Tab(Tab)) {
    t->Transcript.clear();
    t->HistoryPath.clear();
  }
  Changed();
}

// --- options the actions apply ----------------------------------------------

void TfmKavetChat::ApplyTalkButtonSize(bool Big) {
  FBigButtons = Big;
  TCustomImageList *images = Big ? &ilProfilesImage : &ilProfilesImage16x16;
  pcMain->SetImages(images);
  for (int i = 0; i < pcMain->count(); ++i)
    if (TfrConnectUser *f = Frame(i)) {
      f->tbSendMessage->SetImages(images);
      f->tbGroupUser->SetImages(images);
    }
  if (fmUserList) fmUserList->ApplyButtonSize(Big);
  Changed();
}

void TfmKavetChat::SetGifAnimationFlags(bool Stop, bool Hide) {
  FRenderer->SetStopGifAnimation(Stop);
  FRenderer->SetHideGifAnimation(Hide);
}

void TfmKavetChat::AnimateTranscriptGifs(bool Animate) {
  for (int i = 0; i < pcMain->count(); ++i)
    if (TfrConnectUser *f = Frame(i)) TTranscriptRenderer::SetGifState(*f->reAllMessage, Animate, true);
}

void TfmKavetChat::ShowTranscriptGifs(bool Show) {
  for (int i = 0; i < pcMain->count(); ++i)
    if (TfrConnectUser *f = Frame(i)) TTranscriptRenderer::SetGifState(*f->reAllMessage, Show, false);
}

void TfmKavetChat::ApplyMessageFormat(bool ShowUserIP, bool ShowTime, bool ShowPicture) {
  // The sender's picture always leads a message's header here.
  (void)ShowPicture;
  FRenderer->SetShowUserIP(ShowUserIP);
  FRenderer->SetShowTime(ShowTime);
}

void TfmKavetChat::CloseTalk(int Tab) {
  if (Tab <= 0) return;
  FHost->Net().actCloseTalkExecute(Tab);
}

void TfmKavetChat::SendMessage() {
  const int tab = ActiveTab();
  const TCustomRichVistaEdit *box = GetInputBox(tab);
  if (!box || DocumentToText(tab).empty()) return;
  // Characters the 8-bit message cannot carry go out as "?": say which.
  const TUnsendableText lost = FindUnsendableText(*box);
  FHost->Net().actSendMessageExecute(false);
  // Only for a message that went out (a failed send keeps the box's text);
  // one that carried everything ends the notice of the one before.
  if (DocumentToText(tab).empty()) ShowUnsendableNotice(UnsendableNotice(lost));
  Changed();
}

// --- transcripts ----------------------------------------------------------

void TfmKavetChat::RenderTalkMessage(int Tab, const TTalkMessage &Message) {
  if (!Talks().Tab(Tab)) return;
  THeadlessChatWindows::RenderTalkMessage(Tab, Message);
  ShowInTranscript(Tab, Message);
  Changed();
}

void TfmKavetChat::ShowInTranscript(int Tab, const TTalkMessage &Message) {
  TfrConnectUser *f = Frame(Tab);
  const TTalkTab *t = Talks().Tab(Tab);
  if (!f || !t) return;
  TCustomRichVistaEdit &view = *f->reAllMessage;
  std::deque<int> &counts = FMessageItems[pcMain->widget(Tab)];
  // The model let its oldest messages go to the history: so does the view,
  // before the new one comes (the model already holds it).
  int drop = 0;
  while (!counts.empty() && counts.size() + 1 > t->Transcript.size()) {
    drop += counts.front();
    counts.pop_front();
  }
  // The view lays out only what follows the gap.
  if (drop > 0) view.DeleteItems(0, std::min(drop, view.ItemCountOf()));
  const int before = view.ItemCountOf();
  FItemsForgotten = 0;
  // Appends, formats what it appended and scrolls once (older animations
  // it trims meanwhile were taken off their messages' counts).
  FRenderer->RenderTalkMessage(view, Message);
  counts.push_back(view.ItemCountOf() - before + FItemsForgotten);
}

// --- input boxes ----------------------------------------------------------

bool TfmKavetChat::HasInputBox(int Tab) const { return GetInputBox(Tab) != nullptr; }

std::string TfmKavetChat::DocumentToText(int Tab) const {
  const TCustomRichVistaEdit *box = GetInputBox(Tab);
  const RUserID *me = GetUserRecord(0);
  if (!box || !me) return {};
  return TrimLineBreaks(kc::DocumentToText(*box, *me, &OfferedFiles));
}

bool TfmKavetChat::IsInputReadOnly(int Tab) const {
  const TCustomRichVistaEdit *box = GetInputBox(Tab);
  return box && box->ReadOnly();
}

void TfmKavetChat::ClearInput(int Tab) {
  THeadlessChatWindows::ClearInput(Tab);
  if (TCustomRichVistaEdit *box = GetInputBox(Tab)) {
    box->ClearDocument();
    box->ReformatDocument();
  }
  Changed();
}

void TfmKavetChat::FillAutoReplyInput(int Tab, const std::string &Caption, const std::string &Text) {
  THeadlessChatWindows::FillAutoReplyInput(Tab, Caption, Text);
  TCustomRichVistaEdit *box = GetInputBox(Tab);
  if (!box) return;
  box->ClearDocument();
  box->AddPictureItem("", 3, &ilProfilesImage, 0);
  box->AddTextRun(Caption, kNormalTextStyle);
  box->AddTextParagraph(Text, kNormalTextStyle, 0);
  box->ReformatDocument();
  Changed();
}

void TfmKavetChat::SetPrivateInputsReadOnly(bool ReadOnly) {
  THeadlessChatWindows::SetPrivateInputsReadOnly(ReadOnly);
  for (int i = 0; i < pcMain->count(); ++i) {
    TfrConnectUser *f = Frame(i);
    if (f && f->Fields.TalkKind == tkPrivate) f->reMessage->SetReadOnly(ReadOnly);
  }
  Changed();
}

// --- member toolbars ------------------------------------------------------

bool TfmKavetChat::HasMemberToolbar(int Tab) const { return Frame(Tab) != nullptr; }

void TfmKavetChat::RebuildMemberToolbar(int Tab) {
  TfrConnectUser *f = Frame(Tab);
  const TTalkTab *t = Talks().Tab(Tab);
  if (!f || !t) return;
  TTBRootItem &root = *f->tbGroupUser->Items();
  root.Clear();
  for (const TMemberButton &b : t->Members) root.Add(MakeMemberButton(Tab, b));
  f->UpdateMemberToolbarVisibility();
  Changed();
}

void TfmKavetChat::AddMemberButton(int Tab, std::int32_t UserIndex) {
  THeadlessChatWindows::AddMemberButton(Tab, UserIndex);
  RebuildMemberToolbar(Tab);
}

void TfmKavetChat::RemoveMemberButtons(int Tab, std::int32_t UserIndex) {
  THeadlessChatWindows::RemoveMemberButtons(Tab, UserIndex);
  RebuildMemberToolbar(Tab);
}

void TfmKavetChat::SetMemberButtonChecked(int Tab, std::int32_t UserIndex, bool Checked) {
  THeadlessChatWindows::SetMemberButtonChecked(Tab, UserIndex, Checked);
  RebuildMemberToolbar(Tab);
}

} // namespace kc
