#include "ui/PopupPaletteUn.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace kc {

TPopupPalette::TPopupPalette(QWidget *Parent) : QWidget(Parent, Qt::Popup | Qt::FramelessWindowHint) {}

void TPopupPalette::ShowAt(QPoint At) {
  FOpen = true;
  FClosing = false;
  move(At);
  if (OnOpenChanged) OnOpenChanged(true);
  show();
  activateWindow();
}

void TPopupPalette::ClosePalette() {
  const bool wasOpen = FOpen;
  FOpen = false;
  if (wasOpen && OnOpenChanged) OnOpenChanged(false);
  hide();
}

void TPopupPalette::keyPressEvent(QKeyEvent *Event) {
  if (FClosing) return;
  if (Event->key() == Qt::Key_Escape || Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) {
    FClosing = true;
    ClosePalette();
    return;
  }
  QWidget::keyPressEvent(Event);
}

void TPopupPalette::mousePressEvent(QMouseEvent *Event) {
  // A press on the background, or outside the pop-up, closes.
  ClosePalette();
  Event->accept();
}

void TPopupPalette::changeEvent(QEvent *Event) {
  if (Event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible()) ClosePalette();
  QWidget::changeEvent(Event);
}

void TPopupPalette::hideEvent(QHideEvent *Event) {
  // Hidden by the window system (a click elsewhere) counts as closed.
  if (FOpen) ClosePalette();
  QWidget::hideEvent(Event);
}

} // namespace kc
