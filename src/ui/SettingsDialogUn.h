#pragma once
// The frame the profile, history and auto-reply dialogs share: OK, Cancel
// and Apply in a row at the bottom right, and the dialog's own keys seen
// before the child that has the focus (its edits and trees would take
// Enter and Escape otherwise).
#include <QDialog>

class QHBoxLayout;
class QPushButton;

namespace kc {

class TSettingsDialog : public QDialog {
public:
  explicit TSettingsDialog(QWidget *Parent) : QDialog(Parent) {}

  QPushButton *btnOk = nullptr, *btnCancel = nullptr, *btnApply = nullptr;

protected:
  // Makes the three buttons, none a default button (Enter is the dialog's
  // own key), and returns their row.
  QHBoxLayout *MakeButtonRow();
  // The dialog's keys; true when the key was used. Children whose keys the
  // dialog must see first install the dialog as their event filter.
  virtual bool HandleKey(QKeyEvent *Event) = 0;

  void keyPressEvent(QKeyEvent *Event) override;
  bool eventFilter(QObject *Watched, QEvent *Event) override;
};

} // namespace kc
