// What the main window tells a person beyond the protocol: the names
// assistive technology reads for a talk (its tab, transcript and input box
// carry the talk's caption, so that a screen reader tells whose talk the
// focus is in), and the notice of characters a send could not carry.
#include "ui/fmKavetChatUn.h"

#include <QTabBar>

#include "richtext/controls/RichVistaEdit.h"
#include "ui/frConnectUserUn.h"
#include "widgets/KcComCtrls.h"

namespace kc {

void TfmKavetChat::NameTalkWidgets(int Tab, const QString &Caption) {
  const QString name = Caption.trimmed();
  if (QWidget *page = pcMain->widget(Tab)) page->setAccessibleName(name);
#if QT_CONFIG(accessibility)
  if (QTabBar *bar = pcMain->tabBar(); bar && Tab < bar->count()) bar->setAccessibleTabName(Tab, name);
#endif
  if (TfrConnectUser *f = Frame(Tab)) {
    f->setAccessibleName(name);
    f->reAllMessage->setAccessibleName(QStringLiteral("Transcript: %1").arg(name));
    f->reMessage->setAccessibleName(QStringLiteral("Message to %1").arg(name));
  }
}

namespace {
// How long the notice stays against the notices the send causes.
constexpr std::chrono::milliseconds kUnsendableNoticeHold{3000};
} // namespace

void TfmKavetChat::ShowUnsendableNotice(const QString &Text) {
  FUnsendableNotice = Text;
  FUnsendableUntil = std::chrono::steady_clock::now() + kUnsendableNoticeHold;
  if (!Text.isEmpty()) ShowNotice(Text);
}

void TfmKavetChat::KeepUnsendableNotice() {
  if (FUnsendableNotice.isEmpty()) return;
  if (std::chrono::steady_clock::now() >= FUnsendableUntil) {
    FUnsendableNotice.clear();
    return;
  }
  // Room for the sender's picture a message notice puts at its start.
  ShowNotice(QStringLiteral("       ") + FUnsendableNotice);
}

} // namespace kc
