#pragma once
// The error dialog: what the program shows for a failure that reached the
// application's event loop, with an apology and a way to write to support.
#include <QDialog>

#include <exception>
#include <functional>
#include <string>

class QLabel;
class QPushButton;

namespace kc {

class TfmError : public QDialog {
public:
  explicit TfmError(QWidget *Parent = nullptr);

  // The texts of the selected language (built-in English by default).
  void SetLanguageTexts();
  // The failure's message, shown as plain text.
  void SetMessage(const QString &Message);

  QLabel *imError = nullptr;
  QLabel *lbDexcription = nullptr;
  QLabel *lbMessage = nullptr;
  QLabel *stText = nullptr;
  QPushButton *btnOk = nullptr;
  QPushButton *btnMail = nullptr;
};

// The message of a caught exception ("Unknown error" for one that is not a
// std::exception).
std::string ExceptionMessage(std::exception_ptr Error);

// The application's handler of a failure that reached its event loop: logs
// it and shows Message in the error dialog, modally, with the language's
// texts. While one error dialog is open a further failure is only logged.
void ApplicationEventsException(QWidget *Parent, const std::string &Message);

// Tests look at the dialog instead of running it modally; an empty runner
// restores the modal run.
void SetErrorDialogRunner(std::function<void(TfmError &)> Runner);

} // namespace kc
