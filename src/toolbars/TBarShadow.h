#pragma once
// A drop shadow of a skinned popup: a small top-level window along one edge.
// Where a compositor draws the desktop it is a translucent dark strip laid
// over whatever lies beneath; otherwise it shows a darkened copy of the
// screen strip under it, taken in device pixels once the windows there have
// drawn. Where the window system gives no picture of the screen, no shadow
// is shown.
#include <QImage>
#include <QWidget>

#include "toolbars/TBSkinPlus.h"

namespace kc::tb {

class TShadow : public QWidget {
public:
  TShadow(const QRect &ScreenRect, const TShadowStrip &Strip);
  // Prepares the picture (once) and shows the window; false when there is
  // nothing to show.
  bool CaptureAndShow();
  const TShadowStrip &Strip() const { return strip_; }
  // Drawn translucent over the desktop rather than from a copy of it.
  bool Translucent() const { return translucent_; }

protected:
  void paintEvent(QPaintEvent *) override;

private:
  TShadowStrip strip_;
  QImage picture_;
  bool captured_ = false;
  bool translucent_ = false;
};

} // namespace kc::tb
