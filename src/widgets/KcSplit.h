#pragma once
// A thin bar between two docked controls that the user drags to resize one
// of them. While dragging, a line shows where the bar will go; the size
// changes when the button is released, and Escape gives up the drag.
#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/Cursors.h"
#include "widgets/KcAlign.h"

namespace kc {

enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TKcxSplitter : public QWidget {
  Q_OBJECT
public:
  using TNotifyEvent = std::function<void(TKcxSplitter *)>;
  using TPosChangingEvent = std::function<void(TKcxSplitter *, int X, int Y, bool &AllowChange)>;

  explicit TKcxSplitter(QWidget *parent = nullptr);
  ~TKcxSplitter() override;

  QWidget *ControlFirst() const { return FControlFirst; }
  void SetControlFirst(QWidget *c);
  QWidget *ControlSecond() const { return FControlSecond; }
  void SetControlSecond(QWidget *c);
  TAlign GetAlign() const { return Align(this); }
  // Reading: true while the form is read from its stored description (the
  // thickness is then left as stored).
  void SetAlign(TAlign a, bool reading = false);
  int TopLeftLimit() const { return FTopLeftLimit; }
  void SetTopLeftLimit(int v) { FTopLeftLimit = v; }
  int BottomRightLimit() const { return FBottomRightLimit; }
  void SetBottomRightLimit(int v) { FBottomRightLimit = v; }
  // The old stored name of both limits at once.
  void SetLimitOffset(int v) { FTopLeftLimit = FBottomRightLimit = v; }
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut b);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut b);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int w);

  TNotifyEvent OnPosChanged;
  TPosChangingEvent OnPosChanging;

  // 0 no sizing; 1 ControlFirst's height, 2 ControlSecond's height,
  // 3 ControlFirst's width, 4 ControlSecond's width.
  int SizingMode() const;
  static int SizingMode(TAlign splitter, TAlign first, bool haveSecond, TAlign second);
  // The cursor the bar shows (crVSplit, crHSplit, crDefault; crNoDrop while
  // a drag is held at a limit).
  TCursor CursorId() const { return FCursor; }
  bool Dragging() const { return FDragging; }
  // The line's rectangle in the parent while dragging.
  QRect LineRect() const;
  // What the class library does after loading: the cursor from the controls.
  void Loaded() { updateCursor(); }

protected:
  void paintEvent(QPaintEvent *) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseMoveEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void updateCursor();
  void setCursorId(TCursor c);
  bool vertical() const; // the bar moves up and down
  QPoint clampPoint(QPoint p, bool &atLimit) const;
  void moveLine(QPoint p);
  void endDrag(bool apply);
  QWidget *resizedControl() const;

  QPointer<QWidget> FControlFirst, FControlSecond;
  int FTopLeftLimit = 20, FBottomRightLimit = 20;
  TBevelCut FBevelInner = TBevelCut::bvNone, FBevelOuter = TBevelCut::bvRaised;
  int FBevelWidth = 1;
  TCursor FCursor = crDefault;

  bool FDragging = false;
  QPoint FStart, FCurrent;
  QPoint FMinPoint, FMaxPoint;
  bool FSavedShowHint = true;
  QWidget *FLine = nullptr;
};

} // namespace kc
