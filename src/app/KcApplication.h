#pragma once
// The program's application object: a failure that reaches the event loop
// from any handler is shown in the error dialog and the program goes on.
#include <QApplication>
#include <QPointer>

namespace kc {

class TKcApplication : public QApplication {
public:
  TKcApplication(int &argc, char **argv) : QApplication(argc, argv) {}

  // The window the error dialog belongs to (none: it stands alone).
  void SetMainForm(QWidget *Form) { FMainForm = Form; }

  bool notify(QObject *Receiver, QEvent *Event) override;

private:
  QPointer<QWidget> FMainForm;
};

} // namespace kc
