#include "ui/SettingsDialogUn.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

namespace kc {

QHBoxLayout *TSettingsDialog::MakeButtonRow() {
  btnOk = new QPushButton(this);
  btnCancel = new QPushButton(this);
  btnApply = new QPushButton(this);
  auto *row = new QHBoxLayout;
  row->addStretch(1);
  for (QPushButton *b : {btnOk, btnCancel, btnApply}) {
    b->setAutoDefault(false);
    row->addWidget(b);
  }
  return row;
}

void TSettingsDialog::keyPressEvent(QKeyEvent *Event) {
  if (!HandleKey(Event)) QDialog::keyPressEvent(Event);
}

bool TSettingsDialog::eventFilter(QObject *Watched, QEvent *Event) {
  if (Event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent *>(Event))) return true;
  return QDialog::eventFilter(Watched, Event);
}

} // namespace kc
