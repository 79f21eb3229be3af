#pragma once
// The drag of a dockable window between docks and floating (inside the
// toolbar library only): the docks it may enter, the step at each pointer
// position and the outline shown instead of the window without smooth
// dragging.
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <memory>
#include <vector>

#include "toolbars/TBarDock.h"

namespace kc::tb {

// The outline of where a dragged or sized window would go: a frame-shaped
// window above everything, drawn in the halftone pattern.
class TTBDragOutline : public QWidget {
public:
  TTBDragOutline();
  void ShowAt(const QRect &Global, int Thickness);
  QRect Shown() const { return FRect; }
  int Thickness() const { return FThickness; }

protected:
  void paintEvent(QPaintEvent *) override;

private:
  QRect FRect;
  int FThickness = 1;
};

class TTBDragSession {
public:
  TTBDragSession(TTBCustomDockableWindow *Window, QPoint Grab, bool CtrlHeld, bool Interactive);
  ~TTBDragSession();
  void Update(QPoint Cursor, bool CtrlHeld);
  void End(bool Accept);

  struct Target {
    QPointer<TTBDock> Dock;
    TTBDragTarget Geo;
  };
  const std::vector<Target> &Targets() const { return FTargets; }
  TTBDragOutline *Outline() const { return FOutline.get(); }
  // A floating parent kept while the window is docked during the drag.
  QPointer<TTBFloatingWindowParent> KeptFloatParent;

private:
  struct Step {
    bool Valid = false;
    TTBDock *Dock = nullptr;
    int Row = 0;
    bool NewRow = false;
    int Pos = 0;
    QRect Rect; // screen: the window in the dock, or the floating parent
  };
  void CollectTargets();
  void Apply(const Step &S);
  QSize FloatingOuterSize() const;

  TTBCustomDockableWindow *FWindow;
  std::vector<Target> FTargets;
  QPoint FGrab;
  QSize FOuter;
  bool FCtrl;
  bool FInteractive;
  bool FSmooth;
  bool FFirstUpdate = true;
  bool FStartedDocked;
  bool FWasSqueezed = false;
  QPointer<TTBDock> FStartDock;
  int FStartRow = -1;
  int FStartAlong = 0;
  bool FStartSet = false;
  Step FLast;
  std::unique_ptr<TTBDragOutline> FOutline;
};

// Sizing a floating window from its frame.
struct TTBCustomDockableWindow::SizingState {
  int Edge = 0;
  QRect Start;
  QPoint StartCursor;
  QRect Last;
  TTBSizeLimits Limits;
  std::unique_ptr<TTBDragOutline> Outline;
  bool Smooth = true;
};

} // namespace kc::tb
