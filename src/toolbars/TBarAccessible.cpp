#include "toolbars/TBarAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>
#include <map>

#include "toolbars/TBarCommon.h"
#include "toolbars/TBarItem.h"
#include "toolbars/TBarItemViewer.h"
#include "toolbars/TBarToolbar.h"
#include "toolbars/TBarView.h"

namespace kc::tb {

namespace {

// The viewers a toolbar shows, in order.
std::vector<TTBItemViewer *> ShownViewers(const TTBCustomToolbar &Bar) {
  std::vector<TTBItemViewer *> out;
  if (TTBToolbarView *view = Bar.View())
    for (int i = 0; i < view->ViewerCount(); ++i)
      if (TTBItemViewer *v = view->Viewer(i); v && v->Show) out.push_back(v);
  return out;
}

// One shown item, named by its place among the shown items: the toolbar is
// asked again on every call, so a changed toolbar never leaves it pointing
// at a freed item.
class ItemAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
  ItemAccessible(TTBCustomToolbar *Bar, int Index) : FBar(Bar), FIndex(Index) {}

  TTBItemViewer *Viewer() const {
    if (!FBar) return nullptr;
    const std::vector<TTBItemViewer *> shown = ShownViewers(*FBar);
    return FIndex < int(shown.size()) ? shown[size_t(FIndex)] : nullptr;
  }
  TTBCustomItem *Item() const {
    TTBItemViewer *v = Viewer();
    return v ? v->Item() : nullptr;
  }

  bool isValid() const override { return Item() != nullptr; }
  QObject *object() const override { return nullptr; }
  QWindow *window() const override { return FBar ? FBar->window()->windowHandle() : nullptr; }
  QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(FBar.data()); }
  QAccessibleInterface *child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface *) const override { return -1; }
  QAccessibleInterface *childAt(int, int) const override { return nullptr; }
  QAccessibleInterface *focusChild() const override { return nullptr; }

  QString text(QAccessible::Text T) const override {
    const TTBCustomItem *item = Item();
    if (!item) return {};
    const QString caption = StripAccelChars(item->Caption()).trimmed();
    switch (T) {
    case QAccessible::Name: return caption.isEmpty() ? item->ShortHint() : caption;
    case QAccessible::Description: return item->LongHint().isEmpty() ? item->ShortHint() : item->LongHint();
    default: return {};
    }
  }
  void setText(QAccessible::Text, const QString &) override {}

  QRect rect() const override {
    TTBItemViewer *v = Viewer();
    if (!v || !FBar || !FBar->View()) return {};
    return QRect(FBar->View()->ClientToScreen(v->BoundsRect.topLeft()), v->BoundsRect.size());
  }
  QAccessible::Role role() const override {
    return dynamic_cast<const TTBSeparatorItem *>(Item()) ? QAccessible::Separator : QAccessible::Button;
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    const TTBCustomItem *item = Item();
    if (!item) {
      s.invalid = true;
      return s;
    }
    s.disabled = !item->Enabled();
    s.checkable = item->AutoCheck() || item->Checked();
    s.checked = item->Checked();
    return s;
  }

  void *interface_cast(QAccessible::InterfaceType T) override {
    return T == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
  }
  QStringList actionNames() const override {
    const TTBCustomItem *item = Item();
    if (!item || !item->Enabled() || role() == QAccessible::Separator) return {};
    return {pressAction()};
  }
  void doAction(const QString &Name) override {
    if (Name != pressAction()) return;
    if (TTBCustomItem *item = Item(); item && item->Enabled()) item->Click();
  }
  QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
  QPointer<TTBCustomToolbar> FBar;
  int FIndex;
};

class ToolbarAccessible final : public QAccessibleWidget {
public:
  explicit ToolbarAccessible(TTBCustomToolbar *Bar) : QAccessibleWidget(Bar, QAccessible::ToolBar), FBar(Bar) {}
  ~ToolbarAccessible() override {
    for (const auto &[index, id] : FChildren) QAccessible::deleteAccessibleInterface(id);
  }

  int childCount() const override { return FBar ? int(ShownViewers(*FBar).size()) : 0; }
  QAccessibleInterface *child(int Index) const override {
    if (Index < 0 || Index >= childCount()) return nullptr;
    auto it = FChildren.find(Index);
    if (it == FChildren.end())
      it = FChildren.emplace(Index, QAccessible::registerAccessibleInterface(new ItemAccessible(FBar, Index))).first;
    return QAccessible::accessibleInterface(it->second);
  }
  int indexOfChild(const QAccessibleInterface *Child) const override {
    for (const auto &[index, id] : FChildren)
      if (QAccessible::accessibleInterface(id) == Child) return index;
    return -1;
  }
  QAccessibleInterface *childAt(int X, int Y) const override {
    for (int i = 0; i < childCount(); ++i)
      if (QAccessibleInterface *c = child(i); c && c->rect().contains(X, Y)) return c;
    return nullptr;
  }
  QString text(QAccessible::Text T) const override {
    QString s = QAccessibleWidget::text(T);
    if (T == QAccessible::Name && s.isEmpty() && FBar) s = FBar->windowTitle();
    return s;
  }

private:
  QPointer<TTBCustomToolbar> FBar;
  mutable std::map<int, QAccessible::Id> FChildren;
};

QAccessibleInterface *Factory(const QString &, QObject *Object) {
  if (auto *bar = dynamic_cast<TTBCustomToolbar *>(Object)) return new ToolbarAccessible(bar);
  return nullptr;
}

} // namespace

void InstallToolbarAccessibility() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(&Factory);
}

} // namespace kc::tb
