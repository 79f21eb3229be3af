#include "ui/fmErrorUn.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "core/LngUn.h"
#include "platform/CodePage.h"
#include "platform/Log.h"
#include "platform/Screen.h"
#include "platform/MailTo.h"
#include "ui/fmKavetChatActions.h"

namespace kc {

namespace {

std::function<void(TfmError &)> &DialogRunner() {
  static std::function<void(TfmError &)> runner;
  return runner;
}

bool g_showing = false;

QString LanguageText(std::string_view Name) { return QString::fromStdString(ansiToUtf8(MessageText(Name))); }

// A message longer than this is cut: the dialog shows a failure, not a dump.
constexpr qsizetype kMaxShownMessage = 2000;

} // namespace

TfmError::TfmError(QWidget *Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("fmError"));
  setWindowTitle(QStringLiteral("Error"));
  setAccessibleName(QStringLiteral("Error"));
  setMinimumSize(469, 152);
  resize(469, 152);

  imError = new QLabel(this);
  imError->setFixedSize(40, 40);
  imError->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(40, 40));
  lbDexcription = new QLabel(QStringLiteral("Description:"), this);
  lbMessage = new QLabel(this);
  lbMessage->setObjectName(QStringLiteral("lbMessage"));
  stText = new QLabel(this);
  stText->setObjectName(QStringLiteral("stText"));
  stText->setMinimumWidth(401);
  stText->setText(QStringLiteral("Excuse for the inconveniences. Please write us a letter with a description of "
                                 "the error."));
  // Messages may carry anyone's text: never markup, never links.
  for (QLabel *l : {lbDexcription, lbMessage, stText}) {
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
  }
  lbMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
  btnOk = new QPushButton(QStringLiteral("&OK"), this);
  btnOk->setDefault(true);
  btnOk->setAutoDefault(true);
  btnMail = new QPushButton(QStringLiteral("Mail"), this);
  btnMail->setAutoDefault(false);
  connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnMail, &QPushButton::clicked, this, [] { OpenMailTo({std::string(kSupportMailAddress)}); });

  auto *text = new QVBoxLayout;
  text->addWidget(lbDexcription);
  text->addWidget(lbMessage);
  text->addWidget(stText);
  auto *top = new QHBoxLayout;
  top->addWidget(imError, 0, Qt::AlignTop);
  top->addLayout(text, 1);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOk);
  buttons->addWidget(btnMail);
  auto *all = new QVBoxLayout(this);
  all->addLayout(top, 1);
  all->addLayout(buttons);

  const ScreenRect area = screenWorkArea();
  move(area.left + (area.width() - width()) / 2, area.top + (area.height() - height()) / 2);
}

void TfmError::SetLanguageTexts() {
  btnOk->setText(LanguageText("fmErrorbtnOk"));
  btnMail->setText(LanguageText("fmErrorbtnMail"));
  lbDexcription->setText(LanguageText("Description"));
  stText->setText(LanguageText("fmErrorstText"));
}

void TfmError::SetMessage(const QString &Message) {
  QString shown = Message;
  if (shown.size() > kMaxShownMessage) shown = shown.left(kMaxShownMessage) + QStringLiteral("...");
  lbMessage->setText(shown);
}

std::string ExceptionMessage(std::exception_ptr Error) {
  try {
    if (Error) std::rethrow_exception(Error);
  } catch (const std::exception &e) {
    return e.what();
  } catch (...) {
  }
  return "Unknown error";
}

void ApplicationEventsException(QWidget *Parent, const std::string &Message) {
  LogFailure("application event", Message);
  if (g_showing) return;
  struct Showing {
    Showing() { g_showing = true; }
    ~Showing() { g_showing = false; }
  } showing;
  try {
    TfmError dialog(Parent);
    dialog.SetLanguageTexts();
    dialog.SetMessage(QString::fromUtf8(Message.data(), qsizetype(Message.size())));
    if (DialogRunner()) DialogRunner()(dialog);
    else dialog.exec();
  } catch (...) {
    LogCaughtException("error dialog");
  }
}

void SetErrorDialogRunner(std::function<void(TfmError &)> Runner) { DialogRunner() = std::move(Runner); }

} // namespace kc
