#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

#include <utility>

namespace kc {

namespace {
std::function<bool(const std::string &)> &openSink() {
  static std::function<bool(const std::string &)> sink;
  return sink;
}

QUrl targetUrl(const std::string &Target) {
  const QString t = QString::fromUtf8(Target.data(), qsizetype(Target.size()));
  if (t.startsWith(QLatin1Char('/'))) return QUrl::fromLocalFile(t);
  // Mail links are written "MailTo:" by the chat; URL schemes are
  // case-insensitive, but some handlers only know the lower-case one.
  if (t.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
    return QUrl(QLatin1String("mailto:") + t.mid(7).trimmed(), QUrl::TolerantMode);
  return QUrl(t, QUrl::TolerantMode);
}
} // namespace

bool ShellOpen(const std::string &Target) {
  if (openSink()) return openSink()(Target);
  if (Target.empty()) return false;
  // The desktop's handlers need the platform integration of a running GUI.
  if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) return false;
  const QUrl url = targetUrl(Target);
  return url.isValid() && QDesktopServices::openUrl(url);
}

void SetShellOpenSink(std::function<bool(const std::string &)> Sink) { openSink() = std::move(Sink); }

} // namespace kc
