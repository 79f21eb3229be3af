#pragma once
// The about box: program name, version, maker, the maker's web page and
// support address as links, and the credits of the libraries used. It is
// never modal and frees itself when closed.
#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kc {

class TfmAbout : public QDialog {
public:
  explicit TfmAbout(QWidget *Parent);
  QLabel *imLogo = nullptr, *lbName = nullptr, *lbVersion = nullptr, *lbMaker = nullptr, *lbWeb = nullptr,
         *lbMail = nullptr;
  QPlainTextEdit *meCredits = nullptr;
  QPushButton *btnOk = nullptr;
  // The caption and OK text from the current language texts.
  void SetLanguage();

protected:
  void keyPressEvent(QKeyEvent *Event) override;
  bool eventFilter(QObject *Watched, QEvent *Event) override;
};

} // namespace kc
