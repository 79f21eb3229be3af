#pragma once
// The toolbar and menu bar: a dockable window showing an item tree through
// a toolbar view. It hosts ordinary widgets as items, lists the items that
// do not fit behind a chevron button ("More Buttons"), runs its items'
// shortcuts, behaves as the form's menu bar when asked (Alt and accelerator
// keys), and snaps a floating resize to the widths at which its items wrap.
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

#include "toolbars/TBarDock.h"
#include "toolbars/TBarItem.h"
#include "toolbars/TBarPositions.h"
#include "toolbars/TBarView.h"

namespace kc::tb {

class TTBCustomToolbar;

// The chevron: a submenu item showing the toolbar's items; its popup lists
// only those the toolbar view pushed off.
class TTBChevronItem : public TTBCustomItem {
public:
  explicit TTBChevronItem(TTBCustomToolbar *Toolbar);
  TTBCustomToolbar *Toolbar() const { return toolbar_; }
  TTBView *ChevronParentView() const override;
  std::unique_ptr<TTBItemViewer> CreateViewer(TTBView *View) override;

private:
  TTBCustomToolbar *toolbar_;
};

class TTBChevronItemViewer : public TTBItemViewer {
public:
  using TTBItemViewer::TTBItemViewer;
  void Paint(QPainter &P, const QRect &R, bool IsSelected, bool IsPushed, bool UseDisabledShadow) override;
};

// The two-chevron glyph: 8 x 5 pointing right on a horizontal bar, 5 x 8
// pointing down on a vertical one; one byte per row, leftmost pixel in the
// high bit.
struct TTBChevronGlyph {
  int Width, Height;
  std::vector<std::uint8_t> Rows;
};
TTBChevronGlyph ChevronGlyph(bool Vertical);

class TTBToolbarView : public TTBView {
public:
  explicit TTBToolbarView(TTBCustomToolbar *Toolbar);
  TTBCustomToolbar *Toolbar() const { return toolbar_; }
  TTBCustomItem *ChevronItem() override;
  QFont ViewFont() const override;
  QPoint ClientOrigin() const override;
  void ApplyTotalSize(QSize Size) override;
  bool IsMenuBar() const override;

private:
  TTBCustomToolbar *toolbar_;
};

// Floating resize: the sizes a floating toolbar may take (window sizes) and
// the size a drag of one frame handle snaps to. Widths run along the rows
// for the left and right handles, heights for the others.
class TTBFloatingSizer {
public:
  TTBFloatingSizer(int Handle, QRect StartBounds, std::vector<QSize> Candidates);
  // The distance from the start length within which the size holds.
  int SnapDistance() const { return snap_; }
  const std::vector<QSize> &Candidates() const { return candidates_; }
  // Bounds for the cursor moved by Delta since the start; Changed tells
  // whether they differ from Current.
  QRect Track(QPoint Delta, const QRect &Current, bool *Changed = nullptr);
  // The candidate the last Track chose (the start size before any).
  QSize Chosen() const { return chosen_; }

private:
  bool alongWidth() const;
  int length(QSize S) const { return alongWidth() ? S.width() : S.height(); }
  int handle_;
  QRect start_;
  std::vector<QSize> candidates_;
  int snap_ = 12;
  QSize chosen_;
};

class TTBCustomToolbar : public TTBCustomDockableWindow {
public:
  explicit TTBCustomToolbar(QWidget *Parent);
  ~TTBCustomToolbar() override;

  TTBRootItem *Items() const { return items_.get(); }
  TTBChevronItem *Chevron() const { return chevron_.get(); }
  TTBToolbarView *View() const { return view_.get(); }

  QString ChevronHint() const { return chevron_->Hint(); }
  void SetChevronHint(const QString &Value) { chevron_->SetHint(Value); }
  // Whether ChevronHint differs from its default and so would be stored.
  bool ChevronHintStored() const;
  TCustomImageList *Images() const { return items_->SubMenuImages(); }
  void SetImages(TCustomImageList *Value) { items_->SetSubMenuImages(Value); }
  TTBCustomItem *LinkSubitems() const { return items_->LinkSubitems(); }
  void SetLinkSubitems(TTBCustomItem *Value) { items_->SetLinkSubitems(Value); }
  TTBItemOptions Options() const { return items_->Options(); }
  void SetOptions(TTBItemOptions Value) { items_->SetOptions(Value); }

  bool MenuBar() const { return menuBar_; }
  void SetMenuBar(bool Value);
  bool ProcessShortCuts() const { return processShortCuts_; }
  void SetProcessShortCuts(bool Value);
  TTBShrinkMode ShrinkMode() const { return shrinkMode_; }
  void SetShrinkMode(TTBShrinkMode Value);
  bool SystemFont() const { return systemFont_; }
  void SetSystemFont(bool Value);
  bool UpdateActions() const { return updateActions_; }
  void SetUpdateActions(bool Value) { updateActions_ = Value; }
  int FloatingWidth() const { return floatingWidth_; }
  void SetFloatingWidth(int Value);
  // The hint of the item under the pointer (empty over none, or over an
  // item whose long hint is for menus only). A change is also sent up the
  // window as a status tip, where a status bar shows its long part.
  const QString &Hint() const { return hint_; }
  // Runs the action update of every item shown (the program's idle time).
  void UpdateItemActions();

  // Handled = true keeps the key from the items.
  std::function<void(TTBCustomToolbar *, TShortCut, bool &Handled)> OnShortCut;
  bool IsShortCut(TShortCut ShortCut);
  // Key 0: select the first item for keyboard navigation; otherwise the
  // item with that accelerator. False when nothing was done.
  bool KeyboardOpen(QChar Key, bool RequirePrimaryAccel);

  // Floating resize: the candidate client sizes, narrowest rows last.
  std::vector<QSize> FloatingSizes();

  // ---- the dockable window's hooks
  QSize LayoutForDock(bool MoveControls, TTBDockKind Kind, TTBDock *Dock, bool Floating) override;
  QSize GetContentSize() override;
  int GetMinimumLength() const override;
  TTBShrinkMode GetShrinkMode() const override { return shrinkMode_; }
  bool HitTestChildAt(QPoint P) const override;
  void SetSkin(TTBBaseSkin *Value) override;
  void SizingStarted() override;
  void SizingMoved(QRect &NewRect) override;
  void SizingEnded() override;
  void ContentResized() override;
  void WritePositionData(const TTBPositionWriteIntProc &WriteInt,
                         const TTBPositionWriteStringProc &WriteString) override;
  void ReadPositionData(const TTBPositionReadIntProc &ReadInt, const TTBPositionReadStringProc &ReadString) override;

  // The view reported a new size.
  void ViewSizeChanged(QSize Size);

protected:
  void paintEvent(QPaintEvent *) override;
  void mousePressEvent(QMouseEvent *) override;
  void mouseMoveEvent(QMouseEvent *) override;
  void leaveEvent(QEvent *) override;
  void childEvent(QChildEvent *) override;
  bool event(QEvent *) override;
  bool eventFilter(QObject *Watched, QEvent *Event) override;
  // Runs the view's menu loop: at once for a press (CursorPos is where it
  // was), posted for a key so that the key is over first. Tests replace it.
  virtual void StartMenuLoop(int Options, QPoint CursorPos);

private:
  friend class TTBToolbarView;
  void HostControl(QWidget *W);
  // The hosted widget holding W when the view pushed it off, else null.
  QWidget *PushedOffHostOf(QWidget *W) const;
  void SkipHiddenFocus(QWidget *Now);
  void ReleaseControl(QObject *W);
  void RearrangeAfterChange();
  void UpdateShortCutRegistration();
  TTBViewOrientation OrientationFor(TTBDockKind Kind) const;
  QSize FloatingContentSize(int Width, int *Rows);

  std::unique_ptr<TTBRootItem> items_;
  std::unique_ptr<TTBChevronItem> chevron_;
  std::unique_ptr<TTBToolbarView> view_;
  bool menuBar_ = false;
  bool processShortCuts_ = false;
  TTBShrinkMode shrinkMode_ = tbsmChevron;
  bool systemFont_ = true;
  bool updateActions_ = true;
  int floatingWidth_ = 0;
  bool shortCutsRegistered_ = false;
  bool menuLoopRunning_ = false;
  int layoutDepth_ = 0;
  QSize viewSize_;
  QString hint_;
  QMetaObject::Connection focusWatch_;
  void SetHint(const QString &Value);
  struct HostedControl {
    QObject *Control;
    TTBItemRef Item;
  };
  std::vector<HostedControl> hosted_;
  struct Resize {
    std::unique_ptr<TTBFloatingSizer> Sizer;
    QPoint StartCursor;
    int StartFloatingWidth = 0;
    QSize Frame;
  };
  std::unique_ptr<Resize> resize_;
};

class TTBToolbar : public TTBCustomToolbar {
public:
  using TTBCustomToolbar::TTBCustomToolbar;
};

// The toolbars that run shortcuts for a form (ProcessShortCuts or a menu
// bar); a key pressed in the form (or in one of its floating toolbars)
// goes to them in turn until one uses it.
bool ProcessToolbarShortCut(QWidget *Form, TShortCut ShortCut);
// Alt pressed with a character in the form (MenuBar toolbars): the menu
// bar opens that item; nothing found beeps, except for "-". True when the
// form has a menu bar (the key then goes nowhere else).
bool ProcessMenuBarKey(QWidget *Form, QChar Key);
// Alt pressed and released alone: the menu bar's first item is selected.
bool ProcessMenuBarAlt(QWidget *Form);
// Registration, kept up to date by the toolbars themselves.
void RegisterToolbarKeys(TTBCustomToolbar *Toolbar, bool ShortCuts, bool MenuBar);

} // namespace kc::tb
