#include "platform/MeasuringCanvas.h"

#include <QGuiApplication>

#include "platform/QtCanvas.h"
#include "platform/RecordingCanvas.h"

namespace kc {

std::unique_ptr<TCanvas> CreateMeasuringCanvas() {
  if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) return std::make_unique<QtCanvas>();
  return std::make_unique<RecordingCanvas>();
}

} // namespace kc
