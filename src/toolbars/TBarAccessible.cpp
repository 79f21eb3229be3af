#include "toolbars/TBarAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>
#include <map>

#include "toolbars/TBarCommon.h"
#include "toolbars/TBarItem.h"
#include "toolbars/TBarItemViewer.h"
#include "toolbars/TBarPopup.h"
#include "toolbars/TBarToolbar.h"
#include "toolbars/TBarView.h"

namespace kc::tb {

namespace {

// The view a toolbar or a popup window shows its items through.
TTBView *ViewOf(QWidget *W) {
  if (auto *bar = dynamic_cast<TTBCustomToolbar *>(W)) return bar->View();
  if (auto *popup = dynamic_cast<TTBPopupWindow *>(W)) return popup->View();
  return nullptr;
}

// The viewers a view shows, in order.
std::vector<TTBItemViewer *> ShownViewers(TTBView *View) {
  std::vector<TTBItemViewer *> out;
  if (View)
    for (int i = 0; i < View->ViewerCount(); ++i)
      if (TTBItemViewer *v = View->Viewer(i); v && v->Show) out.push_back(v);
  return out;
}

// Whether the view is a menu now: a popup level, or a bar whose menu loop
// runs. Only there does the selection stand for the keyboard focus; on a
// plain toolbar it merely follows the pointer.
bool InMenu(const TTBView &View) { return View.IsPopup() || View.Has(vsInModalLoop) || View.Loop; }

// The item the keyboard is on: the selection of the deepest menu level that
// has one.
bool HasFocus(const TTBView &View, const TTBItemViewer *Viewer) {
  return Viewer && View.Selected() == Viewer && InMenu(View) && !(View.OpenedView && View.OpenedView->Selected());
}

bool IsMenuLike(TTBView *View) { return View && (View->IsPopup() || View->IsMenuBar()); }

// One shown item, named by its place among the shown items: the view is
// asked again on every call, so a changed toolbar or menu never leaves it
// pointing at a freed item.
class ItemAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
  ItemAccessible(QWidget *Owner, int Index) : FOwner(Owner), FIndex(Index) {}

  TTBView *View() const { return FOwner ? ViewOf(FOwner.data()) : nullptr; }
  TTBItemViewer *Viewer() const {
    const std::vector<TTBItemViewer *> shown = ShownViewers(View());
    return FIndex < int(shown.size()) ? shown[size_t(FIndex)] : nullptr;
  }
  TTBCustomItem *Item() const {
    TTBItemViewer *v = Viewer();
    return v ? v->Item() : nullptr;
  }

  bool isValid() const override { return Item() != nullptr; }
  QObject *object() const override { return nullptr; }
  QWindow *window() const override { return FOwner ? FOwner->window()->windowHandle() : nullptr; }
  QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(FOwner.data()); }
  // An item whose menu is open holds that menu, as a desktop menu item does.
  QAccessibleInterface *child(int Index) const override {
    QWidget *popup = Index == 0 ? OpenPopup() : nullptr;
    return popup ? QAccessible::queryAccessibleInterface(popup) : nullptr;
  }
  int childCount() const override { return OpenPopup() ? 1 : 0; }
  int indexOfChild(const QAccessibleInterface *Child) const override { return Child && Child == child(0) ? 0 : -1; }
  QAccessibleInterface *childAt(int, int) const override { return nullptr; }
  QAccessibleInterface *focusChild() const override { return nullptr; }

  QString text(QAccessible::Text T) const override {
    const TTBCustomItem *item = Item();
    if (!item) return {};
    if (role() == QAccessible::Separator) return {};
    const QString caption = StripAccelChars(item->CaptionText()).trimmed();
    switch (T) {
    case QAccessible::Name: return caption.isEmpty() ? item->ShortHint() : caption;
    case QAccessible::Description: return item->LongHint().isEmpty() ? item->ShortHint() : item->LongHint();
    case QAccessible::Accelerator: return item->ShortCutText();
    default: return {};
    }
  }
  void setText(QAccessible::Text, const QString &) override {}

  QRect rect() const override {
    TTBItemViewer *v = Viewer();
    TTBView *view = View();
    if (!v || !view) return {};
    return QRect(view->ClientToScreen(v->BoundsRect.topLeft()), v->BoundsRect.size());
  }
  QAccessible::Role role() const override {
    const TTBCustomItem *item = Item();
    if (dynamic_cast<const TTBSeparatorItem *>(item) || (item && item->Has(ikSeparator))) return QAccessible::Separator;
    return IsMenuLike(View()) ? QAccessible::MenuItem : QAccessible::Button;
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    const TTBCustomItem *item = Item();
    TTBView *view = View();
    if (!item || !view) {
      s.invalid = true;
      return s;
    }
    s.disabled = !item->Enabled();
    s.checkable = item->AutoCheck() || item->Checked();
    s.checked = item->Checked();
    s.hasPopup = item->Has(ikSubmenu);
    s.expanded = s.hasPopup && view->OpenedViewer == Viewer() && view->OpenedView;
    s.collapsed = s.hasPopup && !s.expanded;
    if (role() == QAccessible::Separator) return s;
    s.focusable = true;
    s.focused = HasFocus(*view, Viewer());
    s.hotTracked = view->Selected() == Viewer() && view->MouseOverSelected;
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
  QWidget *OpenPopup() const {
    TTBView *view = View();
    if (!view || !view->OpenedView || view->OpenedViewer != Viewer()) return nullptr;
    return view->OpenedView->Window();
  }

  QPointer<QWidget> FOwner;
  int FIndex;
};

// A toolbar, menu bar or popup menu: its shown items are its children.
class ViewAccessible final : public QAccessibleWidget {
public:
  ViewAccessible(QWidget *Owner, QAccessible::Role Role) : QAccessibleWidget(Owner, Role), FOwner(Owner) {}
  ~ViewAccessible() override {
    for (const auto &[index, id] : FChildren) QAccessible::deleteAccessibleInterface(id);
  }

  QAccessible::Role role() const override {
    if (QAccessibleWidget::role() == QAccessible::PopupMenu) return QAccessible::PopupMenu;
    TTBView *view = FOwner ? ViewOf(FOwner.data()) : nullptr;
    return view && view->IsMenuBar() ? QAccessible::MenuBar : QAccessible::ToolBar;
  }
  int childCount() const override { return FOwner ? int(ShownViewers(ViewOf(FOwner.data())).size()) : 0; }
  QAccessibleInterface *child(int Index) const override {
    if (Index < 0 || Index >= childCount()) return nullptr;
    auto it = FChildren.find(Index);
    if (it == FChildren.end())
      it = FChildren.emplace(Index, QAccessible::registerAccessibleInterface(new ItemAccessible(FOwner, Index))).first;
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
  QAccessibleInterface *focusChild() const override {
    TTBView *view = FOwner ? ViewOf(FOwner.data()) : nullptr;
    if (!view || !HasFocus(*view, view->Selected())) return QAccessibleWidget::focusChild();
    const std::vector<TTBItemViewer *> shown = ShownViewers(view);
    for (size_t i = 0; i < shown.size(); ++i)
      if (shown[i] == view->Selected()) return child(int(i));
    return nullptr;
  }
  QString text(QAccessible::Text T) const override {
    QString s = QAccessibleWidget::text(T);
    if (T == QAccessible::Name && s.isEmpty() && FOwner) {
      s = FOwner->windowTitle();
      // A popup is named by the item it drops from.
      TTBView *view = ViewOf(FOwner.data());
      if (s.isEmpty() && view && view->IsPopup() && view->SourceItem())
        s = StripAccelChars(view->SourceItem()->CaptionText()).trimmed();
    }
    return s;
  }

private:
  QPointer<QWidget> FOwner;
  mutable std::map<int, QAccessible::Id> FChildren;
};

// The item the focus was last given to, so it is not given twice; a menu
// that ends forgets it, and the next menu starts afresh.
struct LastFocus {
  QPointer<QWidget> owner;
  const TTBItemViewer *viewer = nullptr;
};
LastFocus &LastFocused() {
  static LastFocus last;
  return last;
}

AccessibleEventSink &EventSink() {
  static AccessibleEventSink sink;
  return sink;
}

void Send(QAccessibleEvent &Event) {
  if (EventSink()) EventSink()(Event);
  else QAccessible::updateAccessibility(&Event);
}

QAccessibleInterface *Factory(const QString &, QObject *Object) {
  if (auto *bar = dynamic_cast<TTBCustomToolbar *>(Object)) return new ViewAccessible(bar, QAccessible::ToolBar);
  if (auto *popup = dynamic_cast<TTBPopupWindow *>(Object)) return new ViewAccessible(popup, QAccessible::PopupMenu);
  return nullptr;
}

} // namespace

void SetAccessibleEventSink(AccessibleEventSink Sink) { EventSink() = std::move(Sink); }

void InstallToolbarAccessibility() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(&Factory);
}

void AnnounceSelection(TTBView &View) {
  QWidget *owner = View.Window();
  if (!owner || !View.Selected() || !InMenu(View) || !ViewOf(owner)) return;
  QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(owner);
  QAccessibleInterface *item = iface ? iface->focusChild() : nullptr;
  if (!item || item == iface) return;
  // Showing a menu and starting its loop both reach here for one item;
  // a screen reader hears it once.
  LastFocus &last = LastFocused();
  if (last.owner == owner && last.viewer == View.Selected()) return;
  last.owner = owner;
  last.viewer = View.Selected();
  QAccessibleEvent focus(item, QAccessible::Focus);
  Send(focus);
}

void AnnounceMenu(QWidget *Window, bool Opened) {
  TTBView *view = Window ? ViewOf(Window) : nullptr;
  if (!view) return;
  const QAccessible::Event kind = view->IsPopup() ? (Opened ? QAccessible::PopupMenuStart : QAccessible::PopupMenuEnd)
                                                  : (Opened ? QAccessible::MenuStart : QAccessible::MenuEnd);
  if (!Opened) LastFocused() = {};
  QAccessibleEvent event(Window, kind);
  Send(event);
}

} // namespace kc::tb
