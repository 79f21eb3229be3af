// Keys of the form that belong to its toolbars: item shortcuts, and the Alt
// keys of a menu bar. One application event filter serves every form while
// any toolbar asks for keys.
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

#include <algorithm>

#include "platform/Beep.h"
#include "toolbars/TBarToolbar.h"

namespace kc::tb {

namespace {

struct Registered {
  QPointer<TTBCustomToolbar> Toolbar;
  TTBCustomToolbar *Key; // identity, also once the pointer has cleared
  bool MenuBar;
};

class ToolbarKeys final : public QObject {
public:
  std::vector<Registered> bars;
  bool altAlone = false;

  // The form a window stands for: a floating toolbar's keys are its form's.
  static QWidget *FormOf(QWidget *W) {
    QWidget *top = W ? W->window() : nullptr;
    if (auto *fp = dynamic_cast<TTBFloatingWindowParent *>(top))
      if (fp->ParentForm()) return fp->ParentForm()->window();
    return top;
  }
  static QWidget *FormOf(TTBCustomToolbar *T) {
    if (QWidget *f = T->ParentForm()) return f->window();
    return FormOf(static_cast<QWidget *>(T));
  }

  std::vector<TTBCustomToolbar *> For(QWidget *Form, bool MenuBarsOnly) const {
    std::vector<TTBCustomToolbar *> out;
    for (const Registered &r : bars)
      if (r.Toolbar && (!MenuBarsOnly || r.MenuBar) && FormOf(r.Toolbar.data()) == Form) out.push_back(r.Toolbar);
    return out;
  }

protected:
  bool eventFilter(QObject *Watched, QEvent *Event) override {
    const QEvent::Type t = Event->type();
    if (t != QEvent::KeyPress && t != QEvent::KeyRelease && t != QEvent::MouseButtonPress) return false;
    if (!Watched->isWidgetType()) return false;
    auto *w = static_cast<QWidget *>(Watched);
    // A key travels from the focus widget up to its window; act once, where
    // it starts.
    QWidget *focus = QApplication::focusWidget();
    if (t != QEvent::MouseButtonPress && w != (focus ? focus : w->window())) return false;
    if (t == QEvent::MouseButtonPress) {
      altAlone = false;
      return false;
    }
    auto *ke = static_cast<QKeyEvent *>(Event);
    QWidget *form = FormOf(w);
    if (t == QEvent::KeyRelease) {
      const bool alt = ke->key() == Qt::Key_Alt && altAlone && !ke->isAutoRepeat();
      altAlone = false;
      return alt && ProcessMenuBarAlt(form);
    }
    if (ke->key() == Qt::Key_Alt) {
      if (!ke->isAutoRepeat()) altAlone = true;
      return false;
    }
    altAlone = false;
    // F10 enters the menu bar as Alt does, as on every desktop (Shift+F10
    // is the context menu's).
    if (ke->key() == Qt::Key_F10 && (ke->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && !ke->isAutoRepeat() &&
        !QWidget::mouseGrabber() && ProcessMenuBarAlt(form))
      return true;
    if (ke->modifiers() == Qt::AltModifier && !ke->text().isEmpty() && !QWidget::mouseGrabber())
      if (ProcessMenuBarKey(form, ke->text().at(0))) return true;
    const TShortCut sc = ShortCutFromKey(ke->key(), ke->modifiers());
    return sc != 0 && ProcessToolbarShortCut(form, sc);
  }
};

ToolbarKeys *g_keys = nullptr;

} // namespace

void RegisterToolbarKeys(TTBCustomToolbar *Toolbar, bool ShortCuts, bool MenuBar) {
  if (g_keys) std::erase_if(g_keys->bars, [Toolbar](const Registered &r) { return r.Key == Toolbar || !r.Toolbar; });
  if (ShortCuts || MenuBar) {
    if (!g_keys) {
      g_keys = new ToolbarKeys;
      qApp->installEventFilter(g_keys);
    }
    g_keys->bars.push_back({Toolbar, Toolbar, MenuBar});
  } else if (g_keys && g_keys->bars.empty()) {
    delete g_keys; // removes its filter
    g_keys = nullptr;
  }
}

bool ProcessToolbarShortCut(QWidget *Form, TShortCut ShortCut) {
  if (!g_keys || !Form) return false;
  for (TTBCustomToolbar *t : g_keys->For(Form->window(), false))
    if (t->isEnabled() && t->IsShortCut(ShortCut)) return true;
  return false;
}

bool ProcessMenuBarKey(QWidget *Form, QChar Key) {
  if (!g_keys || !Form) return false;
  const std::vector<TTBCustomToolbar *> menus = g_keys->For(Form->window(), true);
  if (menus.empty()) return false;
  for (TTBCustomToolbar *t : menus)
    if (t->isEnabled() && t->KeyboardOpen(Key, false)) return true;
  if (Key != u'-') Beep();
  return true;
}

bool ProcessMenuBarAlt(QWidget *Form) {
  if (!g_keys || !Form) return false;
  for (TTBCustomToolbar *t : g_keys->For(Form->window(), true))
    if (t->isEnabled() && t->KeyboardOpen(QChar(), false)) return true;
  return false;
}

} // namespace kc::tb
