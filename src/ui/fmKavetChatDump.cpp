// What the main window shows, written as JSON for scripts and tests: read
// from the widgets themselves, never from the models behind them.
#include "ui/fmKavetChatUn.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QEvent>

#include <cstdio>
#include <functional>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "richtext/controls/RichVistaEdit.h"
#include "richtext/document/RVItem.h"
#include "richtext/document/RVItemTypes.h"
#include "richtext/document/RVUni.h"
#include "toolbars/TBarDock.h"
#include "toolbars/TBarItem.h"
#include "toolbars/TBarItemViewer.h"
#include "toolbars/TBarPopup.h"
#include "toolbars/TBarToolbar.h"
#include "toolbars/TBarView.h"
#include "ui/OfferedFileIconUn.h"
#include "ui/fmSelectPictureGIFMoodUn.h"
#include "ui/frConnectUserUn.h"
#include "ui/fmUserListUn.h"
#include "widgets/KcGIFCtrl.h"
#include "widgets/KcComCtrls.h"
#include "widgets/KcStatusBar.h"

namespace kc {

namespace {

// The dump is rewritten at most this often.
constexpr int kDumpIntervalMs = 200;

// A caption as it shows: "&&" is an ampersand, a lone "&" marks the
// accelerator and is not drawn.
QString shownCaption(const QString &Caption) {
  QString out;
  for (qsizetype i = 0; i < Caption.size(); ++i) {
    if (Caption[i] == QLatin1Char('&')) {
      if (i + 1 < Caption.size() && Caption[i + 1] == QLatin1Char('&')) out += QLatin1Char('&'), ++i;
      continue;
    }
    out += Caption[i];
  }
  return out;
}

std::string jsonString(const QString &Text) {
  const QByteArray utf8 = Text.toUtf8();
  std::string out = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default:
      if (c < 0x20) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", c);
        out += buf;
      } else {
        out += static_cast<char>(c);
      }
    }
  }
  return out + "\"";
}

std::string jsonString(const std::string &Utf8) { return jsonString(QString::fromStdString(Utf8)); }

std::string jsonBool(bool v) { return v ? "true" : "false"; }

std::string geometryJson(const QWidget &W) {
  const QRect g = W.geometry();
  return "{\"x\":" + std::to_string(g.x()) + ",\"y\":" + std::to_string(g.y()) +
         ",\"width\":" + std::to_string(g.width()) + ",\"height\":" + std::to_string(g.height()) + "}";
}

// A document as text: paragraphs on lines, emoticons as "[:n:]", offered
// files as "[file NAME]", other items by name.
std::string documentText(const TCustomRichVista &View, const TfmSelectPictureGIFMood *Catalogue) {
  std::string out;
  for (int i = 0; i < View.ItemCountOf(); ++i) {
    const TCustomRVItemInfo *item = View.GetItem(i);
    if (i > 0 && item->IsFromNewLine()) out += "\n";
    if (View.IsItemText(i)) {
      // Unicode text as it shows, 8-bit text through the ANSI code page.
      if (item->IsUnicode()) out += utf16ToUtf8(RawToWideString(View.RVData()->Items.Strings(i)));
      else out += ansiToUtf8(View.ItemTextOf(i));
    } else if (item->StyleNo == rvsBullet || item->StyleNo == rvsHotspot) {
      std::string name;
      TCustomImageList *list = nullptr;
      int image = 0;
      TRVTag tag;
      View.GetBulletItemInfo(i, name, list, image, tag);
      out += "[:" + std::to_string(image) + ":]";
    } else if (item->StyleNo == rvsComponent) {
      std::string name;
      TControl *control = nullptr;
      TRVVAlign align{};
      TRVTag tag;
      View.GetControlItemInfo(i, name, control, align, tag);
      if (auto *gif = qobject_cast<TKcGIFAnimator *>(control)) {
        const int number = Catalogue ? Catalogue->TagOf(gif) : -1;
        out += "[:" + std::to_string(number >= 0 ? number : gif->property("Tag").toInt()) + ":]";
      } else if (auto *file = qobject_cast<TOfferedFileIcon *>(control)) {
        const std::string &path = file->Path();
        out +=
            "[file " + path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1) + "]";
      } else {
        out += "[" + ansiToUtf8(name) + "]";
      }
    } else {
      out += "[" + ansiToUtf8(View.ItemTextOf(i)) + "]";
    }
  }
  return out;
}

std::string kindName(std::uint8_t Kind) {
  switch (Kind) {
  case tkAllUsers: return "all users";
  case tkOwnGroup: return "own group";
  case tkPrivate: return "private";
  case tkOtherGroup: return "other group";
  default: return "unknown";
  }
}

std::string toolbarJson(const tb::TTBCustomToolbar &Bar) {
  std::string out =
      "{\"name\":" + jsonString(Bar.objectName()) + ",\"visible\":" + jsonBool(Bar.isVisible()) + ",\"items\":[";
  const tb::TTBRootItem &root = *Bar.Items();
  for (int i = 0; i < root.Count(); ++i) {
    const tb::TTBCustomItem *item = root.ItemAt(i);
    if (i) out += ",";
    out += "{\"caption\":" + jsonString(shownCaption(item->Caption())) + ",\"tag\":" + std::to_string(item->Tag) +
           ",\"checked\":" + jsonBool(item->Checked()) + ",\"enabled\":" + jsonBool(item->Enabled()) + "}";
  }
  return out + "]}";
}

std::string rectJson(QPoint TopLeft, QSize Size) {
  return "[" + std::to_string(TopLeft.x()) + "," + std::to_string(TopLeft.y()) + "," + std::to_string(Size.width()) +
         "," + std::to_string(Size.height()) + "]";
}

std::string targetJson(const QWidget &Window, const QString &Name, const QString &Caption, const std::string &Rect) {
  return "{\"window\":" + jsonString(Window.objectName()) + ",\"name\":" + jsonString(Name) +
         ",\"caption\":" + jsonString(Caption) + ",\"rect\":" + Rect + "}";
}

// The items a view shows now, in screen coordinates.
void viewTargets(const QWidget &Window, const tb::TTBView &View, std::string &Out) {
  for (int i = 0; i < View.ViewerCount(); ++i) {
    const tb::TTBItemViewer *v = View.Viewer(i);
    if (!v->Show || v->ScrolledOut || v->BoundsRect.isEmpty()) continue;
    if (!Out.empty()) Out += ",";
    Out += targetJson(Window, v->Item()->Name(), shownCaption(v->Item()->Caption()),
                      rectJson(View.ClientToScreen(v->BoundsRect.topLeft()), v->BoundsRect.size()));
  }
}

// The rows of a tree that show now, by their texts, named after the tree.
void treeTargets(const QWidget &Window, const QTreeWidget &Tree, std::string &Out) {
  const QRect shown = Tree.viewport()->rect();
  for (QTreeWidgetItemIterator it(const_cast<QTreeWidget *>(&Tree)); *it; ++it) {
    const QRect r = Tree.visualItemRect(*it);
    if (r.isEmpty() || !shown.intersects(r)) continue;
    std::string row = targetJson(Window, Tree.objectName(), (*it)->text(0),
                                 rectJson(Tree.viewport()->mapToGlobal(r.topLeft()), r.size()));
    row.insert(row.size() - 1, ",\"selected\":" + jsonBool((*it)->isSelected()));
    Out += "," + row;
  }
}

// The toolbar classes carry no meta-object of their own, so findChildren
// would take every widget for one.
std::vector<const tb::TTBCustomToolbar *> toolbarsOf(const QWidget &W) {
  std::vector<const tb::TTBCustomToolbar *> out;
  for (const QWidget *c : W.findChildren<QWidget *>())
    if (const auto *bar = dynamic_cast<const tb::TTBCustomToolbar *>(c)) out.push_back(bar);
  return out;
}

// Where a script finds what to click: every shown toolbar and menu item and
// every named control of every shown window, in screen coordinates.
std::string targetsJson() {
  std::string out;
  for (QWidget *w : QApplication::topLevelWidgets()) {
    if (!w->isVisible()) continue;
    if (auto *popup = qobject_cast<tb::TTBPopupWindow *>(w)) {
      viewTargets(*w, *popup->View(), out);
      continue;
    }
    // Each control once, under its own window: dialogs are children of the
    // main window too.
    for (const tb::TTBCustomToolbar *bar : toolbarsOf(*w))
      if (bar->window() == w && bar->isVisible() && bar->View()) viewTargets(*w, *bar->View(), out);
    for (const QWidget *c : w->findChildren<QWidget *>()) {
      if (c->window() != w || !c->isVisible() || c->objectName().startsWith(QLatin1String("qt_"))) continue;
      // Buttons are found by their captions, other controls by name.
      const auto *button = qobject_cast<const QAbstractButton *>(c);
      const QString caption = button ? shownCaption(button->text()) : QString();
      if (c->objectName().isEmpty() && caption.isEmpty()) continue;
      if (!out.empty()) out += ",";
      out += targetJson(*w, c->objectName(), caption, rectJson(c->mapToGlobal(QPoint(0, 0)), c->size()));
      if (const auto *tree = qobject_cast<const QTreeWidget *>(c)) treeTargets(*w, *tree, out);
    }
  }
  return "[" + out + "]";
}

std::string focusJson() {
  const QWidget *f = QApplication::focusWidget();
  if (!f) return "null";
  return "{\"window\":" + jsonString(f->window()->objectName()) + ",\"name\":" + jsonString(f->objectName()) + "}";
}

// While a dump is written, windows and popups that open or close, focus
// that moves and the user's clicks and keys anywhere change it too, though
// the main window hears of none of them.
class TDumpWatcher : public QObject {
public:
  explicit TDumpWatcher(std::function<void()> Then) : FThen(std::move(Then)) {
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this] { FThen(); });
  }
  bool eventFilter(QObject *Watched, QEvent *Event) override {
    const QEvent::Type t = Event->type();
    if ((t == QEvent::Show || t == QEvent::Hide || t == QEvent::Move) && Watched->isWidgetType() &&
        static_cast<QWidget *>(Watched)->isWindow())
      FThen();
    // What a click or a key did in a dialog (a row chosen, a page shown).
    if (t == QEvent::MouseButtonRelease || t == QEvent::KeyRelease) FThen();
    return false;
  }

private:
  std::function<void()> FThen;
};

} // namespace

void TfmKavetChat::SetDumpFile(const std::string &Path) {
  FDumpPath = Path;
  if (!Path.empty() && !FDumpWatcher) FDumpWatcher = std::make_unique<TDumpWatcher>([this] { Changed(); });
  Changed();
}

void TfmKavetChat::Changed() {
  // One write at the end of each 200 ms after a change, however many
  // changes came in it.
  if (FDumpPath.empty() || FDumpTimer.active()) return;
  FDumpTimer.start(kDumpIntervalMs, [this] {
    FDumpTimer.stop();
    WriteDump();
  });
}

void TfmKavetChat::WriteDump() {
  try {
    std::string json = DumpJson();
    if (json == FLastDump) return;
    std::string error;
    if (WriteFileAtomically(FDumpPath, json, &error)) FLastDump = std::move(json);
    else LogFailure("dump", error);
  } catch (...) {
    LogCaughtException("dump");
  }
}

std::string TfmKavetChat::DumpJson() const {
  std::string out = "{\"window\":{\"title\":" + jsonString(windowTitle()) +
                    ",\"accessibleName\":" + jsonString(accessibleName()) + ",\"visible\":" + jsonBool(isVisible()) +
                    ",\"minimized\":" + jsonBool(isMinimized()) + ",\"active\":" + jsonBool(isActiveWindow()) +
                    ",\"geometry\":" + geometryJson(*this) + "}";
  out += ",\"docks\":[";
  bool firstDock = true;
  for (const tb::TTBDock *dock : {TBDockMainTop, TBDockMainBotton}) {
    if (!firstDock) out += ",";
    firstDock = false;
    out += "{\"name\":" + jsonString(dock->objectName()) + ",\"geometry\":" + geometryJson(*dock) + ",\"toolbars\":[";
    bool first = true;
    for (const tb::TTBCustomToolbar *bar : toolbarsOf(*this)) {
      if (bar->CurrentDock() != dock) continue;
      if (!first) out += ",";
      first = false;
      out += toolbarJson(*bar);
    }
    out += "]}";
  }
  out += "],\"tabs\":[";
  for (int i = 0; i < pcMain->count(); ++i) {
    const TfrConnectUser *f = Frame(i);
    const TKcTabSheet *page = pcMain->Pages(i);
    if (i) out += ",";
    out += "{\"caption\":" + jsonString(shownCaption(page ? page->Caption() : pcMain->tabText(i))) +
           ",\"image\":" + std::to_string(page ? page->ImageIndex() : -1) +
           ",\"active\":" + jsonBool(i == pcMain->currentIndex());
    if (f) {
      out += ",\"kind\":" + jsonString(kindName(f->Fields.TalkKind)) +
             ",\"transcript\":" + jsonString(documentText(*f->reAllMessage, fmSelectPictureGIFMood.get())) +
             ",\"input\":" + jsonString(documentText(*f->reMessage, fmSelectPictureGIFMood.get())) +
             ",\"inputReadOnly\":" + jsonBool(f->reMessage->ReadOnly()) +
             ",\"inputHeight\":" + std::to_string(f->InputHeight()) +
             ",\"inputFocused\":" + jsonBool(f->reMessage->hasFocus()) +
             ",\"members\":" + toolbarJson(*f->tbGroupUser) + ",\"sendToolbar\":" + toolbarJson(*f->tbSendMessage);
    }
    out += "}";
  }
  out += "],\"status\":[";
  for (int i = 0; i < int(KcStatusBar->Panels().size()); ++i) {
    if (i) out += ",";
    out += jsonString(KcStatusBar->Panels()[i].Text);
  }
  out += "],\"userList\":" + (fmUserList ? fmUserList->DumpJson() : std::string("null"));
  out += ",\"dialogs\":[";
  bool first = true;
  for (QWidget *w : QApplication::topLevelWidgets()) {
    if (w == this || w == fmUserList.get() || !w->isVisible() || !w->isWindow()) continue;
    if (w->inherits("QMenu") || w->windowType() == Qt::ToolTip) continue;
    if (!first) out += ",";
    first = false;
    QString text;
    if (auto *box = qobject_cast<QMessageBox *>(w)) text = box->text();
    else
      for (const QLabel *l : w->findChildren<QLabel *>())
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + l->text();
    out += "{\"name\":" + jsonString(w->objectName()) + ",\"title\":" + jsonString(w->windowTitle()) +
           ",\"text\":" + jsonString(text) + "}";
  }
  out += "],\"focus\":" + focusJson() + ",\"targets\":" + targetsJson();
  out += "}\n";
  return out;
}

} // namespace kc
