#pragma once
// Makes a window snap to the edges of the screen's work area and to other
// windows with a magnet while the user drags it, carries along the windows
// glued to it, and can let the user drag it by its client area. Snapping is
// a pure function of rectangles; the windows are placed only where the
// window system lets a program place them (X11, not Wayland).
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/CanvasTypes.h"
#include "widgets/CoolTrayIcon.h"
#include "widgets/KcWndProcHook.h"

namespace kc {

enum class TMagnetType { mkOnMoving, mkAfterMoving };
enum class TScreenArea { saFullScreen, saWorkArea };

struct TMagnetEdges {
  bool Top = true, Bottom = true, Left = true, Right = true;
};

// Snaps R (right and bottom outside) to the others that it overlaps on one
// axis and comes within Power of on the other; Accept(i) may refuse other i.
// True when it snapped.
bool SnapToMagnets(TRect &R, const std::vector<TRect> &Others, int Power,
                   const std::function<bool(std::size_t)> &Accept = {});
// Snaps R to the enabled edges of Area within DesktopPower; true when it
// snapped.
bool SnapToArea(TRect &R, const TRect &Area, int DesktopPower, const TMagnetEdges &Edges);
// The whole rule: other magnets first (unless skipped); the area's edges
// when nothing snapped or when not gluing.
TRect SnapRect(TRect R, const TRect &Area, const std::vector<TRect> &Others, int Power, int DesktopPower,
               const TMagnetEdges &Edges, bool SkipMagnets, bool Glue,
               const std::function<bool(std::size_t)> &Accept = {});

class TScreenMagnet {
public:
  TScreenArea Area = TScreenArea::saWorkArea;
  int DesktopPower = 15;
  bool Top = true, Bottom = true, Left = true, Right = true;
  TMagnetEdges Edges() const { return {Top, Bottom, Left, Right}; }
};

// The base: a component that sees its form's events before the form handles
// them, and after it when asked to (WantAfter), which costs the form's
// earlier event filters their view of its events.
class TMagnetFormHookComponent : public QObject {
  Q_OBJECT
public:
  explicit TMagnetFormHookComponent(QWidget *form, bool WantAfter = false);
  ~TMagnetFormHookComponent() override;
  QWidget *Form() const { return FForm; }
  virtual QWidget *GetHookedWindow() const { return FForm; }

protected:
  virtual void BeforeMessage(QEvent *event, bool &handled);
  virtual void AfterMessage(QEvent *event);
  virtual void HookRestored() {}

private:
  TKcHookMethod hook(int code);
  QPointer<QWidget> FForm;
  bool FWantAfter;
};

class TFormMagnet : public TMagnetFormHookComponent {
  Q_OBJECT
public:
  using TMagnetEvent = std::function<void(TFormMagnet *, QWidget *other, bool &accept)>;
  using TNotifyEvent = std::function<void(TFormMagnet *)>;
  // A window-manager move counts as ended after this long without moves.
  static constexpr int kMoveSettleMs = 200;

  explicit TFormMagnet(QWidget *form);
  ~TFormMagnet() override;

  bool Active() const { return FActive; }
  void SetActive(bool on);
  bool Glue() const { return FGlue; }
  void SetGlue(bool on) { FGlue = on; }
  bool FormDragable() const { return FFormDragable; }
  void SetFormDragable(bool on) { FFormDragable = on; }
  TMagnetType MagnetType() const { return FMagnetType; }
  void SetMagnetType(TMagnetType t) { FMagnetType = t; }
  int Power() const { return FPower; }
  void SetPower(int p) { FPower = std::clamp(p, 0, 255); }
  TScreenMagnet &ScreenMagnet() { return FScreenMagnet; }

  TMagnetEvent OnGlue, OnMagnet;
  TNotifyEvent OnDragMove;

  // The form's bounds snapped as if it had been moved there (right and
  // bottom outside, screen coordinates).
  TRect Snapped(const TRect &bounds, bool skipMagnets);
  // The magnets glued to this one for the move under way.
  std::size_t GluedCount() const { return FGlued.size(); }
  bool Moving() const { return FMoving; }

protected:
  void BeforeMessage(QEvent *event, bool &handled) override;

private:
  struct TGluedObject {
    QPointer<TFormMagnet> magnet;
    int dx, dy;
  };
  std::vector<TFormMagnet *> candidates() const;
  TRect attractingArea() const;
  TRect boundsOf(const QWidget *w) const;
  void collectGlue(const TRect &bounds);
  void startMove(const TRect &bounds);
  void endMove();
  void snapTo(TRect r, bool fromCursor, QPoint cursor, bool skipMagnets);
  void place(QWidget *w, int left, int top);

  bool FActive = true, FGlue = false, FFormDragable = false;
  TMagnetType FMagnetType = TMagnetType::mkOnMoving;
  int FPower = 20;
  TScreenMagnet FScreenMagnet;

  bool FMovedByOther = false, FMoving = false, FDragging = false, FPlacing = false;
  QPoint FCursorOffset;
  std::vector<TGluedObject> FGlued;
  TSimpleTimer FSettleTimer;
};

} // namespace kc
