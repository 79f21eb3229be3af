// tbdemo: a window with a menu bar, a toolbar and a context menu built from
// a small item tree, drawn and run by the toolbar engine.
//   tbdemo [--skin classic|officexp|windowsxp|native] [--script FILE --shot DIR]
// With a script the demo runs it (see DemoScript.h), writes a picture after
// each step and a log to DIR/log.txt (also on standard output), and quits.
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextStream>
#include <QVBoxLayout>

#include <cstdio>
#include <memory>

#include "DemoBar.h"
#include "DemoScript.h"
#include "platform/DesktopMetrics.h"
#include "platform/Files.h"
#include "platform/TbSystemSettings.h"
#include "toolbars/TBarMenuLoop.h"
#include "toolbars/TBarPopup.h"

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

// The main window: key presses that are shortcuts of menu items run them.
class MainWindow : public QWidget {
public:
  TTBCustomItem *Menus = nullptr;

protected:
  void keyPressEvent(QKeyEvent *e) override {
    const TShortCut sc = ShortCutFromKey(e->key(), e->modifiers());
    if (!Menus || !DispatchShortCut(Menus, sc)) QWidget::keyPressEvent(e);
  }
};

struct Demo {
  TTBRootItem menuRoot, toolRoot;
  TTBPopupMenu context;
  TTBSkin skin;
  MainWindow main;
  DemoBar *menuBar = nullptr;
  DemoBar *toolBar = nullptr;
  Content *content = nullptr;

  Demo() {
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
    TTBCustomItem *tools = Add(*view, "&Toolbar");
    tools->SetAutoCheck(true);
    tools->SetChecked(true);
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
    main.setWindowTitle(QStringLiteral("tbdemo"));
    main.setFont(MenuFont());
    auto *layout = new QVBoxLayout(&main);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    menuBar = new DemoBar(&menuRoot, true, &main);
    toolBar = new DemoBar(&toolRoot, false, &main);
    content = new Content(&main);
    content->Menu = &context;
    layout->addWidget(menuBar);
    layout->addWidget(toolBar);
    layout->addWidget(content, 1);
    main.setGeometry(40, 40, 480, 320);
  }

  void SetSkin(const QString &Name) {
    skin.SetSkinType(SkinOf(Name));
    skin.SetOptions(skin.Options() | tboShadow);
    menuBar->View()->Skin = &skin;
    toolBar->View()->Skin = &skin;
    context.SetSkin(&skin);
    for (DemoBar *b : {menuBar, toolBar}) {
      b->View()->DropPositions();
      b->View()->Relayout();
      b->update();
    }
  }

  // The views shown now, deepest menu level first, then the bars.
  std::vector<TTBView *> Views() const {
    std::vector<TTBView *> out;
    for (DemoBar *b : {menuBar, toolBar}) {
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

void Later(int Ms, std::function<void()> Fn) {
  auto timer = std::make_shared<kc::GuiTimer>();
  timer->start(Ms, [timer, Fn]() mutable {
    timer->stop();
    Fn();
    // The timer lets go of itself once this tick is over.
    kc::postToGuiThread([keep = std::move(timer)] {});
  });
}

int KeyOf(const QString &Name) {
  static const std::pair<const char *, int> keys[] = {
      {"Down", Qt::Key_Down},     {"Up", Qt::Key_Up},         {"Left", Qt::Key_Left}, {"Right", Qt::Key_Right},
      {"Return", Qt::Key_Return}, {"Escape", Qt::Key_Escape}, {"Tab", Qt::Key_Tab},   {"Home", Qt::Key_Home},
      {"End", Qt::Key_End},       {"F10", Qt::Key_F10},       {"F1", Qt::Key_F1}};
  for (auto &k : keys)
    if (Name == QLatin1String(k.first)) return k.second;
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QString script, shotDir, skinName = QStringLiteral("classic");
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--script") && i + 1 < args.size()) script = args[++i];
    else if (args[i] == QLatin1String("--shot") && i + 1 < args.size()) shotDir = args[++i];
    else if (args[i] == QLatin1String("--skin") && i + 1 < args.size()) skinName = args[++i];
    else {
      std::fprintf(stderr, "usage: tbdemo [--skin classic|officexp|windowsxp|native] [--script FILE --shot DIR]\n");
      return 2;
    }
  }
  kc::TbSystemSettings settings;
  settings.menuAnimation = true;
  kc::TbSystemSettingsOverride settingsOverride(settings);

  Demo demo;
  demo.SetSkin(skinName);
  demo.main.show();

  std::unique_ptr<DemoScript> runner;
  if (!script.isEmpty()) {
    if (shotDir.isEmpty()) {
      std::fprintf(stderr, "tbdemo: --script needs --shot DIR\n");
      return 2;
    }
    std::string text, error;
    if (!kc::ReadWholeFile(script.toStdString(), text, &error)) {
      std::fprintf(stderr, "tbdemo: cannot read %s: %s\n", script.toUtf8().constData(), error.c_str());
      return 1;
    }
    const QStringList lines = QString::fromUtf8(text.data(), int(text.size())).split(u'\n');
    g_logPath = shotDir + QStringLiteral("/log.txt");
    const QRect bar(demo.menuBar->mapToGlobal(QPoint(0, 0)), demo.menuBar->size());
    Log(QStringLiteral("menubar %1 %2 %3 %4").arg(bar.x()).arg(bar.y()).arg(bar.width()).arg(bar.height()));
    QWidget *main = &demo.main;
    Demo *d = &demo;
    auto command = [d, main](const QString &Cmd, const QStringList &W) {
      auto pointOf = [&](QPoint &G) {
        if (W.size() >= 2 && W[0].toInt() >= 0 && !W[0].isEmpty() && W[0][0].isDigit()) {
          G = main->mapToGlobal(QPoint(W[0].toInt(), W[1].toInt()));
          return true;
        }
        if (!d->FindItem(W.join(u' '), G)) {
          Log(QStringLiteral("no item %1").arg(W.join(u' ')));
          return false;
        }
        return true;
      };
      QPoint g;
      if (Cmd == QLatin1String("skin")) {
        d->SetSkin(W.value(0));
      } else if (Cmd == QLatin1String("open")) {
        d->menuBar->OpenMenu(W.value(0).toInt());
      } else if (Cmd == QLatin1String("hover") || Cmd == QLatin1String("move")) {
        if (pointOf(g)) SendMouse(QEvent::MouseMove, g, Qt::NoButton, main);
      } else if (Cmd == QLatin1String("click")) {
        if (pointOf(g)) {
          SendMouse(QEvent::MouseMove, g, Qt::NoButton, main);
          SendMouse(QEvent::MouseButtonPress, g, Qt::LeftButton, main);
          // The release follows a moment later, as a hand's would, to
          // whatever window is under the pointer then (a menu the press
          // closed is gone by then).
          Later(40, [g, main] { SendMouse(QEvent::MouseButtonRelease, g, Qt::LeftButton, main); });
        }
      } else if (Cmd == QLatin1String("press")) {
        if (pointOf(g)) SendMouse(QEvent::MouseButtonPress, g, Qt::LeftButton, main);
      } else if (Cmd == QLatin1String("release")) {
        if (pointOf(g)) SendMouse(QEvent::MouseButtonRelease, g, Qt::LeftButton, main);
      } else if (Cmd == QLatin1String("popup")) {
        if (pointOf(g)) {
          TTBPopupMenu *menu = &d->context;
          kc::setCursorPosition(g);
          kc::postToGuiThread([menu, g] { menu->Popup(g); });
        }
      } else if (Cmd == QLatin1String("key")) {
        const QString name = W.value(0);
        QWidget *target = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : main;
        // "Ctrl+N": a shortcut; otherwise a named key or one typed character.
        Qt::KeyboardModifiers mods = Qt::NoModifier;
        QString rest = name;
        if (rest.startsWith(QLatin1String("Ctrl+"))) {
          mods = Qt::ControlModifier;
          rest = rest.mid(5);
        }
        const int named = KeyOf(rest);
        const QString text = named || mods ? QString() : rest.left(1);
        QCoreApplication::postEvent(
            target, new QKeyEvent(QEvent::KeyPress, named ? named : int(rest.at(0).toUpper().unicode()), mods, text));
      } else {
        Log(QStringLiteral("unknown command %1").arg(Cmd));
      }
    };
    auto log = [d](const QString &Line) {
      Log(Line);
      if (Line.startsWith(QLatin1String("shot"))) d->LogPopups();
    };
    runner = std::make_unique<DemoScript>(main, lines, shotDir, log, command);
    runner->Start();
  }
  const int rc = app.exec();
  if (!g_logPath.isEmpty()) {
    const QString all = g_log.join(u'\n') + u'\n';
    const QByteArray bytes = all.toUtf8();
    std::string error;
    if (!kc::WriteFileAtomically(g_logPath.toStdString(), std::string_view(bytes.constData(), size_t(bytes.size())),
                                 &error))
      std::fprintf(stderr, "tbdemo: cannot write %s: %s\n", g_logPath.toUtf8().constData(), error.c_str());
  }
  return rc;
}
