#pragma once
// A view: the viewers of the sub-items of one item on one window (a toolbar
// or one popup level). It follows the item tree's notifications, lays the
// viewers out (rows, wrapping, separators, the chevron, scrolling), keeps the
// selection, paints, and carries the menu state of its level.
#include <QFont>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "platform/GuiTimer.h"
#include "toolbars/TBSkinPlus.h"
#include "toolbars/TBarItem.h"
#include "toolbars/TBarItemViewer.h"

namespace kc::tb {

class TTBPopupWindow;
// Hides a closed menu level's window and keeps it for the next one, or
// deletes it (TBarPopup.cpp).
struct TTBPopupWindowRelease {
  void operator()(TTBPopupWindow *Window) const;
};
using TTBPopupWindowPtr = std::unique_ptr<TTBPopupWindow, TTBPopupWindowRelease>;

using TTBViewState = std::uint8_t;
enum : TTBViewState {
  vsInModalLoop = 1 << 0,
  vsMouseInView = 1 << 1,
  vsPaintInOrder = 1 << 2,
  vsOpensLeft = 1 << 3,
  vsIgnoreButtonUp = 1 << 4,
  vsShowAccelerators = 1 << 5,
  vsKeyboardOpen = 1 << 6,
  vsNoAnimation = 1 << 7,
};
using TTBViewStyle = std::uint8_t;
enum : TTBViewStyle { vsUseKeyboardCues = 1 << 0, vsHintsAlways = 1 << 1 };

enum TTBViewOrientation : std::uint8_t { tbvoHorizontal = 0, tbvoVertical = 1, tbvoFloating = 2 };

// Menu timer kinds of a popup level.
enum TTBViewTimer : int { tiOpen = 0, tiClose = 1, tiScrollUp = 2, tiScrollDown = 3 };

constexpr int kScrollArrowHeight = 19;

struct TTBMargins {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class TTBView : public TTBItemChangeListener {
public:
  TTBView(TTBView *OwnerView, TTBCustomItem *SourceItem, QWidget *Window, bool IsToolbar, bool KeepGroupsWhole = false,
          bool WithGiveWayOrder = false);
  ~TTBView() override;
  TTBView(const TTBView &) = delete;
  TTBView &operator=(const TTBView &) = delete;

  // ---- the shown item and its viewers
  TTBCustomItem *SourceItem() const { return sourceItem_; }
  TTBCustomItem *ShownItem() const { return shownItem_; }
  int ViewerCount() const { return int(viewers_.size()); }
  TTBItemViewer *Viewer(int i) const { return viewers_[size_t(i)].get(); }
  int IndexOf(const TTBItemViewer *V) const;
  TTBItemViewer *Find(const TTBCustomItem *Item) const;
  TTBItemViewer *ViewerAt(QPoint P);
  TTBItemViewer *FirstShown();
  void RecreateAllViewers();

  // ---- layout
  bool IsToolbar() const { return isToolbar_; }
  bool IsPopup() const { return !isToolbar_; }
  TTBViewOrientation Orientation = tbvoHorizontal;
  int WrapLength = 0;
  int ChevronStart = 0;
  int ChevronLength = 0;
  int HeightLimit = 0;
  int ScrollPos = 0;
  bool UpArrowShown = false, DownArrowShown = false;
  QSize ContentSize;
  QSize TotalSize;
  int WrappedLines = 0;
  QRect WorkArea;
  TTBView *ChevronOwnerView = nullptr;
  bool PositionsValid() const { return positionsValid_; }
  // Whether a client point is on the view: its laid-out items, and the
  // chevron, which stands at the end of the room the bar was given and so
  // may lie beyond the items' own extent.
  bool ClientContains(QPoint P);
  bool UpdateItemPositions(bool MayMoveControls, TTBViewOrientation AOrientation, int AWrapLength, int AChevronStart,
                           int AChevronLength, QSize &ATotalSize, QSize &AContentSize, int &AWrappedLines);
  void Relayout();
  void EnsurePositions();
  void EnsurePositionsIfIdle();
  void DropPositions();
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  void ScrollBy(bool Down);
  void RevealSelection();
  void RepaintViewer(TTBItemViewer *V);
  // Width of the image column of menu entries.
  int ImageColumnWidth();

  virtual TTBCustomItem *ChevronItem() { return nullptr; }
  virtual TTBCustomItem *LeadingItem() { return nullptr; }
  virtual TTBCustomItem *TrailingItem() { return nullptr; }
  virtual TTBMargins LayoutMargins(TTBViewOrientation O) const;
  virtual QFont ViewFont() const;
  virtual void ApplyTotalSize(QSize Size);
  // True for a menu bar (a toolbar that opens menus as a desktop menu bar).
  virtual bool IsMenuBar() const { return false; }

  // The metrics layout measures with; tests pin them.
  void SetMetrics(std::shared_ptr<const TBTextMetrics> Plain, std::shared_ptr<const TBTextMetrics> Bold);
  const TBTextMetrics &Metrics(bool Bold) const;

  // ---- selection
  TTBItemViewer *Selected() const { return selected_; }
  void SetSelection(TTBItemViewer *V);
  TTBItemViewer *StepSelectable(TTBItemViewer *Current, bool Forward);
  TTBItemViewer *FirstForKeyboard(bool Forward);
  void StepAndReveal(bool Forward);
  bool MouseOverSelected = false;
  bool MouseTracking = false;
  void EndTracking() { MouseTracking = false; }

  // ---- painting
  void PaintViewers(QPainter &P, const QRect &Clip);
  // Whether a disabled item is drawn embossed (a highlight copy under the
  // shadow-coloured text) rather than flat: only where it sits on the face
  // colour the emboss was made for.
  bool UseDisabledShadowFor(const TTBItemViewer *Viewer, bool IsSelected) const;

  // ---- look and window
  const TTBBaseSkin *Skin = nullptr;
  const TTBBaseSkin *ActiveSkin() const { return tb::ActiveSkin(Skin); }
  QWidget *Window() const { return window_; }
  void SetWindow(QWidget *W) { window_ = W; }
  // Client coordinates of the view to and from the screen.
  QPoint ClientToScreen(QPoint P) const;
  QPoint ScreenToClient(QPoint P) const;
  // Where the client area starts in the window (inside a popup's frame).
  virtual QPoint ClientOrigin() const { return {}; }
  TTBViewState State = 0;
  TTBViewStyle Style = 0;
  bool Has(TTBViewState S) const { return (State & S) != 0; }
  void Set(TTBViewState S, bool On) { State = On ? TTBViewState(State | S) : TTBViewState(State & ~S); }

  // ---- menus (the menu loop drives these)
  TTBView *OwnerView() const { return ownerView_; }
  TTBItemViewer *OpenedViewer = nullptr;
  TTBView *OpenedView = nullptr;
  TTBPopupWindowPtr OpenedWindow;
  TTBView *TopView();     // the first view of the chain
  TTBView *DeepestView(); // the end of the OpenedView chain
  bool OpenSubmenu(bool SelectFirstItem);
  void CloseSubmenus();
  void StartTimer(TTBViewTimer Kind, int DelayMs);
  void StopTimer(TTBViewTimer Kind);
  void StopAllTimers();
  bool TimerRunning(TTBViewTimer Kind) const;
  void TimerTick(TTBViewTimer Kind);
  // Keyboard in a menu: returns whether the key was used.
  virtual bool KeyDown(int Key, Qt::KeyboardModifiers Shift, TTBLoopControl &Loop);
  // A chosen viewer moves to the front of the order in which viewers give
  // way to the chevron, and so do the open viewers above it; the view lays
  // out again when the viewer had been pushed off.
  void GiveWayToFront(TTBItemViewer *V);
  const std::vector<TTBItemViewer *> &GiveWayOrder() const { return giveWayOrder_; }
  // Runs the selected item (Return): opens its submenu or ends the loop with
  // its click.
  void RunSelected(TTBLoopControl &Loop);
  void UpdateAccelerators(bool ShowNow);
  TTBLoopControl *Loop = nullptr; // set while a menu loop runs on this chain

  // TTBItemChangeListener
  void ItemNotification(TTBCustomItem *Ancestor, bool Relayed, TTBItemChangeKind Kind, int Index,
                        TTBCustomItem *Item) override;
  void ItemDestroying(TTBCustomItem *Item) override;

private:
  struct ShownListener;
  struct ItemLayout;
  void ResolveShownItem();
  void AddViewersFor(TTBCustomItem *Item, std::vector<TTBCustomItem *> &Groups,
                     std::vector<std::unique_ptr<TTBItemViewer>> &Out);
  void RemoveViewersOf(TTBCustomItem *Item);
  void FreeViewer(TTBItemViewer *V);
  void ReactToShown(bool Relayed, TTBItemChangeKind Kind, int Index, TTBCustomItem *Item, TTBCustomItem *Ancestor);

  TTBView *ownerView_;
  TTBCustomItem *sourceItem_;
  TTBCustomItem *shownItem_ = nullptr;
  QPointer<QWidget> window_;
  bool isToolbar_;
  bool keepGroupsWhole_;
  bool withGiveWayOrder_;
  bool positionsValid_ = false;
  int updateCount_ = 0;
  int leadingCount_ = 0, trailingCount_ = 0;
  std::vector<std::unique_ptr<TTBItemViewer>> viewers_;
  std::vector<TTBItemViewer *> giveWayOrder_;
  TTBItemViewer *selected_ = nullptr;
  std::shared_ptr<const TBTextMetrics> metrics_, boldMetrics_;
  std::array<std::unique_ptr<GuiTimer>, 4> timers_;
  std::unique_ptr<ShownListener> sourceListener_;
};

} // namespace kc::tb
