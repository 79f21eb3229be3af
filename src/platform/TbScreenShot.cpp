#include "platform/TbScreenShot.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace kc {

QImage tbGrabScreen() {
  if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) return {};
  QScreen *screen = QGuiApplication::primaryScreen();
  if (!screen) return {};
  return screen->grabWindow(0).toImage();
}

} // namespace kc
