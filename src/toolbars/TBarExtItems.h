#pragma once
// A menu or toolbar item that shows and hides one widget and is checked
// while the widget is visible.
#include <QPointer>
#include <QWidget>

#include "toolbars/TBarItem.h"

namespace kc::tb {

class TTBVisibilityToggleItem : public TTBCustomItem {
public:
  TTBVisibilityToggleItem() = default;
  ~TTBVisibilityToggleItem() override;
  QWidget *Control() const { return control_; }
  // An item without a caption takes the widget's window title (or its
  // accessible name) as its caption.
  void SetControl(QWidget *Control);
  void Click() override;
  void InitiateAction() override;
  void UpdateCheck();

private:
  QPointer<QWidget> control_;
  QMetaObject::Connection destroyed_;
};

} // namespace kc::tb
