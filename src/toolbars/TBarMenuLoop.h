#pragma once
// The menu loop: one modal loop per menu started from a view. It owns the
// mouse and keyboard while popup levels open and close below the root view,
// runs the submenu and scroll delays, handles keys and accelerators, and
// ends with an outcome carried out after the loop and its windows are gone.
//
// The loop's handlers take events in screen coordinates, so tests drive it
// with synthetic sequences; Exec() feeds it from the real event stream.
#include <QEventLoop>
#include <QObject>
#include <QPointer>

#include <functional>

#include "toolbars/TBarView.h"

namespace kc::tb {

class TTBMenuLoop : public QObject {
public:
  TTBMenuLoop(TTBView *RootView, bool TrackRightButton);
  ~TTBMenuLoop() override;

  // Sets the loop up (capture, first popup when keyboard-open, the press
  // that started it). Returns false when the loop ended at once.
  bool Begin(bool StartedByMouse, bool KeyboardOpen, bool SelectFirstItem, QPoint CursorPos);
  // Events; each returns whether the loop goes on.
  bool MouseMove(QPoint Global);
  // A press outside every window of the loop ends it; the press then
  // belongs to PressTarget (the window under the point).
  bool MouseDown(QPoint Global, Qt::MouseButton Button, bool DoubleClick = false);
  bool MouseUp(QPoint Global, Qt::MouseButton Button);
  bool KeyDown(int Key, Qt::KeyboardModifiers Shift = Qt::NoModifier);
  bool Char(QChar Ch);
  bool Finished() const { return !running_ || Control.ExitLoop; }
  // Tears down: ends tracking, clears the modal state, releases the capture.
  void End();
  // The whole loop on the real event stream; returns when it has ended.
  void Exec();

  TTBLoopControl Control;
  // Where a press that ended the loop belongs.
  QPointer<QWidget> PressTarget;
  QPoint PressGlobal;
  Qt::MouseButton PressButton = Qt::NoButton;

  // Windows of the loop from the root down; the window under a point.
  QWidget *LoopWindowAt(QPoint Global) const;

protected:
  bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
  void TrackMouse(QPoint Global, bool ButtonDown);
  void MouseSelect(TTBView *View, QPoint Global, bool Force);
  TTBView *MouseReceiver() const;
  bool IsLoopPopup(QWidget *W) const;
  void Accelerator(QChar Ch);
  bool AfterEvent();
  QString hint_;
  TTBView *root_;
  bool trackRight_;
  bool running_ = false;
  QPoint lastPos_;
  bool lastPosKnown_ = false;
  QEventLoop *eventLoop_ = nullptr;
  QWidget *grabbed_ = nullptr;
  TTBMenuLoop *prev_ = nullptr;
};

// What the program does with the outcomes the engine cannot carry out by
// itself, and where the long hint of the item under the pointer or the
// keyboard goes while a menu is open (empty when none; empty again when the
// menu closes).
struct TTBMenuHandlers {
  std::function<void(int HelpContext)> Help;
  std::function<void(QWidget *Window, QChar Key)> KeyMenu;
  std::function<void(const QString &LongHint)> Hint;
};
void SetMenuHandlers(TTBMenuHandlers Handlers);

// Carries out the outcome of a finished loop: a click is queued to run
// after the caller regains control.
void DoneActionExecute(const TTBMenuOutcome &Outcome);

// A popup menu of Item's sub-items at Point (Alignment 0 left, 1 right, 2
// centred) run to its end.
void PopupEx(TTBCustomItem *Item, bool SelectFirstItem, bool TrackRightButton, int Alignment, QPoint Point,
             const TTBBaseSkin *Skin = nullptr);

// Options of RunBarMenu.
enum : int { rbmStartedByMouse = 1, rbmKeyboardOpen = 2, rbmSelectFirst = 4 };
// The menu loop of a toolbar (menu bar) view.
void RunBarMenu(TTBView *View, int Options, QPoint CursorPos);

// Finds the item with this shortcut under Root and clicks it as a menu
// would; true when the key was used.
bool DispatchShortCut(TTBCustomItem *Root, TShortCut ShortCut);

// The loop that runs now, if any (a test or the demo looks at it).
TTBMenuLoop *CurrentMenuLoop();

} // namespace kc::tb
