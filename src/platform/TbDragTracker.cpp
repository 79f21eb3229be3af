#include "platform/TbDragTracker.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <climits>
#include <memory>

#include "platform/Log.h"

namespace kc {
namespace {

// Receives the pointer and keyboard grab. A widget of its own keeps the
// grab while the dragged widget moves from one window to another, which
// would end a grab held by the widget itself.
class DragGrabber : public QWidget {
public:
  DragGrabber()
      : QWidget(nullptr,
                Qt::ToolTip | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setGeometry(-10, -10, 1, 1);
  }
};

class Tracker : public QObject {
public:
  explicit Tracker(TbDragEvents events) : events_(std::move(events)) {}
  ~Tracker() override { release(); }

  void start() {
    qApp->installEventFilter(this);
    grabber_ = std::make_unique<DragGrabber>();
    grabber_->show();
    grabber_->grabMouse();
    grabber_->grabKeyboard();
  }
  void release() {
    if (qApp) qApp->removeEventFilter(this);
    if (grabber_) {
      grabber_->releaseKeyboard();
      grabber_->releaseMouse();
      grabber_.reset();
    }
    if (cursorSet_) {
      QGuiApplication::restoreOverrideCursor();
      cursorSet_ = false;
    }
  }
  void setCursor(TCursor id) {
    const QCursor c = screenCursor(id);
    if (cursorSet_) QGuiApplication::changeOverrideCursor(c);
    else QGuiApplication::setOverrideCursor(c);
    cursorSet_ = true;
  }
  bool ctrl = false;

protected:
  bool eventFilter(QObject *, QEvent *e) override {
    switch (e->type()) {
    case QEvent::MouseMove: {
      const QPoint p = static_cast<QMouseEvent *>(e)->globalPosition().toPoint();
      ctrl = static_cast<QMouseEvent *>(e)->modifiers().testFlag(Qt::ControlModifier);
      if (p != last_) {
        last_ = p;
        deliverMove(p);
      }
      return true;
    }
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton) finish(true);
      return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton) finish(false);
      return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto *k = static_cast<QKeyEvent *>(e);
      if (k->key() == Qt::Key_Escape && e->type() == QEvent::KeyPress) {
        finish(false);
      } else if (k->key() == Qt::Key_Control) {
        const bool now = e->type() == QEvent::KeyPress;
        if (now != ctrl) {
          ctrl = now;
          deliverMove(last_);
        }
      }
      return true;
    }
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel: return true;
    default: return false;
    }
  }

private:
  void deliverMove(QPoint p);
  void finish(bool accepted);
  TbDragEvents events_;
  std::unique_ptr<DragGrabber> grabber_;
  QPoint last_{INT_MIN, INT_MIN};
  bool cursorSet_ = false;
};

std::unique_ptr<Tracker> &current() {
  static std::unique_ptr<Tracker> t;
  return t;
}

void Tracker::deliverMove(QPoint p) {
  // Each pointer move is an entry point of the drag: a failure ends it.
  try {
    if (events_.moved) events_.moved(p, ctrl);
  } catch (const std::exception &) {
    LogCaughtException("drag");
    finish(false);
  }
}

void Tracker::finish(bool accepted) {
  // The tracker goes before the owner hears of the end, so that the owner
  // may start another drag from its handler.
  std::unique_ptr<Tracker> self = std::move(current());
  auto ended = std::move(events_.ended);
  release();
  try {
    if (ended) ended(accepted);
  } catch (const std::exception &) {
    LogCaughtException("drag");
  }
  // This may run inside this object's own event filter: free it later.
  self.release()->deleteLater();
}

} // namespace

bool TbDragTracker::begin(TbDragEvents events) {
  if (current()) return false;
  current() = std::make_unique<Tracker>(std::move(events));
  current()->ctrl = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
  current()->start();
  return true;
}

void TbDragTracker::end() { current().reset(); }

bool TbDragTracker::active() { return current() != nullptr; }

void TbDragTracker::setCursor(TCursor id) {
  if (current()) current()->setCursor(id);
}

bool TbDragTracker::ctrlHeld() {
  if (current()) return current()->ctrl;
  return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

} // namespace kc
