#include "platform/FileIcons.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <utility>

namespace kc {

namespace {
std::function<QImage(const std::string &, int)> &iconSink() {
  static std::function<QImage(const std::string &, int)> sink;
  return sink;
}

QImage imageOf(const QIcon &Icon, int Size) {
  if (Icon.isNull()) return {};
  const QPixmap p = Icon.pixmap(Size, Size);
  if (p.isNull()) return {};
  QImage image = p.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (image.width() != Size || image.height() != Size)
    image = image.scaled(Size, Size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  return image;
}

// The provider draws with the widget style: only with a widget application.
bool haveWidgets() { return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr; }
} // namespace

QImage FileIcon(const std::string &Path, int Size) {
  if (iconSink()) return iconSink()(Path, Size);
  if (Path.empty() || Size <= 0 || !haveWidgets()) return {};
  const QFileInfo info(QString::fromUtf8(Path.data(), qsizetype(Path.size())));
  if (!info.exists()) return {};
  QFileIconProvider provider;
  return imageOf(provider.icon(info), Size);
}

QImage GenericFileIcon(int Size) {
  if (Size <= 0 || !haveWidgets()) return {};
  QFileIconProvider provider;
  return imageOf(provider.icon(QAbstractFileIconProvider::File), Size);
}

void SetFileIconSink(std::function<QImage(const std::string &, int)> Sink) { iconSink() = std::move(Sink); }

} // namespace kc
