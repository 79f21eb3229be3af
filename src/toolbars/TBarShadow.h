#pragma once
// A drop shadow of a skinned popup: a small top-level window along one edge
// showing a darkened copy of the screen under it. Where the window system
// gives no picture of the screen, no shadow is shown.
#include <QImage>
#include <QWidget>

#include "toolbars/TBSkinPlus.h"

namespace kc::tb {

class TShadow : public QWidget {
public:
  TShadow(const QRect &ScreenRect, const TShadowStrip &Strip);
  // Captures the screen under the window, darkens it and shows it; false
  // when there is nothing to show.
  bool CaptureAndShow();
  const TShadowStrip &Strip() const { return strip_; }

protected:
  void paintEvent(QPaintEvent *) override;

private:
  TShadowStrip strip_;
  QImage picture_;
  bool captured_ = false;
};

} // namespace kc::tb
