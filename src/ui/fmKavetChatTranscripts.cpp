// The main window's bookkeeping of what each transcript widget shows.
#include "ui/fmKavetChatUn.h"

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
        return;
      }
      first += count;
    }
    return;
  }
}

} // namespace kc
