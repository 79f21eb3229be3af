// The main window's speed: the bookkeeping of what each transcript widget
// shows, and typing that shows at once.
#include "ui/fmKavetChatUn.h"

#include <QKeyEvent>

#include "richtext/controls/RichVistaEdit.h"
#include "ui/frConnectUserUn.h"
#include "widgets/KcComCtrls.h"

namespace kc {

void TfmKavetChat::ForgetTranscriptItem(TCustomRichVista &Transcript, int ItemNo) {
  for (int tab = 0; tab < pcMain->count(); ++tab) {
    if (GetTranscriptView(tab) != &Transcript) continue;
    const auto found = FMessageItems.find(pcMain->widget(tab));
    if (found == FMessageItems.end()) return;
    // The message that held the item, counted from the oldest.
    int first = 0;
    for (int &count : found->second) {
      if (ItemNo < first + count) {
        --count;
        ++FItemsForgotten;
        return;
      }
      first += count;
    }
    return;
  }
}

bool TfmKavetChat::ShowKeyAtOnce(QObject *Watched, QKeyEvent *Key) {
  // Only plain typing: keys the box may leave to its parents (Escape,
  // shortcuts, Tab) take the usual way.
  const QString text = Key->text();
  if (FKeyInHand || text.isEmpty() || text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7F ||
      (Key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)))
    return false;
  auto *box = dynamic_cast<TCustomRichVistaEdit *>(Watched);
  if (!box || box != GetInputBox(ActiveTab())) return false;
  // The box's own handling (filters of the application saw the key
  // already), then its paint now rather than after the event loop's next
  // turn, which a flood of datagrams may hold up.
  FKeyInHand = true;
  struct Reset {
    bool &Flag;
    ~Reset() { Flag = false; }
  } reset{FKeyInHand};
  static_cast<QObject *>(box)->event(Key);
  if (box->isVisible()) box->repaint();
  return true;
}

} // namespace kc
