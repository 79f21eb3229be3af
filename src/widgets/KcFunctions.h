#pragma once
// Helpers of the folder browser: the version of the folder-browsing service
// and a path shortener.
#include <QFont>
#include <QString>
#include <cstdint>
#include <stdexcept>

namespace kc {

// The error of the Kc component family.
class EKcError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The folder-browsing service's version: major in the high word, minor in
// the low word. The program's own browser offers what version 6.0 did.
std::uint32_t GetShellVersion();
// Puts another version in place (tests of what older versions refuse).
void SetShellVersion(std::uint32_t v);
constexpr std::uint32_t ShellVersion(int major, int minor) {
  return (static_cast<std::uint32_t>(major) << 16) | static_cast<std::uint32_t>(minor);
}

// Path shortened with an ellipsis in its middle to fit MaxWidth pixels in
// Font: the last part kept whole as long as it fits; at most 261 characters.
QString ShortenPath(const QString &Path, const QFont &Font, int MaxWidth);

} // namespace kc
