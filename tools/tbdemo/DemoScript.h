#pragma once
// Runs a demo script, one command a line, saving a picture of the screen
// after every step:
//   skin classic|officexp|windowsxp|native
//   open N              open menu N of the menu bar from the keyboard
//   hover CAPTION       move the pointer onto the item (bars and open menus)
//   move X Y            move the pointer to window coordinates
//   click CAPTION | click X Y   press and release there
//   press X Y | release X Y
//   key NAME            Down, Up, Left, Right, Return, Escape, Tab, Home,
//                       End, F10, or one character (typed); Ctrl+X for a
//                       shortcut
//   popup X Y           open the context menu at window coordinates
//   drag BAR DOCK       drag a toolbar by its handle into a dock (TopDock,
//                       BottomDock, LeftDock, RightDock)
//   float BAR X Y       drag a toolbar (Ctrl held) to float at a screen point
//   close BAR | restore BAR
//   save | load         write or read the toolbar positions in the settings
//   wait MS
// Lines starting with # are comments.
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

#include "platform/GuiTimer.h"

class DemoScript {
public:
  DemoScript(QWidget *Main, QStringList Lines, QString ShotDir, std::function<void(const QString &)> Log,
             std::function<void(const QString &, const QStringList &)> Command);
  void Start();

private:
  void Tick();
  void Shot();
  QWidget *main_;
  QStringList lines_;
  QString shotDir_;
  std::function<void(const QString &)> log_;
  std::function<void(const QString &, const QStringList &)> command_;
  std::unique_ptr<kc::GuiTimer> timer_;
  int next_ = 0;
  int step_ = 0;
  int waitTicks_ = 0;
};
