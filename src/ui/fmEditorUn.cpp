#include "ui/fmEditorUn.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <cstdlib>

#include "widgets/KcDraw.h"
#include "widgets/glGrBox.h"

namespace kc {

TfmEditor::TfmEditor(TglGroupBox &Box) : QWidget(&Box, Qt::Popup | Qt::FramelessWindowHint), FBox(&Box) {
  setObjectName(QStringLiteral("fmEditor"));
  setAttribute(Qt::WA_DeleteOnClose);
  edEditor = new QLineEdit(this);
  edEditor->setObjectName(QStringLiteral("edEditor"));
  edEditor->setAccessibleName(QStringLiteral("Group name"));
  edEditor->setFrame(false);
  edEditor->setMaxLength(kMaxLength);
  edEditor->installEventFilter(this);
}

QRect TfmEditor::EditorRect(const TglGroupBox &Box) {
  // Over the caption band, right of the glyph.
  const int glyph = const_cast<TglGroupBox &>(Box).GlyphExpanded().width() + 2;
  const QPoint at = Box.mapToGlobal(QPoint(glyph, 1));
  const int h = std::max(14, std::abs(const_cast<TglGroupBox &>(Box).CaptionShift().Y()) - 4);
  return QRect(at, QSize(std::max(20, Box.width() - glyph), h));
}

void TfmEditor::Open(const QString &Text) {
  if (FBox) {
    setGeometry(EditorRect(*FBox));
    QPalette pal = edEditor->palette();
    pal.setColor(QPalette::Base, QColorOf(FBox->Colors().Caption()));
    edEditor->setPalette(pal);
  }
  edEditor->setGeometry(rect());
  edEditor->setText(Text);
  edEditor->selectAll();
  show();
  edEditor->setGeometry(rect());
  activateWindow();
  edEditor->setFocus();
}

void TfmEditor::Finish(bool Commit) {
  if (FClosing) return;
  FClosing = true;
  if (Commit && OnCommit) OnCommit(edEditor->text());
  close();
}

bool TfmEditor::eventFilter(QObject *Watched, QEvent *Event) {
  if (Watched == edEditor) {
    if (Event->type() == QEvent::KeyPress) {
      auto *key = static_cast<QKeyEvent *>(Event);
      if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        Finish(true);
        return true;
      }
      if (key->key() == Qt::Key_Escape) {
        Finish(false);
        return true;
      }
    } else if (Event->type() == QEvent::FocusOut) {
      // A popup loses the focus only when the user went elsewhere.
      if (!isActiveWindow()) Finish(false);
    }
  }
  return QWidget::eventFilter(Watched, Event);
}

} // namespace kc
