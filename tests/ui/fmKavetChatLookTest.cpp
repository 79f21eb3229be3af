// What the main window shows a person beyond the protocol: the status
// panels wide enough for their text, talks named for screen readers,
// hidden animations staying hidden through a new layout, and a send that
// could not carry every typed character saying so.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QTabBar>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <unistd.h>
#include <string>

#include "core/ConstUnit.h"
#include "richtext/controls/RichVistaEdit.h"
#include "platform/SystemColors.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/fmKavetChatActions.h"
#include "ui/fmKavetChatRender.h"
#include "ui/fmKavetChatUn.h"
#include "ui/frConnectUserUn.h"
#include "widgets/KcComCtrls.h"
#include "widgets/KcGIFCtrl.h"
#include "widgets/KcStatusBar.h"

namespace {

using namespace kc;

class MainWindowLook : public ::testing::Test {
protected:
  MainWindowLook()
      : config("XDG_CONFIG_HOME", (dir.path() / "config").string()),
        data("XDG_DATA_HOME", (dir.path() / "data").string()) {
    TNetOptions o;
    o.ListenAddress = o.LocalIP = o.SendHost = "127.0.0.1";
    // A port of this run's own, so that test programs running side by
    // side do not meet.
    o.Port = std::uint16_t(20000 + (::getpid() % 20000));
    w = std::make_unique<TfmKavetChat>(o);
    RUserID me;
    me.ALIAS = "Anna";
    me.ID = "{ANNA}";
    me.IP = "127.0.0.1";
    w->Users().Append(me);
    w->resize(475, 309);
    TTalkFrame all;
    w->OpenTalkTab("All Users", 1, all);
  }

  int open(const std::string &Caption) {
    TTalkFrame f;
    f.TalkKind = tkPrivate;
    f.AutorGroupID = "{B}";
    return w->OpenTalkTab(Caption, 11, f);
  }

  kctest::TempDir dir{"kc-look"};
  kctest::ScopedEnv config, data;
  std::unique_ptr<TfmKavetChat> w;
};

TEST_F(MainWindowLook, StatusPanelsShowTheirWholeText) {
  for (int points : {9, 20}) {
    QFont f = w->KcStatusBar->font();
    f.setPointSize(points);
    w->KcStatusBar->setFont(f);
    w->ShowOwnIdentity();
    for (int panel : {1, 2}) {
      const QString text = w->KcStatusBar->Panels()[panel].Text;
      EXPECT_GE(w->KcStatusBar->PanelRect(panel).width() - 4, w->KcStatusBar->fontMetrics().horizontalAdvance(text))
          << points << " pt, panel " << panel << ": " << text.toStdString();
    }
  }
  EXPECT_EQ(w->KcStatusBar->Panels()[2].Text.trimmed(), "IP: 127.0.0.1");
}

TEST_F(MainWindowLook, TalksAreNamedForScreenReaders) {
  const int tab = open("Boris & Co");
  TfrConnectUser *f = w->Frame(tab);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(w->pcMain->widget(tab)->accessibleName(), "Boris & Co");
  EXPECT_EQ(w->pcMain->tabBar()->accessibleTabName(tab), "Boris & Co");
  EXPECT_EQ(f->reMessage->accessibleName(), "Message to Boris & Co");
  EXPECT_EQ(f->reAllMessage->accessibleName(), "Transcript: Boris & Co");
  w->SetTabCaption(tab, "Boris (away)");
  EXPECT_EQ(f->reMessage->accessibleName(), "Message to Boris (away)");
  EXPECT_EQ(w->accessibleName(), "Kavet Chat");
  // The send toolbar's buttons are named children, not one silent panel.
  QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(f->tbSendMessage);
  ASSERT_NE(bar, nullptr);
  f->tbSendMessage->View()->EnsurePositions();
  QStringList names;
  for (int i = 0; i < bar->childCount(); ++i)
    if (bar->child(i)->role() == QAccessible::Button) names << bar->child(i)->text(QAccessible::Name);
  EXPECT_TRUE(names.contains("Send message")) << names.join('|').toStdString();
  EXPECT_FALSE(names.contains(QString())) << names.join('|').toStdString();
}

TEST_F(MainWindowLook, HiddenAnimationsStayHiddenThroughANewLayout) {
  w->CreateGifCatalogue();
  w->show();
  const int tab = open("Boris");
  TCustomRichVistaEdit *view = w->GetTranscriptView(tab);
  auto gifs = [&] { return view->findChildren<TKcGIFAnimator *>(); };
  auto visible = [&] {
    int n = 0;
    for (TKcGIFAnimator *g : gifs()) n += g->isVisible();
    return n;
  };
  w->RenderTalkMessage(tab, {"{B}", "127.0.0.2", "{[!CONTROL!]}1{[/!CONTROL!]}", 0, 11, "Boris", false});
  ASSERT_EQ(gifs().size(), 1);
  EXPECT_EQ(visible(), 1);
  const struct {
    const char *name;
    std::function<void()> step;
    int shown;
  } steps[] = {
      {"hidden by the option",
       [&] {
         // as the menu's "Hide gif animation" does
         w->ShowTranscriptGifs(false);
         w->SetGifAnimationFlags(false, true);
       },
       0},
      {"a whole new layout", [&] { view->ReformatDocument(); }, 0},
      {"a narrower window",
       [&] {
         w->resize(300, 309);
         QApplication::processEvents();
       },
       0},
      {"a new message",
       [&] {
         w->RenderTalkMessage(tab, {"{B}", "127.0.0.2", "more", 0, 11, "Boris", false});
       },
       0},
      {"shown again",
       [&] {
         w->ShowTranscriptGifs(true);
         w->SetGifAnimationFlags(false, false);
       },
       1},
      {"and after a layout", [&] { view->ReformatDocument(); }, 1},
  };
  for (const auto &s : steps) {
    s.step();
    EXPECT_EQ(visible(), s.shown) << s.name;
  }
}

TEST_F(MainWindowLook, ASendThatLosesCharactersSaysWhich) {
  TRichVistaEdit *box = w->Frame(0)->reMessage;
  auto notice = [&] { return w->KcStatusBar->Panels()[TfmKavetChat::kNoticePanel].Text; };
  box->ReformatDocument();
  box->InsertTextW(u"ok 中文");
  // A send that fails keeps the text and names nothing.
  w->SendMessage();
  EXPECT_FALSE(notice().contains("could not be sent")) << notice().toStdString();
  EXPECT_EQ(w->DocumentToText(0), "ok ??");
  w->ShowNotice(QString());
  for (QWidget *t : QApplication::topLevelWidgets())
    if (t->isVisible() && t != w.get()) t->close(); // the send's error
  // On a network of 127.0.0.1 alone, the send goes out and says what it
  // could not carry.
  ASSERT_TRUE(w->Host().Net().SetNetworkActive(true));
  w->SendMessage();
  EXPECT_EQ(w->DocumentToText(0), "");
  EXPECT_TRUE(notice().contains("2 characters") && notice().contains(QString::fromUtf16(u"中文")))
      << notice().toStdString();
  // The notices the send causes (its echo) do not hide it at once.
  w->Notice("Message from \"[Anna]\"...");
  EXPECT_TRUE(notice().contains("could not be sent")) << notice().toStdString();
  // A send that carries everything says nothing new.
  w->ShowNotice(QString());
  box->InsertTextW(u"plain");
  w->SendMessage();
  EXPECT_EQ(w->DocumentToText(0), "");
  EXPECT_EQ(notice(), QString());
  w->Notice("Message from \"[Anna]\"...");
  EXPECT_EQ(notice(), "Message from \"[Anna]\"...") << "the last send's notice is over";
  w->Host().Net().SetNetworkActive(false);
}

TEST(HelpPages, TheHelpActionFindsThePagesBesideTheProgram) {
  // The build tree keeps the pages beside kavetchat, as an installation
  // keeps them under its share folder.
  const char *bin = std::getenv("KC_BINARY_DIR");
  if (!bin) GTEST_SKIP() << "KC_BINARY_DIR not set";
  const std::filesystem::path app = std::filesystem::path(bin) / "src/app";
  if (!std::filesystem::exists(app / "kavetchat")) GTEST_SKIP() << "kavetchat not built";
  kctest::ScopedEnv dir{"KAVET_RESOURCE_DIR", app.string()};
  EXPECT_EQ(std::filesystem::path(HelpPage(1000)), app / "help/index.html");
  EXPECT_EQ(std::filesystem::path(HelpPage(2000)), app / "help/userlist.html");
}

// The desktop's palette, light or dark, is what the window draws with; a
// user colour too close to the transcript's background is drawn readable.
// KC_LOOK_SHOTS=folder keeps the pictures for a person to look at.
TEST(MainWindowPalette, LightAndDarkDesktopsDrawReadableTranscripts) {
  const QPalette saved = QGuiApplication::palette();
  QPalette dark(QColor(60, 60, 60), QColor(45, 45, 45));
  dark.setColor(QPalette::Base, QColor(25, 25, 25));
  dark.setColor(QPalette::Text, QColor(235, 235, 235));
  dark.setColor(QPalette::WindowText, QColor(235, 235, 235));
  dark.setColor(QPalette::ButtonText, QColor(235, 235, 235));
  QPalette light(QColor(239, 239, 239), QColor(239, 239, 239));
  light.setColor(QPalette::Base, Qt::white);
  light.setColor(QPalette::Text, Qt::black);
  const struct {
    const char *name;
    QPalette palette;
    QColor base;
  } rows[] = {{"light", light, Qt::white}, {"dark", dark, QColor(25, 25, 25)}};
  kctest::TempDir dir{"kc-palette"};
  kctest::ScopedEnv config("XDG_CONFIG_HOME", (dir.path() / "config").string());
  kctest::ScopedEnv data("XDG_DATA_HOME", (dir.path() / "data").string());
  FollowDesktopColors();
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    QApplication::setPalette(row.palette);
    TNetOptions o;
    o.ListenAddress = o.LocalIP = o.SendHost = "127.0.0.1";
    TfmKavetChat w(o);
    RUserID me;
    me.ALIAS = "Anna";
    me.ID = "{ANNA}";
    me.IP = "127.0.0.1";
    w.Users().Append(me);
    w.resize(475, 309);
    w.OpenTalkTab("All Users", 1, TTalkFrame{});
    // Navy text: readable on white, nearly invisible on a dark background.
    w.RenderTalkMessage(0, {"{B}", "127.0.0.2", "navy navy navy navy", std::int32_t(clNavy), 11, "Boris", false});
    w.show();
    QApplication::processEvents();
    const QImage shot = w.GetTranscriptView(0)->grab().toImage();
    if (const char *keep = std::getenv("KC_LOOK_SHOTS"))
      w.grab().save(QString::fromUtf8(keep) + "/window-" + row.name + ".png");
    const QColor back = shot.pixelColor(shot.width() - 30, shot.height() - 8);
    EXPECT_EQ(back, row.base) << "the transcript is the palette's base";
    // The user's text: its most readable bluish pixel.
    double best = 0;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x) {
        const QColor c = shot.pixelColor(x, y);
        if (c.blue() < c.red() + 40) continue;
        best = std::max(best,
                        ContrastRatio(RGB(c.red(), c.green(), c.blue()), RGB(back.red(), back.green(), back.blue())));
      }
    EXPECT_GE(best, kMinTextContrast) << "the user's colour reads on the background";
    w.hide();
  }
  StopFollowingDesktopColors();
  QApplication::setPalette(saved);
}

} // namespace
