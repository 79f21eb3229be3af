// tbdemo: a window with docks on its four edges holding a menu bar and a
// toolbar, and a context menu, built from small item trees and drawn and run
// by the toolbar engine. Toolbars can be dragged between the docks, floated,
// closed and restored, and their positions saved in the settings.
//   tbdemo [--skin classic|officexp|windowsxp|native] [--script FILE --shot DIR]
// With a script the demo runs it (see DemoScript.h), writes a picture after
// each step and a log to DIR/log.txt (also on standard output), and quits.
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <memory>

#include "DemoScript.h"
#include "platform/DesktopMetrics.h"
#include "platform/Files.h"
#include "platform/ProgramKey.h"
#include "platform/TbSystemSettings.h"
#include "toolbars/TBarDockPositions.h"
#include "toolbars/TBarExtItems.h"
#include "toolbars/TBarMenuLoop.h"
#include "toolbars/TBarPopup.h"
#include "toolbars/TBarToolbar.h"

using namespace kc::tb;

namespace {

QStringList g_log;
QString g_logPath;

void Log(const QString &Line) {
  g_log << Line;
  std::fprintf(stdout, "%s\n", Line.toUtf8().constData());
  std::fflush(stdout);
}

TTBCustomItem *Add(TTBCustomItem &Parent, const char *Caption, TTBCustomItem *Item = nullptr) {
  if (!Item) Item = new TTBItem;
  Item->SetCaption(QString::fromUtf8(Caption));
  Item->SetName(QString::fromUtf8(Caption).remove(u'&').section(u'\t', 0, 0));
  if (!Item->Has(ikSubmenu) && !Item->Has(ikSeparator))
    Item->OnClick = [](TTBCustomItem *s) {
      Log(QStringLiteral("click %1 inloop=%2").arg(s->Name()).arg(CurrentMenuLoop() ? 1 : 0));
    };
  Parent.Add(Item);
  return Item;
}

TTBSkins SkinOf(const QString &Name) {
  if (Name == QLatin1String("officexp")) return tbsOfficeXP;
  if (Name == QLatin1String("windowsxp")) return tbsWindowsXP;
  if (Name == QLatin1String("native")) return tbsNativeXP;
  return tbsDisabled;
}

class Content : public QWidget {
public:
  explicit Content(QWidget *Parent) : QWidget(Parent) {}
  TTBPopupMenu *Menu = nullptr;

protected:
  void paintEvent(QPaintEvent *) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawText(rect(), Qt::AlignCenter, QStringLiteral("Right-click for the context menu"));
  }
  void mousePressEvent(QMouseEvent *e) override {
    if (e->button() == Qt::RightButton && Menu) Menu->Popup(e->globalPosition().toPoint());
  }
};

// The main window: docks on the four edges around the content; a dock that
// grows or shrinks with its bars gives the content its room back. Key
// presses that are shortcuts of menu items run them.
class MainWindow : public QWidget {
public:
  TTBCustomItem *Menus = nullptr;
  TTBDock *Docks[4] = {};
  QWidget *Middle = nullptr;

  void LayOut() {
    if (laying_ || !Docks[0]) return;
    laying_ = true;
    // Twice: a dock's new length may change its thickness once more.
    for (int pass = 0; pass < 2; ++pass) {
      const int W = width(), H = height();
      const int top = Docks[dpTop]->height(), bottom = Docks[dpBottom]->height();
      const int left = Docks[dpLeft]->width(), right = Docks[dpRight]->width();
      Docks[dpTop]->setGeometry(0, 0, W, top);
      Docks[dpBottom]->setGeometry(0, H - bottom, W, bottom);
      Docks[dpLeft]->setGeometry(0, top, left, H - top - bottom);
      Docks[dpRight]->setGeometry(W - right, top, right, H - top - bottom);
      if (Middle) Middle->setGeometry(left, top, W - left - right, H - top - bottom);
    }
    laying_ = false;
  }

protected:
  void keyPressEvent(QKeyEvent *e) override {
    const TShortCut sc = ShortCutFromKey(e->key(), e->modifiers());
    if (!Menus || !DispatchShortCut(Menus, sc)) QWidget::keyPressEvent(e);
  }
  void resizeEvent(QResizeEvent *) override { LayOut(); }
  bool eventFilter(QObject *Watched, QEvent *Event) override {
    if (Event->type() == QEvent::Resize) LayOut();
    return QWidget::eventFilter(Watched, Event);
  }

private:
  bool laying_ = false;
};

const char *const kDockNames[4] = {"TopDock", "BottomDock", "LeftDock", "RightDock"};
constexpr std::string_view kLayoutKey = "Software\\Dornick\\Kavet Chat\\TBPAP";

struct Demo {
  TTBPopupMenu context;
  TTBSkin skin;
  MainWindow main;
  TTBToolbar *menuBar = nullptr;
  TTBToolbar *toolBar = nullptr;
  Content *content = nullptr;

  Demo() {
    main.setWindowTitle(QStringLiteral("tbdemo"));
    main.setFont(MenuFont());
    for (int i = 0; i < 4; ++i) {
      main.Docks[i] = new TTBDock(&main, TTBDockPosition(i));
      main.Docks[i]->setObjectName(QString::fromLatin1(kDockNames[i]));
    }
    menuBar = new TTBToolbar(&main);
    toolBar = new TTBToolbar(&main);
    menuBar->setObjectName(QStringLiteral("Menu"));
    toolBar->setObjectName(QStringLiteral("Standard"));
    TTBCustomItem &menuRoot = *menuBar->Items();
    TTBCustomItem &toolRoot = *toolBar->Items();
    TTBCustomItem *file = Add(menuRoot, "&File", new TTBSubmenuItem);
    Add(*file, "&New")->SetShortCut(scCtrl | 'N');
    Add(*file, "&Open...");
    TTBCustomItem *recent = Add(*file, "&Recent", new TTBSubmenuItem);
    Add(*recent, "&One");
    Add(*recent, "&Two");
    Add(*file, "-", new TTBSeparatorItem);
    Add(*file, "E&xit");
    TTBCustomItem *edit = Add(menuRoot, "&Edit", new TTBSubmenuItem);
    Add(*edit, "&Copy\tCtrl+C");
    Add(*edit, "&Paste\tCtrl+V")->SetEnabled(false);
    TTBCustomItem *view = Add(menuRoot, "&View", new TTBSubmenuItem);
    // Shows and hides the Standard toolbar, checked while it is shown (also
    // after its own close button hid it).
    auto *tools = new TTBVisibilityToggleItem;
    Add(*view, "&Toolbar", tools);
    tools->SetControl(toolBar);
    Add(menuRoot, "&Help", new TTBSubmenuItem);
    Add(*menuRoot.ItemAt(3), "&About");

    TTBCustomItem *bold = Add(toolRoot, "&Bold");
    bold->SetAutoCheck(true);
    Add(toolRoot, "&Send");
    Add(toolRoot, "-", new TTBSeparatorItem);
    TTBCustomItem *smile = Add(toolRoot, "S&mile", new TTBSubmenuItem);
    smile->SetDropdownCombo(true);
    Add(*smile, "&Happy");
    Add(*smile, "&Sad");

    Add(*context.Items(), "&Private talk");
    Add(*context.Items(), "&Profile...");
    Add(*context.Items(), "-", new TTBSeparatorItem);
    TTBCustomItem *move = Add(*context.Items(), "&Move to group", new TTBSubmenuItem);
    Add(*move, "&Friends");
    Add(*move, "&Work");

    main.Menus = &menuRoot;
    content = new Content(&main);
    content->Menu = &context;
    main.Middle = content;
    for (TTBDock *d : main.Docks) d->installEventFilter(&main);
    menuBar->SetCaption(QStringLiteral("Menu"));
    toolBar->SetCaption(QStringLiteral("Standard"));
    for (TTBToolbar *t : {menuBar, toolBar}) {
      // A floating toolbar stays up while the demo runs without a window
      // manager to make it active.
      t->SetHideWhenInactive(false);
      t->setFont(MenuFont());
    }
    menuBar->SetMenuBar(true);
    menuBar->SetCurrentDock(main.Docks[dpTop]);
    toolBar->SetDockRow(1);
    toolBar->SetCurrentDock(main.Docks[dpTop]);
    main.setGeometry(40, 40, 480, 320);
    main.LayOut();
  }

  void SetSkin(const QString &Name) {
    skin.SetSkinType(SkinOf(Name));
    skin.SetOptions(skin.Options() | tboShadow);
    context.SetSkin(&skin);
    for (TTBToolbar *b : {menuBar, toolBar}) {
      b->SetSkin(&skin);
      b->Arrange();
    }
  }

  TTBToolbar *BarNamed(const QString &Name) const {
    for (TTBToolbar *b : {menuBar, toolBar})
      if (b->objectName().compare(Name, Qt::CaseInsensitive) == 0) return b;
    Log(QStringLiteral("no toolbar %1").arg(Name));
    return nullptr;
  }

  TTBDock *DockNamed(const QString &Name) const {
    for (TTBDock *d : main.Docks)
      if (d->objectName().compare(Name, Qt::CaseInsensitive) == 0) return d;
    Log(QStringLiteral("no dock %1").arg(Name));
    return nullptr;
  }

  // Opens menu Index of the menu bar from the keyboard (as Alt and arrows
  // would).
  void OpenMenu(int Index) {
    TTBView *view = menuBar->View();
    view->EnsurePositions();
    int n = 0;
    for (int i = 0; i < view->ViewerCount(); ++i) {
      TTBItemViewer *v = view->Viewer(i);
      if (!v->Show || !v->Item()->Has(ikSelectable)) continue;
      if (n++ == Index) {
        view->SetSelection(v);
        QPointer<TTBToolbar> bar(menuBar);
        kc::postToGuiThread([bar] {
          if (bar) RunBarMenu(bar->View(), rbmKeyboardOpen | rbmSelectFirst, kc::cursorPosition());
        });
        return;
      }
    }
  }

  // Drags a toolbar by its handle (or its caption while floating) along a
  // few steps to Target, as a hand would; Ctrl held keeps it from docking.
  static void DragBar(TTBToolbar *Bar, QPoint Target, bool Ctrl) {
    QWidget *outer = Bar->Floating() && Bar->FloatParent() ? static_cast<QWidget *>(Bar->FloatParent()) : Bar;
    const QPoint grab = Bar->Floating() ? QPoint(outer->width() / 2, 4) : QPoint(3, Bar->height() / 2);
    const QPoint from = outer->mapToGlobal(grab);
    Bar->StartDrag(grab, Ctrl, false);
    const int steps = 6;
    for (int i = 1; i <= steps; ++i) {
      const QPoint at = from + (Target - from) * i / steps;
      kc::setCursorPosition(at);
      Bar->DragTo(at, Ctrl);
    }
    Bar->EndMoving(true);
    kc::setCursorPosition(std::nullopt);
  }

  // "bar NAME DOCK|floating|none ROW POS X Y W H visible|hidden": where a
  // toolbar stands, its outer rectangle on the screen.
  void LogBars() const {
    for (TTBToolbar *b : {menuBar, toolBar}) {
      const QWidget *outer = b->Floating() && b->FloatParent() ? static_cast<QWidget *>(b->FloatParent()) : b;
      const QRect g(outer->mapToGlobal(QPoint(0, 0)), outer->size());
      const QString where = b->CurrentDock() ? b->CurrentDock()->objectName()
                            : b->Floating()  ? QStringLiteral("floating")
                                             : QStringLiteral("none");
      Log(QStringLiteral("bar %1 %2 %3 %4 %5 %6 %7 %8 %9")
              .arg(b->objectName(), where)
              .arg(b->DockRow())
              .arg(b->DockPos())
              .arg(g.x())
              .arg(g.y())
              .arg(g.width())
              .arg(g.height())
              .arg(b->Visible() && outer->isVisible() ? QStringLiteral("visible") : QStringLiteral("hidden")));
      // "hot NAME ITEM": the item under the pointer on a bar, or "-".
      const TTBItemViewer *sel = b->View()->Selected();
      Log(QStringLiteral("hot %1 %2").arg(b->objectName(), sel ? sel->Item()->Name() : QStringLiteral("-")));
    }
  }

  // The views shown now, deepest menu level first, then the bars.
  std::vector<TTBView *> Views() const {
    std::vector<TTBView *> out;
    for (TTBToolbar *b : {menuBar, toolBar}) {
      std::vector<TTBView *> chain;
      for (TTBView *v = b->View(); v; v = v->OpenedView) chain.push_back(v);
      out.insert(out.begin(), chain.rbegin(), chain.rend());
    }
    if (TTBMenuLoop *l = CurrentMenuLoop()) {
      std::vector<TTBView *> chain;
      for (TTBView *v = l->Control.RootView; v; v = v->OpenedView) chain.push_back(v);
      for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if (std::find(out.begin(), out.end(), *it) == out.end()) out.insert(out.begin(), *it);
    }
    return out;
  }

  bool FindItem(const QString &Caption, QPoint &Global) const {
    for (TTBView *v : Views())
      for (int i = 0; i < v->ViewerCount(); ++i) {
        TTBItemViewer *iv = v->Viewer(i);
        if (iv->Show && iv->Item()->Name().compare(Caption, Qt::CaseInsensitive) == 0) {
          Global = v->ClientToScreen(iv->BoundsRect.center());
          return true;
        }
      }
    return false;
  }

  void LogPopups() const {
    int level = 0;
    for (TTBView *v : Views()) {
      if (!v->IsPopup() || !v->Window() || !v->Window()->isVisible()) continue;
      const QRect g = v->Window()->geometry();
      QString sel = v->Selected() ? v->Selected()->Item()->Name() : QStringLiteral("-");
      Log(QStringLiteral("popup %1 %2 %3 %4 %5 selected=%6")
              .arg(level++)
              .arg(g.x())
              .arg(g.y())
              .arg(g.width())
              .arg(g.height())
              .arg(sel));
    }
  }
};

QWidget *TargetAt(QPoint Global, QWidget *Fallback) {
  if (TTBMenuLoop *l = CurrentMenuLoop())
    if (QWidget *w = l->LoopWindowAt(Global)) return w;
  QWidget *w = kc::tbWidgetAt(Global);
  return w ? w : Fallback;
}

void SendMouse(QEvent::Type Type, QPoint Global, Qt::MouseButton Button, QWidget *Fallback) {
  kc::setCursorPosition(Global);
  QWidget *target = TargetAt(Global, Fallback);
  const QPointF local = target->mapFromGlobal(QPointF(Global));
  Qt::MouseButtons buttons = Type == QEvent::MouseButtonPress ? Qt::MouseButtons(Button) : Qt::NoButton;
  QCoreApplication::postEvent(target, new QMouseEvent(Type, local, QPointF(Global), Button, buttons, Qt::NoModifier));
}

// Runs Fn once after Ms; a run that ends first drops it with the
// application, so nothing outlives the demo.
void Later(int Ms, std::function<void()> Fn) { QTimer::singleShot(Ms, qApp, std::move(Fn)); }

int KeyOf(const QString &Name) {
  static const std::pair<const char *, int> keys[] = {
      {"Down", Qt::Key_Down},     {"Up", Qt::Key_Up},         {"Left", Qt::Key_Left}, {"Right", Qt::Key_Right},
      {"Return", Qt::Key_Return}, {"Escape", Qt::Key_Escape}, {"Tab", Qt::Key_Tab},   {"Home", Qt::Key_Home},
      {"End", Qt::Key_End},       {"F10", Qt::Key_F10},       {"F1", Qt::Key_F1}};
  for (auto &k : keys)
    if (Name == QLatin1String(k.first)) return k.second;
  return 0;
}

// Where a bar dragged into Dock lands: a little way in from its outer edge.
QPoint IntoDock(const TTBDock &Dock) {
  const QRect r(Dock.mapToGlobal(QPoint(0, 0)), Dock.size());
  QPoint target = r.center();
  if (Dock.Position() == dpLeft) target.setX(r.left() + 2);
  else if (Dock.Position() == dpRight) target.setX(r.left() + r.width() - 3);
  else if (Dock.Position() == dpTop) target.setY(r.top() + 2);
  else target.setY(r.top() + r.height() - 3);
  return target;
}

// "Ctrl+N": a shortcut; otherwise a named key or one typed character, to
// the open popup or else the main window.
void SendKey(const QString &Name, QWidget *Main) {
  QWidget *target = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : Main;
  Qt::KeyboardModifiers mods = Qt::NoModifier;
  QString rest = Name;
  if (rest.startsWith(QLatin1String("Ctrl+"))) {
    mods = Qt::ControlModifier;
    rest = rest.mid(5);
  }
  const int named = KeyOf(rest);
  const QString text = named || mods ? QString() : rest.left(1);
  QCoreApplication::postEvent(
      target, new QKeyEvent(QEvent::KeyPress, named ? named : int(rest.at(0).toUpper().unicode()), mods, text));
}

// The place a mouse command names: "X Y" in the main window, or an item's
// caption.
bool PointOf(const Demo &D, const QStringList &W, QPoint &Global) {
  if (W.size() >= 2 && W[0].toInt() >= 0 && !W[0].isEmpty() && W[0][0].isDigit()) {
    Global = D.main.mapToGlobal(QPoint(W[0].toInt(), W[1].toInt()));
    return true;
  }
  if (!D.FindItem(W.join(u' '), Global)) {
    Log(QStringLiteral("no item %1").arg(W.join(u' ')));
    return false;
  }
  return true;
}

// The mouse commands: hover, move, click, press, release, popup.
bool RunMouseCommand(Demo &D, const QString &Cmd, const QStringList &W) {
  QWidget *main = &D.main;
  QPoint g;
  if (Cmd == QLatin1String("hover") || Cmd == QLatin1String("move")) {
    if (PointOf(D, W, g)) SendMouse(QEvent::MouseMove, g, Qt::NoButton, main);
  } else if (Cmd == QLatin1String("click")) {
    if (PointOf(D, W, g)) {
      SendMouse(QEvent::MouseMove, g, Qt::NoButton, main);
      SendMouse(QEvent::MouseButtonPress, g, Qt::LeftButton, main);
      // The release follows a moment later, as a hand's would, to
      // whatever window is under the pointer then (a menu the press
      // closed is gone by then).
      Later(40, [g, main] { SendMouse(QEvent::MouseButtonRelease, g, Qt::LeftButton, main); });
    }
  } else if (Cmd == QLatin1String("press")) {
    if (PointOf(D, W, g)) SendMouse(QEvent::MouseButtonPress, g, Qt::LeftButton, main);
  } else if (Cmd == QLatin1String("release")) {
    if (PointOf(D, W, g)) SendMouse(QEvent::MouseButtonRelease, g, Qt::LeftButton, main);
  } else if (Cmd == QLatin1String("popup")) {
    if (PointOf(D, W, g)) {
      TTBPopupMenu *menu = &D.context;
      kc::setCursorPosition(g);
      kc::postToGuiThread([menu, g] { menu->Popup(g); });
    }
  } else {
    return false;
  }
  return true;
}

// One script command (see DemoScript.h for the script's own).
void RunCommand(Demo &D, const QString &Cmd, const QStringList &W) {
  QWidget *main = &D.main;
  if (Cmd == QLatin1String("skin")) {
    D.SetSkin(W.value(0));
  } else if (Cmd == QLatin1String("open")) {
    D.OpenMenu(W.value(0).toInt());
  } else if (Cmd == QLatin1String("drag")) {
    TTBToolbar *bar = D.BarNamed(W.value(0));
    if (TTBDock *dock = D.DockNamed(W.value(1)); bar && dock) Demo::DragBar(bar, IntoDock(*dock), false);
  } else if (Cmd == QLatin1String("float")) {
    if (TTBToolbar *bar = D.BarNamed(W.value(0)))
      Demo::DragBar(bar, QPoint(W.value(1).toInt(), W.value(2).toInt()), true);
  } else if (Cmd == QLatin1String("close")) {
    if (TTBToolbar *bar = D.BarNamed(W.value(0))) bar->Close();
  } else if (Cmd == QLatin1String("restore")) {
    if (TTBToolbar *bar = D.BarNamed(W.value(0))) bar->setVisible(true);
  } else if (Cmd == QLatin1String("save")) {
    kc::tb::SaveDockablePositions(main, kLayoutKey);
    if (!kc::RegistryIni(kLayoutKey).flush()) Log(QStringLiteral("cannot write the settings"));
  } else if (Cmd == QLatin1String("load")) {
    kc::tb::LoadDockablePositions(main, kLayoutKey);
  } else if (Cmd == QLatin1String("key")) {
    SendKey(W.value(0), main);
  } else if (!RunMouseCommand(D, Cmd, W)) {
    Log(QStringLiteral("unknown command %1").arg(Cmd));
  }
}

struct Options {
  QString script, shotDir, skinName = QStringLiteral("classic");
};

bool ParseOptions(const QStringList &Args, Options &O) {
  for (int i = 1; i < Args.size(); ++i) {
    if (Args[i] == QLatin1String("--script") && i + 1 < Args.size()) O.script = Args[++i];
    else if (Args[i] == QLatin1String("--shot") && i + 1 < Args.size()) O.shotDir = Args[++i];
    else if (Args[i] == QLatin1String("--skin") && i + 1 < Args.size()) O.skinName = Args[++i];
    else return false;
  }
  return true;
}

// The menu bar's first item, on the screen: menus drop from under it.
void LogMenuBar(const Demo &D) {
  TTBView *v = D.menuBar->View();
  v->EnsurePositions();
  const QRect first = v->Viewer(0)->BoundsRect;
  const QPoint at = v->ClientToScreen(first.topLeft());
  Log(QStringLiteral("menubar %1 %2 %3 %4").arg(at.x()).arg(at.y()).arg(first.width()).arg(first.height()));
}

// The script's runner, started; nullptr (with the reason printed) when the
// script cannot be read. The log goes to DIR/log.txt at the end.
std::unique_ptr<DemoScript> StartScript(Demo &D, const QString &Script, const QString &ShotDir) {
  std::string text, error;
  if (!kc::ReadWholeFile(Script.toStdString(), text, &error)) {
    std::fprintf(stderr, "tbdemo: cannot read %s: %s\n", Script.toUtf8().constData(), error.c_str());
    return nullptr;
  }
  const QStringList lines = QString::fromUtf8(text.data(), int(text.size())).split(u'\n');
  g_logPath = ShotDir + QStringLiteral("/log.txt");
  LogMenuBar(D);
  Demo *d = &D;
  auto command = [d](const QString &Cmd, const QStringList &W) { RunCommand(*d, Cmd, W); };
  auto log = [d](const QString &Line) {
    Log(Line);
    if (Line.startsWith(QLatin1String("shot"))) {
      d->LogPopups();
      d->LogBars();
    }
  };
  auto runner = std::make_unique<DemoScript>(&D.main, lines, ShotDir, log, command);
  runner->Start();
  return runner;
}

void WriteLog() {
  if (g_logPath.isEmpty()) return;
  const QString all = g_log.join(u'\n') + u'\n';
  const QByteArray bytes = all.toUtf8();
  std::string error;
  if (!kc::WriteFileAtomically(g_logPath.toStdString(), std::string_view(bytes.constData(), size_t(bytes.size())),
                               &error))
    std::fprintf(stderr, "tbdemo: cannot write %s: %s\n", g_logPath.toUtf8().constData(), error.c_str());
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  Options o;
  if (!ParseOptions(app.arguments(), o)) {
    std::fprintf(stderr, "usage: tbdemo [--skin classic|officexp|windowsxp|native] [--script FILE --shot DIR]\n");
    return 2;
  }
  if (!o.script.isEmpty() && o.shotDir.isEmpty()) {
    std::fprintf(stderr, "tbdemo: --script needs --shot DIR\n");
    return 2;
  }
  // The desktop's menu font; a scripted run keeps the fixed one, so its
  // pictures and positions are the same on every machine.
  if (o.script.isEmpty()) kc::tbUseDesktopSettings();
  kc::TbSystemSettings settings = kc::tbSystemSettings();
  settings.menuAnimation = true;
  kc::TbSystemSettingsOverride settingsOverride(settings);

  Demo demo;
  demo.SetSkin(o.skinName);
  demo.main.show();

  std::unique_ptr<DemoScript> runner;
  if (!o.script.isEmpty()) {
    runner = StartScript(demo, o.script, o.shotDir);
    if (!runner) return 1;
  }
  const int rc = app.exec();
  WriteLog();
  return rc;
}
