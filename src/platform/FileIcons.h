#pragma once
// The desktop's pictures for files and folders, for offered files. Tests
// put a sink in place of the desktop to see which paths were looked at.
#include <QImage>
#include <functional>
#include <string>

namespace kc {

// The icon of a local file or folder (UTF-8 path) as a Size x Size image;
// a null image when the path names nothing or the desktop has no icon.
QImage FileIcon(const std::string &Path, int Size = 32);

// A plain file picture that needs no file (null when the desktop has none).
QImage GenericFileIcon(int Size = 32);

// Paths go to Sink instead of the desktop while it is set (its answer is
// FileIcon's); an empty sink restores the desktop.
void SetFileIconSink(std::function<QImage(const std::string &Path, int Size)> Sink);

} // namespace kc
