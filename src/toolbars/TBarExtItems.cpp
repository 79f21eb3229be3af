#include "toolbars/TBarExtItems.h"

namespace kc::tb {

TTBVisibilityToggleItem::~TTBVisibilityToggleItem() { QObject::disconnect(destroyed_); }

void TTBVisibilityToggleItem::SetControl(QWidget *Control) {
  if (Control == control_) return;
  QObject::disconnect(destroyed_);
  control_ = Control;
  if (Control) {
    destroyed_ = QObject::connect(Control, &QObject::destroyed, [this] {
      control_ = nullptr;
      UpdateCheck();
    });
    if (Caption().isEmpty()) {
      QString text = Control->windowTitle();
      if (text.isEmpty()) text = Control->accessibleName();
      SetCaption(text);
    }
  }
  UpdateCheck();
}

void TTBVisibilityToggleItem::UpdateCheck() {
  // Visible means not hidden by the program: a widget of a window not yet
  // shown still counts as visible.
  SetChecked(control_ && !control_->isHidden());
}

void TTBVisibilityToggleItem::Click() {
  if (control_) control_->setVisible(control_->isHidden());
  TTBCustomItem::Click();
  // Desktop programs update the check on their next idle action update;
  // here nothing runs idle updates, so the item looks again at once.
  UpdateCheck();
}

void TTBVisibilityToggleItem::InitiateAction() {
  TTBCustomItem::InitiateAction();
  UpdateCheck();
}

} // namespace kc::tb
