#pragma once
// A canvas to measure text on when no view gives one (a document converted
// by a tool): the fonts of the desktop when a GUI application runs, else
// fixed metrics, so that a layout never needs a display.
#include <memory>

#include "platform/Canvas.h"

namespace kc {

std::unique_ptr<TCanvas> CreateMeasuringCanvas();

} // namespace kc
