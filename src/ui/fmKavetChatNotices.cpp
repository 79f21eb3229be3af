// The main window's notices: the last status panel with the sender's small
// picture, the tray icon with its animation and menu, the desktop's
// notification (or the tray's own message), and the event sounds.
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>

#include <algorithm>

#include "core/ConstUnit.h"
#include "platform/CodePage.h"
#include "platform/DesktopMetrics.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "ui/ArtUn.h"
#include "ui/fmKavetChatUn.h"
#include "widgets/CoolTrayIcon.h"
#include "widgets/KcComCtrls.h"
#include "widgets/KcStatusBar.h"
#include "widgets/KcWavePlayer.h"

namespace kc {

namespace {

QString qs(const std::string &Ansi) { return QString::fromStdString(ansiToUtf8(Ansi)); }

constexpr int kNoticeMs = 5000;
constexpr int kBalloonSeconds = 10;
constexpr int kMinPanelWidth = 30, kMaxPanelWidth = 200;
// Messages can come faster than a sound lasts: a sound is not started
// again within this time, so a flood is heard once instead of as noise.
constexpr long long kSoundGapMs = 200;

// The small picture of the last notice: a click opens its talk.
class TNoticeImage : public QLabel {
public:
  using QLabel::QLabel;
  std::function<void()> OnClick;

protected:
  void mousePressEvent(QMouseEvent *Event) override {
    if (Event->button() == Qt::LeftButton && OnClick) OnClick();
    QLabel::mousePressEvent(Event);
  }
};

// Places the picture again whenever the status bar changes size.
class TStatusResizeFilter : public QObject {
public:
  TStatusResizeFilter(QObject *Parent, std::function<void()> OnResize)
      : QObject(Parent), FOnResize(std::move(OnResize)) {}

protected:
  bool eventFilter(QObject *Watched, QEvent *Event) override {
    if (Event->type() == QEvent::Resize) FOnResize();
    return QObject::eventFilter(Watched, Event);
  }

private:
  std::function<void()> FOnResize;
};

} // namespace

void TfmKavetChat::BuildNotices() {
  auto *image = new TNoticeImage(KcStatusBar);
  image->setObjectName(QStringLiteral("imUserImage"));
  image->setAccessibleName(QStringLiteral("Sender of the last notice"));
  image->setScaledContents(true);
  image->setGeometry(0, 2, 16, 16);
  image->setCursor(Qt::PointingHandCursor);
  image->hide();
  image->OnClick = [this] { imUserImageClick(); };
  imUserImage = image;
  FNoticeFilter = new TStatusResizeFilter(this, [this] { KcStatusBarResize(); });
  KcStatusBar->installEventFilter(FNoticeFilter);

  FillTreyAnimation(ilTreyAnimation);
  CoolTrayIcon = new TCoolTrayIcon(this);
  CoolTrayIcon->setObjectName(QStringLiteral("CoolTrayIcon"));
  CoolTrayIcon->SetIconList(&ilTreyAnimation);
  CoolTrayIcon->SetCycleInterval(500);
  CoolTrayIcon->SetIconIndex(0);
  CoolTrayIcon->SetHint(QStringLiteral("Kavet Chat"));
  // Off until the stored option says otherwise: a window must never vanish
  // before the user chose so.
  CoolTrayIcon->SetEnabled(false);
  CoolTrayIcon->SetMinimizeToTray(false);
  CoolTrayIcon->OnClick = [this](TCoolTrayIcon *) { CoolTrayIconClick(); };
  CoolTrayIcon->OnMouseDown = [this](TCoolTrayIcon *, TMouseButton Button, unsigned, QPoint) {
    if (Button != TMouseButton::mbRight) return;
    if (FActions) FActions->pmTrey().Popup(cursorPosition());
  };

  kcWaveAction = new TKcWavePlayer(this);
  kcWaveAction->setObjectName(QStringLiteral("kcWaveAction"));
  kcWaveAction->SetAsynchronous(true);
  kcWaveAction->SetLoop(false);
  kcWaveAction->SetSourceType(TSourceType::frFile);
  SoundFolder = resourcePath("Sound");
  if (!SoundFolder.empty() && SoundFolder.back() != '/') SoundFolder += '/';

  FNotifier = std::make_unique<DesktopNotifier>(createNotificationBus(), QStringLiteral("Kavet Chat"),
                                                QStringLiteral("kavetchat"), QStringLiteral("kavetchat"));
  FNotifier->onClicked = [this] { OpenNoticeTab(); };
}

void TfmKavetChat::CloseNotices() {
  TimerHintInformation.stop();
  if (FNotifier) FNotifier->close();
  if (CoolTrayIcon) {
    CoolTrayIcon->SetEnabled(false);
    CoolTrayIcon->SetCycleIcons(false);
    CoolTrayIcon->SetIconVisible(false);
  }
}

void TfmKavetChat::SetStatusPanel(int Index, const QString &Text) {
  std::vector<TStatusPanel> &panels = KcStatusBar->Panels();
  if (Index < 0 || Index >= int(panels.size())) return;
  const int width = QFontMetrics(KcStatusBar->font()).horizontalAdvance(Text) + 8;
  panels[std::size_t(Index)].Width = std::clamp(width, kMinPanelWidth, kMaxPanelWidth);
  KcStatusBar->SetPanelText(Index, Text);
  KcStatusBarResize();
  Changed();
}

void TfmKavetChat::KcStatusBarResize() {
  if (!imUserImage) return;
  const std::vector<TStatusPanel> &panels = KcStatusBar->Panels();
  int left = 4;
  for (std::size_t i = 0; i + 1 < panels.size(); ++i) left += panels[i].Width;
  imUserImage->move(left, imUserImage->y());
  KcStatusBar->update();
}

void TfmKavetChat::ShowNotification(const std::string &Format, const std::string &Alias, int Tab,
                                    std::int32_t ImageIndex, const std::string &IP) {
  std::string bracket;
  if (!TrimText(Alias).empty()) bracket = "[" + Alias + "]";
  else if (!TrimText(IP).empty()) bracket = "[" + IP + "]";
  const QString title = qs(bracket);
  const QString text = qs(FormatText(Format, {bracket}));
  // A flood of notices shows only the last one: the text changes at once,
  // its width (the text shaped) follows once per turn of the event loop.
  KcStatusBar->SetPanelText(kNoticePanel, QStringLiteral("       ") + text);
  if (!FNoticeFit.active())
    FNoticeFit.start(1, [this] {
      FNoticeFit.stop();
      SetStatusPanel(kNoticePanel, KcStatusBar->Panels()[std::size_t(kNoticePanel)].Text);
    });
  // The echo of a send that lost characters leaves their notice showing.
  KeepUnsendableNotice();

  // Started once: restarting it with every message of a flood would hold
  // the icon on its first frame.
  if (CoolTrayIcon && !CoolTrayIcon->CycleIcons()) CoolTrayIcon->SetCycleIcons(true);

  imUserImage->clear();
  if (ilProfilesImage16x16.ValidIndex(ImageIndex))
    imUserImage->setPixmap(QPixmap::fromImage(ilProfilesImage16x16.GetImage(ImageIndex)));
  // The page itself: tabs closed since would shift an index onto another talk.
  FNoticeTab = Tab >= 0 && Tab < pcMain->count() ? pcMain->widget(Tab) : nullptr;
  imUserImage->setToolTip(title);
  imUserImage->show();
  imUserImage->raise();

  TimerHintInformation.stop();
  TimerHintInformation.start(kNoticeMs, [this] { TimerHintInformationTimer(); });

  // The desktop's notification where there is a daemon, else the tray's.
  // A notification's summary is never empty: the program's name stands in.
  const QString summary = title.isEmpty() ? QStringLiteral("Kavet Chat") : title;
  if (!FNotifier || !FNotifier->show(summary, text, kBalloonSeconds * 1000))
    if (CoolTrayIcon) CoolTrayIcon->ShowBalloonHint(title, text, kBalloonSeconds, TBalloonHintIcon::bitInfo);
  Changed();
}

void TfmKavetChat::TimerHintInformationTimer() {
  if (CoolTrayIcon) {
    CoolTrayIcon->SetCycleIcons(false);
    CoolTrayIcon->SetIconIndex(0);
  }
  imUserImage->hide();
  TimerHintInformation.stop();
  SetStatusPanel(kNoticePanel, QString());
}

void TfmKavetChat::imUserImageClick() {
  if (!FNoticeTab) return;
  const int tab = pcMain->indexOf(FNoticeTab);
  if (tab < 0) return;
  pcMain->SetActivePage(pcMain->Pages(tab));
}

void TfmKavetChat::OpenNoticeTab() {
  CoolTrayIconClick();
  imUserImageClick();
}

void TfmKavetChat::ShowAutoReplyState() {
  const tb::TTBAction &a = FActions->actAnsweringMachine;
  SetStatusPanel(4, a.Checked() ? a.Caption() : QString());
}

void TfmKavetChat::PlayEventSound(int N) {
  const char *file = nullptr;
  const tb::TTBAction *option = nullptr;
  switch (N) {
  case 0: file = "NewUserConnect.wav", option = &FActions->actSoundUserConnect; break;
  case 1: file = "UserDisconnect.wav", option = &FActions->actSoundUserDisconnect; break;
  case 3: file = "OpenKavetChat.wav", option = &FActions->actSoundKavetChat; break;
  case 4: file = "NewMessage.wav", option = &FActions->actSoundNewMessage; break;
  default: return;
  }
  if (!option->Checked() || !kcWaveAction) return;
  const std::string path = SoundFolder + file;
  if (!FileExists(path)) return;
  const long long now = monotonicMs();
  if (now - FLastSoundMs < kSoundGapMs && now >= FLastSoundMs) return;
  FLastSoundMs = now;
  kcWaveAction->SetFileName(QString::fromStdString(path));
  // A damaged file or a desktop without sound output: silence, no error.
  kcWaveAction->Play();
}

void TfmKavetChat::ApplyMinimizeToTray(bool On) {
  if (FActions) FActions->actHideProgramm.SetChecked(On);
  if (!CoolTrayIcon) return;
  CoolTrayIcon->SetMinimizeToTray(On);
  CoolTrayIcon->SetEnabled(On);
}

void TfmKavetChat::CoolTrayIconClick() {
  if (CoolTrayIcon) CoolTrayIcon->ShowMainForm();
  WakeMainWindow();
}

void TfmKavetChat::HideTrayIcon() {
  if (!CoolTrayIcon) return;
  CoolTrayIcon->SetCycleIcons(false);
  CoolTrayIcon->SetIconIndex(0);
  CoolTrayIcon->SetIconVisible(false);
}

} // namespace kc
