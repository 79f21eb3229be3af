#pragma once
// The desktop's warning sound: a refused key, a document that cannot take
// an item. Tests put a sink in its place to count beeps.
#include <functional>

namespace kc {

// Sounds the desktop's beep; does nothing before the GUI application exists
// (command-line tools, tests without a display).
void Beep();

// Beeps go to Sink instead of the desktop while it is set; an empty sink
// restores the desktop.
void SetBeepSink(std::function<void()> Sink);

} // namespace kc
