#include "ui/fmAboutUn.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/LngUn.h"
#include "platform/CodePage.h"
#include "platform/ShellOpen.h"
#include "ui/ArtUn.h"
#include "ui/fmKavetChatActions.h"

namespace kc {

namespace {

QString msg(std::string_view Name) { return QString::fromStdString(ansiToUtf8(MessageText(Name))); }

} // namespace

TfmAbout::TfmAbout(QWidget *Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("fmAbout"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  resize(423, 303);
  auto *layout = new QVBoxLayout(this);
  imLogo = new QLabel(this);
  imLogo->setObjectName(QStringLiteral("imLogo"));
  imLogo->setPixmap(ProgramIcon().pixmap(48, 48));
  imLogo->setCursor(Qt::PointingHandCursor);
  imLogo->installEventFilter(this);
  lbName = new QLabel(QStringLiteral("Kavet Chat"), this);
  lbName->setObjectName(QStringLiteral("lbName"));
  QFont big = lbName->font();
  big.setPointSize(big.pointSize() + 4);
  big.setBold(true);
  lbName->setFont(big);
  lbVersion = new QLabel(QStringLiteral("Version 1.1 for Linux"), this);
  lbVersion->setObjectName(QStringLiteral("lbVersion"));
  lbMaker = new QLabel(QStringLiteral("Dornick software"), this);
  lbMaker->setObjectName(QStringLiteral("lbMaker"));
  const auto link = [this](const char *Name, std::string_view Target, const QString &Text) {
    auto *l = new QLabel(this);
    l->setObjectName(QString::fromLatin1(Name));
    l->setText(QStringLiteral("<a href=\"x\">%1</a>").arg(Text.toHtmlEscaped()));
    l->setCursor(Qt::PointingHandCursor);
    l->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    const std::string target(Target);
    QObject::connect(l, &QLabel::linkActivated, this, [target](const QString &) { ShellOpen(target); });
    return l;
  };
  lbWeb = link("lbWeb", kCompanySite, QString::fromLatin1(kCompanySite.data(), int(kCompanySite.size())));
  lbMail = link("lbMail", kSupportMail, QStringLiteral("support@example.org"));
  meCredits = new QPlainTextEdit(this);
  meCredits->setObjectName(QStringLiteral("meCredits"));
  meCredits->setReadOnly(true);
  meCredits->setPlainText(QStringLiteral("Built with Qt 6 (LGPL), libjpeg, GoogleTest and Google Benchmark.\n"
                                         "Rich text, GIF pictures, toolbars and menus are Kavet Chat's own."));
  btnOk = new QPushButton(QStringLiteral("OK"), this);
  btnOk->setObjectName(QStringLiteral("btnOk"));
  btnOk->setDefault(true);
  QObject::connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
  for (QWidget *w : {static_cast<QWidget *>(imLogo), static_cast<QWidget *>(lbName), static_cast<QWidget *>(lbVersion),
                     static_cast<QWidget *>(lbMaker), static_cast<QWidget *>(lbWeb), static_cast<QWidget *>(lbMail),
                     static_cast<QWidget *>(meCredits), static_cast<QWidget *>(btnOk)})
    layout->addWidget(w);
  SetLanguage();
}

void TfmAbout::SetLanguage() {
  setWindowTitle(msg("fmAboutCaption"));
  btnOk->setText(msg("btnOkCaption"));
}

void TfmAbout::keyPressEvent(QKeyEvent *Event) {
  if (Event->key() == Qt::Key_Escape || Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) {
    accept();
    return;
  }
  QDialog::keyPressEvent(Event);
}

bool TfmAbout::eventFilter(QObject *Watched, QEvent *Event) {
  // The logo leads to the program's web page.
  if (Watched == imLogo && Event->type() == QEvent::MouseButtonRelease) ShellOpen(std::string(kProductWebPage));
  return QDialog::eventFilter(Watched, Event);
}

} // namespace kc
