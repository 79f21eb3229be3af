#pragma once
// Keeps the pointer for a drag that moves windows around: while a drag runs,
// every pointer move, the button release, Escape and changes of Ctrl reach
// the drag, whichever window the pointer is over and even while the dragged
// widget changes its parent window. One drag at a time. The pointer shape
// during the drag is set here too.
#include <QPoint>

#include <functional>

#include "platform/Cursors.h"

namespace kc {

struct TbDragEvents {
  std::function<void(QPoint global, bool ctrl)> moved;
  // Accepted: the left button was released; else Escape, another button or
  // the loss of the grab ended the drag.
  std::function<void(bool accepted)> ended;
};

class TbDragTracker {
public:
  // Starts tracking; false when another drag runs.
  static bool begin(TbDragEvents events);
  // Ends the drag without calling `ended` (the owner ends it itself).
  static void end();
  static bool active();
  // The pointer shape while the drag runs.
  static void setCursor(TCursor id);
  // Whether Ctrl is held now.
  static bool ctrlHeld();
};

} // namespace kc
