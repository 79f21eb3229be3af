// The error dialog: the failure's message as plain text among the
// language's texts, its buttons, and one dialog at a time.
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <stdexcept>

#include "core/LngUn.h"
#include "platform/Log.h"
#include "platform/ShellOpen.h"
#include "ui/fmErrorUn.h"
#include "ui/fmKavetChatActions.h"

using namespace kc;

namespace {

// What the shown dialog held, read while it was up.
struct Shown {
  QString title, ok, mail, description, message, apology;
  Qt::TextFormat format = Qt::AutoText;
};

struct Capture {
  std::vector<Shown> shown;
  std::vector<std::string> log;
  std::function<void(TfmError &)> also;
  Capture() {
    SetLogSink([this](const std::string &L) { log.push_back(L); });
    SetErrorDialogRunner([this](TfmError &D) {
      shown.push_back({D.windowTitle(), D.btnOk->text(), D.btnMail->text(), D.lbDexcription->text(),
                       D.lbMessage->text(), D.stText->text(), D.lbMessage->textFormat()});
      if (also) also(D);
    });
  }
  ~Capture() {
    SetErrorDialogRunner({});
    SetLogSink({});
    ResetMessageTexts();
  }
};

struct MessageRow {
  const char *name;
  std::string message;
  QString shown;
};

const MessageRow kMessages[] = {
    {"Plain", "List index out of bounds (3)", QStringLiteral("List index out of bounds (3)")},
    {"MarkupStaysText", "<b>bold</b> & <a href=x>link</a>", QStringLiteral("<b>bold</b> & <a href=x>link</a>")},
    {"Utf8", "\xd0\x9e\xd1\x88\xd0\xb8\xd0\xb1\xd0\xba\xd0\xb0", QStringLiteral("Ошибка")},
    {"LongIsCut", std::string(5000, 'x'), QString(2000, u'x') + QStringLiteral("...")},
};

class ErrorDialogMessage : public ::testing::TestWithParam<MessageRow> {};

TEST_P(ErrorDialogMessage, ShowsTheMessageAmongTheDefaultTexts) {
  Capture c;
  ApplicationEventsException(nullptr, GetParam().message);
  ASSERT_EQ(c.shown.size(), 1u);
  const Shown &s = c.shown[0];
  EXPECT_EQ(s.message, GetParam().shown);
  EXPECT_EQ(s.format, Qt::PlainText);
  EXPECT_EQ(s.title, QStringLiteral("Error"));
  EXPECT_EQ(s.ok, QStringLiteral("&OK"));
  EXPECT_EQ(s.mail, QStringLiteral("&Mail>"));
  EXPECT_EQ(s.description, QStringLiteral("Description:"));
  EXPECT_TRUE(s.apology.startsWith(QStringLiteral("Excuse for the inconveniences, not documentary mistake")));
  EXPECT_EQ(c.log.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Table, ErrorDialogMessage, ::testing::ValuesIn(kMessages),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST(ErrorDialog, TakesTheLanguagesTexts) {
  Capture c;
  SetMessageText("fmErrorbtnOk", "&Gut");
  SetMessageText("fmErrorbtnMail", "&Post");
  SetMessageText("Description", "Beschreibung:");
  SetMessageText("fmErrorstText", "Entschuldigung.");
  ApplicationEventsException(nullptr, "x");
  ASSERT_EQ(c.shown.size(), 1u);
  EXPECT_EQ(c.shown[0].ok, QStringLiteral("&Gut"));
  EXPECT_EQ(c.shown[0].mail, QStringLiteral("&Post"));
  EXPECT_EQ(c.shown[0].description, QStringLiteral("Beschreibung:"));
  EXPECT_EQ(c.shown[0].apology, QStringLiteral("Entschuldigung."));
}

TEST(ErrorDialog, AFailureWhileItIsUpIsOnlyLogged) {
  Capture c;
  c.also = [](TfmError &) { ApplicationEventsException(nullptr, "second"); };
  ApplicationEventsException(nullptr, "first");
  ASSERT_EQ(c.shown.size(), 1u);
  EXPECT_EQ(c.shown[0].message, QStringLiteral("first"));
  EXPECT_EQ(c.log.size(), 2u);
  // And the next failure shows again.
  c.also = nullptr;
  ApplicationEventsException(nullptr, "third");
  EXPECT_EQ(c.shown.size(), 2u);
}

TEST(ErrorDialog, ButtonsCloseAndWriteToSupport) {
  std::vector<std::string> opened;
  SetShellOpenSink([&](const std::string &T) {
    opened.push_back(T);
    return true;
  });
  TfmError d;
  EXPECT_TRUE(d.btnOk->isDefault());
  EXPECT_GE(d.width(), 469);
  EXPECT_GE(d.height(), 152);
  d.show();
  d.btnMail->click();
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(opened, std::vector<std::string>{std::string(kSupportMail)});
  d.btnOk->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.result(), QDialog::Accepted);
  d.show();
  QTest::keyClick(&d, Qt::Key_Escape);
  EXPECT_FALSE(d.isVisible());
  SetShellOpenSink({});
}

TEST(ErrorDialog, ExceptionMessages) {
  EXPECT_EQ(ExceptionMessage(std::make_exception_ptr(std::runtime_error("boom"))), "boom");
  EXPECT_EQ(ExceptionMessage(std::make_exception_ptr(42)), "Unknown error");
  EXPECT_EQ(ExceptionMessage(nullptr), "Unknown error");
}

} // namespace
