#pragma once
// Docks along the edges of a form, the dockable windows they hold in rows
// (the base of toolbars), and the small frameless tool window that holds a
// dockable window while it floats. A window moves between the three only
// by re-parenting (SetParent), so one widget carries its content and state
// through every change of dock.
#include <QColor>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "toolbars/TBarDockGeometry.h"

class QPainter;

namespace kc::tb {

class TTBBaseSkin;
class TTBCustomDockableWindow;
class TTBFloatingWindowParent;
class TTBDragSession;

// Misuse of a dock or a dockable window; the state stays as it was.
class EInvalidOperation : public std::logic_error {
public:
  using std::logic_error::logic_error;
};

// A picture shared by a dock and its bars. No form of the chat sets one;
// the interface lets a program add one without touching the dock.
class TTBBasicBackground {
public:
  virtual ~TTBBasicBackground() = default;
  // Paints R; Origin is where the picture's top-left lies in R's coordinates.
  virtual void Draw(QPainter &P, const QRect &R, QPoint Origin) = 0;
  virtual void RegisterChanges(const void *Key, std::function<void()> Changed) = 0;
  virtual void SysColorChange() = 0;
  virtual void UnregisterChanges(const void *Key) = 0;
  virtual bool UsingBackground() const = 0;
};

class TTBDock : public QWidget {
public:
  // A dock must not sit inside a dockable window or another dock
  // (EInvalidOperation).
  explicit TTBDock(QWidget *Parent, TTBDockPosition Position = dpTop);
  ~TTBDock() override;

  // Re-parents with the same check as the constructor.
  void SetParent(QWidget *Parent);

  bool AllowDrag() const { return FAllowDrag; }
  void SetAllowDrag(bool Value);
  TTBBasicBackground *Background() const { return FBackground; }
  void SetBackground(TTBBasicBackground *Value);
  bool BackgroundOnToolbars() const { return FBackgroundOnToolbars; }
  void SetBackgroundOnToolbars(bool Value);
  TTBDockBoundLines BoundLines() const { return FBoundLines; }
  void SetBoundLines(TTBDockBoundLines Value);
  QColor Color() const { return FColor; }
  void SetColor(QColor Value);
  bool FixAlign() const { return FFixAlign; }
  void SetFixAlign(bool Value);
  bool LimitToOneRow() const { return FLimitToOneRow; }
  void SetLimitToOneRow(bool Value);
  TTBDockPosition Position() const { return FPosition; }
  // EInvalidOperation while the dock holds any child widget.
  void SetPosition(TTBDockPosition Value);

  // A bar entered (Inserting) or left the visible bars.
  std::function<void(TTBDock *Sender, bool Inserting, TTBCustomDockableWindow *Bar)> OnInsertRemoveBar;
  // Asked by a drag before the bar may dock here.
  std::function<void(TTBDock *Sender, TTBCustomDockableWindow *Bar, bool &Accept)> OnRequestDock;

  TTBDockKind Kind() const { return IsVertical() ? dkVertical : dkHorizontal; }
  bool IsVertical() const { return FPosition == dpLeft || FPosition == dpRight; }
  // The area inside the bound lines, in the dock's coordinates.
  QRect ClientRect() const;
  int NonClientWidth() const { return FNonClientWidth; }
  int NonClientHeight() const { return FNonClientHeight; }

  // Lays the visible bars out in rows and sizes the dock to them; deferred
  // while updating and never re-entered.
  void ArrangeBars();
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return FArrangeDisableCount > 0; }

  void ChangeDockList(bool Insert, TTBCustomDockableWindow *Bar);
  void BarVisibilityChanged(TTBCustomDockableWindow *Bar, bool ForceRemove);
  void CommitPositions();
  // Thickness of the row's visible bars (Height across a top or bottom
  // dock); FullSize takes whether the row's last bar is FullSize.
  int GetRowSize(int Row, bool *FullSize = nullptr) const;
  int GetRowThicknessExcept(int Row, const TTBCustomDockableWindow *Bar) const;
  int GetHighestRow(bool Effective) const;
  int RowAtOffset(int Offset) const;
  bool HasVisibleBars() const { return !FDockVisibleList.empty(); }
  int VisibleBarCount() const { return int(FDockVisibleList.size()); }
  TTBCustomDockableWindow *VisibleBars(int Index) const { return FDockVisibleList.at(size_t(Index)); }
  // Every bar that belongs here: docked, or floating with this as LastDock.
  const std::vector<TTBCustomDockableWindow *> &DockList() const { return FDockList; }
  // Resizes keeping the edge opposite the dock's edge in place.
  void SetDockSize(int Width, int Height);
  void InvalidateBackgrounds();
  // Paints the background under R (dock coordinates) when one is in use.
  bool PaintBackground(QPainter &P, const QRect &R, QPoint DockOrigin);

  // Drag state, set by the drag of one of its bars.
  TTBCustomDockableWindow *DraggingBar() const { return FDraggingBar; }
  bool DragRowLocked() const { return FDragRowLocked; }
  bool DragBarSqueezed() const { return FDragBarSqueezed; }

protected:
  void paintEvent(QPaintEvent *) override;
  void resizeEvent(QResizeEvent *) override;

private:
  friend class TTBCustomDockableWindow;
  friend class TTBDragSession;
  void CheckParent(QWidget *Parent) const;
  void ReframeBars();
  void RemoveBar(TTBCustomDockableWindow *Bar);
  bool IsVisibleHere(const TTBCustomDockableWindow *Bar) const;

  bool FAllowDrag = true;
  TTBBasicBackground *FBackground = nullptr;
  bool FBackgroundOnToolbars = true;
  TTBDockBoundLines FBoundLines = 0;
  QColor FColor;
  bool FFixAlign = false;
  bool FLimitToOneRow = false;
  TTBDockPosition FPosition = dpTop;

  bool FDragBarSqueezed = false;
  bool FDragRowLocked = false;
  TTBCustomDockableWindow *FDraggingBar = nullptr;
  bool FCommitNewPositions = false;
  // One arrangement; true when a wrapping bar took another thickness with
  // the length it was given.
  bool ArrangeBarsOnce();
  struct Arrangement;
  int FArrangeDisableCount = 0;
  bool FArrangeNeeded = false;
  int FNonClientWidth = 0;
  int FNonClientHeight = 0;
  int FLastLength = -1;
  std::vector<TTBCustomDockableWindow *> FDockList;
  std::vector<TTBCustomDockableWindow *> FDockVisibleList;
};

// Reading and writing of saved positions: section (the window's name),
// value name, default or value.
using TTBPositionReadIntProc = std::function<int(const QString &Section, const QString &Name, int Default)>;
using TTBPositionReadStringProc =
    std::function<QString(const QString &Section, const QString &Name, const QString &Default)>;
using TTBPositionWriteIntProc = std::function<void(const QString &Section, const QString &Name, int Value)>;
using TTBPositionWriteStringProc =
    std::function<void(const QString &Section, const QString &Name, const QString &Value)>;

class TTBCustomDockableWindow : public QWidget {
public:
  // Parent is the form (or a dock of it). The window keeps the form it
  // belongs to while it floats.
  explicit TTBCustomDockableWindow(QWidget *Parent);
  ~TTBCustomDockableWindow() override;

  // ---- properties ----
  bool ActivateParent() const { return FActivateParent; }
  void SetActivateParent(bool Value) { FActivateParent = Value; }
  bool AutoResize() const { return FAutoResize; }
  void SetAutoResize(bool Value);
  bool BorderSingle() const { return FBorderSingle; } // bsSingle, else bsNone
  void SetBorderSingle(bool Value);
  QString Caption() const { return FCaption; }
  void SetCaption(const QString &Value);
  bool CloseButton() const { return FCloseButton; }
  void SetCloseButton(bool Value);
  bool CloseButtonWhenDocked() const { return FCloseButtonWhenDocked; }
  void SetCloseButtonWhenDocked(bool Value);
  QColor Color() const { return FColor; }
  void SetColor(QColor Value);
  TTBDock *CurrentDock() const { return FCurrentDock; }
  // Docks into Value; null takes the window back to its form (neither
  // docked nor floating), EInvalidOperation when it has no form.
  void SetCurrentDock(TTBDock *Value);
  TTBDock *DefaultDock() const { return FDefaultDock; }
  void SetDefaultDock(TTBDock *Value);
  TTBDockableTo DockableTo() const { return FDockableTo; }
  void SetDockableTo(TTBDockableTo Value) { FDockableTo = Value; }
  TTBDockMode DockMode() const { return FDockMode; }
  void SetDockMode(TTBDockMode Value) { FDockMode = Value; }
  int DockPos() const { return FDockPos; }
  void SetDockPos(int Value);
  int DockRow() const { return FDockRow; }
  void SetDockRow(int Value);
  TTBDragHandleStyle DragHandleStyle() const { return FDragHandleStyle; }
  void SetDragHandleStyle(TTBDragHandleStyle Value);
  TTBDockTextAlign DockTextAlign() const { return FDockTextAlign; }
  void SetDockTextAlign(TTBDockTextAlign Value);
  TTBFloatingMode FloatingMode() const { return FFloatingMode; }
  void SetFloatingMode(TTBFloatingMode Value);
  bool FullSize() const { return FFullSize; }
  void SetFullSize(bool Value);
  bool HideWhenInactive() const { return FHideWhenInactive; }
  void SetHideWhenInactive(bool Value);
  TTBDock *LastDock() const { return FLastDock; }
  void SetLastDock(TTBDock *Value);
  bool Resizable() const { return FResizable; }
  void SetResizable(bool Value);
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool Value);
  bool SmoothDrag() const { return FSmoothDrag; }
  void SetSmoothDrag(bool Value) { FSmoothDrag = Value; }
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool UseLastDock() const { return FUseLastDock; }
  void SetUseLastDock(bool Value);
  TTBSizingOptions SizingOptions() const { return FSizingOptions; }
  void SetSizingOptions(TTBSizingOptions Value) { FSizingOptions = Value; }
  // The window's own skin, or null for the default skin.
  TTBBaseSkin *Skin() const { return FSkin; }
  // The skin the frame paints with (own, else default).
  const TTBBaseSkin &EffectiveSkin() const;

  // ---- placement ----
  bool Docked() const { return FDocked; }
  bool Floating() const { return FFloating; }
  void SetFloating(bool Value);
  // Top-left of the floating parent, screen pixels.
  QPoint FloatingPosition() const { return FFloatingPosition; }
  void SetFloatingPosition(QPoint Value);
  TTBFloatingWindowParent *FloatParent() const { return FFloatParent; }
  // The form the window belongs to, docked or floating.
  QWidget *ParentForm() const { return FParentForm; }
  int EffectiveDockRow() const { return FEffectiveDockRow; }
  int EffectiveDockPos() const { return FEffectiveDockPos; }
  int CurrentSize() const { return FCurrentSize; }
  int RowThickness() const { return FRowThickness; }
  bool RowAlone() const { return FRowAlone; }
  // The window's own visibility, whatever its parents show.
  // Children not yet shown count as visible; only hiding makes a window
  // invisible.
  bool Visible() const {
    return !(testAttribute(Qt::WA_WState_ExplicitShowHide) && testAttribute(Qt::WA_WState_Hidden));
  }
  void setVisible(bool Visible) override;
  // What the window should show now (docked: Visible; floating: also its
  // form shown and, with HideWhenInactive, the program active).
  bool ShouldBeVisible() const;
  void UpdateVisibility();
  bool InactiveCaption() const { return FInactiveCaption; }

  // ---- events ----
  std::function<void(TTBCustomDockableWindow *)> OnClose;
  std::function<void(TTBCustomDockableWindow *, bool &CanClose)> OnCloseQuery;
  std::function<void(TTBCustomDockableWindow *)> OnDockChanged;
  std::function<void(TTBCustomDockableWindow *, bool Floating, TTBDock *DockingTo)> OnDockChanging;
  std::function<void(TTBCustomDockableWindow *, bool Floating, TTBDock *DockingTo)> OnDockChangingHidden;
  std::function<void(TTBCustomDockableWindow *)> OnMove;
  std::function<void(TTBCustomDockableWindow *)> OnRecreated;
  std::function<void(TTBCustomDockableWindow *)> OnRecreating;
  std::function<void(TTBCustomDockableWindow *)> OnVisibleChanged;

  // ---- operations ----
  // Lays the content out and resizes; a docked window asks its dock.
  void Arrange();
  void BeginUpdate();
  void EndUpdate();
  void DoubleClick();
  // Asks OnCloseQuery, then hides and fires OnClose.
  void Close();
  void MoveOnScreen(bool OnlyIfFullyOffscreen);
  TTBDockKind DockKind() const;

  // The frame: the client area in window coordinates (the frame of a
  // docked window around it; the whole window while floating) and the hit
  // code of a point.
  QRect ClientRect() const;
  int NCHitTest(QPoint P) const;
  bool CloseButtonDown() const { return FCloseButtonDown; }
  bool CloseButtonHover() const { return FCloseButtonHover; }

  // The drag: interactive from a press (client coordinates of the outer
  // window), then driven by the pointer tracker. Scripts and tests drive
  // the same steps: DragTo moves the cursor to a screen point, EndMoving
  // accepts or cancels.
  void BeginMoving(int ClickX, int ClickY);
  void StartDrag(QPoint GrabPoint, bool CtrlHeld, bool Interactive);
  void DragTo(QPoint CursorGlobal, bool CtrlHeld);
  void EndMoving(bool Accept);
  bool DragInProgress() const { return FDrag != nullptr; }
  // Sizing of a floating window from its frame (Edge a hit code).
  void BeginSizing(int Edge);
  void SizingTo(QPoint CursorGlobal);
  void EndSizing(bool Accept);

  // ---- what descendants provide ----
  virtual QSize GetDockedFrameSize() const;
  virtual bool HitTestChildAt(QPoint P) const;
  // Lays the content out for a dock kind (MoveControls: for real, else a
  // trial) and returns the content size.
  virtual QSize LayoutForDock(bool MoveControls, TTBDockKind Kind, TTBDock *Dock, bool Floating) = 0;
  virtual void DrawDockedFrame(QPainter &P);
  virtual QSize GetContentSize() = 0;
  virtual QRect GetDockedCloseButtonRect(bool Vertical) const;
  virtual int GetMinimumLength() const { return 0; }
  virtual TTBSizeLimits GetFloatingSizeLimits() const { return {}; }
  virtual TTBShrinkMode GetShrinkMode() const { return tbsmNone; }
  virtual void SizeChanging(int NewWidth, int NewHeight);
  virtual void SetSkin(TTBBaseSkin *Value);
  virtual QSize GetFloatingBorderSize() const;
  virtual TTBFloatingWindowParent *CreateFloatingParent(QWidget *Form);
  virtual void SizingStarted() {}
  virtual void SizingEnded() {}
  virtual void SizingMoved(QRect &NewRect) { (void)NewRect; }
  virtual void DockChangingHidden(bool Floating, TTBDock *DockingTo);
  // Re-arranges the content after the dock gave it a new size.
  virtual void ContentResized() {}
  // Saved positions: a descendant adds its own values after the common
  // ones are written or read, and hears when the window was placed.
  virtual void WritePositionData(const TTBPositionWriteIntProc &WriteInt,
                                 const TTBPositionWriteStringProc &WriteString);
  virtual void ReadPositionData(const TTBPositionReadIntProc &ReadInt, const TTBPositionReadStringProc &ReadString);
  virtual void DoneReadingPositionData() {}

protected:
  void paintEvent(QPaintEvent *) override;
  void mousePressEvent(QMouseEvent *) override;
  void mouseDoubleClickEvent(QMouseEvent *) override;
  void mouseMoveEvent(QMouseEvent *) override;
  void mouseReleaseEvent(QMouseEvent *) override;
  void leaveEvent(QEvent *) override;
  void moveEvent(QMoveEvent *) override;
  void resizeEvent(QResizeEvent *) override;
  void contextMenuEvent(QContextMenuEvent *) override;

  int FUpdateCount = 0;
  bool FLayoutPending = false;

private:
  friend class TTBDock;
  friend class TTBFloatingWindowParent;
  friend class TTBDragSession;
  // Every change of dock goes through here.
  void ChangeParent(QWidget *NewParent);
  // The docked frame the window has, or would have, in Dock.
  QSize FrameSizeFor(const TTBDock *Dock) const;
  int HandleSizeFor(const TTBDock *Dock) const;
  TTBDockedFrameState DockedFrameState() const;
  void Reframe();
  void FireMove();
  void ApplyFloatingGeometry(const QRect &Outer);

  bool FActivateParent = true;
  bool FAutoResize = true;
  bool FBorderSingle = true;
  QString FCaption;
  bool FCloseButton = true;
  bool FCloseButtonWhenDocked = false;
  QColor FColor;
  TTBDock *FCurrentDock = nullptr;
  QPointer<TTBDock> FDefaultDock;
  TTBDockableTo FDockableTo = DockableToAll;
  TTBDockMode FDockMode = dmCanFloat;
  int FDockPos = -1;
  int FDockRow = 0;
  TTBDragHandleStyle FDragHandleStyle = dhSingle;
  TTBDockTextAlign FDockTextAlign = dtaLeft;
  TTBFloatingMode FFloatingMode = fmOnTopOfParentForm;
  bool FFullSize = false;
  bool FHideWhenInactive = true;
  QPointer<TTBDock> FLastDock;
  bool FResizable = true;
  bool FShowCaption = true;
  bool FSmoothDrag = true;
  bool FStretch = false;
  bool FUseLastDock = true;
  TTBBaseSkin *FSkin = nullptr;

  int FEffectiveDockPos = 0;
  int FEffectiveDockRow = -1;
  bool FDocked = false;
  int FCurrentSize = 0;
  bool FFloating = false;
  TTBSizingOptions FSizingOptions = tbsoCornerSizing | tbsoConfineCursor;
  int FRowThickness = 0;
  bool FRowAlone = false;
  int FSetBoundsGuard = 0;
  int FDisableOnMove = 0;
  int FHiddenDuringChange = 0;
  bool FMoved = false;
  bool FInactiveCaption = false;
  QPoint FFloatingPosition;
  bool FCloseButtonDown = false;
  bool FCloseButtonHover = false;
  bool FDestroying = false;
  TTBFloatingWindowParent *FFloatParent = nullptr;
  QPointer<QWidget> FParentForm;
  std::unique_ptr<TTBDragSession> FDrag;
  struct SizingState;
  std::unique_ptr<SizingState> FSizing;
  bool FPressPending = false; // left button down on the docked close button
};

// The frameless tool window that holds a floating dockable window: its own
// frame, small caption and close button in the three looks; it never takes
// activation from the form.
class TTBFloatingWindowParent : public QWidget {
public:
  TTBFloatingWindowParent(QWidget *ParentForm, TTBCustomDockableWindow *Window);
  ~TTBFloatingWindowParent() override;

  TTBCustomDockableWindow *DockableWindow() const { return FDockableWindow; }
  QWidget *ParentForm() const { return FParentForm; }
  bool ShouldShow = false;
  bool CloseButtonHover() const { return FCloseButtonHover; }
  bool CloseButtonDown() const { return FCloseButtonDown; }

  TTBFloatingFrameState FrameState() const;
  QMargins NCMargins() const;
  QRect ClientRect() const; // window coordinates
  int NCHitTest(QPoint P) const;
  // Outer size that holds a client of Size.
  QSize OuterSizeFor(QSize ClientSize) const;
  void SetClientSize(QSize Size);
  // Shows or hides without activating, as ShouldShow and the window say.
  void UpdateShowing();
  // Parts: 1 frame, 2 caption, 4 close button.
  void RedrawNCArea(int Parts);
  void SetCaption(const QString &Text);

protected:
  void paintEvent(QPaintEvent *) override;
  void mousePressEvent(QMouseEvent *) override;
  void mouseDoubleClickEvent(QMouseEvent *) override;
  void mouseMoveEvent(QMouseEvent *) override;
  void mouseReleaseEvent(QMouseEvent *) override;
  void leaveEvent(QEvent *) override;
  void moveEvent(QMoveEvent *) override;
  void closeEvent(QCloseEvent *) override;
  void keyPressEvent(QKeyEvent *) override;
  bool event(QEvent *) override;

private:
  friend class TTBCustomDockableWindow;
  void PaintNC(QPainter &P);
  TTBCustomDockableWindow *FDockableWindow;
  QPointer<QWidget> FParentForm;
  QString FCaptionText;
  bool FCloseButtonHover = false;
  bool FCloseButtonDown = false;
  bool FClosePressed = false;
};

} // namespace kc::tb
