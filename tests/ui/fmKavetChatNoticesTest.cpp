// The main window's notices on real widgets (offscreen) with a manual
// clock, a recording notification bus and a fake notification area: the
// last status panel and its timer, the sender's picture, the desktop
// notification or the tray's message, event sounds, and minimising into
// the tray.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/GuiTimer.h"
#include "platform/Notifications.h"
#include "platform/TrayIcon.h"
#include "platform/WaveFile.h"
#include "support/RecordingNotificationBus.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/fmKavetChatUn.h"
#include "widgets/CoolTrayIcon.h"
#include "widgets/KcComCtrls.h"
#include "widgets/KcStatusBar.h"
#include "widgets/KcWavePlayer.h"

namespace {

using namespace kc;

// A notification area that records what it is given.
struct FakeTray : TrayIcon {
  bool there = true;
  bool shown = false;
  std::vector<std::pair<QString, QString>> messages;
  bool available() const override { return there; }
  bool show() override { return shown = there; }
  bool hide() override {
    shown = false;
    return there;
  }
  bool visible() const override { return shown; }
  bool modify(const QImage &, const QString &) override { return there; }
  bool showMessage(const QString &Title, const QString &Text, MessageKind, int) override {
    if (there) messages.emplace_back(Title, Text);
    return there;
  }
};

const char *const kSounds[] = {"NewUserConnect.wav", "UserDisconnect.wav", "OpenKavetChat.wav", "NewMessage.wav"};

// A valid, very short wave sound.
std::string WaveBytes() {
  std::string data(200, '\0');
  auto u32 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  auto u16 = [](std::uint16_t v) { return std::string{char(v), char(v >> 8)}; };
  std::string fmt = "fmt " + u32(16) + u16(1) + u16(1) + u32(8000) + u32(16000) + u16(2) + u16(16);
  std::string body = "WAVE" + fmt + "data" + u32(std::uint32_t(data.size())) + data;
  return "RIFF" + u32(std::uint32_t(body.size())) + body;
}

class NoticesTest : public ::testing::Test {
protected:
  NoticesTest()
      : config("XDG_CONFIG_HOME", (dir.path() / "config").string()),
        data("XDG_DATA_HOME", (dir.path() / "data").string()),
        resources("KAVET_RESOURCE_DIR", (dir.path() / "res").string()) {
    std::filesystem::create_directories(dir.path() / "res" / "Sound");
    TNetOptions o;
    o.ListenAddress = o.LocalIP = o.SendHost = "127.0.0.1";
    w = std::make_unique<TfmKavetChat>(o);
    RUserID me;
    me.ALIAS = "Anna";
    me.ID = "{ANNA}";
    me.IP = "127.0.0.1";
    w->Users().Append(me);
    w->resize(600, 309);
    TTalkFrame all;
    w->OpenTalkTab("All Users", 1, all);
  }

  int open(const std::string &Caption) {
    TTalkFrame f;
    f.TalkKind = tkPrivate;
    f.AutorGroupID = "{" + Caption + "}";
    return w->OpenTalkTab(Caption, 11, f);
  }
  void notice(const std::string &Alias, int Tab = 0, const std::string &IP = "198.18.0.2") {
    w->ShowNotification("Message from \"%s\"...", Alias, Tab, 3, IP);
  }
  QString panel(int I) const { return w->KcStatusBar->Panels()[std::size_t(I)].Text; }
  void click() { w->imUserImageClick(); }

  ManualTimerClock timers;
  kctest::TempDir dir{"kc-notices"};
  kctest::ScopedEnv config, data, resources;
  std::shared_ptr<kctest::NotificationLog> log = std::make_shared<kctest::NotificationLog>();
  NotificationBusFactoryOverride bus{[this] { return std::make_unique<kctest::RecordingNotificationBus>(log); }};
  FakeTray *tray = nullptr;
  TrayIconFactoryOverride trayFactory{[this] {
    auto t = std::make_unique<FakeTray>();
    tray = t.get();
    return t;
  }};
  std::unique_ptr<TfmKavetChat> w;
};

TEST_F(NoticesTest, ThreeNoticesWithinFiveSecondsKeepTheLastAndClearFiveSecondsAfterIt) {
  notice("Boris");
  timers.advance(2000);
  notice("Clara");
  timers.advance(2000);
  notice("Dora");
  EXPECT_EQ(panel(TfmKavetChat::kNoticePanel), QStringLiteral("       Message from \"[Dora]\"..."));
  EXPECT_TRUE(w->CoolTrayIcon->CycleIcons());
  // The panel takes the width of the last notice once the turn is over.
  timers.advance(1);
  const QFontMetrics fm(w->KcStatusBar->font());
  EXPECT_EQ(w->KcStatusBar->Panels()[std::size_t(TfmKavetChat::kNoticePanel)].Width,
            std::clamp(fm.horizontalAdvance(panel(TfmKavetChat::kNoticePanel)) + 8, 30, 200));
  timers.advance(4998);
  EXPECT_EQ(panel(TfmKavetChat::kNoticePanel), QStringLiteral("       Message from \"[Dora]\"..."));
  EXPECT_FALSE(w->imUserImage->isHidden());
  EXPECT_EQ(w->imUserImage->toolTip(), QStringLiteral("[Dora]"));
  timers.advance(1);
  EXPECT_EQ(panel(TfmKavetChat::kNoticePanel), QString());
  EXPECT_TRUE(w->imUserImage->isHidden());
  EXPECT_FALSE(w->CoolTrayIcon->CycleIcons());
  EXPECT_EQ(w->CoolTrayIcon->IconIndex(), 0);
  EXPECT_FALSE(w->TimerHintInformation.active());
}

TEST_F(NoticesTest, TheTrayIconAnimatesThroughAFloodOfNotices) {
  ASSERT_GT(w->ilTreyAnimation.Count(), 1);
  std::set<int> frames;
  for (int i = 0; i < 30; ++i) {
    notice("Boris");
    timers.advance(100);
    frames.insert(w->CoolTrayIcon->IconIndex());
  }
  EXPECT_GT(frames.size(), 1u);
}

TEST_F(NoticesTest, PanelWidthFollowsTheTextBetween30And200AndThePictureFollowsThePanels) {
  const QFontMetrics fm(w->KcStatusBar->font());
  struct Row {
    const char *name;
    int index;
    QString text;
    int width;
  } rows[] = {
      {"EmptyIsThirty", 5, QString(), 30},
      {"LongIsCutAt200", 5, QString(300, QLatin1Char('W')), 200},
      {"ShortFollowsTheText", 1, QStringLiteral("Anna Karenina"),
       std::clamp(fm.horizontalAdvance(QStringLiteral("Anna Karenina")) + 8, 30, 200)},
  };
  for (const Row &r : rows) {
    w->SetStatusPanel(r.index, r.text);
    EXPECT_EQ(w->KcStatusBar->Panels()[std::size_t(r.index)].Width, r.width) << r.name;
    EXPECT_EQ(panel(r.index), r.text) << r.name;
  }
  w->SetStatusPanel(6, QStringLiteral("past the last panel"));
  EXPECT_EQ(w->KcStatusBar->Panels().size(), 6u);
  int left = 4;
  for (int i = 0; i < 5; ++i) left += w->KcStatusBar->Panels()[std::size_t(i)].Width;
  EXPECT_EQ(w->imUserImage->x(), left);
}

TEST_F(NoticesTest, TheNameInBracketsFallsBackToTheAddress) {
  struct Row {
    const char *name, *alias, *ip, *text;
  } rows[] = {
      {"Alias", "Boris", "198.18.0.2", "Message from \"[Boris]\"..."},
      {"BlankAliasGivesTheAddress", "  ", "198.18.0.2", "Message from \"[198.18.0.2]\"..."},
      {"BothBlankGiveNothing", " ", " ", "Message from \"\"..."},
  };
  for (const Row &r : rows) {
    notice(r.alias, 0, r.ip);
    EXPECT_EQ(panel(TfmKavetChat::kNoticePanel), QStringLiteral("       ") + QString::fromUtf8(r.text)) << r.name;
  }
  // A notification's summary is never empty.
  EXPECT_EQ(log->calls.back().summary, QStringLiteral("Kavet Chat"));
  EXPECT_EQ(log->calls[1].summary, QStringLiteral("[198.18.0.2]"));
}

TEST_F(NoticesTest, AClickOpensTheNoticesTalkAndNothingOnceItsTabClosed) {
  const int boris = open("Boris"), clara = open("Clara");
  ASSERT_EQ(boris, 1);
  ASSERT_EQ(clara, 2);
  w->pcMain->SetActivePage(w->pcMain->Pages(0));

  notice("Clara", clara);
  w->FreeTab(boris); // Clara's talk moves to index 1
  click();
  EXPECT_EQ(w->pcMain->currentIndex(), 1);
  EXPECT_EQ(w->TabCaption(1), "Clara");

  w->pcMain->SetActivePage(w->pcMain->Pages(0));
  const int dora = open("Dora");
  w->pcMain->SetActivePage(w->pcMain->Pages(0));
  notice("Clara", 1);
  w->FreeTab(1); // Dora's talk now sits where Clara's was
  ASSERT_EQ(w->TabCaption(1), "Dora");
  (void)dora;
  click();
  EXPECT_EQ(w->pcMain->currentIndex(), 0);
}

TEST_F(NoticesTest, OneDesktopNotificationReplacedByTheNextWithTheBodyEscaped) {
  notice("Boris");
  notice("<b>A&B</b>");
  ASSERT_EQ(log->calls.size(), 2u);
  EXPECT_EQ(log->calls[0].replacesId, 0u);
  EXPECT_EQ(log->calls[1].replacesId, 1u);
  EXPECT_EQ(log->onScreen(), 1);
  EXPECT_EQ(log->calls[1].summary, QStringLiteral("[<b>A&B</b>]"));
  EXPECT_EQ(log->calls[1].body, QStringLiteral("Message from &quot;[&lt;b&gt;A&amp;B&lt;/b&gt;]&quot;..."));
  EXPECT_EQ(log->calls[1].hints.value(QStringLiteral("category")).toString(), QStringLiteral("im.received"));
  EXPECT_EQ(log->calls[1].expireTimeout, 10000);
  EXPECT_TRUE(tray->messages.empty());
}

TEST_F(NoticesTest, WithoutANotificationDaemonTheTrayShowsItsOwnMessage) {
  log->available = false;
  w.reset();
  TNetOptions o;
  o.ListenAddress = o.LocalIP = o.SendHost = "127.0.0.1";
  w = std::make_unique<TfmKavetChat>(o);
  TTalkFrame all;
  w->OpenTalkTab("All Users", 1, all);
  notice("Boris");
  EXPECT_TRUE(log->calls.empty());
  ASSERT_EQ(tray->messages.size(), 1u);
  EXPECT_EQ(tray->messages[0].first, QStringLiteral("[Boris]"));
  EXPECT_EQ(tray->messages[0].second, QStringLiteral("Message from \"[Boris]\"..."));
}

TEST_F(NoticesTest, ClickingTheNotificationBringsTheWindowAndTheTalk) {
  const int boris = open("Boris");
  w->pcMain->SetActivePage(w->pcMain->Pages(0));
  notice("Boris", boris);
  ASSERT_NE(log->bus, nullptr);
  log->bus->onActionInvoked(w->Notifier()->currentId(), QStringLiteral("default"));
  EXPECT_EQ(w->pcMain->currentIndex(), boris);
  EXPECT_TRUE(w->isVisible());
}

TEST_F(NoticesTest, AutoReplyStateInPanelFour) {
  w->ActionList().actAnsweringMachine.SetChecked(true);
  w->ShowAutoReplyState();
  EXPECT_EQ(panel(4), w->ActionList().actAnsweringMachine.Caption());
  EXPECT_FALSE(panel(4).isEmpty());
  w->ActionList().actAnsweringMachine.SetChecked(false);
  w->ShowAutoReplyState();
  EXPECT_EQ(panel(4), QString());
}

// ------------------------------------------------------------------ sounds

enum class SoundFile { Present, Missing, Damaged };

struct SoundRow {
  const char *name;
  bool option;
  SoundFile file;
  bool played;     // handed to the player
  bool parseError; // the player refused the file's content
};

const SoundRow kSoundRows[] = {
    {"OnPresent", true, SoundFile::Present, true, false},    {"OnMissing", true, SoundFile::Missing, false, false},
    {"OnDamaged", true, SoundFile::Damaged, true, true},     {"OffPresent", false, SoundFile::Present, false, false},
    {"OffMissing", false, SoundFile::Missing, false, false}, {"OffDamaged", false, SoundFile::Damaged, false, false},
};

class EventSounds : public NoticesTest, public ::testing::WithParamInterface<SoundRow> {};

TEST_P(EventSounds, OptionTimesFile) {
  const SoundRow &r = GetParam();
  const std::string wave = WaveBytes();
  ASSERT_TRUE(parseWave(QByteArray::fromStdString(wave)).sound.has_value());
  for (const char *name : kSounds) {
    const std::string path = (dir.path() / "res" / "Sound" / name).string();
    if (r.file == SoundFile::Missing) continue;
    const std::string bytes = r.file == SoundFile::Present ? wave : wave.substr(0, 30);
    ASSERT_TRUE(WriteFileAtomically(path, bytes));
  }
  // The folder is looked up when the window is made.
  w.reset();
  TNetOptions o;
  o.ListenAddress = o.LocalIP = o.SendHost = "127.0.0.1";
  w = std::make_unique<TfmKavetChat>(o);
  TMainActionList &a = w->ActionList();
  for (tb::TTBAction *option :
       {&a.actSoundUserConnect, &a.actSoundUserDisconnect, &a.actSoundKavetChat, &a.actSoundNewMessage})
    option->SetChecked(r.option);
  int played = 0;
  w->kcWaveAction->BeforePlaying = [&](TKcWavePlayer *) { ++played; };
  // Event number -> file; 2, 5 and -1 are no events.
  const std::pair<int, const char *> events[] = {{0, kSounds[0]}, {1, kSounds[1]}, {2, nullptr}, {3, kSounds[2]},
                                                 {4, kSounds[3]}, {5, nullptr},    {-1, nullptr}};
  for (const auto &[event, file] : events) {
    timers.advance(1000);
    const int before = played;
    EXPECT_NO_THROW(w->PlayEventSound(event));
    if (played == before) continue;
    ASSERT_NE(file, nullptr) << event;
    EXPECT_TRUE(w->kcWaveAction->FileName().endsWith(QString::fromLatin1(file))) << event;
    const QString error = w->kcWaveAction->LastError();
    const bool parseError = !error.isEmpty() && error != QStringLiteral("no sound output");
    EXPECT_EQ(parseError, r.parseError) << error.toStdString();
  }
  EXPECT_EQ(played, r.played ? 4 : 0);
}

INSTANTIATE_TEST_SUITE_P(Table, EventSounds, ::testing::ValuesIn(kSoundRows),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST_F(NoticesTest, AFloodOfMessagesIsHeardOnce) {
  ASSERT_TRUE(WriteFileAtomically((dir.path() / "res" / "Sound" / "NewMessage.wav").string(), WaveBytes()));
  w.reset();
  TNetOptions o;
  o.ListenAddress = o.LocalIP = o.SendHost = "127.0.0.1";
  w = std::make_unique<TfmKavetChat>(o);
  w->ActionList().actSoundNewMessage.SetChecked(true);
  int played = 0;
  w->kcWaveAction->BeforePlaying = [&](TKcWavePlayer *) { ++played; };
  for (int i = 0; i < 50; ++i) {
    w->PlayEventSound(4);
    timers.advance(2);
  }
  EXPECT_EQ(played, 1);
  timers.advance(1000);
  w->PlayEventSound(4);
  EXPECT_EQ(played, 2);
}

// -------------------------------------------------------------------- tray

struct TrayRow {
  const char *name;
  bool trayThere;
  bool option;
  bool hides;
};

const TrayRow kTrayRows[] = {
    {"TrayAndOptionHide", true, true, true},
    {"NoTrayNeverHides", false, true, false},
    {"OptionOffNeverHides", true, false, false},
};

class MinimiseToTray : public NoticesTest, public ::testing::WithParamInterface<TrayRow> {};

TEST_P(MinimiseToTray, HidesOnlyIntoATrayThatIsThereAndAClickBringsItBack) {
  const TrayRow &r = GetParam();
  tray->there = r.trayThere;
  w->ApplyMinimizeToTray(r.option);
  EXPECT_EQ(w->ActionList().actHideProgramm.Checked(), r.option);
  EXPECT_EQ(w->CoolTrayIcon->Enabled(), r.option);
  w->show();
  QApplication::processEvents();
  w->setWindowState(Qt::WindowMinimized);
  QApplication::processEvents();
  timers.runPosted();
  EXPECT_EQ(w->isVisible(), !r.hides);
  EXPECT_EQ(tray->shown, r.hides);
  if (!r.hides) return;
  tray->onActivated(TrayIcon::Activation::Click);
  QApplication::processEvents();
  timers.runPosted();
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->isMinimized());
  EXPECT_FALSE(tray->shown);
}

INSTANTIATE_TEST_SUITE_P(Table, MinimiseToTray, ::testing::ValuesIn(kTrayRows),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST_F(NoticesTest, ASecondStartBringsTheWindowOutOfTheTray) {
  w->ApplyMinimizeToTray(true);
  w->show();
  QApplication::processEvents();
  w->setWindowState(Qt::WindowMinimized);
  QApplication::processEvents();
  ASSERT_FALSE(w->isVisible());
  ASSERT_TRUE(tray->shown);
  w->WakeMainWindow();
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(tray->shown);
}

TEST_F(NoticesTest, TrayMenuOpenAndCloseReachTheWindow) {
  bool closed = false;
  w->OnCloseRequested = [&] { closed = true; };
  w->hide();
  w->ActionList().actOpen.Execute(nullptr);
  EXPECT_TRUE(w->isVisible());
  w->ActionList().actClose.Execute(nullptr);
  EXPECT_TRUE(closed || !w->isVisible());
}

} // namespace
