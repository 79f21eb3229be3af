#include "platform/Notifications.h"

#include <gtest/gtest.h>

#include "platform/GuiTimer.h"
#include "support/RecordingNotificationBus.h"

using namespace kc;
using kctest::NotificationLog;
using kctest::RecordingNotificationBus;

namespace {

struct Fixture {
  std::shared_ptr<NotificationLog> log = std::make_shared<NotificationLog>();
  std::unique_ptr<DesktopNotifier> notifier;
  void make() {
    notifier =
        std::make_unique<DesktopNotifier>(std::make_unique<RecordingNotificationBus>(log), QStringLiteral("Kavet Chat"),
                                          QStringLiteral("kavetchat"), QStringLiteral("kavetchat"));
  }
};

TEST(DesktopNotifier, OneShownThenReplacedWithTheDesktopsConventions) {
  Fixture f;
  f.make();
  ASSERT_TRUE(f.notifier->show(QStringLiteral("[Ann]"), QStringLiteral("Message from \"[Ann]\"..."), 10000));
  ASSERT_TRUE(f.notifier->show(QStringLiteral("[Bob]"), QStringLiteral("Message from \"[Bob]\"..."), 10000));
  ASSERT_EQ(f.log->calls.size(), 2u);
  const NotifyCall &first = f.log->calls[0], &second = f.log->calls[1];
  EXPECT_EQ(first.replacesId, 0u);
  EXPECT_EQ(second.replacesId, 1u);
  EXPECT_EQ(f.log->onScreen(), 1);
  EXPECT_EQ(second.appName, QStringLiteral("Kavet Chat"));
  EXPECT_EQ(second.appIcon, QStringLiteral("kavetchat"));
  EXPECT_EQ(second.summary, QStringLiteral("[Bob]"));
  EXPECT_EQ(second.hints.value(QStringLiteral("category")).toString(), QStringLiteral("im.received"));
  EXPECT_EQ(second.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("kavetchat"));
  EXPECT_EQ(second.actions, (QStringList{QStringLiteral("default"), QStringLiteral("Open")}));
  EXPECT_EQ(second.expireTimeout, 10000);
}

struct BodyRow {
  const char *name;
  bool markup;
  const char *text;
  const char *body;
};

const BodyRow kBodies[] = {
    {"TagsEscaped", true, "<b>hi</b> & <a href='file:///etc'>x</a>",
     "&lt;b&gt;hi&lt;/b&gt; &amp; &lt;a href=&apos;file:///etc&apos;&gt;x&lt;/a&gt;"},
    {"QuotesEscaped", true, "Message from \"[A&B]\"...", "Message from &quot;[A&amp;B]&quot;..."},
    {"PlainDaemonGetsTheTextAsItIs", false, "<b>a</b> & b", "<b>a</b> & b"},
};

class NotificationBody : public ::testing::TestWithParam<BodyRow> {};

TEST_P(NotificationBody, EscapedWhereTheDaemonReadsMarkup) {
  Fixture f;
  if (!GetParam().markup) f.log->capabilities = {QStringLiteral("actions")};
  f.make();
  f.notifier->show(QStringLiteral("<i>s</i>"), QString::fromUtf8(GetParam().text), 1000);
  ASSERT_EQ(f.log->calls.size(), 1u);
  EXPECT_EQ(f.log->calls[0].body, QString::fromUtf8(GetParam().body));
  EXPECT_EQ(f.log->calls[0].summary, QStringLiteral("<i>s</i>"));
}

INSTANTIATE_TEST_SUITE_P(Table, NotificationBody, ::testing::ValuesIn(kBodies),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST(DesktopNotifier, AFloodWaitsForTheDaemonAndSendsOnlyTheNewest) {
  Fixture f;
  f.log->hold = true;
  f.make();
  for (int i = 0; i < 1000; ++i) f.notifier->show(QStringLiteral("[u%1]").arg(i), QStringLiteral("m%1").arg(i), 1000);
  ASSERT_EQ(f.log->calls.size(), 1u);
  f.log->answer();
  ASSERT_EQ(f.log->calls.size(), 2u);
  EXPECT_EQ(f.log->calls[1].summary, QStringLiteral("[u999]"));
  EXPECT_EQ(f.log->calls[1].replacesId, 1u);
  f.log->answer();
  EXPECT_EQ(f.log->calls.size(), 2u);
  EXPECT_EQ(f.log->onScreen(), 1);
}

TEST(DesktopNotifier, NoDaemonOrAFailedCallTellsTheCallerToFallBack) {
  ManualTimerClock clock;
  Fixture none;
  none.log->available = false;
  none.make();
  EXPECT_FALSE(none.notifier->show(QStringLiteral("a"), QStringLiteral("b"), 1000));
  EXPECT_TRUE(none.log->calls.empty());

  Fixture failing;
  failing.log->fail = true;
  failing.make();
  EXPECT_TRUE(failing.notifier->show(QStringLiteral("a"), QStringLiteral("b"), 1000));
  EXPECT_FALSE(failing.notifier->available());
  EXPECT_FALSE(failing.notifier->show(QStringLiteral("a"), QStringLiteral("b"), 1000));
  EXPECT_EQ(failing.log->calls.size(), 1u);

  // A daemon that comes (back) is found again after a while.
  none.log->available = true;
  failing.log->fail = false;
  clock.advance(29999);
  EXPECT_FALSE(none.notifier->show(QStringLiteral("a"), QStringLiteral("b"), 1000));
  EXPECT_FALSE(failing.notifier->show(QStringLiteral("a"), QStringLiteral("b"), 1000));
  clock.advance(1);
  EXPECT_TRUE(none.notifier->show(QStringLiteral("a"), QStringLiteral("b"), 1000));
  EXPECT_TRUE(failing.notifier->show(QStringLiteral("a"), QStringLiteral("b"), 1000));
  EXPECT_EQ(none.log->calls.size(), 1u);
  EXPECT_EQ(failing.log->calls.size(), 2u);
  EXPECT_EQ(failing.log->calls.back().replacesId, 0u);
}

TEST(DesktopNotifier, ClickOnTheShownOneOnlyAndClosedOnesStartAfresh) {
  Fixture f;
  f.make();
  int clicks = 0;
  f.notifier->onClicked = [&] { ++clicks; };
  f.notifier->show(QStringLiteral("a"), QStringLiteral("b"), 1000);
  f.log->bus->onActionInvoked(7, QStringLiteral("default"));
  f.log->bus->onActionInvoked(1, QStringLiteral("other"));
  EXPECT_EQ(clicks, 0);
  f.log->bus->onActionInvoked(1, QStringLiteral("default"));
  EXPECT_EQ(clicks, 1);
  f.log->bus->onClosed(1, 1);
  f.notifier->show(QStringLiteral("c"), QStringLiteral("d"), 1000);
  EXPECT_EQ(f.log->calls.back().replacesId, 0u);
}

TEST(DesktopNotifier, CloseWhileTheDaemonIsAnsweringClosesWhatItPutUp) {
  Fixture f;
  f.log->hold = true;
  f.make();
  f.notifier->show(QStringLiteral("a"), QStringLiteral("b"), 1000);
  f.notifier->close();
  f.log->answer();
  EXPECT_EQ(f.log->closed, std::vector<std::uint32_t>{1});
  EXPECT_EQ(f.notifier->currentId(), 0u);
}

TEST(DesktopNotifier, GoneBeforeTheAnswerIsSafe) {
  Fixture f;
  f.log->hold = true;
  f.make();
  f.notifier->show(QStringLiteral("a"), QStringLiteral("b"), 1000);
  f.notifier.reset();
  f.log->answer(); // must not touch the notifier
  EXPECT_EQ(f.log->calls.size(), 1u);
}

} // namespace
