// Clipboard paste and drops into the editor (minimal until the formats and
// the drop handling are built: nothing is pasted or dropped).
#include <QDragEnterEvent>
#include <QDropEvent>

#include "richtext/controls/RichVistaEdit.h"

namespace kc {

bool TCustomRichVistaEdit::CanPaste() const { return false; }
void TCustomRichVistaEdit::Paste() {}
bool TCustomRichVistaEdit::PasteRVF() { return false; }
bool TCustomRichVistaEdit::PasteRTF() { return false; }
bool TCustomRichVistaEdit::PasteText() { return false; }
bool TCustomRichVistaEdit::PasteTextW() { return false; }
bool TCustomRichVistaEdit::PasteBitmap(bool) { return false; }
int TCustomRichVistaEdit::OleDrop(const QMimeData &, bool) { return 0; }
bool TCustomRichVistaEdit::InsertDroppedData(const QMimeData &, unsigned) { return false; }
unsigned TCustomRichVistaEdit::PreferredDropFormat() const { return 0; }
void TCustomRichVistaEdit::dragEnterEvent(QDragEnterEvent *Event) { Event->ignore(); }
void TCustomRichVistaEdit::dragMoveEvent(QDragMoveEvent *Event) { Event->ignore(); }
void TCustomRichVistaEdit::dragLeaveEvent(QDragLeaveEvent *) {}
void TCustomRichVistaEdit::dropEvent(QDropEvent *Event) { Event->ignore(); }

} // namespace kc
