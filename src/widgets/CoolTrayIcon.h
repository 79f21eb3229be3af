#pragma once
// The program's icon in the notification area: animation from an image list,
// balloon messages, mouse events (a click is told from a double click by a
// timer), a popup menu, and hiding the main window into the notification
// area when it is minimised. Where the desktop has no notification area the
// icon reports failure and the main window never hides into it.
#include <QImage>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "platform/ImageList.h"
#include "platform/GuiTimer.h"
#include "platform/TrayIcon.h"

class QWidget;

namespace kc {

// A light timer: ticks run on the GUI thread and stop with the object.
class TSimpleTimer {
public:
  using THandler = std::function<void(TSimpleTimer *)>;
  TSimpleTimer() = default;
  TSimpleTimer(int interval, THandler onTimer);
  ~TSimpleTimer();
  TSimpleTimer(const TSimpleTimer &) = delete;
  TSimpleTimer &operator=(const TSimpleTimer &) = delete;

  const void *Id() const { return this; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool on);
  int Interval() const { return FInterval; }
  void SetInterval(int ms);
  const THandler &OnTimer() const { return FOnTimer; }
  void SetOnTimer(THandler handler);
  // Whether ticks are coming (enabled, an interval and a handler).
  bool Running() const { return FTimer.active(); }

private:
  void rearm();
  bool FEnabled = false;
  int FInterval = 1000;
  THandler FOnTimer;
  GuiTimer FTimer;
};

enum TShiftStateBits : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum class TBalloonHintIcon { bitNone, bitInfo, bitWarning, bitError };

// Mouse and balloon notifications of the icon, by the numbers the shell
// uses; the desktop's activations are turned into these.
namespace TrayMsg {
constexpr unsigned MouseMove = 0x200, LButtonDown = 0x201, LButtonUp = 0x202, LButtonDblClk = 0x203,
                   RButtonDown = 0x204, RButtonUp = 0x205, MButtonDown = 0x207, MButtonUp = 0x208, ContextMenu = 0x7B,
                   Select = 0x400, KeySelect = 0x401, BalloonShow = 0x402, BalloonHide = 0x403, BalloonTimeout = 0x404,
                   BalloonUserClick = 0x405;
}

class TCoolTrayIcon : public QObject {
  Q_OBJECT
public:
  using TNotifyEvent = std::function<void(TCoolTrayIcon *)>;
  using TMouseEvent = std::function<void(TCoolTrayIcon *, TMouseButton, unsigned shift, QPoint)>;
  using TMouseMoveEvent = std::function<void(TCoolTrayIcon *, unsigned shift, QPoint)>;
  using TCycleEvent = std::function<void(TCoolTrayIcon *, int nextIndex)>;
  using TStartupEvent = std::function<void(TCoolTrayIcon *, bool &showMainForm)>;

  static constexpr int kTipLength = 127, kInfoLength = 255, kTitleLength = 63;

  // Owner: the main window, whose minimising goes to the tray.
  explicit TCoolTrayIcon(QWidget *owner);
  ~TCoolTrayIcon() override;

  // What the class library does after the form is loaded: OnStartup, then
  // the stored state is shown.
  void Loaded();

  const QImage &Icon() const { return FIcon; }
  void SetIcon(const QImage &icon);
  bool IconVisible() const { return FIconVisible; }
  void SetIconVisible(bool on);
  const QString &Hint() const { return FHint; }
  void SetHint(const QString &hint);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool on);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool on) { FEnabled = on; }
  QMenu *PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(QMenu *menu) { FPopupMenu = menu; }
  TCustomImageList *IconList() const { return FIconList; }
  void SetIconList(TCustomImageList *list);
  int IconIndex() const { return FIconIndex; }
  void SetIconIndex(int index);
  bool CycleIcons() const { return FCycleIcons; }
  void SetCycleIcons(bool on);
  int CycleInterval() const { return FCycleInterval; }
  void SetCycleInterval(int ms);
  bool MinimizeToTray() const { return FMinimizeToTray; }
  void SetMinimizeToTray(bool on) { FMinimizeToTray = on; }
  bool DesignPreview() const { return FDesignPreview; }
  void SetDesignPreview(bool on) { FDesignPreview = on; }
  bool WantEnterExitEvents() const { return FWantEnterExitEvents; }
  void SetWantEnterExitEvents(bool on);
  int ShellMessageVersion() const { return FVersion; }
  void SetShellMessageVersion(int v) { FVersion = v == 3 ? 3 : 0; }
  bool LeftPopup() const { return FLeftPopup; }
  void SetLeftPopup(bool on) { FLeftPopup = on; }

  TNotifyEvent OnClick, OnDblClick, OnMouseEnter, OnMouseExit, OnBalloonHintShow, OnBalloonHintHide,
      OnBalloonHintTimeout, OnBalloonHintClick, OnMinimizeToTray;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TCycleEvent OnCycle;
  TStartupEvent OnStartup;

  // The shell calls; each says whether the notification area took it.
  virtual bool ShowIcon();
  virtual bool HideIcon();
  virtual bool ModifyIcon();

  bool ShowBalloonHint(const QString &title, const QString &text, int seconds, TBalloonHintIcon kind);
  bool HideBalloonHint();
  void ShowMainForm();
  void HideMainForm();
  void PopupAtCursor();

  // A notification from the icon (mouse or balloon message, see TrayMsg).
  void HandleTrayMessage(unsigned msg);
  // The notification area came back (the desktop's panel restarted).
  void TrayRestarted();

  // The tip and balloon as last handed to the notification area.
  const QString &ShownTip() const { return FShownTip; }
  const QString &BalloonText() const { return FInfo; }
  const QString &BalloonTitle() const { return FInfoTitle; }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void onActivated(TrayIcon::Activation a);
  void cycleStep();
  void clickTimeout();
  void exitPoll();
  void minimizeToTray();
  unsigned shiftState() const;

  QPointer<QWidget> FOwner;
  std::unique_ptr<TrayIcon> FTray;
  QImage FIcon;
  bool FIconVisible = false;
  QString FHint;
  bool FShowHint = true;
  bool FEnabled = true;
  QPointer<QMenu> FPopupMenu;
  TCustomImageList *FIconList = nullptr;
  int FIconIndex = 0;
  bool FCycleIcons = false;
  int FCycleInterval = 0;
  bool FMinimizeToTray = false;
  bool FDesignPreview = false;
  bool FWantEnterExitEvents = false;
  int FVersion = 0;
  bool FLeftPopup = false;

  QString FShownTip, FInfo, FInfoTitle;
  QPoint FLastMoveGlobal;
  bool FMouseHasLeft = true;
  bool FClickPending = false, FPressPending = false, FDblClicked = false;

  TSimpleTimer FCycleTimer, FClickTimer, FExitTimer;
};

} // namespace kc
