#pragma once
// A square cell of the picture palette: one image of an image list on a
// background that lights up under the mouse.
#include <QWidget>
#include <functional>

#include "platform/CanvasTypes.h"
#include "platform/ImageList.h"

namespace kc {

enum class TBorderStyle { bsNone, bsSingle };

class TKcImageSquare : public QWidget {
  Q_OBJECT
public:
  using TNotifyEvent = std::function<void(TKcImageSquare *)>;

  explicit TKcImageSquare(QWidget *parent = nullptr);

  TColor HiColor() const { return FHiColor; }
  void SetHiColor(TColor c) { FHiColor = c, update(); }
  TColor BackColor() const { return FBackColor; }
  void SetBackColor(TColor c);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle s) { FBorderStyle = s, update(); }
  TCustomImageList *ImageList() const { return FImageList; }
  void SetImageList(TCustomImageList *l) { FImageList = l, update(); }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int i) { FImageIndex = i, update(); }
  bool ShowClick() const { return FShowClick; }
  void SetShowClick(bool on) { FShowClick = on, update(); }
  QString Text;

  TNotifyEvent OnEnter, OnExit, OnClick;

  // The colour the background has now.
  TColor CurrentColor() const { return FCurrent; }
  bool MouseDown() const { return FMouseDown; }

protected:
  void paintEvent(QPaintEvent *) override;
  void enterEvent(QEnterEvent *e) override;
  void leaveEvent(QEvent *e) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;

private:
  TColor FHiColor = clActiveCaption, FBackColor = clWindow, FCurrent = clWindow;
  TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
  TCustomImageList *FImageList = nullptr;
  int FImageIndex = 0;
  bool FShowClick = false, FMouseInside = false, FMouseDown = false;
};

} // namespace kc
