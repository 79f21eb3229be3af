#include "platform/Beep.h"

#include <QApplication>

#include <utility>

namespace kc {

namespace {
std::function<void()> &beepSink() {
  static std::function<void()> sink;
  return sink;
}
} // namespace

void Beep() {
  if (beepSink()) {
    beepSink()();
    return;
  }
  // QApplication::beep needs the platform integration of a running GUI.
  if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) QApplication::beep();
}

void SetBeepSink(std::function<void()> Sink) { beepSink() = std::move(Sink); }

} // namespace kc
