#include "DemoBar.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/DesktopMetrics.h"
#include "platform/TbSystemSettings.h"
#include "platform/GuiTimer.h"
#include "toolbars/TBSkinShared.h"
#include "toolbars/TBarMenuLoop.h"

using namespace kc::tb;

namespace {
class BarView : public TTBView {
public:
  BarView(TTBCustomItem *Root, QWidget *W, bool MenuBar) : TTBView(nullptr, Root, W, true), menuBar_(MenuBar) {}
  bool IsMenuBar() const override { return menuBar_; }
  void ApplyTotalSize(QSize Size) override {
    if (Window()) Window()->setFixedHeight(Size.height());
  }

private:
  bool menuBar_;
};
} // namespace

DemoBar::DemoBar(TTBCustomItem *Root, bool MenuBar, QWidget *Parent) : QWidget(Parent) {
  setMouseTracking(true);
  setFont(MenuFont());
  view_ = std::make_unique<BarView>(Root, this, MenuBar);
  view_->Relayout();
}

DemoBar::~DemoBar() { view_.reset(); }

void DemoBar::paintEvent(QPaintEvent *e) {
  QPainter p(this);
  const TTBBaseSkin *skin = view_->ActiveSkin();
  p.fillRect(rect(), skin ? ToQColor(skin->ElementColor(3)) : ToQColor(kc::clBtnFace));
  p.setFont(font());
  view_->PaintViewers(p, e->rect());
}

void DemoBar::mousePressEvent(QMouseEvent *e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint g = e->globalPosition().toPoint();
  kc::setCursorPosition(g);
  TTBItemViewer *v = view_->ViewerAt(e->position().toPoint());
  if (!v || !v->Item()->Has(ikSelectable)) return;
  view_->SetSelection(v);
  // Modal, as a desktop menu: returns when the menu has closed.
  RunBarMenu(view_.get(), rbmStartedByMouse, g);
}

void DemoBar::mouseMoveEvent(QMouseEvent *e) {
  if (view_->Has(vsInModalLoop)) return;
  kc::setCursorPosition(e->globalPosition().toPoint());
  TTBItemViewer *v = view_->ViewerAt(e->position().toPoint());
  view_->SetSelection(v && v->Item()->Has(ikSelectable) ? v : nullptr);
}

void DemoBar::leaveEvent(QEvent *) {
  if (!view_->Has(vsInModalLoop)) view_->SetSelection(nullptr);
}

void DemoBar::OpenMenu(int Index) {
  int n = 0;
  for (int i = 0; i < view_->ViewerCount(); ++i) {
    TTBItemViewer *v = view_->Viewer(i);
    if (!v->Show || !v->Item()->Has(ikSelectable)) continue;
    if (n++ == Index) {
      view_->SetSelection(v);
      QPointer<DemoBar> self(this);
      kc::postToGuiThread([self] {
        if (self) RunBarMenu(self->View(), rbmKeyboardOpen | rbmSelectFirst, kc::cursorPosition());
      });
      return;
    }
  }
}
