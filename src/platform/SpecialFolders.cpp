#include "platform/SpecialFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace kc {

namespace {
std::optional<std::string> standard(QStandardPaths::StandardLocation l) {
  const QString p = QStandardPaths::writableLocation(l);
  if (p.isEmpty()) return std::nullopt;
  return p.toStdString();
}
} // namespace

std::optional<std::string> specialFolderPath(SpecialFolder f) {
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  switch (f) {
  case SpecialFolder::Home: return QDir::homePath().toStdString();
  case SpecialFolder::Desktop: return standard(QStandardPaths::DesktopLocation);
  case SpecialFolder::Documents: return standard(QStandardPaths::DocumentsLocation);
  case SpecialFolder::Templates: return standard(QStandardPaths::TemplatesLocation);
  case SpecialFolder::Fonts: return standard(QStandardPaths::FontsLocation);
  // The desktop keeps its list of recent files in the data folder.
  case SpecialFolder::Recent: return data.toStdString();
  case SpecialFolder::Trash: return (data + "/Trash/files").toStdString();
  case SpecialFolder::Applications: return standard(QStandardPaths::ApplicationsLocation);
  case SpecialFolder::Autostart: return (config + "/autostart").toStdString();
  case SpecialFolder::FileSystemRoot: return QDir::rootPath().toStdString();
  }
  return std::nullopt;
}

} // namespace kc
