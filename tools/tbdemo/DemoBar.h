#pragma once
// A plain bar window showing one toolbar view: hot-tracks the pointer and
// runs the menu loop when pressed. Docking and the full toolbar come later;
// this is just enough to show menus and buttons.
#include <QWidget>

#include <memory>

#include "toolbars/TBarView.h"

class DemoBar : public QWidget {
public:
  DemoBar(kc::tb::TTBCustomItem *Root, bool MenuBar, QWidget *Parent);
  ~DemoBar() override;
  kc::tb::TTBView *View() const { return view_.get(); }
  // Opens menu Index from the keyboard (as Alt and arrows would).
  void OpenMenu(int Index);

protected:
  void paintEvent(QPaintEvent *) override;
  void mousePressEvent(QMouseEvent *) override;
  void mouseMoveEvent(QMouseEvent *) override;
  void leaveEvent(QEvent *) override;

private:
  std::unique_ptr<kc::tb::TTBView> view_;
};
