#pragma once
// One item shown on one view: its rectangle, its measured size, which part
// of it a point hits, and what a press or release on it does in a menu.
#include <QPainter>
#include <QRect>
#include <QString>

#include "toolbars/TBarCommon.h"
#include "toolbars/TBarItem.h"

namespace kc::tb {

class TTBView;

// Shared by the menu loop and the viewers' mouse handlers.
enum TTBMenuOutcomeKind : std::uint8_t { moNone = 0, moClick = 1, moKeyMenu = 2, moHelp = 3 };
struct TTBMenuOutcome {
  TTBMenuOutcomeKind Kind = moNone;
  TTBItemRef Item;           // moClick
  bool Sound = false;        // moClick: play the command sound
  QWidget *Window = nullptr; // moKeyMenu
  QChar Key;                 // moKeyMenu
  int HelpContext = 0;       // moHelp
};
struct TTBLoopControl {
  TTBView *RootView = nullptr;
  bool DownOnOpenTitle = false;
  bool ExitLoop = false;
  TTBMenuOutcome Outcome;
};

class TTBItemViewer {
public:
  TTBItemViewer(TTBView *View, TTBCustomItem *Item) : view_(View), item_(Item) {}
  virtual ~TTBItemViewer() = default;

  TTBView *View() const { return view_; }
  TTBCustomItem *Item() const { return item_; }

  QRect BoundsRect;
  bool ScrolledOut = false;
  bool PushedOff = false;
  bool Show = false;
  bool OffscreenRepaint = false;
  bool RowDivider = false;
  // The embedded groups (outermost first) this viewer was expanded from.
  std::vector<TTBCustomItem *> Groups;

  virtual void MeasureSize(const TBTextMetrics &Metrics, int &Width, int &Height);
  virtual void Paint(QPainter &P, const QRect &R, bool IsSelected, bool IsPushed, bool UseDisabledShadow);
  virtual bool IsPtInButtonPart(int X, int Y) const;
  virtual void SelectionGained();
  virtual void SelectionLost();
  virtual void MouseDown(bool DoubleClick, int X, int Y, TTBLoopControl &Loop);
  virtual void MouseUp(int X, int Y, TTBLoopControl &Loop);

  QString GetCaptionText() const { return item_->CaptionText(); }
  bool IsToolbarStyle() const;
  bool IsToolbarSize() const;
  bool CaptionShown() const;
  bool ImageShown() const;
  TCustomImageList *GetImageList() const;
  bool IsRotated() const;
  // Whether the accelerator is underlined now.
  bool ShowAccelerator() const;

protected:
  void PaintMenuEntry(QPainter &P, const QRect &R, bool IsSelected, bool IsPushed, bool UseDisabledShadow);
  void PaintButton(QPainter &P, const QRect &R, bool IsSelected, bool IsPushed, bool UseDisabledShadow);

private:
  TTBView *view_;
  TTBCustomItem *item_;
};

class TTBSeparatorItemViewer : public TTBItemViewer {
public:
  using TTBItemViewer::TTBItemViewer;
  void MeasureSize(const TBTextMetrics &Metrics, int &Width, int &Height) override;
  void Paint(QPainter &P, const QRect &R, bool IsSelected, bool IsPushed, bool UseDisabledShadow) override;
  bool IsPtInButtonPart(int, int) const override { return false; }
};

} // namespace kc::tb
