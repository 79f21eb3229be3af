#pragma once
// A picture of the whole screen as the user sees it (all windows), for the
// toolbar demo's step pictures. A null image where the window system gives
// none.
#include <QImage>

namespace kc {

QImage tbGrabScreen();

} // namespace kc
