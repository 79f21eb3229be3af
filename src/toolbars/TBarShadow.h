#pragma once
// A drop shadow of a skinned popup: a small top-level window along one edge.
// Where a compositor draws the desktop it is a translucent dark strip laid
// over whatever lies beneath; otherwise it shows a darkened copy of the
// screen strip under it, taken in device pixels once the windows there have
// drawn. Where the window system gives no picture of the screen, no shadow
// is shown.
//
// Making a window costs the window system far more than moving one, so a
// closed popup's shadow windows are kept hidden, a few of them, for the next
// popup to move into place.
#include <QImage>
#include <QWidget>

#include <memory>

#include "toolbars/TBSkinPlus.h"

namespace kc::tb {

class TShadow : public QWidget {
public:
  explicit TShadow(bool Translucent);
  // Moves the window over ScreenRect (logical screen coordinates) for Strip
  // and forgets any picture it had.
  void Place(const QRect &ScreenRect, const TShadowStrip &Strip);
  // Shows the window: a copied shadow darkens Beneath, the picture of the
  // screen under it; false when there is nothing to show.
  bool ShowOver(const QImage &Beneath);
  // Lets the picture go (a window kept hidden for later).
  void Forget() { picture_ = QImage(); }
  const TShadowStrip &Strip() const { return strip_; }
  // Drawn translucent over the desktop rather than from a copy of it.
  bool Translucent() const { return translucent_; }

protected:
  void paintEvent(QPaintEvent *) override;

private:
  TShadowStrip strip_;
  QRect place_; // where the window goes, in logical screen coordinates
  QImage picture_;
  const bool translucent_;
};

// Hides a shadow and keeps it for the next one, or deletes it.
struct TShadowRelease {
  void operator()(TShadow *Shadow) const;
};
using TShadowPtr = std::unique_ptr<TShadow, TShadowRelease>;

// A shadow window over ScreenRect for Strip, hidden until ShowOver:
// a kept one of the same kind when there is one.
TShadowPtr TakeShadow(const QRect &ScreenRect, const TShadowStrip &Strip, bool Translucent);

// How many hidden shadow windows are kept now.
int KeptShadowCount();

} // namespace kc::tb
