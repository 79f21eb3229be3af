#pragma once
// A form's docks and dockable windows as the saved positions see them, and
// the saved-position routines on a form: the settings store calls these
// through its hook (LoadToolbarLayout / SaveToolbarLayout), passing the key
// text of the toolbar layout.
#include <QWidget>

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "toolbars/TBarPositions.h"

namespace kc::tb {

class TTBDock;
class TTBCustomDockableWindow;

// Collects, when made, every dock of Form and every dockable window that
// belongs to it (docked, floating or neither), in the form's child order.
class TTBFormPositions final : public TTBPositionsOwner {
public:
  explicit TTBFormPositions(QWidget *Form);
  ~TTBFormPositions() override;
  std::vector<TTBPositionsDock *> PositionsDocks() const override;
  std::vector<TTBPositionsBar *> PositionsBars() const override;

  class Dock;
  class Bar;
  Dock *AdapterOf(const TTBDock *D) const;

private:
  std::vector<std::unique_ptr<Dock>> docks_;
  std::vector<std::unique_ptr<Bar>> bars_;
};

void LoadDockablePositions(QWidget *Form, std::string_view KeyText);
void SaveDockablePositions(QWidget *Form, std::string_view KeyText);

// The two routines bound to a form, in the shape the settings' hook takes.
std::function<void(std::string_view KeyText)> DockablePositionsLoader(QWidget *Form);
std::function<void(std::string_view KeyText)> DockablePositionsSaver(QWidget *Form);

} // namespace kc::tb
