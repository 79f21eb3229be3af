#pragma once
// The window of one open menu level and the popup menu component. A popup
// window is a frameless top-level popup that never takes activation; the
// menu loop owns the mouse and keyboard while it is open.
//
// Making a window costs the window system far more than showing one, so a
// closed level's window is kept hidden, a few of them, and given the next
// level's items.
#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

#include "platform/GuiTimer.h"
#include "toolbars/TBarShadow.h"
#include "toolbars/TBarView.h"

namespace kc::tb {

class TTBPopupView : public TTBView {
public:
  using TTBView::TTBView;
  QFont ViewFont() const override;
  QPoint ClientOrigin() const override;
};

class TTBPopupWindow : public QWidget {
  Q_OBJECT
public:
  TTBPopupWindow(TTBView *ParentView, TTBCustomItem *Item, const TTBBaseSkin *PopupSkin);
  ~TTBPopupWindow() override;
  // Makes the window the one of Item's level, as a new one would be.
  void Open(TTBView *ParentView, TTBCustomItem *Item, const TTBBaseSkin *PopupSkin);
  // Hides it and lets its level go: no view, hint, shadows or animation.
  void Close();

  TTBPopupView *View() const { return view_.get(); }
  const TTBBaseSkin *Skin() const { return skin_; }
  int BorderWidth() const { return border_; }
  QMargins FrameMargins() const;
  void SetClientSize(QSize Size);
  QRect ClientRect() const; // in window coordinates
  int AnimationDirection = 0;
  // Shows the window, animated when the desktop asks for menu animation.
  void ShowPopup();
  // The drop shadows shown now (skins with the shadow option only).
  int ShadowCount() const { return int(shadows_.size()); }
  QRect ShadowGeometry(int i) const;
  TShadow *Shadow(int i) const { return shadows_[size_t(i)].get(); }
  // The pointer moved (screen point): the item it rests on shows its short
  // hint after the hint pause, near the item; leaving the item hides it.
  void HoverAt(QPoint Global);
  // The hint shown now, or null.
  const QLabel *ShownHint() const;

protected:
  void paintEvent(QPaintEvent *) override;
  void closeEvent(QCloseEvent *) override;

private:
  void PaintFrame(QPainter &P);
  struct ShadowPictures;
  ShadowPictures TakeShadowPictures() const;
  void CastShadows(const ShadowPictures &Pictures);
  void ShowShadows();
  std::unique_ptr<TTBPopupView> view_;
  const TTBBaseSkin *skin_;
  int border_ = 3;
  QPointer<QWidget> parentWindow_;
  std::vector<TShadowPtr> shadows_;
  void ShowHint();
  void HideHint();
  bool announced_ = false; // assistive technology was told the menu opened
  QRect opener_;           // the toolbar item this popup drops from, when it joins its shadow
  friend TTBPopupWindowPtr CreatePopup(TTBCustomItem *, TTBView *, TTBItemViewer *, bool, bool, QPoint, int,
                                       const TTBBaseSkin *);
  TTBItemViewer *hintViewer_ = nullptr;
  QPoint hintPointer_;
  std::unique_ptr<kc::GuiTimer> hintTimer_;
  std::unique_ptr<QLabel> hint_;
};

// Where the shadows of a popup go (screen rectangles): its own right and
// bottom edges, then, for an OfficeXP popup dropped from a toolbar item
// (Opener not empty), the item's outer edges so popup and item cast one
// joined shadow; the popup's own shadow is kept off the item.
struct TPopupShadow {
  QRect Rect;
  TShadowStrip Strip;
};
std::vector<TPopupShadow> PopupShadowPlan(const QRect &Popup, const QRect &Opener, TShadowStyle Style);

// Opens the popup of Item's sub-items under ParentView (null for a
// stand-alone popup menu at Point with Alignment 0 left, 1 right, 2 centre).
TTBPopupWindowPtr CreatePopup(TTBCustomItem *Item, TTBView *ParentView, TTBItemViewer *ParentViewer,
                              bool PositionAsSubmenu, bool SelectFirstItem, QPoint Point, int Alignment,
                              const TTBBaseSkin *PopupSkin = nullptr);

// How many hidden popup windows are kept now.
int KeptPopupWindowCount();

// A popup menu: a root item whose sub-items open in popup windows.
class TTBPopupMenu {
public:
  TTBPopupMenu();
  ~TTBPopupMenu();
  TTBRootItem *Items() const { return items_.get(); }
  const TTBBaseSkin *Skin() const { return skin_; }
  void SetSkin(TTBBaseSkin *Skin);
  bool TrackRightButton = false;
  int Alignment = 0;
  // Runs the menu at the screen point; the chosen command runs after it.
  void Popup(QPoint ScreenPoint);
  std::function<void()> OnPopup;

private:
  std::unique_ptr<TTBRootItem> items_;
  const TTBBaseSkin *skin_;
};

} // namespace kc::tb
