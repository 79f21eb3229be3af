// Input methods: a committed string is typed as text in one insertion; the
// composition is shown at the caret by the widget and never enters the
// document; the input method asks for the caret's place, the font of the
// current text style and the text of the caret's paragraph.
#include <QInputMethodEvent>
#include <QPainter>

#include "platform/Log.h"
#include "richtext/controls/RichVistaEdit.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

QFont FontOfStyle(const TRVStyle *Style, int StyleNo) {
  QFont f;
  if (!Style) return f;
  const TFontInfo *fi = Style->TextStyles().GetTextStyleSafe(StyleNo);
  f.setFamily(QString::fromStdString(fi->FontName));
  if (fi->Size > 0) f.setPointSize(fi->Size);
  f.setBold(fi->Style & fsBold);
  f.setItalic(fi->Style & fsItalic);
  f.setUnderline(fi->Style & fsUnderline);
  f.setStrikeOut(fi->Style & fsStrikeOut);
  return f;
}

// The UTF-16 text of one item as the input method sees it: a non-text item
// is one object character.
std::u16string ItemTextW(const TRVEditRVData &D, int ItemNo) {
  if (!D.IsTextItem(ItemNo)) return std::u16string(1, char16_t(0xFFFC));
  const std::string raw = D.GetItemTextRaw(ItemNo);
  if (D.GetItem(ItemNo)->IsUnicode()) return RawToWideString(raw);
  return RawToWideString(AnsiToUnicode(D.GetStyleCodePage(D.GetItemStyle(ItemNo)), raw));
}

// Offset (1-based in the item, 0/1 for a non-text item) as UTF-16 units
// from the item's start.
int UnitsBefore(const TRVEditRVData &D, int ItemNo, int Offs) {
  if (!D.IsTextItem(ItemNo)) return Offs >= 1 ? 1 : 0;
  const std::u16string t = ItemTextW(D, ItemNo);
  return std::clamp(Offs - 1, 0, int(t.size()));
}

} // namespace

void TCustomRichVistaEdit::inputMethodEvent(QInputMethodEvent *Event) {
  try {
    const QString commit = Event->commitString();
    if (!commit.isEmpty()) {
      FPreedit.clear();
      const std::u16string text(reinterpret_cast<const char16_t *>(commit.utf16()), size_t(commit.size()));
      SwitchToDefUnicodeStyle();
      InsertTextW(text);
    }
    FPreedit = Event->preeditString();
    FPreeditCursor = int(FPreedit.size());
    for (const QInputMethodEvent::Attribute &a : Event->attributes())
      if (a.type == QInputMethodEvent::Cursor) FPreeditCursor = std::clamp(a.start, 0, int(FPreedit.size()));
    Event->accept();
    update();
    updateMicroFocus();
  } catch (...) {
    LogCaughtException("input method");
  }
}

QVariant TCustomRichVistaEdit::inputMethodQuery(Qt::InputMethodQuery Query) const {
  auto *self = const_cast<TCustomRichVistaEdit *>(this);
  const TRVEditRVData *d = EditData();
  switch (Query) {
  case Qt::ImEnabled: return !GetReadOnly() && Style != nullptr;
  case Qt::ImCursorRectangle: {
    QRect r = CaretRect();
    if (r.isEmpty() && d->CaretDrawItemNo >= 0 && d->CaretHeight > 0)
      r = QRect(d->CaretX - d->GetHOffs(), d->CaretTop - d->GetVOffs(), 1, d->CaretHeight);
    return r;
  }
  case Qt::ImFont: return FontOfStyle(Style, d->CurTextStyleNo);
  case Qt::ImSurroundingText:
  case Qt::ImCursorPosition:
  case Qt::ImAnchorPosition: {
    int item = -1, offs = -1;
    if (!d->GetCaretItemPos(item, offs)) return Query == Qt::ImSurroundingText ? QVariant(QString()) : QVariant(0);
    int first = item, last = item;
    d->ExpandToPara(item, item, first, last);
    std::u16string para;
    int pos = 0;
    for (int i = first; i <= last; ++i) {
      if (i == item) pos = int(para.size()) + UnitsBefore(*d, i, offs);
      para += ItemTextW(*d, i);
    }
    if (Query == Qt::ImSurroundingText) return QString::fromUtf16(para.data(), qsizetype(para.size()));
    return pos;
  }
  case Qt::ImCurrentSelection: return QString::fromStdString(self->EditData()->GetSelectedText(false));
  case Qt::ImHints: return int(Qt::ImhMultiLine);
  default: return TCustomRichVista::inputMethodQuery(Query);
  }
}

void TCustomRichVistaEdit::PaintPreedit(QPainter &Painter, const QRect &Caret) {
  const QFont font = FontOfStyle(Style, EditData()->CurTextStyleNo);
  Painter.setFont(font);
  const QFontMetrics fm(font);
  const int w = fm.horizontalAdvance(FPreedit);
  const int h = std::max(Caret.height(), fm.height());
  const QRect box(Caret.left(), Caret.top(), w + 2, h);
  // The composition covers what lies under it; it is not the document's.
  Painter.fillRect(box, palette().base());
  Painter.setPen(palette().text().color());
  Painter.drawText(box.left() + 1, box.top() + fm.ascent(), FPreedit);
  Painter.drawLine(box.left() + 1, box.bottom(), box.left() + 1 + w, box.bottom());
  if (CaretBlinkOn()) {
    const int x = box.left() + 1 + fm.horizontalAdvance(FPreedit.left(FPreeditCursor));
    Painter.fillRect(QRect(x, box.top(), 1, h), palette().text().color());
  }
}

} // namespace kc
