#include "widgets/KcFunctions.h"

#include <QFontMetrics>

namespace kc {

namespace {
std::uint32_t g_shellVersion = ShellVersion(6, 0);
constexpr int kMaxPath = 261;
} // namespace

std::uint32_t GetShellVersion() { return g_shellVersion; }
void SetShellVersion(std::uint32_t v) { g_shellVersion = v; }

QString ShortenPath(const QString &Path, const QFont &Font, int MaxWidth) {
  const QFontMetrics fm(Font);
  auto fits = [&](const QString &s) { return fm.horizontalAdvance(s) <= MaxWidth; };
  if (fits(Path)) return Path.left(kMaxPath);
  const QString ellipsis = QStringLiteral("...");
  const qsizetype slash = Path.lastIndexOf('/');
  const QString last = slash >= 0 ? Path.mid(slash) : Path;
  const QString head = slash >= 0 ? Path.left(slash) : QString();
  // Drop characters from the end of the folder part first.
  for (qsizetype keep = head.size(); keep >= 0; --keep) {
    const QString s = head.left(keep) + ellipsis + last;
    if (fits(s)) return s.left(kMaxPath);
  }
  // Not even the last part fits: it is cut at its end.
  QString tail = ellipsis + last;
  while (tail.size() > ellipsis.size() && !fits(tail)) tail.chop(1);
  return tail.left(kMaxPath);
}

} // namespace kc
