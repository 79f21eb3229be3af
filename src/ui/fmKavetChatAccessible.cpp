// The names assistive technology reads for a talk: its tab, its transcript
// and its input box carry the talk's caption, so that a screen reader tells
// whose talk the focus is in.
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

} // namespace kc
