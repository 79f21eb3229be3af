#include "ui/DialogTextsUn.h"

#include "platform/CodePage.h"
#include "platform/ShellOpen.h"
#include "ui/fmKavetChatActions.h"

namespace kc {

QString FromAnsi(std::string_view Bytes) { return QString::fromStdString(ansiToUtf8(Bytes)); }

std::string ToAnsi(const QString &Text) { return utf8ToAnsi(Text.toStdString()); }

QString DialogText(const TLanguageFile &File, std::string_view Section, std::string_view Ident, const char *Default) {
  const std::string def = utf8ToAnsi(Default);
  return FromAnsi(File.ReadString(Section, Ident, def));
}

QString OkCaption() { return FromAnsi(MessageText("btnOkCaption")); }
QString CancelCaption() { return FromAnsi(MessageText("btnCancelCaption")); }
QString ApplyCaption() { return FromAnsi(MessageText("btnApplyCaption")); }

void ShowDialogHelp(int Context) {
  const std::string page = HelpPage(Context);
  if (!page.empty()) ShellOpen(page);
}

} // namespace kc
